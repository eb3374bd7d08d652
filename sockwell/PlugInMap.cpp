#include "sockwell/PlugInMap.h"

IMPLEMENT_DYNCREATE(CPlugInMap, CCmdTarget)

CList<CPlugInObject, const CPlugInObject&> CPlugInMap::m_PlugInMapList;

BEGIN_MESSAGE_MAP(CPlugInMap, CCmdTarget)
END_MESSAGE_MAP()

CPlugInMap::~CPlugInMap() {
  for (POSITION pos = m_PlugInMapList.GetHeadPosition(); pos;) {
    const POSITION at = pos;
    if (m_PlugInMapList.GetNext(pos).m_pMap == this) m_PlugInMapList.RemoveAt(at);
  }
}

void CPlugInMap::Free() { delete this; }
const char* CPlugInMap::GetClass() { return ""; }
CPlugInMap* CPlugInMap::CreateMapObject() { return nullptr; }
void CPlugInMap::DockToolBar() {}
void CPlugInMap::InsertToolBarEx() {}

BOOL CPlugInMap::AddObject() {
  m_PlugInMapList.AddTail(CPlugInObject(this));
  return TRUE;
}
