// Curves through point sequences: lines and biarcs within a distance tolerance, piecewise
// cubic Bezier fitting of digitised points, and the conversion of traced outlines.
#pragma once

#include "geometry/shapes2d/GeCurve.h"
#include "platform/lumbril/Lumbril.h"

class CGeCombCurve;
class CGeBezier;

// Lines and tangent biarcs through pts[0 .. n-1], deviating at most tol at the points and at
// the midpoints between them. tangents (optional) gives the direction at each point; without
// it the directions are estimated from the neighbours. The caller owns the result; null for
// n < 2 or null points.
CGeCombCurve* geBiarcsFitCurve(const double pts[][2], const double tangents[][2], int n,
                               double tol);

// Piecewise cubic Bezier through pts[0 .. n-1]; error bounds the squared distance of each
// point from the curve. Repeated consecutive points are dropped first. The caller owns the
// result; null for fewer than two distinct points.
CGeBezier* geFitCurve(const double pts[][2], int n, double error);

// One composite curve of lines, polylines and Bezier curves per connected run of each traced
// outline, appended to out.
void ConvertTraceCurve(_at_spline_list_array_type splines, CGeCurveList* out);
