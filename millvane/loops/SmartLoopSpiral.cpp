// Spiral pocket: half circles about two centres, shrinking by the pitch each round, cut with
// the contour; the inside pieces are linked into cuts along the boundary.
#include <algorithm>
#include <cmath>
#include <memory>
#include <numbers>
#include <vector>

#include "millvane/loops/PocketWalk.h"
#include "millvane/loops/SmartCurveLib.h"
#include "millvane/loops/SmartLoop.h"
#include "millvane/loops/PathCombine.h"
#include "platform/numora/Point2d.h"
#include "platform/panlet/Progress.h"

namespace {

// More rounds than this is no spiral anyone can machine; the call fails instead.
constexpr double kMaxRounds = 1e5;

struct ArcHit {
  double p[2];
  double ts, ta;  // on the loop section, on the arc
  CSmartSect* sect;
};

bool SpiralInputOk(CSmartLoop* loops, CSmartArc* arcs[2], double step) {
  if (!loops || !arcs || !arcs[0] || !arcs[1] || !std::isfinite(step) || step <= 1e-6) return false;
  const double r = std::max(arcs[0]->radius, arcs[1]->radius);
  if (!std::isfinite(r) || r / step > kMaxRounds) return false;
  int n = 0;
  for (CSmartLoop* c = loops; c; c = c->next) {
    if (!acPocketShapeOk(c)) return false;
    for (CSmartLoop* l = c; l; l = (l == c ? c->islands : l->next))
      if (l->curve) n += l->curve->count;
  }
  if (n > kPocketMaxSections) return false;
  // Cut-point lists must hold path points only: stale cuts go.
  for (CSmartLoop* c = loops; c; c = c->next) c->InitBuffer();
  return true;
}

// Crossings of an arc with every loop of the contour list (islands included), along the arc.
std::vector<ArcHit> ArcHits(CSmartLoop* loops, const CSmartArc* arc) {
  std::vector<ArcHit> hits;
  std::vector<double> buf;
  std::vector<CSmartSect*> sects;
  for (CSmartLoop* c = loops; c; c = c->next)
    for (CSmartLoop* l = c; l; l = (l == c ? c->islands : l->next)) {
      if (!l->curve) continue;
      const size_t cap = 2 * static_cast<size_t>(l->curve->count) + 2;
      buf.assign(4 * cap, 0.0);
      sects.assign(cap, nullptr);
      auto* pts = reinterpret_cast<double(*)[4]>(buf.data());
      const int m = l->GetCircleInt(arc, pts, sects.data(), static_cast<int>(cap));
      for (int i = 0; i < m; ++i) hits.push_back({{pts[i][0], pts[i][1]}, pts[i][2], pts[i][3], sects[i]});
    }
  std::stable_sort(hits.begin(), hits.end(), [](const ArcHit& a, const ArcHit& b) { return a.ta < b.ta; });
  return hits;
}

bool InsideAll(CSmartLoop* loops, const double p[2]) {
  for (CSmartLoop* c = loops; c; c = c->next)
    if (CSmartLoop::IsOnContour(c, p) == 1) return true;
  return false;
}

CSmartArc* RoundArc(const CSmartArc* a, double r) {
  auto* c = new CSmartArc(a->centre, r, a->startAngle, a->endAngle);
  c->UpdateBox();
  return c;
}

// Files a point in a list; false (point gone) when the list refuses it.
bool File(CSmartPointList*& list, CSmartLPoint* p) {
  if (!list) list = new CSmartPointList;
  return list->Insert(p) != 0;
}

// A free path point lying within tol of p.
CSmartLPoint* FreeAt(CSmartLPoint* points, const double p[2], double tol) {
  for (CSmartLPoint* q = points; q; q = q->created) {
    const double at[2] = {q->x, q->y};
    if (q->kind != kPtUsed && P2D_AbsDist(at, p) < tol) return q;
  }
  return nullptr;
}

}  // namespace

