#include "platform/afx/MemoryDC.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

IMPLEMENT_DYNAMIC(CMemoryDC, CDC)

namespace {

// Binary raster operations on pen p and destination d, per 24-bit colour.
COLORREF Mix(int rop, COLORREF p, COLORREF d) {
  constexpr COLORREF m = 0xFFFFFF;
  switch (rop) {
    case R2_BLACK: return 0;
    case R2_NOTMERGEPEN: return ~(d | p) & m;
    case R2_MASKNOTPEN: return d & ~p & m;
    case R2_NOTCOPYPEN: return ~p & m;
    case R2_MASKPENNOT: return p & ~d & m;
    case R2_NOT: return ~d & m;
    case R2_XORPEN: return (d ^ p) & m;
    case R2_NOTMASKPEN: return ~(d & p) & m;
    case R2_MASKPEN: return d & p & m;
    case R2_NOTXORPEN: return ~(d ^ p) & m;
    case R2_NOP: return d & m;
    case R2_MERGENOTPEN: return (d | ~p) & m;
    case R2_MERGEPENNOT: return (p | ~d) & m;
    case R2_MERGEPEN: return (d | p) & m;
    case R2_WHITE: return m;
    default: return p & m;
  }
}

}  // namespace

CMemoryDC::~CMemoryDC() {
  if (m_pBitmap) m_pBitmap->m_pSelectedIn = nullptr;
}

BOOL CMemoryDC::CreateCompatibleDC(CDC*) { return TRUE; }

CBitmap* CMemoryDC::SelectObject(CBitmap* bitmap) {
  if (!bitmap) return nullptr;
  CBitmap* old = m_pBitmap;
  if (old) old->m_pSelectedIn = nullptr;
  if (bitmap->m_pSelectedIn && bitmap->m_pSelectedIn != this)
    bitmap->m_pSelectedIn->m_pBitmap = nullptr;
  bitmap->m_pSelectedIn = this;
  m_pBitmap = bitmap;
  return old;
}

COLORREF CMemoryDC::GetPixel(int x, int y) const {
  return m_pBitmap ? m_pBitmap->GetPixel(x, y) : CLR_INVALID;
}

BOOL CMemoryDC::BitBlt(int x, int y, int width, int height, CDC* src, int xSrc, int ySrc,
                       DWORD rop) {
  auto* from = dynamic_cast<CMemoryDC*>(src);
  if (rop != SRCCOPY || !from || !from->m_pBitmap || !m_pBitmap) return FALSE;
  const CBitmap& s = *from->m_pBitmap;
  // A copy first, so that overlapping blocks within one bitmap come out right.
  std::vector<COLORREF> block;
  block.reserve(size_t(std::max(0, width)) * std::max(0, height));
  for (int j = 0; j < height; ++j)
    for (int i = 0; i < width; ++i) block.push_back(s.GetPixel(xSrc + i, ySrc + j));
  for (int j = 0; j < height; ++j)
    for (int i = 0; i < width; ++i) {
      const COLORREF c = block[size_t(j) * width + i];
      if (c != CLR_INVALID) m_pBitmap->SetPixel(x + i, y + j, c);
    }
  return TRUE;
}

void CMemoryDC::Plot(int x, int y) {
  const CPen* pen = GetCurrentPen();
  const int w = std::max(1, pen->GetWidth()), lo = -(w - 1) / 2;
  for (int j = lo; j < lo + w; ++j)
    for (int i = lo; i < lo + w; ++i) {
      const COLORREF d = m_pBitmap->GetPixel(x + i, y + j);
      if (d != CLR_INVALID) m_pBitmap->SetPixel(x + i, y + j, Mix(GetROP2(), pen->GetColor(), d));
    }
}

void CMemoryDC::Line(CPoint a, CPoint b) {
  if (GetCurrentPen()->GetStyle() == PS_NULL) return;
  // Bresenham, every pixel from a up to but not including b.
  const int dx = std::abs(b.x - a.x), dy = -std::abs(b.y - a.y);
  const int sx = a.x < b.x ? 1 : -1, sy = a.y < b.y ? 1 : -1;
  int err = dx + dy, x = a.x, y = a.y;
  while (x != b.x || y != b.y) {
    Plot(x, y);
    const int e2 = 2 * err;
    if (e2 >= dy) err += dy, x += sx;
    if (e2 <= dx) err += dx, y += sy;
  }
}

