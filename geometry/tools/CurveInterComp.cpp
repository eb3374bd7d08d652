// Pairs with a composite curve, and the loop and region entry points: each element is
// intersected through the dispatcher and its records renumbered so that the segment names
// the element (counting non-null entries) and the sub-segment the segment within it.
#include <cmath>
#include <memory>
#include <vector>

#include "geometry/shapes2d/GeArc.h"
#include "geometry/shapes2d/GeBezier.h"
#include "geometry/shapes2d/GeCircle.h"
#include "geometry/shapes2d/GeCombCurve.h"
#include "geometry/shapes2d/GeEllipse.h"
#include "geometry/shapes2d/GeLine.h"
#include "geometry/shapes2d/GeLoop.h"
#include "geometry/shapes2d/GePolyline.h"
#include "geometry/shapes2d/GeRegion.h"
#include "geometry/tools/CurveInter.h"
#include "geometry/tools/CurveInterGrid.h"
#include "geometry/tools/CurveInterUtil.h"

using namespace curveinter;

namespace {

// The non-null elements of a composite in list order.
std::vector<CGeCurve*> Elements(CGeCombCurve* comp) {
  std::vector<CGeCurve*> out;
  for (POSITION pos = comp->m_CurveList.GetHeadPosition(); pos;)
    if (CGeCurve* c = comp->m_CurveList.GetNext(pos)) out.push_back(c);
  return out;
}

std::vector<_tagBox2D> Boxes(const std::vector<CGeCurve*>& curves) {
  std::vector<_tagBox2D> boxes(curves.size());
  for (size_t i = 0; i < curves.size(); ++i) curves[i]->GetBox2d(&boxes[i]);
  return boxes;
}

// The box that a crossing with c must lie in: an arc's whole circle (its pair methods test no
// segment boxes against it), the union of a Bezier's segment control boxes, else the curve's
// own box.
_tagBox2D ReachBox(CGeCurve* c) {
  _tagBox2D box;
  switch (c->GetType()) {
    case GE_TYPE_ARC: {
      const auto* arc = static_cast<CGeArc*>(c);
      const double r = std::fabs(arc->m_dRadius);
      box = {{arc->m_ptCenter[0] - r, arc->m_ptCenter[1] - r},
             {arc->m_ptCenter[0] + r, arc->m_ptCenter[1] + r}};
      break;
    }
    case GE_TYPE_BEZIER:
      BOX2D_Init0(&box);
      for (const _tagBox2D& b : BezSegmentBoxes(static_cast<CGeBezier*>(c))) BOX2D_Union(&box, &b);
      break;
    default:
      c->GetBox2d(&box);
  }
  return box;
}

std::vector<_tagBox2D> PLineSegmentBoxes(CGeCurve* pl) {
  const int n = pl->m_pSWPoint && pl->m_nSWPoint > 1 ? pl->m_nSWPoint - 1 : 0;
  std::vector<_tagBox2D> boxes(static_cast<size_t>(n));
  for (int j = 0; j < n; ++j) L2D_GetBox(pl->m_pSWPoint[j], pl->m_pSWPoint[j + 1], &boxes[size_t(j)]);
  return boxes;
}

}  // namespace

void CCurveInter::ChainElement(CGeCurve* first, BoxGrid& grid, CGeCurve* e, CInterPntArray* out) {
  if (!BoxesMeet(first, e, kBoxTol)) return;
  const int ke = KindIndex(e->GetType());
  if (ke < 0) return;
  if (ke == 6) {
    CurveCurve(first, e, out);
    return;
  }
  std::vector<int> near;
  grid.Query(ReachBox(e), kBoxTol, near);
  for (int& j : near) ++j;
  CInterPntArray turned;
  if (first->GetType() == GE_TYPE_POLYLINE) {
    auto* pl = static_cast<CGePolyline*>(first);
    switch (ke) {
      case 0: LinePLineIn(static_cast<CGeLine*>(e), pl, &near, &turned); break;
      case 1: ArcPLineIn(static_cast<CGeArc*>(e), pl, &near, &turned); break;
      case 2: CirPLineIn(static_cast<CGeCircle*>(e), pl, &near, &turned); break;
      case 3: EllPLineIn(static_cast<CGeEllipse*>(e), pl, &near, &turned); break;
      case 4: BezPLineIn(static_cast<CGeBezier*>(e), pl, nullptr, &near, &turned); break;
      default: PLinePLineIn(pl, static_cast<CGePolyline*>(e), nullptr, &near, out); return;
    }
  } else {
    auto* bez = static_cast<CGeBezier*>(first);
    switch (ke) {
      case 0: LineBezIn(static_cast<CGeLine*>(e), bez, &near, &turned); break;
      case 1: ArcBezIn(static_cast<CGeArc*>(e), bez, &near, &turned); break;
      case 2: CirBezIn(static_cast<CGeCircle*>(e), bez, &near, &turned); break;
      case 3: EllBezIn(static_cast<CGeEllipse*>(e), bez, &near, &turned); break;
      case 4: BezBezIn(bez, static_cast<CGeBezier*>(e), &near, out); return;
      default: BezPLineIn(bez, static_cast<CGePolyline*>(e), &near, nullptr, out); return;
    }
  }
  for (INT_PTR i = 0; i < turned.GetSize(); ++i) {
    _tagInterPnt r = turned[i];
    SwapIntPnt(r);
    out->Add(r);
  }
}

