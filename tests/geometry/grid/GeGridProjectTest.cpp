// The relief grid against other geometry: projection of points and segments onto its surface,
// merging and stamping of value grids, and its meshes.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <list>
#include <map>
#include <memory>
#include <random>
#include <set>

#include "geometry/grid/GeGrid.h"
#include "geometry/grid/TGrid.h"
#include "geometry/shapes2d/GeLoop.h"
#include "geometry/shapes2d/GePolyline.h"
#include "geometry/shapes2d/GeRegion.h"
#include "geometry/surfaces/GeMesh.h"

namespace {

// A tilted plane over the grid: the grid surface is exactly this plane.
double Plane(double x, double y) { return 0.3 * x - 0.2 * y + 1; }

struct TiltedGrid : CGeGrid {
  // Nodes x 2 .. 6, y -1 .. 2; the box reaches one cell further.
  TiltedGrid() {
    float o[3] = {2, -1, 0};
    EXPECT_EQ(Create(o, 0.5f, 9, 7, 0), 1);
    for (unsigned r = 0; r < m_nRows; ++r)
      for (unsigned c = 0; c < m_nCols; ++c)
        SetZHeight(int(c), int(r), float(Plane(Node(c, r).x, Node(c, r).y)));
  }
};

// A grid whose current layer holds the given working heights (composed into the nodes).
struct LayerGrid : CGeGrid {
  LayerGrid(int cols, int rows, float cell = 1) {
    float o[3] = {0, 0, 0};
    EXPECT_EQ(Create(o, cell, cols, rows, 0), 1);
  }
  template <class F>
  void SetHeights(F f) {
    for (unsigned r = 0; r < m_nRows; ++r)
      for (unsigned c = 0; c < m_nCols; ++c) m_pHeights[c + r * m_nCols] = f(c, r);
    UpdateZHeight();
  }
  float H(size_t k) const { return m_pHeights[k]; }
};

// A value grid that frees its rows.
struct Values : CTGrid<float> {
  Values(float ox, float oy, float dx, float dy, int cols, int rows) {
    const float o[2] = {ox, oy};
    EXPECT_EQ(Create(o, dx, dy, cols, rows), 1);
  }
  ~Values() { Release(); }
  template <class F>
  void Fill(F f) {
    for (int r = 0; r < m_nRows; ++r)
      for (int c = 0; c < m_nCols; ++c) m_pHeight[r][c] = f(c, r);
  }
};

_tagBox2D Box(double x0, double y0, double x1, double y1) { return {{x0, y0}, {x1, y1}}; }

}  // namespace

TEST(GeGridProject, PointsFallOntoTheSurface) {
  TiltedGrid g;
  double r[3];
  // A node gives its own height.
  double onNode[2] = {3, 0};
  ASSERT_TRUE(g.ProjectZ(onNode, r));
  EXPECT_NEAR(r[2], g.Node(2, 2).z, 1e-6);
  // Inside the node area the plane's height at the very point.
  std::mt19937 rng(5);
  std::uniform_real_distribution<double> ux(2, 6), uy(-1, 2);
  for (int i = 0; i < 200; ++i) {
    double p[2] = {ux(rng), uy(rng)};
    ASSERT_TRUE(g.ProjectZ(p, r)) << p[0] << "," << p[1];
    EXPECT_NEAR(r[0], p[0], 1e-9);
    EXPECT_NEAR(r[1], p[1], 1e-9);
    EXPECT_NEAR(r[2], Plane(p[0], p[1]), 2e-6);
  }
  // On the last column or row line the answer is the surface point straight below; in the
  // box's margin beyond the last nodes the point keeps the height of the nearest border point.
  const double edge[][2] = {{6, 0.3}, {3.3, 2}, {6, 2}, {6.4, 1.1}, {4.1, 2.4}, {6.5, 2.5}};
  for (const auto& e : edge) {
    double p[2] = {e[0], e[1]};
    ASSERT_TRUE(g.ProjectZ(p, r)) << e[0] << "," << e[1];
    EXPECT_EQ(r[0], p[0]);
    EXPECT_EQ(r[1], p[1]);
    EXPECT_NEAR(r[2], Plane(std::min(p[0], 6.0), std::min(p[1], 2.0)), 2e-6);
  }
  // Outside the box.
  for (const auto& o : {std::pair{1.9, 0.0}, {6.6, 0.0}, {3.0, -1.1}, {3.0, 2.6}}) {
    double p[2] = {o.first, o.second};
    EXPECT_FALSE(g.ProjectZ(p, r));
  }
  double nan[2] = {NAN, 0};
  EXPECT_FALSE(g.ProjectZ(nan, r));
}

