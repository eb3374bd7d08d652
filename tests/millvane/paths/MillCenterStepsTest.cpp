// The tool-centre model's small construction steps on hand-made facet tables, and the order in
// which a gouging link falls back to safer shapes.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <memory>
#include <vector>

#include "millvane/kernel/KernelLists.h"
#include "millvane/paths/MillCenter.h"
#include "millvane/loops/PathCombine.h"
#include "millvane/loops/PathEntity.h"
#include "platform/panlet/Progress.h"
#include "support/MeshOracle.h"

namespace {

using Table = std::unique_ptr<_facet, int (*)(_facet*)>;

// A facet table of the given positions and triangles (normals left zero).
Table MakeTable(const std::vector<std::array<double, 3>>& pts, const std::vector<std::array<int, 3>>& tris) {
  Table t(FACET_New(static_cast<int>(tris.size()), static_cast<int>(pts.size())), FACET_Free);
  for (size_t i = 0; i < pts.size(); ++i) {
    std::fill(t->nodes[i].v, t->nodes[i].v + 9, 0.0);
    std::copy(pts[i].begin(), pts[i].end(), t->nodes[i].v);
  }
  for (size_t f = 0; f < tris.size(); ++f)
    for (int k = 0; k < 3; ++k) t->facets[f][k] = tris[f][k];
  return t;
}

}  // namespace

TEST(MillCenterSteps, IsNormalDownByTheSignedAreaSeenFromAbove) {
  const Table t = MakeTable({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, 0, 1}, {0.5, 0.00005, 0}},
                            {{0, 1, 2}, {0, 2, 1}, {0, 1, 3}, {0, 4, 1}});
  struct Case {
    const char* name;
    int facet;
    int down;
  } cases[] = {{"counter-clockwise", 0, 0}, {"clockwise", 1, 1}, {"vertical", 2, 0},
               {"clockwise but within the area tolerance", 3, 0}, {"no such facet", 4, 0}, {"negative index", -1, 0}};
  for (const Case& c : cases) EXPECT_EQ(CMillCenter::IsNormalDown(t.get(), c.facet), c.down) << c.name;
  EXPECT_EQ(CMillCenter::IsNormalDown(nullptr, 0), 0);
}

TEST(MillCenterSteps, ChangeNodeNumSwitchesOnlyTheDownwardFacetsToTheCopies) {
  // Upward facets 0 and 1, a downward facet 2 sharing the edge 0-2 with them.
  const Table t = MakeTable({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {-1, 0, 0}}, {{0, 1, 2}, {0, 2, 3}, {0, 3, 2}});
  ASSERT_EQ(CMillCenter::IsNormalDown(t.get(), 1), 0);
  ASSERT_EQ(CMillCenter::IsNormalDown(t.get(), 2), 1);
  std::vector<std::array<int, 3>> tris = {{0, 1, 2}, {0, 2, 3}, {0, 3, 2}};
  const std::vector<int> copyOf = {4, -1, 5, -1};
  CMillCenter::ChangeNodeNum(t.get(), copyOf, tris);
  EXPECT_EQ(tris[0], (std::array<int, 3>{0, 1, 2}));
  EXPECT_EQ(tris[1], (std::array<int, 3>{0, 2, 3}));
  EXPECT_EQ(tris[2], (std::array<int, 3>{4, 3, 5}));
  // A copy list shorter than the table's vertices leaves the rest as they are.
  std::vector<std::array<int, 3>> again = {{0, 1, 2}, {0, 2, 3}, {0, 3, 2}};
  CMillCenter::ChangeNodeNum(t.get(), {7}, again);
  EXPECT_EQ(again[2], (std::array<int, 3>{7, 3, 2}));
}

