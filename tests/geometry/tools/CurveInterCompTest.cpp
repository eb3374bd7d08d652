// Composite curves, loops and regions: element numbering, sub-segments, record order and the
// Newton refinement across segment ends.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <numbers>
#include <random>
#include <vector>

#include "geometry/shapes2d/GeArc.h"
#include "geometry/shapes2d/GeBezier.h"
#include "geometry/shapes2d/GeCircle.h"
#include "geometry/shapes2d/GeCombCurve.h"
#include "geometry/shapes2d/GeEllipse.h"
#include "geometry/shapes2d/GeLine.h"
#include "geometry/shapes2d/GeLoop.h"
#include "geometry/shapes2d/GeOffsetCrv.h"
#include "geometry/shapes2d/GePolyline.h"
#include "geometry/shapes2d/GeRegion.h"
#include "support/VurodeFixture.h"
#include "tests/geometry/tools/CurveInterTestUtil.h"

namespace {

using citest::Inter;
CGeLine* NewLine(double x0, double y0, double x1, double y1) {
  const double a[2] = {x0, y0}, b[2] = {x1, y1};
  return new CGeLine(a, b);
}

CGePolyline* NewPLine(std::vector<std::array<double, 2>> pts) {
  auto* pl = new CGePolyline;
  EXPECT_EQ(pl->Create(int(pts.size()), reinterpret_cast<const double(*)[2]>(pts.data())), 1);
  return pl;
}

// Fills a composite (or loop) with the curves in order, nulls included, and updates its box.
template <class Comp>
std::unique_ptr<Comp> Make(std::vector<CGeCurve*> curves) {
  auto c = std::make_unique<Comp>();
  for (CGeCurve* e : curves) c->m_CurveList.AddTail(e);
  c->CalcBox2d();
  return c;
}

// An open staircase of lines (x from 0 to 10) with a null entry second and a polyline last.
std::unique_ptr<CGeCombCurve> Staircase() {
  return Make<CGeCombCurve>({NewLine(0, 0, 2, 0), nullptr, NewLine(2, 0, 2, 2),
                             NewLine(2, 2, 6, 2), NewPLine({{6, 2}, {6, 4}, {10, 4}})});
}

using CurveInterCompTest = VurodeTest;

TEST_F(CurveInterCompTest, ElementsAreNumberedSkippingNullsWithTheirOwnSegments) {
  auto comp = Staircase();
  // The vertical line x = 1 crosses element 1; x = 4 crosses element 3 (the list's fourth
  // entry); y = 3 crosses element 2 and segment 1 of the polyline, element 4.
  struct Case {
    double line[4];
    std::vector<std::array<int, 2>> segSub;  // expected (segment, sub-segment) on curve 2
  } cases[] = {
      {{1, -1, 1, 1}, {{1, 1}}},
      {{4, 1, 4, 3}, {{3, 1}}},
      {{-1, 3, 12, 3}, {{4, 1}}},
      {{8, 0, 8, 5}, {{4, 2}}},
      {{-1, 1, 12, 1}, {{2, 1}}},
  };
  for (const Case& c : cases) {
    std::unique_ptr<CGeLine> line(NewLine(c.line[0], c.line[1], c.line[2], c.line[3]));
    const auto recs = Inter(line.get(), comp.get());
    ASSERT_EQ(recs.size(), c.segSub.size());
    for (size_t i = 0; i < recs.size(); ++i) {
      EXPECT_EQ(recs[i].seg1, 1);
      EXPECT_EQ(recs[i].sub1, 1);
      EXPECT_EQ(recs[i].seg2, c.segSub[i][0]);
      EXPECT_EQ(recs[i].sub2, c.segSub[i][1]);
    }
    citest::ExpectOnBoth(line.get(), comp.get(), recs, 1e-9);
    citest::ExpectSwapSymmetric(line.get(), comp.get(), 0);
  }
}

TEST_F(CurveInterCompTest, EveryKindAgainstACompositeLiesOnBothAndSwaps) {
  auto comp = Staircase();
  const double c[2] = {4, 2};
  std::unique_ptr<CGeLine> line(NewLine(-1, -1, 11, 5));
  CGeArc arc;
  ASSERT_EQ(arc.CreateCSEAngle(c, 2.5, -0.5, std::numbers::pi), 1);
  CGeCircle cir(c, 2.5, 0);
  CGeEllipse ell(c, 4, 1.5, 0.3, 0);
  const double bp[4][2] = {{0, 3}, {3, -2}, {6, 6}, {10, 1}};
  CGeBezier bez;
  ASSERT_EQ(bez.CreateEx(4, bp), 1);
  std::unique_ptr<CGePolyline> pl(NewPLine({{0, 1}, {3, 3}, {5, 0.5}, {9, 5}}));
  auto other = Make<CGeCombCurve>({NewLine(0, 3, 5, -1), nullptr, NewLine(5, -1, 9, 6)});
  CGeCurve* kinds[] = {line.get(), &arc, &cir, &ell, &bez, pl.get(), other.get()};
  for (CGeCurve* k : kinds) {
    SCOPED_TRACE(testing::Message() << "type " << k->GetType());
    const auto recs = Inter(k, comp.get());
    EXPECT_GE(recs.size(), 1u);
    citest::ExpectOnBoth(k, comp.get(), recs, 1e-5);
    citest::ExpectSwapSymmetric(k, comp.get(), 1e-9);
    // Bezier and polyline first curves keep their own segment numbers.
    const bool own = k == &bez || k == pl.get();
    for (const auto& r : recs) {
      if (k->GetType() == GE_TYPE_COMBCURVE) continue;
      EXPECT_EQ(r.sub1, 1);
      if (!own) {
        EXPECT_EQ(r.seg1, 1);
      }
    }
  }
}

TEST_F(CurveInterCompTest, CompositePairsComeInElementOrder) {
  // Two combs whose teeth cross: every element of a against every later element of b.
  std::mt19937 rng(3);
  std::uniform_real_distribution<double> u(-0.3, 0.3);
  std::vector<CGeCurve*> ta, tb;
  for (int i = 0; i < 40; ++i) {
    ta.push_back(NewLine(i + u(rng), -1, i + 0.5 + u(rng), 41));
    if (i % 7 == 3) ta.push_back(nullptr);
    tb.push_back(NewPLine({{-1, i + u(rng)}, {20, i + 0.3}, {41, i + u(rng)}}));
  }
  auto a = Make<CGeCombCurve>(ta), b = Make<CGeCombCurve>(tb);
  const auto recs = Inter(a.get(), b.get());
  // Against the element-by-element double loop through the dispatcher.
  std::vector<_tagInterPnt> expect;
  int m = 0;
  for (CGeCurve* ea : ta) {
    if (!ea) continue;
    ++m;
    int k = 0;
    for (CGeCurve* eb : tb) {
      ++k;
      for (auto r : Inter(ea, eb)) {
        r.sub1 = r.seg1, r.sub2 = r.seg2, r.seg1 = m, r.seg2 = k;
        expect.push_back(r);
      }
    }
  }
  ASSERT_GT(expect.size(), 1000u);
  ASSERT_EQ(recs.size(), expect.size());
  for (size_t i = 0; i < recs.size(); ++i) {
    EXPECT_EQ(recs[i].seg1, expect[i].seg1);
    EXPECT_EQ(recs[i].seg2, expect[i].seg2);
    EXPECT_EQ(recs[i].sub2, expect[i].sub2);
    EXPECT_EQ(recs[i].x, expect[i].x);
  }
  citest::ExpectOnBoth(a.get(), b.get(), recs, 1e-9);
  EXPECT_TRUE(Inter(a.get(), a.get()).empty());
}

TEST_F(CurveInterCompTest, LongChainsAgainstACompositeMatchTheElementByElementAnswer) {
  // A long wiggly polyline and a long Bezier across a composite of every kind of element,
  // a nested composite and a null entry included.
  std::mt19937 rng(9);
  std::uniform_real_distribution<double> w(-1.5, 1.5);
  std::vector<std::array<double, 2>> zig;
  for (int i = 0; i <= 400; ++i) zig.push_back({i * 0.05, 5 + 4 * std::sin(i * 0.11) + w(rng) * 0.3});
  std::unique_ptr<CGePolyline> pl(NewPLine(zig));
  std::vector<std::array<double, 2>> through;
  for (int i = 0; i <= 40; ++i) through.push_back({i * 0.5, 5 + w(rng) * 3});
  CGeBezier bez;
  ASSERT_EQ(bez.Create(unsigned(through.size()), reinterpret_cast<const double(*)[2]>(through.data())), 1);

  const double c1[2] = {4, 5}, c2[2] = {10, 5}, c3[2] = {16, 4};
  auto* arc = new CGeArc;
  ASSERT_EQ(arc->CreateCSEAngle(c1, 3, -2, 2.5), 1);
  const double bn[4][2] = {{12, 0}, {13, 12}, {15, -2}, {17, 10}};
  auto* bezEl = new CGeBezier;
  ASSERT_EQ(bezEl->CreateEx(4, bn), 1);
  auto nested = std::make_unique<CGeCombCurve>();
  nested->m_CurveList.AddTail(NewLine(18, 0, 19, 10));
  nested->m_CurveList.AddTail(NewPLine({{19, 10}, {19.5, 0}, {19.9, 9}}));
  nested->CalcBox2d();
  auto comp = Make<CGeCombCurve>({NewLine(0.5, 0, 1.5, 10), arc, nullptr, new CGeCircle(c2, 2.5, 0),
                                  new CGeEllipse(c3, 3, 1.5, 0.4, 1), bezEl,
                                  NewPLine({{1, 9}, {8, 1}, {12, 9}, {17, 1}}), nested.release()});
  for (CGeCurve* chain : {static_cast<CGeCurve*>(pl.get()), static_cast<CGeCurve*>(&bez)}) {
    SCOPED_TRACE(testing::Message() << "chain type " << chain->GetType());
    const auto recs = Inter(chain, comp.get());
    std::vector<_tagInterPnt> expect;
    int k = 0;
    for (POSITION pos = comp->m_CurveList.GetHeadPosition(); pos;) {
      CGeCurve* e = comp->m_CurveList.GetNext(pos);
      if (!e) continue;
      ++k;
      for (auto r : Inter(chain, e)) {
        r.sub1 = 1, r.sub2 = r.seg2, r.seg2 = k;
        expect.push_back(r);
      }
    }
    ASSERT_GT(expect.size(), 20u);
    ASSERT_EQ(recs.size(), expect.size());
    for (size_t i = 0; i < recs.size(); ++i) {
      EXPECT_EQ(recs[i].x, expect[i].x);
      EXPECT_EQ(recs[i].y, expect[i].y);
      EXPECT_EQ(recs[i].seg1, expect[i].seg1);
      EXPECT_EQ(recs[i].seg2, expect[i].seg2);
      EXPECT_EQ(recs[i].sub2, expect[i].sub2);
      EXPECT_EQ(recs[i].t1, expect[i].t1);
      EXPECT_EQ(recs[i].t2, expect[i].t2);
    }
    // A nested composite's records keep only one level below the element (as any record
    // does), so only the plain elements are evaluated here.
    std::vector<_tagInterPnt> plain;
    for (const auto& r : recs)
      if (r.seg2 != 7) plain.push_back(r);
    ASSERT_LT(plain.size(), recs.size());
    citest::ExpectOnBoth(chain, comp.get(), plain, 1e-5);
  }
}

TEST_F(CurveInterCompTest, LoopsAndRegionsHaveTheirOwnEntryPoints) {
  // Square loop (0,0)-(4,4) and a square hole (1,1)-(3,3); the line y = 2 crosses each twice.
  auto square = [](double lo, double hi) {
    return Make<CGeLoop>({NewLine(lo, lo, hi, lo), NewLine(hi, lo, hi, hi), nullptr,
                          NewLine(hi, hi, lo, hi), NewLine(lo, hi, lo, lo)});
  };
  auto outer = square(0, 4);
  std::unique_ptr<CGeLine> line(NewLine(-1, 2, 5, 2));
  CInterPntArray out;
  CCurveInter ci;
  EXPECT_EQ(ci.CurveCurve(line.get(), outer.get(), &out), 0);
  EXPECT_EQ(out.GetSize(), 0);
  ASSERT_EQ(ci.LineLoop(line.get(), outer.get(), &out), 1);
  ASSERT_EQ(out.GetSize(), 2);
  EXPECT_EQ(out[0].seg2, 2);  // right side
  EXPECT_EQ(out[1].seg2, 4);  // left side, after the null entry
  citest::ExpectOnBoth(line.get(), outer.get(), {out[0], out[1]}, 1e-12);

  CGeRegion region;
  region.m_LoopList.AddTail(square(0, 4).release());
  region.m_LoopList.AddTail(static_cast<CGeLoop*>(nullptr));
  region.m_LoopList.AddTail(square(1, 3).release());
  region.CalcBox2d();
  CInterPntArray rr;
  ASSERT_EQ(ci.LineRegion(line.get(), &region, &rr), 1);
  ASSERT_EQ(rr.GetSize(), 4);
  const double xs[] = {4, 0, 3, 1};
  for (int i = 0; i < 4; ++i) {
    EXPECT_DOUBLE_EQ(rr[i].x, xs[i]);
    EXPECT_EQ(rr[i].seg1, 1);
    EXPECT_EQ(rr[i].sub1, 1);
  }

  auto inner = square(1, 3);
  auto shifted = Make<CGeLoop>({NewLine(2, 2, 5, 2), NewLine(5, 2, 5, 5), NewLine(5, 5, 2, 5),
                                NewLine(2, 5, 2, 2)});
  CInterPntArray ll;
  ASSERT_EQ(ci.LoopLoop(outer.get(), shifted.get(), &ll), 1);
  ASSERT_EQ(ll.GetSize(), 2);
  for (int i = 0; i < 2; ++i) {
    EXPECT_EQ(ll[i].seg1, 1);  // records as the element curves give them
    EXPECT_EQ(ll[i].seg2, 1);
  }
  EXPECT_DOUBLE_EQ(ll[0].x, 4);  // the outer's right side comes first
  EXPECT_DOUBLE_EQ(ll[1].y, 4);
  CGeLoop empty;
  EXPECT_EQ(ci.LoopLoop(outer.get(), &empty, &ll), 0);
  EXPECT_EQ(ci.LoopLoop(inner.get(), shifted.get(), &ll), 1);
  // Nothing new: earlier records do not make a find.
  std::unique_ptr<CGeLine> far(NewLine(100, 100, 101, 101));
  EXPECT_EQ(ci.LineLoop(far.get(), outer.get(), &ll), 0);
  EXPECT_EQ(ci.LineRegion(far.get(), &region, &ll), 0);
}

TEST_F(CurveInterCompTest, NewtonWrapsRoundACircleAndStepsAcrossSegments) {
  const double o[2] = {0, 0};
  CGeCircle cir(o, 1, 1);
  // The ray at angle 0.05 meets the circle at t = 0.05 / 2pi; from 0.99 the step passes 1
  // and wraps.
  std::unique_ptr<CGeLine> ray(NewLine(0, 0, 2 * std::cos(0.05), 2 * std::sin(0.05)));
  double t1 = 0.45, t2 = 0.99, pt[2];
  int s1 = 1, s2 = 1;
  ASSERT_EQ(CCurveInter().CurveCurveIterate(ray.get(), t1, s1, &cir, t2, s2, pt), 1);
  EXPECT_NEAR(t2, 0.05 / (2 * std::numbers::pi), 1e-4);
  EXPECT_NEAR(t1, 0.5, 1e-4);
  // An offset of the circle wraps the same way (here radius 1.5, outside the ccw circle).
  CGeOffsetCrv off;
  off.Create(&cir, -0.5);
  t1 = 0.7, t2 = 0.99, s1 = s2 = 1;
  ASSERT_EQ(CCurveInter().CurveCurveIterate(ray.get(), t1, s1, &off, t2, s2, pt), 1);
  EXPECT_NEAR(t2, 0.05 / (2 * std::numbers::pi), 1e-4);
  EXPECT_NEAR(t1, 0.75, 1e-4);

  // A guess at the end of polyline segment 1 whose crossing lies on segment 2.
  std::unique_ptr<CGePolyline> pl(NewPLine({{0, 0}, {2, 0}, {2, 4}}));
  std::unique_ptr<CGeLine> cut(NewLine(0, 3, 4, 3));
  t1 = 1.0, t2 = 0.5;
  s1 = 1, s2 = 1;
  ASSERT_EQ(CCurveInter().CurveCurveIterate(pl.get(), t1, s1, cut.get(), t2, s2, pt), 1);
  EXPECT_EQ(s1, 2);
  EXPECT_NEAR(pt[0], 2, 1e-4);
  EXPECT_NEAR(pt[1], 3, 1e-4);
}

}  // namespace
