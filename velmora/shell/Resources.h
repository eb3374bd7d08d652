// The program's resources as tables: the main menu and accelerator table (both 100), the
// document type string (100) and the prompts the shell shows.
#pragma once

#include "platform/win/WinTypes.h"

// Menu, accelerator table and document string of the single document template.
constexpr UINT IDR_MAINFRAME = 100;
// The document strings, '\n'-separated in the class library's order.
extern const wchar_t* const kDocTypeString;

// Commands the shell handles (the standard file ids are the class library's).
constexpr UINT ID_FILE_IMPORT = 32848;
constexpr UINT ID_FILE_EXPORT_SELECTED = 33151;
constexpr UINT ID_FILE_NOTES = 33146;
constexpr UINT ID_EDIT_UNDO = 57643;
constexpr UINT ID_EDIT_REDO = 57644;
constexpr UINT ID_EDIT_COPY = 57634;
constexpr UINT ID_EDIT_CUT = 57635;
constexpr UINT ID_EDIT_PASTE = 57637;
constexpr UINT ID_VIEW_GRID = 33014;
// The view commands (run through the hub). The "zoom in" menu item (PageUp) runs the command
// that shrinks the scale, as the PageUp key does.
constexpr UINT ID_VIEW_PAN = 32805;
constexpr UINT ID_VIEW_ZOOM_WINDOW = 32806;
constexpr UINT ID_VIEW_ZOOM_DYNAMIC = 32807;
constexpr UINT ID_VIEW_ZOOM_OUT_MENU = 32808;
constexpr UINT ID_VIEW_ZOOM_IN_MENU = 32809;
constexpr UINT ID_VIEW_FIT_ALL = 32810;
constexpr UINT ID_VIEW_PREV = 32811;
constexpr UINT ID_VIEW_FIT_PAGE = 32812;
constexpr UINT ID_VIEW_ROTATE = 33128;
constexpr UINT ID_UNIT_NONE = 189;
constexpr UINT ID_UNIT_MM = 190;
constexpr UINT ID_UNIT_CM = 191;
constexpr UINT ID_UNIT_INCH = 192;
constexpr UINT ID_UNIT_FEET = 193;
// The frame's bar, snap and layer commands.
constexpr UINT ID_VIEW_RULERS = 32847;
constexpr UINT ID_VIEW_SNAP_SETTINGS = 33015;
constexpr UINT ID_VIEW_PATH = 32877;
constexpr UINT ID_NO_EFFECT = 32876;
constexpr UINT ID_VIEW_TOOLBARS = 59392;
constexpr UINT ID_VIEW_CURVE_BAR = 32988;
constexpr UINT ID_VIEW_LAYER_BAR = 33054;
constexpr UINT ID_SNAP_FIRST = 33016;     // "End" .. "Guidline" are 33016..33026
constexpr UINT ID_SNAP_NAVIGATE = 33027;
constexpr UINT ID_SNAP_ALL = 33028;
constexpr UINT ID_LAYER_CMD = 33052;      // the layer management command
constexpr UINT ID_LAYER_EDIT = 33053;
constexpr UINT ID_LAYER_ALL_ON = 33055;
constexpr UINT ID_LAYER_ONE_ON = 33056;
constexpr UINT ID_LAYER_ONE_OFF = 33057;
constexpr UINT ID_LAYER_CHANGE_OBJ = 33058;
constexpr UINT ID_LAYER_OBJ_TO_CUR = 33060;
constexpr UINT ID_LAYER_SET_CUR = 33061;
// The toolbar context menu's items, one per toolbar title.
constexpr UINT ID_TOOLBAR_FIRST = 5;
constexpr UINT ID_TOOLBAR_LAST = 25;
// The Cancel button of the progress display.
constexpr UINT ID_PROGRESS_CANCEL = 33200;

// User messages of the frame and view.
constexpr UINT WM_KX_UNIT_CHANGED = 0x410;
constexpr UINT WM_KX_DOC_READY = 0x40A;
constexpr UINT WM_KX_COLOR_CHANGE = 0x402;
constexpr UINT WM_KX_HIDE_RULERS = 0x407;
constexpr UINT WM_KX_SHOW_RULERS = 0x408;

// Accelerator table 100 as registered (its entry count in *count).
struct ACCEL;
const ACCEL* ShellAccelerators(int* count);

// Registers menu 100, accelerator table 100 and string 100 (again is harmless).
void RegisterShellResources();
