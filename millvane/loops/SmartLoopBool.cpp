// Loop booleans (cut at mutual crossings, keep pieces by a mid-point test, re-chain) and the
// ordering of loops for machining.
#include <algorithm>
#include <array>
#include <cmath>
#include <deque>
#include <vector>

#include "millvane/loops/SmartLoop.h"
#include "platform/numora/Point2d.h"

namespace {

bool BoxesMeet(const double a[4], const double b[4], double m) {
  return a[0] <= b[2] + m && b[0] <= a[2] + m && a[1] <= b[3] + m && b[1] <= a[3] + m;
}

bool LoopBoxesMeet(const CSmartLoop* a, const CSmartLoop* b, double m) {
  return a->box[0] <= b->box[3] + m && b->box[0] <= a->box[3] + m && a->box[1] <= b->box[4] + m &&
         b->box[1] <= a->box[4] + m;
}

std::vector<CSmartLoop*> Detach(CSmartLoop* list) {
  std::vector<CSmartLoop*> v;
  while (list) {
    CSmartLoop* n = list->next;
    list->next = list->prev = nullptr;
    v.push_back(list);
    list = n;
  }
  return v;
}

CSmartLoop* Link(const std::vector<CSmartLoop*>& v) {
  CSmartLoop* head = nullptr;
  CSmartLoop* prev = nullptr;
  for (CSmartLoop* l : v) {
    l->prev = prev;
    l->next = nullptr;
    if (prev) prev->next = l;
    else head = l;
    prev = l;
  }
  return head;
}

// Kept open curves chained into closed loops and sorted into contours: each non-negative loop,
// in ascending area, takes the unplaced non-positive loops lying in it as islands.
std::vector<CSmartLoop*> Nest(std::vector<CSmartLoop*> loops, bool needBoxOverlap,
                              std::vector<CSmartLoop*>* unplaced) {
  std::stable_sort(loops.begin(), loops.end(),
                   [](const CSmartLoop* a, const CSmartLoop* b) { return a->area < b->area; });
  std::vector<bool> placed(loops.size(), false);
  std::vector<CSmartLoop*> result;
  for (size_t i = 0; i < loops.size(); ++i) {
    CSmartLoop* o = loops[i];
    if (o->area < 0.0) continue;
    for (size_t k = 0; k < loops.size(); ++k) {
      CSmartLoop* h = loops[k];
      if (placed[k] || k == i || h->area > 0.0) continue;
      if (needBoxOverlap && !LoopBoxesMeet(o, h, 0.0)) continue;
      if (!o->IsLoopOn(h)) continue;
      placed[k] = true;
      o->AddIsland(h);
    }
    placed[i] = true;
    result.push_back(o);
  }
  for (size_t k = 0; k < loops.size(); ++k) {
    if (placed[k]) continue;
    if (unplaced) unplaced->push_back(loops[k]);
    else delete loops[k];
  }
  return result;
}

CSmartLoop* Assemble(std::vector<CSmartCurve*>& pieces) {
  CSmartCurve chain;
  for (CSmartCurve* c : pieces) CSmartCurve::MoveSects(c, &chain);
  pieces.clear();
  return Link(Nest(Detach(chain.ChainLoops()), false, nullptr));
}

// Clears old cuts and cuts every pair of contours of different kinds against each other.
std::vector<CSmartLoop*> DetachAndCutByKind(CSmartLoop* list) {
  std::vector<CSmartLoop*> cs = Detach(list);
  for (CSmartLoop* c : cs) c->InitBuffer();
  for (size_t i = 0; i < cs.size(); ++i)
    for (size_t k = i + 1; k < cs.size(); ++k)
      if (cs[i]->kind != cs[k]->kind) cs[i]->ContourContourInt(cs[k]);
  return cs;
}

std::vector<CSmartCurve*> Break(const CSmartLoop* c) {
  std::vector<CSmartCurve*> v;
  for (CSmartCurve* p = c->ContourBreak(); p;) {
    CSmartCurve* n = p->next;
    p->next = nullptr;
    v.push_back(p);
    p = n;
  }
  return v;
}

double Len2(const double a[2], const double b[2]) {
  return (a[0] - b[0]) * (a[0] - b[0]) + (a[1] - b[1]) * (a[1] - b[1]);
}

}  // namespace

int CSmartLoop::LoopLoopInt(CSmartLoop* other) {
  if (!curve || !other || !other->curve || !LoopBoxesMeet(this, other, 0.0001)) return 0;
  int found = 0;
  for (CSmartSect* a = curve->head; a; a = a->next) {
    for (CSmartSect* b = other->curve->head; b; b = b->next) {
      if (BoxesMeet(a->box, b->box, 0.0001) && acCutSects(a, b, nullptr)) found = 1;
    }
  }
  return found;
}

