#include "platform/afx/Wnd.h"

#include "platform/afx/Control.h"
#include "platform/afx/Menu.h"
#include "platform/afx/PaintDC.h"
#include "platform/afx/String.h"
#include "platform/win/DropFiles.h"
#include "platform/win/WindowBackend.h"

#include <algorithm>
#include <cstdlib>
#include <cwchar>
#include <unordered_map>
#include <vector>

IMPLEMENT_DYNAMIC(CWnd, CCmdTarget)

namespace {
// Live windows by handle. GUI thread only, as every window call.
std::unordered_map<HWND, CWnd*>& Handles() {
  static std::unordered_map<HWND, CWnd*> map;
  return map;
}
// The window layer calls this for every message to a window made by CWnd::Create.
LRESULT AfxWndProcBase(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
  CWnd* w = CWnd::FromHandle(hWnd);
  return w ? AfxCallWndProc(w, message, wParam, lParam) : 0;
}

struct CurrentMessage {
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
};
thread_local CurrentMessage t_current{WM_NULL, 0, 0};
uint64_t g_serial = 0;

void ReleaseWindow(HWND h) {
  AfxForgetControlState(h);
  Handles().erase(h);
  velmora::win::ReleaseWindowRecord(h);
}
}  // namespace

CWnd::~CWnd() {
  if (m_hWnd) {
    // A window object going away with its window: take the window down without PostNcDestroy
    // deleting the object a second time. A subclassed window stays with its earlier object.
    if (m_pSubclassed) {
      UnsubclassWindow();
    } else {
      ReleaseWindow(m_hWnd);
      m_hWnd = nullptr;
    }
  }
}

CWnd* CWnd::FromHandle(HWND hWnd) {
  auto it = Handles().find(hWnd);
  return it == Handles().end() ? nullptr : it->second;
}

BOOL CWnd::Create(LPCWSTR lpszClassName, LPCWSTR lpszWindowName, DWORD dwStyle, const RECT& rect, CWnd* pParentWnd,
                  UINT nID, void* pContext) {
  if (m_hWnd) return FALSE;
  m_hWnd = velmora::win::CreateWindowRecord(&AfxWndProcBase, pParentWnd ? pParentWnd->m_hWnd : nullptr, dwStyle,
                                            rect, lpszWindowName, lpszClassName);
  if (!m_hWnd) return FALSE;
  Handles()[m_hWnd] = this;
  m_bEnabled = (dwStyle & WS_DISABLED) ? FALSE : TRUE;
  m_pParent = pParentWnd;
  m_nID = nID;
  m_dwStyle = dwStyle;
  m_nSerial = ++g_serial;
  AfxAdoptPendingControlState(m_hWnd);
  CREATESTRUCTW cs{};
  cs.lpCreateParams = pContext;
  cs.hwndParent = pParentWnd ? pParentWnd->m_hWnd : nullptr;
  cs.x = rect.left;
  cs.y = rect.top;
  cs.cx = rect.right - rect.left;
  cs.cy = rect.bottom - rect.top;
  cs.style = static_cast<LONG>(dwStyle);
  cs.lpszName = lpszWindowName;
  cs.lpszClass = lpszClassName;
  if (AfxCallWndProc(this, WM_CREATE, 0, reinterpret_cast<LPARAM>(&cs)) == -1) {
    DestroyWindow();
    return FALSE;
  }
  return TRUE;
}

BOOL CWnd::DestroyWindow() {
  if (!m_hWnd) return FALSE;
  const HWND h = m_hWnd;
  AfxCallWndProc(this, WM_DESTROY, 0, 0);
  // WM_DESTROY handlers may not delete the object; the handle tells whether it is still there.
  if (FromHandle(h) != this) return TRUE;
  AfxCallWndProc(this, WM_NCDESTROY, 0, 0);
  ReleaseWindow(h);
  m_hWnd = nullptr;
  m_pSubclassed = nullptr;  // the earlier object's window is gone too
  PostNcDestroy();
  return TRUE;
}

LRESULT CWnd::SendMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  return m_hWnd ? AfxCallWndProc(this, message, wParam, lParam) : 0;
}

BOOL CWnd::PostMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  return m_hWnd ? ::PostMessageW(m_hWnd, message, wParam, lParam) : FALSE;
}

