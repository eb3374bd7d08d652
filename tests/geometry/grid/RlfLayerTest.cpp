// Relief layers: span storage, archive record, copies, and how the grid composes its layers.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <random>
#include <vector>

#include "geometry/grid/GeGrid.h"
#include "geometry/grid/RlfLayer.h"
#include "geometry/grid/TGrid.h"
#include "platform/vurode/OpenGLDC.h"
#include "platform/vurode/ViewState.h"
#include "support/ArchiveBytes.h"
#include "support/VurodeFixture.h"

namespace {

using archive_bytes::Bytes;
using archive_bytes::Put;
using archive_bytes::Store;

void Load(CRlfLayer& layer, const Bytes& b) {
  archive_bytes::Load(b, [&](CArchive& ar) { layer.Serialize(ar); });
}

// Every node's height as the layer's spans give it.
std::vector<float> FromRows(const CRlfLayer& l) {
  std::vector<float> h(size_t(l.m_nCols) * l.m_nRows);
  for (unsigned k = 0; k < h.size(); ++k) h[k] = l.GetHeightFromRowIndex(k);
  return h;
}

// Random sparse heights, with some just under the presence threshold.
std::vector<float> Sparse(size_t n, unsigned seed) {
  std::mt19937 rng(seed);
  std::uniform_int_distribution<int> kind(0, 3);
  std::uniform_real_distribution<float> value(-5, 5);
  std::vector<float> h(n);
  for (float& v : h) v = kind(rng) == 0 ? 0.f : kind(rng) == 1 ? 0.00005f : value(rng);
  return h;
}

std::vector<float> Present(std::vector<float> h) {
  for (float& v : h)
    if (std::fabs(v) <= RLF_HEIGHT_EPS) v = 0;
  return h;
}

// Grid with extra layers appended; each new layer is made current and given heights.
struct Relief {
  CGeGrid g;
  explicit Relief(int cols, int rows) {
    float o[3] = {0, 0, 0};
    EXPECT_EQ(g.Create(o, 1, cols, rows, 0), 1);
  }
  size_t N() const { return size_t(g.GetCols()) * g.GetRows(); }
  CRlfLayer* Base() { return static_cast<CRlfLayer*>(g.m_LayerList.GetHead()); }
  CRlfLayer* Add(short mode) {
    auto* l = new CRlfLayer(g.GetCols(), g.GetRows(), mode);
    g.m_LayerList.AddTail(l);
    g.SetCurLayer(l);
    return l;
  }
  void SetHeights(CRlfLayer* l, const std::vector<float>& h) {
    g.SetCurLayer(l);
    std::copy(h.begin(), h.end(), g.m_pHeights);
  }
  float Z(size_t k) const { return g.m_pNodes[k].z; }
};

float Combine(short mode, float z, float h) {
  return mode == 0 ? z + h : mode == 1 ? z - h : mode == 2 ? std::max(z, h) : mode == 3 ? std::min(z, h) : z;
}

}  // namespace

TEST(RlfLayer, RowIndexHoldsRunsOfPresentHeightsPerRow) {
  float h[12] = {0, 0.00005f, 2, 3, 0, 1,  // row 0
                 4, 0, 0, 0, 0, 6};       // row 1: runs end at the row ends
  CRlfLayer l(6, 2, 0);
  l.m_pHeight = h;
  l.CreateRlfRowIndexFromHeight();
  ASSERT_EQ(l.m_pRowIndex[0].size(), 2u);
  EXPECT_EQ(l.m_pRowIndex[0][0].first, 2);
  EXPECT_EQ(l.m_pRowIndex[0][0].last, 3);
  EXPECT_EQ(l.m_pRowIndex[0][0].heights, (std::vector<float>{2, 3}));
  EXPECT_EQ(l.m_pRowIndex[0][1].first, 5);
  EXPECT_EQ(l.m_pRowIndex[0][1].heights, (std::vector<float>{1}));
  ASSERT_EQ(l.m_pRowIndex[1].size(), 2u);
  EXPECT_EQ(l.m_pRowIndex[1][0].first, 0);
  EXPECT_EQ(l.m_pRowIndex[1][1].last, 5);
  EXPECT_EQ(l.GetHeightFromRowIndex(4), 0);
  EXPECT_EQ(l.GetHeightFromRowIndex(11), 6);
  EXPECT_EQ(l.GetHeightFromRowIndex(12), 0);  // beyond the grid

  // Linear spans join the run at the end of row 0 with the one starting row 1.
  std::vector<RlfIndexData> spans(3);
  l.CreateRlfIndexData(spans);
  ASSERT_EQ(spans.size(), 3u);
  EXPECT_EQ(spans[1].first, 5);
  EXPECT_EQ(spans[1].last, 6);
  EXPECT_EQ(spans[1].heights, (std::vector<float>{1, 4}));
  EXPECT_EQ(spans[2].first, 11);
  EXPECT_EQ(spans[2].last, 11);
}

