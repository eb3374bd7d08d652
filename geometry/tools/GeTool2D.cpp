// Loop lists and regions: classification, orientation and nesting, region building, loop
// booleans through the polygon clipper, and the small list utilities the loop tools share.
#include "geometry/tools/GeTool2D.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

#include "geometry/shapes2d/GeCombCurve.h"
#include "geometry/shapes2d/ShapeListUtil.h"
#include "geometry/tools/GeTool2DInternal.h"

using namespace tool2d;

namespace {

constexpr double kNestTol = 1e-12;

// Stable descending order by cached area, as repeated insertion before the first smaller key
// gives it. Without NaN keys that is a stable sort; with them the insertion is replayed.
void SortByArea(std::vector<CGeLoop*>& v, bool byMagnitude) {
  auto key = [byMagnitude](CGeLoop* l) {
    return byMagnitude ? std::fabs(LoopArea(l)) : LoopArea(l);
  };
  const bool hasNaN =
      std::any_of(v.begin(), v.end(), [&](CGeLoop* l) { return std::isnan(key(l)); });
  if (!hasNaN) {
    std::stable_sort(v.begin(), v.end(), [&](CGeLoop* a, CGeLoop* b) { return key(a) > key(b); });
    return;
  }
  std::vector<CGeLoop*> out;
  for (CGeLoop* l : v) {
    const double k = key(l);
    auto it = std::find_if(out.begin(), out.end(), [&](CGeLoop* p) { return key(p) < k; });
    out.insert(it, l);
  }
  v.swap(out);
}

void MakeCCW(CGeLoop* l) {
  if (LoopArea(l) < 0) l->Reverse(true);
}

void MakeCW(CGeLoop* l) {
  if (LoopArea(l) > 0) l->Reverse(true);
}

// Appends each region that holds loops (box recomputed); deletes an empty one.
void FinishRegion(std::unique_ptr<CGeRegion>& region, CGeRegionList* out) {
  if (!region) return;
  if (RegionLoops(region.get()).IsEmpty()) {
    region.reset();
    return;
  }
  region->CalcBox2d();
  out->AddTail(region.release());
}

// Among a fixed array of loops, finds those whose box may lie inside another's, so that
// nesting tests skip loops that are plainly elsewhere. Boxes are taken when it is built; a
// loop with a box that cannot be ordered is always a candidate.
class CBoxSweep {
 public:
  explicit CBoxSweep(const std::vector<CGeLoop*>& loops) : m_boxes(loops.size()) {
    for (size_t i = 0; i < loops.size(); ++i) {
      m_boxes[i] = loops[i]->m_box;
      const _tagBox2D& b = m_boxes[i];
      if (std::isfinite(b.min[0]) && std::isfinite(b.max[0]) && b.max[0] >= b.min[0])
        m_byMinX.push_back(i);
      else
        m_always.push_back(i);
    }
    std::sort(m_byMinX.begin(), m_byMinX.end(),
              [&](size_t a, size_t b) { return m_boxes[a].min[0] < m_boxes[b].min[0]; });
  }

  // Ascending indices after `i` whose box may be contained in loop i's box.
  void After(size_t i, std::vector<size_t>& out) const {
    out.assign(m_always.begin(), m_always.end());
    const _tagBox2D& o = m_boxes[i];
    if (std::isfinite(o.min[0]) && std::isfinite(o.max[0])) {
      const double m = 1e-9 * std::max({1.0, std::fabs(o.min[0]), std::fabs(o.max[0])});
      auto lo = std::lower_bound(m_byMinX.begin(), m_byMinX.end(), o.min[0] - m,
                                 [&](size_t a, double v) { return m_boxes[a].min[0] < v; });
      for (auto it = lo; it != m_byMinX.end() && !(m_boxes[*it].min[0] > o.max[0] + m); ++it)
        out.push_back(*it);
    } else {
      out.insert(out.end(), m_byMinX.begin(), m_byMinX.end());
    }
    out.erase(std::remove_if(out.begin(), out.end(), [i](size_t j) { return j <= i; }), out.end());
    std::sort(out.begin(), out.end());
  }

 private:
  std::vector<_tagBox2D> m_boxes;
  std::vector<size_t> m_byMinX;
  std::vector<size_t> m_always;
};

}  // namespace

