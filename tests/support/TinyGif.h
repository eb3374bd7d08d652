// Writes small GIF files for the picture tests (Qt's GIF plug-in reads but does not write).
// The LZW stream sends a clear code before every pair of pixels, so the code width never
// grows: simple, correct for any size, and far from compact.
#pragma once

#include <array>
#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

// pixels: width x height palette indices (0..3), top row first; palette: four RGB colours.
inline bool WriteTinyGif(const std::string& path, int width, int height, const std::vector<uint8_t>& pixels,
                         const std::array<std::array<uint8_t, 3>, 4>& palette) {
  if (width <= 0 || height <= 0 || pixels.size() != size_t(width) * size_t(height)) return false;
  std::vector<uint8_t> out = {'G', 'I', 'F', '8', '9', 'a'};
  auto le16 = [&](int v) {
    out.push_back(uint8_t(v & 0xFF));
    out.push_back(uint8_t((v >> 8) & 0xFF));
  };
  le16(width);
  le16(height);
  out.insert(out.end(), {0x81, 0, 0});  // global table of 2^(1+1) colours
  for (const auto& c : palette) out.insert(out.end(), c.begin(), c.end());
  out.push_back(0x2C);  // image descriptor
  le16(0);
  le16(0);
  le16(width);
  le16(height);
  out.push_back(0);
  constexpr int kMinCode = 2, kClear = 4, kEnd = 5, kBits = 3;
  out.push_back(kMinCode);
  std::vector<uint8_t> data;
  uint32_t acc = 0;
  int nbits = 0;
  auto emit = [&](int code) {
    acc |= uint32_t(code) << nbits;
    nbits += kBits;
    while (nbits >= 8) {
      data.push_back(uint8_t(acc & 0xFF));
      acc >>= 8;
      nbits -= 8;
    }
  };
  for (size_t i = 0; i < pixels.size(); ++i) {
    if (i % 2 == 0) emit(kClear);
    emit(pixels[i] & 3);
  }
  emit(kEnd);
  if (nbits > 0) data.push_back(uint8_t(acc & 0xFF));
  for (size_t i = 0; i < data.size(); i += 255) {
    const size_t n = std::min<size_t>(255, data.size() - i);
    out.push_back(uint8_t(n));
    out.insert(out.end(), data.begin() + long(i), data.begin() + long(i + n));
  }
  out.push_back(0);     // end of the image data
  out.push_back(0x3B);  // trailer
  std::ofstream f(path, std::ios::binary);
  f.write(reinterpret_cast<const char*>(out.data()), std::streamsize(out.size()));
  return bool(f);
}
