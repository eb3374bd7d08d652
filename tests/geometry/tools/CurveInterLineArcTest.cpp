// Line and arc intersections against closed forms, the dispatcher's contract and the Newton
// refinement.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <random>

#include "geometry/shapes2d/GeArc.h"
#include "geometry/shapes2d/GeLine.h"
#include "support/VurodeFixture.h"
#include "tests/geometry/tools/CurveInterTestUtil.h"

namespace {

using citest::Inter;
CGeLine Line(double x0, double y0, double x1, double y1) {
  const double a[2] = {x0, y0}, b[2] = {x1, y1};
  return CGeLine(a, b);
}

CGeArc Arc(double cx, double cy, double r, double a0, double a1) {
  CGeArc arc;
  const double c[2] = {cx, cy};
  EXPECT_EQ(arc.CreateCSEAngle(c, r, a0, a1), 1);
  arc.Discrete(gGetCurveDicTol());
  return arc;
}

using CurveInterLineArcTest = VurodeTest;

TEST_F(CurveInterLineArcTest, LineLineCrossingsAndAcceptanceAtTheEnds) {
  struct Case {
    const char* name;
    double l1[4], l2[4];
    int found;
    double x, y, t1, t2;
  } cases[] = {
      {"cross", {0, 0, 4, 4}, {0, 4, 4, 0}, 1, 2, 2, 0.5, 0.5},
      {"T at the end of l2", {0, 0, 10, 0}, {3, 5, 3, 0}, 1, 3, 0, 0.3, 1.0},
      {"beyond the end of l2", {0, 0, 10, 0}, {3, 5, 3, 1e-9}, 0, 0, 0, 0, 0},
      {"carrier crossing outside l1", {0, 0, 1, 0}, {3, -1, 3, 1}, 0, 0, 0, 0, 0},
      {"parallel apart", {0, 0, 1, 0}, {0, 1, 1, 1}, 0, 0, 0, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    CGeLine a = Line(c.l1[0], c.l1[1], c.l1[2], c.l1[3]);
    CGeLine b = Line(c.l2[0], c.l2[1], c.l2[2], c.l2[3]);
    _tagInterPnt rec{};
    ASSERT_EQ(CCurveInter().LineLine(&a, &b, rec), c.found);
    if (!c.found) continue;
    EXPECT_NEAR(rec.x, c.x, 1e-12);
    EXPECT_NEAR(rec.y, c.y, 1e-12);
    EXPECT_NEAR(rec.t1, c.t1, 1e-12);
    EXPECT_NEAR(rec.t2, c.t2, 1e-12);
    EXPECT_EQ(rec.seg1, 1);
    EXPECT_EQ(rec.seg2, 1);
  }
}

TEST_F(CurveInterLineArcTest, OverlappingLinesGiveOneSharedEndPoint) {
  // Both of l1's ends lie on l2: the last passing test, l1's end, is the record.
  CGeLine l1 = Line(2, 0, 5, 0), l2 = Line(0, 0, 10, 0);
  auto recs = Inter(&l1, &l2);
  ASSERT_EQ(recs.size(), 1u);
  EXPECT_DOUBLE_EQ(recs[0].x, 5.0);
  EXPECT_DOUBLE_EQ(recs[0].t1, 1.0);
  EXPECT_DOUBLE_EQ(recs[0].t2, 0.5);
  // Partial overlap: l1's start lies on l2 and is the last passing test.
  CGeLine l3 = Line(8, 0, 12, 0);
  recs = Inter(&l3, &l2);
  ASSERT_EQ(recs.size(), 1u);
  EXPECT_DOUBLE_EQ(recs[0].x, 8.0);
  EXPECT_DOUBLE_EQ(recs[0].t1, 0.0);
  EXPECT_DOUBLE_EQ(recs[0].t2, 0.8);
}

TEST_F(CurveInterLineArcTest, LineArcMatchesTheClosedForm) {
  // Horizontal line y = h against arcs of the circle (1, 2) radius 5: crossings at
  // x = 1 ± sqrt(25 - (h - 2)^2), kept where the arc covers their angle.
  struct Case {
    const char* name;
    double h, a0, a1;  // line height, arc start and end angle
    int expect;        // crossings on the arc
  } cases[] = {
      {"upper half, both", 5.0, 0.0, std::numbers::pi, 2},
      {"upper half from the left, both", 5.0, std::numbers::pi, 0.0, 2},
      {"right quarter, one", 5.0, 0.0, std::numbers::pi / 2, 1},
      {"lower half, none", 5.0, std::numbers::pi, 2 * std::numbers::pi, 0},
      {"through the centre", 2.0, -std::numbers::pi / 2, std::numbers::pi / 2, 1},
      {"tangent at the top", 7.0, 0.0, std::numbers::pi, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    CGeLine line = Line(-10, c.h, 10, c.h);
    CGeArc arc = Arc(1, 2, 5, c.a0, c.a1);
    const auto recs = Inter(&line, &arc);
    ASSERT_EQ(int(recs.size()), c.expect);
    for (const _tagInterPnt& r : recs) {
      EXPECT_NEAR(r.y, c.h, 1e-9);
      EXPECT_NEAR(std::fabs(r.x - 1.0), std::sqrt(std::max(0.0, 25 - (c.h - 2) * (c.h - 2))), 1e-6);
      EXPECT_NEAR(r.t1, (r.x + 10) / 20, 1e-9);
    }
    citest::ExpectOnBoth(&line, &arc, recs, 1e-6);
    citest::ExpectSwapSymmetric(&line, &arc, 1e-9);
  }
}

TEST_F(CurveInterLineArcTest, ArcArcMatchesTheClosedForm) {
  // Unit circles at (0,0) and (1,0) cross at (0.5, ±sqrt(3)/2).
  const double h = std::sqrt(3.0) / 2;
  CGeArc upper = Arc(0, 0, 1, 0, std::numbers::pi), full = Arc(1, 0, 1, 0.1, 2 * std::numbers::pi - 0.1);
  auto recs = Inter(&upper, &full);
  ASSERT_EQ(recs.size(), 1u);
  EXPECT_NEAR(recs[0].x, 0.5, 1e-9);
  EXPECT_NEAR(recs[0].y, h, 1e-9);
  EXPECT_NEAR(recs[0].t1, 1.0 / 3, 1e-9);
  citest::ExpectOnBoth(&upper, &full, recs, 1e-9);
  citest::ExpectSwapSymmetric(&upper, &full, 1e-9);
  CGeArc whole = Arc(0, 0, 1, -std::numbers::pi + 0.01, std::numbers::pi - 0.01);
  recs = Inter(&whole, &full);
  ASSERT_EQ(recs.size(), 2u);
  EXPECT_NEAR(std::fabs(recs[0].y), h, 1e-9);
  EXPECT_NEAR(recs[0].y, -recs[1].y, 1e-9);
  citest::ExpectSwapSymmetric(&whole, &full, 1e-9);
  // One curve against itself finds nothing.
  EXPECT_TRUE(Inter(&full, &full).empty());
}

TEST_F(CurveInterLineArcTest, RandomPairsLieOnBothCurvesInEitherOrder) {
  std::mt19937 rng(5);
  std::uniform_real_distribution<double> u(-10, 10), ang(-std::numbers::pi, std::numbers::pi), rad(0.5, 8);
  int total = 0;
  for (int i = 0; i < 200; ++i) {
    CGeLine l = Line(u(rng), u(rng), u(rng), u(rng));
    CGeLine m = Line(u(rng), u(rng), u(rng), u(rng));
    CGeArc a = Arc(u(rng), u(rng), rad(rng), ang(rng), ang(rng));
    CGeArc b = Arc(u(rng), u(rng), rad(rng), ang(rng), ang(rng));
    CGeCurve* curves[] = {&l, &m, &a, &b};
    for (CGeCurve* c1 : curves) {
      for (CGeCurve* c2 : curves) {
        if (c1 == c2) continue;
        const auto recs = Inter(c1, c2);
        total += int(recs.size());
        // IsPointOn snaps points within 0.005 of an arc's end onto the end.
        citest::ExpectOnBoth(c1, c2, recs, 0.006);
        citest::ExpectSwapSymmetric(c1, c2, 1e-9);
      }
    }
  }
  EXPECT_GT(total, 100);
}

TEST_F(CurveInterLineArcTest, ResultReportsOnlyWhatThisCallAdded) {
  CGeLine a = Line(0, 0, 4, 4), b = Line(0, 4, 4, 0), far = Line(100, 100, 101, 100);
  CInterPntArray out;
  CCurveInter ci;
  ASSERT_EQ(ci.CurveCurve(&a, &b, &out), 1);
  ASSERT_EQ(out.GetSize(), 1);
  // Earlier records stay untouched and do not count as a find.
  EXPECT_EQ(ci.CurveCurve(&a, &far, &out), 0);
  EXPECT_EQ(ci.CurveCurve(&a, &b, nullptr), 0);
  EXPECT_EQ(ci.CurveCurve(nullptr, &b, &out), 0);
  // A curve kind outside the seven (here the bare base) computes nothing.
  CGeCurve bare;
  const double pts[2][2] = {{0, 4}, {4, 0}};
  bare.CopySWPoint(pts, 2);
  EXPECT_EQ(ci.CurveCurve(&a, &bare, &out), 0);
  EXPECT_EQ(out.GetSize(), 1);
  EXPECT_DOUBLE_EQ(out[0].x, 2.0);
}

TEST_F(CurveInterLineArcTest, BoxesFartherThanTheToleranceGiveNothing) {
  // The arc's box ends at y = 1; lines above it 0.02 away are not tried, and one 0.005 away is
  // tried and rejected by the kernel (it misses the circle).
  CGeArc arc = Arc(0, 0, 1, 0.0, std::numbers::pi);
  CGeLine above = Line(-2, 1.02, 2, 1.02), near = Line(-2, 1.005, 2, 1.005);
  CInterPntArray out;
  EXPECT_EQ(CCurveInter().LineArc(&above, &arc, &out), 0);
  EXPECT_EQ(CCurveInter().LineArc(&near, &arc, &out), 0);
  CGeLine touching = Line(-2, 1.00005, 2, 1.00005);  // within the kernel's 0.0001
  EXPECT_EQ(CCurveInter().LineArc(&touching, &arc, &out), 1);
  EXPECT_NEAR(out[0].x, 0.0, 1e-9);
}

TEST_F(CurveInterLineArcTest, NewtonRefinesAGuessAndStopsOnParallels) {
  CGeLine l = Line(-10, 3, 10, 3);
  CGeArc arc = Arc(1, 2, 5, 0.0, std::numbers::pi);
  double t1 = 0.7, t2 = 0.15, pt[2];  // near the right crossing
  int s1 = 1, s2 = 1;
  ASSERT_EQ(CCurveInter().CurveCurveIterate(&l, t1, s1, &arc, t2, s2, pt), 1);
  EXPECT_NEAR(pt[1], 3.0, 1e-4);
  EXPECT_NEAR(pt[0], 1.0 + std::sqrt(24.0), 1e-4);
  double lp[2], ap[2];
  l.GetPointAt(t1, lp, s1);
  arc.GetPointAt(t2, ap, s2);
  EXPECT_LT(std::hypot(lp[0] - ap[0], lp[1] - ap[1]), 1e-4);

  CGeLine p1 = Line(0, 0, 10, 0), p2 = Line(0, 1, 10, 1);
  t1 = t2 = 0.5;
  s1 = s2 = 1;
  EXPECT_EQ(CCurveInter().CurveCurveIterate(&p1, t1, s1, &p2, t2, s2, pt), 0);
  EXPECT_EQ(t1, 0.5);  // failed on the first determinant, before any step
  s1 = 2;              // a segment the line does not have
  EXPECT_EQ(CCurveInter().CurveCurveIterate(&l, t1, s1, &arc, t2, s2, pt), 0);
}

}  // namespace
