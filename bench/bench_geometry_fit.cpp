// Curve fitting: biarcs and Bezier curves through point sequences of growing length, and the
// arc approximation of one cubic at tightening tolerances.
#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>
#include <random>
#include <vector>

#include "geometry/shapes2d/GeBezier.h"
#include "geometry/shapes2d/GeCombCurve.h"
#include "geometry/tools/BezierToArc.h"
#include "geometry/tools/CurveFit.h"

namespace {

// A wavy spiral sampled at n points, optionally with noise.
std::vector<double> Wave(int n, double noise) {
  std::mt19937 rng(3);
  std::uniform_real_distribution<double> j(-noise, noise);
  std::vector<double> v;
  for (int i = 0; i < n; ++i) {
    const double t = static_cast<double>(i) / (n - 1);
    const double r = 20 + 10 * t + std::sin(40 * t);
    v.push_back(r * std::cos(12 * t) + (noise > 0 ? j(rng) : 0));
    v.push_back(r * std::sin(12 * t) + (noise > 0 ? j(rng) : 0));
  }
  return v;
}

void BM_BiarcsFit(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  const std::vector<double> pts = Wave(n, 0.0);
  size_t pieces = 0;
  for (auto _ : state) {
    std::unique_ptr<CGeCombCurve> c(
        geBiarcsFitCurve(reinterpret_cast<const double(*)[2]>(pts.data()), nullptr, n, 0.01));
    pieces = static_cast<size_t>(c->m_CurveList.GetCount());
  }
  state.counters["pieces"] = static_cast<double>(pieces);
  state.SetComplexityN(n);
}
BENCHMARK(BM_BiarcsFit)->RangeMultiplier(10)->Range(1000, 100000)->Unit(benchmark::kMillisecond)
    ->Complexity();

void BM_BezierFit(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  const std::vector<double> pts = Wave(n, 0.02);
  int segments = 0;
  for (auto _ : state) {
    std::unique_ptr<CGeBezier> b(
        geFitCurve(reinterpret_cast<const double(*)[2]>(pts.data()), n, 0.05 * 0.05));
    segments = b->GetSegmentCount();
  }
  state.counters["segments"] = segments;
  state.SetComplexityN(n);
}
BENCHMARK(BM_BezierFit)->RangeMultiplier(10)->Range(1000, 100000)->Unit(benchmark::kMillisecond)
    ->Complexity();

void BM_CubicToArcs(benchmark::State& state) {
  const double tol = std::pow(10.0, -static_cast<double>(state.range(0)));
  const double ctrl[4][2] = {{0, 0}, {30, 50}, {80, 60}, {120, 10}};
  CBezierToArc seg(ctrl, 3);
  size_t pieces = 0;
  for (auto _ : state) {
    CGeCurveList out;
    seg.ArcApproxi(tol, &out);
    pieces = static_cast<size_t>(out.GetCount());
    while (!out.IsEmpty()) delete out.RemoveHead();
  }
  state.counters["pieces"] = static_cast<double>(pieces);
}
BENCHMARK(BM_CubicToArcs)->DenseRange(1, 4)->Unit(benchmark::kMicrosecond);

}  // namespace
