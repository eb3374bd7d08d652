// Piecewise cubic Bezier curve: creation and node kinds, archive layout and hostile counts,
// lengths and the length-to-parameter search, nearest and tangent points against brute force,
// splitting, node editing, flattening and transform invariants.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstring>
#include <memory>
#include <numbers>
#include <vector>

#include "geometry/shapes2d/GeBezier.h"
#include "geometry/shapes2d/ShapeListUtil.h"
#include "support/VurodeFixture.h"
#include "tests/geometry/shapes2d/GeBezierPolylineTestUtil.h"

namespace {

using Pt = std::array<double, 2>;

using bezpoly_test::Fields;
using bezpoly_test::Get;
using bezpoly_test::LoadFrom;

// A wavy open curve through five points.
std::unique_ptr<CGeBezier> Wave() {
  const double pts[5][2] = {{0, 0}, {2, 3}, {5, -1}, {7, 2}, {10, 0}};
  auto b = std::make_unique<CGeBezier>();
  EXPECT_EQ(b->Create(5, pts), 1);
  return b;
}

// A closed, roughly circular curve of four segments (radius 5 about (1, 2)).
std::unique_ptr<CGeBezier> Ring() {
  const double k = 0.5522847498 * 5.0;
  const double c[2] = {1, 2};
  const double pts[13][2] = {
      {c[0] + 5, c[1]},     {c[0] + 5, c[1] + k}, {c[0] + k, c[1] + 5}, {c[0], c[1] + 5},
      {c[0] - k, c[1] + 5}, {c[0] - 5, c[1] + k}, {c[0] - 5, c[1]},     {c[0] - 5, c[1] - k},
      {c[0] - k, c[1] - 5}, {c[0], c[1] - 5},     {c[0] + k, c[1] - 5}, {c[0] + 5, c[1] - k},
      {c[0] + 5, c[1]}};
  auto b = std::make_unique<CGeBezier>();
  EXPECT_EQ(b->CreateEx(13, pts), 1);
  return b;
}

Pt At(CGeBezier& b, double t, unsigned seg) {
  Pt p{};
  b.GetPointAt(t, p.data(), seg);
  return p;
}

double Dist(const Pt& a, const Pt& b) { return std::hypot(a[0] - b[0], a[1] - b[1]); }

// Dense samples of the whole curve with their (segment, t).
struct Sample {
  Pt p;
  unsigned seg;
  double t;
};
std::vector<Sample> Samples(CGeBezier& b, int perSeg = 400) {
  std::vector<Sample> out;
  for (int s = 1; s <= b.GetSegmentCount(); ++s)
    for (int k = 0; k <= perSeg; ++k) {
      const double t = static_cast<double>(k) / perSeg;
      out.push_back({At(b, t, static_cast<unsigned>(s)), static_cast<unsigned>(s), t});
    }
  return out;
}

double PolyLength(const std::vector<Sample>& s) {
  double len = 0.0;
  for (size_t i = 1; i < s.size(); ++i) len += Dist(s[i - 1].p, s[i].p);
  return len;
}

// Largest distance from any sample of a to the curve b (one-sided Hausdorff); b's nearest
// points are checked against brute force in their own test.
double Deviation(CGeBezier& a, CGeBezier& b) {
  double worst = 0.0;
  for (const auto& p : Samples(a, 60)) {
    double foot[2], t = 0.0, d = 1e12;
    unsigned seg = 0;
    EXPECT_EQ(b.GetNearestPoint(p.p.data(), foot, t, seg, d), 1);
    worst = std::max(worst, d);
  }
  return worst;
}

class BezierTest : public VurodeTest {};

TEST_F(BezierTest, TwoPointsGiveOneStraightSegmentWithControlsAtThirds) {
  const double pts[2][2] = {{0, 0}, {3, 6}};
  CGeBezier b;
  ASSERT_EQ(b.Create(2, pts), 1);
  ASSERT_EQ(b.m_nNode, 4);
  EXPECT_EQ(b.GetSegmentCount(), 1);
  EXPECT_DOUBLE_EQ(b.m_pNode[1].x, 1.0);
  EXPECT_DOUBLE_EQ(b.m_pNode[1].y, 2.0);
  EXPECT_DOUBLE_EQ(b.m_pNode[2].x, 2.0);
  EXPECT_DOUBLE_EQ(b.m_pNode[2].y, 4.0);
  EXPECT_EQ(b.m_pNode[0].kind, BEZ_NODE_CORNER);
  EXPECT_EQ(b.m_pNode[3].kind, BEZ_NODE_CORNER);
  EXPECT_NEAR(b.EvTotalArcLength(), std::hypot(3.0, 6.0), 1e-9);
  // Refusals leave the curve as it was.
  EXPECT_EQ(b.Create(1, pts), 0);
  EXPECT_EQ(b.Create(5, nullptr), 0);
  EXPECT_EQ(b.CreateEx(2, pts), 0);
  EXPECT_EQ(b.m_nNode, 4);
}

TEST_F(BezierTest, CreateThroughPointsPassesThemWithSymmetricSmoothNodes) {
  const double pts[5][2] = {{0, 0}, {2, 3}, {5, -1}, {7, 2}, {10, 0}};
  auto b = Wave();
  ASSERT_EQ(b->m_nNode, 13);
  EXPECT_EQ(b->m_nClosed, 0);
  for (int k = 0; k < 5; ++k) {
    EXPECT_DOUBLE_EQ(b->m_pNode[3 * k].x, pts[k][0]);
    EXPECT_DOUBLE_EQ(b->m_pNode[3 * k].y, pts[k][1]);
  }
  for (int i = 3; i <= 9; i += 3) {
    const CBezierNode &a = b->m_pNode[i - 1], &n = b->m_pNode[i], &c = b->m_pNode[i + 1];
    EXPECT_EQ(n.kind, BEZ_NODE_SYMMETRIC) << i;
    const double cross = (a.x - n.x) * (c.y - n.y) - (a.y - n.y) * (c.x - n.x);
    EXPECT_NEAR(cross, 0.0, 1e-9) << i;
    EXPECT_NEAR(std::hypot(a.x - n.x, a.y - n.y), std::hypot(c.x - n.x, c.y - n.y), 1e-9) << i;
  }
  // Tangent continuity at the joints.
  double v1[2], v2[2];
  b->GetTanVecAt(1.0, v1, 2);
  b->GetTanVecAt(0.0, v2, 3);
  EXPECT_NEAR(v1[0] * v2[1] - v1[1] * v2[0], 0.0, 1e-9);

  // The same square with its first point repeated is closed; without it, open.
  const double sq[5][2] = {{0, 0}, {4, 0}, {4, 4}, {0, 4}, {0, 0}};
  CGeBezier closed, open;
  ASSERT_EQ(closed.Create(5, sq), 1);
  ASSERT_EQ(open.Create(4, sq), 1);
  EXPECT_EQ(closed.m_nClosed, 1);
  EXPECT_EQ(open.m_nClosed, 0);
}

TEST_F(BezierTest, CreateExDerivesKindsFromHandleGeometry) {
  struct Case {
    const char* name;
    double before[2], after[2];
    int kind;
  };
  const Case cases[] = {
      {"equal within 0.001", {4, 0}, {6.0005, 0}, BEZ_NODE_SYMMETRIC},
      {"lengths 0.002 apart", {4, 0}, {6.002, 0}, BEZ_NODE_SMOOTH},
      {"not collinear", {4, 0}, {6, 1}, BEZ_NODE_CORNER},
  };
  for (const auto& c : cases) {
    const double pts[7][2] = {{0, 0}, {1, 1},         {c.before[0], c.before[1]}, {5, 0},
                              {c.after[0], c.after[1]}, {9, 1}, {10, 0}};
    CGeBezier b;
    ASSERT_EQ(b.CreateEx(7, pts), 1) << c.name;
    EXPECT_EQ(b.m_pNode[3].kind, c.kind) << c.name;
    EXPECT_EQ(b.m_pNode[0].kind, BEZ_NODE_CORNER) << c.name;
    EXPECT_EQ(b.m_pNode[6].kind, BEZ_NODE_CORNER) << c.name;
    EXPECT_EQ(b.m_pNode[2].kind, 0) << c.name;
  }
  // A closed curve whose ends meet smoothly with equal handles gets kind 2 at both ends.
  auto ring = Ring();
  EXPECT_EQ(ring->m_nClosed, 1);
  EXPECT_EQ(ring->m_pNode[0].kind, BEZ_NODE_SYMMETRIC);
  EXPECT_EQ(ring->m_pNode[12].kind, BEZ_NODE_SYMMETRIC);
}

TEST_F(BezierTest, ArchiveRecordIsClosedFlagCountThenNodes) {
  auto ring = Ring();
  ring->m_pNode[3].kind = 7;  // kinds are stored as they stand
  const auto b = Fields(*ring);
  ASSERT_EQ(b.size(), 4u + 4u + 13u * 20u);
  EXPECT_EQ(Get<int32_t>(b, 0), 1);
  EXPECT_EQ(Get<int32_t>(b, 4), 13);
  for (int i = 0; i < 13; ++i) {
    const size_t at = 8 + 20 * static_cast<size_t>(i);
    EXPECT_EQ(Get<double>(b, at), ring->m_pNode[i].x);
    EXPECT_EQ(Get<double>(b, at + 8), ring->m_pNode[i].y);
    EXPECT_EQ(Get<int32_t>(b, at + 16), ring->m_pNode[i].kind);
  }

  // Round trip through the persistent-object format, with the buffer rebuilt on loading.
  std::unique_ptr<CObject> owned(bezpoly_test::RoundTrip(ring.get()));
  CObject* ob = owned.get();
  auto* back = dynamic_cast<CGeBezier*>(ob);
  ASSERT_NE(back, nullptr);
  ASSERT_EQ(back->m_nNode, 13);
  for (int i = 0; i < 13; ++i) {
    EXPECT_EQ(back->m_pNode[i].x, ring->m_pNode[i].x);
    EXPECT_EQ(back->m_pNode[i].kind, ring->m_pNode[i].kind);
  }
  EXPECT_EQ(back->m_nClosed, 1);
  EXPECT_GT(back->m_nSWPoint, 13);

  // A curve of three nodes (no segment) comes back with its three nodes.
  const double three[3][2] = {{0, 0}, {1, 1}, {2, 0}};
  CGeBezier small, loaded;
  ASSERT_EQ(small.CreateEx(3, three), 1);
  LoadFrom(loaded, Fields(small));
  ASSERT_EQ(loaded.m_nNode, 3);
  EXPECT_EQ(loaded.m_pNode[2].x, 2.0);
  EXPECT_EQ(loaded.GetSegmentCount(), 0);
}

TEST_F(BezierTest, HostileNodeCountsThrowAndKeepTheCurve) {
  auto wave = Wave();
  const auto good = Fields(*wave);
  for (int32_t count : {-1, 14, 0x7fffffff, static_cast<int32_t>(0x80000000)}) {
    auto bytes = good;
    std::memcpy(bytes.data() + 4, &count, 4);
    CGeBezier b;
    const double pts[2][2] = {{0, 0}, {1, 0}};
    ASSERT_EQ(b.Create(2, pts), 1);
    EXPECT_THROW(LoadFrom(b, bytes), CArchiveException) << count;
    EXPECT_EQ(b.m_nNode, 4) << count;
  }
  // A record cut short inside the last node.
  auto cut = good;
  cut.resize(cut.size() - 3);
  CGeBezier b;
  EXPECT_THROW(LoadFrom(b, cut), CArchiveException);
}

TEST_F(BezierTest, LengthsAgreeWithDenseSampling) {
  auto b = Wave();
  const auto s = Samples(*b, 4000);
  const double total = b->EvTotalArcLength();
  EXPECT_NEAR(total, PolyLength(s), 1e-5 * total);
  // Partial lengths across segments add up.
  const double a = b->EvArcLength(0.0, 1, 0.3, 2);
  const double c = b->EvArcLength(0.3, 2, 0.6, 4);
  const double d = b->EvArcLength(0.6, 4, 1.0, 4);
  EXPECT_NEAR(a + c + d, total, 1e-9 * total);
  EXPECT_EQ(b->EvArcLength(0.5, 3, 0.5, 2), 0.0);  // backwards
  EXPECT_EQ(b->EvArcLength(0.0, 1, 0.5, 5), 0.0);  // past the last segment
  EXPECT_DOUBLE_EQ(geCurveLength(b.get(), 0.3, 2), a);
  EXPECT_EQ(b->IsLongerThan(total - 0.01), 1);
  EXPECT_EQ(b->IsLongerThan(total + 0.01), 0);
}

TEST_F(BezierTest, EvParamInvertsArcLengthWithinItsSlack) {
  for (auto make : {Wave, Ring}) {
    auto b = make();
    const double total = b->EvTotalArcLength();
    for (double len = 0.0; len <= total; len += total / 37.0) {
      double t = -1.0;
      unsigned seg = 0;
      ASSERT_EQ(b->EvParam(len, t, seg), 1) << len;
      EXPECT_NEAR(b->EvArcLength(0.0, 1, t, seg), len, 0.1 + 1e-9) << len;
    }
  }
  auto wave = Wave();
  double t = -1.0;
  unsigned seg = 0;
  ASSERT_EQ(wave->EvParam(0.05, t, seg), 1);
  EXPECT_EQ(seg, 1u);
  EXPECT_EQ(t, 0.0);
  // Beyond the end of an open curve: the end of the last segment.
  ASSERT_EQ(wave->EvParam(wave->EvTotalArcLength() + 50.0, t, seg), 1);
  EXPECT_EQ(seg, 4u);
  EXPECT_EQ(t, 1.0);
  // A closed curve wraps the length around, also for huge lengths.
  auto ring = Ring();
  const double total = ring->EvTotalArcLength();
  double t2 = -1.0;
  unsigned seg2 = 0;
  ASSERT_EQ(ring->EvParam(7.0, t, seg), 1);
  ASSERT_EQ(ring->EvParam(7.0 + 1000.0 * total, t2, seg2), 1);
  EXPECT_EQ(seg2, seg);
  EXPECT_NEAR(t2, t, 1e-6);
}

TEST_F(BezierTest, EvParamOfAClosedCurveWithoutLengthFails) {
  const double dot[4][2] = {{1, 1}, {1, 1}, {1, 1}, {1, 1}};
  CGeBezier b;
  ASSERT_EQ(b.CreateEx(4, dot), 1);
  ASSERT_EQ(b.IsClosed(0.01), 1);
  double t = -1.0;
  unsigned seg = 0;
  EXPECT_EQ(b.EvParam(5.0, t, seg), 0);
}

TEST_F(BezierTest, NearestPointMatchesBruteForce) {
  for (auto make : {Wave, Ring}) {
    auto b = make();
    const auto s = Samples(*b, 2000);
    for (const Pt q : {Pt{3, 1}, Pt{-2, 4}, Pt{5, -3}, Pt{12, 1}, Pt{1, 2}, Pt{6.5, 1.5}}) {
      double foot[2], t = 0.0, d = 1e12;
      unsigned seg = 0;
      ASSERT_EQ(b->GetNearestPoint(q.data(), foot, t, seg, d), 1);
      double best = 1e300;
      for (const auto& x : s) best = std::min(best, Dist(q, x.p));
      EXPECT_NEAR(d, best, 1e-4) << q[0] << "," << q[1];
      // The answer is consistent: the foot is the curve point at (t, seg).
      const Pt f = At(*b, t, seg);
      EXPECT_NEAR(f[0], foot[0], 1e-9);
      EXPECT_NEAR(f[1], foot[1], 1e-9);
    }
  }
  CGeBezier empty;
  double foot[2], t = 0.0, d = 1e12;
  unsigned seg = 0;
  const double q[2] = {0, 0};
  EXPECT_EQ(empty.GetNearestPoint(q, foot, t, seg, d), 0);
}

TEST_F(BezierTest, TangentPointTouchesFromOutside) {
  auto ring = Ring();
  const double from[2] = {20, 3};
  double t = 0.0, touch[2];
  int seg = 1;
  ASSERT_EQ(ring->GetTanPt(from, t, seg, touch), 1);
  double p[2], d[2];
  ring->Ev1Der(t, p, d, static_cast<unsigned>(seg));
  EXPECT_NEAR(p[0], touch[0], 1e-6);
  const double w[2] = {p[0] - from[0], p[1] - from[1]};
  const double sine = (w[0] * d[1] - w[1] * d[0]) / (std::hypot(w[0], w[1]) * std::hypot(d[0], d[1]));
  EXPECT_NEAR(sine, 0.0, 1e-4);
  // The touching point of a near-circle lies about at distance sqrt(|from - c|^2 - r^2).
  const double expect = std::sqrt(19.0 * 19.0 + 1.0 - 25.0);
  EXPECT_NEAR(std::hypot(w[0], w[1]), expect, 0.05);
}

TEST_F(BezierTest, SplitHalvesReproduceTheCurve) {
  auto wave = Wave();
  CGeBezier *left = nullptr, *right = nullptr;
  wave->Split(2, 0.37, left, right);
  std::unique_ptr<CGeBezier> l(left), r(right);
  ASSERT_TRUE(l && r);
  EXPECT_EQ(l->GetSegmentCount(), 2);
  EXPECT_EQ(r->GetSegmentCount(), 3);
  const Pt cut = At(*wave, 0.37, 2);
  double ls[2], re[2];
  l->GetEndPoint(ls);
  r->GetStartPoint(re);
  EXPECT_NEAR(Dist(cut, {ls[0], ls[1]}), 0.0, 1e-12);
  EXPECT_NEAR(Dist(cut, {re[0], re[1]}), 0.0, 1e-12);
  // Every point of the halves lies on the original, and the lengths add up.
  EXPECT_LT(Deviation(*l, *wave), 1e-9);
  EXPECT_LT(Deviation(*r, *wave), 1e-9);
  EXPECT_NEAR(l->EvTotalArcLength() + r->EvTotalArcLength(), wave->EvTotalArcLength(), 1e-6);
  // The left half is the exact sub-curve: same point at the same mapped parameter.
  const Pt a = At(*wave, 0.37 * 0.5, 2), b = At(*l, 0.5, 2);
  EXPECT_NEAR(Dist(a, b), 0.0, 1e-12);

  // Cuts that fall on the ends do nothing; cuts on an inner main node share it.
  struct Case {
    unsigned seg;
    double t;
    int leftNodes, rightNodes;
  };
  for (const Case c : {Case{1, 0.0, 0, 0}, Case{4, 1.0, 0, 0}, Case{0, 0.5, 0, 0},
                       Case{5, 0.5, 0, 0}, Case{2, 0.0, 4, 10}, Case{2, 1.0, 7, 7}}) {
    CGeCurve* out[2] = {reinterpret_cast<CGeCurve*>(1), reinterpret_cast<CGeCurve*>(1)};
    wave->Split(c.t, out, static_cast<int>(c.seg), 0);
    std::unique_ptr<CGeCurve> o0(out[0]), o1(out[1]);
    EXPECT_EQ(o0 ? static_cast<CGeBezier*>(o0.get())->m_nNode : 0, c.leftNodes) << c.seg << c.t;
    EXPECT_EQ(o1 ? static_cast<CGeBezier*>(o1.get())->m_nNode : 0, c.rightNodes) << c.seg << c.t;
  }
}

TEST_F(BezierTest, SplitInNodeCutsAtNodesSharingThem) {
  auto wave = Wave();
  CGeCurveList list;
  const int idx[] = {0, 3, 9, 9, 40};  // zero, repeat and out-of-range entries cut nothing
  wave->SplitInNode(idx, 5, &list);
  ASSERT_EQ(list.GetCount(), 3);
  std::vector<int> counts;
  while (!list.IsEmpty()) {
    std::unique_ptr<CGeCurve> c(list.RemoveHead());
    counts.push_back(static_cast<CGeBezier*>(c.get())->m_nNode);
  }
  EXPECT_EQ(counts, (std::vector<int>{4, 7, 4}));
}

TEST_F(BezierTest, AddMainNodeKeepsTheShape) {
  auto wave = Wave();
  auto copy = std::unique_ptr<CGeBezier>(wave->Copy());
  wave->AddMainNode(3, 0.25);
  ASSERT_EQ(wave->m_nNode, 16);
  EXPECT_EQ(wave->m_pNode[9].kind, BEZ_NODE_SMOOTH);
  EXPECT_LT(Deviation(*wave, *copy), 1e-9);
  EXPECT_LT(Deviation(*copy, *wave), 1e-9);
  EXPECT_NEAR(wave->EvTotalArcLength(), copy->EvTotalArcLength(), 1e-6);
  wave->AddMainNode(7, 0.5);  // no such segment
  wave->AddMainNode(1, 1.5);  // outside the segment
  EXPECT_EQ(wave->m_nNode, 16);
}

TEST_F(BezierTest, DeletingMainNodes) {
  // The first main node: the new start is the old node 3.
  auto b = Wave();
  const CBezierNode n3 = b->m_pNode[3];
  b->DelMainNode(0u);
  ASSERT_EQ(b->m_nNode, 10);
  EXPECT_EQ(b->m_pNode[0].x, n3.x);
  EXPECT_EQ(b->m_pNode[0].y, n3.y);
  // The last main node: the new end is the old node count - 4.
  const CBezierNode n6 = b->m_pNode[6];
  b->DelMainNode(9u);
  ASSERT_EQ(b->m_nNode, 7);
  EXPECT_EQ(b->m_pNode[6].x, n6.x);
  // An inner node joins its neighbours' outer handles.
  const CBezierNode keep1 = b->m_pNode[1], keep5 = b->m_pNode[5];
  b->DelMainNode(3u);
  ASSERT_EQ(b->m_nNode, 4);
  EXPECT_EQ(b->m_pNode[1].x, keep1.x);
  EXPECT_EQ(b->m_pNode[2].x, keep5.x);
  // A single segment and control indices are left alone.
  b->DelMainNode(3u);
  EXPECT_EQ(b->m_nNode, 4);
  auto w = Wave();
  w->DelMainNode(4u);
  EXPECT_EQ(w->m_nNode, 13);
}

TEST_F(BezierTest, DeletingBothEndsOfAClosedCurveKeepsItClosed) {
  auto ring = Ring();
  const unsigned list[] = {0, 12};
  ring->DelMainNode(list, 2);
  ASSERT_EQ(ring->m_nNode, 10);
  EXPECT_EQ(ring->IsClosed(0.01), 1);
  EXPECT_EQ(ring->m_nClosed, 1);
  EXPECT_EQ(ring->m_pNode[0].x, 1.0);  // old node 3 is the new start and end
  EXPECT_EQ(ring->m_pNode[0].y, 7.0);
  EXPECT_EQ(ring->m_pNode[9].x, 1.0);
  EXPECT_EQ(ring->m_pNode[9].y, 7.0);
  // Several inner nodes of an open curve at once.
  auto wave = Wave();
  const unsigned inner[] = {3, 9};
  wave->DelMainNode(inner, 2);
  ASSERT_EQ(wave->m_nNode, 7);
  EXPECT_EQ(wave->m_pNode[3].x, 5.0);
  EXPECT_EQ(wave->IsClosed(0.01), 0);
  // One end of a closed curve opens it: only both ends together close it again.
  auto r2 = Ring();
  const unsigned one[] = {12};
  r2->DelMainNode(one, 1);
  EXPECT_EQ(r2->m_nNode, 10);
  EXPECT_EQ(r2->IsClosed(0.01), 0);
}

TEST_F(BezierTest, HandleRealignmentFollowsTheKind) {
  const double pts[7][2] = {{0, 0}, {1, 1}, {4, 0}, {5, 0}, {6, 1}, {9, 1}, {10, 0}};
  for (int kind : {BEZ_NODE_SMOOTH, BEZ_NODE_SYMMETRIC, BEZ_NODE_CORNER}) {
    CGeBezier b;
    ASSERT_EQ(b.CreateEx(7, pts), 1);
    b.m_pNode[3].kind = kind;
    b.ModifyCtrlPoint(3u);
    const CBezierNode &a = b.m_pNode[2], &n = b.m_pNode[3], &c = b.m_pNode[4];
    const double la = std::hypot(a.x - n.x, a.y - n.y), lc = std::hypot(c.x - n.x, c.y - n.y);
    const double cross = (a.x - n.x) * (c.y - n.y) - (a.y - n.y) * (c.x - n.x);
    const double dot = (a.x - n.x) * (c.x - n.x) + (a.y - n.y) * (c.y - n.y);
    if (kind == BEZ_NODE_CORNER) {
      EXPECT_EQ(a.x, 4.0);
      EXPECT_EQ(c.y, 1.0);
      continue;
    }
    EXPECT_NEAR(cross, 0.0, 1e-9) << kind;
    EXPECT_LT(dot, 0.0) << kind;  // on opposite sides
    if (kind == BEZ_NODE_SYMMETRIC) {
      EXPECT_NEAR(la, lc, 1e-9);
      EXPECT_NEAR(la, 0.5 * (1.0 + std::sqrt(2.0)), 1e-9);
    } else {
      EXPECT_NEAR(la, 1.0, 1e-9);
      EXPECT_NEAR(lc, std::sqrt(2.0), 1e-9);
    }
  }
}

TEST_F(BezierTest, FlatteningStaysWithinToleranceAndNeverExplodes) {
  auto wave = Wave();
  for (double tol : {0.1, 0.01, 0.001}) {
    wave->Discrete(tol);
    ASSERT_GT(wave->m_nSWPoint, 4);
    // Every curve sample lies within tol of the point string (plus float rounding).
    double worst = 0.0;
    for (const auto& s : Samples(*wave, 200)) {
      double foot[2], t = 0.0;
      int seg = 0;
      ASSERT_EQ(SP2D_PrjPnt(wave->m_pSWPoint, wave->m_nSWPoint, s.p.data(), foot, t, seg), 1);
      worst = std::max(worst, std::hypot(foot[0] - s.p[0], foot[1] - s.p[1]));
    }
    EXPECT_LT(worst, tol + 1e-5) << tol;
  }
  // A zero or negative tolerance is held to a small positive one, not to 2^20 points.
  for (double tol : {0.0, -1.0}) {
    wave->Discrete(tol);
    EXPECT_GT(wave->m_nSWPoint, 100) << tol;
    EXPECT_LT(wave->m_nSWPoint, 40000) << tol;
  }
  // A node that is not a number ends the halving at once instead of running it to the limit.
  const double bad[4][2] = {{0, 0}, {std::nan(""), 1}, {2, 1}, {3, 0}};
  CGeBezier nan;
  ASSERT_EQ(nan.CreateEx(4, bad), 1);
  EXPECT_LT(nan.m_nSWPoint, 10);
  // Four nodes or fewer than that flatten to nothing; the old buffer stays.
  CPoint2dArray pts;
  const double three[3][2] = {{0, 0}, {1, 1}, {2, 0}};
  CGeBezier small;
  small.CreateEx(3, three);
  small.Discrete(0.01, &pts, 0.1, true);
  EXPECT_EQ(pts.GetSize(), 0);
  // The array form appends the same points.
  wave->Discrete(0.01);
  wave->Discrete(0.01, &pts, 0.1, true);
  ASSERT_EQ(pts.GetSize(), wave->m_nSWPoint);
  EXPECT_EQ(pts[0].x, 0.0f);
  double step = 0.0;
  EXPECT_EQ(wave->GetDiscStep(0.01, step), 1);
  EXPECT_GT(step, 0.0);
  EXPECT_LE(step, 0.125);
}

TEST_F(BezierTest, TransformInvariants) {
  const double c[2] = {3, -2};
  auto ring = Ring();
  auto orig = std::unique_ptr<CGeBezier>(ring->Copy());
  const auto same = [&](CGeBezier& b, double tol) {
    for (int i = 0; i < b.m_nNode; ++i) {
      EXPECT_NEAR(b.m_pNode[i].x, orig->m_pNode[i].x, tol) << i;
      EXPECT_NEAR(b.m_pNode[i].y, orig->m_pNode[i].y, tol) << i;
    }
  };
  ring->Rotate(c, 2.0 * std::numbers::pi);
  same(*ring, 1e-12);
  const double d[2] = {1, 2};
  ring->Mirror(c, d);
  EXPECT_GT(std::fabs(ring->m_pNode[0].x - orig->m_pNode[0].x), 1.0);
  ring->Mirror(c, d);
  same(*ring, 1e-12);
  std::unique_ptr<CGeBezier> before(ring->Copy());
  ring->Reverse();
  EXPECT_EQ(ring->m_pNode[1].x, before->m_pNode[11].x);
  ring->Reverse();
  for (int i = 0; i < ring->m_nNode; ++i) EXPECT_EQ(ring->m_pNode[i].y, before->m_pNode[i].y);

  // Area scales by fx * fy, its sign flipping with a mirroring scale; mirroring negates it.
  ring->Discrete(0.001);
  const double area = ring->EvArea();
  EXPECT_NEAR(area, std::numbers::pi * 25.0, 0.05);
  for (const Pt f : {Pt{2, 3}, Pt{-1.5, 0.5}, Pt{0.5, -2}}) {
    auto s = std::unique_ptr<CGeBezier>(orig->Copy());
    s->Discrete(0.001);
    EXPECT_EQ(s->Scale(c, f.data()), s.get());
    EXPECT_NEAR(s->EvArea(), area * f[0] * f[1], 1e-5 * std::fabs(area * f[0] * f[1]));
    // The nodes moved too: a fresh flattening gives the same area.
    s->Discrete(0.001);
    EXPECT_NEAR(s->EvArea(), area * f[0] * f[1], 1e-3 * std::fabs(area * f[0] * f[1]));
  }
  ring->Mirror(c, d);
  EXPECT_NEAR(ring->EvArea(), -area, 1e-4);

  // A translation and the matching matrix agree.
  auto a = std::unique_ptr<CGeBezier>(orig->Copy());
  auto b = std::unique_ptr<CGeBezier>(orig->Copy());
  const double v[2] = {2.5, -4};
  const double m[3][3] = {{1, 0, 2.5}, {0, 1, -4}, {0, 0, 1}};
  a->Translate(v);
  b->Transform(m);
  for (int i = 0; i < a->m_nNode; ++i) EXPECT_DOUBLE_EQ(a->m_pNode[i].x, b->m_pNode[i].x);
}

TEST_F(BezierTest, BiarcApproximationFollowsTheCurve) {
  gSetCurveDicTol(0.001);
  for (auto make : {Wave, Ring}) {
    auto b = make();
    CGeCurveList list;
    b->BiArcAppx(0.02, &list);
    ASSERT_GT(list.GetCount(), 0);
    double len = 0.0, worst = 0.0;
    double prevEnd[2] = {0, 0};
    bool first = true;
    for (POSITION pos = list.GetHeadPosition(); pos;) {
      CGeCurve* c = list.GetNext(pos);
      len += c->EvTotalArcLength();
      double s[2];
      c->GetStartPoint(s);
      if (!first) {
        EXPECT_LT(std::hypot(s[0] - prevEnd[0], s[1] - prevEnd[1]), 1e-3);
      }
      first = false;
      c->GetEndPoint(prevEnd);
      for (int k = 0; k <= 20; ++k) {
        double p[2], foot[2], t = 0.0, d = 1e12;
        unsigned seg = 0;
        c->GetPointAt(k / 20.0, p, 1);
        ASSERT_EQ(b->GetNearestPoint(p, foot, t, seg, d), 1);
        worst = std::max(worst, d);
      }
    }
    EXPECT_LT(worst, 0.02 + 0.002);
    EXPECT_NEAR(len, b->EvTotalArcLength(), 0.01 * b->EvTotalArcLength());
    geDelCurveList(&list);
  }
  CGeBezier empty;
  CGeCurveList list;
  empty.BiArcAppx(0.01, &list);
  EXPECT_TRUE(list.IsEmpty());
  Wave()->BiArcAppx(0.01, nullptr);
}

TEST_F(BezierTest, CopyAndFactory) {
  CGeBezier empty;
  EXPECT_EQ(empty.Copy(), nullptr);
  const double o[2] = {0, 0}, f[2] = {2, 2};
  EXPECT_EQ(empty.Scale(o, f), nullptr);
  EXPECT_EQ(empty.Shift(o, f), nullptr);
  std::unique_ptr<CGeCurve> made(CreateCurve(GE_TYPE_BEZIER));
  ASSERT_NE(dynamic_cast<CGeBezier*>(made.get()), nullptr);
  EXPECT_EQ(made->GetType(), 0x10);
  auto ring = Ring();
  std::unique_ptr<CGeBezier> copy(ring->Copy());
  ASSERT_EQ(copy->m_nNode, 13);
  EXPECT_EQ(copy->m_nClosed, 1);
  EXPECT_EQ(copy->m_nSWPoint, ring->m_nSWPoint);
  ring->m_pNode[0].x = 99;  // a deep copy
  EXPECT_NE(copy->m_pNode[0].x, 99);
}

}  // namespace
