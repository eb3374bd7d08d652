// Follow (contour-parallel) pockets: the offset tree, its linking and emission.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>
#include <numbers>
#include <type_traits>
#include <vector>

#include "millvane/loops/SmartLoop.h"
#include "millvane/loops/PathCombine.h"
#include "millvane/loops/PathEntity.h"
#include "platform/panlet/Progress.h"
#include "tests/millvane/LoopTestUtil.h"
#include "tests/millvane/loops/PocketShapes.h"
#include "tests/millvane/PocketTestUtil.h"

namespace {
using looptest::Owned;
using looptest::Rect;
constexpr double kPi = std::numbers::pi;
const QNC_CornerType kRound{2, 165.0, 15.0};

int Depth(const CSmartLoop* l) {
  int d = 0;
  for (const CSmartLoop* c = l->children; c; c = c->children) ++d;
  return d;
}

int TreeSize(const CSmartLoop* l) {
  int n = 1;
  for (const CSmartLoop* c = l->children; c; c = c->next) n += TreeSize(c);
  return n;
}

TEST(FollowPocket, SmallCircleGetsNoOffsetWithoutTrying) {
  Owned c(looptest::Circle(0, 0, 0.7));
  EXPECT_EQ(c.l->FollowPath(0, 1.0, kRound), nullptr);
  ASSERT_EQ(c.l->FollowContour(0, 1.0, kRound, -1, 60.0), 1);
  EXPECT_EQ(c.l->children, nullptr);
}

TEST(FollowPocket, HalfStepRetryOnlyBelowLimit) {
  // A 10 x 10 square has no offset at 5.5, but one at 2.75 (a 4.5 x 4.5 square).
  for (double limit : {30.0, 60.0}) {
    Owned sq(Rect(0, 0, 10, 10));
    ASSERT_EQ(sq.l->FollowContour(0, 5.5, kRound, 2, limit), 1);
    if (limit < 50) {
      ASSERT_NE(sq.l->children, nullptr);
      EXPECT_NEAR(sq.l->children->area, 2 * 4.5 * 4.5, 1e-6);
    } else {
      EXPECT_EQ(sq.l->children, nullptr);
    }
  }
}

TEST(FollowPocket, NestedSquaresLevelsAndTags) {
  Owned sq(Rect(0, 0, 20, 20));
  ASSERT_EQ(sq.l->FollowContour(0, 2.0, kRound, -1, 60.0), 1);
  // Offsets at 2, 4, ..., 8 (a 4 x 4 square); the next (side 0) is gone.
  EXPECT_EQ(Depth(sq.l), 4);
  int level = 1;
  for (const CSmartLoop* l = sq.l; l; l = l->children, ++level) {
    EXPECT_EQ(l->level, level);
    const double side = 20 - 4.0 * (level - 1);
    EXPECT_NEAR(l->area, 2 * side * side, 1e-6);
    for (CSmartSect* s = l->curve->head; s; s = s->next) EXPECT_GT(s->tag, 0);
  }
}

TEST(FollowPocket, MaxLevelStopsTheTree) {
  Owned sq(Rect(0, 0, 20, 20));
  ASSERT_EQ(sq.l->FollowContour(0, 2.0, kRound, 3, 60.0), 1);
  EXPECT_EQ(Depth(sq.l), 2);
}

// Islands grown by d with rounded corners follow the Steiner formula A + P d + pi d^2, for the
// contour-with-islands (1) and around-islands (2) styles alike. Each grown island takes over
// the island it was grown from (as an island in style 1, as a child in style 2), so the
// deepest loop holds the whole chain down to the user's island.
TEST(FollowPocket, GrownIslandsFollowSteiner) {
  for (int style : {1, 2}) {
    SCOPED_TRACE(style);
    Owned c(Rect(0, 0, 100, 100));
    c.l->AddIsland(looptest::Polygon({{40, 40}, {40, 60}, {60, 60}, {60, 40}}));
    ASSERT_EQ(c.l->FollowContour(style, 2.0, kRound, 6, 60.0), 1);
    const CSmartLoop* deepest = c.l;
    while (deepest->children) deepest = deepest->children;
    EXPECT_EQ(deepest->level, 6);
    int grown = 5;
    for (const CSmartLoop* i = deepest->islands; i; i = style == 1 ? i->islands : i->children, --grown) {
      const double d = 2.0 * grown;
      const double expect = 400 + 80 * d + kPi * d * d;
      EXPECT_NEAR(-0.5 * i->area, expect, 0.01 * expect) << "grown by " << d;
    }
    EXPECT_EQ(grown, -1);
  }
}

// Inward offsets of a rounded rectangle (the parallel body of a 20 x 10 core at radius 5)
// are parallel bodies of the core at radius 5 - d.
TEST(FollowPocket, InwardOffsetsOfRoundedOutlineFollowSteiner) {
  auto* c = new CSmartCurve;
  const double pi = kPi;
  const double a0[2] = {0, -5}, a1[2] = {20, -5}, b0[2] = {25, 0}, b1[2] = {25, 10},
               c0[2] = {20, 15}, c1[2] = {0, 15}, d0[2] = {-5, 10}, d1[2] = {-5, 0};
  const double k1[2] = {20, 0}, k2[2] = {20, 10}, k3[2] = {0, 10}, k4[2] = {0, 0};
  c->AppendSect(new CSmartLine(a0, a1));
  c->AppendSect(new CSmartArc(k1, 5, -pi / 2, 0));
  c->AppendSect(new CSmartLine(b0, b1));
  c->AppendSect(new CSmartArc(k2, 5, 0, pi / 2));
  c->AppendSect(new CSmartLine(c0, c1));
  c->AppendSect(new CSmartArc(k3, 5, pi / 2, pi));
  c->AppendSect(new CSmartLine(d0, d1));
  c->AppendSect(new CSmartArc(k4, 5, pi, 1.5 * pi));
  auto* loop = new CSmartLoop;
  loop->UpdateSect(c);
  Owned o(loop);
  ASSERT_EQ(o.l->FollowContour(0, 1.5, kRound, 4, 60.0), 1);
  int n = 0;
  for (const CSmartLoop* l = o.l->children; l; l = l->children, ++n) {
    const double r = 5 - 1.5 * (l->level - 1);
    const double expect = 200 + 60 * r + kPi * r * r;
    EXPECT_NEAR(0.5 * looptest::DenseArea(l), expect, 0.002 * expect);
  }
  EXPECT_EQ(n, 3);
}

TEST(FollowPocket, BadStepsFailBeforeAnyWork) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  for (double step : {0.0, -1.0, 1e-7, nan, inf}) {
    SCOPED_TRACE(step);
    Owned sq(Rect(0, 0, 20, 20));
    EXPECT_EQ(sq.l->FollowContour(0, step, kRound, -1, 0.0), 0);
    EXPECT_EQ(sq.l->children, nullptr);
    EXPECT_EQ(sq.l->FollowPath(0, step, kRound), nullptr);
    CPathCombine comb(8);
    QNC_CutFollowDef def{0, 0, step, 0.0};
    EXPECT_EQ(sq.l->CreateFollowPath(&comb, def, kRound, {1}), 0);
    EXPECT_EQ(comb.head, nullptr);
  }
}

