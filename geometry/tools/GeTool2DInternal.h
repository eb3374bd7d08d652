// Small shared helpers of the loop tools' sources (not part of the library's interface).
#pragma once

#include <vector>

#include "geometry/shapes2d/GeLoop.h"
#include "geometry/shapes2d/GeRegion.h"
#include "geometry/tools/EndPointPool.h"
#include "geometry/tools/GeTool2D.h"
#include "platform/numora/Box.h"

namespace tool2d {

// Sentinel for "no value yet" in best-so-far searches.
constexpr double kNoValue = 1e12;

inline bool HasPoints(const CGeCurve* c) { return c && c->m_pSWPoint && c->m_nSWPoint > 0; }

inline double LoopArea(const CGeLoop* l) { return l->m_dArea; }

inline CGeLoopList& RegionLoops(CGeRegion* r) { return r->m_LoopList; }

// Moves the non-null entries out of the list, in order.
template <class T>
std::vector<T*> TakeAll(CTypedPtrList<CObList, T*>& list) {
  std::vector<T*> out;
  out.reserve(static_cast<size_t>(list.GetCount()));
  while (!list.IsEmpty())
    if (T* p = list.RemoveHead()) out.push_back(p);
  return out;
}

template <class T, class U>
void AppendAll(CTypedPtrList<CObList, T*>& list, const std::vector<U*>& items) {
  for (U* p : items) list.AddTail(static_cast<T*>(p));
}

using chain::DropAppended;

// How the chaining reads a 2D curve's ends and tangents.
struct ChainTraits2d {
  using Curve = CGeCurve;
  static constexpr int kDim = 2;
  static constexpr double kNoTurn = -6.28;
  static bool Near(CGeCurve* c, const double p[2], double tol) {
    _tagBox2D box;
    c->GetBox2d(&box);
    return BOX2D_IsPtIn(&box, p, tol) == 1;
  }
  static double Dist(const double a[2], const double b[2]) { return P2D_Dist(a, b); }
  static void Start(CGeCurve* c, double p[2]) { c->GetStartPoint(p); }
  static void End(CGeCurve* c, double p[2]) { c->GetEndPoint(p); }
  static void StartTan(CGeCurve* c, double v[2]) { c->GetTanVecAt(0, v, 1); }
  static void EndTan(CGeCurve* c, double v[2]) {
    c->GetTanVecAt(1, v, static_cast<unsigned>(c->GetSegmentCount()));
  }
};

using CurveSenses2d = chain::CurveSenses<ChainTraits2d, CGeCurveList>;

}  // namespace tool2d
