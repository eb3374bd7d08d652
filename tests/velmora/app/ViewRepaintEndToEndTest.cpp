// The drawing view on a real display keeps what the screen shows current: the picture is read
// back from the X server (what the user sees), never by asking the widget to render again, and
// nothing covers and uncovers the window between the steps.
#include "PumpProgram.h"

#include "db/DBase.h"
#include "db/DbAccess.h"
#include "db/DbCurve.h"
#include "db/Selector.h"
#include "platform/vurode/Accessors.h"
#include "platform/vurode/KXGlobal.h"
#include "platform/vurode/ViewState.h"
#include "platform/win/MessageBox.h"
#include "velmora/app/Startup.h"
#include "velmora/shell/DraftonApp.h"
#include "velmora/shell/DraftonDoc.h"
#include "velmora/shell/DraftonView.h"
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
#include <thread>
#include <memory>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

int g_argc = 1;
char g_arg0[] = "test_velmora_app";
char* g_argv[] = {g_arg0, nullptr};
int QuietBox(HWND, LPCWSTR, LPCWSTR, UINT) { return IDNO; }

class ViewRepaintTest : public ::testing::TestWithParam<bool> {
 protected:
  void SetUp() override {
    if (!qApp) new QApplication(g_argc, g_argv);
    if (GetParam() && !velmora::qtwin::CQtWindowBackend::OpenGLAvailable()) GTEST_SKIP() << "no OpenGL on this display";
    m_dir = fs::temp_directory_path() / ("velmora-repaint-" + std::to_string(::getpid()));
    fs::create_directories(m_dir / "config");
    ::setenv("XDG_CONFIG_HOME", (m_dir / "config").c_str(), 1);
    gNewKXGlobal();
    gGetKXGlobal()->SetShowTips(FALSE);
    gSetApplicationPath(CString::FromUtf8(m_dir.string()));
    m_prevBox = velmora::win::SetMessageBoxHandler(&QuietBox);
    session = std::make_unique<velmora::app::CProgramSession>(GetParam());
  }
  void TearDown() override {
    if (app) {
      app->CloseAllDocuments(TRUE);
      app->ExitInstance();
      app.reset();
    }
    PumpProgram(nullptr);
    session.reset();
    if (m_prevBox) velmora::win::SetMessageBoxHandler(m_prevBox);
    gRestoreVurodeDefaults();
    std::error_code ec;
    fs::remove_all(m_dir, ec);
  }

  bool Start(const std::vector<std::string>& args) {
    app = std::make_unique<CDraftonApp>();
    std::vector<const char*> argv = {"velmora"};
    for (const auto& a : args) argv.push_back(a.c_str());
    app->SetCommandLine(int(argv.size()), argv.data());
    if (!app->InitInstance()) return false;
    frame = dynamic_cast<CMainFrame*>(app->m_pMainWnd);
    view = frame ? dynamic_cast<CDraftonView*>(frame->GetActiveView()) : nullptr;
    doc = view ? view->GetDocument() : nullptr;
    peer = view ? session->Backend().Peer(view->GetSafeHwnd()) : nullptr;
    Pump();
    return doc && peer;
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
  fs::path m_dir;

 private:
  MessageBoxHandler m_prevBox = nullptr;
};

TEST_P(ViewRepaintTest, DrawingWheelAndFitShowAtOnce) {
  ASSERT_TRUE(Start({VELMORA_SAMPLE}));
  QImage shown = Screen();
  ASSERT_GT(Ink(shown), 50) << "the sample drawing shows after start-up";
  // Each step changes the picture on the screen, and it is never left blank.
  auto step = [&](const char* what, auto&& act) {
    act();
    const QImage now = Screen();
    EXPECT_TRUE(Differs(now, shown)) << what;
    EXPECT_GT(Ink(now), 50) << what;
    shown = now;
  };

  // A line drawn with the line tool (L): a rubber band follows the pointer, then the line stays.
  const int before = gGetDBase()->GetCount();
  Key(Qt::Key_L, QStringLiteral("l"));
  const QPoint a(peer->width() / 8, peer->height() / 8), b(peer->width() / 3, peer->height() / 8 + 3);
  Click(a);
  step("rubber band", [&] { Mouse(QEvent::MouseMove, b, Qt::NoButton, Qt::NoButton); });
  Click(b);
  Key(Qt::Key_Escape);
  shown = Screen();
  EXPECT_EQ(gGetDBase()->GetCount(), before + 1);
  const int y = (a.y() + b.y()) / 2;
  int inkOnLine = 0;
  for (int x = a.x() + 10; x < b.x() - 10; x += 5)
    for (int dy = -2; dy <= 2; ++dy)
      if ((shown.pixel(x, y + dy) & 0xFFFFFF) != 0xFFFFFF) {
        ++inkOnLine;
        break;
      }
  EXPECT_GE(inkOnLine, (b.x() - a.x() - 20) / 5 - 1) << "the new line shows";

  const QPoint mid(peer->width() / 2, peer->height() / 2);
  step("wheel zoom in", [&] { Wheel(mid, 120); });
  step("wheel zoom out", [&] { Wheel(mid, -120); });
  step("wheel zoom out again", [&] { Wheel(mid, -120); });
  // Fit to all (F8) moves the view in animation steps on the frame's timer.
  step("fit to all (F8)", [&] {
    Key(Qt::Key_F8);
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    while (std::chrono::steady_clock::now() < until) {
      Pump();
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
  });
}

// File > New shows the empty drawing at once.
TEST_P(ViewRepaintTest, NewDocumentClearsTheScreen) {
  ASSERT_TRUE(Start({VELMORA_SAMPLE}));
  // The drawing area without the scroll bars.
  const QRect area(0, 0, peer->width() - 24, peer->height() - 24);
  ASSERT_GT(Ink(Screen().copy(area)), 50);
  frame->PostMessage(WM_COMMAND, ID_FILE_NEW, 0);
  Pump();
  EXPECT_EQ(gGetDBase()->GetCount(), 0);
  EXPECT_EQ(Ink(Screen().copy(area)), 0);
}

// Select All marks every entity on the screen in the selection colour; clearing the selection
// (Esc) takes the marks away again.
TEST_P(ViewRepaintTest, SelectionShowsHighlighted) {
  ASSERT_TRUE(Start({VELMORA_SAMPLE}));
  auto marked = [](const QImage& img) {
    int n = 0;
    for (int y = 0; y < img.height(); ++y)
      for (int x = 0; x < img.width(); ++x) n += (img.pixel(x, y) & 0xFFFFFF) == 0x0000FF;
    return n;
  };
  const QRect area(0, 0, peer->width() - 24, peer->height() - 24);  // without the scroll bars
  const QImage plain = Screen().copy(area);
  ASSERT_EQ(marked(plain), 0);
  frame->PostMessage(WM_COMMAND, 32928 /* Select All */, 0);
  Pump();
  ASSERT_EQ(gGetSelector()->GetCount(), gGetDBase()->GetCount());
  EXPECT_GT(marked(Screen().copy(area)), Ink(plain) / 4);
  Key(Qt::Key_Escape);
  EXPECT_TRUE(gGetSelector()->IsEmpty());
  EXPECT_EQ(marked(Screen().copy(area)), 0);
  EXPECT_EQ(Ink(Screen().copy(area)), Ink(plain));
}

INSTANTIATE_TEST_SUITE_P(View, ViewRepaintTest, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool>& i) { return i.param ? "OpenGL" : "TwoD"; });

}  // namespace
