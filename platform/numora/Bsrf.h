// NURBS surfaces of the numeric kernel: the _nurbs_surface record, its control nets, evaluation,
// nearest points, parameter ranges, generators and transforms.
//
// Conventions
// - u is the first direction (orders ku, counts nu, knots uKnots of ku + nu), v the second.
// - The net holds nv rows, one per v index; row j is a separate array of nu homogeneous points
//   (w*x, w*y, w*z, w) along u: net[j][i]. Shrinking nu in place therefore leaves a valid net.
// - Surfaces made here have clamped knots on [0, 1] in both directions.
// - Arrays are allocated with malloc (BSRF_Free releases everything). A caller replacing an
//   array allocates with malloc or KX_MemAlloc (KNOT_Gen, NET4D_Create) and frees the old one
//   with std::free or KX_MemFree, a net with NET4D_Free.
// - Bad input (null records, counts below orders, decreasing knots, non-positive weights, counts
//   above knot::kMaxCount) gives 0 or null (a record out-argument receives null).
#pragma once

#include <vector>

#include "platform/numora/Bcrv.h"

// A homogeneous control net: rows of homogeneous points.
using NET4D = double (**)[4];

// rows arrays of columns points (zero, weight 1) and the row table; null on bad counts or
// allocation failure.
NET4D NET4D_Create(int rows, int columns);
// Frees the rows and the table; null is accepted.
void NET4D_Free(NET4D net, int rows);

struct _nurbs_surface {
  int ku;           // order along u
  int kv;           // order along v
  int nu;           // control points along u (per row)
  int nv;           // rows
  double* uKnots;   // ku + nu
  double* vKnots;   // kv + nv
  NET4D net;        // nv rows of nu points
};

// Clamped uniform knots on [0, 1], net at the origin with weight 1; null on failure.
_nurbs_surface* BSRF_Create(int ku, int kv, int nu, int nv);
void BSRF_Free(_nurbs_surface* srf);  // null accepted
_nurbs_surface* BSRF_Clone(const _nurbs_surface* srf);
bool BSRF_IsValid(const _nurbs_surface* srf);

// Evaluation (parameters clamped into the domain). 1 on success, 0 on a bad record.
int BSRF_EvPos(const _nurbs_surface* srf, double u, double v, double p[3]);
int BSRF_Ev1Der(const _nurbs_surface* srf, double u, double v, double p[3], double su[3],
                double sv[3]);
int BSRF_Ev2Der(const _nurbs_surface* srf, double u, double v, double p[3], double su[3],
                double sv[3], double suu[3], double suv[3], double svv[3]);
// Point and unit normal unit(Su x Sv). Where that vanishes (a collapsed edge or pole) the normal
// is the limit taken from just inside the domain. 0 when no normal can be formed.
int BSRF_EvNormal(const _nurbs_surface* srf, double u, double v, double p[3], double n[3]);

// Largest parameter steps du, dv for which a triangulation of the grid stays within tol of the
// surface (bounded from sampled second derivatives). 1 on success, 0 on failure.
int BSRF_GetMaxiStepLin(const _nurbs_surface* srf, double tol, double* du, double* dv);

// Nearest surface point to p. u, v come in as a start guess (a value of 1e12 or one outside
// the domain means none) and go out as the foot's parameters; the guess and a grid of seeds
// are refined by Newton steps to within tol, and the nearest result wins. 1 on success.
int BSRF_SnapPnt(const _nurbs_surface* srf, const double p[3], double tol, double foot[3],
                 double& u, double& v, double& dist);

// Parameter ranges of both directions: domain, collapsed edges (kind 3 when an edge's points lie
// within tol of each other), closure (edges at min and max coincide within tol: 2 when the
// normals agree within angTol radians, else 1). 1 on success.
int BSRF_GetParam(const _nurbs_surface* srf, double tol, double angTol, _param* U, _param* V);

// Extrusion of a curve (along u) by length along the unit of dir (along v, order 2).
int BSRF_GenExtrude(const BCRV* crv, const double dir[3], double length, _nurbs_surface*& out);
// Revolution of a curve (along v) about the axis through point by angle radians (along u,
// exact rational arcs; a negative angle turns the other way; capped at a full turn).
int BSRF_GenRevolve(const BCRV* crv, const double point[3], const double axis[3], double angle,
                    _nurbs_surface*& out);

// Surface through n compatible rows (net: n rows of cross->n homogeneous points) across v with
// the given order (lowered to n): u order and knots are cross's; the rows are interpolated at
// chord-length parameters averaged over the columns (IntpPs) or at equally spaced parameters
// (IntpPsUniK, for rows sampled at equal steps). 1 on success, 0 on bad input or a singular
// system, -1 on allocation failure.
int BSRF_IntpPs(int n, const NET4D net, const BCRV* cross, int order, _nurbs_surface*& out);
int BSRF_IntpPsUniK(int n, const NET4D net, const BCRV* cross, int order,
                    _nurbs_surface*& out);

// Splits at interior u knots where the tangent across them turns by more than angle (radians)
// at some point of the knot line. pieces receives the pieces in u order (one copy when
// nothing is split); the caller frees them. 1 on success, 0 on bad input.
int BSRF_USplitG1Discont(const _nurbs_surface* srf, double angle,
                         std::vector<_nurbs_surface*>& pieces);

// Shape transforms of the control net (weights kept).
void BSRF_Move(_nurbs_surface* srf, const double d[3]);
void BSRF_Roate(_nurbs_surface* srf, const double point[3], const double axis[3], double angle);
// Mirror in the vertical plane through a containing the direction b (x, y used).
void BSRF_Mirror2D(_nurbs_surface* srf, const double a[3], const double b[3]);
// Mirror in the plane through a with normal b.
void BSRF_Mirror(_nurbs_surface* srf, const double a[3], const double b[3]);
// Shear about base point a: x += b.x (y - a.y), y += b.y (x - a.x), z kept.
void BSRF_Shift(_nurbs_surface* srf, const double a[3], const double b[3]);
void BSRF_Scale(_nurbs_surface* srf, const double centre[3], const double factors[3]);
// p' = M (x, y, z, 1) with the MAT44 convention (row-major, translation in the last column).
void BSRF_Transform(_nurbs_surface* srf, const double m[4][4]);
// World to the frame's local coordinates, and local back to world.
void BSRF_TransformWorld(_nurbs_surface* srf, const _rect_fm3d* frame);
void BSRF_TransLocal(_nurbs_surface* srf, const _rect_fm3d* frame);
