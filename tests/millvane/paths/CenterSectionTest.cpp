#include "millvane/paths/CenterSection.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <random>

#include "millvane/paths/IntLineSet.h"
#include "millvane/paths/ProtectNet.h"

using namespace centre;

namespace {

struct Poly {
  std::vector<Pt3> v;
  std::vector<const double*> ptrs() const {
    std::vector<const double*> p;
    for (const auto& q : v) p.push_back(q.data());
    return p;
  }
};

// A net over [-10, 10]^2 whose every node stands at height h.
CProtectNet FlatNet(double h) {
  CProtectNet net;
  const double box[6] = {-10, -10, h, 10, 10, h};
  EXPECT_EQ(net.Create(0.5, 1.0, box), 1);
  std::fill(net.heights.begin(), net.heights.end(), h);
  return net;
}

}  // namespace

TEST(CenterSection, FaceCutByZ) {
  struct Case {
    const char* name;
    Poly face;
    double h;
    std::vector<Pt2> want;
  };
  const Case cases[] = {
      {"crossing triangle", {{{0, 0, 0}, {2, 0, 2}, {0, 2, 2}}}, 1, {{1, 0}, {0, 1}}},
      {"edge in the plane is the cut", {{{0, 0, 1}, {2, 0, 1}, {1, 1, 3}}}, 1, {{0, 0}, {2, 0}}},
      {"touching vertex only", {{{0, 0, 1}, {2, 0, 2}, {0, 2, 2}}}, 1, {{0, 0}}},
      {"above the face", {{{0, 0, 0}, {2, 0, 2}, {0, 2, 2}}}, 5, {}},
      {"quad crossing", {{{0, 0, 0}, {4, 0, 0}, {4, 4, 4}, {0, 4, 4}}}, 2, {{4, 2}, {0, 2}}},
  };
  for (const auto& c : cases) {
    auto p = c.face.ptrs();
    auto got = CutFaceZ(p.data(), static_cast<int>(p.size()), c.h);
    ASSERT_EQ(got.size(), c.want.size()) << c.name;
    for (size_t i = 0; i < got.size(); ++i) {
      EXPECT_NEAR(got[i][0], c.want[i][0], 1e-12) << c.name;
      EXPECT_NEAR(got[i][1], c.want[i][1], 1e-12) << c.name;
    }
  }
}

TEST(CenterSection, FaceCutByYGivesXZ) {
  Poly f{{{0, 0, 0}, {4, 0, 4}, {0, 4, 8}}};
  auto p = f.ptrs();
  auto got = CutFaceY(p.data(), 3, 2);
  // z = x + 2 y on this face; the cut at y = 2 runs from x = 0 to x = 2.
  ASSERT_EQ(got.size(), 2u);
  for (const auto& q : got) EXPECT_NEAR(q[1], q[0] + 4, 1e-12);
}

TEST(CenterSection, FaceHeightMatchesPlaneInsideAndKeepsOutside) {
  Poly f{{{0, 0, 1}, {10, 0, 3}, {0, 10, 6}}};  // z = 1 + 0.2 x + 0.5 y
  auto p = f.ptrs();
  std::mt19937 rng(7);
  std::uniform_real_distribution<double> u(-2, 12);
  for (int k = 0; k < 500; ++k) {
    const double x = u(rng), y = u(rng);
    double z = -100;
    const bool rose = RaiseToFace(p.data(), 3, x, y, z);
    const bool inside = x > 0.011 && y > 0.011 && x + y < 9.99;
    const bool outside = x < -0.011 || y < -1e-6 || x + y > 10.02 || y > 10;
    if (inside) {
      ASSERT_TRUE(rose) << x << " " << y;
      EXPECT_NEAR(z, 1 + 0.2 * x + 0.5 * y, 1e-9);
    } else if (outside) {
      EXPECT_FALSE(rose) << x << " " << y;
    }
  }
  // Never lowers.
  double z = 100;
  EXPECT_FALSE(RaiseToFace(p.data(), 3, 2, 2, z));
  EXPECT_EQ(z, 100);
}

