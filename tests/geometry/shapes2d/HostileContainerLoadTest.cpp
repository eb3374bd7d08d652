// Composite curves and loops read from hostile archives: members of another class are refused
// before they load, and a failed load frees every curve it made.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <vector>

#include "geometry/grid/RlfLayer.h"
#include "geometry/shapes2d/GeCombCurve.h"
#include "geometry/shapes2d/GeLine.h"
#include "geometry/shapes2d/GeLoop.h"
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

// A line that counts its instances, to see that failed loads free what they made.
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

namespace {

using Bytes = std::vector<BYTE>;

class HostileContainerLoad : public VurodeTest {};

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

using archive_bytes::LoadCause;

using StoreFn = Bytes (*)(const std::vector<CObject*>&);
const struct {
  const char* name;
  StoreFn store;
} kContainers[] = {{"composite", &StoreWithMembers<CGeCombCurve>}, {"loop", &StoreWithMembers<CGeLoop>}};

TEST_F(HostileContainerLoad, MembersOfOtherClassesAreRefusedBeforeTheyLoad) {
  const double a[2] = {0, 0}, b[2] = {1, 0};
  CCountedLine line(a, b);
  CLoadCounter counter;
  // A list of counters where a curve belongs, and a relief layer whose record claims a row
  // index of 2^27 rows.
  CObList list;
  list.AddTail(&counter);
  list.AddTail(&counter);
  CRlfLayer layer(1, 1u << 27, 0);
  for (const auto& k : kContainers) {
    SCOPED_TRACE(k.name);
    const struct {
      const char* what;
      std::vector<CObject*> members;
    } cases[] = {{"object of another class", {&line, &counter}},
                 {"object list", {&line, &list}},
                 {"relief layer", {&layer}}};
    for (const auto& c : cases) {
      SCOPED_TRACE(c.what);
      const int live = CCountedLine::s_live;
      EXPECT_EQ(LoadCause(k.store(c.members)), CArchiveException::badClass);
      EXPECT_EQ(CLoadCounter::s_loads, 0);
      EXPECT_EQ(CCountedLine::s_live, live);
    }
  }
}

TEST_F(HostileContainerLoad, FailedLoadsFreeEveryCurveTheyMade) {
  const double a[2] = {0, 0}, b[2] = {1, 0}, c[2] = {1, 1};
  CCountedLine first(a, b), second(b, c);
  auto* inner = new CGeCombCurve;
  inner->m_CurveList.AddTail(new CCountedLine(b, c));
  inner->m_CurveList.AddTail(new CCountedLine(c, a));
  for (const auto& k : kContainers) {
    SCOPED_TRACE(k.name);
    const Bytes whole = k.store({&first, inner, &second});
    const int live = CCountedLine::s_live;
    ASSERT_EQ(LoadCause(whole), CArchiveException::none);
    EXPECT_EQ(CCountedLine::s_live, live);
    // Every cut, including those inside the nested composite and the last member.
    for (size_t n = 0; n < whole.size(); ++n) {
      ASSERT_EQ(LoadCause(Bytes(whole.begin(), whole.begin() + n)), CArchiveException::endOfFile) << n;
      ASSERT_EQ(CCountedLine::s_live, live) << n;
    }
  }
  delete inner;
}

TEST_F(HostileContainerLoad, FailedLoadIntoAnExistingCompositeKeepsItsCurves) {
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
