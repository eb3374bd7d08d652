// The toolbar settings dialog run modally and driven headless against a frame stand-in that
// records what the dialog asks of the toolbar manager and the bars.
#include "platform/afx/Control.h"
#include "platform/win/MessageBox.h"
#include "platform/win/Messages.h"
#include "velmora/dialogs/ToolBarSetDlg.h"
#include "velmora/dialogs/ToolBarSetHost.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

namespace {

class FakeFrame : public CToolBarSetHost {
 public:
  int GetIconSizeWord() const override { return icon; }
  void SetIconSizeWord(int v) override { icon = v; }
  int GetTextPosWord() const override { return text; }
  void SetTextPosWord(int v) override { text = v; }
  int GetStyleWord() const override { return style; }
  void SetStyleWord(int v) override { style = v; }
  int GetTabTXTBottomMode() const override { return text; }
  void HideDragTBar() override { ++dragHidden; }
  bool HasToolBarMgr() const override { return mgr; }
  void ShowCurrentUI(int code) override { codes.push_back(code); }
  std::vector<Bar> GetBars(int kind) const override {
    std::vector<Bar> out;
    for (const auto& [k, title, visible] : bars)
      if (k == kind) out.push_back({CString(title.c_str()), visible});
    return out;
  }
  bool ShowBar(int kind, const CString& title, bool show) override {
    for (auto& [k, t, visible] : bars)
      if (k == kind && CString(t.c_str()) == title) {
        visible = show;
        shown.push_back(std::wstring(show ? L"show " : L"hide ") + t);
        return true;
      }
    return false;
  }
  void RefreshPlugInToolBars() override { ++plugInRefreshes; }

  int icon = 0, text = 1, style = 0;
  bool mgr = true;
  std::vector<int> codes;
  std::vector<std::wstring> shown;
  int dragHidden = 0, plugInRefreshes = 0;
  std::vector<std::tuple<int, std::wstring, bool>> bars = {
      {16, L"TabPanel Bar", true}, {16, L"Curve Bar", true}, {16, L"Text Bar", false},
      {17, L"Standard", true},     {17, L"View", false},     {17, L"Align", true}};
};

std::vector<std::wstring> Listed(CCatListBox& list) {
  std::vector<std::wstring> out;
  for (int i = 0; i < list.GetCount(); ++i) {
    const wchar_t* n = list.GetCategoryName(i);
    out.push_back(std::wstring(n) + (list.GetCategoryCheck(n) ? L"+" : L"-"));
  }
  return out;
}

class ToolBarSetDlgTest : public ::testing::Test {
 protected:
  void TearDown() override { CDialog::SetModalDriver(nullptr); }
  // Runs the dialog; the script gets it once it is up, then Quit closes it.
  INT_PTR Run(std::function<void(CToolBarSetDlg&)> script) {
    CDialog::SetModalDriver([&](CDialog& d) {
      auto& dlg = dynamic_cast<CToolBarSetDlg&>(d);
      script(dlg);
      AfxUserClick(dlg.GetDlgItem(CToolBarSetDlg::kQuitID)->GetSafeHwnd());
    });
    CToolBarSetDlg dlg(&frame);
    return dlg.DoModal();
  }
  static void Click(CDialog& d, UINT id) { AfxUserClick(d.GetDlgItem(int(id))->GetSafeHwnd()); }

