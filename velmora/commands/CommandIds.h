// The program's command ids, one name each. An id is at once the menu item, the toolbar button,
// the accelerator's command, the prompt string and the key under which the hub keeps the
// command, so every table of the program (menus, toolbars, accelerators, the command table,
// the view's and the frame's handlers) names it from here. The class library's own ids
// (ID_FILE_NEW, ID_FILE_PRINT, ID_APP_EXIT ...) stay with the class library.
#pragma once

#include "platform/win/WinTypes.h"

// ---- File ----
constexpr UINT ID_FILE_IMPORT = 32848;
constexpr UINT ID_FILE_EXPORT = 32999;
constexpr UINT ID_FILE_EXPORT_SELECTED = 33151;
constexpr UINT ID_FILE_NOTES = 33146;
constexpr UINT ID_SCAN_SELECT = 32955;
constexpr UINT ID_SCAN_ACQUIRE = 32840;    // the menu item; the scanner hands images to:
constexpr UINT ID_IMAGE_SCAN_CMD = 32839;  // the image command that places them (no menu item)

// ---- Edit ----
constexpr UINT ID_EDIT_UNDO = 57643;
constexpr UINT ID_EDIT_REDO = 57644;
constexpr UINT ID_EDIT_COPY = 57634;
constexpr UINT ID_EDIT_CUT = 57635;
constexpr UINT ID_EDIT_PASTE = 57637;
constexpr UINT ID_EDIT_REPEAT = 98;         // the previous command again
constexpr UINT ID_EDIT_REPEAT_BEFORE = 99;  // the one before it
constexpr UINT ID_EDIT_SELECT_ALL = 32928;
constexpr UINT ID_EDIT_INVERSE_SELECTION = 32929;
constexpr UINT ID_EDIT_DELETE = 32818;
constexpr UINT ID_EDIT_LOCK = 32773;
constexpr UINT ID_EDIT_HIDE_OBJECT = 32844;
constexpr UINT ID_EDIT_SHOW_OBJECT = 32845;
constexpr UINT ID_EDIT_SELECT_BY_TYPE = 32993;
constexpr UINT ID_KEY_ESC = 32850;
constexpr UINT ID_KEY_ENTER = 32816;

// ---- Main commands (editing modes) ----
constexpr UINT ID_MODE_SELECTION = 32853;
constexpr UINT ID_MODE_NODE = 32854;
constexpr UINT ID_MODE_TEXT = 32855;
constexpr UINT ID_MODE_SYMBOL_LIBRARY = 32849;
constexpr UINT ID_LAYER_CMD = 33052;  // the layer management command

// ---- View ----
// The "zoom in" menu item (PageUp) runs the command that shrinks the scale, as the PageUp key
// does; the "zoom out" item (PageDown) the one that enlarges it.
constexpr UINT ID_VIEW_PAN = 32805;
constexpr UINT ID_VIEW_ZOOM_WINDOW = 32806;
constexpr UINT ID_VIEW_ZOOM_DYNAMIC = 32807;
constexpr UINT ID_VIEW_ZOOM_OUT_MENU = 32808;
constexpr UINT ID_VIEW_ZOOM_IN_MENU = 32809;
constexpr UINT ID_VIEW_FIT_ALL = 32810;
constexpr UINT ID_VIEW_PREV = 32811;
constexpr UINT ID_VIEW_FIT_PAGE = 32812;
constexpr UINT ID_VIEW_ROTATE = 33128;
constexpr UINT ID_VIEW_3D = 32813;
constexpr UINT ID_VIEW_FRONT = 32890;
constexpr UINT ID_VIEW_LEFT = 32891;
constexpr UINT ID_VIEW_TOP = 32892;
constexpr UINT ID_VIEW_ISO = 32893;
constexpr UINT ID_VIEW_RIGHT = 33086;
constexpr UINT ID_VIEW_BOTTOM = 33087;
constexpr UINT ID_VIEW_BACK = 33088;
constexpr UINT ID_VIEW_RENDER = 33083;
constexpr UINT ID_VIEW_SHADE = 33084;
constexpr UINT ID_VIEW_WIREFRAME = 33085;
constexpr UINT ID_VIEW_REDRAW = 32991;
constexpr UINT ID_VIEW_FILL = 32867;
constexpr UINT ID_VIEW_GRID = 33014;
constexpr UINT ID_VIEW_GUIDELINES = 32952;
constexpr UINT ID_VIEW_RULERS = 32847;
constexpr UINT ID_VIEW_SNAP_SETTINGS = 33015;
constexpr UINT ID_VIEW_PATH = 32877;
constexpr UINT ID_NO_EFFECT = 32876;
constexpr UINT ID_VIEW_TOOLBARS = 59392;
constexpr UINT ID_VIEW_CURVE_BAR = 32988;
constexpr UINT ID_VIEW_ALIGN_BAR = 32986;
constexpr UINT ID_VIEW_EDIT_BAR = 32987;
constexpr UINT ID_VIEW_TRANSFORM_BAR = 32989;
constexpr UINT ID_VIEW_LAYER_BAR = 33054;
constexpr UINT ID_VIEW_DESIGN_CENTRAL = 33045;
constexpr UINT ID_VIEW_SETTINGS = 32837;

