#include "platform/numora/StrP3D.h"

#include <algorithm>
#include <cmath>
#include <new>

#include "platform/numora/Box.h"
#include "platform/numora/PointString.h"

CStrP3D::CStrP3D(const CStrP3D& o) { o.CopyTo(*this); }

CStrP3D& CStrP3D::operator=(const CStrP3D& o) {
  if (this != &o) o.CopyTo(*this);
  return *this;
}

CStrP3D::~CStrP3D() { Clear(); }

int CStrP3D::Create(int count, bool withParams, bool reserved) {
  (void)reserved;
  Clear();
  if (count <= 0) return count == 0 ? 1 : 0;
  m_pPoints = new (std::nothrow) double[count][3]();
  m_pParams = withParams ? new (std::nothrow) double[count]() : nullptr;
  if (!m_pPoints || (withParams && !m_pParams)) {
    Clear();
    return 0;
  }
  m_nCount = count;
  return 1;
}

void CStrP3D::Clear() {
  delete[] m_pPoints;
  delete[] m_pParams;
  m_pPoints = nullptr;
  m_pParams = nullptr;
  m_nCount = 0;
  BOX3D_Init0(&m_box);
}

int CStrP3D::CopyTo(CStrP3D& dst) const {
  if (&dst == this) return 1;
  if (!dst.Create(m_nCount, m_pParams != nullptr, false)) return 0;
  if (m_nCount > 0) {
    std::copy(&m_pPoints[0][0], &m_pPoints[0][0] + 3 * m_nCount, &dst.m_pPoints[0][0]);
    if (m_pParams) std::copy(m_pParams, m_pParams + m_nCount, dst.m_pParams);
  }
  dst.m_box = m_box;
  return 1;
}

void CStrP3D::CalcBox() {
  BOX3D_Init0(&m_box);
  for (int i = 0; i < m_nCount; ++i) BOX3D_Extend(&m_box, m_pPoints[i]);
}

void CStrP3D::GetBox(_tagBox3D* box) const { *box = m_box; }

double CStrP3D::EvLength() const {
  double s = 0.0;
  for (int i = 1; i < m_nCount; ++i) {
    const double* a = m_pPoints[i - 1];
    const double* b = m_pPoints[i];
    s += std::sqrt((b[0] - a[0]) * (b[0] - a[0]) + (b[1] - a[1]) * (b[1] - a[1]) + (b[2] - a[2]) * (b[2] - a[2]));
  }
  return s;
}

double CStrP3D::EvLength2D() const {
  double s = 0.0;
  for (int i = 1; i < m_nCount; ++i)
    s += std::hypot(m_pPoints[i][0] - m_pPoints[i - 1][0], m_pPoints[i][1] - m_pPoints[i - 1][1]);
  return s;
}

double CStrP3D::EvArea() const { return SP3D_EvAreaXY(m_pPoints, m_nCount); }

void CStrP3D::Reverse() {
  if (m_nCount < 2) return;
  std::reverse(m_pPoints, m_pPoints + m_nCount);
  if (m_pParams) {
    const double sum = m_pParams[0] + m_pParams[m_nCount - 1];
    std::reverse(m_pParams, m_pParams + m_nCount);
    for (int i = 0; i < m_nCount; ++i) m_pParams[i] = sum - m_pParams[i];
  }
}

int CStrP3D::Pick3d(const double origin[3], const double direction[3], double radius,
                    double& depth, double& t, int& seg) const {
  return SP3D_Pick3d(m_pPoints, m_nCount, origin, direction, radius, depth, t, seg);
}
