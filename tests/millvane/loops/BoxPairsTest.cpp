// The box-pair search finds exactly the pairs a double loop finds, in the same order.
#include "millvane/loops/BoxPairs.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdint>
#include <limits>
#include <vector>

namespace {

using Box = std::array<double, 4>;

std::vector<std::pair<int, int>> Brute(const std::vector<Box>& a, const std::vector<Box>& b, double m) {
  std::vector<std::pair<int, int>> out;
  for (size_t i = 0; i < a.size(); ++i)
    for (size_t k = 0; k < b.size(); ++k)
      if (a[i][0] <= b[k][2] + m && b[k][0] <= a[i][2] + m && a[i][1] <= b[k][3] + m && b[k][1] <= a[i][3] + m)
        out.push_back({int(i), int(k)});
  return out;
}

std::vector<const double*> Ptrs(const std::vector<Box>& v) {
  std::vector<const double*> p;
  for (const Box& b : v) p.push_back(b.data());
  return p;
}

TEST(BoxPairs, MatchesTheDoubleLoop) {
  uint64_t state = 99;
  auto u = [&state]() {
    state = state * 6364136223846793005ull + 1442695040888963407ull;
    return double(state >> 11) / double(uint64_t(1) << 53);
  };
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  for (double size : {0.5, 5.0, 40.0}) {
    std::vector<Box> a, b;
    for (int i = 0; i < 300; ++i) {
      const double x = 100 * u(), y = 100 * u();
      a.push_back({x, y, x + size * u(), y + size * u()});
      const double p = 100 * u(), q = 100 * u();
      b.push_back({p, q, p + size * u(), q + size * u()});
    }
    // Touching within the margin, degenerate, huge, unbounded and broken boxes, and a cluster
    // of tiny boxes in one corner.
    a.push_back({10, 10, 20, 20});
    b.push_back({20.00005, 10, 30, 20});
    a.push_back({50, 50, 50, 50});
    b.push_back({nan, 0, 1, 1});
    a.push_back({-1e6, 40, 1e6, 41});
    b.push_back({-inf, 60, 70, inf});
    for (int i = 0; i < 200; ++i) {
      const double x = 0.01 * u(), y = 0.01 * u();
      (i % 2 ? a : b).push_back({x, y, x + 1e-4 * u(), y + 1e-4 * u()});
    }
    for (double m : {0.0, 0.0001}) {
      EXPECT_EQ(acMeetingBoxPairs(Ptrs(a), Ptrs(b), m), Brute(a, b, m)) << size;
      // One set against itself: each pair once, lower index first.
      std::vector<std::pair<int, int>> self;
      for (const auto& [i, k] : Brute(a, a, m))
        if (i < k) self.push_back({i, k});
      EXPECT_EQ(acMeetingBoxPairs(Ptrs(a), m), self) << size;
    }
  }
  EXPECT_TRUE(acMeetingBoxPairs({}, {}, 0.0001).empty());
  EXPECT_TRUE(acMeetingBoxPairs({}, 0.0001).empty());
}

}  // namespace
