// The tangency constructions of the loop tools: fillet arcs and tangent circles between two
// curves, common tangents of two arcs or two curves, and the common perpendicular of two curves.
#include <algorithm>
#include <cmath>
#include <memory>
#include <utility>
#include <numbers>

#include "geometry/shapes2d/GeArc.h"
#include "geometry/shapes2d/GeCircle.h"
#include "geometry/shapes2d/GeOffsetCrv.h"
#include "geometry/tools/CurveInter.h"
#include "geometry/tools/GeTool2D.h"
#include "geometry/tools/GeTool2DInternal.h"

namespace {
constexpr double kTiny = 1e-6;
constexpr double kNewtonTol = 0.0001;
constexpr int kMaxIter = 32;

double Cross(const double a[2], const double b[2]) { return a[0] * b[1] - a[1] * b[0]; }

// The side of c on which `probe` lies: +r on its left, -r otherwise.
double SideOf(CGeCurve* c, const double probe[2], double r) {
  double nearPt[2], t = 0.0, dist = 0.0;
  unsigned seg = 1;
  c->GetNearestPoint(probe, nearPt, t, seg, dist);
  double u[2] = {0.0, 0.0}, tan[2] = {0.0, 0.0};
  V2D_GenUnit(nearPt, probe, u, kTiny);
  c->GetTanVecAt(t, tan, seg);
  V2D_Unit(tan, kTiny);
  return u[1] * tan[0] - u[0] * tan[1] > 0.0001 ? r : -r;
}

struct TangentFit {
  double centre[2];
  double p1[2], p2[2];  // touching points on c1 and c2
  double t1, t2;
  int seg1, seg2;
  bool iterated;  // found by the offset-curve search rather than by offset intersection
};

// Centre of the circle of radius r touching both curves: the crossing of their offsets
// nearest to c1's start, or, when a curve has no closed-form offset, a Newton search on
// offset curves started from the guesses.
bool FindTangentCentre(CGeCurve* c1, CGeCurve* c2, double r, double sampleT1, double sampleT2,
                       double t1, int seg1, double t2, int seg2, TangentFit& fit) {
  if (!c1 || !c2 || c1 == c2) return false;
  double start[2], a[2], b[2];
  c1->GetStartPoint(start);
  c1->GetPointAt(sampleT1, a, 1);
  c2->GetPointAt(sampleT2, b, 1);
  const double d1 = SideOf(c1, b, r);
  const double d2 = SideOf(c2, a, r);

  std::unique_ptr<CGeCurve> o1(c1->Offset(d1));
  std::unique_ptr<CGeCurve> o2(c2->Offset(d2));
  CCurveInter inter;
  if (o1 && o2) {
    CInterPntArray hits;
    inter.CurveCurve(o1.get(), o2.get(), &hits);
    double best = tool2d::kNoValue;
    int bestIdx = -1;
    for (INT_PTR i = 0; i < hits.GetSize(); ++i) {
      const double p[2] = {hits[i].x, hits[i].y};
      const double dd = P2D_Dist(p, start);
      if (dd < best) {
        best = dd;
        bestIdx = static_cast<int>(i);
      }
    }
    if (bestIdx < 0) return false;
    const _tagInterPnt& h = hits[bestIdx];
    fit.centre[0] = h.x;
    fit.centre[1] = h.y;
    fit.t1 = h.t1;
    fit.seg1 = h.seg1;
    fit.t2 = h.t2;
    fit.seg2 = h.seg2;
    fit.iterated = false;
  } else {
    // The offset that did exist is released by its holder here.
    CGeOffsetCrv off1, off2;
    off1.Create(c1, d1);
    off2.Create(c2, d2);
    if (!inter.CurveCurveIterate(&off1, t1, seg1, &off2, t2, seg2, fit.centre)) return false;
    fit.t1 = t1;
    fit.seg1 = seg1;
    fit.t2 = t2;
    fit.seg2 = seg2;
    fit.iterated = true;
  }
  c1->GetPointAt(fit.t1, fit.p1, static_cast<unsigned>(fit.seg1));
  c2->GetPointAt(fit.t2, fit.p2, static_cast<unsigned>(fit.seg2));
  return true;
}

}  // namespace

CGeArc* CGeTool2D::GetFilletArc(CGeCurve* c1, CGeCurve* c2, double r, double& t1, int& seg1,
                                double& t2, int& seg2) {
  TangentFit fit;
  if (!FindTangentCentre(c1, c2, r, 0.1, 0.1, 0.1, 1, 0.1, 1, fit)) return nullptr;
  auto arc = std::make_unique<CGeArc>();
  if (!arc->CreateCSE(0, fit.centre, fit.p1, fit.p2)) return nullptr;
  if (fit.iterated && std::fabs(arc->m_dSweep) < 0.0001) return nullptr;
  arc->Discrete(gGetCurveDicTol());
  t1 = fit.t1;
  seg1 = fit.seg1;
  t2 = fit.t2;
  seg2 = fit.seg2;
  return arc.release();
}