BOOL CWnd::EnableWindow(BOOL bEnable) {
  const BOOL wasDisabled = !m_bEnabled;
  m_bEnabled = bEnable ? TRUE : FALSE;
  if (m_hWnd) ::EnableWindow(m_hWnd, m_bEnabled);
  return wasDisabled;
}

CWnd* CWnd::GetTopLevelParent() const {
  const CWnd* w = this;
  while (w->m_pParent) w = w->m_pParent;
  return const_cast<CWnd*>(w);
}

BOOL CWnd::ShowWindow(int nCmdShow) { return m_hWnd ? ::ShowWindow(m_hWnd, nCmdShow) : FALSE; }
BOOL CWnd::IsWindowVisible() const { return m_hWnd ? ::IsWindowVisible(m_hWnd) : FALSE; }
void CWnd::MoveWindow(int x, int y, int nWidth, int nHeight, BOOL bRepaint) {
  if (m_hWnd) ::MoveWindow(m_hWnd, x, y, nWidth, nHeight, bRepaint);
}
void CWnd::MoveWindow(LPCRECT lpRect, BOOL bRepaint) {
  if (lpRect) MoveWindow(lpRect->left, lpRect->top, lpRect->right - lpRect->left, lpRect->bottom - lpRect->top, bRepaint);
}
void CWnd::GetClientRect(LPRECT lpRect) const {
  if (lpRect && !::GetClientRect(m_hWnd, lpRect)) *lpRect = RECT{};
}
void CWnd::GetWindowRect(LPRECT lpRect) const {
  if (lpRect && !::GetWindowRect(m_hWnd, lpRect)) *lpRect = RECT{};
}
void CWnd::ClientToScreen(LPPOINT lpPoint) const { ::ClientToScreen(m_hWnd, lpPoint); }
void CWnd::ScreenToClient(LPPOINT lpPoint) const { ::ScreenToClient(m_hWnd, lpPoint); }
void CWnd::ClientToScreen(LPRECT lpRect) const {
  if (!lpRect) return;
  ClientToScreen(reinterpret_cast<LPPOINT>(&lpRect->left));
  ClientToScreen(reinterpret_cast<LPPOINT>(&lpRect->right));
}
void CWnd::ScreenToClient(LPRECT lpRect) const {
  if (!lpRect) return;
  ScreenToClient(reinterpret_cast<LPPOINT>(&lpRect->left));
  ScreenToClient(reinterpret_cast<LPPOINT>(&lpRect->right));
}

void CWnd::Invalidate(BOOL bErase) { ::InvalidateRect(m_hWnd, nullptr, bErase); }
void CWnd::InvalidateRect(LPCRECT lpRect, BOOL bErase) { ::InvalidateRect(m_hWnd, lpRect, bErase); }
void CWnd::UpdateWindow() { ::UpdateWindow(m_hWnd); }

CDC* CWnd::GetDC() { return m_hWnd ? new CClientDC(this) : nullptr; }

int CWnd::ReleaseDC(CDC* pDC) {
  auto* dc = dynamic_cast<CClientDC*>(pDC);
  if (!dc) return 0;
  delete dc;
  return 1;
}

UINT_PTR CWnd::SetTimer(UINT_PTR nIDEvent, UINT nElapse, TIMERPROC lpfnTimer) {
  return ::SetTimer(m_hWnd, nIDEvent, nElapse, lpfnTimer);
}
BOOL CWnd::KillTimer(UINT_PTR nIDEvent) { return ::KillTimer(m_hWnd, nIDEvent); }

CWnd* CWnd::SetFocus() { return m_hWnd ? FromHandle(::SetFocus(m_hWnd)) : nullptr; }
CWnd* CWnd::GetFocus() { return FromHandle(::GetFocus()); }
CWnd* CWnd::SetCapture() { return m_hWnd ? FromHandle(::SetCapture(m_hWnd)) : nullptr; }
CWnd* CWnd::GetCapture() { return FromHandle(::GetCapture()); }

void CWnd::SetWindowText(LPCWSTR lpszString) { ::SetWindowTextW(m_hWnd, lpszString); }
void CWnd::GetWindowText(CString& rString) const {
  std::vector<wchar_t> buf(static_cast<size_t>(GetWindowTextLength()) + 1);
  ::GetWindowTextW(m_hWnd, buf.data(), static_cast<int>(buf.size()));
  rString = buf.data();
}
int CWnd::GetWindowTextLength() const { return ::GetWindowTextLengthW(m_hWnd); }

