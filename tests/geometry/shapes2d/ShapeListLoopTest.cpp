// Loop, region and group lists: deleters, link tests, composites from curves and loops, and
// the conversions between loop lists and clipper polygons.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "geometry/shapes2d/GeCombCurve.h"
#include "geometry/shapes2d/GeGroup.h"
#include "geometry/shapes2d/GeLine.h"
#include "geometry/shapes2d/GeLoop.h"
#include "geometry/shapes2d/GePolyline.h"
#include "geometry/shapes2d/GeRegion.h"
#include "geometry/shapes2d/ShapeListUtil.h"
#include "platform/numora/Gpc.h"
#include "support/ShoelaceArea.h"
#include "support/VurodeFixture.h"

namespace {

struct CountedLine : CGeLine {
  static inline int alive = 0;
  CountedLine(const double s[2], const double e[2]) : CGeLine(s, e) { ++alive; }
  ~CountedLine() override { --alive; }
};

// A closed polygon as a loop of counted lines, in the given vertex order.
CGeLoop* PolygonLoop(const std::vector<std::array<double, 2>>& v) {
  auto* loop = new CGeLoop;
  for (size_t i = 0; i < v.size(); ++i)
    loop->AddTail(new CountedLine(v[i].data(), v[(i + 1) % v.size()].data()), 0);
  loop->CalcBox2d();
  return loop;
}

CGeLoop* Square(double x0, double y0, double side, bool ccw) {
  std::vector<std::array<double, 2>> v = {
      {x0, y0}, {x0 + side, y0}, {x0 + side, y0 + side}, {x0, y0 + side}};
  if (!ccw) std::reverse(v.begin(), v.end());
  return PolygonLoop(v);
}

// Signed shoelace area of a closed gpc contour.
double ContourArea(const gpc_vertex_list& c) {
  return shoelace::Area(size_t(std::max(c.num_vertices, 0)),
                        [&](size_t i) { return std::pair(c.vertex[i].x, c.vertex[i].y); });
}

class ShapeListLoop : public VurodeTest {
 protected:
  void TearDown() override {
    EXPECT_EQ(CountedLine::alive, 0) << "curves leaked or freed twice";
    VurodeTest::TearDown();
  }
};

TEST_F(ShapeListLoop, LoopListDeleterDetachKeepsSubCurves) {
  CGeLoopList list;
  list.AddTail(Square(0, 0, 1, true));
  list.AddTail(static_cast<CGeLoop*>(nullptr));
  list.AddTail(Square(5, 5, 1, true));
  CGeCurveList keep;  // the sub-curves, as their real owner would hold them
  for (POSITION pos = list.GetHeadPosition(); pos;)
    if (CGeLoop* l = list.GetNext(pos)) keep.AddTail(&l->m_CurveList);
  geDelGeLoopList(&list, true);
  EXPECT_TRUE(list.IsEmpty());
  EXPECT_EQ(CountedLine::alive, 8);
  geDelCurveList(&keep);

  list.AddTail(Square(0, 0, 1, true));
  geDelGeLoopList(&list, false);
  EXPECT_TRUE(list.IsEmpty());
  EXPECT_EQ(CountedLine::alive, 0);
  geDelGeLoopList(nullptr, false);
}

TEST_F(ShapeListLoop, RegionAndGroupDeleters) {
  CGeRegionList regions;
  geDelRegionList(&regions, false);  // empty: nothing to do
  auto* region = new CGeRegion;
  region->m_LoopList.AddTail(Square(0, 0, 4, true));
  region->m_LoopList.AddTail(Square(1, 1, 1, false));
  regions.AddTail(region);
  regions.AddTail(static_cast<CGeRegion*>(nullptr));
  CGeLoopList loops;  // detached loops survive with their curves
  loops.AddTail(&region->m_LoopList);
  geDelRegionList(&regions, true);
  EXPECT_TRUE(regions.IsEmpty());
  EXPECT_EQ(CountedLine::alive, 8);
  auto* region2 = new CGeRegion;
  region2->m_LoopList.AddTail(&loops);
  loops.RemoveAll();
  regions.AddTail(region2);
  geDelRegionList(&regions, false);
  EXPECT_EQ(CountedLine::alive, 0);

  CGeGroupList groups;
  auto* group = new CGeGroup;
  const double a[2] = {0, 0}, b[2] = {1, 1};
  group->m_CurveList.AddTail(new CountedLine(a, b));
  group->m_CurveList.AddTail(new CountedLine(b, a));
  groups.AddTail(group);
  groups.AddTail(static_cast<CGeGroup*>(nullptr));
  geDelGroupList(&groups);
  EXPECT_TRUE(groups.IsEmpty());
  EXPECT_EQ(CountedLine::alive, 0);
}

struct LinkCase {
  std::string name;
  std::vector<std::array<double, 4>> lines;  // NaN start marks a null entry
  double tol;
  int linked;
  int loop;
};

class ShapeListLink : public ShapeListLoop, public testing::WithParamInterface<LinkCase> {};

TEST_P(ShapeListLink, LinkAndLoop) {
  const LinkCase& c = GetParam();
  CGeCurveList list;
  for (const auto& l : c.lines) {
    if (std::isnan(l[0])) {
      list.AddTail(static_cast<CGeCurve*>(nullptr));
      continue;
    }
    const double s[2] = {l[0], l[1]}, e[2] = {l[2], l[3]};
    list.AddTail(new CountedLine(s, e));
  }
  EXPECT_EQ(geIsLinkCurve2d(&list, c.tol), c.linked);
  EXPECT_EQ(geIsLoopCurve2d(&list, c.tol), c.loop);
  geDelCurveList(&list);
}

const double kNull = std::nan("");

INSTANTIATE_TEST_SUITE_P(
    Cases, ShapeListLink,
    testing::Values(
        LinkCase{"Triangle", {{0, 0, 4, 0}, {4, 0, 0, 3}, {0, 3, 0, 0}}, 0.01, 1, 1},
        // A gap equal to the tolerance links; a closing gap equal to it does not close.
        LinkCase{"GapOfExactlyTolLinks", {{0, 0, 1, 0}, {1.5, 0, 2, 0}}, 0.5, 1, 0},
        LinkCase{"ClosingGapOfExactlyTol", {{0, 0, 4, 0}, {4, 0, 0.5, 0}}, 0.5, 1, 0},
        LinkCase{"ClosingGapBelowTol", {{0, 0, 4, 0}, {4, 0, 0.25, 0}}, 0.5, 1, 1},
        LinkCase{"GapTooWide", {{0, 0, 1, 0}, {1.6, 0, 2, 0}}, 0.5, 0, 0},
        LinkCase{"NullEntry", {{0, 0, 1, 0}, {kNull, 0, 0, 0}, {1, 0, 0, 0}}, 0.01, 0, 0},
        LinkCase{"Empty", {}, 0.01, 1, 0}),
    [](const testing::TestParamInfo<LinkCase>& i) { return i.param.name; });

TEST_F(ShapeListLoop, LinkTestLooksIntoComposites) {
  const double a[2] = {0, 0}, b[2] = {1, 0}, c[2] = {2, 0}, d[2] = {3, 0};
  auto* broken = new CGeCombCurve;
  broken->m_CurveList.AddTail(new CountedLine(a, b));
  broken->m_CurveList.AddTail(new CountedLine(c, d));  // ends still meet the next curve
  CGeCurveList list;
  list.AddTail(broken);
  list.AddTail(new CountedLine(d, a));
  EXPECT_EQ(geIsLinkCurve2d(&list, 10.0), 0);
  EXPECT_EQ(geIsLinkCurve2d(nullptr, 1.0), 0);
  geDelCurveList(&list);
}

TEST_F(ShapeListLoop, CompositeFromOneCurve) {
  EXPECT_EQ(geGenCombCurve(static_cast<CGeCurve*>(nullptr)), nullptr);
  auto inner = std::make_unique<CGeCombCurve>();
  EXPECT_EQ(geGenCombCurve(inner.get()), nullptr);
  const double a[2] = {0, 0}, b[2] = {1, 0};
  auto* line = new CountedLine(a, b);
  std::unique_ptr<CGeCombCurve> comb(geGenCombCurve(line));
  ASSERT_TRUE(comb);
  ASSERT_EQ(comb->m_CurveList.GetCount(), 1);
  EXPECT_EQ(comb->m_CurveList.GetHead(), line);  // the curve itself, not a copy
  EXPECT_EQ(comb->m_nClosed, 0);
  std::unique_ptr<CGeLoop> loop(Square(0, 0, 1, true));
  std::unique_ptr<CGeCombCurve> wrapped(geGenCombCurve(loop.release()));
  ASSERT_TRUE(wrapped);
  EXPECT_EQ(wrapped->m_nClosed, 1);
}

TEST_F(ShapeListLoop, CompositeFromListMovesCurvesAndEmptiesTheList) {
  const double p[4][2] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
  auto* pair = new CGeCombCurve;
  pair->AddTail(new CountedLine(p[1], p[2]), 0);
  pair->AddTail(new CountedLine(p[2], p[3]), 0);
  CGeCurveList list;
  list.AddTail(new CountedLine(p[0], p[1]));
  list.AddTail(pair);
  list.AddTail(new CountedLine(p[3], p[0]));
  std::unique_ptr<CGeCombCurve> comb(geGenCombCurve(&list));
  ASSERT_TRUE(comb);
  EXPECT_TRUE(list.IsEmpty()) << "the list must not keep pointers it no longer owns";
  EXPECT_EQ(comb->m_CurveList.GetCount(), 4);  // the inner composite gave up its members
  EXPECT_EQ(comb->m_nClosed, 1);
  EXPECT_DOUBLE_EQ(comb->m_box.max[0], 1.0);
  EXPECT_EQ(CountedLine::alive, 4);
  comb.reset();

  list.AddTail(new CountedLine(p[0], p[1]));
  list.AddTail(new CountedLine(p[2], p[3]));  // gap of 1 > 0.02
  EXPECT_EQ(geGenCombCurve(&list), nullptr);
  EXPECT_EQ(list.GetCount(), 2);  // a refusal leaves the list alone
  geDelCurveList(&list);
  EXPECT_EQ(geGenCombCurve(&list), nullptr);
}

TEST_F(ShapeListLoop, CompositeFromLoopCopies) {
  std::unique_ptr<CGeLoop> loop(Square(0, 0, 2, true));
  std::unique_ptr<CGeCombCurve> comb(geGenComCurve(loop.get()));
  ASSERT_TRUE(comb);
  EXPECT_EQ(comb->m_CurveList.GetCount(), 4);
  EXPECT_NE(comb->m_CurveList.GetHead(), loop->m_CurveList.GetHead());
  EXPECT_EQ(comb->m_nClosed, 1);
  EXPECT_DOUBLE_EQ(comb->m_box.max[1], 2.0);
  comb.reset();
  loop.reset();
  CGeLoop empty;
  EXPECT_EQ(geGenComCurve(&empty), nullptr);
  EXPECT_EQ(geGenCombCurveFrmLoop(&empty), nullptr);
  EXPECT_EQ(geGenComCurve(nullptr), nullptr);
  CGeLoop onlyNull;
  onlyNull.m_CurveList.AddTail(static_cast<CGeCurve*>(nullptr));
  std::unique_ptr<CGeCombCurve> none(geGenComCurve(&onlyNull));
  ASSERT_TRUE(none);  // may be empty
  EXPECT_TRUE(none->m_CurveList.IsEmpty());
  EXPECT_EQ(geGenCombCurveFrmLoop(&onlyNull), nullptr);
}

TEST_F(ShapeListLoop, LoopListToPolygonFlagsFirstAsOuterAndSkipsNulls) {
  CGeLoopList list;
  list.AddTail(static_cast<CGeLoop*>(nullptr));
  list.AddTail(Square(0, 0, 10, true));
  list.AddTail(static_cast<CGeLoop*>(nullptr));
  list.AddTail(Square(2, 2, 2, true));  // orientation does not matter
  gpc_polygon poly;
  gpc_init_polygon(&poly);
  ASSERT_EQ(geLoopList2GPC(&list, &poly), 2);
  ASSERT_EQ(poly.num_contours, 2);
  EXPECT_EQ(poly.hole[0], 0);
  EXPECT_EQ(poly.hole[1], 1);
  for (int c = 0; c < 2; ++c) {
    ASSERT_NE(poly.contour[c].vertex, nullptr);
    EXPECT_EQ(poly.contour[c].num_vertices, 5);  // the buffer repeats its first point
  }
  EXPECT_DOUBLE_EQ(ContourArea(poly.contour[0]), 100.0);
  EXPECT_DOUBLE_EQ(ContourArea(poly.contour[1]), 4.0);
  gpc_free_polygon(&poly);
  EXPECT_EQ(geLoopList2GPC(&list, nullptr), 2);
  EXPECT_EQ(geLoopList2GPC(nullptr, &poly), 0);
  CGeLoopList empty;
  EXPECT_EQ(geLoopList2GPC(&empty, &poly), 0);
  EXPECT_EQ(poly.num_contours, 0);
  geDelGeLoopList(&list, false);
}

// Loops with holes go out to the clipper and come back: the signed areas add up to the
// region's area, and each contour comes back as one loop of one closed polyline.
TEST_F(ShapeListLoop, LoopsWithHolesRoundTripThroughTheClipper) {
  CGeLoopList list;
  list.AddTail(Square(0, 0, 10, true));
  list.AddTail(Square(1, 1, 2, false));
  list.AddTail(PolygonLoop({{5, 5}, {8, 6}, {6, 8}}));
  gpc_polygon poly, empty, result;
  gpc_init_polygon(&poly);
  gpc_init_polygon(&empty);
  gpc_init_polygon(&result);
  ASSERT_EQ(geLoopList2GPC(&list, &poly), 3);
  ASSERT_EQ(gpc_polygon_clip(GPC_UNION, &poly, &empty, &result), 1);
  CGeLoopList back;
  back.AddTail(static_cast<CGeLoop*>(nullptr));  // output lists are appended to
  geGPC2LoopList(&result, &back);
  ASSERT_EQ(back.GetCount(), 4);
  back.RemoveHead();
  double area = 0.0;
  int holes = 0;
  for (POSITION pos = back.GetHeadPosition(); pos;) {
    CGeLoop* loop = back.GetNext(pos);
    ASSERT_EQ(loop->m_CurveList.GetCount(), 1);
    CGeCurve* sub = loop->m_CurveList.GetHead();
    ASSERT_EQ(sub->GetType(), GE_TYPE_POLYLINE);
    EXPECT_EQ(sub->m_nClosed, 1);
    EXPECT_EQ(loop->IsLoop(0.01), 1);
    const double a = loop->EvArea(0.01);
    area += a;
    holes += a < 0;
  }
  EXPECT_NEAR(area, 100.0 - 4.0 - 4.0, 1e-5);  // triangle of area 4
  EXPECT_EQ(holes, 2);
  gpc_free_polygon(&poly);
  gpc_free_polygon(&result);
  geDelGeLoopList(&back, false);
  geDelGeLoopList(&list, false);
}

TEST_F(ShapeListLoop, PolygonToLoopsSkipsEmptyContours) {
  gpc_polygon poly;
  ASSERT_EQ(gpc_create_polygon(&poly, 2), 1);
  ASSERT_EQ(gpc_create_vertex(&poly.contour[1], 4), 1);
  const double sq[4][2] = {{0, 0}, {3, 0}, {3, 3}, {0, 3}};
  for (int i = 0; i < 4; ++i) poly.contour[1].vertex[i] = {sq[i][0], sq[i][1]};
  CGeLoopList loops;
  geGPC2LoopList(&poly, &loops);
  ASSERT_EQ(loops.GetCount(), 1);
  EXPECT_DOUBLE_EQ(loops.GetHead()->EvArea(0.01), 9.0);
  geGPC2LoopList(nullptr, &loops);
  geGPC2LoopList(&poly, nullptr);
  EXPECT_EQ(loops.GetCount(), 1);
  gpc_free_polygon(&poly);
  geDelGeLoopList(&loops, false);
}

TEST_F(ShapeListLoop, LoopsRankedByNearestStart) {
  CGeLoopList list;
  CGeLoop* a = Square(0, 0, 1, true);
  CGeLoop* b = Square(9, 9, 1, true);
  CGeLoop* c = Square(2, 0, 1, true);
  list.AddTail(a);
  list.AddTail(b);
  list.AddTail(c);
  geRankLoopInNearestDist(&list);
  ASSERT_EQ(list.GetCount(), 3);
  POSITION pos = list.GetHeadPosition();
  EXPECT_EQ(list.GetNext(pos), a);
  EXPECT_EQ(list.GetNext(pos), c);
  EXPECT_EQ(list.GetNext(pos), b);
  geDelGeLoopList(&list, false);
}

}  // namespace
