// The saved-view stacks of the 2D view state and the 3D drawing context, and the view
// interpolations that animated view changes step through.
#include "platform/vurode/Vurode.h"
#include "support/VurodeFixture.h"

#include <cmath>
#include <numbers>

namespace {

class ViewStackTest : public VurodeTest {};

TEST_F(ViewStackTest, PushPopRestoresInReverseOrder) {
  CVurode v;
  EXPECT_TRUE(v.IsViewStackEmpty());
  EXPECT_FALSE(v.PopViewPara()) << "an empty stack leaves the view alone";
  EXPECT_DOUBLE_EQ(v.GetScale(), 1.0);

  for (int i = 1; i <= 3; ++i) {
    v.PushViewPara();
    v.SetScale(1.0 + i);
    v.SetOrigin(10.0 * i, -5.0 * i);
  }
  EXPECT_EQ(v.GetViewStackSize(), 3);
  const double expectScale[] = {3.0, 2.0, 1.0};
  const double expectX[] = {20.0, 10.0, 0.0};
  for (int i = 0; i < 3; ++i) {
    ASSERT_TRUE(v.PopViewPara());
    double o[2];
    v.GetOrigin(o);
    EXPECT_DOUBLE_EQ(v.GetScale(), expectScale[i]);
    EXPECT_DOUBLE_EQ(o[0], expectX[i]);
    EXPECT_DOUBLE_EQ(o[1], -expectX[i] / 2);
  }
  EXPECT_TRUE(v.IsViewStackEmpty());
}

TEST_F(ViewStackTest, StackKeepsOnlyTheNewestViews) {
  CVurode v;
  const int pushes = CVurode::kMaxViewStack + 10;
  for (int i = 0; i < pushes; ++i) {
    v.SetScale(1.0 + i);
    v.PushViewPara();
  }
  EXPECT_EQ(v.GetViewStackSize(), CVurode::kMaxViewStack);
  int pops = 0;
  double last = 0;
  while (v.PopViewPara()) {
    ++pops;
    last = v.GetScale();
  }
  EXPECT_EQ(pops, CVurode::kMaxViewStack);
  EXPECT_DOUBLE_EQ(last, 1.0 + (pushes - CVurode::kMaxViewStack)) << "the oldest went first";
}

TEST_F(ViewStackTest, SetViewParaRefusesBrokenValues) {
  CVurode v;
  const tagViewPara good{2.5, {3.0, 4.0}};
  ASSERT_TRUE(v.SetViewPara(good));
  const tagViewPara bad[] = {{0.0, {0, 0}}, {-1.0, {0, 0}}, {NAN, {0, 0}}, {1.0, {INFINITY, 0}}, {1.0, {0, NAN}}};
  for (const auto& b : bad) EXPECT_FALSE(v.SetViewPara(b));
  const tagViewPara now = v.GetViewPara();
  EXPECT_EQ(now.scale, 2.5);
  EXPECT_EQ(now.origin[0], 3.0);
  EXPECT_EQ(now.origin[1], 4.0);
}

TEST_F(ViewStackTest, LerpViewZoomsGeometricallyAndPansLinearly) {
  const tagViewPara a{1.0, {0.0, 10.0}}, b{16.0, {8.0, -6.0}};
  struct Case {
    double t, scale, x, y;
  } cases[] = {{0.0, 1.0, 0.0, 10.0}, {0.25, 2.0, 2.0, 6.0}, {0.5, 4.0, 4.0, 2.0},
               {1.0, 16.0, 8.0, -6.0}, {-3.0, 1.0, 0.0, 10.0}, {7.0, 16.0, 8.0, -6.0}, {NAN, 1.0, 0.0, 10.0}};
  for (const auto& c : cases) {
    const tagViewPara r = CVurode::LerpView(a, b, c.t);
    EXPECT_NEAR(r.scale, c.scale, 1e-12) << c.t;
    EXPECT_NEAR(r.origin[0], c.x, 1e-12) << c.t;
    EXPECT_NEAR(r.origin[1], c.y, 1e-12) << c.t;
  }
  // Eight equal steps zoom by the same factor each step.
  double prev = a.scale;
  for (int step = 1; step <= 8; ++step) {
    const double s = CVurode::LerpView(a, b, step * 0.125).scale;
    EXPECT_NEAR(s / prev, std::pow(16.0, 0.125), 1e-12);
    prev = s;
  }
}

GCamera LookAt(const double eye[3], const double ref[3], const double up[3], double width) {
  GCamera c;
  c.set_screen(200, 100);
  c.set_view(eye, ref, up);
  c.set_view_rect(width, width / 2);
  return c;
}

void ExpectVec(const double a[3], const double b[3], double tol, const char* what) {
  for (int i = 0; i < 3; ++i) EXPECT_NEAR(a[i], b[i], tol) << what << "[" << i << "]";
}

TEST_F(ViewStackTest, CameraStackRestoresWholeCameras) {
  COpenGLDC dc;
  EXPECT_FALSE(dc.PopViewPara());
  const double eye[3] = {0, 0, 50}, ref[3] = {1, 2, 3}, up[3] = {0, 1, 0};
  dc.SetCamera(LookAt(eye, ref, up, 40));
  dc.PushViewPara();
  dc.GetCamera().rot_view(0.7, up);
  dc.GetCamera().set_view_rect(5, 2.5);
  ASSERT_TRUE(dc.PopViewPara());
  double e[3], r[3], w, h;
  dc.GetCamera().GetEye(e);
  dc.GetCamera().GetRefPoint(r);
  dc.GetCamera().GetViewSize(w, h);
  ExpectVec(e, eye, 0, "eye");
  ExpectVec(r, ref, 0, "ref");
  EXPECT_EQ(w, 40);
  EXPECT_TRUE(dc.IsViewStackEmpty());
  for (int i = 0; i < COpenGLDC::kMaxViewStack + 3; ++i) dc.PushViewPara();
  EXPECT_EQ(dc.GetViewStackSize(), COpenGLDC::kMaxViewStack);
}

TEST_F(ViewStackTest, CameraLerpTurnsOnTheShortestArc) {
  // From looking down -z (top) to looking along +y (front), both about the origin, distance
  // 100 then 200, width 10 then 40: half way the sight is at 45 degrees, the distance 150 and
  // the width 20.
  const double top[3] = {0, 0, 100}, front[3] = {0, -200, 0}, o[3] = {0, 0, 0};
  const double upY[3] = {0, 1, 0}, upZ[3] = {0, 0, 1};
  const GCamera a = LookAt(top, o, upY, 10), b = LookAt(front, o, upZ, 40);

  const GCamera a0 = COpenGLDC::LerpView(a, b, 0.0f), b1 = COpenGLDC::LerpView(a, b, 1.0f);
  double e[3];
  a0.GetEye(e);
  ExpectVec(e, top, 1e-9, "t=0 eye");
  b1.GetEye(e);
  ExpectVec(e, front, 1e-9, "t=1 eye");

  const GCamera m = COpenGLDC::LerpView(a, b, 0.5f);
  m.GetEye(e);
  const double s = 150 / std::sqrt(2.0);
  const double expectEye[3] = {0, -s, s};
  ExpectVec(e, expectEye, 1e-6, "half-way eye");
  double ax[3], ay[3], az[3];
  m.GetViewAxis(ax, ay, az);
  const double expectUp[3] = {0, 1 / std::sqrt(2.0), 1 / std::sqrt(2.0)};
  ExpectVec(ay, expectUp, 1e-6, "half-way up");
  double w, h;
  m.GetViewSize(w, h);
  EXPECT_NEAR(w, 20, 1e-9);
}

TEST_F(ViewStackTest, CameraLerpRollsEvenlyAndTurnsAroundOpposites) {
  // Same sight, up turned by 90 degrees: half way the roll is 45 degrees.
  const double eye[3] = {0, 0, 10}, o[3] = {0, 0, 0}, upY[3] = {0, 1, 0}, upX[3] = {1, 0, 0};
  const GCamera a = LookAt(eye, o, upY, 10), b = LookAt(eye, o, upX, 10);
  double ax[3], ay[3], az[3];
  COpenGLDC::LerpView(a, b, 0.5f).GetViewAxis(ax, ay, az);
  const double r = 1 / std::sqrt(2.0);
  const double expectUp[3] = {r, r, 0};
  ExpectVec(ay, expectUp, 1e-6, "rolled up");

  // Opposite sights (front to back) still interpolate through a proper camera.
  const double front[3] = {0, -10, 0}, back[3] = {0, 10, 0}, upZ[3] = {0, 0, 1};
  const GCamera f = LookAt(front, o, upZ, 10), k = LookAt(back, o, upZ, 10);
  const GCamera mid = COpenGLDC::LerpView(f, k, 0.5f);
  double e[3];
  mid.GetEye(e);
  EXPECT_NEAR(std::hypot(e[0], e[1], e[2]), 10, 1e-9);
  EXPECT_NEAR(e[1], 0, 1e-9) << "a quarter turn from both ends";
  mid.GetViewAxis(ax, ay, az);
  EXPECT_NEAR(ay[2], 1, 1e-9) << "turned about the shared up axis";
  const GCamera end = COpenGLDC::LerpView(f, k, 1.0f);
  end.GetEye(e);
  ExpectVec(e, back, 1e-9, "end eye");
}

TEST_F(ViewStackTest, RotateAboutKeepsTheCentreOnScreen) {
  const double eye[3] = {5, 5, 100}, ref[3] = {5, 5, 0}, up[3] = {0, 1, 0};
  GCamera c = LookAt(eye, ref, up, 50);
  const double centre[3] = {10, 0, 0};
  double sx0, sy0, sx1, sy1;
  ASSERT_TRUE(c.world_to_screen(centre, sx0, sy0));
  const double axis[3] = {1, 1, 0};
  c.rotate_about(centre, axis, 0.8);
  ASSERT_TRUE(c.world_to_screen(centre, sx1, sy1));
  EXPECT_NEAR(sx0, sx1, 1e-9);
  EXPECT_NEAR(sy0, sy1, 1e-9);
  double e[3];
  c.GetEye(e);
  EXPECT_NEAR(std::hypot(e[0] - 10, e[1], e[2]), std::hypot(-5.0, 5.0, 100.0), 1e-9) << "distance to the centre kept";

  // rot_view turns about the world origin: a quarter turn about z moves the eye (5, 5, 100)
  // to (-5, 5, 100).
  GCamera d = LookAt(eye, ref, up, 50);
  const double z[3] = {0, 0, 1};
  d.rot_view(std::numbers::pi / 2, z);
  d.GetEye(e);
  const double expect[3] = {-5, 5, 100};
  ExpectVec(e, expect, 1e-9, "eye");
}

}  // namespace
