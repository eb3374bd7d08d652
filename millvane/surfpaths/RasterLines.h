// Steps of the raster surface path that work on one raster line: where the line runs inside the
// machining boundary, which stretches of its curves are shallow or steep, clipping the curves to
// intervals, and turning a curve into a path entity. A raster curve is a polyline in (x, z) with
// x increasing (two points may share an x where the profile steps).
#pragma once

#include <array>
#include <vector>

#include "millvane/surfpaths/SectionProfile.h"

class CSmartLoop;
class CPathCombine;
class CPathPLine3D;

using Interval = std::array<double, 2>;  // [x0, x1]

// Inside intervals of the line y across the loops (next-linked, each with its islands): the
// crossings sorted by x and paired; pairs shorter than 1 are dropped. No interval for an odd
// count or no crossing. Every crossing is kept, however many the line meets.
int LoopLineIntervals(const CSmartLoop* loops, double y, std::vector<Interval>& out);

// Intervals of the shallow (steep false) or steep (steep true) stretches of the curves for slope
// limit s = |dz| / dx: breaks where the slope crosses s (nudged 0.02 away from walls steeper than
// 3 s when keeping the shallow side); stretches shorter than minLen are dropped, the rest widened
// by ext and merged with the previous interval when they overlap it.
int SlopeIntervals(const std::vector<PtCurve>& curves, double s, bool steep, double minLen,
                   double ext, std::vector<Interval>& out);

// Keeps the parts of the curves that lie inside the sorted intervals (0.01 in from their ends);
// pieces without two distinct points are dropped.
void TrimCurvesToIntervals(std::vector<PtCurve>& curves, const std::vector<Interval>& iv);

// Drops, in curves of at least four points, every point where the curve turns back on itself
// (angle between its neighbours at most 45 degrees).
void RemoveSpikes(PtCurve& c);

// The curve as a new 3D polyline at the line's y; null for fewer than two points.
CPathPLine3D* RasterCurveEntity(const PtCurve& c, double y);
// A new combine (operation code 8) holding that polyline; null for fewer than two points.
CPathCombine* RasterCurveCombine(const PtCurve& c, double y);
