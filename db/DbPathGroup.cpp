#include "db/DbPathGroup.h"

#include <memory>

#include "db/DbEntityOps.h"
#include "geometry/shapes2d/PickRay.h"
#include "geometry/shapes3d/GeCombCurve3d.h"

IMPLEMENT_SERIAL(CDbPathUnit, CDbEntity, DB_SCHEMA)
IMPLEMENT_SERIAL(CDbPathGroup, CDbEntity, DB_SCHEMA)

CDbPathUnit::CDbPathUnit() : m_pCurve(nullptr) {}

CDbPathUnit::~CDbPathUnit() { delete m_pCurve; }

void CDbPathUnit::Serialize(CArchive& ar) {
  CDbEntity::Serialize(ar);
  dbSerializeOwned(ar, m_pCurve);
}

CDbPathUnit* CDbPathUnit::Copy() const { return dbCopyWithShape(*this, &CDbPathUnit::m_pCurve); }

void CDbPathUnit::Draw(CDC* pDC, int nMode) { dbDrawCurve3d(m_pCurve, pDC, nMode, m_crColor); }

void CDbPathUnit::DrawGL(COpenGLDC* pDC, int nMode) { dbDrawCurve3dGL(m_pCurve, pDC, nMode, m_crColor); }

int CDbPathUnit::Pick(CPickRay& ray) { return m_pCurve ? m_pCurve->Pick(ray, 0) : 0; }

void CDbPathUnit::Translate(const double from[2], const double to[2]) { dbMoveCurve3d(m_pCurve, from, to); }

void CDbPathUnit::GetBox(_tagBox2D* box) { dbCurve3dBox(m_pCurve, box); }

void CDbPathUnit::GetBox3D(_tagBox3D* box) { dbCurve3dBox3D(m_pCurve, box); }

CDbPathGroup::CDbPathGroup() = default;

CDbPathGroup::~CDbPathGroup() {
  while (!m_UnitList.IsEmpty()) delete m_UnitList.RemoveHead();
}

void CDbPathGroup::Serialize(CArchive& ar) {
  CDbEntity::Serialize(ar);
  if (ar.IsStoring()) {
    ar.WriteCount(DWORD_PTR(m_UnitList.GetCount()));
    for (POSITION pos = m_UnitList.GetHeadPosition(); pos;)
      ar << static_cast<const CObject*>(m_UnitList.GetNext(pos));
  } else {
    while (!m_UnitList.IsEmpty()) delete m_UnitList.RemoveHead();
    AfxReadOwnedObjects<CDbPathUnit>(ar, m_UnitList);
    // A group owns real units only: drop null entries a file may carry.
    for (POSITION pos = m_UnitList.GetHeadPosition(); pos;) {
      const POSITION at = pos;
      if (!m_UnitList.GetNext(pos)) m_UnitList.RemoveAt(at);
    }
  }
}

CDbPathGroup* CDbPathGroup::Copy() const {
  auto group = std::make_unique<CDbPathGroup>();
  group->CopyEntityPart(*this);
  for (POSITION pos = m_UnitList.GetHeadPosition(); pos;) {
    CDbPathUnit* unit = m_UnitList.GetNext(pos)->Copy();
    if (!unit) return nullptr;
    group->m_UnitList.AddTail(unit);
  }
  return group.release();
}

void CDbPathGroup::Draw(CDC* pDC, int nMode) {
  if (!pDC) return;
  for (POSITION pos = m_UnitList.GetHeadPosition(); pos;)
    dbDrawCurve3d(m_UnitList.GetNext(pos)->m_pCurve, pDC, nMode, m_crColor);
}

void CDbPathGroup::DrawGL(COpenGLDC* pDC, int nMode) {
  if (!pDC) return;
  CDbDrawModeGL mode(pDC, nMode, m_crColor);
  for (POSITION pos = m_UnitList.GetHeadPosition(); pos;) {
    CDbPathUnit* unit = m_UnitList.GetNext(pos);
    if (unit->m_pCurve) unit->m_pCurve->DrawGL(pDC, nMode);
  }
}

int CDbPathGroup::Pick(CPickRay& ray) {
  int hit = 0;
  // Every unit is asked so that the ray keeps the nearest distance of all.
  for (POSITION pos = m_UnitList.GetHeadPosition(); pos;)
    if (m_UnitList.GetNext(pos)->Pick(ray)) hit = 1;
  return hit;
}

void CDbPathGroup::Translate(const double from[2], const double to[2]) {
  for (POSITION pos = m_UnitList.GetHeadPosition(); pos;) m_UnitList.GetNext(pos)->Translate(from, to);
}

void CDbPathGroup::GetBox(_tagBox2D* box) {
  if (!box) return;
  BOX2D_Init0(box);
  for (POSITION pos = m_UnitList.GetHeadPosition(); pos;) {
    _tagBox2D b;
    m_UnitList.GetNext(pos)->GetBox(&b);
    if (BOX2D_IsValid(&b)) BOX2D_Union(box, &b);
  }
}

void CDbPathGroup::GetBox3D(_tagBox3D* box) {
  if (!box) return;
  BOX3D_Init0(box);
  for (POSITION pos = m_UnitList.GetHeadPosition(); pos;) {
    _tagBox3D b;
    m_UnitList.GetNext(pos)->GetBox3D(&b);
    if (BOX3D_IsValid(&b)) BOX3D_Union(box, &b);
  }
}

double CDbPathGroup::EvTotalArcLength() const {
  double sum = 0.0;
  for (POSITION pos = m_UnitList.GetHeadPosition(); pos;) {
    CDbPathUnit* unit = m_UnitList.GetNext(pos);
    if (unit->m_pCurve) sum += unit->m_pCurve->EvTotalArcLength();
  }
  return sum;
}
