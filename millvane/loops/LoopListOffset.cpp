#include "millvane/loops/LoopListOffset.h"

#include <cmath>
#include <numbers>

#include "geometry/shapes2d/GeArc.h"
#include "geometry/shapes2d/GeCircle.h"
#include "geometry/shapes2d/GeLine.h"
#include "geometry/shapes2d/GeLoop.h"
#include "geometry/shapes2d/GePolyline.h"
#include "geometry/shapes2d/GeRegion.h"
#include "platform/vurode/Accessors.h"

namespace {
// Lines, arcs, circles and polylines of a kernel loop as a chain; null when nothing converts.
CSmartCurve* ChainOf(CGeLoop* loop, bool lean) {
  if (!loop || loop->m_CurveList.IsEmpty()) return nullptr;
  if (lean) loop->Lean(2.0 * gGetCurveDicTol(), 2.9670597283898);
  auto* c = new CSmartCurve;
  for (POSITION pos = loop->m_CurveList.GetHeadPosition(); pos;) {
    CGeCurve* g = loop->m_CurveList.GetNext(pos);
    if (!g) continue;
    switch (g->GetType()) {
      case 1: {
        double s[2], e[2];
        g->GetStartPoint(s);
        g->GetEndPoint(e);
        c->AppendSect(new CSmartLine(s, e));
        break;
      }
      case 2: {
        auto* a = static_cast<CGeArc*>(g);
        c->AppendSect(new CSmartArc(a->m_ptCenter, a->m_dRadius, a->GetStartAngle(), a->GetEndAngle()));
        break;
      }
      case 4: {
        // A clockwise circle stays clockwise, so holes keep their sign.
        auto* k = static_cast<CGeCircle*>(g);
        const bool ccw = k->m_nDir == 1;
        c->AppendSect(new CSmartArc(k->m_ptCenter, k->m_dRadius, ccw ? 0.0 : 2 * std::numbers::pi, ccw ? 2 * std::numbers::pi : 0.0));
        break;
      }
      case 32: {
        auto* p = static_cast<CGePolyline*>(g);
        for (int i = 0; i + 1 < p->GetCount(); ++i) {
          double a[2], b[2];
          p->GetPoint(i, a);
          p->GetPoint(i + 1, b);
          c->AppendSect(new CSmartLine(a, b));
        }
        break;
      }
      default:
        break;
    }
  }
  if (!c->head) {
    delete c;
    return nullptr;
  }
  return c;
}

CGeLoop* GeLoopOf(const CSmartLoop* l) {
  if (!l->curve) return nullptr;
  auto* g = new CGeLoop;
  for (CSmartSect* s = l->curve->head; s; s = s->next) {
    if (s->IsLine()) {
      const auto* ln = static_cast<const CSmartLine*>(s);
      g->m_CurveList.AddTail(new CGeLine(ln->start, ln->end));
    } else {
      const auto* a = static_cast<const CSmartArc*>(s);
      auto* arc = new CGeArc;
      if (arc->CreateCSEAngle(a->centre, a->radius, a->startAngle, a->endAngle)) g->m_CurveList.AddTail(arc);
      else delete arc;
    }
  }
  if (g->m_CurveList.IsEmpty()) {
    delete g;
    return nullptr;
  }
  return g;
}

void Emit(const CSmartLoop* l, CGeLoopList* out) {
  if (CGeLoop* g = GeLoopOf(l)) out->AddTail(g);
}

// Kernel loops cleaned of self-crossings into closed smart loops.
CSmartLoop* Clean(CGeLoopList* in) {
  CLoopListEnd all;
  for (POSITION pos = in->GetHeadPosition(); pos;) {
    CSmartCurve* c = ChainOf(in->GetNext(pos), true);
    if (!c) continue;
    c->HealJoints();
    c->MarkSelfCrossings();
    c->SplitAtCuts();
    all.Append(c->ChainLoops());
    delete c;
  }
  return all.head;
}

}  // namespace

void acRefineGeLoopList(CGeLoopList* in, CGeLoopList* out) {
  if (!in || !out || in->IsEmpty()) return;
  CSmartLoop* loops = Clean(in);
  for (CSmartLoop* l = loops; l; l = l->next) {
    Emit(l, out);
    for (CSmartLoop* i = l->islands; i; i = i->next) Emit(i, out);
  }
  acDeleteLoopList(loops);
}

void acGeLoopListOffset(CGeLoopList* in, double distance, int cornerKind, int mode,
                        CGeLoopList* out) {
  if (!in || !out || in->IsEmpty()) return;
  CSmartLoop* loops = Clean(in);
  if (!loops) return;
  CSmartLoop* contours = CSmartLoop::BuildContour(loops);
  const double d[2] = {distance, distance};
  CSmartLoop* result = CSmartLoop::OffsetContourList(contours, mode, d, {cornerKind, 165.0, 15.0});
  for (CSmartLoop* r = result; r; r = r->next) {
    for (CSmartLoop* i = r->islands; i; i = i->next) Emit(i, out);
    Emit(r, out);
  }
  acDeleteLoopList(result);
  acDeleteLoopList(contours);
}

CSmartLoop* LoopFromRegion(CGeRegion* region) {
  if (!region) return nullptr;
  CSmartLoop* first = nullptr;
  for (POSITION pos = region->m_LoopList.GetHeadPosition(); pos;) {
    CSmartCurve* c = ChainOf(region->m_LoopList.GetNext(pos), false);
    if (!c) continue;
    auto* l = new CSmartLoop;
    l->UpdateSect(c);
    if (!first) first = l;
    else first->AddIsland(l);
  }
  return first;
}
