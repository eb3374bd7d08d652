#include "geometry/shapes2d/GeArc.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <memory>
#include <numbers>
#include <vector>

#include "geometry/shapes2d/GeBezier.h"
#include "geometry/shapes2d/GeCircle.h"
#include "geometry/shapes2d/SnapAt.h"

IMPLEMENT_SERIAL(CGeArc, CObject, GE_SCHEMA_2D)

namespace {
// Upper bound on the segments of one arc, so that huge radii, huge sweeps or zero tolerances
// cannot ask for unbounded memory. The buffer holds single-precision points: at 2^14 segments
// a turn the chords lie closer to the circle than a float can resolve its points, so finer
// steps would add points and no accuracy.
constexpr double kMaxArcSegments = 16384.0;
// Quarters of a Bezier form at most (a sweep of many turns repeats them).
constexpr double kMaxQuarters = 100000.0;

double Dist(const double a[2], const double b[2]) { return std::hypot(a[0] - b[0], a[1] - b[1]); }
double Cross(const double a[2], const double b[2]) { return a[0] * b[1] - a[1] * b[0]; }

// Segment count for a sweep and a per-segment angle, bounded and safe for a zero angle.
double SegmentsFor(double sweep, double stepAngle) {
  const double q = std::fabs(sweep) / stepAngle;
  if (!(q < kMaxArcSegments)) return kMaxArcSegments;  // also catches NaN and infinity
  return std::trunc(q);
}

// Parameter at which a quarter-circle cubic about c has turned `angle` from its start, in its
// own sense. The cubic does not turn evenly with its parameter: cutting at the plain fraction
// of a quarter would miss the arc's end by up to a thousandth of the radius.
double QuarterParamAt(const double seg[4][2], const double c[2], double angle) {
  const double w[2] = {seg[0][0] - c[0], seg[0][1] - c[1]};
  const double e[2] = {seg[3][0] - c[0], seg[3][1] - c[1]};
  const double sense = Cross(w, e) < 0.0 ? -1.0 : 1.0;
  double lo = 0.0, hi = 1.0;
  while (hi - lo > 1e-15) {  // the turned angle grows monotonically along the quarter
    const double t = 0.5 * (lo + hi);
    double p[2];
    BEZ_EvPos(seg, t, p);
    const double v[2] = {p[0] - c[0], p[1] - c[1]};
    (std::atan2(sense * Cross(w, v), w[0] * v[0] + w[1] * v[1]) < angle ? lo : hi) = t;
  }
  return 0.5 * (lo + hi);
}

}  // namespace

CGeArc::CGeArc() : m_ptCenter{0.0, 0.0}, m_dRadius(0.0), m_vStart{0.0, 0.0}, m_dSweep(0.0) {}

CGeArc::~CGeArc() = default;

void CGeArc::Serialize(CArchive& ar) {
  CGeCurve::Serialize(ar);
  if (ar.IsStoring()) {
    ar << m_ptCenter[0] << m_ptCenter[1] << m_dRadius << m_vStart[0] << m_vStart[1] << m_dSweep;
  } else {
    // Any finite sweep is kept, a turn and more included (constructions can make such arcs);
    // the segment bound keeps its buffer small whatever the sweep or radius.
    double v[6];
    ar >> v[0] >> v[1] >> v[2] >> v[3] >> v[4] >> v[5];
    ar.CheckFinite(v, 6);
    const double centre[2] = {v[0], v[1]}, start[2] = {v[3], v[4]};
    SetArc(centre, v[2], start, v[5]);
    Discrete(gGetCurveDicTol());
  }
}

int CGeArc::GetType() const { return GE_TYPE_ARC; }

CGeArc* CGeArc::Copy() {
  CGeArc* arc = new CGeArc;
  arc->m_nClosed = m_nClosed;
  arc->Create(this);
  arc->CopySWPoint(m_pSWPoint, m_nSWPoint);
  arc->CalcBox2d();
  return arc;
}

