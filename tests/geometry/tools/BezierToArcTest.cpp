// Arc approximation of Bezier segments: dense two-sided distance to the exact curve, a joined
// chain in the curve's own direction, tangent continuity, and the merging of concentric arcs.
#include "geometry/tools/BezierToArc.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <ostream>
#include <string>
#include <vector>

#include "geometry/shapes2d/GeArc.h"
#include "geometry/shapes2d/GeBezier.h"
#include "geometry/shapes2d/GeLine.h"
#include "tests/geometry/tools/CurveFitTestUtil.h"

using namespace fittest;

namespace {
// Handle length of the cubic that best follows a quarter circle of radius 1.
constexpr double kQuarter = 0.5522847498;

// Exact point of a Bezier segment by de Casteljau, independent of the tool's evaluation.
P Exact(const std::vector<P>& c, double t) {
  std::vector<P> w = c;
  for (size_t level = 1; level < w.size(); ++level)
    for (size_t i = 0; i + level < w.size(); ++i)
      w[i] = {w[i].x + t * (w[i + 1].x - w[i].x), w[i].y + t * (w[i + 1].y - w[i].y)};
  return w[0];
}

CBezierToArc Make(const std::vector<P>& c) {
  std::vector<double> flat;
  for (P p : c) flat.push_back(p.x), flat.push_back(p.y);
  return CBezierToArc(reinterpret_cast<const double(*)[2]>(flat.data()),
                      static_cast<int>(c.size()) - 1);
}

struct Case {
  std::string name;
  std::vector<P> ctrl;
  double tol;
  bool viaApproxi;       // ArcApproxi instead of ArcApproximation
  double maxJointTurn;   // largest tangent turn allowed at a joint between pieces
};

// Curves that exercise the single-arc walk, biarcs, halving, reversal and S-bends.
const std::vector<Case> kCases = {
    {"quarter circle", {{10, 0}, {10, 10 * kQuarter}, {10 * kQuarter, 10}, {0, 10}}, 0.01, false,
     1.1 * kDegree},
    {"flat arch", {{0, 0}, {3, 2}, {7, 2}, {10, 0}}, 0.01, false, 1.1 * kDegree},
    {"end turns harder", {{0, 0}, {6, 0.5}, {10, 2}, {10, 6}}, 0.005, false, 1.1 * kDegree},
    {"S-bend", {{0, 0}, {5, 6}, {5, -6}, {10, 0}}, 0.01, false, 1.1 * kDegree},
    {"S-bend through halving first", {{0, 0}, {5, 6}, {5, -6}, {10, 0}}, 0.01, true,
     1.1 * kDegree},
    {"quadratic", {{0, 0}, {5, 8}, {10, 0}}, 0.01, false, 1.1 * kDegree},
    {"quartic", {{0, 0}, {2, 5}, {5, 6}, {8, 5}, {10, 0}}, 0.01, false, 1.1 * kDegree},
    {"collapsed start handle", {{0, 0}, {0, 0}, {8, 6}, {10, 0}}, 0.01, true, 1.1 * kDegree},
    {"tight tolerance", {{0, 0}, {3, 5}, {8, 6}, {12, 1}}, 0.0001, true, 1.1 * kDegree},
    {"closed loop", {{0, 0}, {12, 10}, {-12, 10}, {0, 0}}, 0.01, true, 1.1 * kDegree},
};

void PrintTo(const Case& c, std::ostream* os) { *os << c.name; }

class ArcApproximationCases : public ::testing::TestWithParam<Case> {};

TEST_P(ArcApproximationCases, FollowsTheCurveWithinToleranceAsOneTangentChain) {
  const Case& c = GetParam();
  CBezierToArc seg = Make(c.ctrl);
  CGeCurveList out;
  const int ok = c.viaApproxi ? seg.ArcApproxi(c.tol, &out) : seg.ArcApproximation(c.tol, &out);
  ASSERT_EQ(ok, 1);
  ASSERT_FALSE(out.IsEmpty());

  // Runs from the first control point to the last, in the curve's direction, without gaps.
  double s[2], e[2];
  out.GetHead()->GetStartPoint(s);
  out.GetTail()->GetEndPoint(e);
  EXPECT_LT(Dist({s[0], s[1]}, c.ctrl.front()), 1e-9);
  EXPECT_LT(Dist({e[0], e[1]}, c.ctrl.back()), 1e-9);
  EXPECT_LT(LargestGap(out), 1e-9);
  EXPECT_LT(LargestJointTurn(out), c.maxJointTurn);

  const std::vector<P> exact = SampleFunction([&](double t) { return Exact(c.ctrl, t); }, 2000);
  const std::vector<P> fitted = SampleList(out, 200);
  // The fit checks a few points per piece; between them the error may creep a little over.
  EXPECT_LE(Hausdorff(exact, fitted), 1.05 * c.tol) << Items(out).size() << " pieces";
  FreeList(out);
}

INSTANTIATE_TEST_SUITE_P(BezierToArc, ArcApproximationCases, ::testing::ValuesIn(kCases),
                         CaseName);

TEST(BezierToArc, QuarterCircleGivesOneArcOnTheCircle) {
  CBezierToArc seg = Make({{10, 0}, {10, 10 * kQuarter}, {10 * kQuarter, 10}, {0, 10}});
  CGeCurveList out;
  ASSERT_EQ(seg.ArcApproximation(0.01, &out), 1);
  ASSERT_EQ(out.GetCount(), 1);
  ASSERT_EQ(out.GetHead()->GetType(), GE_TYPE_ARC);
  auto* arc = static_cast<CGeArc*>(out.GetHead());
  EXPECT_NEAR(arc->m_ptCenter[0], 0.0, 1e-9);
  EXPECT_NEAR(arc->m_ptCenter[1], 0.0, 1e-9);
  EXPECT_NEAR(arc->m_dRadius, 10.0, 1e-9);
  EXPECT_NEAR(arc->m_dSweep, std::numbers::pi / 2.0, 1e-9);
  FreeList(out);
}

TEST(BezierToArc, NodesGiveTheSameSegmentAsTheirPoints) {
  const std::vector<P> ctrl = {{1, 1}, {2, 5}, {6, 4}, {7, 0}};
  const CBezierNode nodes[4] = {{1, 1, BEZ_NODE_SMOOTH}, {2, 5}, {6, 4}, {7, 0, BEZ_NODE_CORNER}};
  CBezierToArc fromNodes;
  fromNodes.Create(nodes, 3);
  ASSERT_EQ(fromNodes.GetDegree(), 3);
  for (double t : {0.1, 0.5, 0.9}) {
    double p[2];
    fromNodes.GetPoint(t, p);
    EXPECT_NEAR(p[0], Exact(ctrl, t).x, 1e-12);
    EXPECT_NEAR(p[1], Exact(ctrl, t).y, 1e-12);
  }
  fromNodes.Create(nodes, CBezierToArc::kMaxDegree + 1);
  EXPECT_EQ(fromNodes.GetDegree(), 0);
  fromNodes.Create(static_cast<const CBezierNode*>(nullptr), 3);
  EXPECT_EQ(fromNodes.GetDegree(), 0);
}

TEST(BezierToArc, CollinearControlPointsGiveOneLine) {
  for (const std::vector<P>& ctrl : {std::vector<P>{{0, 0}, {1, 1}, {4, 4}, {2, 2}},
                                     std::vector<P>{{5, 1}, {3, 1}, {-2, 1}}}) {
    CBezierToArc seg = Make(ctrl);
    CGeCurveList out;
    ASSERT_EQ(seg.ArcApproximation(0.01, &out), 1);
    ASSERT_EQ(out.GetCount(), 1);
    EXPECT_EQ(out.GetHead()->GetType(), GE_TYPE_LINE);
    FreeList(out);
  }
}

TEST(BezierToArc, DegreesBeyondTheStoredPointsAreRejected) {
  double pts[12][2] = {};
  for (int i = 0; i < 12; ++i) pts[i][0] = i, pts[i][1] = (i % 3) * 2.0;
  for (int n : {-1, 0, CBezierToArc::kMaxDegree + 1, 11}) {
    CBezierToArc seg(pts, n);
    EXPECT_EQ(seg.GetDegree(), 0) << n;
    CGeCurveList out;
    EXPECT_EQ(seg.ArcApproximation(0.01, &out), 0);
    EXPECT_EQ(seg.ArcApproxi(0.01, &out), 0);
    EXPECT_TRUE(out.IsEmpty());
  }
  // The largest degree that fits is kept whole: its end point is the last one given.
  CBezierToArc seg(pts, CBezierToArc::kMaxDegree);
  double end[2];
  seg.GetPoint(1.0, end);
  EXPECT_EQ(end[0], pts[CBezierToArc::kMaxDegree][0]);
  EXPECT_EQ(end[1], pts[CBezierToArc::kMaxDegree][1]);
  EXPECT_EQ(CBezierToArc(nullptr, 3).GetDegree(), 0);
}

TEST(BezierToArc, ReversedWorkLeavesEarlierCurvesOfTheListAlone) {
  // The end turns harder than the start, so the segment is worked from its end.
  CBezierToArc seg = Make({{0, 0}, {6, 0.5}, {10, 2}, {10, 6}});
  CGeCurveList out;
  const double a[2] = {-5, -5}, b[2] = {-1, -2};
  CGeLine* before = new CGeLine(a, b);
  out.AddTail(before);
  ASSERT_EQ(seg.ArcApproximation(0.01, &out), 1);
  ASSERT_GT(out.GetCount(), 1);
  EXPECT_EQ(out.GetHead(), before);
  EXPECT_EQ(before->m_ptStart[0], -5.0);
  EXPECT_EQ(before->m_ptEnd[0], -1.0);
  double s[2];
  Items(out)[1]->GetStartPoint(s);
  EXPECT_NEAR(s[0], 0.0, 1e-9);
  EXPECT_NEAR(s[1], 0.0, 1e-9);
  FreeList(out);
}

TEST(BezierToArc, SplitAndEvaluationAgreeWithDeCasteljau) {
  const std::vector<P> ctrl = {{0, 0}, {2, 7}, {9, 8}, {11, -1}};
  CBezierToArc seg = Make(ctrl);
  for (double t : {0.0, 0.25, 0.5, 0.8, 1.0}) {
    double p[2];
    seg.GetPoint(t, p);
    const P q = Exact(ctrl, t);
    EXPECT_NEAR(p[0], q.x, 1e-12);
    EXPECT_NEAR(p[1], q.y, 1e-12);
  }
  double left[4][2], right[4][2];
  seg.Split(0.3, left, right);
  const P mid = Exact(ctrl, 0.3);
  EXPECT_NEAR(left[3][0], mid.x, 1e-12);
  EXPECT_NEAR(right[0][1], mid.y, 1e-12);
  const P onLeft = Exact({{left[0][0], left[0][1]}, {left[1][0], left[1][1]},
                          {left[2][0], left[2][1]}, {left[3][0], left[3][1]}},
                         0.5);
  const P whole = Exact(ctrl, 0.15);
  EXPECT_NEAR(onLeft.x, whole.x, 1e-12);
  EXPECT_NEAR(onLeft.y, whole.y, 1e-12);
  // Near an end the whole segment goes to one side.
  seg.Split(0.0005, left, right);
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(left[i][0], 0.0);
    EXPECT_EQ(right[i][0], ctrl[i].x);
  }
}

