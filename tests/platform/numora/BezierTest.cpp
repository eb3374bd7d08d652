#include "platform/numora/Bezier.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>

namespace {

struct Seg {
  const char* name;
  double p[4][2];
};

// An S curve, a loop, a cusp, a straight line with uneven speed, and a point-like segment.
const Seg kSegs[] = {
    {"s_curve", {{0, 0}, {1, 2}, {3, -2}, {4, 0}}},
    {"loop", {{0, 0}, {4, 3}, {-1, 3}, {3, 0}}},
    {"cusp", {{0, 0}, {3, 2}, {0, 2}, {3, 0}}},
    {"uneven_line", {{0, 0}, {0.1, 0}, {0.2, 0}, {5, 0}}},
    {"tiny", {{1, 1}, {1 + 1e-9, 1}, {1, 1 + 1e-9}, {1, 1}}},
};

// Independent evaluation: repeated linear interpolation.
void DeCasteljau(const double p[4][2], double t, double out[2]) {
  double q[4][2];
  std::copy(&p[0][0], &p[0][0] + 8, &q[0][0]);
  for (int r = 3; r > 0; --r)
    for (int i = 0; i < r; ++i)
      for (int k = 0; k < 2; ++k) q[i][k] = (1 - t) * q[i][k] + t * q[i + 1][k];
  out[0] = q[0][0];
  out[1] = q[0][1];
}

double Polyline(const double p[4][2], double t1, double t2, int n) {
  double prev[2], cur[2], len = 0;
  DeCasteljau(p, t1, prev);
  for (int i = 1; i <= n; ++i) {
    DeCasteljau(p, t1 + (t2 - t1) * i / n, cur);
    len += std::hypot(cur[0] - prev[0], cur[1] - prev[1]);
    prev[0] = cur[0];
    prev[1] = cur[1];
  }
  return len;
}

class BezierCase : public ::testing::TestWithParam<Seg> {};

TEST_P(BezierCase, EvaluationAndDerivativesMatchDeCasteljauAndDifferences) {
  const auto& s = GetParam();
  for (double t = 0; t <= 1.0; t += 0.05) {
    double a[2], b[2], d1[2], d2[2];
    BEZ_EvPos(s.p, t, a);
    DeCasteljau(s.p, t, b);
    EXPECT_NEAR(a[0], b[0], 1e-12);
    EXPECT_NEAR(a[1], b[1], 1e-12);
    // Central differences of the independent evaluator.
    const double h = 1e-5;
    double pp[2], pm[2];
    DeCasteljau(s.p, t + h, pp);
    DeCasteljau(s.p, t - h, pm);
    BEZ_Ev1Der(s.p, t, d1);
    BEZ_Ev2Der(s.p, t, d2);
    for (int k = 0; k < 2; ++k) {
      EXPECT_NEAR(d1[k], (pp[k] - pm[k]) / (2 * h), 1e-6);
      EXPECT_NEAR(d2[k], (pp[k] - 2 * b[k] + pm[k]) / (h * h), 1e-3);
    }
  }
}

TEST_P(BezierCase, SplitHalvesReproduceTheCurve) {
  const auto& s = GetParam();
  for (double c : {0.3, 0.5, 0.87}) {
    double l[4][2], r[4][2];
    BEZ_Split(s.p, c, l, r);
    for (double u = 0; u <= 1.0; u += 0.1) {
      double a[2], b[2];
      BEZ_EvPos(l, u, a);
      DeCasteljau(s.p, c * u, b);
      EXPECT_NEAR(std::hypot(a[0] - b[0], a[1] - b[1]), 0.0, 1e-12);
      BEZ_EvPos(r, u, a);
      DeCasteljau(s.p, c + (1 - c) * u, b);
      EXPECT_NEAR(std::hypot(a[0] - b[0], a[1] - b[1]), 0.0, 1e-12);
    }
  }
  // In place: left may be the input itself.
  double q[4][2], r[4][2], whole[2], half[2];
  std::copy(&s.p[0][0], &s.p[0][0] + 8, &q[0][0]);
  BEZ_Split(q, 0.5, q, r);
  DeCasteljau(s.p, 0.25, whole);
  BEZ_EvPos(q, 0.5, half);
  EXPECT_NEAR(half[0], whole[0], 1e-12);
}

TEST_P(BezierCase, ProjectionAgreesWithDenseSampling) {
  const auto& s = GetParam();
  std::mt19937 rng(7);
  std::uniform_real_distribution<double> d(-2, 6);
  for (int i = 0; i < 40; ++i) {
    const double p[2] = {d(rng), d(rng) - 2};
    double best = 1e300;
    for (int k = 0; k <= 20000; ++k) {
      double q[2];
      DeCasteljau(s.p, k / 20000.0, q);
      best = std::min(best, std::hypot(q[0] - p[0], q[1] - p[1]));
    }
    double foot[2], t, dist;
    ASSERT_EQ(BEZ_PrjPnt(s.p, p, foot, t, dist), 1);
    EXPECT_GE(t, 0.0);
    EXPECT_LE(t, 1.0);
    EXPECT_LE(dist, best + 1e-12);
    EXPECT_NEAR(dist, best, 1e-6);
    double q[2];
    DeCasteljau(s.p, t, q);
    EXPECT_NEAR(std::hypot(q[0] - foot[0], q[1] - foot[1]), 0.0, 1e-12);
    EXPECT_NEAR(std::hypot(p[0] - foot[0], p[1] - foot[1]), dist, 1e-12);
  }
}

TEST_P(BezierCase, ArcLengthMatchesFinePolylineAndInverts) {
  const auto& s = GetParam();
  const double total = BEZ_ArcLength(s.p);
  EXPECT_NEAR(total, Polyline(s.p, 0, 1, 200000), 1e-7 * std::max(1.0, total));
  EXPECT_NEAR(BEZ_ArcLengthEx(s.p, 0.2, 0.7), Polyline(s.p, 0.2, 0.7, 100000), 1e-7);
  EXPECT_DOUBLE_EQ(BEZ_ArcLengthEx(s.p, 0.7, 0.2), BEZ_ArcLengthEx(s.p, 0.2, 0.7));
  if (total < 1e-6) return;
  for (double f : {0.0, 0.1, 0.5, 0.93, 1.0}) {
    const double t = BEZ_EvParam(s.p, f * total);
    EXPECT_NEAR(BEZ_ArcLengthEx(s.p, 0, t), f * total, 1e-9 * total);
  }
  EXPECT_EQ(BEZ_EvParam(s.p, -1.0), 0.0);
  EXPECT_EQ(BEZ_EvParam(s.p, 2 * total), 1.0);
}

TEST_P(BezierCase, BoxIsTightAndFlatnessBoundsTheChordDeviation) {
  const auto& s = GetParam();
  _tagBox2D box;
  BEZ_GetBox(s.p, &box);
  double lo[2] = {1e300, 1e300}, hi[2] = {-1e300, -1e300};
  double chordDev = 0;
  const double cx = s.p[3][0] - s.p[0][0], cy = s.p[3][1] - s.p[0][1], c = std::hypot(cx, cy);
  for (int k = 0; k <= 10000; ++k) {
    double q[2];
    DeCasteljau(s.p, k / 10000.0, q);
    for (int j = 0; j < 2; ++j) {
      lo[j] = std::min(lo[j], q[j]);
      hi[j] = std::max(hi[j], q[j]);
    }
    const double dx = q[0] - s.p[0][0], dy = q[1] - s.p[0][1];
    chordDev = std::max(chordDev, c > 0 ? std::fabs(dx * cy - dy * cx) / c : std::hypot(dx, dy));
  }
  for (int j = 0; j < 2; ++j) {
    EXPECT_LE(box.min[j], lo[j] + 1e-12);
    EXPECT_NEAR(box.min[j], lo[j], 1e-6);
    EXPECT_GE(box.max[j], hi[j] - 1e-12);
    EXPECT_NEAR(box.max[j], hi[j], 1e-6);
  }
  EXPECT_GE(BEZ_DistTol(s.p), chordDev - 1e-12);
}

INSTANTIATE_TEST_SUITE_P(Segments, BezierCase, ::testing::ValuesIn(kSegs),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(Bezier, FlatnessIsZeroForAStraightSegmentAndShrinksWithHalving) {
  const double line[4][2] = {{0, 0}, {1, 1}, {2, 2}, {3, 3}};
  EXPECT_NEAR(BEZ_DistTol(line), 0.0, 1e-15);
  double seg[4][2] = {{0, 0}, {1, 2}, {3, -2}, {4, 0}}, r[4][2];
  const double before = BEZ_DistTol(seg);
  double prev = before;
  for (int i = 0; i < 5; ++i) {
    BEZ_Split(seg, 0.5, seg, r);
    EXPECT_LT(BEZ_DistTol(seg), prev);
    prev = BEZ_DistTol(seg);
  }
  EXPECT_LT(prev, before / 100);  // quadratic: about a quarter per halving
}

TEST(Bezier, ProjectionRejectsNonFiniteInput) {
  const double seg[4][2] = {{0, 0}, {1, 2}, {3, -2}, {4, 0}};
  const double p[2] = {NAN, 0};
  double foot[2], t = -1;
  EXPECT_EQ(BEZ_PrjPnt(seg, p, foot, t), 0);
  EXPECT_EQ(t, -1);
}

}  // namespace
