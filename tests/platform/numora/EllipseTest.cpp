#include "platform/numora/Ellipse.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <array>
#include <random>

namespace {
struct Ell {
  const char* name;
  double c[2], a, b, rot;
};

const Ell kElls[] = {
    {"wide", {1, -2}, 5, 2, 0.3},
    {"tall", {0, 0}, 1, 4, -1.1},
    {"circle", {3, 3}, 2, 2, 0.7},
    {"flat", {-1, 0.5}, 10, 0.1, 2.0},
    {"axis_aligned", {0, 0}, 4, 1.5, 0},  // exact zeros hit the on-axis branches
    {"axis_aligned_tall", {0, 0}, 1.5, 4, 0},
};

// Brute force over the parameter, then polished by golden-section in the best cell.
double BruteDist(const Ell& e, const double p[2], double* uOut = nullptr) {
  const int n = 40000;
  double best = 1e300, bu = 0;
  auto d = [&](double u) {
    double q[2];
    E2D_EvPos(e.c, e.a, e.b, e.rot, u, q);
    return std::hypot(q[0] - p[0], q[1] - p[1]);
  };
  for (int i = 0; i < n; ++i) {
    const double v = d(double(i) / n);
    if (v < best) { best = v; bu = double(i) / n; }
  }
  double lo = bu - 1.0 / n, hi = bu + 1.0 / n;
  for (int i = 0; i < 100; ++i) {
    const double m1 = lo + (hi - lo) * 0.382, m2 = lo + (hi - lo) * 0.618;
    (d(m1) < d(m2) ? hi : lo) = (d(m1) < d(m2) ? m2 : m1);
  }
  if (uOut) *uOut = 0.5 * (lo + hi);
  return std::min(best, d(0.5 * (lo + hi)));
}

class EllipseCase : public ::testing::TestWithParam<Ell> {};

TEST_P(EllipseCase, PositionAndDerivativesFollowTheParameterisation) {
  const auto& e = GetParam();
  for (double u = 0; u < 1.0; u += 0.0625) {
    double p[2], d1[2], d2[2], pp[2], pm[2];
    E2D_EvPos(e.c, e.a, e.b, e.rot, u, p);
    // Implicit equation in the ellipse frame.
    const double dx = p[0] - e.c[0], dy = p[1] - e.c[1];
    const double lx = std::cos(e.rot) * dx + std::sin(e.rot) * dy;
    const double ly = -std::sin(e.rot) * dx + std::cos(e.rot) * dy;
    EXPECT_NEAR(lx * lx / (e.a * e.a) + ly * ly / (e.b * e.b), 1.0, 1e-12);
    const double back = E2D_GetParamEx(e.c, e.a, e.b, e.rot, p);
    EXPECT_GE(back, 0.0);
    EXPECT_LT(back, 1.0);
    EXPECT_NEAR(std::remainder(back - u, 1.0), 0.0, 1e-12);
    const double h = 1e-6;
    E2D_EvPos(e.c, e.a, e.b, e.rot, u + h, pp);
    E2D_EvPos(e.c, e.a, e.b, e.rot, u - h, pm);
    E2D_Ev1Der(e.c, e.a, e.b, e.rot, u, d1);
    E2D_Ev2Der(e.c, e.a, e.b, e.rot, u, d2);
    for (int k = 0; k < 2; ++k) {
      EXPECT_NEAR(d1[k], (pp[k] - pm[k]) / (2 * h), 1e-5 * (e.a + e.b));
      EXPECT_NEAR(d2[k], -4 * std::numbers::pi * std::numbers::pi * (p[k] - e.c[k]), 1e-9 * (e.a + e.b));
    }
    // Counter-clockwise: the tangent turns left of the radius.
    EXPECT_GT(dx * d1[1] - dy * d1[0], 0.0);
  }
}

TEST_P(EllipseCase, NearestPointAgreesWithBruteForce) {
  const auto& e = GetParam();
  const double c = std::cos(e.rot), s = std::sin(e.rot);
  auto world = [&](double lx, double ly, double out[2]) {
    out[0] = e.c[0] + c * lx - s * ly;
    out[1] = e.c[1] + s * lx + c * ly;
  };
  std::vector<std::array<double, 2>> pts;
  // Centre, points on both axes inside and outside, and random points.
  const double local[][2] = {{0, 0},          {0.3 * e.a, 0},   {-0.9 * e.a, 0}, {2 * e.a, 0},
                             {0, 0.5 * e.b},  {0, -3 * e.b},    {1e-9, 0},       {0, 1e-9},
                             {e.a, 0},        {0, -e.b}};
  for (auto& l : local) {
    double w[2];
    world(l[0], l[1], w);
    pts.push_back({w[0], w[1]});
  }
  std::mt19937 rng(3);
  std::uniform_real_distribution<double> d(-1.5, 1.5);
  for (int i = 0; i < 30; ++i) {
    double w[2];
    world(d(rng) * e.a, d(rng) * e.b, w);
    pts.push_back({w[0], w[1]});
  }
  for (auto& q : pts) {
    double foot[2], u = -1, dist = -1;
    ASSERT_EQ(E2D_GetNearestPt(e.c, e.a, e.b, e.rot, q.data(), foot, u, dist), 1);
    const double brute = BruteDist(e, q.data());
    EXPECT_NEAR(dist, brute, 1e-9 * (e.a + e.b)) << q[0] << "," << q[1];
    EXPECT_GE(u, 0.0);
    EXPECT_LT(u, 1.0);
    double at[2];
    E2D_EvPos(e.c, e.a, e.b, e.rot, u, at);
    EXPECT_NEAR(std::hypot(at[0] - foot[0], at[1] - foot[1]), 0.0, 1e-9);
    EXPECT_NEAR(std::hypot(q[0] - foot[0], q[1] - foot[1]), dist, 1e-12);
  }
}

INSTANTIATE_TEST_SUITE_P(Ellipses, EllipseCase, ::testing::ValuesIn(kElls),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(Ellipse, CentreGoesToTheEndOfTheShorterAxis) {
  const double c[2] = {0, 0};
  double foot[2], u, dist;
  ASSERT_EQ(E2D_GetNearestPt(c, 3, 1, 0, c, foot, u, dist), 1);
  EXPECT_DOUBLE_EQ(dist, 1.0);
  EXPECT_DOUBLE_EQ(u, 0.25);
  ASSERT_EQ(E2D_GetNearestPt(c, 1, 3, 0, c, foot, u, dist), 1);
  EXPECT_DOUBLE_EQ(dist, 1.0);
  EXPECT_DOUBLE_EQ(u, 0.0);
}

TEST(Ellipse, DegenerateEllipseFails) {
  const double c[2] = {0, 0}, p[2] = {1, 1};
  double foot[2], u, dist;
  EXPECT_EQ(E2D_GetNearestPt(c, 0, 1, 0, p, foot, u, dist), 0);
  EXPECT_EQ(E2D_GetNearestPt(c, 1, -1, 0, p, foot, u, dist), 0);
  EXPECT_EQ(E2D_GetNearestPt(c, 1, 1, NAN, p, foot, u, dist), 0);
}

}  // namespace
