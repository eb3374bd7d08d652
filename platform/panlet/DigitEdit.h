// CDigitEdit: an edit for one number. It shows a value with its printf format ("%.5f"), may
// refuse the minus sign, and may show the value in a display unit: values go in and out in
// millimetres and are shown multiplied by the unit's size per millimetre, with the unit's name
// after them. What the user types is cut down to what can be part of such a number.
#pragma once

#include "platform/afx/Edit.h"

class CDigitEdit : public CEdit {
  DECLARE_DYNAMIC(CDigitEdit)

 public:
  CDigitEdit() = default;

  // A format with one floating conversion (%f, %e or %g, with flags, width and precision);
  // anything else is refused (FALSE) and the format stays.
  BOOL SetFormat(LPCWSTR lpszFormat);
  const CString& GetFormat() const { return m_format; }
  void SetMinus(BOOL bAllowMinus);
  BOOL GetMinus() const { return m_bMinus; }
  // perMillimetre > 0 and finite; 1 with no name shows plain values.
  BOOL SetUnit(double perMillimetre, LPCWSTR lpszName);
  void ShowUnit(BOOL bShow);
  BOOL IsUnitShown() const { return m_bShowUnit; }

  // Shows the value (a negative one as 0 when the minus sign is refused); NaN and infinities
  // are refused.
  BOOL SetValue(double value);
  // FALSE when the text is not a number in this edit's terms (empty, a minus where none is
  // allowed, trailing rubbish, out of the double range); the value is then untouched.
  BOOL GetValue(double& value) const;
  // The text a value is shown as.
  CString Format(double value) const;
  BOOL Parse(const CString& text, double& value) const;

  void FilterUserText(CString& text) override;

 private:
  CString m_format = L"%.3f";
  BOOL m_bMinus = TRUE;
  double m_perMm = 1.0;
  CString m_unit;
  BOOL m_bShowUnit = FALSE;
};