// Sloped grids of several shapes: on the last column and the last row the height is the
// plane's at the very point, which stays where it is.
TEST(GeGridProject, PointsOnTheLastColumnAndRowOfSlopedGrids) {
  struct Slope {
    float origin[2], cell;
    int cols, rows;
    double a, b, c;  // z = a x + b y + c
  };
  const Slope slopes[] = {{{0, 0}, 1, 5, 9, 0.3, -0.2, 1},
                          {{-3, 2}, 0.25, 13, 6, -1.5, 0.7, -2},
                          {{10, -20}, 2, 4, 4, 0.05, 2.5, 0},
                          {{0, 0}, 0.5, 2, 2, 1, 1, 0}};
  for (const Slope& s : slopes) {
    CGeGrid g;
    float o[3] = {s.origin[0], s.origin[1], 0};
    ASSERT_EQ(g.Create(o, s.cell, s.cols, s.rows, 0), 1);
    auto plane = [&](double x, double y) { return s.a * x + s.b * y + s.c; };
    for (unsigned r = 0; r < g.m_nRows; ++r)
      for (unsigned c = 0; c < g.m_nCols; ++c)
        g.SetZHeight(int(c), int(r), float(plane(g.Node(c, r).x, g.Node(c, r).y)));
    const double x0 = s.origin[0], y0 = s.origin[1];
    const double x1 = x0 + s.cell * (s.cols - 1), y1 = y0 + s.cell * (s.rows - 1);
    std::vector<std::pair<double, double>> pts;
    for (int k = 0; k <= 8; ++k) {
      pts.emplace_back(x1, y0 + (y1 - y0) * k / 8.0);  // last column
      pts.emplace_back(x0 + (x1 - x0) * k / 8.0, y1);  // last row
    }
    for (const auto& [x, y] : pts) {
      SCOPED_TRACE(testing::Message() << "grid at " << x0 << "," << y0 << " point " << x << "," << y);
      double p[2] = {x, y}, res[3];
      ASSERT_TRUE(g.ProjectZ(p, res));
      EXPECT_EQ(res[0], x);
      EXPECT_EQ(res[1], y);
      EXPECT_NEAR(res[2], plane(x, y), 1e-5 * (1 + std::fabs(plane(x, y))));
    }
  }
}

