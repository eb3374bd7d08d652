#include "millvane/surfpaths/SurfPathShared.h"

#include <cmath>
#include <algorithm>
#include <memory>

#include "millvane/loops/SmartCurveLib.h"
#include "millvane/loops/SmartLoop.h"
#include "millvane/paths/MillCenter.h"
#include "millvane/paths/NcPline.h"
#include "millvane/loops/PathCombine.h"
#include "millvane/loops/PathEntity.h"
#include "millvane/paths/PathGroup.h"
#include "millvane/paths/IntLineSet.h"
#include "millvane/paths/ProtectNet.h"

CSmartLoop* SrfRetriedOffset(const CSmartLoop* chain, double a, double b,
                             const QNC_CornerType& corner, int mode) {
  static const double kNudge[] = {0, 0.01, -0.01, 0.02, -0.02, 0.03, -0.03};
  CSmartLoop* out = nullptr;
  for (const CSmartLoop* l = chain; l; l = l->next) {
    // The offset reads the loop and its islands only, never the chain links.
    auto* one = const_cast<CSmartLoop*>(l);
    for (double v : kNudge) {
      CSmartLoop* r = one->OffsetContour(mode, a + v, b + v, corner);
      if (r) {
        out = acJoinLoopLists(out, r);
        break;
      }
    }
  }
  return out;
}

void SampleSectAfterStart(const CSmartSect* s, double tol, PtCurve& out) {
  int n = 1;
  if (!s->IsLine()) {
    const auto* arc = static_cast<const CSmartArc*>(s);
    double r = arc->radius, sweep = std::fabs(arc->Sweep());
    if (r > tol && std::isfinite(r) && std::isfinite(sweep)) {
      double step = 2 * std::acos(1 - tol / r);
      n = static_cast<int>(std::min(2000.0, std::ceil(sweep / step)));
    }
    n = std::max(n, 2);
  }
  for (int i = 1; i <= n; ++i) {
    double p[2];
    s->EvPoint(static_cast<double>(i) / n, p);
    out.push_back({p[0], p[1]});
  }
}

namespace {

void AppendLoopPoints(const CSmartLoop* l, PtCurve& pts) {
  if (!l->curve || !l->curve->head) return;
  double p[2];
  l->curve->head->StartPoint(p);
  pts.push_back({p[0], p[1]});
  for (const CSmartSect* s = l->curve->head; s; s = s->next) SampleSectAfterStart(s, 0.01, pts);
}

// The points (x, y used) dropped from the model's top onto the model as one chain of the target;
// false when fewer than two points or nothing came of them.
template <class Points>
bool AppendDroppedOnModel(CMillCenter* model, const Points& pts, CPathGroup& target) {
  if (pts.size() < 2) return false;
  auto pl = std::make_unique<CNcPline>();
  for (const auto& p : pts) {
    const double q[3] = {p[0], p[1], model->box[2]};
    pl->AddTail(q);
  }
  model->VerifyCutPath(pl.get(), 0.01, 1);
  auto comb = std::make_unique<CPathCombine>(8);
  if (!pl->AddToPathCombine(comb.get()) || !comb->head) return false;
  target.AppendChains(comb.release(), 0.0);
  return true;
}

}  // namespace

int SrfProjectLoopsOnModel(CMillCenter* model, const CSmartLoop* loops, CPathGroup& target) {
  if (!model) return 0;
  int added = 0;
  for (const CSmartLoop* l = loops; l; l = l->next) {
    PtCurve pts;
    AppendLoopPoints(l, pts);
    for (const CSmartLoop* i = l->islands; i; i = i->next) AppendLoopPoints(i, pts);
    if (AppendDroppedOnModel(model, pts, target)) ++added;
  }
  return added;
}

CSmartCurve* SrfFitCurve(const PtCurve& pts, double tol, double cosMin) {
  const size_t n = pts.size();
  if (n < 2) return nullptr;
  const double limits[2] = {tol, cosMin};
  std::vector<Pt2> mids(n - 1);
  for (size_t i = 0; i + 1 < n; ++i)
    mids[i] = {0.5 * (pts[i][0] + pts[i + 1][0]), 0.5 * (pts[i][1] + pts[i + 1][1])};
  auto sc = std::make_unique<CSmartCurve>();
  sc->FitArcs(static_cast<int>(n - 1), reinterpret_cast<const double(*)[2]>(pts.data()), limits,
              reinterpret_cast<const double(*)[2]>(mids.data()));
  return sc->head ? sc.release() : nullptr;
}

