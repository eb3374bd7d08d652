// Point strings: signed area, projection, picking, and the 3D string's bookkeeping.
#include "platform/numora/Numora.h"

#include <gtest/gtest.h>

#include <cmath>
#include <array>
#include <random>
#include <vector>

namespace {

using Pts = std::vector<std::array<double, 2>>;
const double (*Raw(const Pts& p))[2] { return reinterpret_cast<const double(*)[2]>(p.data()); }

TEST(SP2D, SignedAreaFollowsOrientationAndSurvivesTranslation) {
  struct { const char* name; Pts pts; double area; } cases[] = {
      {"ccw_square", {{0, 0}, {2, 0}, {2, 2}, {0, 2}}, 4},
      {"closed_repeat", {{0, 0}, {2, 0}, {2, 2}, {0, 2}, {0, 0}}, 4},
      {"cw_triangle", {{0, 0}, {0, 3}, {4, 0}}, -6},
      {"concave_L", {{0, 0}, {3, 0}, {3, 1}, {1, 1}, {1, 3}, {0, 3}}, 5},
      {"degenerate", {{0, 0}, {1, 1}}, 0},
  };
  for (auto& c : cases) {
    SCOPED_TRACE(c.name);
    const int n = int(c.pts.size());
    EXPECT_NEAR(SP2D_EvArea(Raw(c.pts), n), c.area, 1e-12);
    if (c.area != 0) {
      EXPECT_EQ(std::signbit(SP2D_Orient(Raw(c.pts), n)), c.area < 0);
    }
    // Far away: same area (no cancellation from the absolute coordinates).
    Pts far = c.pts;
    for (auto& p : far) p = {p[0] + 1e7, p[1] - 3e7};
    EXPECT_NEAR(SP2D_EvArea(Raw(far), n), c.area, 1e-6);
    Pts rev = c.pts;
    SP2D_Reverse(reinterpret_cast<double(*)[2]>(rev.data()), n);
    EXPECT_NEAR(SP2D_EvArea(Raw(rev), n), -c.area, 1e-12);
  }
}

TEST(SP2D, ProjectionIsTheNearestPointOfAnyPolyline) {
  std::mt19937 rng(9);
  std::uniform_real_distribution<double> d(-5, 5);
  Pts pl;
  for (int i = 0; i < 12; ++i) pl.push_back({d(rng), d(rng)});
  for (int k = 0; k < 50; ++k) {
    const double p[2] = {d(rng), d(rng)};
    double brute = 1e300;
    for (size_t i = 1; i < pl.size(); ++i)
      for (int s = 0; s <= 2000; ++s) {
        const double u = s / 2000.0;
        const double x = pl[i - 1][0] + u * (pl[i][0] - pl[i - 1][0]);
        const double y = pl[i - 1][1] + u * (pl[i][1] - pl[i - 1][1]);
        brute = std::min(brute, std::hypot(x - p[0], y - p[1]));
      }
    double foot[2], t;
    int seg;
    ASSERT_EQ(SP2D_PrjPnt(Raw(pl), int(pl.size()), p, foot, t, seg), 1);
    ASSERT_GE(seg, 1);
    ASSERT_LT(seg, int(pl.size()));
    EXPECT_LE(std::hypot(foot[0] - p[0], foot[1] - p[1]), brute + 1e-12);
    EXPECT_NEAR(std::hypot(foot[0] - p[0], foot[1] - p[1]), brute, 1e-2);
    const double x = pl[seg - 1][0] + t * (pl[seg][0] - pl[seg - 1][0]);
    EXPECT_NEAR(x, foot[0], 1e-12);
  }
  double foot[2], t;
  int seg;
  const double p[2] = {0, 0};
  EXPECT_EQ(SP2D_PrjPnt(Raw(pl), 1, p, foot, t, seg), 0);
}

TEST(SP2D, PickFindsTheNearestSegmentWithinTheRadius) {
  const Pts pl = {{0, 0}, {10, 0}, {10, 10}};
  const double down[3] = {0, 0, -2};
  double depth, t;
  int seg;
  // A ray from above at (4, 0.3): segment 1, t 0.4, depth 5 (origin at z = 5).
  const double o1[3] = {4, 0.3, 5};
  ASSERT_EQ(SP2D_Pick3d(Raw(pl), 3, o1, down, 0.5, depth, t, seg), 1);
  EXPECT_EQ(seg, 1);
  EXPECT_NEAR(t, 0.4, 1e-12);
  EXPECT_NEAR(depth, 5, 1e-12);
  EXPECT_EQ(SP2D_Pick3d(Raw(pl), 3, o1, down, 0.2, depth, t, seg), 0);
  // Near the corner but closer to the second segment.
  const double o2[3] = {9.8, 0.5, 1};
  ASSERT_EQ(SP2D_Pick3d(Raw(pl), 3, o2, down, 1, depth, t, seg), 1);
  EXPECT_EQ(seg, 2);
  EXPECT_NEAR(t, 0.05, 1e-12);
  // An oblique ray meeting the plane at (5, 0).
  const double o3[3] = {5, -3, 4}, dir3[3] = {0, 3, -4};
  ASSERT_EQ(SP2D_Pick3d(Raw(pl), 3, o3, dir3, 1e-9, depth, t, seg), 1);
  EXPECT_NEAR(depth, 5, 1e-12);
  EXPECT_NEAR(t, 0.5, 1e-12);
  const double zero[3] = {0, 0, 0};
  EXPECT_EQ(SP2D_Pick3d(Raw(pl), 3, o1, zero, 1, depth, t, seg), 0);
}

TEST(CStrP3D, CopiesReversalMeasuresAndPick) {
  CStrP3D s;
  ASSERT_EQ(s.Create(4, true, false), 1);
  const double pts[4][3] = {{0, 0, 0}, {3, 0, 4}, {3, 4, 4}, {0, 4, 0}};
  for (int i = 0; i < 4; ++i) {
    std::copy(pts[i], pts[i] + 3, s.m_pPoints[i]);
    s.m_pParams[i] = 0.1 * i;
  }
  s.CalcBox();
  EXPECT_DOUBLE_EQ(s.m_box.max[2], 4);
  EXPECT_DOUBLE_EQ(s.EvLength(), 5 + 4 + 5);
  EXPECT_DOUBLE_EQ(s.EvLength2D(), 3 + 4 + 3);
  EXPECT_DOUBLE_EQ(s.EvArea(), 12);

  CStrP3D c;
  ASSERT_EQ(s.CopyTo(c), 1);
  s.m_pPoints[0][0] = 99;  // deep copy
  EXPECT_EQ(c.m_pPoints[0][0], 0);
  c.Reverse();
  EXPECT_DOUBLE_EQ(c.m_pPoints[0][1], 4);
  EXPECT_DOUBLE_EQ(c.EvArea(), -12);
  EXPECT_NEAR(c.m_pParams[0], 0.0, 1e-15);
  EXPECT_NEAR(c.m_pParams[1], 0.1, 1e-15);  // still increasing from the first to the last
  EXPECT_NEAR(c.m_pParams[3], 0.3, 1e-15);

  const double o[3] = {1.5, 2, 10}, down[3] = {0, 0, -1};
  double depth, t;
  int seg;
  ASSERT_EQ(c.Pick3d(o, down, 0.1, depth, t, seg), 0);  // nothing straight below within 0.1
  const double o2[3] = {3.05, 2, 10};
  ASSERT_EQ(c.Pick3d(o2, down, 0.1, depth, t, seg), 1);
  EXPECT_EQ(seg, 2);
  EXPECT_NEAR(depth, 6, 1e-12);

  const double p[3] = {3, 1, 5};
  double foot[3];
  ASSERT_EQ(SP3D_PrjPnt(&c, p, foot, t, seg), 1);
  EXPECT_EQ(seg, 2);
  EXPECT_NEAR(foot[2], 4, 1e-12);

  CStrP3D bare;
  ASSERT_EQ(bare.Create(3, false, false), 1);
  EXPECT_EQ(bare.m_pParams, nullptr);
  bare.Reverse();
  bare.Clear();
  EXPECT_EQ(bare.m_nCount, 0);
  EXPECT_EQ(BOX3D_IsValid(&bare.m_box), 0);
}

TEST(CStrP2D, AppendGrowsAndKeepsTheBox) {
  CStrP2D s;
  for (int i = 0; i < 100; ++i) {
    const double p[2] = {double(i), double(-i)};
    ASSERT_EQ(s.Append(p, i * 0.01), 1);
  }
  EXPECT_EQ(s.m_nCount, 100);
  EXPECT_DOUBLE_EQ(s.m_pParams[99], 0.99);
  _tagBox2D b;
  s.GetBox(&b);
  EXPECT_DOUBLE_EQ(b.max[0], 99);
  EXPECT_DOUBLE_EQ(b.min[1], -99);
  CStrP2D copy = s;
  s.Clear();
  EXPECT_EQ(copy.m_pPoints[42][0], 42);
}

}  // namespace
