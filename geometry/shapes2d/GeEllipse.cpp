#include "geometry/shapes2d/GeEllipse.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <numbers>
#include <vector>

#include "geometry/shapes2d/GeBezier.h"
#include "geometry/shapes2d/GeCircle.h"
#include "geometry/shapes2d/PickRay.h"
#include "geometry/shapes2d/SnapAt.h"

IMPLEMENT_SERIAL(CGeEllipse, CObject, GE_SCHEMA_2D)

namespace {
double Dist(const double a[2], const double b[2]) { return std::hypot(a[0] - b[0], a[1] - b[1]); }

}  // namespace

CGeEllipse::CGeEllipse() : m_ptCenter{0.0, 0.0}, m_dA(0.0), m_dB(0.0), m_dRotation(0.0), m_nDir(1) {}

CGeEllipse::CGeEllipse(const double centre[2], double a, double b, double rotation, int direction)
    : m_ptCenter{centre[0], centre[1]}, m_dA(a), m_dB(b), m_dRotation(rotation), m_nDir(direction) {
  m_nClosed = 1;
  Discrete(gGetCurveDicTol());
}

CGeEllipse::~CGeEllipse() = default;

void CGeEllipse::Serialize(CArchive& ar) {
  CGeCurve::Serialize(ar);
  if (ar.IsStoring()) {
    ar << m_ptCenter[0] << m_ptCenter[1] << m_dA << m_dB << m_dRotation
       << static_cast<int32_t>(m_nDir);
  } else {
    double v[5];
    int32_t dir = 1;
    ar >> v[0] >> v[1] >> v[2] >> v[3] >> v[4] >> dir;
    ar.CheckFinite(v, 5);
    m_ptCenter[0] = v[0];
    m_ptCenter[1] = v[1];
    m_dA = v[2];
    m_dB = v[3];
    m_dRotation = v[4];
    m_nDir = dir;
    Discrete(gGetCurveDicTol());
  }
}

int CGeEllipse::GetType() const { return GE_TYPE_ELLIPSE; }

CGeEllipse* CGeEllipse::Copy() {
  return new CGeEllipse(m_ptCenter, m_dA, m_dB, m_dRotation, m_nDir);
}

// ---- snapping, drawing, picking ----

int CGeEllipse::GetSnapPos(CSnapAt* snap, CSnapResult& result) {
  if (!snap || !snap->m_pKXGlobal || !snap->m_pVurode) return 0;
  const int before = result.GetSize();
  const int mask = snap->m_nMask;
  const double c[2] = {snap->m_pos.x, snap->m_pos.y};
  if ((mask & SNAP_CENTER) &&
      (snap->IsWithin(m_ptCenter) || (snap->m_bAlign && snap->IsAligned(m_ptCenter))))
    result.PushBackCen(m_ptCenter);
  if (mask & SNAP_NEAR) {
    double nearPt[2], t = 0.0, dist = 1e12;
    unsigned seg = 1;
    if (GetNearestPoint(c, nearPt, t, seg, dist) && dist < snap->m_dSnapDist)
      result.PushBackNear(nearPt);
  }
  if (mask & SNAP_QUAD) {
    const double cs = std::cos(m_dRotation), sn = std::sin(m_dRotation);
    const double own[4][2] = {{m_dA, 0.0}, {0.0, m_dB}, {-m_dA, 0.0}, {0.0, -m_dB}};
    for (const auto& o : own) {
      const double q[2] = {m_ptCenter[0] + o[0], m_ptCenter[1] + o[1]};
      double w[2];
      P2D_Rot(m_ptCenter, cs, sn, q, w);
      if (snap->IsWithin(w) || (snap->IsMidAlign() && snap->IsAligned(w))) result.PushBackQuad(w);
    }
  }
  double ref[2];
  if (snap->GetRefPoint(ref)) {
    if (mask & SNAP_TAN) {
      double nearPt[2], t = 0.0, dist = 1e12, touch[2];
      unsigned useg = 1;
      int seg = 1;
      if (GetNearestPoint(c, nearPt, t, useg, dist) && GetTanPt(ref, t, seg, touch) &&
          snap->IsWithin(touch))
        result.PushBackTan(touch);
    }
    if (mask & SNAP_PERP) {
      double foot[2], t = 0.0, dist = 1e12;
      unsigned seg = 1;
      if (GetNearestPoint(ref, foot, t, seg, dist) == 1 && snap->IsWithin(foot))
        result.PushBackPerp(foot);
    }
  }
  return result.GetSize() > before ? 1 : 0;
}

