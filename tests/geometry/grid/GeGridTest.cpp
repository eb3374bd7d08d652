// The relief height grid: creation, lookup and interpolation, layers it holds, normals, picking.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <random>

#include "support/VurodeFixture.h"
#include "geometry/grid/GeGrid.h"
#include "geometry/shapes2d/GeShape2d.h"
#include "platform/vurode/OpenGLDC.h"
#include "platform/vurode/ViewState.h"

namespace {

// Grid with z = f(col, row) in every node.
template <class F>
void Fill(CGeGrid& g, F f) {
  for (unsigned r = 0; r < g.GetRows(); ++r)
    for (unsigned c = 0; c < g.GetCols(); ++c) g.SetZHeight(int(c), int(r), f(c, r));
}

}  // namespace

TEST(GeGrid, CreateRefusesUnusableSizesAndKeepsTheGrid) {
  CGeGrid g;
  float o[3] = {0, 0, 0};
  ASSERT_EQ(g.Create(o, 1, 2, 2, 0), 1);
  const struct {
    float cell;
    int cols, rows;
  } bad[] = {{1, 1, 5}, {1, 5, 1}, {1, -3, 4}, {0, 4, 4}, {-1, 4, 4}, {NAN, 4, 4}, {1, 1 << 20, 1 << 20}};
  for (const auto& b : bad) EXPECT_EQ(g.Create(o, b.cell, b.cols, b.rows, 0), 0) << b.cols;
  EXPECT_EQ(g.GetCols(), 2u);
  EXPECT_EQ(g.GetShowRect(), CRect(0, 0, 1, 1));
  EXPECT_EQ(g.m_LayerList.GetCount(), 1);
  ASSERT_NE(g.GetCurLayer(), nullptr);
  EXPECT_TRUE(g.GetCurLayer()->GetName() == CString(L"Layer 0"));
  EXPECT_EQ(g.GetCurLayer()->m_pHeight, g.m_pHeights);
  EXPECT_EQ(g.GetType(), GE_TYPE_GRID);
  EXPECT_EQ(g.m_pColors[3][0], 146);
  EXPECT_EQ(g.m_pColors[3][3], 0);
  EXPECT_EQ(g.Node(1, 1).nz, 1.0f);
  // Re-creating over existing nodes releases the old buffers (checked under the sanitizer).
  ASSERT_EQ(g.Create(o, 1, 3, 2, 0), 1);
  EXPECT_EQ(g.m_LayerList.GetCount(), 1);
}

TEST(GeGrid, NodePositionsAndBox) {
  CGeGrid g;
  float o[3] = {10, 20, 0};
  ASSERT_EQ(g.Create(o, 0.5f, 4, 3, 2), 1);
  EXPECT_FLOAT_EQ(g.Node(3, 2).x, 11.5f);
  EXPECT_FLOAT_EQ(g.Node(3, 2).y, 21.0f);
  EXPECT_FLOAT_EQ(g.Node(3, 2).z, 2.0f);
  _tagBox3D b;
  g.GetBox(&b);
  EXPECT_DOUBLE_EQ(b.min[0], 10);
  EXPECT_DOUBLE_EQ(b.max[0], 12);
  EXPECT_DOUBLE_EQ(b.min[1], 20);
  EXPECT_DOUBLE_EQ(b.max[1], 21.5);
  EXPECT_DOUBLE_EQ(b.min[2], 0);
  EXPECT_DOUBLE_EQ(b.max[2], 2);
  g.SetZHeight(1, 1, -4);
  g.CalcBox();
  EXPECT_DOUBLE_EQ(g.m_box.min[2], -4);
  EXPECT_DOUBLE_EQ(g.m_box.max[2], 2);
  float o2[3] = {-1, 5, 0};
  g.ModifyOrigin(o2);
  EXPECT_FLOAT_EQ(g.Node(3, 2).x, 0.5f);
  EXPECT_FLOAT_EQ(g.Node(3, 2).y, 6.0f);
  EXPECT_DOUBLE_EQ(g.m_box.max[0], 1);
  EXPECT_DOUBLE_EQ(g.m_box.max[1], 6.5);
  EXPECT_DOUBLE_EQ(g.m_box.min[2], -4);
}

