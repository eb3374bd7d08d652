// Exact contours of one Z level: the level's section segments are looked for only in the grid
// cells along each border chain of the covered regions, each cell keeps the outer envelope of
// its segments, and the cells' pieces are joined round the chain into one closed curve.
#pragma once

#include <functional>
#include <vector>

#include "millvane/surfpaths/LayerBorder.h"
#include "millvane/surfpaths/SectionProfile.h"

class CIntLineSet;
class CProtectNet;

namespace layer {

// The cell records of a chain with the section segments handed to them; (x0, y0, x1, y1) in
// world coordinates.
struct RecordSegs {
  CellRecord cell;
  std::vector<std::array<double, 4>> segs;
  // A record at a bridged diagonal contact faces the other region: it is turned round, so that
  // its envelope keeps the section nearest its own region.
  bool flip = false;
};

// Turns round every record spanning the 2 x 2 block of a bridged diagonal contact.
void MarkSaddleRecords(const std::vector<Saddle>& saddles, std::vector<RecordSegs>& recs);

// Hands the segments of the set to the records they fall into: corner records first, then the
// axis steps; a segment across a record's box is cut there and its outer parts stay for other
// records. The set is left as it was.
void AssignSections(const CProtectNet& net, const CIntLineSet& sections, std::vector<RecordSegs>& recs);

// The closed contour of one border chain from its records (steps after the assignment: empty
// records dropped, junctions chosen, like corners merged, each record's envelope taken, the
// pieces joined and closed); simplified with tol. Empty when fewer than three points remain.
PtCurve ChainContour(const CProtectNet& net, std::vector<RecordSegs>& recs, double tol);

// Curve editing after the join: removes small notches and zig-zags (curves of at least four
// points).
void RemoveSmallDefects(PtCurve& c);

// Whether the model stands above the level at (x, y).
using AboveLevel = std::function<bool(double x, double y)>;

// Removes the records' segments that lie inside the covered area. The section of every part of
// the model is taken, also where another part stands above the level (the corner circle of a
// box's top under its top face, the tube of a bottom edge under the top edge's reach); left in,
// such a segment can be the outermost one a border cell holds, and the contour is drawn through
// it into the material. A segment is buried when the model stands above the level on both
// sides of it, just off it, at each of three places along it: a piece of the true contour has
// the open side next to it.
void DropBuriedSegments(std::vector<RecordSegs>& recs, const AboveLevel& above);

// Every contour of the level z: the borders of the covered nodes, their cell records, the
// sections assigned to them (less the buried ones, when `above` is given), one closed curve per
// region. `exclude` drops the border of the largest region first.
std::vector<PtCurve> LevelContours(CProtectNet& net, const CIntLineSet& sections, double z, double tol,
                                   bool exclude, const AboveLevel& above = {});

// The border chains of the level as closed polygons through their nodes: the covered regions'
// outlines to within one cell, where no section is there to refine them.
std::vector<PtCurve> LevelBorderPolygons(CProtectNet& net, double z);

}  // namespace layer