int CSmartLoop::ContourContourInt(CSmartLoop* other) {
  for (CSmartLoop* a = this; a; a = (a == this ? islands : a->next))
    for (CSmartLoop* b = other; b; b = (b == other ? other->islands : b->next)) a->LoopLoopInt(b);
  return 1;
}

int CSmartLoop::IsOnContour(const CSmartLoop* contour, const double p[2]) {
  if (!contour) return 0;
  if (contour->area > 0.0) {
    const int r = contour->IsPointIn(p);
    if (r != 1) return r;
  }
  for (CSmartLoop* i = contour->islands; i; i = i->next) {
    const int r = i->IsPointIn(p);
    if (r == 2) return 2;
    if (r == 1) return 0;
  }
  return 1;
}

CSmartCurve* CSmartLoop::ContourBreak() const {
  CSmartCurve* head = nullptr;
  CSmartCurve* tail = nullptr;
  for (const CSmartLoop* l = this; l; l = (l == this ? islands : l->next)) {
    if (!l->curve) continue;
    CSmartCurve* c = l->curve->SplitIntoCurves();
    if (!c) continue;
    if (tail) tail->next = c;
    else head = c;
    tail = c;
    while (tail->next) tail = tail->next;
  }
  return head;
}

CSmartLoop* CSmartLoop::WeldContours(CSmartLoop* list) {
  if (!list) return nullptr;
  if (!list->next) return list;
  std::vector<CSmartLoop*> cs = DetachAndCutByKind(list);
  std::vector<CSmartCurve*> kept;
  for (size_t i = 0; i < cs.size(); ++i) {
    for (CSmartCurve* p : Break(cs[i])) {
      double mid[2];
      p->PointAtFraction(0.5, mid);
      bool inOther = false;
      for (size_t k = 0; k < cs.size() && !inOther; ++k)
        if (k != i && IsOnContour(cs[k], mid)) inOther = true;
      if (inOther) delete p;
      else kept.push_back(p);
    }
  }
  for (CSmartLoop* c : cs) delete c;
  return Assemble(kept);
}

CSmartLoop* CSmartLoop::IntersectLoop(CSmartLoop* list) {
  if (!list) return nullptr;
  std::vector<CSmartLoop*> cs = DetachAndCutByKind(list);
  std::vector<int32_t> kinds;
  for (CSmartLoop* c : cs)
    if (std::find(kinds.begin(), kinds.end(), c->kind) == kinds.end()) kinds.push_back(c->kind);
  std::vector<CSmartCurve*> kept;
  for (size_t i = 0; i < cs.size(); ++i) {
    for (CSmartCurve* p : Break(cs[i])) {
      double mid[2];
      p->PointAtFraction(0.5, mid);
      bool survives = true;
      for (int32_t k : kinds) {
        if (k == cs[i]->kind) continue;
        bool inKind = false;
        for (size_t j = 0; j < cs.size() && !inKind; ++j)
          if (cs[j]->kind == k && IsOnContour(cs[j], mid)) inKind = true;
        if (!inKind) {
          survives = false;
          break;
        }
      }
      if (survives) kept.push_back(p);
      else delete p;
    }
  }
  for (CSmartLoop* c : cs) delete c;
  return Assemble(kept);
}

namespace {

// 1 when a piece lies in some contour of the list; a mid point on a boundary is decided by
// the piece's section mid points.
bool PieceInside(const CSmartCurve* p, const std::vector<CSmartLoop*>& others) {
  double mid[2];
  p->PointAtFraction(0.5, mid);
  for (CSmartLoop* c : others) {
    int r = CSmartLoop::IsOnContour(c, mid);
    for (CSmartSect* s = p->head; r == 2 && s; s = s->next) {
      double q[2];
      s->EvPoint(0.5, q);
      r = CSmartLoop::IsOnContour(c, q);
    }
    if (r == 1) return true;
  }
  return false;
}

}  // namespace

CSmartLoop* CSmartLoop::SubtractContours(CSmartLoop* a, CSmartLoop* b) {
  if (!a) {
    acDeleteLoopList(b);
    return nullptr;
  }
  if (!b) return a;
  std::vector<CSmartLoop*> as = Detach(a), bs = Detach(b);
  for (CSmartLoop* c : as) c->InitBuffer();
  for (CSmartLoop* c : bs) c->InitBuffer();
  for (CSmartLoop* x : as)
    for (CSmartLoop* y : bs) x->ContourContourInt(y);
  std::vector<CSmartCurve*> kept;
  for (CSmartLoop* x : as)
    for (CSmartCurve* p : Break(x)) {
      if (PieceInside(p, bs)) delete p;
      else kept.push_back(p);
    }
  for (CSmartLoop* y : bs)
    for (CSmartCurve* p : Break(y)) {
      if (PieceInside(p, as)) {
        p->ReverseCurve();
        kept.push_back(p);
      } else {
        delete p;
      }
    }
  for (CSmartLoop* c : as) delete c;
  for (CSmartLoop* c : bs) delete c;
  return Assemble(kept);
}

