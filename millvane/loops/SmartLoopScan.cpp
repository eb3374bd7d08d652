// Scan (zig-zag) pocket: parallel strokes over the inset contour, recorded as path points on
// the boundary sections they end on, then emitted one by one or linked along the boundary.
#include <algorithm>
#include <cmath>
#include <map>
#include <memory>
#include <numbers>
#include <unordered_map>
#include <vector>

#include "millvane/loops/PocketWalk.h"
#include "millvane/loops/SectRowIndex.h"
#include "millvane/loops/SmartLoop.h"
#include "millvane/loops/PathCombine.h"
#include "millvane/loops/PathEntity.h"
#include "platform/numora/Point2d.h"
#include "platform/panlet/Progress.h"

namespace {

constexpr double kDeg = std::numbers::pi / 180.0;
// More rows than this is no pocket anyone can machine; the call fails instead.
constexpr double kMaxScanRows = 1e6;

int SectionCount(const CSmartLoop* list) {
  int n = 0;
  for (const CSmartLoop* c = list; c; c = c->next)
    for (const CSmartLoop* l = c; l; l = (l == c ? c->islands : l->next))
      if (l->curve) n += l->curve->count;
  return n;
}

// Whether a section's cut-point list would refuse a point at t.
bool Refuses(const CSmartSect* s, double t) {
  if (!(t <= 1.000001)) return true;
  if (!s->cutPoints) return false;
  for (const CSmartPoint* q = s->cutPoints->head; q; q = q->next)
    if (std::fabs(q->t - t) < 1e-10) return true;
  return false;
}

CSmartLPoint* MakePoint(const double p[2], CSmartSect* s, int16_t kind, int32_t number) {
  auto* lp = new CSmartLPoint;
  lp->x = p[0];
  lp->y = p[1];
  lp->t = s ? s->ParamOf(p) : 0.0;
  lp->sect = s;
  lp->kind = kind;
  lp->number = number;
  return lp;
}

void AddLine3(CPathCombine* combine, const double a[2], const double b[2]) {
  const double s[3] = {a[0], a[1], 0.0}, e[3] = {b[0], b[1], 0.0};
  combine->AddTail(new CPathLine3D(s, e));
}

// The loop of a contour (outer or island) whose chain holds s.
const CSmartLoop* LoopHolding(const CSmartLoop* contour, const CSmartSect* s) {
  for (const CSmartLoop* l = contour; l; l = (l == contour ? contour->islands : l->next)) {
    if (!l->curve) continue;
    for (const CSmartSect* x = l->curve->head; x; x = x->next)
      if (x == s) return l;
  }
  return nullptr;
}

}  // namespace

