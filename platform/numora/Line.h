// Lines in 2D (L2D_) and 3D (L3D_). "Ex" forms take the line as two points a, b (parameter 0
// at a, 1 at b); the others take a point and a direction. Outputs may alias inputs.
#pragma once

#include "platform/numora/Records.h"

// Foot of p on the infinite line through a and b; 0 when a and b coincide.
int L2D_PrjPntEx(const double a[2], const double b[2], const double p[2], double out[2]);
// Foot of p on the line through base along dir (any length); 0 for a zero dir.
int L2D_PrjPnt(const double base[2], const double dir[2], const double p[2], double out[2]);
// (p - a)·(b - a) / |b - a|^2; 0 when a and b coincide (the int form then returns 0).
double L2D_GetParam(const double a[2], const double b[2], const double p[2]);
int L2D_GetParam(const double a[2], const double b[2], const double p[2], double& t);
void L2D_GetPnt(const double a[2], const double b[2], double t, double out[2]);
// Signed distance of p from the line a→b, positive on the left; |p - a| when a and b coincide.
double L2D_DistToPntEx(const double a[2], const double b[2], const double p[2]);
// Unsigned distance of p from the line through base along the unit direction dir.
double L2D_DistPntToLine(const double p[2], const double base[2], const double dir[2]);
void L2D_GetBox(const double p0[2], const double p1[2], _tagBox2D* box);

// Distance of p from the line through origin along dir (any length; |p - origin| for zero dir).
double L3D_DistToPnt(const double origin[3], const double dir[3], const double p[3]);
double L3D_DistToPntEx(const double a[3], const double b[3], const double p[3]);
// Parameter of p's foot on the line p0→p1; 0 (t = 0) when the ends coincide.
int L3D_GetParam(const double p0[3], const double p1[3], const double p[3], double& t);
int L3D_PrjPnt(const double origin[3], const double dir[3], const double p[3], double out[3]);
int L3D_PrjPntEx(const double a[3], const double b[3], const double p[3], double out[3]);
// Foot and its parameter on p0→p1 (not clamped, so callers can test [0, 1]).
int L3D_PrjPntEx2(const double p0[3], const double p1[3], const double p[3], double foot[3],
                  double& t);
// 1 when the lines (p0, d0) and (p1, d1) lie in one plane: parallel within angTol, or passing
// within tol of each other. pt and normal (unit) receive that plane; for collinear lines any
// plane through them. A zero direction makes its line a point.
int L3D_IsCoplanar(const double p0[3], const double d0[3], const double p1[3], const double d1[3],
                   double tol, double angTol, double pt[3], double normal[3]);
