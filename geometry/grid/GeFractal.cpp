#include "geometry/grid/GeFractal.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "geometry/grid/GeGrid.h"

namespace {

// The classic C runtime generator, kept private so that results do not depend on the platform.
uint32_t g_randState = 1;

void FractalSeed(int seed) { g_randState = uint32_t(seed); }

int FractalNext() {
  g_randState = g_randState * 1103515245u + 12345u;
  return int((g_randState >> 16) & 0x7fff);
}

}  // namespace

float* geAllocFractal2D(int size) {
  if (size < 1 || size > 46340) return nullptr;  // (size + 1)^2 must stay an int
  return static_cast<float*>(std::malloc(sizeof(float) * size_t(size + 1) * size_t(size + 1)));
}

float* geAllocFractal1D(int size) {
  if (size < 1) return nullptr;
  return static_cast<float*>(std::malloc(sizeof(float) * (size_t(size) + 1)));
}

float geFractalRand(float lo, float hi) {
  return lo + (hi - lo) * float((FractalNext() & 0x7fff) / 32767.0);
}

int geIsPowerOf2(int n) {
  const uint32_t u = uint32_t(n);
  return u && !(u & (u - 1)) ? 1 : 0;
}

void geFractalFill2D(float* values, int size, int seed, float heightScale, float h) {
  if (!values || size < 1) return;
  const size_t stride = size_t(size) + 1;
  auto at = [&](int i, int j) -> float& { return values[size_t(i) * stride + j]; };
  FractalSeed(seed);
  const float ratio = std::pow(2.0f, -h);
  at(0, 0) = at(0, size) = at(size, 0) = at(size, size) = 0;
  float scale = heightScale * ratio;
  for (int step = size / 2; step > 0; step /= 2) {
    for (int i = step; i < size; i += 2 * step)
      for (int j = step; j < size; j += 2 * step)
        at(i, j) = (at(i - step, j - step) + at(i - step, j + step) + at(i + step, j - step) +
                    at(i + step, j + step)) / 4 +
                   scale * geFractalRand(-0.5f, 0.5f);
    bool even = true;
    for (int i = 0; i < size; i += step, even = !even)
      for (int j = even ? step : 0; j < size; j += 2 * step) {
        // Neighbours wrap around the edges, so opposite edges match.
        const int above = i == 0 ? size - step : i - step;
        const int left = j == 0 ? size - step : j - step;
        const float v = (at(above, j) + at(i + step, j) + at(i, left) + at(i, j + step)) / 4 +
                        scale * geFractalRand(-0.5f, 0.5f);
        at(i, j) = v;
        if (i == 0) at(size, j) = v;
        if (j == 0) at(i, size) = v;
      }
    scale *= ratio;
  }
  std::fputs("complete\n", stdout);
}

void geFractalFill1D(float* values, int size, int seed, float heightScale, float h) {
  if (!values || size <= 1 || !geIsPowerOf2(size)) return;
  FractalSeed(seed);
  const float ratio = std::pow(2.0f, -h);
  values[0] = values[size] = 0;
  float scale = heightScale * ratio;
  for (int step = size / 2; step >= 1; step /= 2)
    for (int i = step; i < size; i += 2 * step) {
      values[i] = (values[i - step] + values[i + step]) / 2 + scale * geFractalRand(-0.5f, 0.5f);
      scale *= ratio;
    }
}

void CGeGrid::SquareDiamond(float height) {
  constexpr int kSize = 256;
  if (!m_pNodes) return;
  std::unique_ptr<float, decltype(&std::free)> field(geAllocFractal2D(kSize), &std::free);
  if (!field) return;
  geFractalFill2D(field.get(), kSize, 3, 1.0f, 1.0f);
  CGeGrid terrain;
  float origin[3] = {float(m_dOriginX), float(m_dOriginY), 0};
  if (!terrain.Create(origin, 1.0f, kSize, kSize, 0)) return;
  for (int i = 0; i < kSize; ++i)
    for (int j = 0; j < kSize; ++j) terrain.SetZHeight(j, i, field.get()[i * (kSize + 1) + j]);
  // The field is stretched over the grid's whole extent, each axis on its own.
  const double fx = kSize / (double(m_fCell) * m_nCols), fy = kSize / (double(m_fCell) * m_nRows);
  for (size_t k = 0, n = size_t(m_nCols) * m_nRows; k < n; ++k) {
    SGridNode& node = m_pNodes[k];
    node.z = terrain.Interplate(float((node.x - m_dOriginX) * fx), float((node.y - m_dOriginY) * fy));
  }
  ScaleHeights(0, height);
}
