// Arcs of a boundary become chords within the tolerance, however large the arc.
#include "millvane/surfpaths/SurfPathShared.h"

#include <gtest/gtest.h>

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
