// CToolBarSetDlg: the "ToolBar Settings" dialog: panel or standard toolbars, the icon size of
// the standard toolbars, the text position of the panel toolbar, and a check list of the
// toolbars of the current style to show or hide them.
#pragma once

#include "platform/afx/Dialog.h"
#include "velmora/dialogs/CatListBox.h"

class CToolBarSetHost;

class CToolBarSetDlg : public CDialog {
  DECLARE_DYNAMIC(CToolBarSetDlg)

 public:
  static constexpr UINT IDD = 361;
  static constexpr UINT kPanelID = 186, kStandardID = 537, kLargeID = 142, kSmallID = 712, kTextTopID = 170,
                        kTextBottomID = 520, kListID = 707, kQuitID = 1;
  // The panel toolbar's own bar, which the list never offers.
  static constexpr const wchar_t* kTabPanelBar = L"TabPanel Bar";

  explicit CToolBarSetDlg(CToolBarSetHost* pHost, CWnd* pParent = nullptr);
  // Without the frame (host) the dialog closes at once (IDCANCEL).
  BOOL OnInitDialog() override;
  CCatListBox& GetList() { return m_list; }

  // The radio buttons and the list's check boxes, as the user's clicks run them.
  void OnPanel();
  void OnStandard();
  void OnLargeIcon();
  void OnSmallIcon();
  void OnTextTop();
  void OnTextBottom();
  void OnListCheck();

 protected:
  void DoDataExchange(CDataExchange* pDX) override;
  DECLARE_MESSAGE_MAP()

 private:
  void ListBars(int kind);
  void EnableTextRadios(BOOL enable);
  bool Ready() const;

  CToolBarSetHost* m_pHost;
  CCatListBox m_list;
  int m_bLargeIcon = 1;
  int m_bTextBottom = 1;
  int m_bPanel = 1;
};

// Registers the template of the dialog (again is harmless).
void RegisterToolBarSetTemplate();
