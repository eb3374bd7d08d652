#include <memory>
#include <numbers>
#include <random>

#include "KernelFixture.h"
#include "millvane/kernel/CurveRecords.h"
#include "millvane/kernel/SurfaceIntersect.h"
#include "millvane/kernel/SurfaceRecords.h"

namespace {
using Rec = std::unique_ptr<ENT_Record, RecordDeleter>;

class SurfaceRecordsTest : public KernelTest {};

double Len(const double a[3]) { return std::sqrt(a[0] * a[0] + a[1] * a[1] + a[2] * a[2]); }

Rec Sphere(double r) { return Rec(kt::NewSphere(kt::TiltedFrame(1, -1, 2), r)); }

// Cylinder of radius r about the frame's Z axis, from z = 0 upwards along 2 Z.
Rec Cylinder(double r) {
  const _rect_fm3d f = kt::TiltedFrame(1, -1, 2);
  const double dir[3] = {2 * f.zAxis[0], 2 * f.zAxis[1], 2 * f.zAxis[2]};
  return Rec(SRF_NewExtrude(dir, CRV_NewCircle(&f, r)));
}

// A bicubic patch with some shape.
Rec Patch() {
  _nurbs_surface* s = BSRF_Create(4, 4, 4, 4);
  for (int j = 0; j < 4; ++j)
    for (int i = 0; i < 4; ++i) {
      s->net[j][i][0] = i;
      s->net[j][i][1] = j;
      s->net[j][i][2] = std::sin(i + 2.0 * j) * 0.7;
      s->net[j][i][3] = 1.0;
    }
  return Rec(SRF_NewBspline(s));
}

TEST_F(SurfaceRecordsTest, SphereMatchesClosedForms) {
  Rec s = Sphere(2.0);
  const _rect_fm3d f = kt::TiltedFrame(1, -1, 2);
  for (double u : {0.0, 1.0, 4.0}) {
    for (double v : {-1.2, 0.0, 0.9}) {
      double p[3], n[3], q[3];
      ASSERT_EQ(SRF_EvPosNormal(n, s.get(), p, u, v), 1);
      double d[3];
      for (int i = 0; i < 3; ++i) {
        q[i] = f.origin[i] + 2.0 * (std::cos(v) * (std::cos(u) * f.xAxis[i] + std::sin(u) * f.yAxis[i]) +
                                    std::sin(v) * f.zAxis[i]);
        d[i] = (p[i] - f.origin[i]) / 2.0;
      }
      EXPECT_NEAR(kt::Dist(p, q), 0.0, 1e-14);
      EXPECT_NEAR(kt::Dist(n, d), 0.0, 1e-14) << "outward unit normal";
      double k1, k2, e1[3], e2[3];
      ASSERT_EQ(SRF_EvCurvature(k1, k2, e1, e2, s.get(), u, v), 1);
      EXPECT_NEAR(k1, -0.5, 1e-12);
      EXPECT_NEAR(k2, -0.5, 1e-12);
    }
  }
  _param U, V;
  ASSERT_EQ(SRF_GetParamRanges(s.get(), &U, &V), 1);
  EXPECT_EQ(U.closure, 2);
  EXPECT_EQ(V.startKind, 3);
  EXPECT_EQ(V.endKind, 3);
  EXPECT_EQ(V.closure, 0);
}

// Central differences of the point and of the first partials against the analytic partials.
void CheckDerivatives(const ENT_Record* r, double u, double v, double tol1, double tol2) {
  const double h = 1e-5;
  double p[3], su[3], sv[3], suu[3], suv[3], svv[3];
  ASSERT_EQ(SRF_EvDeriv2(p, su, sv, suu, suv, svv, r, u, v), 1);
  double p1[3], s1u[3], s1v[3], q1[3], d1u[3], d1v[3];
  double p2[3], s2u[3], s2v[3], q2[3], d2u[3], d2v[3];
  ASSERT_EQ(SRF_EvDeriv1(p1, s1u, s1v, r, u + h, v), 1);
  ASSERT_EQ(SRF_EvDeriv1(p2, s2u, s2v, r, u - h, v), 1);
  ASSERT_EQ(SRF_EvDeriv1(q1, d1u, d1v, r, u, v + h), 1);
  ASSERT_EQ(SRF_EvDeriv1(q2, d2u, d2v, r, u, v - h), 1);
  double e[3], e1[3], e2[3];
  ASSERT_EQ(SRF_EvDeriv1(e, e1, e2, r, u, v), 1);
  for (int i = 0; i < 3; ++i) {
    EXPECT_NEAR(e[i], p[i], 1e-12);
    EXPECT_NEAR(e1[i], su[i], 1e-6) << "first partials agree between the evaluators";
    EXPECT_NEAR((p1[i] - p2[i]) / (2 * h), su[i], tol1);
    EXPECT_NEAR((q1[i] - q2[i]) / (2 * h), sv[i], tol1);
    EXPECT_NEAR((s1u[i] - s2u[i]) / (2 * h), suu[i], tol2);
    EXPECT_NEAR((d1v[i] - d2v[i]) / (2 * h), svv[i], tol2);
    EXPECT_NEAR((s1v[i] - s2v[i]) / (2 * h), suv[i], tol2);
  }
}

TEST_F(SurfaceRecordsTest, DerivativesMatchFiniteDifferences) {
  Rec sphere = Sphere(1.5), cyl = Cylinder(0.8), patch = Patch();
  Rec off(SRF_NewOffset(patch.get(), 0.3));
  struct Case {
    const char* name;
    const ENT_Record* rec;
    double tol2;
  };
  const Case cases[] = {{"sphere", sphere.get(), 1e-5},
                        {"extrusion", cyl.get(), 1e-5},
                        {"patch", patch.get(), 1e-4},
                        {"offset", off.get(), 1e-3}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    for (double u : {0.3, 0.55}) CheckDerivatives(c.rec, u, 0.4, 1e-6, c.tol2);
  }
}

TEST_F(SurfaceRecordsTest, OffsetOfSphereIsConcentricSphere) {
  Rec base = Sphere(2.0), big = Sphere(2.5);
  Rec off(SRF_NewOffset(base.get(), 0.5));
  Rec same(SRF_NewOffset(base.get(), 0.0));
  for (double u : {0.2, 2.0}) {
    for (double v : {-0.7, 0.4}) {
      double a[3], au[3], av[3], b[3], bu[3], bv[3];
      ASSERT_EQ(SRF_EvDeriv1(a, au, av, off.get(), u, v), 1);
      ASSERT_EQ(SRF_EvDeriv1(b, bu, bv, big.get(), u, v), 1);
      EXPECT_NEAR(kt::Dist(a, b), 0.0, 1e-12);
      EXPECT_NEAR(kt::Dist(au, bu), 0.0, 1e-12);
      EXPECT_NEAR(kt::Dist(av, bv), 0.0, 1e-12);
      double a2[6][3], b2[6][3];
      ASSERT_EQ(SRF_EvDeriv2(a2[0], a2[1], a2[2], a2[3], a2[4], a2[5], off.get(), u, v), 1);
      ASSERT_EQ(SRF_EvDeriv2(b2[0], b2[1], b2[2], b2[3], b2[4], b2[5], big.get(), u, v), 1);
      for (int k = 3; k < 6; ++k) EXPECT_NEAR(kt::Dist(a2[k], b2[k]), 0.0, 1e-4) << k;
      double c[3], d[3];
      ASSERT_EQ(SRF_EvPos(c, same.get(), u, v), 1);
      ASSERT_EQ(SRF_EvPos(d, base.get(), u, v), 1);
      EXPECT_EQ(kt::Dist(c, d), 0.0) << "distance 0 evaluates like the base";
    }
  }
  double fu, fv, foot[3];
  const double p[3] = {5, 5, 5};
  EXPECT_EQ(SRF_SnapPoint(fv, fu, foot, off.get(), p), 0);
  _tagBox2D box;
  ASSERT_EQ(SRF_GetUVBox(off.get(), &box), 1);
  EXPECT_EQ(box.max[0], 2 * std::numbers::pi);
  _nurbs_surface* out = nullptr;
  EXPECT_EQ(SRF_ToBspline(0.01, off.get(), &box, out, nullptr), 0);
}

TEST_F(SurfaceRecordsTest, ExtrusionRangesAndPoints) {
  Rec cyl = Cylinder(0.8);
  _tagBox2D box;
  ASSERT_EQ(SRF_GetUVBox(cyl.get(), &box), 1);
  EXPECT_EQ(box.min[1], -1e20);
  EXPECT_EQ(box.max[1], 1e20);
  _param U, V;
  ASSERT_EQ(SRF_GetParamRanges(cyl.get(), &U, &V), 1);
  EXPECT_EQ(U.closure, 2) << "a full circle closes smoothly";
  EXPECT_EQ(U.startKind, 1);
  EXPECT_EQ(V.closure, 0);
  EXPECT_EQ(V.min, -1e20);
  EXPECT_EQ(U.reserved1, 3);
  EXPECT_EQ(U.reserved2, 1);

  const _rect_fm3d f = kt::TiltedFrame(1, -1, 2);
  double p[3], n[3];
  ASSERT_EQ(SRF_EvPosNormal(n, cyl.get(), p, 1.0, 0.25), 1);
  double rad[3];
  for (int i = 0; i < 3; ++i) rad[i] = std::cos(1.0) * f.xAxis[i] + std::sin(1.0) * f.yAxis[i];
  for (int i = 0; i < 3; ++i) {
    EXPECT_NEAR(p[i], f.origin[i] + 0.8 * rad[i] + 0.5 * f.zAxis[i], 1e-14);
    EXPECT_NEAR(n[i], rad[i], 1e-14);
  }
  double k1, k2, e1[3], e2[3];
  ASSERT_EQ(SRF_EvCurvature(k1, k2, e1, e2, cyl.get(), 1.0, 0.25), 1);
  EXPECT_NEAR(k1, -1.0 / 0.8, 1e-12);
  EXPECT_NEAR(k2, 0.0, 1e-12);
  EXPECT_NEAR(std::fabs(e2[0] * f.zAxis[0] + e2[1] * f.zAxis[1] + e2[2] * f.zAxis[2]), 1.0, 1e-9)
      << "the straight direction runs along the axis";

  // An open generator: nothing closes.
  const double dir[3] = {1, 1, 1};
  Rec open(SRF_NewExtrude(dir, CRV_NewBspline(kt::Polyline({{0, 0, 0}, {10, 0, 0}}))));
  ASSERT_EQ(SRF_GetParamRanges(open.get(), &U, &V), 1);
  EXPECT_EQ(U.closure, 0);
  EXPECT_EQ(U.startKind, 1);
  EXPECT_EQ(V.closure, 0);
}

TEST_F(SurfaceRecordsTest, SnapAgreesWithBruteForce) {
  Rec sphere = Sphere(1.5), cyl = Cylinder(0.8), patch = Patch();
  std::mt19937 rng(5);
  std::uniform_real_distribution<double> d(-1, 3);
  struct Case {
    const char* name;
    const ENT_Record* rec;
    double u0, u1, v0, v1;
  };
  const Case cases[] = {{"sphere", sphere.get(), 0, 2 * std::numbers::pi, -std::numbers::pi / 2, std::numbers::pi / 2},
                        {"cylinder", cyl.get(), 0, 2 * std::numbers::pi, -3, 3},
                        {"patch", patch.get(), 0, 1, 0, 1}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    for (int k = 0; k < 8; ++k) {
      double p[3] = {d(rng), d(rng), d(rng)};
      if (c.rec == cyl.get()) {
        // Keep the foot inside the sampled height.
        p[0] = 1 + d(rng) * 0.3, p[1] = -1 + d(rng) * 0.3, p[2] = 2 + d(rng) * 0.3;
      }
      double u = 1e12, v = 1e12, foot[3], q[3];
      ASSERT_EQ(SRF_SnapPoint(v, u, foot, c.rec, p), 1);
      ASSERT_EQ(SRF_EvPos(q, c.rec, u, v), 1);
      EXPECT_NEAR(kt::Dist(q, foot), 0.0, 1e-9);
      double best = 1e300;
      for (int i = 0; i <= 300; ++i)
        for (int j = 0; j <= 300; ++j) {
          double s[3];
          SRF_EvPos(s, c.rec, c.u0 + (c.u1 - c.u0) * i / 300, c.v0 + (c.v1 - c.v0) * j / 300);
          best = std::min(best, kt::Dist(s, p));
        }
      EXPECT_LE(kt::Dist(foot, p), best + 1e-9) << k;
      EXPECT_GE(kt::Dist(foot, p), best - 0.02) << k;
    }
  }
  // The sphere's centre and axis.
  const _rect_fm3d f = kt::TiltedFrame(1, -1, 2);
  double u = 1e12, v = 1e12, foot[3];
  ASSERT_EQ(SRF_SnapPoint(v, u, foot, sphere.get(), f.origin), 1);
  EXPECT_EQ(u, 0.0);
  EXPECT_EQ(v, 0.0);
  EXPECT_NEAR(kt::Dist(foot, f.origin), 1.5, 1e-14);
  double top[3];
  for (int i = 0; i < 3; ++i) top[i] = f.origin[i] + 3 * f.zAxis[i];
  ASSERT_EQ(SRF_SnapPoint(v, u, foot, sphere.get(), top), 1);
  EXPECT_NEAR(v, std::numbers::pi / 2, 1e-12);
}

TEST_F(SurfaceRecordsTest, SphereAsBsplineKeepsPoles) {
  Rec sphere = Sphere(1.5);
  const _tagBox2D full{{0, -std::numbers::pi / 2}, {2 * std::numbers::pi, std::numbers::pi / 2}};
  _nurbs_surface* out = nullptr;
  int flag = 0;
  ASSERT_EQ(SRF_ToBspline(0.001, sphere.get(), &full, out, &flag), 1);
  Rec bs(SRF_NewBspline(out));
  const _rect_fm3d f = kt::TiltedFrame(1, -1, 2);
  _param U, V;
  ASSERT_EQ(SRF_GetParamRanges(bs.get(), &U, &V), 1);
  EXPECT_EQ(V.startKind, 3);
  EXPECT_EQ(V.endKind, 3);
  for (double u : {0.0, 0.3, 0.8})
    for (double v : {0.0, 0.2, 0.5, 1.0}) {
      double p[3], n[3], c[3];
      ASSERT_EQ(SRF_EvPosNormal(n, bs.get(), p, u, v), 1) << u << " " << v;
      for (int i = 0; i < 3; ++i) c[i] = (p[i] - f.origin[i]) / 1.5;
      EXPECT_NEAR(Len(c), 1.0, 1e-12);
      EXPECT_NEAR(kt::Dist(n, c), 0.0, 1e-6) << "outward, also at the poles " << u << " " << v;
    }

  // An offset of the poled surface: its ranges and its pole normals.
  Rec off(SRF_NewOffset(bs.get(), 0.5));
  ASSERT_EQ(SRF_GetParamRanges(off.get(), &U, &V), 1);
  EXPECT_EQ(V.startKind, 3);
  EXPECT_EQ(V.endKind, 3);
  for (double v : {0.0, 1.0}) {
    double p[3], n[3], c[3];
    ASSERT_EQ(SRF_EvPosNormal(n, off.get(), p, 0.4, v), 1) << v;
    for (int i = 0; i < 3; ++i) c[i] = (p[i] - f.origin[i]) / 2.0;
    EXPECT_NEAR(Len(c), 1.0, 1e-9);
    EXPECT_NEAR(kt::Dist(n, c), 0.0, 1e-6) << v;
  }

  const _tagBox2D flat{{0, 0}, {1, 1}};
  Rec dot = Sphere(1e-7);
  EXPECT_EQ(SRF_ToBspline(0.001, dot.get(), &flat, out, &flag), -4);
  EXPECT_EQ(out, nullptr);
}

TEST_F(SurfaceRecordsTest, PeriodicBsplineSurfaceWraps) {
  // A full turn of a tube: periodic along u.
  BCRV* gen = nullptr;
  const double a[3] = {2, 0, 0}, b[3] = {3, 0, 1}, o[3] = {0, 0, 0}, z[3] = {0, 0, 1};
  ASSERT_EQ(BCRV_GenLine(a, b, gen), 1);
  _nurbs_surface* s = nullptr;
  ASSERT_EQ(BSRF_GenRevolve(gen, o, z, 2 * std::numbers::pi, s), 1);
  BCRV_Free(gen);
  Rec tube(SRF_NewBspline(s));
  EXPECT_EQ(static_cast<SRF_Bspline*>(tube.get())->uRange.closure, 2);
  double p[3], q[3], su[3], sv[3], tu[3], tv[3];
  SRF_EvDeriv1(p, su, sv, tube.get(), 1.25, 0.3);
  SRF_EvDeriv1(q, tu, tv, tube.get(), 0.25, 0.3);
  EXPECT_NEAR(kt::Dist(p, q), 0.0, 1e-12);
  EXPECT_NEAR(kt::Dist(su, tu), 0.0, 1e-9);
  SRF_EvPos(p, tube.get(), 0.5, 1.5);
  SRF_EvPos(q, tube.get(), 0.5, 1.0);
  EXPECT_NEAR(kt::Dist(p, q), 0.0, 1e-12) << "the open direction is not wrapped";
}

TEST_F(SurfaceRecordsTest, ExtrusionAsBsplineMatches) {
  Rec cyl = Cylinder(0.8), patch = Patch();
  const _tagBox2D box{{0.5, -0.5}, {2.5, 1.0}};
  _nurbs_surface* out = nullptr;
  int flag = 0;
  ASSERT_EQ(SRF_ToBspline(0.001, cyl.get(), &box, out, &flag), 1);
  EXPECT_EQ(flag, 1);
  for (double s : {0.0, 0.4, 1.0})
    for (double t : {0.0, 0.7, 1.0}) {
      double p[3], q[3] = {1e12, 1e12, 0}, pa[3];
      BSRF_EvPos(out, s, t, p);
      ASSERT_EQ(SRF_SnapPoint(q[1], q[0], pa, cyl.get(), p), 1);
      EXPECT_NEAR(kt::Dist(p, pa), 0.0, 1e-9) << "on the extrusion";
      EXPECT_GE(q[1], -0.5 - 1e-9);
      EXPECT_LE(q[1], 1.0 + 1e-9);
    }
  double c0[3], c1[3];
  BSRF_EvPos(out, 0, 0, c0);
  SRF_EvPos(c1, cyl.get(), 0.5, -0.5);
  EXPECT_NEAR(kt::Dist(c0, c1), 0.0, 1e-9);
  BSRF_Free(out);
  ASSERT_EQ(SRF_ToBspline(0.001, patch.get(), nullptr, out, &flag), 1);
  EXPECT_NE(out, static_cast<SRF_Bspline*>(patch.get())->surface);
  BSRF_Free(out);
  EXPECT_EQ(SRF_ToBspline(1e-7, patch.get(), nullptr, out, &flag), 0);
}

TEST_F(SurfaceRecordsTest, NormalFailsWhereBothPartialsVanish) {
  // A patch squeezed to one point.
  _nurbs_surface* s = BSRF_Create(2, 2, 2, 2);
  for (int j = 0; j < 2; ++j)
    for (int i = 0; i < 2; ++i) s->net[j][i][3] = 1.0;
  Rec r(SRF_NewBspline(s));
  double n[3], p[3];
  EXPECT_EQ(SRF_EvPosNormal(n, r.get(), p, 0.5, 0.5), 0);
  ENT_Record line{ENT_LINE, 1};
  EXPECT_EQ(SRF_EvPosNormal(n, &line, p, 0, 0), 0);
  EXPECT_EQ(SRF_EvPos(p, nullptr, 0, 0), 0);
}

TEST_F(SurfaceRecordsTest, PointSolverMeetsBothSurfacesOnThePlane) {
  _rect_fm3d f;
  RF_Init(&f);
  Rec sphere(kt::NewSphere(f, 1.0)), plane(SRF_NewBspline(kt::PlaneZ0(2.0)));
  // The plane x = 0.6 cuts the circle z = 0, |p| = 1 at y = 0.8.
  const double P0[3] = {0.6, 0.7, 0.1}, t[3] = {1, 0, 0};
  double uvA[2] = {0.8, 0.2}, uvB[2] = {0.6, 0.7}, p[3];
  ASSERT_EQ(SSI_SolvePoint(p, uvA, uvB, sphere.get(), plane.get(), P0, t, 1e-10), 1);
  EXPECT_NEAR(p[0], 0.6, 1e-9);
  EXPECT_NEAR(p[1], 0.8, 1e-9);
  EXPECT_NEAR(p[2], 0.0, 1e-9);
  double q[3];
  SRF_EvPos(q, sphere.get(), uvA[0], uvA[1]);
  EXPECT_NEAR(kt::Dist(p, q), 0.0, 1e-9);
  // Parallel surfaces never meet.
  Rec other(SRF_NewBspline(kt::PlaneZ0(2.0)));
  BSRF_Move(static_cast<SRF_Bspline*>(other.get())->surface, t);
  const double up[3] = {0, 0, 1};
  BSRF_Move(static_cast<SRF_Bspline*>(other.get())->surface, up);
  double a[2] = {0.5, 0.5}, b[2] = {0.5, 0.5};
  EXPECT_EQ(SSI_SolvePoint(p, a, b, plane.get(), other.get(), P0, t, 1e-10), 0);
}

TEST_F(SurfaceRecordsTest, IntersectionEntryRefusesNonSurfaces) {
  Rec patch = Patch();
  ENT_Record line{ENT_LINE, 1};
  LST_Node* traces = reinterpret_cast<LST_Node*>(1);
  SSI_CurveNode* curves = reinterpret_cast<SSI_CurveNode*>(1);
  EXPECT_EQ(SRF_IntersectSurfaces(&line, &line, nullptr, nullptr, nullptr, nullptr, &traces,
                                  &curves),
            0);
  EXPECT_EQ(SRF_IntersectSurfaces(nullptr, patch.get(), nullptr, nullptr, nullptr, nullptr,
                                  &traces, &curves),
            0);
}

}  // namespace
