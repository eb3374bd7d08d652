// Linking and emission of a follow-pocket tree: link points between each loop and the loop it
// was offset from, chains split there, and a depth-first walk that copies sections into smart
// curves with short link segments where the cut moves from one loop to another. Also the
// simple exports that hand a loop tree's curves over as they are.
#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

#include "millvane/loops/PocketLinkUtil.h"
#include "millvane/loops/SmartLoop.h"
#include "millvane/loops/PathCombine.h"
#include "millvane/loops/PathEntity.h"
#include "platform/numora/Point2d.h"
#include "platform/panlet/Progress.h"

using namespace pocketlink;


void acTrimCombineAfter(CPathCombine* combine, CPathEntity* keepLast) {
  if (!combine) return;
  CPathEntity* e = keepLast ? keepLast->next : combine->head;
  while (e) {
    CPathEntity* n = e->next;
    delete e;
    e = n;
  }
  if (keepLast) keepLast->next = nullptr;
  else combine->head = nullptr;
  combine->tail = keepLast;
}

int CSmartLoop::CreateConnectPoint(CSmartSect* sect, const double p[2], double out[2]) {
  if (!sect) return 0;
  double s[2], e[2];
  sect->StartPoint(s);
  sect->EndPoint(e);
  const bool startNearer = P2D_Dist(p, s) <= P2D_Dist(p, e);
  out[0] = startNearer ? s[0] : e[0];
  out[1] = startNearer ? s[1] : e[1];
  double best = P2D_Dist(p, out);
  bool inner = false;
  if (sect->IsLine()) {
    const double d[2] = {e[0] - s[0], e[1] - s[1]};
    const double len2 = d[0] * d[0] + d[1] * d[1];
    if (len2 > 0.001) {
      const double t = ((p[0] - s[0]) * d[0] + (p[1] - s[1]) * d[1]) / len2;
      const double len = std::sqrt(len2);
      if (t * len > 0.001 && (1.0 - t) * len > 0.001) {
        const double f[2] = {s[0] + t * d[0], s[1] + t * d[1]};
        if (P2D_Dist(p, f) < best) {
          out[0] = f[0];
          out[1] = f[1];
          best = P2D_Dist(p, f);
          inner = true;
        }
      }
    }
  } else {
    const double t = sect->ParamOf(p);
    if (t > 0.001 && t < 0.999) {
      sect->EvPoint(t, out);
      inner = true;
    }
  }
  if (!inner) {
    sect->flags |= startNearer ? kSectConnect : kSectChainEnd;
    return 1;
  }
  const double t = sect->ParamOf(out);
  if (t >= -1e-6) sect->AddCutPoint(out[0], out[1], t);
  return 1;
}

void CSmartLoop::UpdateConnectPoint(const double start[2], const double end[2]) {
  connectStart[0] = start[0];
  connectStart[1] = start[1];
  connectEnd[0] = end[0];
  connectEnd[1] = end[1];
}

void CSmartLoop::BreakConnectPoint() {
  if (curve) curve->SplitInPlace();
}

int CSmartLoop::GetFirstCntSect(CSmartSect*& out) {
  out = nullptr;
  if (!curve || !curve->head) return 0;
  CSmartSect* pick = nullptr;
  for (CSmartSect* s = curve->head; s && !pick; s = s->next)
    if (s->flags & kSectFirstCut) pick = s;
  if (!pick) {
    CSmartSect* largest = nullptr;
    for (CSmartSect* s = curve->head; s && !pick; s = s->next) {
      if (!(s->flags & kSectConnect)) continue;
      if (s->tag > 0) pick = s;
      else if (!largest || s->tag > largest->tag) largest = s;
    }
    if (!pick) pick = largest;
  }
  if (!pick) {
    for (CSmartSect* s = curve->head->next; s && !pick; s = s->next)
      if (s->tag > 0) pick = s;
    if (!pick) pick = curve->head;
  }
  pick->flags |= kSectFirstCut;
  curve->StartAt(pick);
  out = pick;
  return 1;
}

CSmartSect* CSmartLoop::GetBeginSect() const {
  if (!curve) return nullptr;
  double p[2];
  for (CSmartSect* s = curve->head; s; s = s->next)
    if (s->flags & kSectFirstCut) {
      s->StartPoint(p);
      if (Near(p, connectStart, 0.0001)) return s;
      break;
    }
  for (CSmartSect* s = curve->head; s; s = s->next) {
    s->StartPoint(p);
    if ((s->flags & kSectConnect) && Near(p, connectStart, 0.0001)) return s;
  }
  for (CSmartSect* s = curve->head; s; s = s->next) {
    s->StartPoint(p);
    if (Near(p, connectStart, 0.0001)) return s;
  }
  return nullptr;
}

