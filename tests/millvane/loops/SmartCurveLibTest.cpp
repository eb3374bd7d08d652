// Arc fitting of point rows, in-place splitting at link points, and closing a library of open
// chains into loops.
#include <gtest/gtest.h>

#include <memory>

#include "millvane/loops/SmartCurveLib.h"
#include "tests/millvane/LoopTestUtil.h"

using namespace looptest;

namespace {

const double kLimits[2] = {0.01, 0.9};

TEST(SmartCurveFit, RowsBecomeArcsAndLines) {
  {
    // Twenty points half a unit apart on a circle of radius 10: one arc through all of them.
    double row[20][2];
    for (int i = 0; i < 20; ++i) {
      const double a = 0.3 + i * 0.05;  // chord 2 * 10 * sin(0.025) ~ 0.5
      row[i][0] = 10 * std::cos(a);
      row[i][1] = 10 * std::sin(a);
    }
    CSmartCurve c;
    c.FitArcs(19, row, kLimits, nullptr);
    ASSERT_EQ(c.count, 1);
    ASSERT_TRUE(c.head->IsArc());
    EXPECT_NEAR(static_cast<CSmartArc*>(c.head)->radius, 10, 1e-9);
    double e[2];
    c.head->EndPoint(e);
    EXPECT_NEAR(e[0], row[19][0], 1e-9);
  }
  {
    // A right-angle corner is always a section end.
    const double row[7][2] = {{0, 0}, {1, 0.05}, {2, 0.15}, {3, 0.3}, {3.1, 1.3}, {3.3, 2.3}, {3.6, 3.3}};
    CSmartCurve c;
    c.FitArcs(6, row, kLimits, nullptr);
    bool cornerIsEnd = false;
    for (CSmartSect* s = c.head; s; s = s->next) {
      double e[2];
      s->EndPoint(e);
      cornerIsEnd |= std::hypot(e[0] - 3, e[1] - 0.3) < 1e-9;
    }
    EXPECT_TRUE(cornerIsEnd);
  }
  {
    const double row[2][2] = {{0, 0}, {6, 0}};
    CSmartCurve c;
    c.FitArcs(1, row, kLimits, nullptr);
    ASSERT_EQ(c.count, 1);
    EXPECT_TRUE(c.head->IsLine());
    const double far[3][2] = {{0, 0}, {6, 0}, {12, 0.5}};
    CSmartCurve d;
    d.FitArcs(2, far, kLimits, nullptr);
    EXPECT_EQ(d.count, 2);
    EXPECT_TRUE(d.head->IsLine() && d.tail->IsLine());
  }
  {
    // Collinear points close up into one line.
    const double row[5][2] = {{0, 0}, {1, 0}, {2, 0}, {3, 0}, {4, 0}};
    CSmartCurve c;
    c.FitArcs(4, row, kLimits, nullptr);
    ASSERT_EQ(c.count, 1);
    EXPECT_NEAR(c.head->Length(), 4, 1e-12);
  }
  {
    // A gap's midpoint off the circle breaks the arc.
    double row[5][2], mids[4][2];
    for (int i = 0; i < 5; ++i) {
      row[i][0] = 10 * std::cos(i * 0.05);
      row[i][1] = 10 * std::sin(i * 0.05);
    }
    for (int i = 0; i < 4; ++i) {
      mids[i][0] = 10 * std::cos((i + 0.5) * 0.05);
      mids[i][1] = 10 * std::sin((i + 0.5) * 0.05);
    }
    CSmartCurve on, off;
    on.FitArcs(4, row, kLimits, mids);
    EXPECT_EQ(on.count, 1);
    mids[2][0] += 0.5;
    off.FitArcs(4, row, kLimits, mids);
    EXPECT_GT(off.count, 1);
  }
}

TEST(SmartCurve, SplitInPlaceMarksLinks) {
  std::unique_ptr<CSmartLoop> sq(Rect(0, 0, 10, 10));
  CSmartCurve* c = sq->curve;
  for (CSmartSect* s = c->head; s; s = s->next) {
    s->flags = kSectSplitStart | kSectBound;
    s->group = 9;
  }
  c->head->next->flags |= kSectChainEnd;                // passes a link mark on
  c->head->AddCutPoint(4, 0, 0.4);                      // the bottom edge is split
  c->tail->AddCutPoint(0, 0, 1.0);                      // a cut at the very end of the tail
  c->SplitInPlace();
  ASSERT_EQ(c->count, 5);
  CSmartSect* s = c->head;
  EXPECT_EQ(s->flags & 0x0F, kSectConnect);  // the tail's cut at its very end marks the head
  EXPECT_EQ(s->next->flags & kSectConnect, kSectConnect);  // second piece starts a link
  EXPECT_EQ(s->next->next->flags, kSectBound);  // unmarked: low bits cleared
  EXPECT_EQ(s->next->next->next->flags, kSectBound | kSectConnect | kSectSplitStart);  // kept
  for (CSmartSect* x = c->head; x; x = x->next) EXPECT_EQ(x->group, 0);
  EXPECT_EQ(c->tail->next, nullptr);
  double e[2];
  c->tail->EndPoint(e);
  EXPECT_EQ(e[1], 0.0);  // the tail is not cut at its very end
}

CSmartCurve* Open(const Pts& p) {
  auto* c = new CSmartCurve;
  for (size_t i = 0; i + 1 < p.size(); ++i) c->AppendSect(new CSmartLine(p[i].data(), p[i + 1].data()));
  return c;
}

TEST(SmartCurveLib, ChainsCloseIntoLoops) {
  CSmartCurveLib lib;
  // Square edges delivered out of order, plus a dead end that cannot be closed.
  CSmartCurve* parts[] = {Open({{0, 0}, {10, 0}}), Open({{10, 10}, {0, 10}, {0, 0}}),
                          Open({{50, 50}, {60, 50}}), Open({{10, 0}, {10, 10}})};
  for (CSmartCurve* p : parts) lib.AddCurves(p);
  EXPECT_EQ(lib.count, 4);
  CSmartLoop* loops = lib.ChainLibLoops();
  ASSERT_EQ(Count(loops), 1);
  EXPECT_NEAR(loops->area, 200, 1e-9);
  EXPECT_EQ(loops->curve->count, 4);
  EXPECT_EQ(lib.count, 0);
  acDeleteLoopList(loops);

  // A closed curve is a loop by itself.
  std::unique_ptr<CSmartLoop> circle(Circle(0, 0, 2));
  lib.AddCurves(circle->curve->CloneCurve());
  loops = lib.ChainLibLoops();
  ASSERT_EQ(Count(loops), 1);
  EXPECT_NEAR(loops->area, circle->area, 1e-9);
  acDeleteLoopList(loops);
}

}  // namespace
