// Free helpers over shape lists and point strings: deleting typed lists with their contents,
// ordering, thinning point strings and indexing curve starts by x.
#pragma once

#include "geometry/shapes2d/GeCurve.h"

class CGeArc;
class CGeBezier;
class CGeCombCurve;
class CGeLoop;
class CGeRegion;
class CGeGroup;
class CGePolyline;
class CGeSurf;
class CGeTrimLoop;
class RBTree;
struct _at_spline_type;
struct gpc_polygon;

using CGeLoopList = CTypedPtrList<CObList, CGeLoop*>;
using CGeRegionList = CTypedPtrList<CObList, CGeRegion*>;
using CGeGroupList = CTypedPtrList<CObList, CGeGroup*>;
using CGeSurfList = CTypedPtrList<CObList, CGeSurf*>;
using CGeTrimLoopList = CTypedPtrList<CObList, CGeTrimLoop*>;
using CPoint3dArray = CArray<tagPoint3d, tagPoint3d&>;

// Deleters: every non-null element is deleted, then the list is emptied; a null list is left
// alone. The elements are deleted through CObject, so callers need not see their classes.
void geDelCurveList(CGeCurveList* list);
void geDelCurve3dList(CGeCurve3dList* list);
void geDelSurfList(CGeSurfList* list);
void geDelTrimLoopList(CGeTrimLoopList* list);
void geDelGroupList(CGeGroupList* list);
// detach true: each loop's sub-curves are taken out first and survive (they belong to someone
// else); false: the loops delete their sub-curves.
void geDelGeLoopList(CGeLoopList* list, bool detach);
// detach true: each region's loops are taken out first and survive; false: the regions
// delete their loops with their sub-curves. An empty list is left alone.
void geDelRegionList(CGeRegionList* list, bool detach);

// 1 when every curve starts within tol of the previous end (a gap of exactly tol links) and
// every composite entry is itself linked; a null list or entry is not linked, an empty list is.
int geIsLinkCurve2d(CGeCurveList* list, double tol);
// Linked, not empty, and the last end strictly closer than tol to the first start.
int geIsLoopCurve2d(CGeCurveList* list, double tol);
// The same for 3D curves, a composite 3D entry being tested with its own IsLinked.
int geIsLinkCurve3d(CGeCurve3dList* list, double tol);
int geIsLoopCurve3d(CGeCurve3dList* list, double tol);

// Reorders the list so that each curve is the one (of those left) starting nearest to the end
// of the one before; the head stays first, nulls are dropped, no curve is reversed.
void geRankCurveInNearestDist(CGeCurveList* list);
void geRankLoopInNearestDist(CGeLoopList* list);

// Thins a single-precision point string in place: near duplicates (box test within tol) go,
// and an intermediate point whose turn is flatter than `angle` and lies within tol of the
// line through its neighbours is replaced by the next point. Strings of 2 points or fewer,
// and angles above pi - 0.0001, are left unchanged.
void RefinePointStr(double tol, double angle, CPoint2dArray& pts);
void RefinePointStr3D(double tol, double angle, CPoint3dArray& pts);

// Indexes the curves by start x: each tree node gets (as its user data, owned by the tree) a
// CGeCurveList of the curves whose start x matches its key within the tree's tolerance. The
// tree is set to delete those lists; tol is not used.
void geCreateScanBeamTree(CGeCurveList* list, double tol, RBTree& tree);

// New curve through the points: a line for two, a polyline for more; null for fewer than two.
CGeCurve* geGenCurve(CPoint2dArray* pts);
// Straight single-segment Bezier from a to b, control nodes at the thirds.
CGeBezier* geGenBezierFrmLine(const double a[2], const double b[2]);
// Bezier through the first four points (x, y) of a traced piece; null for a null record.
CGeBezier* geGenBezier(const _at_spline_type* spline);
// Polyline through a discretised copy of the curve; null for a null curve, tol < 0 or fewer
// than two points.
CGePolyline* geCurveToPolyline(CGeCurve* curve, double tol);
// Polyline around the arc whose distance from the centre runs linearly from r[0] at the
// arc's start to r[1] at its end, spaced by the curve tolerance; null for an arc that sweeps
// nothing.
CGePolyline* geCreateSweepBound(CGeArc* arc, const double r[2]);

// Joining a linked list into one new curve; null when the list is not linked or nothing
// joins. geCurveListToPolyLine discretises every curve with tol (step as the angle) and
// joins the strings; geMergeLine joins the vertices of the lines and polylines and
// geMergeBezier the nodes of the Beziers (others are skipped), both linked within 0.05.
CGePolyline* geCurveListToPolyLine(CGeCurveList* list, double tol, double step);
CGePolyline* geMergeLine(CGeCurveList* list);
CGeBezier* geMergeBezier(CGeCurveList* list);

// Composites. From one curve: a new composite holding the curve itself (null for a null curve
// or a composite). From a list linked within 0.02: the curves move into a new composite
// (composite entries give up their members) and the list is emptied; null, list untouched,
// otherwise. From a loop: a composite of copies of its sub-curves, closed when the loop is;
// geGenCombCurveFrmLoop gives null instead of an empty composite.
CGeCombCurve* geGenCombCurve(CGeCurve* curve);
CGeCombCurve* geGenCombCurve(CGeCurveList* list);
CGeCombCurve* geGenComCurve(CGeLoop* loop);
CGeCombCurve* geGenCombCurveFrmLoop(CGeLoop* loop);

// Loops to clipper contours: one contour per non-null loop (its point buffer, discretised
// with 0.01 when empty), the first an outer boundary and every further one a hole. Returns
// the number of contours, which is all that happens for a null polygon; 0 for a null list.
int geLoopList2GPC(CGeLoopList* list, gpc_polygon* poly);
// Clipper contours to loops appended to the list: each a loop of one closed polyline,
// thinned with 0.01. Hole flags are not read; orientations are the clipper's.
void geGPC2LoopList(gpc_polygon* poly, CGeLoopList* list);
