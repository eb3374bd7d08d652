#include "geometry/shapes3d/GePoint3d.h"

#include <cmath>

#include "geometry/shapes2d/PickRay.h"
#include "geometry/shapes3d/PointMap3d.h"

IMPLEMENT_SERIAL(CGePoint3d, CObject, GE_SCHEMA_3D)

CGePoint3d::CGePoint3d() : m_pt{0.0, 0.0, 0.0} {}

CGePoint3d::CGePoint3d(double x, double y, double z) : m_pt{x, y, z} {}

CGePoint3d::~CGePoint3d() = default;

void CGePoint3d::Serialize(CArchive& ar) {
  CGeShape3d::Serialize(ar);
  if (ar.IsStoring()) {
    ar << m_pt[0] << m_pt[1] << m_pt[2];
    return;
  }
  double p[3];
  ar >> p[0] >> p[1] >> p[2];
  ar.CheckFinite(p, 3);
  for (int k = 0; k < 3; ++k) m_pt[k] = p[k];
}

int CGePoint3d::GetType() const { return GE_TYPE_POINT3D; }

CGePoint3d* CGePoint3d::Copy() {
  auto* copy = new CGePoint3d(m_pt[0], m_pt[1], m_pt[2]);
  copy->m_box = m_box;
  return copy;
}

void CGePoint3d::CalcBox() { BOX3D_Init(&m_box, m_pt); }

void CGePoint3d::CalcScreenBox(_tagBox2D* box) {
  if (!box) return;
  CVurode* view = gGetVurode();
  if (!view) return;
  const CPoint s = view->WorldtoScreen3D(m_pt);
  const double p[2] = {static_cast<double>(s.x), static_cast<double>(s.y)};
  BOX2D_Init(box, p);
}

void CGePoint3d::Translate(const double v[2]) {
  ge3d::MapTranslate(&m_pt, 1, v);
  CalcBox();
}

void CGePoint3d::Translate3D(const double v[3]) {
  ge3d::MapTranslate3D(&m_pt, 1, v);
  CalcBox();
}

void CGePoint3d::Rotate(const double centre[2], double angle) {
  ge3d::MapRotate(&m_pt, 1, centre, angle);
  CalcBox();
}

void CGePoint3d::Rotate3D(const double point[3], const double axis[3], double angle) {
  ge3d::MapRotate3D(&m_pt, 1, point, axis, angle);
  CalcBox();
}

void CGePoint3d::Mirror(const double p[2], const double q[2]) {
  ge3d::MapMirror(&m_pt, 1, p, q);
  CalcBox();
}

CGeShape3d* CGePoint3d::Shift(const double p[2], const double q[2]) {
  ge3d::MapShift(&m_pt, 1, p, q);
  CalcBox();
  return this;
}

CGeShape3d* CGePoint3d::Scale(const double base[2], const double f[2]) {
  ge3d::MapScale(&m_pt, 1, base, f);
  CalcBox();
  return this;
}

CGeShape3d* CGePoint3d::Scale3D(const double base[3], const double f[3]) {
  ge3d::MapScale3D(&m_pt, 1, base, f);
  CalcBox();
  return this;
}

void CGePoint3d::Mirror3D(const double p[3], const double q[3]) {
  ge3d::MapMirror3D(&m_pt, 1, p, q);
  CalcBox();
}

void CGePoint3d::Transform(const _rect_fm3d* frame) {
  ge3d::MapToFrame(&m_pt, 1, frame);
  CalcBox();
}

void CGePoint3d::Transform(const double m[4][4]) {
  ge3d::MapMatrix(&m_pt, 1, m);
  CalcBox();
}

void CGePoint3d::TransformLocal(const _rect_fm3d* frame) {
  ge3d::MapFromFrame(&m_pt, 1, frame);
  CalcBox();
}

int CGePoint3d::Pick(CPickRay& ray, int filter) {
  if (filter && !(GetType() & ray.m_nTypeMask)) return 0;
  if (ray.m_b2D) {
    const double d = std::hypot(m_pt[0] - ray.m_ptOrigin[0], m_pt[1] - ray.m_ptOrigin[1]);
    if (!(d < ray.m_dRadius)) return 0;
    if (d < ray.m_dDist2D) ray.m_dDist2D = d;
    return 1;
  }
  double foot[3], dir[3] = {ray.m_vDir[0], ray.m_vDir[1], ray.m_vDir[2]};
  if (!V3D_Unit(dir, 1e-12) || !L3D_PrjPnt(ray.m_ptOrigin, dir, m_pt, foot)) return 0;
  // Depth along the ray, the measure the curves' picks compare too.
  const double v[3] = {foot[0] - ray.m_ptOrigin[0], foot[1] - ray.m_ptOrigin[1],
                       foot[2] - ray.m_ptOrigin[2]};
  const double depth = V3D_Dot(v, dir);
  if (!(P3D_Dist(m_pt, foot) < ray.m_dRadius) || !(depth < ray.m_dDist3D)) return 0;
  ray.m_dDist3D = depth;
  return 1;
}

void CGePoint3d::SetPoint3D(const double p[3]) {
  if (!p) return;
  for (int k = 0; k < 3; ++k) m_pt[k] = p[k];
}

void CGePoint3d::GetPoint3D(double p[3]) const {
  if (!p) return;
  for (int k = 0; k < 3; ++k) p[k] = m_pt[k];
}
