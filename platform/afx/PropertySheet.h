// Property sheets: pages (dialogs from templates, made children of the sheet) under a tab
// control, with OK, Cancel and Apply. Leaving a page exchanges its data (a refused value keeps
// the page); OK and Apply apply every page that was ever shown; Cancel resets them.
#pragma once

#include "platform/afx/CommonCtrl.h"
#include "platform/afx/Dialog.h"

class CButton;
class CPropertySheet;

constexpr int PSBTN_OK = 1, PSBTN_CANCEL = 2, PSBTN_APPLYNOW = 3;
constexpr UINT AFX_IDC_TAB_CONTROL = 0x3020;
constexpr UINT ID_APPLY_NOW = 0x3021;

class CPropertyPage : public CDialog {
  DECLARE_DYNAMIC(CPropertyPage)

 public:
  explicit CPropertyPage(UINT nIDTemplate, LPCWSTR lpszCaption = nullptr);
  // A page deleted before its sheet leaves the sheet.
  ~CPropertyPage() override;

  // Becoming the shown page: TRUE lets it show. The page shows its members the first time.
  virtual BOOL OnSetActive();
  // Leaving the page: its data back into the members; FALSE keeps the page.
  virtual BOOL OnKillActive();
  // OK or Apply: OnOK, TRUE. Cancel: OnReset, which calls OnCancel.
  virtual BOOL OnApply();
  virtual void OnReset();
  // A page's OK and Cancel act on its members only; the sheet closes.
  void OnOK() override {}
  void OnCancel() override {}

  // The sheet's Apply button follows the pages' modified flags.
  void SetModified(BOOL bChanged = TRUE);
  BOOL IsModified() const { return m_bModified; }
  const CString& GetCaption() const { return m_strCaption; }
  CPropertySheet* GetSheet() const { return m_pSheet; }

 protected:
  BOOL PreTranslateMessage(MSG* pMsg) override;

 private:
  friend class CPropertySheet;
  CString m_strCaption;
  CPropertySheet* m_pSheet = nullptr;
  BOOL m_bModified = FALSE;
  BOOL m_bShown = FALSE;
};

class CPropertySheet : public CDialog {
  DECLARE_DYNAMIC(CPropertySheet)

 public:
  explicit CPropertySheet(LPCWSTR pszCaption = nullptr, CWnd* pParentWnd = nullptr, UINT iSelectPage = 0);
  ~CPropertySheet() override;

  // The sheet does not own its pages.
  void AddPage(CPropertyPage* pPage);
  void RemovePage(CPropertyPage* pPage);
  void RemovePage(int nPage);
  int GetPageCount() const { return static_cast<int>(m_pages.size()); }
  CPropertyPage* GetPage(int nPage) const;
  int GetPageIndex(CPropertyPage* pPage) const;
  CPropertyPage* GetActivePage() const { return GetPage(m_active); }
  int GetActiveIndex() const { return m_active; }
  // FALSE when the shown page refuses to be left or the new page refuses to show.
  BOOL SetActivePage(int nPage);
  BOOL SetActivePage(CPropertyPage* pPage) { return SetActivePage(GetPageIndex(pPage)); }
  CTabCtrl* GetTabControl() { return m_tab.m_hWnd ? &m_tab : nullptr; }
  void SetTitle(LPCWSTR lpszText);
  // As if the user pressed the button.
  BOOL PressButton(int nButton);
  // Modeless.
  BOOL Create(CWnd* pParentWnd = nullptr, DWORD dwStyle = static_cast<DWORD>(-1));
  using CDialog::Create;

  BOOL OnInitDialog() override;
  void OnOK() override;
  void OnCancel() override;
  // Apply every page shown so far; FALSE when the shown page refuses to be left.
  BOOL Apply();
  void PageModified();

 protected:
  BOOL CreateDialogWindow(CWnd* pParentWnd, bool modal) override;
  BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
  BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;
  // The display area of the pages, in the sheet's client coordinates.
  CRect PageRect() const;
  BOOL ShowPage(int nPage);

 private:
  CString m_strCaption;
  std::vector<CPropertyPage*> m_pages;
  int m_active = -1;
  UINT m_nSelect = 0;
  CTabCtrl m_tab;
  std::unique_ptr<CButton> m_ok, m_cancel, m_apply;
};
