#include "geometry/shapes2d/GeLine.h"

#include <algorithm>
#include <cmath>
#include <memory>

#include "geometry/shapes2d/GeBezier.h"
#include "geometry/shapes2d/PickRay.h"
#include "geometry/shapes2d/SnapAt.h"

IMPLEMENT_SERIAL(CGeLine, CObject, GE_SCHEMA_2D)

namespace {

double Dist(const double a[2], const double b[2]) { return std::hypot(a[0] - b[0], a[1] - b[1]); }

}  // namespace

CGeLine::CGeLine() : m_ptStart{0.0, 0.0}, m_ptEnd{0.0, 0.0} {}

CGeLine::CGeLine(const double start[2], const double end[2])
    : m_ptStart{start[0], start[1]}, m_ptEnd{end[0], end[1]} {
  m_nClosed = 0;
  Discrete(gGetCurveDicTol());
}

CGeLine::~CGeLine() = default;

void CGeLine::Serialize(CArchive& ar) {
  CGeCurve::Serialize(ar);
  if (ar.IsStoring()) {
    ar << m_ptStart[0] << m_ptStart[1] << m_ptEnd[0] << m_ptEnd[1];
  } else {
    double v[4];
    ar >> v[0] >> v[1] >> v[2] >> v[3];
    ar.CheckFinite(v, 4);
    m_ptStart[0] = v[0];
    m_ptStart[1] = v[1];
    m_ptEnd[0] = v[2];
    m_ptEnd[1] = v[3];
    Discrete(gGetCurveDicTol());
  }
}

int CGeLine::GetType() const { return GE_TYPE_LINE; }

CGeLine* CGeLine::Copy() { return new CGeLine(m_ptStart, m_ptEnd); }

void CGeLine::CalcBox2d() { BOX2D_Init(&m_box, m_ptStart, m_ptEnd); }

void CGeLine::GetBox2d(_tagBox2D* box) { CGeShape2d::GetBox2d(box); }

// ---- snapping ----

int CGeLine::GetSnapPos(CSnapAt* snap, CSnapResult& result) {
  if (!snap || !snap->m_pKXGlobal || !snap->m_pVurode) return 0;
  const int before = result.GetSize();
  const int mask = snap->m_nMask;
  const double c[2] = {snap->m_pos.x, snap->m_pos.y};
  if (!snap->m_bAlign) {
    _tagBox2D box;
    GetBox2d(&box);
    BOX2D_Expand(snap->m_dSnapDist, &box);
    if (!snap->m_pos.IsInBox(box)) return 0;
  }
  if (mask & SNAP_END) {
    if (snap->m_bAlign) {
      if (snap->IsAligned(m_ptStart)) result.PushBackEnd(m_ptStart);
      if (snap->IsAligned(m_ptEnd)) result.PushBackEnd(m_ptEnd);
    }
    if (snap->IsWithin(m_ptStart))
      result.PushBackEnd(m_ptStart);
    else if (snap->IsWithin(m_ptEnd))
      result.PushBackEnd(m_ptEnd);
  }
  if (mask & SNAP_NEAR) {
    double foot[2];
    if (L2D_PrjPntEx(m_ptStart, m_ptEnd, c, foot)) {
      const double u = L2D_GetParam(m_ptStart, m_ptEnd, foot);
      if (u >= 0.0 && u <= 1.0 && snap->IsWithin(foot)) result.PushBackNear(foot);
    }
  }
  if (mask & SNAP_MID) {
    const double mid[2] = {0.5 * (m_ptStart[0] + m_ptEnd[0]), 0.5 * (m_ptStart[1] + m_ptEnd[1])};
    const bool alignSwitch = snap->IsMidAlign();
    if (alignSwitch ? snap->IsAligned(mid) : snap->IsWithin(mid)) result.PushBackMid(mid);
  }
  double ref[2];
  if ((mask & SNAP_PERP) && snap->GetRefPoint(ref)) {
    double foot[2];
    if (L2D_PrjPntEx(m_ptStart, m_ptEnd, ref, foot) == 1) {
      // Judge "between the end points" along the axis in which the line extends further.
      const int axis = std::fabs(m_ptStart[0] - m_ptEnd[0]) >= std::fabs(m_ptStart[1] - m_ptEnd[1])
                           ? 0 : 1;
      const double span = m_ptStart[axis] - m_ptEnd[axis];
      if (span != 0.0) {
        const double u = (foot[axis] - m_ptEnd[axis]) / span;
        if (u >= 0.0 && u <= 1.0 && snap->IsWithin(foot)) result.PushBackPerp(foot);
      }
    }
  }
  return result.GetSize() > before ? 1 : 0;
}

// ---- drawing ----

void CGeLine::Draw(CDC* pDC, int bWhole) {
  CVurode* view = gGetVurode();
  if (!pDC || !view) return;
  bool contained = false;
  if (IsOutsideView(view, contained)) return;
  if (bWhole)
    view->DrawLine(m_ptStart, m_ptEnd, pDC);
  else
    view->ClipDrawLine(m_ptStart, m_ptEnd, pDC);
}

