// Pairs with a Bezier curve: the curve is taken segment by segment, each handed to the kernel
// as its four control points.
#include <vector>

#include "geometry/shapes2d/GeArc.h"
#include "geometry/shapes2d/GeBezier.h"
#include "geometry/shapes2d/GeCircle.h"
#include "geometry/shapes2d/GeEllipse.h"
#include "geometry/shapes2d/GeLine.h"
#include "geometry/tools/CurveInter.h"
#include "geometry/tools/CurveInterGrid.h"
#include "geometry/tools/CurveInterUtil.h"

using namespace curveinter;

std::vector<_tagBox2D> curveinter::BezSegmentBoxes(CGeBezier* bez) {
  const int n = bez->GetSegmentCount();
  std::vector<_tagBox2D> boxes(static_cast<size_t>(n > 0 ? n : 0));
  for (int i = 1; i <= n; ++i) {
    double seg[4][2];
    bez->GetCtrlPoint(unsigned(i), seg);
    BEZ_GetBox(seg, &boxes[size_t(i - 1)]);
  }
  return boxes;
}

namespace {

// Calls f(i, control points, control box) for each listed segment i whose control box meets
// `near` within the box tolerance (every listed segment for a null `near`).
template <class F>
void EachSegment(CGeBezier* bez, const std::vector<int>* only, const _tagBox2D* near, F f) {
  for (int i : Segs(bez->GetSegmentCount(), only)) {
    double seg[4][2];
    bez->GetCtrlPoint(unsigned(i), seg);
    _tagBox2D box;
    BEZ_GetBox(seg, &box);
    if (near && !BOX2D_IsInt(&box, near, kBoxTol)) continue;
    f(i, seg, box);
  }
}

// Appends the kernel's records of Bezier segment i as curve 2 of a single-segment curve 1.
void AddOnSegment(_tagInterPnt* recs, int n, int i, CInterPntArray* out) {
  for (int k = 0; k < n; ++k) {
    recs[k].seg1 = 1;
    recs[k].seg2 = i;
    out->Add(recs[k]);
  }
}

// A circle or arc against each Bezier segment; isOn keeps the points on the first curve and
// gives their parameter there.
template <class First, class IsOn>
int CircleBez(First* c, CGeBezier* bez, const std::vector<int>* only, CInterPntArray* out,
              IsOn isOn) {
  if (!c || !bez || !out) return 0;
  if (!BoxesMeet(c, bez, kBoxTol)) return 0;
  const INT_PTR before = out->GetSize();
  EachSegment(bez, only, nullptr, [&](int i, const double(*seg)[2], const _tagBox2D&) {
    _tagInterPnt recs[kInterCirBezMax];
    const int n = Inter_CirBez(c->m_ptCenter, c->m_dRadius, seg, recs, 1e-6);
    int kept = 0;
    for (int k = 0; k < n; ++k) {
      const double p[2] = {recs[k].x, recs[k].y};
      double t;
      if (!isOn(p, t)) continue;
      recs[kept] = recs[k];
      recs[kept++].t1 = t;
    }
    AddOnSegment(recs, kept, i, out);
  });
  return out->GetSize() > before ? 1 : 0;
}

}  // namespace

int curveinter::LineBezIn(CGeLine* line, CGeBezier* bez, const std::vector<int>* only,
                          CInterPntArray* out) {
  if (!line || !bez || !out) return 0;
  if (!BoxesMeet(line, bez, kBoxTol)) return 0;
  _tagBox2D lineBox;
  line->GetBox2d(&lineBox);
  const INT_PTR before = out->GetSize();
  EachSegment(bez, only, &lineBox, [&](int i, const double(*seg)[2], const _tagBox2D&) {
    int n = 0;
    _tagInterPnt recs[kInterLineBezMax];
    if (Inter_LineBez(line->m_ptStart, line->m_ptEnd, seg, n, recs, 1e-6) != 1) return;
    int kept = 0;
    for (int k = 0; k < n; ++k)
      if (Inside(recs[k].t1, 1e-6)) recs[kept++] = recs[k];
    AddOnSegment(recs, kept, i, out);
  });
  return out->GetSize() > before ? 1 : 0;
}

