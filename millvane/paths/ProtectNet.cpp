#include "millvane/paths/ProtectNet.h"

#include <algorithm>
#include <cmath>

int CProtectNet::Create(double c, double r, const double box[6]) {
  Free();
  if (!(c > 0) || !std::isfinite(c) || !std::isfinite(r)) return 0;
  for (int i = 0; i < 6; ++i)
    if (!std::isfinite(box[i])) return 0;
  const double d = 2 * c + std::max(r, 0.0);
  const double w = box[3] - box[0] + 2 * d, h = box[4] - box[1] + 2 * d;
  if (w < 1e-6 || h < 1e-6) return 0;
  const double nc = std::ceil(w / c + 1), nr = std::ceil(h / c + 1);
  // Checked in doubles: a tiny cell over a large box must fail here, not in the allocator.
  if (nc * nr > kMaxNodes) return 0;
  cell = c;
  cols = static_cast<int>(nc);
  rows = static_cast<int>(nr);
  xs.resize(cols);
  ys.resize(rows);
  for (int j = 0; j < cols; ++j) xs[j] = box[0] - d + j * c;
  for (int i = 0; i < rows; ++i) ys[i] = box[1] - d + i * c;
  heights.assign(static_cast<size_t>(rows) * cols, box[2] - d - 5);
  marks.assign(static_cast<size_t>(rows) * cols, 0);
  zLow = box[2];
  zHigh = box[5];
  return 1;
}

void CProtectNet::Free() {
  rows = cols = 0;
  cell = 0.0;
  xs.clear();
  ys.clear();
  heights.clear();
  marks.clear();
}

double CProtectNet::LowestInBox(double x0, double y0, double x1, double y1) const {
  if (rows == 0 || cols == 0) return 1e12;
  if (!(x0 <= x1) || !(y0 <= y1)) return 1e12;
  const double c0 = std::ceil((x0 - xs[0]) / cell) - 2, c1 = std::floor((x1 - xs[0]) / cell) + 2;
  const double r0 = std::ceil((y0 - ys[0]) / cell) - 2, r1 = std::floor((y1 - ys[0]) / cell) + 2;
  const int j0 = static_cast<int>(std::max(c0, 0.0)), j1 = static_cast<int>(std::min(c1, cols - 1.0));
  const int i0 = static_cast<int>(std::max(r0, 0.0)), i1 = static_cast<int>(std::min(r1, rows - 1.0));
  double low = 1e12;
  for (int i = i0; i <= i1; ++i)
    for (int j = j0; j <= j1; ++j) low = std::min(low, Height(i, j));
  return low;
}

double CProtectNet::HeightAt(double x, double y) const {
  if (rows == 0 || cols == 0 || !std::isfinite(x) || !std::isfinite(y)) return -1e12;
  const double fj = std::trunc((x - xs[0]) / cell), fi = std::trunc((y - ys[0]) / cell);
  if (fj < 1 || fj > cols - 2 || fi < 1 || fi > rows - 2) return -1e12;
  const int j = static_cast<int>(fj), i = static_cast<int>(fi);
  return std::min({Height(i, j), Height(i, j + 1), Height(i + 1, j), Height(i + 1, j + 1)});
}
