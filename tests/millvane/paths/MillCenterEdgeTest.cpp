// Tool-centre models of solids with sharp edges (boxes, a cylinder, a wedge): the z-sections'
// outer outline against the closed-form offset outline and against the brute-force drop-cutter,
// and the vertex split along sharp folds that makes it so.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <memory>
#include <vector>

#include "millvane/paths/MillCenter.h"
#include "millvane/paths/SharpEdges.h"
#include "millvane/paths/ProtectNet.h"
#include "platform/panlet/Progress.h"
#include "support/MeshOracle.h"

namespace {

using MeshList = CTypedPtrList<CObList, CGeMesh*>;
using Meshes = std::vector<std::unique_ptr<CGeMesh>>;

Meshes One(std::unique_ptr<CGeMesh> m) {
  Meshes v;
  v.push_back(std::move(m));
  return v;
}

// Distance in XY from a rectangle [-a, a] x [-b, b] (zero inside).
double OutsideRect(double a, double b, double x, double y) {
  return std::hypot(std::max(std::fabs(x) - a, 0.0), std::max(std::fabs(y) - b, 0.0));
}

// Horizontal reach of a cutter whose tip stands at level L beside an edge at height top: the
// flat cutter's radius; the ball's circle of contact at the edge's height.
double Reach(bool ball, double r, double L, double top) {
  if (!ball) return r;
  const double dz = std::max(L + r - top, 0.0);
  return dz >= r ? 0.0 : std::sqrt(r * r - dz * dz);
}

// Farthest crossing of the ray from the origin at angle t with the section's segments; -1 when
// none crosses it.
double OuterCrossing(const CIntLineSet& set, double t) {
  const double dx = std::cos(t), dy = std::sin(t);
  double best = -1;
  for (const IntLineSeg* s = set.head; s; s = s->next) {
    const double ex = s->e[0] - s->s[0], ey = s->e[1] - s->s[1];
    const double den = dx * ey - dy * ex;
    if (std::fabs(den) < 1e-12) continue;
    const double u = (s->s[0] * ey - s->s[1] * ex) / den;           // along the ray
    const double v = (s->s[0] * dy - s->s[1] * dx) / den;           // along the segment
    if (u > 0 && v >= -1e-9 && v <= 1 + 1e-9) best = std::max(best, u);
  }
  return best;
}

// Farthest distance along the ray at which the cutter's tip at level L still touches the solid,
// by bisection on the brute-force drop height (the solids are star-shaped about the origin).
double TrueCrossing(const std::vector<const CGeMesh*>& meshes, CTool* tool, double L, double t) {
  double lo = 0, hi = 30;
  for (int k = 0; k < 50; ++k) {
    const double mid = 0.5 * (lo + hi);
    (oracle::DropHeight(meshes, tool, mid * std::cos(t), mid * std::sin(t)) >= L - 1e-9 ? lo : hi) = mid;
  }
  return lo;
}

class MillCenterEdgeTest : public ::testing::Test {
 protected:
  void SetUp() override { gResetProgress(); }
  void TearDown() override { gResetProgress(); }
};

// A mesh's positions, vertex normals and triangles as the split takes them.
centre::SplitMesh MeshArrays(CGeMesh& m) {
  m.Need_VertexNormals();
  centre::SplitMesh a;
  for (size_t i = 0; i < m.vertices.size(); ++i) {
    a.pos.push_back({m.vertices[i].x, m.vertices[i].y, m.vertices[i].z});
    a.nrm.push_back({m.normals[i].x, m.normals[i].y, m.normals[i].z});
  }
  for (const auto& f : m.faces) a.tris.push_back({f.v[0], f.v[1], f.v[2]});
  return a;
}

}  // namespace

