// The main menu as a user meets it: every command of the command table and of the view's
// menu table that has a menu item is on the bar, every item reaches a handler, and start-up
// takes exactly the two items other libraries provide off their menus.
#include "ShellFixture.h"

#include "platform/win/Menu.h"
#include "velmora/commands/CommandIds.h"
#include "velmora/commands/CommandTable.h"
#include "velmora/shell/MainMenu.h"
#include "velmora/shell/ViewMenu.h"

#include <map>
#include <set>

namespace {

// Every command item of a menu, with its text, depth first.
void Collect(HMENU menu, std::map<UINT, std::wstring>& items, int* count = nullptr) {
  const int n = ::GetMenuItemCount(menu);
  for (int i = 0; i < n; ++i) {
    if (HMENU sub = ::GetSubMenu(menu, i)) {
      Collect(sub, items, count);
      continue;
    }
    const UINT id = ::GetMenuItemID(menu, i);
    if (id == 0 || id == UINT(-1)) continue;
    wchar_t text[256] = {};
    ::GetMenuStringW(menu, UINT(i), text, 256, MF_BYPOSITION);
    items[id] = text;
    if (count) ++*count;
  }
}

std::map<UINT, std::wstring> Items(HMENU menu, int* count = nullptr) {
  std::map<UINT, std::wstring> items;
  Collect(menu, items, count);
  return items;
}

// Commands of the table that the menu starts through items of their own (sub-commands).
const std::map<UINT, std::vector<UINT>> kItemsOfCommand = {
    {ID_DRAW_ARC, {32787, 32788, 32789, 32790, 32791}},
    {ID_XFORM_MIRROR, {32799, 32800, 32801}},
    {ID_ALIGN_CMD, {32820, 32821, 32822, 32823, 32824, 32825, 32826, 32827, 32828, 32829, 32830, 32831}},
    {ID_IMAGE_EDIT, {32863, 32864, 32865, 32866, 32997, 33077}},
    {ID_SLICE_PARALLEL, {32897, 32898, 32899}},
    {ID_BOOL_JOIN, {32917, 32918, 32919, 32920}},
    {ID_SLICE_LINEAR, {32978, 32979, 32980}},
    {ID_XFORM_COPY_RECT, {33164, 33165}},
};
// Commands without a menu item: the scanner's image command, the font size of the text tools
// and the layer command (run by the layer items).
const std::set<UINT> kNoMenuItem = {32839, 33063, 33052};
// Ids the view answers that are keys or toolbar buttons, not menu items.
// 33063 is the text tools' font size, which they run themselves.
const std::set<UINT> kNotOnMenus = {32816 /* Enter */, 32850 /* Esc */, 32785, 32942, 32943, 33063};

struct MenuOwner {
  HMENU h = BuildMainMenu();
  ~MenuOwner() { ::DestroyMenu(h); }
};

}  // namespace

TEST(MainMenuTest, EveryCommandWithAMenuTextIsOnTheBar) {
  MenuOwner menu;
  ASSERT_EQ(::GetMenuItemCount(menu.h), kMainMenuCount);
  int count = 0;
  const auto items = Items(menu.h, &count);
  EXPECT_EQ(size_t(count), items.size()) << "an id is on the menu twice";
  auto expectOnMenu = [&](UINT id, const char* source) {
    EXPECT_TRUE(items.count(id)) << source << " id " << id << " has no menu item";
  };
  for (auto table : {cmdAppTable(), cmdMainTable()})
    for (const CmdRow& row : table) {
      if (kNoMenuItem.count(row.id)) continue;
      auto sub = kItemsOfCommand.find(row.id);
      if (sub == kItemsOfCommand.end())
        expectOnMenu(row.id, "command table");
      else
        for (UINT id : sub->second) expectOnMenu(id, "command table");
    }
  for (const ViewMenuRow& row : ViewMenuRows())
    for (UINT id = row.first; id <= row.last; ++id)
      if (!kNotOnMenus.count(id)) expectOnMenu(id, "view menu table");
  // The frame's bar, snap and layer items and the document's.
  for (UINT id : {ID_VIEW_GRID, ID_VIEW_RULERS, ID_VIEW_SNAP_SETTINGS, ID_VIEW_PATH, ID_VIEW_TOOLBARS,
                  ID_VIEW_CURVE_BAR, ID_VIEW_LAYER_BAR, ID_LAYER_EDIT, ID_LAYER_ALL_ON, ID_LAYER_ONE_ON,
                  ID_LAYER_ONE_OFF, ID_LAYER_CHANGE_OBJ, ID_LAYER_OBJ_TO_CUR, ID_LAYER_SET_CUR, ID_UNIT_MM,
                  ID_UNIT_CM, ID_UNIT_INCH, ID_UNIT_FEET, ID_SNAP_ALL, ID_SNAP_NAVIGATE, ID_FILE_EXPORT_SELECTED,
                  ID_FILE_NOTES, ID_FILE_IMPORT, ID_FILE_EXPORT, ID_SCAN_SELECT, ID_SCAN_ACQUIRE, ID_FILE_MRU_FILE1})
    expectOnMenu(id, "frame or document");
  for (UINT id = ID_SNAP_FIRST; id <= ID_SNAP_GUIDELINE; ++id) expectOnMenu(id, "snap");
  // Texts with their keys, as the accelerator table has them.
  const std::vector<std::pair<UINT, std::wstring>> texts = {
      {ID_VIEW_ZOOM_IN_MENU, L"Zoom In(&I)\tPageUp"}, {ID_VIEW_ZOOM_OUT_MENU, L"Zoom Out(&M)\tPageDown"},
      {ID_MEASURE_DISTANCE, L"Distance Measure\tAlt+1"}, {ID_MEASURE_RADIUS, L"the maximum inscribed circle\tAlt+5"},
      {ID_VIEW_LAYER_BAR, L"Layer Bar(&L)\tShow/Hide"},  {ID_NEST_INTERACTIVE, L"Interactive Nesting (&I)..."},
      {ID_DRAW_EQUATION, L"Equation"},                    {ID_ARRANGE_UNGROUP, L"Ungroup\tCtrl+U"},
      {ID_ARRANGE_UNBLOCK, L"Unblock\tCtrl+E"}};
  for (const auto& [id, text] : texts) EXPECT_EQ(items.at(id), text) << id;
}

