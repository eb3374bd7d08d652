// The grid-region tessellator: grid nodes inside a planar region keep the grid's heights,
// boundary nodes take interpolated ones, and the triangles tile the region.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <numbers>
#include <set>
#include <string>

#include "tests/geometry/TessTestUtil.h"
#include "geometry/grid/GeGrid.h"
#include "geometry/shapes2d/GeCircle.h"
#include "geometry/shapes2d/GeLoop.h"
#include "geometry/shapes3d/GePolyline3d.h"
#include "geometry/surfaces/GeMesh.h"
#include "geometry/grid/GeTessRegion.h"
#include "support/VurodeFixture.h"

using tesstest::Domain;
using tesstest::Flat;
using trimtest::UV;

namespace {

class GeTessRegion : public VurodeTest {
 protected:
  // 20 x 20 nodes one unit apart from (0, 0), heights from a plane so that interpolation along
  // any cell side is exact: z = 1 + 0.3 x - 0.2 y.
  void SetUp() override {
    VurodeTest::SetUp();
    float origin[3] = {0, 0, 0};
    ASSERT_EQ(grid.Create(origin, 1.0f, 20, 20, 0), 1);
    for (int r = 0; r < 20; ++r)
      for (int c = 0; c < 20; ++c) grid.SetZHeight(c, r, Height(c, r));
  }
  void TearDown() override {
    ClearLoops();
    VurodeTest::TearDown();
  }
  void ClearLoops() {
    for (POSITION pos = loops.GetHeadPosition(); pos;) delete loops.GetNext(pos);
    loops.RemoveAll();
  }
  static float Height(double x, double y) { return float(1 + 0.3 * x - 0.2 * y); }

  void AddPolygon(const std::vector<UV>& pts) {
    auto* loop = new CGeLoop;
    for (size_t i = 0; i < pts.size(); ++i) {
      const UV a = pts[i], b = pts[(i + 1) % pts.size()];
      const double s[2] = {a.u, a.v}, e[2] = {b.u, b.v};
      loop->AddTail(new CGeLine(s, e), 0);
    }
    loops.AddTail(loop);
  }

  // The mesh seen from above, for the tiling checks.
  static Flat Plan(const CGeMesh& mesh) {
    Flat f;
    for (const CPoint3d& v : mesh.vertices) f.pts.push_back({v.x, v.y});
    for (const auto& face : mesh.faces) f.tris.push_back({face[0], face[1], face[2]});
    return f;
  }

