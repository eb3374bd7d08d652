// Scan (zig-zag) pockets: stroke placement, emission orders, boundary links and coverage.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <map>
#include <numbers>
#include <vector>

#include "millvane/loops/SmartLoop.h"
#include "millvane/loops/PathCombine.h"
#include "millvane/loops/PathEntity.h"
#include "tests/millvane/LoopTestUtil.h"
#include "tests/millvane/loops/PocketShapes.h"
#include "tests/millvane/PocketTestUtil.h"

namespace {
using looptest::Owned;
using looptest::Rect;
const QNC_CornerType kRound{2, 165.0, 15.0};

QNC_CutLinearDef Def(uint32_t flags, double step, double inset, double angle = 0.0,
                     double maxLink = 1e9) {
  return {flags, 0, step, 0.0, inset, maxLink, angle};
}

std::vector<const CPathLine3D*> Lines(const CPathCombine& c) {
  std::vector<const CPathLine3D*> v;
  for (const CPathEntity* e = c.head; e; e = e->next)
    if (e->type == kPathLine) v.push_back(static_cast<const CPathLine3D*>(e));
  return v;
}

double PathLength(const CPathCombine& c) {
  double s = 0;
  for (const CPathEntity* e = c.head; e; e = e->next) s += e->GetLength();
  return s;
}

TEST(ScanPocket, SquareExampleGivesSevenRowsOfEight) {
  for (int order : {1, 0}) {
    Owned sq(Rect(0, 0, 10, 10));
    CPathCombine comb(8);
    ASSERT_EQ(sq.l->CreateLinearPath(&comb, Def(0, 1.0, 1.0), kRound, {order}), 1);
    const auto lines = Lines(comb);
    ASSERT_EQ(lines.size(), 7u);
    for (size_t i = 0; i < lines.size(); ++i) {
      const double y = 2.0 + double(i);
      EXPECT_NEAR(lines[i]->start[1], y, 1e-9);
      EXPECT_NEAR(lines[i]->end[1], y, 1e-9);
      EXPECT_NEAR(lines[i]->GetLength(), 8.0, 1e-9);
      // Order non-zero: left to right; zero: right to left.
      EXPECT_NEAR(lines[i]->start[0], order ? 1.0 : 9.0, 1e-9);
    }
  }
}

TEST(ScanPocket, StrokesAcrossTwoLoopsPairUpAndSliversAreSkipped) {
  // A triangle: rows near the apex are shorter than the step and are left out.
  Owned tri(looptest::Polygon({{0, 0}, {10, 0}, {5, 10}}));
  CPathCombine comb(8);
  ASSERT_EQ(tri.l->CreateLinearPath(&comb, Def(0, 1.0, 0.0), kRound, {1}), 1);
  for (const auto* l : Lines(comb)) EXPECT_GE(l->GetLength(), 1.0);
  // Width at y is 10 - y: rows 1..9, of which y = 9.x widths fall below 1.
  EXPECT_EQ(Lines(comb).size(), 9u);
  // A square with a square hole: every row through the hole gives two strokes.
  Owned holed(Rect(0, 0, 10, 10));
  holed.l->AddIsland(looptest::Polygon({{3, 3}, {3, 7}, {7, 7}, {7, 3}}));
  CPathCombine c2(8);
  ASSERT_EQ(holed.l->CreateLinearPath(&c2, Def(0, 1.0, 0.0), kRound, {1}), 1);
  EXPECT_EQ(Lines(c2).size(), 9u + 3u);  // rows 4, 5, 6 are split by the hole
  EXPECT_NEAR(PathLength(c2), 9 * 10 - 3 * 4, 1e-6);
}

TEST(ScanPocket, AngleTurnsTheRowsAndTheContourComesBack) {
  Owned sq(Rect(0, 0, 10, 10));
  CPathCombine comb(8);
  ASSERT_EQ(sq.l->CreateLinearPath(&comb, Def(0, 1.0, 1.0, 90.0), kRound, {1}), 1);
  const auto lines = Lines(comb);
  ASSERT_EQ(lines.size(), 7u);
  for (const auto* l : lines) {
    EXPECT_NEAR(l->start[0], l->end[0], 1e-9);  // vertical
    EXPECT_NEAR(l->GetLength(), 8.0, 1e-9);
  }
  EXPECT_NEAR(sq.l->box[0], 0.0, 1e-9);
  EXPECT_NEAR(sq.l->box[4], 10.0, 1e-9);
  // A circle scanned at any angle covers the same length (rows cut the same chords).
  double base = -1;
  for (double ang : {0.0, 30.0, 77.0}) {
    Owned c(looptest::Circle(0, 0, 10));
    CPathCombine cc(8);
    ASSERT_EQ(c.l->CreateLinearPath(&cc, Def(0, 0.5, 0.0, ang), kRound, {1}), 1);
    if (base < 0) base = PathLength(cc);
    EXPECT_NEAR(PathLength(cc), base, 0.02 * base) << ang;
  }
}

TEST(ScanPocket, BadInputFailsAndAppendsNothing) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  struct Case {
    double step, inset, angle;
  } cases[] = {{0.0, 1, 0}, {0.0009, 1, 0}, {-1, 1, 0}, {nan, 1, 0}, {1, nan, 0}, {1, 1, nan}};
  for (const auto& c : cases) {
    Owned sq(Rect(0, 0, 10, 10));
    CPathCombine comb(8);
    EXPECT_EQ(sq.l->CreateLinearPath(&comb, Def(1, c.step, c.inset, c.angle), kRound, {1}), 0);
    EXPECT_EQ(comb.head, nullptr);
  }
  EXPECT_EQ(CSmartLoop::GenerateScanPoint(nullptr, 1.0, 2000), nullptr);
  // An inset that leaves nothing: no path, failure.
  Owned small(Rect(0, 0, 1, 1));
  CPathCombine comb(8);
  EXPECT_EQ(small.l->CreateLinearPath(&comb, Def(0, 0.1, 2.0), kRound, {1}), 0);
  EXPECT_EQ(comb.head, nullptr);
}

