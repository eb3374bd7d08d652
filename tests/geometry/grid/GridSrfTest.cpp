// Mesh rasterisation into height grids, grids back into meshes, and NURBS surfaces into meshes.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <random>

#include "geometry/grid/GridSrf.h"
#include "geometry/shapes3d/GePolyline3d.h"
#include "platform/numora/Numora.h"
#include "platform/vurode/MemPool.h"

namespace {

struct GridFree {
  void operator()(CTGrid<float>* g) const {
    g->Release();
    delete g;
  }
};
using Grid = std::unique_ptr<CTGrid<float>, GridFree>;

// Owns the meshes of a list.
struct MeshSet {
  CGeMeshList list;
  ~MeshSet() {
    for (POSITION pos = list.GetHeadPosition(); pos;) delete list.GetNext(pos);
  }
  CGeMesh* Add(std::initializer_list<CPoint3d> tri_corners) {
    auto* m = new CGeMesh;
    for (const CPoint3d& p : tri_corners) m->vertices.push_back(p);
    for (int k = 0; k + 2 < int(m->vertices.size()); k += 3) m->faces.push_back({{k, k + 1, k + 2}});
    m->CalcBox();
    list.AddTail(m);
    return m;
  }
};

// Highest triangle over (x, y) by vertical rays with the given xy tolerance, or `none`.
float BruteHeight(CGeMeshList& list, double x, double y, double tol, float none) {
  float best = none;
  for (POSITION pos = list.GetHeadPosition(); pos;) {
    CGeMesh* m = list.GetNext(pos);
    if (!m) continue;
    for (const CGeMesh::Face& f : m->faces) {
      double p[3][3];
      for (int k = 0; k < 3; ++k) {
        const CPoint3d& v = m->vertices[f[k]];
        p[k][0] = v.x, p[k][1] = v.y, p[k][2] = v.z;
      }
      const double o[3] = {x, y, -1e6};
      double hit[3];
      if (TRI3_IntZRay(p[0], p[1], p[2], o, tol, hit) == 1) best = std::max(best, float(hit[2]));
    }
  }
  return best;
}

}  // namespace

TEST(GridSrf, FlatTriangleAndOverlapInEitherOrder) {
  for (bool highFirst : {false, true}) {
    MeshSet s;
    // Frame the box so that the grid covers [0, 10]^2 with unit steps.
    s.Add({{0, 0, 1}, {10, 0, 1}, {0, 10, 1}});
    const std::initializer_list<CPoint3d> low = {{0, 0, 2}, {6, 0, 2}, {0, 6, 2}};
    const std::initializer_list<CPoint3d> high = {{1, 1, 5}, {4, 1, 5}, {1, 4, 5}};
    s.Add(highFirst ? high : low);
    s.Add(highFirst ? low : high);
    Grid g(geGetGridSrf(s.list, 1, 1, 0));
    Grid f(geGetFloatGridSrf(s.list, 1, 1, 0));
    ASSERT_TRUE(g && f);
    ASSERT_EQ(g->m_nCols, 11);
    ASSERT_EQ(g->m_nRows, 11);
    EXPECT_EQ(f->m_Base, 1.0f);
    EXPECT_EQ(g->m_pHeight[2][2], 5.0f);
    EXPECT_EQ(g->m_pHeight[5][0], 2.0f);  // row 5, column 0
    EXPECT_EQ(g->m_pHeight[1][8], 1.0f);
    EXPECT_EQ(g->m_pHeight[9][9], 0.0f);
    EXPECT_EQ(f->m_pHeight[2][2], 5.0f);
    EXPECT_EQ(f->m_pHeight[5][0], 2.0f);
    EXPECT_EQ(f->m_pHeight[9][9], 1.0f);  // outside every face: the floor
  }
}

