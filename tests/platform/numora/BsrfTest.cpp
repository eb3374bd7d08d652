#include "platform/numora/Bsrf.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <functional>
#include <vector>
#include <numbers>

#include "platform/numora/Frame.h"
#include "tests/platform/numora/BsrfTestUtil.h"

namespace {

double Len(const double a[3]) { return std::sqrt(a[0] * a[0] + a[1] * a[1] + a[2] * a[2]); }

}  // namespace

TEST(Bsrf, CreateCloneAndBadCounts) {
  SrfPtr s(BSRF_Create(3, 2, 5, 4));
  ASSERT_TRUE(s);
  EXPECT_TRUE(BSRF_IsValid(s.get()));
  EXPECT_EQ(s->uKnots[0], 0.0);
  EXPECT_EQ(s->uKnots[7], 1.0);
  EXPECT_DOUBLE_EQ(s->uKnots[3], 1.0 / 3);
  EXPECT_EQ(s->vKnots[2], 1.0 / 3);
  EXPECT_EQ(s->net[3][4][3], 1.0);
  EXPECT_EQ(BSRF_Create(3, 2, 2, 4), nullptr);
  EXPECT_EQ(BSRF_Create(0, 2, 5, 4), nullptr);
  EXPECT_EQ(BSRF_Create(3, 2, 5, 1 << 30), nullptr);
  BSRF_Free(nullptr);
  SrfPtr w = MakeWavySurface();
  SrfPtr c(BSRF_Clone(w.get()));
  ASSERT_TRUE(c);
  EXPECT_NE(c->net[0], w->net[0]);
  for (int j = 0; j < 5; ++j) EXPECT_EQ(std::memcmp(c->net[j], w->net[j], sizeof(double[4]) * 6), 0);
  EXPECT_EQ(BSRF_Clone(nullptr), nullptr);
  NET4D net = NET4D_Create(3, 7);
  ASSERT_TRUE(net);
  EXPECT_EQ(net[2][6][3], 1.0);
  NET4D_Free(net, 3);
  EXPECT_EQ(NET4D_Create(0, 3), nullptr);
  NET4D_Free(nullptr, 3);
}

TEST(Bsrf, BadRecordsFailCleanly) {
  struct Case {
    const char* name;
    void (*spoil)(_nurbs_surface*);
  };
  const Case cases[] = {
      {"decreasing u knots", [](_nurbs_surface* s) { s->uKnots[4] = 0.9; }},
      {"empty v domain", [](_nurbs_surface* s) { for (int i = 0; i < 8; ++i) s->vKnots[i] = 0.3; }},
      {"zero weight", [](_nurbs_surface* s) { s->net[2][3][3] = 0.0; }},
      {"count below order", [](_nurbs_surface* s) { s->nu = 3; }},
      {"huge count", [](_nurbs_surface* s) { s->nv = 1 << 30; }},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.name);
    SrfPtr s = MakeWavySurface();
    const int nv = s->nv;
    k.spoil(s.get());
    EXPECT_FALSE(BSRF_IsValid(s.get()));
    EXPECT_EQ(BSRF_Clone(s.get()), nullptr);
    double du, dv, p[3], n[3], f[3], dist, u = 0.5, v = 0.5;
    EXPECT_EQ(BSRF_GetMaxiStepLin(s.get(), 0.01, &du, &dv), 0);
    EXPECT_EQ(BSRF_SnapPnt(s.get(), p, 0.01, f, u, v, dist), 0);
    _param U, V;
    EXPECT_EQ(BSRF_GetParam(s.get(), 1e-8, 1e-11, &U, &V), 0);
    for (double t : {0.0, 0.5, 1.0}) {
      if (BSRF_EvNormal(s.get(), t, t, p, n)) {
        EXPECT_TRUE(std::isfinite(p[0] + p[1] + p[2] + n[0]));
      }
    }
    s->nv = nv;  // let the deleter free the rows it has
  }
  double p[3];
  EXPECT_EQ(BSRF_EvPos(nullptr, 0, 0, p), 0);
}

