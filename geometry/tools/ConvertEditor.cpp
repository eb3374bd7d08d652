#include "geometry/tools/ConvertEditor.h"

// The 3D curve classes do not exist yet, so no 2D curve has a 3D form and nothing is appended.
CGeCurve3d* CConvertEditor::ToCurve3d(CGeCurve*, double) { return nullptr; }

void CConvertEditor::CurveListToCurveList3D(CGeCurveList*, double, CGeCurve3dList&) {}
