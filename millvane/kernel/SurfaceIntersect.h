// Surface-surface intersection: the two-surface point solver, and the tracing entry that the
// intersection of two surface records runs.
#pragma once

#include "millvane/kernel/KernelLists.h"
#include "millvane/kernel/KernelRecords.h"

// Refines (uvA, uvB) until both surfaces meet at one point that lies on the plane through P0
// with unit normal t; point receives it. 1 converged, 0 failed (32 iterations at most).
int SSI_SolvePoint(double point[3], double uvA[2], double uvB[2], const ENT_Record* A,
                   const ENT_Record* B, const double P0[3], const double t[3], double tol);

// Node of the kernel's chain of curves (from KX_MemAlloc): one traced intersection curve.
struct SSI_CurveNode {
  SSI_CurveNode* prev;
  SSI_CurveNode* next;
  int32_t flag;     // 0
  _intcur* curve;
  double weight;    // 1.0
};

// Traces the intersection of A (the higher type code) and B inside their boxes. Isolated
// touching points go to the trace chain, curves to the curve chain. The tracer is not part of
// this library yet: it reports no intersection (0) and leaves both chains empty.
int SSI_TraceSurfaces(ENT_Record* A, ENT_Record* B, const _tagBox2D* boxA, void** cacheA,
                      const _tagBox2D* boxB, void** cacheB, LST_Node** traces,
                      SSI_CurveNode** curves);
