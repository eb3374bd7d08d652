// Numeric kernel primitives: ellipse nearest point and Bezier projection / arc length.
#include <benchmark/benchmark.h>

#include <array>
#include <random>
#include <vector>

#include "platform/numora/Bezier.h"
#include "platform/numora/Ellipse.h"

namespace {

std::vector<std::array<double, 2>> Points(int n) {
  std::mt19937 rng(1);
  std::uniform_real_distribution<double> d(-12, 12);
  std::vector<std::array<double, 2>> v(n);
  for (auto& p : v) p = {d(rng), d(rng)};
  return v;
}

void BM_EllipseNearestPoint(benchmark::State& state) {
  const auto pts = Points(1024);
  const double c[2] = {1, -2};
  const double b = 5.0 / double(state.range(0));  // axis ratio 1, 10, 1000
  size_t i = 0;
  for (auto _ : state) {
    double foot[2], u, dist;
    benchmark::DoNotOptimize(E2D_GetNearestPt(c, 5, b, 0.3, pts[i++ & 1023].data(), foot, u, dist));
    benchmark::DoNotOptimize(dist);
  }
}
BENCHMARK(BM_EllipseNearestPoint)->Arg(1)->Arg(10)->Arg(1000);

void BM_BezierProject(benchmark::State& state) {
  const auto pts = Points(1024);
  const double seg[4][2] = {{0, 0}, {4, 3}, {-1, 3}, {3, 0}};
  size_t i = 0;
  for (auto _ : state) {
    double foot[2], t, dist;
    benchmark::DoNotOptimize(BEZ_PrjPnt(seg, pts[i++ & 1023].data(), foot, t, dist));
  }
}
BENCHMARK(BM_BezierProject);

void BM_BezierArcLengthInverse(benchmark::State& state) {
  const double seg[4][2] = {{0, 0}, {1, 2}, {3, -2}, {4, 0}};
  const double total = BEZ_ArcLength(seg);
  double f = 0.0;
  for (auto _ : state) {
    f = f > 0.9 ? 0.05 : f + 0.0137;
    benchmark::DoNotOptimize(BEZ_EvParam(seg, f * total));
  }
}
BENCHMARK(BM_BezierArcLengthInverse);

}  // namespace
