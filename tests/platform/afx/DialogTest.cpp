// Dialogs built from registered templates: data exchange both ways with validation, radio
// groups, modal runs ended from a timer, by keys, by the window's close and by a driver, and the
// controls a member object takes over.
#include "platform/afx/Afx.h"
#include "platform/afx/Button.h"
#include "platform/afx/DataExchange.h"
#include "platform/afx/Dialog.h"
#include "platform/afx/DialogTemplate.h"
#include "platform/afx/Edit.h"
#include "platform/afx/ListBox.h"
#include "support/FakeWindowBackend.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace {
constexpr UINT kTemplate = 9001;
constexpr int kName = 101, kCount = 102, kTol = 103, kAngle = 104, kMinutes = 105, kShow = 106;
constexpr int kRadioA = 107, kRadioB = 108, kRadioC = 109, kPush = 110, kUnits = 111, kFree = 112, kList = 113;

void RegisterTemplate() {
  AfxDialogTemplate t;
  t.id = kTemplate;
  t.caption = L"Settings";
  t.cx = 300;
  t.cy = 200;
  t.style = WS_VISIBLE;  // modeless runs show at once; modal runs show after initialising
  const DWORD edit = WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL;
  t.items = {
      {kEditClass, static_cast<UINT>(kName), L"", {10, 10, 100, 30}, edit},
      {kEditClass, static_cast<UINT>(kCount), L"", {10, 40, 100, 60}, edit},
      {kEditClass, static_cast<UINT>(kTol), L"", {10, 70, 100, 90}, edit},
      {kEditClass, static_cast<UINT>(kAngle), L"", {10, 100, 100, 120}, edit},
      {kEditClass, static_cast<UINT>(kMinutes), L"", {10, 130, 100, 150}, edit},
      {kButtonClass, static_cast<UINT>(kShow), L"Show", {120, 10, 200, 30}, BS_AUTOCHECKBOX | WS_TABSTOP},
      {kButtonClass, static_cast<UINT>(kRadioA), L"A", {120, 40, 200, 60}, BS_AUTORADIOBUTTON | WS_GROUP},
      {kButtonClass, static_cast<UINT>(kRadioB), L"B", {120, 60, 200, 80}, BS_AUTORADIOBUTTON},
      {kButtonClass, static_cast<UINT>(kRadioC), L"C", {120, 80, 200, 100}, BS_AUTORADIOBUTTON},
      {kButtonClass, static_cast<UINT>(kPush), L"Go", {120, 110, 200, 130}, BS_PUSHBUTTON | WS_GROUP},
      {kComboBoxClass, static_cast<UINT>(kUnits), L"", {210, 10, 290, 100}, CBS_DROPDOWNLIST},
      {kComboBoxClass, static_cast<UINT>(kFree), L"", {210, 40, 290, 130}, CBS_DROPDOWN},
      {kListBoxClass, static_cast<UINT>(kList), L"", {210, 140, 290, 190}, LBS_NOTIFY},
      {kButtonClass, IDOK, L"OK", {10, 170, 80, 190}, BS_DEFPUSHBUTTON | WS_TABSTOP},
      {kButtonClass, IDCANCEL, L"Cancel", {90, 170, 160, 190}, BS_PUSHBUTTON | WS_TABSTOP},
  };
  ASSERT_TRUE(AfxRegisterDialogTemplate(t));
}

class CSettingsDlg : public CDialog {
 public:
  explicit CSettingsDlg(CWnd* parent = nullptr) : CDialog(kTemplate, parent) {}

  BOOL OnInitDialog() override {
    ++inits;
    // The combo is filled before the exchange selects in it.
    units.SubclassDlgItem(kUnits, this);
    for (const wchar_t* u : {L"mm", L"cm", L"in"}) units.AddString(u);
    return CDialog::OnInitDialog();
  }

  CString name = L"part";
  int count = 5;
  double tol = 0.01;
  float angle = 170.0f;
  UINT minutes = 10;
  int show = 1;
  int radio = 1;
  int unitIndex = 2;
  CString freeText = L"15";
  CComboBox units;
  CListBox list;
  int inits = 0;
  int timerTicks = 0;
  int endAfterTicks = 0;

