#include "platform/panlet/ColorButton.h"

#include "platform/afx/PaintDC.h"

IMPLEMENT_DYNAMIC(CKxColorButton, CWnd)

BEGIN_MESSAGE_MAP(CKxColorButton, CWnd)
ON_WM_PAINT()
END_MESSAGE_MAP()

BOOL CKxColorButton::Create(CWnd* pParentWnd, UINT nID, const RECT& rect) {
  return CWnd::Create(L"Button", L"", WS_CHILD | WS_VISIBLE, rect, pParentWnd, nID);
}

void CKxColorButton::SetColor(COLORREF color) {
  if (color == m_color) return;
  m_color = color;
  if (m_hWnd) Invalidate();
}

void CKxColorButton::OnPaint() {
  CPaintDC dc(this);
  RECT rc;
  GetClientRect(&rc);
  dc.FillSolidRect(rc, m_color);
}
