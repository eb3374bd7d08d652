// 3D line, circle and plane intersections against constructed answers.
#include "platform/numora/Inter3.h"

#include "platform/numora/Inter.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

namespace {

double Dot(const double a[3], const double b[3]) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }

void ExpectNear3(const double e[3], const double a[3], double tol) {
  for (int k = 0; k < 3; ++k) EXPECT_NEAR(e[k], a[k], tol) << "component " << k;
}

// Right-handed orthonormal frame at origin o, turned so that its z axis is not a world axis.
_rect_fm3d TiltedFrame(double ox, double oy, double oz) {
  const double a = 0.5, b = 0.8;  // rotation about x by a, then about z by b
  const double ca = std::cos(a), sa = std::sin(a), cb = std::cos(b), sb = std::sin(b);
  _rect_fm3d f{};
  const double x[3] = {cb, sb, 0}, y[3] = {-sb * ca, cb * ca, sa}, z[3] = {sb * sa, -cb * sa, ca};
  for (int k = 0; k < 3; ++k) f.xAxis[k] = x[k], f.yAxis[k] = y[k], f.zAxis[k] = z[k];
  f.origin[0] = ox, f.origin[1] = oy, f.origin[2] = oz;
  return f;
}

void InFrame(const _rect_fm3d& f, double x, double y, double z, double out[3]) {
  for (int k = 0; k < 3; ++k) out[k] = f.origin[k] + x * f.xAxis[k] + y * f.yAxis[k] + z * f.zAxis[k];
}

TEST(Inter3Line, MeetingSkewParallelAndCollinearLines) {
  std::mt19937 rng(8);
  std::uniform_real_distribution<double> u(-5, 5);
  for (int k = 0; k < 50; ++k) {
    const double x[3] = {u(rng), u(rng), u(rng)};
    const double d1[3] = {u(rng), u(rng), u(rng)}, d2[3] = {u(rng), u(rng), u(rng)};
    const double p1[3] = {x[0] - 2 * d1[0], x[1] - 2 * d1[1], x[2] - 2 * d1[2]};
    const double p2[3] = {x[0] + 0.5 * d2[0], x[1] + 0.5 * d2[1], x[2] + 0.5 * d2[2]};
    double out[3];
    ASSERT_EQ(INTER_POINT, Inter3_LineLine(p1, d1, p2, d2, 1e-6, 1e-3, out));
    ExpectNear3(x, out, 1e-9);
    // Fractions along p1→p1+d1 and p2→p2+d2 are 2 and -0.5.
    const double q1[3] = {p1[0] + d1[0], p1[1] + d1[1], p1[2] + d1[2]};
    const double q2[3] = {p2[0] + d2[0], p2[1] + d2[1], p2[2] + d2[2]};
    double fa = 0, fb = 0, pt[3];
    ASSERT_EQ(1, Inter3_LineLineEx2(p1, q1, p2, q2, 0.006, 1e-7, fa, fb, pt));
    EXPECT_NEAR(2.0, fa, 1e-9);
    EXPECT_NEAR(-0.5, fb, 1e-9);
    ExpectNear3(x, pt, 1e-9);
  }
  // Skew lines: x axis and the line y = 1 along z. Closest points (0,0,0) and (0,1,0).
  const double a0[3] = {-1, 0, 0}, a1[3] = {3, 0, 0}, b0[3] = {0, 1, 5}, b1[3] = {0, 1, 7};
  double pa[3], pb[3];
  ASSERT_EQ(1, Inter3_LineLineEx(a0, a1, b0, b1, 1e-6, 1e-3, pa, pb));
  const double ea[3] = {0, 0, 0}, eb[3] = {0, 1, 0};
  ExpectNear3(ea, pa, 1e-12);
  ExpectNear3(eb, pb, 1e-12);
  const double da[3] = {4, 0, 0}, db[3] = {0, 0, 2};
  double out[3], fa, fb;
  EXPECT_EQ(INTER_NONE, Inter3_LineLine(a0, da, b0, db, 1e-6, 1e-3, out));
  EXPECT_EQ(0, Inter3_LineLineEx2(a0, a1, b0, b1, 0.006, 1e-7, fa, fb, out));
  const double b0near[3] = {0, 0.005, 5}, b1near[3] = {0, 0.005, 7};
  EXPECT_EQ(1, Inter3_LineLineEx2(a0, a1, b0near, b1near, 0.006, 1e-7, fa, fb, out));
  EXPECT_NEAR(0.25, fa, 1e-12);
  EXPECT_NEAR(-2.5, fb, 1e-12);
  // Parallel apart, and on one line.
  const double c0[3] = {0, 2, 0}, c1[3] = {1, 2, 0}, e0[3] = {5, 0, 0};
  EXPECT_EQ(0, Inter3_LineLineEx(a0, a1, c0, c1, 1e-6, 1e-3, pa, pb));
  EXPECT_EQ(INTER_NONE, Inter3_LineLine(a0, da, c0, da, 1e-6, 1e-3, out));
  EXPECT_EQ(INTER_OVERLAP, Inter3_LineLine(a0, da, e0, da, 1e-6, 1e-3, out));
  EXPECT_EQ(0, Inter3_LineLineEx(a0, a0, c0, c1, 1e-6, 1e-3, pa, pb));  // degenerate
}