CSmartLPoint* CSmartLoop::GenerateSpiralPoint(CSmartLoop* loops, CSmartArc* arcs[2], double step) {
  if (!SpiralInputOk(loops, arcs, step)) return nullptr;
  struct Cand {
    double p[2];
    double t, angle;
    CSmartSect* sect;  // null: a point inside, on no boundary
    int number;
  };
  std::vector<Cand> cands;
  std::vector<Cand> arcCands;
  for (int round = 1;; ++round) {
    const double r0 = arcs[0]->radius - (round - 1) * step;
    const double r1 = arcs[1]->radius - (round - 1) * step;
    if (r0 <= 0.0 && r1 <= 0.0) break;
    if ((round & 63) == 0 && gIsProgressCancel()) return nullptr;
    for (int k = 0; k < 2; ++k) {
      const double r = k == 0 ? r0 : r1;
      if (r < 0.0) continue;
      std::unique_ptr<CSmartArc> arc(RoundArc(arcs[k], r));
      const std::vector<ArcHit> hits = ArcHits(loops, arc.get());
      arcCands.clear();
      double end[2];
      if (hits.empty() || hits.front().ta > 1e-6) {
        arc->StartPoint(end);
        if (InsideAll(loops, end)) arcCands.push_back({{end[0], end[1]}, 0.0, arc->startAngle, nullptr, round});
      }
      for (const ArcHit& h : hits) arcCands.push_back({{h.p[0], h.p[1]}, h.ts, arc->AngleAt(h.ta), h.sect, round});
      if (hits.empty() || hits.back().ta < 0.999999) {
        arc->EndPoint(end);
        if (InsideAll(loops, end)) arcCands.push_back({{end[0], end[1]}, 0.0, arc->endAngle, nullptr, round});
      }
      // An arc that only grazes the boundary gives an odd count; pairing it would shift every
      // later stroke onto the wrong side of the boundary, so it is left out alone.
      if (arcCands.size() % 2 == 0) cands.insert(cands.end(), arcCands.begin(), arcCands.end());
    }
  }
  // Pairs in creation order are strokes. Points on no boundary are kept by the first arc (at
  // negative parameters, which no boundary point uses), so they go when the caller clears it.
  CSmartLPoint* first = nullptr;
  CSmartLPoint* last = nullptr;
  double aside = -1.0;
  auto make = [&](const Cand& c, int16_t kind) -> CSmartLPoint* {
    auto* lp = new CSmartLPoint;
    lp->x = c.p[0];
    lp->y = c.p[1];
    lp->spare = c.angle;
    lp->sect = c.sect;
    lp->kind = kind;
    lp->number = c.number;
    lp->t = c.sect ? c.t : (aside -= 1.0);
    return File(c.sect ? c.sect->cutPoints : arcs[0]->cutPoints, lp) ? lp : nullptr;
  };
  for (size_t i = 0; i + 1 < cands.size(); i += 2) {
    CSmartLPoint* a = make(cands[i], kPtStart);
    CSmartLPoint* b = make(cands[i + 1], kPtEnd);
    if (!a || !b) {
      if (a) a->kind = kPtUsed;
      if (b) b->kind = kPtUsed;
      continue;
    }
    a->strokeNext = b;
    b->strokePrev = a;
    if (last) last->created = a;
    else first = a;
    a->created = b;
    last = b;
  }
  return first;
}

