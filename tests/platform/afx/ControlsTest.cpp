// The standard controls headless: what each keeps, what the user's actions change and which
// notifications reach the parent, list-control geometry, custom drawing and label editing,
// owner-drawn list boxes, image lists and the colour dialog.
#include "platform/afx/Afx.h"
#include "platform/afx/Button.h"
#include "platform/afx/ColorDialog.h"
#include "platform/afx/CommonCtrl.h"
#include "platform/afx/Edit.h"
#include "platform/afx/ImageList.h"
#include "platform/afx/ListBox.h"
#include "platform/afx/ListCtrl.h"
#include "platform/afx/RecordingDC.h"
#include "support/FakeWindowBackend.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cwctype>
#include <random>
#include <string>
#include <tuple>
#include <vector>

namespace {
// A parent that writes down every command and notification its children send.
class CRecorder : public CWnd {
 public:
  struct Note {
    UINT message = 0;
    UINT id = 0;
    int code = 0;
    int item = -1;
    int sub = -1;
    DWORD stage = 0;
    std::wstring text;
    bool nullText = false;
  };
  std::vector<Note> notes;
  // Answers: TCN_SELCHANGING, LVN_BEGINLABELEDIT, LVN_ENDLABELEDIT, and the custom-draw stages.
  LRESULT refuseTabChange = 0, refuseLabelEdit = 0, keepLabel = 1;
  LRESULT prepaint = CDRF_DODEFAULT, itemAnswer = CDRF_DODEFAULT, subAnswer = CDRF_DODEFAULT;
  COLORREF subText = CLR_DEFAULT;

  std::vector<int> Codes(UINT message) const {
    std::vector<int> out;
    for (const Note& n : notes)
      if (n.message == message) out.push_back(n.code);
    return out;
  }

 protected:
  BOOL OnCommand(WPARAM wParam, LPARAM) override {
    Note n;
    n.message = WM_COMMAND;
    n.id = LOWORD(wParam);
    n.code = static_cast<int>(HIWORD(wParam));
    notes.push_back(n);
    return TRUE;
  }
  BOOL OnNotify(WPARAM, LPARAM lParam, LRESULT* pResult) override {
    auto* hdr = reinterpret_cast<NMHDR*>(lParam);
    Note n;
    n.message = WM_NOTIFY;
    n.id = static_cast<UINT>(hdr->idFrom);
    n.code = static_cast<int>(hdr->code);
    LRESULT r = 0;
    switch (hdr->code) {
      case TCN_SELCHANGING: r = refuseTabChange; break;
      case NM_CLICK:
      case NM_RCLICK:
      case NM_DBLCLK: {
        auto* nm = reinterpret_cast<NMLISTVIEW*>(hdr);
        n.item = nm->iItem;
        n.sub = nm->iSubItem;
        break;
      }
      case LVN_BEGINLABELEDIT:
      case LVN_ENDLABELEDIT: {
        auto* info = reinterpret_cast<NMLVDISPINFO*>(hdr);
        n.item = info->item.iItem;
        n.nullText = info->item.pszText == nullptr;
        if (info->item.pszText) n.text = info->item.pszText;
        r = hdr->code == LVN_BEGINLABELEDIT ? refuseLabelEdit : keepLabel;
        break;
      }
      case NM_CUSTOMDRAW: {
        auto* cd = reinterpret_cast<NMLVCUSTOMDRAW*>(hdr);
        n.stage = cd->nmcd.dwDrawStage;
        n.item = static_cast<int>(cd->nmcd.dwItemSpec);
        n.sub = cd->iSubItem;
        if (cd->nmcd.dwDrawStage == CDDS_PREPAINT) r = prepaint;
        else if (cd->nmcd.dwDrawStage == CDDS_ITEMPREPAINT) r = itemAnswer;
        else if (cd->nmcd.dwDrawStage == (CDDS_ITEMPREPAINT | CDDS_SUBITEM)) {
          r = subAnswer;
          if (cd->iSubItem == 2) cd->clrText = subText;
        }
        break;
      }
      default: break;
    }
    notes.push_back(n);
    *pResult = r;
    return TRUE;
  }
};

class ControlsTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(parent.Create(nullptr, L"parent", WS_OVERLAPPEDWINDOW | WS_VISIBLE, RECT{0, 0, 640, 480}, nullptr, 0));
  }
  FakeWindowBackend backend;
  CRecorder parent;
};

