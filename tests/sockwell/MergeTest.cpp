// Merging plug-in menus and accelerator tables into the frame's.
#include "HostClasses.h"

#include "sockwell/PIMerge.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

using ::testing::ElementsAre;

namespace {
// A menu described as text: top-level popups "Name[item,item]", commands "item", separator "-".
// Command ids are 1000 + the position of the item in the description.
struct MenuSpec {
  std::string title;
  std::vector<std::string> items;  // empty title: a plain command
};

HMENU Build(const std::vector<MenuSpec>& specs, UINT& nextId) {
  HMENU bar = CreateMenu();
  for (const auto& s : specs) {
    if (s.items.empty() && s.title != "" && s.title[0] != '+') {
      if (s.title == "-") AppendMenuW(bar, MF_SEPARATOR, 0, nullptr);
      else AppendMenuW(bar, MF_STRING, nextId++, CString::FromUtf8(s.title));
      continue;
    }
    HMENU popup = CreatePopupMenu();
    for (const auto& item : s.items) {
      if (item == "-") AppendMenuW(popup, MF_SEPARATOR, 0, nullptr);
      else AppendMenuW(popup, MF_STRING, nextId++, CString::FromUtf8(item));
    }
    const std::string title = s.title[0] == '+' ? s.title.substr(1) : s.title;
    AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(popup), CString::FromUtf8(title));
  }
  return bar;
}

// The menu written back as "Title[a,b]" parts, separators as "-".
std::string Describe(HMENU menu, const char* separator = " ") {
  std::string out;
  const int n = GetMenuItemCount(menu);
  for (int i = 0; i < n; ++i) {
    if (i) out += separator;
    wchar_t text[64];
    GetMenuStringW(menu, static_cast<UINT>(i), text, 64, MF_BYPOSITION);
    const UINT state = GetMenuState(menu, static_cast<UINT>(i), MF_BYPOSITION);
    if (state & MF_SEPARATOR) {
      out += "-";
    } else if (HMENU sub = GetSubMenu(menu, i)) {
      out += CString(text).ToUtf8() + "[" + Describe(sub, ",") + "]";
    } else {
      out += CString(text).ToUtf8();
    }
  }
  return out;
}

struct MergeCase {
  const char* name;
  std::vector<MenuSpec> dst;
  std::vector<MenuSpec> src;
  const char* expected;
};
}  // namespace

TEST(PIMergeMenu, TopLevelCases) {
  const MergeCase cases[] = {
      {"same-named popups merge; new ones go before Window",
       {{"&File", {"New", "Open"}}, {"&Edit", {"Undo"}}, {"&Window", {"Tile"}}, {"&Help", {"About"}}},
       {{"&File", {"Import X"}}, {"Tools", {"Run"}}},
       "&File[New,Open,-,Import X] &Edit[Undo] Tools[Run] &Window[Tile] &Help[About]"},
      {"without Window or Help new popups go last",
       {{"File", {"New"}}, {"View", {"Zoom"}}},
       {{"Tools", {"Run"}}},
       "File[New] View[Zoom] Tools[Run]"},
      {"a help menu titled ? stays last",
       {{"File", {"New"}}, {"?", {"About"}}},
       {{"&Tools", {"Run"}}},
       "File[New] &Tools[Run] ?[About]"},
      {"ampersands are ignored when matching and kept on new popups",
       {{"F&ile", {"New"}}},
       {{"Fi&le", {"Extra"}}, {"&Plug", {"One"}}},
       "F&ile[New,-,Extra] &Plug[One]"},
      {"an empty source adds nothing", {{"File", {"New"}}}, {}, "File[New]"},
      {"top-level commands are appended as they are",
       {{"File", {"New"}}},
       {{"Go", {}}, {"-", {}}},
       "File[New] Go -"},
      {"separators of the source are kept",
       {{"File", {"New"}}},
       {{"File", {"-", "x"}}},
       "File[New,-,-,x]"},
  };
  for (const auto& c : cases) {
    UINT id = 1000;
    HMENU dst = Build(c.dst, id);
    HMENU src = Build(c.src, id);
    CMenu dstMenu, srcMenu;
    dstMenu.Attach(dst);
    srcMenu.Attach(src);
    EXPECT_TRUE(PIMergeMenu(&dstMenu, &srcMenu, true)) << c.name;
    EXPECT_EQ(Describe(dst), c.expected) << c.name;
  }
}

TEST(PIMergeMenu, ItemsKeepIdsAndStatesAndTheSourceStaysIntact) {
  CMenu dst, src;
  ASSERT_TRUE(dst.CreateMenu());
  ASSERT_TRUE(src.CreateMenu());
  CMenu popup;
  popup.CreatePopupMenu();
  popup.AppendMenu(MF_STRING | MF_GRAYED | MF_CHECKED, 4711, L"Checked");
  src.AppendMenu(MF_POPUP, reinterpret_cast<UINT_PTR>(popup.Detach()), L"Plug");
  ASSERT_TRUE(PIMergeMenu(&dst, &src, true));
  CMenu* merged = dst.GetSubMenu(0);
  ASSERT_NE(merged, nullptr);
  EXPECT_NE(merged->m_hMenu, src.GetSubMenu(0)->m_hMenu);  // a copy, not the plug-in's popup
  EXPECT_EQ(merged->GetMenuItemID(0), 4711u);
  EXPECT_EQ(merged->GetMenuState(0, MF_BYPOSITION) & (MF_GRAYED | MF_CHECKED), MF_GRAYED | MF_CHECKED);
  src.DestroyMenu();  // the plug-in may destroy its menu afterwards
  EXPECT_EQ(merged->GetMenuItemID(0), 4711u);
}

