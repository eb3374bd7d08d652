// Decodes the bytes as a picture file (BMP, PNG or JPEG, told by the content).
#include "platform/vurode/ImageFile.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  DecodedImage img;
  if (DecodeImageBytes(data, size, img) &&
      img.rgba.size() != size_t(img.width) * size_t(img.height) * 4)
    __builtin_trap();  // a success must hand over the whole picture
  return 0;
}