TEST(GridSrf, MeshBelowZeroAndNodeCounts) {
  MeshSet s;
  s.Add({{0, 0, -3}, {10, 0, -3}, {10, 10, -3}});
  Grid g(geGetGridSrf(s.list, 3, 1, 0));
  Grid f(geGetFloatGridSrf(s.list, 3, 1, 0));
  ASSERT_TRUE(g && f);
  EXPECT_EQ(g->m_nCols, 4);
  EXPECT_EQ(g->m_nRows, 11);
  for (int i = 0; i < g->m_nRows; ++i)
    for (int j = 0; j < g->m_nCols; ++j) EXPECT_EQ(g->m_pHeight[i][j], 0.0f);
  EXPECT_EQ(f->m_pHeight[0][3], -3.0f);
  // Margin grows both sides: (10 + 2 * 2) / 1 + 1 nodes, origin at -2.
  Grid m(geGetGridSrf(s.list, 1, 1, 2));
  ASSERT_TRUE(m);
  EXPECT_EQ(m->m_nCols, 15);
  EXPECT_EQ(m->m_Origin[0], -2.0f);
  EXPECT_EQ(m->m_X[14], 12.0f);
}

TEST(GridSrf, SliverAlongXIsSkipped) {
  MeshSet s;
  s.Add({{0, 0, 0}, {10, 0, 0}, {0, 10, 0}});  // sets the box
  s.Add({{0, 5, 7}, {10, 5, 7}, {0, 5.00005f, 7}});
  Grid g(geGetGridSrf(s.list, 1, 1, 0));
  ASSERT_TRUE(g);
  for (int j = 0; j < 11; ++j) EXPECT_EQ(g->m_pHeight[5][j], 0.0f) << j;
}

TEST(GridSrf, UnusableInputGivesNull) {
  MeshSet s;
  EXPECT_EQ(geGetGridSrf(s.list, 1, 1, 0), nullptr);
  s.list.AddTail(static_cast<CGeMesh*>(nullptr));
  EXPECT_EQ(geGetGridSrf(s.list, 1, 1, 0), nullptr);
  EXPECT_EQ(geGetFloatGridSrf(s.list, 1, 1, 0), nullptr);
  s.Add({{0, 0, 0}, {10, 0, 0}, {0, 10, 0}});
  for (float step : {0.0f, -1.0f, NAN, 1e-9f}) {  // the last one: far too many nodes
    EXPECT_EQ(geGetGridSrf(s.list, step, 1, 0), nullptr) << step;
    EXPECT_EQ(geGetFloatGridSrf(s.list, 1, step, 0), nullptr) << step;
  }
  // A face index beyond the vertex array is passed over.
  s.list.GetTail()->faces.push_back({{0, 1, 99}});
  Grid g(geGetGridSrf(s.list, 1, 1, 0));
  ASSERT_TRUE(g);
  EXPECT_EQ(g->m_nCols, 11);
}

// Random overlapping triangles: each node lies between the exact highest face over it and the
// highest face found with a slightly widened footprint.
TEST(GridSrf, AgreesWithBruteForceRays) {
  std::mt19937 rng(7);
  std::uniform_real_distribution<float> xy(0, 20), z(-2, 8);
  MeshSet s;
  for (int m = 0; m < 3; ++m) {
    auto* mesh = new CGeMesh;
    for (int k = 0; k < 30; ++k) mesh->vertices.emplace_back(xy(rng), xy(rng), z(rng));
    for (int k = 0; k < 10; ++k) mesh->faces.push_back({{3 * k, 3 * k + 1, 3 * k + 2}});
    mesh->CalcBox();
    s.list.AddTail(mesh);
  }
  Grid g(geGetGridSrf(s.list, 0.37f, 0.29f, 0.5f));
  Grid f(geGetFloatGridSrf(s.list, 0.37f, 0.29f, 0.5f));
  ASSERT_TRUE(g && f);
  int covered = 0;
  for (auto* grid : {g.get(), f.get()}) {
    const float none = grid == g.get() ? 0.0f : grid->m_Base;
    for (int i = 0; i < grid->m_nRows; ++i)
      for (int j = 0; j < grid->m_nCols; ++j) {
        const double x = grid->m_X[j], y = grid->m_Y[i];
        const float strict = std::max(none, BruteHeight(s.list, x, y, 0, none));
        const float loose = std::max(none, BruteHeight(s.list, x, y, 0.02, none));
        const float h = grid->m_pHeight[i][j];
        ASSERT_GE(h, strict - 1e-3f) << i << " " << j;
        ASSERT_LE(h, loose + 1e-3f) << i << " " << j;
        covered += strict > none;
      }
  }
  EXPECT_GT(covered, 1000);
}