TEST(PIMergeMenu, SubmenusAreAppendedNeverMatchedByName) {
  CMenu dst, src, dstFile, dstRecent, srcFile, srcRecent;
  dst.CreateMenu();
  src.CreateMenu();
  for (CMenu* m : {&dstFile, &dstRecent, &srcFile, &srcRecent}) m->CreatePopupMenu();
  dstRecent.AppendMenu(MF_STRING, 1, L"a");
  dstFile.AppendMenu(MF_POPUP, reinterpret_cast<UINT_PTR>(dstRecent.Detach()), L"Recent");
  dst.AppendMenu(MF_POPUP, reinterpret_cast<UINT_PTR>(dstFile.Detach()), L"File");
  srcRecent.AppendMenu(MF_STRING, 2, L"b");
  srcFile.AppendMenu(MF_POPUP, reinterpret_cast<UINT_PTR>(srcRecent.Detach()), L"Recent");
  src.AppendMenu(MF_POPUP, reinterpret_cast<UINT_PTR>(srcFile.Detach()), L"File");
  ASSERT_TRUE(PIMergeMenu(&dst, &src, true));
  EXPECT_EQ(Describe(dst.m_hMenu), "File[Recent[a],-,Recent[b]]");
}

TEST(PIMergeMenu, InvalidMenusFail) {
  CMenu good, empty;
  good.CreateMenu();
  EXPECT_FALSE(PIMergeMenu(&good, nullptr, true));
  EXPECT_FALSE(PIMergeMenu(nullptr, &good, true));
  EXPECT_FALSE(PIMergeMenu(&good, &empty, true));
}

TEST(PIMergeAccelerator, AppendsSourceEntriesAfterTheFramesOwn) {
  std::vector<ACCEL> frame;
  for (WORD i = 0; i < 10; ++i) frame.push_back({FVIRTKEY, static_cast<WORD>('A' + i), static_cast<WORD>(100 + i)});
  ACCEL plug[3] = {{FVIRTKEY | FCONTROL, 'T', 900}, {FVIRTKEY, 0x70, 901}, {0, '.', 902}};
  HACCEL dst = CreateAcceleratorTableW(frame.data(), 10);
  HACCEL src = CreateAcceleratorTableW(plug, 3);
  HACCEL old = dst;
  ASSERT_TRUE(PIMergeAccelerator(dst, src));
  EXPECT_NE(dst, old);
  EXPECT_EQ(CopyAcceleratorTableW(old, nullptr, 0), 0);  // the old table is gone
  ASSERT_EQ(CopyAcceleratorTableW(dst, nullptr, 0), 13);
  ACCEL out[13];
  ASSERT_EQ(CopyAcceleratorTableW(dst, out, 13), 13);
  for (int i = 0; i < 10; ++i) EXPECT_EQ(out[i].cmd, 100 + i);
  EXPECT_EQ(out[10].cmd, 900);
  EXPECT_EQ(out[10].fVirt, FVIRTKEY | FCONTROL);
  EXPECT_EQ(out[12].key, '.');

  // An empty or missing source leaves the table as it was; a missing destination gets one.
  HACCEL before = dst;
  EXPECT_FALSE(PIMergeAccelerator(dst, nullptr));
  EXPECT_EQ(dst, before);
  HACCEL none = nullptr;
  ASSERT_TRUE(PIMergeAccelerator(none, src));
  EXPECT_EQ(CopyAcceleratorTableW(none, nullptr, 0), 3);
  for (HACCEL h : {dst, src, none}) DestroyAcceleratorTable(h);
}

TEST(PlugInMerge, ModulesMergeIntoTheMainFrameOnceEach) {
  PlugInFolder folder;
  folder.AddFull("a.vpf");
  folder.AddLean("b.vpf");
  CDraftonApp app;
  app.LoadPlugInDLLs();
  auto* frame = new CMainFrame;
  ASSERT_TRUE(frame->Create(nullptr, L"Main", 0, RECT{0, 0, 10, 10}, nullptr, 0));
  UINT id = 1;
  CMenu bar;
  bar.Attach(Build({{"&File", {"New"}}, {"&Help", {"About"}}}, id));
  frame->SetMenu(&bar);
  ACCEL own = {FVIRTKEY, 'N', 1};
  frame->m_hAccelTable = CreateAcceleratorTableW(&own, 1);

  TestLogTake();
  app.UpdateMenus();  // no main window yet: no module is called
  EXPECT_TRUE(TestLogTake().empty());
  app.m_pMainWnd = frame;
  app.UpdateMenus();
  app.UpdateAccelerators();
  EXPECT_THAT(TestLogTake(), ElementsAre("a.vpf:menu-merged", "b.vpf:menu-merged", "a.vpf:accel-merged",
                                         "b.vpf:accel-merged"));
  EXPECT_EQ(Describe(bar.m_hMenu), "&File[New,-,Test &Import,-,Test &Import] Tools[Test Tool,-,Test Tool] &Help[About]");
  EXPECT_EQ(CopyAcceleratorTableW(frame->m_hAccelTable, nullptr, 0), 7);
  frame->DestroyWindow();
}