TEST(Bsrf, RevolvedSphereIsExactWithRadialNormals) {
  const double c[3] = {1, -2, 0.5}, r = 3;
  SrfPtr s = MakeSphere(c, r);
  ASSERT_TRUE(s);
  for (int j = 0; j <= 40; ++j)
    for (int i = 0; i <= 40; ++i) {
      const double u = i / 40.0, v = j / 40.0;
      double p[3], n[3];
      ASSERT_EQ(BSRF_EvNormal(s.get(), u, v, p, n), 1);
      const double d[3] = {p[0] - c[0], p[1] - c[1], p[2] - c[2]};
      EXPECT_NEAR(Len(d), r, 1e-12);
      EXPECT_NEAR(Len(n), 1.0, 1e-12);
      // Radial, the same way everywhere (poles included).
      const double cosang = (d[0] * n[0] + d[1] * n[1] + d[2] * n[2]) / r;
      EXPECT_GT(std::fabs(cosang), 1 - ((j == 0 || j == 40) ? 1e-6 : 1e-12));
    }
  double p0[3], n0[3], p1[3], n1[3];
  BSRF_EvNormal(s.get(), 0.3, 0.5, p0, n0);
  BSRF_EvNormal(s.get(), 0.3, 0.0, p1, n1);
  const double s0 = n0[0] * (p0[0] - c[0]) + n0[1] * (p0[1] - c[1]) + n0[2] * (p0[2] - c[2]);
  const double s1 = n1[0] * (p1[0] - c[0]) + n1[1] * (p1[1] - c[1]) + n1[2] * (p1[2] - c[2]);
  EXPECT_GT(s0 * s1, 0.0);
}

TEST(Bsrf, DerivativesMatchFiniteDifferences) {
  const double c[3] = {0, 0, 0};
  SrfPtr sphere = MakeSphere(c, 2.0);
  SrfPtr wavy = MakeWavySurface();
  for (_nurbs_surface* s : {sphere.get(), wavy.get()}) {
    for (auto [u, v] : {std::pair{0.2, 0.3}, {0.51, 0.77}, {0.9, 0.1}}) {
      const double h = 1e-5;
      double P[3], Su[3], Sv[3], Suu[3], Suv[3], Svv[3];
      ASSERT_EQ(BSRF_Ev2Der(s, u, v, P, Su, Sv, Suu, Suv, Svv), 1);
      double a[3], b[3], au[3], av[3], bu[3], bv[3];
      BSRF_Ev1Der(s, u + h, v, a, au, av);
      BSRF_Ev1Der(s, u - h, v, b, bu, bv);
      for (int k = 0; k < 3; ++k) {
        EXPECT_NEAR(Su[k], (a[k] - b[k]) / (2 * h), 1e-5 * (1 + std::fabs(Su[k])));
        EXPECT_NEAR(Suu[k], (au[k] - bu[k]) / (2 * h), 1e-4 * (1 + std::fabs(Suu[k])));
        EXPECT_NEAR(Suv[k], (av[k] - bv[k]) / (2 * h), 1e-4 * (1 + std::fabs(Suv[k])));
      }
      BSRF_Ev1Der(s, u, v + h, a, au, av);
      BSRF_Ev1Der(s, u, v - h, b, bu, bv);
      for (int k = 0; k < 3; ++k) {
        EXPECT_NEAR(Sv[k], (a[k] - b[k]) / (2 * h), 1e-5 * (1 + std::fabs(Sv[k])));
        EXPECT_NEAR(Svv[k], (av[k] - bv[k]) / (2 * h), 1e-4 * (1 + std::fabs(Svv[k])));
      }
    }
  }
}