TEST(GeGrid, InterplateMatchesNodesCellCentresAndClamps) {
  CGeGrid g;
  float o[3] = {3, -2, 0};
  ASSERT_EQ(g.Create(o, 0.25f, 9, 7, 0), 1);
  auto plane = [](double dx, double dy) { return 1.5 + 0.8 * dx - 2.25 * dy; };
  Fill(g, [&](unsigned c, unsigned r) { return float(plane(0.25 * c, 0.25 * r)); });
  for (unsigned r = 0; r + 1 < 7; ++r)
    for (unsigned c = 0; c + 1 < 9; ++c) {
      EXPECT_EQ(g.Interplate(0.25f * c, 0.25f * r), g.Node(c, r).z);
      const float cx = 0.25f * c + 0.125f, cy = 0.25f * r + 0.125f;
      EXPECT_NEAR(g.Interplate(cx, cy), plane(cx, cy), 1e-5);
      // Along a cell side only one direction interpolates: exact on a plane.
      EXPECT_NEAR(g.Interplate(cx, 0.25f * r), plane(cx, 0.25 * r), 1e-5);
    }
  // Beyond the last column or row: the border values, interpolated along the border.
  EXPECT_NEAR(g.Interplate(7.0f, 0.625f), plane(2.0, 0.625), 1e-5);
  EXPECT_NEAR(g.Interplate(-3.0f, -1.0f), plane(0, 0), 1e-6);
  EXPECT_NEAR(g.Interplate(1e30f, 1e30f), plane(2.0, 1.5), 1e-5);
  // Inside a cell the four side interpolations are averaged, which is not bilinear:
  // 0.25 * (0.0625 / 0.25 + 0.125 / 0.25) here, where bilinear would give 0.125.
  Fill(g, [](unsigned c, unsigned r) { return c == 1 && r == 1 ? 1.0f : 0.0f; });
  EXPECT_FLOAT_EQ(g.Interplate(0.0625f, 0.125f), 0.1875f);
}

TEST(GeGrid, GetIndexFindsTheNearestNode) {
  CGeGrid g;
  float o[3] = {-1, 4, 0};
  ASSERT_EQ(g.Create(o, 0.5f, 37, 5, 0), 1);
  const struct {
    float v;
    int axis, expect;
  } cases[] = {{-1.0f + 0.005f + 3 * 0.5f, 0, 3},  // just above node 3
               {-1.0f + 10.25f, 0, 21},           // half way between 20 and 21: the higher
               {-50, 0, 0},
               {50, 0, 36},
               {4.74f, 1, 1},
               {5.9f, 1, 4}};
  for (const auto& c : cases) EXPECT_EQ(g.Get_Index(c.v, c.axis), c.expect) << c.v;
  std::mt19937 rng(5);
  std::uniform_real_distribution<float> u(-1, 17);
  for (int k = 0; k < 500; ++k) {
    const float v = u(rng);
    int best = 0;
    for (int j = 1; j < 37; ++j)
      if (std::fabs(v - g.Node(j, 0).x) < std::fabs(v - g.Node(best, 0).x)) best = j;
    const int got = g.Get_Index(v, 0);
    ASSERT_NEAR(std::fabs(v - g.Node(got, 0).x), std::fabs(v - g.Node(best, 0).x), 0.0101f) << v;
  }
}

TEST(GeGrid, CopyKeepsHeightsAndNormalsButNotLayers) {
  CGeGrid g;
  float o[3] = {1, 2, 0};
  ASSERT_EQ(g.Create(o, 2, 5, 4, 0), 1);
  Fill(g, [](unsigned c, unsigned r) { return float(c * c) - float(r); });
  g.ComputerNormal();
  auto* second = new CRlfLayer(5, 4, 1);
  g.m_LayerList.AddTail(second);
  g.m_pHeights[7] = 9;
  std::unique_ptr<CGeGrid> copy(g.Copy());
  ASSERT_EQ(copy->GetCols(), 5u);
  for (unsigned r = 0; r < 4; ++r)
    for (unsigned c = 0; c < 5; ++c) {
      const SGridNode &a = g.Node(c, r), &b = copy->Node(c, r);
      EXPECT_EQ(a.x, b.x);
      EXPECT_EQ(a.z, b.z);
      EXPECT_EQ(a.nx, b.nx);
      EXPECT_EQ(a.nz, b.nz);
    }
  EXPECT_EQ(copy->m_LayerList.GetCount(), 1);
  EXPECT_EQ(copy->m_pHeights[7], 0.0f);
  EXPECT_EQ(copy->GetType(), GE_TYPE_GRID);
}