 protected:
  void DoDataExchange(CDataExchange* pDX) override {
    DDX_Control(pDX, kUnits, units);
    DDX_Control(pDX, kList, list);
    DDX_Text(pDX, kName, name);
    DDV_MaxChars(pDX, name, 8);
    DDX_Text(pDX, kCount, count);
    DDV_MinMaxInt(pDX, count, 0, 100);
    DDX_Text(pDX, kTol, tol);
    DDV_MinMaxDouble(pDX, tol, 0.001, 0.5);
    DDX_Text(pDX, kAngle, angle);
    DDV_MinMaxFloat(pDX, angle, 120.0f, 180.0f);
    DDX_Text(pDX, kMinutes, minutes);
    DDX_Check(pDX, kShow, show);
    DDX_Radio(pDX, kRadioA, radio);
    DDX_CBIndex(pDX, kUnits, unitIndex);
    DDX_CBString(pDX, kFree, freeText);
  }
  void OnTimer(UINT_PTR) {
    if (++timerTicks == endAfterTicks) EndDialog(7);
  }
  DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CSettingsDlg, CDialog)
  ON_WM_TIMER()
END_MESSAGE_MAP()

// A dialog that ends itself from a timer it starts when it opens.
class CTimedDlg : public CSettingsDlg {
 public:
  using CSettingsDlg::CSettingsDlg;
  BOOL OnInitDialog() override {
    CSettingsDlg::OnInitDialog();
    SetTimer(1, 50, nullptr);
    return TRUE;
  }
};

CString Text(CWnd& dlg, int id) {
  CString s;
  dlg.GetDlgItemText(id, s);
  return s;
}

HWND Item(CWnd& dlg, int id) {
  CWnd* w = dlg.GetDlgItem(id);
  return w ? w->GetSafeHwnd() : nullptr;
}

class DialogTest : public testing::Test {
 protected:
  void SetUp() override { RegisterTemplate(); }
  void TearDown() override {
    CDialog::SetModalDriver(nullptr);
    AfxUnregisterDialogTemplate(kTemplate);
  }
  FakeWindowBackend backend;
};

TEST_F(DialogTest, MembersGoToTheControlsAndComeBackAfterUserEdits) {
  CSettingsDlg dlg;
  ASSERT_TRUE(dlg.Create(kTemplate));
  EXPECT_EQ(dlg.inits, 1);
  EXPECT_EQ(Text(dlg, kName), CString(L"part"));
  EXPECT_EQ(Text(dlg, kCount), CString(L"5"));
  EXPECT_EQ(Text(dlg, kTol), CString(L"0.01"));
  EXPECT_EQ(Text(dlg, kAngle), CString(L"170"));
  EXPECT_EQ(Text(dlg, kMinutes), CString(L"10"));
  EXPECT_EQ(dlg.IsDlgButtonChecked(kShow), 1u);
  EXPECT_EQ(dlg.GetCheckedRadioButton(kRadioA, kRadioC), kRadioB);
  EXPECT_EQ(dlg.units.GetCurSel(), 2);
  EXPECT_EQ(Text(dlg, kUnits), CString(L"in"));
  EXPECT_EQ(Text(dlg, kFree), CString(L"15"));

  // The user types and clicks; the exchange brings it all back.
  ASSERT_TRUE(AfxUserEditText(Item(dlg, kName), L"frame"));
  ASSERT_TRUE(AfxUserEditText(Item(dlg, kCount), L" 42 "));
  ASSERT_TRUE(AfxUserEditText(Item(dlg, kTol), L"0.5"));
  ASSERT_TRUE(AfxUserEditText(Item(dlg, kAngle), L"120"));
  ASSERT_TRUE(AfxUserEditText(Item(dlg, kMinutes), L"4000000000"));
  ASSERT_TRUE(AfxUserClick(Item(dlg, kShow)));
  ASSERT_TRUE(AfxUserClick(Item(dlg, kRadioC)));
  ASSERT_TRUE(AfxUserSelect(Item(dlg, kUnits), 0));
  ASSERT_TRUE(AfxUserEditText(Item(dlg, kFree), L"45"));
  ASSERT_TRUE(dlg.UpdateData(TRUE));
  EXPECT_EQ(dlg.name, CString(L"frame"));
  EXPECT_EQ(dlg.count, 42);
  EXPECT_DOUBLE_EQ(dlg.tol, 0.5);  // the bounds themselves are accepted
  EXPECT_FLOAT_EQ(dlg.angle, 120.0f);
  EXPECT_EQ(dlg.minutes, 4000000000u);
  EXPECT_EQ(dlg.show, 0);
  EXPECT_EQ(dlg.radio, 2);
  EXPECT_EQ(dlg.unitIndex, 0);
  EXPECT_EQ(dlg.freeText, CString(L"45"));
  EXPECT_TRUE(backend.boxes.empty());
}

