// Chains and groups of path entities: codes, linking order, smart-curve conversion, ownership.
#include "millvane/loops/PathCombine.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <vector>
#include <numbers>

#include "geometry/shapes3d/GeCombCurve3d.h"
#include "millvane/loops/SmartCurve.h"
#include "millvane/loops/PathEntity.h"
#include "millvane/paths/PathGroup.h"
#include "support/VurodeFixture.h"

namespace {

CPathLine3D* Line(double x0, double y0, double x1, double y1, double z = 0) {
  const double s[3] = {x0, y0, z}, e[3] = {x1, y1, z};
  return new CPathLine3D(s, e);
}

std::vector<CPathEntity*> Forward(const CPathCombine& c) {
  std::vector<CPathEntity*> v;
  for (CPathEntity* e = c.head; e; e = e->next) v.push_back(e);
  return v;
}

// Links agree both ways and the ends are the chain's head and tail.
void ExpectConsistent(const CPathCombine& c) {
  std::vector<CPathEntity*> fwd = Forward(c), back;
  for (CPathEntity* e = c.tail; e; e = e->prev) back.push_back(e);
  std::reverse(back.begin(), back.end());
  EXPECT_EQ(fwd, back);
  if (!fwd.empty()) {
    EXPECT_EQ(c.head->prev, nullptr);
    EXPECT_EQ(c.tail->next, nullptr);
  }
}

// Every entity starts where the previous one ended.
void ExpectChained(const CPathCombine& c, double tol = 1e-9) {
  for (CPathEntity* e = c.head; e && e->next; e = e->next) {
    double a[3], b[3];
    ASSERT_EQ(e->GetEndPoint(1, a), 1);
    ASSERT_EQ(e->next->GetEndPoint(0, b), 1);
    EXPECT_NEAR(a[0], b[0], tol);
    EXPECT_NEAR(a[1], b[1], tol);
    EXPECT_NEAR(a[2], b[2], tol);
  }
}

class PathCombineTest : public VurodeTest {};

}  // namespace

TEST_F(PathCombineTest, AppendedEntitiesTakeTheChainsCode) {
  struct Case {
    uint16_t op;
    uint8_t code;
  };
  const Case cases[] = {{1, 9}, {2, 7}, {3, 8}, {4, 2}, {5, 3}, {6, 3}, {7, 8},
                        {8, 8}, {9, 8}, {10, 8}, {0, 255}, {11, 255}, {300, 255}};
  for (const Case& k : cases) {
    CPathCombine chain(k.op);
    chain.AddTail(Line(0, 0, 1, 0));
    CPathEntity* preset = Line(1, 0, 2, 0);
    preset->code = 42;
    chain.InsertAfter(preset, chain.head);
    chain.InsertAfter(Line(-1, 0, 0, 0), nullptr);
    EXPECT_EQ(chain.head->code, k.code) << k.op;
    EXPECT_EQ(chain.head->next->code, k.code) << k.op;
    EXPECT_EQ(preset->code, 42);
  }
}

TEST_F(PathCombineTest, InsertKeepsOrderAndLinks) {
  CPathCombine chain(1);
  chain.AddTail(nullptr);
  chain.InsertAfter(nullptr, nullptr);
  EXPECT_EQ(chain.head, nullptr);
  CPathEntity* b = Line(1, 0, 2, 0);
  chain.InsertAfter(b, nullptr);  // empty chain: same as appending
  CPathEntity* d = Line(3, 0, 4, 0);
  chain.AddTail(d);
  CPathEntity* c = Line(2, 0, 3, 0);
  chain.InsertAfter(c, b);
  CPathEntity* a = Line(0, 0, 1, 0);
  chain.InsertAfter(a, nullptr);
  CPathEntity* e = Line(4, 0, 5, 0);
  chain.InsertAfter(e, d);
  EXPECT_EQ(Forward(chain), (std::vector<CPathEntity*>{a, b, c, d, e}));
  EXPECT_EQ(chain.tail, e);
  ExpectConsistent(chain);
  ExpectChained(chain);

  chain.Rotate(std::numbers::pi / 2);
  double p[3];
  chain.tail->GetEndPoint(1, p);
  EXPECT_NEAR(p[0], 0, 1e-12);
  EXPECT_NEAR(p[1], 5, 1e-12);
}

// 10000 unit lines: buffers of 4000 points flush as polylines that share their seam points.
TEST_F(PathCombineTest, LongSmartCurveBecomesChainedPolylines) {
  auto* curve = new CSmartCurve;
  for (int i = 0; i < 10000; ++i) {
    const double s[2] = {double(i), double(i % 2)}, e[2] = {double(i + 1), double((i + 1) % 2)};
    curve->AppendSect(new CSmartLine(s, e));
  }
  CPathCombine chain(4);
  ASSERT_EQ(chain.AppendSmartCurve(curve, 1, 2.5), 1);
  std::vector<int> counts;
  for (CPathEntity* e : Forward(chain)) {
    ASSERT_EQ(e->GetType(), kPathPLine);
    EXPECT_EQ(e->code, 2);
    counts.push_back(static_cast<CPathPLine3D*>(e)->count);
  }
  EXPECT_EQ(counts, (std::vector<int>{3999, 3999, 2002}));
  ExpectChained(chain);
  double p[3];
  chain.tail->GetEndPoint(1, p);
  EXPECT_EQ(p[0], 10000);
  EXPECT_EQ(p[2], 2.5);
}

