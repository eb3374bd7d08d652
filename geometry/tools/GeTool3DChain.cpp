// Chaining 3D curves into loops: by turning angle in the x-y projection (through the end-point
// pool shared with the planar chaining), lowest start first, nearest end through a scan-beam
// index, chains that retrace their branches, and composites between branch points.
#include <algorithm>
#include <cmath>
#include <memory>
#include <utility>
#include <vector>
#include <numbers>

#include "geometry/shapes3d/GeCombCurve3d.h"
#include "geometry/shapes3d/GeLoop3d.h"
#include "geometry/tools/EndPointPool.h"
#include "geometry/tools/GeTool3D.h"
#include "geometry/tools/RBTree.h"
#include "platform/numora/Numora.h"
#include "platform/panlet/Progress.h"
#include "platform/vurode/Vurode.h"

namespace {

constexpr double kNoValue = 1e12;
constexpr double kLinkTol = 0.001;
constexpr double kRetraceReach = 1.0;
constexpr double kShortChain = 0.01;

void BackTan(CGeCurve3d* c, double v[3]) {
  c->GetEndTanVec(v);
  v[0] = -v[0];
  v[1] = -v[1];
  v[2] = -v[2];
}

// The largest turning angle from the chain's back tangent, in the xy projection, wins; the
// best starts at -2 pi.
struct ChainTraits3d {
  using Curve = CGeCurve3d;
  static constexpr int kDim = 3;
  static constexpr double kNoTurn = -2 * std::numbers::pi;
  static bool Near(CGeCurve3d* c, const double p[3], double tol) {
    _tagBox3D box;
    c->GetBox(&box);
    return BOX3D_IsPtIn(&box, p, tol) == 1;
  }
  static double Dist(const double a[3], const double b[3]) { return P3D_Dist(a, b); }
  static void Start(CGeCurve3d* c, double p[3]) { c->GetStartPoint(p); }
  static void End(CGeCurve3d* c, double p[3]) { c->GetEndPoint(p); }
  static void StartTan(CGeCurve3d* c, double v[3]) { c->GetStartTanVec(v); }
  static void EndTan(CGeCurve3d* c, double v[3]) { c->GetEndTanVec(v); }
};

using NextChoice = chain::NextChoice<ChainTraits3d>;
using CEndPointPool3d = chain::EndPointPool<ChainTraits3d>;
using CurveSenses3d = chain::CurveSenses<ChainTraits3d, CGeCurve3dList>;

// A cancelled call that moved the caller's curves into loops gives them back to
// the input list (in chain order; CurveSenses then restores the caller's order
// and senses) before the loops it appended are deleted; curves it made itself
// (marked in `made`) are deleted with their loops.
void ReturnAppended(CGeLoop3dList* loops, POSITION before, CGeCurve3dList* curves,
                    const std::vector<CGeCurve3d*>& made) {
  POSITION pos = before;
  if (pos)
    loops->GetNext(pos);
  else
    pos = loops->GetHeadPosition();
  while (pos) {
    CGeLoop3d* loop = loops->GetNext(pos);
    if (!loop)
      continue;
    while (!loop->m_CurveList.IsEmpty()) {
      CGeCurve3d* c = loop->m_CurveList.RemoveHead();
      if (std::find(made.begin(), made.end(), c) != made.end())
        delete c;
      else
        curves->AddTail(c);
    }
  }
  chain::DropAppended(loops, before);
}

void StartEnd(CGeCurve3d* c, double s[3], double e[3]) {
  c->GetStartPoint(s);
  c->GetEndPoint(e);
}

}  // namespace

void geDelLoop3dList(CGeLoop3dList* loops) {
  if (!loops)
    return;
  for (POSITION pos = loops->GetHeadPosition(); pos;)
    delete loops->GetNext(pos);
  loops->RemoveAll();
}

CGeCurve3d* CGeTool3D::GetHead(CGeCurve3dList* curves) {
  if (!curves)
    return nullptr;
  while (!curves->IsEmpty())
    if (CGeCurve3d* c = curves->RemoveHead())
      return c;
  return nullptr;
}

