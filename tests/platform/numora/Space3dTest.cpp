// 3D vectors, frames, matrices, triangles and plane relations.
#include "platform/numora/Numora.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <array>
#include <random>

namespace {
void ExpectNear3(const double* a, const double* b, double tol) {
  EXPECT_NEAR(a[0], b[0], tol);
  EXPECT_NEAR(a[1], b[1], tol);
  EXPECT_NEAR(a[2], b[2], tol);
}

TEST(V3D, AxesFromZAreRightHandedOrthonormal) {
  std::mt19937 rng(11);
  std::uniform_real_distribution<double> d(-1, 1);
  std::vector<std::array<double, 3>> zs = {{0, 0, 1}, {0, 0, -2}, {1, 0, 0}, {0, 1e-9, 0}};
  for (int i = 0; i < 20; ++i) zs.push_back({d(rng), d(rng), d(rng)});
  for (auto& z : zs) {
    double x[3], y[3], zu[3] = {z[0], z[1], z[2]}, c[3];
    ASSERT_EQ(V3D_GetXYFromZ(z.data(), x, y), 1);
    V3D_Unit(zu, 0);
    EXPECT_NEAR(V3D_Length(x), 1, 1e-12);
    EXPECT_NEAR(V3D_Length(y), 1, 1e-12);
    EXPECT_NEAR(V3D_Dot(x, zu), 0, 1e-12);
    V3D_VProduct(x, y, c);
    ExpectNear3(c, zu, 1e-12);
  }
  const double zero[3] = {0, 0, 0};
  double x[3], y[3];
  EXPECT_EQ(V3D_GetXYFromZ(zero, x, y), 0);
}

TEST(V3D, RotationAnglesAndParallelism) {
  const double axis[3] = {0, 0, 2}, v[3] = {1, 0, 0.5};
  double r[3];
  V3D_Rotate(v, axis, std::numbers::pi / 2, r);
  const double expect[3] = {0, 1, 0.5};
  ExpectNear3(r, expect, 1e-12);
  const double centre[3] = {1, 1, 0}, p[3] = {2, 1, 3};
  double q[3];
  P3D_RotatePnt(axis, centre, std::numbers::pi, p, q);
  const double e2[3] = {0, 1, 3};
  ExpectNear3(q, e2, 1e-12);

  const double a[3] = {1, 0, 0}, b[3] = {-1, 1e-4, 0}, c[3] = {0, 1, 1};
  EXPECT_EQ(V3D_IsParallel(a, b, 1e-3), 1);  // opposite counts
  EXPECT_EQ(V3D_IsParallel(a, b, 1e-5), 0);
  EXPECT_NEAR(V3D_GetAngle(a, c, 1e-6), std::numbers::pi / 2, 1e-12);
  const double X[3] = {1, 0, 0}, Y[3] = {0, 1, 0}, w[3] = {0, -1, 7};
  EXPECT_NEAR(V3D_GetRotAngleXY(X, Y, w), 1.5 * std::numbers::pi, 1e-12);
  double u[3];
  EXPECT_EQ(V3D_VProductUnit(a, b, u), 1);
  EXPECT_EQ(V3D_VProductUnit(a, a, u), 0);
}

TEST(P3D, MirrorProjectionAndHomogeneousPoints) {
  const double p[3] = {1, 2, 3}, n[3] = {0, 0, 2}, pt[3] = {5, 6, 10};
  double m[3], f[3];
  P3D_Mirror(p, n, pt, m);
  const double em[3] = {5, 6, -4};
  ExpectNear3(m, em, 1e-12);
  P3D_PrjToPln(pt, p, n, f);
  const double ef[3] = {5, 6, 3};
  ExpectNear3(f, ef, 1e-12);
  const double h[4] = {2, 4, 6, 2}, h0[4] = {1, 1, 1, 0};
  double c[3];
  ASSERT_EQ(P4D_ToP3D(h, c), 1);
  const double ec[3] = {1, 2, 3};
  ExpectNear3(c, ec, 0);
  EXPECT_EQ(P4D_ToP3D(h0, c), 0);
  EXPECT_DOUBLE_EQ(P3DH_Dist(h, h), 0);
  const double h2[4] = {2, 4, 6, 3};
  EXPECT_DOUBLE_EQ(P3DH_Dist(h, h2), 1);
}

// A right-handed orthonormal frame and a skewed one (from a matrix with shear and scale).
std::vector<_rect_fm3d> Frames() {
  _rect_fm3d a;
  const double z[3] = {1, 2, 2};
  V3D_GetXYFromZ(z, a.xAxis, a.yAxis);
  std::copy(z, z + 3, a.zAxis);
  V3D_Unit(a.zAxis, 0);
  a.origin[0] = 3;
  a.origin[1] = -1;
  a.origin[2] = 7;
  a.spare = 0;
  const double m[4][4] = {{2, 0.5, 0, 0}, {0, 1, 0.3, 0}, {0.2, 0, 3, 0}, {1, 2, 3, 1}};
  _rect_fm3d b;
  RF_GetRFrameFromMatrix(m, &b);
  return {a, b};
}

TEST(RF, WorldAndLocalAreExactInverses) {
  std::mt19937 rng(5);
  std::uniform_real_distribution<double> d(-50, 50);
  for (const auto& f : Frames()) {
    _rect_fm3d inv;
    ASSERT_EQ(RF_InvsRFrame(&f, &inv), 1);
    for (int i = 0; i < 20; ++i) {
      const double p[3] = {d(rng), d(rng), d(rng)};
      double l[3], w[3], viaInv[3], v[3], vb[3];
      RF_TransWorldP3D(&f, p, l);
      RF_TransLocalP3D(&f, l, w);
      ExpectNear3(w, p, 1e-11);
      RF_TransLocalP3D(&inv, p, viaInv);
      ExpectNear3(viaInv, l, 1e-11);
      RF_TransLocalV3D(&f, p, v);
      RF_TransWorldV3D(&f, v, vb);
      ExpectNear3(vb, p, 1e-11);
    }
  }
  _rect_fm3d id;
  RF_Init(&id);
  const double p[3] = {1, 2, 3};
  double q[3];
  RF_TransWorldP3D(&id, p, q);
  ExpectNear3(q, p, 0);
}

TEST(RF, FrameMappingsAgreeWithTheirPointMappings) {
  const auto fs = Frames();
  const _rect_fm3d& f = fs[0];
  _rect_fm3d arc;
  RF_Init(&arc);
  arc.origin[0] = 1;
  arc.origin[1] = 2;
  V3D_Rotate(arc.xAxis, arc.zAxis, 0.4);
  V3D_Rotate(arc.yAxis, arc.zAxis, 0.4);
  // A point given in the arc frame's coordinates.
  const double local[3] = {2 * std::cos(0.9), 2 * std::sin(0.9), 0};
  double world[3];
  RF_TransLocalP3D(&arc, local, world);

  _rect_fm3d ev;
  RF_EvRFrame(&f, &arc, &ev);
  double a[3], b[3];
  RF_TransLocalP3D(&ev, local, a);
  RF_TransWorldP3D(&f, world, b);
  ExpectNear3(a, b, 1e-12);

  // Matrix transform: transpose of a column-vector MAT44, made a frame, composed with the arc.
  const double M[4][4] = {{0, -1, 0, 5}, {1, 0, 0, -2}, {0, 0, 1, 4}, {0, 0, 0, 1}};
  double T[4][4];
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 4; ++j) T[i][j] = M[j][i];
  _rect_fm3d mf, moved;
  RF_GetRFrameFromMatrix(T, &mf);
  RF_MultRFrame(&mf, &arc, &moved);
  RF_TransLocalP3D(&moved, local, a);
  MAT44_MultPt(M, world, b);
  ExpectNear3(a, b, 1e-12);

