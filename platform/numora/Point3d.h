// 3D points (P3D_), homogeneous points (P4D_, P3DH_) and vectors (V3D_) as double[3] / double[4].
// Outputs may alias inputs. Angles in radians, right-handed.
#pragma once

double P3D_Dist(const double a[3], const double b[3]);
void P3D_Swap(double a[3], double b[3]);
// Mirror of pt in the plane through p with normal n; pt unchanged for a zero normal.
void P3D_Mirror(const double p[3], const double n[3], const double pt[3], double out[3]);
// Orthogonal projection of pt on the plane through planePt with normal n.
void P3D_PrjToPln(const double pt[3], const double planePt[3], const double n[3], double out[3]);
// Rotation of pt by angle (right hand about axis) about the axis line through centre.
void P3D_RotatePnt(const double axis[3], const double centre[3], double angle, const double pt[3],
                   double out[3]);
// Coordinates of p in the frame with origin O and axes X, Y, Z (dot products with p - O).
void P3D_TransWorldPnt3DByOXYZ(const double O[3], const double X[3], const double Y[3],
                               const double Z[3], const double p[3], double out[3]);

// Cartesian point of a homogeneous (w x, w y, w z, w); 0 (out untouched) when |w| < 1e-12.
int P4D_ToP3D(const double h[4], double out[3]);
// Euclidean distance of two homogeneous points as 4-vectors (weights included).
double P3DH_Dist(const double a[4], const double b[4]);

double V3D_Length(const double v[3]);
double V3D_Dot(const double a[3], const double b[3]);
// Unit vector from a to b; 0 (out untouched) when |b - a| < tol.
int V3D_GenUnit(const double a[3], const double b[3], double out[3], double tol);
// Normalise in place; 0 (v untouched) when |v| < tol.
int V3D_Unit(double v[3], double tol);
void V3D_VProduct(const double a[3], const double b[3], double out[3]);
// Unit of a × b; 0 (out untouched) when |a × b| < tol.
int V3D_VProductUnit(const double a[3], const double b[3], double out[3], double tol = 1e-12);
// Unsigned angle in [0, π]; 0 when either vector is shorter than tol.
double V3D_GetAngle(const double a[3], const double b[3], double tol);
// 1 when a and b are parallel or opposite within the angle tol (|sin| <= tol); a zero vector
// counts as parallel to everything.
int V3D_IsParallel(const double a[3], const double b[3], double tol);
// Angle of v in the plane of the unit axes x, y, from x towards y, in [0, 2π).
double V3D_GetRotAngleXY(const double x[3], const double y[3], const double v[3]);
// Unit axes x, y with (x, y, unit z) right-handed; 0 for a zero z.
int V3D_GetXYFromZ(const double z[3], double x[3], double y[3]);
// Rotation of v about the direction axis by angle (right hand).
void V3D_Rotate(double v[3], const double axis[3], double angle);
void V3D_Rotate(const double v[3], const double axis[3], double angle, double out[3]);