TEST_F(ControlsTest, ButtonKindsAnswerClicksAsTheirStyleSays) {
  struct Case {
    DWORD style;
    int clicks;
    int check;
    size_t notices;
  };
  const Case cases[] = {
      {BS_PUSHBUTTON, 2, BST_UNCHECKED, 2},
      {BS_CHECKBOX, 1, BST_UNCHECKED, 1},  // a plain check box leaves the state to its parent
      {BS_AUTOCHECKBOX, 1, BST_CHECKED, 1},
      {BS_AUTOCHECKBOX, 2, BST_UNCHECKED, 2},
      {BS_AUTO3STATE, 2, BST_INDETERMINATE, 2},
      {BS_AUTO3STATE, 3, BST_UNCHECKED, 3},
      {BS_GROUPBOX, 1, BST_UNCHECKED, 0},
  };
  UINT id = 1000;
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "style " << c.style << " clicks " << c.clicks);
    parent.notes.clear();
    CButton b;
    ASSERT_TRUE(b.Create(L"b", WS_CHILD | WS_VISIBLE | c.style, RECT{0, 0, 50, 20}, &parent, ++id));
    for (int i = 0; i < c.clicks; ++i) AfxUserClick(b.GetSafeHwnd());
    EXPECT_EQ(b.GetCheck(), c.check);
    EXPECT_EQ(parent.Codes(WM_COMMAND), std::vector<int>(c.notices, BN_CLICKED));
  }
  // A disabled button takes no click; BM_CLICK is the click a program makes.
  CButton off;
  ASSERT_TRUE(off.Create(L"off", WS_CHILD | WS_DISABLED | BS_AUTOCHECKBOX, RECT{0, 0, 50, 20}, &parent, 2000));
  EXPECT_FALSE(AfxUserClick(off.GetSafeHwnd()));
  off.EnableWindow(TRUE);
  off.SendMessage(BM_CLICK);
  EXPECT_EQ(off.GetCheck(), BST_CHECKED);
  // Only three-state kinds keep the indeterminate state.
  off.SetCheck(BST_INDETERMINATE);
  EXPECT_EQ(off.GetCheck(), BST_CHECKED);
}

TEST_F(ControlsTest, EditTypingKeepsLimitsAndNotifies) {
  CEdit e;
  ASSERT_TRUE(e.Create(WS_CHILD | WS_VISIBLE, RECT{0, 0, 80, 20}, &parent, 11));
  e.SetLimitText(3);
  ASSERT_TRUE(AfxUserEditText(e.GetSafeHwnd(), L"12345"));
  CString t;
  e.GetWindowText(t);
  EXPECT_EQ(t, CString(L"123"));
  EXPECT_EQ(parent.Codes(WM_COMMAND), (std::vector<int>{EN_MAXTEXT, EN_UPDATE, EN_CHANGE}));
  EXPECT_TRUE(e.GetModify());
  // The program's own text is not cut and does not notify.
  parent.notes.clear();
  e.SetWindowText(L"abcdef");
  EXPECT_TRUE(parent.notes.empty());
  e.SetSel(2, 4);
  e.ReplaceSel(L"XYZ");
  e.GetWindowText(t);
  EXPECT_EQ(t, CString(L"abXYZef"));
  int a = 0, b = 0;
  e.GetSel(a, b);
  EXPECT_EQ(a, 5);
  EXPECT_EQ(b, 5);
  e.SetSel(0, -1);
  e.GetSel(a, b);
  EXPECT_EQ(b, 7);
  // Read-only edits refuse typing; number edits keep the digits.
  e.SetReadOnly(TRUE);
  EXPECT_FALSE(AfxUserEditText(e.GetSafeHwnd(), L"x"));
  CEdit digits;
  ASSERT_TRUE(digits.Create(WS_CHILD | ES_NUMBER, RECT{0, 0, 80, 20}, &parent, 12));
  AfxUserEditText(digits.GetSafeHwnd(), L"a1-2.3");
  digits.GetWindowText(t);
  EXPECT_EQ(t, CString(L"123"));
  // Focus changes are reported as the edit's notifications.
  parent.notes.clear();
  digits.SetFocus();
  e.SetFocus();
  EXPECT_EQ(parent.Codes(WM_COMMAND), (std::vector<int>{EN_SETFOCUS, EN_KILLFOCUS, EN_SETFOCUS}));
}

