// The closed 3D loop: cached area and orientation, point and loop containment in xy, and the
// ownership of its sub-curves.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <memory>
#include <utility>
#include <vector>
#include <numbers>

#include "geometry/shapes3d/GeLoop3d.h"
#include "geometry/shapes3d/GeArc3d.h"
#include "geometry/shapes3d/GeCombCurve3d.h"
#include "geometry/shapes3d/GeLine3d.h"
#include "geometry/shapes3d/GePolyline3d.h"
#include "support/ShoelaceArea.h"

namespace {
// Closed polygon of 3D lines through the corners, in order.
std::unique_ptr<CGeLoop3d> Polygon(std::initializer_list<std::array<double, 3>> corners) {
  std::vector<std::array<double, 3>> v(corners);
  auto loop = std::make_unique<CGeLoop3d>();
  for (size_t i = 0; i < v.size(); ++i)
    loop->AddTail(new CGeLine3d(v[i].data(), v[(i + 1) % v.size()].data()));
  return loop;
}

// Shoelace area of the corners, the independent answer.
double Shoelace(std::initializer_list<std::array<double, 3>> corners) {
  std::vector<std::array<double, 3>> v(corners);
  return shoelace::Area(v.size(), [&](size_t i) { return std::pair(v[i][0], v[i][1]); });
}

TEST(GeLoop3d, AreaFollowsOrientationAndReversal) {
  const auto ccw = {std::array<double, 3>{0, 0, 2}, {5, 0, 2}, {5, 1, 3}, {2, 4, 1}, {0, 3, 2}};
  auto loop = Polygon(ccw);
  EXPECT_EQ(loop->m_dArea, 0.0);
  const double area = Shoelace(ccw);
  ASSERT_GT(area, 0.0);
  EXPECT_NEAR(loop->EvArea(0.01), area, 1e-9);
  EXPECT_NEAR(loop->m_dArea, area, 1e-9);

  // Reversal flips the cached area at once, and a fresh evaluation agrees.
  loop->Reverse();
  EXPECT_NEAR(loop->m_dArea, -area, 1e-9);
  double s[3], e[3];
  loop->GetSubCurve(1)->GetStartPoint(s);
  loop->GetSubCurve(1)->GetEndPoint(e);
  // The chain runs the other way round and stays linked.
  EXPECT_EQ(s[0], 0.0);
  EXPECT_EQ(s[1], 0.0);
  EXPECT_EQ(e[0], 0.0);
  EXPECT_EQ(e[1], 3.0);
  EXPECT_EQ(loop->IsLoop3d(0.01), 1);
  EXPECT_NEAR(loop->EvArea(0.01), -area, 1e-9);

  // A full circle: the area of its discretisation, within the chord error of the tolerance.
  CGeLoop3d circle;
  auto* arc = new CGeArc3d;
  const double c[3] = {1, 1, 0};
  ASSERT_TRUE(arc->CreateCricleXY(c, 3.0));
  arc->DiscreteMe(0.001);
  circle.AddTail(arc);
  EXPECT_NEAR(circle.EvArea(0.001), std::numbers::pi * 9.0, 2 * std::numbers::pi * 3.0 * 0.001);
}

TEST(GeLoop3d, EmptyLoopHasNoAreaAndKeepsItsCache) {
  CGeLoop3d loop;
  loop.m_dArea = 7.0;
  EXPECT_EQ(loop.EvArea(0.01), 1e12);
  EXPECT_EQ(loop.m_dArea, 7.0);
  EXPECT_EQ(loop.IsLoop3d(0.01), 0);
  const double pt[2] = {0, 0};
  EXPECT_EQ(loop.IsPtInLoop(pt, 0.01), 1);
  EXPECT_FALSE(loop.IsContainLoop(&loop, 0.01));
}

TEST(GeLoop3d, LoopTestNeedsLinkedAndClosed) {
  auto closed = Polygon({{0, 0, 0}, {2, 0, 0}, {2, 2, 1}});
  EXPECT_EQ(closed->IsLoop3d(0.01), 1);
  CGeLoop3d open;
  const double a[3] = {0, 0, 0}, b[3] = {2, 0, 0}, c[3] = {2, 2, 0};
  open.AddTail(new CGeLine3d(a, b));
  open.AddTail(new CGeLine3d(b, c));
  EXPECT_EQ(open.IsLoop3d(0.01), 0);
  // The same outline with a gap in the middle is no loop either.
  CGeLoop3d gap;
  const double b2[3] = {2, 0.5, 0};
  gap.AddTail(new CGeLine3d(a, b));
  gap.AddTail(new CGeLine3d(b2, c));
  gap.AddTail(new CGeLine3d(c, a));
  EXPECT_EQ(gap.IsLoop3d(0.01), 0);
}

TEST(GeLoop3d, PointsAreJudgedInPlanView) {
  // A square whose corners sit at different heights: only x and y count.
  auto sq = Polygon({{0, 0, 0}, {4, 0, 5}, {4, 4, -3}, {0, 4, 1}});
  struct Probe {
    double x, y;
    int want;
  };
  const Probe probes[] = {{2, 2, 0},     {0.5, 3.9, 0}, {5, 2, 1},  {-0.5, 0, 1}, {2, 4.5, 1},
                          {4, 2, 2},     {0, 0, 2},     {2, 0, 2},  {2, 4.005, 2}};
  for (const Probe& p : probes) {
    const double pt[2] = {p.x, p.y};
    EXPECT_EQ(sq->IsPtInLoop(pt, 0.01), p.want) << p.x << ", " << p.y;
  }
  // Orientation does not change the answer.
  sq->Reverse();
  const double inside[2] = {1, 1};
  EXPECT_EQ(sq->IsPtInLoop(inside, 0.01), 0);
}

TEST(GeLoop3d, ContainmentOfLoops) {
  auto outer = Polygon({{0, 0, 0}, {10, 0, 0}, {10, 10, 0}, {0, 10, 0}});
  auto inner = Polygon({{2, 2, 7}, {5, 2, 7}, {5, 5, 7}, {2, 5, 7}});
  auto overlapping = Polygon({{8, 8, 0}, {12, 8, 0}, {12, 12, 0}, {8, 12, 0}});
  EXPECT_TRUE(outer->IsContainLoop(inner.get(), 0.01));
  EXPECT_FALSE(inner->IsContainLoop(outer.get(), 0.01));
  EXPECT_FALSE(outer->IsContainLoop(overlapping.get(), 0.01));
  EXPECT_FALSE(outer->IsContainLoop(nullptr, 0.01));
}

TEST(GeLoop3d, CopyIsDeepAndLeavesTheAreaBehind) {
  auto loop = Polygon({{0, 0, 0}, {3, 0, 0}, {0, 3, 0}});
  loop->m_CurveList.AddTail(static_cast<CGeCurve3d*>(nullptr));
  loop->EvArea(0.01);
  std::unique_ptr<CGeLoop3d> copy(loop->Copy());
  ASSERT_TRUE(copy);
  EXPECT_EQ(copy->GetType(), GE_TYPE_LOOP3D);
  EXPECT_EQ(copy->m_dArea, 0.0);
  ASSERT_EQ(copy->m_CurveList.GetCount(), 3);
  EXPECT_NE(copy->GetSubCurve(1), loop->GetSubCurve(1));
  EXPECT_NEAR(copy->EvArea(0.01), 4.5, 1e-9);
  // Deleting the original must not touch the copy's curves (the sanitizer build checks).
  loop.reset();
  EXPECT_NEAR(copy->EvTotalArcLength(), 6.0 + 3.0 * std::sqrt(2.0), 1e-9);
}

TEST(GeLoop3d, LengthsInSpaceAndInPlan) {
  // A triangle with one rising edge: (0,0,0)-(3,0,4) is 5 long in space and 3 in plan.
  auto loop = Polygon({{0, 0, 0}, {3, 0, 4}, {3, 4, 4}});
  const double plan = 3.0 + 4.0 + 5.0;
  const double space = 5.0 + 4.0 + std::sqrt(9.0 + 16.0 + 16.0);
  EXPECT_NEAR(loop->EvTotalArcLength(), space, 1e-9);
  EXPECT_NEAR(loop->EvTotalArcLength2D(), plan, 1e-9);
}

TEST(GeLoop3d, AddingAndSeparatingComposites) {
  const double p[4][3] = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}};
  auto* comb = new CGeCombCurve3d;
  for (int i = 0; i < 3; ++i) comb->AddTail(new CGeLine3d(p[i], p[i + 1]));
  CGeLoop3d loop;
  loop.AddTail(comb);  // kept whole: no flattening on adding
  loop.AddTail(nullptr);
  loop.AddHead(nullptr);
  loop.AddTail(new CGeLine3d(p[3], p[0]));
  ASSERT_EQ(loop.m_CurveList.GetCount(), 2);
  EXPECT_EQ(loop.m_CurveList.GetHead(), comb);

  loop.SeperateComCurve();
  ASSERT_EQ(loop.m_CurveList.GetCount(), 4);
  int i = 0;
  for (POSITION pos = loop.m_CurveList.GetHeadPosition(); pos; ++i) {
    CGeCurve3d* c = loop.m_CurveList.GetNext(pos);
    ASSERT_EQ(c->GetType(), GE_TYPE_LINE3D);
    double s[3];
    c->GetStartPoint(s);
    EXPECT_EQ(s[0], p[i][0]);
    EXPECT_EQ(s[1], p[i][1]);
  }
  EXPECT_EQ(loop.IsLoop3d(0.01), 1);
  EXPECT_NEAR(loop.EvArea(0.01), 1.0, 1e-9);
}

}  // namespace
