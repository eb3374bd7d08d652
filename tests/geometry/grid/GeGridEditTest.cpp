// Node colours and the mask of the relief grid: painting, line walks, flood fills, blur and
// sharpen.
#include <gtest/gtest.h>

#include <cmath>
#include <queue>
#include <random>
#include <set>
#include <utility>

#include "geometry/grid/GeGrid.h"
#include "geometry/shapes2d/GeCurve.h"

namespace {

using NodeCR = std::pair<int, int>;  // (col, row)
constexpr unsigned long kInk = 0x00332211;  // red 0x11, green 0x22, blue 0x33

struct Grid : CGeGrid {
  Grid(int cols, int rows, float cell = 1, float ox = 0, float oy = 0) {
    float o[3] = {ox, oy, 0};
    EXPECT_EQ(Create(o, cell, cols, rows, 0), 1);
  }
  uint8_t* Col(int c, int r) { return m_pColors[c + r * int(m_nCols)]; }
  int Mask(int c, int r) { return Col(c, r)[3]; }
  // Nodes painted with kInk.
  std::set<NodeCR> Inked() {
    std::set<NodeCR> s;
    for (int r = 0; r < int(m_nRows); ++r)
      for (int c = 0; c < int(m_nCols); ++c)
        if (Col(c, r)[0] == 0x11 && Col(c, r)[1] == 0x22 && Col(c, r)[2] == 0x33) s.insert({c, r});
    return s;
  }
};

void ExpectRgb(const uint8_t* p, int r, int g, int b) {
  EXPECT_EQ(p[0], r);
  EXPECT_EQ(p[1], g);
  EXPECT_EQ(p[2], b);
}

}  // namespace

TEST(GeGridEdit, MaskColourRampAndHeightWindow) {
  Grid g(4, 3);
  const struct {
    unsigned char value;
    int r, gr, b, mask;
  } ramp[] = {{0, 146, 118, 44, 0}, {50, 102, 82, 31, 50}, {100, 58, 47, 18, 100},
              {25, 124, 100, 37, 25}, {255, 58, 47, 18, 100}};  // above 100 counts as 100
  for (const auto& t : ramp) {
    g.SetMask(1, 1, t.value);
    ExpectRgb(g.Col(1, 1), t.r, t.gr, t.b);
    EXPECT_EQ(g.Mask(1, 1), t.mask) << int(t.value);
  }
  // Only heights in [-50 + 0.0001, 50) can be masked.
  const struct {
    float z;
    bool masked;
  } window[] = {{50, false}, {49.99f, true}, {-50, false}, {-49.99f, true}, {80, false}};
  for (const auto& w : window) {
    g.ClearMask();
    g.SetZHeight(2, 1, w.z);
    g.SetMask(2, 1, 50);
    EXPECT_EQ(g.Mask(2, 1), w.masked ? 50 : 0) << w.z;
  }
  // Off-grid nodes are skipped.
  g.ClearMask();
  for (NodeCR n : {NodeCR{-1, 0}, NodeCR{4, 0}, NodeCR{0, 3}, NodeCR{0, -1}}) g.SetMask(n.first, n.second, 100);
  for (int r = 0; r < 3; ++r)
    for (int c = 0; c < 4; ++c) EXPECT_EQ(g.Mask(c, r), 0);
}