// ---- constructions ----

int CGeArc::Create(const CGeArc* other) {
  if (!other) return 0;
  SetArc(other->m_ptCenter, other->m_dRadius, other->m_vStart, other->m_dSweep);
  CalcBox2d();
  return 1;
}

void CGeArc::SetArc(const double centre[2], double radius, const double startVec[2],
                    double sweep) {
  m_ptCenter[0] = centre[0];
  m_ptCenter[1] = centre[1];
  m_dRadius = radius;
  m_vStart[0] = startVec[0];
  m_vStart[1] = startVec[1];
  m_dSweep = sweep;
}

int CGeArc::Create3Pnt(const double p1[2], const double p2[2], const double p3[2]) {
  double c[2];
  if (!C2D_GetCenter(p1, p2, p3, c)) return 0;
  const double r = Dist(c, p2);
  if (r < 1e-6) return 0;
  const double v1[2] = {p2[0] - p1[0], p2[1] - p1[1]};
  const double v2[2] = {p3[0] - p2[0], p3[1] - p2[1]};
  // The chords turn by half the sweep of the arc through p2.
  double sweep = 2.0 * V2D_GetAngle(v1, v2, 1e-6);
  if (std::fabs(sweep) < 1e-6) return 0;
  const double cr = Cross(v1, v2);
  if (std::fabs(cr) < 1e-12) return 0;
  if (cr < 0.0) sweep = -sweep;
  const double vs[2] = {p1[0] - c[0], p1[1] - c[1]};
  SetArc(c, r, vs, sweep);
  return 1;
}

namespace {

// What both centre-start-end forms share: the mean radius, the start vector, the unsigned
// angle between the radius vectors and their cross product; false when degenerate.
bool CentreStartEnd(const double c[2], const double s[2], const double e[2], double& r,
                    double vs[2], double& a, double& cr) {
  r = 0.5 * (Dist(c, s) + Dist(c, e));
  if (r < 1e-6) return false;
  vs[0] = s[0] - c[0];
  vs[1] = s[1] - c[1];
  const double ve[2] = {e[0] - c[0], e[1] - c[1]};
  a = V2D_GetAngle(vs, ve, 1e-6);
  if (a < 1e-6) return false;
  cr = Cross(vs, ve);
  return true;
}

// Centre where the normal of `tan` through `through` meets the chord's perpendicular bisector.
bool ChordNormalCentre(const double start[2], const double end[2], const double through[2],
                       const double tan[2], double angTol, double c[2]) {
  double u[2];
  if (!V2D_GenUnit(start, end, u, 1e-6)) return false;
  const double n1[2] = {-tan[1], tan[0]};
  const double mid[2] = {0.5 * (start[0] + end[0]), 0.5 * (start[1] + end[1])};
  const double n2[2] = {-u[1], u[0]};
  return Inter_LineLine(through, n1, mid, n2, 1e-6, angTol, c) == 1;
}

}  // namespace

int CGeArc::CreateCSE(const double centre[2], const double start[2], const double end[2],
                      int ccw) {
  double r, vs[2], a, cr;
  if (!CentreStartEnd(centre, start, end, r, vs, a, cr)) return 0;
  double sweep;
  if (std::fabs(cr) < 1e-12) {
    if (!(Dist(start, end) > r)) return 0;  // not a diameter after all
    sweep = ccw ? std::numbers::pi : -std::numbers::pi;
  } else if (cr < 0.0) {
    sweep = ccw ? 2 * std::numbers::pi - a : -a;
  } else {
    sweep = ccw ? a : -(2 * std::numbers::pi - a);
  }
  SetArc(centre, r, vs, sweep);
  return 1;
}

int CGeArc::CreateCSE(int major, const double centre[2], const double start[2],
                      const double end[2]) {
  double r, vs[2], a, cr;
  if (!CentreStartEnd(centre, start, end, r, vs, a, cr)) return 0;
  double sweep;
  if (cr < 0.0)
    sweep = major ? 2 * std::numbers::pi - a : -a;
  else
    sweep = major == 1 ? -(2 * std::numbers::pi - a) : a;
  SetArc(centre, r, vs, sweep);
  return 1;
}

