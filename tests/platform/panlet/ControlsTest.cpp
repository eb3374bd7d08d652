// Panlet's numeric edit, slider edit and settings sheet, headless.
#include "platform/afx/Afx.h"
#include "platform/afx/DataExchange.h"
#include "platform/afx/DialogTemplate.h"
#include "platform/panlet/Panlet.h"
#include "support/FakeWindowBackend.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

namespace {
class PanletControls : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(parent.Create(nullptr, L"parent", WS_OVERLAPPEDWINDOW, RECT{0, 0, 400, 300}, nullptr, 0));
  }
  FakeWindowBackend backend;
  CWnd parent;
};

TEST_F(PanletControls, DigitEditShowsAndReadsValuesInItsUnit) {
  struct Case {
    const wchar_t* format;
    BOOL minus;
    double perMm;
    const wchar_t* unit;
    BOOL show;
    double value;
    const wchar_t* text;
  };
  const Case cases[] = {
      {L"%.5f", FALSE, 1.0, L"mm", FALSE, 0.01, L"0.01000"},
      {L"%.5f", FALSE, 0.1, L"cm", TRUE, 12.5, L"1.25000 cm"},
      {L"%.3f", TRUE, 1 / 25.4, L"in", TRUE, -25.4, L"-1.000 in"},
      {L"%.3f", FALSE, 1.0, L"", FALSE, -3.0, L"0.000"},  // no minus: negatives show as 0
      {L"%g", TRUE, 1.0, L"", FALSE, 170.0, L"170"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::PrintToString(std::wstring(c.text)));
    CDigitEdit e;
    ASSERT_TRUE(e.Create(WS_CHILD, RECT{0, 0, 80, 20}, &parent, 135));
    ASSERT_TRUE(e.SetFormat(c.format));
    e.SetMinus(c.minus);
    ASSERT_TRUE(e.SetUnit(c.perMm, c.unit));
    e.ShowUnit(c.show);
    ASSERT_TRUE(e.SetValue(c.value));
    CString t;
    e.GetWindowText(t);
    EXPECT_EQ(t, CString(c.text));
    // Reading back gives the value to the shown precision, in millimetres.
    double back = 99;
    ASSERT_TRUE(e.GetValue(back));
    const double shown = !c.minus && c.value < 0 ? 0.0 : c.value;
    EXPECT_NEAR(back, shown, 0.0006 / c.perMm);
  }
}

TEST_F(PanletControls, DigitEditRefusesWhatIsNotANumberAndFiltersTyping) {
  CDigitEdit e;
  ASSERT_TRUE(e.Create(WS_CHILD, RECT{0, 0, 80, 20}, &parent, 311));
  e.SetMinus(FALSE);
  e.SetUnit(1.0, L"mm");
  double v = 5;
  for (const wchar_t* bad : {L"", L"-1", L"1.2.3", L"abc", L"1e999", L"12 cm", L"nan"}) {
    e.SetWindowText(bad);
    EXPECT_FALSE(e.GetValue(v)) << testing::PrintToString(std::wstring(bad));
    EXPECT_EQ(v, 5);
  }
  e.SetWindowText(L" 12.5 mm");
  ASSERT_TRUE(e.GetValue(v));
  EXPECT_DOUBLE_EQ(v, 12.5);
  // Typing keeps digits and one point, and a minus only where allowed.
  struct Typed {
    BOOL minus;
    const wchar_t* typed;
    const wchar_t* kept;
  };
  for (const Typed& t : {Typed{FALSE, L"-1a2.3.4", L"12.34"}, Typed{TRUE, L"-1-2", L"-12"}, Typed{TRUE, L"x-5", L"-5"},
                         Typed{FALSE, L"3.5 mm", L"3.5 mm"}}) {
    e.SetMinus(t.minus);
    ASSERT_TRUE(AfxUserEditText(e.GetSafeHwnd(), t.typed));
    CString s;
    e.GetWindowText(s);
    EXPECT_EQ(s, CString(t.kept)) << testing::PrintToString(std::wstring(t.typed));
  }
  // Formats with other or several conversions, units that are not sizes, values that are not
  // numbers: refused.
  for (const wchar_t* f : {L"%d", L"%s", L"%.5f%f", L"abc", L"%.123f", L"%n"}) EXPECT_FALSE(e.SetFormat(f));
  EXPECT_EQ(e.GetFormat(), CString(L"%.3f"));
  EXPECT_TRUE(e.SetFormat(L"%8.2f%%"));
  EXPECT_FALSE(e.SetUnit(0, L"x"));
  EXPECT_FALSE(e.SetUnit(NAN, L"x"));
  EXPECT_FALSE(e.SetValue(INFINITY));
}

