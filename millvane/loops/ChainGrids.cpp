#include "millvane/loops/ChainGrids.h"

namespace {
constexpr int kMaxCells = 16;
}

CSegGrid::CSegGrid(const std::vector<std::array<double, 2>>& pt) : pt_(pt) {
  const size_t n = pt.size();
  double x0 = INFINITY, y0 = INFINITY, x1 = -INFINITY, y1 = -INFINITY;
  for (const auto& p : pt) {
    if (!std::isfinite(p[0]) || !std::isfinite(p[1])) continue;
    x0 = std::min(x0, p[0]);
    y0 = std::min(y0, p[1]);
    x1 = std::max(x1, p[0]);
    y1 = std::max(y1, p[1]);
  }
  if (x0 <= x1) {
    const double side = std::max({x1 - x0, y1 - y0, 1e-9});
    dim_ = std::max(1, static_cast<int>(std::sqrt(double(n))));
    cell_ = std::isfinite(side / dim_) ? side / dim_ : side;
    ox_ = x0;
    oy_ = y0;
  }
  cells_.assign(size_t(dim_) * dim_, {});
  of_.assign(n, {-1, -1});
}

int CSegGrid::Coord(double v, double o) const {
  const double c = std::floor((v - o) / cell_);
  return static_cast<int>(std::clamp(c, 0.0, double(dim_ - 1)));
}

bool CSegGrid::Range(int p, int q, int r[4]) const {
  const double* a = pt_[size_t(p)].data();
  const double* b = pt_[size_t(q)].data();
  const double g = 1e-6 * std::hypot(b[0] - a[0], b[1] - a[1]) + 1e-9;
  const double lo[2] = {std::min(a[0], b[0]) - g, std::min(a[1], b[1]) - g};
  const double hi[2] = {std::max(a[0], b[0]) + g, std::max(a[1], b[1]) + g};
  if (!std::isfinite(lo[0] + lo[1] + hi[0] + hi[1])) return false;
  r[0] = Coord(lo[0], ox_);
  r[1] = Coord(lo[1], oy_);
  r[2] = Coord(hi[0], ox_);
  r[3] = Coord(hi[1], oy_);
  return true;
}

void CSegGrid::Add(int p, int q) {
  const int id = static_cast<int>(segs_.size());
  segs_.push_back({p, q, true});
  seen_.push_back(0);
  for (int x : {p, q}) {
    auto& at = of_[size_t(x)];
    at[at[0] < 0 ? 0 : 1] = id;
  }
  int r[4];
  if (!Range(p, q, r) || (r[2] - r[0] + 1) * (r[3] - r[1] + 1) > kMaxCells) {
    aside_.push_back(id);
    return;
  }
  for (int x = r[0]; x <= r[2]; ++x)
    for (int y = r[1]; y <= r[3]; ++y) cells_[size_t(x) * dim_ + y].push_back(id);
}

void CSegGrid::Remove(int p, int q) {
  auto& at = of_[size_t(p)];
  for (int k = 0; k < 2; ++k) {
    const int id = at[k];
    if (id < 0) continue;
    const Seg& s = segs_[size_t(id)];
    if (!((s.p == p && s.q == q) || (s.p == q && s.q == p))) continue;
    segs_[size_t(id)].alive = false;
    at[k] = -1;
    for (int& o : of_[size_t(q)])
      if (o == id) o = -1;
    return;
  }
}

void CSegGrid::Read(std::vector<int>& list, std::vector<std::pair<int, int>>& out) {
  size_t keep = 0;
  for (int id : list) {
    const Seg& s = segs_[size_t(id)];
    if (!s.alive) continue;
    list[keep++] = id;
    if (seen_[size_t(id)] == stamp_) continue;
    seen_[size_t(id)] = stamp_;
    out.push_back({s.p, s.q});
  }
  list.resize(keep);
}

void CSegGrid::Near(int p, int q, std::vector<std::pair<int, int>>& out) {
  out.clear();
  if (++stamp_ == 0) {
    std::fill(seen_.begin(), seen_.end(), 0);
    stamp_ = 1;
  }
  Read(aside_, out);
  int r[4];
  if (!Range(p, q, r)) r[0] = r[1] = 0, r[2] = r[3] = dim_ - 1;
  for (int x = r[0]; x <= r[2]; ++x)
    for (int y = r[1]; y <= r[3]; ++y) Read(cells_[size_t(x) * dim_ + y], out);
}
