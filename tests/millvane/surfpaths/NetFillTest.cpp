// Filling the protect net: one polygon against its plane, and a whole model against the
// brute-force drop-cutter.
#include "millvane/surfpaths/NetFill.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "millvane/paths/MillCenter.h"
#include "millvane/paths/ProtectNet.h"
#include "millvane/surfpaths/SurfPathSteps.h"
#include "platform/panlet/Progress.h"
#include "support/MeshOracle.h"

namespace {

bool InTriangle(const double* a, const double* b, const double* c, double x, double y) {
  auto side = [&](const double* p, const double* q) {
    return (q[0] - p[0]) * (y - p[1]) - (q[1] - p[1]) * (x - p[0]);
  };
  const double s1 = side(a, b), s2 = side(b, c), s3 = side(c, a);
  return (s1 >= 0 && s2 >= 0 && s3 >= 0) || (s1 <= 0 && s2 <= 0 && s3 <= 0);
}

TEST(NetFill, TriangleRaisesExactlyTheNodesUnderIt) {
  const double box[6] = {0, 0, 0, 10, 10, 5};
  CProtectNet net;
  ASSERT_EQ(net.Create(0.25, 1.0, box), 1);
  const double base = net.Height(0, 0);
  // Plane z = 1 + 0.2 x + 0.1 y.
  auto z = [](double x, double y) { return 1 + 0.2 * x + 0.1 * y; };
  const double a[3] = {1.1, 0.9, z(1.1, 0.9)}, b[3] = {8.7, 2.3, z(8.7, 2.3)},
               c[3] = {4.2, 9.1, z(4.2, 9.1)};
  const double* v[3] = {a, b, c};
  RasterPolygonOnNet(net, v, 3);
  int inside = 0;
  for (int i = 0; i < net.rows; ++i)
    for (int j = 0; j < net.cols; ++j) {
      const double x = net.xs[j], y = net.ys[i], h = net.Height(i, j);
      if (InTriangle(a, b, c, x, y)) {
        ++inside;
        EXPECT_NEAR(h, z(x, y), 1e-9) << x << ", " << y;
      } else if (h != base) {
        // Only nodes within the rasteriser's 0.001 slack of the sides may rise.
        EXPECT_TRUE(InTriangle(a, b, c, x + 0.001, y) || InTriangle(a, b, c, x - 0.001, y))
            << x << ", " << y;
      }
    }
  // About one node per cell of the triangle's area.
  const double area = 0.5 * std::fabs((b[0] - a[0]) * (c[1] - a[1]) - (b[1] - a[1]) * (c[0] - a[0]));
  EXPECT_NEAR(inside, area / 0.0625, 30);
  // Heights only rise: a lower copy changes nothing.
  const double a2[3] = {a[0], a[1], a[2] - 3}, b2[3] = {b[0], b[1], b[2] - 3}, c2[3] = {c[0], c[1], c[2] - 3};
  const double* w[3] = {a2, b2, c2};
  std::vector<double> before = net.heights;
  RasterPolygonOnNet(net, w, 3);
  EXPECT_EQ(net.heights, before);
  // Non-finite vertices are refused.
  const double bad[3] = {NAN, 1, 1};
  const double* u[3] = {bad, b, c};
  RasterPolygonOnNet(net, u, 3);
  EXPECT_EQ(net.heights, before);
}

TEST(NetFill, VertexCountsOnlyOnANode) {
  const double box[6] = {0, 0, 0, 10, 10, 5};
  CProtectNet net;
  ASSERT_EQ(net.Create(0.5, 1.0, box), 1);
  const double on[3] = {net.xs[7] + 0.00005, net.ys[9], 42.0}, off[3] = {net.xs[3] + 0.01, net.ys[3], 42.0};
  EnterVertexOnNet(net, on);
  EnterVertexOnNet(net, off);
  EXPECT_EQ(net.Height(9, 7), 42.0);
  EXPECT_LT(net.Height(3, 3), 42.0);
}

TEST(NetFill, NodesStayAtOrUnderTheDropHeight) {
  gResetProgress();
  CTBall ball(3.0);
  auto mesh = oracle::WavyGrid(20.0, 31);
  CTypedPtrList<CObList, CGeMesh*> list;
  list.AddTail(mesh.get());
  std::unique_ptr<CMillCenter> m(CreateMillCentre(&list, &ball, 0, 0, 0.1));
  ASSERT_TRUE(m);
  CProtectNet net;
  ASSERT_EQ(net.Create(SrfNetCell(&ball, false, false, 0), 1.5, m->box), 1);
  ASSERT_EQ(FillProtectNet(net, m.get()), 1);
  double above = -1e9, below = -1e9;
  int n = 0;
  for (int i = 0; i < net.rows; i += 3)
    for (int j = 0; j < net.cols; j += 3) {
      const double h = oracle::DropHeight({mesh.get()}, &ball, net.xs[j], net.ys[i]);
      if (h < -1e11) continue;
      above = std::max(above, net.Height(i, j) - h);
      below = std::max(below, h - net.Height(i, j));
      ++n;
    }
  EXPECT_GT(n, 200);
  // The net must never claim material that is not there.
  EXPECT_LT(above, 0.01);
  // Facet and tube approximations keep it close below.
  EXPECT_LT(below, 0.2);
  EXPECT_EQ(FillProtectNet(net, nullptr), 0);
  gSetProgressCancelAfter(1);
  EXPECT_EQ(FillProtectNet(net, m.get()), 0);
  gResetProgress();
}

}  // namespace