int CSmartLoop::ExtractSpiralPath(CPathCombine* combine, const QNC_CutSpiralDef&,
                                  const QNC_OrderType&, CSmartLPoint* points, CSmartArc* arcs[2]) {
  if (!combine || !points || !arcs || !arcs[0] || !arcs[1]) return 0;
  CPathEntity* before = combine->tail;
  BoundaryRing ring;
  const double pi = std::numbers::pi;
  for (CSmartLPoint* p = points; p; p = p->created) {
    if (p->kind != kPtStart) continue;
    if (gIsProgressCancel()) {
      acTrimCombineAfter(combine, before);
      return 0;
    }
    auto* cut = new CSmartCurve;
    CSmartLPoint* at = p;
    while (at) {
      CSmartLPoint* q = StrokePartner(at);
      at->kind = kPtUsed;
      if (!q) break;
      q->kind = kPtUsed;
      const CSmartArc* about = (at->spare <= pi && q->spare <= pi) ? arcs[0] : arcs[1];
      const double from[2] = {at->x, at->y};
      auto* arc = new CSmartArc(about->centre, P2D_Dist(from, about->centre), at->spare, q->spare);
      // The stroke's own ends, not the evaluated circle, keep the cut continuous.
      const double to[2] = {q->x, q->y};
      arc->SetEndAt(0, from, 0);
      arc->SetEndAt(1, to, 1);
      if (arc->Length() < 2e-7) delete arc;
      else cut->AppendSect(arc);
      CSmartLPoint* next = nullptr;
      if (q->sect) {
        CSmartLPoint *bk = nullptr, *fw = nullptr;
        double db = 0, df = 0;
        const int okB = WalkBack(ring, q, bk, db, nullptr);
        const int okF = WalkForward(ring, q, fw, df, nullptr);
        const bool forward = okF && (!okB || df < db);
        next = forward ? fw : (okB ? bk : nullptr);
        if (next) {
          if (forward) AddBoundForward(ring, q, cut, next);
          else AddBoundBack(ring, q, cut, next);
        }
      } else {
        next = FreeAt(points, to, 1e-6);
      }
      at = next;
    }
    if (cut->head) combine->AppendSmartCurve(cut, 1, 0.0);
    else delete cut;
  }
  return 1;
}

CSmartLPoint* CSmartLoop::GenerateSpiralPoint(CSmartLoop* loops, CSmartArc* arcs[2], double step,
                                              CSmartCurveLib* library) {
  if (!library || !SpiralInputOk(loops, arcs, step)) return nullptr;
  CSmartCurve chain;
  for (int round = 0;; ++round) {
    const double r0 = arcs[0]->radius - round * step;
    const double r1 = arcs[1]->radius - round * step;
    if (r0 <= 0.0 && r1 <= 0.0) break;
    if (r0 >= 0.0) chain.AppendSect(RoundArc(arcs[0], r0));
    if (r1 >= 0.0) chain.AppendSect(RoundArc(arcs[1], r1));
  }
  CSmartLPoint* first = nullptr;
  CSmartLPoint* last = nullptr;
  int number = 0;
  for (CSmartSect* s = chain.head; s; s = s->next, ++number) {
    if ((number & 127) == 0 && gIsProgressCancel()) {
      for (CSmartLoop* c = loops; c; c = c->next) c->InitBuffer();  // the points made so far
      return nullptr;
    }
    auto* arc = static_cast<CSmartArc*>(s);
    for (const ArcHit& h : ArcHits(loops, arc)) {
      auto* lp = new CSmartLPoint;
      lp->x = h.p[0];
      lp->y = h.p[1];
      lp->t = h.ts;
      lp->spare = arc->AngleAt(h.ta);
      lp->sect = h.sect;
      lp->kind = kPtStart;
      lp->number = number;
      if (!File(h.sect->cutPoints, lp)) continue;
      if (last) last->created = lp;
      else first = lp;
      last = lp;
      arc->AddCutPoint(h.p[0], h.p[1], h.ta);
    }
  }
  for (CSmartCurve* c = chain.SplitIntoCurves(); c;) {
    CSmartCurve* n = c->next;
    c->next = nullptr;
    double mid[2];
    c->PointAtFraction(0.5, mid);
    if (c->head && InsideAll(loops, mid)) library->AddCurves(c);
    else delete c;
    c = n;
  }
  return first;
}

