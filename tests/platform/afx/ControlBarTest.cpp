// Control bars on a frame: toolbar item geometry, docking rows, the frame's layout around the
// view, the bar state kept in the profile, static splitters and popup menus.
#include "AppFixture.h"

#include "platform/afx/ControlBar.h"
#include "platform/afx/Menu.h"
#include "platform/afx/SplitterWnd.h"
#include "platform/win/WindowBackend.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace apptest;

namespace {

// A window's rectangle in the frame's client coordinates.
CRect InFrame(CFrameWnd* frame, CWnd& w) {
  CRect r;
  w.GetWindowRect(&r);
  frame->ScreenToClient(&r);
  return r;
}

long Area(const CRect& r) { return long(r.Width()) * r.Height(); }

bool Overlap(const CRect& a, const CRect& b) {
  return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom && Area(a) > 0 && Area(b) > 0;
}

struct ControlBarTest : AppTest {
  void SetUp() override {
    RegisterResources();
    StartNew();
    ASSERT_NE(Frame(), nullptr);
    Frame()->MoveWindow(0, 0, 800, 600);
  }
  CToolBar* MakeToolBar(UINT id, std::vector<UINT> buttons, DWORD align = CBRS_TOP) {
    auto bar = std::make_unique<CToolBar>();
    EXPECT_TRUE(bar->Create(Frame(), WS_CHILD | WS_VISIBLE | align, id));
    EXPECT_TRUE(bar->SetButtons(buttons.data(), int(buttons.size())));
    bars.push_back(std::move(bar));
    return static_cast<CToolBar*>(bars.back().get());
  }
  std::vector<std::unique_ptr<CControlBar>> bars;
};

TEST_F(ControlBarTest, ToolBarItemsFollowEachOtherWithSeparatorsOfTheirWidth) {
  CToolBar* bar = MakeToolBar(100, {1, 2, ID_SEPARATOR, 3});
  bar->SetButtonInfo(3, 3, TBBS_SEPARATOR, 40);
  struct Case {
    int index;
    int left, right;
  };
  const int b = CToolBar::kBorder, w = CToolBar::kButtonWidth, s = CToolBar::kSeparatorWidth;
  for (const Case& c : {Case{0, b, b + w}, Case{1, b + w, b + 2 * w}, Case{2, b + 2 * w, b + 2 * w + s},
                        Case{3, b + 2 * w + s, b + 2 * w + s + 40}}) {
    CRect r;
    bar->GetItemRect(c.index, &r);
    EXPECT_EQ(r.left, c.left) << c.index;
    EXPECT_EQ(r.right, c.right) << c.index;
    EXPECT_EQ(r.Height(), CToolBar::kButtonHeight);
  }
  UINT id, style;
  int image;
  bar->GetButtonInfo(3, id, style, image);
  EXPECT_EQ(style, TBBS_SEPARATOR);
  EXPECT_EQ(image, 40);
  EXPECT_EQ(bar->CommandToIndex(2), 1);
  EXPECT_EQ(bar->CommandToIndex(99), -1);
  // The bar is as long as its items plus the borders.
  EXPECT_EQ(bar->CalcFixedLayout(FALSE, TRUE).cx, 2 * b + 2 * w + s + 40);
  CRect outside;
  bar->GetItemRect(4, &outside);
  EXPECT_EQ(Area(outside), 0);
  EXPECT_FALSE(bar->SetButtons(nullptr, -1));
  EXPECT_FALSE(bar->LoadToolBar(4242));
}

TEST_F(ControlBarTest, DockedRowsAndLooseBarsTileTheClientAreaAroundTheView) {
  CFrameWnd* frame = Frame();
  auto status = std::make_unique<CStatusBar>();
  ASSERT_TRUE(status->Create(frame));
  const UINT panes[2] = {ID_SEPARATOR, ID_SEPARATOR};
  ASSERT_TRUE(status->SetIndicators(panes, 2));
  frame->EnableDocking(CBRS_ALIGN_ANY);
  CToolBar* a = MakeToolBar(201, {1, 2, 3});
  CToolBar* b = MakeToolBar(202, {4, 5});
  CToolBar* c = MakeToolBar(203, {6}, CBRS_LEFT);
  CToolBar* d = MakeToolBar(204, {7, 8}, CBRS_BOTTOM);
  for (CToolBar* bar : {a, b, c, d}) bar->EnableDocking(CBRS_ALIGN_ANY);
  ASSERT_TRUE(frame->DockControlBar(a));
  ASSERT_TRUE(frame->DockControlBar(c));
  ASSERT_TRUE(frame->DockControlBar(d));
  frame->RecalcLayout();
  // b joins a's row, right of it, when docked at a's rectangle moved a little.
  CRect at;
  a->GetWindowRect(&at);
  at.left += 3, at.right += 3;
  ASSERT_TRUE(frame->DockControlBar(b, AFX_IDW_DOCKBAR_TOP, &at));
  frame->RecalcLayout();

  EXPECT_EQ(a->GetDockBarID(), UINT(AFX_IDW_DOCKBAR_TOP));
  EXPECT_EQ(c->GetDockBarID(), UINT(AFX_IDW_DOCKBAR_LEFT));
  EXPECT_EQ(d->GetDockBarID(), UINT(AFX_IDW_DOCKBAR_BOTTOM));
  const CRect ra = InFrame(frame, *a), rb = InFrame(frame, *b), rc = InFrame(frame, *c), rd = InFrame(frame, *d);
  const CRect rs = InFrame(frame, *status), rv = InFrame(frame, *View());
  EXPECT_EQ(ra.top, 0);
  EXPECT_EQ(rb.top, ra.top) << "one row";
  EXPECT_EQ(rb.left, ra.right);
  // The status bar was made before docking: it lies outside the bottom dock bar.
  EXPECT_EQ(rs.bottom, 600);
  EXPECT_EQ(rd.bottom, rs.top);
  EXPECT_EQ(rc.left, 0);
  EXPECT_EQ(rc.top, ra.bottom);
  // The view takes exactly what is left, and nothing overlaps.
  EXPECT_EQ(rv, CRect(rc.right, ra.bottom, 800, rd.top));
  const std::vector<CRect> all = {ra, rb, rc, rd, rs, rv};
  for (size_t i = 0; i < all.size(); ++i)
    for (size_t j = i + 1; j < all.size(); ++j) EXPECT_FALSE(Overlap(all[i], all[j])) << i << " " << j;

  // Hiding a bar gives its room back to the view.
  frame->ShowControlBar(c, FALSE, FALSE);
  EXPECT_EQ(InFrame(frame, *View()).left, 0);
  EXPECT_EQ(frame->GetControlBar(203), c);
}

TEST_F(ControlBarTest, ABarDocksOnlyWhereBothItAndTheFrameAllow) {
  CFrameWnd* frame = Frame();
  CToolBar* bar = MakeToolBar(301, {1});
  EXPECT_FALSE(frame->DockControlBar(bar)) << "the frame allows no side yet";
  frame->EnableDocking(CBRS_ALIGN_TOP | CBRS_ALIGN_RIGHT);
  bar->EnableDocking(CBRS_ALIGN_RIGHT);
  EXPECT_FALSE(frame->DockControlBar(bar, AFX_IDW_DOCKBAR_TOP));
  EXPECT_FALSE(frame->DockControlBar(bar, AFX_IDW_DOCKBAR_LEFT));
  // Without a side named, the first allowed one is taken, whatever the bar's own alignment.
  ASSERT_TRUE(frame->DockControlBar(bar));
  EXPECT_EQ(bar->GetDockBarID(), UINT(AFX_IDW_DOCKBAR_RIGHT));
  EXPECT_EQ(bar->GetBarStyle() & CBRS_ALIGN_ANY, CBRS_ALIGN_RIGHT);
  EXPECT_FALSE(frame->DockControlBar(nullptr));
}

TEST_F(ControlBarTest, BarStateRoundTripsThroughTheProfileAndHostileEntriesAreIgnored) {
  CFrameWnd* frame = Frame();
  frame->EnableDocking(CBRS_ALIGN_ANY);
  CToolBar* a = MakeToolBar(401, {1, 2});
  CToolBar* b = MakeToolBar(402, {3});
  a->EnableDocking(CBRS_ALIGN_ANY);
  b->EnableDocking(CBRS_ALIGN_TOP);
  frame->DockControlBar(a);
  frame->DockControlBar(b);
  EXPECT_FALSE(frame->LoadBarState(L"Bars")) << "nothing saved yet";

  frame->DockControlBar(a, AFX_IDW_DOCKBAR_LEFT);
  frame->ShowControlBar(b, FALSE, FALSE);
  const CRect savedA = InFrame(frame, *a);
  frame->SaveBarState(L"Bars");

  frame->DockControlBar(a, AFX_IDW_DOCKBAR_BOTTOM);
  frame->ShowControlBar(b, TRUE, FALSE);
  ASSERT_TRUE(frame->LoadBarState(L"Bars"));
  EXPECT_EQ(a->GetDockBarID(), UINT(AFX_IDW_DOCKBAR_LEFT));
  EXPECT_FALSE(b->IsWindowVisible());
  EXPECT_EQ(InFrame(frame, *a), savedA);

  // A hand-edited profile: a side the bar may not take, a row far away, garbage.
  app->WriteProfileString(L"Bars", L"Bar402", L"1,59420,100000,-5");
  app->WriteProfileString(L"Bars", L"Bar401", L"garbage");
  app->WriteProfileString(L"Bars", L"Layout", L"ZZ");
  ASSERT_TRUE(frame->LoadBarState(L"Bars"));
  EXPECT_EQ(b->GetDockBarID(), UINT(AFX_IDW_DOCKBAR_TOP)) << "bottom is not allowed for it";
  EXPECT_TRUE(b->IsWindowVisible());
  EXPECT_EQ(a->GetDockBarID(), UINT(AFX_IDW_DOCKBAR_LEFT)) << "an unreadable entry changes nothing";
  const CRect rb = InFrame(frame, *b);
  EXPECT_GE(rb.top, 0);
  EXPECT_LT(rb.bottom, 600);
}

TEST_F(ControlBarTest, AClickOnAButtonSendsItsCommandToTheFrame) {
  CToolBar* bar = MakeToolBar(501, {kFrameCmd, ID_SEPARATOR, kOrphanCmd});
  g_log.clear();
  CRect r;
  bar->GetItemRect(0, &r);
  bar->SendMessage(WM_LBUTTONUP, 0, LPARAM((r.top + 3) << 16 | (r.left + 3)));
  EXPECT_EQ(g_log, (std::vector<std::string>{"frame"}));
  bar->GetItemRect(1, &r);
  EXPECT_EQ(bar->HitTest(CPoint(r.left + 1, r.top + 1)), -1) << "separators are no buttons";
  bar->SendMessage(WM_LBUTTONUP, 0, LPARAM((r.top + 3) << 16 | (r.left + 3)));
  EXPECT_EQ(g_log.size(), 1u);
}

TEST_F(ControlBarTest, StatusBarPanesTakeTextByIndex) {
  CStatusBar bar;
  ASSERT_TRUE(bar.Create(Frame()));
  const UINT panes[3] = {ID_SEPARATOR, ID_SEPARATOR, ID_SEPARATOR};
  ASSERT_TRUE(bar.SetIndicators(panes, 3));
  EXPECT_TRUE(bar.SetPaneText(1, L"(1, 2) mm"));
  EXPECT_EQ(bar.GetPaneText(1), CString(L"(1, 2) mm"));
  EXPECT_FALSE(bar.SetPaneText(3, L"x"));
  EXPECT_FALSE(bar.SetPaneText(-1, L"x"));
  EXPECT_TRUE(bar.GetPaneText(7).IsEmpty());
  // The first pane stretches, the others keep their width at the right.
  bar.MoveWindow(0, 0, 700, CStatusBar::kHeight);
  EXPECT_EQ(bar.GetPaneRect(0), CRect(0, 0, 700 - 2 * CStatusBar::kPaneWidth, CStatusBar::kHeight));
  EXPECT_EQ(bar.GetPaneRect(2).right, 700);
  EXPECT_EQ(bar.GetPaneRect(3), CRect());
  EXPECT_FALSE(bar.SetIndicators(nullptr, 2));
}

}  // namespace

