// Small shared helpers of the loop tools' sources (not part of the library's interface).
#pragma once

#include <vector>

#include "geometry/shapes2d/GeLoop.h"
#include "geometry/shapes2d/GeRegion.h"
#include "geometry/tools/EndPointPool.h"
#include "geometry/tools/GeTool2D.h"

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

}  // namespace tool2d
