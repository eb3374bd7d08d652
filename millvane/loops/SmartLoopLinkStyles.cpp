// The other link placers of a pocket tree (by tag, to the nearest section start, inside-out
// for the contour-with-islands style, islands turned into children) and the emissions that go
// with them: deburring, one curve per run, and the whole tree as one curve.
#include <algorithm>
#include <cmath>
#include <deque>
#include <memory>
#include <vector>

#include "millvane/loops/PocketLinkUtil.h"
#include "millvane/loops/SmartLoop.h"
#include "millvane/loops/PathCombine.h"
#include "platform/numora/Point2d.h"
#include "platform/panlet/Progress.h"

using namespace pocketlink;

namespace {

CSmartSect* FirstConnect(const CSmartLoop* l) {
  for (CSmartSect* s = l->curve->head; s; s = s->next)
    if (s->flags & kSectConnect) return s;
  return nullptr;
}

// Where the whole-tree emission starts in a loop: its first link section. A loop that no link
// placer reached (an island) has none and is cut whole from its head rather than dropped.
CSmartSect* EmitStart(CSmartLoop* l) {
  if (CSmartSect* s = FirstConnect(l)) return s;
  l->curve->head->flags |= kSectConnect;
  return l->curve->head;
}

// A link line between two loops; nothing when its ends coincide.
void LinkLine(CSmartCurve* curve, const double a[2], const double b[2]) {
  if (P2D_Dist(a, b) < 2e-7) return;
  auto* l = new CSmartLine(a, b);
  l->flags = kSectLink;
  curve->AppendSect(l);
}

// Appends reversed clones of the sections from `last` back to the head.
void WalkBackInto(CSmartCurve* curve, CSmartSect* last, uint32_t flags) {
  for (CSmartSect* x = last; x; x = x->prev) {
    CloneInto(curve, x, flags);
    curve->tail->Reverse();
    curve->tail->UpdateBox();
  }
}

}  // namespace

int CSmartLoop::ConnectFollowChild() {
  for (CSmartLoop* c = children; c; c = c->next) c->ConnectFollowChild();
  if (!curve || !curve->head) {
    state |= kLoopEmitted;
    return 1;
  }
  BreakConnectPoint();
  CSmartSect* s = nullptr;
  GetFirstCntSect(s);
  if (!parent || !s || !parent->curve) return 1;
  double start[2], end[2] = {kSentinel, kSentinel};
  s->StartPoint(start);
  for (CSmartSect* p = parent->curve->head; p; p = p->next)
    if (p->tag == s->tag) {
      p->flags |= kSectConnect;
      parent->CreateConnectPoint(p, start, end);
      break;
    }
  UpdateConnectPoint(start, end);
  return 1;
}

int CSmartLoop::ConnectAllChild() {
  for (CSmartLoop* c = children; c; c = c->next) c->ConnectAllChild();
  if (!curve || !curve->head) {
    state |= kLoopEmitted;
    return 1;
  }
  BreakConnectPoint();
  CSmartSect* s = FirstConnect(this);
  if (!s) {
    s = curve->head;
    s->flags |= kSectConnect;
  }
  curve->StartAt(s);
  if (!parent) return 1;
  double p[2];
  s->StartPoint(p);
  CSmartSect* best = nullptr;
  bool fromSibling = false;
  double bestDist = 1e300;
  auto consider = [&](const CSmartLoop* l, bool sibling) {
    if (!l->curve) return;
    double d, q[2];
    CSmartSect* x = l->curve->NearestStart(p, d, q);
    if (x && d < bestDist) {
      bestDist = d;
      best = x;
      fromSibling = sibling;
    }
  };
  consider(parent, false);
  for (CSmartLoop* sib = parent->children; sib; sib = sib->next)
    if (sib != this && !(sib->state & kLoopLinkTarget)) consider(sib, true);
  if (!best) return 1;
  if (fromSibling) state |= kLoopLinkTarget;
  best->flags |= kSectConnect;
  double from[2];
  best->StartPoint(from);
  UpdateConnectPoint(from, p);
  return 1;
}

int CSmartLoop::ConnectFollowIsland() {
  std::deque<CSmartLoop*> queue = {this};
  while (!queue.empty()) {
    CSmartLoop* l = queue.front();
    queue.pop_front();
    while (CSmartLoop* isl = l->islands) {
      isl->ConnectFollowChild();
      CSmartSect* r = nullptr;
      if (isl->curve && isl->GetFirstCntSect(r) && l->curve) {
        double p[2];
        r->StartPoint(p);
        // The nearest section start on this loop or on one of its children.
        CSmartSect* best = nullptr;
        CSmartLoop* owner = nullptr;
        double bestDist = 1e300;
        auto consider = [&](CSmartLoop* c) {
          if (!c->curve) return;
          double d, q[2];
          CSmartSect* x = c->curve->NearestStart(p, d, q);
          if (x && d < bestDist) {
            bestDist = d;
            best = x;
            owner = c;
          }
        };
        consider(l);
        for (CSmartLoop* c = l->children; c; c = c->next) consider(c);
        if (best) {
          best->flags |= kSectConnect;
          double q[2];
          owner->CreateConnectPoint(best, p, q);
          isl->UpdateConnectPoint(p, q);
        }
      }
      l->RemoveIsland(isl);
      l->AddChild(isl);
    }
    for (CSmartLoop* c = l->children; c; c = c->next) queue.push_back(c);
  }
  return 1;
}

