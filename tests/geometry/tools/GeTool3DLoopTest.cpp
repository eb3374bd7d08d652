#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <set>
#include <tuple>
#include <vector>

#include "geometry/shapes3d/GeLoop3d.h"
#include "geometry/shapes3d/GeArc3d.h"
#include "geometry/shapes3d/GeLine3d.h"
#include "geometry/tools/GeTool3D.h"
#include "platform/panlet/Progress.h"
#include "tests/support/VurodeFixture.h"

namespace {

using P = std::array<double, 3>;
using Key = std::tuple<long, long, long>;

Key KeyOf(const double p[3]) {
  return {std::lround(p[0] * 1000), std::lround(p[1] * 1000), std::lround(p[2] * 1000)};
}

// Edges of a closed polygon through the vertices, in order.
std::vector<std::pair<P, P>> Edges(const std::vector<P>& v) {
  std::vector<std::pair<P, P>> e;
  for (size_t i = 0; i < v.size(); ++i)
    e.push_back({v[i], v[(i + 1) % v.size()]});
  return e;
}

CGeLine3d* Line(const P& a, const P& b) { return new CGeLine3d(a.data(), b.data()); }

// Square with a wavy z, a triangle far away and a pentagon: the independent
// answer is the vertex set of each polygon.
std::vector<std::vector<P>> Polygons() {
  return {{{0, 0, 0}, {4, 0, 1}, {4, 4, 0.5}, {0, 4, 2}},
          {{10, 0, 5}, {13, 0, 5}, {11, 3, 6}},
          {{20, 0, 0}, {22, 1, 0.3}, {21.5, 3, 0}, {18.5, 3, 1}, {18, 1, 0}}};
}

void Shuffled(CGeCurve3dList& list, unsigned seed) {
  std::vector<std::pair<P, P>> all;
  for (const auto& poly : Polygons())
    for (const auto& e : Edges(poly))
      all.push_back(e);
  std::mt19937 rng(seed);
  std::shuffle(all.begin(), all.end(), rng);
  for (auto [a, b] : all) {
    if (rng() & 1)
      std::swap(a, b);
    list.AddTail(Line(a, b));
  }
}

// Each loop as the set of its vertices, and a check that it is a closed chain.
std::set<std::set<Key>> LoopVertexSets(CGeLoop3dList& loops, double tol) {
  std::set<std::set<Key>> out;
  for (POSITION pos = loops.GetHeadPosition(); pos;) {
    CGeLoop3d* l = loops.GetNext(pos);
    EXPECT_EQ(l->IsLoop3d(tol), 1);
    std::set<Key> keys;
    for (POSITION q = l->m_CurveList.GetHeadPosition(); q;) {
      double s[3];
      l->m_CurveList.GetNext(q)->GetStartPoint(s);
      keys.insert(KeyOf(s));
    }
    EXPECT_EQ(static_cast<int>(keys.size()), l->m_CurveList.GetCount());
    out.insert(keys);
  }
  return out;
}

std::set<std::set<Key>> Expected() {
  std::set<std::set<Key>> out;
  for (const auto& poly : Polygons()) {
    std::set<Key> keys;
    for (const P& p : poly)
      keys.insert(KeyOf(p.data()));
    out.insert(keys);
  }
  return out;
}

CGeLoop3d* Square(double x0, double y0, double size, bool ccw) {
  std::vector<P> v{{x0, y0, 0}, {x0 + size, y0, 0}, {x0 + size, y0 + size, 0}, {x0, y0 + size, 0}};
  if (!ccw)
    std::reverse(v.begin(), v.end());
  auto* loop = new CGeLoop3d();
  for (const auto& [a, b] : Edges(v))
    loop->AddTail(Line(a, b));
  return loop;
}

using GeTool3DLoopTest = VurodeTest;

}  // namespace

