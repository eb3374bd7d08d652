// The design-centre panel: its default and command pages, the notifications its pages hear,
// tab switching by click, and hiding and restoring around commands. Runs on the headless
// window layer.
#include "platform/afx/RecordingDC.h"
#include "platform/win/Messages.h"
#include "velmora/bramcourt/DesignCentral.h"

#include "tests/velmora/HeardPage.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using RecPage = HeardPage;

class DesignCentralTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(frame.Create(nullptr, L"frame", WS_VISIBLE, RECT{0, 0, 1000, 700}, nullptr, 0));
    ASSERT_TRUE(panel.CreateMe(&frame));
    for (RecPage* p : {&a, &b, &cmd1, &cmd2})
      ASSERT_TRUE(p->Create(nullptr, L"page", WS_CHILD, RECT{0, 0, 10, 10}, &panel, 0));
  }
  std::vector<CString> Titles() const {
    std::vector<CString> t;
    for (int i = 0; i < panel.GetPageCount(); ++i) t.push_back(panel.GetPage(i)->title);
    return t;
  }

  CWnd frame;
  CDesignCentral panel;
  RecPage a, b, cmd1, cmd2;
};

TEST(DesignCentralCreate, NeedsAParentWindow) {
  CDesignCentral panel;
  EXPECT_FALSE(panel.CreateMe(nullptr));
  CWnd noWindow;
  EXPECT_FALSE(panel.CreateMe(&noWindow));
  EXPECT_EQ(panel.GetSafeHwnd(), nullptr);
}

TEST_F(DesignCentralTest, SitsAlongTheRightEdgeOfItsParent) {
  CRect r;
  panel.GetWindowRect(&r);
  frame.ScreenToClient(&r);
  EXPECT_EQ(r, CRect(1000 - CDesignCentral::kDefaultWidth, 0, 1000, 700));
  EXPECT_TRUE(panel.IsWindowVisible());
  // After the frame grew, SetDCenterPos puts it back on the edge with the same width.
  frame.MoveWindow(0, 0, 1200, 800);
  panel.SetDCenterPos();
  panel.GetWindowRect(&r);
  frame.ScreenToClient(&r);
  EXPECT_EQ(r, CRect(1200 - CDesignCentral::kDefaultWidth, 0, 1200, 800));
}

