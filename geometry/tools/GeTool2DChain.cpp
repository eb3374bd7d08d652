// Chaining curves into loops. The pool of unused curves is indexed by a grid over their end
// points, so each step looks only at curves that can continue the chain; candidates are
// still weighed in pool order, which keeps the tie rules of a plain scan.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <memory>
#include <unordered_map>
#include <utility>
#include <vector>

#include "geometry/shapes2d/GeLoop.h"
#include "geometry/shapes2d/ShapeListUtil.h"
#include "geometry/tools/GeTool2D.h"
#include "geometry/tools/GeTool2DInternal.h"
#include "platform/panlet/Progress.h"

namespace {

constexpr double kSelfClosedGap = 0.0001;  // a curve closed on itself is taken when met
constexpr double kShortLine = 0.002;       // lines shorter than this never enter a chain

void Negate(double v[2]) {
  v[0] = -v[0];
  v[1] = -v[1];
}

void EndTangent(CGeCurve* c, double v[2]) {
  c->GetTanVecAt(1, v, static_cast<unsigned>(c->GetSegmentCount()));
}

// Picks the continuation of a chain among candidates offered in pool order.
struct NextChoice {
  const double* end;
  const double* dir;  // back tangent (both ways) or travel direction (own direction only)
  double tol;
  bool selfDir;
  double best = -6.28;
  int choice = -1;
  bool forward = true;

  void Offer(int index, CGeCurve* c) {
    _tagBox2D box;
    c->GetBox2d(&box);
    if (BOX2D_IsPtIn(&box, end, tol) != 1) return;
    double s[2], e[2];
    c->GetStartPoint(s);
    c->GetEndPoint(e);
    const double dS = P2D_Dist(end, s);
    double d[2];
    bool fwd = true;
    double a;
    if (selfDir) {
      if (!(dS <= tol)) return;
      c->GetTanVecAt(0, d, 1);
      a = V2D_GetAngle(dir, d, 1e-6);
    } else {
      const double dE = P2D_Dist(end, e);
      if (!(std::min(dS, dE) <= tol)) return;
      if (dS <= dE) {
        c->GetTanVecAt(0, d, 1);
      } else {
        EndTangent(c, d);
        Negate(d);
        fwd = false;
      }
      a = V2D_GetAngleV1toV2(dir, d);
    }
    if (P2D_Dist(s, e) < kSelfClosedGap) {
      choice = index;
      forward = fwd;
    } else if (a > best) {
      best = a;
      choice = index;
      forward = fwd;
    }
  }
};

// Unused curves in input order, indexed by a grid over their end points (start points only
// for chaining in the curves' own direction). Owns the curves it still holds.
class CEndPointPool {
 public:
  CEndPointPool(std::vector<CGeCurve*> curves, double tol, bool startsOnly)
      : m_curves(std::move(curves)), m_alive(m_curves.size(), 1), m_left(m_curves.size()),
        m_tol(tol) {
    // A grid needs a finite reach; otherwise every curve is a candidate anyway.
    m_grid = std::isfinite(tol) && tol >= 0;
    if (!m_grid) return;
    double extent = 1;
    for (CGeCurve* c : m_curves) {
      double p[2];
      c->GetStartPoint(p);
      if (std::isfinite(p[0]) && std::isfinite(p[1]))
        extent = std::max({extent, std::fabs(p[0]), std::fabs(p[1])});
    }
    // At least the reach, so a query covers at most 3 x 3 cells.
    m_cell = std::max(tol, extent * 1e-9);
    m_cells.reserve(m_curves.size() * 2);
    for (size_t i = 0; i < m_curves.size(); ++i) {
      double p[2];
      m_curves[i]->GetStartPoint(p);
      Insert(p, static_cast<int>(i));
      if (startsOnly) continue;
      double q[2];
      m_curves[i]->GetEndPoint(q);
      if (Key(q[0]) != Key(p[0]) || Key(q[1]) != Key(p[1])) Insert(q, static_cast<int>(i));
    }
  }
  ~CEndPointPool() {
    for (size_t i = 0; i < m_curves.size(); ++i)
      if (m_alive[i]) delete m_curves[i];
  }
  CEndPointPool(const CEndPointPool&) = delete;
  CEndPointPool& operator=(const CEndPointPool&) = delete;

  bool Empty() const { return m_left == 0; }

  CGeCurve* TakeHead() {
    while (m_head < m_curves.size() && !m_alive[m_head]) ++m_head;
    if (m_head == m_curves.size()) return nullptr;
    return Take(static_cast<int>(m_head));
  }

  CGeCurve* Take(int i) {
    m_alive[i] = 0;
    --m_left;
    return m_curves[i];
  }