TEST(BezierToArc, DegenerateSegmentsGiveNothingOrAreHalvedFirst) {
  CGeCurveList out;
  // A loop whose ends meet has no chord: nothing alone, two halves through ArcApproxi.
  CBezierToArc loop = Make({{0, 0}, {12, 10}, {-12, 10}, {0, 0}});
  EXPECT_EQ(loop.ArcApproximation(0.01, &out), 0);
  EXPECT_TRUE(out.IsEmpty());
  // A closed segment with short handles is too small to approximate.
  CBezierToArc small = Make({{0, 0}, {0.5, 0.5}, {-0.5, 0.5}, {0, 0}});
  EXPECT_EQ(small.ArcApproxi(0.01, &out), 0);
  EXPECT_TRUE(out.IsEmpty());
  EXPECT_EQ(loop.ArcApproximation(0.01, nullptr), 0);
}

TEST(BezierToArc, ImpossibleToleranceStillEndsAsAJoinedChain) {
  // Far below what doubles resolve: halving runs out of room and the chords finish the walk.
  CBezierToArc seg = Make({{0, 0}, {0, 40}, {60, -40}, {60, 0}});
  CGeCurveList out;
  ASSERT_EQ(seg.ArcApproximation(1e-13, &out), 1);
  EXPECT_LT(LargestGap(out), 1e-9);
  double e[2];
  out.GetTail()->GetEndPoint(e);
  EXPECT_NEAR(e[0], 60.0, 1e-9);
  EXPECT_NEAR(e[1], 0.0, 1e-9);
  FreeList(out);
}