TEST(MillCenterSteps, DeleteAllNodesEmptiesEveryVertexList) {
  CMillCenter::EdgeTable t(4);
  CMillCenter::AddEdgeSect(t, 0, 1, 0);
  CMillCenter::AddEdgeSect(t, 2, 1, 1);
  CMillCenter::AddEdgeSect(t, 3, 0, 0);
  CMillCenter::AddEdgeSect(t, 1, 2, 0);
  ASSERT_EQ(t[0].size(), 2u);
  ASSERT_EQ(t[1].size(), 2u);
  CMillCenter::DeleteAllNodes(t);
  ASSERT_EQ(t.size(), 4u);
  for (const auto& list : t) EXPECT_TRUE(list.empty());
}

namespace {

std::unique_ptr<CGeMesh> Shifted(std::unique_ptr<CGeMesh> m, double dx, double dy) {
  for (auto& v : m->vertices) {
    v.x = static_cast<float>(v.x + dx);
    v.y = static_cast<float>(v.y + dy);
  }
  m->CalcBox();
  return m;
}

struct Scene {
  std::vector<std::unique_ptr<CGeMesh>> meshes;
  CTypedPtrList<CObList, CGeMesh*> list;
  std::unique_ptr<CMillCenter> model;
};

}  // namespace

// A link that cuts into the model falls back to a safer shape: half turn to up-and-over, blend
// to straight, straight to up-and-over, up-and-over to a retract over the model's top.
TEST(MillCenterSteps, GougingLinksFallBackInTheirOrder) {
  gResetProgress();
  CTBall ball(2);
  struct Case {
    const char* name;
    int scene;  // 0: a block beside a straight way across; 1: a low bump on it; 2: a dome
    int type;
    double e[3], s[3];  // end of the first cut (along +x), start of the second (along -x)
    size_t points;      // points of the link that is placed
    double top;         // its highest z
  } cases[] = {
      {"blend round the block becomes straight", 0, 3, {5, 0, 0}, {5, 3, 0}, 2, 0},
      {"half turn round the block becomes up-and-over", 0, 2, {5, 0, 0}, {5, 3, 0}, 3, 0},
      {"straight into the bump becomes up-and-over", 1, 1, {5, 0, 0}, {5, 3, 2}, 3, 2},
      {"up-and-over into the dome becomes a retract", 2, 0, {-8, 0, 0}, {8, 0, 0}, 4, 5},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Scene sc;
    if (c.scene == 0) {
      sc.meshes.push_back(oracle::Plane(40, 0));
      sc.meshes.push_back(Shifted(oracle::Box(1, 1, 3), 7.5, 1.5));
    } else if (c.scene == 1) {
      sc.meshes.push_back(oracle::Plane(40, 0));
      sc.meshes.push_back(Shifted(oracle::Box(0.3, 0.3, 1.5), 5, 1.5));
    } else {
      sc.meshes.push_back(oracle::Hemisphere(5, 48, 12));
    }
    for (auto& m : sc.meshes) sc.list.AddTail(m.get());
    sc.model.reset(CreateMillCentre(&sc.list, &ball, 0.0, 0, 0.1));
    ASSERT_TRUE(sc.model);
    const double a0[3] = {c.e[0] - 5, c.e[1], c.e[2]}, b1[3] = {c.s[0] - 5, c.s[1], c.s[2]};
    auto* chain = new CPathCombine(8);
    chain->AddTail(new CPathLine3D(a0, c.e));
    chain->AddTail(new CPathLine3D(c.s, b1));
    ASSERT_EQ(GenLinkMoves(sc.model.get(), c.type, 2.0, chain), 1);
    CPathEntity* link = chain->head->next;
    ASSERT_TRUE(link && link->type == kPathPLine);
    const auto* pl = static_cast<CPathPLine3D*>(link);
    EXPECT_EQ(static_cast<size_t>(pl->count + 1), c.points);
    double top = -1e300;
    for (int i = 0; i <= pl->count; ++i) top = std::max(top, pl->points[i][2]);
    EXPECT_NEAR(top, c.top, 1e-9);
    chain->Delete();
  }
}