// ---- Units ----
constexpr UINT ID_UNIT_NONE = 189;
constexpr UINT ID_UNIT_MM = 190;
constexpr UINT ID_UNIT_CM = 191;
constexpr UINT ID_UNIT_INCH = 192;
constexpr UINT ID_UNIT_FEET = 193;

// ---- Snap switches ("End" .. "Guidline" are 33016..33026) ----
constexpr UINT ID_SNAP_FIRST = 33016;
constexpr UINT ID_SNAP_END = 33016;
constexpr UINT ID_SNAP_NEAR = 33017;
constexpr UINT ID_SNAP_POINT = 33018;
constexpr UINT ID_SNAP_CENTER = 33019;
constexpr UINT ID_SNAP_MID = 33020;
constexpr UINT ID_SNAP_INTER = 33021;
constexpr UINT ID_SNAP_PERP = 33022;
constexpr UINT ID_SNAP_TAN = 33023;
constexpr UINT ID_SNAP_QUAD = 33024;
constexpr UINT ID_SNAP_GRID = 33025;
constexpr UINT ID_SNAP_GUIDELINE = 33026;
constexpr UINT ID_SNAP_NAVIGATE = 33027;
constexpr UINT ID_SNAP_ALL = 33028;

// ---- Drawing ----
constexpr UINT ID_DRAW_LINE = 32774;
constexpr UINT ID_DRAW_CIRCLE = 32775;
constexpr UINT ID_DRAW_POINT = 32776;
constexpr UINT ID_DRAW_RECT = 32777;
constexpr UINT ID_DRAW_ELLIPSE = 32778;
constexpr UINT ID_DRAW_SPLINE = 32779;
constexpr UINT ID_DRAW_FILLET_RECT = 32780;
constexpr UINT ID_DRAW_CHAMFER_RECT = 32781;
constexpr UINT ID_DRAW_POLYGON = 32782;
constexpr UINT ID_DRAW_STAR = 32783;
constexpr UINT ID_DRAW_ITEM_LAST = 32785;  // the drawing items' range ends here
constexpr UINT ID_DRAW_ARC = 32786;        // the arc command; its items are 32787..32791
constexpr UINT ID_DRAW_ARC_3P = 32787;
constexpr UINT ID_DRAW_ARC_SED = 32788;
constexpr UINT ID_DRAW_ARC_SER = 32789;
constexpr UINT ID_DRAW_ARC_CSE = 32790;
constexpr UINT ID_DRAW_ARC_TANGENT = 32791;
constexpr UINT ID_DRAW_ARC_BUTTON = 32942;
constexpr UINT ID_DRAW_RECT_BUTTON = 32943;
constexpr UINT ID_DRAW_POLYLINE = 32903;
constexpr UINT ID_DRAW_COMBINE_CURVE = 32904;
constexpr UINT ID_DRAW_HAND = 33005;
constexpr UINT ID_DRAW_DOUBLE_POLYLINE = 32973;
constexpr UINT ID_DRAW_BOUNDING_BOX = 32930;
constexpr UINT ID_DRAW_ARROW = 32948;
constexpr UINT ID_DRAW_SPIRAL = 32961;
constexpr UINT ID_DRAW_WAVE = 32962;
constexpr UINT ID_DRAW_EQUATION = 33154;

// ---- Grouping and blocks ----
constexpr UINT ID_ARRANGE_GROUP = 32926;
constexpr UINT ID_ARRANGE_UNGROUP = 32927;
constexpr UINT ID_ARRANGE_BLOCK = 33072;
constexpr UINT ID_ARRANGE_UNBLOCK = 33073;