void CGeEllipse::DrawNode(CDC* pDC, int, int) {
  double s[2], q[2];
  GetStartPoint(s);
  GetPointAt(0.25, q, 1);
  DrawEndNodes(pDC, s, q, 1, 1);
  DrawEndNodes(pDC, s, m_ptCenter, 0, 1);
}

int CGeEllipse::Pick(CPickRay& ray, int filter) {
  if (filter && !(GetType() & ray.m_nTypeMask)) return 0;
  return CGeCurve::Pick(ray, filter);
}

// ---- discretisation ----

int CGeEllipse::GetDiscStep(double tol, double& step) {
  step = CGeCircle::TurnStep(std::max(std::fabs(m_dA), std::fabs(m_dB)), tol);
  return 1;
}

void CGeEllipse::Discrete(double tol, CPoint2dArray* pts, double, bool) {
  if (!pts) return;
  const double d = std::max(std::fabs(m_dA), std::fabs(m_dB));
  const int n = CGeCircle::TurnSegments(d, std::max(tol, 0.005));
  if (n < 1) return;
  const double step = (IsCcw() ? 2 * std::numbers::pi : -2 * std::numbers::pi) / n;
  const double cs = std::cos(m_dRotation), sn = std::sin(m_dRotation);
  const double cd = std::cos(step), sd = std::sin(step);
  const int base = static_cast<int>(pts->GetSize());
  pts->SetSize(base + n + 1);
  tagPoint2d* out = pts->GetData() + base;
  // (cos phi, sin phi) advance by one rotation per point instead of two calls per point.
  double cp = 1.0, sp = 0.0;
  for (int i = 0; i < n; ++i) {
    const double x = m_dA * cp, y = m_dB * sp;
    out[i].x = static_cast<float>(m_ptCenter[0] + cs * x - sn * y);
    out[i].y = static_cast<float>(m_ptCenter[1] + sn * x + cs * y);
    const double c2 = cp * cd - sp * sd;
    sp = cp * sd + sp * cd;
    cp = c2;
  }
  out[n] = out[0];  // a closed curve ends exactly where it began
}

void CGeEllipse::Discrete(double tol) { CGeCurve::Discrete(tol, gGetCurveDicAng()); }

// ---- evaluation ----

void CGeEllipse::GetStartPoint(double p[2]) {
  E2D_EvPos(m_ptCenter, m_dA, m_dB, m_dRotation, 0.0, p);
}

void CGeEllipse::GetEndPoint(double p[2]) { GetStartPoint(p); }

void CGeEllipse::GetPointAt(double t, double p[2], unsigned) {
  E2D_EvPos(m_ptCenter, m_dA, m_dB, m_dRotation, KernelParam(t), p);
}

void CGeEllipse::EvPos(double t, double p[2], unsigned seg) { GetPointAt(t, p, seg); }

void CGeEllipse::GetTanVecAt(double t, double v[2], unsigned) {
  E2D_Ev1Der(m_ptCenter, m_dA, m_dB, m_dRotation, KernelParam(t), v);
  if (!IsCcw()) {
    v[0] = -v[0];
    v[1] = -v[1];
  }
}

