// Loop offsets: squares and circles against closed forms, corner kinds, filters, and
// polygons against Clipper's round-joined offset.
#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <numbers>

#include "tests/millvane/loops/ClipperRef.h"
#include "tests/millvane/loops/NoisyOutlines.h"

using namespace looptest;

namespace {

const QNC_CornerType kRound = {2, 165.0, 15.0};

int ArcCount(const CSmartLoop* l) {
  int n = 0;
  for (CSmartSect* s = l->curve->head; s; s = s->next) n += s->IsArc();
  return n;
}

TEST(SmartLoopOffset, SquareCornerKinds) {
  const double t = std::tan(std::numbers::pi / 8);
  const struct {
    const char* name;
    int kind;
    double area;     // of the grown 12 x 12 outline
    int arcs, sects;
  } cases[] = {
      {"round", 2, 144 - (4 - std::numbers::pi), 4, 8},
      {"sharp below angle1", 0, 144, 0, 4},
      {"always sharp", 3, 144, 0, 4},
      {"chamfer", 1, 144 - 2 * (1 - t) * (1 - t), 0, 8},
      {"round above 0.05", 4, 144 - (4 - std::numbers::pi), 4, 8},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::unique_ptr<CSmartLoop> sq(Rect(0, 0, 10, 10));
    sq->ReverseLoop(1);  // clockwise: a positive offset grows it
    Owned r(sq->OffsetLoop(1.0, {c.kind, 165.0, 15.0}));
    ASSERT_EQ(Count(r.l), 1);
    EXPECT_NEAR(DenseArea(r.l), -2 * c.area, 1e-4);
    EXPECT_EQ(ArcCount(r.l), c.arcs);
    EXPECT_EQ(r.l->curve->count, c.sects);
    EXPECT_NEAR(r.l->box[0], -1, 1e-9);
    EXPECT_NEAR(r.l->box[4], 11, 1e-9);
    for (CSmartSect* s = r.l->curve->head; c.kind == 1 && s; s = s->next) {
      if (s->Length() < 5) {
        EXPECT_NEAR(s->Length(), 2 * t, 1e-9);
      }
    }
    // The source is untouched.
    EXPECT_EQ(sq->area, -200.0);
  }
}

TEST(SmartLoopOffset, InwardSquareAndItsLimits) {
  std::unique_ptr<CSmartLoop> sq(Rect(0, 0, 10, 10));
  {
    Owned r(sq->OffsetLoop(1.0, kRound));
    ASSERT_EQ(Count(r.l), 1);
    EXPECT_NEAR(r.l->area, 128.0, 1e-9);  // overlapping corners trimmed sharp
    EXPECT_EQ(r.l->curve->count, 4);
    double s[2];
    r.l->curve->head->StartPoint(s);
    EXPECT_NEAR(s[0], 1, 1e-9);  // starts nearest the source's start
    EXPECT_NEAR(s[1], 1, 1e-9);
  }
  {
    Owned r(sq->OffsetLoop(4.999, kRound));
    ASSERT_EQ(Count(r.l), 1);
    EXPECT_NEAR(r.l->area, 2 * 0.002 * 0.002, 1e-12);
  }
  EXPECT_EQ(sq->OffsetLoop(5.0000001, kRound), nullptr);
  for (double d : {1e-7, -1.0}) {
    Owned r(sq->OffsetLoop(d, kRound));
    ASSERT_EQ(Count(r.l), 1);
    EXPECT_EQ(r.l->area, 200.0);
    EXPECT_NE(r.l->curve, sq->curve);
  }
  CSmartLoop empty;
  EXPECT_EQ(empty.OffsetLoop(1.0, kRound), nullptr);
}

TEST(SmartLoopOffset, SharpLimitOfKindZero) {
  // Clockwise isosceles triangles: the apex turn is 180 minus the apex angle.
  for (auto [apexDeg, arcs] : {std::pair{10.0, 1}, std::pair{20.0, 0}}) {
    const double h = 20, half = h * std::tan(apexDeg / 2 * std::numbers::pi / 180);
    Pts tri = {{0, 0}, {half, -h}, {-half, -h}};  // apex first; clockwise
    std::unique_ptr<CSmartLoop> l(Polygon(tri));
    ASSERT_LT(l->area, 0);
    Owned r(l->OffsetLoop(1.0, {0, 165.0, 15.0}));
    ASSERT_EQ(Count(r.l), 1);
    EXPECT_EQ(ArcCount(r.l), arcs) << apexDeg;
    if (!arcs) {
      EXPECT_NEAR(r.l->box[4], 1 / std::sin(apexDeg / 2 * std::numbers::pi / 180), 1e-9);
    }
  }
}

TEST(SmartLoopOffset, CirclesKeepTheirCentre) {
  for (bool ccw : {true, false}) {
    std::unique_ptr<CSmartLoop> c(Circle(1, -1, 5, ccw));
    Owned r(c->OffsetLoop(2.0, kRound));
    ASSERT_EQ(Count(r.l), 1);
    ASSERT_EQ(r.l->curve->count, 1);
    auto* a = static_cast<CSmartArc*>(r.l->curve->head);
    EXPECT_DOUBLE_EQ(a->radius, ccw ? 3.0 : 7.0);
    EXPECT_EQ(a->centre[0], 1.0);
    const double exact = 2 * std::numbers::pi * a->radius * a->radius;
    EXPECT_NEAR(DenseArea(r.l), (ccw ? 1 : -1) * exact, 1e-5 * exact);
  }
  std::unique_ptr<CSmartLoop> small(Circle(0, 0, 1));
  EXPECT_EQ(small->OffsetLoop(1.0, kRound), nullptr);
}

TEST(SmartLoopOffset, NeckSplitsIntoTwoLoops) {
  // Two 10 x 10 rooms joined by a corridor 2 wide.
  Pts dumbbell = {{0, 0}, {10, 0}, {10, 4}, {14, 4}, {14, 0}, {24, 0},
                  {24, 10}, {14, 10}, {14, 6}, {10, 6}, {10, 10}, {0, 10}};
  std::unique_ptr<CSmartLoop> l(Polygon(dumbbell));
  Owned r(l->OffsetLoop(1.5, kRound));
  ASSERT_EQ(Count(r.l), 2);
  EXPECT_NEAR(DenseArea(r.l), ClipperOffsetArea2({dumbbell}, -1.5), 1e-4 * 197);
  for (CSmartLoop* x = r.l; x; x = x->next) {
    // Each room shrinks to 7 x 7 plus a lens reaching into the corridor's mouth.
    EXPECT_GT(Area2(Sample(x)), 2 * 49.0);
    EXPECT_LT(Area2(Sample(x)), 2 * 49.5);
    double s[2];
    x->curve->head->StartPoint(s);
    double best = 1e9;
    for (CSmartSect* t = x->curve->head; t; t = t->next) {
      double q[2];
      t->StartPoint(q);
      best = std::min(best, std::hypot(q[0], q[1]));
    }
    EXPECT_NEAR(std::hypot(s[0], s[1]), best, 1e-12);
  }
}

TEST(SmartLoopOffset, PolygonsAgreeWithClipper) {
  Pts star;
  for (int i = 0; i < 14; ++i) {
    const double r = i % 2 ? 4.0 : 9.0, a = 0.2 + i * std::numbers::pi / 7;
    star.push_back({r * std::cos(a), r * std::sin(a)});
  }
  Pts blob = {{0, 0}, {12, -1}, {14, 6}, {8, 5}, {9, 11}, {2, 12}, {4, 6}};
  for (const Pts* poly : {&star, &blob}) {
    for (double d : {0.3, 0.8}) {
      for (bool grow : {true, false}) {
        std::unique_ptr<CSmartLoop> l(Polygon(*poly));
        if (grow) l->ReverseLoop(1);
        Owned r(l->OffsetLoop(d, kRound));
        ASSERT_TRUE(r.l);
        const double ours = std::fabs(DenseArea(r.l));
        const double ref = ClipperOffsetArea2({*poly}, grow ? d : -d);
        EXPECT_NEAR(ours, ref, 2e-3 * ref) << "d " << d << (grow ? " out" : " in");
        // Every result point lies at the offset distance from the source.
        for (CSmartLoop* x = r.l; x; x = x->next)
          for (auto& p : Sample(x, 50)) EXPECT_NEAR(l->MinDistPoint(p.data()), d, 1e-6);
      }
    }
  }
}

TEST(SmartLoopOffset, ContourModes) {
  auto ring = [] {
    CSmartLoop* outer = Rect(0, 0, 20, 20);
    CSmartLoop* hole = Rect(8, 8, 12, 12);
    hole->ReverseLoop(1);
    outer->AddIsland(hole);
    return outer;
  };
  {
    std::unique_ptr<CSmartLoop> c(ring());
    Owned r(c->OffsetContour(0, 1.0, -1.0, kRound));
    ASSERT_EQ(Count(r.l), 1);
    ASSERT_EQ(IslandCount(r.l), 1);
    EXPECT_NEAR(r.l->area, 2 * 324.0, 1e-9);
    EXPECT_NEAR(Area2(Sample(r.l->islands)), -2 * (32 + std::numbers::pi), 1e-4);
  }
  {
    std::unique_ptr<CSmartLoop> c(ring());
    Owned r(c->OffsetContour(2, 1.0, -1.0, kRound));
    ASSERT_EQ(Count(r.l), 1);
    ASSERT_EQ(IslandCount(r.l), 1);
    EXPECT_NEAR(Area2(Sample(r.l)), 2 * (400 + 80 + std::numbers::pi), 1e-4);
    EXPECT_NEAR(r.l->islands->area, -2 * 4.0, 1e-9);
    // The source comes back as it was.
    EXPECT_EQ(c->area, 800.0);
    EXPECT_NEAR(c->Area(), 800.0, 1e-9);
    EXPECT_EQ(c->islands->area, -32.0);
  }
  {
    std::unique_ptr<CSmartLoop> c(ring());
    Owned r(c->OffsetContour(7, 1.0, -1.0, kRound));
    EXPECT_EQ(IslandCount(r.l), 1);
    EXPECT_EQ(r.l->area, 800.0);
  }
}

TEST(SmartLoopOffset, ContourListOutwardUnitesAndRunsClockwise) {
  // Two squares 1.5 apart grow by 1 into one outline.
  CSmartLoop* a = Rect(0, 0, 10, 10);
  CSmartLoop* b = Rect(11.5, 0, 21.5, 10);
  a->next = b;
  b->prev = a;
  const double dist[2] = {1.0, 1.0};
  Owned r(CSmartLoop::OffsetContourList(a, 2, dist, kRound));
  acDeleteLoopList(a);
  ASSERT_EQ(Count(r.l), 1);
  EXPECT_GT(r.l->area, 0);                 // stored area stays positive
  EXPECT_LT(Area2(Sample(r.l)), 0);        // while the chain runs clockwise
  const Pts pa = {{0, 0}, {10, 0}, {10, 10}, {0, 10}};
  const Pts pb = {{11.5, 0}, {21.5, 0}, {21.5, 10}, {11.5, 10}};
  EXPECT_NEAR(-Area2(Sample(r.l)), ClipperOffsetArea2({pa, pb}, 1.0), 1e-4 * 562);
}

TEST(SmartLoopOffset, BuildContourNestsAndFlattens) {
  // Outer square, a hole in it, a square inside the hole, and a separate square.
  CSmartLoop* loops[] = {Rect(2, 2, 8, 8), Rect(0, 0, 10, 10), Rect(4, 4, 6, 6),
                         Rect(20, 0, 25, 5)};
  loops[0]->ReverseLoop(1);  // orientation of the input does not matter
  for (int i = 0; i < 3; ++i) {
    loops[i]->next = loops[i + 1];
    loops[i + 1]->prev = loops[i];
  }
  Owned r(CSmartLoop::BuildContour(loops[0]));
  ASSERT_EQ(Count(r.l), 3);
  int withIsland = 0;
  for (CSmartLoop* x = r.l; x; x = x->next) {
    EXPECT_GT(x->area, 0);
    if (x->islands) {
      ++withIsland;
      EXPECT_EQ(x->area, 200.0);
      EXPECT_EQ(x->islands->area, -72.0);
      // The square found inside the hole is listed before its container.
      bool seenInner = false;
      for (CSmartLoop* y = r.l; y != x; y = y->next) seenInner |= y->area == 8.0;
      EXPECT_TRUE(seenInner);
    }
  }
  EXPECT_EQ(withIsland, 1);
}

}  // namespace

