// The system settings pages: "General" (tolerances, pick radius, unit, auto-save, centre
// lines, view switches), "GuideLines" (the drawing's guide lines through the guide-line
// store) and "Grid" (the work area's grid), plus the root page. Each page keeps the values its
// controls show in members: InitParam fills them from the settings, Ok checks and stores them
// (0, or -1 after telling the user what is wrong), Cancel leaves the settings as they were.
#pragma once

#include "platform/afx/String.h"
#include "platform/win/WinTypes.h"
#include "velmora/shell/GuideLineStore.h"

#include <functional>
#include <vector>

// "General" (template 334).
class CDlgSystemSet {
 public:
  // The auto-save period a user may type, in minutes: a day at most, so the timer's period
  // (minutes x 60000 ms) always fits.
  static constexpr int kMinMinutes = 1, kMaxMinutes = 1440;
  // The minutes offered in the combo's list.
  static const wchar_t* const kMinuteChoices[9];

  virtual ~CDlgSystemSet() = default;

  // Shows the stored values; records the unit in force as the unit before editing.
  virtual void InitParam();
  virtual int Ok();
  virtual void Cancel() {}
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
};

// "GuideLines" (template 495).
class CSystemSetDlg {
 public:
  CSystemSetDlg();
  virtual ~CSystemSetDlg() = default;

  // Joins and loads both record sets; "Horizontal " chosen; the list shows its lines.
  virtual void InitParam();
  // OK keeps the page's edits, Cancel takes them all back.
  virtual int Ok();
  virtual void Cancel();

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

 private:
  CKxRecordSet& Current();
  void Refill();

  CKxDatabase m_store;
  CKxHorAidLineRecordSet m_hor;
  CKxVerAidLineRecordSet m_ver;
  int m_nOrient = 0;
  int m_nSel = -1;
  std::vector<CString> m_entries;
};

// "Grid" (template 247).
class CGridSetDlg {
 public:
  virtual ~CGridSetDlg() = default;
  // Copies the work area's grid and the drawing's grid kind and display switch in.
  void FillFromDrawing();
  virtual void InitParam() {}
  // Rectangular: both spacings above 1; radial: an angle of 1 to 359 and a line spacing above
  // 1. The first refusal names its edit (m_nFocus); the view is repainted at the end.
  virtual int Ok();
  virtual void Cancel() {}
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
};
