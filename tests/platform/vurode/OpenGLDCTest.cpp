#define GL_GLEXT_PROTOTYPES 1
#include "platform/vurode/Vurode.h"
#include "support/GLContext.h"

#include <GL/glext.h>
#include <GL/glu.h>

#include <algorithm>
#include <cmath>

namespace {

class OpenGLDCTest : public GLTest {};

// One world unit per pixel, world origin at the centre of the 64 x 64 target.
TEST_F(OpenGLDCTest, LineStripSetsExactlyItsPixels) {
  SetPlanView(-32, 32, -32, 32);
  dc().Ready();
  dc().SetColor(RGB(255, 0, 0));
  // An L through pixel centres: along row 37 from the bottom (26 from the top), then up
  // column 40.
  const double pts[][3] = {{-20, 5.5, 0}, {8.5, 5.5, 0}, {8.5, 25, 0}};
  dc().DrawPolyline(pts, 3);
  dc().Finish();

  const int red = gl().CountPixels(RGB(255, 0, 0));
  EXPECT_NEAR(red, 29 + 20, 3);
  EXPECT_EQ(red + gl().CountPixels(RGB(0, 0, 0)), 64 * 64) << "only red and background";
  for (int x = 14; x < 40; ++x) EXPECT_EQ(gl().PixelAt(x, 26), RGB(255, 0, 0)) << x;
  for (int y = 9; y < 26; ++y) EXPECT_EQ(gl().PixelAt(40, y), RGB(255, 0, 0)) << y;
  EXPECT_EQ(gl().PixelAt(14, 25), RGB(0, 0, 0));
  EXPECT_EQ(gl().PixelAt(41, 20), RGB(0, 0, 0));
}

TEST_F(OpenGLDCTest, ColoursKeepTheirChannelOrderAndDrawUnlit) {
  SetPlanView(-32, 32, -32, 32);
  // Plain GL drawing after InitGL keeps exact colours (lighting is off until a view enables it).
  dc().Ready();
  dc().SetColor(RGB(0, 196, 0));
  glBegin(GL_LINE_STRIP);
  glVertex2f(-30.0f, -10.5f);
  glVertex2f(30.0f, -10.5f);
  glEnd();
  EXPECT_GT(gl().CountPixels(RGB(0, 196, 0)), 50);
  const COLORREF colours[] = {RGB(255, 0, 0), RGB(0, 200, 0), RGB(10, 20, 250), RGB(0, 196, 0)};
  for (COLORREF c : colours) {
    dc().Ready();
    glEnable(GL_LIGHTING);  // a line has no normal: lighting must not tint it
    dc().SetColor(c);
    EXPECT_EQ(dc().GetColor(), c);
    const tagPoint3d pts[] = {{-30, 0.5f, 0}, {30, 0.5f, 0}};
    dc().DrawPolyline(pts, 2);
    EXPECT_TRUE(glIsEnabled(GL_LIGHTING)) << "the caller's lighting state is kept";
    EXPECT_GT(gl().CountPixels(c), 50) << std::hex << c;
  }
  // A curve's point string draws the same strip.
  dc().Ready();
  dc().SetColor(RGB(0, 0, 255));
  CStrP3D str;
  ASSERT_TRUE(str.Create(2, false, false));
  str.m_pPoints[0][0] = 0.5;
  str.m_pPoints[0][1] = -30;
  str.m_pPoints[1][0] = 0.5;
  str.m_pPoints[1][1] = 30;
  dc().DrawPolyline(str);
  EXPECT_EQ(gl().PixelAt(32, 10), RGB(0, 0, 255));
  EXPECT_EQ(gl().PixelAt(32, 50), RGB(0, 0, 255));
  EXPECT_EQ(gl().PixelAt(31, 10), RGB(0, 0, 0));
  // Fewer than two points draw nothing.
  dc().Ready();
  const tagPoint3d one[] = {{0, 0, 0}};
  dc().DrawPolyline(one, 1);
  EXPECT_EQ(gl().CountPixels(RGB(0, 0, 0)), 64 * 64);
}

TEST_F(OpenGLDCTest, GluProjectWithTheKeptMatricesAgreesWithTheCamera) {
  GCamera& cam = dc().GetCamera();
  const double eye[3] = {40, -30, 25}, ref[3] = {1, 2, 3}, up[3] = {0, 0, 1};
  cam.set_view(eye, ref, up);
  cam.set_view_rect(30, 30);
  cam.set_depth(1, 500);
  dc().Ready();
  double mv[16], pr[16];
  int vp[4];
  dc().GetModelViewMatrix(mv);
  dc().GetProjectionMatrix(pr);
  dc().GetViewport(vp);
  EXPECT_EQ(vp[2], 64);
  EXPECT_EQ(vp[3], 64);
  // GL holds the same matrices (in single precision).
  double glmv[16];
  glGetDoublev(GL_MODELVIEW_MATRIX, glmv);
  for (int i = 0; i < 16; ++i) EXPECT_NEAR(glmv[i], mv[i], 1e-6 * std::max(1.0, std::abs(mv[i]))) << i;

  const double samples[][3] = {{1, 2, 3}, {5, -4, 0}, {-7, 8, 9}, {0, 0, -6}};
  for (const auto& p : samples) {
    double wx, wy, wz, sx, sy;
    ASSERT_TRUE(gluProject(p[0], p[1], p[2], mv, pr, vp, &wx, &wy, &wz));
    ASSERT_TRUE(cam.world_to_screen(p, sx, sy));
    EXPECT_NEAR(sx, wx, 1e-9);
    EXPECT_NEAR(sy, vp[3] - wy, 1e-9) << "screen y runs down";
    double back[3];
    cam.screen_to_world(sx, sy, back);
    double d[3];
    cam.get_viewdirection(d);
    // The inverse lands on the point's line of sight.
    const double v[3] = {p[0] - back[0], p[1] - back[1], p[2] - back[2]};
    const double c[3] = {v[1] * d[2] - v[2] * d[1], v[2] * d[0] - v[0] * d[2],
                         v[0] * d[1] - v[1] * d[0]};
    EXPECT_NEAR(std::hypot(c[0], c[1], c[2]), 0.0, 1e-9);
  }
  cam.CalculateFocalLength();
  EXPECT_NEAR(cam.GetFocalLength(), std::hypot(39.0, -32.0, 22.0), 1e-12);
}

TEST_F(OpenGLDCTest, BufferObjectsRoundTripThroughTheEntryPoints) {
  ASSERT_TRUE(dc().IsSupportBufferObject()) << "llvmpipe offers OpenGL 4.5";
  GLuint id = 0;
  dc().GenBuffers(1, &id);
  ASSERT_NE(id, 0u);
  const float data[6] = {1, 2, 3, 4, 5, 6};
  dc().BindBuffer(GL_ARRAY_BUFFER, id);
  dc().BufferData(GL_ARRAY_BUFFER, sizeof data, data, GL_STATIC_DRAW);
  GLint size = 0;
  glGetBufferParameteriv(GL_ARRAY_BUFFER, GL_BUFFER_SIZE, &size);
  EXPECT_EQ(size, static_cast<GLint>(sizeof data));
  const float part[2] = {9, 8};
  dc().BufferSubData(GL_ARRAY_BUFFER, 2 * sizeof(float), sizeof part, part);
  float back[6] = {};
  glGetBufferSubData(GL_ARRAY_BUFFER, 0, sizeof back, back);
  EXPECT_EQ(back[1], 2.0f);
  EXPECT_EQ(back[2], 9.0f);
  EXPECT_EQ(back[3], 8.0f);
  EXPECT_EQ(back[4], 5.0f);
  dc().BindBuffer(GL_ARRAY_BUFFER, 0);
  dc().DeleteBuffers(1, &id);
  EXPECT_FALSE(glIsBuffer(id));
}

TEST_F(OpenGLDCTest, LightDirectionIsKeptInWorldCoordinates) {
  SetPlanView(-32, 32, -32, 32);
  dc().Ready();
  dc().SetLightDirection(0, 0, 100);
  float dir[3];
  dc().GetLightDirection(dir);
  EXPECT_EQ(dir[2], 100.0f);
  // The camera looks down z, so eye space equals world space up to a translation: a
  // direction is unchanged.
  GLfloat pos[4];
  glGetLightfv(GL_LIGHT0, GL_POSITION, pos);
  EXPECT_NEAR(pos[0], 0, 1e-5);
  EXPECT_NEAR(pos[2], 100, 1e-4);
  EXPECT_EQ(pos[3], 0.0f) << "directional";
}

}  // namespace