CGeCurve3d* CGeTool3D::GetHeadInZmin(CGeCurve3dList* curves) {
  if (!curves)
    return nullptr;
  double best = kNoValue;
  POSITION chosen = nullptr;
  for (POSITION pos = curves->GetHeadPosition(); pos;) {
    POSITION at = pos;
    CGeCurve3d* c = curves->GetNext(pos);
    if (!c)
      continue;
    double s[3];
    c->GetStartPoint(s);
    if (s[2] < best) {
      best = s[2];
      chosen = at;
    }
  }
  if (!chosen)
    return nullptr;
  CGeCurve3d* c = curves->GetAt(chosen);
  curves->RemoveAt(chosen);
  return c;
}

CGeCurve3d* CGeTool3D::SearchNext(CGeCurve3dList* pool, const double end[3], const double back[3],
                                  double tol, bool remove, bool& forward) {
  if (!pool)
    return nullptr;
  NextChoice choice{end, back, tol};
  const POSITION chosen = chain::ScanList(pool, choice);
  if (!chosen)
    return nullptr;
  forward = choice.forward;
  CGeCurve3d* c = pool->GetAt(chosen);
  if (remove)
    pool->RemoveAt(chosen);
  return c;
}

CGeCurve3d* CGeTool3D::SearchNextForZFirst(CGeCurve3dList* pool, const double point[3], double,
                                           double tol) {
  if (!pool)
    return nullptr;
  double best = -1e6;
  POSITION chosen = nullptr;
  for (POSITION pos = pool->GetHeadPosition(); pos;) {
    POSITION at = pos;
    CGeCurve3d* c = pool->GetNext(pos);
    if (!c)
      continue;
    _tagBox3D box;
    c->GetBox(&box);
    if (BOX3D_IsPtIn(&box, point, tol) != 1)
      continue;
    double s[3], e[3];
    StartEnd(c, s, e);
    if (!(P3D_Dist(point, s) <= tol))
      continue;
    const double rise = std::fabs(e[2] - point[2]);
    if (rise > best) {
      best = rise;
      chosen = at;
    }
  }
  if (!chosen)
    return nullptr;
  CGeCurve3d* c = pool->GetAt(chosen);
  pool->RemoveAt(chosen);
  return c;
}

CGeCurve3d* CGeTool3D::SearchSingleNeighbor(CGeCurve3dList* pool, const double point[3], double tol,
                                            int& count) {
  count = 0;
  if (!pool)
    return nullptr;
  CGeCurve3d* free = nullptr;
  bool freeAtEnd = false;
  for (POSITION pos = pool->GetHeadPosition(); pos;) {
    CGeCurve3d* c = pool->GetNext(pos);
    if (!c)
      continue;
    _tagBox3D box3;
    c->GetBox(&box3);
    _tagBox2D box;
    box.min[0] = box3.min[0];
    box.min[1] = box3.min[1];
    box.max[0] = box3.max[0];
    box.max[1] = box3.max[1];
    if (BOX2D_IsPtIn(&box, point, tol) != 1)
      continue;
    double s[3], e[3];
    StartEnd(c, s, e);
    const double dS = P2D_Dist(s, point), dE = P2D_Dist(e, point);
    if (!(std::min(dS, dE) <= tol))
      continue;
    if (++count > 2)
      return nullptr;
    if (c->m_nTag == 0) {
      free = c;
      freeAtEnd = dE < dS;
    }
  }
  if (count != 2 || !free)
    return nullptr;
  free->m_nTag = 1;
  if (freeAtEnd)
    free->Reverse();
  return free->Copy();
}

CGeCurve3d* CGeTool3D::SearchNearestCurve(RBTree& tree, const double point[3], double tol,
                                          std::vector<CGeCurve3d*>& curves, bool& reversed) {
  reversed = false;
  CList<RBNode_*, RBNode_*> nodes;
  tree.findNodeRange(point[0] - tol, point[0] + tol, nodes);
  double best = tol;
  int found = -1;
  RBNode_* foundNode = nullptr;
  POSITION foundAt = nullptr;
  for (POSITION np = nodes.GetHeadPosition(); np;) {
    RBNode_* node = nodes.GetNext(np);
    auto* list = static_cast<CList<int, int>*>(node->user);
    if (!list)
      continue;
    for (POSITION pos = list->GetHeadPosition(); pos;) {
      POSITION at = pos;
      const int i = list->GetNext(pos);
      CGeCurve3d* c = curves[static_cast<size_t>(i)];
      if (!c) {
        // Taken out of play through its other end's node.
        list->RemoveAt(at);
        continue;
      }
      double s[3], e[3];
      StartEnd(c, s, e);
      double d = P3D_Dist(point, s);
      if (std::fabs(s[0] - point[0]) < best && d < best) {
        best = d;
        found = i;
        foundNode = node;
        foundAt = at;
        reversed = false;
      }
      d = P3D_Dist(point, e);
      if (std::fabs(e[0] - point[0]) < best && d < best) {
        best = d;
        found = i;
        foundNode = node;
        foundAt = at;
        reversed = true;
      }
    }
  }
  if (found < 0)
    return nullptr;
  static_cast<CList<int, int>*>(foundNode->user)->RemoveAt(foundAt);
  CGeCurve3d* c = curves[static_cast<size_t>(found)];
  curves[static_cast<size_t>(found)] = nullptr;
  return c;
}

