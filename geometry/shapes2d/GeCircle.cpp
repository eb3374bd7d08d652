#include "geometry/shapes2d/GeCircle.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "geometry/shapes2d/GeArc.h"
#include "geometry/shapes2d/GeBezier.h"
#include "geometry/shapes2d/GeEllipse.h"
#include "geometry/shapes2d/PickRay.h"
#include "geometry/shapes2d/SnapAt.h"

IMPLEMENT_SERIAL(CGeCircle, CObject, GE_SCHEMA_2D)

namespace {
// Upper bound on the segments of one full turn: a huge radius (or one read from a hostile
// file) with a small tolerance must not ask for unbounded memory. The buffer holds
// single-precision points: at 2^14 segments the chords lie closer to the circle than a float
// can resolve its points, so finer steps would add points and no accuracy.
constexpr double kMaxTurnSegments = 16384.0;

double Dist(const double a[2], const double b[2]) { return std::hypot(a[0] - b[0], a[1] - b[1]); }

// Segments of a full turn when each spans `stepAngle`; bounded, and safe for a zero angle.
double SegmentsFor(double stepAngle) {
  const double q = 2 * std::numbers::pi / stepAngle;
  if (!(q < kMaxTurnSegments)) return kMaxTurnSegments;  // also catches NaN and infinity
  return std::trunc(q);
}

}  // namespace

int CGeCircle::TurnSegments(double r, double tol) {
  if (!(r > 0.0) || !std::isfinite(r)) return 0;
  // The clamped arc cosine keeps radii below half the tolerance at a half turn per step
  // instead of a NaN step.
  return static_cast<int>(SegmentsFor(CMath::ACos((r - tol) / r)));
}

double CGeCircle::TurnStep(double r, double tol) {
  if (!(r > 0.0) || !std::isfinite(r) || tol > r) return 0.1;
  const double n = std::min(SegmentsFor(2.0 * CMath::ACos((r - tol) / r)) + 1.0, kMaxTurnSegments);
  return 1.0 / std::max(n, 8.0);
}

double CGeCircle::WrapTurns(double length, double total) {
  if (!(length > total)) return length;
  // All turns come off at once, so a long length costs no more than a short one.
  const double rest = std::fmod(length, total);
  return rest < 1e-6 ? total : rest;
}

CGeCircle::CGeCircle() : m_ptCenter{0.0, 0.0}, m_dRadius(0.0), m_nDir(1) {}

CGeCircle::CGeCircle(const double centre[2], double radius, int direction)
    : m_ptCenter{centre[0], centre[1]}, m_dRadius(radius), m_nDir(direction) {
  m_nClosed = 1;
  Discrete(gGetCurveDicTol());
  CalcBox2d();
}

CGeCircle::~CGeCircle() = default;

void CGeCircle::Serialize(CArchive& ar) {
  CGeCurve::Serialize(ar);
  if (ar.IsStoring()) {
    ar << m_ptCenter[0] << m_ptCenter[1] << m_dRadius << static_cast<int32_t>(m_nDir);
  } else {
    double v[3];
    int32_t dir = 1;
    ar >> v[0] >> v[1] >> v[2] >> dir;
    ar.CheckFinite(v, 3);
    m_ptCenter[0] = v[0];
    m_ptCenter[1] = v[1];
    m_dRadius = v[2];
    m_nDir = dir;
    Discrete(gGetCurveDicTol());
    CalcBox2d();
  }
}

int CGeCircle::GetType() const { return GE_TYPE_CIRCLE; }

CGeCircle* CGeCircle::Copy() { return new CGeCircle(m_ptCenter, m_dRadius, m_nDir); }

void CGeCircle::CalcBox2d() {
  const double r = std::fabs(m_dRadius);
  m_box.min[0] = m_ptCenter[0] - r;
  m_box.min[1] = m_ptCenter[1] - r;
  m_box.max[0] = m_ptCenter[0] + r;
  m_box.max[1] = m_ptCenter[1] + r;
}

// ---- conversions ----

CGeArc* CGeCircle::ToArc() {
  CGeArc* arc = new CGeArc;
  arc->m_ptCenter[0] = m_ptCenter[0];
  arc->m_ptCenter[1] = m_ptCenter[1];
  arc->m_dRadius = m_dRadius;
  arc->m_vStart[0] = 1.0;
  arc->m_vStart[1] = 0.0;
  arc->m_dSweep = IsCcw() ? 2 * std::numbers::pi : -2 * std::numbers::pi;
  return arc;
}

