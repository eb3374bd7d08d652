// The main frame's bars: the toolbars, their manager records and looks, the failure rule of
// creation, the snap bar and its switches, the rulers, the context menus and the bar layout kept
// across runs.
#include "ShellFixture.h"

#include "db/Action.h"
#include "platform/afx/ControlBar.h"
#include "platform/panlet/BarAccessors.h"
#include "velmora/shell/BarResources.h"
#include "velmora/shell/KXSnapBar.h"
#include "velmora/ordvale/Command.h"

namespace {

// Dispatches what is queued (a popup's chosen command is posted).
void Pump() {
  MSG msg;
  for (int i = 0; i < 100 && PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE); ++i) {
    if (msg.message == WM_PAINT) {
      ValidateRect(msg.hwnd, nullptr);
      continue;
    }
    DispatchMessageW(&msg);
  }
}

struct FrameBarsTest : ShellTest {
  void TearDown() override {
    CUIToolBarMgr::SetDefaultLook(CUIToolBarMgr::kLookPanel);
    ShellTest::TearDown();
  }
  // A right click at a client point of a window, as the frame receives it (screen point).
  void ContextMenuAt(CWnd& w, CPoint client) {
    w.ClientToScreen(&client);
    frame->SendMessage(WM_CONTEXTMENU, WPARAM(w.GetSafeHwnd()), LPARAM((client.y & 0xFFFF) << 16 | (client.x & 0xFFFF)));
  }
};

TEST_F(FrameBarsTest, PanelLookShowsThePanelAndItsViewBarAndRegistersEveryBar) {
  Start();
  ASSERT_TRUE(started);
  EXPECT_FALSE(frame->IsClassicLook());
  CUIToolBarMgr* mgr = gGetUIToolBarMgr();
  ASSERT_EQ(mgr, frame->GetToolBarMgr());
  ASSERT_EQ(mgr->GetCount(), 11);
  const CUIToolBarMgr::Record* tab = mgr->GetAt(0);
  EXPECT_EQ(tab->toolbar, CMainFrame::kTabToolBarID);
  EXPECT_EQ(tab->bar, frame->GetTabToolBar());
  EXPECT_EQ((std::vector<int>{int(tab->bitmap0), int(tab->bitmap1), tab->look, tab->flag1, tab->flag2, tab->mainCmd, tab->page}),
            (std::vector<int>{0, 0, 16, 1, 0, 0, -1}));
  // The table: id, title, shown in the panel look, manager look, main command, page.
  struct Row {
    UINT id;
    const wchar_t* title;
    bool shown;
    int look, mainCmd, page;
  };
  const Row rows[] = {{59394, L"View Bar", true, 16, -1, -1},          {59395, L"Editing Mode Bar", false, 17, 18, -1},
                      {59396, L"Standard Bar", false, 17, 18, -1},     {59397, L"View Bar", false, 17, 18, -1},
                      {59398, L"Curve Bar", false, 17, 32853, 1},      {59399, L"Text Editing Bar", false, 17, 18, -1},
                      {59400, L"Node Editing Bar", false, 17, 32854, 5}, {59401, L"Modification Bar", false, 17, 32853, -1},
                      {59402, L"Transform Bar", false, 17, 32853, -1}, {59403, L"Aligning Bar", true, 17, 32853, -1}};
  for (size_t i = 0; i < std::size(rows); ++i) {
    const Row& r = rows[i];
    SCOPED_TRACE(r.id);
    CKxToolBar* bar = frame->GetToolBar(r.id);
    ASSERT_NE(bar, nullptr);
    CString title;
    bar->GetWindowText(title);
    EXPECT_EQ(title, CString(r.title));
    EXPECT_EQ(bar->IsWindowVisible() != 0, r.shown);
    EXPECT_EQ(bar->GetToolBarCtrlStyle(), CKxToolBar::kCtrlStyle);
    const CUIToolBarMgr::Record* rec = mgr->GetAt(int(i) + 1);
    EXPECT_EQ(rec->bar, bar);
    EXPECT_EQ(rec->look, r.look);
    EXPECT_EQ(rec->mainCmd, r.mainCmd);
    EXPECT_EQ(rec->page, r.page);
    EXPECT_EQ(bar->GetBitmapID(), rec->bitmap0) << "look selector 0 picks the first bitmap";
  }
  // The page of a bar given by title is that page's index in the panel.
  CTabToolBar* panel = frame->GetTabToolBar();
  ASSERT_EQ(panel->GetPageCount(), 6);
  EXPECT_EQ(panel->GetPage(1)->title, CString(L"Draw && Text"));
  EXPECT_EQ(panel->GetPage(5)->title, CString(L"Node"));
  EXPECT_EQ(panel->GetCurPage(), 1);
  EXPECT_TRUE(panel->IsWindowVisible());
  EXPECT_EQ(gGetKXTabToolBar(), panel);
  EXPECT_FALSE(frame->GetSnapBar()->IsWindowVisible());
  EXPECT_EQ(gGetStatusBar(), frame->GetStatusBar());
  // The first View Bar may dock on the right only.
  EXPECT_EQ(frame->GetToolBar(59394)->GetDockStyle(), CBRS_ALIGN_RIGHT);
  EXPECT_EQ(frame->GetToolBar(59394)->GetDockBarID(), UINT(AFX_IDW_DOCKBAR_RIGHT));
  EXPECT_EQ(frame->GetToolBar(59403)->GetDockBarID(), UINT(AFX_IDW_DOCKBAR_BOTTOM));
}

