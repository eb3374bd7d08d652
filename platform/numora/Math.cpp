#include "platform/numora/Math.h"

#include <algorithm>
#include <atomic>
#include <cmath>

namespace {
// Read by kernels on any thread; atomic so that a change is never seen half-written.
std::atomic<double> gTol{1e-4};
std::atomic<double> gAng{0.01};
}  // namespace

double CMath::ACos(double c) {
  if (std::isnan(c)) return c;
  return std::acos(std::clamp(c, -1.0, 1.0));
}

double CMath::GetTol() { return gTol.load(); }
void CMath::SetTol(double tol) { gTol.store(tol); }
double CMath::GetAng() { return gAng.load(); }
void CMath::SetAng(double ang) { gAng.store(ang); }