TEST_F(ControlsTest, SortedListBoxOrdersLikeACaseBlindSort) {
  std::mt19937 rng(7);
  std::vector<std::wstring> words;
  const std::wstring letters = L"abcABCxyzXYZ";
  for (int i = 0; i < 60; ++i) {
    std::wstring w;
    const int len = 1 + static_cast<int>(rng() % 4);
    for (int k = 0; k < len; ++k) w += letters[rng() % letters.size()];
    words.push_back(w);
  }
  CListBox lb;
  ASSERT_TRUE(lb.Create(WS_CHILD | LBS_SORT, RECT{0, 0, 100, 200}, &parent, 21));
  for (const std::wstring& w : words) ASSERT_GE(lb.AddString(w.c_str()), 0);
  auto lower = [](std::wstring s) {
    for (wchar_t& c : s) c = static_cast<wchar_t>(std::towlower(c));
    return s;
  };
  std::vector<std::wstring> expected = words;
  std::stable_sort(expected.begin(), expected.end(), [&](const auto& x, const auto& y) { return lower(x) < lower(y); });
  ASSERT_EQ(lb.GetCount(), static_cast<int>(expected.size()));
  for (int i = 0; i < lb.GetCount(); ++i) {
    CString t;
    lb.GetText(i, t);
    EXPECT_EQ(lower(t.GetString()), lower(expected[static_cast<size_t>(i)])) << i;
  }
}

TEST_F(ControlsTest, ListBoxSelectionDataAndNotifications) {
  CListBox lb;
  ASSERT_TRUE(lb.Create(WS_CHILD | LBS_NOTIFY, RECT{0, 0, 100, 160}, &parent, 22));
  for (const wchar_t* s : {L"zero", L"one", L"two", L"three"}) lb.AddString(s);
  lb.SetItemData(2, 0xBEEF);
  EXPECT_EQ(lb.GetItemData(2), 0xBEEFu);
  EXPECT_EQ(lb.GetItemData(9), static_cast<DWORD_PTR>(LB_ERR));
  EXPECT_EQ(lb.SetCurSel(9), LB_ERR);
  // A click on the third row (16 pixels each) selects it and says so.
  lb.SendMessage(WM_LBUTTONDOWN, 0, MAKELONG(5, 40));
  EXPECT_EQ(lb.GetCurSel(), 2);
  EXPECT_EQ(parent.Codes(WM_COMMAND), std::vector<int>{LBN_SELCHANGE});
  // Deleting before the selection keeps it on the same entry; deleting it clears it.
  EXPECT_EQ(lb.DeleteString(0), 3);
  EXPECT_EQ(lb.GetCurSel(), 1);
  EXPECT_EQ(lb.GetItemData(1), 0xBEEFu);
  lb.DeleteString(1);
  EXPECT_EQ(lb.GetCurSel(), LB_ERR);
  EXPECT_EQ(lb.FindStringExact(-1, L"THREE"), 1);
  EXPECT_EQ(lb.DeleteString(5), LB_ERR);

  CListBox nosel;
  ASSERT_TRUE(nosel.Create(WS_CHILD | LBS_NOSEL | LBS_NOTIFY, RECT{0, 0, 100, 100}, &parent, 23));
  nosel.AddString(L"a");
  EXPECT_EQ(nosel.SetCurSel(0), LB_ERR);
  EXPECT_FALSE(AfxUserSelect(nosel.GetSafeHwnd(), 0));
  EXPECT_EQ(nosel.GetCurSel(), LB_ERR);
}

// An owner-drawn list that sorts its records by their number and draws each as a rectangle.
class CNumberList : public CListBox {
 public:
  struct Rec {
    int n;
  };
  std::vector<UINT> drawn;
  void DrawItem(LPDRAWITEMSTRUCT d) override {
    drawn.push_back(d->itemID);
    CDC* dc = CDC::FromHandle(d->hDC);
    dc->Rectangle(&d->rcItem);
    if (d->itemState & ODS_SELECTED) dc->FillSolidRect(d->rcItem, RGB(0, 0, 255));
    EXPECT_EQ(reinterpret_cast<Rec*>(d->itemData)->n, static_cast<int>(d->itemID) * 10);
  }
  int CompareItem(LPCOMPAREITEMSTRUCT c) override {
    return reinterpret_cast<Rec*>(c->itemData1)->n - reinterpret_cast<Rec*>(c->itemData2)->n;
  }
};

