// The largest inscribed circle of a wavy 10,000-vertex outline, alone and with islands, and
// through the service with a polyline loop.
#include <benchmark/benchmark.h>

#include <cmath>
#include <numbers>
#include <vector>

#include "geometry/shapes2d/GeLoop.h"
#include "geometry/shapes2d/GePolyline.h"
#include "velmora/quillan/InscribedCircle.h"
#include "velmora/quillan/Quillan.h"

namespace {

QlRing Wavy(int n, double cx, double cy, double r, double wave) {
  QlRing ring;
  for (int i = 0; i < n; ++i) {
    const double a = 2 * std::numbers::pi * i / n;
    const double rr = r + wave * std::sin(37 * a);
    ring.push_back({cx + rr * std::cos(a), cy + rr * std::sin(a)});
  }
  return ring;
}

void BM_InscribedOutline(benchmark::State& state) {
  const std::vector<QlRing> rings{Wavy(int(state.range(0)), 0, 0, 100, 10)};
  for (auto _ : state) {
    QlCircle c;
    benchmark::DoNotOptimize(qlLargestInscribedCircle(rings, 0.005, c));
  }
}
BENCHMARK(BM_InscribedOutline)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

void BM_InscribedWithIslands(benchmark::State& state) {
  std::vector<QlRing> rings{Wavy(10000, 0, 0, 100, 10)};
  for (int i = 0; i < 4; ++i) rings.push_back(Wavy(250, 40 * std::cos(i * 1.57), 40 * std::sin(i * 1.57), 15, 2));
  for (auto _ : state) {
    QlCircle c;
    benchmark::DoNotOptimize(qlLargestInscribedCircle(rings, 0.005, c));
  }
}
BENCHMARK(BM_InscribedWithIslands)->Unit(benchmark::kMillisecond);

void BM_ServicePolylineLoop(benchmark::State& state) {
  const QlRing ring = Wavy(10000, 0, 0, 100, 10);
  auto* pline = new CGePolyline(int(ring.size()) + 1);
  for (int i = 0; i <= int(ring.size()); ++i) pline->SetPoint(i, ring[size_t(i) % ring.size()].data());
  CGeLoop loop;
  loop.AddTail(pline, 1);
  CGeLoopList loops;
  loops.AddTail(&loop);
  for (auto _ : state) {
    vnStart(&loops, nullptr, true);
    benchmark::DoNotOptimize(vnGetMaxRadius(0.01));
    vnEnd();
  }
}
BENCHMARK(BM_ServicePolylineLoop)->Unit(benchmark::kMillisecond);

}  // namespace
