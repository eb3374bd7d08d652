#include "db/WorkArea.h"

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