TEST_F(DialogTest, RefusedValuesFailTheExchangeWithAMessageAndFocusTheControl) {
  struct Case {
    int id;
    const wchar_t* text;
    const wchar_t* message;
  };
  const Case cases[] = {
      {kName, L"too long name", L"Please enter no more than 8 characters."},
      {kCount, L"", L"Please enter an integer."},
      {kCount, L"12x", L"Please enter an integer."},
      {kCount, L"99999999999", L"Please enter an integer."},
      {kCount, L"101", L"Please enter an integer between 0 and 100."},
      {kCount, L"-1", L"Please enter an integer between 0 and 100."},
      {kTol, L"abc", L"Please enter a number."},
      {kTol, L"0.0009", L"Please enter a number between 0.001 and 0.5."},
      {kTol, L"0.5000001", L"Please enter a number between 0.001 and 0.5."},
      {kTol, L"nan", L"Please enter a number."},
      {kTol, L"1e999", L"Please enter a number."},
      {kAngle, L"180.5", L"Please enter a number between 120 and 180."},
      {kMinutes, L"-1", L"Please enter an integer."},
      {kMinutes, L"4294967296", L"Please enter an integer."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::PrintToString(std::wstring(c.text)));
    CSettingsDlg dlg;
    ASSERT_TRUE(dlg.Create(kTemplate));
    dlg.SetDlgItemText(c.id, c.text);
    backend.boxes.clear();
    backend.boxAnswers = {IDOK};
    EXPECT_FALSE(dlg.UpdateData(TRUE));
    ASSERT_EQ(backend.boxes.size(), 1u);
    EXPECT_EQ(backend.boxes[0].text, c.message);
    EXPECT_EQ(::GetFocus(), Item(dlg, c.id));
    // The failing edit's text is selected so that the user can retype it.
    const AfxControlState* s = AfxGetControlState(Item(dlg, c.id));
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->selStart, 0);
    EXPECT_EQ(s->selEnd, ::GetWindowTextLengthW(Item(dlg, c.id)));
  }
  // The length check also limits what the user can type.
  CSettingsDlg dlg;
  ASSERT_TRUE(dlg.Create(kTemplate));
  ASSERT_TRUE(AfxUserEditText(Item(dlg, kName), L"too long name"));
  EXPECT_EQ(Text(dlg, kName), CString(L"too long"));
  EXPECT_TRUE(dlg.UpdateData(TRUE));
}

TEST_F(DialogTest, RadioExchangeCoversItsGroupOnly) {
  CSettingsDlg dlg;
  dlg.radio = -1;
  ASSERT_TRUE(dlg.Create(kTemplate));
  EXPECT_EQ(dlg.GetCheckedRadioButton(kRadioA, kRadioC), 0);
  ASSERT_TRUE(dlg.UpdateData(TRUE));
  EXPECT_EQ(dlg.radio, -1);
  // Automatic radio buttons clear the others of their group, not the push button after it.
  for (int id : {kRadioA, kRadioC, kRadioB}) {
    ASSERT_TRUE(AfxUserClick(Item(dlg, id)));
    int checked = 0;
    for (int other : {kRadioA, kRadioB, kRadioC}) checked += dlg.IsDlgButtonChecked(other) ? 1 : 0;
    EXPECT_EQ(checked, 1);
    ASSERT_TRUE(dlg.UpdateData(TRUE));
    EXPECT_EQ(dlg.radio, id - kRadioA);
  }
  dlg.radio = 0;
  dlg.UpdateData(FALSE);
  EXPECT_EQ(dlg.GetCheckedRadioButton(kRadioA, kRadioC), kRadioA);
}

