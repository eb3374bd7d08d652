// CNurbsEditor: fitting, editing and splitting of NURBS curves and surfaces. Stateless; every
// member is static, so it serves both as `CNurbsEditor::X(...)` and through an instance.
// Every curve or surface it makes has clamped knots on [0, 1] (iso curves keep the surface's
// own parameter) and belongs to the caller (BCRV_Free / BSRF_Free).
#pragma once

#include "platform/numora/Bcrv.h"

class CNurbsEditor {
 public:
  // Interpolates the n points with the given degree (lowered to n - 1 when needed); degree 1
  // gives the polyline. Null on failure.
  static BCRV* GlobalInterp(const double (*pts)[3], int n, int degree);
  // Least-squares curve of the given degree (lowered to count - 1 when needed) with the fewest
  // control points found for which every point lies within error of the curve point at its
  // chord-length parameter; the end points are kept exactly. Null on failure.
  static BCRV* GlobalApproxErrBnd(const double (*pts)[3], int count, int degree, float error);
  // New curve with the knot t inserted once, provided t lies inside the domain and its
  // multiplicity stays at most maxMult (and the degree). Null otherwise.
  static BCRV* AddKnot(const BCRV* crv, double t, int maxMult);
  // Arc length between t0 and t1 (adaptive Gauss quadrature, absolute tolerance tol); 0 on bad
  // input.
  static double LengthIn(const BCRV* crv, double t0, double t1, double tol);
  // Splits at t into two curves each over [0, 1]. At or beyond a domain end (within 1e-10) the
  // piece on that side is null and the other is a copy. 1 when a piece was made.
  static int Split(double t, const BCRV* crv, BCRV*& first, BCRV*& second);
};
