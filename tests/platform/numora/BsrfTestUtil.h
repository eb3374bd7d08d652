// Surfaces shared by the surface test files.
#pragma once

#include <algorithm>
#include <cmath>
#include <memory>
#include <random>
#include <numbers>

#include "platform/numora/Bsrf.h"
#include "tests/platform/numora/BcrvTestUtil.h"

struct BsrfDeleter {
  void operator()(_nurbs_surface* s) const { BSRF_Free(s); }
};
using SrfPtr = std::unique_ptr<_nurbs_surface, BsrfDeleter>;

// Sphere of radius r about c: a meridian half circle from the south to the north pole,
// revolved about the z axis by a full turn (u around the axis, v along the meridian).
inline SrfPtr MakeSphere(const double c[3], double r) {
  _arc arc{};
  arc.frame.xAxis[2] = -1;
  arc.frame.yAxis[0] = 1;
  arc.frame.zAxis[1] = 1;
  for (int k = 0; k < 3; ++k) arc.frame.origin[k] = c[k];
  arc.radius = r;
  arc.sweep = std::numbers::pi;
  BCRV* m = nullptr;
  BCRV_GenArc(&arc, m);
  CrvPtr hold(m);
  const double axis[3] = {0, 0, 1};
  _nurbs_surface* s = nullptr;
  BSRF_GenRevolve(m, c, axis, 2 * std::numbers::pi, s);
  return SrfPtr(s);
}

// Rational bicubic with uneven knots and a wavy net.
inline SrfPtr MakeWavySurface(unsigned seed = 5) {
  SrfPtr s(BSRF_Create(4, 3, 6, 5));
  std::mt19937 g(seed);
  std::uniform_real_distribution<double> d(-1.0, 1.0), w(0.6, 1.6);
  for (int j = 0; j < 5; ++j)
    for (int i = 0; i < 6; ++i) {
      const double wt = w(g);
      s->net[j][i][0] = (2.0 * i + 0.3 * d(g)) * wt;
      s->net[j][i][1] = (2.0 * j + 0.3 * d(g)) * wt;
      s->net[j][i][2] = 1.5 * d(g) * wt;
      s->net[j][i][3] = wt;
    }
  const double ku[10] = {0, 0, 0, 0, 0.3, 0.55, 1, 1, 1, 1};
  const double kv[8] = {0, 0, 0, 0.4, 0.7, 1, 1, 1};
  for (int i = 0; i < 10; ++i) s->uKnots[i] = ku[i];
  for (int i = 0; i < 8; ++i) s->vKnots[i] = kv[i];
  return s;
}

// Nearest distance from q to the surface by a dense grid (brute force), refined locally.
inline double BruteDist(const _nurbs_surface* s, const double q[3], int N = 300) {
  double best = 1e300, bu = 0, bv = 0;
  for (int j = 0; j <= N; ++j)
    for (int i = 0; i <= N; ++i) {
      double p[3];
      BSRF_EvPos(s, double(i) / N, double(j) / N, p);
      const double d = Dist3(p, q);
      if (d < best) { best = d; bu = double(i) / N; bv = double(j) / N; }
    }
  // Pattern search around the best grid node.
  for (double h = 1.0 / N; h > 1e-12; h *= 0.5) {
    bool moved = true;
    while (moved) {
      moved = false;
      for (auto [du, dv] : {std::pair{h, 0.0}, {-h, 0.0}, {0.0, h}, {0.0, -h}}) {
        const double u = std::clamp(bu + du, 0.0, 1.0), v = std::clamp(bv + dv, 0.0, 1.0);
        double p[3];
        BSRF_EvPos(s, u, v, p);
        if (Dist3(p, q) < best) { best = Dist3(p, q); bu = u; bv = v; moved = true; }
      }
    }
  }
  return best;
}
