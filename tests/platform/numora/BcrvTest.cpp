#include "platform/numora/Bcrv.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <vector>
#include <numbers>

#include "tests/platform/numora/BcrvTestUtil.h"

namespace {

bool Clamped01(const BCRV* c) {
  for (int i = 0; i < c->order; ++i)
    if (c->knots[i] != 0.0 || c->knots[c->n + i] != 1.0) return false;
  return BCRV_IsValid(c);
}

}  // namespace

TEST(Bcrv, NewGivesClampedUniformKnotsAndRejectsBadCounts) {
  CrvPtr c(BCRV_New(4, 7));
  ASSERT_TRUE(c);
  EXPECT_TRUE(Clamped01(c.get()));
  EXPECT_DOUBLE_EQ(c->knots[4], 0.25);
  CrvPtr line(BCRV_New(2, 2));
  const double want[4] = {0, 0, 1, 1};
  for (int i = 0; i < 4; ++i) EXPECT_EQ(line->knots[i], want[i]);
  EXPECT_EQ(BCRV_New(0, 3), nullptr);
  EXPECT_EQ(BCRV_New(4, 3), nullptr);
  EXPECT_EQ(BCRV_New(4, 1 << 30), nullptr);
  EXPECT_EQ(BCRV_New(1000, 2000), nullptr);
  BCRV_Free(nullptr);
  CrvPtr empty(BCRV_New());
  ASSERT_TRUE(empty);
  EXPECT_EQ(empty->n, 0);
  double p[3];
  EXPECT_EQ(BCRV_EvPos(empty.get(), 0.5, p), 0);
  EXPECT_EQ(empty->Clone(), nullptr);
}

TEST(Bcrv, BadRecordsFailCleanly) {
  double p[3], d1[3], d2[3], step;
  EXPECT_EQ(BCRV_EvPos(nullptr, 0.5, p), 0);
  EXPECT_EQ(BCRV_Ev2Der(nullptr, 0.5, p, d1, d2), 0);
  EXPECT_EQ(BCRV_GetMaxiStepLin(nullptr, 0.01, step), 0);
  EXPECT_EQ(BCRV_Trim(nullptr, 0.1, 0.2, 0.01), nullptr);

  struct Case {
    const char* name;
    void (*spoil)(BCRV*);
  };
  const Case cases[] = {
      {"decreasing knots", [](BCRV* c) { c->knots[5] = 0.1; }},
      {"empty domain", [](BCRV* c) { for (int i = 0; i < 12; ++i) c->knots[i] = 0.5; }},
      {"zero weight", [](BCRV* c) { c->ctrlPts[3][3] = 0.0; }},
      {"negative weight", [](BCRV* c) { c->ctrlPts[3][3] = -1.0; }},
      {"NaN knot", [](BCRV* c) { c->knots[6] = std::nan(""); }},
      {"count below order", [](BCRV* c) { c->n = 2; }},
      {"huge count", [](BCRV* c) { c->n = 1 << 30; }},
      {"null knots", [](BCRV* c) { std::free(c->knots); c->knots = nullptr; }},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.name);
    CrvPtr c = MakeWavyCurve();
    k.spoil(c.get());
    EXPECT_FALSE(BCRV_IsValid(c.get()));
    EXPECT_EQ(BCRV_Trim(c.get(), 0.2, 0.6, 0.01), nullptr);
    EXPECT_EQ(BCRV_GetMaxiStepLin(c.get(), 0.01, step), 0);
    BCRV* out = nullptr;
    BCRV* arr[1] = {c.get()};
    EXPECT_EQ(BCRV_Merge(1, arr, 0.01, out), 0);
    EXPECT_EQ(out, nullptr);
    EXPECT_EQ(BCRV_ElvDeg(c.get(), 1), 0);
    const double k1 = 0.5;
    EXPECT_EQ(BCRV_InsKnots(c.get(), &k1, 1), 0);
    // Evaluation may or may not answer for a spoilt record, but never with garbage.
    for (double t : {0.0, 0.3, 0.5, 1.0}) {
      if (BCRV_Ev2Der(c.get(), t, p, d1, d2)) {
        EXPECT_TRUE(std::isfinite(p[0]) && std::isfinite(d2[2]));
      }
    }
  }
}