TEST(RlfLayer, SpansAndHeightsRoundTrip) {
  for (auto [cols, rows] : {std::pair{7u, 5u}, {1u, 9u}, {13u, 1u}}) {
    const std::vector<float> h = Sparse(size_t(cols) * rows, cols * 31 + rows);
    std::vector<float> buf = h;
    CRlfLayer l(cols, rows, 0);
    l.m_pHeight = buf.data();
    l.CreateRlfRowIndexFromHeight();
    EXPECT_EQ(FromRows(l), Present(h)) << cols;
    std::fill(buf.begin(), buf.end(), 9.f);
    l.CreateHeightFromRowIndex();
    EXPECT_EQ(buf, Present(h)) << cols;
    // Linear spans cover exactly the present heights, each maximal.
    std::vector<RlfIndexData> spans;
    l.CreateRlfIndexData(spans);
    std::vector<float> rebuilt(h.size(), 0.f);
    int32_t prevLast = -2;
    for (const RlfIndexData& s : spans) {
      EXPECT_GT(s.first, prevLast + 1);  // a gap between runs, else they would be one
      ASSERT_EQ(s.heights.size(), size_t(s.last - s.first + 1));
      std::copy(s.heights.begin(), s.heights.end(), rebuilt.begin() + s.first);
      prevLast = s.last;
    }
    EXPECT_EQ(rebuilt, Present(h)) << cols;
  }
}

TEST(RlfLayer, ArchiveRecordIsLayerThenModeSizeAndLinearSpans) {
  float h[6] = {0, 0, 1.5f, 0, -2, 3};  // 3 x 2; the last run ends at the last node
  CRlfLayer l(3, 2, 3);
  l.SetName(L"Hills");
  l.SetColor(0x00112233);
  l.m_pHeight = h;
  const Bytes layer = Store([&](CArchive& ar) { l.CLayer::Serialize(ar); });
  Bytes want = layer;
  Put<int16_t>(want, 3);
  Put<uint32_t>(want, 3);
  Put<uint32_t>(want, 2);
  Put<uint32_t>(want, 2);
  Put<int32_t>(want, 2);
  Put<int32_t>(want, 2);
  Put(want, 1.5f);
  Put<int32_t>(want, 4);
  Put<int32_t>(want, 5);
  Put(want, -2.f);
  Put(want, 3.f);
  const Bytes got = Store([&](CArchive& ar) { l.Serialize(ar); });
  ASSERT_EQ(got, want);

  // Loading into a lent buffer of the same size, and into a layer without one.
  float buf[6] = {7, 7, 7, 7, 7, 7};
  CRlfLayer withBuf(3, 2, 0), bare;
  withBuf.m_pHeight = buf;
  Load(withBuf, got);
  Load(bare, got);
  EXPECT_EQ(std::vector<float>(buf, buf + 6), std::vector<float>(h, h + 6));
  for (CRlfLayer* loaded : {&withBuf, &bare}) {
    EXPECT_EQ(loaded->m_nMode, 3);
    EXPECT_EQ(loaded->m_nCols, 3u);
    EXPECT_EQ(loaded->m_nRows, 2u);
    EXPECT_TRUE(loaded->GetName() == CString(L"Hills"));
    EXPECT_EQ(FromRows(*loaded), std::vector<float>(h, h + 6));
  }
  EXPECT_EQ(bare.m_pHeight, nullptr);
  // Stored again, a layer loaded without a buffer writes the same record.
  EXPECT_EQ(Store([&](CArchive& ar) { bare.Serialize(ar); }), got);
}