int CGeArc::CreateCSEAngle(const double centre[2], double radius, double startAngle,
                           double endAngle) {
  if (radius < 1e-6) return 0;
  const double vs[2] = {radius * std::cos(startAngle), radius * std::sin(startAngle)};
  SetArc(centre, radius, vs, endAngle - startAngle);
  return std::fabs(m_dSweep) < 1e-6 ? 0 : 1;
}

int CGeArc::CreateSESTan(const double start[2], const double end[2], const double startTan[2]) {
  double tan[2] = {startTan[0], startTan[1]};
  if (!V2D_Unit(tan, 1e-6)) return 0;
  double c[2];
  if (!ChordNormalCentre(start, end, start, tan, 0.00001, c)) return 0;
  const double chord[2] = {end[0] - start[0], end[1] - start[1]};
  const double a = Cross(tan, chord);
  if (std::fabs(a) < 1e-6) return 0;
  return CreateCSE(c, start, end, a > 0.0 ? 1 : 0);
}

int CGeArc::CreateSEETan(const double start[2], const double end[2], const double endTan[2]) {
  double c[2];
  if (!ChordNormalCentre(start, end, end, endTan, 0.001, c)) return 0;
  const double chord[2] = {end[0] - start[0], end[1] - start[1]};
  const double a = Cross(endTan, chord);
  if (std::fabs(a) < 1e-6) return 0;
  // The end tangent lies on the other side of the chord than the start tangent does, so a
  // counter-clockwise arc has a negative cross product here.
  return CreateCSE(c, start, end, a < 0.0 ? 1 : 0);
}

int CGeArc::CreateSERad(const double start[2], const double end[2], double radius, int side) {
  if (radius < 1e-6) return 0;
  const double h = 0.5 * Dist(start, end);
  if (h < 1e-6) return 0;
  const double r = std::max(radius, h);
  const double u[2] = {(end[0] - start[0]) / (2.0 * h), (end[1] - start[1]) / (2.0 * h)};
  const double n[2] = {side ? u[1] : -u[1], side ? -u[0] : u[0]};
  const double k = std::sqrt(std::max(r * r - h * h, 0.0));
  const double c[2] = {0.5 * (start[0] + end[0]) + k * n[0], 0.5 * (start[1] + end[1]) + k * n[1]};
  return CreateCSE(c, start, end, side);
}

int CGeArc::CreateSEAngle(const double start[2], const double end[2], double sweep) {
  const double h = 0.5 * Dist(start, end);
  const double s = std::sin(0.5 * std::fabs(sweep));
  // A vanishing chord gives no radius and a vanishing (or full-turn) sweep an infinite one.
  if (h < 1e-6 || !(s > 1e-9)) return 0;
  const double r = h / s;
  const double u[2] = {(end[0] - start[0]) / (2.0 * h), (end[1] - start[1]) / (2.0 * h)};
  double n[2] = {-u[1], u[0]};
  if (sweep < 0.0) n[0] = u[1], n[1] = -u[0];
  if (std::fabs(sweep) > std::numbers::pi) n[0] = -n[0], n[1] = -n[1];
  const double k = std::sqrt(std::max(r * r - h * h, 0.0));
  const double c[2] = {0.5 * (start[0] + end[0]) + k * n[0], 0.5 * (start[1] + end[1]) + k * n[1]};
  const double vs[2] = {start[0] - c[0], start[1] - c[1]};
  SetArc(c, r, vs, sweep);
  return 1;
}

// ---- queries ----

double CGeArc::GetStartAngle() { return V2D_AngletoX(m_vStart); }

double CGeArc::GetEndAngle() { return GetStartAngle() + m_dSweep; }

int CGeArc::GetArcDirection() { return m_dSweep > 0.0 ? 1 : 0; }

