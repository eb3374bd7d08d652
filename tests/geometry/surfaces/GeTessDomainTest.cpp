// The parameter-domain tessellator: rings, sampling lines, grid quads and ear-clipped boundary
// polygons, checked by what any tessellation of the domain must satisfy; the parameter
// sampler and the interval lookup against brute force.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <map>
#include <memory>
#include <numbers>
#include <string>

#include "tests/geometry/TessTestUtil.h"
#include "geometry/shapes2d/GeCircle.h"

using namespace trimtest;
using namespace tesstest;

namespace {

// The plane z = 0 over [0, 10]^2: its chords never leave it, so the sampler keeps two
// intervals each way (samples 0, 0.5, 1).
_nurbs_surface* Plane() {
  _nurbs_surface* s = BSRF_Create(2, 2, 2, 2);
  for (int j = 0; j < 2; ++j)
    for (int i = 0; i < 2; ++i) {
      double* p = s->net[j][i];
      p[0] = 10.0 * i;
      p[1] = 10.0 * j;
      p[2] = 0.0;
      p[3] = 1.0;
    }
  return s;
}

std::vector<UV> Circle(double cu, double cv, double r, int n, double phase = 0.3) {
  std::vector<UV> pts;
  for (int i = 0; i < n; ++i) {
    const double a = phase + 2 * std::numbers::pi * i / n;
    pts.push_back({cu + r * std::cos(a), cv + r * std::sin(a)});
  }
  return pts;
}

std::vector<UV> Rect(double u0, double v0, double u1, double v1) {
  return {{u0, v0}, {u1, v0}, {u1, v1}, {u0, v1}};
}

// A loop of one line boundary per polygon edge, in the polygon's order.
CGeTrimLoop* LineLoop(const std::vector<UV>& pts) {
  auto* loop = new CGeTrimLoop();
  for (size_t i = 0; i < pts.size(); ++i) {
    const UV a = pts[i], b = pts[(i + 1) % pts.size()];
    const double s[2] = {a.u, a.v}, e[2] = {b.u, b.v};
    loop->AddBound(new CGeTrimBnd(new CGeLine(s, e), nullptr, nullptr));
  }
  return loop;
}

// A surface trimmed by the domain: the outer loop and the holes as given (AddLoop orients them).
std::unique_ptr<CGeTrimSurf> Trimmed(_nurbs_surface* srf, const Domain& d) {
  auto s = std::make_unique<CGeTrimSurf>(srf, _tagBox2D{{0, 0}, {1, 1}});
  s->AddLoop(PolygonLoop(d.outer));
  for (const auto& h : d.holes) s->AddLoop(PolygonLoop(h));
  s->BuildTopo();
  return s;
}

Flat Tessellate(CGeTrimSurf& s, double tol) {
  CTessNode* nodes = nullptr;
  CTessTriangle* cells = nullptr;
  EXPECT_EQ(geTessTrimDomain(&s.m_LoopList, tol, &nodes, &cells), 1);
  return Flatten(nodes, cells);
}

struct DomainCase {
  std::string name;
  Domain domain;
};
void PrintTo(const DomainCase& c, std::ostream* os) { *os << c.name; }

std::vector<DomainCase> Cases() {
  std::vector<UV> comb = {{0, 0}, {1, 0}, {1, 1}, {0.8, 1}, {0.8, 0.3}, {0.6, 0.3},
                          {0.6, 1}, {0.4, 1}, {0.4, 0.3}, {0.2, 0.3}, {0.2, 1}, {0, 1}};
  std::vector<UV> star;
  for (int i = 0; i < 40; ++i) {
    const double a = 2 * std::numbers::pi * i / 40, r = i % 2 ? 0.2 : 0.48;
    star.push_back({0.5 + r * std::cos(a), 0.5 + r * std::sin(a)});
  }
  return {
      {"Square", {Rect(0, 0, 1, 1), {}}},
      {"SquareWithSquareHole", {Rect(0, 0, 1, 1), {Rect(0.3, 0.35, 0.62, 0.7)}}},
      {"Disc", {Circle(0.5, 0.5, 0.45, 101), {}}},
      {"DiscTouchingTheDomainEdges", {Circle(0.5, 0.5, 0.5, 64, 0.0), {}}},
      {"SeveralRoundHoles",
       {Rect(0, 0, 1, 1),
        {Circle(0.25, 0.25, 0.12, 37), Circle(0.7, 0.3, 0.15, 41), Circle(0.5, 0.75, 0.2, 53)}}},
      // Holes a hair away from the outer loop share boundary polygons with it.
      {"HolesHuggingTheOuterLoop",
       {Rect(0, 0, 1, 1), {Rect(0.001, 0.4, 0.2, 0.6), Circle(0.9, 0.9, 0.0995, 29)}}},
      {"HoleBetweenTwoLines", {Rect(0, 0, 1, 1), {Circle(0.512, 0.488, 0.003, 17)}}},
      {"Comb", {comb, {}}},
      {"StarWithHole", {star, {Circle(0.5, 0.5, 0.1, 23)}}},
  };
}

class TessDomainCase : public ::testing::TestWithParam<DomainCase> {};

TEST_P(TessDomainCase, TrianglesTileTheTrimmedDomain) {
  const Domain& d = GetParam().domain;
  for (double tol : {0.05, 0.005}) {
    auto s = Trimmed(WavySurface(), d);
    const Flat f = Tessellate(*s, tol);
    SCOPED_TRACE("tol " + std::to_string(tol));
    ExpectTilesDomain(f, d, 1e-9, 1e-13);
  }
}

TEST_P(TessDomainCase, MirroredDomainTilesTheSameArea) {
  // u -> 1 - u turns every loop round; AddLoop must orient them back.
  Domain m = GetParam().domain;
  for (auto* poly : {&m.outer}) std::reverse(poly->begin(), poly->end());
  for (auto& h : m.holes) std::reverse(h.begin(), h.end());
  for (auto* poly : {&m.outer})
    for (UV& p : *poly) p.u = 1 - p.u;
  for (auto& h : m.holes)
    for (UV& p : h) p.u = 1 - p.u;
  auto s = Trimmed(WavySurface(), m);
  ExpectTilesDomain(Tessellate(*s, 0.02), m, 1e-9, 1e-13);
}

INSTANTIATE_TEST_SUITE_P(Domains, TessDomainCase, ::testing::ValuesIn(Cases()),
                         [](const auto& info) { return info.param.name; });

TEST(GeTessTrimDomain, UnitSquareOnTwoIntervalsIsEightTriangles) {
  auto s = Trimmed(Plane(), {Rect(0, 0, 1, 1), {}});
  const Flat f = Tessellate(*s, 0.01);
  EXPECT_EQ(f.pts.size(), 9u);  // 4 corners, 4 edge crossings, the middle
  EXPECT_EQ(f.tris.size(), 8u);
  EXPECT_EQ(f.quads, 0);
  // The rings come first, in loop order.
  EXPECT_EQ(f.pts[0].u, 0.0);
  EXPECT_EQ(f.pts[0].v, 0.0);
  EXPECT_EQ(f.pts[2].u, 1.0);
  EXPECT_EQ(f.pts[2].v, 1.0);
  ExpectTilesDomain(f, {Rect(0, 0, 1, 1), {}}, 1e-12, 1e-3);
}

TEST(GeTessTrimDomain, VerticesOnSamplingLinesJoinOnce) {
  // A diamond with its corners on the middle row and column: no crossing nodes, one grid node.
  const Domain diamond{{{0.5, 0}, {1, 0.5}, {0.5, 1}, {0, 0.5}}, {}};
  auto s = Trimmed(Plane(), diamond);
  const Flat f = Tessellate(*s, 0.01);
  EXPECT_EQ(f.pts.size(), 5u);
  EXPECT_EQ(f.tris.size(), 4u);
  ExpectTilesDomain(f, diamond, 1e-12, 1e-3);

  // An edge lying along the middle row adds no node of its own.
  const Domain ell{{{0, 0}, {1, 0}, {1, 0.5}, {0.5, 0.5}, {0.5, 1}, {0, 1}}, {}};
  auto l = Trimmed(Plane(), ell);
  const Flat g = Tessellate(*l, 0.01);
  EXPECT_EQ(g.pts.size(), 8u);  // 6 corners, crossings at (0, 0.5) and (0.5, 0)
  ExpectTilesDomain(g, ell, 1e-12, 1e-3);
}

TEST(GeTessTrimDomain, BoundariesAlongOrTouchingLinesLeaveNoFlatTriangle) {
  // On the plane the lines lie at 0.5: holes and notches resting on them, touching them at a
  // corner from either side, or running along them.
  const std::vector<std::pair<std::string, Domain>> cases = {
      {"hole resting below the row", {Rect(0, 0, 1, 1), {Rect(0.2, 0.3, 0.4, 0.5)}}},
      {"hole corners touching the row",
       {Rect(0, 0, 1, 1),
        {{{0.7, 0.3}, {0.8, 0.4}, {0.7, 0.5}, {0.6, 0.4}},
         {{0.3, 0.5}, {0.4, 0.6}, {0.3, 0.7}, {0.2, 0.6}}}}},
      {"hole corner touching the column", {Rect(0, 0, 1, 1), {{{0.6, 0.7}, {0.7, 0.8}, {0.6, 0.9}, {0.5, 0.8}}}}},
      {"notch down to the row", {{{0, 0}, {1, 0}, {1, 1}, {0.7, 1}, {0.7, 0.5}, {0.3, 0.5}, {0.3, 1}, {0, 1}}, {}}},
      {"outer corner on the row", {{{0, 0}, {1, 0}, {1, 0.5}, {0, 1}}, {}}},
  };
  for (const auto& [name, d] : cases) {
    SCOPED_TRACE(name);
    auto s = Trimmed(Plane(), d);
    ExpectTilesDomain(Tessellate(*s, 0.01), d, 1e-12, 1e-6);
  }
}

TEST(GeTessTrimDomain, LongBoundaryPolygonsAreTriangulatedWhole) {
  // On the plane only the middle row and column cut this 4100-point disc: each quarter is one
  // boundary polygon of some 1030 nodes, and all of it must be covered.
  const Domain d{Circle(0.5, 0.5, 0.5, 4100), {}};
  auto s = Trimmed(Plane(), d);
  const Flat f = Tessellate(*s, 0.01);
  // The quarters hold every ring node, both crossings and the middle: k nodes, k - 2 triangles.
  EXPECT_EQ(f.tris.size(), 4100u + 4 * 2 + 4 - 4 * 2);
  ExpectTilesDomain(f, d, 1e-12, 1e-14);
}

TEST(GeTessTrimDomain, PolygonsSharedBetweenRingsAreLaidOnce) {
  // Three tiny holes put lines at u = 0.15, 0.65, 0.85 and v = 0.25, 0.75; the quadrilateral
  // hole then gets u = 0.75, and its first corner sits where that column meets the row 0.25.
  // The polygon below-left of that corner touches the outer loop and is made from it; walking
  // from the hole's first corner again would lay it twice.
  const std::vector<UV> quad = {{0.75, 0.25}, {0.8, 0.32}, {0.7, 0.32}, {0.7, 0.18}};
  const Domain d{Rect(0, 0, 1, 1),
                 {Rect(0.14, 0.24, 0.16, 0.26), Rect(0.64, 0.74, 0.66, 0.76),
                  Rect(0.84, 0.74, 0.86, 0.76), quad}};
  auto s = Trimmed(Plane(), d);
  ExpectTilesDomain(Tessellate(*s, 0.01), d, 1e-12, 1e-8);
}

TEST(GeTessTrimDomain, SmallHoleGetsItsOwnLines) {
  // Between the lines at 0, 0.5 and 1 in both directions: lines through its middle cut it.
  const Domain d{Rect(0, 0, 1, 1), {Rect(0.2, 0.2, 0.3, 0.3)}};
  auto s = Trimmed(Plane(), d);
  const Flat f = Tessellate(*s, 0.01);
  auto has = [&](double u, double v) {
    return std::any_of(f.pts.begin(), f.pts.end(), [&](UV p) {
      return std::fabs(p.u - u) < 1e-12 && std::fabs(p.v - v) < 1e-12;
    });
  };
  EXPECT_TRUE(has(0.25, 0.2));
  EXPECT_TRUE(has(0.25, 0.3));
  EXPECT_TRUE(has(0.2, 0.25));
  EXPECT_TRUE(has(0.3, 0.25));
  ExpectTilesDomain(f, d, 1e-12, 1e-6);
}

TEST(GeTessTrimDomain, CloseBoundaryPointsMergeIntoOneNode) {
  // The second point lies 5e-8 from the first: one node; 5e-6 from the last corner: kept.
  const std::vector<UV> poly = {{0, 0}, {5e-8, 5e-8}, {1, 0}, {1, 1}, {0, 1}, {0, 5e-6}};
  auto s = Trimmed(Plane(), {poly, {}});
  const Flat f = Tessellate(*s, 0.01);
  int near0 = 0;
  for (UV p : f.pts) near0 += std::hypot(p.u, p.v) < 1e-6;
  EXPECT_EQ(near0, 1);
  EXPECT_EQ(f.pts[0].u, 5e-8);  // the merged node takes the later point
  ExpectTilesDomain(f, {poly, {}}, 1e-7, 1e-14);
}

TEST(GeTessTrimDomain, ReversedHoleOfManyBoundariesStillChains) {
  // A counter-clockwise hole of four line boundaries is turned clockwise by AddLoop; its
  // boundaries must still run end to start for the ring to follow the hole.
  const std::vector<UV> hole = Rect(0.3, 0.3, 0.7, 0.6);
  auto s = std::make_unique<CGeTrimSurf>(WavySurface(), _tagBox2D{{0, 0}, {1, 1}});
  s->AddLoop(s->GenRectTrimLoop(0, 1, 0, 1));
  s->AddLoop(LineLoop(hole));
  s->BuildTopo();
  CGeTrimLoop* h = s->m_LoopList.GetTail();
  double prevEnd[2] = {0, 0}, start[2], xyz[3];
  bool firstBnd = true;
  for (POSITION pos = h->m_BndList.GetHeadPosition(); pos;) {
    CGeTrimBnd* b = h->m_BndList.GetNext(pos);
    b->GetStartPoint(xyz, start);
    if (!firstBnd) {
      EXPECT_LT(std::hypot(start[0] - prevEnd[0], start[1] - prevEnd[1]), 1e-12);
    }
    firstBnd = false;
    b->GetEndPoint(xyz, prevEnd);
  }
  EXPECT_LT(h->EvArea(0.01), 0);
  ExpectTilesDomain(Tessellate(*s, 0.02), {Rect(0, 0, 1, 1), {hole}}, 1e-9, 1e-13);
}

TEST(GeTessTrimDomain, NothingToTessellateGivesZero) {
  CTessNode* nodes = reinterpret_cast<CTessNode*>(0x1);
  CTessTriangle* cells = reinterpret_cast<CTessTriangle*>(0x1);
  EXPECT_EQ(geTessTrimDomain(nullptr, 0.01, &nodes, &cells), 0);
  CGeTrimLoopList empty;
  EXPECT_EQ(geTessTrimDomain(&empty, 0.01, &nodes, &cells), 0);
  CGeTrimLoopList bare;
  bare.AddTail(new CGeTrimLoop());  // no boundaries: no ring
  bare.AddTail(static_cast<CGeTrimLoop*>(nullptr));
  EXPECT_EQ(geTessTrimDomain(&bare, 0.01, &nodes, &cells), 0);
  geDelTrimLoopList(&bare);
  // Coordinates that are not numbers are refused, not walked.
  CGeTrimLoopList nan;
  nan.AddTail(PolygonLoop({{0, 0}, {NAN, 0}, {1, 1}}));
  EXPECT_EQ(geTessTrimDomain(&nan, 0.01, &nodes, &cells), 0);
  geDelTrimLoopList(&nan);
  EXPECT_EQ(nodes, reinterpret_cast<CTessNode*>(0x1));  // outputs left alone
  EXPECT_EQ(cells, reinterpret_cast<CTessTriangle*>(0x1));
}

TEST(GeTessTrimDomain, WithoutSurfaceOnlyTheBoxAndLoopLinesCut) {
  // No owner surface: the lines are the box edges plus the lines through the small hole.
  CGeTrimLoopList loops;
  loops.AddTail(PolygonLoop(Rect(0, 0, 1, 1)));
  std::vector<UV> hole = Rect(0.4, 0.4, 0.6, 0.6);
  std::reverse(hole.begin(), hole.end());
  loops.AddTail(PolygonLoop(hole));
  CTessNode* nodes = nullptr;
  CTessTriangle* cells = nullptr;
  ASSERT_EQ(geTessTrimDomain(&loops, 0.01, &nodes, &cells), 1);
  const Flat f = Flatten(nodes, cells);
  EXPECT_EQ(f.quads, 0);
  ExpectTilesDomain(f, {Rect(0, 0, 1, 1), {hole}}, 1e-12, 1e-6);
  geDelTrimLoopList(&loops);
}

// Mid-span distance from the chord in space, for the sampler checks.
double MidDeviation(CGeTrimSurf& s, int d, double fixed, double a, double b) {
  double p0[3], p1[3], pm[3];
  auto at = [&](double t, double* p) {
    d == 0 ? s.GetPoint(t, fixed, p) : s.GetPoint(fixed, t, p);
  };
  at(a, p0);
  at(b, p1);
  at(0.5 * (a + b), pm);
  return L3D_DistToPntEx(p0, p1, pm);
}

TEST(GeGetParamSamples, RefinesUntilChordsFollowTheSurface) {
  CGeTrimSurf s(WavySurface(), _tagBox2D{{0, 0}, {1, 1}});
  _tagBox2D box{{0.1, 0.2}, {0.9, 0.7}};
  for (double tol : {0.05, 0.01, 0.002}) {
    auto samples = std::make_unique<double[][2]>(1000);
    int caps[2] = {600, 600}, counts[2] = {0, 0};
    EXPECT_EQ(geGetParamSamples(&s, tol, &box, samples.get(), caps, counts), 1);
    double du = 0, dv = 0;
    s.GetDiscreteStep(tol, du, dv);
    for (int d = 0; d < 2; ++d) {
      const double lo = box.min[d], hi = box.max[d];
      EXPECT_GE(counts[d], std::max(2, int(std::ceil((hi - lo) / (d ? dv : du))) - 1));
      EXPECT_LE(counts[d], 600);
      EXPECT_NEAR(samples[0][d], lo, 1e-15);
      EXPECT_NEAR(samples[counts[d]][d], hi, 1e-12);
      for (int k = 0; k < counts[d]; ++k) {
        ASSERT_LT(samples[k][d], samples[k + 1][d]);
        // Along the three lines every span's middle is within tol of its chord.
        for (double fixed : {box.min[1 - d], 0.5 * (box.min[1 - d] + box.max[1 - d]),
                             box.max[1 - d]})
          EXPECT_LE(MidDeviation(s, d, fixed, samples[k][d], samples[k + 1][d]), tol)
              << "tol " << tol << " dir " << d << " span " << k;
      }
    }
  }
}

TEST(GeGetParamSamples, CapsAndDegenerateBoxes) {
  CGeTrimSurf s(WavySurface(), _tagBox2D{{0, 0}, {1, 1}});
  auto samples = std::make_unique<double[][2]>(1000);
  _tagBox2D box{{0, 0}, {1, 1}};
  int caps[2] = {8, 12}, counts[2] = {0, 0};
  geGetParamSamples(&s, 1e-6, &box, samples.get(), caps, counts);
  EXPECT_EQ(counts[0], 8);
  EXPECT_EQ(counts[1], 12);
  // No surface: equal steps of 0.02, no refinement.
  int wide[2] = {600, 600};
  geGetParamSamples(nullptr, 0.01, &box, samples.get(), wide, counts);
  EXPECT_EQ(counts[0], 50);
  EXPECT_NEAR(samples[1][0], 0.02, 1e-15);
  // An empty or non-numeric range still gives the two minimal intervals.
  _tagBox2D flat{{0.5, 0.5}, {0.5, NAN}};
  geGetParamSamples(&s, 0.01, &flat, samples.get(), wide, counts);
  EXPECT_EQ(counts[0], 2);
  EXPECT_EQ(counts[1], 2);
}

TEST(GeGetSampleInterval, MatchesALinearSearch) {
  double samples[6][2] = {{0, 10}, {0.1, 11}, {0.25, 12}, {0.5, 13}, {0.9, 14}, {1, 15}};
  for (int code : {0, 1301}) {
    const int d = code == 1301 ? 1 : 0;
    for (double x = -0.5; x <= 16; x += 0.05) {
      int want = -1;
      for (int i = 0; i < 6; ++i)
        if (samples[i][d] <= x) want = i;
      EXPECT_EQ(geGetSampleInterval(samples, 6, x, code), want) << x;
    }
    EXPECT_EQ(geGetSampleInterval(samples, 6, samples[3][d], code), 3);
  }
  EXPECT_EQ(geGetSampleInterval(samples, 6, NAN, 0), -1);
}

}  // namespace

