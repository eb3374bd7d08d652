// Loops and chains: doubled signed area, orientation, containment, copies, the child tree,
// and the cut / split / re-chain steps everything else is built on.
#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <numbers>

#include "tests/millvane/LoopTestUtil.h"

using namespace looptest;

namespace {

// A slot: two half circles joined by lines (counter-clockwise).
CSmartLoop* Slot(double len, double r) {
  auto* c = new CSmartCurve;
  const double a[2] = {0, -r}, b[2] = {len, -r}, cr[2] = {len, 0}, d[2] = {len, r}, e[2] = {0, r},
               cl[2] = {0, 0};
  c->AppendSect(new CSmartLine(a, b));
  c->AppendSect(new CSmartArc(cr, r, -std::numbers::pi / 2, std::numbers::pi / 2));
  c->AppendSect(new CSmartLine(d, e));
  c->AppendSect(new CSmartArc(cl, r, std::numbers::pi / 2, 1.5 * std::numbers::pi));
  auto* l = new CSmartLoop;
  l->UpdateSect(c);
  return l;
}

// A star with an arc bulging out of one edge: concave corners, vertices on shared rows.
CSmartLoop* Star() {
  Pts p;
  for (int i = 0; i < 10; ++i) {
    const double r = i % 2 ? 2.0 : 5.0, a = std::numbers::pi / 2 + i * std::numbers::pi / 5;
    p.push_back({r * std::cos(a), r * std::sin(a)});
  }
  return Polygon(p);
}

TEST(SmartLoop, AreaIsDoubledSignedAndFollowsOrientation) {
  struct Case {
    const char* name;
    CSmartLoop* loop;
    double expected;  // doubled area
    double tol;
  };
  Case cases[] = {
      {"square 10", Rect(0, 0, 10, 10), 200.0, 1e-9},
      {"unit square", Rect(0, 0, 1, 1), 2.0, 1e-12},
      {"circle r 3", Circle(1, 2, 3), 2 * std::numbers::pi * 9, 0.02},
      {"slot", Slot(4, 1), 2 * (8 + std::numbers::pi), 0.01},
      {"star", Star(), 0.0, 0.0},
  };
  for (auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::unique_ptr<CSmartLoop> l(c.loop);
    const double indep = Area2(Sample(l.get()));
    // Arcs count by their chords (tolerance 0.01): inscribed, short by at most 2 tol per length.
    const double slack = 2 * 0.01 * Perimeter(l.get()) + 1e-9;
    if (c.tol > 0) {
      EXPECT_LE(l->area, c.expected + 1e-9);
      EXPECT_GE(l->area, c.expected - slack);
    }
    EXPECT_NEAR(l->area, indep, slack);
    l->ReverseLoop(1);
    EXPECT_NEAR(l->Area(), -indep, slack);
    EXPECT_NEAR(l->area, l->Area(), 1e-9);
  }
  // An open chain has no area.
  auto* c = new CSmartCurve;
  const double p[4][2] = {{0, 0}, {10, 0}, {10, 10}, {0.002, 10.002}};
  for (int i = 0; i < 3; ++i) c->AppendSect(new CSmartLine(p[i], p[i + 1]));
  const double q[2] = {0, 0.002};
  c->AppendSect(new CSmartLine(p[3], q));
  CSmartLoop open;
  open.curve = c;
  EXPECT_EQ(open.Area(), 0.0);
}

TEST(SmartLoop, PointContainmentAgreesWithAnIndependentRayTest) {
  std::unique_ptr<CSmartLoop> shapes[] = {std::unique_ptr<CSmartLoop>(Star()),
                                          std::unique_ptr<CSmartLoop>(Slot(4, 1.5)),
                                          std::unique_ptr<CSmartLoop>(Circle(0, 0, 2, false))};
  std::mt19937 rng(5);
  std::uniform_real_distribution<double> u(-6, 6);
  for (auto& l : shapes) {
    const Pts dense = Sample(l.get(), 4000);
    int checked = 0;
    for (int i = 0; i < 3000; ++i) {
      const double p[2] = {u(rng), u(rng)};
      if (l->MinDistPoint(p) < 1e-3) continue;  // too close to call against a polygon
      EXPECT_EQ(l->IsPointIn(p), Inside(dense, p[0], p[1]) ? 1 : 0) << p[0] << "," << p[1];
      ++checked;
    }
    EXPECT_GT(checked, 2500);
  }
  // Rays through vertices: the star's tips (turning points) and its shoulders (pass-through).
  std::unique_ptr<CSmartLoop> star(Star());
  const Pts dense = Sample(star.get());
  for (CSmartSect* s = star->curve->head; s; s = s->next) {
    double v[2];
    s->StartPoint(v);
    for (double dx : {-7.0, -0.5, 0.3, 7.0}) {
      const double p[2] = {v[0] + dx, v[1]};
      if (star->MinDistPoint(p) < 1e-3) continue;
      EXPECT_EQ(star->IsPointIn(p), Inside(dense, p[0], p[1]) ? 1 : 0) << p[0] << "," << p[1];
    }
  }
}

TEST(SmartLoop, BoundaryAndFarPoints) {
  std::unique_ptr<CSmartLoop> sq(Rect(0, 0, 10, 10));
  const double onTop[2] = {4, 10}, onBottom[2] = {7, 0}, onSide[2] = {10, 3}, far[2] = {-0.02, 5},
               in[2] = {5, 5}, corner[2] = {10, 10};
  EXPECT_EQ(sq->IsPointIn(onTop), 2);
  EXPECT_EQ(sq->IsPointIn(onBottom), 2);
  EXPECT_EQ(sq->IsPointIn(onSide), 2);
  EXPECT_EQ(sq->IsPointIn(corner), 2);
  EXPECT_EQ(sq->IsPointIn(far), 0);
  EXPECT_EQ(sq->IsPointIn(in), 1);
  CSmartLoop empty;
  EXPECT_EQ(empty.IsPointIn(in), 0);
  EXPECT_EQ(empty.MinDistPoint(in), 1e12);
  EXPECT_EQ(empty.Area(), 0.0);
}

TEST(SmartLoop, IslandsCopiesAndMiddleSection) {
  std::unique_ptr<CSmartLoop> outer(Rect(0, 0, 10, 10));
  CSmartLoop* hole = Rect(3, 3, 6, 6);
  hole->ReverseLoop(1);
  outer->AddIsland(hole);
  const double inHole[2] = {4, 4}, inRing[2] = {1, 1};
  EXPECT_EQ(outer->IsPointIn(inHole), 1);  // islands are not considered
  EXPECT_EQ(outer->IsPtOnContour(inHole), 0);
  EXPECT_EQ(outer->IsPtOnContour(inRing), 1);

  std::unique_ptr<CSmartLoop> a(outer->CopyLoop()), b(outer->CopyContour());
  EXPECT_EQ(a->islands, nullptr);
  ASSERT_EQ(IslandCount(b.get()), 1);
  EXPECT_DOUBLE_EQ(b->islands->area, hole->area);
  EXPECT_NE(b->islands->curve, hole->curve);
  EXPECT_EQ(a->kind, 0);
  EXPECT_EQ(a->level, -1);

  Pts five = {{0, 0}, {4, 0}, {5, 2}, {3, 4}, {0, 3}};
  std::unique_ptr<CSmartLoop> p5(Polygon(five));
  EXPECT_EQ(p5->GetSectMid(), p5->curve->head->next);
  std::unique_ptr<CSmartLoop> c1(Circle(0, 0, 1));
  EXPECT_EQ(c1->GetSectMid(), c1->curve->head);

  // A small square inside the hole is not on the outer contour.
  std::unique_ptr<CSmartLoop> inner(Rect(4, 4, 5, 5)), ring(Rect(0.5, 0.5, 1.5, 1.5));
  EXPECT_EQ(outer->IsLoopOn(inner.get()), 0);
  EXPECT_EQ(outer->IsLoopOn(ring.get()), 1);
}

TEST(SmartLoop, InsertNewLoopAdoptsContainedChildren) {
  std::unique_ptr<CSmartLoop> big(Rect(0, 0, 100, 100));
  CSmartLoop* c1 = Rect(10, 10, 20, 20);
  CSmartLoop* c2 = Rect(30, 10, 40, 20);
  CSmartLoop* far = Rect(70, 70, 80, 80);
  ASSERT_EQ(big->InsertNewLoop(c1), 1);
  ASSERT_EQ(big->InsertNewLoop(c2), 1);
  ASSERT_EQ(big->InsertNewLoop(far), 1);
  CSmartLoop* host = Rect(5, 5, 50, 50);
  ASSERT_EQ(big->InsertNewLoop(host), 1);
  EXPECT_EQ(Count(big->children), 2);  // far and host
  EXPECT_EQ(Count(host->children), 2);
  EXPECT_EQ(c1->parent, host);
  CSmartLoop* outside = Rect(200, 200, 210, 210);
  EXPECT_EQ(big->InsertNewLoop(outside), 0);
  delete outside;
  // A loop inside a child goes down to that child.
  CSmartLoop* deep = Rect(12, 12, 14, 14);
  ASSERT_EQ(big->InsertNewLoop(deep), 1);
  EXPECT_EQ(deep->parent, c1);
}

TEST(SmartCurve, ClosureAndJointHealing) {
  for (auto [gap, closed] : {std::pair{0.0005, 1}, std::pair{0.002, 0}}) {
    CSmartCurve c;
    const double p[5][2] = {{0, 0}, {10, 0}, {10, 10}, {0, 10}, {gap, gap}};
    for (int i = 0; i < 4; ++i) c.AppendSect(new CSmartLine(p[i], p[i + 1]));
    EXPECT_EQ(c.IsClosed(), closed) << gap;
  }
  // Two arcs that miss each other are refitted through the middle of the gap.
  CSmartCurve c;
  const double c0[2] = {0, 0}, c1[2] = {4, 0.001};
  c.AppendSect(new CSmartArc(c0, 2.0, std::numbers::pi, 0.0));       // upper half, left to right
  c.AppendSect(new CSmartArc(c1, 2.0, std::numbers::pi, 2 * std::numbers::pi));   // lower half of the next circle
  const double a[2] = {6, 0.001}, b[2] = {-2, 0};
  c.AppendSect(new CSmartLine(a, b));
  c.HealJoints();
  for (CSmartSect* s = c.head; s; s = s->next) {
    double e[2], n[2];
    s->EndPoint(e);
    (s->next ? s->next : c.head)->StartPoint(n);
    EXPECT_LT(std::hypot(e[0] - n[0], e[1] - n[1]), 1e-9);
  }
}

TEST(SmartCurve, SplitFlagsAndFigureEightRechaining) {
  const double s[2] = {0, 0}, e[2] = {9, 0};
  CSmartCurve one;
  one.AppendSect(new CSmartLine(s, e));
  one.head->AddCutPoint(3, 0, 1.0 / 3);
  one.head->AddCutPoint(6, 0, 2.0 / 3);
  one.SplitAtCuts();
  ASSERT_EQ(one.count, 3);
  EXPECT_EQ(one.head->flags, kSectSplitEnd);
  EXPECT_EQ(one.head->next->flags, kSectSplitStart | kSectSplitEnd);
  EXPECT_EQ(one.tail->flags, kSectSplitStart);

  // A figure eight: one self-crossing, two lobes of opposite turn.
  Pts eight = {{0, 0}, {10, 10}, {10, 0}, {0, 10}};
  std::unique_ptr<CSmartLoop> fig(Polygon(eight));
  CSmartCurve* c = fig->curve;
  EXPECT_EQ(c->MarkSelfCrossings(), 1);
  c->SplitAtCuts();
  EXPECT_EQ(c->count, 6);
  CSmartLoop* loops = c->ChainLoops();
  EXPECT_EQ(Count(loops), 2);
  if (Count(loops) == 2) {
    EXPECT_NEAR(std::fabs(loops->area), 50.0, 1e-9);
    EXPECT_NEAR(std::fabs(loops->next->area), 50.0, 1e-9);
    EXPECT_LT(loops->area * loops->next->area, 0);
  }
  acDeleteLoopList(loops);
}

TEST(SmartCurve, JointsAreNotCrossings) {
  std::unique_ptr<CSmartLoop> sq(Rect(0, 0, 10, 10)), star(Star());
  EXPECT_EQ(sq->curve->MarkSelfCrossings(), 0);
  EXPECT_EQ(star->curve->MarkSelfCrossings(), 0);
  // An arc and a line that meet at their joint and cross again at (2.737, 1.229).
  CSmartCurve d;
  const double ctr[2] = {0, 0}, p[2] = {-3, 0}, q[2] = {4, 1.5}, r[2] = {4, 5};
  d.AppendSect(new CSmartArc(ctr, 3.0, 0.0, std::numbers::pi));
  d.AppendSect(new CSmartLine(p, q));
  d.AppendSect(new CSmartLine(q, r));
  EXPECT_EQ(d.MarkSelfCrossings(), 1);
  ASSERT_EQ(d.head->CutCount(), 1);
  ASSERT_EQ(d.head->next->CutCount(), 1);
  const double s = 42 / 51.25;
  EXPECT_NEAR(d.head->cutPoints->head->x, -3 + 7 * s, 1e-9);
  EXPECT_NEAR(d.head->next->cutPoints->head->t, s, 1e-9);
}

}  // namespace

