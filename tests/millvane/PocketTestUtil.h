// Independent measures of pocket paths: the path as a dense run of segments, its cuts, and how
// far region points lie from it.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <memory>
#include <numbers>
#include <string>
#include <unordered_map>
#include <vector>

#include "millvane/loops/PathCombine.h"
#include "millvane/loops/PathEntity.h"
#include "tests/millvane/LoopTestUtil.h"

namespace pockettest {
using looptest::Pts;

struct Seg {
  std::array<double, 2> a, b;
};

// Points of one entity in order (arcs sampled every 0.5 degree).
inline Pts EntityPoints(const CPathEntity* e) {
  Pts out;
  if (e->type == kPathLine) {
    const auto* l = static_cast<const CPathLine3D*>(e);
    out.push_back({l->start[0], l->start[1]});
    out.push_back({l->end[0], l->end[1]});
  } else if (e->type == kPathPLine) {
    const auto* p = static_cast<const CPathPLine3D*>(e);
    for (int i = 0; i <= p->count; ++i) out.push_back({p->points[i][0], p->points[i][1]});
  } else if (e->type == kPathArc) {
    const auto* a = static_cast<const CPathArc3D*>(e);
    const int n = std::max(2, int(std::fabs(a->endAngle - a->startAngle) / 0.0087) + 1);
    for (int i = 0; i <= n; ++i) {
      double q[3];
      a->PointAt(double(i) / n, q);
      out.push_back({q[0], q[1]});
    }
  }
  return out;
}

// Every segment of the chain; `breaks` counts joints where an entity does not start where the
// previous one ended (a retract between cuts).
inline std::vector<Seg> Segments(const CPathCombine& c, int* breaks = nullptr) {
  std::vector<Seg> out;
  int br = 0;
  std::array<double, 2> last{};
  bool have = false;
  for (const CPathEntity* e = c.head; e; e = e->next) {
    const Pts p = EntityPoints(e);
    if (p.empty()) continue;
    if (have && std::hypot(p[0][0] - last[0], p[0][1] - last[1]) > 1e-6) ++br;
    for (size_t i = 0; i + 1 < p.size(); ++i) out.push_back({p[i], p[i + 1]});
    last = p.back();
    have = true;
  }
  if (breaks) *breaks = br;
  return out;
}

inline double SegDist(const Seg& s, double x, double y) {
  const double dx = s.b[0] - s.a[0], dy = s.b[1] - s.a[1];
  const double l2 = dx * dx + dy * dy;
  double t = l2 > 0 ? ((x - s.a[0]) * dx + (y - s.a[1]) * dy) / l2 : 0.0;
  t = std::clamp(t, 0.0, 1.0);
  return std::hypot(s.a[0] + t * dx - x, s.a[1] + t * dy - y);
}

// Nearest distance from a point to a set of segments, with a coarse grid to keep it quick.
class SegIndex {
 public:
  SegIndex(const std::vector<Seg>& segs, double cell) : segs_(segs), cell_(cell) {
    for (size_t i = 0; i < segs.size(); ++i) {
      const int x0 = Cell(std::min(segs[i].a[0], segs[i].b[0])), x1 = Cell(std::max(segs[i].a[0], segs[i].b[0]));
      const int y0 = Cell(std::min(segs[i].a[1], segs[i].b[1])), y1 = Cell(std::max(segs[i].a[1], segs[i].b[1]));
      for (int x = x0; x <= x1; ++x)
        for (int y = y0; y <= y1; ++y) grid_[Key(x, y)].push_back(i);
    }
  }
  // Smallest distance, exact as long as it is below `reach` (else some value >= reach).
  double Dist(double x, double y, double reach) const {
    double best = 1e300;
    const int r = int(std::ceil(reach / cell_));
    const int cx = Cell(x), cy = Cell(y);
    for (int i = cx - r; i <= cx + r; ++i)
      for (int k = cy - r; k <= cy + r; ++k) {
        auto it = grid_.find(Key(i, k));
        if (it == grid_.end()) continue;
        for (size_t s : it->second) best = std::min(best, SegDist(segs_[s], x, y));
      }
    return best;
  }

 private:
  int Cell(double v) const { return int(std::floor(v / cell_)); }
  static long long Key(int x, int y) { return (long long)x * 1000003LL + y; }
  const std::vector<Seg>& segs_;
  double cell_;
  std::unordered_map<long long, std::vector<size_t>> grid_;
};

// Dense boundary samples of a contour (outer loop and islands).
inline std::vector<Pts> ContourSamples(const CSmartLoop* c) {
  std::vector<Pts> out = {looptest::Sample(c, 400)};
  for (const CSmartLoop* i = c->islands; i; i = i->next) out.push_back(looptest::Sample(i, 400));
  return out;
}

inline bool InRegion(const std::vector<Pts>& rings, double x, double y) {
  int n = 0;
  for (const Pts& r : rings) n += looptest::Inside(r, x, y);
  return n % 2 == 1;
}

inline double DistToRings(const std::vector<Pts>& rings, double x, double y) {
  double best = 1e300;
  for (const Pts& r : rings)
    for (size_t i = 0; i < r.size(); ++i)
      best = std::min(best, SegDist({r[i], r[(i + 1) % r.size()]}, x, y));
  return best;
}

// Largest distance from a grid of points inside the region to the path.
inline double WorstGap(const std::vector<Pts>& region, const std::vector<Seg>& path, double grid,
                       double reach) {
  double x0 = 1e300, y0 = 1e300, x1 = -1e300, y1 = -1e300;
  for (const Pts& r : region)
    for (const auto& p : r) {
      x0 = std::min(x0, p[0]);
      y0 = std::min(y0, p[1]);
      x1 = std::max(x1, p[0]);
      y1 = std::max(y1, p[1]);
    }
  SegIndex idx(path, reach);
  double worst = 0.0;
  for (double x = x0 + grid / 2; x < x1; x += grid)
    for (double y = y0 + grid / 2; y < y1; y += grid)
      if (InRegion(region, x, y)) worst = std::max(worst, std::min(idx.Dist(x, y, reach), reach));
  return worst;
}

}  // namespace pockettest
