#include "geometry/tools/CurveInterGrid.h"

#include <algorithm>
#include <cmath>

#include "platform/numora/Box.h"

namespace curveinter {

BoxGrid::BoxGrid(std::vector<_tagBox2D> boxes) : m_boxes(std::move(boxes)) {
  m_stamp.assign(m_boxes.size(), -1);
  _tagBox2D all;
  BOX2D_Init0(&all);
  double sumW = 0.0, sumH = 0.0;
  int valid = 0;
  for (const _tagBox2D& b : m_boxes) {
    if (!BOX2D_IsValid(&b) || !std::isfinite(b.min[0] + b.min[1] + b.max[0] + b.max[1])) continue;
    BOX2D_Union(&all, &b);
    sumW += b.max[0] - b.min[0];
    sumH += b.max[1] - b.min[1];
    ++valid;
  }
  if (valid == 0) return;
  // Cells about the size of an average box, at most about two per box.
  const double w = all.max[0] - all.min[0], h = all.max[1] - all.min[1];
  const double cw = std::max(sumW / valid, 1e-9), ch = std::max(sumH / valid, 1e-9);
  double nx = std::clamp(w / cw, 1.0, 1e6), ny = std::clamp(h / ch, 1.0, 1e6);
  const double cap = 2.0 * valid + 1.0;
  if (nx * ny > cap) {
    const double f = std::sqrt(cap / (nx * ny));
    nx = std::max(1.0, nx * f);
    ny = std::max(1.0, ny * f);
  }
  m_nx = int(nx);
  m_ny = int(ny);
  m_origin[0] = all.min[0];
  m_origin[1] = all.min[1];
  m_cell[0] = w > 0.0 ? w / m_nx : 1.0;
  m_cell[1] = h > 0.0 ? h / m_ny : 1.0;

  // Two passes: count the boxes of every cell, then fill them in index order.
  std::vector<int> count(size_t(m_nx) * m_ny + 1, 0);
  auto each = [&](auto&& visit) {
    for (int i = 0; i < int(m_boxes.size()); ++i) {
      const _tagBox2D& b = m_boxes[size_t(i)];
      if (!BOX2D_IsValid(&b) || !std::isfinite(b.min[0] + b.min[1] + b.max[0] + b.max[1]))
        continue;
      int x0, x1, y0, y1;
      CellRange(b.min[0], b.max[0], 0, x0, x1);
      CellRange(b.min[1], b.max[1], 1, y0, y1);
      for (int y = y0; y <= y1; ++y)
        for (int x = x0; x <= x1; ++x) visit(y * m_nx + x, i);
    }
  };
  each([&](int cell, int) { ++count[size_t(cell)]; });
  m_start.assign(count.size(), 0);
  for (size_t c = 1; c < count.size(); ++c) m_start[c] = m_start[c - 1] + count[c - 1];
  m_items.resize(size_t(m_start.back()));
  std::vector<int> fill(m_start.begin(), m_start.end() - 1);
  each([&](int cell, int i) { m_items[size_t(fill[size_t(cell)]++)] = i; });
}

void BoxGrid::CellRange(double lo, double hi, int axis, int& first, int& last) const {
  const int n = axis == 0 ? m_nx : m_ny;
  auto cell = [&](double v) {
    const double f = std::floor((v - m_origin[axis]) / m_cell[axis]);
    return f < 0.0 ? 0 : (f >= n ? n - 1 : int(f));
  };
  first = cell(lo);
  last = cell(hi);
}

void BoxGrid::Query(const _tagBox2D& q, double tol, std::vector<int>& out) {
  out.clear();
  if (m_nx == 0 || !BOX2D_IsValid(&q)) return;
  if (!std::isfinite(q.min[0] + q.min[1] + q.max[0] + q.max[1] + tol)) return;
  ++m_query;
  int x0, x1, y0, y1;
  CellRange(q.min[0] - tol, q.max[0] + tol, 0, x0, x1);
  CellRange(q.min[1] - tol, q.max[1] + tol, 1, y0, y1);
  for (int y = y0; y <= y1; ++y) {
    for (int x = x0; x <= x1; ++x) {
      const int c = y * m_nx + x;
      for (int k = m_start[size_t(c)]; k < m_start[size_t(c) + 1]; ++k) {
        const int i = m_items[size_t(k)];
        if (m_stamp[size_t(i)] == m_query) continue;
        m_stamp[size_t(i)] = m_query;
        if (BOX2D_IsInt(&q, &m_boxes[size_t(i)], tol)) out.push_back(i);
      }
    }
  }
  std::sort(out.begin(), out.end());
}

}  // namespace curveinter
