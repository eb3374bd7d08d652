// Loop offsets: section offsets joined by the corner rules, cut at self-crossings and
// re-chained, then filtered; contour offsets combine them with the loop booleans.
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <vector>

#include "millvane/loops/BoxGrid.h"
#include "millvane/loops/SmartLoop.h"
#include "platform/numora/Math.h"
#include "platform/numora/Point2d.h"

namespace {

// Whole line or circle of a section crossed with another's.
int WholeInt(const CSmartSect* a, const CSmartSect* b, double out[2][2]) {
  if (a->IsLine() && b->IsLine()) {
    const auto* la = static_cast<const CSmartLine*>(a);
    const auto* lb = static_cast<const CSmartLine*>(b);
    return acLineLineInt(la->start, la->end, lb->start, lb->end, out[0]);
  }
  if (a->IsLine() || b->IsLine()) {
    const auto* l = static_cast<const CSmartLine*>(a->IsLine() ? a : b);
    const auto* c = static_cast<const CSmartArc*>(a->IsLine() ? b : a);
    return acLineCircleInt(c->radius, c->centre, l->start, l->end, out);
  }
  const auto* ca = static_cast<const CSmartArc*>(a);
  const auto* cb = static_cast<const CSmartArc*>(b);
  return acCircleCircleInt(ca->radius, cb->radius, ca->centre, cb->centre, out);
}

// Joint between the offsets of s and its successor n. May move the offsets' ends; returns a
// new joint section or null.
CSmartSect* Corner(CSmartSect* s, CSmartSect* n, const QNC_CornerType& corner, double d) {
  const double a1 = corner.angle1 * 0.01745329251994;
  const double a2 = corner.angle2 * 0.01745329251994;
  double na[2], nb[2];
  s->EvNormal(1.0, na);
  n->EvNormal(0.0, nb);
  CSmartSect* S = s->offsetCopy;
  CSmartSect* N = n->offsetCopy;
  if (!S || !N) {
    double p[2];
    s->EvPoint(1.0, p);
    const double g0[2] = {p[0] + d * na[0], p[1] + d * na[1]};
    const double g1[2] = {p[0] + d * nb[0], p[1] + d * nb[1]};
    if (P2D_AbsDist(g0, g1) < 1e-6) return nullptr;
    return CSmartArc::FromTwoPoints(g0, g1, d);
  }
  double f = CMath::ACos(na[0] * nb[0] + na[1] * nb[1]);
  if (f == 0.0) return nullptr;
  if (f < 0.01 && s != n && (s->IsArc() || n->IsArc())) {
    // Nearly tangent: close the joint by moving ends.
    double se[2], ns[2];
    S->EndPoint(se);
    N->StartPoint(ns);
    if (N->IsLine()) {
      N->SetEndAt(0, se, 1);
    } else if (S->IsLine()) {
      S->SetEndAt(1, ns, 1);
    } else {
      double pts[2][2];
      const int m = WholeInt(S, N, pts);
      if (m == 2) {
        const int k = P2D_Dist(pts[0], se) <= P2D_Dist(pts[1], se) ? 0 : 1;
        S->SetEndAt(1, pts[k], 1);
      } else if (m == 1) {
        S->SetEndAt(1, pts[0], 1);
      }
      S->EndPoint(se);
      N->SetEndAt(0, se, 1);
    }
    return nullptr;
  }
  double e = na[1] * nb[0] - na[0] * nb[1];
  if (std::fabs(e) < 0.00001 && s->IsArc() && n->IsArc()) {
    double ma[2], mb[2];
    s->EvNormal(0.9, ma);
    n->EvNormal(0.1, mb);
    e = ma[1] * mb[0] - ma[0] * mb[1];
  }
  if (e < 0.0) f = -f;  // positive: right turn, the offsets leave a gap

  if (!(corner.kind == 4 && f > 0.05)) {
    const bool sharp = f < a2 || (f < a1 && corner.kind == 0) || corner.kind == 3;
    if (sharp) {
      double pts[2][2];
      const int m = WholeInt(S, N, pts);
      int best = -1;
      double bestU = 0.0;
      for (int i = 0; i < m; ++i) {
        const double u = S->ParamOf(pts[i]), v = N->ParamOf(pts[i]);
        const bool ok = f > 0.0 ? (u > 1.0 && v < 0.0) : (u > 0.01 && u < 1.0 && v > 0.0 && v < 0.99);
        if (!ok) continue;
        if (best < 0 || (f > 0.0 ? u < bestU : u > bestU)) {
          best = i;
          bestU = u;
        }
      }
      if (best >= 0) {
        S->SetEndAt(1, pts[best], 1);
        N->SetEndAt(0, pts[best], 1);
        return nullptr;
      }
    } else if (s->IsLine() && n->IsLine() && corner.kind == 1) {
      const double c = d * std::tan(f / 4.0);
      double se[2], ns[2], ts[2], tn[2];
      S->EndPoint(se);
      N->StartPoint(ns);
      S->EvTangent(1.0, ts);
      N->EvTangent(0.0, tn);
      const double p[2] = {se[0] + c * ts[0], se[1] + c * ts[1]};
      const double q[2] = {ns[0] - c * tn[0], ns[1] - c * tn[1]};
      S->SetEndAt(1, p, 1);
      N->SetEndAt(0, q, 1);
      return new CSmartLine(p, q);
    }
    if (f < 0.001) {
      // Overlaps are cut away with the self-crossings; but offsets that were trimmed past each
      // other neither meet nor cross, and the gap would lose the whole loop: bridge it.
      double se[2], ns[2], x[2][2];
      S->EndPoint(se);
      N->StartPoint(ns);
      if (f < 0.0 && P2D_AbsDist(se, ns) > 1e-6 && acSectSectInt(S, N, x) == 0)
        return new CSmartLine(se, ns);
      return nullptr;
    }
  }
  double se[2], ns[2];
  S->EndPoint(se);
  N->StartPoint(ns);
  return CSmartArc::FromTwoPoints(se, ns, d);
}

// The source loop's sections filed in a grid by a box that holds every point NearestPoint can
// return for them (a line's end points, an arc's whole circle), so that the question "is some
// section nearer than d - 0.001 to p" reads only the cells around p.
class SourceGrid {
 public:
  explicit SourceGrid(const CSmartCurve* c) {
    double lo[2] = {1e300, 1e300}, hi[2] = {-1e300, -1e300};
    for (const CSmartSect* s = c->head; s; s = s->next) {
      Boxed b{s, {}};
      if (s->IsLine()) {
        const auto* l = static_cast<const CSmartLine*>(s);
        b.box[0] = std::min(l->start[0], l->end[0]);
        b.box[1] = std::min(l->start[1], l->end[1]);
        b.box[2] = std::max(l->start[0], l->end[0]);
        b.box[3] = std::max(l->start[1], l->end[1]);
      } else {
        const auto* a = static_cast<const CSmartArc*>(s);
        const double r = std::fabs(a->radius);
        b.box[0] = a->centre[0] - r;
        b.box[1] = a->centre[1] - r;
        b.box[2] = a->centre[0] + r;
        b.box[3] = a->centre[1] + r;
      }
      // A box that is not finite cannot be filed; it is read by every question.
      if (!std::isfinite(b.box[0] + b.box[1] + b.box[2] + b.box[3])) {
        aside_.push_back(static_cast<int>(sects_.size()));
      } else {
        lo[0] = std::min(lo[0], b.box[0]);
        lo[1] = std::min(lo[1], b.box[1]);
        hi[0] = std::max(hi[0], b.box[2]);
        hi[1] = std::max(hi[1], b.box[3]);
      }
      sects_.push_back(b);
    }
    seen_.assign(sects_.size(), 0);
    const size_t filed = sects_.size() - aside_.size();
    if (filed == 0) return;
    // About one section per cell along a typical chain; a section spanning many cells is
    // filed in each of them, up to a limit past which it is read by every question too.
    dim_ = std::clamp(static_cast<int>(std::sqrt(double(filed))), 1, 1024);
    origin_[0] = lo[0];
    origin_[1] = lo[1];
    cell_ = std::max({(hi[0] - lo[0]) / dim_, (hi[1] - lo[1]) / dim_, 1e-9});
    cells_.assign(size_t(dim_) * dim_, {});
    for (int i = 0; i < static_cast<int>(sects_.size()); ++i) {
      const double* b = sects_[i].box;
      if (!std::isfinite(b[0] + b[1] + b[2] + b[3])) continue;
      const int x0 = Coord(b[0], 0), x1 = Coord(b[2], 0), y0 = Coord(b[1], 1), y1 = Coord(b[3], 1);
      if (size_t(x1 - x0 + 1) * size_t(y1 - y0 + 1) > 64) {
        aside_.push_back(i);
        continue;
      }
      for (int x = x0; x <= x1; ++x)
        for (int y = y0; y <= y1; ++y) cells_[size_t(x) * dim_ + y].push_back(i);
    }
  }

