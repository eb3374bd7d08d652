// Polygon clipping checked against Boost.Geometry, area identities and a brute-force
// simplicity test.
#include "platform/numora/Gpc.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <random>
#include <string>
#include <vector>
#include <numbers>

#include "support/PolygonOracle.h"
#include "support/ShoelaceArea.h"

namespace {

using Ring = std::vector<std::pair<double, double>>;
using Rings = std::vector<Ring>;  // first ring outer, the rest holes of it

// Owns a gpc_polygon for the length of a test.
struct Poly {
  gpc_polygon p;
  Poly() { gpc_init_polygon(&p); }
  explicit Poly(const Rings& rings) {
    gpc_init_polygon(&p);
    EXPECT_EQ(1, gpc_create_polygon(&p, static_cast<int>(rings.size())));
    for (size_t c = 0; c < rings.size(); ++c) {
      EXPECT_EQ(1, gpc_create_vertex(&p.contour[c], static_cast<int>(rings[c].size())));
      for (size_t i = 0; i < rings[c].size(); ++i) {
        p.contour[c].vertex[i] = {rings[c][i].first, rings[c][i].second};
      }
      p.hole[c] = c > 0 ? 1 : 0;
    }
  }
  ~Poly() { gpc_free_polygon(&p); }
  Poly(const Poly&) = delete;
  Poly& operator=(const Poly&) = delete;
};

double RingArea(const gpc_vertex_list& vl) {
  return shoelace::Area(size_t(std::max(vl.num_vertices, 0)), [&](size_t i) {
    return std::pair(vl.vertex[i].x, vl.vertex[i].y);
  });
}

// Area as the hole flags describe it, independent of the orientation the clipper chose.
double FlaggedArea(const gpc_polygon& p) {
  double a = 0.0;
  for (int c = 0; c < p.num_contours; ++c) {
    a += (p.hole[c] ? -1.0 : 1.0) * std::fabs(RingArea(p.contour[c]));
  }
  return a;
}

int CountHoles(const gpc_polygon& p) {
  int n = 0;
  for (int c = 0; c < p.num_contours; ++c) n += p.hole[c];
  return n;
}

polygon_oracle::Region ToOracle(const Rings& rings) {
  polygon_oracle::Region region;
  for (const Ring& r : rings) {
    region.emplace_back();
    for (const auto& v : r) region.back().push_back({v.first, v.second});
  }
  return region;
}

Ring Rect(double x0, double y0, double x1, double y1) {
  return {{x0, y0}, {x1, y0}, {x1, y1}, {x0, y1}};
}

// Star-shaped, hence simple, polygon with random radii.
Ring RandomStar(std::mt19937& rng, double cx, double cy, int n) {
  std::uniform_real_distribution<double> radius(1.0, 3.0);
  Ring r;
  for (int i = 0; i < n; ++i) {
    const double a = 2.0 * std::numbers::pi * i / n;
    const double rr = radius(rng);
    r.push_back({cx + rr * std::cos(a), cy + rr * std::sin(a)});
  }
  return r;
}

struct ClipCase {
  std::string name;
  Rings a;
  Rings b;
  bool compareTopology;  // contour and hole counts must match Boost's too
};

std::vector<ClipCase> Cases() {
  std::vector<ClipCase> cases = {
      {"overlapping squares", {Rect(0, 0, 2, 2)}, {Rect(1, 1, 3, 3)}, true},
      {"nested", {Rect(0, 0, 10, 10)}, {Rect(2, 2, 4, 4)}, true},
      {"disjoint", {Rect(0, 0, 1, 1)}, {Rect(5, 5, 6, 6)}, true},
      {"shared edge", {Rect(0, 0, 1, 1)}, {Rect(1, 0, 2, 1)}, false},
      {"concave L and triangle",
       {{{0, 0}, {4, 0}, {4, 1}, {1, 1}, {1, 4}, {0, 4}}},
       {{{0.5, 0.5}, {3.5, 2.5}, {0.5, 3.5}}},
       true},
      {"holed subject crossed by a bar",
       {Rect(0, 0, 10, 10), Rect(3, 3, 7, 7)},
       {Rect(5, 4, 12, 6)},
       true},
      {"bar filling part of a hole",
       {Rect(0, 0, 10, 10), Rect(3, 3, 7, 7)},
       {Rect(4, 4, 6, 6)},
       true},
  };
  std::mt19937 rng(12345);
  for (int k = 0; k < 12; ++k) {
    std::uniform_real_distribution<double> shift(-2.0, 2.0);
    cases.push_back({"random stars " + std::to_string(k),
                     {RandomStar(rng, 0, 0, 7 + k)},
                     {RandomStar(rng, shift(rng), shift(rng), 5 + 2 * k)},
                     true});
  }
  return cases;
}

struct OpCheck {
  gpc_op op;
  const char* name;
};

const OpCheck kOps[] = {{GPC_DIFF, "difference"},
                        {GPC_INT, "intersection"},
                        {GPC_XOR, "exclusive or"},
                        {GPC_UNION, "union"}};

polygon_oracle::ClipOp OracleOp(gpc_op op) {
  switch (op) {
    case GPC_DIFF: return polygon_oracle::ClipOp::kDifference;
    case GPC_INT: return polygon_oracle::ClipOp::kIntersection;
    case GPC_XOR: return polygon_oracle::ClipOp::kXor;
    case GPC_UNION: break;
  }
  return polygon_oracle::ClipOp::kUnion;
}

double ClipArea(gpc_op op, const Rings& a, const Rings& b) {
  Poly pa(a), pb(b), out;
  EXPECT_EQ(1, gpc_polygon_clip(op, &pa.p, &pb.p, &out.p));
  return FlaggedArea(out.p);
}

TEST(Gpc, AreasAndHolesAgreeWithBoostGeometry) {
  for (const ClipCase& c : Cases()) {
    const polygon_oracle::Region ra = ToOracle(c.a), rb = ToOracle(c.b);
    for (const OpCheck& op : kOps) {
      SCOPED_TRACE(c.name + " / " + op.name);
      Poly pa(c.a), pb(c.b), out;
      ASSERT_EQ(1, gpc_polygon_clip(op.op, &pa.p, &pb.p, &out.p));
      const polygon_oracle::ClipResult expect = polygon_oracle::Clip(OracleOp(op.op), ra, rb);
      // Boost rescales internally and is the less precise of the two.
      EXPECT_NEAR(expect.area, FlaggedArea(out.p), 1e-6);
      // Exclusive-or pieces touch at points: Boost keeps them apart, while Clipper may
      // describe them as an outer boundary with a hole touching it.
      if (c.compareTopology && op.op != GPC_XOR) {
        EXPECT_EQ(expect.pieces, out.p.num_contours - CountHoles(out.p));
        EXPECT_EQ(expect.holes, CountHoles(out.p));
      }
    }
  }
}

TEST(Gpc, AreaIdentitiesAndTranslationInvariance) {
  for (const ClipCase& c : Cases()) {
    SCOPED_TRACE(c.name);
    const double a = ClipArea(GPC_UNION, c.a, {});
    const double b = ClipArea(GPC_UNION, c.b, {});
    const double uni = ClipArea(GPC_UNION, c.a, c.b);
    const double inter = ClipArea(GPC_INT, c.a, c.b);
    EXPECT_NEAR(a + b, uni + inter, 1e-8);
    EXPECT_NEAR(uni - inter, ClipArea(GPC_XOR, c.a, c.b), 1e-8);
    EXPECT_NEAR(a - inter, ClipArea(GPC_DIFF, c.a, c.b), 1e-8);

    Rings ma = c.a, mb = c.b;
    for (Rings* rs : {&ma, &mb})
      for (Ring& r : *rs)
        for (auto& v : r) v = {v.first + 1000.0, v.second - 500.0};
    EXPECT_NEAR(uni, ClipArea(GPC_UNION, ma, mb), 1e-6);
  }
}

TEST(Gpc, FillIsEvenOddAndInputHoleFlagsAreIgnored) {
  // Two overlapping squares in one polygon: the overlap is outside.
  Poly p({Rect(0, 0, 2, 2), Rect(1, 1, 3, 3)});
  Poly empty, out;
  ASSERT_EQ(1, gpc_polygon_clip(GPC_UNION, &p.p, &empty.p, &out.p));
  EXPECT_NEAR(6.0, FlaggedArea(out.p), 1e-9);
  p.p.hole[1] = 0;  // same geometry flagged as outer boundary
  Poly out2;
  ASSERT_EQ(1, gpc_polygon_clip(GPC_UNION, &p.p, &empty.p, &out2.p));
  EXPECT_NEAR(6.0, FlaggedArea(out2.p), 1e-9);
}

TEST(Gpc, IslandInHoleComesBackAsOuterBoundaryAfterItsHole) {
  Poly a({Rect(0, 0, 10, 10), Rect(2, 2, 8, 8)});
  Poly b({Rect(4, 4, 6, 6)});
  Poly out;
  ASSERT_EQ(1, gpc_polygon_clip(GPC_UNION, &a.p, &b.p, &out.p));
  ASSERT_EQ(3, out.p.num_contours);
  EXPECT_EQ(0, out.p.hole[0]);
  EXPECT_EQ(1, out.p.hole[1]);
  EXPECT_EQ(0, out.p.hole[2]);
  EXPECT_NEAR(100.0 - 36.0 + 4.0, FlaggedArea(out.p), 1e-9);
}

// The hole-counting simplicity test: the box grown by 10 minus the loop (closing point
// repeated) must give back exactly the box and one hole holding every distinct vertex.
bool SimpleByVertexCount(const Ring& loop) {
  double x0 = 1e300, y0 = 1e300, x1 = -1e300, y1 = -1e300;
  for (const auto& v : loop) {
    x0 = std::min(x0, v.first), y0 = std::min(y0, v.second);
    x1 = std::max(x1, v.first), y1 = std::max(y1, v.second);
  }
  Ring box = Rect(x0 - 10, y0 - 10, x1 + 10, y1 + 10);
  box.push_back(box.front());
  Ring buffer = loop;
  buffer.push_back(loop.front());
  Poly a({box}), b({buffer}), c;
  b.p.hole[0] = 1;
  EXPECT_EQ(1, gpc_polygon_clip(GPC_DIFF, &a.p, &b.p, &c.p));
  if (c.p.num_contours != 2) return false;
  int k = c.p.contour[0].num_vertices;
  if (k == 4) k = c.p.contour[1].num_vertices;
  return k + 1 == static_cast<int>(buffer.size());
}

double Cross(const std::pair<double, double>& o, const std::pair<double, double>& a,
             const std::pair<double, double>& b) {
  return (a.first - o.first) * (b.second - o.second) - (a.second - o.second) * (b.first - o.first);
}

// Brute force: no two non-adjacent edges meet (inputs are in general position).
bool SimpleByBruteForce(const Ring& r) {
  const size_t n = r.size();
  for (size_t i = 0; i < n; ++i) {
    for (size_t j = i + 1; j < n; ++j) {
      if (j == i + 1 || (i == 0 && j == n - 1)) continue;
      const auto &a = r[i], &b = r[(i + 1) % n], &c = r[j], &d = r[(j + 1) % n];
      if (Cross(a, b, c) * Cross(a, b, d) < 0 && Cross(c, d, a) * Cross(c, d, b) < 0) return false;
    }
  }
  return true;
}

TEST(Gpc, SimpleContoursKeepEveryVertex) {
  // Collinear points on the edges must survive.
  const Ring withMidpoints = {{0, 0}, {1, 0}, {2, 0}, {2, 1}, {2, 2}, {1, 2}, {0, 2}, {0, 1}};
  EXPECT_TRUE(SimpleByVertexCount(withMidpoints));
  const Ring bowTie = {{0, 0}, {2, 2}, {2, 0}, {0, 2}};
  EXPECT_FALSE(SimpleByVertexCount(bowTie));

  std::mt19937 rng(777);
  std::uniform_real_distribution<double> u(0.0, 10.0);
  int simple = 0, nonSimple = 0;
  for (int k = 0; k < 300; ++k) {
    Ring r;
    const int n = 4 + k % 6;
    for (int i = 0; i < n; ++i) r.push_back({u(rng), u(rng)});
    const bool expect = SimpleByBruteForce(r);
    (expect ? simple : nonSimple)++;
    EXPECT_EQ(expect, SimpleByVertexCount(r)) << "case " << k;
  }
  EXPECT_GT(simple, 20);
  EXPECT_GT(nonSimple, 20);
}

TEST(Gpc, ResultMayBeAnInput) {
  Poly a({Rect(0, 0, 2, 2)}), b({Rect(1, 0, 3, 2)});
  ASSERT_EQ(1, gpc_polygon_clip(GPC_UNION, &a.p, &b.p, &a.p));
  EXPECT_NEAR(6.0, FlaggedArea(a.p), 1e-9);
  ASSERT_EQ(1, gpc_polygon_clip(GPC_INT, &b.p, &b.p, &b.p));
  EXPECT_NEAR(4.0, FlaggedArea(b.p), 1e-9);
}

TEST(Gpc, BadInputFailsWithAnEmptyResult) {
  const double inf = std::numeric_limits<double>::infinity();
  const double nan = std::numeric_limits<double>::quiet_NaN();
  struct Bad {
    const char* name;
    Rings a;
  };
  const Bad bad[] = {
      {"beyond the scaling range", {Rect(0, 0, 2e9, 1)}},
      {"negative beyond the range", {Rect(-gpc_max_coord, 0, 1, 1)}},
      {"infinite", {Rect(0, 0, inf, 1)}},
      {"not a number", {Rect(0, 0, 1, nan)}},
  };
  for (const Bad& c : bad) {
    SCOPED_TRACE(c.name);
    Poly a(c.a), b({Rect(0, 0, 1, 1)}), out;
    EXPECT_EQ(0, gpc_polygon_clip(GPC_UNION, &a.p, &b.p, &out.p));
    EXPECT_EQ(0, out.p.num_contours);
    EXPECT_EQ(nullptr, out.p.contour);
    EXPECT_EQ(0, gpc_polygon_clip(GPC_UNION, &b.p, &a.p, &out.p));
  }
  // Just inside the range still works.
  const double big = 1e9;
  Poly a({Rect(big, big, big + 2, big + 2)}), b({Rect(big + 1, big, big + 3, big + 2)}), out;
  ASSERT_EQ(1, gpc_polygon_clip(GPC_UNION, &a.p, &b.p, &out.p));
  EXPECT_NEAR(6.0, FlaggedArea(out.p), 1e-6);

  Poly sq({Rect(0, 0, 1, 1)}), res;
  EXPECT_EQ(0, gpc_polygon_clip(static_cast<gpc_op>(9), &sq.p, &sq.p, &res.p));
  EXPECT_EQ(0, gpc_polygon_clip(GPC_INT, nullptr, &sq.p, &res.p));
  EXPECT_EQ(0, gpc_polygon_clip(GPC_INT, &sq.p, &sq.p, nullptr));
  gpc_polygon broken = {1, nullptr, nullptr};
  EXPECT_EQ(0, gpc_polygon_clip(GPC_INT, &broken, &sq.p, &res.p));
  sq.p.contour[0].num_vertices = -3;
  EXPECT_EQ(0, gpc_polygon_clip(GPC_INT, &sq.p, &sq.p, &res.p));
  sq.p.contour[0].num_vertices = 4;
  EXPECT_EQ(0, gpc_create_polygon(&res.p, -1));
  EXPECT_EQ(0, res.p.num_contours);
}

// The union of contours in one pass: overlaps count once whichever way each contour runs, and
// the result is the one that uniting them pair by pair gives (each contour alone is simple).
TEST(Gpc, UnionOfContoursIsThePairwiseUnion) {
  std::mt19937 rng(17);
  std::uniform_real_distribution<double> u(0, 1);
  for (int n : {1, 2, 7, 40}) {
    SCOPED_TRACE(n);
    Rings rings;
    for (int i = 0; i < n; ++i) {
      const double x = 10 * u(rng), y = 10 * u(rng);
      Ring r = Rect(x, y, x + 1 + 3 * u(rng), y + 1 + 3 * u(rng));
      if (i % 2) std::reverse(r.begin(), r.end());
      rings.push_back(r);
    }
    Poly all(rings), once;
    ASSERT_EQ(1, gpc_union_contours(&all.p, &once.p));
    Poly acc({rings[0]});
    for (size_t i = 1; i < rings.size(); ++i) {
      Poly next({rings[i]});
      ASSERT_EQ(1, gpc_polygon_clip(GPC_UNION, &acc.p, &next.p, &acc.p));
    }
    EXPECT_NEAR(FlaggedArea(once.p), FlaggedArea(acc.p), 1e-8);
    EXPECT_EQ(once.p.num_contours, acc.p.num_contours);
    EXPECT_EQ(CountHoles(once.p), CountHoles(acc.p));
  }
  const double nan = std::numeric_limits<double>::quiet_NaN();
  Poly bad({Rect(0, 0, 1, 1), Rect(0, 0, nan, 1)}), out;
  EXPECT_EQ(0, gpc_union_contours(&bad.p, &out.p));
  EXPECT_EQ(0, out.p.num_contours);
  EXPECT_EQ(0, gpc_union_contours(nullptr, &out.p));
  EXPECT_EQ(0, gpc_union_contours(&bad.p, &bad.p));
}

TEST(Gpc, DegenerateContoursAreSkipped) {
  // Empty contours (from skipped loops) and two-point contours enclose nothing.
  Poly a({Rect(0, 0, 1, 1), {}, {{5, 5}, {6, 6}}});
  Poly empty, out;
  ASSERT_EQ(1, gpc_polygon_clip(GPC_UNION, &a.p, &empty.p, &out.p));
  ASSERT_EQ(1, out.p.num_contours);
  EXPECT_NEAR(1.0, FlaggedArea(out.p), 1e-12);
}

}  // namespace