  // Rotating and mirroring the frame move its points like the points themselves.
  const double pivot[3] = {1, 1, 1}, axis[3] = {1, 1, 0}, normal[3] = {1, 0.5, 0.2};
  _rect_fm3d r = arc;
  RF_RotateRFrame(&r, pivot, axis, 1.1);
  RF_TransLocalP3D(&r, local, a);
  P3D_RotatePnt(axis, pivot, 1.1, world, b);
  ExpectNear3(a, b, 1e-12);
  _rect_fm3d m = arc;
  RF_MirrorRFrame(&m, pivot, normal);
  RF_TransLocalP3D(&m, local, a);
  P3D_Mirror(pivot, normal, world, b);
  ExpectNear3(a, b, 1e-12);
  double c[3];
  V3D_VProduct(m.xAxis, m.yAxis, c);
  EXPECT_GT(V3D_Dot(c, m.zAxis), 0);  // still right-handed
}

TEST(MAT33, ColumnVectorsWithTranslationInTheLastColumn) {
  double m[3][3];
  MAT33_Unit(m);
  EXPECT_EQ(MAT33_IsUnit(m), 1);
  m[0][2] = 3;
  m[1][2] = -1;
  EXPECT_EQ(MAT33_IsUnit(m), 0);
  double p[2] = {1, 1};
  MAT33_MultPt(m, p);
  EXPECT_DOUBLE_EQ(p[0], 4);
  EXPECT_DOUBLE_EQ(p[1], 0);
  const double c[2] = {2, 3};
  MAT33_GenRotZ1(m, std::numbers::pi / 2, c);
  double q[2], r[2];
  MAT33_MultPt(m, c, q);
  EXPECT_NEAR(q[0], 2, 1e-12);
  EXPECT_NEAR(q[1], 3, 1e-12);
  const double s[2] = {5, 3};
  MAT33_MultPt(m, s, q);
  P2D_Rot(c, std::numbers::pi / 2, s, r);
  EXPECT_NEAR(q[0], r[0], 1e-12);
  EXPECT_NEAR(q[1], r[1], 1e-12);
}

