// Pairs with a polyline: its vertices are the curve's point buffer and segment j joins vertex
// j - 1 to vertex j. Long chains are searched through a grid of segment boxes.
#include <vector>

#include "geometry/shapes2d/GeArc.h"
#include "geometry/shapes2d/GeBezier.h"
#include "geometry/shapes2d/GeCircle.h"
#include "geometry/shapes2d/GeEllipse.h"
#include "geometry/shapes2d/GeLine.h"
#include "geometry/shapes2d/GePolyline.h"
#include "geometry/tools/CurveInter.h"
#include "geometry/tools/CurveInterGrid.h"
#include "geometry/tools/CurveInterUtil.h"

using namespace curveinter;

namespace {

struct Chain {
  explicit Chain(CGeCurve* c)
      : p(c->m_pSWPoint), segs(c->m_pSWPoint && c->m_nSWPoint > 1 ? c->m_nSWPoint - 1 : 0) {}
  const double* From(int j) const { return p[j - 1]; }
  const double* To(int j) const { return p[j]; }
  _tagBox2D Box(int j) const {
    _tagBox2D b;
    L2D_GetBox(From(j), To(j), &b);
    return b;
  }
  std::vector<_tagBox2D> Boxes() const {
    std::vector<_tagBox2D> out(static_cast<size_t>(segs));
    for (int j = 1; j <= segs; ++j) out[size_t(j - 1)] = Box(j);
    return out;
  }
  const double (*p)[2];
  int segs;
};

bool SegMeets(const Chain& ch, int j, const _tagBox2D& box) {
  const _tagBox2D b = ch.Box(j);
  return BOX2D_IsInt(&b, &box, kBoxTol) != 0;
}

}  // namespace

int curveinter::LinePLineIn(CGeLine* line, CGePolyline* pline, const std::vector<int>* only, CInterPntArray* out) {
  if (!line || !pline || !out) return 0;
  if (!BoxesMeet(line, pline, kBoxTol)) return 0;
  const Chain ch(pline);
  _tagBox2D lineBox;
  line->GetBox2d(&lineBox);
  const INT_PTR before = out->GetSize();
  for (int j : Segs(ch.segs, only)) {
    if (!SegMeets(ch, j, lineBox)) continue;
    double pt[2];
    if (SegmentLines(line->m_ptStart, line->m_ptEnd, ch.From(j), ch.To(j), 1e-6, 0.001, pt) !=
        INTER_POINT)
      continue;
    const double tl = L2D_GetParam(line->m_ptStart, line->m_ptEnd, pt);
    const double ts = L2D_GetParam(ch.From(j), ch.To(j), pt);
    if (Inside(tl, 1e-6) && Inside(ts, 1e-6)) out->Add(MakeRec(pt, 1, j, tl, ts));
  }
  return out->GetSize() > before ? 1 : 0;
}

int curveinter::ArcPLineIn(CGeArc* arc, CGePolyline* pline, const std::vector<int>* only, CInterPntArray* out) {
  if (!arc || !pline || !out) return 0;
  if (!BoxesMeet(arc, pline, kBoxTol)) return 0;
  const Chain ch(pline);
  const INT_PTR before = out->GetSize();
  for (int j : Segs(ch.segs, only)) {
    int n = 0;
    double pts[2][2], ts[2];
    if (!Inter_LineCirEx(ch.From(j), ch.To(j), arc->m_ptCenter, arc->m_dRadius, 1e-6, n, pts, ts))
      continue;
    for (int k = 0; k < n; ++k) {
      double ta;
      // No tolerance beyond the segment's ends here.
      if (ts[k] < 0.0 || ts[k] > 1.0 || !arc->IsPointOn(pts[k], ta)) continue;
      out->Add(MakeRec(pts[k], 1, j, ta, ts[k]));
    }
  }
  return out->GetSize() > before ? 1 : 0;
}

int curveinter::CirPLineIn(CGeCircle* cir, CGePolyline* pline, const std::vector<int>* only, CInterPntArray* out) {
  if (!cir || !pline || !out) return 0;
  if (!BoxesMeet(cir, pline, kBoxTol)) return 0;
  const Chain ch(pline);
  _tagBox2D cirBox;
  cir->GetBox2d(&cirBox);
  const INT_PTR before = out->GetSize();
  for (int j : Segs(ch.segs, only)) {
    if (!SegMeets(ch, j, cirBox)) continue;
    int n = 0;
    double pts[2][2], ts[2];
    if (!Inter_LineCirEx(ch.From(j), ch.To(j), cir->m_ptCenter, cir->m_dRadius, 1e-6, n, pts, ts))
      continue;
    for (int k = 0; k < n; ++k)
      if (Inside(ts[k], 1e-6)) out->Add(MakeRec(pts[k], 1, j, NearestParam(cir, pts[k]), ts[k]));
  }
  return out->GetSize() > before ? 1 : 0;
}

