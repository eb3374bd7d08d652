#include "millvane/loops/SmartCurveLib.h"

#include <cmath>
#include <memory>

#include "millvane/loops/SmartLoop.h"
#include "platform/numora/Math.h"
#include "platform/numora/Point2d.h"

void CSmartCurveLib::AddCurves(CSmartCurve* chain) {
  while (chain) {
    CSmartCurve* n = chain->next;
    chain->next = nullptr;
    if (tail) tail->next = chain;
    else head = chain;
    tail = chain;
    ++count;
    chain = n;
  }
}

void CSmartCurveLib::RemoveCurve(CSmartCurve* curve) {
  CSmartCurve* prev = nullptr;
  for (CSmartCurve* c = head; c; prev = c, c = c->next) {
    if (c != curve) continue;
    if (prev) prev->next = c->next;
    else head = c->next;
    if (tail == c) tail = prev;
    c->next = nullptr;
    --count;
    return;
  }
}

void CSmartCurveLib::Clear() {
  while (head) {
    CSmartCurve* n = head->next;
    delete head;
    head = n;
  }
  tail = nullptr;
  count = 0;
}

namespace {

CSmartLoop* MakeLoop(CSmartCurve* c) {
  auto* l = new CSmartLoop;
  l->UpdateSect(c);
  return l;
}

}  // namespace

CSmartLoop* CSmartCurveLib::ChainLibLoops() {
  CSmartLoop* out = nullptr;
  auto emit = [&](CSmartCurve* c) { out = acJoinLoopLists(out, MakeLoop(c)); };
  while (head) {
    std::unique_ptr<CSmartCurve> chain(head);
    RemoveCurve(head);
    if (!chain->head) continue;
    double start[2], startTan[2];
    chain->head->StartPoint(start);
    chain->head->EvTangent(0.0, startTan);
    if (!chain->IsClosed()) {
      // Worth chaining only when some curve ends where this one starts, without reversing.
      bool fed = false;
      for (CSmartCurve* c = head; c && !fed; c = c->next) {
        if (!c->tail) continue;
        double e[2], t[2];
        c->tail->EndPoint(e);
        c->tail->EvTangent(1.0, t);
        fed = P2D_AbsDist(e, start) < 1e-6 && t[0] * startTan[0] + t[1] * startTan[1] >= -0.99;
      }
      if (!fed) continue;
    }
    chain->tail->flags |= kSectChainEnd;
    while (chain->head && !chain->IsClosed()) {
      double end[2], tan[2];
      chain->tail->EndPoint(end);
      chain->tail->EvTangent(1.0, tan);
      CSmartCurve* pick = nullptr;
      for (auto [reach, at] : {std::pair{0.001, 0.09}, std::pair{0.01, 0.03}}) {
        double best = -6.0;
        for (CSmartCurve* c = head; c; c = c->next) {
          if (!c->head) continue;
          double s[2], t[2];
          c->head->StartPoint(s);
          if (P2D_AbsDist(s, end) > reach) continue;
          c->head->EvTangent(at, t);
          const double dot = tan[0] * t[0] + tan[1] * t[1];
          if (dot < -0.99) continue;
          double turn = CMath::ACos(dot);
          if (tan[0] * t[1] - tan[1] * t[0] < 0.0) turn = -turn;
          if (turn > best) {
            best = turn;
            pick = c;
          }
        }
        if (pick) break;
      }
      if (!pick) break;
      RemoveCurve(pick);
      std::unique_ptr<CSmartCurve> next(pick);
      if (!next->tail) continue;
      next->tail->flags |= kSectChainEnd;
      double e[2];
      next->tail->EndPoint(e);
      // Closing onto the end of an earlier curve: that stretch and the new curve make a loop.
      CSmartSect* mark = nullptr;
      for (CSmartSect* s = chain->head; s && !mark; s = s->next) {
        if (!(s->flags & kSectChainEnd)) continue;
        double se[2];
        s->EndPoint(se);
        if (P2D_AbsDist(se, e) < 1e-6) mark = s;
      }
      if (mark) {
        auto* loop = new CSmartCurve;
        for (CSmartSect* s = mark->next; s;) {
          CSmartSect* n = s->next;
          chain->DetachSect(s);
          loop->AppendSect(s);
          s = n;
        }
        CSmartCurve::MoveSects(next.release(), loop);
        emit(loop);
        continue;
      }
      CSmartCurve::MoveSects(next.release(), chain.get());
    }
    if (chain->head && chain->IsClosed()) emit(chain.release());
  }
  return out;
}
