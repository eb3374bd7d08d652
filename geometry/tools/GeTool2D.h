// Loop and region tools: chaining drawn curves into closed loops, orienting and nesting loops
// into regions, loop booleans through the polygon clipper, and the visiting-order rankings.
// The class holds no data; any instance, even a temporary, serves.
#pragma once

#include "geometry/shapes2d/ShapeListUtil.h"
#include "geometry/tools/GeIsectPt.h"
#include "platform/numora/Gpc.h"

class CGeArc;
class CGeCircle;
class CGeCombCurve;
class CGeLine;
class CGeLoop;
class CGeRegion;
class CGePolyline;
class CStrP2D;
class RBTree;

class CGeTool2D {
 public:
  CGeTool2D& operator=(const CGeTool2D&) = default;

  // --- Loop building -------------------------------------------------------------------
  // Chains the curves into loops by end-point matching and turning angle. With copy the
  // input stays untouched; otherwise its curves move into the loops. Polls for cancel:
  // a cancelled call appends nothing. A tolerance that is not a finite distance (>= 0), or a
  // curve with a non-finite end point, gives no loops and leaves the input as it is.
  void ReCreateLoop(CGeCurveList* curves, CGeLoopList* loops, double tol, bool closedOnly,
                    bool copy);
  // Chains copies of the curves in their own direction only.
  void ReCreateLoopInSelfDir(CGeCurveList* curves, CGeLoopList* loops, double tol,
                             bool closedOnly);
  // 1 when every curve starts within tol of the previous one's end (composites must be
  // linked themselves); 0 for a null or empty list or a null entry.
  int IsLinked(CGeCurveList* curves, double tol);
  // Linked, and the last end lies strictly closer than tol to the first start.
  int IsLoop(CGeCurveList* curves, double tol);

  // --- Loop lists and regions ----------------------------------------------------------
  // Splits by CGeLoop::IsLoop(tol); both outputs share the input's pointers.
  void ClassifyLoop(CGeLoopList* loops, CGeLoopList* notClosed, CGeLoopList* closed, double tol);
  // Orients outer loops counter-clockwise and their holes clockwise; the list becomes each
  // outer loop followed by its holes. Loops without points go to the tail, untouched.
  void ReSortLoop(CGeLoopList* loops);
  // Stable sort by cached area, descending (by magnitude or signed); drops null entries.
  void SortLoopWithArea(CGeLoopList* loops, bool byMagnitude);
  // Keeps the group's first loop and the holes not lying inside other holes.
  void RefineRegionInLoop(CGeLoopList* group, CGeLoopList* out);
  // Builds regions (outer loop, then holes) from the loops, moving them out of the list.
  void CreateRegion(CGeLoopList* loops, CGeRegionList* regions);
  void CreateRegionAtFast(CGeLoopList* loops, CGeRegionList* regions);
  void CreateRegionInSelfDir(CGeLoopList* loops, CGeRegionList* regions);
  // Like CreateRegion, but deletes tiny and open loops and islands inside holes.
  void MakeRegion(CGeLoopList* loops, CGeRegionList* regions);
  // result += subject <op> clip (the first loop of each list is the outer contour).
  void LoopClip(CGeLoopList* subject, CGeLoopList* clip, gpc_op op, CGeLoopList* result);
  // result += union of all loops; nothing unless two or more loops have points, and nothing
  // when a union fails (a coordinate beyond the clipper's range). Loops come in no set order.
  void LoopMerge(CGeLoopList* loops, CGeLoopList* result);

  // --- List utilities ------------------------------------------------------------------
  void StitchCurveList(CGeCurveList* curves, double tol);
  // A composite hands its sub-curves over (it stays, empty, with the caller); any other
  // curve is appended.
  void AddTailToCombCurve(CGeCombCurve* target, CGeCurve* curve);
  void DeleteCurve(CGeCurveList* curves);
  // Union of the members' boxes into box; an empty or null list leaves box alone.
  void GetBox(CGeCurveList* curves, _tagBox2D& box);
  void GetBox(CGeLoopList* loops, _tagBox2D& box);
  void GetBox(CGeRegionList* regions, _tagBox2D& box);
  // The loop whose start point is nearest to pt; null for an empty list.
  CGeLoop* SearchNearestLoop(CGeLoopList* loops, const double pt[2], bool remove);

