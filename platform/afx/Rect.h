// Integer screen geometry: CPoint, CSize and CRect over the plain POINT/SIZE/RECT records, so
// that either form can be passed where the other is expected.
#pragma once

#include "platform/win/WinTypes.h"

class CSize : public SIZE {
 public:
  constexpr CSize() : SIZE{0, 0} {}
  constexpr CSize(int x, int y) : SIZE{x, y} {}
  constexpr CSize(SIZE s) : SIZE(s) {}
  constexpr bool operator==(const CSize& o) const { return cx == o.cx && cy == o.cy; }
  constexpr CSize operator+(CSize o) const { return CSize(cx + o.cx, cy + o.cy); }
  constexpr CSize operator-(CSize o) const { return CSize(cx - o.cx, cy - o.cy); }
  constexpr CSize operator-() const { return CSize(-cx, -cy); }
};

class CPoint : public POINT {
 public:
  constexpr CPoint() : POINT{0, 0} {}
  constexpr CPoint(int x0, int y0) : POINT{x0, y0} {}
  constexpr CPoint(POINT p) : POINT(p) {}
  constexpr explicit CPoint(SIZE s) : POINT{s.cx, s.cy} {}

  constexpr void Offset(int dx, int dy) { x += dx; y += dy; }
  constexpr void Offset(POINT p) { Offset(p.x, p.y); }
  constexpr void SetPoint(int x0, int y0) { x = x0; y = y0; }

  constexpr bool operator==(const CPoint& o) const { return x == o.x && y == o.y; }
  constexpr CPoint& operator+=(CSize s) { x += s.cx; y += s.cy; return *this; }
  constexpr CPoint& operator-=(CSize s) { x -= s.cx; y -= s.cy; return *this; }
  constexpr CPoint& operator+=(POINT p) { x += p.x; y += p.y; return *this; }
  constexpr CPoint& operator-=(POINT p) { x -= p.x; y -= p.y; return *this; }
  constexpr CPoint operator+(CSize s) const { return CPoint(x + s.cx, y + s.cy); }
  constexpr CPoint operator-(CSize s) const { return CPoint(x - s.cx, y - s.cy); }
  constexpr CPoint operator+(POINT p) const { return CPoint(x + p.x, y + p.y); }
  // The difference of two points is a displacement.
  constexpr CSize operator-(POINT p) const { return CSize(x - p.x, y - p.y); }
  constexpr CPoint operator-() const { return CPoint(-x, -y); }
};

class CRect : public RECT {
 public:
  constexpr CRect() : RECT{0, 0, 0, 0} {}
  constexpr CRect(int l, int t, int r, int b) : RECT{l, t, r, b} {}
  constexpr CRect(const RECT& r) : RECT(r) {}
  constexpr CRect(const RECT* r) : RECT(*r) {}
  constexpr CRect(POINT topLeft, SIZE size)
      : RECT{topLeft.x, topLeft.y, topLeft.x + size.cx, topLeft.y + size.cy} {}
  constexpr CRect(POINT topLeft, POINT bottomRight)
      : RECT{topLeft.x, topLeft.y, bottomRight.x, bottomRight.y} {}

  constexpr int Width() const { return right - left; }
  constexpr int Height() const { return bottom - top; }
  constexpr CSize Size() const { return CSize(Width(), Height()); }
  constexpr CPoint TopLeft() const { return CPoint(left, top); }
  constexpr CPoint BottomRight() const { return CPoint(right, bottom); }
  constexpr CPoint CenterPoint() const { return CPoint((left + right) / 2, (top + bottom) / 2); }

  // Empty: no area (width or height not positive). Null: all four edges zero.
  constexpr BOOL IsRectEmpty() const { return Width() <= 0 || Height() <= 0; }
  constexpr BOOL IsRectNull() const { return left == 0 && top == 0 && right == 0 && bottom == 0; }
  // Half-open: the right and bottom edges are outside, as for pixels.
  constexpr BOOL PtInRect(POINT p) const {
    return p.x >= left && p.x < right && p.y >= top && p.y < bottom;
  }

  constexpr void SetRect(int l, int t, int r, int b) { left = l; top = t; right = r; bottom = b; }
  constexpr void SetRectEmpty() { SetRect(0, 0, 0, 0); }
  constexpr void InflateRect(int dx, int dy) { left -= dx; top -= dy; right += dx; bottom += dy; }
  constexpr void InflateRect(SIZE s) { InflateRect(s.cx, s.cy); }
  constexpr void DeflateRect(int dx, int dy) { InflateRect(-dx, -dy); }
  constexpr void DeflateRect(SIZE s) { InflateRect(-s.cx, -s.cy); }
  constexpr void OffsetRect(int dx, int dy) { left += dx; right += dx; top += dy; bottom += dy; }
  constexpr void OffsetRect(POINT p) { OffsetRect(p.x, p.y); }
  constexpr void OffsetRect(SIZE s) { OffsetRect(s.cx, s.cy); }
  constexpr void NormalizeRect() {
    if (left > right) { const LONG t = left; left = right; right = t; }
    if (top > bottom) { const LONG t = top; top = bottom; bottom = t; }
  }
  // Both return FALSE and leave an empty rectangle when the result has no area.
  constexpr BOOL IntersectRect(const RECT& a, const RECT& b) {
    SetRect(a.left > b.left ? a.left : b.left, a.top > b.top ? a.top : b.top,
            a.right < b.right ? a.right : b.right, a.bottom < b.bottom ? a.bottom : b.bottom);
    if (IsRectEmpty()) { SetRectEmpty(); return FALSE; }
    return TRUE;
  }
  constexpr BOOL UnionRect(const RECT& a, const RECT& b) {
    const CRect ra(a), rb(b);
    if (ra.IsRectEmpty()) { *this = rb; }
    else if (rb.IsRectEmpty()) { *this = ra; }
    else {
      SetRect(a.left < b.left ? a.left : b.left, a.top < b.top ? a.top : b.top,
              a.right > b.right ? a.right : b.right, a.bottom > b.bottom ? a.bottom : b.bottom);
    }
    if (IsRectEmpty()) { SetRectEmpty(); return FALSE; }
    return TRUE;
  }

  constexpr bool operator==(const CRect& o) const {
    return left == o.left && top == o.top && right == o.right && bottom == o.bottom;
  }
  operator LPRECT() { return this; }
  operator LPCRECT() const { return this; }
};
