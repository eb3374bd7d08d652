// The whole program on a real display: started as main() starts it, with the full test plug-in
// beside it and the sample drawing on its command line; zoomed by key and by menu command, its view
// read back from the screen, saved under a new name and opened again. Once with the view drawing
// through OpenGL (where the display has it), once with the 2D view.
#include "PumpProgram.h"
#include "TestLog.h"

#include "db/DBase.h"
#include "db/DbAccess.h"
#include "db/DbEntity.h"
#include "platform/vurode/Accessors.h"
#include "platform/vurode/KXGlobal.h"
#include "platform/vurode/ViewState.h"
#include "platform/win/MessageBox.h"
#include "velmora/app/Startup.h"
#include "velmora/shell/DraftonApp.h"
#include "velmora/shell/DraftonDoc.h"
#include "velmora/shell/DraftonView.h"
#include "velmora/shell/MainFrame.h"
#include "velmora/shell/KxTabWnd.h"
#include "db/DbCurve.h"
#include "platform/afx/PaintDC.h"
#include "velmora/shell/Resources.h"

#include "platform/panlet/Progress.h"

#include <QApplication>
#include <QProgressDialog>
#include <QPushButton>
#include <QCoreApplication>
#include <QImage>
#include <QMouseEvent>
#include <QWidget>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <thread>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

int g_argc = 1;
char g_arg0[] = "test_velmora_app";
char* g_argv[] = {g_arg0, nullptr};

std::vector<std::wstring> g_boxes;
int RecordBox(HWND, LPCWSTR text, LPCWSTR, UINT) {
  g_boxes.push_back(text ? text : L"");
  return IDOK;
}

