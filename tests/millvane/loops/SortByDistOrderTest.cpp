// Machining order by distance on many start points: the route visits every loop once, is read
// from its end of smaller x, and no two of its links cross (two links cross when they meet
// farther than 0.001 from all four of their ends, links whose starts lie within 0.001 of each
// other aside).
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <vector>

#include "millvane/loops/SmartLoop.h"
#include "platform/numora/Point2d.h"
#include "tests/millvane/LoopTestUtil.h"

namespace {
using Pt = std::array<double, 2>;

// Small squares whose start points (lower left corners) are the given points, in the order
// SortByDist returns them, as indices into pt.
std::vector<int> EngineOrder(const std::vector<Pt>& pt) {
  std::vector<CSmartLoop*> loops;
  for (const Pt& p : pt) loops.push_back(looptest::Rect(p[0], p[1], p[0] + 0.01, p[1] + 0.01));
  std::vector<CSmartLoop*> arr = loops;
  looptest::Owned sorted(CSmartLoop::SortByDist(arr.data(), static_cast<int>(arr.size())));
  std::vector<int> order;
  for (CSmartLoop* l = sorted.l; l; l = l->next)
    order.push_back(static_cast<int>(std::find(loops.begin(), loops.end(), l) - loops.begin()));
  return order;
}

// Pairs of links (by the place of their first point) that cross.
std::vector<std::pair<int, int>> Crossings(const std::vector<Pt>& pt, const std::vector<int>& o) {
  std::vector<std::pair<int, int>> out;
  for (size_t i = 0; i + 1 < o.size(); ++i)
    for (size_t k = i + 2; k + 1 < o.size(); ++k) {
      const double* a0 = pt[o[i]].data();
      const double* a1 = pt[o[i + 1]].data();
      const double* b0 = pt[o[k]].data();
      const double* b1 = pt[o[k + 1]].data();
      if (P2D_AbsDist(a0, b0) < 0.001) continue;
      double x[2][2];
      if (acSegSegInt(a0, a1, b0, b1, x) != 1) continue;
      if (P2D_Dist(x[0], a0) > 0.001 && P2D_Dist(x[0], a1) > 0.001 && P2D_Dist(x[0], b0) > 0.001 &&
          P2D_Dist(x[0], b1) > 0.001)
        out.push_back({int(i), int(k)});
    }
  return out;
}

TEST(SortByDistOrder, VisitsEveryLoopOnceWithoutCrossingLinks) {
  uint64_t state = 12345;
  auto uniform = [&state]() {
    state = state * 6364136223846793005ull + 1442695040888963407ull;
    return double(state >> 11) / double(uint64_t(1) << 53);
  };
  struct Case {
    const char* name;
    int n;
    bool lattice;   // many equal distances: ties decide
    double spread;  // clustered when small against the box
  };
  // Joined chains that were each free of crossings can cross one another: the large random
  // sets show it, where a check of the joining link alone leaves crossings behind.
  const Case cases[] = {{"random", 300, false, 100.0},  {"random, many", 2500, false, 100.0},
                        {"lattice", 400, true, 1.0},     {"clustered", 250, false, 0.5},
                        {"clustered, many", 1500, false, 0.5}, {"few", 5, false, 10.0},
                        {"line", 60, true, 0.0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<Pt> pt;
    for (int i = 0; i < c.n; ++i) {
      if (c.lattice) pt.push_back({double(i % 20), c.spread * double(i / 20)});
      else if (c.spread < 1.0 && i % 2) pt.push_back({50 + c.spread * uniform(), 50 + c.spread * uniform()});
      else pt.push_back({100 * uniform(), 100 * uniform()});
    }
    const std::vector<int> order = EngineOrder(pt);
    std::vector<int> sorted = order;
    std::sort(sorted.begin(), sorted.end());
    std::vector<int> all(pt.size());
    for (size_t i = 0; i < all.size(); ++i) all[i] = int(i);
    ASSERT_EQ(sorted, all);
    EXPECT_LE(pt[order.front()][0], pt[order.back()][0]);
    EXPECT_EQ(Crossings(pt, order), (std::vector<std::pair<int, int>>{}));
  }
}

}  // namespace