// Extent along x of the set's segments lying at y (within 1e-9), merged where they touch.
std::vector<std::array<double, 2>> RunsAtY(const CIntLineSet& set, double y) {
  std::vector<std::array<double, 2>> runs;
  for (IntLineSeg* s = set.head; s; s = s->next)
    if (std::fabs(s->s[1] - y) < 1e-9 && std::fabs(s->e[1] - y) < 1e-9)
      runs.push_back({std::min(s->s[0], s->e[0]), std::max(s->s[0], s->e[0])});
  std::sort(runs.begin(), runs.end());
  std::vector<std::array<double, 2>> merged;
  for (const auto& r : runs)
    if (!merged.empty() && r[0] <= merged.back()[1] + 1e-9) merged.back()[1] = std::max(merged.back()[1], r[1]);
    else merged.push_back(r);
  return merged;
}

TEST(CenterSection, JoiningMergesChainsAndKeepsLoneSegments) {
  CIntLineSet set;
  const double a[2] = {0, 0}, b[2] = {1, 0}, c[2] = {2, 0}, d[2] = {3, 0};
  const double far0[2] = {10, 10}, far1[2] = {11, 10};
  set.AddLine(b, c);
  set.AddLine(far0, far1);
  set.AddLine(a, b);
  set.AddLine(d, c);  // joined reversed
  JoinSegments(set, 0.0001);
  // The collinear chain a-b-c-d becomes one segment; the lone far segment is still section.
  ASSERT_EQ(set.count, 2);
  using Run = std::array<double, 2>;
  EXPECT_EQ(RunsAtY(set, 0), (std::vector<Run>{{0, 3}}));
  EXPECT_EQ(RunsAtY(set, 10), (std::vector<Run>{{10, 11}}));
}

// A plane along a row of mesh edges meets each edge from both faces sharing it; the copies
// (either way round) must neither shorten the joined run nor survive as doubles.
TEST(CenterSection, JoiningCountsEdgesMetTwiceOnce) {
  CIntLineSet set;
  for (int i = -16; i < 16; i += 4) {
    const double p[2] = {double(i), 0}, q[2] = {double(i + 4), 0};
    set.AddLine(p, q);
    set.AddLine(q, p);
  }
  JoinSegments(set, 0.0001);
  using Run = std::array<double, 2>;
  EXPECT_EQ(RunsAtY(set, 0), (std::vector<Run>{{-16, 16}}));
  double length = 0;
  for (IntLineSeg* s = set.head; s; s = s->next) length += std::hypot(s->e[0] - s->s[0], s->e[1] - s->s[1]);
  EXPECT_NEAR(length, 32, 1e-9);
}

TEST(CenterSection, SetRefusesShortAndNonFiniteSegments) {
  CIntLineSet set;
  const double a[2] = {0, 0}, b[2] = {0.005, 0}, n[2] = {NAN, 0};
  EXPECT_EQ(set.AddLine(a, b), 0);
  EXPECT_EQ(set.AddLine(a, n), 0);
  EXPECT_EQ(set.count, 0);
}

TEST(CenterSection, PruningAgainstTheNet) {
  const CProtectNet net = FlatNet(20);
  // Material 20 over the whole net: a z-section at 10 lies more than 5.1 below it.
  EXPECT_FALSE(KeepZSegment(net, 10, {0, 0}, {1, 0}));
  EXPECT_TRUE(KeepZSegment(net, 15, {0, 0}, {1, 0}));
  // y-section: kept when its higher end + 5.1 reaches above the lowest net height.
  EXPECT_FALSE(KeepYSegment(net, 0, {0, 10}, {1, 14.8}));
  EXPECT_TRUE(KeepYSegment(net, 0, {0, 10}, {1, 15}));
  CIntLineSet set(10);
  std::vector<Pt2> cut{{0, 0}, {1, 0}};
  EXPECT_EQ(AddFaceCut(set, net, cut, true), 0);
  set.level = 16;
  EXPECT_EQ(AddFaceCut(set, net, cut, true), 1);
}