// Joints of the zig-zag lie on the boundary; a U whose arms are far apart along the boundary
// is cut in two when the boundary walk between the arms is longer than the longest link.
TEST(ScanPocket, ZigZagLinksAlongTheBoundary) {
  auto u = [] {
    return looptest::Polygon({{0, 0}, {30, 0}, {30, 30}, {20, 30}, {20, 10}, {10, 10}, {10, 30}, {0, 30}});
  };
  for (double maxLink : {3.0, 1e9}) {
    SCOPED_TRACE(maxLink);
    Owned c(u());
    CPathCombine comb(8);
    ASSERT_EQ(c.l->CreateLinearPath(&comb, Def(kLinearZigZag, 1.0, 0.0, 0.0, maxLink), kRound, {1}), 1);
    int breaks = 0;
    const auto segs = pockettest::Segments(comb, &breaks);
    if (maxLink < 10) EXPECT_EQ(breaks + 1, 2);
    else EXPECT_LE(breaks + 1, 2);
    // Rows plus boundary links: at least the strokes' length (29 rows of up to 30).
    double len = 0;
    for (const auto& s : segs) len += std::hypot(s.b[0] - s.a[0], s.b[1] - s.a[1]);
    EXPECT_GT(len, 9 * 30 + 20 * 20);
  }
}

TEST(ScanPocket, ZigZagOverASquareIsOneCut) {
  Owned sq(Rect(0, 0, 10, 10));
  CPathCombine comb(8);
  ASSERT_EQ(sq.l->CreateLinearPath(&comb, Def(kLinearZigZag, 1.0, 0.0), kRound, {1}), 1);
  int breaks = -1;
  pockettest::Segments(comb, &breaks);
  EXPECT_EQ(breaks, 0);
  EXPECT_NEAR(PathLength(comb), 9 * 10 + 8 * 1, 1e-9);
}

