// Baseline: the cost of a colour pack, to see the benchmark runner's own floor.
#include "platform/win/WinTypes.h"

#include <benchmark/benchmark.h>

static void BM_PackColour(benchmark::State& state) {
  int i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(RGB(i, i + 1, i + 2));
    ++i;
  }
}
BENCHMARK(BM_PackColour);