TEST_F(ControlsTest, OwnerDrawnListSortsThroughCompareItemAndDrawsVisibleRows) {
  CNumberList lb;
  ASSERT_TRUE(lb.Create(WS_CHILD | WS_VISIBLE | LBS_OWNERDRAWFIXED | LBS_SORT, RECT{0, 0, 100, 40}, &parent, 24));
  CNumberList::Rec recs[] = {{20}, {0}, {30}, {10}};
  for (auto& r : recs) lb.AddString(reinterpret_cast<LPCWSTR>(&r));
  for (int i = 0; i < 4; ++i) EXPECT_EQ(reinterpret_cast<CNumberList::Rec*>(lb.GetItemData(i))->n, i * 10);
  lb.SetCurSel(1);
  CRecordingDC dc;
  lb.DrawRows(&dc);
  // 40 pixels of 16-pixel rows: three rows are at least partly visible.
  EXPECT_EQ(lb.drawn, (std::vector<UINT>{0, 1, 2}));
  EXPECT_EQ(dc.Count(CRecordingDC::Kind::Rectangle), 3u);
  EXPECT_EQ(dc.Count(CRecordingDC::Kind::FillSolidRect), 1u);
  // Painting the window goes the same way through the backend's context.
  backend.paintDC = dc.GetSafeHdc();
  lb.drawn.clear();
  lb.SetTopIndex(2);
  lb.Invalidate();
  lb.UpdateWindow();
  EXPECT_EQ(lb.drawn, (std::vector<UINT>{2, 3}));
}

TEST_F(ControlsTest, ComboSelectionAndEditing) {
  CComboBox list, free;
  ASSERT_TRUE(list.Create(WS_CHILD | CBS_DROPDOWNLIST | CBS_SORT, RECT{0, 0, 80, 100}, &parent, 31));
  ASSERT_TRUE(free.Create(WS_CHILD | CBS_DROPDOWN, RECT{0, 0, 80, 100}, &parent, 32));
  for (const wchar_t* s : {L"b", L"C", L"a"}) list.AddString(s);
  CString t;
  list.GetLBText(0, t);
  EXPECT_EQ(t, CString(L"a"));
  ASSERT_TRUE(AfxUserSelect(list.GetSafeHwnd(), 2));
  list.GetWindowText(t);
  EXPECT_EQ(t, CString(L"C"));
  EXPECT_EQ(parent.Codes(WM_COMMAND), (std::vector<int>{CBN_SELCHANGE, CBN_SELENDOK}));
  EXPECT_FALSE(AfxUserEditText(list.GetSafeHwnd(), L"free"));  // a drop-down list has no edit
  parent.notes.clear();
  ASSERT_TRUE(AfxUserEditText(free.GetSafeHwnd(), L"17"));
  EXPECT_EQ(parent.Codes(WM_COMMAND), (std::vector<int>{CBN_EDITUPDATE, CBN_EDITCHANGE}));
  EXPECT_EQ(free.GetCurSel(), CB_ERR);
  EXPECT_EQ(list.SetCurSel(7), CB_ERR);
  EXPECT_EQ(list.GetCurSel(), 2);
}

TEST_F(ControlsTest, TabSelectionAsksTheParentFirst) {
  CTabCtrl tab;
  ASSERT_TRUE(tab.Create(WS_CHILD, RECT{0, 0, 300, 200}, &parent, 952));
  EXPECT_EQ(tab.InsertItem(0, L"General"), 0);
  EXPECT_EQ(tab.InsertItem(1, L"Grid"), 1);
  EXPECT_EQ(tab.GetCurSel(), 0);
  // A click in the second tab's band.
  tab.SendMessage(WM_LBUTTONDOWN, 0, MAKELONG(CTabCtrl::kTabWidth + 5, 5));
  EXPECT_EQ(tab.GetCurSel(), 1);
  const int changing = static_cast<int>(TCN_SELCHANGING), change = static_cast<int>(TCN_SELCHANGE);
  EXPECT_EQ(parent.Codes(WM_NOTIFY), (std::vector<int>{changing, change}));
  parent.notes.clear();
  parent.refuseTabChange = TRUE;
  EXPECT_FALSE(AfxUserSelect(tab.GetSafeHwnd(), 0));
  EXPECT_EQ(tab.GetCurSel(), 1);
  EXPECT_EQ(parent.Codes(WM_NOTIFY), std::vector<int>{changing});
  // The program's own selection does not notify.
  parent.notes.clear();
  EXPECT_EQ(tab.SetCurSel(0), 1);
  EXPECT_TRUE(parent.notes.empty());
  CRect r(0, 0, 300, 200);
  tab.AdjustRect(FALSE, &r);
  EXPECT_EQ(r.top, CTabCtrl::kTabHeight);
  TCITEM item{};
  wchar_t buf[3];
  item.mask = TCIF_TEXT;
  item.pszText = buf;
  item.cchTextMax = 3;
  ASSERT_TRUE(tab.GetItem(0, &item));
  EXPECT_STREQ(buf, L"Ge");  // cut to the buffer
}

