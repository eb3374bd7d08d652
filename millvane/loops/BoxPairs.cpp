#include "millvane/loops/BoxPairs.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace {

bool HasNaN(const double* b) {
  return std::isnan(b[0]) || std::isnan(b[1]) || std::isnan(b[2]) || std::isnan(b[3]);
}

bool Finite(const double* b) {
  return std::isfinite(b[0]) && std::isfinite(b[1]) && std::isfinite(b[2]) && std::isfinite(b[3]);
}

bool Meet(const double* a, const double* b, double m) {
  return a[0] <= b[2] + m && b[0] <= a[2] + m && a[1] <= b[3] + m && b[1] <= a[3] + m;
}

struct Item {
  const double* box;
  int index;
  int set;  // 0 or 1; a self search puts everything in set 0
};

// A box that would cover more cells than this is tested against every item instead.
constexpr int64_t kMaxCellsPerBox = 64;

// Pairs of meeting boxes among the items, as (index of the first, index of the second) for a
// two-set search (items of different sets) or (lower, higher index) for a self search, sorted.
//
// The boxes, each grown by half the margin, are filed into a uniform grid of about as many cells
// as items; two grown boxes meet exactly when they overlap, and the corner where their overlap
// begins lies in a cell both are filed in, so each pair is reported in that one cell. A sweep
// in x inside each cell keeps clustered boxes cheap too.
std::vector<std::pair<int, int>> GridPairs(const std::vector<Item>& items, bool self, double margin) {
  std::vector<std::pair<int, int>> out;
  auto report = [&](const Item& x, const Item& y) {
    if (self) out.push_back({std::min(x.index, y.index), std::max(x.index, y.index)});
    else if (x.set == 0) out.push_back({x.index, y.index});
    else out.push_back({y.index, x.index});
  };
  auto pairable = [&](const Item& x, const Item& y) { return self ? x.index != y.index : x.set != y.set; };
  const double h = 0.5 * margin;
  double x0 = 1e300, y0 = 1e300, x1 = -1e300, y1 = -1e300;
  std::vector<double> extent;
  for (const Item& it : items) {
    if (!Finite(it.box)) continue;
    x0 = std::min(x0, it.box[0] - h);
    y0 = std::min(y0, it.box[1] - h);
    x1 = std::max(x1, it.box[2] + h);
    y1 = std::max(y1, it.box[3] + h);
    extent.push_back(std::max(it.box[2] - it.box[0], it.box[3] - it.box[1]) + margin);
  }
  // Cells about the typical box size, and not many more cells than items.
  double cell = 0.0;
  if (!extent.empty()) {
    std::nth_element(extent.begin(), extent.begin() + extent.size() / 2, extent.end());
    const double area = std::max(x1 - x0, 0.0) * std::max(y1 - y0, 0.0);
    cell = std::max(extent[extent.size() / 2], std::sqrt(area / double(extent.size())));
  }
  int64_t nx = 1, ny = 1;
  if (cell > 0.0 && std::isfinite(cell)) {
    nx = std::clamp<int64_t>(static_cast<int64_t>((x1 - x0) / cell) + 1, 1, 1 << 14);
    ny = std::clamp<int64_t>(static_cast<int64_t>((y1 - y0) / cell) + 1, 1, 1 << 14);
    while (nx * ny > 4 * static_cast<int64_t>(items.size()) + 16) {
      nx = (nx + 1) / 2;
      ny = (ny + 1) / 2;
    }
  }
  const double cw = nx > 1 ? (x1 - x0) / double(nx) : 1.0, ch = ny > 1 ? (y1 - y0) / double(ny) : 1.0;
  auto col = [&](double x) {
    return nx > 1 ? std::clamp<int64_t>(static_cast<int64_t>(std::floor((x - x0) / cw)), 0, nx - 1) : 0;
  };
  auto row = [&](double y) {
    return ny > 1 ? std::clamp<int64_t>(static_cast<int64_t>(std::floor((y - y0) / ch)), 0, ny - 1) : 0;
  };

  // Boxes that are not finite or would span too many cells go to a list tested against all.
  std::vector<int> big;
  std::vector<int64_t> first(static_cast<size_t>(nx * ny) + 1, 0);
  struct Span {
    int64_t c0, r0, c1, r1;
  };
  std::vector<Span> span(items.size(), Span{1, 1, 0, 0});  // empty: filed nowhere
  for (size_t i = 0; i < items.size(); ++i) {
    const double* b = items[i].box;
    if (!Finite(b)) {
      big.push_back(static_cast<int>(i));
      continue;
    }
    Span s{col(b[0] - h), row(b[1] - h), col(b[2] + h), row(b[3] + h)};
    if ((s.c1 - s.c0 + 1) * (s.r1 - s.r0 + 1) > kMaxCellsPerBox) {
      big.push_back(static_cast<int>(i));
      continue;
    }
    span[i] = s;
    for (int64_t r = s.r0; r <= s.r1; ++r)
      for (int64_t c = s.c0; c <= s.c1; ++c) ++first[static_cast<size_t>(r * nx + c) + 1];
  }
  for (size_t c = 1; c < first.size(); ++c) first[c] += first[c - 1];
  std::vector<int> filed(static_cast<size_t>(first.back()));
  {
    std::vector<int64_t> fill(first.begin(), first.end() - 1);
    for (size_t i = 0; i < items.size(); ++i) {
      const Span& s = span[i];
      for (int64_t r = s.r0; r <= s.r1; ++r)
        for (int64_t c = s.c0; c <= s.c1; ++c) filed[static_cast<size_t>(fill[static_cast<size_t>(r * nx + c)]++)] = static_cast<int>(i);
    }
  }
  // Within a cell, a sweep along x: items clustered in one cell cost what the sweep costs.
  std::vector<int> local, active;
  for (int64_t c = 0; c < nx * ny; ++c) {
    const int64_t from = first[static_cast<size_t>(c)], to = first[static_cast<size_t>(c) + 1];
    if (to - from < 2) continue;
    local.assign(filed.begin() + from, filed.begin() + to);
    std::sort(local.begin(), local.end(), [&](int p, int q) {
      return items[static_cast<size_t>(p)].box[0] < items[static_cast<size_t>(q)].box[0];
    });
    active.clear();
    for (int q : local) {
      const Item& y = items[static_cast<size_t>(q)];
      size_t keep = 0;
      for (int p : active) {
        const Item& x = items[static_cast<size_t>(p)];
        if (x.box[2] + margin < y.box[0]) continue;  // ends left of everything to come
        active[keep++] = p;
        if (!pairable(x, y) || !Meet(x.box, y.box, margin)) continue;
        // Only the cell holding the start of the overlap reports the pair.
        if (row(std::max(x.box[1], y.box[1]) - h) * nx + col(std::max(x.box[0], y.box[0]) - h) != c) continue;
        report(x, y);
      }
      active.resize(keep);
      active.push_back(q);
    }
  }
  // Each big box against every item; a pair of two big boxes once.
  std::vector<char> isBig(items.size(), 0);
  for (int i : big) isBig[static_cast<size_t>(i)] = 1;
  for (int i : big)
    for (size_t k = 0; k < items.size(); ++k) {
      if (isBig[k] && static_cast<int>(k) <= i) continue;
      const Item& x = items[static_cast<size_t>(i)];
      const Item& y = items[k];
      if (pairable(x, y) && Meet(x.box, y.box, margin)) report(x, y);
    }
  std::sort(out.begin(), out.end());
  return out;
}

}  // namespace

std::vector<std::pair<int, int>> acMeetingBoxPairs(const std::vector<const double*>& a,
                                                   const std::vector<const double*>& b,
                                                   double margin) {
  std::vector<Item> items;
  items.reserve(a.size() + b.size());
  for (size_t i = 0; i < a.size(); ++i)
    if (!HasNaN(a[i])) items.push_back({a[i], static_cast<int>(i), 0});
  for (size_t i = 0; i < b.size(); ++i)
    if (!HasNaN(b[i])) items.push_back({b[i], static_cast<int>(i), 1});
  return GridPairs(items, false, margin);
}

std::vector<std::pair<int, int>> acMeetingBoxPairs(const std::vector<const double*>& boxes,
                                                   double margin) {
  std::vector<Item> items;
  items.reserve(boxes.size());
  for (size_t i = 0; i < boxes.size(); ++i)
    if (!HasNaN(boxes[i])) items.push_back({boxes[i], static_cast<int>(i), 0});
  return GridPairs(items, true, margin);
}
