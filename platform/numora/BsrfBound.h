// A bound on how far a B-spline surface strays from any triangulation of one cell of its
// parameter domain, from the cell's own Bezier net: the adaptive tessellator splits cells on it.
#pragma once

#include <vector>

#include "platform/numora/BsrfCore.h"

namespace bsrf {

// Bounds of |S_ss|, |S_st|, |S_tt| over a cell mapped to the unit square.
struct CellTerms {
  double ss = 0, st = 0, tt = 0;
  double Sum() const { return (ss + 2 * st + tt) / 8; }
};

// Terms of a bound on |S - T| over the cell [a, b] x [c, d] (inside knot spans su and sv),
// for T any triangulation of the cell with its vertices on the surface. With the cell mapped
// to the unit square, linear interpolation on a triangle errs by at most
// (|S_ss| + 2 |S_st| + |S_tt|) / 8; the second derivatives are bounded from the cell's
// homogeneous Bezier net (convex hulls of the derivative nets), for a rational surface through
// S = B / w. With rational set (the weights differ) and the quotient-rule bound above target,
// closer bounds are sought. rows and net are scratch space the caller keeps between calls.
CellTerms CellBound(const Surf& s, int su, int sv, double a, double b, double c, double d,
                    bool rational, double target, std::vector<bcrv::P4>& rows,
                    std::vector<bcrv::P4>& net);

}  // namespace bsrf