  // Same answer as d > MinDistPoint(p) + 0.001 on the source. The box distance bounds a
  // section's distance from below; the slack keeps rounding from skipping a section that
  // decides.
  bool CloserThan(const double p[2], double d) {
    if (d > 1e12 + 0.001) return true;  // MinDistPoint's starting value
    const double reach = d - 0.001;
    const double slack = 1e-6 + 1e-9 * (std::fabs(p[0]) + std::fabs(p[1]) + std::fabs(reach));
    if (++stamp_ == 0) {
      std::fill(seen_.begin(), seen_.end(), 0);
      stamp_ = 1;
    }
    auto test = [&](int i) {
      if (seen_[i] == stamp_) return false;
      seen_[i] = stamp_;
      const Boxed& b = sects_[i];
      const double dx = std::max({b.box[0] - p[0], 0.0, p[0] - b.box[2]});
      const double dy = std::max({b.box[1] - p[1], 0.0, p[1] - b.box[3]});
      if (std::hypot(dx, dy) > reach + slack) return false;
      double q[2];
      return d > b.sect->NearestPoint(p, q) + 0.001;
    };
    for (int i : aside_)
      if (test(i)) return true;
    if (cells_.empty()) return false;
    const double r = reach + slack;
    if (!std::isfinite(p[0] + p[1] + r)) {
      for (int i = 0; i < static_cast<int>(sects_.size()); ++i)
        if (test(i)) return true;
      return false;
    }
    if (r < 0.0) return false;  // no box is nearer than a negative reach
    const int x0 = Coord(p[0] - r, 0), x1 = Coord(p[0] + r, 0);
    const int y0 = Coord(p[1] - r, 1), y1 = Coord(p[1] + r, 1);
    for (int x = x0; x <= x1; ++x)
      for (int y = y0; y <= y1; ++y)
        for (int i : cells_[size_t(x) * dim_ + y])
          if (test(i)) return true;
    return false;
  }