TEST(GeGridProject, SegmentsFollowTheSurfaceThroughEveryLineTheyCross) {
  TiltedGrid g;
  const struct {
    double p1[2], p2[2];
  } cases[] = {
      {{2.2, -0.7}, {5.6, 1.8}},
      {{5.6, 1.8}, {2.2, -0.7}},
      {{2.05, 1.9}, {5.95, -0.95}},
      {{3.1, -0.9}, {3.4, 1.9}},
  };
  for (const auto& tc : cases) {
    double p1[2] = {tc.p1[0], tc.p1[1]}, p2[2] = {tc.p2[0], tc.p2[1]};
    std::list<tagPoint3d> pts;
    g.ProjectZ(p1, p2, -7, pts);
    // Brute force: every inner row and column line strictly inside the segment's box.
    int lines = 0;
    for (unsigned c = 0; c < g.GetCols(); ++c) {
      const double x = g.Node(c, 0).x;
      lines += x > std::min(p1[0], p2[0]) && x < std::max(p1[0], p2[0]);
    }
    for (unsigned r = 0; r < g.GetRows(); ++r) {
      const double y = g.Node(0, r).y;
      lines += y > std::min(p1[1], p2[1]) && y < std::max(p1[1], p2[1]);
    }
    ASSERT_EQ(int(pts.size()), lines + 2) << tc.p1[0];
    EXPECT_EQ(pts.front().t, 0.0f);
    EXPECT_EQ(pts.back().t, 1.0f);
    float t = -1;
    for (const tagPoint3d& p : pts) {
      EXPECT_GE(p.t, t);
      t = p.t;
      EXPECT_NEAR(p.z, Plane(p.x, p.y), 1e-5);
      // The point lies on the segment at its parameter.
      EXPECT_NEAR(p.x, p1[0] + (p2[0] - p1[0]) * p.t, 1e-5);
      EXPECT_NEAR(p.y, p1[1] + (p2[1] - p1[1]) * p.t, 1e-5);
    }
  }
}

TEST(GeGridProject, SegmentAlongARowAndOffTheGrid) {
  TiltedGrid g;
  // Along row 3 (y = 0.5), both ways: the nodes it passes, by t.
  for (bool reversed : {false, true}) {
    double a[2] = {2.3, 0.5}, b[2] = {4.8, 0.5};
    std::list<tagPoint3d> pts;
    if (reversed)
      g.ProjectZ(b, a, 0, pts);
    else
      g.ProjectZ(a, b, 0, pts);
    ASSERT_EQ(pts.size(), 7u);
    std::vector<tagPoint3d> v(pts.begin(), pts.end());
    for (int k = 1; k <= 5; ++k) {
      const int col = reversed ? 6 - k : k + 0;  // x 2.5 .. 4.5 are columns 1 .. 5
      EXPECT_FLOAT_EQ(v[k].x, g.Node(col, 3).x) << k;
      EXPECT_FLOAT_EQ(v[k].z, g.Node(col, 3).z) << k;
      EXPECT_LT(v[k - 1].t, v[k].t);
    }
  }
  // Wholly off the grid: the end points with the given height, nothing else.
  double a[2] = {-5, -5}, b[2] = {-1, 7};
  std::list<tagPoint3d> pts{tagPoint3d{9, 9, 9, 0}};
  g.ProjectZ(a, b, 2.5, pts);
  ASSERT_EQ(pts.size(), 3u);  // appended after what was there
  EXPECT_EQ(pts.front().x, 9);
  EXPECT_EQ(std::next(pts.begin())->z, 2.5f);
  EXPECT_EQ(pts.back().y, 7.0f);
  EXPECT_EQ(pts.back().t, 1.0f);
  // Half on the grid: the outside end keeps the given height, the inside end is projected.
  double c[2] = {0, 0.2}, d[2] = {3.2, 0.2};
  pts.clear();
  g.ProjectZ(c, d, -3, pts);
  EXPECT_EQ(pts.front().z, -3.0f);
  EXPECT_NEAR(pts.back().z, Plane(3.2, 0.2), 1e-5);
}