CGeCircle* CGeTool2D::GetTanCircleAt2Curve(CGeCurve* c1, CGeCurve* c2, double r, double& t1,
                                           int& seg1, double& t2, int& seg2) {
  TangentFit fit;
  if (!FindTangentCentre(c1, c2, r, t1, t2, t1, seg1, t2, seg2, fit)) return nullptr;
  t1 = fit.t1;
  seg1 = fit.seg1;
  t2 = fit.t2;
  seg2 = fit.seg2;
  return new CGeCircle(fit.centre, r, 1);
}

int CGeTool2D::GetTanPtAt2Arc(CGeArc* a1, CGeArc* a2, double t1, double t2, double p1[2],
                              double p2[2]) {
  if (!a1 || !a2 || !p1 || !p2) return 0;
  double h1[2], h2[2];
  a1->GetPointAt(t1, h1, 1);
  a2->GetPointAt(t2, h2, 1);
  const bool swapped = a1->m_dRadius > a2->m_dRadius;
  if (swapped) {
    std::swap(a1, a2);
    P2D_Swap(h1, h2);
  }
  const double* c1 = a1->m_ptCenter;
  const double* c2 = a2->m_ptCenter;
  const double r1 = a1->m_dRadius, r2 = a2->m_dRadius;
  const double d = P2D_Dist(c1, c2);
  // Concentric circles have no common tangent and no direction between the centres.
  if (d <= std::fabs(r1 - r2) || d < kTiny) return 0;
  double u[2], v1[2] = {0.0, 0.0}, v2[2] = {0.0, 0.0};
  V2D_GenUnit(c1, c2, u, kTiny);
  V2D_GenUnit(c1, h1, v1, kTiny);
  V2D_GenUnit(c1, h2, v2, kTiny);
  bool s1 = Cross(u, v1) > 0.0;
  const bool s2 = Cross(u, v2) > 0.0;
  const double m = r1 + r2, x = (r2 - r1) / d;
  const double q1[2] = {c1[0] + r1 * u[0], c1[1] + r1 * u[1]};
  const double q2[2] = {c2[0] - r2 * u[0], c2[1] - r2 * u[1]};
  double a = 0.0, b = 0.0;
  if (d > m && s1 != s2) {
    a = b = std::numbers::pi / 2 - std::asin(m / d);  // crossing tangent
  } else {
    a = std::asin(x) + std::numbers::pi / 2;
    b = std::asin(x) - std::numbers::pi / 2;
    if (d <= m && swapped) s1 = s2;
  }
  if (!s1) {
    a = -a;
    b = -b;
  }
  P2D_Rot(c1, a, q1, p1);
  P2D_Rot(c2, b, q2, p2);
  return 1;
}

int CGeTool2D::GetTanPtAt2Curve(CGeCurve* c1, CGeCurve* c2, double& t1, double& t2, double p1[2],
                                double p2[2]) {
  if (!c1 || !c2 || !p1 || !p2) return 0;
  auto wrap = [](double t) { return t < 0.0 ? t + 1.0 : (t > 1.0 ? t - 1.0 : t); };
  double u1 = t1, u2 = t2, f1 = 0.0, f2 = 0.0;
  bool converged = false;
  for (int it = 0; it < kMaxIter && !converged; ++it) {
    double a[2], d1[2], dd1[2], b[2], d2[2], dd2[2];
    c1->Ev2Der(u1, a, d1, dd1, 1);
    c2->Ev2Der(u2, b, d2, dd2, 1);
    const double w[2] = {b[0] - a[0], b[1] - a[1]};
    f1 = Cross(w, d1);
    f2 = Cross(w, d2);
    const double g1 = 2 * f1 * Cross(w, dd1);
    const double g2 = 2 * f2 * Cross(w, dd2);
    if (std::fabs(g1) < kNewtonTol || std::fabs(g2) < kNewtonTol) return 0;
    const double n1 = wrap(u1 - f1 * f1 / g1);
    const double n2 = wrap(u2 - f2 * f2 / g2);
    converged = (std::fabs(n1 - u1) < kTiny || f1 * f1 < kNewtonTol) &&
                (std::fabs(n2 - u2) < kTiny || f2 * f2 < kNewtonTol);
    u1 = n1;
    u2 = n2;
  }
  if (!converged) return 0;
  auto atEnd = [](double t) { return t < kTiny || t > 1.0 - kTiny; };
  if ((atEnd(u1) && f1 * f1 > kNewtonTol) || (atEnd(u2) && f2 * f2 > kNewtonTol)) return 0;
  t1 = u1;
  t2 = u2;
  c1->GetPointAt(t1, p1, 1);
  c2->GetPointAt(t2, p2, 1);
  return 1;
}

int CGeTool2D::CalcPendPtBy2Curve(CGeCurve* c1, CGeCurve* c2, double& t1, double& t2, double p1[2],
                                  double p2[2]) {
  if (!c1 || !c2 || !p1 || !p2) return 0;
  c1->GetPointAt(t1, p1, 1);
  c2->GetPointAt(t2, p2, 1);
  for (int it = 0; it < kMaxIter; ++it) {
    unsigned seg = 1;
    double r1 = 0.0, r2 = 0.0;
    c1->GetNearestPoint(p2, p1, t1, seg, r1);
    c2->GetNearestPoint(p1, p2, t2, seg, r2);
    if (std::fabs(r1 - r2) < kNewtonTol) return (r1 < kNewtonTol || r2 < kNewtonTol) ? 0 : 1;
  }
  return 0;
}
