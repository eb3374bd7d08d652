// Offset of a noisy 2,000-vertex polygon through the kernel-loop entry point, against Clipper's
// round-joined offset of the same polygon. BM_GeLoopListOffsetNoisy reports the ratio of its
// time to Clipper's as the counter "vs_clipper" (below 1: faster than Clipper); so does
// BM_GeLoopListOffsetStar for the 8,000-vertex noisy star offset inwards by 2.
// Built with -DVELMORA_CAVC_DIR=<CavalierContours checkout>, BM_GeLoopListOffsetStarVsCavc
// times CavalierContours' offset (exact arcs) of the same star and reports "cavc_over_ours",
// its best processor time over ours (above 1: faster than CavalierContours), and "area_diff",
// the area of its offset less ours.
// Growth: BM_GeLoopListOffsetSquares offsets a grid of n separate 10 x 10 squares by 1 (inward
// and outward), BM_GeLoopListOffsetWideCircle one noisy circle of n vertices 0.1 apart; each
// reports at its largest size the counter "exponent", the log-log slope of the best time
// between the last two sizes.
#include <benchmark/benchmark.h>

#include <polyclipping/clipper.hpp>

#include <array>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <vector>
#include <map>
#include <numbers>
#include <utility>

#include "geometry/shapes2d/GeLine.h"
#include "geometry/shapes2d/GeLoop.h"
#include "millvane/loops/LoopListOffset.h"

#ifdef VELMORA_WITH_CAVC
#include <cavc/polylineoffset.hpp>
#include <ctime>
#endif

