#include "geometry/shapes3d/GeLoop3d.h"

#include <memory>

#include "geometry/shapes2d/GeLoop.h"
#include "geometry/shapes2d/ShapeListUtil.h"
#include "platform/numora/Numora.h"

namespace {

constexpr double kNoArea = 1e12;

double SumOver(CGeCurve3dList& list, double (CGeCurve3d::*length)()) {
  double sum = 0.0;
  for (POSITION pos = list.GetHeadPosition(); pos;)
    if (CGeCurve3d* c = list.GetNext(pos)) sum += (c->*length)();
  return sum;
}

}  // namespace

CGeLoop3d::CGeLoop3d() : m_dArea(0.0) {}

CGeLoop3d::~CGeLoop3d() { geDelCurve3dList(&m_CurveList); }

int CGeLoop3d::GetType() const { return GE_TYPE_LOOP3D; }

CGeLoop3d* CGeLoop3d::Copy() {
  auto out = std::make_unique<CGeLoop3d>();
  for (POSITION pos = m_CurveList.GetHeadPosition(); pos;) {
    CGeCurve3d* c = m_CurveList.GetNext(pos);
    if (!c) continue;
    if (CGeCurve3d* copy = c->Copy()) out->m_CurveList.AddTail(copy);
  }
  return out.release();
}

void CGeLoop3d::Reverse() {
  m_dArea = -m_dArea;
  CGeCombCurve3d::Reverse();
}

double CGeLoop3d::EvTotalArcLength() { return SumOver(m_CurveList, &CGeCurve3d::EvTotalArcLength); }

double CGeLoop3d::EvTotalArcLength2D() {
  return SumOver(m_CurveList, &CGeCurve3d::EvTotalArcLength2D);
}

void CGeLoop3d::AddTail(CGeCurve3d* curve) {
  if (curve) m_CurveList.AddTail(curve);
}

void CGeLoop3d::AddHead(CGeCurve3d* curve) {
  if (curve) m_CurveList.AddHead(curve);
}

int CGeLoop3d::IsLoop3d(double tol) {
  return !m_CurveList.IsEmpty() && geIsLoopCurve3d(&m_CurveList, tol) ? 1 : 0;
}

double CGeLoop3d::EvArea(double tol) {
  if (m_CurveList.IsEmpty()) return kNoArea;
  m_dArea = kNoArea;
  if (m_strDisc.m_nCount <= 0) Discrete(tol, m_strDisc);
  m_dArea = m_strDisc.EvArea();
  return m_dArea;
}

bool CGeLoop3d::Flatten(double tol, CGeLoop& flat) {
  if (!m_strDisc.m_pPoints || m_strDisc.m_nCount <= 0) Discrete(tol, m_strDisc);
  const int n = m_strDisc.m_nCount;
  if (!m_strDisc.m_pPoints || n <= 0) return false;
  flat.AllocSWMem(n);
  for (int i = 0; i < n; ++i) {
    flat.m_pSWPoint[i][0] = m_strDisc.m_pPoints[i][0];
    flat.m_pSWPoint[i][1] = m_strDisc.m_pPoints[i][1];
  }
  BOX2D_ofPntStr(flat.m_pSWPoint, n, &flat.m_box);
  return true;
}

int CGeLoop3d::IsPtInLoop(const double pt[2], double tol) {
  CGeLoop flat;
  if (!pt || !Flatten(tol, flat)) return 1;
  return flat.IsPtInLoop(pt, tol);
}

bool CGeLoop3d::IsContainLoop(CGeLoop3d* other, double tol) {
  if (!other) return false;
  CGeLoop outer, inner;
  // Loops without points contain nothing and lie nowhere.
  if (!Flatten(tol, outer) || !other->Flatten(tol, inner)) return false;
  if (!BOX2D_IsContain(&outer.m_box, &inner.m_box, tol)) return false;
  const int n = inner.m_nSWPoint;
  for (int probe : {0, (2 * n) / 3})
    if (outer.IsPtInLoop(inner.m_pSWPoint[probe], tol) == 1) return false;
  return true;
}

void CGeLoop3d::SeperateComCurve() {
  CGeCurve3dList taken;
  taken.AddTail(&m_CurveList);
  m_CurveList.RemoveAll();
  while (!taken.IsEmpty()) {
    CGeCurve3d* c = taken.RemoveHead();
    if (c && c->GetType() == GE_TYPE_COMBCURVE3D) {
      auto* comb = static_cast<CGeCombCurve3d*>(c);
      while (!comb->m_CurveList.IsEmpty()) AddTail(comb->m_CurveList.RemoveHead());
      delete comb;
      continue;
    }
    AddTail(c);
  }
}