  CGeGrid grid;
  CObList loops;
};

std::vector<UV> Rect(double x0, double y0, double x1, double y1) {
  return {{x0, y0}, {x1, y0}, {x1, y1}, {x0, y1}};
}

std::vector<UV> Circle(double cx, double cy, double r, int n, bool clockwise = false) {
  std::vector<UV> pts;
  for (int i = 0; i < n; ++i) {
    const double a = 0.1 + 2 * std::numbers::pi * i / n * (clockwise ? -1 : 1);
    pts.push_back({cx + r * std::cos(a), cy + r * std::sin(a)});
  }
  return pts;
}

TEST_F(GeTessRegion, SquareBetweenGridLines) {
  AddPolygon(Rect(2.5, 3.5, 7.5, 8.5));
  CGeMesh mesh;
  std::vector<unsigned> taken;
  ASSERT_EQ(geTessGridRegion(&loops, 0.2, &grid, &mesh, &taken), 1);

  // The grid nodes inside, top row first and left to right: x 3 .. 7, y 8 down to 4.
  std::vector<unsigned> want;
  for (int r = 8; r >= 4; --r)
    for (int c = 3; c <= 7; ++c) want.push_back(unsigned(r * 20 + c));
  EXPECT_EQ(taken, want);

  const Domain d{Rect(2.5, 3.5, 7.5, 8.5), {}};
  tesstest::ExpectTilesDomain(Plan(mesh), d, 1e-5, 1e-6);
  std::set<std::pair<float, float>> gridXY;
  for (unsigned k : taken) gridXY.insert({float(k % 20), float(k / 20)});
  int onGrid = 0;
  for (const CPoint3d& v : mesh.vertices) {
    if (gridXY.count({v.x, v.y})) {
      ++onGrid;
      EXPECT_EQ(v.z, grid.Node(unsigned(v.x), unsigned(v.y)).z);  // the grid's own height
    } else {
      EXPECT_NEAR(d.DistToBoundary({v.x, v.y}), 0, 1e-5);
      EXPECT_EQ(v.z, grid.Interplate(v.x, v.y));
      EXPECT_NEAR(v.z, Height(v.x, v.y), 1e-5);
    }
  }
  EXPECT_EQ(onGrid, 25);
  // Four by four complete squares, two triangles each, over grid nodes only.
  int inner = 0;
  for (const auto& f : mesh.faces)
    inner += std::all_of(f.v, f.v + 3, [&](int i) {
      return gridXY.count({mesh.vertices[size_t(i)].x, mesh.vertices[size_t(i)].y}) > 0;
    });
  EXPECT_EQ(inner, 32);
  // The outline drawn on the relief: one closed polyline through the loop's points.
  ASSERT_GE(mesh.m_UIsoCurveList.GetCount(), 1);
  auto* outline = dynamic_cast<CGePolyline3d*>(mesh.m_UIsoCurveList.GetTail());
  ASSERT_NE(outline, nullptr);
  EXPECT_GE(outline->m_nCount, 4);
  for (int i = 0; i < outline->m_nCount; ++i)
    EXPECT_NEAR(outline->m_pVertex[i][2],
                Height(outline->m_pVertex[i][0], outline->m_pVertex[i][1]), 1e-5);
}

TEST_F(GeTessRegion, RegionWithHolesTilesItsArea) {
  // A disc with a round hole and a square hole, the holes clockwise.
  const std::vector<UV> outer = Circle(10, 9.5, 7.3, 90);
  const std::vector<UV> round = Circle(7, 9, 2.2, 40, true);
  std::vector<UV> square = Rect(11.2, 6.1, 14.6, 12.3);
  std::reverse(square.begin(), square.end());
  AddPolygon(outer);
  AddPolygon(round);
  AddPolygon(square);
  CGeMesh mesh;
  std::vector<unsigned> taken;
  ASSERT_EQ(geTessGridRegion(&loops, 0.2, &grid, &mesh, &taken), 1);
  const Domain d{outer, {round, square}};
  tesstest::ExpectTilesDomain(Plan(mesh), d, 1e-5, 1e-6);
  // Every grid node inside the region, and no other, became a vertex.
  std::set<unsigned> inside;
  for (unsigned r = 0; r < 20; ++r)
    for (unsigned c = 0; c < 20; ++c)
      if (d.Inside({double(c), double(r)}) && d.DistToBoundary({double(c), double(r)}) > 1e-4)
        inside.insert(r * 20 + c);
  EXPECT_EQ(std::set<unsigned>(taken.begin(), taken.end()), inside);
  EXPECT_EQ(taken.size(), inside.size());
  // Grid heights at grid nodes, the grid's interpolation elsewhere (exact at the nodes too).
  for (const CPoint3d& v : mesh.vertices) EXPECT_NEAR(v.z, grid.Interplate(v.x, v.y), 1e-5);
  EXPECT_GE(mesh.m_UIsoCurveList.GetCount(), 3);
}

TEST_F(GeTessRegion, BoundaryOnGridLinesOrThroughNodes) {
  const std::vector<std::pair<std::string, Domain>> cases = {
      // Edges along grid lines: a region clipped to the shown window looks like this.
      {"rectangle on grid lines", {Rect(2, 3, 8, 9), {}}},
      // A hole whose corners touch a row and a column: rows fill on both sides of it.
      {"hole touching lines", {Rect(0.5, 0.5, 12.5, 12.5), {{{6, 4.5}, {5.5, 5}, {6, 6}, {6.5, 5}}}}},
      {"diamond through nodes", {{{6, 1}, {11, 6}, {6, 11}, {1, 6}}, {}}},
  };
  for (const auto& [name, d] : cases) {
    SCOPED_TRACE(name);
    ClearLoops();
    AddPolygon(d.outer);
    for (const auto& h : d.holes) AddPolygon(h);
    CGeMesh mesh;
    std::vector<unsigned> taken;
    ASSERT_EQ(geTessGridRegion(&loops, 0.2, &grid, &mesh, &taken), 1);
    tesstest::ExpectTilesDomain(Plan(mesh), d, 1e-5, 1e-6);
    for (const CPoint3d& v : mesh.vertices) EXPECT_NEAR(v.z, grid.Interplate(v.x, v.y), 1e-5);
    // Every grid node strictly inside is taken, on both sides of a corner resting on its row.
    std::set<unsigned> inside;
    for (unsigned r = 0; r < 20; ++r)
      for (unsigned c = 0; c < 20; ++c)
        if (d.Inside({double(c), double(r)}) && d.DistToBoundary({double(c), double(r)}) > 1e-4)
          inside.insert(r * 20 + c);
    EXPECT_EQ(std::set<unsigned>(taken.begin(), taken.end()), inside);
  }
}

TEST_F(GeTessRegion, LongBoundaryPolygonsAreTriangulatedWhole) {
  // No grid line crosses this 150-point disc: its whole ring is one polygon.
  const std::vector<UV> disc = Circle(5.5, 5.5, 0.45, 150);
  AddPolygon(disc);
  CGeMesh mesh;
  std::vector<unsigned> taken;
  ASSERT_EQ(geTessGridRegion(&loops, 0.2, &grid, &mesh, &taken), 1);
  EXPECT_TRUE(taken.empty());
  EXPECT_EQ(mesh.faces.size(), 148u);
  tesstest::ExpectTilesDomain(Plan(mesh), {disc, {}}, 1e-5, 1e-9);
}

TEST_F(GeTessRegion, CurvedLoopsAreDiscretisedWithTheTolerance) {
  auto* loop = new CGeLoop;
  const double c[2] = {9.3, 10.1};
  loop->AddTail(new CGeCircle(c, 6.4, 1), 0);
  loops.AddTail(loop);
  CGeMesh mesh;
  ASSERT_EQ(geTessGridRegion(&loops, 0.05, &grid, &mesh, nullptr), 1);
  double area = 0;
  for (const auto& f : mesh.faces) {
    const CPoint3d &a = mesh.vertices[size_t(f[0])], &b = mesh.vertices[size_t(f[1])],
                   &d = mesh.vertices[size_t(f[2])];
    area += 0.5 * ((b.x - a.x) * (d.y - a.y) - (d.x - a.x) * (b.y - a.y));
  }
  // Chords within 0.05 of the circle lose at most perimeter x 0.05.
  const double disc = std::numbers::pi * 6.4 * 6.4;
  EXPECT_LE(area, disc + 1e-3);
  EXPECT_GE(area, disc - 2 * std::numbers::pi * 6.4 * 0.05);
}

TEST_F(GeTessRegion, NothingToMeshLeavesTheMeshAlone) {
  CGeMesh mesh;
  EXPECT_EQ(geTessGridRegion(nullptr, 0.2, &grid, &mesh, nullptr), 0);
  EXPECT_EQ(geTessGridRegion(&loops, 0.2, &grid, &mesh, nullptr), 0);
  loops.AddTail(new CGeLoop);  // no curves: no points, no ring
  EXPECT_EQ(geTessGridRegion(&loops, 0.2, &grid, &mesh, nullptr), 0);
  AddPolygon(Rect(2.5, 2.5, 5.5, 5.5));
  EXPECT_EQ(geTessGridRegion(&loops, 0.2, nullptr, &mesh, nullptr), 0);
  EXPECT_EQ(geTessGridRegion(&loops, 0.2, &grid, nullptr, nullptr), 0);
  EXPECT_TRUE(mesh.vertices.empty());
  EXPECT_TRUE(mesh.faces.empty());
  CGeGrid empty;
  EXPECT_EQ(geTessGridRegion(&loops, 0.2, &empty, &mesh, nullptr), 0);
  // A region reaching past the grid, with a hole, still tiles; lines stop at the grid's edge.
  ClearLoops();
  AddPolygon(Rect(-30, -30, 60, 60));
  AddPolygon({{2.5, 5.5}, {5.5, 5.5}, {5.5, 2.5}, {2.5, 2.5}});
  CGeMesh wide;
  ASSERT_EQ(geTessGridRegion(&loops, 0.2, &grid, &wide, nullptr), 1);
  tesstest::ExpectTilesDomain(Plan(wide),
                              {Rect(-30, -30, 60, 60), {{{2.5, 5.5}, {5.5, 5.5}, {5.5, 2.5}, {2.5, 2.5}}}},
                              1e-5, 1e-6);
}

}  // namespace
