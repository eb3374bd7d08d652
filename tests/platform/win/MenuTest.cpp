// In-memory menus and accelerator tables.
#include "platform/win/Menu.h"

#include <gtest/gtest.h>

#include <string>

namespace {
std::wstring Text(HMENU m, UINT pos) {
  wchar_t buf[32];
  GetMenuStringW(m, pos, buf, 32, MF_BYPOSITION);
  return buf;
}
}  // namespace

TEST(Menu, ItemsByPositionAndByCommand) {
  HMENU bar = CreateMenu();
  HMENU file = CreatePopupMenu();
  ASSERT_TRUE(AppendMenuW(file, MF_STRING, 10, L"&New"));
  ASSERT_TRUE(AppendMenuW(file, MF_SEPARATOR, 0, nullptr));
  ASSERT_TRUE(AppendMenuW(file, MF_STRING | MF_GRAYED, 11, L"Close"));
  ASSERT_TRUE(AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(file), L"&File"));
  ASSERT_TRUE(AppendMenuW(bar, MF_STRING, 20, L"Help"));
  ASSERT_TRUE(InsertMenuW(bar, 1, MF_BYPOSITION | MF_STRING, 30, L"Edit"));
  ASSERT_TRUE(InsertMenuW(bar, 99, MF_BYPOSITION | MF_STRING, 31, L"Last"));  // past the end appends

  EXPECT_EQ(GetMenuItemCount(bar), 4);
  EXPECT_EQ(Text(bar, 0), L"&File");
  EXPECT_EQ(Text(bar, 1), L"Edit");
  EXPECT_EQ(Text(bar, 3), L"Last");
  EXPECT_EQ(GetSubMenu(bar, 0), file);
  EXPECT_EQ(GetSubMenu(bar, 1), nullptr);
  EXPECT_EQ(GetMenuItemID(bar, 0), static_cast<UINT>(-1));
  EXPECT_EQ(GetMenuItemID(bar, 2), 20u);
  EXPECT_EQ(GetMenuState(bar, 0, MF_BYPOSITION), MF_POPUP | (3u << 8));
  EXPECT_EQ(GetMenuState(file, 1, MF_BYPOSITION) & MF_SEPARATOR, MF_SEPARATOR);
  EXPECT_EQ(GetMenuState(bar, 11, MF_BYCOMMAND) & MF_GRAYED, MF_GRAYED);  // found inside the popup
  EXPECT_EQ(GetMenuState(bar, 4, MF_BYPOSITION), static_cast<UINT>(-1));

  // Truncation keeps the terminator; a null buffer asks for the length.
  wchar_t small[3];
  EXPECT_EQ(GetMenuStringW(bar, 0, small, 3, MF_BYPOSITION), 2);
  EXPECT_EQ(std::wstring(small), L"&F");
  EXPECT_EQ(GetMenuStringW(bar, 0, nullptr, 0, MF_BYPOSITION), 5);

  EXPECT_EQ(CheckMenuItem(bar, 10, MF_CHECKED), 0u);
  EXPECT_EQ(CheckMenuItem(bar, 10, MF_UNCHECKED), MF_CHECKED);
  EXPECT_EQ(CheckMenuItem(bar, 999, MF_CHECKED), static_cast<DWORD>(-1));
  EXPECT_EQ(EnableMenuItem(bar, 11, MF_ENABLED), static_cast<BOOL>(MF_GRAYED));

  EXPECT_TRUE(RemoveMenu(bar, 30, MF_BYCOMMAND));
  EXPECT_EQ(Text(bar, 1), L"Help");
  EXPECT_TRUE(RemoveMenu(bar, 0, MF_BYPOSITION));  // detaches the popup without destroying it
  EXPECT_TRUE(IsMenu(file));
  EXPECT_TRUE(AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(file), L"File"));
  EXPECT_TRUE(DeleteMenu(bar, 2, MF_BYPOSITION));  // destroys it
  EXPECT_FALSE(IsMenu(file));
  EXPECT_TRUE(DestroyMenu(bar));
}

TEST(Menu, DestroyedAndBogusHandlesFailSafely) {
  HMENU bar = CreateMenu();
  HMENU popup = CreatePopupMenu();
  AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(popup), L"P");
  EXPECT_FALSE(AppendMenuW(popup, MF_POPUP, reinterpret_cast<UINT_PTR>(popup), L"self"));
  ASSERT_TRUE(DestroyMenu(bar));
  EXPECT_FALSE(IsMenu(popup));  // went with its owner
  EXPECT_EQ(GetMenuItemCount(bar), -1);
  EXPECT_FALSE(AppendMenuW(bar, MF_STRING, 1, L"x"));
  EXPECT_FALSE(DestroyMenu(bar));
  HMENU bogus = reinterpret_cast<HMENU>(static_cast<uintptr_t>(0x1234));
  EXPECT_EQ(GetSubMenu(bogus, 0), nullptr);
  HMENU other = CreateMenu();
  EXPECT_FALSE(AppendMenuW(other, MF_POPUP, reinterpret_cast<UINT_PTR>(bogus), L"x"));
  DestroyMenu(other);
}

TEST(Accelerator, CreateCopyDestroy) {
  ACCEL entries[3] = {{FVIRTKEY | FCONTROL, 'S', 57603}, {FALT, '.', 32900}, {FVIRTKEY, 0x21, 32809}};
  HACCEL h = CreateAcceleratorTableW(entries, 3);
  ASSERT_NE(h, nullptr);
  EXPECT_EQ(CopyAcceleratorTableW(h, nullptr, 0), 3);
  ACCEL out[2];
  ASSERT_EQ(CopyAcceleratorTableW(h, out, 2), 2);
  EXPECT_EQ(out[1].fVirt, FALT);
  EXPECT_EQ(out[1].key, '.');
  EXPECT_EQ(out[1].cmd, 32900);
  EXPECT_TRUE(DestroyAcceleratorTable(h));
  EXPECT_EQ(CopyAcceleratorTableW(h, nullptr, 0), 0);
  EXPECT_FALSE(DestroyAcceleratorTable(h));
  EXPECT_EQ(CreateAcceleratorTableW(entries, 0), nullptr);
  EXPECT_EQ(CreateAcceleratorTableW(nullptr, 3), nullptr);
}
