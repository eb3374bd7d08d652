// Windows and their message queue, headless: every window is a record behind a handle with a
// window procedure, a rectangle, visibility, text and an update region; posted messages, timers,
// paint requests and the quit request come out of one queue in the order the message loop
// expects (posted messages, quit, paint, timers). The installed WindowBackend mirrors the records
// on a toolkit, supplies the clock and waits for input.
//
// GUI thread only. Unknown or destroyed handles make calls fail, never touch freed records.
#pragma once

#include "platform/win/Messages.h"
#include "platform/win/WinTypes.h"

using WNDPROC = LRESULT (*)(HWND, UINT, WPARAM, LPARAM);

struct MSG {
  HWND hwnd;
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
  DWORD time;
  POINT pt;
};
using LPMSG = MSG*;

struct PAINTSTRUCT {
  HDC hdc;
  BOOL fErase;
  RECT rcPaint;
};

constexpr UINT PM_NOREMOVE = 0x0000;
constexpr UINT PM_REMOVE = 0x0001;

namespace velmora::win {
// Registers a window record and tells the backend; null for a null procedure or a parent that is
// not a window. The window starts visible when the style says WS_VISIBLE.
HWND CreateWindowRecord(WNDPROC proc, HWND hParent, DWORD style, const RECT& rect, LPCWSTR text,
                        LPCWSTR className);
// Forgets a window: its timers, its queued messages, focus and capture on it; children are
// re-parented to nothing (their owners destroy them). The procedure is not called.
BOOL ReleaseWindowRecord(HWND hWnd);
// Sets a key's state as a toolkit reports it (the queue also tracks key messages it hands out).
void SetKeyDown(UINT vk, bool down);
}  // namespace velmora::win

BOOL IsWindow(HWND hWnd);
HWND GetParent(HWND hWnd);
// Class name given at creation; copies up to nMaxCount-1 characters, returns the length copied.
int GetClassNameW(HWND hWnd, LPWSTR lpClassName, int nMaxCount);

// Calls the window procedure now; 0 for no window.
LRESULT SendMessageW(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam);
// Queues a message; a null window posts to the thread (the loop sees it with a null hwnd).
// FALSE when the window does not exist.
BOOL PostMessageW(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam);
void PostQuitMessage(int nExitCode);
// Filters: a window (null for all), a message range (0, 0 for all). WM_PAINT stays pending until
// the update region is validated; a due timer gives WM_TIMER and is re-armed one period later.
BOOL PeekMessageW(LPMSG lpMsg, HWND hWnd, UINT wMsgFilterMin, UINT wMsgFilterMax, UINT wRemoveMsg);
// Waits for a message: FALSE for WM_QUIT, -1 when the backend says nothing can ever arrive.
BOOL GetMessageW(LPMSG lpMsg, HWND hWnd, UINT wMsgFilterMin, UINT wMsgFilterMax);
// To the window's procedure; a WM_PAINT the procedure left invalid is validated, so that an
// unpainted window cannot keep the loop busy.
LRESULT DispatchMessageW(const MSG* lpMsg);
// Messages posted and not yet retrieved (for tests and idle decisions).
int GetQueuedMessageCount();

DWORD GetTickCount();
using TIMERPROC = void (*)(HWND, UINT, UINT_PTR, DWORD);
// Arms (or re-arms) the window's timer nIDEvent; the first WM_TIMER comes uElapse ms (at least
// 10) from now.
// 0 for no window; a callback procedure is not supported (0).
UINT_PTR SetTimer(HWND hWnd, UINT_PTR nIDEvent, UINT uElapse, TIMERPROC lpTimerFunc);
BOOL KillTimer(HWND hWnd, UINT_PTR uIDEvent);

// Visibility: returns whether the window was visible before.
BOOL ShowWindow(HWND hWnd, int nCmdShow);
BOOL IsWindowVisible(HWND hWnd);
// The last ShowWindow command (SW_SHOWMAXIMIZED, SW_SHOWNORMAL...), for a toolkit to honour.
int GetShowCommand(HWND hWnd);
BOOL IsIconic(HWND hWnd);
BOOL IsZoomed(HWND hWnd);
// Position in the parent's client coordinates (screen for top-level windows); sends WM_MOVE and,
// when the size changed, WM_SIZE (SIZE_RESTORED, client width and height).
BOOL MoveWindow(HWND hWnd, int X, int Y, int nWidth, int nHeight, BOOL bRepaint);
// Windows have no frame here: the client area is the whole window.
BOOL GetClientRect(HWND hWnd, LPRECT lpRect);
BOOL GetWindowRect(HWND hWnd, LPRECT lpRect);
BOOL ClientToScreen(HWND hWnd, LPPOINT lpPoint);
BOOL ScreenToClient(HWND hWnd, LPPOINT lpPoint);
BOOL EnableWindow(HWND hWnd, BOOL bEnable);  // returns whether it was disabled before
BOOL IsWindowEnabled(HWND hWnd);

