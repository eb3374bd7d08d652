// Surfaces and point strings shared by the trim-editor tests.
#pragma once

#include <array>
#include <cmath>
#include <memory>
#include <vector>

#include "geometry/shapes2d/GePolyline.h"
#include "geometry/surfaces/GeTrimSurf.h"
#include "platform/numora/Bcrv.h"
#include "platform/numora/Bsrf.h"

namespace edt {

// Bilinear patch x = sx·u, y = sy·v, z = 0 over [0, 1]².
inline _nurbs_surface* Plane(double sx = 1.0, double sy = 1.0) {
  _nurbs_surface* s = BSRF_Create(2, 2, 2, 2);
  for (int j = 0; j < 2; ++j)
    for (int i = 0; i < 2; ++i) {
      s->net[j][i][0] = sx * i;
      s->net[j][i][1] = sy * j;
      s->net[j][i][2] = 0.0;
      s->net[j][i][3] = 1.0;
    }
  return s;
}

// Full cylinder of radius r about z (periodic in u), height h along v.
inline _nurbs_surface* Cylinder(double r = 1.0, double h = 1.0) {
  BCRV* line = BCRV_New(2, 2);
  const double pts[2][3] = {{r, 0, 0}, {r, 0, h}};
  for (int i = 0; i < 2; ++i) {
    for (int k = 0; k < 3; ++k) line->ctrlPts[i][k] = pts[i][k];
    line->ctrlPts[i][3] = 1.0;
  }
  const double origin[3] = {0, 0, 0}, axis[3] = {0, 0, 1};
  _nurbs_surface* s = nullptr;
  BSRF_GenRevolve(line, origin, axis, 2 * M_PI, s);
  BCRV_Free(line);
  return s;
}

// A trimmed surface over srf whose single loop is the whole unit domain.
inline std::unique_ptr<CGeTrimSurf> Untrimmed(_nurbs_surface* srf) {
  const _tagBox2D box{{0, 0}, {1, 1}};
  auto ts = std::make_unique<CGeTrimSurf>(srf, box);
  ts->AddLoop(ts->GenRectTrimLoop(0, 1, 0, 1));
  return ts;
}

// A trimmed surface whose single loop is one closed polyline bound through pts.
inline std::unique_ptr<CGeTrimSurf> PolygonTrimmed(_nurbs_surface* srf,
                                                   const std::vector<std::array<double, 2>>& pts) {
  const _tagBox2D box{{0, 0}, {1, 1}};
  auto ts = std::make_unique<CGeTrimSurf>(srf, box);
  auto* loop = new CGeTrimLoop;
  auto* pl = new CGePolyline;
  std::vector<double> flat;
  for (const auto& p : pts) flat.insert(flat.end(), {p[0], p[1]});
  flat.insert(flat.end(), {pts[0][0], pts[0][1]});
  pl->Create(int(pts.size() + 1), reinterpret_cast<const double(*)[2]>(flat.data()));
  loop->AddBound(new CGeTrimBnd(pl, nullptr, loop));
  ts->AddLoop(loop);
  return ts;
}

// n + 1 points of a circle (last = first), counter-clockwise unless cw.
inline std::vector<std::array<double, 2>> Circle(double cx, double cy, double r, int n,
                                                 bool cw = false) {
  std::vector<std::array<double, 2>> pts;
  for (int i = 0; i <= n; ++i) {
    const double a = (cw ? -1 : 1) * 2 * M_PI * (i % n) / n;
    pts.push_back({cx + r * std::cos(a), cy + r * std::sin(a)});
  }
  return pts;
}

// Area of the regular n-gon inscribed in a circle of radius r.
inline double ChordArea(double r, int n) { return 0.5 * n * r * r * std::sin(2 * M_PI / n); }

}  // namespace edt
