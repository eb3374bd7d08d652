#include "db/DbAidLine.h"

#include <cmath>
#include <memory>

#include "db/DbEntityOps.h"
#include "geometry/shapes2d/PickRay.h"
#include "platform/vurode/Accessors.h"
#include "platform/vurode/ViewState.h"

IMPLEMENT_SERIAL(CDbAidLine, CDbEntity, DB_SCHEMA)

CDbAidLine::CDbAidLine() : m_dCoord(0.0), m_nOrient(HORIZONTAL) {}

CDbAidLine::CDbAidLine(double coord, int orientation, int visible)
    : m_dCoord(std::isfinite(coord) ? coord : 0.0), m_nOrient(orientation == HORIZONTAL ? HORIZONTAL : VERTICAL) {
  SetVisible(visible);
}

void CDbAidLine::Serialize(CArchive& ar) {
  CDbEntity::Serialize(ar);
  if (ar.IsStoring()) {
    ar << m_dCoord << int(m_nOrient);
    return;
  }
  double coord = 0.0;
  int orient = 0;
  ar >> coord >> orient;
  ar.CheckFinite(coord);
  if (orient != HORIZONTAL && orient != VERTICAL) AfxThrowArchiveException(CArchiveException::genericException);
  m_dCoord = coord;
  m_nOrient = orient;
}

CDbAidLine* CDbAidLine::Copy() const {
  auto copy = std::make_unique<CDbAidLine>(m_dCoord, m_nOrient, IsVisible());
  copy->CopyEntityPart(*this);
  return copy.release();
}

BOOL CDbAidLine::SetCoord(double coord) {
  if (!std::isfinite(coord)) return FALSE;
  m_dCoord = coord;
  return TRUE;
}

void CDbAidLine::Draw(CDC* pDC, int nMode) {
  CVurode* view = gGetVurode();
  if (!pDC || !view || !view->IsView2D()) return;
  _tagBox2D box;
  view->GetViewBox(box);
  if (!BOX2D_IsValid(&box)) return;
  double a[2], b[2];
  if (m_nOrient == HORIZONTAL) {
    if (m_dCoord < box.min[1] || m_dCoord > box.max[1]) return;
    a[0] = box.min[0], a[1] = m_dCoord, b[0] = box.max[0], b[1] = m_dCoord;
  } else {
    if (m_dCoord < box.min[0] || m_dCoord > box.max[0]) return;
    a[0] = m_dCoord, a[1] = box.min[1], b[0] = m_dCoord, b[1] = box.max[1];
  }
  CDbDrawMode mode(pDC, nMode, m_crColor);
  view->DrawLine(a, b, pDC);
}

int CDbAidLine::Pick(CPickRay& ray) {
  double q[2];
  if (!dbRayInPlane(ray, q)) return 0;
  const double across = m_nOrient == HORIZONTAL ? q[1] : q[0];
  // NaN in the ray compares false and misses.
  return std::fabs(across - m_dCoord) <= ray.m_dRadius ? 1 : 0;
}

void CDbAidLine::Translate(const double from[2], const double to[2]) {
  if (!from || !to) return;
  const int k = m_nOrient == HORIZONTAL ? 1 : 0;
  SetCoord(m_dCoord + (to[k] - from[k]));
}

void CDbAidLine::GetBox(_tagBox2D* box) {
  if (box) BOX2D_Init0(box);
}

void CDbAidLine::GetBox3D(_tagBox3D* box) {
  if (box) BOX3D_Init0(box);
}
