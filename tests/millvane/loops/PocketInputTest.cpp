// What every pocket builder does with input it cannot cut: a clear failure, nothing appended,
// and no crossing of a long row or ray lost to a fixed-size buffer.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <numbers>
#include <string>
#include <vector>

#include "millvane/loops/SmartCurveLib.h"
#include "millvane/loops/SmartLoop.h"
#include "millvane/loops/PathCombine.h"
#include "millvane/loops/PathEntity.h"
#include "platform/panlet/Progress.h"
#include "tests/millvane/LoopTestUtil.h"
#include "tests/millvane/PocketTestUtil.h"

namespace {
using looptest::Owned;
constexpr double kPi = std::numbers::pi;
const QNC_CornerType kRound{2, 165.0, 15.0};

// Each strategy on a contour, with workable parameters; the result of the call.
struct Strategy {
  std::string name;
  std::function<int(CSmartLoop*, CPathCombine*)> run;
};

std::vector<Strategy> Strategies() {
  return {
      {"follow",
       [](CSmartLoop* c, CPathCombine* comb) {
         QNC_CutFollowDef def{0, 0, 1.0, 0.0};
         return c->CreateFollowPath(comb, def, kRound, {1});
       }},
      {"scan",
       [](CSmartLoop* c, CPathCombine* comb) {
         const QNC_CutLinearDef def{kLinearZigZag, 0, 1.0, 0.0, 0.5, 5.0, 0.0};
         return c->CreateLinearPath(comb, def, kRound, {1});
       }},
      {"radial",
       [](CSmartLoop* c, CPathCombine* comb) {
         const QNC_CutEmitDef def{0x03, {5, 5}, 0.0, 360.0, 10.0};
         return c->CreateEmitPath(comb, def);
       }},
      {"spiral",
       [](CSmartLoop* c, CPathCombine* comb) {
         const double c0[2] = {5, 5}, c1[2] = {4.5, 5};
         CSmartArc a0(c0, 8.05, 0.0, kPi), a1(c1, 7.55, kPi, 2 * kPi);
         CSmartArc* arcs[2] = {&a0, &a1};
         CSmartLPoint* pts = CSmartLoop::GenerateSpiralPoint(c, arcs, 1.0);
         const int r = pts ? c->ExtractSpiralPath(comb, {0, 1.0}, {1}, pts, arcs) : 0;
         a0.ClearCutPoints();
         c->InitBuffer();
         return r;
       }},
  };
}

// The entries above plus the ones that only build part of a pocket: the follow tree alone and
// the spiral into a curve library.
std::vector<Strategy> AllEntries() {
  std::vector<Strategy> all = Strategies();
  all.push_back({"follow tree", [](CSmartLoop* c, CPathCombine*) {
                   return c->FollowContour(0, 1.0, kRound, -1, 60.0);
                 }});
  all.push_back({"scan points", [](CSmartLoop* c, CPathCombine*) {
                   CSmartLPoint* pts = CSmartLoop::GenerateScanPoint(c, 1.0, 2000);
                   if (pts) c->InitBuffer();
                   return pts ? 1 : 0;
                 }});
  all.push_back({"spiral library", [](CSmartLoop* c, CPathCombine*) {
                   const double c0[2] = {5, 5}, c1[2] = {4.5, 5};
                   CSmartArc a0(c0, 8.05, 0.0, kPi), a1(c1, 7.55, kPi, 2 * kPi);
                   CSmartArc* arcs[2] = {&a0, &a1};
                   CSmartCurveLib lib;
                   CSmartLPoint* pts = CSmartLoop::GenerateSpiralPoint(c, arcs, 1.0, &lib);
                   c->InitBuffer();
                   return pts && lib.count > 0 ? 1 : 0;
                 }});
  return all;
}

CSmartLoop* FigureEight() {
  return looptest::Polygon({{0, 0}, {10, 10}, {10, 0}, {0, 10}});
}

CSmartLoop* IslandAcrossTheOutline() {
  CSmartLoop* o = looptest::Rect(0, 0, 10, 10);
  o->AddIsland(looptest::Polygon({{8, 4}, {8, 6}, {12, 6}, {12, 4}}));
  return o;
}

CSmartLoop* Empty() { return new CSmartLoop; }

CSmartLoop* MillionVertices() {
  looptest::Pts ring;
  const int n = 1000000;
  for (int i = 0; i < n; ++i) ring.push_back({5 + 5 * std::cos(2 * kPi * i / n), 5 + 5 * std::sin(2 * kPi * i / n)});
  return looptest::Polygon(ring);
}

TEST(PocketInput, UnusableContoursFailForEveryStrategy) {
  const std::vector<std::pair<std::string, std::function<CSmartLoop*()>>> contours = {
      {"empty", Empty}, {"figure eight", FigureEight}, {"island across", IslandAcrossTheOutline},
      {"million vertices", MillionVertices}};
  for (const auto& [cname, make] : contours) {
    Owned c(make());
    for (const Strategy& s : Strategies()) {
      SCOPED_TRACE(cname + " " + s.name);
      CPathCombine comb(8);
      EXPECT_EQ(s.run(c.l, &comb), 0);
      EXPECT_EQ(comb.head, nullptr);
    }
  }
}

// A NaN or an infinity in the outline or in an island: the inside is unknown, so every entry
// refuses instead of emitting non-finite points or a path through the island (the same
// contour with the island's vertex finite works).
TEST(PocketInput, NonFiniteVertexFailsEveryEntry) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  struct Case {
    std::string name;
    double bad;
    bool island;
  };
  const Case cases[] = {{"finite", 7.0, true},
                        {"NaN outline", nan, false},
                        {"Inf outline", inf, false},
                        {"NaN island", nan, true},
                        {"Inf island", -inf, true}};
  for (const Case& k : cases) {
    for (const Strategy& s : AllEntries()) {
      SCOPED_TRACE(k.name + " " + s.name);
      looptest::Pts outline = {{0, 0}, {10, 0}, {10, 10}, {0, 10}};
      looptest::Pts island = {{3, 3}, {3, 6}, {6, 6}, {6, 3}};
      (k.island ? island : outline)[2] = {k.bad, 7};
      Owned c(looptest::Polygon(outline));
      c.l->AddIsland(looptest::Polygon(island));
      CPathCombine comb(8);
      const bool sound = std::isfinite(k.bad);
      EXPECT_EQ(s.run(c.l, &comb), sound ? 1 : 0);
      if (!sound) {
        EXPECT_EQ(comb.head, nullptr);
        EXPECT_EQ(c.l->children, nullptr);
        for (const CSmartLoop* l : {c.l, c.l->islands})
          for (CSmartSect* x = l->curve->head; x; x = x->next) EXPECT_EQ(x->CutCount(), 0);
      }
    }
  }
}

