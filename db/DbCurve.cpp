#include "db/DbCurve.h"

#include <cmath>
#include <memory>

#include "geometry/shapes2d/GeArc.h"
#include "geometry/shapes2d/GeLine.h"
#include "geometry/shapes2d/GePolyline.h"
#include "geometry/shapes2d/PickRay.h"
#include "geometry/shapes2d/ShapeListUtil.h"
#include "db/DbEntityOps.h"
#include "geometry/shapes3d/GeCurve3d.h"

IMPLEMENT_SERIAL(CDbCurve, CDbEntity, DB_SCHEMA)
IMPLEMENT_SERIAL(CDbCurveList, CDbEntity, DB_SCHEMA)
IMPLEMENT_SERIAL(CDbCurve3d, CDbEntity, DB_SCHEMA)

namespace {

bool IsClosedCurve(CGeCurve* curve) { return curve && curve->IsClosed(DB_CLOSED_TOL); }

void Box3dOf2d(const _tagBox2D& b, _tagBox3D* box) {
  BOX3D_Init0(box);
  if (!BOX2D_IsValid(&b)) return;
  const double lo[3] = {b.min[0], b.min[1], 0.0}, hi[3] = {b.max[0], b.max[1], 0.0};
  BOX3D_Init(box, lo);
  BOX3D_Extend(box, hi);
}

void Shift2d(CGeShape2d* shape, const double from[2], const double to[2]) {
  const double v[2] = {to[0] - from[0], to[1] - from[1]};
  shape->Translate(v);
}

bool Finite2(const double p[2]) { return p && std::isfinite(p[0]) && std::isfinite(p[1]); }

}  // namespace

// ---- one 2D curve ----

CDbCurve::CDbCurve() : m_pCurve(nullptr) {}

CDbCurve::CDbCurve(CGeCurve* curve) : m_pCurve(nullptr) { SetCurve(curve); }

CDbCurve::~CDbCurve() { delete m_pCurve; }

void CDbCurve::SetCurve(CGeCurve* curve) {
  if (curve != m_pCurve) delete m_pCurve;
  m_pCurve = curve;
  SetKind(IsClosedCurve(curve) ? (GetKind() | DB_KIND_CLOSED) : (GetKind() & ~DB_KIND_CLOSED));
}

void CDbCurve::Serialize(CArchive& ar) {
  CDbEntity::Serialize(ar);
  dbSerializeOwned(ar, m_pCurve);
}

CDbCurve* CDbCurve::Copy() const { return dbCopyWithShape(*this, &CDbCurve::m_pCurve); }

void CDbCurve::Draw(CDC* pDC, int nMode) {
  if (!pDC || !m_pCurve) return;
  CDbDrawMode mode(pDC, nMode, m_crColor);
  m_pCurve->Draw(pDC, 0);
}

void CDbCurve::DrawGL(COpenGLDC* pDC, int nMode) {
  if (!pDC || !m_pCurve) return;
  CDbDrawModeGL mode(pDC, nMode, m_crColor);
  m_pCurve->DrawGL(pDC, nMode);
}

int CDbCurve::Pick(CPickRay& ray) { return m_pCurve ? m_pCurve->Pick(ray, 0) : 0; }

void CDbCurve::Translate(const double from[2], const double to[2]) {
  if (m_pCurve) Shift2d(m_pCurve, from, to);
}

void CDbCurve::GetBox(_tagBox2D* box) {
  if (!box) return;
  BOX2D_Init0(box);
  if (m_pCurve) m_pCurve->GetBox2d(box);
}

void CDbCurve::GetBox3D(_tagBox3D* box) {
  if (!box) return;
  _tagBox2D b;
  GetBox(&b);
  Box3dOf2d(b, box);
}

// ---- a list of 2D curves ----

CDbCurveList::CDbCurveList() = default;

CDbCurveList::~CDbCurveList() { geDelCurveList(&m_CurveList); }

void CDbCurveList::AddCurve(CGeCurve* curve) {
  if (!curve) return;
  m_CurveList.AddTail(curve);
  if (IsClosedCurve(curve)) SetKind(GetKind() | DB_KIND_CLOSED);
}

void CDbCurveList::Serialize(CArchive& ar) {
  CDbEntity::Serialize(ar);
  if (ar.IsStoring()) {
    m_CurveList.Serialize(ar);
  } else {
    geDelCurveList(&m_CurveList);
    AfxReadOwnedObjects<CGeCurve>(ar, m_CurveList);
    // The list holds curves only: drop null entries a file may carry.
    for (POSITION pos = m_CurveList.GetHeadPosition(); pos;) {
      const POSITION at = pos;
      if (!m_CurveList.GetNext(pos)) m_CurveList.RemoveAt(at);
    }
  }
}

CDbCurveList* CDbCurveList::Copy() const {
  auto copy = std::make_unique<CDbCurveList>();
  copy->CopyEntityPart(*this);
  for (POSITION pos = m_CurveList.GetHeadPosition(); pos;) {
    CGeCurve* c = m_CurveList.GetNext(pos)->Copy();
    if (!c) return nullptr;
    copy->m_CurveList.AddTail(c);
  }
  return copy.release();
}

void CDbCurveList::Draw(CDC* pDC, int nMode) {
  if (!pDC) return;
  CDbDrawMode mode(pDC, nMode, m_crColor);
  for (POSITION pos = m_CurveList.GetHeadPosition(); pos;) m_CurveList.GetNext(pos)->Draw(pDC, 0);
}

