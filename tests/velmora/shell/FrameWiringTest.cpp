// The running program's parts meeting through the frame: the view's menu items reaching the
// toolbars, rulers, design-centre panel, help, tools and tips; the toolbar settings dialog on
// the frame; the panel's place beside the view; scans placed by the image scan command.
#include "ShellFixture.h"

#include "db/Action.h"
#include "db/DbImage.h"
#include "platform/afx/Control.h"
#include "platform/afx/Dialog.h"
#include "platform/win/GlobalMem.h"
#include "velmora/bramcourt/DesignCentral.h"
#include "velmora/ordvale/Command.h"
#include "velmora/ordvale/CommandOps.h"
#include "velmora/shell/ViewMenu.h"
#include "velmora/dialogs/ToolBarSetDlg.h"
#include "velmora/dialogs/AboutboxHelpPrompt.h"
#include "velmora/shell/Launcher.h"
#include "velmora/shell/ViewServices.h"

#include <cstring>

namespace {

class FrameWiringTest : public ShellTest {
 protected:
  void TearDown() override {
    KxSetLauncher(nullptr);
    CAboutboxHelpPrompt::SetPresenter(nullptr);
    CDialog::SetModalDriver(nullptr);
    ShellTest::TearDown();
  }
  // The check an update handler gives a command, or -1 when nobody handles it.
  int Checked(UINT id) {
    CCmdUI ui;
    ui.m_nID = id;
    if (!frame->OnCmdMsg(id, CN_UPDATE_COMMAND_UI, &ui, nullptr)) return -1;
    return ui.m_nCheck;
  }
  CRect ClientRectOf(CWnd* w) {
    CRect r;
    w->GetWindowRect(&r);
    frame->ScreenToClient(&r);
    return r;
  }
};

// A packed 24-bit bitmap as a scanner hands it over, in a movable block.
HGLOBAL Bitmap24(int width, int height) {
  const int stride = (width * 3 + 3) & ~3;
  const size_t bytes = 40 + size_t(stride) * size_t(height);
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, bytes);
  auto* p = static_cast<uint8_t*>(GlobalLock(block));
  std::memset(p, 0x80, bytes);
  const int32_t header[] = {40, width, height};
  std::memcpy(p, header, sizeof header);
  const uint16_t planes = 1, bits = 24;
  std::memcpy(p + 12, &planes, 2);
  std::memcpy(p + 14, &bits, 2);
  std::memset(p + 16, 0, 24);  // no compression, default sizes and colours
  GlobalUnlock(block);
  return block;
}

std::vector<CDbImage*> Images() {
  std::vector<CDbImage*> out;
  const CDbEntityList& list = gGetDBase()->GetEntityList();
  for (POSITION pos = list.GetHeadPosition(); pos;)
    if (auto* img = dynamic_cast<CDbImage*>(list.GetNext(pos))) out.push_back(img);
  return out;
}

}  // namespace

TEST_F(FrameWiringTest, ViewToolBarItemsShowAndHideTheFramesBars) {
  Start();
  ASSERT_TRUE(started);
  struct Case {
    UINT menu, bar;
  };
  for (const Case c : {Case{32986, 59403}, Case{32987, 59401}, Case{32989, 59402}}) {
    SCOPED_TRACE(c.menu);
    CKxToolBar* bar = frame->GetToolBar(c.bar);
    ASSERT_NE(bar, nullptr);
    const bool before = bar->IsVisible() != FALSE;
    Command(c.menu);
    EXPECT_EQ(bar->IsVisible() != FALSE, !before);
    // The item is checked while the selection command is current and its bar shows.
    EXPECT_EQ(hubGetMainCmdID(), 32853u);
    EXPECT_EQ(Checked(c.menu), before ? 0 : 1);
    Command(c.menu);
    EXPECT_EQ(bar->IsVisible() != FALSE, before);
    EXPECT_EQ(Checked(c.menu), before ? 1 : 0);
  }
}

TEST_F(FrameWiringTest, SelectionItemRefreshesTheSelectionBarsImages) {
  Start();
  ASSERT_TRUE(started);
  ASSERT_EQ(hubGetMainCmdID(), 32853u);
  CKxToolBar* align = frame->GetToolBar(59403);
  CKxToolBar* node = frame->GetToolBar(59400);
  ASSERT_TRUE(align && node);
  EXPECT_EQ(align->GetBitmapID(), 440u);
  // After a change to small icons, the bars of the current main command take their second
  // image strip when the item's state is asked; the node bar belongs to another command.
  frame->GetToolBarMgr()->SetIconLook(1);
  EXPECT_EQ(Checked(32853), 1);
  EXPECT_EQ(align->GetBitmapID(), 591u);
  EXPECT_EQ(frame->GetToolBar(59401)->GetBitmapID(), 610u);
  EXPECT_EQ(node->GetBitmapID(), 434u);
}

