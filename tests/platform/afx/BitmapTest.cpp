// Bitmaps and the memory device context that rasterises into them.
#include <gtest/gtest.h>

#include "platform/afx/Afx.h"

namespace {

struct Canvas {
  CBitmap bmp;
  CMemoryDC dc;
  explicit Canvas(int w = 16, int h = 12) {
    EXPECT_TRUE(dc.CreateCompatibleDC(nullptr));
    EXPECT_TRUE(bmp.CreateCompatibleBitmap(&dc, w, h));
    EXPECT_EQ(dc.SelectObject(&bmp), nullptr);
  }
  int Count(COLORREF c) const {
    int n = 0;
    for (int y = 0; y < bmp.GetHeight(); ++y)
      for (int x = 0; x < bmp.GetWidth(); ++x) n += bmp.GetPixel(x, y) == c;
    return n;
  }
};

TEST(Bitmap, CreateRefusesUnusableSizesAndStartsBlack) {
  CBitmap b;
  for (auto [w, h] : {std::pair{0, 5}, {5, -1}, {1 << 16, 1 << 16}})
    EXPECT_FALSE(b.CreateCompatibleBitmap(nullptr, w, h)) << w << "x" << h;
  EXPECT_FALSE(b.IsCreated());
  ASSERT_TRUE(b.CreateCompatibleBitmap(nullptr, 3, 2));
  EXPECT_EQ(b.GetPixel(2, 1), RGB(0, 0, 0));
  EXPECT_EQ(b.GetPixel(3, 0), CLR_INVALID);
  EXPECT_EQ(b.GetPixel(0, -1), CLR_INVALID);
  EXPECT_TRUE(b.DeleteObject());
  EXPECT_EQ(b.GetWidth(), 0);
}

TEST(MemoryDC, PixelsGoToTheSelectedBitmapOnly) {
  Canvas c;
  EXPECT_EQ(c.dc.SetPixel(3, 4, RGB(1, 2, 3)), RGB(1, 2, 3));
  EXPECT_EQ(c.dc.GetPixel(3, 4), RGB(1, 2, 3));
  EXPECT_EQ(c.bmp.GetPixel(3, 4), RGB(1, 2, 3));
  EXPECT_EQ(c.dc.SetPixel(16, 0, RGB(1, 2, 3)), CLR_INVALID);
  CBitmap other;
  ASSERT_TRUE(other.CreateCompatibleBitmap(nullptr, 2, 2));
  EXPECT_EQ(c.dc.SelectObject(&other), &c.bmp);
  c.dc.SetPixel(1, 1, RGB(9, 9, 9));
  EXPECT_EQ(c.bmp.GetPixel(1, 1), RGB(0, 0, 0));
  EXPECT_EQ(c.dc.SelectObject(static_cast<CBitmap*>(nullptr)), nullptr);
  EXPECT_EQ(c.dc.GetSelectedBitmap(), &other);
}

TEST(MemoryDC, DeletedBitmapLeavesTheContextWithoutOne) {
  CMemoryDC dc;
  {
    CBitmap b;
    ASSERT_TRUE(b.CreateCompatibleBitmap(nullptr, 4, 4));
    dc.SelectObject(&b);
  }
  EXPECT_EQ(dc.GetSelectedBitmap(), nullptr);
  EXPECT_EQ(dc.SetPixel(0, 0, RGB(1, 1, 1)), CLR_INVALID);
  EXPECT_FALSE(dc.LineTo(3, 3));
}

// Lines leave out their last pixel and touch exactly max(|dx|, |dy|) pixels.
TEST(MemoryDC, LinesAndShapes) {
  const struct {
    CPoint a, b;
  } lines[] = {{{0, 0}, {10, 0}}, {{2, 9}, {2, 1}}, {{0, 0}, {11, 11}}, {{15, 3}, {1, 8}}};
  for (const auto& l : lines) {
    Canvas c;
    CPen pen(PS_SOLID, 1, RGB(255, 0, 0));
    c.dc.SelectObject(&pen);
    c.dc.MoveTo(l.a);
    c.dc.LineTo(l.b);
    EXPECT_EQ(c.Count(RGB(255, 0, 0)), std::max(std::abs(l.b.x - l.a.x), std::abs(l.b.y - l.a.y)));
    EXPECT_EQ(c.bmp.GetPixel(l.a.x, l.a.y), RGB(255, 0, 0));
    EXPECT_EQ(c.bmp.GetPixel(l.b.x, l.b.y), RGB(0, 0, 0));
  }
  Canvas c;
  CPen pen(PS_SOLID, 1, RGB(0, 0, 255));
  CBrush brush(RGB(0, 255, 0));
  c.dc.SelectObject(&pen);
  c.dc.SelectObject(&brush);
  c.dc.Rectangle(1, 1, 6, 5);  // 5 x 4: 14 border pixels, 6 inside
  EXPECT_EQ(c.Count(RGB(0, 0, 255)), 14);
  EXPECT_EQ(c.Count(RGB(0, 255, 0)), 6);
  Canvas e(40, 40);
  e.dc.SelectObject(&pen);
  e.dc.SelectObject(&brush);
  e.dc.Ellipse(0, 0, 40, 40);
  const int area = e.Count(RGB(0, 0, 255)) + e.Count(RGB(0, 255, 0));
  EXPECT_NEAR(area, 3.14159 * 400, 40);
  EXPECT_EQ(e.bmp.GetPixel(20, 20), RGB(0, 255, 0));
  EXPECT_EQ(e.bmp.GetPixel(0, 0), RGB(0, 0, 0));
}

TEST(MemoryDC, MixModeCombinesPenWithPixels) {
  Canvas c;
  c.dc.SetPixel(0, 0, RGB(0x0F, 0xF0, 0x55));
  CPen pen(PS_SOLID, 1, RGB(0xFF, 0xFF, 0x00));
  c.dc.SelectObject(&pen);
  c.dc.SetROP2(R2_XORPEN);
  c.dc.MoveTo(0, 0);
  c.dc.LineTo(2, 0);
  EXPECT_EQ(c.dc.GetPixel(0, 0), RGB(0xF0, 0x0F, 0x55));
  EXPECT_EQ(c.dc.GetPixel(1, 0), RGB(0xFF, 0xFF, 0x00));
  c.dc.SetROP2(R2_NOT);
  c.dc.MoveTo(0, 0);
  c.dc.LineTo(1, 0);
  EXPECT_EQ(c.dc.GetPixel(0, 0), RGB(0x0F, 0xF0, 0xAA));
}

TEST(MemoryDC, BitBltCopiesClippedBlocks) {
  Canvas src(4, 4), dst(6, 6);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 4; ++x) src.dc.SetPixel(x, y, RGB(x, y, 7));
  EXPECT_TRUE(dst.dc.BitBlt(3, 4, 4, 4, &src.dc, 1, 0, SRCCOPY));
  EXPECT_EQ(dst.dc.GetPixel(3, 4), RGB(1, 0, 7));
  EXPECT_EQ(dst.dc.GetPixel(5, 5), RGB(3, 1, 7));
  EXPECT_EQ(dst.dc.GetPixel(2, 4), RGB(0, 0, 0));
  EXPECT_EQ(dst.Count(RGB(0, 0, 0)), 36 - 6);  // 3 source columns x 2 target rows
  // Overlapping copy within one bitmap.
  EXPECT_TRUE(src.dc.BitBlt(1, 0, 3, 1, &src.dc, 0, 0, SRCCOPY));
  EXPECT_EQ(src.dc.GetPixel(3, 0), RGB(2, 0, 7));
  EXPECT_FALSE(dst.dc.BitBlt(0, 0, 2, 2, &src.dc, 0, 0, 0x00660046));
  CRecordingDC rec;
  EXPECT_FALSE(dst.dc.BitBlt(0, 0, 2, 2, &rec, 0, 0, SRCCOPY));
}

}  // namespace
