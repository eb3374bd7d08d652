// Corner bridges, end extension and trimming, cutting curves at their crossings and pruning
// of the pieces that do not chain.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <memory>
#include <random>
#include <string>
#include <vector>
#include <numbers>

#include "geometry/shapes2d/GeArc.h"
#include "geometry/shapes2d/GeLine.h"
#include "geometry/shapes2d/GeLoop.h"
#include "geometry/shapes2d/ShapeListUtil.h"
#include "geometry/tools/CurveInter.h"
#include "geometry/tools/GeTool2D.h"
#include "support/VurodeFixture.h"
#include "tests/geometry/tools/GeOffsetTestUtil.h"

using namespace offset_test;

namespace {

class OffsetEditTest : public VurodeTest {};

// Owns the curves of a list.
struct Curves {
  CGeCurveList list;
  ~Curves() { geDelCurveList(&list); }
  CGeLine* Line(P a, P b) {
    auto* l = new CGeLine(a.data(), b.data());
    list.AddTail(l);
    return l;
  }
  CGeCurve* At(int i) { return list.GetAt(list.FindIndex(i)); }
};

P Start(CGeCurve* c) {
  P p;
  c->GetStartPoint(p.data());
  return p;
}
P End(CGeCurve* c) {
  P p;
  c->GetEndPoint(p.data());
  return p;
}
double Dist(const P& a, const P& b) { return std::hypot(a[0] - b[0], a[1] - b[1]); }

std::unique_ptr<CGeArc> Arc(P c, double r, double a0, double a1) {
  auto arc = std::make_unique<CGeArc>();
  EXPECT_TRUE(arc->CreateCSEAngle(c.data(), r, a0, a1));
  return arc;
}

TEST_F(OffsetEditTest, BridgeSnapsTinyGapsAndTrimsCrossings) {
  CGeTool2D tool;
  {
    Curves cs;
    CGeLine* a = cs.Line({0, 0}, {5, 0});
    CGeLine* b = cs.Line({5.003, 0.004}, {5, 5});
    EXPECT_EQ(tool.BridgeCurve(a, b, 1, 1), nullptr);
    EXPECT_EQ(Start(b), End(a));
  }
  {
    Curves cs;
    CGeLine* a = cs.Line({0, 0}, {6, 0});
    CGeLine* b = cs.Line({5, -1}, {5, 5});
    for (int type : {0, 1, 2}) EXPECT_EQ(tool.BridgeCurve(a, b, 1, type), nullptr);
    EXPECT_LT(Dist(End(a), {5, 0}), 1e-12);
    EXPECT_LT(Dist(Start(b), {5, 0}), 1e-12);
  }
}

TEST_F(OffsetEditTest, BridgeStylesCloseAnOpenCorner) {
  CGeTool2D tool;
  // An outer corner of two offset lines: end (5,1) heading +x, next start (6,0) heading -y.
  Curves cs;
  CGeLine* a = cs.Line({0, 1}, {5, 1});
  CGeLine* b = cs.Line({6, 0}, {6, -5});
  std::unique_ptr<CGeCurve> arc(tool.BridgeCurve(a, b, 1, 1));
  ASSERT_NE(arc, nullptr);
  ASSERT_EQ(arc->GetType(), GE_TYPE_ARC);
  auto* ar = static_cast<CGeArc*>(arc.get());
  EXPECT_NEAR(ar->m_ptCenter[0], 5, 1e-9);
  EXPECT_NEAR(ar->m_ptCenter[1], 0, 1e-9);
  EXPECT_NEAR(ar->m_dSweep, -(std::numbers::pi / 2), 1e-9);
  std::unique_ptr<CGeCurve> cut(tool.BridgeCurve(a, b, 1, 2));
  ASSERT_NE(cut, nullptr);
  EXPECT_LT(Dist(Start(cut.get()), {5, 1}) + Dist(End(cut.get()), {6, 0}), 1e-12);
  EXPECT_EQ(tool.BridgeCurve(a, b, 1, 7), nullptr);
  EXPECT_EQ(tool.BridgeCurve(a, b, 1, 0), nullptr);  // extended in place
  EXPECT_LT(Dist(End(a), {6, 1}), 1e-12);
  EXPECT_LT(Dist(Start(b), {6, 1}), 1e-12);
}

TEST_F(OffsetEditTest, RoundBridgeOfMoreThanHalfATurnIsDropped) {
  CGeTool2D tool;
  Curves cs;
  CGeLine* a = cs.Line({-1, 0}, {0, 0});
  CGeLine* b = cs.Line({-0.1, -1}, {-1, -1});
  EXPECT_EQ(tool.BridgeCurve(a, b, 1, 1), nullptr);
  std::unique_ptr<CGeCurve> line(tool.BridgeCurve(a, b, 1, 2));
  EXPECT_NE(line, nullptr);
}

TEST_F(OffsetEditTest, BridgeListInsertsBetweenNeighboursOnly) {
  Curves cs;
  cs.Line({0, 1}, {5, 1});
  cs.list.AddTail(static_cast<CGeCurve*>(nullptr));
  cs.Line({6, 0}, {6, -5});
  cs.Line({5, -6}, {0, -6});
  CGeTool2D().BridgeCurveList(&cs.list, 1, 2);
  ASSERT_EQ(cs.list.GetCount(), 6);
  std::vector<CGeCurve*> chain;
  for (POSITION pos = cs.list.GetHeadPosition(); pos;)
    if (CGeCurve* c = cs.list.GetNext(pos)) chain.push_back(c);
  ASSERT_EQ(chain.size(), 5u);
  for (size_t i = 1; i < chain.size(); ++i)
    EXPECT_LT(Dist(End(chain[i - 1]), Start(chain[i])), 1e-12);
}

// Each pair: the ends meet afterwards, the far ends stay, and each curve stays on its carrier.
TEST_F(OffsetEditTest, ExtendMakesLinesAndArcsMeetOnTheirCarriers) {
  struct Case {
    const char* name;
    std::function<std::unique_ptr<CGeCurve>()> c1, c2;
  };
  auto line = [](P a, P b) {
    return [a, b]() -> std::unique_ptr<CGeCurve> {
      return std::make_unique<CGeLine>(a.data(), b.data());
    };
  };
  auto arc = [](P c, double r, double a0, double a1) {
    return [=]() -> std::unique_ptr<CGeCurve> { return Arc(c, r, a0, a1); };
  };
  const Case cases[] = {
      {"line_line", line({0, 0}, {4, 0}), line({5, 1}, {5, 5})},
      {"line_arc", line({-4, 3}, {-1, 3}), arc({0, 0}, 5, 1.2, 0.2)},
      {"arc_line", arc({0, 0}, 5, 2.0, 1.2), line({3, 2}, {3, -6})},
      {"arc_arc", arc({0, 0}, 5, 2.5, 1.6), arc({6, 0}, 5, 2.0, 1.0)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    auto a = c.c1();
    auto b = c.c2();
    const P s1 = Start(a.get()), e2 = End(b.get());
    CGeCurve* out = reinterpret_cast<CGeCurve*>(1);
    ASSERT_EQ(CGeTool2D().ExtendCurveEnd(a.get(), b.get(), 1, &out), 1);
    EXPECT_EQ(out, nullptr);
    EXPECT_LT(Dist(End(a.get()), Start(b.get())), 1e-9);
    EXPECT_LT(Dist(Start(a.get()), s1), 1e-9);
    EXPECT_LT(Dist(End(b.get()), e2), 1e-9);
    for (CGeCurve* cur : {a.get(), b.get()})
      if (cur->GetType() == GE_TYPE_ARC) {
        auto* ar = static_cast<CGeArc*>(cur);
        const P m = [&] {
          P p;
          ar->GetPointAt(0.5, p.data(), 1);
          return p;
        }();
        EXPECT_NEAR(Dist(m, {ar->m_ptCenter[0], ar->m_ptCenter[1]}), ar->m_dRadius, 1e-9);
      }
  }
  // Lines that would have to run backwards do not meet.
  CGeLine l1(P{0, 0}.data(), P{4, 0}.data()), l2(P{-2, 1}.data(), P{-2, 5}.data());
  EXPECT_EQ(CGeTool2D().ExtendCurveEnd(&l1, &l2, 1, nullptr), 0);
  EXPECT_LT(Dist(End(&l1), {4, 0}), 1e-15);
}

TEST_F(OffsetEditTest, TrimAndSplitKeepTheRightPart) {
  CGeTool2D tool;
  CGeLine line(P{0, 0}.data(), P{8, 0}.data());
  EXPECT_EQ(tool.Split(&line, 0, 1), nullptr);
  EXPECT_EQ(tool.Split(&line, 0.5, 0.5), nullptr);
  EXPECT_EQ(tool.Split(&line, 1, 1), nullptr);
  std::unique_ptr<CGeCurve> mid(tool.Split(&line, 0.25, 0.75));
  ASSERT_NE(mid, nullptr);
  EXPECT_LT(Dist(Start(mid.get()), {2, 0}) + Dist(End(mid.get()), {6, 0}), 1e-12);

  auto arc = Arc({1, 1}, 2, 0, 2);
  std::unique_ptr<CGeCurve> piece(tool.Split(arc.get(), 0.5, 1));
  ASSERT_NE(piece, nullptr);
  auto* pa = static_cast<CGeArc*>(piece.get());
  EXPECT_NEAR(pa->m_dRadius, 2, 1e-9);
  EXPECT_NEAR(pa->m_dSweep, 1, 1e-9);
  EXPECT_LT(Dist(End(pa), End(arc.get())), 1e-9);

  const P cut = {1 + 2 * std::cos(0.5), 1 + 2 * std::sin(0.5)};
  tool.TrimCurveEnd(arc.get(), 0.25, cut.data(), 0);
  EXPECT_NEAR(arc->m_dSweep, 1.5, 1e-9);
  EXPECT_LT(Dist(Start(arc.get()), cut), 1e-9);
  tool.TrimCurveEnd(arc.get(), 1.0, cut.data(), 1);  // nothing after the end: arc unchanged
  EXPECT_NEAR(arc->m_dSweep, 1.5, 1e-9);
  tool.TrimCurveEnd(&line, 0.5, P{4, 0}.data(), 1);
  EXPECT_LT(Dist(End(&line), {4, 0}), 1e-15);
}

TEST_F(OffsetEditTest, SplitOnCrossingsCutsEachCurveInOrder) {
  {
    Curves cs;
    cs.Line({0, 0}, {4, 4});
    cs.Line({0, 4}, {4, 0});
    EXPECT_EQ(CGeTool2D().SplitCurveOnIntPt(&cs.list), 1);
    ASSERT_EQ(cs.list.GetCount(), 4);
    for (int i : {0, 1}) {
      EXPECT_LT(Dist(End(cs.At(2 * i)), {2, 2}), 1e-9);
      EXPECT_LT(Dist(Start(cs.At(2 * i + 1)), {2, 2}), 1e-9);
    }
  }
  {
    // Three crossings given out of order along the first line.
    Curves cs;
    cs.Line({0, 0}, {10, 0});
    for (double x : {7.0, 2.0, 5.0}) cs.Line({x, -1}, {x, 1});
    EXPECT_EQ(CGeTool2D().SplitCurveOnIntPt(&cs.list), 1);
    ASSERT_EQ(cs.list.GetCount(), 10);
    const double xs[] = {0, 2, 5, 7, 10};
    for (int i = 0; i < 4; ++i) {
      EXPECT_LT(Dist(Start(cs.At(i)), {xs[i], 0}), 1e-9) << i;
      EXPECT_LT(Dist(End(cs.At(i)), {xs[i + 1], 0}), 1e-9) << i;
    }
  }
  Curves apart;
  apart.Line({0, 0}, {1, 0});
  apart.Line({0, 1}, {1, 1});
  EXPECT_EQ(CGeTool2D().SplitCurveOnIntPt(&apart.list), 0);
  EXPECT_EQ(apart.list.GetCount(), 2);
}

TEST_F(OffsetEditTest, SplitPointsMatchEveryPairTestedByBruteForce) {
  std::mt19937 rng(7);
  std::uniform_real_distribution<double> u(0, 50), len(-6, 6);
  Curves cs;
  std::vector<std::unique_ptr<CGeArc>> arcs;
  for (int i = 0; i < 300; ++i) {
    const P a = {u(rng), u(rng)};
    if (i % 3) {
      cs.Line(a, {a[0] + len(rng), a[1] + len(rng)});
    } else {
      auto arc = Arc(a, 1 + std::fabs(len(rng)), len(rng), len(rng));
      cs.list.AddTail(arc.release());
    }
  }
  CGeIsectPtArray got;
  CGeTool2D().EvCurveIntPt(&cs.list, &got);
  std::vector<CGeCurve*> v;
  for (POSITION pos = cs.list.GetHeadPosition(); pos;) v.push_back(cs.list.GetNext(pos));
  std::vector<std::pair<CGeCurve*, double>> want;
  CCurveInter inter;
  for (size_t i = 0; i < v.size(); ++i)
    for (size_t j = i + 1; j < v.size(); ++j) {
      CInterPntArray hits;
      inter.CurveCurve(v[i], v[j], &hits);
      for (INT_PTR k = 0; k < hits.GetSize(); ++k) {
        if (hits[k].t1 > 1e-6 && hits[k].t1 < 0.999999) want.emplace_back(v[i], hits[k].t1);
        if (hits[k].t2 > 1e-6 && hits[k].t2 < 0.999999) want.emplace_back(v[j], hits[k].t2);
      }
    }
  ASSERT_GT(want.size(), 50u);
  ASSERT_EQ(static_cast<size_t>(got.GetSize()), want.size());
  for (size_t i = 0; i < want.size(); ++i) {
    EXPECT_EQ(got[static_cast<INT_PTR>(i)].pCurve, want[i].first);
    EXPECT_EQ(got[static_cast<INT_PTR>(i)].t, want[i].second);
    EXPECT_EQ(got[static_cast<INT_PTR>(i)].nFlag, 1);
  }
}

TEST_F(OffsetEditTest, BrokenCurvesAndDetoursArePruned) {
  Curves cs;
  CGeLine* a = cs.Line({0, 0}, {1, 0});
  cs.Line({5, 5}, {6, 6});  // detour between a and its continuation
  CGeLine* c = cs.Line({1.004, 0.004}, {2, 0});
  cs.Line({9, 9}, {8, 8});                  // detour between c and its continuation
  cs.Line({2, 0}, {3, 0});                  // nothing continues it: dropped
  CGeLine* last = cs.Line({7, 7}, {7, 8});  // the last curve ends the walk and stays
  CGeTool2D().DelBrokenCurve(&cs.list, 0.005);
  ASSERT_EQ(cs.list.GetCount(), 3);
  EXPECT_EQ(cs.At(0), a);
  EXPECT_EQ(cs.At(1), c);
  EXPECT_EQ(cs.At(2), last);
}

TEST_F(OffsetEditTest, CloseCurveDropsTheTailPastTheClosingCurve) {
  Curves cs;
  cs.Line({0, 0}, {4, 0});
  cs.Line({4, 0}, {4, 4});
  CGeLine* third = cs.Line({4, 4}, {0, 0.001});
  cs.Line({0, 0.001}, {-3, 2});
  cs.Line({-3, 2}, {-5, 5});
  CGeTool2D().CloseCurve(&cs.list, 0.01);
  ASSERT_EQ(cs.list.GetCount(), 3);
  EXPECT_EQ(cs.list.GetTail(), third);
  CGeTool2D().CloseCurve(&cs.list, 0.01);  // already closed
  EXPECT_EQ(cs.list.GetCount(), 3);
}

TEST_F(OffsetEditTest, CurvesTooCloseToALoopAreRemoved) {
  auto loop = PolygonLoop(Square(10));
  CGeLoopList loops;
  loops.AddTail(static_cast<CGeLoop*>(nullptr));
  loops.AddTail(loop.get());
  Curves cs;
  cs.Line({2, 9.5}, {8, 9.5});              // 0.5 from the top edge
  CGeLine* keep = cs.Line({2, 7}, {8, 7});  // 3 away
  CGeLine* outside = cs.Line({20, 0}, {30, 0});
  cs.Line({10.2, 3}, {10.2, 6});  // 0.2 outside the right edge
  CGeTool2D().DelCollisonCurve(&loops, &cs.list, 1);
  ASSERT_EQ(cs.list.GetCount(), 2);
  EXPECT_EQ(cs.At(0), keep);
  EXPECT_EQ(cs.At(1), outside);
}

}  // namespace