CSmartLoop* SrfCurvesToLoops(const CIntCurveSet& set, double tol, double cosMin) {
  CSmartCurveLib lib;
  for (const IntCurve* c = set.head; c; c = c->next)
    if (CSmartCurve* sc = SrfFitCurve(c->pts, tol, cosMin)) lib.AddCurves(sc);
  return lib.ChainLibLoops();
}

namespace {

// Points of an entity after its start.
void EntityPointsAfterStart(const CPathEntity* e, std::vector<std::array<double, 3>>& out) {
  if (const auto* pl = dynamic_cast<const CPathPLine3D*>(e)) {
    for (int i = 1; pl->points && i <= pl->count; ++i) out.push_back({pl->points[i][0], pl->points[i][1], pl->points[i][2]});
    return;
  }
  if (const auto* arc = dynamic_cast<const CPathArc3D*>(e)) {
    // Chords within 0.01 of the arc, so that the projected path keeps to the boundary.
    const double sweep = std::fabs(arc->endAngle - arc->startAngle), r = arc->radius;
    int n = 2;
    if (r > 0.01 && std::isfinite(r) && std::isfinite(sweep))
      n = std::max(2, static_cast<int>(std::min(2000.0, std::ceil(sweep / (2 * std::acos(1 - 0.01 / r))))));
    for (int i = 1; i <= n; ++i) {
      double p[3];
      if (arc->PointAt(static_cast<double>(i) / n, p)) out.push_back({p[0], p[1], p[2]});
    }
    return;
  }
  double p[3];
  if (e->GetEndPoint(1, p)) out.push_back({p[0], p[1], p[2]});
}

}  // namespace

int SrfProjectGroupOnModel(CMillCenter* model, const CPathGroup& source, CPathGroup& target) {
  if (!model) return 0;
  int added = 0;
  for (const CPathCombine* c = source.head; c; c = c->next) {
    std::vector<std::array<double, 3>> pts;
    for (const CPathEntity* e = c->head; e; e = e->next) {
      double p[3];
      if (pts.empty() && e->GetEndPoint(0, p)) pts.push_back({p[0], p[1], p[2]});
      EntityPointsAfterStart(e, pts);
    }
    if (AppendDroppedOnModel(model, pts, target)) ++added;
  }
  return added;
}

namespace {

// Calls f with every sample of the loop; stops when f answers true.
template <class F>
bool AnySample(const CSmartLoop* l, F f) {
  if (!l->curve) return false;
  for (const CSmartSect* s = l->curve->head; s; s = s->next) {
    const int n = s->IsLine() ? 1 : 5;
    for (int k = 0; k < n; ++k) {
      double p[2];
      s->EvPoint(0.2 * k, p);
      if (f(p)) return true;
    }
  }
  return false;
}

template <class F>
void ForTree(const CSmartLoop* loop, F f) {
  f(loop);
  for (const CSmartLoop* i = loop->islands; i; i = i->next) f(i);
  for (const CSmartLoop* c = loop->children; c; c = c->next) f(c);
}

}  // namespace

bool SrfLoopCovered(const CProtectNet& net, const CSmartLoop* loop, double z) {
  if (!loop) return false;
  bool covered = false;
  ForTree(loop, [&](const CSmartLoop* l) {
    if (!covered)
      covered = AnySample(l, [&](const double* p) { return net.HeightAt(p[0], p[1]) > z + 0.01; });
  });
  return covered;
}

bool SrfLoopUncovered(const CProtectNet& net, const CSmartLoop* loop, double z) {
  if (!loop) return false;
  bool all = true;
  ForTree(loop, [&](const CSmartLoop* l) {
    if (all)
      all = AnySample(l, [&](const double* p) { return net.HeightAt(p[0], p[1]) < z + 0.01; });
  });
  return all;
}
