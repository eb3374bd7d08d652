// Speed of the B-spline kernel: curve evaluation, interpolation, surface evaluation.
#include <benchmark/benchmark.h>

#include <array>
#include <cmath>
#include <vector>
#include <numbers>

#include "platform/numora/Bcrv.h"
#include "platform/numora/Bsrf.h"
#include "platform/numora/NurbsEditor.h"

namespace {

std::vector<std::array<double, 3>> Wave(int n) {
  std::vector<std::array<double, 3>> p(static_cast<size_t>(n));
  for (int i = 0; i < n; ++i) {
    const double t = 20.0 * i / (n - 1);
    p[size_t(i)] = {t, std::sin(t), 0.3 * std::cos(2.3 * t)};
  }
  return p;
}

}  // namespace

// One million evaluations with first and second derivatives on a 200-point cubic.
static void BM_CurveEv2Der_1M(benchmark::State& state) {
  const auto pts = Wave(200);
  BCRV* c = CNurbsEditor::GlobalInterp(reinterpret_cast<const double(*)[3]>(pts.data()), 200, 3);
  double p[3], d1[3], d2[3];
  for (auto _ : state) {
    for (int i = 0; i < 1000000; ++i) {
      BCRV_Ev2Der(c, i * 1e-6, p, d1, d2);
      benchmark::DoNotOptimize(d2);
    }
  }
  BCRV_Free(c);
}
BENCHMARK(BM_CurveEv2Der_1M)->Unit(benchmark::kMillisecond);

static void BM_GlobalInterp_10k(benchmark::State& state) {
  const auto pts = Wave(10000);
  for (auto _ : state) {
    BCRV* c =
        CNurbsEditor::GlobalInterp(reinterpret_cast<const double(*)[3]>(pts.data()), 10000, 3);
    benchmark::DoNotOptimize(c);
    BCRV_Free(c);
  }
}
BENCHMARK(BM_GlobalInterp_10k)->Unit(benchmark::kMillisecond);

static void BM_GlobalApprox_10k(benchmark::State& state) {
  const auto pts = Wave(10000);
  for (auto _ : state) {
    BCRV* c = CNurbsEditor::GlobalApproxErrBnd(
        reinterpret_cast<const double(*)[3]>(pts.data()), 10000, 3, 0.001f);
    benchmark::DoNotOptimize(c);
    BCRV_Free(c);
  }
}
BENCHMARK(BM_GlobalApprox_10k)->Unit(benchmark::kMillisecond);

// Points of a bicubic 12 x 12 net on a 1000 x 1000 parameter grid.
static void BM_SurfaceEvPos_1000x1000(benchmark::State& state) {
  _nurbs_surface* s = BSRF_Create(4, 4, 12, 12);
  for (int j = 0; j < 12; ++j)
    for (int i = 0; i < 12; ++i) {
      s->net[j][i][0] = i;
      s->net[j][i][1] = j;
      s->net[j][i][2] = std::sin(0.7 * i) * std::cos(0.5 * j);
    }
  double p[3];
  for (auto _ : state) {
    for (int j = 0; j < 1000; ++j)
      for (int i = 0; i < 1000; ++i) {
        BSRF_EvPos(s, i / 999.0, j / 999.0, p);
        benchmark::DoNotOptimize(p);
      }
  }
  BSRF_Free(s);
}
BENCHMARK(BM_SurfaceEvPos_1000x1000)->Unit(benchmark::kMillisecond);

// Nearest points on a revolved sphere: cold (no guess) and along a trace (previous answer as
// the guess).
static void BM_SurfaceSnap(benchmark::State& state) {
  _arc arc{};
  arc.frame.xAxis[2] = -1;
  arc.frame.yAxis[0] = 1;
  arc.frame.zAxis[1] = 1;
  arc.radius = 5;
  arc.sweep = std::numbers::pi;
  BCRV* m = nullptr;
  BCRV_GenArc(&arc, m);
  const double o[3] = {0, 0, 0}, z[3] = {0, 0, 1};
  _nurbs_surface* s = nullptr;
  BSRF_GenRevolve(m, o, z, 2 * std::numbers::pi, s);
  const bool traced = state.range(0) != 0;
  double u = 1e12, v = 1e12, foot[3], dist;
  int i = 0;
  for (auto _ : state) {
    const double a = 0.001 * (i++ % 5000);
    const double p[3] = {5 * std::cos(a), 5 * std::sin(a), 0.3};
    if (!traced) u = v = 1e12;
    BSRF_SnapPnt(s, p, 1e-8, foot, u, v, dist);
    benchmark::DoNotOptimize(dist);
  }
  BSRF_Free(s);
  BCRV_Free(m);
}
BENCHMARK(BM_SurfaceSnap)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);
