#include "platform/win/Menu.h"
#include "platform/win/Window.h"
#include "platform/win/WindowBackend.h"

BOOL TrackPopupMenu(HMENU hMenu, UINT uFlags, int x, int y, int, HWND hWnd, const RECT*) {
  if (!IsMenu(hMenu) || !IsWindow(hWnd)) return 0;
  const UINT id = velmora::win::Backend().TrackPopupMenu(hMenu, x, y, hWnd);
  if (uFlags & TPM_RETURNCMD) return BOOL(id);
  if (id == 0) return FALSE;
  PostMessageW(hWnd, WM_COMMAND, WPARAM(id), 0);
  return TRUE;
}
