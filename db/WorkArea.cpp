#include "db/WorkArea.h"

#include "platform/afx/Wnd.h"
#include "platform/win/Window.h"

#include <algorithm>
#include <cmath>

namespace {

bool Positive(double d) { return std::isfinite(d) && d > 0.0; }

}  // namespace

CWorkArea::CWorkArea() : m_dx(10.0), m_dy(10.0), m_angle(0.0), m_radSpace(10.0) {
  m_page.min[0] = m_page.min[1] = 0.0;
  m_page.max[0] = 210.0;
  m_page.max[1] = 297.0;
}

void CWorkArea::GetPageSize(_tagBox2D* box) const {
  if (box) *box = m_page;
}

BOOL CWorkArea::SetPageSize(const _tagBox2D& box) {
  for (int i = 0; i < 2; ++i)
    if (!std::isfinite(box.min[i]) || !std::isfinite(box.max[i]) || !(box.max[i] > box.min[i]))
      return FALSE;
  m_page = box;
  return TRUE;
}

BOOL CWorkArea::SetSpaceDx(double d) { return Positive(d) ? (m_dx = d, TRUE) : FALSE; }
BOOL CWorkArea::SetSpaceDy(double d) { return Positive(d) ? (m_dy = d, TRUE) : FALSE; }
BOOL CWorkArea::SetSpaceAngle(double a) { return std::isfinite(a) ? (m_angle = a, TRUE) : FALSE; }
BOOL CWorkArea::SetRadSpace(double d) { return Positive(d) ? (m_radSpace = d, TRUE) : FALSE; }

BOOL CWorkArea::SetScrollInfo(CWnd* view, const _tagBox2D& viewBox) const {
  if (!view || !view->GetSafeHwnd()) return FALSE;
  for (int i = 0; i < 2; ++i)
    if (!std::isfinite(viewBox.min[i]) || !std::isfinite(viewBox.max[i])) return FALSE;
  // Bar units are world units; a drawing beyond the int range is clamped to its ends.
  constexpr double kLimit = 1.0e9;
  auto unit = [&](double v) { return static_cast<int>(std::clamp(v, -kLimit, kLimit)); };
  const double centre[2] = {(viewBox.min[0] + viewBox.max[0]) * 0.5, (viewBox.min[1] + viewBox.max[1]) * 0.5};
  // Horizontal: x as it is; vertical: -y, the page's top at the bar's minimum.
  const double lo[2] = {m_page.min[0], -m_page.max[1]}, hi[2] = {m_page.max[0], -m_page.min[1]};
  const double at[2] = {centre[0], -centre[1]};
  for (int bar : {SB_HORZ, SB_VERT}) {
    SCROLLINFO si{};
    si.cbSize = sizeof si;
    si.fMask = SIF_RANGE | SIF_POS;
    si.nMin = unit(std::floor(std::min(lo[bar], at[bar])));
    si.nMax = unit(std::ceil(std::max(hi[bar], at[bar])));
    si.nPos = unit(std::round(at[bar]));
    view->ShowScrollBar(bar, TRUE);
    view->SetScrollInfo(bar, &si, TRUE);
  }
  return TRUE;
}

void CWorkArea::Serialize(CArchive& ar) {
  if (ar.IsStoring()) {
    ar << m_page.min[0] << m_page.min[1] << m_page.max[0] << m_page.max[1] << m_dx << m_dy << m_angle
       << m_radSpace;
    return;
  }
  _tagBox2D page;
  double dx, dy, angle, rad;
  ar >> page.min[0] >> page.min[1] >> page.max[0] >> page.max[1] >> dx >> dy >> angle >> rad;
  CWorkArea loaded;
  if (!loaded.SetPageSize(page) || !loaded.SetSpaceDx(dx) || !loaded.SetSpaceDy(dy) ||
      !loaded.SetSpaceAngle(angle) || !loaded.SetRadSpace(rad))
    AfxThrowArchiveException(CArchiveException::genericException);
  *this = loaded;
}
