#include "velmora/dialogs/ToolBarSetDlg.h"

#include "platform/afx/Control.h"
#include "platform/afx/DataExchange.h"
#include "platform/afx/DialogTemplate.h"
#include "platform/win/MessageBox.h"
#include "platform/win/Messages.h"
#include "velmora/dialogs/ToolBarSetHost.h"

IMPLEMENT_DYNAMIC(CToolBarSetDlg, CDialog)

BEGIN_MESSAGE_MAP(CToolBarSetDlg, CDialog)
ON_COMMAND(CToolBarSetDlg::kPanelID, OnPanel)
ON_COMMAND(CToolBarSetDlg::kStandardID, OnStandard)
ON_COMMAND(CToolBarSetDlg::kLargeID, OnLargeIcon)
ON_COMMAND(CToolBarSetDlg::kSmallID, OnSmallIcon)
ON_COMMAND(CToolBarSetDlg::kTextTopID, OnTextTop)
ON_COMMAND(CToolBarSetDlg::kTextBottomID, OnTextBottom)
ON_CONTROL(CLBN_CHKCHANGE, CToolBarSetDlg::kListID, OnListCheck)
END_MESSAGE_MAP()

namespace {
// The manager's look codes for each choice.
constexpr int kUILarge = 2, kUISmall = 1, kUITextTop = 32, kUITextBottom = 33;
}  // namespace

void RegisterToolBarSetTemplate() {
  using D = CToolBarSetDlg;
  AfxDialogTemplate t;
  t.id = D::IDD;
  t.caption = L"ToolBar Settings";
  t.cx = 420;
  t.cy = 300;
  const DWORD radio = BS_AUTORADIOBUTTON | WS_TABSTOP;
  t.items = {
      {kButtonClass, 0xFFFF, L"Toolbar Style", RECT{8, 8, 200, 70}, BS_GROUPBOX},
      {kButtonClass, D::kPanelID, L"Panel", RECT{20, 26, 190, 44}, radio | WS_GROUP},
      {kButtonClass, D::kStandardID, L"Standard ", RECT{20, 46, 190, 64}, radio},
      {kButtonClass, 0xFFFF, L"Standard Toolbar Icon Style", RECT{8, 78, 200, 140}, BS_GROUPBOX},
      {kButtonClass, D::kLargeID, L"Large Icon", RECT{20, 96, 190, 114}, radio | WS_GROUP},
      {kButtonClass, D::kSmallID, L"Small Icon", RECT{20, 116, 190, 134}, radio},
      {kButtonClass, 0xFFFF, L"Panel Toolbar Icon Style", RECT{8, 148, 200, 210}, BS_GROUPBOX},
      {kButtonClass, D::kTextTopID, L"Text on top", RECT{20, 166, 190, 184}, radio | WS_GROUP},
      {kButtonClass, D::kTextBottomID, L"Text on bottom", RECT{20, 186, 190, 204}, radio},
      {kStaticClass, 0xFFFF, L"ToolBars:", RECT{212, 8, 412, 24}, SS_LEFT},
      {kListBoxClass, D::kListID, L"", RECT{212, 28, 412, 250},
       LBS_OWNERDRAWFIXED | LBS_HASSTRINGS | LBS_NOTIFY | WS_BORDER | WS_VSCROLL | WS_TABSTOP | WS_GROUP},
      {kButtonClass, D::kQuitID, L"Quit", RECT{332, 262, 412, 288}, BS_DEFPUSHBUTTON | WS_TABSTOP | WS_GROUP},
  };
  AfxRegisterDialogTemplate(t);
}

CToolBarSetDlg::CToolBarSetDlg(CToolBarSetHost* pHost, CWnd* pParent) : CDialog(IDD, pParent), m_pHost(pHost) {
  static const bool registered = (RegisterToolBarSetTemplate(), true);
  (void)registered;
}

void CToolBarSetDlg::DoDataExchange(CDataExchange* pDX) {
  CDialog::DoDataExchange(pDX);
  DDX_Control(pDX, kListID, m_list);
}

bool CToolBarSetDlg::Ready() const { return m_pHost && m_pHost->HasToolBarMgr(); }

void CToolBarSetDlg::EnableTextRadios(BOOL enable) {
  for (UINT id : {kTextTopID, kTextBottomID})
    if (CWnd* w = GetDlgItem(int(id))) w->EnableWindow(enable);
}