int CSmartLoop::ConnectMiddleChild() {
  for (CSmartLoop* c = children; c; c = c->next) c->ConnectMiddleChild();
  BreakConnectPoint();
  if (level < 2 || !parent) return 1;
  if (!curve || !curve->head) {
    state |= kLoopEmitted;
    return 1;
  }
  CSmartSect* s = GetBeginSect();
  if (!s) {
    GetFirstCntSect(s);
    s->flags |= kSectConnect;
  }
  if (!ChainHolds(parent, s->origin)) return 1;
  // The cut comes back out of this loop into its parent.
  s->origin->flags |= kSectConnect;
  double at[2], q[2];
  s->StartPoint(at);
  parent->CreateConnectPoint(s->origin, at, q);
  parent->UpdateConnectPoint(q, at);
  return 1;
}

int CSmartLoop::ConnectMiddleIsland() {
  if (area > 0.0) {
    for (CSmartLoop* c = children; c; c = c->next) c->ConnectMiddleIsland();
    for (CSmartLoop* i = islands; i; i = i->next) i->ConnectMiddleIsland();
    return 1;
  }
  if (islands && curve && curve->head) {
    CSmartSect* s = GetBeginSect();
    if (!s) GetFirstCntSect(s);
    s->flags = kSectConnect;
    for (CSmartLoop* i = islands; i; i = i->next) {
      if (!ChainHolds(i, s->origin)) continue;
      double at[2], q[2];
      s->StartPoint(at);
      i->CreateConnectPoint(s->origin, at, q);
      i->UpdateConnectPoint(q, at);
      i->BreakConnectPoint();
      break;
    }
  }
  for (CSmartLoop* i = islands; i; i = i->next) i->ConnectMiddleIsland();
  return 1;
}

int CSmartLoop::ConnectOuterIsland() {
  for (CSmartLoop* isl = islands; isl; isl = isl->next) {
    isl->kind = 0;
    if (!isl->curve || !isl->curve->head) continue;
    auto fromIsland = [isl](const CSmartSect* s) { return s->origin && ChainHolds(isl, s->origin); };
    // A section of l offset from the island, unless l already links to the island there.
    auto examine = [&](CSmartLoop* l) -> CSmartSect* {
      if (!l->curve) return nullptr;
      if (CSmartSect* b = l->GetBeginSect(); b && fromIsland(b)) {
        double st[2], q[2];
        b->StartPoint(st);
        b->origin->NearestPoint(st, q);
        if (Near(q, l->connectEnd, 0.0001)) return nullptr;
      }
      for (CSmartSect* s = l->curve->head; s; s = s->next)
        if (fromIsland(s)) return s;
      return nullptr;
    };
    CSmartSect* found = nullptr;
    for (CSmartLoop* c = children; c && !found; c = c->next)
      for (CSmartLoop* ci = c->islands; ci && !found; ci = ci->next) found = examine(ci);
    // Then the children depth first, last first; a loop with islands hands over to its children.
    std::vector<CSmartLoop*> stack;
    for (CSmartLoop* c = children; c; c = c->next) stack.push_back(c);
    while (!found && !stack.empty()) {
      CSmartLoop* l = stack.back();
      stack.pop_back();
      if (!l->islands) found = examine(l);
      std::vector<CSmartLoop*> kids;
      for (CSmartLoop* c = l->children; c; c = c->next) kids.push_back(c);
      stack.insert(stack.end(), kids.begin(), kids.end());
    }
    if (found) {
      found->flags = kSectConnect;
      double st[2], at[2];
      found->StartPoint(st);
      isl->CreateConnectPoint(found->origin, st, at);
      isl->UpdateConnectPoint(at, st);
      isl->BreakConnectPoint();
      isl->kind = -1;
      continue;
    }
    isl->BreakConnectPoint();
    CSmartSect* r = nullptr;
    isl->GetFirstCntSect(r);
    double p[2], end[2] = {kSentinel, kSentinel};
    r->StartPoint(p);
    if (r->origin && ChainHolds(this, r->origin)) CreateConnectPoint(r->origin, p, end);
    isl->UpdateConnectPoint(p, end);
    isl->kind = 1;
  }
  return 1;
}

