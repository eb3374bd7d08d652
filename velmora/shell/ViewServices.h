// Services the view's menu handlers reach in other parts of the program: the frame's toolbars
// and rulers, the design-centre panel, help and outside programs, the tip dialog. Each is a
// replaceable call that the part providing it installs at start-up; one not installed does
// nothing (and answers "absent"), as the handlers do when the window they need is missing.
#pragma once

#include "platform/afx/String.h"
#include "platform/win/WinTypes.h"

#include <functional>

struct ViewServices {
  // The toolbar manager is told which main command is current.
  std::function<void(UINT mainCmd)> toolBarCurCmd;
  // The frame's align / editing / transform toolbars, by their menu ids (32986, 32987, 32989):
  // -1 when the bar does not exist, else 1 shown and 0 hidden; and showing or hiding one.
  std::function<int(UINT menuId)> toolBarState;
  std::function<void(UINT menuId, bool show)> showToolBar;
  // Both rulers: whether they are shown now, and showing or hiding them.
  std::function<bool()> rulersVisible;
  std::function<void(bool show)> showRulers;
  // The design-centre panel: "Select by Type" brings it and its current page to the front;
  // "Design Central" hides it when visible, else places it beside the frame and shows it.
  std::function<void()> selectByType;
  std::function<void()> toggleDesignCentre;
  std::function<bool()> designCentreVisible;
  // Opens the help file at a topic; starts the outside tool of a menu item (32900 calculator,
  // 32901 text editor, 32972 paint program, 33180 the training pages on the web).
  std::function<void(const CString& helpFile)> openHelp;
  std::function<void(UINT menuId)> openTool;
  // The start-up tip dialog, run modally.
  std::function<void()> tipOfTheDay;
};

// The program's one set of services (empty until installed).
ViewServices& gViewServices();
