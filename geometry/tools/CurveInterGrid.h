// Uniform grid over a set of boxes (polyline segments, Bezier segments, composite elements):
// finds the boxes that a query box meets without trying every one, so long chains intersect
// in time near their length instead of the product of their lengths.
#pragma once

#include <vector>

#include "platform/numora/Records.h"

namespace curveinter {

class BoxGrid {
 public:
  // Boxes are kept as given; an empty box is never found.
  explicit BoxGrid(std::vector<_tagBox2D> boxes);

  // Indices, ascending, of the boxes b with BOX2D_IsInt(q, b, tol); out is replaced.
  void Query(const _tagBox2D& q, double tol, std::vector<int>& out);

  int Count() const { return int(m_boxes.size()); }
  const _tagBox2D& Box(int i) const { return m_boxes[size_t(i)]; }

 private:
  void CellRange(double lo, double hi, int axis, int& first, int& last) const;

  std::vector<_tagBox2D> m_boxes;
  double m_origin[2] = {0.0, 0.0};
  double m_cell[2] = {1.0, 1.0};
  int m_nx = 0;
  int m_ny = 0;
  std::vector<int> m_start;  // cell c holds m_items[m_start[c] .. m_start[c + 1])
  std::vector<int> m_items;
  std::vector<int> m_stamp;  // last query that reported each box
  int m_query = 0;
};

}  // namespace curveinter
