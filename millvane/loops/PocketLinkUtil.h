// Helpers shared by the link placers and emitters of the follow-pocket tree.
#pragma once

#include <cmath>
#include <cstddef>
#include <vector>

#include "millvane/loops/SmartLoop.h"
#include "platform/numora/Point2d.h"

namespace pocketlink {

constexpr double kSentinel = 1000000.0;
constexpr uint8_t kLoopCurveIsland = 1;  // curve flag byte of a run that starts on an island

inline bool Near(const double a[2], const double b[2], double tol) { return P2D_AbsDist(a, b) < tol; }

// A connect end that was never placed, or placed at the sentinel for "no parent section".
inline bool HasConnectEnd(const CSmartLoop* l) {
  return std::fabs(l->connectEnd[0]) < kSentinel - 1.0 && std::fabs(l->connectEnd[1]) < kSentinel - 1.0;
}

inline bool IsEmitted(const CSmartLoop* l) { return (l->state & kLoopEmitted) != 0; }

inline bool ChainHolds(const CSmartLoop* l, const CSmartSect* s) {
  if (!l || !l->curve || !s) return false;
  for (const CSmartSect* x = l->curve->head; x; x = x->next)
    if (x == s) return true;
  return false;
}

// Pre-order over a tree: the loop, its children, then its islands (each recursively).
template <class F>
inline void PreOrder(CSmartLoop* l, F& f) {
  f(l);
  for (CSmartLoop* c = l->children; c; c = c->next) PreOrder(c, f);
  for (CSmartLoop* i = l->islands; i; i = i->next) PreOrder(i, f);
}

// Post-order: children and islands before the loop, so that every loop's link points on its
// parent are recorded before the parent's chain is split.
template <class F>
inline void PostOrder(CSmartLoop* l, F& f) {
  for (CSmartLoop* c = l->children; c; c = c->next) PostOrder(c, f);
  for (CSmartLoop* i = l->islands; i; i = i->next) PostOrder(i, f);
  f(l);
}

inline void SortChildren(CSmartLoop* l) {
  if (l->children && l->children->next) {
    l->children = CSmartLoop::ResortContour(l->children, 0, 0);
    for (CSmartLoop* c = l->children; c; c = c->next) c->parent = l;
  }
  for (CSmartLoop* c = l->children; c; c = c->next) SortChildren(c);
}

inline void CloneInto(CSmartCurve* curve, CSmartSect* s, uint32_t flags) {
  CSmartSect* c = s->Clone();
  c->flags = s->flags & kSectBound;
  if ((flags & kFollowMarkInner) && !(s->flags & kSectBound)) c->flags |= kSectNotBound;
  s->group = -77;
  curve->AppendSect(c);
}

// The link from the cut's current end to the point where the next loop is entered.
inline void AddLink(CSmartCurve* curve, const double to[2], uint32_t flags) {
  if (!curve->head && !(flags & kFollowForceLink)) return;
  double from[2];
  if (curve->tail) curve->tail->EndPoint(from);
  else return;  // nothing to link from
  if (P2D_AbsDist(from, to) < 1e-9) return;
  auto* l = new CSmartLine(from, to);
  l->flags = kSectLink;
  curve->AppendSect(l);
}

inline CSmartSect* BeginOf(CSmartLoop* l) {
  CSmartSect* b = l->GetBeginSect();
  if (!b) l->GetFirstCntSect(b);
  return b;
}

// Makes the next loop's chain start at its begin section and links the cut there; null (no
// link) when the loop has no section to begin with.
inline CSmartSect* EnterLoop(CSmartLoop* next, CSmartCurve* curve, uint32_t flags) {
  CSmartSect* b = BeginOf(next);
  if (!b) return nullptr;
  next->curve->StartAt(b);
  double to[2];
  b->StartPoint(to);
  AddLink(curve, to, flags);
  return b;
}

// The child not yet cut whose link from this loop meets it at p.
inline CSmartLoop* ChildEnteredAt(CSmartLoop* l, const double p[2]) {
  for (CSmartLoop* c = l->children; c; c = c->next)
    if (!IsEmitted(c) && c->curve && HasConnectEnd(c) && Near(c->connectEnd, p, 0.0001)) return c;
  return nullptr;
}

// The loops GetFirstLoop(style) gives, one call after another, while a tree is emitted: the
// tree's pre-order is read once. Meanwhile loops only become emitted and nothing else the
// choice reads changes, so each answer lies at or after the one before in that order.
class CPendingLoops {
 public:
  CPendingLoops(CSmartLoop* root, int style);
  CSmartLoop* Next();

 private:
  CSmartLoop* root_;
  int style_;
  std::vector<CSmartLoop*> order_;
  size_t islandAt_ = 0;
  size_t anyAt_ = 0;
};

}  // namespace pocketlink
