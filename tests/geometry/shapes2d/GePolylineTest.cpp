// Polyline: construction and the closed flag, archive layout and hostile counts, lengths and
// the length-to-parameter search, nearest points against brute force, splitting, vertex
// editing, picking and snapping, and transform invariants.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstring>
#include <memory>
#include <numbers>
#include <vector>

#include "geometry/shapes2d/GeBezier.h"
#include "geometry/shapes2d/GeCombCurve.h"
#include "geometry/shapes2d/GePolyline.h"
#include "geometry/shapes2d/PickRay.h"
#include "geometry/shapes2d/ShapeListUtil.h"
#include "geometry/shapes2d/SnapAt.h"
#include "support/VurodeFixture.h"
#include "tests/geometry/shapes2d/GeBezierPolylineTestUtil.h"

namespace {

using Pt = std::array<double, 2>;

using bezpoly_test::Fields;
using bezpoly_test::Get;
using bezpoly_test::LoadFrom;

std::unique_ptr<CGePolyline> Make(std::initializer_list<Pt> pts) {
  std::vector<Pt> v(pts);
  auto pl = std::make_unique<CGePolyline>();
  EXPECT_EQ(pl->Create(static_cast<int>(v.size()), reinterpret_cast<const double(*)[2]>(v.data())),
            1);
  return pl;
}

// A counter-clockwise square of side 4, closed by repeating its first vertex.
std::unique_ptr<CGePolyline> Square() { return Make({{0, 0}, {4, 0}, {4, 4}, {0, 4}, {0, 0}}); }
// An open zigzag.
std::unique_ptr<CGePolyline> Zigzag() {
  return Make({{0, 0}, {3, 4}, {6, 0}, {6, 0}, {9, 4}, {12, 0.5}});
}

std::vector<Pt> Vertices(CGePolyline& pl) {
  std::vector<Pt> v;
  for (int i = 0; i < pl.m_nSWPoint; ++i) v.push_back({pl.m_pSWPoint[i][0], pl.m_pSWPoint[i][1]});
  return v;
}

double Dist(const Pt& a, const Pt& b) { return std::hypot(a[0] - b[0], a[1] - b[1]); }

class PolylineTest : public VurodeTest {};

TEST_F(PolylineTest, CreateSetsTheClosedFlagOnlyWhenTheEndsMeet) {
  auto sq = Square();
  EXPECT_EQ(sq->m_nClosed, 1);
  EXPECT_EQ(sq->GetSegmentCount(), 4);
  EXPECT_EQ(sq->IsClosed(0.01), 1);
  auto open = Make({{0, 0}, {4, 0}, {4, 4}, {0, 4}});
  EXPECT_EQ(open->m_nClosed, 0);
  EXPECT_EQ(open->m_box.max[0], 4.0);
  // Refusals keep the vertices; an already set flag is never cleared by Create.
  const double one[1][2] = {{1, 1}};
  EXPECT_EQ(sq->Create(1, one), 0);
  EXPECT_EQ(sq->Create(3, nullptr), 0);
  EXPECT_EQ(sq->m_nSWPoint, 5);
  const double line[2][2] = {{0, 0}, {1, 0}};
  ASSERT_EQ(sq->Create(2, line), 1);
  EXPECT_EQ(sq->m_nClosed, 1);
  EXPECT_EQ(sq->IsClosed(0.01), 0);
  // Points taken from the chain's own vertices survive the replacement of the buffer.
  auto zig = Zigzag();
  ASSERT_EQ(zig->Create(3, zig->m_pSWPoint + 2), 1);
  EXPECT_EQ(Vertices(*zig), (std::vector<Pt>{{6, 0}, {6, 0}, {9, 4}}));
}

TEST_F(PolylineTest, CreateFromAPointStringNeverLeavesACountWithoutBuffer) {
  CGePolyline pl;
  CPoint2dArray pts;
  for (int k = 0; k < 2; ++k) {
    ASSERT_EQ(pl.Create(&pts), 0) << k;
    EXPECT_EQ(pl.m_nSWPoint, 0) << k;
    EXPECT_EQ(pl.m_pSWPoint, nullptr) << k;
    EXPECT_EQ(pl.GetSegmentCount(), 0);
    EXPECT_EQ(pl.EvTotalArcLength(), 0.0);
    tagPoint2d p{1.5f, 2.0f};
    pts.Add(p);
  }
  tagPoint2d q{3.25f, -1.0f};
  pts.Add(q);
  ASSERT_EQ(pl.Create(&pts), 1);
  ASSERT_EQ(pl.m_nSWPoint, 3);
  EXPECT_EQ(pl.m_pSWPoint[2][0], 3.25);
  EXPECT_EQ(pl.m_box.min[1], -1.0);
  EXPECT_EQ(pl.m_box.max[1], 2.0);

  // The curve-from-points helper now makes a polyline for more than two points.
  std::unique_ptr<CGeCurve> c(geGenCurve(&pts));
  ASSERT_NE(c, nullptr);
  EXPECT_EQ(c->GetType(), GE_TYPE_POLYLINE);
  EXPECT_EQ(c->m_nSWPoint, 3);
  std::unique_ptr<CGeCurve> made(CreateCurve(GE_TYPE_POLYLINE));
  ASSERT_NE(dynamic_cast<CGePolyline*>(made.get()), nullptr);
}

TEST_F(PolylineTest, ArchiveRecordIsClosedFlagCountThenVertices) {
  auto sq = Square();
  const auto b = Fields(*sq);
  ASSERT_EQ(b.size(), 4u + 4u + 5u * 16u);
  EXPECT_EQ(Get<int32_t>(b, 0), 1);
  EXPECT_EQ(Get<int32_t>(b, 4), 5);
  for (int i = 0; i < 5; ++i) {
    EXPECT_EQ(Get<double>(b, 8 + 16 * i), sq->m_pSWPoint[i][0]);
    EXPECT_EQ(Get<double>(b, 16 + 16 * i), sq->m_pSWPoint[i][1]);
  }
  auto zig = Zigzag();
  CGePolyline back;
  LoadFrom(back, Fields(*zig));
  EXPECT_EQ(Vertices(back), Vertices(*zig));
  EXPECT_EQ(back.m_nClosed, 0);
  EXPECT_EQ(back.m_box.max[0], 12.0);

  // Through the persistent-object format.
  std::unique_ptr<CObject> owned(bezpoly_test::RoundTrip(sq.get()));
  CObject* ob = owned.get();
  auto* loaded = dynamic_cast<CGePolyline*>(ob);
  ASSERT_NE(loaded, nullptr);
  EXPECT_EQ(Vertices(*loaded), Vertices(*sq));
}

TEST_F(PolylineTest, HostileVertexCountsThrowAndKeepTheCurve) {
  const auto good = Fields(*Zigzag());
  for (int32_t count : {-3, 7, 0x10000000, static_cast<int32_t>(0x80000000)}) {
    auto bytes = good;
    std::memcpy(bytes.data() + 4, &count, 4);
    auto pl = Square();
    EXPECT_THROW(LoadFrom(*pl, bytes), CArchiveException) << count;
    EXPECT_EQ(pl->m_nSWPoint, 5) << count;
  }
}

TEST_F(PolylineTest, LengthsAndEvParam) {
  auto zig = Zigzag();
  const double total = 5 + 5 + 0 + 5 + std::hypot(3.0, 3.5);
  EXPECT_NEAR(zig->EvTotalArcLength(), total, 1e-12);
  EXPECT_NEAR(zig->EvArcLength(0.5, 1, 0.5, 2), 5.0, 1e-12);
  EXPECT_NEAR(zig->EvArcLength(0.2, 2, 0.6, 2), 2.0, 1e-12);
  EXPECT_EQ(zig->EvArcLength(0.5, 3, 0.5, 2), 0.0);
  EXPECT_EQ(zig->EvArcLength(0.0, 1, 0.5, 6), 0.0);
  EXPECT_DOUBLE_EQ(geCurveLength(zig.get(), 0.5, 2), 7.5);
  EXPECT_EQ(zig->IsLongerThan(total - 0.01), 1);
  EXPECT_EQ(zig->IsLongerThan(total + 0.01), 0);

  for (auto* pl : {zig.get(), Square().release()}) {
    std::unique_ptr<CGePolyline> guard(pl == zig.get() ? nullptr : pl);
    const double len = pl->EvTotalArcLength();
    for (double l = 0.0; l <= len; l += len / 29.0) {
      double t = -1;
      unsigned seg = 0;
      ASSERT_EQ(pl->EvParam(l, t, seg), 1);
      EXPECT_NEAR(pl->EvArcLength(0.0, 1, t, seg), l, 0.1 + 1e-9) << l;
    }
  }
  double t = -1;
  unsigned seg = 0;
  ASSERT_EQ(zig->EvParam(0.0, t, seg), 1);
  EXPECT_EQ(seg, 1u);
  EXPECT_EQ(t, 0.0);
  ASSERT_EQ(zig->EvParam(total + 100.0, t, seg), 1);
  EXPECT_EQ(seg, 5u);
  EXPECT_EQ(t, 1.0);
  // The closed square wraps lengths around, also very large ones.
  auto sq = Square();
  ASSERT_EQ(sq->EvParam(6.0 + 16.0 * 1e6, t, seg), 1);
  EXPECT_EQ(seg, 2u);
  EXPECT_NEAR(t, 0.5, 1e-6);
}

TEST_F(PolylineTest, EvParamOfAClosedChainWithoutLengthFails) {
  auto dot = Make({{2, 2}, {2, 2}, {2, 2}});
  ASSERT_EQ(dot->IsClosed(0.01), 1);
  double t = -1;
  unsigned seg = 0;
  EXPECT_EQ(dot->EvParam(3.0, t, seg), 0);
  // No segment, or no usable length, is a failure too; a length before the start is the start.
  CGePolyline empty;
  EXPECT_EQ(empty.EvParam(1.0, t, seg), 0);
  auto zig = Zigzag();
  EXPECT_EQ(zig->EvParam(std::nan(""), t, seg), 0);
  ASSERT_EQ(zig->EvParam(-5.0, t, seg), 1);
  EXPECT_EQ(seg, 1u);
  EXPECT_EQ(t, 0.0);
}

TEST_F(PolylineTest, EvaluationAndNearestPointAgainstBruteForce) {
  auto zig = Zigzag();
  double p[2], v[2];
  zig->GetPointAt(0.25, p, 2);
  EXPECT_DOUBLE_EQ(p[0], 3.75);
  EXPECT_DOUBLE_EQ(p[1], 3.0);
  zig->GetTanVecAt(0.5, v, 3);  // zero-length segment: next minus previous vertex
  EXPECT_EQ(v[0], 3.0);
  EXPECT_EQ(v[1], 4.0);
  ASSERT_EQ(zig->GetPointEx(0.5, p), 1);  // 2.5 segments along: middle of segment 3
  EXPECT_EQ(p[0], 6.0);
  ASSERT_EQ(zig->GetPointEx(1.0, p), 1);
  EXPECT_EQ(p[1], 0.5);

  std::vector<Pt> samples;
  for (unsigned s = 1; s <= 5; ++s)
    for (int k = 0; k <= 1000; ++k) {
      zig->GetPointAt(k / 1000.0, p, s);
      samples.push_back({p[0], p[1]});
    }
  for (const Pt q : {Pt{1, 3}, Pt{6, 5}, Pt{-2, -2}, Pt{13, 0}, Pt{7.5, 1.5}}) {
    double foot[2], t = 0, d = 0;
    unsigned seg = 0;
    ASSERT_EQ(zig->GetNearestPoint(q.data(), foot, t, seg, d), 1);
    double best = 1e300;
    for (const auto& s : samples) best = std::min(best, Dist(q, s));
    EXPECT_NEAR(d, best, 0.01) << q[0] << "," << q[1];
    EXPECT_LE(d, best + 1e-12);
    zig->GetPointAt(t, p, seg);
    EXPECT_NEAR(p[0], foot[0], 1e-12);
  }
  CGePolyline empty;
  double foot[2], t = 0, d = 0;
  unsigned seg = 0;
  const double q[2] = {0, 0};
  EXPECT_EQ(empty.GetNearestPoint(q, foot, t, seg, d), 0);
}

TEST_F(PolylineTest, SplitGivesPiecesSharingTheCut) {
  auto pl = Make({{0, 0}, {2, 0}, {2, 2}, {4, 2}});
  CGeCurve* out[2];
  pl->Split(0.5, out, 2, 0);
  std::unique_ptr<CGeCurve> a(out[0]), b(out[1]);
  ASSERT_TRUE(a && b);
  auto* pa = static_cast<CGePolyline*>(a.get());
  auto* pb = static_cast<CGePolyline*>(b.get());
  EXPECT_EQ(Vertices(*pa), (std::vector<Pt>{{0, 0}, {2, 0}, {2, 1}}));
  EXPECT_EQ(Vertices(*pb), (std::vector<Pt>{{2, 1}, {2, 2}, {4, 2}}));
  EXPECT_NEAR(pa->EvTotalArcLength() + pb->EvTotalArcLength(), pl->EvTotalArcLength(), 1e-6);

  struct Case {
    double t;
    int seg;
    int first, second;  // vertex counts, 0 for none
  };
  for (const Case c : {Case{0.0, 1, 0, 0}, Case{1.0, 3, 0, 0}, Case{0.5, 0, 0, 0},
                       Case{0.5, 4, 0, 0}, Case{1.5, 2, 0, 0}, Case{0.0, 2, 2, 3},
                       Case{1.0, 2, 3, 2}}) {
    CGeCurve* o[2] = {nullptr, nullptr};
    pl->Split(c.t, o, c.seg, 0);
    std::unique_ptr<CGeCurve> o0(o[0]), o1(o[1]);
    EXPECT_EQ(o0 ? o0->m_nSWPoint : 0, c.first) << c.t << " " << c.seg;
    EXPECT_EQ(o1 ? o1->m_nSWPoint : 0, c.second) << c.t << " " << c.seg;
  }

  CGeCurveList list;
  const int idx[] = {0, 1, 1, 3, 9};
  pl->SplitInNode(idx, 5, &list);
  ASSERT_EQ(list.GetCount(), 2);
  std::unique_ptr<CGeCurve> first(list.RemoveHead()), second(list.RemoveHead());
  EXPECT_EQ(first->m_nSWPoint, 2);
  EXPECT_EQ(second->m_nSWPoint, 3);
}

TEST_F(PolylineTest, FilterLeanAndToPolyline) {
  auto pl = Make({{0, 0}, {0.005, 0}, {1, 0}});
  pl->FilterRepeatPoint(0.01);
  EXPECT_EQ(Vertices(*pl), (std::vector<Pt>{{0.005, 0}, {1, 0}}));

  auto fine = Make({{0.1, 0.2}, {1.3, 0.7}});
  fine->Lean(0.001);
  EXPECT_EQ(fine->m_pSWPoint[0][0], static_cast<double>(0.1f));
  EXPECT_EQ(fine->m_pSWPoint[1][1], static_cast<double>(0.7f));
  CGePolyline single(1);
  const double at[2] = {0.3, 0.4};
  single.SetPoint(0, at);
  single.Lean(0.001);
  ASSERT_EQ(single.m_nSWPoint, 1);
  EXPECT_EQ(single.m_pSWPoint[0][1], 0.4);

  auto zig = Zigzag();
  std::unique_ptr<CGePolyline> part(zig->ToPolyline(1, 3));
  ASSERT_NE(part, nullptr);
  EXPECT_EQ(Vertices(*part), (std::vector<Pt>{{3, 4}, {6, 0}, {6, 0}}));
  EXPECT_EQ(zig->ToPolyline(3, 3), nullptr);
  EXPECT_EQ(zig->ToPolyline(2, 6), nullptr);
  std::unique_ptr<CGePolyline> copy(zig->Copy());
  EXPECT_EQ(Vertices(*copy), Vertices(*zig));
  CGePolyline empty;
  EXPECT_EQ(empty.Copy(), nullptr);
}

TEST_F(PolylineTest, ToBezierTurnsOneSegmentIntoAStraightBezier) {
  auto zig = Zigzag();
  struct Case {
    unsigned seg;
    std::vector<int> types;
  };
  const int P = GE_TYPE_POLYLINE, B = GE_TYPE_BEZIER;
  for (const Case& c : {Case{1, {B, P}}, Case{2, {P, B, P}}, Case{5, {P, B}}}) {
    std::unique_ptr<CGeCombCurve> comb(zig->ToBezier(c.seg));
    ASSERT_NE(comb, nullptr) << c.seg;
    std::vector<int> types;
    for (POSITION pos = comb->m_CurveList.GetHeadPosition(); pos;)
      types.push_back(comb->m_CurveList.GetNext(pos)->GetType());
    EXPECT_EQ(types, c.types) << c.seg;
    EXPECT_NEAR(comb->EvTotalArcLength(), zig->EvTotalArcLength(), 1e-9) << c.seg;
  }
  std::unique_ptr<CGeCombCurve> mid(zig->ToBezier(2));
  auto* bez = static_cast<CGeBezier*>(mid->GetSubCurve(2));
  ASSERT_EQ(bez->m_nNode, 4);
  EXPECT_DOUBLE_EQ(bez->m_pNode[1].x, 4.0);
  EXPECT_DOUBLE_EQ(bez->m_pNode[1].y, 4.0 - 4.0 / 3.0);
  EXPECT_EQ(zig->ToBezier(0), nullptr);
  EXPECT_EQ(zig->ToBezier(6), nullptr);
  auto sq = Square();
  std::unique_ptr<CGeCombCurve> closed(sq->ToBezier(3));
  EXPECT_EQ(closed->m_nClosed, 1);
}

TEST_F(PolylineTest, BiarcApproximationKeepsTheCorners) {
  auto zig = Zigzag();
  CGeCurveList list;
  zig->BiArcAppx(0.01, &list);
  ASSERT_GT(list.GetCount(), 0);
  double len = 0.0;
  for (POSITION pos = list.GetHeadPosition(); pos;) len += list.GetNext(pos)->EvTotalArcLength();
  EXPECT_NEAR(len, zig->EvTotalArcLength(), 0.05);
  double s[2], e[2];
  list.GetHead()->GetStartPoint(s);
  list.GetTail()->GetEndPoint(e);
  EXPECT_NEAR(s[0], 0.0, 1e-9);
  EXPECT_NEAR(e[0], 12.0, 1e-9);
  geDelCurveList(&list);
  CGePolyline empty;
  empty.BiArcAppx(0.01, &list);
  EXPECT_TRUE(list.IsEmpty());
}

TEST_F(PolylineTest, DeletingVertices) {
  // Open chain: any vertex goes.
  auto open = Make({{0, 0}, {1, 0}, {2, 1}, {3, 0}});
  open->DelMainNode(0u);
  EXPECT_EQ(Vertices(*open), (std::vector<Pt>{{1, 0}, {2, 1}, {3, 0}}));
  open->DelMainNode(7u);
  EXPECT_EQ(open->m_nSWPoint, 3);

  // Closed chain: the ends stay; a closed triangle becomes one edge.
  auto sq = Square();
  sq->DelMainNode(0u);
  sq->DelMainNode(4u);
  EXPECT_EQ(sq->m_nSWPoint, 5);
  sq->DelMainNode(2u);
  EXPECT_EQ(Vertices(*sq), (std::vector<Pt>{{0, 0}, {4, 0}, {0, 4}, {0, 0}}));
  EXPECT_EQ(sq->IsClosed(0.01), 1);
  auto tri = Make({{0, 0}, {4, 0}, {0, 4}, {0, 0}});
  tri->DelMainNode(1u);
  EXPECT_EQ(Vertices(*tri), (std::vector<Pt>{{0, 0}, {0, 4}}));
  EXPECT_EQ(tri->m_nClosed, 0);
  auto tri2 = Make({{0, 0}, {4, 0}, {0, 4}, {0, 0}});
  tri2->DelMainNode(2u);
  EXPECT_EQ(Vertices(*tri2), (std::vector<Pt>{{0, 0}, {4, 0}}));

  // Several at once; both ends of a closed chain listed: it closes on the first survivor.
  auto sq2 = Square();
  const unsigned ends[] = {0, 4};
  sq2->DelMainNode(ends, 2);
  EXPECT_EQ(Vertices(*sq2), (std::vector<Pt>{{4, 0}, {4, 4}, {0, 4}, {4, 0}}));
  EXPECT_EQ(sq2->IsClosed(0.01), 1);
  auto sq3 = Square();
  const unsigned inner[] = {1, 3};
  sq3->DelMainNode(inner, 2);
  EXPECT_EQ(Vertices(*sq3), (std::vector<Pt>{{0, 0}, {4, 4}, {0, 0}}));
  const unsigned tooMany[] = {0, 1, 2, 3};
  auto sq4 = Square();
  sq4->DelMainNode(tooMany, 4);
  EXPECT_EQ(sq4->m_nSWPoint, 5);
}

TEST_F(PolylineTest, TransformInvariants) {
  const double c[2] = {1, -3};
  auto zig = Zigzag();
  const auto orig = Vertices(*zig);
  const auto near = [&](CGePolyline& pl, double tol) {
    const auto v = Vertices(pl);
    ASSERT_EQ(v.size(), orig.size());
    for (size_t i = 0; i < v.size(); ++i) EXPECT_LT(Dist(v[i], orig[i]), tol) << i;
  };
  zig->Rotate(c, 2.0 * std::numbers::pi);
  near(*zig, 1e-12);
  const double d[2] = {2, -1};
  zig->Mirror(c, d);
  zig->Mirror(c, d);
  near(*zig, 1e-12);
  const auto before = Vertices(*zig);
  zig->Reverse();
  EXPECT_EQ(Vertices(*zig).front(), before.back());
  zig->Reverse();
  EXPECT_EQ(Vertices(*zig), before);

  auto sq = Square();
  const double area = sq->EvArea();
  EXPECT_DOUBLE_EQ(area, 16.0);
  for (const Pt f : {Pt{2, 3}, Pt{-1, 0.5}, Pt{0.25, -4}}) {
    auto s = Square();
    EXPECT_EQ(s->Scale(c, f.data()), s.get());
    EXPECT_NEAR(s->EvArea(), area * f[0] * f[1], 1e-12);
  }
  sq->Mirror(c, d);
  EXPECT_NEAR(sq->EvArea(), -area, 1e-12);
  sq->Reverse();
  EXPECT_NEAR(sq->EvArea(), area, 1e-12);
}

TEST_F(PolylineTest, PickAndHit) {
  auto zig = Zigzag();
  CPickRay ray;
  ray.m_b2D = 1;
  ray.m_dRadius = 0.5;
  ray.m_ptOrigin[0] = 3.1;
  ray.m_ptOrigin[1] = 3.7;
  EXPECT_EQ(zig->Pick(ray, 1), 1);
  EXPECT_LT(ray.m_dDist2D, 0.5);
  ray.m_nTypeMask = GE_TYPE_LINE;
  EXPECT_EQ(zig->Pick(ray, 1), 0);
  EXPECT_EQ(zig->Pick(ray, 0), 1);
  CGeHitResult hit;
  EXPECT_EQ(zig->Hit(ray, hit), 0);
  ray.m_nTypeMask = GE_TYPE_ALL;
  ASSERT_EQ(zig->Hit(ray, hit), 1);
  EXPECT_EQ(hit.m_pCurve, zig.get());
  EXPECT_TRUE(hit.m_nSeg == 1 || hit.m_nSeg == 2);
  ray.m_ptOrigin[0] = 20;
  EXPECT_EQ(zig->Pick(ray, 1), 0);

  // A 3D ray looking down at the middle of segment 4.
  CPickRay down;
  down.m_b2D = 0;
  down.m_dRadius = 0.2;
  down.m_ptOrigin[0] = 7.5;
  down.m_ptOrigin[1] = 2.0;
  down.m_ptOrigin[2] = 10.0;
  down.m_vDir[0] = 0;
  down.m_vDir[1] = 0;
  down.m_vDir[2] = -1;
  ASSERT_EQ(zig->Hit(down, hit), 1);
  EXPECT_EQ(hit.m_nSeg, 4);
  EXPECT_NEAR(hit.m_ptHit[0], 7.5, 1e-9);
  EXPECT_NEAR(hit.m_ptHit[1], 2.0, 1e-9);
  // A 3D pick must beat the best distance so far: the same ray again does not.
  CPickRay again = down;
  again.m_dDist3D = 1e12;
  EXPECT_EQ(zig->Pick(again, 1), 1);
  EXPECT_NEAR(again.m_dDist3D, 10.0, 1e-9);
  EXPECT_EQ(zig->Pick(again, 1), 0);
}

TEST_F(PolylineTest, SnapsStopAtTheFirstOfferByDistance) {
  auto zig = Zigzag();
  CVurode view;
  CKXGlobal settings;
  CSnapAt snap;
  snap.m_pVurode = &view;
  snap.m_pKXGlobal = &settings;
  snap.m_dSnapDist = 0.3;
  snap.m_nMask = SNAP_END | SNAP_MID | SNAP_NEAR;
  snap.m_pos.Set2(3.1, 3.9);
  CSnapResult r;
  ASSERT_EQ(zig->GetSnapPos(&snap, r), 1);
  ASSERT_EQ(r.GetSize(), 1);
  EXPECT_EQ(r.GetLabel(0), CString(L"End"));
  EXPECT_EQ(r.GetPos(0).x, 3.0);
  // Near the middle of segment 2: its mid point.
  CSnapResult mid;
  snap.m_pos.Set2(4.6, 1.9);
  ASSERT_EQ(zig->GetSnapPos(&snap, mid), 1);
  EXPECT_EQ(mid.GetLabel(0), CString(L"Mid"));
  // Along segment 4 only the nearest point.
  CSnapResult nearr;
  snap.m_pos.Set2(8.0, 2.6);
  ASSERT_EQ(zig->GetSnapPos(&snap, nearr), 1);
  ASSERT_EQ(nearr.GetSize(), 1);
  EXPECT_EQ(nearr.GetLabel(0), CString(L"Near"));
  // Without a settings object nothing is offered.
  snap.m_pKXGlobal = nullptr;
  CSnapResult none;
  EXPECT_EQ(zig->GetSnapPos(&snap, none), 0);
}

TEST_F(PolylineTest, DiscretisationIsTheIdentity) {
  auto zig = Zigzag();
  const auto v = Vertices(*zig);
  zig->Discrete(0.0001);
  zig->Discrete(0.0001, 0.1);
  EXPECT_EQ(Vertices(*zig), v);
  CPoint2dArray pts;
  zig->Discrete(0.01, &pts, 0.1, false);
  ASSERT_EQ(pts.GetSize(), 6);
  EXPECT_EQ(pts[5].y, 0.5f);
  double step = 0;
  EXPECT_EQ(zig->GetDiscStep(0.01, step), 1);
  EXPECT_DOUBLE_EQ(step, 1.0 / 6.0);
}

}  // namespace
