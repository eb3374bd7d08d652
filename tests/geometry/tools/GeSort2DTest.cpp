// Curve visiting order: known optimal orders, the split of a chain at its largest gap, and
// the sorted travel never exceeds that of the plain cheapest-insertion chain.
#include "geometry/tools/GeSort2D.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

#include "geometry/shapes2d/GeLine.h"

namespace {

class CSortProbe : public CGeSort2D {
 public:
  using CGeSort2D::CGeSort2D;
  using CGeSort2D::DivideList;
  using CGeSort2D::GetMinDist;
  using CGeSort2D::GetNearestCurve;
  using CGeSort2D::GetSpaceLength;
  using CGeSort2D::SortList;
};

struct Curves {
  CGeCurveList list;
  std::vector<CGeCurve*> made;
  CGeCurve* Line(double x0, double y0, double x1, double y1) {
    const double a[2] = {x0, y0}, b[2] = {x1, y1};
    made.push_back(new CGeLine(a, b));
    return made.back();
  }
  ~Curves() {
    for (CGeCurve* c : made) delete c;
  }
};

std::vector<CGeCurve*> Items(CGeCurveList& l) {
  std::vector<CGeCurve*> v;
  for (POSITION pos = l.GetHeadPosition(); pos;) v.push_back(l.GetNext(pos));
  return v;
}

TEST(Sort2DTest, ShortListsStand) {
  Curves c;
  c.list.AddTail(c.Line(5, 0, 6, 0));
  c.list.AddTail(c.Line(0, 0, 1, 0));
  const std::vector<CGeCurve*> before = Items(c.list);
  const double p[2] = {0, 0};
  CGeSort2D().SortInNearDistance(p, &c.list);
  EXPECT_EQ(Items(c.list), before);
}

TEST(Sort2DTest, CollinearPiecesComeBackInOrder) {
  {
    Curves c;
    std::vector<CGeCurve*> want;
    for (int i = 0; i < 12; ++i) want.push_back(c.Line(3.0 * i, 0, 3.0 * i + 1, 0));
    std::vector<CGeCurve*> shuffled = want;
    std::shuffle(shuffled.begin(), shuffled.end(), std::mt19937(4));
    for (CGeCurve* k : shuffled) c.list.AddTail(k);
    const double p[2] = {-1, 0};
    CGeSort2D().SortInNearDistance(p, &c.list);
    EXPECT_EQ(Items(c.list), want);
  }
}

TEST(Sort2DTest, DivideListSplitsAtTheLargestGap) {
  CSortProbe s;
  struct Case {
    const char* name;
    std::vector<double> starts;  // unit pieces along x
    int result;
    INT_PTR firstCount;
  } cases[] = {
      {"linked chain", {0, 1, 2, 3}, 0, 0},
      {"gap in the middle", {0, 1, 10, 11, 12}, 1, 2},
      {"gap before the last piece", {0, 1, 2, 30}, 0, 0},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.name);
    Curves c;
    for (double x : k.starts) c.list.AddTail(c.Line(x, 0, x + 1, 0));
    CGeCurveList first, second;
    EXPECT_EQ(s.DivideList(&c.list, &first, &second), k.result);
    EXPECT_EQ(first.GetCount(), k.firstCount);
    if (k.result) {
      EXPECT_EQ(first.GetCount() + second.GetCount(), c.list.GetCount());
    }
  }
}

// Cheapest insertion by scanning every (chain, pool) pair at each step.
void ScanSortList(CSortProbe& s, CGeCurveList* pool, CGeCurveList* chain) {
  auto gap = [&](CGeCurve* a, CGeCurve* b) {
    double l[2], st[2];
    if (s.m_bStartLink)
      a->GetStartPoint(l);
    else
      a->GetEndPoint(l);
    b->GetStartPoint(st);
    return P2D_Dist(l, st);
  };
  while (!pool->IsEmpty()) {
    POSITION xPos, cPos;
    s.GetMinDist(chain, pool, xPos, cPos);
    CGeCurve* c = pool->GetAt(cPos);
    pool->RemoveAt(cPos);
    if (chain->GetCount() == 1) {
      chain->AddTail(c);
      continue;
    }
    CGeCurve* x = chain->GetAt(xPos);
    POSITION p = xPos, n = xPos;
    chain->GetPrev(p);
    chain->GetNext(n);
    double before = gap(c, x), after = 0;
    if (p) {
      before += gap(chain->GetAt(p), c);
      after += gap(chain->GetAt(p), x);
    }
    if (n) {
      before += gap(x, chain->GetAt(n));
      after += gap(c, chain->GetAt(n));
    }
    if (!s.m_bStartLink)
      after += gap(x, c);
    else if (p)
      after += gap(chain->GetAt(p), c);
    if (before > after)
      chain->InsertAfter(xPos, c);
    else
      chain->InsertBefore(xPos, c);
  }
}

TEST(Sort2DTest, InsertionMatchesThePairScanOnTies) {
  // Pieces on a lattice: many equal distances, so only the tie rules decide.
  for (bool startLink : {false, true}) {
    for (unsigned seed : {1u, 2u, 3u}) {
      Curves c;
      std::vector<CGeCurve*> v;
      for (int i = 0; i < 7; ++i)
        for (int j = 0; j < 7; ++j) v.push_back(c.Line(i, j, i + 0.5, j + (seed % 2) * 0.5));
      std::shuffle(v.begin(), v.end(), std::mt19937(seed));
      CSortProbe s(startLink);
      CGeCurveList pool1, pool2, chain1, chain2;
      chain1.AddTail(v[0]);
      chain2.AddTail(v[0]);
      for (size_t i = 1; i < v.size(); ++i) {
        pool1.AddTail(v[i]);
        pool2.AddTail(v[i]);
      }
      s.SortList(&pool1, &chain1);
      ScanSortList(s, &pool2, &chain2);
      EXPECT_EQ(Items(chain1), Items(chain2)) << "start link " << startLink << " seed " << seed;
    }
  }
}

TEST(Sort2DTest, SortingNeverLengthensTheInsertionChain) {
  std::mt19937 rng(6);
  std::uniform_real_distribution<double> u(0, 50);
  for (int round = 0; round < 26; ++round) {
    // The last round lies beyond the 1e12 "no value" sentinel.
    const double far = round == 25 ? 1e13 : 0;
    Curves c;
    CGeCurveList copy;
    for (int i = 0; i < 30; ++i) {
      const double x = far + u(rng), y = u(rng);
      CGeCurve* k = c.Line(x, y, x + u(rng) / 10, y + u(rng) / 10);
      c.list.AddTail(k);
      copy.AddTail(k);
    }
    const double p[2] = {0, 0};
    CSortProbe s(round % 2 == 1);
    if (far > 0) {
      // No start is nearer than the sentinel: the list stands instead of looping forever.
      const std::vector<CGeCurve*> before = Items(c.list);
      s.SortInNearDistance(p, &c.list);
      EXPECT_EQ(Items(c.list), before);
      continue;
    }
    // The chain the improvement starts from.
    CGeCurveList chain;
    chain.AddTail(s.GetNearestCurve(p, &copy));
    s.SortList(&copy, &chain);
    const double l0 = s.GetSpaceLength(&chain);
    s.SortInNearDistance(p, &c.list);
    EXPECT_LE(s.GetSpaceLength(&c.list), l0 + 1e-4);
    std::vector<CGeCurve*> got = Items(c.list), want = c.made;
    std::sort(got.begin(), got.end());
    std::sort(want.begin(), want.end());
    EXPECT_EQ(got, want);
  }
}

}  // namespace
