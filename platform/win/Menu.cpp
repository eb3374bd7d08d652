#include "platform/win/Menu.h"

#include "platform/win/Error.h"

#include <algorithm>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_set>
#include <vector>

namespace {
struct MenuData;

struct MenuItem {
  UINT flags = 0;  // state and kind bits, without MF_BYPOSITION
  UINT id = 0;
  std::wstring text;
  MenuData* popup = nullptr;  // owned through the handle registry
};

struct MenuData {
  bool isPopup = false;
  std::vector<MenuItem> items;
};

struct AccelData {
  std::vector<ACCEL> entries;
};

std::recursive_mutex g_mutex;
std::unordered_set<MenuData*> g_menus;
std::unordered_set<AccelData*> g_accels;

MenuData* Menu(HMENU h) {
  auto* m = reinterpret_cast<MenuData*>(h);
  if (!m || !g_menus.count(m)) {
    SetLastError(ERROR_INVALID_MENU_HANDLE);
    return nullptr;
  }
  return m;
}

HMENU Handle(MenuData* m) { return reinterpret_cast<HMENU>(m); }

HMENU NewMenu(bool popup) {
  std::lock_guard lock(g_mutex);
  auto m = std::make_unique<MenuData>();
  m->isPopup = popup;
  g_menus.insert(m.get());
  return Handle(m.release());
}

void Destroy(MenuData* m) {
  for (auto& item : m->items)
    if (item.popup && g_menus.count(item.popup)) Destroy(item.popup);
  g_menus.erase(m);
  delete m;
}

// The menu and index of an item by position or, by command, the first match searching popups
// depth first.
bool Locate(MenuData* m, UINT which, UINT flags, MenuData*& owner, size_t& index) {
  if (flags & MF_BYPOSITION) {
    if (which >= m->items.size()) return false;
    owner = m;
    index = which;
    return true;
  }
  for (size_t i = 0; i < m->items.size(); ++i) {
    MenuItem& it = m->items[i];
    if (it.popup) {
      if (Locate(it.popup, which, flags, owner, index)) return true;
    } else if (!(it.flags & MF_SEPARATOR) && it.id == which) {
      owner = m;
      index = i;
      return true;
    }
  }
  return false;
}

bool MakeItem(UINT uFlags, UINT_PTR uIDNewItem, LPCWSTR lpNewItem, MenuData* into, MenuItem& item) {
  item.flags = uFlags & ~MF_BYPOSITION;
  if (uFlags & MF_POPUP) {
    MenuData* sub = Menu(reinterpret_cast<HMENU>(uIDNewItem));
    if (!sub || sub == into) return false;
    item.popup = sub;
    item.id = static_cast<UINT>(-1);
  } else {
    item.id = static_cast<UINT>(uIDNewItem);
  }
  if (!(uFlags & MF_SEPARATOR) && lpNewItem) item.text = lpNewItem;
  return true;
}

AccelData* Accel(HACCEL h) {
  auto* a = reinterpret_cast<AccelData*>(h);
  if (!a || !g_accels.count(a)) {
    SetLastError(ERROR_INVALID_ACCEL_HANDLE);
    return nullptr;
  }
  return a;
}
}  // namespace

HMENU CreateMenu() { return NewMenu(false); }
HMENU CreatePopupMenu() { return NewMenu(true); }

BOOL DestroyMenu(HMENU hMenu) {
  std::lock_guard lock(g_mutex);
  MenuData* m = Menu(hMenu);
  if (!m) return FALSE;
  Destroy(m);
  return TRUE;
}

BOOL IsMenu(HMENU hMenu) {
  std::lock_guard lock(g_mutex);
  return g_menus.count(reinterpret_cast<MenuData*>(hMenu)) ? TRUE : FALSE;
}

int GetMenuItemCount(HMENU hMenu) {
  std::lock_guard lock(g_mutex);
  MenuData* m = Menu(hMenu);
  return m ? static_cast<int>(m->items.size()) : -1;
}

UINT GetMenuItemID(HMENU hMenu, int nPos) {
  std::lock_guard lock(g_mutex);
  MenuData* m = Menu(hMenu);
  if (!m || nPos < 0 || static_cast<size_t>(nPos) >= m->items.size()) return static_cast<UINT>(-1);
  const MenuItem& it = m->items[static_cast<size_t>(nPos)];
  return it.popup ? static_cast<UINT>(-1) : it.id;
}

HMENU GetSubMenu(HMENU hMenu, int nPos) {
  std::lock_guard lock(g_mutex);
  MenuData* m = Menu(hMenu);
  if (!m || nPos < 0 || static_cast<size_t>(nPos) >= m->items.size()) return nullptr;
  return Handle(m->items[static_cast<size_t>(nPos)].popup);
}

int GetMenuStringW(HMENU hMenu, UINT uIDItem, LPWSTR lpString, int nMaxCount, UINT uFlag) {
  std::lock_guard lock(g_mutex);
  MenuData* m = Menu(hMenu);
  MenuData* owner = nullptr;
  size_t index = 0;
  if (!m || !Locate(m, uIDItem, uFlag, owner, index)) return 0;
  const std::wstring& text = owner->items[index].text;
  if (!lpString || nMaxCount <= 0) return static_cast<int>(text.size());
  const size_t n = std::min(text.size(), static_cast<size_t>(nMaxCount - 1));
  std::copy_n(text.begin(), n, lpString);
  lpString[n] = L'\0';
  return static_cast<int>(n);
}

