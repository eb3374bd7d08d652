// Headless OpenGL for tests: an EGL context on Mesa's surfaceless platform (no display, no
// window) drawing into an offscreen framebuffer object, read back pixel by pixel. Drawing
// code is tested by the pixels it really sets.
//
// The usual way is the GLTest fixture:
//
//   class CurveGL : public GLTest {};                 // 64 x 64 target unless you say otherwise
//   TEST_F(CurveGL, StripLightsItsPixels) {
//     SetPlanView(-32, 32, -32, 32);                   // world box shown on the whole target
//     dc().Ready();                                    // clear, camera matrices
//     dc().SetColor(RGB(255, 0, 0));
//     curve.DrawGL(&dc(), 0);                          // gGetOpenGLDC() == &dc() as well
//     dc().Finish();
//     EXPECT_GT(gl().CountPixels(RGB(255, 0, 0)), 10);
//     EXPECT_EQ(gl().PixelAt(3, 60), RGB(0, 0, 0));  // x from the left, y from the top
//   }
//
// The fixture restores the vurode defaults around each test (it derives from VurodeTest),
// installs its COpenGLDC as gGetOpenGLDC, and skips the test with a message only when the
// machine has no OpenGL driver at all; any other failure to set up fails the test.
// Outside a fixture: `auto r = GLContext::Create(w, h);` and check r.context / r.noDriver.
#pragma once

#include "platform/vurode/OpenGLDC.h"
#include "support/VurodeFixture.h"

#include <memory>
#include <string>
#include <vector>

class GLContext {
 public:
  struct Result {
    std::unique_ptr<GLContext> context;  // null on failure
    bool noDriver = false;               // failure because no GL driver could be loaded
    std::string message;                 // why it failed
  };
  // Creates a context with a width x height colour (RGBA8) and depth target and makes it
  // current on this thread.
  static Result Create(int width, int height);
  ~GLContext();
  GLContext(const GLContext&) = delete;
  GLContext& operator=(const GLContext&) = delete;

  int Width() const { return m_width; }
  int Height() const { return m_height; }
  void MakeCurrent();

  // Waits for drawing to finish and reads the whole target: RGB triples, top row first.
  std::vector<unsigned char> ReadRGB() const;
  // One pixel; x from the left, y from the top (screen convention).
  COLORREF PixelAt(int x, int y) const;
  // Pixels whose channels each lie within tol of the colour's.
  int CountPixels(COLORREF color, int tol = 0) const;

 private:
  GLContext() = default;
  struct Egl;
  std::unique_ptr<Egl> m_egl;
  unsigned m_fbo = 0;
  unsigned m_colorRb = 0;
  unsigned m_depthRb = 0;
  int m_width = 0;
  int m_height = 0;
};

class GLTest : public VurodeTest {
 protected:
  // Size of the target; override in a derived fixture before SetUp runs.
  virtual int TargetWidth() const { return 64; }
  virtual int TargetHeight() const { return 64; }

  void SetUp() override;
  void TearDown() override;

  GLContext& gl() { return *m_gl; }
  COpenGLDC& dc() { return *m_dc; }
  // Looks straight down the z axis at the world box [x0, x1] x [y0, y1] (the box's aspect is
  // taken from the target; world x grows to the right, y upwards).
  void SetPlanView(double x0, double x1, double y0, double y1);

 private:
  std::unique_ptr<GLContext> m_gl;
  std::unique_ptr<COpenGLDC> m_dc;
};
