#include "velmora/shell/BarResources.h"
#include "velmora/commands/CommandIds.h"

#include "platform/afx/ControlBar.h"
#include "platform/afx/DocView.h"
#include "platform/afx/Print.h"
#include "platform/win/Menu.h"
#include "platform/win/Resource.h"
#include "velmora/shell/Resources.h"

namespace {
using velmora::afx::RegisterToolBarResource;
constexpr UINT S = ID_SEPARATOR;

HMENU BuildContextMenus() {
  HMENU bar = ::CreateMenu();
  // Popups 0 to 5 are the context menus of the drawing and the panels; the toolbar popup (6)
  // gets its items when shown, the unit popup (7) lists the units.
  for (int i = 0; i < kToolBarMenuPopup; ++i) ::AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(::CreatePopupMenu()), L"");
  ::AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(::CreatePopupMenu()), L"Toolbars");
  HMENU unit = ::CreatePopupMenu();
  ::AppendMenuW(unit, MF_STRING, ID_UNIT_MM, L"mm");
  ::AppendMenuW(unit, MF_STRING, ID_UNIT_CM, L"cm");
  ::AppendMenuW(unit, MF_STRING, ID_UNIT_INCH, L"inch");
  ::AppendMenuW(unit, MF_STRING, ID_UNIT_FEET, L"feet");
  ::AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(unit), L"Unit");
  return bar;
}
}  // namespace

void RegisterBarResources() {
  const std::vector<UINT> view = {
      ID_VIEW_ZOOM_IN_MENU, ID_VIEW_ZOOM_OUT_MENU, ID_VIEW_ZOOM_DYNAMIC, ID_VIEW_PAN, ID_VIEW_ZOOM_WINDOW, S,
      ID_VIEW_FIT_ALL,      ID_VIEW_FIT_PAGE,      ID_VIEW_PREV,         S,           ID_VIEW_ROTATE};
  RegisterToolBarResource(IDR_TB_VIEW_PANEL, view);
  RegisterToolBarResource(IDR_TB_VIEW, view);
  RegisterToolBarResource(IDR_TB_EDIT_MODE, {ID_MODE_SELECTION, ID_MODE_NODE, ID_MODE_TEXT, ID_MODE_SYMBOL_LIBRARY});
  RegisterToolBarResource(IDR_TB_STANDARD, {ID_FILE_NEW, ID_FILE_OPEN, ID_FILE_SAVE, S, ID_EDIT_CUT, ID_EDIT_COPY, ID_EDIT_PASTE, S,
                                            ID_EDIT_UNDO, ID_EDIT_REDO, S, ID_FILE_PRINT, ID_FILE_PRINT_PREVIEW});
  const std::vector<UINT> curve = {ID_DRAW_POINT,        ID_DRAW_LINE,     ID_DRAW_RECT, ID_DRAW_POLYGON,
                                   ID_DRAW_STAR,         ID_DRAW_CIRCLE,   ID_DRAW_ARC,  ID_DRAW_ELLIPSE,
                                   ID_DRAW_SPLINE,       ID_DRAW_POLYLINE, ID_DRAW_HAND, ID_DRAW_DOUBLE_POLYLINE,
                                   ID_DRAW_COMBINE_CURVE};
  RegisterToolBarResource(IDR_TB_CURVE, curve);
  RegisterToolBarResource(
      IDR_TB_TEXT, {ID_TEXT_RAPID_INPUT, ID_TEXT_TO_CURVES, ID_TEXT_ALONG_CURVE, ID_TEXT_SERIAL_NUMBER, ID_TEXT_HOLLOW,
                    ID_TEXT_REPLACE, ID_TEXT_REVERSE, ID_TEXT_SINGLE_STROKE});
  RegisterToolBarResource(IDR_TB_NODE,
                          {ID_MODE_SELECTION, ID_MODE_NODE, S, ID_CURVE_TRIM, ID_CURVE_CLOSE, ID_CURVE_OFFSET});
  RegisterToolBarResource(IDR_TB_MODIFY, {ID_ARRANGE_GROUP, ID_ARRANGE_UNGROUP, ID_ARRANGE_BLOCK, ID_ARRANGE_UNBLOCK, S,
                                          ID_BOOL_JOIN, ID_SLICE_LINEAR, ID_SLICE_PARALLEL, S,
                                          ID_CURVE_DEL_OVERLAY_LOOP, ID_CURVE_ARC_FIT, ID_NEST_AUTO});
  RegisterToolBarResource(
      IDR_TB_TRANSFORM,
      {ID_XFORM_MOVE, ID_XFORM_MOVE_REL, ID_XFORM_ROTATE, ID_XFORM_MIRROR, ID_XFORM_SCALE, S, ID_XFORM_COPY_RECT,
       ID_XFORM_COPY_ALONG_CURVE, ID_XFORM_COPY_ALONG_LINE, ID_XFORM_COPY_ALONG_ARC, ID_XFORM_COPY_ALONG_SPIRAL, S,
       ID_XFORM_PERSPECTIVE, ID_XFORM_ENVELOPE, ID_XFORM_PUSH_PULL, ID_XFORM_TWIST, ID_XFORM_SHEAR});
  RegisterToolBarResource(IDR_TB_ALIGN,
                          {ID_ALIGN_LEFT, ID_ALIGN_RIGHT, ID_ALIGN_TOP, ID_ALIGN_BOTTOM, ID_ALIGN_CENTER,
                           ID_ALIGN_VERT_CENTER, S, ID_ALIGN_HORZ_CENTER, ID_ALIGN_HORZ_SPACING, ID_ALIGN_VERT_SPACING,
                           ID_ALIGN_SAME_WIDTH, ID_ALIGN_SAME_HEIGHT, ID_ALIGN_SAME_SIZE});
  RegisterToolBarResource(IDR_TB_FILE_PAGE, {ID_FILE_NEW, ID_FILE_OPEN, ID_FILE_SAVE, ID_FILE_SAVE_AS, S, ID_FILE_IMPORT, ID_FILE_EXPORT, S, ID_FILE_PRINT});
  std::vector<UINT> draw = curve;
  draw.insert(draw.end(), {S, ID_TEXT_RAPID_INPUT, ID_TEXT_TO_CURVES, ID_TEXT_ALONG_CURVE});
  RegisterToolBarResource(IDR_TB_DRAW_PAGE, draw);
  velmora::win::RegisterMenuResource(IDR_CONTEXT_MENUS, &BuildContextMenus);
}