TEST(TRI, OriginInWidenedTriangleAndVerticalRays) {
  const double a[2] = {-1, -1}, b[2] = {2, -1}, c[2] = {-1, 2};
  double w[3];
  ASSERT_EQ(TRI2_ChkOriInTri2DEx(a, b, c, 0, w), 0);
  EXPECT_NEAR(w[0] * a[0] + w[1] * b[0] + w[2] * c[0], 0, 1e-12);
  EXPECT_NEAR(w[0] + w[1] + w[2], 1, 1e-12);
  // Origin at distance 0.5 from the edge of a shifted triangle.
  const double a2[2] = {0.5, -1}, b2[2] = {3, -1}, c2[2] = {0.5, 2};
  EXPECT_EQ(TRI2_ChkOriInTri2DEx(a2, b2, c2, 0.4, w), 1);
  ASSERT_EQ(TRI2_ChkOriInTri2DEx(a2, b2, c2, 0.6, w), 0);
  EXPECT_NEAR(w[0] * a2[0] + w[1] * b2[0] + w[2] * c2[0], 0.5, 1e-12);  // nearest point's weights
  const double d0[2] = {0, 0}, d1[2] = {1, 1}, d2[2] = {2, 2};
  EXPECT_EQ(TRI2_ChkOriInTri2DEx(d0, d1, d2, 1, w), 1);

  const double p0[3] = {0, 0, 1}, p1[3] = {4, 0, 3}, p2[3] = {0, 4, 5};
  double hit[3];
  const double o[3] = {1, 1, -100};
  ASSERT_EQ(TRI3_IntZRay(p0, p1, p2, o, 1e-6, hit), 1);
  EXPECT_NEAR(hit[2], 1 + 0.5 + 1, 1e-12);  // plane z = 1 + x/2 + y
  const double out[3] = {3, 3, 0};
  EXPECT_EQ(TRI3_IntZRay(p0, p1, p2, out, 1e-6, hit), 0);
  const double edge[3] = {2.0000001, 2, 0};  // just beyond the hypotenuse
  EXPECT_EQ(TRI3_IntZRay(p0, p1, p2, edge, 1e-6, hit), 1);

  const double lo[3] = {1, 1, 0}, hi[3] = {1, 1, 10}, low2[3] = {1, 1, 2};
  EXPECT_EQ(TRI3_IntSegment(p0, p1, p2, lo, hi, 1e-6), 1);
  EXPECT_EQ(TRI3_IntSegment(p0, p1, p2, lo, low2, 1e-6), 0);  // stops below the face (z = 2.5)
  double n[3];
  ASSERT_EQ(TRI3_GetNormal(p0, p1, p2, 1e-6, n), 1);
  const double e1[3] = {4, 0, 2};
  EXPECT_NEAR(V3D_Dot(n, e1), 0, 1e-12);
  EXPECT_GT(n[2], 0);  // counter-clockwise seen from above
  EXPECT_EQ(TRI3_GetNormal(p0, p0, p2, 1e-6, n), 0);
  EXPECT_EQ(n[0], 0);
}

