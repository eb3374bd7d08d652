// CKXSnapBar: the snap toolbar. Each snap kind is a check box over a toolbar slot, with an
// "All" button and a "Navigate" check box; clicking one sends its command to the main frame,
// whose handlers switch the settings' snap bits and set the boxes.
#pragma once

#include "platform/afx/ControlBar.h"
#include "velmora/commands/CommandIds.h"

#include <array>

class CFrameWnd;

// A plain (not automatic) check box or push button of the snap bar: a click sends its command
// to the frame and the frame decides its state.
class CSnapButton : public CWnd {
  DECLARE_DYNAMIC(CSnapButton)

 public:
  BOOL Create(LPCWSTR label, const RECT& rect, CWnd* parent, UINT nID, bool checkBox);
  void SetCheck(int check);
  int GetCheck() const { return m_nCheck; }
  bool IsCheckBox() const { return m_bCheckBox; }
  // The click: its command to the frame.
  void Click();

 protected:
  void OnLButtonUp(UINT nFlags, CPoint point);
  // A check box: a small box, ticked when checked, and the label; a push button: a raised box
  // around the label.
  void OnPaint();
  DECLARE_MESSAGE_MAP()

 private:
  int m_nCheck = 0;
  bool m_bCheckBox = true;
};

class CKXSnapBar : public CToolBar {
  DECLARE_DYNAMIC(CKXSnapBar)

 public:
  static constexpr UINT kBarID = 239;
  static constexpr UINT kBitmapID = 239;
  static constexpr int kSlotCount = 14;
  static constexpr int kControlCount = 13;
  struct Slot {
    UINT id;
    const wchar_t* label;
    int width;
    UINT bit;  // snap bit of a snap kind, 0 for "All" and "Navigate"
  };
  // The controls in toolbar order (slot i holds control i).
  static const std::array<Slot, kControlCount>& Slots();
  // The snap bit of a snap command (0 for any other id).
  static UINT SnapBit(UINT id);

  // On the frame, hidden, with its slots, check boxes and "All" button; the boxes start from the
  // settings' snap bits and navigation word. FALSE without a frame or settings, or when the bar
  // or a control cannot be made.
  BOOL Create(CFrameWnd* pFrame);
  CSnapButton* GetControl(UINT id);
  void SetCheck(UINT id, int check);
  int GetCheck(UINT id) const;

 private:
  std::array<CSnapButton, kControlCount> m_controls;
};