namespace {

// A square with a half-disc bitten out of its top edge: arcs meeting lines at right angles.
CSmartLoop* Bitten() {
  auto* c = new CSmartCurve;
  const double p0[2] = {0, 0}, p1[2] = {10, 0}, p2[2] = {10, 10}, p3[2] = {7, 10}, p4[2] = {3, 10},
               p5[2] = {0, 10}, ctr[2] = {5, 10};
  c->AppendSect(new CSmartLine(p0, p1));
  c->AppendSect(new CSmartLine(p1, p2));
  c->AppendSect(new CSmartLine(p2, p3));
  c->AppendSect(new CSmartArc(ctr, 2.0, 0.0, -std::numbers::pi));  // clockwise, dipping into the square
  c->AppendSect(new CSmartLine(p4, p5));
  c->AppendSect(new CSmartLine(p5, p0));
  auto* l = new CSmartLoop;
  l->UpdateSect(c);
  return l;
}

// A slot: lines tangent to half circles.
CSmartLoop* SlotLoop() {
  auto* c = new CSmartCurve;
  const double a[2] = {0, -1}, b[2] = {4, -1}, d[2] = {4, 1}, e[2] = {0, 1}, cr[2] = {4, 0},
               cl[2] = {0, 0};
  c->AppendSect(new CSmartLine(a, b));
  c->AppendSect(new CSmartArc(cr, 1.0, -std::numbers::pi / 2, std::numbers::pi / 2));
  c->AppendSect(new CSmartLine(d, e));
  c->AppendSect(new CSmartArc(cl, 1.0, std::numbers::pi / 2, 1.5 * std::numbers::pi));
  auto* l = new CSmartLoop;
  l->UpdateSect(c);
  return l;
}

TEST(SmartLoopOffset, ShapesWithArcs) {
  // Slot: tangent joints need no corner; the offset is a slot of radius 1 -+ d.
  for (auto [d, grow] : {std::pair{0.5, false}, std::pair{1.0, true}}) {
    std::unique_ptr<CSmartLoop> s(SlotLoop());
    if (grow) s->ReverseLoop(1);
    Owned r(s->OffsetLoop(d, kRound));
    ASSERT_EQ(Count(r.l), 1);
    EXPECT_EQ(r.l->curve->count, 4);
    const double rr = grow ? 1 + d : 1 - d;
    EXPECT_NEAR(std::fabs(DenseArea(r.l)), 2 * (4 * 2 * rr + std::numbers::pi * rr * rr), 1e-4);
  }
  // The bitten square against Clipper, both ways and at a distance that closes the bite.
  for (double d : {0.4, 1.0, 3.0}) {
    for (bool grow : {false, true}) {
      std::unique_ptr<CSmartLoop> b(Bitten());
      const Pts dense = Sample(b.get(), 2000);
      if (grow) b->ReverseLoop(1);
      Owned r(b->OffsetLoop(d, kRound));
      ASSERT_TRUE(r.l) << d;
      const double ref = ClipperOffsetArea2({dense}, grow ? d : -d);
      EXPECT_NEAR(std::fabs(DenseArea(r.l)), ref, 2e-4 * ref) << d << (grow ? " out" : " in");
      for (CSmartLoop* x = r.l; x; x = x->next)
        for (auto& p : Sample(x, 50)) EXPECT_NEAR(b->MinDistPoint(p.data()), d, 1e-6);
    }
  }
}

}  // namespace

