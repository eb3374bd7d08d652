// Kernel loops in and out of the smart-loop engine: shapes survive the round trip, cleaning
// splits self-crossings, offsets come back islands first.
#include <gtest/gtest.h>
#include <numbers>

#include "geometry/shapes2d/GeArc.h"
#include "geometry/shapes2d/GeCircle.h"
#include "geometry/shapes2d/GeLine.h"
#include "geometry/shapes2d/GeLoop.h"
#include "geometry/shapes2d/GePolyline.h"
#include "geometry/shapes2d/GeRegion.h"
#include "millvane/loops/LoopListOffset.h"
#include "tests/millvane/LoopTestUtil.h"

using namespace looptest;

namespace {

CGeLoop* GePolygon(const Pts& p) {
  auto* g = new CGeLoop;
  for (size_t i = 0; i < p.size(); ++i)
    g->m_CurveList.AddTail(new CGeLine(p[i].data(), p[(i + 1) % p.size()].data()));
  return g;
}

// A slot of two lines and two half-circle arcs, counter-clockwise.
CGeLoop* GeSlot() {
  auto* g = new CGeLoop;
  const double a[2] = {0, -1}, b[2] = {4, -1}, d[2] = {4, 1}, e[2] = {0, 1}, cr[2] = {4, 0},
               cl[2] = {0, 0};
  g->m_CurveList.AddTail(new CGeLine(a, b));
  auto* r = new CGeArc;
  r->CreateCSEAngle(cr, 1.0, -std::numbers::pi / 2, std::numbers::pi / 2);
  g->m_CurveList.AddTail(r);
  g->m_CurveList.AddTail(new CGeLine(d, e));
  auto* l = new CGeArc;
  l->CreateCSEAngle(cl, 1.0, std::numbers::pi / 2, 1.5 * std::numbers::pi);
  g->m_CurveList.AddTail(l);
  return g;
}

struct Lists {
  CGeLoopList in, out;
  ~Lists() {
    geDelGeLoopList(&in, false);
    geDelGeLoopList(&out, false);
  }
};

double GeArea(CGeLoop* g) { return g->EvArea(0.0001); }

TEST(LoopListConvert, RoundTripKeepsTheShape) {
  Lists l;
  l.in.AddTail(GeSlot());
  const double c[2] = {20, 0};
  auto* circleLoop = new CGeLoop;
  circleLoop->m_CurveList.AddTail(new CGeCircle(c, 2.0, 1));
  l.in.AddTail(circleLoop);
  const double slotArea = GeArea(l.in.GetHead());
  acRefineGeLoopList(&l.in, &l.out);
  ASSERT_EQ(l.out.GetCount(), 2);
  CGeLoop* slot = l.out.GetHead();
  EXPECT_NEAR(slotArea, 8 + std::numbers::pi, 0.01);  // the kernel measures by chords
  EXPECT_NEAR(GeArea(slot), slotArea, 1e-9);
  EXPECT_EQ(slot->m_CurveList.GetCount(), 4);
  CGeLoop* circ = l.out.GetTail();
  ASSERT_EQ(circ->m_CurveList.GetCount(), 1);
  auto* arc = static_cast<CGeArc*>(circ->m_CurveList.GetHead());
  ASSERT_EQ(arc->GetType(), 2);
  EXPECT_NEAR(arc->m_dSweep, 2 * std::numbers::pi, 1e-12);
  EXPECT_NEAR(arc->m_dRadius, 2.0, 1e-12);
}

TEST(LoopListConvert, RegionBecomesLoopWithIslands) {
  CGeRegion region;
  auto* outer = new CGeLoop;
  double pts[5][2] = {{0, 0}, {10, 0}, {10, 10}, {0, 10}, {0, 0}};
  auto* pl = new CGePolyline(5);
  pl->Create(5, pts);
  outer->m_CurveList.AddTail(pl);
  region.m_LoopList.AddTail(outer);
  region.m_LoopList.AddTail(new CGeLoop);  // empty loops are skipped
  auto* hole = new CGeLoop;
  const double c[2] = {5, 5};
  hole->m_CurveList.AddTail(new CGeCircle(c, 2.0, 0));  // clockwise
  region.m_LoopList.AddTail(hole);
  std::unique_ptr<CSmartLoop> l(LoopFromRegion(&region));
  ASSERT_TRUE(l);
  EXPECT_EQ(l->curve->count, 4);
  EXPECT_EQ(l->area, 200.0);
  ASSERT_EQ(IslandCount(l.get()), 1);
  EXPECT_LT(l->islands->area, 0);  // the hole keeps its direction
  EXPECT_NEAR(Area2(Sample(l->islands)), -2 * std::numbers::pi * 4, 1e-4);
  EXPECT_EQ(LoopFromRegion(nullptr), nullptr);
  CGeRegion empty;
  EXPECT_EQ(LoopFromRegion(&empty), nullptr);
}

TEST(LoopListConvert, FigureEightCleansIntoTwoLoops) {
  Lists l;
  l.in.AddTail(GePolygon({{0, 0}, {10, 10}, {10, 0}, {0, 10}}));
  acRefineGeLoopList(&l.in, &l.out);
  ASSERT_EQ(l.out.GetCount(), 2);
  for (POSITION p = l.out.GetHeadPosition(); p;) EXPECT_NEAR(std::fabs(GeArea(l.out.GetNext(p))), 25, 1e-9);
  CGeLoopList none;
  acRefineGeLoopList(nullptr, &l.out);
  acRefineGeLoopList(&none, &l.out);
  EXPECT_EQ(l.out.GetCount(), 2);
}

TEST(LoopListConvert, OffsetReturnsIslandsFirst) {
  Lists l;
  l.in.AddTail(GePolygon({{0, 0}, {20, 0}, {20, 20}, {0, 20}}));
  l.in.AddTail(GePolygon({{8, 8}, {12, 8}, {12, 12}, {8, 12}}));
  acGeLoopListOffset(&l.in, 1.0, 2, 0, &l.out);
  ASSERT_EQ(l.out.GetCount(), 2);
  EXPECT_NEAR(GeArea(l.out.GetHead()), -(32 + std::numbers::pi), 0.01);  // the grown hole, rounded
  EXPECT_NEAR(GeArea(l.out.GetTail()), 324, 1e-9);
}

}  // namespace