int curveinter::EllPLineIn(CGeEllipse* ell, CGePolyline* pline, const std::vector<int>* only, CInterPntArray* out) {
  if (!ell || !pline || !out) return 0;
  if (!BoxesMeet(ell, pline, kBoxTol)) return 0;
  const Chain ch(pline);
  _tagBox2D ellBox;
  ell->GetBox2d(&ellBox);
  const INT_PTR before = out->GetSize();
  for (int j : Segs(ch.segs, only)) {
    if (!SegMeets(ch, j, ellBox)) continue;
    int n = 0;
    double pts[2][2], ts[2];
    if (Inter_LineEllEx(ch.From(j), ch.To(j), ell->m_ptCenter, ell->m_dA, ell->m_dB,
                        ell->m_dRotation, 1e-6, n, pts, ts) != 1)
      continue;
    for (int k = 0; k < n; ++k)
      if (Inside(ts[k], 1e-6)) out->Add(MakeRec(pts[k], 1, j, NearestParam(ell, pts[k]), ts[k]));
  }
  return out->GetSize() > before ? 1 : 0;
}

int curveinter::BezPLineIn(CGeBezier* bez, CGePolyline* pline, const std::vector<int>* onlyBez,
                           const std::vector<int>* onlyPLine, CInterPntArray* out) {
  if (!bez || !pline || !out) return 0;
  if (!BoxesMeet(bez, pline, kBoxTol)) return 0;
  const Chain ch(pline);
  const std::vector<int> js = Segs(ch.segs, onlyPLine);
  std::vector<_tagBox2D> boxes(js.size());
  for (size_t k = 0; k < js.size(); ++k) boxes[k] = ch.Box(js[k]);
  BoxGrid grid(std::move(boxes));
  std::vector<int> cand;
  const INT_PTR before = out->GetSize();
  const int count = bez->GetSegmentCount();
  for (int i : Segs(count, onlyBez)) {
    double seg[4][2];
    bez->GetCtrlPoint(unsigned(i), seg);
    _tagBox2D segBox;
    BEZ_GetBox(seg, &segBox);
    grid.Query(segBox, kBoxTol, cand);
    for (int k0 : cand) {
      const int j = js[size_t(k0)];
      int n = 0;
      _tagInterPnt recs[kInterLineBezMax];
      if (Inter_LineBez(ch.From(j), ch.To(j), seg, n, recs, 1e-6) != 1) continue;
      for (int k = 0; k < n; ++k) {
        const double p[2] = {recs[k].x, recs[k].y};
        if (!Inside(L2D_GetParam(ch.From(j), ch.To(j), p), 1e-6)) continue;
        // The kernel's record is line first; the Bezier is curve 1 here.
        out->Add(MakeRec(p, i, j, recs[k].t2, recs[k].t1));
      }
    }
  }
  return out->GetSize() > before ? 1 : 0;
}

int curveinter::PLinePLineIn(CGePolyline* a, CGePolyline* b, _tagBox2D* clip,
                             const std::vector<int>* only, CInterPntArray* out) {
  if (!a || !b || !out || a == b) return 0;
  if (!BoxesMeet(a, b, kBoxTol)) return 0;
  const Chain ca(a), cb(b);
  _tagBox2D boxB;
  b->GetBox2d(&boxB);
  // Segment pairs whose boxes miss cannot cross: the grid hands over only b's segments near
  // each segment of a, in b's order, so the records come as a full double loop gives them.
  BoxGrid grid(cb.Boxes());
  std::vector<int> cand;
  const INT_PTR before = out->GetSize();
  for (int i : Segs(ca.segs, only)) {
    const _tagBox2D bi = ca.Box(i);
    if (!BOX2D_IsInt(&bi, &boxB, kBoxTol)) continue;
    if (clip && !BOX2D_IsInt(&bi, clip, kBoxTol)) continue;
    grid.Query(bi, kBoxTol, cand);
    for (int j0 : cand) {
      const int j = j0 + 1;
      if (clip && !BOX2D_IsInt(&grid.Box(j0), clip, kBoxTol)) continue;
      double pt[2];
      if (SegmentLines(ca.From(i), ca.To(i), cb.From(j), cb.To(j), 1e-6, 0.001, pt) !=
          INTER_POINT)
        continue;
      const double ti = L2D_GetParam(ca.From(i), ca.To(i), pt);
      const double tj = L2D_GetParam(cb.From(j), cb.To(j), pt);
      if (Inside(ti, 1e-6) && Inside(tj, 1e-6)) out->Add(MakeRec(pt, i, j, ti, tj));
    }
  }
  return out->GetSize() > before ? 1 : 0;
}

// Whole-curve forms.
int CCurveInter::LinePLine(CGeLine* line, CGePolyline* pline, CInterPntArray* out) {
  return LinePLineIn(line, pline, nullptr, out);
}
int CCurveInter::ArcPLine(CGeArc* arc, CGePolyline* pline, CInterPntArray* out) {
  return ArcPLineIn(arc, pline, nullptr, out);
}
int CCurveInter::CirPLine(CGeCircle* cir, CGePolyline* pline, CInterPntArray* out) {
  return CirPLineIn(cir, pline, nullptr, out);
}
int CCurveInter::EllPLine(CGeEllipse* ell, CGePolyline* pline, CInterPntArray* out) {
  return EllPLineIn(ell, pline, nullptr, out);
}
int CCurveInter::BezPLine(CGeBezier* bez, CGePolyline* pline, CInterPntArray* out) {
  return BezPLineIn(bez, pline, nullptr, nullptr, out);
}
int CCurveInter::PLinePLine(CGePolyline* a, CGePolyline* b, _tagBox2D* clip, CInterPntArray* out) {
  return PLinePLineIn(a, b, clip, nullptr, out);
}
