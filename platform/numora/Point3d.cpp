#include "platform/numora/Point3d.h"

#include <algorithm>
#include <cmath>
#include <numbers>

double V3D_Length(const double v[3]) { return std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]); }
double V3D_Dot(const double a[3], const double b[3]) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }

double P3D_Dist(const double a[3], const double b[3]) {
  const double d[3] = {b[0] - a[0], b[1] - a[1], b[2] - a[2]};
  return V3D_Length(d);
}

void P3D_Swap(double a[3], double b[3]) { std::swap_ranges(a, a + 3, b); }

void P3D_Mirror(const double p[3], const double n[3], const double pt[3], double out[3]) {
  const double l2 = V3D_Dot(n, n);
  const double s = l2 > 0.0 ? 2.0 * ((pt[0] - p[0]) * n[0] + (pt[1] - p[1]) * n[1] + (pt[2] - p[2]) * n[2]) / l2 : 0.0;
  for (int k = 0; k < 3; ++k) out[k] = pt[k] - s * n[k];
}

void P3D_PrjToPln(const double pt[3], const double planePt[3], const double n[3], double out[3]) {
  const double l2 = V3D_Dot(n, n);
  const double s = l2 > 0.0 ? ((pt[0] - planePt[0]) * n[0] + (pt[1] - planePt[1]) * n[1] + (pt[2] - planePt[2]) * n[2]) / l2 : 0.0;
  for (int k = 0; k < 3; ++k) out[k] = pt[k] - s * n[k];
}

void V3D_Rotate(const double v[3], const double axis[3], double angle, double out[3]) {
  double k[3] = {axis[0], axis[1], axis[2]};
  if (!V3D_Unit(k, 1e-300)) {
    std::copy(v, v + 3, out);
    return;
  }
  // Rodrigues: v cos + (k × v) sin + k (k·v)(1 − cos).
  const double c = std::cos(angle), s = std::sin(angle), kv = V3D_Dot(k, v);
  double kxv[3];
  V3D_VProduct(k, v, kxv);
  double r[3];
  for (int i = 0; i < 3; ++i) r[i] = v[i] * c + kxv[i] * s + k[i] * kv * (1.0 - c);
  std::copy(r, r + 3, out);
}

void V3D_Rotate(double v[3], const double axis[3], double angle) { V3D_Rotate(v, axis, angle, v); }

void P3D_RotatePnt(const double axis[3], const double centre[3], double angle, const double pt[3],
                   double out[3]) {
  double d[3] = {pt[0] - centre[0], pt[1] - centre[1], pt[2] - centre[2]};
  V3D_Rotate(d, axis, angle);
  for (int k = 0; k < 3; ++k) out[k] = centre[k] + d[k];
}

void P3D_TransWorldPnt3DByOXYZ(const double O[3], const double X[3], const double Y[3],
                               const double Z[3], const double p[3], double out[3]) {
  const double d[3] = {p[0] - O[0], p[1] - O[1], p[2] - O[2]};
  const double r[3] = {V3D_Dot(d, X), V3D_Dot(d, Y), V3D_Dot(d, Z)};
  std::copy(r, r + 3, out);
}

int P4D_ToP3D(const double h[4], double out[3]) {
  if (!(std::fabs(h[3]) >= 1e-12)) return 0;
  const double w = h[3];
  out[0] = h[0] / w;
  out[1] = h[1] / w;
  out[2] = h[2] / w;
  return 1;
}

double P3DH_Dist(const double a[4], const double b[4]) {
  double s = 0.0;
  for (int k = 0; k < 4; ++k) s += (a[k] - b[k]) * (a[k] - b[k]);
  return std::sqrt(s);
}

int V3D_GenUnit(const double a[3], const double b[3], double out[3], double tol) {
  double d[3] = {b[0] - a[0], b[1] - a[1], b[2] - a[2]};
  if (!V3D_Unit(d, tol)) return 0;
  std::copy(d, d + 3, out);
  return 1;
}

int V3D_Unit(double v[3], double tol) {
  const double l = V3D_Length(v);
  if (!(l >= tol) || l == 0.0) return 0;
  for (int k = 0; k < 3; ++k) v[k] /= l;
  return 1;
}

void V3D_VProduct(const double a[3], const double b[3], double out[3]) {
  const double r[3] = {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
  std::copy(r, r + 3, out);
}

int V3D_VProductUnit(const double a[3], const double b[3], double out[3], double tol) {
  double c[3];
  V3D_VProduct(a, b, c);
  if (!V3D_Unit(c, tol)) return 0;
  std::copy(c, c + 3, out);
  return 1;
}

double V3D_GetAngle(const double a[3], const double b[3], double tol) {
  const double la = V3D_Length(a), lb = V3D_Length(b);
  if (!(la >= tol) || !(lb >= tol) || la == 0.0 || lb == 0.0) return 0.0;
  double c[3];
  V3D_VProduct(a, b, c);
  return std::atan2(V3D_Length(c), V3D_Dot(a, b));
}

int V3D_IsParallel(const double a[3], const double b[3], double tol) {
  const double la = V3D_Length(a), lb = V3D_Length(b);
  if (la == 0.0 || lb == 0.0) return 1;
  double c[3];
  V3D_VProduct(a, b, c);
  return V3D_Length(c) <= tol * la * lb ? 1 : 0;
}

double V3D_GetRotAngleXY(const double x[3], const double y[3], const double v[3]) {
  const double px = V3D_Dot(v, x), py = V3D_Dot(v, y);
  if (px == 0.0 && py == 0.0) return 0.0;
  double a = std::atan2(py, px);
  if (a < 0.0) a += 2.0 * std::numbers::pi;
  return a >= 2.0 * std::numbers::pi ? 0.0 : a;
}

int V3D_GetXYFromZ(const double z[3], double x[3], double y[3]) {
  double n[3] = {z[0], z[1], z[2]};
  if (!V3D_Unit(n, 1e-300)) return 0;
  // Start from the world axis least aligned with z, so the cross product is well conditioned.
  const double ax = std::fabs(n[0]), ay = std::fabs(n[1]), az = std::fabs(n[2]);
  double seed[3] = {0.0, 0.0, 0.0};
  if (az <= ax && az <= ay) seed[2] = 1.0;
  else if (ay <= ax) seed[1] = 1.0;
  else seed[0] = 1.0;
  double xx[3], yy[3];
  V3D_VProduct(seed, n, xx);
  V3D_Unit(xx, 0.0);
  V3D_VProduct(n, xx, yy);
  std::copy(xx, xx + 3, x);
  std::copy(yy, yy + 3, y);
  return 1;
}
