// Loop chaining across dimensions and on input it cannot chain: planar curves chain into the
// same loops whether given as 2D curves or as 3D curves in the plane z = 0, and a tolerance
// that is no distance or curves with non-finite ends build nothing and leave the input alone.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <limits>
#include <random>
#include <vector>

#include "geometry/shapes2d/GeArc.h"
#include "geometry/shapes2d/GeLine.h"
#include "geometry/shapes2d/GeLoop.h"
#include "geometry/shapes3d/GeArc3d.h"
#include "geometry/shapes3d/GeLine3d.h"
#include "geometry/shapes3d/GeLoop3d.h"
#include "geometry/tools/GeTool2D.h"
#include "geometry/tools/GeTool3D.h"
#include "support/VurodeFixture.h"

namespace {

using P = std::array<double, 2>;

// One planar curve given to both chainers: a line, or an arc through three points.
struct Seg {
  P a, b;
  bool arc = false;
  P mid{};
};

struct Lists {
  CGeCurveList c2;
  CGeCurve3dList c3;
  CGeLoopList l2;
  CGeLoop3dList l3;
  ~Lists() {
    while (!c2.IsEmpty()) delete c2.RemoveHead();
    while (!c3.IsEmpty()) delete c3.RemoveHead();
    while (!l2.IsEmpty()) delete l2.RemoveHead();
    geDelLoop3dList(&l3);
  }
  void Add(const Seg& s) {
    const double a3[3] = {s.a[0], s.a[1], 0}, b3[3] = {s.b[0], s.b[1], 0};
    if (!s.arc) {
      c2.AddTail(new CGeLine(s.a.data(), s.b.data()));
      c3.AddTail(new CGeLine3d(a3, b3));
      return;
    }
    const double m3[3] = {s.mid[0], s.mid[1], 0};
    auto* arc = new CGeArc;
    ASSERT_EQ(arc->Create3Pnt(s.a.data(), s.mid.data(), s.b.data()), 1);
    c2.AddTail(arc);
    auto* arc3 = new CGeArc3d;
    ASSERT_EQ(arc3->Create3Pnt(a3, m3, b3), 1);
    arc3->DiscreteMe(0.001);  // a 3D curve's box comes from its point string
    c3.AddTail(arc3);
  }
};

// Start points of every member of every loop, in loop and chain order.
std::vector<std::vector<P>> Starts(CGeLoopList& loops) {
  std::vector<std::vector<P>> out;
  for (POSITION pos = loops.GetHeadPosition(); pos;) {
    CGeLoop* l = loops.GetNext(pos);
    out.emplace_back();
    for (int k = 1; k <= l->GetSegmentCount(); ++k) {
      double p[2];
      l->GetSubCurve(k)->GetStartPoint(p);
      out.back().push_back({p[0], p[1]});
    }
  }
  return out;
}

std::vector<std::vector<P>> Starts(CGeLoop3dList& loops) {
  std::vector<std::vector<P>> out;
  for (POSITION pos = loops.GetHeadPosition(); pos;) {
    CGeLoop3d* l = loops.GetNext(pos);
    out.emplace_back();
    for (POSITION cp = l->m_CurveList.GetHeadPosition(); cp;) {
      double p[3];
      l->m_CurveList.GetNext(cp)->GetStartPoint(p);
      EXPECT_EQ(p[2], 0.0);
      out.back().push_back({p[0], p[1]});
    }
  }
  return out;
}

void ExpectSameLoops(Lists& l) {
  const auto a = Starts(l.l2), b = Starts(l.l3);
  ASSERT_EQ(a.size(), b.size());
  for (size_t i = 0; i < a.size(); ++i) {
    ASSERT_EQ(a[i].size(), b[i].size()) << "loop " << i;
    for (size_t k = 0; k < a[i].size(); ++k) {
      EXPECT_NEAR(a[i][k][0], b[i][k][0], 1e-9) << "loop " << i << " member " << k;
      EXPECT_NEAR(a[i][k][1], b[i][k][1], 1e-9) << "loop " << i << " member " << k;
    }
  }
}

class ChainAcrossDimensions : public VurodeTest {};

TEST_F(ChainAcrossDimensions, LatticeJunctionsPickTheSameContinuations) {
  // Closed loops only: without closedOnly the 3D chaining does not stop where a chain closes
  // and does not turn an open chain back after its second dead end, so only closed loops are
  // comparable member by member.
  std::mt19937 rng(11);
  int built = 0;
  for (int round = 0; round < 20; ++round) {
    Lists l;
    for (int i = 0; i < 50; ++i) {
      const P a{double(rng() % 4), double(rng() % 4)}, b{double(rng() % 4), double(rng() % 4)};
      if (a != b) l.Add({a, b});
    }
    CGeTool2D().ReCreateLoop(&l.c2, &l.l2, 0.001, true, true);
    CGeTool3D().ReCreateLoop3d(&l.c3, &l.l3, 0.001, true);
    SCOPED_TRACE(round);
    ExpectSameLoops(l);
    built += static_cast<int>(l.l2.GetCount());
  }
  EXPECT_GT(built, 20) << "the lattices should close many loops";
}

TEST_F(ChainAcrossDimensions, ScrambledSlotsAndPolygonsChainAlike) {
  // Two slots (lines and half circles) and a triangle, shuffled and partly reversed. Closed
  // loops only, as above: without closedOnly the 3D chaining goes on past the closing point.
  std::vector<Seg> segs = {
      {{0, 0}, {6, 0}},           {{6, 0}, {6, 4}, true, {8, 2}}, {{6, 4}, {0, 4}},
      {{0, 4}, {0, 0}, true, {-2, 2}}, {{10, 0}, {14, 0}},        {{14, 0}, {14, 2}, true, {15, 1}},
      {{14, 2}, {10, 2}},         {{10, 2}, {10, 0}, true, {9, 1}}, {{20, 0}, {25, 0}},
      {{25, 0}, {22, 3}},         {{22, 3}, {20, 0}}};
  for (unsigned seed : {1u, 2u, 3u}) {
    std::mt19937 rng(seed);
    std::shuffle(segs.begin(), segs.end(), rng);
    Lists l;
    for (Seg s : segs) {
      if (rng() % 2) std::swap(s.a, s.b);
      l.Add(s);
    }
    SCOPED_TRACE(testing::Message() << "seed " << seed);
    CGeTool2D().ReCreateLoop(&l.c2, &l.l2, 0.001, true, true);
    CGeTool3D().ReCreateLoop3d(&l.c3, &l.l3, 0.001, true);
    EXPECT_EQ(l.l2.GetCount(), 3);
    ExpectSameLoops(l);
  }
}

// ---- input that cannot be chained ----

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

void AddSquare(Lists& l, double x) {
  const P c[4] = {{x, 0}, {x + 4, 0}, {x + 4, 4}, {x, 4}};
  for (int i = 0; i < 4; ++i) l.Add({c[i], c[(i + 1) % 4]});
}

template <class List>
std::vector<void*> Pointers(List& list) {
  std::vector<void*> v;
  for (POSITION pos = list.GetHeadPosition(); pos;) v.push_back(list.GetNext(pos));
  return v;
}

class ChainInput : public VurodeTest {};

TEST_F(ChainInput, ToleranceThatIsNoDistanceBuildsNothing) {
  // Before the check, NaN split the square into four open "loops".
  for (double tol : {kNaN, -0.001, -kInf, kInf}) {
    for (int call = 0; call < 4; ++call) {
      SCOPED_TRACE(testing::Message() << "tol " << tol << " call " << call);
      Lists l;
      AddSquare(l, 0);
      const auto before2 = Pointers(l.c2);
      const auto before3 = Pointers(l.c3);
      switch (call) {
        case 0: CGeTool2D().ReCreateLoop(&l.c2, &l.l2, tol, false, true); break;
        case 1: CGeTool2D().ReCreateLoop(&l.c2, &l.l2, tol, false, false); break;
        case 2: CGeTool2D().ReCreateLoopInSelfDir(&l.c2, &l.l2, tol, false); break;
        case 3: CGeTool3D().ReCreateLoop3d(&l.c3, &l.l3, tol, false); break;
      }
      EXPECT_TRUE(l.l2.IsEmpty());
      EXPECT_TRUE(l.l3.IsEmpty());
      EXPECT_EQ(Pointers(l.c2), before2) << "the caller's curves stay where they were";
      EXPECT_EQ(Pointers(l.c3), before3);
    }
  }
}

TEST_F(ChainInput, NonFiniteEndPointsBuildNothing) {
  for (const P bad : {P{kNaN, 0}, P{0, kInf}, P{-kInf, kNaN}}) {
    for (int call = 0; call < 4; ++call) {
      SCOPED_TRACE(testing::Message() << "call " << call);
      Lists l;
      AddSquare(l, 0);
      l.Add({{4, 4}, bad});
      AddSquare(l, 10);
      const auto before2 = Pointers(l.c2);
      switch (call) {
        case 0: CGeTool2D().ReCreateLoop(&l.c2, &l.l2, 0.001, false, true); break;
        case 1: CGeTool2D().ReCreateLoop(&l.c2, &l.l2, 0.001, false, false); break;
        case 2: CGeTool2D().ReCreateLoopInSelfDir(&l.c2, &l.l2, 0.001, false); break;
        case 3: CGeTool3D().ReCreateLoop3d(&l.c3, &l.l3, 0.001, false); break;
      }
      EXPECT_TRUE(l.l2.IsEmpty());
      EXPECT_TRUE(l.l3.IsEmpty());
      EXPECT_EQ(Pointers(l.c2), before2);
      EXPECT_EQ(l.c3.GetCount(), 9);
    }
  }
}

TEST_F(ChainInput, ZeroToleranceStillChainsExactEnds) {
  Lists l;
  AddSquare(l, 0);
  CGeTool2D().ReCreateLoop(&l.c2, &l.l2, 0.0, false, true);
  CGeTool3D().ReCreateLoop3d(&l.c3, &l.l3, 0.0, false);
  ASSERT_EQ(l.l2.GetCount(), 1);
  ASSERT_EQ(l.l3.GetCount(), 1);
  EXPECT_EQ(l.l2.GetHead()->GetSegmentCount(), 4);
  EXPECT_EQ(l.l3.GetHead()->m_CurveList.GetCount(), 4);
}

}  // namespace
