// B-spline construction helpers of the surface kernel on the numeric kernel's curves and
// surfaces: copies, two-point segments, point fitting, compatible pairs, ruled and skinned
// surfaces, and knot removal. The builders never change their input curves.
#pragma once

#include "platform/numora/Bsrf.h"

// Deep copy; null for a null curve or when allocation fails.
BCRV* CRV_CloneBcrv(const BCRV* crv);
// Order-2 curve from pts[0] to pts[1] (they may coincide). 1, or 0 when allocation fails.
int CRV_NewSegmentBcrv(BCRV*& out, const double pts[2][3]);
// Curve of the given order through count points at chord-length parameters (order 2: the
// points are the control polygon). 1, 0 for bad input or a singular system, -1 allocation.
int CRV_FitBcrvPoints(int count, const double (*points)[3], int order, BCRV*& out);
// In place: same order and knot vector for both curves (shapes kept). 0 when either has more
// than 1024 control points or a step fails.
int CRV_MakeCompatible(BCRV* a, BCRV* b);
// Removes interior knots while the curve moves by at most tol; returns the number removed
// (0 leaves the curve unchanged).
int CRV_RemoveKnots(BCRV* crv, double tol);

// Surface between two curves: the first along v = 0, the second along v = 1.
// 1, 0 when a copy or the compatibility fails, -1 when the surface cannot be made.
int SRF_NewRuled(const BCRV* first, _nurbs_surface*& out, const BCRV* second);
// Surface interpolating count section curves (order 3 across when order is 3, else 4).
int SRF_NewSkinned(int count, const BCRV* const* curves, int order, _nurbs_surface*& out,
                   double tol);
// Knot removal along u, all rows at once; returns the number removed.
int SRF_ReduceKnots(_nurbs_surface* srf, double tol);