TEST_F(GeTool3DLoopTest, ShuffledReversedSegmentsChainBackIntoThePolygons) {
  for (unsigned seed = 1; seed <= 20; ++seed) {
    CGeCurve3dList curves;
    Shuffled(curves, seed);
    const int n = static_cast<int>(curves.GetCount());
    CGeTool3D tool;
    CGeLoop3dList a, b;
    tool.ReCreateLoop3d(&curves, &a, 0.001, true);
    EXPECT_EQ(LoopVertexSets(a, 0.001), Expected()) << seed;
    // Copies: the caller keeps every curve.
    EXPECT_EQ(curves.GetCount(), n);
    tool.MakeLoop3d(&curves, &b);
    EXPECT_EQ(LoopVertexSets(b, 0.001), Expected()) << seed;
    EXPECT_EQ(curves.GetCount(), n);
    geDelLoop3dList(&a);
    geDelLoop3dList(&b);
    EXPECT_TRUE(a.IsEmpty());
    geDelCurve3dList(&curves);
  }
}

TEST_F(GeTool3DLoopTest, MakeLoop3dNeverReversesTheCallersCurves) {
  CGeCurve3dList curves;
  curves.AddTail(Line({0, 0, 0}, {1, 0, 0}));
  curves.AddTail(Line({2, 0, 0}, {1, 0, 0}));  // must be reversed to chain
  CGeTool3D tool;
  CGeLoop3dList loops;
  tool.MakeLoop3d(&curves, &loops);
  ASSERT_EQ(loops.GetCount(), 1);
  EXPECT_EQ(loops.GetHead()->m_CurveList.GetCount(), 2);
  EXPECT_EQ(loops.GetHead()->IsLinked(1e-6), 1);
  double s[3];
  curves.GetTail()->GetStartPoint(s);
  EXPECT_DOUBLE_EQ(s[0], 2.0);
  geDelLoop3dList(&loops);
  geDelCurve3dList(&curves);
}

TEST_F(GeTool3DLoopTest, OpenChainsGrowFromBothEndsAndClosedOnlyDropsThem) {
  // Path 0 -> 1 -> 2 -> 3 given middle first: the chain must grow both ways.
  CGeCurve3dList curves;
  curves.AddTail(Line({1, 0, 0}, {2, 0, 1}));
  curves.AddTail(Line({3, 0, 0}, {2, 0, 1}));
  curves.AddTail(Line({0, 0, 0}, {1, 0, 0}));
  CGeTool3D tool;
  CGeLoop3dList open, closed;
  tool.ReCreateLoop3d(&curves, &open, 0.001, false);
  ASSERT_EQ(open.GetCount(), 1);
  EXPECT_EQ(open.GetHead()->m_CurveList.GetCount(), 3);
  EXPECT_EQ(open.GetHead()->IsLinked(1e-6), 1);
  tool.ReCreateLoop3d(&curves, &closed, 0.001, true);
  EXPECT_TRUE(closed.IsEmpty());
  geDelLoop3dList(&open);
  geDelCurve3dList(&curves);
}

TEST_F(GeTool3DLoopTest, ReSortLoopOrientsAndNests) {
  // C contains B contains A, plus D beside C; all given clockwise and smallest
  // first.
  CGeLoop3dList loops;
  CGeLoop3d* A = Square(4, 4, 2, false);
  CGeLoop3d* B = Square(2, 2, 6, true);
  CGeLoop3d* C = Square(0, 0, 10, false);
  CGeLoop3d* D = Square(20, 0, 3, false);
  loops.AddTail(A);
  loops.AddTail(D);
  loops.AddTail(B);
  loops.AddTail(C);
  CGeTool3D tool;
  tool.ReSortLoop(&loops);
  std::vector<CGeLoop3d*> got;
  for (POSITION pos = loops.GetHeadPosition(); pos;)
    got.push_back(loops.GetNext(pos));
  ASSERT_EQ(got, (std::vector<CGeLoop3d*>{C, B, D, A}));
  EXPECT_GT(C->m_dArea, 0);
  EXPECT_LT(B->m_dArea, 0);
  EXPECT_GT(D->m_dArea, 0);
  EXPECT_GT(A->m_dArea, 0);
  EXPECT_NEAR(std::fabs(B->m_dArea), 36, 1e-6);
  // A recomputed area agrees with the cached sign after the reversals.
  B->m_dArea = 1e12;
  CGeLoop3d* fresh = B->Copy();
  EXPECT_LT(fresh->EvArea(0.01), 0);
  delete fresh;
  geDelLoop3dList(&loops);
}

