// Loop booleans against Clipper, and the machining order of loops.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <random>

#include "tests/millvane/loops/ClipperRef.h"

using namespace looptest;

namespace {


CSmartLoop* Chain(std::initializer_list<CSmartLoop*> ls) {
  CSmartLoop* head = nullptr;
  for (CSmartLoop* l : ls) head = acJoinLoopLists(head, l);
  return head;
}

CSmartLoop* Kind(CSmartLoop* l, int k) {
  l->kind = k;
  return l;
}


// Operand pairs: each builds fresh loops (the operations consume them).
struct Pair {
  const char* name;
  CSmartLoop* (*a)();
  CSmartLoop* (*b)();
};

CSmartLoop* SqA() { return Rect(0, 0, 10, 10); }
CSmartLoop* SqShifted() { return Rect(5, 3, 15, 13); }
CSmartLoop* CircleEdge() { return Circle(10, 5, 4); }
CSmartLoop* Diamond() { return Polygon({{5, -3}, {13, 5}, {5, 13}, {-3, 5}}); }
CSmartLoop* RingWithHole() {
  CSmartLoop* o = Rect(-2, -2, 8, 8);
  CSmartLoop* h = Circle(3, 3, 2, false);
  o->AddIsland(h);
  return o;
}

const Pair kPairs[] = {
    {"squares", SqA, SqShifted},
    {"square and circle", SqA, CircleEdge},
    {"square and diamond", SqA, Diamond},
    {"hole touching the other square at its corner", RingWithHole, SqShifted},
};

double ClipperOf(const Pair& p, ClipperLib::ClipType op) {
  Owned a(p.a()), b(p.b());
  return ClipperBoolArea2(ToPaths(a.l), ToPaths(b.l), op);
}

TEST(SmartLoopBool, UnionDifferenceAndIntersectionMatchClipper) {
  for (const auto& p : kPairs) {
    SCOPED_TRACE(p.name);
    {
      Owned r(CSmartLoop::WeldContours(Chain({Kind(p.a(), 1), Kind(p.b(), 2)})));
      ASSERT_TRUE(r.l);
      EXPECT_NEAR(DenseArea(r.l), ClipperOf(p, ClipperLib::ctUnion), 1e-4 * 400);
    }
    {
      Owned r(CSmartLoop::SubtractContours(p.a(), p.b()));
      ASSERT_TRUE(r.l);
      EXPECT_NEAR(DenseArea(r.l), ClipperOf(p, ClipperLib::ctDifference), 1e-4 * 400);
    }
    {
      Owned r(CSmartLoop::IntersectLoop(Chain({Kind(p.a(), 1), Kind(p.b(), 2)})));
      ASSERT_TRUE(r.l);
      EXPECT_NEAR(DenseArea(r.l), ClipperOf(p, ClipperLib::ctIntersection), 1e-4 * 400);
    }
  }
}

TEST(SmartLoopBool, DisjointAndNestedOperands) {
  {
    Owned r(CSmartLoop::WeldContours(Chain({Kind(Rect(0, 0, 1, 1), 1), Kind(Rect(3, 0, 4, 1), 2)})));
    EXPECT_EQ(Count(r.l), 2);
    EXPECT_NEAR(TotalArea(r.l), 4.0, 1e-12);
  }
  {
    // Loops of one kind are not cut against each other.
    Owned r(CSmartLoop::WeldContours(Chain({Rect(0, 0, 1, 1), Rect(3, 0, 4, 1)})));
    EXPECT_EQ(Count(r.l), 2);
  }
  {
    Owned r(CSmartLoop::SubtractContours(Rect(0, 0, 10, 10), Rect(4, 4, 6, 6)));
    ASSERT_EQ(Count(r.l), 1);
    ASSERT_EQ(IslandCount(r.l), 1);
    EXPECT_EQ(r.l->area, 200.0);
    EXPECT_EQ(r.l->islands->area, -8.0);
  }
  {
    CSmartLoop* everything = Rect(-5, -5, 5, 5);
    everything->ReverseLoop(1);  // a clockwise outer loop contains every point
    EXPECT_EQ(CSmartLoop::SubtractContours(Rect(0, 0, 1, 1), everything), nullptr);
  }
  EXPECT_EQ(CSmartLoop::SubtractContours(nullptr, Rect(0, 0, 1, 1)), nullptr);
  Owned keep(CSmartLoop::SubtractContours(Rect(0, 0, 1, 1), nullptr));
  EXPECT_EQ(Count(keep.l), 1);
  EXPECT_EQ(CSmartLoop::WeldContours(nullptr), nullptr);
  {
    // A piece of one kind outside every loop of the other kind is gone.
    Owned r(CSmartLoop::IntersectLoop(Chain({Kind(Rect(0, 0, 1, 1), 1), Kind(Rect(3, 0, 4, 1), 2)})));
    EXPECT_EQ(r.l, nullptr);
  }
}

TEST(SmartLoopBool, ContainmentOfAContour) {
  Owned c(RingWithHole());
  const double inRing[2] = {-1, -1}, inHole[2] = {3, 3}, onHole[2] = {5, 3}, out[2] = {20, 0},
               onOuter[2] = {8, 0};
  EXPECT_EQ(CSmartLoop::IsOnContour(c.l, inRing), 1);
  EXPECT_EQ(CSmartLoop::IsOnContour(c.l, inHole), 0);
  EXPECT_EQ(CSmartLoop::IsOnContour(c.l, onHole), 2);
  EXPECT_EQ(CSmartLoop::IsOnContour(c.l, onOuter), 2);
  EXPECT_EQ(CSmartLoop::IsOnContour(c.l, out), 0);
}

TEST(SmartLoopBool, ClipLoopsResolvesCrossingsOfDifferentKinds) {
  // Two crossing squares of different kinds are re-chained into the outline around both and
  // the common part; a far loop that crosses nothing stays as it was.
  CSmartLoop* far = Kind(Rect(30, 0, 31, 1), 1);
  Owned r(CSmartLoop::ClipLoops(Chain({Kind(Rect(0, 0, 10, 10), 1), Kind(Rect(5, 3, 15, 13), 2), far})));
  std::vector<double> areas;
  bool farKept = false;
  for (CSmartLoop* x = r.l; x; x = x->next) {
    areas.push_back(x->area);
    farKept |= x == far;
  }
  std::sort(areas.begin(), areas.end());
  EXPECT_EQ(areas, (std::vector<double>{2, 2 * 35, 2 * 165}));
  EXPECT_TRUE(farKept);
}

// Start points of a list in order.
std::vector<std::array<double, 2>> Starts(const CSmartLoop* l) {
  std::vector<std::array<double, 2>> out;
  for (; l; l = l->next) {
    double p[2];
    l->curve->PointAtFraction(0, p);
    out.push_back({p[0], p[1]});
  }
  return out;
}

TEST(SmartLoopOrder, SortByDistWalksWithoutCrossing) {
  {
    Owned r(CSmartLoop::SortByDist(Chain({Rect(20, 0, 21, 1), Rect(0, 0, 1, 1), Rect(10, 0, 11, 1)})));
    auto s = Starts(r.l);
    ASSERT_EQ(s.size(), 3u);
    EXPECT_EQ(s[0][0], 0);
    EXPECT_EQ(s[1][0], 10);
    EXPECT_EQ(s[2][0], 20);
  }
  // Scattered loops: the route visits all, starts at the smaller x end, never crosses itself.
  std::mt19937 rng(3);
  std::uniform_real_distribution<double> u(0, 100);
  CSmartLoop* list = nullptr;
  for (int i = 0; i < 40; ++i) {
    const double x = u(rng), y = u(rng);
    list = acJoinLoopLists(list, Rect(x, y, x + 0.5, y + 0.5));
  }
  Owned r(CSmartLoop::SortByDist(list));
  auto s = Starts(r.l);
  ASSERT_EQ(s.size(), 40u);
  EXPECT_LE(s.front()[0], s.back()[0]);
  for (size_t i = 0; i + 1 < s.size(); ++i)
    for (size_t k = i + 2; k + 1 < s.size(); ++k) {
      double x[2][2];
      if (acSegSegInt(s[i].data(), s[i + 1].data(), s[k].data(), s[k + 1].data(), x) != 1) continue;
      const bool atEnd = std::min({std::hypot(x[0][0] - s[i][0], x[0][1] - s[i][1]),
                                   std::hypot(x[0][0] - s[i + 1][0], x[0][1] - s[i + 1][1]),
                                   std::hypot(x[0][0] - s[k][0], x[0][1] - s[k][1]),
                                   std::hypot(x[0][0] - s[k + 1][0], x[0][1] - s[k + 1][1])}) < 1e-3;
      EXPECT_TRUE(atEnd) << i << " crosses " << k;
    }
}

TEST(SmartLoopOrder, ExtractAndResort) {
  // Root -> outer square -> island -> small square inside the island.
  CSmartLoop root;
  root.area = -1;
  CSmartLoop* outer = Rect(0, 0, 10, 10);
  CSmartLoop* hole = Rect(2, 2, 8, 8);
  hole->ReverseLoop(1);
  CSmartLoop* inner = Rect(4, 4, 6, 6);
  hole->AddIsland(inner);
  outer->AddIsland(hole);
  root.AddIsland(outer);
  Owned r(root.ExtractContour(0));
  ASSERT_EQ(Count(r.l), 2);
  EXPECT_EQ(r.l, inner);
  EXPECT_EQ(r.l->next, outer);
  EXPECT_EQ(outer->islands, hole);
  EXPECT_EQ(hole->islands, nullptr);
  EXPECT_EQ(root.islands, nullptr);

  Owned s(CSmartLoop::ResortContour(Chain({Rect(0, 0, 3, 3), Rect(10, 0, 11, 1), Rect(20, 0, 22, 2)}), 4, 0));
  std::vector<double> areas;
  for (CSmartLoop* x = s.l; x; x = x->next) areas.push_back(x->area);
  EXPECT_EQ(areas, (std::vector<double>{18, 8, 2}));
  // Nesting by size: small loops inside a larger one become its contours' islands.
  Owned n(CSmartLoop::ResortContour(Chain({Rect(1, 1, 2, 2), Rect(0, 0, 10, 10), Rect(5, 5, 6, 6)}), 1, 1));
  EXPECT_EQ(Count(n.l), 3);  // flattened: the small ones, then their container
  EXPECT_EQ(n.l->next->next->area, 200.0);
}

}  // namespace

