// 2D points, vectors, lines and circles.
#include "platform/numora/Numora.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

namespace {
TEST(P2D, RotationFormsAgreeAndMirrorIsAnInvolutionFixingItsLine) {
  const double c[2] = {1, 2}, p[2] = {4, 6};
  double a[2], b[2];
  P2D_Rot(c, std::numbers::pi / 2, p, a);
  EXPECT_NEAR(a[0], 1 - 4, 1e-12);  // (3, 4) turned left becomes (-4, 3)
  EXPECT_NEAR(a[1], 2 + 3, 1e-12);
  P2D_Rot(c, std::cos(0.7), std::sin(0.7), p, a);
  P2D_Rot(c, 0.7, p, b);
  EXPECT_DOUBLE_EQ(a[0], b[0]);
  EXPECT_DOUBLE_EQ(a[1], b[1]);

  const double base[2] = {1, 1}, dir[2] = {2, 1};
  double m[2], mm[2];
  P2D_Mirr(base, dir, p, m);
  P2D_Mirr(base, dir, m, mm);
  EXPECT_NEAR(mm[0], p[0], 1e-12);
  EXPECT_NEAR(mm[1], p[1], 1e-12);
  // The midpoint lies on the mirror line and the offset is perpendicular to it.
  const double mid[2] = {(p[0] + m[0]) / 2, (p[1] + m[1]) / 2};
  const double tip[2] = {base[0] + dir[0], base[1] + dir[1]};
  EXPECT_NEAR(L2D_DistToPntEx(base, tip, mid), 0, 1e-12);
  EXPECT_NEAR((m[0] - p[0]) * dir[0] + (m[1] - p[1]) * dir[1], 0, 1e-12);
}

TEST(P2D, ShiftIsAShearAboutTheBasePoint) {
  const double p[2] = {1, 2}, q[2] = {0.5, -0.25};
  struct { double in[2], out[2]; } cases[] = {
      {{1, 2}, {1, 2}},                        // base point is fixed
      {{3, 2}, {3, 2 - 0.25 * 2}},             // x offset only moves y
      {{1, 6}, {1 + 0.5 * 4, 6}},              // y offset only moves x
      {{4, 5}, {4 + 0.5 * 3, 5 - 0.25 * 3}},   // both from the old coordinates
  };
  for (auto& c : cases) {
    double o[2];
    P2D_Shift(p, c.in, q, o);
    EXPECT_DOUBLE_EQ(o[0], c.out[0]);
    EXPECT_DOUBLE_EQ(o[1], c.out[1]);
    double inPlace[2] = {c.in[0], c.in[1]};
    P2D_Shift(p, inPlace, q);
    EXPECT_DOUBLE_EQ(inPlace[0], c.out[0]);
  }
}

TEST(V2D, AnglesUnsignedDirectedAndToX) {
  struct { double a[2], b[2], unsignedAng, directed; } cases[] = {
      {{1, 0}, {0, 1}, std::numbers::pi / 2, std::numbers::pi / 2},
      {{1, 0}, {0, -1}, std::numbers::pi / 2, 3 * std::numbers::pi / 2},
      {{1, 0}, {-1, 0}, std::numbers::pi, std::numbers::pi},
      {{1, 1}, {2, 2}, 0, 0},
      {{0, 2}, {1, 0}, std::numbers::pi / 2, 3 * std::numbers::pi / 2},
      {{1, 0}, {-1, -1e-12}, std::numbers::pi - 1e-12, std::numbers::pi + 1e-12},
  };
  for (auto& c : cases) {
    EXPECT_NEAR(V2D_GetAngle(c.a, c.b, 1e-6), c.unsignedAng, 1e-12);
    EXPECT_NEAR(V2D_GetAngleV1toV2(c.a, c.b), c.directed, 1e-12);
    const double d = V2D_GetAngleV1toV2(c.a, c.b);
    EXPECT_TRUE(d >= 0 && d < 2 * std::numbers::pi);
  }
  const double zero[2] = {0, 0}, x[2] = {1, 0}, tiny[2] = {1e-8, 0};
  EXPECT_EQ(V2D_GetAngle(zero, x, 1e-6), 0.0);
  EXPECT_EQ(V2D_GetAngle(tiny, x, 1e-6), 0.0);
  EXPECT_EQ(V2D_GetAngleV1toV2(zero, x), 0.0);
  const double down[2] = {0, -3}, nearX[2] = {1, -1e-300};
  EXPECT_NEAR(V2D_AngletoX(down), 1.5 * std::numbers::pi, 1e-15);
  EXPECT_LT(V2D_AngletoX(nearX), 2 * std::numbers::pi);
  const double ua[2] = {1, 0}, ub[2] = {std::cos(2.0), std::sin(2.0)};
  EXPECT_NEAR(V2D_GetAngleUnit(ua, ub), 2.0, 1e-12);
}

TEST(V2D, UnitsRespectTheToleranceAndLeaveShortVectorsAlone) {
  double v[2] = {3, 4};
  EXPECT_EQ(V2D_Unit(v, 1e-6), 1);
  EXPECT_DOUBLE_EQ(v[0], 0.6);
  double s[2] = {1e-7, 0};
  EXPECT_EQ(V2D_Unit(s, 1e-6), 0);
  EXPECT_EQ(s[0], 1e-7);
  const double a[2] = {1, 1}, b[2] = {1, 1 + 5e-7}, c[2] = {1, 3};
  double u[2] = {9, 9};
  EXPECT_EQ(V2D_GenUnit(a, b, u, 1e-6), 0);
  EXPECT_EQ(u[0], 9);
  EXPECT_EQ(V2D_GenUnit(a, c, u, 1e-6), 1);
  EXPECT_DOUBLE_EQ(u[1], 1.0);
}

TEST(V2D, TripleProductPointsToTheCentreOfCurvature) {
  // Circle of radius 2 about (5, 5), both senses, several positions.
  for (int dir : {1, -1})
    for (double th = 0; th < 6.2; th += 0.9) {
      const double P[2] = {5 + 2 * std::cos(th), 5 + 2 * std::sin(th)};
      const double D[2] = {-2 * dir * std::sin(th), 2 * dir * std::cos(th)};
      const double D2[2] = {-2 * std::cos(th), -2 * std::sin(th)};
      double n[2];
      V2D_XProduct(D, D2, D, n);
      ASSERT_EQ(V2D_Unit(n, 1e-9), 1);
      EXPECT_NEAR(n[0], (5 - P[0]) / 2, 1e-12);
      EXPECT_NEAR(n[1], (5 - P[1]) / 2, 1e-12);
    }
}

TEST(P2D, CollinearityAndTheInvertedBoxTest) {
  const double pts[][2] = {{0, 0}, {5, 5.00005}, {10, 10}, {2, 2}};
  EXPECT_EQ(P2D_IsPtsColine(pts, 4, 1e-4), 1);
  EXPECT_EQ(P2D_IsPtsColine(pts, 4, 1e-6), 0);
  const double bent[][2] = {{0, 0}, {1, 0.1}, {2, 0}};
  EXPECT_EQ(P2D_IsPtsColine(bent, 3, 1e-4), 0);
  EXPECT_EQ(P2D_IsCollinear(bent[0], bent[1], bent[2], 0.2), 1);
  EXPECT_EQ(P2D_IsCollinear(bent[0], bent[1], bent[2]), 0);

  _tagBox2D box{{0, 0}, {10, 5}};
  const double inside[2] = {5, 5.5}, outside[2] = {5, 7};
  EXPECT_EQ(P2D_IsInBox2D(&box, inside, 1), 0);
  EXPECT_EQ(BOX2D_IsPtIn(&box, inside, 1), 1);
  EXPECT_EQ(P2D_IsInBox2D(&box, outside, 1), 1);
  EXPECT_DOUBLE_EQ(P2D_AbsDist(inside, outside), 1.5);
}

TEST(L2D, ParametersFeetAndSignedDistances) {
  const double a[2] = {1, 1}, b[2] = {5, 3}, p[2] = {2, 5};
  double f[2], t;
  ASSERT_EQ(L2D_PrjPntEx(a, b, p, f), 1);
  EXPECT_NEAR((p[0] - f[0]) * (b[0] - a[0]) + (p[1] - f[1]) * (b[1] - a[1]), 0, 1e-12);
  ASSERT_EQ(L2D_GetParam(a, b, f, t), 1);
  double g[2];
  L2D_GetPnt(a, b, t, g);
  EXPECT_NEAR(g[0], f[0], 1e-12);
  EXPECT_NEAR(L2D_GetParam(a, b, b), 1.0, 1e-15);
  const double d = L2D_DistToPntEx(a, b, p);
  EXPECT_GT(d, 0);  // left of a→b
  EXPECT_NEAR(d, std::hypot(p[0] - f[0], p[1] - f[1]), 1e-12);
  EXPECT_NEAR(L2D_DistToPntEx(b, a, p), -d, 1e-12);
  const double u[2] = {4 / std::sqrt(20.0), 2 / std::sqrt(20.0)};
  EXPECT_NEAR(L2D_DistPntToLine(p, a, u), d, 1e-12);
  double dir[2] = {b[0] - a[0], b[1] - a[1]}, f2[2];
  ASSERT_EQ(L2D_PrjPnt(a, dir, p, f2), 1);
  EXPECT_NEAR(f2[0], f[0], 1e-12);
  EXPECT_EQ(L2D_PrjPntEx(a, a, p, f), 0);
  EXPECT_EQ(L2D_GetParam(a, a, p, t), 0);
}

TEST(C2D, CentreTangentsAndProjection) {
  const double p1[2] = {3, 1}, p2[2] = {-1, 4}, p3[2] = {0.5, -2};
  double c[2];
  ASSERT_EQ(C2D_GetCenter(p1, p2, p3, c), 1);
  const double r = std::hypot(p1[0] - c[0], p1[1] - c[1]);
  EXPECT_NEAR(std::hypot(p2[0] - c[0], p2[1] - c[1]), r, 1e-12);
  EXPECT_NEAR(std::hypot(p3[0] - c[0], p3[1] - c[1]), r, 1e-12);
  const double l1[2] = {0, 0}, l2[2] = {1, 1}, l3[2] = {5, 5};
  EXPECT_EQ(C2D_GetCenter(l1, l2, l3, c), 0);

  const double cc[2] = {1, 1}, from[2] = {6, 3};
  double T1[2], T2[2];
  ASSERT_EQ(C2D_GetTanPt(cc, 2, from, T1, T2), 1);
  for (auto* T : {T1, T2}) {
    EXPECT_NEAR(std::hypot(T[0] - cc[0], T[1] - cc[1]), 2, 1e-12);
    EXPECT_NEAR((T[0] - cc[0]) * (from[0] - T[0]) + (T[1] - cc[1]) * (from[1] - T[1]), 0, 1e-12);
  }
  // T1 counter-clockwise of centre→from.
  EXPECT_GT((from[0] - cc[0]) * (T1[1] - cc[1]) - (from[1] - cc[1]) * (T1[0] - cc[0]), 0);
  const double in[2] = {2, 1};
  EXPECT_EQ(C2D_GetTanPt(cc, 2, in, T1, T2), 0);

  double f[2];
  ASSERT_EQ(C2D_PrjPnt(cc, 2, from, f), 1);
  EXPECT_NEAR(std::hypot(f[0] - cc[0], f[1] - cc[1]), 2, 1e-12);
  EXPECT_EQ(C2D_PrjPnt(cc, 2, cc, f), 0);
}

}  // namespace