CSmartLoop* CSmartLoop::ClipLoops(CSmartLoop* list) {
  std::vector<CSmartLoop*> ls = Detach(list);
  for (CSmartLoop* l : ls) {
    l->state &= ~kLoopCrossed;
    for (CSmartLoop* x = l; x; x = (x == l ? l->islands : x->next))
      if (x->curve)
        for (CSmartSect* s = x->curve->head; s; s = s->next) {
          s->ClearCutPoints();
          s->flags &= 0xF0;
        }
  }
  for (size_t i = 0; i < ls.size(); ++i)
    for (size_t k = i + 1; k < ls.size(); ++k)
      if (ls[i]->kind != ls[k]->kind && ls[i]->LoopLoopInt(ls[k])) {
        ls[i]->state |= kLoopCrossed;
        ls[k]->state |= kLoopCrossed;
      }
  CSmartCurve chain;
  std::vector<CSmartLoop*> loops;
  for (CSmartLoop* l : ls) {
    if (!(l->state & kLoopCrossed)) {
      loops.push_back(l);
      continue;
    }
    if (l->curve) {
      CSmartCurve* c = l->curve;
      l->curve = nullptr;
      CSmartCurve::MoveSects(c, &chain);
    }
    delete l;
  }
  chain.SplitAtCuts();
  for (CSmartLoop* l : Detach(chain.ChainLoops())) loops.push_back(l);
  std::vector<CSmartLoop*> unplaced;
  std::vector<CSmartLoop*> result = Nest(loops, true, &unplaced);
  for (CSmartLoop* neg : unplaced) {
    for (auto it = result.begin(); it != result.end();) {
      if (neg->IsLoopOn(*it)) {
        delete *it;
        it = result.erase(it);
      } else {
        ++it;
      }
    }
    delete neg;
  }
  return Link(result);
}

CSmartLoop* CSmartLoop::SortByDist(CSmartLoop* list) {
  std::vector<CSmartLoop*> v = Detach(list);
  return SortByDist(v.data(), static_cast<int>(v.size()));
}

CSmartLoop* CSmartLoop::SortByDist(CSmartLoop** array, int count) {
  if (!array || count <= 0) return nullptr;
  std::vector<CSmartLoop*> loops(array, array + count);
  if (count < 3) return Link(loops);
  std::vector<std::array<double, 2>> pt(count);
  for (int i = 0; i < count; ++i) {
    pt[i] = {0.0, 0.0};
    if (loops[i]->curve) loops[i]->curve->PointAtFraction(0.0, pt[i].data());
  }
  std::vector<double> dist(static_cast<size_t>(count) * count);
  for (int i = 0; i < count; ++i)
    for (int k = 0; k < count; ++k) dist[i * count + k] = std::sqrt(Len2(pt[i].data(), pt[k].data()));
  std::vector<std::deque<int>> chains;
  for (int i = 0; i < count; ++i) chains.push_back({i});
  // 2-opt on one chain: reverse the stretch between two properly crossing segments.
  auto untangle = [&](std::deque<int>& c) {
    const int n = static_cast<int>(c.size());
    for (int guard = 0; guard < 4 * n * n; ++guard) {
      bool changed = false;
      for (int i = 0; i + 1 < n && !changed; ++i) {
        for (int k = i + 2; k + 1 < n && !changed; ++k) {
          const double* a0 = pt[c[i]].data();
          const double* a1 = pt[c[i + 1]].data();
          const double* b0 = pt[c[k]].data();
          const double* b1 = pt[c[k + 1]].data();
          if (P2D_AbsDist(a0, b0) < 0.001) continue;
          double x[2][2];
          if (acSegSegInt(a0, a1, b0, b1, x) != 1) continue;
          if (P2D_Dist(x[0], a0) <= 0.001 || P2D_Dist(x[0], a1) <= 0.001 ||
              P2D_Dist(x[0], b0) <= 0.001 || P2D_Dist(x[0], b1) <= 0.001)
            continue;
          std::reverse(c.begin() + i + 1, c.begin() + k + 1);
          changed = true;
        }
      }
      if (!changed) break;
    }
  };
  while (chains.size() > 1) {
    double best = 1e300;
    size_t bi = 0, bk = 1;
    int ends = 0;  // bit 0: a's end (else start), bit 1: b's end
    for (size_t i = 0; i < chains.size(); ++i)
      for (size_t k = i + 1; k < chains.size(); ++k) {
        const int ai[2] = {chains[i].front(), chains[i].back()};
        const int bk2[2] = {chains[k].front(), chains[k].back()};
        for (int ea = 0; ea < 2; ++ea)
          for (int eb = 0; eb < 2; ++eb) {
            const double d = dist[ai[ea] * count + bk2[eb]];
            if (d < best) {
              best = d;
              bi = i;
              bk = k;
              ends = ea | (eb << 1);
            }
          }
      }
    std::deque<int> a = chains[bi], b = chains[bk];
    if (!(ends & 1)) std::reverse(a.begin(), a.end());  // touch at a's end
    if (ends & 2) std::reverse(b.begin(), b.end());     // b continues from its start
    for (int x : b) a.push_back(x);
    untangle(a);
    chains.erase(chains.begin() + bk);
    chains[bi] = std::move(a);
  }
  std::deque<int>& c = chains[0];
  if (pt[c.back()][0] < pt[c.front()][0]) std::reverse(c.begin(), c.end());
  std::vector<CSmartLoop*> out;
  for (int i : c) out.push_back(loops[i]);
  return Link(out);
}

