// Conversions between the planar curves, the 3D curves and kernel NURBS records. Planar curves
// are lifted to a height z; 3D curves are flattened by dropping z. Every result is a new object
// that the caller owns, or null.
#pragma once

#include "geometry/shapes2d/GeCurve.h"
#include "geometry/shapes3d/GeNrbCrv3d.h"

struct BCRV;
class CGeLine;
class CGeArc;
class CGeCircle;
class CGeEllipse;
class CGeBezier;
class CGePolyline;
class CGeCombCurve;
class CGeLoop;
class CGeLine3d;
class CGeArc3d;
class CGePolyline3d;
class CGeCombCurve3d;
class CGeLoop3d;

class CConvertEditor {
 public:
  // ---- 3D to 3D or 2D ----
  // Polyline through the curve's discretisation at tol; null below two points.
  static CGePolyline3d* ToPolyline3d(CGeCurve3d* curve, double tol);
  static CGePolyline* ToPolyline2d(CGeCurve3d* curve, double tol);
  static CGeLine* Line3dToLine(CGeLine3d* line);
  // A 3D arc whose normal points down turns clockwise in the plane.
  static CGeArc* Arc3dToArc(CGeArc3d* arc);
  static CGePolyline* Polyline3dToPolyline(CGePolyline3d* poly);
  // Lines, arcs and polylines of the list, flattened and appended to out; other types skipped.
  static void ListCurve3dToListCurve(CGeCurve3dList* list, CGeCurveList& out);

  // ---- 2D to 3D at height z ----
  static CGeLine3d* LineToLine3d(CGeLine* line, double z);
  // A clockwise arc gets a downward normal and a positive sweep.
  static CGeArc3d* ArcToArc3d(CGeArc* arc, double z);
  static CGeArc3d* CircleToArc3d(CGeCircle* circle, double z);
  // Polylines through the curve's discretisation at the current tolerance; null below two points.
  static CGePolyline3d* EllipseToPolyline3d(CGeEllipse* ellipse, double z);
  static CGePolyline3d* BezierToPolyline3d(CGeBezier* bezier, double z);
  static CGePolyline3d* PolylineToPolyline3d(CGePolyline* poly, double z);
  // 3D form chosen by type: exact for lines, arcs, circles and polylines, NURBS for ellipses
  // and Beziers, a composite for composites; null for loops and offset curves. The result's
  // tag carries the curve's closed flag.
  static CGeCurve3d* ToCurve3d(CGeCurve* curve, double z);
  // ToCurve3d of every entry, the non-null results appended to out in order.
  static void CurveListToCurveList3D(CGeCurveList* list, double z, CGeCurve3dList& out);
  // Null when the composite is empty or nothing of it converts.
  static CGeCombCurve3d* CombCurveToCombCurve3d(CGeCombCurve* comb, double z);
  // Null for an empty loop.
  static CGeLoop3d* LoopToLoop3d(CGeLoop* loop, double z);

  // ---- to NURBS ----
  // Exact for lines, arcs, circles, ellipses and Beziers; polylines become degree-1 curves and
  // composites one merged curve. Null for loops, offset curves and anything degenerate.
  static BCRV* ToNurbsCurve(CGeCurve* curve);
  static BCRV* ToNurbsCurve(CGeCurve3d* curve);
  static CGeNrbCrv3d* ToNrbCrv3d(CGeLine* line);
  static CGeNrbCrv3d* ToNrbCrv3d(CGeArc* arc);
  static CGeNrbCrv3d* ToNrbCrv3d(CGeArc3d* arc);
  static CGeNrbCrv3d* ToNrbCrv3d(CGeCircle* circle);
  static CGeNrbCrv3d* ToNrbCrv3d(CGeEllipse* ellipse);
  static CGeNrbCrv3d* ToNrbCrv3d(CGeBezier* bezier);
};