TEST(Bcrv, ArcsAndCirclesAreExact) {
  struct ArcCase {
    double a0, a1;
  };
  const double c[3] = {1.5, -2.0, 0.0};
  const double r = 3.25;
  for (const ArcCase& k : std::vector<ArcCase>{{0.0, 0.3}, {0.2, 1.7}, {-1.0, 2.5},
                                               {5.0, 1.0}, {0.0, 2 * std::numbers::pi}, {1.0, 1.0}}) {
    CrvPtr a(BCRV_New());
    ASSERT_EQ(a->GenArc(c, r, k.a0, k.a1), 1);
    EXPECT_TRUE(Clamped01(a.get()));
    double sweep = k.a1 - k.a0;
    while (sweep <= 0) sweep += 2 * std::numbers::pi;
    double p[3];
    for (int i = 0; i <= 500; ++i) {
      ASSERT_EQ(BCRV_EvPos(a.get(), i / 500.0, p), 1);
      EXPECT_NEAR(std::hypot(p[0] - c[0], p[1] - c[1]), r, 1e-12);
      EXPECT_EQ(p[2], 0.0);
    }
    BCRV_EvPos(a.get(), 0.0, p);
    EXPECT_NEAR(p[0], c[0] + r * std::cos(k.a0), 1e-12);
    EXPECT_NEAR(p[1], c[1] + r * std::sin(k.a0), 1e-12);
    BCRV_EvPos(a.get(), 1.0, p);
    EXPECT_NEAR(p[0], c[0] + r * std::cos(k.a0 + sweep), 1e-12);
    EXPECT_NEAR(p[1], c[1] + r * std::sin(k.a0 + sweep), 1e-12);
    // Counter-clockwise: the tangent turns left of the radius.
    double q[3], d[3];
    BCRV_Ev1Der(a.get(), 0.5, q, d);
    EXPECT_GT((q[0] - c[0]) * d[1] - (q[1] - c[1]) * d[0], 0.0);
  }
  CrvPtr circle(BCRV_New());
  ASSERT_EQ(circle->GenCircle(c, r), 1);
  double s[3], e[3];
  BCRV_EvPos(circle.get(), 0.0, s);
  BCRV_EvPos(circle.get(), 1.0, e);
  EXPECT_NEAR(Dist3(s, e), 0.0, 1e-12);
  EXPECT_NEAR(s[0], c[0] + r, 1e-12);
  EXPECT_EQ(circle->GenCircle(c, 0.0), 0);

  // The arc record in a tilted frame.
  _arc arc{};
  const double X[3] = {1 / std::sqrt(2.0), 0, 1 / std::sqrt(2.0)}, Y[3] = {0, 1, 0};
  std::memcpy(arc.frame.xAxis, X, sizeof X);
  std::memcpy(arc.frame.yAxis, Y, sizeof Y);
  arc.frame.zAxis[0] = -X[2];
  arc.frame.zAxis[2] = X[0];
  arc.frame.origin[0] = 4;
  arc.frame.origin[2] = -1;
  arc.radius = 2;
  arc.sweep = 4.0;
  BCRV* rec = nullptr;
  ASSERT_EQ(BCRV_GenArc(&arc, rec), 1);
  CrvPtr held(rec);
  for (int i = 0; i <= 100; ++i) {
    double p[3];
    BCRV_EvPos(rec, i / 100.0, p);
    const double v[3] = {p[0] - 4, p[1], p[2] + 1};
    EXPECT_NEAR(std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]), 2.0, 1e-12);
    EXPECT_NEAR(v[0] * arc.frame.zAxis[0] + v[2] * arc.frame.zAxis[2], 0.0, 1e-12);
  }
  double p1[3];
  BCRV_EvPos(rec, 1.0, p1);
  EXPECT_NEAR(p1[1], 2 * std::sin(4.0), 1e-12);
  arc.radius = 0;
  EXPECT_EQ(BCRV_GenArc(&arc, rec), 0);
  EXPECT_EQ(rec, nullptr);
  EXPECT_EQ(BCRV_GenArc(nullptr, rec), 0);
}