// ---- Transforming ----
constexpr UINT ID_XFORM_MOVE = 32795;
constexpr UINT ID_XFORM_SCALE = 32796;
constexpr UINT ID_XFORM_COPY_ALONG_CURVE = 32797;
constexpr UINT ID_XFORM_MOVE_REL = 32995;
constexpr UINT ID_XFORM_ROTATE = 32933;
constexpr UINT ID_XFORM_MIRROR_H = 32799;
constexpr UINT ID_XFORM_MIRROR_V = 32800;
constexpr UINT ID_XFORM_MIRROR = 32801;     // the mirror command and its "Line Mirror" item
constexpr UINT ID_XFORM_COPY_RECT = 33164;  // the array command and its rectangular item
constexpr UINT ID_XFORM_COPY_CIRCULAR = 33165;
constexpr UINT ID_XFORM_COPY_ALONG_LINE = 32959;
constexpr UINT ID_XFORM_COPY_ALONG_ARC = 32960;
constexpr UINT ID_XFORM_COPY_ALONG_SPIRAL = 32963;
constexpr UINT ID_XFORM_DIRECTION = 32836;
constexpr UINT ID_XFORM_PERSPECTIVE = 32951;
constexpr UINT ID_XFORM_ENVELOPE = 32956;
constexpr UINT ID_XFORM_PUSH_PULL = 32971;
constexpr UINT ID_XFORM_TWIST = 32974;
constexpr UINT ID_XFORM_SHEAR = 32982;

// ---- Aligning (the align command; its items are 32820..32831) ----
constexpr UINT ID_ALIGN_CMD = 32819;
constexpr UINT ID_ALIGN_LEFT = 32820;
constexpr UINT ID_ALIGN_RIGHT = 32821;
constexpr UINT ID_ALIGN_TOP = 32822;
constexpr UINT ID_ALIGN_BOTTOM = 32823;
constexpr UINT ID_ALIGN_CENTER = 32824;
constexpr UINT ID_ALIGN_VERT_CENTER = 32825;
constexpr UINT ID_ALIGN_HORZ_CENTER = 32826;
constexpr UINT ID_ALIGN_HORZ_SPACING = 32827;
constexpr UINT ID_ALIGN_VERT_SPACING = 32828;
constexpr UINT ID_ALIGN_SAME_WIDTH = 32829;
constexpr UINT ID_ALIGN_SAME_HEIGHT = 32830;
constexpr UINT ID_ALIGN_SAME_SIZE = 32831;

// ---- Curve editing ----
constexpr UINT ID_CURVE_OFFSET = 32852;
constexpr UINT ID_CURVE_EXPAND = 32958;
constexpr UINT ID_CURVE_DIVIDE = 32964;
constexpr UINT ID_CURVE_TRIM = 32834;
constexpr UINT ID_CURVE_CLOSE = 32940;
constexpr UINT ID_CURVE_DEL_OVERLAY_LOOP = 32994;
constexpr UINT ID_CURVE_ARC_FIT = 32996;
constexpr UINT ID_CURVE_LINE_FIT = 33155;
constexpr UINT ID_SLICE_PARALLEL = 32897;  // the complex slice command and its first item
constexpr UINT ID_SLICE_CIRCULAR = 32898;
constexpr UINT ID_SLICE_RADIAL = 32899;
constexpr UINT ID_SLICE_LINEAR = 32978;  // the simple slice command and its first item
constexpr UINT ID_SLICE_RECT = 32979;
constexpr UINT ID_SLICE_ELLIPSE = 32980;
constexpr UINT ID_BOOL_JOIN = 32917;  // the boolean command and its first item
constexpr UINT ID_BOOL_COMMON = 32918;
constexpr UINT ID_BOOL_SUBTRACT = 32919;
constexpr UINT ID_BOOL_NOT_COMMON = 32920;

// ---- Node editing (while the node tools run) ----
constexpr UINT ID_NODE_SMOOTH = 32870;
constexpr UINT ID_NODE_CUSP = 32871;
constexpr UINT ID_NODE_DELETE = 32872;
constexpr UINT ID_NODE_ADD = 32873;
constexpr UINT ID_NODE_ALIGN = 32916;
constexpr UINT ID_NODE_SYMMETRY = 32878;
constexpr UINT ID_NODE_TO_CURVE = 32879;
constexpr UINT ID_NODE_TO_LINE = 32934;
constexpr UINT ID_NODE_START_POINT = 32936;
constexpr UINT ID_NODE_DISCONNECT = 32937;
constexpr UINT ID_NODE_CLOSE = 32938;
constexpr UINT ID_NODE_CONNECT = 32939;
constexpr UINT ID_NODE_AUTO_REMOVE = 33062;
constexpr UINT ID_NODE_FILLET = 32975;
constexpr UINT ID_NODE_VERTICAL = 32990;

