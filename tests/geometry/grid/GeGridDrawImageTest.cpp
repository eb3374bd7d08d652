// The relief grid as a picture: bitmaps of its heights, the 2D view's image, picture files
// painted onto node colours.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <vector>

#include "geometry/grid/GeGrid.h"
#include "platform/afx/Afx.h"
#include "platform/vurode/ViewState.h"
#include "support/VurodeFixture.h"

namespace {

class GridImage : public VurodeTest {
 protected:
  void Make(int cols, int rows) {
    float o[3] = {0, 0, 0};
    ASSERT_EQ(g.Create(o, 1, cols, rows, 0), 1);
  }
  CGeGrid g;
};

// Hand-worked pixels: width 8 over columns 0..4 maps pixel columns 0, 3, 5, 7 to node columns
// 0, 1, 2, 3; the 4 pixel rows map bottom up to node rows 0, 0, 0, 1.
TEST_F(GridImage, ReliefColoursFollowTheHeightClasses) {
  Make(5, 3);
  g.SetZHeight(0, 0, -2);    // the lowest: black
  g.SetZHeight(1, 0, 4);     // the highest: +100, capped
  g.SetZHeight(2, 0, 2);     // +50
  g.SetZHeight(3, 0, 0.005f);
  g.SetZHeight(0, 1, -1);    // half way down
  CBitmap bmp;
  g.GetBitmap(&bmp, 8, 0);
  ASSERT_EQ(bmp.GetWidth(), 8);
  ASSERT_EQ(bmp.GetHeight(), 4);
  EXPECT_EQ(bmp.GetPixel(0, 3), RGB(0, 0, 0));
  EXPECT_EQ(bmp.GetPixel(3, 3), RGB(255, 255, 166));
  EXPECT_EQ(bmp.GetPixel(5, 3), RGB(255, 227, 116));
  EXPECT_EQ(bmp.GetPixel(7, 3), RGB(219, 177, 66));
  EXPECT_EQ(bmp.GetPixel(0, 0), RGB(109, 88, 33));
  EXPECT_EQ(bmp.GetPixel(3, 0), RGB(255, 255, 255));
}

// Grey levels span the window's own range, also for heights far above 1000.
TEST_F(GridImage, GreyLevelsSpanTheTrueHeightRange) {
  Make(3, 3);
  for (int r = 0; r < 3; ++r)
    for (int c = 0; c < 3; ++c) g.SetZHeight(c, r, 2000.0f + 100 * c);
  CBitmap bmp;
  g.CreateBitmap(&bmp, 3, 3);
  EXPECT_EQ(bmp.GetPixel(0, 2), RGB(0, 0, 0));
  EXPECT_EQ(bmp.GetPixel(2, 2), RGB(127, 127, 127));
  CBitmap grey;
  g.GetBitmap(&grey, 4, 1);
  EXPECT_EQ(grey.GetHeight(), 4);
  EXPECT_EQ(grey.GetPixel(3, 0), RGB(127, 127, 127));
  CBitmap one;
  g.CreateBitmap(&one, 1, 1);  // a single pixel shows the window's first node
  EXPECT_EQ(one.GetPixel(0, 0), RGB(0, 0, 0));
}

TEST_F(GridImage, NoPictureOfNothing) {
  Make(4, 4);
  CBitmap bmp;
  g.GetBitmap(nullptr, 8, 0);
  g.GetBitmap(&bmp, 0, 0);
  EXPECT_FALSE(bmp.IsCreated());
  g.SetShowRange(1, 2, 1, 3);  // no width
  g.GetBitmap(&bmp, 8, 0);
  g.CreateBitmap(&bmp, 8, 8);
  EXPECT_FALSE(bmp.IsCreated());
  CGeGrid empty;
  empty.CreateBitmap(&bmp, 4, 4);
  EXPECT_FALSE(bmp.IsCreated());
}

TEST_F(GridImage, DrawImageRemakesThePictureOnlyAfterChanges) {
  Make(11, 6);
  CVurode view;
  view.SetView2D();
  gSetVurode(&view);
  CRecordingDC dc;
  g.DrawImage(&dc);
  ASSERT_NE(g.m_pImage, nullptr);
  EXPECT_EQ(g.IsModified(), 0);
  EXPECT_EQ(g.m_pImage->GetWidth(), 400);
  EXPECT_EQ(g.m_pImage->GetHeight(), 200);
  EXPECT_EQ(g.m_pImage->GetPixel(10, 10), RGB(255, 255, 255));
  const int w = int(view.WorldtoScreen(10.0)), h = int(view.WorldtoScreen(5.0));
  EXPECT_EQ(dc.Count(CRecordingDC::Kind::SetPixel), size_t(w) * h);

  g.SetZHeight(0, 5, 3);  // top left corner of the picture
  g.DrawImage(&dc);
  EXPECT_EQ(g.m_pImage->GetPixel(0, 0), RGB(255, 255, 255));  // not remade
  g.SetModified(1);
  g.DrawImage(&dc);
  EXPECT_EQ(g.m_pImage->GetPixel(0, 0), RGB(255, 255, 255));  // row 5 is past bottom - 1
  g.SetZHeight(0, 4, 3);
  g.SetModified(1);
  g.DrawImage(&dc);
  EXPECT_EQ(g.m_pImage->GetPixel(0, 0), RGB(255, 255, 166));
  dc.ClearCalls();
  gSetVurode(nullptr);
  g.SetModified(1);
  g.DrawImage(&dc);
  EXPECT_EQ(g.IsModified(), 1);
  EXPECT_EQ(dc.GetCalls().size(), 0u);
}

// A 2 x 2 24-bit BMP, rows bottom first as the format stores them.
void WriteBmp(const std::filesystem::path& p, const uint8_t bgr[4][3]) {
  std::vector<uint8_t> f(54 + 16, 0);
  auto put32 = [&](size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) f[at + i] = uint8_t(v >> (8 * i));
  };
  f[0] = 'B', f[1] = 'M';
  put32(2, uint32_t(f.size()));
  put32(10, 54);
  put32(14, 40);
  put32(18, 2);
  put32(22, 2);
  f[26] = 1, f[28] = 24;
  put32(34, 16);
  for (int row = 0; row < 2; ++row)
    for (int x = 0; x < 2; ++x)
      for (int k = 0; k < 3; ++k) f[54 + row * 8 + x * 3 + k] = bgr[row * 2 + x][k];
  std::ofstream(p, std::ios::binary).write(reinterpret_cast<const char*>(f.data()), f.size());
}