TEST(RlfLayer, PersistentObjectByClassName) {
  EXPECT_STREQ(RUNTIME_CLASS(CRlfLayer)->m_lpszClassName, "CRlfLayer");
  EXPECT_EQ(RUNTIME_CLASS(CRlfLayer)->m_wSchema, 0x80000002u);
  float h[4] = {0, 1, 2, 0};
  CRlfLayer l(2, 2, 1);
  l.m_pHeight = h;
  EXPECT_EQ(l.GetRuntimeClass(), RUNTIME_CLASS(CRlfLayer));
  const Bytes b = Store([&](CArchive& ar) { ar << static_cast<const CObject*>(&l); });
  CMemFile file(const_cast<BYTE*>(b.data()), static_cast<UINT>(b.size()));
  CArchive ar(&file, CArchive::load);
  CObject* ob = nullptr;
  ar >> ob;
  std::unique_ptr<CObject> owned(ob);
  auto* loaded = dynamic_cast<CRlfLayer*>(ob);
  ASSERT_NE(loaded, nullptr);
  EXPECT_EQ(loaded->m_nMode, 1);
  EXPECT_EQ(FromRows(*loaded), std::vector<float>(h, h + 4));
}

TEST(RlfLayer, CorruptRecordsThrowAndLeaveTheLayer) {
  auto record = [](uint32_t cols, uint32_t rows, uint32_t n, std::vector<std::pair<int32_t, int32_t>> spans,
                   int dropTail = 0) {
    CLayer plain;
    Bytes b = Store([&](CArchive& ar) { plain.Serialize(ar); });
    Put<int16_t>(b, 0);
    Put(b, cols);
    Put(b, rows);
    Put(b, n);
    for (auto [f, l] : spans) {
      Put(b, f);
      Put(b, l);
      for (int32_t k = f; k <= l && k - f < 64; ++k) Put(b, 1.f);
    }
    b.resize(b.size() - dropTail);
    return b;
  };
  const struct {
    const char* what;
    Bytes b;
  } bad[] = {
      {"count beyond the file", record(4, 4, 0x7fffffff, {{0, 1}})},
      {"last outside the grid", record(4, 4, 1, {{14, 16}})},
      {"first after last", record(4, 4, 1, {{3, 2}})},
      {"negative first", record(4, 4, 1, {{-1, 0}})},
      {"overlapping spans", record(4, 4, 2, {{0, 3}, {3, 4}})},
      {"descending spans", record(4, 4, 2, {{5, 6}, {0, 1}})},
      {"span longer than the file", record(4, 4, 1, {{0, 15}}, 4)},
      {"truncated height", record(4, 4, 1, {{0, 1}}, 2)},
      {"grid too large", record(0x10000, 0x10000, 0, {})},
      {"size other than the lent buffer", record(5, 4, 0, {})},
  };
  for (const auto& c : bad) {
    float buf[16] = {};
    buf[0] = 2;
    CRlfLayer l(4, 4, 2);
    l.m_pHeight = buf;
    l.CreateRlfRowIndexFromHeight();
    EXPECT_THROW(Load(l, c.b), CArchiveException) << c.what;
    EXPECT_EQ(l.m_nMode, 2) << c.what;
    EXPECT_EQ(l.m_nCols, 4u) << c.what;
    EXPECT_EQ(buf[0], 2) << c.what;
    EXPECT_EQ(l.GetHeightFromRowIndex(0), 2) << c.what;
  }
  // The well-formed neighbour of these records loads.
  float buf[16] = {};
  CRlfLayer l(4, 4, 2);
  l.m_pHeight = buf;
  EXPECT_NO_THROW(Load(l, record(4, 4, 2, {{3, 4}, {15, 15}})));
  EXPECT_EQ(buf[15], 1);
}

