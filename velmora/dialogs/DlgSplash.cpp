#include "velmora/dialogs/DlgSplash.h"

#include "platform/afx/WinApp.h"

IMPLEMENT_DYNAMIC(CDlgSplash, CWnd)

BEGIN_MESSAGE_MAP(CDlgSplash, CWnd)
ON_WM_TIMER()
END_MESSAGE_MAP()

namespace {
constexpr int kWidth = 360;
constexpr int kHeight = 120;
}  // namespace

BOOL CDlgSplash::Create() {
  if (m_hWnd) return TRUE;
  RECT rc{0, 0, kWidth, kHeight};
  if (m_pParent && m_pParent->GetSafeHwnd()) {
    RECT parent;
    m_pParent->GetWindowRect(&parent);
    const int x = (parent.left + parent.right - kWidth) / 2, y = (parent.top + parent.bottom - kHeight) / 2;
    rc = RECT{x, y, x + kWidth, y + kHeight};
  }
  // A window of its own (not a child), so that it shows while the frame is still hidden.
  if (!CWnd::Create(L"VelmoraSplash", L"Velmora V9", 0, rc, nullptr, kTemplateID)) return FALSE;
  if (!m_text.Create(L"Static", m_strText, WS_CHILD | WS_VISIBLE, RECT{10, kHeight - 30, kWidth - 10, kHeight - 10},
                     this, kTextID)) {
    DestroyWindow();
    return FALSE;
  }
  ShowWindow(SW_SHOW);
  UpdateWindow();
  return TRUE;
}

void CDlgSplash::SetText(LPCWSTR text) {
  if (!m_hWnd) return;
  m_strText = text ? text : L"";
  m_text.SetWindowText(m_strText);
  m_text.Invalidate();
  m_text.UpdateWindow();
}

void CDlgSplash::Hide() {
  if (!m_hWnd) return;
  ShowWindow(SW_HIDE);
  UpdateWindow();
}

void CDlgSplash::ArmClose() {
  if (m_hWnd) SetTimer(kCloseTimer, kCloseElapse);
}

void CDlgSplash::OnTimer(UINT_PTR nIDEvent) {
  if (nIDEvent == kCloseTimer) {
    KillTimer(kCloseTimer);
    DestroyWindow();
    if (CWinApp* app = AfxGetApp(); app && app->m_pMainWnd) {
      app->m_pMainWnd->Invalidate();
      app->m_pMainWnd->UpdateWindow();
    }
  }
}
