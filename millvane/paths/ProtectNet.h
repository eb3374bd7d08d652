// Protect net: a regular grid of tool-centre heights over the model, so that the question
// whether material stands above a point becomes a table lookup.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

class CProtectNet {
 public:
  // Nets of more nodes than this are refused before anything is allocated.
  static constexpr double kMaxNodes = 64.0 * 1024 * 1024;

  // Lays out the grid over the box (min x, y, z, max x, y, z) with margin 2 cell + r; every
  // height starts at min z - margin - 5 and every mark at 0. 0, with the net left empty, for a
  // cell that is not positive and finite, a degenerate or non-finite box, or a grid of more
  // than kMaxNodes nodes.
  int Create(double cell, double r, const double box[6]);
  void Free();

  // Lowest node height over the box widened by two nodes on every side; 1e12 when no node
  // lies inside.
  double LowestInBox(double x0, double y0, double x1, double y1) const;
  // Lowest of the four corner heights of the cell holding (x, y); -1e12 outside the interior
  // cells.
  double HeightAt(double x, double y) const;
  // Raises node (row, col) to z when higher.
  void Raise(int row, int col, double z) {
    double& h = heights[static_cast<size_t>(row) * cols + col];
    if (z > h) h = z;
  }
  double Height(int row, int col) const { return heights[static_cast<size_t>(row) * cols + col]; }

  double base = 0.0;
  double cell = 0.0;
  int rows = 0;
  int cols = 0;
  std::vector<double> xs;         // column abscissas
  std::vector<double> ys;         // row ordinates
  std::vector<double> heights;    // row by row
  std::vector<uint8_t> marks;     // row by row: 0 free, 1 covered, 2 border visited, 3 saddle
  double zLow = 0.0;
  double zHigh = 0.0;
};