TEST_F(FrameWiringTest, RulerServicesFollowTheFramesRulers) {
  Start();
  ASSERT_TRUE(started);
  ViewServices& s = gViewServices();
  ASSERT_TRUE(s.rulersVisible && s.showRulers);
  for (bool show : {false, true, false}) {
    s.showRulers(show);
    EXPECT_EQ(s.rulersVisible(), show);
    EXPECT_EQ(frame->GetRuler(true)->IsVisible() != FALSE, show);
    EXPECT_EQ(frame->GetRuler(false)->IsVisible() != FALSE, show);
  }
  Stop();
  // Nothing installed may call into a frame that has gone.
  EXPECT_FALSE(s.rulersVisible || s.showRulers || s.toolBarState || s.showToolBar || s.toolBarCurCmd ||
               s.selectByType || s.toggleDesignCentre || s.designCentreVisible || s.openHelp || s.openTool ||
               s.tipOfTheDay);
}

TEST_F(FrameWiringTest, DesignCentreItemsAndThePanelsPlaceBesideTheView) {
  Start();
  ASSERT_TRUE(started);
  CDesignCentral* panel = gGetDlgDesignCenter();
  ASSERT_NE(panel, nullptr);
  CWnd* pane = frame->GetPaneWindow();
  ASSERT_NE(pane, nullptr);

  // Shown at start, beside the view: the two touch and do not overlap.
  ASSERT_TRUE(panel->IsWindowVisible());
  EXPECT_EQ(Checked(33045), 1);
  const CRect shownPane = ClientRectOf(pane), shownPanel = ClientRectOf(panel);
  EXPECT_GT(shownPanel.Width(), 0);
  EXPECT_EQ(shownPane.right, shownPanel.left);
  EXPECT_EQ(shownPane.top, shownPanel.top);
  EXPECT_EQ(shownPane.bottom, shownPanel.bottom);

  // Design Central hides it and the view takes its width back; again shows it beside the view.
  Command(33045);
  EXPECT_FALSE(panel->IsWindowVisible());
  EXPECT_EQ(Checked(33045), 0);
  const CRect hiddenPane = ClientRectOf(pane);
  EXPECT_EQ(hiddenPane.Width(), shownPane.Width() + shownPanel.Width());
  Command(33045);
  EXPECT_TRUE(panel->IsWindowVisible());
  EXPECT_EQ(ClientRectOf(pane), shownPane);
  EXPECT_EQ(ClientRectOf(panel), shownPanel);

  // A command putting the panel away and back moves the view as well.
  panel->HideDCenter();
  EXPECT_EQ(ClientRectOf(pane), hiddenPane);
  panel->RestoreDCenter();
  EXPECT_EQ(ClientRectOf(pane), shownPane);

  // The frame's size changes keep the arrangement.
  frame->MoveWindow(0, 0, 900, 700);
  const CRect p = ClientRectOf(pane), d = ClientRectOf(panel);
  EXPECT_EQ(p.right, d.left);
  EXPECT_EQ(d.Width(), shownPanel.Width());

  // Select by Type brings a hidden panel and its hidden current page to the front.
  CWnd page;
  ASSERT_TRUE(page.Create(nullptr, L"page", WS_CHILD, RECT{0, 0, 10, 10}, panel, 0));
  panel->AddPage(L"Select", &page);
  panel->SwitchTab(panel->GetPageCount() - 1);
  Command(33045);
  page.ShowWindow(SW_HIDE);
  Draw({{0, 0, 10, 0}});
  EXPECT_EQ(Enabled(32993), 1);
  Command(32993);
  EXPECT_TRUE(panel->IsWindowVisible());
  EXPECT_TRUE(page.IsWindowVisible());
  EXPECT_EQ(ClientRectOf(pane).right, ClientRectOf(panel).left);
  page.DestroyWindow();
}

TEST_F(FrameWiringTest, HelpToolsAndTipItemsReachTheLauncherAndThePrompt) {
  std::vector<KxLaunchRequest> launched;
  KxSetLauncher([&](const KxLaunchRequest& r) {
    launched.push_back(r);
    return TRUE;
  });
  int tips = 0;
  CAboutboxHelpPrompt::SetPresenter([&](CAboutboxHelpPrompt&) {
    ++tips;
    return INT_PTR(IDOK);
  });
  Start();
  ASSERT_TRUE(started);
  tips = 0;  // the start-up tip, when the settings ask for it, is not this item's
  Command(ID_HELP_FINDER);
  Command(ID_TOOL_CALCULATOR);
  Command(ID_TOOL_NOTEPAD);
  Command(ID_TOOL_PAINT);
  Command(ID_HELP_WEB);
  ASSERT_EQ(launched.size(), 5u);
  EXPECT_EQ(launched[0].kind, KxLaunchRequest::Document);
  EXPECT_EQ(launched[0].target.rfind(KxHelpFolder().GetString(), 0), 0u);
  for (int i = 1; i <= 3; ++i) EXPECT_EQ(launched[size_t(i)].kind, KxLaunchRequest::Program);
  EXPECT_NE(launched[1].target, launched[2].target);
  EXPECT_NE(launched[2].target, launched[3].target);
  EXPECT_EQ(launched[4].kind, KxLaunchRequest::Url);
  Command(33133);
  EXPECT_EQ(tips, 1);
}

