#include "platform/panlet/RuleBar.h"

#include "platform/afx/PaintDC.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

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

void CKxRuleBar::SetScale(double valueAtOrigin, double valuePerPixel) {
  if (valueAtOrigin == m_atOrigin && valuePerPixel == m_perPixel) return;
  m_atOrigin = valueAtOrigin;
  m_perPixel = valuePerPixel;
  if (IsEnabled()) Invalidate();
}

double CKxRuleBar::MajorStep(double valuePerPixel) {
  const double want = std::fabs(valuePerPixel) * kMinLabelGap;
  if (!std::isfinite(want) || want <= 0.0 || want > 1e30 || want < 1e-30) return 0.0;
  const double decade = std::pow(10.0, std::floor(std::log10(want)));
  for (double m : {1.0, 2.0, 5.0, 10.0})
    if (m * decade >= want * (1 - 1e-9)) return m * decade;
  return 10.0 * decade;
}

CString CKxRuleBar::Label(double value, double step) {
  // As many decimals as the step needs, none for whole steps.
  const int decimals = step >= 1.0 ? 0 : std::min(9, int(std::ceil(-std::log10(step) - 1e-9)));
  if (std::fabs(value) < step * 1e-6) value = 0.0;
  char text[64];
  std::snprintf(text, sizeof text, "%.*f", decimals, value);
  return CString::FromUtf8(text);
}

CSize CKxRuleBar::CalcFixedLayout(BOOL, BOOL bHorz) {
  return bHorz ? CSize(0, kThickness) : CSize(kThickness, 0);
}

void CKxRuleBar::OnPaint() {
  CPaintDC dc(this);
  RECT rc;
  GetClientRect(&rc);
  dc.FillSolidRect(rc, RGB(240, 240, 240));
  const int length = m_bHorizontal ? rc.right : rc.bottom;
  if (DrawScale(dc, length)) {
    DrawMouseMark(dc);
    return;
  }
  // Without a scale: ticks every 10 pixels from the view's origin, long ones every 50.
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
  DrawMouseMark(dc);
}

BOOL CKxRuleBar::DrawScale(CDC& dc, int length) {
  const double step = MajorStep(m_perPixel);
  if (step <= 0.0) return FALSE;
  // Pixel p shows the value m_atOrigin + (p - offset) * perPixel; ticks at tenths of a step.
  const double minor = step / 10.0;
  const double first = m_atOrigin - m_nOffset * m_perPixel, last = first + length * m_perPixel;
  const double lo = std::min(first, last), hi = std::max(first, last);
  const long long k0 = (long long)std::floor(lo / minor), k1 = (long long)std::ceil(hi / minor);
  if (k1 - k0 > 4 * length + 10) return FALSE;
  dc.SetBkMode(TRANSPARENT);
  dc.SetTextColor(RGB(40, 40, 40));
  for (long long k = k0; k <= k1; ++k) {
    const double value = double(k) * minor;
    const int at = int(std::lround((value - m_atOrigin) / m_perPixel)) + m_nOffset;
    if (at < 0 || at >= length) continue;
    const bool major = k % 10 == 0, half = k % 5 == 0;
    const int tick = major ? kThickness - 2 : half ? kThickness / 3 : kThickness / 5;
    if (m_bHorizontal) {
      dc.MoveTo(at, kThickness - tick);
      dc.LineTo(at, kThickness);
    } else {
      dc.MoveTo(kThickness - tick, at);
      dc.LineTo(kThickness, at);
    }
    if (!major) continue;
    const CString text = Label(value, step);
    if (m_bHorizontal) {
      dc.TextOut(at + 2, 0, text.GetString());
    } else {
      // Down the narrow ruler a character a line.
      const int line = std::max(6, int(dc.GetTextExtent(L"0", 1).cy) - 3);
      for (int i = 0; i < text.GetLength(); ++i) dc.TextOut(1, at + 1 + i * line, text.Mid(i, 1).GetString());
    }
  }
  return TRUE;
}

void CKxRuleBar::DrawMouseMark(CDC& dc) {
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