TEST(FollowPocket, AbsurdInputFailsAtOnce) {
  // A step so small that the pocket would need millions of offsets.
  Owned sq(Rect(0, 0, 1000, 1000));
  EXPECT_EQ(sq.l->FollowContour(0, 1e-5, kRound, -1, 0.0), 0);
  // A million-vertex outline.
  looptest::Pts ring;
  const int n = 1000000;
  for (int i = 0; i < n; ++i) ring.push_back({100 * std::cos(2 * kPi * i / n), 100 * std::sin(2 * kPi * i / n)});
  Owned big(looptest::Polygon(ring));
  CPathCombine comb(8);
  QNC_CutFollowDef def{0, 0, 1.0, 0.0};
  EXPECT_EQ(big.l->CreateFollowPath(&comb, def, kRound, {1}), 0);
  EXPECT_EQ(comb.head, nullptr);
}

TEST(FollowPocket, CancelFreesTheTreeAndAppendsNothing) {
  gResetProgress();
  Owned sq(Rect(0, 0, 20, 20));
  CPathCombine comb(8);
  const double a[3] = {0, 0, 0}, b[3] = {1, 0, 0};
  comb.AddTail(new CPathLine3D(a, b));  // the caller's own entity stays
  gSetProgressCancelAfter(2);
  QNC_CutFollowDef def{0, 0, 2.0, 60.0};
  EXPECT_EQ(sq.l->CreateFollowPath(&comb, def, kRound, {1}), 0);
  EXPECT_EQ(comb.head, comb.tail);
  EXPECT_EQ(sq.l->children, nullptr);
  gResetProgress();
  ASSERT_EQ(sq.l->FollowContour(0, 2.0, kRound, -1, 60.0), 1);
  gSetProgressCancelAfter(1);
  Owned sq2(Rect(0, 0, 20, 20));
  EXPECT_EQ(sq2.l->FollowContour(0, 2.0, kRound, -1, 60.0), 0);
  EXPECT_EQ(sq2.l->children, nullptr);
  gResetProgress();
}

