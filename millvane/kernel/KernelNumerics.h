// Small numerics of the surface kernel: arcs held in a frame, a dense matrix product and a 4x4
// solver, guarded scalar solvers, the cubic Hermite span and point-string overlap.
#pragma once

#include "platform/numora/Bcrv.h"

// New arc with the identity frame; null when allocation fails. Free with KX_MemFree.
_arc* ARC_NewFrame(double radius, double sweep);
// point = centre + r cos a X + r sin a Y; tangent = d point / da. 0 for a null arc.
int ARC_EvPosTan(double angle, double point[3], const _arc* arc, double tangent[3]);
// Arc from start to end whose centre lies on the line through `through` parallel to the chord;
// -4 degenerate, -1 allocation failure, 1 success.
int ARC_ByEndsAndCentreLine(const double end[3], _arc*& arc, const double start[3],
                            const double through[3], const double normal[3]);
// Arc from start through third to end; -4 degenerate, 0 allocation failure, 1 success.
int ARC_ByThreePoints(const double third[3], const double end[3], const double start[3],
                      _arc*& arc);

// C (m x n) = A (m x k) B (k x n), row-major.
void MAT_Multiply(int m, int n, const double* A, const double* B, double* C, int k);
void MAT_Transpose4(double out[16], const double in[16]);
void MAT_Identity(double* p, int n);
// M x = b for a 4x4 M: elimination, else the pseudo-inverse. 1, 0 when both fail, -1 alloc.
int MAT_Solve4(double x[4], const double b[4], const double M[16]);

// Guarded arccosine (0 above 1 - 1e-12, pi below -(1 - 1e-12)).
double MAT_SafeAcos(double c);
// Angle of (x, y) in [0, 2 pi); 0 for a null vector.
double MAT_Angle2(double x, double y);
// Least-squares coefficients of v on a and b: out[0] of b, out[1] of a. Always 1.
int LSQ_Decompose2(const double a[3], const double b[3], const double v[3], double out[2]);
// e x^2 + f x + g = 0: 2 roots, 1 root, 0 none, 100 every x.
int MAT_SolveQuadratic(double e, double f, double g, double m, double roots[2]);
// a cos t + b sin t = c: roots in [0, 2 pi); 2, 1, 0 or 100 (every t).
int MAT_SolveTrig(double a, double b, double c, double d, double roots[2]);
// Null vector of the 2x2 matrix (rows r0, r1): 100 both rows short, 1 exact, 0 approximate.
int MAT_NullVector2(const double r0[2], const double r1[2], double e, double out[2]);
// Cubic Hermite span between p0 and p1 with unit tangents t0, t1 (inner control points at a
// third of their distance), at c in [0, 1]; the twin also gives d/dc.
void MAT_Hermite(const double p0[3], const double t0[3], const double p1[3], const double t1[3],
                 double c, double out[3]);
void MAT_HermiteDer(const double p0[3], const double t0[3], const double p1[3],
                    const double t1[3], double c, double out[3], double der[3]);

// Point string of the kernel.
struct PLY_String {
  int count;
  double (*points)[3];
};
// overlap = 1 when each string lies within tol of the other. 0 for a missing string, else 1.
int PLY_IsOverlap(const PLY_String* a, const PLY_String* b, int& overlap, double tol);
// Whether p lies within tol of the segment (P, Q).
bool PLY_NearSegment(const double p[3], const double P[3], const double Q[3], double tol);
