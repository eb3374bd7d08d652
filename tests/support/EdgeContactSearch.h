// Reference edge contact for cutter tests and benchmarks: the highest tip along the edge found
// by a golden-section search over the stretch within the cutter's reach, using only the
// cutter's profile (HeightAt, MaxRadius). The stretch is found by projection and bisection, not
// by the closed form the cutter uses, so the fast closed forms are checked against searches
// that share none of their steps.
#pragma once

#include <algorithm>
#include <cmath>

#include "platform/vurode/Tool.h"

namespace tooltest {

inline double SearchEdgeContact(const CTool& tool, const double* a, const double* b, double x, double y) {
  const double rmax = tool.MaxRadius();
  const double e[2] = {b[0] - a[0], b[1] - a[1]};
  const double w[2] = {a[0] - x, a[1] - y};
  auto distAt = [&](double t) { return std::hypot(w[0] + t * e[0], w[1] + t * e[1]); };
  auto tipAt = [&](double t) {
    return a[2] + t * (b[2] - a[2]) - tool.HeightAt(std::min(distAt(t), rmax));
  };
  // The point of the edge nearest the cutter's axis, by projection; none within reach, no
  // contact.
  const double len2 = e[0] * e[0] + e[1] * e[1];
  const double tn = len2 > 0.0 ? std::clamp(-(w[0] * e[0] + w[1] * e[1]) / len2, 0.0, 1.0) : 0.0;
  if (distAt(tn) > rmax) return kToolNoContact;
  // The stretch within reach, by bisection outwards from there: the distance grows
  // monotonically on either side of the nearest point.
  auto reachEnd = [&](double inside, double outside) {
    if (distAt(outside) <= rmax) return outside;
    for (int i = 0; i < 200 && inside != outside; ++i) {
      const double m = 0.5 * (inside + outside);
      if (m == inside || m == outside) break;
      (distAt(m) <= rmax ? inside : outside) = m;
    }
    return inside;
  };
  const double t0 = reachEnd(tn, 0.0), t1 = reachEnd(tn, 1.0);
  // The tip height along the edge is concave for a convex cutter: a golden-section search over
  // the stretch finds the contact.
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
  return std::max({f1, f2, tipAt(t0), tipAt(t1), tipAt(tn)});
}

}  // namespace tooltest
