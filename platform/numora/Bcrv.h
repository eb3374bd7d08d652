// NURBS curves of the numeric kernel: the BCRV record, arcs and parameter ranges, and the
// curve functions (evaluation, generators, knot operations, trimming, merging).
//
// Conventions
// - Control points are homogeneous (w*x, w*y, w*z, w); weights must be positive.
// - Every curve this layer makes has a clamped knot vector on the domain [0, 1].
// - Arrays of a record are allocated with malloc and freed with free (BCRV_Free does both);
//   a caller that replaces an array allocates the new one with malloc or KX_MemAlloc and frees
//   the old one with std::free or KX_MemFree (the same allocator).
// - Bad input (null records, counts below the order, decreasing knots, non-positive weights,
//   counts above knot::kMaxCount) gives a clean failure: 0 or null (a record out-argument
//   receives null), never a crash or an endless loop.
#pragma once

#include <cstdint>

#include "platform/numora/Knot.h"
#include "platform/numora/Point3d.h"  // P4D_ToP3D, P3DH_Dist
#include "platform/numora/Records.h"

// A circular arc: frame (centre = origin), radius, sweep in radians. It starts on the X axis
// and turns towards the Y axis; the Z axis is its normal.
struct _arc {
  _rect_fm3d frame;
  double radius;
  double sweep;
};

// Parameter range of a curve or surface direction.
struct _param {
  double min;
  double max;
  int32_t startKind;  // 1 regular, 3 the whole edge at min collapses to a point
  int32_t endKind;    // likewise at max
  int32_t closure;    // 0 open, 1 closed with a crease, 2 periodic
  int32_t reserved1;  // set to 3 by PARAM_Init and BSRF_GetParam; not read by the kernel
  int32_t reserved2;  // set to 1 likewise
};

// Domain [0, 1], both kinds regular, open.
void PARAM_Init(_param* param);

struct BCRV {
  int order;               // degree + 1
  int n;                   // control-point count
  double (*ctrlPts)[4];    // n homogeneous points (w*x, w*y, w*z, w)
  double* knots;           // order + n knots

  // Deep copy; null on failure.
  BCRV* Clone() const;
  // Reverses the direction and keeps the domain.
  void Reverse();

  // Generators: replace this record's contents (arrays reallocated). 1 on success, 0 on
  // failure (record unchanged).
  // Order-2 line; a zero-length line is allowed.
  int GenLine(const double s[3], const double e[3]);
  // Counter-clockwise arc in the plane z = 0 from angle a0 to a1 (radians); c is read as x, y.
  int GenArc(const double* c, double r, double a0, double a1);
  // Full counter-clockwise circle in z = 0 starting at angle 0.
  int GenCircle(const double* c, double r);
  // Full counter-clockwise ellipse in z = 0: semi-axes a (along the rotated x axis) and b,
  // rotation rot; it starts at the end of the first axis.
  int GenEll(const double* c, double a, double b, double rot);

  // Cartesian control point i; 0 when i is out of range or the weight is not positive.
  int GetCtrlPt(int i, double p[3]) const;
  // Sets control point i to the Cartesian p and keeps its weight.
  int SetCtrlPt(int i, const double p[3]);

  void Move(const double d[3]);
  // Rotation by angle (radians, right hand) about the axis through point.
  void Rotate(const double point[3], const double axis[3], double angle);
  // Scaling about base by per-axis factors.
  void Scale(const double base[3], const double factors[3]);
  // Shear about base point p: x += q.x * (y - p.y), y += q.y * (x - p.x) (z kept).
  void Shift(const double p[3], const double q[3]);

  // 0 not planar, 1 planar (point on and unit normal of the plane), 2 straight (point and unit
  // direction), 3 a single point (the point). Judged on the Cartesian control points within tol.
  static int IsPlanar(const BCRV* crv, double tol, double point[3], double vector[3]);
};