TEST(RlfLayer, RestingLayersStoreAndCopyTheirOwnHeights) {
  Relief r(4, 3);
  const std::vector<float> a = Sparse(r.N(), 1), b = Sparse(r.N(), 2);
  CRlfLayer* base = r.Base();
  base->SetName(L"base");
  r.SetHeights(base, a);
  CRlfLayer* top = r.Add(2);
  r.SetHeights(top, b);  // base rests; the working heights now hold b
  ASSERT_TRUE(top->m_bCurrent && !base->m_bCurrent);

  for (CRlfLayer* l : {base, top}) {
    const std::vector<float>& want = l == base ? a : b;
    CRlfLayer loaded;
    Load(loaded, Store([&](CArchive& ar) { l->Serialize(ar); }));
    EXPECT_EQ(FromRows(loaded), Present(want));
    std::unique_ptr<CRlfLayer> copy(l->Copy());
    EXPECT_EQ(copy->m_pHeight, nullptr);
    EXPECT_EQ(copy->m_nMode, l->m_nMode);
    EXPECT_TRUE(copy->GetName().IsEmpty());
    EXPECT_EQ(FromRows(*copy), Present(want));
  }
  // Copying the current layer left its working heights alone.
  EXPECT_EQ(std::vector<float>(r.g.m_pHeights, r.g.m_pHeights + r.N()), b);
  r.g.SetCurLayer(base);
  EXPECT_EQ(std::vector<float>(r.g.m_pHeights, r.g.m_pHeights + r.N()), Present(a));
}

using RlfLayerServices = VurodeTest;

TEST_F(RlfLayerServices, InterplateUsesTheRuleOfTheGridBeingWorkedOn) {
  Relief r(5, 4);
  const std::vector<float> h = Sparse(r.N(), 3);
  r.SetHeights(r.Base(), h);
  EXPECT_EQ(r.Base()->Interplate(1.5f, 1.5f), 0);  // no grid being worked on
  gSetRlfGrid(&r.g);
  r.g.UpdateZHeight();
  for (auto [dx, dy] : {std::pair{0.f, 0.f}, {1.25f, 2.5f}, {3.9f, 0.2f}, {9.f, 9.f}, {2.f, 1.7f}})
    EXPECT_FLOAT_EQ(r.Base()->Interplate(dx, dy), r.g.Interplate(dx, dy)) << dx << "," << dy;
  // A resting layer interpolates its spans, not the buffer it shares.
  CRlfLayer* top = r.Add(0);
  std::fill_n(r.g.m_pHeights, r.N(), 50.f);
  EXPECT_FLOAT_EQ(r.Base()->Interplate(1.25f, 2.5f), r.g.Interplate(1.25f, 2.5f));
  EXPECT_FLOAT_EQ(top->Interplate(1.25f, 2.5f), 50.f);
  gSetRlfGrid(nullptr);
}

