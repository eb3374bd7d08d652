#include "platform/win/Window.h"

#include "platform/win/Menu.h"
#include "platform/win/WindowBackend.h"

#include <algorithm>
#include <array>
#include <cwchar>
#include <deque>
#include <string>
#include <unordered_map>
#include <vector>

using velmora::win::Backend;

namespace {
struct WindowRecord {
  WNDPROC proc = nullptr;
  HWND parent = nullptr;
  DWORD style = 0;
  RECT rect{};  // in the parent's client coordinates
  std::wstring text;
  std::wstring className;
  bool visible = false;
  bool enabled = true;
  int showCommand = SW_HIDE;
  bool invalid = false;
  bool erase = false;
  RECT update{};
  struct Bar {
    int min = 0, max = 100, pos = 0, trackPos = 0;
    UINT page = 0;
    bool shown = false;
  } bars[2];
};

struct Timer {
  HWND hwnd;
  UINT_PTR id;
  DWORD period;
  DWORD due;
};

struct State {
  std::unordered_map<HWND, WindowRecord> windows;
  uintptr_t nextHandle = 0x10000;  // never reused, so a stale handle stays invalid
  std::deque<MSG> posted;
  bool quit = false;
  int quitCode = 0;
  std::vector<Timer> timers;  // in arming order
  HWND focus = nullptr;
  HWND capture = nullptr;
  HCURSOR cursor = nullptr;
  std::array<bool, 256> keys{};
};

State& S() {
  static State s;
  return s;
}

WindowRecord* Rec(HWND h) {
  auto it = S().windows.find(h);
  return it == S().windows.end() ? nullptr : &it->second;
}

// Signed distance on the wrapping millisecond clock: negative while t lies before now.
int32_t Since(DWORD now, DWORD t) { return static_cast<int32_t>(now - t); }

bool Matches(const MSG& m, HWND filter, UINT lo, UINT hi) {
  if (filter && m.hwnd != filter) return false;
  if (lo == 0 && hi == 0) return true;
  return m.message >= lo && m.message <= hi;
}

bool ShownWithAncestors(HWND h) {
  for (const WindowRecord* r = Rec(h); r; r = r->parent ? Rec(r->parent) : nullptr)
    if (!r->visible) return false;
  return true;
}

void TrackKeys(const MSG& m) {
  const bool down = m.message == WM_KEYDOWN || m.message == WM_SYSKEYDOWN;
  const bool up = m.message == WM_KEYUP || m.message == WM_SYSKEYUP;
  if ((down || up) && m.wParam < 256) S().keys[m.wParam] = down;
}

MSG Make(HWND h, UINT msg, WPARAM w, LPARAM l) { return MSG{h, msg, w, l, GetTickCount(), POINT{0, 0}}; }

// One message for the loop, in the loop's priority order; nullopt-like false when none.
bool Find(MSG* out, HWND filter, UINT lo, UINT hi, bool remove) {
  State& s = S();
  for (auto it = s.posted.begin(); it != s.posted.end(); ++it) {
    if (!Matches(*it, filter, lo, hi)) continue;
    *out = *it;
    if (remove) {
      s.posted.erase(it);
      TrackKeys(*out);
    }
    return true;
  }
  if (s.quit && !filter && Matches(MSG{nullptr, WM_QUIT, 0, 0, 0, {}}, nullptr, lo, hi)) {
    *out = Make(nullptr, WM_QUIT, static_cast<WPARAM>(s.quitCode), 0);
    if (remove) s.quit = false;
    return true;
  }
  // Paint: the oldest window with an update region (handles grow with creation).
  HWND paint = nullptr;
  for (auto& [h, r] : s.windows)
    if (r.invalid && (!filter || h == filter) && ShownWithAncestors(h) && (!paint || h < paint)) paint = h;
  if (paint && Matches(MSG{paint, WM_PAINT, 0, 0, 0, {}}, filter, lo, hi)) {
    *out = Make(paint, WM_PAINT, 0, 0);
    return true;
  }
  const DWORD now = Backend().TickCount();
  for (Timer& t : s.timers) {
    if (Since(now, t.due) < 0) continue;
    MSG m = Make(t.hwnd, WM_TIMER, t.id, 0);
    if (!Matches(m, filter, lo, hi)) continue;
    *out = m;
    // Late ticks are not made up: the next one is a full period from now.
    if (remove) t.due = now + t.period;
    return true;
  }
  return false;
}

void Notify(HWND h, UINT msg, WPARAM w = 0, LPARAM l = 0) {
  if (Rec(h)) SendMessageW(h, msg, w, l);
}
}  // namespace