class ListCtrlTest : public ControlsTest {
 protected:
  void SetUp() override {
    ControlsTest::SetUp();
    ASSERT_TRUE(list.Create(WS_CHILD | WS_VISIBLE | LVS_REPORT | LVS_SINGLESEL, RECT{0, 0, 200, kHeight}, &parent, 163));
    list.SetExtendedStyle(list.GetExtendedStyle() | LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT);
    const int widths[] = {0, 19, 42, 17, 17, 17, 36};
    const wchar_t* heads[] = {L"", L"Current Layer", L"Name", L"", L"", L"", L"Count"};
    for (int c = 0; c < 7; ++c) ASSERT_EQ(list.InsertColumn(c, heads[c], LVCFMT_LEFT, widths[c]), c);
    for (int r = 0; r < kRows; ++r) {
      ASSERT_EQ(list.InsertItem(r, L""), r);
      list.SetItemText(r, 2, (L"Page" + std::to_wstring(r + 1)).c_str());
      list.SetItemText(r, 6, std::to_wstring(r * 3).c_str());
      list.SetItemData(r, static_cast<DWORD_PTR>(100 + r));
    }
  }
  static constexpr int kRows = 12;
  static constexpr int kHeight = CListCtrl::kHeaderHeight + 5 * CListCtrl::kRowHeight + 8;  // 5 rows and a part
  CListCtrl list;
};

TEST_F(ListCtrlTest, HitTestsAgreeWithCellRectangles) {
  EXPECT_EQ(list.GetExtendedStyle(), 0x21u);
  EXPECT_EQ(list.GetColumnWidth(2), 42);
  EXPECT_EQ(list.GetItemText(3, 2), CString(L"Page4"));
  EXPECT_EQ(list.GetItemData(3), 103u);
  EXPECT_EQ(list.GetCountPerPage(), 5);
  // Every pixel of the list: the hit cell's rectangle contains the point, and no other cell's.
  for (int y = 0; y < kHeight; y += 3) {
    for (int x = -2; x < 160; x += 2) {
      LVHITTESTINFO info{};
      info.pt = POINT{x, y};
      const int row = list.SubItemHitTest(&info);
      int hits = 0;
      for (int r = 0; r < kRows; ++r)
        for (int c = 0; c < 7; ++c) {
          CRect cell;
          ASSERT_TRUE(list.GetSubItemRect(r, c, LVIR_LABEL, cell));
          if (cell.PtInRect(CPoint(x, y))) {
            ++hits;
            EXPECT_EQ(row, r);
            EXPECT_EQ(info.iSubItem, c);
          }
        }
      EXPECT_EQ(hits, row >= 0 ? 1 : 0) << x << "," << y;
    }
  }
  CRect whole;
  ASSERT_TRUE(list.GetSubItemRect(1, 0, LVIR_BOUNDS, whole));
  EXPECT_EQ(whole.Width(), 0 + 19 + 42 + 17 * 3 + 36);
  EXPECT_FALSE(list.GetSubItemRect(kRows, 0, LVIR_BOUNDS, whole));
  EXPECT_FALSE(list.GetSubItemRect(0, 7, LVIR_BOUNDS, whole));
}