void CGeTool3D::CreateScanBeamTree(std::vector<CGeCurve3d*>& curves, double, RBTree& tree) {
  auto add = [](RBNode_* node, int i) {
    if (!node)
      return;
    if (!node->user)
      node->user = new CList<int, int>();
    static_cast<CList<int, int>*>(node->user)->AddTail(i);
  };
  for (size_t i = 0; i < curves.size(); ++i) {
    CGeCurve3d* c = curves[i];
    if (!c)
      continue;
    double s[3], e[3];
    StartEnd(c, s, e);
    RBNode_* a = tree.insertNode(s[0]);
    add(a, static_cast<int>(i));
    RBNode_* b = tree.insertNode(e[0]);
    if (b != a)
      add(b, static_cast<int>(i));
  }
}

void CGeTool3D::ReCreateLoop3d(CGeCurve3dList* curves, CGeLoop3dList* loops, double tol,
                               bool closedOnly) {
  if (!curves || curves->IsEmpty() || !loops)
    return;
  // A tolerance that is no distance, or curves with non-finite ends, give no loops.
  if (!chain::ChainableInput<ChainTraits3d>(curves, tol))
    return;
  std::vector<CGeCurve3d*> items;
  for (POSITION pos = curves->GetHeadPosition(); pos;)
    if (CGeCurve3d* c = curves->GetNext(pos))
      if (CGeCurve3d* k = c->Copy())
        items.push_back(k);
  CQProgress progress;
  const double step = 1.0 / static_cast<double>(curves->GetCount());
  CEndPointPool3d pool(std::move(items), tol);
  const POSITION before = loops->GetTailPosition();

  while (!pool.Empty()) {
    CGeCurve3d* head = pool.TakeHead();
    progress.SetRange(step);
    double S[3], E[3], back[3];
    StartEnd(head, S, E);
    BackTan(head, back);
    auto loop = std::make_unique<CGeLoop3d>();
    loop->AddTail(head);
    const bool selfClosed = P3D_Dist(S, E) < tol && 2 * tol < head->EvTotalArcLength();
    if (!selfClosed) {
      int misses = 0;
      while (!pool.Empty() && !gIsProgressCancel()) {
        NextChoice choice{E, back, tol};
        pool.Search(E, choice);
        if (choice.choice >= 0) {
          CGeCurve3d* c = pool.Take(choice.choice);
          if (!choice.forward)
            c->Reverse();
          c->GetEndPoint(E);
          BackTan(c, back);
          loop->AddTail(c);
          if (closedOnly && P3D_Dist(S, E) < tol)
            break;
        } else if (misses++ == 0) {
          // Dead end: grow the chain from the head's start.
          head->GetStartTanVec(back);
          std::swap(S, E);
          loop->Reverse();
        } else {
          break;
        }
      }
    }
    if (!closedOnly || loop->IsLoop3d(tol))
      loops->AddTail(loop.release());
    if (gIsProgressCancel())
      break;
  }
  // A cancelled call discards what it built, never what the list held before.
  if (gIsProgressCancel())
    chain::DropAppended(loops, before);
}

void CGeTool3D::CreateLoop3dForClearCorner(CGeCurve3dList* curves, double tol,
                                           CGeLoop3dList* loops) {
  if (!curves || curves->IsEmpty() || !loops)
    return;
  CQProgress progress;
  const double step = 1.0 / static_cast<double>(curves->GetCount());
  const POSITION before = loops->GetTailPosition();
  const CurveSenses3d senses(*curves);
  while (CGeCurve3d* c = GetHeadInZmin(curves)) {
    progress.SetRange(step);
    auto loop = std::make_unique<CGeLoop3d>();
    loop->AddTail(c);
    if (gIsProgressCancel()) {
      loops->AddTail(loop.release());  // handed back to the caller below
      break;
    }
    double E[3];
    c->GetEndPoint(E);
    while (!gIsProgressCancel()) {
      CGeCurve3d* next = SearchNextForZFirst(curves, E, tol, 0.002);
      if (!next)
        break;
      loop->AddTail(next);
      next->GetEndPoint(E);
    }
    loops->AddTail(loop.release());
  }
  if (gIsProgressCancel()) {
    ReturnAppended(loops, before, curves, {});
    senses.Restore(*curves);
  }
}

