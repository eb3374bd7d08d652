// CKXSliderEdit: a whole number chosen with a slider, its value shown in a small edit beside
// it. It is made in the place of a dialog's edit (same rectangle and style) and tells its parent
// of a change as the edit it replaces would (EN_CHANGE).
#pragma once

#include "platform/afx/CommonCtrl.h"
#include "platform/afx/Edit.h"

inline constexpr wchar_t kSliderEditClass[] = L"KXSliderEdit";

class CKXSliderEdit : public CWnd {
  DECLARE_DYNAMIC(CKXSliderEdit)

 public:
  static constexpr int kEditWidth = 36;  // the number's part at the left

  using CWnd::Create;
  BOOL Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID);
  // In the place of an existing control: its style, rectangle, parent and id; the control is
  // disabled and hidden (it stays its parent's).
  BOOL CreateInPlaceOf(CWnd* pControl, UINT nID);
  void SetRange(int nMin, int nMax);
  void GetRange(int& nMin, int& nMax) const { m_slider.GetRange(nMin, nMax); }
  // Kept inside the range; the edit follows.
  void SetPos(int nPos);
  int GetPos() const { return m_slider.GetPos(); }
  CSliderCtrl& Slider() { return m_slider; }
  CEdit& Edit() { return m_edit; }

 protected:
  BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
  LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  void ShowPos();
  CSliderCtrl m_slider;
  CEdit m_edit;
  bool m_showing = false;
};