BOOL CWnd::PreTranslateMessage(MSG*) { return FALSE; }

BOOL CWnd::WalkPreTranslateTree(HWND hWndStop, MSG* pMsg) {
  if (!pMsg) return FALSE;
  for (HWND h = pMsg->hwnd; h; h = ::GetParent(h)) {
    if (CWnd* w = FromHandle(h); w && w->PreTranslateMessage(pMsg)) return TRUE;
    if (h == hWndStop) break;
  }
  return FALSE;
}

CMenu* CWnd::GetMenu() const { return m_hMenu ? CMenu::FromHandle(m_hMenu) : nullptr; }

BOOL CWnd::SetMenu(CMenu* pMenu) {
  m_hMenu = pMenu ? pMenu->GetSafeHmenu() : nullptr;
  return TRUE;
}

LRESULT AfxCallWndProc(CWnd* pWnd, UINT message, WPARAM wParam, LPARAM lParam) {
  const CurrentMessage saved = t_current;
  t_current = {message, wParam, lParam};
  struct Restore {
    CurrentMessage saved;
    ~Restore() { t_current = saved; }
  } restore{saved};
  return pWnd->WindowProc(message, wParam, lParam);
}

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  LRESULT result = 0;
  if (!OnWndMsg(message, wParam, lParam, &result)) result = DefWindowProc(message, wParam, lParam);
  return result;
}

BOOL CWnd::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
  if (message == WM_COMMAND) {
    if (!OnCommand(wParam, lParam)) return FALSE;
    if (pResult) *pResult = 1;
    return TRUE;
  }
  if (message == WM_NOTIFY) {
    LRESULT result = 0;
    if (!OnNotify(wParam, lParam, &result)) return FALSE;
    if (pResult) *pResult = result;
    return TRUE;
  }
  return AfxWndMsgThroughMap(this, this, message, wParam, lParam, pResult);
}

LRESULT CWnd::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_CLOSE) DestroyWindow();
  if (message == WM_RBUTTONUP) {
    // A right click nobody took asks for a context menu, at the screen point.
    POINT p{static_cast<short>(LOWORD(static_cast<uintptr_t>(lParam))),
            static_cast<short>(LOWORD(static_cast<uintptr_t>(lParam) >> 16))};
    ::ClientToScreen(m_hWnd, &p);
    SendMessage(WM_CONTEXTMENU, reinterpret_cast<WPARAM>(m_hWnd),
                static_cast<LPARAM>(MAKELONG(static_cast<WORD>(p.x), static_cast<WORD>(p.y))));
    return 0;
  }
  // A child without a menu of its own hands the request to its parent.
  if (message == WM_CONTEXTMENU && m_pParent && m_pParent->GetSafeHwnd())
    return m_pParent->SendMessage(WM_CONTEXTMENU, wParam, lParam);
  // Dropped files nobody took: their list goes.
  if (message == WM_DROPFILES) ::DragFinish(reinterpret_cast<HDROP>(wParam));
  if (message == WM_PAINT) {
    // Nobody paints: validate, so the paint request goes away.
    PAINTSTRUCT ps;
    ::BeginPaint(m_hWnd, &ps);
    ::EndPaint(m_hWnd, &ps);
  }
  return 0;
}

void CWnd::DragAcceptFiles(BOOL bAccept) {
  if (m_hWnd) ::DragAcceptFiles(m_hWnd, bAccept);
}

LRESULT CWnd::Default() { return DefWindowProc(t_current.message, t_current.wParam, t_current.lParam); }

BOOL CWnd::OnCommand(WPARAM wParam, LPARAM lParam) {
  const UINT nID = LOWORD(wParam);
  // Menus and accelerators send no control handle; their code is a plain command.
  const int nCode = lParam == 0 ? CN_COMMAND : HIWORD(wParam);
  if (lParam == 0) {
    // A command its update handler disables does not run, whether it came from a menu, an
    // accelerator or a stale toolbar: the same rule the menus show.
    CCmdUI state;
    state.m_nID = nID;
    OnCmdMsg(nID, CN_UPDATE_COMMAND_UI, &state, nullptr);
    if (!state.m_bEnabled) return TRUE;
  }
  return OnCmdMsg(nID, nCode, nullptr, nullptr);
}