// Each face of a box keeps its own normal at the corners; a smooth sphere comes back as given.
TEST(SharpEdges, BoxCornersSplitPerFaceAndSmoothMeshesStayAsGiven) {
  auto box = oracle::Box(4, 3, 5);
  const auto [pos, nrm, tris] = MeshArrays(*box);
  const centre::SplitMesh s = centre::SplitSharpEdges(pos, nrm, tris);
  ASSERT_EQ(s.pos.size(), 24u);  // three faces meet at each of the 8 corners
  for (size_t f = 0; f < s.tris.size(); ++f) {
    const auto& t = s.tris[f];
    const centre::Pt3 &a = s.pos[t[0]], &b = s.pos[t[1]], &c = s.pos[t[2]];
    double n[3] = {(b[1] - a[1]) * (c[2] - a[2]) - (b[2] - a[2]) * (c[1] - a[1]),
                   (b[2] - a[2]) * (c[0] - a[0]) - (b[0] - a[0]) * (c[2] - a[2]),
                   (b[0] - a[0]) * (c[1] - a[1]) - (b[1] - a[1]) * (c[0] - a[0])};
    const double l = std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]);
    for (int v : t) {
      // Every corner of a face carries that face's own normal, at an unchanged position.
      for (int k = 0; k < 3; ++k) EXPECT_NEAR(s.nrm[v][k], n[k] / l, 1e-12) << f;
      if (v < 8) {
        EXPECT_EQ(s.pos[v], pos[v]);
      }
    }
  }
  for (size_t v = 8; v < s.pos.size(); ++v) {
    const bool known = std::find(pos.begin(), pos.end(), s.pos[v]) != pos.end();
    EXPECT_TRUE(known) << v;
  }

  for (auto make : {+[] { return oracle::Sphere(5, 48, 24); }, +[] { return oracle::WavyGrid(20, 30); },
                    +[] { return oracle::Hemisphere(8, 64, 16); }}) {
    auto m = make();
    const auto [p, n, t] = MeshArrays(*m);
    const centre::SplitMesh r = centre::SplitSharpEdges(p, n, t);
    EXPECT_EQ(r.pos, p);
    EXPECT_EQ(r.nrm, n);
    EXPECT_EQ(r.tris, t);
  }
}

// A shallow groove folds by less than a sharp edge, but its faces lean further from their shared
// normal than a fan may: the groove splits, and every corner's normal stays within the lean of
// its face's, so that the offset nowhere falls short of a face by more than that lean leaves.
// Given normals that all lean to one side of the groove (as normals weighted by a few faces of
// a fan may) give way where a face of the fan leans from them by more than that.
TEST(SharpEdges, FansLeanNoFurtherThanTheirBound) {
  for (const bool skewed : {false, true}) {
    for (double theta : {0.1, 0.2, 0.25}) {
      SCOPED_TRACE(testing::Message() << theta << (skewed ? " skewed" : ""));
      auto m = oracle::VGroove(4, 4, theta, 4);
      auto [p, n, t] = MeshArrays(*m);
      if (skewed) {
        const centre::Pt3 &a = p[t[0][0]], &b = p[t[0][1]], &c = p[t[0][2]];
        const double fn[3] = {(b[1] - a[1]) * (c[2] - a[2]) - (b[2] - a[2]) * (c[1] - a[1]),
                              (b[2] - a[2]) * (c[0] - a[0]) - (b[0] - a[0]) * (c[2] - a[2]),
                              (b[0] - a[0]) * (c[1] - a[1]) - (b[1] - a[1]) * (c[0] - a[0])};
        const double l = std::sqrt(fn[0] * fn[0] + fn[1] * fn[1] + fn[2] * fn[2]);
        for (auto& q : n) q = {fn[0] / l, fn[1] / l, fn[2] / l};
      }
      const centre::SplitMesh r = centre::SplitSharpEdges(p, n, t);
      // The groove's fold (2 theta) is below a sharp edge's either way; a fan across it leans by theta.
      EXPECT_EQ(r.pos.size() > p.size(), theta > centre::kFanLeanAngle);
      for (const auto& f : r.tris) {
        const centre::Pt3 &a = r.pos[f[0]], &b = r.pos[f[1]], &c = r.pos[f[2]];
        double fn[3] = {(b[1] - a[1]) * (c[2] - a[2]) - (b[2] - a[2]) * (c[1] - a[1]),
                        (b[2] - a[2]) * (c[0] - a[0]) - (b[0] - a[0]) * (c[2] - a[2]),
                        (b[0] - a[0]) * (c[1] - a[1]) - (b[1] - a[1]) * (c[0] - a[0])};
        const double l = std::sqrt(fn[0] * fn[0] + fn[1] * fn[1] + fn[2] * fn[2]);
        for (int v : f) {
          const double cosA = (r.nrm[v][0] * fn[0] + r.nrm[v][1] * fn[1] + r.nrm[v][2] * fn[2]) / l;
          EXPECT_GE(cosA, std::cos(skewed || theta > centre::kFanLeanAngle ? centre::kFanLeanAngle : theta) - 1e-9);
        }
      }
    }
  }
}

