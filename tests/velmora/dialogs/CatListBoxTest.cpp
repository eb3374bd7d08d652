// The category list box: categories by name with their rows kept in step (sorted or not), the
// check boxes toggled by clicks and the space key, and the rows drawn with their check marks.
#include "platform/afx/RecordingDC.h"
#include "platform/win/Messages.h"
#include "velmora/dialogs/CatListBox.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

class CatListBoxTest : public ::testing::Test {
 protected:
  void Make(DWORD extra) {
    ASSERT_TRUE(parent.Create(nullptr, L"dlg", WS_VISIBLE, RECT{0, 0, 300, 300}, nullptr, 0));
    ASSERT_TRUE(list.Create(LBS_OWNERDRAWFIXED | LBS_HASSTRINGS | LBS_NOTIFY | extra, RECT{10, 10, 210, 210}, &parent, 707));
  }
  std::vector<std::wstring> Rows() const {
    std::vector<std::wstring> r;
    for (int i = 0; i < list.GetCount(); ++i) {
      CString t;
      list.GetText(i, t);
      r.emplace_back(t.GetString());
      // Each row's record names the row's own category.
      EXPECT_EQ(std::wstring(list.GetCategoryName(i)), r.back());
    }
    return r;
  }
  LPARAM At(CPoint p) { return LPARAM(MAKELONG(WORD(p.x), WORD(p.y))); }

  CWnd parent;
  CCatListBox list;
};

TEST_F(CatListBoxTest, SortedListKeepsCategoryRowsInOrderIgnoringCase) {
  Make(LBS_SORT);
  EXPECT_EQ(list.AddCategory(nullptr), CAT_E_POINTER);
  EXPECT_EQ(list.AddCategory(L""), CAT_E_INVALIDARG);
  for (const wchar_t* name : {L"Standard", L"view", L"align", L"Curve Bar"}) EXPECT_EQ(list.AddCategory(name), CAT_S_OK);
  EXPECT_EQ(list.AddCategory(L"view"), CAT_E_INVALIDARG) << "a name only once";
  EXPECT_EQ(Rows(), (std::vector<std::wstring>{L"align", L"Curve Bar", L"Standard", L"view"}));
  EXPECT_EQ(list.GetCategoryName(4), nullptr);
  EXPECT_EQ(list.GetCategoryName(-1), nullptr);
}

TEST_F(CatListBoxTest, UnsortedListAppends) {
  Make(0);
  for (const wchar_t* name : {L"Standard", L"view", L"align"}) list.AddCategory(name);
  EXPECT_EQ(Rows(), (std::vector<std::wstring>{L"Standard", L"view", L"align"}));
}

TEST_F(CatListBoxTest, ChecksBySetClickAndSpace) {
  Make(0);
  list.AddCategory(L"Standard");
  list.AddCategory(L"View");
  EXPECT_FALSE(list.GetCategoryCheck(L"View"));
  EXPECT_EQ(list.SetCategoryCheck(L"Nope", 1), CAT_E_INVALIDARG);
  EXPECT_FALSE(list.GetCategoryCheck(L"Nope"));
  EXPECT_EQ(list.SetCategoryCheck(L"Standard", 1), CAT_S_OK);
  EXPECT_TRUE(list.GetCategoryCheck(L"Standard"));

  // A press inside row 1's check box toggles it and selects the row; on the text it does not.
  const CRect box = list.CheckBoxRect(1);
  ASSERT_FALSE(box.IsRectEmpty());
  list.SendMessage(WM_LBUTTONDOWN, 0, At(box.CenterPoint()));
  EXPECT_TRUE(list.GetCategoryCheck(L"View"));
  EXPECT_EQ(list.GetLastClicked(), 1);
  EXPECT_EQ(list.GetCurSel(), 1);
  list.SendMessage(WM_LBUTTONDOWN, 0, At(CPoint(box.right + 40, box.top + 2)));
  EXPECT_TRUE(list.GetCategoryCheck(L"View"));
  EXPECT_EQ(list.GetLastClicked(), -1);
  // Space toggles the selected row's category.
  list.SetCurSel(0);
  list.SendMessage(WM_KEYDOWN, 0x20, 0);
  EXPECT_FALSE(list.GetCategoryCheck(L"Standard"));

  // No sub-items were given: every sub-item call is refused.
  EXPECT_EQ(list.GetSubItemCheck(L"View", 0), -1);
  EXPECT_EQ(list.SetSubItemCheck(L"View", 0, 1), CAT_E_INVALIDARG);
  EXPECT_EQ(list.SetSubItemCheck(L"Nope", 0, 1), CAT_E_INVALIDARG);
}

TEST_F(CatListBoxTest, RowsDrawACheckMarkOnlyWhenChecked) {
  Make(0);
  list.AddCategory(L"Standard");
  list.AddCategory(L"View");
  list.AddCategory(L"Curve Bar");
  list.SetCategoryCheck(L"View", 1);
  CRecordingDC dc;
  list.DrawRows(&dc);
  std::vector<std::wstring> texts;
  for (const auto& c : dc.GetCalls())
    if (c.kind == CRecordingDC::Kind::TextOut) texts.push_back(c.text);
  EXPECT_EQ(texts, (std::vector<std::wstring>{L"Standard", L"View", L"Curve Bar"}));
  EXPECT_EQ(dc.Count(CRecordingDC::Kind::LineTo), 2u) << "one tick of two strokes";
  EXPECT_GE(dc.Count(CRecordingDC::Kind::Rectangle), 3u);
}

TEST_F(CatListBoxTest, ResetForgetsEveryCategory) {
  Make(LBS_SORT);
  list.AddCategory(L"a");
  list.AddCategory(L"b");
  list.SetCategoryCheck(L"a", 1);
  list.ResetCategories();
  EXPECT_EQ(list.GetCount(), 0);
  EXPECT_FALSE(list.GetCategoryCheck(L"a"));
  EXPECT_EQ(list.AddCategory(L"a"), CAT_S_OK);
  EXPECT_FALSE(list.GetCategoryCheck(L"a"));
  EXPECT_EQ(Rows(), (std::vector<std::wstring>{L"a"}));
}

}  // namespace
