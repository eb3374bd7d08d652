// Visiting-order rankings of loops and regions: the documented orders on small layouts, and
// every ranking returns a permutation of the non-null input.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <random>
#include <vector>

#include "geometry/shapes2d/GeLine.h"
#include "geometry/shapes2d/GeLoop.h"
#include "geometry/shapes2d/GeRegion.h"
#include "geometry/tools/GeTool2D.h"
#include "support/VurodeFixture.h"

namespace {

// Counter-clockwise square starting at its lower-left corner.
CGeLoop* Rect(double x, double y, double w, double h) {
  const double p[4][2] = {{x, y}, {x + w, y}, {x + w, y + h}, {x, y + h}};
  auto* l = new CGeLoop;
  for (int i = 0; i < 4; ++i) l->AddTail(new CGeLine(p[i], p[(i + 1) % 4]), 1);
  return l;
}

CGeRegion* RegionOf(CGeLoop* outer) {
  auto* r = new CGeRegion;
  r->m_LoopList.AddTail(outer);
  r->CalcBox2d();
  return r;
}

template <class T>
std::vector<T*> Items(CTypedPtrList<CObList, T*>& l) {
  std::vector<T*> v;
  for (POSITION pos = l.GetHeadPosition(); pos;) v.push_back(l.GetNext(pos));
  return v;
}

template <class T>
void Fill(CTypedPtrList<CObList, T*>& l, const std::vector<T*>& v) {
  for (T* p : v) l.AddTail(p);
}

struct Loops {
  CGeLoopList list;
  ~Loops() {
    while (!list.IsEmpty()) delete list.RemoveHead();
  }
};

struct Regions {
  CGeRegionList list;
  ~Regions() {
    while (!list.IsEmpty()) delete list.RemoveHead();
  }
};

class RankTest : public VurodeTest {};

TEST_F(RankTest, RowsPreferTheSameRowUnlessTheNextRowIsMuchNearer) {
  struct Case {
    const char* name;
    double rightX;  // x of the lower-right square
    std::vector<int> order;  // indices into {LL, LR, UL, UR}
  } cases[] = {
      {"grid: lower row first", 2, {0, 1, 3, 2}},
      {"far right square: the upper one is three times nearer", 30, {0, 2, 3, 1}},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.name);
    std::vector<CGeLoop*> sq{Rect(0, 0, 1, 1), Rect(k.rightX, 0, 1, 1), Rect(0, 2, 1, 1),
                             Rect(2, 2, 1, 1)};
    std::vector<CGeLoop*> want;
    for (int i : k.order) want.push_back(sq[i]);
    Loops o;
    Fill(o.list, {sq[3], sq[1], sq[2], sq[0]});
    CGeTool2D().RankLoopPosition(&o.list);
    EXPECT_EQ(Items(o.list), want);
    // The same loops ranked as plain curves come out alike.
    CGeCurveList curves;
    for (CGeLoop* l : {sq[2], sq[0], sq[3], sq[1]}) curves.AddTail(l);
    CGeTool2D().RankCurve(&curves);
    EXPECT_EQ(Items(curves), (std::vector<CGeCurve*>(want.begin(), want.end())));
  }
}

TEST_F(RankTest, BandsZigZagAlongTheAxis) {
  std::vector<CGeLoop*> grid;  // grid[row * 3 + col]
  for (int row = 0; row < 3; ++row)
    for (int col = 0; col < 3; ++col) grid.push_back(Rect(2 * col, 2 * row, 1, 1));
  auto order = [&](std::initializer_list<int> idx) {
    std::vector<CGeLoop*> v;
    for (int i : idx) v.push_back(grid[i]);
    return v;
  };
  Loops o;
  std::vector<CGeLoop*> shuffled = grid;
  std::shuffle(shuffled.begin(), shuffled.end(), std::mt19937(2));
  Fill(o.list, shuffled);
  CGeTool2D().RankLoopListInXAxis(&o.list);
  EXPECT_EQ(Items(o.list), order({0, 1, 2, 5, 4, 3, 6, 7, 8}));
  CGeTool2D().RankLoopListInYAxis(&o.list);
  EXPECT_EQ(Items(o.list), order({0, 3, 6, 7, 4, 1, 2, 5, 8}));
}

TEST_F(RankTest, RegionBandsGrowOnlyAcrossY) {
  // A tall (or wide) neighbour pulls a far square into the first band only where the band
  // edge follows the joining items.
  struct Case {
    const char* name;
    bool yAxis;
    bool regions;
    std::vector<int> order;
  } cases[] = {
      {"loops along x: band grows", false, false, {0, 1, 3, 2}},
      {"regions along x: band stays", false, true, {0, 1, 2, 3}},
      {"regions along y: band grows", true, true, {0, 1, 3, 2}},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.name);
    // A, the tall (wide) one, a short one beyond it, and one up (right) in the far band;
    // the tall one is met first, so a growing edge takes in the far one.
    std::vector<CGeLoop*> l;
    if (!k.yAxis)
      l = {Rect(0, 0, 2, 2), Rect(3, 0, 2, 10), Rect(6, 0, 2, 2), Rect(0, 5, 2, 2)};
    else
      l = {Rect(0, 0, 2, 2), Rect(0, 3, 10, 2), Rect(0, 6, 2, 2), Rect(5, 0, 2, 2)};
    if (k.regions) {
      std::vector<CGeRegion*> r;
      for (CGeLoop* p : l) r.push_back(RegionOf(p));
      Regions o;
      Fill(o.list, {r[1], r[3], r[2], r[0]});
      if (k.yAxis)
        CGeTool2D().RankRegionListInYAxis(&o.list);
      else
        CGeTool2D().RankRegionListInXAxis(&o.list);
      std::vector<CGeRegion*> want;
      for (int i : k.order) want.push_back(r[i]);
      EXPECT_EQ(Items(o.list), want);
    } else {
      Loops o;
      Fill(o.list, {l[1], l[3], l[2], l[0]});
      CGeTool2D().RankLoopListInXAxis(&o.list);
      std::vector<CGeLoop*> want;
      for (int i : k.order) want.push_back(l[i]);
      EXPECT_EQ(Items(o.list), want);
    }
  }
}

