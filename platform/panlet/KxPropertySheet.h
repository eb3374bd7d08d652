// The settings sheet: a root page and further pages, each a dialog made from its template,
// chosen from a list of their titles at the left of the sheet. Pages are built when the sheet
// opens and answer three calls: InitParam shows the stored values, Ok checks and stores them
// (0, or -1 to refuse), Cancel forgets changes. OK closes only when every page accepts; a page
// that refuses is shown.
#pragma once

#include "platform/afx/Button.h"
#include "platform/afx/Dialog.h"
#include "platform/afx/ListBox.h"

#include <memory>
#include <vector>

class CKxPropertySheet;

class CKxPropertyPage : public CDialog {
  DECLARE_DYNAMIC(CKxPropertyPage)

 public:
  explicit CKxPropertyPage(UINT nIDTemplate) : CDialog(nIDTemplate, nullptr) {}
  // A page deleted before its sheet leaves the sheet (callers delete pages after the run).
  ~CKxPropertyPage() override;

  // Shows the members in the controls (data exchange out by default).
  virtual void InitParam();
  // Reads and checks the controls: 0 stores, -1 refuses (data exchange in by default).
  virtual int Ok();
  // Drops what the user changed; nothing by default.
  virtual void Cancel();

  CKxPropertySheet* GetSheet() const { return m_pSheet; }
  // A page's own OK and Cancel do not close it: the sheet does.
  void OnOK() override {}
  void OnCancel() override {}
  BOOL OnInitDialog() override;

 protected:
  BOOL PreTranslateMessage(MSG* pMsg) override;

 private:
  friend class CKxPropertySheet;
  CKxPropertySheet* m_pSheet = nullptr;
};

class CKxPropertySheet : public CDialog {
  DECLARE_DYNAMIC(CKxPropertySheet)

 public:
  static constexpr UINT kPageListId = 0x3030;
  static constexpr int kListWidth = 140;

  explicit CKxPropertySheet(LPCWSTR lpszCaption = nullptr, CWnd* pParentWnd = nullptr);
  ~CKxPropertySheet() override;

  // The first entry of the list (one root; a second call replaces it). The sheet does not own
  // pages; the icon is the resource shown beside the title.
  BOOL AddRoot(CKxPropertyPage* pPage, LPCWSTR lpszTitle, UINT nIconID = 0);
  // An entry under the root, in the order added. FALSE for a null or repeated page.
  BOOL AddPage(CKxPropertyPage* pPage, LPCWSTR lpszTitle, UINT nIconID = 0);
  int GetPageCount() const { return static_cast<int>(m_entries.size()); }
  // Entry 0 is the root (when there is one).
  CKxPropertyPage* GetPage(int nIndex) const;
  CString GetTitle(int nIndex) const;
  UINT GetIcon(int nIndex) const;
  // Every built page shows its values again (after a unit change, say).
  void InitParam();
  // The entry lit (selected and shown) when the sheet opens, or now when it is open.
  void Light(int nIndex);
  int GetLit() const { return m_lit; }
  // Shows an entry's page; FALSE for a bad index.
  BOOL ShowPage(int nIndex);
  // Drops the page from the sheet (its entry goes).
  void RemovePage(CKxPropertyPage* pPage);

  void OnOK() override;
  void OnCancel() override;
  BOOL OnInitDialog() override;

 protected:
  BOOL CreateDialogWindow(CWnd* pParentWnd, bool modal) override;
  BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;

 private:
  struct Entry {
    CKxPropertyPage* page;
    CString title;
    UINT icon;
  };
  void DestroyPages();
  CString m_strCaption;
  std::vector<Entry> m_entries;
  bool m_hasRoot = false;
  int m_lit = 0;
  CListBox m_list;
  std::unique_ptr<CButton> m_ok, m_cancel;
};
