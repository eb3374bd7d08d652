#include "geometry/shapes2d/ShapeListUtil.h"

#include "geometry/shapes2d/GeLine.h"

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
