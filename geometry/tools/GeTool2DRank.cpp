// Visiting orders for loops, regions and curves: nearest-neighbour chaining, row-wise
// ranking and band-wise zig-zag ranking along an axis.
#include <cmath>
#include <vector>

#include "geometry/tools/GeTool2D.h"
#include "geometry/tools/GeTool2DInternal.h"

using namespace tool2d;

namespace {

struct Pt {
  double v[2];
};

Pt Start(CGeCurve* c) {
  Pt p{{0, 0}};
  c->GetStartPoint(p.v);
  return p;
}

Pt End(CGeCurve* c) {
  Pt p{{0, 0}};
  c->GetEndPoint(p.v);
  return p;
}

_tagBox2D Box(CGeCurve* c) {
  _tagBox2D b;
  c->GetBox2d(&b);
  return b;
}

// Index of the item whose start lies nearest to p (strictly nearer replaces). Falls back to
// the first item when no distance beats the sentinel, so a ranking always makes progress.
size_t NearestStart(const std::vector<CGeCurve*>& items, const double p[2]) {
  double best = kNoValue;
  size_t found = 0;
  for (size_t i = 0; i < items.size(); ++i) {
    const double d = P2D_Dist(p, Start(items[i]).v);
    if (d < best) {
      best = d;
      found = i;
    }
  }
  return found;
}

CGeCurve* TakeAt(std::vector<CGeCurve*>& items, size_t i) {
  CGeCurve* c = items[i];
  items.erase(items.begin() + static_cast<std::ptrdiff_t>(i));
  return c;
}

template <class T>
std::vector<CGeCurve*> TakeCurves(CTypedPtrList<CObList, T*>& list) {
  std::vector<T*> typed = TakeAll(list);
  return std::vector<CGeCurve*>(typed.begin(), typed.end());
}

// Row-wise ranking from p; p ends at the last chosen item's end point.
std::vector<CGeCurve*> RankRows(std::vector<CGeCurve*> items, double p[2]) {
  std::vector<CGeCurve*> out;
  out.reserve(items.size());
  _tagBox2D prev{};
  bool first = true;
  while (!items.empty()) {
    size_t pick = 0;
    if (first) {
      pick = NearestStart(items, p);
    } else {
      long same = -1, other = -1;
      double dSame = kNoValue, dOther = kNoValue, xSame = 0;
      for (size_t i = 0; i < items.size(); ++i) {
        const _tagBox2D b = Box(items[i]);
        const Pt s = Start(items[i]);
        const double d = P2D_Dist(p, s.v);
        const double dx = std::fabs(p[0] - s.v[0]);
        if (CInterval::ChkIntInt(b.min[1], b.max[1], prev.min[1], prev.max[1], 1e-6) == 1) {
          if (d < dSame || (same >= 0 && d < 1.5 * dSame && dx < xSame)) {
            same = static_cast<long>(i);
            dSame = d;
            xSame = dx;
          }
        } else if (d < dOther) {
          other = static_cast<long>(i);
          dOther = d;
        }
      }
      if (same >= 0 && other >= 0)
        pick = static_cast<size_t>(3 * dOther < dSame ? other : same);
      else if (same >= 0 || other >= 0)
        pick = static_cast<size_t>(same >= 0 ? same : other);
    }
    CGeCurve* c = TakeAt(items, pick);
    const Pt e = End(c);
    p[0] = e.v[0];
    p[1] = e.v[1];
    prev = Box(c);
    first = false;
    out.push_back(c);
  }
  return out;
}

std::vector<CGeCurve*> RankRowsFromCorner(std::vector<CGeCurve*> items) {
  double p[2] = {kNoValue, kNoValue};
  for (CGeCurve* c : items) {
    c->CalcBox2d();
    const _tagBox2D b = Box(c);
    p[0] = std::min(p[0], b.min[0]);
    p[1] = std::min(p[1], b.min[1]);
  }
  return RankRows(std::move(items), p);
}

// Zig-zag bands along x (or y with yAxis). With grow the band edge follows the joining
// items; otherwise it stays at the seed's.
std::vector<CGeCurve*> RankBands(std::vector<CGeCurve*> items, bool yAxis, bool grow) {
  if (items.size() < 2) return items;
  const int a = yAxis ? 1 : 0;  // across the bands
  const int b = 1 - a;          // along the bands
  _tagBox2D all;
  BOX2D_Init0(&all);
  for (CGeCurve* c : items) {
    const _tagBox2D bx = Box(c);
    BOX2D_Union(&all, &bx);
  }
  double r[2] = {all.min[0], all.min[1]};
  std::vector<CGeCurve*> out;
  out.reserve(items.size());
  while (!items.empty()) {
    double best = kNoValue;
    size_t seedAt = 0;
    for (size_t i = 0; i < items.size(); ++i) {
      const _tagBox2D bx = Box(items[i]);
      const double d = P2D_Dist(r, bx.min);
      if (d < best) {
        best = d;
        seedAt = i;
      }
    }
    CGeCurve* seed = TakeAt(items, seedAt);
    out.push_back(seed);
    double edge = Box(seed).max[b];
    std::vector<CGeCurve*> band;
    std::vector<double> dist;
    for (size_t i = 0; i < items.size();) {
      const _tagBox2D bx = Box(items[i]);
      if (bx.min[b] > edge) {
        ++i;
        continue;
      }
      if (grow && bx.max[b] > edge) edge = bx.max[b];
      const double d = P2D_Dist(r, Start(items[i]).v);
      size_t k = 0;
      while (k < dist.size() && !(dist[k] > d)) ++k;
      band.insert(band.begin() + static_cast<std::ptrdiff_t>(k), items[i]);
      dist.insert(dist.begin() + static_cast<std::ptrdiff_t>(k), d);
      items.erase(items.begin() + static_cast<std::ptrdiff_t>(i));
    }
    out.insert(out.end(), band.begin(), band.end());
    const _tagBox2D last = Box(out.back());
    const double mid = (last.min[a] + last.max[a]) / 2;
    r[a] = std::fabs(all.max[a] - mid) < std::fabs(all.min[a] - mid) ? all.max[a] : all.min[a];
    r[b] = edge;
  }
  return out;
}

// Keeps the region's outer loop first and reorders its holes.
template <class Rank>
void RankHoles(CGeRegion* region, Rank rank) {
  if (!region || RegionLoops(region).GetCount() < 2) return;
  CGeLoopList& loops = RegionLoops(region);
  CGeLoop* outer = loops.RemoveHead();
  rank(&loops);
  if (outer) loops.AddHead(outer);
}

}  // namespace