void CGeTool3D::MakeLoop3d(CGeCurve3dList* curves, CGeLoop3dList* loops) {
  if (!curves || curves->IsEmpty() || !loops)
    return;
  std::vector<CGeCurve3d*> items;
  items.reserve(static_cast<size_t>(curves->GetCount()));
  for (POSITION pos = curves->GetHeadPosition(); pos;)
    items.push_back(curves->GetNext(pos));
  RBTree tree(0.005f);
  tree.SetUserDeleter(&RBTree::DeleteAs<CList<int, int>>);
  CreateScanBeamTree(items, 0.005, tree);
  CKXGlobal* settings = gGetKXGlobal();
  // Without a settings object the default settings' tolerance applies.
  const double tol =
      static_cast<double>(settings ? settings->GetChainTol() : CKXGlobal().GetChainTol());
  if (gIsProgressCancel())
    return;

  // Copies go into the loop; a matched end reverses the copy, never the
  // caller's curve.
  auto append = [](CGeLoop3d* loop, CGeCurve3d* c, bool reversed, double E[3]) {
    CGeCurve3d* k = c->Copy();
    if (!k)
      return;
    if (reversed)
      k->Reverse();
    loop->AddTail(k);
    k->GetEndPoint(E);
  };
  for (size_t i = 0; i < items.size(); ++i) {
    CGeCurve3d* c = items[i];
    if (!c)
      continue;
    items[i] = nullptr;
    auto loop = std::make_unique<CGeLoop3d>();
    double E[3];
    append(loop.get(), c, false, E);
    if (loop->m_CurveList.IsEmpty())
      continue;
    if (!gIsProgressCancel()) {
      for (int side = 0; side < 2; ++side) {
        bool reversed = false;
        while (CGeCurve3d* next = SearchNearestCurve(tree, E, tol, items, reversed))
          append(loop.get(), next, reversed, E);
        if (side == 0) {
          loop->Reverse();
          loop->m_CurveList.GetTail()->GetEndPoint(E);
        }
      }
    }
    loops->AddTail(loop.release());
  }
}

void CGeTool3D::CreateLinkedCurve(CGeCurve3dList* curves, CGeLoop3dList* loops) {
  if (!curves || curves->IsEmpty() || !loops)
    return;
  for (POSITION pos = curves->GetHeadPosition(); pos;)
    if (CGeCurve3d* c = curves->GetNext(pos))
      c->m_nTag = 0;
  const POSITION before = loops->GetTailPosition();
  const CurveSenses3d senses(*curves);
  std::vector<CGeCurve3d*> made;  // retrace copies, which are not the caller's
  bool cancelled = false;
  while (!cancelled) {
    CGeCurve3d* head = GetHead(curves);
    if (!head)
      break;
    auto loop = std::make_unique<CGeLoop3d>();
    loop->AddTail(head);
    double S[3], E[3], back[3];
    StartEnd(head, S, E);
    BackTan(head, back);
    int misses = 0;
    while (!curves->IsEmpty()) {
      if (gIsProgressCancel()) {
        cancelled = true;
        break;
      }
      bool forward = true;
      if (CGeCurve3d* c = SearchNext(curves, E, back, kLinkTol, true, forward)) {
        if (!forward)
          c->Reverse();
        c->GetEndPoint(E);
        BackTan(c, back);
        loop->AddTail(c);
      } else if (misses++ == 0) {
        head->GetStartTanVec(back);
        std::swap(S, E);
        loop->Reverse();
      } else {
        break;
      }
    }
    if (!cancelled) {
      CGeCurve3d* last = loop->m_CurveList.GetTail();
      if (last->m_nTag == 0)
        RecedeLinkCurve(curves, loop.get(), last, kLinkTol);
      // Remember the copies the retrace added: they are the only curves not
      // taken from the caller's list.
      for (POSITION pos = loop->m_CurveList.GetHeadPosition(); pos;) {
        CGeCurve3d* c = loop->m_CurveList.GetNext(pos);
        if (c->m_nTag == 2) {
          c->m_nTag = 1;
          made.push_back(c);
        }
      }
    }
    loops->AddTail(loop.release());
  }
  if (cancelled || gIsProgressCancel()) {
    ReturnAppended(loops, before, curves, made);
    senses.Restore(*curves);
    return;
  }
  POSITION pos = before;
  if (pos)
    loops->GetNext(pos);
  else
    pos = loops->GetHeadPosition();
  while (pos) {
    POSITION at = pos;
    CGeLoop3d* loop = loops->GetNext(pos);
    // Composites are opened only now, so a cancel above can still tell the retrace copies
    // from the caller's curves.
    loop->SeperateComCurve();
    if (loop->EvTotalArcLength() < kShortChain) {
      delete loop;
      loops->RemoveAt(at);
    }
  }
}

