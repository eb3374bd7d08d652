#include "platform/afx/Dialog.h"

#include "platform/afx/Control.h"
#include "platform/afx/DataExchange.h"
#include "platform/afx/DialogTemplate.h"
#include "platform/afx/WinApp.h"
#include "platform/win/MessageBox.h"
#include "platform/win/WindowBackend.h"

IMPLEMENT_DYNAMIC(CDialog, CWnd)

namespace {
CDialog::ModalDriver& Driver() {
  static CDialog::ModalDriver driver;
  return driver;
}

bool IsInside(HWND h, HWND ancestor) {
  for (; h; h = ::GetParent(h))
    if (h == ancestor) return true;
  return false;
}

// Controls that take the focus when the user moves through the dialog.
bool TakesFocus(CWnd* w) {
  return w->m_hWnd && w->IsWindowVisible() && w->IsWindowEnabled() && (w->GetStyle() & WS_TABSTOP);
}
}  // namespace

CDialog::CDialog(UINT nIDTemplate, CWnd* pParentWnd) : m_nIDTemplate(nIDTemplate), m_pParentWnd(pParentWnd) {}

CDialog::~CDialog() { DestroyAll(); }

CDialog::ModalDriver CDialog::SetModalDriver(ModalDriver driver) {
  ModalDriver old = std::move(Driver());
  Driver() = std::move(driver);
  return old;
}

BOOL CDialog::CreateDialogWindow(CWnd* pParentWnd, bool modal) {
  return CreateFromTemplate(m_nIDTemplate, pParentWnd, 0, modal);
}

BOOL CDialog::CreateFromTemplate(UINT nIDTemplate, CWnd* pParentWnd, DWORD extraStyle, bool modal) {
  const AfxDialogTemplate* t = AfxFindDialogTemplate(nIDTemplate);
  if (!t || m_hWnd) return FALSE;
  // Pages and other child dialogs are children of their parent; the others are owned popups.
  const bool child = ((t->style | extraStyle) & WS_CHILD) != 0;
  DWORD style = t->style | extraStyle | (child ? 0 : WS_POPUP | WS_CAPTION | WS_SYSMENU);
  if (modal) style &= ~WS_VISIBLE;
  RECT rect{0, 0, t->cx, t->cy};
  if (!CWnd::Create(nullptr, t->caption.GetString(), style, rect, pParentWnd, child ? nIDTemplate : 0)) return FALSE;
  m_nIDTemplate = nIDTemplate;
  for (const AfxDialogItem& item : t->items) {
    std::unique_ptr<CWnd> w(AfxNewControlObject(item.cls));
    const DWORD itemStyle = item.style | WS_CHILD | WS_VISIBLE;
    BOOL ok;
    if (dynamic_cast<CControlWnd*>(w.get()))
      ok = AfxCreateControl(w.get(), item.cls, item.text ? item.text : L"", itemStyle, item.rect, this, item.id);
    else
      ok = w->Create(item.cls, item.text ? item.text : L"", itemStyle, item.rect, this, item.id);
    if (!ok) {
      DestroyAll();
      return FALSE;
    }
    m_items.push_back(std::move(w));
  }
  if (!child) CenterWindow(pParentWnd);
  return TRUE;
}

void CDialog::DestroyAll() {
  // Children first: whichever object holds a control now (a member that subclassed it) lets go.
  for (CWnd* w : GetChildren()) {
    if (auto* d = dynamic_cast<CDialog*>(w)) d->DestroyAll();
    else w->DestroyWindow();
  }
  m_items.clear();
  if (m_hWnd) DestroyWindow();
}

BOOL CDialog::Create(UINT nIDTemplate, CWnd* pParentWnd) {
  m_pParentWnd = pParentWnd;
  m_bModal = FALSE;
  m_nIDTemplate = nIDTemplate;
  if (!CreateDialogWindow(pParentWnd, false)) return FALSE;
  OnInitDialog();
  if (!m_hWnd) return FALSE;
  return TRUE;
}

INT_PTR CDialog::DoModal() {
  CWnd* owner = m_pParentWnd ? m_pParentWnd : AfxGetMainWnd();
  if (owner && !owner->m_hWnd) owner = nullptr;
  if (!CreateDialogWindow(owner, true)) return -1;
  m_bModal = TRUE;
  m_bEnded = FALSE;
  m_nResult = -1;
  const HWND ownerTop = owner ? owner->GetTopLevelParent()->m_hWnd : nullptr;
  const bool disabled = ownerTop && ::IsWindowEnabled(ownerTop);
  if (disabled) ::EnableWindow(ownerTop, FALSE);
  OnInitDialog();
  if (!m_bEnded && m_hWnd) {
    ShowWindow(SW_SHOW);
    if (Driver()) Driver()(*this);
  }
  while (!m_bEnded && m_hWnd) {
    MSG msg;
    const BOOL r = ::GetMessageW(&msg, nullptr, 0, 0);
    if (r == 0) {
      // The quit belongs to the application's loop: hand it on.
      ::PostQuitMessage(static_cast<int>(msg.wParam));
      m_nResult = IDABORT;
      break;
    }
    if (r == -1) {
      m_nResult = IDABORT;
      break;
    }
    if (msg.hwnd && IsInside(msg.hwnd, m_hWnd) && CWnd::WalkPreTranslateTree(m_hWnd, &msg)) continue;
    ::DispatchMessageW(&msg);
  }
  if (disabled && ::IsWindow(ownerTop)) ::EnableWindow(ownerTop, TRUE);
  DestroyAll();
  m_bModal = FALSE;
  return m_nResult;
}

