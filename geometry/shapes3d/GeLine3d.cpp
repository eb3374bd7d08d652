#include "geometry/shapes3d/GeLine3d.h"

#include <cmath>

#include "geometry/shapes2d/PickRay.h"
#include "geometry/shapes3d/PointMap3d.h"
#include "geometry/shapes3d/Snap3d.h"

IMPLEMENT_SERIAL(CGeLine3d, CObject, GE_SCHEMA_3D)

namespace {

double Dist2D(const double a[3], const double b[3]) { return std::hypot(a[0] - b[0], a[1] - b[1]); }

void Lerp(const double a[3], const double b[3], double t, double out[3]) {
  for (int k = 0; k < 3; ++k) out[k] = a[k] + t * (b[k] - a[k]);
}

}  // namespace

CGeLine3d::CGeLine3d() : m_ptStart{0.0, 0.0, 0.0}, m_ptEnd{0.0, 0.0, 0.0} {}

CGeLine3d::CGeLine3d(const double start[3], const double end[3])
    : m_ptStart{start[0], start[1], start[2]}, m_ptEnd{end[0], end[1], end[2]} {
  Discrete(0.1, m_strDisc);
}

CGeLine3d::CGeLine3d(const tagPoint3d& start, const tagPoint3d& end)
    : m_ptStart{start.x, start.y, start.z}, m_ptEnd{end.x, end.y, end.z} {
  Discrete(gGetCurveDicTol(), m_strDisc);
  CalcBox();
}

CGeLine3d::~CGeLine3d() = default;

void CGeLine3d::Serialize(CArchive& ar) {
  CGeCurve3d::Serialize(ar);
  if (ar.IsStoring()) {
    ar << m_ptStart[0] << m_ptStart[1] << m_ptStart[2] << m_ptEnd[0] << m_ptEnd[1] << m_ptEnd[2];
  } else {
    double v[6];
    ar >> v[0] >> v[1] >> v[2] >> v[3] >> v[4] >> v[5];
    ar.CheckFinite(v, 6);
    for (int k = 0; k < 3; ++k) {
      m_ptStart[k] = v[k];
      m_ptEnd[k] = v[3 + k];
    }
    Discrete(gGetCurveDicTol(), m_strDisc);
  }
}

int CGeLine3d::GetType() const { return GE_TYPE_LINE3D; }

CGeLine3d* CGeLine3d::Copy() {
  auto* copy = new CGeLine3d(m_ptStart, m_ptEnd);
  copy->m_box = m_box;
  copy->m_nExtData = m_nExtData;
  copy->m_nTag = m_nTag;
  return copy;
}

void CGeLine3d::CalcBox() {
  BOX3D_Init(&m_box, m_ptStart);
  BOX3D_Extend(&m_box, m_ptEnd);
}

// ---- transforms: the ends, then the cache ----

void CGeLine3d::Translate(const double v[2]) {
  ge3d::MapTranslate(&m_ptStart, 1, v);
  ge3d::MapTranslate(&m_ptEnd, 1, v);
  CGeCurve3d::Translate(v);
}

void CGeLine3d::Translate3D(const double v[3]) {
  ge3d::MapTranslate3D(&m_ptStart, 1, v);
  ge3d::MapTranslate3D(&m_ptEnd, 1, v);
  CGeCurve3d::Translate3D(v);
}

void CGeLine3d::Rotate(const double centre[2], double angle) {
  ge3d::MapRotate(&m_ptStart, 1, centre, angle);
  ge3d::MapRotate(&m_ptEnd, 1, centre, angle);
  CGeCurve3d::Rotate(centre, angle);
}

void CGeLine3d::Rotate3D(const double point[3], const double axis[3], double angle) {
  ge3d::MapRotate3D(&m_ptStart, 1, point, axis, angle);
  ge3d::MapRotate3D(&m_ptEnd, 1, point, axis, angle);
  CGeCurve3d::Rotate3D(point, axis, angle);
}

void CGeLine3d::Mirror(const double p[2], const double q[2]) {
  ge3d::MapMirror(&m_ptStart, 1, p, q);
  ge3d::MapMirror(&m_ptEnd, 1, p, q);
  CGeCurve3d::Mirror(p, q);
}

CGeShape3d* CGeLine3d::Shift(const double p[2], const double q[2]) {
  ge3d::MapShift(&m_ptStart, 1, p, q);
  ge3d::MapShift(&m_ptEnd, 1, p, q);
  CGeCurve3d::Shift(p, q);
  return this;
}

CGeShape3d* CGeLine3d::Scale(const double base[2], const double f[2]) {
  ge3d::MapScale(&m_ptStart, 1, base, f);
  ge3d::MapScale(&m_ptEnd, 1, base, f);
  CGeCurve3d::Scale(base, f);
  return this;
}