TEST_F(PanletControls, SliderEditReplacesAnEditAndKeepsItsRange) {
  CEdit old;
  ASSERT_TRUE(old.Create(WS_CHILD | WS_VISIBLE | WS_TABSTOP, RECT{10, 20, 150, 42}, &parent, 518));
  CKXSliderEdit slider;
  ASSERT_TRUE(slider.CreateInPlaceOf(&old, 519));
  EXPECT_FALSE(old.IsWindowEnabled());
  CRect r;
  slider.GetWindowRect(&r);
  parent.ScreenToClient(&r);
  EXPECT_EQ(r, CRect(10, 20, 150, 42));
  slider.SetRange(5, 20);
  slider.SetPos(3);
  EXPECT_EQ(slider.GetPos(), 5);
  CString t;
  slider.Edit().GetWindowText(t);
  EXPECT_EQ(t, CString(L"5"));
  // The user drags the slider: the number follows.
  ASSERT_TRUE(AfxUserSetPos(slider.Slider().GetSafeHwnd(), 12));
  slider.Edit().GetWindowText(t);
  EXPECT_EQ(t, CString(L"12"));
  // The user types a number out of range: the slider stops at its end, the edit shows that
  // once it loses the focus.
  slider.Edit().SetFocus();
  ASSERT_TRUE(AfxUserEditText(slider.Edit().GetSafeHwnd(), L"40"));
  EXPECT_EQ(slider.GetPos(), 20);
  parent.SetFocus();
  slider.Edit().GetWindowText(t);
  EXPECT_EQ(t, CString(L"20"));
}

constexpr UINT kRoot = 9201, kGeneral = 9202, kGrid = 9203;
constexpr int kValue = 301;

std::vector<std::string> g_calls;

class CValuePage : public CKxPropertyPage {
 public:
  CValuePage(UINT id, std::string name, int lo, int hi) : CKxPropertyPage(id), m_name(std::move(name)), m_lo(lo), m_hi(hi) {}
  int value = 10;
  int scale = 1;  // what InitParam shows the value multiplied by (a display unit)
  void InitParam() override {
    g_calls.push_back(m_name + ".init");
    SetDlgItemInt(kValue, static_cast<UINT>(value * scale));
  }
  int Ok() override {
    g_calls.push_back(m_name + ".ok");
    BOOL good = FALSE;
    const int v = static_cast<int>(GetDlgItemInt(kValue, &good));
    if (!good || v < m_lo || v > m_hi) return -1;
    value = v / scale;
    return 0;
  }
  void Cancel() override { g_calls.push_back(m_name + ".cancel"); }

 private:
  std::string m_name;
  int m_lo, m_hi;
};

class KxSheetTest : public PanletControls {
 protected:
  void SetUp() override {
    PanletControls::SetUp();
    g_calls.clear();
    for (UINT id : {kRoot, kGeneral, kGrid}) {
      AfxDialogTemplate t;
      t.id = id;
      t.cx = 220;
      t.cy = 150;
      t.items = {{kEditClass, static_cast<UINT>(kValue), L"", {10, 10, 80, 30}, WS_BORDER}};
      ASSERT_TRUE(AfxRegisterDialogTemplate(t));
    }
  }
  void TearDown() override {
    CDialog::SetModalDriver(nullptr);
    for (UINT id : {kRoot, kGeneral, kGrid}) AfxUnregisterDialogTemplate(id);
  }
  static HWND Edit(CDialog& p) { return p.GetDlgItem(kValue)->GetSafeHwnd(); }
  CValuePage root{kRoot, "root", 0, 100}, general{kGeneral, "general", 5, 60}, grid{kGrid, "grid", 2, 1000};
};

