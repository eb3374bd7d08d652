// Offsets of hostile input: non-finite or absurdly large distances and vertices give the
// operations' failure result (nothing appended, null, the curves left alone), never loops of
// non-finite points, while large offsets still inside the usable range keep working.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "geometry/shapes2d/GeArc.h"
#include "geometry/shapes2d/GeBezier.h"
#include "geometry/shapes2d/GeCircle.h"
#include "geometry/shapes2d/GeEllipse.h"
#include "geometry/shapes2d/GeLine.h"
#include "geometry/shapes2d/GeLoop.h"
#include "geometry/shapes2d/GePolyline.h"
#include "geometry/shapes2d/ShapeListUtil.h"
#include "geometry/tools/GeTool2D.h"
#include "support/VurodeFixture.h"
#include "tests/geometry/tools/GeOffsetTestUtil.h"

using namespace offset_test;

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

class OffsetInputTest : public VurodeTest {};

struct LoopOut {
  CGeLoopList list;
  ~LoopOut() { geDelGeLoopList(&list, false); }
};

// A 10 x 10 square with one corner moved to (x, y).
std::unique_ptr<CGeLoop> SquareWithCorner(double x, double y) {
  std::vector<P> pts = Square(10);
  pts[2] = {x, y};
  return PolygonLoop(pts);
}

// Loops with one bad number somewhere in a sub-curve of each kind.
struct BadLoop {
  const char* name;
  std::function<std::unique_ptr<CGeLoop>()> make;
};

const BadLoop kBadLoops[] = {
    {"line_nan", [] { return SquareWithCorner(kNaN, 10); }},
    {"line_inf", [] { return SquareWithCorner(10, -kInf); }},
    {"line_huge", [] { return SquareWithCorner(1e300, 10); }},
    {"circle_nan_radius",
     [] {
       const double c[2] = {0, 0};
       auto loop = std::make_unique<CGeLoop>();
       auto* circle = new CGeCircle(c, 5, 1);
       circle->m_dRadius = kNaN;
       loop->AddTail(circle, 1);
       return loop;
     }},
    {"circle_huge_radius",
     [] {
       const double c[2] = {0, 0};
       auto loop = std::make_unique<CGeLoop>();
       loop->AddTail(new CGeCircle(c, 1e300, 1), 1);
       return loop;
     }},
    {"arc_inf_sweep",
     [] {
       const double c[2] = {0, 0};
       auto loop = std::make_unique<CGeLoop>();
       auto* circle = new CGeCircle(c, 5, 1);
       loop->AddTail(circle, 1);
       auto* arc = new CGeArc;
       const double a[2] = {5, 0}, m[2] = {0, 5}, b[2] = {-5, 0};
       arc->Create3Pnt(a, m, b);
       arc->m_dSweep = kInf;
       loop->AddTail(arc, 0);
       return loop;
     }},
    {"ellipse_nan_rotation",
     [] {
       const double c[2] = {0, 0};
       auto loop = std::make_unique<CGeLoop>();
       loop->AddTail(new CGeEllipse(c, 5, 3, kNaN, 1), 1);
       return loop;
     }},
    {"polyline_nan_vertex",
     [] {
       auto* poly = new CGePolyline(5);
       const double v[5][2] = {{0, 0}, {10, 0}, {10, kNaN}, {0, 10}, {0, 0}};
       for (int i = 0; i < 5; ++i) {
         poly->m_pSWPoint[i][0] = v[i][0];
         poly->m_pSWPoint[i][1] = v[i][1];
       }
       auto loop = std::make_unique<CGeLoop>();
       loop->AddTail(poly, 1);
       return loop;
     }},
    {"bezier_inf_node",
     [] {
       const double nodes[4][2] = {{0, 0}, {5, kInf}, {10, 5}, {0, 0}};
       auto* bez = new CGeBezier;
       bez->CreateEx(4, nodes);
       auto loop = std::make_unique<CGeLoop>();
       loop->AddTail(bez, 1);
       return loop;
     }},
};

TEST_F(OffsetInputTest, LoopWithANonFiniteOrHugeNumberOffsetsToNothing) {
  for (const BadLoop& b : kBadLoops) {
    SCOPED_TRACE(b.name);
    auto loop = b.make();
    for (int type : {0, 1, 2}) {
      LoopOut out;
      auto* earlier = PolygonLoop(Square(1)).release();
      out.list.AddTail(earlier);
      CGeTool2D().LoopOffset(loop.get(), -1, type, &out.list);
      ASSERT_EQ(out.list.GetCount(), 1) << "type " << type;
      EXPECT_EQ(out.list.GetHead(), earlier);
    }
  }
}

TEST_F(OffsetInputTest, NonFiniteOrHugeDistanceOffsetsToNothing) {
  const double dists[] = {kNaN, kInf, -kInf, 1e300, -1e300, 1073741824.0, -2e9};
  for (double d : dists)
    for (int type : {0, 1, 2}) {
      SCOPED_TRACE("d " + std::to_string(d) + " type " + std::to_string(type));
      auto loop = PolygonLoop(Square(10));
      LoopOut out;
      CGeTool2D().LoopOffset(loop.get(), d, type, &out.list);
      EXPECT_TRUE(out.list.IsEmpty());

      CGeLoopList in;
      in.AddTail(loop.get());
      CGeTool2D().OpenCurveOffset(&in, d, type, &out.list);
      EXPECT_TRUE(out.list.IsEmpty());

      CGeCurveList pieces;
      CGeTool2D().GenRawOffsetCurve(&loop->m_CurveList, d, &pieces);
      EXPECT_TRUE(pieces.IsEmpty());
      geDelCurveList(&pieces);
    }
}

