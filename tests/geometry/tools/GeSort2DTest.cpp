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
    const bool startLink = false;
    Curves c;
    std::vector<CGeCurve*> want;
    for (int i = 0; i < 12; ++i) want.push_back(c.Line(3.0 * i, 0, 3.0 * i + 1, 0));
    std::vector<CGeCurve*> shuffled = want;
    std::shuffle(shuffled.begin(), shuffled.end(), std::mt19937(4));
    for (CGeCurve* k : shuffled) c.list.AddTail(k);
    const double p[2] = {-1, 0};
    CSortProbe sorter(startLink);
    sorter.SortInNearDistance(p, &c.list);
    EXPECT_EQ(Items(c.list), want) << "start link " << startLink;
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

TEST(Sort2DTest, SortingNeverLengthensTheInsertionChain) {
  std::mt19937 rng(6);
  std::uniform_real_distribution<double> u(0, 50);
  for (int round = 0; round < 25; ++round) {
    Curves c;
    CGeCurveList copy;
    for (int i = 0; i < 30; ++i) {
      const double x = u(rng), y = u(rng);
      CGeCurve* k = c.Line(x, y, x + u(rng) / 10, y + u(rng) / 10);
      c.list.AddTail(k);
      copy.AddTail(k);
    }
    const double p[2] = {0, 0};
    CSortProbe s(round % 2 == 1);
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