void CSmartLoop::ResortIsland(CSmartLoop** array) {
  if (!islands) return;
  islands = SortByDist(islands);
  for (CSmartLoop* i = islands; i; i = i->next) {
    i->parent = this;
    i->ResortIsland(array);
  }
}

CSmartLoop* CSmartLoop::ResortContour(CSmartLoop* list, int type, int nestInOuter) {
  if (!list) return nullptr;
  if (type == 0) {
    CSmartLoop* r = SortByDist(list);
    if (!nestInOuter)
      for (CSmartLoop* l = r; l; l = l->next) {
        l->islands = SortByDist(l->islands);
        for (CSmartLoop* i = l->islands; i; i = i->next) i->parent = l;
      }
    return r;
  }
  std::vector<CSmartLoop*> v = Detach(list);
  std::stable_sort(v.begin(), v.end(), [](const CSmartLoop* a, const CSmartLoop* b) {
    return std::fabs(a->area) < std::fabs(b->area);
  });
  if (type == 3) return Link(v);
  if (type == 4) {
    std::reverse(v.begin(), v.end());
    return Link(v);
  }
  std::vector<CSmartLoop*> top;
  for (size_t i = 0; i < v.size(); ++i) {
    CSmartLoop* l = v[i];
    double p[2] = {0.0, 0.0};
    if (l->curve && l->curve->head) l->curve->head->EvPoint(0.5, p);
    CSmartLoop* host = nullptr;
    for (size_t k = i + 1; k < v.size() && !host; ++k) {
      for (CSmartLoop* isl = v[k]->islands; isl && !host; isl = isl->next)
        if (isl->IsPointIn(p)) host = isl;
      if (!host && nestInOuter && v[k]->IsPointIn(p)) host = v[k];
    }
    if (host) host->AddIsland(l);
    else top.push_back(l);
  }
  for (CSmartLoop* l : top) l->ResortIsland(nullptr);
  CSmartLoop* r = top.size() > 1 ? SortByDist(Link(top)) : Link(top);
  CSmartLoop root;
  root.area = -1.0;
  root.islands = r;
  std::vector<CSmartLoop*> flat = Detach(root.ExtractContour(nestInOuter));
  if (type == 2) std::reverse(flat.begin(), flat.end());
  return Link(flat);
}

CSmartLoop* CSmartLoop::ExtractContour(int flattenAll) {
  std::vector<CSmartLoop*> isl = Detach(islands);
  islands = nullptr;
  std::vector<CSmartLoop*> collected;
  auto returnsSelf = [flattenAll](const CSmartLoop* l) {
    return l->curve && (flattenAll || l->area > 0.0);
  };
  for (CSmartLoop* i : isl)
    for (CSmartLoop* x : Detach(i->ExtractContour(flattenAll))) collected.push_back(x);
  const bool dropIslands = area < 0.0 || flattenAll;
  if (dropIslands) {
    // Islands that did not come back as contours of their own have nowhere left to live.
    for (CSmartLoop* i : isl)
      if (!returnsSelf(i)) delete i;
  } else {
    for (CSmartLoop* i : isl)
      if (!returnsSelf(i)) AddIsland(i);
  }
  if (returnsSelf(this)) collected.push_back(this);
  return Link(collected);
}
