// Radial ("emit") and spiral pockets: ray and arc placement, linking, coverage, bad input.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <numbers>
#include <vector>

#include "millvane/loops/SmartCurveLib.h"
#include "millvane/loops/SmartLoop.h"
#include "millvane/loops/PathCombine.h"
#include "millvane/loops/PathEntity.h"
#include "tests/millvane/LoopTestUtil.h"
#include "tests/millvane/loops/PocketShapes.h"
#include "tests/millvane/PocketTestUtil.h"

namespace {
using looptest::Owned;
using looptest::Rect;
constexpr double kPi = std::numbers::pi;

double PathLength(const CPathCombine& c) {
  double s = 0;
  for (const CPathEntity* e = c.head; e; e = e->next) s += e->GetLength();
  return s;
}

int Count(const CPathCombine& c) {
  int n = 0;
  for (const CPathEntity* e = c.head; e; e = e->next) ++n;
  return n;
}

TEST(RadialPocket, TwelveRaysFromAnInnerCentre) {
  for (uint8_t flags : {uint8_t(0x02), uint8_t(0x00)}) {
    Owned sq(Rect(0, 0, 10, 10));
    CPathCombine comb(8);
    const QNC_CutEmitDef def{flags, {5, 5}, 0.0, 360.0, 30.0};
    ASSERT_EQ(sq.l->CreateEmitPath(&comb, def), 1);
    ASSERT_EQ(Count(comb), 12);
    // Rays at 0, 90, 180, 270 degrees are 5 long, the others 5 / cos 30.
    EXPECT_NEAR(PathLength(comb), 4 * 5 + 8 * 5 / std::cos(kPi / 6), 1e-9);
    for (const CPathEntity* e = comb.head; e; e = e->next) {
      const auto* l = static_cast<const CPathLine3D*>(e);
      const double* atCentre = flags & 0x02 ? l->start : l->end;
      EXPECT_NEAR(atCentre[0], 5.0, 1e-9);
      EXPECT_NEAR(atCentre[1], 5.0, 1e-9);
    }
    EXPECT_EQ(sq.l->curve->head->CutCount(), 0);  // no path point is left behind
  }
}

TEST(RadialPocket, CentreOutsideCutsOnlyTheRaysThatMeetTheContour) {
  Owned sq(Rect(0, 0, 10, 10));
  CPathCombine comb(8);
  const QNC_CutEmitDef def{0x02, {-5, 5}, 0.0, 360.0, 30.0};
  ASSERT_EQ(sq.l->CreateEmitPath(&comb, def), 1);
  ASSERT_EQ(Count(comb), 3);  // 0 and +-30 degrees
  const double slant = std::hypot(5 / std::tan(kPi / 6) - 5, 10 - (5 + 5 * std::tan(kPi / 6)));
  EXPECT_NEAR(PathLength(comb), 10 + 2 * slant, 1e-9);
  // Linked, from outside: no centre circle, the rays are joined along the boundary.
  CPathCombine linked(8);
  const QNC_CutEmitDef def2{0x03, {-5, 5}, 0.0, 360.0, 30.0};
  ASSERT_EQ(sq.l->CreateEmitPath(&linked, def2), 1);
  int breaks = -1;
  pockettest::Segments(linked, &breaks);
  EXPECT_EQ(breaks, 0);
}

TEST(RadialPocket, LinkedStarIsOneContinuousCutThroughTheCentre) {
  for (uint8_t flags : {uint8_t(0x01), uint8_t(0x03)}) {
    Owned sq(Rect(0, 0, 10, 10));
    CPathCombine comb(8);
    const QNC_CutEmitDef def{flags, {5, 5}, 0.0, 360.0, 30.0};
    ASSERT_EQ(sq.l->CreateEmitPath(&comb, def), 1);
    int breaks = -1;
    const auto segs = pockettest::Segments(comb, &breaks);
    EXPECT_EQ(breaks, 0);
    // Every ray once, plus boundary links.
    EXPECT_GT(PathLength(comb), 4 * 5 + 8 * 5 / std::cos(kPi / 6));
  }
}

TEST(RadialPocket, BadInputFails) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const QNC_CutEmitDef bad[] = {{0, {5, 5}, 0, 360, 0},   {0, {5, 5}, 0, 360, nan},
                                {0, {nan, 5}, 0, 360, 30}, {0, {5, 5}, 0, 360, 1e-9},
                                {0, {5, 5}, 0, 0, 30}};
  for (const auto& d : bad) {
    Owned sq(Rect(0, 0, 10, 10));
    CPathCombine comb(8);
    EXPECT_EQ(sq.l->CreateEmitPath(&comb, d), 0);
    EXPECT_EQ(comb.head, nullptr);
  }
}