int curveinter::ArcBezIn(CGeArc* arc, CGeBezier* bez, const std::vector<int>* only,
                         CInterPntArray* out) {
  return CircleBez(arc, bez, only, out,
                   [arc](const double p[2], double& t) { return arc->IsPointOn(p, t); });
}

int curveinter::CirBezIn(CGeCircle* cir, CGeBezier* bez, const std::vector<int>* only,
                         CInterPntArray* out) {
  return CircleBez(cir, bez, only, out,
                   [cir](const double p[2], double& t) { return cir->IsPointOn(p, t); });
}

int curveinter::EllBezIn(CGeEllipse* ell, CGeBezier* bez, const std::vector<int>* only,
                         CInterPntArray* out) {
  if (!ell || !bez || !out) return 0;
  if (!BoxesMeet(ell, bez, kBoxTol)) return 0;
  _tagBox2D ellBox;
  ell->GetBox2d(&ellBox);
  const INT_PTR before = out->GetSize();
  EachSegment(bez, only, &ellBox, [&](int i, const double(*seg)[2], const _tagBox2D&) {
    // Every crossing of the segment, not only the first: a segment can cross an ellipse
    // up to six times.
    _tagInterPnt recs[kInterEllBezMax];
    const int n =
        Inter_EllBezEx(ell->m_ptCenter, ell->m_dA, ell->m_dB, ell->m_dRotation, seg, recs, 1e-6);
    // The kernel counts the ellipse's parameter counter-clockwise; a clockwise ellipse runs
    // the other way.
    if (ell->m_nDir != 1)
      for (int k = 0; k < n; ++k) recs[k].t1 = 1.0 - recs[k].t1;
    AddOnSegment(recs, n, i, out);
  });
  return out->GetSize() > before ? 1 : 0;
}

int curveinter::BezBezIn(CGeBezier* a, CGeBezier* b, const std::vector<int>* only,
                         CInterPntArray* out) {
  if (!a || !b || !out || a == b) return 0;
  if (!BoxesMeet(a, b, kBoxTol)) return 0;
  const INT_PTR before = out->GetSize();
  BoxGrid grid(BezSegmentBoxes(b));
  std::vector<int> cand;
  EachSegment(a, only, nullptr, [&](int i, const double(*s1)[2], const _tagBox2D& box) {
    grid.Query(box, kBoxTol, cand);
    for (int j0 : cand) {
      const int j = j0 + 1;
      double s2[4][2];
      b->GetCtrlPoint(unsigned(j), s2);
      _tagInterPnt recs[kInterBezBezMax];
      const int n = Inter_BezBez(s1, s2, recs, 1e-6);
      for (int k = 0; k < n; ++k) {
        recs[k].seg1 = i;
        recs[k].seg2 = j;
        out->Add(recs[k]);
      }
    }
  });
  return out->GetSize() > before ? 1 : 0;
}

// Whole-curve forms.
int CCurveInter::LineBez(CGeLine* line, CGeBezier* bez, CInterPntArray* out) {
  return LineBezIn(line, bez, nullptr, out);
}
int CCurveInter::ArcBez(CGeArc* arc, CGeBezier* bez, CInterPntArray* out) {
  return ArcBezIn(arc, bez, nullptr, out);
}
int CCurveInter::CirBez(CGeCircle* cir, CGeBezier* bez, CInterPntArray* out) {
  return CirBezIn(cir, bez, nullptr, out);
}
int CCurveInter::EllBez(CGeEllipse* ell, CGeBezier* bez, CInterPntArray* out) {
  return EllBezIn(ell, bez, nullptr, out);
}
int CCurveInter::BezBez(CGeBezier* a, CGeBezier* b, CInterPntArray* out) {
  return BezBezIn(a, b, nullptr, out);
}
