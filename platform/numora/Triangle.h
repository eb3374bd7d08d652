// Triangles (TRI2_ in the xy plane, TRI3_ in space) and plane relations (PLN_).
#pragma once

// 0 when the origin lies in the triangle (x, y of p0, p1, p2) grown by radius, else 1. On 0, w
// holds the barycentric weights of the triangle point nearest the origin (the origin's own
// weights when it lies inside). A triangle without area never contains it.
int TRI2_ChkOriInTri2DEx(const double* p0, const double* p1, const double* p2, double radius,
                         double w[3]);

// Unit normal of p0, p1, p2 (counter-clockwise seen from its tip). 0 and a zero vector when
// |(p1 - p0) × (p2 - p0)| < tol.
int TRI3_GetNormal(const double p0[3], const double p1[3], const double p2[3], double tol,
                   double out[3]);
// 1 when the segment a-b meets the triangle (distances within tol), else 0.
int TRI3_IntSegment(const double p0[3], const double p1[3], const double p2[3], const double a[3],
                    const double b[3], double tol);
// 1 when the vertical line through (origin.x, origin.y) meets the triangle within tol (in xy);
// hit receives the point on the triangle's plane. Triangles seen edge-on from above give 0.
int TRI3_IntZRay(const double p0[3], const double p1[3], const double p2[3],
                 const double origin[3], double tol, double hit[3]);

// Kinds of a planar description: 1 plane (point, normal), 2 line (point, direction), 3 point
// (point; its vector is ignored); anything else is not planar.
// 1 when A and B lie in one plane (normals within angTol, distances within tol); ptB and nB
// then receive that plane (point, unit normal). 0 leaves them untouched.
int PLN_Relation(int kindA, const double ptA[3], const double nA[3], int kindB, double ptB[3],
                 double nB[3], double angTol, double tol);
