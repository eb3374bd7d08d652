#include "platform/afx/CommandImage.h"

#include "platform/afx/DC.h"

#include <mutex>
#include <unordered_map>

namespace velmora::afx {
namespace {
std::mutex g_mutex;
std::unordered_map<UINT, AfxCommandImage>& Images() {
  static std::unordered_map<UINT, AfxCommandImage> images;
  return images;
}
}  // namespace

void SetCommandImage(UINT nID, AfxCommandImage image) {
  std::lock_guard lock(g_mutex);
  const bool valid = image.size > 0 && image.size <= 256 && image.argb.size() == size_t(image.size) * size_t(image.size);
  if (valid)
    Images()[nID] = std::move(image);
  else
    Images().erase(nID);
}

const AfxCommandImage* FindCommandImage(UINT nID) {
  std::lock_guard lock(g_mutex);
  auto it = Images().find(nID);
  return it == Images().end() ? nullptr : &it->second;
}

void ClearCommandImages() {
  std::lock_guard lock(g_mutex);
  Images().clear();
}

BOOL DrawCommandImage(CDC& dc, UINT nID, const RECT& rect, BOOL bEnabled) {
  const AfxCommandImage* image = FindCommandImage(nID);
  if (!image) return FALSE;
  const int x = rect.left + (rect.right - rect.left - image->size) / 2;
  const int y = rect.top + (rect.bottom - rect.top - image->size) / 2;
  if (bEnabled) return dc.DrawImage(x, y, image->size, image->size, image->argb.data());
  // Disabled: grey at a third of the opacity.
  std::vector<uint32_t> faded(image->argb);
  for (uint32_t& p : faded) {
    const uint32_t r = (p >> 16) & 0xFF, g = (p >> 8) & 0xFF, b = p & 0xFF;
    const uint32_t grey = (r * 30 + g * 59 + b * 11) / 100;
    p = ((p >> 24) / 3) << 24 | grey << 16 | grey << 8 | grey;
  }
  return dc.DrawImage(x, y, image->size, image->size, faded.data());
}
}  // namespace velmora::afx