// An edge tube keeps the ball's reach from its chain where the chain turns: wherever the tube
// lies over a point within 0.95 r of the chain in plan, the ball on the tube stands no nearer
// to the chain than the 15-degree sampling round the tube and the 5-degree steps of a turn
// leave (r cos 7.5 cos 2.5 degrees, to 0.002 r), and hardly farther than r. Chains turning up and
// down as an open border of a rough terrain does, turning in plan while climbing, and a ring
// closed smoothly (no corner point covers its seam).
TEST(EdgeTubes, TurningChainsKeepTheCuttersReach) {
  const double r = 1;
  CTBall ball(2 * r);
  using P = centre::Pt3;
  std::vector<P> ring;
  for (int k = 0; k <= 12; ++k) ring.push_back({5 * std::cos(k * oracle::kPi / 6), 5 * std::sin(k * oracle::kPi / 6), 1});
  ring.back() = ring.front();
  const std::vector<std::pair<const char*, std::vector<P>>> cases = {
      {"up and down", {{0, 0, 0}, {1, 0, 0.3}, {2, 0, -0.1}, {3, 0, 0.35}, {4, 0, 0.35}, {5, 0, -0.2}}},
      {"in plan, climbing", {{0, 0, 0}, {2, 0, 0.4}, {3.8, 0.9, 0.8}, {5, 2.4, 1.2}, {5.4, 4.4, 1.8}}},
      {"ring", ring},
  };
  auto segDist = [](const double* q, const P& a, const P& b, int dims) {
    double d[3] = {b[0] - a[0], b[1] - a[1], b[2] - a[2]}, w[3] = {q[0] - a[0], q[1] - a[1], q[2] - a[2]};
    if (dims == 2) d[2] = w[2] = 0;
    const double t = std::clamp((w[0] * d[0] + w[1] * d[1] + w[2] * d[2]) / (d[0] * d[0] + d[1] * d[1] + d[2] * d[2]), 0.0, 1.0);
    return std::hypot(w[0] - t * d[0], w[1] - t * d[1], w[2] - t * d[2]);
  };
  const double c = std::cos(oracle::kPi / 24) * std::cos(oracle::kPi / 72);
  for (const auto& [name, chain] : cases) {
    SCOPED_TRACE(name);
    CMillCenter m;
    m.tool = &ball;
    m.edgeSet.chains = {chain};
    m.GenBoundSurf();
    ASSERT_EQ(m.strips.size(), 1u);
    _tagBox2D pane{{-20, -20}, {20, 20}};
    m.DefineMarkedPane(pane, 0);
    double lo = 1e300, hi = 0;
    size_t n = 0;
    for (double x = -1; x <= 7; x += 0.05)
      for (double y = -6; y <= 6; y += 0.05) {
        double q[3] = {x, y, 0};
        double plan = 1e300;
        for (size_t k = 0; k + 1 < chain.size(); ++k) plan = std::min(plan, segDist(q, chain[k], chain[k + 1], 2));
        // Beyond the chain's ends lies the corner points' reach, not the tube's.
        const bool open = chain.front() != chain.back();
        if (plan > 0.95 * r || (open && (std::hypot(x - chain[0][0], y - chain[0][1]) < r ||
                                         std::hypot(x - chain.back()[0], y - chain.back()[1]) < r)))
          continue;
        double p[3] = {x, y, -1e9};
        m.ProjPntOnMdl(p);
        p[2] += r;  // the ball's centre over its tip
        double d = 1e300;
        for (size_t k = 0; k + 1 < chain.size(); ++k) d = std::min(d, segDist(p, chain[k], chain[k + 1], 3));
        lo = std::min(lo, d);
        hi = std::max(hi, d);
        ++n;
      }
    EXPECT_GT(n, 1000u);
    // The sections' frames turn about the vertical rather than about a turn's own axis, which
    // twists the quads of a turn in plan a little: 0.002 r more.
    EXPECT_GE(lo, r * c - 2e-3 * r);
    // The projection lifts a point within 0.01 beside a face's cut to the cut's height.
    EXPECT_LE(hi, r + 0.01);
  }
}