TEST_F(ListCtrlTest, EnsureVisibleScrollsTheRowIntoTheClientArea) {
  struct Case {
    int row;
    BOOL partial;
    int top;
  };
  // Five whole rows fit; the sixth is partly visible.
  const Case cases[] = {{0, FALSE, 0}, {4, FALSE, 0}, {5, TRUE, 0}, {5, FALSE, 1}, {11, FALSE, 7}, {3, FALSE, 3}, {2, TRUE, 2}};
  for (const Case& c : cases) {
    EXPECT_TRUE(list.EnsureVisible(c.row, c.partial));
    EXPECT_EQ(list.GetTopIndex(), c.top) << c.row;
  }
  EXPECT_FALSE(list.EnsureVisible(kRows, FALSE));
  // Rectangles and hit tests follow the scrolling.
  CRect cell;
  list.GetSubItemRect(2, 2, LVIR_LABEL, cell);
  EXPECT_EQ(cell.top, CListCtrl::kHeaderHeight);
  EXPECT_EQ(list.HitTest(CPoint(30, CListCtrl::kHeaderHeight + 1)), 2);
}

TEST_F(ListCtrlTest, ClicksSelectTheRowAndNameTheCell) {
  CRect cell;
  list.GetSubItemRect(3, 4, LVIR_LABEL, cell);
  list.SendMessage(WM_LBUTTONDOWN, 0, MAKELONG(cell.left + 2, cell.top + 2));
  EXPECT_EQ(list.GetNextItem(-1, LVNI_SELECTED), 3);
  EXPECT_EQ(list.GetSelectedCount(), 1);
  ASSERT_FALSE(parent.notes.empty());
  const CRecorder::Note& click = parent.notes.back();
  EXPECT_EQ(click.code, static_cast<int>(NM_CLICK));
  EXPECT_EQ(click.item, 3);
  EXPECT_EQ(click.sub, 4);
  EXPECT_EQ(parent.Codes(WM_NOTIFY).front(), static_cast<int>(LVN_ITEMCHANGED));
  // Another row: single selection moves.
  list.GetSubItemRect(1, 2, LVIR_LABEL, cell);
  list.SendMessage(WM_LBUTTONDOWN, 0, MAKELONG(cell.left + 2, cell.top + 2));
  EXPECT_EQ(list.GetSelectedCount(), 1);
  EXPECT_EQ(list.GetNextItem(-1, LVNI_SELECTED), 1);
  EXPECT_EQ(list.GetNextItem(-1, LVNI_FOCUSED), 1);
  // Below the rows: nothing hit, nothing selected anew.
  list.SendMessage(WM_LBUTTONDOWN, 0, MAKELONG(300, 5));
  EXPECT_EQ(parent.notes.back().item, -1);
}

TEST_F(ListCtrlTest, CustomDrawVisitsStagesAsTheAnswersAsk) {
  CRecordingDC dc;
  // Without item notifications only the prepaint stage is asked.
  list.DrawRows(&dc);
  EXPECT_EQ(parent.Codes(WM_NOTIFY), std::vector<int>{static_cast<int>(NM_CUSTOMDRAW)});
  // Item, then sub-item notifications with post-paint for each cell of the visible rows.
  parent.notes.clear();
  parent.prepaint = CDRF_NOTIFYITEMDRAW;
  parent.itemAnswer = CDRF_NOTIFYSUBITEMDRAW;
  parent.subAnswer = CDRF_NOTIFYPOSTPAINT;
  parent.subText = RGB(255, 0, 0);
  list.EnsureVisible(7, FALSE);
  dc.ClearCalls();
  list.DrawRows(&dc);
  std::vector<std::tuple<DWORD, int, int>> stages;
  for (const CRecorder::Note& n : parent.notes) stages.emplace_back(n.stage, n.item, n.sub);
  std::vector<std::tuple<DWORD, int, int>> expected;
  expected.emplace_back(CDDS_PREPAINT, 0, 0);
  const int top = list.GetTopIndex();
  EXPECT_EQ(top, 3);
  for (int r = top; r < top + 6; ++r) {  // five rows and the partly visible one
    expected.emplace_back(CDDS_ITEMPREPAINT, r, 0);
    for (int c = 0; c < 7; ++c) {
      expected.emplace_back(CDDS_ITEMPREPAINT | CDDS_SUBITEM, r, c);
      expected.emplace_back(CDDS_ITEMPOSTPAINT | CDDS_SUBITEM, r, c);
    }
  }
  EXPECT_EQ(stages, expected);
  // The colour chosen for the name column is what its cells were drawn with, and what the list
  // keeps for a peer to show.
  const AfxControlState* s = list.State();
  EXPECT_EQ(s->items[4].drawn[2].first, RGB(255, 0, 0));
  EXPECT_EQ(s->items[4].drawn[6].first, CLR_DEFAULT);
  for (const auto& call : dc.GetCalls())
    if (call.kind == CRecordingDC::Kind::TextOut && call.text.rfind(L"Page", 0) == 0) {
      EXPECT_EQ(call.pixelColor, RGB(255, 0, 0)) << testing::PrintToString(call.text);
    }
  // Skipping the default drawing leaves the cells to the parent.
  dc.ClearCalls();
  parent.subAnswer = CDRF_SKIPDEFAULT;
  list.DrawRows(&dc);
  EXPECT_EQ(dc.Count(CRecordingDC::Kind::TextOut), 0u);
}