// Link points: the cut of every loop starts where the link from its parent arrives.
TEST(FollowLink, NestedSquaresBecomeOneCutFromTheOuterLoop) {
  for (uint32_t flags : {0u, 0x01u, 0x04u, 0x05u}) {
    SCOPED_TRACE(flags);
    Owned sq(Rect(0, 0, 20, 20));
    CPathCombine comb(8);
    QNC_CutFollowDef def{0, flags, 2.0, 60.0};
    ASSERT_EQ(sq.l->CreateFollowPath(&comb, def, kRound, {0}), 1);
    EXPECT_EQ(sq.l->children, nullptr);  // the caller's contour is left alone
    int breaks = -1;
    const auto segs = pockettest::Segments(comb, &breaks);
    ASSERT_FALSE(segs.empty());
    EXPECT_EQ(breaks, 0);
    auto onOuter = [](const std::array<double, 2>& p) {
      return std::fabs(p[0]) < 1e-9 || std::fabs(p[0] - 20) < 1e-9 || std::fabs(p[1]) < 1e-9 ||
             std::fabs(p[1] - 20) < 1e-9;
    };
    const bool reversed = ((flags & 1) != 0) != ((flags & 4) != 0);
    EXPECT_TRUE(onOuter(reversed ? segs.back().b : segs.front().a));
    double len = 0;
    for (const auto& s : segs) len += std::hypot(s.b[0] - s.a[0], s.b[1] - s.a[1]);
    // Four squares (sides 20, 16, 12, 8, 4: 5 loops) and links of at least 2 each.
    const double loops = 4 * (20 + 16 + 12 + 8 + 4);
    EXPECT_GE(len, loops + 4 * 2 - 1e-6);
    EXPECT_LE(len, loops + 4 * 2 * std::sqrt(2.0) * 2 + 1e-6);
  }
}

// Inside every emitted curve the joints meet; link sections carry 0x20 and the lengths add up.
TEST(FollowLink, EmittedCurvesAreContinuous) {
  for (uint32_t flags : {0u, 0x04u}) {
    for (const auto& shape : pockettest::Shapes()) {
      SCOPED_TRACE(shape.name + " flags " + std::to_string(flags));
      Owned c(shape.make());
      ASSERT_EQ(c.l->FollowContour(0, 1.0, kRound, -1, 0.0), 1);
      double loopLen = 0;
      std::vector<const CSmartLoop*> stack = {c.l};
      while (!stack.empty()) {
        const CSmartLoop* l = stack.back();
        stack.pop_back();
        if (l->curve) loopLen += looptest::Perimeter(l);
        for (const CSmartLoop* x = l->children; x; x = x->next) stack.push_back(x);
        for (const CSmartLoop* x = l->islands; x; x = x->next) stack.push_back(x);
      }
      c.l->ConnectFollowPath(0, flags);
      double emitted = 0, links = 0;
      int curves = 0;
      while (CSmartLoop* first = c.l->GetFirstLoop(0)) {
        CSmartSect* b = first->GetBeginSect();
        if (!b) first->GetFirstCntSect(b);
        ASSERT_NE(b, nullptr);
        first->curve->StartAt(b);
        CSmartCurve cut;
        first->ExtractCutinPath(0, flags, &cut);
        ++curves;
        for (CSmartSect* s = cut.head; s; s = s->next) {
          if (s->next) {
            double e[2], st[2];
            s->EndPoint(e);
            s->next->StartPoint(st);
            EXPECT_LT(std::hypot(e[0] - st[0], e[1] - st[1]), 1e-6);
          }
          if (s->flags & kSectLink) links += s->Length();
          else emitted += s->Length();
        }
      }
      EXPECT_GE(curves, 1);
      EXPECT_NEAR(emitted, loopLen, 1e-6 * loopLen);
      EXPECT_GT(links, 0.0);
    }
  }
}