void CGeTool2D::ClassifyLoop(CGeLoopList* loops, CGeLoopList* notClosed, CGeLoopList* closed,
                             double tol) {
  if (!loops) return;
  for (POSITION pos = loops->GetHeadPosition(); pos;) {
    CGeLoop* l = loops->GetNext(pos);
    if (!l) continue;
    CGeLoopList* target = l->IsLoop(tol) ? closed : notClosed;
    if (target) target->AddTail(l);
  }
}

void CGeTool2D::SortLoopWithArea(CGeLoopList* loops, bool byMagnitude) {
  if (!loops || loops->GetCount() < 2) return;
  std::vector<CGeLoop*> v = TakeAll(*loops);
  SortByArea(v, byMagnitude);
  AppendAll(*loops, v);
}

void CGeTool2D::RefineRegionInLoop(CGeLoopList* group, CGeLoopList* out) {
  if (!group || !out) return;
  std::vector<CGeLoop*> v;
  for (POSITION pos = group->GetHeadPosition(); pos;)
    if (CGeLoop* l = group->GetNext(pos)) v.push_back(l);
  for (CGeLoop* l : v) l->SetUsedFlag(1);
  for (size_t i = 1; i < v.size(); ++i) {
    if (!HasPoints(v[i]) || !v[i]->IsUsed()) continue;
    for (size_t j = i + 1; j < v.size(); ++j)
      if (HasPoints(v[j]) && v[j]->IsUsed() && v[i]->IsContainLoop(v[j], kNestTol))
        v[j]->SetUsedFlag(0);
  }
  for (CGeLoop* l : v)
    if (l->IsUsed() == 1) out->AddTail(l);
}

void CGeTool2D::ReSortLoop(CGeLoopList* loops) {
  if (!loops || loops->IsEmpty()) return;
  const double tol = gGetCurveDicTol();
  for (POSITION pos = loops->GetHeadPosition(); pos;) {
    CGeLoop* l = loops->GetNext(pos);
    if (!l) continue;
    l->EvArea(tol);
    l->CalcBox2d();
    l->m_bReversed = false;
  }
  if (loops->GetCount() == 1) {
    if (CGeLoop* l = loops->GetHead()) {
      MakeCCW(l);
      l->SetOuterFlag();
    }
    return;
  }
  SortLoopWithArea(loops, true);
  std::vector<CGeLoop*> sorted = TakeAll(*loops);
  const CBoxSweep sweep(sorted);
  std::vector<size_t> near;
  std::vector<char> placed(sorted.size(), 0);
  std::vector<CGeLoop*> order;
  std::vector<CGeLoop*> noPoints;
  for (size_t i = 0; i < sorted.size(); ++i) {
    CGeLoop* outer = sorted[i];
    if (!HasPoints(outer)) {
      noPoints.push_back(outer);
      continue;
    }
    if (placed[i]) continue;
    MakeCCW(outer);
    CGeLoopList group, kept;
    group.AddTail(outer);
    sweep.After(i, near);
    for (size_t j : near) {
      if (placed[j] || !HasPoints(sorted[j])) continue;
      if (!outer->IsContainLoop(sorted[j], kNestTol)) continue;
      MakeCW(sorted[j]);
      group.AddTail(sorted[j]);
    }
    RefineRegionInLoop(&group, &kept);
    for (POSITION pos = kept.GetHeadPosition(); pos;) {
      CGeLoop* l = kept.GetNext(pos);
      placed[std::find(sorted.begin(), sorted.end(), l) - sorted.begin()] = 1;
      order.push_back(l);
    }
  }
  for (CGeLoop* l : order) {
    if (LoopArea(l) > 0)
      l->SetOuterFlag();
    else
      l->SetInnerFlag();
  }
  // Loops without points cannot be nested; they stay the caller's, at the tail.
  AppendAll(*loops, order);
  AppendAll(*loops, noPoints);
}

