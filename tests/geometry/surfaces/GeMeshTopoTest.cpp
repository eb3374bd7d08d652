// Mesh tables (neighbours, adjacent faces, faces across edges, edges, strips, normals, quad
// triangulation) checked against brute force on small meshes.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "MeshTopoTestUtil.h"

using namespace meshtopotest;

namespace {

struct NamedMesh {
  std::string name;
  std::function<void(CGeMesh&)> build;
};

const std::vector<NamedMesh>& Meshes() {
  static const std::vector<NamedMesh> meshes = {
      {"cube", [](CGeMesh& m) { FillCube(m, 1.0f); }},
      {"grid", [](CGeMesh& m) { surftest::FillGrid(m, 5, [](float x, float y) { return x * y; }); }},
      {"sphere", [](CGeMesh& m) { FillSphere(m, 2.0f, 8, 12); }},
      {"nonmanifold", FillNonManifold},
  };
  return meshes;
}

class MeshTopoTable : public VurodeTest, public ::testing::WithParamInterface<NamedMesh> {};

// Neighbours in order of first discovery, walking faces and corners in order.
std::vector<std::vector<int32_t>> BruteNeighbours(const CGeMesh& m) {
  std::vector<std::vector<int32_t>> out(m.vertices.size());
  for (const CGeMesh::Face& f : m.faces)
    for (int j = 0; j < 3; ++j)
      for (int s : {1, 2}) {
        auto& l = out[f[j]];
        const int32_t w = f[(j + s) % 3];
        if (std::find(l.begin(), l.end(), w) == l.end()) l.push_back(w);
      }
  return out;
}

TEST_P(MeshTopoTable, NeighboursAndAdjacentFacesMatchBruteForce) {
  CGeMesh m;
  GetParam().build(m);
  m.Need_Neighbors();
  m.Need_Adjacentfaces();
  EXPECT_EQ(m.neighbors, BruteNeighbours(m));
  ASSERT_EQ(m.adjacentfaces.size(), m.vertices.size());
  for (size_t v = 0; v < m.vertices.size(); ++v) {
    std::vector<int32_t> expect;
    for (size_t f = 0; f < m.faces.size(); ++f)
      if (m.faces[f].indexof(static_cast<int32_t>(v)) >= 0) expect.push_back(static_cast<int32_t>(f));
    EXPECT_EQ(m.adjacentfaces[v], expect) << "vertex " << v;
  }
}

// Every entry names a face that holds the edge wound the other way; where exactly one such
// face exists and the edge has only two faces, that is the entry, both ways.
TEST_P(MeshTopoTable, AcrossEdgeMatchesBruteForce) {
  CGeMesh m;
  GetParam().build(m);
  m.Need_Across_Edge();
  ASSERT_EQ(m.across_edge.size(), m.faces.size());
  std::map<std::pair<int, int>, std::vector<int>> directed;  // (from, to) -> faces
  std::map<std::pair<int, int>, int> useCount;
  for (size_t f = 0; f < m.faces.size(); ++f)
    for (int j = 0; j < 3; ++j) {
      const int a = m.faces[f][j], b = m.faces[f][(j + 1) % 3];
      directed[{a, b}].push_back(static_cast<int>(f));
      ++useCount[{std::min(a, b), std::max(a, b)}];
    }
  for (size_t i = 0; i < m.faces.size(); ++i)
    for (int j = 0; j < 3; ++j) {
      const int a = m.faces[i][(j + 1) % 3], b = m.faces[i][(j + 2) % 3];
      const int t = m.across_edge[i][j];
      const auto& back = directed[{b, a}];
      if (t != -1)
        EXPECT_NE(std::find(back.begin(), back.end(), t), back.end()) << i << "/" << j;
      else
        EXPECT_TRUE(back.empty()) << i << "/" << j;
      if (back.size() == 1 && useCount[{std::min(a, b), std::max(a, b)}] == 2) {
        EXPECT_EQ(t, back[0]);
        EXPECT_EQ(m.across_edge[t][3 - m.faces[t].indexof(a) - m.faces[t].indexof(b)],
                  static_cast<int32_t>(i));
      }
    }
}

TEST_P(MeshTopoTable, EdgeListHoldsEveryEdgeOnceGroupedBySmallerVertex) {
  CGeMesh m;
  GetParam().build(m);
  m.GenEdgeTopo();
  std::set<std::pair<int, int>> expect;
  for (const CGeMesh::Face& f : m.faces)
    for (int j = 0; j < 3; ++j)
      expect.insert({std::min(f[j], f[(j + 1) % 3]), std::max(f[j], f[(j + 1) % 3])});
  std::set<std::pair<int, int>> got;
  for (size_t i = 0; i < m.edges.size(); ++i) {
    const CGeMesh::Edge& e = m.edges[i];
    EXPECT_LT(e.v0, e.v1);
    if (i) {
      EXPECT_LE(m.edges[i - 1].v0, e.v0);
    }
    got.insert({e.v0, e.v1});
    uint32_t at = 99999;
    EXPECT_EQ(m.FindEdge(e.v1, e.v0, at), 1);
    EXPECT_EQ(at, i);
  }
  EXPECT_EQ(m.edges.size(), got.size());
  EXPECT_EQ(got, expect);
}

TEST_P(MeshTopoTable, StripsCoverEveryFaceOnceWithItsWinding) {
  CGeMesh m;
  GetParam().build(m);
  m.Need_TStrips();
  std::multiset<std::vector<int32_t>> got;
  for (const auto& t : DecodeStrips(m.tstrips)) got.insert(Canonical(t));
  std::multiset<std::vector<int32_t>> expect;
  for (const CGeMesh::Face& f : m.faces) expect.insert(Canonical({f[0], f[1], f[2]}));
  EXPECT_EQ(got, expect);
  // Single triangles come after every longer strip.
  bool single = false;
  for (size_t at = 0; at < m.tstrips.size(); at += m.tstrips[at] + 1) {
    if (m.tstrips[at] == 3) {
      single = true;
    } else {
      EXPECT_FALSE(single) << "longer strip after a single triangle";
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Meshes, MeshTopoTable, ::testing::ValuesIn(Meshes()),
                         [](const auto& info) { return info.param.name; });

using MeshTopo = VurodeTest;

TEST_F(MeshTopo, AcrossEdgeNeedsMatchingWinding) {
  CGeMesh same, opposite;
  for (CGeMesh* m : {&same, &opposite})
    m->vertices = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {1, 1, 0}};
  same.faces = {{{0, 1, 2}}, {{1, 3, 2}}};
  opposite.faces = {{{0, 1, 2}}, {{1, 2, 3}}};
  same.Need_Across_Edge();
  opposite.Need_Across_Edge();
  EXPECT_EQ(same.across_edge[0][0], 1);
  EXPECT_EQ(same.across_edge[1][1], 0);
  for (const auto& f : opposite.across_edge)
    for (int j = 0; j < 3; ++j) EXPECT_EQ(f[j], -1);

  // Edge 0-1 has three faces: each links to the first matching face of its search, and the
  // last link into face 1 wins.
  CGeMesh nm;
  FillNonManifold(nm);
  nm.Need_Across_Edge();
  std::vector<std::vector<int32_t>> table;
  for (const auto& f : nm.across_edge) table.push_back({f[0], f[1], f[2]});
  EXPECT_EQ(table, (std::vector<std::vector<int32_t>>{
                       {-1, -1, 1}, {-1, 3, 2}, {-1, -1, 1}, {-1, -1, 1}, {-1, -1, -1}}));
}

TEST_F(MeshTopo, EdgeListAndFindEdgeOnSmallCases) {
  CGeMesh m;
  uint32_t at = 7;
  m.GenEdgeTopo();
  EXPECT_TRUE(m.edges.empty());
  EXPECT_EQ(m.FindEdge(0, 1, at), 0);
  m.vertices = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {1, 1, 0}};
  m.faces = {{{0, 1, 2}}, {{1, 3, 2}}};
  m.GenEdgeTopo();
  // Per smaller vertex, the edge met last comes first.
  std::vector<std::pair<int, int>> order;
  for (const auto& e : m.edges) order.push_back({e.v0, e.v1});
  EXPECT_EQ(order, (std::vector<std::pair<int, int>>{{0, 2}, {0, 1}, {1, 3}, {1, 2}, {2, 3}}));
  EXPECT_EQ(m.FindEdge(0, 3, at), 0);
  EXPECT_EQ(at, 7u);
  EXPECT_EQ(m.FindEdge(2, 1, at), 1);
  EXPECT_EQ(m.edges[at].v0, 1);
  EXPECT_EQ(m.edges[at].v1, 2);

  // The per-vertex lists of AddEdgeSect hold the same edges; another mark lists an edge again.
  std::vector<COppPnt*> heads(m.vertices.size(), nullptr);
  for (auto& f : m.faces) m.AddEdgeSect(heads.data(), f.v, 0);
  m.AddEdgeSect(heads.data(), m.faces[0].v, 2, 1, 0);
  m.AddEdgeSect(heads.data(), m.faces[0].v, 2, 1, 0x101);  // compared as a signed byte: mark 1
  std::vector<std::pair<int, int>> listed;
  for (size_t v = 0; v < heads.size(); ++v)
    for (COppPnt* n = heads[v]; n;) {
      EXPECT_EQ(n->word, 3);
      listed.push_back({static_cast<int>(v), n->other});
      COppPnt* next = n->next;
      delete n;
      n = next;
    }
  EXPECT_EQ(listed, (std::vector<std::pair<int, int>>{{0, 2}, {0, 1}, {1, 2}, {1, 3}, {1, 2}, {2, 3}}));

  FillCube(m, 1.0f);
  m.GenEdgeTopo();
  // Euler: V - E + F = 2 for the closed cube.
  EXPECT_EQ(static_cast<int>(m.vertices.size()) - static_cast<int>(m.edges.size()) + m.numFaces(), 2);
}

TEST_F(MeshTopo, GenFaceTopoLayouts) {
  struct Case {
    int perRow, rows;
    bool closed;
    int result;
    size_t faces;
  };
  const Case cases[] = {
      {4, 3, false, 4, 12}, {4, 3, true, 4, 12}, {4, 1, false, -1, 0},
      {1, 5, false, 1, 0},  {5, 3, false, -1, 0},  // 15 vertices asked of 12
      {0, 3, false, -1, 0},
  };
  for (const Case& c : cases) {
    CGeMesh m;
    surftest::FillGrid(m, 2, [](float, float) { return 0.0f; });
    m.vertices.resize(12);
    EXPECT_EQ(m.GenFaceTopo(c.perRow, c.rows, c.closed), c.result) << c.perRow << "x" << c.rows;
    EXPECT_EQ(m.faces.size(), c.faces);
    for (const auto& f : m.faces)
      for (int j = 0; j < 3; ++j) {
        EXPECT_LT(f[j], c.perRow * c.rows);
        if (c.closed) {
          EXPECT_NE(f[j] % c.perRow, c.perRow - 1) << "seam column referenced";
        }
      }
  }
  // Row-by-row quads: each face is counter-clockwise over an xy grid.
  CGeMesh g;
  for (int j = 0; j < 3; ++j)
    for (int i = 0; i < 4; ++i) g.vertices.emplace_back(float(i), float(j), 0.0f);
  ASSERT_EQ(g.GenFaceTopo(4, 3, false), 4);
  g.Need_FaceNormal();
  for (const auto& n : g.facenormals) EXPECT_NEAR(n.z, 1.0f, 1e-6f);
  CGeMesh empty;
  empty.faces = {{{0, 1, 2}}};
  EXPECT_EQ(empty.GenFaceTopo(4, 3, false), 0);
  EXPECT_EQ(empty.faces.size(), 1u);
}

TEST_F(MeshTopo, StripEncodings) {
  CGeMesh one;
  one.vertices = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}};
  one.faces = {{{2, 0, 1}}};
  one.Need_TStrips();
  EXPECT_EQ(one.tstrips, (std::vector<int32_t>{3, 2, 0, 1}));

  // An isolated triangle before a quad in face order still ends up last.
  CGeMesh two;
  two.vertices = {{5, 5, 0}, {6, 5, 0}, {5, 6, 0}, {0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {1, 1, 0}};
  two.faces = {{{0, 1, 2}}, {{3, 4, 5}}, {{4, 6, 5}}};
  two.Need_TStrips();
  ASSERT_EQ(two.tstrips.size(), 9u);
  EXPECT_EQ(two.tstrips[0], 4);
  EXPECT_EQ((std::vector<int32_t>(two.tstrips.end() - 4, two.tstrips.end())),
            (std::vector<int32_t>{3, 0, 1, 2}));

  // Over a grid the strips run along the rows of quads.
  CGeMesh grid;
  surftest::FillGrid(grid, 5, [](float, float) { return 0.0f; });
  grid.Need_TStrips();
  EXPECT_EQ(grid.tstrips.size(), 44u);
  for (size_t at = 0; at < grid.tstrips.size(); at += grid.tstrips[at] + 1) EXPECT_EQ(grid.tstrips[at], 10);

  // Terminated and back: short strips vanish, single triangles move to the end.
  CGeMesh m;
  m.tstrips = {3, 7, 8, 9, 2, 1, 2, 5, 1, 2, 3, 4, 5};
  m.Convert_Strips(CGeMesh::TERM);
  EXPECT_EQ(m.tstrips, (std::vector<int32_t>{7, 8, 9, -1, 1, 2, -1, 1, 2, 3, 4, 5, -1}));
  m.Convert_Strips(CGeMesh::TERM);
  EXPECT_EQ(m.tstrips.back(), -1);
  m.Convert_Strips(CGeMesh::LEN);
  EXPECT_EQ(m.tstrips, (std::vector<int32_t>{5, 1, 2, 3, 4, 5, 3, 7, 8, 9}));
  // A length running past the end is cut there instead of read beyond it.
  m.tstrips = {4, 1, 2, 3, 4, 9, 5, 6, 7};
  m.Convert_Strips(CGeMesh::LEN);
  EXPECT_EQ(m.tstrips, (std::vector<int32_t>{4, 1, 2, 3, 4, 3, 5, 6, 7}));
}

