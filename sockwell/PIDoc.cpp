#include "sockwell/PIDoc.h"

#include "sockwell/PlugInApp.h"

IMPLEMENT_DYNAMIC(CPIDoc, CDocument)

namespace {
int g_docDestroyed = 0;
}

CPIDoc::CPIDoc() : m_pGuard(new CPlugInGuard) { g_docDestroyed = 0; }

CPIDoc::~CPIDoc() {
  CPlugInGuard::ReleaseMaps(m_pGuard, m_pMaps, m_nMapCount, true);
  g_docDestroyed = 1;
  m_pGuard->bFreed = 1;
  m_pGuard->bGone = 1;
  CPlugInGuard::Release(m_pGuard);
}

int CPIDoc::IsDestroyed() { return g_docDestroyed; }

void CPIDoc::InitialisePlugIns() {
  if (m_pMaps) CPlugInGuard::ReleaseMaps(m_pGuard, m_pMaps, m_nMapCount, true);
  m_pMaps = CPlugInApp::GetMessageMaps(this, m_nMapCount);
}

void CPIDoc::Serialize(CArchive&) {}

BOOL CPIDoc::OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo) {
  CPlugInGuardHold hold(m_pGuard);
  m_bSuppress = 0;
  const BOOL pre = CPlugInApp::ProcessCommandMessageMaps(true, m_pMaps, m_nMapCount, nID, nCode, pExtra, pHandlerInfo);
  BOOL own = FALSE;
  if (hold.Alive() && !m_bSuppress) own = CDocument::OnCmdMsg(nID, nCode, pExtra, pHandlerInfo);
  BOOL post = FALSE;
  if (!g_docDestroyed && hold.Bound() && m_nMapCount > 0)
    post = CPlugInApp::ProcessCommandMessageMaps(false, m_pMaps, m_nMapCount, nID, nCode, pExtra, pHandlerInfo);
  return pre || own || post;
}
