#include "geometry/shapes2d/GeOffsetCrv.h"

#include <cmath>

namespace {

// Unit left normal of the derivative d.
void LeftNormal(const double d[2], double n[2]) {
  n[0] = -d[1];
  n[1] = d[0];
  V2D_Unit(n, 1e-6);
}

}  // namespace

CGeOffsetCrv::CGeOffsetCrv() : m_pBase(nullptr), m_dDist(0.0), m_nFlag(0) {}

CGeOffsetCrv::~CGeOffsetCrv() { m_pBase = nullptr; }

int CGeOffsetCrv::GetType() const { return GE_TYPE_OFFSETCRV; }

void CGeOffsetCrv::Create(CGeCurve* base, double dist) {
  m_pBase = base;
  m_dDist = dist;
  m_nFlag = 0;
}

void CGeOffsetCrv::CalcBox() {
  if (!m_pBase) return;
  m_pBase->GetBox2d(&m_box);
  BOX2D_Expand(std::fabs(m_dDist), &m_box);
}

// The offset curve keeps no point buffer of its own, so its box comes from the base.
void CGeOffsetCrv::GetBox2d(_tagBox2D* box) {
  if (!IsBoxValid()) CalcBox();
  if (box) *box = m_box;
}

int CGeOffsetCrv::GetSegmentCount() { return m_pBase ? m_pBase->GetSegmentCount() : 1; }

void CGeOffsetCrv::GetPointAt(double t, double p[2], unsigned seg) { EvPos(t, p, seg); }

void CGeOffsetCrv::GetTanVecAt(double t, double v[2], unsigned seg) {
  double p[2];
  Ev1Der(t, p, v, seg);
}

void CGeOffsetCrv::EvPos(double t, double p[2], unsigned seg) {
  if (!m_pBase) return;
  double pt[2] = {0.0, 0.0}, d[2] = {0.0, 0.0}, n[2];
  m_pBase->Ev1Der(t, pt, d, seg);
  LeftNormal(d, n);
  p[0] = pt[0] + m_dDist * n[0];
  p[1] = pt[1] + m_dDist * n[1];
}

void CGeOffsetCrv::Ev2Der(double t, double p[2], double d1[2], double d2[2], unsigned seg) {
  if (!m_pBase) return;
  double pt[2] = {0.0, 0.0}, d[2] = {0.0, 0.0}, dd[2] = {0.0, 0.0}, n[2];
  m_pBase->Ev2Der(t, pt, d, dd, seg);
  LeftNormal(d, n);
  const double speed = std::hypot(d[0], d[1]);
  const double cube = speed * speed * speed;
  double k = cube < 0.0001 ? 1e12 : std::fabs(dd[1] * d[0] - dd[0] * d[1]) / cube;
  // Curvature turning towards the offset side shortens the offset curve's speed.
  double centre[2];
  V2D_XProduct(d, dd, d, centre);
  V2D_Unit(centre, 1e-6);
  if (std::hypot(centre[0] - n[0], centre[1] - n[1]) < 0.0001) k = -k;
  p[0] = pt[0] + m_dDist * n[0];
  p[1] = pt[1] + m_dDist * n[1];
  d1[0] = (1.0 + k * m_dDist) * d[0];
  d1[1] = (1.0 + k * m_dDist) * d[1];
  d2[0] = dd[0];
  d2[1] = dd[1];
}

void CGeOffsetCrv::Ev1Der(double t, double p[2], double d1[2], unsigned seg) {
  double d2[2];
  Ev2Der(t, p, d1, d2, seg);
}

int CGeOffsetCrv::IsClosed(double tol) {
  double a[2] = {0.0, 0.0}, b[2] = {0.0, 0.0};
  EvPos(0.0, a, 1);
  EvPos(1.0, b, static_cast<unsigned>(GetSegmentCount()));
  return std::hypot(a[0] - b[0], a[1] - b[1]) < tol ? 1 : 0;
}