 private:
  struct Boxed {
    const CSmartSect* sect;
    double box[4];
  };
  // Cell index along one axis, clamped: boxes and questions beyond the grid fall in its edge
  // cells, which is where every box they could meet is filed.
  int Coord(double v, int axis) const {
    const double c = std::floor((v - origin_[axis]) / cell_);
    return static_cast<int>(std::clamp(c, 0.0, double(dim_ - 1)));
  }

  std::vector<Boxed> sects_;
  std::vector<int> aside_;
  std::vector<std::vector<int>> cells_;
  std::vector<uint32_t> seen_;
  uint32_t stamp_ = 0;
  int dim_ = 0;
  double origin_[2] = {0, 0};
  double cell_ = 1.0;
};

// The point halfway along a run of sections (by length).
void RunMidPoint(const std::vector<CSmartSect*>& run, double out[2]) {
  double total = 0.0;
  for (const CSmartSect* s : run) total += s->Length();
  double left = 0.5 * total;
  for (const CSmartSect* s : run) {
    const double len = s->Length();
    if (left <= len || s == run.back()) {
      s->EvPoint(len > 0.0 ? std::clamp(left / len, 0.0, 1.0) : 0.5, out);
      return;
    }
    left -= len;
  }
}

// Drops the stretches of a raw offset, between its crossings, that come nearer the source
// than the distance: such points lie inside the offset's area, so they can bound no loop of
// the result, and left in place they make the re-chaining close faces of the inner tangle
// instead of the outline (a noisy outline offset outwards otherwise loses its whole result).
void DropStretchesNearSource(CSmartCurve& chain, SourceGrid& source, double d) {
  std::vector<CSmartSect*> all;
  for (CSmartSect* s = chain.head; s; s = s->next) all.push_back(s);
  // A stretch begins at a piece cut at its start, or after one cut at its end (a crossing at
  // a section's end leaves the next section unmarked).
  const size_t n = all.size();
  auto begins = [&](size_t k) {
    return (all[k]->flags & kSectSplitStart) || (all[(k + n - 1) % n]->flags & kSectSplitEnd);
  };
  size_t first = 0;
  while (first < n && !begins(first)) ++first;
  if (first == n) return;  // no crossing: the whole loop is judged after chaining
  std::vector<CSmartSect*> run, drop;
  auto judge = [&]() {
    if (run.empty()) return;
    double p[3][2];
    run.front()->StartPoint(p[0]);
    RunMidPoint(run, p[1]);
    run.back()->EndPoint(p[2]);
    if (source.CloserThan(p[0], d) || source.CloserThan(p[1], d) || source.CloserThan(p[2], d))
      drop.insert(drop.end(), run.begin(), run.end());
    run.clear();
  };
  for (size_t k = 0; k < n; ++k) {
    const size_t at = (first + k) % n;
    if (begins(at)) judge();
    run.push_back(all[at]);
  }
  judge();
  for (CSmartSect* s : drop) {
    chain.DetachSect(s);
    delete s;
  }
}

}  // namespace

