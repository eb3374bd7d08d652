#include "velmora/quillan/InscribedCircle.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <queue>

namespace {

// Bounds on the work of one search: initial cells along the longer side, cells made in all
// (memory) and segment-distance evaluations in all (time). When they run out the best answer
// found so far stands; only slivers thousands of times longer than wide get that far.
constexpr int kMaxCellsAcross = 256;
constexpr double kMaxCells = 1 << 20;
constexpr double kDistanceBudget = 4.0e8;

double SegmentDistance2(const QlPoint& p, const QlPoint& a, const QlPoint& b) {
  const double dx = b[0] - a[0], dy = b[1] - a[1];
  double x = a[0], y = a[1];
  const double len2 = dx * dx + dy * dy;
  if (len2 > 0.0) {
    const double t = std::clamp(((p[0] - a[0]) * dx + (p[1] - a[1]) * dy) / len2, 0.0, 1.0);
    x += t * dx;
    y += t * dy;
  }
  const double ex = p[0] - x, ey = p[1] - y;
  return ex * ex + ey * ey;
}

struct Cell {
  double x, y;  // centre
  double h;     // half side
  double d;     // signed distance of the centre
  double max;   // no point of the cell is farther from the edges than this
};

Cell MakeCell(const std::vector<QlRing>& rings, double x, double y, double h) {
  const double d = qlSignedDistance(rings, {x, y});
  return {x, y, h, d, d + h * std::sqrt(2.0)};
}

struct ByBound {
  bool operator()(const Cell& a, const Cell& b) const { return a.max < b.max; }
};

}  // namespace

double qlSignedDistance(const std::vector<QlRing>& rings, const QlPoint& p) {
  bool inside = false;
  double best = INFINITY;
  for (const QlRing& ring : rings) {
    const size_t n = ring.size();
    for (size_t i = 0, j = n - 1; i < n; j = i++) {
      const QlPoint& a = ring[i];
      const QlPoint& b = ring[j];
      if ((a[1] > p[1]) != (b[1] > p[1]) &&
          p[0] < (b[0] - a[0]) * (p[1] - a[1]) / (b[1] - a[1]) + a[0])
        inside = !inside;
      best = std::min(best, SegmentDistance2(p, a, b));
    }
  }
  const double d = std::sqrt(best);
  return inside ? d : -d;
}

bool qlLargestInscribedCircle(const std::vector<QlRing>& rings, double precision, QlCircle& out) {
  if (rings.empty() || !std::isfinite(precision) || !(precision > 0.0)) return false;
  double lo[2] = {INFINITY, INFINITY}, hi[2] = {-INFINITY, -INFINITY};
  size_t edges = 0;
  for (const QlRing& ring : rings) {
    if (ring.size() < 3) return false;
    for (const QlPoint& p : ring) {
      if (!std::isfinite(p[0]) || !std::isfinite(p[1])) return false;
      for (int k = 0; k < 2; ++k) {
        lo[k] = std::min(lo[k], p[k]);
        hi[k] = std::max(hi[k], p[k]);
      }
    }
    edges += ring.size();
  }
  const double w = hi[0] - lo[0], hgt = hi[1] - lo[1];
  if (!(w > 0.0) || !(hgt > 0.0) || !std::isfinite(w) || !std::isfinite(hgt)) return false;

  // Square cells of the shorter side, unless a sliver would need too many of them.
  const double size = std::max(std::min(w, hgt), std::max(w, hgt) / kMaxCellsAcross);
  const double h = size / 2;
  // Halving stops where doubles cannot separate the cells any more.
  const double magnitude = std::max({w, hgt, std::fabs(lo[0]), std::fabs(lo[1]), std::fabs(hi[0]), std::fabs(hi[1])});
  precision = std::max(precision, 1e-12 * magnitude);

  std::priority_queue<Cell, std::vector<Cell>, ByBound> queue;
  // Counted, not stepped: far from the origin adding the cell size may not move a coordinate.
  const int nx = int(std::ceil(w / size)), ny = int(std::ceil(hgt / size));
  for (int i = 0; i < nx; ++i)
    for (int j = 0; j < ny; ++j) queue.push(MakeCell(rings, lo[0] + i * size + h, lo[1] + j * size + h, h));
  Cell best = MakeCell(rings, lo[0] + w / 2, lo[1] + hgt / 2, 0.0);

  double budget = std::min(kMaxCells, kDistanceBudget / double(edges));
  while (!queue.empty() && budget > 0) {
    const Cell cell = queue.top();
    queue.pop();
    if (cell.d > best.d) best = cell;
    // Nothing in this cell (nor, by the ordering, in any other) can beat the best by more
    // than the precision.
    if (cell.max - best.d <= precision) break;
    const double q = cell.h / 2;
    for (const double dx : {-q, q})
      for (const double dy : {-q, q}) queue.push(MakeCell(rings, cell.x + dx, cell.y + dy, q));
    budget -= 4;
  }
  if (!(best.d > 0.0)) return false;
  out.centre[0] = best.x;
  out.centre[1] = best.y;
  out.radius = best.d;
  return true;
}
