// Polyline intersections: acceptance at segment ends, record order, clip box, and every
// curve kind against dense sampling.
#include <gtest/gtest.h>

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
#include "geometry/shapes2d/GePolyline.h"
#include "support/VurodeFixture.h"
#include "tests/geometry/tools/CurveInterTestUtil.h"

namespace {

using citest::Inter;
std::unique_ptr<CGePolyline> PLine(std::vector<std::array<double, 2>> pts) {
  auto pl = std::make_unique<CGePolyline>();
  EXPECT_EQ(pl->Create(int(pts.size()), reinterpret_cast<const double(*)[2]>(pts.data())), 1);
  return pl;
}

// A random walk of n steps inside [-10, 10]^2.
std::unique_ptr<CGePolyline> Walk(std::mt19937& rng, int n, double step) {
  std::uniform_real_distribution<double> ang(-std::numbers::pi, std::numbers::pi), u(-8, 8);
  std::vector<std::array<double, 2>> pts{{u(rng), u(rng)}};
  for (int i = 0; i < n; ++i) {
    const auto& p = pts.back();
    const double a = ang(rng);
    std::array<double, 2> q = {p[0] + step * std::cos(a), p[1] + step * std::sin(a)};
    q[0] = std::clamp(q[0], -10.0, 10.0);
    q[1] = std::clamp(q[1], -10.0, 10.0);
    pts.push_back(q);
  }
  return PLine(pts);
}

using CurveInterPLineTest = VurodeTest;

TEST_F(CurveInterPLineTest, LineThroughAVertexGivesBothSegments) {
  auto pl = PLine({{0, 0}, {2, 2}, {4, 0}});
  const double a[2] = {2, -1}, b[2] = {2, 5};
  CGeLine line(a, b);
  const auto recs = Inter(&line, pl.get());
  ASSERT_EQ(recs.size(), 2u);
  EXPECT_EQ(recs[0].seg2, 1);
  EXPECT_NEAR(recs[0].t2, 1.0, 1e-12);
  EXPECT_EQ(recs[1].seg2, 2);
  EXPECT_NEAR(recs[1].t2, 0.0, 1e-12);
  for (const auto& r : recs) EXPECT_NEAR(r.t1, 0.5, 1e-12);
  citest::ExpectSwapSymmetric(&line, pl.get(), 0);
}

TEST_F(CurveInterPLineTest, ArcsAllowNoSlackBeyondASegmentEndCirclesDo) {
  // The circle of radius 5 meets the segment's carrier at parameter 1.0000001.
  const double o[2] = {0, 0};
  auto pl = PLine({{0, 0}, {5 / 1.0000001, 0}});
  CGeCircle cir(o, 5, 1);
  CGeArc arc;
  ASSERT_EQ(arc.CreateCSEAngle(o, 5, -1, 1), 1);
  const auto withCircle = Inter(&cir, pl.get());
  ASSERT_EQ(withCircle.size(), 1u);
  EXPECT_NEAR(withCircle[0].t2, 1.0000001, 1e-9);
  EXPECT_TRUE(Inter(&arc, pl.get()).empty());
  EXPECT_TRUE(Inter(pl.get(), &arc).empty());
}

TEST_F(CurveInterPLineTest, EveryKindAgainstAPolylineMatchesSampling) {
  std::mt19937 rng(41);
  std::uniform_real_distribution<double> u(-6, 6), r(2, 6), ang(-std::numbers::pi, std::numbers::pi);
  int checked = 0;
  for (int i = 0; i < 25; ++i) {
    auto pl = Walk(rng, 30, 2.5);
    auto other = Walk(rng, 30, 2.5);
    const double p0[2] = {u(rng), u(rng)}, p1[2] = {u(rng), u(rng)}, c[2] = {u(rng), u(rng)};
    CGeLine line(p0, p1);
    CGeArc arc;
    ASSERT_EQ(arc.CreateCSEAngle(c, r(rng), ang(rng), ang(rng)), 1);
    CGeCircle cir(c, r(rng), i % 2);
    const double ea = r(rng);
    CGeEllipse ell(c, ea, ea * 0.6, ang(rng), (i / 2) % 2);
    double bp[4][2];
    for (auto& q : bp) q[0] = u(rng), q[1] = u(rng);
    CGeBezier bez;
    ASSERT_EQ(bez.Create(4, bp), 1);
    CGeCurve* kinds[] = {&line, &arc, &cir, &ell, &bez, other.get()};
    for (CGeCurve* k : kinds) {
      SCOPED_TRACE(testing::Message() << "case " << i << " type " << k->GetType());
      for (auto [x, y] : {std::pair<CGeCurve*, CGeCurve*>{k, pl.get()}, {pl.get(), k}}) {
        if (citest::ExpectMatchesSampling(x, y, 600, 2e-3)) ++checked;
        citest::ExpectOnBoth(x, y, Inter(x, y), 0.006);  // arcs snap near their ends
      }
      citest::ExpectSwapSymmetric(k, pl.get(), 1e-9);
    }
  }
  EXPECT_GT(checked, 80);
}

TEST_F(CurveInterPLineTest, LongPolylinesKeepTheOrderOfAFullDoubleLoop) {
  std::mt19937 rng(43);
  auto a = Walk(rng, 600, 0.7), b = Walk(rng, 600, 0.7);
  const auto recs = Inter(a.get(), b.get());
  ASSERT_GT(recs.size(), 20u);
  // Segment pairs tried by brute force in the same order give the same records.
  std::vector<std::array<double, 4>> brute;  // i, j, x, y
  for (int i = 1; i < a->m_nSWPoint; ++i) {
    for (int j = 1; j < b->m_nSWPoint; ++j) {
      double pt[2];
      const double *p0 = a->m_pSWPoint[i - 1], *p1 = a->m_pSWPoint[i];
      const double *q0 = b->m_pSWPoint[j - 1], *q1 = b->m_pSWPoint[j];
      if (Inter_LineLineEx(p0, p1, q0, q1, 1e-6, 0.001, pt) != INTER_POINT) continue;
      const double s = L2D_GetParam(p0, p1, pt), t = L2D_GetParam(q0, q1, pt);
      if (s < -1e-6 || s > 1 + 1e-6 || t < -1e-6 || t > 1 + 1e-6) continue;
      brute.push_back({double(i), double(j), pt[0], pt[1]});
    }
  }
  ASSERT_EQ(recs.size(), brute.size());
  for (size_t k = 0; k < recs.size(); ++k) {
    EXPECT_EQ(recs[k].seg1, int(brute[k][0]));
    EXPECT_EQ(recs[k].seg2, int(brute[k][1]));
    EXPECT_EQ(recs[k].x, brute[k][2]);
    EXPECT_EQ(recs[k].y, brute[k][3]);
  }
  citest::ExpectOnBoth(a.get(), b.get(), recs, 1e-9);
}

TEST_F(CurveInterPLineTest, ClipBoxKeepsOnlySegmentsNearIt) {
  std::mt19937 rng(47);
  auto a = Walk(rng, 200, 1.0), b = Walk(rng, 200, 1.0);
  CInterPntArray all, clipped;
  CCurveInter ci;
  ci.PLinePLine(a.get(), b.get(), nullptr, &all);
  ASSERT_GT(all.GetSize(), 10);
  // Clip to the left half of the crossings' spread.
  double lo = 1e9, hi = -1e9;
  for (INT_PTR k = 0; k < all.GetSize(); ++k) lo = std::min(lo, all[k].x), hi = std::max(hi, all[k].x);
  _tagBox2D clip = {{-20, -20}, {(lo + hi) / 2, 20}};
  ci.PLinePLine(a.get(), b.get(), &clip, &clipped);
  auto meets = [&](CGePolyline* p, int seg) {
    _tagBox2D box;
    L2D_GetBox(p->m_pSWPoint[seg - 1], p->m_pSWPoint[seg], &box);
    return BOX2D_IsInt(&box, &clip, 0.01) != 0;
  };
  std::vector<_tagInterPnt> expect;
  for (INT_PTR k = 0; k < all.GetSize(); ++k)
    if (meets(a.get(), all[k].seg1) && meets(b.get(), all[k].seg2)) expect.push_back(all[k]);
  ASSERT_GT(expect.size(), 3u);
  ASSERT_LT(expect.size(), size_t(all.GetSize()));
  ASSERT_EQ(size_t(clipped.GetSize()), expect.size());
  for (size_t k = 0; k < expect.size(); ++k) {
    EXPECT_EQ(clipped[INT_PTR(k)].seg1, expect[k].seg1);
    EXPECT_EQ(clipped[INT_PTR(k)].seg2, expect[k].seg2);
  }
  EXPECT_EQ(ci.PLinePLine(a.get(), a.get(), nullptr, &all), 0);
}

}  // namespace
