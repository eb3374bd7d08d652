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
        EXPECT_LT(made * 10, grid) << "tol " << tol;
      }
    }
  }
  Mesh m;
  SrfPtr plane = Plane();
  ASSERT_EQ(CNurbsEditor::Tesselate(plane.get(), 0.001, m.v, m.n, m.idx), 1);
  EXPECT_EQ(m.v.size(), 6u);
}

// A tolerance no cell size can reach gives a bounded mesh, not an endless refinement.
TEST(Tesselate, UnreachableToleranceStaysBounded) {
  SrfPtr s = Saddle();
  Mesh m;
  ASSERT_EQ(CNurbsEditor::Tesselate(s.get(), 1e-12, m.v, m.n, m.idx), 1);
  EXPECT_GT(m.v.size() / 3, 100000u);
  EXPECT_LT(m.v.size() / 3, 1100000u);
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
