// CNurbsEditor: fitting, editing and splitting of NURBS curves and surfaces. Stateless; every
// member is static, so it serves both as `CNurbsEditor::X(...)` and through an instance.
// Every curve or surface it makes has clamped knots on [0, 1] (iso curves keep the surface's
// own parameter) and belongs to the caller (BCRV_Free / BSRF_Free).
#pragma once

#include <vector>

#include "platform/numora/Bcrv.h"
#include "platform/numora/Bsrf.h"
#include "platform/numora/Records.h"

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

  // Iso-parameter codes.
  static constexpr int kIsoU = 1301;  // constant u: the curve runs in v
  static constexpr int kIsoV = 1302;  // constant v: the curve runs in u

  // The whole iso curve at value (clamped into the domain); its parameter is the surface's own
  // (its knots are the surface's knots of the running direction). Null on failure.
  static BCRV* MakeIsoCurve(const _nurbs_surface* srf, int code, double value);
  // Triangle soup of the surface within tol: three vertices per face, counter-clockwise in the
  // parameter plane, with the unit surface normal at each vertex; indices receives 0, 1, 2, ...
  // Every point of the mesh lies within tol of the surface (a bound, single-precision rounding
  // included). Cells are refined where the surface needs them; a closed direction and a
  // collapsed edge (a pole) close up. A tolerance that would take more than about a million
  // cells, or that floats cannot hold at the surface's distance from the origin, fails. The
  // vectors are replaced on success; 1 then, 0 and the vectors untouched otherwise.
  static int Tesselate(const _nurbs_surface* srf, double tol, std::vector<CPoint3d>& vertices,
                       std::vector<CVector3d>& normals, std::vector<int>& indices);
  // Surface at distance d along the unit normal (Su x Sv), fitted through offset points to
  // within 1e-3 of them. Null on failure (for example where the normal is undefined).
  static _nurbs_surface* OffsetSurf(const _nurbs_surface* srf, float d);
  // Bilinear plane with corners origin, origin + width x, origin + height y (u along x).
  static _nurbs_surface* MakePlane(const double origin[3], double width, double height);
  // Extends the surface by about distance across one edge. Sides: 0 the edge u = min, 1 v = min,
  // 2 u = max, 3 v = max. One parameter step is added on that side, sized so that where the
  // surface runs fastest across the edge it reaches the distance. Mode 0: the boundary spans
  // are carried on (the same polynomial pieces, so the join is smooth); any other mode: a
  // straight continuation along the cross-boundary tangent (C1, ruled). The result is
  // reparametrised onto [0, 1]. Null on failure.
  static _nurbs_surface* Extend(const _nurbs_surface* srf, double distance, int side, int mode);
  // Splits at value along the direction (kIsoU: at u = value, kIsoV: at v = value) into pieces
  // over [0, 1]. At or beyond a domain end the piece on that side is null and the other a
  // copy. Returns the number of pieces made.
  static int SplitAt(const _nurbs_surface* srf, double value, int direction,
                     _nurbs_surface*& first, _nurbs_surface*& second);
  // Skins count section curves (each running in u, in the given order across v) after making
  // them compatible. option 2, 3 or 4 picks the order across the sections (lowered to count);
  // any other value means 4. Null for fewer than two sections, a null entry or a bad curve.
  static _nurbs_surface* SkinV(BCRV* const* curves, int count, int option);
};
