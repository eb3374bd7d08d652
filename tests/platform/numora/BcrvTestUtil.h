// Helpers shared by the B-spline test files.
#pragma once

#include <algorithm>
#include <cmath>
#include <memory>
#include <random>

#include "platform/numora/Bcrv.h"

struct BcrvDeleter {
  void operator()(BCRV* c) const { BCRV_Free(c); }
};
using CrvPtr = std::unique_ptr<BCRV, BcrvDeleter>;

inline double Dist3(const double a[3], const double b[3]) {
  return std::sqrt((a[0] - b[0]) * (a[0] - b[0]) + (a[1] - b[1]) * (a[1] - b[1]) +
                   (a[2] - b[2]) * (a[2] - b[2]));
}

// A rational cubic with uneven knots and a double knot: a shape no shortcut handles.
inline CrvPtr MakeWavyCurve(unsigned seed = 7) {
  CrvPtr c(BCRV_New(4, 8));
  std::mt19937 g(seed);
  std::uniform_real_distribution<double> d(-5.0, 5.0), w(0.5, 2.0);
  for (int i = 0; i < 8; ++i) {
    const double wt = w(g);
    c->ctrlPts[i][0] = (i * 2.0 + d(g) * 0.3) * wt;
    c->ctrlPts[i][1] = d(g) * wt;
    c->ctrlPts[i][2] = d(g) * 0.5 * wt;
    c->ctrlPts[i][3] = wt;
  }
  const double k[12] = {0, 0, 0, 0, 0.15, 0.4, 0.4, 0.8, 1, 1, 1, 1};
  for (int i = 0; i < 12; ++i) c->knots[i] = k[i];
  return c;
}

// Largest distance between two curves sampled at the same parameters over [0, 1].
inline double MaxSampleGap(const BCRV* a, const BCRV* b, int samples = 400) {
  double m = 0.0;
  for (int i = 0; i <= samples; ++i) {
    double p[3], q[3];
    const double t = double(i) / samples;
    if (!BCRV_EvPos(a, t, p) || !BCRV_EvPos(b, t, q)) return 1e300;
    m = std::max(m, Dist3(p, q));
  }
  return m;
}
