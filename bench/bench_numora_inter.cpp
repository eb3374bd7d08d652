// Speed of the numeric kernel's intersections and polygon clipping.
#include "platform/numora/Gpc.h"
#include "platform/numora/Inter.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <random>
#include <numbers>

namespace {

// A wavy star of n vertices: simple, concave, many edge crossings against a shifted copy.
void MakeStar(gpc_polygon& p, int n, double cx, double cy, unsigned seed) {
  std::mt19937 rng(seed);
  std::uniform_real_distribution<double> jitter(-0.05, 0.05);
  gpc_create_polygon(&p, 1);
  gpc_create_vertex(&p.contour[0], n);
  for (int i = 0; i < n; ++i) {
    const double a = 2.0 * std::numbers::pi * i / n;
    const double r = 10.0 + std::sin(37.0 * a) + jitter(rng);
    p.contour[0].vertex[i] = {cx + r * std::cos(a), cy + r * std::sin(a)};
  }
}

void BM_GpcClip10k(benchmark::State& state) {
  gpc_polygon a, b;
  gpc_init_polygon(&a);
  gpc_init_polygon(&b);
  MakeStar(a, 10000, 0.0, 0.0, 1);
  MakeStar(b, 10000, 3.0, 1.0, 2);
  const auto op = static_cast<gpc_op>(state.range(0));
  for (auto _ : state) {
    gpc_polygon out;
    gpc_init_polygon(&out);
    benchmark::DoNotOptimize(gpc_polygon_clip(op, &a, &b, &out));
    gpc_free_polygon(&out);
  }
  gpc_free_polygon(&a);
  gpc_free_polygon(&b);
}
BENCHMARK(BM_GpcClip10k)->Arg(GPC_DIFF)->Arg(GPC_INT)->Arg(GPC_XOR)->Arg(GPC_UNION)->Unit(benchmark::kMillisecond);

// Random pairs of segments in one square, so that most pairs cross one or more times.
void BM_InterBezBez(benchmark::State& state) {
  std::mt19937 rng(7);
  std::uniform_real_distribution<double> u(-10.0, 10.0);
  constexpr int kPairs = 64;
  double segs[kPairs][2][4][2];
  for (auto& pair : segs)
    for (auto& seg : pair)
      for (auto& p : seg) p[0] = u(rng), p[1] = u(rng);
  _tagInterPnt recs[kInterBezBezMax];
  int i = 0, found = 0;
  for (auto _ : state) {
    found += Inter_BezBez(segs[i][0], segs[i][1], recs);
    i = (i + 1) % kPairs;
  }
  state.counters["points/pair"] = benchmark::Counter(found, benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_InterBezBez);

// The worst case: nine crossings.
void BM_InterBezBezNine(benchmark::State& state) {
  const double a[4][2] = {{-1.2, -1.584}, {-0.4, 6.384}, {0.4, -6.384}, {1.2, 1.584}};
  const double b[4][2] = {{-1.584, -1.2}, {6.384, -0.4}, {-6.384, 0.4}, {1.584, 1.2}};
  _tagInterPnt recs[kInterBezBezMax];
  for (auto _ : state) benchmark::DoNotOptimize(Inter_BezBez(a, b, recs));
}
BENCHMARK(BM_InterBezBezNine);

}  // namespace
