#include "velmora/pictures/GifFile.h"

#include <algorithm>
#include <cstring>

namespace {

class Walk {
 public:
  Walk(const BYTE* data, size_t size) : m_data(data), m_size(size) {}
  bool Has(size_t pos, size_t n) const { return pos <= m_size && n <= m_size - pos; }
  int Byte(size_t pos) const { return m_data[pos]; }
  int Word(size_t pos) const { return m_data[pos] | (m_data[pos + 1] << 8); }
  // The end of a chain of data sub-blocks starting at pos (after its zero terminator); 0 when
  // a length runs past the data.
  size_t SubBlocks(size_t pos) const {
    for (;;) {
      if (!Has(pos, 1)) return 0;
      const size_t len = m_data[pos];
      if (len == 0) return pos + 1;
      if (!Has(pos + 1, len)) return 0;
      pos += 1 + len;
    }
  }
  // Size of a colour table from a packed byte (0 without one).
  static size_t TableSize(int packed) { return (packed & 0x80) ? 3u * (1u << ((packed & 7) + 1)) : 0u; }

 private:
  const BYTE* m_data;
  size_t m_size;
};

struct Block {
  size_t begin, end;
  bool image;
};

}  // namespace

BOOL GifHasSignature(const BYTE* data, size_t size) {
  return data && size >= 6 && (std::memcmp(data, "GIF87a", 6) == 0 || std::memcmp(data, "GIF89a", 6) == 0);
}

BOOL GifParse(const BYTE* data, size_t size, GifInfo& out) {
  out = GifInfo{};
  if (!GifHasSignature(data, size) || size < 13) return FALSE;
  const Walk w(data, size);
  const int width = w.Word(6), height = w.Word(8), packed = w.Byte(10);
  if (width <= 0 || height <= 0 || int64_t{width} * height > kGifMaxPixels) return FALSE;
  const size_t gct = Walk::TableSize(packed);
  const size_t headerEnd = 13 + gct;
  if (!w.Has(0, headerEnd)) return FALSE;
  if (gct) {
    const size_t bg = static_cast<size_t>(w.Byte(11));
    if (3 * bg + 2 < gct) {
      const size_t at = 13 + 3 * bg;
      out.background = static_cast<COLORREF>(w.Byte(at) | (w.Byte(at + 1) << 8) | (w.Byte(at + 2) << 16));
      out.hasBackground = TRUE;
    }
  }
  // The blocks, each checked against the data before anything reads it.
  std::vector<Block> blocks;
  size_t pos = headerEnd;
  bool trailer = false;
  size_t images = 0;
  while (!trailer) {
    if (!w.Has(pos, 1)) return FALSE;
    size_t end = 0;
    bool image = false;
    switch (w.Byte(pos)) {
      case 0x21: {
        if (!w.Has(pos, 2)) return FALSE;
        switch (w.Byte(pos + 1)) {
          case 0xF9: end = w.Has(pos, 8) ? pos + 8 : 0; break;
          case 0xFF: end = w.Has(pos, 14) ? w.SubBlocks(pos + 14) : 0; break;
          case 0xFE: end = w.SubBlocks(pos + 2); break;
          case 0x01: end = w.Has(pos, 15) ? w.SubBlocks(pos + 15) : 0; break;
          default: return FALSE;
        }
        break;
      }
      case 0x2C: {
        if (!w.Has(pos, 10)) return FALSE;
        const size_t lzw = pos + 10 + Walk::TableSize(w.Byte(pos + 9));
        end = w.Has(lzw, 1) ? w.SubBlocks(lzw + 1) : 0;
        image = true;
        break;
      }
      case 0x3B:
        end = pos + 1;
        trailer = true;
        break;
      default:
        return FALSE;
    }
    if (end == 0) return FALSE;
    if (image && ++images > kGifMaxFrames) return FALSE;
    if (!trailer) blocks.push_back({pos, end, image});
    pos = end;
  }
  if (images == 0) return FALSE;
  // Frames: each image with the extensions since the previous one.
  size_t segment = headerEnd;
  int delay = -1, disposal = 0;
  for (const Block& b : blocks) {
    if (!b.image) {
      if (w.Byte(b.begin + 1) == 0xF9) {
        delay = w.Word(b.begin + 4);
        disposal = (w.Byte(b.begin + 3) >> 2) & 7;
      }
      continue;
    }
    GifFrameInfo f;
    f.left = w.Word(b.begin + 1);
    f.top = w.Word(b.begin + 3);
    f.width = w.Word(b.begin + 5);
    f.height = w.Word(b.begin + 7);
    f.delay = delay;
    f.disposal = disposal;
    if (images > 1) {
      f.gif.reserve(headerEnd + (b.end - segment) + 1);
      f.gif.assign(data, data + headerEnd);
      f.gif.insert(f.gif.end(), data + segment, data + b.end);
      f.gif.push_back(0x3B);
    }
    out.frames.push_back(std::move(f));
    segment = b.end;
    delay = -1;
    disposal = 0;
  }
  out.width = width;
  out.height = height;
  return TRUE;
}

