// Fractal height fields and the fractal terrain of a relief grid.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <vector>

#include "geometry/grid/GeFractal.h"
#include "geometry/grid/GeGrid.h"

namespace {

std::vector<float> Fill2D(int size, int seed) {
  std::unique_ptr<float, decltype(&std::free)> a(geAllocFractal2D(size), &std::free);
  EXPECT_TRUE(a);
  geFractalFill2D(a.get(), size, seed, 1.0f, 1.0f);
  return std::vector<float>(a.get(), a.get() + (size + 1) * (size + 1));
}

}  // namespace

TEST(GeFractal, Fill2DIsReproducibleWrapsAndReports) {
  testing::internal::CaptureStdout();
  const std::vector<float> a = Fill2D(64, 3), b = Fill2D(64, 3), c = Fill2D(64, 4);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "complete\ncomplete\ncomplete\n");
  EXPECT_EQ(a, b);
  EXPECT_NE(a, c);
  const int n = 65;
  EXPECT_EQ(a[0], 0.0f);
  EXPECT_EQ(a[64 * n + 64], 0.0f);
  // Opposite edges agree because the diamond step wraps around.
  for (int k = 0; k <= 64; ++k) {
    EXPECT_EQ(a[k], a[64 * n + k]) << k;
    EXPECT_EQ(a[k * n], a[k * n + 64]) << k;
  }
  // Every value was written: displacements are bounded by the sum of the pass scales.
  EXPECT_TRUE(std::all_of(a.begin(), a.end(), [](float v) { return v > -1 && v < 1; }));
  EXPECT_GT(*std::max_element(a.begin(), a.end()) - *std::min_element(a.begin(), a.end()), 0.05f);

  testing::internal::CaptureStdout();
  geFractalFill2D(nullptr, 64, 3, 1, 1);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
  EXPECT_EQ(geAllocFractal2D(-5), nullptr);
  EXPECT_EQ(geAllocFractal2D(1 << 20), nullptr);
}

TEST(GeFractal, Fill1DNeedsAPowerOfTwo) {
  for (int size : {6, 1, 0, -8}) {
    std::vector<float> v(10, 42.0f);
    geFractalFill1D(v.data(), size, 3, 1, 1);
    EXPECT_EQ(v, std::vector<float>(10, 42.0f)) << size;
  }
  std::vector<float> a(9, 42.0f), b(9, 0.0f);
  geFractalFill1D(a.data(), 8, 5, 2, 0.5f);
  geFractalFill1D(b.data(), 8, 5, 2, 0.5f);
  EXPECT_EQ(a, b);
  EXPECT_EQ(a[0], 0.0f);
  EXPECT_EQ(a[8], 0.0f);
  EXPECT_TRUE(std::none_of(a.begin(), a.end(), [](float x) { return x == 42.0f; }));
  EXPECT_EQ(geIsPowerOf2(1 << 30), 1);
  EXPECT_EQ(geIsPowerOf2(int(0x80000000u)), 1);
  EXPECT_EQ(geIsPowerOf2(12), 0);
}

TEST(GeFractal, SquareDiamondScalesAndRepeats) {
  float o[3] = {5, -3, 0};
  CGeGrid a, b;
  ASSERT_EQ(a.Create(o, 0.5f, 90, 60, 0), 1);
  ASSERT_EQ(b.Create(o, 0.5f, 90, 60, 0), 1);
  testing::internal::CaptureStdout();
  a.SquareDiamond(10);
  b.SquareDiamond(10);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "complete\ncomplete\n");
  float lo = 1e9f, hi = -1e9f;
  for (unsigned r = 0; r < 60; ++r)
    for (unsigned c = 0; c < 90; ++c) {
      ASSERT_EQ(a.Node(c, r).z, b.Node(c, r).z);
      lo = std::min(lo, a.Node(c, r).z);
      hi = std::max(hi, a.Node(c, r).z);
    }
  EXPECT_FLOAT_EQ(lo, 0);
  EXPECT_FLOAT_EQ(hi, 10);
  EXPECT_DOUBLE_EQ(a.m_box.max[2], 10);
  // The layers and the working heights are left alone.
  EXPECT_EQ(a.m_pHeights[100], 0.0f);
  CGeGrid empty;
  empty.SquareDiamond(10);
  EXPECT_EQ(empty.m_pNodes, nullptr);
}
