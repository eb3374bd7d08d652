#include "platform/afx/Menu.h"

#include "platform/afx/Wnd.h"

#include <memory>
#include <string>
#include <unordered_map>

IMPLEMENT_DYNAMIC(CMenu, CObject)

namespace {
// Attached objects and temporary wrappers by handle (GUI thread only).
std::unordered_map<HMENU, CMenu*>& Permanent() {
  static std::unordered_map<HMENU, CMenu*> map;
  return map;
}
std::unordered_map<HMENU, std::unique_ptr<CMenu>>& Temporary() {
  static std::unordered_map<HMENU, std::unique_ptr<CMenu>> map;
  return map;
}
}  // namespace

CMenu::~CMenu() {
  if (m_hMenu && Permanent().count(m_hMenu) && Permanent()[m_hMenu] == this) DestroyMenu();
}

CMenu* CMenu::FromHandle(HMENU hMenu) {
  if (!hMenu) return nullptr;
  if (auto it = Permanent().find(hMenu); it != Permanent().end()) return it->second;
  auto& slot = Temporary()[hMenu];
  if (!slot) {
    slot = std::make_unique<CMenu>();
    slot->m_hMenu = hMenu;
  }
  return slot.get();
}

void CMenu::DeleteTempMap() {
  for (auto& [h, menu] : Temporary()) menu->m_hMenu = nullptr;
  Temporary().clear();
}

BOOL CMenu::Attach(HMENU hMenu) {
  if (m_hMenu || !hMenu || !::IsMenu(hMenu)) return FALSE;
  m_hMenu = hMenu;
  Permanent()[hMenu] = this;
  return TRUE;
}

HMENU CMenu::Detach() {
  HMENU h = m_hMenu;
  if (h && Permanent().count(h) && Permanent()[h] == this) Permanent().erase(h);
  m_hMenu = nullptr;
  return h;
}

BOOL CMenu::CreateMenu() { return Attach(::CreateMenu()); }
BOOL CMenu::CreatePopupMenu() { return Attach(::CreatePopupMenu()); }

BOOL CMenu::DestroyMenu() {
  if (!m_hMenu) return FALSE;
  HMENU h = m_hMenu;
  Detach();
  // Wrappers of this menu (and, unknowingly, of its popups) must not outlive it.
  if (auto it = Temporary().find(h); it != Temporary().end()) {
    it->second->m_hMenu = nullptr;
    if (it->second.get() != this) Temporary().erase(it);
  }
  return ::DestroyMenu(h);
}

UINT CMenu::GetMenuItemCount() const { return static_cast<UINT>(::GetMenuItemCount(m_hMenu)); }
UINT CMenu::GetMenuItemID(int nPos) const { return ::GetMenuItemID(m_hMenu, nPos); }
UINT CMenu::GetMenuState(UINT nID, UINT nFlags) const { return ::GetMenuState(m_hMenu, nID, nFlags); }

int CMenu::GetMenuString(UINT nIDItem, CString& rString, UINT nFlags) const {
  const int n = ::GetMenuStringW(m_hMenu, nIDItem, nullptr, 0, nFlags);
  if (n <= 0) {
    rString.Empty();
    return 0;
  }
  std::wstring buf(static_cast<size_t>(n) + 1, L'\0');
  ::GetMenuStringW(m_hMenu, nIDItem, buf.data(), n + 1, nFlags);
  rString = CString(buf.c_str(), n);
  return n;
}

CMenu* CMenu::GetSubMenu(int nPos) const { return FromHandle(::GetSubMenu(m_hMenu, nPos)); }

BOOL CMenu::AppendMenu(UINT nFlags, UINT_PTR nIDNewItem, LPCWSTR lpszNewItem) {
  return ::AppendMenuW(m_hMenu, nFlags, nIDNewItem, lpszNewItem);
}
BOOL CMenu::InsertMenu(UINT nPosition, UINT nFlags, UINT_PTR nIDNewItem, LPCWSTR lpszNewItem) {
  return ::InsertMenuW(m_hMenu, nPosition, nFlags, nIDNewItem, lpszNewItem);
}
BOOL CMenu::RemoveMenu(UINT nPosition, UINT nFlags) { return ::RemoveMenu(m_hMenu, nPosition, nFlags); }
BOOL CMenu::DeleteMenu(UINT nPosition, UINT nFlags) { return ::DeleteMenu(m_hMenu, nPosition, nFlags); }
BOOL CMenu::TrackPopupMenu(UINT nFlags, int x, int y, CWnd* pWnd, LPCRECT lpRect) {
  return ::TrackPopupMenu(m_hMenu, nFlags, x, y, 0, pWnd ? pWnd->GetSafeHwnd() : nullptr, lpRect);
}

UINT CMenu::CheckMenuItem(UINT nIDCheckItem, UINT nCheck) {
  return static_cast<UINT>(::CheckMenuItem(m_hMenu, nIDCheckItem, nCheck));
}
UINT CMenu::EnableMenuItem(UINT nIDEnableItem, UINT nEnable) {
  return static_cast<UINT>(::EnableMenuItem(m_hMenu, nIDEnableItem, nEnable));
}
