// CMemoryDC: a device context that rasterises into the bitmap selected into it. Pens draw one
// pixel wide lines (wider pens a square of their width around each pixel; dashed styles draw
// solid), brushes fill, and the mix mode combines the pen with what is there.
#pragma once

#include "platform/afx/Bitmap.h"
#include "platform/afx/DC.h"

class CMemoryDC : public CDC {
  DECLARE_DYNAMIC(CMemoryDC)

 public:
  CMemoryDC() = default;
  ~CMemoryDC() override;

  // A memory context for the display (or for `dc`'s device); always succeeds.
  BOOL CreateCompatibleDC(CDC* dc);

  using CDC::SelectObject;
  // Returns the previously selected bitmap (null at first); null selects nothing and changes
  // nothing. A bitmap is in at most one context: selecting it here takes it from another.
  CBitmap* SelectObject(CBitmap* bitmap);
  CBitmap* GetSelectedBitmap() const { return m_pBitmap; }

  // CLR_INVALID outside the bitmap or without one.
  COLORREF GetPixel(int x, int y) const;
  COLORREF GetPixel(POINT p) const { return GetPixel(p.x, p.y); }
  // Copies a width x height block from (xSrc, ySrc) of `src` to (x, y), clipped to both
  // bitmaps. Only SRCCOPY; FALSE for other operations, a source that is not a memory context,
  // or a missing bitmap.
  BOOL BitBlt(int x, int y, int width, int height, CDC* src, int xSrc, int ySrc, DWORD rop);

 protected:
  BOOL DoLineTo(CPoint from, CPoint to) override;
  BOOL DoPolyline(const POINT* lpPoints, int nCount) override;
  BOOL DoPolyBezier(const POINT* lpPoints, int nCount) override;
  BOOL DoEllipse(const CRect& rect) override;
  BOOL DoRectangle(const CRect& rect) override;
  COLORREF DoSetPixel(CPoint p, COLORREF crColor) override;
  int DoGetDeviceCaps(int nIndex) const override;

 private:
  friend class CBitmap;
  // The pen at one pixel of a line, by the mix mode.
  void Plot(int x, int y);
  // A line without its last pixel, as GDI draws them.
  void Line(CPoint a, CPoint b);
  void Fill(int x, int y, COLORREF color);

  CBitmap* m_pBitmap = nullptr;
};
