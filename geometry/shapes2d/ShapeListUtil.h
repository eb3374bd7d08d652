// Free helpers over shape lists and point strings: deleting typed lists with their contents,
// ordering, thinning point strings and indexing curve starts by x.
#pragma once

#include "geometry/shapes2d/GeCurve.h"

class CGeArc;
class CGeBezier;
class CGeLoop;
class CGeGroup;
class CGePolyline;
class CGeSurf;
class CGeTrimLoop;
class RBTree;
struct _at_spline_type;

using CGeLoopList = CTypedPtrList<CObList, CGeLoop*>;
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

// Deletes the loops and empties the list; with detach the loops' sub-curves are taken out of
// them first and survive (they belong to someone else).
void geDelGeLoopList(CGeLoopList* list, bool detach);

// 1 when every curve starts within tol of the previous end (a composite entry must itself be
// linked); a null list or entry is not linked, an empty list is.
int geIsLinkCurve2d(CGeCurveList* list, double tol);
// Linked, not empty, and the last end strictly within tol of the first start.
int geIsLoopCurve2d(CGeCurveList* list, double tol);

// Joining a run of lines and polylines (geMergeLine), of Beziers (geMergeBezier), or of any
// linked curves discretised with tol and step (geCurveListToPolyLine) into one new curve;
// null when they cannot be joined. Callers then keep the run as it is.
CGePolyline* geMergeLine(CGeCurveList* list);
CGeBezier* geMergeBezier(CGeCurveList* list);
CGePolyline* geCurveListToPolyLine(CGeCurveList* list, double tol, double step);