// A nearly straight arc joins the polyline; a real arc splits it and goes out as an arc.
TEST_F(PathCombineTest, SmartCurveArcsBecomeArcsUnlessNearlyStraight) {
  CSmartCurve curve;
  const double p0[2] = {0, 0}, p1[2] = {10, 0};
  curve.AppendSect(new CSmartLine(p0, p1));
  // Sweep 0.004 at radius 5: sagitta 1e-5, one chord.
  const double c1[2] = {10, 5};
  curve.AppendSect(new CSmartArc(c1, 5.0, -std::numbers::pi / 2, -std::numbers::pi / 2 + 0.004));
  double q[2];
  curve.tail->EvPoint(1.0, q);
  const double c2[2] = {q[0], q[1] + 3};
  curve.AppendSect(new CSmartArc(c2, 3.0, -std::numbers::pi / 2, 0.0));
  curve.tail->EvPoint(1.0, q);
  const double q2[2] = {q[0], q[1] + 4};
  curve.AppendSect(new CSmartLine(q, q2));

  CPathCombine chain(2);
  ASSERT_EQ(chain.AppendSmartCurve(&curve, 0, -1.0), 1);
  std::vector<CPathEntity*> ents = Forward(chain);
  ASSERT_EQ(ents.size(), 3u);
  EXPECT_EQ(ents[0]->GetType(), kPathPLine);
  EXPECT_EQ(static_cast<CPathPLine3D*>(ents[0])->count, 2);
  ASSERT_EQ(ents[1]->GetType(), kPathArc);
  auto* arc = static_cast<CPathArc3D*>(ents[1]);
  EXPECT_EQ(arc->radius, 3.0);
  EXPECT_EQ(arc->centre[2], -1.0);
  EXPECT_EQ(arc->rise, 0.0);
  EXPECT_EQ(arc->plane, kArcXY);
  EXPECT_EQ(ents[2]->GetType(), kPathPLine);
  for (CPathEntity* e : ents) EXPECT_EQ(e->code, 7);
  ExpectChained(chain, 1e-9);
  EXPECT_NE(curve.head, nullptr);  // not handed over
}

TEST_F(PathCombineTest, NullAndEmptyCurvesAddNothing) {
  CPathCombine chain(1);
  EXPECT_EQ(chain.AppendSmartCurve(nullptr, 1, 0), 0);
  EXPECT_EQ(chain.AppendSmartCurve(new CSmartCurve, 1, 0), 0);  // freed (leak check)
  CSmartCurve kept;
  EXPECT_EQ(chain.AppendSmartCurve(&kept, 0, 0), 0);
  EXPECT_EQ(chain.head, nullptr);
}

TEST_F(PathCombineTest, GroupTakesChainsLowersThemAndFreesThem) {
  CPathGroup group;
  EXPECT_EQ(group.kind, 302);
  EXPECT_EQ(group.word0, -1);
  EXPECT_EQ(group.word1, 9);
  EXPECT_EQ(group.word2, 1);
  EXPECT_EQ(group.word3, 0);
  EXPECT_EQ(group.value1[1], -1.0);
  EXPECT_EQ(group.value2[5], -1.0);

  auto* c1 = new CPathCombine(1);
  c1->AddTail(Line(0, 0, 1, 0, 5));
  group.AppendChains(c1, 0.0);
  group.AppendChains(nullptr, 3.0);
  auto* c2 = new CPathCombine(2);
  auto* c3 = new CPathCombine(3);
  c2->AddTail(Line(0, 0, 1, 0, 5));
  const double cc[3] = {0, 0, 5};
  c3->AddTail(new CPathArc3D(cc, 1, 0, 1));
  c2->next = c3;
  group.AppendChains(c2, 2.0);
  EXPECT_EQ(group.head, c1);
  EXPECT_EQ(c1->next, c2);
  EXPECT_EQ(group.tail, c3);
  double p[3];
  c1->head->GetEndPoint(0, p);
  EXPECT_EQ(p[2], 5);
  c2->head->GetEndPoint(1, p);
  EXPECT_EQ(p[2], 3);
  c3->head->GetEndPoint(0, p);
  EXPECT_EQ(p[2], 3);

  InitPathGroup(group, 300);  // presets only: the chains stay
  EXPECT_EQ(group.kind, 300);
  EXPECT_EQ(group.head, c1);
  group.FreeContents();
  EXPECT_EQ(group.head, nullptr);
  EXPECT_EQ(group.tail, nullptr);

  // A group going out of scope frees what it still holds (leak check).
  CPathGroup scoped(300);
  auto* c4 = new CPathCombine(5);
  c4->AddTail(Line(0, 0, 1, 1));
  scoped.AppendChains(c4, 0.0);
}

TEST_F(PathCombineTest, ChainConvertsToALinkedCompositeCurve) {
  CPathCombine chain(1);
  EXPECT_EQ(chain.ToCombCurve3d(), nullptr);
  CPathCombine hollow(1);
  hollow.AddTail(new CPathPLine3D);  // converts to nothing
  EXPECT_EQ(hollow.ToCombCurve3d(), nullptr);
  chain.AddTail(Line(0, 0, 2, 0, 1));
  const double c[3] = {2, 1, 1};
  chain.AddTail(new CPathArc3D(c, 1.0, -std::numbers::pi / 2, 0.0));
  auto* pl = new CPathPLine3D;
  const double pts[3][3] = {{3, 1, 1}, {3, 4, 1}, {0, 4, 0}};
  pl->SetPoints(2, pts);
  chain.AddTail(pl);
  ExpectChained(chain, 1e-12);
  std::unique_ptr<CGeCombCurve3d> comb(chain.ToCombCurve3d());
  ASSERT_TRUE(comb);
  EXPECT_EQ(comb->m_CurveList.GetCount(), 3);
  EXPECT_TRUE(comb->IsLinked(1e-9));
  EXPECT_EQ(Forward(chain).size(), 3u);  // the chain itself is unchanged
}
