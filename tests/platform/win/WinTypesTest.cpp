#include "platform/win/WinTypes.h"

#include <gtest/gtest.h>

TEST(WinTypes, SizesMatchStoredForms) {
  static_assert(sizeof(DWORD) == 4 && sizeof(LONG) == 4 && sizeof(WORD) == 2 && sizeof(BYTE) == 1);
  static_assert(sizeof(WPARAM) == sizeof(void*) && sizeof(LPARAM) == sizeof(void*));
  static_assert(sizeof(RECT) == 16 && sizeof(POINT) == 8);
  SUCCEED();
}

TEST(WinTypes, ColourChannelsRoundTrip) {
  const COLORREF c = RGB(0x12, 0x34, 0x56);
  EXPECT_EQ(c, 0x00563412u);
  EXPECT_EQ(GetRValue(c), 0x12);
  EXPECT_EQ(GetGValue(c), 0x34);
  EXPECT_EQ(GetBValue(c), 0x56);
  EXPECT_EQ(RGB(300, -1, 0), RGB(300 & 0xFF, 0xFF, 0));
}

TEST(WinTypes, WordSplitting) {
  const LPARAM lp = static_cast<LPARAM>(MAKELONG(0xFFF6, 0x0078));
  EXPECT_EQ(static_cast<short>(LOWORD(lp)), -10);  // signed coordinates survive the split
  EXPECT_EQ(HIWORD(lp), 0x78);
}