// The outer outline of each z-section is the true waterline: along rays from the centre, the
// farthest section crossing lies where the brute-force drop-cutter stops touching at that level
// and, where one is known, on the closed-form offset outline.
TEST_F(MillCenterEdgeTest, SectionsOfSharpSolidsAreTheOffsetOutline) {
  const double r = 1;
  CTCylindrical flat(2 * r);
  CTBall ball(2 * r);
  struct Case {
    const char* name;
    std::function<Meshes()> make;
    CTool* tool;
    std::vector<double> levels;
    // Closed-form distance from the origin to the outline along angle t at level L; null when
    // only the brute force is compared.
    std::function<double(double L, double t)> closed;
  };
  // Distance along the ray at angle t to the outline {OutsideRect(a, b) = reach}.
  auto rectRay = [](double a, double b, double reach, double t) {
    double lo = 0, hi = 30;
    for (int k = 0; k < 60; ++k) {
      const double mid = 0.5 * (lo + hi);
      (OutsideRect(a, b, mid * std::cos(t), mid * std::sin(t)) <= reach ? lo : hi) = mid;
    }
    return lo;
  };
  const double a = 4, b = 3, h = 5;  // box
  const double S = 5;                 // cylinder radius, 64 sides
  const double w = 4, l = 3, hw = 4;  // wedge
  const std::vector<Case> cases = {
      {"box, flat", [&] { return One(oracle::Box(a, b, h)); }, &flat, {0.5, 2.5, 4.5},
       [&](double, double t) { return rectRay(a, b, r, t); }},
      {"box, ball", [&] { return One(oracle::Box(a, b, h)); }, &ball, {0.5, 2.5, 4.5},
       [&](double L, double t) { return rectRay(a, b, Reach(true, r, L, h), t); }},
      {"box faces, flat", [&] { return oracle::BoxFaces(a, b, h); }, &flat, {0.5, 2.5, 4.5},
       [&](double, double t) { return rectRay(a, b, r, t); }},
      {"box faces, ball", [&] { return oracle::BoxFaces(a, b, h); }, &ball, {0.5, 2.5, 4.5},
       [&](double L, double t) { return rectRay(a, b, Reach(true, r, L, h), t); }},
      {"box soup, flat", [&] { return One(oracle::Soup(*oracle::Box(a, b, h))); }, &flat, {0.5, 2.5, 4.5},
       [&](double, double t) { return rectRay(a, b, r, t); }},
      {"cylinder, flat", [&] { return One(oracle::Cylinder(S, h, 64)); }, &flat, {1.0, 2.5, 4.5},
       [&](double, double) { return S + r; }},
      {"cylinder, ball", [&] { return One(oracle::Cylinder(S, h, 64)); }, &ball, {1.0, 2.5, 4.5},
       [&](double L, double) { return S + Reach(true, r, L, h); }},
      // Above level L the wedge is the rectangle [-w (1 - L / h), w (1 - L / h)] x [-l, l].
      {"wedge, flat", [&] { return One(oracle::Wedge(w, l, hw)); }, &flat, {0.5, 2.0, 3.5},
       [&](double L, double t) { return rectRay(w * (1 - L / hw), l, r, t); }},
      {"wedge, ball", [&] { return One(oracle::Wedge(w, l, hw)); }, &ball, {0.5, 2.0, 3.5}, nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Meshes meshes = c.make();
    MeshList list;
    std::vector<const CGeMesh*> raw;
    for (auto& m : meshes) {
      list.AddTail(m.get());
      raw.push_back(m.get());
    }
    std::unique_ptr<CMillCenter> model(CreateMillCentre(&list, c.tool, 0, 0, 0.1));
    ASSERT_NE(model, nullptr);
    CProtectNet net;
    ASSERT_EQ(net.Create(0.5, r, model->box), 1);
    model->SetIntMinZ();
    for (double L : c.levels) {
      CIntLineSet set(L);
      model->GenSameZLineSet(net, set);
      for (int k = 0; k < 36; ++k) {
        const double t = (k + 0.3) * 2 * oracle::kPi / 36;
        const double got = OuterCrossing(set, t);
        // Chords of the corner circles stay within 0.01; the tubes' 15-degree steps seen from
        // above widen to about 21 degrees on the wedge's 45-degree edges, within 0.02.
        EXPECT_NEAR(got, TrueCrossing(raw, c.tool, L, t), 0.025) << "level " << L << " angle " << t;
        if (c.closed) {
          EXPECT_NEAR(got, c.closed(L, t), 0.025) << "level " << L << " angle " << t;
        }
      }
    }
  }
}

// A box of loose triangles gives the model of the box whose triangles share their corners: no
// tube along the diagonals of its faces, no section across its inside.
TEST_F(MillCenterEdgeTest, LooseTrianglesGiveTheModelOfTheSharedMesh) {
  CTCylindrical flat(2.0);
  CTBall ball(2.0);
  for (CTool* tool : {static_cast<CTool*>(&flat), static_cast<CTool*>(&ball)}) {
    auto shared = oracle::Box(4, 3, 5);
    auto soup = oracle::Soup(*shared);
    MeshList l1, l2;
    l1.AddTail(shared.get());
    l2.AddTail(soup.get());
    std::unique_ptr<CMillCenter> m1(CreateMillCentre(&l1, tool, 0, 0, 0.1)), m2(CreateMillCentre(&l2, tool, 0, 0, 0.1));
    ASSERT_TRUE(m1 && m2);
    EXPECT_EQ(m2->strips.size(), m1->strips.size());
    EXPECT_EQ(m2->sharp.count(), m1->sharp.count());
    for (int k = 0; k < 6; ++k) EXPECT_NEAR(m2->box[k], m1->box[k], 1e-9);
    CProtectNet net;
    ASSERT_EQ(net.Create(0.5, 1, m1->box), 1);
    for (double L : {1.0, 4.5}) {
      CIntLineSet s1(L), s2(L);
      m1->SetIntMinZ();
      m2->SetIntMinZ();
      m1->GenSameZLineSet(net, s1);
      m2->GenSameZLineSet(net, s2);
      auto points = [](const CIntLineSet& s) {
        std::vector<std::array<double, 4>> v;
        for (const IntLineSeg* g = s.head; g; g = g->next) {
          std::array<double, 4> e{g->s[0], g->s[1], g->e[0], g->e[1]};
          if (std::make_pair(e[2], e[3]) < std::make_pair(e[0], e[1])) e = {e[2], e[3], e[0], e[1]};
          for (double& x : e) x = std::round(x * 1e6) / 1e6;
          v.push_back(e);
        }
        std::sort(v.begin(), v.end());
        return v;
      };
      EXPECT_EQ(points(s2), points(s1)) << L;
    }
  }
}