void CGeEllipse::Ev1Der(double t, double p[2], double d1[2], unsigned seg) {
  EvPos(t, p, seg);
  GetTanVecAt(t, d1, seg);
}

void CGeEllipse::Ev2Der(double t, double p[2], double d1[2], double d2[2], unsigned seg) {
  Ev1Der(t, p, d1, seg);
  // Running backwards negates the first derivative only.
  E2D_Ev2Der(m_ptCenter, m_dA, m_dB, m_dRotation, KernelParam(t), d2);
}

int CGeEllipse::GetNearestPoint(const double pt[2], double nearPt[2], double& t, unsigned& seg,
                                double& dist) {
  seg = 1;
  double u = 0.0, d = 0.0;
  if (E2D_GetNearestPt(m_ptCenter, m_dA, m_dB, m_dRotation, pt, nearPt, u, d) != 1) return 0;
  t = KernelParam(u);
  dist = d;
  return 1;
}

int CGeEllipse::GetTanPt(const double from[2], double& t, int& seg, double touch[2]) {
  seg = 1;
  if (!SolveTangentParam(t, seg, from, touch)) return 0;
  // Settle the touching point exactly on the ellipse: where the tangent line from `from`
  // meets it.
  int n = 0;
  double pts[2][2];
  if (Inter_LineEllEx(from, touch, m_ptCenter, m_dA, m_dB, m_dRotation, 1e-6, n, pts) &&
      (n == 1 || n == 2)) {
    // The kernel answers counter-clockwise; the caller expects this ellipse's parameter.
    t = KernelParam(E2D_GetParamEx(m_ptCenter, m_dA, m_dB, m_dRotation, pts[0]));
    touch[0] = pts[0][0];
    touch[1] = pts[0][1];
  }
  return 1;
}

double CGeEllipse::EvArcLength(double t0, double t1, unsigned) {
  if (!(t0 < t1)) return 0.0;
  // |dP/dt| does not depend on the rotation or the direction.
  const double a2 = m_dA * m_dA, b2 = m_dB * m_dB;
  auto speed = [a2, b2](double t) {
    const double s = std::sin(2 * std::numbers::pi * t), c = std::cos(2 * std::numbers::pi * t);
    return 2 * std::numbers::pi * std::sqrt(a2 * s * s + b2 * c * c);
  };
  const double h = t1 - t0;
  const double ends = speed(t0) + speed(t1);
  double newSum = speed(t0 + 0.5 * h);  // samples added by the latest refinement
  double oldSum = 0.0;                  // all interior samples before it
  double value = (ends + 4.0 * newSum) * h / 6.0;
  if (std::fabs(value) <= 0.005 || !std::isfinite(value)) return value;
  int n = 2;
  for (int round = 0; round < 20; ++round) {
    oldSum += newSum;
    n *= 2;
    const double dt = h / n;
    newSum = 0.0;
    for (int i = 1; i < n; i += 2) newSum += speed(t0 + i * dt);
    const double next = (ends + 2.0 * oldSum + 4.0 * newSum) * dt / 3.0;
    // Beyond some 1e10 units the rounding of the sum itself exceeds 0.005; there the
    // agreement of two values to double precision has to do.
    const bool settled = std::fabs(next - value) <= std::max(0.005, 1e-13 * std::fabs(next));
    value = next;
    if (settled) break;
  }
  return value;
}

double CGeEllipse::EvTotalArcLength() { return EvArcLength(0.0, 1.0, 1); }