TEST_F(ListCtrlTest, LabelEditingEndsWithTheNotificationAndItsAnswer) {
  list.ModifyStyle(0, LVS_EDITLABELS);
  struct Case {
    BOOL cancel;
    LRESULT keep;
    const wchar_t* typed;
    const wchar_t* label;
    bool nullText;
  };
  const Case cases[] = {
      {FALSE, 1, L"Walls", L"Walls", false},
      {FALSE, 0, L"Doors", L"Walls", false},  // the parent refused the new text
      {TRUE, 1, L"Roof", L"Walls", true},
  };
  for (const Case& c : cases) {
    parent.notes.clear();
    parent.keepLabel = c.keep;
    CEdit* edit = list.EditLabel(2);
    ASSERT_NE(edit, nullptr);
    EXPECT_EQ(list.GetEditControl(), edit);
    ASSERT_TRUE(AfxUserEditText(edit->GetSafeHwnd(), c.typed));
    const HWND editWnd = edit->GetSafeHwnd();
    ASSERT_TRUE(list.EndLabelEdit(c.cancel));
    EXPECT_FALSE(::IsWindow(editWnd));
    EXPECT_EQ(list.GetEditControl(), nullptr);
    ASSERT_EQ(parent.notes.size(), 2u);
    EXPECT_EQ(parent.notes[0].code, static_cast<int>(LVN_BEGINLABELEDIT));
    EXPECT_EQ(parent.notes[1].code, static_cast<int>(LVN_ENDLABELEDIT));
    EXPECT_EQ(parent.notes[1].item, 2);
    EXPECT_EQ(parent.notes[1].nullText, c.nullText);
    if (!c.nullText) {
      EXPECT_EQ(parent.notes[1].text, c.typed);
    }
    EXPECT_EQ(list.GetItemText(2, 0), CString(c.label));
  }
  parent.refuseLabelEdit = TRUE;
  EXPECT_EQ(list.EditLabel(2), nullptr);
  EXPECT_EQ(list.EditLabel(99), nullptr);
  EXPECT_FALSE(list.EndLabelEdit(FALSE));
}

TEST_F(ListCtrlTest, ColumnsAndRowsKeepTheirCellsWhenOthersComeAndGo) {
  list.InsertColumn(1, L"New", LVCFMT_LEFT, 10);
  EXPECT_EQ(list.GetItemText(0, 3), CString(L"Page1"));
  EXPECT_EQ(list.GetItemText(0, 7), CString(L"0"));
  list.DeleteColumn(1);
  EXPECT_EQ(list.GetItemText(0, 2), CString(L"Page1"));
  ASSERT_TRUE(list.DeleteItem(0));
  EXPECT_EQ(list.GetItemText(0, 2), CString(L"Page2"));
  EXPECT_EQ(list.GetItemData(0), 101u);
  EXPECT_FALSE(list.DeleteItem(50));
  EXPECT_FALSE(list.SetItemText(50, 1, L"x"));
  EXPECT_EQ(list.GetItemText(50, 1), CString());
  EXPECT_TRUE(list.DeleteAllItems());
  EXPECT_EQ(list.GetItemCount(), 0);
}