BOOL CWnd::OnNotify(WPARAM, LPARAM lParam, LRESULT* pResult) {
  auto* hdr = reinterpret_cast<NMHDR*>(lParam);
  if (!hdr || !hdr->hwndFrom) return FALSE;
  AFX_NOTIFY notify{pResult, hdr};
  const int nCode = static_cast<int>(MAKELONG(static_cast<WORD>(hdr->code), static_cast<WORD>(WM_NOTIFY)));
  return OnCmdMsg(static_cast<UINT>(hdr->idFrom), nCode, &notify, nullptr);
}

int CWnd::OnCreate(LPCREATESTRUCT) { return static_cast<int>(Default()); }
void CWnd::OnDestroy() { Default(); }
void CWnd::OnClose() { Default(); }
void CWnd::OnKeyDown(UINT, UINT, UINT) { Default(); }

namespace {
CPoint PointOf(LPARAM l) { return CPoint(GET_X_LPARAM(l), GET_Y_LPARAM(l)); }
CWnd* WndOf(uintptr_t h) { return CWnd::FromHandle(reinterpret_cast<HWND>(h)); }

// Calls one window-message handler; returns FALSE only for a mouse-wheel handler that declines.
BOOL DispatchWndMsg(CCmdTarget* t, CWnd* host, const AFX_MSGMAP_ENTRY* e, WPARAM w, LPARAM l, LRESULT* pResult) {
  LRESULT r = 0;
  const AFX_PMSG pfn = e->pfn;
  switch (e->nSig) {
    case AfxSig_l_w_l: r = (t->*AfxMsgUncast<LRESULT(WPARAM, LPARAM)>(pfn))(w, l); break;
    case AfxSig_v_v: (t->*AfxMsgUncast<void()>(pfn))(); break;
    case AfxSig_i_pcs: r = (t->*AfxMsgUncast<int(LPCREATESTRUCT)>(pfn))(reinterpret_cast<LPCREATESTRUCT>(l)); break;
    case AfxSig_v_u_i_i:
      (t->*AfxMsgUncast<void(UINT, int, int)>(pfn))(static_cast<UINT>(w), GET_X_LPARAM(l), GET_Y_LPARAM(l));
      break;
    case AfxSig_v_up: (t->*AfxMsgUncast<void(UINT_PTR)>(pfn))(w); break;
    case AfxSig_v_u_p: (t->*AfxMsgUncast<void(UINT, CPoint)>(pfn))(static_cast<UINT>(w), PointOf(l)); break;
    case AfxSig_b_u_s_p:
      r = (t->*AfxMsgUncast<BOOL(UINT, short, CPoint)>(pfn))(LOWORD(w), GET_WHEEL_DELTA_WPARAM(w), PointOf(l));
      if (!r) return FALSE;
      break;
    case AfxSig_v_u_u_u:
      (t->*AfxMsgUncast<void(UINT, UINT, UINT)>(pfn))(static_cast<UINT>(w), LOWORD(static_cast<uintptr_t>(l)),
                                                      HIWORD(static_cast<uintptr_t>(l)));
      break;
    case AfxSig_b_W_u_u:
      r = (t->*AfxMsgUncast<BOOL(CWnd*, UINT, UINT)>(pfn))(WndOf(w), LOWORD(static_cast<uintptr_t>(l)),
                                                           HIWORD(static_cast<uintptr_t>(l)));
      break;
    case AfxSig_v_W_p: (t->*AfxMsgUncast<void(CWnd*, CPoint)>(pfn))(WndOf(w), PointOf(l)); break;
    case AfxSig_v_u_l: (t->*AfxMsgUncast<void(UINT, LPARAM)>(pfn))(static_cast<UINT>(w), l); break;
    case AfxSig_v_u_u_W:
      (t->*AfxMsgUncast<void(UINT, UINT, CWnd*)>(pfn))(LOWORD(w), HIWORD(w), WndOf(static_cast<uintptr_t>(l)));
      break;
    case AfxSig_v_W: (t->*AfxMsgUncast<void(CWnd*)>(pfn))(WndOf(w)); break;
    case AfxSig_v_u_W_b:
      (t->*AfxMsgUncast<void(UINT, CWnd*, BOOL)>(pfn))(LOWORD(w), WndOf(static_cast<uintptr_t>(l)), HIWORD(w) != 0);
      break;
    case AfxSig_v_b_W_W: {
      CWnd* activated = WndOf(static_cast<uintptr_t>(l));
      const BOOL isHost = host && activated == host;
      (t->*AfxMsgUncast<void(BOOL, CWnd*, CWnd*)>(pfn))(isHost, activated, WndOf(w));
      break;
    }
    case AfxSig_v_u_pcw:
      (t->*AfxMsgUncast<void(UINT, LPCWSTR)>(pfn))(static_cast<UINT>(w), reinterpret_cast<LPCWSTR>(l));
      break;
    default: return FALSE;
  }
  if (pResult) *pResult = r;
  return TRUE;
}
}  // namespace

