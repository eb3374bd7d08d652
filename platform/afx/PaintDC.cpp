#include "platform/afx/PaintDC.h"

#include "platform/afx/Wnd.h"

IMPLEMENT_DYNAMIC(CPaintDC, CDC)

namespace {
int ClientWidth(CWnd* w) {
  RECT r{};
  if (w) w->GetClientRect(&r);
  return r.right - r.left;
}
int ClientHeight(CWnd* w) {
  RECT r{};
  if (w) w->GetClientRect(&r);
  return r.bottom - r.top;
}
}  // namespace

CPaintDC::CPaintDC(CWnd* pWnd)
    : m_hWnd(pWnd ? pWnd->GetSafeHwnd() : nullptr), m_headless(ClientWidth(pWnd), ClientHeight(pWnd)) {
  const HDC hdc = ::BeginPaint(m_hWnd, &m_ps);
  // A backend's paint handle is the address of a device context it owns until EndPaint.
  m_pTarget = hdc ? reinterpret_cast<CDC*>(hdc) : &m_headless;
}

CPaintDC::~CPaintDC() { ::EndPaint(m_hWnd, &m_ps); }

CDC& CPaintDC::Synced() {
  CDC& t = *m_pTarget;
  t.SelectObject(GetCurrentPen());
  t.SelectObject(GetCurrentBrush());
  t.SetROP2(GetROP2());
  t.SetBkMode(GetBkMode());
  t.SetBkColor(GetBkColor());
  return t;
}

BOOL CPaintDC::DoLineTo(CPoint from, CPoint to) {
  CDC& t = Synced();
  t.MoveTo(from);
  return t.LineTo(to);
}
BOOL CPaintDC::DoPolyline(const POINT* lpPoints, int nCount) { return Synced().Polyline(lpPoints, nCount); }
BOOL CPaintDC::DoPolyBezier(const POINT* lpPoints, int nCount) { return Synced().PolyBezier(lpPoints, nCount); }
BOOL CPaintDC::DoEllipse(const CRect& rect) { return Synced().Ellipse(&rect); }
BOOL CPaintDC::DoRectangle(const CRect& rect) { return Synced().Rectangle(&rect); }
COLORREF CPaintDC::DoSetPixel(CPoint p, COLORREF crColor) { return Synced().SetPixel(p, crColor); }
int CPaintDC::DoGetDeviceCaps(int nIndex) const { return m_pTarget->GetDeviceCaps(nIndex); }