void CMemoryDC::Fill(int x, int y, COLORREF color) {
  const COLORREF d = m_pBitmap->GetPixel(x, y);
  if (d != CLR_INVALID) m_pBitmap->SetPixel(x, y, Mix(GetROP2(), color, d));
}

BOOL CMemoryDC::DoLineTo(CPoint from, CPoint to) {
  if (!m_pBitmap) return FALSE;
  Line(from, to);
  return TRUE;
}

BOOL CMemoryDC::DoPolyline(const POINT* pts, int n) {
  if (!m_pBitmap) return FALSE;
  for (int i = 1; i < n; ++i) Line(CPoint(pts[i - 1].x, pts[i - 1].y), CPoint(pts[i].x, pts[i].y));
  return TRUE;
}

BOOL CMemoryDC::DoPolyBezier(const POINT* pts, int n) {
  if (!m_pBitmap) return FALSE;
  constexpr int kSteps = 16;
  for (int k = 0; k + 3 < n; k += 3) {
    CPoint prev(pts[k].x, pts[k].y);
    for (int s = 1; s <= kSteps; ++s) {
      const double t = double(s) / kSteps, u = 1 - t;
      const double b0 = u * u * u, b1 = 3 * u * u * t, b2 = 3 * u * t * t, b3 = t * t * t;
      const CPoint p(int(std::lround(b0 * pts[k].x + b1 * pts[k + 1].x + b2 * pts[k + 2].x +
                                     b3 * pts[k + 3].x)),
                     int(std::lround(b0 * pts[k].y + b1 * pts[k + 1].y + b2 * pts[k + 2].y +
                                     b3 * pts[k + 3].y)));
      Line(prev, p);
      prev = p;
    }
  }
  return TRUE;
}

BOOL CMemoryDC::DoEllipse(const CRect& r) {
  if (!m_pBitmap) return FALSE;
  // Pixels whose centres lie inside the ellipse inscribed in [left, right) x [top, bottom);
  // those with a neighbour outside form the outline.
  const double cx = (r.left + r.right) / 2.0, cy = (r.top + r.bottom) / 2.0;
  const double ax = (r.right - r.left) / 2.0, ay = (r.bottom - r.top) / 2.0;
  if (ax <= 0 || ay <= 0) return TRUE;
  auto inside = [&](int x, int y) {
    const double u = (x + 0.5 - cx) / ax, v = (y + 0.5 - cy) / ay;
    return u * u + v * v <= 1.0;
  };
  const CBrush* brush = GetCurrentBrush();
  const bool outline = GetCurrentPen()->GetStyle() != PS_NULL;
  for (int y = r.top; y < r.bottom; ++y)
    for (int x = r.left; x < r.right; ++x) {
      if (!inside(x, y)) continue;
      if (outline && (!inside(x - 1, y) || !inside(x + 1, y) || !inside(x, y - 1) ||
                      !inside(x, y + 1)))
        Plot(x, y);
      else if (brush->GetStyle() == BS_SOLID)
        Fill(x, y, brush->GetColor());
    }
  return TRUE;
}

BOOL CMemoryDC::DoRectangle(const CRect& r) {
  if (!m_pBitmap) return FALSE;
  const CBrush* brush = GetCurrentBrush();
  const bool outline = GetCurrentPen()->GetStyle() != PS_NULL;
  for (int y = r.top; y < r.bottom; ++y)
    for (int x = r.left; x < r.right; ++x) {
      if (outline && (x == r.left || y == r.top || x == r.right - 1 || y == r.bottom - 1))
        Plot(x, y);
      else if (brush->GetStyle() == BS_SOLID)
        Fill(x, y, brush->GetColor());
    }
  return TRUE;
}

COLORREF CMemoryDC::DoSetPixel(CPoint p, COLORREF color) {
  if (!m_pBitmap || !m_pBitmap->SetPixel(p.x, p.y, color)) return CLR_INVALID;
  return color & 0xFFFFFF;
}

int CMemoryDC::DoGetDeviceCaps(int index) const {
  switch (index) {
    case HORZRES: return m_pBitmap ? m_pBitmap->GetWidth() : 0;
    case VERTRES: return m_pBitmap ? m_pBitmap->GetHeight() : 0;
    case BITSPIXEL: return 32;
    case LOGPIXELSX:
    case LOGPIXELSY: return 96;
    default: return 0;
  }
}
