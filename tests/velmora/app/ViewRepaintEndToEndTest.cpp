// The drawing view on a real display keeps what the screen shows current: nothing covers and
// uncovers the window between the steps.
#include "ProgramOnScreen.h"

#include "db/DBase.h"
#include "db/DbAccess.h"
#include "db/Selector.h"
#include "velmora/ordvale/Command.h"
#include "velmora/ordvale/Ordvale.h"

#include <QDropEvent>
#include <QMimeData>
#include <QUrl>

#include <chrono>
#include <thread>

namespace screen_test {
namespace {

using ViewRepaintTest = ProgramOnScreenTest;

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

// A drawing file dragged from a file manager and dropped on the window opens, and the view shows
// it; a drop of something that is no local file is refused.
TEST_P(ViewRepaintTest, DroppedFileOpens) {
  ASSERT_TRUE(Start({}));
  const QRect area(0, 0, peer->width() - 24, peer->height() - 24);  // without the scroll bars
  ASSERT_EQ(Ink(Screen().copy(area)), 0);
  QWidget* top = peer->window();
  ASSERT_TRUE(top->acceptDrops());
  auto drop = [&](const QList<QUrl>& urls) {
    QMimeData mime;
    mime.setUrls(urls);
    const QPointF at(top->width() / 2.0, top->height() / 2.0);
    QDragEnterEvent enter(at.toPoint(), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(top, &enter);
    const bool accepted = enter.isAccepted();
    QDropEvent dropped(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(top, &dropped);
    Pump();
    return accepted;
  };
  EXPECT_FALSE(drop({QUrl(QStringLiteral("https://example.org/a.vlm"))}));
  EXPECT_EQ(gGetDBase()->GetCount(), 0);
  EXPECT_TRUE(drop({QUrl::fromLocalFile(QString::fromUtf8(VELMORA_SAMPLE))}));
  EXPECT_GT(gGetDBase()->GetCount(), 0);
  EXPECT_EQ(CString(doc->GetPathName()), CString::FromUtf8(VELMORA_SAMPLE));
  EXPECT_GT(Ink(Screen().copy(area)), 50);
}

// Keys typed right after start-up, before any click, go where Qt sends them (the focus widget)
// and reach the view: a shortcut letter starts its command.
TEST_P(ViewRepaintTest, TypingAfterStartReachesTheView) {
  ASSERT_TRUE(Start({VELMORA_SAMPLE}));
  // The display activates the window when it gets to it.
  peer->window()->activateWindow();
  const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  while (!QApplication::focusWidget() && std::chrono::steady_clock::now() < until) {
    Pump();
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  QWidget* focus = QApplication::focusWidget();
  ASSERT_NE(focus, nullptr);
  QKeyEvent press(QEvent::KeyPress, Qt::Key_L, Qt::NoModifier, QStringLiteral("l"));
  QCoreApplication::sendEvent(focus, &press);
  Pump();
  COrdvale* hub = gGetOrdvale();
  ASSERT_NE(hub, nullptr);
  ASSERT_NE(hub->GetCurCmd(), nullptr);
  EXPECT_EQ(hub->GetCurCmd()->GetID(), 32774u);  // Line
}

INSTANTIATE_TEST_SUITE_P(View, ViewRepaintTest, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool>& i) { return i.param ? "OpenGL" : "TwoD"; });

}  // namespace
}  // namespace screen_test