TEST(Bsrf, ParameterRangesSeeSeamsPolesAndCreases) {
  const double c[3] = {0, 0, 0};
  SrfPtr sphere = MakeSphere(c, 2.0);
  _param U, V;
  ASSERT_EQ(BSRF_GetParam(sphere.get(), 1e-8, 1e-11, &U, &V), 1);
  EXPECT_EQ(U.closure, 2);
  EXPECT_EQ(U.startKind, 1);
  EXPECT_EQ(V.startKind, 3);
  EXPECT_EQ(V.endKind, 3);
  EXPECT_EQ(V.closure, 0);
  EXPECT_EQ(U.min, 0.0);
  EXPECT_EQ(U.max, 1.0);
  EXPECT_EQ(U.reserved1, 3);
  EXPECT_EQ(U.reserved2, 1);

  // A closed square extruded: closed with a crease along u.
  const double sq[5][3] = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}, {0, 0, 0}};
  BCRV* poly = nullptr;
  ASSERT_EQ(BCRV_IntpPs(sq, 5, 2, poly), 1);
  CrvPtr hold(poly);
  const double up[3] = {0, 0, 1};
  _nurbs_surface* box = nullptr;
  ASSERT_EQ(BSRF_GenExtrude(poly, up, 2.0, box), 1);
  SrfPtr hb(box);
  ASSERT_EQ(BSRF_GetParam(box, 1e-8, 1e-11, &U, &V), 1);
  EXPECT_EQ(U.closure, 1);
  EXPECT_EQ(V.closure, 0);
  EXPECT_EQ(V.startKind, 1);

  SrfPtr wavy = MakeWavySurface();
  ASSERT_EQ(BSRF_GetParam(wavy.get(), 1e-8, 1e-11, &U, &V), 1);
  EXPECT_EQ(U.closure + V.closure, 0);
  EXPECT_EQ(U.startKind + U.endKind + V.startKind + V.endKind, 4);
}

TEST(Bsrf, ExtrusionAndRevolutionFollowTheirDefinitions) {
  CrvPtr c = MakeWavyCurve();
  const double dir[3] = {0, 3, 4};
  _nurbs_surface* e = nullptr;
  ASSERT_EQ(BSRF_GenExtrude(c.get(), dir, 2.0, e), 1);
  SrfPtr he(e);
  for (double u : {0.0, 0.3, 0.8, 1.0})
    for (double v : {0.0, 0.5, 1.0}) {
      double p[3], q[3];
      BSRF_EvPos(e, u, v, p);
      BCRV_EvPos(c.get(), u, q);
      const double want[3] = {q[0], q[1] + v * 2 * 0.6, q[2] + v * 2 * 0.8};
      EXPECT_LT(Dist3(p, want), 1e-12);
    }
  const double zero[3] = {0, 0, 0};
  EXPECT_EQ(BSRF_GenExtrude(c.get(), zero, 2.0, e), 0);
  EXPECT_EQ(e, nullptr);

  // Revolving a line about a parallel axis gives a cylinder of that radius.
  CrvPtr l(BCRV_New());
  const double a[3] = {3, 1, 0}, b[3] = {3, 1, 5}, pt[3] = {1, 1, 0}, ax[3] = {0, 0, 2};
  l->GenLine(a, b);
  _nurbs_surface* cyl = nullptr;
  ASSERT_EQ(BSRF_GenRevolve(l.get(), pt, ax, -std::numbers::pi / 2, cyl), 1);
  SrfPtr hc(cyl);
  for (int i = 0; i <= 20; ++i) {
    double p[3];
    BSRF_EvPos(cyl, i / 20.0, 0.4, p);
    EXPECT_NEAR(std::hypot(p[0] - 1, p[1] - 1), 2.0, 1e-12);
    EXPECT_NEAR(p[2], 2.0, 1e-12);
  }
  double end[3];
  BSRF_EvPos(cyl, 1.0, 0.0, end);  // a clockwise quarter turn from (3, 1)
  EXPECT_NEAR(end[0], 1, 1e-12);
  EXPECT_NEAR(end[1], -1, 1e-12);
  EXPECT_EQ(BSRF_GenRevolve(l.get(), pt, zero, 1.0, cyl), 0);
}

