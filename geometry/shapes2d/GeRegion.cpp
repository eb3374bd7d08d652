#include "geometry/shapes2d/GeRegion.h"

#include <cmath>

#include "geometry/shapes2d/ShapeListUtil.h"

CGeRegion::CGeRegion() : m_LoopList(10) {}

CGeRegion::~CGeRegion() { geDelGeLoopList(&m_LoopList, false); }

CGeRegion* CGeRegion::Copy() {
  if (m_LoopList.IsEmpty()) return nullptr;
  auto* copy = new CGeRegion;
  for (POSITION pos = m_LoopList.GetHeadPosition(); pos;)
    if (CGeLoop* loop = m_LoopList.GetNext(pos)) copy->m_LoopList.AddTail(loop->Copy());
  copy->m_box = m_box;
  return copy;
}

void CGeRegion::CalcBox2d() {
  BOX2D_Init0(&m_box);
  for (POSITION pos = m_LoopList.GetHeadPosition(); pos;) {
    CGeLoop* loop = m_LoopList.GetNext(pos);
    if (!loop) continue;
    loop->CalcBox2d();
    _tagBox2D b;
    loop->GetBox2d(&b);
    BOX2D_Union(&m_box, &b);
  }
}

void CGeRegion::GetBox2d(_tagBox2D* box) {
  if (!box) return;
  if (!IsBoxValid()) CalcBox2d();
  *box = m_box;
}

void CGeRegion::GetStartPoint(double p[2]) {
  if (m_LoopList.IsEmpty()) return;
  if (CGeLoop* loop = m_LoopList.GetHead()) loop->GetStartPoint(p);
}

void CGeRegion::GetEndPoint(double p[2]) {
  if (m_LoopList.IsEmpty()) return;
  if (CGeLoop* loop = m_LoopList.GetTail())
    loop->GetEndPoint(p);
  else
    GetStartPoint(p);
}

void CGeRegion::Discrete(double tol) {
  for (POSITION pos = m_LoopList.GetHeadPosition(); pos;)
    if (CGeLoop* loop = m_LoopList.GetNext(pos)) loop->Discrete(tol);
}

int CGeRegion::IsPtInRegion(const double pt[2], double tol) {
  if (m_LoopList.IsEmpty()) return 0;
  _tagBox2D box;
  GetBox2d(&box);
  if (!BOX2D_IsPtIn(&box, pt, tol)) return 1;
  for (POSITION pos = m_LoopList.GetHeadPosition(); pos;) {
    CGeLoop* loop = m_LoopList.GetNext(pos);
    if (!loop) continue;
    const int r = loop->IsPtInLoop(pt, tol);
    if (r == 2) return 2;
    // The loop's role (outer or hole) comes from the sign of its area; work it out when
    // nobody has yet.
    if (loop->m_dArea == 0.0) loop->EvArea(tol);
    if (r == 1 && loop->m_dArea > 0.0) return 1;
    if (r == 0 && loop->m_dArea < 0.0) return 1;
  }
  return 0;
}

double CGeRegion::EvArea(double tol) {
  double sum = 0.0;
  for (POSITION pos = m_LoopList.GetHeadPosition(); pos;)
    if (CGeLoop* loop = m_LoopList.GetNext(pos)) sum += loop->EvArea(tol);
  return sum;
}

void CGeRegion::Translate(const double v[2]) {
  if (std::hypot(v[0], v[1]) < 0.0001) return;
  for (POSITION pos = m_LoopList.GetHeadPosition(); pos;)
    if (CGeLoop* loop = m_LoopList.GetNext(pos)) loop->Translate(v);
  m_box.min[0] += v[0];
  m_box.min[1] += v[1];
  m_box.max[0] += v[0];
  m_box.max[1] += v[1];
}

void CGeRegion::Rotate(const double c[2], double angle) {
  if (std::fabs(angle) < 0.0001) return;
  for (POSITION pos = m_LoopList.GetHeadPosition(); pos;)
    if (CGeLoop* loop = m_LoopList.GetNext(pos)) loop->Rotate(c, angle);
  CalcBox2d();
}

void CGeRegion::Mirror(const double p[2], const double d[2]) {
  for (POSITION pos = m_LoopList.GetHeadPosition(); pos;)
    if (CGeLoop* loop = m_LoopList.GetNext(pos)) loop->Mirror(p, d);
  CalcBox2d();
}

void CGeRegion::Transform(const double m[3][3]) {
  if (MAT33_IsUnit(m)) return;
  for (POSITION pos = m_LoopList.GetHeadPosition(); pos;)
    if (CGeLoop* loop = m_LoopList.GetNext(pos)) loop->Transform(m);
  CalcBox2d();
}
