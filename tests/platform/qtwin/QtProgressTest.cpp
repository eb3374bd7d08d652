#include "QtFixture.h"

#include "platform/qtwin/QtProgress.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QProgressBar>
#include <QProgressDialog>
#include <QPushButton>

#include <atomic>
#include <thread>

namespace qtwin_test {
namespace {

// Runs Qt's events until done() or five seconds pass.
template <class F>
bool ProcessUntil(F done) {
  QElapsedTimer t;
  t.start();
  while (!done() && t.elapsed() < 5000) QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
  return done();
}

TEST(QtProgress, WorkerReportsShowOnTheBarAndCancelReachesTheLoop) {
  App();
  gResetProgress();
  velmora::qtwin::CQtProgressSink sink;
  gSetProgressSink(&sink);
  QProgressDialog* dlg = sink.Dialog();
  EXPECT_FALSE(dlg->isVisible());

  std::atomic<bool> reported{false}, cancelled{false};
  std::thread worker([&] {
    gShowThreadProg(L"Offsetting", 0);
    {
      CQProgress p;
      p.SetRange(0.25);
      reported = true;
      // A long loop polls between steps; it ends when the operator cancels.
      for (int i = 0; i < 5000 && !gIsProgressCancel(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
      cancelled = gIsProgressCancel();
    }
    gHideThreadProg();
  });
  // The window stays responsive: the GUI thread runs its events while the worker reports.
  EXPECT_TRUE(ProcessUntil([&] { return reported && dlg->isVisible() && dlg->value() == 250; }));
  EXPECT_EQ(dlg->labelText(), "Offsetting");
  QPushButton* cancel = dlg->findChild<QPushButton*>();
  ASSERT_NE(cancel, nullptr);
  cancel->click();
  worker.join();
  EXPECT_TRUE(cancelled);
  EXPECT_TRUE(ProcessUntil([&] { return !dlg->isVisible(); }));
  gSetProgressSink(nullptr);
  gResetProgress();
}

// On the GUI thread itself the bar follows at once, with no event processing inside a report.
TEST(QtProgress, ReportsOnTheGuiThreadApplyAtOnce) {
  App();
  gResetProgress();
  velmora::qtwin::CQtProgressSink sink;
  gSetProgressSink(&sink);
  {
    CQProgress p;
    EXPECT_TRUE(sink.Dialog()->isVisible());
    p.SetRange(0.5);
    EXPECT_EQ(sink.Dialog()->value(), 500);
    p.SetRange(std::numeric_limits<double>::quiet_NaN());
    EXPECT_EQ(sink.Dialog()->value(), 500);
  }
  EXPECT_FALSE(sink.Dialog()->isVisible());
  gSetProgressSink(nullptr);
  gResetProgress();
}

}  // namespace

// Offscreen there is no OpenGL: a GL view window gets the painted peer and paints in 2D.
TEST_F(QtWinTest, OpenGLViewFallsBackToThe2DPeerWithoutOpenGL) {
  ASSERT_FALSE(velmora::qtwin::CQtWindowBackend::OpenGLAvailable());
  CTestView gl;
  ASSERT_TRUE(gl.Create(velmora::qtwin::kOpenGLViewClass, L"", WS_CHILD | WS_VISIBLE, RECT{0, 0, 40, 30}, frame, 2));
  EXPECT_FALSE(backend.AttachOpenGLDC(gl.GetSafeHwnd(), nullptr));
  gl.draw = [](CDC& dc, const CRect& rc) { dc.FillSolidRect(rc, RGB(0, 128, 0)); };
  gl.Invalidate();
  Pump();
  QWidget* w = backend.Peer(gl.GetSafeHwnd());
  ASSERT_NE(w, nullptr);
  const QImage img = w->grab().toImage();
  EXPECT_EQ(img.pixel(5, 5) & 0xFFFFFF, 0x008000u);
  gl.DestroyWindow();
}

}  // namespace qtwin_test