TEST(Bsrf, SnapAgreesWithBruteForce) {
  SrfPtr s = MakeWavySurface(9);
  std::mt19937 g(1);
  std::uniform_real_distribution<double> x(-1, 11), y(-1, 9), z(-3, 3);
  for (int k = 0; k < 12; ++k) {
    const double q[3] = {x(g), y(g), z(g)};
    double foot[3], u = 1e12, v = 1e12, dist = -1;
    ASSERT_EQ(BSRF_SnapPnt(s.get(), q, 1e-9, foot, u, v, dist), 1);
    const double brute = BruteDist(s.get(), q);
    EXPECT_LE(dist, brute + 1e-7);
    EXPECT_NEAR(Dist3(foot, q), dist, 1e-12);
    double p[3];
    BSRF_EvPos(s.get(), u, v, p);
    EXPECT_LT(Dist3(p, foot), 1e-12);
  }
  // A point on the surface snaps onto itself from a nearby guess.
  double p[3], foot[3], dist;
  BSRF_EvPos(s.get(), 0.42, 0.63, p);
  double u = 0.4, v = 0.6;
  ASSERT_EQ(BSRF_SnapPnt(s.get(), p, 1e-10, foot, u, v, dist), 1);
  EXPECT_LT(dist, 1e-9);
  EXPECT_NEAR(u, 0.42, 1e-7);
  EXPECT_NEAR(v, 0.63, 1e-7);
}

TEST(Bsrf, MaxStepsKeepTrianglesWithinTolerance) {
  const double c[3] = {0, 0, 0};
  SrfPtr sphere = MakeSphere(c, 10);
  SrfPtr wavy = MakeWavySurface();
  for (_nurbs_surface* s : {sphere.get(), wavy.get()}) {
    for (double tol : {0.1, 0.01}) {
      double du = 0, dv = 0;
      ASSERT_EQ(BSRF_GetMaxiStepLin(s, tol, &du, &dv), 1);
      ASSERT_GT(du, 0.0);
      ASSERT_GT(dv, 0.0);
      double worst = 0;
      for (double u = 0; u + du <= 1; u += du * 0.7)
        for (double v = 0; v + dv <= 1; v += dv * 0.7) {
          double a[3], b[3], m[3];
          // Midpoint of the cell diagonal and of both edges against their chords.
          for (auto [fu, fv] : {std::pair{1.0, 1.0}, {1.0, 0.0}, {0.0, 1.0}}) {
            BSRF_EvPos(s, u, v, a);
            BSRF_EvPos(s, u + fu * du, v + fv * dv, b);
            BSRF_EvPos(s, u + fu * du / 2, v + fv * dv / 2, m);
            const double mid[3] = {(a[0] + b[0]) / 2, (a[1] + b[1]) / 2, (a[2] + b[2]) / 2};
            worst = std::max(worst, Dist3(mid, m));
          }
        }
      EXPECT_LE(worst, tol);
      EXPECT_GT(worst, tol * 0.02);
    }
  }
}

