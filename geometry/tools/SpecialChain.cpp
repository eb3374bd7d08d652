// Chaining variants beside the plain loop builder: minimal loops through the start-x index
// with backtracking, chains that retrace the branches of a curve tree, composites that stop
// at branch points, and closed sub-loops cut out of an ordered list.
#include <algorithm>
#include <cmath>
#include <memory>
#include <cstdint>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>
#include <numbers>

#include "geometry/shapes2d/GeCombCurve.h"
#include "geometry/shapes2d/GeLoop.h"
#include "geometry/shapes2d/ShapeListUtil.h"
#include "geometry/tools/GeTool2D.h"
#include "geometry/tools/GeTool2DInternal.h"
#include "geometry/tools/RBTree.h"
#include "platform/numora/Numora.h"
#include "platform/panlet/Progress.h"

namespace {
constexpr double kSplitGap = 0.0001;    // a chain end this close to one of its starts closes it
constexpr double kRetraceReach = 1.0;   // how far a retraced curve may end from the chain end
constexpr double kLinkTol = 0.001;      // end matching of the retracing chains
constexpr double kSubLoopGap = 0.1;     // where an ordered list comes back to a curve's end
constexpr double kClosedTol = 0.01;

void StartPoint(CGeCurve* c, double p[2]) { c->GetStartPoint(p); }
void EndPoint(CGeCurve* c, double p[2]) { c->GetEndPoint(p); }

void UnitEndTan(CGeCurve* c, double v[2]) {
  v[0] = v[1] = 0.0;
  c->GetEndTan(v);
  V2D_Unit(v, 1e-6);
}

void UnitStartTan(CGeCurve* c, double v[2]) {
  v[0] = v[1] = 0.0;
  c->GetStartTan(v);
  V2D_Unit(v, 1e-6);
}

// The direction pointing back along a chain from its end.
void BackTan(CGeCurve* c, double v[2]) {
  v[0] = v[1] = 0.0;
  c->GetEndTan(v);
  v[0] = -v[0];
  v[1] = -v[1];
}

// Takes the curve at `pos` out of the node's list; an emptied node leaves the tree.
CGeCurve* TakeFromNode(RBTree& tree, RBNode_* node, POSITION pos) {
  auto* list = static_cast<CGeCurveList*>(node->user);
  CGeCurve* c = list->GetAt(pos);
  list->RemoveAt(pos);
  if (list->IsEmpty()) {
    delete list;
    node->user = nullptr;
    tree.deleteNode(node);
  }
  return c;
}

void OutputLoop(std::unique_ptr<CGeLoop> loop, CGeLoopList* loops) {
  loop->CalcBox2d();
  loops->AddTail(loop.release());
}

// The start points of a chain's curves, in chain order: finds where a chain comes back to
// itself without walking the chain. Short chains are scanned; a long one is hashed on a grid
// twice the closing gap, so a query looks at 2 x 2 cells. Curves leave only from the end of
// the chain, as they do from the chain itself.
class CChainStarts {
 public:
  void Push(CGeCurve* c) {
    Start s;
    c->GetStartPoint(s.p);
    m_starts.push_back(s);
    if (m_hashed) m_cells[Key(s.p)].push_back(m_starts.size() - 1);
  }
  void Pop() {
    if (m_hashed) {
      auto it = m_cells.find(Key(m_starts.back().p));
      it->second.pop_back();  // the last curve is the last of its cell too
      if (it->second.empty()) m_cells.erase(it);
    }
    m_starts.pop_back();
  }
  size_t Size() const { return m_starts.size(); }
  // Index of the first curve starting within the gap of p in x and in y; Size() when none.
  size_t Find(const double p[2]) {
    if (!m_hashed && m_starts.size() > kScanned) {
      for (size_t k = 0; k < m_starts.size(); ++k) m_cells[Key(m_starts[k].p)].push_back(k);
      m_hashed = true;
    }
    size_t best = m_starts.size();
    if (!m_hashed) {
      for (size_t k = 0; k < m_starts.size(); ++k)
        if (Near(m_starts[k].p, p)) return k;
      return best;
    }
    for (int64_t i = Coord(p[0] - kSplitGap); i <= Coord(p[0] + kSplitGap); ++i)
      for (int64_t j = Coord(p[1] - kSplitGap); j <= Coord(p[1] + kSplitGap); ++j) {
        auto it = m_cells.find(Pack(i, j));
        if (it == m_cells.end()) continue;
        for (size_t k : it->second)
          if (k < best && Near(m_starts[k].p, p)) best = k;
      }
    return best;
  }

