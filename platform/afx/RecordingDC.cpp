#include "platform/afx/RecordingDC.h"

#include <algorithm>

IMPLEMENT_DYNAMIC(CRecordingDC, CDC)

CRecordingDC::CRecordingDC(int nWidth, int nHeight, int nDpiX, int nDpiY)
    : m_nWidth(nWidth), m_nHeight(nHeight), m_nDpiX(nDpiX), m_nDpiY(nDpiY) {}

size_t CRecordingDC::Count(Kind kind) const {
  return static_cast<size_t>(
      std::count_if(m_calls.begin(), m_calls.end(), [kind](const Call& c) { return c.kind == kind; }));
}

void CRecordingDC::Record(Kind kind, std::vector<CPoint> points, COLORREF pixel, std::wstring text) {
  const CPen* pen = GetCurrentPen();
  const CBrush* brush = GetCurrentBrush();
  m_calls.push_back(Call{kind, std::move(points), pen->GetColor(), pen->GetStyle(), pen->GetWidth(),
                         brush->GetStyle(), brush->GetColor(), GetROP2(), pixel, std::move(text)});
}

BOOL CRecordingDC::DoMoveTo(CPoint p) {
  Record(Kind::MoveTo, {p});
  return TRUE;
}

BOOL CRecordingDC::DoLineTo(CPoint from, CPoint to) {
  Record(Kind::LineTo, {from, to});
  return TRUE;
}

BOOL CRecordingDC::DoPolyline(const POINT* lpPoints, int nCount) {
  Record(Kind::Polyline, std::vector<CPoint>(lpPoints, lpPoints + nCount));
  return TRUE;
}

BOOL CRecordingDC::DoPolyBezier(const POINT* lpPoints, int nCount) {
  Record(Kind::PolyBezier, std::vector<CPoint>(lpPoints, lpPoints + nCount));
  return TRUE;
}

BOOL CRecordingDC::DoEllipse(const CRect& r) {
  Record(Kind::Ellipse, {r.TopLeft(), r.BottomRight()});
  return TRUE;
}

BOOL CRecordingDC::DoRectangle(const CRect& r) {
  Record(Kind::Rectangle, {r.TopLeft(), r.BottomRight()});
  return TRUE;
}

COLORREF CRecordingDC::DoSetPixel(CPoint p, COLORREF crColor) {
  Record(Kind::SetPixel, {p}, crColor);
  return crColor;
}

int CRecordingDC::DoGetDeviceCaps(int nIndex) const {
  switch (nIndex) {
    case HORZRES: return m_nWidth;
    case VERTRES: return m_nHeight;
    case LOGPIXELSX: return m_nDpiX;
    case LOGPIXELSY: return m_nDpiY;
    case BITSPIXEL: return 32;
    // Physical size in millimetres follows from the resolution.
    case HORZSIZE: return m_nDpiX > 0 ? m_nWidth * 254 / (m_nDpiX * 10) : 0;
    case VERTSIZE: return m_nDpiY > 0 ? m_nHeight * 254 / (m_nDpiY * 10) : 0;
    default: return 0;
  }
}

BOOL CRecordingDC::DoTextOut(CPoint p, const wchar_t* text, int nCount) {
  Record(Kind::TextOut, {p}, GetTextColor(), std::wstring(text, static_cast<size_t>(nCount)));
  return TRUE;
}

BOOL CRecordingDC::DoFillSolidRect(const CRect& r, COLORREF crColor) {
  Record(Kind::FillSolidRect, {r.TopLeft(), r.BottomRight()}, crColor);
  return TRUE;
}
