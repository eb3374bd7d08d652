// 3D NURBS curve: construction from points, evaluation and lengths against closed forms and
// dense sampling, the adaptive discretisation's tolerances, editing and splitting that keep
// the shape, transforms, snapping and control polygon, and the archive record.
#include <gtest/gtest.h>

#include <array>
#include <functional>
#include <memory>
#include <numbers>

#include "Curve3dTestUtil.h"
#include "geometry/shapes2d/SnapAt.h"
#include "platform/afx/RecordingDC.h"

using namespace c3t;

namespace {

using NrbCrv3dTest = Curve3dTest;

// Largest distance of the curve between each pair of cached points from their chord,
// sampled 16 times per interval.
double MaxChordDeviation(CGeNrbCrv3d& c) {
  const CStrP3D& s = c.m_strDisc;
  double worst = 0.0;
  for (int i = 0; i + 1 < s.m_nCount; ++i)
    for (int k = 1; k < 16; ++k) {
      double p[3];
      c.GetPointAt(s.m_pParams[i] + (s.m_pParams[i + 1] - s.m_pParams[i]) * k / 16.0, p, 1);
      worst = std::max(worst, L3D_DistToPntEx(s.m_pPoints[i], s.m_pPoints[i + 1], p));
    }
  return worst;
}

// Polyline length of n + 1 curve points.
double SampledLength(CGeCurve3d& c, double t0, double t1, int n = 20000) {
  double prev[3], len = 0.0;
  c.GetPointAt(t0, prev, 1);
  for (int i = 1; i <= n; ++i) {
    double p[3];
    c.GetPointAt(t0 + (t1 - t0) * i / n, p, 1);
    len += Dist(prev, p);
    std::copy(p, p + 3, prev);
  }
  return len;
}

TEST_F(NrbCrv3dTest, CreateCtrlPtCapsTheDegreeByTheCount) {
  const double pts[5][3] = {{0, 0, 0}, {1, 2, 0}, {3, 2, 1}, {4, 0, 1}, {6, 1, 2}};
  struct Case {
    int n, degree, order;
  } cases[] = {{2, 3, 2}, {3, 3, 3}, {3, 1, 2}, {5, 3, 4}, {5, 2, 3}};
  for (const Case& k : cases) {
    CGeNrbCrv3d c;
    ASSERT_EQ(c.CreateCtrlPt(pts, k.n, k.degree, 0.01), 1) << k.n << " " << k.degree;
    ASSERT_NE(c.GetCurve(), nullptr);
    EXPECT_EQ(c.GetCurve()->order, k.order) << k.n << " " << k.degree;
    EXPECT_EQ(c.GetCurve()->n, k.n);
    for (int i = 0; i < k.n; ++i) {
      double q[3];
      c.GetCurve()->GetCtrlPt(i, q);
      EXPECT_LT(Dist(q, pts[i]), 1e-12);
    }
    double s[3], e[3];
    c.GetStartPoint(s);
    c.GetEndPoint(e);
    EXPECT_LT(Dist(s, pts[0]), 1e-12);  // clamped: the curve ends at its end control points
    EXPECT_LT(Dist(e, pts[k.n - 1]), 1e-12);
  }
  CGeNrbCrv3d c;
  EXPECT_EQ(c.CreateCtrlPt(pts, 1, 3, 0.01), 0);
  EXPECT_EQ(c.CreateCtrlPt(nullptr, 4, 3, 0.01), 0);
}

TEST_F(NrbCrv3dTest, CreateInterpPassesThroughThePointsAndRefusesTooHighDegree) {
  double pts[6][3];
  for (int i = 0; i < 6; ++i) {
    pts[i][0] = i;
    pts[i][1] = i * i * 0.3;
    pts[i][2] = std::sin(i);
  }
  CGeNrbCrv3d c;
  ASSERT_EQ(c.CreateInterp(pts, 6, 3, 0.01), 1);
  // Every data point is on the curve: its nearest cached point is within the tolerance.
  for (auto& p : pts) {
    double q[3], t, d;
    unsigned seg;
    ASSERT_EQ(c.GetNearestPoint3D(p, q, t, seg, d), 1);
    EXPECT_LT(d, 0.02);
  }
  EXPECT_EQ(c.CreateInterp(pts, 3, 3, 0.01), 0);
  EXPECT_NE(c.GetCurve(), nullptr);  // refused before anything was freed
}

TEST_F(NrbCrv3dTest, CircleEvaluatesOnItsRadiusWithPerpendicularTangents) {
  const double centre[3] = {1.0, -2.0, 3.0};
  std::unique_ptr<CGeNrbCrv3d> c(Circle(5.0, centre));
  for (int i = 0; i <= 40; ++i) {
    const double t = i / 40.0;
    double p[3], v[3], d1[3], d2[3], q[3];
    c->GetTanVecAt(t, p, v, 1);
    const double r[3] = {p[0] - centre[0], p[1] - centre[1], p[2] - centre[2]};
    EXPECT_NEAR(V3D_Length(r), 5.0, 1e-9) << t;
    EXPECT_NEAR(p[2], 3.0, 1e-12);
    EXPECT_NEAR(V3D_Length(v), 1.0, 1e-9);
    EXPECT_NEAR(V3D_Dot(r, v), 0.0, 1e-9);
    // Second derivative against central differences of the first (off the knots, where it
    // jumps).
    if (i < 40) {
      double pa[3], da[3], db[3], dd[3];
      const double h = 1e-5, u = t + 0.003;
      c->Ev2Der(u - h, pa, da, dd, 1);
      c->Ev2Der(u + h, pa, db, dd, 1);
      c->Ev2Der(u, q, d1, d2, 1);
      for (int k = 0; k < 3; ++k) EXPECT_NEAR(d2[k], (db[k] - da[k]) / (2 * h), 1e-3 * (1 + std::fabs(d2[k])));
    }
  }
  double s[3], e[3];
  c->GetStartPoint(s);
  c->GetEndPoint(e);
  EXPECT_LT(Dist(s, e), 1e-12);
  EXPECT_EQ(c->IsClosed(1e-6), 1);
}

TEST_F(NrbCrv3dTest, LengthsMatchTheCircumferenceAndDenseSampling) {
  std::unique_ptr<CGeNrbCrv3d> c(Circle(2.0));
  EXPECT_NEAR(c->EvArcLength(0.0, 1.0, 1e-8), 4.0 * std::numbers::pi, 1e-6);
  // From the cache: chords of sagitta at most tol fall short by at most tol / (3 r).
  EXPECT_LT(c->EvTotalArcLength(), 4.0 * std::numbers::pi);
  EXPECT_GT(c->EvTotalArcLength(), 4.0 * std::numbers::pi * (1.0 - gGetCurveDicTol() / 6.0));
  std::unique_ptr<CGeNrbCrv3d> w(Wave());
  EXPECT_NEAR(w->EvArcLength(0.2, 0.7, 1e-8), SampledLength(*w, 0.2, 0.7), 1e-5);
  EXPECT_NEAR(w->EvTotalArcLength(), SampledLength(*w, 0.0, 1.0), 0.01);
  // EvParam finds the parameter at a length (to its 0.02 stopping tolerance).
  for (double len : {1.0, 5.5, 12.0}) {
    double t = -1.0;
    unsigned seg = 7;
    EXPECT_EQ(c->EvParam(len, t, seg), 1);
    EXPECT_EQ(seg, 7u);
    EXPECT_NEAR(c->EvArcLength(0.0, t, 1e-8), len, 0.02);
  }
}

TEST_F(NrbCrv3dTest, Ev2DerSnapsNearEndParametersToTheEnds) {
  std::unique_ptr<CGeNrbCrv3d> w(Wave());
  double p[3], d1[3], d2[3], q[3], e1[3], e2[3];
  w->Ev2Der(1e-11, p, d1, d2, 1);
  BCRV_Ev2Der(w->GetCurve(), 0.0, q, e1, e2);
  for (int k = 0; k < 3; ++k) {
    EXPECT_EQ(p[k], q[k]);
    EXPECT_EQ(d1[k], e1[k]);
    EXPECT_EQ(d2[k], e2[k]);
  }
  w->Ev2Der(1.0 - 1e-11, p, d1, d2, 1);
  BCRV_Ev2Der(w->GetCurve(), 1.0, q, e1, e2);
  for (int k = 0; k < 3; ++k) EXPECT_EQ(d1[k], e1[k]);
}

TEST_F(NrbCrv3dTest, AdaptiveDiscretisationMeetsChordAndAngleTolerances) {
  for (double tol : {0.05, 0.01, 0.001}) {
    ASSERT_TRUE(gSetCurveDicTol(tol));
    for (CGeNrbCrv3d* raw : {Circle(3.0), Wave()}) {
      std::unique_ptr<CGeNrbCrv3d> c(raw);
      c->DiscreteMe(tol);
      const CStrP3D& s = c->m_strDisc;
      ASSERT_GE(s.m_nCount, 2);
      EXPECT_EQ(s.m_pParams[0], 0.0);
      EXPECT_EQ(s.m_pParams[s.m_nCount - 1], 1.0);
      for (int i = 0; i + 1 < s.m_nCount; ++i) ASSERT_LT(s.m_pParams[i], s.m_pParams[i + 1]);
      // The midpoint test bounds the whole interval up to the curvature's variation.
      EXPECT_LE(MaxChordDeviation(*c), tol * 1.25) << tol;
      for (int i = 1; i + 1 < s.m_nCount; ++i) {
        double a[3], b[3];
        for (int k = 0; k < 3; ++k) {
          a[k] = s.m_pPoints[i - 1][k] - s.m_pPoints[i][k];
          b[k] = s.m_pPoints[i + 1][k] - s.m_pPoints[i][k];
        }
        // Adjacent chords turn by at most about twice the per-interval allowance.
        EXPECT_GE(V3D_GetAngle(a, b, 1e-12), gGetCurveDicAng() - 0.2);
      }
      // Cached points are curve points at their parameters.
      for (int i = 0; i < s.m_nCount; ++i) {
        double p[3];
        c->GetPointAt(s.m_pParams[i], p, 1);
        EXPECT_LT(Dist(p, s.m_pPoints[i]), 1e-12);
      }
    }
  }
}

TEST_F(NrbCrv3dTest, StraightCubicKeepsOnlyTheInitialSamples) {
  const double pts[4][3] = {{0, 0, 0}, {0.5, 0.5, 0.5}, {2, 2, 2}, {3, 3, 3}};
  CGeNrbCrv3d c;
  ASSERT_EQ(c.CreateCtrlPt(pts, 4, 3, 0.01), 1);
  // Every midpoint lies on its chord at an angle of pi: nothing beyond the first samples.
  double step = 0.02;
  BCRV_GetMaxiStepLin(c.GetCurve(), 0.01, step);
  if (step > 0.5) step = 0.1;
  const int n = static_cast<int>(std::ceil(1.0 / step - 1e-12)) + 1;
  ASSERT_EQ(c.m_strDisc.m_nCount, n);
  for (int i = 0; i + 1 < n; ++i) EXPECT_NEAR(c.m_strDisc.m_pParams[i], i * step, 1e-12);
  EXPECT_EQ(c.m_strDisc.m_pParams[n - 1], 1.0);
}

TEST_F(NrbCrv3dTest, PolygonDiscretisesToItsControlPointsAtTheirKnots) {
  const double pts[4][3] = {{0, 0, 0}, {1, 0, 0}, {1, 2, 0}, {4, 2, 1}};
  CGeNrbCrv3d c;
  ASSERT_EQ(c.CreateCtrlPt(pts, 4, 1, 0.01), 1);
  ASSERT_EQ(c.m_strDisc.m_nCount, 4);
  for (int i = 0; i < 4; ++i) {
    EXPECT_LT(Dist(c.m_strDisc.m_pPoints[i], pts[i]), 1e-12);
    EXPECT_EQ(c.m_strDisc.m_pParams[i], std::min(c.GetCurve()->knots[i + 1], 1.0));
  }
  _tagBox3D box;
  c.GetBox(&box);
  EXPECT_EQ(box.max[0], 4.0);
  EXPECT_EQ(box.max[1], 2.0);
}

TEST_F(NrbCrv3dTest, SplitPiecesRunTogetherAlongTheOriginal) {
  std::unique_ptr<CGeNrbCrv3d> w(Wave());
  for (double t : {0.1, 0.37, 0.9}) {
    CGeCurve3d* out[2] = {nullptr, nullptr};
    w->Split(t, out, 1);
    std::unique_ptr<CGeCurve3d> a(out[0]), b(out[1]);
    ASSERT_TRUE(a && b);
    EXPECT_EQ(a->GetType(), GE_TYPE_NRBCRV3D);
    double p[3], q[3], s[3], e[3];
    w->GetPointAt(t, p, 1);
    a->GetEndPoint(q);
    b->GetStartPoint(s);
    EXPECT_LT(Dist(p, q), 1e-9);
    EXPECT_LT(Dist(p, s), 1e-9);
    w->GetEndPoint(p);
    b->GetEndPoint(e);
    EXPECT_LT(Dist(p, e), 1e-9);
    auto* na = static_cast<CGeNrbCrv3d*>(a.get());
    auto* nb = static_cast<CGeNrbCrv3d*>(b.get());
    EXPECT_NEAR(na->EvArcLength(0, 1, 1e-9) + nb->EvArcLength(0, 1, 1e-9),
                w->EvArcLength(0, 1, 1e-9), 1e-6);
    // Same shape: the piece's points are the original's at the mapped parameter, for a
    // split that keeps the parameterisation up to an affine map.
    for (int i = 0; i <= 10; ++i) {
      double x[3], y[3];
      na->GetPointAt(i / 10.0, x, 1);
      w->GetPointAt(t * i / 10.0, y, 1);
      EXPECT_LT(Dist(x, y), 1e-9);
    }
  }
  CGeCurve3d* out[2] = {nullptr, nullptr};
  w->Split(1.0, out, 1);
  std::unique_ptr<CGeCurve3d> a(out[0]), b(out[1]);
  EXPECT_TRUE(a);
  EXPECT_FALSE(b);
}

TEST_F(NrbCrv3dTest, AddNodeKeepsTheShapeAndAddsOneControlPoint) {
  std::unique_ptr<CGeNrbCrv3d> w(Wave());
  std::unique_ptr<CGeNrbCrv3d> before(w->Copy());
  const int n = w->GetCurve()->n;
  w->AddNode(0.42);
  EXPECT_EQ(w->GetCurve()->n, n + 1);
  for (int i = 0; i <= 50; ++i) {
    double a[3], b[3];
    w->GetPointAt(i / 50.0, a, 1);
    before->GetPointAt(i / 50.0, b, 1);
    EXPECT_LT(Dist(a, b), 1e-9);
  }
  w->AddNode(0.0);  // only inner knots
  w->AddNode(1.0);
  EXPECT_EQ(w->GetCurve()->n, n + 1);
}

TEST_F(NrbCrv3dTest, DeletingControlPoints) {
  const double pts[6][3] = {{0, 0, 0}, {1, 1, 0}, {2, 0, 0}, {3, 1, 1}, {4, 0, 1}, {5, 1, 0}};
  {  // three points to an order-2 line through the remaining two
    CGeNrbCrv3d c;
    c.CreateCtrlPt(pts, 3, 2, 0.01);
    c.DelCtrlPt(1);
    ASSERT_EQ(c.GetCurve()->n, 2);
    EXPECT_EQ(c.GetCurve()->order, 2);
    double e[3];
    c.GetEndPoint(e);
    EXPECT_LT(Dist(e, pts[2]), 1e-12);
    c.DelCtrlPt(0);  // two points stay
    EXPECT_EQ(c.GetCurve()->n, 2);
  }
  {  // the others stay in order; the order drops as needed
    CGeNrbCrv3d c;
    c.CreateCtrlPt(pts, 6, 3, 0.01);
    c.DelCtrlPt(2);
    ASSERT_EQ(c.GetCurve()->n, 5);
    EXPECT_EQ(c.GetCurve()->order, 4);
    const int keep[5] = {0, 1, 3, 4, 5};
    for (int i = 0; i < 5; ++i) {
      double q[3];
      c.GetCurve()->GetCtrlPt(i, q);
      EXPECT_LT(Dist(q, pts[keep[i]]), 1e-12);
    }
    c.DelCtrlPt(7);
    c.DelCtrlPt(-1);
    EXPECT_EQ(c.GetCurve()->n, 5);
  }
  {  // a closed curve that loses both ends is closed again
    const double ring[5][3] = {{0, 0, 0}, {2, 0, 0}, {2, 2, 0}, {0, 2, 0}, {0, 0, 0}};
    CGeNrbCrv3d c;
    c.CreateCtrlPt(ring, 5, 3, 0.01);
    ASSERT_EQ(c.IsClosed(0.01), 1);
    const int gone[2] = {0, 4};
    c.DelCtrlPt(gone, 2);
    ASSERT_EQ(c.GetCurve()->n, 4);
    EXPECT_EQ(c.IsClosed(1e-9), 1);
    double s[3];
    c.GetStartPoint(s);
    EXPECT_LT(Dist(s, ring[1]), 1e-12);
    const int tooMany[4] = {0, 1, 2, 3};
    c.DelCtrlPt(tooMany, 3);  // k must stay below count - 1
    EXPECT_EQ(c.GetCurve()->n, 4);
  }
}

TEST_F(NrbCrv3dTest, CopyIsDeepAndCarriesCacheAndWords) {
  std::unique_ptr<CGeNrbCrv3d> w(Wave());
  w->m_nTag = 7;
  w->m_nExtData = 5;
  std::unique_ptr<CGeNrbCrv3d> c(w->Copy());
  ASSERT_TRUE(c);
  EXPECT_NE(c->GetCurve(), w->GetCurve());
  EXPECT_EQ(c->m_nTag, 7);
  EXPECT_EQ(c->m_nExtData, 5);
  EXPECT_EQ(c->m_strDisc.m_nCount, w->m_strDisc.m_nCount);
  const double v[3] = {1, 2, 3};
  w->Translate3D(v);
  double a[3], b[3];
  c->GetStartPoint(a);
  w->GetStartPoint(b);
  EXPECT_NEAR(Dist(a, b), std::sqrt(14.0), 1e-12);
  CGeNrbCrv3d empty;
  EXPECT_EQ(empty.Copy(), nullptr);
}

TEST_F(NrbCrv3dTest, PlanarityAndNodeBoxFromTheControlPoints) {
  std::unique_ptr<CGeNrbCrv3d> c(Circle(2.0));
  double p[3], v[3];
  EXPECT_EQ(c->IsPlanar(1e-6, p, v), GE_PLANAR_PLANE);
  EXPECT_NEAR(std::fabs(v[2]), 1.0, 1e-12);
  std::unique_ptr<CGeNrbCrv3d> w(Wave());
  EXPECT_EQ(w->IsPlanar(1e-6, p, v), GE_PLANAR_NONE);
  _tagBox3D box;
  ASSERT_EQ(c->GetNodeBox(&box), 1);
  // The rational circle's control square is the circle's bounding square.
  EXPECT_NEAR(box.min[0], -2.0, 1e-12);
  EXPECT_NEAR(box.max[1], 2.0, 1e-12);
  CGeNrbCrv3d empty;
  EXPECT_EQ(empty.GetNodeBox(&box), 0);
  EXPECT_EQ(empty.IsPlanar(1e-6, p, v), 0);
}

// Every transform maps the curve's points as the same map of the original's points, keeps
// the cache on the curve, and leaves the weights alone.
TEST_F(NrbCrv3dTest, TransformsMoveCurveAndCacheTogether) {
  using Map = std::function<void(double p[3])>;
  const double axis[3] = {1, 1, 0}, at[3] = {1, 0, 2}, n[3] = {0.3, -1, 0.5};
  const double c2[2] = {1, 2}, q2[2] = {0.5, 0.5}, f2[2] = {2, 0.5}, f3[3] = {2, 3, 0.5};
  double m[4][4] = {{0, -1, 0, 1}, {1, 0, 0, 2}, {0, 0, 2, -1}, {0, 0, 0, 1}};
  _rect_fm3d frame;
  RF_Init(&frame);
  frame.origin[0] = 3;
  frame.xAxis[0] = 0, frame.xAxis[1] = 1;
  frame.yAxis[0] = -1, frame.yAxis[1] = 0;
  struct Case {
    const char* name;
    std::function<void(CGeNrbCrv3d&)> apply;
    Map map;
  } cases[] = {
      {"Translate", [&](CGeNrbCrv3d& c) { c.Translate(c2); },
       [&](double p[3]) { p[0] += 1, p[1] += 2; }},
      {"Rotate", [&](CGeNrbCrv3d& c) { c.Rotate(c2, 0.7); },
       [&](double p[3]) { P2D_Rot(c2, 0.7, p, p); }},
      {"Rotate3D", [&](CGeNrbCrv3d& c) { c.Rotate3D(at, axis, 1.1); },
       [&](double p[3]) { P3D_RotatePnt(axis, at, 1.1, p, p); }},
      {"Mirror", [&](CGeNrbCrv3d& c) { c.Mirror(c2, q2); },
       [&](double p[3]) { P2D_Mirr(c2, q2, p, p); }},
      {"Mirror3D", [&](CGeNrbCrv3d& c) { c.Mirror3D(at, n); },
       [&](double p[3]) { P3D_Mirror(at, n, p, p); }},
      {"Shift", [&](CGeNrbCrv3d& c) { EXPECT_EQ(c.Shift(c2, q2), &c); },
       [&](double p[3]) { P2D_Shift(c2, p, q2); }},
      {"Scale", [&](CGeNrbCrv3d& c) { EXPECT_EQ(c.Scale(c2, f2), &c); },
       [&](double p[3]) { p[0] = 1 + (p[0] - 1) * 2, p[1] = 2 + (p[1] - 2) * 0.5; }},
      {"Scale3D", [&](CGeNrbCrv3d& c) { EXPECT_EQ(c.Scale3D(at, f3), &c); },
       [&](double p[3]) {
         for (int k = 0; k < 3; ++k) p[k] = at[k] + (p[k] - at[k]) * f3[k];
       }},
      {"Matrix", [&](CGeNrbCrv3d& c) { c.Transform(m); }, [&](double p[3]) { MAT44_MultPt(m, p, p); }},
      {"ToFrame", [&](CGeNrbCrv3d& c) { c.Transform(&frame); },
       [&](double p[3]) { RF_TransWorldP3D(&frame, p, p); }},
      {"FromFrame", [&](CGeNrbCrv3d& c) { c.TransformLocal(&frame); },
       [&](double p[3]) { RF_TransLocalP3D(&frame, p, p); }},
  };
  for (const Case& k : cases) {
    std::unique_ptr<CGeNrbCrv3d> orig(Circle(2.0));
    std::unique_ptr<CGeNrbCrv3d> c(orig->Copy());
    k.apply(*c);
    for (int i = 0; i <= 16; ++i) {
      double a[3], b[3];
      orig->GetPointAt(i / 16.0, a, 1);
      k.map(a);
      c->GetPointAt(i / 16.0, b, 1);
      EXPECT_LT(Dist(a, b), 1e-9) << k.name << " " << i;
    }
    for (int i = 0; i < c->m_strDisc.m_nCount; ++i) {
      double p[3];
      c->GetPointAt(c->m_strDisc.m_pParams[i], p, 1);
      EXPECT_LT(Dist(p, c->m_strDisc.m_pPoints[i]), 1e-9) << k.name;
    }
    for (int i = 0; i < c->GetCurve()->n; ++i)
      EXPECT_EQ(c->GetCurve()->ctrlPts[i][3], orig->GetCurve()->ctrlPts[i][3]) << k.name;
  }
}

TEST_F(NrbCrv3dTest, ReverseRunsTheOtherWay) {
  std::unique_ptr<CGeNrbCrv3d> w(Wave());
  std::unique_ptr<CGeNrbCrv3d> r(w->Copy());
  r->Reverse();
  for (int i = 0; i <= 10; ++i) {
    double a[3], b[3];
    w->GetPointAt(i / 10.0, a, 1);
    r->GetPointAt(1.0 - i / 10.0, b, 1);
    EXPECT_LT(Dist(a, b), 1e-9);
  }
  double s[3];
  w->GetEndPoint(s);
  EXPECT_LT(Dist(s, r->m_strDisc.m_pPoints[0]), 1e-9);
}

TEST_F(NrbCrv3dTest, WithoutARecordEverythingIsNeutral) {
  CGeNrbCrv3d c;
  double p[3] = {9, 9, 9}, d1[3], d2[3], t = 5;
  unsigned seg = 0;
  c.GetStartPoint(p);
  c.Ev2Der(0.5, p, d1, d2, 1);
  EXPECT_EQ(p[0], 9);
  EXPECT_EQ(c.EvTotalArcLength(), 0.0);
  EXPECT_EQ(c.EvArcLength(0, 1, 0.01), 0.0);
  EXPECT_EQ(c.EvParam(1.0, t, seg), 0);
  EXPECT_EQ(c.Scale3D(p, p), nullptr);
  CGeCurve3d* out[2] = {nullptr, nullptr};
  c.Split(0.5, out, 1);
  EXPECT_FALSE(out[0] || out[1]);
  c.SetCurve(nullptr);
  EXPECT_EQ(c.GetCurve(), nullptr);
}

TEST_F(NrbCrv3dTest, ControlPointSnapsAndControlPolygon) {
  CVurode view;
  view.SetViewRect(CRect(0, 0, 800, 600));
  view.SetScale(10.0);
  view.SetOrigin(0.0, 0.0);
  gSetVurode(&view);
  const double pts[4][3] = {{0, 0, 0}, {1, 3, 0}, {4, 3, 0}, {5, 0, 0}};
  CGeNrbCrv3d c;
  c.CreateCtrlPt(pts, 4, 3, 0.01);
  CSnapAt snap;
  snap.m_pVurode = &view;
  snap.m_pKXGlobal = gGetKXGlobal();
  snap.m_dSnapDist = 0.5;
  snap.m_pos = Position(1.2, 2.6, 0.0);
  snap.m_nMask = 0x200;
  CSnapResult result;
  ASSERT_EQ(c.GetSnapPos(&snap, result), 1);
  ASSERT_EQ(result.GetSize(), 1);
  EXPECT_EQ(result.GetPos(0).x, 1.0);
  EXPECT_EQ(result.GetPos(0).y, 3.0);
  snap.m_nMask = SNAP_END;  // control points are not offered without their bit
  CSnapResult none;
  EXPECT_EQ(c.GetSnapPos(&snap, none), 0);

  CRecordingDC dc;
  c.DrawNode(&dc, 1, 1);
  EXPECT_EQ(dc.Count(CRecordingDC::Kind::LineTo), 3u);  // the control polygon
  EXPECT_EQ(dc.Count(CRecordingDC::Kind::Ellipse), 1u);  // first point
  EXPECT_EQ(dc.Count(CRecordingDC::Kind::Rectangle), 3u);
  CRecordingDC dc2;
  c.DrawNode(&dc2, 0, 0);
  EXPECT_EQ(dc2.Count(CRecordingDC::Kind::Ellipse), 0u);
  EXPECT_EQ(dc2.Count(CRecordingDC::Kind::Rectangle), 2u);
}

// ---- archive ----

TEST_F(NrbCrv3dTest, ArchiveRecordLayout) {
  const double pts[3][3] = {{0, 0, 0}, {1, 2, 3}, {4, 5, 6}};
  CGeNrbCrv3d c;
  c.CreateCtrlPt(pts, 3, 1, 0.01);  // order 2, 3 points
  c.GetCurve()->ctrlPts[1][0] *= 2.0;  // weight 2 on the middle point, stored as held
  c.GetCurve()->ctrlPts[1][1] *= 2.0;
  c.GetCurve()->ctrlPts[1][2] *= 2.0;
  c.GetCurve()->ctrlPts[1][3] = 2.0;
  c.m_nExtData = 9;
  const auto b = Fields(c);
  const size_t curvePart = 6 * 8 + 4;
  ASSERT_EQ(b.size(), curvePart + 12 + 3 * 32 + 5 * 8);
  EXPECT_EQ(Int(b, 48), 9);
  EXPECT_EQ(Int(b, curvePart), 1);
  EXPECT_EQ(Int(b, curvePart + 4), 2);
  EXPECT_EQ(Int(b, curvePart + 8), 3);
  const size_t cp = curvePart + 12;
  EXPECT_EQ(Dbl(b, cp + 32 + 0), 2.0);
  EXPECT_EQ(Dbl(b, cp + 32 + 8), 4.0);
  EXPECT_EQ(Dbl(b, cp + 32 + 24), 2.0);
  for (int i = 0; i < 5; ++i) EXPECT_EQ(Dbl(b, cp + 96 + 8 * i), c.GetCurve()->knots[i]);

  std::unique_ptr<CGeNrbCrv3d> back(RoundTrip<CGeNrbCrv3d>(&c));
  ASSERT_TRUE(back && back->GetCurve());
  EXPECT_EQ(back->m_nExtData, 9);
  for (int i = 0; i < 3; ++i)
    for (int k = 0; k < 4; ++k) EXPECT_EQ(back->GetCurve()->ctrlPts[i][k], c.GetCurve()->ctrlPts[i][k]);
  EXPECT_EQ(back->m_strDisc.m_nCount, 3);  // the cache is rebuilt on loading

  CGeNrbCrv3d empty;
  const auto e = Fields(empty);
  ASSERT_EQ(e.size(), curvePart + 4);
  EXPECT_EQ(Int(e, curvePart), 0);
  std::unique_ptr<CGeNrbCrv3d> none(RoundTrip<CGeNrbCrv3d>(&empty));
  ASSERT_TRUE(none);
  EXPECT_EQ(none->GetCurve(), nullptr);
}

TEST_F(NrbCrv3dTest, HostileRecordsFailCleanly) {
  std::unique_ptr<CGeNrbCrv3d> w(Wave());
  const auto good = Fields(*w);
  const size_t at = 6 * 8 + 4;
  struct Case {
    const char* name;
    int32_t order, count;
  } bad[] = {{"huge count", 4, 0x7fffffff}, {"count below order", 4, 3},
             {"zero order", 0, 5},         {"negative count", 4, -2},
             {"huge order", 0x40000000, 0x40000000}};
  for (const Case& k : bad) {
    auto b = good;
    PutInt(b, at + 4, k.order);
    PutInt(b, at + 8, k.count);
    EXPECT_THROW(delete LoadNew<CGeNrbCrv3d>(b), CArchiveException) << k.name;
  }
  auto cut = good;
  cut.resize(cut.size() - 8);  // the last knot is missing
  EXPECT_THROW(delete LoadNew<CGeNrbCrv3d>(cut), CArchiveException);

  // Decreasing knots: the record is refused, and the curve keeps the record it held.
  auto b = good;
  const int order = w->GetCurve()->order, n = w->GetCurve()->n;
  const size_t knots = at + 12 + size_t(n) * 32;
  PutDbl(b, knots + 8 * size_t(order), 0.9);
  PutDbl(b, knots + 8 * size_t(order + 1), 0.1);
  std::unique_ptr<CGeNrbCrv3d> c(Wave());
  const BCRV* held = c->GetCurve();
  EXPECT_THROW(shapes3d_test::LoadFields(*c, b), CArchiveException);
  EXPECT_EQ(c->GetCurve(), held);
}

}  // namespace
