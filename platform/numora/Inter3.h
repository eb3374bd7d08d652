// Intersections in 3D: lines, circles in a frame, planes. Points and vectors are double[3];
// directions need not be unit; a circle lies in its frame's xy plane, centred at the origin.
#pragma once

#include "platform/numora/Records.h"

// Results of the circle intersections.
enum {
  INTER3_NONE = 0,
  INTER3_COPLANAR = 1,  // the line (or the second circle) lies in the circle's plane
  INTER3_PIERCE = 3,    // it crosses that plane; points only where the crossing is on both
};

// Infinite lines through p1 along d1 and p2 along d2: 1 with the meeting point (midway between
// the closest points) when they are not parallel (sine of the angle at least angTol) and pass
// within tol of each other; 4 when they lie on one line; else 0.
int Inter3_LineLine(const double p1[3], const double d1[3], const double p2[3], const double d2[3],
                    double tol, double angTol, double out[3]);

// Closest points pa, pb of the infinite lines a0→a1 and b0→b1, however far apart: 1, or 0
// when they are parallel (sine below angTol) or a line is shorter than tol.
int Inter3_LineLineEx(const double a0[3], const double a1[3], const double b0[3], const double b1[3],
                      double tol, double angTol, double pa[3], double pb[3]);

// Contact of the lines a0→a1 and b0→b1: 1 when they are not parallel and their closest points
// lie within tol, with fa and fb the fractions of those points along each (0 at the start, 1
// at the end; not clamped, so callers can test the segments) and pt midway between them.
int Inter3_LineLineEx2(const double a0[3], const double a1[3], const double b0[3],
                       const double b1[3], double tol, double angTol, double& fa, double& fb,
                       double pt[3]);

// Circle (frame, radius) against the line through p along dir. INTER3_COPLANAR with n = 1 or
// 2 points (increasing along dir), INTER3_PIERCE with n = 1, or INTER3_NONE with n = 0.
int Inter3_CirLin(const _rect_fm3d& frame, double r, const double p[3], const double dir[3],
                  double tol, double pts[2][3], int& n);

// Two circles: INTER3_COPLANAR or INTER3_PIERCE with n = 1 or 2, else INTER3_NONE with n = 0
// (apart, coincident, concentric in one plane, or degenerate).
int Inter3_CirCir(const _rect_fm3d& f1, double r1, const _rect_fm3d& f2, double r2, double tol,
                  double pts[2][3], int& n);

// Plane (point, normal) against the infinite line through a and b: 1 with the crossing, 0 when
// the heights of a and b above the plane differ by less than tol (parallel or too short).
int Inter3_PlnLine(const double pt[3], const double n[3], const double a[3], const double b[3],
                   double tol, double out[3]);

// Plane against the line through origin along dir, on either side of origin (a parallel
// projection onto the plane): 1 with the hit, 0 when dir or the normal is shorter than tol or
// the sine of the angle between dir and the plane is below angTol.
int Inter3_PlnRay(const double pt[3], const double n[3], const double origin[3], const double dir[3],
                  double angTol, double tol, double out[3]);

// Line shared by two planes: 1 with its point nearest to p1 and unit direction n1 × n2; 0 when
// a normal is shorter than tol or the normals are parallel (sine below angTol).
int Inter3_PlnPln(const double p1[3], const double n1[3], const double p2[3], const double n2[3],
                  double tol, double angTol, double linePt[3], double lineDir[3]);
