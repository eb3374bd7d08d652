// Tangency constructions: fillet arcs and tangent circles checked by their distances to both
// curves, common tangents of arcs and curves checked by perpendicularity, and common
// perpendiculars against closed forms.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <memory>
#include <string>
#include <numbers>

#include "geometry/shapes2d/GeArc.h"
#include "geometry/shapes2d/GeCircle.h"
#include "geometry/shapes2d/GeLine.h"
#include "geometry/shapes2d/GePolyline.h"
#include "geometry/tools/GeTool2D.h"
#include "support/VurodeFixture.h"
#include "tests/geometry/tools/GeOffsetTestUtil.h"

using namespace offset_test;

namespace {
class OffsetTangentTest : public VurodeTest {};

std::unique_ptr<CGeCurve> Line(P a, P b) { return std::make_unique<CGeLine>(a.data(), b.data()); }

std::unique_ptr<CGeArc> Arc(P c, double r, double a0, double a1) {
  auto arc = std::make_unique<CGeArc>();
  EXPECT_TRUE(arc->CreateCSEAngle(c.data(), r, a0, a1));
  return arc;
}

std::unique_ptr<CGeCurve> Poly(std::initializer_list<P> pts) {
  auto poly = std::make_unique<CGePolyline>(static_cast<int>(pts.size()));
  int i = 0;
  for (const P& p : pts) {
    poly->m_pSWPoint[i][0] = p[0];
    poly->m_pSWPoint[i][1] = p[1];
    ++i;
  }
  poly->CalcBox2d();
  return poly;
}

double DistTo(CGeCurve* c, const double p[2]) {
  double nearPt[2], t = 0, d = 0;
  unsigned seg = 1;
  c->GetNearestPoint(p, nearPt, t, seg, d);
  return d;
}

struct FilletCase {
  const char* name;
  std::function<std::unique_ptr<CGeCurve>()> c1, c2;
  double r;
  P centre;  // expected
};

const FilletCase kFillets[] = {
    {"right_angle",
     [] {
       return Line({0, 0}, {10, 0});
     },
     [] {
       return Line({0, 0}, {0, 10});
     },
     1,
     {1, 1}},
    {"crossing",
     [] {
       return Line({-5, 0}, {10, 0});
     },
     [] {
       return Line({0, -5}, {0, 10});
     },
     2,
     {-2, -2}},
    // The clockwise arc crosses the line; the sample points pick the outer side of the arc.
    {"line_arc",
     [] {
       return Line({-10, 0}, {10, 0});
     },
     []() -> std::unique_ptr<CGeCurve> {
       return Arc({0, 3}, 5, -0.2, -std::numbers::pi + 0.2);
     },
     1,
     {-std::sqrt(32.0), 1}},
    // A polyline has no closed-form offset: the centre comes from the offset-curve search.
    {"polyline_line",
     [] {
       return Poly({{0, 0}, {10, 0}});
     },
     [] {
       return Line({0, 0}, {0, 10});
     },
     1,
     {1, 1}},
    {"line_polyline",
     [] {
       return Line({0, 0}, {0, 10});
     },
     [] {
       return Poly({{0, 0}, {10, 0}});
     },
     1,
     {1, 1}},
};

TEST_F(OffsetTangentTest, FilletArcTouchesBothCurvesAtItsEnds) {
  for (const FilletCase& c : kFillets) {
    SCOPED_TRACE(c.name);
    auto a = c.c1();
    auto b = c.c2();
    double t1 = -1, t2 = -1;
    int s1 = -1, s2 = -1;
    std::unique_ptr<CGeArc> arc(CGeTool2D().GetFilletArc(a.get(), b.get(), c.r, t1, s1, t2, s2));
    ASSERT_NE(arc, nullptr);
    // The centre lies on the sides of the sample points, nearest to the first curve's start.
    const double* ctr = arc->m_ptCenter;
    EXPECT_NEAR(ctr[0], c.centre[0], 1e-6);
    EXPECT_NEAR(ctr[1], c.centre[1], 1e-6);
    EXPECT_NEAR(arc->m_dRadius, c.r, 1e-6);
    EXPECT_NEAR(DistTo(a.get(), ctr), c.r, 1e-6);
    EXPECT_NEAR(DistTo(b.get(), ctr), c.r, 1e-6);
    P p1, p2, s, e;
    a->GetPointAt(t1, p1.data(), static_cast<unsigned>(s1));
    b->GetPointAt(t2, p2.data(), static_cast<unsigned>(s2));
    arc->GetStartPoint(s.data());
    arc->GetEndPoint(e.data());
    EXPECT_NEAR(std::hypot(s[0] - p1[0], s[1] - p1[1]), 0, 1e-6);
    EXPECT_NEAR(std::hypot(e[0] - p2[0], e[1] - p2[1]), 0, 1e-6);
    EXPECT_LT(std::fabs(arc->m_dSweep), std::numbers::pi);
  }
}

TEST_F(OffsetTangentTest, TangentCircleStartsFromTheGivenPositions) {
  for (const FilletCase& c : kFillets) {
    SCOPED_TRACE(c.name);
    auto a = c.c1();
    auto b = c.c2();
    double t1 = 0.1, t2 = 0.1;
    int s1 = 1, s2 = 1;
    std::unique_ptr<CGeCircle> cir(
        CGeTool2D().GetTanCircleAt2Curve(a.get(), b.get(), c.r, t1, s1, t2, s2));
    ASSERT_NE(cir, nullptr);
    EXPECT_NEAR(cir->m_dRadius, c.r, 1e-12);
    EXPECT_EQ(cir->m_nDir, 1);
    EXPECT_NEAR(DistTo(a.get(), cir->m_ptCenter), c.r, 1e-6);
    EXPECT_NEAR(DistTo(b.get(), cir->m_ptCenter), c.r, 1e-6);
  }
  // The sample positions choose the quadrant.
  auto a = Line({-5, 0}, {5, 0});
  auto b = Line({0, -5}, {0, 5});
  double t1 = 0.9, t2 = 0.1;
  int s1 = 1, s2 = 1;
  std::unique_ptr<CGeCircle> cir(
      CGeTool2D().GetTanCircleAt2Curve(a.get(), b.get(), 1, t1, s1, t2, s2));
  ASSERT_NE(cir, nullptr);
  EXPECT_NEAR(cir->m_ptCenter[0], 1, 1e-6);
  EXPECT_NEAR(cir->m_ptCenter[1], -1, 1e-6);
}

TEST_F(OffsetTangentTest, FilletFailsForMissingOrIdenticalCurvesAndParallelLines) {
  CGeTool2D tool;
  auto a = Line({0, 0}, {10, 0});
  auto far = Line({0, 5}, {10, 5});
  double t1 = 0, t2 = 0;
  int s1 = 0, s2 = 0;
  EXPECT_EQ(tool.GetFilletArc(a.get(), a.get(), 1, t1, s1, t2, s2), nullptr);
  EXPECT_EQ(tool.GetFilletArc(nullptr, a.get(), 1, t1, s1, t2, s2), nullptr);
  EXPECT_EQ(tool.GetFilletArc(a.get(), far.get(), 1, t1, s1, t2, s2), nullptr);
  auto poly = Poly({{0, 5}, {10, 5}});
  EXPECT_EQ(tool.GetFilletArc(a.get(), poly.get(), 1, t1, s1, t2, s2), nullptr);
}

// (p2 - p1) is perpendicular to both radii; same: both normals point the same way.
void ExpectCommonTangent(const P& c1, double r1, const P& c2, double r2, const P& p1, const P& p2,
                         bool same) {
  const P w = {p2[0] - p1[0], p2[1] - p1[1]};
  const P n1 = {p1[0] - c1[0], p1[1] - c1[1]};
  const P n2 = {p2[0] - c2[0], p2[1] - c2[1]};
  EXPECT_NEAR(std::hypot(n1[0], n1[1]), r1, 1e-9);
  EXPECT_NEAR(std::hypot(n2[0], n2[1]), r2, 1e-9);
  EXPECT_NEAR(w[0] * n1[0] + w[1] * n1[1], 0, 1e-9);
  EXPECT_NEAR(w[0] * n2[0] + w[1] * n2[1], 0, 1e-9);
  EXPECT_EQ(n1[0] * n2[0] + n1[1] * n2[1] > 0, same);
}

TEST_F(OffsetTangentTest, CommonTangentOfTwoArcs) {
  struct Case {
    const char* name;
    P c2;
    double r2;
    double t1, t2;  // sample positions on the (nearly full) counter-clockwise arcs
    bool same;      // outer tangent (normals alike) or crossing tangent
    bool upper;     // the tangent point on the first circle lies above the centre line
  };
  const Case cases[] = {
      {"outer_upper", {5, 0}, 2, 0.25, 0.25, true, true},
      {"outer_lower", {5, 0}, 2, 0.75, 0.75, true, false},
      {"crossing", {5, 0}, 2, 0.25, 0.75, false, true},
      {"crossing_other", {5, 0}, 2, 0.75, 0.25, false, false},
      {"overlapping_outer", {2, 0}, 2, 0.25, 0.25, true, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    auto a1 = Arc({0, 0}, 1, 0.01, 2 * std::numbers::pi - 0.01);
    auto a2 = Arc(c.c2, c.r2, 0.01, 2 * std::numbers::pi - 0.01);
    P p1, p2;
    ASSERT_EQ(CGeTool2D().GetTanPtAt2Arc(a1.get(), a2.get(), c.t1, c.t2, p1.data(), p2.data()), 1);
    ExpectCommonTangent({0, 0}, 1, c.c2, c.r2, p1, p2, c.same);
    EXPECT_EQ(p1[1] > 0, c.upper);
  }
  // The larger arc first: the points come back in the smaller-first order.
  auto big = Arc({5, 0}, 2, 0.01, 2 * std::numbers::pi - 0.01);
  auto small = Arc({0, 0}, 1, 0.01, 2 * std::numbers::pi - 0.01);
  P p1, p2;
  ASSERT_EQ(CGeTool2D().GetTanPtAt2Arc(big.get(), small.get(), 0.25, 0.25, p1.data(), p2.data()),
            1);
  ExpectCommonTangent({0, 0}, 1, {5, 0}, 2, p1, p2, true);
}

TEST_F(OffsetTangentTest, NestedOrConcentricArcsHaveNoCommonTangent) {
  auto outer = Arc({0, 0}, 5, 0, 3);
  auto inner = Arc({1, 0}, 1, 0, 3);
  auto concentric = Arc({0, 0}, 2, 0, 3);
  auto same = Arc({0, 0}, 5, 1, 2);
  P p1 = {7, 7}, p2 = {7, 7};
  CGeTool2D tool;
  EXPECT_EQ(tool.GetTanPtAt2Arc(outer.get(), inner.get(), 0.5, 0.5, p1.data(), p2.data()), 0);
  EXPECT_EQ(tool.GetTanPtAt2Arc(outer.get(), concentric.get(), 0.5, 0.5, p1.data(), p2.data()), 0);
  EXPECT_EQ(tool.GetTanPtAt2Arc(concentric.get(), outer.get(), 0.5, 0.5, p1.data(), p2.data()), 0);
  EXPECT_EQ(tool.GetTanPtAt2Arc(outer.get(), same.get(), 0.5, 0.5, p1.data(), p2.data()), 0);
  EXPECT_EQ(p1[0], 7);
  EXPECT_EQ(tool.GetTanPtAt2Arc(nullptr, same.get(), 0.5, 0.5, p1.data(), p2.data()), 0);
}

TEST_F(OffsetTangentTest, CommonTangentOfTwoCurvesByNewton) {
  auto a1 = Arc({0, 0}, 1, 0, std::numbers::pi);
  auto a2 = Arc({5, 0}, 2, 0, std::numbers::pi);
  double t1 = 0.45, t2 = 0.55;
  P p1, p2;
  ASSERT_EQ(CGeTool2D().GetTanPtAt2Curve(a1.get(), a2.get(), t1, t2, p1.data(), p2.data()), 1);
  // Closed form of the upper outer tangent: the normal turns by asin((r2 - r1) / D) from +y.
  const double phi = std::numbers::pi / 2 + std::asin(1.0 / 5.0);
  EXPECT_NEAR(p1[0], std::cos(phi), 2e-3);
  EXPECT_NEAR(p1[1], std::sin(phi), 2e-3);
  EXPECT_NEAR(p2[0], 5 + 2 * std::cos(phi), 2e-3);
  EXPECT_NEAR(p2[1], 2 * std::sin(phi), 2e-3);
  P q;
  a1->GetPointAt(t1, q.data(), 1);
  EXPECT_NEAR(std::hypot(q[0] - p1[0], q[1] - p1[1]), 0, 1e-12);

  // Parallel lines: no curvature to steer by.
  auto l1 = Line({0, 0}, {4, 0});
  auto l2 = Line({0, 2}, {4, 3});
  double u1 = 0.5, u2 = 0.5;
  EXPECT_EQ(CGeTool2D().GetTanPtAt2Curve(l1.get(), l2.get(), u1, u2, p1.data(), p2.data()), 0);
  EXPECT_EQ(u1, 0.5);
}

TEST_F(OffsetTangentTest, CommonPerpendicularOfTwoCurves) {
  CGeTool2D tool;
  P p1, p2;
  {
    auto line = Line({-5, 0}, {5, 0});
    auto arc = Arc({0, 5}, 2, std::numbers::pi, 2 * std::numbers::pi);
    double t1 = 0.2, t2 = 0.3;
    ASSERT_EQ(tool.CalcPendPtBy2Curve(line.get(), arc.get(), t1, t2, p1.data(), p2.data()), 1);
    // The search stops once both projections agree in length, near the closed form.
    EXPECT_NEAR(std::hypot(p2[0] - p1[0], p2[1] - p1[1]), 3, 1e-3);
    EXPECT_NEAR(p1[0], 0, 0.05);
    EXPECT_NEAR(p1[1], 0, 1e-9);
    EXPECT_NEAR(std::hypot(p2[0], p2[1] - 5), 2, 1e-9);
    P q;
    arc->GetPointAt(t2, q.data(), 1);
    EXPECT_NEAR(std::hypot(q[0] - p2[0], q[1] - p2[1]), 0, 1e-9);
  }
  {
    auto a = Line({0, 0}, {4, 0});
    auto b = Line({6, 1}, {6, 5});
    double t1 = 0.5, t2 = 0.5;
    ASSERT_EQ(tool.CalcPendPtBy2Curve(a.get(), b.get(), t1, t2, p1.data(), p2.data()), 1);
    EXPECT_NEAR(p1[0], 4, 1e-9);
    EXPECT_NEAR(p2[1], 1, 1e-9);
  }
  auto a = Line({0, 0}, {4, 4});
  auto b = Line({0, 4}, {4, 0});
  double t1 = 0.1, t2 = 0.1;
  EXPECT_EQ(tool.CalcPendPtBy2Curve(a.get(), b.get(), t1, t2, p1.data(), p2.data()), 0);
}

}  // namespace
