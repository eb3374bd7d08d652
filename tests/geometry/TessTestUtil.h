// Helpers shared by the tessellator tests: flattening the node and cell lists into triangles,
// and the invariants every tessellation of a domain must keep, checked against the domain's
// polygons with independent code.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <map>
#include <utility>
#include <vector>

#include "tests/support/ShoelaceArea.h"
#include "tests/support/geometry/TrimTestUtil.h"
#include "geometry/surfaces/GeTessDomain.h"

namespace tesstest {

using trimtest::UV;
using Tri = std::array<int, 3>;

struct Flat {
  std::vector<UV> pts;
  std::vector<Tri> tris;
  int quads = 0;
};

// Takes the lists over (and frees them); a quadrilateral (a, b, c, d) gives (a, b, c), (a, c, d).
inline Flat Flatten(CTessNode* nodes, CTessTriangle* cells) {
  Flat f;
  for (CTessNode* n = nodes; n;) {
    EXPECT_EQ(n->index, static_cast<int>(f.pts.size()));
    f.pts.push_back({n->u, n->v});
    delete std::exchange(n, n->next);
  }
  for (CTessTriangle* c = cells; c;) {
    f.tris.push_back({c->a, c->b, c->c});
    if (c->d >= 0) {
      f.tris.push_back({c->a, c->c, c->d});
      ++f.quads;
    }
    delete std::exchange(c, c->next);
  }
  return f;
}

inline double Area(const std::vector<UV>& poly) {
  return shoelace::Area(poly.size(), [&](size_t i) { return std::pair(poly[i].u, poly[i].v); });
}

inline double Perimeter(const std::vector<UV>& poly) {
  double s = 0;
  for (size_t i = 0, j = poly.size() - 1; i < poly.size(); j = i++)
    s += std::hypot(poly[i].u - poly[j].u, poly[i].v - poly[j].v);
  return s;
}

// The domain: the outer polygon less the holes.
struct Domain {
  std::vector<UV> outer;
  std::vector<std::vector<UV>> holes;
  double Area() const {
    double a = std::fabs(tesstest::Area(outer));
    for (const auto& h : holes) a -= std::fabs(tesstest::Area(h));
    return a;
  }
  bool Inside(UV p) const {
    if (!trimtest::InPolygon(outer, p)) return false;
    for (const auto& h : holes)
      if (trimtest::InPolygon(h, p)) return false;
    return true;
  }
  double DistToBoundary(UV p) const {
    double d = trimtest::DistToPolygon(outer, p);
    for (const auto& h : holes) d = std::min(d, trimtest::DistToPolygon(h, p));
    return d;
  }
  double Perimeter() const {
    double s = tesstest::Perimeter(outer);
    for (const auto& h : holes) s += tesstest::Perimeter(h);
    return s;
  }
};

// Every triangle counter-clockwise with a real area, inside the domain, the triangles covering
// exactly the domain's area, every interior edge shared by exactly two triangles running
// opposite ways, and the edges used once (the mesh's border) lying on the domain's boundary and
// adding up to its length: so no hole and no overlap anywhere. tol bounds how far the domain's
// polygons may lie from the rings the tessellator followed.
inline void ExpectTilesDomain(const Flat& f, const Domain& d, double tol, double minArea) {
  ASSERT_FALSE(f.tris.empty());
  double area = 0;
  std::map<std::pair<int, int>, int> edges;
  int bad = 0;
  for (const Tri& t : f.tris) {
    for (int k : t) ASSERT_TRUE(k >= 0 && k < static_cast<int>(f.pts.size()));
    const UV a = f.pts[size_t(t[0])], b = f.pts[size_t(t[1])], c = f.pts[size_t(t[2])];
    const double s = 0.5 * ((b.u - a.u) * (c.v - a.v) - (c.u - a.u) * (b.v - a.v));
    if (!(s > minArea) && bad++ < 5)
      ADD_FAILURE() << "degenerate or clockwise triangle " << t[0] << "," << t[1] << "," << t[2]
                    << " area " << s;
    area += s;
    const UV g{(a.u + b.u + c.u) / 3, (a.v + b.v + c.v) / 3};
    if (!d.Inside(g) && d.DistToBoundary(g) > tol && bad++ < 5)
      ADD_FAILURE() << "centroid outside the domain at " << g.u << "," << g.v;
    for (int k = 0; k < 3; ++k) ++edges[{t[size_t(k)], t[size_t((k + 1) % 3)]}];
  }
  EXPECT_NEAR(area, d.Area(), tol * d.Perimeter() + 1e-12);
  double border = 0;
  for (const auto& [e, n] : edges) {
    EXPECT_EQ(n, 1) << "edge used twice the same way";
    if (edges.count({e.second, e.first})) continue;
    const UV a = f.pts[size_t(e.first)], b = f.pts[size_t(e.second)];
    border += std::hypot(b.u - a.u, b.v - a.v);
    const UV m{(a.u + b.u) / 2, (a.v + b.v) / 2};
    for (UV p : {a, b, m})
      if (d.DistToBoundary(p) > tol && bad++ < 5)
        ADD_FAILURE() << "border edge " << e.first << "-" << e.second << " off the boundary at "
                      << p.u << "," << p.v;
  }
  EXPECT_NEAR(border, d.Perimeter(), tol * d.Perimeter() * 10 + 1e-9);
}

}  // namespace tesstest
