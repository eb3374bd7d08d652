// B-spline helpers of the surface kernel on the numeric kernel's curves.
#pragma once

#include "platform/numora/Bcrv.h"

// Deep copy; null for a null curve or when allocation fails.
BCRV* CRV_CloneBcrv(const BCRV* crv);
// Order-2 curve from pts[0] to pts[1] (they may coincide). 1, or 0 when allocation fails.
int CRV_NewSegmentBcrv(BCRV*& out, const double pts[2][3]);
// Removes interior knots while the curve moves by at most tol; returns the number removed
// (0 leaves the curve unchanged).
int CRV_RemoveKnots(BCRV* crv, double tol);
