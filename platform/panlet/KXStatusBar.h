// CKXStatusBar: the program's status bar: a prompt pane, the cursor coordinates, two small
// panes, the colour button showing the current colour and a key-in window that the command
// hub uses for typed values.
#pragma once

#include "platform/afx/ControlBar.h"
#include "platform/panlet/ColorButton.h"

class CKXStatusBar : public CStatusBar {
  DECLARE_DYNAMIC(CKXStatusBar)

 public:
  static constexpr int kPanes = 4;
  static constexpr UINT kKeyInID = 1001;
  static constexpr UINT kColorButtonID = 1002;

  // On the frame, with its panes, key-in window and colour button; FALSE when any fails.
  BOOL Create(CWnd* pParentWnd, DWORD dwStyle = WS_CHILD | WS_VISIBLE | CBRS_BOTTOM,
              UINT nID = AFX_IDW_STATUS_BAR) override;
  CWnd* GetKeyInWnd() { return m_keyIn.GetSafeHwnd() ? &m_keyIn : nullptr; }
  CKxColorButton* GetColorButton() { return m_color.GetSafeHwnd() ? &m_color : nullptr; }

 protected:
  void OnSize(UINT nType, int cx, int cy);
  DECLARE_MESSAGE_MAP()

 private:
  CWnd m_keyIn;
  CKxColorButton m_color;
};
