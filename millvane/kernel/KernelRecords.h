// Typed records of the surface kernel: curves (even codes) and surfaces (odd codes) on the
// numeric kernel's allocator, their constructors, free and copy, and the kernel's process-wide
// tolerances. Every operation dispatches on the record's type code.
//
// Results: 1 success; 0 bad argument, unsupported code or no result; -1 allocation failure;
// -4 degenerate geometry. Null record arguments give 0 (or null) without side effects.
#pragma once

#include <cstdint>

#include "platform/numora/Bcrv.h"
#include "platform/numora/Bsrf.h"
#include "platform/numora/Records.h"

// Type codes.
enum : int32_t {
  ENT_LINE = 8,
  ENT_PLANE = 9,
  ENT_CIRCLE = 10,
  ENT_BSPLINE_CURVE = 14,
  ENT_SPHERE = 15,
  ENT_INTCURVE = 16,
  ENT_BSPLINE_SURFACE = 19,
  ENT_EXTRUSION = 21,
  ENT_OFFSET_SURFACE = 29,
};

// Common head of every record.
struct ENT_Record {
  int32_t type;
  int32_t sense;  // 1 from every constructor and copy
};

struct ARR_Array;  // KernelLists.h

// 8: origin + t * direction.
struct CRV_Line : ENT_Record {
  double origin[3];
  double direction[3];
};

// 10: centre = frame origin; parameter = angle from X towards Y.
struct CRV_Circle : ENT_Record {
  _rect_fm3d frame;
  double radius;
};

// 14: owns its curve and its tessellation cache.
struct CRV_Bspline : ENT_Record {
  _param range;
  BCRV* curve;
  ARR_Array* cache;
};

// 9: the plane through the frame origin with the Z axis as normal (no constructor makes one).
struct SRF_Plane : ENT_Record {
  _rect_fm3d frame;
};

// 15: centre = frame origin (no constructor makes one).
struct SRF_Sphere : ENT_Record {
  _rect_fm3d frame;
  double radius;
};

// One point of a traced intersection: eleven doubles.
struct SSI_TracedPoint {
  double point[3];
  double tangent[3];  // unit
  double param;       // increases along the list
  double uvA[2];
  double uvB[2];
};

struct SSI_PointList {
  int32_t count;
  SSI_TracedPoint* points;  // null when count <= 0
  double tol[3];
};

// 16: the curve along which two surfaces meet. The surfaces are not owned.
struct _intcur : ENT_Record {
  ENT_Record* surfaceA;
  ENT_Record* surfaceB;
  int32_t flagA;
  int32_t flagB;
  SSI_PointList* points;  // owned
  ARR_Array* cache;       // owned
};

// 19: owns its surface.
struct SRF_Bspline : ENT_Record {
  _param uRange;
  _param vRange;
  _nurbs_surface* surface;
};

// 21: generator(u) + v * direction; owns the generator.
struct SRF_Extrude : ENT_Record {
  ENT_Record* generator;
  double direction[3];
};

// 29: base(u, v) + distance * unit normal of the base; the base is not owned.
struct SRF_Offset : ENT_Record {
  ENT_Record* base;
  double distance;
};

// Process-wide tolerances, read at each use.
extern double TOL_precision;         // distance tolerance (1e-8)
extern double TOL_anglePrecision;    // angle tolerance (1e-11)
extern double TOL_discretise[3];     // chord, maximum angle, maximum step (0.001, 0.2, 0.01)
extern double TOL_trace[3];          // tracing tolerances (0.0005, 0.1, 0.005)

// Copies each component of v above 1e-20 into the discretisation / tracing triple.
void TOL_SetPrecision(const double v[3]);
void TOL_SetTolerance(const double v[3]);
// All four back to their initial values.
void TOL_ResetDefaults();

CRV_Line* CRV_NewLine(const double origin[3], const double direction[3]);
CRV_Circle* CRV_NewCircle(const _rect_fm3d* frame, double radius);
// Keeps bcrv, owned from then on; on allocation failure it stays the caller's.
CRV_Bspline* CRV_NewBspline(BCRV* bcrv);
_intcur* SSI_NewCurve(ENT_Record* surfaceA, ENT_Record* surfaceB, SSI_PointList* points);
SRF_Bspline* SRF_NewBspline(_nurbs_surface* surface);
// Null without allocating unless the generator is a line, a circle, a planar B-spline curve or
// an intersection curve on a plane; a null generator is accepted.
SRF_Extrude* SRF_NewExtrude(const double direction[3], ENT_Record* generator);
SRF_Offset* SRF_NewOffset(ENT_Record* base, double distance);

// tolerances null: (0.0001, 0.1, 0.001); else stored as (x, z, y).
SSI_PointList* SSI_NewPointList(int count, const double tolerances[3]);
int SSI_FreePointList(SSI_PointList* list);
_intcur* SSI_CloneCurve(const _intcur* curve);
int SSI_FreeCurve(_intcur* curve);

// Frees by type code. Offset surfaces (and every code above 28, and the codes no constructor
// makes) return 0 and free nothing: their owner frees them.
int ENT_Free(ENT_Record* record);