TEST(Bcrv, EllipseSatisfiesItsEquation) {
  const double c[2] = {2, 3}, a = 5, b = 2, rot = 0.6;
  CrvPtr e(BCRV_New());
  ASSERT_EQ(e->GenEll(c, a, b, rot), 1);
  for (int i = 0; i <= 300; ++i) {
    double p[3];
    BCRV_EvPos(e.get(), i / 300.0, p);
    const double dx = p[0] - c[0], dy = p[1] - c[1];
    const double x = dx * std::cos(rot) + dy * std::sin(rot),
                 y = -dx * std::sin(rot) + dy * std::cos(rot);
    EXPECT_NEAR(x * x / (a * a) + y * y / (b * b), 1.0, 1e-12);
  }
  double s[3];
  BCRV_EvPos(e.get(), 0.0, s);
  EXPECT_NEAR(s[0], c[0] + a * std::cos(rot), 1e-12);
  EXPECT_NEAR(s[1], c[1] + a * std::sin(rot), 1e-12);
  EXPECT_EQ(e->GenEll(c, 0.0, 1.0, 0.0), 0);
}

TEST(Bcrv, DerivativesMatchFiniteDifferences) {
  CrvPtr wavy = MakeWavyCurve();
  CrvPtr arc(BCRV_New());
  const double c[2] = {0, 0};
  arc->GenArc(c, 2.0, 0.1, 4.0);
  for (BCRV* crv : {wavy.get(), arc.get()}) {
    for (double t : {0.03, 0.2, 0.55, 0.77, 0.97}) {
      const double h = 1e-5;
      double p[3], d1[3], d2[3], pm[3], pp[3], dm[3], dp[3], x[3], y[3];
      ASSERT_EQ(BCRV_Ev2Der(crv, t, p, d1, d2), 1);
      BCRV_Ev1Der(crv, t - h, pm, dm);
      BCRV_Ev1Der(crv, t + h, pp, dp);
      BCRV_Ev1Der(crv, t, x, y);
      for (int k = 0; k < 3; ++k) {
        EXPECT_NEAR(d1[k], (pp[k] - pm[k]) / (2 * h), 1e-5 * (1 + std::fabs(d1[k])));
        EXPECT_NEAR(d2[k], (dp[k] - dm[k]) / (2 * h), 1e-4 * (1 + std::fabs(d2[k])));
        EXPECT_EQ(y[k], d1[k]);
        EXPECT_EQ(x[k], p[k]);
      }
    }
  }
}