CSmartLoop* CSmartLoop::GetNextLoop(const double p[2], int style) {
  auto enters = [p](CSmartLoop* l) {
    return !IsEmitted(l) && l->curve && HasConnectEnd(l) && Near(l->connectEnd, p, 0.0001);
  };
  auto inList = [&](CSmartLoop* head, CSmartLoop* skip) -> CSmartLoop* {
    for (CSmartLoop* l = head; l; l = l->next)
      if (l != skip && enters(l)) return l;
    return nullptr;
  };
  if (style == 1) {
    if (area > 0.0 && parent && !next && enters(parent)) return parent;
    if (area <= 0.0) return inList(islands, nullptr);
    return nullptr;
  }
  if (style == 2 && area <= 0.0) {
    // An island goes on to its neighbours: the parent's children and their islands, the
    // parent's other islands, then the grandparent's islands.
    if (!parent) return nullptr;
    if (CSmartLoop* l = inList(parent->children, this)) return l;
    for (CSmartLoop* c = parent->children; c; c = c->next)
      if (CSmartLoop* l = inList(c->islands, this)) return l;
    if (CSmartLoop* l = inList(parent->islands, this)) return l;
    return parent->parent ? inList(parent->parent->islands, this) : nullptr;
  }
  if (CSmartLoop* l = inList(children, nullptr)) return l;
  if (style == 2) {
    for (CSmartLoop* a = parent; a; a = a->parent)
      if (CSmartLoop* l = inList(a->islands, this)) return l;
    return nullptr;
  }
  return parent ? inList(parent->children, this) : nullptr;
}

namespace {

// The first loop in pre-order (as PreOrder visits) that pred accepts; the walk stops there.
template <class P>
CSmartLoop* FirstInPreOrder(CSmartLoop* l, const P& pred) {
  if (pred(l)) return l;
  for (CSmartLoop* c = l->children; c; c = c->next)
    if (CSmartLoop* f = FirstInPreOrder(c, pred)) return f;
  for (CSmartLoop* i = l->islands; i; i = i->next)
    if (CSmartLoop* f = FirstInPreOrder(i, pred)) return f;
  return nullptr;
}

// What GetFirstLoop looks for first with style 2, and otherwise.
bool PendingIsland(const CSmartLoop* l) {
  return !IsEmitted(l) && l->curve && l->area <= 0.0 && l->kind == 1;
}
bool Pending(const CSmartLoop* l) { return !IsEmitted(l) && l->curve; }

}  // namespace

CSmartLoop* CSmartLoop::GetFirstLoop(int style) {
  if (style == 2) {
    if (CSmartLoop* found = FirstInPreOrder(this, PendingIsland)) return found;
  }
  if (style == 1) {
    if (CSmartLoop* found = FindExportChild()) return found;
    return FindExportIsland();
  }
  return FirstInPreOrder(this, Pending);
}

pocketlink::CPendingLoops::CPendingLoops(CSmartLoop* root, int style) : root_(root), style_(style) {
  if (style_ == 1) return;  // searched afresh each time: children deepest first, then islands
  auto add = [this](CSmartLoop* l) { order_.push_back(l); };
  PreOrder(root_, add);
}

CSmartLoop* pocketlink::CPendingLoops::Next() {
  if (style_ == 1) return root_->GetFirstLoop(style_);
  if (style_ == 2) {
    while (islandAt_ < order_.size() && !PendingIsland(order_[islandAt_])) ++islandAt_;
    if (islandAt_ < order_.size()) return order_[islandAt_];
  }
  while (anyAt_ < order_.size() && !Pending(order_[anyAt_])) ++anyAt_;
  return anyAt_ < order_.size() ? order_[anyAt_] : nullptr;
}

CSmartLoop* CSmartLoop::FindExportChild() {
  // The deepest loop not yet emitted; children are searched before the loop itself.
  for (CSmartLoop* c = children; c; c = c->next)
    if (CSmartLoop* l = c->FindExportChild()) return l;
  return (!IsEmitted(this) && curve && area > 0.0) ? this : nullptr;
}

CSmartLoop* CSmartLoop::FindExportIsland() {
  for (CSmartLoop* i = islands; i; i = i->next) {
    if (!IsEmitted(i) && i->curve) return i;
    if (CSmartLoop* l = i->FindExportIsland()) return l;
  }
  for (CSmartLoop* c = children; c; c = c->next)
    if (CSmartLoop* l = c->FindExportIsland()) return l;
  return nullptr;
}

