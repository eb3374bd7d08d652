// Offset of a noisy 2,000-vertex polygon through the kernel-loop entry point, against Clipper's
// round-joined offset of the same polygon. BM_GeLoopListOffsetNoisy reports the ratio of its
// time to Clipper's as the counter "vs_clipper" (below 1: faster than Clipper).
#include <benchmark/benchmark.h>

#include <polyclipping/clipper.hpp>

#include <array>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <vector>
#include <numbers>

#include "geometry/shapes2d/GeLine.h"
#include "geometry/shapes2d/GeLoop.h"
#include "millvane/loops/LoopListOffset.h"

namespace {
constexpr double kDistance = 1.0;

// A circle of radius 50 whose vertices are moved radially by up to +-0.6 (fixed seed, so every
// run and machine sees the same polygon).
std::vector<std::array<double, 2>> NoisyPolygon(int n) {
  uint64_t state = 0x9E3779B97F4A7C15ull;
  auto uniform = [&state]() {
    state = state * 6364136223846793005ull + 1442695040888963407ull;
    return double(state >> 11) / double(uint64_t(1) << 53);
  };
  std::vector<std::array<double, 2>> p(size_t(n), std::array<double, 2>{});
  for (int i = 0; i < n; ++i) {
    const double a = 2 * std::numbers::pi * i / n, r = 50.0 + 1.2 * (uniform() - 0.5);
    p[size_t(i)] = {r * std::cos(a), r * std::sin(a)};
  }
  return p;
}

CGeLoop* GeLoopOf(const std::vector<std::array<double, 2>>& p) {
  auto* g = new CGeLoop;
  for (size_t i = 0; i < p.size(); ++i)
    g->m_CurveList.AddTail(new CGeLine(p[i].data(), p[(i + 1) % p.size()].data()));
  return g;
}

void OffsetOnce(const std::vector<std::array<double, 2>>& p) {
  CGeLoopList in, out;
  in.AddTail(GeLoopOf(p));
  acGeLoopListOffset(&in, kDistance, 2, 0, &out);
  benchmark::DoNotOptimize(out.GetCount());
  geDelGeLoopList(&in, false);
  geDelGeLoopList(&out, false);
}

constexpr double kScale = 1e5;

void ClipperOnce(const std::vector<std::array<double, 2>>& p) {
  ClipperLib::Path path;
  for (auto& q : p)
    path.push_back({ClipperLib::cInt(std::llround(q[0] * kScale)), ClipperLib::cInt(std::llround(q[1] * kScale))});
  ClipperLib::ClipperOffset co;
  co.ArcTolerance = 0.001 * kScale;
  co.AddPath(path, ClipperLib::jtRound, ClipperLib::etClosedPolygon);
  ClipperLib::Paths out;
  co.Execute(out, -kDistance * kScale);  // inward, as offset mode 0
  benchmark::DoNotOptimize(out.size());
}

// Best of a few timed runs, in seconds.
template <typename F>
double BestTime(F f, int runs) {
  double best = 1e300;
  for (int i = 0; i < runs; ++i) {
    const auto t0 = std::chrono::steady_clock::now();
    f();
    best = std::min(best, std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count());
  }
  return best;
}

void BM_GeLoopListOffsetNoisy(benchmark::State& st) {
  const auto p = NoisyPolygon(int(st.range(0)));
  const double clipper = BestTime([&] { ClipperOnce(p); }, 5);
  double best = 1e300;
  for (auto _ : st) {
    const auto t0 = std::chrono::steady_clock::now();
    OffsetOnce(p);
    best = std::min(best, std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count());
  }
  st.counters["vs_clipper"] = best / clipper;
}
BENCHMARK(BM_GeLoopListOffsetNoisy)->Arg(500)->Arg(2000)->Arg(8000)->Unit(benchmark::kMillisecond);

void BM_ClipperOffsetNoisy(benchmark::State& st) {
  const auto p = NoisyPolygon(int(st.range(0)));
  for (auto _ : st) ClipperOnce(p);
}
BENCHMARK(BM_ClipperOffsetNoisy)->Arg(500)->Arg(2000)->Arg(8000)->Unit(benchmark::kMillisecond);

}  // namespace
