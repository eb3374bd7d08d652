#include "platform/vurode/Dib.h"

#include <memory>

#include "platform/vurode/ImageFile.h"

CDib::CDib() : m_width(0), m_height(0), m_refs(0) {}

CDib::~CDib() = default;

BOOL CDib::ReadFile(const CString& path) {
  DecodedImage img;
  if (!DecodeImageFile(path.ToUtf8(), img)) {
    m_width = m_height = 0;
    m_bits.clear();
    return FALSE;
  }
  Assign(img.width, img.height, img.rgba);
  return TRUE;
}

BOOL CDib::Create(int width, int height) {
  if (width <= 0 || height <= 0 || width > kMaxImageSide || height > kMaxImageSide ||
      int64_t(width) * height > kMaxImagePixels)
    return FALSE;
  m_width = width;
  m_height = height;
  m_bits.assign(size_t(width) * height, DibPixel{0, 0, 0, 255});
  return TRUE;
}

CDib* CDib::DDBToDIB(const CBitmap* bitmap) {
  if (!bitmap) return nullptr;
  auto dib = std::make_unique<CDib>();
  if (!dib->Create(bitmap->GetWidth(), bitmap->GetHeight())) return nullptr;
  for (int y = 0; y < dib->m_height; ++y)
    for (int x = 0; x < dib->m_width; ++x) {
      const COLORREF c = bitmap->GetPixel(x, y);
      dib->At(x, y) = DibPixel{GetBValue(c), GetGValue(c), GetRValue(c), 255};
    }
  return dib.release();
}

void CDib::Assign(int width, int height, const std::vector<uint8_t>& rgba) {
  m_width = width;
  m_height = height;
  m_bits.resize(size_t(width) * height);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const uint8_t* s = &rgba[(size_t(y) * width + x) * 4];
      At(x, y) = DibPixel{s[2], s[1], s[0], s[3]};
    }
  }
}

COLORREF CDib::GetPixel(int x, int y) const {
  if (x < 0 || y < 0 || x >= m_width || y >= m_height) return 0xFFFFFFFFu;
  const DibPixel& p = At(x, y);
  return RGB(p.red, p.green, p.blue);
}

void CDib::SetPixel(int x, int y, COLORREF color) {
  if (x < 0 || y < 0 || x >= m_width || y >= m_height) return;
  At(x, y) = DibPixel{GetBValue(color), GetGValue(color), GetRValue(color), 255};
}

void CDib::Display(CDC* dc, CPoint topLeft, CSize size) const {
  if (!dc || m_width == 0 || size.cx <= 0 || size.cy <= 0) return;
  // Nearest source pixel for every target pixel.
  for (int ty = 0; ty < size.cy; ++ty) {
    const int sy = static_cast<int>(int64_t(ty) * m_height / size.cy);
    for (int tx = 0; tx < size.cx; ++tx) {
      const int sx = static_cast<int>(int64_t(tx) * m_width / size.cx);
      const DibPixel& p = At(sx, sy);
      if (p.alpha == 0) continue;
      dc->SetPixel(topLeft.x + tx, topLeft.y + ty, RGB(p.red, p.green, p.blue));
    }
  }
}

int CDib::Release() {
  const int left = --m_refs;
  if (left == 0) delete this;
  return left;
}

BOOL CEnBitmap::LoadImage(const CString& path, COLORREF background) {
  if (!ReadFile(path)) return FALSE;
  const int br = GetRValue(background), bg = GetGValue(background), bb = GetBValue(background);
  for (DibPixel& p : m_bits) {
    const int a = p.alpha;
    p.red = static_cast<BYTE>((p.red * a + br * (255 - a) + 127) / 255);
    p.green = static_cast<BYTE>((p.green * a + bg * (255 - a) + 127) / 255);
    p.blue = static_cast<BYTE>((p.blue * a + bb * (255 - a) + 127) / 255);
    p.alpha = 255;
  }
  return TRUE;
}
