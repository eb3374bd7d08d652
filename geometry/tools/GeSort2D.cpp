#include "geometry/tools/GeSort2D.h"

#include <algorithm>
#include <cmath>
#include <unordered_map>
#include <vector>

namespace {

constexpr double kNoValue = 1e12;

void CopyList(CGeCurveList& from, CGeCurveList& to) {
  for (POSITION pos = from.GetHeadPosition(); pos;) to.AddTail(from.GetNext(pos));
}

}  // namespace

void CGeSort2D::LinkPoint(CGeCurve* c, double p[2]) {
  if (m_bStartLink)
    c->GetStartPoint(p);
  else
    c->GetEndPoint(p);
}

double CGeSort2D::Gap(CGeCurve* a, CGeCurve* b) {
  double l[2], s[2];
  LinkPoint(a, l);
  b->GetStartPoint(s);
  return P2D_Dist(l, s);
}

CGeCurve* CGeSort2D::GetNearestCurve(const double pt[2], CGeCurveList* list) {
  if (!list) return nullptr;
  double best = kNoValue;
  POSITION found = nullptr;
  for (POSITION pos = list->GetHeadPosition(); pos;) {
    POSITION at = pos;
    CGeCurve* c = list->GetNext(pos);
    if (!c) continue;
    double s[2];
    c->GetStartPoint(s);
    const double d = P2D_Dist(pt, s);
    if (d < best) {
      best = d;
      found = at;
    }
  }
  if (!found) return nullptr;
  CGeCurve* c = list->GetAt(found);
  list->RemoveAt(found);
  return c;
}

double CGeSort2D::GetMinDist(CGeCurveList* chain, CGeCurveList* pool, POSITION& chainPos,
                             POSITION& poolPos) {
  chainPos = poolPos = nullptr;
  if (!chain || !pool || chain->IsEmpty() || pool->IsEmpty()) return -1;
  double best = kNoValue;
  for (POSITION x = chain->GetHeadPosition(); x;) {
    POSITION xAt = x;
    CGeCurve* link = chain->GetNext(x);
    double l[2];
    LinkPoint(link, l);
    for (POSITION c = pool->GetHeadPosition(); c;) {
      POSITION cAt = c;
      double s[2];
      pool->GetNext(c)->GetStartPoint(s);
      const double d = P2D_Dist(l, s);
      if (d < best) {
        best = d;
        chainPos = xAt;
        poolPos = cAt;
      }
    }
  }
  return best;
}

void CGeSort2D::SortList(CGeCurveList* pool, CGeCurveList* chain) {
  if (!pool || !chain) return;
  if (chain->IsEmpty()) {
    if (pool->IsEmpty()) return;
    chain->AddTail(pool->RemoveHead());
  }
  // Each pool curve remembers its nearest chain link (the earliest in chain order among
  // equals), so a step costs one pass over the chain and the pool instead of a scan of all
  // pairs. Ties resolve as that scan would: chain order first, then pool order.
  std::vector<CGeCurve*> items;
  for (POSITION pos = pool->GetHeadPosition(); pos;)
    if (CGeCurve* c = pool->GetNext(pos)) items.push_back(c);
  pool->RemoveAll();
  std::vector<double> bestD(items.size(), kNoValue);
  std::vector<POSITION> bestX(items.size(), nullptr);
  std::vector<char> alive(items.size(), 1);
  std::unordered_map<POSITION, size_t> rank;
  auto rerank = [&] {
    rank.clear();
    size_t r = 0;
    for (POSITION pos = chain->GetHeadPosition(); pos; ++r) {
      rank[pos] = r;
      chain->GetNext(pos);
    }
  };
  auto offer = [&](POSITION x, size_t i) {
    double l[2], s[2];
    LinkPoint(chain->GetAt(x), l);
    items[i]->GetStartPoint(s);
    const double d = P2D_Dist(l, s);
    if (d < bestD[i] || (d == bestD[i] && bestX[i] && rank[x] < rank[bestX[i]])) {
      bestD[i] = d;
      bestX[i] = x;
    }
  };
  rerank();
  for (POSITION x = chain->GetHeadPosition(); x; chain->GetNext(x))
    for (size_t i = 0; i < items.size(); ++i) offer(x, i);

  for (size_t left = items.size(); left > 0; --left) {
    long pick = -1;
    for (size_t i = 0; i < items.size(); ++i) {
      if (!alive[i] || !bestX[i]) continue;
      if (pick < 0 || bestD[i] < bestD[pick] ||
          (bestD[i] == bestD[pick] && rank[bestX[i]] < rank[bestX[pick]]))
        pick = static_cast<long>(i);
    }
    if (pick < 0) {
      // No measurable distance (points beyond reach): append in pool order.
      for (size_t i = 0; i < items.size(); ++i)
        if (alive[i]) chain->AddTail(items[i]);
      return;
    }
    alive[pick] = 0;
    CGeCurve* c = items[pick];
    const POSITION xPos = bestX[pick];
    POSITION added;
    if (chain->GetCount() == 1) {
      added = chain->AddTail(c);
    } else {
      CGeCurve* x = chain->GetAt(xPos);
      POSITION p = xPos, n = xPos;
      chain->GetPrev(p);
      chain->GetNext(n);
      CGeCurve* prev = p ? chain->GetAt(p) : nullptr;
      CGeCurve* next = n ? chain->GetAt(n) : nullptr;
      double before = Gap(c, x);
      double after = 0;
      if (prev) {
        before += Gap(prev, c);
        after += Gap(prev, x);
      }
      if (next) {
        before += Gap(x, next);
        after += Gap(c, next);
      }
      if (!m_bStartLink)
        after += Gap(x, c);
      else if (prev)
        after += Gap(prev, c);
      added = before > after ? chain->InsertAfter(xPos, c) : chain->InsertBefore(xPos, c);
    }
    rerank();
    for (size_t i = 0; i < items.size(); ++i)
      if (alive[i]) offer(added, i);
  }
}

