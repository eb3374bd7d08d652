// The 3D polyline: vertex parameters, arc-length parameters, vertex deletion and cutting,
// planarity, conversion into elements and its record with hostile counts.
#include <cmath>
#include <vector>

#include "Shape3dTestUtil.h"
#include "geometry/shapes3d/GeLine3d.h"
#include "geometry/shapes3d/GePolyline3d.h"

using namespace shapes3d_test;

namespace {

using Pts = std::vector<std::array<double, 3>>;

std::unique_ptr<CGePolyline3d> Make(const Pts& v) {
  auto pl = std::make_unique<CGePolyline3d>();
  EXPECT_EQ(pl->Create(static_cast<int>(v.size()), reinterpret_cast<const double(*)[3]>(v.data())), 1);
  return pl;
}

Pts Vertices(const CGePolyline3d& pl) {
  Pts v;
  for (int i = 0; i < pl.m_nCount; ++i) v.push_back({pl.m_pVertex[i][0], pl.m_pVertex[i][1], pl.m_pVertex[i][2]});
  return v;
}

// An open chain with segment lengths 3, 4 and 5.
const Pts kOpen = {{0, 0, 0}, {3, 0, 0}, {3, 4, 0}, {3, 4, 5}};
// A closed triangle: four vertices, the last on the first.
const Pts kTriangle = {{0, 0, 0}, {4, 0, 0}, {0, 3, 0}, {0, 0, 0}};

using Polyline3d = VurodeTest;

TEST_F(Polyline3d, VertexParameters) {
  auto pl = Make(kOpen);
  EXPECT_EQ(pl->GetSegmentCount(), 3);
  double p[3] = {-7, -7, -7};
  pl->GetPointAt(0.5, p, 0);  // segments count from 1: nothing
  EXPECT_EQ(p[0], -7.0);
  pl->GetPointAt(1.5, p, 0);
  EXPECT_PT_NEAR(p, (std::array<double, 3>{1.5, 0, 0}), 0.0);
  pl->GetPointAt(3.4, p, 0);
  EXPECT_PT_NEAR(p, (std::array<double, 3>{3, 4, 2}), 1e-12);
  double v[3];
  pl->GetTanVecAt(2.25, p, v, 0);
  EXPECT_PT_NEAR(v, (std::array<double, 3>{0, 1, 0}), 0.0);
  double d1[3], d2[3];
  pl->Ev2Der(0.5, p, d1, d2, 3);
  EXPECT_PT_NEAR(p, (std::array<double, 3>{3, 4, 2.5}), 0.0);
  EXPECT_PT_NEAR(d1, (std::array<double, 3>{0, 0, 5}), 0.0);
  pl->GetStartTanVec(v);
  EXPECT_PT_NEAR(v, (std::array<double, 3>{1, 0, 0}), 0.0);
  pl->GetEndTanVec(v);
  EXPECT_PT_NEAR(v, (std::array<double, 3>{0, 0, 1}), 0.0);
  // A repeated first vertex takes the tangent from the next distinct one.
  auto dup = Make({{0, 0, 0}, {0, 0, 0}, {0, 2, 0}});
  dup->GetStartTanVec(v);
  EXPECT_PT_NEAR(v, (std::array<double, 3>{0, 1, 0}), 0.0);
  dup->GetTanVecAt(1.5, p, v, 0);
  EXPECT_PT_NEAR(v, (std::array<double, 3>{0, 2, 0}), 0.0);
  double* params = nullptr;
  ASSERT_EQ(pl->GetSplitParam(params), 4);
  EXPECT_EQ(params[1], 0.25);
  EXPECT_NEAR(params[2], 7.0 / 12, 1e-15);
  EXPECT_EQ(params[3], 1.0);
  delete[] params;
}

TEST_F(Polyline3d, EvParamWalksTheSegments) {
  auto pl = Make(kOpen);
  struct Row {
    double length;
    unsigned seg;
    double t;
  };
  const Row rows[] = {{1.5, 1, 0.5}, {2.95, 1, 1.0}, {5.0, 2, 0.5}, {6.93, 2, 1.0}, {9.5, 3, 0.5},
                      {100.0, 3, 1.0}, {0.0, 1, 0.0}};
  for (const Row& r : rows) {
    double t = -1;
    unsigned seg = 0;
    ASSERT_EQ(pl->EvParam(r.length, t, seg), 1) << r.length;
    EXPECT_EQ(seg, r.seg) << r.length;
    EXPECT_NEAR(t, r.t, 1e-12) << r.length;
  }
  // A closed chain wraps, also for lengths of many turns, without walking them one by one.
  auto tri = Make(kTriangle);  // perimeter 12
  double t = 0;
  unsigned seg = 0;
  ASSERT_EQ(tri->EvParam(12.0 * 3 + 2.0, t, seg), 1);
  EXPECT_EQ(seg, 1u);
  EXPECT_NEAR(t, 0.5, 1e-9);
  ASSERT_EQ(tri->EvParam(1e300, t, seg), 1);
  CGePolyline3d empty;
  EXPECT_EQ(empty.EvParam(1.0, t, seg), 0);
}

TEST_F(Polyline3d, SplitTable) {
  struct Row {
    int seg;
    double t;
    Pts first, second;
  };
  const Row rows[] = {
      {2, 0.5, {{0, 0, 0}, {3, 0, 0}, {3, 2, 0}}, {{3, 2, 0}, {3, 4, 0}, {3, 4, 5}}},
      {2, 0.0, {{0, 0, 0}, {3, 0, 0}}, {{3, 0, 0}, {3, 4, 0}, {3, 4, 5}}},
      {1, 1.0, {{0, 0, 0}, {3, 0, 0}}, {{3, 0, 0}, {3, 4, 0}, {3, 4, 5}}},
  };
  auto pl = Make(kOpen);
  for (const Row& r : rows) {
    CGeCurve3d* out[2] = {nullptr, nullptr};
    pl->Split(r.t, out, r.seg);
    std::unique_ptr<CGeCurve3d> a(out[0]), b(out[1]);
    ASSERT_TRUE(a && b);
    const Pts va = Vertices(static_cast<CGePolyline3d&>(*a)), vb = Vertices(static_cast<CGePolyline3d&>(*b));
    ASSERT_EQ(va.size(), r.first.size());
    ASSERT_EQ(vb.size(), r.second.size());
    for (size_t i = 0; i < va.size(); ++i) EXPECT_PT_NEAR(va[i], r.first[i], 1e-12);
    for (size_t i = 0; i < vb.size(); ++i) EXPECT_PT_NEAR(vb[i], r.second[i], 1e-12);
  }
  // At the very ends, or off the chain, nothing is written.
  for (const auto& [seg, t] : {std::pair{1, 0.0}, {3, 1.0}, {0, 0.5}, {4, 0.5}, {2, 1.1}}) {
    CGeCurve3d* out[2] = {pl.get(), pl.get()};
    pl->Split(t, out, seg);
    EXPECT_EQ(out[0], pl.get()) << seg << " " << t;
  }
}

TEST_F(Polyline3d, DeletingVertices) {
  auto open = Make(kOpen);
  open->DelCtrlPt(1);
  ASSERT_EQ(open->m_nCount, 3);
  EXPECT_PT_NEAR(open->m_pVertex[1], kOpen[2], 0.0);
  EXPECT_EQ(open->m_strDisc.m_nCount, 3);  // cache refilled
  open->DelCtrlPt(7);
  EXPECT_EQ(open->m_nCount, 3);

  auto tri = Make(kTriangle);
  tri->DelCtrlPt(0);  // the closing vertices stay
  EXPECT_EQ(tri->m_nCount, 4);
  tri->DelCtrlPt(1);
  ASSERT_EQ(tri->m_nCount, 2);
  EXPECT_PT_NEAR(tri->m_pVertex[0], kTriangle[0], 0.0);
  EXPECT_PT_NEAR(tri->m_pVertex[1], kTriangle[2], 0.0);

  // Several at once: listing both closing vertices of a closed chain closes it again.
  const Pts square = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}, {0, 0, 0}};
  auto sq = Make(square);
  const int both[] = {0, 4};
  sq->DelCtrlPt(both, 2);
  ASSERT_EQ(sq->m_nCount, 4);
  EXPECT_PT_NEAR(sq->m_pVertex[0], square[1], 0.0);
  EXPECT_PT_NEAR(sq->m_pVertex[3], square[1], 0.0);
  const int tooMany[] = {0, 1, 2};
  sq->DelCtrlPt(tooMany, 3);  // k must stay below count - 1
  EXPECT_EQ(sq->m_nCount, 4);
  sq->DelCtrlPt(nullptr, 1);
  EXPECT_EQ(sq->m_nCount, 4);
}