HWND velmora::win::CreateWindowRecord(WNDPROC proc, HWND hParent, DWORD style, const RECT& rect, LPCWSTR text,
                                      LPCWSTR className) {
  if (!proc || (hParent && !Rec(hParent))) return nullptr;
  State& s = S();
  const HWND h = reinterpret_cast<HWND>(s.nextHandle++);
  WindowRecord r;
  r.proc = proc;
  r.parent = hParent;
  r.style = style;
  r.rect = rect;
  r.text = text ? text : L"";
  r.className = className ? className : L"";
  r.visible = (style & WS_VISIBLE) != 0;
  r.enabled = (style & WS_DISABLED) == 0;
  r.showCommand = r.visible ? SW_SHOW : SW_HIDE;
  // A window born visible needs its first paint like one shown later.
  r.invalid = r.erase = r.visible;
  r.update = RECT{0, 0, rect.right - rect.left, rect.bottom - rect.top};
  s.windows.emplace(h, std::move(r));
  Backend().PeerCreated(h, hParent, rect, style, text ? text : L"");
  return h;
}

BOOL velmora::win::ReleaseWindowRecord(HWND hWnd) {
  State& s = S();
  if (!Rec(hWnd)) return FALSE;
  std::erase_if(s.timers, [&](const Timer& t) { return t.hwnd == hWnd; });
  std::erase_if(s.posted, [&](const MSG& m) { return m.hwnd == hWnd; });
  if (s.focus == hWnd) s.focus = nullptr;
  if (s.capture == hWnd) s.capture = nullptr;
  for (auto& [h, r] : s.windows)
    if (r.parent == hWnd) r.parent = nullptr;
  s.windows.erase(hWnd);
  Backend().PeerDestroyed(hWnd);
  return TRUE;
}

void velmora::win::SetKeyDown(UINT vk, bool down) {
  if (vk < 256) S().keys[vk] = down;
}

BOOL IsWindow(HWND hWnd) { return Rec(hWnd) ? TRUE : FALSE; }

HWND GetParent(HWND hWnd) {
  const WindowRecord* r = Rec(hWnd);
  return r ? r->parent : nullptr;
}

int GetClassNameW(HWND hWnd, LPWSTR lpClassName, int nMaxCount) {
  const WindowRecord* r = Rec(hWnd);
  if (!r || !lpClassName || nMaxCount <= 0) return 0;
  const int n = std::min<int>(static_cast<int>(r->className.size()), nMaxCount - 1);
  std::wmemcpy(lpClassName, r->className.data(), static_cast<size_t>(n));
  lpClassName[n] = L'\0';
  return n;
}

LRESULT SendMessageW(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) {
  const WindowRecord* r = Rec(hWnd);
  if (!r) return 0;
  const WNDPROC proc = r->proc;  // the record may go while the procedure runs
  return proc(hWnd, Msg, wParam, lParam);
}

BOOL PostMessageW(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) {
  if (hWnd && !Rec(hWnd)) return FALSE;
  S().posted.push_back(Make(hWnd, Msg, wParam, lParam));
  return TRUE;
}

void PostQuitMessage(int nExitCode) {
  S().quit = true;
  S().quitCode = nExitCode;
}