TEST(GeGridProject, ValueGridLookupsFollowTheReliefGridsRules) {
  // Same coordinates as a relief grid: the same nearest indices.
  CGeGrid g;
  float o[3] = {1, 2, 0};
  ASSERT_EQ(g.Create(o, 0.5f, 7, 5, 0), 1);
  Values v(1, 2, 0.5f, 0.5f, 7, 5);
  std::mt19937 rng(3);
  std::uniform_real_distribution<float> u(-1, 6);
  for (int i = 0; i < 500; ++i) {
    const float x = u(rng);
    ASSERT_EQ(v.Get_Index(x, 0), g.Get_Index(x, 0)) << x;
    ASSERT_EQ(v.Get_Index(x, 1), g.Get_Index(x, 1)) << x;
  }
  EXPECT_EQ(v.Get_Index(2.005f, 0), 2);  // within 0.01 of a node
  EXPECT_EQ(v.Get_Index(2.25f, 0), 3);   // half way: the higher index
  EXPECT_EQ(v.Get_Index(NAN, 1), 0);
  // Inside a cell the rule is the mean of the x-wise interpolation across the mid-row and the
  // y-wise one across the mid-column, in world steps whatever they are (closed form for planar
  // data z = 3x + 5y); nodes give their values.
  Values w(0, 0, 2.0f, 0.5f, 6, 9);
  w.Fill([](int c, int r) { return 3.0f * (2.0f * c) + 5.0f * (0.5f * r); });
  std::uniform_real_distribution<float> ux(0, 10), uy(0, 4);
  for (int i = 0; i < 200; ++i) {
    const float x = ux(rng), y = uy(rng);
    const double x0 = 2 * std::floor(x / 2), y0 = 0.5 * std::floor(y / 0.5);
    if (x == x0 || y == y0) continue;
    const double expect = 0.5 * (3 * x + 5 * (y0 + 0.25)) + 0.5 * (3 * (x0 + 1) + 5 * y);
    EXPECT_NEAR(w.Interplate(x, y), expect, 1e-4) << x << "," << y;
  }
  EXPECT_EQ(w.Interplate(4, 1.5f), w.m_pHeight[3][2]);
  EXPECT_EQ(w.Interplate(99, 99), w.m_pHeight[8][5]);  // clamped to the last node
  CTGrid<float> empty;
  EXPECT_EQ(empty.Interplate(1, 1), 0.0f);
}

TEST(GeGridProject, MergeNodesMatchABruteForceLoopOverTheNodes) {
  LayerGrid g(8, 6);
  std::mt19937 rng(9);
  std::uniform_real_distribution<float> h(-2, 2);
  g.SetHeights([&](unsigned, unsigned) { return h(rng); });
  g.SetMask(3, 2, 100);
  g.SetMask(4, 2, 50);
  g.SetMask(2, 3, 30);
  Values v(2, 1, 1, 1, 4, 3);  // over nodes (2 .. 5, 1 .. 3)
  v.m_Base = 0.1f;
  v.Fill([&](int c, int r) { return (c + r) % 3 == 0 ? 0.05f : h(rng) + 1.5f; });
  for (int mode = 0; mode < 4; ++mode) {
    std::map<unsigned, float> expect;
    for (int r = 0; r < 6; ++r)
      for (int c = 0; c < 8; ++c) {
        const int vc = c - 2, vr = r - 1;
        if (vc < 0 || vr < 0 || vc >= 4 || vr >= 3) continue;
        const size_t k = c + 8 * r;
        const float val = v.m_pHeight[vr][vc], m = g.m_pColors[k][3];
        if (!(val > v.m_Base) || m >= 100) continue;
        const float s = 1 - m / 100, old = g.H(k);
        const float nh = mode == 0 ? old + s * val
                         : mode == 1 ? old - s * val
                         : mode == 2 ? std::max(old, s * val)
                                     : std::min(old, s * val);
        if (std::fabs(nh - old) > 0.01f) expect[unsigned(k)] = nh;
      }
    std::vector<SRlfNode> nodes;
    g.GetMergeNode(&v, mode, nodes);
    std::map<unsigned, float> got;
    for (const SRlfNode& n : nodes) got[n.index] = n.height;
    ASSERT_EQ(got.size(), nodes.size()) << "each node once";
    ASSERT_EQ(got.size(), expect.size()) << "mode " << mode;
    for (const auto& [k, z] : expect) {
      ASSERT_TRUE(got.count(k)) << k;
      EXPECT_FLOAT_EQ(got[k], z);
      if (mode == 2) {
        EXPECT_GE(got[k], g.H(k));  // the maximum never lowers a node
      }
      EXPECT_NE(k, 3u + 8u * 2u);                // fully masked nodes never appear
    }
  }
  // Nothing is changed by asking, nothing is listed without values or off the grid.
  const float before = g.H(20);
  std::vector<SRlfNode> nodes;
  g.GetMergeNode(nullptr, 0, nodes);
  Values far(100, 100, 1, 1, 3, 3);
  far.Fill([](int, int) { return 5.0f; });
  g.GetMergeNode(&far, 0, nodes);
  EXPECT_TRUE(nodes.empty());
  EXPECT_EQ(g.H(20), before);
}

