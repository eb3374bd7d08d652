// Radial ("emit") pocket: rays from a centre point cut with the contour, emitted as single
// lines or linked into cuts along the boundary and through the centre.
#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

#include "millvane/loops/PocketWalk.h"
#include "millvane/loops/SmartLoop.h"
#include "millvane/loops/PathCombine.h"
#include "millvane/loops/PathEntity.h"
#include "platform/numora/Point2d.h"
#include "platform/panlet/Progress.h"

namespace {

constexpr double kDegToRad = 0.0174532925199399995;
// A boundary walk longer than this ends the cut.
constexpr double kMaxRadialLink = 20.0;
// More rays than this is no pattern anyone can machine; the call fails instead.
constexpr double kMaxRays = 1e6;

struct Hit {
  double p[2];
  double t;  // along the ray
  CSmartSect* sect;
};

}  // namespace

int CSmartLoop::CreateEmitPath(CPathCombine* combine, const QNC_CutEmitDef& def) {
  if (!combine || !acPocketShapeOk(this)) return 0;
  if (!std::isfinite(def.centre[0]) || !std::isfinite(def.centre[1]) ||
      !std::isfinite(def.startAngle) || !std::isfinite(def.sweep) || !std::isfinite(def.angleStep))
    return 0;
  const double rays = std::ceil(std::fabs(def.sweep / def.angleStep));
  if (!(rays >= 1.0) || rays > kMaxRays) return 0;  // also a zero or tiny angle step
  int sections = 0;
  for (CSmartLoop* l = this; l; l = (l == this ? islands : l->next))
    if (l->curve) sections += l->curve->count;
  const int n = static_cast<int>(rays);
  const bool linked = (def.flags & 0x01) != 0;
  const double* c = def.centre;

  bool inside = IsPointIn(c) != 0;
  for (CSmartLoop* i = islands; i && inside; i = i->next)
    if (i->IsPointIn(c)) inside = false;
  // The centre's own section, so that strokes can be linked through the centre.
  std::unique_ptr<CSmartCurve> hub;
  CSmartSect* circle = nullptr;
  if (inside && linked) {
    hub = std::make_unique<CSmartCurve>();
    circle = new CSmartArc(c, 0.01, 0.0, 2.0 * 3.14159265358979323846);
    hub->AppendSect(circle);
  }
  InitBuffer();
  CQProgress progress;
  CPathEntity* before = combine->tail;

  const double bc[2] = {0.5 * (box[0] + box[3]), 0.5 * (box[1] + box[4])};
  const double R = P2D_Dist(bc, c) + 0.5 * std::hypot(box[3] - box[0], box[4] - box[1]) + 2.0;
  const size_t cap = 2 * static_cast<size_t>(sections) + 2;
  std::vector<double> raw(2 * cap);
  std::vector<CSmartSect*> rawSects(cap);
  auto* pts = reinterpret_cast<double(*)[2]>(raw.data());
  std::vector<Hit> hits;
  CSmartLPoint* first = nullptr;
  CSmartLPoint* last = nullptr;
  auto file = [&](const double p[2], CSmartSect* s, double t, int16_t kind, int number) {
    auto* lp = new CSmartLPoint;
    lp->x = p[0];
    lp->y = p[1];
    lp->t = t;
    lp->sect = s;
    lp->kind = kind;
    lp->number = number;
    if (!s->cutPoints) s->cutPoints = new CSmartPointList;
    if (!s->cutPoints->Insert(lp)) return static_cast<CSmartLPoint*>(nullptr);
    if (last) last->created = lp;
    else first = lp;
    last = lp;
    return lp;
  };
  const double outward = (def.flags & 0x02) != 0;
  bool cancelled = false;
  for (int k = 0; k < n; ++k) {
    if ((k & 63) == 0 && gIsProgressCancel()) {
      cancelled = true;
      break;
    }
    const int number = k + 1;
    const double a = (def.startAngle + k * def.sweep / n) * kDegToRad;
    const double e[2] = {c[0] + R * std::cos(a), c[1] + R * std::sin(a)};
    const int axis = std::fabs(e[0] - c[0]) >= std::fabs(e[1] - c[1]) ? 0 : 1;
    const double span = e[axis] - c[axis];
    const int m = GetLineInt(c, e, pts, rawSects.data(), static_cast<int>(cap));
    hits.clear();
    for (int i = 0; i < m; ++i) {
      const double t = (pts[i][axis] - c[axis]) / span;
      if (t < -1e-6 || t > 1.000001) continue;
      hits.push_back({{pts[i][0], pts[i][1]}, t, rawSects[i]});
    }
    if (inside) hits.push_back({{c[0], c[1]}, -1.0, circle});  // sorts first
    std::stable_sort(hits.begin(), hits.end(), [](const Hit& x, const Hit& y) { return x.t < y.t; });
    if (hits.size() % 2 != 0) continue;
    const size_t pairs = hits.size() / 2;
    if (!linked) {
      for (size_t q = 0; q < pairs; ++q) {
        // Outward: inner pairs first, each inner to outer; inward: outer pairs first, reversed.
        const size_t j = outward ? q : pairs - 1 - q;
        const Hit& in = hits[2 * j];
        const Hit& out = hits[2 * j + 1];
        const double s3[3] = {outward ? in.p[0] : out.p[0], outward ? in.p[1] : out.p[1], 0.0};
        const double e3[3] = {outward ? out.p[0] : in.p[0], outward ? out.p[1] : in.p[1], 0.0};
        combine->AddTail(new CPathLine3D(s3, e3));
      }
      continue;
    }
    for (size_t j = 0; j < pairs; ++j) {
      const Hit& in = hits[2 * j];
      const Hit& out = hits[2 * j + 1];
      const Hit& from = outward ? in : out;
      const Hit& to = outward ? out : in;
      auto paramOn = [&](const Hit& h) { return h.sect == circle ? double(number) / n : h.sect->ParamOf(h.p); };
      CSmartLPoint* s = file(from.p, from.sect, paramOn(from), kPtStart, number);
      if (!s) continue;
      CSmartLPoint* t = file(to.p, to.sect, paramOn(to), kPtEnd, number);
      if (!t) {
        s->kind = kPtUsed;  // half a stroke is no stroke
        continue;
      }
      s->strokeNext = t;
      t->strokePrev = s;
    }
  }

  if (linked && !cancelled) {
    BoundaryRing ring;
    for (CSmartLPoint* p = first; p; p = p->created) {
      if (p->kind != kPtStart) continue;
      if (gIsProgressCancel()) {
        cancelled = true;
        break;
      }
      auto* cut = new CSmartCurve;
      CSmartLPoint* at = p;
      while (at) {
        CSmartLPoint* q = StrokePartner(at);
        at->kind = kPtUsed;
        if (!q) break;
        const double a[2] = {at->x, at->y}, b[2] = {q->x, q->y};
        AppendLine(cut, a, b);
        q->kind = kPtUsed;
        CSmartLPoint* next = nullptr;
        if (q->sect == circle) {
          // Through the centre to a later ray: the points coincide, no section is needed.
          auto* pv = static_cast<CSmartLPoint*>(q->prev);
          auto* nx = static_cast<CSmartLPoint*>(q->next);
          if (pv && pv->kind != kPtUsed && pv->number > q->number) next = pv;
          else if (nx && nx->kind != kPtUsed && nx->number > q->number) next = nx;
        } else {
          CSmartLPoint *bk = nullptr, *fw = nullptr;
          double db = 0, df = 0;
          const int okB = WalkBack(ring, q, bk, db, nullptr);
          const int okF = WalkForward(ring, q, fw, df, nullptr);
          bool backward = false;
          if (okB && okF) {
            if (!(db > kMaxRadialLink && df > kMaxRadialLink)) {
              const bool backFirst = bk->number <= fw->number;
              CSmartLPoint* cand[2] = {backFirst ? bk : fw, backFirst ? fw : bk};
              const double walk[2] = {backFirst ? db : df, backFirst ? df : db};
              for (int i = 0; i < 2 && !next; ++i)
                if (cand[i]->number > q->number && walk[i] < kMaxRadialLink) {
                  next = cand[i];
                  backward = cand[i] == bk;
                }
            }
          } else if (okB && db < kMaxRadialLink) {
            next = bk;
            backward = true;
          } else if (okF && df < kMaxRadialLink) {
            next = fw;
          }
          if (next) {
            if (backward) AddBoundBack(ring, q, cut, next);
            else AddBoundForward(ring, q, cut, next);
          }
        }
        at = next;
      }
      if (cut->head) combine->AppendSmartCurve(cut, 1, 0.0);
      else delete cut;
    }
  }
  InitBuffer();  // the path points go; the contour is left as it came
  if (cancelled) {
    acTrimCombineAfter(combine, before);
    return 0;
  }
  if (combine->tail == before) return 0;  // no ray met the contour
  return 1;
}
