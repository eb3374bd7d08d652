// The settings pages, headless: every value they show comes from the settings and goes back
// unchanged, each edit lands in its word, refusals name the offending value, and the guide-line
// page's edits are kept or taken back with the page.
#include "ShellFixture.h"

#include "db/Action.h"
#include "db/DbAidLine.h"
#include "platform/vurode/Accessors.h"
#include "platform/afx/Control.h"
#include "platform/afx/Dialog.h"
#include "velmora/shell/SettingsPages.h"
#include "velmora/shell/TabDlg.h"

#include <cmath>
#include <functional>
#include <limits>
#include <numbers>

namespace {
constexpr double kRad = std::numbers::pi / 180.0;

class SettingsPagesTest : public ShellTest {
 protected:
  void SetUp() override {
    ShellTest::SetUp();
    Start();
    ASSERT_TRUE(started);
    g = gGetKXGlobal();
  }
  // Every word the General page edits, as one comparable record.
  struct Words {
    double tol, ang;
    int pick, unit, autoSave, minutes, mAxis, showUnit, smooth;
    bool operator==(const Words&) const = default;
  };
  Words Read() const {
    return {gGetCurveDicTol(), gGetCurveDicAng(), g->GetPickRad(),       g->GetUnit(),     g->IsAutoSave(),
            g->GetAutoSaveMinutes(), int(g->GetMAxisAngle()), g->IsShowUnit(), g->IsAnimateView()};
  }
  CKXGlobal* g = nullptr;
};
}  // namespace

TEST_F(SettingsPagesTest, GeneralPageRoundTripsEveryWord) {
  // Values away from the defaults, so a word the page forgets shows.
  gSetCurveDicTol(0.25);
  gSetCurveDicAng(150 * kRad);
  g->SetPickRad(17);
  g->SetUnit(2);
  g->SetAutoSave(TRUE);
  g->SetAutoSaveMinutes(45);
  g->SetMAxisAngle(12);
  g->SetShowUnit(TRUE);
  g->SetAnimateView(FALSE);
  const Words before = Read();

  CDlgSystemSet page;
  page.BeginEditing();
  EXPECT_FLOAT_EQ(page.m_fTol, 0.25f);
  EXPECT_NEAR(page.m_fAng, 150.0f, 1e-4);
  EXPECT_EQ(page.m_nPickRad, 17);
  EXPECT_EQ(page.m_nUnit, 2);
  EXPECT_EQ(g->GetUnitBefore(), 2);
  EXPECT_EQ(page.m_bAutoSave, 1);
  EXPECT_EQ(page.m_strMinutes, CString(L"45"));
  EXPECT_EQ(page.m_nMAxisAngle, 12u);
  EXPECT_EQ(page.m_bShowUnit, 1);
  EXPECT_EQ(page.m_bSmooth, 0);
  ASSERT_EQ(page.Ok(), 0);
  const Words after = Read();
  EXPECT_NEAR(after.tol, before.tol, 1e-7);  // the page holds single precision
  EXPECT_NEAR(after.ang, before.ang, 1e-6);
  EXPECT_EQ(Words({0, 0, after.pick, after.unit, after.autoSave, after.minutes, after.mAxis, after.showUnit, after.smooth}),
            Words({0, 0, before.pick, before.unit, before.autoSave, before.minutes, before.mAxis, before.showUnit,
                   before.smooth}));
  EXPECT_TRUE(backend.boxes.empty());

  // Each edit lands in its own word.
  struct Edit {
    const char* name;
    std::function<void(CDlgSystemSet&)> edit;
    std::function<bool()> landed;
  };
  const Edit edits[] = {
      {"tolerance", [](CDlgSystemSet& p) { p.m_fTol = 0.125f; }, [] { return std::fabs(gGetCurveDicTol() - 0.125) < 1e-7; }},
      {"angle", [](CDlgSystemSet& p) { p.m_fAng = 135.0f; }, [] { return std::fabs(gGetCurveDicAng() - 135 * kRad) < 1e-6; }},
      {"pick radius", [](CDlgSystemSet& p) { p.m_nPickRad = 9; }, [this] { return g->GetPickRad() == 9; }},
      {"unit", [](CDlgSystemSet& p) { p.m_nUnit = 1; }, [this] { return g->GetUnit() == 1; }},
      {"auto-save", [](CDlgSystemSet& p) { p.m_bAutoSave = 0; }, [this] { return !g->IsAutoSave(); }},
      {"minutes", [](CDlgSystemSet& p) { p.m_strMinutes = L"90"; }, [this] { return g->GetAutoSaveMinutes() == 90; }},
      {"centre-line angle", [](CDlgSystemSet& p) { p.m_nMAxisAngle = 60; }, [this] { return g->GetMAxisAngle() == 60u; }},
      {"show unit", [](CDlgSystemSet& p) { p.m_bShowUnit = 0; }, [this] { return !g->IsShowUnit(); }},
      {"smooth", [](CDlgSystemSet& p) { p.m_bSmooth = 1; }, [this] { return g->IsAnimateView() != 0; }},
  };
  for (const Edit& e : edits) {
    SCOPED_TRACE(e.name);
    CDlgSystemSet p;
    p.BeginEditing();
    const Words was = Read();
    e.edit(p);
    ASSERT_EQ(p.Ok(), 0);
    EXPECT_TRUE(e.landed());
    // Nothing else moved.
    Words now = Read(), expect = was;
    int changed = 0;
    changed += std::fabs(now.tol - expect.tol) > 1e-7;
    changed += std::fabs(now.ang - expect.ang) > 1e-6;
    changed += now.pick != expect.pick;
    changed += now.unit != expect.unit;
    changed += now.autoSave != expect.autoSave;
    changed += now.minutes != expect.minutes;
    changed += now.mAxis != expect.mAxis;
    changed += now.showUnit != expect.showUnit;
    changed += now.smooth != expect.smooth;
    EXPECT_EQ(changed, 1);
  }
}