TEST_F(DesignCentralTest, CommandPagesStandInFrontOfTheDefaultOnesUntilRecovered) {
  EXPECT_EQ(panel.GetCurPage(), nullptr);
  EXPECT_EQ(panel.AddPage(L"Work Area", &a), 0);
  EXPECT_EQ(panel.AddPage(L"Property", &b, 1), 1);
  EXPECT_EQ(panel.AddPage(L"Nothing", nullptr), -1);
  EXPECT_EQ(panel.GetCurPageIndex(), 0);
  ASSERT_TRUE(panel.SwitchTab(1));
  EXPECT_FALSE(panel.SwitchTab(2));
  EXPECT_TRUE(b.IsWindowVisible());
  EXPECT_FALSE(a.IsWindowVisible());

  // Loading without command pages changes nothing.
  panel.RemoveCommandAllPage();
  EXPECT_FALSE(panel.LoadCommandPage());
  EXPECT_FALSE(panel.IsCommandPageLoaded());

  EXPECT_EQ(panel.AddCommandPage(L"Edit Layer", &cmd1), 0);
  EXPECT_EQ(panel.AddCommandPage(L"Layer Select", &cmd2), 1);
  EXPECT_EQ(panel.AddCommandPage(L"null", nullptr), -1);
  // Added but not loaded: the default pages are still the ones shown.
  EXPECT_EQ(Titles(), (std::vector<CString>{L"Work Area", L"Property"}));
  ASSERT_TRUE(panel.LoadCommandPage());
  EXPECT_TRUE(panel.IsCommandPageLoaded());
  EXPECT_EQ(Titles(), (std::vector<CString>{L"Edit Layer", L"Layer Select"}));
  EXPECT_EQ(panel.GetCurPage()->wnd, &cmd1);
  EXPECT_EQ(panel.GetCurPage()->refresh, 0);
  EXPECT_TRUE(cmd1.IsWindowVisible());
  for (CWnd* w : {(CWnd*)&a, (CWnd*)&b, (CWnd*)&cmd2}) EXPECT_FALSE(w->IsWindowVisible());
  // The page covers the panel below the tabs.
  CRect pr;
  cmd1.GetWindowRect(&pr);
  panel.ScreenToClient(&pr);
  EXPECT_EQ(pr, panel.GetPageRect());
  EXPECT_EQ(pr.top, CDesignCentral::kTabHeight);

  // A new command empties the list first; loading again shows only its page.
  panel.RemoveCommandAllPage();
  EXPECT_EQ(panel.GetCurPage(), nullptr);
  panel.AddCommandPage(L"Layer Select", &cmd2);
  ASSERT_TRUE(panel.LoadCommandPage());
  EXPECT_EQ(Titles(), (std::vector<CString>{L"Layer Select"}));
  EXPECT_FALSE(cmd1.IsWindowVisible());
  EXPECT_TRUE(cmd2.IsWindowVisible());

  // Back to the default pages, with the one in front before the command in front again.
  panel.RecoverDefaultPage();
  EXPECT_FALSE(panel.IsCommandPageLoaded());
  EXPECT_EQ(Titles(), (std::vector<CString>{L"Work Area", L"Property"}));
  EXPECT_EQ(panel.GetCurPageIndex(), 1);
  EXPECT_TRUE(b.IsWindowVisible());
  EXPECT_FALSE(cmd2.IsWindowVisible());
  // Recovering twice is harmless.
  panel.RecoverDefaultPage();
  EXPECT_EQ(panel.GetCurPageIndex(), 1);
}

TEST_F(DesignCentralTest, ClickingATabBringsItsPageToFront) {
  panel.AddPage(L"Work Area", &a);
  panel.AddPage(L"Property", &b);
  const CRect t0 = panel.GetTabRect(0), t1 = panel.GetTabRect(1);
  EXPECT_EQ(t0.right, t1.left);
  EXPECT_GE(t1.Width(), CDesignCentral::kMinTabWidth);
  EXPECT_EQ(panel.GetTabRect(2), CRect(0, 0, 0, 0));
  panel.SendMessage(WM_LBUTTONDOWN, 0, LPARAM(MAKELONG(WORD(t1.left + 3), WORD(t1.top + 3))));
  EXPECT_EQ(panel.GetCurPageIndex(), 1);
  // A click beside the tabs changes nothing.
  panel.SendMessage(WM_LBUTTONDOWN, 0, LPARAM(MAKELONG(WORD(t1.right + 5), WORD(t1.top + 3))));
  EXPECT_EQ(panel.GetCurPageIndex(), 1);
  EXPECT_EQ(panel.HitTab(CPoint(t0.left + 1, t0.bottom + 1)), -1);
  panel.UpdateWindow();  // painting the tabs headless must not fail
}

// Empty, the panel says what comes there and how to bring it up, inside the page area; once
// a page is shown only the tabs are drawn, the page covers the rest.
TEST_F(DesignCentralTest, EmptyPanelSaysWhereItsPagesComeFrom) {
  auto texts = [&] {
    CRecordingDC dc;
    panel.Draw(&dc);
    std::vector<std::pair<CPoint, std::wstring>> out;
    for (const auto& call : dc.GetCalls())
      if (call.kind == CRecordingDC::Kind::TextOut) out.push_back({call.points[0], call.text});
    return out;
  };
  const auto hint = texts();
  ASSERT_EQ(hint.size(), 3u);
  for (size_t i = 0; i < hint.size(); ++i) {
    EXPECT_EQ(hint[i].second, CDesignCentral::kEmptyHint[i]);
    EXPECT_TRUE(panel.GetPageRect().PtInRect(hint[i].first));
    if (i > 0) {
      EXPECT_GT(hint[i].first.y, hint[i - 1].first.y);
    }
  }
  panel.AddCommandPage(L"Edit Layer", &cmd1);
  panel.LoadCommandPage();
  const auto tabs = texts();
  ASSERT_EQ(tabs.size(), 1u);
  EXPECT_EQ(tabs[0].second, L"Edit Layer");
  panel.RecoverDefaultPage();
  EXPECT_EQ(texts().size(), 3u);
}

