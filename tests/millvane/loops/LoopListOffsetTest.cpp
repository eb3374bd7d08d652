// Kernel loops in and out of the smart-loop engine: shapes survive the round trip, cleaning
// splits self-crossings, offsets come back islands first.
#include <gtest/gtest.h>
#include <algorithm>
#include <cstdint>
#include <map>
#include <numbers>

#include "geometry/shapes2d/GeArc.h"
#include "geometry/shapes2d/GeCircle.h"
#include "geometry/shapes2d/GeLine.h"
#include "geometry/shapes2d/GeLoop.h"
#include "geometry/shapes2d/GePolyline.h"
#include "geometry/shapes2d/GeRegion.h"
#include "millvane/loops/LoopListOffset.h"
#include "tests/millvane/LoopTestUtil.h"
#include "tests/millvane/loops/ClipperRef.h"
#include "tests/millvane/loops/NoisyOutlines.h"

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

// A nine-lobed star, r = 50 + 18 cos 9a, whose vertices are moved radially by up to +-0.6
// (fixed seed): dense, spiky outlines whose raw offsets tangle along their whole length.
Pts NoisyStar(int n) { return NoisyOutline(n, 18.0); }

// Corner points of a kernel loop of lines and polylines, as the offset left it after
// simplifying it in place.
Pts Corners(CGeLoop* g) {
  Pts p;
  for (POSITION pos = g->m_CurveList.GetHeadPosition(); pos;) {
    CGeCurve* c = g->m_CurveList.GetNext(pos);
    double s[2];
    if (c->GetType() == 32) {
      auto* pl = static_cast<CGePolyline*>(c);
      for (int i = 0; i + 1 < pl->GetCount(); ++i) {
        pl->GetPoint(i, s);
        p.push_back({s[0], s[1]});
      }
    } else {
      c->GetStartPoint(s);
      p.push_back({s[0], s[1]});
    }
  }
  return p;
}

// Exact doubled signed area of a kernel loop of lines and arcs.
double ExactArea2(CGeLoop* g) {
  double sum = 0;
  for (POSITION pos = g->m_CurveList.GetHeadPosition(); pos;) {
    CGeCurve* c = g->m_CurveList.GetNext(pos);
    double s[2], e[2];
    c->GetStartPoint(s);
    c->GetEndPoint(e);
    sum += s[0] * e[1] - e[0] * s[1];
    if (c->GetType() == 2) {
      // The segment between the arc and its chord.
      auto* a = static_cast<CGeArc*>(c);
      const double r = a->m_dRadius, w = a->m_dSweep;
      sum += r * r * (w - std::sin(w));
    }
  }
  return sum;
}

// Area between the mitres and the arcs at the corners an offset by d makes sharp (turns below
// 15 degrees), d^2 (tan(f/2) - f/2) each.
double MitreWedges(const Pts& src, double d) {
  double sum = 0;
  for (size_t i = 0; i < src.size(); ++i) {
    const auto& a = src[(i + src.size() - 1) % src.size()];
    const auto& b = src[i];
    const auto& e = src[(i + 1) % src.size()];
    const double ux = b[0] - a[0], uy = b[1] - a[1], vx = e[0] - b[0], vy = e[1] - b[1];
    const double f = std::acos(std::clamp((ux * vx + uy * vy) / std::hypot(ux, uy) / std::hypot(vx, vy), -1.0, 1.0));
    if (f < 15 * std::numbers::pi / 180) sum += d * d * (std::tan(f / 2) - f / 2);
  }
  return sum;
}

// Offsets of noisy stars of 2,000 to 12,000 vertices, inward and outward.
// - Every result point lies at the offset distance from the outline, farther only at the
//   mitred corners of turns below 15 degrees (by at most 1/cos 7.5 degrees).
// - The area lies between exact bounds. Clipper's round-joined offset by r is the union of
//   polygons inscribed in the circles of radius r (sides at least r - tol from the centre)
//   and of the edges' strips, so it lies inside the true offset by r and holds the true offset
//   by r - tol. Ours adds to the true offset (outward) or takes from it (inward) only the
//   wedges between the mitres and the arcs of those corners, d^2 (tan(f/2) - f/2) each.
TEST(LoopListOffset, NoisyStarsBothWays) {
  struct Case {
    int n;
    double d;
    bool area;  // Clipper needs seconds for the 12,000-vertex star at 6
  };
  const Case cases[] = {{2000, 2, true},  {4000, 6, true},  {8000, 1, true},  {8000, 2, true},
                        {12000, 1, true}, {12000, 2, true}, {12000, 6, false}};
  const double tol = 0.02, sharp = 15 * std::numbers::pi / 180;
  for (const Case& c : cases)
    for (int mode : {0, 2}) {
      SCOPED_TRACE(testing::Message() << c.n << " vertices, d " << c.d << ", mode " << mode);
      Lists l;
      l.in.AddTail(GePolygon(NoisyStar(c.n)));
      acGeLoopListOffset(&l.in, c.d, 2, mode, &l.out);
      EXPECT_EQ(l.out.GetCount(), 1);
      if (l.out.GetCount() != 1) continue;
      CGeLoop* r = l.out.GetHead();
      const Pts src = Corners(l.in.GetHead());

      const double far = c.d / std::cos(sharp / 2) + 1e-6;
      const EdgeGrid edges(src, far);
      double lo = INFINITY, hi = 0;
      for (POSITION pos = r->m_CurveList.GetHeadPosition(); pos;) {
        CGeCurve* g = r->m_CurveList.GetNext(pos);
        for (double t : {0.0, 0.25, 0.5, 0.75}) {
          double p[2];
          g->EvPos(t, p, 0);
          const double dist = edges.Dist(p);
          lo = std::min(lo, dist);
          hi = std::max(hi, dist);
        }
      }
      EXPECT_GE(lo, c.d - 1e-3);
      EXPECT_LE(hi, far);
      if (!c.area) continue;

      const double wedges = MitreWedges(src, c.d);
      const double area = std::fabs(ExactArea2(r)) / 2;
      const double grid = 0.05;  // Clipper's integer grid, 1e-5, along an outline under 5,000 long
      const double s = mode == 2 ? 1 : -1;
      const double inner = ClipperOffsetArea2({src}, s * c.d, tol) / 2;
      const double outer = ClipperOffsetArea2({src}, s * (c.d + tol), tol) / 2;
      if (mode == 2) {
        EXPECT_GE(area, inner - grid);
        EXPECT_LE(area, outer + wedges + grid);
      } else {
        EXPECT_GE(area, outer - wedges - grid);
        EXPECT_LE(area, inner + grid);
      }
    }
}

}  // namespace