  FakeFrame frame;
};

TEST_F(ToolBarSetDlgTest, StartsFromTheFramesWordsAndListsTheBarsOfItsStyle) {
  struct Case {
    int icon, text, style;
    std::vector<std::wstring> listed;
  };
  const Case cases[] = {
      {0, 1, 0, {L"Curve Bar+", L"Text Bar-"}},  // the panel's own bar is never offered
      {1, 0, 1, {L"Standard+", L"View-", L"Align+"}},
      {0, 0, 5, {}},
  };
  for (const Case& c : cases) {
    frame.icon = c.icon;
    frame.text = c.text;
    frame.style = c.style;
    EXPECT_EQ(Run([&](CToolBarSetDlg& d) {
                EXPECT_EQ(d.IsDlgButtonChecked(CToolBarSetDlg::kLargeID), c.icon == 0 ? 1u : 0u);
                EXPECT_EQ(d.IsDlgButtonChecked(CToolBarSetDlg::kSmallID), c.icon == 1 ? 1u : 0u);
                EXPECT_EQ(d.IsDlgButtonChecked(CToolBarSetDlg::kTextBottomID), c.text == 1 ? 1u : 0u);
                EXPECT_EQ(d.IsDlgButtonChecked(CToolBarSetDlg::kPanelID), c.style == 0 ? 1u : 0u);
                EXPECT_EQ(d.IsDlgButtonChecked(CToolBarSetDlg::kStandardID), c.style == 1 ? 1u : 0u);
                EXPECT_EQ(bool(d.GetDlgItem(CToolBarSetDlg::kTextTopID)->IsWindowEnabled()), c.style != 1);
                EXPECT_EQ(Listed(d.GetList()), c.listed);
                CString caption;
                d.GetWindowText(caption);
                EXPECT_EQ(caption, CString(L"ToolBar Settings"));
              }),
              IDOK);
  }
  EXPECT_TRUE(frame.codes.empty()) << "opening changes nothing";
}

TEST_F(ToolBarSetDlgTest, RadioButtonsActOnlyWhenTheChoiceChanges) {
  frame.icon = 0;
  frame.text = 1;
  frame.style = 0;
  Run([&](CToolBarSetDlg& d) {
    Click(d, CToolBarSetDlg::kLargeID);  // already large: nothing
    Click(d, CToolBarSetDlg::kSmallID);
    Click(d, CToolBarSetDlg::kSmallID);
    Click(d, CToolBarSetDlg::kTextTopID);
    Click(d, CToolBarSetDlg::kTextBottomID);
    Click(d, CToolBarSetDlg::kPanelID);  // already panel: nothing
    Click(d, CToolBarSetDlg::kStandardID);
    EXPECT_EQ(Listed(d.GetList()), (std::vector<std::wstring>{L"Standard+", L"View-", L"Align+"}));
    EXPECT_FALSE(d.GetDlgItem(CToolBarSetDlg::kTextBottomID)->IsWindowEnabled());
    Click(d, CToolBarSetDlg::kLargeID);
    Click(d, CToolBarSetDlg::kPanelID);
    EXPECT_TRUE(d.GetDlgItem(CToolBarSetDlg::kTextBottomID)->IsWindowEnabled());
    EXPECT_EQ(Listed(d.GetList()), (std::vector<std::wstring>{L"Curve Bar+", L"Text Bar-"}));
  });
  EXPECT_EQ(frame.codes, (std::vector<int>{1, 32, 33, 17, 2, 16}));
  EXPECT_EQ(frame.icon, 0);
  EXPECT_EQ(frame.text, 1);
  EXPECT_EQ(frame.style, 0);
  EXPECT_EQ(frame.plugInRefreshes, 1);
}

TEST_F(ToolBarSetDlgTest, ChoicesStartFromWhatTheFrameShowsNotFromDefaults) {
  // Small icons, text on top, standard style: the opposite of a fresh dialog's choices, so
  // each first click is a change and acts.
  frame.icon = 1;
  frame.text = 0;
  frame.style = 1;
  Run([&](CToolBarSetDlg& d) {
    Click(d, CToolBarSetDlg::kLargeID);
    Click(d, CToolBarSetDlg::kPanelID);
    Click(d, CToolBarSetDlg::kTextBottomID);
  });
  EXPECT_EQ(frame.codes, (std::vector<int>{2, 16, 33}));
  EXPECT_EQ(frame.icon, 0);
  EXPECT_EQ(frame.style, 0);
  EXPECT_EQ(frame.text, 1);
}

TEST_F(ToolBarSetDlgTest, CheckingABarShowsOrHidesItInTheCurrentStyle) {
  frame.style = 1;
  Run([&](CToolBarSetDlg& d) {
    CCatListBox& list = d.GetList();
    const CRect box = list.CheckBoxRect(1);  // "View", hidden
    list.SendMessage(WM_LBUTTONDOWN, 0, LPARAM(MAKELONG(WORD(box.left + 2), WORD(box.top + 2))));
    list.SetCurSel(0);  // "Standard", shown
    list.SendMessage(WM_KEYDOWN, 0x20, 0);
  });
  EXPECT_EQ(frame.shown, (std::vector<std::wstring>{L"show View", L"hide Standard"}));
  EXPECT_EQ(frame.dragHidden, 0);
}

TEST_F(ToolBarSetDlgTest, WithoutAToolbarManagerNothingIsListedOrChanged) {
  frame.mgr = false;
  Run([&](CToolBarSetDlg& d) {
    EXPECT_EQ(d.GetList().GetCount(), 0);
    Click(d, CToolBarSetDlg::kSmallID);
    Click(d, CToolBarSetDlg::kStandardID);
  });
  EXPECT_TRUE(frame.codes.empty());
  EXPECT_EQ(frame.style, 0);
  // Without the frame the dialog closes at once.
  CDialog::SetModalDriver(nullptr);
  CToolBarSetDlg orphan(nullptr);
  EXPECT_EQ(orphan.DoModal(), IDCANCEL);
}

}  // namespace