TEST_F(DesignCentralTest, PagesHearTheNotifications) {
  panel.AddPage(L"Work Area", &a);
  panel.AddPage(L"Property", &b, 1);
  panel.AddCommandPage(L"Edit Layer", &cmd1);
  panel.UpdateState();  // only the page in front
  panel.SwitchSelChange();
  panel.UnitChanged();
  panel.UpdateWorkareaDlg();
  using N = CDesignCentral;
  EXPECT_EQ(a.heard, (std::vector<int>{N::kNotifyRefresh, N::kNotifySelChange, N::kNotifyUnit, N::kNotifyWorkArea}));
  EXPECT_EQ(b.heard, (std::vector<int>{N::kNotifySelChange, N::kNotifyUnit, N::kNotifyWorkArea}));
  EXPECT_EQ(cmd1.heard, b.heard);
  // A page whose window is gone is skipped, not called.
  b.DestroyWindow();
  panel.UnitChanged();
  EXPECT_EQ(b.heard.size(), 3u);
  EXPECT_EQ(a.heard.size(), 5u);
}

TEST_F(DesignCentralTest, RestoreGivesBackTheVisibilityBeforeTheFirstHideOrShow) {
  struct Case {
    bool visible;
    int calls;  // digits, first call first: 1 hide, 2 show
    bool during;
  };
  const Case cases[] = {
      {true, 1, false},   // the tip prompt hides the panel while it is open
      {false, 2, true},   // a layer page brings up a hidden panel
      {true, 2, true},    // ... or one already up
      {false, 21, false}, // shown, then hidden: restore still gives back "hidden"
      {true, 12, true},
  };
  for (const Case& c : cases) {
    panel.ShowWindow(c.visible ? SW_SHOW : SW_HIDE);
    for (int d : c.calls >= 10 ? std::vector<int>{c.calls / 10, c.calls % 10} : std::vector<int>{c.calls})
      d == 1 ? panel.HideDCenter() : panel.ShowDCenter();
    EXPECT_EQ(bool(panel.IsWindowVisible()), c.during) << c.calls;
    panel.RestoreDCenter();
    EXPECT_EQ(bool(panel.IsWindowVisible()), c.visible) << c.calls;
    // Nothing saved any more: a second restore leaves it alone.
    panel.ShowWindow(c.visible ? SW_HIDE : SW_SHOW);
    panel.RestoreDCenter();
    EXPECT_EQ(bool(panel.IsWindowVisible()), !c.visible) << c.calls;
  }
  // A minimised panel comes back up for a command's pages.
  panel.ShowWindow(SW_MINIMIZE);
  EXPECT_TRUE(panel.IsIconic());
  panel.ShowDCenter();
  EXPECT_FALSE(panel.IsIconic());
  EXPECT_TRUE(panel.IsWindowVisible());
}

TEST(DesignCentralAccessor, RegisteredPanelIsForgottenWhenDeleted) {
  auto* panel = new CDesignCentral;
  gSetDlgDesignCenter(panel);
  EXPECT_EQ(gGetDlgDesignCenter(), panel);
  delete panel;
  EXPECT_EQ(gGetDlgDesignCenter(), nullptr);
}

}  // namespace
