// Plain regular height grid: heights over an axis-parallel xy lattice, filled by the mesh
// rasterisers and merged into relief grids. Used only for float.
#pragma once

#include <cmath>
#include <cstddef>
#include <new>
#include <vector>

// Index (0 .. count - 1) of the node coordinate nearest to v among count ascending coordinates
// coord(k): bisection that settles on a node within 0.01 of v, and between two neighbours on
// the higher one unless v is strictly nearer the lower. The height grids share this rule.
template <class Coord>
int geNearestNodeIndex(int count, Coord coord, float v) {
  if (count <= 0) return 0;
  const int last = count - 1;
  if (!(v > coord(0))) return 0;  // also NaN
  if (v >= coord(last)) return last;
  int lo = 0, hi = last;
  do {
    if (std::fabs(v - coord(lo)) < 0.01f) return lo;
    if (std::fabs(v - coord(hi)) < 0.01f) return hi;
    if (hi - lo == 1) return std::fabs(v - coord(lo)) < std::fabs(v - coord(hi)) ? lo : hi;
    const int mid = (hi + lo) / 2;
    if (std::fabs(v - coord(mid)) < 0.01f) return mid;
    (v < coord(mid) ? hi : lo) = mid;
  } while (v >= coord(lo) && v <= coord(hi));
  return lo;
}

// Height at (dx, dy) in cell units from node (0, 0) of cols x rows heights z(col, row): the mean
// of the interpolations along the four sides of the cell, clamped to the grid. This mean of an
// x-wise and a y-wise interpolation of pair sums is the height grids' rule, not the textbook
// bilinear one.
template <class Z>
float geInterplateCells(Z z, int cols, int rows, double dx, double dy) {
  auto along = [](double d, int count, int& lo, int& hi) {
    const double t = std::trunc(d);
    // Clamped before converting so that far offsets cannot overflow.
    lo = !(t > -1) ? -1 : t > count ? count : int(t);
    hi = (d > lo && lo < count - 1) ? lo + 1 : lo;
    lo = lo < 0 ? 0 : lo > count - 1 ? count - 1 : lo;
    hi = hi < 0 ? 0 : hi > count - 1 ? count - 1 : hi;
  };
  int i0, i1, j0, j1;
  along(dx, cols, i0, i1);
  along(dy, rows, j0, j1);
  const float z00 = z(i0, j0), z01 = z(i0, j1), z10 = z(i1, j0), z11 = z(i1, j1);
  const float a = float(dy - j0), b = float(j1 - dy), c = float(i1 - dx), d = float(dx - i0);
  if (i1 == i0) return j1 == j0 ? z00 : z01 * a + z00 * b;
  if (j1 == j0) return z00 * c + z10 * d;
  return 0.25f * (((z00 + z01) * c + (z10 + z11) * d) + (a * (z11 + z01) + b * (z00 + z10)));
}

// Largest node count a grid may be given; larger requests are refused rather than attempted.
constexpr size_t GE_GRID_MAX_NODES = size_t(1) << 27;

template <class T>
class CTGrid {
 public:
  CTGrid() { Clear(); }

  // Forgets everything; the height rows are not freed here (see Release).
  void Clear() {
    m_Origin[0] = m_Origin[1] = 0;
    m_Base = 0;
    m_dx = m_dy = 0;
    m_nCols = m_nRows = 0;
    m_pHeight = nullptr;
    m_X.clear();
    m_Y.clear();
  }

  // Sizes a fresh or cleared grid with zero heights. 0 when a count is not positive, the node
  // count is beyond GE_GRID_MAX_NODES or the memory cannot be had; the grid is unchanged then.
  int Create(const T* origin, T dx, T dy, int cols, int rows) {
    if (cols <= 0 || rows <= 0 || size_t(cols) * size_t(rows) > GE_GRID_MAX_NODES) return 0;
    T** height = new (std::nothrow) T*[rows]();
    if (!height) return 0;
    for (int i = 0; i < rows; ++i) {
      height[i] = new (std::nothrow) T[cols]();
      if (!height[i]) {
        for (int k = 0; k < i; ++k) delete[] height[k];
        delete[] height;
        return 0;
      }
    }
    m_pHeight = height;
    m_Origin[0] = origin[0];
    m_Origin[1] = origin[1];
    m_dx = dx;
    m_dy = dy;
    m_nCols = cols;
    m_nRows = rows;
    m_X.reserve(cols);
    for (int j = 0; j < cols; ++j) m_X.push_back(T(j) * dx + origin[0]);
    m_Y.reserve(rows);
    for (int i = 0; i < rows; ++i) m_Y.push_back(T(i) * dy + origin[1]);
    return 1;
  }

  // Frees the height rows and the row table, then clears: what a receiver of a grid calls
  // before deleting it.
  void Release() {
    if (m_pHeight) {
      for (int i = 0; i < m_nRows; ++i) delete[] m_pHeight[i];
      delete[] m_pHeight;
    }
    Clear();
  }

  // Column (axis 0) or row (axis 1) index of a coordinate, truncated towards zero and limited
  // to the grid.
  int Index(double v, int axis) const {
    const double t = axis == 0 ? (v - m_Origin[0]) / m_dx : (v - m_Origin[1]) / m_dy;
    const int last = (axis == 0 ? m_nCols : m_nRows) - 1;
    if (!(t > 0)) return 0;  // also NaN
    if (t >= last) return last;
    return int(t);
  }

  // Column (axis 0) or row (axis 1) whose coordinate is nearest to v (the relief grid's rule).
  int Get_Index(float v, int axis) const {
    const std::vector<T>& c = axis == 0 ? m_X : m_Y;
    return geNearestNodeIndex(int(c.size()), [&](int k) { return float(c[k]); }, v);
  }

  // Height at offset (x, y) from the origin by the relief grid's interpolation rule, x in steps
  // of m_dx and y in steps of m_dy. 0 for a grid without heights or steps.
  float Interplate(float x, float y) const {
    if (!m_pHeight || m_nCols <= 0 || m_nRows <= 0 || !(m_dx != 0) || !(m_dy != 0)) return 0;
    const double u = double(x) / m_dx, v = double(y) / m_dy;
    if (!std::isfinite(u) || !std::isfinite(v)) return 0;
    return geInterplateCells([&](int i, int j) { return float(m_pHeight[j][i]); }, m_nCols,
                             m_nRows, u, v);
  }

  T m_Origin[2];
  T m_Base;
  T m_dx;
  T m_dy;
  int m_nCols;
  int m_nRows;
  std::vector<T> m_X;
  std::vector<T> m_Y;
  T** m_pHeight;
};
