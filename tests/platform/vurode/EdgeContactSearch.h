// Reference edge contact for cutter tests and benchmarks: the highest tip along the edge found
// by a golden-section search over the stretch within the cutter's reach, using only the
// cutter's profile (HeightAt, MaxRadius). The tip height along an edge is concave for a convex
// cutter, so the search converges on the contact; fast closed forms are checked against it.
#pragma once

#include <algorithm>
#include <cmath>

#include "platform/vurode/Tool.h"

namespace tooltest {

inline double SearchEdgeContact(const CTool& tool, const double* a, const double* b, double x, double y) {
  const double rmax = tool.MaxRadius();
  const double e[2] = {b[0] - a[0], b[1] - a[1]};
  const double w[2] = {a[0] - x, a[1] - y};
  auto tipAt = [&](double t) {
    const double d = std::hypot(w[0] + t * e[0], w[1] + t * e[1]);
    return a[2] + t * (b[2] - a[2]) - tool.HeightAt(std::min(d, rmax));
  };
  const double A = e[0] * e[0] + e[1] * e[1];
  const double C = w[0] * w[0] + w[1] * w[1] - rmax * rmax;
  if (A < 1e-24) {
    if (C > 1e-12) return kToolNoContact;
    return std::max(a[2], b[2]) - tool.HeightAt(std::min(std::sqrt(std::max(0.0, C + rmax * rmax)), rmax));
  }
  const double B = 2.0 * (w[0] * e[0] + w[1] * e[1]);
  const double disc = B * B - 4.0 * A * C;
  if (disc < 0.0) return kToolNoContact;
  const double root = std::sqrt(disc);
  const double t0 = std::max(0.0, (-B - root) / (2.0 * A));
  const double t1 = std::min(1.0, (-B + root) / (2.0 * A));
  if (t0 > t1) return kToolNoContact;
  const double g = 0.5 * (std::sqrt(5.0) - 1.0);
  double lo = t0, hi = t1;
  double m1 = hi - g * (hi - lo), m2 = lo + g * (hi - lo);
  double f1 = tipAt(m1), f2 = tipAt(m2);
  for (int i = 0; i < 80 && hi - lo > 1e-15; ++i) {
    if (f1 < f2) {
      lo = m1;
      m1 = m2;
      f1 = f2;
      m2 = lo + g * (hi - lo);
      f2 = tipAt(m2);
    } else {
      hi = m2;
      m2 = m1;
      f2 = f1;
      m1 = hi - g * (hi - lo);
      f1 = tipAt(m1);
    }
  }
  return std::max({f1, f2, tipAt(t0), tipAt(t1)});
}

}  // namespace tooltest
