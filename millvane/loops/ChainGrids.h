// Grids over the start points of loops being put in machining order: one files the ends of
// the chains built so far, for the nearest-end search; the other files the segments between
// chained points, for the search of crossings to undo.
#pragma once

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

// Chain ends filed by grid cell, so that the nearest end to a point is found by reading the
// cells in rings around it. Ends that stop being ends (joined on both sides) leave the grid.
class CEndGrid {
 public:
  explicit CEndGrid(const std::vector<std::array<double, 2>>& pt) : pt_(pt) {
    const int n = static_cast<int>(pt.size());
    double x0 = 1e300, y0 = 1e300, x1 = -1e300, y1 = -1e300;
    for (const auto& p : pt) {
      x0 = std::min(x0, p[0]);
      y0 = std::min(y0, p[1]);
      x1 = std::max(x1, p[0]);
      y1 = std::max(y1, p[1]);
    }
    const double side = std::max({x1 - x0, y1 - y0, 1e-9});
    dim_ = std::max(1, static_cast<int>(std::sqrt(double(n))));
    cell_ = side / dim_;
    ox_ = x0;
    oy_ = y0;
    cells_.assign(size_t(dim_) * dim_, {});
    slot_.assign(n, 0);
    for (int i = 0; i < n; ++i) {
      auto& c = cells_[Cell(i)];
      slot_[i] = c.size();
      c.push_back(i);
    }
  }
  void Remove(int i) {
    auto& c = cells_[Cell(i)];
    const int last = c.back();
    c[slot_[i]] = last;
    slot_[last] = slot_[i];
    c.pop_back();
  }
  // The filed end k (valid(k)) with the smallest (distance, min(i, k), max(i, k)); -1 if none.
  template <class Valid>
  int Nearest(int i, Valid valid, double& bestD) const {
    const int cx = Coord(pt_[i][0], ox_), cy = Coord(pt_[i][1], oy_);
    int best = -1;
    bestD = 0.0;
    auto better = [&](int k, double d) {
      if (best < 0 || d < bestD) return true;
      if (d > bestD) return false;
      const int a = std::min(i, k), b = std::max(i, k), c = std::min(i, best), e = std::max(i, best);
      return a < c || (a == c && b < e);
    };
    for (int r = 0; r <= dim_; ++r) {
      for (int gx = cx - r; gx <= cx + r; ++gx) {
        if (gx < 0 || gx >= dim_) continue;
        const int step = (gx == cx - r || gx == cx + r) ? 1 : 2 * r;
        for (int gy = cy - r; gy <= cy + r; gy += std::max(step, 1)) {
          if (gy < 0 || gy >= dim_) continue;
          for (int k : cells_[size_t(gx) * dim_ + gy]) {
            if (k == i || !valid(k)) continue;
            const double dx = pt_[i][0] - pt_[k][0], dy = pt_[i][1] - pt_[k][1];
            const double d = std::sqrt(dx * dx + dy * dy);
            if (better(k, d)) {
              best = k;
              bestD = d;
            }
          }
        }
      }
      // Ends beyond ring r lie further than (r - 1) cells, with a cell to spare for rounding.
      if (best >= 0 && bestD < (r - 1) * cell_) break;
    }
    return best;
  }

 private:
  int Coord(double v, double o) const {
    return std::clamp(static_cast<int>(std::floor((v - o) / cell_)), 0, dim_ - 1);
  }
  size_t Cell(int i) const {
    return size_t(Coord(pt_[i][0], ox_)) * dim_ + Coord(pt_[i][1], oy_);
  }
  const std::vector<std::array<double, 2>>& pt_;
  int dim_ = 1;
  double cell_ = 1.0, ox_ = 0.0, oy_ = 0.0;
  std::vector<std::vector<int>> cells_;
  std::vector<size_t> slot_;
};

// Segments between points, filed by the cells their boxes cover. Near returns every live
// segment whose box may meet the given one's (each box grown by 1e-6 of its segment's length,
// the reach of a crossing acSegSegInt reports); the caller does the exact test. A segment over
// many cells, or not finite, is kept aside and returned every time.
class CSegGrid {
 public:
  explicit CSegGrid(const std::vector<std::array<double, 2>>& pt);
  void Add(int p, int q);
  void Remove(int p, int q);
  void Near(int p, int q, std::vector<std::pair<int, int>>& out);

 private:
  struct Seg {
    int p, q;
    bool alive;
  };
  // Cell range of a segment's grown box; false when it cannot be placed.
  bool Range(int p, int q, int r[4]) const;
  int Coord(double v, double o) const;
  // Appends the live segments of a list to out (once each), dropping the dead ones from it.
  void Read(std::vector<int>& list, std::vector<std::pair<int, int>>& out);

  const std::vector<std::array<double, 2>>& pt_;
  int dim_ = 1;
  double cell_ = 1.0, ox_ = 0.0, oy_ = 0.0;
  std::vector<std::vector<int>> cells_;
  std::vector<int> aside_;
  std::vector<Seg> segs_;
  std::vector<std::array<int, 2>> of_;  // the (at most two) segments at each point
  std::vector<uint32_t> seen_;
  uint32_t stamp_ = 0;
};