TEST(Bcrv, KnotInsertionElevationTrimAndReverseKeepTheShape) {
  CrvPtr base = MakeWavyCurve(11);
  {
    CrvPtr c(base->Clone());
    const double ks[] = {0.0, 0.05, 0.4, 0.5, 0.5, 0.93, 1.0};
    ASSERT_EQ(BCRV_InsKnots(c.get(), ks, 7), 1);
    EXPECT_EQ(c->n, base->n + 5);  // the end knots are already full
    const double outside[] = {0.5, 1.5};
    EXPECT_EQ(BCRV_InsKnots(c.get(), outside, 2), 0);
    EXPECT_LT(MaxSampleGap(c.get(), base.get()), 1e-12);
  }
  for (int times : {1, 2, 3}) {
    CrvPtr c(base->Clone());
    ASSERT_EQ(BCRV_ElvDeg(c.get(), times), 1);
    EXPECT_EQ(c->order, base->order + times);
    // Continuity is kept: the knot vector has each interior value times more often.
    EXPECT_EQ(c->n, base->n + times * 4);
    EXPECT_LT(MaxSampleGap(c.get(), base.get()), 1e-10);
  }
  for (auto [a, b] : std::vector<std::pair<double, double>>{{0.2, 0.7}, {0.0, 0.4}, {0.4, 1.0},
                                                            {0.15, 0.16}}) {
    CrvPtr piece(BCRV_Trim(base.get(), a, b, 0.01));
    ASSERT_TRUE(piece);
    EXPECT_TRUE(Clamped01(piece.get()));
    for (int i = 0; i <= 200; ++i) {
      double p[3], q[3];
      BCRV_EvPos(piece.get(), i / 200.0, p);
      BCRV_EvPos(base.get(), a + (b - a) * i / 200.0, q);
      EXPECT_LT(Dist3(p, q), 1e-11);
    }
  }
  EXPECT_EQ(BCRV_Trim(base.get(), 0.6, 0.6, 0.01), nullptr);
  EXPECT_EQ(BCRV_Trim(base.get(), 0.7, 0.2, 0.01), nullptr);

  CrvPtr r(base->Clone());
  r->Reverse();
  EXPECT_TRUE(Clamped01(r.get()));
  for (int i = 0; i <= 100; ++i) {
    double p[3], q[3];
    BCRV_EvPos(r.get(), i / 100.0, p);
    BCRV_EvPos(base.get(), 1.0 - i / 100.0, q);
    EXPECT_LT(Dist3(p, q), 1e-12);
  }
}

TEST(Bcrv, InsertedKnotIsRemovedAgainRestoringThePoints) {
  CrvPtr base = MakeWavyCurve(3);
  // 0.4 is already a double knot of the cubic, so it takes one more copy only.
  for (auto [u, times] : std::vector<std::pair<double, int>>{{0.27, 2}, {0.4, 1}, {0.61, 3}}) {
    SCOPED_TRACE(u);
    CrvPtr c(base->Clone());
    const std::vector<double> ks(size_t(times), u);
    ASSERT_EQ(BCRV_InsKnots(c.get(), ks.data(), times), 1);
    ASSERT_EQ(c->n, base->n + times);
    EXPECT_EQ(BCRV_RemKnot(c.get(), u, times, 1e-9), times);
    ASSERT_EQ(c->n, base->n);
    for (int i = 0; i < c->n; ++i)
      for (int k = 0; k < 4; ++k) EXPECT_NEAR(c->ctrlPts[i][k], base->ctrlPts[i][k], 1e-10);
    for (int i = 0; i < c->n + c->order; ++i) EXPECT_NEAR(c->knots[i], base->knots[i], 1e-15);
  }
  // A knot the shape needs stays, and the curve is untouched.
  CrvPtr c(base->Clone());
  EXPECT_EQ(BCRV_RemKnot(c.get(), 0.15, 1, 1e-6), 0);
  EXPECT_EQ(MaxSampleGap(c.get(), base.get()), 0.0);
}

