#include <limits>
#include <memory>
#include <numbers>
#include <random>

#include "KernelFixture.h"
#include "millvane/kernel/CurveRecords.h"
#include "millvane/kernel/SurfaceRecords.h"

namespace {
using Rec = std::unique_ptr<ENT_Record, RecordDeleter>;

class CurveRecordsTest : public KernelTest {};

// A cubic space curve, not planar.
BCRV* Wiggle() {
  BCRV* c = BCRV_New(4, 6);
  const double p[6][3] = {{0, 0, 0}, {1, 2, 0}, {2, -1, 1}, {3, 2, 1}, {4, 0, 2}, {5, 1, 0}};
  for (int i = 0; i < 6; ++i) {
    for (int k = 0; k < 3; ++k) c->ctrlPts[i][k] = p[i][k];
    c->ctrlPts[i][3] = 1.0;
  }
  return c;
}

Rec TiltedCircle(double r) {
  const _rect_fm3d f = kt::TiltedFrame(1, 2, -1);
  return Rec(CRV_NewCircle(&f, r));
}

TEST_F(CurveRecordsTest, RangesByKind) {
  Rec line(CRV_NewLine(nullptr, nullptr)), circle(TiltedCircle(2)), spl(CRV_NewBspline(Wiggle()));
  double r[2];
  ASSERT_EQ(CRV_GetRange(line.get(), r), 1);
  EXPECT_EQ(r[0], -1e20);
  EXPECT_EQ(r[1], 1e20);
  ASSERT_EQ(CRV_GetRange(circle.get(), r), 1);
  EXPECT_EQ(r[1], 2 * std::numbers::pi);
  ASSERT_EQ(CRV_GetRange(spl.get(), r), 1);
  EXPECT_EQ(r[1], 1.0);
  ENT_Record plane{ENT_PLANE, 1};
  EXPECT_EQ(CRV_GetRange(&plane, r), 0);
  EXPECT_EQ(CRV_GetRange(nullptr, r), 0);
  double p[3];
  EXPECT_EQ(CRV_EvPos(p, &plane, 0), 0);
  EXPECT_EQ(CRV_EvPos(nullptr, line.get(), 0), 0);
}

TEST_F(CurveRecordsTest, EvaluationMatchesClosedForms) {
  const double o[3] = {1, -2, 3}, d[3] = {0.5, 2, -1};
  Rec line(CRV_NewLine(o, d));
  Rec circle(TiltedCircle(2.5));
  const _rect_fm3d f = kt::TiltedFrame(1, 2, -1);
  // The same circle as an exact rational B-spline (parameter [0, 1] over the full turn).
  _arc arc{f, 2.5, 2 * std::numbers::pi};
  BCRV* b = nullptr;
  ASSERT_EQ(BCRV_GenArc(&arc, b), 1);
  Rec spl(CRV_NewBspline(b));
  for (double t : {-3.0, 0.0, 0.7, 2.0, 5.9}) {
    double p[3], tan[3], d2[3], q[3];
    ASSERT_EQ(CRV_EvPos(p, line.get(), t), 1);
    for (int i = 0; i < 3; ++i) EXPECT_NEAR(p[i], o[i] + t * d[i], 1e-14);
    ASSERT_EQ(CRV_EvDeriv2(p, tan, d2, circle.get(), t), 1);
    for (int i = 0; i < 3; ++i) {
      const double rad = 2.5 * (std::cos(t) * f.xAxis[i] + std::sin(t) * f.yAxis[i]);
      q[i] = f.origin[i] + rad;
      EXPECT_NEAR(d2[i], -rad, 1e-12);
    }
    EXPECT_NEAR(kt::Dist(p, q), 0.0, 1e-12);
    if (t >= 0 && t <= 2 * std::numbers::pi) {
      ASSERT_EQ(CRV_EvPos(p, spl.get(), t / (2 * std::numbers::pi)), 1);
      double c[3];
      for (int i = 0; i < 3; ++i) c[i] = p[i] - f.origin[i];
      EXPECT_NEAR(std::sqrt(c[0] * c[0] + c[1] * c[1] + c[2] * c[2]), 2.5, 1e-12);
    }
  }
  EXPECT_EQ(static_cast<CRV_Bspline*>(spl.get())->range.closure, 2);
}

TEST_F(CurveRecordsTest, DerivativesMatchFiniteDifferences) {
  Rec recs[] = {Rec(CRV_NewLine(nullptr, nullptr)), TiltedCircle(1.5), Rec(CRV_NewBspline(Wiggle()))};
  for (const Rec& r : recs) {
    for (double t : {0.1, 0.45, 0.8}) {
      const double h = 1e-6;
      double p[3], d1[3], d2[3], pp[3], pm[3], tp[3], tm[3], x[3];
      ASSERT_EQ(CRV_EvDeriv2(p, d1, d2, r.get(), t), 1);
      ASSERT_EQ(CRV_EvPosTan(tp, pp, r.get(), t + h), 1);
      ASSERT_EQ(CRV_EvPosTan(tm, pm, r.get(), t - h), 1);
      ASSERT_EQ(CRV_EvPosTan(x, x, r.get(), t), 1);
      for (int i = 0; i < 3; ++i) {
        EXPECT_NEAR((pp[i] - pm[i]) / (2 * h), d1[i], 1e-6) << r->type;
        EXPECT_NEAR((tp[i] - tm[i]) / (2 * h), d2[i], 1e-4) << r->type;
      }
    }
  }
}

TEST_F(CurveRecordsTest, PeriodicBsplineWraps) {
  BCRV* c = BCRV_New();
  const double o[3] = {0, 0, 0};
  c->GenCircle(o, 2.0);
  Rec r(CRV_NewBspline(c));
  double a[3], b[3];
  ASSERT_EQ(CRV_EvPos(a, r.get(), 1.25), 1);
  ASSERT_EQ(CRV_EvPos(b, r.get(), 0.25), 1);
  EXPECT_NEAR(kt::Dist(a, b), 0.0, 1e-12);
}

// Brute-force nearest point over a fine sampling of [t0, t1].
double BruteDist(const ENT_Record* r, const double p[3], double t0, double t1) {
  double best = std::numeric_limits<double>::infinity();
  for (int i = 0; i <= 20000; ++i) {
    double q[3];
    CRV_EvPos(q, r, t0 + (t1 - t0) * i / 20000.0);
    best = std::min(best, kt::Dist(p, q));
  }
  return best;
}

TEST_F(CurveRecordsTest, SnapAgreesWithBruteForce) {
  Rec recs[] = {TiltedCircle(1.5), Rec(CRV_NewBspline(Wiggle()))};
  std::mt19937 rng(11);
  std::uniform_real_distribution<double> d(-2, 5);
  for (const Rec& r : recs) {
    double range[2];
    CRV_GetRange(r.get(), range);
    for (int k = 0; k < 30; ++k) {
      const double p[3] = {d(rng), d(rng), d(rng)};
      double foot[3], t = k % 2 ? 0.5 : 1e9;  // in range, or no usable guess
      ASSERT_EQ(CRV_SnapPoint(foot, p, t, r.get()), 1) << k;
      double q[3], tan[3], w[3];
      CRV_EvPosTan(tan, q, r.get(), t);
      EXPECT_NEAR(kt::Dist(q, foot), 0.0, 1e-9);
      for (int i = 0; i < 3; ++i) w[i] = p[i] - foot[i];
      const double ct = (w[0] * tan[0] + w[1] * tan[1] + w[2] * tan[2]) /
                        (kt::Dist(p, foot) * std::sqrt(tan[0] * tan[0] + tan[1] * tan[1] + tan[2] * tan[2]));
      if (t > range[0] && t < range[1]) {
        EXPECT_NEAR(ct, 0.0, 1e-3) << "an inner foot is perpendicular";
      }
      // A guess inside the range leads to the foot near it; without one the nearest wins.
      if (k % 2 == 0) {
        EXPECT_LE(kt::Dist(p, foot), BruteDist(r.get(), p, range[0], range[1]) + 1e-6) << k;
      }
      EXPECT_GE(t, range[0]);
      EXPECT_LE(t, range[1]);
    }
  }
  // The circle's centre (and its axis) has no nearest point: the start of the circle stands in.
  Rec circle = TiltedCircle(1.5);
  const _rect_fm3d f = kt::TiltedFrame(1, 2, -1);
  double axisPt[3], cf[3], ct = 3.0;
  for (int i = 0; i < 3; ++i) axisPt[i] = f.origin[i] + 2.0 * f.zAxis[i];
  ASSERT_EQ(CRV_SnapPoint(cf, axisPt, ct, circle.get()), 1);
  EXPECT_EQ(ct, 0.0);
  for (int i = 0; i < 3; ++i) EXPECT_NEAR(cf[i], f.origin[i] + 1.5 * f.xAxis[i], 1e-14);

  // A line: t counts multiples of its direction.
  const double o[3] = {1, 1, 0}, dir[3] = {2, 0, 0}, p[3] = {5, 3, 0};
  Rec line(CRV_NewLine(o, dir));
  double foot[3], t = 0;
  ASSERT_EQ(CRV_SnapPoint(foot, p, t, line.get()), 1);
  EXPECT_NEAR(t, 2.0, 1e-15);
  EXPECT_NEAR(foot[0], 5.0, 1e-15);
  EXPECT_NEAR(foot[1], 1.0, 1e-15);
}

TEST_F(CurveRecordsTest, SnapBeyondAnOpenEndStaysOnTheCurve) {
  // Newton would walk the parameter past 1 where evaluation is clamped.
  Rec r(CRV_NewBspline(kt::Polyline({{0, 0, 0}, {1, 0, 0}, {2, 0, 0}})));
  const double p[3] = {7, 1, 0};
  double foot[3], t = 0.9;
  ASSERT_EQ(CRV_SnapPoint(foot, p, t, r.get()), 1);
  EXPECT_NEAR(t, 1.0, 1e-12);
  EXPECT_NEAR(foot[0], 2.0, 1e-12);
}

TEST_F(CurveRecordsTest, PlanesOfPlanarCurves) {
  double pt[3], n[3];
  BCRV* flat = kt::Polyline({{0, 0, 1}, {1, 0, 1}, {1, 1, 1}, {3, 2, 1}});
  ASSERT_EQ(CRV_IsPlanarBcrv(pt, n, 1e-9, flat), 1);
  EXPECT_NEAR(std::fabs(n[2]), 1.0, 1e-12);
  EXPECT_EQ(pt[2], 1.0);
  BCRV* straight = kt::Polyline({{0, 0, 0}, {1, 1, 0}, {3, 3, 0}});
  ASSERT_EQ(CRV_IsPlanarBcrv(pt, n, 1e-9, straight), 1);
  EXPECT_NEAR(n[0] + n[1], 0.0, 1e-12) << "normal perpendicular to the line";
  BCRV* skew = Wiggle();
  EXPECT_EQ(CRV_IsPlanarBcrv(pt, n, 1e-9, skew), 0);
  BCRV* twoSame = kt::Polyline({{1, 1, 1}, {1, 1, 1}, {2, 2, 2}});
  EXPECT_EQ(CRV_IsPlanarBcrv(pt, n, 1e-9, twoSame), 0);
  BCRV_Free(flat);
  BCRV_Free(straight);
  BCRV_Free(skew);
  BCRV_Free(twoSame);

  Rec circle(TiltedCircle(1));
  ASSERT_EQ(CRV_GetPlane(pt, n, circle.get()), 1);
  EXPECT_EQ(n[2], kt::TiltedFrame(0, 0, 0).zAxis[2]);
  const double dir[3] = {0, 0, 3};
  Rec line(CRV_NewLine(nullptr, dir));
  ASSERT_EQ(CRV_GetPlane(pt, n, line.get()), 1);
  EXPECT_NEAR(n[2], 0.0, 1e-15);
  EXPECT_NEAR(n[0] * n[0] + n[1] * n[1], 1.0, 1e-12);
}

TEST_F(CurveRecordsTest, ConversionToBsplines) {
  const double iv[2] = {0.5, 2.0};
  int flag = -1;
  BCRV* b = nullptr;
  Rec circle(TiltedCircle(2));
  ASSERT_EQ(CRV_ToBcrv(b, 0.001, iv, circle.get(), &flag), 1);
  EXPECT_EQ(flag, 1);
  for (double s : {0.0, 0.3, 1.0}) {
    double p[3], q[3];
    BCRV_EvPos(b, s, p);
    CRV_EvPos(q, circle.get(), iv[0] + s * (iv[1] - iv[0]));
    EXPECT_NEAR(kt::Dist(p, q), 0.0, 0.05) << s;
    double c[3];
    for (int i = 0; i < 3; ++i) c[i] = p[i] - static_cast<CRV_Circle*>(circle.get())->frame.origin[i];
    EXPECT_NEAR(std::sqrt(c[0] * c[0] + c[1] * c[1] + c[2] * c[2]), 2.0, 1e-12);
  }
  double e0[3], e1[3];
  BCRV_EvPos(b, 1.0, e0);
  CRV_EvPos(e1, circle.get(), 2.0);
  EXPECT_NEAR(kt::Dist(e0, e1), 0.0, 1e-12);
  BCRV_Free(b);
  // A reversed interval runs the other way round.
  const double back[2] = {2.0, 0.5};
  ASSERT_EQ(CRV_ToBcrv(b, 0.001, back, circle.get(), &flag), 1);
  BCRV_EvPos(b, 1.0, e0);
  CRV_EvPos(e1, circle.get(), 0.5);
  EXPECT_NEAR(kt::Dist(e0, e1), 0.0, 1e-12);
  BCRV_Free(b);

  Rec line(CRV_NewLine(nullptr, nullptr));
  ASSERT_EQ(CRV_ToBcrv(b, 0.001, iv, line.get(), &flag), 1);
  BCRV_EvPos(b, 1.0, e0);
  EXPECT_EQ(e0[0], 2.0);
  BCRV_Free(b);
  Rec spl(CRV_NewBspline(Wiggle()));
  ASSERT_EQ(CRV_ToBcrv(b, 0.001, nullptr, spl.get(), &flag), 1);
  EXPECT_NE(b, static_cast<CRV_Bspline*>(spl.get())->curve);
  EXPECT_EQ(b->n, 6);
  BCRV_Free(b);
  EXPECT_EQ(CRV_ToBcrv(b, 9e-7, iv, line.get(), &flag), 0);
  EXPECT_EQ(b, nullptr);
}

// Largest distance of a tessellation's segment midpoints (in parameter) from the chord.
double MaxSag(const ENT_Record* r, const ARR_Array* a) {
  double worst = 0;
  for (int i = 1; i < a->count; ++i) {
    double m[3], c[3];
    CRV_EvPos(m, r, 0.5 * (a->params[i - 1] + a->params[i]));
    for (int k = 0; k < 3; ++k) c[k] = 0.5 * (a->points[i - 1][k] + a->points[i][k]);
    worst = std::max(worst, kt::Dist(m, c));
  }
  return worst;
}

TEST_F(CurveRecordsTest, TessellationHonoursTolerances) {
  ARR_Array* a = nullptr;
  const double full[2] = {0, 2 * std::numbers::pi};
  Rec unit(CRV_NewCircle(nullptr, 1.0));
  ASSERT_EQ(CRV_Tessellate(a, full, unit.get(), 0.001, 0.2, 0.01), 1);
  EXPECT_EQ(a->count, 630) << "the step limit dominates";
  EXPECT_EQ(a->params[0], 0.0);
  EXPECT_EQ(a->params[629], 2 * std::numbers::pi);
  EXPECT_NEAR(kt::Dist(a->points[0], a->points[629]), 0.0, 1e-12);
  ARR_Free(a);

  struct Case {
    const char* name;
    ENT_Record* rec;
    double t0, t1, chord, angle, step;
  };
  Rec circle(TiltedCircle(3)), spl(CRV_NewBspline(Wiggle()));
  const double d[3] = {0, 3, 4};
  Rec line(CRV_NewLine(nullptr, d));
  const Case cases[] = {
      {"arc", circle.get(), 0.3, 2.0, 0.01, 0.5, 10},
      {"arc backwards", circle.get(), 2.0, -1.0, 0.001, 0.2, 1},
      {"spline", spl.get(), 0, 1, 0.001, 0.2, 0.05},
      {"spline coarse", spl.get(), 0.2, 0.9, 0.05, 0.5, 10},
      {"line", line.get(), -1, 2, 0.1, 0.1, 0.25},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const double iv[2] = {c.t0, c.t1};
    ASSERT_EQ(CRV_Tessellate(a, iv, c.rec, c.chord, c.angle, c.step), 1);
    EXPECT_EQ(a->params[0], c.t0);
    EXPECT_EQ(a->params[a->count - 1], c.t1);
    EXPECT_LE(MaxSag(c.rec, a), c.chord);
    for (int i = 1; i < a->count; ++i) {
      EXPECT_GT((a->params[i] - a->params[i - 1]) * (c.t1 - c.t0), 0.0);
      double q[3];
      CRV_EvPos(q, c.rec, a->params[i]);
      EXPECT_NEAR(kt::Dist(q, a->points[i]), 0.0, 1e-9);
      if (c.rec != line.get()) {
        EXPECT_LE(kt::Dist(a->points[i - 1], a->points[i]), c.step + 1e-12);
      }
    }
    ARR_Free(a);
  }
}

TEST_F(CurveRecordsTest, TessellationRefusesBadRequests) {
  ARR_Array* a = nullptr;
  Rec line(CRV_NewLine(nullptr, nullptr)), circle(TiltedCircle(1)), spl(CRV_NewBspline(Wiggle()));
  double range[2];
  CRV_GetRange(line.get(), range);
  EXPECT_EQ(CRV_Tessellate(a, range, line.get(), 0.001, 0.2, 0.01), 0) << "unbounded line";
  const double iv[2] = {0, 1}, tiny[2] = {0, 0.0005};
  EXPECT_EQ(CRV_Tessellate(a, iv, line.get(), 0.001, 0.2, 1e-13), 0);
  EXPECT_EQ(CRV_Tessellate(a, tiny, circle.get(), 0.001, 0.2, 0.01), 0);
  EXPECT_EQ(CRV_Tessellate(a, iv, circle.get(), 1e-7, 0.2, 0.01), 0);
  EXPECT_EQ(CRV_Tessellate(a, iv, spl.get(), 0.0, 0.2, 0.01), 0);
  // 100000 examined pairs bound the adaptive run.
  EXPECT_EQ(CRV_Tessellate(a, iv, spl.get(), 1e-9, 1e-9, 1e-9), 0);
  EXPECT_EQ(a, nullptr);
  KX_MemFailAfter(1);
  EXPECT_EQ(CRV_Tessellate(a, iv, line.get(), 0.001, 0.2, 0.1), -1);
  EXPECT_EQ(a, nullptr);
}

// Intersection curve of a sphere (centre 0, radius 1) and the plane z = 0: the unit circle,
// traced coarsely with exact tangents.
struct GreatCircle {
  Rec sphere, plane;
  _intcur* curve;
  static constexpr int kNodes = 9;
  explicit GreatCircle(double span) {
    _rect_fm3d f;
    RF_Init(&f);
    sphere.reset(kt::NewSphere(f, 1.0));
    plane.reset(SRF_NewBspline(kt::PlaneZ0(2.0)));
    SSI_PointList* pl = SSI_NewPointList(kNodes, nullptr);
    for (int i = 0; i < kNodes; ++i) {
      const double th = span * i / (kNodes - 1);
      SSI_TracedPoint& tp = pl->points[i];
      tp.point[0] = std::cos(th), tp.point[1] = std::sin(th), tp.point[2] = 0;
      tp.tangent[0] = -std::sin(th), tp.tangent[1] = std::cos(th), tp.tangent[2] = 0;
      tp.param = th;
      tp.uvA[0] = th, tp.uvA[1] = 0;
      tp.uvB[0] = (tp.point[0] + 2) / 4, tp.uvB[1] = (tp.point[1] + 2) / 4;
    }
    curve = SSI_NewCurve(sphere.get(), plane.get(), pl);
  }
  ~GreatCircle() { ENT_Free(curve); }
};

TEST_F(CurveRecordsTest, IntersectionCurveEvaluatesOnBothSurfaces) {
  GreatCircle gc(std::numbers::pi);
  double r[2];
  ASSERT_EQ(CRV_GetRange(gc.curve, r), 1);
  EXPECT_EQ(r[1], std::numbers::pi);
  for (double t : {0.1, 0.77, 1.9, 3.0}) {
    double p[3], uvA[2], uvB[2];
    ASSERT_EQ(SSI_EvCurve(p, uvA, uvB, gc.curve, t), 1) << t;
    EXPECT_NEAR(std::hypot(p[0], p[1]), 1.0, 1e-8);
    EXPECT_NEAR(p[2], 0.0, 1e-8);
    EXPECT_NEAR(std::atan2(p[1], p[0]), t, 1e-3) << "near the Hermite point";
    double s[3];
    SRF_EvPos(s, gc.plane.get(), uvB[0], uvB[1]);
    EXPECT_NEAR(kt::Dist(s, p), 0.0, 1e-8);
  }
  // At a traced parameter the traced point itself.
  double p[3];
  ASSERT_EQ(CRV_EvPos(p, gc.curve, std::numbers::pi / 8), 1);
  EXPECT_EQ(p[0], gc.curve->points->points[1].point[0]);
  // Just past the end wraps to the start.
  double q[3], s0[3];
  ASSERT_EQ(CRV_EvPos(q, gc.curve, std::numbers::pi + 0.1), 1);
  ASSERT_EQ(CRV_EvPos(s0, gc.curve, 0.1), 1);
  EXPECT_NEAR(kt::Dist(q, s0), 0.0, 1e-9);
}

TEST_F(CurveRecordsTest, IntersectionCurveDerivativesStayOnTheTrace) {
  GreatCircle gc(std::numbers::pi);
  for (double t : {0.3, std::numbers::pi}) {
    double p[3], d1[3], d2[3];
    ASSERT_EQ(CRV_EvDeriv2(p, d1, d2, gc.curve, t), 1);
    // The unit circle: derivative (-sin, cos), second derivative -(cos, sin). At the last
    // parameter a forward step would wrap to the other end of the open trace.
    // Traced parameters are arc-length estimates, so the speed is only near 1.
    EXPECT_NEAR(d1[0], -std::sin(t), 0.01) << t;
    EXPECT_NEAR(d1[1], std::cos(t), 0.01) << t;
    // Second differences at a step of 1e-6 carry rounding noise of about 0.1.
    EXPECT_NEAR(d2[0], -std::cos(t), 0.15) << t;
    EXPECT_NEAR(d2[1], -std::sin(t), 0.15) << t;
  }
}

TEST_F(CurveRecordsTest, IntersectionCurveSnapsAndTessellates) {
  GreatCircle gc(1.5 * std::numbers::pi);
  const double p[3] = {-0.3, 0.5, 0.7};
  double foot[3], t = 1e9;
  ASSERT_EQ(CRV_SnapPoint(foot, p, t, gc.curve), 1);
  const double l = std::hypot(-0.3, 0.5);
  // Newton stops once the distance is stationary within the precision.
  EXPECT_NEAR(foot[0], -0.3 / l, 1e-4);
  EXPECT_NEAR(foot[1], 0.5 / l, 1e-4);
  EXPECT_NEAR(t, std::atan2(0.5, -0.3), 1e-3);
  const ARR_Array* cache = CRV_GetCache(gc.curve);
  ASSERT_NE(cache, nullptr);
  EXPECT_EQ(cache->params[cache->count - 1], 1.5 * std::numbers::pi);
  EXPECT_LE(MaxSag(gc.curve, cache), TOL_discretise[0]);
  EXPECT_EQ(CRV_GetCache(gc.curve), cache) << "built once";
  double pt[3], n[3];
  EXPECT_EQ(CRV_GetPlane(pt, n, gc.curve), 0) << "no plane record among its surfaces";
  BCRV* b = nullptr;
  int flag = -1;
  ASSERT_EQ(CRV_ToBcrv(b, 1e-4, nullptr, gc.curve, &flag), 1);
  EXPECT_EQ(flag, 0);
  double q[3];
  BCRV_EvPos(b, 0.5, q);
  EXPECT_NEAR(std::hypot(q[0], q[1]), 1.0, 2e-3);
  BCRV_Free(b);
}

}  // namespace