TEST(PLN, CoplanarLinesAndPlanarDescriptions) {
  const double o[3] = {0, 0, 0}, x[3] = {1, 0, 0}, y[3] = {0, 1, 0};
  const double p1[3] = {3, 3, 0}, up[3] = {0, 0, 1}, lifted[3] = {3, 3, 0.5}, aboveX[3] = {3, 0, 5};
  double pt[3], n[3];
  struct { const double *p0, *d0, *p1, *d1; int coplanar; } cases[] = {
      {o, x, p1, y, 1},       // crossing in z = 0
      {o, x, lifted, y, 0},   // skew by 0.5
      {o, x, lifted, x, 1},   // parallel
      {o, x, o, x, 1},        // the same line
      {o, x, aboveX, up, 1},  // a vertical line meeting the x axis
      {o, x, p1, up, 0},      // a vertical line passing 3 away
  };
  for (auto& c : cases) {
    ASSERT_EQ(L3D_IsCoplanar(c.p0, c.d0, c.p1, c.d1, 1e-6, 1e-4, pt, n), c.coplanar);
    if (!c.coplanar) continue;
    EXPECT_NEAR(V3D_Length(n), 1, 1e-12);
    for (const double* q : {c.p0, c.p1}) {
      const double d[3] = {q[0] - pt[0], q[1] - pt[1], q[2] - pt[2]};
      EXPECT_NEAR(V3D_Dot(d, n), 0, 1e-12);
    }
    EXPECT_NEAR(V3D_Dot(c.d0, n), 0, 1e-12);
    EXPECT_NEAR(V3D_Dot(c.d1, n), 0, 1e-12);
  }
  // Plane and line: lying in it, tilted out of it.
  double q[3] = {5, 5, 0}, d[3] = {1, 1, 0};
  EXPECT_EQ(PLN_Relation(1, o, up, 2, q, d, 1e-4, 1e-4), 1);
  ExpectNear3(d, up, 1e-12);
  double q2[3] = {5, 5, 0}, d2[3] = {1, 0, 0.1};
  EXPECT_EQ(PLN_Relation(1, o, up, 2, q2, d2, 1e-4, 1e-4), 0);
  EXPECT_EQ(d2[2], 0.1);  // untouched on failure
  double q3[3] = {5, 5, 1}, d3[3] = {0, 0, 1};
  EXPECT_EQ(PLN_Relation(1, o, up, 1, q3, d3, 1e-4, 1e-4), 0);  // parallel planes apart
  EXPECT_EQ(PLN_Relation(0, o, up, 1, q3, d3, 1e-4, 1e-4), 0);  // not planar
}

}  // namespace