TEST_F(FrameWiringTest, ToolBarSettingsRunOnTheFrame) {
  Start();
  ASSERT_TRUE(started);
  ASSERT_FALSE(frame->IsClassicLook());
  std::vector<std::wstring> listed;
  int runs = 0;
  CDialog::SetModalDriver([&](CDialog& d) {
    auto& dlg = dynamic_cast<CToolBarSetDlg&>(d);
    ++runs;
    CCatListBox& list = dlg.GetList();
    for (int i = 0; i < list.GetCount(); ++i) listed.push_back(list.GetCategoryName(i));
    AfxUserClick(dlg.GetDlgItem(int(CToolBarSetDlg::kStandardID))->GetSafeHwnd());
    AfxUserClick(dlg.GetDlgItem(int(CToolBarSetDlg::kQuitID))->GetSafeHwnd());
  });
  Command(ID_VIEW_TOOLBARS);
  EXPECT_EQ(runs, 1);
  // The panel look lists its bars but never the panel's own.
  EXPECT_EQ(listed, (std::vector<std::wstring>{L"View Bar"}));
  // The standard style: the frame's style word, the standard bars shown, the panel gone.
  EXPECT_TRUE(frame->IsClassicLook());
  EXPECT_EQ(frame->GetStyleWord(), 1);
  EXPECT_TRUE(frame->GetToolBar(59396)->IsVisible());
  EXPECT_FALSE(frame->GetToolBar(59394)->IsVisible());
  EXPECT_FALSE(frame->GetTabToolBar()->IsVisible());
}

TEST_F(FrameWiringTest, ScansArePlacedByTheImageScanCommandAsOneUndoableAction) {
  Start();
  ASSERT_TRUE(started);
  const int undoBefore = gGetActManager()->GetCount();
  TW_IMAGEINFO info{};
  info.ImageWidth = 4;
  info.ImageLength = 3;
  info.BitsPerPixel = 24;
  info.XResolution.Whole = info.YResolution.Whole = 254;
  HGLOBAL block = Bitmap24(4, 3);
  view->CopyImage(block, info);
  // The picture was copied: the block may go at once.
  GlobalFree(block);
  const auto images = Images();
  ASSERT_EQ(images.size(), 1u);
  EXPECT_EQ(images[0]->GetDib()->GetWidth(), 4);
  EXPECT_EQ(images[0]->GetDib()->GetHeight(), 3);
  // One drawing unit per pixel, as the command places it (not the scan's resolution).
  _tagBox2D box;
  images[0]->GetBox(&box);
  EXPECT_DOUBLE_EQ(box.max[0] - box.min[0], 4.0);
  EXPECT_EQ(gGetActManager()->GetCount(), undoBefore + 1);
  EXPECT_TRUE(doc->IsModified());
  EXPECT_EQ(gGetOrdvale()->GetCurCmd(), nullptr);
  ASSERT_TRUE(gGetActManager()->Undo());
  EXPECT_TRUE(Images().empty());

  // A bitmap whose header disagrees with the transfer's sizes adds nothing.
  HGLOBAL wrong = Bitmap24(4, 3);
  info.ImageWidth = 5;
  view->CopyImage(wrong, info);
  GlobalFree(wrong);
  EXPECT_TRUE(Images().empty());
}

TEST_F(FrameWiringTest, TextAndNestingCommandsOfferTheMenusOperations) {
  Start();
  ASSERT_TRUE(started);
  COrdvale* hub = gGetOrdvale();
  CCommand* text = hub->GetMainCmd(32855);
  CCommand* nesting = hub->GetCmd(L"Interactive Nesting");
  ASSERT_TRUE(text && nesting);
  auto* textOps = dynamic_cast<CTextMainOps*>(text);
  ASSERT_NE(textOps, nullptr);
  EXPECT_NE(dynamic_cast<CNestingOps*>(nesting), nullptr);
  // Nothing is being edited: no symbol can go in, and the fill item is the text's, so a
  // selected outline keeps its fill.
  EXPECT_EQ(textOps->IsEditStateSet(), 0);
  Draw({{0, 0, 10, 0}});
  CDbEntity* line = gGetDBase()->GetEntityList().GetHead();
  line->SetKind(0x2);  // an outline that can be filled
  gGetSelector()->Add(line);
  hub->SetCurMainCmd(text);
  EXPECT_EQ(Enabled(ID_TEXT_INSERT_SYMBOL), 0);
  const bool filled = line->IsFill() != FALSE;
  Command(ID_VIEW_FILL);
  EXPECT_EQ(line->IsFill() != FALSE, filled);
}
