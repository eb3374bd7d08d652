// Composite and loop editing that rebuilds runs of pieces: refining, merging, leaning,
// conversion to a polyline or to Beziers, and polyline members.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <numbers>

#include "geometry/shapes2d/GeArc.h"
#include "geometry/shapes2d/GeBezier.h"
#include "geometry/shapes2d/GeCombCurve.h"
#include "geometry/shapes2d/GeLine.h"
#include "geometry/shapes2d/GeLoop.h"
#include "geometry/shapes2d/GePolyline.h"
#include "support/VurodeFixture.h"

namespace {

CGeLine* Line(double x0, double y0, double x1, double y1) {
  const double a[2] = {x0, y0}, b[2] = {x1, y1};
  return new CGeLine(a, b);
}

CGeBezier* Bezier(const double (*nodes)[2]) {
  auto* bez = new CGeBezier;
  EXPECT_EQ(bez->CreateEx(4, nodes), 1);
  return bez;
}

CGeArc* Arc(double cx, double cy, double r, double a0, double a1) {
  auto* arc = new CGeArc;
  const double c[2] = {cx, cy};
  arc->CreateCSEAngle(c, r, a0, a1);
  return arc;
}

CGePolyline* Poly(std::initializer_list<std::array<double, 2>> pts) {
  std::vector<std::array<double, 2>> v(pts);
  auto* poly = new CGePolyline;
  poly->Create(static_cast<int>(v.size()), reinterpret_cast<const double(*)[2]>(v.data()));
  return poly;
}

using CombCurveEditTest = VurodeTest;

TEST_F(CombCurveEditTest, RefineJoinsRunsOfLikePieces) {
  CGeCombCurve comb;
  const double b1[4][2] = {{1, 1}, {1.3, 1.2}, {1.7, 1.2}, {2, 1}};
  const double b2[4][2] = {{2, 1}, {2.3, 0.8}, {2.7, 0.8}, {3, 1}};
  comb.AddTail(Line(0, 0, 1, 0), 0);
  comb.AddTail(Line(1, 0, 1, 1), 0);
  comb.AddTail(Bezier(b1), 0);
  comb.AddTail(Bezier(b2), 0);
  CGeArc* arc = Arc(4, 1, 1, std::numbers::pi, 2 * std::numbers::pi);
  comb.AddTail(arc, 0);
  const double length = comb.EvTotalArcLength();
  comb.Refine();
  ASSERT_EQ(comb.GetSegmentCount(), 3);
  auto* poly = dynamic_cast<CGePolyline*>(comb.GetSubCurve(1));
  auto* bez = dynamic_cast<CGeBezier*>(comb.GetSubCurve(2));
  ASSERT_TRUE(poly && bez);
  EXPECT_EQ(poly->GetCount(), 3);
  EXPECT_EQ(bez->GetNodeCount(), 7);
  EXPECT_EQ(comb.GetSubCurve(3), arc);
  EXPECT_NEAR(comb.EvTotalArcLength(), length, 1e-5);
  EXPECT_EQ(comb.IsLinked(), 1);
}

TEST_F(CombCurveEditTest, RefineKeepsALoneLineItPassesThrough) {
  // A line right before an arc goes into the result as it is; it must survive.
  CGeCombCurve comb;
  CGeLine* line = Line(2, 1, 3, 1);
  CGeArc* arc = Arc(4, 1, 1, std::numbers::pi, 2 * std::numbers::pi);
  comb.AddTail(line, 0);
  comb.AddTail(arc, 0);
  comb.Refine();
  ASSERT_EQ(comb.GetSegmentCount(), 2);
  EXPECT_EQ(comb.GetSubCurve(1), line);
  double e[2];
  comb.GetSubCurve(1)->GetEndPoint(e);
  EXPECT_EQ(e[0], 3.0);
  CGeCombCurve one;
  CGeLine* only = Line(0, 0, 1, 0);
  one.AddTail(only, 0);
  one.Refine();
  EXPECT_EQ(one.GetSubCurve(1), only);
}

TEST_F(CombCurveEditTest, MergeKeepsOrderAndPassesTheClosedFlag) {
  CGeCombCurve comb;
  comb.m_nClosed = 1;
  CGePolyline* poly = Poly({{0, 0}, {1, 0}, {1, 1}, {0, 0}});
  comb.m_CurveList.AddTail(static_cast<CGeCurve*>(nullptr));
  comb.m_CurveList.AddTail(poly);
  comb.MergeSubCurve();
  ASSERT_EQ(comb.GetSegmentCount(), 1);
  EXPECT_EQ(comb.GetSubCurve(1), poly);
  EXPECT_EQ(poly->m_nClosed, 1);

  CGeCombCurve mixed;
  CGeCurve* pieces[] = {Line(0, 0, 1, 0), Line(1, 0, 1, 1), Arc(1, 2, 1, -std::numbers::pi / 2, 0)};
  for (CGeCurve* c : pieces) mixed.AddTail(c, 0);
  mixed.MergeSubCurve();
  // The two lines become one polyline through their three points; the arc stays.
  ASSERT_EQ(mixed.GetSegmentCount(), 2);
  EXPECT_EQ(mixed.GetSubCurve(1)->GetType(), GE_TYPE_POLYLINE);
  EXPECT_EQ(mixed.GetSubCurve(1)->m_nSWPoint, 3);
  EXPECT_EQ(mixed.GetSubCurve(2)->GetType(), GE_TYPE_ARC);
  mixed.Lean(0.01, 0.1);
  ASSERT_EQ(mixed.GetSegmentCount(), 2);
  EXPECT_EQ(mixed.IsLinked(), 1);
}

TEST_F(CombCurveEditTest, DiscretToPolyLineClosesClosedChains) {
  CGeCombCurve square;
  square.AddTail(Line(0, 0, 2, 0), 0);
  square.AddTail(Line(2, 0, 2, 2), 0);
  square.AddTail(Line(2, 2, 0, 2), 0);
  square.AddTail(Line(0, 2, 0, 0.001), 0);
  std::unique_ptr<CGePolyline> poly(square.DiscretToPolyLine(0.01, 2.9670597283898));
  ASSERT_NE(poly, nullptr);
  ASSERT_EQ(poly->GetCount(), 5);
  double first[2], last[2];
  poly->GetPoint(0, first);
  poly->GetPoint(4, last);
  EXPECT_EQ(first[0], last[0]);
  EXPECT_EQ(first[1], last[1]);
  EXPECT_NEAR(poly->EvArea(), 4.0, 1e-6);
  CGeCombCurve empty;
  EXPECT_EQ(empty.DiscretToPolyLine(0.01, 1.0), nullptr);
}

TEST_F(CombCurveEditTest, ToBezierReturnsItselfOrANewComposite) {
  CGeCombCurve comb;
  comb.m_nClosed = 1;
  const double b[4][2] = {{1, 0}, {1.3, 0.2}, {1.7, 0.2}, {2, 0}};
  CGeLine* line = Line(0, 0, 1, 0);
  comb.AddTail(line, 0);
  comb.AddTail(Bezier(b), 0);
  EXPECT_EQ(comb.ToBezier(2), &comb);
  std::unique_ptr<CGeCombCurve> out(comb.ToBezier(1));
  ASSERT_NE(out.get(), &comb);
  EXPECT_EQ(out->m_nClosed, 1);
  ASSERT_GE(out->GetSegmentCount(), 1);
  CGeCurve* last = out->GetSubCurve(out->GetSegmentCount());
  EXPECT_EQ(last->GetType(), GE_TYPE_BEZIER);  // a copy of the second entry
  EXPECT_NE(last, comb.GetSubCurve(2));
  EXPECT_EQ(comb.GetSubCurve(1), line);
}

TEST_F(CombCurveEditTest, LoopLeanSimplifiesAPolylineAndMergesConcentricArcs) {
  CGeLoop poly;
  poly.AddTail(Poly({{0, 0}, {1, 0}, {2, 0}, {3, 0}, {3, 3}, {0, 3}, {0, 0}}), 0);
  poly.Lean(0.01, 0.1);
  ASSERT_EQ(poly.GetSegmentCount(), 1);
  EXPECT_EQ(static_cast<CGePolyline*>(poly.GetSubCurve(1))->GetCount(), 5);

  // A line closing two arcs of one circle: the line is left alone, the arcs become one.
  CGeLoop half;
  CGeLine* line = Line(-1, 0, 1, 0);
  half.AddTail(line, 0);
  half.AddTail(Arc(0, 0, 1, 0, std::numbers::pi / 2), 0);
  half.AddTail(Arc(0, 0, 1, std::numbers::pi / 2, std::numbers::pi), 0);
  half.Lean(0.01, 0.1);
  ASSERT_EQ(half.GetSegmentCount(), 2);
  EXPECT_EQ(half.GetSubCurve(1), line);
  EXPECT_NEAR(static_cast<CGeArc*>(half.GetSubCurve(2))->m_dSweep, std::numbers::pi, 1e-9);
}

TEST_F(CombCurveEditTest, PolylineMembersSplitIntoLinesOrGiveUpSegments) {
  CGeLoop loop;
  loop.AddTail(Poly({{0, 0}, {2, 0}, {2, 0}, {2, 2}, {0, 2}, {0, 0}}), 0);
  loop.SeperatePolyline();
  EXPECT_EQ(loop.GetSegmentCount(), 4);  // the repeated vertex gives no line
  EXPECT_EQ(loop.GetSubCurve(1)->GetType(), GE_TYPE_LINE);

  // Counter-clockwise square as one polyline; turn 0 walks off every left-turning corner,
  // a segment at a time, then starts halfway along a side.
  CGeLoop square;
  square.AddTail(Poly({{0, 0}, {2, 0}, {2, 2}, {0, 2}, {0, 0}}), 0);
  EXPECT_EQ(square.AdjustStartPointToOuterNode(0), 1);
  EXPECT_EQ(square.IsLoop(0.01), 1);
  double s[2];
  square.GetStartPoint(s);
  const bool midSide = (s[0] == 1.0 && (s[1] == 0.0 || s[1] == 2.0)) ||
                       (s[1] == 1.0 && (s[0] == 0.0 || s[0] == 2.0));
  EXPECT_TRUE(midSide) << s[0] << "," << s[1];
  square.Discrete(0.01);
  EXPECT_NEAR(square.EvArea(0.01), 4.0, 1e-9);
}

}  // namespace