// ---- merging of concentric arcs ----

CGeArc* ArcOf(double cx, double cy, double r, double a0, double a1) {
  auto* arc = new CGeArc;
  const double c[2] = {cx, cy};
  EXPECT_EQ(arc->CreateCSEAngle(c, r, a0, a1), 1);
  return arc;
}

TEST(MergeConcentricArc, RunOfArcsOnOneCircleBecomesOneArc) {
  CGeCurveList list;
  const double a[2] = {-3, 0}, b[2] = {2, 0};
  list.AddTail(new CGeLine(a, b));
  list.AddTail(ArcOf(0, 0, 2, 0.0, 0.5));
  list.AddTail(static_cast<CGeCurve*>(nullptr));
  list.AddTail(ArcOf(0, 0, 2, 0.5, 1.2));
  list.AddTail(ArcOf(0.0001, 0, 2.0001, 1.2, 2.0));
  ASSERT_EQ(list.GetCount(), 5);
  MergeConcentricArc(&list, 0.001f);
  ASSERT_EQ(list.GetCount(), 3);  // the line, the null entry and one arc
  auto* arc = static_cast<CGeArc*>(Items(list)[1]);
  ASSERT_EQ(arc->GetType(), GE_TYPE_ARC);
  // From the first arc's start through the joint to the last arc's end.
  double s[2], e[2];
  arc->GetStartPoint(s);
  arc->GetEndPoint(e);
  EXPECT_NEAR(s[0], 2.0, 1e-9);
  EXPECT_NEAR(s[1], 0.0, 1e-9);
  EXPECT_NEAR(e[0], 0.0001 + 2.0001 * std::cos(2.0), 1e-9);
  EXPECT_NEAR(e[1], 2.0001 * std::sin(2.0), 1e-9);
  EXPECT_NEAR(arc->m_dSweep, 2.0, 1e-3);
  EXPECT_NEAR(arc->m_dRadius, 2.0, 1e-3);
  FreeList(list);
}