namespace {
constexpr double kDistance = 1.0;

// A circle of radius 50, or with lobes the star r = 50 + lobes cos 9a, whose vertices are moved
// radially by up to +-0.6 (fixed seed, so every run and machine sees the same polygon).
std::vector<std::array<double, 2>> NoisyPolygon(int n, double lobes = 0.0) {
  uint64_t state = 0x9E3779B97F4A7C15ull;
  auto uniform = [&state]() {
    state = state * 6364136223846793005ull + 1442695040888963407ull;
    return double(state >> 11) / double(uint64_t(1) << 53);
  };
  std::vector<std::array<double, 2>> p(size_t(n), std::array<double, 2>{});
  for (int i = 0; i < n; ++i) {
    const double a = 2 * std::numbers::pi * i / n;
    const double r = 50.0 + lobes * std::cos(9 * a) + 1.2 * (uniform() - 0.5);
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

void OffsetOnce(const std::vector<std::array<double, 2>>& p, double d = kDistance) {
  CGeLoopList in, out;
  in.AddTail(GeLoopOf(p));
  acGeLoopListOffset(&in, d, 2, 0, &out);
  benchmark::DoNotOptimize(out.GetCount());
  geDelGeLoopList(&in, false);
  geDelGeLoopList(&out, false);
}

constexpr double kScale = 1e5;

void ClipperOnce(const std::vector<std::array<double, 2>>& p, double d = kDistance) {
  ClipperLib::Path path;
  for (auto& q : p)
    path.push_back({ClipperLib::cInt(std::llround(q[0] * kScale)), ClipperLib::cInt(std::llround(q[1] * kScale))});
  ClipperLib::ClipperOffset co;
  co.ArcTolerance = 0.001 * kScale;
  co.AddPath(path, ClipperLib::jtRound, ClipperLib::etClosedPolygon);
  ClipperLib::Paths out;
  co.Execute(out, -d * kScale);  // inward, as offset mode 0
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

void BM_GeLoopListOffsetStar(benchmark::State& st) {
  const auto p = NoisyPolygon(int(st.range(0)), 18.0);
  const double clipper = BestTime([&] { ClipperOnce(p, 2.0); }, 3);
  double best = 1e300;
  for (auto _ : st) best = std::min(best, BestTime([&] { OffsetOnce(p, 2.0); }, 1));
  st.counters["vs_clipper"] = best / clipper;
  st.counters["clipper_ms"] = clipper * 1e3;
}
BENCHMARK(BM_GeLoopListOffsetStar)->Arg(8000)->Unit(benchmark::kMillisecond);

#ifdef VELMORA_WITH_CAVC
// CavalierContours' offset of a counter-clockwise polyline of lines: a positive distance
// offsets inwards, as offset mode 0. Returns the summed area of the results.
double CavcOnce(const std::vector<std::array<double, 2>>& p, double d) {
  cavc::Polyline<double> pl;
  for (auto& q : p) pl.addVertex(q[0], q[1], 0.0);
  pl.isClosed() = true;
  const auto out = cavc::parallelOffset(pl, d);
  double area = 0.0;
  for (const auto& r : out) area += cavc::getArea(r);
  return area;
}

// Summed area of the kernel loops an offset returns (islands negative).
double OffsetArea(const std::vector<std::array<double, 2>>& p, double d) {
  CGeLoopList in, out;
  in.AddTail(GeLoopOf(p));
  acGeLoopListOffset(&in, d, 2, 0, &out);
  double area = 0.0;
  for (POSITION pos = out.GetHeadPosition(); pos;) area += out.GetNext(pos)->EvArea(0.0001);
  geDelGeLoopList(&in, false);
  geDelGeLoopList(&out, false);
  return area;
}

// Best of a few runs in seconds of this thread's processor time: both offsets run on one
// thread, and on a loaded machine wall time measures the neighbours as much as the offset.
template <typename F>
double BestCpuTime(F f, int runs) {
  auto now = [] {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) + 1e-9 * double(t.tv_nsec);
  };
  double best = 1e300;
  for (int i = 0; i < runs; ++i) {
    const double t0 = now();
    f();
    best = std::min(best, now() - t0);
  }
  return best;
}

void BM_GeLoopListOffsetStarVsCavc(benchmark::State& st) {
  const auto p = NoisyPolygon(int(st.range(0)), 18.0);
  const double cavc = BestCpuTime([&] { benchmark::DoNotOptimize(CavcOnce(p, 2.0)); }, 5);
  double best = 1e300;
  for (auto _ : st) best = std::min(best, BestCpuTime([&] { OffsetOnce(p, 2.0); }, 1));
  st.counters["cavc_over_ours"] = cavc / best;
  st.counters["cavc_ms"] = cavc * 1e3;
  st.counters["ours_ms"] = best * 1e3;
  st.counters["area_diff"] = std::fabs(CavcOnce(p, 2.0)) - std::fabs(OffsetArea(p, 2.0));
}
BENCHMARK(BM_GeLoopListOffsetStarVsCavc)->Arg(8000)->Unit(benchmark::kMillisecond);
#endif

// Best times by (benchmark, size), so that the largest size can report the slope to the one
// before it (sizes run in ascending order).
std::map<std::pair<int, long>, double> gBest;

void ReportExponent(benchmark::State& st, int which, double best, long lastSize) {
  const long n = long(st.range(0));
  st.counters["best_ms"] = best * 1e3;
  gBest[{which, n}] = best;
  auto it = gBest.find({which, n});
  if (n == lastSize && it != gBest.begin() && std::prev(it)->first.first == which) {
    const auto& [key, prevBest] = *std::prev(it);
    st.counters["exponent"] = std::log(best / prevBest) / std::log(double(n) / double(key.second));
  }
}

constexpr long kLastSquares = 65536;

void BM_GeLoopListOffsetSquares(benchmark::State& st) {
  const int n = int(st.range(0)), mode = int(st.range(1));
  const int side = static_cast<int>(std::ceil(std::sqrt(double(n))));
  double best = 1e300;
  for (auto _ : st) {
    st.PauseTiming();
    CGeLoopList in, out;
    for (int i = 0; i < n; ++i) {
      const double x = (i % side) * 20.0, y = (i / side) * 20.0;
      in.AddTail(GeLoopOf({{x, y}, {x + 10, y}, {x + 10, y + 10}, {x, y + 10}}));
    }
    st.ResumeTiming();
    const auto t0 = std::chrono::steady_clock::now();
    acGeLoopListOffset(&in, 1.0, 2, mode, &out);
    best = std::min(best, std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count());
    benchmark::DoNotOptimize(out.GetCount());
    st.PauseTiming();
    geDelGeLoopList(&in, false);
    geDelGeLoopList(&out, false);
    st.ResumeTiming();
  }
  ReportExponent(st, mode, best, kLastSquares);
}
BENCHMARK(BM_GeLoopListOffsetSquares)
    ->ArgsProduct({{1024, 4096, 16384, kLastSquares}, {0, 2}})
    ->Unit(benchmark::kMillisecond);

constexpr long kLastCircle = 65536;

void BM_GeLoopListOffsetWideCircle(benchmark::State& st) {
  const int n = int(st.range(0));
  uint64_t state = 0x9E3779B97F4A7C15ull;
  std::vector<std::array<double, 2>> p(size_t(n), std::array<double, 2>{});
  const double r0 = n * 0.1 / (2 * std::numbers::pi);
  for (int i = 0; i < n; ++i) {
    state = state * 6364136223846793005ull + 1442695040888963407ull;
    const double a = 2 * std::numbers::pi * i / n;
    const double r = r0 + 0.1 * (double(state >> 11) / double(uint64_t(1) << 53) - 0.5);
    p[size_t(i)] = {r * std::cos(a), r * std::sin(a)};
  }
  double best = 1e300;
  for (auto _ : st) best = std::min(best, BestTime([&] { OffsetOnce(p); }, 1));
  ReportExponent(st, 10, best, kLastCircle);
}
BENCHMARK(BM_GeLoopListOffsetWideCircle)
    ->Arg(8192)->Arg(16384)->Arg(32768)->Arg(kLastCircle)
    ->Unit(benchmark::kMillisecond);

}  // namespace