TEST_F(Polyline3d, SplitInNodeCutsAtVertices) {
  const Pts v = {{0, 0, 0}, {1, 0, 0}, {2, 0, 0}, {3, 0, 0}, {4, 0, 0}, {5, 0, 0}};
  auto pl = Make(v);
  const int at[] = {0, 2, 3, 9};
  CGeCurve3dList list;
  pl->SplitInNode(at, 4, &list);
  ASSERT_EQ(list.GetCount(), 3);
  const int sizes[] = {3, 2, 3};
  int i = 0;
  double lastEnd = 0.0;
  while (!list.IsEmpty()) {
    std::unique_ptr<CGePolyline3d> piece(static_cast<CGePolyline3d*>(list.RemoveHead()));
    EXPECT_EQ(piece->m_nCount, sizes[i++]);
    EXPECT_EQ(piece->m_pVertex[0][0], lastEnd);
    lastEnd = piece->m_pVertex[piece->m_nCount - 1][0];
  }
  EXPECT_EQ(lastEnd, 5.0);
}

TEST_F(Polyline3d, Planarity) {
  double pt[3], vec[3];
  auto flat = Make({{0, 0, 1}, {1, 0, 1}, {1, 1, 1}, {3, 2, 1}});
  ASSERT_EQ(flat->IsPlanar(0.01, pt, vec), 1);
  EXPECT_NEAR(std::fabs(vec[2]), 1.0, 1e-12);
  auto straight = Make({{0, 0, 0}, {1, 1, 1}, {2, 2, 2.001}});
  ASSERT_EQ(straight->IsPlanar(0.01, pt, vec), 2);
  EXPECT_NEAR(vec[0], 1 / std::sqrt(3.0), 1e-12);
  auto dot = Make({{1, 1, 1}, {1, 1, 1.001}, {1.001, 1, 1}});
  EXPECT_EQ(dot->IsPlanar(0.01, pt, vec), 3);
  auto twisted = Make(kOpen);
  EXPECT_EQ(twisted->IsPlanar(0.01, pt, vec), 0);
  EXPECT_EQ(twisted->IsPlanar(10.0, pt, vec), 3);  // nothing farther than the tolerance
  auto two = Make({{0, 0, 0}, {0, 0, 2}});
  EXPECT_EQ(two->IsPlanar(0.01, pt, vec), 2);
  EXPECT_EQ(two->IsPlanar(3.0, pt, vec), 3);
}

