#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <memory>
#include <string>
#include <numbers>

#include "millvane/paths/NcPline.h"
#include "tests/support/millvane/NcTestMeshes.h"

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
  model->RotateWithZAxis(std::numbers::pi / 2);  // the plane now rises along y
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

const double kNaN = std::numeric_limits<double>::quiet_NaN();
const double kInf = std::numeric_limits<double>::infinity();

// A part 5 above a floor; a bad vertex in the part used to make its facets vanish, so the
// cutter dropped to the floor through it.
TEST(MillModel, RefusesNonFiniteMeshesAndCutters) {
  auto floor = nctest::TiltedPlane(0.0, 30.0, 2);
  auto part = nctest::TiltedPlane(0.0, 10.0, 4);
  auto broken = nctest::TiltedPlane(0.0, 10.0, 4);
  for (CPoint3d& v : part->vertices) v.z += 5.0f;
  for (CPoint3d& v : broken->vertices) v.z += 5.0f;
  broken->vertices[12].z = static_cast<float>(kNaN);  // the middle vertex
  CTBall ball(2.0);
  CTBall nanBall(kNaN);
  CTBull infBull(kInf, 1.0);
  struct Case {
    const char* name;
    CGeMesh* mesh;
    CTool* tool;
  } cases[] = {{"nan vertex", broken.get(), &ball},
               {"nan ball", part.get(), &nanBall},
               {"inf bull", part.get(), &infBull}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    auto model = nctest::ModelOf({c.mesh, floor.get()}, c.tool, -50.0);
    double p[3] = {0.5, 0.5, -50.0};
    EXPECT_EQ(model->Get_CC_Height(p), 0);
    EXPECT_EQ(p[2], -50.0);
    CNcPoint q{3, 0.5, 0.5, -50.0, 0.0};
    EXPECT_EQ(model->Get_CC_Height(q), 0);
    EXPECT_EQ(q.z, -50.0);
    _tagBox3D b;
    EXPECT_EQ(model->GetBox(b), 0);
    const double a[3] = {-8, 0.5, -50}, e[3] = {8, 0.5, -50};
    EXPECT_EQ(model->CreateLinePath(a, e, 1.0, 0.01), nullptr);
    // A usable cutter lifts a cutter's refusal; a refused mesh stays refused.
    model->SetTool(&ball);
    model->Mark_Box2D(_tagBox2D{{-30, -30}, {30, 30}});
    const bool meshOk = c.mesh != broken.get();
    EXPECT_EQ(model->Get_CC_Height(p), meshOk ? 1 : 0);
    EXPECT_NEAR(p[2], meshOk ? 5.0 : -50.0, 1e-9);
  }
}

TEST(MillModel, NonFiniteQueriesFail) {
  auto plane = nctest::TiltedPlane(0.0, 10.0, 2);
  CTBall ball(2.0);
  auto model = nctest::ModelOf({plane.get()}, &ball, -5.0);
  struct Case {
    double p[3];
    int result;
    double z;  // NaN: unchanged
  } cases[] = {{{kNaN, 1, -5}, 0, kNaN},   {{1, kInf, -5}, 0, kNaN},
               {{1, 1, kNaN}, 0, kNaN},    {{1, 1, -kInf}, 1, 0.0},
               {{50, 1, -kInf}, 0, kNaN},  // nothing under it: the height stays -inf
               {{1, 1, -5}, 1, 0.0}};
  for (const Case& c : cases) {
    double p[3] = {c.p[0], c.p[1], c.p[2]};
    EXPECT_EQ(model->Get_CC_Height(p), c.result) << c.p[0] << " " << c.p[1] << " " << c.p[2];
    if (std::isnan(c.z))
      EXPECT_TRUE(p[2] == c.p[2] || (std::isnan(p[2]) && std::isnan(c.p[2])));
    else
      EXPECT_NEAR(p[2], c.z, 1e-9);
  }
}

}  // namespace
