#include "millvane/loops/BoxGrid.h"

#include <algorithm>
#include <cmath>

namespace {
constexpr int kMaxCellsPerBox = 64;

bool Finite(const double* b) {
  return std::isfinite(b[0]) && std::isfinite(b[1]) && std::isfinite(b[2]) && std::isfinite(b[3]);
}
}  // namespace

CBoxGrid::CBoxGrid(const std::vector<std::array<double, 4>>& boxes) {
  seen_.assign(boxes.size(), 0);
  double lo[2] = {INFINITY, INFINITY}, hi[2] = {-INFINITY, -INFINITY};
  size_t filed = 0;
  for (const auto& b : boxes) {
    if (!Finite(b.data())) continue;
    lo[0] = std::min(lo[0], b[0]);
    lo[1] = std::min(lo[1], b[1]);
    hi[0] = std::max(hi[0], b[2]);
    hi[1] = std::max(hi[1], b[3]);
    ++filed;
  }
  if (filed == 0) {
    for (size_t i = 0; i < boxes.size(); ++i) aside_.push_back(static_cast<int>(i));
    return;
  }
  // Square cells, about one box per cell over the boxes' extent, at most 4 cells per box.
  const double w = std::max(hi[0] - lo[0], 0.0), h = std::max(hi[1] - lo[1], 0.0);
  cell_ = std::sqrt(std::max(w * h, 0.0) / double(filed));
  cell_ = std::max({cell_, std::max(w, h) / (2.0 * double(filed)), 1e-9});
  if (!std::isfinite(cell_)) cell_ = std::max(w, h);
  for (int a = 0; a < 2; ++a) {
    const double span = (a == 0 ? w : h) / cell_;
    dim_[a] = static_cast<int>(std::clamp(std::ceil(span), 1.0, 4.0 * double(filed)));
    origin_[a] = lo[a];
  }
  cells_.assign(size_t(dim_[0]) * size_t(dim_[1]), {});
  for (size_t i = 0; i < boxes.size(); ++i) {
    const double* b = boxes[i].data();
    if (!Finite(b)) {
      aside_.push_back(static_cast<int>(i));
      continue;
    }
    const int x0 = Coord(b[0], 0), x1 = Coord(b[2], 0), y0 = Coord(b[1], 1), y1 = Coord(b[3], 1);
    if (int64_t(x1 - x0 + 1) * int64_t(y1 - y0 + 1) > kMaxCellsPerBox) {
      aside_.push_back(static_cast<int>(i));
      continue;
    }
    for (int x = x0; x <= x1; ++x)
      for (int y = y0; y <= y1; ++y) cells_[size_t(x) * dim_[1] + y].push_back(static_cast<int>(i));
  }
}

int CBoxGrid::Coord(double v, int axis) const {
  const double c = std::floor((v - origin_[axis]) / cell_);
  return static_cast<int>(std::clamp(c, 0.0, double(dim_[axis] - 1)));
}

void CBoxGrid::Query(const double box[4], double margin, std::vector<int>& out) {
  out.clear();
  if (++stamp_ == 0) {
    std::fill(seen_.begin(), seen_.end(), 0);
    stamp_ = 1;
  }
  auto take = [&](int i) {
    if (seen_[i] == stamp_) return;
    seen_[i] = stamp_;
    out.push_back(i);
  };
  for (int i : aside_) take(i);
  if (!cells_.empty()) {
    const double q[4] = {box[0] - margin, box[1] - margin, box[2] + margin, box[3] + margin};
    if (!Finite(q) || !(q[0] <= q[2]) || !(q[1] <= q[3])) {
      // A query that cannot be placed reads every cell.
      for (const auto& c : cells_)
        for (int i : c) take(i);
    } else {
      const int x0 = Coord(q[0], 0), x1 = Coord(q[2], 0), y0 = Coord(q[1], 1), y1 = Coord(q[3], 1);
      for (int x = x0; x <= x1; ++x)
        for (int y = y0; y <= y1; ++y)
          for (int i : cells_[size_t(x) * dim_[1] + y]) take(i);
    }
  }
  std::sort(out.begin(), out.end());
}
