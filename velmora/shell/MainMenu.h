// The main menu (resource 100): every command a user starts from the menu bar, grouped by top-level
// menu as File, Edit, View, Draw, Modify, Text, Tools and Help.
#pragma once

#include "platform/win/WinTypes.h"

// Positions of the top-level menus on the bar.
enum MainMenuPosition : int {
  kMenuFile = 0,
  kMenuEdit,
  kMenuView,
  kMenuDraw,
  kMenuModify,
  kMenuText,
  kMenuTools,
  kMenuHelp,
  kMainMenuCount
};

// A new menu bar with all its popups; the caller owns it.
HMENU BuildMainMenu();