  // --- Ranking into visiting order (reorders in place, drops null entries) -------------
  void RankRegionPosition(CGeRegionList* regions);
  void RankRegionListNearest(CGeRegionList* regions);
  void RankRegionNearest(CGeRegion* region);
  void RankLoopListNearest(CGeLoopList* loops);
  void RankLoopPosition(CGeLoopList* loops);
  void RankLoopPosition(CGeLoopList* loops, double pt[2]);
  void RankCurve(CGeCurveList* curves);
  // pt is left at the last chosen curve's end point.
  void RankCurve(CGeCurveList* curves, double pt[2]);
  void RankLoopListInXAxis(CGeLoopList* loops);
  void RankLoopListInYAxis(CGeLoopList* loops);
  void RankRegionInXAxis(CGeRegion* region);
  void RankRegionInYAxis(CGeRegion* region);
  void RankRegionListInXAxis(CGeRegionList* regions);
  void RankRegionListInYAxis(CGeRegionList* regions);
  void NearestDistanceSort(CGeLoopList* loops, bool allowReverse);

  // --- Simpler curves ------------------------------------------------------------------
  // Points spaced by arc length from the start (the end only when the length is a multiple
  // of step); 0 for step < 0.001, a curve shorter than step or an unsupported type.
  int DiscreteToPoint(CGeCurve* curve, double step, CStrP2D& points);
  // One polyline per curve of a list linked within 1e-6, appended to out.
  int DiscretToLine(CGeCurveList* curves, CGeCurveList* out, double tol);
  // One polyline through a chain linked within tol, shared ends once; caller owns it.
  CGePolyline* DiscretToPolyLine(CGeCurveList* curves, double tol);
  // Appends lines and arcs (or lines and polylines) standing for the curve; 0, appending
  // nothing, when some piece has no simpler form.
  int ConvertToSimpleCurve(CGeCurve* curve, CGeCurveList* out, double tol, bool toPolyline);

  // --- Further chaining ----------------------------------------------------------------
  // Chains through the start-x index, backing out of dead ends (whose curves are deleted),
  // and outputs closed chains; with splitClosed each return of a chain to one of its own
  // starts is split off as a loop at once. The curves leave the caller's list (tol > 0, else
  // nothing happens).
  void MakeMinLoopTree(CGeCurveList* curves, int splitClosed, CGeLoopList* loops, double tol);
  // Takes out of the index the curve starting at `end` that turns most from `direction`.
  CGeCurve* SearchMinLkCurveTree(RBTree& tree, const double end[2], const double direction[2],
                                 double tol);
  // Covers a tree of curves with paths that walk back along their branches; the curves
  // move into the paths, retraced pieces are copies. A cancelled call appends nothing.
  void CreateLinkedCurve(CGeCurveList* curves, CGeLoopList* loops);
  // Composites of copies that end where curves branch; short ones with a free end are
  // dropped. Marks the input curves' attribute and may reverse them.
  void AxisCrvToComCrv(CGeCurveList* curves, CGeCurveList* out, double tol, double minLength);

