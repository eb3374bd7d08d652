// Intersections of 2D lines, circles, ellipses and cubic Bezier segments.
// Points are double[2]; ellipses are (centre, a, b, rotation) as in the E2D_ family; Bezier
// segments are four control points double[4][2] with parameter t in [0, 1].
// tol is a distance: curves that come within tol of each other without crossing touch in one
// point, and two crossings closer together than that merge into that one touching point.
#pragma once

#include "platform/numora/Records.h"

// Results of the line/line intersections.
enum {
  INTER_NONE = 0,     // parallel and apart, or a degenerate line
  INTER_POINT = 1,    // one crossing point
  INTER_OVERLAP = 4,  // both lie on one carrier line (out is not written)
};

// Largest number of records each Bezier intersection can write.
// (a cubic crosses a line 3 times, a conic 6 times; touching points can add one more each).
inline constexpr int kInterLineBezMax = 4;
inline constexpr int kInterCirBezMax = 8;
inline constexpr int kInterEllBezMax = 8;
inline constexpr int kInterBezBezMax = 9;

// Infinite lines through p1 along d1 and through p2 along d2 (any non-zero length). Lines are
// parallel when the sine of their angle is at most angTol; parallel lines closer than tol overlap.
int Inter_LineLine(const double p1[2], const double d1[2], const double p2[2], const double d2[2],
                   double tol, double angTol, double out[2]);
// Infinite carrier lines of a0→a1 and b0→b1; callers judge the fractions themselves. A line
// shorter than tol has no direction: INTER_NONE.
int Inter_LineLineEx(const double a0[2], const double a1[2], const double b0[2], const double b1[2],
                     double tol, double angTol, double out[2]);

// Carrier line of p0→p1 against a circle. n points in increasing line parameter, t (optional)
// their parameters on p0→p1. Returns 1 when n > 0; 0 with n = 0 when they miss or the input is
// degenerate (p0 = p1, r <= 0).
int Inter_LineCirEx(const double p0[2], const double p1[2], const double c[2], double r, double tol,
                    int& n, double pts[2][2], double t[2] = nullptr);

// Two circles: 1 with n = 1 (touching) or 2 (the first lies left of the direction c1→c2);
// 0 with n = 0 when they miss, are concentric (coincident included) or degenerate.
int Inter_CirCir(const double c1[2], double r1, const double c2[2], double r2, double tol, int& n,
                 double pts[2][2]);

// Carrier line of p0→p1 against an ellipse; as Inter_LineCirEx.
int Inter_LineEllEx(const double p0[2], const double p1[2], const double c[2], double a, double b,
                    double rot, double tol, int& n, double pts[2][2], double t[2] = nullptr);

// Circle and ellipse: up to 4 points in increasing ellipse parameter. Returns 1 when n > 0;
// 0 with n = 0 when they miss, coincide or are degenerate.
int Inter_CirEll(const double c[2], double r, const double ec[2], double a, double b, double rot,
                 double tol, int& n, double pts[4][2]);

// Two ellipses: returns the number of points (up to 4, in increasing parameter of the first);
// 0 when they miss, coincide or are degenerate.
int Inter_EllEll(const double c1[2], double a1, double b1, double rot1, const double c2[2],
                 double a2, double b2, double rot2, double tol, double pts[4][2]);

// Records in argument order: curve 1 is the first argument, curve 2 the second. Segments and
// sub-segments are set to 1 (callers renumber them); t1/t2 are the parameters on each curve:
// a line's parameter on p0→p1, a circle's angle over 2π counter-clockwise from +x, an ellipse's
// u (E2D_ convention), a Bezier's t. The point is the one on the Bezier segment (on the first
// segment for two segments). Records come in increasing Bezier parameter (of the first segment).

// Carrier line against a segment: 1 with n records (room for kInterLineBezMax), else 0 with
// n = 0. A segment lying on the line gives its two end points.
int Inter_LineBez(const double p0[2], const double p1[2], const double seg[4][2], int& n,
                  _tagInterPnt recs[], double tol = 1e-6);
// Circle against a segment: the record count (room for kInterCirBezMax).
int Inter_CirBez(const double c[2], double r, const double seg[4][2], _tagInterPnt recs[],
                 double tol = 1e-6);
// Ellipse against a segment: 1 with the first point (lowest Bezier parameter), else 0.
int Inter_EllBez(const double c[2], double a, double b, double rot, const double seg[4][2],
                 _tagInterPnt& rec, double tol = 1e-6);
// Every point of an ellipse and a segment: the record count (room for kInterEllBezMax).
int Inter_EllBezEx(const double c[2], double a, double b, double rot, const double seg[4][2],
                   _tagInterPnt recs[], double tol = 1e-6);
// Two segments: the record count (room for kInterBezBezMax). Segments sharing a stretch give
// the end points of the shared stretch.
int Inter_BezBez(const double seg1[4][2], const double seg2[4][2], _tagInterPnt recs[],
                 double tol = 1e-6);

// Exchanges every curve-1 field of the record with its curve-2 field; the point stays.
void SwapIntPnt(_tagInterPnt& rec);