TEST_F(RankTest, NearestDistanceSortReversesWhenTheEndIsNearer) {
  for (bool allow : {false, true}) {
    Loops o;
    const double a[2] = {0, 0}, b[2] = {1, 0}, c[2] = {2, 0}, far[2] = {9, 9};
    auto* first = new CGeLoop;
    first->AddTail(new CGeLine(a, b), 1);
    auto* backwards = new CGeLoop;
    backwards->AddTail(new CGeLine(c, b), 1);
    auto* other = new CGeLoop;
    other->AddTail(new CGeLine(far, c), 1);
    Fill(o.list, {first, other, backwards});
    CGeTool2D().NearestDistanceSort(&o.list, allow);
    EXPECT_EQ(Items(o.list), (std::vector<CGeLoop*>{first, backwards, other}));
    double s[2];
    backwards->GetStartPoint(s);
    EXPECT_EQ(s[0], allow ? 1 : 2);
  }
}

TEST_F(RankTest, RegionsKeepTheirOuterLoopFirst) {
  Regions o;
  CGeRegion* r = RegionOf(Rect(0, 0, 20, 20));
  std::vector<CGeLoop*> holes{Rect(12, 12, 2, 2), Rect(2, 2, 2, 2), Rect(12, 2, 2, 2)};
  for (CGeLoop* h : holes) r->m_LoopList.AddTail(h);
  CGeLoop* outer = r->m_LoopList.GetHead();
  o.list.AddTail(r);
  CGeTool2D().RankRegionPosition(&o.list);
  EXPECT_EQ(Items(r->m_LoopList), (std::vector<CGeLoop*>{outer, holes[1], holes[2], holes[0]}));
}

// Far away, every distance exceeds the 1e12 "no value" sentinel; rankings still finish.
TEST_F(RankTest, EveryRankingIsAPermutation) {
  for (double offset : {0.0, 1e13}) {
  SCOPED_TRACE(testing::Message() << "offset " << offset);
  using LoopRank = std::function<void(CGeTool2D&, CGeLoopList*)>;
  const std::pair<const char*, LoopRank> loopRanks[] = {
      {"RankLoopPosition", [](CGeTool2D& t, CGeLoopList* l) { t.RankLoopPosition(l); }},
      {"RankLoopListNearest", [](CGeTool2D& t, CGeLoopList* l) { t.RankLoopListNearest(l); }},
      {"RankLoopListInXAxis", [](CGeTool2D& t, CGeLoopList* l) { t.RankLoopListInXAxis(l); }},
      {"RankLoopListInYAxis", [](CGeTool2D& t, CGeLoopList* l) { t.RankLoopListInYAxis(l); }},
      {"NearestDistanceSort", [](CGeTool2D& t, CGeLoopList* l) { t.NearestDistanceSort(l, true); }},
  };
  std::mt19937 rng(8);
  std::uniform_real_distribution<double> u(0, 100);
  for (const auto& [name, rank] : loopRanks) {
    SCOPED_TRACE(name);
    Loops o;
    std::vector<CGeLoop*> in;
    for (int i = 0; i < 40; ++i)
      in.push_back(Rect(offset + u(rng), u(rng), 1 + u(rng) / 10, 1 + u(rng) / 10));
    Fill(o.list, in);
    o.list.InsertAfter(o.list.FindIndex(3), static_cast<CGeLoop*>(nullptr));
    CGeTool2D t;
    rank(t, &o.list);
    std::vector<CGeLoop*> out = Items(o.list);
    std::sort(in.begin(), in.end());
    std::sort(out.begin(), out.end());
    EXPECT_EQ(out, in);
  }
  using RegionRank = std::function<void(CGeTool2D&, CGeRegionList*)>;
  const std::pair<const char*, RegionRank> regionRanks[] = {
      {"RankRegionPosition", [](CGeTool2D& t, CGeRegionList* l) { t.RankRegionPosition(l); }},
      {"RankRegionListInXAxis", [](CGeTool2D& t, CGeRegionList* l) { t.RankRegionListInXAxis(l); }},
      {"RankRegionListInYAxis", [](CGeTool2D& t, CGeRegionList* l) { t.RankRegionListInYAxis(l); }},
  };
  for (const auto& [name, rank] : regionRanks) {
    SCOPED_TRACE(name);
    Regions o;
    std::vector<CGeRegion*> in;
    for (int i = 0; i < 30; ++i) {
      const double x = offset + 40.0 * (i % 6), y = 40.0 * (i / 6);
      CGeRegion* r = RegionOf(Rect(x, y, 30, 30));
      for (int h = 0; h < 4; ++h) r->m_LoopList.AddTail(Rect(x + 2 + u(rng) / 5, y + 2 + u(rng) / 5, 2, 2));
      in.push_back(r);
    }
    Fill(o.list, in);
    CGeTool2D t;
    rank(t, &o.list);
    std::vector<CGeRegion*> out = Items(o.list);
    for (CGeRegion* r : out) EXPECT_EQ(r->m_LoopList.GetCount(), 5);
    std::sort(in.begin(), in.end());
    std::sort(out.begin(), out.end());
    EXPECT_EQ(out, in);
  }
  }
}

}  // namespace
