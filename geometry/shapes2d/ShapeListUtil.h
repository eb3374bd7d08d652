// Free helpers over point strings and shape lists.
#pragma once

#include "geometry/shapes2d/GeCurve.h"

// Thins a single-precision point string by the distance and angle tolerances.
void RefinePointStr(double tol, double angle, CPoint2dArray& pts);

// New curve through the points: a line for two, a polyline for more; null for fewer than two.
CGeCurve* geGenCurve(CPoint2dArray* pts);
