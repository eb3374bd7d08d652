// The point index of a loop answers every inside and loop-on question as the loop itself does:
// a small outline holding a grid of islands (cells sized by the islands it will take) and a
// many-sided outline, probed on, near and away from every boundary.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <numbers>

#include "millvane/loops/LoopPointIndex.h"
#include "tests/millvane/LoopTestUtil.h"

using namespace looptest;

namespace {

CSmartLoop* Octagon(double cx, double cy, double r) {
  Pts p;
  for (int k = 0; k < 8; ++k) {
    const double a = -2 * std::numbers::pi * k / 8;
    p.push_back({cx + r * std::cos(a), cy + r * std::sin(a)});
  }
  return Polygon(p);
}

CSmartLoop* Wavy() {
  Pts p;
  for (int k = 0; k < 600; ++k) {
    const double a = 2 * std::numbers::pi * k / 600, r = 20 + 1.5 * std::sin(17 * a);
    p.push_back({r * std::cos(a), r * std::sin(a)});
  }
  return Polygon(p);
}

void ExpectSameAnswers(const CSmartLoop* loop, const CLoopPointIndex& index, double lo, double hi) {
  ASSERT_TRUE(index.Usable());
  // A pitch that lands points on edges, vertices and island rims as well as between them.
  for (double y = lo; y <= hi; y += 0.25)
    for (double x = lo; x <= hi; x += 0.25) {
      const double p[2] = {x, y};
      ASSERT_EQ(index.IsPointIn(p), loop->IsPointIn(p)) << x << " " << y;
      std::unique_ptr<CSmartLoop> probe(Octagon(x, y, 0.3));
      ASSERT_EQ(index.IsLoopOn(probe.get()), loop->IsLoopOn(probe.get())) << x << " " << y;
    }
}

TEST(LoopPointIndex, AnswersAsTheLoop) {
  std::unique_ptr<CSmartLoop> rect(Rect(-2, -2, 12, 12));
  for (int gy = 0; gy < 5; ++gy)
    for (int gx = 0; gx < 5; ++gx) rect->AddIsland(Octagon(2.5 * gx, 2.5 * gy, 0.6));
  const CLoopPointIndex islands(rect.get(), 25);
  ExpectSameAnswers(rect.get(), islands, -3, 13);

  std::unique_ptr<CSmartLoop> wavy(Wavy());
  wavy->AddIsland(Octagon(0, 0, 5));
  CLoopPointIndex many(wavy.get());
  wavy->AddIsland(Octagon(10, 0, 2));  // given after the index was made
  many.NoteIsland(wavy->islands->next);
  ExpectSameAnswers(wavy.get(), many, -23, 23);
}

}  // namespace