int CSmartLoop::ExtractDeburyPath(int style, uint32_t flags, CSmartCurve* curve) {
  auto wholePass = [&](CSmartLoop* l) {
    l->state |= kLoopEmitted;
    for (CSmartSect* s = l->curve->head; s; s = s->next) CloneInto(curve, s, flags);
  };
  // Without 0x04 every loop is cut once, whole, as in the plain emission.
  if (!(flags & kFollowEnterMid)) return ExtractCutinPath(style, flags, curve);
  struct Frame {
    CSmartLoop* loop;
    CSmartSect* at;
  };
  std::vector<Frame> stack;
  CSmartLoop* l = this;
  wholePass(l);
  CSmartSect* s = l->curve->head;  // the second pass has reached s's start
  for (;;) {
    CSmartSect* entry = nullptr;
    CSmartLoop* child = nullptr;
    for (CSmartSect* x = s; x && !child; x = x->next) {
      if (!(x->flags & kSectConnect)) continue;
      double p[2];
      x->StartPoint(p);
      if ((child = ChildEnteredAt(l, p))) entry = x;
    }
    if (child) {
      for (CSmartSect* x = s; x != entry; x = x->next) CloneInto(curve, x, flags);
      child->state |= kLoopEmitted;
      if (!EnterLoop(child, curve, flags)) {
        s = entry;
        continue;
      }
      stack.push_back({l, entry});
      l = child;
      wholePass(l);
      s = l->curve->head;
      continue;
    }
    // Nothing more to enter: back along the second pass to the loop's start, then out.
    WalkBackInto(curve, s ? s->prev : nullptr, flags);
    if (stack.empty()) break;
    const Frame f = stack.back();
    stack.pop_back();
    l = f.loop;
    s = f.at;
    double back[2];
    s->StartPoint(back);
    AddLink(curve, back, flags | kFollowForceLink);
  }
  return 1;
}

int CSmartLoop::LoopToSect(CPathCombine* combine, int style) {
  if (!combine || !curve) return 0;
  CPathEntity* before = combine->tail;
  ConnectFollowPath(style, 0);
  CPendingLoops pending(this, style);
  while (CSmartLoop* l = pending.Next()) {
    if (gIsProgressCancel()) {
      acTrimCombineAfter(combine, before);
      return 0;
    }
    CSmartSect* b = BeginOf(l);
    if (!b) {
      l->state |= kLoopEmitted;
      continue;
    }
    l->curve->StartAt(b);
    auto c = std::make_unique<CSmartCurve>();
    l->ExtractCutinPath(style, kFollowEnterMid, c.get());
    if (style == 1 && l->area < 0.0) c->ReverseCurve();
    if (c->head) combine->AppendSmartCurve(c.release(), 1, 0.0);
  }
  return 1;
}

int CSmartLoop::ExtractAllChild(CPathCombine* combine, uint32_t flags) {
  if (!combine) return 0;
  CPathEntity* before = combine->tail;
  auto enterAt = [](CSmartLoop* l, const double p[2]) -> CSmartLoop* {
    for (CSmartLoop* c = l->children; c; c = c->next)
      if (!IsEmitted(c) && c->curve && Near(c->connectStart, p, 0.0001)) return c;
    if (l->parent)
      for (CSmartLoop* c = l->parent->children; c; c = c->next)
        if (c != l && !IsEmitted(c) && c->curve && (c->state & kLoopLinkTarget) &&
            Near(c->connectStart, p, 0.0001))
          return c;
    return nullptr;
  };
  struct Frame {
    CSmartLoop* loop;
    CSmartSect* at;
  };
  // A further tree starts a curve of its own: a jump inside one curve would be cut as a line.
  CPendingLoops pending(this, 0);
  while (CSmartLoop* first = pending.Next()) {
    if (gIsProgressCancel()) {
      acTrimCombineAfter(combine, before);
      return 0;
    }
    auto curve = std::make_unique<CSmartCurve>();
    std::vector<Frame> stack;
    CSmartLoop* l = first;
    l->state |= kLoopEmitted;
    CSmartSect* s = EmitStart(l);
    for (;;) {
      if (!s) {
        if (stack.empty()) break;
        const Frame f = stack.back();
        stack.pop_back();
        LinkLine(curve.get(), l->connectEnd, l->connectStart);
        l = f.loop;
        s = f.at;
        continue;
      }
      double p[2];
      s->StartPoint(p);
      if (CSmartLoop* c = enterAt(l, p)) {
        c->state |= kLoopEmitted;
        if (curve->head) LinkLine(curve.get(), c->connectStart, c->connectEnd);
        stack.push_back({l, s});
        l = c;
        s = EmitStart(l);
        continue;
      }
      s->flags &= static_cast<uint8_t>(~kSectConnect);
      do {
        CloneInto(curve.get(), s, flags);
        s = s->next;
      } while (s && !(s->flags & kSectConnect));
    }
    if (curve->head) combine->AppendSmartCurve(curve.release(), 1, 0.0);
  }
  return 1;
}
