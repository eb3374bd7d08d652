// The relief grid as a picture: bitmaps of its heights for the 2D view, and picture files
// painted onto its node colours.
#include <algorithm>
#include <climits>
#include <cmath>
#include <memory>

#include "geometry/grid/GeGrid.h"
#include "platform/afx/FileFind.h"
#include "platform/afx/MemoryDC.h"
#include "platform/vurode/Accessors.h"
#include "platform/vurode/Dib.h"
#include "platform/vurode/ViewState.h"

namespace {

COLORREF ReliefColor(float z, float zmin, float zmax) {
  if (std::fabs(z) < 0.0001f) return RGB(255, 255, 255);
  if (std::fabs(z) < 0.01f) return RGB(219, 177, 66);
  if (z < 0) {
    const float s = 1 - z / zmin;
    return RGB(int(s * 219), int(s * 177), int(s * 66));
  }
  const int u = int(z / zmax * 100);
  return RGB(std::min(255, 219 + u), std::min(255, 177 + u), std::min(255, 66 + u));
}

COLORREF GreyColor(float z, float zmin, float range) {
  if (std::fabs(z) < 0.0001f) return RGB(255, 255, 255);
  const int g = int((z - zmin) / range * 255);
  return RGB(g, g, g);
}

// Scales i in 0 .. n - 1 onto 0 .. span (a single pixel maps to 0).
long Scale(long i, long span, long n) { return n > 1 ? i * span / (n - 1) : 0; }

// The show rectangle into a new width x height bitmap, the highest row on top.
void Render(const CGeGrid& g, CBitmap* bitmap, int width, int height, bool grey) {
  if (!bitmap || !g.m_pNodes || width < 1 || height < 1) return;
  const CRect& rc = g.m_rcShow;
  if (rc.right <= rc.left || rc.bottom <= rc.top) return;
  CMemoryDC mem;
  mem.CreateCompatibleDC(nullptr);
  if (!bitmap->CreateCompatibleBitmap(&mem, width, height)) return;
  mem.SelectObject(bitmap);
  const int oldMode = mem.SetBkMode(TRANSPARENT);
  mem.SetBkColor(RGB(0, 0, 0));
  const int oldRop = mem.SetROP2(R2_COPYPEN);
  // The true height range of the window, whatever the heights' magnitude.
  float zmin = g.Node(rc.left, rc.top).z, zmax = zmin;
  for (long r = rc.top; r <= rc.bottom; ++r)
    for (long c = rc.left; c <= rc.right; ++c) {
      zmin = std::min(zmin, g.Node(c, r).z);
      zmax = std::max(zmax, g.Node(c, r).z);
    }
  float range = zmax - zmin;
  if (std::fabs(range) < 0.0001f) range = 1;
  for (int i = 0; i < height; ++i) {
    const long row = rc.top + Scale(height - 1 - i, rc.bottom - rc.top - 1, height);
    for (int j = 0; j < width; ++j) {
      const float z = g.Node(rc.left + Scale(j, rc.right - rc.left - 1, width), row).z;
      mem.SetPixel(j, i, grey ? GreyColor(z, zmin, range) : ReliefColor(z, zmin, zmax));
    }
  }
  mem.SetROP2(oldRop);
  mem.SetBkMode(oldMode);
}

}  // namespace

void CGeGrid::CreateBitmap(CBitmap* bitmap, int width, int height) {
  Render(*this, bitmap, width, height, true);
}

void CGeGrid::GetBitmap(CBitmap* bitmap, int width, int grey) {
  const CRect& rc = m_rcShow;
  if (!bitmap || width < 1 || rc.right <= rc.left || rc.bottom <= rc.top) return;
  const long height = long(width) * (rc.bottom - rc.top) / (rc.right - rc.left);
  if (height < 1 || height > INT_MAX) return;
  Render(*this, bitmap, width, int(height), grey != 0);
}

void CGeGrid::DrawImage(CDC* dc) {
  CVurode* view = gGetVurode();
  if (!dc || !view) return;
  if (!m_pImage) m_bModified = 1;
  if (m_bModified) {
    delete m_pImage;
    m_pImage = nullptr;
    CBitmap bmp;
    GetBitmap(&bmp, 400, 0);
    m_pImage = CDib::DDBToDIB(&bmp);
  }
  m_bModified = 0;
  if (!m_pImage) return;
  const CRect& rc = m_rcShow;
  const CPoint corner =
      view->WorldtoScreen(m_dOriginX + rc.left * m_fCell, m_dOriginY + rc.top * m_fCell);
  const int w = int(view->WorldtoScreen(double(rc.right - rc.left) * m_fCell));
  const int h = int(view->WorldtoScreen(double(rc.bottom - rc.top) * m_fCell));
  m_pImage->Display(dc, CPoint(corner.x, corner.y - h), CSize(w, h));
}

void CGeGrid::SetMaterial(CString path) {
  if (path.IsEmpty() || !m_pNodes) return;
  CFileFind find;
  if (!find.FindFile(path)) return;
  if (!m_pColors) InitVertexColor();
  CEnBitmap picture;
  if (!picture.LoadImage(path, RGB(255, 255, 255))) return;
  const DibPixel* bits = picture.GetDIBits32();
  const size_t pw = size_t(picture.GetWidth()), ph = size_t(picture.GetHeight());
  if (!bits || pw == 0 || ph == 0) return;
  // Bottom row first, like the grid's rows.
  for (size_t i = 0; i < m_nRows; ++i)
    for (size_t k = 0; k < m_nCols; ++k) {
      const DibPixel& p = bits[(i * ph / m_nRows) * pw + k * pw / m_nCols];
      uint8_t* c = m_pColors[k + i * m_nCols];
      c[0] = p.red, c[1] = p.green, c[2] = p.blue;
    }
}