TEST_F(Polyline3d, DiscreteToElementKeepsTheChain) {
  for (const int n : {2, 15, 16, 40}) {
    Pts v;
    for (int i = 0; i < n; ++i) v.push_back({static_cast<double>(i), std::sin(0.4 * i), 0.1 * i});
    auto pl = Make(v);
    CGeCurve3dList list;
    pl->DiscreteToElement(&list);
    ASSERT_FALSE(list.IsEmpty()) << n;
    if (n <= 15) {
      EXPECT_EQ(list.GetCount(), n - 1);
      for (POSITION pos = list.GetHeadPosition(); pos;) EXPECT_EQ(list.GetNext(pos)->GetType(), 0x400);
    }
    // Whatever the pieces, they run from the first vertex to the last without gaps.
    double prev[3];
    list.GetHead()->GetStartPoint(prev);
    EXPECT_PT_NEAR(prev, v.front(), 1e-6);
    for (POSITION pos = list.GetHeadPosition(); pos;) {
      CGeCurve3d* c = list.GetNext(pos);
      double s[3];
      c->GetStartPoint(s);
      EXPECT_PT_NEAR(s, prev, 1e-6);
      c->GetEndPoint(prev);
    }
    EXPECT_PT_NEAR(prev, v.back(), 1e-6);
    while (!list.IsEmpty()) delete list.RemoveHead();
  }
}

