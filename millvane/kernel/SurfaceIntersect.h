// Surface-surface intersection: the two-surface point solvers (bound to a plane, free, and the
// form for surfaces that touch), the tangential-contact solver, and the tracing entry that the
// intersection of two surface records runs.
#pragma once

#include "millvane/kernel/KernelLists.h"
#include "millvane/kernel/KernelRecords.h"

// A surface evaluated at (u, v): point, partials and unit normal (the pole normal where the
// partials' cross product vanishes). 1, or 0 when no normal can be formed.
struct SSI_SurfPoint {
  double P[3], Su[3], Sv[3], N[3];
};
int SSI_EvalSurf(SSI_SurfPoint& e, const ENT_Record* s, double u, double v);

// Refines (uvA, uvB) until both surfaces meet at one point that lies on the plane through P0
// with unit normal t; point receives it. 1 converged, 0 failed (32 iterations at most).
// at, when given, receives both surfaces evaluated at the solution (A, then B).
int SSI_SolvePoint(double point[3], double uvA[2], double uvB[2], const ENT_Record* A,
                   const ENT_Record* B, const double P0[3], const double t[3], double tol,
                   SSI_SurfPoint* at = nullptr);

// The same without the plane: three equations in four unknowns. Each Newton step is the
// minimum-norm solution of SuA duA + SvA dvA - SuB duB - SvB dvB = SB - SA (pseudo-inverse,
// through a complete orthogonal decomposition), so the pair moves as little as it can towards
// the intersection and surfaces meeting tangentially (rank two) still converge.
int SSI_SolvePointFree(double point[3], double uvA[2], double uvB[2], const ENT_Record* A,
                       const ENT_Record* B, double tol);

// Form for surfaces that nearly touch: both points move to the foot of their midpoint on the
// line shared by the two tangent planes (the midpoint itself when they are parallel).
int SSI_SolveTangential(double point[3], double uvA[2], double uvB[2], const ENT_Record* A,
                        const ENT_Record* B, double tol);

// Where both surfaces touch at (uvA, uvB): the unit directions in which their normal
// curvatures agree (the intersection branches through a tangential contact), in A's principal
// frame. Returns their number (0, 1 or 2); -4 when every direction agrees (the surfaces
// coincide to second order) or the points are apart; 0 also when a curvature cannot be formed.
int SSI_ContactDirections(double dirs[2][3], const ENT_Record* A, const double uvA[2],
                          const ENT_Record* B, const double uvB[2]);

// Newton iteration onto a tangential contact point of A and B (points together, normals
// parallel) from (uvA, uvB); boxA scales A's difference steps. 1 with the solved pairs
// written back, 0 when an evaluation or a solve fails or 32 steps do not converge.
int SSI_SolveContact(double uvA[2], double uvB[2], const ENT_Record* A, const ENT_Record* B,
                     const _tagBox2D& boxA, double distTol, double angTol);

// Node of the kernel's chain of curves (from KX_MemAlloc): one traced intersection curve.
struct SSI_CurveNode {
  SSI_CurveNode* prev;
  SSI_CurveNode* next;
  int32_t flag;     // 0
  _intcur* curve;
  double weight;    // 1.0
};

// Traces the intersection of A (the higher type code) and B inside their boxes (null: the
// surface's own box, which must be finite). Isolated touching points go to the trace chain,
// curves to the curve chain; both chains are new and the caller's. cacheA and cacheB keep each
// surface's sampling between calls: a null *cache receives the sampling made here (the caller
// frees it with SSI_FreeSampleCache); a null cache pointer samples for this call only.
// 1 success (also with no intersection); 0 failure, both chains empty.
int SSI_TraceSurfaces(ENT_Record* A, ENT_Record* B, const _tagBox2D* boxA, void** cacheA,
                      const _tagBox2D* boxB, void** cacheB, LST_Node** traces,
                      SSI_CurveNode** curves);

// Frees a sample cache made by the intersection (null accepted).
void SSI_FreeSampleCache(void* cache);
