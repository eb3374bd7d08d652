// The 3D line: closed forms, splitting, arc-length parameters, the xy nearest point against
// brute force and picking in the 2D view.
#include <cmath>

#include "Shape3dTestUtil.h"
#include "geometry/shapes2d/PickRay.h"
#include "geometry/shapes3d/GeLine3d.h"

using namespace shapes3d_test;

namespace {

const double kS[3] = {1.0, 2.0, -1.0}, kE[3] = {4.0, 6.0, 11.0};  // length 13, xy length 5

using Line3d = VurodeTest;

TEST_F(Line3d, ClosedForms) {
  CGeLine3d line(kS, kE);
  EXPECT_EQ(line.GetType(), 0x400);
  EXPECT_NEAR(line.EvTotalArcLength(), 13.0, 1e-12);
  EXPECT_NEAR(line.EvTotalArcLength2D(), 5.0, 1e-12);
  double p[3], v[3], d1[3], d2[3];
  line.GetPointAt(0.25, p, 1);
  const double q[3] = {1.75, 3.0, 2.0};
  EXPECT_PT_NEAR(p, q, 1e-12);
  line.GetTanVecAt(0.25, p, v, 1);
  const double u[3] = {3.0 / 13, 4.0 / 13, 12.0 / 13};
  EXPECT_PT_NEAR(v, u, 1e-12);
  line.Ev2Der(0.5, p, d1, d2, 1);
  const double d[3] = {3, 4, 12}, zero[3] = {0, 0, 0};
  EXPECT_PT_NEAR(d1, d, 0.0);
  EXPECT_PT_NEAR(d2, zero, 0.0);
  EXPECT_EQ(line.IsClosed(1e9), 0);
  double pt[3], dir[3];
  EXPECT_EQ(line.IsPlanar(0.01, pt, dir), 2);
  EXPECT_PT_NEAR(dir, u, 1e-12);
  EXPECT_EQ(line.IsPlanar(13.5, pt, dir), 3);
  EXPECT_PT_NEAR(pt, kS, 0.0);

  // The float constructor widens its points and has a box at once.
  const tagPoint3d fs{0.5f, 0.25f, -2.0f}, fe{1.0f, 1.0f, 1.0f};
  CGeLine3d fl(fs, fe);
  EXPECT_EQ(fl.m_ptStart[2], -2.0);
  EXPECT_EQ(fl.m_box.max[2], 1.0);
  EXPECT_EQ(fl.m_strDisc.m_nCount, 2);
}

TEST_F(Line3d, ReverseSwapsEndsAndCache) {
  CGeLine3d line(kS, kE);
  line.Reverse();
  EXPECT_PT_NEAR(line.m_ptStart, kE, 0.0);
  EXPECT_PT_NEAR(line.m_strDisc.m_pPoints[0], kE, 0.0);
  EXPECT_PT_NEAR(line.m_strDisc.m_pPoints[1], kS, 0.0);
}

TEST_F(Line3d, SplitTable) {
  struct Row {
    double t;
    bool first, second;
  };
  const Row rows[] = {{0.00005, false, true}, {0.5, true, true}, {0.25, true, true},
                      {0.99995, true, false}};
  for (const Row& r : rows) {
    CGeLine3d line(kS, kE);
    CGeCurve3d* out[2] = {nullptr, nullptr};
    line.Split(r.t, out, 1);
    std::unique_ptr<CGeCurve3d> a(out[0]), b(out[1]);
    ASSERT_EQ(a != nullptr, r.first) << r.t;
    ASSERT_EQ(b != nullptr, r.second) << r.t;
    if (a && b) {
      double ae[3], bs[3], p[3];
      a->GetEndPoint(ae);
      b->GetStartPoint(bs);
      line.GetPointAt(r.t, p, 1);
      EXPECT_PT_NEAR(ae, p, 1e-12);
      EXPECT_PT_NEAR(bs, p, 1e-12);
      EXPECT_NEAR(a->EvTotalArcLength() + b->EvTotalArcLength(), 13.0, 1e-9);
    } else {
      CGeCurve3d* whole = a ? a.get() : b.get();
      double s[3], e[3];
      whole->GetStartPoint(s);
      whole->GetEndPoint(e);
      EXPECT_PT_NEAR(s, kS, 0.0);
      EXPECT_PT_NEAR(e, kE, 0.0);
    }
  }
  // Outside [0, 1] the outputs stay as they were.
  CGeLine3d line(kS, kE);
  CGeCurve3d* keep[2] = {&line, &line};
  line.Split(1.2, keep, 1);
  line.Split(-0.1, keep, 1);
  EXPECT_EQ(keep[0], &line);
  EXPECT_EQ(keep[1], &line);
}

TEST_F(Line3d, EvParamReportsTheParameterAtALength) {
  CGeLine3d line(kS, kE);
  double t = -1.0;
  unsigned seg = 9;
  EXPECT_EQ(line.EvParam(6.5, t, seg), 1);
  EXPECT_NEAR(t, 0.5, 1e-12);
  EXPECT_EQ(seg, 0u);
  EXPECT_EQ(line.EvParam(26.0, t, seg), 1);  // not clamped
  EXPECT_NEAR(t, 2.0, 1e-12);
  CGeLine3d dot(kS, kS);
  EXPECT_EQ(dot.EvParam(1.0, t, seg), 0);
  EXPECT_EQ(t, 0.0);
}

TEST_F(Line3d, NearestPointInXYMatchesBruteForce) {
  CGeLine3d line(kS, kE);
  unsigned seed = 3;
  auto rnd = [&] {
    seed = seed * 1664525u + 1013904223u;
    return ((seed >> 8) % 20000) / 1000.0 - 8.0;
  };
  for (int i = 0; i < 100; ++i) {
    const double p[3] = {rnd(), rnd(), rnd()};
    double best = 1e300, bestT = 0.0;
    for (int j = 0; j <= 10000; ++j) {
      double q[3];
      line.GetPointAt(j / 10000.0, q, 1);
      const double d = std::hypot(p[0] - q[0], p[1] - q[1]);
      if (d < best) best = d, bestT = j / 10000.0;
    }
    double out[3], t = 0.0, dist = 0.0;
    unsigned seg = 0;
    ASSERT_EQ(line.GetNearestPoint2D(p, out, t, seg, dist), 1);
    EXPECT_EQ(seg, 1u);
    EXPECT_NEAR(dist, best, 1e-3);
    EXPECT_LE(dist, best + 1e-12);
    EXPECT_NEAR(t, bestT, 2e-4);
    double on[3];
    line.GetPointAt(t, on, 1);
    EXPECT_PT_NEAR(out, on, 1e-9);  // with its height on the line
  }
  CGeLine3d vertical(kS, (const double[3]){1.0, 2.0, 5.0});
  double out[3], t, dist;
  unsigned seg;
  EXPECT_EQ(vertical.GetNearestPoint2D(kE, out, t, seg, dist), 0);  // no xy direction
}

TEST_F(Line3d, PickInThe2DView) {
  CGeLine3d line(kS, kE);  // (1, 2) to (4, 6) in xy
  CPickRay ray;
  ray.m_b2D = 1;
  ray.m_dRadius = 0.5;
  struct Row {
    double x, y;
    int hit;
    double t, dist;
  };
  const Row rows[] = {
      {2.5 - 0.4 * 0.5, 4.0 + 0.3 * 0.5, 1, 0.5, 0.25},  // beside the middle
      {2.5 - 0.8, 4.0 + 0.6, 0, 0, 0},                    // 1.0 away
      {0.76, 1.68, 1, 0.0, 0.4},                          // before the start
      {4.24, 6.32, 1, 1.0, 0.4},                          // past the end
      {0.58, 1.44, 0, 0, 0},                              // 0.7 before the start
      {10.0, 10.0, 0, 0, 0},                              // outside the box
  };
  for (const Row& r : rows) {
    ray.m_ptOrigin[0] = r.x;
    ray.m_ptOrigin[1] = r.y;
    ray.m_dDist2D = 0.01;  // a nearer hit met before does not stop the line
    ASSERT_EQ(line.Pick(ray, 1), r.hit) << r.x << ", " << r.y;
    if (!r.hit) continue;
    EXPECT_NEAR(ray.m_dParam, r.t, 1e-9);
    EXPECT_NEAR(ray.m_dDist2D, r.dist, 1e-9);
  }
  ray.m_nTypeMask = 0x800;
  ray.m_ptOrigin[0] = 2.5;
  ray.m_ptOrigin[1] = 4.0;
  EXPECT_EQ(line.Pick(ray, 1), 0);
}

TEST_F(Line3d, PickInThe3DViewComparesDepths) {
  CGeLine3d line(kS, kE);
  CPickRay ray;
  ray.m_b2D = 0;
  ray.m_dRadius = 0.1;
  double mid[3];
  line.GetPointAt(0.5, mid, 1);
  ray.m_ptOrigin[0] = mid[0];
  ray.m_ptOrigin[1] = mid[1];
  ray.m_ptOrigin[2] = 100.0;
  ray.m_vDir[0] = ray.m_vDir[1] = 0.0;
  ray.m_vDir[2] = -1.0;
  ASSERT_EQ(line.Pick(ray, 1), 1);
  EXPECT_NEAR(ray.m_dDist3D, 100.0 - mid[2], 1e-9);
  EXPECT_NEAR(ray.m_dParam, 0.5, 1e-9);
  EXPECT_EQ(ray.m_nIndex, 1);
  ray.m_dDist3D = 10.0;  // something nearer was hit already
  EXPECT_EQ(line.Pick(ray, 1), 0);
}

TEST_F(Line3d, CopyKeepsWordsAndBox) {
  CGeLine3d line(kS, kE);
  line.m_nExtData = 9;
  line.m_nTag = 4;
  line.m_nUserData = 77;
  std::unique_ptr<CGeLine3d> copy(line.Copy());
  EXPECT_EQ(copy->m_nExtData, 9);
  EXPECT_EQ(copy->m_nTag, 4);
  EXPECT_EQ(copy->m_nUserData, 0);  // not copied
  EXPECT_EQ(copy->m_box.max[2], 11.0);
  EXPECT_EQ(copy->GetNext(), nullptr);
}

}  // namespace
