// Offsetting a 10,000-segment wavy loop (convex and reflex corners alternate) with each corner
// style, as a closed loop and as an open chain that is cut at its crossings.
#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>
#include <numbers>

#include "geometry/shapes2d/GeLine.h"
#include "geometry/shapes2d/GeLoop.h"
#include "geometry/shapes2d/ShapeListUtil.h"
#include "geometry/tools/GeTool2D.h"

namespace {

std::unique_ptr<CGeLoop> WavyLoop(int n) {
  auto loop = std::make_unique<CGeLoop>();
  auto at = [n](int i, double p[2]) {
    const double a = 2 * std::numbers::pi * (i % n) / n;
    const double r = 100 + 5 * std::sin(40 * a);
    p[0] = r * std::cos(a);
    p[1] = r * std::sin(a);
  };
  for (int i = 0; i < n; ++i) {
    double p[2], q[2];
    at(i, p);
    at(i + 1, q);
    loop->AddTail(new CGeLine(p, q), 0);
  }
  loop->CalcBox2d();
  return loop;
}

// Arguments: segment count, corner style, distance sign (+1 inward, -1 outward).
void BM_LoopOffset(benchmark::State& state) {
  auto loop = WavyLoop(static_cast<int>(state.range(0)));
  const int type = static_cast<int>(state.range(1));
  const double d = 0.5 * static_cast<double>(state.range(2));
  for (auto _ : state) {
    CGeLoopList out;
    CGeTool2D().LoopOffset(loop.get(), d, type, &out);
    benchmark::DoNotOptimize(out.GetCount());
    geDelGeLoopList(&out, false);
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_LoopOffset)
    ->ArgsProduct({{10000}, {0, 1, 2}, {1, -1}})
    ->Args({1000, 1, -1})
    ->Unit(benchmark::kMillisecond);

void BM_OpenCurveOffset(benchmark::State& state) {
  auto loop = WavyLoop(static_cast<int>(state.range(0)));
  CGeLoopList in;
  in.AddTail(loop.get());
  for (auto _ : state) {
    CGeLoopList out;
    CGeTool2D().OpenCurveOffset(&in, 0.5, static_cast<int>(state.range(1)), &out);
    benchmark::DoNotOptimize(out.GetCount());
    geDelGeLoopList(&out, false);
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_OpenCurveOffset)->ArgsProduct({{10000}, {0, 1}})->Unit(benchmark::kMillisecond);

}  // namespace
