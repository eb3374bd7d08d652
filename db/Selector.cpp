#include "db/Selector.h"

#include "db/DbAccess.h"

CSelector::CSelector() { BOX2D_Init0(&m_box); }

CSelector::~CSelector() {
  if (gGetSelector() == this) gSetSelector(nullptr);
  RemoveAll(1);
}

BOOL CSelector::Add(CDbEntity* entity) {
  if (!entity || Contains(entity)) return FALSE;
  m_Index.emplace(entity, m_List.AddTail(entity));
  entity->SetSelected(1);
  return TRUE;
}

BOOL CSelector::Remove(CDbEntity* entity) {
  const auto at = entity ? m_Index.find(entity) : m_Index.end();
  if (at == m_Index.end()) return FALSE;
  m_List.RemoveAt(at->second);
  m_Index.erase(at);
  entity->SetSelected(0);
  return TRUE;
}

BOOL CSelector::Contains(const CDbEntity* entity) const { return entity && m_Index.count(entity) != 0; }

void CSelector::RemoveAll(int bClearFlags) {
  m_Index.clear();
  while (!m_List.IsEmpty()) {
    CDbEntity* e = m_List.RemoveHead();
    if (bClearFlags) e->SetSelected(0);
  }
}

void CSelector::ClearAll(CDC* pDC) {
  if (pDC)
    for (POSITION pos = m_List.GetHeadPosition(); pos;) m_List.GetNext(pos)->Draw(pDC, DB_DRAW_NORMAL);
  RemoveAll(1);
}

void CSelector::SetSelection(const CDbEntityList& list) {
  RemoveAll(1);
  for (POSITION pos = list.GetHeadPosition(); pos;) Add(list.GetNext(pos));
}

void CSelector::CalcBox() {
  BOX2D_Init0(&m_box);
  for (POSITION pos = m_List.GetHeadPosition(); pos;) {
    _tagBox2D b;
    m_List.GetNext(pos)->GetBox(&b);
    if (BOX2D_IsValid(&b)) BOX2D_Union(&m_box, &b);
  }
}

void CSelector::GetBox(_tagBox2D* box) const {
  if (box) *box = m_box;
}

int CSelector::GetSizeOfBType(int mask) const {
  int n = 0;
  for (POSITION pos = m_List.GetHeadPosition(); pos;)
    if (m_List.GetNext(pos)->GetBaseType() & mask) ++n;
  return n;
}

int CSelector::IsLocked() const {
  for (POSITION pos = m_List.GetHeadPosition(); pos;)
    if (m_List.GetNext(pos)->IsLocked()) return 1;
  return 0;
}

void CSelector::Draw(CDC* pDC, int nMode) {
  if (!pDC) return;
  for (POSITION pos = m_List.GetHeadPosition(); pos;) m_List.GetNext(pos)->Draw(pDC, nMode);
}

void CSelector::DrawGL(COpenGLDC* pDC, int nMode) {
  if (!pDC) return;
  for (POSITION pos = m_List.GetHeadPosition(); pos;) m_List.GetNext(pos)->DrawGL(pDC, nMode);
}