CSmartLoop* CSmartLoop::OffsetLoop(double d, const QNC_CornerType& corner) {
  if (!curve) return nullptr;
  if (d < 1e-6) return CopyLoop();
  SourceGrid source(curve);
  // The raw offset, cut at its self-crossings and re-chained into closed loops, with or without
  // the stretches that come nearer the source than the distance.
  auto chained = [&](bool dropNear) {
    CSmartCurve scratch;
    for (CSmartSect* s = curve->head; s; s = s->next) {
      s->offsetCopy = s->Offset(d);
      scratch.AppendSect(s->offsetCopy);
    }
    // Joints go directly after the offset of their first section, keeping the chain in order.
    CSmartSect* lastMade = nullptr;
    for (CSmartSect* s = curve->head; s; s = s->next) {
      CSmartSect* n = s->next ? s->next : curve->head;
      if (s->offsetCopy) lastMade = s->offsetCopy;
      CSmartSect* j = Corner(s, n, corner, d);
      if (!j) continue;
      j->tag = n->tag;
      j->origin = n;
      scratch.InsertSectAfter(j, lastMade);
      lastMade = j;
    }
    for (CSmartSect* s = scratch.head; s; s = s->next) s->UpdateBox();
    // Re-chaining at crossings keeps the faces on the left of the chain, which are the inside
    // only of a counter-clockwise chain: a clockwise offset is re-chained reversed.
    const bool cw = area <= 0.0;
    if (cw) scratch.ReverseCurve();
    scratch.MarkSelfCrossings();
    scratch.SplitAtCuts();
    if (dropNear) DropStretchesNearSource(scratch, source, d);
    CSmartLoop* loops = scratch.ChainLoops();
    if (cw)
      for (CSmartLoop* l = loops; l; l = l->next) l->ReverseLoop(1);
    // The offset sections are gone (split and re-chained); forget them.
    for (CSmartSect* s = curve->head; s; s = s->next) s->offsetCopy = nullptr;
    return loops;
  };

  double srcStart[2];
  curve->head->StartPoint(srcStart);
  auto filtered = [&](CSmartLoop* loops) {
    CLoopListEnd result;
    while (loops) {
      CSmartLoop* l = loops;
      loops = loops->next;
      l->next = l->prev = nullptr;
      bool keep;
      if (area > 0.0) keep = !(l->area < 1e-8 || l->area > area);
      else keep = !(l->area < 0.0 && l->area > area);
      if (keep) {
        double mid[2];
        l->curve->PointAtFraction(0.5, mid);
        keep = !source.CloserThan(mid, d);
      }
      if (!keep) {
        delete l;
        continue;
      }
      double dist, at[2];
      l->curve->StartAt(l->curve->NearestStart(srcStart, dist, at));
      l->curve->flags = curve->flags;
      l->height = height;
      l->DefineBox();
      result.Append(l);
    }
    return result.head;
  };
  // Dropping the inner stretches can leave the outline without a way on: where the source
  // crosses itself, stretches of the true outline are offsets to the other side of sections
  // that run backwards, which the raw offset does not hold. When no loop closes then, the
  // loops are closed from the whole raw offset instead; the inner tangle may then be chained
  // into a loop that cuts into the band the offset must keep clear, so every loop of that
  // second pass is checked along its length and dropped when it comes nearer the source than
  // the distance: no offset is better than one that cuts into the band.
  CSmartLoop* result = filtered(chained(true));
  if (result) return result;
  CLoopListEnd clear;
  for (CSmartLoop* loops = filtered(chained(false)); loops;) {
    CSmartLoop* l = loops;
    loops = loops->next;
    l->next = l->prev = nullptr;
    bool near = false;
    for (const CSmartSect* s = l->curve->head; s && !near; s = s->next)
      for (double t : {0.0, 0.25, 0.5, 0.75}) {
        double p[2];
        s->EvPoint(t, p);
        if ((near = source.CloserThan(p, d))) break;
      }
    if (near) delete l;
    else clear.Append(l);
  }
  return clear.head;
}