TEST(Bcrv, MergeJoinsPiecesOfMixedOrders) {
  CrvPtr line(BCRV_New()), arc(BCRV_New());
  const double s[3] = {-3, 0, 0}, e[3] = {1, 0, 0}, c[2] = {1, 1};
  line->GenLine(s, e);
  arc->GenArc(c, 1.0, -std::numbers::pi / 2, 0.0);  // starts at (1, 0)
  BCRV* pieces[2] = {line.get(), arc.get()};
  BCRV* m = nullptr;
  ASSERT_EQ(BCRV_Merge(2, pieces, 0.01, m), 1);
  CrvPtr merged(m);
  EXPECT_TRUE(Clamped01(m));
  EXPECT_EQ(m->order, 3);
  // Every merged point lies on the line or the arc; both ends are kept.
  for (int i = 0; i <= 400; ++i) {
    double p[3];
    BCRV_EvPos(m, i / 400.0, p);
    const double dl = std::fabs(p[1]) + (p[0] > 1 + 1e-12 ? 1.0 : 0.0);
    const double da = std::fabs(std::hypot(p[0] - 1, p[1] - 1) - 1.0) + (p[0] < 1 - 1e-12 ? 1 : 0);
    EXPECT_LT(std::min(dl, da), 1e-12);
  }
  // The joint is a C0 knot; elevating keeps it (and the shape).
  CrvPtr up(m->Clone());
  ASSERT_EQ(BCRV_ElvDeg(up.get(), 2), 1);
  EXPECT_EQ(up->order, 5);
  EXPECT_LT(MaxSampleGap(up.get(), m), 1e-12);
  double a[3], b[3];
  BCRV_EvPos(m, 0.0, a);
  BCRV_EvPos(m, 1.0, b);
  EXPECT_NEAR(a[0], -3, 1e-12);
  EXPECT_NEAR(b[0], 2, 1e-12);
  EXPECT_NEAR(b[1], 1, 1e-12);

  // Pieces of a split curve merge back: each piece is the merged curve over its share.
  CrvPtr w = MakeWavyCurve();
  CrvPtr p1(BCRV_Trim(w.get(), 0, 0.3, 0)), p2(BCRV_Trim(w.get(), 0.3, 1, 0));
  BCRV* two[2] = {p1.get(), p2.get()};
  ASSERT_EQ(BCRV_Merge(2, two, 1e-9, m), 1);
  CrvPtr back(m);
  double joint = -1;
  for (int i = m->order; i < m->n; ++i)
    if (CalKnotMul(m->knots, m->n + m->order, m->knots[i]) == m->order - 1) joint = m->knots[i];
  ASSERT_GT(joint, 0.0);
  for (int i = 0; i <= 100; ++i) {
    const double s = i / 100.0;
    double a[3], b[3];
    BCRV_EvPos(m, joint * s, a);
    BCRV_EvPos(p1.get(), s, b);
    EXPECT_LT(Dist3(a, b), 1e-11);
    BCRV_EvPos(m, joint + (1 - joint) * s, a);
    BCRV_EvPos(p2.get(), s, b);
    EXPECT_LT(Dist3(a, b), 1e-11);
  }

  // A gap wider than the tolerance is refused.
  CrvPtr far(BCRV_New());
  const double f0[3] = {5, 5, 0}, f1[3] = {6, 5, 0};
  far->GenLine(f0, f1);
  BCRV* gap[2] = {line.get(), far.get()};
  EXPECT_EQ(BCRV_Merge(2, gap, 0.02, m), 0);
  EXPECT_EQ(m, nullptr);
  BCRV* withNull[2] = {line.get(), nullptr};
  EXPECT_EQ(BCRV_Merge(2, withNull, 0.02, m), 0);
}

TEST(Bcrv, ZeroLengthLineIsAllowed) {
  const double p[3] = {1, 2, 3};
  BCRV* c = nullptr;
  ASSERT_EQ(BCRV_GenLine(p, p, c), 1);
  CrvPtr held(c);
  double q[3], d[3];
  ASSERT_EQ(BCRV_Ev1Der(c, 0.5, q, d), 1);
  EXPECT_EQ(Dist3(p, q), 0.0);
  double pt[3], v[3];
  EXPECT_EQ(BCRV::IsPlanar(c, 1e-6, pt, v), 3);
}

