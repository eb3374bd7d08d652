// The arithmetic of a scaled print: the scale list of the print dialog, the printable area of a
// device, how many sheets a drawing page needs at a scale, and where each sheet's view lands.
// A scale is paper millimetres per drawing unit (draw / model): "1:2" prints at half size.
#pragma once

#include "platform/numora/Records.h"
#include "platform/win/WinTypes.h"

#include <cstdint>

struct KxScaleEntry {
  const wchar_t* text;
  double draw;
  double model;
  double scale;  // draw / model
};

// The 18 entries of the scale combo, in order; the index is the scale mode.
constexpr int kKxScaleCount = 18;
constexpr int kKxScaleAdaptive = 0;
constexpr int kKxScaleCustom = 1;
const KxScaleEntry& KxScaleAt(int mode);

// Printable extent in millimetres of a device extent in pixels at dpi (rounded half up); 0 for a
// device that reports nothing usable.
int KxPrintableMM(int pixels, int dpi);

// Sheets across and down for a page box at a fixed scale. Both 0 when the scale, the printable
// size or the box is unusable, or when the run would exceed 0xFFFF sheets.
struct KxTileGrid {
  int columns = 0;
  int rows = 0;
  int Pages() const { return columns * rows; }
};
KxTileGrid KxTileCount(const _tagBox2D& page, double scale, int printableW, int printableH);

// The page count of a print run: 1 in adaptive mode, columns x rows otherwise (0: nothing to print).
int KxPageCount(int scaleMode, double scale, const _tagBox2D& page, int printableW, int printableH);

// Centre offset on the paper (millimetres) of tile `index` among `count` tiles along one axis:
// tiles sit side by side, centred as a whole on the page's centre.
double KxTileOffset(int index, int count, int printable);

// The view of one sheet: the world point at the sheet's centre and the pixels per drawing unit.
struct KxSheetView {
  double origin[2] = {0.0, 0.0};
  double pixelsPerUnit = 0.0;
};
// page (from 1) of a run; dpiX the device's horizontal resolution; offsets shift the drawing on
// the sheet, in drawing units. FALSE for unusable input or a page outside the run.
BOOL KxLayoutSheet(int scaleMode, double scale, const _tagBox2D& page, int printableW, int printableH, double offsetX,
                   double offsetY, int dpiX, int pageNo, KxSheetView& out);
