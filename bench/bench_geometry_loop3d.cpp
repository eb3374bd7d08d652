// Chaining many shuffled, randomly reversed 3D segments into loops: through the end-point grid
// (angle chaining) and the x-keyed tree (nearest end). Both should grow about linearly.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <utility>
#include <vector>

#include "geometry/shapes3d/GeLoop3d.h"
#include "geometry/shapes3d/GeLine3d.h"
#include "geometry/tools/GeTool3D.h"

namespace {

// n/4 unit squares on a grid, each at its own height, their sides shuffled and half reversed.
void Squares(int n, CGeCurve3dList& list) {
  std::vector<CGeCurve3d*> v;
  const int side = std::max(1, static_cast<int>(std::sqrt(n / 4.0)));
  std::mt19937 rng(5);
  for (int i = 0; i < n / 4; ++i) {
    const double x = 2.0 * (i % side), y = 2.0 * (i / side), z = 0.1 * (i % 7);
    const double p[4][3] = {{x, y, z}, {x + 1, y, z}, {x + 1, y + 1, z + 0.5}, {x, y + 1, z}};
    for (int k = 0; k < 4; ++k) {
      const double* a = p[k];
      const double* b = p[(k + 1) % 4];
      if (rng() & 1) std::swap(a, b);
      v.push_back(new CGeLine3d(a, b));
    }
  }
  std::shuffle(v.begin(), v.end(), rng);
  for (CGeCurve3d* c : v) list.AddTail(c);
}

void BM_ReCreateLoop3d(benchmark::State& state) {
  CGeCurve3dList curves;
  Squares(static_cast<int>(state.range(0)), curves);
  CGeTool3D tool;
  for (auto _ : state) {
    CGeLoop3dList loops;
    tool.ReCreateLoop3d(&curves, &loops, 0.001, true);
    benchmark::DoNotOptimize(loops.GetCount());
    geDelLoop3dList(&loops);
  }
  geDelCurve3dList(&curves);
  state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_ReCreateLoop3d)->RangeMultiplier(4)->Range(1 << 8, 1 << 14)->Complexity();

void BM_MakeLoop3d(benchmark::State& state) {
  CGeCurve3dList curves;
  Squares(static_cast<int>(state.range(0)), curves);
  CGeTool3D tool;
  for (auto _ : state) {
    CGeLoop3dList loops;
    tool.MakeLoop3d(&curves, &loops);
    benchmark::DoNotOptimize(loops.GetCount());
    geDelLoop3dList(&loops);
  }
  geDelCurve3dList(&curves);
  state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_MakeLoop3d)->RangeMultiplier(4)->Range(1 << 8, 1 << 14)->Complexity();

void BM_ReSortLoopConcentric(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  CGeTool3D tool;
  for (auto _ : state) {
    state.PauseTiming();
    CGeLoop3dList loops;
    for (int i = 0; i < n; ++i) {
      auto* loop = new CGeLoop3d();
      const double r = 1.0 + i;
      const double p[4][3] = {{-r, -r, 0}, {r, -r, 0}, {r, r, 0}, {-r, r, 0}};
      for (int k = 0; k < 4; ++k) loop->AddTail(new CGeLine3d(p[k], p[(k + 1) % 4]));
      loops.AddTail(loop);
    }
    state.ResumeTiming();
    tool.ReSortLoop(&loops);
    benchmark::DoNotOptimize(loops.GetCount());
    state.PauseTiming();
    geDelLoop3dList(&loops);
    state.ResumeTiming();
  }
}
BENCHMARK(BM_ReSortLoopConcentric)->Arg(16)->Arg(64)->Arg(256);

}  // namespace
