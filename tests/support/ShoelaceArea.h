// Signed area of a polygon by the shoelace formula, for tests of any point type.
#pragma once

#include <cstddef>

namespace shoelace {

// Area of the polygon through n points (positive counter-clockwise), point(i) giving point i
// as anything a structured binding takes apart into x and y. The polygon closes by itself; a
// last point repeating the first adds nothing. Taken relative to the first point, so that
// far-off polygons keep their precision.
template <class PointAt>
double Area(size_t n, PointAt&& point) {
  if (n < 3) return 0.0;
  const auto [ox, oy] = point(size_t(0));
  double a = 0.0;
  for (size_t i = 1; i + 1 < n; ++i) {
    const auto [px, py] = point(i);
    const auto [qx, qy] = point(i + 1);
    a += (px - ox) * (qy - oy) - (qx - ox) * (py - oy);
  }
  return 0.5 * a;
}

}  // namespace shoelace