CGeShape3d* CGeLine3d::Scale3D(const double base[3], const double f[3]) {
  ge3d::MapScale3D(&m_ptStart, 1, base, f);
  ge3d::MapScale3D(&m_ptEnd, 1, base, f);
  CGeCurve3d::Scale3D(base, f);
  return this;
}

void CGeLine3d::Mirror3D(const double p[3], const double q[3]) {
  ge3d::MapMirror3D(&m_ptStart, 1, p, q);
  ge3d::MapMirror3D(&m_ptEnd, 1, p, q);
  CGeCurve3d::Mirror3D(p, q);
}

void CGeLine3d::Transform(const _rect_fm3d* frame) {
  ge3d::MapToFrame(&m_ptStart, 1, frame);
  ge3d::MapToFrame(&m_ptEnd, 1, frame);
  CGeCurve3d::Transform(frame);
}

void CGeLine3d::Transform(const double m[4][4]) {
  ge3d::MapMatrix(&m_ptStart, 1, m);
  ge3d::MapMatrix(&m_ptEnd, 1, m);
  CGeCurve3d::Transform(m);
}

void CGeLine3d::TransformLocal(const _rect_fm3d* frame) {
  ge3d::MapFromFrame(&m_ptStart, 1, frame);
  ge3d::MapFromFrame(&m_ptEnd, 1, frame);
  CGeCurve3d::TransformLocal(frame);
}

// ---- drawing, snapping, picking ----

void CGeLine3d::DrawNode(CDC* pDC, int bFirst, int bLast) {
  CVurode* view = gGetVurode();
  if (!pDC || !view) return;
  if (bFirst) DrawNodeMarker(pDC, view, m_ptStart, true);
  if (bLast) DrawNodeMarker(pDC, view, m_ptEnd, false);
}

int CGeLine3d::GetSnapPos(CSnapAt* snap, CSnapResult& result) {
  CSnap3dRule rule;
  if (!rule.Init(snap)) return 0;
  _tagBox3D box;
  GetBox(&box);
  if (rule.BoxRejects(box)) return 0;
  const int before = result.GetSize();
  if (snap->m_nMask & SNAP_END) rule.PushEnds(m_ptStart, m_ptEnd, result);
  if (snap->m_nMask & SNAP_MID) {
    double mid[3];
    Lerp(m_ptStart, m_ptEnd, 0.5, mid);
    if (rule.Counts(mid)) result.PushBackMid(SnapPos(mid));
  }
  double ref[3] = {0.0, 0.0, 0.0};
  if ((snap->m_nMask & SNAP_PERP) && snap->GetRefPoint(ref)) {
    double foot[3], t = 0.0;
    if (L3D_PrjPntEx(m_ptStart, m_ptEnd, ref, foot) && L3D_GetParam(m_ptStart, m_ptEnd, foot, t) &&
        t > 0.0 && t < 1.0 && rule.Counts(foot))
      result.PushBackPerp(SnapPos(foot));
  }
  return result.GetSize() != before ? 1 : 0;
}

int CGeLine3d::GetNearestPoint2D(const double p[3], double out[3], double& t, unsigned& seg,
                                 double& dist) {
  if (!p || !out) return 0;
  seg = 1;
  double foot[2];
  if (L2D_PrjPntEx(m_ptStart, m_ptEnd, p, foot) != 1) return 0;
  const double u = L2D_GetParam(m_ptStart, m_ptEnd, foot);
  if (u >= 0.0 && u <= 1.0) {
    t = u;
    Lerp(m_ptStart, m_ptEnd, u, out);
  } else if (Dist2D(p, m_ptEnd) > Dist2D(p, m_ptStart)) {
    t = 0.0;
    Lerp(m_ptStart, m_ptEnd, 0.0, out);
  } else {
    t = 1.0;
    Lerp(m_ptStart, m_ptEnd, 1.0, out);
  }
  dist = Dist2D(p, out);
  return 1;
}

