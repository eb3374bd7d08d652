#include <gtest/gtest.h>

#include <cmath>

#include "millvane/paths/NcPline.h"
#include "tests/millvane/paths/NcTestMeshes.h"

namespace {

TEST(MillModel, BoxNeedsToolAndMesh) {
  CMillModel empty;
  _tagBox3D b;
  EXPECT_EQ(empty.GetBox(b), 0);
  auto plane = nctest::TiltedPlane(0.0, 10.0, 2);
  CMillModel noTool;
  auto* m = new CNcMesh;
  m->Init(plane.get());
  noTool.meshes.push_back(m);
  EXPECT_EQ(noTool.GetBox(b), 0);
  CTCylindrical flat(2.0);
  noTool.SetTool(&flat);
  ASSERT_EQ(noTool.GetBox(b), 1);
  EXPECT_NEAR(b.max[0], 11.0, 1e-6);  // edge boxes reach a radius further
}

TEST(MillModel, RotatedModelAnswersInTheRotatedFrame) {
  const double slope = 0.3;
  auto plane = nctest::TiltedPlane(slope, 30.0, 3);
  CTBall ball(4.0);
  auto model = nctest::ModelOf({plane.get()}, &ball, -50.0);
  model->RotateWithZAxis(M_PI / 2);  // the plane now rises along y
  model->SetTool(&ball);             // refreshes facet and edge boxes
  model->Mark_Box2D(_tagBox2D{{-100, -100}, {100, 100}});
  model->Mark_XInter(5.0, -5.0);     // either order
  const double lift = 2.0 * (1.0 / std::cos(std::atan(slope)) - 1.0);
  double p[3] = {1.0, 4.0, -50.0};
  EXPECT_EQ(model->Get_CC_Height(p), 1);
  EXPECT_NEAR(p[2], slope * 4.0 + lift, 1e-5);
  CNcPoint q{7, 1.0, 4.0, -50.0, 0.0};
  model->Get_CC_Height(q);
  EXPECT_EQ(q.tag, 7);
  EXPECT_NEAR(q.z, p[2], 1e-12);
}

TEST(MillModel, ProjectPointTakesHighestFacetSurface) {
  auto low = nctest::TiltedPlane(0.0, 10.0, 2);
  auto high = nctest::TiltedPlane(0.5, 10.0, 2);
  CTBall ball(2.0);
  auto model = nctest::ModelOf({high.get(), low.get()}, &ball, -5.0);
  double z = -100;
  // The last mesh (z = 0) answers "not raised" while z holds the tilted plane's height.
  EXPECT_EQ(model->ProjectPoint(4.0, 1.0, z), 0);
  EXPECT_NEAR(z, 2.0, 1e-6);
  z = -100;
  model->ProjectPoint(-4.0, 1.0, z);
  EXPECT_NEAR(z, 0.0, 1e-6);
}

}  // namespace
