// Static texts, push buttons, check boxes, radio buttons and bitmap buttons.
#pragma once

#include "platform/afx/Control.h"

class CStatic : public CControlWnd {
  DECLARE_DYNAMIC(CStatic)

 public:
  using CWnd::Create;
  BOOL Create(LPCWSTR lpszText, DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID = 0xFFFF);
};

class CButton : public CControlWnd {
  DECLARE_DYNAMIC(CButton)

 public:
  using CWnd::Create;
  BOOL Create(LPCWSTR lpszCaption, DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID);
  // BST_UNCHECKED, BST_CHECKED or BST_INDETERMINATE (the last only for three-state kinds).
  int GetCheck() const;
  void SetCheck(int nCheck);
  UINT GetButtonStyle() const { return GetStyle() & BS_TYPEMASK; }
  void SetButtonStyle(UINT nStyle, BOOL bRedraw = TRUE);
  // Owner-drawn buttons draw themselves here.
  virtual void DrawItem(LPDRAWITEMSTRUCT lpDrawItemStruct);

 protected:
  LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
};

// A button showing images chosen by its caption: AutoLoad takes the caption of the template's
// button ("OK", "DEL", "ADD") and loads the images named after it (caption + "U" up, "D" down,
// "F" focused, "X" disabled). Images that are not there leave the caption shown.
class CBitmapButton : public CButton {
  DECLARE_DYNAMIC(CBitmapButton)

 public:
  // Attaches to the dialog's control nID; FALSE when there is no such control.
  BOOL AutoLoad(UINT nID, CWnd* pParent);
  // The image names AutoLoad chose (up, down, focused, disabled).
  const CString& GetImageName(int nState) const { return m_names[nState & 3]; }
  void SizeToContent() {}

 private:
  CString m_names[4];
};
