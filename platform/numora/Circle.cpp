#include "platform/numora/Circle.h"

#include <algorithm>
#include <cmath>

int C2D_GetCenter(const double p1[2], const double p2[2], const double p3[2], double out[2]) {
  const double ax = p2[0] - p1[0], ay = p2[1] - p1[1];
  const double bx = p3[0] - p1[0], by = p3[1] - p1[1];
  const double det = 2.0 * (ax * by - ay * bx);
  const double scale = std::max({ax * ax + ay * ay, bx * bx + by * by, (bx - ax) * (bx - ax) + (by - ay) * (by - ay)});
  // Relative test: sine of the angle between the chords.
  if (!(std::fabs(det) > 1e-12 * scale)) return 0;
  const double a2 = ax * ax + ay * ay, b2 = bx * bx + by * by;
  out[0] = p1[0] + (by * a2 - ay * b2) / det;
  out[1] = p1[1] + (ax * b2 - bx * a2) / det;
  return 1;
}

int C2D_PrjPnt(const double c[2], double r, const double p[2], double out[2], double tol,
               double minRadius) {
  const double dx = p[0] - c[0], dy = p[1] - c[1], d = std::hypot(dx, dy);
  if (!(d >= tol) || d == 0.0 || !(r >= minRadius)) return 0;
  out[0] = c[0] + r * dx / d;
  out[1] = c[1] + r * dy / d;
  return 1;
}

int C2D_GetTanPt(const double c[2], double r, const double from[2], double T1[2], double T2[2]) {
  const double dx = from[0] - c[0], dy = from[1] - c[1], d = std::hypot(dx, dy);
  if (!(r > 0.0) || !(d >= r)) return 0;
  // The tangent point sits at angle ±acos(r/d) from the direction to `from`.
  const double ca = r / d, sa = std::sqrt(std::max(0.0, 1.0 - ca * ca));
  const double ux = dx / d, uy = dy / d;
  T1[0] = c[0] + r * (ca * ux - sa * uy);
  T1[1] = c[1] + r * (sa * ux + ca * uy);
  T2[0] = c[0] + r * (ca * ux + sa * uy);
  T2[1] = c[1] + r * (-sa * ux + ca * uy);
  return 1;
}