double CGeArc::GetMaxArcHeight() {
  double s[2], e[2], m[2];
  EvPos(0.0, s, 1);
  EvPos(1.0, e, 1);
  EvPos(0.5, m, 1);
  const double mid[2] = {0.5 * (s[0] + e[0]), 0.5 * (s[1] + e[1])};
  return Dist(mid, m);
}

int CGeArc::IsPointOn(const double pt[2], double& t) {
  if (std::fabs(Dist(pt, m_ptCenter) - m_dRadius) > 0.01) return 0;
  double s[2], e[2];
  EvPos(0.0, s, 1);
  EvPos(1.0, e, 1);
  if (Dist(pt, s) < 0.005) {
    t = 0.0;
    return 1;
  }
  if (Dist(pt, e) < 0.005) {
    t = 1.0;
    return 1;
  }
  double v[2] = {pt[0] - m_ptCenter[0], pt[1] - m_ptCenter[1]};
  V2D_Rot(v, -GetStartAngle(), v);
  const double phi = V2D_AngletoX(v);
  if (m_dSweep > 0.0) {
    if (!(phi < m_dSweep)) return 0;
    t = phi / m_dSweep;
    return 1;
  }
  if (!(phi - 2 * std::numbers::pi > m_dSweep)) return 0;
  t = (phi - 2 * std::numbers::pi) / m_dSweep;
  return 1;
}

void CGeArc::CalcPreciseBox2d() {
  double s[2], e[2];
  EvPos(0.0, s, 1);
  EvPos(1.0, e, 1);
  BOX2D_Init(&m_box, s, e);
  for (int k = 0; k < 4; ++k) {
    const double a = 0.5 * std::numbers::pi * k;
    const double q[2] = {m_ptCenter[0] + m_dRadius * std::cos(a),
                         m_ptCenter[1] + m_dRadius * std::sin(a)};
    double t;
    if (IsPointOn(q, t)) BOX2D_Extend(&m_box, q);
  }
}

void CGeArc::CalcBox2d() {
  if (m_pSWPoint && m_nSWPoint > 0)
    CGeCurve::CalcBox2d();
  else
    CalcPreciseBox2d();
}

// ---- snapping ----

int CGeArc::GetSnapPos(CSnapAt* snap, CSnapResult& result) {
  if (!snap || !snap->m_pKXGlobal || !snap->m_pVurode) return 0;
  const int before = result.GetSize();
  const int mask = snap->m_nMask;
  if (mask & SNAP_CENTER) {
    if (snap->m_bAlign && snap->IsAligned(m_ptCenter)) result.PushBackCen(m_ptCenter);
    if (snap->IsWithin(m_ptCenter)) result.PushBackCen(m_ptCenter);
  }
  if (mask & SNAP_NEAR) {
    const double c[2] = {snap->m_pos.x, snap->m_pos.y};
    double nearPt[2];
    double t = 0.0;
    double dist = 1e12;
    unsigned seg = 0;
    if (GetNearestPoint(c, nearPt, t, seg, dist) && dist < snap->m_dSnapDist)
      result.PushBackNear(nearPt);
  }
  if (mask & SNAP_END) {
    double s[2], e[2];
    EvPos(0.0, s, 1);
    EvPos(1.0, e, 1);
    if (snap->m_bAlign) {
      if (snap->IsAligned(s)) result.PushBackEnd(s);
      if (snap->IsAligned(e)) result.PushBackEnd(e);
    } else if (snap->IsWithin(s)) {
      result.PushBackEnd(s);
    } else if (snap->IsWithin(e)) {
      result.PushBackEnd(e);
    }
  }
  double ref[2];
  const bool hasRef = snap->GetRefPoint(ref);
  if ((mask & SNAP_TAN) && hasRef) {
    double t1[2], t2[2];
    if (C2D_GetTanPt(m_ptCenter, m_dRadius, ref, t1, t2) == 1) {
      double t;
      if (IsPointOn(t1, t) && snap->IsWithin(t1)) result.PushBackTan(t1);
      if (IsPointOn(t2, t) && snap->IsWithin(t2)) result.PushBackTan(t2);
    }
  }
  if ((mask & SNAP_PERP) && hasRef) {
    double foot[2];
    double t;
    if (C2D_PrjPnt(m_ptCenter, m_dRadius, ref, foot, 1e-6, 0.001) == 1 && snap->IsWithin(foot) &&
        IsPointOn(foot, t))
      result.PushBackPerp(foot);
  }
  return result.GetSize() > before ? 1 : 0;
}

