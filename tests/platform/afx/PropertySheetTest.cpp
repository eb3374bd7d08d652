// Property sheets: pages built when first shown, switching through the tab control with the
// leaving page's data checked, Apply and OK reaching every page shown, Cancel resetting them.
#include "platform/afx/Afx.h"
#include "platform/afx/DataExchange.h"
#include "platform/afx/DialogTemplate.h"
#include "platform/afx/PropertySheet.h"
#include "support/FakeWindowBackend.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {
constexpr UINT kPageA = 9101, kPageB = 9102, kPageC = 9103;
constexpr int kValue = 201;

std::vector<std::string> g_calls;

class CNumberPage : public CPropertyPage {
 public:
  CNumberPage(UINT id, std::string name) : CPropertyPage(id), m_name(std::move(name)) {}
  int value = 1;
  BOOL OnSetActive() override {
    g_calls.push_back(m_name + ".active");
    return CPropertyPage::OnSetActive();
  }
  BOOL OnKillActive() override {
    g_calls.push_back(m_name + ".kill");
    return CPropertyPage::OnKillActive();
  }
  void OnOK() override { g_calls.push_back(m_name + ".ok"); }
  void OnCancel() override { g_calls.push_back(m_name + ".cancel"); }

 protected:
  void DoDataExchange(CDataExchange* pDX) override {
    DDX_Text(pDX, kValue, value);
    DDV_MinMaxInt(pDX, value, 0, 9);
  }

 private:
  std::string m_name;
};

class PropertySheetTest : public testing::Test {
 protected:
  void SetUp() override {
    g_calls.clear();
    for (auto [id, caption, cy] : {std::tuple{kPageA, L"General", 120}, std::tuple{kPageB, L"Grid", 180},
                                  std::tuple{kPageC, L"Lines", 90}}) {
      AfxDialogTemplate t;
      t.id = id;
      t.caption = caption;
      t.cx = 200;
      t.cy = cy;
      t.items = {{kEditClass, static_cast<UINT>(kValue), L"", {10, 10, 60, 30}, WS_BORDER | WS_TABSTOP}};
      ASSERT_TRUE(AfxRegisterDialogTemplate(t));
    }
  }
  void TearDown() override {
    CDialog::SetModalDriver(nullptr);
    for (UINT id : {kPageA, kPageB, kPageC}) AfxUnregisterDialogTemplate(id);
  }
  static HWND Edit(CPropertyPage* p) { return p->GetDlgItem(kValue)->GetSafeHwnd(); }

  FakeWindowBackend backend;
  CNumberPage a{kPageA, "a"}, b{kPageB, "b"}, c{kPageC, "c"};
};

TEST_F(PropertySheetTest, TabsSwitchPagesAndARefusedValueKeepsThePage) {
  CPropertySheet sheet(L"Options");
  sheet.AddPage(&a);
  sheet.AddPage(&b);
  sheet.AddPage(&c);
  ASSERT_TRUE(sheet.Create());
  CTabCtrl* tab = sheet.GetTabControl();
  ASSERT_NE(tab, nullptr);
  EXPECT_EQ(tab->GetItemCount(), 3);
  // Only the first page exists so far, and it shows its member.
  EXPECT_NE(a.GetSafeHwnd(), nullptr);
  EXPECT_EQ(b.GetSafeHwnd(), nullptr);
  CString text;
  a.GetDlgItemText(kValue, text);
  EXPECT_EQ(text, CString(L"1"));
  // The page sits inside the tab control's display area.
  CRect page, band;
  a.GetWindowRect(&page);
  tab->GetWindowRect(&band);
  EXPECT_GE(page.top, band.top + CTabCtrl::kTabHeight);
  EXPECT_GE(page.Height(), 180);  // the sheet is as large as its largest page

  ASSERT_TRUE(AfxUserSelect(tab->GetSafeHwnd(), 1));
  EXPECT_EQ(sheet.GetActiveIndex(), 1);
  EXPECT_TRUE(b.IsWindowVisible());
  EXPECT_FALSE(a.IsWindowVisible());
  EXPECT_EQ(g_calls, (std::vector<std::string>{"a.active", "a.kill", "b.active"}));

  // A value the page refuses: the tab stays, the page stays, a box says why.
  ASSERT_TRUE(AfxUserEditText(Edit(&b), L"12"));
  backend.boxAnswers = {IDOK};
  EXPECT_FALSE(AfxUserSelect(tab->GetSafeHwnd(), 2));
  EXPECT_EQ(sheet.GetActiveIndex(), 1);
  EXPECT_EQ(tab->GetCurSel(), 1);
  EXPECT_EQ(c.GetSafeHwnd(), nullptr);
  ASSERT_EQ(backend.boxes.size(), 1u);
  ASSERT_TRUE(AfxUserEditText(Edit(&b), L"7"));
  EXPECT_TRUE(sheet.SetActivePage(&c));
  EXPECT_EQ(b.value, 7);
  EXPECT_EQ(tab->GetCurSel(), 2);
}

