// Line, arc, circle and ellipse pairs against closed forms; records on both curves in either
// order and either direction of travel.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <memory>
#include <numbers>
#include <random>
#include <vector>

#include "geometry/shapes2d/GeArc.h"
#include "geometry/shapes2d/GeBezier.h"
#include "geometry/shapes2d/GeCircle.h"
#include "geometry/shapes2d/GeEllipse.h"
#include "geometry/shapes2d/GeLine.h"
#include "support/VurodeFixture.h"
#include "tests/geometry/tools/CurveInterTestUtil.h"

namespace {

using citest::Inter;
using Pt = std::array<double, 2>;
Pt Rot(const Pt& p, double ang) {
  const double c = std::cos(ang), s = std::sin(ang);
  return {c * p[0] - s * p[1], s * p[0] + c * p[1]};
}

// The records' points equal the expected set (any order) within tol.
void ExpectPoints(const std::vector<_tagInterPnt>& recs, std::vector<Pt> expect, double tol) {
  ASSERT_EQ(recs.size(), expect.size());
  for (const auto& r : recs) {
    auto it = std::find_if(expect.begin(), expect.end(),
                           [&](const Pt& p) { return std::hypot(p[0] - r.x, p[1] - r.y) < tol; });
    ASSERT_NE(it, expect.end()) << "unexpected point (" << r.x << ", " << r.y << ")";
    expect.erase(it);
  }
}

using CurveInterConicTest = VurodeTest;

TEST_F(CurveInterConicTest, PairsMatchClosedForms) {
  // Each case is built about the origin and then turned by `turn` (the answers with it), and
  // run with both directions of travel of the closed curves.
  const double a = 5, b = 3;
  const double xCE = std::sqrt((1 - 16.0 / (b * b)) / (1 / (a * a) - 1 / (b * b)));
  const double yCE = std::sqrt(16.0 - xCE * xCE);
  const double q = a * b / std::sqrt(a * a + b * b);
  const double h = 2.0, xLE = a * std::sqrt(1 - (h / b) * (h / b));
  for (double turn : {0.0, 0.7}) {
    for (int dir : {1, 0}) {
      SCOPED_TRACE(testing::Message() << "turn " << turn << " dir " << dir);
      const Pt o = {0, 0};
      const Pt c2 = Rot({6, 0}, turn);
      CGeCircle c5(o.data(), 5, dir), c5b(c2.data(), 5, 1 - dir), c4(o.data(), 4, dir);
      CGeEllipse e(o.data(), a, b, turn, dir), eT(o.data(), b, a, turn, 1 - dir);
      const Pt l0 = Rot({-10, h}, turn), l1 = Rot({10, h}, turn);
      CGeLine line(l0.data(), l1.data());
      const Pt u = Rot({3, 4}, turn), v = Rot({3, -4}, turn);
      struct Case {
        const char* name;
        CGeCurve *c1, *c2;
        std::vector<Pt> expect;
      } cases[] = {
          {"line circle", &line, &c5,
           {Rot({-std::sqrt(21.0), h}, turn), Rot({std::sqrt(21.0), h}, turn)}},
          {"circle circle", &c5, &c5b, {u, v}},
          {"line ellipse", &line, &e, {Rot({-xLE, h}, turn), Rot({xLE, h}, turn)}},
          {"circle ellipse", &c4, &e,
           {Rot({xCE, yCE}, turn), Rot({-xCE, yCE}, turn), Rot({xCE, -yCE}, turn),
            Rot({-xCE, -yCE}, turn)}},
          {"ellipse ellipse", &e, &eT,
           {Rot({q, q}, turn), Rot({-q, q}, turn), Rot({q, -q}, turn), Rot({-q, -q}, turn)}},
      };
      for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        for (auto [x, y] : {std::pair{c.c1, c.c2}, std::pair{c.c2, c.c1}}) {
          const auto recs = Inter(x, y);
          ExpectPoints(recs, c.expect, 1e-6);
          citest::ExpectOnBoth(x, y, recs, 1e-6);
        }
        citest::ExpectSwapSymmetric(c.c1, c.c2, 1e-6);
      }
    }
  }
}