// The ellipse keeps the circle's direction, so that a clockwise hole stays one.
CGeEllipse* CGeCircle::ToEllipse() {
  return new CGeEllipse(m_ptCenter, m_dRadius, m_dRadius, 0.0, IsCcw() ? 1 : 0);
}

CGeBezier* CGeCircle::ToBezier(int direction) {
  return CGeEllipse::QuarterBezier(m_ptCenter, m_dRadius, m_dRadius, 0.0, 0.5522847498,
                                   direction == 0 ? 0 : 1);
}

int CGeCircle::IsPointOn(const double pt[2], double& t) {
  if (std::fabs(Dist(pt, m_ptCenter) - m_dRadius) > 0.01) return 0;
  const double v[2] = {pt[0] - m_ptCenter[0], pt[1] - m_ptCenter[1]};
  t = V2D_AngletoX(v) / (2 * std::numbers::pi);
  if (!IsCcw()) t = 1.0 - t;
  return 1;
}

// ---- snapping, drawing, picking ----

int CGeCircle::GetSnapPos(CSnapAt* snap, CSnapResult& result) {
  if (!snap || !snap->m_pKXGlobal || !snap->m_pVurode) return 0;
  const int before = result.GetSize();
  const int mask = snap->m_nMask;
  const double c[2] = {snap->m_pos.x, snap->m_pos.y};
  if (mask & SNAP_CENTER) {
    if (snap->m_bAlign && snap->IsAligned(m_ptCenter)) result.PushBackCen(m_ptCenter);
    if (snap->IsWithin(m_ptCenter)) result.PushBackCen(m_ptCenter);
  }
  if (mask & SNAP_NEAR) {
    double nearPt[2], t = 0.0, dist = 1e12;
    unsigned seg = 1;
    if (GetNearestPoint(c, nearPt, t, seg, dist) && dist < snap->m_dSnapDist)
      result.PushBackNear(nearPt);
  }
  if (mask & SNAP_QUAD) {
    double q[4][2];
    bool any = false;
    for (int k = 0; k < 4; ++k) {
      GetPointAt(0.25 * k, q[k], 1);
      if (snap->IsWithin(q[k])) {
        result.PushBackQuad(q[k]);
        any = true;
      }
    }
    if (!any && snap->m_bAlign)
      for (auto& p : q)
        if (snap->IsAligned(p)) result.PushBackQuad(p);
  }
  double ref[2];
  const bool hasRef = snap->GetRefPoint(ref);
  if ((mask & SNAP_TAN) && hasRef) {
    double t1[2], t2[2];
    if (C2D_GetTanPt(m_ptCenter, m_dRadius, ref, t1, t2) == 1) {
      if (snap->IsWithin(t1)) result.PushBackTan(t1);
      if (snap->IsWithin(t2)) result.PushBackTan(t2);
    }
  }
  if ((mask & SNAP_PERP) && hasRef) {
    double foot[2];
    if (C2D_PrjPnt(m_ptCenter, m_dRadius, ref, foot, 1e-6, 0.001) == 1 && snap->IsWithin(foot))
      result.PushBackPerp(foot);
  }
  return result.GetSize() > before ? 1 : 0;
}

void CGeCircle::DrawNode(CDC* pDC, int, int) {
  double s[2];
  GetPointAt(0.0, s, 1);
  DrawEndNodes(pDC, s, m_ptCenter, 1, 1);
}

int CGeCircle::Pick(CPickRay& ray, int filter) {
  if (filter && !(GetType() & ray.m_nTypeMask)) return 0;
  if (!ray.m_b2D) return CGeCurve::Pick(ray, filter);
  const double o[2] = {ray.m_ptOrigin[0], ray.m_ptOrigin[1]};
  const double d = std::fabs(Dist(o, m_ptCenter) - m_dRadius);
  if (!(d < ray.m_dRadius)) return 0;
  ray.m_dDist2D = std::min(ray.m_dDist2D, d);
  return 1;
}

// ---- discretisation ----

int CGeCircle::GetDiscStep(double tol, double& step) {
  step = TurnStep(std::fabs(m_dRadius), tol);
  return 1;
}

