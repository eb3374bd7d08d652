#include "platform/afx/Print.h"

#include "platform/afx/DC.h"
#include "platform/afx/WinApp.h"

IMPLEMENT_DYNAMIC(CPrintDialog, CCmdTarget)
IMPLEMENT_DYNCREATE(CPreviewView, CView)

BEGIN_MESSAGE_MAP(CPreviewView, CView)
ON_COMMAND(AFX_ID_PREVIEW_CLOSE, OnPreviewClose)
ON_COMMAND(AFX_ID_PREVIEW_PRINT, OnPreviewPrint)
END_MESSAGE_MAP()

namespace {
CPrintBackend* g_backend = nullptr;
}  // namespace

CPrintBackend& AfxGetPrintBackend() {
  static CPrintBackend none;
  return g_backend ? *g_backend : none;
}

void AfxSetPrintBackend(CPrintBackend* backend) { g_backend = backend; }

CPrintDialog::CPrintDialog(BOOL bPrintSetupOnly, DWORD dwFlags, CWnd* pParentWnd) : m_pParentWnd(pParentWnd) {
  m_pd.Flags = dwFlags | (bPrintSetupOnly ? PD_PRINTSETUP : 0);
}

INT_PTR CPrintDialog::DoModal() {
  m_nEndResult = 0;
  const INT_PTR result = AfxGetPrintBackend().RunPrintDialog(*this);
  return result == IDOK ? IDOK : IDCANCEL;
}

CPrintInfo::CPrintInfo() : m_pPD(new CPrintDialog(FALSE, PD_RETURNDC | PD_USEDEVMODECOPIES)) {}

CPrintInfo::~CPrintInfo() { delete m_pPD; }

// ---- CView printing ----

BOOL CView::OnPreparePrinting(CPrintInfo* pInfo) { return DoPreparePrinting(pInfo); }

BOOL CView::DoPreparePrinting(CPrintInfo* pInfo) {
  if (!pInfo || !pInfo->m_pPD) return FALSE;
  // A preview and a direct print take the printer defaults without asking.
  if (pInfo->m_bPreview || pInfo->m_bDirect) return TRUE;
  return pInfo->m_pPD->DoModal() == IDOK;
}

void CView::OnBeginPrinting(CDC*, CPrintInfo*) {}
void CView::OnEndPrinting(CDC*, CPrintInfo*) {}

void CView::OnPrint(CDC* pDC, CPrintInfo*) { OnDraw(pDC); }

void CView::OnEndPrintPreview(CDC*, CPrintInfo*, POINT, CPreviewView* pView) {
  if (pView) AfxGetPrintBackend().ClosePreview(*pView);
}

int CView::PrintPages(CPrintInfo* pInfo, CPrintJob& job) {
  CDC* attrib = job.GetAttribDC();
  if (!pInfo || !attrib) return 0;
  OnBeginPrinting(attrib, pInfo);
  int printed = 0;
  const UINT first = pInfo->GetMinPage(), last = pInfo->GetMaxPage();
  for (UINT page = first; page <= last && pInfo->m_bContinuePrinting; ++page) {
    CDC* dc = job.StartPage();
    if (!dc) break;
    pInfo->m_nCurPage = page;
    pInfo->m_rectDraw.SetRect(0, 0, dc->GetDeviceCaps(HORZRES), dc->GetDeviceCaps(VERTRES));
    OnPrepareDC(dc, pInfo);
    OnPrint(dc, pInfo);
    if (!job.EndPage()) break;
    ++printed;
  }
  OnEndPrinting(attrib, pInfo);
  return printed;
}

namespace {
void PrintRun(CView* view, BOOL direct) {
  CPrintInfo info;
  info.m_bDirect = direct;
  if (!view->OnPreparePrinting(&info)) return;
  CDocument* doc = view->GetDocument();
  const CString title = doc ? doc->GetTitle() : CString();
  std::unique_ptr<CPrintJob> job = AfxGetPrintBackend().StartJob(info.m_pPD->m_pd, title.GetString());
  if (!job) {
    AfxMessageBox(AFX_IDP_COMMAND_FAILURE);
    return;
  }
  // A run that drew no page (the view found nothing to print) is abandoned, not left half made.
  if (info.GetMaxPage() < info.GetMinPage() || view->PrintPages(&info, *job) == 0)
    job->AbortDoc();
  else
    job->EndDoc();
}
}  // namespace

void CView::OnFilePrint() { PrintRun(this, FALSE); }
void CView::OnFilePrintDirect() { PrintRun(this, TRUE); }

void CView::OnFilePrintPreview() {
  DoPrintPreview(AFX_IDD_PREVIEW_TOOLBAR, this, RUNTIME_CLASS(CPreviewView), new CPrintPreviewState);
}

BOOL CView::DoPrintPreview(UINT nIDResource, CView* pPrintView, CRuntimeClass* pPreviewViewClass,
                           CPrintPreviewState* pState) {
  std::unique_ptr<CPrintPreviewState> state(pState);
  CObject* obj = pPreviewViewClass ? pPreviewViewClass->CreateObject() : nullptr;
  std::unique_ptr<CPreviewView> preview(dynamic_cast<CPreviewView*>(obj));
  if (!preview) {
    delete obj;
    return FALSE;
  }
  if (!pPrintView || !preview->SetPrintView(pPrintView, state.release(), nIDResource)) return FALSE;
  return AfxGetPrintBackend().RunPreview(*preview);
}

// ---- CPreviewView ----

CPreviewView::CPreviewView() = default;
CPreviewView::~CPreviewView() = default;

BOOL CPreviewView::SetPrintView(CView* pPrintView, CPrintPreviewState* pState, UINT nIDToolbar) {
  m_pState.reset(pState);
  m_pPrintView = pPrintView;
  m_nIDToolbar = nIDToolbar;
  m_pPreviewInfo = std::make_unique<CPrintInfo>();
  m_pPreviewInfo->m_bPreview = TRUE;
  return pPrintView && pPrintView->OnPreparePrinting(m_pPreviewInfo.get());
}

int CPreviewView::RenderPages(CPrintJob& job) {
  if (!m_pPrintView || !m_pPreviewInfo) return 0;
  m_pPreviewInfo->m_bContinuePrinting = TRUE;
  return m_pPrintView->PrintPages(m_pPreviewInfo.get(), job);
}

void CPreviewView::ClosePreview() {
  if (m_bClosed) return;
  m_bClosed = TRUE;
  if (m_pPrintView) m_pPrintView->OnEndPrintPreview(nullptr, m_pPreviewInfo.get(), POINT{0, 0}, this);
}

void CPreviewView::OnPreviewClose() { ClosePreview(); }

void CPreviewView::OnPreviewPrint() {
  CView* view = m_pPrintView;
  ClosePreview();
  if (view) view->PostMessage(WM_COMMAND, ID_FILE_PRINT, 0);
}