// ---- Nesting ----
constexpr UINT ID_NEST_AUTO = 32992;
constexpr UINT ID_NEST_INTERACTIVE = 33000;
constexpr UINT ID_NEST_EXIT = 33007;
constexpr UINT ID_NEST_CONFIRM_STOCK = 33008;
constexpr UINT ID_NEST_CONFIRM_PART = 33009;
constexpr UINT ID_NEST_CLEAR = 33010;
constexpr UINT ID_NEST_X_MIRROR = 33011;
constexpr UINT ID_NEST_Y_MIRROR = 33012;

// ---- Images ----
constexpr UINT ID_IMAGE_TRACE = 32935;
constexpr UINT ID_IMAGE_STRIP = 32950;
constexpr UINT ID_IMAGE_EDIT = 32862;  // the image edit command; its items follow
constexpr UINT ID_IMAGE_BRIGHTNESS = 32863;
constexpr UINT ID_IMAGE_CONTRAST = 32864;
constexpr UINT ID_IMAGE_GRAYSCALE = 32865;
constexpr UINT ID_IMAGE_THRESHOLD = 32866;
constexpr UINT ID_IMAGE_DESPECKLE = 32997;
constexpr UINT ID_IMAGE_UNDO = 33077;
constexpr UINT ID_IMAGE_INVERT = 33001;

// ---- Text ----
constexpr UINT ID_TEXT_RAPID_INPUT = 32784;
constexpr UINT ID_TEXT_TO_CURVES = 32793;
constexpr UINT ID_TEXT_ALONG_CURVE = 32914;
constexpr UINT ID_TEXT_SERIAL_NUMBER = 32949;
constexpr UINT ID_TEXT_HOLLOW = 32977;
constexpr UINT ID_TEXT_REPLACE = 33002;
constexpr UINT ID_TEXT_REVERSE = 33148;
constexpr UINT ID_TEXT_SINGLE_STROKE = 33006;
constexpr UINT ID_TEXT_FONT_SIZE = 33063;
constexpr UINT ID_TEXT_INSERT_SYMBOL = 33003;

// ---- Measuring ----
constexpr UINT ID_MEASURE_DISTANCE = 32802;
constexpr UINT ID_MEASURE_ANGLE = 32814;
constexpr UINT ID_MEASURE_PERIMETER = 32946;
constexpr UINT ID_MEASURE_AREA = 32947;
constexpr UINT ID_MEASURE_RADIUS = 33044;

// ---- Layers (the layer command's sub-codes 0..6, in this order) ----
constexpr UINT ID_LAYER_EDIT = 33053;
constexpr UINT ID_LAYER_ALL_ON = 33055;
constexpr UINT ID_LAYER_ONE_ON = 33056;
constexpr UINT ID_LAYER_ONE_OFF = 33057;
constexpr UINT ID_LAYER_CHANGE_OBJ = 33058;
constexpr UINT ID_LAYER_OBJ_TO_CUR = 33060;
constexpr UINT ID_LAYER_SET_CUR = 33061;

// ---- Tools and help ----
constexpr UINT ID_HELP_FINDER = 32954;
constexpr UINT ID_TOOL_CALCULATOR = 32900;
constexpr UINT ID_TOOL_NOTEPAD = 32901;
constexpr UINT ID_TOOL_PAINT = 32972;
constexpr UINT ID_HELP_WEB = 33180;
constexpr UINT ID_HELP_TIPS = 33133;

// ---- The frame's own ----
// The toolbar context menu's items, one per toolbar title.
constexpr UINT ID_TOOLBAR_FIRST = 5;
constexpr UINT ID_TOOLBAR_LAST = 25;
// The Cancel button of the progress display.
constexpr UINT ID_PROGRESS_CANCEL = 33200;
// Sent by Shift+V; nothing in the program handles it (a plug-in may).
constexpr UINT ID_PLUGIN_SHIFT_V = 33172;
