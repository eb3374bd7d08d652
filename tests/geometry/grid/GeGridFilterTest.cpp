// Height filters of the relief grid: smoothing, noise, the neighbourhood mean, rescaling.
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

#include "geometry/grid/GeGrid.h"

namespace {

struct Grid : CGeGrid {
  Grid(int cols, int rows) {
    float o[3] = {0, 0, 0};
    EXPECT_EQ(Create(o, 1, cols, rows, 0), 1);
  }
  template <class F>
  void Fill(F f) {
    for (unsigned r = 0; r < m_nRows; ++r)
      for (unsigned c = 0; c < m_nCols; ++c) SetZHeight(int(c), int(r), f(int(c), int(r)));
  }
  std::vector<float> Z() const {
    std::vector<float> z;
    for (unsigned k = 0; k < m_nCols * m_nRows; ++k) z.push_back(m_pNodes[k].z);
    return z;
  }
};

}  // namespace

TEST(GeGridFilter, LapSmoothIsOneInPlaceSweepSparingMaskedAndBorderNodes) {
  Grid g(7, 6);
  std::mt19937 rng(2);
  std::uniform_real_distribution<float> h(-3, 3);
  g.Fill([&](int, int) { return h(rng); });
  g.SetMask(3, 2, 100);
  g.SetMask(4, 2, 99);  // only a full mask protects
  std::vector<float> z = g.Z();
  for (int r = 1; r < 5; ++r)
    for (int c = 1; c < 6; ++c) {
      if (c == 3 && r == 2) continue;
      float& v = z[c + r * 7];
      v += (0.25f * (z[c + 1 + r * 7] + z[c - 1 + r * 7] + z[c + (r - 1) * 7] + z[c + (r + 1) * 7]) - v) * 0.33f;
    }
  g.SetModified(0);
  g.LapSmooth();
  const std::vector<float> got = g.Z();
  for (int k = 0; k < 42; ++k) EXPECT_FLOAT_EQ(got[k], z[k]) << k;
  EXPECT_EQ(g.IsModified(), 1);
  _tagBox3D box;
  g.GetBox(&box);
  EXPECT_FLOAT_EQ(float(box.max[2]), *std::max_element(z.begin(), z.end()));
}

TEST(GeGridFilter, LapSmoothKeepsAPlane) {
  Grid g(9, 8);
  g.Fill([](int c, int r) { return 0.5f * c - 0.25f * r + 2; });
  delete[] g.m_pColors;  // no mask: every inner node may move
  g.m_pColors = nullptr;
  g.SetModified(0);
  for (int pass = 0; pass < 5; ++pass) g.LapSmooth();
  for (int r = 0; r < 8; ++r)
    for (int c = 0; c < 9; ++c) EXPECT_NEAR(g.Node(c, r).z, 0.5f * c - 0.25f * r + 2, 1e-5f);
  // Normals follow the plane: (-0.5, 0.25, 1) normalised.
  const float n = std::sqrt(0.25f + 0.0625f + 1);
  EXPECT_NEAR(g.Node(4, 4).nx, -0.5f / n, 1e-5f);
  EXPECT_NEAR(g.Node(4, 4).ny, 0.25f / n, 1e-5f);
}

TEST(GeGridFilter, NoisifyFollowsTheSeededGenerator) {
  Grid g(6, 5);
  CGeGrid::SeedNoise(1234);
  g.SetModified(0);
  g.Noisify(0.5f);
  EXPECT_EQ(g.IsModified(), 1);
  // Independent generator: x <- 1664525 x + 1013904223 mod 2^32, r = x / 2^32.
  uint32_t x = 1234;
  for (int k = 0; k < 30; ++k) {
    x = x * 1664525u + 1013904223u;
    const double r = x / 4294967296.0;
    EXPECT_FLOAT_EQ(g.m_pNodes[k].z, float(0.5 * (2 * r - 1))) << k;
  }
  for (int k = 0; k < 30; ++k) {
    const SGridNode& p = g.m_pNodes[k];
    EXPECT_NEAR(p.nx * p.nx + p.ny * p.ny + p.nz * p.nz, 1, 1e-5);
  }
  // The same seed on the same grid gives the same heights; another seed other heights.
  Grid a(6, 5), b(6, 5);
  CGeGrid::SeedNoise(1234);
  a.Noisify(0.5f);
  CGeGrid::SeedNoise(99);
  b.Noisify(0.5f);
  EXPECT_EQ(a.Z(), g.Z());
  EXPECT_NE(b.Z(), g.Z());
  // Displacement scales with the normal's z.
  Grid s(4, 2);
  for (unsigned k = 0; k < 8; ++k) s.m_pNodes[k].nz = 0;
  s.Noisify(3);
  for (float z : s.Z()) EXPECT_EQ(z, 0);
  s.Noisify(NAN);
  for (float z : s.Z()) EXPECT_EQ(z, 0);
}

TEST(GeGridFilter, MeanZMirrorsMissingNeighbours) {
  Grid g(5, 4);
  std::mt19937 rng(8);
  std::uniform_real_distribution<float> h(-2, 2);
  g.Fill([&](int, int) { return h(rng); });
  auto mirror = [](int i, int d, int n) { return i + d < 0 || i + d >= n ? i - d : i + d; };
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 5; ++c) {
      double expect = 0;
      for (int dr = -1; dr <= 1; ++dr)
        for (int dc = -1; dc <= 1; ++dc) {
          const double w = dr == 0 && dc == 0 ? 0.5 : dr == 0 || dc == 0 ? 0.1 : 0.025;
          expect += w * g.Node(mirror(c, dc, 5), mirror(r, dr, 4)).z;
        }
      EXPECT_NEAR(g.GetMeanZ(r, c, 0.5f, 0.1f, 0.025f), expect, 1e-5) << c << "," << r;
    }
  // Corner: centre + 2 x edge x each neighbour + 4 x corner x the diagonal one.
  const float corner = g.Node(0, 0).z + 2 * 0.1f * (g.Node(1, 0).z + g.Node(0, 1).z) +
                       4 * 0.2f * g.Node(1, 1).z;
  EXPECT_NEAR(g.GetMeanZ(0, 0, 1, 0.1f, 0.2f), corner, 1e-5);
  for (auto [r, c] : {std::pair{-1, 0}, {4, 0}, {0, -1}, {0, 5}}) EXPECT_EQ(g.GetMeanZ(r, c, 1, 1, 1), 0);
}

TEST(GeGridFilter, ScaleHeightsStretchesOntoTheRange) {
  Grid g(3, 3);
  g.Fill([](int c, int r) { return float(c + 3 * r); });  // 0 .. 8
  g.ScaleHeights(10, -6);
  for (int k = 0; k < 9; ++k) EXPECT_FLOAT_EQ(g.m_pNodes[k].z, -6 + 16 * k / 8.0f);
  Grid flat(3, 2);
  flat.Fill([](int, int) { return 4.0f; });
  flat.SetModified(0);
  flat.ScaleHeights(10, 0);
  for (float z : flat.Z()) EXPECT_EQ(z, 4);
  EXPECT_EQ(flat.IsModified(), 0);
  _tagBox3D box;
  flat.GetBox(&box);
  EXPECT_EQ(box.min[2], 0);
  EXPECT_EQ(box.max[2], 10);
}