TEST(GeGridProject, StraightStampMatchesABruteForceStamp) {
  for (int combine = 0; combine < 4; ++combine) {
    SCOPED_TRACE(combine);
    LayerGrid g(20, 16);
    g.SetHeights([](unsigned c, unsigned r) { return (c * 7 + r * 3) % 5 * 0.5f - 1; });
    g.SetMask(6, 6, 100);
    g.SetMask(7, 6, 40);
    Values v(0, 0, 1, 1, 5, 5);
    v.Fill([](int c, int r) { return float(c * c) * 0.2f + float(r); });
    const _tagBox2D box = Box(3.5, 4.5, 11.5, 8.5);  // 8 x 4 over a 4 x 4 stamp
    const float factor = 0.7f;
    std::vector<float> expect(g.m_pHeights, g.m_pHeights + 320);
    std::set<unsigned> changed;
    for (int r = 0; r < 16; ++r)
      for (int c = 0; c < 20; ++c) {
        const size_t k = c + 20 * r;
        const double u = c - 3.5, w = r - 4.5;
        const int m = g.m_pColors[k][3];
        if (u < 0 || u >= 8 || w < 0 || w >= 4 || m >= 100) continue;
        const float add = v.Interplate(float(u / 2), float(w)) * (1 - m / 100.0f) * factor;
        const float old = expect[k];
        const float nh = combine == 0 ? old + add
                         : combine == 1 ? old - add
                         : combine == 2 ? std::max(old, add)
                                        : std::min(old, add);
        if (std::fabs(nh - old) > 0.01f) expect[k] = nh, changed.insert(unsigned(k));
      }
    std::vector<float> before(g.m_pHeights, g.m_pHeights + 320);
    std::vector<SRlfNode> undo{SRlfNode{999, 1}};  // appended to
    g.ModifyWithFloatGrid(&v, box, factor, 0, combine, 0, &undo);
    ASSERT_EQ(undo.size(), changed.size() + 1);
    for (size_t k = 0; k < 320; ++k) {
      EXPECT_FLOAT_EQ(g.H(k), expect[k]) << k;
      EXPECT_FLOAT_EQ(g.m_pNodes[k].z, expect[k]) << "recomposed " << k;
    }
    for (size_t i = 1; i < undo.size(); ++i) {
      EXPECT_TRUE(changed.count(undo[i].index));
      EXPECT_EQ(undo[i].height, before[undo[i].index]) << "previous height for undo";
    }
  }
}

