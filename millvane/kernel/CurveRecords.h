// Operations of the surface kernel on its curve records (line, circle or arc, B-spline curve,
// surface-surface intersection curve): range, evaluation, nearest point, plane, conversion to
// a B-spline and tessellation.
#pragma once

#include "millvane/kernel/KernelLists.h"
#include "millvane/kernel/KernelRecords.h"

int CRV_GetRange(const ENT_Record* rec, double out[2]);
int CRV_EvPos(double point[3], const ENT_Record* rec, double t);
// Point and first derivative.
int CRV_EvPosTan(double tangent[3], double point[3], const ENT_Record* rec, double t);
int CRV_EvDeriv2(double point[3], double d1[3], double d2[3], const ENT_Record* rec, double t);
// Nearest point of the curve to point; t comes in as a start guess and goes out with the foot.
int CRV_SnapPoint(double foot[3], const double point[3], double& t, ENT_Record* rec);
// A point and unit normal of the plane of a planar curve.
int CRV_GetPlane(double point[3], double normal[3], const ENT_Record* rec);
int CRV_IsPlanarBcrv(double point[3], double normal[3], double tol, const BCRV* crv);
// New BCRV for [interval[0], interval[1]] of the curve (the whole of a B-spline curve); flag
// 1 for exact conversions, 0 for an approximated intersection curve.
int CRV_ToBcrv(BCRV*& out, double tol, const double interval[2], const ENT_Record* rec,
               int* flag);
// Polyline with parameters (ARR_POINTS | ARR_PARAMS) over the interval; -1 allocation failure.
int CRV_Tessellate(ARR_Array*& out, const double interval[2], const ENT_Record* rec,
                   double chord, double angle, double step);
// The record's tessellation with the kernel's discretisation triple, built on first use and
// kept by the record (B-spline and intersection curves only); null otherwise.
const ARR_Array* CRV_GetCache(ENT_Record* rec);

// Evaluation of an intersection curve: point, its parameter pairs on both surfaces.
int SSI_EvCurve(double point[3], double uvA[2], double uvB[2], const _intcur* c, double t);
