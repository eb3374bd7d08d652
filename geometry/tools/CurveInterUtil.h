// Helpers shared by the curve-intersection sources; not part of the library's interface.
#pragma once

#include "geometry/tools/CurveInter.h"

namespace curveinter {

// Box tolerance of the dispatcher and the pair methods.
inline constexpr double kBoxTol = 0.01;

// t lies in [-tol, 1 + tol].
bool Inside(double t, double tol);
// The two curves' whole boxes overlap or miss by at most tol.
bool BoxesMeet(CGeCurve* a, CGeCurve* b, double tol);
// Record with both sub-segments 1.
_tagInterPnt MakeRec(const double p[2], int seg1, int seg2, double t1, double t2);
// Parameter of p on c from the curve's nearest-point search; ok tells whether it succeeded.
double NearestParam(CGeCurve* c, const double p[2], bool* ok = nullptr);
// Position of a type code in the order line, arc, circle, ellipse, Bezier, polyline,
// composite; -1 for any other code.
int KindIndex(int type);

}  // namespace curveinter
