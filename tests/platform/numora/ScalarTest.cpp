// Intervals, the guarded arc cosine, tolerances and the allocation hook.
#include "platform/numora/Numora.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

namespace {

TEST(CInterval, ValueAndIntervalChecks) {
  struct { double t; int out; } cases[] = {
      {0.5, 0}, {-1e-7, 0}, {1 + 1e-7, 0}, {-1e-5, 1}, {1.1, 1}, {NAN, 1},
  };
  for (auto& c : cases) EXPECT_EQ(CInterval::ChkValInt(0, 1, 1e-6, c.t), c.out) << c.t;
  EXPECT_EQ(CInterval::ChkIntInt(0, 1, 1.0000005, 2, 1e-6), 1);
  EXPECT_EQ(CInterval::ChkIntInt(0, 1, 1.01, 2, 1e-6), 0);
  EXPECT_EQ(CInterval::ChkIntInt(0, 10, 3, 4, 0), 1);
}

TEST(CInterval, PeriodicWrapAndClamp) {
  struct { double t, want; } cases[] = {{1.25, 0.25}, {-0.25, 0.75}, {3.0, 0.0}, {0.4, 0.4}, {-7.5, 0.5}};
  for (auto& c : cases) EXPECT_NEAR(CInterval::ClampPeriodic(0, 1, c.t), c.want, 1e-12) << c.t;
  EXPECT_NEAR(CInterval::ClampPeriodic(2, 5, 11.5), 2.5, 1e-12);
  EXPECT_EQ(CInterval::ClampPeriodic(1, 1, 7), 1);
  EXPECT_EQ(CInterval::Clamp01(-3), 0);
  EXPECT_EQ(CInterval::Clamp01(0.3), 0.3);
}

TEST(CInterval, RandomNumbersRepeatAfterSeeding) {
  CInterval::SeedRand01(42);
  double first[10];
  for (double& v : first) {
    v = CInterval::Rand01();
    EXPECT_GE(v, 0.0);
    EXPECT_LT(v, 1.0);
  }
  CInterval::SeedRand01(42);
  for (double v : first) EXPECT_EQ(CInterval::Rand01(), v);
  EXPECT_NE(first[0], first[1]);
}

TEST(CMath, ArcCosineIsGuardedAndTolerancesRestore) {
  EXPECT_EQ(CMath::ACos(1.0000000001), 0.0);
  EXPECT_DOUBLE_EQ(CMath::ACos(-1.5), std::numbers::pi);
  EXPECT_DOUBLE_EQ(CMath::ACos(0.5), std::acos(0.5));
  const double saved = CMath::GetTol();
  CMath::SetTol(1e-5);
  EXPECT_EQ(CMath::GetTol(), 1e-5);
  CMath::SetTol(saved);
  EXPECT_EQ(CMath::GetTol(), saved);
  EXPECT_GT(CMath::GetAng(), 0.0);
}

TEST(KX_Mem, HookFailsExactlyTheNthCall) {
  KX_MemFailAfter(3);
  void* a = KX_MemAlloc(16);
  void* b = KX_MemAlloc(16);
  void* c = KX_MemAlloc(16);
  void* d = KX_MemAlloc(16);
  EXPECT_NE(a, nullptr);
  EXPECT_NE(b, nullptr);
  EXPECT_EQ(c, nullptr);
  EXPECT_NE(d, nullptr);
  KX_MemFree(a);
  KX_MemFree(b);
  KX_MemFree(c);
  KX_MemFree(d);
  KX_MemFailAfter(0);
  void* e = KX_MemAlloc(0);
  EXPECT_NE(e, nullptr);
  KX_MemFree(e);
}

}  // namespace
