// Regions: areas with holes, point classification without areas computed beforehand, copying
// and transforms.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <memory>
#include <vector>

#include "geometry/shapes2d/GeLine.h"
#include "geometry/shapes2d/GeRegion.h"
#include "support/VurodeFixture.h"

namespace {

using Pt = std::array<double, 2>;

CGeLoop* Polygon(const std::vector<Pt>& pts) {
  auto* loop = new CGeLoop;
  for (size_t i = 0; i < pts.size(); ++i)
    loop->AddTail(new CGeLine(pts[i].data(), pts[(i + 1) % pts.size()].data()), 0);
  loop->CalcBox2d();
  return loop;
}

// Outer square 10 x 10 counter-clockwise with two clockwise holes of 2 x 2 and 3 x 1.
std::unique_ptr<CGeRegion> Plate() {
  auto region = std::make_unique<CGeRegion>();
  region->m_LoopList.AddTail(Polygon({{0, 0}, {10, 0}, {10, 10}, {0, 10}}));
  region->m_LoopList.AddTail(Polygon({{2, 2}, {2, 4}, {4, 4}, {4, 2}}));
  region->m_LoopList.AddTail(static_cast<CGeLoop*>(nullptr));
  region->m_LoopList.AddTail(Polygon({{6, 6}, {6, 7}, {9, 7}, {9, 6}}));
  return region;
}

using RegionTest = VurodeTest;

TEST_F(RegionTest, AreaSubtractsHoles) {
  auto region = Plate();
  EXPECT_DOUBLE_EQ(region->EvArea(0.01), 100.0 - 4.0 - 3.0);
  // Invariant under moves; mirrored, every loop turns and the area negates.
  const double v[2] = {5, -3};
  region->Translate(v);
  region->Discrete(0.01);
  EXPECT_DOUBLE_EQ(region->EvArea(0.01), 93.0);
  const double c[2] = {1, 2};
  region->Rotate(c, 0.7);
  EXPECT_NEAR(region->EvArea(0.01), 93.0, 1e-4);  // buffers are float-rounded
  const double p[2] = {0, 0}, d[2] = {0, 1};
  region->Mirror(p, d);
  EXPECT_NEAR(region->EvArea(0.01), -93.0, 1e-4);
}

TEST_F(RegionTest, PointClassificationNeedsNoAreasBeforehand) {
  auto region = Plate();  // no EvArea called: the loops' cached areas are still unset
  struct Case {
    Pt p;
    int expected;
  };
  const Case cases[] = {{{1, 1}, 0},  {{3, 3}, 1},  {{7, 6.5}, 1}, {{5, 5}, 0}, {{2, 3}, 2},
                        {{10, 5}, 2}, {{11, 5}, 1}, {{9, 6}, 2},   {{5, 7}, 0}};
  for (const Case& c : cases)
    EXPECT_EQ(region->IsPtInRegion(c.p.data(), 0.001), c.expected) << c.p[0] << "," << c.p[1];
  CGeRegion empty;
  const double q[2] = {0, 0};
  EXPECT_EQ(empty.IsPtInRegion(q, 0.001), 0);
}

TEST_F(RegionTest, CopyAndBoxes) {
  auto region = Plate();
  _tagBox2D box;
  region->GetBox2d(&box);
  EXPECT_EQ(box.min[0], 0.0);
  EXPECT_EQ(box.max[1], 10.0);
  std::unique_ptr<CGeRegion> copy(region->Copy());
  ASSERT_NE(copy, nullptr);
  EXPECT_EQ(copy->m_LoopList.GetCount(), 3);  // the null entry is not copied
  EXPECT_NE(copy->m_LoopList.GetHead(), region->m_LoopList.GetHead());
  EXPECT_DOUBLE_EQ(copy->EvArea(0.01), 93.0);
  double s[2], e[2];
  copy->GetStartPoint(s);
  copy->GetEndPoint(e);
  EXPECT_EQ(s[0], 0.0);
  EXPECT_EQ(e[0], 6.0);
  CGeRegion empty;
  EXPECT_EQ(empty.Copy(), nullptr);
  const double m[3][3] = {{1, 0, 2}, {0, 1, 3}, {0, 0, 1}};
  region->Transform(m);
  region->GetBox2d(&box);
  EXPECT_NEAR(box.min[0], 2.0, 1e-9);
  EXPECT_NEAR(box.max[1], 13.0, 1e-9);
}

}  // namespace