void CGeLine::DrawGL(COpenGLDC*, int) {
  glBegin(GL_LINE_STRIP);
  glVertex2f(static_cast<float>(m_ptStart[0]), static_cast<float>(m_ptStart[1]));
  glVertex2f(static_cast<float>(m_ptEnd[0]), static_cast<float>(m_ptEnd[1]));
  glEnd();
}

void CGeLine::DrawNode(CDC* pDC, int bStart, int bEnd) {
  DrawEndNodes(pDC, m_ptStart, m_ptEnd, bStart, bEnd);
}

void CGeLine::ModifyStartPoint(const double p[2]) {
  m_ptStart[0] = p[0];
  m_ptStart[1] = p[1];
}

void CGeLine::ModifyEndPoint(const double p[2]) {
  m_ptEnd[0] = p[0];
  m_ptEnd[1] = p[1];
}

// ---- picking ----

int CGeLine::Pick(CPickRay& ray, int filter) {
  if (filter && !(GetType() & ray.m_nTypeMask)) return 0;
  if (!ray.m_b2D) {
    const double pts[2][2] = {{m_ptStart[0], m_ptStart[1]}, {m_ptEnd[0], m_ptEnd[1]}};
    double dist = 0.0;
    double param = 0.0;
    int index = 0;
    if (!SP2D_Pick3d(pts, 2, ray.m_ptOrigin, ray.m_vDir, ray.m_dRadius, dist, param, index))
      return 0;
    ray.m_dDist3D = dist;
    ray.m_dParam = param;
    return 1;
  }
  Position cursor;
  cursor.x = ray.m_ptOrigin[0];
  cursor.y = ray.m_ptOrigin[1];
  _tagBox2D box;
  GetBox2d(&box);
  BOX2D_Expand(ray.m_dRadius, &box);
  if (!cursor.IsInBox(box)) return 0;
  const double q[2] = {ray.m_ptOrigin[0], ray.m_ptOrigin[1]};
  double foot[2];
  double dist = 0.0;
  bool onSegment = false;
  if (L2D_PrjPntEx(m_ptStart, m_ptEnd, q, foot)) {
    const double u = L2D_GetParam(m_ptStart, m_ptEnd, q);
    if (u >= 0.0 && u <= 1.0) {
      dist = Dist(q, foot);
      onSegment = true;
    }
  }
  if (!onSegment) {
    const double toStart = Dist(q, m_ptStart);
    dist = toStart <= ray.m_dRadius ? toStart : Dist(q, m_ptEnd);
  }
  if (dist > ray.m_dRadius) return 0;
  ray.m_dDist2D = std::min(ray.m_dDist2D, dist);
  return 1;
}

// ---- discretisation ----

void CGeLine::Discrete(double tol, CPoint2dArray* pts, double, bool) {
  (void)tol;
  if (!pts) return;
  tagPoint2d p;
  p.x = static_cast<float>(m_ptStart[0]);
  p.y = static_cast<float>(m_ptStart[1]);
  pts->Add(p);
  p.x = static_cast<float>(m_ptEnd[0]);
  p.y = static_cast<float>(m_ptEnd[1]);
  pts->Add(p);
}

void CGeLine::Discrete(double tol, double) { Discrete(tol); }

void CGeLine::Discrete(double) {
  AllocSWMem(2);
  m_pSWPoint[0][0] = m_ptStart[0];
  m_pSWPoint[0][1] = m_ptStart[1];
  m_pSWPoint[1][0] = m_ptEnd[0];
  m_pSWPoint[1][1] = m_ptEnd[1];
  CalcBox2d();
}

int CGeLine::GetDiscStep(double, double& step) {
  step = 0.25;
  return 1;
}

// ---- evaluation ----

void CGeLine::GetStartPoint(double p[2]) {
  p[0] = m_ptStart[0];
  p[1] = m_ptStart[1];
}

void CGeLine::GetEndPoint(double p[2]) {
  p[0] = m_ptEnd[0];
  p[1] = m_ptEnd[1];
}

void CGeLine::GetPointAt(double t, double p[2], unsigned) { L2D_GetPnt(m_ptStart, m_ptEnd, t, p); }

void CGeLine::EvPos(double t, double p[2], unsigned) { L2D_GetPnt(m_ptStart, m_ptEnd, t, p); }

void CGeLine::GetTanVecAt(double, double v[2], unsigned) {
  v[0] = m_ptEnd[0] - m_ptStart[0];
  v[1] = m_ptEnd[1] - m_ptStart[1];
}

void CGeLine::Ev1Der(double t, double p[2], double d1[2], unsigned seg) {
  EvPos(t, p, seg);
  GetTanVecAt(t, d1, seg);
}

void CGeLine::Ev2Der(double t, double p[2], double d1[2], double d2[2], unsigned seg) {
  Ev1Der(t, p, d1, seg);
  d2[0] = 0.0;
  d2[1] = 0.0;
}

