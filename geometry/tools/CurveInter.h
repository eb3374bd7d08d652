// Intersections of two planar curves: one method per unordered pair of curve kinds, a
// dispatcher over the type codes and a Newton refinement of a single crossing.
// Records (_tagInterPnt) are appended to the caller's array; curve 1 and curve 2 are always the
// first and second curve arguments of the call, whichever method computed the point. Every
// method returns 1 when it appended at least one record, else 0 (null arguments give 0 at once).
// Sub-segments are 1 in records that involve no composite curve.
#pragma once

#include "platform/afx/Afx.h"
#include "platform/numora/Numora.h"

class CGeCurve;
class CGeLine;
class CGeArc;
class CGeCircle;
class CGeEllipse;
class CGeBezier;
class CGePolyline;
class CGeCombCurve;
class CGeLoop;
class CGeRegion;

namespace curveinter {
class BoxGrid;
}

using CInterPntArray = CArray<_tagInterPnt, _tagInterPnt>;

class CCurveInter {
 public:
  // Picks the pair method from the two type codes; a pair given in reverse order is computed
  // the other way round and its records swapped back. Kinds outside the seven open curves
  // (loops, offset curves, ...) give nothing.
  int CurveCurve(CGeCurve* c1, CGeCurve* c2, CInterPntArray* out);

  // At most one record: the crossing, or for overlapping lines one shared end point.
  int LineLine(CGeLine* l1, CGeLine* l2, _tagInterPnt& rec);
  // Pair methods: the first curve's kind comes earlier in the order line, arc, circle,
  // ellipse, Bezier, polyline, composite. Methods of one kind give nothing for one object
  // passed twice.
  int LineArc(CGeLine* line, CGeArc* arc, CInterPntArray* out);
  int LineCircle(CGeLine* line, CGeCircle* cir, CInterPntArray* out);
  int LineEllipse(CGeLine* line, CGeEllipse* ell, CInterPntArray* out);
  int LineBez(CGeLine* line, CGeBezier* bez, CInterPntArray* out);
  int LinePLine(CGeLine* line, CGePolyline* pline, CInterPntArray* out);
  int ArcArc(CGeArc* a1, CGeArc* a2, CInterPntArray* out);
  int ArcCir(CGeArc* arc, CGeCircle* cir, CInterPntArray* out);
  int ArcEllipse(CGeArc* arc, CGeEllipse* ell, CInterPntArray* out);
  int ArcBez(CGeArc* arc, CGeBezier* bez, CInterPntArray* out);
  // Keeps only points within the polyline segments' own ends, without tolerance.
  int ArcPLine(CGeArc* arc, CGePolyline* pline, CInterPntArray* out);
  int CirCir(CGeCircle* c1, CGeCircle* c2, CInterPntArray* out);
  int CirEllipse(CGeCircle* cir, CGeEllipse* ell, CInterPntArray* out);
  int CirBez(CGeCircle* cir, CGeBezier* bez, CInterPntArray* out);
  int CirPLine(CGeCircle* cir, CGePolyline* pline, CInterPntArray* out);
  int EllEll(CGeEllipse* e1, CGeEllipse* e2, CInterPntArray* out);
  // Every crossing of each Bezier segment (up to six).
  int EllBez(CGeEllipse* ell, CGeBezier* bez, CInterPntArray* out);
  int EllPLine(CGeEllipse* ell, CGePolyline* pline, CInterPntArray* out);
  int BezBez(CGeBezier* a, CGeBezier* b, CInterPntArray* out);
  int BezPLine(CGeBezier* bez, CGePolyline* pline, CInterPntArray* out);
  // Segments of either polyline outside the clip box (when one is given) are skipped.
  int PLinePLine(CGePolyline* a, CGePolyline* b, _tagBox2D* clip, CInterPntArray* out);

  // Composite pairs: segment on curve 2 is the element's position among the composite's
  // non-null elements, sub-segment on curve 2 the segment within that element; a line, arc,
  // circle or ellipse first curve gets segment 1, a Bezier or polyline keeps its own.
  int LineComCurve(CGeLine* line, CGeCombCurve* comp, CInterPntArray* out);
  int ArcComCurve(CGeArc* arc, CGeCombCurve* comp, CInterPntArray* out);
  int CirComCurve(CGeCircle* cir, CGeCombCurve* comp, CInterPntArray* out);
  int EllComCurve(CGeEllipse* ell, CGeCombCurve* comp, CInterPntArray* out);
  int BezComCurve(CGeBezier* bez, CGeCombCurve* comp, CInterPntArray* out);
  int PLineComCurve(CGePolyline* pline, CGeCombCurve* comp, CInterPntArray* out);
  // Both curves numbered by element; the sub-segments hold the segments within the elements.
  int ComCurveComCurve(CGeCombCurve* a, CGeCombCurve* b, CInterPntArray* out);

  // Loops and regions (the dispatcher gives nothing for them). A region's records name the
  // curve's position within its loop, not the loop.
  int LineLoop(CGeLine* line, CGeLoop* loop, CInterPntArray* out);
  int ArcLoop(CGeArc* arc, CGeLoop* loop, CInterPntArray* out);
  int CirLoop(CGeCircle* cir, CGeLoop* loop, CInterPntArray* out);
  int LineRegion(CGeLine* line, CGeRegion* region, CInterPntArray* out);
  // Every pair of element curves, records as the two element curves give them.
  int LoopLoop(CGeLoop* a, CGeLoop* b, CInterPntArray* out);

  // Refines one crossing from the guess (t1, seg1), (t2, seg2) by Newton steps, moving to a
  // neighbouring segment when a step leaves the current one. 1 with the guesses updated and
  // the point in pt; 0 otherwise (the parameters keep their last values).
  int CurveCurveIterate(CGeCurve* c1, double& t1, int& seg1, CGeCurve* c2, double& t2, int& seg2,
                        double pt[2]);

 private:
  // Runs the pair method for kinds k1 <= k2 (positions in the dispatcher's order).
  void CallPair(int k1, int k2, CGeCurve* a, CGeCurve* b, CInterPntArray* out);
  // The composite pairs' common body, for any first curve.
  int CurveComCurve(CGeCurve* first, CGeCombCurve* comp, CInterPntArray* out);
  // CurveCurve (first, e) for a Bezier or polyline first curve, trying only the segments
  // that the grid of its segment boxes finds near e.
  void ChainElement(CGeCurve* first, curveinter::BoxGrid& grid, CGeCurve* e, CInterPntArray* out);
  // Circles, ellipses and offsets of them wrap their parameter round instead of stopping at
  // the ends.
  static bool IsPeriodic(CGeCurve* c);
};