TEST(GeGrid, LayersShowRangeAndLocalRect) {
  CGeGrid g, other;
  float o[3] = {0, 0, 0};
  ASSERT_EQ(g.Create(o, 1, 6, 4, 0), 1);
  ASSERT_EQ(other.Create(o, 1, 6, 4, 0), 1);
  CRlfLayer* first = g.GetCurLayer();
  EXPECT_EQ(g.IsValidLayer(nullptr), 0);
  EXPECT_EQ(g.IsValidLayer(other.GetCurLayer()), 0);
  EXPECT_EQ(g.IsValidLayer(first), 1);

  // Switching layers keeps each one's heights; a new layer starts empty.
  g.m_pHeights[3] = 2.5f;
  g.m_pHeights[23] = -1;
  auto* second = new CRlfLayer(6, 4, 0);
  g.m_LayerList.AddTail(second);
  g.SetCurLayer(second);
  EXPECT_EQ(g.GetCurLayer(), second);
  EXPECT_EQ(g.m_pHeights[3], 0.0f);
  EXPECT_EQ(first->GetHeightFromRowIndex(3), 2.5f);
  EXPECT_EQ(first->GetHeightFromRowIndex(23), -1.0f);
  EXPECT_EQ(first->GetHeightFromRowIndex(4), 0.0f);
  g.m_pHeights[10] = 7;
  g.SetCurLayer(first);
  EXPECT_EQ(g.m_pHeights[3], 2.5f);
  EXPECT_EQ(g.m_pHeights[10], 0.0f);
  EXPECT_EQ(second->GetHeightFromRowIndex(10), 7.0f);
  g.SetCurLayer(other.GetCurLayer());  // not ours: ignored
  EXPECT_EQ(g.GetCurLayer(), first);

  g.m_pAllStrip = new uint32_t[4];
  g.m_pRoughStrip = new uint32_t[4];
  g.m_pLocStrip = new uint32_t[4];
  g.SetShowRange(0, 0, 5, 3);  // unchanged
  EXPECT_NE(g.m_pAllStrip, nullptr);
  g.SetShowRange(1, 0, 5, 3);
  EXPECT_EQ(g.m_pAllStrip, nullptr);
  EXPECT_EQ(g.m_pRoughStrip, nullptr);
  EXPECT_NE(g.m_pLocStrip, nullptr);
  unsigned l, t, r, b;
  g.GetShowRange(l, t, r, b);
  EXPECT_EQ(l + t + r + b, 9u);

  std::vector<SRlfNode> nodes = {{8, 0}, {21, 0}, {13, 0}};
  EXPECT_EQ(g.CreateLocalRect(&nodes), CRect(1, 1, 3, 3));
  std::vector<SRlfNode> none;
  EXPECT_TRUE(g.CreateLocalRect(&none).IsRectEmpty());
  EXPECT_TRUE(g.CreateLocalRect(nullptr).IsRectEmpty());
}

TEST(GeGrid, NormalsOfATiltedPlaneAreExact) {
  CGeGrid g;
  float o[3] = {0, 0, 0};
  ASSERT_EQ(g.Create(o, 0.1f, 12, 9, 0), 1);  // small cells: the old normals must not linger
  const float a = 0.75f, b = -1.5f;
  Fill(g, [&](unsigned c, unsigned r) { return a * 0.1f * c + b * 0.1f * r; });
  g.ComputerNormal();
  const float len = std::sqrt(a * a + b * b + 1);
  for (unsigned r = 0; r < 9; ++r)
    for (unsigned c = 0; c < 12; ++c) {
      const SGridNode& n = g.Node(c, r);
      ASSERT_NEAR(n.nx, -a / len, 1e-5);
      ASSERT_NEAR(n.ny, -b / len, 1e-5);
      ASSERT_NEAR(n.nz, 1 / len, 1e-5);
    }
}

TEST(GeGrid, ScaleHeights) {
  CGeGrid g;
  float o[3] = {0, 0, 0};
  ASSERT_EQ(g.Create(o, 1, 3, 3, 4), 1);
  g.ScaleHeights(10, 0);  // all equal: heights stay, box takes the range
  EXPECT_EQ(g.Node(1, 1).z, 4.0f);
  EXPECT_DOUBLE_EQ(g.m_box.min[2], 0);
  EXPECT_DOUBLE_EQ(g.m_box.max[2], 10);
  Fill(g, [](unsigned c, unsigned r) { return float(c + 3 * r); });
  g.ScaleHeights(-2, 6);
  EXPECT_FLOAT_EQ(g.Node(0, 0).z, -2);
  EXPECT_FLOAT_EQ(g.Node(2, 2).z, 6);
  EXPECT_FLOAT_EQ(g.Node(1, 1).z, 2);
}

