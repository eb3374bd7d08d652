// Drawing of the relief grid: strip index lists, buffer objects, pixels of the solid grid, the
// local update over the cached frame, the wire frame.
#define GL_GLEXT_PROTOTYPES 1
#include <GL/gl.h>
#include <GL/glext.h>
#include <gtest/gtest.h>

#include <set>
#include <vector>

#include "geometry/grid/GeGrid.h"
#include "platform/vurode/ViewState.h"
#include "support/GLContext.h"

namespace {

constexpr COLORREF kPlain = RGB(146, 118, 44);
constexpr COLORREF kMasked = RGB(58, 47, 18);
constexpr COLORREF kWhite = RGB(255, 255, 255);

class GridDraw : public GLTest {
 protected:
  void SetUp() override {
    GLTest::SetUp();
    if (IsSkipped() || HasFatalFailure()) return;
    view.SetViewRect(CRect(0, 0, 64, 64));
    view.SetSrfShowMode(0);
    gSetVurode(&view);
  }
  // cols x rows nodes 4 apart from (-8, -8); the plan view shows [-16, 16]^2 at 2 px a unit.
  void Make(int cols, int rows) {
    float o[3] = {-8, -8, 0};
    ASSERT_EQ(g.Create(o, 4, cols, rows, 0), 1);
  }
  void Frame() {
    SetPlanView(-16, 16, -16, 16);
    dc().SetBkColor(kWhite);
    dc().Ready();
  }
  // Pixel of world point (x, y).
  COLORREF At(double x, double y) { return gl().PixelAt(int((x + 16) * 2), int((16 - y) * 2)); }
  void Paint(int c0, int r0, int c1, int r1, const uint8_t rgb[3]) {
    for (int r = r0; r <= r1; ++r)
      for (int c = c0; c <= c1; ++c)
        for (int k = 0; k < 3; ++k) g.m_pColors[c + r * g.GetCols()][k] = rgb[k];
  }