TEST_F(GeTool3DLoopTest, NearestDistanceSortCurvesAndLoops) {
  CGeCurve3dList curves;
  CGeLine3d* first = Line({0, 0, 0}, {1, 0, 0});
  CGeLine3d* far = Line({9, 0, 0}, {10, 0, 0});
  CGeLine3d* nearEnd = Line({3, 0, 0}, {1.1, 0, 0});  // its end is nearest: reversed
  curves.AddTail(first);
  curves.AddTail(far);
  curves.AddTail(nearEnd);
  CGeTool3D tool;
  tool.NearestDistanceSort(&curves);
  ASSERT_EQ(curves.GetCount(), 3);
  EXPECT_EQ(curves.GetHead(), first);
  EXPECT_EQ(curves.GetAt(curves.FindIndex(1)), nearEnd);
  double s[3];
  nearEnd->GetStartPoint(s);
  EXPECT_DOUBLE_EQ(s[0], 1.1);
  EXPECT_EQ(curves.GetTail(), far);
  geDelCurve3dList(&curves);

  // Loops: without reversal a loop keeps its direction even when its end is
  // nearer.
  for (bool allow : {false, true}) {
    CGeLoop3dList loops;
    auto* l0 = new CGeLoop3d();
    l0->AddTail(Line({0, 0, 0}, {1, 0, 0}));
    auto* l1 = new CGeLoop3d();
    l1->AddTail(Line({8, 0, 0}, {1.2, 0, 0}));
    auto* l2 = new CGeLoop3d();
    l2->AddTail(Line({2, 0, 0}, {5, 0, 0}));
    loops.AddTail(l0);
    loops.AddTail(l1);
    loops.AddTail(l2);
    tool.NearestDistanceSort(&loops, allow);
    double p[3];
    l1->GetStartPoint(p);
    EXPECT_DOUBLE_EQ(p[0], allow ? 1.2 : 8.0);
    EXPECT_EQ(loops.GetAt(loops.FindIndex(1)), allow ? l1 : l2);
    geDelLoop3dList(&loops);
  }
}

TEST_F(GeTool3DLoopTest, CancelKeepsTheCallersEarlierLoopsAndCurves) {
  CGeTool3D tool;
  for (int at = 1; at <= 6; ++at) {
    CGeCurve3dList curves;
    Shuffled(curves, 7);
    const int n = static_cast<int>(curves.GetCount());
    CGeLoop3dList loops;
    CGeLoop3d* earlier = Square(50, 50, 1, true);
    loops.AddTail(earlier);
    gResetProgress();
    gSetProgressCancelAfter(at);
    tool.ReCreateLoop3d(&curves, &loops, 0.001, true);
    ASSERT_EQ(loops.GetCount(), 1) << at;
    EXPECT_EQ(loops.GetHead(), earlier);
    EXPECT_EQ(earlier->m_CurveList.GetCount(), 4);

    // Chains that move the caller's curves give them back on cancel, in their order and
    // each the way it came.
    struct Ends {
      CGeCurve3d* c;
      double s[3], e[3];
    };
    std::vector<Ends> input;
    for (POSITION pos = curves.GetHeadPosition(); pos;) {
      CGeCurve3d* c = curves.GetNext(pos);
      input.push_back({c, {}, {}});
      c->GetStartPoint(input.back().s);
      c->GetEndPoint(input.back().e);
    }
    auto expectInput = [&] {
      ASSERT_EQ(curves.GetCount(), n) << at;
      size_t i = 0;
      for (POSITION pos = curves.GetHeadPosition(); pos; ++i) {
        CGeCurve3d* c = curves.GetNext(pos);
        EXPECT_EQ(c, input[i].c) << at;
        double s[3], e[3];
        c->GetStartPoint(s);
        c->GetEndPoint(e);
        for (int k = 0; k < 3; ++k) {
          EXPECT_DOUBLE_EQ(s[k], input[i].s[k]) << at;
          EXPECT_DOUBLE_EQ(e[k], input[i].e[k]) << at;
        }
      }
    };
    gResetProgress();
    gSetProgressCancelAfter(at);
    tool.CreateLoop3dForClearCorner(&curves, 0.001, &loops);
    EXPECT_EQ(loops.GetCount(), 1) << at;
    expectInput();

    gResetProgress();
    gSetProgressCancelAfter(at);
    tool.CreateLinkedCurve(&curves, &loops);
    EXPECT_EQ(loops.GetCount(), 1) << at;
    expectInput();
    gResetProgress();
    geDelLoop3dList(&loops);
    geDelCurve3dList(&curves);
  }
}