TEST_F(MeshTopo, VertexNormalsOfASphereAreRadial) {
  CGeMesh m;
  FillSphere(m, 3.0f, 16, 24);
  m.Need_VertexNormals();
  ASSERT_EQ(m.normals.size(), m.vertices.size());
  for (size_t i = 0; i < m.vertices.size(); ++i) {
    const CPoint3d& p = m.vertices[i];
    const CVector3d& n = m.normals[i];
    const double r = std::sqrt(p.x * p.x + p.y * p.y + p.z * p.z);
    EXPECT_NEAR(std::sqrt(n.x * n.x + n.y * n.y + n.z * n.z), 1.0, 1e-5);
    EXPECT_NEAR((p.x * n.x + p.y * n.y + p.z * n.z) / r, 1.0, 1e-5) << "vertex " << i;
  }
}

TEST_F(MeshTopo, VertexNormalsAreKeptAndSkipTinyFaces) {
  CGeMesh m;
  m.vertices = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {1, 0, 0}, {1.0005f, 0, 0}, {1, 0, 1}};
  // Face 1 lies in the xz plane but has an edge of 5e-4.
  m.faces = {{{0, 1, 2}}, {{3, 4, 5}}};
  m.Need_VertexNormals();
  EXPECT_FLOAT_EQ(m.normals[0].z, 1.0f);
  EXPECT_FLOAT_EQ(m.normals[1].z, 1.0f);
  for (int v : {3, 4, 5}) EXPECT_EQ(m.normals[v].x + m.normals[v].y + m.normals[v].z, 0.0f);
  m.vertices[2] = CPoint3d(0, 0, 1);  // moved: the normals that exist are not refreshed
  m.Need_VertexNormals();
  EXPECT_FLOAT_EQ(m.normals[0].z, 1.0f);
  m.normals.pop_back();
  m.Need_VertexNormals();
  EXPECT_FLOAT_EQ(m.normals[0].y, -1.0f);
}

TEST_F(MeshTopo, FaceNormalsOfACubePointOutward) {
  CGeMesh m;
  FillCube(m, 2.0f);
  m.Need_FaceNormal();
  ASSERT_EQ(m.facenormals.size(), 12u);
  for (size_t f = 0; f < 12; ++f) {
    double c[3] = {0, 0, 0};
    for (int k = 0; k < 3; ++k) {
      const CPoint3d& p = m.vertices[m.faces[f][k]];
      c[0] += p.x / 3;
      c[1] += p.y / 3;
      c[2] += p.z / 3;
    }
    const CVector3d& n = m.facenormals[f];
    // The centroid of a face lies on the plane |coordinate| = 2 it points out of.
    EXPECT_NEAR(n.x * c[0] + n.y * c[1] + n.z * c[2], 2.0, 1e-6);
  }
}

}  // namespace
