// Inline 3-vector arithmetic shared by the kernel's sources (not exported).
#pragma once

#include <cmath>

namespace kv {

inline void Set(double o[3], double x, double y, double z) { o[0] = x; o[1] = y; o[2] = z; }
inline void Copy(double o[3], const double a[3]) { o[0] = a[0]; o[1] = a[1]; o[2] = a[2]; }
inline void Sub(double o[3], const double a[3], const double b[3]) {
  o[0] = a[0] - b[0]; o[1] = a[1] - b[1]; o[2] = a[2] - b[2];
}
inline void Add(double o[3], const double a[3], const double b[3]) {
  o[0] = a[0] + b[0]; o[1] = a[1] + b[1]; o[2] = a[2] + b[2];
}
// o = a + s b
inline void Axpy(double o[3], const double a[3], double s, const double b[3]) {
  o[0] = a[0] + s * b[0]; o[1] = a[1] + s * b[1]; o[2] = a[2] + s * b[2];
}
inline void Scale(double o[3], double s, const double a[3]) {
  o[0] = s * a[0]; o[1] = s * a[1]; o[2] = s * a[2];
}
inline double Dot(const double a[3], const double b[3]) {
  return a[0] * b[0] + a[1] * b[1] + a[2] * b[2];
}
inline void Cross(double o[3], const double a[3], const double b[3]) {
  const double x = a[1] * b[2] - a[2] * b[1], y = a[2] * b[0] - a[0] * b[2],
               z = a[0] * b[1] - a[1] * b[0];
  o[0] = x; o[1] = y; o[2] = z;
}
inline double Len(const double a[3]) { return std::sqrt(Dot(a, a)); }
inline double Dist(const double a[3], const double b[3]) {
  const double d[3] = {a[0] - b[0], a[1] - b[1], a[2] - b[2]};
  return Len(d);
}
// Partials of n = Su x Sv along u and v from the surface's second partials.
inline void NormalPartials(const double Su[3], const double Sv[3], const double Suu[3],
                           const double Suv[3], const double Svv[3], double nu[3],
                           double nv[3]) {
  double t1[3], t2[3];
  Cross(t1, Suu, Sv);
  Cross(t2, Su, Suv);
  Add(nu, t1, t2);
  Cross(t1, Suv, Sv);
  Cross(t2, Su, Svv);
  Add(nv, t1, t2);
}
// o = unit(a); false (o untouched) when |a| < tol.
inline bool Unit(double o[3], const double a[3], double tol) {
  const double l = Len(a);
  if (!(l >= tol) || l == 0.0) return false;
  Scale(o, 1.0 / l, a);
  return true;
}

}  // namespace kv
