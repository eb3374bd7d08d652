#include "geometry/shapes2d/ShapeListUtil.h"

#include "geometry/shapes2d/GeLine.h"
#include "geometry/shapes2d/GeLoop.h"

// Until the thinning rules are built the string is kept as it is, which every caller accepts
// (it only costs points).
void RefinePointStr(double, double, CPoint2dArray&) {}

CGeCurve* geGenCurve(CPoint2dArray* pts) {
  if (!pts || pts->GetSize() < 2) return nullptr;
  if (pts->GetSize() == 2) {
    const double s[2] = {(*pts)[0].x, (*pts)[0].y};
    const double e[2] = {(*pts)[1].x, (*pts)[1].y};
    return new CGeLine(s, e);
  }
  // Longer strings need the polyline class, which this library does not have yet.
  return nullptr;
}

void geDelCurveList(CGeCurveList* list) {
  if (!list) return;
  for (POSITION pos = list->GetHeadPosition(); pos;) delete list->GetNext(pos);
  list->RemoveAll();
}

void geDelGeLoopList(CGeLoopList* list, bool detach) {
  if (!list) return;
  for (POSITION pos = list->GetHeadPosition(); pos;) {
    CGeLoop* loop = list->GetNext(pos);
    if (!loop) continue;
    if (detach) loop->m_CurveList.RemoveAll();
    delete loop;
  }
  list->RemoveAll();
}

int geIsLinkCurve2d(CGeCurveList* list, double tol) {
  if (!list) return 0;
  bool first = true;
  double end[2] = {0.0, 0.0};
  for (POSITION pos = list->GetHeadPosition(); pos;) {
    CGeCurve* c = list->GetNext(pos);
    if (!c) return 0;
    if (c->GetType() == GE_TYPE_COMBCURVE && !static_cast<CGeCombCurve*>(c)->IsLinked()) return 0;
    double s[2] = {0.0, 0.0};
    c->GetStartPoint(s);
    if (!first && P2D_Dist(s, end) > tol) return 0;
    c->GetEndPoint(end);
    first = false;
  }
  return 1;
}

int geIsLoopCurve2d(CGeCurveList* list, double tol) {
  if (!list || list->IsEmpty() || !geIsLinkCurve2d(list, tol)) return 0;
  CGeCurve* head = list->GetHead();
  CGeCurve* tail = list->GetTail();
  double s[2] = {0.0, 0.0}, e[2] = {0.0, 0.0};
  head->GetStartPoint(s);
  tail->GetEndPoint(e);
  return P2D_Dist(s, e) < tol ? 1 : 0;
}
