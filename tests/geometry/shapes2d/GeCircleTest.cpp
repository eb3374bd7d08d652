// Circle: closed-form points, derivatives, areas and lengths; discretisation bounds; nearest
// and tangent points against independent answers; transforms, splitting and offsets.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>
#include <numbers>
#include <random>

#include "geometry/shapes2d/GeArc.h"
#include "geometry/shapes2d/GeBezier.h"
#include "geometry/shapes2d/GeCircle.h"
#include "geometry/shapes2d/GeEllipse.h"
#include "geometry/shapes2d/PickRay.h"
#include "support/VurodeFixture.h"
#include "support/geometry/BufferArea.h"

namespace {
double Dist(const double a[2], const double b[2]) { return std::hypot(a[0] - b[0], a[1] - b[1]); }

// Signed area of the point buffer taken as a polygon: the buffer must turn the way the
// circle's direction says.
using CircleTest = VurodeTest;

TEST_F(CircleTest, PointsTangentsAndDerivativesFollowTheDirection) {
  const double c[2] = {1.5, -2.0};
  const double r = 3.0;
  for (int dir : {1, 0}) {
    CGeCircle circle(c, r, dir);
    const double sense = dir ? 1.0 : -1.0;
    for (double t : {0.0, 0.1, 0.25, 0.5, 0.8, 1.0}) {
      double p[2], q[2], v[2];
      circle.GetPointAt(t, p, 1);
      circle.EvPos(t, q, 1);
      const double phi = sense * 2.0 * std::numbers::pi * t;
      EXPECT_NEAR(p[0], c[0] + r * std::cos(phi), 1e-12) << dir << " " << t;
      EXPECT_NEAR(p[1], c[1] + r * std::sin(phi), 1e-12) << dir << " " << t;
      EXPECT_NEAR(Dist(p, q), 0.0, 1e-12);
      // The tangent is the radius vector turned a quarter towards the direction of travel.
      circle.GetTanVecAt(t, v, 1);
      EXPECT_NEAR(std::hypot(v[0], v[1]), r, 1e-12);
      EXPECT_NEAR((p[0] - c[0]) * v[0] + (p[1] - c[1]) * v[1], 0.0, 1e-9);
      EXPECT_GT(sense * ((p[0] - c[0]) * v[1] - (p[1] - c[1]) * v[0]), 0.0);
      // Derivatives against central differences of the position.
      const double h = 1e-5;
      double pm[2], pp[2], d1[2], d2[2], d1m[2], d1p[2], x[2];
      circle.EvPos(t - h, pm, 1);
      circle.EvPos(t + h, pp, 1);
      circle.Ev2Der(t, x, d1, d2, 1);
      EXPECT_NEAR(d1[0], (pp[0] - pm[0]) / (2 * h), 1e-5 * r);
      EXPECT_NEAR(d1[1], (pp[1] - pm[1]) / (2 * h), 1e-5 * r);
      circle.Ev1Der(t - h, x, d1m, 1);
      circle.Ev1Der(t + h, x, d1p, 1);
      EXPECT_NEAR(d2[0], (d1p[0] - d1m[0]) / (2 * h), 1e-4 * r);
      EXPECT_NEAR(d2[1], (d1p[1] - d1m[1]) / (2 * h), 1e-4 * r);
    }
    double q[2];
    circle.GetPointAt(0.25, q, 1);
    EXPECT_NEAR(q[1], c[1] + sense * r, 1e-12);
  }
}

TEST_F(CircleTest, AreaLengthAndBufferAgreeWithClosedForms) {
  const double c[2] = {-4.0, 2.0};
  for (double r : {1.0, 0.2, 50.0}) {
    for (int dir : {1, 0}) {
      CGeCircle circle(c, r, dir);
      const double sense = dir ? 1.0 : -1.0;
      EXPECT_NEAR(circle.EvArea(), sense * std::numbers::pi * r * r, 1e-12 * r * r);
      EXPECT_NEAR(circle.EvTotalArcLength(), 2 * std::numbers::pi * r, 1e-12 * r);
      EXPECT_NEAR(circle.EvArcLength(0.75, 0.25, 1), std::numbers::pi * r, 1e-12 * r);
      EXPECT_EQ(circle.IsClosed(0.0), 1);
      // The buffer starts and ends at angle 0, stays on the circle and turns the right way.
      ASSERT_GT(circle.m_nSWPoint, 4);
      double s[2], e[2];
      circle.GetStartPoint(s);
      circle.GetEndPoint(e);
      EXPECT_NEAR(s[0], c[0] + r, 1e-5);
      EXPECT_NEAR(s[1], c[1], 1e-5);
      EXPECT_EQ(s[0], e[0]);
      EXPECT_EQ(s[1], e[1]);
      for (int i = 0; i < circle.m_nSWPoint; ++i)
        EXPECT_NEAR(Dist(circle.m_pSWPoint[i], c), r, 1e-5 * (1 + r));
      EXPECT_NEAR(BufferArea(circle) / circle.EvArea(), 1.0, 0.02);
      _tagBox2D box;
      circle.GetBox2d(&box);
      EXPECT_EQ(box.min[0], c[0] - r);
      EXPECT_EQ(box.max[1], c[1] + r);
    }
  }
}

TEST_F(CircleTest, StepCountsAreBoundedForEveryRadiusAndTolerance) {
  struct Case {
    double r, tol, step;
  };
  const double c[2] = {0.0, 0.0};
  for (const Case& k : {Case{10.0, 0.01, 1.0 / 71}, Case{0.5, 0.2, 0.125}, Case{1.0, 2.0, 0.1},
                        Case{0.0, 0.01, 0.1}, Case{0.0, 0.0, 0.1}}) {
    CGeCircle circle(c, k.r, 1);
    double step = -1.0;
    EXPECT_EQ(circle.GetDiscStep(k.tol, step), 1);
    EXPECT_NEAR(step, k.step, 1e-15) << k.r << " " << k.tol;
  }
  // A zero or negative tolerance would ask for an infinite count.
  CGeCircle unit(c, 1.0, 1);
  for (double tol : {0.0, -1.0}) {
    double step = 0.0;
    unit.GetDiscStep(tol, step);
    EXPECT_GT(step, 0.0);
    EXPECT_TRUE(std::isfinite(1.0 / step));
  }
}

TEST_F(CircleTest, TinyAndDegenerateRadiiNeverYieldNonFinitePoints) {
  const double c[2] = {2.0, 3.0};
  // Below half the minimum tolerance the step angle would come from acos of less than -1.
  for (double r : {0.001, 1e-9}) {
    CGeCircle circle(c, r, 1);
    CPoint2dArray pts;
    circle.Discrete(r, &pts, 0.1, false);
    ASSERT_GE(pts.GetSize(), 3);
    EXPECT_LE(pts.GetSize(), 9);  // a speck needs a handful of points, not the upper bound
    for (int i = 0; i < pts.GetSize(); ++i) {
      EXPECT_TRUE(std::isfinite(pts[i].x));
      EXPECT_TRUE(std::isfinite(pts[i].y));
    }
  }
  for (double r : {0.0, std::nan("")}) {
    CGeCircle circle(c, r, 1);
    CPoint2dArray pts;
    circle.Discrete(0.01, &pts, 0.1, false);
    EXPECT_EQ(pts.GetSize(), 0) << r;
    EXPECT_EQ(circle.m_nSWPoint, 0);
  }
  // A huge radius is bounded instead of exhausting memory.
  CGeCircle huge(c, 1e300, 1);
  EXPECT_GT(huge.m_nSWPoint, 8);
  EXPECT_LE(huge.m_nSWPoint, 100001);
}

TEST_F(CircleTest, EvParamInvertsArcLength) {
  const double c[2] = {1.0, 1.0};
  const double total = 4 * std::numbers::pi;
  struct Case {
    double len, t;
  };
  // Lengths beyond a turn wrap; a whole number of turns ends at t = 1.
  const Case cases[] = {{0.0, 0.0},        {total / 4, 0.25},    {total, 1.0},
                        {2.5 * total, 0.5}, {3 * total, 1.0},      {total + 1.0, 1.0 / total}};
  for (int dir : {1, 0}) {
    CGeCircle circle(c, 2.0, dir);
    for (const Case& k : cases) {
      double t = -1.0;
      unsigned seg = 0;
      ASSERT_EQ(circle.EvParam(k.len, t, seg), 1) << k.len;
      EXPECT_EQ(seg, 1u);
      EXPECT_NEAR(t, k.t, 1e-12) << k.len;
      EXPECT_NEAR(circle.EvArcLength(0.0, t, 1), k.t * total, 1e-9);
    }
    // A very long length costs no more than a short one and still lands on the circle.
    double t = -1.0;
    unsigned seg = 0;
    ASSERT_EQ(circle.EvParam(1e12, t, seg), 1);
    EXPECT_GE(t, 0.0);
    EXPECT_LE(t, 1.0);
  }
  double t = 0.0;
  unsigned seg = 0;
  CGeCircle point(c, 0.0, 1);
  EXPECT_EQ(point.EvParam(1.0, t, seg), 0);
  CGeCircle circle(c, 1.0, 1);
  EXPECT_EQ(circle.EvParam(std::numeric_limits<double>::infinity(), t, seg), 0);
}

TEST_F(CircleTest, NearestPointMatchesBruteForce) {
  std::mt19937 rng(7);
  std::uniform_real_distribution<double> u(-10.0, 10.0);
  const double c[2] = {0.5, -1.0};
  for (int dir : {1, 0}) {
    CGeCircle circle(c, 4.0, dir);
    for (int k = 0; k < 50; ++k) {
      const double pt[2] = {u(rng), u(rng)};
      double nearPt[2], t = 0.0, dist = 1e12;
      unsigned seg = 0;
      ASSERT_EQ(circle.GetNearestPoint(pt, nearPt, t, seg, dist), 1);
      double best = 1e12;
      for (int i = 0; i < 20000; ++i) {
        double q[2];
        circle.GetPointAt(i / 20000.0, q, 1);
        best = std::min(best, Dist(pt, q));
      }
      EXPECT_LE(dist, best + 1e-9);
      EXPECT_NEAR(dist, best, 1e-5);
      double q[2];
      circle.GetPointAt(t, q, 1);
      EXPECT_NEAR(Dist(q, nearPt), 0.0, 1e-9);
    }
  }
  double nearPt[2], t = 0.0, dist = 1e12;
  unsigned seg = 0;
  CGeCircle circle(c, 4.0, 1);
  EXPECT_EQ(circle.GetNearestPoint(c, nearPt, t, seg, dist), 0);  // no direction at the centre
}

TEST_F(CircleTest, TangentPointTouchesAndPrefersTheNearerParameter) {
  const double c[2] = {0.0, 0.0};
  const double from[2] = {10.0, 0.0};
  for (int dir : {1, 0}) {
    CGeCircle circle(c, 5.0, dir);
    // The tangent points of (10, 0) lie at +-60 degrees: t = 1/6 and 5/6.
    for (double guess : {0.1, 0.9}) {
      double t = guess, touch[2];
      int seg = 0;
      ASSERT_EQ(circle.GetTanPt(from, t, seg, touch), 1);
      EXPECT_EQ(seg, 1);
      EXPECT_NEAR(t, guess < 0.5 ? 1.0 / 6 : 5.0 / 6, 1e-9);
      double p[2];
      circle.GetPointAt(t, p, 1);
      EXPECT_NEAR(Dist(p, touch), 0.0, 1e-9);
      EXPECT_NEAR((touch[0] - from[0]) * touch[0] + (touch[1] - from[1]) * touch[1], 0.0, 1e-9);
    }
    const double inside[2] = {1.0, 1.0};
    double t = 0.0, touch[2];
    int seg = 0;
    EXPECT_EQ(circle.GetTanPt(inside, t, seg, touch), 0);
  }
}

TEST_F(CircleTest, IsPointOnGivesTheParameterWithinTolerance) {
  const double c[2] = {1.0, 2.0};
  CGeCircle ccw(c, 2.0, 1), cw(c, 2.0, 0);
  const double top[2] = {1.0, 4.005}, off[2] = {1.0, 4.02};
  double t = -1.0;
  EXPECT_EQ(ccw.IsPointOn(top, t), 1);
  EXPECT_NEAR(t, 0.25, 1e-12);
  EXPECT_EQ(cw.IsPointOn(top, t), 1);
  EXPECT_NEAR(t, 0.75, 1e-12);
  EXPECT_EQ(ccw.IsPointOn(off, t), 0);
}

TEST_F(CircleTest, TransformsKeepShapeAndTurnTheDirectionWhenTheyMirror) {
  const double c0[2] = {3.0, 1.0};
  const double origin[2] = {-1.0, 2.0}, axis[2] = {1.0, 2.0};
  for (int dir : {1, 0}) {
    CGeCircle circle(c0, 2.0, dir);
    const double area = circle.EvArea();

    circle.Rotate(origin, 2 * std::numbers::pi);
    EXPECT_NEAR(circle.m_ptCenter[0], c0[0], 1e-12);
    EXPECT_NEAR(circle.m_ptCenter[1], c0[1], 1e-12);

    circle.Mirror(origin, axis);
    EXPECT_EQ(circle.m_nDir, 1 - dir);
    EXPECT_NEAR(BufferArea(circle) / circle.EvArea(), 1.0, 0.02);  // buffer and data agree
    circle.Mirror(origin, axis);
    EXPECT_EQ(circle.m_nDir, dir);
    EXPECT_NEAR(circle.m_ptCenter[0], c0[0], 1e-12);
    EXPECT_NEAR(circle.m_ptCenter[1], c0[1], 1e-12);

    circle.Reverse();
    EXPECT_NEAR(circle.EvArea(), -area, 1e-12);
    EXPECT_NEAR(BufferArea(circle) / circle.EvArea(), 1.0, 0.02);
    circle.Reverse();
    EXPECT_EQ(circle.m_nDir, dir);

    // A reflecting matrix mirrors like Mirror does.
    const double flip[3][3] = {{-1, 0, 4}, {0, 1, 0}, {0, 0, 1}};
    circle.Transform(flip);
    EXPECT_EQ(circle.m_nDir, 1 - dir);
    EXPECT_NEAR(circle.m_ptCenter[0], 1.0, 1e-12);
    EXPECT_NEAR(BufferArea(circle) / circle.EvArea(), 1.0, 0.02);
  }
}

TEST_F(CircleTest, ScaledAreaIsTheFactorProductOfTheOldArea) {
  const double c[2] = {2.0, -1.0}, base[2] = {0.5, 0.5};
  const double factors[][2] = {{2, 2}, {-3, -3}, {2, 3}, {-2, 3}, {2, -0.5}, {-1, 1}};
  for (int dir : {1, 0}) {
    for (const auto& f : factors) {
      auto circle = std::make_unique<CGeCircle>(c, 1.5, dir);
      const double area = circle->EvArea();
      double before[5][2];
      for (int i = 0; i < 5; ++i) circle->GetPointAt(i / 5.0, before[i], 1);
      CGeShape2d* out = circle->Scale(base, f);
      ASSERT_NE(out, nullptr);
      std::unique_ptr<CGeShape2d> owned(out == circle.get() ? nullptr : out);
      auto* curve = static_cast<CGeCurve*>(out);
      EXPECT_NEAR(curve->EvArea(), f[0] * f[1] * area, 1e-9) << f[0] << " " << f[1];
      if (out == circle.get()) continue;
      // Unequal factors give an ellipse that traces the scaled circle point by point.
      ASSERT_EQ(curve->GetType(), GE_TYPE_ELLIPSE);
      EXPECT_EQ(circle->m_dRadius, 1.5);  // the circle's data stays
      for (int i = 0; i < 5; ++i) {
        double p[2];
        curve->GetPointAt(i / 5.0, p, 1);
        EXPECT_NEAR(p[0], base[0] + f[0] * (before[i][0] - base[0]), 1e-9);
        EXPECT_NEAR(p[1], base[1] + f[1] * (before[i][1] - base[1]), 1e-9);
      }
      EXPECT_NEAR(BufferArea(*curve) / curve->EvArea(), 1.0, 0.02);
    }
  }
}

TEST_F(CircleTest, SplitGivesTwoArcsOrTheWholeCircleAtAnEnd) {
  const double c[2] = {1.0, 1.0};
  for (int dir : {1, 0}) {
    CGeCircle circle(c, 2.0, dir);
    const double sense = dir ? 1.0 : -1.0;
    CGeCurve* out[2] = {nullptr, nullptr};
    circle.Split(0.5, out, 0, 0);
    std::unique_ptr<CGeCurve> a(out[0]), b(out[1]);
    ASSERT_TRUE(a && b);
    ASSERT_EQ(a->GetType(), GE_TYPE_ARC);
    EXPECT_NEAR(static_cast<CGeArc*>(a.get())->m_dSweep, sense * std::numbers::pi, 1e-9);
    EXPECT_NEAR(static_cast<CGeArc*>(b.get())->m_dSweep, sense * std::numbers::pi, 1e-9);
    double s[2], m[2];
    a->EvPos(0.0, s, 1);
    a->EvPos(1.0, m, 1);
    EXPECT_NEAR(s[0], 3.0, 1e-9);
    EXPECT_NEAR(m[0], -1.0, 1e-9);
    a->EvPos(0.5, m, 1);
    EXPECT_NEAR(m[1], 1.0 + sense * 2.0, 1e-9);  // through the top when counter-clockwise

    for (double t : {0.0, 1.0}) {
      CGeCurve* ends[2] = {nullptr, nullptr};
      circle.Split(t, ends, 0, 0);
      std::unique_ptr<CGeCurve> first(ends[0]), second(ends[1]);
      CGeCurve* whole = t == 0.0 ? second.get() : first.get();
      EXPECT_EQ(t == 0.0 ? first.get() : second.get(), nullptr);
      ASSERT_NE(whole, nullptr) << t;
      ASSERT_EQ(whole->GetType(), GE_TYPE_ARC);
      EXPECT_NEAR(static_cast<CGeArc*>(whole)->m_dSweep, sense * 2 * std::numbers::pi, 1e-12);
      EXPECT_NEAR(whole->EvTotalArcLength(), circle.EvTotalArcLength(), 1e-9);
    }
    CGeCurve* none[2] = {nullptr, nullptr};
    circle.Split(1.5, none, 0, 0);
    EXPECT_EQ(none[0], nullptr);
    EXPECT_EQ(none[1], nullptr);
  }
}

TEST_F(CircleTest, OffsetGoesLeftOfTravelAndConversionsKeepTheDirection) {
  const double c[2] = {0.0, 0.0};
  for (int dir : {1, 0}) {
    CGeCircle circle(c, 2.0, dir);
    std::unique_ptr<CGeCurve> off(circle.Offset(0.5));
    ASSERT_TRUE(off);
    EXPECT_NEAR(static_cast<CGeCircle*>(off.get())->m_dRadius, dir ? 1.5 : 2.5, 1e-12);
    EXPECT_EQ(circle.Offset(dir ? 2.0 : -2.0), nullptr);

    std::unique_ptr<CGeArc> arc(circle.ToArc());
    EXPECT_NEAR(arc->EvArea(), 0.0, 1e-12);  // not discretised yet
    EXPECT_NEAR(arc->m_dSweep, dir ? 2 * std::numbers::pi : -2 * std::numbers::pi, 1e-15);
    std::unique_ptr<CGeEllipse> ell(circle.ToEllipse());
    EXPECT_NEAR(ell->EvArea(), circle.EvArea(), 1e-12);
  }
}

TEST_F(CircleTest, BezierFormStaysWithinItsKnownErrorAndRunsEitherWay) {
  const double c[2] = {-3.0, 7.0};
  for (double r : {1.0, 40.0}) {
    CGeCircle circle(c, r, 1);
    std::unique_ptr<CGeBezier> ccw(circle.ToBezier(1)), cw(circle.ToBezier(0));
    ASSERT_TRUE(ccw && cw);
    ASSERT_EQ(ccw->GetNodeCount(), 13);
    ASSERT_EQ(cw->GetNodeCount(), 13);
    EXPECT_EQ(ccw->m_nClosed, 1);
    for (int i = 0; i < 13; ++i) {
      EXPECT_EQ(ccw->m_pNode[i].x, cw->m_pNode[12 - i].x) << i;
      EXPECT_EQ(ccw->m_pNode[i].y, cw->m_pNode[12 - i].y) << i;
    }
    // The radial error of the four-arc form peaks at 2.72e-4 r.
    double worst = 0.0;
    for (int seg = 1; seg <= 4; ++seg)
      for (int i = 0; i <= 200; ++i) {
        double p[2];
        ccw->GetPointAt(i / 200.0, p, static_cast<unsigned>(seg));
        worst = std::max(worst, std::fabs(Dist(p, c) - r));
      }
    EXPECT_LT(worst, 2.73e-4 * r);
    EXPECT_GT(worst, 2.0e-4 * r);  // the constant is the usual one, not an exact fit
  }
}

TEST_F(CircleTest, ShearAnswersWithABezierOfTheSameSense) {
  const double c[2] = {1.0, 0.0}, p[2] = {0.0, 0.0}, q[2] = {0.3, 0.0};
  gSetCurveDicTol(1e-4);
  for (int dir : {1, 0}) {
    CGeCircle circle(c, 2.0, dir);
    std::unique_ptr<CGeShape2d> out(circle.Shift(p, q));
    ASSERT_TRUE(out);
    auto* bez = static_cast<CGeCurve*>(out.get());
    ASSERT_EQ(bez->GetType(), GE_TYPE_BEZIER);
    EXPECT_NEAR(bez->EvArea(), circle.EvArea(), 0.01);  // a shear keeps areas
  }
}

TEST_F(CircleTest, PickMeasuresTheDistanceToTheRimStrictly) {
  const double c[2] = {0.0, 0.0};
  CGeCircle circle(c, 5.0, 1);
  CPickRay ray;
  ray.m_b2D = 1;
  ray.m_dRadius = 0.5;
  ray.m_ptOrigin[0] = 5.3;
  EXPECT_EQ(circle.Pick(ray, 1), 1);
  EXPECT_NEAR(ray.m_dDist2D, 0.3, 1e-12);
  ray.m_ptOrigin[0] = 5.5;
  EXPECT_EQ(circle.Pick(ray, 1), 0);
  ray.m_ptOrigin[0] = 0.0;  // the centre is far from the rim
  EXPECT_EQ(circle.Pick(ray, 1), 0);
  ray.m_ptOrigin[0] = 5.1;
  ray.m_nTypeMask = GE_TYPE_ELLIPSE;
  EXPECT_EQ(circle.Pick(ray, 1), 0);
  EXPECT_EQ(circle.Pick(ray, 0), 1);
  EXPECT_NEAR(ray.m_dDist2D, 0.1, 1e-12);
}

}  // namespace
