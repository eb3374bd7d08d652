// Noisy outlines whose raw offsets tangle along their whole length, and an independent
// distance from a point to a polygon, for checking that an offset keeps its distance.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <map>
#include <numbers>
#include <utility>
#include <vector>

#include "tests/millvane/LoopTestUtil.h"

namespace looptest {

// Uniform numbers in [0, 1) from a fixed seed, the same on every platform.
struct SeededUniform {
  uint64_t state = 0x9E3779B97F4A7C15ull;
  double operator()() {
    state = state * 6364136223846793005ull + 1442695040888963407ull;
    return double(state >> 11) / double(uint64_t(1) << 53);
  }
};

// A circle of radius 50, or with lobes the star r = 50 + lobes cos 9a, whose n vertices are
// moved radially by up to +-0.6 (fixed seed).
inline Pts NoisyOutline(int n, double lobes) {
  SeededUniform uniform;
  Pts p;
  for (int i = 0; i < n; ++i) {
    const double a = 2 * std::numbers::pi * i / n;
    const double r = 50.0 + lobes * std::cos(9 * a) + 1.2 * (uniform() - 0.5);
    p.push_back({r * std::cos(a), r * std::sin(a)});
  }
  return p;
}

// A circle of radius 50 whose n vertices are moved by up to +-0.6 in x and in y (fixed
// seed): far more than their spacing, so the outline crosses itself all along.
inline Pts JitteredCircle(int n) {
  SeededUniform uniform;
  Pts p;
  for (int i = 0; i < n; ++i) {
    const double a = 2 * std::numbers::pi * i / n;
    const double x = 50.0 * std::cos(a) + 1.2 * (uniform() - 0.5);
    p.push_back({x, 50.0 * std::sin(a) + 1.2 * (uniform() - 0.5)});
  }
  return p;
}

// Distance from a point to a closed polygon, read from a grid of its edges; distances beyond
// the reach come back as infinity.
class EdgeGrid {
 public:
  EdgeGrid(const Pts& p, double reach) : p_(p), reach_(reach) {
    for (auto& q : p) {
      lo_[0] = std::min(lo_[0], q[0]);
      lo_[1] = std::min(lo_[1], q[1]);
    }
    for (size_t i = 0; i < p.size(); ++i) {
      const auto& a = p[i];
      const auto& b = p[(i + 1) % p.size()];
      for (int x = Cell(std::min(a[0], b[0]), 0); x <= Cell(std::max(a[0], b[0]), 0); ++x)
        for (int y = Cell(std::min(a[1], b[1]), 1); y <= Cell(std::max(a[1], b[1]), 1); ++y)
          cells_[{x, y}].push_back(i);
    }
  }
  double Dist(const double q[2]) const {
    double best = INFINITY;
    for (int x = Cell(q[0] - reach_, 0); x <= Cell(q[0] + reach_, 0); ++x)
      for (int y = Cell(q[1] - reach_, 1); y <= Cell(q[1] + reach_, 1); ++y) {
        auto it = cells_.find({x, y});
        if (it == cells_.end()) continue;
        for (size_t i : it->second) best = std::min(best, SegDist(p_[i], p_[(i + 1) % p_.size()], q));
      }
    return best <= reach_ ? best : INFINITY;
  }

 private:
  int Cell(double v, int axis) const { return static_cast<int>(std::floor((v - lo_[axis]) / reach_)); }
  static double SegDist(const std::array<double, 2>& a, const std::array<double, 2>& b, const double q[2]) {
    const double ux = b[0] - a[0], uy = b[1] - a[1], vx = q[0] - a[0], vy = q[1] - a[1];
    const double len2 = ux * ux + uy * uy;
    const double t = len2 > 0 ? std::clamp((ux * vx + uy * vy) / len2, 0.0, 1.0) : 0.0;
    return std::hypot(vx - t * ux, vy - t * uy);
  }
  const Pts& p_;
  double reach_;
  double lo_[2] = {INFINITY, INFINITY};
  std::map<std::pair<int, int>, std::vector<size_t>> cells_;
};

}  // namespace looptest
