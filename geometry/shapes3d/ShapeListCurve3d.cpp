// Link and loop tests over lists of 3D curves.
#include "geometry/shapes2d/ShapeListUtil.h"
#include "geometry/shapes3d/GeCombCurve3d.h"
#include "platform/numora/Numora.h"

int geIsLinkCurve3d(CGeCurve3dList* list, double tol) {
  if (!list) return 0;
  bool first = true;
  double end[3] = {0.0, 0.0, 0.0};
  for (POSITION pos = list->GetHeadPosition(); pos;) {
    CGeCurve3d* c = list->GetNext(pos);
    if (!c) return 0;
    if (c->GetType() == GE_TYPE_COMBCURVE3D && !static_cast<CGeCombCurve3d*>(c)->IsLinked(tol))
      return 0;
    double s[3] = {0.0, 0.0, 0.0};
    c->GetStartPoint(s);
    if (!first && P3D_Dist(end, s) > tol) return 0;
    c->GetEndPoint(end);
    first = false;
  }
  return 1;
}

int geIsLoopCurve3d(CGeCurve3dList* list, double tol) {
  if (!list || list->IsEmpty() || !geIsLinkCurve3d(list, tol)) return 0;
  CGeCurve3d* head = list->GetHead();
  CGeCurve3d* tail = list->GetTail();
  if (!head || !tail) return 0;
  double s[3] = {0.0, 0.0, 0.0}, e[3] = {0.0, 0.0, 0.0};
  head->GetStartPoint(s);
  tail->GetEndPoint(e);
  return P3D_Dist(s, e) < tol ? 1 : 0;
}
