// Discretising 10,000 Bezier curves, and the length and nearest-point queries of Bezier
// curves and polylines.
#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>
#include <random>
#include <vector>

#include "geometry/shapes2d/GeBezier.h"
#include "geometry/shapes2d/GePolyline.h"

namespace {

constexpr int kCount = 10000;

// Random curves of 2 to 6 points through a 1000 x 1000 field, 5 to 50 units across.
std::vector<std::unique_ptr<CGeBezier>> MakeBeziers() {
  std::mt19937 rng(7);
  std::uniform_real_distribution<double> pos(0.0, 1000.0), step(-25.0, 25.0);
  std::uniform_int_distribution<int> count(2, 6);
  std::vector<std::unique_ptr<CGeBezier>> out;
  out.reserve(kCount);
  for (int i = 0; i < kCount; ++i) {
    double pts[6][2];
    const int n = count(rng);
    pts[0][0] = pos(rng);
    pts[0][1] = pos(rng);
    for (int k = 1; k < n; ++k) {
      pts[k][0] = pts[k - 1][0] + step(rng);
      pts[k][1] = pts[k - 1][1] + step(rng);
    }
    auto b = std::make_unique<CGeBezier>();
    b->Create(static_cast<unsigned>(n), pts);
    out.push_back(std::move(b));
  }
  return out;
}

void BM_BezierDiscrete(benchmark::State& state) {
  auto curves = MakeBeziers();
  const double tol = std::pow(10.0, -static_cast<double>(state.range(0)));
  long points = 0;
  for (auto _ : state) {
    points = 0;
    for (auto& c : curves) {
      c->Discrete(tol);
      points += c->m_nSWPoint;
    }
    benchmark::DoNotOptimize(points);
  }
  state.counters["points"] = static_cast<double>(points);
  state.SetItemsProcessed(state.iterations() * kCount);
}
BENCHMARK(BM_BezierDiscrete)->Arg(2)->Arg(3)->Unit(benchmark::kMillisecond);

void BM_BezierEvParam(benchmark::State& state) {
  auto curves = MakeBeziers();
  for (auto _ : state) {
    for (auto& c : curves) {
      double t = 0.0;
      unsigned seg = 0;
      c->EvParam(0.5 * c->EvTotalArcLength(), t, seg);
      benchmark::DoNotOptimize(t);
    }
  }
  state.SetItemsProcessed(state.iterations() * kCount);
}
BENCHMARK(BM_BezierEvParam)->Unit(benchmark::kMillisecond);

void BM_BezierNearestPoint(benchmark::State& state) {
  auto curves = MakeBeziers();
  for (auto _ : state) {
    for (auto& c : curves) {
      double s[2], foot[2], t = 0.0, d = 1e12;
      unsigned seg = 0;
      c->GetStartPoint(s);
      s[0] += 3.0;
      c->GetNearestPoint(s, foot, t, seg, d);
      benchmark::DoNotOptimize(d);
    }
  }
  state.SetItemsProcessed(state.iterations() * kCount);
}
BENCHMARK(BM_BezierNearestPoint)->Unit(benchmark::kMillisecond);

// One long polyline (a flattened spiral) queried for lengths and nearest points.
void BM_PolylineQueries(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  std::vector<double> xy(2 * static_cast<size_t>(n));
  for (int i = 0; i < n; ++i) {
    const double a = 0.01 * i, r = 1.0 + 0.05 * i;
    xy[2 * i] = r * std::cos(a);
    xy[2 * i + 1] = r * std::sin(a);
  }
  CGePolyline pl;
  pl.Create(n, reinterpret_cast<const double(*)[2]>(xy.data()));
  const double total = pl.EvTotalArcLength();
  for (auto _ : state) {
    double t = 0.0, foot[2], d = 0.0;
    unsigned seg = 0;
    pl.EvParam(0.7 * total, t, seg);
    const double q[2] = {3.0, 4.0};
    pl.GetNearestPoint(q, foot, t, seg, d);
    benchmark::DoNotOptimize(d);
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_PolylineQueries)->Arg(1000)->Arg(100000);

}  // namespace