TEST(MergeConcentricArc, ArcsThatAreNotOneContinuationStaySeparate) {
  struct Pair {
    const char* why;
    double c2x, a20, a21;
  } pairs[] = {
      {"centres two tolerances apart", 0.002, 1.0, 2.0},
      {"second runs back the other way", 0.0, 1.0, 0.5},
      {"second does not start where the first ends", 0.0, 1.5, 2.0},
      {"together more than a full turn", 0.0, 1.0, 1.0 + 2.0 * std::numbers::pi - 0.5},
  };
  for (const Pair& p : pairs) {
    CGeCurveList list;
    list.AddTail(ArcOf(0, 0, 3, 0.0, 1.0));
    list.AddTail(ArcOf(p.c2x, 0, 3, p.a20, p.a21));
    MergeConcentricArc(&list, 0.001f);
    EXPECT_EQ(list.GetCount(), 2) << p.why;
    FreeList(list);
  }
  // An arc after a non-arc starts a new run.
  CGeCurveList list;
  const double a[2] = {3, 0}, b[2] = {3, 0.0};
  list.AddTail(ArcOf(0, 0, 3, -1.0, 0.0));
  list.AddTail(new CGeLine(a, b));
  list.AddTail(ArcOf(0, 0, 3, 0.0, 1.0));
  MergeConcentricArc(&list, 0.001f);
  EXPECT_EQ(list.GetCount(), 3);
  FreeList(list);
  MergeConcentricArc(nullptr, 0.1f);
}

}  // namespace
