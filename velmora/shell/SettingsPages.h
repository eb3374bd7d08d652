// The system settings pages: "General" (tolerances, pick radius, unit, auto-save, centre
// lines, view switches), "GuideLines" (the drawing's guide lines through the guide-line
// store) and "Grid" (the work area's grid), plus the root page. Each page keeps the values its
// controls show in members: InitParam fills them from the settings, Ok checks and stores them
// (0, or -1 after telling the user what is wrong), Cancel leaves the settings as they were.
#pragma once

#include "platform/afx/ListBox.h"
#include "platform/afx/String.h"
#include "platform/panlet/DigitEdit.h"
#include "platform/panlet/KxPropertySheet.h"
#include "platform/panlet/SliderEdit.h"
#include "platform/win/WinTypes.h"
#include "velmora/shell/GuideLineStore.h"

#include <functional>
#include <vector>

// The pages' templates (registered once; again is harmless).
void RegisterSettingsTemplates();

// Control ids of the pages.
namespace setid {
// General
constexpr UINT kTol = 135, kAng = 134, kPick = 518, kPickSlider = 1518, kMM = 153, kCM = 136, kInch = 179, kFeet = 180;
constexpr UINT kAutoSave = 451, kMinutes = 412, kMAxis = 770, kShowUnit = 1042, kSmooth = 1043, kDefault = 32772;
// GuideLines
constexpr UINT kList = 622, kValue = 802, kHor = 160, kVer = 172, kAdd = 621, kModify = 799, kDelete = 801,
               kClear = 800, kShowGuide = 804;
// Grid
constexpr UINT kRect = 166, kRadial = 168, kSpaceX = 311, kSpaceY = 294, kLineSpace = 356, kAngle = 332,
               kShowGrid = 803;
// Labels of the grid's edits, enabled with them.
constexpr UINT kSpaceXLabel = 1311, kSpaceYLabel = 1294, kLineSpaceLabel = 1356, kAngleLabel = 1332;
}  // namespace setid

// A settings page that can also live as a child of another window (the tab dialog's tab
// control) rather than in the sheet.
class CSettingsPage : public CKxPropertyPage {
 public:
  explicit CSettingsPage(UINT nIDTemplate) : CKxPropertyPage(nIDTemplate) {}
  // The page's window and controls inside the parent at the rectangle, initialised; FALSE when
  // its template is missing or the window cannot be made.
  BOOL CreateChild(CWnd* pParent, const RECT& rect);
};

// The root page (template 111): static texts only.
class CAboutDlgNew : public CKxPropertyPage {
 public:
  CAboutDlgNew() : CKxPropertyPage(111) {}
};

// "General" (template 334).
class CDlgSystemSet : public CSettingsPage {
 public:
  CDlgSystemSet() : CSettingsPage(334) {}
  // The auto-save period a user may type, in minutes: a day at most, so the timer's period
  // (minutes x 60000 ms) always fits.
  static constexpr int kMinMinutes = 1, kMaxMinutes = 1440;
  // The minutes offered in the combo's list.
  static const wchar_t* const kMinuteChoices[9];

  // Showing the page: the unit in force is recorded as the unit before editing, then the stored
  // values are shown.
  void BeginEditing();
  // Shows the stored values (in the unit in force).
  void InitParam() override;
  int Ok() override;
  void Cancel() override {}
  BOOL OnInitDialog() override;
  // "Default config.": the settings object's defaults for auto-save, minutes, tolerance,
  // angle, centre-line angle and pick radius.
  void LoadDefaults();
  // A unit radio button: every page is shown again in that unit (redisplay), the stored unit
  // stays as it was.
  void OnUnitClicked(int unit, const std::function<void()>& redisplay);
  // The minutes box after an edit: a trailing non-digit is removed, and a single character
  // must be 1 to 9.
  static CString FilterMinutes(const CString& text);
  // The minutes the box stands for: 3 when empty, else its leading digits within
  // [kMinMinutes, kMaxMinutes].
  static int ParseMinutes(const CString& text);

