#include "platform/panlet/WindowTip.h"

#include "platform/afx/PaintDC.h"

IMPLEMENT_DYNAMIC(CWindowTip, CWnd)

BEGIN_MESSAGE_MAP(CWindowTip, CWnd)
ON_WM_PAINT()
END_MESSAGE_MAP()

namespace {
constexpr int kPadding = 3;
}

CWindowTip::~CWindowTip() {
  if (GetSafeHwnd()) DestroyWindow();
}

BOOL CWindowTip::CreateTipWnd(CWnd* pParentWnd) {
  if (!pParentWnd || !pParentWnd->GetSafeHwnd() || m_hWnd) return FALSE;
  return Create(L"VelmoraTip", L"", WS_CHILD, RECT{0, 0, 0, 0}, pParentWnd, 0);
}

void CWindowTip::SetOffsetToShow(int dx, int dy) { m_offset = CPoint(dx, dy); }

void CWindowTip::SetTipText(const CString& text) {
  m_text = text;
  if (!m_hWnd) return;
  if (m_bShown)
    Show(CPoint(m_at.x - m_offset.x, m_at.y - m_offset.y));  // resized to the new text
  else
    Invalidate();
}

void CWindowTip::Show(CPoint point) {
  m_at = CPoint(point.x + m_offset.x, point.y + m_offset.y);
  m_bShown = TRUE;
  if (!m_hWnd) return;
  CClientDC dc(this);
  const CSize extent = dc.GetTextExtent(m_text.GetString());
  const int w = int(extent.cx) + 2 * kPadding, h = int(extent.cy) + 2 * kPadding;
  // A negative vertical offset lifts the tip above the point.
  const int x = m_at.x;
  const int y = m_offset.y < 0 ? m_at.y - h : m_at.y;
  MoveWindow(x, y, w, h, TRUE);
  ShowWindow(SW_SHOW);
  Invalidate();
}

void CWindowTip::Hide() {
  m_bShown = FALSE;
  if (m_hWnd) ShowWindow(SW_HIDE);
}

void CWindowTip::OnPaint() {
  CPaintDC dc(this);
  RECT rc;
  GetClientRect(&rc);
  dc.FillSolidRect(rc, RGB(255, 255, 225));
  dc.SetBkMode(TRANSPARENT);
  dc.TextOut(kPadding, kPadding, m_text.GetString());
}
