// Scaled printing arithmetic: the scale list, sheet counts for scales and page sizes, and the
// sheet views, checked against the tiles' coverage of the page.
#include "velmora/printing/PrintLayout.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {
_tagBox2D Box(double x0, double y0, double x1, double y1) { return _tagBox2D{{x0, y0}, {x1, y1}}; }
}  // namespace

TEST(PrintLayout, ScaleListIsDrawOverModel) {
  ASSERT_STREQ(KxScaleAt(0).text, L"Adaptive");
  ASSERT_STREQ(KxScaleAt(1).text, L"Custom");
  ASSERT_STREQ(KxScaleAt(17).text, L"100:1");
  for (int i = 2; i < kKxScaleCount; ++i) {
    const KxScaleEntry& e = KxScaleAt(i);
    SCOPED_TRACE(i);
    EXPECT_DOUBLE_EQ(e.scale, e.draw / e.model);
    // The label "a:b" is paper a to drawing b.
    double a = 0, b = 0;
    ASSERT_EQ(swscanf(e.text, L"%lf:%lf", &a, &b), 2);
    EXPECT_DOUBLE_EQ(e.scale, a / b);
  }
  // Out-of-range modes fall back to "1:1".
  EXPECT_STREQ(KxScaleAt(99).text, L"1:1");
  EXPECT_STREQ(KxScaleAt(-1).text, L"1:1");
}

TEST(PrintLayout, PrintableMillimetresRoundHalfUp) {
  struct Case { int pixels, dpi, mm; } cases[] = {
      {4960, 600, 210},  // A4 width at 600 dpi: 209.97 mm
      {7016, 600, 297},  // A4 height: 297.01 mm
      {100, 254, 10},    // exactly 10
      {5, 254, 1},       // 0.5 rounds up
      {0, 600, 0},       // no device
      {100, 0, 0},
      {-5, 600, 0},
  };
  for (const Case& c : cases) EXPECT_EQ(KxPrintableMM(c.pixels, c.dpi), c.mm) << c.pixels << "/" << c.dpi;
}

