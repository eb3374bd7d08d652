#include "platform/panlet/RuleBar.h"

#include "platform/afx/PaintDC.h"

IMPLEMENT_DYNAMIC(CKxRuleBar, CControlBar)

BEGIN_MESSAGE_MAP(CKxRuleBar, CControlBar)
ON_WM_PAINT()
END_MESSAGE_MAP()

BOOL CKxRuleBar::Create(CWnd* pParentWnd, BOOL bHorizontal, UINT nID, PaperSizeGetter getter) {
  m_bHorizontal = bHorizontal ? TRUE : FALSE;
  m_getter = getter;
  return CreateBar(pParentWnd, WS_CHILD | WS_VISIBLE | (bHorizontal ? CBRS_ALIGN_TOP : CBRS_ALIGN_LEFT), nID,
                   L"VelmoraRuler");
}

void CKxRuleBar::DrawMouse(int pos) {
  if (pos == m_nMouse) return;
  m_nMouse = pos;
  if (IsEnabled()) Invalidate(FALSE);
}

void CKxRuleBar::SetOffset(int offset) {
  if (offset == m_nOffset) return;
  m_nOffset = offset;
  if (IsEnabled()) Invalidate();
}

BOOL CKxRuleBar::GetPaperSize(double* width, double* height) const {
  return m_getter && width && height ? m_getter(width, height) : FALSE;
}

CSize CKxRuleBar::CalcFixedLayout(BOOL, BOOL bHorz) {
  return bHorz ? CSize(0, kThickness) : CSize(kThickness, 0);
}

void CKxRuleBar::OnPaint() {
  CPaintDC dc(this);
  RECT rc;
  GetClientRect(&rc);
  dc.FillSolidRect(rc, RGB(240, 240, 240));
  // Ticks every 10 pixels from the view's origin, long ones every 50.
  const int length = m_bHorizontal ? rc.right : rc.bottom;
  const int start = ((m_nOffset % 10) + 10) % 10;
  for (int at = start; at < length; at += 10) {
    const int tick = ((at - m_nOffset) % 50 == 0) ? kThickness / 2 : kThickness / 4;
    if (m_bHorizontal) {
      dc.MoveTo(at, kThickness - tick);
      dc.LineTo(at, kThickness);
    } else {
      dc.MoveTo(kThickness - tick, at);
      dc.LineTo(kThickness, at);
    }
  }
  if (m_nMouse >= 0) {
    CPen red(PS_SOLID, 1, RGB(255, 0, 0));
    CPen* old = dc.SelectObject(&red);
    if (m_bHorizontal) {
      dc.MoveTo(m_nMouse, 0);
      dc.LineTo(m_nMouse, kThickness);
    } else {
      dc.MoveTo(0, m_nMouse);
      dc.LineTo(kThickness, m_nMouse);
    }
    dc.SelectObject(old);
  }
}