TEST(RlfLayerCompose, LayersCombineBottomUpByMode) {
  // Lower layers give 7 at node 0; node 1 stays 7 under a height too small to count.
  for (short mode : {0, 1, 2, 3, 9}) {
    Relief r(2, 2);
    r.SetHeights(r.Base(), {7, 7, 7, 0});
    CRlfLayer* top = r.Add(mode);
    r.SetHeights(top, {5, 0.00005f, 0, -4});
    r.g.UpdateZHeight();
    EXPECT_FLOAT_EQ(r.Z(0), Combine(mode, 7, 5)) << mode;
    EXPECT_FLOAT_EQ(r.Z(1), 7) << mode;
    EXPECT_FLOAT_EQ(r.Z(3), Combine(mode, 0, -4)) << mode;
    EXPECT_EQ(top->m_pRowIndex, nullptr);  // the working heights are its only copy now
  }

  // Random stacks against a direct composition; hidden layers take no part.
  Relief r(6, 5);
  std::vector<std::vector<float>> hs;
  std::vector<CRlfLayer*> layers{r.Base()};
  for (short mode : {1, 2, 3, 0}) layers.push_back(r.Add(mode));
  for (size_t i = 0; i < layers.size(); ++i) {
    hs.push_back(Sparse(r.N(), unsigned(10 + i)));
    r.SetHeights(layers[i], hs.back());
  }
  layers[2]->SetInVisible();
  r.g.SetCurLayer(layers[3]);
  r.g.UpdateZHeight();
  float lo = 1e9f, hi = -1e9f;
  for (size_t k = 0; k < r.N(); ++k) {
    float z = 0;
    for (size_t i = 0; i < layers.size(); ++i)
      if (layers[i]->IsVisible() && std::fabs(hs[i][k]) > RLF_HEIGHT_EPS) z = Combine(layers[i]->m_nMode, z, hs[i][k]);
    EXPECT_FLOAT_EQ(r.Z(k), z) << k;
    lo = std::min(lo, z), hi = std::max(hi, z);
  }
  EXPECT_FLOAT_EQ(float(r.g.m_box.min[2]), lo);
  EXPECT_FLOAT_EQ(float(r.g.m_box.max[2]), hi);
  EXPECT_GT(r.g.m_pNodes[7].nz, 0.f);  // normals recomputed

  // Partial composition of listed nodes agrees where no height is below the threshold.
  std::vector<SRlfNode> nodes;
  for (uint32_t k = 0; k < r.N(); ++k) nodes.push_back({k, 0});
  nodes.push_back({uint32_t(r.N()) + 3, 0});  // outside the grid: skipped
  std::vector<float> full(r.N());
  for (size_t k = 0; k < r.N(); ++k) full[k] = r.Z(k);
  r.g.SetModified(0);
  r.g.UpdateZHeight(&nodes);
  EXPECT_EQ(r.g.IsModified(), 1);
  for (size_t k = 0; k < r.N(); ++k) {
    // Only the full composition skips absent heights; they matter to maximum and minimum.
    bool absentCounts = false;
    for (size_t i = 0; i < layers.size(); ++i)
      absentCounts |= layers[i]->IsVisible() && std::fabs(hs[i][k]) <= RLF_HEIGHT_EPS &&
                      (hs[i][k] != 0 || layers[i]->m_nMode >= 2);
    if (!absentCounts) {
      EXPECT_FLOAT_EQ(r.Z(k), full[k]) << k;
    }
  }
}

TEST(RlfLayerCompose, SingleLayerPartialUpdates) {
  Relief r(3, 3);
  r.Base()->m_nMode = 1;  // the one layer is the grid whatever its mode
  r.g.m_pHeights[4] = 2.5f;
  r.g.m_pHeights[5] = 0.00005f;
  std::vector<SRlfNode> nodes{{4, 0}, {5, 0}};
  r.g.UpdateZHeight(&nodes);
  EXPECT_FLOAT_EQ(r.Z(4), 2.5f);
  EXPECT_FLOAT_EQ(r.Z(5), 0.00005f);
  EXPECT_GE(r.g.m_box.max[2], 2.5);

  // Hidden, it flattens the whole grid.
  for (size_t k = 0; k < r.N(); ++k) r.g.m_pNodes[k].z = 3;
  r.Base()->SetInVisible();
  r.g.UpdateZHeight(&nodes);
  for (size_t k = 0; k < r.N(); ++k) {
    EXPECT_EQ(r.Z(k), 0) << k;
    EXPECT_EQ(r.g.m_pNodes[k].nz, 1) << k;
  }
  EXPECT_EQ(r.g.m_box.min[2], 0);
  EXPECT_EQ(r.g.m_box.max[2], 0);
}

