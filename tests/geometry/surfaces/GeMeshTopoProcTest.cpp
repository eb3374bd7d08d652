// Mesh vertex processing (umbrella steps, smoothing, inflating, noise), plane sections against
// closed forms on a cube and a sphere, and the vertical projection test.
#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <vector>
#include <numbers>

#include "geometry/shapes3d/GeLine3d.h"
#include "MeshTopoTestUtil.h"

using namespace meshtopotest;

namespace {

using MeshProc = VurodeTest;

double Radius(const CPoint3d& p) { return std::sqrt(double(p.x) * p.x + double(p.y) * p.y + double(p.z) * p.z); }

double MeanRadius(const CGeMesh& m) {
  double s = 0;
  for (const CPoint3d& p : m.vertices) s += Radius(p);
  return s / m.vertices.size();
}

// Sum of segment lengths, checking that every end satisfies onSection.
template <class F>
double SectionLength(CGeCurve3dList& list, F&& onSection) {
  double len = 0;
  for (POSITION pos = list.GetHeadPosition(); pos;) {
    CGeCurve3d* c = list.GetNext(pos);
    double a[3], b[3];
    c->GetStartPoint(a);
    c->GetEndPoint(b);
    onSection(a);
    onSection(b);
    len += std::sqrt((a[0] - b[0]) * (a[0] - b[0]) + (a[1] - b[1]) * (a[1] - b[1]) + (a[2] - b[2]) * (a[2] - b[2]));
  }
  return len;
}

TEST_F(MeshProc, UmbrellaMovesTowardsTheNeighbourAverage) {
  CGeMesh m;
  FillNonManifold(m);
  const std::vector<CPoint3d> before = m.vertices;
  std::vector<std::set<int>> nb(m.vertices.size());
  for (const auto& f : m.faces)
    for (int j = 0; j < 3; ++j) {
      nb[f[j]].insert(f[(j + 1) % 3]);
      nb[f[j]].insert(f[(j + 2) % 3]);
    }
  m.Umbrella(0.5f);  // builds the neighbour lists itself
  for (size_t i = 0; i < before.size(); ++i) {
    double avg[3] = {before[i].x, before[i].y, before[i].z};
    if (!nb[i].empty()) {
      avg[0] = avg[1] = avg[2] = 0;
      for (int n : nb[i]) {
        avg[0] += before[n].x / nb[i].size();
        avg[1] += before[n].y / nb[i].size();
        avg[2] += before[n].z / nb[i].size();
      }
    }
    EXPECT_NEAR(m.vertices[i].x, before[i].x + 0.5 * (avg[0] - before[i].x), 1e-6) << i;
    EXPECT_NEAR(m.vertices[i].y, before[i].y + 0.5 * (avg[1] - before[i].y), 1e-6) << i;
    EXPECT_NEAR(m.vertices[i].z, before[i].z + 0.5 * (avg[2] - before[i].z), 1e-6) << i;
  }
  EXPECT_EQ(m.vertices[9].x, 9.0f);  // no neighbours: not moved
}

TEST_F(MeshProc, SmoothingKeepsPlanesShapeAndNormals) {
  // A wavy grid tilted into the plane x + y + 2z = 3 stays in it.
  CGeMesh plane;
  surftest::FillGrid(plane, 6, [](float x, float y) { return 0.5f * (3 - x - y); });
  for (size_t i = 0; i < plane.vertices.size(); i += 3) plane.vertices[i].x += 0.2f, plane.vertices[i].z -= 0.1f;
  plane.normals.assign(plane.vertices.size(), CVector3d(0, 0, 1));
  plane.Lmsmooth(5);
  for (const CPoint3d& p : plane.vertices) EXPECT_NEAR(p.x + p.y + 2 * p.z, 3.0, 1e-4);
  for (const CVector3d& n : plane.normals) EXPECT_EQ(n.z, 1.0f);  // not recomputed
  EXPECT_GT(plane.m_UIsoCurveList.GetCount(), 0);
  EXPECT_GT(plane.m_VIsoCurveList.GetCount(), 0);

  // Translating first gives the translated result.
  CGeMesh a, b;
  FillSphere(a, 2.0f, 10, 14);
  FillSphere(b, 2.0f, 10, 14);
  for (CPoint3d& p : b.vertices) p.x += 3, p.y -= 1, p.z += 0.5f;
  a.Lmsmooth(4);
  b.Lmsmooth(4);
  for (size_t i = 0; i < a.vertices.size(); ++i) {
    EXPECT_NEAR(b.vertices[i].x - 3, a.vertices[i].x, 1e-4);
    EXPECT_NEAR(b.vertices[i].y + 1, a.vertices[i].y, 1e-4);
    EXPECT_NEAR(b.vertices[i].z - 0.5, a.vertices[i].z, 1e-4);
  }

  // The paired steps shrink a sphere far less than plain Laplacian steps.
  CGeMesh laplace;
  FillSphere(laplace, 2.0f, 10, 14);
  for (int i = 0; i < 4; ++i) laplace.Umbrella(0.33f);
  EXPECT_LT(2.0 - MeanRadius(a), 0.2 * (2.0 - MeanRadius(laplace)));
}

TEST_F(MeshProc, InflateGrowsASphereAlongFreshNormals) {
  CGeMesh m;
  FillSphere(m, 2.0f, 16, 24);
  m.normals.assign(m.vertices.size(), CVector3d(1, 0, 0));  // stale: Inflate recomputes them
  m.Inflate(0.5f);
  for (const CPoint3d& p : m.vertices) EXPECT_NEAR(Radius(p), 2.5, 1e-4);
  _tagBox3D box;
  m.GetBox(&box);
  EXPECT_NEAR(box.max[2], 2.5, 1e-5);
}

TEST_F(MeshProc, NoiseIsReproducibleAndBounded) {
  CGeMesh::SeedNoise(0);
  EXPECT_FLOAT_EQ(CGeMesh::NoiseRandom(), static_cast<float>(1013904223.0 / 4294967296.0));
  EXPECT_NEAR(static_cast<float>(1013904223.0 / 4294967296.0), 0.2360680, 1e-7);

  CGeMesh a, b, c;
  for (CGeMesh* m : {&a, &b, &c}) FillSphere(*m, 2.0f, 8, 12);
  const std::vector<CPoint3d> before = a.vertices;
  CGeMesh::SeedNoise(42);
  a.Noisify(0.1f);
  CGeMesh::SeedNoise(42);
  b.Noisify(0.1f);
  CGeMesh::SeedNoise(43);
  c.Noisify(0.1f);
  bool differs = false;
  for (size_t i = 0; i < before.size(); ++i) {
    EXPECT_EQ(a.vertices[i].x, b.vertices[i].x);
    EXPECT_EQ(a.vertices[i].y, b.vertices[i].y);
    EXPECT_EQ(a.vertices[i].z, b.vertices[i].z);
    differs |= a.vertices[i].x != c.vertices[i].x;
    const double d = std::hypot(a.vertices[i].x - before[i].x, a.vertices[i].y - before[i].y,
                                a.vertices[i].z - before[i].z);
    EXPECT_LE(d, 0.2 + 1e-6);  // at most the amount along the edges plus the amount along the normal
    // Normals are those from before the displacement: radial to the old vertex.
    EXPECT_NEAR(a.normals[i].z * 2.0, before[i].z, 1e-4);
  }
  EXPECT_TRUE(differs);
  EXPECT_EQ(a.m_UIsoCurveList.GetCount() > 0, true);
}

TEST_F(MeshProc, NoiseOfZeroAmountOverCoincidentVerticesIsNoMove) {
  CGeMesh m;
  m.vertices = {{1, 1, 1}, {1, 1, 1}, {2, 1, 1}};
  m.faces = {{{0, 1, 2}}};
  m.Noisify(0.0f);
  for (const CPoint3d& p : m.vertices) EXPECT_FALSE(std::isnan(p.x) || std::isnan(p.y) || std::isnan(p.z));
  EXPECT_EQ(m.vertices[0].x, 1.0f);
  EXPECT_EQ(m.vertices[2].x, 2.0f);
}

TEST_F(MeshProc, SectionsOfACubeAreItsSquareOutline) {
  CGeMesh m;
  FillCube(m, 1.0f);
  for (float c : {-0.5f, 0.3f, 0.9f})
    for (int axis : {0, 1}) {
      CGeCurve3dList list;
      axis == 0 ? m.XIsoCurve(c, &list) : m.YIsoCurve(c, &list);
      EXPECT_EQ(list.GetCount(), 8);
      const double len = SectionLength(list, [&](const double* p) {
        EXPECT_NEAR(p[axis], c, 1e-6);
        const int u = 1 - axis;  // the other two coordinates lie on the unit square's outline
        EXPECT_NEAR(std::max(std::fabs(p[u]), std::fabs(p[2])), 1.0, 1e-6);
      });
      EXPECT_NEAR(len, 8.0, 1e-5) << "axis " << axis << " at " << c;
      geDelCurve3dList(&list);
    }
}

TEST_F(MeshProc, SectionsOfASphereAreCircles) {
  CGeMesh m;
  const double r = 2.0;
  FillSphere(m, 2.0f, 48, 64);
  constexpr double pi = std::numbers::pi;
  for (float c : {0.05f, 0.7f, -1.5f}) {  // planes through no vertex
    CGeCurve3dList list;
    m.XIsoCurve(c, &list);
    const double len = SectionLength(list, [&](const double* p) {
      EXPECT_NEAR(p[0], c, 1e-6);
      EXPECT_LE(std::hypot(p[0], p[1], p[2]), r + 1e-5);
      EXPECT_GE(std::hypot(p[0], p[1], p[2]), r * std::cos(pi / 48));
    });
    EXPECT_NEAR(len, 2 * pi * std::sqrt(r * r - c * c), 0.01 * 2 * pi * r) << c;
    geDelCurve3dList(&list);
  }
}

TEST_F(MeshProc, VerticesOnThePlaneAreNoCrossings) {
  CGeMesh m;
  m.vertices = {{0, 0, 0}, {2, 0, 0}, {1, 1, 0}};
  m.faces = {{{0, 1, 2}}};
  CGeCurve3dList list;
  m.XIsoCurve(1.0f, &list);  // touches the apex: one crossing only
  m.XIsoCurve(2.0f, &list);
  EXPECT_EQ(list.GetCount(), 0);
  m.XIsoCurve(0.5f, &list);
  ASSERT_EQ(list.GetCount(), 1);
  double a[3], b[3];
  list.GetHead()->GetStartPoint(a);
  list.GetHead()->GetEndPoint(b);
  EXPECT_NEAR(a[1] + b[1], 0.5, 1e-9);  // from (0.5, 0) to (0.5, 0.5), one way or the other
  EXPECT_NEAR(std::fabs(a[1] - b[1]), 0.5, 1e-9);
  geDelCurve3dList(&list);
  CGeMesh empty;
  empty.XIsoCurve(0.5f, &list);
  EXPECT_EQ(list.GetCount(), 0);
}

TEST_F(MeshProc, ComputerIsoCurveReplacesTheCurves) {
  CGeMesh m;
  FillCube(m, 1.0f);
  const double a[3] = {0, 0, 0}, b[3] = {5, 5, 5};
  m.m_UIsoCurveList.AddTail(new CGeLine3d(a, b));
  m.ComputerIsoCurve(5, 5);
  EXPECT_EQ(m.m_UIsoCurveList.GetCount(), 4 * 8);
  EXPECT_EQ(m.m_VIsoCurveList.GetCount(), 4 * 8);
}

TEST_F(MeshProc, ProjectZFindsFacesAbove) {
  CGeMesh m;
  m.vertices = {{0, 0, 1}, {1, 0, 1}, {1, 1, 1}, {0, 1, 1}};
  m.faces = {{{0, 1, 2}}, {{0, 2, 3}}};
  struct Case {
    tagPoint3d p;
    bool above;
  };
  const Case cases[] = {{{0.5f, 0.5f, 0.0f}, true},  {{0.2f, 0.7f, -50.0f}, true},
                        {{0.5f, 0.5f, 2.0f}, false}, {{1.5f, 0.5f, 0.0f}, false}};
  for (const Case& c : cases) EXPECT_EQ(m.ProjectZ(c.p, tagPoint3d{}), c.above) << c.p.x << "," << c.p.z;
}

}  // namespace