bool CGeTool3D::RecedeLinkCurve(CGeCurve3dList* pool, CGeLoop3d* loop, CGeCurve3d* curve,
                                double tol) {
  // The retrace may climb back through several dead ends; iterate instead of
  // recursing so a long branch cannot exhaust the stack.
  bool any = false;
  while (curve) {
    double E[3], e[3];
    loop->GetEndPoint(E);
    curve->GetEndPoint(e);
    if (P2D_Dist(E, e) > kRetraceReach)
      return any;
    CGeCurve3d* back = curve->Copy();
    if (!back)
      return any;
    back->Reverse();
    curve->m_nTag = 1;
    back->m_nTag = 2;  // a copy made here; the caller settles it to 1
    loop->AddTail(back);
    if (pool->IsEmpty())
      return any;
    any = true;
    double dir[3];
    back->GetEndPoint(E);
    BackTan(back, dir);
    bool forward = true;
    while (!pool->IsEmpty()) {
      CGeCurve3d* next = SearchNext(pool, E, dir, tol, true, forward);
      if (!next)
        break;
      if (!forward)
        next->Reverse();
      next->GetEndPoint(E);
      BackTan(next, dir);
      loop->AddTail(next);
    }
    CGeCurve3d* last = loop->m_CurveList.GetTail();
    curve = last->m_nTag == 0 ? last : nullptr;
  }
  return any;
}

void CGeTool3D::AxisCrvToComCrv(CGeCurve3dList* curves, CGeCurve3dList* out, double tol,
                                double minLength) {
  if (!curves || curves->IsEmpty() || !out)
    return;
  for (POSITION pos = curves->GetHeadPosition(); pos;)
    if (CGeCurve3d* c = curves->GetNext(pos))
      c->m_nTag = 0;
  // Marks only ever go from 0 to 1, so the search for a free curve never looks
  // back.
  POSITION cursor = curves->GetHeadPosition();
  while (!gIsProgressCancel()) {
    CGeCurve3d* first = nullptr;
    while (cursor && !first) {
      CGeCurve3d* c = curves->GetNext(cursor);
      if (c && c->m_nTag == 0)
        first = c;
    }
    if (!first)
      break;
    first->m_nTag = 1;
    CGeCurve3d* copy = first->Copy();
    if (!copy)
      continue;
    auto comb = std::make_unique<CGeCombCurve3d>();
    comb->AddTail(copy);
    double S[3], E[3];
    StartEnd(first, S, E);
    int endCount[2] = {0, 0};  // curves touching each end where the chain stopped
    int misses = 0;
    while (!gIsProgressCancel()) {
      int count = 0;
      if (CGeCurve3d* next = SearchSingleNeighbor(curves, E, tol, count)) {
        comb->AddTail(next);
        next->GetEndPoint(E);
        continue;
      }
      endCount[misses] = count;
      if (misses++ == 1)
        break;
      std::swap(S, E);
      comb->Reverse();
    }
    comb->CalcBox();
    const bool freeEnd = endCount[0] == 1 || endCount[1] == 1;
    if (freeEnd && comb->EvTotalArcLength2D() < minLength)
      continue;  // a short dangling spur
    out->AddTail(comb.release());
  }
}

int CGeTool3D::IsLinked(CGeCurve3dList* curves, double tol) { return geIsLinkCurve3d(curves, tol); }

int CGeTool3D::IsLoop3d(CGeCurve3dList* curves, double tol) { return geIsLoopCurve3d(curves, tol); }