TEST(GeGridProject, TurnedStampStaysInsideItsTurnedBox) {
  LayerGrid g(24, 24);
  Values v(0, 0, 1, 1, 3, 3);
  v.Fill([](int, int) { return 1.0f; });
  const _tagBox2D box = Box(6.3, 8.2, 16.3, 12.2);  // 10 x 4, centre (11.3, 10.2)
  const double angle = 0.7;
  std::vector<SRlfNode> nodes;
  g.ModifyWithFloatGrid(&v, box, 2, float(angle), 0, 0, &nodes);
  // Brute force: nodes whose coordinates, turned back about the centre, fall in the box.
  std::set<unsigned> expect;
  for (int r = 0; r < 24; ++r)
    for (int c = 0; c < 24; ++c) {
      const double dx = c - 11.3, dy = r - 10.2;
      const double x = 11.3 + dx * std::cos(-angle) - dy * std::sin(-angle);
      const double y = 10.2 + dx * std::sin(-angle) + dy * std::cos(-angle);
      if (x >= 6.3 && x < 16.3 && y >= 8.2 && y < 12.2) expect.insert(unsigned(c + 24 * r));
    }
  std::set<unsigned> got;
  for (const SRlfNode& n : nodes) got.insert(n.index);
  EXPECT_EQ(got, expect);
  for (unsigned k = 0; k < 576; ++k) EXPECT_FLOAT_EQ(g.H(k), expect.count(k) ? 2.0f : 0.0f) << k;
  // Erasing with the same turned stamp clears exactly those nodes again.
  std::vector<SRlfNode> erased;
  g.ModifyWithFloatGrid(&v, box, 2, float(angle), 0, 1, &erased);
  EXPECT_EQ(erased.size(), expect.size());
  for (unsigned k = 0; k < 576; ++k) EXPECT_EQ(g.H(k), 0.0f);
}

TEST(GeGridProject, StampsThatCannotApplyChangeNothing) {
  LayerGrid g(10, 10);
  g.SetHeights([](unsigned c, unsigned) { return float(c); });
  std::vector<float> before(g.m_pHeights, g.m_pHeights + 100);
  Values line(0, 0, 1, 1, 1, 4);  // a single column: its last x is its origin
  line.Fill([](int, int) { return 3.0f; });
  Values flat(0, 0, 1, 1, 4, 1);
  flat.Fill([](int, int) { return 3.0f; });
  Values ok(0, 0, 1, 1, 3, 3);
  ok.Fill([](int, int) { return 3.0f; });
  const struct {
    CTGrid<float>* values;
    _tagBox2D box;
    float factor, angle;
  } cases[] = {
      {&line, Box(2, 2, 6, 6), 1, 0},   {&flat, Box(2, 2, 6, 6), 1, 0.5f},
      {nullptr, Box(2, 2, 6, 6), 1, 0}, {&ok, Box(6, 6, 2, 2), 1, 0},
      {&ok, Box(2, 2, 2, 6), 1, 0},     {&ok, Box(2, 2, 6, 6), NAN, 0},
      {&ok, Box(2, 2, 6, 6), 1, NAN},   {&ok, Box(40, 40, 60, 60), 1, 0},
  };
  for (const auto& tc : cases) {
    std::vector<SRlfNode> nodes;
    g.ModifyWithFloatGrid(tc.values, tc.box, tc.factor, tc.angle, 0, 0, &nodes);
    EXPECT_TRUE(nodes.empty());
  }
  for (size_t k = 0; k < 100; ++k) ASSERT_EQ(g.H(k), before[k]);
  // A null undo list still stamps.
  g.ModifyWithFloatGrid(&ok, Box(2, 2, 6, 6), 1, 0, 0, 0, nullptr);
  EXPECT_FLOAT_EQ(g.H(3 + 10 * 3), 6.0f);
  // Straight erase: the area's non-zero heights are listed and cleared.
  std::vector<SRlfNode> erased;
  g.ModifyWithFloatGrid(&ok, Box(2, 2, 6, 6), 1, 0, 0, 1, &erased);
  EXPECT_EQ(erased.size(), 16u);  // columns 2 .. 5 of rows 2 .. 5
  EXPECT_EQ(g.H(3 + 10 * 3), 0.0f);
  EXPECT_EQ(g.H(6 + 10 * 3), 6.0f);
}

