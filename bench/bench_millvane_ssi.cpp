// Surface-surface intersection tracing: a wavy B-spline surface of 40 x 40 control points cut
// by a cylinder, a plane through a sphere and two equal perpendicular cylinders (crossing
// curves through two touching points) and two crossing spheres. "points" counts the traced
// points of all curves.
#include <benchmark/benchmark.h>

#include "bench/bench_millvane_ssi_cases.h"

namespace {

using namespace ssibench;

// Modes: 0 samples on demand from empty caches (cold), 1 reuses the caches of the first run,
// 2 samples both surfaces completely before each intersection (the former cold path).
// The cold run also reports "vs_complete": the complete path's time over its own, measured
// side by side here.
void Run(benchmark::State& st, ENT_Record* A, ENT_Record* B, const _tagBox2D& ba,
         const _tagBox2D& bb) {
  const int mode = int(st.range(0));
  long points = 0;
  void *ca = nullptr, *cb = nullptr;
  for (auto _ : st) {
    if (mode == 1) points = Intersect(A, B, ba, bb, &ca, &cb);
    else points = RunOnce(A, B, ba, bb, mode == 2);
  }
  SSI_FreeSampleCache(ca);
  SSI_FreeSampleCache(cb);
  if (mode == 0) {
    if (RunOnce(A, B, ba, bb, true) != points) st.SkipWithError("complete sampling traced other points");
    st.counters["vs_complete"] = Seconds(A, B, ba, bb, true, 3) / Seconds(A, B, ba, bb, false, 3);
  }
  st.counters["points"] = double(points);
  if (points < 0) st.SkipWithError("intersection failed");
}

void BM_SsiBsplineCylinder(benchmark::State& st) {
  const SsiCase c(kBsplineCylinder);
  Run(st, c.a, c.b, c.ba, c.bb);
}
BENCHMARK(BM_SsiBsplineCylinder)->DenseRange(0, 2)->ArgName("mode")->Unit(benchmark::kMillisecond);

void BM_SsiPlaneSphere(benchmark::State& st) {
  const SsiCase c(kPlaneSphere);
  Run(st, c.a, c.b, c.ba, c.bb);
}
BENCHMARK(BM_SsiPlaneSphere)->DenseRange(0, 2)->ArgName("mode")->Unit(benchmark::kMillisecond);

void BM_SsiPerpendicularCylinders(benchmark::State& st) {
  const SsiCase c(kPerpendicularCylinders);
  Run(st, c.a, c.b, c.ba, c.bb);
}
BENCHMARK(BM_SsiPerpendicularCylinders)->DenseRange(0, 2)->ArgName("mode")->Unit(benchmark::kMillisecond);

void BM_SsiTwoSpheres(benchmark::State& st) {
  const SsiCase c(kTwoSpheres);
  Run(st, c.a, c.b, c.ba, c.bb);
}
BENCHMARK(BM_SsiTwoSpheres)->DenseRange(0, 2)->ArgName("mode")->Unit(benchmark::kMillisecond);

}  // namespace