TEST(RlfLayerCompose, ValueGridWritesIntoTheCurrentLayerByMode) {
  for (short mode : {0, 1, 2, 3}) {
    Relief r(3, 2);
    r.SetHeights(r.Base(), {4, 4, 4, 4, 4, 4});
    CRlfLayer* top = r.Add(mode);
    r.SetHeights(top, {1, 1, 1, 1, 1, 1});
    r.g.UpdateZHeight();
    const float before = r.Z(4);  // composed height, the reference of maximum and minimum
    CTGrid<float> values;
    const float o[2] = {0, 0};
    ASSERT_EQ(values.Create(o, 1.f, 1.f, 2, 2), 1);  // smaller than the grid
    values.m_pHeight[1][1] = 6;
    std::vector<SRlfNode> nodes{{4, 0}, {2, 0}};  // (col 1, row 1) and (col 2, row 0): not covered
    r.g.UpdateZHeight(&values, &nodes);
    const float want = mode == 0 ? 1 + 6.f : mode == 1 ? 1 - 6.f : mode == 2 ? std::max(6.f, before) : std::min(6.f, before);
    EXPECT_FLOAT_EQ(r.g.m_pHeights[4], want) << mode;
    EXPECT_FLOAT_EQ(r.g.m_pHeights[2], 1) << mode;
    EXPECT_FLOAT_EQ(r.Z(4), Combine(mode, 4, want)) << mode;
    values.Release();
  }
}

TEST(RlfLayerCompose, ShowingOnlyTheCurrentLayerIsUndone) {
  Relief r(2, 2);
  r.SetHeights(r.Base(), {1, 1, 1, 1});
  CRlfLayer* mid = r.Add(0);
  r.SetHeights(mid, {2, 2, 2, 2});
  CRlfLayer* top = r.Add(0);
  r.SetHeights(top, {4, 4, 4, 4});
  top->SetInVisible();
  r.g.SetCurLayer(mid);
  r.g.OnlyShowCurLayer();
  EXPECT_FLOAT_EQ(r.Z(0), 2);
  EXPECT_FALSE(r.Base()->IsVisible());
  EXPECT_TRUE(mid->IsVisible());
  r.g.RestoreLayerVisbility();
  EXPECT_TRUE(r.Base()->IsVisible());
  EXPECT_TRUE(mid->IsVisible());
  EXPECT_FALSE(top->IsVisible());
  EXPECT_FLOAT_EQ(r.Z(0), 3);
  // A layer added since keeps its visibility instead of reading past the saved record.
  r.g.OnlyShowCurLayer();
  CRlfLayer* extra = r.Add(0);
  extra->SetInVisible();
  r.g.RestoreLayerVisbility();
  EXPECT_FALSE(extra->IsVisible());
  EXPECT_TRUE(r.Base()->IsVisible());
}

TEST(RlfLayerCompose, RunsOfComposedHeights) {
  Relief r(4, 3);
  // row 0: 0 0 0 1 | row 1: 2 0 3 3 | row 2: 0 -1 0 0
  const std::vector<float> h{0, 0, 0, 1, 2, 0, 3, 3, 0, -1, 0, 0};
  r.SetHeights(r.Base(), h);
  r.g.UpdateZHeight();
  std::vector<RlfIndexData> all;
  r.g.CreateHeightIndexDataAll(all);
  ASSERT_EQ(all.size(), 3u);
  EXPECT_EQ(all[0].first, 3);
  EXPECT_EQ(all[0].last, 4);  // across the row end
  EXPECT_EQ(all[2].first, 9);

  // Window columns 2..3, rows 1..2 (and beyond the grid): 3 3 / 0 0, numbered 0..3.
  std::vector<RlfIndexData> local;
  _tagBox3D box{};
  r.g.CreateHeightIndexDataLocal(CRect(2, 1, 9, 9), local, box);
  ASSERT_EQ(local.size(), 1u);
  EXPECT_EQ(local[0].first, 0);
  EXPECT_EQ(local[0].last, 1);
  EXPECT_EQ(box.min[0], 2);
  EXPECT_EQ(box.min[1], 1);
  EXPECT_EQ(box.max[0], 3);
  EXPECT_EQ(box.max[1], 2);
  EXPECT_EQ(box.min[2], 0);
  EXPECT_EQ(box.max[2], 3);
}