// A splitter pane that is a plain window, to watch placement.
class CPaneWnd : public CWnd {
  DECLARE_DYNCREATE(CPaneWnd)
};
IMPLEMENT_DYNCREATE(CPaneWnd, CWnd)

namespace {

TEST_F(ControlBarTest, StaticSplitterKeepsInitialSizesAndTheLastPaneTakesTheRest) {
  CSplitterWnd splitter;
  EXPECT_FALSE(splitter.CreateStatic(Frame(), 0, 1));
  EXPECT_FALSE(splitter.CreateStatic(Frame(), 17, 1));
  CWnd host;
  ASSERT_TRUE(host.Create(nullptr, L"", WS_CHILD | WS_VISIBLE, RECT{0, 0, 300, 200}, Frame(), 77));
  ASSERT_TRUE(splitter.CreateStatic(&host, 2, 1, WS_CHILD | WS_VISIBLE, 88));
  ASSERT_TRUE(splitter.CreateView(0, 0, RUNTIME_CLASS(CPaneWnd), CSize(300, 150), nullptr));
  ASSERT_TRUE(splitter.CreateView(1, 0, RUNTIME_CLASS(CPaneWnd), CSize(300, 10), nullptr));
  EXPECT_FALSE(splitter.CreateView(1, 0, RUNTIME_CLASS(CPaneWnd), CSize(1, 1), nullptr)) << "pane taken";
  EXPECT_FALSE(splitter.CreateView(2, 0, RUNTIME_CLASS(CPaneWnd), CSize(1, 1), nullptr));
  EXPECT_EQ(splitter.GetPane(1, 0)->GetDlgCtrlID(), UINT(splitter.IdFromRowCol(1, 0)));
  splitter.MoveWindow(0, 0, 300, 200);
  CWnd* top = splitter.GetPane(0, 0);
  CWnd* bottom = splitter.GetPane(1, 0);
  CRect rt, rb;
  top->GetWindowRect(&rt);
  bottom->GetWindowRect(&rb);
  EXPECT_EQ(rt.Height(), 150);
  EXPECT_EQ(rb.top, rt.bottom);
  EXPECT_EQ(rb.Height(), 200 - 2 * splitter.m_cyBorder - 150);
  EXPECT_EQ(rt.Width(), 300 - 2 * splitter.m_cxBorder);
  // The panes go with the splitter.
  const HWND pane = top->GetSafeHwnd();
  splitter.DestroyWindow();
  EXPECT_EQ(CWnd::FromHandle(pane), nullptr);
  host.DestroyWindow();
}

// A backend whose popup menus answer with a scripted command, recording the items offered.
class PopupBackend : public velmora::win::HeadlessBackend {
 public:
  UINT answer = 0;
  std::vector<UINT> offered;
  UINT TrackPopupMenu(HMENU menu, int, int, HWND) override {
    offered.clear();
    for (int i = 0; i < GetMenuItemCount(menu); ++i) offered.push_back(GetMenuItemID(menu, i));
    return answer;
  }
};

TEST(PopupMenuTest, TheChosenCommandIsPostedOrReturned) {
  PopupBackend backend;
  velmora::win::WindowBackend* previous = velmora::win::SetWindowBackend(&backend);
  {
    CWnd owner;
    ASSERT_TRUE(owner.Create(nullptr, L"", 0, RECT{0, 0, 10, 10}, nullptr, 0));
    CMenu popup;
    ASSERT_TRUE(popup.CreatePopupMenu());
    popup.AppendMenu(MF_STRING, 190, L"mm");
    popup.AppendMenu(MF_STRING, 191, L"cm");
    backend.answer = 191;
    EXPECT_EQ(::TrackPopupMenu(popup.GetSafeHmenu(), TPM_RETURNCMD, 0, 0, 0, owner.GetSafeHwnd(), nullptr), 191);
    EXPECT_EQ(backend.offered, (std::vector<UINT>{190, 191}));
    EXPECT_EQ(GetQueuedMessageCount(), 0);
    EXPECT_TRUE(popup.TrackPopupMenu(TPM_LEFTALIGN, 0, 0, &owner));
    MSG msg;
    ASSERT_TRUE(PeekMessageW(&msg, owner.GetSafeHwnd(), WM_COMMAND, WM_COMMAND, PM_REMOVE));
    EXPECT_EQ(msg.wParam, WPARAM(191));
    backend.answer = 0;
    EXPECT_FALSE(popup.TrackPopupMenu(TPM_LEFTALIGN, 0, 0, &owner));
    EXPECT_FALSE(popup.TrackPopupMenu(TPM_LEFTALIGN, 0, 0, nullptr));
    owner.DestroyWindow();
  }
  velmora::win::SetWindowBackend(previous);
}

}  // namespace
