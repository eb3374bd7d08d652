#include "platform/numora/Line.h"

#include <algorithm>
#include <cmath>

#include "platform/numora/Point3d.h"
#include "platform/numora/Triangle.h"

int L2D_PrjPnt(const double base[2], const double dir[2], const double p[2], double out[2]) {
  const double l2 = dir[0] * dir[0] + dir[1] * dir[1];
  if (!(l2 > 0.0)) return 0;
  const double s = ((p[0] - base[0]) * dir[0] + (p[1] - base[1]) * dir[1]) / l2;
  out[0] = base[0] + s * dir[0];
  out[1] = base[1] + s * dir[1];
  return 1;
}

int L2D_PrjPntEx(const double a[2], const double b[2], const double p[2], double out[2]) {
  const double d[2] = {b[0] - a[0], b[1] - a[1]};
  const double base[2] = {a[0], a[1]};
  return L2D_PrjPnt(base, d, p, out);
}

int L2D_GetParam(const double a[2], const double b[2], const double p[2], double& t) {
  const double dx = b[0] - a[0], dy = b[1] - a[1], l2 = dx * dx + dy * dy;
  if (!(l2 > 0.0)) {
    t = 0.0;
    return 0;
  }
  t = ((p[0] - a[0]) * dx + (p[1] - a[1]) * dy) / l2;
  return 1;
}

double L2D_GetParam(const double a[2], const double b[2], const double p[2]) {
  double t;
  L2D_GetParam(a, b, p, t);
  return t;
}

void L2D_GetPnt(const double a[2], const double b[2], double t, double out[2]) {
  const double x = a[0] + t * (b[0] - a[0]), y = a[1] + t * (b[1] - a[1]);
  out[0] = x;
  out[1] = y;
}

double L2D_DistToPntEx(const double a[2], const double b[2], const double p[2]) {
  const double dx = b[0] - a[0], dy = b[1] - a[1], l = std::hypot(dx, dy);
  const double px = p[0] - a[0], py = p[1] - a[1];
  if (!(l > 0.0)) return std::hypot(px, py);
  return (dx * py - dy * px) / l;
}

double L2D_DistPntToLine(const double p[2], const double base[2], const double dir[2]) {
  return std::fabs(dir[0] * (p[1] - base[1]) - dir[1] * (p[0] - base[0]));
}

void L2D_GetBox(const double p0[2], const double p1[2], _tagBox2D* box) {
  for (int k = 0; k < 2; ++k) {
    box->min[k] = std::min(p0[k], p1[k]);
    box->max[k] = std::max(p0[k], p1[k]);
  }
}

int L3D_PrjPnt(const double origin[3], const double dir[3], const double p[3], double out[3]) {
  const double l2 = V3D_Dot(dir, dir);
  if (!(l2 > 0.0)) return 0;
  const double d[3] = {p[0] - origin[0], p[1] - origin[1], p[2] - origin[2]};
  const double s = V3D_Dot(d, dir) / l2;
  for (int k = 0; k < 3; ++k) out[k] = origin[k] + s * dir[k];
  return 1;
}

double L3D_DistToPnt(const double origin[3], const double dir[3], const double p[3]) {
  double f[3];
  if (!L3D_PrjPnt(origin, dir, p, f)) return P3D_Dist(origin, p);
  return P3D_Dist(f, p);
}

double L3D_DistToPntEx(const double a[3], const double b[3], const double p[3]) {
  const double d[3] = {b[0] - a[0], b[1] - a[1], b[2] - a[2]};
  return L3D_DistToPnt(a, d, p);
}

int L3D_GetParam(const double p0[3], const double p1[3], const double p[3], double& t) {
  const double d[3] = {p1[0] - p0[0], p1[1] - p0[1], p1[2] - p0[2]};
  const double l2 = V3D_Dot(d, d);
  if (!(l2 > 0.0)) {
    t = 0.0;
    return 0;
  }
  const double e[3] = {p[0] - p0[0], p[1] - p0[1], p[2] - p0[2]};
  t = V3D_Dot(e, d) / l2;
  return 1;
}

int L3D_PrjPntEx2(const double p0[3], const double p1[3], const double p[3], double foot[3],
                  double& t) {
  if (!L3D_GetParam(p0, p1, p, t)) return 0;
  for (int k = 0; k < 3; ++k) foot[k] = p0[k] + t * (p1[k] - p0[k]);
  return 1;
}

int L3D_PrjPntEx(const double a[3], const double b[3], const double p[3], double out[3]) {
  double t;
  return L3D_PrjPntEx2(a, b, p, out, t);
}

int L3D_IsCoplanar(const double p0[3], const double d0[3], const double p1[3], const double d1[3],
                   double tol, double angTol, double pt[3], double normal[3]) {
  const int k0 = V3D_Length(d0) > 0.0 ? 2 : 3, k1 = V3D_Length(d1) > 0.0 ? 2 : 3;
  double q[3] = {p1[0], p1[1], p1[2]}, n[3] = {d1[0], d1[1], d1[2]};
  if (!PLN_Relation(k0, p0, d0, k1, q, n, angTol, tol)) return 0;
  std::copy(q, q + 3, pt);
  std::copy(n, n + 3, normal);
  return 1;
}
