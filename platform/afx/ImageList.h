// An image list: equally sized images kept as pixels, drawn into a device context pixel by pixel
// (they are small: list-control icons). Images come from bitmaps or are made by a caller.
#pragma once

#include "platform/afx/Object.h"
#include "platform/afx/Rect.h"

#include <vector>

class CBitmap;
class CDC;

constexpr UINT ILC_MASK = 0x1, ILC_COLOR = 0x0, ILC_COLOR4 = 0x4, ILC_COLOR8 = 0x8, ILC_COLOR16 = 0x10,
               ILC_COLOR24 = 0x18, ILC_COLOR32 = 0x20, ILC_COLORDDB = 0xFE;
constexpr UINT ILD_NORMAL = 0x0, ILD_TRANSPARENT = 0x1;

class CImageList : public CObject {
  DECLARE_DYNAMIC(CImageList)

 public:
  CImageList() = default;
  // Fails for sizes that are not positive or beyond 256 pixels, and for a second Create.
  BOOL Create(int cx, int cy, UINT nFlags, int nInitial, int nGrow);
  BOOL DeleteImageList();
  BOOL IsCreated() const { return m_cx > 0; }
  int GetImageCount() const { return static_cast<int>(m_images.size()); }
  CSize GetImageSize() const { return CSize(m_cx, m_cy); }
  // The image's index, or -1. A bitmap is cut into as many images as its width holds; pixels of
  // crMask are transparent (with ILC_MASK).
  int Add(CBitmap* pbmImage, COLORREF crMask);
  // cx*cy pixels, row by row from the top; CLR_NONE pixels are transparent.
  int Add(const std::vector<COLORREF>& pixels);
  BOOL Remove(int nImage);  // -1 removes all
  // The pixel at (x, y) of an image; CLR_NONE when transparent or outside.
  COLORREF GetPixel(int nImage, int x, int y) const;
  BOOL Draw(CDC* pDC, int nImage, POINT pt, UINT nStyle) const;

 private:
  int m_cx = 0, m_cy = 0;
  UINT m_flags = 0;
  std::vector<std::vector<COLORREF>> m_images;
};
