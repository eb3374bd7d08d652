// CDC: the abstract device context that 2D shapes draw through. It keeps the drawing state
// (current position, selected pen and brush, mix mode, background) and hands each primitive to a
// backend through the protected Do* hooks; CRecordingDC records them for tests.
#pragma once

#include "platform/afx/GdiObject.h"
#include "platform/afx/Rect.h"

#include <cstdint>

class CDC : public CObject {
  DECLARE_DYNAMIC(CDC)

 public:
  CDC() = default;
  CDC(const CDC&) = delete;
  CDC& operator=(const CDC&) = delete;
  ~CDC() override = default;

  // Device-context handles are the addresses of CDC objects (what BeginPaint, custom-draw and
  // owner-draw records carry).
  static CDC* FromHandle(HDC hDC) { return reinterpret_cast<CDC*>(hDC); }
  HDC GetSafeHdc() const { return reinterpret_cast<HDC>(const_cast<CDC*>(this)); }

  // Returns the previous current position.
  CPoint MoveTo(int x, int y);
  CPoint MoveTo(POINT p) { return MoveTo(p.x, p.y); }
  CPoint GetCurrentPosition() const { return m_pos; }
  // Draws from the current position to (x, y), which becomes the current position.
  BOOL LineTo(int x, int y);
  BOOL LineTo(POINT p) { return LineTo(p.x, p.y); }
  // At least two points; the current position is neither used nor changed.
  BOOL Polyline(const POINT* lpPoints, int nCount);
  // Cubic segments: 3k + 1 points, k >= 1.
  BOOL PolyBezier(const POINT* lpPoints, int nCount);
  // Outlined with the pen, filled with the brush, inside the bounding rectangle.
  BOOL Ellipse(int x1, int y1, int x2, int y2);
  BOOL Ellipse(LPCRECT lpRect) { return Ellipse(lpRect->left, lpRect->top, lpRect->right, lpRect->bottom); }
  BOOL Rectangle(int x1, int y1, int x2, int y2);
  BOOL Rectangle(LPCRECT lpRect) { return Rectangle(lpRect->left, lpRect->top, lpRect->right, lpRect->bottom); }
  // Returns the colour actually set, or CLR_INVALID.
  COLORREF SetPixel(int x, int y, COLORREF crColor);
  COLORREF SetPixel(POINT p, COLORREF crColor) { return SetPixel(p.x, p.y, crColor); }

  // Text with its top-left corner at (x, y) in the text colour, on the background colour when the
  // background mode is OPAQUE. nCount characters (-1: up to the terminator). FALSE for a device
  // that cannot draw text.
  BOOL TextOut(int x, int y, LPCWSTR lpszString, int nCount = -1);
  // Width and height of nCount characters (-1: up to the terminator) in the device's font.
  CSize GetTextExtent(LPCWSTR lpszString, int nCount = -1) const;
  // Fills the rectangle with one colour; neither pen nor brush is used.
  BOOL FillSolidRect(const RECT& rect, COLORREF crColor);
  BOOL FillSolidRect(int x, int y, int cx, int cy, COLORREF crColor) {
    return FillSolidRect(RECT{x, y, x + cx, y + cy}, crColor);
  }

  // Selecting returns the previously selected object so that the caller can restore it;
  // selecting null changes nothing and returns null.
  CPen* SelectObject(CPen* pPen);
  CBrush* SelectObject(CBrush* pBrush);
  CPen* GetCurrentPen() const { return m_pPen; }
  CBrush* GetCurrentBrush() const { return m_pBrush; }

  // Each setter returns the previous value; an unknown mode is refused with 0.
  int SetROP2(int nDrawMode);
  int GetROP2() const { return m_nROP2; }
  int SetBkMode(int nBkMode);
  int GetBkMode() const { return m_nBkMode; }
  COLORREF SetBkColor(COLORREF crColor);
  COLORREF GetBkColor() const { return m_crBkColor; }
  COLORREF SetTextColor(COLORREF crColor);
  COLORREF GetTextColor() const { return m_crTextColor; }

  // A picture of cx x cy pixels (0xAARRGGBB, rows top down) with its top-left corner at (x, y);
  // fully transparent pixels leave the device as it was.
  BOOL DrawImage(int x, int y, int cx, int cy, const uint32_t* argb);

  // HORZRES/VERTRES in pixels, LOGPIXELSX/LOGPIXELSY in dots per inch; 0 for unknown indexes.
  int GetDeviceCaps(int nIndex) const { return DoGetDeviceCaps(nIndex); }

 protected:
  virtual BOOL DoMoveTo(CPoint) { return TRUE; }
  virtual BOOL DoLineTo(CPoint from, CPoint to) = 0;
  virtual BOOL DoPolyline(const POINT* lpPoints, int nCount) = 0;
  virtual BOOL DoPolyBezier(const POINT* lpPoints, int nCount) = 0;
  virtual BOOL DoEllipse(const CRect& rect) = 0;
  virtual BOOL DoRectangle(const CRect& rect) = 0;
  virtual COLORREF DoSetPixel(CPoint p, COLORREF crColor) = 0;
  virtual int DoGetDeviceCaps(int nIndex) const = 0;
  // Devices without text or fills keep these and report failure.
  virtual BOOL DoTextOut(CPoint, const wchar_t*, int) { return FALSE; }
  virtual BOOL DoFillSolidRect(const CRect&, COLORREF) { return FALSE; }
  // Devices without a font measure kTextCharWidth per character and kTextHeight of height.
  static constexpr int kTextCharWidth = 7;
  static constexpr int kTextHeight = 13;
  virtual CSize DoGetTextExtent(const wchar_t*, int nCount) const { return CSize(nCount * kTextCharWidth, kTextHeight); }
  // Devices without pictures of their own draw them pixel by pixel.
  virtual BOOL DoDrawImage(int x, int y, int cx, int cy, const uint32_t* argb);

 private:
  CPen m_defaultPen{PS_SOLID, 1, RGB(0, 0, 0)};
  CBrush m_defaultBrush{RGB(255, 255, 255)};
  CPoint m_pos;
  CPen* m_pPen = &m_defaultPen;
  CBrush* m_pBrush = &m_defaultBrush;
  int m_nROP2 = R2_COPYPEN;
  int m_nBkMode = OPAQUE;
  COLORREF m_crBkColor = RGB(255, 255, 255);
  COLORREF m_crTextColor = RGB(0, 0, 0);
};