int CGeEllipse::EvParam(double length, double& t, unsigned& seg) {
  const double total = EvArcLength(0.0, 1.0, 1);
  // A point ellipse has no parameter for any length (and wrapping by zero would never end).
  if (!(total >= 1e-6) || !std::isfinite(total) || !std::isfinite(length)) return 0;
  length = CGeCircle::WrapTurns(length, total);
  seg = 1;
  if (length < 1e-6) {
    t = 0.0;
    return 1;
  }
  if (std::fabs(total - length) < 1e-6) {
    t = 1.0;
    return 1;
  }
  if (total < length) return 0;
  double lo = 0.0, hi = 1.0;
  t = length / total;
  for (int round = 0; round < 33; ++round) {
    const double s = EvArcLength(0.0, t, 1);
    if (s < length)
      lo = t;
    else
      hi = t;
    if (hi - lo < 0.003 && std::fabs(s - length) < 0.01) return 1;
    t = 0.5 * (lo + hi);
  }
  return 1;
}

int CGeEllipse::IsClosed(double) { return 1; }

double CGeEllipse::EvArea() {
  const double area = std::numbers::pi * m_dA * m_dB;
  return IsCcw() ? area : -area;
}

void CGeEllipse::Reverse() {
  m_nDir = IsCcw() ? 0 : 1;
  CGeCurve::Reverse();
}

// ---- transforms ----
// The rotation follows the image of the first axis' direction; taking it from the image of
// the start point instead would lose it for a = 0.

void CGeEllipse::Translate(const double v[2]) {
  m_ptCenter[0] += v[0];
  m_ptCenter[1] += v[1];
  CGeCurve::Translate(v);
}

void CGeEllipse::Rotate(const double c[2], double angle) {
  P2D_Rot(c, angle, m_ptCenter, m_ptCenter);
  double axis[2] = {std::cos(m_dRotation), std::sin(m_dRotation)};
  V2D_Rot(axis, angle);
  m_dRotation = V2D_AngletoX(axis);
  CGeCurve::Rotate(c, angle);
}

void CGeEllipse::Mirror(const double p[2], const double d[2]) {
  double tip[2] = {m_ptCenter[0] + std::cos(m_dRotation), m_ptCenter[1] + std::sin(m_dRotation)};
  P2D_Mirr(p, d, m_ptCenter, m_ptCenter);
  P2D_Mirr(p, d, tip, tip);
  const double axis[2] = {tip[0] - m_ptCenter[0], tip[1] - m_ptCenter[1]};
  m_dRotation = V2D_AngletoX(axis);
  m_nDir = IsCcw() ? 0 : 1;
  CGeCurve::Mirror(p, d);
}

void CGeEllipse::Transform(const double m[3][3]) {
  const double cs = std::cos(m_dRotation), sn = std::sin(m_dRotation);
  const double axis[2] = {m[0][0] * cs + m[0][1] * sn, m[1][0] * cs + m[1][1] * sn};
  MAT33_MultPt(m, m_ptCenter, m_ptCenter);
  m_dRotation = V2D_AngletoX(axis);
  // A reflecting matrix turns the buffer the other way round; the direction follows it.
  if (m[0][0] * m[1][1] - m[0][1] * m[1][0] < 0.0) m_nDir = IsCcw() ? 0 : 1;
  CGeCurve::Transform(m);
}

CGeShape2d* CGeEllipse::Scale(const double base[2], const double f[2]) {
  // A turned ellipse scaled per axis is no ellipse of this form: answer with its Bezier form.
  if (std::fabs(m_dRotation) > 1e-6 && std::fabs(m_dRotation - 2 * std::numbers::pi) > 1e-6) {
    CGeBezier* bez = ToBezier();
    return bez ? bez->Scale(base, f) : nullptr;
  }
  double p0[2], p1[2];
  GetPointAt(0.0, p0, 1);
  GetPointAt(0.25, p1, 1);
  for (double* p : {m_ptCenter, p0, p1}) {
    p[0] = base[0] + f[0] * (p[0] - base[0]);
    p[1] = base[1] + f[1] * (p[1] - base[1]);
  }
  const double axis[2] = {p0[0] - m_ptCenter[0], p0[1] - m_ptCenter[1]};
  m_dRotation = V2D_AngletoX(axis);
  m_dA = Dist(m_ptCenter, p0);
  m_dB = Dist(m_ptCenter, p1);
  // A mirroring scale (one negative factor) reverses the sense of travel.
  if (f[0] * f[1] < 0.0) m_nDir = IsCcw() ? 0 : 1;
  CGeCurve::Scale(base, f);
  return this;
}