UINT GetMenuState(HMENU hMenu, UINT uId, UINT uFlags) {
  std::lock_guard lock(g_mutex);
  MenuData* m = Menu(hMenu);
  MenuData* owner = nullptr;
  size_t index = 0;
  if (!m || !Locate(m, uId, uFlags, owner, index)) return static_cast<UINT>(-1);
  const MenuItem& it = owner->items[index];
  if (it.popup) return (static_cast<UINT>(std::min<size_t>(it.popup->items.size(), 0xFF)) << 8) | (it.flags & 0xFF) | MF_POPUP;
  return it.flags;
}

BOOL AppendMenuW(HMENU hMenu, UINT uFlags, UINT_PTR uIDNewItem, LPCWSTR lpNewItem) {
  std::lock_guard lock(g_mutex);
  MenuData* m = Menu(hMenu);
  MenuItem item;
  if (!m || !MakeItem(uFlags, uIDNewItem, lpNewItem, m, item)) return FALSE;
  m->items.push_back(std::move(item));
  return TRUE;
}

BOOL InsertMenuW(HMENU hMenu, UINT uPosition, UINT uFlags, UINT_PTR uIDNewItem, LPCWSTR lpNewItem) {
  std::lock_guard lock(g_mutex);
  MenuData* m = Menu(hMenu);
  MenuItem item;
  if (!m || !MakeItem(uFlags, uIDNewItem, lpNewItem, m, item)) return FALSE;
  MenuData* owner = m;
  size_t index = m->items.size();
  if (!Locate(m, uPosition, uFlags, owner, index)) {
    if (!(uFlags & MF_BYPOSITION)) return FALSE;  // no such command
    owner = m;
    index = m->items.size();
  }
  owner->items.insert(owner->items.begin() + static_cast<std::ptrdiff_t>(index), std::move(item));
  return TRUE;
}

namespace {
BOOL Take(HMENU hMenu, UINT uPosition, UINT uFlags, bool destroyPopup) {
  std::lock_guard lock(g_mutex);
  MenuData* m = Menu(hMenu);
  MenuData* owner = nullptr;
  size_t index = 0;
  if (!m || !Locate(m, uPosition, uFlags, owner, index)) return FALSE;
  MenuData* popup = owner->items[index].popup;
  owner->items.erase(owner->items.begin() + static_cast<std::ptrdiff_t>(index));
  if (destroyPopup && popup && g_menus.count(popup)) Destroy(popup);
  return TRUE;
}
}  // namespace

BOOL RemoveMenu(HMENU hMenu, UINT uPosition, UINT uFlags) { return Take(hMenu, uPosition, uFlags, false); }
BOOL DeleteMenu(HMENU hMenu, UINT uPosition, UINT uFlags) { return Take(hMenu, uPosition, uFlags, true); }

DWORD CheckMenuItem(HMENU hMenu, UINT uIDCheckItem, UINT uCheck) {
  std::lock_guard lock(g_mutex);
  MenuData* m = Menu(hMenu);
  MenuData* owner = nullptr;
  size_t index = 0;
  if (!m || !Locate(m, uIDCheckItem, uCheck, owner, index)) return static_cast<DWORD>(-1);
  UINT& flags = owner->items[index].flags;
  const DWORD previous = flags & MF_CHECKED;
  flags = (flags & ~MF_CHECKED) | (uCheck & MF_CHECKED);
  return previous;
}

BOOL EnableMenuItem(HMENU hMenu, UINT uIDEnableItem, UINT uEnable) {
  std::lock_guard lock(g_mutex);
  MenuData* m = Menu(hMenu);
  MenuData* owner = nullptr;
  size_t index = 0;
  if (!m || !Locate(m, uIDEnableItem, uEnable, owner, index)) return -1;
  UINT& flags = owner->items[index].flags;
  const BOOL previous = static_cast<BOOL>(flags & (MF_GRAYED | MF_DISABLED));
  flags = (flags & ~(MF_GRAYED | MF_DISABLED)) | (uEnable & (MF_GRAYED | MF_DISABLED));
  return previous;
}

BOOL SetMenuItemTextW(HMENU hMenu, UINT uItem, UINT uFlags, LPCWSTR lpNewText) {
  std::lock_guard lock(g_mutex);
  MenuData* m = Menu(hMenu);
  MenuData* owner = nullptr;
  size_t index = 0;
  if (!m || !Locate(m, uItem, uFlags, owner, index)) return FALSE;
  MenuItem& it = owner->items[index];
  if (it.flags & MF_SEPARATOR) return FALSE;
  it.text = lpNewText ? lpNewText : L"";
  return TRUE;
}

HACCEL CreateAcceleratorTableW(LPACCEL paccel, int cAccel) {
  if (!paccel || cAccel <= 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  std::lock_guard lock(g_mutex);
  auto a = std::make_unique<AccelData>();
  a->entries.assign(paccel, paccel + cAccel);
  g_accels.insert(a.get());
  return reinterpret_cast<HACCEL>(a.release());
}

BOOL DestroyAcceleratorTable(HACCEL hAccel) {
  std::lock_guard lock(g_mutex);
  AccelData* a = Accel(hAccel);
  if (!a) return FALSE;
  g_accels.erase(a);
  delete a;
  return TRUE;
}

int CopyAcceleratorTableW(HACCEL hAccelSrc, LPACCEL lpAccelDst, int cAccelEntries) {
  std::lock_guard lock(g_mutex);
  AccelData* a = Accel(hAccelSrc);
  if (!a) return 0;
  const int n = static_cast<int>(a->entries.size());
  if (!lpAccelDst) return n;
  const int copied = std::clamp(cAccelEntries, 0, n);
  std::copy_n(a->entries.begin(), copied, lpAccelDst);
  return copied;
}