TEST_F(DialogTest, ModalRunEndsFromATimerAndReleasesItsOwner) {
  CWnd owner;
  ASSERT_TRUE(owner.Create(nullptr, L"owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE, RECT{0, 0, 800, 600}, nullptr, 0));
  CTimedDlg dlg(&owner);
  dlg.endAfterTicks = 3;
  bool ownerDisabledDuringRun = false;
  CDialog::SetModalDriver([&](CDialog& d) {
    ownerDisabledDuringRun = !owner.IsWindowEnabled() && d.IsWindowVisible();
  });
  const DWORD start = backend.now;
  EXPECT_EQ(dlg.DoModal(), 7);
  EXPECT_TRUE(ownerDisabledDuringRun);
  EXPECT_EQ(dlg.timerTicks, 3);
  EXPECT_GE(backend.now - start, 150u);
  EXPECT_TRUE(owner.IsWindowEnabled());
  EXPECT_EQ(dlg.GetSafeHwnd(), nullptr);
  // The member controls let go of their windows with the dialog.
  EXPECT_EQ(dlg.units.GetSafeHwnd(), nullptr);
  EXPECT_EQ(dlg.list.GetSafeHwnd(), nullptr);
  // A second run builds everything again.
  dlg.timerTicks = 0;
  EXPECT_EQ(dlg.DoModal(), 7);
  EXPECT_EQ(dlg.inits, 2);
}

TEST_F(DialogTest, ModalRunEndsByButtonsKeysAndClosing) {
  struct Case {
    const char* name;
    std::function<void(CDialog&)> act;
    INT_PTR result;
    bool stored;
  };
  const std::vector<Case> cases = {
      {"OK button", [](CDialog& d) { AfxUserClick(Item(d, IDOK)); }, IDOK, true},
      {"Cancel button", [](CDialog& d) { AfxUserClick(Item(d, IDCANCEL)); }, IDCANCEL, false},
      {"Enter in an edit",
       [](CDialog& d) { ::PostMessageW(Item(d, kName), WM_KEYDOWN, VK_RETURN, 0); }, IDOK, true},
      {"Escape in an edit",
       [](CDialog& d) { ::PostMessageW(Item(d, kName), WM_KEYDOWN, VK_ESCAPE, 0); }, IDCANCEL, false},
      {"closing the window", [](CDialog& d) { ::PostMessageW(d.GetSafeHwnd(), WM_CLOSE, 0, 0); }, IDCANCEL, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    CSettingsDlg dlg;
    CDialog::SetModalDriver([&](CDialog& d) {
      AfxUserEditText(Item(d, kCount), L"77");
      c.act(d);
    });
    EXPECT_EQ(dlg.DoModal(), c.result);
    EXPECT_EQ(dlg.count, c.stored ? 77 : 5);
  }
}

TEST_F(DialogTest, OkWithARefusedValueKeepsTheDialogOpen) {
  CSettingsDlg dlg;
  int step = 0;
  CDialog::SetModalDriver([&](CDialog& d) {
    AfxUserEditText(Item(d, kCount), L"500");
    AfxUserClick(Item(d, IDOK));  // refused: a box, and the dialog stays
    step = d.GetSafeHwnd() ? 1 : 0;
    AfxUserEditText(Item(d, kCount), L"50");
    AfxUserClick(Item(d, IDOK));
  });
  backend.boxAnswers = {IDOK};
  EXPECT_EQ(dlg.DoModal(), IDOK);
  EXPECT_EQ(step, 1);
  EXPECT_EQ(dlg.count, 50);
  ASSERT_EQ(backend.boxes.size(), 1u);
}

TEST_F(DialogTest, ModalRunWithoutTemplateOrWithoutInputFails) {
  CDialog missing(4242);
  EXPECT_EQ(missing.DoModal(), -1);
  // Headless with nothing to wait for: the loop cannot hang, the run ends as aborted.
  CSettingsDlg idle;
  EXPECT_EQ(idle.DoModal(), IDABORT);
  EXPECT_EQ(idle.GetSafeHwnd(), nullptr);
}

TEST_F(DialogTest, QuitDuringAModalRunEndsItAndReachesTheApplicationLoop) {
  CSettingsDlg dlg;
  CDialog::SetModalDriver([](CDialog&) { ::PostQuitMessage(3); });
  EXPECT_EQ(dlg.DoModal(), IDABORT);
  MSG m;
  ASSERT_TRUE(::PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(m.message, WM_QUIT);
  EXPECT_EQ(m.wParam, 3u);
}

TEST_F(DialogTest, TabMovesTheFocusThroughControlsThatTakeIt) {
  CSettingsDlg dlg;
  ASSERT_TRUE(dlg.Create(kTemplate));
  dlg.GetDlgItem(kName)->SetFocus();
  std::vector<int> order;
  for (int i = 0; i < 9; ++i) {
    dlg.NextDlgCtrl();
    order.push_back(static_cast<int>(CWnd::GetFocus()->GetDlgCtrlID()));
  }
  // Edits, the check box, OK, Cancel, then round again.
  EXPECT_EQ(order, (std::vector<int>{kCount, kTol, kAngle, kMinutes, kShow, IDOK, IDCANCEL, kName, kCount}));
  dlg.PrevDlgCtrl();
  EXPECT_EQ(CWnd::GetFocus()->GetDlgCtrlID(), static_cast<UINT>(kName));
}

TEST_F(DialogTest, TemplatesRefuseControlsWithoutClass) {
  AfxDialogTemplate bad;
  bad.id = 9002;
  bad.items = {{nullptr, 1, L"x", {0, 0, 1, 1}, 0}};
  EXPECT_FALSE(AfxRegisterDialogTemplate(bad));
  EXPECT_EQ(AfxFindDialogTemplate(9002), nullptr);
  AfxDialogTemplate noId;
  EXPECT_FALSE(AfxRegisterDialogTemplate(noId));
}
}  // namespace