// ---- derived curves ----

CGeCurve* CGeEllipse::Offset(double) { return nullptr; }

void CGeEllipse::Split(double t, CGeCurve* out[2], int, int) {
  if (t < 0.0 || t > 1.0) return;
  // At either end the cut leaves one piece: the whole ellipse in its Bezier form.
  if (t <= 0.0001) {
    out[0] = nullptr;
    out[1] = ToBezier();
    return;
  }
  if (t >= 0.9999) {
    out[0] = ToBezier();
    out[1] = nullptr;
    return;
  }
  double p[2], foot[2], u = 0.0, dist = 1e12;
  unsigned seg = 1;
  EvPos(t, p, 1);
  std::unique_ptr<CGeBezier> bez(ToBezier());
  if (!bez || !bez->GetNearestPoint(p, foot, u, seg, dist)) return;
  CGeBezier* left = nullptr;
  CGeBezier* right = nullptr;
  bez->Split(seg, u, left, right);
  out[0] = left;
  out[1] = right;
}

void CGeEllipse::BiArcAppx(double tol, CGeCurveList* list) {
  if (!list) return;
  CPoint2dArray flat;
  Discrete(tol, &flat, 2.9670597283898, true);
  std::vector<double> pts;
  pts.reserve(2 * static_cast<size_t>(flat.GetSize()));
  for (INT_PTR i = 0; i < flat.GetSize(); ++i) {
    pts.push_back(flat[i].x);
    pts.push_back(flat[i].y);
  }
  geBiarcsToList(reinterpret_cast<const double(*)[2]>(pts.data()),
                 static_cast<int>(flat.GetSize()), tol, list);
}

CGeShape2d* CGeEllipse::Shift(const double p[2], const double q[2]) {
  CGeBezier* bez = ToBezier();
  return bez ? bez->Shift(p, q) : nullptr;
}

CGeBezier* CGeEllipse::ToBezier() {
  return QuarterBezier(m_ptCenter, m_dA, m_dB, m_dRotation, 0.5522847498308, m_nDir);
}

CGeBezier* CGeEllipse::QuarterBezier(const double centre[2], double a, double b, double rotation,
                                     double k, int direction) {
  // Offsets of the 13 nodes along the own axes, counter-clockwise from the first axis' end.
  static constexpr double kUnit[13][2] = {{1, 0},  {1, 1},   {1, 1},   {0, 1},  {-1, 1},
                                          {-1, 1}, {-1, 0},  {-1, -1}, {-1, -1}, {0, -1},
                                          {1, -1}, {1, -1},  {1, 0}};
  // Which offsets are shortened to the handle length k: the controls' off-axis coordinate.
  static constexpr bool kShortX[13] = {0, 0, 1, 0, 1, 0, 0, 0, 1, 0, 1, 0, 0};
  static constexpr bool kShortY[13] = {0, 1, 0, 0, 0, 1, 0, 1, 0, 0, 0, 1, 0};
  const double ysign = direction == 1 ? 1.0 : -1.0;
  const double cs = std::cos(rotation), sn = std::sin(rotation);
  double nodes[13][2];
  for (int i = 0; i < 13; ++i) {
    const double q[2] = {centre[0] + kUnit[i][0] * a * (kShortX[i] ? k : 1.0),
                         centre[1] + ysign * kUnit[i][1] * b * (kShortY[i] ? k : 1.0)};
    P2D_Rot(centre, cs, sn, q, nodes[i]);
  }
  auto bez = std::make_unique<CGeBezier>();
  if (!bez->CreateEx(13, nodes)) return nullptr;
  bez->m_nClosed = 1;
  return bez.release();
}
