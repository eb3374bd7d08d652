// Plain regular height grid: heights over an axis-parallel xy lattice, filled by the mesh
// rasterisers and merged into relief grids. Used only for float.
#pragma once

#include <cstddef>
#include <new>
#include <vector>

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
