// CWnd: a window object with its own message dispatch. Each created window is a record of the
// window layer (platform/win/Window.h) whose procedure hands messages to the object; the layer's
// queue, timers, painting, focus and capture work headless, and the installed window backend
// shows them on a toolkit.
#pragma once

#include "platform/afx/CmdTarget.h"
#include "platform/afx/Rect.h"
#include "platform/win/Window.h"

#include <vector>

class CDC;
class CMenu;

class CWnd : public CCmdTarget {
  DECLARE_DYNAMIC(CWnd)

 public:
  CWnd() = default;
  CWnd(const CWnd&) = delete;
  CWnd& operator=(const CWnd&) = delete;
  // Destroys a window that is still alive.
  ~CWnd() override;

  // The window object of a live handle, or null.
  static CWnd* FromHandle(HWND hWnd);
  HWND GetSafeHwnd() const { return m_hWnd; }

  // Registers a handle and sends WM_CREATE; a WM_CREATE result of -1 destroys the window again
  // and returns FALSE.
  virtual BOOL Create(LPCWSTR lpszClassName, LPCWSTR lpszWindowName, DWORD dwStyle, const RECT& rect,
                      CWnd* pParentWnd, UINT nID, void* pContext = nullptr);
  // Sends WM_DESTROY and WM_NCDESTROY; the handle is released and PostNcDestroy runs (which may
  // delete the object). FALSE when there is no window.
  virtual BOOL DestroyWindow();

  // Delivers a message to a live window (0 when there is none).
  LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);

  // Queues a message for the window; FALSE without a window.
  BOOL PostMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);

  BOOL EnableWindow(BOOL bEnable = TRUE);  // returns whether the window was disabled before
  BOOL IsWindowEnabled() const { return m_hWnd ? ::IsWindowEnabled(m_hWnd) : m_bEnabled; }
  CWnd* GetParent() const { return m_pParent; }
  // The outermost window above this one (itself when it has no parent).
  CWnd* GetTopLevelParent() const;
  UINT GetDlgCtrlID() const { return m_nID; }
  void SetDlgCtrlID(UINT nID) { m_nID = nID; }
  // The style the window was created with, as changed since.
  DWORD GetStyle() const { return m_dwStyle; }
  BOOL ModifyStyle(DWORD dwRemove, DWORD dwAdd, UINT nFlags = 0);

  // Child windows: the first child with the id (null when none), and all children in creation
  // order.
  CWnd* GetDlgItem(int nID) const;
  std::vector<CWnd*> GetChildren() const;
  void SetDlgItemText(int nID, LPCWSTR lpszString);
  int GetDlgItemText(int nID, CString& rString) const;
  void SetDlgItemInt(int nID, UINT nValue, BOOL bSigned = TRUE);
  // *lpTrans (when given) says whether the text was a whole number in range.
  UINT GetDlgItemInt(int nID, BOOL* lpTrans = nullptr, BOOL bSigned = TRUE) const;
  void CheckDlgButton(int nIDButton, UINT nCheck);
  UINT IsDlgButtonChecked(int nIDButton) const;
  // Checks nIDCheckButton and clears the other buttons with ids in [nIDFirst, nIDLast].
  void CheckRadioButton(int nIDFirstButton, int nIDLastButton, int nIDCheckButton);
  // The checked button's id in [nIDFirst, nIDLast], 0 when none.
  int GetCheckedRadioButton(int nIDFirstButton, int nIDLastButton) const;

  // Makes this object the window object of an existing window (a dialog's control made from
  // its template): its messages come here from now on. FALSE when this object already has a
  // window or hWnd is not a window.
  BOOL SubclassWindow(HWND hWnd);
  BOOL SubclassDlgItem(UINT nID, CWnd* pParent);
  // Gives the window back to the object it had before SubclassWindow (or to none).
  HWND UnsubclassWindow();

  // Places the window in the middle of its parent (or of the main window).
  void CenterWindow(CWnd* pAlternateOwner = nullptr);

  // Visibility and placement (the client area is the whole window; see platform/win/Window.h).
  BOOL ShowWindow(int nCmdShow);
  // The window takes files dropped on it (WM_DROPFILES).
  void DragAcceptFiles(BOOL bAccept = TRUE);
  BOOL IsWindowVisible() const;
  void MoveWindow(int x, int y, int nWidth, int nHeight, BOOL bRepaint = TRUE);
  void MoveWindow(LPCRECT lpRect, BOOL bRepaint = TRUE);
  void GetClientRect(LPRECT lpRect) const;
  void GetWindowRect(LPRECT lpRect) const;
  void ClientToScreen(LPPOINT lpPoint) const;
  void ClientToScreen(LPRECT lpRect) const;
  void ScreenToClient(LPPOINT lpPoint) const;
  void ScreenToClient(LPRECT lpRect) const;

  // Painting happens later, when the queue hands out WM_PAINT, or at once through UpdateWindow.
  void Invalidate(BOOL bErase = TRUE);
  void InvalidateRect(LPCRECT lpRect, BOOL bErase = TRUE);
  void UpdateWindow();
  // A client-area device context for drawing now; give it back with ReleaseDC.
  CDC* GetDC();
  int ReleaseDC(CDC* pDC);

  UINT_PTR SetTimer(UINT_PTR nIDEvent, UINT nElapse, TIMERPROC lpfnTimer = nullptr);
  BOOL KillTimer(UINT_PTR nIDEvent);

  // Return the previous holder (null when it had no window object).
  CWnd* SetFocus();
  static CWnd* GetFocus();
  CWnd* SetCapture();
  static CWnd* GetCapture();

  void SetWindowText(LPCWSTR lpszString);
  void GetWindowText(CString& rString) const;
  int GetWindowTextLength() const;
  BOOL GetScrollInfo(int nBar, LPSCROLLINFO lpsi, UINT nMask = SIF_ALL) const;
  BOOL SetScrollInfo(int nBar, LPSCROLLINFO lpsi, BOOL bRedraw = TRUE);
  void ShowScrollBar(UINT nBar, BOOL bShow = TRUE);

  // Offered each message the loop takes out for this window (or a child of it) before dispatch;
  // TRUE means the message was handled (translated) and is not dispatched. FALSE by default.
  virtual BOOL PreTranslateMessage(MSG* pMsg);
  // From the message's window up to and including hWndStop, each window object's
  // PreTranslateMessage until one takes the message.
  static BOOL WalkPreTranslateTree(HWND hWndStop, MSG* pMsg);

  // The window's menu bar; the window does not own it.
  CMenu* GetMenu() const;
  BOOL SetMenu(CMenu* pMenu);

  // Entering and leaving a modal state of the application; nothing by default.
  virtual void BeginModalState() {}
  virtual void EndModalState() {}

  HWND m_hWnd = nullptr;

 protected:
  virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
  // WM_COMMAND to OnCommand, WM_NOTIFY to OnNotify, every other message to the message map.
  virtual BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult);
  // WM_CLOSE destroys the window; everything else gives 0.
  virtual LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam);
  // The message being processed, handed to DefWindowProc.
  LRESULT Default();
  virtual BOOL OnCommand(WPARAM wParam, LPARAM lParam);
  // Only notifications whose header names a source window are routed.
  virtual BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult);
  virtual void PostNcDestroy() {}

  int OnCreate(LPCREATESTRUCT lpCreateStruct);
  void OnDestroy();
  void OnClose();
  void OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags);

  friend LRESULT AfxCallWndProc(CWnd* pWnd, UINT message, WPARAM wParam, LPARAM lParam);

 private:
  CWnd* m_pParent = nullptr;
  UINT m_nID = 0;
  BOOL m_bEnabled = TRUE;
  HMENU m_hMenu = nullptr;
  DWORD m_dwStyle = 0;
  uint64_t m_nSerial = 0;        // creation order among siblings
  CWnd* m_pSubclassed = nullptr;  // the window object SubclassWindow took the window from
};

