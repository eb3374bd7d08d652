#include "velmora/printing/PrintLayout.h"

#include <cmath>

namespace {
// "1:30" prints at one thirtieth like every other ratio: a rounded 0.033 would make a drawing
// measured with a 1:30 rule come out one per cent short.
constexpr KxScaleEntry kScales[kKxScaleCount] = {
    {L"Adaptive", 1, 1, 1.0},     {L"Custom", 1, 1, 1.0},          {L"1:1", 1, 1, 1.0},
    {L"1:2", 1, 2, 0.5},          {L"1:4", 1, 4, 0.25},            {L"1:8", 1, 8, 0.125},
    {L"1:10", 1, 10, 0.1},        {L"1:16", 1, 16, 0.0625},        {L"1:20", 1, 20, 0.05},
    {L"1:30", 1, 30, 1.0 / 30.0}, {L"1:40", 1, 40, 0.025},         {L"1:50", 1, 50, 0.02},
    {L"1:100", 1, 100, 0.01},     {L"2:1", 1, 0.5, 2.0},           {L"4:1", 1, 0.25, 4.0},
    {L"8:1", 1, 0.125, 8.0},      {L"10:1", 1, 0.1, 10.0},         {L"100:1", 1, 0.01, 100.0},
};
constexpr double kMaxSheets = 0xFFFF;

bool UsableBox(const _tagBox2D& b) {
  const double w = b.max[0] - b.min[0], h = b.max[1] - b.min[1];
  return std::isfinite(w) && std::isfinite(h) && w > 0.0 && h > 0.0;
}
}  // namespace

const KxScaleEntry& KxScaleAt(int mode) {
  return kScales[mode >= 0 && mode < kKxScaleCount ? mode : 2];
}

int KxPrintableMM(int pixels, int dpi) {
  if (pixels <= 0 || dpi <= 0) return 0;
  return static_cast<int>(static_cast<double>(pixels) / dpi * 25.4 + 0.5);
}

KxTileGrid KxTileCount(const _tagBox2D& page, double scale, int printableW, int printableH) {
  if (!UsableBox(page) || !std::isfinite(scale) || scale <= 0.0 || printableW <= 0 || printableH <= 0) return {};
  // The page's size on paper is its size times the scale.
  const double cols = std::ceil((page.max[0] - page.min[0]) * scale / printableW);
  const double rows = std::ceil((page.max[1] - page.min[1]) * scale / printableH);
  if (!(cols >= 1.0) || !(rows >= 1.0) || cols * rows > kMaxSheets) return {};
  return {static_cast<int>(cols), static_cast<int>(rows)};
}

int KxPageCount(int scaleMode, double scale, const _tagBox2D& page, int printableW, int printableH) {
  if (scaleMode == kKxScaleAdaptive) return 1;
  return KxTileCount(page, scale, printableW, printableH).Pages();
}

double KxTileOffset(int index, int count, int printable) {
  // Even counts straddle the centre (half-tile offsets), odd counts have a middle tile on it.
  if (count % 2 == 0) return printable * (2.0 * index - count + 1) / 2.0;
  return static_cast<double>(printable) * (index - count / 2);
}

BOOL KxLayoutSheet(int scaleMode, double scale, const _tagBox2D& page, int printableW, int printableH, double offsetX,
                   double offsetY, int dpiX, int pageNo, KxSheetView& out) {
  if (dpiX <= 0 || !UsableBox(page) || !std::isfinite(offsetX) || !std::isfinite(offsetY)) return FALSE;
  const double mmPerPixel = 25.4 / dpiX;
  const double cx = (page.min[0] + page.max[0]) / 2, cy = (page.min[1] + page.max[1]) / 2;
  if (scaleMode == kKxScaleAdaptive) {
    if (pageNo != 1 || printableW <= 0 || printableH <= 0) return FALSE;
    const double fx = printableW / (page.max[0] - page.min[0]);
    const double fy = printableH / (page.max[1] - page.min[1]);
    const double fit = fx < fy ? fx : fy;
    out.origin[0] = cx - offsetX;
    out.origin[1] = cy - offsetY;
    out.pixelsPerUnit = fit / mmPerPixel;
    return TRUE;
  }
  const KxTileGrid grid = KxTileCount(page, scale, printableW, printableH);
  if (pageNo < 1 || pageNo > grid.Pages()) return FALSE;
  const int column = (pageNo - 1) % grid.columns, row = (pageNo - 1) / grid.columns;
  // Tile offsets are paper millimetres; on the drawing they span 1/scale as much. Rows run
  // down the sheet, against the drawing's y.
  out.origin[0] = cx + KxTileOffset(column, grid.columns, printableW) / scale - offsetX;
  out.origin[1] = cy - KxTileOffset(row, grid.rows, printableH) / scale - offsetY;
  out.pixelsPerUnit = scale / mmPerPixel;
  return TRUE;
}