TEST(GeGridEdit, ColoursKeepOrClearTheMask) {
  Grid g(5, 4);
  g.MaskAll();
  ExpectRgb(g.Col(4, 3), 58, 47, 18);
  g.SetColor(2, 1, kInk);
  ExpectRgb(g.Col(2, 1), 0x11, 0x22, 0x33);
  EXPECT_EQ(g.Mask(2, 1), 0);
  g.SetColor(5, 1, kInk);  // off the grid
  g.ClearColor();          // colours back to plain, masks stay
  ExpectRgb(g.Col(0, 0), 146, 118, 44);
  EXPECT_EQ(g.Mask(0, 0), 100);
  EXPECT_EQ(g.Mask(2, 1), 0);
  g.SetVetZeroFlag();
  EXPECT_EQ(g.Mask(0, 0), 100);
  g.SetMask(1, 1, 51);
  g.SetVetZeroFlag();
  EXPECT_EQ(g.Mask(1, 1), 50);

  // Single-node clears only act inside the show rectangle, edges included, and inside the grid
  // even when the rectangle reaches beyond it.
  g.MaskAll();
  g.SetShowRange(1, 1, 3, 2);
  g.ClearMask(3, 2);
  g.ClearMask(0, 0);
  EXPECT_EQ(g.Mask(3, 2), 0);
  EXPECT_EQ(g.Mask(0, 0), 100);
  g.SetShowRange(0, 0, 50, 50);
  g.ClearMask(20, 20);
  g.ClearColor(20, 20);
  g.SetColor(4, 3, kInk);
  g.ClearColor(4, 3);
  ExpectRgb(g.Col(4, 3), 146, 118, 44);

  // Without a colour array nothing is painted; InitVertexColor brings a plain one back.
  delete[] g.m_pColors;
  g.m_pColors = nullptr;
  int l = -7, t = -7, r = -7, b = -7;
  g.SetColor(1, 1, kInk);
  g.SetMask(1, 1, 50);
  g.MaskAll();
  g.ColorOnLine(0, 0, 4, 3, kInk);
  g.ColorFloodFill(1, 1, l, t, r, b, kInk);
  g.BlurMask();
  g.SharpenMask();
  g.InverseMask();
  g.MaskUnderZ(10);
  EXPECT_EQ(g.m_pColors, nullptr);
  EXPECT_EQ(l, -7);
  g.InitVertexColor();
  ASSERT_NE(g.m_pColors, nullptr);
  ExpectRgb(g.Col(4, 3), 146, 118, 44);
  EXPECT_EQ(g.Mask(4, 3), 0);
}

TEST(GeGridEdit, LineWalkMatchesNearestNodesAlongTheLongerAxis) {
  Grid g(23, 17);
  std::mt19937 rng(5);
  std::uniform_int_distribution<int> col(0, 22), row(0, 16);
  for (int trial = 0; trial < 200; ++trial) {
    const int c0 = col(rng), r0 = row(rng), c1 = col(rng), r1 = row(rng);
    g.ClearColor();
    g.ColorOnLine(float(c0), float(r0), float(c1), float(r1), kInk);
    // One node per step of the longer axis, the other coordinate rounded half up.
    std::set<NodeCR> expect;
    const bool alongCols = std::abs(c1 - c0) >= std::abs(r1 - r0);
    const int s0 = alongCols ? c0 : r0, s1 = alongCols ? c1 : r1;
    const int t0 = alongCols ? r0 : c0, t1 = alongCols ? r1 : c1;
    for (int s = std::min(s0, s1); s <= std::max(s0, s1); ++s) {
      const int t = s0 == s1 ? t0 : int(std::floor(t0 + double(t1 - t0) * (s - s0) / (s1 - s0) + 0.5));
      expect.insert(alongCols ? NodeCR{s, t} : NodeCR{t, s});
    }
    EXPECT_EQ(g.Inked(), expect) << c0 << "," << r0 << " -> " << c1 << "," << r1;
  }
}

TEST(GeGridEdit, LineWalkInWorldCoordinatesAndUnsafeEnds) {
  Grid g(6, 5, 0.5f, 10, 20);
  // Both ends in the same node: that node only.
  g.ColorOnLine(10.5f, 20.5f, 10.5004f, 20.5003f, kInk);
  EXPECT_EQ(g.Inked(), (std::set<NodeCR>{{1, 1}}));
  g.ClearColor();
  g.ColorOnLine(10, 21, 12.5f, 21, kInk);
  EXPECT_EQ(g.Inked(), (std::set<NodeCR>{{0, 2}, {1, 2}, {2, 2}, {3, 2}, {4, 2}, {5, 2}}));
  // A line far beyond the grid ends at once and paints only the nodes it crosses.
  g.ClearColor();
  g.ColorOnLine(-1e30f, 20.5f, 1e30f, 20.5f, kInk);
  EXPECT_EQ(g.Inked().size(), 6u);
  // Node numbers are truncated toward zero after adding half a cell: below the first node a
  // stroke up to one and a half cells off still paints the border, past the last node only
  // up to half a cell does.
  g.ClearColor();
  g.ColorOnLine(9.4f, 20, 9.4f, 22, kInk);      // 1.2 cells left of column 0
  g.ColorOnLine(10.5f, 19.3f, 12, 19.3f, kInk);  // 1.4 cells below row 0
  g.ColorOnLine(12.7f, 21, 12.7f, 22, kInk);     // 0.4 cells right of column 5
  EXPECT_EQ(g.Inked(), (std::set<NodeCR>{{0, 0}, {0, 1}, {0, 2}, {0, 3}, {0, 4}, {1, 0}, {2, 0},
                                         {3, 0}, {4, 0}, {5, 2}, {5, 3}, {5, 4}}));
  g.ClearColor();
  g.ColorOnLine(9.2f, 20, 9.2f, 22, kInk);      // 1.6 cells left
  g.ColorOnLine(10, 19.2f, 12, 19.2f, kInk);    // 1.6 cells below
  g.ColorOnLine(12.8f, 20, 12.8f, 22, kInk);    // 0.6 cells right
  g.ColorOnLine(10, 22.3f, 12, 22.3f, kInk);    // 0.6 cells above the last row
  g.ColorOnLine(9.3f, 19.3f, 9.3004f, 19.3003f, kInk);  // a dot 1.4 cells off both ways
  g.ColorOnLine(NAN, 20, 11, 21, kInk);
  EXPECT_EQ(g.Inked(), (std::set<NodeCR>{{0, 0}}));
  // Mask walk uses SetMask: the height window applies.
  g.SetZHeight(2, 0, 60);
  g.MaskOnLine(10, 20, 12.5f, 20);
  for (int c = 0; c < 6; ++c) EXPECT_EQ(g.Mask(c, 0), c == 2 ? 0 : 100) << c;
}

