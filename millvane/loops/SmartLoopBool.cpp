// Loop booleans (cut at mutual crossings, keep pieces by a mid-point test, re-chain) and the
// ordering of loops for machining.
#include <algorithm>
#include <array>
#include <cmath>
#include <deque>
#include <functional>
#include <iterator>
#include <optional>
#include <queue>
#include <vector>

#include "millvane/loops/BoxPairs.h"
#include "millvane/loops/ChainGrids.h"
#include "millvane/loops/LoopPairs.h"
#include "millvane/loops/LoopPointIndex.h"
#include "millvane/loops/SmartLoop.h"
#include "platform/numora/Point2d.h"

namespace {

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
  // IsLoopOn first asks whether the middle of the candidate's first section lies in the loop,
  // which is "no" outside the loop's box grown by IsPointIn's margin: one search pairs each
  // loop with the candidates that pass that test, in ascending order.
  std::vector<std::array<double, 4>> mids, grown;
  std::vector<int> midOf, grownOf;
  for (size_t k = 0; k < loops.size(); ++k) {
    const CSmartLoop* l = loops[k];
    if (!l->curve) continue;
    const double* b = l->box;
    if (l->area >= 0.0) {
      grown.push_back({b[0] - 0.01, b[1] - 0.01, b[3] + 0.01, b[4] + 0.01});
      grownOf.push_back(static_cast<int>(k));
    }
    double q[2];
    if (l->area <= 0.0 && l->curve->head) {
      l->curve->head->EvPoint(0.5, q);
      mids.push_back({q[0], q[1], q[0], q[1]});
      midOf.push_back(static_cast<int>(k));
    }
  }
  std::vector<const double*> mp, gp;
  for (const auto& m : mids) mp.push_back(m.data());
  for (const auto& g : grown) gp.push_back(g.data());
  std::vector<std::vector<int>> candidates(loops.size());
  for (const auto& [m, g] : acMeetingBoxPairs(mp, gp, 0.0))
    candidates[size_t(grownOf[size_t(g)])].push_back(midOf[size_t(m)]);

