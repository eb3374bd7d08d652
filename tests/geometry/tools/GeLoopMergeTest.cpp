// Union of many loops: the tree of unions gives the loops that uniting them one at a time
// gives (up to order), for any count, and a loop the clipper cannot take yields no union
// rather than a union missing loops.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "geometry/shapes2d/GeCircle.h"
#include "geometry/shapes2d/GeLoop.h"
#include "geometry/shapes2d/ShapeListUtil.h"
#include "geometry/tools/GeTool2D.h"
#include "support/VurodeFixture.h"
#include "tests/geometry/tools/GeOffsetTestUtil.h"
#include "tests/support/geometry/LoopMergeFold.h"

namespace {

using offset_test::P;

class LoopMergeTest : public VurodeTest {};

struct Owned {
  CGeLoopList loops;
  ~Owned() { geDelGeLoopList(&loops, false); }
};

// Signed areas of the loops, sorted: the result up to loop order.
std::vector<double> Areas(CGeLoopList& loops) {
  std::vector<double> out;
  for (POSITION pos = loops.GetHeadPosition(); pos;) {
    // Each result loop is one closed polyline: its segment starts are its vertices.
    out.push_back(offset_test::Shoelace(offset_test::SampleLoop(loops.GetNext(pos), 1)));
  }
  std::sort(out.begin(), out.end());
  return out;
}

// n circles and squares scattered so that they overlap in clusters, leaving holes.
void Scatter(int n, unsigned seed, CGeLoopList& loops) {
  std::mt19937 rng(seed);
  std::uniform_real_distribution<double> u(0, 1);
  const double span = 3 * std::sqrt(double(n));
  for (int i = 0; i < n; ++i) {
    const double x = span * u(rng), y = span * u(rng), r = 0.5 + u(rng);
    CGeLoop* l = nullptr;
    if (i % 3) {
      l = new CGeLoop;
      const double c[2] = {x, y};
      l->AddTail(new CGeCircle(c, r, 1), 1);
    } else {
      l = offset_test::PolygonLoop({{x, y}, {x + r, y}, {x + r, y + r}, {x, y + r}}).release();
    }
    l->EvArea(0.01);
    loops.AddTail(l);
  }
}

TEST_F(LoopMergeTest, TreeOfUnionsMatchesUnitingOneAtATime) {
  for (int n : {2, 3, 5, 8, 33, 300}) {
    SCOPED_TRACE(std::to_string(n) + " loops");
    Owned in, tree, fold;
    Scatter(n, 7u + unsigned(n), in.loops);
    CGeTool2D().LoopMerge(&in.loops, &tree.loops);
    ASSERT_TRUE(FoldLoopMerge(&in.loops, &fold.loops));
    const auto a = Areas(tree.loops), b = Areas(fold.loops);
    ASSERT_EQ(a.size(), b.size());
    double total = 0;
    for (size_t i = 0; i < a.size(); ++i) {
      EXPECT_NEAR(a[i], b[i], 1e-7 * (1 + std::fabs(b[i])));
      total += a[i];
    }
    EXPECT_GT(total, 0);
  }
}

// Loops drawn either way round, bow ties that cross themselves, loops far from all others, and
// one large frame with a hole over part of the field: every loop counts even-odd on its own,
// contours of one group lying in a loop of another still unite with it, and contours away from
// everything come through unchanged.
TEST_F(LoopMergeTest, MixedLoopsMatchUnitingOneAtATime) {
  for (int n : {4, 9, 40, 250}) {
    SCOPED_TRACE(std::to_string(n) + " loops");
    Owned in, tree, fold;
    std::mt19937 rng(31u + unsigned(n));
    std::uniform_real_distribution<double> u(0, 1);
    const double span = 3 * std::sqrt(double(n));
    for (int i = 0; i < n; ++i) {
      const double x = span * u(rng), y = span * u(rng), r = 0.5 + u(rng);
      std::vector<P> pts;
      if (i % 4 == 1) pts = {{x, y}, {x + r, y + r}, {x + r, y}, {x, y + r}};  // a bow tie
      else pts = {{x, y}, {x + r, y}, {x + r, y + r}, {x, y + r}};
      if (i % 3 == 2) std::reverse(pts.begin(), pts.end());
      in.loops.AddTail(offset_test::PolygonLoop(pts).release());
    }
    for (double far : {10 * span, 20 * span})
      in.loops.AddTail(offset_test::PolygonLoop({{far, far}, {far, far + 1}, {far + 1, far + 1}, {far + 1, far}}).release());
    // A frame whose hole covers the middle of the field.
    const double a = 0.2 * span, b = 0.8 * span;
    in.loops.AddTail(offset_test::PolygonLoop({{0, 0}, {span, 0}, {span, span}, {0, span}, {0, 0},
                                                 {a, a}, {a, b}, {b, b}, {b, a}, {a, a}})
                          .release());
    for (POSITION pos = in.loops.GetHeadPosition(); pos;) in.loops.GetNext(pos)->EvArea(0.01);
    CGeTool2D().LoopMerge(&in.loops, &tree.loops);
    ASSERT_TRUE(FoldLoopMerge(&in.loops, &fold.loops));
    const auto t = Areas(tree.loops), f = Areas(fold.loops);
    ASSERT_EQ(t.size(), f.size());
    for (size_t i = 0; i < t.size(); ++i) EXPECT_NEAR(t[i], f[i], 1e-7 * (1 + std::fabs(f[i])));
  }
}

TEST_F(LoopMergeTest, LoopBeyondTheClipperRangeGivesNoUnion) {
  for (int at : {0, 2, 4}) {
    SCOPED_TRACE("bad loop at " + std::to_string(at));
    Owned in;
    for (int i = 0; i < 5; ++i) {
      const double x = i == at ? 2e9 : i;  // beyond the clipper's coordinate range
      CGeLoop* l = offset_test::PolygonLoop({{x, 0}, {x + 2, 0}, {x + 2, 2}, {x, 2}}).release();
      l->EvArea(0.01);
      in.loops.AddTail(l);
    }
    Owned out;
    CGeLoop* earlier = offset_test::PolygonLoop(offset_test::Square(1)).release();
    out.loops.AddTail(earlier);
    CGeTool2D().LoopMerge(&in.loops, &out.loops);
    ASSERT_EQ(out.loops.GetCount(), 1);
    EXPECT_EQ(out.loops.GetHead(), earlier);
  }
}

}  // namespace
