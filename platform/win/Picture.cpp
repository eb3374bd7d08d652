#include "platform/win/Picture.h"

#include <mutex>

namespace {
std::mutex g_mutex;
velmora::win::PictureDecoder& Decoder() {
  static velmora::win::PictureDecoder d;
  return d;
}
}  // namespace

void velmora::win::SetPictureDecoder(PictureDecoder decoder) {
  std::lock_guard lock(g_mutex);
  Decoder() = std::move(decoder);
}

BOOL velmora::win::DecodePicture(const BYTE* data, size_t size, DecodedPicture& out) {
  PictureDecoder d;
  {
    std::lock_guard lock(g_mutex);
    d = Decoder();
  }
  out = DecodedPicture{};
  if (!d || !data || size == 0 || !d(data, size, out)) return FALSE;
  if (out.width <= 0 || out.height <= 0 ||
      out.argb.size() != static_cast<size_t>(out.width) * static_cast<size_t>(out.height)) {
    out = DecodedPicture{};
    return FALSE;
  }
  return TRUE;
}
