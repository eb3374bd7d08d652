// Intersections of two planar curves: one method per unordered pair of curve kinds, a
// dispatcher over the type codes and a Newton refinement of a single crossing.
// Records (_tagInterPnt) are appended to the caller's array; curve 1 and curve 2 are always the
// first and second curve arguments of the call, whichever method computed the point. Every
// method returns 1 when it appended at least one record, else 0 (null arguments give 0 at once).
#pragma once

#include "platform/afx/Afx.h"
#include "platform/numora/Numora.h"

class CGeCurve;
class CGeLine;
class CGeArc;
class CGeBezier;

using CInterPntArray = CArray<_tagInterPnt, _tagInterPnt>;

class CCurveInter {
 public:
  // Picks the pair method from the two type codes; a pair given in reverse order is computed
  // the other way round and its records swapped back. Kinds outside the seven open curves
  // (loops, offset curves, ...) give nothing.
  int CurveCurve(CGeCurve* c1, CGeCurve* c2, CInterPntArray* out);

  // At most one record: the crossing, or for overlapping lines one shared end point.
  int LineLine(CGeLine* l1, CGeLine* l2, _tagInterPnt& rec);
  int LineArc(CGeLine* line, CGeArc* arc, CInterPntArray* out);
  int ArcArc(CGeArc* a1, CGeArc* a2, CInterPntArray* out);
  int LineBez(CGeLine* line, CGeBezier* bez, CInterPntArray* out);
  int ArcBez(CGeArc* arc, CGeBezier* bez, CInterPntArray* out);
  int BezBez(CGeBezier* a, CGeBezier* b, CInterPntArray* out);

  // Refines one crossing from the guess (t1, seg1), (t2, seg2) by Newton steps, moving to a
  // neighbouring segment when a step leaves the current one. 1 with the guesses updated and
  // the point in pt; 0 otherwise (the parameters keep their last values).
  int CurveCurveIterate(CGeCurve* c1, double& t1, int& seg1, CGeCurve* c2, double& t2, int& seg2,
                        double pt[2]);

 private:
  // Runs the pair method for kinds k1 <= k2 (positions in the dispatcher's order).
  void CallPair(int k1, int k2, CGeCurve* a, CGeCurve* b, CInterPntArray* out);
  // Circles, ellipses and offsets of them wrap their parameter round instead of stopping at
  // the ends.
  static bool IsPeriodic(CGeCurve* c);
};