TEST(Bcrv, MaxStepKeepsChordsWithinTolerance) {
  CrvPtr wavy = MakeWavyCurve();
  CrvPtr circle(BCRV_New());
  const double c[2] = {0, 0};
  circle->GenCircle(c, 10.0);
  for (BCRV* crv : {wavy.get(), circle.get()}) {
    for (double tol : {0.1, 0.01, 0.001}) {
      double step = 0;
      ASSERT_EQ(BCRV_GetMaxiStepLin(crv, tol, step), 1);
      ASSERT_GT(step, 0.0);
      double worst = 0;
      for (double t = 0; t + step <= 1.0; t += step / 3) {
        double a[3], b[3], m[3];
        BCRV_EvPos(crv, t, a);
        BCRV_EvPos(crv, t + step, b);
        for (int i = 1; i < 8; ++i) {
          BCRV_EvPos(crv, t + step * i / 8, m);
          // Distance of m from segment ab.
          double ab[3], am[3];
          for (int k = 0; k < 3; ++k) { ab[k] = b[k] - a[k]; am[k] = m[k] - a[k]; }
          const double L2 = ab[0] * ab[0] + ab[1] * ab[1] + ab[2] * ab[2];
          const double s = L2 > 0 ? std::clamp((am[0] * ab[0] + am[1] * ab[1] + am[2] * ab[2]) / L2, 0.0, 1.0) : 0;
          double f[3] = {a[0] + s * ab[0], a[1] + s * ab[1], a[2] + s * ab[2]};
          worst = std::max(worst, Dist3(f, m));
        }
      }
      EXPECT_LE(worst, tol);
      // And not wastefully small: the chord error of the step is a sizeable share of tol.
      EXPECT_GT(worst, tol * 0.05);
    }
  }
  double step = 0;
  EXPECT_EQ(BCRV_GetMaxiStepLin(circle.get(), 0.0, step), 0);
}

TEST(Bcrv, ControlPointsAndTransforms) {
  CrvPtr c = MakeWavyCurve();
  CrvPtr orig(c->Clone());
  double p[3];
  ASSERT_EQ(c->GetCtrlPt(2, p), 1);
  EXPECT_NEAR(p[0], orig->ctrlPts[2][0] / orig->ctrlPts[2][3], 1e-15);
  const double q[3] = {7, 8, 9};
  ASSERT_EQ(c->SetCtrlPt(2, q), 1);
  EXPECT_EQ(c->ctrlPts[2][3], orig->ctrlPts[2][3]);
  c->GetCtrlPt(2, p);
  EXPECT_NEAR(Dist3(p, q), 0, 1e-14);
  EXPECT_EQ(c->GetCtrlPt(8, p), 0);
  EXPECT_EQ(c->SetCtrlPt(-1, q), 0);

  // Each transform maps every curve point as the map itself does.
  struct Tx {
    const char* name;
    void (*apply)(BCRV*);
    void (*map)(const double*, double*);
  };
  const Tx txs[] = {
      {"move", [](BCRV* b) { const double d[3] = {1, -2, 3}; b->Move(d); },
       [](const double* a, double* o) { o[0] = a[0] + 1; o[1] = a[1] - 2; o[2] = a[2] + 3; }},
      {"rotate", [](BCRV* b) { const double c[3] = {1, 1, 0}, ax[3] = {0, 0, 2}; b->Rotate(c, ax, std::numbers::pi / 2); },
       [](const double* a, double* o) { o[0] = 1 - (a[1] - 1); o[1] = 1 + (a[0] - 1); o[2] = a[2]; }},
      {"scale", [](BCRV* b) { const double c[3] = {1, 2, 3}, f[3] = {2, 3, -1}; b->Scale(c, f); },
       [](const double* a, double* o) { o[0] = 1 + 2 * (a[0] - 1); o[1] = 2 + 3 * (a[1] - 2); o[2] = 3 - (a[2] - 3); }},
      {"shift", [](BCRV* b) { const double c[3] = {1, 2, 0}, s[3] = {0.5, -0.25, 0}; b->Shift(c, s); },
       [](const double* a, double* o) { o[0] = a[0] + 0.5 * (a[1] - 2); o[1] = a[1] - 0.25 * (a[0] - 1); o[2] = a[2]; }},
  };
  for (const Tx& tx : txs) {
    SCOPED_TRACE(tx.name);
    CrvPtr t(orig->Clone());
    tx.apply(t.get());
    for (int i = 0; i <= 50; ++i) {
      double a[3], b[3], want[3];
      BCRV_EvPos(orig.get(), i / 50.0, a);
      BCRV_EvPos(t.get(), i / 50.0, b);
      tx.map(a, want);
      EXPECT_LT(Dist3(b, want), 1e-11);
    }
  }
}

