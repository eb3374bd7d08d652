// Small 3D vector helpers shared by the surface actor's sources and the trim editor.
#pragma once

#include <cmath>

namespace srfvec {

inline double Dist3(const double* a, const double* b) {
  return std::sqrt((a[0] - b[0]) * (a[0] - b[0]) + (a[1] - b[1]) * (a[1] - b[1]) +
                   (a[2] - b[2]) * (a[2] - b[2]));
}

inline double Dot3(const double a[3], const double b[3]) {
  return a[0] * b[0] + a[1] * b[1] + a[2] * b[2];
}

// a scaled to unit length; false (out untouched) when a is not longer than tol.
inline bool Unit3(const double a[3], double out[3], double tol = 1e-6) {
  const double len = std::sqrt(Dot3(a, a));
  if (!(len > tol)) return false;
  for (int k = 0; k < 3; ++k) out[k] = a[k] / len;
  return true;
}

inline void Cross3(const double a[3], const double b[3], double out[3]) {
  out[0] = a[1] * b[2] - a[2] * b[1];
  out[1] = a[2] * b[0] - a[0] * b[2];
  out[2] = a[0] * b[1] - a[1] * b[0];
}

}  // namespace srfvec
