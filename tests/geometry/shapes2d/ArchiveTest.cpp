// Archive records of lines, arcs and layers: exact byte layout, round trips through the
// persistent-object format, and registration by class name when the library loads.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <vector>

#include "geometry/shapes2d/GeArc.h"
#include "geometry/shapes2d/GeLine.h"
#include "geometry/shapes2d/Layer.h"
#include "support/ArchiveBytes.h"
#include "support/VurodeFixture.h"

namespace {

using archive_bytes::Fields;
using archive_bytes::RoundTrip;

int32_t Int(const std::vector<BYTE>& b, size_t at) { return archive_bytes::Get<int32_t>(b, at); }
double Dbl(const std::vector<BYTE>& b, size_t at) { return archive_bytes::Get<double>(b, at); }

using ArchiveTest = VurodeTest;

TEST_F(ArchiveTest, LineRecordIsClosedFlagThenFourDoubles) {
  const double s[2] = {1.5, -2.0}, e[2] = {3.25, 4.0};
  CGeLine line(s, e);
  const auto b = Fields(line);
  ASSERT_EQ(b.size(), 4u + 4 * 8);
  EXPECT_EQ(Int(b, 0), 0);
  EXPECT_EQ(Dbl(b, 4), 1.5);
  EXPECT_EQ(Dbl(b, 12), -2.0);
  EXPECT_EQ(Dbl(b, 20), 3.25);
  EXPECT_EQ(Dbl(b, 28), 4.0);

  std::unique_ptr<CGeLine> back(RoundTrip<CGeLine>(&line));
  ASSERT_TRUE(back);
  EXPECT_EQ(back->m_ptEnd[0], 3.25);
  ASSERT_EQ(back->m_nSWPoint, 2);  // the buffer is rebuilt, never stored
  EXPECT_EQ(back->m_pSWPoint[1][1], 4.0);
}

TEST_F(ArchiveTest, ArcRecordAndBufferRebuiltWithTheCurrentTolerance) {
  const double c[2] = {2.0, 1.0};
  CGeArc arc;
  ASSERT_EQ(arc.CreateCSEAngle(c, 10.0, 0.0, 3.0), 1);
  arc.m_nClosed = 1;
  arc.Discrete(0.01);
  const auto b = Fields(arc);
  ASSERT_EQ(b.size(), 4u + 6 * 8);
  EXPECT_EQ(Int(b, 0), 1);
  EXPECT_EQ(Dbl(b, 4), 2.0);
  EXPECT_EQ(Dbl(b, 12), 1.0);
  EXPECT_EQ(Dbl(b, 20), 10.0);
  EXPECT_EQ(Dbl(b, 28), 10.0);  // start vector x
  EXPECT_EQ(Dbl(b, 36), 0.0);
  EXPECT_EQ(Dbl(b, 44), 3.0);

  ASSERT_TRUE(gSetCurveDicTol(0.5));
  std::unique_ptr<CGeArc> back(RoundTrip<CGeArc>(&arc));
  ASSERT_TRUE(back);
  EXPECT_EQ(back->m_nClosed, 1);
  EXPECT_EQ(back->m_dSweep, 3.0);
  CGeArc fresh;
  fresh.Create(&arc);
  fresh.Discrete(0.5);
  EXPECT_EQ(back->m_nSWPoint, fresh.m_nSWPoint);
  EXPECT_LT(back->m_nSWPoint, arc.m_nSWPoint);
}

TEST_F(ArchiveTest, LayerKeepsEveryFlagBitAndTheCounter) {
  CLayer layer(L"Cut paths");
  layer.SetColor(0x00123456);
  layer.SetID(42);
  layer.m_nFlag = 0x1 | 0x2 | 0x10 | 0x400;  // a bit no setter uses survives too
  const auto b = Fields(layer);
  ASSERT_GE(b.size(), 12u);
  EXPECT_EQ(static_cast<uint32_t>(Int(b, 0)), 0x00123456u);
  EXPECT_EQ(Int(b, 4), 42);
  EXPECT_EQ(Int(b, 8), 0x413);
  EXPECT_EQ(b[12], 0xFF);  // the wide-string marker follows

  const int counter = CLayer::m_nMaxID;
  std::unique_ptr<CLayer> back(RoundTrip<CLayer>(&layer));
  ASSERT_TRUE(back);
  EXPECT_EQ(CLayer::m_nMaxID, counter);
  EXPECT_EQ(back->GetColor(), 0x00123456u);
  EXPECT_EQ(back->GetID(), 42);
  EXPECT_EQ(back->m_nFlag, 0x413);
  EXPECT_EQ(back->GetName(), CString(L"Cut paths"));
}

TEST_F(ArchiveTest, ClassesAreRegisteredByName) {
  for (const char* name : {"CGeLine", "CGeArc", "CLayer"}) {
    CRuntimeClass* rc = CRuntimeClass::FromName(name);
    ASSERT_NE(rc, nullptr) << name;
    EXPECT_EQ(rc->m_wSchema, 0x80000002u);
    std::unique_ptr<CObject> ob(rc->CreateObject());
    ASSERT_TRUE(ob);
    EXPECT_EQ(ob->GetRuntimeClass(), rc);
  }
  EXPECT_EQ(CRuntimeClass::FromName("CGeCurve"), nullptr);
  EXPECT_EQ(CRuntimeClass::FromName("CGeShape2d"), nullptr);
}

TEST_F(ArchiveTest, TruncatedRecordThrows) {
  const double s[2] = {0, 0}, e[2] = {1, 1};
  CGeLine line(s, e);
  auto b = Fields(line);
  b.resize(b.size() - 3);
  CMemFile file(b.data(), static_cast<UINT>(b.size()));
  CArchive ar(&file, CArchive::load);
  CGeLine loaded;
  EXPECT_THROW(loaded.Serialize(ar), CArchiveException);
}

TEST_F(ArchiveTest, ExtractionRefusesAnotherClass) {
  const double s[2] = {0, 0}, e[2] = {1, 1};
  CGeLine line(s, e);
  EXPECT_THROW(
      { std::unique_ptr<CGeArc> arc(RoundTrip<CGeArc>(&line)); },
      CArchiveException);
}

}  // namespace
