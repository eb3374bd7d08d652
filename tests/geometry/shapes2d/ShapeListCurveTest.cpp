// Curves built from point strings and tracer records, joined and merged curve lists, and the
// sweep boundary of an arc.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <numbers>
#include <vector>

#include "geometry/shapes2d/GeArc.h"
#include "geometry/shapes2d/GeBezier.h"
#include "geometry/shapes2d/GeLine.h"
#include "geometry/shapes2d/GePolyline.h"
#include "geometry/shapes2d/ShapeListUtil.h"
#include "platform/lumbril/TraceSpline.h"
#include "support/VurodeFixture.h"
#include "support/geometry/BufferArea.h"

namespace {

using ShapeListCurve = VurodeTest;

CGeLine* Line(double x0, double y0, double x1, double y1) {
  const double s[2] = {x0, y0}, e[2] = {x1, y1};
  return new CGeLine(s, e);
}

CGePolyline* Poly(const std::vector<std::array<double, 2>>& v) {
  auto* p = new CGePolyline;
  EXPECT_EQ(p->Create(static_cast<int>(v.size()), reinterpret_cast<const double(*)[2]>(v.data())), 1);
  return p;
}

CGeArc* Arc(double cx, double cy, double r, double a0, double a1) {
  auto* arc = new CGeArc;
  const double c[2] = {cx, cy};
  EXPECT_EQ(arc->CreateCSEAngle(c, r, a0, a1), 1);
  return arc;
}

void Push(CPoint2dArray& pts, float x, float y) {
  tagPoint2d p{x, y};
  pts.Add(p);
}

std::vector<std::array<double, 2>> Points(CGeCurve* c) {
  std::vector<std::array<double, 2>> v;
  for (int i = 0; i < c->m_nSWPoint; ++i) v.push_back({c->m_pSWPoint[i][0], c->m_pSWPoint[i][1]});
  return v;
}

TEST_F(ShapeListCurve, CurveFromPointString) {
  CPoint2dArray pts;
  EXPECT_EQ(geGenCurve(nullptr), nullptr);
  Push(pts, 0, 0);
  EXPECT_EQ(geGenCurve(&pts), nullptr);
  Push(pts, 1, 0);
  std::unique_ptr<CGeCurve> line(geGenCurve(&pts));
  ASSERT_TRUE(line);
  EXPECT_EQ(line->GetType(), GE_TYPE_LINE);
  Push(pts, 1, 1);
  std::unique_ptr<CGeCurve> poly(geGenCurve(&pts));
  ASSERT_TRUE(poly);
  EXPECT_EQ(poly->GetType(), GE_TYPE_POLYLINE);
  EXPECT_EQ(poly->m_nSWPoint, 3);
}

TEST_F(ShapeListCurve, StraightBezierAndTracerBezier) {
  const double a[2] = {1, 2}, b[2] = {7, -1};
  std::unique_ptr<CGeBezier> bez(geGenBezierFrmLine(a, b));
  ASSERT_TRUE(bez);
  ASSERT_EQ(bez->m_nNode, 4);
  for (int i = 0; i < 4; ++i) {
    EXPECT_DOUBLE_EQ(bez->m_pNode[i].x, 1 + 2.0 * i);
    EXPECT_DOUBLE_EQ(bez->m_pNode[i].y, 2 - 1.0 * i);
  }
  double mid[2];
  bez->GetPointAt(0.5, mid, 1);
  EXPECT_NEAR(mid[0], 4.0, 1e-12);
  EXPECT_NEAR(mid[1], 0.5, 1e-12);

  EXPECT_EQ(geGenBezier(nullptr), nullptr);
  _at_spline_type s{};
  const float xy[4][2] = {{0, 0}, {1, 2}, {3, 2}, {4, 0}};
  for (int i = 0; i < 4; ++i) s.v[i] = {xy[i][0], xy[i][1], 9.0f};
  s.degree = 3;
  std::unique_ptr<CGeBezier> traced(geGenBezier(&s));
  ASSERT_TRUE(traced);
  ASSERT_EQ(traced->m_nNode, 4);
  EXPECT_EQ(traced->m_pNode[1].x, 1.0);
  EXPECT_EQ(traced->m_pNode[2].y, 2.0);
}

TEST_F(ShapeListCurve, CurveToPolylineFollowsTheCurve) {
  std::unique_ptr<CGeArc> arc(Arc(0, 0, 5, 0, std::numbers::pi));
  EXPECT_EQ(geCurveToPolyline(nullptr, 0.01), nullptr);
  EXPECT_EQ(geCurveToPolyline(arc.get(), -1.0), nullptr);
  std::unique_ptr<CGePolyline> poly(geCurveToPolyline(arc.get(), 0.01));
  ASSERT_TRUE(poly);
  ASSERT_GE(poly->m_nSWPoint, 10);
  for (const auto& p : Points(poly.get())) EXPECT_NEAR(std::hypot(p[0], p[1]), 5.0, 1e-6);  // float-rounded
  // Every chord stays within the tolerance of the arc.
  for (int i = 1; i < poly->m_nSWPoint; ++i) {
    const double mx = (poly->m_pSWPoint[i][0] + poly->m_pSWPoint[i - 1][0]) / 2;
    const double my = (poly->m_pSWPoint[i][1] + poly->m_pSWPoint[i - 1][1]) / 2;
    EXPECT_LT(5.0 - std::hypot(mx, my), 0.0101);
  }
  EXPECT_NEAR(poly->m_pSWPoint[poly->m_nSWPoint - 1][0], -5.0, 1e-6);
}

TEST_F(ShapeListCurve, LinkedListJoinsIntoOnePolyline) {
  CGeCurveList list;
  list.AddTail(Line(-5, -3, 5, -3));
  list.AddTail(Line(5, -3, 5, 0));
  list.AddTail(Arc(0, 0, 5, 0, std::numbers::pi));
  list.AddTail(Line(-5, 0, -5, -3));
  size_t expected = 0;
  for (POSITION pos = list.GetHeadPosition(); pos;) {
    CPoint2dArray pts;
    list.GetNext(pos)->Discrete(0.01, &pts, 2.9670597283898, false);
    expected += static_cast<size_t>(pts.GetSize());
  }
  expected -= 3;  // each joint point once
  std::unique_ptr<CGePolyline> poly(geCurveListToPolyLine(&list, 0.01, 2.9670597283898));
  ASSERT_TRUE(poly);
  EXPECT_EQ(static_cast<size_t>(poly->m_nSWPoint), expected);
  EXPECT_EQ(poly->m_pSWPoint[0][0], -5.0);
  EXPECT_EQ(poly->m_pSWPoint[poly->m_nSWPoint - 1][1], -3.0);
  // Shoelace area of the closed joined string: rectangle plus half disc.
  EXPECT_NEAR(BufferArea(*poly), 30.0 + std::numbers::pi * 25 / 2, 0.2);
  list.AddTail(Line(0, 0, 1, 1));  // breaks the chain
  EXPECT_EQ(geCurveListToPolyLine(&list, 0.01, 0.1), nullptr);
  EXPECT_EQ(geCurveListToPolyLine(nullptr, 0.01, 0.1), nullptr);
  geDelCurveList(&list);
}

TEST_F(ShapeListCurve, MergeLinesAndPolylines) {
  CGeCurveList list;
  list.AddTail(Line(0, 0, 1, 0));
  list.AddTail(Poly({{1, 0}, {2, 1}, {3, 0}}));
  list.AddTail(Arc(4, 0, 1, std::numbers::pi, 0));  // skipped, yet part of the chain
  list.AddTail(Line(5, 0, 6, 0));
  list.AddTail(Line(6, 0.05, 7, 0));  // a gap of exactly 0.05 still links
  std::unique_ptr<CGePolyline> merged(geMergeLine(&list));
  ASSERT_TRUE(merged);
  const std::vector<std::array<double, 2>> want = {{0, 0}, {1, 0}, {2, 1}, {3, 0}, {6, 0}, {7, 0}};
  ASSERT_EQ(merged->m_nSWPoint, 6);
  for (int i = 0; i < 6; ++i) {
    EXPECT_EQ(merged->m_pSWPoint[i][0], want[i][0]);
    EXPECT_EQ(merged->m_pSWPoint[i][1], want[i][1]);
  }
  list.AddTail(Line(7.06, 0, 8, 0));
  EXPECT_EQ(geMergeLine(&list), nullptr);
  geDelCurveList(&list);
  EXPECT_EQ(geMergeLine(&list), nullptr);
}

TEST_F(ShapeListCurve, MergeBeziersJoinsTheirNodes) {
  const double a[2] = {0, 0}, b[2] = {3, 0}, c[2] = {3, 3};
  CGeCurveList list;
  list.AddTail(geGenBezierFrmLine(a, b));
  list.AddTail(geGenBezierFrmLine(b, c));
  std::unique_ptr<CGeBezier> merged(geMergeBezier(&list));
  ASSERT_TRUE(merged);
  ASSERT_EQ(merged->m_nNode, 7);
  EXPECT_EQ(merged->m_pNode[3].x, 3.0);
  EXPECT_EQ(merged->m_pNode[6].y, 3.0);
  geDelCurveList(&list);
  list.AddTail(Line(0, 0, 1, 0));
  EXPECT_EQ(geMergeBezier(&list), nullptr);  // no Bezier contributes any node
  geDelCurveList(&list);
}

TEST_F(ShapeListCurve, SweepBoundRunsRadiusLinearlyAlongTheArc) {
  ASSERT_TRUE(gSetCurveDicTol(0.01));
  struct Case {
    double a0, a1, r0, r1;
    int points;
  };
  // Counts: floor(S / acos((r - tol) / r)) per end radius, averaged, at least 5.
  for (const Case& c : {Case{0, std::numbers::pi / 2, 1, 1, 12},
                        Case{0, std::numbers::pi / 2, 1, 3, 16},
                        Case{1.0, 1.1, 1, 1, 6},
                        Case{2.0, 0.5, 4, 2, 0}}) {
    std::unique_ptr<CGeArc> arc(Arc(1, -2, 3, c.a0, c.a1));
    const double r[2] = {c.r0, c.r1};
    std::unique_ptr<CGePolyline> poly(geCreateSweepBound(arc.get(), r));
    ASSERT_TRUE(poly);
    if (c.points) {
      EXPECT_EQ(poly->m_nSWPoint, c.points);
    }
    const int n = poly->m_nSWPoint;
    ASSERT_GE(n, 6);
    const double sweep = arc->m_dSweep;
    for (int k = 0; k < n; ++k) {
      const double x = poly->m_pSWPoint[k][0] - 1, y = poly->m_pSWPoint[k][1] + 2;
      const double f = static_cast<double>(k) / (n - 1);
      EXPECT_NEAR(std::hypot(x, y), c.r0 + f * (c.r1 - c.r0), 1e-5) << k;
      const double a = std::remainder(std::atan2(y, x) - (arc->GetStartAngle() + f * sweep),
                                      2 * std::numbers::pi);
      EXPECT_NEAR(a, 0.0, 1e-5) << k;
    }
  }
}

TEST_F(ShapeListCurve, SweepBoundRefusesDegenerateInput) {
  const double r[2] = {1, 2};
  EXPECT_EQ(geCreateSweepBound(nullptr, r), nullptr);
  CGeArc flat;  // sweep 0
  flat.m_dRadius = 1;
  flat.m_vStart[0] = 1;
  EXPECT_EQ(geCreateSweepBound(&flat, r), nullptr);
  // A radius of zero at one end still gives a finite boundary.
  std::unique_ptr<CGeArc> arc(Arc(0, 0, 1, 0, 1));
  const double r0[2] = {0, 2};
  std::unique_ptr<CGePolyline> poly(geCreateSweepBound(arc.get(), r0));
  ASSERT_TRUE(poly);
  EXPECT_EQ(poly->m_pSWPoint[0][0], 0.0);
  for (int k = 0; k < poly->m_nSWPoint; ++k) EXPECT_TRUE(std::isfinite(poly->m_pSWPoint[k][0]));
}

}  // namespace