// ---- drawing and editing ----

void CGeArc::DrawNode(CDC* pDC, int bStart, int bEnd) {
  double s[2], e[2];
  EvPos(0.0, s, 1);
  EvPos(1.0, e, 1);
  DrawEndNodes(pDC, s, e, bStart, bEnd);
}

void CGeArc::ModifyStartPoint(const double p[2]) {
  double e[2], tan[2];
  EvPos(1.0, e, 1);
  GetTanVecAt(1.0, tan, 1);
  CreateSEETan(p, e, tan);
}

void CGeArc::ModifyEndPoint(const double p[2]) {
  double s[2], tan[2];
  EvPos(0.0, s, 1);
  GetTanVecAt(0.0, tan, 1);
  CreateSESTan(s, p, tan);
}

// ---- discretisation ----

int CGeArc::GetDiscStep(double tol, double& step) {
  const double r = std::fabs(m_dRadius);
  if (!(r > 0.0) || tol > r) {
    step = 0.1;
    return 1;
  }
  const double n =
      std::max(std::min(SegmentsFor(m_dSweep, 2.0 * CMath::ACos((r - tol) / r)) + 1.0,
                        kMaxArcSegments),
               8.0);
  step = 1.0 / n;
  return 1;
}

void CGeArc::Discrete(double tol, CPoint2dArray* pts, double, bool) {
  if (!pts) return;
  const double r = std::fabs(m_dRadius);
  const double m = std::max(tol, 0.005);
  // A degenerate radius still yields the minimum count of (coincident) points.
  const double stepAngle = r > 0.0 ? CMath::ACos((r - m) / r) : std::numbers::pi;
  const int n = static_cast<int>(std::max(SegmentsFor(m_dSweep, stepAngle), 5.0));
  const double a0 = GetStartAngle();
  const double a1 = a0 + m_dSweep;
  const double da = m_dSweep / n;
  const double cs = std::cos(da);
  const double sn = std::sin(da);
  double v[2] = {r * std::cos(a0), r * std::sin(a0)};
  const int base = static_cast<int>(pts->GetSize());
  pts->SetSize(base + n + 1);
  tagPoint2d* out = pts->GetData() + base;
  out[0].x = static_cast<float>(m_ptCenter[0] + v[0]);
  out[0].y = static_cast<float>(m_ptCenter[1] + v[1]);
  for (int k = 1; k < n; ++k) {
    const double x = v[0] * cs - v[1] * sn;
    v[1] = v[0] * sn + v[1] * cs;
    v[0] = x;
    out[k].x = static_cast<float>(m_ptCenter[0] + v[0]);
    out[k].y = static_cast<float>(m_ptCenter[1] + v[1]);
  }
  out[n].x = static_cast<float>(m_ptCenter[0] + r * std::cos(a1));
  out[n].y = static_cast<float>(m_ptCenter[1] + r * std::sin(a1));
}

void CGeArc::Discrete(double tol) { CGeCurve::Discrete(tol, gGetCurveDicAng()); }

// ---- evaluation ----

void CGeArc::GetStartPoint(double p[2]) { EvPos(0.0, p, 1); }

void CGeArc::GetEndPoint(double p[2]) { EvPos(1.0, p, 1); }

void CGeArc::GetPointAt(double t, double p[2], unsigned seg) { EvPos(t, p, seg); }