  CVurode view;
  CGeGrid g;
};

std::vector<uint32_t> Strip(const uint32_t* list, uint32_t n) { return {list, list + n}; }

TEST_F(GridDraw, StripOfThreeByThreeJoinsRowsThroughDegeneratePair) {
  Make(3, 3);
  g.CreateAllStrip(CRect(0, 0, 2, 2));
  EXPECT_EQ(Strip(g.m_pAllStrip, g.m_nAllStrip),
            (std::vector<uint32_t>{3, 0, 4, 1, 5, 2, 2, 6, 6, 3, 7, 4, 8, 5}));
}

// Every triangle of a strip is degenerate or half of one step x step cell of the rectangle, and
// each cell is covered exactly twice; only rows and columns on the step are touched.
TEST_F(GridDraw, StripTrianglesCoverEachCellOnceAndNothingElse) {
  Make(9, 8);
  const struct {
    CRect rect;
    unsigned step;
  } cases[] = {{{0, 0, 8, 7}, 1}, {{0, 0, 4, 4}, 2}, {{1, 2, 8, 7}, 2}, {{2, 1, 7, 6}, 1},
               {{0, 0, 7, 7}, 2}, {{3, 3, 3, 6}, 1}, {{-3, -1, 20, 20}, 1}};
  for (const auto& tc : cases) {
    SCOPED_TRACE(testing::Message() << tc.rect.left << "," << tc.rect.top << "," << tc.rect.right
                                    << "," << tc.rect.bottom << " step " << tc.step);
    uint32_t* list = nullptr;
    uint32_t count = 0, capacity = 0;
    g.CreateTStrip(tc.rect, tc.step, list, count, capacity);
    const int l = std::max(0L, long(tc.rect.left)), t = std::max(0L, long(tc.rect.top));
    const int r = std::min(8L, long(tc.rect.right)), b = std::min(7L, long(tc.rect.bottom));
    const int s = int(tc.step), nx = (r - l) / s, ny = (b - t) / s;
    ASSERT_NE(list, nullptr);
    ASSERT_LE(count, capacity);
    std::vector<int> halves(size_t(nx) * ny, 0);
    for (uint32_t i = 0; i < count; ++i) {
      const int c = int(list[i] % 9), row = int(list[i] / 9);
      EXPECT_TRUE(c >= l && c <= r && (c - l) % s == 0 && row >= t && row <= b &&
                  (row - t) % s == 0);
    }
    for (uint32_t i = 2; i < count; ++i) {
      const uint32_t v[3] = {list[i - 2], list[i - 1], list[i]};
      if (v[0] == v[1] || v[1] == v[2] || v[0] == v[2]) continue;
      int cmin = 99, rmin = 99, cmax = -1, rmax = -1;
      for (uint32_t k : v) {
        cmin = std::min(cmin, int(k % 9)), cmax = std::max(cmax, int(k % 9));
        rmin = std::min(rmin, int(k / 9)), rmax = std::max(rmax, int(k / 9));
      }
      ASSERT_EQ(cmax - cmin, s);
      ASSERT_EQ(rmax - rmin, s);
      ++halves[size_t((rmin - t) / s) * nx + (cmin - l) / s];
    }
    for (int h : halves) EXPECT_EQ(h, 2);
    delete[] list;
  }
}

TEST_F(GridDraw, EmptyOrFlatRectanglesMakeNoList) {
  Make(5, 5);
  for (CRect rc : {CRect(0, 2, 4, 2), CRect(3, 0, 1, 4), CRect(7, 0, 9, 4)}) {
    uint32_t* list = nullptr;
    uint32_t count = 0, capacity = 0;
    g.CreateTStrip(rc, 1, list, count, capacity);
    EXPECT_EQ(list, nullptr);
    EXPECT_EQ(count, 0u);
  }
}

TEST_F(GridDraw, LocalStripStartsOnEvenRowAndColumnAndReusesItsList) {
  Make(10, 10);
  g.CreateLocalStrip(CRect(3, 5, 6, 8));
  ASSERT_GE(g.m_nLocStrip, 2u);
  EXPECT_EQ(g.m_pLocStrip[0], 2u + 5 * 10);  // (column 2, row 5) then (2, 4)
  EXPECT_EQ(g.m_pLocStrip[1], 2u + 4 * 10);
  const uint32_t* first = g.m_pLocStrip;
  g.CreateLocalStrip(CRect(4, 4, 5, 5));
  EXPECT_EQ(g.m_pLocStrip, first);
  EXPECT_EQ(Strip(g.m_pLocStrip, g.m_nLocStrip), (std::vector<uint32_t>{54, 44, 55, 45}));
  gSetVurode(nullptr);
  g.CreateLocalStrip(CRect(0, 0, 9, 9));
  EXPECT_EQ(g.m_nLocStrip, 4u);
}

TEST_F(GridDraw, BufferObjectsHoldTheListAndNodesAndAreLeftUnbound) {
  if (!dc().IsSupportBufferObject()) GTEST_SKIP() << "no buffer objects";
  Make(4, 3);
  g.SetZHeight(2, 1, 5.5f);
  g.CreateAllStrip(CRect(0, 0, 3, 2));
  const GLuint indexBuf = g.m_nIndexBuf;
  ASSERT_NE(indexBuf, 0u);
  g.CreateRoughStrip(CRect(0, 0, 3, 2));
  g.CreateAllStrip(CRect(0, 0, 3, 2));
  EXPECT_EQ(g.m_nIndexBuf, indexBuf);  // refilled, not a new buffer each time
  g.BuildVBOs();
  g.BuildVBOs();
  ASSERT_NE(g.m_nNodeBuf, 0u);
  GLint bound = -1;
  glGetIntegerv(GL_ELEMENT_ARRAY_BUFFER_BINDING, &bound);
  EXPECT_EQ(bound, 0);
  glGetIntegerv(GL_ARRAY_BUFFER_BINDING, &bound);
  EXPECT_EQ(bound, 0);

  std::vector<uint32_t> idx(g.m_nAllStrip);
  glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, indexBuf);
  glGetBufferSubData(GL_ELEMENT_ARRAY_BUFFER, 0, GLsizeiptr(idx.size() * 4), idx.data());
  EXPECT_EQ(idx, Strip(g.m_pAllStrip, g.m_nAllStrip));
  std::vector<SGridNode> nodes(12);
  glBindBuffer(GL_ARRAY_BUFFER, g.m_nNodeBuf);
  glGetBufferSubData(GL_ARRAY_BUFFER, 0, GLsizeiptr(nodes.size() * 24), nodes.data());
  EXPECT_EQ(nodes[2 + 4].z, 5.5f);
  EXPECT_EQ(nodes[11].x, 4.0f);
  glBindBuffer(GL_ARRAY_BUFFER, 0);
  glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);
}