void CGeTool2D::CreateRegion(CGeLoopList* loops, CGeRegionList* regions) {
  if (!loops || loops->IsEmpty() || !regions) return;
  ReSortLoop(loops);
  CGeRegionList made;
  std::unique_ptr<CGeRegion> region;
  for (POSITION pos = loops->GetHeadPosition(); pos;) {
    POSITION at = pos;
    CGeLoop* l = loops->GetNext(pos);
    if (!l || !HasPoints(l)) continue;
    if (LoopArea(l) > 0) {
      FinishRegion(region, &made);
      region = std::make_unique<CGeRegion>();
      RegionLoops(region.get()).AddTail(l);
      loops->RemoveAt(at);
      continue;
    }
    if (!region) continue;
    CGeLoop* outer = RegionLoops(region.get()).GetHead();
    double p[2];
    l->GetStartPoint(p);
    _tagBox2D outerBox, box;
    outer->GetBox2d(&outerBox);
    l->GetBox2d(&box);
    if (!BOX2D_IsContain(&outerBox, &box, 0.0001)) continue;
    // A hole may touch the outer boundary at its start point.
    if (outer->IsPtInLoop(p, 1e-6) == 1) continue;
    RegionLoops(region.get()).AddTail(l);
    loops->RemoveAt(at);
  }
  FinishRegion(region, &made);
  // Rank only what this call made; the caller's regions keep their order.
  RankRegionPosition(&made);
  while (!made.IsEmpty()) regions->AddTail(made.RemoveHead());
}

void CGeTool2D::CreateRegionAtFast(CGeLoopList* loops, CGeRegionList* regions) {
  if (!loops || loops->IsEmpty() || !regions) return;
  ReSortLoop(loops);
  std::unique_ptr<CGeRegion> region;
  for (POSITION pos = loops->GetHeadPosition(); pos;) {
    POSITION at = pos;
    CGeLoop* l = loops->GetNext(pos);
    if (!l || !HasPoints(l)) continue;
    if (LoopArea(l) > 0) {
      FinishRegion(region, regions);
      region = std::make_unique<CGeRegion>();
    }
    if (!region) continue;
    RegionLoops(region.get()).AddTail(l);
    loops->RemoveAt(at);
  }
  FinishRegion(region, regions);
}

void CGeTool2D::CreateRegionInSelfDir(CGeLoopList* loops, CGeRegionList* regions) {
  if (!loops || loops->IsEmpty() || !regions) return;
  const double tol = gGetCurveDicTol();
  for (POSITION pos = loops->GetHeadPosition(); pos;) {
    if (CGeLoop* l = loops->GetNext(pos)) {
      l->EvArea(tol);
      l->CalcBox2d();
    }
  }
  SortLoopWithArea(loops, false);
  std::vector<CGeLoop*> v = TakeAll(*loops);
  const CBoxSweep sweep(v);
  std::vector<size_t> near, members;
  std::vector<char> gone(v.size(), 0);
  for (size_t i = 0; i < v.size(); ++i) {
    if (gone[i]) continue;
    gone[i] = 1;
    CGeLoop* head = v[i];
    if (LoopArea(head) < 0) {
      delete head;
      continue;
    }
    CGeLoopList group, kept;
    group.AddTail(head);
    members.assign(1, i);
    sweep.After(i, near);
    for (size_t j : near) {
      if (!gone[j] && HasPoints(v[j]) && !(LoopArea(v[j]) > 0) &&
          head->IsContainLoop(v[j], kNestTol)) {
        group.AddTail(v[j]);
        members.push_back(j);
      }
    }
    RefineRegionInLoop(&group, &kept);
    auto region = std::make_unique<CGeRegion>();
    for (size_t j : members) {
      if (kept.Find(v[j]) == nullptr) continue;
      gone[j] = 1;
      RegionLoops(region.get()).AddTail(v[j]);
    }
    FinishRegion(region, regions);
  }
}

