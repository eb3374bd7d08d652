// Loop offsets: closed forms for squares and circles, the exact distance of a rounded offset
// from its source, and Clipper's offset as a second answer for figures with reflex corners.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <memory>
#include <polyclipping/clipper.hpp>
#include <string>
#include <vector>
#include <numbers>

#include "geometry/shapes2d/GeArc.h"
#include "geometry/shapes2d/GeBezier.h"
#include "geometry/shapes2d/GeCircle.h"
#include "geometry/shapes2d/GeLine.h"
#include "geometry/shapes2d/GeLoop.h"
#include "geometry/shapes2d/GePolyline.h"
#include "geometry/shapes2d/ShapeListUtil.h"
#include "geometry/tools/GeTool2D.h"
#include "support/VurodeFixture.h"
#include "tests/geometry/tools/GeOffsetTestUtil.h"

using namespace offset_test;

namespace {
// Owns the loops an offset appends.
struct LoopOut {
  CGeLoopList list;
  ~LoopOut() { geDelGeLoopList(&list, false); }
  CGeLoop* Only() const { return list.GetCount() == 1 ? list.GetHead() : nullptr; }
};

bool EndsMeet(CGeLoop* loop, double tol) {
  double s[2], e[2];
  loop->GetStartPoint(s);
  loop->GetEndPoint(e);
  if (std::hypot(s[0] - e[0], s[1] - e[1]) > tol) return false;
  CGeCurve* prev = nullptr;
  for (POSITION pos = loop->m_CurveList.GetHeadPosition(); pos;) {
    CGeCurve* c = loop->m_CurveList.GetNext(pos);
    if (prev) {
      prev->GetEndPoint(e);
      c->GetStartPoint(s);
      if (std::hypot(s[0] - e[0], s[1] - e[1]) > tol) return false;
    }
    prev = c;
  }
  return true;
}

class LoopOffsetTest : public VurodeTest {};

struct SquareCase {
  const char* name;
  int type;
  double d;      // > 0 grows the square, < 0 shrinks it
  double angle;  // the square is also rotated, moved and possibly drawn clockwise
  bool clockwise;
};

double SquareArea(double s, double d, int type) {
  if (d < 0) return (s + 2 * d) * (s + 2 * d);  // inner corners are all trimmed crossings
  switch (type) {
    case 0:
      return (s + 2 * d) * (s + 2 * d);
    case 1:
      return s * s + 4 * s * d + std::numbers::pi * d * d;
    default:
      return (s + 2 * d) * (s + 2 * d) - 2 * d * d;
  }
}

TEST_F(LoopOffsetTest, SquareAreasMatchClosedFormsForEveryCornerStyle) {
  const double s = 10;
  const SquareCase cases[] = {
      {"extended", 0, 2, 0, false},          {"round", 1, 2, 0, false},
      {"straight", 2, 2, 0, false},          {"extended_cw", 0, 2, 0.5, true},
      {"round_cw_rot", 1, 1.5, 2.0, true},   {"straight_rot", 2, 0.75, -0.7, false},
      {"inner_extended", 0, -2, 0.3, false}, {"inner_round", 1, -2, 0, true},
      {"inner_straight", 2, -3, 1.1, false},
  };
  for (const SquareCase& c : cases) {
    SCOPED_TRACE(c.name);
    auto loop = PolygonLoop(Transformed(Square(s), c.angle, {3, -7}, c.clockwise));
    // Left of travel is inside for a counter-clockwise loop.
    const double dist = c.clockwise ? c.d : -c.d;
    LoopOut out;
    CGeTool2D().LoopOffset(loop.get(), dist, c.type, &out.list);
    CGeLoop* r = out.Only();
    ASSERT_NE(r, nullptr) << out.list.GetCount() << " loops";
    // The corner where the source closes is bridged like every other one.
    EXPECT_TRUE(EndsMeet(r, 1e-6));
    const double area = Shoelace(SampleLoop(r, 256));
    EXPECT_NEAR(std::fabs(area), SquareArea(s, c.d, c.type), 1e-4);
    // The offset keeps the source's orientation.
    EXPECT_EQ(area > 0, !c.clockwise);
  }
}

TEST_F(LoopOffsetTest, CircleOffsetsToConcentricCircle) {
  const double centre[2] = {4, -2}, r = 5;
  for (int dir : {0, 1})
    for (double d : {1.5, -1.5}) {
      SCOPED_TRACE("dir " + std::to_string(dir) + " d " + std::to_string(d));
      auto loop = std::make_unique<CGeLoop>();
      loop->AddTail(new CGeCircle(centre, r, dir), 1);
      LoopOut out;
      CGeTool2D().LoopOffset(loop.get(), d, 1, &out.list);
      CGeLoop* res = out.Only();
      ASSERT_NE(res, nullptr);
      const double expected = dir == 1 ? r - d : r + d;
      for (const P& p : SampleLoop(res, 64))
        EXPECT_NEAR(std::hypot(p[0] - centre[0], p[1] - centre[1]), expected, 1e-9);
    }
  // An inner offset past the centre leaves nothing.
  auto loop = std::make_unique<CGeLoop>();
  loop->AddTail(new CGeCircle(centre, r, 1), 1);
  LoopOut out;
  CGeTool2D().LoopOffset(loop.get(), r, 1, &out.list);
  EXPECT_TRUE(out.list.IsEmpty());
}

// An L with one reflex corner and an arrow with two.
const std::vector<P> kLShape = {{0, 0}, {8, 0}, {8, 3}, {3, 3}, {3, 9}, {0, 9}};
const std::vector<P> kArrow = {{0, 2}, {6, 2}, {6, 0}, {10, 4}, {6, 8}, {6, 6}, {0, 6}};

// 2000 short segments round a wavy circle: convex and reflex corners alternate in runs, and
// the rounded corners come out shorter than the tolerance the pieces are chained with.
std::vector<P> Wavy(int n) {
  std::vector<P> pts;
  for (int i = 0; i < n; ++i) {
    const double a = 2 * std::numbers::pi * i / n;
    const double r = 20 + 2 * std::sin(12 * a);
    pts.push_back({r * std::cos(a), r * std::sin(a)});
  }
  return pts;
}
const std::vector<P> kWavy = Wavy(2000);

TEST_F(LoopOffsetTest, RoundOffsetLiesExactlyAtTheDistanceFromItsSource) {
  for (const auto* fig : {&kLShape, &kArrow})
    for (double d : {0.6, -0.6}) {
      SCOPED_TRACE(d);
      auto loop = PolygonLoop(*fig);
      LoopOut out;
      CGeTool2D().LoopOffset(loop.get(), d, 1, &out.list);
      CGeLoop* r = out.Only();
      ASSERT_NE(r, nullptr);
      const std::vector<P> pts = SampleLoop(r, 64);
      ASSERT_GT(pts.size(), 100u);
      // Simplified runs of lines keep their vertices in single precision.
      for (const P& p : pts) EXPECT_NEAR(PolygonDist(p, *fig), std::fabs(d), 1e-5);
    }
}

ClipperLib::Path ToPath(const std::vector<P>& pts, double scale) {
  ClipperLib::Path path;
  for (const P& p : pts)
    path.emplace_back(static_cast<ClipperLib::cInt>(std::llround(p[0] * scale)),
                      static_cast<ClipperLib::cInt>(std::llround(p[1] * scale)));
  return path;
}

TEST_F(LoopOffsetTest, AgreesWithClipperOffsetOnReflexFigures) {
  const double scale = 1e5;
  struct Style {
    int type;
    ClipperLib::JoinType join;
  };
  for (const auto* fig : {&kLShape, &kArrow})
    for (Style st : {Style{0, ClipperLib::jtMiter}, Style{1, ClipperLib::jtRound}})
      for (double grow : {0.5, -0.5}) {
        SCOPED_TRACE("type " + std::to_string(st.type) + " grow " + std::to_string(grow));
        auto loop = PolygonLoop(*fig);
        LoopOut out;
        CGeTool2D().LoopOffset(loop.get(), -grow, st.type, &out.list);
        CGeLoop* r = out.Only();
        ASSERT_NE(r, nullptr);
        const std::vector<P> ours = SampleLoop(r, 256);

        ClipperLib::ClipperOffset co(100.0, 1e-5 * scale);
        co.AddPath(ToPath(*fig, scale), st.join, ClipperLib::etClosedPolygon);
        ClipperLib::Paths theirs;
        co.Execute(theirs, grow * scale);
        ASSERT_EQ(theirs.size(), 1u);

        ClipperLib::Clipper clip;
        clip.AddPath(ToPath(ours, scale), ClipperLib::ptSubject, true);
        clip.AddPaths(theirs, ClipperLib::ptClip, true);
        ClipperLib::Paths diff;
        clip.Execute(ClipperLib::ctXor, diff, ClipperLib::pftNonZero, ClipperLib::pftNonZero);
        double xorArea = 0;
        for (const auto& path : diff) xorArea += std::fabs(ClipperLib::Area(path));
        xorArea /= scale * scale;
        // Clipper's integer grid moves each vertex by up to 1/scale.
        double perimeter = 0;
        for (size_t i = 0; i < ours.size(); ++i) {
          const P& p = ours[i];
          const P& q = ours[(i + 1) % ours.size()];
          perimeter += std::hypot(q[0] - p[0], q[1] - p[1]);
        }
        const double tol = 2 * perimeter / scale;
        EXPECT_LT(xorArea, tol);
        EXPECT_NEAR(Shoelace(ours), std::fabs(ClipperLib::Area(theirs[0])) / (scale * scale), tol);
      }
}

// The simplification that ends an offset thins long runs of short lines; its chords may stray
// from the exact offset by a few hundredths, so only the kept vertices are held to the distance.
TEST_F(LoopOffsetTest, DenseOutlineOffsetsToOneClosedLoop) {
  const double scale = 1e5;
  for (int type : {0, 1, 2})
    for (double grow : {0.5, -0.5}) {
      SCOPED_TRACE("type " + std::to_string(type) + " grow " + std::to_string(grow));
      auto loop = PolygonLoop(kWavy);
      LoopOut out;
      CGeTool2D().LoopOffset(loop.get(), -grow, type, &out.list);
      CGeLoop* r = out.Only();
      ASSERT_NE(r, nullptr) << out.list.GetCount() << " loops";
      // Simplified runs of lines come back in single precision.
      EXPECT_TRUE(EndsMeet(r, 1e-4));
      const std::vector<P> vertices = SampleLoop(r, 1);
      for (const P& p : vertices) {
        const double dist = PolygonDist(p, kWavy);
        // Cut corners bring their ends no nearer; extended ones reach further out.
        EXPECT_GE(dist, std::fabs(grow) - 1e-3);
        if (type == 1) {
          EXPECT_LE(dist, std::fabs(grow) + 1e-3);
        }
      }
      ClipperLib::ClipperOffset co(100.0, 1e-5 * scale);
      co.AddPath(ToPath(kWavy, scale), type == 1 ? ClipperLib::jtRound : ClipperLib::jtMiter,
                 ClipperLib::etClosedPolygon);
      ClipperLib::Paths theirs;
      co.Execute(theirs, grow * scale);
      ASSERT_EQ(theirs.size(), 1u);
      const double area = std::fabs(ClipperLib::Area(theirs[0])) / (scale * scale);
      EXPECT_NEAR(Shoelace(SampleLoop(r, 16)), area, 0.005 * area);
    }
}

TEST_F(LoopOffsetTest, OpenCurveOffsetOfClosedSourceClosesAndMatchesLoopOffset) {
  for (int type : {0, 1, 2}) {
    SCOPED_TRACE(type);
    auto loop = PolygonLoop(Square(10));
    CGeLoopList in;
    in.AddTail(static_cast<CGeLoop*>(nullptr));  // null entries are skipped
    in.AddTail(loop.get());
    LoopOut out;
    CGeTool2D().OpenCurveOffset(&in, -2, type, &out.list);
    CGeLoop* r = out.Only();
    ASSERT_NE(r, nullptr);
    EXPECT_TRUE(EndsMeet(r, 0.01));
    EXPECT_NEAR(Shoelace(SampleLoop(r, 256)), SquareArea(10, 2, type), 1e-3);
  }
}

TEST_F(LoopOffsetTest, OpenCurveOffsetCutsTheCrossingsOfAnInnerOffset) {
  // An open V whose inner offset pieces cross: the overhanging ends are cut away.
  auto chain = std::make_unique<CGeLoop>();
  const double a[2] = {0, 0}, b[2] = {10, 0}, c[2] = {10, 10};
  chain->AddTail(new CGeLine(a, b), 0);
  chain->AddTail(new CGeLine(b, c), 0);
  CGeLoopList in;
  in.AddTail(chain.get());
  LoopOut out;
  CGeTool2D().OpenCurveOffset(&in, 1, 2, &out.list);
  CGeLoop* r = out.Only();
  ASSERT_NE(r, nullptr);
  double s[2], e[2];
  r->GetStartPoint(s);
  r->GetEndPoint(e);
  EXPECT_NEAR(s[0], 0, 1e-9);
  EXPECT_NEAR(s[1], 1, 1e-9);
  EXPECT_NEAR(e[0], 9, 1e-9);
  EXPECT_NEAR(e[1], 10, 1e-9);
  EXPECT_NEAR(r->EvTotalArcLength(), 18, 1e-9);
}

TEST_F(LoopOffsetTest, NullAndEmptyInputsLeaveTheOutputAlone) {
  CGeTool2D tool;
  LoopOut out;
  tool.LoopOffset(nullptr, 1, 1, &out.list);
  CGeLoop empty;
  tool.LoopOffset(&empty, 1, 1, &out.list);
  tool.LoopOffset(&empty, 1, 1, nullptr);
  tool.OpenCurveOffset(nullptr, 1, 1, &out.list);
  EXPECT_TRUE(out.list.IsEmpty());
}

TEST_F(LoopOffsetTest, RawPiecesAndSourcesHoldEachOthersAddress) {
  const double o[2] = {0, 0}, x[2] = {5, 0};
  CGeLine line(o, x);
  CGeArc arc;
  ASSERT_TRUE(arc.CreateCSEAngle(o, 3, 0, 2));
  CGeCircle circle(o, 4, 1);
  CGeCurveList src, out;
  src.AddTail(&line);
  src.AddTail(static_cast<CGeCurve*>(nullptr));
  src.AddTail(&arc);
  src.AddTail(&circle);
  CGeTool2D().GenRawOffsetCurve(&src, 1, &out);
  ASSERT_EQ(out.GetCount(), 3);
  POSITION sp = src.GetHeadPosition();
  for (POSITION pos = out.GetHeadPosition(); pos;) {
    CGeCurve* piece = out.GetNext(pos);
    CGeCurve* source = nullptr;
    while (!source) source = src.GetNext(sp);
    EXPECT_EQ(reinterpret_cast<CGeCurve*>(piece->m_nAttrib), source);
    EXPECT_EQ(reinterpret_cast<CGeCurve*>(source->m_nAttrib), piece);
    EXPECT_EQ(piece->GetType(), source->GetType());
  }
  geDelCurveList(&out);
}

TEST_F(LoopOffsetTest, PolylineGivesOneOffsetLinePerNonEmptySegment) {
  CGePolyline poly(4);
  const double v[4][2] = {{0, 0}, {4, 0}, {4, 0}, {4, 3}};  // a repeated vertex
  for (int i = 0; i < 4; ++i) {
    poly.m_pSWPoint[i][0] = v[i][0];
    poly.m_pSWPoint[i][1] = v[i][1];
  }
  CGeCurveList src, out;
  src.AddTail(&poly);
  CGeTool2D().GenRawOffsetCurve(&src, -1, &out);
  ASSERT_EQ(out.GetCount(), 2);
  auto* l1 = static_cast<CGeLine*>(out.GetHead());
  auto* l2 = static_cast<CGeLine*>(out.GetTail());
  EXPECT_DOUBLE_EQ(l1->m_ptStart[1], -1);
  EXPECT_DOUBLE_EQ(l1->m_ptEnd[0], 4);
  EXPECT_DOUBLE_EQ(l2->m_ptStart[0], 5);
  EXPECT_DOUBLE_EQ(l2->m_ptEnd[1], 3);
  geDelCurveList(&out);
}

TEST_F(LoopOffsetTest, BezierGivesOffsetLinesOfItsDiscretisation) {
  // Nearly a quarter circle of radius 10, counter-clockwise: its left side is the inside.
  const double nodes[4][2] = {{10, 0}, {10, 5.5228}, {5.5228, 10}, {0, 10}};
  CGeBezier bez;
  ASSERT_TRUE(bez.CreateEx(4, nodes));
  CGeCurveList src, out;
  src.AddTail(&bez);
  CGeTool2D().GenRawOffsetCurve(&src, 1, &out);
  ASSERT_GT(out.GetCount(), 4);
  const double tol = gGetCurveDicTol() + 1e-4;
  for (POSITION pos = out.GetHeadPosition(); pos;) {
    CGeCurve* piece = out.GetNext(pos);
    ASSERT_EQ(piece->GetType(), GE_TYPE_LINE);
    auto* l = static_cast<CGeLine*>(piece);
    for (const double* p : {l->m_ptStart, l->m_ptEnd}) {
      double nearPt[2], t = 0, d = 0;
      unsigned seg = 1;
      bez.GetNearestPoint(p, nearPt, t, seg, d);
      EXPECT_NEAR(d, 1, tol);
      EXPECT_LT(std::hypot(p[0], p[1]), 9.1);
    }
  }
  geDelCurveList(&out);
}

TEST_F(LoopOffsetTest, OffsetLineOfTwoPoints) {
  CGeTool2D tool;
  const double p0[2] = {0, 0}, p1[2] = {1, 0};
  EXPECT_EQ(tool.GenOffsetLine(p0, p0, 1), nullptr);
  std::unique_ptr<CGeLine> l(tool.GenOffsetLine(p0, p1, 1));
  ASSERT_NE(l, nullptr);
  EXPECT_NEAR(l->m_ptStart[0], 0, 1e-15);
  EXPECT_NEAR(l->m_ptStart[1], 1, 1e-15);
  EXPECT_NEAR(l->m_ptEnd[0], 1, 1e-15);
  EXPECT_NEAR(l->m_ptEnd[1], 1, 1e-15);
}

}  // namespace