CSmartLPoint* CSmartLoop::GenerateScanPoint(CSmartLoop* loops, double step, int) {
  if (!loops || !std::isfinite(step) || step < 0.001) return nullptr;
  // A NaN would slip through every box and row test: such a contour has no known inside.
  for (CSmartLoop* l = loops; l; l = l->next)
    if (!acContourFinite(l)) return nullptr;
  const double d = std::min(step / 10.0, 0.0001);
  double ymin = 1e300, ymax = -1e300;
  for (CSmartLoop* l = loops; l; l = l->next) {
    ymin = std::min(ymin, l->box[1]);
    ymax = std::max(ymax, l->box[4]);
  }
  if (!(ymax > ymin) || (ymax - ymin) / step > kMaxScanRows) return nullptr;
  // Cut-point lists must hold path points only: stale cuts go.
  for (CSmartLoop* l = loops; l; l = l->next) l->InitBuffer();
  // Every section crosses a line at most twice: buffers that size never drop a crossing.
  const size_t cap = 2 * static_cast<size_t>(SectionCount(loops)) + 2;
  std::vector<double> raw(2 * cap);
  std::vector<CSmartSect*> rawSects(cap);
  std::vector<double> all;
  std::vector<CSmartSect*> allSects;
  CSmartLPoint* first = nullptr;
  CSmartLPoint* last = nullptr;
  auto link = [&](CSmartLPoint* p) {
    if (last) last->created = p;
    else first = p;
    last = p;
  };
  // Each row reads only the sections near it.
  const int rows = static_cast<int>((ymax - ymin) / step) + 2;
  std::vector<std::unique_ptr<CSectRowIndex>> index;
  for (CSmartLoop* l = loops; l; l = l->next)
    index.push_back(std::make_unique<CSectRowIndex>(l, ymin, step, rows));
  auto* pts = reinterpret_cast<double(*)[2]>(raw.data());
  for (int k = 1;; ++k) {
    const double y = ymin + k * step;
    if (!(y < ymax - d)) break;
    if ((k & 63) == 0 && gIsProgressCancel()) {
      for (CSmartLoop* l = loops; l; l = l->next) l->InitBuffer();  // the points made so far
      return nullptr;
    }
    all.clear();
    allSects.clear();
    size_t at = 0;
    for (CSmartLoop* l = loops; l; l = l->next, ++at) {
      int n = 0;
      for (double yy : {y, y + d, y - d}) {
        n = l->GetYLineInt(yy, pts, rawSects.data(), static_cast<int>(cap), index[at].get());
        if (n % 2 == 0) break;
      }
      for (int i = 0; i < n; ++i) {
        all.push_back(pts[i][0]);
        all.push_back(pts[i][1]);
        allSects.push_back(rawSects[i]);
      }
    }
    auto* ap = reinterpret_cast<double(*)[2]>(all.data());
    const int n = SortPointSect(ap, allSects.data(), static_cast<int>(allSects.size()));
    if (n % 2 != 0) continue;
    for (int i = 0; i + 1 < n; i += 2) {
      if (ap[i + 1][0] - ap[i][0] < step) continue;  // a sliver
      CSmartSect* sa = allSects[i];
      CSmartSect* sb = allSects[i + 1];
      const double ta = sa->ParamOf(ap[i]), tb = sb->ParamOf(ap[i + 1]);
      if (Refuses(sa, ta) || Refuses(sb, tb) || (sa == sb && std::fabs(ta - tb) < 1e-10)) continue;
      CSmartLPoint* a = MakePoint(ap[i], sa, kPtStart, k);
      CSmartLPoint* b = MakePoint(ap[i + 1], sb, kPtEnd, k);
      if (!sa->cutPoints) sa->cutPoints = new CSmartPointList;
      sa->cutPoints->Insert(a);
      if (!sb->cutPoints) sb->cutPoints = new CSmartPointList;
      sb->cutPoints->Insert(b);
      a->strokeNext = b;
      b->strokePrev = a;
      link(a);
      link(b);
    }
  }
  return first;
}