TEST(GridSrf, GridToMeshToGridRoundTrip) {
  CTGrid<float> src;
  const float origin[2] = {-3, 2};
  ASSERT_EQ(src.Create(origin, 0.5f, 0.25f, 17, 13), 1);
  for (int i = 0; i < 13; ++i)
    for (int j = 0; j < 17; ++j)
      src.m_pHeight[i][j] = 2 + std::sin(0.7f * j) * std::cos(0.4f * i) + 0.1f * i;
  MeshSet s;
  auto* mesh = new CGeMesh;
  s.list.AddTail(mesh);
  ASSERT_EQ(mesh->Create(&src), 1);
  EXPECT_EQ(mesh->vertices.size(), 17u * 13u);
  EXPECT_EQ(mesh->faces.size(), 2u * 16u * 12u);
  for (auto* back : {geGetGridSrf(s.list, 0.5f, 0.25f, 0), geGetFloatGridSrf(s.list, 0.5f, 0.25f, 0)}) {
    Grid g(back);
    ASSERT_TRUE(g);
    ASSERT_EQ(g->m_nCols, 17);
    ASSERT_EQ(g->m_nRows, 13);
    EXPECT_EQ(g->m_Origin[0], -3.0f);
    for (int i = 0; i < 13; ++i)
      for (int j = 0; j < 17; ++j) EXPECT_NEAR(g->m_pHeight[i][j], src.m_pHeight[i][j], 1e-4);
  }
  src.Release();
  EXPECT_EQ(src.m_pHeight, nullptr);
  EXPECT_EQ(mesh->Create(nullptr), 0);
}

TEST(GridSrf, MeshFromGridTilesTheSquare) {
  CTGrid<float> src;
  const float origin[2] = {0, 0};
  ASSERT_EQ(src.Create(origin, 1, 1, 3, 3), 1);
  CGeMesh mesh;
  ASSERT_EQ(mesh.Create(&src), 1);
  ASSERT_EQ(mesh.vertices.size(), 9u);
  ASSERT_EQ(mesh.faces.size(), 8u);
  double area = 0;
  for (const CGeMesh::Face& f : mesh.faces) {
    const CPoint3d &a = mesh.vertices[f[0]], &b = mesh.vertices[f[1]], &c = mesh.vertices[f[2]];
    const double cross = (b.x - a.x) * (c.y - a.y) - (b.y - a.y) * (c.x - a.x);
    EXPECT_GT(cross, 0);  // counter-clockwise, so no two faces overlap in a tiling of area 4
    area += cross / 2;
  }
  EXPECT_DOUBLE_EQ(area, 4.0);
  src.Release();
}

namespace {

// Biquadratic dome over [0, 10]^2 with its middle control point raised.
_nurbs_surface* Dome() {
  _nurbs_surface* s = BSRF_Create(3, 3, 3, 3);
  for (int j = 0; j < 3; ++j)
    for (int i = 0; i < 3; ++i) {
      double* p = s->net[j][i];
      p[0] = 5.0 * i, p[1] = 5.0 * j, p[2] = (i == 1 && j == 1) ? 6.0 : 0.0, p[3] = 1;
    }
  return s;
}

double DistToSurface(_nurbs_surface* s, const double p[3]) {
  double foot[3], u = 1e12, v = 1e12, d = 0;
  EXPECT_EQ(BSRF_SnapPnt(s, p, 1e-9, foot, u, v, d), 1);
  return d;
}

void ExpectWireframe(CGeMesh& mesh, _nurbs_surface* s) {
  for (CGeCurve3dList* list : {&mesh.m_UIsoCurveList, &mesh.m_VIsoCurveList}) {
    ASSERT_EQ(list->GetCount(), 6);
    for (POSITION pos = list->GetHeadPosition(); pos;) {
      auto* pl = dynamic_cast<CGePolyline3d*>(list->GetNext(pos));
      ASSERT_NE(pl, nullptr);
      for (int k = 0; k < pl->m_nCount; k += 7) EXPECT_LT(DistToSurface(s, pl->m_pVertex[k]), 1e-6);
    }
  }
  // The first V curve runs along v = 0, the last U curve along u = 1.
  auto* v0 = static_cast<CGePolyline3d*>(mesh.m_VIsoCurveList.GetHead());
  auto* u1 = static_cast<CGePolyline3d*>(mesh.m_UIsoCurveList.GetTail());
  EXPECT_NEAR(v0->m_pVertex[v0->m_nCount - 1][0], 10, 1e-9);
  EXPECT_NEAR(v0->m_pVertex[v0->m_nCount - 1][1], 0, 1e-9);
  EXPECT_NEAR(u1->m_pVertex[0][0], 10, 1e-9);
  EXPECT_EQ(gGetMemPoolDepth(), 0);
}

}  // namespace