namespace {

TEST(SmartLoopBool, SharedEdgesAreNeitherLostNorDoubled) {
  // Identical operands: the union and the common part are the square, the difference empty.
  {
    Owned r(CSmartLoop::WeldContours(Chain({Kind(Rect(0, 0, 10, 10), 1), Kind(Rect(0, 0, 10, 10), 2)})));
    ASSERT_EQ(Count(r.l), 1);
    EXPECT_EQ(r.l->area, 200.0);
  }
  {
    Owned r(CSmartLoop::IntersectLoop(Chain({Kind(Rect(0, 0, 10, 10), 1), Kind(Rect(0, 0, 10, 10), 2)})));
    ASSERT_EQ(Count(r.l), 1);
    EXPECT_EQ(r.l->area, 200.0);
  }
  EXPECT_EQ(CSmartLoop::SubtractContours(Rect(0, 0, 10, 10), Rect(0, 0, 10, 10)), nullptr);
  // Side by side: the shared edge is interior to the union and stays with the difference.
  {
    Owned r(CSmartLoop::WeldContours(Chain({Kind(Rect(0, 0, 10, 10), 1), Kind(Rect(10, 0, 20, 10), 2)})));
    ASSERT_EQ(Count(r.l), 1);
    EXPECT_EQ(r.l->area, 400.0);
  }
  {
    Owned r(CSmartLoop::SubtractContours(Rect(0, 0, 10, 10), Rect(10, 2, 20, 8)));
    ASSERT_EQ(Count(r.l), 1);
    EXPECT_EQ(r.l->area, 200.0);
  }
  // Overlapping along part of an edge.
  {
    Owned r(CSmartLoop::WeldContours(Chain({Kind(Rect(0, 0, 10, 10), 1), Kind(Rect(5, 0, 15, 6), 2)})));
    ASSERT_EQ(Count(r.l), 1);
    EXPECT_EQ(r.l->area, 2 * (100 + 30.0));
  }
}

}  // namespace