TEST_F(RlfLayerServices, ListedNodeNormalsAndPickCache) {
  Relief r(9, 7);
  std::mt19937 rng(5);
  std::uniform_real_distribution<float> z(-2, 2);
  for (unsigned row = 0; row < 7; ++row)
    for (unsigned c = 0; c < 9; ++c) r.g.SetZHeight(int(c), int(row), z(rng));
  std::vector<SRlfNode> nodes;
  for (uint32_t k = 0; k < r.N(); ++k) nodes.push_back({k, 0});
  r.g.UpdateNormal(&nodes);  // no drawing context: nothing
  EXPECT_EQ(r.g.m_pNodes[10].nz, 1);

  CVurode view;
  COpenGLDC dc;
  gSetVurode(&view);
  gSetOpenGLDC(&dc);
  const double eye[3] = {2, -6, 20}, ref[3] = {4, 3, 0}, up[3] = {0, 1, 0};
  dc.GetCamera().set_view(eye, ref, up);
  dc.GetCamera().set_screen(200, 150);
  dc.GetCamera().set_view_rect(12, 9);
  r.g.CreateScreenVet();
  ASSERT_NE(r.g.m_pScreenVet, nullptr);
  // Move the nodes, refresh the listed ones; the cache must match one made afresh.
  for (size_t k = 0; k < r.N(); ++k) r.g.m_pNodes[k].z += 3 * float(k % 5);
  r.g.UpdateNormal(&nodes);
  std::vector<SScreenVet> updated(r.g.m_pScreenVet, r.g.m_pScreenVet + size_t(r.g.m_nSampleCols) * r.g.m_nSampleRows);
  r.g.ClearScreenVet();
  r.g.CreateScreenVet();
  for (size_t i = 0; i < updated.size(); ++i) {
    EXPECT_EQ(updated[i].x, r.g.m_pScreenVet[i].x) << i;
    EXPECT_EQ(updated[i].y, r.g.m_pScreenVet[i].y) << i;
  }
  // Inside, the four neighbour triangles sum to the central-difference normal.
  for (unsigned row = 1; row + 1 < 7; ++row)
    for (unsigned c = 1; c + 1 < 9; ++c) {
      const double zl = r.g.Node(c - 1, row).z, zr = r.g.Node(c + 1, row).z;
      const double zd = r.g.Node(c, row - 1).z, zu = r.g.Node(c, row + 1).z;
      const double len = std::sqrt((zl - zr) * (zl - zr) + (zd - zu) * (zd - zu) + 4);
      const SGridNode& p = r.g.Node(c, row);
      EXPECT_NEAR(p.nx, (zl - zr) / len, 1e-5);
      EXPECT_NEAR(p.ny, (zd - zu) / len, 1e-5);
      EXPECT_NEAR(p.nz, 2 / len, 1e-5);
    }
  // On a plane every node, corners included, gets the plane's normal.
  for (unsigned row = 0; row < 7; ++row)
    for (unsigned c = 0; c < 9; ++c) r.g.SetZHeight(int(c), int(row), 0.5f * float(c) - 0.25f * float(row));
  r.g.UpdateNormal(&nodes);
  const double len = std::sqrt(0.25 + 0.0625 + 1);
  for (size_t k : {size_t(0), size_t(8), r.N() - 1, size_t(30)}) {
    EXPECT_NEAR(r.g.m_pNodes[k].nx, -0.5 / len, 1e-5) << k;
    EXPECT_NEAR(r.g.m_pNodes[k].ny, 0.25 / len, 1e-5) << k;
    EXPECT_NEAR(r.g.m_pNodes[k].nz, 1 / len, 1e-5) << k;
  }
}