TEST(GeGridMesh, ShowRectangleMesh) {
  CGeGrid g;
  float o[3] = {0, 0, 0};
  ASSERT_EQ(g.Create(o, 2, 10, 12, 0), 1);
  g.SetZHeight(6, 8, 5);
  g.SetShowRange(5, 7, 7, 9);
  std::unique_ptr<CGeMesh> m(g.ToMesh());
  ASSERT_TRUE(m);
  ASSERT_EQ(m->vertices.size(), 9u);
  ASSERT_EQ(m->faces.size(), 8u);
  EXPECT_EQ(m->normals.size(), 9u);
  EXPECT_EQ(m->faces[0][0], 0);
  EXPECT_EQ(m->faces[0][1], 1);
  EXPECT_EQ(m->faces[0][2], 3);
  EXPECT_EQ(m->vertices[0].x, g.Node(5, 7).x);
  EXPECT_EQ(m->vertices[4].z, 5.0f);
  EXPECT_EQ(m->vertices[8].y, g.Node(7, 9).y);
  EXPECT_EQ(m->m_UIsoCurveList.GetCount(), 4);
  EXPECT_EQ(m->m_VIsoCurveList.GetCount(), 4);
  EXPECT_DOUBLE_EQ(m->m_box.min[0], 10);
  EXPECT_DOUBLE_EQ(m->m_box.max[1], 18);
  EXPECT_DOUBLE_EQ(m->m_box.max[2], 5);
  // The whole grid: every face counter-clockwise seen from above, every cell covered once.
  g.SetShowRange(0, 0, 9, 11);
  m.reset(g.ToMesh());
  ASSERT_EQ(m->faces.size(), 2u * 9 * 11);
  double area = 0;
  for (const auto& f : m->faces) {
    const CPoint3d &a = m->vertices[f[0]], &b = m->vertices[f[1]], &c = m->vertices[f[2]];
    const double s = ((b.x - a.x) * (c.y - a.y) - (b.y - a.y) * (c.x - a.x)) / 2;
    EXPECT_GT(s, 0);
    area += s;
  }
  EXPECT_DOUBLE_EQ(area, 18.0 * 22.0);
}

TEST(GeGridMesh, BoxMeshIsTrimmedToTheHeightsAndPutOntoTheBox) {
  CGeGrid g;
  float o[3] = {0, 0, 0};
  ASSERT_EQ(g.Create(o, 1, 12, 10, 0), 1);
  // All heights within 0.002 of zero: nothing to mesh.
  g.SetZHeight(4, 4, 0.0015f);
  EXPECT_EQ(g.ToMesh(Box(0, 0, 12, 10)), nullptr);
  for (int r = 2; r <= 5; ++r)
    for (int c = 3; c <= 7; ++c) g.SetZHeight(c, r, 1 + c * 0.1f);
  std::unique_ptr<CGeMesh> m(g.ToMesh(Box(-3, -3, 30, 30)));
  ASSERT_TRUE(m);
  EXPECT_EQ(m->vertices.size(), 20u);  // columns 3 .. 7, rows 2 .. 5
  EXPECT_EQ(m->faces.size(), 24u);
  EXPECT_EQ(m->vertices[0].x, 3.0f);
  EXPECT_EQ(m->vertices[0].y, 2.0f);
  // A box cutting into the heights: the last row moves onto the box's upper y.
  m.reset(g.ToMesh(Box(3.5, -5, 20, 4.6)));
  ASSERT_TRUE(m);
  ASSERT_EQ(m->vertices.size(), 16u);  // columns 4 .. 7, rows 2 .. 5
  for (int x = 0; x < 4; ++x) {
    EXPECT_FLOAT_EQ(m->vertices[12 + x].y, 4.6f) << x;
    EXPECT_FLOAT_EQ(m->vertices[x].y, 2.0f) << x;
  }
  EXPECT_FLOAT_EQ(m->vertices[5].x, 5.0f);  // inner vertices stay
  EXPECT_FLOAT_EQ(m->vertices[5].y, 3.0f);
  EXPECT_DOUBLE_EQ(m->m_box.max[1], 4.6f);
  EXPECT_GT(m->m_UIsoCurveList.GetCount() + m->m_VIsoCurveList.GetCount(), 0);
  EXPECT_EQ(g.ToMesh(Box(50, 50, 60, 60)), nullptr);
}

