// Arcs of a boundary become chords within the tolerance, however large the arc.
#include "millvane/surfpaths/SurfPathShared.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <numbers>

#include "millvane/loops/SmartSect.h"

namespace {

TEST(SampleSectAfterStart, ArcChordsStayWithinTolerance) {
  struct Case {
    double radius, start, end;
  } cases[] = {{1.0, 0, std::numbers::pi / 2}, {10.0, 0, 2 * std::numbers::pi},
               {100.0, 1.0, -2.0}, {0.005, 0, std::numbers::pi}};
  for (const Case& c : cases) {
    const double centre[2] = {3, -2};
    CSmartArc arc(centre, c.radius, c.start, c.end);
    PtCurve pts;
    double p[2];
    arc.StartPoint(p);
    pts.push_back({p[0], p[1]});
    SampleSectAfterStart(&arc, 0.01, pts);
    ASSERT_GE(pts.size(), 3u) << c.radius;
    arc.EndPoint(p);
    EXPECT_NEAR(pts.back()[0], p[0], 1e-9);
    EXPECT_NEAR(pts.back()[1], p[1], 1e-9);
    for (size_t i = 0; i + 1 < pts.size(); ++i) {
      // Sagitta of each chord: its midpoint's distance inside the circle.
      const double mx = 0.5 * (pts[i][0] + pts[i + 1][0]) - centre[0];
      const double my = 0.5 * (pts[i][1] + pts[i + 1][1]) - centre[1];
      EXPECT_LE(c.radius - std::hypot(mx, my), 0.01 + 1e-12) << c.radius;
    }
  }
  // A line gives its end only.
  const double a[2] = {0, 0}, b[2] = {4, 1};
  CSmartLine line(a, b);
  PtCurve pts;
  SampleSectAfterStart(&line, 0.01, pts);
  ASSERT_EQ(pts.size(), 1u);
  EXPECT_EQ(pts[0][0], 4.0);
}

}  // namespace

#include "millvane/loops/SmartLoop.h"
#include "millvane/paths/IntLineSet.h"
#include "millvane/paths/ProtectNet.h"
#include "tests/millvane/LoopTestUtil.h"

namespace {

IntCurve* Curve(const PtCurve& pts) {
  auto* c = new IntCurve;
  c->pts = pts;
  return c;
}

TEST(SrfCurvesToLoops, ClosedCurvesBecomeLoopsOfTheirArea) {
  CIntCurveSet set;
  // A square, and a circle of radius 3 as 73 points.
  set.AddCurve(Curve({{0, 0}, {10, 0}, {10, 10}, {0, 10}, {0, 0}}));
  PtCurve circle;
  for (int k = 0; k <= 72; ++k) {
    const double a = 2 * std::numbers::pi * k / 72;
    circle.push_back({20 + 3 * std::cos(a), 3 * std::sin(a)});
  }
  set.AddCurve(Curve(circle));
  struct Chain {
    CSmartLoop* head;
    ~Chain() { acDeleteLoopList(head); }
    CSmartLoop* operator->() const { return head; }
  } loops{SrfCurvesToLoops(set, 0.01, std::cos(5 * std::numbers::pi / 180))};
  ASSERT_TRUE(loops.head);
  ASSERT_TRUE(loops->next);
  EXPECT_FALSE(loops->next->next);
  double areas[2] = {std::fabs(loops->Area()), std::fabs(loops->next->Area())};
  std::sort(areas, areas + 2);
  // Stored areas are doubled; the polygon of 72 chords is the reference for the circle.
  const double polygon = 0.5 * 72 * 9 * std::sin(2 * std::numbers::pi / 72);
  EXPECT_NEAR(areas[0] / 2, polygon, 0.05 * 2 * std::numbers::pi * 3);
  EXPECT_NEAR(areas[1] / 2, 100.0, 1e-6);
}

TEST(SrfLoopCovered, MaterialAboveAnySampleCovers) {
  const double box[6] = {0, 0, 0, 20, 20, 5};
  CProtectNet net;
  ASSERT_EQ(net.Create(0.5, 1.0, box), 1);
  // A plateau at 3 over [5, 10] x [5, 10]; everything else stays low.
  for (int i = 0; i < net.rows; ++i)
    for (int j = 0; j < net.cols; ++j)
      if (net.xs[j] >= 5 && net.xs[j] <= 10 && net.ys[i] >= 5 && net.ys[i] <= 10) net.Raise(i, j, 3.0);
  struct Case {
    double x0, y0, x1, y1, z;
    bool covered, uncovered;
  } cases[] = {
      {6, 6, 9, 9, 1.0, true, false},    // wholly on the plateau
      {2, 2, 8, 8, 1.0, true, true},     // half on it
      {12, 12, 18, 18, 1.0, false, true},
      {6, 6, 9, 9, 3.5, false, true},    // plateau below the level
  };
  for (const Case& c : cases) {
    std::unique_ptr<CSmartLoop> l(looptest::Rect(c.x0, c.y0, c.x1, c.y1));
    EXPECT_EQ(SrfLoopCovered(net, l.get(), c.z), c.covered) << c.x0 << " " << c.z;
    EXPECT_EQ(SrfLoopUncovered(net, l.get(), c.z), c.uncovered) << c.x0 << " " << c.z;
  }
  // An island on the plateau makes a free outer loop covered and no longer uncovered.
  std::unique_ptr<CSmartLoop> outer(looptest::Rect(1, 1, 19, 19));
  EXPECT_FALSE(SrfLoopCovered(net, outer.get(), 1.0));
  outer->AddIsland(looptest::Rect(6, 6, 9, 9));
  EXPECT_TRUE(SrfLoopCovered(net, outer.get(), 1.0));
  EXPECT_FALSE(SrfLoopUncovered(net, outer.get(), 1.0));
  EXPECT_FALSE(SrfLoopCovered(net, nullptr, 1.0));
}

}  // namespace
