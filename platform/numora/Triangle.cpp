#include "platform/numora/Triangle.h"

#include <algorithm>
#include <cmath>

#include "platform/numora/Point3d.h"

namespace {

// Barycentric weights of q in the 2D triangle a, b, c; false for a triangle without area.
bool Bary(const double a[2], const double b[2], const double c[2], const double q[2], double w[3]) {
  const double det = (b[0] - a[0]) * (c[1] - a[1]) - (c[0] - a[0]) * (b[1] - a[1]);
  const double scale = std::max({std::fabs(b[0] - a[0]), std::fabs(b[1] - a[1]),
                                 std::fabs(c[0] - a[0]), std::fabs(c[1] - a[1])});
  if (!(std::fabs(det) > 1e-14 * scale * scale)) return false;
  w[1] = ((q[0] - a[0]) * (c[1] - a[1]) - (c[0] - a[0]) * (q[1] - a[1])) / det;
  w[2] = ((b[0] - a[0]) * (q[1] - a[1]) - (q[0] - a[0]) * (b[1] - a[1])) / det;
  w[0] = 1.0 - w[1] - w[2];
  return true;
}

// Distance from q to the 2D triangle and the weights of its nearest point; false without area.
bool NearestInTri(const double* const v[3], const double q[2], double& dist, double w[3]) {
  if (!Bary(v[0], v[1], v[2], q, w)) return false;
  if (w[0] >= 0.0 && w[1] >= 0.0 && w[2] >= 0.0) {
    dist = 0.0;
    return true;
  }
  dist = 1e300;
  for (int e = 0; e < 3; ++e) {
    const int i = e, j = (e + 1) % 3;
    const double dx = v[j][0] - v[i][0], dy = v[j][1] - v[i][1], l2 = dx * dx + dy * dy;
    double s = l2 > 0.0 ? ((q[0] - v[i][0]) * dx + (q[1] - v[i][1]) * dy) / l2 : 0.0;
    s = std::clamp(s, 0.0, 1.0);
    const double d = std::hypot(v[i][0] + s * dx - q[0], v[i][1] + s * dy - q[1]);
    if (d < dist) {
      dist = d;
      w[i] = 1.0 - s;
      w[j] = s;
      w[3 - i - j] = 0.0;
    }
  }
  return true;
}

// Expresses 3D points in a 2D frame of the triangle's plane.
struct PlaneFrame {
  double o[3], x[3], y[3], n[3];
  bool Init(const double p0[3], const double p1[3], const double p2[3]) {
    const double e1[3] = {p1[0] - p0[0], p1[1] - p0[1], p1[2] - p0[2]};
    const double e2[3] = {p2[0] - p0[0], p2[1] - p0[1], p2[2] - p0[2]};
    V3D_VProduct(e1, e2, n);
    const double area2 = V3D_Length(n), l1 = V3D_Length(e1), l2 = V3D_Length(e2);
    if (!(area2 > 1e-14 * std::max(l1 * l1, l2 * l2))) return false;
    for (int k = 0; k < 3; ++k) {
      o[k] = p0[k];
      n[k] /= area2;
      x[k] = e1[k] / l1;
    }
    V3D_VProduct(n, x, y);
    return true;
  }
  void To2D(const double p[3], double out[2]) const {
    const double d[3] = {p[0] - o[0], p[1] - o[1], p[2] - o[2]};
    out[0] = V3D_Dot(d, x);
    out[1] = V3D_Dot(d, y);
  }
  double Height(const double p[3]) const {
    const double d[3] = {p[0] - o[0], p[1] - o[1], p[2] - o[2]};
    return V3D_Dot(d, n);
  }
};

// Do 2D segments a-b and c-d come within tol of each other?
bool SegsNear(const double a[2], const double b[2], const double c[2], const double d[2], double tol) {
  auto cross = [](const double o[2], const double p[2], const double q[2]) {
    return (p[0] - o[0]) * (q[1] - o[1]) - (p[1] - o[1]) * (q[0] - o[0]);
  };
  const double d1 = cross(a, b, c), d2 = cross(a, b, d), d3 = cross(c, d, a), d4 = cross(c, d, b);
  if (((d1 > 0) != (d2 > 0)) && ((d3 > 0) != (d4 > 0))) return true;
  auto ptSeg = [](const double p[2], const double s0[2], const double s1[2]) {
    const double dx = s1[0] - s0[0], dy = s1[1] - s0[1], l2 = dx * dx + dy * dy;
    const double t = l2 > 0.0 ? std::clamp(((p[0] - s0[0]) * dx + (p[1] - s0[1]) * dy) / l2, 0.0, 1.0) : 0.0;
    return std::hypot(s0[0] + t * dx - p[0], s0[1] + t * dy - p[1]);
  };
  return std::min({ptSeg(a, c, d), ptSeg(b, c, d), ptSeg(c, a, b), ptSeg(d, a, b)}) <= tol;
}

}  // namespace

int TRI2_ChkOriInTri2DEx(const double* p0, const double* p1, const double* p2, double radius,
                         double w[3]) {
  const double* const v[3] = {p0, p1, p2};
  const double o[2] = {0.0, 0.0};
  double dist, ww[3];
  if (!NearestInTri(v, o, dist, ww) || !(dist <= radius)) return 1;
  std::copy(ww, ww + 3, w);
  return 0;
}

