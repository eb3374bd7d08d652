// Curves through 3D point sequences: lines and biarcs for points lying in planes parallel to
// the coordinate planes, and NURBS pieces for any points.
#pragma once

class CGeCombCurve3d;
class CGeCurve3d;

// Lines and biarcs through pts[0 .. n-1] within tol, all points taken in one coordinate plane:
// plane 0 the plane z = pts[0].z (fitted in x, y), 1 the plane x = pts[0].x (fitted in z, y),
// 2 the plane y = pts[0].y (fitted in x, z). The caller owns the result; null for another
// plane value, fewer than two points or no fit.
CGeCombCurve3d* geBiarcsFitCurve3dOnXYZ(const double pts[][3], int n, double tol, int plane);

// The points split into runs that stay in one plane parallel to a coordinate plane, each run
// fitted as above; runs that keep to no such plane become polylines. Consecutive runs share
// their joint point. The caller owns the result; null for null points or n < 2.
CGeCombCurve3d* geBiarcsFitCurve3d(const double pts[][3], int n, double tol);

// Quadratic NURBS pieces within maxDev of the points, split where they turn sharper than
// minAngle: one NURBS curve, a composite of several, or null when nothing could be fitted.
CGeCurve3d* geFitCurve3d(const double pts[][3], int n, double maxDev, double minAngle);