// Empty record (no arrays).
BCRV* BCRV_New();
// Arrays for order and n with a clamped uniform knot vector on [0, 1]; control points at the
// origin with weight 1. Null on bad counts or allocation failure.
BCRV* BCRV_New(int order, int n);
// Frees the record and its arrays; null is accepted.
void BCRV_Free(BCRV* crv);
// Frees count curves of a string and sets the entries to null (the array itself stays the
// caller's); null entries are skipped.
void BCRV_FreStr(int count, BCRV** curves);

// True when the record is well formed (see the conventions above).
bool BCRV_IsValid(const BCRV* crv);

// Evaluation at t (clamped into the domain). 1 on success, 0 on a bad record.
int BCRV_EvPos(const BCRV* crv, double t, double p[3]);
int BCRV_Ev1Der(const BCRV* crv, double t, double p[3], double d1[3]);
int BCRV_Ev2Der(const BCRV* crv, double t, double p[3], double d1[3], double d2[3]);

// Largest parameter step for which chords between curve points stay within tol of the curve
// (estimated from the control polygon's second differences per span). 1 on success.
int BCRV_GetMaxiStepLin(const BCRV* crv, double tol, double& step);

// New curves (out receives null on failure). 1 on success, 0 on failure.
int BCRV_GenLine(const double s[3], const double e[3], BCRV*& out);
int BCRV_GenArc(const _arc* arc, BCRV*& out);
// Rational quadratic with end points p0, p2, middle control point p1 of weight w (> 0).
BCRV* BCRV_CreConic(const double p0[3], const double p1[3], const double p2[3], double w);
// Cubic Hermite segment from p1 to p2 leaving p1 along d1 and arriving at p2 along d2. Only the
// directions of d1 and d2 are used; their length is taken as the chord |p2 - p1|, which gives
// a well-shaped segment whatever the caller's scaling. out receives the four Bezier control
// points (homogeneous, weight 1). 0 when p1 and p2 coincide or a direction is zero.
int BCRV_CalFergCntP(const double p1[3], const double d1[3], const double p2[3],
                     const double d2[3], double out[4][4]);
// The same segment as a curve (order 4, knots 0,0,0,0,1,1,1,1); null on failure.
BCRV* BCRV_CreFergC1(const double p1[3], const double d1[3], const double p2[3],
                     const double d2[3]);

// Interpolation through count points with the given order (lowered to count when larger),
// chord-length parameters. Consecutive coincident points are taken once. 1 on success.
int BCRV_IntpPs(const double (*pts)[3], int count, int order, BCRV*& out);

// Joins count curves in order into one record over [0, 1] (orders raised to the highest).
// Consecutive ends must lie within tol; they are joined at their midpoint. Each piece gets a
// share of the domain proportional to its control-polygon length. 1 on success.
int BCRV_Merge(int count, BCRV* const* curves, double tol, BCRV*& out);

// The piece over [a, b] (clamped into the domain, a < b) as a new curve over [0, 1]; null on
// failure. The cut is exact (knot insertion), so tol is accepted for the interface only.
BCRV* BCRV_Trim(const BCRV* crv, double a, double b, double tol);

// In place: degree elevation by times; knot refinement with count knots (non-decreasing,
// inside the domain; knots at its ends are skipped, and no knot goes beyond the degree's
// multiplicity). 1 on success, 0 on failure (curve unchanged).
int BCRV_ElvDeg(BCRV* crv, int times);
int BCRV_InsKnots(BCRV* crv, const double* knots, int count);
// Removes the knot u up to times times while the curve moves by at most tol (homogeneous
// distance); returns the number removed (0 leaves the curve unchanged).
int BCRV_RemKnot(BCRV* crv, double u, int times, double tol);
// Makes count curves compatible in place: equal order and equal knot vector (knots within
// 1e-10 count as one; the shapes are unchanged, so tol is only the caller's closeness
// tolerance, accepted for the interface). 1 on success, 0 on failure (curves unchanged).
int BCRV_UniStr(int count, BCRV** curves, double tol);

// Deviation between two curves: the mean distance of 11 points at equal parameters (mode 0)
// or with b reversed (mode 1). Negative on bad input.
double BCRV_InqADDegree(const BCRV* a, const BCRV* b, int mode);