TEST_F(FrameBarsTest, ClassicLookDocksTheViewAndTextBarsBesideTheStandardBar) {
  CUIToolBarMgr::SetDefaultLook(CUIToolBarMgr::kLookClassic);
  Start();
  ASSERT_TRUE(started);
  EXPECT_TRUE(frame->IsClassicLook());
  EXPECT_FALSE(frame->GetTabToolBar()->IsWindowVisible());
  EXPECT_FALSE(frame->GetTabToolBar()->GetDragBar()->IsWindowVisible());
  CKxToolBar* standard = frame->GetToolBar(59396);
  CKxToolBar* view2 = frame->GetToolBar(59397);
  CKxToolBar* text = frame->GetToolBar(59399);
  ASSERT_TRUE(standard->IsWindowVisible() && view2->IsWindowVisible() && text->IsWindowVisible());
  CRect rs, rv, rt;
  standard->GetWindowRect(&rs);
  view2->GetWindowRect(&rv);
  text->GetWindowRect(&rt);
  EXPECT_EQ(rv.top, rs.top) << "one row";
  EXPECT_EQ(rt.top, rs.top);
  EXPECT_GE(rv.left, rs.right);
  EXPECT_EQ(frame->GetToolBar(59398)->GetDockBarID(), UINT(AFX_IDW_DOCKBAR_LEFT));
  // No visible bar overlaps the view and the strip.
  CRect client;
  frame->GetKxTabWnd()->GetWindowRect(&client);
  for (const CMainFrame::ToolBarSpec& s : CMainFrame::ToolBarSpecs()) {
    CKxToolBar* bar = frame->GetToolBar(s.id);
    if (!bar->IsWindowVisible()) continue;
    CRect r;
    bar->GetWindowRect(&r);
    EXPECT_FALSE(r.left < client.right && client.left < r.right && r.top < client.bottom && client.top < r.bottom)
        << s.id;
  }
}