int CSmartLoop::ConnectFollowPath(int style, uint32_t flags) {
  if (style == 1) {
    ConnectMiddleIsland();
    ConnectMiddleChild();
    return 1;
  }
  if (!(flags & kFollowEnterMid)) SortChildren(this);
  auto link = [](CSmartLoop* l) {
    if (!l->curve || !l->curve->head) {
      l->state |= kLoopEmitted;
      return;
    }
    l->BreakConnectPoint();
    CSmartSect* s = nullptr;
    l->GetFirstCntSect(s);
    if (!l->parent || !s) return;
    double start[2], end[2] = {kSentinel, kSentinel};
    s->StartPoint(start);
    // Only a section still in the parent's chain can take the link; an island that was not
    // offset from its parent has none and gets the sentinel (it starts a cut of its own).
    if (ChainHolds(l->parent, s->origin)) l->parent->CreateConnectPoint(s->origin, start, end);
    l->UpdateConnectPoint(start, end);
  };
  PostOrder(this, link);
  return 1;
}

int CSmartLoop::ExtractCutinPath(int style, uint32_t flags, CSmartCurve* curve) {
  if (!(flags & kFollowEnterMid)) {
    // Each loop whole, then on into the loop that is entered where it closed.
    CSmartLoop* l = this;
    while (l) {
      l->state |= kLoopEmitted;
      for (CSmartSect* s = l->curve->head; s; s = s->next) CloneInto(curve, s, flags);
      double p[2];
      l->curve->head->StartPoint(p);
      CSmartLoop* n = l->GetNextLoop(p, style);
      if (!n || !EnterLoop(n, curve, flags)) break;
      l = n;
    }
    return 1;
  }
  // Depth first: at a section where an inner loop's link meets this one, the cut goes into
  // that loop, all the way round it, and back to the same point. Links that meet the loop at
  // its own start are taken when the walk has come round to it again, so every loop is cut
  // whole before the cut moves on from its start.
  struct Frame {
    CSmartLoop* loop;
    CSmartSect* at;  // where the walk resumes; null: at the end of the chain
  };
  std::vector<Frame> stack;
  CSmartLoop* l = this;
  l->state |= kLoopEmitted;
  CSmartSect* s = l->curve->head;
  for (;;) {
    double p[2];
    if (s) s->StartPoint(p);
    else l->curve->head->StartPoint(p);
    CSmartLoop* enter = nullptr;
    if (!s || (s != l->curve->head && (s->flags & kSectConnect))) enter = ChildEnteredAt(l, p);
    if (enter) {
      enter->state |= kLoopEmitted;
      if (EnterLoop(enter, curve, flags)) {
        stack.push_back({l, s});
        l = enter;
        s = enter->curve->head;
      }
      continue;
    }
    if (s) {
      CloneInto(curve, s, flags);
      s = s->next;
      continue;
    }
    if (stack.empty()) break;
    const Frame f = stack.back();
    stack.pop_back();
    l = f.loop;
    s = f.at;
    double back[2];
    if (s) s->StartPoint(back);
    else l->curve->head->StartPoint(back);
    AddLink(curve, back, flags | kFollowForceLink);
  }
  return 1;
}

int CSmartLoop::ExtractFollowPath(CPathCombine* combine, const QNC_CutFollowDef& def,
                                  const QNC_OrderType& order) {
  if (!combine || !curve) return 0;
  const int style = def.style;
  const uint32_t flags = def.flags;
  if ((style == 1 || (flags & kFollowDebur)) && order.order == 0) ReverseContour(0);
  else if (((flags & kFollowEnterMid) != 0) == (order.order == 0)) ReverseContour(0);
  ConnectFollowPath(style, flags);

  std::vector<std::unique_ptr<CSmartCurve>> made;
  CPendingLoops pending(this, style);
  while (CSmartLoop* l = pending.Next()) {
    if (gIsProgressCancel()) return 0;
    auto c = std::make_unique<CSmartCurve>();
    if (l->area < 0.0) c->flags = kLoopCurveIsland;
    CSmartSect* b = BeginOf(l);
    if (!b) {
      l->state |= kLoopEmitted;
      continue;
    }
    l->curve->StartAt(b);
    if (flags & kFollowDebur) l->ExtractDeburyPath(style, flags, c.get());
    else l->ExtractCutinPath(style, flags, c.get());
    if (c->head) made.push_back(std::move(c));
  }

  const bool inOrder =
      (flags & kFollowDebur) || (((flags & kFollowEnterMid) != 0) == ((flags & kFollowOrder) != 0));
  if (inOrder) {
    for (auto& c : made) combine->AppendSmartCurve(c.release(), 1, 0.0);
    return 1;
  }
  std::vector<CSmartCurve*> held;
  size_t end = made.size();
  if (style == 0)
    while (end > 0 && made[end - 1]->flags == kLoopCurveIsland) --end;
  for (size_t k = made.size(); k > end; --k) held.push_back(made[k - 1].release());
  for (size_t k = end; k > 0; --k) {
    CSmartCurve* c = made[k - 1].release();
    c->ReverseCurve();
    combine->AppendSmartCurve(c, 1, 0.0);
  }
  for (CSmartCurve* c : held) {
    c->ReverseCurve();
    combine->AppendSmartCurve(c, 1, 0.0);
  }
  return 1;
}

