// The texts a frame gives the buttons of its bars: taken from its menu, so a button says what
// the menu item of the same command says.
#include "platform/afx/DocView.h"
#include "platform/afx/Menu.h"
#include "platform/win/Menu.h"

namespace {
// The text of the item with the command id, searching the popups depth first.
bool ItemText(HMENU menu, UINT id, std::wstring& out) {
  const int n = ::GetMenuItemCount(menu);
  for (int i = 0; i < n; ++i) {
    if (HMENU sub = ::GetSubMenu(menu, i)) {
      if (ItemText(sub, id, out)) return true;
      continue;
    }
    if (::GetMenuItemID(menu, i) != id) continue;
    wchar_t buf[256] = {};
    ::GetMenuStringW(menu, UINT(i), buf, 256, MF_BYPOSITION);
    out = buf;
    return true;
  }
  return false;
}

// "Zoom In(&I)\tPageUp" -> "Zoom In" and "PageUp"; "&Open..." -> "Open...".
void Split(const std::wstring& item, std::wstring& label, std::wstring& key) {
  const size_t tab = item.find(L'\t');
  label = item.substr(0, tab);
  key = tab == std::wstring::npos ? L"" : item.substr(tab + 1);
  const size_t mnemonic = label.find(L"(&");
  if (mnemonic != std::wstring::npos && label.find(L')', mnemonic) == mnemonic + 3) label.erase(mnemonic, 4);
  for (size_t i = 0; i < label.size(); ++i)
    if (label[i] == L'&') label.erase(i, 1);  // "&&" keeps one ampersand
  while (!label.empty() && label.back() == L' ') label.pop_back();
  while (!key.empty() && key.front() == L' ') key.erase(0, 1);
}
}  // namespace

CString CFrameWnd::GetCommandTip(UINT nID) const {
  std::wstring item, label, key;
  CMenu* menu = GetMenu();
  if (!menu || !ItemText(menu->GetSafeHmenu(), nID, item)) return CString();
  Split(item, label, key);
  return CString(label.c_str());
}

CString CFrameWnd::GetCommandPrompt(UINT nID) const {
  std::wstring item, label, key;
  CMenu* menu = GetMenu();
  if (!menu || !ItemText(menu->GetSafeHmenu(), nID, item)) return CString();
  Split(item, label, key);
  if (!key.empty()) label += L" (" + key + L")";
  return CString(label.c_str());
}