TEST(Bsrf, TransformsMapEveryPoint) {
  SrfPtr base = MakeWavySurface();
  _rect_fm3d f;
  RF_Init(&f);
  const double ang = 0.7;
  f.xAxis[0] = std::cos(ang); f.xAxis[1] = std::sin(ang);
  f.yAxis[0] = -std::sin(ang); f.yAxis[1] = std::cos(ang);
  f.origin[0] = 3; f.origin[1] = -1; f.origin[2] = 2;
  struct Tx {
    const char* name;
    std::function<void(_nurbs_surface*)> apply;
    std::function<void(const double*, double*)> map;
  };
  const double d[3] = {1, 2, 3}, pt[3] = {1, 0, 0}, ax[3] = {0, 0, 1}, nrm[3] = {0, 0, 2};
  const std::vector<Tx> txs = {
      {"move", [&](_nurbs_surface* s) { BSRF_Move(s, d); },
       [&](const double* a, double* o) { for (int k = 0; k < 3; ++k) o[k] = a[k] + d[k]; }},
      {"rotate", [&](_nurbs_surface* s) { BSRF_Roate(s, pt, ax, std::numbers::pi); },
       [&](const double* a, double* o) { o[0] = 2 - a[0]; o[1] = -a[1]; o[2] = a[2]; }},
      {"mirror", [&](_nurbs_surface* s) { BSRF_Mirror(s, d, nrm); },
       [&](const double* a, double* o) { o[0] = a[0]; o[1] = a[1]; o[2] = 6 - a[2]; }},
      {"mirror2d", [&](_nurbs_surface* s) { const double b[3] = {1, 1, 0}; BSRF_Mirror2D(s, pt, b); },
       [&](const double* a, double* o) { o[0] = a[1] + 1; o[1] = a[0] - 1; o[2] = a[2]; }},
      {"shift", [&](_nurbs_surface* s) { const double q[3] = {0.5, 0.25, 0}; BSRF_Shift(s, d, q); },
       [&](const double* a, double* o) { o[0] = a[0] + 0.5 * (a[1] - 2); o[1] = a[1] + 0.25 * (a[0] - 1); o[2] = a[2]; }},
      {"scale", [&](_nurbs_surface* s) { const double k[3] = {2, -1, 3}; BSRF_Scale(s, d, k); },
       [&](const double* a, double* o) { o[0] = 1 + 2 * (a[0] - 1); o[1] = 2 - (a[1] - 2); o[2] = 3 + 3 * (a[2] - 3); }},
      {"matrix", [&](_nurbs_surface* s) { const double m[4][4] = {{0, -1, 0, 5}, {1, 0, 0, 0}, {0, 0, 2, 1}, {0, 0, 0, 1}}; BSRF_Transform(s, m); },
       [&](const double* a, double* o) { o[0] = -a[1] + 5; o[1] = a[0]; o[2] = 2 * a[2] + 1; }},
      {"world", [&](_nurbs_surface* s) { BSRF_TransformWorld(s, &f); },
       [&](const double* a, double* o) { RF_TransWorldP3D(&f, a, o); }},
      {"world then local", [&](_nurbs_surface* s) { BSRF_TransformWorld(s, &f); BSRF_TransLocal(s, &f); },
       [&](const double* a, double* o) { std::memcpy(o, a, 3 * sizeof(double)); }},
  };
  for (const Tx& tx : txs) {
    SCOPED_TRACE(tx.name);
    SrfPtr s(BSRF_Clone(base.get()));
    tx.apply(s.get());
    for (double u : {0.0, 0.33, 0.9})
      for (double v : {0.1, 0.6, 1.0}) {
        double a[3], b[3], want[3];
        BSRF_EvPos(base.get(), u, v, a);
        BSRF_EvPos(s.get(), u, v, b);
        tx.map(a, want);
        EXPECT_LT(Dist3(b, want), 1e-11);
      }
  }
}