namespace {

TEST(SmartLoopOffset, PocketStepWhereAGrownIslandMeetsTheWall) {
  std::unique_ptr<CSmartLoop> c(Rect(0, 0, 20, 20));
  c->AddIsland(Circle(5, 10, 3, false));
  c->AddIsland(Circle(14, 10, 2, false));
  Owned r(c->OffsetContour(0, 2.0, -1.0, kRound));
  ASSERT_EQ(Count(r.l), 1);
  EXPECT_EQ(IslandCount(r.l), 1);  // the first island merged into the wall, the second stays
  const Pts wall = {{2, 2}, {18, 2}, {18, 18}, {2, 18}};
  auto path = [](CSmartLoop* l) {
    std::unique_ptr<CSmartLoop> own(l);
    return ToPath(Sample(own.get(), 2000));
  };
  const ClipperLib::Paths holes = {path(Circle(5, 10, 5)), path(Circle(14, 10, 4))};
  const double ref = ClipperBoolArea2({ToPath(wall)}, holes, ClipperLib::ctDifference);
  EXPECT_NEAR(DenseArea(r.l), ref, 1e-4 * ref);
}

}  // namespace

namespace {

// Square of side 10 with corners rounded to radius r (counter-clockwise).
CSmartLoop* RoundedSquare(double r) {
  auto* c = new CSmartCurve;
  const double s = 10;
  const double ctr[4][2] = {{s - r, r}, {s - r, s - r}, {r, s - r}, {r, r}};
  for (int k = 0; k < 4; ++k) {
    const double a0 = -std::numbers::pi / 2 + k * std::numbers::pi / 2;
    double p[2] = {ctr[(k + 3) % 4][0] + r * std::cos(a0), ctr[(k + 3) % 4][1] + r * std::sin(a0)};
    double q[2] = {ctr[k][0] + r * std::cos(a0), ctr[k][1] + r * std::sin(a0)};
    c->AppendSect(new CSmartLine(p, q));
    c->AppendSect(new CSmartArc(ctr[k], r, a0, a0 + std::numbers::pi / 2));
  }
  auto* l = new CSmartLoop;
  l->UpdateSect(c);
  return l;
}

TEST(SmartLoopOffset, FilletsSmallerThanTheDistanceVanish) {
  std::unique_ptr<CSmartLoop> l(RoundedSquare(0.5));
  Owned r(l->OffsetLoop(1.0, kRound));
  ASSERT_EQ(Count(r.l), 1);
  EXPECT_NEAR(r.l->area, 2 * 64.0, 1e-9);  // the inner outline is sharp
  EXPECT_EQ(r.l->curve->count, 4);
  // A larger fillet survives with the radius reduced by the distance.
  std::unique_ptr<CSmartLoop> big(RoundedSquare(3.0));
  Owned s(big->OffsetLoop(1.0, kRound));
  ASSERT_EQ(Count(s.l), 1);
  EXPECT_NEAR(DenseArea(s.l), 2 * (64 - (4 - std::numbers::pi) * 4), 1e-4);
}

}  // namespace

