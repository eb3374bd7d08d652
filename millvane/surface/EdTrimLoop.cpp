#include "millvane/surface/EdTrimLoop.h"

#include <cmath>
#include <new>

#include "geometry/shapes2d/GeLine.h"
#include "geometry/shapes2d/GePolyline.h"
#include "geometry/surfaces/GeTrimLoop.h"
#include "millvane/surface/EdTrimSurf.h"
#include "platform/numora/Box.h"
#include "platform/numora/Line.h"
#include "platform/numora/Point2d.h"

CEdTrimLoop::CEdTrimLoop()
    : m_pFirst(nullptr),
      m_pLast(nullptr),
      m_pNext(nullptr),
      m_dArea(0.0),
      m_pIsland(nullptr),
      m_box{{0, 0}, {0, 0}},
      m_pOwner(nullptr) {}

CEdTrimLoop::~CEdTrimLoop() {
  for (CEdTrimBound* b = m_pFirst; b;) {
    CEdTrimBound* next = b->m_pNext;
    delete b;
    b = next;
  }
  for (CEdTrimLoop* l = m_pIsland; l;) {
    CEdTrimLoop* next = l->m_pNext;
    delete l;
    l = next;
  }
}

int CEdTrimLoop::AddBound(CEdTrimBound* bound) {
  if (!bound) return 0;
  bound->m_pNext = nullptr;
  bound->m_pPrev = m_pLast;
  if (m_pLast)
    m_pLast->m_pNext = bound;
  else
    m_pFirst = bound;
  m_pLast = bound;
  CalcBox();
  return 1;
}

int CEdTrimLoop::AddIsland(CEdTrimLoop* island) {
  if (!island) return 0;
  island->m_pNext = m_pIsland;
  m_pIsland = island;
  CalcBox();
  return 1;
}

void CEdTrimLoop::ConnectBound() {
  for (CEdTrimBound* b = m_pFirst; b; b = b->m_pNext) {
    CEdTrimBound* s = b->m_pNext ? b->m_pNext : m_pFirst;
    if (!b->m_pPoints || !s->m_pPoints) continue;
    double* e = b->m_pPoints[b->m_nLast];
    double* f = s->m_pPoints[0];
    const double mid[2] = {0.5 * (e[0] + f[0]), 0.5 * (e[1] + f[1])};
    e[0] = f[0] = mid[0];
    e[1] = f[1] = mid[1];
  }
}

double CEdTrimLoop::CalcLoopArea() {
  if (!m_pFirst) return 0.0;
  if (m_pFirst == m_pLast && (!m_pFirst->m_pPoints || m_pFirst->m_nLast + 1 < 3)) return 0.0;
  double sum = 0.0;
  for (CEdTrimBound* b = m_pFirst; b; b = b->m_pNext) {
    if (!b->m_pPoints) continue;
    for (int i = 0; i < b->m_nLast; ++i) {
      const double* a = b->m_pPoints[i];
      const double* c = b->m_pPoints[i + 1];
      sum += a[0] * c[1] - c[0] * a[1];
    }
  }
  return 0.5 * sum;
}

void CEdTrimLoop::CalcBox() {
  bool first = true;
  for (CEdTrimBound* b = m_pFirst; b; b = b->m_pNext) {
    if (!b->m_pPoints) continue;
    b->CalcBox();
    if (first)
      m_box = b->m_box;
    else
      BOX2D_Union(&m_box, &b->m_box);
    first = false;
  }
}

int CEdTrimLoop::IsPointIn(const double pIn[2]) {
  double p[2] = {pIn[0], pIn[1]};
  if (m_pOwner) m_pOwner->ClipToPeriodic(p);
  if (!BOX2D_IsPtIn(&m_box, p, 1e-6)) return 1;
  double sum = 0.0;
  bool on = false;
  for (CEdTrimBound* b = m_pFirst; b; b = b->m_pNext) {
    if (!b->m_pPoints) continue;
    for (int i = 0; i < b->m_nLast; ++i) {
      const double* a = b->m_pPoints[i];
      const double* c = b->m_pPoints[i + 1];
      double ua[2], uc[2];
      // A point sitting on a vertex has no direction to it: it lies on the loop.
      if (!V2D_GenUnit(p, a, ua, 1e-6) || !V2D_GenUnit(p, c, uc, 1e-6)) {
        on = true;
        continue;
      }
      double ang = V2D_GetAngle(ua, uc, 1e-6);
      if (ua[0] * uc[1] - uc[0] * ua[1] < 1e-8) ang = -ang;
      if (!on && std::fabs(std::fabs(ang) - M_PI) < 1e-5 &&
          std::fabs(L2D_DistToPntEx(a, c, p)) < 1e-6)
        on = true;
      sum += ang;
    }
  }
  // The on-loop answer goes first: on a clockwise loop the segment under the point adds -pi
  // to the -pi of the rest, which would otherwise read as inside.
  if (on) return 2;
  return std::fabs(sum) >= 6.0 ? 0 : 1;
}

CGeTrimLoop* CEdTrimLoop::ConvertToTopoLoop() {
  auto* loop = new (std::nothrow) CGeTrimLoop;
  if (!loop) return nullptr;
  for (CEdTrimBound* b = m_pFirst; b; b = b->m_pNext) {
    if (!b->m_pPoints || b->m_nLast < 1) continue;
    CGeCurve* crv = nullptr;
    if (b->m_nLast == 1) {
      crv = new CGeLine(b->m_pPoints[0], b->m_pPoints[1]);
    } else {
      auto* pl = new CGePolyline;
      double (*uv)[2] = new double[b->m_nLast + 1][2];
      for (int i = 0; i <= b->m_nLast; ++i) {
        uv[i][0] = b->m_pPoints[i][0];
        uv[i][1] = b->m_pPoints[i][1];
      }
      pl->Create(b->m_nLast + 1, uv);
      delete[] uv;
      crv = pl;
    }
    loop->AddBound(new CGeTrimBnd(crv, nullptr, loop));
  }
  if (loop->m_BndList.IsEmpty()) {
    delete loop;
    return nullptr;
  }
  return loop;
}
