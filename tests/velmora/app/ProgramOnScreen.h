// The whole program on a real display with its view read back from the X server (what the user
// sees, never a fresh render of the widget), and Qt input sent to the view's peer. The parameter
// chooses the OpenGL view (skipped where the display has no OpenGL) or the 2D view.
#pragma once

#include "PumpProgram.h"

#include "platform/vurode/Accessors.h"
#include "platform/vurode/KXGlobal.h"
#include "platform/win/MessageBox.h"
#include "velmora/app/Startup.h"
#include "velmora/shell/DraftonApp.h"
#include "velmora/shell/DraftonDoc.h"
#include "velmora/shell/DraftonView.h"
#include "velmora/dialogs/DlgSplash.h"
#include "velmora/shell/MainFrame.h"

#include <QApplication>
#include <QImage>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPixmap>
#include <QScreen>
#include <QWheelEvent>
#include <QWidget>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

namespace screen_test {

inline int QuietBox(HWND, LPCWSTR, LPCWSTR, UINT) { return IDNO; }

class ProgramOnScreenTest : public ::testing::TestWithParam<bool> {
 protected:
  void SetUp() override {
    static int argc = 1;
    static char arg0[] = "test_velmora_app";
    static char* argv[] = {arg0, nullptr};
    if (!qApp) new QApplication(argc, argv);
    if (GetParam() && !velmora::qtwin::CQtWindowBackend::OpenGLAvailable()) GTEST_SKIP() << "no OpenGL on this display";
    m_dir = std::filesystem::temp_directory_path() / ("velmora-screen-" + std::to_string(::getpid()));
    std::filesystem::create_directories(m_dir / "config");
    ::setenv("XDG_CONFIG_HOME", (m_dir / "config").c_str(), 1);
    gNewKXGlobal();
    gGetKXGlobal()->SetShowTips(FALSE);
    gSetApplicationPath(CString::FromUtf8(m_dir.string()));
    m_prevBox = velmora::win::SetMessageBoxHandler(&QuietBox);
    session = std::make_unique<velmora::app::CProgramSession>(GetParam());
  }
  void TearDown() override {
    StopProgram(app);
    session.reset();
    if (m_prevBox) velmora::win::SetMessageBoxHandler(m_prevBox);
    gRestoreVurodeDefaults();
    std::error_code ec;
    std::filesystem::remove_all(m_dir, ec);
  }

  // Starts the program with the arguments on its command line.
  bool Start(const std::vector<std::string>& args) {
    if (!StartProgram(args, app, frame, view, doc)) return false;
    peer = session->Backend().Peer(view->GetSafeHwnd());
    // The splash window lies over the view until its timer closes it: screens are read after.
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (frame->GetSplash() && frame->GetSplash()->GetSafeHwnd() &&
           std::chrono::steady_clock::now() < until) {
      Pump();
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return peer != nullptr;
  }
  void Pump() { PumpProgram(app.get()); }

  // The view's pixels as the X server holds them.
  QImage Screen() {
    Pump();
    const QPoint at = peer->mapTo(peer->window(), QPoint(0, 0));
    return QGuiApplication::primaryScreen()
        ->grabWindow(peer->window()->winId(), at.x(), at.y(), peer->width(), peer->height())
        .toImage()
        .convertToFormat(QImage::Format_RGB32);
  }
  // Pixels that are not the white paper.
  static int Ink(const QImage& img) {
    int n = 0;
    for (int y = 0; y < img.height(); ++y)
      for (int x = 0; x < img.width(); ++x)
        if ((img.pixel(x, y) & 0xFFFFFF) != 0xFFFFFF) ++n;
    return n;
  }
  static bool Differs(const QImage& a, const QImage& b) { return a.size() != b.size() || a != b; }

  void Key(int qtKey, const QString& text = {}) {
    QKeyEvent press(QEvent::KeyPress, qtKey, Qt::NoModifier, text);
    QCoreApplication::sendEvent(peer, &press);
    QKeyEvent release(QEvent::KeyRelease, qtKey, Qt::NoModifier, text);
    QCoreApplication::sendEvent(peer, &release);
    Pump();
  }
  void Wheel(QPoint at, int delta) {
    QWheelEvent e(QPointF(at), QPointF(peer->mapToGlobal(at)), QPoint(), QPoint(0, delta), Qt::NoButton,
                  Qt::NoModifier, Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(peer, &e);
    Pump();
  }
  void Mouse(QEvent::Type type, QPoint at, Qt::MouseButton button, Qt::MouseButtons held) {
    QMouseEvent e(type, QPointF(at), QPointF(peer->mapToGlobal(at)), button, held, Qt::NoModifier);
    QCoreApplication::sendEvent(peer, &e);
    Pump();
  }
  void Click(QPoint at) {
    Mouse(QEvent::MouseButtonPress, at, Qt::LeftButton, Qt::LeftButton);
    Mouse(QEvent::MouseButtonRelease, at, Qt::LeftButton, Qt::NoButton);
  }

  std::unique_ptr<velmora::app::CProgramSession> session;
  std::unique_ptr<CDraftonApp> app;
  CMainFrame* frame = nullptr;
  CDraftonView* view = nullptr;
  CDraftonDoc* doc = nullptr;
  QWidget* peer = nullptr;
  std::filesystem::path m_dir;

 private:
  MessageBoxHandler m_prevBox = nullptr;
};

}  // namespace screen_test