void CGeCircle::Discrete(double tol, CPoint2dArray* pts, double, bool) {
  if (!pts) return;
  const double r = std::fabs(m_dRadius);
  if (tol > r) return;
  int n = TurnSegments(r, std::max(tol, 0.005));
  if (n <= 0) return;  // degenerate radius: nothing to draw
  const double da = (IsCcw() ? 2 * std::numbers::pi : -2 * std::numbers::pi) / n;
  const double cs = std::cos(da), sn = std::sin(da);
  const float sx = static_cast<float>(m_ptCenter[0] + r);
  const float sy = static_cast<float>(m_ptCenter[1]);
  const int base = static_cast<int>(pts->GetSize());
  pts->SetSize(base + n + 1);
  tagPoint2d* out = pts->GetData() + base;
  out[0].x = out[n].x = sx;
  out[0].y = out[n].y = sy;
  double v[2] = {r, 0.0};
  for (int k = 1; k < n; ++k) {
    const double x = v[0] * cs - v[1] * sn;
    v[1] = v[0] * sn + v[1] * cs;
    v[0] = x;
    out[k].x = static_cast<float>(m_ptCenter[0] + v[0]);
    out[k].y = static_cast<float>(m_ptCenter[1] + v[1]);
  }
}

void CGeCircle::Discrete(double tol) { CGeCurve::Discrete(tol, gGetCurveDicAng()); }

// ---- evaluation ----

void CGeCircle::GetPointAt(double t, double p[2], unsigned) {
  const double phi = 2 * std::numbers::pi * (IsCcw() ? t : 1.0 - t);
  p[0] = m_ptCenter[0] + m_dRadius * std::cos(phi);
  p[1] = m_ptCenter[1] + m_dRadius * std::sin(phi);
}

void CGeCircle::EvPos(double t, double p[2], unsigned) {
  const double phi = (IsCcw() ? 2 * std::numbers::pi : -2 * std::numbers::pi) * t;
  p[0] = m_ptCenter[0] + m_dRadius * std::cos(phi);
  p[1] = m_ptCenter[1] + m_dRadius * std::sin(phi);
}

void CGeCircle::GetTanVecAt(double t, double v[2], unsigned seg) {
  double p[2];
  GetPointAt(t, p, seg);
  const double rx = p[0] - m_ptCenter[0], ry = p[1] - m_ptCenter[1];
  if (IsCcw()) {
    v[0] = -ry;
    v[1] = rx;
  } else {
    v[0] = ry;
    v[1] = -rx;
  }
}

void CGeCircle::Ev1Der(double t, double p[2], double d1[2], unsigned seg) {
  EvPos(t, p, seg);
  const double w = IsCcw() ? 2 * std::numbers::pi : -2 * std::numbers::pi;
  const double th = w * t;
  d1[0] = -m_dRadius * std::sin(th) * w;
  d1[1] = m_dRadius * std::cos(th) * w;
}

void CGeCircle::Ev2Der(double t, double p[2], double d1[2], double d2[2], unsigned seg) {
  Ev1Der(t, p, d1, seg);
  const double w = IsCcw() ? 2 * std::numbers::pi : -2 * std::numbers::pi;
  const double th = w * t;
  d2[0] = -m_dRadius * std::cos(th) * w * w;
  d2[1] = -m_dRadius * std::sin(th) * w * w;
}

int CGeCircle::GetNearestPoint(const double pt[2], double nearPt[2], double& t, unsigned& seg,
                               double& dist) {
  seg = 1;
  if (C2D_PrjPnt(m_ptCenter, m_dRadius, pt, nearPt, 1e-6, 0.001) != 1) return 0;
  dist = Dist(pt, nearPt);
  const double v[2] = {pt[0] - m_ptCenter[0], pt[1] - m_ptCenter[1]};
  t = V2D_AngletoX(v) / (2 * std::numbers::pi);
  if (!IsCcw()) t = 1.0 - t;
  return 1;
}

int CGeCircle::GetTanPt(const double from[2], double& t, int& seg, double touch[2]) {
  double p1[2], p2[2];
  if (!C2D_GetTanPt(m_ptCenter, m_dRadius, from, p1, p2)) return 0;
  double t1 = 0.0, t2 = 0.0;
  IsPointOn(p1, t1);
  IsPointOn(p2, t2);
  t = std::fabs(t2 - t) < std::fabs(t1 - t) ? t2 : t1;
  seg = 1;
  GetPointAt(t, touch, 1);
  return 1;
}

int CGeCircle::EvParam(double length, double& t, unsigned& seg) {
  const double total = 2 * std::numbers::pi * m_dRadius;
  if (!(total >= 1e-6) || !std::isfinite(length)) return 0;
  t = WrapTurns(length, total) / total;
  seg = 1;
  return 1;
}

