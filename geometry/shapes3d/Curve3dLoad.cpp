#include "geometry/shapes3d/Curve3dLoad.h"

#include "geometry/shapes3d/GeCurve3d.h"

CGeCurve3d* geReadOwnedCurve3d(CArchive& ar) { return AfxReadOwnedObject<CGeCurve3d>(ar); }