BOOL PeekMessageW(LPMSG lpMsg, HWND hWnd, UINT wMsgFilterMin, UINT wMsgFilterMax, UINT wRemoveMsg) {
  if (!lpMsg) return FALSE;
  return Find(lpMsg, hWnd, wMsgFilterMin, wMsgFilterMax, (wRemoveMsg & PM_REMOVE) != 0) ? TRUE : FALSE;
}

BOOL GetMessageW(LPMSG lpMsg, HWND hWnd, UINT wMsgFilterMin, UINT wMsgFilterMax) {
  if (!lpMsg) return -1;
  for (;;) {
    if (Find(lpMsg, hWnd, wMsgFilterMin, wMsgFilterMax, true)) return lpMsg->message == WM_QUIT ? FALSE : TRUE;
    DWORD wait = INFINITE;
    const DWORD now = Backend().TickCount();
    for (const Timer& t : S().timers) {
      if (hWnd && t.hwnd != hWnd) continue;
      const int32_t left = -Since(now, t.due);
      wait = std::min<DWORD>(wait, static_cast<DWORD>(std::max<int32_t>(left, 0)));
    }
    if (!Backend().WaitForInput(wait)) return -1;
  }
}

LRESULT DispatchMessageW(const MSG* lpMsg) {
  if (!lpMsg || !lpMsg->hwnd) return 0;
  const HWND h = lpMsg->hwnd;
  if (lpMsg->message == WM_TIMER) {
    // A timer killed after the message was taken out no longer fires.
    const auto& timers = S().timers;
    if (std::none_of(timers.begin(), timers.end(),
                     [&](const Timer& t) { return t.hwnd == h && t.id == lpMsg->wParam; }))
      return 0;
  }
  const LRESULT r = SendMessageW(h, lpMsg->message, lpMsg->wParam, lpMsg->lParam);
  if (lpMsg->message == WM_PAINT) ValidateRect(h, nullptr);
  return r;
}

int GetQueuedMessageCount() { return static_cast<int>(S().posted.size()); }

DWORD GetTickCount() { return Backend().TickCount(); }

UINT_PTR SetTimer(HWND hWnd, UINT_PTR nIDEvent, UINT uElapse, TIMERPROC lpTimerFunc) {
  if (!Rec(hWnd) || lpTimerFunc) return 0;
  // As on the original system: shorter periods are raised to 10 ms, so a zero period cannot
  // flood the queue.
  uElapse = std::max<UINT>(uElapse, 10);
  const DWORD due = Backend().TickCount() + uElapse;
  for (Timer& t : S().timers)
    if (t.hwnd == hWnd && t.id == nIDEvent) {
      t.period = uElapse;
      t.due = due;
      return nIDEvent;
    }
  S().timers.push_back(Timer{hWnd, nIDEvent, uElapse, due});
  // Timer id 0 is valid for a window; the caller tells success by the window.
  return nIDEvent ? nIDEvent : 1;
}

BOOL KillTimer(HWND hWnd, UINT_PTR uIDEvent) {
  auto& timers = S().timers;
  const auto n = std::erase_if(timers, [&](const Timer& t) { return t.hwnd == hWnd && t.id == uIDEvent; });
  return n ? TRUE : FALSE;
}

BOOL ShowWindow(HWND hWnd, int nCmdShow) {
  WindowRecord* r = Rec(hWnd);
  if (!r) return FALSE;
  const BOOL was = r->visible ? TRUE : FALSE;
  const bool show = nCmdShow != SW_HIDE;
  r->showCommand = nCmdShow;
  r->visible = show;
  if (show && !was) {
    r->invalid = true;
    r->erase = true;
    r->update = RECT{0, 0, r->rect.right - r->rect.left, r->rect.bottom - r->rect.top};
  }
  Backend().PeerShown(hWnd, show);
  if (static_cast<bool>(was) != show) Notify(hWnd, WM_SHOWWINDOW, show ? 1 : 0, 0);
  return was;
}

BOOL IsWindowVisible(HWND hWnd) { return ShownWithAncestors(hWnd) ? TRUE : FALSE; }

