#include "velmora/quillan/Quillan.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

#include "geometry/shapes2d/GeRegion.h"
#include "velmora/quillan/InscribedCircle.h"

namespace {

struct Session {
  std::vector<std::unique_ptr<CGeLoop>> loops;
  bool together = true;
};

std::unique_ptr<Session>& Current() {
  static std::unique_ptr<Session> session;
  return session;
}

bool AddLoop(Session& s, CGeLoop* loop) {
  if (!loop || loop->m_CurveList.IsEmpty()) return false;
  std::unique_ptr<CGeLoop> copy(loop->Copy());
  if (!copy) return false;
  s.loops.push_back(std::move(copy));
  return true;
}

// The loop's outline at chord tolerance tol; false when a piece gives no points.
bool Outline(CGeLoop& loop, double tol, QlRing& ring) {
  ring.clear();
  for (POSITION pos = loop.m_CurveList.GetHeadPosition(); pos;) {
    CGeCurve* c = loop.m_CurveList.GetNext(pos);
    if (!c) return false;
    c->Discrete(tol);
    if (c->m_nSWPoint < 1) return false;
    // Each piece starts where the previous one ended.
    for (int i = ring.empty() ? 0 : 1; i < c->m_nSWPoint; ++i)
      ring.push_back({c->m_pSWPoint[i][0], c->m_pSWPoint[i][1]});
  }
  if (ring.size() > 1) ring.pop_back();  // the closing point repeats the first
  return true;
}

}  // namespace

int vnStart(CGeLoopList* loops, CGeRegionList* regions, bool bTogether) {
  vnEnd();
  auto s = std::make_unique<Session>();
  s->together = bTogether;
  if (loops)
    for (POSITION pos = loops->GetHeadPosition(); pos;)
      if (!AddLoop(*s, loops->GetNext(pos))) return FALSE;
  if (regions)
    for (POSITION pos = regions->GetHeadPosition(); pos;) {
      CGeRegion* region = regions->GetNext(pos);
      if (!region) return FALSE;
      for (POSITION lp = region->m_LoopList.GetHeadPosition(); lp;)
        if (!AddLoop(*s, region->m_LoopList.GetNext(lp))) return FALSE;
    }
  if (s->loops.empty()) return FALSE;
  Current() = std::move(s);
  return TRUE;
}

double vnGetMaxRadius(double tol) {
  Session* s = Current().get();
  if (!s || !std::isfinite(tol) || !(tol > 0.0)) return 0.0;
  // The outline lies inside a curved boundary by at most its chord tolerance, and the search
  // stops within its precision: a quarter and a half of tol keep the sum under tol.
  const double chord = tol / 4, precision = tol / 2;
  // Loops are joined with gaps of a few hundredths; wider gaps mean an open outline.
  const double gap = 4 * tol;
  std::vector<QlRing> rings(s->loops.size());
  for (size_t i = 0; i < s->loops.size(); ++i) {
    CGeLoop& loop = *s->loops[i];
    if (!loop.IsClosed(gap) || !Outline(loop, chord, rings[i])) return 0.0;
    for (const QlPoint& p : rings[i])
      if (!std::isfinite(p[0]) || !std::isfinite(p[1])) return 0.0;
  }
  QlCircle circle;
  if (s->together) return qlLargestInscribedCircle(rings, precision, circle) ? circle.radius : 0.0;
  double best = 0.0;
  for (QlRing& ring : rings) {
    const std::vector<QlRing> alone{std::move(ring)};
    if (qlLargestInscribedCircle(alone, precision, circle)) best = std::max(best, circle.radius);
  }
  return best;
}

void vnEnd() { Current().reset(); }