int CCurveInter::CurveComCurve(CGeCurve* first, CGeCombCurve* comp, CInterPntArray* out) {
  if (!first || !comp || !out) return 0;
  if (!BoxesMeet(first, comp, kBoxTol)) return 0;
  // A single-segment first curve names segment 1; a Bezier or polyline keeps its own.
  const int kind = KindIndex(first->GetType());
  const bool single = kind >= 0 && kind <= 3;
  // A Bezier or polyline first curve tries only its segments near each element: the same
  // records as the dispatcher gives, without walking the whole chain once per element.
  std::unique_ptr<BoxGrid> grid;
  if (kind == 4) grid = std::make_unique<BoxGrid>(BezSegmentBoxes(static_cast<CGeBezier*>(first)));
  if (kind == 5) grid = std::make_unique<BoxGrid>(PLineSegmentBoxes(first));
  const INT_PTR before = out->GetSize();
  int k = 0;
  CInterPntArray tmp;
  for (CGeCurve* e : Elements(comp)) {
    ++k;
    tmp.RemoveAll();
    if (grid)
      ChainElement(first, *grid, e, &tmp);
    else
      CurveCurve(first, e, &tmp);
    for (INT_PTR i = 0; i < tmp.GetSize(); ++i) {
      _tagInterPnt r = tmp[i];
      r.sub1 = 1;
      r.sub2 = r.seg2;
      if (single) r.seg1 = 1;
      r.seg2 = k;
      out->Add(r);
    }
  }
  return out->GetSize() > before ? 1 : 0;
}

int CCurveInter::LineComCurve(CGeLine* line, CGeCombCurve* comp, CInterPntArray* out) {
  return CurveComCurve(line, comp, out);
}
int CCurveInter::ArcComCurve(CGeArc* arc, CGeCombCurve* comp, CInterPntArray* out) {
  return CurveComCurve(arc, comp, out);
}
int CCurveInter::CirComCurve(CGeCircle* cir, CGeCombCurve* comp, CInterPntArray* out) {
  return CurveComCurve(cir, comp, out);
}
int CCurveInter::EllComCurve(CGeEllipse* ell, CGeCombCurve* comp, CInterPntArray* out) {
  return CurveComCurve(ell, comp, out);
}
int CCurveInter::BezComCurve(CGeBezier* bez, CGeCombCurve* comp, CInterPntArray* out) {
  return CurveComCurve(bez, comp, out);
}
int CCurveInter::PLineComCurve(CGePolyline* pline, CGeCombCurve* comp, CInterPntArray* out) {
  return CurveComCurve(pline, comp, out);
}

int CCurveInter::ComCurveComCurve(CGeCombCurve* a, CGeCombCurve* b, CInterPntArray* out) {
  if (!a || !b || !out || a == b) return 0;
  if (!BoxesMeet(a, b, kBoxTol)) return 0;
  const std::vector<CGeCurve*> eb = Elements(b);
  // Only element pairs whose boxes meet can cross; the grid finds them in b's order.
  BoxGrid grid(Boxes(eb));
  std::vector<int> cand;
  const INT_PTR before = out->GetSize();
  int m = 0;
  CInterPntArray tmp;
  for (CGeCurve* ea : Elements(a)) {
    ++m;
    _tagBox2D box;
    ea->GetBox2d(&box);
    grid.Query(box, kBoxTol, cand);
    for (int k0 : cand) {
      tmp.RemoveAll();
      CurveCurve(ea, eb[size_t(k0)], &tmp);
      for (INT_PTR i = 0; i < tmp.GetSize(); ++i) {
        _tagInterPnt r = tmp[i];
        r.sub1 = r.seg1;
        r.sub2 = r.seg2;
        r.seg1 = m;
        r.seg2 = k0 + 1;
        out->Add(r);
      }
    }
  }
  return out->GetSize() > before ? 1 : 0;
}

int CCurveInter::LineLoop(CGeLine* line, CGeLoop* loop, CInterPntArray* out) {
  if (!line || !loop || !out) return 0;
  return CurveComCurve(line, loop, out);
}

int CCurveInter::ArcLoop(CGeArc* arc, CGeLoop* loop, CInterPntArray* out) {
  if (!arc || !loop || !out) return 0;
  return CurveComCurve(arc, loop, out);
}

int CCurveInter::CirLoop(CGeCircle* cir, CGeLoop* loop, CInterPntArray* out) {
  if (!cir || !loop || !out) return 0;
  return CurveComCurve(cir, loop, out);
}

int CCurveInter::LineRegion(CGeLine* line, CGeRegion* region, CInterPntArray* out) {
  if (!line || !region || !out) return 0;
  if (!BoxesMeet(line, region, kBoxTol)) return 0;
  const INT_PTR before = out->GetSize();
  CInterPntArray tmp;
  for (POSITION pos = region->m_LoopList.GetHeadPosition(); pos;) {
    CGeLoop* loop = region->m_LoopList.GetNext(pos);
    if (!loop) continue;
    tmp.RemoveAll();
    LineLoop(line, loop, &tmp);
    for (INT_PTR i = 0; i < tmp.GetSize(); ++i) {
      _tagInterPnt r = tmp[i];
      r.seg1 = 1;
      r.sub1 = 1;
      out->Add(r);
    }
  }
  return out->GetSize() > before ? 1 : 0;
}

int CCurveInter::LoopLoop(CGeLoop* a, CGeLoop* b, CInterPntArray* out) {
  if (!a || !b || !out) return 0;
  const std::vector<CGeCurve*> ea = Elements(a), eb = Elements(b);
  if (ea.empty() || eb.empty()) return 0;
  BoxGrid grid(Boxes(eb));
  std::vector<int> cand;
  const INT_PTR before = out->GetSize();
  for (CGeCurve* c : ea) {
    _tagBox2D box;
    c->GetBox2d(&box);
    grid.Query(box, kBoxTol, cand);
    for (int k : cand) CurveCurve(c, eb[size_t(k)], out);
  }
  return out->GetSize() > before ? 1 : 0;
}