// Update region (kept as its bounding rectangle). A null rectangle means the whole client area.
BOOL InvalidateRect(HWND hWnd, const RECT* lpRect, BOOL bErase);
BOOL ValidateRect(HWND hWnd, const RECT* lpRect);
BOOL GetUpdateRect(HWND hWnd, LPRECT lpRect, BOOL bErase);
// Paints now when the window has an update region.
BOOL UpdateWindow(HWND hWnd);
HDC BeginPaint(HWND hWnd, PAINTSTRUCT* lpPaint);
BOOL EndPaint(HWND hWnd, const PAINTSTRUCT* lpPaint);
// A device context for drawing into the window now, from the backend (null when it draws
// nowhere, and for a missing window).
HDC GetDC(HWND hWnd);
int ReleaseDC(HWND hWnd, HDC hDC);

// Focus: WM_KILLFOCUS to the old window, WM_SETFOCUS to the new one; returns the old one.
HWND SetFocus(HWND hWnd);
HWND GetFocus();
// Capture: the previous holder gets WM_CAPTURECHANGED.
HWND SetCapture(HWND hWnd);
BOOL ReleaseCapture();
HWND GetCapture();

BOOL SetWindowTextW(HWND hWnd, LPCWSTR lpString);
int GetWindowTextW(HWND hWnd, LPWSTR lpString, int nMaxCount);
int GetWindowTextLengthW(HWND hWnd);

// Scroll bars: the window record keeps each bar's range, page, position and visibility.
constexpr int SB_HORZ = 0, SB_VERT = 1, SB_BOTH = 3;
constexpr UINT SB_LINEUP = 0, SB_LINELEFT = 0, SB_LINEDOWN = 1, SB_LINERIGHT = 1, SB_PAGEUP = 2,
               SB_PAGELEFT = 2, SB_PAGEDOWN = 3, SB_PAGERIGHT = 3, SB_THUMBPOSITION = 4,
               SB_THUMBTRACK = 5, SB_TOP = 6, SB_LEFT = 6, SB_BOTTOM = 7, SB_RIGHT = 7, SB_ENDSCROLL = 8;
constexpr UINT SIF_RANGE = 0x1, SIF_PAGE = 0x2, SIF_POS = 0x4, SIF_DISABLENOSCROLL = 0x8,
               SIF_TRACKPOS = 0x10, SIF_ALL = SIF_RANGE | SIF_PAGE | SIF_POS | SIF_TRACKPOS;
struct SCROLLINFO {
  UINT cbSize;
  UINT fMask;
  int nMin;
  int nMax;
  UINT nPage;
  int nPos;
  int nTrackPos;
};
using LPSCROLLINFO = SCROLLINFO*;
using LPCSCROLLINFO = const SCROLLINFO*;
// Sets the fields fMask names; the position is kept inside [nMin, nMax]. Returns the position,
// 0 for an unknown window or bar.
int SetScrollInfo(HWND hWnd, int nBar, LPCSCROLLINFO lpsi, BOOL redraw);
BOOL GetScrollInfo(HWND hWnd, int nBar, LPSCROLLINFO lpsi);
int SetScrollPos(HWND hWnd, int nBar, int nPos, BOOL redraw);
int GetScrollPos(HWND hWnd, int nBar);
BOOL ShowScrollBar(HWND hWnd, int wBar, BOOL bShow);
BOOL IsScrollBarShown(HWND hWnd, int nBar);

// Cursors are resource numbers behind handles; the backend shows them.
constexpr UINT IDC_ARROW_ID = 32512;
constexpr UINT IDC_WAIT_ID = 32514;
constexpr UINT IDC_CROSS_ID = 32515;
HCURSOR LoadCursorW(HINSTANCE hInstance, UINT nResourceId);
// The resource number of a cursor handle, 0 for none.
UINT GetCursorResourceId(HCURSOR hCursor);
HCURSOR SetCursor(HCURSOR hCursor);
HCURSOR GetCursor();

// High bit set while the key is down.
SHORT GetKeyState(int nVirtKey);
SHORT GetAsyncKeyState(int vKey);

// Key messages against the table, first matching entry wins: virtual-key entries match
// WM_KEYDOWN/WM_SYSKEYDOWN with exactly their Shift, Ctrl and Alt state; character entries match
// WM_CHAR/WM_SYSCHAR by character, with Alt as the entry says. A match sends WM_COMMAND
// (MAKELONG(cmd, 1), 0) to the window and returns 1.
int TranslateAcceleratorW(HWND hWnd, HACCEL hAccTable, LPMSG lpMsg);
