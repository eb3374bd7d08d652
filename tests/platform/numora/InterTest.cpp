// Line, circle and ellipse intersections against closed forms, incidence checks and
// brute-force sampling.
#include "platform/numora/Inter.h"

#include "platform/numora/Ellipse.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <string>
#include <vector>
#include <numbers>

namespace {

double DistToLine(const double a[2], const double b[2], const double p[2]) {
  const double dx = b[0] - a[0], dy = b[1] - a[1];
  return std::fabs(dx * (p[1] - a[1]) - dy * (p[0] - a[0])) / std::hypot(dx, dy);
}

double DistToCircle(const double c[2], double r, const double p[2]) {
  return std::fabs(std::hypot(p[0] - c[0], p[1] - c[1]) - r);
}

double DistToEllipse(const double c[2], double a, double b, double rot, const double p[2]) {
  double foot[2], u, d;
  EXPECT_EQ(1, E2D_GetNearestPt(c, a, b, rot, p, foot, u, d));
  return d;
}

// Rotates p about the origin.
void Rot(double ang, double p[2]) {
  const double x = p[0], y = p[1];
  p[0] = std::cos(ang) * x - std::sin(ang) * y;
  p[1] = std::sin(ang) * x + std::cos(ang) * y;
}

TEST(InterLine, LineLineCodesAndPoints) {
  struct Case {
    const char* name;
    double a0[2], a1[2], b0[2], b1[2];
    int code;
    double x, y;
  };
  const Case cases[] = {
      {"crossing", {0, 0}, {2, 2}, {0, 2}, {2, 0}, INTER_POINT, 1, 1},
      {"crossing beyond the ends", {0, 0}, {1, 0}, {5, 1}, {5, 2}, INTER_POINT, 5, 0},
      {"parallel apart", {0, 0}, {1, 0}, {0, 1}, {1, 1}, INTER_NONE, 0, 0},
      {"overlap", {0, 0}, {2, 0}, {1, 0}, {3, 0}, INTER_OVERLAP, 0, 0},
      {"one carrier, disjoint pieces", {0, 0}, {1, 1}, {3, 3}, {2, 2}, INTER_OVERLAP, 0, 0},
      {"nearly parallel on one carrier", {0, 0}, {1, 0}, {0, 0}, {1e4, 1e-8}, INTER_OVERLAP, 0, 0},
      {"nearly parallel apart", {0, 0}, {1, 0}, {0, 0}, {1e4, 1e-3}, INTER_NONE, 0, 0},
      {"degenerate line", {0, 0}, {0, 0}, {0, 1}, {1, 0}, INTER_NONE, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    double out[2] = {-7, -7};
    ASSERT_EQ(c.code, Inter_LineLineEx(c.a0, c.a1, c.b0, c.b1, 1e-6, 1e-5, out));
    if (c.code == INTER_POINT) {
      EXPECT_NEAR(c.x, out[0], 1e-12);
      EXPECT_NEAR(c.y, out[1], 1e-12);
      // The same lines given as point and direction; a short direction is still a direction.
      const double d1[2] = {1e-8 * (c.a1[0] - c.a0[0]), 1e-8 * (c.a1[1] - c.a0[1])};
      const double d2[2] = {1e-8 * (c.b1[0] - c.b0[0]), 1e-8 * (c.b1[1] - c.b0[1])};
      double out2[2];
      ASSERT_EQ(INTER_POINT, Inter_LineLine(c.a0, d1, c.b0, d2, 1e-6, 1e-5, out2));
      EXPECT_NEAR(out[0], out2[0], 1e-12);
      EXPECT_NEAR(out[1], out2[1], 1e-12);
    } else {
      EXPECT_EQ(-7, out[0]);  // not written
    }
  }
}

TEST(InterLine, RandomCrossingsLieOnBothLines) {
  std::mt19937 rng(3);
  std::uniform_real_distribution<double> u(-100, 100);
  for (int k = 0; k < 200; ++k) {
    const double a0[2] = {u(rng), u(rng)}, a1[2] = {u(rng), u(rng)};
    const double b0[2] = {u(rng), u(rng)}, b1[2] = {u(rng), u(rng)};
    double out[2];
    if (Inter_LineLineEx(a0, a1, b0, b1, 1e-9, 1e-9, out) != INTER_POINT) continue;
    const double scale = 1.0 + std::hypot(out[0], out[1]);
    EXPECT_LT(DistToLine(a0, a1, out), 1e-9 * scale);
    EXPECT_LT(DistToLine(b0, b1, out), 1e-9 * scale);
  }
}

TEST(InterCircle, LineCircleAgainstClosedForm) {
  // Unit-free set-up: horizontal line at height h above a circle of radius 5 at (1, 2).
  const double c[2] = {1, 2}, r = 5, tol = 1e-6;
  struct Case {
    const char* name;
    double h;
    int n;
  };
  const Case cases[] = {{"secant", 3, 2},          {"through the centre", 0, 2},
                        {"tangent", 5, 1},         {"touching within tol", 5 + 0.5e-6, 1},
                        {"crossing within tol", 5 - 0.5e-6, 1}, {"missing", 5 + 2e-6, 0}};
  for (const Case& k : cases) {
    for (double ang : {0.0, 0.7, 2.5}) {
      SCOPED_TRACE(std::string(k.name) + " rotated " + std::to_string(ang));
      // Rotating about the centre keeps the closed form.
      double p0[2] = {-10, k.h}, p1[2] = {10, k.h};
      Rot(ang, p0);
      Rot(ang, p1);
      for (double* p : {p0, p1}) p[0] += c[0], p[1] += c[1];
      int n = -1;
      double pts[2][2], t[2];
      EXPECT_EQ(k.n > 0 ? 1 : 0, Inter_LineCirEx(p0, p1, c, r, tol, n, pts, t));
      ASSERT_EQ(k.n, n);
      const double half = std::sqrt(std::max(0.0, r * r - k.h * k.h));
      for (int i = 0; i < n; ++i) {
        EXPECT_LE(DistToLine(p0, p1, pts[i]), 1e-9);
        EXPECT_LE(DistToCircle(c, r, pts[i]), tol);
        // Along the line from p0 (x = -10) the points come at x = -half, then +half.
        const double xExpect = n == 1 ? 0.0 : (i == 0 ? -half : half);
        EXPECT_NEAR((xExpect + 10.0) / 20.0, t[i], 1e-9);
      }
    }
  }
  int n = 5;
  double pts[2][2];
  const double same[2] = {0, 0};
  EXPECT_EQ(0, Inter_LineCirEx(same, same, c, r, tol, n, pts));
  EXPECT_EQ(0, n);
  const double p1[2] = {1, 0};
  EXPECT_EQ(0, Inter_LineCirEx(same, p1, c, 0.0, tol, n, pts));
}

TEST(InterCircle, CircleCircleAgainstClosedForm) {
  struct Case {
    const char* name;
    double c1[2], r1, c2[2], r2;
    int n;
    double pts[2][2];
  };
  const Case cases[] = {
      {"two points", {0, 0}, 5, {8, 0}, 5, 2, {{4, 3}, {4, -3}}},
      {"two points, reversed", {8, 0}, 5, {0, 0}, 5, 2, {{4, -3}, {4, 3}}},
      {"outside touching", {0, 0}, 2, {5, 0}, 3, 1, {{2, 0}, {0, 0}}},
      {"inside touching", {0, 0}, 5, {2, 0}, 3, 1, {{5, 0}, {0, 0}}},
      {"inside touching, small first", {2, 0}, 3, {0, 0}, 5, 1, {{5, 0}, {0, 0}}},
      {"apart", {0, 0}, 1, {5, 0}, 1, 0, {}},
      {"nested", {0, 0}, 5, {1, 0}, 1, 0, {}},
      {"concentric", {0, 0}, 5, {0, 0}, 3, 0, {}},
      {"coincident", {1, 1}, 2, {1, 1}, 2, 0, {}},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.name);
    int n = -1;
    double pts[2][2];
    EXPECT_EQ(k.n > 0 ? 1 : 0, Inter_CirCir(k.c1, k.r1, k.c2, k.r2, 1e-6, n, pts));
    ASSERT_EQ(k.n, n);
    for (int i = 0; i < n; ++i) {
      EXPECT_NEAR(k.pts[i][0], pts[i][0], 1e-12);
      EXPECT_NEAR(k.pts[i][1], pts[i][1], 1e-12);
    }
  }
}

// Ellipse used by the ellipse cases: centre (1, -2), a = 4, b = 2, rotated by `rot`.
struct Ell {
  double c[2] = {1, -2};
  double a = 4, b = 2, rot;
  // World point of local coordinates (x, y).
  void World(double x, double y, double out[2]) const {
    out[0] = x, out[1] = y;
    Rot(rot, out);
    out[0] += c[0], out[1] += c[1];
  }
};

TEST(InterEllipse, LineEllipseAgainstClosedForm) {
  for (double rot : {0.0, 0.4, -2.0}) {
    const Ell e{{1, -2}, 4, 2, rot};
    struct Case {
      const char* name;
      double h;  // local line y = h
      int n;
    };
    const Case cases[] = {{"secant", 1, 2}, {"tangent", 2, 1}, {"touching within tol", 2 + 5e-7, 1},
                          {"missing", 2.001, 0}};
    for (const Case& k : cases) {
      SCOPED_TRACE(std::string(k.name) + " rot " + std::to_string(rot));
      double p0[2], p1[2];
      e.World(-10, k.h, p0);
      e.World(10, k.h, p1);
      int n = -1;
      double pts[2][2], t[2];
      EXPECT_EQ(k.n > 0 ? 1 : 0, Inter_LineEllEx(p0, p1, e.c, e.a, e.b, e.rot, 1e-6, n, pts, t));
      ASSERT_EQ(k.n, n);
      const double half = e.a * std::sqrt(std::max(0.0, 1.0 - k.h * k.h / (e.b * e.b)));
      for (int i = 0; i < n; ++i) {
        double expect[2];
        e.World(n == 1 ? 0.0 : (i == 0 ? -half : half), std::min(k.h, e.b), expect);
        EXPECT_NEAR(expect[0], pts[i][0], 1e-6);
        EXPECT_NEAR(expect[1], pts[i][1], 1e-6);
        EXPECT_LE(DistToEllipse(e.c, e.a, e.b, e.rot, pts[i]), 1e-6);
        EXPECT_LE(DistToLine(p0, p1, pts[i]), 1e-9);
        EXPECT_NEAR((pts[i][0] - p0[0]) / (p1[0] - p0[0]), t[i], 1e-9);
      }
    }
  }
}

TEST(InterEllipse, CircleEllipseAgainstClosedForm) {
  for (double rot : {0.0, 0.9}) {
    const Ell e{{1, -2}, 4, 2, rot};
    SCOPED_TRACE(rot);
    // Concentric circle of radius r between b and a: x² = a²(r² − b²)/(a² − b²).
    const double r = 3;
    const double x = std::sqrt(e.a * e.a * (r * r - e.b * e.b) / (e.a * e.a - e.b * e.b));
    const double y = std::sqrt(r * r - x * x);
    int n = -1;
    double pts[4][2];
    ASSERT_EQ(1, Inter_CirEll(e.c, r, e.c, e.a, e.b, e.rot, 1e-6, n, pts));
    ASSERT_EQ(4, n);
    // Increasing ellipse parameter: quadrants 1, 2, 3, 4.
    const double signs[4][2] = {{1, 1}, {-1, 1}, {-1, -1}, {1, -1}};
    for (int i = 0; i < 4; ++i) {
      double expect[2];
      e.World(signs[i][0] * x, signs[i][1] * y, expect);
      EXPECT_NEAR(expect[0], pts[i][0], 1e-9);
      EXPECT_NEAR(expect[1], pts[i][1], 1e-9);
    }
    // Touching from outside at the end of the major axis.
    double c[2];
    e.World(e.a + 1.5, 0, c);
    ASSERT_EQ(1, Inter_CirEll(c, 1.5, e.c, e.a, e.b, e.rot, 1e-6, n, pts));
    ASSERT_EQ(1, n);
    double tip[2];
    e.World(e.a, 0, tip);
    EXPECT_NEAR(tip[0], pts[0][0], 1e-6);
    EXPECT_NEAR(tip[1], pts[0][1], 1e-6);
    // Inscribed circle of radius b touches at both ends of the minor axis.
    ASSERT_EQ(1, Inter_CirEll(e.c, e.b, e.c, e.a, e.b, e.rot, 1e-6, n, pts));
    EXPECT_EQ(2, n);
    // Apart, and the degenerate circle.
    e.World(20, 0, c);
    EXPECT_EQ(0, Inter_CirEll(c, 1, e.c, e.a, e.b, e.rot, 1e-6, n, pts));
    EXPECT_EQ(0, n);
    EXPECT_EQ(0, Inter_CirEll(e.c, 0, e.c, e.a, e.b, e.rot, 1e-6, n, pts));
  }
}

TEST(InterEllipse, EllipseEllipseAgainstClosedFormAndSampling) {
  const double o[2] = {0, 0};
  double pts[4][2];
  // A cross of two equal ellipses: x²/9 + y² = 1 and x² + y²/9 = 1 meet at |x| = |y| = 3/√10.
  ASSERT_EQ(4, Inter_EllEll(o, 3, 1, 0, o, 3, 1, std::numbers::pi / 2, 1e-6, pts));
  const double v = 3.0 / std::sqrt(10.0);
  for (int i = 0; i < 4; ++i) {
    EXPECT_NEAR(v, std::fabs(pts[i][0]), 1e-9);
    EXPECT_NEAR(v, std::fabs(pts[i][1]), 1e-9);
  }
  const double far[2] = {5, 0};
  EXPECT_EQ(1, Inter_EllEll(o, 3, 1, 0, far, 2, 1, 0, 1e-6, pts));  // touching at (3, 0)
  EXPECT_NEAR(3, pts[0][0], 1e-6);
  EXPECT_NEAR(0, pts[0][1], 1e-6);
  EXPECT_EQ(0, Inter_EllEll(o, 3, 1, 0.3, o, 3, 1, 0.3, 1e-6, pts));  // coincident
  EXPECT_EQ(0, Inter_EllEll(o, 3, 1, 0, o, 0, 1, 0, 1e-6, pts));      // degenerate

  // Random pairs: the count of sign changes of the second ellipse's implicit value along
  // densely sampled points of the first, and every point on both.
  std::mt19937 rng(11);
  std::uniform_real_distribution<double> pos(-2, 2), ax(0.5, 4), ang(0, std::numbers::pi);
  int withPoints = 0;
  for (int k = 0; k < 60; ++k) {
    const double c1[2] = {pos(rng), pos(rng)}, c2[2] = {pos(rng), pos(rng)};
    const double a1 = ax(rng), b1 = ax(rng), r1 = ang(rng), a2 = ax(rng), b2 = ax(rng), r2 = ang(rng);
    auto implicit2 = [&](const double p[2]) {
      double q[2] = {p[0] - c2[0], p[1] - c2[1]};
      Rot(-r2, q);
      return q[0] * q[0] / (a2 * a2) + q[1] * q[1] / (b2 * b2) - 1.0;
    };
    int changes = 0;
    const int samples = 20000;
    double prev[2];
    E2D_EvPos(c1, a1, b1, r1, 0.0, prev);
    for (int i = 1; i <= samples; ++i) {
      double p[2];
      E2D_EvPos(c1, a1, b1, r1, static_cast<double>(i) / samples, p);
      if ((implicit2(prev) < 0) != (implicit2(p) < 0)) ++changes;
      prev[0] = p[0], prev[1] = p[1];
    }
    const int n = Inter_EllEll(c1, a1, b1, r1, c2, a2, b2, r2, 1e-9, pts);
    EXPECT_EQ(changes, n) << "case " << k;
    withPoints += n > 0;
    for (int i = 0; i < n; ++i) {
      EXPECT_LE(DistToEllipse(c1, a1, b1, r1, pts[i]), 1e-9);
      EXPECT_LE(DistToEllipse(c2, a2, b2, r2, pts[i]), 1e-9);
    }
  }
  EXPECT_GT(withPoints, 30);
}

}  // namespace
