// CQtPainterDC: a device context over a QPainter. Pens, brushes and the mix mode are taken from
// the CDC state before each primitive; R2_NOTXORPEN and R2_XORPEN map to the painter's XOR raster
// operation so rubber bands drawn twice leave the picture as it was.
#pragma once

#include "platform/afx/DC.h"

class QPainter;

namespace velmora::qtwin {

class CQtPainterDC : public CDC {
 public:
  // The painter must outlive this context and be active; dpi is what LOGPIXELSX/Y report.
  CQtPainterDC(QPainter& painter, int width, int height, int dpi = 96);

 protected:
  BOOL DoLineTo(CPoint from, CPoint to) override;
  BOOL DoPolyline(const POINT* lpPoints, int nCount) override;
  BOOL DoPolyBezier(const POINT* lpPoints, int nCount) override;
  BOOL DoEllipse(const CRect& rect) override;
  BOOL DoRectangle(const CRect& rect) override;
  COLORREF DoSetPixel(CPoint p, COLORREF crColor) override;
  int DoGetDeviceCaps(int nIndex) const override;
  BOOL DoTextOut(CPoint p, const wchar_t* text, int nCount) override;
  BOOL DoFillSolidRect(const CRect& rect, COLORREF crColor) override;
  CSize DoGetTextExtent(const wchar_t* text, int nCount) const override;
  BOOL DoDrawImage(int x, int y, int cx, int cy, const uint32_t* argb) override;

 private:
  // Pen, brush and composition for the next primitive.
  void Prepare(bool fill);

  QPainter& m_painter;
  int m_width, m_height, m_dpi;
};

// Pictures decode through Qt's image readers (its GIF reader among them).
void InstallQtPictureDecoder();

}  // namespace velmora::qtwin