void CGeArc::EvPos(double t, double p[2], unsigned) {
  const double a = GetStartAngle() + m_dSweep * t;
  p[0] = m_ptCenter[0] + m_dRadius * std::cos(a);
  p[1] = m_ptCenter[1] + m_dRadius * std::sin(a);
}

void CGeArc::GetTanVecAt(double t, double v[2], unsigned) {
  const double a = GetStartAngle() + m_dSweep * t;
  const double rx = m_dRadius * std::cos(a);
  const double ry = m_dRadius * std::sin(a);
  if (m_dSweep > 0.0) {
    v[0] = -ry;
    v[1] = rx;
  } else {
    v[0] = ry;
    v[1] = -rx;
  }
}

void CGeArc::Ev1Der(double t, double p[2], double d1[2], unsigned seg) {
  EvPos(t, p, seg);
  const double a = GetStartAngle() + m_dSweep * t;
  d1[0] = -m_dRadius * std::sin(a) * m_dSweep;
  d1[1] = m_dRadius * std::cos(a) * m_dSweep;
}

void CGeArc::Ev2Der(double t, double p[2], double d1[2], double d2[2], unsigned seg) {
  Ev1Der(t, p, d1, seg);
  const double a = GetStartAngle() + m_dSweep * t;
  const double s2 = m_dSweep * m_dSweep;
  d2[0] = -m_dRadius * std::cos(a) * s2;
  d2[1] = -m_dRadius * std::sin(a) * s2;
}

int CGeArc::GetNearestPoint(const double pt[2], double nearPt[2], double& t, unsigned& seg,
                            double& dist) {
  seg = 1;
  if (C2D_PrjPnt(m_ptCenter, m_dRadius, pt, nearPt, 1e-6, 0.001) != 1) return 0;
  double u;
  if (IsPointOn(nearPt, u)) {
    t = u;
    dist = Dist(pt, nearPt);
    return 1;
  }
  double s[2], e[2];
  EvPos(0.0, s, 1);
  EvPos(1.0, e, 1);
  NearerEnd(pt, s, e, nearPt, t, dist);
  return 1;
}

int CGeArc::GetTanPt(const double from[2], double& t, int& seg, double touch[2]) {
  const double d = Dist(from, m_ptCenter);
  if (std::fabs(d - m_dRadius) < 0.0001) {
    double u;
    if (!IsPointOn(from, u)) return 0;
    t = u;
  } else {
    if (d < m_dRadius) return 0;
    double p1[2], p2[2];
    if (!C2D_GetTanPt(m_ptCenter, m_dRadius, from, p1, p2)) return 0;
    double t1 = 0.0, t2 = 0.0;
    const bool on1 = IsPointOn(p1, t1) != 0;
    const bool on2 = IsPointOn(p2, t2) != 0;
    if (on1 && on2)
      t = std::fabs(t2 - t) < std::fabs(t1 - t) ? t2 : t1;
    else if (on1)
      t = t1;
    else if (on2)
      t = t2;
    else
      return 0;
  }
  seg = 1;
  EvPos(t, touch, 1);
  return 1;
}

int CGeArc::EvParam(double length, double& t, unsigned& seg) {
  const double total = EvArcLength(0.0, 1.0, 1);
  if (total < 1e-6) return 0;
  t = std::min(total, length) / total;
  seg = 1;
  return 1;
}

double CGeArc::EvArcLength(double t0, double t1, unsigned) {
  return std::fabs((t1 - t0) * m_dRadius * m_dSweep);
}

double CGeArc::EvTotalArcLength() { return EvArcLength(0.0, 1.0, 1); }

int CGeArc::IsClosed(double tol) {
  double s[2], e[2];
  EvPos(0.0, s, 1);
  EvPos(1.0, e, 1);
  return Dist(s, e) < tol ? 1 : 0;
}

