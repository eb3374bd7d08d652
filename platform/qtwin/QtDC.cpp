#include "platform/qtwin/QtDC.h"

#include "platform/win/Picture.h"

#include <QImage>
#include <cstring>
#include <limits>

#include <QPainter>
#include <QPainterPath>
#include <QPolygon>
#include <QString>

#include <vector>

namespace velmora::qtwin {
namespace {
QColor ToQColor(COLORREF c) { return QColor(GetRValue(c), GetGValue(c), GetBValue(c)); }

Qt::PenStyle ToPenStyle(int style) {
  switch (style) {
    case PS_DASH: return Qt::DashLine;
    case PS_DOT: return Qt::DotLine;
    case PS_DASHDOT: return Qt::DashDotLine;
    case PS_DASHDOTDOT: return Qt::DashDotDotLine;
    case PS_NULL: return Qt::NoPen;
    default: return Qt::SolidLine;
  }
}

QPolygon ToPolygon(const POINT* p, int n) {
  QPolygon poly(n);
  for (int i = 0; i < n; ++i) poly.setPoint(i, p[i].x, p[i].y);
  return poly;
}
}  // namespace

CQtPainterDC::CQtPainterDC(QPainter& painter, int width, int height, int dpi)
    : m_painter(painter), m_width(width), m_height(height), m_dpi(dpi) {}

void CQtPainterDC::Prepare(bool fill) {
  const CPen* pen = GetCurrentPen();
  // Width 0 is the one-pixel cosmetic pen, as on the other devices.
  QPen qpen(ToQColor(pen->GetColor()), pen->GetWidth(), ToPenStyle(pen->GetStyle()));
  qpen.setCosmetic(true);
  m_painter.setPen(qpen);
  const CBrush* brush = GetCurrentBrush();
  if (fill && brush->GetStyle() != BS_NULL)
    m_painter.setBrush(ToQColor(brush->GetColor()));
  else
    m_painter.setBrush(Qt::NoBrush);
  switch (GetROP2()) {
    case R2_XORPEN: m_painter.setCompositionMode(QPainter::RasterOp_SourceXorDestination); break;
    case R2_NOTXORPEN: m_painter.setCompositionMode(QPainter::RasterOp_NotSourceXorDestination); break;
    case R2_NOT: m_painter.setCompositionMode(QPainter::RasterOp_NotDestination); break;
    default: m_painter.setCompositionMode(QPainter::CompositionMode_SourceOver); break;
  }
}

BOOL CQtPainterDC::DoLineTo(CPoint from, CPoint to) {
  Prepare(false);
  m_painter.drawLine(from.x, from.y, to.x, to.y);
  return TRUE;
}

BOOL CQtPainterDC::DoPolyline(const POINT* lpPoints, int nCount) {
  Prepare(false);
  m_painter.drawPolyline(ToPolygon(lpPoints, nCount));
  return TRUE;
}

BOOL CQtPainterDC::DoPolyBezier(const POINT* p, int nCount) {
  Prepare(false);
  QPainterPath path(QPointF(p[0].x, p[0].y));
  for (int i = 1; i + 2 < nCount; i += 3)
    path.cubicTo(p[i].x, p[i].y, p[i + 1].x, p[i + 1].y, p[i + 2].x, p[i + 2].y);
  m_painter.drawPath(path);
  return TRUE;
}

// The bounding rectangle excludes its right and bottom edges.
BOOL CQtPainterDC::DoEllipse(const CRect& r) {
  Prepare(true);
  m_painter.drawEllipse(QRect(r.left, r.top, r.Width() - 1, r.Height() - 1));
  return TRUE;
}

BOOL CQtPainterDC::DoRectangle(const CRect& r) {
  Prepare(true);
  m_painter.drawRect(QRect(r.left, r.top, r.Width() - 1, r.Height() - 1));
  return TRUE;
}

COLORREF CQtPainterDC::DoSetPixel(CPoint p, COLORREF crColor) {
  if (p.x < 0 || p.y < 0 || p.x >= m_width || p.y >= m_height) return CLR_INVALID;
  m_painter.setCompositionMode(QPainter::CompositionMode_Source);
  m_painter.fillRect(p.x, p.y, 1, 1, ToQColor(crColor));
  return crColor;
}

int CQtPainterDC::DoGetDeviceCaps(int nIndex) const {
  switch (nIndex) {
    case HORZRES: return m_width;
    case VERTRES: return m_height;
    case LOGPIXELSX:
    case LOGPIXELSY: return m_dpi;
    case BITSPIXEL: return 32;
    case HORZSIZE: return m_dpi > 0 ? m_width * 254 / (m_dpi * 10) : 0;
    case VERTSIZE: return m_dpi > 0 ? m_height * 254 / (m_dpi * 10) : 0;
    default: return 0;
  }
}

BOOL CQtPainterDC::DoTextOut(CPoint p, const wchar_t* text, int nCount) {
  const QString s = QString::fromWCharArray(text, nCount);
  const QFontMetrics fm = m_painter.fontMetrics();
  m_painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
  if (GetBkMode() == OPAQUE)
    m_painter.fillRect(QRect(p.x, p.y, fm.horizontalAdvance(s), fm.height()), ToQColor(GetBkColor()));
  m_painter.setPen(ToQColor(GetTextColor()));
  // The position is the top-left corner of the text cell, the painter's is the baseline.
  m_painter.drawText(QPoint(p.x, p.y + fm.ascent()), s);
  return TRUE;
}

CSize CQtPainterDC::DoGetTextExtent(const wchar_t* text, int nCount) const {
  const QFontMetrics fm = m_painter.fontMetrics();
  return CSize(fm.horizontalAdvance(QString::fromWCharArray(text, nCount)), fm.height());
}

BOOL CQtPainterDC::DoFillSolidRect(const CRect& r, COLORREF crColor) {
  m_painter.setCompositionMode(QPainter::CompositionMode_Source);
  m_painter.fillRect(QRect(r.left, r.top, r.Width(), r.Height()), ToQColor(crColor));
  return TRUE;
}

BOOL CQtPainterDC::DoDrawImage(int x, int y, int cx, int cy, const uint32_t* argb) {
  const QImage image(reinterpret_cast<const uchar*>(argb), cx, cy, cx * 4, QImage::Format_ARGB32);
  m_painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
  m_painter.drawImage(QPoint(x, y), image);
  return TRUE;
}

void InstallQtPictureDecoder() {
  win::SetPictureDecoder([](const BYTE* data, size_t size, win::DecodedPicture& out) {
    if (size > static_cast<size_t>(std::numeric_limits<int>::max())) return false;
    QImage image;
    if (!image.loadFromData(data, static_cast<int>(size))) return false;
    image = image.convertToFormat(QImage::Format_ARGB32);
    out.width = image.width();
    out.height = image.height();
    out.argb.resize(static_cast<size_t>(out.width) * out.height);
    for (int r = 0; r < out.height; ++r)
      std::memcpy(out.argb.data() + static_cast<size_t>(r) * out.width, image.constScanLine(r),
                  static_cast<size_t>(out.width) * 4);
    return true;
  });
}

}  // namespace velmora::qtwin
