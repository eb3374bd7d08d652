// Growth of a benchmark family with its size: each run records its CPU seconds per iteration
// (the work is single-threaded, and CPU time stays steady on a busy machine where wall time does
// not), and a run shows as counter "exponent" the log-log slope against the previous size of
// its family.
#pragma once

#include <benchmark/benchmark.h>

#include <time.h>

#include <cmath>
#include <map>
#include <string>
#include <utility>

namespace growth {

// Runs body once per iteration and reports the slope; size is the family's size measure.
template <class F>
void Timed(benchmark::State& state, const std::string& family, double size, F body) {
  auto cpu = [] {
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return double(ts.tv_sec) + 1e-9 * double(ts.tv_nsec);
  };
  double total = 0;
  long iters = 0;
  for (auto _ : state) {
    const double t0 = cpu();
    body();
    total += cpu() - t0;
    ++iters;
  }
  if (iters == 0) return;
  const double t = total / double(iters);
  static std::map<std::string, std::pair<double, double>> last;  // family -> (size, seconds)
  auto it = last.find(family);
  if (it != last.end() && size > it->second.first && t > 0 && it->second.second > 0)
    state.counters["exponent"] = std::log(t / it->second.second) / std::log(size / it->second.first);
  last[family] = {size, t};
  state.counters["seconds"] = t;
}

}  // namespace growth