std::string Bytes(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// Log entries without the module's name.
std::vector<std::string> Entries() {
  std::vector<std::string> out;
  for (auto& e : TestLogTake()) out.push_back(e.find(".vpf:") != std::string::npos ? e.substr(e.find(':') + 1) : e);
  return out;
}

bool Has(const std::vector<std::string>& log, const std::string& entry) {
  return std::find(log.begin(), log.end(), entry) != log.end();
}

class ProgramTest : public ::testing::TestWithParam<bool> {
 protected:
  void SetUp() override {
    if (!qApp) new QApplication(g_argc, g_argv);
    m_dir = fs::temp_directory_path() / ("velmora-app-" + std::to_string(::getpid()));
    fs::create_directories(m_dir / "config");
    ::setenv("XDG_CONFIG_HOME", (m_dir / "config").c_str(), 1);
    fs::copy_file(TEST_PLUGIN_FULL, m_dir / "test.vpf", fs::copy_options::overwrite_existing);
    gNewKXGlobal();
    gSetApplicationPath(CString::FromUtf8(m_dir.string()));
    m_prevBox = velmora::win::SetMessageBoxHandler(&RecordBox);
    session = std::make_unique<velmora::app::CProgramSession>(GetParam());
    TestLogTake();
  }
  void TearDown() override {
    StopProgram(app);
    session.reset();
    velmora::win::SetMessageBoxHandler(m_prevBox);
    gRestoreVurodeDefaults();
    std::error_code ec;
    fs::remove_all(m_dir, ec);
  }

  // Starts the program with the arguments on its command line, as the application's entry does
  // before it enters the message loop.
  bool Start(const std::vector<std::string>& args) { return StartProgram(args, app, frame, view, doc); }
  // Hands out Qt's events and every queued message the way the application's loop does.
  void Pump() { PumpProgram(app.get()); }

  // The view as it shows on the screen.
  QImage Grab() {
    QWidget* w = session->Backend().Peer(view->GetSafeHwnd());
    if (!w) return {};
    return w->grab().toImage().convertToFormat(QImage::Format_RGB32);
  }

  std::unique_ptr<velmora::app::CProgramSession> session;
  std::unique_ptr<CDraftonApp> app;
  CMainFrame* frame = nullptr;
  CDraftonView* view = nullptr;
  CDraftonDoc* doc = nullptr;
  fs::path m_dir;

 private:
  MessageBoxHandler m_prevBox = nullptr;
};

TEST_P(ProgramTest, SampleDrawingZoomsShowsOnScreenAndSurvivesSaveAndReopen) {
  ASSERT_TRUE(fs::exists(VELMORA_SAMPLE));
  ASSERT_TRUE(Start({VELMORA_SAMPLE}));
  CDBase* db = gGetDBase();
  ASSERT_NE(db, nullptr);
  ASSERT_GT(db->GetCount(), 0);
  EXPECT_TRUE(g_boxes.empty());
  CVurode* vs = gGetVurode();
  ASSERT_NE(vs, nullptr);
  QWidget* peer = session->Backend().Peer(view->GetSafeHwnd());
  ASSERT_NE(peer, nullptr);
  ASSERT_GT(peer->width(), 100);
  ASSERT_GT(peer->height(), 100);
  // The view draws through OpenGL exactly when asked to and the display can.
  EXPECT_EQ(view->IsDrawingGL(), GetParam() && velmora::qtwin::CQtWindowBackend::OpenGLAvailable());

  // Centre the frame of arcs and lines (x -12..120, y -12..52) and make it a third of the view
  // wide, so that it stays whole whichever way the two zooms go and its lines lie well apart.
  vs->SetOrigin(54.0, 20.0);
  auto span = [&] { return double(std::abs(vs->WorldtoScreen(120.0, 20.0).x - vs->WorldtoScreen(-12.0, 20.0).x)); };
  const double target = peer->width() / 3.0, s0 = vs->GetScale(), span0 = span();
  ASSERT_TRUE(vs->SetScale(2.0 * s0));
  const bool growsWithScale = span() > span0;
  ASSERT_GT(span0, 0.0);
  ASSERT_TRUE(vs->SetScale(growsWithScale ? s0 * target / span0 : s0 * span0 / target));
  EXPECT_NEAR(span(), target, 2.0);
  const double before = vs->GetScale();
  Entries();

  // PageUp at the view: the view zooms itself (it is no accelerator), in single precision.
  ::PostMessageW(view->GetSafeHwnd(), WM_KEYDOWN, 0x21 /* PageUp */, 0);
  Pump();
  EXPECT_NEAR(vs->GetScale(), before * 0.618, 1e-6 * before);
  EXPECT_TRUE(Entries().empty());

  // "Zoom In" (id 32809, the PageUp menu item) as the menu sends it: past the frame's and the
  // view's plug-in maps to the hub's command, which divides the scale by 1.2.
  const double keyed = vs->GetScale();
  frame->PostMessage(WM_COMMAND, ID_VIEW_ZOOM_IN_MENU, 0);
  Pump();
  EXPECT_NEAR(vs->GetScale(), keyed / 1.2, 1e-9 * keyed);
  const std::vector<std::string> log = Entries();
  const std::string id = std::to_string(ID_VIEW_ZOOM_IN_MENU);
  for (const char* entry : {"frame", "view"}) {
    EXPECT_TRUE(Has(log, entry + id + ":pre")) << ::testing::PrintToString(log);
    EXPECT_TRUE(Has(log, entry + id + ":post")) << ::testing::PrintToString(log);
  }

  // The drawing is on the screen: its lines where the view state puts them, background between.
  view->Invalidate();
  Pump();
  const QImage img = Grab();
  ASSERT_EQ(img.width(), peer->width());
  auto colourNear = [&](double x, double y, QRgb want) {
    const CPoint p = vs->WorldtoScreen(x, y);
    for (int dy = -1; dy <= 1; ++dy)
      for (int dx = -1; dx <= 1; ++dx) {
        const int px = p.x + dx, py = p.y + dy;
        if (px >= 0 && py >= 0 && px < img.width() && py < img.height() && (img.pixel(px, py) & 0xFFFFFF) == want)
          return true;
      }
    return false;
  };
  auto colourAt = [&](double x, double y) {
    const CPoint p = vs->WorldtoScreen(x, y);
    return img.pixel(p.x, p.y) & 0xFFFFFF;
  };
  const QRgb ink = 0x000000;  // the sample's entities keep colour 0
  const QRgb paper = colourAt(54.0, 46.0);  // between the letters' tops and the frame's top line
  EXPECT_NE(paper, ink);
  EXPECT_EQ(colourAt(20.0, 48.0), paper);
  EXPECT_EQ(colourAt(-6.0, 20.0), paper);  // between the frame's left line and the "V"
  // The frame's straight sides, at several points along each.
  for (double t : {0.2, 0.5, 0.8}) {
    const double x = -2.0 + t * 112.0, y = -2.0 + t * 44.0;
    EXPECT_TRUE(colourNear(x, -12.0, ink)) << "bottom line at x " << x;
    EXPECT_TRUE(colourNear(x, 52.0, ink)) << "top line at x " << x;
    EXPECT_TRUE(colourNear(-12.0, y, ink)) << "left line at y " << y;
    EXPECT_TRUE(colourNear(120.0, y, ink)) << "right line at y " << y;
  }
  // The "L"'s upright stroke edge (x 40, y 0..40).
  EXPECT_TRUE(colourNear(40.0, 20.0, ink));

  // Save under a new name, open that file again: the drawing reads back to the same bytes.
  const fs::path first = m_dir / "first.vlm", second = m_dir / "second.vlm";
  const int count = db->GetCount();
  ASSERT_TRUE(doc->DoSave(CString::FromUtf8(first.string())));
  EXPECT_EQ(CString(doc->GetPathName()), CString::FromUtf8(first.string()));
  EXPECT_FALSE(doc->IsModified());
  ASSERT_NE(app->OpenDocumentFile(CString::FromUtf8(first.string())), nullptr);
  Pump();
  ASSERT_NE(gGetDBase(), nullptr);
  EXPECT_EQ(gGetDBase()->GetCount(), count);
  ASSERT_TRUE(doc->DoSave(CString::FromUtf8(second.string())));
  const std::string a = Bytes(first), b = Bytes(second);
  EXPECT_FALSE(a.empty());
  EXPECT_EQ(a, b);
  EXPECT_TRUE(g_boxes.empty());
}

// Layers switched from the tab strip under the view by mouse clicks on the screen: the view
// then shows the current layer's drawing and none of the hidden layer's.
TEST_P(ProgramTest, ClickingALayerTabShowsOnlyThatLayersDrawing) {
  ASSERT_TRUE(Start({}));
  CKxTabWnd* tabs = frame->GetKxTabWnd();
  ASSERT_NE(tabs, nullptr);
  CKxWndTab* strip = tabs->GetTabStrip();
  ASSERT_NE(strip, nullptr);
  // What the layer command does when a document's layers are built.
  tabs->ResetLayers();
  QWidget* stripPeer = session->Backend().Peer(strip->GetSafeHwnd());
  ASSERT_NE(stripPeer, nullptr);
  ASSERT_GT(stripPeer->width(), 300);
  auto click = [&](QPoint at) {
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(at), QPointF(stripPeer->mapToGlobal(at)), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(stripPeer, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, QPointF(at), QPointF(stripPeer->mapToGlobal(at)), Qt::LeftButton,
                        Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(stripPeer, &release);
    Pump();
  };
  // "New Layer": a second layer, made current.
  const CRect newButton = CKxWndTab::ButtonRect(CKxWndTab::kNewLayer);
  click(QPoint(newButton.CenterPoint().x, newButton.CenterPoint().y));
  ASSERT_EQ(tabs->GetLayerCount(), 2);
  ASSERT_EQ(tabs->GetCurLayerIndex(), 1);

  // One long horizontal line on each layer, far apart.
  CDBase* db = gGetDBase();
  auto line = [&](double y, int layer) {
    const double a[2] = {-40.0, y}, b[2] = {40.0, y};
    CDbCurve* c = dbGenLine(a, b);
    c->SetLayerID(db->GetLayerIDByIndex(layer));
    db->AddTail(c);
  };
  line(-10.0, 0);
  line(10.0, 1);
  CVurode* vs = gGetVurode();
  ASSERT_NE(vs, nullptr);
  vs->SetOrigin(0.0, 0.0);
  // Ten world units of separation take well over ten pixels.
  const double s0 = vs->GetScale();
  for (int i = 0; i < 40 && std::abs(vs->WorldtoScreen(0.0, 10.0).y - vs->WorldtoScreen(0.0, -10.0).y) < 60; ++i)
    vs->SetScale(vs->GetScale() * 1.5);
  if (std::abs(vs->WorldtoScreen(0.0, 10.0).y - vs->WorldtoScreen(0.0, -10.0).y) < 60) vs->SetScale(s0);
  for (int i = 0; i < 40 && std::abs(vs->WorldtoScreen(0.0, 10.0).y - vs->WorldtoScreen(0.0, -10.0).y) < 60; ++i)
    vs->SetScale(vs->GetScale() / 1.5);
  ASSERT_GE(std::abs(vs->WorldtoScreen(0.0, 10.0).y - vs->WorldtoScreen(0.0, -10.0).y), 60);

  // Whether some pixel near the middle of the line at y differs from the paper colour.
  auto inked = [&](double y) {
    const QImage img = Grab();
    const CPoint mid = vs->WorldtoScreen(0.0, 0.0);
    const QRgb paper = img.pixel(std::clamp(int(mid.x), 0, img.width() - 1), std::clamp(int(mid.y), 0, img.height() - 1));
    for (double x : {-20.0, 0.0, 20.0}) {
      const CPoint p = vs->WorldtoScreen(x, y);
      for (int dy = -1; dy <= 1; ++dy) {
        const int px = p.x, py = p.y + dy;
        if (px >= 0 && py >= 0 && px < img.width() && py < img.height() && img.pixel(px, py) != paper) return true;
      }
    }
    return false;
  };
  view->Invalidate();
  Pump();
  EXPECT_TRUE(inked(10.0)) << "the current layer is shown";
  EXPECT_FALSE(inked(-10.0)) << "the other layer is hidden";

  // A click on the first tab makes its layer current: the view swaps what it shows.
  CClientDC dc(strip);
  strip->MeasureTabs(&dc);
  const int e = (strip->GetLayoutHeight() - 1) / 2;
  click(QPoint(strip->TabStart(0) + e + 3, strip->GetLayoutHeight() / 2));
  EXPECT_EQ(tabs->GetCurLayerIndex(), 0);
  EXPECT_TRUE(inked(-10.0));
  EXPECT_FALSE(inked(10.0));
  click(QPoint(strip->TabStart(1) + e + 3, strip->GetLayoutHeight() / 2));
  EXPECT_EQ(tabs->GetCurLayerIndex(), 1);
  EXPECT_TRUE(inked(10.0));
  EXPECT_FALSE(inked(-10.0));
}

// Long work on a thread of its own reports its advance; the frame shows it as a progress bar, and
// the bar's Cancel button stops the work at its next poll.
using ProgressTest = ProgramTest;
TEST_P(ProgressTest, LongWorkShowsAProgressBarAndCancelStopsIt) {
  ASSERT_TRUE(Start({VELMORA_SAMPLE}));
  QProgressDialog* bar = session->Progress().Dialog();
  ASSERT_NE(bar, nullptr);
  EXPECT_FALSE(bar->isVisible());
  constexpr int kSteps = 100, kBeforeCancel = 30;
  std::atomic<int> allowed{0}, done{0};
  std::atomic<bool> cancelled{false};
  std::thread worker([&] {
    gShowThreadProg(L"Offsetting", 0);
    {
      CQProgress progress;
      const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(20);
      for (int i = 0; i < kSteps && std::chrono::steady_clock::now() < giveUp; ++i) {
        // Each step waits for the test's go (or a cancel), so the bar is read at a known place.
        while (allowed.load() <= i && !gIsProgressCancel() && std::chrono::steady_clock::now() < giveUp)
          std::this_thread::sleep_for(std::chrono::milliseconds(1));
        if (gIsProgressCancel()) {
          cancelled = true;
          break;
        }
        progress.SetRange(1.0 / kSteps);
        done = i + 1;
      }
    }
    gHideThreadProg();
  });
  auto waitFor = [](auto cond) {
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!cond() && std::chrono::steady_clock::now() < until) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    return cond();
  };
  allowed = kBeforeCancel;
  EXPECT_TRUE(waitFor([&] { return done.load() == kBeforeCancel; }));
  // The frame's progress tick shows the record on the bar.
  frame->SendMessage(WM_TIMER, CMainFrame::kProgressTimer, 0);
  Pump();
  EXPECT_TRUE(frame->IsProgressShown());
  EXPECT_TRUE(bar->isVisible());
  EXPECT_EQ(bar->labelText(), QStringLiteral("Offsetting"));
  EXPECT_EQ(bar->value(), kBeforeCancel * velmora::qtwin::CQtProgressSink::kSteps / kSteps);

  QPushButton* cancel = bar->findChild<QPushButton*>();
  ASSERT_NE(cancel, nullptr);
  EXPECT_EQ(cancel->text(), QStringLiteral("Cancel"));
  cancel->click();
  worker.join();
  EXPECT_TRUE(cancelled.load());
  EXPECT_EQ(done.load(), kBeforeCancel);  // no step after the cancel
  frame->SendMessage(WM_TIMER, CMainFrame::kProgressTimer, 0);
  Pump();
  EXPECT_FALSE(frame->IsProgressShown());
  EXPECT_FALSE(bar->isVisible());
}

INSTANTIATE_TEST_SUITE_P(TwoDView, ProgressTest, ::testing::Values(false));

INSTANTIATE_TEST_SUITE_P(View, ProgramTest, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool>& i) { return i.param ? "OpenGL" : "TwoD"; });

}  // namespace