TEST(FollowLink, LoopWithoutMatchingParentSectionGetsTheSentinelAndNoLink) {
  Owned sq(Rect(0, 0, 20, 20));
  ASSERT_EQ(sq.l->FollowContour(0, 2.0, kRound, 3, 60.0), 1);
  CSmartLoop* child = sq.l->children;
  ASSERT_NE(child, nullptr);
  // Cut the child loose from its parent's sections.
  for (CSmartSect* s = child->curve->head; s; s = s->next) s->origin = nullptr;
  sq.l->ConnectFollowPath(0, 0);
  EXPECT_EQ(child->connectEnd[0], 1000000.0);
  EXPECT_EQ(child->connectEnd[1], 1000000.0);
  CPathCombine comb(8);
  QNC_CutFollowDef def{0, 0, 2.0, 60.0};
  ASSERT_EQ(sq.l->ExtractFollowPath(&comb, def, {1}), 1);
  int breaks = 0;
  for (const auto& s : pockettest::Segments(comb, &breaks)) {
    EXPECT_LT(std::fabs(s.a[0]), 100.0);
    EXPECT_LT(std::fabs(s.b[1]), 100.0);
  }
  EXPECT_GE(breaks, 1);  // the child starts a cut of its own
}

TEST(FollowLink, LinkPointOnSectionEndMarksInsteadOfSplitting) {
  const double a[2] = {0, 0}, b[2] = {10, 0};
  CSmartLine l(a, b);
  double out[2];
  const double nearStart[2] = {-1, 3}, nearEnd[2] = {10.0005, 2}, mid[2] = {4, 2};
  CSmartLoop host;
  host.CreateConnectPoint(&l, nearStart, out);
  EXPECT_EQ(l.flags & (kSectConnect | kSectChainEnd), kSectConnect);
  EXPECT_EQ(l.CutCount(), 0);
  host.CreateConnectPoint(&l, nearEnd, out);
  EXPECT_TRUE(l.flags & kSectChainEnd);
  EXPECT_EQ(l.CutCount(), 0);
  host.CreateConnectPoint(&l, mid, out);
  EXPECT_EQ(l.CutCount(), 1);
  EXPECT_DOUBLE_EQ(out[0], 4.0);
  EXPECT_DOUBLE_EQ(out[1], 0.0);
}

// Every point of the (already inset) region lies within r of the path, and the path stays
// inside the region. A follow pocket guarantees this for a step up to r only: a strip between
// s and 2s wide vanishes at the next offset and leaves its middle s from the last loop, and
// between two nested sharp corners a point lies 0.59 s from both.
TEST(FollowPocketCoverage, StepTwiceRadiusCoversTheRegion) {
  const double r = 0.75;
  for (const auto& shape : pockettest::Shapes()) {
    SCOPED_TRACE(shape.name);
    Owned c(shape.make());
    const auto rings = pockettest::ContourSamples(c.l);
    CPathCombine comb(8);
    QNC_CutFollowDef def{0, 0, r, 0.0};
    ASSERT_EQ(c.l->CreateFollowPath(&comb, def, kRound, {1}), 1);
    const auto segs = pockettest::Segments(comb);
    EXPECT_LE(pockettest::WorstGap(rings, segs, 0.2, 3 * r), r + 0.02);
    for (const auto& s : segs)
      EXPECT_TRUE(pockettest::InRegion(rings, s.a[0], s.a[1]) ||
                  pockettest::DistToRings(rings, s.a[0], s.a[1]) < 1e-3);
  }
}

}  // namespace

