// One raster line: boundary intervals, slope stretches, clipping and spike removal.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "millvane/loops/PathCombine.h"
#include "millvane/loops/PathEntity.h"
#include "millvane/surfpaths/RasterLines.h"
#include "tests/millvane/LoopTestUtil.h"

namespace {

// A comb: `teeth` teeth of width 2 and gap 2 rising from a bar; a line through the teeth meets
// it 2 * teeth times.
CSmartLoop* Comb(int teeth) {
  // Right along the bottom, then back left over the teeth.
  looptest::Pts q = {{0, 0}, {4.0 * (teeth - 1) + 2, 0}};
  for (int k = teeth - 1; k >= 0; --k) {
    double x = 4.0 * k;
    q.push_back({x + 2, 10});
    q.push_back({x, 10});
    if (k > 0) {
      q.push_back({x, 5});
      q.push_back({x - 2, 5});
    }
  }
  return looptest::Polygon(q);
}

TEST(LoopLineIntervals, EveryCrossingCountsHoweverManyThereAre) {
  for (int teeth : {3, 99, 100, 150, 400}) {
    std::unique_ptr<CSmartLoop> comb(Comb(teeth));
    std::vector<Interval> iv;
    ASSERT_EQ(LoopLineIntervals(comb.get(), 7.5, iv), teeth) << teeth;
    for (int k = 0; k < teeth; ++k) {
      EXPECT_NEAR(iv[k][0], 4.0 * k, 1e-9);
      EXPECT_NEAR(iv[k][1], 4.0 * k + 2, 1e-9);
    }
    // Below the teeth the whole bar is one interval.
    ASSERT_EQ(LoopLineIntervals(comb.get(), 2.5, iv), 1);
    EXPECT_NEAR(iv[0][1] - iv[0][0], 4.0 * (teeth - 1) + 2, 1e-9);
  }
}

TEST(LoopLineIntervals, IslandsShortPairsAndMisses) {
  std::unique_ptr<CSmartLoop> outer(looptest::Rect(0, 0, 20, 10));
  outer->AddIsland(looptest::Rect(5, 2, 15, 8));
  std::vector<Interval> iv;
  ASSERT_EQ(LoopLineIntervals(outer.get(), 5, iv), 2);
  EXPECT_NEAR(iv[0][1], 5, 1e-9);
  EXPECT_NEAR(iv[1][0], 15, 1e-9);
  // A sliver narrower than 1 gives nothing.
  std::unique_ptr<CSmartLoop> thin(looptest::Rect(0, 0, 0.5, 10));
  EXPECT_EQ(LoopLineIntervals(thin.get(), 5, iv), 0);
  EXPECT_EQ(LoopLineIntervals(outer.get(), 50, iv), 0);
  EXPECT_EQ(LoopLineIntervals(outer.get(), NAN, iv), 0);
  EXPECT_EQ(LoopLineIntervals(nullptr, 5, iv), 0);
}

TEST(SlopeIntervals, ShallowAndSteepStretchesSplitAtTheSlopeLimit) {
  // Flat 0..10, a 45-degree ramp 10..15, flat 15..25.
  std::vector<PtCurve> curves = {{{0, 0}, {10, 0}, {15, 5}, {25, 5}}};
  struct Case {
    double s;
    bool steep;
    double ext;
    std::vector<Interval> want;
  } cases[] = {
      // Slope 1 is within 3 s of 0.5: breaks stay where they are.
      {0.5, false, 0.0, {{0, 10}, {15, 25}}},
      {0.5, true, 0.0, {{10, 15}}},
      // Slope 1 is beyond 3 s: the shallow stretches keep 0.02 off the ramp.
      {0.2, false, 0.0, {{0, 9.98}, {15.02, 25}}},
      // Extensions that overlap merge the stretches.
      {0.5, false, 3.0, {{-3, 28}}},
      {2.0, false, 0.0, {{0, 25}}},
  };
  for (const Case& c : cases) {
    std::vector<Interval> iv;
    SlopeIntervals(curves, c.s, c.steep, 0.0, c.ext, iv);
    ASSERT_EQ(iv.size(), c.want.size()) << c.s << " " << c.steep;
    for (size_t i = 0; i < iv.size(); ++i) {
      EXPECT_NEAR(iv[i][0], c.want[i][0], 1e-12);
      EXPECT_NEAR(iv[i][1], c.want[i][1], 1e-12);
    }
  }
  // Stretches shorter than the minimum are dropped.
  std::vector<Interval> iv;
  SlopeIntervals(curves, 0.5, true, 6.0, 0.0, iv);
  EXPECT_TRUE(iv.empty());
}

TEST(SlopeIntervals, ManyStretchesOnOneLineAreAllKept) {
  // A staircase of 300 steps: far more breaks and intervals than a fixed table would hold.
  PtCurve c;
  for (int k = 0; k < 300; ++k) {
    c.push_back({4.0 * k, 1.0 * k});
    c.push_back({4.0 * k + 3, 1.0 * k});
  }
  std::vector<Interval> iv;
  EXPECT_EQ(SlopeIntervals({c}, 0.5, false, 0.0, 0.0, iv), 300);
  EXPECT_EQ(SlopeIntervals({c}, 0.5, true, 0.0, 0.0, iv), 299);
}

TEST(TrimCurves, PiecesInsideIntervalsWithHeightsInterpolated) {
  std::vector<PtCurve> curves = {{{0, 0}, {10, 10}}, {{20, 0}, {30, 0}}};
  TrimCurvesToIntervals(curves, {{2, 5}, {8, 25}, {29.5, 40}});
  ASSERT_EQ(curves.size(), 4u);
  auto check = [](const PtCurve& c, double x0, double x1) {
    EXPECT_NEAR(c.front()[0], x0, 1e-12);
    EXPECT_NEAR(c.back()[0], x1, 1e-12);
  };
  check(curves[0], 2.01, 4.99);
  EXPECT_NEAR(curves[0].front()[1], 2.01, 1e-12);  // on the line z = x
  check(curves[1], 8.01, 10);
  check(curves[2], 20, 24.99);
  check(curves[3], 29.51, 30);
  std::vector<PtCurve> none = {{{0, 0}, {10, 10}}};
  TrimCurvesToIntervals(none, {});
  EXPECT_TRUE(none.empty());
}

TEST(RemoveSpikes, BackTurnsGoStraightOnesStay) {
  PtCurve c = {{0, 0}, {1, 0}, {1.1, 5}, {1.2, 0}, {2, 0}, {3, 1}};
  RemoveSpikes(c);
  for (const Pt2& p : c) EXPECT_LT(p[1], 2);
  EXPECT_EQ(c.size(), 5u);
  PtCurve three = {{0, 0}, {0.1, 5}, {0.2, 0}};
  RemoveSpikes(three);
  EXPECT_EQ(three.size(), 3u);
}

TEST(RasterCurveCombine, PolylineAtTheLineY) {
  std::unique_ptr<CPathCombine> comb(RasterCurveCombine({{0, 1}, {2, 3}, {5, 3}}, 7.5));
  ASSERT_TRUE(comb);
  EXPECT_EQ(comb->op, 8);
  ASSERT_TRUE(comb->head && comb->head == comb->tail);
  double p[3];
  comb->head->GetEndPoint(1, p);
  EXPECT_DOUBLE_EQ(p[0], 5);
  EXPECT_DOUBLE_EQ(p[1], 7.5);
  EXPECT_DOUBLE_EQ(p[2], 3);
  EXPECT_EQ(RasterCurveCombine({{0, 1}}, 0), nullptr);
}

}  // namespace