int GetShowCommand(HWND hWnd) {
  const WindowRecord* r = Rec(hWnd);
  return r ? r->showCommand : SW_HIDE;
}
BOOL IsIconic(HWND hWnd) {
  const int c = GetShowCommand(hWnd);
  return IsWindow(hWnd) && (c == SW_SHOWMINIMIZED || c == SW_MINIMIZE);
}
BOOL IsZoomed(HWND hWnd) { return IsWindow(hWnd) && GetShowCommand(hWnd) == SW_SHOWMAXIMIZED; }

BOOL MoveWindow(HWND hWnd, int X, int Y, int nWidth, int nHeight, BOOL bRepaint) {
  WindowRecord* r = Rec(hWnd);
  if (!r) return FALSE;
  nWidth = std::max(nWidth, 0);
  nHeight = std::max(nHeight, 0);
  const RECT old = r->rect;
  r->rect = RECT{X, Y, X + nWidth, Y + nHeight};
  Backend().PeerMoved(hWnd, r->rect);
  const bool moved = old.left != X || old.top != Y;
  const bool sized = old.right - old.left != nWidth || old.bottom - old.top != nHeight;
  if (bRepaint) InvalidateRect(hWnd, nullptr, TRUE);
  if (moved) Notify(hWnd, WM_MOVE, 0, static_cast<LPARAM>(MAKELONG(static_cast<WORD>(X), static_cast<WORD>(Y))));
  if (sized)
    Notify(hWnd, WM_SIZE, 0, static_cast<LPARAM>(MAKELONG(static_cast<WORD>(nWidth), static_cast<WORD>(nHeight))));
  return TRUE;
}

BOOL GetClientRect(HWND hWnd, LPRECT lpRect) {
  const WindowRecord* r = Rec(hWnd);
  if (!r || !lpRect) return FALSE;
  *lpRect = RECT{0, 0, r->rect.right - r->rect.left, r->rect.bottom - r->rect.top};
  return TRUE;
}

BOOL ClientToScreen(HWND hWnd, LPPOINT lpPoint) {
  if (!Rec(hWnd) || !lpPoint) return FALSE;
  for (const WindowRecord* r = Rec(hWnd); r; r = r->parent ? Rec(r->parent) : nullptr) {
    lpPoint->x += r->rect.left;
    lpPoint->y += r->rect.top;
  }
  return TRUE;
}

BOOL ScreenToClient(HWND hWnd, LPPOINT lpPoint) {
  POINT origin{0, 0};
  if (!lpPoint || !ClientToScreen(hWnd, &origin)) return FALSE;
  lpPoint->x -= origin.x;
  lpPoint->y -= origin.y;
  return TRUE;
}

BOOL GetWindowRect(HWND hWnd, LPRECT lpRect) {
  RECT c;
  if (!lpRect || !GetClientRect(hWnd, &c)) return FALSE;
  POINT p{0, 0};
  ClientToScreen(hWnd, &p);
  *lpRect = RECT{p.x, p.y, p.x + c.right, p.y + c.bottom};
  return TRUE;
}

BOOL EnableWindow(HWND hWnd, BOOL bEnable) {
  WindowRecord* r = Rec(hWnd);
  if (!r) return FALSE;
  const BOOL wasDisabled = r->enabled ? FALSE : TRUE;
  r->enabled = bEnable != FALSE;
  if (static_cast<bool>(wasDisabled) == r->enabled) {
    Backend().PeerEnabled(hWnd, r->enabled);
    Notify(hWnd, WM_ENABLE, r->enabled ? 1 : 0, 0);
  }
  return wasDisabled;
}

BOOL IsWindowEnabled(HWND hWnd) {
  const WindowRecord* r = Rec(hWnd);
  return r && r->enabled ? TRUE : FALSE;
}

