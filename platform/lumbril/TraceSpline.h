// The bitmap tracer's output records and their conversion into traced curves of plain
// segments, which the geometry kernel turns into lines and Bezier curves.
#pragma once

#include <vector>

struct _at_real_coord {
  float x;
  float y;
  float z;
};

// One traced piece. The end points are always v[0] and v[3]; the points between carry the
// shape: none for degree 1 (a line), v[1] for degree 2 (one control point), v[1] and v[2] for
// degree 3 (a cubic Bezier).
struct _at_spline_type {
  _at_real_coord v[4];
  int degree;
};

// One outline: its pieces in order.
struct _at_spline_list_type {
  _at_spline_type* data;
  unsigned length;
  int open;  // 0 for a closed outline
};

// The tracer's whole result. A small handle passed by value; the arrays belong to the tracer.
struct _at_spline_list_array_type {
  _at_spline_list_type* data;
  unsigned length;
};

// True when the result holds no spline at all (null arrays or only empty outlines).
bool at_spline_list_array_is_empty(const _at_spline_list_array_type& splines);

// A segment of a traced curve: a line (degree 1, pt[0] to pt[1]) or a cubic Bezier
// (degree 3, control points pt[0..3]).
struct _kx_segment_type {
  float pt[4][3];
  int degree;
};

struct _kx_curve_type {
  std::vector<_kx_segment_type> segments;
};

struct _kx_curve_list_type {
  std::vector<_kx_curve_type> curves;
};

// One traced curve per outline that holds a usable piece; quadratic pieces become the equal
// cubic. Pieces of another degree are dropped. Null when nothing was produced. Release the
// result with kx_free_kxcurve.
_kx_curve_list_type* kx_spline_to_kxcurve(_at_spline_list_array_type splines);
void kx_free_kxcurve(_kx_curve_list_type* list);