// ---- writing ----

namespace {
void Put16(std::vector<BYTE>& v, int x) {
  v.push_back(static_cast<BYTE>(x & 0xFF));
  v.push_back(static_cast<BYTE>((x >> 8) & 0xFF));
}

// LZW data that a decoder reads as literal codes: a clear code is sent before the code table
// would widen, so every code keeps the starting width.
std::vector<BYTE> LiteralLzw(const std::vector<BYTE>& pixels, int minCode) {
  const int clear = 1 << minCode, stop = clear + 1, width = minCode + 1;
  // Literals before the table would widen, one short to spare decoders that widen early.
  const int run = std::max(1, (1 << width) - clear - 3);
  std::vector<BYTE> bytes;
  uint32_t acc = 0;
  int bits = 0;
  auto put = [&](int code) {
    acc |= static_cast<uint32_t>(code) << bits;
    bits += width;
    while (bits >= 8) {
      bytes.push_back(static_cast<BYTE>(acc & 0xFF));
      acc >>= 8;
      bits -= 8;
    }
  };
  int n = 0;
  put(clear);
  for (BYTE p : pixels) {
    if (n == run) {
      put(clear);
      n = 0;
    }
    put(p & (clear - 1));
    ++n;
  }
  put(stop);
  if (bits > 0) bytes.push_back(static_cast<BYTE>(acc & 0xFF));
  return bytes;
}
}  // namespace

std::vector<BYTE> GifWrite(int width, int height, const std::vector<uint32_t>& palette,
                           const std::vector<GifWriteFrame>& frames) {
  int bitsPerIndex = 1;
  while ((1u << bitsPerIndex) < palette.size() && bitsPerIndex < 8) ++bitsPerIndex;
  const int minCode = bitsPerIndex < 2 ? 2 : bitsPerIndex;
  std::vector<BYTE> g = {'G', 'I', 'F', '8', '9', 'a'};
  Put16(g, width);
  Put16(g, height);
  g.push_back(static_cast<BYTE>(0x80 | (bitsPerIndex - 1)));
  g.push_back(0);
  g.push_back(0);
  for (int i = 0; i < (1 << bitsPerIndex); ++i) {
    const uint32_t c = i < static_cast<int>(palette.size()) ? palette[i] : 0;
    g.push_back(static_cast<BYTE>(c >> 16));
    g.push_back(static_cast<BYTE>(c >> 8));
    g.push_back(static_cast<BYTE>(c));
  }
  for (const GifWriteFrame& f : frames) {
    if (frames.size() > 1) {
      g.insert(g.end(), {0x21, 0xF9, 0x04, static_cast<BYTE>((f.disposal & 7) << 2)});
      Put16(g, f.delay);
      g.insert(g.end(), {0x00, 0x00});
    }
    g.push_back(0x2C);
    Put16(g, f.left);
    Put16(g, f.top);
    Put16(g, f.width);
    Put16(g, f.height);
    g.push_back(0);
    g.push_back(static_cast<BYTE>(minCode));
    const std::vector<BYTE> lzw = LiteralLzw(f.pixels, minCode);
    for (size_t i = 0; i < lzw.size(); i += 255) {
      const size_t n = std::min<size_t>(255, lzw.size() - i);
      g.push_back(static_cast<BYTE>(n));
      g.insert(g.end(), lzw.begin() + i, lzw.begin() + i + n);
    }
    g.push_back(0);
  }
  g.push_back(0x3B);
  return g;
}
