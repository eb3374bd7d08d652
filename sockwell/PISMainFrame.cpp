#include "sockwell/PISMainFrame.h"

#include "sockwell/PlugInApp.h"

IMPLEMENT_DYNAMIC(CPISMainFrame, CFrameWnd)

int CPISMainFrame::m_MapCount = 0;

BEGIN_MESSAGE_MAP(CPISMainFrame, CFrameWnd)
END_MESSAGE_MAP()

CPISMainFrame::CPISMainFrame() : m_pGuard(new CPlugInGuard) {}

CPISMainFrame::~CPISMainFrame() {
  if (!m_pGuard->bFreed) CPlugInGuard::ReleaseMaps(m_pGuard, m_pMaps, m_MapCount, false);
  m_pGuard->bFreed = 1;
  m_pGuard->bGone = 1;
  CPlugInGuard::Release(m_pGuard);
}

int CPISMainFrame::OnCreate(LPCREATESTRUCT lpCreateStruct) {
  return CFrameWnd::OnCreate(lpCreateStruct) == -1 ? -1 : 1;
}

void CPISMainFrame::InitialisePlugIns() {
  if (m_pMaps) CPlugInGuard::ReleaseMaps(m_pGuard, m_pMaps, m_MapCount, true);
  m_pMaps = CPlugInApp::GetMessageMaps(this, m_MapCount);
}

void CPISMainFrame::CreatePlugToolBar() {
  InitialisePlugIns();
  for (int i = 0; i < m_MapCount; ++i)
    if (m_pMaps[i]) m_pMaps[i]->InsertToolBarEx();
  m_bPlugToolBarsCreated = 1;
}

void CPISMainFrame::DockPlugToolBar() {
  for (int i = 0; m_pMaps && i < m_MapCount; ++i)
    if (m_pMaps[i]) m_pMaps[i]->DockToolBar();
}

void CPISMainFrame::FreeMap() {
  if (!m_pGuard->bFreed) CPlugInGuard::ReleaseMaps(m_pGuard, m_pMaps, m_MapCount, true);
  m_pMaps = nullptr;
  m_MapCount = 0;
  m_pGuard->bFreed = 1;
}

BOOL CPISMainFrame::OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo) {
  CPlugInGuardHold hold(m_pGuard);
  m_bSuppress = 0;
  const BOOL pre = CPlugInApp::ProcessCommandMessageMaps(true, m_pMaps, m_MapCount, nID, nCode, pExtra, pHandlerInfo);
  // A pre handler may have destroyed the frame: then nothing of it is touched any more.
  BOOL own = FALSE;
  if (hold.Alive() && !m_bSuppress) own = CFrameWnd::OnCmdMsg(nID, nCode, pExtra, pHandlerInfo);
  BOOL post = FALSE;
  if (hold.Bound())
    post = CPlugInApp::ProcessCommandMessageMaps(false, m_pMaps, m_MapCount, nID, nCode, pExtra, pHandlerInfo);
  return pre || own || post;
}

BOOL CPISMainFrame::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
  CPlugInGuardHold hold(m_pGuard);
  // Commands reach the plug-in maps through OnCmdMsg; notifications go the class library's way.
  if (message == WM_COMMAND || message == WM_NOTIFY) return CFrameWnd::OnWndMsg(message, wParam, lParam, pResult);
  m_bSuppress = 0;
  BOOL remaining = CPlugInApp::ProcessWindowMessageMaps(true, m_pMaps, m_MapCount, message, wParam, lParam, pResult);
  BOOL own = FALSE;
  if (hold.Alive() && !m_bSuppress) own = CFrameWnd::OnWndMsg(message, wParam, lParam, pResult);
  if (hold.Bound())
    remaining = CPlugInApp::ProcessWindowMessageMaps(false, m_pMaps, m_MapCount, message, wParam, lParam, pResult);
  return own || remaining;
}
