// Small shared helpers of the loop tools' sources (not part of the library's interface).
#pragma once

#include <cmath>
#include <unordered_set>
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

// The sense of each of a list's curves, taken before a chaining walks them (walking reverses
// some in place), so that a cancelled call can give the caller's curves back the way they came:
// an open curve by its end points, a closed one by the sign of its area.
class CurveSenses {
 public:
  explicit CurveSenses(CGeCurveList& list) {
    for (POSITION pos = list.GetHeadPosition(); pos;)
      if (CGeCurve* c = list.GetNext(pos)) {
        Entry e{c, {}, {}, 0};
        c->GetStartPoint(e.s);
        c->GetEndPoint(e.e);
        if (Closed(e)) e.area = c->EvArea();
        m_entries.push_back(e);
        m_curves.insert(c);
      }
  }
  // Turns back every curve that now runs the other way.
  void Restore() const {
    for (const Entry& e : m_entries) {
      double s[2];
      e.c->GetStartPoint(s);
      const bool reversed = Closed(e) ? e.area * e.c->EvArea() < 0
                                      : Dist(s, e.e) < Dist(s, e.s);
      if (reversed) e.c->Reverse();
    }
  }
  bool Holds(CGeCurve* c) const { return m_curves.count(c) != 0; }

 private:
  struct Entry {
    CGeCurve* c;
    double s[2], e[2];
    double area;
  };
  static double Dist(const double a[2], const double b[2]) {
    return std::hypot(a[0] - b[0], a[1] - b[1]);
  }
  static bool Closed(const Entry& e) { return Dist(e.s, e.e) < 1e-9; }
  std::vector<Entry> m_entries;
  std::unordered_set<CGeCurve*> m_curves;
};

// Takes every curve out of the loop without deleting it; those the caller did not own
// (`senses` does not hold them) are deleted.
inline void EmptyLoopKeepingCallers(CGeLoop& loop, const CurveSenses& senses) {
  while (!loop.m_CurveList.IsEmpty()) {
    CGeCurve* c = loop.m_CurveList.RemoveHead();
    if (!senses.Holds(c)) delete c;
  }
}

}  // namespace tool2d
