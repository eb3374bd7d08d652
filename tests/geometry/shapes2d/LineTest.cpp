// Straight segments: evaluation, nearest points, picking, editing and transforms.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <numbers>

#include "geometry/shapes2d/GeBezier.h"
#include "geometry/shapes2d/GeLine.h"
#include "geometry/shapes2d/PickRay.h"
#include "support/VurodeFixture.h"

namespace {

double Dist(const double a[2], const double b[2]) { return std::hypot(a[0] - b[0], a[1] - b[1]); }

using LineTest = VurodeTest;

const double kS[2] = {1.0, 1.0};
const double kE[2] = {5.0, 4.0};  // length 5

TEST_F(LineTest, ConstructionFillsTheBuffer) {
  CGeLine line(kS, kE);
  ASSERT_EQ(line.m_nSWPoint, 2);
  EXPECT_EQ(line.m_pSWPoint[1][0], 5.0);
  EXPECT_EQ(line.m_box.min[0], 1.0);
  EXPECT_EQ(line.m_box.max[1], 4.0);
  EXPECT_EQ(line.IsClosed(1e9), 0);
  EXPECT_DOUBLE_EQ(line.EvTotalArcLength(), 5.0);
  EXPECT_DOUBLE_EQ(line.EvArcLength(0.8, 0.2, 1), 3.0);
  double t;
  unsigned seg = 0;
  ASSERT_EQ(line.EvParam(2.5, t, seg), 1);
  EXPECT_DOUBLE_EQ(t, 0.5);
  EXPECT_EQ(seg, 1u);
  ASSERT_EQ(line.EvParam(7.5, t, seg), 1);
  EXPECT_DOUBLE_EQ(t, 1.5);  // not clamped
  CGeLine point(kS, kS);
  EXPECT_EQ(point.EvParam(1.0, t, seg), 0);
}

TEST_F(LineTest, NearestPoint) {
  CGeLine line(kS, kE);
  struct Case {
    double q[2];
    double t, dist;
  } cases[] = {
      {{3.0 - 0.6, 2.5 + 0.8}, 0.5, 1.0},  // above the middle, along the left normal
      {{9.0, 7.0}, 1.0, 5.0},              // beyond the end
      {{-2.0, -3.0}, 0.0, 5.0},            // before the start
  };
  for (const auto& c : cases) {
    double nearPt[2], t = -1, dist = -1;
    unsigned seg = 0;
    ASSERT_EQ(line.GetNearestPoint(c.q, nearPt, t, seg, dist), 1);
    EXPECT_NEAR(t, c.t, 1e-12);
    EXPECT_NEAR(dist, c.dist, 1e-12);
    EXPECT_EQ(seg, 1u);
    double at[2];
    line.EvPos(t, at, 1);
    EXPECT_NEAR(Dist(at, nearPt), 0.0, 1e-12);
  }
}

TEST_F(LineTest, PickAcceptsExactlyTheRadius) {
  const double a[2] = {0.0, 0.0}, b[2] = {4.0, 0.0};
  CGeLine flat(a, b);
  CPickRay ray;
  ray.m_b2D = 1;
  ray.m_dRadius = 0.5;
  ray.m_ptOrigin[0] = 2.0;
  ray.m_ptOrigin[1] = 0.5;  // exactly the radius above the middle
  EXPECT_EQ(flat.Pick(ray, 0), 1);
  EXPECT_EQ(ray.m_dDist2D, 0.5);
  ray.m_ptOrigin[1] = 0.625;
  EXPECT_EQ(flat.Pick(ray, 0), 0);
  // Beyond the end the end point's distance counts.
  ray.m_ptOrigin[0] = 4.25;
  ray.m_ptOrigin[1] = 0.25;
  EXPECT_EQ(flat.Pick(ray, 0), 1);
  EXPECT_NEAR(ray.m_dDist2D, std::hypot(0.25, 0.25), 1e-15);
  CGeLine line(kS, kE);
  ray.m_nTypeMask = GE_TYPE_ARC;
  EXPECT_EQ(line.Pick(ray, 1), 0);
  // 3D: a vertical ray through a point of the line.
  CPickRay down;
  down.m_b2D = 0;
  down.m_dRadius = 0.1;
  down.m_ptOrigin[0] = 3.0;
  down.m_ptOrigin[1] = 2.5;
  down.m_ptOrigin[2] = 10.0;
  down.m_vDir[2] = -1.0;
  ASSERT_EQ(line.Pick(down, 0), 1);
  EXPECT_NEAR(down.m_dParam, 0.5, 1e-9);
  EXPECT_NEAR(down.m_dDist3D, 10.0, 1e-9);
}

TEST_F(LineTest, SplitThresholds) {
  CGeLine line(kS, kE);
  CGeCurve* out[2] = {nullptr, nullptr};
  line.Split(-0.1, out, 0, 0);
  EXPECT_EQ(out[0], nullptr);
  EXPECT_EQ(out[1], nullptr);
  struct Case {
    double t;
    bool head, tail;
  } cases[] = {{0.00005, false, true}, {0.99995, true, false}, {0.3, true, true}};
  for (const auto& c : cases) {
    out[0] = out[1] = reinterpret_cast<CGeCurve*>(1);
    line.Split(c.t, out, 0, 0);
    std::unique_ptr<CGeCurve> a(out[0]), b(out[1]);
    EXPECT_EQ(a != nullptr, c.head) << c.t;
    EXPECT_EQ(b != nullptr, c.tail) << c.t;
    const double total = (a ? a->EvTotalArcLength() : 0) + (b ? b->EvTotalArcLength() : 0);
    EXPECT_NEAR(total, 5.0, 1e-12);
    if (a && b) {
      EXPECT_NEAR(a->EvTotalArcLength(), 1.5, 1e-12);
    }
  }
}

TEST_F(LineTest, OffsetGoesLeftAndReverseSwaps) {
  CGeLine line(kS, kE);
  std::unique_ptr<CGeCurve> left(line.Offset(1.0));
  ASSERT_TRUE(left);
  double s[2];
  left->GetStartPoint(s);
  EXPECT_NEAR(s[0], 1.0 - 0.6, 1e-12);
  EXPECT_NEAR(s[1], 1.0 + 0.8, 1e-12);
  CGeLine dot(kS, kS);
  EXPECT_EQ(dot.Offset(1.0), nullptr);

  line.Reverse();
  EXPECT_EQ(line.m_ptStart[0], 5.0);
  EXPECT_EQ(line.m_pSWPoint[0][0], 5.0);
  double v[2];
  line.GetTanVecAt(0.3, v, 1);
  EXPECT_EQ(v[0], -4.0);
}

TEST_F(LineTest, TransformsMoveEndsBufferAndBox) {
  CGeLine line(kS, kE);
  const double o[2] = {0, 0}, axis[2] = {1, 0}, v[2] = {2, -1}, f[2] = {2, 0.5};
  auto check = [&](const char* what) {
    SCOPED_TRACE(what);
    EXPECT_NEAR(line.m_pSWPoint[0][0], line.m_ptStart[0], 1e-12);
    EXPECT_NEAR(line.m_pSWPoint[1][1], line.m_ptEnd[1], 1e-12);
    EXPECT_NEAR(line.m_box.min[0], std::min(line.m_ptStart[0], line.m_ptEnd[0]), 1e-12);
    EXPECT_NEAR(line.m_box.max[1], std::max(line.m_ptStart[1], line.m_ptEnd[1]), 1e-12);
  };
  line.Translate(v);
  check("translate");
  line.Rotate(o, 1.0);
  check("rotate");
  EXPECT_NEAR(line.EvTotalArcLength(), 5.0, 1e-12);
  line.Mirror(o, axis);
  check("mirror");
  EXPECT_EQ(line.Scale(o, f), &line);
  check("scale");
  const double shear[2] = {0.5, 0};
  EXPECT_EQ(line.Shift(o, shear), &line);
  check("shift");
  const double m[3][3] = {{0, -1, 1}, {1, 0, 2}, {0, 0, 1}};
  line.Transform(m);
  check("transform");
}

// Controls at the thirds make the cubic run along the line at the line's own speed, so its
// points match the line's parameter for parameter.
TEST_F(LineTest, BezierFormIsTheLineAtItsOwnParameters) {
  CGeLine line(kS, kE);
  std::unique_ptr<CGeBezier> bez(line.ToBezier());
  ASSERT_TRUE(bez);
  ASSERT_EQ(bez->GetSegmentCount(), 1);
  EXPECT_EQ(bez->m_pNode[0].x, kS[0]);
  EXPECT_EQ(bez->m_pNode[3].y, kE[1]);
  for (double t : {0.0, 0.1, 1.0 / 3.0, 0.5, 0.8, 1.0}) {
    double b[2], p[2];
    bez->GetPointAt(t, b, 1);
    line.GetPointAt(t, p, 1);
    EXPECT_NEAR(Dist(b, p), 0.0, 1e-12) << t;
  }
  EXPECT_NEAR(bez->EvTotalArcLength(), 5.0, 1e-9);
  EXPECT_GT(bez->m_nSWPoint, 1);
}

TEST_F(LineTest, DiscreteVariants) {
  CGeLine line(kS, kE);
  CPoint2dArray pts;
  line.Discrete(0.01, &pts, 0.1, true);
  line.Discrete(0.01, &pts, 0.1, false);
  ASSERT_EQ(pts.GetSize(), 4);
  EXPECT_EQ(pts[3].x, 5.0f);
  double step = 0;
  EXPECT_EQ(line.GetDiscStep(0.01, step), 1);
  EXPECT_EQ(step, 0.25);
  line.ModifyEndPoint(kS);  // the buffer waits for the next discretisation
  EXPECT_EQ(line.m_pSWPoint[1][0], 5.0);
  line.Discrete(0.01, 0.1);
  EXPECT_EQ(line.m_pSWPoint[1][0], 1.0);
}

}  // namespace
