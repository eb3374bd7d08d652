// Pictures made from device-dependent bitmaps.
#include <gtest/gtest.h>

#include <memory>

#include "platform/afx/RecordingDC.h"
#include "platform/vurode/Dib.h"

TEST(DibFromBitmap, KeepsEveryPixelInDeviceIndependentOrder) {
  CBitmap bmp;
  ASSERT_TRUE(bmp.CreateCompatibleBitmap(nullptr, 3, 2));
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 3; ++x) bmp.SetPixel(x, y, RGB(10 * x, 100 + y, 200));
  std::unique_ptr<CDib> dib(CDib::DDBToDIB(&bmp));
  ASSERT_NE(dib, nullptr);
  ASSERT_EQ(dib->GetWidth(), 3);
  ASSERT_EQ(dib->GetHeight(), 2);
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 3; ++x) EXPECT_EQ(dib->GetPixel(x, y), RGB(10 * x, 100 + y, 200));
  // Bottom row first; opaque, so Display draws every pixel.
  const DibPixel first = dib->GetBits()[0];
  EXPECT_EQ(first.green, 101);
  EXPECT_EQ(first.alpha, 255);
  CRecordingDC rec;
  dib->Display(&rec, CPoint(0, 0), CSize(3, 2));
  EXPECT_EQ(rec.Count(CRecordingDC::Kind::SetPixel), 6u);
}

TEST(DibFromBitmap, NullOrEmptyBitmapGivesNoPicture) {
  CBitmap empty;
  EXPECT_EQ(CDib::DDBToDIB(nullptr), nullptr);
  EXPECT_EQ(CDib::DDBToDIB(&empty), nullptr);
}
