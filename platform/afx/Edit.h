// Edit controls and the rich edit control (a multi-line edit that also keeps a background
// colour and an event mask).
#pragma once

#include "platform/afx/Control.h"

class CEdit : public CControlWnd {
  DECLARE_DYNAMIC(CEdit)

 public:
  using CWnd::Create;
  BOOL Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID);
  // Selection in characters; nEnd -1 means the end of the text.
  void SetSel(int nStartChar, int nEndChar, BOOL bNoScroll = FALSE);
  void GetSel(int& nStartChar, int& nEndChar) const;
  // Replaces the selection and puts the caret after the new text.
  void ReplaceSel(LPCWSTR lpszNewText, BOOL bCanUndo = FALSE);
  // The most characters the user may type (0: no limit); text set by the program is not cut.
  void SetLimitText(UINT nMax);
  void LimitText(int nChars = 0) { SetLimitText(static_cast<UINT>(nChars)); }
  UINT GetLimitText() const;
  BOOL SetReadOnly(BOOL bReadOnly = TRUE);
  BOOL GetModify() const;
  void SetModify(BOOL bModified = TRUE);
  void Clear() { ReplaceSel(L""); }
  int GetLineCount() const;
  // Adjusts what the user typed before the edit takes it (a numeric edit drops what cannot be
  // part of a number); nothing by default.
  virtual void FilterUserText(CString&) {}

 protected:
  LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
};

class CRichEditCtrl : public CEdit {
  DECLARE_DYNAMIC(CRichEditCtrl)

 public:
  using CEdit::Create;
  BOOL Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID);
  COLORREF SetBackgroundColor(BOOL bSysColor, COLORREF cr);
  DWORD SetEventMask(DWORD dwEventMask);
  DWORD GetEventMask() const { return m_eventMask; }
  long GetTextLength() const { return GetWindowTextLength(); }

 private:
  DWORD m_eventMask = 0;
};
