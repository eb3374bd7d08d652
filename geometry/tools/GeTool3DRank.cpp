// Visiting orders for 3D curves and loops: greedy nearest-end ordering for short travel.
#include <vector>

#include "geometry/shapes3d/GeLoop3d.h"
#include "geometry/tools/GeTool3D.h"
#include "platform/numora/Numora.h"

namespace {

constexpr double kNoValue = 1e12;  // no distance yet

template <class T>
void StartEnd(T* c, double s[3], double e[3]) {
  c->GetStartPoint(s);
  c->GetEndPoint(e);
}

// Greedy nearest-end ordering: from the current item's end, the remaining item
// with the nearest start (or end, when allowed) comes next, reversed when its
// end won.
template <class T, class List>
void NearestOrder(List* list, bool allowReverse) {
  if (!list || list->IsEmpty())
    return;
  std::vector<T*> rest;
  for (POSITION pos = list->GetHeadPosition(); pos;)
    if (T* p = list->GetNext(pos))
      rest.push_back(p);
  if (rest.empty())
    return;
  std::vector<T*> order{rest.front()};
  rest.erase(rest.begin());
  while (!rest.empty()) {
    double E[3];
    order.back()->GetEndPoint(E);
    double best = kNoValue;
    size_t win = 0;
    bool rev = false;
    for (size_t i = 0; i < rest.size(); ++i) {
      double s[3], e[3];
      StartEnd(rest[i], s, e);
      double d = P3D_Dist(E, s);
      if (d < best) {
        best = d;
        win = i;
        rev = false;
      }
      if (!allowReverse)
        continue;
      d = P3D_Dist(E, e);
      if (d < best) {
        best = d;
        win = i;
        rev = true;
      }
    }
    T* next = rest[win];
    rest.erase(rest.begin() + static_cast<std::ptrdiff_t>(win));
    if (rev)
      next->Reverse();
    order.push_back(next);
  }
  list->RemoveAll();
  for (T* p : order)
    list->AddTail(p);
}

}  // namespace

void CGeTool3D::NearestDistanceSort(CGeCurve3dList* curves) {
  NearestOrder<CGeCurve3d>(curves, true);
}

void CGeTool3D::NearestDistanceSort(CGeLoop3dList* loops, bool allowReverse) {
  NearestOrder<CGeLoop3d>(loops, allowReverse);
}