TEST_F(GridImage, SetMaterialPaintsThePictureAndKeepsMasks) {
  Make(4, 4);
  g.m_pColors[5][3] = 77;
  const auto path = std::filesystem::temp_directory_path() / "velmora_grid_material.bmp";
  const uint8_t bgr[4][3] = {{0, 0, 10}, {0, 0, 20}, {0, 0, 30}, {0, 0, 40}};  // red 10..40
  WriteBmp(path, bgr);
  g.SetMaterial(CString::FromUtf8((path.string() + ".missing").c_str()));
  g.SetMaterial(CString());
  EXPECT_EQ(g.m_pColors[0][0], GRID_PLAIN_RGB[0]);
  g.SetMaterial(CString::FromUtf8(path.string().c_str()));
  std::filesystem::remove(path);
  // Rows 0 and 1 take the picture's bottom row, columns 0 and 1 its left column.
  const int expect[4][4] = {{10, 10, 20, 20}, {10, 10, 20, 20}, {30, 30, 40, 40}, {30, 30, 40, 40}};
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 4; ++c) {
      EXPECT_EQ(g.m_pColors[c + 4 * r][0], expect[r][c]) << c << "," << r;
      EXPECT_EQ(g.m_pColors[c + 4 * r][1], 0);
    }
  EXPECT_EQ(g.m_pColors[5][3], 77);
  EXPECT_EQ(g.m_pColors[6][3], 0);
}

TEST_F(GridImage, SetMaterialGivesAGridWithoutColoursItsColours) {
  Make(4, 4);
  delete[] g.m_pColors;
  g.m_pColors = nullptr;
  const auto path = std::filesystem::temp_directory_path() / "velmora_grid_material2.bmp";
  const uint8_t bgr[4][3] = {{0, 0, 10}, {0, 20, 0}, {30, 0, 0}, {40, 40, 40}};
  WriteBmp(path, bgr);
  g.SetMaterial(CString::FromUtf8(path.string().c_str()));
  std::filesystem::remove(path);
  ASSERT_NE(g.m_pColors, nullptr);
  const uint8_t expect[4][3] = {{10, 0, 0}, {0, 20, 0}, {0, 0, 30}, {40, 40, 40}};  // r, g, b
  const int corner[4][2] = {{0, 0}, {3, 0}, {0, 3}, {3, 3}};
  for (int i = 0; i < 4; ++i) {
    const uint8_t* c = g.m_pColors[corner[i][0] + 4 * corner[i][1]];
    EXPECT_EQ(c[0], expect[i][0]) << i;
    EXPECT_EQ(c[1], expect[i][1]) << i;
    EXPECT_EQ(c[2], expect[i][2]) << i;
    EXPECT_EQ(c[3], 0) << i;
  }
}

}  // namespace