BOOL AfxWndMsgThroughMap(CCmdTarget* pTarget, CWnd* pHostWnd, UINT message, WPARAM wParam, LPARAM lParam,
                         LRESULT* pResult) {
  if (!pTarget) return FALSE;
  for (const AFX_MSGMAP* map = pTarget->GetMessageMap(); map && map->pfnGetBaseMap; map = map->pfnGetBaseMap()) {
    if (message >= 0xC000) {
      for (const AFX_MSGMAP_ENTRY* e = map->lpEntries; e && e->nSig != AfxSig_end; ++e) {
        if (e->nMessage != 0xC000 || *reinterpret_cast<const UINT*>(e->nSig) != message) continue;
        const LRESULT r = (pTarget->*AfxMsgUncast<LRESULT(WPARAM, LPARAM)>(e->pfn))(wParam, lParam);
        if (pResult) *pResult = r;
        return TRUE;
      }
    } else if (const AFX_MSGMAP_ENTRY* e = AfxFindMessageEntry(map->lpEntries, message, 0, 0)) {
      return DispatchWndMsg(pTarget, pHostWnd, e, wParam, lParam, pResult);
    }
  }
  return FALSE;
}

BOOL CWnd::GetScrollInfo(int nBar, LPSCROLLINFO lpsi, UINT nMask) const {
  if (!lpsi) return FALSE;
  lpsi->cbSize = sizeof(SCROLLINFO);
  lpsi->fMask = nMask;
  return ::GetScrollInfo(m_hWnd, nBar, lpsi);
}

BOOL CWnd::SetScrollInfo(int nBar, LPSCROLLINFO lpsi, BOOL bRedraw) {
  if (!lpsi || !m_hWnd) return FALSE;
  ::SetScrollInfo(m_hWnd, nBar, lpsi, bRedraw);
  return TRUE;
}

void CWnd::ShowScrollBar(UINT nBar, BOOL bShow) { ::ShowScrollBar(m_hWnd, static_cast<int>(nBar), bShow); }

BOOL CWnd::ModifyStyle(DWORD dwRemove, DWORD dwAdd, UINT) {
  if (!m_hWnd) return FALSE;
  m_dwStyle = (m_dwStyle & ~dwRemove) | dwAdd;
  if (AfxControlState* st = AfxGetControlState(m_hWnd)) {
    st->style = m_dwStyle;
    velmora::win::Backend().ControlChanged(m_hWnd);
  }
  return TRUE;
}

std::vector<CWnd*> CWnd::GetChildren() const {
  std::vector<CWnd*> out;
  if (!m_hWnd) return out;
  for (auto& [h, w] : Handles())
    if (::GetParent(h) == m_hWnd) out.push_back(w);
  std::sort(out.begin(), out.end(), [](const CWnd* a, const CWnd* b) { return a->m_nSerial < b->m_nSerial; });
  return out;
}

CWnd* CWnd::GetDlgItem(int nID) const {
  for (CWnd* w : GetChildren())
    if (static_cast<int>(w->m_nID) == nID) return w;
  return nullptr;
}

void CWnd::SetDlgItemText(int nID, LPCWSTR lpszString) {
  if (CWnd* w = GetDlgItem(nID)) w->SetWindowText(lpszString);
}

int CWnd::GetDlgItemText(int nID, CString& rString) const {
  rString.Empty();
  if (CWnd* w = GetDlgItem(nID)) w->GetWindowText(rString);
  return rString.GetLength();
}

void CWnd::SetDlgItemInt(int nID, UINT nValue, BOOL bSigned) {
  wchar_t buf[32];
  if (bSigned)
    std::swprintf(buf, 32, L"%d", static_cast<int>(nValue));
  else
    std::swprintf(buf, 32, L"%u", nValue);
  SetDlgItemText(nID, buf);
}