int CSmartLoop::CreateFollowPath(CPathCombine* combine, QNC_CutFollowDef& def,
                                 const QNC_CornerType& corner, const QNC_OrderType& order) {
  if (!combine || !acPocketInputOk(this, def.step)) return 0;
  def.style = 0;
  std::unique_ptr<CSmartLoop> work(CopyContour());
  if (!work->FollowContour(0, def.step, corner, -1, def.halfStepLimit)) return 0;
  // What this call appends is its own until it succeeds: a cancel takes it back.
  CPathEntity* before = combine->tail;
  if (!work->ExtractFollowPath(combine, def, order)) {
    acTrimCombineAfter(combine, before);
    return 0;
  }
  return 1;
}

int CSmartLoop::ExtractAllCurve(CPathCombine* combine, double point[2], double lastPoint[2]) {
  if (!combine || !curve || !curve->head) return 0;
  combine->AppendSmartCurve(curve, 0, 0.0);
  curve->tail->EndPoint(point);
  while (children) {
    CSmartLoop* best = nullptr;
    CSmartSect* bestSect = nullptr;
    double bestDist = 1e300, at[2] = {0, 0};
    for (CSmartLoop* c = children; c; c = c->next) {
      if (!c->curve || !c->curve->head) {
        if (!best) best = c;
        continue;
      }
      double d, q[2];
      CSmartSect* s = c->curve->NearestStart(point, d, q);
      if (s && d < bestDist) {
        bestDist = d;
        best = c;
        bestSect = s;
        at[0] = q[0];
        at[1] = q[1];
      }
    }
    if (bestSect) {
      best->curve->StartAt(bestSect);
      lastPoint[0] = at[0];
      lastPoint[1] = at[1];
      const double a[3] = {point[0], point[1], 0.0}, b[3] = {at[0], at[1], 0.0};
      combine->AddTail(new CPathLine3D(a, b));
      best->ExtractAllCurve(combine, point, lastPoint);
    }
    DeleteChild(best);
  }
  return 1;
}

int CSmartLoop::ExtractCurve(CPathCombine* combine, int skipNegative, int outerFirst, double z) {
  if (!combine) return 0;
  auto put = [&](CSmartLoop* l) {
    if (!l->curve || !l->curve->head || std::fabs(l->area) >= 9000000.0) return;
    if (skipNegative && l->curve->head->group < 0) return;
    combine->AppendSmartCurve(l->curve, 0, z);
  };
  if (outerFirst) put(this);
  for (CSmartLoop* i = islands; i; i = i->next) put(i);
  if (!outerFirst) put(this);
  return 1;
}

int CSmartLoop::ExtractAllLoop(int mode, std::vector<CSmartLoop*>& array) {
  if (mode == 2) array.push_back(this);
  for (CSmartLoop* i = islands; i; i = i->next) array.push_back(i);
  if (mode != 2) array.push_back(this);
  return 1;
}

int CSmartLoop::IntSectContour(const CSmartSect* sect) const {
  if (!sect) return 0;
  double s[2], e[2];
  sect->StartPoint(s);
  sect->EndPoint(e);
  auto crosses = [&](const CSmartLoop* l) {
    if (!l->curve) return false;
    const double lb[4] = {l->box[0], l->box[1], l->box[3], l->box[4]};
    if (lb[0] > sect->box[2] + 0.0001 || sect->box[0] > lb[2] + 0.0001 ||
        lb[1] > sect->box[3] + 0.0001 || sect->box[1] > lb[3] + 0.0001)
      return false;
    for (const CSmartSect* x = l->curve->head; x; x = x->next) {
      if (x->box[0] > sect->box[2] + 0.0001 || sect->box[0] > x->box[2] + 0.0001 ||
          x->box[1] > sect->box[3] + 0.0001 || sect->box[1] > x->box[3] + 0.0001)
        continue;
      double pts[2][2];
      const int m = acSectSectInt(sect, x, pts);
      for (int i = 0; i < m; ++i)
        if (P2D_AbsDist(pts[i], s) > 0.01 && P2D_AbsDist(pts[i], e) > 0.01) return true;
    }
    return false;
  };
  for (const CSmartLoop* i = islands; i; i = i->next)
    if (crosses(i)) return 1;
  return crosses(this) ? 1 : 0;
}