  // --- Offsets, fillets and trimming ---------------------------------------------------
  // Offset of a loop's sub-curves by distance (positive to the left of travel); corners are
  // closed by type: 0 extended, 1 rounded, 2 cut straight. Loops are appended to out;
  // nothing is for a non-finite distance or curve data, or when coordinates and distance
  // together reach 2^30 (OpenCurveOffset skips such a loop, GenRawOffsetCurve such a curve).
  void LoopOffset(CGeLoop* loop, double dist, int type, CGeLoopList* out);
  // Each loop offset as an open chain; crossings are cut and dangling pieces dropped.
  void OpenCurveOffset(CGeLoopList* loops, double dist, int type, CGeLoopList* out);
  // Offset pieces of each curve appended to out; a line, arc or circle piece and its source
  // hold each other's address in m_nAttrib.
  void GenRawOffsetCurve(CGeCurveList* curves, double dist, CGeCurveList* out);
  // New line p0-p1 moved by dist to its left; null for points closer than 1e-6.
  CGeLine* GenOffsetLine(const double p0[2], const double p1[2], double dist);
  // Closes the gap after each curve with BridgeCurve, inserting the bridges.
  void BridgeCurveList(CGeCurveList* curves, double dist, int type);
  // Makes c1's end meet c2's start: a tiny gap is snapped, a crossing trims both; otherwise
  // the corner style decides. Returns a new bridging curve, or null when none is needed.
  CGeCurve* BridgeCurve(CGeCurve* c1, CGeCurve* c2, double dist, int type);
  // Lines and arcs only: 1 when c1 and c2 were extended to meet. *out is set to null.
  int ExtendCurveEnd(CGeCurve* c1, CGeCurve* c2, double dist, CGeCurve** out);
  // Cuts the start (atEnd 0) or end (atEnd 1) of a line or arc at t / pt.
  void TrimCurveEnd(CGeCurve* curve, double t, const double pt[2], int atEnd);
  // New line or arc over [t0, t1]; null for an empty range, the whole curve or other types.
  CGeCurve* Split(CGeCurve* curve, double t0, double t1);
  void EvCurveIntPt(CGeCurveList* curves, CGeIsectPtArray* points);
  // Cuts every curve at its crossings with the others; 1 when anything was cut.
  int SplitCurveOnIntPt(CGeCurveList* curves);
  // curve becomes its first piece; the rest are appended to pieces.
  void CreateSegCurveWithIntPt(CGeCurve* curve, CGeIsectPtArray* points, CGeCurveList* pieces);
  void SwapIsectPt(_tagGeIsectPt& a, _tagGeIsectPt& b);
  // Deletes curves that no later curve continues (within tol in x and y), and the detours
  // between a curve and its first continuation.
  void DelBrokenCurve(CGeCurveList* curves, double tol);
  // Deletes the tail after the last curve that ends within tol of the first start.
  void CloseCurve(CGeCurveList* curves, double tol);
  // Deletes curves whose middle comes closer than dist - 0.005 to any loop.
  void DelCollisonCurve(CGeLoopList* loops, CGeCurveList* curves, double dist);
  // Arc of radius r tangent to both curves (new, or null); the out arguments receive the
  // tangent positions on c1 and c2.
  CGeArc* GetFilletArc(CGeCurve* c1, CGeCurve* c2, double r, double& t1, int& seg1, double& t2,
                       int& seg2);
  // As GetFilletArc, a full circle; t1 and t2 also choose the sides and start the search.
  CGeCircle* GetTanCircleAt2Curve(CGeCurve* c1, CGeCurve* c2, double r, double& t1, int& seg1,
                                  double& t2, int& seg2);
  // Touching points of a common tangent of two arcs' circles; t1, t2 pick the side. When
  // arc 2 is the smaller one, p1 lies on arc 2 and p2 on arc 1. 0 for nested or concentric
  // circles.
  int GetTanPtAt2Arc(CGeArc* a1, CGeArc* a2, double t1, double t2, double p1[2], double p2[2]);
  // Common tangent of two curves by Newton steps from t1, t2 (updated on success).
  int GetTanPtAt2Curve(CGeCurve* c1, CGeCurve* c2, double& t1, double& t2, double p1[2],
                       double p2[2]);
  // Mutually nearest points of two curves; 0 when they touch or do not settle.
  int CalcPendPtBy2Curve(CGeCurve* c1, CGeCurve* c2, double& t1, double& t2, double p1[2],
                         double p2[2]);

 protected:
  // Signed area of the polygon through a linked list's discretisation; 0 when not linked.
  double EvArea(CGeCurveList* curves);
  // Walks the curve at pos back and goes on into untouched branches from there.
  bool RecedeLinkCurve(CGeCurveList* pool, CGeLoop* loop, POSITION pos, double tol);
  // A copy of the one unused curve continuing a simple chain at `end`; count tells how many
  // curves touch `end` (counting stops above 2).
  CGeCurve* SearchSingleNeighbor(CGeCurveList* pool, const double end[2], double tol,
                                 int& count);
  // Cuts closed sub-loops out of an ordered list; their curves leave the list, and those of
  // stretches that do not close are deleted.
  void SearchLoop(CGeCurveList* curves, CGeLoopList* loops);
  // A new loop of the prefix's curves followed by the suffix's.
  CGeLoop* SearchSubLoop(CGeCurveList* prefix, CGeCurveList* suffix);
  // Removes from list every curve of removed.
  void ClearCurveList(CGeCurveList* list, CGeCurveList* removed);

  // The first non-null curve, removed from the list; null when there is none.
  CGeCurve* GetHead(CGeCurveList* curves);
  // The pool curve that best continues a chain ending at `end` whose last curve points back
  // along `back`: the largest counter-clockwise turn from back wins, a curve closed on
  // itself is taken when met. forward tells whether it is to be walked as it is.
  CGeCurve* SearchNext(CGeCurveList* pool, const double end[2], const double back[2], double tol,
                       bool remove, bool& forward);
  // Only curves starting at `end`; always removes its choice.
  CGeCurve* SearchNextInSelfDir(CGeCurveList* pool, const double end[2], const double dir[2],
                                double tol);
};
