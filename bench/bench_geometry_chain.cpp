// Minimal-loop chaining through the start-x index: many small shuffled loops, and one long
// loop whose closing must be found without walking the chain at every step.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>
#include <numbers>

#include "geometry/shapes2d/GeLine.h"
#include "geometry/shapes2d/GeLoop.h"
#include "geometry/shapes2d/ShapeListUtil.h"
#include "geometry/tools/GeTool2D.h"

namespace {

CGeLine* Line(double x0, double y0, double x1, double y1) {
  const double s[2] = {x0, y0}, e[2] = {x1, y1};
  return new CGeLine(s, e);
}

// n/4 unit squares on a grid, their sides in random order.
void Squares(int n, CGeCurveList& list) {
  std::vector<CGeCurve*> v;
  const int side = std::max(1, static_cast<int>(std::sqrt(n / 4.0)));
  for (int i = 0; i < n / 4; ++i) {
    const double x = 2.0 * (i % side), y = 2.0 * (i / side);
    v.push_back(Line(x, y, x + 1, y));
    v.push_back(Line(x + 1, y, x + 1, y + 1));
    v.push_back(Line(x + 1, y + 1, x, y + 1));
    v.push_back(Line(x, y + 1, x, y));
  }
  std::shuffle(v.begin(), v.end(), std::mt19937(7));
  for (CGeCurve* c : v) list.AddTail(c);
}

// One polygon of n segments around a circle of radius n / 10.
void Polygon(int n, CGeCurveList& list) {
  const double r = n / 10.0;
  for (int i = 0; i < n; ++i) {
    const double a0 = 2 * std::numbers::pi * i / n, a1 = 2 * std::numbers::pi * (i + 1) / n;
    list.AddTail(Line(r * std::cos(a0), r * std::sin(a0), r * std::cos(a1), r * std::sin(a1)));
  }
}

template <void (*Build)(int, CGeCurveList&)>
void BM_MakeMinLoopTree(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  for (auto _ : state) {
    state.PauseTiming();
    CGeCurveList in;
    CGeLoopList out;
    Build(n, in);
    state.ResumeTiming();
    CGeTool2D().MakeMinLoopTree(&in, 1, &out, 0.001);
    state.PauseTiming();
    if (out.IsEmpty()) state.SkipWithError("no loop found");
    geDelGeLoopList(&out, false);
    geDelCurveList(&in);
    state.ResumeTiming();
  }
  state.SetItemsProcessed(state.iterations() * n);
}

BENCHMARK_TEMPLATE(BM_MakeMinLoopTree, Squares)
    ->RangeMultiplier(10)
    ->Range(1000, 100000)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_TEMPLATE(BM_MakeMinLoopTree, Polygon)
    ->RangeMultiplier(10)
    ->Range(1000, 100000)
    ->Unit(benchmark::kMillisecond);

}  // namespace