// Rays close enough that neighbouring rays are at most 2r apart at the far edge of the region.
TEST(RadialPocketCoverage, DenseRaysCoverTheRegion) {
  const double r = 0.5;
  for (uint8_t flags : {uint8_t(0x02), uint8_t(0x03)}) {
    for (const auto& shape : pockettest::Shapes()) {
      SCOPED_TRACE(shape.name + " " + std::to_string(flags));
      Owned c(shape.make());
      const auto rings = pockettest::ContourSamples(c.l);
      const double ctr[2] = {0.5 * (c.l->box[0] + c.l->box[3]), 0.5 * (c.l->box[1] + c.l->box[4])};
      const double reach = std::hypot(c.l->box[3] - c.l->box[0], c.l->box[4] - c.l->box[1]);
      const double stepDeg = 2 * std::asin(r / reach) * 180 / kPi;
      CPathCombine comb(8);
      const QNC_CutEmitDef def{flags, {ctr[0], ctr[1]}, 0.0, 360.0, stepDeg};
      ASSERT_EQ(c.l->CreateEmitPath(&comb, def), 1);
      const auto segs = pockettest::Segments(comb);
      EXPECT_LE(pockettest::WorstGap(rings, segs, 0.2, 3 * r), r + 0.01);
      for (const auto& s : segs)
        EXPECT_TRUE(pockettest::InRegion(rings, s.a[0], s.a[1]) ||
                    pockettest::DistToRings(rings, s.a[0], s.a[1]) < 1e-3);
    }
  }
}

// A two-centre spiral of pitch p: half circles about (0, 0) above the axis and about (-p/2, 0)
// below it, each round p smaller, joined end to end.
struct Spiral {
  CSmartArc* arcs[2];
  Spiral(double cx, double cy, double R, double p) {
    const double c0[2] = {cx, cy}, c1[2] = {cx - p / 2, cy};
    arcs[0] = new CSmartArc(c0, R, 0.0, kPi);
    arcs[1] = new CSmartArc(c1, R - p / 2, kPi, 2 * kPi);
  }
  ~Spiral() {
    delete arcs[0];
    delete arcs[1];
  }
};

TEST(SpiralPocket, SpiralInsideACircleIsOneCut) {
  Owned c(looptest::Circle(0, 0, 20));
  Spiral sp(0, 0, 10.2, 1.0);
  CSmartLPoint* pts = CSmartLoop::GenerateSpiralPoint(c.l, sp.arcs, 1.0);
  ASSERT_NE(pts, nullptr);
  CPathCombine comb(8);
  ASSERT_EQ(c.l->ExtractSpiralPath(&comb, {0, 1.0}, {1}, pts, sp.arcs), 1);
  int breaks = -1;
  pockettest::Segments(comb, &breaks);
  EXPECT_EQ(breaks, 0);
  // Half circles of radii 10.2, 9.7, 9.2, ... down to the last positive one.
  double len = 0;
  for (int k = 0; k < 11; ++k) {
    if (10.2 - k > 0) len += kPi * (10.2 - k);
    if (9.7 - k > 0) len += kPi * (9.7 - k);
  }
  EXPECT_NEAR(PathLength(comb), len, 1e-6 * len);
}

// An arc whose radius equals the boundary's touches it along its whole length: the odd
// crossings of that arc are dropped and the rest of the spiral still pairs up inside.
TEST(SpiralPocket, ArcOnTheBoundaryDoesNotShiftTheStrokes) {
  Owned c(looptest::Circle(0, 0, 10));
  Spiral sp(0, 0, 11, 1.0);
  CSmartLPoint* pts = CSmartLoop::GenerateSpiralPoint(c.l, sp.arcs, 1.0);
  ASSERT_NE(pts, nullptr);
  CPathCombine comb(8);
  ASSERT_EQ(c.l->ExtractSpiralPath(&comb, {0, 1.0}, {1}, pts, sp.arcs), 1);
  c.l->InitBuffer();
  int breaks = -1;
  double len = 0;
  for (const auto& s : pockettest::Segments(comb, &breaks)) {
    EXPECT_LE(std::hypot(s.a[0], s.a[1]), 10.0 + 1e-6);
    len += std::hypot(s.b[0] - s.a[0], s.b[1] - s.a[1]);
  }
  EXPECT_LE(breaks, 1);
  // At least every half circle strictly inside (radii 9.5, 9, ..., 0.5).
  EXPECT_GT(len, kPi * 0.5 * 19 * 10 * 0.999);
}

