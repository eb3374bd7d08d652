// 2D points (P2D_) and vectors (V2D_) as double[2]. Outputs may alias inputs.
// Angles are radians; positive turns are counter-clockwise.
#pragma once

#include "platform/numora/Records.h"

double P2D_Dist(const double a[2], const double b[2]);
// Coordinate-wise distance max(|dx|, |dy|): "close in both x and y".
double P2D_AbsDist(const double a[2], const double b[2]);
// Distance of two traced float points (x, y; z ignored).
double _DistOf(const float* p, const float* q);

// Rotation of p about c, by an angle or by its precomputed cosine and sine.
void P2D_Rot(const double c[2], double angle, const double p[2], double out[2]);
void P2D_Rot(const double c[2], double cosA, double sinA, const double p[2], double out[2]);
// Mirror of p in the line through base along dir; p unchanged for a zero dir.
void P2D_Mirr(const double base[2], const double dir[2], const double p[2], double out[2]);
// Shear about base point p: x' = x + q.x (y - p.y), y' = y + q.y (x - p.x) (both from the old
// x, y). Affine, not a similarity: circles map to ellipses.
void P2D_Shift(const double p[2], double pt[2], const double q[2]);
void P2D_Shift(const double p[2], const double pt[2], const double q[2], double out[2]);
void P2D_Swap(double a[2], double b[2]);
void P4D_Swap(double a[4], double b[4]);

// 1 when c lies within tol of the line through a and b (or a, b coincide within tol and c is
// within tol of them).
int P2D_IsCollinear(const double a[2], const double b[2], const double c[2], double tol = 1e-6);
// 1 when every point lies within tol of the line through the two points farthest apart
// (n < 3 is collinear).
int P2D_IsPtsColine(const double (*pts)[2], int n, double tol);
// 1 when p lies OUTSIDE the box grown by radius, 0 inside (note: opposite of BOX2D_IsPtIn).
int P2D_IsInBox2D(const _tagBox2D* box, const double p[2], double radius);

// Angle of v to +x in [0, 2π); 0 for a zero vector.
double V2D_AngletoX(const double v[2]);
// Unit vector from a to b; 0 (out untouched) when |b - a| < tol.
int V2D_GenUnit(const double a[2], const double b[2], double out[2], double tol);
// Normalise in place; 0 (v untouched) when |v| < tol.
int V2D_Unit(double v[2], double tol);
void V2D_Rot(double v[2], double angle);
void V2D_Rot(const double v[2], double angle, double out[2]);
// Left perpendicular (-y, x).
void V2D_Perp(double v[2]);
void V2D_Perp(const double v[2], double out[2]);
// (a × b) × c with z = 0: for D, D'' and D it points towards the centre of curvature.
void V2D_XProduct(const double a[2], const double b[2], const double c[2], double out[2]);
// Unsigned angle between a and b in [0, π]; 0 when either is shorter than tol.
double V2D_GetAngle(const double a[2], const double b[2], double tol);
// Same for vectors already of unit length.
double V2D_GetAngleUnit(const double a[2], const double b[2]);
// Directed angle turning v1 into v2 counter-clockwise, in [0, 2π); 0 when either is zero.
double V2D_GetAngleV1toV2(const double v1[2], const double v2[2]);
