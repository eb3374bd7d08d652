#include "velmora/shell/TabDlg.h"

#include "platform/afx/Control.h"
#include "platform/afx/DataExchange.h"
#include "platform/afx/DialogTemplate.h"
#include "platform/win/MessageBox.h"

CTabDlg::CTabDlg(CWnd* pParent) : CDialog(kIDD, pParent) {}

void CTabDlg::RegisterTemplate() {
  RegisterSettingsTemplates();
  AfxDialogTemplate t;
  t.id = kIDD;
  t.caption = L"System Setting";
  t.cx = 360;
  t.cy = 340;
  t.items = {
      {kTabControlClass, kTab, L"", {8, 8, 352, 300}, WS_TABSTOP},
      {kButtonClass, IDOK, L"OK", {190, 308, 265, 332}, BS_DEFPUSHBUTTON | WS_TABSTOP},
      {kButtonClass, IDCANCEL, L"Cancel", {275, 308, 350, 332}, BS_PUSHBUTTON | WS_TABSTOP},
  };
  AfxRegisterDialogTemplate(t);
}

BOOL CTabDlg::OnInitDialog() {
  CDataExchange dx(this, FALSE);
  try {
    DDX_Control(&dx, kTab, m_tab);
  } catch (const CUserException&) {
    return FALSE;
  }
  m_tab.InsertItem(0, L"General");
  m_tab.InsertItem(1, L"Grid");
  // Below the tab band, a little inside the control.
  CRect r;
  m_tab.GetClientRect(&r);
  const RECT page{r.left + kInset, r.top + kTabBand + kInset, r.right - kInset, r.bottom - kInset};
  m_grid.FillFromDrawing();
  if (!m_general.CreateChild(&m_tab, page) || !m_grid.CreateChild(&m_tab, page)) return FALSE;
  ShowTab(0);
  return TRUE;
}

void CTabDlg::ShowTab(int index) {
  if (index != 0 && index != 1) return;
  CSettingsPage& shown = index == 0 ? static_cast<CSettingsPage&>(m_general) : m_grid;
  CSettingsPage& hidden = index == 0 ? static_cast<CSettingsPage&>(m_grid) : m_general;
  if (hidden.m_hWnd) hidden.ShowWindow(SW_HIDE);
  if (shown.m_hWnd) {
    shown.UpdateData(FALSE);
    shown.ShowWindow(SW_SHOW);
  }
  m_nShown = index;
  if (m_tab.m_hWnd && m_tab.GetCurSel() != index) m_tab.SetCurSel(index);
}

BOOL CTabDlg::OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
  const auto* hdr = reinterpret_cast<const NMHDR*>(lParam);
  if (hdr && hdr->idFrom == kTab && hdr->code == TCN_SELCHANGE) {
    ShowTab(m_tab.GetCurSel());
    return TRUE;
  }
  return CDialog::OnNotify(wParam, lParam, pResult);
}

void CTabDlg::OnOK() {
  // Each page says what it refused; the dialog closes all the same.
  m_general.Ok();
  m_grid.Ok();
  EndDialog(IDOK);
}
