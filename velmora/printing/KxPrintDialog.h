// CKxPrintDialog: the printer dialog with a scale and a position. The scale combo picks a ratio
// (or "Adaptive", fitting the page on one sheet, or "Custom", typed as Draw = a, Model = b); the
// position centres the drawing or shifts it by Dx, Dy. The drawing view keeps these settings
// between runs (KxPrintState) and copies them in before the dialog and back after it.
#pragma once

#include "platform/afx/Print.h"

#include <map>
#include <vector>

// The print settings the drawing view keeps while the program runs.
struct KxPrintState {
  int printableW = 8000;  // millimetres, measured at the start of each run
  int printableH = 8000;
  int scaleMode = 2;      // "1:1"
  double scale = 1.0;
  double drawValue = 1.0;
  double modelValue = 1.0;
  int positionMode = 0;   // 0 "Center", 1 "Point"
  BOOL printing = FALSE;  // a page is being drawn for the printer
  double offsetX = 0.0, offsetY = 0.0;
};

// Control ids of the dialog's extra controls (template 1538).
enum : UINT {
  IDD_KX_PRINT = 1538,
  IDC_KX_PREVIEW = 429,
  IDC_KX_SCALE = 805,
  IDC_KX_DRAW = 299,
  IDC_KX_MODEL = 337,
  IDC_KX_CENTER = 806,
  IDC_KX_POINT = 807,
  IDC_KX_DX = 351,
  IDC_KX_DY = 363,
};

class CKxPrintDialog : public CPrintDialog {
  DECLARE_DYNAMIC(CKxPrintDialog)

 public:
  explicit CKxPrintDialog(BOOL bPrintSetupOnly = FALSE,
                          DWORD dwFlags = PD_RETURNDC | PD_USEDEVMODECOPIES | PD_ENABLEPRINTTEMPLATE,
                          CWnd* pParentWnd = nullptr);

  // IDCANCEL when Preview ended the dialog or the platform dialog failed.
  INT_PTR DoModal() override;
  BOOL OnInitDialog() override;
  // Reads the offsets, then the standard OK.
  void OnOK() override;

  // The controls' handlers (the platform dialog calls them as the user acts).
  void OnSelChangeScale();
  void OnChangeRatio();
  void OnCenter();
  void OnPoint();
  void OnPreview();

  // The controls as the platform dialog shows them: numeric edits by id, the combo's entries and
  // selection, the radio choice, and which controls are enabled.
  double GetEditValue(UINT id) const;
  void SetEditValue(UINT id, double value);
  BOOL IsControlEnabled(UINT id) const;
  const std::vector<CString>& GetScaleEntries() const { return m_scaleEntries; }
  int GetScaleSel() const { return m_scaleSel; }
  void SetScaleSel(int sel) { m_scaleSel = sel; }
  int GetRadio() const { return m_radio; }

  void LoadFrom(const KxPrintState& st);
  void StoreTo(KxPrintState& st) const;

  double m_dModel = 1.0;
  double m_dDraw = 1.0;
  int m_nScaleMode = 2;
  int m_nPosition = 0;
  double m_dOffsetY = 0.0, m_dOffsetX = 0.0;
  double m_dScale = 1.0;
  BOOL m_bPreview = FALSE;
  BOOL m_bPointMode = TRUE;

 private:
  // The scale entry of m_nScaleMode applied to the values and the ratio edits.
  void ApplyScaleEntry();
  // Controls into the values: the combo, the ratio edits and the radio choice.
  void ReadControls();
  void ReadOffsets();
  void ShowValues();
  void EnableOffsets(BOOL on);

  std::vector<CString> m_scaleEntries;
  int m_scaleSel = -1;
  int m_radio = 0;
  std::map<UINT, double> m_edits;
  std::map<UINT, BOOL> m_enabled;
};
