// Chaining curves into loops. The pool of unused curves is indexed by a grid over their end
// points, so each step looks only at curves that can continue the chain; candidates are
// still weighed in pool order, which keeps the tie rules of a plain scan.
#include <memory>
#include <utility>
#include <vector>

#include "geometry/shapes2d/GeLoop.h"
#include "geometry/shapes2d/ShapeListUtil.h"
#include "geometry/tools/EndPointPool.h"
#include "geometry/tools/GeTool2D.h"
#include "geometry/tools/GeTool2DInternal.h"
#include "platform/panlet/Progress.h"

namespace {

constexpr double kShortLine = 0.002;  // lines shorter than this never enter a chain

void Negate(double v[2]) {
  v[0] = -v[0];
  v[1] = -v[1];
}

void EndTangent(CGeCurve* c, double v[2]) {
  c->GetTanVecAt(1, v, static_cast<unsigned>(c->GetSegmentCount()));
}

using tool2d::ChainTraits2d;

using NextChoice = chain::NextChoice<ChainTraits2d>;
using CEndPointPool = chain::EndPointPool<ChainTraits2d>;

// A composite without members has no ends to chain by.
bool IsEmptyComposite(CGeCurve* c) {
  return c->GetType() == GE_TYPE_COMBCURVE && c->GetSegmentCount() == 0;
}

}  // namespace

CGeCurve* CGeTool2D::GetHead(CGeCurveList* curves) {
  if (!curves) return nullptr;
  while (!curves->IsEmpty()) {
    CGeCurve* c = curves->RemoveHead();
    if (c) return c;
  }
  return nullptr;
}

CGeCurve* CGeTool2D::SearchNext(CGeCurveList* pool, const double end[2], const double back[2],
                                double tol, bool remove, bool& forward) {
  if (!pool || pool->IsEmpty()) return nullptr;
  NextChoice choice{end, back, tol};
  const POSITION chosen = chain::ScanList(pool, choice);
  if (!chosen) return nullptr;
  forward = choice.forward;
  CGeCurve* c = pool->GetAt(chosen);
  if (remove) pool->RemoveAt(chosen);
  return c;
}

CGeCurve* CGeTool2D::SearchNextInSelfDir(CGeCurveList* pool, const double end[2],
                                         const double dir[2], double tol) {
  if (!pool || pool->IsEmpty()) return nullptr;
  NextChoice choice{end, dir, tol, true};
  const POSITION chosen = chain::ScanList(pool, choice);
  if (!chosen) return nullptr;
  CGeCurve* c = pool->GetAt(chosen);
  pool->RemoveAt(chosen);
  return c;
}

