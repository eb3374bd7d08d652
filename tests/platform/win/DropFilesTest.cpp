// The drop handle of WM_DROPFILES: the file list, the point, truncation into short buffers, and
// handles that are not (or no longer) drops.
#include "platform/win/DropFiles.h"

#include <gtest/gtest.h>

TEST(DropFiles, HandleListsTheFilesAndThePointUntilFinished) {
  HDROP drop = velmora::win::MakeDrop({L"/tmp/a drawing.vlm", L"/home/u/\u00e9t\u00e9.vlm"}, POINT{12, 34});
  EXPECT_EQ(DragQueryFileW(drop, 0xFFFFFFFFu, nullptr, 0), 2u);
  EXPECT_EQ(DragQueryFileW(drop, 0, nullptr, 0), 18u);
  wchar_t buf[64];
  EXPECT_EQ(DragQueryFileW(drop, 1, buf, 64), 15u);
  EXPECT_STREQ(buf, L"/home/u/\u00e9t\u00e9.vlm");
  // A short buffer takes what fits, terminated.
  wchar_t small[5];
  EXPECT_EQ(DragQueryFileW(drop, 0, small, 5), 4u);
  EXPECT_STREQ(small, L"/tmp");
  EXPECT_EQ(DragQueryFileW(drop, 2, buf, 64), 0u);
  POINT at{};
  EXPECT_TRUE(DragQueryPoint(drop, &at));
  EXPECT_EQ(at.x, 12);
  EXPECT_EQ(at.y, 34);
  DragFinish(drop);
  // A finished handle, or anything else, lists nothing; finishing again does no harm.
  EXPECT_EQ(DragQueryFileW(drop, 0xFFFFFFFFu, nullptr, 0), 0u);
  EXPECT_FALSE(DragQueryPoint(drop, &at));
  DragFinish(drop);
  int notADrop = 0;
  EXPECT_EQ(DragQueryFileW(reinterpret_cast<HDROP>(&notADrop), 0xFFFFFFFFu, nullptr, 0), 0u);
  DragFinish(reinterpret_cast<HDROP>(&notADrop));
  DragFinish(nullptr);
}