// A key named on a menu item is a key of the accelerator table that sends that item's command.
TEST(MainMenuTest, KeysNamedOnItemsAreTheAcceleratorsOfTheirCommands) {
  MenuOwner menu;
  int n = 0;
  const ACCEL* accel = ShellAccelerators(&n);
  std::multimap<UINT, const ACCEL*> byCmd;
  for (int i = 0; i < n; ++i) byCmd.emplace(accel[i].cmd, &accel[i]);
  // The view and the hub take these keys themselves, not through the table; Esc goes back to
  // the selection tools through its own command.
  const std::set<std::wstring> ownKeys = {L"PageUp", L"PageDown", L"Del", L"Esc", L"Show/Hide", L" Show/Hide"};
  for (const auto& [id, text] : Items(menu.h)) {
    const size_t tab = text.find(L'\t');
    if (tab == std::wstring::npos || ownKeys.count(text.substr(tab + 1))) continue;
    EXPECT_TRUE(byCmd.count(id)) << "item " << id << " names a key, but no accelerator sends it";
  }
}

TEST_F(ShellTest, StartUpTakesNestingAndEquationOffTheirMenusAndKeepsEverythingElse) {
  Start();
  ASSERT_TRUE(started);
  HMENU bar = frame->GetMenu()->GetSafeHmenu();
  ASSERT_EQ(::GetMenuItemCount(bar), kMainMenuCount);
  MenuOwner fresh;
  auto want = Items(fresh.h);
  EXPECT_TRUE(Items(::GetSubMenu(fresh.h, 6)).count(ID_NEST_INTERACTIVE));
  EXPECT_TRUE(Items(::GetSubMenu(fresh.h, 3)).count(ID_DRAW_EQUATION));
  want.erase(ID_NEST_INTERACTIVE);
  want.erase(ID_DRAW_EQUATION);
  EXPECT_EQ(Items(bar), want);
  // Each item reaches a handler of the frame, view, document or application.
  for (const auto& [id, text] : want) {
    AFX_CMDHANDLERINFO info{};
    CCmdUI ui;
    ui.m_nID = id;
    const bool handled = frame->OnCmdMsg(id, CN_COMMAND, nullptr, &info) ||
                         frame->OnCmdMsg(id, CN_UPDATE_COMMAND_UI, &ui, nullptr);
    EXPECT_TRUE(handled) << "nothing handles " << id;
  }
  // Only the items go: the commands stay registered.
  EXPECT_NE(gGetOrdvale()->GetCmd(ID_NEST_INTERACTIVE), nullptr);
  EXPECT_NE(gGetOrdvale()->GetCmd(ID_DRAW_EQUATION), nullptr);
}

// The idle pass updates every menu item, the selection tools' among them: once the windows are
// painted, another pass must leave nothing to repaint, or the program would never rest.
TEST_F(ShellTest, AnIdleUpdateAfterPaintingLeavesNothingToRepaint) {
  Start();
  ASSERT_TRUE(started);
  auto paintAll = [] {
    MSG m;
    int n = 0;
    while (n < 1000 && ::PeekMessageW(&m, nullptr, WM_PAINT, WM_PAINT, PM_REMOVE)) ::DispatchMessageW(&m), ++n;
    return n;
  };
  for (int pass = 0; pass < 2; ++pass) {
    frame->OnIdleUpdateCmdUI();
    paintAll();
  }
  frame->OnIdleUpdateCmdUI();
  MSG m;
  EXPECT_FALSE(::PeekMessageW(&m, nullptr, WM_PAINT, WM_PAINT, PM_NOREMOVE));
}