void CDialog::EndDialog(int nResult) {
  m_nResult = nResult;
  if (m_bModal) {
    m_bEnded = TRUE;
    if (m_hWnd) {
      ShowWindow(SW_HIDE);
      // The loop may be waiting for input inside GetMessage (a toolkit event ended the run):
      // a message wakes it to see the end.
      PostMessage(WM_NULL);
    }
  } else if (m_hWnd) {
    ShowWindow(SW_HIDE);
  }
}

BOOL CDialog::UpdateData(BOOL bSaveAndValidate) {
  CDataExchange dx(this, bSaveAndValidate);
  try {
    DoDataExchange(&dx);
  } catch (const CUserException&) {
    return FALSE;
  }
  return TRUE;
}

void CDialog::DoDataExchange(CDataExchange*) {}

BOOL CDialog::OnInitDialog() {
  UpdateData(FALSE);
  return TRUE;
}

void CDialog::OnOK() {
  if (!UpdateData(TRUE)) return;
  EndDialog(IDOK);
}

void CDialog::OnCancel() { EndDialog(IDCANCEL); }

BOOL CDialog::OnCommand(WPARAM wParam, LPARAM lParam) {
  if (CWnd::OnCommand(wParam, lParam)) return TRUE;
  const UINT id = LOWORD(wParam);
  const int code = lParam ? HIWORD(wParam) : 0;
  if (code != BN_CLICKED) return FALSE;
  if (id == IDOK) {
    OnOK();
    return TRUE;
  }
  if (id == IDCANCEL) {
    OnCancel();
    return TRUE;
  }
  return FALSE;
}

LRESULT CDialog::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_CLOSE) {
    // Closing a dialog is its Cancel.
    SendMessage(WM_COMMAND, IDCANCEL, 0);
    return 0;
  }
  return CWnd::DefWindowProc(message, wParam, lParam);
}

BOOL CDialog::PreTranslateMessage(MSG* pMsg) {
  if (CWnd::PreTranslateMessage(pMsg)) return TRUE;
  return IsDialogMessage(pMsg);
}

BOOL CDialog::IsDialogMessage(LPMSG lpMsg) {
  if (!lpMsg || !m_hWnd || lpMsg->message != WM_KEYDOWN || !IsInside(lpMsg->hwnd, m_hWnd)) return FALSE;
  const AfxControlState* focus = AfxGetControlState(lpMsg->hwnd);
  const bool multiline = focus && (focus->cls == kEditClass || focus->cls == kRichEditClass) &&
                         (focus->style & ES_MULTILINE);
  switch (lpMsg->wParam) {
    case VK_RETURN: {
      if (multiline && (focus->style & ES_WANTRETURN)) return FALSE;
      if (multiline && focus->cls == kRichEditClass) return FALSE;
      CWnd* def = GetDlgItem(static_cast<int>(m_nDefID));
      if (def && !def->IsWindowEnabled()) return TRUE;
      SendMessage(WM_COMMAND, MAKELONG(static_cast<WORD>(m_nDefID), static_cast<WORD>(BN_CLICKED)),
                  reinterpret_cast<LPARAM>(def ? def->m_hWnd : m_hWnd));
      return TRUE;
    }
    case VK_ESCAPE: {
      CWnd* cancel = GetDlgItem(IDCANCEL);
      SendMessage(WM_COMMAND, MAKELONG(static_cast<WORD>(IDCANCEL), static_cast<WORD>(BN_CLICKED)),
                  reinterpret_cast<LPARAM>(cancel ? cancel->m_hWnd : m_hWnd));
      return TRUE;
    }
    case 0x09:  // tab
      if (::GetKeyState(VK_SHIFT) < 0) PrevDlgCtrl();
      else NextDlgCtrl();
      return TRUE;
    default: return FALSE;
  }
}

void CDialog::NextDlgCtrl() {
  const std::vector<CWnd*> kids = GetChildren();
  if (kids.empty()) return;
  const HWND focus = ::GetFocus();
  size_t start = kids.size() - 1;
  for (size_t i = 0; i < kids.size(); ++i)
    if (kids[i]->m_hWnd == focus) start = i;
  for (size_t k = 1; k <= kids.size(); ++k) {
    CWnd* w = kids[(start + k) % kids.size()];
    if (TakesFocus(w)) {
      GotoDlgCtrl(w);
      return;
    }
  }
}

void CDialog::PrevDlgCtrl() {
  const std::vector<CWnd*> kids = GetChildren();
  if (kids.empty()) return;
  const HWND focus = ::GetFocus();
  size_t start = 0;
  for (size_t i = 0; i < kids.size(); ++i)
    if (kids[i]->m_hWnd == focus) start = i;
  for (size_t k = 1; k <= kids.size(); ++k) {
    CWnd* w = kids[(start + kids.size() - k) % kids.size()];
    if (TakesFocus(w)) {
      GotoDlgCtrl(w);
      return;
    }
  }
}

void CDialog::GotoDlgCtrl(CWnd* pWndCtrl) {
  if (!pWndCtrl || !pWndCtrl->m_hWnd) return;
  pWndCtrl->SetFocus();
  if (AfxControlState* s = AfxGetControlState(pWndCtrl->m_hWnd); s && s->cls == kEditClass) {
    s->selStart = 0;
    s->selEnd = pWndCtrl->GetWindowTextLength();
    velmora::win::Backend().ControlChanged(pWndCtrl->m_hWnd);
  }
}