void CToolBarSetDlg::ListBars(int kind) {
  m_list.ResetCategories();
  if (!Ready()) return;
  for (const CToolBarSetHost::Bar& bar : m_pHost->GetBars(kind)) {
    if (bar.title == kTabPanelBar) continue;
    if (m_list.AddCategory(bar.title) == CAT_S_OK) m_list.SetCategoryCheck(bar.title, bar.visible ? 1 : 0);
  }
}

BOOL CToolBarSetDlg::OnInitDialog() {
  if (!CDialog::OnInitDialog()) return FALSE;
  if (!m_pHost) {
    // Nothing to set without the frame.
    EndDialog(IDCANCEL);
    return FALSE;
  }
  // The choices start as the frame shows them, so that only a real change acts.
  m_bTextBottom = m_pHost->GetTabTXTBottomMode() ? 1 : 0;
  CheckDlgButton(kTextTopID, m_bTextBottom ? BST_UNCHECKED : BST_CHECKED);
  CheckDlgButton(kTextBottomID, m_bTextBottom ? BST_CHECKED : BST_UNCHECKED);
  m_bLargeIcon = m_pHost->GetIconSizeWord() == 0 ? 1 : 0;
  CheckDlgButton(kLargeID, m_bLargeIcon ? BST_CHECKED : BST_UNCHECKED);
  CheckDlgButton(kSmallID, m_bLargeIcon ? BST_UNCHECKED : BST_CHECKED);
  const int style = m_pHost->GetStyleWord();
  m_bPanel = style == 0 ? 1 : 0;
  CheckDlgButton(kPanelID, style == 0 ? BST_CHECKED : BST_UNCHECKED);
  CheckDlgButton(kStandardID, style == 1 ? BST_CHECKED : BST_UNCHECKED);
  if (style == 0) {
    EnableTextRadios(TRUE);
    ListBars(CToolBarSetHost::kPanelBars);
  } else if (style == 1) {
    EnableTextRadios(FALSE);
    ListBars(CToolBarSetHost::kStandardBars);
  } else {
    ListBars(0);
  }
  return TRUE;
}

void CToolBarSetDlg::OnLargeIcon() {
  if (m_bLargeIcon || !Ready()) return;
  m_bLargeIcon = 1;
  m_pHost->ShowCurrentUI(kUILarge);
  m_pHost->SetIconSizeWord(0);
}

void CToolBarSetDlg::OnSmallIcon() {
  if (!m_bLargeIcon || !Ready()) return;
  m_bLargeIcon = 0;
  m_pHost->ShowCurrentUI(kUISmall);
  m_pHost->SetIconSizeWord(1);
}

void CToolBarSetDlg::OnTextTop() {
  if (!m_bTextBottom || !Ready()) return;
  m_bTextBottom = 0;
  m_pHost->ShowCurrentUI(kUITextTop);
  m_pHost->SetTextPosWord(0);
}

void CToolBarSetDlg::OnTextBottom() {
  if (m_bTextBottom || !Ready()) return;
  m_bTextBottom = 1;
  m_pHost->ShowCurrentUI(kUITextBottom);
  m_pHost->SetTextPosWord(1);
}

void CToolBarSetDlg::OnPanel() {
  if (m_bPanel || !Ready()) return;
  m_bPanel = 1;
  m_pHost->ShowCurrentUI(CToolBarSetHost::kPanelBars);
  ListBars(CToolBarSetHost::kPanelBars);
  m_pHost->SetStyleWord(0);
  EnableTextRadios(TRUE);
}

void CToolBarSetDlg::OnStandard() {
  if (!m_bPanel || !Ready()) return;
  m_bPanel = 0;
  m_pHost->ShowCurrentUI(CToolBarSetHost::kStandardBars);
  ListBars(CToolBarSetHost::kStandardBars);
  m_pHost->SetStyleWord(1);
  m_pHost->RefreshPlugInToolBars();
  EnableTextRadios(FALSE);
}

void CToolBarSetDlg::OnListCheck() {
  if (!Ready()) return;
  // A click in a check box and the space key both act on the selected row.
  const wchar_t* name = m_list.GetCategoryName(m_list.GetCurSel());
  if (!name) return;
  const int kind = m_pHost->GetStyleWord() ? CToolBarSetHost::kStandardBars : CToolBarSetHost::kPanelBars;
  const CString title(name);
  if (title == kTabPanelBar) m_pHost->HideDragTBar();
  m_pHost->ShowBar(kind, title, m_list.GetCategoryCheck(name) != FALSE);
}
