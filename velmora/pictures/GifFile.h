// GIF files as the animated picture control plays them: a bounds-checked walk over the blocks
// that cuts each frame out as a stand-alone GIF with its position, delay and disposal, and a
// small writer for the program's own pictures (and test files).
#pragma once

#include "platform/win/WinTypes.h"

#include <cstdint>
#include <vector>

struct GifFrameInfo {
  std::vector<BYTE> gif;  // header, global colour table, the frame's blocks, trailer
  int left = 0, top = 0, width = 0, height = 0;
  int delay = -1;     // hundredths of a second; -1 without a graphic-control extension
  int disposal = 0;   // 0-7; 2 background, 3 previous
};

struct GifInfo {
  int width = 0, height = 0;  // logical screen
  BOOL hasBackground = FALSE;
  COLORREF background = 0x00FFFFFF;
  std::vector<GifFrameInfo> frames;
};

// Larger logical screens and longer frame lists are refused rather than allocated.
constexpr int kGifMaxPixels = 4096 * 4096;
constexpr size_t kGifMaxFrames = 4096;

// TRUE when the data starts with the GIF87a or GIF89a signature.
BOOL GifHasSignature(const BYTE* data, size_t size);
// Walks every block of a GIF within [data, data + size). FALSE for anything it cannot walk to the
// trailer: an unknown block, a length running past the end, a missing trailer, no image, or
// sizes beyond the limits above. Frames are cut out only when there are several.
BOOL GifParse(const BYTE* data, size_t size, GifInfo& out);

// One frame of a picture to write: indexes into the palette, row by row.
struct GifWriteFrame {
  int left = 0, top = 0, width = 0, height = 0;
  int delay = 0;  // hundredths
  int disposal = 0;
  std::vector<BYTE> pixels;
};
// A GIF89a with a global palette (up to 256 colours, 0x00RRGGBB each); background index 0;
// a graphic-control extension before every frame when there is more than one frame.
std::vector<BYTE> GifWrite(int width, int height, const std::vector<uint32_t>& palette,
                           const std::vector<GifWriteFrame>& frames);
