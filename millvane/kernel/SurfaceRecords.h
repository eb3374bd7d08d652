// Operations of the surface kernel on its surface records (B-spline surface, extrusion, offset
// surface, and the sphere that the dispatchers know): parameter box and ranges, point,
// derivatives, unit normal, principal curvatures, nearest point, conversion to a B-spline
// surface and the intersection of two surfaces.
#pragma once

#include "millvane/kernel/KernelRecords.h"

struct LST_Node;
struct SSI_CurveNode;

int SRF_GetUVBox(const ENT_Record* rec, _tagBox2D* box);
int SRF_GetParamRanges(const ENT_Record* rec, _param* U, _param* V);
int SRF_EvPos(double point[3], const ENT_Record* rec, double u, double v);
int SRF_EvDeriv1(double point[3], double su[3], double sv[3], const ENT_Record* rec, double u,
                 double v);
int SRF_EvDeriv2(double point[3], double su[3], double sv[3], double suu[3], double suv[3],
                 double svv[3], const ENT_Record* rec, double u, double v);
// Unit normal; at a collapsed edge the pole normal.
int SRF_EvPosNormal(double normal[3], const ENT_Record* rec, double point[3], double u, double v);
// Principal curvatures (k1 of the larger magnitude) and unit principal directions.
int SRF_EvCurvature(double& k1, double& k2, double e1[3], double e2[3], const ENT_Record* rec,
                    double u, double v);
// Nearest point on the surface; u and v come in as a start guess (1e12: none) and go out
// with the foot's parameters. Offset surfaces are not handled (0).
int SRF_SnapPoint(double& v, double& u, double foot[3], const ENT_Record* rec,
                  const double point[3]);
// New surface over the box (umin, vmin, umax, vmax); -4 for a degenerate sphere.
int SRF_ToBspline(double tol, const ENT_Record* rec, const _tagBox2D* box,
                  _nurbs_surface*& out, int* flag);
int SRF_IntersectSurfaces(ENT_Record* A, ENT_Record* B, const _tagBox2D* boxA, void** cacheA,
                          const _tagBox2D* boxB, void** cacheB, LST_Node** traces,
                          SSI_CurveNode** curves);
