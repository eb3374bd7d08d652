#include "platform/numora/Interval.h"

#include <algorithm>
#include <cmath>
#include <random>

namespace {
std::mt19937& Gen() {
  static std::mt19937 gen(20061u);
  return gen;
}
}  // namespace

int CInterval::ChkIntInt(double lo1, double hi1, double lo2, double hi2, double tol) {
  return (lo1 <= hi2 + tol && lo2 <= hi1 + tol) ? 1 : 0;
}

int CInterval::ChkValInt(double lo, double hi, double tol, double t) {
  return (t >= lo - tol && t <= hi + tol) ? 0 : 1;
}

double CInterval::ClampPeriodic(double min, double max, double t) {
  const double w = max - min;
  if (!(w > 0.0) || !std::isfinite(t)) return min;
  double r = t - std::floor((t - min) / w) * w;
  if (r >= max || r < min) r = min;  // rounding at the seam
  return r;
}

double CInterval::Clamp01(double t) { return std::clamp(t, 0.0, 1.0); }

double CInterval::Rand01() {
  // 53 random bits, exactly uniform on the doubles of [0, 1).
  const uint64_t hi = Gen()() >> 5, lo = Gen()() >> 6;
  return (double(hi) * 67108864.0 + double(lo)) / 9007199254740992.0;
}

void CInterval::SeedRand01(uint32_t seed) { Gen().seed(seed); }
