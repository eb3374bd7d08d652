// Reference loop chaining by a plain scan of the whole pool at every step (the quadratic way),
// for checking the indexed chaining and for measuring what the index saves.
#pragma once

#include <memory>
#include <utility>

#include "geometry/shapes2d/GeLoop.h"
#include "geometry/tools/GeTool2D.h"

class CNaiveLoopChain : public CGeTool2D {
 public:
  using CGeTool2D::GetHead;
  using CGeTool2D::SearchNext;
  using CGeTool2D::SearchNextInSelfDir;

  // Same rules as ReCreateLoop with copy, without progress polling.
  void Chain(CGeCurveList* curves, CGeLoopList* loops, double tol, bool closedOnly) {
    CGeCurveList pool;
    for (POSITION pos = curves->GetHeadPosition(); pos;) {
      CGeCurve* c = curves->GetNext(pos);
      if (!c || (c->GetType() == GE_TYPE_LINE && c->EvArcLength(0, 1, 1) < 0.002)) continue;
      pool.AddTail(c->Copy());
    }
    while (CGeCurve* head = GetHead(&pool)) {
      double S[2], E[2], back[2], startTan[2];
      head->GetStartPoint(S);
      head->GetEndPoint(E);
      head->GetTanVecAt(1, back, static_cast<unsigned>(head->GetSegmentCount()));
      back[0] = -back[0];
      back[1] = -back[1];
      head->GetTanVecAt(0, startTan, 1);
      const bool selfClosed = P2D_Dist(S, E) < tol && head->IsLongerThan(2 * tol);
      auto loop = std::make_unique<CGeLoop>();
      loop->AddTail(head, 1);
      if (!selfClosed) {
        int misses = 0;
        while (!pool.IsEmpty()) {
          bool forward = true;
          CGeCurve* c = SearchNext(&pool, E, back, tol, true, forward);
          if (c) {
            if (!forward) c->Reverse();
            c->GetEndPoint(E);
            c->GetTanVecAt(1, back, static_cast<unsigned>(c->GetSegmentCount()));
            back[0] = -back[0];
            back[1] = -back[1];
            loop->AddTail(c, 1);
            if (P2D_Dist(S, E) < tol) break;
          } else if (misses++ == 0) {
            back[0] = startTan[0];
            back[1] = startTan[1];
            std::swap(S, E);
            loop->Reverse(true);
          } else {
            loop->Reverse(true);
            break;
          }
        }
        if (closedOnly && !loop->IsLoop(tol)) continue;
        loop->Stitch(tol);
      }
      loop->SeperateComCurve();
      loops->AddTail(loop.release());
    }
  }

  // Same rules as ReCreateLoopInSelfDir, without progress polling.
  void ChainInSelfDir(CGeCurveList* curves, CGeLoopList* loops, double tol, bool closedOnly) {
    CGeCurveList pool;
    for (POSITION pos = curves->GetHeadPosition(); pos;)
      if (CGeCurve* c = curves->GetNext(pos)) pool.AddTail(c->Copy());
    while (CGeCurve* head = GetHead(&pool)) {
      double S[2], E[2], dir[2];
      head->GetStartPoint(S);
      head->GetEndPoint(E);
      head->GetTanVecAt(1, dir, static_cast<unsigned>(head->GetSegmentCount()));
      const bool selfClosed = P2D_Dist(S, E) < tol && head->IsLongerThan(2 * tol);
      auto loop = std::make_unique<CGeLoop>();
      loop->AddTail(head, 1);
      if (!selfClosed) {
        while (CGeCurve* c = SearchNextInSelfDir(&pool, E, dir, tol)) {
          c->GetEndPoint(E);
          c->GetTanVecAt(1, dir, static_cast<unsigned>(c->GetSegmentCount()));
          loop->AddTail(c, 1);
          if (P2D_Dist(S, E) < tol) break;
        }
        if (closedOnly && !(loop->IsLoop(tol) && loop->EvTotalArcLength() >= tol)) continue;
      }
      loops->AddTail(loop.release());
    }
  }
};
