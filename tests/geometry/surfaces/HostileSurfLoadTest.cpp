// Meshes read from hostile archives: iso-curve lists refuse other classes before they load, a
// failed load frees what it made, and non-finite coordinates are refused.
#include <gtest/gtest.h>

#include <bit>
#include <cstring>
#include <limits>
#include <memory>
#include <vector>

#include "geometry/shapes3d/GeLine3d.h"
#include "geometry/surfaces/GeMesh.h"
#include "support/ArchiveBytes.h"
#include "support/VurodeFixture.h"
#include "SurfTestUtil.h"

// Counts its loads: it has no business in an iso-curve list, so it must never load there.
class CIsoLoadCounter : public CObject {
  DECLARE_SERIAL(CIsoLoadCounter)
 public:
  void Serialize(CArchive& ar) override {
    if (ar.IsLoading()) ++s_loads;
  }
  static int s_loads;
};
IMPLEMENT_SERIAL(CIsoLoadCounter, CObject, VERSIONABLE_SCHEMA | 1)
int CIsoLoadCounter::s_loads = 0;

// A 3D line that counts its instances, to see that failed loads free what they made.
class CCountedIsoLine : public CGeLine3d {
  DECLARE_SERIAL(CCountedIsoLine)
 public:
  CCountedIsoLine() { ++s_live; }
  CCountedIsoLine(const double a[3], const double b[3]) : CGeLine3d(a, b) { ++s_live; }
  ~CCountedIsoLine() override { --s_live; }
  static int s_live;
};
IMPLEMENT_SERIAL(CCountedIsoLine, CGeLine3d, GE_SCHEMA_3D)
int CCountedIsoLine::s_live = 0;

namespace {

using Bytes = std::vector<BYTE>;
using surftest::Put;

// Curves store and load their shape part only with a settings object of the current version.
class HostileSurfLoad : public VurodeTest {
 protected:
  void SetUp() override {
    VurodeTest::SetUp();
    gNewKXGlobal();
  }
};

void PutClass(Bytes& b, const char* name, uint16_t schema) {
  Put<uint16_t>(b, 0xFFFF);
  Put<uint16_t>(b, schema);
  Put<uint16_t>(b, static_cast<uint16_t>(std::strlen(name)));
  b.insert(b.end(), name, name + std::strlen(name));
}

// An empty mesh's record up to its U list, whose count is one.
Bytes MeshHeadWithOneUMember() {
  Bytes b;
  PutClass(b, "CGeMesh", 1);
  for (int i = 0; i < 6; ++i) Put(b, 0.0);
  Put<int32_t>(b, 0);
  Put<uint16_t>(b, 1);
  return b;
}

// The rest of an empty mesh's record after its U list.
void PutEmptyTail(Bytes& b) {
  Put<uint16_t>(b, 0);
  for (int i = 0; i < 3; ++i) Put<uint32_t>(b, 0);
}

using archive_bytes::LoadCause;

TEST_F(HostileSurfLoad, IsoListsRefuseOtherClassesBeforeTheyLoad) {
  // A 45-byte relief layer record: no columns, 2^27 rows, no spans. Loaded, it would ask for
  // a row index of 2^27 rows.
  Bytes relief;
  PutClass(relief, "CRlfLayer", 2);
  Put<uint32_t>(relief, 0);  // colour
  Put<int32_t>(relief, 1);   // ID
  Put<int32_t>(relief, 1);   // flags
  for (BYTE x : {0xFF, 0xFE, 0xFF, 0x00}) relief.push_back(x);  // empty name
  Put<int16_t>(relief, 0);
  Put<uint32_t>(relief, 0);
  Put<uint32_t>(relief, 1u << 27);
  Put<uint32_t>(relief, 0);
  ASSERT_EQ(relief.size(), 45u);
  Bytes counter;
  PutClass(counter, "CIsoLoadCounter", 1);
  // An object list holding a counter.
  Bytes list;
  PutClass(list, "CObList", 0);
  Put<uint16_t>(list, 1);
  list.insert(list.end(), counter.begin(), counter.end());

  for (const Bytes* member : {&relief, &counter, &list}) {
    Bytes b = MeshHeadWithOneUMember();
    b.insert(b.end(), member->begin(), member->end());
    PutEmptyTail(b);
    EXPECT_EQ(LoadCause(b), CArchiveException::badClass);
  }
  EXPECT_EQ(CIsoLoadCounter::s_loads, 0);

  // The empty mesh itself loads.
  Bytes good = MeshHeadWithOneUMember();
  good.resize(good.size() - 2);
  Put<uint16_t>(good, 0);
  PutEmptyTail(good);
  EXPECT_EQ(LoadCause(good), CArchiveException::none);
}

TEST_F(HostileSurfLoad, FailedMeshLoadsFreeEveryIsoCurve) {
  CGeMesh m;
  m.vertices = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}};
  m.faces = {{{0, 1, 2}}};
  const double a[3] = {0, 0, 0}, b[3] = {1, 0, 0}, c[3] = {0, 1, 0};
  m.m_UIsoCurveList.AddTail(new CCountedIsoLine(a, b));
  m.m_UIsoCurveList.AddTail(new CCountedIsoLine(b, c));
  m.m_VIsoCurveList.AddTail(new CCountedIsoLine(c, a));
  const Bytes whole = surftest::Store([&](CArchive& ar) { ar << static_cast<const CObject*>(&m); });
  const int live = CCountedIsoLine::s_live;
  ASSERT_EQ(LoadCause(whole), CArchiveException::none);
  for (size_t n = 0; n < whole.size(); ++n) {
    ASSERT_EQ(LoadCause(Bytes(whole.begin(), whole.begin() + n)), CArchiveException::endOfFile) << n;
    ASSERT_EQ(CCountedIsoLine::s_live, live) << n;
  }
}

TEST_F(HostileSurfLoad, NonFiniteCoordinatesAreRefused) {
  const float nan = std::numeric_limits<float>::quiet_NaN(), inf = std::numeric_limits<float>::infinity();
  const struct {
    const char* what;
    int at;  // index of the float among the pair and vertex floats
    float value;
  } cases[] = {{"NaN u", 0, nan}, {"infinite v", 3, -inf}, {"NaN x", 6, nan}, {"infinite z", 14, inf}};
  for (const auto& k : cases) {
    SCOPED_TRACE(k.what);
    // One face over three vertices, each with a parameter pair.
    std::vector<float> floats(6 + 9, 0.5f);
    floats[k.at] = k.value;
    const Bytes bytes = surftest::Store([&](CArchive& ar) {
      for (int i = 0; i < 6; ++i) ar << 0.0;
      ar << 0;
      ar.WriteCount(0);
      ar.WriteCount(0);
      ar << 3u << 1u << 3u << 0 << 1 << 2;
      for (float f : floats) ar << std::bit_cast<uint32_t>(f);
    });
    CGeMesh m;
    m.vertices.emplace_back(1.0f, 2.0f, 3.0f);
    EXPECT_THROW(surftest::Load(bytes, [&](CArchive& ar) { m.Serialize(ar); }), CArchiveException);
    EXPECT_EQ(m.vertices.size(), 1u);
    EXPECT_TRUE(m.faces.empty() && m.uvs.empty());
  }
}

}  // namespace