void CDbCurveList::DrawGL(COpenGLDC* pDC, int nMode) {
  if (!pDC) return;
  CDbDrawModeGL mode(pDC, nMode, m_crColor);
  for (POSITION pos = m_CurveList.GetHeadPosition(); pos;) m_CurveList.GetNext(pos)->DrawGL(pDC, nMode);
}

int CDbCurveList::Pick(CPickRay& ray) {
  int hit = 0;
  for (POSITION pos = m_CurveList.GetHeadPosition(); pos;)
    if (m_CurveList.GetNext(pos)->Pick(ray, 0)) hit = 1;
  return hit;
}

void CDbCurveList::Translate(const double from[2], const double to[2]) {
  for (POSITION pos = m_CurveList.GetHeadPosition(); pos;) Shift2d(m_CurveList.GetNext(pos), from, to);
}

void CDbCurveList::GetBox(_tagBox2D* box) {
  if (!box) return;
  BOX2D_Init0(box);
  for (POSITION pos = m_CurveList.GetHeadPosition(); pos;) {
    _tagBox2D b;
    m_CurveList.GetNext(pos)->GetBox2d(&b);
    if (BOX2D_IsValid(&b)) BOX2D_Union(box, &b);
  }
}

void CDbCurveList::GetBox3D(_tagBox3D* box) {
  if (!box) return;
  _tagBox2D b;
  GetBox(&b);
  Box3dOf2d(b, box);
}

// ---- one 3D curve ----

CDbCurve3d::CDbCurve3d() : m_pCurve(nullptr) {}

CDbCurve3d::CDbCurve3d(CGeCurve3d* curve) : m_pCurve(curve) {}

CDbCurve3d::~CDbCurve3d() { delete m_pCurve; }

void CDbCurve3d::Serialize(CArchive& ar) {
  CDbEntity::Serialize(ar);
  dbSerializeOwned(ar, m_pCurve);
}

CDbCurve3d* CDbCurve3d::Copy() const { return dbCopyWithShape(*this, &CDbCurve3d::m_pCurve); }

void CDbCurve3d::Draw(CDC* pDC, int nMode) { dbDrawCurve3d(m_pCurve, pDC, nMode, m_crColor); }

void CDbCurve3d::DrawGL(COpenGLDC* pDC, int nMode) { dbDrawCurve3dGL(m_pCurve, pDC, nMode, m_crColor); }

int CDbCurve3d::Pick(CPickRay& ray) { return m_pCurve ? m_pCurve->Pick(ray, 0) : 0; }

void CDbCurve3d::Translate(const double from[2], const double to[2]) { dbMoveCurve3d(m_pCurve, from, to); }

void CDbCurve3d::GetBox(_tagBox2D* box) { dbCurve3dBox(m_pCurve, box); }

void CDbCurve3d::GetBox3D(_tagBox3D* box) { dbCurve3dBox3D(m_pCurve, box); }

// ---- helpers of the 3D-curve entities ----

void dbDrawCurve3d(CGeCurve3d* curve, CDC* pDC, int nMode, uint32_t color) {
  if (!pDC || !curve) return;
  CDbDrawMode mode(pDC, nMode, color);
  // Mode 1 of the curve keeps the pen selected here.
  curve->Draw(pDC, 1);
}

void dbDrawCurve3dGL(CGeCurve3d* curve, COpenGLDC* pDC, int nMode, uint32_t color) {
  if (!pDC || !curve) return;
  CDbDrawModeGL mode(pDC, nMode, color);
  curve->DrawGL(pDC, nMode);
}

void dbMoveCurve3d(CGeCurve3d* curve, const double from[2], const double to[2]) {
  if (!curve) return;
  const double v[3] = {to[0] - from[0], to[1] - from[1], 0.0};
  curve->Translate3D(v);
}

void dbCurve3dBox(CGeCurve3d* curve, _tagBox2D* box) {
  if (!box) return;
  BOX2D_Init0(box);
  if (!curve) return;
  _tagBox3D b;
  curve->GetBox(&b);
  if (BOX3D_IsValid(&b)) BOX2D_Init(box, b.min, b.max);
}

void dbCurve3dBox3D(CGeCurve3d* curve, _tagBox3D* box) {
  if (!box) return;
  BOX3D_Init0(box);
  if (curve) curve->GetBox(box);
}

// ---- rubber bands ----

CDbCurve* dbGenLine(const double p1[2], const double p2[2]) {
  if (!Finite2(p1) || !Finite2(p2)) return nullptr;
  return new CDbCurve(new CGeLine(p1, p2));
}

CDbCurve* dbGenArcCSE(const double centre[2], const double p1[2], const double p2[2], int ccw) {
  if (!Finite2(centre) || !Finite2(p1) || !Finite2(p2)) return nullptr;
  auto arc = std::make_unique<CGeArc>();
  if (!arc->CreateCSE(centre, p1, p2, ccw ? 1 : 0)) return nullptr;
  return new CDbCurve(arc.release());
}

CDbCurve* dbGenRect(const double p1[2], const double p2[2]) {
  if (!Finite2(p1) || !Finite2(p2)) return nullptr;
  auto* rect = new CGePolyline(5);
  const double corners[5][2] = {
      {p1[0], p1[1]}, {p2[0], p1[1]}, {p2[0], p2[1]}, {p1[0], p2[1]}, {p1[0], p1[1]}};
  for (int i = 0; i < 5; ++i) {
    rect->m_pSWPoint[i][0] = corners[i][0];
    rect->m_pSWPoint[i][1] = corners[i][1];
  }
  rect->CalcBox2d();
  return new CDbCurve(rect);
}
