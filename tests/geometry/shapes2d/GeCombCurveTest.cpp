// Composite curves: list maintenance, addressing by sub-curve, lengths, transforms, splitting
// and the archive record with nested composites and null entries.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstring>
#include <memory>
#include <vector>
#include <numbers>

#include "geometry/shapes2d/GeArc.h"
#include "geometry/shapes2d/GeBezier.h"
#include "geometry/shapes2d/GeCombCurve.h"
#include "geometry/shapes2d/GeLine.h"
#include "geometry/shapes2d/GeLoop.h"
#include "geometry/shapes2d/GePolyline.h"
#include "geometry/shapes2d/PickRay.h"
#include "support/ArchiveBytes.h"
#include "support/VurodeFixture.h"

namespace {

CGeLine* Line(double x0, double y0, double x1, double y1) {
  const double a[2] = {x0, y0}, b[2] = {x1, y1};
  return new CGeLine(a, b);
}

// Open chain through the points, one line per pair.
std::unique_ptr<CGeCombCurve> Chain(const std::vector<std::array<double, 2>>& pts) {
  auto comb = std::make_unique<CGeCombCurve>();
  for (size_t i = 0; i + 1 < pts.size(); ++i)
    comb->AddTail(Line(pts[i][0], pts[i][1], pts[i + 1][0], pts[i + 1][1]), 0);
  comb->CalcBox2d();
  return comb;
}

// Polyline (0,0)-(1,0)-(1,2): lengths 1 and 2 per segment, so a length measured on the wrong
// segment shows.
CGePolyline* TwoSegmentPolyline() {
  const double pts[3][2] = {{0, 0}, {1, 0}, {1, 2}};
  auto* pl = new CGePolyline;
  pl->Create(3, pts);
  return pl;
}

using archive_bytes::Stored;

CObject* Load(const std::vector<BYTE>& bytes) { return archive_bytes::LoadObject(bytes); }

void ExpectPoint(const double p[2], double x, double y, double tol = 1e-9) {
  EXPECT_NEAR(p[0], x, tol);
  EXPECT_NEAR(p[1], y, tol);
}

using CombCurveTest = VurodeTest;

TEST_F(CombCurveTest, AddTailFlattensOneLevelAndKeepsLoopsWhole) {
  auto inner = new CGeCombCurve;
  inner->AddTail(Line(1, 0, 2, 0), 0);
  auto middle = new CGeCombCurve;
  middle->m_CurveList.AddTail(Line(0, 0, 1, 0));
  middle->m_CurveList.AddTail(inner);  // nested below the level that is flattened
  auto loop = new CGeLoop;
  loop->AddTail(Line(2, 0, 2, 1), 0);

  CGeCombCurve comb;
  comb.AddTail(middle, 1);  // gives up its members, then is deleted
  comb.AddTail(loop, 0);
  comb.AddHead(Line(-1, 0, 0, 0), 0);
  CGeCombCurve empty;
  comb.AddTail(&empty, 0);  // an empty composite is neither taken nor deleted

  ASSERT_EQ(comb.GetSegmentCount(), 4);
  EXPECT_EQ(comb.GetSubCurve(1)->GetType(), GE_TYPE_LINE);
  EXPECT_EQ(comb.GetSubCurve(3), inner);
  EXPECT_EQ(comb.GetSubCurve(4), loop);
  EXPECT_EQ(comb.GetSubCurve(0), nullptr);
  EXPECT_EQ(comb.GetSubCurve(5), nullptr);
}

TEST_F(CombCurveTest, SubCurveNumbersSkipNullEntries) {
  CGeCombCurve comb;
  comb.m_CurveList.AddTail(static_cast<CGeCurve*>(nullptr));
  CGeLine* a = Line(0, 0, 1, 0);
  comb.m_CurveList.AddTail(a);
  EXPECT_EQ(comb.GetSubCurve(1), a);
  double p[2] = {7, 7};
  comb.GetStartPoint(p);  // the head entry is null: output untouched
  ExpectPoint(p, 7, 7);
  comb.EvPos(1.0, p, 1);  // t = 1 is the end of the sub-curve, not its start
  ExpectPoint(p, 1, 0);
}

TEST_F(CombCurveTest, EvParamWalksByLengthAndHandlesTheEnds) {
  // Open: lengths 3 and 4. Closed: the 3-4-5 triangle, total 12.
  auto open = Chain({{0, 0}, {3, 0}, {3, 4}});
  auto closed = Chain({{0, 0}, {3, 0}, {3, 4}, {0, 0}});
  struct Case {
    CGeCombCurve* comb;
    double len;
    int sub;
    double x, y;
  };
  const Case cases[] = {
      {open.get(), 0.0, 1, 0, 0},    {open.get(), 1.5, 1, 1.5, 0},  {open.get(), 3.0, 2, 3, 0},
      {open.get(), 7.0, 2, 3, 4},    {open.get(), 10.0, 2, 3, 4},   {open.get(), -1.0, 2, 3, 3},
      {closed.get(), 12.0, 1, 0, 0}, {closed.get(), 24.0, 1, 0, 0}, {closed.get(), 13.5, 1, 1.5, 0},
      {closed.get(), -2.5, 3, 1.5, 2},
  };
  for (const Case& c : cases) {
    double t = -1.0;
    unsigned seg = 0;
    ASSERT_EQ(c.comb->EvParam(c.len, t, seg), c.sub) << "len " << c.len;
    double p[2];
    c.comb->GetSubCurve(c.sub)->EvPos(t, p, seg);
    ExpectPoint(p, c.x, c.y, 1e-9);
  }
}

TEST_F(CombCurveTest, EvParamWithoutLengthFailsInsteadOfLooping) {
  CGeCombCurve empty;
  double t = 0.0;
  unsigned seg = 0;
  EXPECT_EQ(empty.EvParam(-5.0, t, seg), 0);
  auto point = Chain({{1, 1}, {1, 1}});
  EXPECT_EQ(point->EvParam(-5.0, t, seg), 0);
  EXPECT_EQ(point->EvParam(5.0, t, seg), 0);
}

TEST_F(CombCurveTest, EvArcLengthMeasuresInsideEachSubCurvesOwnSegments) {
  CGeCombCurve comb;
  comb.AddTail(Line(-5, 0, 0, 0), 0);  // length 5
  comb.AddTail(TwoSegmentPolyline(), 0);  // 1 + 2
  comb.AddTail(Line(1, 2, 1, 6), 0);   // length 4
  EXPECT_DOUBLE_EQ(comb.EvTotalArcLength(), 12.0);
  // Parameter 2.5 on the middle sub-curve: halfway along its second segment.
  EXPECT_DOUBLE_EQ(comb.EvArcLength(0.5, 1, 2.5, 2), 2.5 + 1.0 + 1.0);
  EXPECT_DOUBLE_EQ(comb.EvArcLength(0.5, 2, 2.5, 2), 2.0 - 0.5);
  EXPECT_DOUBLE_EQ(comb.EvArcLength(0.5, 2, 0.25, 3), 2.5 + 1.0);
  EXPECT_DOUBLE_EQ(comb.EvArcLength(0.5, 1, 0.5, 3), 2.5 + 3.0 + 2.0);
  EXPECT_DOUBLE_EQ(comb.EvArcLength(0.5, 0.5, 3u), 2.5 + 3.0 + 2.0);
  // Backwards or out of range: nothing.
  EXPECT_EQ(comb.EvArcLength(0.5, 3, 0.5, 1), 0.0);
  EXPECT_EQ(comb.EvArcLength(0.6, 1, 0.5, 1), 0.0);
  EXPECT_EQ(comb.EvArcLength(-0.1, 1, 0.5, 1), 0.0);
  EXPECT_EQ(comb.IsLongerThan(11.9), 1);
  EXPECT_EQ(comb.IsLongerThan(12.0), 0);
}

// A lone multi-segment sub-curve: the composite's length to a point inside it must be the
// sub-curve's own length to that point, whatever kind of curve carries the segments.
TEST_F(CombCurveTest, EvArcLengthIntoMultiSegmentSubCurvesMatchesTheirOwnLength) {
  const double nodes[7][2] = {{0, 0}, {1, 2}, {3, 2}, {4, 0}, {5, -3}, {7, -1}, {9, 1}};
  auto* bez = new CGeBezier;
  ASSERT_TRUE(bez->CreateEx(7, nodes));
  auto* loop = new CGeLoop;  // kept whole as one sub-curve: its segments are its members
  loop->AddTail(Line(0, 0, 3, 0), 0);
  loop->AddTail(Line(3, 0, 3, 4), 0);
  loop->AddTail(Line(3, 4, 0, 0), 0);
  CGeCurve* kinds[] = {bez, TwoSegmentPolyline(), loop};
  for (CGeCurve* sub : kinds) {
    SCOPED_TRACE(sub->GetType());
    // Independent answers from the sub-curve itself, measured from its start.
    const double toMid2 = sub->EvArcLength(0.0, 0.5, 2);
    const double toMid1 = sub->EvArcLength(0.0, 0.5, 1);
    const double total = sub->EvTotalArcLength();
    ASSERT_GT(toMid2, toMid1);
    CGeCombCurve comb;
    comb.AddTail(sub, 0);
    comb.AddTail(Line(50, 50, 53, 54), 0);  // length 5 after it
    EXPECT_NEAR(comb.EvArcLength(0.0, 1, 2.5, 1), toMid2, 1e-9);
    EXPECT_NEAR(comb.EvArcLength(0.5, 1, 2.5, 1), toMid2 - toMid1, 1e-9);
    EXPECT_NEAR(comb.EvArcLength(2.5, 1, 0.5, 2), total - toMid2 + 2.5, 1e-9);
  }
}

TEST_F(CombCurveTest, ScaleKeepsEntriesThatCannotAnswer) {
  CGeCombCurve comb;
  auto* arc = new CGeArc;
  const double c[2] = {0, 0};
  arc->CreateCSEAngle(c, 1.0, 0.0, std::numbers::pi / 2);
  arc->Discrete(0.01);
  CGeLine* line = Line(0, 1, -2, 1);
  comb.AddTail(arc, 0);
  comb.AddTail(line, 0);
  comb.Discrete(0.01);
  const double base[2] = {0, 0}, flat[2] = {0.0, 1.0};
  EXPECT_EQ(comb.Scale(base, flat), &comb);  // the arc cannot be flattened: it answers null
  ASSERT_EQ(comb.GetSegmentCount(), 2);
  EXPECT_EQ(comb.GetSubCurve(1), arc);
  double e[2];
  line->GetEndPoint(e);
  ExpectPoint(e, 0, 1);
  const double shear[2] = {0.5, 0.0};
  EXPECT_EQ(comb.Shift(base, shear), &comb);
  EXPECT_EQ(comb.GetSegmentCount(), 2);
}

TEST_F(CombCurveTest, TransformsReachEverySubCurve) {
  auto comb = Chain({{0, 0}, {2, 0}, {2, 1}});
  comb->Discrete(0.01);
  const double v[2] = {1, 1};
  comb->Translate(v);
  const double c[2] = {1, 1};
  comb->Rotate(c, std::numbers::pi / 2);
  const double p[2] = {0, 0}, d[2] = {1, 0};
  comb->Mirror(p, d);
  double s[2], e[2];
  comb->GetStartPoint(s);
  comb->GetEndPoint(e);
  ExpectPoint(s, 1, -1);
  ExpectPoint(e, 0, -3);
  _tagBox2D box;
  comb->GetBox2d(&box);
  EXPECT_NEAR(box.min[0], 0, 1e-9);
  EXPECT_NEAR(box.max[1], -1, 1e-9);
  // The joined buffer moved along with the pieces.
  ExpectPoint(comb->m_pSWPoint[0], 1, -1, 1e-6);
}

TEST_F(CombCurveTest, DiscreteJoinsBuffersWithoutRepeatedPoints) {
  auto comb = Chain({{0, 0}, {1, 0}, {1, 1}, {0.1, 1}});
  comb->Discrete(0.01);
  ASSERT_EQ(comb->m_nSWPoint, 4);
  ExpectPoint(comb->m_pSWPoint[3], static_cast<float>(0.1), 1);  // float-rounded
  EXPECT_NE(comb->m_pSWPoint[3][0], 0.1);
}

TEST_F(CombCurveTest, ReverseRunsTheChainBackwards) {
  auto comb = Chain({{0, 0}, {1, 0}, {1, 1}});
  comb->Discrete(0.01);
  comb->Reverse();
  double s[2], e[2];
  comb->GetStartPoint(s);
  comb->GetEndPoint(e);
  ExpectPoint(s, 1, 1);
  ExpectPoint(e, 0, 0);
  EXPECT_EQ(comb->IsLinked(), 1);
  ExpectPoint(comb->m_pSWPoint[0], 1, 1);
}

TEST_F(CombCurveTest, ReDirectionTurnsPiecesThatRunTheWrongWay) {
  CGeCombCurve comb;
  comb.AddTail(Line(0, 0, 1, 0), 0);
  comb.AddTail(Line(1, 1, 1, 0), 0);  // backwards
  comb.AddTail(Line(1, 1, 0, 1), 0);
  EXPECT_EQ(comb.IsLinked(), 0);
  comb.ReDirection();
  EXPECT_EQ(comb.IsLinked(), 1);
  EXPECT_EQ(comb.IsClosed(0.01), 0);
  comb.AddTail(Line(0, 1, 0, 0), 0);
  EXPECT_EQ(comb.IsClosed(0.01), 1);
}

TEST_F(CombCurveTest, SplitAtFirstEntryUnwrapsTheLonePiece) {
  auto comb = Chain({{0, 0}, {2, 0}, {2, 2}});
  CGeCurve* pieces[2] = {nullptr, nullptr};
  comb->Split(0.5, pieces, 1, 1);
  std::unique_ptr<CGeCurve> a(pieces[0]), b(pieces[1]);
  ASSERT_TRUE(a && b);
  EXPECT_EQ(a->GetType(), GE_TYPE_LINE);
  ASSERT_EQ(b->GetType(), GE_TYPE_COMBCURVE);
  EXPECT_EQ(static_cast<CGeCombCurve*>(b.get())->GetSegmentCount(), 2);
  double e[2], s[2];
  a->GetEndPoint(e);
  b->GetStartPoint(s);
  ExpectPoint(e, 1, 0);
  ExpectPoint(s, 1, 0);
  EXPECT_EQ(comb->GetSegmentCount(), 2);  // the source stays whole

  CGeCurve* none[2] = {nullptr, nullptr};
  comb->Split(0.5, none, 1, 3);
  EXPECT_EQ(none[0], nullptr);
  comb->SplitEx(1.5, none, 2);  // a line: t > 1 gives segment 1, parameter 0.5
  std::unique_ptr<CGeCurve> c(none[0]), d(none[1]);
  ASSERT_TRUE(c && d);
  EXPECT_EQ(c->GetType(), GE_TYPE_COMBCURVE);  // no unwrapping
  c->GetEndPoint(e);
  ExpectPoint(e, 2, 1);
}

TEST_F(CombCurveTest, NearestPointAndHitNameTheWinningSubCurve) {
  auto comb = Chain({{0, 0}, {4, 0}, {4, 4}});
  const double q[2] = {5, 3};
  double foot[2], t = 0, dist = 1e12;
  unsigned seg = 0;
  EXPECT_EQ(comb->GetNearestPoint(q, foot, t, seg, dist), 2);
  ExpectPoint(foot, 4, 3);
  EXPECT_NEAR(dist, 1.0, 1e-9);

  CPickRay ray;
  ray.m_b2D = 1;
  ray.m_ptOrigin[0] = 4.05;
  ray.m_ptOrigin[1] = 1.0;
  ray.m_dRadius = 0.1;
  CGeHitResult hit;
  ASSERT_EQ(comb->Hit(ray, hit), 1);
  EXPECT_EQ(hit.m_pCurve, comb->GetSubCurve(2));
  ray.m_dRadius = 0.04;
  EXPECT_EQ(comb->Hit(ray, hit), 0);
  ray.m_nTypeMask = GE_TYPE_LINE;  // composites not pickable
  EXPECT_EQ(comb->Pick(ray, 1), 0);
}

TEST_F(CombCurveTest, ArchiveRoundTripKeepsNestingNullsAndLoops) {
  CGeCombCurve comb;
  comb.m_nClosed = 1;
  comb.m_CurveList.AddTail(Line(0, 0, 1, 0));
  comb.m_CurveList.AddTail(static_cast<CGeCurve*>(nullptr));
  auto* nested = new CGeCombCurve;
  nested->m_CurveList.AddTail(Line(1, 0, 1, 1));
  nested->m_CurveList.AddTail(static_cast<CGeCurve*>(nullptr));
  auto* arc = new CGeArc;
  const double c[2] = {0, 1};
  arc->CreateCSEAngle(c, 1.0, 0.0, std::numbers::pi / 2);
  nested->m_CurveList.AddTail(arc);
  comb.m_CurveList.AddTail(nested);
  auto* loop = new CGeLoop;
  loop->AddTail(Line(0, 2, 0, 0), 0);
  loop->SetUsedFlag(1);
  comb.m_CurveList.AddTail(loop);

  std::unique_ptr<CObject> ob(Load(Stored(&comb)));
  auto* back = dynamic_cast<CGeCombCurve*>(ob.get());
  ASSERT_NE(back, nullptr);
  EXPECT_EQ(back->m_nClosed, 1);
  ASSERT_EQ(back->GetSegmentCount(), 4);
  POSITION pos = back->m_CurveList.GetHeadPosition();
  EXPECT_EQ(back->m_CurveList.GetNext(pos)->GetType(), GE_TYPE_LINE);
  EXPECT_EQ(back->m_CurveList.GetNext(pos), nullptr);
  auto* nb = dynamic_cast<CGeCombCurve*>(back->m_CurveList.GetNext(pos));
  auto* lb = dynamic_cast<CGeLoop*>(back->m_CurveList.GetNext(pos));
  ASSERT_TRUE(nb && lb);
  ASSERT_EQ(nb->GetSegmentCount(), 3);
  EXPECT_EQ(nb->GetSubCurve(2)->GetType(), GE_TYPE_ARC);
  EXPECT_EQ(lb->IsUsed(), 1);
  EXPECT_EQ(lb->m_nFlags, CGeLoop::kInitial | CGeLoop::kUsed);
  EXPECT_DOUBLE_EQ(back->EvTotalArcLength(), comb.EvTotalArcLength());
  EXPECT_GT(back->m_nSWPoint, 3);  // rediscretised on loading
  EXPECT_EQ(Stored(back), Stored(&comb));
}

TEST_F(CombCurveTest, ACompositeNestedNineHundredNinetyDeepLoadsLikeItsFlatChain) {
  // Each level holds the level below and one more line of a zigzag; the flat composite of the
  // same lines discretises to the same points.
  constexpr int kDepth = 990;
  auto zigzag = [](int k) { return Line(k, k % 2, k + 1, (k + 1) % 2); };
  auto nested = std::make_unique<CGeCombCurve>();
  nested->m_CurveList.AddTail(zigzag(0));
  CGeCombCurve flat;
  flat.m_CurveList.AddTail(zigzag(0));
  for (int k = 1; k < kDepth; ++k) {
    auto outer = std::make_unique<CGeCombCurve>();
    outer->m_CurveList.AddTail(nested.release());
    outer->m_CurveList.AddTail(zigzag(k));
    nested = std::move(outer);
    flat.m_CurveList.AddTail(zigzag(k));
  }
  flat.Discrete(gGetCurveDicTol());

  std::unique_ptr<CObject> ob(Load(Stored(nested.get())));
  auto* back = dynamic_cast<CGeCombCurve*>(ob.get());
  ASSERT_NE(back, nullptr);
  ASSERT_EQ(back->m_nSWPoint, flat.m_nSWPoint);
  ASSERT_EQ(back->m_nSWPoint, kDepth + 1);
  for (int i = 0; i < back->m_nSWPoint; ++i) {
    EXPECT_EQ(back->m_pSWPoint[i][0], flat.m_pSWPoint[i][0]) << i;
    EXPECT_EQ(back->m_pSWPoint[i][1], flat.m_pSWPoint[i][1]) << i;
  }
  EXPECT_EQ(back->m_box.min[0], 0.0);
  EXPECT_EQ(back->m_box.max[0], double(kDepth));
  EXPECT_EQ(back->m_box.min[1], 0.0);
  EXPECT_EQ(back->m_box.max[1], 1.0);
  // The innermost level holds its own points and box as well.
  CGeCombCurve* inner = back;
  while (auto* next = dynamic_cast<CGeCombCurve*>(inner->m_CurveList.GetHead())) inner = next;
  EXPECT_EQ(inner->m_nSWPoint, 2);
  EXPECT_EQ(inner->m_box.max[0], 1.0);
  EXPECT_DOUBLE_EQ(back->EvTotalArcLength(), flat.EvTotalArcLength());
}

TEST_F(CombCurveTest, LoadingRejectsCurvesOwnedTwice) {
  // A file that names one line twice, or a composite inside itself, would give one object
  // two owners.
  CGeCombCurve twice;
  CGeLine* shared = Line(0, 0, 1, 0);
  twice.m_CurveList.AddTail(shared);
  twice.m_CurveList.AddTail(shared);
  const std::vector<BYTE> twiceBytes = Stored(&twice);
  twice.m_CurveList.RemoveTail();
  EXPECT_THROW(delete Load(twiceBytes), CArchiveException);

  CGeCombCurve self;
  self.m_CurveList.AddTail(&self);
  const std::vector<BYTE> selfBytes = Stored(&self);
  self.m_CurveList.RemoveAll();
  EXPECT_THROW(delete Load(selfBytes), CArchiveException);

  // A count beyond what the file holds.
  CGeCombCurve one;
  one.AddTail(Line(0, 0, 1, 0), 0);
  std::vector<BYTE> bytes = Stored(&one);
  // The count sits after the class tag (6 + name length bytes) and the closed flag.
  const size_t countAt = 2 + 2 + 2 + std::strlen("CGeCombCurve") + 4;
  ASSERT_EQ(bytes[countAt], 1);
  bytes[countAt] = 0xFE;
  bytes[countAt + 1] = 0x7F;
  EXPECT_THROW(delete Load(bytes), CArchiveException);
}

}  // namespace
