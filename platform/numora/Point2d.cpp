#include "platform/numora/Point2d.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "platform/numora/Box.h"
#include "platform/numora/Math.h"

namespace {
double Wrap2Pi(double a) {
  if (a < 0.0) a += 2 * std::numbers::pi;
  return a >= 2 * std::numbers::pi ? 0.0 : a;
}
}  // namespace

double P2D_Dist(const double a[2], const double b[2]) { return std::hypot(b[0] - a[0], b[1] - a[1]); }

double P2D_AbsDist(const double a[2], const double b[2]) {
  return std::max(std::fabs(b[0] - a[0]), std::fabs(b[1] - a[1]));
}

double _DistOf(const float* p, const float* q) {
  return std::hypot(double(q[0]) - p[0], double(q[1]) - p[1]);
}

void P2D_Rot(const double c[2], double cosA, double sinA, const double p[2], double out[2]) {
  const double dx = p[0] - c[0], dy = p[1] - c[1];
  const double x = c[0] + cosA * dx - sinA * dy;
  const double y = c[1] + sinA * dx + cosA * dy;
  out[0] = x;
  out[1] = y;
}

void P2D_Rot(const double c[2], double angle, const double p[2], double out[2]) {
  P2D_Rot(c, std::cos(angle), std::sin(angle), p, out);
}

void P2D_Mirr(const double base[2], const double dir[2], const double p[2], double out[2]) {
  const double l2 = dir[0] * dir[0] + dir[1] * dir[1];
  if (!(l2 > 0.0)) {
    out[0] = p[0];
    out[1] = p[1];
    return;
  }
  const double dx = p[0] - base[0], dy = p[1] - base[1];
  const double s = (dx * dir[0] + dy * dir[1]) / l2;
  // Foot on the line, then reflect through it.
  const double fx = base[0] + s * dir[0], fy = base[1] + s * dir[1];
  out[0] = 2.0 * fx - p[0];
  out[1] = 2.0 * fy - p[1];
}

void P2D_Shift(const double p[2], const double pt[2], const double q[2], double out[2]) {
  const double x = pt[0] + q[0] * (pt[1] - p[1]);
  const double y = pt[1] + q[1] * (pt[0] - p[0]);
  out[0] = x;
  out[1] = y;
}

void P2D_Shift(const double p[2], double pt[2], const double q[2]) { P2D_Shift(p, pt, q, pt); }

void P2D_Swap(double a[2], double b[2]) { std::swap_ranges(a, a + 2, b); }
void P4D_Swap(double a[4], double b[4]) { std::swap_ranges(a, a + 4, b); }

int P2D_IsCollinear(const double a[2], const double b[2], const double c[2], double tol) {
  const double pts[3][2] = {{a[0], a[1]}, {b[0], b[1]}, {c[0], c[1]}};
  return P2D_IsPtsColine(pts, 3, tol);
}

int P2D_IsPtsColine(const double (*pts)[2], int n, double tol) {
  if (!pts || n < 3) return 1;
  // The farthest pair gives the best-conditioned carrier line.
  int i0 = 0, i1 = 0;
  double far = -1.0;
  for (int i = 1; i < n; ++i) {
    const double d = P2D_Dist(pts[0], pts[i]);
    if (d > far) { far = d; i1 = i; }
  }
  far = -1.0;
  for (int i = 0; i < n; ++i) {
    const double d = P2D_Dist(pts[i1], pts[i]);
    if (d > far) { far = d; i0 = i; }
  }
  if (far <= tol) return 1;  // all within tol of one point
  const double ux = (pts[i1][0] - pts[i0][0]) / far, uy = (pts[i1][1] - pts[i0][1]) / far;
  for (int i = 0; i < n; ++i) {
    const double d = (pts[i][0] - pts[i0][0]) * uy - (pts[i][1] - pts[i0][1]) * ux;
    if (std::fabs(d) > tol) return 0;
  }
  return 1;
}

int P2D_IsInBox2D(const _tagBox2D* box, const double p[2], double radius) {
  return BOX2D_IsPtIn(box, p, radius) ? 0 : 1;
}

double V2D_AngletoX(const double v[2]) {
  if (v[0] == 0.0 && v[1] == 0.0) return 0.0;
  return Wrap2Pi(std::atan2(v[1], v[0]));
}

int V2D_GenUnit(const double a[2], const double b[2], double out[2], double tol) {
  const double dx = b[0] - a[0], dy = b[1] - a[1], l = std::hypot(dx, dy);
  if (!(l >= tol) || l == 0.0) return 0;
  out[0] = dx / l;
  out[1] = dy / l;
  return 1;
}

int V2D_Unit(double v[2], double tol) {
  const double l = std::hypot(v[0], v[1]);
  if (!(l >= tol) || l == 0.0) return 0;
  v[0] /= l;
  v[1] /= l;
  return 1;
}

void V2D_Rot(const double v[2], double angle, double out[2]) {
  const double c = std::cos(angle), s = std::sin(angle);
  const double x = c * v[0] - s * v[1], y = s * v[0] + c * v[1];
  out[0] = x;
  out[1] = y;
}

void V2D_Rot(double v[2], double angle) { V2D_Rot(v, angle, v); }

void V2D_Perp(const double v[2], double out[2]) {
  const double x = -v[1], y = v[0];
  out[0] = x;
  out[1] = y;
}

void V2D_Perp(double v[2]) { V2D_Perp(v, v); }

void V2D_XProduct(const double a[2], const double b[2], const double c[2], double out[2]) {
  const double k = a[0] * b[1] - a[1] * b[0];
  const double x = -k * c[1], y = k * c[0];
  out[0] = x;
  out[1] = y;
}

double V2D_GetAngle(const double a[2], const double b[2], double tol) {
  const double la = std::hypot(a[0], a[1]), lb = std::hypot(b[0], b[1]);
  if (!(la >= tol) || !(lb >= tol) || la == 0.0 || lb == 0.0) return 0.0;
  // atan2 of cross and dot stays accurate near 0 and π where acos does not.
  return std::fabs(std::atan2(a[0] * b[1] - a[1] * b[0], a[0] * b[0] + a[1] * b[1]));
}

double V2D_GetAngleUnit(const double a[2], const double b[2]) {
  return CMath::ACos(a[0] * b[0] + a[1] * b[1]);
}

double V2D_GetAngleV1toV2(const double v1[2], const double v2[2]) {
  if ((v1[0] == 0.0 && v1[1] == 0.0) || (v2[0] == 0.0 && v2[1] == 0.0)) return 0.0;
  return Wrap2Pi(std::atan2(v1[0] * v2[1] - v1[1] * v2[0], v1[0] * v2[0] + v1[1] * v2[1]));
}
