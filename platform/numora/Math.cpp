#include "platform/numora/Math.h"

#include <algorithm>
#include <cmath>

namespace {
double gTol = 1e-4;
double gAng = 0.01;
}  // namespace

double CMath::ACos(double c) {
  if (std::isnan(c)) return c;
  return std::acos(std::clamp(c, -1.0, 1.0));
}

double CMath::GetTol() { return gTol; }
void CMath::SetTol(double tol) { gTol = tol; }
double CMath::GetAng() { return gAng; }
void CMath::SetAng(double ang) { gAng = ang; }
