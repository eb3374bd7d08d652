// Free helpers over point strings and shape lists.
#pragma once

#include "geometry/shapes2d/GeCurve.h"

// Thins a single-precision point string by the distance and angle tolerances.
void RefinePointStr(double tol, double angle, CPoint2dArray& pts);

// New curve through the points: a line for two, a polyline for more; null for fewer than two.
CGeCurve* geGenCurve(CPoint2dArray* pts);

class CGeLoop;
using CGeLoopList = CTypedPtrList<CObList, CGeLoop*>;

// Deletes every non-null curve of the list, then empties it; a null list is left alone.
void geDelCurveList(CGeCurveList* list);
// Deletes the loops and empties the list; with detach the loops' sub-curves are taken out of
// them first and survive (they belong to someone else).
void geDelGeLoopList(CGeLoopList* list, bool detach);

// 1 when every curve starts within tol of the previous end (a composite entry must itself be
// linked); a null list or entry is not linked, an empty list is.
int geIsLinkCurve2d(CGeCurveList* list, double tol);
// Linked, not empty, and the last end strictly within tol of the first start.
int geIsLoopCurve2d(CGeCurveList* list, double tol);