TEST_F(FrameBarsTest, ABarThatCannotBeMadeFailsTheFrameAndLeavesNothingBehind) {
  // Missing toolbar resources stand for any bar that cannot be loaded.
  for (UINT missing : {IDR_TB_CURVE, IDR_TB_FILE_PAGE, IDR_TB_ALIGN}) {
    SCOPED_TRACE(missing);
    RegisterShellResources();
    velmora::afx::RemoveToolBarResource(missing);
    std::ofstream(m_dir / "Command.cfg", std::ios::binary) << "keep";
    COrdvale hub;
    gSetOrdvale(&hub);
    auto* doc = static_cast<CDraftonDoc*>(RUNTIME_CLASS(CDraftonDoc)->CreateObject());
    ASSERT_NE(doc, nullptr);
    CCreateContext ctx;
    ctx.m_pNewViewClass = RUNTIME_CLASS(CDraftonView);
    ctx.m_pCurrentDoc = doc;
    auto* f = new CMainFrame;
    EXPECT_FALSE(f->LoadFrame(IDR_MAINFRAME, WS_OVERLAPPEDWINDOW, nullptr, &ctx));
    // The frame went with its window: nothing it made is registered or alive.
    EXPECT_EQ(gGetMainFrame(), nullptr);
    EXPECT_EQ(gGetStatusBar(), nullptr);
    EXPECT_EQ(gGetUIToolBarMgr(), nullptr);
    EXPECT_EQ(gGetKXTabToolBar(), nullptr);
    EXPECT_EQ(gGetHorRuleBar(), nullptr);
    EXPECT_EQ(gGetVerRuleBar(), nullptr);
    EXPECT_TRUE(doc->GetViews().empty()) << "the view went with the splitter";
    EXPECT_FALSE(gGetKXGlobal()->IsFrameReady());
    EXPECT_EQ(Bytes(m_dir / "Command.cfg"), "keep");
    delete doc;
    gSetOrdvale(nullptr);
  }
  RegisterShellResources();
}

TEST_F(FrameBarsTest, SnapBarBoxesStartFromTheSnapBitsAndFollowTheSwitches) {
  gGetKXGlobal()->SetSnapFlag(0x1 | 0x400);
  gGetKXGlobal()->SetNavigation(FALSE);
  Start();
  CKXSnapBar* bar = frame->GetSnapBar();
  ASSERT_NE(bar, nullptr);
  EXPECT_EQ(bar->GetCount(), CKXSnapBar::kSlotCount);
  EXPECT_EQ(bar->GetDlgCtrlID(), CKXSnapBar::kBarID);
  const std::vector<std::pair<UINT, const wchar_t*>> words = {
      {33016, L"End"},  {33017, L"Near"}, {33018, L"Point"}, {33020, L"Mid"},  {33019, L"Center"},
      {33021, L"Inter"}, {33022, L"Perp"}, {33023, L"Tan"},  {33024, L"Quad"}, {33025, L"Grid"},
      {33026, L"Guidline"}, {33028, L"All"}, {33027, L"Navigate"}};
  for (size_t slot = 0; slot < words.size(); ++slot) {
    SCOPED_TRACE(slot);
    EXPECT_EQ(bar->GetItemID(int(slot)), words[slot].first);
    CSnapButton* control = bar->GetControl(words[slot].first);
    ASSERT_NE(control, nullptr);
    CString label;
    control->GetWindowText(label);
    EXPECT_EQ(label, CString(words[slot].second));
    const bool checked = words[slot].first == 33016 || words[slot].first == 33025;
    EXPECT_EQ(control->GetCheck(), checked ? 1 : 0);
    // Controls sit in their slots; "All" is 10 wider, "Navigate" 30 further right and 10 wider.
    CRect slotRect, controlRect;
    bar->GetItemRect(int(slot), &slotRect);
    control->GetWindowRect(&controlRect);
    bar->ScreenToClient(&controlRect);
    const int dx = words[slot].first == 33027 ? 30 : 0;
    const int dw = words[slot].first == 33027 || words[slot].first == 33028 ? 10 : 0;
    EXPECT_EQ(controlRect.left, slotRect.left + dx);
    EXPECT_EQ(controlRect.Width(), slotRect.Width() + dw);
  }
  // Each switch toggles its bit and its box.
  for (const auto& [id, word] : words) {
    const UINT bit = CKXSnapBar::SnapBit(id);
    if (!bit) continue;
    const UINT before = gGetKXGlobal()->GetSnapFlag();
    Command(id);
    EXPECT_EQ(gGetKXGlobal()->GetSnapFlag(), before ^ bit) << id;
    EXPECT_EQ(bar->GetCheck(id), (before & bit) ? 0 : 1) << id;
  }
  // "All" with ten of eleven set sets the eleventh; again, it clears the eleven and nothing else.
  gGetKXGlobal()->SetSnapFlag(0xDFF & ~0x40u);
  Command(ID_SNAP_ALL);
  EXPECT_EQ(gGetKXGlobal()->GetSnapFlag(), 0xDFFu);
  for (const auto& [id, word] : words)
    if (CKXSnapBar::SnapBit(id)) {
      EXPECT_EQ(bar->GetCheck(id), 1) << id;
    }
  gGetKXGlobal()->SetSnapFlag(0xFFF);
  Command(ID_SNAP_ALL);
  EXPECT_EQ(gGetKXGlobal()->GetSnapFlag(), 0x200u);
  // "Navigate" flips the word; its box follows at the next update.
  Command(ID_SNAP_NAVIGATE);
  EXPECT_TRUE(gGetKXGlobal()->IsNavigation());
  EXPECT_EQ(bar->GetCheck(ID_SNAP_NAVIGATE), 0);
  frame->OnIdleUpdateCmdUI();
  EXPECT_EQ(bar->GetCheck(ID_SNAP_NAVIGATE), 1);
  // A click on a box sends its command to the frame.
  bar->GetControl(33017)->Click();
  EXPECT_EQ(gGetKXGlobal()->GetSnapFlag() & 0x2u, 0x2u);
  // The snap settings item shows and hides the bar.
  Command(ID_VIEW_SNAP_SETTINGS);
  EXPECT_TRUE(bar->IsWindowVisible());
  Command(ID_VIEW_SNAP_SETTINGS);
  EXPECT_FALSE(bar->IsWindowVisible());
}