// Delivers one message to a window object (what SendMessage does for a live window).
LRESULT AfxCallWndProc(CWnd* pWnd, UINT message, WPARAM wParam, LPARAM lParam);
// One window message through the target's message-map chain: a registered message (0xC000 and
// above) by its number, any other by the first entry for it with code 0 and id 0; wParam and
// lParam are unpacked by the entry's signature, windows named by handle become their objects.
// pHostWnd is the window the target stands for (the activation signature compares with it).
BOOL AfxWndMsgThroughMap(CCmdTarget* pTarget, CWnd* pHostWnd, UINT message, WPARAM wParam, LPARAM lParam,
                         LRESULT* pResult);

#define ON_WM_CREATE() {WM_CREATE, 0, 0, 0, AfxSig_i_pcs, AfxMsgCast<int(LPCREATESTRUCT)>(&ThisClass::OnCreate)},
#define ON_WM_DESTROY() {WM_DESTROY, 0, 0, 0, AfxSig_v_v, AfxMsgCast<void()>(&ThisClass::OnDestroy)},
#define ON_WM_CLOSE() {WM_CLOSE, 0, 0, 0, AfxSig_v_v, AfxMsgCast<void()>(&ThisClass::OnClose)},
#define ON_WM_PAINT() {WM_PAINT, 0, 0, 0, AfxSig_v_v, AfxMsgCast<void()>(&ThisClass::OnPaint)},
#define ON_WM_SIZE() {WM_SIZE, 0, 0, 0, AfxSig_v_u_i_i, AfxMsgCast<void(UINT, int, int)>(&ThisClass::OnSize)},
#define ON_WM_TIMER() {WM_TIMER, 0, 0, 0, AfxSig_v_up, AfxMsgCast<void(UINT_PTR)>(&ThisClass::OnTimer)},
#define ON_WM_KEYDOWN() {WM_KEYDOWN, 0, 0, 0, AfxSig_v_u_u_u, AfxMsgCast<void(UINT, UINT, UINT)>(&ThisClass::OnKeyDown)},
#define ON_WM_KEYUP() {WM_KEYUP, 0, 0, 0, AfxSig_v_u_u_u, AfxMsgCast<void(UINT, UINT, UINT)>(&ThisClass::OnKeyUp)},
#define ON_WM_CHAR() {WM_CHAR, 0, 0, 0, AfxSig_v_u_u_u, AfxMsgCast<void(UINT, UINT, UINT)>(&ThisClass::OnChar)},
#define ON_WM_MOUSEMOVE() {WM_MOUSEMOVE, 0, 0, 0, AfxSig_v_u_p, AfxMsgCast<void(UINT, CPoint)>(&ThisClass::OnMouseMove)},
#define ON_WM_LBUTTONDOWN() {WM_LBUTTONDOWN, 0, 0, 0, AfxSig_v_u_p, AfxMsgCast<void(UINT, CPoint)>(&ThisClass::OnLButtonDown)},
#define ON_WM_LBUTTONUP() {WM_LBUTTONUP, 0, 0, 0, AfxSig_v_u_p, AfxMsgCast<void(UINT, CPoint)>(&ThisClass::OnLButtonUp)},
#define ON_WM_LBUTTONDBLCLK() {WM_LBUTTONDBLCLK, 0, 0, 0, AfxSig_v_u_p, AfxMsgCast<void(UINT, CPoint)>(&ThisClass::OnLButtonDblClk)},
#define ON_WM_RBUTTONDOWN() {WM_RBUTTONDOWN, 0, 0, 0, AfxSig_v_u_p, AfxMsgCast<void(UINT, CPoint)>(&ThisClass::OnRButtonDown)},
#define ON_WM_RBUTTONUP() {WM_RBUTTONUP, 0, 0, 0, AfxSig_v_u_p, AfxMsgCast<void(UINT, CPoint)>(&ThisClass::OnRButtonUp)},
#define ON_WM_MBUTTONDOWN() {WM_MBUTTONDOWN, 0, 0, 0, AfxSig_v_u_p, AfxMsgCast<void(UINT, CPoint)>(&ThisClass::OnMButtonDown)},
#define ON_WM_MBUTTONUP() {WM_MBUTTONUP, 0, 0, 0, AfxSig_v_u_p, AfxMsgCast<void(UINT, CPoint)>(&ThisClass::OnMButtonUp)},
#define ON_WM_MOUSEWHEEL() {WM_MOUSEWHEEL, 0, 0, 0, AfxSig_b_u_s_p, AfxMsgCast<BOOL(UINT, short, CPoint)>(&ThisClass::OnMouseWheel)},
#define ON_WM_SETCURSOR() {WM_SETCURSOR, 0, 0, 0, AfxSig_b_W_u_u, AfxMsgCast<BOOL(CWnd*, UINT, UINT)>(&ThisClass::OnSetCursor)},
#define ON_WM_CONTEXTMENU() {WM_CONTEXTMENU, 0, 0, 0, AfxSig_v_W_p, AfxMsgCast<void(CWnd*, CPoint)>(&ThisClass::OnContextMenu)},
#define ON_WM_SYSCOMMAND() {WM_SYSCOMMAND, 0, 0, 0, AfxSig_v_u_l, AfxMsgCast<void(UINT, LPARAM)>(&ThisClass::OnSysCommand)},
#define ON_WM_HSCROLL() {WM_HSCROLL, 0, 0, 0, AfxSig_v_u_u_W, AfxMsgCast<void(UINT, UINT, CWnd*)>(&ThisClass::OnHScroll)},
#define ON_WM_VSCROLL() {WM_VSCROLL, 0, 0, 0, AfxSig_v_u_u_W, AfxMsgCast<void(UINT, UINT, CWnd*)>(&ThisClass::OnVScroll)},
#define ON_WM_SETFOCUS() {WM_SETFOCUS, 0, 0, 0, AfxSig_v_W, AfxMsgCast<void(CWnd*)>(&ThisClass::OnSetFocus)},
#define ON_WM_KILLFOCUS() {WM_KILLFOCUS, 0, 0, 0, AfxSig_v_W, AfxMsgCast<void(CWnd*)>(&ThisClass::OnKillFocus)},
#define ON_WM_ACTIVATE() {WM_ACTIVATE, 0, 0, 0, AfxSig_v_u_W_b, AfxMsgCast<void(UINT, CWnd*, BOOL)>(&ThisClass::OnActivate)},
#define ON_WM_MDIACTIVATE() {WM_MDIACTIVATE, 0, 0, 0, AfxSig_v_b_W_W, AfxMsgCast<void(BOOL, CWnd*, CWnd*)>(&ThisClass::OnMDIActivate)},
#define ON_WM_SETTINGCHANGE() {WM_SETTINGCHANGE, 0, 0, 0, AfxSig_v_u_pcw, AfxMsgCast<void(UINT, LPCWSTR)>(&ThisClass::OnSettingChange)},
