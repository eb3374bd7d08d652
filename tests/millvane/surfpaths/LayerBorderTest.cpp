// Border chains of covered net regions, checked against lattice facts: Pick's theorem for the
// enclosed area, the set of nodes with a free neighbour, and the walk's own step directions.
#include "millvane/surfpaths/LayerBorder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>
#include <set>
#include <string>
#include <utility>

#include "millvane/paths/ProtectNet.h"

namespace {

constexpr int kN = 40;

// A net of kN x kN nodes with height 1 on the nodes `covered` accepts, else its base height.
CProtectNet MakeNet(const std::function<bool(int, int)>& covered) {
  CProtectNet net;
  const double box[6] = {0, 0, 0, kN - 5.0, kN - 5.0, 1};
  net.Create(1.0, 0.0, box);
  for (int r = 0; r < net.rows; ++r)
    for (int c = 0; c < net.cols; ++c)
      if (covered(r, c)) net.heights[static_cast<size_t>(r) * net.cols + c] = 1.0;
  return net;
}

std::set<std::pair<int, int>> Positions(const layer::BorderChain& ch) {
  std::set<std::pair<int, int>> s;
  for (const auto& n : ch.nodes) s.insert({n.row, n.col});
  return s;
}

struct Shape {
  std::string name;
  std::function<bool(int, int)> covered;
};

const Shape kShapes[] = {
    {"rectangle", [](int r, int c) { return r >= 5 && r <= 9 && c >= 4 && c <= 10; }},
    {"disk", [](int r, int c) { return (r - 15) * (r - 15) + (c - 16) * (c - 16) <= 50; }},
    {"L", [](int r, int c) {
       return (r >= 4 && r <= 20 && c >= 4 && c <= 8) || (r >= 16 && r <= 20 && c >= 4 && c <= 25);
     }},
};

TEST(LayerBorder, SimpleRegionsGiveOneClosedWalkWithPickArea) {
  for (const Shape& s : kShapes) {
    SCOPED_TRACE(s.name);
    CProtectNet net = MakeNet(s.covered);
    ASSERT_GT(net.rows, 30);
    const auto chains = layer::LayerBorders(net, 0.5, false);
    ASSERT_EQ(chains.size(), 1u);
    const auto& ch = chains[0];
    // Every step follows its direction code back to the start.
    const int dr[4] = {0, 1, 0, -1}, dc[4] = {1, 0, -1, 0};
    for (size_t i = 0; i < ch.nodes.size(); ++i) {
      const auto& a = ch.nodes[i];
      const auto& b = ch.nodes[(i + 1) % ch.nodes.size()];
      ASSERT_LT(a.dir, 4);
      EXPECT_EQ(b.row, a.row + dr[a.dir]);
      EXPECT_EQ(b.col, a.col + dc[a.dir]);
    }
    // A four-connected walk holds exactly the covered nodes with a free eight-neighbour.
    std::set<std::pair<int, int>> border;
    int covered = 0;
    for (int r = 1; r < net.rows - 1; ++r)
      for (int c = 1; c < net.cols - 1; ++c) {
        if (!s.covered(r, c)) continue;
        ++covered;
        bool freeNear = false;
        for (int i = -1; i <= 1; ++i)
          for (int j = -1; j <= 1; ++j) freeNear = freeNear || !s.covered(r + i, c + j);
        if (freeNear) border.insert({r, c});
      }
    EXPECT_EQ(Positions(ch), border);
    EXPECT_EQ(ch.nodes.size(), border.size());  // simple loop: no node twice
    // Pick: A = I + B/2 - 1 with B the boundary and I the covered nodes inside.
    const double b = static_cast<double>(border.size());
    EXPECT_DOUBLE_EQ(ch.area, (covered - b) + b / 2 - 1);
    EXPECT_GT(ch.area, 0);
  }
}

// The level's contour crosses every grid edge from a border node to a free neighbour; each such
// edge must lie in one of the cells searched for it, and every cell must touch the border.
TEST(LayerBorder, CellRecordsCoverEveryEdgeLeavingTheRegion) {
  for (const Shape& s : kShapes) {
    SCOPED_TRACE(s.name);
    CProtectNet net = MakeNet(s.covered);
    const auto chains = layer::LayerBorders(net, 0.5, false);
    ASSERT_EQ(chains.size(), 1u);
    const auto recs = layer::CellRecords(chains[0]);
    ASSERT_FALSE(recs.empty());
    const auto border = Positions(chains[0]);
    for (const auto& rec : recs) {
      EXPECT_EQ(rec.rowMax - rec.rowMin, 1);
      EXPECT_EQ(rec.colMax - rec.colMin, 1);
      EXPECT_EQ(rec.kind == 2, rec.dir < 4);
      EXPECT_TRUE(border.count({rec.row0, rec.col0})) << rec.row0 << "," << rec.col0;
    }
    const int dr[4] = {0, 1, 0, -1}, dc[4] = {1, 0, -1, 0};
    for (const auto& [r, c] : border)
      for (int d = 0; d < 4; ++d) {
        const int fr = r + dr[d], fc = c + dc[d];
        if (s.covered(fr, fc)) continue;
        bool found = false;
        for (const auto& rec : recs)
          found = found || (std::min(r, fr) >= rec.rowMin && std::max(r, fr) <= rec.rowMax &&
                            std::min(c, fc) >= rec.colMin && std::max(c, fc) <= rec.colMax);
        EXPECT_TRUE(found) << "edge " << r << "," << c << " -> " << fr << "," << fc;
      }
  }
  layer::BorderChain lone;
  lone.nodes.push_back({5, 5, layer::kNoDir});
  EXPECT_TRUE(layer::CellRecords(lone).empty());
}

TEST(LayerBorder, LoneNodeAndOneWideSpur) {
  CProtectNet net = MakeNet([](int r, int c) {
    return (r == 5 && c == 5) || (r >= 10 && r <= 13 && c >= 10 && c <= 13) ||
           (r == 11 && c >= 14 && c <= 18);
  });
  const auto chains = layer::LayerBorders(net, 0.5, false);
  ASSERT_EQ(chains.size(), 2u);
  ASSERT_EQ(chains[0].nodes.size(), 1u);
  EXPECT_EQ(chains[0].nodes[0].dir, layer::kNoDir);
  // The spur is walked out and back; the tip carries an extra node that turns the walk.
  const auto& ch = chains[1];
  int tip = 0;
  for (const auto& n : ch.nodes) tip += n.row == 11 && n.col == 18;
  EXPECT_EQ(tip, 2);
  for (size_t i = 0; i < ch.nodes.size(); ++i) {
    const auto& a = ch.nodes[i];
    const auto& b = ch.nodes[(i + 1) % ch.nodes.size()];
    EXPECT_NE((a.dir + 2) % 4, b.dir) << "opposite consecutive directions at node " << i;
  }
  EXPECT_EQ(ch.colMax, 18);
}

TEST(LayerBorder, DiagonalContactIsBridgedThenCutIntoOneChainPerRegion) {
  CProtectNet net = MakeNet([](int r, int c) {
    return (r >= 3 && r <= 6 && c >= 3 && c <= 6) || (r >= 7 && r <= 10 && c >= 7 && c <= 10);
  });
  std::vector<layer::Saddle> saddles;
  const auto chains = layer::LayerBorders(net, 0.5, false, &saddles);
  ASSERT_EQ(saddles.size(), 1u);
  EXPECT_EQ(net.marks[6 * net.cols + 7], 3);
  EXPECT_EQ(net.marks[7 * net.cols + 6], 3);
  ASSERT_EQ(chains.size(), 2u);
  std::set<std::pair<int, int>> boxes;
  for (const auto& ch : chains) {
    EXPECT_EQ(ch.rowMax - ch.rowMin, 3);
    EXPECT_EQ(ch.colMax - ch.colMin, 3);
    EXPECT_EQ(ch.rowMin, ch.colMin);
    boxes.insert({ch.rowMin, ch.colMin});
    EXPECT_DOUBLE_EQ(ch.area, 9.0);
  }
  EXPECT_EQ(boxes, (std::set<std::pair<int, int>>{{3, 3}, {7, 7}}));
}

// A comb of three-wide teeth puts ten border nodes in one row left of a hole that touches the
// outer border; the hole must still be found and traced.
TEST(LayerBorder, HoleBehindManyBorderNodesInOneRowIsTraced) {
  const int h = 12, w = 28;  // hole node (h, w + 1)
  CProtectNet net = MakeNet([&](int r, int c) {
    if (r >= 5 && r <= 8 && c >= 3 && c <= w + 2) return true;  // bar
    if (r < 9 || r > 15) return false;
    if (c >= w && c <= w + 2) return !(r == h && c == w + 1);    // last tooth with the hole
    return c >= 3 && c < w && (c - 3) % 5 <= 2;                  // teeth 3..5, 8..10, ...
  });
  const auto chains = layer::LayerBorders(net, 0.5, false);
  ASSERT_EQ(chains.size(), 2u);
  EXPECT_GT(chains[0].area, 0);
  const auto& hole = chains[1];
  EXPECT_EQ(hole.rowMin, h - 1);
  EXPECT_EQ(hole.rowMax, h + 1);
  EXPECT_EQ(hole.colMin, w);
  EXPECT_EQ(hole.colMax, w + 2);
  EXPECT_EQ(Positions(hole).size(), 8u);
  EXPECT_LT(hole.area, 0);
}

TEST(LayerBorder, ExclusionDropsTheLargestBorder) {
  CProtectNet net = MakeNet([](int r, int c) {
    return (r >= 3 && r <= 20 && c >= 3 && c <= 20) || (r >= 25 && r <= 27 && c >= 25 && c <= 27);
  });
  const auto all = layer::LayerBorders(net, 0.5, false);
  ASSERT_EQ(all.size(), 2u);
  const auto kept = layer::LayerBorders(net, 0.5, true);
  ASSERT_EQ(kept.size(), 1u);
  EXPECT_EQ(kept[0].rowMin, 25);
}

TEST(LayerBorder, BadInputGivesNoChains) {
  CProtectNet empty;
  EXPECT_TRUE(layer::LayerBorders(empty, 0.0, false).empty());
  CProtectNet net = MakeNet([](int r, int c) { return r > 5 && r < 9 && c > 5 && c < 9; });
  EXPECT_TRUE(layer::LayerBorders(net, std::numeric_limits<double>::quiet_NaN(), false).empty());
  EXPECT_TRUE(layer::LayerBorders(net, 2.0, false).empty());  // nothing above the level
}

}  // namespace