// Links only to neighbouring rows still cut every stroke once, in continuous cuts.
TEST(ScanPocket, NeighbourRowLinksCutEveryStroke) {
  auto u = [] {
    return looptest::Polygon({{0, 0}, {30, 0}, {30, 30}, {20, 30}, {20, 10.5}, {10, 10.5}, {10, 30}, {0, 30}});
  };
  double strokes = 0;
  {
    Owned c(u());
    CPathCombine comb(8);
    ASSERT_EQ(c.l->CreateLinearPath(&comb, Def(0, 1.0, 0.0), kRound, {1}), 1);
    strokes = PathLength(comb);
  }
  Owned c(u());
  CPathCombine comb(8);
  ASSERT_EQ(c.l->CreateLinearPath(&comb, Def(kLinearZigZag | kLinearNeighbour, 1.0, 0.0, 0.0, 50.0),
                                  kRound, {1}), 1);
  int breaks = -1;
  const auto segs = pockettest::Segments(comb, &breaks);
  double across = 0;  // the strokes: horizontal, on the rows y = 1 ... 29
  for (const auto& s : segs)
    if (std::fabs(s.a[1] - s.b[1]) < 1e-12 && s.a[1] > 0.5 && s.a[1] < 29.5 &&
        std::fabs(s.a[1] - std::round(s.a[1])) < 1e-9)
      across += std::fabs(s.b[0] - s.a[0]);
  EXPECT_NEAR(across, strokes, 1e-6);
  EXPECT_LE(breaks + 1, 3);
}

// With leads the cut leaves its last stroke for the contour and goes round it once; the
// finishing pass then leaves that loop out, so only the lead is added.
TEST(ScanPocket, LeadGoesRoundTheContourOnce) {
  double withLead = 0, without = 0;
  for (bool lead : {false, true}) {
    Owned sq(Rect(0, 0, 10, 10));
    CPathCombine comb(8);
    const uint32_t f = kLinearZigZag | kLinearFinish | (lead ? kLinearLead : 0u);
    ASSERT_EQ(sq.l->CreateLinearPath(&comb, Def(f, 1.0, 1.0), kRound, {1}), 1);
    (lead ? withLead : without) = PathLength(comb);
    int breaks = -1;
    pockettest::Segments(comb, &breaks);
    EXPECT_EQ(breaks, lead ? 0 : 1);
  }
  EXPECT_NEAR(without, 7 * 8 + 6 * 1 + 40, 1e-9);
  EXPECT_GT(withLead - without, 1.0 - 1e-9);
  EXPECT_LT(withLead - without, 1.01 + 1e-9);
}

// Scan coverage: rows 2r apart on the tool-centre region with its finishing pass leave no
// point further than r from the path, on every test outline.
TEST(ScanPocketCoverage, StepTwiceRadiusWithFinishingPassCovers) {
  const double r = 0.5;
  for (uint32_t flags : {uint32_t(kLinearFinish), uint32_t(kLinearZigZag | kLinearFinish)}) {
    for (const auto& shape : pockettest::Shapes()) {
      SCOPED_TRACE(shape.name + " " + std::to_string(flags));
      Owned c(shape.make());
      const auto rings = pockettest::ContourSamples(c.l);
      CPathCombine comb(8);
      ASSERT_EQ(c.l->CreateLinearPath(&comb, Def(flags, 2 * r, 0.0, 20.0, 5.0), kRound, {1}), 1);
      const auto segs = pockettest::Segments(comb);
      EXPECT_LE(pockettest::WorstGap(rings, segs, 0.1, 3 * r), r + 0.01);
      for (const auto& s : segs)
        EXPECT_TRUE(pockettest::InRegion(rings, s.a[0], s.a[1]) ||
                    pockettest::DistToRings(rings, s.a[0], s.a[1]) < 1e-3);
    }
  }
}

// With an inset the path keeps the inset from the outline and its islands.
TEST(ScanPocketCoverage, InsetKeepsThePathAwayFromTheBoundary) {
  const double inset = 0.8;
  for (const auto& shape : pockettest::Shapes()) {
    SCOPED_TRACE(shape.name);
    Owned c(shape.make());
    const auto rings = pockettest::ContourSamples(c.l);
    CPathCombine comb(8);
    ASSERT_EQ(c.l->CreateLinearPath(&comb, Def(kLinearZigZag, 0.7, inset, 0.0, 5.0), kRound, {0}), 1);
    for (const auto& s : pockettest::Segments(comb)) {
      EXPECT_TRUE(pockettest::InRegion(rings, s.a[0], s.a[1]));
      EXPECT_GE(pockettest::DistToRings(rings, s.a[0], s.a[1]), inset - 1e-3);
    }
  }
}

}  // namespace
