// Circles in 2D (C2D_), given by centre and radius.
#pragma once

// Centre of the circle through three points; 0 when they are (nearly) collinear.
int C2D_GetCenter(const double p1[2], const double p2[2], const double p3[2], double out[2]);
// Nearest point of the circle to p: 0 when p lies within tol of the centre (no direction) or
// the radius is below minRadius.
int C2D_PrjPnt(const double c[2], double r, const double p[2], double out[2], double tol = 1e-6,
               double minRadius = 1e-6);
// Tangent points of the circle seen from `from`: T1 lies counter-clockwise about the centre from
// the direction centre→from, T2 clockwise. 0 when from lies inside (T1 = T2 = from on the circle).
int C2D_GetTanPt(const double c[2], double r, const double from[2], double T1[2], double T2[2]);