TEST(GeGridMesh, RegionMeshCoversTheRegionAndFailsWithoutOverlap) {
  CGeGrid g;
  float o[3] = {0, 0, 0};
  ASSERT_EQ(g.Create(o, 1, 20, 20, 0), 1);
  auto region = [](std::vector<std::pair<double, double>> corners) {
    corners.push_back(corners.front());
    auto* poly = new CGePolyline;
    EXPECT_EQ(poly->Create(int(corners.size()), reinterpret_cast<const double(*)[2]>(corners.data())), 1);
    poly->m_nClosed = 1;
    poly->Discrete(0.01);
    auto* loop = new CGeLoop;
    loop->AddTail(poly, 1);
    loop->Discrete(0.01);
    auto* r = new CGeRegion;
    r->m_LoopList.AddTail(loop);
    r->CalcBox2d();
    return std::unique_ptr<CGeRegion>(r);
  };
  auto square = [&](double x0, double y0, double x1, double y1) {
    return region({{x0, y0}, {x1, y0}, {x1, y1}, {x0, y1}});
  };
  std::vector<unsigned> nodes;
  EXPECT_EQ(g.ToMesh(static_cast<CGeRegion*>(nullptr), &nodes), nullptr);
  CGeRegion none;
  EXPECT_EQ(g.ToMesh(&none, &nodes), nullptr);
  EXPECT_EQ(g.ToMesh(square(40, 40, 50, 50).get(), &nodes), nullptr);
  // Outside the show window, though on the grid.
  g.SetShowRange(0, 0, 5, 5);
  EXPECT_EQ(g.ToMesh(square(8.5, 8.5, 12.5, 12.5).get(), &nodes), nullptr);
  // Boxes overlap but the region misses the window: the tessellator gets no loop, and its
  // failure comes back as no mesh.
  EXPECT_EQ(g.ToMesh(region({{6, -2}, {12, -2}, {12, 12}, {-2, 12}, {-2, 6}, {6, 6}}).get(), &nodes),
            nullptr);
  // A region inside the window: the mesh covers exactly the region, lists the grid nodes inside
  // it (x 2..4, y 2..3), takes the grid's heights, and leaves the region as it was.
  g.SetShowRange(0, 0, 19, 19);
  for (int r = 0; r < 20; ++r)
    for (int c = 0; c < 20; ++c) g.SetZHeight(c, r, float(Plane(c, r)));
  auto inside = square(1.5, 1.5, 4.5, 3.5);
  const double area = inside->EvArea(0.01);
  std::unique_ptr<CGeMesh> m(g.ToMesh(inside.get(), &nodes));
  ASSERT_NE(m, nullptr);
  ASSERT_FALSE(m->faces.empty());
  double meshArea = 0;
  for (const auto& f : m->faces) {
    const CPoint3d &a = m->vertices[f[0]], &b = m->vertices[f[1]], &c = m->vertices[f[2]];
    meshArea += 0.5 * ((b.x - a.x) * (c.y - a.y) - (b.y - a.y) * (c.x - a.x));
  }
  EXPECT_NEAR(meshArea, std::fabs(area), 1e-6);
  EXPECT_EQ(nodes.size(), 6u);
  // On a planar grid both node heights and interpolated boundary heights lie on the plane.
  for (const auto& v : m->vertices) EXPECT_NEAR(v.z, Plane(v.x, v.y), 1e-5);
  EXPECT_EQ(m->normals.size(), m->vertices.size());
  EXPECT_EQ(inside->m_LoopList.GetCount(), 1);
  EXPECT_DOUBLE_EQ(inside->EvArea(0.01), area);
}