void CGeArc::Reverse() {
  double e[2];
  EvPos(1.0, e, 1);
  m_vStart[0] = e[0] - m_ptCenter[0];
  m_vStart[1] = e[1] - m_ptCenter[1];
  m_dSweep = -m_dSweep;
  Discrete(gGetCurveDicTol());
}

// ---- transforms ----

void CGeArc::Translate(const double v[2]) {
  m_ptCenter[0] += v[0];
  m_ptCenter[1] += v[1];
  CGeCurve::Translate(v);
}

void CGeArc::Rotate(const double c[2], double angle) {
  double s[2] = {m_ptCenter[0] + m_vStart[0], m_ptCenter[1] + m_vStart[1]};
  P2D_Rot(c, angle, m_ptCenter, m_ptCenter);
  P2D_Rot(c, angle, s, s);
  m_vStart[0] = s[0] - m_ptCenter[0];
  m_vStart[1] = s[1] - m_ptCenter[1];
  CGeCurve::Rotate(c, angle);
}

void CGeArc::Mirror(const double p[2], const double d[2]) {
  double s[2], m[2], e[2];
  EvPos(0.0, s, 1);
  EvPos(0.5, m, 1);
  EvPos(1.0, e, 1);
  P2D_Mirr(p, d, s, s);
  P2D_Mirr(p, d, m, m);
  P2D_Mirr(p, d, e, e);
  if (!Create3Pnt(s, m, e)) {
    // A full turn has no three distinct points; mirror centre and start directly instead.
    double start[2] = {m_ptCenter[0] + m_vStart[0], m_ptCenter[1] + m_vStart[1]};
    P2D_Mirr(p, d, m_ptCenter, m_ptCenter);
    P2D_Mirr(p, d, start, start);
    m_vStart[0] = start[0] - m_ptCenter[0];
    m_vStart[1] = start[1] - m_ptCenter[1];
    m_dSweep = -m_dSweep;
  }
  CGeCurve::Mirror(p, d);
}

void CGeArc::Transform(const double mat[3][3]) {
  double s[2], m[2], e[2];
  EvPos(0.0, s, 1);
  EvPos(0.5, m, 1);
  EvPos(1.0, e, 1);
  MAT33_MultPt(mat, s, s);
  MAT33_MultPt(mat, m, m);
  MAT33_MultPt(mat, e, e);
  Create3Pnt(s, m, e);
  CGeCurve::Transform(mat);
}

CGeShape2d* CGeArc::Scale(const double base[2], const double f[2]) {
  if (std::fabs(f[0]) < 1e-6 || std::fabs(f[1]) < 1e-6) return nullptr;
  if (std::fabs(f[0] - f[1]) < 1e-6) {
    double s[2] = {m_ptCenter[0] + m_vStart[0], m_ptCenter[1] + m_vStart[1]};
    for (double* p : {m_ptCenter, s}) {
      p[0] = base[0] + f[0] * (p[0] - base[0]);
      p[1] = base[1] + f[1] * (p[1] - base[1]);
    }
    m_vStart[0] = s[0] - m_ptCenter[0];
    m_vStart[1] = s[1] - m_ptCenter[1];
    m_dRadius = std::fabs(f[0] * m_dRadius);
    CGeCurve::Scale(base, f);
    return this;
  }
  // Scaled unequally an arc is no longer an arc: the caller gets its Bezier form scaled; the
  // arc's own buffer follows all the same.
  CGeCurve::Scale(base, f);
  std::unique_ptr<CGeBezier> bez(ToBezier());
  if (!bez || !bez->Scale(base, f)) return nullptr;
  return bez.release();
}

CGeShape2d* CGeArc::Shift(const double p[2], const double q[2]) {
  // A sheared arc is no longer an arc either (see Scale).
  CGeCurve::Shift(p, q);
  std::unique_ptr<CGeBezier> bez(ToBezier());
  if (!bez || !bez->Shift(p, q)) return nullptr;
  return bez.release();
}