 private:
  static constexpr size_t kScanned = 32;
  static constexpr double kCell = 2 * kSplitGap;
  struct Start {
    double p[2];
  };
  static bool Near(const double s[2], const double p[2]) {
    return std::fabs(s[0] - p[0]) < kSplitGap && std::fabs(s[1] - p[1]) < kSplitGap;
  }
  static int64_t Coord(double v) {
    const double k = std::floor(v / kCell);
    if (!(k > -1e15)) return -static_cast<int64_t>(1e15);
    if (!(k < 1e15)) return static_cast<int64_t>(1e15);
    return static_cast<int64_t>(k);
  }
  // Different cells may share a hash key; Find compares coordinates, so that costs only time.
  static uint64_t Pack(int64_t x, int64_t y) {
    return (static_cast<uint64_t>(x) * 0x9E3779B97F4A7C15ull) ^ static_cast<uint64_t>(y);
  }
  static uint64_t Key(const double p[2]) { return Pack(Coord(p[0]), Coord(p[1])); }

  std::vector<Start> m_starts;
  bool m_hashed = false;
  std::unordered_map<uint64_t, std::vector<size_t>> m_cells;
};

}  // namespace

// ---- minimal loops through the start-x index ----

void CGeTool2D::MakeMinLoopTree(CGeCurveList* curves, int splitClosed, CGeLoopList* loops,
                                double tol) {
  // Without a positive reach nothing could chain, and every curve would be deleted.
  if (!curves || curves->IsEmpty() || !loops || !(tol > 0)) return;
  RBTree tree;
  geCreateScanBeamTree(curves, tol, tree);
  // The curves now live in the index and end up in loops or deleted: the caller's list must
  // not keep pointers to them.
  for (POSITION pos = curves->GetHeadPosition(); pos;) {
    POSITION at = pos;
    if (curves->GetNext(pos)) curves->RemoveAt(at);
  }

  while (!tree.IsEmpty()) {
    RBNode_* root = tree.GetRoot();
    auto* rootList = static_cast<CGeCurveList*>(root->user);
    CGeCurve* head = TakeFromNode(tree, root, rootList->GetHeadPosition());
    double S[2], E[2], D[2];
    StartPoint(head, S);
    EndPoint(head, E);
    UnitEndTan(head, D);
    auto loop = std::make_unique<CGeLoop>();
    loop->m_CurveList.AddTail(head);
    if (P2D_Dist(S, E) < tol && head->GetType() != GE_TYPE_LINE) {
      OutputLoop(std::move(loop), loops);
      continue;
    }
    CChainStarts starts;
    starts.Push(head);

    while (loop && !tree.IsEmpty()) {
      if (CGeCurve* next = SearchMinLkCurveTree(tree, E, D, tol)) {
        loop->m_CurveList.AddTail(next);
        starts.Push(next);
        EndPoint(next, E);
        UnitEndTan(next, D);
        if (!splitClosed) continue;
        const size_t k = starts.Find(E);
        if (k == starts.Size()) continue;
        // The chain came back to the start of its k-th curve: from there on it is a loop.
        auto closed = std::make_unique<CGeLoop>();
        while (starts.Size() > k) {
          closed->m_CurveList.AddHead(loop->m_CurveList.RemoveTail());
          starts.Pop();
        }
        OutputLoop(std::move(closed), loops);
        if (loop->m_CurveList.IsEmpty()) loop.reset();
      } else if (loop->IsClosed(kClosedTol) && loop->IsLongerThan(kClosedTol)) {
        // A chain back at its own start is a loop, not a dead end to be taken apart.
        OutputLoop(std::move(loop), loops);
      } else {
        delete loop->m_CurveList.RemoveTail();
        starts.Pop();
        if (loop->m_CurveList.IsEmpty()) {
          loop.reset();
        } else {
          CGeCurve* last = loop->m_CurveList.GetTail();
          EndPoint(last, E);
          UnitEndTan(last, D);
        }
      }
    }
    if (loop && loop->IsClosed(kClosedTol)) OutputLoop(std::move(loop), loops);
  }
}