CSmartLoop* CSmartLoop::OffsetIsland(double d, const QNC_CornerType& corner, int firstKind) {
  CLoopListEnd accepted;
  int k = 0;
  for (CSmartLoop* isl = islands; isl; isl = isl->next) {
    CSmartLoop* res = isl->OffsetLoop(d, corner);
    CSmartLoop* outer = nullptr;
    int positives = 0;
    for (CSmartLoop* r = res; r; r = r->next) {
      r->ReverseLoop(1);
      if (r->area > 0.0) {
        ++positives;
        outer = r;
      }
    }
    if (positives != 1) {
      acDeleteLoopList(res);
      continue;
    }
    while (res) {
      CSmartLoop* r = res;
      res = res->next;
      r->next = r->prev = nullptr;
      if (r != outer) outer->AddIsland(r);
    }
    outer->kind = firstKind + (++k);
    accepted.Append(outer);
  }
  return WeldContours(accepted.head);
}

CSmartLoop* CSmartLoop::OffsetContour(int mode, double d, double dIsland,
                                      const QNC_CornerType& corner) {
  if (dIsland < 0.0) dIsland = d;
  if (mode == 0) {
    CSmartLoop* outer = OffsetLoop(d, corner);
    for (CSmartLoop* l = outer; l; l = l->next) l->kind = 0;
    CSmartLoop* grown = OffsetIsland(dIsland, corner, 1);
    return SubtractContours(outer, grown);
  }
  if (mode != 2) return CopyContour();

  ReverseContour(1);
  CSmartLoop* outer = OffsetLoop(d, corner);
  if (!outer) {
    ReverseContour(1);
    return nullptr;
  }
  for (CSmartLoop* l = outer; l; l = l->next) {
    l->ReverseLoop(1);
    l->kind = 0;
  }
  CSmartLoop* result = BuildContour(outer);
  CLoopListEnd shrunk;
  for (CSmartLoop* isl = islands; isl; isl = isl->next) {
    CSmartLoop* r = isl->OffsetLoop(dIsland, corner);
    for (CSmartLoop* l = r; l; l = l->next) l->kind = 1;
    shrunk.Append(r);
  }
  CSmartLoop* welded = WeldContours(shrunk.head);
  result = SubtractContours(result, welded);
  ReverseContour(1);
  return result;
}