TEST(Bsrf, InterpolationThroughRows) {
  // Rows: circles of different radii and heights, all from the same generator (compatible).
  const int n = 4;
  const double radii[n] = {1, 2, 1.5, 3}, z[n] = {0, 1, 3, 4};
  std::vector<CrvPtr> rows;
  for (int j = 0; j < n; ++j) {
    rows.emplace_back(BCRV_New());
    const double c[2] = {0, 0};
    rows.back()->GenCircle(c, radii[j]);
    const double up[3] = {0, 0, z[j]};
    rows.back()->Move(up);
  }
  const int nu = rows[0]->n;
  NET4D net = NET4D_Create(n, nu);
  for (int j = 0; j < n; ++j) std::memcpy(net[j], rows[size_t(j)]->ctrlPts, sizeof(double[4]) * nu);
  for (bool uniform : {false, true}) {
    SCOPED_TRACE(uniform);
    _nurbs_surface* s = nullptr;
    ASSERT_EQ((uniform ? BSRF_IntpPsUniK : BSRF_IntpPs)(n, net, rows[0].get(), 4, s), 1);
    SrfPtr hs(s);
    EXPECT_EQ(s->kv, 4);
    EXPECT_EQ(s->ku, rows[0]->order);
    // Every row lies on the surface; with equal spacing row j is the iso curve at j/(n-1).
    for (int j = 0; j < n; ++j) {
      for (int i = 0; i <= 16; ++i) {
        double p[3], q[3], foot[3], u = 1e12, v = 1e12, dist;
        BCRV_EvPos(rows[size_t(j)].get(), i / 16.0, q);
        ASSERT_EQ(BSRF_SnapPnt(s, q, 1e-12, foot, u, v, dist), 1);
        EXPECT_LT(dist, 1e-9);
        if (uniform) {
          BSRF_EvPos(s, i / 16.0, double(j) / (n - 1), p);
          EXPECT_LT(Dist3(p, q), 1e-9);
        }
      }
    }
  }
  _nurbs_surface* s = nullptr;
  EXPECT_EQ(BSRF_IntpPs(1, net, rows[0].get(), 4, s), 0);
  EXPECT_EQ(BSRF_IntpPs(n, net, nullptr, 4, s), 0);
  NET4D_Free(net, n);
}

TEST(Bsrf, SplitsOnlyWhereTangentsBreak) {
  // A profile with a 90 degree corner, extruded: two pieces. A smooth C0-knotted one: one.
  const double pa[3] = {0, 0, 0}, pb[3] = {2, 0, 0}, pc[3] = {2, 3, 0};
  CrvPtr l1(BCRV_New()), l2(BCRV_New());
  l1->GenLine(pa, pb);
  l2->GenLine(pb, pc);
  BCRV* two[2] = {l1.get(), l2.get()};
  BCRV* corner = nullptr;
  ASSERT_EQ(BCRV_Merge(2, two, 1e-9, corner), 1);
  CrvPtr hc(corner);
  const double up[3] = {0, 0, 1};
  _nurbs_surface* s = nullptr;
  ASSERT_EQ(BSRF_GenExtrude(corner, up, 1.0, s), 1);
  SrfPtr hs(s);
  std::vector<_nurbs_surface*> pieces;
  ASSERT_EQ(BSRF_USplitG1Discont(s, 0.0872664625997, pieces), 1);
  ASSERT_EQ(pieces.size(), 2u);
  double p[3];
  BSRF_EvPos(pieces[0], 1.0, 0.5, p);
  const double knee[3] = {2, 0, 0.5};
  EXPECT_LT(Dist3(p, knee), 1e-12);
  for (auto* x : pieces) BSRF_Free(x);
  pieces.clear();

  CrvPtr a1(BCRV_New()), a2(BCRV_New());
  const double c0[2] = {0, 0};
  a1->GenArc(c0, 1, 0, 1);
  a2->GenArc(c0, 1, 1, 2.5);
  BCRV* arcs[2] = {a1.get(), a2.get()};
  BCRV* smooth = nullptr;
  ASSERT_EQ(BCRV_Merge(2, arcs, 1e-9, smooth), 1);
  CrvPtr hsm(smooth);
  ASSERT_EQ(BSRF_GenExtrude(smooth, up, 1.0, s), 1);
  SrfPtr hs2(s);
  ASSERT_EQ(BSRF_USplitG1Discont(s, 0.0872664625997, pieces), 1);
  EXPECT_EQ(pieces.size(), 1u);
  for (auto* x : pieces) BSRF_Free(x);
  pieces.clear();
  EXPECT_EQ(BSRF_USplitG1Discont(nullptr, 0.1, pieces), 0);
}
