// Interval tests and parameter wrapping.
#pragma once

#include <cstdint>

class CInterval {
 public:
  // 1 when [lo1, hi1] and [lo2, hi2] overlap or miss by at most tol, else 0.
  static int ChkIntInt(double lo1, double hi1, double lo2, double hi2, double tol);
  // 0 when t lies in [lo - tol, hi + tol], 1 outside (also for NaN).
  static int ChkValInt(double lo, double hi, double tol, double t);
  // t wrapped by whole periods into [min, max); min for an empty or inverted range.
  static double ClampPeriodic(double min, double max, double t);
  static double Clamp01(double t);
  // Uniform in [0, 1) from a private generator, so runs repeat on every machine.
  static double Rand01();
  static void SeedRand01(uint32_t seed);
};
