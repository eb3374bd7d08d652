#include "velmora/shell/BarResources.h"

#include "platform/afx/ControlBar.h"
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
  const std::vector<UINT> view = {32809, 32808, 32807, 32805, 32806, S, 32810, 32812, 32811, S, 33128};
  RegisterToolBarResource(IDR_TB_VIEW_PANEL, view);
  RegisterToolBarResource(IDR_TB_VIEW, view);
  RegisterToolBarResource(IDR_TB_EDIT_MODE, {32853, 32854, 32855, 32849});
  RegisterToolBarResource(IDR_TB_STANDARD,
                          {57600, 57601, 57603, S, 57635, 57634, 57637, S, 57643, 57644, S, 57607, 57609});
  const std::vector<UINT> curve = {32776, 32774, 32777, 32782, 32783, 32775, 32786,
                                   32778, 32779, 32903, 33005, 32973, 32904};
  RegisterToolBarResource(IDR_TB_CURVE, curve);
  RegisterToolBarResource(IDR_TB_TEXT, {32784, 32793, 32914, 32949, 32977, 33002, 33148, 33006});
  RegisterToolBarResource(IDR_TB_NODE, {32853, 32854, S, 32834, 32940, 32852});
  RegisterToolBarResource(IDR_TB_MODIFY, {32926, 32927, 33072, 33073, S, 32917, 32978, 32897, S, 32994, 32996, 32992});
  RegisterToolBarResource(IDR_TB_TRANSFORM, {32795, 32995, 32933, 32801, 32796, S, 33164, 32797, 32959, 32960,
                                             32963, S, 32951, 32956, 32971, 32974, 32982});
  RegisterToolBarResource(IDR_TB_ALIGN, {32820, 32821, 32822, 32823, 32824, 32825, S, 32826, 32827, 32828, 32829,
                                         32830, 32831});
  RegisterToolBarResource(IDR_TB_FILE_PAGE, {57600, 57601, 57603, 57604, S, 32848, 32999, S, 57607});
  std::vector<UINT> draw = curve;
  draw.insert(draw.end(), {S, 32784, 32793, 32914});
  RegisterToolBarResource(IDR_TB_DRAW_PAGE, draw);
  velmora::win::RegisterMenuResource(IDR_CONTEXT_MENUS, &BuildContextMenus);
}