int TRI3_GetNormal(const double p0[3], const double p1[3], const double p2[3], double tol,
                   double out[3]) {
  const double e1[3] = {p1[0] - p0[0], p1[1] - p0[1], p1[2] - p0[2]};
  const double e2[3] = {p2[0] - p0[0], p2[1] - p0[1], p2[2] - p0[2]};
  double n[3];
  V3D_VProduct(e1, e2, n);
  if (!V3D_Unit(n, tol)) {
    out[0] = out[1] = out[2] = 0.0;
    return 0;
  }
  std::copy(n, n + 3, out);
  return 1;
}

int TRI3_IntSegment(const double p0[3], const double p1[3], const double p2[3], const double a[3],
                    const double b[3], double tol) {
  PlaneFrame f;
  if (!f.Init(p0, p1, p2)) return 0;
  const double da = f.Height(a), db = f.Height(b);
  if ((da > tol && db > tol) || (da < -tol && db < -tol)) return 0;
  double t2[3][2];
  f.To2D(p0, t2[0]);
  f.To2D(p1, t2[1]);
  f.To2D(p2, t2[2]);
  const double* const v[3] = {t2[0], t2[1], t2[2]};
  double a2[2], b2[2], dist, w[3];
  f.To2D(a, a2);
  f.To2D(b, b2);
  if (std::fabs(da - db) > 1e-300 && (std::fabs(da) > tol || std::fabs(db) > tol)) {
    // Crossing: the point where the segment pierces the plane (clamped to the segment).
    const double s = std::clamp(da / (da - db), 0.0, 1.0);
    const double x[2] = {a2[0] + s * (b2[0] - a2[0]), a2[1] + s * (b2[1] - a2[1])};
    return NearestInTri(v, x, dist, w) && dist <= tol ? 1 : 0;
  }
  // Lying in the plane: an end inside or an edge crossed.
  if ((NearestInTri(v, a2, dist, w) && dist <= tol) || (NearestInTri(v, b2, dist, w) && dist <= tol))
    return 1;
  for (int e = 0; e < 3; ++e)
    if (SegsNear(a2, b2, v[e], v[(e + 1) % 3], tol)) return 1;
  return 0;
}

int TRI3_IntZRay(const double p0[3], const double p1[3], const double p2[3],
                 const double origin[3], double tol, double hit[3]) {
  const double* const v[3] = {p0, p1, p2};
  double dist, w[3];
  if (!NearestInTri(v, origin, dist, w) || !(dist <= tol)) return 0;
  // Height from the plane at (x, y) itself, not at the clamped nearest point.
  double wp[3];
  if (!Bary(p0, p1, p2, origin, wp)) return 0;
  hit[0] = origin[0];
  hit[1] = origin[1];
  hit[2] = wp[0] * p0[2] + wp[1] * p1[2] + wp[2] * p2[2];
  return 1;
}

int PLN_Relation(int kindA, const double ptA[3], const double nA[3], int kindB, double ptB[3],
                 double nB[3], double angTol, double tol) {
  if (kindA < 1 || kindA > 3 || kindB < 1 || kindB > 3) return 0;
  const double sinTol = std::sin(angTol);
  double pA[3] = {ptA[0], ptA[1], ptA[2]}, vA[3] = {nA[0], nA[1], nA[2]};
  double pB[3] = {ptB[0], ptB[1], ptB[2]}, vB[3] = {nB[0], nB[1], nB[2]};
  if ((kindA != 3 && !V3D_Unit(vA, 1e-300))) kindA = 3;
  if ((kindB != 3 && !V3D_Unit(vB, 1e-300))) kindB = 3;
  // Order so that A has the richer description (plane < line < point).
  if (kindB < kindA) {
    std::swap(kindA, kindB);
    std::swap_ranges(pA, pA + 3, pB);
    std::swap_ranges(vA, vA + 3, vB);
  }
  const double d[3] = {pB[0] - pA[0], pB[1] - pA[1], pB[2] - pA[2]};
  double outN[3];
  if (kindA == 1) {
    if (std::fabs(V3D_Dot(d, vA)) > tol) return 0;
    if (kindB == 1) {
      double c[3];
      V3D_VProduct(vA, vB, c);
      if (V3D_Length(c) > sinTol) return 0;
    } else if (kindB == 2 && std::fabs(V3D_Dot(vA, vB)) > sinTol) {
      return 0;
    }
    std::copy(vA, vA + 3, outN);
  } else if (kindA == 2) {
    double c[3];
    if (kindB == 2 && !V3D_IsParallel(vA, vB, sinTol)) {
      // Skew or crossing: the common normal must see both lines at one height.
      V3D_VProduct(vA, vB, c);
      V3D_Unit(c, 0.0);
      if (std::fabs(V3D_Dot(d, c)) > tol) return 0;
      std::copy(c, c + 3, outN);
    } else {
      // Parallel lines or a line and a point: the plane spanned by the line and the offset.
      const double along = V3D_Dot(d, vA);
      double off[3] = {d[0] - along * vA[0], d[1] - along * vA[1], d[2] - along * vA[2]};
      if (V3D_Length(off) > tol && V3D_VProductUnit(vA, off, c, 0.0)) {
        std::copy(c, c + 3, outN);
      } else {
        double y[3];
        V3D_GetXYFromZ(vA, outN, y);  // collinear: any plane through the line
      }
    }
  } else {
    // Two points: any plane through both.
    double y[3];
    if (V3D_Length(d) > 0.0) V3D_GetXYFromZ(d, outN, y);
    else outN[0] = 0.0, outN[1] = 0.0, outN[2] = 1.0;
  }
  std::copy(pA, pA + 3, ptB);
  std::copy(outN, outN + 3, nB);
  return 1;
}
