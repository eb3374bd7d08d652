// Pictures of commands: the image a toolbar button, a panel page's button or a menu item shows
// for its command id. The program registers them at start-up (square ARGB pixels, rows top
// down); bars draw them centred in a button and fall back to a plain raised box without one.
#pragma once

#include "platform/afx/Rect.h"
#include "platform/win/WinTypes.h"

#include <cstdint>
#include <vector>

class CDC;

struct AfxCommandImage {
  int size = 0;                 // width and height in pixels
  std::vector<uint32_t> argb;   // size * size pixels, 0xAARRGGBB, not premultiplied
};

namespace velmora::afx {
// An image with the wrong number of pixels is not kept (and removes any earlier one).
void SetCommandImage(UINT nID, AfxCommandImage image);
// Null when the command has no image.
const AfxCommandImage* FindCommandImage(UINT nID);
void ClearCommandImages();
// Draws the command's image centred in the rectangle, faded when disabled. FALSE (nothing
// drawn) when the command has none.
BOOL DrawCommandImage(CDC& dc, UINT nID, const RECT& rect, BOOL bEnabled = TRUE);
}  // namespace velmora::afx
