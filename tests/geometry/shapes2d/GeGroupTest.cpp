// Groups move and bound their curves together.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "geometry/shapes2d/GeArc.h"
#include "geometry/shapes2d/GeGroup.h"
#include "geometry/shapes2d/GeLine.h"
#include "support/VurodeFixture.h"

namespace {

using GroupTest = VurodeTest;

TEST_F(GroupTest, EveryTransformReachesEveryCurve) {
  CGeGroup group;
  const double a[2] = {0, 0}, b[2] = {2, 0}, c[2] = {5, 5};
  auto* line = new CGeLine(a, b);
  auto* arc = new CGeArc;
  arc->CreateCSEAngle(c, 1.0, 0.0, std::numbers::pi);
  arc->Discrete(0.01);
  group.m_CurveList.AddTail(line);
  group.m_CurveList.AddTail(static_cast<CGeCurve*>(nullptr));
  group.m_CurveList.AddTail(arc);

  _tagBox2D box;
  group.GetBox2d(&box);
  EXPECT_NEAR(box.max[0], 6.0, 1e-9);
  EXPECT_NEAR(box.max[1], 6.0, 1e-9);

  const double v[2] = {1, 1};
  group.Translate(v);
  const double p[2] = {0, 0}, d[2] = {1, 0};
  group.Mirror(p, d);
  const double m[3][3] = {{1, 0, 0}, {0, 1, 10}, {0, 0, 1}};
  group.Transform(m);
  const double base[2] = {0, 0}, f[2] = {2, 2};
  EXPECT_EQ(group.Scale(base, f), &group);
  double s[2], e[2];
  group.GetStartPoint(s);
  EXPECT_NEAR(s[0], 2.0, 1e-9);   // (0,0) -> (1,1) -> (1,-1) -> (1,9) -> (2,18)
  EXPECT_NEAR(s[1], 18.0, 1e-9);
  group.GetEndPoint(e);
  arc->GetEndPoint(s);
  EXPECT_EQ(e[0], s[0]);
  EXPECT_NEAR(arc->m_ptCenter[0], 12.0, 1e-9);  // (5,5) -> (6,6) -> (6,-6) -> (6,4) -> (12,8)
  EXPECT_NEAR(arc->m_ptCenter[1], 8.0, 1e-9);
  group.GetBox2d(&box);
  EXPECT_NEAR(box.min[1], 8.0 - 2.0, 1e-6);

  // An arc cannot be squashed flat: it answers null and stays as it was, in the group.
  const double flat[2] = {0.0, 1.0};
  group.Scale(base, flat);
  EXPECT_EQ(group.m_CurveList.GetTail(), arc);
}

}  // namespace
