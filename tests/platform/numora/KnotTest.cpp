#include "platform/numora/Knot.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <vector>

TEST(Knot, BasisValuesAndDerivativesOfTheTextbookExample) {
  const double U[] = {0, 0, 0, 1, 2, 3, 4, 4, 5, 5, 5};
  const int n = 8, p = 2;
  const double u = 2.5;
  const int span = knot::FindSpan(n, p, u, U);
  EXPECT_EQ(span, 4);
  double N[3];
  knot::BasisFuns(span, u, p, U, N);
  EXPECT_NEAR(N[0], 1.0 / 8, 1e-15);
  EXPECT_NEAR(N[1], 3.0 / 4, 1e-15);
  EXPECT_NEAR(N[2], 1.0 / 8, 1e-15);
  double d[2 * 3];
  knot::DersBasisFuns(span, u, p, 1, U, d);
  EXPECT_NEAR(d[3], -0.5, 1e-15);
  EXPECT_NEAR(d[4], 0.0, 1e-15);
  EXPECT_NEAR(d[5], 0.5, 1e-15);
}

TEST(Knot, BasisIsAPartitionOfUnityWithZeroDerivativeSum) {
  const double U[] = {0, 0, 0, 0, 0.1, 0.1, 0.35, 0.6, 0.9, 1, 1, 1, 1};
  const int n = 9, p = 3;
  for (double u = 0.0; u <= 1.0; u += 0.0137) {
    const int s = knot::FindSpan(n, p, u, U);
    ASSERT_TRUE(U[s] <= u && (u < U[s + 1] || s == n - 1));
    double d[3 * 4];
    knot::DersBasisFuns(s, u, p, 2, U, d);
    double s0 = 0, s1 = 0, s2 = 0;
    for (int j = 0; j < 4; ++j) {
      EXPECT_GE(d[j], -1e-15);
      s0 += d[j];
      s1 += d[4 + j];
      s2 += d[8 + j];
    }
    EXPECT_NEAR(s0, 1.0, 1e-14);
    EXPECT_NEAR(s1, 0.0, 1e-11);
    EXPECT_NEAR(s2, 0.0, 1e-9);
  }
}

TEST(Knot, ChordParametersAveragedKnotsAndRescaling) {
  const double pts[4][3] = {{0, 0, 0}, {3, 0, 0}, {3, 4, 0}, {3, 4, 0}};
  double t[4];
  ASSERT_EQ(KNOT_CalAccumChord(pts, 4, t), 1);
  EXPECT_DOUBLE_EQ(t[1], 3.0 / 7);
  EXPECT_DOUBLE_EQ(t[3], 1.0);
  const double same[3][3] = {{1, 1, 1}, {1, 1, 1}, {1, 1, 1}};
  double e[3];
  ASSERT_EQ(KNOT_CalAccumChord(same, 3, e), 1);  // all coincide: equal spacing
  EXPECT_DOUBLE_EQ(e[1], 0.5);

  const double prm[5] = {0, 0.2, 0.5, 0.6, 1};
  double k[8];
  ASSERT_EQ(KNOT_CalByAC(3, 5, prm, k), 1);
  const double want[8] = {0, 0, 0, (0.2 + 0.5) / 2, (0.5 + 0.6) / 2, 1, 1, 1};
  for (int i = 0; i < 8; ++i) EXPECT_DOUBLE_EQ(k[i], want[i]);
  const double bad[3] = {0, 0.7, 0.2};
  EXPECT_EQ(KNOT_CalByAC(2, 3, bad, k), 0);
  EXPECT_EQ(KNOT_CalByAC(1, 5, prm, k), 0);  // no degree to average over

  double r[7] = {2, 2, 2, 3, 6, 6, 6};
  ASSERT_EQ(KNOT_Regu(3, 4, r), 1);
  EXPECT_EQ(r[0], 0.0);
  EXPECT_DOUBLE_EQ(r[3], 0.25);
  EXPECT_EQ(r[6], 1.0);
  double flat[4] = {1, 1, 1, 1};
  EXPECT_EQ(KNOT_Regu(2, 2, flat), 0);
}

TEST(Knot, GeneratedVectorsAndMultiplicity) {
  double* k = KNOT_Gen(4, 6);
  ASSERT_NE(k, nullptr);
  const double want[10] = {0, 0, 0, 0, 1.0 / 3, 2.0 / 3, 1, 1, 1, 1};
  for (int i = 0; i < 10; ++i) EXPECT_NEAR(k[i], want[i], 1e-15);
  EXPECT_EQ(CalKnotMul(k, 10, 0.0), 4);
  EXPECT_EQ(CalKnotMul(k, 10, 1.0 / 3), 1);
  EXPECT_EQ(CalKnotMul(k, 10, 0.5), 0);
  std::free(k);
  EXPECT_EQ(KNOT_Gen(4, 3), nullptr);
  EXPECT_EQ(KNOT_Gen(0, 3), nullptr);
  EXPECT_EQ(KNOT_Gen(4, 1 << 30), nullptr);
}