TEST_F(CurveInterConicTest, ArcsKeepOnlyTheirOwnPart) {
  const double o[2] = {0, 0}, c6[2] = {6, 0};
  CGeCircle cir(c6, 5, 1);
  CGeEllipse ell(o, 5, 3, 0.0, 0);
  CGeArc upper;
  ASSERT_EQ(upper.CreateCSEAngle(o, 5, 0.0, std::numbers::pi), 1);
  CGeArc lowerCw;
  ASSERT_EQ(lowerCw.CreateCSEAngle(o, 5, 2 * std::numbers::pi - 0.1, std::numbers::pi + 0.1), 1);
  ASSERT_LT(lowerCw.m_dSweep, 0.0);
  // The circle crosses the full circle of radius 5 at (3, ±4); the ellipse touches it at (±5, 0).
  struct Case {
    CGeArc* arc;
    CGeCurve* other;
    std::vector<Pt> expect;
  } cases[] = {
      {&upper, &cir, {{3, 4}}},
      {&lowerCw, &cir, {{3, -4}}},
      {&upper, &ell, {{5, 0}, {-5, 0}}},
      {&lowerCw, &ell, {}},
  };
  for (const Case& c : cases) {
    for (auto [x, y] : {std::pair<CGeCurve*, CGeCurve*>{c.arc, c.other}, {c.other, c.arc}}) {
      const auto recs = Inter(x, y);
      ExpectPoints(recs, c.expect, 1e-5);
      citest::ExpectOnBoth(x, y, recs, 1e-5);
    }
  }
  EXPECT_TRUE(Inter(&cir, &cir).empty());
  EXPECT_TRUE(Inter(&ell, &ell).empty());
}

TEST_F(CurveInterConicTest, RandomConicPairsLieOnBothCurves) {
  std::mt19937 rng(23);
  std::uniform_real_distribution<double> u(-5, 5), r(1, 6), ang(-std::numbers::pi, std::numbers::pi);
  int total = 0;
  for (int i = 0; i < 150; ++i) {
    const double c1[2] = {u(rng), u(rng)}, c2[2] = {u(rng), u(rng)}, c3[2] = {u(rng), u(rng)};
    const double p0[2] = {u(rng) * 2, u(rng) * 2}, p1[2] = {u(rng) * 2, u(rng) * 2};
    CGeLine line(p0, p1);
    CGeArc arc;
    ASSERT_EQ(arc.CreateCSEAngle(c1, r(rng), ang(rng), ang(rng)), 1);
    CGeCircle cir(c2, r(rng), i % 2);
    CGeEllipse ell(c3, r(rng), r(rng), ang(rng), (i / 2) % 2);
    const double c4[2] = {u(rng), u(rng)};
    CGeEllipse ell2(c4, r(rng), r(rng), ang(rng), 1);
    CGeCurve* curves[] = {&line, &arc, &cir, &ell, &ell2};
    for (CGeCurve* x : curves) {
      for (CGeCurve* y : curves) {
        if (x == y) continue;
        const auto recs = Inter(x, y);
        total += int(recs.size());
        citest::ExpectOnBoth(x, y, recs, 0.006);  // arcs snap points near their ends
      }
    }
  }
  EXPECT_GT(total, 500);
}

TEST_F(CurveInterConicTest, BezierAgainstCirclesAndEllipsesMatchesSampling) {
  std::mt19937 rng(31);
  std::uniform_real_distribution<double> u(-6, 6), r(1, 7), ang(-std::numbers::pi, std::numbers::pi);
  int checked = 0;
  for (int i = 0; i < 40; ++i) {
    double p[4][2];
    for (auto& q : p) q[0] = u(rng), q[1] = u(rng);
    CGeBezier bez;
    ASSERT_EQ(bez.Create(4, p), 1);
    const double c[2] = {u(rng) / 2, u(rng) / 2};
    CGeCircle cir(c, r(rng), i % 2);
    // Moderately flat ellipses keep the sampled chain within the matching tolerance.
    const double ea = 2 + r(rng) / 2, eb = ea * (0.5 + r(rng) / 14);
    CGeEllipse ell(c, ea, eb, ang(rng), (i / 2) % 2);
    for (CGeCurve* other : {static_cast<CGeCurve*>(&cir), static_cast<CGeCurve*>(&ell)}) {
      for (auto [x, y] : {std::pair<CGeCurve*, CGeCurve*>{other, &bez}, {&bez, other}}) {
        if (citest::ExpectMatchesSampling(x, y, 300, 3e-3)) ++checked;
        citest::ExpectOnBoth(x, y, Inter(x, y), 1e-5);
      }
      citest::ExpectSwapSymmetric(other, &bez, 1e-9);
    }
  }
  EXPECT_GT(checked, 80);
}

TEST_F(CurveInterConicTest, OneBezierSegmentCrossingAnEllipseFourTimesGivesFourRecords) {
  // An S-shaped segment from inside a flat ellipse: out over the top, back in, out under the
  // bottom and back in.
  const double o[2] = {0, 0};
  CGeEllipse ell(o, 6, 1, 0.0, 1);
  const double nodes[4][2] = {{-3, 0}, {-1, 6}, {1, -6}, {3, 0}};
  CGeBezier bez;
  ASSERT_EQ(bez.CreateEx(4, nodes), 1);
  ASSERT_EQ(bez.GetSegmentCount(), 1);
  const auto recs = Inter(&ell, &bez);
  EXPECT_EQ(recs.size(), citest::BruteCrossings(&ell, &bez, 2000).pts.size());
  EXPECT_EQ(recs.size(), 4u);
  citest::ExpectOnBoth(&ell, &bez, recs, 1e-6);
}

}  // namespace