TEST(GeGrid, ArchiveHoldsNoGridData) {
  CGeGrid g;
  float o[3] = {0, 0, 0};
  ASSERT_EQ(g.Create(o, 1, 4, 4, 0), 1);
  g.SetZHeight(1, 1, 3);
  CMemFile file;
  {
    CArchive ar(&file, CArchive::store);
    g.Serialize(ar);
    EXPECT_EQ(g.SerializeEx(ar), 1);
    ar.Close();
  }
  EXPECT_EQ(file.GetLength(), 0u);
  // Through the object format only the class record travels; the loaded grid is empty.
  {
    CArchive ar(&file, CArchive::store);
    const CObject* ob = &g;
    ar << ob;
    ar.Close();
  }
  file.SeekToBegin();
  CArchive in(&file, CArchive::load);
  CObject* loaded = nullptr;
  in >> loaded;
  std::unique_ptr<CObject> owner(loaded);
  auto* grid = dynamic_cast<CGeGrid*>(loaded);
  ASSERT_NE(grid, nullptr);
  EXPECT_STREQ(grid->GetRuntimeClass()->m_lpszClassName, "CGeGrid");
  EXPECT_EQ(grid->GetRuntimeClass()->m_wSchema, 0x80000001u);
  EXPECT_EQ(grid->m_pNodes, nullptr);
  EXPECT_EQ(grid->GetCurLayer(), nullptr);
}

class GeGridPick : public VurodeTest {};

TEST_F(GeGridPick, PicksTheNodeNearestOnScreen) {
  CGeGrid g;
  float o[3] = {-20, -15, 0};
  ASSERT_EQ(g.Create(o, 0.2f, 230, 160, 0), 1);  // sampled every 2nd column
  Fill(g, [](unsigned c, unsigned r) { return 0.01f * float(c) - 0.02f * float(r); });
  CPoint3d node;
  int index[2] = {-1, -1};
  EXPECT_EQ(g.GetPickedNode(CPoint(1, 1), node, index), 0);  // no drawing context

  CVurode view;
  COpenGLDC dc;
  gSetVurode(&view);
  gSetOpenGLDC(&dc);
  for (bool tilted : {false, true}) {
    const double eye[3] = {tilted ? -10.0 : 3.0, tilted ? -40.0 : 1.0, 50};
    const double ref[3] = {3, 1, 0}, up[3] = {0, 1, 0};
    dc.GetCamera().set_view(eye, ref, up);
    dc.GetCamera().set_screen(400, 300);
    dc.GetCamera().set_view_rect(60, 45);
    g.ClearScreenVet();
    std::mt19937 rng(11);
    std::uniform_int_distribution<int> sx(0, 399), sy(0, 299);
    for (int k = 0; k < 60; ++k) {
      const CPoint pt(sx(rng), sy(rng));
      ASSERT_EQ(g.GetPickedNode(pt, node, index), 1);
      // Brute force over every node with the camera's own projection.
      double best = 1e18;
      for (unsigned r = 0; r < g.GetRows(); ++r)
        for (unsigned c = 0; c < g.GetCols(); ++c) {
          const SGridNode& n = g.Node(c, r);
          const double p[3] = {n.x, n.y, n.z};
          double x, y;
          ASSERT_TRUE(dc.GetCamera().world_to_screen(p, x, y));
          best = std::min(best, std::hypot(std::trunc(x) - pt.x, std::trunc(y) - pt.y));
        }
      const SGridNode& n = g.Node(index[0], index[1]);
      EXPECT_EQ(node.x, n.x);
      const double p[3] = {n.x, n.y, n.z};
      double x, y;
      dc.GetCamera().world_to_screen(p, x, y);
      // An early stop may accept a node within sqrt(3) pixels of the point.
      EXPECT_LE(std::hypot(std::trunc(x) - pt.x, std::trunc(y) - pt.y), std::max(best, std::sqrt(3.0)) + 1.0)
          << tilted << " " << pt.x << "," << pt.y;
    }
  }
}