TEST(Inter3Circle, LineAgainstCircleInATiltedFrame) {
  const _rect_fm3d f = TiltedFrame(1, 2, 3);
  const double r = 2;
  double pts[2][3];
  int n = -1;
  // In the plane, local line y = 1 along +x: points at x = ∓√3.
  double p[3], q[3], dir[3];
  InFrame(f, -5, 1, 0, p);
  InFrame(f, 5, 1, 0, q);
  for (int k = 0; k < 3; ++k) dir[k] = q[k] - p[k];
  ASSERT_EQ(INTER3_COPLANAR, Inter3_CirLin(f, r, p, dir, 1e-6, pts, n));
  ASSERT_EQ(2, n);
  double e0[3], e1[3];
  InFrame(f, -std::sqrt(3.0), 1, 0, e0);
  InFrame(f, std::sqrt(3.0), 1, 0, e1);
  ExpectNear3(e0, pts[0], 1e-9);
  ExpectNear3(e1, pts[1], 1e-9);
  // Tangent in the plane.
  InFrame(f, -5, 2, 0, p);
  ASSERT_EQ(INTER3_COPLANAR, Inter3_CirLin(f, r, p, dir, 1e-6, pts, n));
  EXPECT_EQ(1, n);
  // Piercing the plane at a point of the circle, and beside it.
  double on[3];
  InFrame(f, r * std::cos(1.0), r * std::sin(1.0), 0, on);
  const double slanted[3] = {0.3, -0.2, 1.0};
  for (int k = 0; k < 3; ++k) p[k] = on[k] - 2.0 * slanted[k];
  ASSERT_EQ(INTER3_PIERCE, Inter3_CirLin(f, r, p, slanted, 1e-6, pts, n));
  ASSERT_EQ(1, n);
  ExpectNear3(on, pts[0], 1e-9);
  InFrame(f, 0.5, 0, -1, p);
  EXPECT_EQ(INTER3_NONE, Inter3_CirLin(f, r, p, f.zAxis, 1e-6, pts, n));
  EXPECT_EQ(0, n);
  // Parallel to the plane but off it.
  InFrame(f, -5, 0, 1, p);
  EXPECT_EQ(INTER3_NONE, Inter3_CirLin(f, r, p, dir, 1e-6, pts, n));
}