TEST(Bcrv, PlanarityCodes) {
  double pt[3], v[3];
  CrvPtr circle(BCRV_New());
  const double c[2] = {1, 1};
  circle->GenCircle(c, 2);
  EXPECT_EQ(BCRV::IsPlanar(circle.get(), 1e-6, pt, v), 1);
  EXPECT_NEAR(std::fabs(v[2]), 1.0, 1e-12);
  CrvPtr line(BCRV_New());
  const double a[3] = {0, 0, 0}, b[3] = {1, 2, 3};
  line->GenLine(a, b);
  ASSERT_EQ(BCRV::IsPlanar(line.get(), 1e-6, pt, v), 2);
  EXPECT_NEAR(v[0], 1 / std::sqrt(14.0), 1e-12);
  EXPECT_NEAR(v[2], 3 / std::sqrt(14.0), 1e-12);
  EXPECT_EQ(BCRV::IsPlanar(MakeWavyCurve().get(), 1e-6, pt, v), 0);
  EXPECT_EQ(BCRV::IsPlanar(nullptr, 1e-6, pt, v), 0);
}

TEST(Bcrv, ConicFergusonAndHomogeneousHelpers) {
  const double p0[3] = {1, 0, 0}, p1[3] = {1, 1, 0}, p2[3] = {0, 1, 0};
  CrvPtr conic(BCRV_CreConic(p0, p1, p2, std::sqrt(0.5)));  // quarter circle
  ASSERT_TRUE(conic);
  for (int i = 0; i <= 50; ++i) {
    double p[3];
    BCRV_EvPos(conic.get(), i / 50.0, p);
    EXPECT_NEAR(std::hypot(p[0], p[1]), 1.0, 1e-12);
  }
  EXPECT_EQ(BCRV_CreConic(p0, p1, p2, 0.0), nullptr);

  const double a[3] = {0, 0, 0}, da[3] = {0, 5, 0}, b[3] = {4, 0, 0}, db[3] = {0, -0.1, 0};
  CrvPtr f(BCRV_CreFergC1(a, da, b, db));
  ASSERT_TRUE(f);
  double p[3], d[3];
  BCRV_Ev1Der(f.get(), 0.0, p, d);
  EXPECT_NEAR(Dist3(p, a), 0, 1e-15);
  EXPECT_NEAR(d[0], 0, 1e-12);
  EXPECT_NEAR(d[1], 4.0, 1e-12);  // direction of da, length of the chord
  BCRV_Ev1Der(f.get(), 1.0, p, d);
  EXPECT_NEAR(Dist3(p, b), 0, 1e-15);
  EXPECT_NEAR(d[1], -4.0, 1e-12);
  const double zero[3] = {0, 0, 0};
  EXPECT_EQ(BCRV_CreFergC1(a, zero, b, db), nullptr);
  EXPECT_EQ(BCRV_CreFergC1(a, da, a, db), nullptr);

  const double h[4] = {2, 4, 6, 2};
  double c3[3];
  ASSERT_EQ(P4D_ToP3D(h, c3), 1);
  EXPECT_EQ(c3[2], 3.0);
  const double z[4] = {1, 1, 1, 0};
  EXPECT_EQ(P4D_ToP3D(z, c3), 0);
  const double h2[4] = {2, 4, 6, 4};
  EXPECT_DOUBLE_EQ(P3DH_Dist(h, h2), 2.0);
}

