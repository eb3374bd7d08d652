#include "platform/afx/DC.h"

IMPLEMENT_DYNAMIC(CDC, CObject)

CPoint CDC::MoveTo(int x, int y) {
  const CPoint old = m_pos;
  m_pos = CPoint(x, y);
  DoMoveTo(m_pos);
  return old;
}

BOOL CDC::LineTo(int x, int y) {
  const CPoint from = m_pos;
  m_pos = CPoint(x, y);
  return DoLineTo(from, m_pos);
}

BOOL CDC::Polyline(const POINT* lpPoints, int nCount) {
  if (!lpPoints || nCount < 2) return FALSE;
  return DoPolyline(lpPoints, nCount);
}

BOOL CDC::PolyBezier(const POINT* lpPoints, int nCount) {
  if (!lpPoints || nCount < 4 || (nCount - 1) % 3 != 0) return FALSE;
  return DoPolyBezier(lpPoints, nCount);
}

BOOL CDC::Ellipse(int x1, int y1, int x2, int y2) { return DoEllipse(CRect(x1, y1, x2, y2)); }

BOOL CDC::Rectangle(int x1, int y1, int x2, int y2) { return DoRectangle(CRect(x1, y1, x2, y2)); }

COLORREF CDC::SetPixel(int x, int y, COLORREF crColor) { return DoSetPixel(CPoint(x, y), crColor); }

CSize CDC::GetTextExtent(LPCWSTR lpszString, int nCount) const {
  if (!lpszString) return CSize(0, 0);
  constexpr int kMaxText = 1 << 16;
  if (nCount < 0) {
    nCount = 0;
    while (nCount < kMaxText && lpszString[nCount]) ++nCount;
  }
  if (nCount > kMaxText) nCount = kMaxText;
  return DoGetTextExtent(lpszString, nCount);
}

BOOL CDC::TextOut(int x, int y, LPCWSTR lpszString, int nCount) {
  if (!lpszString) return FALSE;
  // Bounded even for an unterminated buffer handed with a wrong count.
  constexpr int kMaxText = 1 << 16;
  if (nCount < 0) {
    nCount = 0;
    while (nCount < kMaxText && lpszString[nCount]) ++nCount;
  }
  if (nCount > kMaxText) return FALSE;
  return DoTextOut(CPoint(x, y), lpszString, nCount);
}

BOOL CDC::FillSolidRect(const RECT& rect, COLORREF crColor) {
  CRect r(rect);
  r.NormalizeRect();
  return DoFillSolidRect(r, crColor);
}

COLORREF CDC::SetTextColor(COLORREF crColor) {
  const COLORREF old = m_crTextColor;
  m_crTextColor = crColor;
  return old;
}

CPen* CDC::SelectObject(CPen* pPen) {
  if (!pPen) return nullptr;
  CPen* old = m_pPen;
  m_pPen = pPen;
  return old;
}

CBrush* CDC::SelectObject(CBrush* pBrush) {
  if (!pBrush) return nullptr;
  CBrush* old = m_pBrush;
  m_pBrush = pBrush;
  return old;
}

int CDC::SetROP2(int nDrawMode) {
  if (nDrawMode < R2_BLACK || nDrawMode > R2_WHITE) return 0;
  const int old = m_nROP2;
  m_nROP2 = nDrawMode;
  return old;
}

int CDC::SetBkMode(int nBkMode) {
  if (nBkMode != TRANSPARENT && nBkMode != OPAQUE) return 0;
  const int old = m_nBkMode;
  m_nBkMode = nBkMode;
  return old;
}

COLORREF CDC::SetBkColor(COLORREF crColor) {
  const COLORREF old = m_crBkColor;
  m_crBkColor = crColor;
  return old;
}

BOOL CDC::DrawImage(int x, int y, int cx, int cy, const uint32_t* argb) {
  if (!argb || cx <= 0 || cy <= 0) return FALSE;
  return DoDrawImage(x, y, cx, cy, argb);
}

BOOL CDC::DoDrawImage(int x, int y, int cx, int cy, const uint32_t* argb) {
  for (int r = 0; r < cy; ++r)
    for (int c = 0; c < cx; ++c) {
      const uint32_t p = argb[static_cast<size_t>(r) * cx + c];
      if ((p >> 24) == 0) continue;
      DoSetPixel(CPoint(x + c, y + r), RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF));
    }
  return TRUE;
}
