// The program as a new user meets it on the screen: every menu of the bar with all its items,
// toolbar buttons with pictures, tips and status prompts, the dialogs, layer page and snap bar
// the buttons and menus open, the 3D view and the recent files from the menus, numbered rulers
// and the drawing's name in the title.
#include "ProgramFixture.h"

#include "platform/afx/CommandImage.h"
#include "platform/afx/ControlBar.h"
#include "platform/afx/Menu.h"
#include "platform/panlet/KxToolBar.h"
#include "platform/panlet/RuleBar.h"
#include "platform/panlet/WindowTip.h"
#include "platform/vurode/ViewState.h"
#include "platform/win/Menu.h"
#include "velmora/commands/CommandIds.h"
#include "velmora/ordvale/Command.h"
#include "velmora/ordvale/Ordvale.h"
#include "velmora/shell/BarResources.h"
#include "velmora/shell/KXSnapBar.h"
#include "velmora/shell/KxTabWnd.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QPointer>
#include <QTimer>
#include <QElapsedTimer>
#include <QHelpEvent>
#include <QImage>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QToolTip>

#include <algorithm>
#include <memory>
#include <set>

namespace {

class FindingCommandsTest : public ProgramFixture {
 protected:
  // The view draws through OpenGL where the display has it, so the 3D view can be shown.
  FindingCommandsTest() : ProgramFixture(true) {}
  QMainWindow* Main() { return qobject_cast<QMainWindow*>(Peer(frame)); }

