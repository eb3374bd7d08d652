// Discretising 10,000 ellipses and circles, and the ellipse's arc-length parameter search.
#include <benchmark/benchmark.h>

#include <memory>
#include <random>
#include <vector>

#include "geometry/shapes2d/GeCircle.h"
#include "geometry/shapes2d/GeEllipse.h"

namespace {

constexpr int kCount = 10000;

std::vector<std::unique_ptr<CGeEllipse>> MakeEllipses() {
  std::mt19937 rng(5);
  std::uniform_real_distribution<double> pos(0.0, 1000.0), axis(1.0, 50.0), rot(0.0, 6.28);
  std::vector<std::unique_ptr<CGeEllipse>> out;
  out.reserve(kCount);
  for (int i = 0; i < kCount; ++i) {
    const double c[2] = {pos(rng), pos(rng)};
    out.push_back(std::make_unique<CGeEllipse>(c, axis(rng), axis(rng), rot(rng), i % 2));
  }
  return out;
}

// Rebuilding every buffer, as a change of the discretisation tolerance does.
void BM_DiscretiseEllipses(benchmark::State& state) {
  auto ellipses = MakeEllipses();
  const double tol = 0.001 * static_cast<double>(state.range(0));
  long points = 0;
  for (auto _ : state) {
    for (auto& e : ellipses) {
      e->Discrete(tol);
      points += e->m_nSWPoint;
    }
  }
  state.SetItemsProcessed(state.iterations() * kCount);
  state.counters["points/curve"] =
      benchmark::Counter(static_cast<double>(points) / kCount, benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_DiscretiseEllipses)->Arg(1)->Arg(10)->Unit(benchmark::kMillisecond);

void BM_DiscretiseCircles(benchmark::State& state) {
  std::mt19937 rng(5);
  std::uniform_real_distribution<double> pos(0.0, 1000.0), radius(1.0, 50.0);
  std::vector<std::unique_ptr<CGeCircle>> circles;
  for (int i = 0; i < kCount; ++i) {
    const double c[2] = {pos(rng), pos(rng)};
    circles.push_back(std::make_unique<CGeCircle>(c, radius(rng), i % 2));
  }
  for (auto _ : state)
    for (auto& c : circles) c->Discrete(0.01);
  state.SetItemsProcessed(state.iterations() * kCount);
}
BENCHMARK(BM_DiscretiseCircles)->Unit(benchmark::kMillisecond);

// One arc-length parameter per ellipse, at a length that wraps past a full turn.
void BM_EllipseEvParam(benchmark::State& state) {
  auto ellipses = MakeEllipses();
  std::vector<double> lengths;
  for (auto& e : ellipses) lengths.push_back(1.37 * e->EvTotalArcLength());
  const int n = static_cast<int>(state.range(0));
  for (auto _ : state) {
    for (int i = 0; i < n; ++i) {
      double t = 0.0;
      unsigned seg = 0;
      benchmark::DoNotOptimize(ellipses[static_cast<size_t>(i)]->EvParam(
          lengths[static_cast<size_t>(i)], t, seg));
      benchmark::DoNotOptimize(t);
    }
  }
  state.SetItemsProcessed(state.iterations() * n);
}
BENCHMARK(BM_EllipseEvParam)->Arg(1000)->Unit(benchmark::kMillisecond);

void BM_EllipsePerimeter(benchmark::State& state) {
  auto ellipses = MakeEllipses();
  for (auto _ : state)
    for (auto& e : ellipses) benchmark::DoNotOptimize(e->EvTotalArcLength());
  state.SetItemsProcessed(state.iterations() * kCount);
}
BENCHMARK(BM_EllipsePerimeter)->Unit(benchmark::kMillisecond);

}  // namespace
