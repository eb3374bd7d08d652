// Composite curves and loops, planar and spatial, read from hostile archives: members of
// another class are refused before they load, and a failed load frees every curve it made.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <vector>

#include "geometry/grid/RlfLayer.h"
#include "geometry/shapes2d/GeCombCurve.h"
#include "geometry/shapes2d/GeLine.h"
#include "geometry/shapes2d/GeLoop.h"
#include "geometry/shapes3d/GeCombCurve3d.h"
#include "geometry/shapes3d/GeLine3d.h"
#include "platform/vurode/KXGlobal.h"
#include "support/ArchiveBytes.h"
#include "support/VurodeFixture.h"

// Counts its loads: it has no business inside a composite, so it must never load there.
class CLoadCounter : public CObject {
  DECLARE_SERIAL(CLoadCounter)
 public:
  void Serialize(CArchive& ar) override {
    if (ar.IsLoading()) ++s_loads;
  }
  static int s_loads;
};
IMPLEMENT_SERIAL(CLoadCounter, CObject, VERSIONABLE_SCHEMA | 1)
int CLoadCounter::s_loads = 0;

// Lines that count their instances, to see that failed loads free what they made.
class CCountedLine : public CGeLine {
  DECLARE_SERIAL(CCountedLine)
 public:
  CCountedLine() { ++s_live; }
  CCountedLine(const double a[2], const double b[2]) : CGeLine(a, b) { ++s_live; }
  ~CCountedLine() override { --s_live; }
  static int s_live;
};
IMPLEMENT_SERIAL(CCountedLine, CGeLine, GE_SCHEMA_2D)
int CCountedLine::s_live = 0;

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
using archive_bytes::LoadCause;

// The container's record with the given objects as its members; the members stay the caller's.
template <class C>
Bytes StoreWithMembers(const std::vector<CObject*>& members) {
  C c;
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

// Planar containers hold planar curves, nested in planar composites; a spatial line is foreign.
template <class C>
struct Planar {
  using Container = C;
  using Line = CCountedLine;
  using Nested = CGeCombCurve;
  static constexpr double kA[2] = {0, 0}, kB[2] = {1, 0}, kC[2] = {1, 1};
  static void SetUp() {}
  static std::unique_ptr<CObject> Foreign() {
    const double a[3] = {0, 0, 0}, b[3] = {1, 0, 2};
    return std::make_unique<CGeLine3d>(a, b);
  }
};

// Spatial composites hold spatial curves; a planar line is foreign.
struct Spatial {
  using Container = CGeCombCurve3d;
  using Line = CCountedLine3d;
  using Nested = CGeCombCurve3d;
  static constexpr double kA[3] = {0, 0, 0}, kB[3] = {1, 0, 0}, kC[3] = {1, 1, 1};
  // Curves store and load their shape part only with a settings object of the current version.
  static void SetUp() { gNewKXGlobal(); }
  static std::unique_ptr<CObject> Foreign() {
    const double a[2] = {0, 0}, b[2] = {1, 0};
    return std::make_unique<CGeLine>(a, b);
  }
};

template <class Traits>
class HostileContainerLoad : public VurodeTest {
 protected:
  void SetUp() override {
    VurodeTest::SetUp();
    Traits::SetUp();
  }
};

using Containers = testing::Types<Planar<CGeCombCurve>, Planar<CGeLoop>, Spatial>;
TYPED_TEST_SUITE(HostileContainerLoad, Containers);

TYPED_TEST(HostileContainerLoad, MembersOfOtherClassesAreRefusedBeforeTheyLoad) {
  using Line = typename TypeParam::Line;
  const auto store = &StoreWithMembers<typename TypeParam::Container>;
  Line line(TypeParam::kA, TypeParam::kB);
  CLoadCounter counter;
  // A list of counters where a curve belongs, a relief layer whose record claims a row index
  // of 2^27 rows, and a curve of the other dimension.
  CObList list;
  list.AddTail(&counter);
  list.AddTail(&counter);
  CRlfLayer layer(1, 1u << 27, 0);
  const std::unique_ptr<CObject> foreign = TypeParam::Foreign();
  const struct {
    const char* what;
    std::vector<CObject*> members;
  } cases[] = {{"object of another class", {&line, &counter}},
               {"object list", {&line, &list}},
               {"relief layer", {&layer}},
               {"curve of the other dimension", {&line, foreign.get()}}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const int live = Line::s_live;
    EXPECT_EQ(LoadCause(store(c.members)), CArchiveException::badClass);
    EXPECT_EQ(CLoadCounter::s_loads, 0);
    EXPECT_EQ(Line::s_live, live);
  }
}

TYPED_TEST(HostileContainerLoad, FailedLoadsFreeEveryCurveTheyMade) {
  using Line = typename TypeParam::Line;
  const double* a = TypeParam::kA;
  const double* b = TypeParam::kB;
  const double* c = TypeParam::kC;
  Line first(a, b), second(b, c);
  auto* inner = new typename TypeParam::Nested;
  inner->m_CurveList.AddTail(new Line(b, c));
  inner->m_CurveList.AddTail(new Line(c, a));
  const Bytes whole = StoreWithMembers<typename TypeParam::Container>({&first, inner, &second});
  const int live = Line::s_live;
  ASSERT_EQ(LoadCause(whole), CArchiveException::none);
  EXPECT_EQ(Line::s_live, live);
  // Every cut, including those inside the nested composite and the last member.
  for (size_t n = 0; n < whole.size(); ++n) {
    ASSERT_EQ(LoadCause(Bytes(whole.begin(), whole.begin() + n)), CArchiveException::endOfFile) << n;
    ASSERT_EQ(Line::s_live, live) << n;
  }
  delete inner;
}

using HostileCompositeLoad = VurodeTest;

TEST_F(HostileCompositeLoad, FailedLoadIntoAnExistingCompositeKeepsItsCurves) {
  const double a[2] = {0, 0}, b[2] = {1, 0};
  CCountedLine member(a, b);
  CLoadCounter counter;
  Bytes bytes = StoreWithMembers<CGeCombCurve>({&member, &counter});
  // The member list starts after the class record.
  const size_t body = 6 + std::strlen("CGeCombCurve");
  CGeCombCurve comb;
  comb.AddTail(new CCountedLine(b, a), 0);
  const int live = CCountedLine::s_live;
  CMemFile file(bytes.data() + body, static_cast<UINT>(bytes.size() - body));
  CArchive ar(&file, CArchive::load);
  EXPECT_THROW(comb.Serialize(ar), CArchiveException);
  EXPECT_EQ(comb.GetSegmentCount(), 1);
  EXPECT_EQ(CCountedLine::s_live, live);
}

}  // namespace
