// 3D composite curves read from hostile archives: members of another class are refused before
// they load, and a failed load frees every curve it made.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "geometry/grid/RlfLayer.h"
#include "geometry/shapes2d/GeLine.h"
#include "geometry/shapes3d/GeCombCurve3d.h"
#include "geometry/shapes3d/GeLine3d.h"
#include "support/ArchiveBytes.h"
#include "support/VurodeFixture.h"

// Counts its loads: it has no business inside a composite, so it must never load there.
class CLoadCounter3d : public CObject {
  DECLARE_SERIAL(CLoadCounter3d)
 public:
  void Serialize(CArchive& ar) override {
    if (ar.IsLoading()) ++s_loads;
  }
  static int s_loads;
};
IMPLEMENT_SERIAL(CLoadCounter3d, CObject, VERSIONABLE_SCHEMA | 1)
int CLoadCounter3d::s_loads = 0;

// A 3D line that counts its instances, to see that failed loads free what they made.
class CCountedLine3d : public CGeLine3d {
  DECLARE_SERIAL(CCountedLine3d)
 public:
  CCountedLine3d() { ++s_live; }
  CCountedLine3d(const double a[3], const double b[3]) : CGeLine3d(a, b) { ++s_live; }
  ~CCountedLine3d() override { --s_live; }
  static int s_live;
};
IMPLEMENT_SERIAL(CCountedLine3d, CGeLine3d, GE_SCHEMA_3D)
int CCountedLine3d::s_live = 0;

namespace {

using Bytes = std::vector<BYTE>;

// Curves store and load their shape part only with a settings object of the current version.
class HostileContainer3dLoad : public VurodeTest {
 protected:
  void SetUp() override {
    VurodeTest::SetUp();
    gNewKXGlobal();
  }
};

// A composite's record with the given objects as its members; the members stay the caller's.
Bytes StoreWithMembers(const std::vector<CObject*>& members) {
  CGeCombCurve3d c;
  CObList& raw = c.m_CurveList;  // any object goes in, as a hostile file may hold it
  for (CObject* m : members) raw.AddTail(m);
  CMemFile file;
  {
    CArchive ar(&file, CArchive::store);
    ar << static_cast<const CObject*>(&c);
    ar.Close();
  }
  raw.RemoveAll();
  Bytes bytes(static_cast<size_t>(file.GetLength()));
  file.SeekToBegin();
  file.Read(bytes.data(), static_cast<UINT>(bytes.size()));
  return bytes;
}

using archive_bytes::LoadCause;

TEST_F(HostileContainer3dLoad, MembersOfOtherClassesAreRefusedBeforeTheyLoad) {
  const double a[3] = {0, 0, 0}, b[3] = {1, 0, 2};
  CCountedLine3d line(a, b);
  CLoadCounter3d counter;
  CObList list;
  list.AddTail(&counter);
  CRlfLayer layer(1, 1u << 27, 0);  // its record claims a row index of 2^27 rows
  const double a2[2] = {0, 0}, b2[2] = {1, 0};
  CGeLine flat(a2, b2);
  const struct {
    const char* what;
    std::vector<CObject*> members;
  } cases[] = {{"object of another class", {&line, &counter}},
               {"object list", {&line, &list}},
               {"relief layer", {&layer}},
               {"2D curve", {&line, &flat}}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const int live = CCountedLine3d::s_live;
    EXPECT_EQ(LoadCause(StoreWithMembers(c.members)), CArchiveException::badClass);
    EXPECT_EQ(CLoadCounter3d::s_loads, 0);
    EXPECT_EQ(CCountedLine3d::s_live, live);
  }
}

TEST_F(HostileContainer3dLoad, FailedLoadsFreeEveryCurveTheyMade) {
  const double a[3] = {0, 0, 0}, b[3] = {1, 0, 0}, c[3] = {1, 1, 1};
  CCountedLine3d first(a, b), second(b, c);
  auto* inner = new CGeCombCurve3d;
  inner->m_CurveList.AddTail(new CCountedLine3d(b, c));
  inner->m_CurveList.AddTail(new CCountedLine3d(c, a));
  const Bytes whole = StoreWithMembers({&first, inner, &second});
  const int live = CCountedLine3d::s_live;
  ASSERT_EQ(LoadCause(whole), CArchiveException::none);
  EXPECT_EQ(CCountedLine3d::s_live, live);
  for (size_t n = 0; n < whole.size(); ++n) {
    ASSERT_EQ(LoadCause(Bytes(whole.begin(), whole.begin() + n)), CArchiveException::endOfFile) << n;
    ASSERT_EQ(CCountedLine3d::s_live, live) << n;
  }
  delete inner;
}

}  // namespace
