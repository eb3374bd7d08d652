// Elapsed wall time, for progress estimates and diagnostics.
#pragma once

#include <chrono>

class Timer {
 public:
  Timer() { Start(); }
  // Restarts the measurement.
  void Start() { m_start = std::chrono::steady_clock::now(); }
  // Milliseconds since construction or the last Start.
  double GetElapsed() const {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - m_start)
        .count();
  }

 private:
  std::chrono::steady_clock::time_point m_start;
};
