// Growth of a benchmark family with its size: each run records its seconds per iteration, and
// a run shows as counter "exponent" the log-log slope against the previous size of its family.
#pragma once

#include <benchmark/benchmark.h>

#include <chrono>
#include <cmath>
#include <map>
#include <string>
#include <utility>

namespace growth {

// Runs body once per iteration and reports the slope; size is the family's size measure.
template <class F>
void Timed(benchmark::State& state, const std::string& family, double size, F body) {
  using Clock = std::chrono::steady_clock;
  double total = 0;
  long iters = 0;
  for (auto _ : state) {
    const auto t0 = Clock::now();
    body();
    total += std::chrono::duration<double>(Clock::now() - t0).count();
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
