#include "support/PolygonOracle.h"

// Boost.Geometry trips a false maybe-uninitialized warning once inlined here.
#if !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif
#include <boost/geometry.hpp>
#include <boost/geometry/geometries/multi_polygon.hpp>
#include <boost/geometry/geometries/point_xy.hpp>
#include <boost/geometry/geometries/polygon.hpp>

namespace polygon_oracle {

namespace {

namespace bg = boost::geometry;
using BPoint = bg::model::d2::point_xy<double>;
using BPolygon = bg::model::polygon<BPoint>;
using BMulti = bg::model::multi_polygon<BPolygon>;

BPolygon ToBoost(const Ring& ring) {
  BPolygon poly;
  for (const Pt& p : ring) bg::append(poly.outer(), BPoint(p[0], p[1]));
  bg::correct(poly);
  return poly;
}

BMulti ToBoost(const Region& rings) {
  BPolygon poly;
  for (size_t c = 0; c < rings.size(); ++c) {
    BPolygon::ring_type r;
    for (const Pt& v : rings[c]) r.push_back(BPoint(v[0], v[1]));
    if (c == 0) {
      poly.outer() = r;
    } else {
      poly.inners().push_back(r);
    }
  }
  bg::correct(poly);
  BMulti m;
  m.push_back(poly);
  return m;
}

// Area of the rings combined one by one into what came before by op(acc, ring, next).
template <class Op>
double Accumulated(const std::vector<Ring>& rings, Op op) {
  BMulti acc;
  for (const Ring& ring : rings) {
    BMulti next;
    op(acc, ToBoost(ring), next);
    acc = next;
  }
  return bg::area(acc);
}

}  // namespace

ClipResult Clip(ClipOp op, const Region& a, const Region& b) {
  const BMulti ba = ToBoost(a), bb = ToBoost(b);
  BMulti out;
  switch (op) {
    case ClipOp::kDifference: bg::difference(ba, bb, out); break;
    case ClipOp::kIntersection: bg::intersection(ba, bb, out); break;
    case ClipOp::kXor: bg::sym_difference(ba, bb, out); break;
    case ClipOp::kUnion: bg::union_(ba, bb, out); break;
  }
  ClipResult r;
  r.area = bg::area(out);
  r.pieces = static_cast<int>(out.size());
  for (const auto& p : out) r.holes += static_cast<int>(p.inners().size());
  return r;
}

double EvenOddArea(const std::vector<Ring>& rings) {
  return Accumulated(rings, [](const BMulti& acc, const BPolygon& p, BMulti& next) {
    bg::sym_difference(acc, p, next);
  });
}

double UnionArea(const std::vector<Ring>& rings) {
  return Accumulated(rings, [](const BMulti& acc, const BPolygon& p, BMulti& next) {
    bg::union_(acc, p, next);
  });
}

bool Within(const Pt& p, const Ring& ring) { return bg::within(BPoint(p[0], p[1]), ToBoost(ring)); }

}  // namespace polygon_oracle