CGeCurve* CGeTool2D::SearchMinLkCurveTree(RBTree& tree, const double end[2],
                                          const double direction[2], double tol) {
  CList<RBNode_*, RBNode_*> nodes;
  tree.findNodeRange(end[0] - tol, end[0] + tol, nodes);
  double best = -6.0;
  RBNode_* bestNode = nullptr;
  POSITION bestPos = nullptr;
  for (POSITION np = nodes.GetHeadPosition(); np;) {
    RBNode_* node = nodes.GetNext(np);
    auto* list = static_cast<CGeCurveList*>(node->user);
    if (!list) continue;
    for (POSITION pos = list->GetHeadPosition(); pos;) {
      POSITION at = pos;
      CGeCurve* c = list->GetNext(pos);
      if (!c) continue;
      double s[2];
      StartPoint(c, s);
      if (!(std::fabs(s[0] - end[0]) < tol && std::fabs(s[1] - end[1]) < tol)) continue;
      double t[2];
      UnitStartTan(c, t);
      const double dot = direction[0] * t[0] + direction[1] * t[1];
      const double angle = dot > 0.999999 ? 0.0 : (dot < -0.999999 ? std::numbers::pi : std::acos(dot));
      if (angle > best) {
        best = angle;
        bestNode = node;
        bestPos = at;
      }
    }
  }
  return bestNode ? TakeFromNode(tree, bestNode, bestPos) : nullptr;
}

// ---- chains that retrace a curve tree ----