TEST_F(KxSheetTest, OkStoresEveryPageOrShowsTheOneThatRefuses) {
  CKxPropertySheet sheet(L"System Settings");
  ASSERT_TRUE(sheet.AddRoot(&root, L"Ostrand", 111));
  ASSERT_TRUE(sheet.AddPage(&general, L"General", 334));
  ASSERT_TRUE(sheet.AddPage(&grid, L"Grid", 247));
  EXPECT_FALSE(sheet.AddPage(&grid, L"Grid again", 0));
  EXPECT_EQ(sheet.GetPageCount(), 3);
  EXPECT_EQ(sheet.GetTitle(0), CString(L"Ostrand"));
  EXPECT_EQ(sheet.GetIcon(2), 247u);
  sheet.Light(0);
  int visits = 0;
  CDialog::SetModalDriver([&](CDialog& d) {
    ++visits;
    // All pages are built and showing their values; the root is lit.
    EXPECT_EQ(g_calls, (std::vector<std::string>{"root.init", "general.init", "grid.init"}));
    EXPECT_TRUE(root.IsWindowVisible());
    EXPECT_FALSE(general.IsWindowVisible());
    // Choosing "General" in the list shows its page.
    CWnd* list = d.GetDlgItem(CKxPropertySheet::kPageListId);
    ASSERT_NE(list, nullptr);
    ASSERT_TRUE(AfxUserSelect(list->GetSafeHwnd(), 1));
    EXPECT_TRUE(general.IsWindowVisible());
    // Out of its range on the grid page: OK shows that page and stays open.
    AfxUserEditText(Edit(general), L"30");
    AfxUserEditText(Edit(grid), L"1");
    g_calls.clear();
    AfxUserClick(d.GetDlgItem(IDOK)->GetSafeHwnd());
    EXPECT_EQ(g_calls, (std::vector<std::string>{"root.ok", "general.ok", "grid.ok"}));
    EXPECT_EQ(sheet.GetLit(), 2);
    EXPECT_TRUE(grid.IsWindowVisible());
    AfxUserEditText(Edit(grid), L"25");
    ::PostMessageW(Edit(grid), WM_KEYDOWN, VK_RETURN, 0);
  });
  EXPECT_EQ(sheet.DoModal(), IDOK);
  EXPECT_EQ(visits, 1);
  EXPECT_EQ(general.value, 30);
  EXPECT_EQ(grid.value, 25);
  EXPECT_EQ(root.GetSafeHwnd(), nullptr);
}

TEST_F(KxSheetTest, InitParamRedisplaysEveryPageAndCancelReachesThemAll) {
  CKxPropertySheet sheet(L"System Settings");
  sheet.AddRoot(&root, L"Ostrand");
  sheet.AddPage(&general, L"General");
  CDialog::SetModalDriver([&](CDialog& d) {
    // A unit change: each page shows its value in the new unit at once.
    root.scale = general.scale = 10;
    sheet.InitParam();
    CString t;
    general.GetDlgItemText(kValue, t);
    EXPECT_EQ(t, CString(L"100"));
    g_calls.clear();
    ::PostMessageW(d.GetSafeHwnd(), WM_CLOSE, 0, 0);
  });
  EXPECT_EQ(sheet.DoModal(), IDCANCEL);
  EXPECT_EQ(g_calls, (std::vector<std::string>{"root.cancel", "general.cancel"}));
  EXPECT_EQ(general.value, 10);
  // A sheet without pages cannot open.
  CKxPropertySheet empty;
  EXPECT_EQ(empty.DoModal(), -1);
}

TEST_F(KxSheetTest, PagesDeletedAfterTheRunLeaveTheSheetFirst) {
  CKxPropertySheet sheet(L"System Settings");
  auto* first = new CValuePage(kRoot, "root", 0, 100);
  auto* second = new CValuePage(kGeneral, "general", 0, 100);
  sheet.AddRoot(first, L"Ostrand");
  sheet.AddPage(second, L"General");
  CDialog::SetModalDriver([](CDialog& d) { AfxUserClick(d.GetDlgItem(IDOK)->GetSafeHwnd()); });
  EXPECT_EQ(sheet.DoModal(), IDOK);
  // As the settings command does: the pages go in reverse order while the sheet still exists.
  delete second;
  delete first;
  EXPECT_EQ(sheet.GetPageCount(), 0);
}
}  // namespace