namespace {

// Jagged star-shaped polygons with narrow notches: offsets in and out against Clipper. Narrow
// notches make offsets trimmed past each other, grown outlines fold over themselves, and
// crossings leave dead-end stubs; none of it may lose the loop.
TEST(SmartLoopOffset, JaggedPolygonsAgreeWithClipper) {
  std::mt19937 rng(11);
  auto u = [&] { return rng() / 4294967296.0; };
  int checked = 0, close = 0;
  for (int it = 0; it < 150; ++it) {
    const int n = 5 + int(u() * 25);
    Pts p;
    for (int i = 0; i < n; ++i) {
      const double a = 2 * std::numbers::pi * i / n + u() * 0.1, r = 3 + 7 * u();
      p.push_back({r * std::cos(a), r * std::sin(a)});
    }
    for (double d : {0.2, 0.7, 1.5}) {
      for (bool grow : {false, true}) {
        std::unique_ptr<CSmartLoop> l(Polygon(p));
        if (grow) l->ReverseLoop(1);
        Owned r(l->OffsetLoop(d, kRound));
        const double ref = ClipperOffsetArea2({p}, grow ? d : -d);
        if (ref < 5) continue;  // slivers: discretisation dominates
        ++checked;
        const double ours = std::fabs(DenseArea(r.l));
        EXPECT_NEAR(ours, ref, 0.03 * ref) << it << " d " << d << (grow ? " out" : " in");
        close += std::fabs(ours - ref) < 2e-3 * ref;
      }
    }
  }
  EXPECT_GT(checked, 700);
  EXPECT_GE(close, checked - 2);  // all but the odd bay closed by a bridged joint
}

TEST(SmartLoopOffset, NotchedOutlinesKeepTheirWholeOffset) {
  const struct {
    const char* name;
    double d;
    bool grow;
    Pts poly;
  } cases[] = {
      // Offsets trimmed past each other at a notch leave a gap: bridged, not lost.
      {"offsets trimmed past each other", 0.7, true,
       {{6.1304860736729232, 0.44168424510410254}, {5.6471464518672363, 1.5729622426363494},
        {5.8557251987070691, 3.5755948138391984}, {2.0873352903880833, 2.2249164508900923},
        {5.0005975656318871, 7.8498108298807994}, {1.6513225840053471, 5.4862048131122521},
        {0.3813017359355852, 6.0316328542686293}, {-1.3114670653948164, 5.8971123074840337},
        {-1.3564393290603065, 3.1969472716759477}, {-3.9742523177011053, 5.3128654326262996},
        {-3.5325112985716873, 3.0660507684866087}, {-6.47279621203828, 3.1651287138466997},
        {-7.033958320430683, 1.0769392012833536}, {-9.9173992698169986, -0.3111510104986972},
        {-7.2145960815429602, -1.8431281094523788}, {-3.3327411930712363, -2.1656415374222915},
        {-2.6419579465840659, -2.4391113571731369}, {-3.5331203937051709, -5.4444854289799185},
        {-1.4271397362036968, -4.4442464717044237}, {-0.24605978762797398, -3.3151625920351488},
        {2.0125672974854649, -9.5259844883621714}, {1.3298303220392971, -3.2483384518500062},
        {4.2040114170171439, -5.84215941655662}, {4.6597806001217084, -3.7823834678739083},
        {6.5384164668411682, -2.9591070374974673}, {9.7587521801754864, -1.4529513782031309}}},
      // A grown outline that folds over a bay comes back as one outline, not two overlapping.
      {"grown outline folding over itself", 3.0, true,
       {{2.252486, 0.029320}, {9.326825, 3.148915}, {7.006939, 4.499639}, {4.829122, 4.833185},
        {4.693310, 7.328380}, {1.621608, 4.330239}, {0.722852, 7.115005}, {-0.856720, 6.277682},
        {-2.853588, 6.637120}, {-1.340423, 1.599019}, {-5.591078, 4.257553}, {-8.598449, 3.920888},
        {-8.273712, 1.648645}, {-4.436518, -0.091831}, {-5.597112, -1.875252}, {-4.873953, -2.900850},
        {-6.700952, -6.124195}, {-2.364986, -3.756157}, {-0.476398, -1.594860}, {-0.173540, -7.458071},
        {0.491795, -3.296789}, {0.771280, -1.665034}, {3.475395, -4.387822}, {0.961713, -0.702626},
        {9.186747, -3.903406}, {5.159872, -0.910140}}},
      // Growing past narrow spikes: no sliver of the grown region is cut off.
      {"grown past narrow spikes", 1.5, true,
       {{8.772098, 0.523012}, {2.852391, 0.846440}, {4.899310, 2.813050}, {5.304848, 4.126002},
        {1.244569, 1.798943}, {3.923437, 7.589395}, {1.533433, 5.797715}, {0.068065, 1.300520},
        {-0.953797, 4.820361}, {-3.061709, 6.051170}, {-4.786651, 6.102426}, {-4.812959, 4.556188},
        {-5.044621, 2.779384}, {-2.811167, 0.677938}, {-1.772270, 0.126657}, {-1.448190, -0.265339},
        {-3.789583, -1.277516}, {-1.884061, -1.405414}, {-1.471332, -1.413008}, {-3.949397, -6.748562},
        {-0.925143, -2.799844}, {-0.261147, -3.602785}, {0.154165, -2.073383}, {0.413499, -1.098899},
        {2.056211, -3.656773}, {4.732030, -5.371642}, {1.719523, -1.093074}, {2.233765, -0.773553},
        {8.815223, -1.898756}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::unique_ptr<CSmartLoop> l(Polygon(c.poly));
    if (c.grow) l->ReverseLoop(1);
    Owned r(l->OffsetLoop(c.d, kRound));
    ASSERT_EQ(Count(r.l), 1);
    const double ref = ClipperOffsetArea2({c.poly}, c.grow ? c.d : -c.d);
    EXPECT_NEAR(std::fabs(DenseArea(r.l)), ref, 2e-3 * ref);
  }
}

}  // namespace

namespace {

// Offsetting by a and then by b equals offsetting by a + b (round corners): the second offset
// works on loops full of corner arcs.
TEST(SmartLoopOffset, TwoStepsEqualOne) {
  std::mt19937 rng(7);
  auto u = [&] { return rng() / 4294967296.0; };
  for (int it = 0; it < 40; ++it) {
    const int n = 5 + int(u() * 20);
    Pts p;
    for (int i = 0; i < n; ++i) {
      const double a = 2 * std::numbers::pi * i / n + u() * 0.1, r = 3 + 7 * u();
      p.push_back({r * std::cos(a), r * std::sin(a)});
    }
    for (bool grow : {false, true}) {
      const double d1 = 0.2 + u(), d2 = 0.2 + u();
      std::unique_ptr<CSmartLoop> l(Polygon(p));
      if (grow) l->ReverseLoop(1);
      Owned first(l->OffsetLoop(d1, kRound));
      double twoSteps = 0;
      for (CSmartLoop* x = first.l; x; x = x->next) {
        Owned second(x->OffsetLoop(d2, kRound));
        twoSteps += DenseArea(second.l);
      }
      const double ref = ClipperOffsetArea2({p}, grow ? d1 + d2 : -(d1 + d2));
      if (ref < 5) continue;
      EXPECT_NEAR(std::fabs(twoSteps), ref, 3e-3 * ref) << it << (grow ? " out" : " in");
    }
  }
}

}  // namespace

namespace {

// Noisy circles offset outwards: every point of the result keeps the distance from the
// outline (farther only at the mitred corners of turns below 15 degrees, by at most 1/cos 7.5
// degrees). Of an outline that crosses itself all along, parts of the true offset lie on the
// other side of sections running backwards, where the raw offset has nothing: that offset may
// fail, but no loop cutting into the band is returned.
TEST(SmartLoopOffset, NoisyCircleOutwardKeepsItsDistance) {
  const struct {
    const char* name;
    Pts src;
    bool mustSucceed;
  } cases[] = {{"radial noise, 8,000 vertices", NoisyOutline(8000, 0.0), true},
               {"crossing itself, 1,000 vertices", JitteredCircle(1000), false},
               {"crossing itself, 3,500 vertices", JitteredCircle(3500), false},
               {"crossing itself, 5,000 vertices", JitteredCircle(5000), false}};
  const double d = 1.0, far = d / std::cos(7.5 * std::numbers::pi / 180) + 1e-6;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::unique_ptr<CSmartLoop> l(Polygon(c.src));
    l->ReverseLoop(1);
    Owned r(l->OffsetLoop(d, kRound));
    if (c.mustSucceed) {
      EXPECT_EQ(Count(r.l), 1);
    }
    const EdgeGrid edges(c.src, far);
    double lo = INFINITY, hi = 0;
    for (CSmartLoop* x = r.l; x; x = x->next)
      for (CSmartSect* s = x->curve->head; s; s = s->next)
        for (double t : {0.0, 0.25, 0.5, 0.75}) {
          double p[2];
          s->EvPoint(t, p);
          const double dist = edges.Dist(p);
          lo = std::min(lo, dist);
          hi = std::max(hi, dist);
        }
    if (!r.l) continue;
    EXPECT_GE(lo, d - 1e-3);
    EXPECT_LE(hi, far);
  }
}

}  // namespace