int CGeLine3d::Pick(CPickRay& ray, int filter) {
  if (!ray.m_b2D) return CGeCurve3d::Pick(ray, filter);
  if (filter && !(GetType() & ray.m_nTypeMask)) return 0;
  _tagBox2D box;
  GetBox2d(&box);
  const Position origin(ray.m_ptOrigin[0], ray.m_ptOrigin[1], ray.m_ptOrigin[2]);
  if (!origin.IsInBox(box, ray.m_dRadius)) return 0;
  double foot[2];
  double t = 0.0, dist = 0.0;
  const bool projected = L2D_PrjPntEx(m_ptStart, m_ptEnd, ray.m_ptOrigin, foot) == 1;
  if (projected) t = L2D_GetParam(m_ptStart, m_ptEnd, foot);
  if (projected && t >= 0.0 && t <= 1.0) {
    dist = std::hypot(foot[0] - origin.x, foot[1] - origin.y);
  } else if (Dist2D(ray.m_ptOrigin, m_ptStart) <= ray.m_dRadius) {
    dist = Dist2D(ray.m_ptOrigin, m_ptStart);
    t = 0.0;  // the hit is the end met, never a parameter off the segment
  } else {
    dist = Dist2D(ray.m_ptOrigin, m_ptEnd);
    t = 1.0;
  }
  if (!(dist <= ray.m_dRadius)) return 0;
  ray.m_dParam = t;
  ray.m_dDist2D = dist;
  return 1;
}

// ---- evaluation ----

int CGeLine3d::IsPlanar(double tol, double point[3], double vector[3]) {
  if (!point || !vector) return GE_PLANAR_NONE;
  for (int k = 0; k < 3; ++k) point[k] = m_ptStart[k];
  if (P3D_Dist(m_ptStart, m_ptEnd) < tol || !V3D_GenUnit(m_ptStart, m_ptEnd, vector, 1e-300))
    return GE_PLANAR_POINT;
  return GE_PLANAR_LINE;
}

void CGeLine3d::Discrete(double, CStrP3D& str) {
  if (!str.Create(2, true, false)) return;
  for (int k = 0; k < 3; ++k) {
    str.m_pPoints[0][k] = m_ptStart[k];
    str.m_pPoints[1][k] = m_ptEnd[k];
  }
  str.m_pParams[0] = 0.0;
  str.m_pParams[1] = 1.0;
  str.CalcBox();
  CalcBox();
}

int CGeLine3d::GetDiscStep(double, double& step) {
  step = 0.25;
  return 1;
}

void CGeLine3d::GetStartPoint(double p[3]) {
  for (int k = 0; k < 3; ++k) p[k] = m_ptStart[k];
}

void CGeLine3d::GetEndPoint(double p[3]) {
  for (int k = 0; k < 3; ++k) p[k] = m_ptEnd[k];
}

void CGeLine3d::GetPointAt(double t, double p[3], int) { Lerp(m_ptStart, m_ptEnd, t, p); }

void CGeLine3d::GetStartTanVec(double v[3]) { V3D_GenUnit(m_ptStart, m_ptEnd, v, 1e-6); }

void CGeLine3d::GetEndTanVec(double v[3]) { V3D_GenUnit(m_ptStart, m_ptEnd, v, 1e-6); }

void CGeLine3d::GetTanVecAt(double t, double p[3], double v[3], int) {
  Lerp(m_ptStart, m_ptEnd, t, p);
  V3D_GenUnit(m_ptStart, m_ptEnd, v, 1e-6);
}

void CGeLine3d::Ev2Der(double t, double p[3], double d1[3], double d2[3], unsigned) {
  Lerp(m_ptStart, m_ptEnd, t, p);
  for (int k = 0; k < 3; ++k) {
    d1[k] = m_ptEnd[k] - m_ptStart[k];
    d2[k] = 0.0;
  }
}

void CGeLine3d::Reverse() {
  for (int k = 0; k < 3; ++k) std::swap(m_ptStart[k], m_ptEnd[k]);
  Discrete(gGetCurveDicTol(), m_strDisc);
}

int CGeLine3d::IsClosed(double) { return 0; }

int CGeLine3d::EvParam(double length, double& t, unsigned& seg) {
  seg = 0;
  t = 0.0;
  double u[3];
  if (!V3D_GenUnit(m_ptStart, m_ptEnd, u, 1e-12)) return 0;
  const double p[3] = {m_ptStart[0] + length * u[0], m_ptStart[1] + length * u[1],
                       m_ptStart[2] + length * u[2]};
  L3D_GetParam(m_ptStart, m_ptEnd, p, t);
  return 1;
}

void CGeLine3d::Split(double t, CGeCurve3d** out, int) {
  if (!out || !(t >= 0.0 && t <= 1.0)) return;
  if (t <= 0.0001) {
    out[0] = nullptr;
    out[1] = new CGeLine3d(m_ptStart, m_ptEnd);
  } else if (t >= 0.9999) {
    out[0] = new CGeLine3d(m_ptStart, m_ptEnd);
    out[1] = nullptr;
  } else {
    double p[3];
    GetPointAt(t, p, 1);
    out[0] = new CGeLine3d(m_ptStart, p);
    out[1] = new CGeLine3d(p, m_ptEnd);
  }
}
