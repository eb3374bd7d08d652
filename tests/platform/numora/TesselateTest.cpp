// Adaptive tessellation: every triangle within the tolerance of the surface, no cracks between
// cells of different size, and far fewer triangles than a uniform grid needs.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <map>
#include <string>
#include <vector>
#include <numbers>

#include "platform/numora/NurbsEditor.h"
#include "tests/platform/numora/BsrfTestUtil.h"

namespace {

double SnapDist(const _nurbs_surface* s, const double q[3]) {
  double foot[3], u = 1e12, v = 1e12, d = 1e300;
  return BSRF_SnapPnt(s, q, 1e-12, foot, u, v, d) ? d : 1e300;
}

// Piece of s over [ua, ub] x [va, vb] of its (unit) domain.
SrfPtr Piece(const _nurbs_surface* s, double ua, double ub, double va, double vb) {
  _nurbs_surface *a = nullptr, *b = nullptr, *c = nullptr, *d = nullptr;
  CNurbsEditor::SplitAt(s, ub, CNurbsEditor::kIsoU, a, b);
  BSRF_Free(b);
  CNurbsEditor::SplitAt(a, ua / ub, CNurbsEditor::kIsoU, c, d);
  BSRF_Free(a);
  BSRF_Free(c);
  CNurbsEditor::SplitAt(d, vb, CNurbsEditor::kIsoV, a, b);
  BSRF_Free(d);
  BSRF_Free(b);
  CNurbsEditor::SplitAt(a, va / vb, CNurbsEditor::kIsoV, c, d);
  BSRF_Free(a);
  BSRF_Free(c);
  return SrfPtr(d);
}

SrfPtr SpherePatch() {
  const double c[3] = {0, 0, 0};
  SrfPtr sphere = MakeSphere(c, 5);
  return Piece(sphere.get(), 0.05, 0.4, 0.2, 0.8);
}

// Bilinear patch with raised and lowered corners: a hyperbolic paraboloid.
SrfPtr Saddle() {
  SrfPtr s(BSRF_Create(2, 2, 2, 2));
  const double z[2][2] = {{1, -1}, {-1, 1}};
  for (int j = 0; j < 2; ++j)
    for (int i = 0; i < 2; ++i) {
      s->net[j][i][0] = 4.0 * i;
      s->net[j][i][1] = 4.0 * j;
      s->net[j][i][2] = z[j][i];
      s->net[j][i][3] = 1;
    }
  return s;
}

// Half cylinder of radius 3 and length 5.
SrfPtr HalfCylinder() {
  _arc arc{};
  arc.frame.xAxis[0] = 1;
  arc.frame.yAxis[1] = 1;
  arc.frame.zAxis[2] = 1;
  arc.radius = 3;
  arc.sweep = std::numbers::pi;
  BCRV* m = nullptr;
  BCRV_GenArc(&arc, m);
  CrvPtr hold(m);
  const double dir[3] = {0, 0, 1};
  _nurbs_surface* s = nullptr;
  BSRF_GenExtrude(m, dir, 5.0, s);
  return SrfPtr(s);
}

SrfPtr Plane() {
  const double o[3] = {1, 2, 3};
  return SrfPtr(CNurbsEditor::MakePlane(o, 3, 2));
}

struct Mesh {
  std::vector<CPoint3d> v;
  std::vector<CVector3d> n;
  std::vector<int> idx;
};

std::array<double, 3> At(const CPoint3d& p) { return {p.x, p.y, p.z}; }

// Dense polylines along the four domain edges.
std::vector<std::array<double, 3>> BoundaryPoints(const _nurbs_surface* s) {
  std::vector<std::array<double, 3>> out;
  const int N = 4000;
  for (int k = 0; k <= N; ++k) {
    const double t = double(k) / N;
    const double uv[4][2] = {{t, 0}, {1, t}, {t, 1}, {0, t}};
    for (auto& q : uv) {
      double p[3];
      BSRF_EvPos(s, q[0], q[1], p);
      out.push_back({p[0], p[1], p[2]});
    }
  }
  return out;
}

struct Case {
  const char* name;
  SrfPtr (*make)();
};

const Case kCases[] = {
    {"sphere patch", SpherePatch}, {"saddle", Saddle}, {"half cylinder", HalfCylinder},
    {"plane", Plane},              {"wavy", [] { return MakeWavySurface(); }},
};

TEST(Tesselate, TrianglesStayWithinTheTolerance) {
  for (const Case& c : kCases) {
    SrfPtr s = c.make();
    ASSERT_TRUE(s) << c.name;
    for (double tol : {0.1, 0.01, 0.001}) {
      SCOPED_TRACE(testing::Message() << c.name << " tol " << tol);
      Mesh m;
      ASSERT_EQ(CNurbsEditor::Tesselate(s.get(), tol, m.v, m.n, m.idx), 1);
      ASSERT_EQ(m.v.size() % 3, 0u);
      ASSERT_EQ(m.n.size(), m.v.size());
      ASSERT_EQ(m.idx.size(), m.v.size());
      const size_t nt = m.v.size() / 3;
      // Centroid and edge midpoints of (a spread of) the triangles; the slack covers the
      // single-precision vertices.
      const size_t stride = std::max<size_t>(1, nt / 500);
      double worst = 0;
      for (size_t t = 0; t < nt; t += stride) {
        const auto a = At(m.v[3 * t]), b = At(m.v[3 * t + 1]), d = At(m.v[3 * t + 2]);
        const double probes[4][3] = {
            {(a[0] + b[0] + d[0]) / 3, (a[1] + b[1] + d[1]) / 3, (a[2] + b[2] + d[2]) / 3},
            {(a[0] + b[0]) / 2, (a[1] + b[1]) / 2, (a[2] + b[2]) / 2},
            {(b[0] + d[0]) / 2, (b[1] + d[1]) / 2, (b[2] + d[2]) / 2},
            {(d[0] + a[0]) / 2, (d[1] + a[1]) / 2, (d[2] + a[2]) / 2}};
        for (auto& q : probes) worst = std::max(worst, SnapDist(s.get(), q));
      }
      EXPECT_LE(worst, tol + 2e-6);
      // Faces turn counter-clockwise in the parameter plane: their normal follows the
      // surface normal; vertex normals are unit.
      for (size_t t = 0; t < nt; ++t) {
        const auto a = At(m.v[3 * t]), b = At(m.v[3 * t + 1]), d = At(m.v[3 * t + 2]);
        const double e1[3] = {b[0] - a[0], b[1] - a[1], b[2] - a[2]};
        const double e2[3] = {d[0] - a[0], d[1] - a[1], d[2] - a[2]};
        const double f[3] = {e1[1] * e2[2] - e1[2] * e2[1], e1[2] * e2[0] - e1[0] * e2[2],
                             e1[0] * e2[1] - e1[1] * e2[0]};
        double dot = 0;
        for (int k = 0; k < 3; ++k) {
          const CVector3d& nk = m.n[3 * t + size_t(k)];
          dot += f[0] * nk.x + f[1] * nk.y + f[2] * nk.z;
        }
        ASSERT_GT(dot, 0) << "triangle " << t;
      }
      for (const CVector3d& nk : m.n)
        ASSERT_NEAR(std::sqrt(double(nk.x) * nk.x + double(nk.y) * nk.y + double(nk.z) * nk.z), 1.0, 1e-6);
    }
  }
}

// Every edge inside the surface is shared by exactly two triangles; an edge used once lies on
// the surface's border (a crack between cells would leave edges used once inside).
TEST(Tesselate, MeshIsWatertight) {
  for (const Case& c : kCases) {
    SrfPtr s = c.make();
    const auto border = BoundaryPoints(s.get());
    for (double tol : {0.05, 0.002}) {
      SCOPED_TRACE(testing::Message() << c.name << " tol " << tol);
      Mesh m;
      ASSERT_EQ(CNurbsEditor::Tesselate(s.get(), tol, m.v, m.n, m.idx), 1);
      std::map<std::array<float, 6>, int> uses;
      for (size_t t = 0; t < m.v.size(); t += 3)
        for (int k = 0; k < 3; ++k) {
          const CPoint3d& p = m.v[t + size_t(k)];
          const CPoint3d& q = m.v[t + size_t((k + 1) % 3)];
          std::array<float, 6> e = {p.x, p.y, p.z, q.x, q.y, q.z};
          if (std::array<float, 3>{q.x, q.y, q.z} < std::array<float, 3>{p.x, p.y, p.z})
            e = {q.x, q.y, q.z, p.x, p.y, p.z};
          ++uses[e];
        }
      int inner = 0, onBorder = 0;
      for (const auto& [e, n] : uses) {
        ASSERT_LE(n, 2);
        if (n == 2) {
          ++inner;
          continue;
        }
        const double mid[3] = {(e[0] + e[3]) / 2.0, (e[1] + e[4]) / 2.0, (e[2] + e[5]) / 2.0};
        double best = 1e300;
        for (const auto& b : border)
          best = std::min(best, std::hypot(mid[0] - b[0], mid[1] - b[1], mid[2] - b[2]));
        EXPECT_LE(best, tol + 0.01) << "an edge used once inside the surface";
        ++onBorder;
      }
      EXPECT_GT(onBorder, 3);
      EXPECT_GT(inner, 0);
    }
  }
}

TEST(Tesselate, FarFewerTrianglesThanAUniformGrid) {
  for (const Case& c : kCases) {
    SrfPtr s = c.make();
    for (double tol : {0.2, 0.05, 0.01}) {
      Mesh m;
      ASSERT_EQ(CNurbsEditor::Tesselate(s.get(), tol, m.v, m.n, m.idx), 1);
      double du, dv;
      ASSERT_EQ(BSRF_GetMaxiStepLin(s.get(), tol, &du, &dv), 1);
      const double grid = 2.0 * std::min(512.0, std::ceil(1 / du)) * std::min(512.0, std::ceil(1 / dv));
      const double made = double(m.v.size() / 3);
      EXPECT_LE(made, grid) << c.name << " tol " << tol;
      // Curvature that varies over the surface is where the grid wastes most.
      if (std::string(c.name) == "wavy") {
        EXPECT_LT(made * 4, grid) << "tol " << tol;
      }
    }
  }
  Mesh m;
  SrfPtr plane = Plane();
  ASSERT_EQ(CNurbsEditor::Tesselate(plane.get(), 0.001, m.v, m.n, m.idx), 1);
  EXPECT_EQ(m.v.size(), 6u);
}

// A tolerance that would take more triangles than the budget, or that single-precision
// vertices cannot hold, fails at once and leaves the outputs alone; it never gives a coarser
// mesh as a success.
TEST(Tesselate, UnreachableToleranceFails) {
  SrfPtr saddle = Saddle();
  Mesh m;
  m.v.resize(3);
  EXPECT_EQ(CNurbsEditor::Tesselate(saddle.get(), 1e-12, m.v, m.n, m.idx), 0);
  EXPECT_EQ(m.v.size(), 3u);
  // 1e-7 on a surface 1000 units from the origin is below float resolution there.
  SrfPtr far(BSRF_Clone(saddle.get()));
  for (int j = 0; j < far->nv; ++j)
    for (int i = 0; i < far->nu; ++i) far->net[j][i][0] += 1000 * far->net[j][i][3];
  EXPECT_EQ(CNurbsEditor::Tesselate(far.get(), 1e-7, m.v, m.n, m.idx), 0);
  EXPECT_EQ(CNurbsEditor::Tesselate(far.get(), 0.01, m.v, m.n, m.idx), 1);
}

// A 20 x 20 bicubic net, gently curved and waving, scaled to `size` units across.
SrfPtr Bicubic20(double size) {
  SrfPtr s(BSRF_Create(4, 4, 20, 20));
  for (int j = 0; j < 20; ++j)
    for (int i = 0; i < 20; ++i) {
      const double x = i / 19.0, y = j / 19.0;
      s->net[j][i][0] = size * x;
      s->net[j][i][1] = size * y;
      s->net[j][i][2] = size * (0.02 * std::sin(2.1 * std::numbers::pi * x) * std::cos(1.3 * std::numbers::pi * y) +
                                0.03 * x * x - 0.02 * x * y);
      s->net[j][i][3] = 1;
    }
  return s;
}

// Largest distance from the mesh to the exact surface, given as dist(q): points spread over
// each of the largest triangles and over a spread of the others (vertices, edge points and
// interior points).
template <class Dist>
double MeshDeviation(const Mesh& m, Dist dist) {
  const size_t nt = m.v.size() / 3;
  std::vector<std::pair<double, size_t>> byArea;
  for (size_t t = 0; t < nt; ++t) {
    const auto a = At(m.v[3 * t]), b = At(m.v[3 * t + 1]), c = At(m.v[3 * t + 2]);
    const double e1[3] = {b[0] - a[0], b[1] - a[1], b[2] - a[2]}, e2[3] = {c[0] - a[0], c[1] - a[1], c[2] - a[2]};
    byArea.emplace_back(std::hypot(e1[1] * e2[2] - e1[2] * e2[1], e1[2] * e2[0] - e1[0] * e2[2],
                                   e1[0] * e2[1] - e1[1] * e2[0]),
                        t);
  }
  std::sort(byArea.rbegin(), byArea.rend());
  std::vector<size_t> pick;
  for (size_t k = 0; k < std::min<size_t>(nt, 600); ++k) pick.push_back(byArea[k].second);
  for (size_t t = 0; t < nt; t += std::max<size_t>(1, nt / 600)) pick.push_back(t);
  double worst = 0;
  const int N = 3;  // barycentric lattice of step 1/3: 10 points a triangle
  for (size_t t : pick) {
    const auto a = At(m.v[3 * t]), b = At(m.v[3 * t + 1]), c = At(m.v[3 * t + 2]);
    for (int i = 0; i <= N; ++i)
      for (int j = 0; i + j <= N; ++j) {
        const double wa = double(N - i - j) / N, wb = double(i) / N, wc = double(j) / N;
        const double q[3] = {wa * a[0] + wb * b[0] + wc * c[0], wa * a[1] + wb * b[1] + wc * c[1],
                             wa * a[2] + wb * b[2] + wc * c[2]};
        worst = std::max(worst, dist(q));
      }
  }
  return worst;
}

// Height of Bicubic20 over (x, y): x depends on u alone and y on v alone, both increasing, so
// each parameter is found by bisection. The vertical distance to a height field bounds the
// distance to it from above.
double HeightGap(const _nurbs_surface* s, double size, const double q[3]) {
  auto solve = [&](int axis) {
    double lo = 0, hi = 1;
    for (int k = 0; k < 48; ++k) {
      const double mid = 0.5 * (lo + hi);
      double p[3];
      BSRF_EvPos(s, axis == 0 ? mid : 0.5, axis == 0 ? 0.5 : mid, p);
      (p[axis] < q[axis] ? lo : hi) = mid;
    }
    return 0.5 * (lo + hi);
  };
  double p[3];
  BSRF_EvPos(s, solve(0), solve(1), p);
  EXPECT_NEAR(p[0], q[0], 1e-9 * size);
  EXPECT_NEAR(p[1], q[1], 1e-9 * size);
  return std::fabs(p[2] - q[2]);
}

// The mesh stays within the tolerance of the exact surface at every scale, down to a
// millionth of the size.
TEST(Tesselate, DeviationMeetsTheToleranceAtEveryScale) {
  for (double size : {1.0, 10.0, 100.0}) {
    SrfPtr s = Bicubic20(size);
    for (double tol : {0.1, 0.01, 0.001, 0.0001}) {
      SCOPED_TRACE(testing::Message() << size << " units, tol " << tol);
      Mesh m;
      ASSERT_EQ(CNurbsEditor::Tesselate(s.get(), tol, m.v, m.n, m.idx), 1);
      ASSERT_GT(m.v.size(), 0u);
      EXPECT_LE(MeshDeviation(m, [&](const double* q) { return HeightGap(s.get(), size, q); }), tol);
    }
  }
}

// A whole sphere closes: across the seam and at both poles every edge is shared by exactly two
// triangles, once in each direction, no triangle is degenerate, and V - E + F = 2.
TEST(Tesselate, SphereMeshIsClosed) {
  const double c[3] = {1, -2, 0.5};
  SrfPtr sphere = MakeSphere(c, 5);
  for (double tol : {0.2, 0.01, 0.002}) {
    SCOPED_TRACE(testing::Message() << "tol " << tol);
    Mesh m;
    ASSERT_EQ(CNurbsEditor::Tesselate(sphere.get(), tol, m.v, m.n, m.idx), 1);
    using P = std::array<float, 3>;
    std::map<P, int> ids;
    auto id = [&](const CPoint3d& p) { return ids.emplace(P{p.x, p.y, p.z}, int(ids.size())).first->second; };
    std::map<std::pair<int, int>, int> directed;
    const size_t nt = m.v.size() / 3;
    for (size_t t = 0; t < nt; ++t) {
      const int k[3] = {id(m.v[3 * t]), id(m.v[3 * t + 1]), id(m.v[3 * t + 2])};
      ASSERT_TRUE(k[0] != k[1] && k[1] != k[2] && k[2] != k[0]) << "degenerate triangle " << t;
      for (int e = 0; e < 3; ++e) ++directed[{k[e], k[(e + 1) % 3]}];
    }
    size_t edges = 0;
    for (const auto& [e, n] : directed) {
      ASSERT_EQ(n, 1) << "edge " << e.first << "-" << e.second << " used twice the same way";
      ASSERT_EQ(directed.count({e.second, e.first}), 1u) << "edge " << e.first << "-" << e.second << " used once";
      ++edges;
    }
    EXPECT_EQ(int64_t(ids.size()) - int64_t(edges / 2) + int64_t(nt), 2);
    EXPECT_LE(MeshDeviation(m, [&](const double* q) { return std::fabs(std::hypot(q[0] - c[0], q[1] - c[1], q[2] - c[2]) - 5); }), tol);
  }
}

TEST(Tesselate, RefusesBadInput) {
  SrfPtr s = Saddle();
  Mesh m;
  m.v.resize(3);
  for (double tol : {0.0, -1.0, std::nan(""), HUGE_VAL}) EXPECT_EQ(CNurbsEditor::Tesselate(s.get(), tol, m.v, m.n, m.idx), 0);
  EXPECT_EQ(CNurbsEditor::Tesselate(nullptr, 0.1, m.v, m.n, m.idx), 0);
  EXPECT_EQ(m.v.size(), 3u);  // untouched on failure
}

}  // namespace
