// Special chaining: minimal loops through the start-x index, retracing chains over curve
// trees, composites stopping at branch points, and sub-loops of an ordered list.
#include <cmath>
#include <set>

#include <gtest/gtest.h>
#include <numbers>

#include "geometry/shapes2d/GeArc.h"
#include "geometry/tools/RBTree.h"
#include "tests/geometry/tools/SpecialChainTestUtil.h"
#include "tests/support/VurodeFixture.h"

using namespace chaintest;

namespace {

class SpecialChainTest : public VurodeTest {};

// Every loop is closed and linked; returns the total number of sub-curves.
int CheckClosedLoops(CGeLoopList& loops) {
  int n = 0;
  for (POSITION pos = loops.GetHeadPosition(); pos;) {
    CGeLoop* loop = loops.GetNext(pos);
    EXPECT_TRUE(IsChained(loop, 1e-9));
    EXPECT_TRUE(loop->IsClosed(0.01));
    n += Count(loop);
  }
  return n;
}

// ---- MakeMinLoopTree ----

TEST_F(SpecialChainTest, MinLoopsSplitAtEachReturnToTheChain) {
  // A spur into P = (0,0), where two squares of area 4 meet: a chain entering by the spur
  // splits off each square as it comes back to P and goes on; the spur itself is left over.
  CurveListGuard in;
  AddPath(in.list, {{0.5, -3}, {0, 0}}, false);
  AddPath(in.list, {{0, 0}, {2, 0}, {2, 2}, {0, 2}}, true);
  AddPath(in.list, {{0, 0}, {-2, 0}, {-2, -2}, {0, -2}}, true);
  LoopListGuard out;
  CGeTool2D().MakeMinLoopTree(&in.list, 1, &out.list, 0.001);

  // The curves went into the loops or were deleted: the caller's list keeps no pointer.
  EXPECT_TRUE(in.list.IsEmpty());
  ASSERT_EQ(out.list.GetCount(), 2);
  EXPECT_EQ(CheckClosedLoops(out.list), 8);
  for (POSITION pos = out.list.GetHeadPosition(); pos;)
    EXPECT_NEAR(std::fabs(VertexArea(out.list.GetNext(pos))), 4.0, 1e-9);
}

TEST_F(SpecialChainTest, MinLoopsDismantleOpenChainsAndKeepClosedOnes) {
  struct Case {
    const char* name;
    int splitClosed;
  };
  for (const Case& c : {Case{"split", 1}, Case{"no split", 0}}) {
    SCOPED_TRACE(c.name);
    CurveListGuard in;
    AddPath(in.list, {{0, 0}, {1, 0}, {1, 1}, {0, 1}}, true);   // closed
    AddPath(in.list, {{10, 0}, {12, 0}, {12, 3}}, false);        // open: goes entirely
    AddPath(in.list, {{20, 0}, {21, 0}, {21, 1}, {20, 1}}, true);  // a second closed one
    LoopListGuard out;
    CGeTool2D().MakeMinLoopTree(&in.list, c.splitClosed, &out.list, 0.001);
    EXPECT_TRUE(in.list.IsEmpty());
    // A closed chain meeting a dead end is a loop: both squares survive in either mode.
    ASSERT_EQ(out.list.GetCount(), 2);
    EXPECT_EQ(CheckClosedLoops(out.list), 8);
  }
}

TEST_F(SpecialChainTest, MinLoopsOfAnOpenChainOutputNothing) {
  CurveListGuard in;
  AddPath(in.list, {{0, 0}, {1, 0}, {2, 1}, {3, 0}}, false);
  in.list.AddTail(static_cast<CGeCurve*>(nullptr));
  LoopListGuard out;
  CGeTool2D().MakeMinLoopTree(&in.list, 1, &out.list, 0.001);
  EXPECT_TRUE(out.list.IsEmpty());
  // Only the null entry remains; the curves were deleted (the sanitiser build checks that).
  EXPECT_EQ(in.list.GetCount(), 1);
}

TEST_F(SpecialChainTest, MinLoopsTakeAClosedCurveAtOnce) {
  CurveListGuard in;
  auto* circle = new CGeArc;
  const double centre[2] = {50, 50};
  ASSERT_TRUE(circle->CreateCSEAngle(centre, 3, 0, 2 * std::numbers::pi));
  in.list.AddTail(circle);
  AddPath(in.list, {{0, 0}, {1, 0}}, false);
  LoopListGuard out;
  CGeTool2D().MakeMinLoopTree(&in.list, 0, &out.list, 0.001);
  ASSERT_EQ(out.list.GetCount(), 1);
  EXPECT_EQ(Count(out.list.GetHead()), 1);
  EXPECT_EQ(out.list.GetHead()->m_CurveList.GetHead(), circle);
}

TEST_F(SpecialChainTest, NextCurveInTheIndexIsTheSharpestTurnStartingAtTheEnd) {
  // Arriving at (0,0) heading +x. Candidates start there and turn by 0, 90 and 135 degrees;
  // two curves that would turn back lie just outside the tolerance in y or in x.
  CurveListGuard in;
  CGeLine* straight = Line({0, 0}, {1, 0});
  CGeLine* left = Line({0, 0}, {0, 1});
  CGeLine* sharp = Line({0, 0}, {-1, -1});
  in.list.AddTail(straight);
  in.list.AddTail(left);
  in.list.AddTail(sharp);
  in.list.AddTail(Line({0, 0.002}, {-1, 0.002}));
  in.list.AddTail(Line({-0.002, 0}, {-1, 0}));
  RBTree tree;
  geCreateScanBeamTree(&in.list, 0.001, tree);
  const double end[2] = {0, 0}, dir[2] = {1, 0};
  CGeTool2D tool;
  EXPECT_EQ(tool.SearchMinLkCurveTree(tree, end, dir, 0.001), sharp);
  EXPECT_EQ(tool.SearchMinLkCurveTree(tree, end, dir, 0.001), left);
  EXPECT_EQ(tool.SearchMinLkCurveTree(tree, end, dir, 0.001), straight);
  EXPECT_EQ(tool.SearchMinLkCurveTree(tree, end, dir, 0.001), nullptr);
  EXPECT_FALSE(tree.IsEmpty());  // the two others are still indexed
}

TEST_F(SpecialChainTest, MinLoopsIgnoreNullAndEmptyArguments) {
  LoopListGuard out;
  CGeTool2D tool;
  tool.MakeMinLoopTree(nullptr, 1, &out.list, 0.01);
  CurveListGuard empty;
  tool.MakeMinLoopTree(&empty.list, 1, &out.list, 0.01);
  CurveListGuard in;
  AddPath(in.list, {{0, 0}, {1, 0}, {1, 1}}, true);
  tool.MakeMinLoopTree(&in.list, 1, nullptr, 0.01);
  tool.MakeMinLoopTree(&in.list, 1, &out.list, 0.0);
  tool.MakeMinLoopTree(&in.list, 1, &out.list, NAN);
  EXPECT_EQ(in.list.GetCount(), 3);  // untouched without an output list or a reach
  EXPECT_TRUE(out.list.IsEmpty());
}

// ---- CreateLinkedCurve ----

// A tree: three branches from J = (0,0), one of them made of two pieces, one drawn towards J.
void AddTree(CGeCurveList& list) {
  AddPath(list, {{0, 0}, {-4, 0}}, false);
  AddPath(list, {{0, 0}, {3, 3}, {6, 3}}, false);
  AddPath(list, {{0, -5}, {0, 0}}, false);
}

TEST_F(SpecialChainTest, LinkedCurveCoversATreeWithOneContinuousPath) {
  CurveListGuard in;
  AddTree(in.list);
  std::set<CGeCurve*> originals;
  for (POSITION pos = in.list.GetHeadPosition(); pos;) originals.insert(in.list.GetNext(pos));
  LoopListGuard out;
  CGeTool2D().CreateLinkedCurve(&in.list, &out.list);
  EXPECT_TRUE(in.list.IsEmpty());
  ASSERT_EQ(out.list.GetCount(), 1);
  CGeLoop* path = out.list.GetHead();
  EXPECT_TRUE(IsChained(path, 1e-6));
  // Every original curve is in the path once; every branch is walked both ways, except that
  // the walk back stops once nothing is left to reach.
  int seen = 0;
  double length = 0;
  for (POSITION pos = path->m_CurveList.GetHeadPosition(); pos;) {
    CGeCurve* c = path->m_CurveList.GetNext(pos);
    if (originals.count(c)) ++seen;
    length += c->EvTotalArcLength();
  }
  EXPECT_EQ(seen, 4);
  const double treeLength = 4 + std::sqrt(18.0) + 3 + 5;
  EXPECT_GT(length, treeLength + 1e-9);
  EXPECT_LE(length, 2 * treeLength + 1e-9);
}

TEST_F(SpecialChainTest, LinkedCurveCancelDropsOnlyWhatTheCallBuilt) {
  // Cancel at every poll in turn: whenever it strikes, the call's own paths go, the loop the
  // list held before stays, and the caller's curves are back in its list as they came.
  for (int poll = 1; poll <= 12; ++poll) {
    SCOPED_TRACE(poll);
    gResetProgress();
    CurveListGuard in;
    AddTree(in.list);
    AddPath(in.list, {{100, 0}, {101, 0}}, false);
    struct Ends {
      CGeCurve* c;
      double s[2], e[2];
    };
    std::vector<Ends> input;
    for (POSITION pos = in.list.GetHeadPosition(); pos;) {
      CGeCurve* c = in.list.GetNext(pos);
      input.push_back({c, {}, {}});
      c->GetStartPoint(input.back().s);
      c->GetEndPoint(input.back().e);
    }
    LoopListGuard out;
    auto* earlier = new CGeLoop;
    out.list.AddTail(earlier);
    gSetProgressCancelAfter(poll);
    CGeTool2D().CreateLinkedCurve(&in.list, &out.list);
    if (gGetProgressPollCount() < poll) {
      EXPECT_EQ(out.list.GetCount(), 3);  // ran to the end: two paths added
      EXPECT_TRUE(in.list.IsEmpty());
      continue;
    }
    ASSERT_EQ(out.list.GetCount(), 1);
    EXPECT_EQ(out.list.GetHead(), earlier);
    ASSERT_EQ(in.list.GetCount(), static_cast<INT_PTR>(input.size()));
    size_t i = 0;
    for (POSITION pos = in.list.GetHeadPosition(); pos; ++i) {
      CGeCurve* c = in.list.GetNext(pos);
      EXPECT_EQ(c, input[i].c);
      double s[2], e[2];
      c->GetStartPoint(s);
      c->GetEndPoint(e);
      EXPECT_DOUBLE_EQ(s[0], input[i].s[0]);
      EXPECT_DOUBLE_EQ(s[1], input[i].s[1]);
      EXPECT_DOUBLE_EQ(e[0], input[i].e[0]);
      EXPECT_DOUBLE_EQ(e[1], input[i].e[1]);
    }
  }
}

// ---- AxisCrvToComCrv ----

TEST_F(SpecialChainTest, AxisCurvesStopAtBranchPointsAndDropShortSpurs) {
  struct Case {
    const char* name;
    double minLength;
    int composites;
  };
  for (const Case& c : {Case{"all kept", 0.0, 3}, Case{"short spur dropped", 5.0, 2}}) {
    SCOPED_TRACE(c.name);
    CurveListGuard in;
    // A T junction at (0,0): a left arm of two pieces (one drawn backwards), a right arm and
    // a short stem of length 3.
    AddPath(in.list, {{-10, 0}, {-5, 0}}, false);
    AddPath(in.list, {{0, 0}, {-5, 0}}, false);
    AddPath(in.list, {{0, 0}, {10, 0}}, false);
    AddPath(in.list, {{0, 3}, {0, 0}}, false);
    CurveListGuard out;
    CGeTool2D().AxisCrvToComCrv(&in.list, &out.list, 0.001, c.minLength);
    EXPECT_EQ(in.list.GetCount(), 4);  // the input keeps its curves
    ASSERT_EQ(out.list.GetCount(), c.composites);
    double total = 0;
    for (POSITION pos = out.list.GetHeadPosition(); pos;) {
      auto* comb = static_cast<CGeCombCurve*>(out.list.GetNext(pos));
      ASSERT_EQ(comb->GetType(), GE_TYPE_COMBCURVE);
      EXPECT_TRUE(IsChained(comb, 1e-9));
      double s[2], e[2];
      comb->GetStartPoint(s);
      comb->GetEndPoint(e);
      const double junction[2] = {0, 0};
      EXPECT_TRUE(Dist(s, junction) < 1e-9 || Dist(e, junction) < 1e-9) << "ends at the T";
      total += comb->EvTotalArcLength();
    }
    EXPECT_NEAR(total, c.minLength > 3 ? 20.0 : 23.0, 1e-9);
  }
}

TEST_F(SpecialChainTest, AxisCurveOfARingHasNoFreeEnd) {
  CurveListGuard in;
  AddPath(in.list, {{0, 0}, {1, 0}, {1, 1}, {0, 1}}, true);
  CurveListGuard out;
  CGeTool2D().AxisCrvToComCrv(&in.list, &out.list, 0.001, 100.0);
  ASSERT_EQ(out.list.GetCount(), 1);
  auto* ring = static_cast<CGeCombCurve*>(out.list.GetHead());
  EXPECT_EQ(Count(ring), 4);
  EXPECT_TRUE(ring->IsClosed(1e-9));
}

// ---- SearchLoop ----

TEST_F(SpecialChainTest, SearchLoopOfASquareInOrderGivesOneLoop) {
  CurveListGuard in;
  AddPath(in.list, {{0, 0}, {1, 0}, {1, 1}, {0, 1}}, true);
  LoopListGuard out;
  Tool().SearchLoop(&in.list, &out.list);
  EXPECT_TRUE(in.list.IsEmpty());
  ASSERT_EQ(out.list.GetCount(), 1);
  CGeLoop* loop = out.list.GetHead();
  // Each curve once: the curve the backward walk stops at is not taken a second time.
  std::set<CGeCurve*> distinct;
  for (POSITION pos = loop->m_CurveList.GetHeadPosition(); pos;)
    distinct.insert(loop->m_CurveList.GetNext(pos));
  EXPECT_EQ(Count(loop), 4);
  EXPECT_EQ(distinct.size(), 4u);
  EXPECT_NEAR(VertexArea(loop), 1.0, 1e-12);
}

TEST_F(SpecialChainTest, SearchLoopCutsASideLoopOutOfAPath) {
  CurveListGuard in;
  // The triangle (0,0)-(4,0)-(4,4) is interrupted at (4,0) by a side loop drawn in between.
  AddPath(in.list, {{0, 0}, {4, 0}}, false);
  AddPath(in.list, {{4, 0}, {6, -1}, {6, 1}, {4, 0}}, false);
  AddPath(in.list, {{4, 0}, {4, 4}, {0, 0}}, false);
  LoopListGuard out;
  Tool().SearchLoop(&in.list, &out.list);
  EXPECT_TRUE(in.list.IsEmpty());
  ASSERT_EQ(out.list.GetCount(), 2);
  EXPECT_EQ(CheckClosedLoops(out.list), 6);
  EXPECT_NEAR(VertexArea(out.list.GetHead()), 8.0, 1e-12);
  EXPECT_NEAR(VertexArea(out.list.GetTail()), 2.0, 1e-12);
}

}  // namespace
