// Loop building from shuffled segments: the endpoint-indexed chaining against a plain scan of
// the pool at every step, and nesting the resulting loops into regions.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>
#include <numbers>

#include "geometry/shapes2d/GeLine.h"
#include "geometry/shapes2d/GeLoop.h"
#include "geometry/shapes2d/GeRegion.h"
#include "geometry/tools/GeSort2D.h"
#include "geometry/tools/GeTool2D.h"
#include "tests/support/geometry/GeTool2DTestNaive.h"

namespace {

// `count` segments: decagons on a grid, every other one with a smaller decagon inside,
// shuffled and about half of them reversed.
struct Segments {
  CGeCurveList list;
  explicit Segments(int count) {
    std::vector<CGeCurve*> all;
    const int polys = count / 10;
    const int side = static_cast<int>(std::ceil(std::sqrt(polys)));
    for (int i = 0; i < polys; ++i) {
      const double cx = 10.0 * (i % side), cy = 10.0 * (i / side);
      const double r = (i % 2) ? 2.0 : 4.0;
      const double ox = (i % 2) ? -10.0 : 0.0;  // the small one sits inside its neighbour
      for (int k = 0; k < 10; ++k) {
        const double a0 = 2 * std::numbers::pi * k / 10, a1 = 2 * std::numbers::pi * (k + 1) / 10;
        const double p[2] = {cx + ox + r * std::cos(a0), cy + r * std::sin(a0)};
        const double q[2] = {cx + ox + r * std::cos(a1), cy + r * std::sin(a1)};
        all.push_back(new CGeLine(p, q));
      }
    }
    std::mt19937 rng(1);
    std::shuffle(all.begin(), all.end(), rng);
    for (CGeCurve* c : all) {
      if (rng() % 2) c->Reverse();
      list.AddTail(c);
    }
  }
  ~Segments() {
    while (!list.IsEmpty()) delete list.RemoveHead();
  }
};

void DeleteLoops(CGeLoopList& loops) {
  while (!loops.IsEmpty()) delete loops.RemoveHead();
}

void BM_ReCreateLoopIndexed(benchmark::State& state) {
  Segments s(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    CGeLoopList loops;
    CGeTool2D().ReCreateLoop(&s.list, &loops, 0.001, true, true);
    benchmark::DoNotOptimize(loops.GetCount());
    DeleteLoops(loops);
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_ReCreateLoopIndexed)->Arg(2000)->Arg(20000)->Unit(benchmark::kMillisecond);

void BM_ReCreateLoopPlainScan(benchmark::State& state) {
  Segments s(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    CGeLoopList loops;
    CNaiveLoopChain().Chain(&s.list, &loops, 0.001, true);
    benchmark::DoNotOptimize(loops.GetCount());
    DeleteLoops(loops);
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_ReCreateLoopPlainScan)->Arg(2000)->Arg(20000)->Unit(benchmark::kMillisecond);

void BM_CreateRegion(benchmark::State& state) {
  Segments s(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    state.PauseTiming();
    CGeLoopList loops;
    CGeTool2D().ReCreateLoop(&s.list, &loops, 0.001, true, true);
    CGeRegionList regions;
    state.ResumeTiming();
    CGeTool2D().CreateRegion(&loops, &regions);
    benchmark::DoNotOptimize(regions.GetCount());
    state.PauseTiming();
    while (!regions.IsEmpty()) delete regions.RemoveHead();
    DeleteLoops(loops);
    state.ResumeTiming();
  }
}
BENCHMARK(BM_CreateRegion)->Arg(2000)->Arg(20000)->Unit(benchmark::kMillisecond);

}  // namespace

namespace {

// Random short segments ordered for travel by the insertion sorter.
void BM_SortInNearDistance(benchmark::State& state) {
  std::mt19937 rng(3);
  std::uniform_real_distribution<double> u(0, 1000);
  std::vector<CGeCurve*> all;
  for (int64_t i = 0; i < state.range(0); ++i) {
    const double a[2] = {u(rng), u(rng)};
    const double b[2] = {a[0] + u(rng) / 100, a[1] + u(rng) / 100};
    all.push_back(new CGeLine(a, b));
  }
  const double start[2] = {0, 0};
  for (auto _ : state) {
    CGeCurveList list;
    for (CGeCurve* c : all) list.AddTail(c);
    CGeSort2D().SortInNearDistance(start, &list);
    benchmark::DoNotOptimize(list.GetCount());
  }
  for (CGeCurve* c : all) delete c;
}
BENCHMARK(BM_SortInNearDistance)->Arg(100)->Arg(400)->Unit(benchmark::kMillisecond);

}  // namespace
