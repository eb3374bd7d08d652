// The design-centre panel, the layer editing page and the notes dialog with real Qt widgets on
// Qt's offscreen platform: the windows get peers where the model puts them, and a modal dialog
// runs its loop while Qt pumps events until a timer closes it.
#include "db/DBase.h"
#include "platform/afx/Control.h"
#include "platform/afx/Dialog.h"
#include "platform/qtwin/QtBackend.h"
#include "platform/vurode/Accessors.h"
#include "platform/vurode/Vurode.h"
#include "platform/win/MessageBox.h"
#include "platform/win/Messages.h"
#include "platform/win/Window.h"
#include "velmora/bramcourt/DesignCentral.h"
#include "velmora/commands/DlgLayerManager.h"
#include "velmora/commands/LayerManageCmd.h"
#include "velmora/dialogs/DlgNotes.h"
#include "velmora/ordvale/Ordvale.h"

#include "tests/velmora/FakeLayerTabs.h"

#include <QApplication>
#include <QMainWindow>
#include <QWidget>

#include <gtest/gtest.h>

namespace {

QApplication& App() {
  static int argc = 1;
  static char name[] = "panels";
  static char* argv[] = {name, nullptr};
  static QApplication* app = new QApplication(argc, argv);
  return *app;
}

class PanelsOffscreenTest : public ::testing::Test {
 protected:
  PanelsOffscreenTest() { previous = velmora::win::SetWindowBackend(&backend); }
  ~PanelsOffscreenTest() override {
    velmora::win::SetWindowBackend(previous);
    gRestoreVurodeDefaults();
  }
  QApplication* qt = &App();
  velmora::qtwin::CQtWindowBackend backend;
  velmora::win::WindowBackend* previous = nullptr;
};

TEST_F(PanelsOffscreenTest, LayerPageShowsAsAWidgetInsideThePanel) {
  CVurode vurode;
  gSetVurode(&vurode);
  CDBase db;
  gSetDBase(&db);
  db.InitLayer();
  FakeLayerTabs tabs(db);
  tabs.AddLayer(L"");
  gSetLayerTabs(&tabs);
  COrdvale hub;
  gSetOrdvale(&hub);

  CWnd frame;
  ASSERT_TRUE(frame.Create(nullptr, L"frame", WS_VISIBLE, RECT{0, 0, 900, 600}, nullptr, 0));
  CDesignCentral panel;
  ASSERT_TRUE(panel.CreateMe(&frame));
  gSetDlgDesignCenter(&panel);
  QWidget* panelPeer = backend.Peer(panel.GetSafeHwnd());
  ASSERT_NE(panelPeer, nullptr);
  // A top-level window's children sit in its client widget.
  QWidget* framePeer = backend.Peer(frame.GetSafeHwnd());
  auto* mainWindow = qobject_cast<QMainWindow*>(framePeer);
  EXPECT_EQ(panelPeer->parentWidget(), mainWindow ? mainWindow->centralWidget() : framePeer);
  EXPECT_EQ(panelPeer->geometry().right() + 1, 900);

  CLayerManageCmd cmd(1, L"Layer");
  ASSERT_EQ(cmd.StartUp(CLayerManageCmd::kEdit), 1);
  auto* dlg = dynamic_cast<CDlgLayerManager*>(cmd.GetCmdDlg());
  ASSERT_NE(dlg, nullptr);
  QWidget* pagePeer = backend.Peer(dlg->GetSafeHwnd());
  ASSERT_NE(pagePeer, nullptr);
  EXPECT_EQ(pagePeer->parentWidget(), panelPeer);
  EXPECT_TRUE(pagePeer->isVisibleTo(panelPeer));
  const CRect area = panel.GetPageRect();
  EXPECT_EQ(pagePeer->geometry().top(), area.top);
  EXPECT_EQ(pagePeer->geometry().height(), area.Height());
  EXPECT_EQ(dlg->GetList().GetItemCount(), 2);
  // The list and the buttons are widgets of the page.
  ASSERT_NE(backend.Peer(dlg->GetList().GetSafeHwnd()), nullptr);
  EXPECT_EQ(backend.Peer(dlg->GetList().GetSafeHwnd())->parentWidget(), pagePeer);
  qt->processEvents();

  const HWND page = dlg->GetSafeHwnd();
  cmd.Cancel();
  EXPECT_EQ(backend.Peer(page), nullptr) << "the page's widget goes with the command";
  gSetDlgDesignCenter(nullptr);
  gSetLayerTabs(nullptr);
  gSetOrdvale(nullptr);
  gSetDBase(nullptr);
}

// The notes dialog that, once open, types into the notes and presses OK from a timer of its
// own, inside its modal loop.
class CTimedNotes : public CDlgNotes {
 public:
  BOOL OnInitDialog() override {
    const BOOL r = CDlgNotes::OnInitDialog();
    SetTimer(1, 30, nullptr);
    return r;
  }
  void OnTimer(UINT_PTR id) {
    KillTimer(id);
    AfxUserEditText(GetDlgItem(kTextID)->GetSafeHwnd(), L"typed on Qt");
    AfxUserClick(GetDlgItem(IDOK)->GetSafeHwnd());
  }
  DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CTimedNotes, CDlgNotes)
ON_WM_TIMER()
END_MESSAGE_MAP()

TEST_F(PanelsOffscreenTest, NotesDialogRunsModallyUntilATimerClosesIt) {
  CDBase db;
  gSetDBase(&db);
  db.SetNotes(L"before");
  CTimedNotes notes;
  EXPECT_EQ(notes.DoModal(), IDOK);
  EXPECT_EQ(db.GetNotes(), CString(L"typed on Qt"));
  gSetDBase(nullptr);
}

}  // namespace