UINT CWnd::GetDlgItemInt(int nID, BOOL* lpTrans, BOOL bSigned) const {
  if (lpTrans) *lpTrans = FALSE;
  CString text;
  if (!GetDlgItem(nID)) return 0;
  GetDlgItemText(nID, text);
  const wchar_t* s = text.GetString();
  while (*s == L' ') ++s;
  if (!bSigned && *s == L'-') return 0;
  wchar_t* end = nullptr;
  errno = 0;
  const long long v = std::wcstoll(s, &end, 10);
  if (end == s || errno) return 0;
  while (*end == L' ') ++end;
  if (*end) return 0;
  if (bSigned ? (v < INT32_MIN || v > INT32_MAX) : (v < 0 || v > static_cast<long long>(UINT32_MAX))) return 0;
  if (lpTrans) *lpTrans = TRUE;
  return static_cast<UINT>(v);
}

void CWnd::CheckDlgButton(int nIDButton, UINT nCheck) {
  if (CWnd* w = GetDlgItem(nIDButton)) w->SendMessage(BM_SETCHECK, nCheck, 0);
}

UINT CWnd::IsDlgButtonChecked(int nIDButton) const {
  CWnd* w = GetDlgItem(nIDButton);
  return w ? static_cast<UINT>(w->SendMessage(BM_GETCHECK, 0, 0)) : 0;
}

void CWnd::CheckRadioButton(int nIDFirstButton, int nIDLastButton, int nIDCheckButton) {
  for (CWnd* w : GetChildren()) {
    const int id = static_cast<int>(w->m_nID);
    if (id >= nIDFirstButton && id <= nIDLastButton) w->SendMessage(BM_SETCHECK, id == nIDCheckButton ? 1 : 0, 0);
  }
}

int CWnd::GetCheckedRadioButton(int nIDFirstButton, int nIDLastButton) const {
  for (CWnd* w : GetChildren()) {
    const int id = static_cast<int>(w->m_nID);
    if (id >= nIDFirstButton && id <= nIDLastButton && w->SendMessage(BM_GETCHECK, 0, 0) == 1) return id;
  }
  return 0;
}

BOOL CWnd::SubclassWindow(HWND hWnd) {
  if (m_hWnd || !::IsWindow(hWnd)) return FALSE;
  CWnd* old = FromHandle(hWnd);
  if (!old) return FALSE;
  m_hWnd = hWnd;
  m_pParent = old->m_pParent;
  m_nID = old->m_nID;
  m_bEnabled = old->m_bEnabled;
  m_hMenu = old->m_hMenu;
  m_dwStyle = old->m_dwStyle;
  m_nSerial = old->m_nSerial;
  m_pSubclassed = old;
  old->m_hWnd = nullptr;
  Handles()[hWnd] = this;
  return TRUE;
}

BOOL CWnd::SubclassDlgItem(UINT nID, CWnd* pParent) {
  CWnd* item = pParent ? pParent->GetDlgItem(static_cast<int>(nID)) : nullptr;
  return item && item != this ? SubclassWindow(item->m_hWnd) : FALSE;
}

HWND CWnd::UnsubclassWindow() {
  const HWND h = m_hWnd;
  if (!h || !m_pSubclassed) return nullptr;
  m_pSubclassed->m_dwStyle = m_dwStyle;
  m_pSubclassed->m_bEnabled = m_bEnabled;
  Handles()[h] = m_pSubclassed;
  m_pSubclassed->m_hWnd = h;
  m_pSubclassed = nullptr;
  m_hWnd = nullptr;
  return h;
}

void CWnd::CenterWindow(CWnd* pAlternateOwner) {
  if (!m_hWnd) return;
  CWnd* owner = pAlternateOwner ? pAlternateOwner : m_pParent;
  if (!owner) return;
  CRect outer, mine;
  owner->GetWindowRect(&outer);
  GetWindowRect(&mine);
  int x = outer.left + (outer.Width() - mine.Width()) / 2;
  int y = outer.top + (outer.Height() - mine.Height()) / 2;
  if (!(m_dwStyle & WS_POPUP) && m_pParent) {
    CPoint p(x, y);
    m_pParent->ScreenToClient(&p);
    x = p.x;
    y = p.y;
  }
  MoveWindow(x, y, mine.Width(), mine.Height());
}
