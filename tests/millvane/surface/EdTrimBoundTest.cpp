#include "millvane/surface/EdTrimBound.h"

#include <array>
#include <memory>

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <set>
#include <tuple>
#include <vector>

#include "platform/numora/Inter.h"

namespace {

std::unique_ptr<CEdTrimBound> Make(std::vector<std::array<double, 2>> pts, int kind = 1) {
  auto b = std::make_unique<CEdTrimBound>();
  b->SetPoints(reinterpret_cast<const double(*)[2]>(pts.data()), int(pts.size()));
  b->m_nKind = kind;
  b->CalcBox();
  return b;
}

std::vector<std::array<double, 3>> Crossings(const CEdTrimBound& b) {
  std::vector<std::array<double, 3>> out;
  for (EdBndIntPoint* p = b.m_pIntHead; p; p = p->next) out.push_back({p->p[0], p->p[1], p->p[2]});
  return out;
}

// All-pairs reference of the crossing search, without any box pruning.
std::vector<std::array<double, 3>> BruteCrossings(const CEdTrimBound& a, const CEdTrimBound& b) {
  std::vector<std::array<double, 3>> out;
  auto frac = [](const double* p0, const double* p1, const double* p) {
    const double du = p1[0] - p0[0], dv = p1[1] - p0[1];
    return std::fabs(du) > std::fabs(dv) ? (p[0] - p0[0]) / du : (p[1] - p0[1]) / dv;
  };
  for (int i = 0; i < a.m_nLast; ++i)
    for (int j = 0; j < b.m_nLast; ++j) {
      double p[2];
      if (Inter_LineLineEx(a.m_pPoints[i], a.m_pPoints[i + 1], b.m_pPoints[j], b.m_pPoints[j + 1],
                           1e-12, 1e-8, p) != INTER_POINT)
        continue;
      const double fa = frac(a.m_pPoints[i], a.m_pPoints[i + 1], p);
      const double fb = frac(b.m_pPoints[j], b.m_pPoints[j + 1], p);
      if (fa < -1e-8 || fa > 1.00000001 || fb < -1e-8 || fb > 1.00000001) continue;
      out.push_back({p[0], p[1], i + fa});
    }
  return out;
}

TEST(EdTrimBound, CrossingOnAVertexIsRecordedOnce) {
  auto b = Make({{0, 0}, {1, 0}, {2, 0}});
  const double p[3] = {1, 0, 1.0};
  EXPECT_EQ(b->AddIntPoint(p), 1);
  const double q[3] = {1 + 5e-8, 0, 1.0 + 5e-7};
  EXPECT_EQ(b->AddIntPoint(q), 0);
  const double r[3] = {0.5, 0, 0.5};
  EXPECT_EQ(b->AddIntPoint(r), 1);
  const double far[3] = {2, 0, 7.0};  // clamped onto the last vertex
  EXPECT_EQ(b->AddIntPoint(far), 1);
  auto c = Crossings(*b);
  ASSERT_EQ(c.size(), 3u);
  EXPECT_DOUBLE_EQ(c[0][2], 0.5);
  EXPECT_DOUBLE_EQ(c[1][2], 1.0);
  EXPECT_DOUBLE_EQ(c[2][2], 2.0);
  EXPECT_EQ(b->m_pIntTail->p[2], 2.0);
}

TEST(EdTrimBound, BoundaryReceivesCrossingsOnlyWhenForced) {
  for (bool force : {false, true}) {
    auto edge = Make({{0, 0}, {1, 0}}, 0);
    auto cut = Make({{0.3, -0.5}, {0.3, 0.5}}, 1);
    EXPECT_EQ(edge->BoundBoundInt(*cut, force), 1);
    EXPECT_EQ(edge->CountIntPoints(), force ? 1 : 0);
    ASSERT_EQ(cut->CountIntPoints(), 1);
    EXPECT_NEAR(cut->m_pIntHead->p[2], 0.5, 1e-12);
    EXPECT_NEAR(cut->m_pIntHead->p[0], 0.3, 1e-12);
  }
}

TEST(EdTrimBound, PrunedCrossingSearchMatchesAllPairs) {
  std::mt19937 rng(7);
  std::uniform_real_distribution<double> d(0.0, 1.0);
  for (int trial = 0; trial < 20; ++trial) {
    std::vector<std::array<double, 2>> pa, pb;
    for (int i = 0; i < 60; ++i) pa.push_back({d(rng), d(rng)});
    for (int i = 0; i < 45; ++i) pb.push_back({d(rng), d(rng)});
    auto a = Make(pa), b = Make(pb);
    a->BoundBoundInt(*b, false);
    auto expect = BruteCrossings(*a, *b);
    // The bound keeps its crossings sorted and merged; apply the same to the reference.
    auto ref = Make(pa);
    for (auto& e : expect) ref->AddIntPoint(e.data());
    auto got = Crossings(*a), want = Crossings(*ref);
    ASSERT_EQ(got.size(), want.size()) << "trial " << trial;
    for (size_t k = 0; k < got.size(); ++k)
      for (int c = 0; c < 3; ++c) EXPECT_EQ(got[k][size_t(c)], want[k][size_t(c)]);
    EXPECT_GT(got.size(), 10u);
  }
}

TEST(EdTrimBound, BreakBoundCutsAtCrossingsAndEnds) {
  auto b = Make({{0, 0}, {1, 0}, {2, 0}, {3, 0}});
  const double c1[3] = {0.5, 0, 0.5}, c2[3] = {2.25, 0, 2.25};
  b->AddIntPoint(c1);
  b->AddIntPoint(c2);
  b->m_nKeep = 1;
  CEdTrimBound* pieces = b->BreakBound(false);
  std::vector<std::vector<double>> us;
  for (CEdTrimBound* p = pieces; p; p = p->m_pNext) {
    std::vector<double> u;
    for (int i = 0; i <= p->m_nLast; ++i) {
      u.push_back(p->m_pPoints[i][0]);
      EXPECT_EQ(p->m_pPoints[i][2], double(i));
    }
    EXPECT_EQ(p->m_nKeep, 1);
    us.push_back(u);
  }
  // A crossing on a vertex stands in for the vertex: no piece starts with a zero-length
  // segment.
  const std::vector<std::vector<double>> want{{0, 0.5}, {0.5, 1, 2, 2.25}, {2.25, 3}};
  EXPECT_EQ(us, want);
  while (pieces) {
    CEdTrimBound* n = pieces->m_pNext;
    delete pieces;
    pieces = n;
  }
  // A piece whose crossings lie within one segment has two points.
  const double a[3] = {1.2, 0, 1.2}, e[3] = {1.7, 0, 1.7};
  std::unique_ptr<CEdTrimBound> sub(b->GetSubBound(a, e, false));
  ASSERT_TRUE(sub);
  EXPECT_EQ(sub->m_nLast, 1);
}

TEST(EdTrimBound, RefineDropsCollinearVerticesAndReverseFlipsKeep) {
  auto b = Make({{0, 0}, {0.25, 0}, {0.5, 1e-9}, {1, 0}, {1, 1}});
  b->Refine(1e-6);
  ASSERT_EQ(b->m_nLast, 2);
  EXPECT_EQ(b->m_pPoints[1][0], 1.0);
  EXPECT_EQ(b->m_pPoints[2][1], 1.0);
  b->m_nKeep = 0;
  b->ReverseDirect();
  EXPECT_EQ(b->m_nKeep, 1);
  EXPECT_EQ(b->m_pPoints[0][1], 1.0);
  EXPECT_EQ(b->m_pPoints[0][2], 0.0);
  std::unique_ptr<CEdTrimBound> c(b->CopyMyself());
  c->m_pPoints[0][0] = 99;  // an independent copy
  EXPECT_EQ(b->m_pPoints[0][0], 1.0);
}

TEST(EdTrimBound, SelfCrossingIsRecordedAtBothPlaces) {
  auto b = Make({{0, 0}, {1, 1}, {1, 0}, {0, 1}});
  EXPECT_EQ(b->BoundSelfInt(), 1);
  auto c = Crossings(*b);
  ASSERT_EQ(c.size(), 2u);
  EXPECT_NEAR(c[0][2], 0.5, 1e-12);
  EXPECT_NEAR(c[1][2], 2.5, 1e-12);
}

TEST(EdTrimBound, TangentsEndsAndLength) {
  auto b = Make({{0, 0}, {3, 4}, {3, 0}});
  double pt[2], dir[2], s[2], e[2];
  ASSERT_EQ(b->GetTangent(0, pt, dir), 1);
  EXPECT_NEAR(dir[0], 0.6, 1e-12);
  ASSERT_EQ(b->GetTangent(1, pt, dir), 1);
  EXPECT_NEAR(dir[1], -1.0, 1e-12);
  EXPECT_EQ(pt[0], 3.0);
  ASSERT_EQ(b->GetEndPoint(s, e), 1);
  EXPECT_DOUBLE_EQ(b->GetLength(), 9.0);
  CEdTrimBound empty;
  EXPECT_EQ(empty.GetTangent(0, pt, dir), 0);
  EXPECT_EQ(empty.GetLength(), 0.0);
  EXPECT_EQ(empty.GetEndPoint(s, e), 0);
}

}  // namespace

