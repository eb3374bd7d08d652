// Kd-tree: worked cases and random clouds (ties, duplicates, queries outside the box)
// against brute force.
#include "geometry/tools/KdTree.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <random>
#include <set>
#include <vector>

namespace {

float Dist2(const Vec3D& a, const Vec3D& b) { return (a - b).squaredLength(); }

// Checks the last query's results: valid distinct indices, true distances, ascending order,
// and the same distances as the `expected` nearest ones by brute force.
void ExpectResults(const KdTree& tree, const std::vector<Vec3D>& pts, const Vec3D& q,
                   const std::vector<float>& expected) {
  ASSERT_EQ(tree.getNOfFoundNeighbours(), expected.size());
  std::set<unsigned> seen;
  for (unsigned i = 0; i < tree.getNOfFoundNeighbours(); ++i) {
    const unsigned idx = tree.getNeighbourPositionIndex(i);
    ASSERT_LT(idx, pts.size());
    EXPECT_TRUE(seen.insert(idx).second) << "index " << idx << " twice";
    EXPECT_EQ(tree.getSquaredDistance(i), Dist2(pts[idx], q));
    EXPECT_EQ(&tree.getNeighbourPosition(i), &pts[idx]);
    EXPECT_EQ(tree.getSquaredDistance(i), expected[i]) << "result " << i;
  }
}

std::vector<float> NearestByBruteForce(const std::vector<Vec3D>& pts, const Vec3D& q, size_t m) {
  std::vector<float> d;
  for (const Vec3D& p : pts) d.push_back(Dist2(p, q));
  std::sort(d.begin(), d.end());
  d.resize(std::min(m, d.size()));
  return d;
}

std::vector<float> WithinByBruteForce(const std::vector<Vec3D>& pts, const Vec3D& q, float bound) {
  std::vector<float> d;
  for (const Vec3D& p : pts)
    if (Dist2(p, q) < bound) d.push_back(Dist2(p, q));
  std::sort(d.begin(), d.end());
  return d;
}

}  // namespace

TEST(KdTree, WorkedExample) {
  const std::vector<Vec3D> pts = {{0, 0, 0}, {1, 0, 0}, {2, 0, 0}};
  KdTree tree(pts.data(), 3, 1);
  EXPECT_EQ(tree.getNOfQueryNeighbours(), 1u);
  tree.queryPosition({1.1f, 0, 0});
  ASSERT_EQ(tree.getNOfFoundNeighbours(), 3u) << "k = 1 still returns up to 40 candidates";
  const unsigned order[] = {1, 2, 0};
  const float dist[] = {0.01f, 0.81f, 1.21f};
  for (unsigned i = 0; i < 3; ++i) {
    EXPECT_EQ(tree.getNeighbourPositionIndex(i), order[i]);
    EXPECT_NEAR(tree.getSquaredDistance(i), dist[i], 1e-5);
  }
  tree.queryRange({0, 0, 0}, 1.0f);
  ASSERT_EQ(tree.getNOfFoundNeighbours(), 1u) << "a distance equal to the bound is out";
  EXPECT_EQ(tree.getNeighbourPositionIndex(0), 0u);
}

TEST(KdTree, MatchesBruteForce) {
  struct Cloud {
    const char* name;
    int count;
    int grid;   // > 0: integer coordinates in [0, grid] (ties and duplicates)
    bool flatX; // every point with the same x
  };
  const Cloud clouds[] = {
      {"scattered", 2000, 0, false},
      {"coarse grid", 1500, 4, false},
      {"same x", 800, 0, true},
      {"same x on a grid", 600, 3, true},
      {"few points", 5, 0, false},
  };
  std::mt19937 rng(2024);
  std::uniform_real_distribution<float> coord(-10.0f, 10.0f);
  std::uniform_real_distribution<float> far(-30.0f, 30.0f);  // queries also outside the box
  for (const Cloud& c : clouds) {
    std::uniform_int_distribution<int> cell(0, std::max(c.grid, 1));
    std::vector<Vec3D> pts(c.count);
    for (Vec3D& p : pts) {
      p = c.grid > 0 ? Vec3D{float(cell(rng)), float(cell(rng)), float(cell(rng))}
                     : Vec3D{coord(rng), coord(rng), coord(rng)};
      if (c.flatX) p.x = 1.5f;
    }
    for (unsigned bucket : {0u, 1u, 3u, 16u}) {
      KdTree tree(pts.data(), unsigned(pts.size()), bucket);
      for (unsigned k : {1u, 3u}) {
        tree.setNOfNeighbours(k);
        for (int qi = 0; qi < 25; ++qi) {
          const Vec3D q{far(rng), far(rng), far(rng)};
          SCOPED_TRACE(testing::Message() << c.name << " bucket " << bucket << " k " << k
                                          << " query " << qi);
          tree.queryPosition(q);
          ExpectResults(tree, pts, q, NearestByBruteForce(pts, q, 40 * k));
          const float bound = far(rng) * far(rng) / 4.0f;
          const std::vector<float> within = WithinByBruteForce(pts, q, bound);
          tree.queryRange(q, bound);
          if (within.size() <= 40 * k) {
            ExpectResults(tree, pts, q, within);
          } else {  // the capacity keeps the nearest ones
            ExpectResults(tree, pts, q, NearestByBruteForce(pts, q, 40 * k));
          }
        }
      }
    }
  }
}

TEST(KdTree, EmptyInputFindsNothing) {
  const Vec3D one{1, 2, 3};
  KdTree none(nullptr, 0, 4);
  KdTree zeroCount(&one, 0, 0);
  for (KdTree* t : {&none, &zeroCount}) {
    t->queryPosition({0, 0, 0});
    EXPECT_EQ(t->getNOfFoundNeighbours(), 0u);
    t->queryRange({1, 2, 3}, 10.0f);
    EXPECT_EQ(t->getNOfFoundNeighbours(), 0u);
  }
}

TEST(KdTree, CopiesQueryIndependently) {
  std::vector<Vec3D> pts;
  for (int i = 0; i < 100; ++i) pts.push_back({float(i), 0, 0});
  auto original = std::make_unique<KdTree>(pts.data(), 100u, 4u);
  original->queryPosition({10, 0, 0});
  KdTree copy(*original);
  KdTree assigned(pts.data(), 1u, 1u);
  assigned = *original;
  original->queryPosition({90, 0, 0});
  EXPECT_EQ(copy.getNeighbourPositionIndex(0), 10u) << "a copy keeps its own results";
  original.reset();  // copies keep the shared tree alive
  copy.queryPosition({42.2f, 0, 0});
  assigned.queryPosition({57.9f, 0, 0});
  EXPECT_EQ(copy.getNeighbourPositionIndex(0), 42u);
  EXPECT_EQ(assigned.getNeighbourPositionIndex(0), 58u);
  EXPECT_EQ(assigned.getNOfFoundNeighbours(), 40u);
}
