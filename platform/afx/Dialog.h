// Dialogs: a window built from a registered template, run modally (DoModal: the owner is
// disabled and the window layer's message loop runs until EndDialog) or modelessly (Create).
// Enter in a dialog means OK and Escape means Cancel; closing the window means Cancel.
#pragma once

#include "platform/afx/Wnd.h"
#include "platform/win/MessageBox.h"  // IDOK, IDCANCEL: what a run returns

#include <functional>
#include <memory>
#include <vector>

class CDataExchange;

class CDialog : public CWnd {
  DECLARE_DYNAMIC(CDialog)

 public:
  CDialog() = default;
  explicit CDialog(UINT nIDTemplate, CWnd* pParentWnd = nullptr);
  ~CDialog() override;

  // IDOK/IDCANCEL or what EndDialog gave; -1 when the template is missing or the window cannot
  // be made, IDABORT when the message loop ends (quit, or no input can ever arrive).
  virtual INT_PTR DoModal();
  // Modeless: creates the window and its controls and runs OnInitDialog; FALSE when the
  // template is missing, the window cannot be made or OnInitDialog's data exchange fails.
  virtual BOOL Create(UINT nIDTemplate, CWnd* pParentWnd = nullptr);
  // Modal: ends the loop with the result. Modeless: hides the window (the owner destroys it).
  void EndDialog(int nResult);
  // Data exchange through DoDataExchange: FALSE when a value is refused (the failing control
  // gets the focus; a message box has said why).
  BOOL UpdateData(BOOL bSaveAndValidate = TRUE);

  virtual BOOL OnInitDialog();
  // Exchanges and closes with IDOK (nothing when a value is refused).
  virtual void OnOK();
  virtual void OnCancel();

  UINT GetTemplateID() const { return m_nIDTemplate; }
  BOOL IsModal() const { return m_bModal; }
  // Enter, Escape and the tab key for the dialog; TRUE when the message was used.
  BOOL IsDialogMessage(LPMSG lpMsg);
  // The default push button's id (IDOK unless changed).
  void SetDefID(UINT nID) { m_nDefID = nID; }
  UINT GetDefID() const { return m_nDefID; }
  // Moves the focus to the next (or previous) control that takes it.
  void NextDlgCtrl();
  void PrevDlgCtrl();
  void GotoDlgCtrl(CWnd* pWndCtrl);

  // Test and automation seam: called for each modal dialog once it is initialised and before
  // its loop runs; it may drive the controls and end the dialog. Returns the previous driver.
  using ModalDriver = std::function<void(CDialog&)>;
  static ModalDriver SetModalDriver(ModalDriver driver);

 protected:
  virtual void DoDataExchange(CDataExchange* pDX);
  BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
  LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
  BOOL PreTranslateMessage(MSG* pMsg) override;
  // Makes the dialog's window with its controls, not yet initialised (DoModal and Create call
  // this): by default from the template m_nIDTemplate. FALSE on failure, with nothing left.
  virtual BOOL CreateDialogWindow(CWnd* pParentWnd, bool modal);
  // The window and the template's controls; extraStyle WS_CHILD makes it a child (pages).
  BOOL CreateFromTemplate(UINT nIDTemplate, CWnd* pParentWnd, DWORD extraStyle, bool modal);
  // Destroys the controls and the window.
  void DestroyAll();

  UINT m_nIDTemplate = 0;
  CWnd* m_pParentWnd = nullptr;

 private:
  BOOL m_bModal = FALSE;
  BOOL m_bEnded = FALSE;
  int m_nResult = -1;
  UINT m_nDefID = 1;
  std::vector<std::unique_ptr<CWnd>> m_items;  // window objects of the template's controls
};