TEST(NurbsToMesh, UniformSamplingStaysWithinTolerance) {
  _nurbs_surface* s = Dome();
  EXPECT_EQ(geToMesh(nullptr), nullptr);
  std::unique_ptr<CGeMesh> mesh(geToMesh(s));
  ASSERT_TRUE(mesh);
  // Steps are capped at 0.02: 51 samples per row, 51 rows.
  ASSERT_EQ(mesh->vertices.size(), 51u * 51u);
  ASSERT_EQ(mesh->faces.size(), 2u * 50u * 50u);
  EXPECT_TRUE(mesh->normals.empty());
  const CPoint3d& last = mesh->vertices.back();
  EXPECT_FLOAT_EQ(last.x, 10);
  EXPECT_FLOAT_EQ(last.y, 10);
  for (size_t k = 0; k < mesh->faces.size(); k += 13) {
    const CGeMesh::Face& f = mesh->faces[k];
    double c[3] = {0, 0, 0};
    for (int q = 0; q < 3; ++q) {
      const CPoint3d& v = mesh->vertices[f[q]];
      c[0] += v.x / 3, c[1] += v.y / 3, c[2] += v.z / 3;
      const double p[3] = {v.x, v.y, v.z};
      ASSERT_LT(DistToSurface(s, p), 1e-5);
    }
    ASSERT_LT(DistToSurface(s, c), 0.02);
    // Counter-clockwise seen from above on this graph-like surface.
    const CPoint3d &a = mesh->vertices[f[0]], &b = mesh->vertices[f[1]], &d = mesh->vertices[f[2]];
    ASSERT_GT((b.x - a.x) * (d.y - a.y) - (b.y - a.y) * (d.x - a.x), 0);
  }
  ExpectWireframe(*mesh, s);
  // Bent over millions of units the steps would need more samples than a grid may hold.
  for (int j = 0; j < 3; ++j)
    for (int i = 0; i < 3; ++i)
      for (int k = 0; k < 3; ++k) s->net[j][i][k] *= 1e6;
  EXPECT_EQ(geToMesh(s), nullptr);
  EXPECT_EQ(geToMeshAdapte(s), nullptr);
  BSRF_Free(s);
}

TEST(NurbsToMesh, AdaptiveTessellationIsASoupWithinTolerance) {
  _nurbs_surface* s = Dome();
  EXPECT_EQ(geToMeshAdapte(nullptr), nullptr);
  std::unique_ptr<CGeMesh> mesh(geToMeshAdapte(s));
  ASSERT_TRUE(mesh);
  const size_t nv = mesh->vertices.size();
  ASSERT_GT(nv, 0u);
  ASSERT_EQ(mesh->faces.size(), nv / 3);
  ASSERT_EQ(mesh->normals.size(), nv);
  for (size_t i = 0; i < mesh->faces.size(); ++i) {
    const CGeMesh::Face& f = mesh->faces[i];
    ASSERT_EQ(f[0], int(3 * i));
    double c[3] = {0, 0, 0};
    for (int q = 0; q < 3; ++q) {
      const CPoint3d& v = mesh->vertices[f[q]];
      c[0] += v.x / 3, c[1] += v.y / 3, c[2] += v.z / 3;
    }
    ASSERT_LT(DistToSurface(s, c), 0.2);
  }
  ExpectWireframe(*mesh, s);
  BSRF_Free(s);
}
