// Curve-list discretisation: equally spaced points, polylines per curve and per chain,
// simplification into lines and arcs, and the area enclosed by a linked list.
#include <cmath>

#include <gtest/gtest.h>
#include <numbers>

#include "geometry/shapes2d/GeArc.h"
#include "geometry/shapes2d/GeCombCurve.h"
#include "geometry/shapes2d/GeEllipse.h"
#include "geometry/shapes2d/GePolyline.h"
#include "tests/geometry/tools/SpecialChainTestUtil.h"
#include "tests/support/VurodeFixture.h"

using namespace chaintest;

namespace {

class CurveListDiscTest : public VurodeTest {};

CGeArc* Arc(Pt centre, double r, double a0, double a1) {
  auto* arc = new CGeArc;
  const double c[2] = {centre.x, centre.y};
  EXPECT_TRUE(arc->CreateCSEAngle(c, r, a0, a1));
  return arc;
}

// The closed chain of a half disc of radius r: the upper arc, then the diameter back.
void AddHalfDisc(CGeCurveList& list, double r) {
  list.AddTail(Arc({0, 0}, r, 0, std::numbers::pi));
  list.AddTail(Line({-r, 0}, {r, 0}));
}

// The point at arc length s along the boundary of the axis square [0, a]², counter-clockwise
// from the origin.
void SquarePoint(double a, double s, double p[2]) {
  const int side = static_cast<int>(s / a);
  const double u = s - side * a;
  const double xs[] = {u, a, a - u, 0}, ys[] = {0, u, a, a - u};
  p[0] = xs[side % 4];
  p[1] = ys[side % 4];
}

// ---- DiscreteToPoint ----

TEST_F(CurveListDiscTest, PointsAlongALineAreSpacedByTheStep) {
  struct Case {
    const char* name;
    double length, step;
    int count;  // 0: refused
  };
  const Case cases[] = {
      {"end not reached", 10, 3, 4},
      {"end reached", 9, 3, 4},
      {"shorter than a step", 2, 3, 0},
      {"step below the minimum", 10, 0.0005, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::unique_ptr<CGeLine> line(Line({1, 2}, {1 + 0.6 * c.length, 2 + 0.8 * c.length}));
    CStrP2D pts;
    const int ok = CGeTool2D().DiscreteToPoint(line.get(), c.step, pts);
    EXPECT_EQ(ok, c.count ? 1 : 0);
    if (!c.count) continue;
    ASSERT_EQ(pts.m_nCount, c.count);
    for (int i = 0; i < c.count; ++i) {
      EXPECT_NEAR(pts.m_pPoints[i][0], 1 + 0.6 * c.step * i, 1e-9);
      EXPECT_NEAR(pts.m_pPoints[i][1], 2 + 0.8 * c.step * i, 1e-9);
    }
  }
}

TEST_F(CurveListDiscTest, PointsAlongAnArcKeepEqualChords) {
  std::unique_ptr<CGeArc> arc(Arc({3, -1}, 10, 0.3, 0.3 + std::numbers::pi / 2));
  CStrP2D pts;
  ASSERT_EQ(CGeTool2D().DiscreteToPoint(arc.get(), 1.0, pts), 1);
  ASSERT_EQ(pts.m_nCount, static_cast<int>(5 * std::numbers::pi) + 1);
  const double centre[2] = {3, -1};
  const double chord = 2 * 10 * std::sin(1.0 / 20);
  for (int i = 0; i < pts.m_nCount; ++i) {
    EXPECT_NEAR(Dist(pts.m_pPoints[i], centre), 10, 1e-9);
    if (i) {
      EXPECT_NEAR(Dist(pts.m_pPoints[i], pts.m_pPoints[i - 1]), chord, 1e-9);
    }
  }
}

TEST_F(CurveListDiscTest, PointsAlongACompositeFollowItsWholeLength) {
  CGeCombCurve comb;
  CurveListGuard sides;
  AddPath(sides.list, {{0, 0}, {4, 0}, {4, 4}, {0, 4}}, true);
  while (!sides.list.IsEmpty()) comb.AddTail(sides.list.RemoveHead(), 1);
  CStrP2D pts;
  ASSERT_EQ(CGeTool2D().DiscreteToPoint(&comb, 1.0, pts), 1);
  ASSERT_EQ(pts.m_nCount, 17);
  for (int i = 0; i < pts.m_nCount; ++i) {
    double want[2];
    SquarePoint(4, i, want);
    EXPECT_NEAR(Dist(pts.m_pPoints[i], want), 0, 1e-6) << i;
  }
}

TEST_F(CurveListDiscTest, PointsRefuseNullAndUnsupportedCurves) {
  CStrP2D pts;
  CGeTool2D tool;
  EXPECT_EQ(tool.DiscreteToPoint(nullptr, 1, pts), 0);
  CGeLoop loop;
  loop.AddTail(Line({0, 0}, {5, 0}), 1);
  EXPECT_EQ(tool.DiscreteToPoint(&loop, 1, pts), 0);
}

// ---- DiscretToLine / DiscretToPolyLine ----

TEST_F(CurveListDiscTest, LinesPerCurveStayWithinTheTolerance) {
  CurveListGuard in;
  AddHalfDisc(in.list, 5);
  CurveListGuard out;
  const double tol = 0.01;
  ASSERT_EQ(CGeTool2D().DiscretToLine(&in.list, &out.list, tol), 1);
  ASSERT_EQ(out.list.GetCount(), 2);
  auto* arcLine = static_cast<CGePolyline*>(out.list.GetHead());
  ASSERT_EQ(arcLine->GetType(), GE_TYPE_POLYLINE);
  ASSERT_GT(arcLine->GetCount(), 10);
  const double centre[2] = {0, 0};
  for (int i = 0; i + 1 < arcLine->GetCount(); ++i) {
    double a[2], b[2];
    arcLine->GetPoint(i, a);
    arcLine->GetPoint(i + 1, b);
    EXPECT_NEAR(Dist(a, centre), 5, 1e-5);
    const double mid[2] = {(a[0] + b[0]) / 2, (a[1] + b[1]) / 2};
    EXPECT_LE(5 - Dist(mid, centre), tol + 1e-5);  // the chord's sagitta
  }
  EXPECT_EQ(static_cast<CGePolyline*>(out.list.GetTail())->GetCount(), 2);
}

TEST_F(CurveListDiscTest, ListsThatAreNotLinkedAreRefused) {
  CurveListGuard in;
  in.list.AddTail(Line({0, 0}, {1, 0}));
  in.list.AddTail(Line({1.001, 0}, {2, 0}));
  CurveListGuard out;
  CGeTool2D tool;
  EXPECT_EQ(tool.DiscretToLine(&in.list, &out.list, 0.01), 0);
  EXPECT_TRUE(out.list.IsEmpty());
  EXPECT_EQ(tool.DiscretToLine(&in.list, nullptr, 0.01), 0);
  EXPECT_EQ(tool.DiscretToPolyLine(&in.list, 0.0005), nullptr);
  EXPECT_EQ(tool.DiscretToPolyLine(nullptr, 0.01), nullptr);
}

TEST_F(CurveListDiscTest, OnePolylineThroughAChainKeepsSharedEndsOnce) {
  struct Case {
    const char* name;
    std::initializer_list<Pt> pts;
    bool closed;
    int vertices;
  };
  const Case cases[] = {
      {"two lines", {{0, 0}, {1, 0}, {1, 1}}, false, 3},
      {"closed square", {{0, 0}, {1, 0}, {1, 1}, {0, 1}}, true, 5},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    CurveListGuard in;
    AddPath(in.list, c.pts, c.closed);
    std::unique_ptr<CGePolyline> pl(CGeTool2D().DiscretToPolyLine(&in.list, 0.01));
    ASSERT_NE(pl, nullptr);
    EXPECT_EQ(pl->GetCount(), c.vertices);
    EXPECT_EQ(pl->IsClosed(0.0001), c.closed ? 1 : 0);
  }
}

// ---- ConvertToSimpleCurve ----

// Every curve of the list (composites looked into) is a line or an arc.
bool OnlyLinesAndArcs(CGeCurveList& list) {
  for (POSITION pos = list.GetHeadPosition(); pos;) {
    CGeCurve* c = list.GetNext(pos);
    if (c->GetType() == GE_TYPE_COMBCURVE) {
      if (!OnlyLinesAndArcs(static_cast<CGeCombCurve*>(c)->m_CurveList)) return false;
    } else if (c->GetType() != GE_TYPE_LINE && c->GetType() != GE_TYPE_ARC) {
      return false;
    }
  }
  return true;
}

TEST_F(CurveListDiscTest, SimpleCurvesKeepLengthAndKind) {
  CGeCombCurve comb;
  comb.AddTail(Arc({0, 0}, 2, 0, std::numbers::pi / 2), 0);
  comb.AddTail(Line({0, 2}, {-3, 2}), 1);
  std::unique_ptr<CGeArc> arc(Arc({1, 1}, 3, 0, 1));
  std::unique_ptr<CGeLine> line(Line({0, 0}, {3, 4}));
  const double centre[2] = {2, 1};
  CGeEllipse ellipse(centre, 3, 2, 0.4, 1);
  struct Case {
    const char* name;
    CGeCurve* curve;
    bool toPolyline;
    int type;
  };
  const Case cases[] = {
      {"line", line.get(), false, GE_TYPE_LINE},
      {"line as polyline", line.get(), true, GE_TYPE_LINE},
      {"arc", arc.get(), false, GE_TYPE_ARC},
      {"arc as polyline", arc.get(), true, GE_TYPE_POLYLINE},
      {"composite", &comb, false, GE_TYPE_COMBCURVE},
      {"composite as polyline", &comb, true, GE_TYPE_POLYLINE},
      {"ellipse as polyline", &ellipse, true, GE_TYPE_POLYLINE},
  };
  const double tol = 0.001;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    CurveListGuard out;
    ASSERT_EQ(CGeTool2D().ConvertToSimpleCurve(c.curve, &out.list, tol, c.toPolyline), 1);
    ASSERT_EQ(out.list.GetCount(), 1);
    CGeCurve* got = out.list.GetHead();
    EXPECT_EQ(got->GetType(), c.type);
    EXPECT_NE(got, c.curve);
    if (!c.toPolyline) {
      EXPECT_TRUE(OnlyLinesAndArcs(out.list));
    }
    // Chords are shorter than the arcs they replace, by little.
    EXPECT_NEAR(got->EvTotalArcLength(), c.curve->EvTotalArcLength(), 0.01);
    EXPECT_LE(got->EvTotalArcLength(), c.curve->EvTotalArcLength() + 1e-9);
  }
}

TEST_F(CurveListDiscTest, CompositeWithAPieceThatCannotBeSimplifiedGivesNothing) {
  // A loop kept whole inside a composite has no simpler form here: the composite would have
  // a gap, so nothing is appended and the call fails.
  CGeCombCurve comb;
  comb.AddTail(Line({-1, 0}, {0, 0}), 0);
  auto* inner = new CGeLoop;
  CurveListGuard sides;
  AddPath(sides.list, {{0, 0}, {1, 0}, {1, 1}}, true);
  while (!sides.list.IsEmpty()) inner->AddTail(sides.list.RemoveHead(), 0);
  comb.AddTail(inner, 0);
  comb.AddTail(Line({0, 0}, {0, -1}), 1);
  CurveListGuard out;
  EXPECT_EQ(CGeTool2D().ConvertToSimpleCurve(&comb, &out.list, 0.01, false), 0);
  EXPECT_TRUE(out.list.IsEmpty());
  EXPECT_EQ(CGeTool2D().ConvertToSimpleCurve(inner, &out.list, 0.01, false), 0);
  EXPECT_EQ(CGeTool2D().ConvertToSimpleCurve(nullptr, &out.list, 0.01, false), 0);
}

// ---- EvArea ----

TEST_F(CurveListDiscTest, AreaOfAChainIsOnePolygonOverAllPieces) {
  struct Case {
    const char* name;
    void (*build)(CGeCurveList&);
    double area;
    double tol;
  };
  const Case cases[] = {
      {"square of four lines",
       [](CGeCurveList& l) { AddPath(l, {{1, 1}, {4, 1}, {4, 4}, {1, 4}}, true); }, 9.0, 1e-9},
      {"square clockwise",
       [](CGeCurveList& l) { AddPath(l, {{1, 1}, {1, 4}, {4, 4}, {4, 1}}, true); }, -9.0, 1e-9},
      {"half disc", [](CGeCurveList& l) { AddHalfDisc(l, 5); }, std::numbers::pi * 25 / 2, 0.2},
      {"open chain closes on itself",
       [](CGeCurveList& l) { AddPath(l, {{0, 0}, {2, 0}, {2, 2}}, false); }, 2.0, 1e-9},
      {"not linked",
       [](CGeCurveList& l) {
         l.AddTail(Line({0, 0}, {1, 0}));
         l.AddTail(Line({5, 5}, {6, 5}));
       },
       0.0, 0.0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    CurveListGuard in;
    c.build(in.list);
    EXPECT_NEAR(Tool().EvArea(&in.list), c.area, c.tol);
  }
}

TEST_F(CurveListDiscTest, AreaIsUnmovedByTranslationAndNegatedByReversal) {
  CurveListGuard in;
  // A half disc of radius 3 on top of a 6 by 2 rectangle.
  in.list.AddTail(Arc({0, 0}, 3, 0, std::numbers::pi));
  AddPath(in.list, {{-3, 0}, {-3, -2}, {3, -2}, {3, 0}}, false);
  Tool tool;
  const double area = tool.EvArea(&in.list);
  EXPECT_NEAR(area, std::numbers::pi * 9 / 2 + 12, 0.1);

  const double shift[2] = {-7.5, 12.25};
  for (POSITION pos = in.list.GetHeadPosition(); pos;) in.list.GetNext(pos)->Translate(shift);
  EXPECT_NEAR(tool.EvArea(&in.list), area, 1e-3);

  CGeCurveList reversed;
  for (POSITION pos = in.list.GetTailPosition(); pos;) {
    CGeCurve* c = in.list.GetPrev(pos);
    c->Reverse();
    reversed.AddTail(c);
  }
  EXPECT_NEAR(tool.EvArea(&reversed), -area, 1e-3);
}

}  // namespace
