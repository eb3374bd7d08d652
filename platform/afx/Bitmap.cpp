#include "platform/afx/Bitmap.h"

#include "platform/afx/MemoryDC.h"

IMPLEMENT_DYNAMIC(CBitmap, CGdiObject)

CBitmap::~CBitmap() { DeleteObject(); }

BOOL CBitmap::CreateCompatibleBitmap(CDC*, int width, int height) {
  // Bounded so that width * height pixels never overflow or exhaust memory silently.
  constexpr long long kMaxPixels = 1LL << 28;
  if (width <= 0 || height <= 0 || (long long)width * height > kMaxPixels) return FALSE;
  m_pixels.assign(size_t(width) * height, RGB(0, 0, 0));
  m_nWidth = width;
  m_nHeight = height;
  m_bCreated = TRUE;
  return TRUE;
}

BOOL CBitmap::DeleteObject() {
  if (m_pSelectedIn) {
    m_pSelectedIn->m_pBitmap = nullptr;
    m_pSelectedIn = nullptr;
  }
  const BOOL had = m_bCreated;
  m_pixels.clear();
  m_pixels.shrink_to_fit();
  m_nWidth = m_nHeight = 0;
  m_bCreated = FALSE;
  return had;
}

COLORREF CBitmap::GetPixel(int x, int y) const {
  if (x < 0 || y < 0 || x >= m_nWidth || y >= m_nHeight) return CLR_INVALID;
  return m_pixels[size_t(y) * m_nWidth + x];
}

BOOL CBitmap::SetPixel(int x, int y, COLORREF color) {
  if (x < 0 || y < 0 || x >= m_nWidth || y >= m_nHeight) return FALSE;
  m_pixels[size_t(y) * m_nWidth + x] = color & 0xFFFFFF;
  return TRUE;
}
