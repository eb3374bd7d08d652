// Relief layer records that claim more than they hold: sizes whose row index the record cannot
// back, and non-finite heights, fail with the archive exception before anything large is made.
#include <gtest/gtest.h>

#include <cstring>
#include <limits>
#include <memory>
#include <vector>

#include "geometry/grid/RlfLayer.h"

namespace {

using Bytes = std::vector<BYTE>;

template <class T>
void Put(Bytes& b, T v) {
  BYTE raw[sizeof v];
  std::memcpy(raw, &v, sizeof v);
  b.insert(b.end(), raw, raw + sizeof v);
}

// A whole relief layer object: class record, an unnamed layer part, mode 0, the size and the
// spans, each span's heights given in full.
Bytes Record(uint32_t cols, uint32_t rows, const std::vector<std::pair<int32_t, std::vector<float>>>& spans = {}) {
  Bytes b;
  Put<uint16_t>(b, 0xFFFF);
  Put<uint16_t>(b, 2);
  Put<uint16_t>(b, 9);
  for (char ch : std::string("CRlfLayer")) b.push_back(BYTE(ch));
  Put<uint32_t>(b, 0);  // colour
  Put<int32_t>(b, 1);   // ID
  Put<int32_t>(b, 1);   // flags
  for (BYTE x : {0xFF, 0xFE, 0xFF, 0x00}) b.push_back(x);  // empty name
  Put<int16_t>(b, 0);
  Put(b, cols);
  Put(b, rows);
  Put(b, uint32_t(spans.size()));
  for (const auto& [first, heights] : spans) {
    Put(b, first);
    Put(b, int32_t(first + heights.size() - 1));
    for (float h : heights) Put(b, h);
  }
  return b;
}

// Loads the record as an object; returns it, or throws what the archive throws.
std::unique_ptr<CRlfLayer> LoadObject(Bytes b) {
  CMemFile file(b.data(), static_cast<UINT>(b.size()));
  CArchive ar(&file, CArchive::load);
  std::unique_ptr<CObject> ob(ar.ReadObject(nullptr));
  auto* layer = dynamic_cast<CRlfLayer*>(ob.get());
  if (layer) ob.release();
  return std::unique_ptr<CRlfLayer>(layer);
}

// Loads the record's fields into a layer that may have a lent buffer.
void LoadInto(CRlfLayer& layer, Bytes b) {
  const size_t fields = 6 + 9;  // after the class record
  CMemFile file(b.data() + fields, static_cast<UINT>(b.size() - fields));
  CArchive ar(&file, CArchive::load);
  layer.Serialize(ar);
}

TEST(RlfLayerHostile, SizesWithoutBackingAreRefusedBeforeAllocating) {
  const float nan = std::numeric_limits<float>::quiet_NaN(), inf = std::numeric_limits<float>::infinity();
  const struct {
    const char* what;
    Bytes b;
  } cases[] = {
      {"no columns, 2^27 rows", Record(0, 1u << 27)},
      {"no columns, 2^32 - 1 rows", Record(0, 0xFFFFFFFFu)},
      {"columns without rows", Record(5, 0)},
      {"one column, 2^27 rows", Record(1, 1u << 27)},
      {"NaN height", Record(4, 4, {{2, {1.f, nan}}})},
      {"infinite height", Record(4, 4, {{15, {-inf}}})},
  };
  ASSERT_EQ(cases[0].b.size(), 45u);
  for (const auto& c : cases) {
    EXPECT_THROW(LoadObject(c.b), CArchiveException) << c.what;
  }
}

TEST(RlfLayerHostile, TallLayersNeedABufferOrTheBytes) {
  const uint32_t freeRows = 1u << 16, tall = freeRows + 1;
  // Without a buffer, up to 65536 rows load from a bare record; more only when the archive
  // holds at least a byte per row.
  std::unique_ptr<CRlfLayer> ok = LoadObject(Record(1, freeRows));
  ASSERT_TRUE(ok);
  EXPECT_EQ(ok->m_nRows, freeRows);
  EXPECT_THROW(LoadObject(Record(1, tall)), CArchiveException);
  const std::vector<float> column(tall, 2.5f);
  std::unique_ptr<CRlfLayer> full = LoadObject(Record(1, tall, {{0, column}}));
  ASSERT_TRUE(full);
  EXPECT_EQ(full->GetHeightFromRowIndex(tall - 1), 2.5f);

  // With a lent buffer of that size the owner has paid for the rows: a bare record loads.
  std::vector<float> buf(tall, 9.f);
  CRlfLayer lent(1, tall, 0);
  lent.m_pHeight = buf.data();
  EXPECT_NO_THROW(LoadInto(lent, Record(1, tall, {{7, {1.f}}})));
  EXPECT_EQ(buf[7], 1.f);
  EXPECT_EQ(buf[8], 0.f);
  EXPECT_EQ(lent.GetHeightFromRowIndex(7), 1.f);
}

TEST(RlfLayerHostile, NonFiniteHeightLeavesALentLayerAlone) {
  float buf[4] = {3, 0, 0, 0};
  CRlfLayer l(2, 2, 1);
  l.m_pHeight = buf;
  l.CreateRlfRowIndexFromHeight();
  EXPECT_THROW(LoadInto(l, Record(2, 2, {{1, {1.f, std::numeric_limits<float>::infinity()}}})),
               CArchiveException);
  EXPECT_EQ(buf[0], 3);
  EXPECT_EQ(buf[1], 0);
  EXPECT_EQ(l.GetHeightFromRowIndex(0), 3);
}

}  // namespace
