#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>
#include <random>
#include <string>
#include <vector>
#include <numbers>

#include "millvane/paths/NcPline.h"
#include "platform/numora/Box.h"
#include "tests/support/millvane/NcTestMeshes.h"
#include "tests/support/EdgeContactSearch.h"

namespace {

struct ToolCase {
  const char* name;
  std::unique_ptr<CTool> tool;
  double R;  // radius
  double r;  // corner radius
};

std::vector<ToolCase> Tools() {
  std::vector<ToolCase> t;
  t.push_back({"flat", std::make_unique<CTCylindrical>(10.0), 5.0, 0.0});
  t.push_back({"ball", std::make_unique<CTBall>(6.0), 3.0, 3.0});
  t.push_back({"bull", std::make_unique<CTBull>(8.0, 1.5), 4.0, 1.5});
  return t;
}

double Query(const CNcMesh& m, CTool* tool, double x, double y) {
  double p[3] = {x, y, -1e6};
  m.Get_CC_Height(tool, p);
  return p[2];
}

void MarkAll(CNcMesh& m) { m.Mark_Box2D(_tagBox2D{{-1e9, -1e9}, {1e9, 1e9}}); }

// Highest tip touching any sampled point of any triangle: never above the true contact height.
double SampledContact(const CGeMesh& mesh, const CTool& tool, double x, double y, int n) {
  double best = -1e12;
  const double reach = tool.MaxRadius();
  for (const CGeMesh::Face& f : mesh.faces) {
    const CPoint3d &A = mesh.vertices[f[0]], &B = mesh.vertices[f[1]], &C = mesh.vertices[f[2]];
    if (std::min({A.x, B.x, C.x}) > x + reach || std::max({A.x, B.x, C.x}) < x - reach ||
        std::min({A.y, B.y, C.y}) > y + reach || std::max({A.y, B.y, C.y}) < y - reach)
      continue;
    for (int i = 0; i <= n; ++i)
      for (int j = 0; i + j <= n; ++j) {
        const double u = double(i) / n, v = double(j) / n, w = 1 - u - v;
        const double px = u * A.x + v * B.x + w * C.x, py = u * A.y + v * B.y + w * C.y;
        const double pz = u * A.z + v * B.z + w * C.z;
        const double d = std::hypot(px - x, py - y);
        if (d <= reach) best = std::max(best, pz - tool.HeightAt(d));
      }
  }
  return best;
}

TEST(NcMesh, ContactOnTiltedPlaneMatchesClosedForm) {
  const double slope = std::tan(20.0 * std::numbers::pi / 180.0);
  auto mesh = nctest::TiltedPlane(slope, 50.0, 4);
  const double pts[][2] = {{0, 0}, {7.3, -11.1}, {25, 25}, {-20, 3}, {12.5, -30}};
  for (ToolCase& tc : Tools()) {
    CNcMesh m;
    m.Init(mesh.get());
    m.SetTool(tc.tool.get());
    MarkAll(m);
    // Tip = plane height under the contact side plus the corner's lift off a tilted plane.
    const double lift = (tc.R - tc.r) * slope + tc.r * (1.0 / std::cos(std::atan(slope)) - 1.0);
    for (auto& p : pts) {
      SCOPED_TRACE(std::string(tc.name) + " at " + std::to_string(p[0]) + "," + std::to_string(p[1]));
      EXPECT_NEAR(Query(m, tc.tool.get(), p[0], p[1]), slope * p[0] + lift, 1e-5);
    }
  }
}

TEST(NcMesh, ContactOnSphereAgreesWithSampledTrianglesAndClosedForm) {
  const double S = 20.0;
  auto mesh = nctest::Hemisphere(S, 24, 64);
  const double pts[][2] = {{0, 0}, {3.1, 1.7}, {-6, 8}, {11, -2.5}, {0.4, -14}};
  for (ToolCase& tc : Tools()) {
    CNcMesh m;
    m.Init(mesh.get());
    m.SetTool(tc.tool.get());
    MarkAll(m);
    for (auto& p : pts) {
      SCOPED_TRACE(std::string(tc.name) + " at " + std::to_string(p[0]) + "," + std::to_string(p[1]));
      const double h = Query(m, tc.tool.get(), p[0], p[1]);
      const double sampled = SampledContact(*mesh, *tc.tool, p[0], p[1], 40);
      EXPECT_GE(h, sampled - 1e-5);  // never cuts into a triangle
      EXPECT_LE(h, sampled + 0.05);  // and does not stand off it
      if (tc.r == tc.R) {
        // Ball on the sphere: centre at distance S + R from the sphere's centre. The mesh is
        // inscribed, so it sits at most its sagitta below.
        const double exact = std::sqrt((S + tc.R) * (S + tc.R) - p[0] * p[0] - p[1] * p[1]) - tc.R;
        EXPECT_LE(h, exact + 1e-4);
        EXPECT_GE(h, exact - 0.05);
      }
    }
  }
}

// Every facet and every edge of the mesh, no candidate lists and no early rejection; edges by
// the reference search along the edge.
double BruteContact(const CNcMesh& m, const CTool& tool, double x, double y, double z) {
  for (size_t f = 0; f < m.facets.size(); ++f) {
    const double* o = m.facets[f].off;
    z = std::max(z, m.FacetHeight(int(f), x - o[0], y - o[1]) + o[2]);
  }
  for (const CNcMesh::Edge& e : m.edges) {
    const double *a = &m.vertices[3 * e.v[0]], *b = &m.vertices[3 * e.v[1]];
    z = std::max({z, tooltest::SearchEdgeContact(tool, a, b, x, y), tool.Zval_VertCC(a, x, y),
                  tool.Zval_VertCC(b, x, y)});
  }
  return z;
}

// The marked query equals the brute force, whether the candidates were narrowed as a sweep row
// narrows them or not, and whatever height the query starts from.
TEST(NcMesh, DropCutterMatchesBruteForce) {
  auto dome = nctest::Hemisphere(12.0, 10, 24);
  std::mt19937 rng(5);
  std::uniform_real_distribution<double> u(-15, 15), lift(-3, 1);
  std::vector<ToolCase> tools = Tools();
  tools.push_back({"cone", std::make_unique<CTConnic>(6.0, 1.0, 0.6), 3.0, 0.0});
  for (ToolCase& tc : tools) {
    CNcMesh m;
    m.Init(dome.get());
    m.SetTool(tc.tool.get());
    int raised = 0;
    for (int i = 0; i < 150; ++i) {
      const double x = u(rng), y = u(rng);
      SCOPED_TRACE(std::string(tc.name) + " at " + std::to_string(x) + "," + std::to_string(y));
      const double want = BruteContact(m, *tc.tool, x, y, -1e6);
      MarkAll(m);
      EXPECT_NEAR(Query(m, tc.tool.get(), x, y), want, 1e-9);
      m.Mark_IsoYLine(y);
      m.Mark_XInter(x - 0.7, x + 1.3);
      EXPECT_NEAR(Query(m, tc.tool.get(), x, y), want, 1e-9);
      // Starting near the answer exercises every rejection against the running height.
      const double z0 = (want > -1e5 ? want : 0.0) + lift(rng);
      double p[3] = {x, y, z0};
      const int rose = m.Get_CC_Height(tc.tool.get(), p);
      EXPECT_NEAR(p[2], std::max(z0, want), 1e-9);
      EXPECT_EQ(rose, want > z0 ? 1 : 0);
      raised += rose;
    }
    EXPECT_GT(raised, 30);
  }
}

TEST(NcMesh, QueriesOutsideReachOrAboveLeaveHeight) {
  auto mesh = nctest::TiltedPlane(0.5, 10.0, 2);
  CTBall ball(2.0);
  CNcMesh m;
  m.Init(mesh.get());
  m.SetTool(&ball);
  MarkAll(m);
  double above[3] = {0, 0, m.box.max[2] + 0.1};
  EXPECT_EQ(m.Get_CC_Height(&ball, above), 0);
  EXPECT_EQ(above[2], m.box.max[2] + 0.1);
  // An iso-Y line outside the mesh selects nothing, so nothing is consulted.
  m.Mark_IsoYLine(50.0);
  EXPECT_EQ(m.ActiveFacetCount() + m.ActiveEdgeCount() + m.RegionFacetCount() + m.RegionEdgeCount(), 0);
  double p[3] = {0, 0, -100};
  EXPECT_EQ(m.Get_CC_Height(&ball, p), 0);
  EXPECT_EQ(p[2], -100);
}

TEST(NcMesh, RefusedMeshOrCutterAnswersNothing) {
  auto good = nctest::TiltedPlane(0.0, 10.0, 2);
  auto bad = nctest::TiltedPlane(0.0, 10.0, 2);
  bad->vertices[4].x = std::numeric_limits<float>::infinity();
  CTBall ball(2.0), nanBall(std::nan(""));
  CNcMesh m;
  auto answers = [&](CTool* t) {
    MarkAll(m);
    double p[3] = {1, 3, -5};
    const int r = m.Get_CC_Height(t, p);
    EXPECT_EQ(r, p[2] > -5 ? 1 : 0);
    return r == 1;
  };
  m.Init(good.get());
  m.SetTool(&ball);
  EXPECT_FALSE(m.IsRefused());
  EXPECT_TRUE(answers(&ball));
  m.SetTool(&nanBall);
  EXPECT_TRUE(m.IsRefused());
  EXPECT_EQ(m.tool, nullptr);
  EXPECT_FALSE(answers(&ball));
  m.SetTool(nullptr);  // no cutter is not a bad cutter: facet heights
  EXPECT_FALSE(m.IsRefused());
  EXPECT_TRUE(answers(nullptr));
  m.Init(bad.get());
  m.SetTool(&ball);
  EXPECT_TRUE(m.IsRefused());
  EXPECT_TRUE(m.vertices.empty() && m.facets.empty() && m.edges.empty());
  EXPECT_FALSE(answers(&ball));
  m.Init(good.get());
  m.SetTool(&ball);
  EXPECT_FALSE(m.IsRefused());
  EXPECT_TRUE(answers(&ball));
  // A face naming a vertex that is not there would drop out of the part the same way.
  auto holed = nctest::TiltedPlane(0.0, 10.0, 2);
  holed->faces.back()[2] = static_cast<int32_t>(holed->vertices.size());
  m.Init(holed.get());
  EXPECT_TRUE(m.IsRefused());
  EXPECT_FALSE(answers(&ball));
}

TEST(NcMesh, TinyToolGivesFacetSurfaceHeights) {
  auto mesh = nctest::TiltedPlane(0.25, 10.0, 2);
  CTBall tiny(0.005);
  CNcMesh m;
  m.Init(mesh.get());
  m.SetTool(&tiny);
  MarkAll(m);
  for (const CNcMesh::Facet& f : m.facets) EXPECT_EQ(std::hypot(f.off[0], f.off[1], f.off[2]), 0.0);
  EXPECT_NEAR(Query(m, &tiny, 3.3, -1.7), 0.25 * 3.3, 1e-6);
  CNcPoint q{0, 3.3, -1.7, -100, -100};
  EXPECT_EQ(m.Get_CC_Height(&tiny, q), 1);
  EXPECT_EQ(q.tag, 1);
  EXPECT_NEAR(q.z, 0.25 * 3.3, 1e-6);
}

TEST(NcMesh, FacetSectionBoundaryCountsAsInside) {
  CGeMesh tri;
  tri.vertices = {CPoint3d(0, 0, 2), CPoint3d(10, 0, 2), CPoint3d(0, 10, 2), CPoint3d(10, 10, 2)};
  tri.faces = {CGeMesh::Face{{0, 1, 2}}, CGeMesh::Face{{1, 3, 2}}};
  CNcMesh m;
  m.Init(&tri);
  m.SetTool(nullptr);
  // The section y = 5 of the first triangle runs from x = 0 to x = 5, ends included.
  EXPECT_EQ(m.FacetHeight(0, 2.5, 5), 2.0);
  EXPECT_EQ(m.FacetHeight(0, 5, 5), 2.0);
  EXPECT_EQ(m.FacetHeight(0, 0, 5), 2.0);
  EXPECT_EQ(m.FacetHeight(0, 6, 5), kToolNoContact);
  // A point on the diagonal the two facets share is raised onto the surface, not left at the
  // probe depth; likewise every point of a line along that edge.
  m.Mark_Box2D(_tagBox2D{{-1, -1}, {11, 11}});
  for (int k = 0; k <= 1000; ++k) {
    const double t = k / 1000.0;
    double z = -50;
    m.ProjectPoint(10 * t, 10 - 10 * t, z);
    ASSERT_EQ(z, 2.0) << t;
  }
}

TEST(NcMesh, NarrowingKeepsTheRegion) {
  auto mesh = nctest::TiltedPlane(0.0, 10.0, 10);
  CTCylindrical flat(1.0);
  CNcMesh m;
  m.Init(mesh.get());
  m.SetTool(&flat);
  m.Mark_Box2D(_tagBox2D{{-10, -10}, {-5, -5}});
  const int region = m.RegionFacetCount();
  ASSERT_GT(region, 0);
  ASSERT_LT(region, int(m.facets.size()));
  // A 3D narrowing elsewhere must not disturb the pass's region.
  m.Mark_Box3D(_tagBox3D{{5, 5, -1}, {10, 10, 1}});
  EXPECT_GT(m.ActiveFacetCount(), 0);
  m.Mark_XInter(-100, 100);
  EXPECT_EQ(m.ActiveFacetCount(), region);
  m.Mark_SubBox2D(_tagBox2D{{-10, -10}, {-9, -9}});
  EXPECT_GT(m.ActiveFacetCount(), 0);
  EXPECT_LT(m.ActiveFacetCount(), region);
  EXPECT_EQ(m.RegionFacetCount(), region);
  m.Mark_YInter(50, 60);
  EXPECT_EQ(m.ActiveFacetCount(), 0);
}

}  // namespace