int CGeLine::GetNearestPoint(const double pt[2], double nearPt[2], double& t, unsigned& seg,
                             double& dist) {
  seg = 1;
  double foot[2];
  if (!L2D_PrjPntEx(m_ptStart, m_ptEnd, pt, foot)) return 0;
  const double u = L2D_GetParam(m_ptStart, m_ptEnd, pt);
  if (u >= 0.0 && u <= 1.0) {
    nearPt[0] = foot[0];
    nearPt[1] = foot[1];
    t = u;
    dist = Dist(pt, foot);
    return 1;
  }
  NearerEnd(pt, m_ptStart, m_ptEnd, nearPt, t, dist);
  return 1;
}

int CGeLine::EvParam(double length, double& t, unsigned& seg) {
  double u[2];
  if (!V2D_GenUnit(m_ptStart, m_ptEnd, u, 1e-6)) return 0;
  const double p[2] = {m_ptStart[0] + length * u[0], m_ptStart[1] + length * u[1]};
  t = L2D_GetParam(m_ptStart, m_ptEnd, p);
  seg = 1;
  return 1;
}

double CGeLine::EvArcLength(double t0, double t1, unsigned seg) {
  double a[2], b[2];
  EvPos(t0, a, seg);
  EvPos(t1, b, seg);
  return Dist(a, b);
}

double CGeLine::EvTotalArcLength() { return EvArcLength(0.0, 1.0, 1); }

int CGeLine::IsClosed(double) { return 0; }

void CGeLine::Reverse() {
  P2D_Swap(m_ptStart, m_ptEnd);
  CGeCurve::Reverse();
}

// ---- transforms ----

void CGeLine::Translate(const double v[2]) {
  m_ptStart[0] += v[0];
  m_ptStart[1] += v[1];
  m_ptEnd[0] += v[0];
  m_ptEnd[1] += v[1];
  CGeCurve::Translate(v);
}

void CGeLine::Rotate(const double c[2], double angle) {
  const double cs = std::cos(angle);
  const double sn = std::sin(angle);
  P2D_Rot(c, cs, sn, m_ptStart, m_ptStart);
  P2D_Rot(c, cs, sn, m_ptEnd, m_ptEnd);
  CGeCurve::Rotate(c, angle);
}

void CGeLine::Mirror(const double p[2], const double d[2]) {
  P2D_Mirr(p, d, m_ptStart, m_ptStart);
  P2D_Mirr(p, d, m_ptEnd, m_ptEnd);
  CGeCurve::Mirror(p, d);
}

CGeShape2d* CGeLine::Scale(const double base[2], const double f[2]) {
  for (double* p : {m_ptStart, m_ptEnd}) {
    p[0] = base[0] + f[0] * (p[0] - base[0]);
    p[1] = base[1] + f[1] * (p[1] - base[1]);
  }
  CGeCurve::Scale(base, f);
  return this;
}

CGeShape2d* CGeLine::Shift(const double p[2], const double q[2]) {
  P2D_Shift(p, m_ptStart, q, m_ptStart);
  P2D_Shift(p, m_ptEnd, q, m_ptEnd);
  CGeCurve::Shift(p, q);
  return this;
}

void CGeLine::Transform(const double m[3][3]) {
  MAT33_MultPt(m, m_ptStart, m_ptStart);
  MAT33_MultPt(m, m_ptEnd, m_ptEnd);
  CalcBox2d();
  CGeCurve::Transform(m);
}

// ---- derived curves ----

CGeCurve* CGeLine::Offset(double dist) {
  double u[2];
  if (!V2D_GenUnit(m_ptStart, m_ptEnd, u, 1e-6)) return nullptr;
  const double n[2] = {-u[1], u[0]};  // left normal
  const double s[2] = {m_ptStart[0] + dist * n[0], m_ptStart[1] + dist * n[1]};
  const double e[2] = {m_ptEnd[0] + dist * n[0], m_ptEnd[1] + dist * n[1]};
  return new CGeLine(s, e);
}

void CGeLine::Split(double t, CGeCurve* out[2], int, int) {
  if (t < 0.0 || t > 1.0) return;
  if (t <= 0.0001) {
    out[0] = nullptr;
    out[1] = Copy();
    return;
  }
  if (t >= 0.9999) {
    out[0] = Copy();
    out[1] = nullptr;
    return;
  }
  double p[2];
  EvPos(t, p, 1);
  out[0] = new CGeLine(m_ptStart, p);
  out[1] = new CGeLine(p, m_ptEnd);
}

CGeBezier* CGeLine::ToBezier() {
  const double d[2] = {m_ptEnd[0] - m_ptStart[0], m_ptEnd[1] - m_ptStart[1]};
  const double nodes[4][2] = {{m_ptStart[0], m_ptStart[1]},
                              {m_ptStart[0] + d[0] / 3.0, m_ptStart[1] + d[1] / 3.0},
                              {m_ptStart[0] + 2.0 * d[0] / 3.0, m_ptStart[1] + 2.0 * d[1] / 3.0},
                              {m_ptEnd[0], m_ptEnd[1]}};
  auto bez = std::make_unique<CGeBezier>();
  if (!bez->CreateEx(4, nodes)) return nullptr;
  return bez.release();
}
