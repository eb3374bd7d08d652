#include "millvane/loops/PocketWalk.h"

#include <algorithm>
#include <cmath>

#include "platform/numora/Point2d.h"

CSmartSect* BoundaryRing::Head(CSmartSect* s) {
  auto it = head_.find(s);
  if (it != head_.end()) return it->second;
  CSmartSect* h = s;
  while (h->prev) h = h->prev;
  for (CSmartSect* x = h; x; x = x->next) head_[x] = h;
  return h;
}

CSmartSect* BoundaryRing::Tail(CSmartSect* s) {
  auto it = tail_.find(s);
  if (it != tail_.end()) return it->second;
  CSmartSect* t = s;
  while (t->next) t = t->next;
  for (CSmartSect* x = t; x; x = x->prev) tail_[x] = t;
  return t;
}

CSmartSect* BoundaryRing::Next(CSmartSect* s) { return s->next ? s->next : Head(s); }
CSmartSect* BoundaryRing::Prev(CSmartSect* s) { return s->prev ? s->prev : Tail(s); }

CSmartLPoint* StrokePartner(CSmartLPoint* p) {
  if (!p) return nullptr;
  return p->strokeNext ? p->strokeNext : p->strokePrev;
}

void AppendLine(CSmartCurve* curve, const double a[2], const double b[2]) {
  if (P2D_Dist(a, b) < 2e-7) return;
  curve->AppendSect(new CSmartLine(a, b));
}

namespace {

// Whether the scan-row rule passes over p: both neighbouring rows still hold a free stroke
// beside p's own stroke along x. The first and last rows are never passed over.
bool PassedOver(const ScanRows* rows, CSmartLPoint* p) {
  if (!rows || p->number <= rows->first || p->number >= rows->last) return false;
  CSmartLPoint* other = StrokePartner(p);
  const double x0 = std::min(p->x, other ? other->x : p->x);
  const double x1 = std::max(p->x, other ? other->x : p->x);
  auto freeBeside = [&](int row) {
    auto it = rows->rows.find(row);
    if (it == rows->rows.end()) return false;
    for (CSmartLPoint* s : it->second) {
      if (s->kind == kPtUsed) continue;
      CSmartLPoint* e = s->strokeNext;
      const double a = std::min(s->x, e ? e->x : s->x), b = std::max(s->x, e ? e->x : s->x);
      if (a <= x1 && b >= x0) return true;
    }
    return false;
  };
  return freeBeside(p->number - 1) && freeBeside(p->number + 1);
}

int Walk(BoundaryRing& ring, CSmartLPoint* from, CSmartLPoint*& next, double& dist,
         const ScanRows* rows, bool forward, int maxSteps) {
  next = nullptr;
  dist = 0.0;
  if (!from || !from->sect) return 0;
  CSmartSect* s = from->sect;
  double pos[2] = {from->x, from->y};
  CSmartPoint* cur = from;
  for (int steps = 0; steps < maxSteps; ++steps) {
    CSmartPoint* cand = cur ? (forward ? cur->next : cur->prev) : nullptr;
    if (!cur && s->cutPoints) cand = forward ? s->cutPoints->head : s->cutPoints->tail;
    if (cand) {
      if (cand == from) return 0;  // all the way round
      const double q[2] = {cand->x, cand->y};
      dist += P2D_Dist(pos, q);
      pos[0] = q[0];
      pos[1] = q[1];
      cur = cand;
      auto* lp = static_cast<CSmartLPoint*>(cand);
      if (lp->kind != kPtUsed && !PassedOver(rows, lp)) {
        next = lp;
        return 1;
      }
      continue;
    }
    // On to the vertex at the section's end (or start) and into the neighbour.
    double v[2];
    s->EvPoint(forward ? 1.0 : 0.0, v);
    dist += P2D_Dist(pos, v);
    pos[0] = v[0];
    pos[1] = v[1];
    s = forward ? ring.Next(s) : ring.Prev(s);
    cur = nullptr;
  }
  return 0;
}

// The pieces of the boundary between two path points, in walking order.
void AddBound(BoundaryRing& ring, CSmartLPoint* from, CSmartCurve* curve, CSmartLPoint* target,
              bool forward) {
  if (!from || !target || !from->sect || !target->sect) return;
  auto piece = [&](CSmartSect* s, SmartParamPt a, SmartParamPt b) {
    // a and b in walking order; SubSect wants them in section order.
    const bool rev = a.t > b.t;
    CSmartSect* p = rev ? s->SubSect(b, a) : s->SubSect(a, b);
    if (!p) return;
    if (rev) p->Reverse();
    p->flags = 0;
    p->UpdateBox();
    curve->AppendSect(p);
  };
  CSmartSect* s = from->sect;
  SmartParamPt at{from->x, from->y, from->t};
  // A boundary has at most as many sections as the ring; twice that bounds the walk.
  for (int guard = 0; guard < 2000000; ++guard) {
    if (s == target->sect && (forward ? target->t >= at.t : target->t <= at.t)) {
      piece(s, at, {target->x, target->y, target->t});
      return;
    }
    double v[2];
    const double tv = forward ? 1.0 : 0.0;
    s->EvPoint(tv, v);
    piece(s, at, {v[0], v[1], tv});
    s = forward ? ring.Next(s) : ring.Prev(s);
    double w[2];
    s->EvPoint(forward ? 0.0 : 1.0, w);
    at = {w[0], w[1], forward ? 0.0 : 1.0};
  }
}

}  // namespace

int WalkBack(BoundaryRing& ring, CSmartLPoint* from, CSmartLPoint*& next, double& dist,
             const ScanRows* rows) {
  return Walk(ring, from, next, dist, rows, false, 1000);
}

int WalkForward(BoundaryRing& ring, CSmartLPoint* from, CSmartLPoint*& next, double& dist,
                const ScanRows* rows) {
  return Walk(ring, from, next, dist, rows, true, 10000);
}

void AddBoundBack(BoundaryRing& ring, CSmartLPoint* from, CSmartCurve* curve,
                  CSmartLPoint* target) {
  AddBound(ring, from, curve, target, false);
}

void AddBoundForward(BoundaryRing& ring, CSmartLPoint* from, CSmartCurve* curve,
                     CSmartLPoint* target) {
  AddBound(ring, from, curve, target, true);
}