TEST(GeGridEdit, CurvePaintingWalksThePointBuffer) {
  Grid g(8, 8);
  CGeCurve curve;
  g.ColorOnCurve(&curve, kInk);
  g.ColorOnCurve(nullptr, kInk);
  g.MaskOnCurve(nullptr);
  EXPECT_TRUE(g.Inked().empty());
  const double pts[3][2] = {{1, 1}, {5, 1}, {5, 4}};
  curve.CopySWPoint(pts, 3);
  g.ColorOnCurve(&curve, kInk);
  std::set<NodeCR> expect;
  for (int c = 1; c <= 5; ++c) expect.insert({c, 1});
  for (int r = 1; r <= 4; ++r) expect.insert({5, r});
  EXPECT_EQ(g.Inked(), expect);
  g.MaskOnCurve(&curve);
  for (const NodeCR& n : expect) EXPECT_EQ(g.Mask(n.first, n.second), 100);
  EXPECT_EQ(g.Mask(0, 0), 0);
}

namespace {

// Brute force: the seed and everything 4-connected to it through nodes of mask at most 1.
std::set<NodeCR> Reach(Grid& g, int c0, int r0) {
  std::set<NodeCR> seen{{c0, r0}};
  std::queue<NodeCR> q;
  q.push({c0, r0});
  while (!q.empty()) {
    auto [c, r] = q.front();
    q.pop();
    for (NodeCR n : {NodeCR{c + 1, r}, NodeCR{c - 1, r}, NodeCR{c, r + 1}, NodeCR{c, r - 1}}) {
      if (n.first < 0 || n.second < 0 || n.first >= int(g.GetCols()) || n.second >= int(g.GetRows()))
        continue;
      if (g.Mask(n.first, n.second) <= 1 && seen.insert(n).second) q.push(n);
    }
  }
  return seen;
}

}  // namespace

TEST(GeGridEdit, FloodFillsMatchBreadthFirstSearch) {
  Grid g(11, 8);
  std::mt19937 rng(3);
  const unsigned char masks[] = {0, 0, 0, 0, 1, 2, 100};
  for (int trial = 0; trial < 40; ++trial) {
    for (int r = 0; r < 8; ++r)
      for (int c = 0; c < 11; ++c) {
        g.SetZHeight(c, r, rng() % 9 == 0 ? 70.f : 0.f);  // some nodes outside the mask window
        g.Col(c, r)[3] = masks[rng() % 7];
      }
    const int c0 = int(rng() % 11), r0 = int(rng() % 8);
    const std::set<NodeCR> reach = Reach(g, c0, r0);
    int lo[2] = {c0, r0}, hi[2] = {c0, r0};
    for (const NodeCR& n : reach) {
      lo[0] = std::min(lo[0], n.first), hi[0] = std::max(hi[0], n.first);
      lo[1] = std::min(lo[1], n.second), hi[1] = std::max(hi[1], n.second);
    }
    const CRect expectRect(std::max(lo[0] - 1, 0), std::max(lo[1] - 1, 0), std::min(hi[0] + 1, 10),
                           std::min(hi[1] + 1, 7));
    std::vector<uint8_t> before(88);
    for (int k = 0; k < 88; ++k) before[k] = g.m_pColors[k][3];

    int l, t, r, b;
    if (trial % 2) {
      g.ColorFloodFill(c0, r0, l, t, r, b, kInk);
      EXPECT_EQ(g.Inked(), reach);
    } else {
      g.MaskFloodFill(c0, r0, l, t, r, b);
      for (int k = 0; k < 88; ++k) {
        const NodeCR n{k % 11, k / 11};
        const bool canMask = g.Node(n.first, n.second).z < 50;
        EXPECT_EQ(g.m_pColors[k][3], reach.count(n) && canMask ? 100 : before[k]) << k;
      }
    }
    EXPECT_EQ(CRect(l, t, r, b), expectRect) << trial;
    g.ClearColor();
  }
}

