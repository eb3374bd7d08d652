// CMenu: an object over a menu handle. FromHandle gives the attached object of a handle, or a
// temporary one that lives until the handle is destroyed through a CMenu or DeleteTempMap runs.
#pragma once

#include "platform/afx/Object.h"
#include "platform/afx/String.h"
#include "platform/win/Menu.h"

class CWnd;

class CMenu : public CObject {
  DECLARE_DYNAMIC(CMenu)

 public:
  CMenu() = default;
  CMenu(const CMenu&) = delete;
  CMenu& operator=(const CMenu&) = delete;
  // Destroys the attached menu.
  ~CMenu() override;

  static CMenu* FromHandle(HMENU hMenu);
  static void DeleteTempMap();

  BOOL Attach(HMENU hMenu);
  HMENU Detach();
  HMENU GetSafeHmenu() const { return m_hMenu; }
  operator HMENU() const { return m_hMenu; }

  BOOL CreateMenu();
  BOOL CreatePopupMenu();
  BOOL DestroyMenu();

  UINT GetMenuItemCount() const;  // (UINT)-1 for no menu
  UINT GetMenuItemID(int nPos) const;
  UINT GetMenuState(UINT nID, UINT nFlags) const;
  int GetMenuString(UINT nIDItem, CString& rString, UINT nFlags) const;
  CMenu* GetSubMenu(int nPos) const;

  BOOL AppendMenu(UINT nFlags, UINT_PTR nIDNewItem = 0, LPCWSTR lpszNewItem = nullptr);
  BOOL InsertMenu(UINT nPosition, UINT nFlags, UINT_PTR nIDNewItem = 0, LPCWSTR lpszNewItem = nullptr);
  BOOL RemoveMenu(UINT nPosition, UINT nFlags);
  BOOL DeleteMenu(UINT nPosition, UINT nFlags);
  UINT CheckMenuItem(UINT nIDCheckItem, UINT nCheck);
  // See ::TrackPopupMenu; the window is the owner that receives the chosen command.
  BOOL TrackPopupMenu(UINT nFlags, int x, int y, CWnd* pWnd, LPCRECT lpRect = nullptr);
  UINT EnableMenuItem(UINT nIDEnableItem, UINT nEnable);

  HMENU m_hMenu = nullptr;
};