void CGeTool2D::RankRegionPosition(CGeRegionList* regions) {
  if (regions && !regions->IsEmpty()) RankRegionListNearest(regions);
}

void CGeTool2D::RankRegionListNearest(CGeRegionList* regions) {
  if (!regions) return;
  _tagBox2D all;
  BOX2D_Init0(&all);
  GetBox(regions, all);
  std::vector<CGeCurve*> items = TakeCurves(*regions);
  double r[2] = {all.min[0], all.min[1]};
  while (!items.empty()) {
    CGeCurve* c = TakeAt(items, NearestStart(items, r));
    c->GetEndPoint(r);
    regions->AddTail(static_cast<CGeRegion*>(c));
  }
  for (POSITION pos = regions->GetHeadPosition(); pos;) RankRegionNearest(regions->GetNext(pos));
}

void CGeTool2D::RankRegionNearest(CGeRegion* region) {
  RankHoles(region, [this](CGeLoopList* l) { RankLoopPosition(l); });
}

void CGeTool2D::RankLoopListNearest(CGeLoopList* loops) { RankLoopPosition(loops); }

void CGeTool2D::NearestDistanceSort(CGeLoopList* loops, bool allowReverse) {
  if (!loops) return;
  std::vector<CGeLoop*> items = TakeAll(*loops);
  if (items.empty()) return;
  CGeLoop* cur = items.front();
  items.erase(items.begin());
  loops->AddTail(cur);
  while (!items.empty()) {
    const Pt e = End(cur);
    double best = kNoValue;
    size_t found = 0;
    bool reverse = false;
    for (size_t i = 0; i < items.size(); ++i) {
      const double ds = P2D_Dist(e.v, Start(items[i]).v);
      if (ds < best) {
        best = ds;
        found = i;
        reverse = false;
      }
      if (!allowReverse) continue;
      const double de = P2D_Dist(e.v, End(items[i]).v);
      if (de < best) {
        best = de;
        found = i;
        reverse = true;
      }
    }
    cur = items[found];
    items.erase(items.begin() + static_cast<std::ptrdiff_t>(found));
    if (reverse) cur->Reverse(true);
    loops->AddTail(cur);
  }
}

void CGeTool2D::RankLoopPosition(CGeLoopList* loops) {
  if (!loops) return;
  AppendAll(*loops, RankRowsFromCorner(TakeCurves(*loops)));
}

void CGeTool2D::RankLoopPosition(CGeLoopList* loops, double pt[2]) {
  if (!loops) return;
  AppendAll(*loops, RankRows(TakeCurves(*loops), pt));
}

void CGeTool2D::RankCurve(CGeCurveList* curves) {
  if (!curves) return;
  AppendAll(*curves, RankRowsFromCorner(TakeAll(*curves)));
}

void CGeTool2D::RankCurve(CGeCurveList* curves, double pt[2]) {
  if (!curves) return;
  AppendAll(*curves, RankRows(TakeAll(*curves), pt));
}

void CGeTool2D::RankLoopListInXAxis(CGeLoopList* loops) {
  if (!loops || loops->GetCount() < 2) return;
  AppendAll(*loops, RankBands(TakeCurves(*loops), false, true));
}

void CGeTool2D::RankLoopListInYAxis(CGeLoopList* loops) {
  if (!loops || loops->GetCount() < 2) return;
  AppendAll(*loops, RankBands(TakeCurves(*loops), true, true));
}

void CGeTool2D::RankRegionInXAxis(CGeRegion* region) {
  RankHoles(region, [this](CGeLoopList* l) { RankLoopListInXAxis(l); });
}

void CGeTool2D::RankRegionInYAxis(CGeRegion* region) {
  RankHoles(region, [this](CGeLoopList* l) { RankLoopListInYAxis(l); });
}

void CGeTool2D::RankRegionListInXAxis(CGeRegionList* regions) {
  if (!regions) return;
  if (regions->GetCount() >= 2) AppendAll(*regions, RankBands(TakeCurves(*regions), false, false));
  for (POSITION pos = regions->GetHeadPosition(); pos;) RankRegionInXAxis(regions->GetNext(pos));
}

void CGeTool2D::RankRegionListInYAxis(CGeRegionList* regions) {
  if (!regions) return;
  if (regions->GetCount() >= 2) AppendAll(*regions, RankBands(TakeCurves(*regions), true, true));
  for (POSITION pos = regions->GetHeadPosition(); pos;) RankRegionInYAxis(regions->GetNext(pos));
}