TEST_F(SettingsPagesTest, GeneralPageRefusesOutOfRangeValuesInOrder) {
  struct Case {
    const char* name;
    std::function<void(CDlgSystemSet&)> edit;
    const wchar_t* box;  // null: accepted
  };
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const Case cases[] = {
      {"tolerance 0.5", [](CDlgSystemSet& p) { p.m_fTol = 0.5f; }, nullptr},
      {"tolerance 0.001", [](CDlgSystemSet& p) { p.m_fTol = 0.001f; }, nullptr},
      {"tolerance 0.6", [](CDlgSystemSet& p) { p.m_fTol = 0.6f; }, L"Curve discrete tolerence exceeded on system set."},
      {"tolerance NaN", [nan](CDlgSystemSet& p) { p.m_fTol = nan; }, L"Curve discrete tolerence exceeded on system set."},
      {"angle 120", [](CDlgSystemSet& p) { p.m_fAng = 120.0f; }, nullptr},
      {"angle 180", [](CDlgSystemSet& p) { p.m_fAng = 180.0f; }, nullptr},
      {"angle 119", [](CDlgSystemSet& p) { p.m_fAng = 119.0f; }, L"Curve discrete angle exceeded on system set."},
      {"centre-line 4", [](CDlgSystemSet& p) { p.m_nMAxisAngle = 4; }, L"Axis Angle exceeded on system set."},
      {"centre-line 60", [](CDlgSystemSet& p) { p.m_nMAxisAngle = 60; }, nullptr},
      {"centre-line 61", [](CDlgSystemSet& p) { p.m_nMAxisAngle = 61; }, L"Axis Angle exceeded on system set."},
      {"empty minutes first",
       [](CDlgSystemSet& p) {
         p.m_strMinutes.Empty();
         p.m_fTol = 9.0f;
       },
       L"Saving time wouldn't be null!"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    g->SetMAxisAngle(30);
    CDlgSystemSet p;
    p.BeginEditing();
    c.edit(p);
    backend.boxes.clear();
    const double tolBefore = gGetCurveDicTol();
    const int r = p.Ok();
    if (c.box) {
      EXPECT_EQ(r, -1);
      ASSERT_EQ(backend.boxes.size(), 1u);
      EXPECT_EQ(backend.boxes[0], c.box);
      EXPECT_EQ(gGetCurveDicTol(), tolBefore);  // nothing stored
    } else {
      EXPECT_EQ(r, 0);
      EXPECT_TRUE(backend.boxes.empty());
    }
  }
}

TEST_F(SettingsPagesTest, MinutesBoxFilterAndAutoSaveTimer) {
  struct Typed {
    const wchar_t* text;
    const wchar_t* kept;
  };
  const Typed typed[] = {{L"0", L""}, {L"5", L"5"}, {L"1x", L"1"}, {L"12", L"12"}, {L"x", L""}, {L"", L""}};
  for (const Typed& t : typed) EXPECT_EQ(CDlgSystemSet::FilterMinutes(CString(t.text)), CString(t.kept)) << t.text;
  // Huge numbers stay within a day, so minutes x 60000 ms fits the timer.
  struct Parsed {
    const wchar_t* text;
    int minutes;
  };
  const Parsed parsed[] = {{L"", 3}, {L"7", 7}, {L"00", 1}, {L"1440", 1440}, {L"1441", 1440}, {L"99999999999999999999", 1440}};
  for (const Parsed& p : parsed) EXPECT_EQ(CDlgSystemSet::ParseMinutes(CString(p.text)), p.minutes) << p.text;

  CDlgSystemSet page;
  page.BeginEditing();
  page.m_bAutoSave = 1;
  page.m_strMinutes = L"99999999999";
  ASSERT_EQ(page.Ok(), 0);
  EXPECT_EQ(g->GetAutoSaveMinutes(), CDlgSystemSet::kMaxMinutes);
  EXPECT_EQ(frame->GetAutoSaveElapse(), UINT(CDlgSystemSet::kMaxMinutes) * 60000u);
  page.m_strMinutes = L"15";
  ASSERT_EQ(page.Ok(), 0);
  EXPECT_EQ(frame->GetAutoSaveElapse(), 900000u);
  // Turning auto-save off kills the timer without restarting it.
  page.m_bAutoSave = 0;
  ASSERT_EQ(page.Ok(), 0);
  EXPECT_EQ(frame->GetAutoSaveElapse(), 0u);

  // "Default config." takes the settings object's defaults.
  page.m_fTol = 0.3f;
  page.m_nPickRad = 19;
  page.LoadDefaults();
  EXPECT_FLOAT_EQ(page.m_fTol, float(CKXGlobal::GetDefault_Tol()));
  EXPECT_EQ(page.m_nPickRad, CKXGlobal::GetDefault_PickRad());
  EXPECT_EQ(page.m_strMinutes, CString(L"10"));
  EXPECT_EQ(page.m_nMAxisAngle, CKXGlobal::GetDefault_MAxisAngle());
}

TEST_F(SettingsPagesTest, UnitButtonsRedisplayInTheClickedUnitAndKeepTheStoredOne) {
  g->SetUnit(0);
  CDlgSystemSet page;
  page.BeginEditing();
  int shownIn = -1;
  page.OnUnitClicked(2, [&] { shownIn = g->GetUnit(); });
  EXPECT_EQ(shownIn, 2);
  EXPECT_EQ(g->GetUnit(), 0);
  EXPECT_EQ(page.m_nUnit, 2);
  ASSERT_EQ(page.Ok(), 0);
  EXPECT_EQ(g->GetUnit(), 2);
}

TEST_F(SettingsPagesTest, GridPageChecksItsKindAndStoresTheWorkArea) {
  CDBase* db = gGetDBase();
  CWorkArea& wa = db->GetWorkArea();
  wa.SetSpaceDx(7.5);
  wa.SetSpaceDy(8.5);
  wa.SetSpaceAngle(33.9);
  wa.SetRadSpace(4.25);
  db->SetGridKind(1);
  db->SetGridFlag(1);
  CGridSetDlg page;
  page.FillFromDrawing();
  EXPECT_EQ(page.m_dSpaceX, 7.5);
  EXPECT_EQ(page.m_dSpaceY, 8.5);
  EXPECT_EQ(page.m_nAngle, 33);  // whole degrees
  EXPECT_EQ(page.m_dLineSpace, 4.25);
  EXPECT_EQ(page.m_nKind, 1);
  EXPECT_EQ(page.m_bShowGrid, 1);

  struct Case {
    const char* name;
    int kind;
    double x, y, line;
    int angle;
    const wchar_t* box;
    UINT focus;
  };
  const Case cases[] = {
      {"rectangular spacing of 1", 0, 1.0, 5.0, 5.0, 10, L"Error in setting horizontal point space, please reset!", 311},
      {"rectangular vertical 0.5", 0, 5.0, 0.5, 5.0, 10, L"Error in setting vertical point space, please reset!", 294},
      {"rectangular", 0, 2.5, 3.5, 0.1, 0, nullptr, 0},
      {"radial angle 0", 1, 0.1, 0.1, 5.0, 0, L"Error in setting angle, please reset!", 332},
      {"radial angle 360", 1, 0.1, 0.1, 5.0, 360, L"Error in setting angle, please reset!", 332},
      {"radial line space 1", 1, 0.1, 0.1, 1.0, 45, L"Error in setting line space, please reset!", 356},
      {"radial", 1, 0.1, 0.1, 6.0, 359, nullptr, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    page.m_nKind = c.kind;
    page.m_dSpaceX = c.x;
    page.m_dSpaceY = c.y;
    page.m_dLineSpace = c.line;
    page.m_nAngle = c.angle;
    page.m_bShowGrid = 0;
    db->SetGridFlag(1);
    backend.boxes.clear();
    const int r = page.Ok();
    EXPECT_EQ(page.m_nFocus, c.focus);
    if (c.box) {
      EXPECT_EQ(r, -1);
      ASSERT_EQ(backend.boxes.size(), 1u);
      EXPECT_EQ(backend.boxes[0], c.box);
      EXPECT_EQ(db->GetGridFlag(), 1);
      continue;
    }
    EXPECT_EQ(r, 0);
    EXPECT_EQ(db->GetGridKind(), c.kind);
    EXPECT_EQ(db->GetGridFlag(), 0);
    if (c.kind == 0) {
      EXPECT_EQ(wa.GetSpaceDx(), c.x);
      EXPECT_EQ(wa.GetSpaceDy(), c.y);
    } else {
      EXPECT_EQ(wa.GetSpaceAngle(), c.angle);
      EXPECT_EQ(wa.GetRadSpace(), c.line);
    }
  }
  EXPECT_EQ(CGridSetDlg::ControlsOf(0), (std::vector<UINT>{311, 1311, 294, 1294}));
  EXPECT_EQ(CGridSetDlg::ControlsOf(1), (std::vector<UINT>{332, 1332, 356, 1356}));
}

TEST_F(SettingsPagesTest, GuideLinesPageEditsAreKeptOnOkAndTakenBackOnCancel) {
  CDBase* db = gGetDBase();
  db->AddTail(new CDbAidLine(10.0, 0, 1));
  db->AddTail(new CDbAidLine(-3.0, 1, 1));
  g->SetUnit(1);  // the list shows centimetres
  auto lines = [db] {
    std::vector<std::pair<int, double>> out;
    for (POSITION p = db->GetEntityList().GetHeadPosition(); p;)
      if (auto* l = dynamic_cast<CDbAidLine*>(db->GetEntityList().GetNext(p))) out.emplace_back(l->GetOrientation(), l->GetCoord());
    return out;
  };
  const auto seeded = lines();
  {
    CSystemSetDlg page;
    page.BeginEditing();
    EXPECT_EQ(page.GetEntries(), std::vector<CString>{CString(L"1.000")});
    page.SetOrientation(1);
    EXPECT_EQ(page.GetEntries(), std::vector<CString>{CString(L"-0.300")});
    // Modify and Delete without a chosen entry only say so.
    EXPECT_EQ(page.OnModify(), 0);
    EXPECT_EQ(page.OnDelete(), 0);
    EXPECT_EQ(backend.boxes, (std::vector<std::wstring>{L"Please select aid line to delete", L"Please select aid line to delete"}));
    page.m_dValue = 25.0;
    EXPECT_EQ(page.OnAdd(), 1);
    EXPECT_EQ(page.GetEntries().back(), CString(L"2.500"));
    page.SelectEntry(0);
    EXPECT_EQ(page.m_dValue, -3.0);
    page.m_dValue = 4.0;
    EXPECT_EQ(page.OnModify(), 1);
    page.SetOrientation(0);
    EXPECT_EQ(page.OnClear(), 1);
    EXPECT_TRUE(page.GetEntries().empty());
    EXPECT_EQ(gGetActManager()->GetCurrent()->GetName(), CString(L"清空水平辅助线"));
    page.OnShowGuideline(0);
    EXPECT_EQ(db->GetDbAidLineVisibility(), 0);
    page.OnShowGuideline(1);
    page.Cancel();
  }
  EXPECT_EQ(lines(), seeded);
  EXPECT_FALSE(gGetActManager()->CanRedo());
  {
    CSystemSetDlg page;
    page.BeginEditing();
    page.SelectEntry(0);
    EXPECT_EQ(page.OnDelete(), 1);
    EXPECT_EQ(page.Ok(), 0);
    page.Commit();
  }
  EXPECT_EQ(gGetActManager()->GetCurrent()->GetName(), CString(L"DeleteAid Line"));
  EXPECT_EQ(lines(), (std::vector<std::pair<int, double>>{{1, -3.0}}));
}

namespace {
HWND Item(CWnd* page, UINT id) {
  CWnd* w = page ? page->GetDlgItem(int(id)) : nullptr;
  return w ? w->m_hWnd : nullptr;
}
// Ends a modal run that a failed check left open, so a failure cannot hang the test.
struct EndUnlessClosed {
  CDialog& dialog;
  bool closed = false;
  ~EndUnlessClosed() {
    if (!closed) dialog.EndDialog(IDABORT);
  }
};
CString Text(CWnd* page, UINT id) {
  CString s;
  if (CWnd* w = page->GetDlgItem(int(id))) w->GetWindowText(s);
  return s;
}
}  // namespace

TEST_F(SettingsPagesTest, SheetShowsThePagesAndStoresWhatTheUserChanged) {
  g->SetUnit(0);
  gSetCurveDicTol(0.01);
  g->SetAutoSave(FALSE);
  g->SetPickRad(5);
  CDBase* db = gGetDBase();
  db->AddTail(new CDbAidLine(10.0, 0, 1));
  int ran = 0;
  std::vector<std::wstring> titles;
  auto prev = CDialog::SetModalDriver([&](CDialog& d) {
    EndUnlessClosed guard{d};
    ++ran;
    auto* sheet = dynamic_cast<CKxPropertySheet*>(&d);
    ASSERT_NE(sheet, nullptr);
    for (int i = 0; i < sheet->GetPageCount(); ++i) titles.push_back(sheet->GetTitle(i).GetString());
    EXPECT_EQ(sheet->GetLit(), 0);
    auto* general = dynamic_cast<CDlgSystemSet*>(sheet->GetPage(3));
    auto* guide = dynamic_cast<CSystemSetDlg*>(sheet->GetPage(1));
    ASSERT_TRUE(general && general->m_hWnd && guide && guide->m_hWnd);
    // The stored values are on show, the tolerance in the unit in force.
    EXPECT_EQ(Text(general, setid::kTol), CString(L"0.01000 mm"));
    EXPECT_EQ(general->IsDlgButtonChecked(setid::kMM), BST_CHECKED);
    EXPECT_FALSE(general->GetDlgItem(setid::kPick)->IsWindowEnabled());  // the slider took its place
    // Inches: every page is shown in inches, and the tolerance typed in inches.
    ASSERT_TRUE(AfxUserClick(Item(general, setid::kInch)));
    EXPECT_EQ(g->GetUnit(), 0);
    EXPECT_EQ(Text(general, setid::kTol), CString(L"0.00039 in"));
    ASSERT_TRUE(AfxUserEditText(Item(general, setid::kTol), L"0.01"));
    ASSERT_TRUE(AfxUserClick(Item(general, setid::kAutoSave)));
    ASSERT_TRUE(AfxUserEditText(Item(general, setid::kMinutes), L"2x"));
    EXPECT_EQ(Text(general, setid::kMinutes), CString(L"2"));
    auto* slider = dynamic_cast<CKXSliderEdit*>(general->GetDlgItem(setid::kPickSlider));
    ASSERT_NE(slider, nullptr);
    ASSERT_TRUE(AfxUserSetPos(slider->Slider().m_hWnd, 12));
    // Guide lines: the list shows inches; move the first line to 1 in.
    ASSERT_TRUE(AfxUserSelect(Item(guide, setid::kList), 0));
    EXPECT_EQ(guide->GetSelection(), 0);
    ASSERT_TRUE(AfxUserEditText(Item(guide, setid::kValue), L"1"));
    ASSERT_TRUE(AfxUserClick(Item(guide, setid::kModify)));
    guard.closed = AfxUserClick(Item(&d, IDOK));
  });
  const INT_PTR r = RunSettingsSheet(frame);
  CDialog::SetModalDriver(prev);
  EXPECT_EQ(ran, 1);
  EXPECT_EQ(r, IDOK);
  EXPECT_EQ(titles, (std::vector<std::wstring>{L"Ostrand", L"GuideLines", L"Grid", L"General"}));
  EXPECT_EQ(g->GetUnit(), 2);
  EXPECT_NEAR(gGetCurveDicTol(), 0.254, 1e-6);
  EXPECT_TRUE(g->IsAutoSave());
  EXPECT_EQ(g->GetAutoSaveMinutes(), 2);
  EXPECT_EQ(frame->GetAutoSaveElapse(), 120000u);
  auto* line = dynamic_cast<CDbAidLine*>(db->GetEntityList().GetTail());
  ASSERT_NE(line, nullptr);
  EXPECT_NEAR(line->GetCoord(), 25.4, 1e-9);
  EXPECT_EQ(gGetActManager()->GetCurrent()->GetName(), CString(L"UpdateAid Line"));
}

TEST_F(SettingsPagesTest, ARefusedGridValueKeepsTheSheetOpenAndCancelTakesTheGuideLinesBack) {
  CDBase* db = gGetDBase();
  db->AddTail(new CDbAidLine(10.0, 1, 1));
  db->GetWorkArea().SetSpaceDx(6.0);
  std::vector<int> lit;
  auto prev = CDialog::SetModalDriver([&](CDialog& d) {
    EndUnlessClosed guard{d};
    auto* sheet = dynamic_cast<CKxPropertySheet*>(&d);
    ASSERT_NE(sheet, nullptr);
    auto* grid = dynamic_cast<CGridSetDlg*>(sheet->GetPage(2));
    auto* guide = dynamic_cast<CSystemSetDlg*>(sheet->GetPage(1));
    ASSERT_TRUE(grid && guide);
    // The grid page was filled from the work area; rectangular enables its spacings only.
    EXPECT_EQ(Text(grid, setid::kSpaceX), CString(L"6.000"));
    EXPECT_TRUE(grid->GetDlgItem(setid::kSpaceX)->IsWindowEnabled());
    EXPECT_FALSE(grid->GetDlgItem(setid::kLineSpace)->IsWindowEnabled());
    ASSERT_TRUE(AfxUserClick(Item(grid, setid::kRadial)));
    EXPECT_FALSE(grid->GetDlgItem(setid::kSpaceX)->IsWindowEnabled());
    EXPECT_TRUE(grid->GetDlgItem(setid::kAngle)->IsWindowEnabled());
    ASSERT_TRUE(AfxUserClick(Item(grid, setid::kRect)));
    ASSERT_TRUE(AfxUserEditText(Item(grid, setid::kSpaceX), L"1"));
    // A vertical guide line added on the way.
    ASSERT_TRUE(AfxUserClick(Item(guide, setid::kVer)));
    ASSERT_TRUE(AfxUserEditText(Item(guide, setid::kValue), L"42"));
    ASSERT_TRUE(AfxUserClick(Item(guide, setid::kAdd)));
    EXPECT_EQ(db->GetCount(), 2);
    ASSERT_TRUE(AfxUserClick(Item(&d, IDOK)));
    lit.push_back(sheet->GetLit());
    guard.closed = AfxUserClick(Item(&d, IDCANCEL));
  });
  // Through the menu item, as the user opens it.
  EXPECT_TRUE(Command(32837));
  CDialog::SetModalDriver(prev);
  EXPECT_EQ(lit, std::vector<int>{2});
  EXPECT_EQ(backend.boxes, std::vector<std::wstring>{L"Error in setting horizontal point space, please reset!"});
  EXPECT_EQ(db->GetWorkArea().GetSpaceDx(), 6.0);
  EXPECT_EQ(db->GetCount(), 1);
  EXPECT_FALSE(gGetActManager()->CanRedo());
}

TEST_F(SettingsPagesTest, TabDialogShowsOnePageAtATimeAndClosesOnOkWhateverThePagesSay) {
  CTabDlg::RegisterTemplate();
  gSetCurveDicAng(170 * kRad);
  gGetDBase()->GetWorkArea().SetSpaceDx(6.0);
  std::vector<int> shown;
  auto prev = CDialog::SetModalDriver([&](CDialog& d) {
    EndUnlessClosed guard{d};
    auto* dlg = dynamic_cast<CTabDlg*>(&d);
    ASSERT_NE(dlg, nullptr);
    CWnd* tab = dlg->GetDlgItem(CTabDlg::kTab);
    ASSERT_NE(tab, nullptr);
    CDlgSystemSet& general = dlg->General();
    CGridSetDlg& grid = dlg->Grid();
    ASSERT_TRUE(general.m_hWnd && grid.m_hWnd);
    // Inside the tab control, below its band of tabs.
    CRect r;
    general.GetWindowRect(&r);
    tab->ScreenToClient(&r);
    EXPECT_EQ(r.left, CTabDlg::kInset);
    EXPECT_EQ(r.top, CTabDlg::kTabBand + CTabDlg::kInset);
    shown.push_back(general.IsWindowVisible() ? 0 : grid.IsWindowVisible() ? 1 : -1);
    ASSERT_TRUE(AfxUserEditText(Item(&general, setid::kAng), L"150"));
    ASSERT_TRUE(AfxUserSelect(tab->m_hWnd, 1));
    shown.push_back(general.IsWindowVisible() ? 0 : grid.IsWindowVisible() ? 1 : -1);
    EXPECT_EQ(Text(&grid, setid::kSpaceX), CString(L"6.000"));
    ASSERT_TRUE(AfxUserEditText(Item(&grid, setid::kSpaceX), L"1"));
    guard.closed = AfxUserClick(Item(&d, IDOK));
  });
  CTabDlg dlg(frame);
  const INT_PTR r = dlg.DoModal();
  CDialog::SetModalDriver(prev);
  EXPECT_EQ(r, IDOK);
  EXPECT_EQ(shown, (std::vector<int>{0, 1}));
  EXPECT_NEAR(gGetCurveDicAng(), 150 * kRad, 1e-6);
  EXPECT_EQ(gGetDBase()->GetWorkArea().GetSpaceDx(), 6.0);
  EXPECT_EQ(backend.boxes, std::vector<std::wstring>{L"Error in setting horizontal point space, please reset!"});
}
