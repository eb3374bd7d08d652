// CBitmap: a device-dependent bitmap of 32-bit pixels that a memory device context draws into.
#pragma once

#include "platform/afx/GdiObject.h"

#include <vector>

class CDC;
class CMemoryDC;

class CBitmap : public CGdiObject {
  DECLARE_DYNAMIC(CBitmap)

 public:
  CBitmap() = default;
  // Deselects itself from a memory device context that still holds it.
  ~CBitmap() override;

  // width x height black pixels, of the display's format whatever `dc` is. Fails (and keeps
  // what the bitmap held) for sizes that are not positive or too large.
  BOOL CreateCompatibleBitmap(CDC* dc, int width, int height);
  // Frees the pixels (and deselects the bitmap).
  BOOL DeleteObject();

  int GetWidth() const { return m_nWidth; }
  int GetHeight() const { return m_nHeight; }
  // Pixel (x, y), y from the top; CLR_INVALID outside.
  COLORREF GetPixel(int x, int y) const;
  // FALSE outside.
  BOOL SetPixel(int x, int y, COLORREF color);

 private:
  friend class CMemoryDC;
  int m_nWidth = 0;
  int m_nHeight = 0;
  std::vector<COLORREF> m_pixels;  // top row first
  CMemoryDC* m_pSelectedIn = nullptr;
};