// Reversing the library's order and direction (0x01) cuts the same pieces.
TEST(SpiralPocket, ReversedLibraryCutsTheSamePieces) {
  double len[2] = {0, 0};
  for (uint8_t flags : {uint8_t(0), uint8_t(1)}) {
    Owned c(pockettest::TwoIslands());
    Spiral sp(20, 15, 25.05, 1.0);
    CSmartCurveLib lib;
    CSmartLPoint* pts = CSmartLoop::GenerateSpiralPoint(c.l, sp.arcs, 1.0, &lib);
    ASSERT_NE(pts, nullptr);
    const int pieces = lib.count;
    EXPECT_GT(pieces, 10);
    double inLib = 0;
    for (CSmartCurve* k = lib.head; k; k = k->next)
      for (CSmartSect* s = k->head; s; s = s->next) inLib += s->Length();
    CPathCombine comb(8);
    ASSERT_EQ(c.l->ExtractSpiralPath(&comb, {flags, 1.0}, {1}, pts, &lib), 1);
    c.l->InitBuffer();
    EXPECT_EQ(lib.count, 0);
    len[flags] = PathLength(comb);
    EXPECT_GE(len[flags], inLib * (1 - 1e-4));
  }
  EXPECT_GT(len[0], 0.0);
  EXPECT_GT(len[1], 0.0);
}

TEST(SpiralPocket, BadInputGivesNoPoints) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  Owned c(looptest::Circle(0, 0, 20));
  for (double step : {0.0, -1.0, nan, 1e-9}) {
    Spiral sp(0, 0, 10.2, 1.0);
    EXPECT_EQ(CSmartLoop::GenerateSpiralPoint(c.l, sp.arcs, step), nullptr);
    CSmartCurveLib lib;
    EXPECT_EQ(CSmartLoop::GenerateSpiralPoint(c.l, sp.arcs, step, &lib), nullptr);
    EXPECT_EQ(lib.count, 0);
  }
  Spiral sp(0, 0, 10.2, 1.0);
  EXPECT_EQ(CSmartLoop::GenerateSpiralPoint(nullptr, sp.arcs, 1.0), nullptr);
}

// A spiral of pitch 2r over the region, both forms, with the caller's pass round the contour
// (the spiral has no finishing pass of its own: between its outer turns and the boundary a
// strip up to the pitch wide is only reached by the boundary links), leaves nothing further
// than r uncut.
TEST(SpiralPocketCoverage, PitchTwiceRadiusCoversTheRegion) {
  const double r = 0.5;
  for (bool useLibrary : {false, true}) {
    for (const auto& shape : pockettest::Shapes()) {
      SCOPED_TRACE(shape.name + (useLibrary ? " library" : " strokes"));
      Owned c(shape.make());
      const auto rings = pockettest::ContourSamples(c.l);
      const double cx = 0.5 * (c.l->box[0] + c.l->box[3]), cy = 0.5 * (c.l->box[1] + c.l->box[4]);
      // The innermost half circle is small, so the centre is cut too.
      const double R = std::ceil((0.5 * std::hypot(c.l->box[3] - c.l->box[0], c.l->box[4] - c.l->box[1])) / (2 * r) + 1) * 2 * r + 0.05;
      Spiral sp(cx, cy, R, 2 * r);
      CPathCombine comb(8);
      if (useLibrary) {
        CSmartCurveLib lib;
        CSmartLPoint* pts = CSmartLoop::GenerateSpiralPoint(c.l, sp.arcs, 2 * r, &lib);
        ASSERT_NE(pts, nullptr);
        ASSERT_EQ(c.l->ExtractSpiralPath(&comb, {0, 2 * r}, {1}, pts, &lib), 1);
        EXPECT_EQ(lib.count, 0);
      } else {
        CSmartLPoint* pts = CSmartLoop::GenerateSpiralPoint(c.l, sp.arcs, 2 * r);
        ASSERT_NE(pts, nullptr);
        ASSERT_EQ(c.l->ExtractSpiralPath(&comb, {0, 2 * r}, {1}, pts, sp.arcs), 1);
      }
      c.l->InitBuffer();
      c.l->ExtractCurve(&comb, 0, 1, 0.0);
      const auto segs = pockettest::Segments(comb);
      EXPECT_LE(pockettest::WorstGap(rings, segs, 0.2, 3 * r), r + 0.01);
      for (const auto& s : segs)
        EXPECT_TRUE(pockettest::InRegion(rings, s.a[0], s.a[1]) ||
                    pockettest::DistToRings(rings, s.a[0], s.a[1]) < 1e-3);
    }
  }
}

}  // namespace