void CGeTool2D::ReCreateLoop(CGeCurveList* curves, CGeLoopList* loops, double tol,
                             bool closedOnly, bool copy) {
  if (!curves || curves->IsEmpty() || !loops) return;
  // A tolerance that is no distance, or curves with non-finite ends, give no loops; the input
  // is left as it is.
  if (!chain::ChainableInput<ChainTraits2d>(curves, tol)) return;
  const double share = 1.0 / static_cast<double>(curves->GetCount());
  CQProgress progress;

  // Without copy the caller's curves are chained themselves, but they leave the input list
  // (and dropped short lines are deleted) only once the call has not been cancelled: a
  // cancelled call gives them back as they came.
  std::unique_ptr<tool2d::CurveSenses2d> senses;
  if (!copy) senses = std::make_unique<tool2d::CurveSenses2d>(*curves);
  std::vector<CGeCurve*> items, dropped;
  for (POSITION pos = curves->GetHeadPosition(); pos;) {
    CGeCurve* c = curves->GetNext(pos);
    if (!c) continue;
    const bool drop = (c->GetType() == GE_TYPE_LINE && c->EvArcLength(0, 1, 1) < kShortLine) ||
                      IsEmptyComposite(c);
    if (drop) {
      if (!copy) dropped.push_back(c);
    } else if (!copy) {
      items.push_back(c);
    } else if (CGeCurve* k = c->Copy()) {
      items.push_back(k);
    }
  }
  CEndPointPool pool(std::move(items), tol, false);
  // Loops are finished (stitched, composites taken apart) and output only after the last
  // cancel test, so that until then the walked curves keep their shapes.
  struct Built {
    std::unique_ptr<CGeLoop> loop;
    bool keep;
    bool stitch;
  };
  std::vector<Built> built;

  if (!gIsProgressCancel()) {
    while (!pool.Empty()) {
      CGeCurve* head = pool.TakeHead();
      progress.SetRange(share);
      double S[2], E[2], back[2], headStartTan[2];
      head->GetStartPoint(S);
      head->GetEndPoint(E);
      EndTangent(head, back);
      Negate(back);
      head->GetTanVecAt(0, headStartTan, 1);
      const bool selfClosed = P2D_Dist(S, E) < tol && head->IsLongerThan(2 * tol);
      auto loop = std::make_unique<CGeLoop>();
      loop->AddTail(head, 0);
      bool keep = true;
      if (!selfClosed) {
        int misses = 0;
        while (!pool.Empty() && !gIsProgressCancel()) {
          NextChoice choice{E, back, tol};
          pool.Search(E, choice);
          if (choice.choice >= 0) {
            CGeCurve* c = pool.Take(choice.choice);
            if (!choice.forward) c->Reverse();
            c->GetEndPoint(E);
            EndTangent(c, back);
            Negate(back);
            loop->AddTail(c, 0);
            if (P2D_Dist(S, E) < tol) break;
          } else if (misses++ == 0) {
            // Dead end: grow the chain from its other end.
            back[0] = headStartTan[0];
            back[1] = headStartTan[1];
            std::swap(S, E);
            loop->Reverse(true);
          } else {
            loop->Reverse(true);
            break;
          }
        }
        keep = !closedOnly || loop->IsLoop(tol);
      }
      built.push_back(Built{std::move(loop), keep, !selfClosed});
      if (gIsProgressCancel()) break;
    }
  }
  if (gIsProgressCancel()) {
    // Only what this call made is freed: copies go with their loops; the caller's own curves
    // go back to it, each turned back the way it came.
    if (senses) {
      for (Built& b : built) chain::EmptyLoopKeepingCallers(*b.loop, *senses);
      pool.TakeRest();
      senses->Restore(*curves);
    }
    return;
  }
  if (!copy) {
    for (POSITION pos = curves->GetHeadPosition(); pos;) {
      POSITION at = pos;
      if (curves->GetNext(pos)) curves->RemoveAt(at);
    }
    for (CGeCurve* c : dropped) delete c;
  }
  for (Built& b : built) {
    if (!b.keep) continue;  // deleted with its curves
    if (b.stitch) b.loop->Stitch(tol);
    b.loop->SeperateComCurve();
    loops->AddTail(b.loop.release());
  }
}

void CGeTool2D::ReCreateLoopInSelfDir(CGeCurveList* curves, CGeLoopList* loops, double tol,
                                      bool closedOnly) {
  if (!curves || curves->IsEmpty() || !loops) return;
  if (!chain::ChainableInput<ChainTraits2d>(curves, tol)) return;
  const double share = 1.0 / static_cast<double>(curves->GetCount());
  CQProgress progress;

  std::vector<CGeCurve*> items;
  for (POSITION pos = curves->GetHeadPosition(); pos;) {
    CGeCurve* c = curves->GetNext(pos);
    if (!c) continue;
    CGeCurve* k = c->Copy();
    if (!k) continue;
    if (IsEmptyComposite(k))
      delete k;
    else
      items.push_back(k);
  }
  CEndPointPool pool(std::move(items), tol, true);
  const POSITION before = loops->GetTailPosition();

  while (!pool.Empty() && !gIsProgressCancel()) {
    CGeCurve* head = pool.TakeHead();
    progress.SetRange(share);
    double S[2], E[2], dir[2];
    head->GetStartPoint(S);
    head->GetEndPoint(E);
    EndTangent(head, dir);
    const bool selfClosed = P2D_Dist(S, E) < tol && head->IsLongerThan(2 * tol);
    auto loop = std::make_unique<CGeLoop>();
    loop->AddTail(head, 0);
    if (!selfClosed) {
      while (!pool.Empty() && !gIsProgressCancel()) {
        NextChoice choice{E, dir, tol, true};
        pool.Search(E, choice);
        if (choice.choice < 0) break;
        CGeCurve* c = pool.Take(choice.choice);
        c->GetEndPoint(E);
        EndTangent(c, dir);
        loop->AddTail(c, 0);
        if (P2D_Dist(S, E) < tol) break;
      }
      if (closedOnly && !(loop->IsLoop(tol) && loop->EvTotalArcLength() >= tol)) continue;
    }
    loop->CalcBox2d();
    loops->AddTail(loop.release());
  }
  if (gIsProgressCancel()) chain::DropAppended(loops, before);
}

// The list tests of the shape-list utilities, except that an empty list is not linked here.
int CGeTool2D::IsLinked(CGeCurveList* curves, double tol) {
  return curves && !curves->IsEmpty() && geIsLinkCurve2d(curves, tol) ? 1 : 0;
}

int CGeTool2D::IsLoop(CGeCurveList* curves, double tol) { return geIsLoopCurve2d(curves, tol); }