// Whole quarters of the circle's Bezier form in the arc's sense, the last one cut where it
// has turned the rest of the sweep, all turned to the start angle. Quarters repeat round the
// circle for a sweep beyond a full turn, so such an arc keeps its overlap.
CGeBezier* CGeArc::ToBezier() {
  const double quarter = 0.5 * std::numbers::pi;
  const double q = std::fabs(m_dSweep) / quarter;
  if (!(q > 0.0) || !(q < kMaxQuarters)) return nullptr;  // no sweep, or NaN / huge
  const double whole = std::round(q);
  int count;    // quarters used
  double frac;  // how much of the last one
  if (whole >= 1.0 && std::fabs(q - whole) * quarter <= 0.001) {
    count = static_cast<int>(whole);
    frac = 1.0;
  } else {
    count = static_cast<int>(std::floor(q)) + 1;
    frac = q - std::floor(q);
  }
  CGeCircle circle;  // fields set directly: the constructor would discretise it for nothing
  circle.m_ptCenter[0] = m_ptCenter[0];
  circle.m_ptCenter[1] = m_ptCenter[1];
  circle.m_dRadius = m_dRadius;
  std::unique_ptr<CGeBezier> full(circle.ToBezier(m_dSweep > 0.0 ? 1 : 0));
  if (!full || full->GetSegmentCount() != 4) return nullptr;

  const double a0 = GetStartAngle(), cs = std::cos(a0), sn = std::sin(a0);
  std::vector<std::array<double, 2>> nodes(3 * static_cast<size_t>(count) + 1);
  for (int i = 0; i < count; ++i) {
    double seg[4][2];
    full->GetCtrlPoint(static_cast<unsigned>(i % 4 + 1), seg);
    if (i == count - 1 && frac < 1.0) {
      double right[4][2];
      BEZ_Split(seg, QuarterParamAt(seg, m_ptCenter, frac * quarter), seg, right);
    }
    for (int j = i == 0 ? 0 : 1; j < 4; ++j)
      P2D_Rot(m_ptCenter, cs, sn, seg[j], nodes[3 * i + j].data());
  }
  // The ends exactly on the arc, whatever rounding the rotation left.
  GetStartPoint(nodes.front().data());
  GetEndPoint(nodes.back().data());
  auto bez = std::make_unique<CGeBezier>();
  if (!bez->CreateEx(static_cast<unsigned>(nodes.size()),
                     reinterpret_cast<const double(*)[2]>(nodes.data())))
    return nullptr;
  return bez.release();
}

// ---- derived curves ----

CGeCurve* CGeArc::Offset(double dist) {
  const double r = m_dSweep > 0.0 ? m_dRadius - dist : m_dRadius + dist;
  if (r <= 1e-6) return nullptr;
  CGeArc* arc = new CGeArc;
  arc->SetArc(m_ptCenter, r, m_vStart, m_dSweep);
  arc->Discrete(gGetCurveDicTol());
  return arc;
}

void CGeArc::Split(double t, CGeCurve* out[2], int, int) {
  if (t < 0.0 || t > 1.0) return;
  if (std::fabs(t) < 0.0001) {
    out[0] = nullptr;
    out[1] = Copy();
    return;
  }
  if (t > 0.9999) {
    out[0] = Copy();
    out[1] = nullptr;
    return;
  }
  CGeArc* head = Copy();
  head->m_dSweep = t * m_dSweep;
  CGeArc* tail = Copy();
  V2D_Rot(m_vStart, t * m_dSweep, tail->m_vStart);
  tail->m_dSweep = (1.0 - t) * m_dSweep;
  CGeArc* pieces[2] = {head, tail};
  for (int i = 0; i < 2; ++i) {
    CGeArc* a = pieces[i];
    double s[2], e[2];
    a->EvPos(0.0, s, 1);
    a->EvPos(1.0, e, 1);
    if (std::fabs(a->m_dSweep) < 1e-6 && Dist(s, e) < 1e-6) {
      delete a;
      a = nullptr;
    }
    out[i] = a;
  }
}
