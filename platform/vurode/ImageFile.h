// Picture file decoding for the bitmap classes: BMP (uncompressed, 1 to 32 bits), PNG through
// libpng and JPEG through libjpeg. The format is told by the file's content, not its name.
// Other formats (GIF, TIFF) come from a decoder the program installs (the toolkit's readers),
// so this layer stays free of the toolkit.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct DecodedImage {
  int width = 0;
  int height = 0;
  std::vector<uint8_t> rgba;  // 4 bytes a pixel, top row first
};

// Limits that keep a hostile header from asking for absurd memory.
inline constexpr int kMaxImageSide = 32768;
inline constexpr int64_t kMaxImagePixels = int64_t(1) << 28;

// False (and `out` untouched) when the file cannot be read or is not a picture we decode.
bool DecodeImageFile(const std::string& path, DecodedImage& out);
bool DecodeImageBytes(const uint8_t* data, size_t size, DecodedImage& out);

// A further file decoder, asked when the built-in ones do not recognise a file. It must honour
// kMaxImageSide and kMaxImagePixels and fill `out` only on success.
using ImageFileDecoder = bool (*)(const std::string& path, DecodedImage& out);
// Installs the decoder (null removes it); returns the one installed before.
ImageFileDecoder SetImageFileDecoder(ImageFileDecoder decoder);