CSmartLoop* CSmartLoop::OffsetContourList(CSmartLoop* list, int mode, const double dist[2],
                                          const QNC_CornerType& corner) {
  CLoopListEnd joined;
  int pos = 1;
  for (CSmartLoop* c = list; c; c = c->next, ++pos) {
    CSmartLoop* r = c->OffsetContour(mode, dist[0], dist[1], corner);
    for (CSmartLoop* l = r; l; l = l->next) l->kind = pos;
    joined.Append(r);
  }
  CSmartLoop* result = joined.head;
  if (mode == 2) {
    result = WeldContours(result);
    for (CSmartLoop* l = result; l; l = l->next) l->ReverseContour(0);
  }
  return result;
}

CSmartLoop* CSmartLoop::BuildContour(CSmartLoop* list) {
  std::vector<CSmartLoop*> arr;
  while (list) {
    CSmartLoop* l = list;
    list = list->next;
    l->next = l->prev = nullptr;
    if (l->area < 0.0) l->ReverseLoop(1);
    if (l->area < 1e-8) delete l;
    else arr.push_back(l);
  }
  std::stable_sort(arr.begin(), arr.end(),
                   [](const CSmartLoop* a, const CSmartLoop* b) { return a->area < b->area; });
  auto overlap = [](const CSmartLoop* a, const CSmartLoop* b) {
    return a->box[0] <= b->box[3] + 0.001 && b->box[0] <= a->box[3] + 0.001 &&
           a->box[1] <= b->box[4] + 0.001 && b->box[1] <= a->box[4] + 0.001;
  };
  // The host of each loop is the first larger one that holds it; only loops whose boxes meet
  // are read, in ascending order as before. Islands are appended at the hosts' known ends.
  std::vector<std::array<double, 4>> boxes(arr.size());
  for (size_t i = 0; i < arr.size(); ++i)
    boxes[i] = {arr[i]->box[0], arr[i]->box[1], arr[i]->box[3], arr[i]->box[4]};
  CBoxGrid grid(boxes);
  std::vector<CSmartLoop*> islandEnd(arr.size(), nullptr);
  std::vector<CSmartLoop*> top;
  std::vector<int> near;
  for (size_t i = 0; i < arr.size(); ++i) {
    CSmartLoop* l = arr[i];
    grid.Query(boxes[i].data(), 0.001, near);
    size_t host = arr.size();
    for (auto it = std::upper_bound(near.begin(), near.end(), int(i)); it != near.end(); ++it)
      if (overlap(l, arr[*it]) && arr[*it]->IsLoopOn(l)) {
        host = size_t(*it);
        break;
      }
    if (host == arr.size()) {
      top.push_back(l);
      continue;
    }
    l->ReverseContour(1);
    CSmartLoop* h = arr[host];
    CSmartLoop*& end = islandEnd[host];
    if (!end)
      for (end = h->islands; end && end->next;) end = end->next;
    l->next = nullptr;
    l->prev = end;
    if (end) end->next = l;
    else h->islands = l;
    l->parent = h;
    end = l;
  }
  CSmartLoop root;
  root.area = -1.0;
  for (size_t i = 0; i < top.size(); ++i) {
    top[i]->prev = i ? top[i - 1] : nullptr;
    top[i]->next = i + 1 < top.size() ? top[i + 1] : nullptr;
    top[i]->parent = &root;
  }
  root.islands = top.empty() ? nullptr : top[0];
  for (CSmartLoop* l : top) l->ResortIsland(nullptr);
  if (top.size() > 1) {
    root.islands = SortByDist(root.islands);
    for (CSmartLoop* l = root.islands; l; l = l->next) l->parent = &root;
  }
  return root.ExtractContour(0);
}
