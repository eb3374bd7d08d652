// The program's bar controls on a frame: the tab toolbar's pages and drag bar, the toolbar
// manager's looks and records, the rulers and the status bar's parts.
#include "platform/afx/DocView.h"
#include "platform/panlet/BarAccessors.h"
#include "platform/panlet/KXStatusBar.h"
#include "platform/panlet/KxToolBar.h"
#include "platform/panlet/RuleBar.h"
#include "platform/panlet/UIToolBarMgr.h"
#include "platform/panlet/WindowTip.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <vector>

namespace {

class CBarFrame : public CFrameWnd {};

std::vector<UINT> g_ran;
void Runner(UINT id) { g_ran.push_back(id); }
BOOL Paper(double* w, double* h) {
  *w = 210.0;
  *h = 297.0;
  return TRUE;
}

struct BarsTest : testing::Test {
  void SetUp() override {
    frame = new CBarFrame;
    ASSERT_TRUE(frame->Create(nullptr, L"Bars", 0, RECT{0, 0, 800, 600}, nullptr, 0));
    frame->ShowWindow(SW_SHOW);
    velmora::afx::RegisterToolBarResource(900, {1, 2, ID_SEPARATOR, 3});
    velmora::afx::RegisterToolBarResource(901, {4, 5});
    g_ran.clear();
  }
  void TearDown() override {
    bars.clear();
    frame->DestroyWindow();
    velmora::afx::RemoveToolBarResource(900);
    velmora::afx::RemoveToolBarResource(901);
  }
  template <class T>
  T* Keep(std::unique_ptr<T> bar) {
    T* raw = bar.get();
    bars.push_back(std::move(bar));
    return raw;
  }
  CBarFrame* frame = nullptr;
  std::vector<std::unique_ptr<CControlBar>> bars;
};

TEST_F(BarsTest, TabToolBarKeepsItsPagesAndRunsThePickedPagesCommand) {
  auto* tab = Keep(std::make_unique<CTabToolBar>());
  ASSERT_TRUE(tab->Create(frame, 1, 442));
  EXPECT_EQ(tab->GetTabTXTBottomMode(), 1);
  tab->SetMainCmdRunner(&Runner);
  EXPECT_EQ(tab->AddPage(L"File", 900, 118, 32853, 1), 0);
  EXPECT_EQ(tab->AddPage(L"Node", 901, 434, 32854, 1), 1);
  EXPECT_EQ(tab->AddPage(L"Missing", 999, 1, 1, 0), -1);
  ASSERT_EQ(tab->GetPageCount(), 2);
  EXPECT_EQ(tab->GetPage(0)->buttons, (std::vector<UINT>{1, 2, ID_SEPARATOR, 3}));
  EXPECT_TRUE(tab->SelectPage(1));
  EXPECT_TRUE(g_ran.empty()) << "selecting shows the page only";
  EXPECT_FALSE(tab->SelectPage(2));
  EXPECT_EQ(tab->GetCurPage(), 1);
  EXPECT_TRUE(tab->ClickPage(0));
  EXPECT_EQ(g_ran, (std::vector<UINT>{32853}));
  EXPECT_EQ(tab->GetCurPage(), 0);
  // The same by mouse: a click on the second tab.
  const CRect second = tab->GetTabRect(1);
  tab->SendMessage(WM_LBUTTONUP, 0, LPARAM((second.top + 2) << 16 | (second.left + 2)));
  EXPECT_EQ(tab->GetCurPage(), 1);
  EXPECT_EQ(g_ran, (std::vector<UINT>{32853, 32854}));
  EXPECT_EQ(tab->GetButtonRect(1).Width(), CToolBar::kButtonWidth);
  EXPECT_EQ(tab->GetButtonRect(2), CRect()) << "the page has two buttons";

  // The drag bar docks on the frame's top and can be hidden.
  EXPECT_FALSE(tab->DockDragBar(frame)) << "the frame allows no docking yet";
  frame->EnableDocking(CBRS_ALIGN_ANY);
  ASSERT_TRUE(tab->DockDragBar(frame));
  ASSERT_NE(tab->GetDragBar(), nullptr);
  EXPECT_EQ(tab->GetDragBar()->GetDockBarID(), UINT(AFX_IDW_DOCKBAR_TOP));
  EXPECT_TRUE(tab->GetDragBar()->IsVisible());
  tab->HideDragTBar();
  EXPECT_FALSE(tab->GetDragBar()->IsVisible());
}

TEST_F(BarsTest, ManagerShowsTheBarsOfTheLookItEnters) {
  CUIToolBarMgr mgr([] { return 77; });
  EXPECT_EQ(mgr.GetMainCmdID(), 77);
  EXPECT_TRUE(mgr.IsCurLook(CUIToolBarMgr::kLookPanel));
  EXPECT_FALSE(mgr.IsCurLook(CUIToolBarMgr::kLookClassic));
  EXPECT_FALSE(mgr.IsCurLook(CUIToolBarMgr::kLookIcons));
  auto* panel = Keep(std::make_unique<CKxToolBar>());
  auto* classicShown = Keep(std::make_unique<CKxToolBar>());
  auto* classicHidden = Keep(std::make_unique<CKxToolBar>());
  ASSERT_TRUE(panel->CreateKx(frame, 10));
  ASSERT_TRUE(classicShown->CreateKx(frame, 11));
  ASSERT_TRUE(classicHidden->CreateKx(frame, 12));
  EXPECT_EQ(panel->GetToolBarCtrlStyle(), CKxToolBar::kCtrlStyle);
  ASSERT_TRUE(classicShown->LoadToolBar(900, 600, 0));
  EXPECT_FALSE(classicHidden->LoadToolBar(999, 601, 0)) << "no such resource";
  EXPECT_FALSE(classicHidden->LoadToolBar(901, 0, 0)) << "no bitmap";
  mgr.Append({0, 0, 0, panel, CUIToolBarMgr::kLookPanel, 1, 0, 0, -1});
  mgr.Append({900, 600, 602, classicShown, CUIToolBarMgr::kLookClassic, 1, 1, 18, -1});
  mgr.Append({901, 601, 603, classicHidden, CUIToolBarMgr::kLookClassic, 0, 0, 18, -1});
  EXPECT_EQ(mgr.Find(classicShown), mgr.GetAt(1));
  EXPECT_EQ(mgr.GetAt(3), nullptr);

  struct Case {
    int look;
    bool panel, shown, hidden;
  };
  for (const Case& c : {Case{CUIToolBarMgr::kLookClassic, false, true, false},
                        Case{CUIToolBarMgr::kLookPanel, true, false, false},
                        Case{32, true, false, false}}) {
    mgr.ShowCurrentUI(c.look);
    EXPECT_EQ(panel->IsVisible() != 0, c.panel) << c.look;
    EXPECT_EQ(classicShown->IsVisible() != 0, c.shown) << c.look;
    EXPECT_EQ(classicHidden->IsVisible() != 0, c.hidden) << c.look;
  }
  // The icon look picks each bar's second image strip.
  mgr.SetIconLook(1);
  EXPECT_TRUE(mgr.IsCurLook(CUIToolBarMgr::kLookIcons));
  EXPECT_TRUE(mgr.UpdateBarUI(classicShown));
  EXPECT_EQ(classicShown->GetBitmapID(), 602u);
  CKxToolBar stranger;
  EXPECT_FALSE(mgr.UpdateBarUI(&stranger));
  EXPECT_FALSE(mgr.UpdateBarUI(nullptr));
}

TEST_F(BarsTest, RulersSitAlongTheirEdgesAndMarkTheCursor) {
  auto* hor = Keep(std::make_unique<CKxRuleBar>());
  auto* ver = Keep(std::make_unique<CKxRuleBar>());
  ASSERT_TRUE(hor->Create(frame, TRUE, CKxRuleBar::kHorizontalID, &Paper));
  ASSERT_TRUE(ver->Create(frame, FALSE, CKxRuleBar::kVerticalID, nullptr));
  frame->RecalcLayout();
  CRect rh, rv;
  hor->GetWindowRect(&rh);
  ver->GetWindowRect(&rv);
  frame->ScreenToClient(&rh);
  frame->ScreenToClient(&rv);
  EXPECT_EQ(rh, CRect(0, 0, 800, CKxRuleBar::kThickness));
  EXPECT_EQ(rv, CRect(0, CKxRuleBar::kThickness, CKxRuleBar::kThickness, 600));
  EXPECT_TRUE(hor->IsEnabled());
  hor->DrawMouse(123);
  EXPECT_EQ(hor->GetMousePos(), 123);
  double w = 0, h = 0;
  EXPECT_TRUE(hor->GetPaperSize(&w, &h));
  EXPECT_EQ(w, 210.0);
  EXPECT_FALSE(ver->GetPaperSize(&w, &h)) << "no getter";
  frame->ShowControlBar(hor, FALSE, FALSE);
  EXPECT_FALSE(hor->IsEnabled());
  CKxRuleBar orphan;
  EXPECT_FALSE(orphan.Create(nullptr, TRUE, 1, nullptr));
}

TEST_F(BarsTest, StatusBarHasItsPanesKeyInWindowAndColourButton) {
  auto* status = Keep(std::make_unique<CKXStatusBar>());
  ASSERT_TRUE(status->Create(frame));
  EXPECT_EQ(status->GetCount(), CKXStatusBar::kPanes);
  ASSERT_NE(status->GetKeyInWnd(), nullptr);
  ASSERT_NE(status->GetColorButton(), nullptr);
  status->GetColorButton()->SetColor(RGB(1, 2, 3));
  EXPECT_EQ(status->GetColorButton()->GetColor(), COLORREF(RGB(1, 2, 3)));
  gSetStatusBar(status);
  EXPECT_EQ(gGetStatusBar(), status);
  gSetStatusBar(nullptr);
  gSetCurColor(RGB(9, 9, 9));
  EXPECT_EQ(gGetCurColor(), COLORREF(RGB(9, 9, 9)));
  gSetCurColor(0);
}

TEST_F(BarsTest, TipWindowShowsItsTextAtTheOffsetFromThePoint) {
  CWindowTip tip;
  EXPECT_FALSE(tip.CreateTipWnd(nullptr));
  ASSERT_TRUE(tip.CreateTipWnd(frame));
  EXPECT_FALSE(tip.CreateTipWnd(frame)) << "made once";
  EXPECT_FALSE(tip.IsWindowVisible());
  tip.SetOffsetToShow(7, -7);
  tip.SetTipText(L"Distance: 1.000");
  tip.Show(CPoint(100, 200));
  EXPECT_TRUE(tip.IsWindowVisible());
  CRect r;
  tip.GetWindowRect(&r);
  frame->ScreenToClient(&r);
  EXPECT_EQ(r.left, 107);
  EXPECT_EQ(r.bottom, 193) << "above the point by the offset";
  EXPECT_GT(r.Width(), 15 * 5) << "as wide as the text";
  tip.Hide();
  EXPECT_FALSE(tip.IsWindowVisible());
}

}  // namespace

