// Reference answers for polygon tests, from Boost.Geometry. The library is compiled in one
// translation unit only; tests see plain rings.
#pragma once

#include <array>
#include <vector>

namespace polygon_oracle {

using Pt = std::array<double, 2>;
using Ring = std::vector<Pt>;  // open: the last point does not repeat the first
// The first ring the outer boundary, the rest holes in it; either orientation.
using Region = std::vector<Ring>;

enum class ClipOp { kDifference, kIntersection, kXor, kUnion };

struct ClipResult {
  double area = 0;
  int pieces = 0;  // polygons of the result, each an outer boundary with its holes
  int holes = 0;
};

// a op b.
ClipResult Clip(ClipOp op, const Region& a, const Region& b);

// Area covered by an odd number of the rings, built up ring by ring by symmetric difference.
double EvenOddArea(const std::vector<Ring>& rings);

// Area of the union of the rings, built up ring by ring.
double UnionArea(const std::vector<Ring>& rings);

// Whether p lies inside the ring (not on its boundary).
bool Within(const Pt& p, const Ring& ring);

}  // namespace polygon_oracle
