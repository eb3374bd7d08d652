// Menus and accelerator tables as in-memory structures behind handles. A GUI adapter reads them
// to show real menus; everything here works headless. Handles are checked: an unknown or
// destroyed handle makes a call fail instead of touching freed memory.
#pragma once

#include "platform/win/WinTypes.h"

// Item flags (also the state bits GetMenuState reports).
constexpr UINT MF_STRING = 0x0000;
constexpr UINT MF_BYCOMMAND = 0x0000;
constexpr UINT MF_ENABLED = 0x0000;
constexpr UINT MF_UNCHECKED = 0x0000;
constexpr UINT MF_GRAYED = 0x0001;
constexpr UINT MF_DISABLED = 0x0002;
constexpr UINT MF_CHECKED = 0x0008;
constexpr UINT MF_POPUP = 0x0010;
constexpr UINT MF_MENUBARBREAK = 0x0020;
constexpr UINT MF_MENUBREAK = 0x0040;
constexpr UINT MF_OWNERDRAW = 0x0100;
constexpr UINT MF_BYPOSITION = 0x0400;
constexpr UINT MF_SEPARATOR = 0x0800;

HMENU CreateMenu();
HMENU CreatePopupMenu();
// Destroys the menu and, recursively, the popups it holds.
BOOL DestroyMenu(HMENU hMenu);
BOOL IsMenu(HMENU hMenu);
// -1 for an invalid handle.
int GetMenuItemCount(HMENU hMenu);
// The command id at a position; -1 (as UINT) for a popup or a bad position.
UINT GetMenuItemID(HMENU hMenu, int nPos);
HMENU GetSubMenu(HMENU hMenu, int nPos);
// Copies the text (terminated, truncated to nMaxCount-1) and returns its length; with a null
// buffer returns the length only. 0 when the item does not exist.
int GetMenuStringW(HMENU hMenu, UINT uIDItem, LPWSTR lpString, int nMaxCount, UINT uFlag);
// The item's state flags; for a popup the number of its items in the high byte of the low word
// and MF_POPUP set. -1 (as UINT) when the item does not exist.
UINT GetMenuState(HMENU hMenu, UINT uId, UINT uFlags);
// uIDNewItem is the command id, or the HMENU of a popup when MF_POPUP is given; the menu then
// owns the popup.
BOOL AppendMenuW(HMENU hMenu, UINT uFlags, UINT_PTR uIDNewItem, LPCWSTR lpNewItem);
// Inserts before the item given by position or command; a position at or past the end appends.
BOOL InsertMenuW(HMENU hMenu, UINT uPosition, UINT uFlags, UINT_PTR uIDNewItem, LPCWSTR lpNewItem);
// Takes the item out; a popup is detached, not destroyed.
BOOL RemoveMenu(HMENU hMenu, UINT uPosition, UINT uFlags);
// Takes the item out and destroys a popup.
BOOL DeleteMenu(HMENU hMenu, UINT uPosition, UINT uFlags);
// Return the previous check or enable state; -1 (as DWORD/BOOL) when the item does not exist.
// By command, the first match in the menu or its popups is changed.
DWORD CheckMenuItem(HMENU hMenu, UINT uIDCheckItem, UINT uCheck);
BOOL EnableMenuItem(HMENU hMenu, UINT uIDEnableItem, UINT uEnable);
// Replaces a string item's text (the command-UI update sets texts such as "Hide path"); FALSE
// for a separator or a missing item.
BOOL SetMenuItemTextW(HMENU hMenu, UINT uItem, UINT uFlags, LPCWSTR lpNewText);

// Popup menus: alignment flags are accepted and left to the toolkit.
constexpr UINT TPM_LEFTALIGN = 0x0000;
constexpr UINT TPM_RIGHTBUTTON = 0x0002;
constexpr UINT TPM_RETURNCMD = 0x0100;
// Shows the popup through the window backend at the screen point. With TPM_RETURNCMD returns the
// chosen command (0 for none); otherwise posts it to the window as WM_COMMAND and returns whether
// one was chosen. 0 for a missing menu or window.
BOOL TrackPopupMenu(HMENU hMenu, UINT uFlags, int x, int y, int nReserved, HWND hWnd, const RECT* prcRect);

// Accelerators. fVirt flags:
constexpr BYTE FVIRTKEY = 0x01;
constexpr BYTE FNOINVERT = 0x02;
constexpr BYTE FSHIFT = 0x04;
constexpr BYTE FCONTROL = 0x08;
constexpr BYTE FALT = 0x10;

// The 6-byte record: flags, key (virtual-key code or character), command id.
struct ACCEL {
  BYTE fVirt;
  WORD key;
  WORD cmd;
};
static_assert(sizeof(ACCEL) == 6, "accelerator records are 6 bytes");
using LPACCEL = ACCEL*;

// Null for no entries or a null array.
HACCEL CreateAcceleratorTableW(LPACCEL paccel, int cAccel);
BOOL DestroyAcceleratorTable(HACCEL hAccel);
// With a null destination, the number of entries; otherwise copies up to cAccelEntries entries
// and returns the number copied. 0 for an invalid handle.
int CopyAcceleratorTableW(HACCEL hAccelSrc, LPACCEL lpAccelDst, int cAccelEntries);
