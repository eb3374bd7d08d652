#include "platform/numora/PointString.h"

#include <algorithm>
#include <cmath>

namespace {

// Point i of a string of D-dimensional points, widened to 3D (z = 0 for 2D strings).
template <int D>
void Get(const double (*pts)[D], int i, double out[3]) {
  out[0] = pts[i][0];
  out[1] = pts[i][1];
  out[2] = D == 3 ? pts[i][D - 1] : 0.0;
}

template <int D>
double AreaXY(const double (*pts)[D], int n) {
  if (!pts || n < 3) return 0.0;
  // About the first point: keeps far-from-origin strings free of cancellation.
  const double x0 = pts[0][0], y0 = pts[0][1];
  double s = 0.0;
  for (int i = 1; i + 1 < n; ++i)
    s += (pts[i][0] - x0) * (pts[i + 1][1] - y0) - (pts[i + 1][0] - x0) * (pts[i][1] - y0);
  return 0.5 * s;
}

template <int D>
int Project(const double (*pts)[D], int n, const double* p, double* foot, double& t, int& seg) {
  if (!pts || n < 2) return 0;
  double best = -1.0;
  for (int i = 1; i < n; ++i) {
    double a[3], b[3], q[3] = {p[0], p[1], D == 3 ? p[D - 1] : 0.0};
    Get(pts, i - 1, a);
    Get(pts, i, b);
    const double e[3] = {b[0] - a[0], b[1] - a[1], b[2] - a[2]};
    const double l2 = e[0] * e[0] + e[1] * e[1] + e[2] * e[2];
    double s = l2 > 0.0 ? ((q[0] - a[0]) * e[0] + (q[1] - a[1]) * e[1] + (q[2] - a[2]) * e[2]) / l2 : 0.0;
    s = std::clamp(s, 0.0, 1.0);
    double d2 = 0.0, f[3];
    for (int k = 0; k < 3; ++k) {
      f[k] = a[k] + s * e[k];
      d2 += (f[k] - q[k]) * (f[k] - q[k]);
    }
    if (best < 0.0 || d2 < best) {
      best = d2;
      t = s;
      seg = i;
      for (int k = 0; k < D; ++k) foot[k] = f[k];
    }
  }
  return 1;
}

template <int D>
int Pick(const double (*pts)[D], int n, const double origin[3], const double direction[3],
         double radius, double& depth, double& t, int& seg) {
  const double dl = std::sqrt(direction[0] * direction[0] + direction[1] * direction[1] + direction[2] * direction[2]);
  if (!pts || n < 2 || !(dl > 0.0)) return 0;
  const double u[3] = {direction[0] / dl, direction[1] / dl, direction[2] / dl};
  auto perp = [&](const double v[3], double out[3]) {
    const double a = v[0] * u[0] + v[1] * u[1] + v[2] * u[2];
    for (int k = 0; k < 3; ++k) out[k] = v[k] - a * u[k];
  };
  double best = -1.0;
  for (int i = 1; i < n; ++i) {
    double a[3], b[3];
    Get(pts, i - 1, a);
    Get(pts, i, b);
    const double e[3] = {b[0] - a[0], b[1] - a[1], b[2] - a[2]};
    const double w[3] = {a[0] - origin[0], a[1] - origin[1], a[2] - origin[2]};
    // Distance to the line of a + s e, seen along u, is |w⊥ + s e⊥|: minimise over s in [0, 1].
    double ep[3], wp[3];
    perp(e, ep);
    perp(w, wp);
    const double ee = ep[0] * ep[0] + ep[1] * ep[1] + ep[2] * ep[2];
    double s = ee > 0.0 ? -(wp[0] * ep[0] + wp[1] * ep[1] + wp[2] * ep[2]) / ee : 0.0;
    s = std::clamp(s, 0.0, 1.0);
    double d2 = 0.0;
    for (int k = 0; k < 3; ++k) d2 += (wp[k] + s * ep[k]) * (wp[k] + s * ep[k]);
    const double d = std::sqrt(d2);
    if (d > radius || (best >= 0.0 && d >= best)) continue;
    best = d;
    t = s;
    seg = i;
    depth = (w[0] + s * e[0]) * u[0] + (w[1] + s * e[1]) * u[1] + (w[2] + s * e[2]) * u[2];
  }
  return best >= 0.0 ? 1 : 0;
}

}  // namespace

double SP2D_EvArea(const double (*pts)[2], int n) { return AreaXY(pts, n); }
double SP2D_Orient(const double (*pts)[2], int n) { return AreaXY(pts, n); }

void SP2D_Reverse(double (*pts)[2], int n) {
  if (pts && n > 1) std::reverse(pts, pts + n);
}

int SP2D_PrjPnt(const double (*pts)[2], int n, const double p[2], double foot[2], double& t,
                int& seg) {
  return Project(pts, n, p, foot, t, seg);
}

int SP2D_Pick3d(const double (*pts)[2], int n, const double origin[3], const double direction[3],
                double radius, double& depth, double& t, int& seg) {
  return Pick(pts, n, origin, direction, radius, depth, t, seg);
}

double SP3D_EvAreaXY(const double (*pts)[3], int n) { return AreaXY(pts, n); }

int SP3D_PrjPnt(const CStrP3D* str, const double p[3], double foot[3], double& t, int& seg) {
  if (!str) return 0;
  return Project(static_cast<const double(*)[3]>(str->m_pPoints), str->m_nCount, p, foot, t, seg);
}

int SP3D_Pick3d(const double (*pts)[3], int n, const double origin[3], const double direction[3],
                double radius, double& depth, double& t, int& seg) {
  return Pick(pts, n, origin, direction, radius, depth, t, seg);
}
