#include "platform/afx/ImageList.h"

#include "platform/afx/Bitmap.h"
#include "platform/afx/DC.h"

#include <algorithm>

IMPLEMENT_DYNAMIC(CImageList, CObject)

namespace {
constexpr COLORREF kTransparent = 0xFFFFFFFFu;
}

BOOL CImageList::Create(int cx, int cy, UINT nFlags, int nInitial, int nGrow) {
  if (m_cx > 0 || cx <= 0 || cy <= 0 || cx > 256 || cy > 256 || nInitial < 0 || nGrow < 0) return FALSE;
  m_cx = cx;
  m_cy = cy;
  m_flags = nFlags;
  m_images.reserve(static_cast<size_t>(std::min(nInitial, 1024)));
  return TRUE;
}

BOOL CImageList::DeleteImageList() {
  if (m_cx <= 0) return FALSE;
  m_images.clear();
  m_cx = m_cy = 0;
  return TRUE;
}

int CImageList::Add(CBitmap* pbmImage, COLORREF crMask) {
  if (m_cx <= 0 || !pbmImage || pbmImage->GetWidth() < m_cx || pbmImage->GetHeight() < m_cy) return -1;
  const int first = GetImageCount();
  const int n = pbmImage->GetWidth() / m_cx;
  for (int k = 0; k < n; ++k) {
    std::vector<COLORREF> px(static_cast<size_t>(m_cx) * static_cast<size_t>(m_cy));
    for (int y = 0; y < m_cy; ++y)
      for (int x = 0; x < m_cx; ++x) {
        const COLORREF c = pbmImage->GetPixel(k * m_cx + x, y);
        px[static_cast<size_t>(y) * m_cx + x] = (m_flags & ILC_MASK) && c == crMask ? kTransparent : c;
      }
    m_images.push_back(std::move(px));
  }
  return first;
}

int CImageList::Add(const std::vector<COLORREF>& pixels) {
  if (m_cx <= 0 || pixels.size() != static_cast<size_t>(m_cx) * static_cast<size_t>(m_cy)) return -1;
  m_images.push_back(pixels);
  return GetImageCount() - 1;
}

BOOL CImageList::Remove(int nImage) {
  if (nImage == -1) {
    m_images.clear();
    return TRUE;
  }
  if (nImage < 0 || nImage >= GetImageCount()) return FALSE;
  m_images.erase(m_images.begin() + nImage);
  return TRUE;
}

COLORREF CImageList::GetPixel(int nImage, int x, int y) const {
  if (nImage < 0 || nImage >= GetImageCount() || x < 0 || y < 0 || x >= m_cx || y >= m_cy) return kTransparent;
  return m_images[static_cast<size_t>(nImage)][static_cast<size_t>(y) * m_cx + x];
}

BOOL CImageList::Draw(CDC* pDC, int nImage, POINT pt, UINT) const {
  if (!pDC || nImage < 0 || nImage >= GetImageCount()) return FALSE;
  for (int y = 0; y < m_cy; ++y)
    for (int x = 0; x < m_cx; ++x) {
      const COLORREF c = GetPixel(nImage, x, y);
      if (c != kTransparent) pDC->SetPixel(pt.x + x, pt.y + y, c);
    }
  return TRUE;
}