TEST_F(FrameBarsTest, TheUnitMenuIsTheEighthPopupAndTheToolbarMenuTheSeventh) {
  gGetKXGlobal()->SetRulersShown(TRUE);
  gGetKXGlobal()->SetUnit(2);
  CUIToolBarMgr::SetDefaultLook(CUIToolBarMgr::kLookClassic);
  Start();
  CKxRuleBar* ruler = frame->GetRuler(true);
  ASSERT_TRUE(ruler && ruler->IsWindowVisible());
  backend.popupAnswer = ID_UNIT_CM;
  ContextMenuAt(*ruler, CPoint(40, 5));
  ASSERT_EQ(backend.popups.size(), 1u);
  const auto& units = backend.popups[0];
  ASSERT_EQ(units.size(), 4u);
  for (size_t i = 0; i < units.size(); ++i) {
    EXPECT_EQ(units[i].id, ID_UNIT_MM + i);
    EXPECT_EQ(units[i].checked, i == 2) << "the current unit is checked";
  }
  Pump();
  EXPECT_EQ(gGetKXGlobal()->GetUnit(), 1) << "the chosen unit is set";
  ContextMenuAt(*frame->GetRuler(false), CPoint(5, 40));
  ASSERT_EQ(backend.popups.size(), 2u);
  EXPECT_EQ(backend.popups[1][0].id, ID_UNIT_MM);

  // Elsewhere, in the classic look: every toolbar by title, ids from 5, checked when shown.
  backend.popupAnswer = ID_TOOLBAR_FIRST + 4;  // "Curve Bar"
  ContextMenuAt(*view, CPoint(100, 100));
  ASSERT_EQ(backend.popups.size(), 3u);
  const auto& bars = backend.popups[2];
  ASSERT_EQ(bars.size(), size_t(CMainFrame::kToolBarCount));
  for (size_t i = 0; i < bars.size(); ++i) {
    const CMainFrame::ToolBarSpec& s = CMainFrame::ToolBarSpecs()[i];
    EXPECT_EQ(bars[i].id, ID_TOOLBAR_FIRST + i);
    EXPECT_EQ(bars[i].text, s.title);
    EXPECT_EQ(bars[i].checked, frame->GetToolBar(s.id)->IsWindowVisible() != 0) << s.id;
  }
  ASSERT_TRUE(frame->GetToolBar(59398)->IsWindowVisible());
  Pump();
  EXPECT_FALSE(frame->GetToolBar(59398)->IsWindowVisible()) << "the chosen toolbar is hidden";
  EXPECT_EQ(Enabled(ID_VIEW_CURVE_BAR), 1);
  Command(ID_VIEW_CURVE_BAR);
  EXPECT_TRUE(frame->GetToolBar(59398)->IsWindowVisible());
}

