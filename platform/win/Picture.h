// Decoding pictures (GIF, PNG, JPEG, BMP) from memory into pixels: the platform installs a
// decoder; without one nothing decodes.
#pragma once

#include "platform/win/WinTypes.h"

#include <cstdint>
#include <functional>
#include <vector>

namespace velmora::win {

struct DecodedPicture {
  int width = 0, height = 0;
  std::vector<uint32_t> argb;  // 0xAARRGGBB, rows top down
};

using PictureDecoder = std::function<bool(const BYTE* data, size_t size, DecodedPicture& out)>;
// Replaces the decoder (an empty one removes it).
void SetPictureDecoder(PictureDecoder decoder);
// FALSE without a decoder, for data it cannot read, or for a result whose pixels do not match its
// size.
BOOL DecodePicture(const BYTE* data, size_t size, DecodedPicture& out);

}  // namespace velmora::win