TEST(GeGridEdit, FloodFillEdgeCases) {
  Grid g(6, 4);
  int l, t, r, b;
  // All unmasked: every node, the whole grid as rectangle.
  g.ColorFloodFill(2, 2, l, t, r, b, kInk);
  EXPECT_EQ(g.Inked().size(), 24u);
  EXPECT_EQ(CRect(l, t, r, b), CRect(0, 0, 5, 3));
  // A masked seed is still filled; mask 1 passes, mask 2 stops.
  g.ClearColor();
  g.MaskAll();
  g.Col(1, 0)[3] = 1;
  g.Col(3, 0)[3] = 2;
  g.ColorFloodFill(2, 0, l, t, r, b, kInk);
  EXPECT_EQ(g.Inked(), (std::set<NodeCR>{{1, 0}, {2, 0}}));
  EXPECT_EQ(CRect(l, t, r, b), CRect(0, 0, 3, 1));
  // A seed off the grid fills nothing and leaves the rectangle alone.
  l = t = r = b = -3;
  g.ClearColor();
  g.ColorFloodFill(6, 0, l, t, r, b, kInk);
  g.MaskFloodFill(0, 99, l, t, r, b);
  EXPECT_TRUE(g.Inked().empty());
  EXPECT_EQ(CRect(l, t, r, b), CRect(-3, -3, -3, -3));
}

// The whole-mask edits work over the show rectangle without its right column and bottom row.
TEST(GeGridEdit, MaskUnderZAndInverseCoverTheHalfOpenShowWindow) {
  Grid g(5, 4);
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 5; ++c) g.SetZHeight(c, r, float(c + r));
  g.SetShowRange(1, 0, 4, 3);  // columns 1 .. 3, rows 0 .. 2
  g.SetMask(0, 0, 40);         // cleared first
  g.MaskUnderZ(4);
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 5; ++c) {
      const bool in = c >= 1 && c < 4 && r < 3 && c + r <= 4;
      EXPECT_EQ(g.Mask(c, r), in ? 100 : 0) << c << "," << r;
      if (in) ExpectRgb(g.Col(c, r), 58, 47, 18);
    }
  g.Col(4, 0)[3] = 7;  // right column: left alone
  g.Col(3, 2)[3] = 7;
  g.InverseMask();
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 5; ++c) {
      const bool in = c >= 1 && c < 4 && r < 3;
      const bool wasMasked = c + r <= 4 || (c == 3 && r == 2);
      const int expect = (c == 4 && r == 0) ? 7 : in && !wasMasked ? 100 : 0;
      EXPECT_EQ(g.Mask(c, r), expect) << c << "," << r;
    }
  // A show rectangle beyond the grid is limited to it: then every node is inside.
  g.SetShowRange(0, 0, 40, 40);
  g.MaskUnderZ(100);
  EXPECT_EQ(g.Mask(4, 3), 100);
  // A show rectangle one node wide or high has an empty window.
  g.SetShowRange(2, 0, 2, 3);
  g.MaskUnderZ(100);
  for (int k = 0; k < 20; ++k) EXPECT_EQ(g.m_pColors[k][3], 0) << k;
}