TEST_F(GridDraw, SolidGridShowsNodeColoursOnlyInsideItsExtent) {
  Make(5, 5);  // world -8 .. 8
  Paint(0, 3, 4, 4, GRID_MASKED_RGB);
  Frame();
  g.DrawGL(&dc(), 0);
  dc().Finish();
  EXPECT_EQ(At(-6, -6), kPlain);
  EXPECT_EQ(At(6, -6), kPlain);
  EXPECT_EQ(At(-6, 6), kMasked);  // cells between rows 3 and 4
  EXPECT_EQ(At(-12, 0), kWhite);
  EXPECT_EQ(At(0, 12), kWhite);
  EXPECT_EQ(gl().CountPixels(kPlain) + gl().CountPixels(kMasked) +
                gl().CountPixels(RGB(0, 0, 0)) + gl().CountPixels(kWhite),
            64 * 64);
  EXPECT_NEAR(gl().CountPixels(kPlain) + gl().CountPixels(kMasked), 32 * 32, 2 * 33);
  EXPECT_NE(g.m_pAllStrip, nullptr);
  EXPECT_EQ(g.m_pRoughStrip, nullptr);
}

TEST_F(GridDraw, SmallCellsOnScreenDrawTheRoughStrip) {
  Make(5, 5);
  ASSERT_TRUE(view.SetScale(0.1));  // two cells 0.8 px
  Frame();
  g.DrawGL(&dc(), 0);
  dc().Finish();
  EXPECT_EQ(g.m_pAllStrip, nullptr);
  ASSERT_NE(g.m_pRoughStrip, nullptr);
  EXPECT_EQ(At(0, 0), kPlain);
  EXPECT_EQ(At(7, 7), kPlain);
}

TEST_F(GridDraw, ModesAndTypesThatDrawNoSolid) {
  Make(5, 5);
  const struct {
    unsigned mode;
    int type;
    int animate;
    bool wire;
  } cases[] = {{3, 0, 0, false}, {0, 1, 0, false}, {2, 0, 0, true}, {0, 3, 0, true},
               {0, 0, 1, true}, {4, 3, 0, true}};
  for (const auto& tc : cases) {
    SCOPED_TRACE(testing::Message() << "mode " << tc.mode << " type " << tc.type);
    view.SetSrfShowMode(tc.mode);
    gSetAnimateView(tc.animate);
    Frame();
    g.DrawGL(&dc(), tc.type);
    dc().Finish();
    EXPECT_EQ(gl().CountPixels(kPlain), 0);
    EXPECT_EQ(gl().CountPixels(RGB(0, 0, 0)) > 0, tc.wire);
  }
}

// Row lines run to the node before the right column, column lines to the node before the bottom
// row (the highest row index).
TEST_F(GridDraw, WireFrameOfThreeRowsDrawsEveryRowShortOfTheLastCell) {
  Make(5, 3);  // columns at x -8 .. 8, rows at y -8, -4, 0
  Frame();
  glEnable(GL_LIGHTING);
  dc().SetColor(RGB(10, 20, 30));
  g.DrawGL_WireFrame(&dc());
  dc().Finish();
  EXPECT_TRUE(glIsEnabled(GL_LIGHTING));
  EXPECT_EQ(dc().GetColor(), RGB(10, 20, 30));
  // The line may fall on the pixel row (or column) either side of the node coordinate.
  auto blackRow = [&](double x, double y) {
    const int px = int((x + 16) * 2), py = int((16 - y) * 2);
    return gl().PixelAt(px, py) == 0 || gl().PixelAt(px, py - 1) == 0;
  };
  auto blackCol = [&](double x, double y) {
    const int px = int((x + 16) * 2), py = int((16 - y) * 2);
    return gl().PixelAt(px, py) == 0 || gl().PixelAt(px - 1, py) == 0;
  };
  for (double y : {-8.0, -4.0, 0.0})
    for (double x : {-6.0, 2.0}) EXPECT_TRUE(blackRow(x, y)) << x << "," << y;
  for (double y : {-4.0, 0.0}) EXPECT_FALSE(blackRow(6, y)) << "last cell of row y " << y;
  EXPECT_TRUE(blackCol(8, -6));
  EXPECT_FALSE(blackCol(8, -2)) << "last cell of the right column";
  EXPECT_EQ(At(0, 6), kWhite);
}

