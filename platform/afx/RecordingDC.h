// CRecordingDC: a device context that draws nothing and keeps every primitive with the pen,
// brush and mix mode in force when it was called, so tests can check what a shape drew.
#pragma once

#include "platform/afx/DC.h"

#include <string>
#include <vector>

class CRecordingDC : public CDC {
  DECLARE_DYNAMIC(CRecordingDC)

 public:
  enum class Kind { MoveTo, LineTo, Polyline, PolyBezier, Ellipse, Rectangle, SetPixel, TextOut, FillSolidRect };

  struct Call {
    Kind kind;
    // MoveTo: the new position; LineTo: from, to; Polyline/PolyBezier: every point;
    // Ellipse/Rectangle: top-left and bottom-right of the bounding rectangle; SetPixel: the pixel.
    std::vector<CPoint> points;
    COLORREF penColor;
    int penStyle;
    int penWidth;
    UINT brushStyle;
    COLORREF brushColor;
    int rop2;
    COLORREF pixelColor;  // SetPixel and FillSolidRect (the fill); TextOut: the text colour
    std::wstring text;    // TextOut only (its position is the one point)
  };

  // The device capabilities that GetDeviceCaps reports.
  explicit CRecordingDC(int nWidth = 1024, int nHeight = 768, int nDpiX = 96, int nDpiY = 96);

  const std::vector<Call>& GetCalls() const { return m_calls; }
  void ClearCalls() { m_calls.clear(); }
  // Number of calls of one kind.
  size_t Count(Kind kind) const;

 protected:
  BOOL DoMoveTo(CPoint p) override;
  BOOL DoLineTo(CPoint from, CPoint to) override;
  BOOL DoPolyline(const POINT* lpPoints, int nCount) override;
  BOOL DoPolyBezier(const POINT* lpPoints, int nCount) override;
  BOOL DoEllipse(const CRect& rect) override;
  BOOL DoRectangle(const CRect& rect) override;
  COLORREF DoSetPixel(CPoint p, COLORREF crColor) override;
  int DoGetDeviceCaps(int nIndex) const override;
  BOOL DoTextOut(CPoint p, const wchar_t* text, int nCount) override;
  BOOL DoFillSolidRect(const CRect& rect, COLORREF crColor) override;

 private:
  void Record(Kind kind, std::vector<CPoint> points, COLORREF pixel = 0, std::wstring text = {});

  std::vector<Call> m_calls;
  int m_nWidth, m_nHeight, m_nDpiX, m_nDpiY;
};