BOOL InvalidateRect(HWND hWnd, const RECT* lpRect, BOOL bErase) {
  WindowRecord* r = Rec(hWnd);
  if (!r) return FALSE;
  RECT client;
  GetClientRect(hWnd, &client);
  RECT add = lpRect ? *lpRect : client;
  // Only the part inside the client area needs painting.
  add.left = std::max(add.left, client.left);
  add.top = std::max(add.top, client.top);
  add.right = std::min(add.right, client.right);
  add.bottom = std::min(add.bottom, client.bottom);
  if (add.right <= add.left || add.bottom <= add.top) {
    // An empty window still gets its paint when it asks for the whole area.
    if (lpRect) return TRUE;
    add = client;
  }
  if (r->invalid) {
    r->update.left = std::min(r->update.left, add.left);
    r->update.top = std::min(r->update.top, add.top);
    r->update.right = std::max(r->update.right, add.right);
    r->update.bottom = std::max(r->update.bottom, add.bottom);
  } else {
    r->update = add;
  }
  r->invalid = true;
  r->erase = r->erase || bErase;
  Backend().PeerInvalidated(hWnd);
  return TRUE;
}

BOOL ValidateRect(HWND hWnd, const RECT* lpRect) {
  WindowRecord* r = Rec(hWnd);
  if (!r) return FALSE;
  // With the region kept as one rectangle, validating part of it keeps the whole pending unless
  // the part covers it.
  if (lpRect && r->invalid) {
    const RECT& u = r->update;
    if (!(lpRect->left <= u.left && lpRect->top <= u.top && lpRect->right >= u.right && lpRect->bottom >= u.bottom))
      return TRUE;
  }
  r->invalid = false;
  r->erase = false;
  r->update = RECT{};
  return TRUE;
}

BOOL GetUpdateRect(HWND hWnd, LPRECT lpRect, BOOL) {
  const WindowRecord* r = Rec(hWnd);
  if (!r) return FALSE;
  if (lpRect) *lpRect = r->invalid ? r->update : RECT{};
  return r->invalid ? TRUE : FALSE;
}

BOOL UpdateWindow(HWND hWnd) {
  const WindowRecord* r = Rec(hWnd);
  if (!r) return FALSE;
  if (r->invalid && ShownWithAncestors(hWnd)) {
    SendMessageW(hWnd, WM_PAINT, 0, 0);
    ValidateRect(hWnd, nullptr);
  }
  return TRUE;
}

HDC BeginPaint(HWND hWnd, PAINTSTRUCT* lpPaint) {
  WindowRecord* r = Rec(hWnd);
  if (!r || !lpPaint) return nullptr;
  lpPaint->fErase = r->erase ? TRUE : FALSE;
  if (r->invalid) lpPaint->rcPaint = r->update;
  else GetClientRect(hWnd, &lpPaint->rcPaint);
  if (r->erase) {
    r->erase = false;
    SendMessageW(hWnd, WM_ERASEBKGND, 0, 0);
  }
  ValidateRect(hWnd, nullptr);
  lpPaint->hdc = Backend().BeginPaint(hWnd);
  return lpPaint->hdc;
}

BOOL EndPaint(HWND hWnd, const PAINTSTRUCT* lpPaint) {
  if (!lpPaint) return FALSE;
  Backend().EndPaint(hWnd, lpPaint->hdc);
  return TRUE;
}

HDC GetDC(HWND hWnd) { return Rec(hWnd) ? Backend().GetDC(hWnd) : nullptr; }

int ReleaseDC(HWND hWnd, HDC hDC) {
  if (!Rec(hWnd)) return 0;
  Backend().ReleaseDC(hWnd, hDC);
  return 1;
}

HWND SetFocus(HWND hWnd) {
  State& s = S();
  if (hWnd && !Rec(hWnd)) return nullptr;
  const HWND old = s.focus;
  if (old == hWnd) return old;
  s.focus = hWnd;
  Notify(old, WM_KILLFOCUS, reinterpret_cast<WPARAM>(hWnd), 0);
  // The losing window's handler may have moved the focus on; report what is current.
  if (s.focus == hWnd) Notify(hWnd, WM_SETFOCUS, reinterpret_cast<WPARAM>(old), 0);
  Backend().FocusChanged(s.focus);
  return old;
}