  // Offers every unused curve that may end within the reach of p, in pool order.
  void Search(const double p[2], NextChoice& choice) {
    if (!m_grid || !std::isfinite(p[0]) || !std::isfinite(p[1])) {
      for (size_t i = 0; i < m_curves.size(); ++i)
        if (m_alive[i]) choice.Offer(static_cast<int>(i), m_curves[i]);
      return;
    }
    m_found.clear();
    const double r = m_tol * (1 + 1e-9) + m_cell * 1e-9;
    const int64_t x0 = Key(p[0] - r), x1 = Key(p[0] + r);
    const int64_t y0 = Key(p[1] - r), y1 = Key(p[1] + r);
    for (int64_t x = x0; x <= x1; ++x)
      for (int64_t y = y0; y <= y1; ++y) {
        auto it = m_cells.find(Pack(x, y));
        if (it == m_cells.end()) continue;
        std::vector<int>& cell = it->second;
        // Drop used curves while passing by, so crowded cells do not stay crowded.
        cell.erase(std::remove_if(cell.begin(), cell.end(), [&](int i) { return !m_alive[i]; }),
                   cell.end());
        m_found.insert(m_found.end(), cell.begin(), cell.end());
      }
    std::sort(m_found.begin(), m_found.end());
    m_found.erase(std::unique(m_found.begin(), m_found.end()), m_found.end());
    for (int i : m_found) choice.Offer(i, m_curves[i]);
  }

 private:
  int64_t Key(double v) const {
    const double k = std::floor(v / m_cell);
    if (!(k > -1e15)) return -static_cast<int64_t>(1e15);
    if (!(k < 1e15)) return static_cast<int64_t>(1e15);
    return static_cast<int64_t>(k);
  }
  static uint64_t Pack(int64_t x, int64_t y) {
    return (static_cast<uint64_t>(x) * 0x9E3779B97F4A7C15ull) ^ static_cast<uint64_t>(y);
  }
  void Insert(const double p[2], int i) {
    if (!std::isfinite(p[0]) || !std::isfinite(p[1])) return;
    m_cells[Pack(Key(p[0]), Key(p[1]))].push_back(i);
  }

  std::vector<CGeCurve*> m_curves;
  std::vector<char> m_alive;
  size_t m_left;
  size_t m_head = 0;
  double m_tol;
  double m_cell = 1;
  bool m_grid = false;
  // Cells may share a hash key; candidates are filtered by distance, so that only costs time.
  std::unordered_map<uint64_t, std::vector<int>> m_cells;
  std::vector<int> m_found;
};

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

namespace {

// Offers the pool's curves in list order; the position of the choice, or null.
POSITION ScanPool(CGeCurveList* pool, NextChoice& choice) {
  POSITION chosen = nullptr;
  int i = 0;
  for (POSITION pos = pool->GetHeadPosition(); pos; ++i) {
    POSITION at = pos;
    CGeCurve* c = pool->GetNext(pos);
    if (!c) continue;
    const int before = choice.choice;
    choice.Offer(i, c);
    if (choice.choice != before) chosen = at;
  }
  return chosen;
}

}  // namespace

CGeCurve* CGeTool2D::SearchNext(CGeCurveList* pool, const double end[2], const double back[2],
                                double tol, bool remove, bool& forward) {
  if (!pool || pool->IsEmpty()) return nullptr;
  NextChoice choice{end, back, tol, false};
  const POSITION chosen = ScanPool(pool, choice);
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
  const POSITION chosen = ScanPool(pool, choice);
  if (!chosen) return nullptr;
  CGeCurve* c = pool->GetAt(chosen);
  pool->RemoveAt(chosen);
  return c;
}

void CGeTool2D::ReCreateLoop(CGeCurveList* curves, CGeLoopList* loops, double tol,
                             bool closedOnly, bool copy) {
  if (!curves || curves->IsEmpty() || !loops) return;
  const double share = 1.0 / static_cast<double>(curves->GetCount());
  CQProgress progress;

  std::vector<CGeCurve*> items;
  for (POSITION pos = curves->GetHeadPosition(); pos;) {
    POSITION at = pos;
    CGeCurve* c = curves->GetNext(pos);
    if (!c) continue;
    const bool drop = (c->GetType() == GE_TYPE_LINE && c->EvArcLength(0, 1, 1) < kShortLine) ||
                      IsEmptyComposite(c);
    if (copy) {
      if (drop) continue;
      if (CGeCurve* k = c->Copy()) items.push_back(k);
    } else {
      curves->RemoveAt(at);
      if (drop)
        delete c;
      else
        items.push_back(c);
    }
  }
  CEndPointPool pool(std::move(items), tol, false);
  const POSITION before = loops->GetTailPosition();

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
          NextChoice choice{E, back, tol, false};
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
        if (closedOnly && !loop->IsLoop(tol))
          keep = false;
        else
          loop->Stitch(tol);
      }
      if (keep) {
        loop->SeperateComCurve();
        loops->AddTail(loop.release());
      }
      if (gIsProgressCancel()) break;
    }
  }
  // A cancelled call discards what it built, never what the list held before.
  if (gIsProgressCancel()) tool2d::DropAppended(loops, before);
}

void CGeTool2D::ReCreateLoopInSelfDir(CGeCurveList* curves, CGeLoopList* loops, double tol,
                                      bool closedOnly) {
  if (!curves || curves->IsEmpty() || !loops) return;
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
  if (gIsProgressCancel()) tool2d::DropAppended(loops, before);
}

// The list tests of the shape-list utilities, except that an empty list is not linked here.
int CGeTool2D::IsLinked(CGeCurveList* curves, double tol) {
  return curves && !curves->IsEmpty() && geIsLinkCurve2d(curves, tol) ? 1 : 0;
}

int CGeTool2D::IsLoop(CGeCurveList* curves, double tol) { return geIsLoopCurve2d(curves, tol); }