TEST_F(PropertySheetTest, ApplyReachesEveryPageShownAndFollowsModifiedFlags) {
  CPropertySheet sheet(L"Options");
  sheet.AddPage(&a);
  sheet.AddPage(&b);
  sheet.AddPage(&c);
  ASSERT_TRUE(sheet.Create());
  CWnd* apply = sheet.GetDlgItem(ID_APPLY_NOW);
  ASSERT_NE(apply, nullptr);
  EXPECT_FALSE(apply->IsWindowEnabled());
  a.SetModified();
  EXPECT_TRUE(apply->IsWindowEnabled());
  sheet.SetActivePage(1);
  g_calls.clear();
  ASSERT_TRUE(AfxUserClick(apply->GetSafeHwnd()));
  // The shown page is left first; the never-shown third page is not applied.
  EXPECT_EQ(g_calls, (std::vector<std::string>{"b.kill", "a.ok", "b.ok"}));
  EXPECT_FALSE(a.IsModified());
  EXPECT_FALSE(apply->IsWindowEnabled());
}

TEST_F(PropertySheetTest, ModalOkAndCancel) {
  {
    CPropertySheet sheet(L"Options", nullptr, 1);
    sheet.AddPage(&a);
    sheet.AddPage(&b);
    CDialog::SetModalDriver([&](CDialog& d) {
      EXPECT_EQ(&d, &sheet);
      EXPECT_EQ(sheet.GetActivePage(), &b);  // the page asked for at construction
      AfxUserEditText(Edit(&b), L"4");
      AfxUserClick(d.GetDlgItem(IDOK)->GetSafeHwnd());
    });
    EXPECT_EQ(sheet.DoModal(), IDOK);
    EXPECT_EQ(b.value, 4);
    EXPECT_EQ(b.GetSafeHwnd(), nullptr);
  }
  g_calls.clear();
  CPropertySheet sheet(L"Options");
  sheet.AddPage(&a);
  sheet.AddPage(&b);
  CDialog::SetModalDriver([&](CDialog& d) {
    AfxUserEditText(Edit(&a), L"8");
    ::PostMessageW(Edit(&a), WM_KEYDOWN, VK_ESCAPE, 0);  // Escape in a page cancels the sheet
    (void)d;
  });
  EXPECT_EQ(sheet.DoModal(), IDCANCEL);
  EXPECT_EQ(a.value, 1);
  EXPECT_EQ(g_calls, (std::vector<std::string>{"a.active", "a.cancel"}));
}

TEST_F(PropertySheetTest, RemovingPagesKeepsTheSheetConsistent) {
  CPropertySheet sheet;
  sheet.AddPage(&a);
  sheet.AddPage(&a);  // once only
  sheet.AddPage(&b);
  EXPECT_EQ(sheet.GetPageCount(), 2);
  ASSERT_TRUE(sheet.Create());
  sheet.RemovePage(&a);
  EXPECT_EQ(sheet.GetPageCount(), 1);
  EXPECT_EQ(sheet.GetActivePage(), &b);
  EXPECT_EQ(a.GetSafeHwnd(), nullptr);
  EXPECT_EQ(sheet.GetTabControl()->GetItemCount(), 1);
  EXPECT_FALSE(sheet.SetActivePage(3));
  // A page deleted while the sheet is open leaves it.
  {
    CNumberPage temp(kPageC, "temp");
    sheet.AddPage(&temp);
    EXPECT_TRUE(sheet.SetActivePage(&temp));
  }
  EXPECT_EQ(sheet.GetPageCount(), 1);
  EXPECT_EQ(sheet.GetActivePage(), &b);
}
}  // namespace
