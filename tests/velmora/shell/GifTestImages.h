// Test pictures: GIFs made with the program's writer, and a decoder for exactly what that writer
// makes (fixed-width literal codes), independent of the code under test.
#pragma once

#include "platform/win/Picture.h"
#include "velmora/pictures/GifFile.h"

#include <cstdint>
#include <vector>

namespace giftest {

inline const std::vector<uint32_t> kPalette = {0xFFFFFF, 0xFF0000, 0x00FF00, 0x0000FF};

inline GifWriteFrame Solid(int left, int top, int w, int h, BYTE index, int delay, int disposal) {
  GifWriteFrame f;
  f.left = left;
  f.top = top;
  f.width = w;
  f.height = h;
  f.delay = delay;
  f.disposal = disposal;
  f.pixels.assign(static_cast<size_t>(w) * h, index);
  return f;
}

// Decodes a single-image GIF written by GifWrite into its frame's pixels (placed at the frame's
// rectangle of a transparent logical screen, as a full decoder would).
inline bool DecodeWritten(const BYTE* data, size_t size, velmora::win::DecodedPicture& out) {
  GifInfo info;
  if (!GifParse(data, size, info) || info.frames.size() != 1) return false;
  const int packed = data[10];
  const size_t gct = (packed & 0x80) ? 3u << ((packed & 7) + 1) : 0;
  size_t pos = 13 + gct;
  while (pos < size && data[pos] == 0x21) {  // skip extensions
    pos += 2;
    while (pos < size && data[pos]) pos += data[pos] + 1;
    ++pos;
  }
  if (pos + 11 > size || data[pos] != 0x2C) return false;
  const GifFrameInfo& f = info.frames[0];
  const int minCode = data[pos + 10];
  std::vector<BYTE> lzw;
  for (size_t q = pos + 11; q < size && data[q];) {
    lzw.insert(lzw.end(), data + q + 1, data + q + 1 + data[q]);
    q += data[q] + 1;
  }
  const int width = minCode + 1, clear = 1 << minCode;
  if (size_t(3) * clear > gct) return false;  // the writer's table always covers every code
  out.width = info.width;
  out.height = info.height;
  out.argb.assign(static_cast<size_t>(out.width) * out.height, 0);
  size_t bit = 0, n = 0;
  const size_t total = static_cast<size_t>(f.width) * f.height;
  while (n < total && bit + width <= lzw.size() * 8) {
    int code = 0;
    for (int b = 0; b < width; ++b, ++bit) code |= ((lzw[bit / 8] >> (bit % 8)) & 1) << b;
    if (code == clear) continue;
    if (code == clear + 1) break;
    const int x = f.left + int(n % f.width), y = f.top + int(n / f.width);
    if (x < out.width && y < out.height)
      out.argb[static_cast<size_t>(y) * out.width + x] =
          0xFF000000u | uint32_t(data[13 + 3 * code]) << 16 | uint32_t(data[14 + 3 * code]) << 8 | data[15 + 3 * code];
    ++n;
  }
  return n == total;
}

}  // namespace giftest
