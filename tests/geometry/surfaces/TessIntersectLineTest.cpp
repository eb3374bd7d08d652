// Space segments chained end to end: a polyline cut into shuffled, partly reversed pieces is
// rebuilt in order from either end.
#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <memory>
#include <random>

#include "geometry/surfaces/TessIntersectLine.h"

namespace {

struct P3 {
  double p[3];
};

std::vector<P3> Zigzag(int n) {
  std::vector<P3> pts;
  for (int i = 0; i < n; ++i) pts.push_back({{double(i), i % 2 ? 1.0 : 0.0, 0.1 * i * i}});
  return pts;
}

TEST(TessIntersectLineGroup, ChainsShuffledPiecesBackIntoThePolyline) {
  const std::vector<P3> pts = Zigzag(12);
  CTessIntersectLineGroup group;
  std::mt19937 rng(7);
  std::vector<int> order(pts.size() - 1);
  for (size_t i = 0; i < order.size(); ++i) order[i] = int(i);
  std::shuffle(order.begin(), order.end(), rng);
  // Segments lying on the chain's first segment come first: met while they still touch an end
  // of the chain, they double back over it and are deleted instead of chained.
  group.Add(new CTessIntersectLine(pts[6].p, pts[5].p));
  group.Add(new CTessIntersectLine(pts[5].p, pts[6].p));
  for (int i : order) {
    if (i == 5) continue;
    auto* l = new CTessIntersectLine(pts[size_t(i)].p, pts[size_t(i) + 1].p);
    if (i % 3 == 1) l->Reverse();
    group.Add(l);
  }
  EXPECT_NE(group.Find(pts[6].p, pts[5].p), nullptr);
  EXPECT_EQ(group.Find(pts[5].p, pts[6].p), group.Find(pts[6].p, pts[5].p));  // either order
  EXPECT_EQ(group.Find(pts[5].p, pts[7].p), nullptr);

  // The chain starts from the segment 5 - 6.
  std::deque<CTessIntersectLine*> chain{new CTessIntersectLine(pts[5].p, pts[6].p)};
  group.Add(nullptr);  // ignored
  double end[3];
  int taken = 0;
  while (group.Extend(chain, 1e-6, end)) ++taken;
  EXPECT_EQ(group.GetCount(), 0);
  ASSERT_EQ(chain.size(), pts.size() - 1);
  for (size_t i = 0; i < chain.size(); ++i)
    for (int k = 0; k < 3; ++k) {
      EXPECT_DOUBLE_EQ(chain[i]->m_start[k], pts[i].p[k]);
      EXPECT_DOUBLE_EQ(chain[i]->m_end[k], pts[i + 1].p[k]);
    }
  EXPECT_EQ(taken, 12);  // 10 pieces chained, 2 dropped
  for (CTessIntersectLine* l : chain) delete l;
}

TEST(TessIntersectLineGroup, NothingNearOrNoChainTakesNothing) {
  const double a[3] = {0, 0, 0}, b[3] = {1, 0, 0}, c[3] = {5, 0, 0}, d[3] = {6, 0, 0};
  CTessIntersectLineGroup group;
  group.Add(new CTessIntersectLine(c, d));
  std::deque<CTessIntersectLine*> chain;
  double end[3];
  EXPECT_EQ(group.Extend(chain, 100, end), 0);  // no chain to extend
  chain.push_back(new CTessIntersectLine(a, b));
  EXPECT_EQ(group.Extend(chain, 3.9, end), 0);  // 4 away
  EXPECT_EQ(group.GetCount(), 1);
  ASSERT_EQ(group.Extend(chain, 4.1, end), 1);  // bridged at the chain's end
  EXPECT_EQ(chain.size(), 2u);
  EXPECT_EQ(end[0], 6.0);
  group.DeleteAll();
  EXPECT_EQ(group.GetCount(), 0);
  for (CTessIntersectLine* l : chain) delete l;
}

}  // namespace