// The local update over the cached frame: the frame comes back, the touched nodes are redrawn,
// from the node buffer when there is one and from memory otherwise.
TEST_F(GridDraw, LocalUpdateRedrawsTouchedNodesOverTheCachedFrame) {
  for (bool vbo : {false, true}) {
    SCOPED_TRACE(vbo ? "node buffer" : "client memory");
    CGeGrid grid;
    float o[3] = {-8, -8, 0};
    ASSERT_EQ(grid.Create(o, 4, 5, 5, 0), 1);
    if (vbo) grid.BuildVBOs();
    Frame();
    grid.DrawGL(&dc(), 0);
    dc().Finish();
    grid.GetFrameBuff();
    ASSERT_EQ(grid.m_nFrameW, 64);
    dc().Ready();  // the screen is cleared; only the cache has the grid now
    ASSERT_EQ(gl().CountPixels(kPlain), 0);
    for (int r = 2; r <= 4; ++r)
      for (int c = 2; c <= 4; ++c)
        for (int k = 0; k < 3; ++k) grid.m_pColors[c + r * 5][k] = GRID_MASKED_RGB[k];
    grid.CreateLocalStrip(CRect(3, 3, 4, 4));  // from (2, 2)
    grid.SetZHeight(3, 3, 0.5f);
    grid.DrawGL_AllUpdateEx(7);
    dc().Finish();
    if (vbo && grid.m_nNodeBuf) {  // the edited node reached the buffer
      SGridNode node;
      glBindBuffer(GL_ARRAY_BUFFER, grid.m_nNodeBuf);
      glGetBufferSubData(GL_ARRAY_BUFFER, (3 + 3 * 5) * 24, 24, &node);
      glBindBuffer(GL_ARRAY_BUFFER, 0);
      EXPECT_EQ(node.z, 0.5f);
    }
    EXPECT_EQ(At(-6, -6), kPlain);
    EXPECT_EQ(At(6, 6), kMasked);
    EXPECT_EQ(At(2, 2), kMasked);
    EXPECT_EQ(At(-12, 12), kWhite);
  }
}

TEST_F(GridDraw, LocalUpdateDrawsOnlyTheLocalStripAndKeepsTheDrawBuffer) {
  Make(5, 5);
  g.CreateLocalStrip(CRect(2, 2, 4, 4));
  Frame();
  GLint before = 0, after = 0;
  glGetIntegerv(GL_DRAW_BUFFER, &before);
  g.DrawGL(&dc(), 7);
  glGetIntegerv(GL_DRAW_BUFFER, &after);
  dc().Finish();
  EXPECT_EQ(after, before);
  EXPECT_EQ(At(6, 6), kPlain);
  EXPECT_EQ(At(-6, -6), kWhite);
  GLint depthFunc = 0;
  glGetIntegerv(GL_DEPTH_FUNC, &depthFunc);
  EXPECT_EQ(depthFunc, GL_LESS);
}

TEST_F(GridDraw, FrameCacheFollowsTheViewSize) {
  Make(3, 3);
  view.SetViewRect(CRect(0, 0, 0, 0));
  g.GetFrameBuff();
  EXPECT_EQ(g.m_pFrame, nullptr);
  view.SetViewRect(CRect(0, 0, 33, 17));
  g.GetFrameBuff();
  EXPECT_NE(g.m_pFrame, nullptr);
  EXPECT_EQ(g.m_nFrameW, 33);
  EXPECT_EQ(g.m_nFrameH, 17);
  g.ClearFrameBuff();
  EXPECT_EQ(g.m_pFrame, nullptr);
}

}  // namespace

namespace {

TEST_F(GridDraw, DefaultMaterialOnFrontFaces) {
  glDisable(GL_COLOR_MATERIAL);  // else ambient and diffuse follow the current colour
  g.SetDefaultMaterial();
  GLfloat v[4] = {};
  glGetMaterialfv(GL_FRONT, GL_DIFFUSE, v);
  EXPECT_FLOAT_EQ(v[0], 0.75164f);
  EXPECT_FLOAT_EQ(v[2], 0.22648f);
  glGetMaterialfv(GL_FRONT, GL_AMBIENT, v);
  EXPECT_FLOAT_EQ(v[1], 0.5f);
  glGetMaterialfv(GL_FRONT, GL_SPECULAR, v);
  EXPECT_FLOAT_EQ(v[0], 0.628281f);
  glGetMaterialfv(GL_FRONT, GL_SHININESS, v);
  EXPECT_FLOAT_EQ(v[0], 20.0f);
}

}  // namespace