double CGeCircle::EvArcLength(double t0, double t1, unsigned) {
  return std::fabs((t0 - t1) * m_dRadius * 2 * std::numbers::pi);
}

double CGeCircle::EvTotalArcLength() { return EvArcLength(0.0, 1.0, 1); }

int CGeCircle::IsClosed(double) { return 1; }

double CGeCircle::EvArea() {
  const double a = std::numbers::pi * m_dRadius * m_dRadius;
  return IsCcw() ? a : -a;
}

void CGeCircle::Reverse() {
  m_nDir = IsCcw() ? 0 : 1;
  CGeCurve::Reverse();
}

// ---- transforms ----

void CGeCircle::Translate(const double v[2]) {
  m_ptCenter[0] += v[0];
  m_ptCenter[1] += v[1];
  CGeCurve::Translate(v);
}

void CGeCircle::Rotate(const double c[2], double angle) {
  P2D_Rot(c, angle, m_ptCenter, m_ptCenter);
  CGeCurve::Rotate(c, angle);
}

void CGeCircle::Mirror(const double p[2], const double d[2]) {
  P2D_Mirr(p, d, m_ptCenter, m_ptCenter);
  m_nDir = IsCcw() ? 0 : 1;
  CGeCurve::Mirror(p, d);
}

void CGeCircle::Transform(const double m[3][3]) {
  MAT33_MultPt(m, m_ptCenter, m_ptCenter);
  // A reflecting matrix turns the buffer the other way round; the direction follows it.
  if (m[0][0] * m[1][1] - m[0][1] * m[1][0] < 0.0) m_nDir = IsCcw() ? 0 : 1;
  CGeCurve::Transform(m);
}

CGeShape2d* CGeCircle::Scale(const double base[2], const double f[2]) {
  CGeCurve::Scale(base, f);
  double c[2] = {base[0] + f[0] * (m_ptCenter[0] - base[0]),
                 base[1] + f[1] * (m_ptCenter[1] - base[1])};
  // A mirroring scale (one negative factor) reverses the sense of travel.
  const int dir = (f[0] * f[1] < 0.0) == IsCcw() ? 0 : 1;
  if (std::fabs(f[0] - f[1]) < 1e-6) {
    m_ptCenter[0] = c[0];
    m_ptCenter[1] = c[1];
    m_dRadius = std::fabs(f[0]) * m_dRadius;
    m_nDir = dir;
    Discrete(gGetCurveDicTol());
    CalcBox2d();
    return this;
  }
  // Positive semi-axes; a negative x factor turns the first axis round so that the start
  // point still maps to the scaled start point.
  return new CGeEllipse(c, std::fabs(m_dRadius * f[0]), std::fabs(m_dRadius * f[1]),
                        f[0] < 0.0 ? std::numbers::pi : 0.0, dir);
}

// ---- derived curves ----

CGeCurve* CGeCircle::Offset(double dist) {
  const double r = IsCcw() ? m_dRadius - dist : m_dRadius + dist;
  if (r <= 1e-6) return nullptr;
  return new CGeCircle(m_ptCenter, r, m_nDir);
}

void CGeCircle::Split(double t, CGeCurve* out[2], int, int) {
  if (t < 0.0 || t > 1.0) return;
  // At either end the cut leaves one piece: the whole circle as a full arc.
  if (t <= 0.0001) {
    out[0] = nullptr;
    out[1] = ToArc();
    return;
  }
  if (t >= 0.9999) {
    out[0] = ToArc();
    out[1] = nullptr;
    return;
  }
  double p[2], s[2];
  EvPos(t, p, 1);
  EvPos(0.0, s, 1);
  const int ccw = IsCcw() ? 1 : 0;
  CGeArc* head = new CGeArc;
  CGeArc* tail = new CGeArc;
  if (!head->CreateCSE(m_ptCenter, s, p, ccw) || !tail->CreateCSE(m_ptCenter, p, s, ccw)) {
    delete head;  // a degenerate circle has no pieces
    delete tail;
    head = tail = nullptr;
  }
  out[0] = head;
  out[1] = tail;
}

// A sheared circle is answered by its Bezier form, which keeps the circle's direction.
CGeShape2d* CGeCircle::Shift(const double p[2], const double q[2]) {
  CGeCurve::Shift(p, q);
  CGeBezier* bez = ToBezier(IsCcw() ? 1 : 0);
  return bez ? bez->Shift(p, q) : nullptr;
}