namespace {

TEST(SmartLoop, ContourWideSettingsRotationAndReversal) {
  std::unique_ptr<CSmartLoop> c(Rect(0, 0, 10, 10));
  CSmartLoop* h1 = Rect(1, 1, 2, 2);
  CSmartLoop* h2 = Circle(6, 6, 1, false);
  h1->ReverseLoop(1);
  c->AddIsland(h1);
  c->AddIsland(h2);
  c->SetContourInfo(3.5, 0);
  int ordinal = 2;
  for (CSmartLoop* l = c.get(); l; l = (l == c.get() ? c->islands : l->next), ++ordinal) {
    EXPECT_EQ(l->height, 3.5);
    for (CSmartSect* s = l->curve->head; s; s = s->next) EXPECT_EQ(s->group, ordinal);
  }
  c->SetBoundInfo(1);
  EXPECT_EQ(h2->curve->head->flags, kSectBound);
  c->SetBoundInfo(0);
  EXPECT_EQ(c->curve->tail->flags, kSectNotBound);

  // A half turn keeps every area and moves the boxes through the origin.
  const double before = c->area, hole = h1->area;
  c->RotateContour(std::numbers::pi);
  EXPECT_NEAR(c->Area(), before, 1e-9);
  EXPECT_NEAR(h1->Area(), hole, 1e-9);
  EXPECT_NEAR(c->box[0], -10, 1e-9);
  EXPECT_NEAR(c->box[4], 0, 1e-9);
  EXPECT_NEAR(h2->box[3], -5, 1e-9);

  // Reversal with negation flips every stored area; without, only the chains turn.
  c->ReverseContour(1);
  EXPECT_EQ(c->area, -before);
  EXPECT_EQ(h1->area, -hole);
  EXPECT_NEAR(c->Area(), -before, 1e-9);
  c->ReverseContour(0);
  EXPECT_EQ(c->area, -before);
  EXPECT_NEAR(c->Area(), before, 1e-9);
  EXPECT_EQ(c->InitBuffer(), 1);
  CSmartLoop bare;
  EXPECT_EQ(bare.InitBuffer(), 0);
}

}  // namespace