TEST_F(ControlsTest, ImageListCutsBitmapsAndDrawsOpaquePixels) {
  CImageList images;
  ASSERT_TRUE(images.Create(16, 16, ILC_COLOR24 | ILC_MASK, 2, 2));
  EXPECT_FALSE(images.Create(16, 16, 0, 2, 2));
  CRecordingDC dc;
  CBitmap strip;
  ASSERT_TRUE(strip.CreateCompatibleBitmap(&dc, 40, 16));  // two whole images and a rest
  for (int x = 0; x < 40; ++x)
    for (int y = 0; y < 16; ++y) strip.SetPixel(x, y, x < 16 ? RGB(255, 0, 255) : RGB(0, 128, 0));
  strip.SetPixel(3, 4, RGB(1, 2, 3));
  EXPECT_EQ(images.Add(&strip, RGB(255, 0, 255)), 0);
  EXPECT_EQ(images.GetImageCount(), 2);
  EXPECT_EQ(images.GetPixel(0, 3, 4), RGB(1, 2, 3));
  EXPECT_EQ(images.GetPixel(0, 0, 0), CLR_NONE);
  ASSERT_TRUE(images.Draw(&dc, 0, POINT{10, 20}, ILD_TRANSPARENT));
  ASSERT_EQ(dc.Count(CRecordingDC::Kind::SetPixel), 1u);
  EXPECT_EQ(dc.GetCalls().back().points.front(), CPoint(13, 24));
  dc.ClearCalls();
  images.Draw(&dc, 1, POINT{0, 0}, ILD_NORMAL);
  EXPECT_EQ(dc.Count(CRecordingDC::Kind::SetPixel), 256u);
  EXPECT_FALSE(images.Draw(&dc, 2, POINT{0, 0}, 0));
  EXPECT_EQ(images.Add(std::vector<COLORREF>(15, 0)), -1);
  CImageList bad;
  EXPECT_FALSE(bad.Create(0, 16, 0, 1, 1));
  EXPECT_FALSE(bad.Create(100000, 16, 0, 1, 1));
}

TEST_F(ControlsTest, SliderToolTipAndColourDialog) {
  CSliderCtrl slider;
  ASSERT_TRUE(slider.Create(WS_CHILD, RECT{0, 0, 100, 20}, &parent, 41));
  slider.SetRange(5, 20);
  slider.SetPos(50);
  EXPECT_EQ(slider.GetPos(), 20);
  ASSERT_TRUE(AfxUserSetPos(slider.GetSafeHwnd(), -3));
  EXPECT_EQ(slider.GetPos(), 5);

  CToolTipCtrl tips;
  ASSERT_TRUE(tips.Create(&parent));
  for (int i = 0; i < 7; ++i) {
    const RECT r{i * 18, 0, i * 18 + 16, 16};
    ASSERT_TRUE(tips.AddTool(&parent, (L"tip" + std::to_wstring(i)).c_str(), &r, 12345 + i));
  }
  EXPECT_EQ(tips.GetToolCount(), 7);
  MSG move{parent.GetSafeHwnd(), WM_MOUSEMOVE, 0, MAKELONG(18 * 3 + 5, 8), 0, {}};
  tips.RelayEvent(&move);
  EXPECT_EQ(tips.GetHitTool(), 12345 + 3);
  CString text;
  tips.GetText(text, &parent, 12345 + 3);
  EXPECT_EQ(text, CString(L"tip3"));
  tips.Activate(FALSE);
  tips.RelayEvent(&move);
  EXPECT_EQ(tips.GetHitTool(), -1);

  // The colour chooser is the backend's; headless it is cancelled.
  CColorDialog cancelled(RGB(1, 2, 3));
  EXPECT_EQ(cancelled.DoModal(), IDCANCEL);
  EXPECT_EQ(cancelled.GetColor(), RGB(1, 2, 3));
  struct Chooser : FakeWindowBackend {
    bool ColorDialog(HWND, COLORREF& c) override {
      seen = c;
      c = RGB(9, 8, 7);
      return true;
    }
    COLORREF seen = 0;
  } chooser;
  CColorDialog chosen(RGB(4, 5, 6));
  EXPECT_EQ(chosen.DoModal(), IDOK);
  EXPECT_EQ(chooser.seen, RGB(4, 5, 6));
  EXPECT_EQ(chosen.GetColor(), RGB(9, 8, 7));
}

TEST_F(ControlsTest, ControlStateGoesWithItsWindow) {
  HWND h;
  {
    CListBox lb;
    ASSERT_TRUE(lb.Create(WS_CHILD, RECT{0, 0, 10, 10}, &parent, 51));
    lb.AddString(L"x");
    h = lb.GetSafeHwnd();
    ASSERT_NE(AfxGetControlState(h), nullptr);
  }
  EXPECT_EQ(AfxGetControlState(h), nullptr);
  EXPECT_FALSE(AfxUserSelect(h, 0));
  EXPECT_FALSE(AfxUserClick(nullptr));
  EXPECT_FALSE(AfxUserEditText(parent.GetSafeHwnd(), L"x"));  // not a control
}
}  // namespace