// Reference filter: in place over columns l <= c < r, rows t <= row < b, rows then columns
// ascending, only nodes in the mask height window taking their value.
void ReferenceBlur(std::vector<int>& mask, const std::vector<float>& z, int cols, int rows, int l,
                   int t, int r, int b) {
  const double w[3] = {0.045, 0.122, 0.332};
  for (int row = t; row < b; ++row)
    for (int c = l; c < r; ++c) {
      double sum = 0, weight = 0;
      for (int dr = -1; dr <= 1; ++dr)
        for (int dc = -1; dc <= 1; ++dc) {
          if (c + dc < 0 || row + dr < 0 || c + dc >= cols || row + dr >= rows) continue;
          const double k = w[(dc == 0) + (dr == 0)];
          sum += k * mask[c + dc + (row + dr) * cols];
          weight += k;
        }
      const float h = z[c + row * cols];
      if (h >= -49.9999f && h < 50) mask[c + row * cols] = int(sum / weight + 1e-4);
    }
}

TEST(GeGridEdit, BlurFiltersInPlaceOverTheHalfOpenWindow) {
  Grid g(7, 5);
  std::mt19937 rng(11);
  for (int k = 0; k < 35; ++k) g.m_pColors[k][3] = uint8_t(rng() % 101);
  g.SetZHeight(3, 2, 55);  // outside the mask height window: keeps its value
  g.SetShowRange(1, 0, 6, 4);
  std::vector<int> expect(35);
  std::vector<float> z(35);
  for (int k = 0; k < 35; ++k) expect[k] = g.m_pColors[k][3], z[k] = g.m_pNodes[k].z;
  ReferenceBlur(expect, z, 7, 5, 1, 0, 6, 4);
  g.BlurMask();
  for (int r = 0; r < 5; ++r)
    for (int c = 0; c < 7; ++c) EXPECT_NEAR(g.Mask(c, r), expect[c + 7 * r], 1) << c << "," << r;
  // Exactly the reference's values (the lift only absorbs float rounding) on most nodes.
  int same = 0;
  for (int k = 0; k < 35; ++k) same += g.m_pColors[k][3] == expect[k];
  EXPECT_GE(same, 33);
  // The right column and bottom row are untouched.
  for (int r = 0; r < 5; ++r) EXPECT_EQ(g.Mask(6, r), expect[6 + 7 * r]);
}

TEST(GeGridEdit, BlurSpreadsAPointForwardAndKeepsAConstant) {
  Grid g(5, 5);
  g.SetMask(2, 2, 100);
  g.BlurMask();
  // Nodes before (2, 2) in scan order see it at 100; later ones see already blurred values.
  EXPECT_EQ(g.Mask(1, 1), 4);   // 0.045 x 100
  EXPECT_EQ(g.Mask(2, 1), 12);  // 0.122 x 100 + 0.045 x 4
  EXPECT_GT(g.Mask(2, 2), 33);  // 0.332 x 100 plus the blurred neighbours before it
  EXPECT_EQ(g.Mask(0, 0), 0);
  EXPECT_EQ(g.Mask(4, 2), 0);  // right column excluded
  EXPECT_EQ(g.Mask(2, 4), 0);  // bottom row excluded
  uint8_t rgb[3];
  CGeGrid::MaskedColor(uint8_t(g.Mask(2, 2)), rgb);
  ExpectRgb(g.Col(2, 2), rgb[0], rgb[1], rgb[2]);
  for (int value : {1, 37, 100}) {
    for (int k = 0; k < 25; ++k) g.m_pColors[k][3] = uint8_t(value);
    for (int pass = 0; pass < 3; ++pass) g.BlurMask();
    for (int k = 0; k < 25; ++k) ASSERT_EQ(g.m_pColors[k][3], value) << k;
  }
}

TEST(GeGridEdit, SharpenRaisesLowValuesToAFloor) {
  Grid g(4, 2);
  const struct {
    std::vector<int> before, after;
  } cases[] = {
      {{0, 0, 0, 0, 0, 0, 0, 0}, {2, 2, 2, 2, 2, 2, 2, 2}},
      {{0, 10, 50, 100, 3, 20, 21, 0}, {20, 20, 50, 100, 20, 20, 21, 20}},
      {{5, 9, 5, 5, 5, 5, 5, 5}, {7, 9, 7, 7, 7, 7, 7, 7}},
      {{100, 100, 100, 100, 99, 100, 100, 100}, {100, 100, 100, 100, 100, 100, 100, 100}},
  };
  for (const auto& cs : cases) {
    for (int k = 0; k < 8; ++k) g.m_pColors[k][3] = uint8_t(cs.before[k]);
    g.SharpenMask();
    for (int k = 0; k < 8; ++k) EXPECT_EQ(g.m_pColors[k][3], cs.after[k]) << k;
  }
  ExpectRgb(g.Col(0, 0), 146, 118, 44);  // only the mask byte changes
}