void CGeTool2D::CreateLinkedCurve(CGeCurveList* curves, CGeLoopList* loops) {
  if (!curves || curves->IsEmpty() || !loops) return;
  // The caller's curves are chained from a working pool and leave the input list only when the
  // call has not been cancelled; paths are finished and output only then, so that a cancelled
  // call can give every curve back as it came.
  const tool2d::CurveSenses2d senses(*curves);
  CGeCurveList pool;
  for (POSITION pos = curves->GetHeadPosition(); pos;) pool.AddTail(curves->GetNext(pos));
  std::vector<std::unique_ptr<CGeLoop>> built;
  while (!pool.IsEmpty() && !gIsProgressCancel()) {
    CGeCurve* head = GetHead(&pool);
    if (!head) break;
    built.push_back(std::make_unique<CGeLoop>());
    CGeLoop* loop = built.back().get();
    loop->m_CurveList.AddTail(head);
    double S[2], E[2], back[2], headStartTan[2] = {0.0, 0.0};
    StartPoint(head, S);
    EndPoint(head, E);
    BackTan(head, back);
    head->GetStartTan(headStartTan);
    int misses = 0;
    bool cancelled = false;
    while (!pool.IsEmpty()) {
      if (gIsProgressCancel()) {
        cancelled = true;
        break;
      }
      bool forward = true;
      if (CGeCurve* c = SearchNext(&pool, E, back, kLinkTol, true, forward)) {
        if (!forward) c->Reverse();
        EndPoint(c, E);
        BackTan(c, back);
        loop->m_CurveList.AddTail(c);
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
    if (cancelled) break;
    for (POSITION pos = loop->m_CurveList.GetTailPosition(); pos;) {
      POSITION at = pos;
      loop->m_CurveList.GetPrev(pos);
      if (!RecedeLinkCurve(&pool, loop, at, kLinkTol)) break;
    }
  }
  if (gIsProgressCancel()) {
    // The retraced copies were made here and go; the caller's curves stay in its list.
    for (auto& loop : built) chain::EmptyLoopKeepingCallers(*loop, senses);
    senses.Restore(*curves);
    return;
  }
  curves->RemoveAll();
  for (POSITION pos = pool.GetHeadPosition(); pos;) curves->AddTail(pool.GetNext(pos));
  for (auto& loop : built) {
    loop->SeperateComCurve();
    loops->AddTail(loop.release());
  }
}

bool CGeTool2D::RecedeLinkCurve(CGeCurveList* pool, CGeLoop* loop, POSITION pos, double tol) {
  CGeCurve* c = loop->m_CurveList.GetAt(pos);
  if (!c) return false;
  double E[2], e[2];
  loop->GetEndPoint(E);
  EndPoint(c, e);
  if (P2D_Dist(e, E) > kRetraceReach) return false;
  CGeCurve* back = c->Copy();
  if (!back) return false;
  back->Reverse();
  loop->m_CurveList.AddTail(back);
  if (pool->IsEmpty()) return false;

  double dir[2];
  EndPoint(back, E);
  BackTan(back, dir);
  int found = 0;
  bool forward = true;
  while (CGeCurve* next = SearchNext(pool, E, dir, tol, true, forward)) {
    if (!forward) next->Reverse();
    EndPoint(next, E);
    BackTan(next, dir);
    loop->m_CurveList.AddTail(next);
    ++found;
  }
  POSITION at = loop->m_CurveList.GetTailPosition();
  for (int i = 0; i < found && at; ++i) {
    POSITION here = at;
    loop->m_CurveList.GetPrev(at);
    if (!RecedeLinkCurve(pool, loop, here, tol)) break;
  }
  return true;
}

// ---- composites that end at branch points ----

void CGeTool2D::AxisCrvToComCrv(CGeCurveList* curves, CGeCurveList* out, double tol,
                                double minLength) {
  if (!curves || curves->IsEmpty() || !out) return;
  for (POSITION pos = curves->GetHeadPosition(); pos;)
    if (CGeCurve* c = curves->GetNext(pos)) c->m_nAttrib = 0;

  // Marks only ever go from 0 to 1, so the search for a free curve never looks back.
  POSITION cursor = curves->GetHeadPosition();
  while (!gIsProgressCancel()) {
    CGeCurve* first = nullptr;
    while (cursor && !first) {
      CGeCurve* c = curves->GetNext(cursor);
      if (c && c->m_nAttrib == 0) first = c;
    }
    if (!first) break;
    first->m_nAttrib = 1;
    CGeCurve* copy = first->Copy();
    if (!copy) continue;
    auto comb = std::make_unique<CGeCombCurve>();
    comb->AddTail(copy, 0);
    double S[2], E[2];
    StartPoint(first, S);
    EndPoint(first, E);
    int endCount[2] = {0, 0};  // curves touching each end where the chain stopped
    int misses = 0;
    while (!gIsProgressCancel()) {
      int count = 0;
      if (CGeCurve* next = SearchSingleNeighbor(curves, E, tol, count)) {
        comb->AddTail(next, 0);
        EndPoint(next, E);
        continue;
      }
      endCount[misses] = count;
      if (misses++ == 1) break;
      std::swap(S, E);
      comb->Reverse();
    }
    comb->CalcBox2d();
    const bool freeEnd = endCount[0] == 1 || endCount[1] == 1;
    if (freeEnd && comb->EvTotalArcLength() < minLength) continue;  // a short dangling spur
    out->AddTail(comb.release());
  }
}

CGeCurve* CGeTool2D::SearchSingleNeighbor(CGeCurveList* pool, const double end[2], double tol,
                                          int& count) {
  count = 0;
  CGeCurve* free = nullptr;
  bool freeAtEnd = false;
  for (POSITION pos = pool->GetHeadPosition(); pos;) {
    CGeCurve* c = pool->GetNext(pos);
    if (!c) continue;
    _tagBox2D box;
    c->GetBox2d(&box);
    if (BOX2D_IsPtIn(&box, end, tol) != 1) continue;
    double s[2], e[2];
    StartPoint(c, s);
    EndPoint(c, e);
    const double dS = P2D_Dist(s, end);
    const double dE = P2D_Dist(e, end);
    if (!(std::min(dS, dE) <= tol)) continue;
    if (++count > 2) return nullptr;
    if (c->m_nAttrib == 0) {
      free = c;
      freeAtEnd = dE < dS;
    }
  }
  if (count != 2 || !free) return nullptr;
  free->m_nAttrib = 1;
  if (freeAtEnd) free->Reverse();
  return free->Copy();
}

// ---- closed sub-loops of an ordered list ----

void CGeTool2D::SearchLoop(CGeCurveList* curves, CGeLoopList* loops) {
  if (!curves || !loops) return;
  // Each pass cuts one stretch out of the list; what remains is searched again.
  while (!curves->IsEmpty()) {
    CGeCurveList prefix, suffix;
    bool cut = false;
    for (POSITION pos = curves->GetHeadPosition(); pos && !cut;) {
      const POSITION atC = pos;
      CGeCurve* C = curves->GetNext(pos);
      if (!C) return;
      prefix.AddTail(C);
      double e[2];
      EndPoint(C, e);
      suffix.RemoveAll();
      POSITION hit = nullptr;
      for (POSITION back = curves->GetTailPosition(); back;) {
        const POSITION at = back;
        CGeCurve* X = curves->GetPrev(back);
        // C itself is already in the prefix: taking it again would put it in the loop twice.
        if (at == atC) break;
        if (!X) continue;
        suffix.AddHead(X);
        double s[2];
        StartPoint(X, s);
        if (P2D_Dist(s, e) <= kSubLoopGap) {
          hit = at;
          break;
        }
      }
      if (hit && hit == pos) continue;  // the list simply goes on from C
      std::unique_ptr<CGeLoop> loop(SearchSubLoop(&prefix, &suffix));
      ClearCurveList(curves, &prefix);
      ClearCurveList(curves, &suffix);
      if (loop && loop->IsLoop(kClosedTol)) OutputLoop(std::move(loop), loops);
      cut = true;
    }
    if (!cut) return;
  }
}

CGeLoop* CGeTool2D::SearchSubLoop(CGeCurveList* prefix, CGeCurveList* suffix) {
  auto loop = std::make_unique<CGeLoop>();
  for (CGeCurveList* part : {prefix, suffix}) {
    for (POSITION pos = part->GetHeadPosition(); pos;) {
      CGeCurve* c = part->GetNext(pos);
      if (!c) continue;
      // The loop owns what it receives; an empty composite is not taken, so it goes here.
      if (c->GetType() == GE_TYPE_COMBCURVE &&
          static_cast<CGeCombCurve*>(c)->m_CurveList.IsEmpty())
        delete c;
      else
        loop->AddTail(c, 1);
    }
  }
  return loop.release();
}

void CGeTool2D::ClearCurveList(CGeCurveList* list, CGeCurveList* removed) {
  if (!list || !removed || removed->IsEmpty()) return;
  std::unordered_set<const CGeCurve*> gone;
  for (POSITION pos = removed->GetHeadPosition(); pos;) gone.insert(removed->GetNext(pos));
  for (POSITION pos = list->GetHeadPosition(); pos;) {
    POSITION at = pos;
    if (gone.count(list->GetNext(pos))) list->RemoveAt(at);
  }
}
