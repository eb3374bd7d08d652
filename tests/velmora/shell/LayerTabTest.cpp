// The layer tab strip under the view and the splitter's layer access: tab geometry drawn through
// a recording device context, scrolling, the accessor table on a drawing whose layer ids differ
// from their indexes, deleting with undo, switching layers by clicking a tab.
#include "ShellFixture.h"

#include <algorithm>

#include "db/Action.h"
#include "platform/afx/Archive.h"
#include "platform/afx/MemFile.h"
#include "platform/afx/RecordingDC.h"
#include "platform/panlet/BarAccessors.h"
#include "velmora/shell/KxTabWnd.h"

namespace {

struct LayerTabTest : ShellTest {
  void SetUp() override {
    ShellTest::SetUp();
    Start();
    ASSERT_TRUE(started);
    tabs = frame->GetKxTabWnd();
    ASSERT_NE(tabs, nullptr);
    db = gGetDBase();
    // What the layer command does when the document's layers change.
    tabs->ResetLayers();
  }
  // Layers named as given (the first renamed from "Page1").
  void MakeLayers(std::initializer_list<const wchar_t*> names) {
    int i = 0;
    for (const wchar_t* name : names) {
      if (i >= tabs->GetLayerCount()) {
        ASSERT_GE(tabs->AddLayer(L""), 0);
      }
      ASSERT_EQ(tabs->RenameLayer(i, name), i);
      ++i;
    }
  }
  CDbEntity* OnLayer(int index) {
    CDbCurve* line = Line(index, 0, index + 1, 1);
    line->SetLayerID(db->GetLayerIDByIndex(index));
    db->AddTail(line);
    return line;
  }
  std::vector<CString> LayerNames() const {
    std::vector<CString> out;
    for (int i = 0; i < db->GetLayerCount(); ++i) out.push_back(db->GetLayerAt(i)->GetName());
    return out;
  }
  CKxTabWnd* tabs = nullptr;
  CDBase* db = nullptr;
};

TEST_F(LayerTabTest, TabsAreSlantedPolylinesPlacedAfterTheButtonsWithTheirNames) {
  MakeLayers({L"A", L"Layer two", L"Cut"});
  CKxWndTab* strip = tabs->GetTabStrip();
  ASSERT_NE(strip, nullptr);
  CRecordingDC dc;
  strip->Draw(&dc);
  // Tab widths: text width plus both margins, as the device measures.
  const int cw = 7;  // the recording context's character width
  const std::vector<int> widths = {1 * cw + 6, 9 * cw + 6, 3 * cw + 6};
  EXPECT_EQ(strip->GetTabWidths(), widths);

  const int h = strip->GetLayoutHeight() - 1, e = h / 2;
  std::vector<std::vector<CPoint>> expected;
  int x = CKxWndTab::kButtonAreaWidth;
  for (size_t i = 0; i < widths.size(); ++i) {
    const int w = widths[i];
    const bool last = i + 1 == widths.size();
    expected.push_back({CPoint(x, 0), CPoint(x + e, h), CPoint(x + e + w, h),
                        last ? CPoint(x + 2 * e + w, 0) : CPoint(x + e + w + e / 2, e)});
    x += e + w;
  }
  std::vector<std::vector<CPoint>> tabsDrawn;
  std::vector<std::pair<CPoint, std::wstring>> texts;
  for (const auto& call : dc.GetCalls()) {
    if (call.kind == CRecordingDC::Kind::Polyline && call.points.size() == 4) tabsDrawn.push_back(call.points);
    if (call.kind == CRecordingDC::Kind::TextOut) texts.push_back({call.points[0], call.text});
  }
  EXPECT_EQ(tabsDrawn, expected);
  ASSERT_EQ(texts.size(), 3u);
  EXPECT_EQ(texts[1].first, CPoint(expected[1][0].x + e + CKxWndTab::kTextMargin, 1));
  EXPECT_EQ(texts[1].second, L"Layer two");
  // The current tab (the first, after the reset) is filled.
  size_t fills = 0;
  for (const auto& call : dc.GetCalls())
    if (call.kind == CRecordingDC::Kind::FillSolidRect && call.points[0].x == expected[0][0].x + e) ++fills;
  EXPECT_EQ(fills, 1u);
  // The top line runs across the strip first.
  const auto& calls = dc.GetCalls();
  const auto firstLine = std::find_if(calls.begin(), calls.end(),
                                      [](const CRecordingDC::Call& c) { return c.kind == CRecordingDC::Kind::LineTo; });
  ASSERT_NE(firstLine, calls.end());
  EXPECT_EQ(firstLine->points[0], CPoint(0, 0));
  EXPECT_EQ(firstLine->points[1].y, 0);
  EXPECT_LT(firstLine - calls.begin(), 3);
}

TEST_F(LayerTabTest, ScrollingMovesByThirtyPixelsWhileTheTabsOverflowAndHidesTabsBehindTheButtons) {
  CKxWndTab* strip = tabs->GetTabStrip();
  for (int i = 0; i < 12; ++i) ASSERT_GE(tabs->AddLayer(L""), 0);
  // A narrow strip: 200 pixels, so 72 of them show tabs.
  strip->MoveWindow(0, 0, 200, 15);
  CRecordingDC dc;
  strip->Draw(&dc);
  const int e = (strip->GetLayoutHeight() - 1) / 2;
  int total = 0;
  for (int w : strip->GetTabWidths()) total += w + e;
  EXPECT_FALSE(strip->CanScrollRight());
  int steps = 0;
  while (strip->CanScrollLeft() && steps < 100) {
    strip->PressButton(CKxWndTab::kMoveLeft);
    ++steps;
    EXPECT_EQ(strip->GetScrollOffset(), 30 * steps);
  }
  // Independent count: scroll while what lies right of the offset exceeds the visible width.
  int expectedSteps = 0;
  while (total - 30 * expectedSteps > 200 - CKxWndTab::kButtonAreaWidth) ++expectedSteps;
  EXPECT_EQ(steps, expectedSteps);
  strip->PressButton(CKxWndTab::kMoveLeft);
  EXPECT_EQ(strip->GetScrollOffset(), 30 * steps) << "no further";

  // Tabs scrolled under the buttons are not drawn.
  dc.ClearCalls();
  strip->Draw(&dc);
  size_t drawn = 0;
  for (int i = 0; i < tabs->GetLayerCount(); ++i)
    if (strip->TabStart(i) + e + strip->GetTabWidths()[size_t(i)] + e / 2 > CKxWndTab::kButtonAreaWidth) ++drawn;
  EXPECT_EQ(dc.Count(CRecordingDC::Kind::TextOut), drawn);
  EXPECT_LT(drawn, size_t(tabs->GetLayerCount()));

  while (strip->CanScrollRight()) strip->PressButton(CKxWndTab::kMoveRight);
  EXPECT_EQ(strip->GetScrollOffset(), 0);
}

TEST_F(LayerTabTest, AccessorsRefuseIndexesOutsideTheListAndLeaveTheLayerAlone) {
  MakeLayers({L"A", L"B", L"C"});
  CLayer probe(L"probe");
  probe.SetColor(0x123456);
  const int count = tabs->GetLayerCount();
  for (int bad : {-1, count, count + 5}) {
    EXPECT_EQ(tabs->GetLayerAt(bad, probe), -1) << bad;
    EXPECT_EQ(tabs->SetLayerAt(bad, probe), -1) << bad;
    EXPECT_EQ(tabs->SetCurLayer(bad), -1) << bad;
    EXPECT_EQ(tabs->RenameLayer(bad, L"fresh"), -1) << bad;
  }
  EXPECT_EQ(probe.GetName(), CString(L"probe"));
  EXPECT_EQ(probe.GetColor(), 0x123456u);

  // Reading copies lock, visibility, colour and name; writing copies them back and renames the tab.
  CLayer in;
  in.SetName(L"Engrave");
  in.SetColor(RGB(255, 0, 0));
  in.SetLock(1);
  in.SetVisible();
  ASSERT_EQ(tabs->SetLayerAt(1, in), 1);
  CLayer out;
  ASSERT_EQ(tabs->GetLayerAt(1, out), 1);
  EXPECT_EQ(out.GetName(), CString(L"Engrave"));
  EXPECT_EQ(out.GetColor(), COLORREF(RGB(255, 0, 0)));
  EXPECT_EQ(out.IsLocked(), 1);
  EXPECT_EQ(out.IsVisible(), 1);
  EXPECT_EQ(tabs->GetTabNames()[1], CString(L"Engrave"));
  // A name another layer has is refused; nothing changes.
  EXPECT_EQ(tabs->RenameLayer(0, L"Engrave"), -2);
  EXPECT_EQ(LayerNames(), (std::vector<CString>{L"A", L"Engrave", L"C"}));
}

TEST_F(LayerTabTest, NewLayersTakeTheSmallestFreePageNumberAndStartHidden) {
  ASSERT_EQ(db->GetLayerAt(0)->GetName(), CString(L"Page1"));
  ASSERT_EQ(tabs->AddLayer(L""), 1);
  ASSERT_EQ(tabs->RenameLayer(1, L"Page3"), 1);
  EXPECT_EQ(tabs->RenameLayer(1, L"Page3"), -2) << "a layer of that name exists, even itself";
  EXPECT_EQ(tabs->AddLayer(L"ignored"), 2);
  EXPECT_EQ(tabs->AddLayer(L""), 3);
  EXPECT_EQ(LayerNames(), (std::vector<CString>{L"Page1", L"Page3", L"Page2", L"Page4"}));
  EXPECT_EQ(tabs->GetTabNames().size(), 4u);
  const CLayer* added = db->GetLayerAt(2);
  EXPECT_EQ(added->IsVisible(), 0);
  EXPECT_EQ(added->IsLocked(), 0);
  EXPECT_EQ(added->GetColor(), 0u);
  // Ids are new ones, never an index.
  EXPECT_NE(db->GetLayerAt(3)->GetID(), db->GetLayerAt(2)->GetID());
}

TEST_F(LayerTabTest, MakingALayerCurrentShowsOnlyItInCurrentLayerOnlyMode) {
  MakeLayers({L"A", L"B", L"C"});
  for (int i = 0; i < 3; ++i) db->GetLayerAt(i)->SetVisible();
  db->GetLayerAt(2)->SetLock(1);
  db->GetLayerAt(2)->SetColor(RGB(0, 0, 255));
  ASSERT_EQ(tabs->SetCurLayer(2), 2);
  EXPECT_EQ(tabs->GetCurLayerIndex(), 2);
  EXPECT_EQ(gGetKXGlobal()->GetCurrentLayerID(), db->GetLayerIDByIndex(2));
  EXPECT_EQ(db->GetLayerAt(2)->IsLocked(), 0);
  EXPECT_EQ((std::vector<int>{db->GetLayerAt(0)->IsVisible(), db->GetLayerAt(1)->IsVisible(), db->GetLayerAt(2)->IsVisible()}),
            (std::vector<int>{0, 0, 1}));
  EXPECT_EQ(gGetStatusBar()->GetColorButton()->GetColor(), COLORREF(RGB(0, 0, 255)));

  tabs->SetCurLayerOnly(0);
  ASSERT_EQ(tabs->SetCurLayer(0), 0);
  EXPECT_EQ(db->GetLayerAt(2)->IsVisible(), 1) << "all-layers mode leaves the others shown";
  tabs->SetCurLayerOnly(5);
  EXPECT_EQ(tabs->IsCurLayerOnly(), 0) << "only 1 switches the mode on";
}

TEST_F(LayerTabTest, DeletingRefusesTheLastLayerAndBadIndexesWithTheirCodes) {
  ASSERT_EQ(tabs->GetLayerCount(), 1);
  EXPECT_EQ(tabs->DeleteLayer(0), -1);
  EXPECT_EQ(tabs->GetErrorCode(), int(CKxTabWnd::kLastLayer));
  MakeLayers({L"A", L"B"});
  EXPECT_EQ(tabs->DeleteLayer(2), -1);
  EXPECT_EQ(tabs->GetErrorCode(), int(CKxTabWnd::kBadIndex));
  EXPECT_EQ(tabs->DeleteLayer(-1), -1);
  EXPECT_EQ(tabs->GetLayerCount(), 2);
}

TEST_F(LayerTabTest, DeletingTheCurrentLayerMakesItsNeighbourCurrentAndUndoBringsEverythingBack) {
  struct Case {
    int layers;
    int deleted;        // also the current layer
    int expectCurrent;  // index after the deletion
    const wchar_t* currentName;
  };
  // Deleting the first of two makes the layer that followed current (index 0), never index 1.
  for (const Case& c : {Case{2, 0, 0, L"L1"}, Case{3, 1, 0, L"L0"}, Case{3, 2, 1, L"L1"}}) {
    SCOPED_TRACE(c.deleted);
    while (tabs->GetLayerCount() > 1) ASSERT_GE(tabs->DeleteLayer(tabs->GetLayerCount() - 1), 0);
    db->DeleteAllEntity();
    for (int i = 0; i < c.layers; ++i) {
      if (i >= tabs->GetLayerCount()) tabs->AddLayer(L"");
      tabs->RenameLayer(i, CString((L"L" + std::to_wstring(i)).c_str()));
    }
    CDbEntity* kept = OnLayer((c.deleted + 1) % c.layers);
    CDbEntity* gone1 = OnLayer(c.deleted);
    CDbEntity* gone2 = OnLayer(c.deleted);
    const int deletedId = db->GetLayerIDByIndex(c.deleted);
    ASSERT_EQ(tabs->SetCurLayer(c.deleted), c.deleted);

    ASSERT_EQ(tabs->DeleteLayer(c.deleted), c.deleted);
    EXPECT_EQ(tabs->GetLayerCount(), c.layers - 1);
    EXPECT_EQ(tabs->GetCurLayerIndex(), c.expectCurrent);
    EXPECT_LT(tabs->GetCurLayerIndex(), tabs->GetLayerCount());
    EXPECT_EQ(db->GetLayerAt(tabs->GetCurLayerIndex())->GetName(), CString(c.currentName));
    EXPECT_EQ(db->GetLayerIndexByID(deletedId), -1);
    EXPECT_EQ(tabs->GetTabNames().size(), size_t(c.layers - 1));
    EXPECT_TRUE(db->Contains(kept));
    EXPECT_FALSE(db->Contains(gone1));
    EXPECT_FALSE(db->Contains(gone2));

    ASSERT_TRUE(gGetActManager()->Undo());
    EXPECT_EQ(db->GetLayerIndexByID(deletedId), c.deleted) << "back in its place";
    EXPECT_TRUE(db->Contains(gone1));
    EXPECT_TRUE(db->Contains(gone2));
    ASSERT_TRUE(gGetActManager()->Redo());
    EXPECT_EQ(db->GetLayerIndexByID(deletedId), -1);
    tabs->ResetLayers();
  }
}

TEST_F(LayerTabTest, TheDeleteAndNewButtonsWorkOnTheCurrentTab) {
  CKxWndTab* strip = tabs->GetTabStrip();
  strip->PressButton(CKxWndTab::kNewLayer);
  strip->PressButton(CKxWndTab::kNewLayer);
  EXPECT_EQ(tabs->GetLayerCount(), 3);
  EXPECT_EQ(tabs->GetCurLayerIndex(), 2);
  EXPECT_EQ(db->GetLayerAt(2)->IsVisible(), 1);
  EXPECT_EQ(db->GetLayerAt(0)->IsVisible(), 0);
  strip->PressButton(CKxWndTab::kDeleteLayer);
  EXPECT_EQ(tabs->GetLayerCount(), 2);
  EXPECT_EQ(tabs->GetCurLayerIndex(), 1);
  EXPECT_EQ(db->GetLayerAt(1)->IsVisible(), 1) << "the new current layer is shown";
  // Disabled while a command runs: clicks do nothing.
  strip->EnableButtons(FALSE);
  strip->PressButton(CKxWndTab::kNewLayer);
  EXPECT_EQ(tabs->GetLayerCount(), 2);
}

TEST_F(LayerTabTest, ClickingATabMakesItsLayerCurrentAndRepaintsTheView) {
  MakeLayers({L"Top", L"Middle", L"Bottom"});
  CKxWndTab* strip = tabs->GetTabStrip();
  CRecordingDC dc;
  strip->Draw(&dc);
  const int e = (strip->GetLayoutHeight() - 1) / 2;
  const int x = strip->TabStart(1) + e + 2;
  ValidateRect(view->GetSafeHwnd(), nullptr);
  strip->SendMessage(WM_LBUTTONDOWN, 0, LPARAM(5 << 16 | x));
  EXPECT_EQ(tabs->GetCurLayerIndex(), 1);
  RECT update;
  EXPECT_TRUE(GetUpdateRect(view->GetSafeHwnd(), &update, FALSE)) << "the view repaints";
  // A click on a button runs the button, not a tab.
  const CRect right = CKxWndTab::ButtonRect(CKxWndTab::kNewLayer);
  strip->SendMessage(WM_LBUTTONDOWN, 0, LPARAM((right.top + 2) << 16 | (right.left + 2)));
  EXPECT_EQ(tabs->GetLayerCount(), 4);
  EXPECT_EQ(strip->GetButtonState(CKxWndTab::kNewLayer), int(CKxWndTab::kPressed));
  strip->SendMessage(WM_LBUTTONUP, 0, LPARAM((right.top + 2) << 16 | (right.left + 2)));
  EXPECT_EQ(strip->GetPressedButton(), -1);
}

TEST_F(LayerTabTest, ButtonsHaveTheirTipsAndRectangles) {
  const wchar_t* const tips[] = {L"Edit Layer", L"All Layer On", L"Current Layer On", L"Move Left",
                                 L"Delete Layer", L"New Layer", L"Move Right"};
  for (int i = 0; i < CKxWndTab::kButtonCount; ++i) {
    EXPECT_STREQ(CKxWndTab::ButtonTip(i), tips[i]);
    EXPECT_EQ(CKxWndTab::ButtonRect(i), CRect(15 * i + 2, 2, 15 * i + 16, 16));
  }
}

TEST_F(LayerTabTest, HoveringAButtonHighlightsItAndShowsItsTipUntilThePointerLeaves) {
  CKxWndTab* strip = tabs->GetTabStrip();
  const CRect r = CKxWndTab::ButtonRect(CKxWndTab::kDeleteLayer);
  strip->SendMessage(WM_MOUSEMOVE, 0, LPARAM((r.top + 3) << 16 | (r.left + 3)));
  strip->SendMessage(WM_TIMER, CKxWndTab::kHoverTimer);
  EXPECT_EQ(strip->GetButtonState(CKxWndTab::kDeleteLayer), int(CKxWndTab::kHovered));
  EXPECT_EQ(strip->GetTipButton(), int(CKxWndTab::kDeleteLayer));
  ASSERT_NE(strip->GetTip(), nullptr);
  EXPECT_EQ(strip->GetTip()->GetTipText(), CString(L"Delete Layer"));
  EXPECT_TRUE(strip->GetTip()->IsWindowVisible());
  // The tip sits on the view, above the button.
  CRect tip, view;
  strip->GetTip()->GetWindowRect(&tip);
  tabs->GetView()->GetWindowRect(&view);
  EXPECT_LE(tip.bottom, view.bottom);
  strip->SendMessage(WM_MOUSEMOVE, 0, LPARAM(5 << 16 | 300));
  strip->SendMessage(WM_TIMER, CKxWndTab::kHoverTimer);
  EXPECT_EQ(strip->GetButtonState(CKxWndTab::kDeleteLayer), int(CKxWndTab::kNormal));
  EXPECT_EQ(strip->GetTipButton(), -1);
  EXPECT_FALSE(strip->GetTip()->IsWindowVisible());
}

TEST_F(LayerTabTest, TheStripStateRoundTripsAsTwoInts) {
  tabs->UpdateLayerBar();
  EXPECT_TRUE(tabs->IsStripHidden());
  CMemFile file;
  {
    CArchive ar(&file, CArchive::store);
    tabs->Serialize(ar);
  }
  EXPECT_EQ(file.GetLength(), 8u);
  file.SeekToBegin();
  tabs->UpdateLayerBar();
  EXPECT_FALSE(tabs->IsStripHidden());
  EXPECT_EQ(tabs->GetTabStrip()->GetLayoutHeight(), CKxTabWnd::kShownHeight);
  {
    CArchive ar(&file, CArchive::load);
    tabs->Serialize(ar);
  }
  EXPECT_TRUE(tabs->IsStripHidden());
}

}  // namespace