TEST(CenterSection, NetRefusesBadSizesBeforeAllocating) {
  CProtectNet net;
  const double box[6] = {0, 0, 0, 300, 300, 1};
  EXPECT_EQ(net.Create(0.0, 1, box), 0);
  EXPECT_EQ(net.Create(-1, 1, box), 0);
  EXPECT_EQ(net.Create(NAN, 1, box), 0);
  EXPECT_EQ(net.Create(0.02, 1, box), 0);  // 15000 x 15000 nodes
  EXPECT_TRUE(net.heights.empty());
  const double flat[6] = {0, 0, 0, 0, 0, 0};
  EXPECT_EQ(net.Create(0.5, 0, flat), 1);  // a point still gets its margin
  EXPECT_EQ(net.HeightAt(1e9, 0), -1e12);
  EXPECT_EQ(net.LowestInBox(1e9, 1e9, 2e9, 2e9), 1e12);
}

TEST(CenterSection, PolylineHelpers) {
  std::vector<Pt3> line{{0, 0, 0}, {1, 0, 0.0005}, {2, 0, 0}, {3, 0, 1}};
  Simplify3D(line, 0.001);
  ASSERT_EQ(line.size(), 3u);  // the bump within tolerance goes, the turn stays
  EXPECT_EQ(line[1][0], 2);

  EXPECT_TRUE(IsVertical({{1, 1, 0}, {1.005, 1, 5}, {1, 0.995, 9}}));
  EXPECT_FALSE(IsVertical({{1, 1, 0}, {1.02, 1, 5}}));

  auto d = UnitDirections({{0, 0, 0}, {1, 0, 0}, {1, 1, 0}});
  EXPECT_NEAR(d[0][0], 1, 1e-12);
  EXPECT_NEAR(d[1][0], std::sqrt(0.5), 1e-12);
  EXPECT_NEAR(d[1][1], std::sqrt(0.5), 1e-12);
  EXPECT_NEAR(d[2][1], 1, 1e-12);

  const double a[3] = {0, 0, 0}, b[3] = {2, 0, 0};
  struct {
    double p[3];
    double want;
  } dists[] = {{{1, 1, 0}, 1}, {{-3, 4, 0}, 5}, {{5, 0, 4}, 5}};
  for (const auto& c : dists) EXPECT_NEAR(PointSegDist(c.p, a, b), c.want, 1e-12);
  const double tiny[3] = {1e-7, 0, 0};
  const double p[3] = {0, 3, 4};
  EXPECT_NEAR(PointSegDist(p, a, tiny), 5, 1e-12);  // to the start of a degenerate segment

  const Pt3 pts[2] = {{0, 0, 0}, {1, 2, 3}};
  _tagBox3D bx = BoxOfPoints(pts, 2);
  EXPECT_TRUE(BoxInBox(bx, bx, 0));
  _tagBox3D smaller = bx;
  smaller.max[2] = 2.9;
  EXPECT_FALSE(BoxInBox(bx, smaller, 0.05));
  EXPECT_TRUE(BoxInBox(bx, smaller, 0.1));
}

// The z-range index must hand out exactly the faces a linear scan would keep, in index order,
// whether the levels fall step by step, jump down past whole faces, or rise again.
TEST(CenterSection, ZRangeIndexMatchesTheLinearScan) {
  std::mt19937 rng(7);
  std::uniform_real_distribution<double> u(-20, 20), len(0, 6);
  std::vector<_tagBox3D> boxes(400);
  for (size_t k = 0; k < boxes.size(); ++k) {
    const double z = u(rng);
    boxes[k] = EmptyBox();
    boxes[k].min[2] = z;
    boxes[k].max[2] = k % 7 == 0 ? z : z + len(rng);  // some flat faces
  }
  const double tol = 0.0001;
  ZRangeIndex index;
  index.Build(boxes, tol);
  std::vector<double> levels;
  for (double h = 30; h > -30; h -= 0.37) levels.push_back(h);
  levels.push_back(boxes[0].min[2]);  // rising: starts over
  levels.push_back(boxes[0].min[2] - tol);  // exactly at a face's bottom tolerance
  for (int i = 0; i < 40; ++i) levels.push_back(u(rng));
  for (double h : levels) {
    std::vector<int> expect;
    for (size_t k = 0; k < boxes.size(); ++k)
      if (!(h < boxes[k].min[2] - tol || h > boxes[k].max[2] + tol)) expect.push_back(static_cast<int>(k));
    EXPECT_EQ(index.At(h), expect) << "level " << h;
  }
}
