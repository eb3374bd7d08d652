// List deleters, nearest-start ordering, point-string thinning and the start-x index.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <map>
#include <random>
#include <string>
#include <utility>
#include <vector>
#include <numbers>

#include "geometry/shapes2d/GeLine.h"
#include "geometry/shapes2d/ShapeListUtil.h"
#include "geometry/tools/RBTree.h"

namespace {

// A line that counts its living instances, so deleters are checked without a sanitizer too.
struct CountedLine : CGeLine {
  static inline int alive = 0;
  CountedLine(double x0, double y0, double x1, double y1) : CGeLine(P(x0, y0).v, P(x1, y1).v) {
    ++alive;
  }
  ~CountedLine() override { --alive; }
  struct P {
    double v[2];
    P(double x, double y) : v{x, y} {}
  };
};

CGeLine* Line(double x0, double y0, double x1, double y1) {
  const double s[2] = {x0, y0}, e[2] = {x1, y1};
  return new CGeLine(s, e);
}

using Pt = std::pair<float, float>;

std::vector<Pt> ToVec(const CPoint2dArray& a) {
  std::vector<Pt> v;
  for (INT_PTR i = 0; i < a.GetSize(); ++i) v.emplace_back(a[i].x, a[i].y);
  return v;
}

TEST(ShapeListDelete, DeletesEveryCurveSkipsNullsAndEmptiesTheList) {
  CGeCurveList list;
  list.AddTail(new CountedLine(0, 0, 1, 0));
  list.AddTail(static_cast<CGeCurve*>(nullptr));
  list.AddTail(new CountedLine(1, 0, 2, 0));
  list.AddTail(new CountedLine(2, 0, 3, 0));
  ASSERT_EQ(CountedLine::alive, 3);
  geDelCurveList(&list);
  EXPECT_EQ(CountedLine::alive, 0);
  EXPECT_TRUE(list.IsEmpty());
  geDelCurveList(&list);  // empty list
  geDelCurveList(nullptr);
  geDelCurve3dList(nullptr);
  geDelSurfList(nullptr);
  geDelTrimLoopList(nullptr);
  CGeCurve3dList empty3d;
  geDelCurve3dList(&empty3d);
  EXPECT_TRUE(empty3d.IsEmpty());
}

struct RankCase {
  std::string name;
  std::vector<std::array<double, 4>> lines;  // in list order; nulls marked by NaN
  std::vector<int> expected;                 // input indices in output order
};

class ShapeListRank : public testing::TestWithParam<RankCase> {};

TEST_P(ShapeListRank, OrdersByNearestStart) {
  const RankCase& c = GetParam();
  CGeCurveList list;
  std::map<CGeCurve*, int> index;
  for (size_t i = 0; i < c.lines.size(); ++i) {
    const auto& l = c.lines[i];
    CGeCurve* curve = std::isnan(l[0]) ? nullptr : Line(l[0], l[1], l[2], l[3]);
    if (curve) index[curve] = static_cast<int>(i);
    list.AddTail(curve);
  }
  std::vector<double> before;
  for (auto& [curve, i] : index) {
    double s[2];
    curve->GetStartPoint(s);
    before.push_back(s[0] + 10 * s[1]);
  }
  geRankCurveInNearestDist(&list);
  std::vector<int> order;
  for (POSITION pos = list.GetHeadPosition(); pos;) order.push_back(index.at(list.GetNext(pos)));
  EXPECT_EQ(order, c.expected);
  std::vector<double> after;  // no curve was reversed
  for (auto& [curve, i] : index) {
    double s[2];
    curve->GetStartPoint(s);
    after.push_back(s[0] + 10 * s[1]);
  }
  EXPECT_EQ(before, after);
  geDelCurveList(&list);
}

const double kNull = std::nan("");

INSTANTIATE_TEST_SUITE_P(
    Cases, ShapeListRank,
    testing::Values(
        RankCase{"ShuffledChain",
                 {{0, 0, 1, 0}, {3, 0, 4, 0}, {1, 0, 2, 0}, {4, 0, 5, 0}, {2, 0, 3, 0}},
                 {0, 2, 4, 1, 3}},
        // The head stays first even when another curve would fit better in front of it.
        RankCase{"HeadStays", {{5, 0, 6, 0}, {0, 0, 5, 0}, {6, 0, 7, 0}}, {0, 2, 1}},
        // A curve whose end lies at the current end is not turned round.
        RankCase{"NoReversal", {{0, 0, 1, 0}, {2, 0, 1, 0}, {1.5, 0, 9, 9}}, {0, 2, 1}},
        RankCase{"FirstOfEquals", {{0, 0, 1, 0}, {1, 1, 2, 2}, {1, -1, 2, -2}}, {0, 1, 2}},
        RankCase{"NullsDropped",
                 {{kNull, 0, 0, 0}, {0, 0, 1, 0}, {kNull, 0, 0, 0}, {1, 0, 2, 0}},
                 {1, 3}}),
    [](const testing::TestParamInfo<RankCase>& i) { return i.param.name; });

TEST(ShapeListRank, NullAndEmptyListsAreLeftAlone) {
  geRankCurveInNearestDist(nullptr);
  CGeCurveList list;
  geRankCurveInNearestDist(&list);
  EXPECT_TRUE(list.IsEmpty());
  list.AddTail(static_cast<CGeCurve*>(nullptr));
  geRankCurveInNearestDist(&list);
  EXPECT_TRUE(list.IsEmpty());
}

struct RefineCase {
  std::string name;
  double tol;
  double angle;
  std::vector<Pt> in;
  std::vector<Pt> out;
};

class ShapeListRefine : public testing::TestWithParam<RefineCase> {};

TEST_P(ShapeListRefine, Thins) {
  const RefineCase& c = GetParam();
  CPoint2dArray pts;
  for (auto [x, y] : c.in) {
    tagPoint2d p{x, y};
    pts.Add(p);
  }
  RefinePointStr(c.tol, c.angle, pts);
  EXPECT_EQ(ToVec(pts), c.out);
}

const double k170 = 2.9670597283898;
INSTANTIATE_TEST_SUITE_P(
    Cases, ShapeListRefine,
    testing::Values(
        RefineCase{"StraightRunCollapses",
                   0.01,
                   k170,
                   {{0, 0}, {1, 0}, {2, 0}, {3, 0}, {4, 0}},
                   {{0, 0}, {4, 0}}},
        RefineCase{"CornerKept",
                   0.01,
                   k170,
                   {{0, 0}, {1, 0}, {2, 0}, {2, 1}, {2, 2}},
                   {{0, 0}, {2, 0}, {2, 2}}},
        // Wobbles below the tolerance are flattened; the same turn with a deviation above the
        // tolerance is kept: both tests must pass.
        RefineCase{"SmallWobbleFlattened",
                   0.01,
                   k170,
                   {{0, 0}, {1, 0.001f}, {2, 0}, {3, 0.001f}, {4, 0}},
                   {{0, 0}, {4, 0}}},
        RefineCase{"FlatButFarKept",
                   0.01,
                   k170,
                   {{0, 0}, {100, 0.5f}, {200, 0}},
                   {{0, 0}, {100, 0.5f}, {200, 0}}},
        // Near duplicates go, but the string still ends at its last input point.
        RefineCase{"DuplicatesDroppedLastKept",
                   0.01,
                   k170,
                   {{0, 0}, {1, 0}, {1, 0.001f}, {2, 5}, {2, 5.005f}},
                   {{0, 0}, {1, 0}, {2, 5.005f}}},
        // The duplicate test is a box test: 0.009 in both x and y is still a duplicate.
        RefineCase{"DuplicateByBoxNotDistance",
                   0.01,
                   k170,
                   {{0, 0}, {1, 0}, {1.009f, 0.009f}, {1, 3}},
                   {{0, 0}, {1, 0}, {1, 3}}},
        RefineCase{"AnglePiUnchanged",
                   0.01,
                   std::numbers::pi,
                   {{0, 0}, {1, 0}, {2, 0}, {2, 0}},
                   {{0, 0}, {1, 0}, {2, 0}, {2, 0}}},
        RefineCase{"TwoPointsUnchanged", 10.0, 0.0, {{0, 0}, {0, 0}}, {{0, 0}, {0, 0}}}),
    [](const testing::TestParamInfo<RefineCase>& i) { return i.param.name; });

// On a densely sampled circle the result is an ordered subset of the input that keeps both
// ends, and no output corner turns by less than the angle allows.
TEST(ShapeListRefine, CircleKeepsOrderedSubsetWithinAngle) {
  CPoint2dArray pts;
  const int n = 3600;
  for (int i = 0; i <= n; ++i) {
    const double a = 2 * std::numbers::pi * i / n * 0.75;
    tagPoint2d p{static_cast<float>(10 * std::cos(a)), static_cast<float>(10 * std::sin(a))};
    pts.Add(p);
  }
  const std::vector<Pt> in = ToVec(pts);
  RefinePointStr(0.01, k170, pts);
  const std::vector<Pt> out = ToVec(pts);
  ASSERT_GE(out.size(), 3u);
  EXPECT_LT(out.size(), in.size() / 20);
  EXPECT_EQ(out.front(), in.front());
  EXPECT_EQ(out.back(), in.back());
  size_t j = 0;
  for (const Pt& p : out) {
    while (j < in.size() && in[j] != p) ++j;
    ASSERT_LT(j, in.size()) << "output point not in input order";
  }
  for (size_t i = 1; i + 1 < out.size(); ++i) {
    const double u[2] = {out[i + 1].first - out[i].first, out[i + 1].second - out[i].second};
    const double v[2] = {out[i - 1].first - out[i].first, out[i - 1].second - out[i].second};
    const double angle = std::acos((u[0] * v[0] + u[1] * v[1]) / std::hypot(u[0], u[1]) /
                                   std::hypot(v[0], v[1]));
    EXPECT_LE(angle, k170 + 1e-3) << "corner " << i;
  }
}

TEST(ShapeListRefine, ThreeDimensionalStringUsesAllThreeAxes) {
  CPoint3dArray pts;
  for (tagPoint3d p : {tagPoint3d{0, 0, 0}, tagPoint3d{1, 1, 1}, tagPoint3d{2, 2, 2},
                       tagPoint3d{2, 2, 2.5f}, tagPoint3d{2, 2, 2.505f}})
    pts.Add(p);
  RefinePointStr3D(0.01, k170, pts);
  // The straight run collapses; a point differing only in z is no duplicate; the final
  // near duplicate replaces its predecessor.
  ASSERT_EQ(pts.GetSize(), 3);
  EXPECT_EQ(pts[1].z, 2.0f);
  EXPECT_EQ(pts[2].z, 2.505f);
}

// Every curve lands in exactly one node, whose key lies within the tree's tolerance of the
// curve's start x, and curves sharing a node keep their list order.
TEST(ShapeListScanBeam, GroupsCurvesByStartX) {
  std::mt19937 rng(7);
  std::uniform_int_distribution<int> cell(0, 40);
  std::uniform_real_distribution<double> jitter(-0.003, 0.003);
  CGeCurveList list;
  std::vector<CGeCurve*> curves;
  for (int i = 0; i < 500; ++i) {
    const double x = cell(rng) * 0.5 + jitter(rng);
    curves.push_back(Line(x, i, x + 1, i));
    list.AddTail(curves.back());
    if (i % 50 == 0) list.AddTail(static_cast<CGeCurve*>(nullptr));
  }
  RBTree tree;
  geCreateScanBeamTree(&list, 0.0, tree);
  CList<RBNode_*, RBNode_*> nodes;
  tree.findNodeRange(-1e9, 1e9, nodes);
  std::map<CGeCurve*, int> seen;
  for (POSITION pos = nodes.GetHeadPosition(); pos;) {
    RBNode_* n = nodes.GetNext(pos);
    ASSERT_NE(n->user, nullptr);
    auto* l = static_cast<CGeCurveList*>(n->user);
    int lastIndex = -1;
    for (POSITION p2 = l->GetHeadPosition(); p2;) {
      CGeCurve* c = l->GetNext(p2);
      double s[2];
      c->GetStartPoint(s);
      EXPECT_LT(std::fabs(s[0] - n->key), tree.GetTolerance());
      const int idx = static_cast<int>(std::find(curves.begin(), curves.end(), c) - curves.begin());
      EXPECT_GT(idx, lastIndex);
      lastIndex = idx;
      ++seen[c];
    }
  }
  EXPECT_EQ(seen.size(), curves.size());
  for (auto& [c, k] : seen) EXPECT_EQ(k, 1);
  EXPECT_LE(nodes.GetCount(), 41);
  geDelCurveList(&list);  // the tree frees its own lists, never the curves
}

TEST(ShapeListScanBeam, NullOrEmptyListLeavesTheTreeEmpty) {
  RBTree tree;
  geCreateScanBeamTree(nullptr, 0.0, tree);
  CGeCurveList list;
  geCreateScanBeamTree(&list, 0.0, tree);
  list.AddTail(static_cast<CGeCurve*>(nullptr));
  geCreateScanBeamTree(&list, 0.0, tree);
  EXPECT_TRUE(tree.IsEmpty());
}

}  // namespace