void CGeTool2D::MakeRegion(CGeLoopList* loops, CGeRegionList* regions) {
  if (!loops || loops->IsEmpty() || !regions) return;
  std::vector<CGeLoop*> v;
  while (!loops->IsEmpty()) {
    CGeLoop* l = loops->RemoveHead();
    if (!l) continue;
    l->EvArea(0.01);
    _tagBox2D box;
    l->GetBox2d(&box);
    double s[2] = {0, 0}, e[2] = {0, 0};
    l->GetStartPoint(s);
    l->GetEndPoint(e);
    const bool tiny = box.max[0] - box.min[0] <= 0.01 && box.max[1] - box.min[1] <= 0.01;
    if (tiny || P2D_Dist(s, e) > 0.005)
      delete l;
    else
      v.push_back(l);
  }
  SortByArea(v, false);
  const CBoxSweep sweep(v);
  std::vector<size_t> near;
  std::vector<CGeLoop*> noPoints;
  std::vector<char> gone(v.size(), 0);
  for (size_t i = 0; i < v.size(); ++i) {
    if (gone[i]) continue;
    CGeLoop* head = v[i];
    gone[i] = 1;
    if (!HasPoints(head)) {
      // Nothing to nest; the loop stays the caller's.
      noPoints.push_back(head);
      continue;
    }
    if (LoopArea(head) < 0) {
      delete head;
      continue;
    }
    auto region = std::make_unique<CGeRegion>();
    RegionLoops(region.get()).AddTail(head);
    sweep.After(i, near);
    for (size_t j : near) {
      if (gone[j] || !HasPoints(v[j]) || !head->IsContainLoop(v[j], kNestTol)) continue;
      gone[j] = 1;
      if (LoopArea(v[j]) < 0)
        RegionLoops(region.get()).AddTail(v[j]);
      else
        delete v[j];  // an island inside a hole
    }
    FinishRegion(region, regions);
  }
  AppendAll(*loops, noPoints);
}

void CGeTool2D::StitchCurveList(CGeCurveList* curves, double tol) {
  if (!curves) return;
  CGeCurve* first = nullptr;
  CGeCurve* prev = nullptr;
  auto stitch = [tol](CGeCurve* from, CGeCurve* to) {
    double e[2], s[2];
    from->GetEndPoint(e);
    to->GetStartPoint(s);
    const double gap = P2D_Dist(e, s);
    if (gap < tol && gap > 1e-12) to->ModifyStartPoint(e);
  };
  for (POSITION pos = curves->GetHeadPosition(); pos;) {
    CGeCurve* c = curves->GetNext(pos);
    if (!c) continue;
    if (prev)
      stitch(prev, c);
    else
      first = c;
    prev = c;
  }
  if (first) stitch(prev, first);
}

void CGeTool2D::AddTailToCombCurve(CGeCombCurve* target, CGeCurve* curve) {
  if (!target || !curve) return;
  if (curve->GetType() != GE_TYPE_COMBCURVE) {
    target->m_CurveList.AddTail(curve);
    return;
  }
  CGeCurveList& from = static_cast<CGeCombCurve*>(curve)->m_CurveList;
  while (!from.IsEmpty()) target->m_CurveList.AddTail(from.RemoveHead());
}

void CGeTool2D::DeleteCurve(CGeCurveList* curves) {
  if (!curves) return;
  while (!curves->IsEmpty()) delete curves->RemoveHead();
}

namespace {
template <class T>
void UnionBox(CTypedPtrList<CObList, T*>* list, _tagBox2D& box) {
  if (!list || list->IsEmpty()) return;
  BOX2D_Init0(&box);
  for (POSITION pos = list->GetHeadPosition(); pos;) {
    T* item = list->GetNext(pos);
    if (!item) continue;
    _tagBox2D b;
    item->GetBox2d(&b);
    BOX2D_Union(&box, &b);
  }
}
}  // namespace

void CGeTool2D::GetBox(CGeCurveList* curves, _tagBox2D& box) { UnionBox(curves, box); }
void CGeTool2D::GetBox(CGeLoopList* loops, _tagBox2D& box) { UnionBox(loops, box); }
void CGeTool2D::GetBox(CGeRegionList* regions, _tagBox2D& box) { UnionBox(regions, box); }

CGeLoop* CGeTool2D::SearchNearestLoop(CGeLoopList* loops, const double pt[2], bool remove) {
  if (!loops) return nullptr;
  double best = kNoValue;
  POSITION found = nullptr;
  for (POSITION pos = loops->GetHeadPosition(); pos;) {
    POSITION at = pos;
    CGeLoop* l = loops->GetNext(pos);
    if (!l) continue;
    double s[2];
    l->GetStartPoint(s);
    const double d = P2D_Dist(pt, s);
    if (d < best) {
      best = d;
      found = at;
    }
  }
  if (!found) return nullptr;
  CGeLoop* l = loops->GetAt(found);
  if (remove) loops->RemoveAt(found);
  return l;
}
