// Conversions between 2D curves, 3D curves and NURBS curves.
#pragma once

class CGeCurve;
class CGeCurve3d;

class CConvertEditor {
 public:
  // 3D copy of a 2D curve at height z; caller owns it, null when the type has no 3D form.
  static CGeCurve3d* ToCurve3d(CGeCurve* curve, double z);
};
