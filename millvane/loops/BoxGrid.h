// Boxes filed in a uniform grid, so that the boxes near a query box are found by reading the
// cells it covers instead of every box. Queries return a superset of the boxes that meet: the
// callers keep their own exact tests, and take the candidates in ascending index, the order a
// plain scan would meet them, so their results do not change.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

class CBoxGrid {
 public:
  // Boxes are min x, min y, max x, max y. A box that is not finite, or that would cover many
  // cells, is kept aside and returned by every query.
  explicit CBoxGrid(const std::vector<std::array<double, 4>>& boxes);

  // Indices of the boxes that may meet box grown by margin, ascending, each once.
  void Query(const double box[4], double margin, std::vector<int>& out);

 private:
  int Coord(double v, int axis) const;

  std::vector<std::vector<int>> cells_;
  std::vector<int> aside_;
  std::vector<uint32_t> seen_;
  uint32_t stamp_ = 0;
  int dim_[2] = {0, 0};
  double origin_[2] = {0, 0};
  double cell_ = 1.0;
};