int CSmartLoop::ExtractSpiralPath(CPathCombine* combine, const QNC_CutSpiralDef& def,
                                  const QNC_OrderType&, CSmartLPoint* points,
                                  CSmartCurveLib* library) {
  if (!combine || !library) return 0;
  CPathEntity* before = combine->tail;
  if (def.flags & 0x01) {
    std::vector<CSmartCurve*> all;
    while (CSmartCurve* c = library->head) {
      library->RemoveCurve(c);
      c->ReverseCurve();
      all.push_back(c);
    }
    for (auto it = all.rbegin(); it != all.rend(); ++it) library->AddCurves(*it);
  }
  BoundaryRing ring;
  auto endsAt = [](const CSmartCurve* c, const double p[2], bool atStart) {
    double q[2];
    if (atStart) c->head->StartPoint(q);
    else c->tail->EndPoint(q);
    return P2D_AbsDist(q, p) < 0.00001;
  };
  // A library curve that starts (or, reversed, ends) at p.
  auto curveAt = [&](const double p[2]) -> CSmartCurve* {
    for (CSmartCurve* c = library->head; c; c = c->next) {
      if (!c->head) continue;
      if (endsAt(c, p, true)) return c;
      if (endsAt(c, p, false)) {
        c->ReverseCurve();
        return c;
      }
    }
    return nullptr;
  };
  auto markEnds = [&](const CSmartCurve* c) {
    double q[2];
    c->head->StartPoint(q);
    if (CSmartLPoint* a = FreeAt(points, q, 0.00001)) a->kind = kPtUsed;
    c->tail->EndPoint(q);
    if (CSmartLPoint* b = FreeAt(points, q, 0.00001)) b->kind = kPtUsed;
  };
  // Whether some section of the cut lies at the step distance from p.
  auto atStep = [&](const CSmartCurve* cut, const CSmartLPoint* p) {
    const double at[2] = {p->x, p->y};
    double q[2];
    for (const CSmartSect* s = cut->head; s; s = s->next)
      if (std::fabs(s->NearestPoint(at, q) - def.step) < 0.0001) return true;
    return false;
  };
  while (CSmartCurve* cut = library->head) {
    if (gIsProgressCancel()) {
      acTrimCombineAfter(combine, before);
      return 0;
    }
    library->RemoveCurve(cut);
    markEnds(cut);
    for (;;) {
      double e[2];
      cut->tail->EndPoint(e);
      CSmartLPoint* from = FreeAt(points, e, 0.00001);
      if (!from) {
        // The end point may already be used by this very curve: look for it among all.
        for (CSmartLPoint* q = points; q && !from; q = q->created) {
          const double at[2] = {q->x, q->y};
          if (P2D_AbsDist(at, e) < 0.00001) from = q;
        }
      }
      if (!from || !from->sect) break;
      CSmartLPoint *bk = nullptr, *fw = nullptr;
      double db = 0, df = 0;
      const int okB = WalkBack(ring, from, bk, db, nullptr);
      const int okF = WalkForward(ring, from, fw, df, nullptr);
      const bool backFirst = okB && (!okF || df > db);
      CSmartLPoint* tryOrder[2] = {backFirst ? bk : (okF ? fw : nullptr), backFirst ? (okF ? fw : nullptr) : (okB ? bk : nullptr)};
      CSmartCurve* nextCurve = nullptr;
      bool backward = false;
      CSmartLPoint* target = nullptr;
      for (CSmartLPoint* cand : tryOrder) {
        if (!cand || nextCurve) continue;
        const double at[2] = {cand->x, cand->y};
        CSmartCurve* c = curveAt(at);
        if (!c) continue;
        if ((def.flags & 0x10) && !atStep(cut, cand)) continue;
        nextCurve = c;
        target = cand;
        backward = cand == bk;
      }
      if (!nextCurve) break;
      if (backward) AddBoundBack(ring, from, cut, target);
      else AddBoundForward(ring, from, cut, target);
      library->RemoveCurve(nextCurve);
      markEnds(nextCurve);
      CSmartCurve::MoveSects(nextCurve, cut);
    }
    combine->AppendSmartCurve(cut, 1, 0.0);
  }
  return 1;
}