TEST_F(OffsetInputTest, LargeOffsetInsideTheRangeStillWorks) {
  // Grows a counter-clockwise square by 1e8 with extended corners: a square of 2e8 + 10.
  const double d = 1e8;
  auto loop = PolygonLoop(Square(10));
  LoopOut out;
  CGeTool2D().LoopOffset(loop.get(), -d, 0, &out.list);
  ASSERT_EQ(out.list.GetCount(), 1);
  const std::vector<P> pts = SampleLoop(out.list.GetHead(), 4);
  for (const P& p : pts) ASSERT_TRUE(std::isfinite(p[0]) && std::isfinite(p[1]));
  const double side = 10 + 2 * d;
  EXPECT_NEAR(Shoelace(pts) / (side * side), 1.0, 1e-6);  // simplified runs hold floats
}

TEST_F(OffsetInputTest, OpenChainOffsetSkipsOnlyTheBadChain) {
  auto good1 = PolygonLoop({{0, 0}, {10, 0}, {10, 10}});
  auto bad = SquareWithCorner(kNaN, 10);
  auto good2 = PolygonLoop({{0, 20}, {10, 20}, {10, 30}});
  CGeLoopList in;
  for (CGeLoop* l : {good1.get(), bad.get(), good2.get()}) in.AddTail(l);
  LoopOut out;
  CGeTool2D().OpenCurveOffset(&in, 1, 1, &out.list);
  ASSERT_EQ(out.list.GetCount(), 2);
  for (POSITION pos = out.list.GetHeadPosition(); pos;)
    for (const P& p : SampleLoop(out.list.GetNext(pos), 8))
      EXPECT_TRUE(std::isfinite(p[0]) && std::isfinite(p[1]));
}

TEST_F(OffsetInputTest, RawOffsetSkipsBadCurvesAndKeepsTheRest) {
  const double a[2] = {0, 0}, b[2] = {10, 0}, huge[2] = {1e300, 0}, nan[2] = {kNaN, 0};
  CGeLine ok(a, b), far(a, huge), broken(nan, b);
  CGeCurveList src, out;
  for (CGeCurve* c : {static_cast<CGeCurve*>(&far), static_cast<CGeCurve*>(&ok),
                      static_cast<CGeCurve*>(&broken)})
    src.AddTail(c);
  CGeTool2D().GenRawOffsetCurve(&src, 1, &out);
  ASSERT_EQ(out.GetCount(), 1);
  EXPECT_EQ(reinterpret_cast<CGeCurve*>(out.GetHead()->m_nAttrib), &ok);
  geDelCurveList(&out);

  CGeTool2D tool;
  EXPECT_EQ(tool.GenOffsetLine(a, nan, 1), nullptr);
  EXPECT_EQ(tool.GenOffsetLine(a, huge, 1), nullptr);
  EXPECT_EQ(tool.GenOffsetLine(a, b, kInf), nullptr);
  EXPECT_EQ(tool.GenOffsetLine(a, b, kNaN), nullptr);
}

TEST_F(OffsetInputTest, EditingStepsLeaveCurvesAloneForNonFiniteArguments) {
  CGeTool2D tool;
  const double a[2] = {0, 0}, b[2] = {10, 0}, nan[2] = {kNaN, 0};
  CGeLine line(a, b);
  EXPECT_EQ(tool.Split(&line, kNaN, 0.5), nullptr);
  EXPECT_EQ(tool.Split(&line, 0.25, kInf), nullptr);

  tool.TrimCurveEnd(&line, 0.5, nan, 1);
  EXPECT_EQ(line.m_ptEnd[0], 10);
  EXPECT_EQ(line.m_ptEnd[1], 0);

  CGeArc arc;
  const double p[2] = {5, 0}, m[2] = {0, 5}, q[2] = {-5, 0};
  ASSERT_TRUE(arc.Create3Pnt(p, m, q));
  const double sweep = arc.m_dSweep;
  tool.TrimCurveEnd(&arc, kNaN, m, 1);
  EXPECT_EQ(arc.m_dSweep, sweep);

  // A NaN tolerance finds no continuation anywhere; the chain must not be deleted for it.
  CGeCurveList chain;
  chain.AddTail(new CGeLine(a, b));
  chain.AddTail(new CGeLine(b, m));
  tool.DelBrokenCurve(&chain, kNaN);
  EXPECT_EQ(chain.GetCount(), 2);

  // An infinite distance would find every curve too close.
  LoopOut loops;
  loops.list.AddTail(PolygonLoop(Square(1)).release());
  tool.DelCollisonCurve(&loops.list, &chain, kInf);
  EXPECT_EQ(chain.GetCount(), 2);
  geDelCurveList(&chain);
}

}  // namespace
