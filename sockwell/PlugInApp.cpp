#include "sockwell/PlugInApp.h"

#include "platform/afx/Wnd.h"
#include "platform/vurode/Accessors.h"
#include "sockwell/FileFinder.h"
#include "sockwell/PISMainFrame.h"

#include <cstring>

IMPLEMENT_DYNAMIC(CPlugInApp, CWinApp)

CPlugInApp::CPlugInApp() = default;

CPlugInApp::~CPlugInApp() {
  // Bound maps are objects of the modules' classes: they must go before the modules do.
  DeleteMaps();
  for (int i = 0; i < m_nDLLCount; ++i) m_pDLLs[i].ReleaseDLL();
  delete[] m_pDLLs;
  m_pDLLs = nullptr;
  m_nDLLCount = 0;
}

void CPlugInApp::LoadPlugInDLLs() {
  if (m_pDLLs) return;  // the table is filled once
  const CString folder = gGetApplicationPath();
  CFileFinder finder;
  finder.FindFiles(folder, L"*.vpf", FALSE);
  const int count = finder.FindFiles(folder, L"*.mlp", FALSE);
  finder.SortByAsc(0);
  if (count > 0) {
    m_pDLLs = new CDLLWrapper[static_cast<size_t>(count)];
    m_nDLLCount = count;
    for (int i = 0; i < count; ++i) m_pDLLs[i].LoadDLL(finder.GetFilePath(i));
  }
  for (int i = 0; i < m_nDLLCount; ++i) {
    m_pDLLs[i].m_Info.nPass = 0;
    m_pDLLs[i].InitialiseDLL(this);
  }
  if (!gGetKXGlobal()) return;
  for (int i = 0; i < m_nDLLCount; ++i) {
    m_pDLLs[i].m_Info.nPass = 1;
    m_pDLLs[i].InitialiseDLL(this);
  }
  InitialisePlugIns();
}

void CPlugInApp::UpdateMenus() {
  // A module is handed the main frame only when there is one of the plug-in aware kind.
  auto* frame = dynamic_cast<CPISMainFrame*>(m_pMainWnd);
  if (!frame) return;
  for (int i = 0; i < m_nDLLCount; ++i) m_pDLLs[i].MergeMenu(frame);
}

void CPlugInApp::UpdateAccelerators() {
  auto* frame = dynamic_cast<CPISMainFrame*>(m_pMainWnd);
  if (!frame) return;
  for (int i = 0; i < m_nDLLCount; ++i) m_pDLLs[i].MergeAccelerator(frame);
}

CPlugInMap** CPlugInApp::GetMessageMaps(CCmdTarget* pTarget, int& nCount) {
  nCount = 0;
  if (!pTarget) return nullptr;
  const char* name = pTarget->GetRuntimeClass()->m_lpszClassName;
  auto matches = [name](const CPlugInObject& o) {
    const char* cls = o.m_pMap ? o.m_pMap->GetClass() : nullptr;
    return cls && std::strcmp(cls, name) == 0;
  };
  int n = 0;
  for (POSITION pos = CPlugInMap::GetHeadPosition(); pos; CPlugInMap::MoveNext(pos))
    if (matches(CPlugInMap::GetAt(pos))) ++n;
  if (n == 0) return nullptr;
  auto** maps = new CPlugInMap*[static_cast<size_t>(n)]();
  int i = 0;
  for (POSITION pos = CPlugInMap::GetHeadPosition(); pos && i < n; CPlugInMap::MoveNext(pos)) {
    const CPlugInObject& o = CPlugInMap::GetAt(pos);
    if (!matches(o)) continue;
    CPlugInMap* copy = o.m_pMap->CreateMapObject();
    if (copy) copy->SetPlugInFor(pTarget);
    maps[i++] = copy;  // a class that makes no copy leaves a null slot
  }
  nCount = n;
  return maps;
}

void CPlugInApp::InitialisePlugIns() {
  DeleteMaps();
  m_pMaps = GetMessageMaps(this, m_nMapCount);
}

namespace {
// Marks each live bound map for the pass and calls it; every map runs even after one handled
// the message.
template <class Call>
BOOL RunPass(bool bPre, CPlugInMap** pMaps, int nCount, Call call) {
  BOOL handled = FALSE;
  for (int i = 0; pMaps && i < nCount; ++i) {
    CPlugInMap* map = pMaps[i];
    if (!map || !map->GetPlugInFor()) continue;
    if (bPre) map->SetPreCall();
    else map->SetPostCall();
    if (call(map)) handled = TRUE;
  }
  return handled;
}
}  // namespace

BOOL CPlugInApp::ProcessCommandMessageMaps(bool bPre, CPlugInMap** pMaps, int nCount, UINT nID, int nCode,
                                           void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo) {
  return RunPass(bPre, pMaps, nCount,
                 [&](CPlugInMap* map) { return CallCommandMessageMap(map, nID, nCode, pExtra, pHandlerInfo); });
}

BOOL CPlugInApp::ProcessWindowMessageMaps(bool bPre, CPlugInMap** pMaps, int nCount, UINT message, WPARAM wParam,
                                          LPARAM lParam, LRESULT* pResult) {
  return RunPass(bPre, pMaps, nCount,
                 [&](CPlugInMap* map) { return CallWindowMessageMap(map, message, wParam, lParam, pResult); });
}

BOOL CPlugInApp::CallCommandMessageMap(CPlugInMap* pMap, UINT nID, int nCode, void* pExtra,
                                       AFX_CMDHANDLERINFO* pHandlerInfo) {
  return AfxCmdMsgThroughMap(pMap, nID, nCode, pExtra, pHandlerInfo);
}

BOOL CPlugInApp::CallWindowMessageMap(CPlugInMap* pMap, UINT message, WPARAM wParam, LPARAM lParam,
                                      LRESULT* pResult) {
  if (!pMap) return FALSE;
  return AfxWndMsgThroughMap(pMap, dynamic_cast<CWnd*>(pMap->GetPlugInFor()), message, wParam, lParam, pResult);
}

const AFX_MSGMAP_ENTRY* CPlugInApp::FindMessageEntry(const AFX_MSGMAP_ENTRY* lpEntries, UINT nMsg, UINT nCode,
                                                     UINT nID) {
  return AfxFindMessageEntry(lpEntries, nMsg, nCode, nID);
}

BOOL CPlugInApp::DispatchCmdMsg(CCmdTarget* pTarget, UINT nID, int nCode, AFX_PMSG pfn, void* pExtra, UINT_PTR nSig,
                                AFX_CMDHANDLERINFO* pHandlerInfo) {
  return AfxDispatchCmdMsg(pTarget, nID, nCode, pfn, pExtra, nSig, pHandlerInfo);
}

void CPlugInApp::DeleteMaps() {
  for (int i = 0; m_pMaps && i < m_nMapCount; ++i) delete m_pMaps[i];
  delete[] m_pMaps;
  m_pMaps = nullptr;
  m_nMapCount = 0;
}

int CPlugInApp::ExitInstance() {
  DeleteMaps();
  return CWinApp::ExitInstance();
}
