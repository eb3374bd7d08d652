// Homogeneous matrices, row-major storage, column vectors: p' = M (x, y, 1)^T in 2D and
// M (x, y, z, 1)^T in 3D, so the translation sits in the last column. A bottom row other than
// (0, ..., 0, 1) is honoured by the homogeneous divide.
#pragma once

void MAT33_Unit(double m[3][3]);
// 1 when m is the identity within 1e-12.
int MAT33_IsUnit(const double m[3][3]);
void MAT33_MultPt(const double m[3][3], double pt[2]);
void MAT33_MultPt(const double m[3][3], const double pt[2], double out[2]);
// Counter-clockwise rotation by angle about the z axis through centre (the origin when null).
void MAT33_GenRotZ1(double m[3][3], double angle, const double centre[2] = nullptr);

void MAT44_Unit(double m[4][4]);
void MAT44_MultPt(const double m[4][4], const double p[3], double out[3]);
