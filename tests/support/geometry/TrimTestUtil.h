// Helpers shared by the trimmed-surface tests: a curved rational test surface, polygon loops
// in parameter space and an independent even-odd point-in-polygon test.
#pragma once

#include <cmath>
#include <vector>

#include "geometry/shapes2d/GeLine.h"
#include "geometry/shapes2d/GePolyline.h"
#include "geometry/surfaces/GeTrimSurf.h"
#include "platform/numora/Numora.h"

namespace trimtest {

struct UV {
  double u, v;
};

// Bicubic 6 x 5 net over [0, 10] x [0, 8] with a wavy height and one weight of 2, knots on
// [u0, u1] x [v0, v1].
inline _nurbs_surface* WavySurface(double u0 = 0, double u1 = 1, double v0 = 0, double v1 = 1) {
  _nurbs_surface* s = BSRF_Create(4, 4, 6, 5);
  for (int j = 0; j < s->nv; ++j)
    for (int i = 0; i < s->nu; ++i) {
      const double w = (i == 2 && j == 2) ? 2.0 : 1.0;
      const double x = 2.0 * i, y = 2.0 * j, z = std::sin(0.9 * i) * std::cos(0.7 * j) + 0.1 * i;
      double* p = s->net[j][i];
      p[0] = w * x;
      p[1] = w * y;
      p[2] = w * z;
      p[3] = w;
    }
  for (int i = 0; i < s->ku + s->nu; ++i) s->uKnots[i] = u0 + (u1 - u0) * s->uKnots[i];
  for (int i = 0; i < s->kv + s->nv; ++i) s->vKnots[i] = v0 + (v1 - v0) * s->vKnots[i];
  return s;
}

// A closed polyline through the points (the first repeated at the end).
inline CGePolyline* Polygon(const std::vector<UV>& pts) {
  auto* pl = new CGePolyline();
  std::vector<double> flat;
  for (const UV& p : pts) flat.insert(flat.end(), {p.u, p.v});
  flat.insert(flat.end(), {pts[0].u, pts[0].v});
  pl->Create(static_cast<int>(pts.size() + 1), reinterpret_cast<const double(*)[2]>(flat.data()));
  return pl;
}

// A loop of one boundary: the closed polygon.
inline CGeTrimLoop* PolygonLoop(const std::vector<UV>& pts) {
  auto* loop = new CGeTrimLoop();
  loop->AddBound(new CGeTrimBnd(Polygon(pts), nullptr, nullptr));
  return loop;
}

// Even-odd ray casting, written independently of the code under test.
inline bool InPolygon(const std::vector<UV>& poly, UV p) {
  bool in = false;
  for (size_t i = 0, j = poly.size() - 1; i < poly.size(); j = i++) {
    const UV a = poly[i], b = poly[j];
    if ((a.v > p.v) != (b.v > p.v) && p.u < (b.u - a.u) * (p.v - a.v) / (b.v - a.v) + a.u)
      in = !in;
  }
  return in;
}

// Distance from p to the polygon's edges.
inline double DistToPolygon(const std::vector<UV>& poly, UV p) {
  double best = 1e300;
  for (size_t i = 0, j = poly.size() - 1; i < poly.size(); j = i++) {
    const UV a = poly[j], b = poly[i];
    const double du = b.u - a.u, dv = b.v - a.v, len2 = du * du + dv * dv;
    double t = len2 > 0 ? ((p.u - a.u) * du + (p.v - a.v) * dv) / len2 : 0;
    t = std::fmax(0, std::fmin(1, t));
    best = std::fmin(best, std::hypot(p.u - a.u - t * du, p.v - a.v - t * dv));
  }
  return best;
}

inline double Dist3(const double a[3], const double b[3]) {
  return std::sqrt((a[0] - b[0]) * (a[0] - b[0]) + (a[1] - b[1]) * (a[1] - b[1]) +
                   (a[2] - b[2]) * (a[2] - b[2]));
}

}  // namespace trimtest
