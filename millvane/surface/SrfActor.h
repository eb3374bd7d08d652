// The exported face of the surface operations on trimmed surfaces. New surfaces go into
// caller-supplied lists and belong to the caller.
#pragma once

#include <array>
#include <vector>

#include "millvane/surface/SrfTrimAdaptor.h"
#include "platform/afx/Array.h"
#include "platform/numora/Records.h"

class CGeCurve3d;
class CGeMesh;
using CGeMeshList = CTypedPtrList<CObList, CGeMesh*>;

struct ENT_Record;

// A kernel curve record for a Geometry 3D curve with its parameter range: a line, an arc, a
// polyline (as an order-2 B-spline) or a NURBS curve. 1, or 0 for other curves or on failure
// (rec stays null then). The record is the caller's (ENT_Free).
int CRV_FromGeCurve3d(CGeCurve3d* curve, ENT_Record*& rec, double range[2]);

// Parameters of a blend between two edges (or a curve and an edge): tangent-length offsets at
// the first and second side, the parameter ranges walked along each side in [0, 1], and
// whether a side is closed (its whole range walked, parameters wrapping around).
struct SURFBLEND_PARAM {
  double startOffset;
  double endOffset;
  double start1;
  double end1;
  double start2;
  double end2;
  int closed1;
  int closed2;
};

class CSrfActor {
 public:
  // Gives the surface its kernel record (a B-spline record over a clone of its NURBS surface)
  // when it has none. 1 when the surface has a record afterwards; 0 for a null surface or one
  // without a NURBS surface.
  int CreateSURFACE(CGeTrimSurf* surface);
  // Frees the kernel record and clears the field; 0.
  int FreeSURFACE(CGeTrimSurf* surface);

  // A 3D curve through the point string (near-duplicate and collinear points filtered out):
  // type 2 a polyline, type 1 a line or an approximating NURBS curve, any other type an
  // interpolating NURBS curve. Ends within 0.2 are closed. Null under two points.
  CGeCurve3d* MakeCurve(CArray<tagDPoint3d, tagDPoint3d>* points, int type);
  // Drops every input point along z onto the meshes: out (empty on entry) receives each point
  // with the highest hit z, or -1e12 when it hits nothing.
  void PrjAlongZAxis(CGeMeshList* meshes, std::vector<tagPoint3d>& in,
                     std::vector<tagPoint3d>& out);
  // Points along the curve at every multiple of step of arc length, plus both ends.
  void CrvDiscToStrptInEquDist(CGeCurve3d* curve, double step, double tolerance,
                               CArray<tagDPoint3d, tagDPoint3d>& out);
  // A copy of the surface without the loop that owns edge (a hole is filled; an outer loop is
  // replaced by the whole domain). Null for bad arguments.
  CGeTrimSurf* UnTrimSurf(CGeTrimSurf* surface, CGeTrimBnd* edge);
  // Projects the curve onto the trimmed surface along direction (normalised; a null or
  // non-finite direction gives 0): the pieces inside the trimmed domain go to out as curves
  // of the MakeCurve type. 1 when curves were appended.
  int CrvPrjToSrf(CGeCurve3d* curve, CGeTrimSurf* surface, double direction[3], int type,
                  CGeCurve3dPtrList* out);
  // Projects every planar curve along z onto the surfaces (curves that are not planar are
  // reported and skipped); the pieces inside the trimmed domains go to out as curves of the
  // MakeCurve type. 1 when curves were appended.
  int CrvPrjToSrfAlongZAxis(CGeCurve3dPtrList* curves, CGeTrimSurfList* surfaces, int type,
                            CGeCurve3dPtrList* out);
  // Trims the surface by the vertical walls over the planar curves; the pieces go to out.
  // 1 when pieces were appended.
  int CrvSrfTrimAlongZAxis(CGeCurve3dPtrList* curves, CGeTrimSurf* surface,
                           CGeTrimSurfList* out);
  // Projects the point string onto the surface along its normal (nearest points); the runs
  // that lie inside the trimmed domain go to out as curves of the MakeCurve type. The surface
  // needs its kernel record. 1 when curves were appended.
  int StrptPrjToSurfAlongNormal(CArray<tagDPoint3d, tagDPoint3d>& points, CGeTrimSurf* surface,
                                int type, CGeCurve3dPtrList* out);
  // Planar trimmed faces bounded by the closed loops the coplanar curves chain into: each
  // outer loop with the holes that follow it. Curves in distinct parallel planes make
  // separate faces. 1 when faces were appended.
  int GenPlane(CGeCurve3dPtrList* curves, CGeTrimSurfList* out);
  // The untrimmed surface extended by distance across the edge (a straight parameter line of
  // its domain boundary); mode as CNurbsEditor::Extend. Null for a trimmed surface, a slanted
  // or degenerate edge, or distance <= 1e-6.
  CGeTrimSurf* SurfExtend(CGeTrimSurf* surface, CGeTrimBnd* edge, int mode, double distance);
  // Splits the surface at u = value (direction CNurbsEditor::kIsoU) or v = value (any other
  // direction); the pieces go to out. 1 when pieces were appended.
  int IsoTrimSurf(CGeTrimSurf* surface, double value, int direction, CGeTrimSurfList* out);
  // A cubic blend across from edge e1 of s1 to edge e2 of s2, leaving each surface at right
  // angles to the edge along the surface (rev reverses an edge's direction). The new
  // untrimmed surface goes to out; 1 when made.
  int SurfSurfBlend(CGeTrimSurf* s1, CGeTrimSurf* s2, CGeTrimBnd* e1, CGeTrimBnd* e2, bool rev1,
                    bool rev2, SURFBLEND_PARAM param, CGeTrimSurfList* out);
  // A quadratic blend from the curve to the edge of the surface, arriving level with the
  // surface across the edge (revCurve reverses the curve itself first, revEdge walks the edge
  // backwards). The curve must evaluate at parameters in [0, 1]. The new untrimmed surface
  // goes to out (u = 0 on the curve, u = 1 on the edge); 1 when made.
  int SurfCurveBlend(CGeCurve3d* curve, CGeTrimSurf* surface, CGeTrimBnd* edge, bool revCurve,
                     bool revEdge, SURFBLEND_PARAM param, CGeTrimSurfList* out);
  // Trims the surface by every listed surface whose box meets it; the pieces go to out
  // (the listed surfaces stay the caller's). 1 when pieces were appended.
  int SrfSrfTrim(CGeTrimSurfList* tools, CGeTrimSurf* surface, CGeTrimSurfList* out);

  // Rolls a ball of the radius between face1 and face2 (each offset along its normal, or
  // against it when its flip flag is set) and appends the fillet patches to out; with trim set
  // the faces are also trimmed back to the contact curves (mode is the trim's loop mode).
  // Both faces need their kernel record. 1 when surfaces were appended, else 0.
  int SrfFillet(CGeTrimSurf* face1, int flip1, CGeTrimSurf* face2, int flip2, int trim, int mode,
                double radius, CGeTrimSurfList* out);
  // The same with a straight band whose edge on face1 lies where face2's offset by distance2
  // meets it, and on face2 where face1's offset by distance1 meets it.
  int SrfChamfer(CGeTrimSurf* face1, int flip1, CGeTrimSurf* face2, int flip2, int trim,
                 int mode, double distance1, double distance2, CGeTrimSurfList* out);
};
