// Helpers shared by the curve-intersection sources; not part of the library's interface.
#pragma once

#include <vector>

#include "geometry/tools/CurveInter.h"

namespace curveinter {

// Box tolerance of the dispatcher and the pair methods.
inline constexpr double kBoxTol = 0.01;

// t lies in [-tol, 1 + tol].
bool Inside(double t, double tol);
// The two curves' whole boxes overlap or miss by at most tol.
bool BoxesMeet(CGeCurve* a, CGeCurve* b, double tol);
// Crossing of the carrier lines of a0-a1 and b0-b1 as Inter_LineLineEx(tol, angTol) finds it,
// except that lines it calls parallel by angle alone still cross unless b lies along a's line
// within tol or exactly parallel to it: long segments meeting at a shallow angle cross too.
int SegmentLines(const double a0[2], const double a1[2], const double b0[2], const double b1[2],
                 double tol, double angTol, double out[2]);
// Record with both sub-segments 1.
_tagInterPnt MakeRec(const double p[2], int seg1, int seg2, double t1, double t2);
// Parameter of p on c from the curve's nearest-point search; ok tells whether it succeeded.
double NearestParam(CGeCurve* c, const double p[2], bool* ok = nullptr);
// Position of a type code in the order line, arc, circle, ellipse, Bezier, polyline,
// composite; -1 for any other code.
int KindIndex(int type);

// Segment numbers 1..count, or the given ascending subset of them.
std::vector<int> Segs(int count, const std::vector<int>* only);
// Box of every Bezier segment's control points, segment i at index i - 1.
std::vector<_tagBox2D> BezSegmentBoxes(CGeBezier* bez);

// The pair methods with the segments of the Bezier curve or polyline they walk restricted to
// a list (null: all). A list that leaves out only segments whose boxes cannot meet the other
// curve gives exactly the whole method's records.
int LineBezIn(CGeLine* line, CGeBezier* bez, const std::vector<int>* only, CInterPntArray* out);
int ArcBezIn(CGeArc* arc, CGeBezier* bez, const std::vector<int>* only, CInterPntArray* out);
int CirBezIn(CGeCircle* cir, CGeBezier* bez, const std::vector<int>* only, CInterPntArray* out);
int EllBezIn(CGeEllipse* ell, CGeBezier* bez, const std::vector<int>* only, CInterPntArray* out);
// `only` restricts a's segments.
int BezBezIn(CGeBezier* a, CGeBezier* b, const std::vector<int>* only, CInterPntArray* out);
int LinePLineIn(CGeLine* line, CGePolyline* pline, const std::vector<int>* only,
                CInterPntArray* out);
int ArcPLineIn(CGeArc* arc, CGePolyline* pline, const std::vector<int>* only, CInterPntArray* out);
int CirPLineIn(CGeCircle* cir, CGePolyline* pline, const std::vector<int>* only,
               CInterPntArray* out);
int EllPLineIn(CGeEllipse* ell, CGePolyline* pline, const std::vector<int>* only,
               CInterPntArray* out);
int BezPLineIn(CGeBezier* bez, CGePolyline* pline, const std::vector<int>* onlyBez,
               const std::vector<int>* onlyPLine, CInterPntArray* out);
// `only` restricts a's segments.
int PLinePLineIn(CGePolyline* a, CGePolyline* b, _tagBox2D* clip, const std::vector<int>* only,
                 CInterPntArray* out);

}  // namespace curveinter
