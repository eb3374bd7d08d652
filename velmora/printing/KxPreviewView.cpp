#include "velmora/printing/KxPreviewView.h"

#include "platform/afx/WinApp.h"

#include <atomic>
#include <chrono>
#include <thread>

IMPLEMENT_DYNCREATE(CKxPreviewView, CPreviewView)

BEGIN_MESSAGE_MAP(CKxPreviewView, CPreviewView)
ON_COMMAND(AFX_ID_PREVIEW_CLOSE, OnPreviewClose)
ON_COMMAND(AFX_ID_PREVIEW_PRINT, OnPreviewPrint)
END_MESSAGE_MAP()

namespace {
std::atomic<unsigned> g_closePauseMs{1000};
}  // namespace

void CKxPreviewView::SetClosePause(unsigned milliseconds) { g_closePauseMs = milliseconds; }

void CKxPreviewView::OnPreviewClose() {
  CView* view = GetPrintView();
  std::this_thread::sleep_for(std::chrono::milliseconds(g_closePauseMs.load()));
  ClosePreview();
  if (view && view->GetSafeHwnd()) view->UpdateWindow();
}

void CKxPreviewView::OnPreviewPrint() {
  OnPreviewClose();
  if (CWnd* main = AfxGetMainWnd()) main->PostMessage(WM_COMMAND, ID_FILE_PRINT, 0);
}