  float m_fTol = 0.01f;      // discrete tolerance (millimetres)
  float m_fAng = 170.0f;     // discrete angle (degrees)
  int m_bAutoSave = 0;
  UINT m_nMAxisAngle = 30;   // centre-line maximum angle (degrees)
  int m_nUnit = 0;           // 0 mm, 1 cm, 2 in, 3 ft
  int m_bShowUnit = 0;
  int m_bSmooth = 1;         // view smooth transition
  int m_nPickRad = 5;        // the slider's position (pixels, 5..20)
  CString m_strMinutes;      // the minutes combo's text

  // Where the refusals are shown (the page's window when it has one).
  HWND m_hOwner = nullptr;

 protected:
  void DoDataExchange(CDataExchange* pDX) override;
  BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;

 private:
  CDigitEdit m_editTol, m_editAng;
  CKXSliderEdit m_slider;
};

// "GuideLines" (template 495).
class CSystemSetDlg : public CSettingsPage {
 public:
  CSystemSetDlg();

  // Showing the page: both record sets join the store and load their lines; "Horizontal " is
  // chosen.
  void BeginEditing();
  // The list of the chosen orientation and the check box, in the unit in force.
  void InitParam() override;
  // The page accepts at once; its edits are kept (Commit) only once the sheet closes with OK,
  // because a later page may still refuse and the user then cancel: Cancel takes them all back.
  int Ok() override;
  void Commit();
  void Cancel() override;
  BOOL OnInitDialog() override;

  // The radio buttons: 0 horizontal, 1 vertical.
  void SetOrientation(int orientation);
  int GetOrientation() const { return m_nOrient; }
  // Choosing a list entry puts its value into the edit.
  void SelectEntry(int index);
  int GetSelection() const { return m_nSel; }
  // The buttons. Each returns what the record set returned (0 when nothing was done).
  int OnAdd();
  int OnModify();
  int OnDelete();
  int OnClear();
  // "Show Guideline": shows or hides the drawing's guide lines at once.
  void OnShowGuideline(int show);

  // The list's entries ("%.3f" in the current unit) and the check box.
  const std::vector<CString>& GetEntries() const { return m_entries; }
  int m_bShowGuide = 1;
  // The edited value (millimetres).
  double m_dValue = 0.0;
  HWND m_hOwner = nullptr;

  static CString Format(double mm);

 protected:
  BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;

 private:
  CKxRecordSet& Current();
  void Refill();
  // The controls follow the page's state; the edit's value comes back from the control.
  void Show();
  bool ReadValue();

  CListBox m_list;
  CDigitEdit m_edit;

  CKxDatabase m_store;
  CKxHorAidLineRecordSet m_hor;
  CKxVerAidLineRecordSet m_ver;
  int m_nOrient = 0;
  int m_nSel = -1;
  std::vector<CString> m_entries;
};

// "Grid" (template 247).
class CGridSetDlg : public CSettingsPage {
 public:
  CGridSetDlg() : CSettingsPage(247) {}
  // Copies the work area's grid and the drawing's grid kind and display switch in.
  void FillFromDrawing();
  void InitParam() override;
  // Rectangular: both spacings above 1; radial: an angle of 1 to 359 and a line spacing above
  // 1. The first refusal names its edit (m_nFocus); the view is repainted at the end.
  int Ok() override;
  void Cancel() override {}
  BOOL OnInitDialog() override;
  // The controls the grid kind enables: rectangular spacings, or radial angle and spacing.
  static std::vector<UINT> ControlsOf(int kind);

  int m_nKind = 0;            // 0 rectangular, 1 radial
  double m_dSpaceX = 10.0;    // "Horizonal Space:"
  double m_dSpaceY = 10.0;    // "Vertical Space:"
  double m_dLineSpace = 10.0; // "Line Space:"
  int m_nAngle = 10;          // "Angle(deg):"
  int m_bShowGrid = 0;
  UINT m_nFocus = 0;          // the edit a refusal sends the user back to
  HWND m_hOwner = nullptr;

 protected:
  void DoDataExchange(CDataExchange* pDX) override;
  BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;

 private:
  void EnableKind();
  CDigitEdit m_editX, m_editY, m_editLine;
};

// The system settings sheet the view's "System Settings" item opens: the root page and the
// GuideLines, Grid and General pages, the grid page filled from the drawing first. The modal
// result (IDOK, IDCANCEL, or -1 when it could not open).
INT_PTR RunSettingsSheet(CWnd* parent);
