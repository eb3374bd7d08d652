#include "geometry/tools/GeTool3D.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <numbers>
#include <vector>

#include "geometry/shapes2d/GeArc.h"
#include "geometry/shapes2d/GeLine.h"
#include "geometry/shapes2d/GeShape2d.h"
#include "geometry/shapes3d/GeArc3d.h"
#include "geometry/shapes3d/GeLine3d.h"
#include "geometry/shapes3d/GeNrbCrv3d.h"
#include "geometry/shapes3d/GeOffsetCrv3d.h"
#include "platform/numora/Bcrv.h"

namespace {

using V = std::array<double, 3>;
double Dist(const double* a, const double* b) {
  return std::sqrt((a[0] - b[0]) * (a[0] - b[0]) + (a[1] - b[1]) * (a[1] - b[1]) +
                   (a[2] - b[2]) * (a[2] - b[2]));
}

double DistToPolyline(const double* p, const std::vector<V>& poly) {
  double best = 1e300;
  for (size_t i = 0; i + 1 < poly.size(); ++i) {
    const double* a = poly[i].data();
    const double* b = poly[i + 1].data();
    double d[3], w[3];
    for (int k = 0; k < 3; ++k) d[k] = b[k] - a[k], w[k] = p[k] - a[k];
    double l2 = d[0] * d[0] + d[1] * d[1] + d[2] * d[2];
    double t = l2 > 0 ? std::clamp((w[0] * d[0] + w[1] * d[1] + w[2] * d[2]) / l2, 0.0, 1.0) : 0.0;
    double q[3] = {a[0] + t * d[0], a[1] + t * d[1], a[2] + t * d[2]};
    best = std::min(best, Dist(p, q));
  }
  return best;
}

std::vector<V> SampleBcrv(const BCRV* c, int n = 2000) {
  std::vector<V> out(n + 1);
  for (int i = 0; i <= n; ++i) BCRV_EvPos(c, double(i) / n, out[i].data());
  return out;
}

// Symmetric Hausdorff distance of a fitted record and the polyline through the points.
double Hausdorff(const BCRV* c, const std::vector<V>& poly) {
  std::vector<V> s = SampleBcrv(c);
  double h = 0;
  for (const V& p : s) h = std::max(h, DistToPolyline(p.data(), poly));
  for (const V& p : poly) h = std::max(h, DistToPolyline(p.data(), s));
  return h;
}

const double (*Raw(const std::vector<V>& v))[3] {
  return reinterpret_cast<const double(*)[3]>(v.data());
}

struct Pieces {
  std::vector<BCRV*> v;
  ~Pieces() {
    for (BCRV* c : v) BCRV_Free(c);
  }
};

V Ev(const BCRV* c, double t) {
  V p;
  BCRV_EvPos(c, t, p.data());
  return p;
}

// Points on a circle of radius 10 in a tilted plane.
std::vector<V> TiltedArc(int n, double sweep) {
  std::vector<V> pts;
  for (int i = 0; i < n; ++i) {
    double a = sweep * i / (n - 1);
    double x = 10 * std::cos(a), y = 10 * std::sin(a);
    pts.push_back({x, y * 0.8, y * 0.6 + 3});
  }
  return pts;
}

TEST(GeTool3DInterp, SmoothPointsGiveOnePieceWithinDeviation) {
  std::vector<V> pts = TiltedArc(120, 1.5 * std::numbers::pi);
  Pieces out;
  CGeTool3D::GlobalInterp(Raw(pts), int(pts.size()), 2, 0.05, 2.5, out.v);
  ASSERT_EQ(out.v.size(), 1u);
  EXPECT_LT(Hausdorff(out.v[0], pts), 0.05 + 1e-3);
  EXPECT_LT(Dist(Ev(out.v[0], 0).data(), pts.front().data()), 1e-9);
  EXPECT_LT(Dist(Ev(out.v[0], 1).data(), pts.back().data()), 1e-9);
}

TEST(GeTool3DInterp, CornerSplitsAndMergedFormJoinsThePieces) {
  std::vector<V> pts;
  for (int i = 0; i <= 20; ++i) pts.push_back({i * 0.5, 0, 1});
  for (int i = 1; i <= 20; ++i) pts.push_back({10, i * 0.5, 1});
  Pieces out;
  CGeTool3D::GlobalInterp(Raw(pts), int(pts.size()), 2, 0.01, 2.5, out.v);
  ASSERT_EQ(out.v.size(), 2u);
  const double corner[3] = {10, 0, 1};
  EXPECT_LT(Dist(Ev(out.v[0], 1).data(), corner), 1e-9);
  EXPECT_LT(Dist(Ev(out.v[1], 0).data(), corner), 1e-9);
  std::vector<V> first(pts.begin(), pts.begin() + 21), second(pts.begin() + 20, pts.end());
  EXPECT_LT(Hausdorff(out.v[0], first), 0.011);
  EXPECT_LT(Hausdorff(out.v[1], second), 0.011);

  BCRV* merged = CGeTool3D::GlobalInterp(Raw(pts), int(pts.size()), 2, 0.01, 2.5);
  ASSERT_NE(merged, nullptr);
  EXPECT_LT(Hausdorff(merged, pts), 0.011);
  EXPECT_LT(Dist(Ev(merged, 0).data(), pts.front().data()), 1e-9);
  EXPECT_LT(Dist(Ev(merged, 1).data(), pts.back().data()), 1e-9);
  BCRV_Free(merged);
}

TEST(GeTool3DInterp, DeviationSplitsAndNearPointsAreSkipped) {
  // The fourth point leaves the line by 0.5 at a gentle turn: a new piece from the third.
  std::vector<V> pts = {{0, 0, 0}, {1, 0, 0}, {2, 0, 0}, {3, 0.5, 0}};
  Pieces dev;
  CGeTool3D::GlobalInterp(Raw(pts), 4, 2, 0.2, 1.0, dev.v);
  ASSERT_EQ(dev.v.size(), 2u);
  EXPECT_LT(Dist(Ev(dev.v[0], 1).data(), pts[2].data()), 1e-9);
  EXPECT_LT(Dist(Ev(dev.v[1], 1).data(), pts[3].data()), 1e-9);

  std::vector<V> near = {{0, 0, 0}, {0.004, 0, 0}, {0.007, 0, 0}};
  Pieces one;
  CGeTool3D::GlobalInterp(Raw(near), 3, 2, 0.2, 2.5, one.v);
  ASSERT_EQ(one.v.size(), 1u);
  EXPECT_LT(Dist(Ev(one.v[0], 1).data(), near[1].data()), 1e-9);

  // A doubled first vertex makes no extra piece.
  for (V second : {V{0, 0, 0}, V{0.001, 0.002, 0}}) {
    std::vector<V> doubled = {{0, 0, 0}, second, {1, 0, 0}, {2, 0.1, 0}, {3, 0, 0}};
    Pieces start;
    CGeTool3D::GlobalInterp(Raw(doubled), 5, 2, 0.2, 2.5, start.v);
    ASSERT_EQ(start.v.size(), 1u);
    EXPECT_LT(Dist(Ev(start.v[0], 0).data(), doubled[0].data()), 1e-9);
    EXPECT_LT(Dist(Ev(start.v[0], 1).data(), doubled[4].data()), 1e-9);
  }

  Pieces none;
  CGeTool3D::GlobalInterp(Raw(pts), 1, 2, 0.2, 2.5, none.v);
  CGeTool3D::GlobalInterp(Raw(pts), 4, 0, 0.2, 2.5, none.v);
  CGeTool3D::GlobalInterp(nullptr, 4, 2, 0.2, 2.5, none.v);
  EXPECT_TRUE(none.v.empty());
  EXPECT_EQ(CGeTool3D::GlobalInterp(Raw(pts), 1, 2, 0.2, 2.5), nullptr);
}

std::unique_ptr<CGeArc3d> CircleXY(double cx, double cy, double r, double z = 0) {
  auto arc = std::make_unique<CGeArc3d>();
  const double c[3] = {cx, cy, z};
  EXPECT_TRUE(arc->CreateCricleXY(c, r));
  arc->DiscreteMe(0.001);
  return arc;
}

TEST(GeTool3DCoplanar, LinesArcsAndSkewPairs) {
  const double a0[3] = {0, 0, 2}, a1[3] = {5, 1, 2}, b0[3] = {1, 3, 2}, b1[3] = {-2, 7, 2};
  const double c0[3] = {0, 0, 5}, c1[3] = {0, 1, 6};
  CGeLine3d la(a0, a1), lb(b0, b1), lc(c0, c1);
  double pt[3], n[3];
  ASSERT_EQ(CGeTool3D::IsCoplanar(&la, &lb, pt, n, 1e-6, 1e-4), 1);
  EXPECT_NEAR(std::fabs(n[2]), 1.0, 1e-9);
  EXPECT_NEAR(pt[2], 2.0, 1e-9);
  EXPECT_EQ(CGeTool3D::IsCoplanar(&la, &lc, pt, n, 1e-6, 1e-4), 0);
  auto arc = CircleXY(0, 0, 3, 2);
  EXPECT_EQ(CGeTool3D::IsCoplanar(arc.get(), &la, pt, n, 1e-6, 1e-4), 1);
  EXPECT_NEAR(std::fabs(n[2]), 1.0, 1e-9);
  auto low = CircleXY(0, 0, 3, 1);
  EXPECT_EQ(CGeTool3D::IsCoplanar(low.get(), &la, pt, n, 1e-6, 1e-4), 0);
  EXPECT_EQ(CGeTool3D::IsCoplanar(nullptr, &la, pt, n, 1e-6, 1e-4), 0);
}

// Planar 3D offsets agree with the 2D offsets of the same curves lifted to their plane.
TEST(GeTool3DOffset, PlanarOffsetsMatchTheLifted2DOffsets) {
  const double up[3] = {0, 0, 1};
  const double z = 4;
  const double s2[2] = {1, 2}, e2[2] = {7, -3};
  const double c2[2] = {2, 1}, as2[2] = {7, 1}, ae2[2] = {2, 6};
  CGeLine line2(s2, e2);
  CGeArc arc2;
  ASSERT_TRUE(arc2.CreateCSE(c2, as2, ae2, 1));
  const double s3[3] = {1, 2, z}, e3[3] = {7, -3, z};
  CGeLine3d line3(s3, e3);
  CGeArc3d arc3;
  const double c3[3] = {2, 1, z}, as3[3] = {7, 1, z}, ae3[3] = {2, 6, z};
  ASSERT_TRUE(arc3.CreateCSE(0, c3, as3, ae3));
  arc3.DiscreteMe(0.001);
  struct Case {
    CGeCurve* c2;
    CGeCurve3d* c3;
    double d;
  } cases[] = {{&line2, &line3, 1.5}, {&line2, &line3, -2}, {&arc2, &arc3, 1.5}, {&arc2, &arc3, -2}};
  for (const Case& k : cases) {
    SCOPED_TRACE(k.d);
    std::unique_ptr<CGeCurve> off2(k.c2->Offset(k.d));
    ASSERT_NE(off2, nullptr);
    CGeCurve3d* raw = nullptr;
    ASSERT_EQ(CGeTool3D::CurveOffset(k.c3, up, k.d, raw), 1);
    std::unique_ptr<CGeCurve3d> off3(raw);
    EXPECT_EQ(off3->GetType(), k.c3->GetType());
    for (int i = 0; i <= 20; ++i) {
      double p2[2], p3[3];
      off2->GetPointAt(i / 20.0, p2, 0);
      off3->GetPointAt(i / 20.0, p3, 0);
      EXPECT_NEAR(p3[0], p2[0], 1e-9);
      EXPECT_NEAR(p3[1], p2[1], 1e-9);
      EXPECT_NEAR(p3[2], z, 1e-9);
    }
  }
}

TEST(GeTool3DOffset, RefusedOffsets) {
  const double up[3] = {0, 0, 1}, down[3] = {0, 0, -1};
  auto unit = CircleXY(0, 0, 1);
  CGeCurve3d* out = reinterpret_cast<CGeCurve3d*>(1);
  EXPECT_EQ(CGeTool3D::CurveOffset(unit.get(), up, 1.0, out), 0);  // radius 0
  EXPECT_EQ(out, nullptr);
  EXPECT_EQ(CGeTool3D::CurveOffset(unit.get(), up, 0.005, out), 0);
  // Seen from below the same offset grows the circle.
  ASSERT_EQ(CGeTool3D::CurveOffset(unit.get(), down, 1.0, out), 1);
  EXPECT_NEAR(static_cast<CGeArc3d*>(out)->m_dRadius, 2.0, 1e-12);
  delete out;
  const double dir[3] = {0, 0, 1};
  CGeOffsetCrv3d far(unit->Copy(), 9999.5, dir);
  EXPECT_EQ(CGeTool3D::CurveOffset(&far, up, 1.0, out), 0);
  ASSERT_EQ(CGeTool3D::CurveOffset(&far, down, 1.0, out), 1);
  EXPECT_NEAR(static_cast<CGeOffsetCrv3d*>(out)->m_dDist, 9998.5, 1e-12);
  delete out;
}

TEST(GeTool3DOffset, NurbsOffsetKeepsItsDistance) {
  const double pts[5][3] = {{0, 0, 1}, {2, 1, 1}, {4, 0, 1}, {6, 2, 1}, {8, 1, 1}};
  CGeNrbCrv3d crv;
  ASSERT_TRUE(crv.CreateInterp(pts, 5, 3, 0.001));
  const double up[3] = {0, 0, 1};
  CGeCurve3d* raw = nullptr;
  ASSERT_EQ(CGeTool3D::CurveOffset(&crv, up, 0.3, raw), 1);
  std::unique_ptr<CGeCurve3d> off(raw);
  ASSERT_EQ(off->GetType(), GE_TYPE_OFFSETCRV3D);
  std::vector<V> base(4001);
  for (int i = 0; i <= 4000; ++i) crv.GetPointAt(i / 4000.0, base[i].data(), 0);
  for (int i = 0; i <= 50; ++i) {
    double p[3], q[3], tan[3];
    off->GetPointAt(i / 50.0, p, 0);
    EXPECT_NEAR(DistToPolyline(p, base), 0.3, 2e-3);
    // Left of travel, seen from +z.
    crv.GetTanVecAt(i / 50.0, q, tan, 0);
    EXPECT_GT(tan[0] * (p[1] - q[1]) - tan[1] * (p[0] - q[0]), 0);
  }
}

// The arc touches each curve at its end: radius as asked, centre at that radius from both.
void ExpectFillet(CGeArc3d* arc, CGeCurve3d* a, double ta, CGeCurve3d* b, double tb, double r) {
  ASSERT_NE(arc, nullptr);
  EXPECT_NEAR(arc->m_dRadius, r, 1e-6);
  double s[3], e[3], pa[3], pb[3], va[3], vb[3], q[3];
  arc->GetStartPoint(s);
  arc->GetEndPoint(e);
  a->GetTanVecAt(ta, pa, va, 0);
  b->GetTanVecAt(tb, pb, vb, 0);
  EXPECT_LT(Dist(s, pa), 1e-6);
  EXPECT_LT(Dist(e, pb), 1e-6);
  // Radius to each touching point is normal to that curve there.
  const double* c = arc->m_frame.origin;
  for (auto [p, v] : {std::pair{pa, va}, std::pair{pb, vb}}) {
    for (int k = 0; k < 3; ++k) q[k] = p[k] - c[k];
    double len = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
    EXPECT_NEAR((q[0] * v[0] + q[1] * v[1] + q[2] * v[2]) / len, 0, 1e-6);
  }
}

TEST(GeTool3DFillet, CornerOfTwoLinesEitherOrder) {
  const double p0[3] = {-10, 0, 2}, corner[3] = {0, 0, 2}, p2[3] = {0, 10, 2};
  CGeLine3d a(p0, corner), b(corner, p2);
  for (bool swap : {false, true}) {
    CGeCurve3d* x = swap ? static_cast<CGeCurve3d*>(&b) : &a;
    CGeCurve3d* y = swap ? static_cast<CGeCurve3d*>(&a) : &b;
    double ta, tb;
    unsigned sa, sb;
    std::unique_ptr<CGeArc3d> arc(CGeTool3D::GetFilletArc3d(x, y, 2.0, ta, sa, tb, sb));
    ExpectFillet(arc.get(), x, ta, y, tb, 2.0);
    EXPECT_NEAR(arc->m_frame.origin[0], -2, 1e-9);
    EXPECT_NEAR(arc->m_frame.origin[1], 2, 1e-9);
    EXPECT_NEAR(arc->m_frame.origin[2], 2, 1e-9);
    EXPECT_NEAR(arc->m_dSweep, std::numbers::pi / 2, 1e-9);
  }
}

TEST(GeTool3DFillet, LineWithCircleAndTwoCircles) {
  const double l0[3] = {-10, 0, 0}, l1[3] = {10, 0, 0};
  CGeLine3d line(l0, l1);
  auto circle = CircleXY(0, 3.5, 2);
  double ta, tb;
  unsigned sa, sb;
  std::unique_ptr<CGeArc3d> arc(
      CGeTool3D::GetFilletArc3d(&line, circle.get(), 1.0, ta, sa, tb, sb));
  ExpectFillet(arc.get(), &line, ta, circle.get(), tb, 1.0);
  EXPECT_NEAR(arc->m_frame.origin[1], 1.0, 1e-9);
  EXPECT_NEAR(Dist(arc->m_frame.origin, circle->m_frame.origin), 3.0, 1e-9);

  auto left = CircleXY(0, 0, 2), right = CircleXY(5, 0, 2);
  std::unique_ptr<CGeArc3d> arc2(
      CGeTool3D::GetFilletArc3d(left.get(), right.get(), 1.0, ta, sa, tb, sb));
  ExpectFillet(arc2.get(), left.get(), ta, right.get(), tb, 1.0);
  EXPECT_NEAR(Dist(arc2->m_frame.origin, left->m_frame.origin), 3.0, 1e-6);
  EXPECT_NEAR(Dist(arc2->m_frame.origin, right->m_frame.origin), 3.0, 1e-6);

  // Not coplanar: no fillet.
  const double s0[3] = {0, 5, 1}, s1[3] = {0, 6, 3};
  CGeLine3d skew(s0, s1);
  EXPECT_EQ(CGeTool3D::GetFilletArc3d(&line, &skew, 1.0, ta, sa, tb, sb), nullptr);
}

// p on the circle (centre c, radius r) and the line p-q normal to the radius there.
void ExpectTouch(const double* p, const double* q, const CGeArc3d& c) {
  const double* o = c.m_frame.origin;
  EXPECT_NEAR(Dist(p, o), c.m_dRadius, 1e-9);
  double dot = 0;
  for (int k = 0; k < 3; ++k) dot += (p[k] - o[k]) * (q[k] - p[k]);
  EXPECT_NEAR(dot, 0, 1e-7);
}

TEST(GeTool3DTangent, CommonTangentsOfTwoArcs) {
  auto small = CircleXY(0, 0, 1), big = CircleXY(5, 0, 2);
  double pa[3], pb[3];
  // Both points above the centre line: the outer tangent on top.
  double ta = 0.25, tb = 0.25;
  ASSERT_EQ(CGeTool3D::GetTanPtAt2Arc(small.get(), big.get(), &ta, &tb, pa, pb), 1);
  ExpectTouch(pa, pb, *small);
  ExpectTouch(pb, pa, *big);
  EXPECT_GT(pa[1], 0);
  EXPECT_GT(pb[1], 0);
  // One above, one below: the crossing tangent.
  ta = 0.25, tb = 0.75;
  ASSERT_EQ(CGeTool3D::GetTanPtAt2Arc(small.get(), big.get(), &ta, &tb, pa, pb), 1);
  ExpectTouch(pa, pb, *small);
  ExpectTouch(pb, pa, *big);
  EXPECT_LT(pa[1] * pb[1], 0);
  // Larger radius first: pa still lies on the smaller arc.
  ta = 0.25, tb = 0.25;
  ASSERT_EQ(CGeTool3D::GetTanPtAt2Arc(big.get(), small.get(), &ta, &tb, pa, pb), 1);
  ExpectTouch(pa, pb, *small);
  ExpectTouch(pb, pa, *big);
  // Nested circles have none.
  auto inner = CircleXY(5.5, 0, 0.5);
  EXPECT_EQ(CGeTool3D::GetTanPtAt2Arc(inner.get(), big.get(), &ta, &tb, pa, pb), 0);
}

TEST(GeTool3DTangent, NewtonFindsTheTouchingLine) {
  auto small = CircleXY(0, 0, 1), big = CircleXY(5, 0, 2);
  double ta = 0.2, tb = 0.3, pa[3], pb[3];
  ASSERT_EQ(CGeTool3D::GetTanPtAt2Curve(small.get(), big.get(), &ta, &tb, pa, pb), 1);
  // Converged within the Newton thresholds: the chord is nearly tangent at both ends.
  for (auto [p, q, c] : {std::tuple{pa, pb, small.get()}, std::tuple{pb, pa, big.get()}}) {
    const double* o = c->m_frame.origin;
    double dot = 0, len = Dist(p, q);
    for (int k = 0; k < 3; ++k) dot += (p[k] - o[k]) * (q[k] - p[k]);
    EXPECT_NEAR(Dist(p, o), c->m_dRadius, 1e-9);
    EXPECT_LT(std::fabs(dot) / (len * c->m_dRadius), 0.01);
  }
}

TEST(GeTool3DMerge, JoinsTouchingCurvesAndRefusesGaps) {
  const double a[2][3] = {{0, 0, 0}, {1, 0, 0}}, b[2][3] = {{1, 0, 0}, {1, 2, 0}},
               c[2][3] = {{3, 0, 0}, {4, 0, 0}};
  CGeNrbCrv3d ca, cb, cc;
  ASSERT_TRUE(ca.CreateCtrlPt(a, 2, 1, 0.001));
  ASSERT_TRUE(cb.CreateCtrlPt(b, 2, 1, 0.001));
  ASSERT_TRUE(cc.CreateCtrlPt(c, 2, 1, 0.001));
  std::unique_ptr<CGeNrbCrv3d> m(CGeTool3D::Merge(&ca, &cb));
  ASSERT_NE(m, nullptr);
  double s[3], e[3];
  m->GetStartPoint(s);
  m->GetEndPoint(e);
  EXPECT_LT(Dist(s, a[0]), 1e-12);
  EXPECT_LT(Dist(e, b[1]), 1e-12);
  EXPECT_EQ(CGeTool3D::Merge(&ca, &cc), nullptr);
  EXPECT_EQ(CGeTool3D::Merge(&ca, nullptr), nullptr);
}

}  // namespace
