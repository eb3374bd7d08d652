// The OpenGL window peer on a real display (run under Xvfb): drawing through COpenGLDC lands in
// the widget's framebuffer; a paint the message loop asks for is drawn in Qt's next frame.
#include "QtFixture.h"

#include "platform/vurode/OpenGLDC.h"

#include <QOpenGLWidget>

namespace qtwin_test {
namespace {

// A plan view of the square [-32, 32]^2 with a 16 x 16 square in the middle.
class CGLTestView : public CWnd {
 public:
  COpenGLDC* dc = nullptr;
  COLORREF colour = RGB(255, 0, 0);
  int paints = 0;

 protected:
  void OnPaint() {
    CPaintDC paint(this);
    if (!dc) return;
    ++paints;
    GCamera& cam = dc->GetCamera();
    const double eye[3] = {0, 0, 1000}, ref[3] = {0, 0, 0}, up[3] = {0, 1, 0};
    cam.set_view(eye, ref, up);
    cam.set_view_rect(64, 64);
    cam.set_depth(1.0, 2000.0);
    dc->Ready();
    dc->SetColor(colour);
    glBegin(GL_QUADS);
    glVertex3d(-8, -8, 0);
    glVertex3d(8, -8, 0);
    glVertex3d(8, 8, 0);
    glVertex3d(-8, 8, 0);
    glEnd();
    dc->Finish();
  }
  DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CGLTestView, CWnd)
ON_WM_PAINT()
END_MESSAGE_MAP()

QRgb Rgb(const QImage& img, int x, int y) { return img.pixel(x, y) & 0xFFFFFF; }

TEST_F(QtWinTest, DrawingThroughTheOpenGLContextReachesTheFramebuffer) {
  ASSERT_TRUE(velmora::qtwin::CQtWindowBackend::OpenGLAvailable()) << "no OpenGL on this display";
  COpenGLDC dc;
  dc.SetBkColor(RGB(0, 0, 64));
  CGLTestView gl;
  ASSERT_TRUE(gl.Create(velmora::qtwin::kOpenGLViewClass, L"", WS_CHILD | WS_VISIBLE, RECT{0, 0, 64, 64}, &view, 3));
  auto* glw = qobject_cast<QOpenGLWidget*>(backend.Peer(gl.GetSafeHwnd()));
  ASSERT_NE(glw, nullptr);
  ASSERT_TRUE(backend.AttachOpenGLDC(gl.GetSafeHwnd(), &dc));
  gl.dc = &dc;
  Pump();

  // Qt asks for the frame: the window paints inside Qt's paint with the context current.
  QImage img = glw->grabFramebuffer();
  ASSERT_EQ(img.width(), 64);
  EXPECT_TRUE(dc.IsPerfect());
  EXPECT_GT(gl.paints, 0);
  EXPECT_EQ(Rgb(img, 32, 32), 0xFF0000u);
  EXPECT_EQ(Rgb(img, 25, 25), 0xFF0000u);
  EXPECT_EQ(Rgb(img, 2, 2), 0x000040u);
  EXPECT_EQ(Rgb(img, 60, 32), 0x000040u);

  // An invalidation from the message loop brings a new frame: the new drawing is what shows.
  gl.colour = RGB(0, 255, 0);
  const int before = gl.paints;
  gl.Invalidate();
  Pump();
  EXPECT_GT(gl.paints, before);
  img = glw->grabFramebuffer();
  EXPECT_EQ(Rgb(img, 32, 32), 0x00FF00u);
  EXPECT_EQ(Rgb(img, 2, 2), 0x000040u);

  backend.AttachOpenGLDC(gl.GetSafeHwnd(), nullptr);
  gl.DestroyWindow();
}

}  // namespace
}  // namespace qtwin_test