TEST_F(Polyline3d, RecordAndHostileCounts) {
  gNewKXGlobal();
  auto pl = Make(kOpen);
  const auto b = Fields(*pl);
  ASSERT_EQ(b.size(), 52 + 4 + 4 * 24u);
  EXPECT_EQ(Int(b, 52), 4);
  EXPECT_EQ(Dbl(b, 56 + 24 * 2 + 8), 4.0);
  EXPECT_EQ(Dbl(b, 56 + 24 * 3 + 16), 5.0);
  auto back = RoundTrip<CGePolyline3d>(pl.get());
  ASSERT_TRUE(back);
  ASSERT_EQ(back->m_nCount, 4);
  EXPECT_PT_NEAR(back->m_pVertex[3], kOpen[3], 0.0);
  EXPECT_EQ(back->m_strDisc.m_nCount, 4);

  const std::vector<BYTE> shape = std::vector<BYTE>(b.begin(), b.begin() + 52);
  auto withCount = [&](int32_t count, int points) {
    Record r;
    r.Put(shape.data(), shape.size()).I(count);
    for (int i = 0; i < points * 3; ++i) r.D(1.0);
    return r.bytes;
  };
  // A count the stream cannot hold fails before anything is allocated.
  CGePolyline3d huge;
  EXPECT_THROW(LoadFields(huge, withCount(0x7fffffff, 2)), CArchiveException);
  EXPECT_EQ(huge.m_nCount, 0);
  // Counts below 2 carry no points and leave a polyline without vertices.
  for (const int32_t c : {1, 0, -5}) {
    CGePolyline3d few;
    LoadFields(few, withCount(c, 0));
    EXPECT_EQ(few.m_nCount, 0) << c;
    EXPECT_EQ(few.m_pVertex, nullptr);
    double p[3] = {9, 9, 9};
    few.GetEndPoint(p);
    EXPECT_EQ(p[0], 9.0);
    EXPECT_EQ(few.IsClosed(0.01), 0);
  }
  CGePolyline3d empty;
  const auto eb = Fields(empty);
  ASSERT_EQ(eb.size(), 56u);
  EXPECT_EQ(Int(eb, 52), 0);
}

TEST_F(Polyline3d, CopyAndReverse) {
  auto pl = Make(kOpen);
  pl->m_nExtData = 1;
  std::unique_ptr<CGePolyline3d> copy(pl->Copy());
  ASSERT_TRUE(copy);
  EXPECT_EQ(copy->m_nExtData, 1);
  EXPECT_EQ(Vertices(*copy), kOpen);
  CGePolyline3d empty;
  EXPECT_EQ(empty.Copy(), nullptr);
  pl->Reverse();
  EXPECT_PT_NEAR(pl->m_pVertex[0], kOpen[3], 0.0);
  EXPECT_PT_NEAR(pl->m_strDisc.m_pPoints[0], kOpen[3], 0.0);
  EXPECT_PT_NEAR(pl->m_strDisc.m_pPoints[3], kOpen[0], 0.0);
}

}  // namespace