TEST_F(FrameBarsTest, ARightClickOnARulerReachesTheFrameAsAContextMenu) {
  gGetKXGlobal()->SetRulersShown(TRUE);
  Start();
  CKxRuleBar* ruler = frame->GetRuler(false);
  ASSERT_TRUE(ruler && ruler->IsVisible());
  ruler->SendMessage(WM_RBUTTONUP, 0, LPARAM(50 << 16 | 5));
  ASSERT_EQ(backend.popups.size(), 1u);
  EXPECT_EQ(backend.popups[0].size(), 4u) << "the unit menu";
  EXPECT_EQ(backend.popups[0][0].id, ID_UNIT_MM);
}

TEST_F(FrameBarsTest, ThePanelLookOffersNoToolbarMenu) {
  Start();
  ContextMenuAt(*view, CPoint(100, 100));
  EXPECT_TRUE(backend.popups.empty());
  // The toolbar items only work in the classic look.
  const bool shown = frame->GetToolBar(59394)->IsWindowVisible();
  Command(ID_TOOLBAR_FIRST);
  EXPECT_EQ(frame->GetToolBar(59394)->IsWindowVisible() != 0, shown);
}

TEST_F(FrameBarsTest, RulersFollowTheirItemAndMessagesAndMarkTheCursor) {
  gGetKXGlobal()->SetRulersShown(FALSE);
  Start();
  CKxRuleBar* hor = frame->GetRuler(true);
  CKxRuleBar* ver = frame->GetRuler(false);
  ASSERT_TRUE(hor && ver);
  EXPECT_EQ(gGetHorRuleBar(), hor);
  EXPECT_EQ(hor->GetDlgCtrlID(), 30022u);
  EXPECT_EQ(ver->GetDlgCtrlID(), 30023u);
  EXPECT_FALSE(hor->IsWindowVisible());
  Command(ID_VIEW_RULERS);
  EXPECT_TRUE(gGetKXGlobal()->IsRulersShown());
  EXPECT_TRUE(hor->IsWindowVisible() && ver->IsWindowVisible());
  EXPECT_EQ(frame->SendMessage(WM_KX_HIDE_RULERS), 1);
  EXPECT_FALSE(hor->IsWindowVisible() || ver->IsWindowVisible());
  EXPECT_EQ(frame->SendMessage(WM_KX_SHOW_RULERS), 1);
  EXPECT_TRUE(hor->IsWindowVisible());
  // The view's cursor goes to both rulers, the horizontal one shifted by the frame's offset.
  view->SendMessage(WM_MOUSEMOVE, 0, LPARAM(70 << 16 | 50));
  EXPECT_EQ(hor->GetMousePos(), 50 + frame->GetRulerOffset());
  EXPECT_EQ(ver->GetMousePos(), 70);
  EXPECT_EQ(frame->GetRulerOffset(), CKxRuleBar::kThickness);
  double w = 0, h = 0;
  EXPECT_EQ(hor->GetPaperSize(&w, &h), hubGetPaperSize(w, h));
}

TEST_F(FrameBarsTest, BarLayoutIsSavedAtExitAndRestoredAtStart) {
  Start();
  CKxToolBar* align = frame->GetToolBar(59403);
  ASSERT_TRUE(align->IsWindowVisible());
  frame->ShowControlBar(align, FALSE, FALSE);
  frame->DockControlBar(frame->GetToolBar(59401), AFX_IDW_DOCKBAR_LEFT);
  Stop();
  Start();
  EXPECT_FALSE(frame->GetToolBar(59403)->IsWindowVisible()) << "the saved layout overrides the table";
  EXPECT_EQ(frame->GetToolBar(59401)->GetDockBarID(), UINT(AFX_IDW_DOCKBAR_LEFT));
}

