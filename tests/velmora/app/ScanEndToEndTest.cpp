// Scanning in the running program through our source manager over SANE's "test" backend (two
// devices, a colour pattern): the source list offers both devices, the chosen one is used, a
// cancelled choice keeps it, the scan shows its progress and the picture shows in the view, and
// the frame's bars stay where they were.
#include "ProgramOnScreen.h"

#include "db/DBase.h"
#include "db/DbImage.h"
#include "velmora/pictures/KxScan.h"
#include "velmora/shell/KxTabWnd.h"
#include "velmora/shell/Resources.h"

#include <QDialog>
#include <QListWidget>
#include <QProgressDialog>
#include <QTimer>

#include <fstream>
#include <functional>

#ifdef VELMORA_SANE_DSM

namespace screen_test {
namespace {

// SANE reads its configuration folder once per process: set before any program starts.
class SaneTestBackend : public ::testing::Environment {
 public:
  void SetUp() override {
    std::filesystem::create_directories(Dir());
    std::ofstream(Dir() / "dll.conf") << "test\n";
    std::ofstream(Dir() / "test.conf") << "number_of_devices 2\nmode Color\ndepth 8\nresolution 50\n"
                                          "test-picture \"Color pattern\"\n";
    ::setenv("SANE_CONFIG_DIR", Dir().c_str(), 1);
  }
  void TearDown() override {
    std::error_code ec;
    std::filesystem::remove_all(Dir(), ec);
  }
  static std::filesystem::path Dir() {
    return std::filesystem::temp_directory_path() / ("velmora-sane-app-" + std::to_string(::getpid()));
  }
};
[[maybe_unused]] ::testing::Environment* const g_sane = ::testing::AddGlobalTestEnvironment(new SaneTestBackend);

using ScanTest = ProgramOnScreenTest;

// Runs `act` while `watch` looks at Qt's windows every few milliseconds (the manager's windows
// run Qt's event loop, so the watch sees them while they are up).
template <class Act, class Watch>
void WhileWatching(Act act, Watch watch) {
  QTimer timer;
  timer.setInterval(2);
  QObject::connect(&timer, &QTimer::timeout, watch);
  timer.start();
  act();
  timer.stop();
}

// Calls `seen` with every progress window the moment it is shown: a short scan on a busy
// machine may be over before a timer's turn comes.
class ProgressShowWatch : public QObject {
 public:
  explicit ProgressShowWatch(std::function<void(QProgressDialog*)> seen) : m_seen(std::move(seen)) {
    qApp->installEventFilter(this);
  }
  ~ProgressShowWatch() override { qApp->removeEventFilter(this); }
  bool eventFilter(QObject* o, QEvent* e) override {
    if (e->type() == QEvent::Show)
      if (auto* p = qobject_cast<QProgressDialog*>(o)) m_seen(p);
    return false;
  }

 private:
  std::function<void(QProgressDialog*)> m_seen;
};

TEST_P(ScanTest, ChosenSourceScansWithProgressIntoTheView) {
  ASSERT_TRUE(Start({VELMORA_SAMPLE}));
  ASSERT_TRUE(view->IsLoaded());
  // The source list: both devices, the second chosen.
  QStringList offered;
  auto choose = [&](int row) {
    return [&offered, row] {
      auto* dlg = qobject_cast<QDialog*>(QApplication::activeModalWidget());
      auto* list = dlg ? dlg->findChild<QListWidget*>() : nullptr;
      if (!list || dlg->objectName() != QStringLiteral("SelectSource")) return;
      offered.clear();
      for (int i = 0; i < list->count(); ++i) offered << list->item(i)->text();
      if (row < 0) {
        dlg->reject();
      } else {
        list->setCurrentRow(row);
        dlg->accept();
      }
    };
  };
  WhileWatching([&] { frame->SendMessage(WM_COMMAND, ID_SCAN_SELECT, 0); }, choose(1));
  ASSERT_EQ(offered.size(), 2);
  EXPECT_TRUE(offered[0].startsWith(QStringLiteral("test:0")));
  EXPECT_TRUE(offered[1].startsWith(QStringLiteral("test:1")));
  EXPECT_STREQ(view->GetSourceIdentity().ProductName, "test:1");
  // Cancelling the list keeps that source.
  offered.clear();
  WhileWatching([&] { frame->SendMessage(WM_COMMAND, ID_SCAN_SELECT, 0); }, choose(-1));
  EXPECT_EQ(offered.size(), 2);
  EXPECT_TRUE(view->SourceSelected());
  EXPECT_STREQ(view->GetSourceIdentity().ProductName, "test:1");

  // The scan: a progress window while the frame is read, then one picture in the drawing.
  CWnd* status = frame->GetDlgItem(AFX_IDW_STATUS_BAR);
  ASSERT_NE(status, nullptr);
  ASSERT_TRUE(status->IsWindowVisible());
  ASSERT_TRUE(frame->GetKxTabWnd() && frame->GetKxTabWnd()->IsWindowVisible());
  const int before = gGetDBase()->GetCount();
  QString progressText;
  int progressMax = -1;
  {
    ProgressShowWatch watch([&](QProgressDialog* p) {
      progressText = p->labelText();
      progressMax = p->maximum();
    });
    frame->SendMessage(WM_COMMAND, ID_SCAN_ACQUIRE, 0);
    Pump();
  }
  EXPECT_TRUE(progressText.contains(QStringLiteral("test:1"))) << progressText.toStdString();
  EXPECT_GT(progressMax, 0);
  for (QWidget* w : QApplication::topLevelWidgets())
    EXPECT_FALSE(qobject_cast<QProgressDialog*>(w) && w->isVisible()) << "the progress window is gone";
  ASSERT_EQ(gGetDBase()->GetCount(), before + 1);
  auto* image = dynamic_cast<CDbImage*>(gGetDBase()->GetEntityList().GetTail());
  ASSERT_NE(image, nullptr);

  // The picture's colours on the screen, over its rectangle.
  _tagBox2D box{};
  image->GetBox(&box);
  ASSERT_TRUE(view->SetViewRange2D(box));
  const QImage shown = Screen();
  int coloured = 0;
  for (int y = 0; y < shown.height(); ++y)
    for (int x = 0; x < shown.width(); ++x) {
      const QRgb p = shown.pixel(x, y);
      coloured += qRed(p) != qGreen(p) || qGreen(p) != qBlue(p);
    }
  EXPECT_GT(coloured, shown.width() * shown.height() / 4);
  // The frame's bars are still there.
  EXPECT_TRUE(status->IsWindowVisible());
  EXPECT_TRUE(frame->GetKxTabWnd()->IsWindowVisible());
  QWidget* statusPeer = session->Backend().Peer(status->GetSafeHwnd());
  EXPECT_TRUE(statusPeer && statusPeer->isVisible());
}

INSTANTIATE_TEST_SUITE_P(View, ScanTest, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool>& i) { return i.param ? "OpenGL" : "TwoD"; });

}  // namespace
}  // namespace screen_test

#endif  // VELMORA_SANE_DSM
