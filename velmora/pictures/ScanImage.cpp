#include "velmora/pictures/ScanImage.h"

#include "db/DBase.h"
#include "db/DbAccess.h"
#include "db/DbImage.h"
#include "platform/vurode/Dib.h"
#include "platform/win/GlobalMem.h"

#include <cstring>
#include <memory>

CDib* KxDibFromScan(HANDLE hBitmap) {
  auto h = static_cast<HGLOBAL>(hBitmap);
  const size_t size = GlobalSize(h);
  if (size < sizeof(TW_BITMAPINFOHEADER)) return nullptr;
  const auto* base = static_cast<const uint8_t*>(GlobalLock(h));
  if (!base) return nullptr;
  TW_BITMAPINFOHEADER bi;
  std::memcpy(&bi, base, sizeof bi);
  CDib* result = nullptr;
  const int bits = bi.biBitCount;
  const bool known = bits == 1 || bits == 4 || bits == 8 || bits == 24 || bits == 32;
  const int64_t width = bi.biWidth, height = bi.biHeight < 0 ? -int64_t{bi.biHeight} : int64_t{bi.biHeight};
  if (known && bi.biSize >= sizeof bi && bi.biSize <= size && bi.biCompression == 0 && width > 0 && height > 0 &&
      width <= 65535 && height <= 65535) {
    const size_t colours = bits > 8 ? 0 : (bi.biClrUsed && bi.biClrUsed < (1u << bits) ? bi.biClrUsed : (1u << bits));
    const size_t stride = ((static_cast<size_t>(width) * bits + 31) / 32) * 4;
    const size_t bitsAt = bi.biSize + colours * 4;
    if (bitsAt <= size && stride * static_cast<size_t>(height) <= size - bitsAt) {
      auto dib = std::make_unique<CDib>();
      if (dib->Create(static_cast<int>(width), static_cast<int>(height))) {
        const uint8_t* table = base + bi.biSize;
        for (int64_t y = 0; y < height; ++y) {
          // Rows are stored bottom up unless the height is negative.
          const int64_t row = bi.biHeight > 0 ? height - 1 - y : y;
          const uint8_t* src = base + bitsAt + stride * static_cast<size_t>(row);
          for (int64_t x = 0; x < width; ++x) {
            uint8_t r, g, b;
            if (bits <= 8) {
              const size_t bit = static_cast<size_t>(x) * bits;
              size_t index = (src[bit / 8] >> (8 - bits - bit % 8)) & ((1u << bits) - 1);
              if (index >= colours) index = 0;
              b = table[4 * index];
              g = table[4 * index + 1];
              r = table[4 * index + 2];
            } else {
              const uint8_t* p = src + static_cast<size_t>(x) * (bits / 8);
              b = p[0];
              g = p[1];
              r = p[2];
            }
            dib->SetPixel(static_cast<int>(x), static_cast<int>(y), RGB(r, g, b));
          }
        }
        result = dib.release();
        result->AddRef();
      }
    }
  }
  GlobalUnlock(h);
  return result;
}

BOOL KxAddScannedImage(HANDLE hBitmap, const TW_IMAGEINFO& info) {
  CDBase* db = gGetDBase();
  if (!db) return FALSE;
  CDib* dib = KxDibFromScan(hBitmap);
  if (!dib) return FALSE;
  const double origin[2] = {0.0, 0.0};
  auto* image = new CDbImage(dib, origin);
  const double xres = info.XResolution.Whole + info.XResolution.Frac / 65536.0;
  const double yres = info.YResolution.Whole + info.YResolution.Frac / 65536.0;
  const double sx = xres > 0 ? 25.4 / xres : 1.0, sy = yres > 0 ? 25.4 / yres : 1.0;
  image->SetSize(dib->GetWidth() * sx, dib->GetHeight() * sy);
  db->AddTail(image);
  return TRUE;
}
