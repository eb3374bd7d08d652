// Bezier curve intersections against dense sampling, record fields and reverse order.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <numbers>
#include <random>

#include "geometry/shapes2d/GeArc.h"
#include "geometry/shapes2d/GeBezier.h"
#include "geometry/shapes2d/GeLine.h"
#include "support/VurodeFixture.h"
#include "tests/geometry/tools/CurveInterTestUtil.h"

namespace {

using citest::Inter;
std::unique_ptr<CGeBezier> RandomBezier(std::mt19937& rng, int points) {
  std::uniform_real_distribution<double> u(-10, 10);
  double p[8][2];
  for (int i = 0; i < points; ++i) p[i][0] = u(rng), p[i][1] = u(rng);
  auto bez = std::make_unique<CGeBezier>();
  EXPECT_EQ(bez->Create(unsigned(points), p), 1);
  return bez;
}

CGeLine RandomLine(std::mt19937& rng) {
  std::uniform_real_distribution<double> u(-12, 12);
  const double a[2] = {u(rng), u(rng)}, b[2] = {u(rng), u(rng)};
  return CGeLine(a, b);
}

CGeArc RandomArc(std::mt19937& rng) {
  std::uniform_real_distribution<double> u(-6, 6), ang(-std::numbers::pi, std::numbers::pi), rad(1, 8);
  CGeArc arc;
  const double c[2] = {u(rng), u(rng)};
  EXPECT_EQ(arc.CreateCSEAngle(c, rad(rng), ang(rng), ang(rng)), 1);
  arc.Discrete(gGetCurveDicTol());
  return arc;
}

using CurveInterBezTest = VurodeTest;

TEST_F(CurveInterBezTest, RandomPairsMatchDenseSampling) {
  std::mt19937 rng(17);
  int checked = 0, crossings = 0;
  for (int i = 0; i < 40; ++i) {
    auto pa = RandomBezier(rng, 3 + i % 3), pb = RandomBezier(rng, 3);
    CGeBezier &a = *pa, &b = *pb;
    CGeLine line = RandomLine(rng);
    CGeArc arc = RandomArc(rng);
    CGeCurve* others[] = {&line, &arc, &b};
    for (CGeCurve* other : others) {
      SCOPED_TRACE(testing::Message() << "case " << i << " type " << other->GetType());
      for (auto [c1, c2] : {std::pair<CGeCurve*, CGeCurve*>{&a, other}, {other, &a}}) {
        if (citest::ExpectMatchesSampling(c1, c2, 250, 2e-3)) ++checked;
        const auto recs = Inter(c1, c2);
        crossings += int(recs.size());
        citest::ExpectOnBoth(c1, c2, recs, 1e-5);
      }
      citest::ExpectSwapSymmetric(&a, other, 1e-6);
    }
  }
  EXPECT_GT(checked, 130);
  EXPECT_GT(crossings, 130);
}

TEST_F(CurveInterBezTest, RecordsNameTheBezierSegment) {
  // A two-segment S through (0,0), (5,5), (10,0) crossed by the line y = 2.5 ... each crossing
  // on its own segment.
  const double pts[3][2] = {{0, 0}, {5, 5}, {10, 0}};
  CGeBezier bez;
  ASSERT_EQ(bez.Create(3, pts), 1);
  const double a[2] = {-1, 2.5}, b[2] = {11, 2.5};
  CGeLine line(a, b);
  const auto recs = Inter(&line, &bez);
  ASSERT_EQ(recs.size(), 2u);
  EXPECT_EQ(recs[0].seg1, 1);
  EXPECT_EQ(recs[0].seg2, 1);
  EXPECT_EQ(recs[1].seg2, 2);
  for (const auto& r : recs) {
    EXPECT_NEAR(r.y, 2.5, 1e-6);
    EXPECT_NEAR(r.t1, (r.x + 1) / 12, 1e-6);
    EXPECT_EQ(r.sub1, 1);
    EXPECT_EQ(r.sub2, 1);
  }
  EXPECT_LT(recs[0].x, 5.0);
  EXPECT_GT(recs[1].x, 5.0);
  // A line stopping short of the curve gives nothing although its carrier crosses it.
  const double c[2] = {-1, 2.5}, d[2] = {0.5, 2.5};
  CGeLine shortLine(c, d);
  EXPECT_TRUE(Inter(&shortLine, &bez).empty());
  EXPECT_TRUE(Inter(&bez, &bez).empty());
}

}  // namespace