HWND GetFocus() { return S().focus; }

HWND SetCapture(HWND hWnd) {
  State& s = S();
  if (!Rec(hWnd)) return nullptr;
  const HWND old = s.capture;
  s.capture = hWnd;
  if (old && old != hWnd) Notify(old, WM_CAPTURECHANGED, 0, reinterpret_cast<LPARAM>(hWnd));
  Backend().CaptureChanged(hWnd);
  return old;
}

BOOL ReleaseCapture() {
  State& s = S();
  const HWND old = s.capture;
  s.capture = nullptr;
  if (old) {
    Notify(old, WM_CAPTURECHANGED, 0, 0);
    Backend().CaptureChanged(nullptr);
  }
  return TRUE;
}

HWND GetCapture() { return S().capture; }

BOOL SetWindowTextW(HWND hWnd, LPCWSTR lpString) {
  WindowRecord* r = Rec(hWnd);
  if (!r) return FALSE;
  r->text = lpString ? lpString : L"";
  Backend().PeerTextChanged(hWnd, r->text.c_str());
  return TRUE;
}

int GetWindowTextW(HWND hWnd, LPWSTR lpString, int nMaxCount) {
  const WindowRecord* r = Rec(hWnd);
  if (!r || !lpString || nMaxCount <= 0) return 0;
  const int n = std::min<int>(static_cast<int>(r->text.size()), nMaxCount - 1);
  std::wmemcpy(lpString, r->text.data(), static_cast<size_t>(n));
  lpString[n] = L'\0';
  return n;
}

int GetWindowTextLengthW(HWND hWnd) {
  const WindowRecord* r = Rec(hWnd);
  return r ? static_cast<int>(r->text.size()) : 0;
}

namespace {
WindowRecord::Bar* BarOf(HWND hWnd, int nBar) {
  WindowRecord* r = Rec(hWnd);
  if (!r || (nBar != SB_HORZ && nBar != SB_VERT)) return nullptr;
  return &r->bars[nBar];
}
}  // namespace

int SetScrollInfo(HWND hWnd, int nBar, LPCSCROLLINFO lpsi, BOOL redraw) {
  WindowRecord::Bar* b = BarOf(hWnd, nBar);
  if (!b || !lpsi) return 0;
  if (lpsi->fMask & SIF_RANGE) {
    b->min = lpsi->nMin;
    b->max = std::max(lpsi->nMin, lpsi->nMax);
  }
  if (lpsi->fMask & SIF_PAGE) b->page = lpsi->nPage;
  if (lpsi->fMask & SIF_POS) b->pos = lpsi->nPos;
  b->pos = std::clamp(b->pos, b->min, b->max);
  b->trackPos = b->pos;
  if (redraw) InvalidateRect(hWnd, nullptr, FALSE);
  return b->pos;
}

BOOL GetScrollInfo(HWND hWnd, int nBar, LPSCROLLINFO lpsi) {
  const WindowRecord::Bar* b = BarOf(hWnd, nBar);
  if (!b || !lpsi) return FALSE;
  if (lpsi->fMask & SIF_RANGE) {
    lpsi->nMin = b->min;
    lpsi->nMax = b->max;
  }
  if (lpsi->fMask & SIF_PAGE) lpsi->nPage = b->page;
  if (lpsi->fMask & SIF_POS) lpsi->nPos = b->pos;
  if (lpsi->fMask & SIF_TRACKPOS) lpsi->nTrackPos = b->trackPos;
  return TRUE;
}

int SetScrollPos(HWND hWnd, int nBar, int nPos, BOOL redraw) {
  const WindowRecord::Bar* b = BarOf(hWnd, nBar);
  if (!b) return 0;
  const int old = b->pos;
  SCROLLINFO si{sizeof(SCROLLINFO), SIF_POS, 0, 0, 0, nPos, 0};
  SetScrollInfo(hWnd, nBar, &si, redraw);
  return old;
}

