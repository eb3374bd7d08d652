#include "db/DbPathGroup.h"

#include <memory>

#include "geometry/shapes2d/PickRay.h"
#include "geometry/shapes3d/GeCombCurve3d.h"

IMPLEMENT_SERIAL(CDbPathUnit, CDbEntity, DB_SCHEMA)
IMPLEMENT_SERIAL(CDbPathGroup, CDbEntity, DB_SCHEMA)

namespace {

void BoxOf(CGeCurve3d* curve, _tagBox3D* box) {
  BOX3D_Init0(box);
  if (curve) curve->GetBox(box);
}

void Box2dOf(CGeCurve3d* curve, _tagBox2D* box) {
  BOX2D_Init0(box);
  if (!curve) return;
  _tagBox3D b;
  curve->GetBox(&b);
  if (!BOX3D_IsValid(&b)) return;
  BOX2D_Init(box, b.min, b.max);
}

}  // namespace

CDbPathUnit::CDbPathUnit() : m_pCurve(nullptr) {}

CDbPathUnit::~CDbPathUnit() { delete m_pCurve; }

void CDbPathUnit::Serialize(CArchive& ar) {
  CDbEntity::Serialize(ar);
  if (ar.IsStoring()) {
    ar << static_cast<const CObject*>(m_pCurve);
  } else {
    CGeCombCurve3d* curve = AfxReadOwnedObject<CGeCombCurve3d>(ar);
    delete m_pCurve;
    m_pCurve = curve;
  }
}

CDbPathUnit* CDbPathUnit::Copy() const {
  auto unit = std::make_unique<CDbPathUnit>();
  unit->CopyEntityPart(*this);
  if (m_pCurve) {
    unit->m_pCurve = m_pCurve->Copy();
    if (!unit->m_pCurve) return nullptr;
  }
  return unit.release();
}

void CDbPathUnit::Draw(CDC* pDC, int nMode) {
  if (!pDC || !m_pCurve) return;
  CDbDrawMode mode(pDC, nMode, m_crColor);
  // Mode 1 of the curve keeps the pen selected here.
  m_pCurve->Draw(pDC, 1);
}

void CDbPathUnit::DrawGL(COpenGLDC* pDC, int nMode) {
  if (!pDC || !m_pCurve) return;
  CDbDrawModeGL mode(pDC, nMode, m_crColor);
  m_pCurve->DrawGL(pDC, nMode);
}

int CDbPathUnit::Pick(CPickRay& ray) { return m_pCurve ? m_pCurve->Pick(ray, 0) : 0; }

void CDbPathUnit::Translate(const double from[2], const double to[2]) {
  if (!m_pCurve) return;
  const double v[3] = {to[0] - from[0], to[1] - from[1], 0.0};
  m_pCurve->Translate3D(v);
}

void CDbPathUnit::GetBox(_tagBox2D* box) {
  if (box) Box2dOf(m_pCurve, box);
}

void CDbPathUnit::GetBox3D(_tagBox3D* box) {
  if (box) BoxOf(m_pCurve, box);
}

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
  for (POSITION pos = m_UnitList.GetHeadPosition(); pos;) {
    CDbPathUnit* unit = m_UnitList.GetNext(pos);
    CDbDrawMode mode(pDC, nMode, m_crColor);
    if (unit->m_pCurve) unit->m_pCurve->Draw(pDC, 1);
  }
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