  std::vector<bool> placed(loops.size(), false);
  std::vector<CSmartLoop*> result;
  for (size_t i = 0; i < loops.size(); ++i) {
    CSmartLoop* o = loops[i];
    if (o->area < 0.0) continue;
    // A large loop, or one that may take many islands, answers their tests through an index.
    std::optional<CLoopPointIndex> index;
    const bool indexed = o->curve && (o->curve->count >= 256 || candidates[i].size() >= 64);
    // Islands are appended at an end kept here: AddIsland would walk the list each time.
    CLoopListEnd isl;
    isl.Append(o->islands);
    for (int kk : candidates[i]) {
      const size_t k = size_t(kk);
      CSmartLoop* h = loops[k];
      if (placed[k] || k == i || h->area > 0.0) continue;
      if (needBoxOverlap && !LoopBoxesMeet(o, h, 0.0)) continue;
      if (!index && indexed) index.emplace(o, candidates[i].size());
      if (!(index && index->Usable() ? index->IsLoopOn(h) : o->IsLoopOn(h))) continue;
      placed[k] = true;
      isl.Append(h);
      o->islands = isl.head;
      h->parent = o;
      if (index && index->Usable()) index->NoteIsland(h);
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
  // As ContourContourInt for each pair of contours in list order, but only the loop pairs whose
  // boxes may meet are tried (LoopLoopInt does nothing for the others), in the same order.
  std::vector<CSmartLoop*> loops;
  std::vector<int> contourOf;
  std::vector<std::array<double, 4>> boxes;
  for (size_t c = 0; c < cs.size(); ++c)
    for (CSmartLoop* l = cs[c]; l; l = (l == cs[c] ? cs[c]->islands : l->next)) {
      loops.push_back(l);
      contourOf.push_back(static_cast<int>(c));
      boxes.push_back({l->box[0], l->box[1], l->box[3], l->box[4]});
    }
  std::vector<const double*> bp;
  for (const auto& b : boxes) bp.push_back(b.data());
  std::vector<std::pair<int, int>> pairs;
  for (const auto& [i, k] : acMeetingBoxPairs(bp, 0.0002)) {
    const int ci = contourOf[size_t(i)], ck = contourOf[size_t(k)];
    if (ci != ck && cs[size_t(ci)]->kind != cs[size_t(ck)]->kind) pairs.emplace_back(i, k);
  }
  std::stable_sort(pairs.begin(), pairs.end(), [&](const auto& x, const auto& y) {
    return std::pair(contourOf[size_t(x.first)], contourOf[size_t(x.second)]) <
           std::pair(contourOf[size_t(y.first)], contourOf[size_t(y.second)]);
  });
  for (const auto& [i, k] : pairs) loops[size_t(i)]->LoopLoopInt(loops[size_t(k)]);
  return cs;
}

// Where a piece lies against a contour: 0 outside, 1 inside, 2 along its boundary the same
// way, 3 along it the opposite way. A mid point on the boundary is decided by the piece's
// section mid points; when all of them are on it too, the piece runs along the boundary.
int PieceVs(const CSmartCurve* p, const CSmartLoop* c) {
  double q[2];
  p->PointAtFraction(0.5, q);
  int r = CSmartLoop::IsOnContour(c, q);
  for (CSmartSect* s = p->head; r == 2 && s; s = s->next) {
    s->EvPoint(0.5, q);
    r = CSmartLoop::IsOnContour(c, q);
  }
  if (r != 2) return r;
  double t[2], best = 1e300, bt[2] = {0, 0}, foot[2];
  p->head->EvTangent(0.5, t);
  p->head->EvPoint(0.5, q);
  for (const CSmartLoop* l = c; l; l = (l == c ? c->islands : l->next)) {
    if (!l->curve) continue;
    for (CSmartSect* s = l->curve->head; s; s = s->next) {
      const double d = s->NearestPoint(q, foot);
      if (d < best) {
        best = d;
        s->EvTangent(s->ParamOf(foot), bt);
      }
    }
  }
  return t[0] * bt[0] + t[1] * bt[1] > 0.0 ? 2 : 3;
}

// For each piece (contour by contour, in order), the contours PieceVs may find it in or on: a
// contour of positive area only when the piece's middle lies in its box (grown by IsPointIn's
// margin, outside which it answers "outside"); one of other area always. Ascending.
std::vector<std::vector<int>> ContoursNearPieces(const std::vector<CSmartLoop*>& cs,
                                                 const std::vector<std::vector<CSmartCurve*>>& pieces) {
  std::vector<int> always, all;
  std::vector<std::array<double, 4>> grown;
  std::vector<int> grownIndex;
  for (size_t k = 0; k < cs.size(); ++k) {
    all.push_back(static_cast<int>(k));
    const double* b = cs[k]->box;
    if (cs[k]->area > 0.0) {
      grown.push_back({b[0] - 0.01, b[1] - 0.01, b[3] + 0.01, b[4] + 0.01});
      grownIndex.push_back(static_cast<int>(k));
    } else {
      always.push_back(static_cast<int>(k));
    }
  }
  std::vector<std::array<double, 4>> mid;
  std::vector<std::vector<int>> near;
  for (const auto& ps : pieces)
    for (const CSmartCurve* p : ps) {
      double q[2];
      if (p->head && p->PointAtFraction(0.5, q)) {
        mid.push_back({q[0], q[1], q[0], q[1]});
        near.push_back(always);
      } else {
        mid.push_back({NAN, NAN, NAN, NAN});  // meets no box: every contour is asked
        near.push_back(all);
      }
    }
  std::vector<const double*> mp, gp;
  for (const auto& m : mid) mp.push_back(m.data());
  for (const auto& g : grown) gp.push_back(g.data());
  for (const auto& [p, k] : acMeetingBoxPairs(mp, gp, 0.0)) near[size_t(p)].push_back(grownIndex[size_t(k)]);
  for (auto& v : near) std::sort(v.begin(), v.end());
  return near;
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

}  // namespace

int CSmartLoop::LoopLoopInt(CSmartLoop* other) {
  if (!curve || !other || !other->curve || !LoopBoxesMeet(this, other, 0.0001)) return 0;
  std::vector<CSmartSect*> as, bs;
  std::vector<const double*> ab, bb;
  for (CSmartSect* a = curve->head; a; a = a->next) {
    as.push_back(a);
    ab.push_back(a->box);
  }
  for (CSmartSect* b = other->curve->head; b; b = b->next) {
    bs.push_back(b);
    bb.push_back(b->box);
  }
  int found = 0;
  for (const auto& [i, k] : acMeetingBoxPairs(ab, bb, 0.0001))
    if (acCutSects(as[i], bs[k], nullptr)) found = 1;
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
  std::vector<std::vector<CSmartCurve*>> pieces(cs.size());
  for (size_t i = 0; i < cs.size(); ++i) pieces[i] = Break(cs[i]);
  const std::vector<std::vector<int>> near = ContoursNearPieces(cs, pieces);
  std::vector<CSmartCurve*> kept;
  size_t at = 0;
  for (size_t i = 0; i < cs.size(); ++i) {
    for (CSmartCurve* p : pieces[i]) {
      // Inside another contour, or along its boundary: of a shared stretch running the same
      // way one copy stays (the first contour's); running opposite ways it is interior.
      bool drop = false;
      for (int kk : near[at++]) {
        const size_t k = size_t(kk);
        if (k == i) continue;
        const int r = PieceVs(p, cs[k]);
        drop = r == 1 || r == 3 || (r == 2 && k < i);
        if (drop) break;
      }
      if (drop) delete p;
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
      bool survives = true;
      for (int32_t k : kinds) {
        if (k == cs[i]->kind) continue;
        bool inKind = false;
        for (size_t j = 0; j < cs.size() && !inKind; ++j) {
          if (cs[j]->kind != k) continue;
          const int r = PieceVs(p, cs[j]);
          inKind = r == 1 || (r == 2 && j > i);  // one copy of a shared stretch
        }
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
      // Inside the subtrahend, or along its boundary the same way (it is taken away too).
      bool drop = false;
      for (size_t k = 0; k < bs.size() && !drop; ++k) {
        const int r = PieceVs(p, bs[k]);
        drop = r == 1 || r == 2;
      }
      if (drop) delete p;
      else kept.push_back(p);
    }
  for (CSmartLoop* y : bs)
    for (CSmartCurve* p : Break(y)) {
      bool inside = false;
      for (size_t k = 0; k < as.size() && !inside; ++k) inside = PieceVs(p, as[k]) == 1;
      if (inside) {
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
  // Every pair of different kinds cut at its crossings, in one search over all sections.
  for (const auto& [i, k] : acCrossingLoopPairs(
           ls, [&ls](int a, int b) { return ls[size_t(a)]->kind != ls[size_t(b)]->kind; }, true)) {
    ls[size_t(i)]->state |= kLoopCrossed;
    ls[size_t(k)]->state |= kLoopCrossed;
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
  // Joining the two chains whose nearest ends are closest, over and over, takes the point
  // pairs in ascending distance (ties by index) and keeps each that links ends of two chains.
  // A pair only ever stops qualifying, so a queue holding for every chain end its best pair
  // when it was last looked at is enough: a stale entry is looked at again when it comes up.
  std::vector<int> chainOf(count), degree(count, 0);
  std::vector<std::deque<int>> chains(count);
  for (int i = 0; i < count; ++i) {
    chainOf[i] = i;
    chains[i] = {i};
  }
  // A crossing of two segments of a chain is undone by reversing the stretch between them
  // (2-opt). Candidates come from a grid of the chains' segments; pos gives each point's place
  // in its chain; of the segments crossing segment s, the first in chain order is taken.
  auto crossAt = [&](const std::deque<int>& c, int i, int k) {
    const double* a0 = pt[c[i]].data();
    const double* a1 = pt[c[i + 1]].data();
    const double* b0 = pt[c[k]].data();
    const double* b1 = pt[c[k + 1]].data();
    if (P2D_AbsDist(a0, b0) < 0.001) return false;
    double x[2][2];
    if (acSegSegInt(a0, a1, b0, b1, x) != 1) return false;
    return P2D_Dist(x[0], a0) > 0.001 && P2D_Dist(x[0], a1) > 0.001 && P2D_Dist(x[0], b0) > 0.001 &&
           P2D_Dist(x[0], b1) > 0.001;
  };
  std::vector<int> pos(count, 0);
  CSegGrid segs(pt);
  std::vector<std::pair<int, int>> near;
  std::vector<int> order;
  auto firstCross = [&](const std::deque<int>& c, int s, int chain) {
    segs.Near(c[s], c[s + 1], near);
    order.clear();
    for (const auto& [p, q] : near) {
      if (chainOf[p] != chain) continue;
      const int o = std::min(pos[p], pos[q]);
      if (std::abs(o - s) >= 2) order.push_back(o);
    }
    std::sort(order.begin(), order.end());
    for (int o : order)
      if (crossAt(c, std::min(s, o), std::max(s, o))) return o;
    return -1;
  };
  auto flip = [&](std::deque<int>& c, int i, int k) {
    segs.Remove(c[i], c[i + 1]);
    segs.Remove(c[k], c[k + 1]);
    std::reverse(c.begin() + i + 1, c.begin() + k + 1);
    for (int x = i + 1; x <= k; ++x) pos[c[x]] = x;
    segs.Add(c[i], c[i + 1]);
    segs.Add(c[k], c[k + 1]);
  };
  // First the joining segment and the segments each reversal makes, by place; then the
  // segments in check (point pairs: the smaller joined chain's, and every one a reversal made)
  // until none of them crosses another. Each chain was free of crossings before the join, so
  // any crossing left involves one of them.
  auto untangle = [&](std::deque<int>& c, int fresh, int chain, std::vector<std::pair<int, int>>& check) {
    const int n = static_cast<int>(c.size());
    const long limit = 4L * n * n;
    long guard = 0;
    std::vector<int> work = {fresh};
    for (; !work.empty() && guard < limit; ++guard) {
      const int s = work.back();
      work.pop_back();
      const int o = firstCross(c, s, chain);
      if (o < 0) continue;
      const int i = std::min(s, o), k = std::max(s, o);
      flip(c, i, k);
      work.push_back(i);
      work.push_back(k);
      check.push_back({c[i], c[i + 1]});
      check.push_back({c[k], c[k + 1]});
    }
    for (; !check.empty() && guard < limit; ++guard) {
      const auto [u, v] = check.back();
      check.pop_back();
      if (std::abs(pos[u] - pos[v]) != 1) continue;  // no longer a segment
      const int s = std::min(pos[u], pos[v]);
      const int o = firstCross(c, s, chain);
      if (o < 0) continue;
      const int i = std::min(s, o), k = std::max(s, o);
      flip(c, i, k);
      check.push_back({c[i], c[i + 1]});
      check.push_back({c[k], c[k + 1]});
    }
  };
  std::vector<std::pair<int, int>> check;
  struct Entry {
    double d;
    int lo, hi, owner;
    bool operator>(const Entry& o) const {
      if (d != o.d) return d > o.d;
      if (lo != o.lo) return lo > o.lo;
      return hi > o.hi;
    }
  };
  std::priority_queue<Entry, std::vector<Entry>, std::greater<Entry>> queue;
  CEndGrid grid(pt);
  auto offer = [&](int i) {
    double d;
    const int k = grid.Nearest(i, [&](int x) { return chainOf[x] != chainOf[i]; }, d);
    if (k >= 0) queue.push({d, std::min(i, k), std::max(i, k), i});
  };
  for (int i = 0; i < count; ++i) offer(i);
  int left = count;
  while (left > 1 && !queue.empty()) {
    const Entry e = queue.top();
    queue.pop();
    const int i = e.lo, k = e.hi;
    if (degree[e.owner] > 1) continue;  // no longer a chain end
    if (degree[i] > 1 || degree[k] > 1 || chainOf[i] == chainOf[k]) {
      offer(e.owner);
      continue;
    }
    std::deque<int> a = std::move(chains[chainOf[i]]), b = std::move(chains[chainOf[k]]);
    const int gone = chainOf[k], kept = chainOf[i];
    check.clear();
    const std::deque<int>& smaller = a.size() < b.size() ? a : b;
    for (size_t x = 0; x + 1 < smaller.size(); ++x) check.push_back({smaller[x], smaller[x + 1]});
    if (a.back() != i) {
      std::reverse(a.begin(), a.end());
      for (int x = 0; x < static_cast<int>(a.size()); ++x) pos[a[x]] = x;
    }
    if (b.front() != k) std::reverse(b.begin(), b.end());
    const int link = static_cast<int>(a.size()) - 1;
    for (int x : b) {
      pos[x] = static_cast<int>(a.size());
      a.push_back(x);
      chainOf[x] = kept;
    }
    for (int x : {i, k})
      if (++degree[x] == 2) grid.Remove(x);
    segs.Add(i, k);
    untangle(a, link, kept, check);
    chains[kept] = std::move(a);
    chains[gone].clear();
    --left;
    if (degree[e.owner] < 2) offer(e.owner);
  }
  std::deque<int>& c = chains[chainOf[0]];
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
