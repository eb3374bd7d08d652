// Ellipse: closed-form points and derivatives, area, perimeter against an independent series,
// arc-length parameters, nearest and tangent points, transforms mapping points one to one,
// and the Bezier form with the splits and scalings that go through it.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <memory>
#include <numbers>
#include <random>
#include <vector>

#include "geometry/shapes2d/GeBezier.h"
#include "geometry/shapes2d/GeCircle.h"
#include "geometry/shapes2d/GeEllipse.h"
#include "support/VurodeFixture.h"
#include "support/geometry/BufferArea.h"

namespace {
double Dist(const double a[2], const double b[2]) { return std::hypot(a[0] - b[0], a[1] - b[1]); }

// Perimeter by the arithmetic-geometric mean (Gauss-Kummer), independent of any quadrature.
double AgmPerimeter(double a, double b) {
  double x = std::max(a, b), y = std::min(a, b);
  const double a0 = x;
  double sum = 0.5 * (x * x - y * y), w = 1.0;
  while (x - y > 1e-15 * x) {
    const double c = 0.5 * (x - y);
    const double nx = 0.5 * (x + y);
    y = std::sqrt(x * y);
    x = nx;
    w *= 2.0;
    sum += 0.5 * w * c * c;
  }
  return 2.0 * std::numbers::pi * (a0 * a0 - sum) / x;
}

// Independent point of the ellipse: the defining formula.
void Formula(const CGeEllipse& e, double t, double p[2]) {
  const double phi = 2 * std::numbers::pi * (e.m_nDir == 1 ? t : 1.0 - t);
  const double x = e.m_dA * std::cos(phi), y = e.m_dB * std::sin(phi);
  const double c = std::cos(e.m_dRotation), s = std::sin(e.m_dRotation);
  p[0] = e.m_ptCenter[0] + c * x - s * y;
  p[1] = e.m_ptCenter[1] + s * x + c * y;
}

struct Shape {
  double cx, cy, a, b, rot;
  int dir;
};
const Shape kShapes[] = {{0, 0, 2, 1, 0, 1},       {1, -2, 2, 1, 0, 0},    {3, 1, 5, 0.5, 0.7, 1},
                         {-2, 4, 1, 3, 2.5, 0},    {0.5, 0.5, 4, 4, 1.0, 1}, {0, 0, 0.3, 0.1, 6.0, 0}};

std::unique_ptr<CGeEllipse> Make(const Shape& s) {
  const double c[2] = {s.cx, s.cy};
  return std::make_unique<CGeEllipse>(c, s.a, s.b, s.rot, s.dir);
}

class EllipseTest : public VurodeTest {
 protected:
  void SetUp() override {
    VurodeTest::SetUp();
    gSetCurveDicTol(1e-4);  // buffers fine enough for their polygon areas to compare
  }
};

TEST_F(EllipseTest, PointsAndDerivativesMatchTheFormula) {
  for (const Shape& s : kShapes) {
    auto e = Make(s);
    double start[2], end[2], p0[2];
    e->GetStartPoint(start);
    e->GetEndPoint(end);
    Formula(*e, 0.0, p0);
    EXPECT_NEAR(Dist(start, p0), 0.0, 1e-12);
    EXPECT_NEAR(Dist(end, p0), 0.0, 1e-12);
    for (double t : {0.0, 0.13, 0.25, 0.5, 0.77, 1.0}) {
      double p[2], q[2], f[2], v[2], d1[2], d2[2];
      e->GetPointAt(t, p, 1);
      e->EvPos(t, q, 1);
      Formula(*e, t, f);
      EXPECT_NEAR(Dist(p, f), 0.0, 1e-12);
      EXPECT_NEAR(Dist(q, f), 0.0, 1e-12);
      const double h = 1e-5;
      double pm[2], pp[2], d1m[2], d1p[2], x[2];
      Formula(*e, t - h, pm);
      Formula(*e, t + h, pp);
      e->GetTanVecAt(t, v, 1);
      e->Ev2Der(t, x, d1, d2, 1);
      for (int k = 0; k < 2; ++k) {
        EXPECT_NEAR(v[k], (pp[k] - pm[k]) / (2 * h), 1e-5 * s.a * s.b + 1e-6);
        EXPECT_NEAR(d1[k], v[k], 1e-12);
      }
      e->Ev1Der(t - h, x, d1m, 1);
      e->Ev1Der(t + h, x, d1p, 1);
      for (int k = 0; k < 2; ++k) EXPECT_NEAR(d2[k], (d1p[k] - d1m[k]) / (2 * h), 1e-3);
    }
  }
}

TEST_F(EllipseTest, AreaAndPerimeterAgreeWithClosedForms) {
  for (const Shape& s : kShapes) {
    auto e = Make(s);
    const double sense = s.dir == 1 ? 1.0 : -1.0;
    EXPECT_NEAR(e->EvArea(), sense * std::numbers::pi * s.a * s.b, 1e-12);
    EXPECT_NEAR(BufferArea(*e) / e->EvArea(), 1.0, 0.02);
    EXPECT_NEAR(e->EvTotalArcLength(), AgmPerimeter(s.a, s.b), 0.005) << s.a << " " << s.b;
    // Lengths add up over a cut, and run the same whatever the direction or rotation.
    EXPECT_NEAR(e->EvArcLength(0.0, 0.3, 1) + e->EvArcLength(0.3, 1.0, 1),
                e->EvTotalArcLength(), 0.01);
    EXPECT_EQ(e->EvArcLength(0.6, 0.2, 1), 0.0);
  }
  const double c[2] = {0, 0};
  CGeEllipse eccentric(c, 100.0, 0.5, 0.0, 1);
  EXPECT_NEAR(eccentric.EvTotalArcLength(), AgmPerimeter(100.0, 0.5), 0.005);
}

TEST_F(EllipseTest, EvParamInvertsArcLengthAndWrapsByThePerimeter) {
  for (const Shape& s : kShapes) {
    auto e = Make(s);
    const double total = e->EvTotalArcLength();
    for (double frac : {0.0, 0.05, 0.25, 0.5, 0.9, 1.0}) {
      for (int turns : {0, 1, 3}) {
        const double len = (frac + turns) * total;
        double t = -1.0;
        unsigned seg = 7;
        ASSERT_EQ(e->EvParam(len, t, seg), 1) << len;
        EXPECT_EQ(seg, 1u);
        const double want = (turns > 0 && frac == 0.0) ? total : frac * total;
        EXPECT_NEAR(e->EvArcLength(0.0, t, 1), want, 0.015) << s.a << " " << len;
      }
    }
  }
  // Wrapping by the real perimeter (40.64 here), not by pi * (a + b) = 34.56.
  const double c[2] = {0, 0};
  CGeEllipse flat(c, 10.0, 1.0, 0.0, 1);
  double t = 0.0;
  unsigned seg = 0;
  ASSERT_EQ(flat.EvParam(AgmPerimeter(10, 1) + 5.0, t, seg), 1);
  EXPECT_NEAR(flat.EvArcLength(0.0, t, 1), 5.0, 0.015);
  // A point ellipse has no length to find: it fails at once instead of looping.
  CGeEllipse point(c, 0.0, 0.0, 0.0, 1);
  EXPECT_EQ(point.EvParam(1.0, t, seg), 0);
}

TEST_F(EllipseTest, NearestPointMatchesBruteForce) {
  std::mt19937 rng(11);
  std::uniform_real_distribution<double> u(-8.0, 8.0);
  for (const Shape& s : kShapes) {
    auto e = Make(s);
    for (int k = 0; k < 25; ++k) {
      const double pt[2] = {s.cx + u(rng), s.cy + u(rng)};
      double nearPt[2], t = 0.0, dist = 1e12;
      unsigned seg = 0;
      ASSERT_EQ(e->GetNearestPoint(pt, nearPt, t, seg, dist), 1);
      double best = 1e12;
      for (int i = 0; i < 20000; ++i) {
        double q[2];
        Formula(*e, i / 20000.0, q);
        best = std::min(best, Dist(pt, q));
      }
      EXPECT_LE(dist, best + 1e-9);
      EXPECT_NEAR(dist, best, 1e-4);
      double q[2];
      e->GetPointAt(t, q, 1);
      EXPECT_NEAR(Dist(q, nearPt), 0.0, 1e-9);
    }
  }
}

TEST_F(EllipseTest, TangentPointParameterIsTheEllipsesOwnInEitherDirection) {
  for (const Shape& s : kShapes) {
    auto e = Make(s);
    // From well outside the ellipse.
    const double far = 3.0 * std::max(s.a, s.b);
    const double from[2] = {s.cx + far * std::cos(s.rot + 0.3), s.cy + far * std::sin(s.rot + 0.3)};
    int found = 0;
    for (double guess : {0.1, 0.4, 0.6, 0.9}) {
      double t = guess, touch[2];
      int seg = 0;
      if (!e->GetTanPt(from, t, seg, touch)) continue;
      ++found;
      EXPECT_EQ(seg, 1);
      double p[2], v[2];
      e->GetPointAt(t, p, 1);
      EXPECT_NEAR(Dist(p, touch), 0.0, 1e-6) << s.dir << " " << guess;
      e->GetTanVecAt(t, v, 1);
      const double w[2] = {touch[0] - from[0], touch[1] - from[1]};
      EXPECT_NEAR((w[0] * v[1] - w[1] * v[0]) / (std::hypot(w[0], w[1]) * std::hypot(v[0], v[1])),
                  0.0, 1e-5);
    }
    EXPECT_GE(found, 2) << s.a << " " << s.b;  // both tangents are reachable from some guess
  }
  // From inside there is no tangent.
  const double c[2] = {0, 0};
  CGeEllipse e(c, 2.0, 1.0, 0.0, 1);
  double t = 0.2, touch[2];
  int seg = 0;
  EXPECT_EQ(e.GetTanPt(c, t, seg, touch), 0);
}

TEST_F(EllipseTest, StepCountsAndDegenerateAxes) {
  const double c[2] = {0, 0};
  CGeEllipse e(c, 10.0, 3.0, 0.4, 1);
  double step = 0.0;
  e.GetDiscStep(0.01, step);
  EXPECT_NEAR(step, 1.0 / 71, 1e-15);
  e.GetDiscStep(20.0, step);
  EXPECT_EQ(step, 0.1);
  e.GetDiscStep(0.0, step);
  EXPECT_GT(step, 0.0);
  // Axes below half the tolerance would take acos of less than -1.
  CGeEllipse tiny(c, 0.001, 0.0005, 0.0, 1);
  ASSERT_GE(tiny.m_nSWPoint, 3);
  EXPECT_LE(tiny.m_nSWPoint, 9);
  for (int i = 0; i < tiny.m_nSWPoint; ++i) EXPECT_TRUE(std::isfinite(tiny.m_pSWPoint[i][0]));
  CGeEllipse point(c, 0.0, 0.0, 0.0, 1);
  CPoint2dArray pts;
  point.Discrete(0.01, &pts, 0.1, false);
  EXPECT_EQ(pts.GetSize(), 0);
  CGeEllipse huge(c, 1e300, 1.0, 0.0, 1);
  EXPECT_LE(huge.m_nSWPoint, 100001);
}

// Each transform maps the point at t to the transformed point at the same t, and turns the
// direction exactly when it mirrors.
TEST_F(EllipseTest, TransformsMapPointsOneToOne) {
  const double centre[2] = {1.0, -0.5}, axis[2] = {2.0, 1.0}, shift[2] = {3.0, -4.0};
  struct Op {
    const char* name;
    bool mirrors;
    std::function<void(CGeEllipse&)> apply;
    std::function<void(double[2])> map;
  };
  const double ang = 0.9;
  const double mat[3][3] = {{0, 1, 2}, {1, 0, -1}, {0, 0, 1}};  // reflection in y = x, moved
  const std::vector<Op> ops = {
      {"translate", false, [&](CGeEllipse& e) { e.Translate(shift); },
       [&](double p[2]) { p[0] += shift[0], p[1] += shift[1]; }},
      {"rotate", false, [&](CGeEllipse& e) { e.Rotate(centre, ang); },
       [&](double p[2]) { P2D_Rot(centre, ang, p, p); }},
      {"mirror", true, [&](CGeEllipse& e) { e.Mirror(centre, axis); },
       [&](double p[2]) { P2D_Mirr(centre, axis, p, p); }},
      {"transform", true, [&](CGeEllipse& e) { e.Transform(mat); },
       [&](double p[2]) { MAT33_MultPt(mat, p, p); }},
  };
  for (const Shape& s : kShapes) {
    for (const Op& op : ops) {
      auto e = Make(s);
      double before[8][2];
      for (int i = 0; i < 8; ++i) e->GetPointAt(i / 8.0, before[i], 1);
      const double area = e->EvArea();
      op.apply(*e);
      EXPECT_EQ(e->m_nDir, op.mirrors ? 1 - s.dir : s.dir) << op.name;
      EXPECT_NEAR(e->EvArea(), op.mirrors ? -area : area, 1e-9) << op.name;
      EXPECT_NEAR(BufferArea(*e) / e->EvArea(), 1.0, 0.02) << op.name;
      for (int i = 0; i < 8; ++i) {
        double p[2];
        e->GetPointAt(i / 8.0, p, 1);
        op.map(before[i]);
        EXPECT_NEAR(Dist(p, before[i]), 0.0, 1e-9) << op.name << " " << i;
      }
    }
  }
}

TEST_F(EllipseTest, InvolutionsRestoreTheEllipse) {
  const double centre[2] = {0.3, 0.2}, axis[2] = {1.0, -3.0};
  for (const Shape& s : kShapes) {
    auto e = Make(s);
    double before[6][2];
    for (int i = 0; i < 6; ++i) e->GetPointAt(i / 6.0, before[i], 1);
    e->Rotate(centre, 2 * std::numbers::pi);
    e->Mirror(centre, axis);
    e->Mirror(centre, axis);
    e->Reverse();
    e->Reverse();
    EXPECT_EQ(e->m_nDir, s.dir);
    for (int i = 0; i < 6; ++i) {
      double p[2];
      e->GetPointAt(i / 6.0, p, 1);
      EXPECT_NEAR(Dist(p, before[i]), 0.0, 1e-9);
    }
  }
}

TEST_F(EllipseTest, ScaleKeepsAnAxisAlignedEllipseAndTurnsWhenItMirrors) {
  const double c[2] = {1.0, 2.0}, base[2] = {-1.0, 0.5};
  const double factors[][2] = {{2, 3}, {-2, 3}, {2, -0.5}, {-1, -1}};
  for (int dir : {1, 0}) {
    for (const auto& f : factors) {
      CGeEllipse e(c, 3.0, 1.0, 0.0, dir);
      double before[8][2];
      for (int i = 0; i < 8; ++i) e.GetPointAt(i / 8.0, before[i], 1);
      const double area = e.EvArea();
      ASSERT_EQ(e.Scale(base, f), &e);
      EXPECT_NEAR(e.EvArea(), f[0] * f[1] * area, 1e-9);
      EXPECT_NEAR(BufferArea(e) / e.EvArea(), 1.0, 0.02);
      for (int i = 0; i < 8; ++i) {
        double p[2];
        e.GetPointAt(i / 8.0, p, 1);
        EXPECT_NEAR(p[0], base[0] + f[0] * (before[i][0] - base[0]), 1e-9);
        EXPECT_NEAR(p[1], base[1] + f[1] * (before[i][1] - base[1]), 1e-9);
      }
    }
  }
  // A turned ellipse answers with a scaled Bezier and stays as it was.
  CGeEllipse turned(c, 3.0, 1.0, 0.5, 1);
  const double two[2] = {2.0, 2.0};
  std::unique_ptr<CGeShape2d> out(turned.Scale(base, two));
  ASSERT_TRUE(out);
  EXPECT_EQ(static_cast<CGeCurve*>(out.get())->GetType(), GE_TYPE_BEZIER);
  EXPECT_EQ(turned.m_dA, 3.0);
  EXPECT_NEAR(static_cast<CGeCurve*>(out.get())->EvArea(), 4 * turned.EvArea(), 0.01 * 4 * 3);
}

// Largest distance from a curve to the ellipse, sampled along the curve; the distance to the
// ellipse is its own nearest-point search, checked against brute force above.
double MaxDeviation(CGeCurve& curve, CGeEllipse& e) {
  double worst = 0.0;
  for (int seg = 1; seg <= curve.GetSegmentCount(); ++seg)
    for (int i = 0; i <= 64; ++i) {
      double p[2], foot[2], t = 0.0, dist = 1e12;
      unsigned s = 0;
      curve.GetPointAt(i / 64.0, p, static_cast<unsigned>(seg));
      EXPECT_EQ(e.GetNearestPoint(p, foot, t, s, dist), 1);
      worst = std::max(worst, dist);
    }
  return worst;
}

TEST_F(EllipseTest, BezierFormFollowsTheEllipseAndItsDirection) {
  for (const Shape& s : kShapes) {
    auto e = Make(s);
    std::unique_ptr<CGeBezier> bez(e->ToBezier());
    ASSERT_TRUE(bez);
    ASSERT_EQ(bez->GetNodeCount(), 13);
    EXPECT_EQ(bez->m_nClosed, 1);
    // Every main node lies on the ellipse at the quarter parameters.
    for (int q = 0; q <= 4; ++q) {
      double p[2];
      e->GetPointAt(0.25 * q, p, 1);
      const double node[2] = {bez->m_pNode[3 * q].x, bez->m_pNode[3 * q].y};
      EXPECT_NEAR(Dist(p, node), 0.0, 1e-12);
    }
    EXPECT_LT(MaxDeviation(*bez, *e), 2.73e-4 * std::max(s.a, s.b));
    EXPECT_NEAR(bez->EvArea() / e->EvArea(), 1.0, 0.01);
  }
}

TEST_F(EllipseTest, SplitReproducesTheEllipseOrKeepsItWholeAtAnEnd) {
  for (const Shape& s : kShapes) {
    auto e = Make(s);
    for (double t : {0.1, 0.25, 0.6}) {
      CGeCurve* out[2] = {nullptr, nullptr};
      e->Split(t, out, 0, 0);
      std::unique_ptr<CGeCurve> a(out[0]), b(out[1]);
      ASSERT_TRUE(a && b) << t;
      double cut[2], aEnd[2], bStart[2], aStart[2], bEnd[2], s0[2];
      e->GetPointAt(t, cut, 1);
      e->GetStartPoint(s0);
      a->GetStartPoint(aStart);
      a->GetEndPoint(aEnd);
      b->GetStartPoint(bStart);
      b->GetEndPoint(bEnd);
      const double tol = 3e-4 * std::max(s.a, s.b);
      EXPECT_NEAR(Dist(aStart, s0), 0.0, 1e-9);
      EXPECT_NEAR(Dist(aEnd, cut), 0.0, tol);
      EXPECT_NEAR(Dist(bStart, aEnd), 0.0, 1e-9);
      EXPECT_NEAR(Dist(bEnd, s0), 0.0, 1e-9);
      EXPECT_NEAR(a->EvTotalArcLength(), e->EvArcLength(0.0, t, 1), 0.01 + 2 * tol);
      EXPECT_LT(MaxDeviation(*a, *e), tol);
      EXPECT_LT(MaxDeviation(*b, *e), tol);
    }
    for (double t : {0.0, 1.0}) {
      CGeCurve* out[2] = {nullptr, nullptr};
      e->Split(t, out, 0, 0);
      std::unique_ptr<CGeCurve> a(out[0]), b(out[1]);
      CGeCurve* whole = t == 0.0 ? b.get() : a.get();
      EXPECT_EQ(t == 0.0 ? a.get() : b.get(), nullptr);
      ASSERT_NE(whole, nullptr);
      EXPECT_NEAR(whole->EvArea() / e->EvArea(), 1.0, 0.01);
    }
  }
}

TEST_F(EllipseTest, ShearGoesThroughTheBezierAndLeavesTheEllipse) {
  const double c[2] = {0, 0}, p[2] = {0, 0}, q[2] = {0.5, 0.0};
  CGeEllipse e(c, 2.0, 1.0, 0.0, 0);
  std::unique_ptr<CGeShape2d> out(e.Shift(p, q));
  ASSERT_TRUE(out);
  auto* bez = static_cast<CGeBezier*>(out.get());
  ASSERT_EQ(bez->GetType(), GE_TYPE_BEZIER);
  EXPECT_EQ(e.m_dA, 2.0);
  // A shear keeps the area, and the clockwise sense.
  EXPECT_NEAR(bez->EvArea(), e.EvArea(), 0.01);
  EXPECT_EQ(e.Offset(0.1), nullptr);
}

}  // namespace
