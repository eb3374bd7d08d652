// Approximation of one Bezier segment by tangent-carrying arcs, biarcs and lines within a
// distance tolerance, for machining code that follows only lines and arcs; and the merging of
// runs of concentric arcs in a curve list.
#pragma once

#include "geometry/shapes2d/GeCurve.h"

class CBezierNode;

class CBezierToArc {
 public:
  // Room for the control points of degree kMaxDegree.
  static constexpr int kMaxDegree = 9;

  CBezierToArc();
  CBezierToArc(const double pts[][2], int n);
  ~CBezierToArc();

  // n is the degree: n + 1 points (or nodes, of which x and y are taken) are copied. A degree
  // outside 1 .. kMaxDegree or a null array leaves the segment empty (degree 0), and an empty
  // segment approximates to nothing.
  void Create(const double pts[][2], int n);
  void Create(const CBezierNode* nodes, int n);

  int GetDegree() const { return m_nDegree; }
  // Bernstein evaluation at t.
  void GetPoint(double t, double out[2]) const;
  // Both halves at t, n + 1 points each; t within 0.001 of an end gives the whole segment and
  // a segment collapsed onto that end.
  void Split(double t, double left[][2], double right[][2]) const;

  // Appends lines and arcs in the segment's direction to out; 1 when out is non-empty. Curves
  // out held before are left alone. Pieces that miss tol are halved (up to about 500 control
  // points in all); a piece still missing after that is replaced by its chord.
  int ArcApproximation(double tol, CGeCurveList* out);
  // As ArcApproximation, but closed and strongly turning segments are first halved; tol is at
  // least 0.0001. 1 when it appended anything.
  int ArcApproxi(double tol, CGeCurveList* out);

 private:
  int m_nDegree;
  double m_pts[kMaxDegree + 1][2];
};

// Joins runs of consecutive connected arcs of one direction whose centres and radii agree
// within tol into one arc each; the absorbed arcs are removed from the list and deleted.
void MergeConcentricArc(CGeCurveList* list, float tol);
