#include "velmora/shell/MainMenu.h"

#include "platform/afx/DocView.h"
#include "platform/afx/Print.h"
#include "platform/win/Menu.h"
#include "velmora/commands/CommandIds.h"
#include "velmora/dialogs/AboutBox.h"

#include <initializer_list>

namespace {
// One menu entry: a command (id and text), a separator (id 0, no text) or a popup (sub set).
struct Item {
  UINT id = 0;
  const wchar_t* text = nullptr;
  HMENU sub = nullptr;
};
const Item kSep{};
Item Sub(const wchar_t* text, HMENU sub) { return {0, text, sub}; }

HMENU Popup(std::initializer_list<Item> items) {
  HMENU menu = ::CreatePopupMenu();
  for (const Item& it : items) {
    if (it.sub)
      ::AppendMenuW(menu, MF_POPUP, reinterpret_cast<UINT_PTR>(it.sub), it.text);
    else if (it.id == 0)
      ::AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    else
      ::AppendMenuW(menu, MF_STRING, it.id, it.text);
  }
  return menu;
}

HMENU FileMenu() {
  return Popup({{ID_FILE_NEW, L"New(&N)\tCtrl+N"},
                {ID_FILE_OPEN, L"Open(&O)...\tCtrl+O"},
                {ID_FILE_SAVE, L"Save(&S)\tCtrl+S"},
                {ID_FILE_SAVE_AS, L"Save As(&A)...\tCtrl+Shift+S"},
                kSep,
                {ID_FILE_IMPORT, L"Import(&R)...\tCtrl+R"},
                {ID_FILE_EXPORT, L"Export..."},
                {ID_FILE_EXPORT_SELECTED, L"Export the selected..."},
                {ID_FILE_NOTES, L"Notes..."},
                kSep,
                {ID_FILE_PRINT, L"Print(&P)...\tCtrl+P"},
                {ID_FILE_PRINT_PREVIEW, L"Print Preview(&V)"},
                kSep,
                {ID_SCAN_SELECT, L"Select Scanner..."},
                {ID_SCAN_ACQUIRE, L"Image Scan..."},
                kSep,
                {ID_FILE_MRU_FILE1, L"Recent File"},
                kSep,
                {ID_APP_EXIT, L"Exit(&X)"}});
}

HMENU EditMenu() {
  return Popup({{ID_EDIT_UNDO, L"Undo(&U)\tCtrl+Z"},
                {ID_EDIT_REDO, L"Redo(&R)\tCtrl+Y"},
                {ID_EDIT_REPEAT, L"Repeat Last Command"},
                {ID_EDIT_REPEAT_BEFORE, L"Repeat Command Before Last"},
                kSep,
                {ID_EDIT_CUT, L"Cut(&T)\tCtrl+X"},
                {ID_EDIT_COPY, L"Copy(&C)\tCtrl+C"},
                {ID_EDIT_PASTE, L"Paste(&P)\tCtrl+V"},
                {ID_EDIT_DELETE, L"Delete\tDel"},
                kSep,
                {ID_EDIT_SELECT_ALL, L"Select All\tCtrl+A"},
                {ID_EDIT_INVERSE_SELECTION, L"Inverse Selection\tCtrl+I"},
                {ID_EDIT_SELECT_BY_TYPE, L"Select by Type"},
                kSep,
                {ID_MODE_SELECTION, L"Selection Tools\tEsc"},
                {ID_MODE_NODE, L"Node Tools\tCtrl+K"},
                {ID_MODE_TEXT, L"Text Tools\tCtrl+T"},
                {ID_MODE_SYMBOL_LIBRARY, L"Symbol Library\tCtrl+M"},
                kSep,
                {ID_EDIT_LOCK, L"Lock/Unlock"},
                {ID_EDIT_HIDE_OBJECT, L"Hide Object"},
                {ID_EDIT_SHOW_OBJECT, L"Show Object"}});
}

HMENU ViewMenu() {
  HMENU standard = Popup({{ID_VIEW_FRONT, L"Front View(XZ)"},
                          {ID_VIEW_BACK, L"Back View(XZ)"},
                          {ID_VIEW_TOP, L"Top View(XY)"},
                          {ID_VIEW_BOTTOM, L"Bottom View(XY)"},
                          {ID_VIEW_RIGHT, L"Right View(YZ)"},
                          {ID_VIEW_LEFT, L"Left View(YZ)"},
                          {ID_VIEW_ISO, L"ISO View"}});
  HMENU display =
      Popup({{ID_VIEW_RENDER, L"Render"}, {ID_VIEW_SHADE, L"Shade"}, {ID_VIEW_WIREFRAME, L"Wireframe Display"}});
  HMENU bars = Popup({{ID_VIEW_TOOLBARS, L"Toolbars(&T)..."},
                      kSep,
                      {ID_VIEW_CURVE_BAR, L"Curve Bar"},
                      {ID_VIEW_EDIT_BAR, L"Editing Toolbar"},
                      {ID_VIEW_TRANSFORM_BAR, L"Transform Toolbar"},
                      {ID_VIEW_ALIGN_BAR, L"Align Toolbar"},
                      {ID_VIEW_SNAP_SETTINGS, L"Snap Settings(O)"},
                      {ID_VIEW_LAYER_BAR, L"Layer Bar(&L)\tShow/Hide"}});
  HMENU unit = Popup(
      {{ID_UNIT_MM, L"Millimetre"}, {ID_UNIT_CM, L"Centimetre"}, {ID_UNIT_INCH, L"Inch"}, {ID_UNIT_FEET, L"Feet"}});
  return Popup({{ID_VIEW_ZOOM_IN_MENU, L"Zoom In(&I)\tPageUp"},
                {ID_VIEW_ZOOM_OUT_MENU, L"Zoom Out(&M)\tPageDown"},
                {ID_VIEW_ZOOM_WINDOW, L"Zoom Window\tF6"},
                {ID_VIEW_ZOOM_DYNAMIC, L"Dynamic Zoom\tF7"},
                {ID_VIEW_PAN, L"Pan View\tF10"},
                {ID_VIEW_FIT_ALL, L"Fit to All\tF8"},
                {ID_VIEW_FIT_PAGE, L"Fit to Page\tF9"},
                {ID_VIEW_PREV, L"Prev View\tF11"},
                kSep,
                {ID_VIEW_3D, L"3D View"},
                {ID_VIEW_ROTATE, L"Rotate View"},
                Sub(L"Standard Views", standard),
                Sub(L"Display", display),
                kSep,
                {ID_VIEW_FILL, L"Filled Display\tCtrl+F"},
                {ID_VIEW_REDRAW, L"Redraw\tF5"},
                {ID_VIEW_GRID, L"Grids(&B)\tShow/Hide"},
                {ID_VIEW_GUIDELINES, L"Guidelines Show/Hide"},
                {ID_VIEW_RULERS, L"Rulers(&Z)\t Show/Hide"},
                {ID_VIEW_PATH, L"Show path"},
                kSep,
                Sub(L"Toolbars", bars),
                {ID_VIEW_DESIGN_CENTRAL, L"Design Central"},
                Sub(L"Unit(&U)", unit)});
}

HMENU DrawMenu() {
  HMENU arc = Popup({{ID_DRAW_ARC_3P, L"3 Points"},
                     {ID_DRAW_ARC_SED, L"Start/End/Direction"},
                     {ID_DRAW_ARC_SER, L"Start/End/Radius"},
                     {ID_DRAW_ARC_CSE, L"Center/Start/End"},
                     {ID_DRAW_ARC_TANGENT, L"Tangential Arc"}});
  return Popup({{ID_DRAW_POINT, L"Point"},
                {ID_DRAW_LINE, L"Line"},
                {ID_DRAW_POLYLINE, L"Polyline"},
                {ID_DRAW_DOUBLE_POLYLINE, L"Double Polyline"},
                kSep,
                {ID_DRAW_RECT, L"Rectangle"},
                {ID_DRAW_FILLET_RECT, L"Fillet Rectangle"},
                {ID_DRAW_CHAMFER_RECT, L"Chamfer Rectangle"},
                {ID_DRAW_POLYGON, L"Regular Polygon"},
                {ID_DRAW_STAR, L"Star"},
                kSep,
                {ID_DRAW_CIRCLE, L"Circle"},
                Sub(L"Arc", arc),
                {ID_DRAW_ELLIPSE, L"Ellipse"},
                {ID_DRAW_SPLINE, L"Spline"},
                {ID_DRAW_HAND, L"Hand Draw"},
                {ID_DRAW_COMBINE_CURVE, L"Combine Curve"},
                kSep,
                {ID_DRAW_ARROW, L"Arrow"},
                {ID_DRAW_SPIRAL, L"Spiral"},
                {ID_DRAW_WAVE, L"Wavy Line"},
                {ID_DRAW_EQUATION, L"Equation"},
                kSep,
                {ID_DRAW_BOUNDING_BOX, L"Bounding Box..."}});
}

HMENU ModifyMenu() {
  HMENU mirror =
      Popup({{ID_XFORM_MIRROR_H, L"Horizontal"}, {ID_XFORM_MIRROR_V, L"Vertical"}, {ID_XFORM_MIRROR, L"Line Mirror"}});
  HMENU copies = Popup({{ID_XFORM_COPY_RECT, L"Rectangular Duplication..."},
                        {ID_XFORM_COPY_CIRCULAR, L"Circular Duplication"},
                        {ID_XFORM_COPY_ALONG_CURVE, L"Duplication along a curve"},
                        {ID_XFORM_COPY_ALONG_LINE, L"Duplication along a Line..."},
                        {ID_XFORM_COPY_ALONG_ARC, L"Duplication along a Arc..."},
                        {ID_XFORM_COPY_ALONG_SPIRAL, L"Duplication along a Spiral Curve..."}});
  HMENU distort = Popup({{ID_XFORM_PERSPECTIVE, L"Perspective Distortion"},
                         {ID_XFORM_ENVELOPE, L"Envelope Distortion"},
                         {ID_XFORM_PUSH_PULL, L"Push and Pull Distortion"},
                         {ID_XFORM_TWIST, L"Twist Distortion"}});
  HMENU align = Popup({{ID_ALIGN_LEFT, L"Align Left\tCtrl+Num4"},
                       {ID_ALIGN_RIGHT, L"Align Right\tCtrl+Num6"},
                       {ID_ALIGN_TOP, L"Align Top\tCtrl+Num8"},
                       {ID_ALIGN_BOTTOM, L"Align Bottom\tCtrl+Num2"},
                       {ID_ALIGN_CENTER, L"Align Center\tCtrl+Num5"},
                       {ID_ALIGN_VERT_CENTER, L"Vertical aligning\tAlt+."},
                       {ID_ALIGN_HORZ_CENTER, L"Horizontal aligning\tAlt+,"},
                       kSep,
                       {ID_ALIGN_HORZ_SPACING, L"Horizontal spacing\tAlt+["},
                       {ID_ALIGN_VERT_SPACING, L"Vertical spacing\tAlt+]"},
                       kSep,
                       {ID_ALIGN_SAME_WIDTH, L"Same Width\tCtrl+Alt+W"},
                       {ID_ALIGN_SAME_HEIGHT, L"Same Height\tCtrl+Alt+H"},
                       {ID_ALIGN_SAME_SIZE, L"Same Size\tCtrl+Alt+A"}});
  HMENU boolean = Popup({{ID_BOOL_JOIN, L"Join"},
                         {ID_BOOL_COMMON, L"Common"},
                         {ID_BOOL_SUBTRACT, L"Subtract"},
                         {ID_BOOL_NOT_COMMON, L"Not Common"}});
  HMENU slice = Popup({{ID_SLICE_PARALLEL, L"Parallel Slice..."},
                       {ID_SLICE_CIRCULAR, L"Circular Slice"},
                       {ID_SLICE_RADIAL, L"Radial Slice"},
                       kSep,
                       {ID_SLICE_LINEAR, L"Linear Slice"},
                       {ID_SLICE_RECT, L"Rectangular Slice"},
                       {ID_SLICE_ELLIPSE, L"Ellipse Slice"}});
  HMENU node = Popup({{ID_NODE_SMOOTH, L"Smooth"},
                      {ID_NODE_CUSP, L"Cusping"},
                      {ID_NODE_SYMMETRY, L"Symmetry"},
                      kSep,
                      {ID_NODE_ADD, L"Add"},
                      {ID_NODE_DELETE, L"Delete"},
                      {ID_NODE_AUTO_REMOVE, L"Auto Remove Points"},
                      {ID_NODE_ALIGN, L"Align"},
                      {ID_NODE_VERTICAL, L"Vertical"},
                      {ID_NODE_FILLET, L"Fillet"},
                      kSep,
                      {ID_NODE_TO_CURVE, L"Convert to Curve"},
                      {ID_NODE_TO_LINE, L"Convert to line"},
                      kSep,
                      {ID_NODE_START_POINT, L"Start Point"},
                      {ID_NODE_DISCONNECT, L"Disconnect"},
                      {ID_NODE_CONNECT, L"Connect"},
                      {ID_NODE_CLOSE, L"Close"}});
  // The keys of Ungroup and Unblock are the ones the accelerator table gives them.
  return Popup({{ID_ARRANGE_GROUP, L"Group\tCtrl+G"},
                {ID_ARRANGE_UNGROUP, L"Ungroup\tCtrl+U"},
                {ID_ARRANGE_BLOCK, L"Block\tCtrl+B"},
                {ID_ARRANGE_UNBLOCK, L"Unblock\tCtrl+E"},
                kSep,
                {ID_XFORM_MOVE, L"Move"},
                {ID_XFORM_MOVE_REL, L"Relative Move..."},
                {ID_XFORM_ROTATE, L"Rotate"},
                {ID_XFORM_SCALE, L"Scale..."},
                Sub(L"Mirror", mirror),
                {ID_XFORM_SHEAR, L"Shear"},
                {ID_XFORM_DIRECTION, L"Direction"},
                Sub(L"Duplication", copies),
                Sub(L"Distortion", distort),
                Sub(L"Align", align),
                kSep,
                Sub(L"Boolean", boolean),
                Sub(L"Slice", slice),
                {ID_CURVE_TRIM, L"Trim"},
                {ID_CURVE_CLOSE, L"Close..."},
                {ID_CURVE_OFFSET, L"Offset..."},
                {ID_CURVE_EXPAND, L"Expand..."},
                {ID_CURVE_DIVIDE, L"Divide..."},
                {ID_CURVE_DEL_OVERLAY_LOOP, L"Delete Overlay Loop"},
                {ID_CURVE_ARC_FIT, L"Arc Fit..."},
                {ID_CURVE_LINE_FIT, L"Line Fit"},
                kSep,
                Sub(L"Node", node)});
}

HMENU TextMenu() {
  return Popup({{ID_TEXT_RAPID_INPUT, L"Rapid Input"},
                {ID_TEXT_INSERT_SYMBOL, L"Insert Text Symbol"},
                {ID_TEXT_REPLACE, L"Replace..."},
                {ID_TEXT_REVERSE, L"Text Reverse"},
                kSep,
                {ID_TEXT_ALONG_CURVE, L"Text Along a Curve"},
                {ID_TEXT_SERIAL_NUMBER, L"Serial Number Text"},
                {ID_TEXT_HOLLOW, L"Hollow Character"},
                {ID_TEXT_SINGLE_STROKE, L"Single Stroke..."},
                {ID_TEXT_TO_CURVES, L"Convert to Curves"}});
}

HMENU ToolsMenu() {
  HMENU layer = Popup({{ID_LAYER_EDIT, L"Layer Edit..."},
                       {ID_LAYER_ALL_ON, L"All Layer On"},
                       {ID_LAYER_ONE_ON, L"One Layer On"},
                       {ID_LAYER_ONE_OFF, L"One Layer Off"},
                       kSep,
                       {ID_LAYER_CHANGE_OBJ, L"Change Object Layer..."},
                       {ID_LAYER_OBJ_TO_CUR, L"Set Object To Current Layer"},
                       {ID_LAYER_SET_CUR, L"Set Current Layer"}});
  HMENU measure = Popup({{ID_MEASURE_DISTANCE, L"Distance Measure\tAlt+1"},
                         {ID_MEASURE_ANGLE, L"Angle Measure\tAlt+2"},
                         {ID_MEASURE_PERIMETER, L"Perimeter Measure\tAlt+3"},
                         {ID_MEASURE_AREA, L"Area Measure\tAlt+4"},
                         {ID_MEASURE_RADIUS, L"the maximum inscribed circle\tAlt+5"}});
  HMENU snap = Popup({{ID_SNAP_END, L"End"},
                      {ID_SNAP_NEAR, L"Near"},
                      {ID_SNAP_POINT, L"Point"},
                      {ID_SNAP_MID, L"Mid"},
                      {ID_SNAP_CENTER, L"Center"},
                      {ID_SNAP_INTER, L"Inter"},
                      {ID_SNAP_PERP, L"Perp"},
                      {ID_SNAP_TAN, L"Tan"},
                      {ID_SNAP_QUAD, L"Quad"},
                      {ID_SNAP_GRID, L"Grid"},
                      {ID_SNAP_GUIDELINE, L"Guidline"},
                      kSep,
                      {ID_SNAP_ALL, L"All"},
                      {ID_SNAP_NAVIGATE, L"Navigate"}});
  HMENU nesting = Popup({{ID_NEST_CONFIRM_STOCK, L"Confirm Stock"},
                         {ID_NEST_CONFIRM_PART, L"Confirm Part"},
                         {ID_NEST_CLEAR, L"Clear"},
                         {ID_NEST_X_MIRROR, L"X Mirror"},
                         {ID_NEST_Y_MIRROR, L"Y Mirror"},
                         kSep,
                         {ID_NEST_EXIT, L"Exit"}});
  HMENU image = Popup({{ID_IMAGE_TRACE, L"Image Tracing..."},
                       {ID_IMAGE_STRIP, L"Image Stripping..."},
                       kSep,
                       {ID_IMAGE_BRIGHTNESS, L"Adjust Brightness"},
                       {ID_IMAGE_CONTRAST, L"Adjust Contrast"},
                       {ID_IMAGE_GRAYSCALE, L"Convert into Grayscale"},
                       {ID_IMAGE_THRESHOLD, L"Threshold"},
                       {ID_IMAGE_DESPECKLE, L"Despeckle"},
                       {ID_IMAGE_INVERT, L"Invert"},
                       kSep,
                       {ID_IMAGE_UNDO, L"Image Undo"}});
  return Popup({Sub(L"Layer", layer),
                Sub(L"Measure", measure),
                Sub(L"Snap", snap),
                kSep,
                {ID_NEST_AUTO, L"Auto Nesting"},
                {ID_NEST_INTERACTIVE, L"Interactive Nesting (&I)..."},
                Sub(L"Nesting", nesting),
                kSep,
                Sub(L"Image", image),
                kSep,
                {ID_VIEW_SETTINGS, L"System Settings"},
                kSep,
                {ID_TOOL_CALCULATOR, L"Calculator"},
                {ID_TOOL_NOTEPAD, L"Notepad"},
                {ID_TOOL_PAINT, L"Paint"}});
}

HMENU HelpMenu() {
  return Popup({{ID_HELP_FINDER, L"Help\tF1"},
                {ID_HELP_TIPS, L"Tip of the day"},
                {ID_HELP_WEB, L"Learning on web"},
                kSep,
                {ID_APP_ABOUT, L"About Velmora(&A)..."}});
}
}  // namespace

HMENU BuildMainMenu() {
  HMENU bar = ::CreateMenu();
  const Item tops[kMainMenuCount] = {Sub(L"File(&F)", FileMenu()),     Sub(L"Edit(&E)", EditMenu()),
                                     Sub(L"View(&V)", ViewMenu()),     Sub(L"Draw(&D)", DrawMenu()),
                                     Sub(L"Modify(&M)", ModifyMenu()), Sub(L"Text(&X)", TextMenu()),
                                     Sub(L"Tools(&T)", ToolsMenu()),   Sub(L"Help(&H)", HelpMenu())};
  for (const Item& top : tops) ::AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(top.sub), top.text);
  return bar;
}