  // The action of a command anywhere on the Qt menu bar, as the user would click it.
  QAction* MenuAction(UINT id, QMenu* menu = nullptr) {
    const QList<QAction*> actions = menu ? menu->actions() : Main()->menuBar()->actions();
    for (QAction* a : actions) {
      if (QMenu* sub = a->menu()) {
        if (QAction* found = MenuAction(id, sub)) return found;
      } else if (!a->isSeparator() && a->data().toUInt() == id) {
        return a;
      }
    }
    return nullptr;
  }
  void Move(QWidget* w, QPoint p) {
    QMouseEvent move(QEvent::MouseMove, p, w->mapToGlobal(p), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(w, &move);
    Pump();
  }
  void Leave(QWidget* w) {
    QEvent leave(QEvent::Leave);
    QCoreApplication::sendEvent(w, &leave);
    Pump();
  }
  void Click(QWidget* w, QPoint p) {
    for (QEvent::Type t : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
      QMouseEvent e(t, p, w->mapToGlobal(p), Qt::LeftButton, t == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton,
                    Qt::NoModifier);
      QCoreApplication::sendEvent(w, &e);
    }
    Pump();
  }
  // Chooses a command from the menu bar with the mouse: a click on its top-level menu, on each
  // sub-menu on the way, then on the item. False when the item is not on the bar or greyed.
  bool ChooseFromMenu(UINT id) {
    QMenuBar* bar = Main()->menuBar();
    for (QAction* top : bar->actions()) {
      QMenu* menu = top->menu();
      if (!menu) continue;
      Q_EMIT menu->aboutToShow();  // the items as the menu will show them
      if (!MenuAction(id, menu)) continue;
      const QRect r = bar->actionGeometry(top);
      Press(bar, r.center());
      // Down the sub-menus to the item.
      for (;;) {
        if (!menu->isVisible()) return false;
        QAction* next = nullptr;
        for (QAction* a : menu->actions())
          if ((a->menu() && MenuAction(id, a->menu())) || (!a->menu() && !a->isSeparator() && a->data().toUInt() == id))
            next = a;
        if (!next || !next->isEnabled()) {
          menu->hide();
          return false;
        }
        const QPoint at = menu->actionGeometry(next).center();
        Move(menu, at);
        Click(menu, at);
        if (!next->menu()) return true;
        menu = next->menu();
      }
    }
    return false;
  }
  void Press(QWidget* w, QPoint p) {
    QMouseEvent e(QEvent::MouseButtonPress, p, w->mapToGlobal(p), Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(w, &e);
    Pump();
  }
  // What the screen showed of a dialog the program ran: its window on the screen with its
  // title, drawn with more than two colours, and whether it had to be closed by force.
  struct Seen {
    bool shown = false;
    int colours = 0;
    bool forced = false;
  };
  // Watches, while the program runs the dialog, for a visible window titled so and presses
  // Escape on it as a user would. A window still open two seconds later (a wrong title, or
  // Escape went astray) is closed through its title bar, so the test fails instead of hanging.
  QTimer* WatchAndEscape(const QString& title, Seen& seen) {
    auto* timer = new QTimer;
    auto clock = std::make_shared<QElapsedTimer>();
    auto escaped = std::make_shared<QPointer<QWidget>>();
    clock->start();
    QObject::connect(timer, &QTimer::timeout, timer, [this, timer, clock, escaped, title, &seen] {
      if (*escaped) {
        if ((*escaped)->isVisible() && clock->elapsed() > 2000) {
          seen.forced = true;
          (*escaped)->close();
          timer->stop();
        }
        return;
      }
      for (QWidget* w : QApplication::topLevelWidgets()) {
        if (w == Main() || !w->isVisible() || qobject_cast<QMenu*>(w)) continue;
        if (w->windowTitle() != title) {
          if (clock->elapsed() > 2000) {
            seen.forced = true;
            w->close();
          }
          continue;
        }
        seen.shown = true;
        seen.colours = Colours(w, CRect(0, 0, w->width(), w->height()));
        QKeyEvent press(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
        QCoreApplication::sendEvent(w->focusWidget() ? w->focusWidget() : w, &press);
        *escaped = w;
        clock->restart();
        return;
      }
    });
    timer->start(50);
    return timer;
  }
  QString TipAt(QWidget* w, QPoint p) {
    QToolTip::hideText();
    QHelpEvent help(QEvent::ToolTip, p, w->mapToGlobal(p));
    QCoreApplication::sendEvent(w, &help);
    return QToolTip::isVisible() ? QToolTip::text() : QString();
  }
  // Colours in a rectangle of the widget as it shows: more than the background and an edge
  // means something is drawn there.
  static int Colours(QWidget* w, const CRect& r) {
    const QImage img = w->grab(QRect(r.left, r.top, r.Width(), r.Height())).toImage();
    std::set<QRgb> seen;
    for (int y = 0; y < img.height(); ++y)
      for (int x = 0; x < img.width(); ++x) seen.insert(img.pixel(x, y));
    return int(seen.size());
  }
};

void QtItems(QMenu* menu, std::vector<UINT>& ids, std::vector<int>& sizes) {
  sizes.push_back(int(menu->actions().size()));
  for (QAction* a : menu->actions()) {
    if (QMenu* sub = a->menu())
      QtItems(sub, ids, sizes);
    else if (!a->isSeparator())
      ids.push_back(a->data().toUInt());
  }
}

void ModelItems(HMENU menu, std::vector<UINT>& ids, std::vector<int>& sizes) {
  sizes.push_back(::GetMenuItemCount(menu));
  for (int i = 0; i < ::GetMenuItemCount(menu); ++i) {
    if (HMENU sub = ::GetSubMenu(menu, i))
      ModelItems(sub, ids, sizes);
    else if (const UINT id = ::GetMenuItemID(menu, i); id != 0)
      ids.push_back(id);
  }
}

}  // namespace

TEST_F(FindingCommandsTest, MenuBarShowsEveryMenuAndItemOfTheResource) {
  ASSERT_TRUE(Start());
  QMenuBar* bar = Main()->menuBar();
  ASSERT_NE(bar, nullptr);
  const QStringList want = {"File(&F)", "Edit(&E)", "View(&V)",  "Draw(&D)",
                            "Modify(&M)", "Text(&X)", "Tools(&T)", "Help(&H)"};
  QStringList titles;
  for (QAction* a : bar->actions()) titles << a->text();
  EXPECT_EQ(titles, want);
  // Item for item what the frame's menu holds, every popup with all its items.
  std::vector<UINT> qtIds, modelIds;
  std::vector<int> qtSizes, modelSizes;
  for (QAction* a : bar->actions()) {
    ASSERT_NE(a->menu(), nullptr) << a->text().toStdString();
    Q_EMIT a->menu()->aboutToShow();  // as opening it does
    QtItems(a->menu(), qtIds, qtSizes);
  }
  HMENU model = frame->GetMenu()->GetSafeHmenu();
  for (int i = 0; i < ::GetMenuItemCount(model); ++i) ModelItems(::GetSubMenu(model, i), modelIds, modelSizes);
  EXPECT_EQ(qtIds, modelIds);
  EXPECT_EQ(qtSizes, modelSizes);
  EXPECT_GT(qtIds.size(), 200u);
  // Items have the pictures of their commands.
  QAction* zoom = MenuAction(ID_VIEW_ZOOM_IN_MENU);
  ASSERT_NE(zoom, nullptr);
  EXPECT_FALSE(zoom->icon().isNull());
}

TEST_F(FindingCommandsTest, EveryButtonHasAPictureATipAndAPrompt) {
  ASSERT_TRUE(Start());
  // Every command of every bar, panel page, the snap bar and the layer strip has its picture.
  std::set<UINT> ids;
  for (UINT res : {IDR_TB_VIEW_PANEL, IDR_TB_EDIT_MODE, IDR_TB_STANDARD, IDR_TB_VIEW, IDR_TB_CURVE, IDR_TB_TEXT,
                   IDR_TB_NODE, IDR_TB_MODIFY, IDR_TB_TRANSFORM, IDR_TB_ALIGN, IDR_TB_FILE_PAGE, IDR_TB_DRAW_PAGE})
    for (UINT id : *velmora::afx::FindToolBarResource(res))
      if (id != ID_SEPARATOR) ids.insert(id);
  for (const CKXSnapBar::Slot& s : CKXSnapBar::Slots()) ids.insert(s.id);
  for (int i = 0; i < CKxWndTab::kButtonCount; ++i) ids.insert(CKxWndTab::kFirstToolId + UINT(i));
  for (UINT id : ids) {
    const AfxCommandImage* image = velmora::afx::FindCommandImage(id);
    ASSERT_NE(image, nullptr) << id;
    EXPECT_TRUE(std::any_of(image->argb.begin(), image->argb.end(), [](uint32_t p) { return (p >> 24) > 128; })) << id;
    EXPECT_FALSE(frame->GetCommandTip(id).IsEmpty()) << id;
  }
  // The panel page on the screen: each button drawn, with its tip while the pointer rests on it
  // and its prompt in the status line while the pointer is over it.
  CTabToolBar* tabs = frame->GetTabToolBar();
  ASSERT_NE(tabs, nullptr);
  QWidget* w = Peer(tabs);
  ASSERT_NE(w, nullptr);
  const CTabToolBar::Page* page = tabs->GetPage(tabs->GetCurPage());
  ASSERT_NE(page, nullptr);
  for (int i = 0; i < int(page->buttons.size()); ++i) {
    const CRect r = tabs->GetButtonRect(i);
    if (r.Width() <= 0) continue;
    const UINT id = page->buttons[size_t(i)];
    SCOPED_TRACE(id);
    EXPECT_GT(Colours(w, r), 3);
    const QPoint centre((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    EXPECT_EQ(TipAt(w, centre).toStdWString(), std::wstring(frame->GetCommandTip(id).GetString()));
    Move(w, centre);
    EXPECT_EQ(frame->GetPaneText(0), frame->GetCommandPrompt(id));
  }
  Leave(w);
  EXPECT_EQ(frame->GetHoverCommand(), 0u);
  EXPECT_EQ(frame->GetPaneText(0), gGetOrdvale()->GetPrompt());
  // The rectangle's tip and prompt read as its menu item does.
  EXPECT_EQ(frame->GetCommandTip(ID_VIEW_ZOOM_IN_MENU), CString(L"Zoom In"));
  EXPECT_EQ(frame->GetCommandPrompt(ID_VIEW_ZOOM_IN_MENU), CString(L"Zoom In (PageUp)"));
}

TEST_F(FindingCommandsTest, TheLayerStripsTipGoesWhenThePointerLeavesTheStrip) {
  ASSERT_TRUE(Start());
  CKxWndTab* strip = frame->GetKxTabWnd()->GetTabStrip();
  ASSERT_NE(strip, nullptr);
  QWidget* w = Peer(strip);
  ASSERT_NE(w, nullptr);
  const CRect r = strip->ButtonRect(CKxWndTab::kNewLayer);
  EXPECT_GT(Colours(w, r), 3);
  Move(w, QPoint((r.left + r.right) / 2, (r.top + r.bottom) / 2));
  QElapsedTimer clock;
  clock.start();
  while (strip->GetTipButton() != CKxWndTab::kNewLayer && clock.elapsed() < 2000) Pump();
  ASSERT_NE(strip->GetTip(), nullptr);
  EXPECT_TRUE(strip->GetTip()->IsWindowVisible());
  EXPECT_EQ(frame->GetPaneText(0), CString(L"New Layer"));
  // Straight out of the strip, with no move over the strip's empty part.
  Leave(w);
  EXPECT_FALSE(strip->GetTip()->IsWindowVisible());
  EXPECT_EQ(frame->GetHoverCommand(), 0u);
}

TEST_F(FindingCommandsTest, TheLayerStripsEditButtonOpensTheLayerPage) {
  ASSERT_TRUE(Start());
  // "Edit Layer", the strip's first button, opens the layer page.
  CKxWndTab* strip = frame->GetKxTabWnd()->GetTabStrip();
  const CRect edit = strip->ButtonRect(CKxWndTab::kEditLayer);
  Click(Peer(strip), QPoint((edit.left + edit.right) / 2, (edit.top + edit.bottom) / 2));
  CCommand* running = gGetOrdvale()->GetCurCmd();
  ASSERT_NE(running, nullptr);
  EXPECT_EQ(running->GetID(), ID_LAYER_CMD);
  EXPECT_EQ(running->GetSubCmd(), 0);
  gGetOrdvale()->CancelCurCmd();
  Pump();
}

TEST_F(FindingCommandsTest, TheViewMenuSwitchesTo3DAndBack) {
  ASSERT_TRUE(Start());
  // Under the selection tools, where the program starts.
  CCommand* mode = gGetOrdvale()->GetCurMainCmd();
  ASSERT_NE(mode, nullptr);
  EXPECT_EQ(mode->GetID(), ID_MODE_SELECTION);
  CVurode* vs = gGetVurode();
  ASSERT_TRUE(vs->IsView2D());
  QWidget* gl = Peer(view);
  ASSERT_NE(gl, nullptr);
  const QImage before = gl->grab().toImage();
  ASSERT_TRUE(ChooseFromMenu(ID_VIEW_3D));
  Pump();
  EXPECT_TRUE(vs->IsView3D());
  Q_EMIT qobject_cast<QMenu*>(MenuAction(ID_VIEW_3D)->parent())->aboutToShow();
  EXPECT_TRUE(MenuAction(ID_VIEW_3D)->isChecked());
  // The view on the screen shows the drawing otherwise (where the display draws with OpenGL).
  view->Invalidate();
  Pump();
  if (velmora::qtwin::CQtWindowBackend::OpenGLAvailable()) {
    EXPECT_NE(gl->grab().toImage(), before);
  }
  ASSERT_TRUE(ChooseFromMenu(ID_VIEW_3D));
  Pump();
  EXPECT_TRUE(vs->IsView2D());
}

TEST_F(FindingCommandsTest, DialogsOpenFromTheMenusAndCloseWithEscape) {
  ASSERT_TRUE(Start());
  struct Case {
    UINT id;
    const char* title;
  };
  for (const Case& c : {Case{ID_VIEW_SETTINGS, "System Settings"}, Case{ID_VIEW_TOOLBARS, "ToolBar Settings"}}) {
    // Twice: after Escape the program goes on and the same dialog opens again.
    for (int round = 0; round < 2; ++round) {
      SCOPED_TRACE(std::string(c.title) + " round " + std::to_string(round));
      Seen seen;
      std::unique_ptr<QTimer> watch(WatchAndEscape(c.title, seen));
      ASSERT_TRUE(ChooseFromMenu(c.id));
      Pump();  // runs the dialog until Escape ends it
      EXPECT_TRUE(seen.shown);
      EXPECT_GT(seen.colours, 2);
      EXPECT_FALSE(seen.forced);
      for (QWidget* w : QApplication::topLevelWidgets()) EXPECT_FALSE(w->isVisible() && w->windowTitle() == c.title);
    }
  }
  // The layer page from Tools > Layer > Layer Edit..., in the panel beside the view; Escape in
  // the view ends the command and the page goes.
  ASSERT_TRUE(ChooseFromMenu(ID_LAYER_EDIT));
  Pump();
  CCommand* running = gGetOrdvale()->GetCurCmd();
  ASSERT_NE(running, nullptr);
  EXPECT_EQ(running->GetID(), ID_LAYER_CMD);
  CWnd* page = running->GetCmdDlg();
  ASSERT_NE(page, nullptr);
  QWidget* pageWidget = Peer(page);
  ASSERT_NE(pageWidget, nullptr);
  EXPECT_TRUE(pageWidget->isVisible());
  EXPECT_GT(Colours(pageWidget, CRect(0, 0, pageWidget->width(), pageWidget->height())), 2);
  QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
  QCoreApplication::sendEvent(Peer(view), &esc);
  Pump();
  EXPECT_EQ(gGetOrdvale()->GetCurCmd(), nullptr);
  // The snap bar from View > Toolbars > Snap Settings, shown and hidden again.
  ASSERT_NE(frame->GetSnapBar(), nullptr);
  const bool snapShown = frame->GetSnapBar()->IsVisible();
  ASSERT_TRUE(ChooseFromMenu(ID_VIEW_SNAP_SETTINGS));
  Pump();
  EXPECT_NE(frame->GetSnapBar()->IsVisible(), snapShown);
  QWidget* snap = Peer(frame->GetSnapBar());
  ASSERT_NE(snap, nullptr);
  EXPECT_EQ(snap->isVisible(), !snapShown);
  ASSERT_TRUE(ChooseFromMenu(ID_VIEW_SNAP_SETTINGS));
  Pump();
  EXPECT_EQ(frame->GetSnapBar()->IsVisible(), snapShown);
}

TEST_F(FindingCommandsTest, TheFileMenuListsTheRecentFilesAndOpensThem) {
  ASSERT_TRUE(Start());
  // The sample, opened at start, is the newest entry; a drawing opened after it comes first.
  const std::filesystem::path copy = m_dir / "copy of sample.vlm";
  std::filesystem::copy_file(VELMORA_SAMPLE, copy);
  auto texts = [&] {
    QMenu* file = Main()->menuBar()->actions().front()->menu();
    Q_EMIT file->aboutToShow();
    QStringList out;
    for (QAction* a : file->actions())
      if (const UINT id = a->data().toUInt(); id >= ID_FILE_MRU_FILE1 && id <= ID_FILE_MRU_LAST) out << a->text();
    return out;
  };
  const QString sample = QString::fromStdWString(app->m_pRecentFileList->GetDisplayName(0).GetString());
  EXPECT_EQ(texts(), QStringList{"&1 " + sample});
  EXPECT_TRUE(app->m_pRecentFileList->GetDisplayName(0).Find(L"sample.vlm") >= 0);
  ASSERT_NE(app->OpenDocumentFile(CString::FromUtf8(copy.string())), nullptr);
  EXPECT_EQ(texts().size(), 2);
  EXPECT_EQ(texts().at(1), "&2 " + sample);
  // Choosing the sample's entry opens it again: the title names it.
  ASSERT_TRUE(ChooseFromMenu(ID_FILE_MRU_FILE2));
  Pump();
  frame->OnIdleUpdateCmdUI();
  EXPECT_EQ(Main()->windowTitle(), QString("sample.vlm - Velmora V9"));
  EXPECT_EQ(texts().at(0), "&1 " + sample);
}

TEST_F(FindingCommandsTest, RulersAreNumberedAndTheTitleNamesTheDrawing) {
  ASSERT_TRUE(Start());
  frame->OnIdleUpdateCmdUI();  // as the message loop does when it runs dry
  EXPECT_EQ(Main()->windowTitle(), QString("sample.vlm - Velmora V9"));
  CKxRuleBar* ruler = frame->GetRuler(true);
  ASSERT_NE(ruler, nullptr);
  frame->OnIdleUpdateCmdUI();
  const double before = ruler->GetValuePerPixel();
  EXPECT_GT(before, 0.0);
  // Zoomed in: the same pixels span less of the drawing.
  frame->PostMessage(WM_COMMAND, ID_VIEW_ZOOM_OUT_MENU, 0);
  Pump();
  frame->OnIdleUpdateCmdUI();
  EXPECT_LT(ruler->GetValuePerPixel(), before);
  // Numbers show along the ruler: text pixels besides the ticks.
  ruler->Invalidate();
  Pump();
  QWidget* w = Peer(ruler);
  ASSERT_NE(w, nullptr);
  EXPECT_GT(Colours(w, CRect(0, 0, w->width(), CKxRuleBar::kThickness / 2)), 2);
}
