#include "sockwell/PIView.h"

#include "sockwell/PlugInApp.h"

IMPLEMENT_DYNAMIC(CPIView, CView)

BEGIN_MESSAGE_MAP(CPIView, CView)
ON_WM_KEYDOWN()
END_MESSAGE_MAP()

namespace {
int g_viewDestroyed = 0;
}

CPIView::CPIView() : m_pGuard(new CPlugInGuard) { g_viewDestroyed = 0; }

CPIView::~CPIView() {
  CPlugInGuard::ReleaseMaps(m_pGuard, m_pMaps, m_nMapCount, true);
  g_viewDestroyed = 1;
  m_pGuard->bFreed = 1;
  m_pGuard->bGone = 1;
  CPlugInGuard::Release(m_pGuard);
}

int CPIView::IsDestroyed() { return g_viewDestroyed; }

void CPIView::InitialisePlugIns() {
  if (m_pMaps) CPlugInGuard::ReleaseMaps(m_pGuard, m_pMaps, m_nMapCount, true);
  m_pMaps = CPlugInApp::GetMessageMaps(this, m_nMapCount);
}

void CPIView::OnDraw(CDC*) {}

void CPIView::OnKeyDown(UINT, UINT, UINT) { Default(); }

BOOL CPIView::OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo) {
  CPlugInGuardHold hold(m_pGuard);
  m_bSuppress = 0;
  const BOOL pre = CPlugInApp::ProcessCommandMessageMaps(true, m_pMaps, m_nMapCount, nID, nCode, pExtra, pHandlerInfo);
  BOOL own = FALSE;
  if (hold.Alive() && !m_bSuppress) own = CView::OnCmdMsg(nID, nCode, pExtra, pHandlerInfo);
  BOOL post = FALSE;
  if (!g_viewDestroyed && hold.Bound() && m_nMapCount > 0)
    post = CPlugInApp::ProcessCommandMessageMaps(false, m_pMaps, m_nMapCount, nID, nCode, pExtra, pHandlerInfo);
  return pre || own || post;
}

BOOL CPIView::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
  CPlugInGuardHold hold(m_pGuard);
  // Commands reach the plug-in maps through OnCmdMsg; notifications go the class library's way.
  if (message == WM_COMMAND || message == WM_NOTIFY) return CView::OnWndMsg(message, wParam, lParam, pResult);
  m_bSuppress = 0;
  const bool plugIns = !g_viewDestroyed && m_nMapCount > 0;
  BOOL remaining = FALSE;
  if (plugIns) remaining = CPlugInApp::ProcessWindowMessageMaps(true, m_pMaps, m_nMapCount, message, wParam, lParam, pResult);
  BOOL own = FALSE;
  if (hold.Alive() && !m_bSuppress) own = CView::OnWndMsg(message, wParam, lParam, pResult);
  if (!g_viewDestroyed && hold.Bound() && m_nMapCount > 0)
    remaining = CPlugInApp::ProcessWindowMessageMaps(false, m_pMaps, m_nMapCount, message, wParam, lParam, pResult);
  return own || remaining;
}