TEST(PrintLayout, SheetCountsForScalesAndPageSizes) {
  struct Case { const char* name; _tagBox2D page; int mode; double scale; int pw, ph, cols, rows; } cases[] = {
      {"A4 on A4 at 1:1", Box(0, 0, 210, 297), 2, 1.0, 210, 297, 1, 1},
      {"twice the printable width at 1:1", Box(0, 0, 400, 290), 2, 1.0, 200, 290, 2, 1},
      {"A1 at 1:1 on A4", Box(0, 0, 594, 841), 2, 1.0, 200, 287, 3, 3},
      {"A1 at 1:2 on A4", Box(0, 0, 594, 841), 3, 0.5, 200, 287, 2, 2},
      {"A1 at 1:4 fits", Box(0, 0, 594, 841), 4, 0.25, 200, 287, 1, 1},
      {"A4 at 2:1", Box(0, 0, 210, 297), 13, 2.0, 200, 287, 3, 3},
      {"A4 at 10:1", Box(-105, -148.5, 105, 148.5), 16, 10.0, 200, 287, 11, 11},
      {"exact fit is one sheet", Box(0, 0, 400, 574), 3, 0.5, 200, 287, 1, 1},
      // One thirtieth, not 0.033: 9050 mm at 1:30 is 301.7 mm of paper, two sheets of 300.
      {"1:30 is one thirtieth", Box(0, 0, 9050, 100), 9, 1.0 / 30.0, 300, 300, 2, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_DOUBLE_EQ(KxScaleAt(c.mode).scale, c.scale);
    const KxTileGrid g = KxTileCount(c.page, c.scale, c.pw, c.ph);
    EXPECT_EQ(g.columns, c.cols);
    EXPECT_EQ(g.rows, c.rows);
    EXPECT_EQ(KxPageCount(c.mode, c.scale, c.page, c.pw, c.ph), c.cols * c.rows);
    // Adaptive is one sheet whatever the scale.
    EXPECT_EQ(KxPageCount(kKxScaleAdaptive, c.scale, c.page, c.pw, c.ph), 1);
  }
}

TEST(PrintLayout, UnusableInputGivesNoSheets) {
  const double nan = std::numeric_limits<double>::quiet_NaN(), inf = std::numeric_limits<double>::infinity();
  const _tagBox2D a4 = Box(0, 0, 210, 297);
  struct Case { const char* name; _tagBox2D page; double scale; int pw, ph; } cases[] = {
      {"zero scale", a4, 0.0, 200, 287},
      {"negative scale", a4, -1.0, 200, 287},
      {"NaN scale", a4, nan, 200, 287},
      {"infinite scale", a4, inf, 200, 287},
      {"no printable width", a4, 1.0, 0, 287},
      {"empty page", Box(0, 0, 0, 297), 1.0, 200, 287},
      {"inverted page", Box(10, 0, 0, 297), 1.0, 200, 287},
      {"NaN page", Box(0, 0, nan, 297), 1.0, 200, 287},
      // 2e6 x 2e6 sheets would never end.
      {"absurd sheet count", Box(0, 0, 1e9, 1e9), 1.0, 1, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(KxTileCount(c.page, c.scale, c.pw, c.ph).Pages(), 0);
    EXPECT_EQ(KxPageCount(2, c.scale, c.page, c.pw, c.ph), 0);
    KxSheetView v;
    EXPECT_FALSE(KxLayoutSheet(2, c.scale, c.page, c.pw, c.ph, 0, 0, 600, 1, v));
  }
}

TEST(PrintLayout, TileOffsetsCentreTheRowOfTiles) {
  // Closed forms: even counts straddle the centre by half a tile, odd ones have a middle tile.
  EXPECT_DOUBLE_EQ(KxTileOffset(0, 1, 200), 0.0);
  EXPECT_DOUBLE_EQ(KxTileOffset(0, 2, 200), -100.0);
  EXPECT_DOUBLE_EQ(KxTileOffset(1, 2, 200), 100.0);
  EXPECT_DOUBLE_EQ(KxTileOffset(0, 3, 200), -200.0);
  EXPECT_DOUBLE_EQ(KxTileOffset(2, 3, 200), 200.0);
  for (int count = 1; count <= 7; ++count) {
    double sum = 0;
    for (int i = 0; i < count; ++i) {
      sum += KxTileOffset(i, count, 150);
      if (i > 0) {
        EXPECT_DOUBLE_EQ(KxTileOffset(i, count, 150) - KxTileOffset(i - 1, count, 150), 150.0);
      }
    }
    EXPECT_NEAR(sum, 0.0, 1e-9) << count;  // symmetric about the centre
  }
}

// The sheets of a run tile the page: side by side without gaps or overlaps, covering the page
// box, each showing printable/scale drawing units.
TEST(PrintLayout, SheetsTileThePage) {
  struct Case { _tagBox2D page; double scale; int pw, ph, dpi; } cases[] = {
      {Box(0, 0, 594, 841), 1.0, 200, 287, 600},
      {Box(-300, 50, 900, 700), 0.5, 190, 277, 300},
      {Box(0, 0, 210, 297), 4.0, 200, 287, 1200},
      {Box(10, 10, 60, 30), 1.0, 200, 287, 96},
  };
  for (const Case& c : cases) {
    const KxTileGrid g = KxTileCount(c.page, c.scale, c.pw, c.ph);
    ASSERT_GT(g.Pages(), 0);
    const double tileW = c.pw / c.scale, tileH = c.ph / c.scale;
    double lo[2] = {1e300, 1e300}, hi[2] = {-1e300, -1e300};
    for (int n = 1; n <= g.Pages(); ++n) {
      KxSheetView v;
      ASSERT_TRUE(KxLayoutSheet(2, c.scale, c.page, c.pw, c.ph, 0, 0, c.dpi, n, v));
      EXPECT_DOUBLE_EQ(v.pixelsPerUnit, c.scale * c.dpi / 25.4);
      const int col = (n - 1) % g.columns, row = (n - 1) / g.columns;
      // Neighbouring sheets are one tile apart; rows go down the drawing.
      KxSheetView first;
      ASSERT_TRUE(KxLayoutSheet(2, c.scale, c.page, c.pw, c.ph, 0, 0, c.dpi, 1, first));
      EXPECT_NEAR(v.origin[0] - first.origin[0], col * tileW, 1e-9);
      EXPECT_NEAR(first.origin[1] - v.origin[1], row * tileH, 1e-9);
      lo[0] = std::min(lo[0], v.origin[0] - tileW / 2);
      hi[0] = std::max(hi[0], v.origin[0] + tileW / 2);
      lo[1] = std::min(lo[1], v.origin[1] - tileH / 2);
      hi[1] = std::max(hi[1], v.origin[1] + tileH / 2);
    }
    EXPECT_LE(lo[0], c.page.min[0] + 1e-9);
    EXPECT_GE(hi[0], c.page.max[0] - 1e-9);
    EXPECT_LE(lo[1], c.page.min[1] + 1e-9);
    EXPECT_GE(hi[1], c.page.max[1] - 1e-9);
    // The tiles' union is centred on the page and no wider than needed.
    EXPECT_NEAR((lo[0] + hi[0]) / 2, (c.page.min[0] + c.page.max[0]) / 2, 1e-9);
    EXPECT_NEAR((lo[1] + hi[1]) / 2, (c.page.min[1] + c.page.max[1]) / 2, 1e-9);
    EXPECT_LT(hi[0] - lo[0] - (c.page.max[0] - c.page.min[0]), tileW);
    KxSheetView past;
    EXPECT_FALSE(KxLayoutSheet(2, c.scale, c.page, c.pw, c.ph, 0, 0, c.dpi, g.Pages() + 1, past));
  }
}

TEST(PrintLayout, AdaptiveFitsThePageOnOneSheetAndOffsetsShift) {
  // 400 x 200 on 200 x 287 mm: the width limits, half size.
  KxSheetView v;
  ASSERT_TRUE(KxLayoutSheet(0, 1.0, Box(0, 0, 400, 200), 200, 287, 0, 0, 254, 1, v));
  EXPECT_DOUBLE_EQ(v.pixelsPerUnit, 0.5 * 10.0);
  EXPECT_DOUBLE_EQ(v.origin[0], 200.0);
  EXPECT_DOUBLE_EQ(v.origin[1], 100.0);
  // An offset moves the drawing by that much on the sheet: the view's centre moves against it.
  ASSERT_TRUE(KxLayoutSheet(0, 1.0, Box(0, 0, 400, 200), 200, 287, 15, -5, 254, 1, v));
  EXPECT_DOUBLE_EQ(v.origin[0], 185.0);
  EXPECT_DOUBLE_EQ(v.origin[1], 105.0);
  ASSERT_TRUE(KxLayoutSheet(2, 1.0, Box(0, 0, 100, 100), 200, 287, 15, -5, 254, 1, v));
  EXPECT_DOUBLE_EQ(v.origin[0], 35.0);
  EXPECT_DOUBLE_EQ(v.origin[1], 55.0);
  // Adaptive has one sheet only.
  EXPECT_FALSE(KxLayoutSheet(0, 1.0, Box(0, 0, 400, 200), 200, 287, 0, 0, 254, 2, v));
}