int GetScrollPos(HWND hWnd, int nBar) {
  const WindowRecord::Bar* b = BarOf(hWnd, nBar);
  return b ? b->pos : 0;
}

BOOL ShowScrollBar(HWND hWnd, int wBar, BOOL bShow) {
  WindowRecord* r = Rec(hWnd);
  if (!r) return FALSE;
  if (wBar != SB_HORZ && wBar != SB_VERT && wBar != SB_BOTH) return FALSE;
  for (int i = 0; i < 2; ++i)
    if (wBar == SB_BOTH || wBar == i) r->bars[i].shown = bShow != FALSE;
  return TRUE;
}

BOOL IsScrollBarShown(HWND hWnd, int nBar) {
  const WindowRecord::Bar* b = BarOf(hWnd, nBar);
  return b && b->shown ? TRUE : FALSE;
}

namespace {
// Cursor handles carry their resource number above a tag, so no table is needed.
constexpr uintptr_t kCursorTag = 0x7C000000u;
}  // namespace

HCURSOR LoadCursorW(HINSTANCE, UINT nResourceId) {
  if (nResourceId == 0 || nResourceId > 0xFFFF) return nullptr;
  return reinterpret_cast<HCURSOR>(kCursorTag | nResourceId);
}

UINT GetCursorResourceId(HCURSOR hCursor) {
  const auto v = reinterpret_cast<uintptr_t>(hCursor);
  return (v & ~uintptr_t{0xFFFF}) == kCursorTag ? static_cast<UINT>(v & 0xFFFF) : 0;
}

HCURSOR SetCursor(HCURSOR hCursor) {
  const HCURSOR old = S().cursor;
  S().cursor = hCursor;
  if (old != hCursor) Backend().CursorChanged(hCursor);
  return old;
}

HCURSOR GetCursor() { return S().cursor; }

SHORT GetKeyState(int nVirtKey) {
  if (nVirtKey < 0 || nVirtKey > 255) return 0;
  return S().keys[static_cast<size_t>(nVirtKey)] ? static_cast<SHORT>(0x8000) : SHORT{0};
}

SHORT GetAsyncKeyState(int vKey) { return GetKeyState(vKey); }

int TranslateAcceleratorW(HWND hWnd, HACCEL hAccTable, LPMSG lpMsg) {
  if (!lpMsg || !IsWindow(hWnd)) return 0;
  const UINT m = lpMsg->message;
  const bool keyMsg = m == WM_KEYDOWN || m == WM_SYSKEYDOWN;
  const bool charMsg = m == WM_CHAR || m == WM_SYSCHAR;
  if (!keyMsg && !charMsg) return 0;
  const int n = CopyAcceleratorTableW(hAccTable, nullptr, 0);
  if (n <= 0) return 0;
  std::vector<ACCEL> table(static_cast<size_t>(n));
  CopyAcceleratorTableW(hAccTable, table.data(), n);
  const bool shift = GetKeyState(VK_SHIFT) < 0;
  const bool ctrl = GetKeyState(VK_CONTROL) < 0;
  const bool alt = m == WM_SYSKEYDOWN || m == WM_SYSCHAR || GetKeyState(VK_MENU) < 0;
  for (const ACCEL& a : table) {
    const bool virt = (a.fVirt & FVIRTKEY) != 0;
    if (a.key != lpMsg->wParam || virt != keyMsg) continue;
    if (static_cast<bool>(a.fVirt & FALT) != alt) continue;
    // Character entries name the character itself, so Shift and Ctrl are already in it.
    if (virt && (static_cast<bool>(a.fVirt & FSHIFT) != shift || static_cast<bool>(a.fVirt & FCONTROL) != ctrl))
      continue;
    SendMessageW(hWnd, WM_COMMAND, MAKELONG(a.cmd, 1), 0);
    return 1;
  }
  return 0;
}
