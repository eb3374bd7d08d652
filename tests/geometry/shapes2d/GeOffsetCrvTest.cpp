// Offset curves: positions at the signed distance, speed scaled by curvature, closure and box.
#include <gtest/gtest.h>

#include <cmath>

#include "geometry/shapes2d/GeArc.h"
#include "geometry/shapes2d/GeLine.h"
#include "geometry/shapes2d/GeOffsetCrv.h"
#include "support/VurodeFixture.h"

namespace {

using OffsetCrvTest = VurodeTest;

TEST_F(OffsetCrvTest, ArcOffsetsAreConcentricWithScaledSpeed) {
  CGeArc arc;
  const double c[2] = {1, 2};
  arc.CreateCSEAngle(c, 5.0, 0.3, 2.0);  // counter-clockwise: left is towards the centre
  for (double d : {1.0, -1.5}) {
    CGeOffsetCrv off;
    off.Create(&arc, d);
    for (double t : {0.0, 0.25, 0.8, 1.0}) {
      double p[2], v[2], bp[2], bv[2];
      off.Ev1Der(t, p, v, 1);
      arc.Ev1Der(t, bp, bv, 1);
      EXPECT_NEAR(std::hypot(p[0] - c[0], p[1] - c[1]), 5.0 - d, 1e-9);
      const double ratio = std::hypot(v[0], v[1]) / std::hypot(bv[0], bv[1]);
      EXPECT_NEAR(ratio, (5.0 - d) / 5.0, 1e-9);
      // The derivative matches a finite difference of the positions.
      double q0[2], q1[2];
      off.EvPos(t - 1e-6, q0, 1);
      off.EvPos(t + 1e-6, q1, 1);
      EXPECT_NEAR((q1[0] - q0[0]) / 2e-6, v[0], 1e-4);
      EXPECT_NEAR((q1[1] - q0[1]) / 2e-6, v[1], 1e-4);
    }
  }
  // Reversed, the same distance lies on the outer side.
  arc.Reverse();
  CGeOffsetCrv off;
  off.Create(&arc, 1.0);
  double p[2];
  off.GetPointAt(0.5, p, 1);
  EXPECT_NEAR(std::hypot(p[0] - c[0], p[1] - c[1]), 6.0, 1e-9);
  EXPECT_EQ(off.IsClosed(0.01), 0);
}

TEST_F(OffsetCrvTest, BoxComesFromTheBase) {
  const double a[2] = {0, 0}, b[2] = {4, 0};
  CGeLine line(a, b);
  CGeOffsetCrv off;
  _tagBox2D box;
  off.GetBox2d(&box);  // no base: stays empty
  EXPECT_LT(box.max[0], box.min[0]);
  off.Create(&line, -0.5);
  off.GetBox2d(&box);
  EXPECT_DOUBLE_EQ(box.min[0], -0.5);
  EXPECT_DOUBLE_EQ(box.max[1], 0.5);
  double p[2], v[2];
  off.EvPos(0.5, p, 1);
  EXPECT_DOUBLE_EQ(p[1], -0.5);
  off.GetTanVecAt(0.5, v, 1);
  EXPECT_DOUBLE_EQ(v[0], 4.0);
  EXPECT_EQ(off.GetSegmentCount(), 1);
  EXPECT_EQ(off.GetType(), GE_TYPE_OFFSETCRV);
}

}  // namespace
