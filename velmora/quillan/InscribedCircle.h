// Largest circle inside a set of closed polygons combined even-odd (islands are holes): a
// best-first search over square cells bounded by the exact distance to the edges.
#pragma once

#include <array>
#include <vector>

using QlPoint = std::array<double, 2>;
// A closed ring: the last point joins the first (a repeated first point is allowed).
using QlRing = std::vector<QlPoint>;

struct QlCircle {
  double centre[2] = {0.0, 0.0};
  double radius = 0.0;
};

// Fills `out` and returns true when the rings enclose some area; the radius is within
// `precision` of the largest one. False (out untouched) for no ring, a ring of fewer than
// three points, a non-finite coordinate or precision, or rings enclosing nothing.
bool qlLargestInscribedCircle(const std::vector<QlRing>& rings, double precision, QlCircle& out);

// Distance from p to the nearest edge, positive inside the even-odd area and negative
// outside; for rings already checked by the caller.
double qlSignedDistance(const std::vector<QlRing>& rings, const QlPoint& p);