TEST_F(GeTool3DLoopTest, ClearCornerStartsLowAndIgnoresTol) {
  // A staircase going up, given top first; plus a lone curve starting lower
  // elsewhere.
  std::vector<P> pts{{0, 0, 0}, {1, 0, 1}, {2, 0, 2}, {3, 0, 3}};
  for (double tol : {0.001, 10.0}) {
    CGeCurve3dList curves;
    for (size_t i = pts.size() - 1; i > 0; --i)
      curves.AddTail(Line(pts[i - 1], pts[i]));
    curves.AddTail(Line({5, 5, -1}, {6, 5, -1}));
    CGeTool3D tool;
    CGeLoop3dList loops;
    tool.CreateLoop3dForClearCorner(&curves, tol, &loops);
    EXPECT_TRUE(curves.IsEmpty());
    ASSERT_EQ(loops.GetCount(), 2);
    EXPECT_EQ(loops.GetHead()->m_CurveList.GetCount(), 1);
    CGeLoop3d* stair = loops.GetTail();
    EXPECT_EQ(stair->m_CurveList.GetCount(), 3);
    EXPECT_EQ(stair->IsLinked(1e-9), 1);
    geDelLoop3dList(&loops);
  }
}

TEST_F(GeTool3DLoopTest, LinkedChainsRetraceBranches) {
  // A T: stem (0,0)-(0,1), arms (0,1)-(-1,1) and (0,1)-(1,1). One chain
  // retraces an arm.
  CGeCurve3dList curves;
  curves.AddTail(Line({0, 0, 0}, {0, 1, 0}));
  curves.AddTail(Line({0, 1, 0}, {-1, 1, 0}));
  curves.AddTail(Line({0, 1, 0}, {1, 1, 0}));
  CGeTool3D tool;
  CGeLoop3dList loops;
  tool.CreateLinkedCurve(&curves, &loops);
  EXPECT_TRUE(curves.IsEmpty());
  int total = 0;
  for (POSITION pos = loops.GetHeadPosition(); pos;) {
    CGeLoop3d* l = loops.GetNext(pos);
    EXPECT_EQ(l->IsLinked(1e-6), 1);
    total += static_cast<int>(l->m_CurveList.GetCount());
  }
  EXPECT_GE(total, 4);  // every curve plus at least one retraced copy
  geDelLoop3dList(&loops);
}

TEST_F(GeTool3DLoopTest, AxisCurvesJoinBetweenBranchPoints) {
  // A Y: three two-segment branches from the origin; each becomes one composite
  // of 2.
  CGeCurve3dList curves;
  for (double a : {0.0, 2.0, 4.0}) {
    P m{std::cos(a), std::sin(a), 0}, e{2 * std::cos(a), 2 * std::sin(a), 0};
    curves.AddTail(Line({0, 0, 0}, m));
    curves.AddTail(Line(e, m));
  }
  CGeTool3D tool;
  CGeCurve3dList out;
  tool.AxisCrvToComCrv(&curves, &out, 0.001, 0.5);
  ASSERT_EQ(out.GetCount(), 3);
  for (POSITION pos = out.GetHeadPosition(); pos;) {
    auto* c = static_cast<CGeCombCurve3d*>(out.GetNext(pos));
    EXPECT_EQ(c->m_CurveList.GetCount(), 2);
    EXPECT_NEAR(c->EvTotalArcLength2D(), 2.0, 1e-9);
  }
  EXPECT_EQ(curves.GetCount(), 6);
  geDelCurve3dList(&out);
  geDelCurve3dList(&curves);
}

