#include "millvane/paths/CenterSection.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "millvane/surfpaths/IntLineSet.h"
#include "millvane/surfpaths/ProtectNet.h"

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

TEST(CenterSection, JoiningDropsIsolatedSegmentsAndMergesChains) {
  CIntLineSet set;
  const double a[2] = {0, 0}, b[2] = {1, 0}, c[2] = {2, 0}, d[2] = {3, 0};
  const double far0[2] = {10, 10}, far1[2] = {11, 10};
  set.AddLine(b, c);
  set.AddLine(far0, far1);
  set.AddLine(a, b);
  set.AddLine(d, c);  // joined reversed
  JoinSegments(set, 0.0001);
  // The collinear chain a-b-c-d becomes one segment; the far segment is gone.
  ASSERT_EQ(set.count, 1);
  const double xs[2] = {std::min(set.head->s[0], set.head->e[0]), std::max(set.head->s[0], set.head->e[0])};
  EXPECT_DOUBLE_EQ(xs[0], 0);
  EXPECT_DOUBLE_EQ(xs[1], 3);
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
