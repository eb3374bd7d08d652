#include "platform/afx/PaintDC.h"

#include "platform/afx/Wnd.h"

IMPLEMENT_DYNAMIC(CWindowDC, CDC)
IMPLEMENT_DYNAMIC(CClientDC, CWindowDC)
IMPLEMENT_DYNAMIC(CPaintDC, CWindowDC)

namespace {
CRect ClientOf(CWnd* w) {
  CRect r;
  if (w) w->GetClientRect(&r);
  return r;
}
}  // namespace

CWindowDC::CWindowDC(CWnd* pWnd, NoTarget)
    : m_hWnd(pWnd ? pWnd->GetSafeHwnd() : nullptr),
      m_headless(ClientOf(pWnd).Width(), ClientOf(pWnd).Height()),
      m_pTarget(&m_headless) {}

CWindowDC::CWindowDC(CWnd* pWnd) : CWindowDC(pWnd, NoTarget{}) {
  m_hDC = ::GetDC(m_hWnd);
  m_bTaken = true;
  AttachTarget(m_hDC);
}

CWindowDC::~CWindowDC() {
  // Every context taken goes back, even a null one; a paint context ends its paint instead.
  if (m_bTaken) ::ReleaseDC(m_hWnd, m_hDC);
}

void CWindowDC::AttachTarget(HDC hdc) { m_pTarget = hdc ? reinterpret_cast<CDC*>(hdc) : &m_headless; }

CDC& CWindowDC::Synced() {
  CDC& t = *m_pTarget;
  t.SelectObject(GetCurrentPen());
  t.SelectObject(GetCurrentBrush());
  t.SetROP2(GetROP2());
  t.SetBkMode(GetBkMode());
  t.SetBkColor(GetBkColor());
  t.SetTextColor(GetTextColor());
  return t;
}

BOOL CWindowDC::DoLineTo(CPoint from, CPoint to) {
  CDC& t = Synced();
  t.MoveTo(from);
  return t.LineTo(to);
}
BOOL CWindowDC::DoPolyline(const POINT* lpPoints, int nCount) { return Synced().Polyline(lpPoints, nCount); }
BOOL CWindowDC::DoPolyBezier(const POINT* lpPoints, int nCount) { return Synced().PolyBezier(lpPoints, nCount); }
BOOL CWindowDC::DoEllipse(const CRect& rect) { return Synced().Ellipse(&rect); }
BOOL CWindowDC::DoRectangle(const CRect& rect) { return Synced().Rectangle(&rect); }
COLORREF CWindowDC::DoSetPixel(CPoint p, COLORREF crColor) { return Synced().SetPixel(p, crColor); }
int CWindowDC::DoGetDeviceCaps(int nIndex) const { return m_pTarget->GetDeviceCaps(nIndex); }
BOOL CWindowDC::DoTextOut(CPoint p, const wchar_t* text, int nCount) { return Synced().TextOut(p.x, p.y, text, nCount); }
BOOL CWindowDC::DoFillSolidRect(const CRect& rect, COLORREF crColor) { return Synced().FillSolidRect(rect, crColor); }
CSize CWindowDC::DoGetTextExtent(const wchar_t* text, int nCount) const {
  return m_pTarget ? m_pTarget->GetTextExtent(text, nCount) : CDC::DoGetTextExtent(text, nCount);
}

CPaintDC::CPaintDC(CWnd* pWnd) : CWindowDC(pWnd, NoTarget{}) { AttachTarget(::BeginPaint(m_hWnd, &m_ps)); }

CPaintDC::~CPaintDC() { ::EndPaint(m_hWnd, &m_ps); }
