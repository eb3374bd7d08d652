#include "geometry/tools/CurveFit3d.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <memory>
#include <numbers>
#include <vector>

#include "geometry/shapes2d/GeShape2d.h"
#include "geometry/shapes3d/GeCombCurve3d.h"
#include "geometry/shapes3d/GeNrbCrv3d.h"

namespace {

using V = std::array<double, 3>;
double Dist(const double* a, const double* b) {
  return std::sqrt((a[0] - b[0]) * (a[0] - b[0]) + (a[1] - b[1]) * (a[1] - b[1]) +
                   (a[2] - b[2]) * (a[2] - b[2]));
}

double DistToPolyline(const double* p, const std::vector<V>& poly) {
  double best = 1e300;
  for (size_t i = 0; i + 1 < poly.size(); ++i) {
    double d[3], w[3];
    for (int k = 0; k < 3; ++k) d[k] = poly[i + 1][k] - poly[i][k], w[k] = p[k] - poly[i][k];
    double l2 = d[0] * d[0] + d[1] * d[1] + d[2] * d[2];
    double t = l2 > 0 ? std::clamp((w[0] * d[0] + w[1] * d[1] + w[2] * d[2]) / l2, 0.0, 1.0) : 0.0;
    double q[3] = {poly[i][0] + t * d[0], poly[i][1] + t * d[1], poly[i][2] + t * d[2]};
    best = std::min(best, Dist(p, q));
  }
  return best;
}

// Dense samples of a curve, walking the sub-curves of a composite in order.
std::vector<V> Sample(CGeCurve3d* c) {
  std::vector<V> out;
  std::vector<CGeCurve3d*> parts;
  if (auto* comb = dynamic_cast<CGeCombCurve3d*>(c)) {
    for (int k = 1; CGeCurve3d* sub = comb->GetSubCurve(k); ++k) parts.push_back(sub);
  } else {
    parts.push_back(c);
  }
  for (CGeCurve3d* part : parts) {
    int segs = std::max(1, part->GetSegmentCount());
    for (int s = 1; s <= segs; ++s)
      for (int i = 0; i <= 200; ++i) {
        V p;
        double t = i / 200.0;
        part->GetPointAt(segs > 1 ? s + std::min(t, 0.999999) : t, p.data(), 0);
        out.push_back(p);
      }
  }
  return out;
}

double Hausdorff(CGeCurve3d* c, const std::vector<V>& poly) {
  std::vector<V> s = Sample(c);
  double h = 0;
  for (const V& p : s) h = std::max(h, DistToPolyline(p.data(), poly));
  for (const V& p : poly) h = std::max(h, DistToPolyline(p.data(), s));
  return h;
}

const double (*Raw(const std::vector<V>& v))[3] {
  return reinterpret_cast<const double(*)[3]>(v.data());
}

// Points of a circle of radius 4 about (1, -2, 1) in the coordinate plane of the code at 3.
std::vector<V> CircleIn(int plane, int n, double sweep) {
  std::vector<V> pts;
  for (int i = 0; i < n; ++i) {
    double a = sweep * i / (n - 1), u = 4 * std::cos(a), v = 4 * std::sin(a);
    if (plane == 0) pts.push_back({u + 1, v - 2, 3});
    if (plane == 1) pts.push_back({3, v - 2, u + 1});
    if (plane == 2) pts.push_back({u + 1, 3, v + 1});
  }
  return pts;
}

TEST(CurveFit3dBiarc, CirclePointsInEachCoordinatePlane) {
  for (int plane : {0, 1, 2}) {
    SCOPED_TRACE(plane);
    std::vector<V> pts = CircleIn(plane, 60, 1.5 * std::numbers::pi);
    std::unique_ptr<CGeCombCurve3d> fit(geBiarcsFitCurve3dOnXYZ(Raw(pts), 60, 0.01, plane));
    ASSERT_NE(fit, nullptr);
    EXPECT_LT(fit->m_CurveList.GetCount(), 30);  // arcs spanning several points each
    std::vector<V> s = Sample(fit.get());
    const int axis = plane == 0 ? 2 : (plane == 1 ? 0 : 1);
    double worst = 0;
    for (const V& p : s) {
      EXPECT_NEAR(p[axis], 3.0, 1e-9);
      double c[3] = {1, -2, 1};
      c[axis] = 3;
      worst = std::max(worst, std::fabs(Dist(p.data(), c) - 4.0));
    }
    EXPECT_LT(worst, 0.011);
    EXPECT_LT(Hausdorff(fit.get(), pts), 0.011);
    EXPECT_LT(Dist(s.front().data(), pts.front().data()), 1e-9);
    EXPECT_LT(Dist(s.back().data(), pts.back().data()), 1e-9);
  }
  std::vector<V> pts = CircleIn(0, 10, std::numbers::pi);
  EXPECT_EQ(geBiarcsFitCurve3dOnXYZ(Raw(pts), 10, 0.01, 3), nullptr);
  EXPECT_EQ(geBiarcsFitCurve3dOnXYZ(Raw(pts), 1, 0.01, 0), nullptr);
}

TEST(CurveFit3dBiarc, RunsFollowThePlanesAndStayJoined) {
  std::vector<V> rect = {{0, 0, 5}, {4, 0, 5}, {4, 3, 5}, {0, 3, 5}, {0, 0, 5}};
  std::unique_ptr<CGeCombCurve3d> flat(geBiarcsFitCurve3d(Raw(rect), 5, 0.01));
  ASSERT_NE(flat, nullptr);
  EXPECT_LT(Hausdorff(flat.get(), rect), 1e-9);
  for (const V& p : Sample(flat.get())) EXPECT_NEAR(p[2], 5, 1e-9);

  // Along the floor z = 0, then up the wall x = 4.
  std::vector<V> bent = {{0, 0, 0}, {2, 1, 0}, {4, 0, 0}, {4, 1, 2}, {4, 3, 3}, {4, 4, 1}};
  std::unique_ptr<CGeCombCurve3d> two(geBiarcsFitCurve3d(Raw(bent), 6, 0.01));
  ASSERT_NE(two, nullptr);
  EXPECT_TRUE(two->IsLinked(1e-9));
  std::vector<V> along = Sample(two.get());
  for (const V& p : bent) EXPECT_LT(DistToPolyline(p.data(), along), 1e-6);

  // Points that keep to no coordinate plane are kept as they are.
  std::vector<V> skew = {{0, 0, 0}, {1, 2, 3}, {2, 3, 5}, {4, 5, 6}};
  std::unique_ptr<CGeCombCurve3d> poly(geBiarcsFitCurve3d(Raw(skew), 4, 0.01));
  ASSERT_NE(poly, nullptr);
  EXPECT_LT(Hausdorff(poly.get(), skew), 1e-5);  // vertices are stored as floats

  EXPECT_EQ(geBiarcsFitCurve3d(Raw(skew), 1, 0.01), nullptr);
  EXPECT_EQ(geBiarcsFitCurve3d(nullptr, 4, 0.01), nullptr);
}

TEST(CurveFit3dNurbs, OnePieceOrAJoinedComposite) {
  std::vector<V> arc;
  for (int i = 0; i < 80; ++i) {
    double a = std::numbers::pi * i / 79;
    arc.push_back({5 * std::cos(a), 5 * std::sin(a), 0.02 * i});
  }
  std::unique_ptr<CGeCurve3d> one(geFitCurve3d(Raw(arc), 80, 0.02, 2.5));
  ASSERT_NE(one, nullptr);
  EXPECT_EQ(one->GetType(), GE_TYPE_NRBCRV3D);
  EXPECT_LT(Hausdorff(one.get(), arc), 0.021);

  std::vector<V> corner;
  for (int i = 0; i <= 20; ++i) corner.push_back({0.5 * i, 0, 0});
  for (int i = 1; i <= 20; ++i) corner.push_back({10, 0, 0.5 * i});
  std::unique_ptr<CGeCurve3d> two(geFitCurve3d(Raw(corner), 41, 0.02, 2.5));
  ASSERT_NE(two, nullptr);
  auto* comb = dynamic_cast<CGeCombCurve3d*>(two.get());
  ASSERT_NE(comb, nullptr);
  ASSERT_EQ(comb->m_CurveList.GetCount(), 2);
  EXPECT_EQ(comb->GetSubCurve(1)->GetType(), GE_TYPE_NRBCRV3D);
  EXPECT_TRUE(comb->IsLinked(1e-9));
  EXPECT_LT(Hausdorff(two.get(), corner), 0.021);

  EXPECT_EQ(geFitCurve3d(Raw(corner), 1, 0.02, 2.5), nullptr);
}

}  // namespace