#include "millvane/surface/EdTrimSurf.h"
#include "tests/millvane/surface/EditorFixture.h"

namespace {

TEST(EdTrimBound, ExtensionOfDanglingEnds) {
  auto ts = edt::Untrimmed(edt::Plane());
  CEdTrimSurf ed;
  ed.InitSurfBound(ts.get());
  // Ends inside the domain are extended; an end on the boundary or outside is not.
  auto b = Make({{0.4, 0.2}, {0.4, 0.5}, {0.4, 1.3}});
  bool s = false, e = false;
  b->GetExTendFlag(s, e, &ed);
  EXPECT_TRUE(s);
  EXPECT_FALSE(e);
  ASSERT_EQ(b->ExtendBoundBegin(&ed), 1);
  EXPECT_EQ(b->m_nLast, 3);
  EXPECT_EQ(b->m_nKind, 2);
  EXPECT_EQ(b->m_nExtMask, 1);
  EXPECT_NEAR(b->m_pPoints[0][1], 0.5 - std::sqrt(2.0), 1e-12);
  ASSERT_EQ(b->CountIntPoints(), 1);
  EXPECT_EQ(b->m_pIntHead->p[2], 1.0);
  // Crossings on the extension: only the one nearest the old end survives.
  const double far[3] = {0.4, -0.5, 0.5}, edge[3] = {0.4, 0.0, 0.8}, top[3] = {0.4, 1.0, 2.5};
  b->AddIntPoint(far);
  b->AddIntPoint(edge);
  b->AddIntPoint(top);
  b->TrimIntBound();
  auto c = Crossings(*b);
  ASSERT_EQ(c.size(), 3u);
  EXPECT_EQ(c[0][2], 0.8);
  EXPECT_EQ(c[1][2], 1.0);
  // A closed curve is not extended: its start is put onto its end.
  auto ring = Make({{0.2, 0.2}, {0.6, 0.2}, {0.4, 0.6}, {0.205, 0.2}});
  EXPECT_EQ(ring->ExtendBoundEnd(&ed), 0);
  EXPECT_EQ(ring->m_nLast, 3);
  EXPECT_EQ(ring->m_pPoints[0][0], 0.205);
  EXPECT_EQ(b->ExtendBoundEnd(nullptr), 0);
}

TEST(EdTrimBound, SnappingJoinsNearEndsOnly) {
  auto ts = edt::Untrimmed(edt::Plane());
  CEdTrimSurf ed;
  ed.InitSurfBound(ts.get());
  CEdTrimBound* pool[3] = {Make({{0.1, 0.1}, {0.5, 0.5}}).release(),
                           Make({{0.51, 0.5}, {0.9, 0.1}}).release(),
                           Make({{0.1, 0.9}, {0.3, 0.9}}).release()};
  for (int i = 0; i < 3; ++i) {
    pool[i]->m_nId = i + 1;
    pool[i]->m_pNext = i < 2 ? pool[i + 1] : nullptr;
  }
  ed.PretreatBnd(pool[0], 0.08);
  EXPECT_EQ(pool[1]->m_pPoints[0][0], 0.5) << "start moved onto the first piece's end";
  EXPECT_EQ(pool[1]->m_bStartMoved, 1);
  EXPECT_EQ(pool[0]->m_bEndMoved, 1);
  EXPECT_EQ(pool[2]->m_pPoints[0][0], 0.1);
  EXPECT_EQ(pool[2]->m_bStartMoved + pool[2]->m_bEndMoved, 0);
  int ia = 0, ib = 0;
  ed.IsLink(pool[0]->m_pPoints[0], pool[0]->m_pPoints[1], pool[2]->m_pPoints[0],
            pool[2]->m_pPoints[1], 0.9, 0.9, ia, ib);
  EXPECT_EQ(ia, 1);
  EXPECT_EQ(ib, 1) << "(0.5, 0.5)-(0.3, 0.9) is the nearest pair";
  for (auto* p : pool) delete p;
  const double p[3] = {0.3, 0.7, 2.0};
  double q[3], u = 1e12, v = 1e12;
  ASSERT_EQ(ed.SnapPoint(p, q, u, v), 1);
  EXPECT_NEAR(u, 0.3, 1e-6);
  EXPECT_NEAR(v, 0.7, 1e-6);
}

}  // namespace
