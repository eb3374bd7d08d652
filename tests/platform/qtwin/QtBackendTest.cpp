#include "QtFixture.h"

#include "platform/win/Clipboard.h"
#include "platform/win/GlobalMem.h"
#include "platform/win/MessageBox.h"

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QScrollBar>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QTimer>

#include <cstring>
#include <functional>

using velmora::qtwin::CQtWindowBackend;

namespace qtwin_test {
namespace {

QImage Grab(QWidget* w) { return w->grab().toImage().convertToFormat(QImage::Format_RGB32); }

QRgb At(const QImage& img, int x, int y) { return img.pixel(x, y) & 0xFFFFFF; }

QMenu* ViewMenu(QWidget* frameWidget) {
  auto* mw = qobject_cast<QMainWindow*>(frameWidget);
  if (!mw || !mw->menuBar()) return nullptr;
  for (QAction* a : mw->menuBar()->actions())
    if (a->menu() && a->text() == "&View") return a->menu();
  return nullptr;
}

QAction* ItemOf(QMenu* menu, UINT id) {
  for (QAction* a : menu->actions())
    if (!a->isSeparator() && a->data().toUInt() == id) return a;
  return nullptr;
}

void SendKey(QWidget* w, int key, Qt::KeyboardModifiers mods, const QString& text = {}) {
  QKeyEvent press(QEvent::KeyPress, key, mods, text);
  QCoreApplication::sendEvent(w, &press);
  QKeyEvent release(QEvent::KeyRelease, key, mods, text);
  QCoreApplication::sendEvent(w, &release);
}

// The drawing every paint test starts from: white ground, a blue box outlined in red, a green
// vertical line and black text.
void Drawing(CDC& dc, const CRect& rc) {
  dc.FillSolidRect(rc, RGB(255, 255, 255));
  CPen red(PS_SOLID, 1, RGB(255, 0, 0));
  CBrush blue(RGB(0, 0, 255));
  CPen* oldPen = dc.SelectObject(&red);
  CBrush* oldBrush = dc.SelectObject(&blue);
  dc.Rectangle(10, 10, 50, 40);
  CPen green(PS_SOLID, 1, RGB(0, 255, 0));
  dc.SelectObject(&green);
  dc.MoveTo(60, 10);
  dc.LineTo(60, 50);
  dc.SetBkMode(TRANSPARENT);
  dc.SetTextColor(RGB(0, 0, 0));
  dc.TextOut(70, 60, L"Velmora");
  dc.SelectObject(oldPen);
  dc.SelectObject(oldBrush);
}

}  // namespace

TEST_F(QtWinTest, FrameIsAMainWindowAndTheViewSitsInItsClientArea) {
  auto* mw = qobject_cast<QMainWindow*>(backend.Peer(frame->GetSafeHwnd()));
  ASSERT_NE(mw, nullptr);
  ASSERT_NE(mw->centralWidget(), nullptr);
  EXPECT_EQ(backend.Peer(view.GetSafeHwnd())->parentWidget(), mw->centralWidget());
  EXPECT_EQ(mw->windowTitle(), "Qt Test");
  // The model's client area of the view is the widget's real size.
  QWidget* w = backend.Peer(view.GetSafeHwnd());
  CRect rc;
  view.GetClientRect(&rc);
  EXPECT_EQ(rc.Width(), w->width());
  EXPECT_EQ(rc.Height(), w->height());
}

TEST_F(QtWinTest, PaintingThroughTheDeviceContextGivesTheExpectedPixels) {
  view.draw = Drawing;
  view.Invalidate();
  Pump();
  QWidget* w = backend.Peer(view.GetSafeHwnd());
  ASSERT_GE(w->width(), 150);
  ASSERT_GE(w->height(), 90);
  const QImage img = Grab(w);
  ASSERT_GT(view.paints, 0);
  // Rectangle: outline on its first and last included pixels, fill inside, nothing beyond.
  EXPECT_EQ(At(img, 10, 10), 0xFF0000u);
  EXPECT_EQ(At(img, 49, 39), 0xFF0000u);
  EXPECT_EQ(At(img, 30, 10), 0xFF0000u);
  EXPECT_EQ(At(img, 30, 25), 0x0000FFu);
  EXPECT_EQ(At(img, 50, 40), 0xFFFFFFu);
  EXPECT_EQ(At(img, 9, 9), 0xFFFFFFu);
  EXPECT_EQ(At(img, 60, 10), 0x00FF00u);
  EXPECT_EQ(At(img, 60, 30), 0x00FF00u);
  EXPECT_EQ(At(img, 61, 30), 0xFFFFFFu);
  // The text lands below and right of its corner, and only there.
  int inked = 0, stray = 0;
  for (int y = 0; y < img.height(); ++y)
    for (int x = 62; x < img.width(); ++x) {
      const bool dark = qGray(img.pixel(x, y)) < 128;
      if (!dark) continue;
      (x >= 70 && y >= 60 && y < 60 + 40 ? inked : stray)++;
    }
  EXPECT_GT(inked, 10);
  EXPECT_EQ(stray, 0);
}

TEST_F(QtWinTest, XorRubberBandDrawnTwiceLeavesThePicture) {
  view.draw = Drawing;
  view.Invalidate();
  Pump();
  QWidget* w = backend.Peer(view.GetSafeHwnd());
  const QImage before = Grab(w);
  {
    CClientDC dc(&view);
    dc.SetROP2(R2_NOTXORPEN);
    CPen pen(PS_SOLID, 1, RGB(0, 0, 0));
    dc.SelectObject(&pen);
    dc.MoveTo(0, 0);
    dc.LineTo(100, 80);
    // Once drawn, the band shows over the box and the ground alike.
    QCoreApplication::processEvents();
  }
  const QImage banded = Grab(w);
  EXPECT_NE(banded, before);
  {
    CClientDC dc(&view);
    dc.SetROP2(R2_NOTXORPEN);
    CPen pen(PS_SOLID, 1, RGB(0, 0, 0));
    dc.SelectObject(&pen);
    dc.MoveTo(0, 0);
    dc.LineTo(100, 80);
  }
  EXPECT_EQ(Grab(w), before);
}

TEST_F(QtWinTest, AcceleratorsReachCommandsThroughOurTables) {
  QWidget* w = backend.Peer(view.GetSafeHwnd());
  SendKey(w, Qt::Key_Z, Qt::ControlModifier);
  Pump();
  EXPECT_EQ(frame->zooms, 1);
  SendKey(w, Qt::Key_PageDown, Qt::NoModifier);
  Pump();
  EXPECT_EQ(frame->pans, 1);
  // The same key without its modifier, or with another, is no accelerator.
  SendKey(w, Qt::Key_Z, Qt::NoModifier, "z");
  SendKey(w, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
  Pump();
  EXPECT_EQ(frame->zooms, 1);
  // Keys reaching the frame itself go through the same table.
  SendKey(backend.Peer(frame->GetSafeHwnd()), Qt::Key_Z, Qt::ControlModifier);
  Pump();
  EXPECT_EQ(frame->zooms, 2);
}

TEST_F(QtWinTest, MouseWheelAndTypingArriveAsWindowMessages) {
  QWidget* w = backend.Peer(view.GetSafeHwnd());
  QMouseEvent press(QEvent::MouseButtonPress, QPointF(12, 34), w->mapToGlobal(QPointF(12, 34)), Qt::LeftButton,
                    Qt::LeftButton, Qt::ShiftModifier);
  QCoreApplication::sendEvent(w, &press);
  QWheelEvent wheel(QPointF(5, 5), w->mapToGlobal(QPointF(5, 5)), QPoint(), QPoint(0, -120), Qt::NoButton,
                    Qt::NoModifier, Qt::NoScrollPhase, false);
  QCoreApplication::sendEvent(w, &wheel);
  SendKey(w, Qt::Key_A, Qt::NoModifier, "a");
  Pump();
  // MK_LBUTTON | MK_SHIFT; the click also gave the window the focus.
  EXPECT_EQ(view.input, (std::vector<std::string>{"down 12,34 flags 5", "wheel -120", "char a"}));
  EXPECT_EQ(::GetFocus(), view.GetSafeHwnd());
}

TEST_F(QtWinTest, ScrollBarsShowTheModelAndPostTheUsersRequests) {
  const HWND h = view.GetSafeHwnd();
  EXPECT_EQ(backend.ScrollBarPeer(h, SB_HORZ), nullptr);  // none until the model shows one
  SCROLLINFO si{sizeof(SCROLLINFO), SIF_RANGE | SIF_POS, -20, 80, 0, 30, 0};
  view.SetScrollInfo(SB_HORZ, &si, FALSE);
  view.ShowScrollBar(SB_HORZ, TRUE);
  QScrollBar* bar = backend.ScrollBarPeer(h, SB_HORZ);
  ASSERT_NE(bar, nullptr);
  EXPECT_EQ(backend.ScrollBarPeer(h, SB_VERT), nullptr);
  EXPECT_FALSE(bar->isHidden());
  EXPECT_EQ(bar->orientation(), Qt::Horizontal);
  EXPECT_EQ(bar->minimum(), -20);
  EXPECT_EQ(bar->maximum(), 80);
  EXPECT_EQ(bar->value(), 30);
  // Along the window's bottom edge.
  QWidget* w = backend.Peer(h);
  EXPECT_EQ(bar->geometry().bottom(), w->height() - 1);
  EXPECT_EQ(bar->width(), w->width());

  // The user's clicks become the window's requests; the window (which moves nothing here) keeps
  // the bar where the model has it.
  view.input.clear();
  bar->triggerAction(QAbstractSlider::SliderSingleStepAdd);
  bar->triggerAction(QAbstractSlider::SliderPageStepSub);
  bar->triggerAction(QAbstractSlider::SliderToMinimum);
  Pump();
  ASSERT_EQ(view.input.size(), 3u);
  EXPECT_EQ(view.input[0].rfind("hscroll 1 ", 0), 0u);
  EXPECT_EQ(view.input[1].rfind("hscroll 2 ", 0), 0u);
  EXPECT_EQ(view.input[2].rfind("hscroll 6 ", 0), 0u);
  EXPECT_EQ(bar->value(), 30);
  // A position the model sets shows; hiding hides.
  ::SetScrollPos(h, SB_HORZ, 55, TRUE);
  EXPECT_EQ(bar->value(), 55);
  view.ShowScrollBar(SB_HORZ, FALSE);
  EXPECT_TRUE(bar->isHidden());
}

TEST_F(QtWinTest, CursorShowsOnTheWindows) {
  ::SetCursor(::LoadCursorW(nullptr, IDC_WAIT_ID));
  EXPECT_EQ(backend.Peer(frame->GetSafeHwnd())->cursor().shape(), Qt::WaitCursor);
  ::SetCursor(::LoadCursorW(nullptr, IDC_ARROW_ID));
  EXPECT_EQ(backend.Peer(frame->GetSafeHwnd())->cursor().shape(), Qt::ArrowCursor);
}

TEST_F(QtWinTest, MenuStatesFollowCommandUiWhenTheMenuOpens) {
  QMenu* menu = ViewMenu(backend.Peer(frame->GetSafeHwnd()));
  ASSERT_NE(menu, nullptr);
  struct Case {
    BOOL zoomEnabled;
    int gridCheck;
  };
  for (const Case c : {Case{TRUE, 0}, Case{FALSE, 1}, Case{TRUE, 1}, Case{FALSE, 0}}) {
    frame->zoomEnabled = c.zoomEnabled;
    frame->gridCheck = c.gridCheck;
    Q_EMIT menu->aboutToShow();
    QAction* zoom = ItemOf(menu, kZoomCmd);
    QAction* grid = ItemOf(menu, kGridCmd);
    ASSERT_NE(zoom, nullptr);
    ASSERT_NE(grid, nullptr);
    EXPECT_EQ(zoom->isEnabled(), bool(c.zoomEnabled));
    EXPECT_EQ(grid->isChecked(), c.gridCheck == 1);
    EXPECT_EQ(zoom->text(), "&Zoom in\tCtrl+Z");
  }
  // An item with a handler and no update handler is enabled; choosing it runs the command.
  QAction* pan = ItemOf(menu, kPanCmd);
  ASSERT_NE(pan, nullptr);
  EXPECT_TRUE(pan->isEnabled());
  pan->trigger();
  Pump();
  EXPECT_EQ(frame->pans, 1);
  // Rebuilding does not pile items or sub-menus up; an item nobody handles is disabled.
  Q_EMIT menu->aboutToShow();
  EXPECT_EQ(menu->actions().size(), 5);
  const QList<QMenu*> subs = menu->findChildren<QMenu*>(Qt::FindDirectChildrenOnly);
  ASSERT_EQ(subs.size(), 1);
  Q_EMIT subs[0]->aboutToShow();
  ASSERT_EQ(subs[0]->actions().size(), 1);
  EXPECT_FALSE(subs[0]->actions()[0]->isEnabled());
}

// A popup's menu state holds its item count in the high byte; whatever that count looks like, the
// Qt bar shows the popup with all its items (separators, commands and a nested popup).
TEST_F(QtWinTest, MenuBarShowsPopupsOfEverySize) {
  constexpr int kLargest = 40;
  CMenu bar;
  ASSERT_TRUE(bar.CreateMenu());
  for (int n = 0; n <= kLargest; ++n) {
    HMENU popup = ::CreatePopupMenu();
    for (int i = 0; i < n; ++i) {
      if (i % 7 == 3) {
        ::AppendMenuW(popup, MF_SEPARATOR, 0, nullptr);
      } else if (i == 5) {
        HMENU nested = ::CreatePopupMenu();
        for (int k = 0; k < n; ++k) ::AppendMenuW(nested, MF_STRING, 40000 + k, L"nested");
        ::AppendMenuW(popup, MF_POPUP, reinterpret_cast<UINT_PTR>(nested), L"Nested");
      } else {
        ::AppendMenuW(popup, MF_STRING, 30000 + 100 * n + i, (L"Item " + std::to_wstring(i)).c_str());
      }
    }
    ::AppendMenuW(bar.GetSafeHmenu(), MF_POPUP, reinterpret_cast<UINT_PTR>(popup), (L"M" + std::to_wstring(n)).c_str());
  }
  const HMENU own = frame->GetMenu()->GetSafeHmenu();
  ASSERT_TRUE(frame->SetMenu(&bar));
  backend.RebuildMenuBar(frame->GetSafeHwnd());
  auto* mw = qobject_cast<QMainWindow*>(backend.Peer(frame->GetSafeHwnd()));
  ASSERT_NE(mw, nullptr);
  const QList<QAction*> tops = mw->menuBar()->actions();
  ASSERT_EQ(tops.size(), kLargest + 1);
  for (int n = 0; n <= kLargest; ++n) {
    SCOPED_TRACE(n);
    QMenu* menu = tops[n]->menu();
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(tops[n]->text(), QString("M%1").arg(n));
    const QList<QAction*> items = menu->actions();
    ASSERT_EQ(items.size(), n);
    for (int i = 0; i < n; ++i) {
      if (i % 7 == 3) {
        EXPECT_TRUE(items[i]->isSeparator()) << i;
      } else if (i == 5) {
        ASSERT_NE(items[i]->menu(), nullptr);
        EXPECT_EQ(items[i]->menu()->actions().size(), n);
      } else {
        EXPECT_FALSE(items[i]->isSeparator()) << i;
        EXPECT_EQ(items[i]->data().toUInt(), UINT(30000 + 100 * n + i));
      }
    }
  }
  frame->SetMenu(CMenu::FromHandle(own));
  backend.RebuildMenuBar(frame->GetSafeHwnd());
  bar.DestroyMenu();
}

TEST_F(QtWinTest, TimersFireInTheMessageLoop) {
  ASSERT_NE(view.SetTimer(7, 20, nullptr), 0u);
  QElapsedTimer clock;
  clock.start();
  while (view.timerTicks < 3 && clock.elapsed() < 5000) app->PumpMessage();
  EXPECT_GE(view.timerTicks, 3);
  EXPECT_GE(clock.elapsed(), 40);
  view.KillTimer(7);
}

TEST_F(QtWinTest, RunEndsOnQuitAndUpdatesTheMenuWhenIdle) {
  frame->zoomEnabled = FALSE;
  QTimer::singleShot(50, [] { ::PostQuitMessage(3); });
  EXPECT_EQ(app->Run(), 3);
  HMENU menu = frame->GetMenu()->GetSafeHmenu();
  EXPECT_TRUE(::GetMenuState(menu, kZoomCmd, MF_BYCOMMAND) & MF_GRAYED);
}

TEST_F(QtWinTest, ClipboardCarriesDrawingsUnderTheirOwnTypeOnly) {
  const UINT fmt = ::RegisterClipboardFormatW(L"Velmora Drawing");
  const unsigned char bytes[] = {0, 1, 2, 0xFF, 'V', 'L', 'M', 0, 9};
  ASSERT_TRUE(::OpenClipboard(view.GetSafeHwnd()));
  ASSERT_TRUE(::EmptyClipboard());
  HGLOBAL mem = ::GlobalAlloc(GMEM_MOVEABLE, sizeof bytes);
  std::memcpy(::GlobalLock(mem), bytes, sizeof bytes);
  ::GlobalUnlock(mem);
  ASSERT_NE(::SetClipboardData(fmt, mem), nullptr);
  ASSERT_TRUE(::CloseClipboard());

  const QMimeData* mime = QGuiApplication::clipboard()->mimeData();
  ASSERT_NE(mime, nullptr);
  EXPECT_TRUE(mime->hasFormat("application/x-velmora-velmora-drawing"));
  EXPECT_FALSE(mime->hasText());
  EXPECT_EQ(mime->data("application/x-velmora-velmora-drawing"), QByteArray(reinterpret_cast<const char*>(bytes), sizeof bytes));

  ASSERT_TRUE(::OpenClipboard(view.GetSafeHwnd()));
  EXPECT_TRUE(::IsClipboardFormatAvailable(fmt));
  EXPECT_FALSE(::IsClipboardFormatAvailable(CF_UNICODETEXT));
  HANDLE got = ::GetClipboardData(fmt);
  ASSERT_NE(got, nullptr);
  ASSERT_EQ(::GlobalSize(got), sizeof bytes);
  EXPECT_EQ(std::memcmp(::GlobalLock(got), bytes, sizeof bytes), 0);
  ::GlobalUnlock(got);
  ::CloseClipboard();

  // A second format joins the first instead of replacing it.
  ASSERT_TRUE(::OpenClipboard(view.GetSafeHwnd()));
  HGLOBAL textMem = ::GlobalAlloc(GMEM_MOVEABLE, 3 * sizeof(wchar_t));
  std::memcpy(::GlobalLock(textMem), L"ab", 3 * sizeof(wchar_t));
  ::GlobalUnlock(textMem);
  ASSERT_NE(::SetClipboardData(CF_UNICODETEXT, textMem), nullptr);
  ::CloseClipboard();
  EXPECT_TRUE(backend.HasClipboardFormat(fmt, L"Velmora Drawing"));
  EXPECT_EQ(QGuiApplication::clipboard()->text(), "ab");

  // Reading is bounded: more than the caller accepts is refused, not copied.
  std::vector<BYTE> out;
  EXPECT_FALSE(backend.GetClipboardBytes(fmt, L"Velmora Drawing", out, sizeof bytes - 1));
  EXPECT_TRUE(out.empty());
  EXPECT_TRUE(backend.GetClipboardBytes(fmt, L"Velmora Drawing", out, sizeof bytes));
}

TEST_F(QtWinTest, ClipboardTextTravelsAsText) {
  const std::wstring text = L"Grüße, Ω";
  ASSERT_TRUE(::OpenClipboard(nullptr));
  ::EmptyClipboard();
  const size_t n = (text.size() + 1) * sizeof(wchar_t);
  HGLOBAL mem = ::GlobalAlloc(GMEM_MOVEABLE, n);
  std::memcpy(::GlobalLock(mem), text.c_str(), n);
  ::GlobalUnlock(mem);
  ASSERT_NE(::SetClipboardData(CF_UNICODETEXT, mem), nullptr);
  ::CloseClipboard();
  EXPECT_EQ(QGuiApplication::clipboard()->text().toStdWString(), text);

  // Text another program put there comes back terminated, and we no longer own the clipboard.
  ASSERT_TRUE(::OpenClipboard(view.GetSafeHwnd()));
  ::EmptyClipboard();
  ::CloseClipboard();
  EXPECT_EQ(::GetClipboardOwner(), view.GetSafeHwnd());
  QGuiApplication::clipboard()->setText("from elsewhere");
  EXPECT_EQ(::GetClipboardOwner(), nullptr);
  ASSERT_TRUE(::OpenClipboard(nullptr));
  HANDLE got = ::GetClipboardData(CF_UNICODETEXT);
  ASSERT_NE(got, nullptr);
  EXPECT_EQ(std::wstring(static_cast<const wchar_t*>(::GlobalLock(got))), L"from elsewhere");
  ::GlobalUnlock(got);
  ::CloseClipboard();
}

// Modal dialogs answer what the user chose; a timer plays the user.
TEST_F(QtWinTest, MessageBoxesAnswerTheButtonPressed) {
  struct Case {
    UINT type;
    QMessageBox::StandardButton press;
    int answer;
  };
  for (const Case& c : {Case{MB_YESNOCANCEL, QMessageBox::Yes, IDYES}, Case{MB_YESNOCANCEL, QMessageBox::No, IDNO},
                        Case{MB_YESNOCANCEL, QMessageBox::Cancel, IDCANCEL}, Case{MB_OKCANCEL, QMessageBox::Ok, IDOK},
                        Case{MB_YESNO | MB_ICONQUESTION, QMessageBox::No, IDNO}}) {
    QString shown;
    QTimer::singleShot(0, [&] {
      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      ASSERT_NE(box, nullptr);
      shown = box->text();
      ASSERT_NE(box->button(c.press), nullptr);
      box->button(c.press)->click();
    });
    EXPECT_EQ(::MessageBoxW(frame->GetSafeHwnd(), L"Save changes?", L"Velmora", c.type), c.answer);
    EXPECT_EQ(shown, "Save changes?");
  }
}

TEST_F(QtWinTest, FileDialogReturnsThePathAndFilterChosen) {
  velmora::win::FileDialogRequest req;
  req.open = false;
  req.owner = frame->GetSafeHwnd();
  req.filter = L"Drawings|*.vlm|All|*.*||";
  req.defaultExt = L"vlm";
  req.filterIndex = 2;
  const QString target = QDir::temp().filePath("velmora-qtwin-dialog");
  QStringList filters;
  QString selectedFilter;
  QTimer::singleShot(0, [&] {
    auto* dlg = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
    ASSERT_NE(dlg, nullptr);
    filters = dlg->nameFilters();
    selectedFilter = dlg->selectedNameFilter();
    dlg->selectNameFilter(filters.value(0));
    dlg->selectFile(target);
    static_cast<QDialog*>(dlg)->accept();
  });
  ASSERT_TRUE(backend.FileDialog(req));
  EXPECT_EQ(filters, (QStringList{"Drawings (*.vlm)", "All (*.*)"}));
  EXPECT_EQ(selectedFilter, "All (*.*)");
  EXPECT_EQ(req.filterIndex, 1);
  EXPECT_EQ(QString::fromStdWString(req.chosenPath), target + ".vlm");

  QTimer::singleShot(0, [] { QApplication::activeModalWidget()->close(); });
  EXPECT_FALSE(backend.FileDialog(req));
}

// Runs `act` on the popup menu once it shows (polling the event loop the menu runs); gives up,
// closing whatever popup there is, after a second.
void WhenPopupShows(std::function<void(QMenu*)> act, int triesLeft = 100) {
  QTimer::singleShot(10, [act, triesLeft] {
    if (auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget()); menu && menu->isVisible()) {
      act(menu);
      return;
    }
    if (triesLeft > 0) {
      WhenPopupShows(act, triesLeft - 1);
    } else if (QWidget* w = QApplication::activePopupWidget()) {
      w->close();
    }
  });
}

TEST_F(QtWinTest, PopupMenusRunAsQtMenusAndAnswerWithTheChosenCommand) {
  CMenu popup;
  ASSERT_TRUE(popup.CreatePopupMenu());
  popup.AppendMenu(MF_STRING, 190, L"mm");
  popup.AppendMenu(MF_STRING | MF_CHECKED, 191, L"cm");
  QStringList texts;
  std::vector<bool> checks;
  WhenPopupShows([&](QMenu* menu) {
    for (QAction* a : menu->actions()) {
      texts << a->text();
      checks.push_back(a->isChecked());
    }
    // Chosen as a user chooses: the item made active, then Return.
    menu->setActiveAction(menu->actions().at(1));
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QCoreApplication::sendEvent(menu, &enter);
  });
  EXPECT_EQ(popup.TrackPopupMenu(TPM_RETURNCMD, 0, 0, frame), BOOL(191));
  EXPECT_EQ(texts, (QStringList{"mm", "cm"}));
  EXPECT_EQ(checks, (std::vector<bool>{false, true}));
  EXPECT_EQ(GetQueuedMessageCount(), 0) << "the answer is returned, not posted";
  // Closed without a choice: nothing.
  WhenPopupShows([](QMenu* menu) { menu->close(); });
  EXPECT_EQ(popup.TrackPopupMenu(TPM_RETURNCMD, 0, 0, frame), BOOL(0));
}

TEST_F(QtWinTest, AFramesBarLayoutTravelsAsQtStateBytes) {
  const std::vector<BYTE> bytes = backend.SaveBarLayout(frame->GetSafeHwnd());
  EXPECT_FALSE(bytes.empty());
  EXPECT_TRUE(backend.RestoreBarLayout(frame->GetSafeHwnd(), bytes));
  EXPECT_FALSE(backend.RestoreBarLayout(frame->GetSafeHwnd(), {1, 2, 3})) << "not Qt's bytes";
  EXPECT_FALSE(backend.RestoreBarLayout(frame->GetSafeHwnd(), {}));
  EXPECT_TRUE(backend.SaveBarLayout(view.GetSafeHwnd()).empty()) << "no frame";
}

TEST(QtWinNames, FileFiltersAndClipboardTypes) {
  struct FilterCase {
    std::wstring in;
    std::vector<std::wstring> out;
  };
  for (const FilterCase& c : std::vector<FilterCase>{
           {L"Drawings (*.vlm)|*.vlm|All|*.*||", {L"Drawings (*.vlm) (*.vlm)", L"All (*.*)"}},
           {L"Pictures|*.png;*.jpg", {L"Pictures (*.png *.jpg)"}},
           {L"", {}},
           {L"Odd|", {L"Odd ()"}},
           {L"NoPattern", {}},
       })
    EXPECT_EQ(CQtWindowBackend::NameFilters(c.in), c.out);
  EXPECT_EQ(CQtWindowBackend::MimeTypeOf(0xC001, L"Velmora Drawing"), "application/x-velmora-velmora-drawing");
  EXPECT_EQ(CQtWindowBackend::MimeTypeOf(CF_UNICODETEXT, L""), "text/plain");
  EXPECT_EQ(CQtWindowBackend::MimeTypeOf(2, L""), "application/x-velmora-format-2");
  // Names that are not MIME-safe cannot escape the private prefix.
  EXPECT_EQ(CQtWindowBackend::MimeTypeOf(0xC002, L"a/b;c=d"), "application/x-velmora-a-b-c-d");
}

}  // namespace qtwin_test