TEST_F(GeTool3DLoopTest, LinkAndLoopTests) {
  CGeTool3D tool;
  CGeCurve3dList empty;
  EXPECT_EQ(tool.IsLinked(&empty, 0.01), 1);
  EXPECT_EQ(tool.IsLoop3d(&empty, 0.01), 0);
  CGeCurve3dList tri;
  for (const auto& [a, b] : Edges({{0, 0, 0}, {1, 0, 1}, {0, 1, 2}}))
    tri.AddTail(Line(a, b));
  EXPECT_EQ(tool.IsLoop3d(&tri, 0.01), 1);
  tri.GetTail()->Reverse();
  EXPECT_EQ(tool.IsLinked(&tri, 0.01), 0);
  geDelCurve3dList(&tri);
}

TEST_F(GeTool3DLoopTest, NextCurveIsTheLeftmostTurnInTheXyProjection) {
  // At (1,0,0): a right turn, a straight run that climbs steeply (straight only in xy), and
  // optionally a left turn that dives. The largest counter-clockwise angle from the way
  // back wins: left, else straight; candidates ending there are walked reversed.
  for (bool withLeft : {false, true}) {
    CGeCurve3dList curves;
    curves.AddTail(Line({0, 0, 0}, {1, 0, 0}));
    curves.AddTail(Line({1, -1, 0}, {1, 0, 0}));
    curves.AddTail(Line({1, 0, 0}, {2, 0, 5}));
    if (withLeft) curves.AddTail(Line({1, 1, -3}, {1, 0, 0}));
    CGeTool3D tool;
    CGeLoop3dList loops;
    tool.ReCreateLoop3d(&curves, &loops, 0.001, false);
    ASSERT_FALSE(loops.IsEmpty());
    CGeLoop3d* first = loops.GetHead();
    ASSERT_EQ(first->m_CurveList.GetCount(), 2);
    // The chain met a dead end and grew from the head's start: it stays reversed.
    double e[3];
    first->GetStartPoint(e);
    EXPECT_EQ(KeyOf(e), withLeft ? KeyOf(P{1, 1, -3}.data()) : KeyOf(P{2, 0, 5}.data()));
    geDelLoop3dList(&loops);
    geDelCurve3dList(&curves);
  }
}

TEST_F(GeTool3DLoopTest, ClosedCurveIsALoopAtOnce) {
  // A full circle with a line leaving its seam: the circle alone is the first loop, with or
  // without closedOnly; the line never joins it.
  for (bool closedOnly : {false, true}) {
    CGeCurve3dList curves;
    auto* circle = new CGeArc3d();
    const double centre[3] = {0, 0, 2};
    ASSERT_NE(circle->CreateCricleXY(centre, 1.0), 0);
    double s[3];
    circle->GetStartPoint(s);
    curves.AddTail(circle);
    curves.AddTail(Line({s[0], s[1], s[2]}, {s[0] + 1, s[1], s[2]}));
    CGeTool3D tool;
    CGeLoop3dList loops;
    tool.ReCreateLoop3d(&curves, &loops, 0.001, closedOnly);
    ASSERT_EQ(loops.GetCount(), closedOnly ? 1 : 2);
    EXPECT_EQ(loops.GetHead()->m_CurveList.GetCount(), 1);
    EXPECT_EQ(loops.GetHead()->m_CurveList.GetHead()->GetType(), GE_TYPE_ARC3D);
    geDelLoop3dList(&loops);
    geDelCurve3dList(&curves);
  }
}
