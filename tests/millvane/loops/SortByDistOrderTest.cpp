// Machining order by distance: the queue-driven ordering agrees with the plain rule (all
// pairs in ascending distance, ties by index, each kept when it links ends of two chains),
// run here as the reference on the same start points.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <deque>
#include <vector>

#include "millvane/loops/SmartLoop.h"
#include "platform/numora/Point2d.h"
#include "tests/millvane/LoopTestUtil.h"

namespace {
using Pt = std::array<double, 2>;

std::vector<int> ReferenceOrder(const std::vector<Pt>& pt) {
  const int n = static_cast<int>(pt.size());
  auto dist = [&](int i, int k) {
    const double dx = pt[i][0] - pt[k][0], dy = pt[i][1] - pt[k][1];
    return std::sqrt(dx * dx + dy * dy);
  };
  std::vector<std::pair<int, int>> pairs;
  for (int i = 0; i < n; ++i)
    for (int k = i + 1; k < n; ++k) pairs.push_back({i, k});
  std::stable_sort(pairs.begin(), pairs.end(), [&](const auto& x, const auto& y) {
    return dist(x.first, x.second) < dist(y.first, y.second);
  });
  auto crossAt = [&](const std::deque<int>& c, int i, int k) {
    const double* a0 = pt[c[i]].data();
    const double* a1 = pt[c[i + 1]].data();
    const double* b0 = pt[c[k]].data();
    const double* b1 = pt[c[k + 1]].data();
    if (P2D_AbsDist(a0, b0) < 0.001) return false;
    double x[2][2];
    if (acSegSegInt(a0, a1, b0, b1, x) != 1) return false;
    return P2D_Dist(x[0], a0) > 0.001 && P2D_Dist(x[0], a1) > 0.001 && P2D_Dist(x[0], b0) > 0.001 &&
           P2D_Dist(x[0], b1) > 0.001;
  };
  auto untangle = [&](std::deque<int>& c, int fresh) {
    const int m = static_cast<int>(c.size());
    std::vector<int> work = {fresh};
    for (long guard = 0; !work.empty() && guard < 4L * m * m; ++guard) {
      const int s = work.back();
      work.pop_back();
      for (int o = 0; o + 1 < m; ++o) {
        if (std::abs(o - s) < 2) continue;
        const int i = std::min(s, o), k = std::max(s, o);
        if (!crossAt(c, i, k)) continue;
        std::reverse(c.begin() + i + 1, c.begin() + k + 1);
        work.push_back(i);
        work.push_back(k);
        break;
      }
    }
  };
  std::vector<int> chainOf(n), degree(n, 0);
  std::vector<std::deque<int>> chains(n);
  for (int i = 0; i < n; ++i) {
    chainOf[i] = i;
    chains[i] = {i};
  }
  int left = n;
  for (const auto& [i, k] : pairs) {
    if (left == 1) break;
    if (degree[i] > 1 || degree[k] > 1 || chainOf[i] == chainOf[k]) continue;
    std::deque<int> a = std::move(chains[chainOf[i]]), b = std::move(chains[chainOf[k]]);
    const int gone = chainOf[k], kept = chainOf[i];
    if (a.back() != i) std::reverse(a.begin(), a.end());
    if (b.front() != k) std::reverse(b.begin(), b.end());
    const int link = static_cast<int>(a.size()) - 1;
    for (int x : b) {
      a.push_back(x);
      chainOf[x] = kept;
    }
    ++degree[i];
    ++degree[k];
    untangle(a, link);
    chains[kept] = std::move(a);
    chains[gone].clear();
    --left;
  }
  std::deque<int>& c = chains[chainOf[0]];
  if (pt[c.back()][0] < pt[c.front()][0]) std::reverse(c.begin(), c.end());
  return {c.begin(), c.end()};
}

// Small squares whose start points (lower left corners) are the given points.
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

TEST(SortByDistOrder, AgreesWithTheAllPairsRule) {
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
  const Case cases[] = {{"random", 300, false, 100.0}, {"lattice", 400, true, 1.0},
                        {"clustered", 250, false, 0.5}, {"few", 5, false, 10.0},
                        {"line", 60, true, 0.0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<Pt> pt;
    for (int i = 0; i < c.n; ++i) {
      if (c.lattice) pt.push_back({double(i % 20), c.spread * double(i / 20)});
      else if (c.spread < 1.0 && i % 2) pt.push_back({50 + c.spread * uniform(), 50 + c.spread * uniform()});
      else pt.push_back({100 * uniform(), 100 * uniform()});
    }
    EXPECT_EQ(EngineOrder(pt), ReferenceOrder(pt));
  }
}

}  // namespace
