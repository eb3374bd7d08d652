// Printing for documents and views: the print information a run carries, the printer dialog,
// the preview view, and the seam to the platform's printers. A view prints in the framework's
// order: OnPreparePrinting (which runs the dialog through DoPreparePrinting), OnBeginPrinting,
// then OnPrepareDC and OnPrint for every page, then OnEndPrinting. The preview runs the same
// page loop into the platform's preview.
#pragma once

#include "platform/afx/DocView.h"
#include "platform/win/MessageBox.h"

#include <memory>

class CDC;
class CPreviewView;

constexpr UINT ID_FILE_PRINT = 57607;
constexpr UINT ID_FILE_PRINT_DIRECT = 57608;
constexpr UINT ID_FILE_PRINT_PREVIEW = 57609;
constexpr UINT AFX_ID_PREVIEW_CLOSE = 58112;
constexpr UINT AFX_ID_PREVIEW_PRINT = 58116;
constexpr UINT AFX_IDD_PREVIEW_TOOLBAR = 30723;

// Printer dialog flags that this system uses.
constexpr DWORD PD_PRINTSETUP = 0x00000040;
constexpr DWORD PD_RETURNDC = 0x00000100;
constexpr DWORD PD_ENABLEPRINTTEMPLATE = 0x00004000;
constexpr DWORD PD_USEDEVMODECOPIES = 0x00040000;

// What the printer dialog shows and returns. outputFile non-empty: the run goes to that PDF file
// instead of a printer.
struct AFX_PRINTDLG {
  DWORD Flags = 0;
  WORD nFromPage = 1, nToPage = 0xFFFF;
  WORD nMinPage = 1, nMaxPage = 0xFFFF;
  WORD nCopies = 1;
  UINT nPrintTemplate = 0;  // resource id of the dialog's extra controls, 0 for none
  CString printerName;
  CString outputFile;
};

class CPrintDialog : public CCmdTarget {
  DECLARE_DYNAMIC(CPrintDialog)

 public:
  explicit CPrintDialog(BOOL bPrintSetupOnly, DWORD dwFlags = PD_RETURNDC, CWnd* pParentWnd = nullptr);

  // The platform printer dialog: IDOK, or IDCANCEL when cancelled or when there is no printer
  // dialog at all.
  virtual INT_PTR DoModal();
  // Called by the platform dialog once it stands, before the user acts.
  virtual BOOL OnInitDialog() { return TRUE; }
  // The user accepted; the dialog ends with IDOK.
  virtual void OnOK() { EndDialog(IDOK); }
  virtual void OnCancel() { EndDialog(IDCANCEL); }
  // Ends the running dialog with a result (a control of the dialog's own may end it).
  void EndDialog(int nResult) { m_nEndResult = nResult; }
  // The result EndDialog set, 0 while the dialog runs.
  int GetEndResult() const { return m_nEndResult; }
  void ResetEndResult() { m_nEndResult = 0; }

  CWnd* GetParent() const { return m_pParentWnd; }

  AFX_PRINTDLG m_pd;

 private:
  CWnd* m_pParentWnd;
  int m_nEndResult = 0;
};

class CPrintInfo {
 public:
  CPrintInfo();
  ~CPrintInfo();
  CPrintInfo(const CPrintInfo&) = delete;
  CPrintInfo& operator=(const CPrintInfo&) = delete;

  void SetMinPage(UINT nMinPage) { m_pPD->m_pd.nMinPage = static_cast<WORD>(nMinPage); }
  void SetMaxPage(UINT nMaxPage) { m_pPD->m_pd.nMaxPage = static_cast<WORD>(nMaxPage); }
  UINT GetMinPage() const { return m_pPD->m_pd.nMinPage; }
  UINT GetMaxPage() const { return m_pPD->m_pd.nMaxPage; }

  CPrintDialog* m_pPD;  // owned; a view may replace it with its own dialog
  BOOL m_bDirect = FALSE;
  BOOL m_bPreview = FALSE;
  BOOL m_bContinuePrinting = TRUE;
  UINT m_nCurPage = 1;
  CRect m_rectDraw;
  void* m_lpUserData = nullptr;
};

// One print run on a device: pages are drawn between StartPage and EndPage. The attribute
// context answers device questions before the first page.
class CPrintJob {
 public:
  virtual ~CPrintJob() = default;
  virtual CDC* GetAttribDC() = 0;
  virtual CDC* StartPage() = 0;
  virtual BOOL EndPage() = 0;
  virtual BOOL EndDoc() = 0;
  virtual void AbortDoc() = 0;
};

// What the platform gives the printing code; the default has no printers and no preview.
class CPrintBackend {
 public:
  virtual ~CPrintBackend() = default;
  // Runs the printer dialog (calling the dialog's OnInitDialog, then OnOK or OnCancel); returns
  // the dialog's end result.
  virtual INT_PTR RunPrintDialog(CPrintDialog& dlg) { (void)dlg; return IDCANCEL; }
  // A run on the printer or file the dialog data names; null when it cannot start.
  virtual std::unique_ptr<CPrintJob> StartJob(const AFX_PRINTDLG& pd, LPCWSTR docName) {
    (void)pd;
    (void)docName;
    return nullptr;
  }
  // Shows the preview until it is closed (CPreviewView::ClosePreview); FALSE when it cannot.
  virtual BOOL RunPreview(CPreviewView& preview) { (void)preview; return FALSE; }
  // Ends a running preview.
  virtual void ClosePreview(CPreviewView& preview) { (void)preview; }
};

// The installed backend (never null) and its replacement; null restores the default.
CPrintBackend& AfxGetPrintBackend();
void AfxSetPrintBackend(CPrintBackend* backend);

// What the frame keeps while a preview runs; freed by the preview (or DoPrintPreview on failure).
struct CPrintPreviewState {
  UINT nIDMainPane = AFX_IDW_PANE_FIRST;
  BOOL bVisible = TRUE;
};

// The preview: renders the print view's pages through the same loop as printing, and answers
// the preview toolbar's Close (58112) and Print (58116).
class CPreviewView : public CView {
  DECLARE_DYNCREATE(CPreviewView)

 public:
  CPreviewView();
  ~CPreviewView() override;

  // Takes the print view and the state (owned from here on); prepares the preview's print
  // information through the print view's OnPreparePrinting. FALSE when that refuses.
  BOOL SetPrintView(CView* pPrintView, CPrintPreviewState* pState, UINT nIDToolbar);
  CView* GetPrintView() const { return m_pPrintView; }
  CPrintInfo* GetPrintInfo() const { return m_pPreviewInfo.get(); }
  UINT GetToolbarId() const { return m_nIDToolbar; }
  // Draws every page of the run into the job (the backend's preview device). Pages drawn.
  int RenderPages(CPrintJob& job);
  // Ends the preview through the print view's OnEndPrintPreview.
  void ClosePreview();
  BOOL IsClosed() const { return m_bClosed; }

  void OnDraw(CDC*) override {}

 protected:
  void OnPreviewClose();
  void OnPreviewPrint();

  DECLARE_MESSAGE_MAP()

 private:
  CView* m_pPrintView = nullptr;
  std::unique_ptr<CPrintInfo> m_pPreviewInfo;
  std::unique_ptr<CPrintPreviewState> m_pState;
  UINT m_nIDToolbar = 0;
  BOOL m_bClosed = FALSE;
  friend class CView;
};