int CGeSort2D::DivideList(CGeCurveList* chain, CGeCurveList* first, CGeCurveList* second) {
  if (!chain || !first || !second || chain->GetCount() < 2) return 0;
  double largest = 0;
  long k = -1, i = 0;
  CGeCurve* prev = nullptr;
  for (POSITION pos = chain->GetHeadPosition(); pos; ++i) {
    CGeCurve* c = chain->GetNext(pos);
    if (prev) {
      const double g = Gap(prev, c);
      if (g > largest) {
        largest = g;
        k = i;
      }
    }
    prev = c;
  }
  if (k < 0 || k == static_cast<long>(chain->GetCount()) - 1) return 0;
  i = 0;
  for (POSITION pos = chain->GetHeadPosition(); pos; ++i)
    (i < k ? first : second)->AddTail(chain->GetNext(pos));
  return 1;
}

double CGeSort2D::GetSpaceLength(CGeCurveList* list) {
  if (!list) return 0;
  double sum = 0;
  CGeCurve* prev = nullptr;
  for (POSITION pos = list->GetHeadPosition(); pos;) {
    CGeCurve* c = list->GetNext(pos);
    if (prev) sum += Gap(prev, c);
    prev = c;
  }
  return sum;
}

void CGeSort2D::SortInNearDistance(const double pt[2], CGeCurveList* curves) {
  if (!curves || curves->GetCount() <= 2) return;
  CGeCurve* head = GetNearestCurve(pt, curves);
  if (!head) return;
  CGeCurveList chain;
  chain.AddTail(head);
  // Null entries have no place in a visiting order.
  for (POSITION pos = curves->GetHeadPosition(); pos;) {
    POSITION at = pos;
    if (!curves->GetNext(pos)) curves->RemoveAt(at);
  }
  SortList(curves, &chain);
  const double l0 = GetSpaceLength(&chain);

  CGeCurveList first, second;
  CGeCurveList* result = &chain;
  CGeCurveList h, lb, g;
  if (DivideList(&chain, &first, &second)) {
    double q[2];
    LinkPoint(first.GetTail(), q);
    CGeCurve* bridge = GetNearestCurve(q, &second);
    if (!bridge) bridge = second.RemoveHead();
    first.AddTail(bridge);
    LinkPoint(bridge, q);
    if (!second.IsEmpty()) {
      CGeCurveList oldFirst, oldSecond;
      CopyList(first, oldFirst);
      CopyList(second, oldSecond);
      SortInNearDistance(pt, &first);
      SortInNearDistance(q, &second);
      CopyList(oldFirst, h);
      CopyList(second, h);
      CopyList(first, lb);
      CopyList(second, lb);
      CopyList(first, g);
      CopyList(oldSecond, g);
      const double lh = GetSpaceLength(&h), llb = GetSpaceLength(&lb), lg = GetSpaceLength(&g);
      const double m = std::min({l0, lh, llb, lg});
      if (std::fabs(m - lh) < 0.0001)
        result = &h;
      else if (std::fabs(m - llb) < 0.0001)
        result = &lb;
      else if (std::fabs(m - lg) < 0.0001)
        result = &g;
    }
  }
  curves->RemoveAll();
  CopyList(*result, *curves);
}
