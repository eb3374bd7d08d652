#include "platform/afx/DocView.h"

#include "platform/afx/WinApp.h"
#include "platform/win/Menu.h"

#include <algorithm>

IMPLEMENT_DYNAMIC(CDocument, CCmdTarget)
IMPLEMENT_DYNAMIC(CView, CWnd)
IMPLEMENT_DYNAMIC(CFrameWnd, CWnd)
IMPLEMENT_DYNAMIC(CDocTemplate, CCmdTarget)
IMPLEMENT_DYNAMIC(CSingleDocTemplate, CDocTemplate)

CDocument::~CDocument() {
  for (CView* v : m_views) v->m_pDocument = nullptr;
}

void CDocument::AddView(CView* pView) {
  if (!pView || pView->m_pDocument == this) return;
  if (pView->m_pDocument) pView->m_pDocument->RemoveView(pView);
  m_views.push_back(pView);
  pView->m_pDocument = this;
}

void CDocument::RemoveView(CView* pView) {
  auto it = std::find(m_views.begin(), m_views.end(), pView);
  if (it == m_views.end()) return;
  m_views.erase(it);
  pView->m_pDocument = nullptr;
}

CView::~CView() {
  if (m_pDocument) m_pDocument->RemoveView(this);
}

BOOL CView::OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo) {
  if (CWnd::OnCmdMsg(nID, nCode, pExtra, pHandlerInfo)) return TRUE;
  return m_pDocument && m_pDocument->OnCmdMsg(nID, nCode, pExtra, pHandlerInfo);
}

BEGIN_MESSAGE_MAP(CFrameWnd, CWnd)
ON_WM_CREATE()
ON_WM_DESTROY()
END_MESSAGE_MAP()

CFrameWnd::~CFrameWnd() {
  if (m_hAccelTable) ::DestroyAcceleratorTable(m_hAccelTable);
}

BOOL CFrameWnd::OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo) {
  if (m_pViewActive && m_pViewActive->OnCmdMsg(nID, nCode, pExtra, pHandlerInfo)) return TRUE;
  if (CWnd::OnCmdMsg(nID, nCode, pExtra, pHandlerInfo)) return TRUE;
  CWinApp* app = AfxGetApp();
  return app && app->OnCmdMsg(nID, nCode, pExtra, pHandlerInfo);
}

BOOL CFrameWnd::OnCreateClient(LPCREATESTRUCT, void*) { return TRUE; }

int CFrameWnd::OnCreate(LPCREATESTRUCT lpcs) {
  if (CWnd::OnCreate(lpcs) == -1) return -1;
  return OnCreateClient(lpcs, lpcs ? lpcs->lpCreateParams : nullptr) ? 0 : -1;
}

void CFrameWnd::OnDestroy() {
  // The active view goes with the frame's window.
  m_pViewActive = nullptr;
  CWnd::OnDestroy();
}