int CSmartLoop::ExtractLinearPath(CPathCombine* combine, const QNC_CutLinearDef& def,
                                  const QNC_OrderType& order, CSmartLPoint* points) {
  if (!combine || !points) return 0;
  CPathEntity* before = combine->tail;
  if (!(def.flags & kLinearZigZag)) {
    if (order.order) {
      for (CSmartLPoint* p = points; p; p = p->created)
        if (p->strokeNext) {
          const double a[2] = {p->x, p->y}, b[2] = {p->strokeNext->x, p->strokeNext->y};
          AddLine3(combine, a, b);
        }
    } else {
      std::map<int, std::vector<CSmartLPoint*>> rows;
      for (CSmartLPoint* p = points; p; p = p->created)
        if (p->strokeNext) rows[p->number].push_back(p);
      for (auto& [row, starts] : rows)
        for (auto it = starts.rbegin(); it != starts.rend(); ++it) {
          const double a[2] = {(*it)->strokeNext->x, (*it)->strokeNext->y}, b[2] = {(*it)->x, (*it)->y};
          AddLine3(combine, a, b);
        }
    }
  } else {
    BoundaryRing ring;
    ScanRows table;
    const ScanRows* rows = nullptr;
    if (def.flags & kLinearNeighbour) {
      table.first = 1 << 30;
      table.last = -(1 << 30);
      for (CSmartLPoint* p = points; p; p = p->created)
        if (p->strokeNext) {
          table.rows[p->number].push_back(p);
          table.first = std::min(table.first, p->number);
          table.last = std::max(table.last, p->number);
        }
      rows = &table;
    }
    const bool leads = (def.flags & kLinearLead) && (def.flags & kLinearFinish) &&
                       !(def.flags & kLinearNeighbour);
    std::unordered_map<int32_t, int> freeInGroup;
    for (CSmartLPoint* p = points; p; p = p->created) ++freeInGroup[p->sect->group];
    auto use = [&](CSmartLPoint* p) {
      p->kind = kPtUsed;
      --freeInGroup[p->sect->group];
    };
    BoundaryRing contourRing;
    // From the last free point of a boundary, a lead to the contour it was inset from and one
    // pass round that contour loop; the cut ends there.
    auto lead = [&](CSmartLPoint* e, CSmartCurve* curve) {
      CSmartSect* src = e->sect->origin;
      const CSmartLoop* loop = LoopHolding(this, src);
      if (!loop || loop->curve->head->group < 0) return false;
      const double at[2] = {e->x, e->y};
      double q[2];
      if (src->NearestPoint(at, q) > def.inset + 0.01) return false;
      AppendLine(curve, at, q);
      const double tq = std::clamp(src->ParamOf(q), 0.0, 1.0);
      std::vector<CSmartSect*> round;
      double s0[2], s1[2];
      src->StartPoint(s0);
      src->EndPoint(s1);
      if (CSmartSect* p = src->SubSect({q[0], q[1], tq}, {s1[0], s1[1], 1.0})) round.push_back(p);
      for (CSmartSect* x = contourRing.Next(src); x != src; x = contourRing.Next(x)) round.push_back(x->Clone());
      if (CSmartSect* p = src->SubSect({s0[0], s0[1], 0.0}, {q[0], q[1], tq})) round.push_back(p);
      if (!order.order) {
        std::reverse(round.begin(), round.end());
        for (CSmartSect* x : round) x->Reverse();
      }
      for (CSmartSect* x : round) {
        x->flags = 0;
        x->UpdateBox();
        curve->AppendSect(x);
      }
      loop->curve->head->group = -std::abs(loop->curve->head->group) - 1;
      return true;
    };
    for (CSmartLPoint* p = points; p; p = p->created) {
      if (p->kind != kPtStart || !p->strokeNext) continue;
      if (gIsProgressCancel()) {
        acTrimCombineAfter(combine, before);
        return 0;
      }
      auto* curve = new CSmartCurve;
      CSmartLPoint* cur = p;
      while (cur) {
        CSmartLPoint* other = StrokePartner(cur);
        const double a[2] = {cur->x, cur->y}, b[2] = {other->x, other->y};
        AppendLine(curve, a, b);
        use(cur);
        use(other);
        if (leads && freeInGroup[other->sect->group] == 0 && lead(other, curve)) break;
        CSmartLPoint *back = nullptr, *fwd = nullptr;
        double db = 0, df = 0;
        const int okB = WalkBack(ring, other, back, db, rows);
        const int okF = WalkForward(ring, other, fwd, df, rows);
        CSmartLPoint* to = nullptr;
        bool backward = false;
        if (okB && okF) {
          if (db > def.maxLink && df > def.maxLink) {
          } else if (back->y < fwd->y + 0.001 && db - df < 3 * def.step) {
            to = back;
            backward = true;
          } else if (fwd->y < back->y + 0.001 && df - db < 3 * def.step) {
            to = fwd;
          } else if (db < df) {
            to = back;
            backward = true;
          } else {
            to = fwd;
          }
        } else if (okB) {
          if (db < def.maxLink) {
            to = back;
            backward = true;
          }
        } else if (okF && df < def.maxLink) {
          to = fwd;
        }
        if (!to) break;
        if (backward) AddBoundBack(ring, other, curve, to);
        else AddBoundForward(ring, other, curve, to);
        cur = to;
      }
      combine->AppendSmartCurve(curve, 1, 0.0);
    }
  }
  if (def.flags & kLinearFinish) ExtractCurve(combine, 1, 0, 0.0);
  return 1;
}

int CSmartLoop::CreateLinearPath(CPathCombine* combine, const QNC_CutLinearDef& def,
                                 const QNC_CornerType& corner, const QNC_OrderType& order) {
  if (!combine || !std::isfinite(def.step) || def.step < 0.001 || !std::isfinite(def.inset) ||
      !std::isfinite(def.angle) || std::isnan(def.maxLink) || !acPocketShapeOk(this))
    return 0;
  CQProgress progress;
  CPathEntity* before = combine->tail;
  const double ang = def.angle * kDeg;
  if (ang != 0.0) RotateContour(-ang);
  SetContourInfo(0.0, 0);
  CSmartLoop* area = OffsetContour(0, def.inset, def.inset, corner);
  if (!area && def.inset * def.inset < this->area)
    area = OffsetContour(0, def.inset + 0.001, def.inset + 0.001, corner);
  for (CSmartLoop* l = area; l; l = l->next) {
    l->SetContourInfo(0.0, 1);
    l->parent = nullptr;
    l->InitBuffer();
  }
  CSmartLPoint* pts = GenerateScanPoint(area, def.step, 2000);
  const int ok = pts ? ExtractLinearPath(combine, def, order, pts) : 0;
  acDeleteLoopList(area);
  if (ang != 0.0) {
    const double c = std::cos(ang), s = std::sin(ang);
    for (CPathEntity* e = before ? before->next : combine->head; e; e = e->next) e->Rotate(c, s);
    RotateContour(ang);
  }
  if (!ok) acTrimCombineAfter(combine, before);
  return ok;
}