namespace {

double TreePerimeter(const CSmartLoop* l) {
  double s = l->curve ? looptest::Perimeter(l) : 0.0;
  for (const CSmartLoop* c = l->children; c; c = c->next) s += TreePerimeter(c);
  for (const CSmartLoop* i = l->islands; i; i = i->next) s += TreePerimeter(i);
  return s;
}

bool AllEmitted(const CSmartLoop* l) {
  if (l->curve && !(l->state & kLoopEmitted)) return false;
  for (const CSmartLoop* c = l->children; c; c = c->next)
    if (!AllEmitted(c)) return false;
  for (const CSmartLoop* i = l->islands; i; i = i->next)
    if (!AllEmitted(i)) return false;
  return true;
}

struct EmitCase {
  const char* name;
  int style;            // tree style
  int (*emit)(CSmartLoop*, CPathCombine*);
};

int FollowStyle(CSmartLoop* l, CPathCombine* c, int style, uint32_t flags, int order) {
  QNC_CutFollowDef def{style, flags, 1.0, 0.0};
  return l->ExtractFollowPath(c, def, {order});
}

const EmitCase kEmitCases[] = {
    {"style0", 0, [](CSmartLoop* l, CPathCombine* c) { return FollowStyle(l, c, 0, 0, 1); }},
    {"style0mid", 0, [](CSmartLoop* l, CPathCombine* c) { return FollowStyle(l, c, 0, 0x04, 0); }},
    {"style1", 1, [](CSmartLoop* l, CPathCombine* c) { return FollowStyle(l, c, 1, 0, 1); }},
    {"style1rev", 1, [](CSmartLoop* l, CPathCombine* c) { return FollowStyle(l, c, 1, 0x01, 0); }},
    {"style2", 2, [](CSmartLoop* l, CPathCombine* c) { return FollowStyle(l, c, 2, 0, 1); }},
    {"debur", 0, [](CSmartLoop* l, CPathCombine* c) { return FollowStyle(l, c, 0, 0x10, 1); }},
    {"deburmid", 0, [](CSmartLoop* l, CPathCombine* c) { return FollowStyle(l, c, 0, 0x14, 1); }},
    {"looptosect0", 0, [](CSmartLoop* l, CPathCombine* c) { return l->LoopToSect(c, 0); }},
    {"looptosect1", 1, [](CSmartLoop* l, CPathCombine* c) { return l->LoopToSect(c, 1); }},
    {"allchild", 0,
     [](CSmartLoop* l, CPathCombine* c) {
       l->ConnectAllChild();
       return l->ExtractAllChild(c, 0);
     }},
    {"followchild", 0,
     [](CSmartLoop* l, CPathCombine* c) {
       l->ConnectFollowChild();
       QNC_CutFollowDef def{0, 0x04, 1.0, 0.0};
       return l->ExtractFollowPath(c, def, {1});
     }},
};

// Every emission visits every loop of the tree, stays inside the region, and leaves no point
// of it further than the step from the path.
TEST(FollowEmission, EveryEmitterCutsTheWholeTree) {
  const double step = 1.0;
  for (const auto& ec : kEmitCases) {
    for (const auto& shape : pockettest::Shapes()) {
      SCOPED_TRACE(std::string(ec.name) + " " + shape.name);
      Owned c(shape.make());
      const auto rings = pockettest::ContourSamples(c.l);
      ASSERT_EQ(c.l->FollowContour(ec.style, step, kRound, -1, 0.0), 1);
      const double perimeter = TreePerimeter(c.l);
      CPathCombine comb(8);
      ASSERT_EQ(ec.emit(c.l, &comb), 1);
      EXPECT_TRUE(AllEmitted(c.l));
      const auto segs = pockettest::Segments(comb);
      double len = 0;
      for (const auto& s : segs) {
        len += std::hypot(s.b[0] - s.a[0], s.b[1] - s.a[1]);
        EXPECT_TRUE(pockettest::InRegion(rings, s.a[0], s.a[1]) ||
                    pockettest::DistToRings(rings, s.a[0], s.a[1]) < 1e-3);
      }
      // Arcs are measured on their chords here: a little short of their length.
      EXPECT_GE(len, perimeter * (1 - 1e-4));
      EXPECT_LE(pockettest::WorstGap(rings, segs, 0.25, 3 * step), step + 0.02);
    }
  }
}

// Deburring goes round each loop, and with 0x04 back along the stretch it went over again:
// the curve is continuous and longer than one pass.
TEST(FollowEmission, DeburringCurveIsContinuous) {
  for (uint32_t flags : {0x10u, 0x14u}) {
    Owned sq(Rect(0, 0, 20, 20));
    ASSERT_EQ(sq.l->FollowContour(0, 2.0, kRound, -1, 60.0), 1);
    const double perimeter = TreePerimeter(sq.l);
    sq.l->ConnectFollowPath(0, flags);
    CSmartSect* b = nullptr;
    sq.l->GetFirstCntSect(b);
    CSmartCurve cut;
    sq.l->ExtractDeburyPath(0, flags, &cut);
    double len = 0;
    for (CSmartSect* s = cut.head; s; s = s->next) {
      if (!(s->flags & kSectLink)) len += s->Length();
      if (!s->next) break;
      double e[2], st[2];
      s->EndPoint(e);
      s->next->StartPoint(st);
      EXPECT_LT(std::hypot(e[0] - st[0], e[1] - st[1]), 1e-6);
    }
    EXPECT_TRUE(AllEmitted(sq.l));
    EXPECT_GE(len, perimeter - 1e-9);
  }
}

}  // namespace

