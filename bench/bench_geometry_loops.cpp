// Point containment on a 100,000-segment loop and the self-crossing test on the same loop.
#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>
#include <random>
#include <numbers>

#include "geometry/shapes2d/GeLine.h"
#include "geometry/shapes2d/GeLoop.h"

namespace {

constexpr int kSegments = 100000;

// A wavy star: every ray crosses many edges, so no query is decided early.
std::unique_ptr<CGeLoop> MakeLoop() {
  auto loop = std::make_unique<CGeLoop>();
  double prev[2] = {0, 0}, first[2] = {0, 0};
  for (int i = 0; i <= kSegments; ++i) {
    const double a = 2 * std::numbers::pi * (i % kSegments) / kSegments;
    const double r = 100.0 + 20.0 * std::sin(200 * a);
    const double p[2] = {r * std::cos(a), r * std::sin(a)};
    if (i == 0) {
      first[0] = p[0];
      first[1] = p[1];
    } else {
      loop->AddTail(new CGeLine(prev, i == kSegments ? first : p), 0);
    }
    prev[0] = p[0];
    prev[1] = p[1];
  }
  loop->Discrete(0.01);
  return loop;
}

void BM_IsPtInLoop(benchmark::State& state) {
  auto loop = MakeLoop();
  std::mt19937 rng(1);
  std::uniform_real_distribution<double> c(-130.0, 130.0);
  for (auto _ : state) {
    const double p[2] = {c(rng), c(rng)};
    benchmark::DoNotOptimize(loop->IsPtInLoop(p, 0.001));
  }
  state.SetItemsProcessed(state.iterations() * kSegments);
}
BENCHMARK(BM_IsPtInLoop)->Unit(benchmark::kMicrosecond);

void BM_IsSimplePolygon(benchmark::State& state) {
  auto loop = MakeLoop();
  for (auto _ : state) benchmark::DoNotOptimize(loop->IsSimplePolygon());
  state.SetItemsProcessed(state.iterations() * kSegments);
}
BENCHMARK(BM_IsSimplePolygon)->Unit(benchmark::kMillisecond);

void BM_DiscreteLoop(benchmark::State& state) {
  auto loop = MakeLoop();
  for (auto _ : state) loop->Discrete(0.01);
  state.SetItemsProcessed(state.iterations() * kSegments);
}
BENCHMARK(BM_DiscreteLoop)->Unit(benchmark::kMillisecond);

}  // namespace
