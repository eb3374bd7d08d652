#include "platform/numora/StrP2D.h"

#include <algorithm>
#include <new>

#include "platform/numora/Box.h"

CStrP2D::CStrP2D(const CStrP2D& o) { *this = o; }

CStrP2D& CStrP2D::operator=(const CStrP2D& o) {
  if (this == &o) return *this;
  Clear();
  if (o.m_nCount > 0 && Create(o.m_nCount, o.m_pParams != nullptr)) {
    std::copy(&o.m_pPoints[0][0], &o.m_pPoints[0][0] + 2 * o.m_nCount, &m_pPoints[0][0]);
    if (o.m_pParams) std::copy(o.m_pParams, o.m_pParams + o.m_nCount, m_pParams);
  }
  m_box = o.m_box;
  return *this;
}

CStrP2D::~CStrP2D() { Clear(); }

int CStrP2D::Create(int count, bool withParams) {
  Clear();
  if (count <= 0) return count == 0 ? 1 : 0;
  m_pPoints = new (std::nothrow) double[count][2]();
  m_pParams = withParams ? new (std::nothrow) double[count]() : nullptr;
  if (!m_pPoints || (withParams && !m_pParams)) {
    Clear();
    return 0;
  }
  m_nCount = m_nCapacity = count;
  return 1;
}

void CStrP2D::Clear() {
  delete[] m_pPoints;
  delete[] m_pParams;
  m_pPoints = nullptr;
  m_pParams = nullptr;
  m_nCount = m_nCapacity = 0;
  BOX2D_Init0(&m_box);
}

int CStrP2D::Append(const double p[2], double t) {
  if (m_nCount == m_nCapacity || !m_pParams) {
    const int cap = std::max(16, m_nCapacity * 2);
    auto* pts = new (std::nothrow) double[cap][2]();
    auto* par = new (std::nothrow) double[cap]();
    if (!pts || !par) {
      delete[] pts;
      delete[] par;
      return 0;
    }
    if (m_nCount > 0) std::copy(&m_pPoints[0][0], &m_pPoints[0][0] + 2 * m_nCount, &pts[0][0]);
    if (m_pParams) std::copy(m_pParams, m_pParams + m_nCount, par);
    delete[] m_pPoints;
    delete[] m_pParams;
    m_pPoints = pts;
    m_pParams = par;
    m_nCapacity = cap;
  }
  m_pPoints[m_nCount][0] = p[0];
  m_pPoints[m_nCount][1] = p[1];
  m_pParams[m_nCount] = t;
  ++m_nCount;
  BOX2D_Extend(&m_box, p);
  return 1;
}

void CStrP2D::CalcBox() { BOX2D_ofPntStr(m_pPoints, m_nCount, &m_box); }

void CStrP2D::GetBox(_tagBox2D* box) const { *box = m_box; }
