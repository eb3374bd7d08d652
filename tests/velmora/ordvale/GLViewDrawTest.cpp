// The view's 3D frame in a real OpenGL context: the scene hook draws between the frame's
// start and finish, with the view's camera.
#include "support/GLContext.h"
#include "velmora/ordvale/GLView.h"

#include <GL/gl.h>

namespace {

class SquareView : public CGLView {
 public:
  // A red square over the world box [0, 16] x [0, 16].
  void DrawGL(COpenGLDC* dc, int mode) override {
    modes.push_back(mode);
    dc->SetColor(RGB(255, 0, 0));
    glBegin(GL_QUADS);
    glVertex3d(0, 0, 0);
    glVertex3d(16, 0, 0);
    glVertex3d(16, 16, 0);
    glVertex3d(0, 16, 0);
    glEnd();
  }
  std::vector<int> modes;
};

class GLViewDrawTest : public GLTest {};

TEST_F(GLViewDrawTest, FrameDrawsTheSceneThroughTheCamera) {
  SetPlanView(-32, 32, -32, 32);  // one world unit per pixel on the 64 x 64 target
  SquareView view;
  view.OnDraw(nullptr);
  dc().Finish();
  EXPECT_EQ(view.modes, std::vector<int>{0});
  EXPECT_NEAR(gl().CountPixels(RGB(255, 0, 0)), 16 * 16, 16);
  EXPECT_EQ(gl().PixelAt(40, 24), RGB(255, 0, 0)) << "upper right of the centre";
  EXPECT_EQ(gl().PixelAt(24, 40), RGB(0, 0, 0));

  // Zoomed in twice, the square covers four times the pixels.
  ASSERT_TRUE(view.Zoom(2.0));
  view.OnDraw(nullptr);
  EXPECT_NEAR(gl().CountPixels(RGB(255, 0, 0)), 32 * 32, 32);
  EXPECT_FALSE(view.IsRedrawPending()) << "the frame was drawn";
}

}  // namespace