namespace {

// A quarter turn of the sphere of radius 10 about the origin between latitudes -60 and 60
// degrees, from revolving a meridian arc about z.
_nurbs_surface* SpherePatch() {
  BCRV* arc = BCRV_New();
  const double c[2] = {0, 0}, origin[3] = {0, 0, 0}, xAxis[3] = {1, 0, 0}, zAxis[3] = {0, 0, 1};
  arc->GenArc(c, 10.0, -std::numbers::pi / 3, std::numbers::pi / 3);
  arc->Rotate(origin, xAxis, std::numbers::pi / 2);
  _nurbs_surface* s = nullptr;
  BSRF_GenRevolve(arc, origin, zAxis, std::numbers::pi / 2, s);
  BCRV_Free(arc);
  return s;
}

double Norm(const CPoint3d& p) { return std::sqrt(double(p.x) * p.x + double(p.y) * p.y + double(p.z) * p.z); }

TEST(GeTessTrimDomain, SpherePatchWithRoundHoleStaysOnTheSphere) {
  _nurbs_surface* srf = SpherePatch();
  ASSERT_NE(srf, nullptr);
  auto s = std::make_unique<CGeTrimSurf>(srf, _tagBox2D{{0, 0}, {1, 1}});
  s->AddLoop(s->GenRectTrimLoop(0, 1, 0, 1));
  auto* hole = new CGeTrimLoop();
  const double centre[2] = {0.45, 0.55};
  hole->AddBound(new CGeTrimBnd(new CGeCircle(centre, 0.2, 1), nullptr, nullptr));
  s->AddLoop(hole);  // turned clockwise
  s->BuildTopo();
  ASSERT_EQ(s->IsTrimed(), 1);

  // At 0.01 a row runs through the hole's top point: the cells above it touch the ring at a
  // node only and must still be filled.
  for (double tol : {0.05, 0.01}) {
    SCOPED_TRACE("tol " + std::to_string(tol));
    // In the parameter plane: the square less the disc, boundary samples on the circle.
    const Domain d{Rect(0, 0, 1, 1), {Circle(centre[0], centre[1], 0.2, 4000)}};
    const Flat f = Tessellate(*s, tol);
    // Parameters stretch at least 5 space units per unit here: chords in space within tol
    // stay within tol / 5 of the circle in the parameter plane.
    const double uvTol = tol / 5;
    for (const UV& p : f.pts) {
      const double r = std::hypot(p.u - centre[0], p.v - centre[1]);
      EXPECT_GE(r, 0.2 - uvTol);  // nothing inside the hole but its chords
    }
    ExpectTilesDomain(f, d, uvTol, 1e-12);

    // In space: every vertex on the sphere, every face within the tolerance of it.
    std::unique_ptr<CGeMesh> mesh(s->DiscreteToNcMesh(tol));
    ASSERT_NE(mesh, nullptr);
    EXPECT_EQ(mesh->vertices.size(), f.pts.size());
    EXPECT_EQ(mesh->faces.size(), f.tris.size());
    for (const CPoint3d& v : mesh->vertices) ASSERT_NEAR(Norm(v), 10.0, 1e-4);
    double worst = 0;
    for (const auto& face : mesh->faces) {
      const CPoint3d& a = mesh->vertices[size_t(face[0])];
      const CPoint3d& b = mesh->vertices[size_t(face[1])];
      const CPoint3d& c = mesh->vertices[size_t(face[2])];
      auto mix = [](const CPoint3d& p, const CPoint3d& q, const CPoint3d& r, double x, double y,
                    double z) {
        return CPoint3d(float(x * p.x + y * q.x + z * r.x), float(x * p.y + y * q.y + z * r.y),
                        float(x * p.z + y * q.z + z * r.z));
      };
      for (const CPoint3d& p : {mix(a, b, c, 1.0 / 3, 1.0 / 3, 1.0 / 3), mix(a, b, c, 0.5, 0.5, 0),
                                mix(a, b, c, 0, 0.5, 0.5), mix(a, b, c, 0.5, 0, 0.5)})
        worst = std::max(worst, 10.0 - Norm(p));
    }
    EXPECT_LE(worst, tol);
    EXPECT_GT(worst, tol / 50);  // the tolerance is used, not wasted on a needlessly fine mesh
  }
}

// The mesh boundary along a curved trim: every boundary edge within the tolerance of the true trim curve in space and the
// curve within the tolerance of those edges, and no triangle's centre inside the hole.
TEST(GeTessTrimDomain, CurvedTrimBoundaryStaysWithinTheTolerance) {
  _nurbs_surface* srf = SpherePatch();
  ASSERT_NE(srf, nullptr);
  auto s = std::make_unique<CGeTrimSurf>(srf, _tagBox2D{{0, 0}, {1, 1}});
  s->AddLoop(s->GenRectTrimLoop(0, 1, 0, 1));
  struct Hole {
    double cu, cv, r;
  };
  const Hole holes[] = {{0.45, 0.55, 0.2}, {0.82, 0.2, 0.09}};
  for (const Hole& h : holes) {
    auto* loop = new CGeTrimLoop();
    const double centre[2] = {h.cu, h.cv};
    loop->AddBound(new CGeTrimBnd(new CGeCircle(centre, h.r, 1), nullptr, nullptr));
    s->AddLoop(loop);
  }
  s->BuildTopo();
  auto space = [&](double u, double v) {
    std::array<double, 3> p{};
    s->GetPoint(u, v, p.data());
    return p;
  };
  auto segDist = [](const std::array<double, 3>& q, const std::array<double, 3>& a, const std::array<double, 3>& b) {
    double ab[3], aq[3], l2 = 0, t = 0;
    for (int k = 0; k < 3; ++k) ab[k] = b[k] - a[k], aq[k] = q[k] - a[k], l2 += ab[k] * ab[k], t += ab[k] * aq[k];
    t = l2 > 0 ? std::clamp(t / l2, 0.0, 1.0) : 0.0;
    return std::hypot(aq[0] - t * ab[0], aq[1] - t * ab[1], aq[2] - t * ab[2]);
  };
  for (double tol : {0.05, 0.01, 0.002}) {
    SCOPED_TRACE("tol " + std::to_string(tol));
    const Flat f = Tessellate(*s, tol);
    for (const Hole& h : holes) {
      auto nearCircle = [&](const UV& p) { return std::fabs(std::hypot(p.u - h.cu, p.v - h.cv) - h.r) < 0.02; };
      // Edges used by one triangle (on the mesh border) with both ends by this circle.
      std::map<std::pair<int, int>, int> uses;
      for (const Tri& t : f.tris)
        for (int e = 0; e < 3; ++e) {
          const int a = t[size_t(e)], b = t[size_t((e + 1) % 3)];
          ++uses[{std::min(a, b), std::max(a, b)}];
        }
      std::vector<std::array<std::array<double, 3>, 2>> edges;
      for (const auto& [e, n] : uses)
        if (n == 1 && nearCircle(f.pts[size_t(e.first)]) && nearCircle(f.pts[size_t(e.second)]))
          edges.push_back({space(f.pts[size_t(e.first)].u, f.pts[size_t(e.first)].v),
                           space(f.pts[size_t(e.second)].u, f.pts[size_t(e.second)].v)});
      ASSERT_GE(edges.size(), 8u);
      // The true curve, densely.
      const int N = 20000;
      std::vector<std::array<double, 3>> curve;
      for (int i = 0; i < N; ++i) {
        const double a = 2 * std::numbers::pi * i / N;
        curve.push_back(space(h.cu + h.r * std::cos(a), h.cv + h.r * std::sin(a)));
      }
      double edgeToCurve = 0, curveToEdge = 0;
      for (const auto& e : edges)
        for (int k = 0; k <= 16; ++k) {
          std::array<double, 3> q;
          for (int c = 0; c < 3; ++c) q[size_t(c)] = e[0][size_t(c)] + (e[1][size_t(c)] - e[0][size_t(c)]) * k / 16.0;
          double best = 1e300;
          for (const auto& p : curve) best = std::min(best, std::hypot(p[0] - q[0], p[1] - q[1], p[2] - q[2]));
          edgeToCurve = std::max(edgeToCurve, best);
        }
      for (size_t i = 0; i < curve.size(); i += 7) {
        double best = 1e300;
        for (const auto& e : edges) best = std::min(best, segDist(curve[i], e[0], e[1]));
        curveToEdge = std::max(curveToEdge, best);
      }
      EXPECT_LE(edgeToCurve, tol);
      EXPECT_LE(curveToEdge, tol);
      for (const Tri& t : f.tris) {
        const UV& a = f.pts[size_t(t[0])];
        const UV& b = f.pts[size_t(t[1])];
        const UV& c = f.pts[size_t(t[2])];
        const double cu = (a.u + b.u + c.u) / 3, cv = (a.v + b.v + c.v) / 3;
        EXPECT_GT(std::hypot(cu - h.cu, cv - h.cv), h.r) << "triangle centre in the hole at " << cu << "," << cv;
      }
    }
  }
}

}  // namespace
