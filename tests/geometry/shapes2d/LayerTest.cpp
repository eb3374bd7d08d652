// Layer flags, the ID counter and the archive record.
#include <gtest/gtest.h>

#include "geometry/shapes2d/Layer.h"

namespace {

TEST(LayerTest, IdsComeFromTheCounter) {
  const int start = CLayer::m_nMaxID;
  CLayer a, b;
  EXPECT_EQ(a.GetID(), start);
  EXPECT_EQ(b.GetID(), start);
  CLayer c(L"one"), d(L"two");
  EXPECT_EQ(c.GetID(), start);
  EXPECT_EQ(d.GetID(), start + 1);
  EXPECT_EQ(CLayer::m_nMaxID, start + 2);
  d.SetID(100);
  EXPECT_EQ(CLayer::m_nMaxID, start + 2);
  EXPECT_EQ(d.GetName(), CString(L"two"));
}

TEST(LayerTest, FlagsChangeOnlyTheirBits) {
  CLayer layer;
  EXPECT_EQ(layer.m_nFlag, CLayer::FLAG_VISIBLE);
  EXPECT_EQ(layer.GetColor(), 0u);
  layer.SetInVisible();
  layer.SetInVisible();
  EXPECT_EQ(layer.m_nFlag, 0);
  EXPECT_EQ(layer.IsVisible(), 0);
  layer.SetLock(5);
  EXPECT_EQ(layer.IsLocked(), 1);
  layer.SetDelete(1);
  EXPECT_EQ(layer.IsDeleted(), 1);
  EXPECT_EQ(layer.m_nFlag, CLayer::FLAG_LOCKED | CLayer::FLAG_DELETED);
  layer.SetLock(0);
  layer.SetVisible();
  EXPECT_EQ(layer.m_nFlag, CLayer::FLAG_VISIBLE | CLayer::FLAG_DELETED);
}

}  // namespace