TEST(Bcrv, UniStrMakesCurvesCompatibleWithoutChangingThem) {
  CrvPtr a = MakeWavyCurve(1), b(BCRV_New()), c(BCRV_New());
  const double s[3] = {0, 0, 0}, e[3] = {3, 1, 0}, ctr[2] = {0, 0};
  b->GenLine(s, e);
  c->GenArc(ctr, 2.0, 0.0, 3.0);
  CrvPtr a0(a->Clone()), b0(b->Clone()), c0(c->Clone());
  BCRV* list[3] = {a.get(), b.get(), c.get()};
  ASSERT_EQ(BCRV_UniStr(3, list, 1e-4), 1);
  for (BCRV* x : list) {
    EXPECT_EQ(x->order, 4);
    EXPECT_EQ(x->n, a->n);
    EXPECT_EQ(std::memcmp(x->knots, a->knots, sizeof(double) * (x->n + 4)), 0);
  }
  EXPECT_LT(MaxSampleGap(a.get(), a0.get()), 1e-10);
  EXPECT_LT(MaxSampleGap(b.get(), b0.get()), 1e-10);
  EXPECT_LT(MaxSampleGap(c.get(), c0.get()), 1e-10);
  BCRV* bad[2] = {a.get(), nullptr};
  EXPECT_EQ(BCRV_UniStr(2, bad, 1e-4), 0);
}

TEST(Bcrv, InterpolationThroughTracedPointsSurvivesClosedTraces) {
  std::vector<std::array<double, 3>> pts;
  for (int i = 0; i <= 40; ++i) {
    const double a = 2 * std::numbers::pi * i / 40;
    pts.push_back({std::cos(a), std::sin(a), 0.1 * std::sin(3 * a)});
  }
  pts.insert(pts.begin() + 10, pts[10]);  // a repeated point inside the trace
  BCRV* c = nullptr;
  ASSERT_EQ(BCRV_IntpPs(reinterpret_cast<const double(*)[3]>(pts.data()), int(pts.size()), 4, c), 1);
  CrvPtr held(c);
  EXPECT_TRUE(Clamped01(c));
  // Every point lies on the curve (at some parameter: scan finely).
  for (const auto& q : pts) {
    double best = 1e9;
    for (int j = 0; j <= 20000; ++j) {
      double p[3];
      BCRV_EvPos(c, j / 20000.0, p);
      best = std::min(best, Dist3(p, q.data()));
    }
    EXPECT_LT(best, 1e-3);
  }
  double s[3], e[3];
  BCRV_EvPos(c, 0, s);
  BCRV_EvPos(c, 1, e);
  EXPECT_LT(Dist3(s, e), 1e-12);
  const double one[1][3] = {{1, 2, 3}};
  EXPECT_EQ(BCRV_IntpPs(one, 1, 4, c), 0);
}

TEST(Bcrv, DeviationMeasureSeesReversal) {
  CrvPtr a(BCRV_New()), b(BCRV_New());
  const double s0[3] = {0, 0, 0}, e0[3] = {10, 0, 0}, s1[3] = {10, 1, 0}, e1[3] = {0, 1, 0};
  a->GenLine(s0, e0);
  b->GenLine(s1, e1);
  EXPECT_LT(BCRV_InqADDegree(a.get(), b.get(), 1), BCRV_InqADDegree(a.get(), b.get(), 0) - 1.0);
  EXPECT_NEAR(BCRV_InqADDegree(a.get(), b.get(), 1), 1.0, 1e-12);
  EXPECT_LT(BCRV_InqADDegree(nullptr, b.get(), 0), 0.0);
}

TEST(Bcrv, ParamRangeDefaults) {
  _param prm;
  PARAM_Init(&prm);
  EXPECT_EQ(prm.min, 0.0);
  EXPECT_EQ(prm.max, 1.0);
  EXPECT_EQ(prm.startKind, 1);
  EXPECT_EQ(prm.closure, 0);
  EXPECT_EQ(prm.reserved1, 3);
  EXPECT_EQ(prm.reserved2, 1);
  PARAM_Init(nullptr);
}