TEST(PocketInput, SoundContourWorksForEveryStrategy) {
  for (const Strategy& s : Strategies()) {
    SCOPED_TRACE(s.name);
    Owned c(looptest::Rect(0, 0, 10, 10));
    CPathCombine comb(8);
    EXPECT_EQ(s.run(c.l, &comb), 1);
    EXPECT_NE(comb.head, nullptr);
  }
}

TEST(PocketInput, CancelAppendsNothingAndLeavesTheCallersEntities) {
  for (const Strategy& s : Strategies()) {
    SCOPED_TRACE(s.name);
    for (int polls : {1, 2, 5}) {
      gResetProgress();
      Owned c(looptest::Rect(0, 0, 10, 10));
      CPathCombine comb(8);
      const double a[3] = {0, 0, 0}, b[3] = {1, 0, 0};
      CPathEntity* mine = new CPathLine3D(a, b);
      comb.AddTail(mine);
      gSetProgressCancelAfter(polls);
      const int r = s.run(c.l, &comb);
      if (r == 0) {
        EXPECT_EQ(comb.head, mine);
        EXPECT_EQ(comb.tail, mine);
      }
      // The contour is left as it came (no stray path points on it).
      for (CSmartSect* x = c.l->curve->head; x; x = x->next) EXPECT_EQ(x->CutCount(), 0);
    }
  }
  gResetProgress();
}

// A comb of 700 teeth: one row, one ray and one circle cross it far more often than the old
// fixed buffers held (1000 crossings per row, 100 per ray, 200 per arc).
CSmartLoop* Comb(int teeth) {
  // A base 9 high with teeth 3 wide and 11 high on a pitch of 4.
  looptest::Pts p = {{0, 0}, {4.0 * teeth, 0}, {4.0 * teeth, 9}};
  for (int t = teeth - 1; t >= 0; --t) {
    p.push_back({4.0 * t + 3.5, 9});
    p.push_back({4.0 * t + 3.5, 20});
    p.push_back({4.0 * t + 0.5, 20});
    p.push_back({4.0 * t + 0.5, 9});
  }
  p.push_back({0, 9});
  return looptest::Polygon(p);
}

TEST(PocketInput, LongRowsAndRaysKeepEveryCrossing) {
  const int teeth = 700;
  {
    Owned c(Comb(teeth));
    CPathCombine comb(8);
    // Rows at 2, 4, ..., 18 (step 2 from y = 0); the five above the base cross every tooth.
    const QNC_CutLinearDef def{0, 0, 2.0, 0.0, 0.0, 5.0, 0.0};
    ASSERT_EQ(c.l->CreateLinearPath(&comb, def, kRound, {1}), 1);
    int n = 0;
    for (CPathEntity* e = comb.head; e; e = e->next) ++n;
    EXPECT_EQ(n, 4 + 5 * teeth);
  }
  {
    // A ray along y = 15 from the far left crosses all teeth.
    Owned c(Comb(teeth));
    CPathCombine comb(8);
    const QNC_CutEmitDef def{0x02, {-5, 15}, 0.0, 1.0, 2.0};
    ASSERT_EQ(c.l->CreateEmitPath(&comb, def), 1);
    int n = 0;
    for (CPathEntity* e = comb.head; e; e = e->next) ++n;
    EXPECT_EQ(n, teeth);
  }
}

TEST(PocketInput, SpiralArcKeepsEveryCrossing) {
  // A star of 250 spikes between radii 5 and 10: each half circle of radius 7.x crosses it
  // about 250 times.
  const int spikes = 250;
  looptest::Pts p;
  for (int k = 0; k < 2 * spikes; ++k) {
    const double a = kPi * k / spikes, r = k % 2 ? 10.0 : 5.0;
    p.push_back({r * std::cos(a), r * std::sin(a)});
  }
  Owned star(looptest::Polygon(p));
  const double c0[2] = {0, 0}, c1[2] = {-0.25, 0};
  CSmartArc a0(c0, 7.55, 0.0, kPi), a1(c1, 7.3, kPi, 2 * kPi);
  CSmartArc* arcs[2] = {&a0, &a1};
  CSmartLPoint* pts = CSmartLoop::GenerateSpiralPoint(star.l, arcs, 0.5);
  int first = 0;
  for (CSmartLPoint* q = pts; q; q = q->created)
    if (q->number == 1 && q->sect) ++first;
  EXPECT_GE(first, 2 * spikes - 10);
  a0.ClearCutPoints();
  star.l->InitBuffer();
}

}  // namespace
