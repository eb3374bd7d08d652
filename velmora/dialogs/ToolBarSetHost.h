// What the toolbar settings dialog changes on the main frame: the frame's three toolbar words,
// the panel toolbar, the toolbar manager's look and its bars, and the plug-ins' toolbars. The
// main frame implements it and hands itself to the dialog.
#pragma once

#include "platform/afx/String.h"

#include <vector>

class CToolBarSetHost {
 public:
  // The bar kinds of the toolbar manager's records.
  static constexpr int kPanelBars = 16;
  static constexpr int kStandardBars = 17;

  struct Bar {
    CString title;  // the bar window's text
    bool visible;
  };

  virtual ~CToolBarSetHost() = default;
  // The frame's words: icon size (0 large, 1 small), panel text position (0 top, 1 bottom),
  // toolbar style (0 panel, 1 standard).
  virtual int GetIconSizeWord() const = 0;
  virtual void SetIconSizeWord(int value) = 0;
  virtual int GetTextPosWord() const = 0;
  virtual void SetTextPosWord(int value) = 0;
  virtual int GetStyleWord() const = 0;
  virtual void SetStyleWord(int value) = 0;
  // The panel toolbar: its text position (1 bottom) and its floating drag toolbar.
  virtual int GetTabTXTBottomMode() const = 0;
  virtual void HideDragTBar() = 0;
  // The toolbar manager: false while there is none.
  virtual bool HasToolBarMgr() const = 0;
  virtual void ShowCurrentUI(int code) = 0;
  // The manager's bars of a kind that have a window, in the manager's order.
  virtual std::vector<Bar> GetBars(int kind) const = 0;
  // Shows or hides the bar of the kind with that window text at once and updates its look;
  // false when there is no such bar.
  virtual bool ShowBar(int kind, const CString& title, bool show) = 0;
  // Each plug-in toolbar takes the standard style.
  virtual void RefreshPlugInToolBars() = 0;
};