namespace {

// An island is linked to the copy of it that the next offset keeps as an obstacle; without
// any offset it is linked to its own loop and marked for a cut of its own.
TEST(FollowLink, OuterIslandLinksToTheLoopOffsetFromIt) {
  for (int levels : {2, 1}) {
    SCOPED_TRACE(levels);
    Owned c(Rect(0, 0, 40, 30));
    c.l->AddIsland(looptest::Polygon({{18, 12}, {18, 18}, {24, 18}, {24, 12}}));
    ASSERT_EQ(c.l->FollowContour(0, 1.0, kRound, levels, 60.0), 1);
    ASSERT_EQ(c.l->children != nullptr, levels == 2);
    c.l->ConnectOuterIsland();
    CSmartLoop* isl = c.l->islands;
    ASSERT_NE(isl, nullptr);
    if (levels == 2) {
      EXPECT_EQ(isl->kind, -1);
      EXPECT_LT(std::hypot(isl->connectStart[0] - isl->connectEnd[0], isl->connectStart[1] - isl->connectEnd[1]), 1e-9);
      EXPECT_LT(isl->MinDistPoint(isl->connectStart), 1e-9);  // on the island
    } else {
      EXPECT_EQ(isl->kind, 1);
      EXPECT_EQ(isl->connectEnd[0], 1000000.0);
    }
  }
}

}  // namespace

// A loop owns its curve and lists: a member-wise copy would free them twice, so there is none.
static_assert(!std::is_copy_constructible_v<CSmartLoop>);
static_assert(!std::is_copy_assignable_v<CSmartLoop>);

namespace {

// With 0x40 the copies of generated sections are marked as off the user's boundary; the
// contour's own sections are not.
TEST(FollowLink, MarkInnerFlagsOnlyGeneratedSections) {
  Owned sq(Rect(0, 0, 20, 20));
  ASSERT_EQ(sq.l->FollowContour(0, 2.0, kRound, -1, 60.0), 1);
  sq.l->ConnectFollowPath(0, 0x40);
  CSmartSect* b = nullptr;
  sq.l->GetFirstCntSect(b);
  CSmartCurve cut;
  sq.l->ExtractCutinPath(0, 0x40, &cut);
  int bound = 0, inner = 0;
  for (CSmartSect* s = cut.head; s; s = s->next) {
    if (s->flags & kSectLink) continue;
    double m[2];
    s->EvPoint(0.5, m);
    const bool onContour = m[0] < 1e-9 || m[1] < 1e-9 || m[0] > 20 - 1e-9 || m[1] > 20 - 1e-9;
    EXPECT_EQ((s->flags & kSectNotBound) != 0, !onContour);
    EXPECT_EQ((s->flags & kSectBound) != 0, onContour);
    (onContour ? bound : inner)++;
  }
  EXPECT_GE(bound, 4);
  EXPECT_GE(inner, 16);
}

}  // namespace
