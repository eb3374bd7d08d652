// The program's toolbar resources (button tables) and the context menus (menu 256).
#pragma once

#include "platform/win/WinTypes.h"

// Toolbar resources of the main frame's bars and the tab toolbar's pages.
constexpr UINT IDR_TB_VIEW_PANEL = 237;
constexpr UINT IDR_TB_EDIT_MODE = 602;
constexpr UINT IDR_TB_STANDARD = 606;
constexpr UINT IDR_TB_VIEW = 603;
constexpr UINT IDR_TB_CURVE = 604;
constexpr UINT IDR_TB_TEXT = 605;
constexpr UINT IDR_TB_NODE = 427;
constexpr UINT IDR_TB_MODIFY = 607;
constexpr UINT IDR_TB_TRANSFORM = 608;
constexpr UINT IDR_TB_ALIGN = 393;
constexpr UINT IDR_TB_FILE_PAGE = 386;
constexpr UINT IDR_TB_DRAW_PAGE = 388;

// The context menus. Popup 6 is filled with the toolbar titles when it is shown; popup 7 is
// the unit menu.
constexpr UINT IDR_CONTEXT_MENUS = 256;
constexpr int kToolBarMenuPopup = 6;
constexpr int kUnitMenuPopup = 7;

// Registers the toolbar tables and menu 256 (again is harmless).
void RegisterBarResources();