// Numbered ticks lie 1, 2 or 5 times a power of ten apart, the closest that keeps the numbers
// at least the minimum gap apart, whichever way the values run; unusable scales give none.
TEST(RulerScaleTest, MajorStepsAndTheirNumbers) {
  struct Case {
    double perPixel, step;
  };
  for (const Case c : {Case{1.0, 100.0}, Case{0.5, 50.0}, Case{0.2, 20.0}, Case{0.01, 1.0}, Case{0.0125, 1.0},
                       Case{0.02, 2.0}, Case{-0.5, 50.0}, Case{3.0, 200.0}, Case{1e-5, 1e-3}})
    EXPECT_NEAR(CKxRuleBar::MajorStep(c.perPixel), c.step, c.step * 1e-9) << c.perPixel;
  for (double bad : {0.0, std::nan(""), double(INFINITY), -double(INFINITY), 1e300})
    EXPECT_EQ(CKxRuleBar::MajorStep(bad), 0.0) << bad;
  EXPECT_EQ(CKxRuleBar::Label(-200.0, 100.0), CString(L"-200"));
  EXPECT_EQ(CKxRuleBar::Label(12.5, 0.5), CString(L"12.5"));
  EXPECT_EQ(CKxRuleBar::Label(0.02, 0.01), CString(L"0.02"));
  EXPECT_EQ(CKxRuleBar::Label(-1e-12, 0.5), CString(L"0.0"));
}
