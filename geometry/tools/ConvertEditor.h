// Conversions between 2D curves, 3D curves and NURBS curves.
#pragma once

#include "geometry/shapes2d/GeCurve.h"

class CGeArc3d;

class CConvertEditor {
 public:
  // 3D copy of a 2D curve at height z; caller owns it, null when the type has no 3D form.
  static CGeCurve3d* ToCurve3d(CGeCurve* curve, double z);
  // ToCurve3d of every entry, the non-null results appended to out in order.
  static void CurveListToCurveList3D(CGeCurveList* list, double z, CGeCurve3dList& out);
  // New NURBS curve of the arc's shape; caller owns it, null when it cannot be made.
  static CGeCurve3d* ToNrbCrv3d(CGeArc3d* arc);
};