TEST_F(FrameBarsTest, AColourChangeRecolorsTheSelectionUndoablyOrElseTheCurrentLayer) {
  Start();
  CKxTabWnd* tabs = frame->GetKxTabWnd();
  tabs->ResetLayers();
  gSetCurColor(RGB(10, 20, 30));
  EXPECT_EQ(frame->SendMessage(WM_KX_COLOR_CHANGE), 1);
  EXPECT_EQ(gGetDBase()->GetLayerAt(tabs->GetCurLayerIndex())->GetColor(), COLORREF(RGB(10, 20, 30)));
  EXPECT_EQ(frame->GetStatusBar()->GetColorButton()->GetColor(), COLORREF(RGB(10, 20, 30)));

  CDbCurve* line = Line(0, 0, 1, 1);
  line->SetColor(RGB(1, 1, 1));
  gGetDBase()->AddTail(line);
  gGetSelector()->Add(line);
  gSetCurColor(RGB(200, 0, 0));
  EXPECT_EQ(frame->SendMessage(WM_KX_COLOR_CHANGE), 1);
  EXPECT_EQ(line->GetColor(), COLORREF(RGB(200, 0, 0)));
  ASSERT_TRUE(gGetActManager()->Undo());
  EXPECT_EQ(line->GetColor(), COLORREF(RGB(1, 1, 1)));
  // A locked selection is left alone.
  line->SetLock(1);
  gGetSelector()->Add(line);
  EXPECT_EQ(frame->SendMessage(WM_KX_COLOR_CHANGE), 0);
  EXPECT_EQ(line->GetColor(), COLORREF(RGB(1, 1, 1)));
}

// A stand-in for the layer management command: records the sub-codes it starts with.
class CSubCodeCmd : public CCommand {
 public:
  explicit CSubCodeCmd(std::vector<int>* subs) : CCommand(1, L"Layer", 0), m_subs(subs) { SetID(ID_LAYER_CMD); }
  int HostType() const override { return kHostSelect; }
  int StartUp(int sub) override {
    m_subs->push_back(sub);
    CCommand::StartUp(sub);
    return 1;
  }

 private:
  std::vector<int>* m_subs;
};

TEST_F(FrameBarsTest, LayerItemsRunTheLayerCommandWithTheirSubCodes) {
  Start();
  std::vector<int> subs;
  ASSERT_TRUE(gGetOrdvale()->RegAppCmd(new CSubCodeCmd(&subs)));
  for (UINT id : {ID_LAYER_EDIT, ID_LAYER_ALL_ON, ID_LAYER_ONE_ON, ID_LAYER_ONE_OFF, ID_LAYER_CHANGE_OBJ,
                  ID_LAYER_OBJ_TO_CUR, ID_LAYER_SET_CUR})
    EXPECT_TRUE(Command(id)) << id;
  EXPECT_EQ(subs, (std::vector<int>{0, 1, 2, 3, 4, 5, 6}));
  // The strip's first three buttons go the same way.
  CKxWndTab* strip = frame->GetKxTabWnd()->GetTabStrip();
  strip->PressButton(CKxWndTab::kEditLayer);
  strip->PressButton(CKxWndTab::kAllLayerOn);
  strip->PressButton(CKxWndTab::kCurrentLayerOn);
  EXPECT_EQ(subs, (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 0, 1, 2}));
  // While a command runs, the path item's update disables the strip's buttons.
  Enabled(ID_VIEW_PATH);
  EXPECT_FALSE(strip->IsButtonEnabled(CKxWndTab::kNewLayer));
  gGetOrdvale()->CancelCurCmd();
  Enabled(ID_VIEW_PATH);
  EXPECT_TRUE(strip->IsButtonEnabled(CKxWndTab::kNewLayer));
}

TEST_F(FrameBarsTest, TheSplashShowsItsTextsAndClosesAfterTheMainWindowShows) {
  Start();
  CDlgSplash* splash = frame->GetSplash();
  ASSERT_NE(splash, nullptr);
  ASSERT_TRUE(splash->GetSafeHwnd());
  EXPECT_EQ(splash->GetText(), CString(L"Initialize the parameter of command ..."));
  EXPECT_FALSE(splash->IsWindowVisible()) << "the new document hid it";
  // The close timer was armed when the main window was shown.
  splash->SendMessage(WM_TIMER, CDlgSplash::kCloseTimer);
  EXPECT_EQ(splash->GetSafeHwnd(), nullptr);
  splash->SetText(L"ignored");
  EXPECT_EQ(splash->GetText(), CString(L"Initialize the parameter of command ..."));
}

}  // namespace