TEST(Inter3Circle, CircleAgainstCircle) {
  const _rect_fm3d f = TiltedFrame(0, 0, 0);
  double pts[2][3];
  int n = -1;
  // Coplanar: second centre at local (3, 0), both radius 2.5 → points at local (1.5, ±2).
  _rect_fm3d g = f;
  InFrame(f, 3, 0, 0, g.origin);
  ASSERT_EQ(INTER3_COPLANAR, Inter3_CirCir(f, 2.5, g, 2.5, 1e-6, pts, n));
  ASSERT_EQ(2, n);
  for (int i = 0; i < 2; ++i) {
    double local[3] = {pts[i][0], pts[i][1], pts[i][2]};
    EXPECT_NEAR(1.5, Dot(local, f.xAxis), 1e-9);
    EXPECT_NEAR(2.0, std::fabs(Dot(local, f.yAxis)), 1e-9);
  }
  // Perpendicular unit circles through a shared diameter: they meet at its ends.
  _rect_fm3d h = f;
  for (int k = 0; k < 3; ++k) h.yAxis[k] = f.zAxis[k], h.zAxis[k] = -f.yAxis[k];
  ASSERT_EQ(INTER3_PIERCE, Inter3_CirCir(f, 1, h, 1, 1e-6, pts, n));
  ASSERT_EQ(2, n);
  for (int i = 0; i < 2; ++i) {
    EXPECT_NEAR(1.0, std::fabs(Dot(pts[i], f.xAxis)), 1e-9);
    EXPECT_NEAR(0.0, Dot(pts[i], f.yAxis), 1e-9);
  }
  // Parallel planes apart, and the same circle twice.
  _rect_fm3d up = f;
  InFrame(f, 0, 0, 1, up.origin);
  EXPECT_EQ(INTER3_NONE, Inter3_CirCir(f, 1, up, 1, 1e-6, pts, n));
  EXPECT_EQ(INTER3_NONE, Inter3_CirCir(f, 1, f, 1, 1e-6, pts, n));
  EXPECT_EQ(0, n);
}

TEST(Inter3Plane, PlaneLineRayAndPlanePlane) {
  const double pt[3] = {0, 0, 2}, nz[3] = {0, 0, 5};
  const double a[3] = {1, 1, 0}, b[3] = {3, 5, 4};
  double out[3];
  ASSERT_EQ(1, Inter3_PlnLine(pt, nz, a, b, 1e-6, out));
  const double mid[3] = {2, 3, 2};
  ExpectNear3(mid, out, 1e-12);
  const double flat[3] = {7, 1, 0};
  EXPECT_EQ(0, Inter3_PlnLine(pt, nz, a, flat, 1e-6, out));

  // The ray meets the plane behind its origin as well: it projects.
  const double origin[3] = {1, 1, 5}, dir[3] = {1, 0, 1};
  ASSERT_EQ(1, Inter3_PlnRay(pt, nz, origin, dir, 0.001, 1e-12, out));
  const double hit[3] = {-2, 1, 2};
  ExpectNear3(hit, out, 1e-12);
  const double along[3] = {1, 0, 0.0001};
  EXPECT_EQ(0, Inter3_PlnRay(pt, nz, origin, along, 0.001, 1e-12, out));
  const double zero[3] = {0, 0, 0};
  EXPECT_EQ(0, Inter3_PlnRay(pt, nz, origin, zero, 0.001, 1e-12, out));

  // z = 2 and x = 1 meet in the line (1, y, 2) along ±y.
  const double p2[3] = {1, 7, 7}, nx[3] = {-3, 0, 0};
  double lp[3], ld[3];
  ASSERT_EQ(1, Inter3_PlnPln(pt, nz, p2, nx, 1e-12, 0.001, lp, ld));
  const double foot[3] = {1, 0, 2};  // nearest to (0, 0, 2)
  ExpectNear3(foot, lp, 1e-12);
  EXPECT_NEAR(1.0, std::fabs(ld[1]), 1e-12);
  EXPECT_NEAR(0.0, std::fabs(ld[0]) + std::fabs(ld[2]), 1e-12);
  const double tilted[3] = {0, 0.0001, 1};
  EXPECT_EQ(0, Inter3_PlnPln(pt, nz, p2, tilted, 1e-12, 0.001, lp, ld));
  EXPECT_EQ(0, Inter3_PlnPln(pt, zero, p2, nx, 1e-12, 0.001, lp, ld));
}

}  // namespace
