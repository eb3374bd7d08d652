#include "millvane/surface/LoftSrfCreator.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <vector>

#include "geometry/shapes2d/GeLine.h"
#include "geometry/shapes2d/GePolyline.h"
#include "geometry/shapes3d/GeLine3d.h"
#include "geometry/shapes3d/GePolyline3d.h"
#include "platform/numora/Bsrf.h"

namespace {

using P3 = std::array<double, 3>;

std::unique_ptr<CGePolyline3d> Poly3(const std::vector<P3>& pts) {
  auto pl = std::make_unique<CGePolyline3d>();
  pl->Create(int(pts.size()), reinterpret_cast<const double(*)[3]>(pts.data()));
  return pl;
}

struct Surfaces {
  std::vector<_nurbs_surface*> list;
  ~Surfaces() {
    for (auto* s : list) BSRF_Free(s);
  }
};

// Largest distance from points sampled along the polyline to the nearest of the surfaces.
double MaxDistance(const std::vector<_nurbs_surface*>& srfs, const std::vector<P3>& pts) {
  double worst = 0.0;
  for (size_t i = 0; i + 1 < pts.size(); ++i)
    for (int k = 0; k <= 8; ++k) {
      const double t = k / 8.0;
      const double p[3] = {pts[i][0] + t * (pts[i + 1][0] - pts[i][0]),
                           pts[i][1] + t * (pts[i + 1][1] - pts[i][1]),
                           pts[i][2] + t * (pts[i + 1][2] - pts[i][2])};
      double best = 1e300;
      for (const _nurbs_surface* srf : srfs) {
        double foot[3], u = 1e12, v = 1e12, d = 0;
        EXPECT_EQ(BSRF_SnapPnt(srf, p, 1e-9, foot, u, v, d), 1);
        best = std::min(best, d);
      }
      worst = std::max(worst, best);
    }
  return worst;
}

const std::vector<std::vector<P3>> kSections{
    {{0, 0, 0}, {1, 0, 0.2}, {2, 0, 0}},
    {{0, 1, 0.5}, {1.2, 1, 1.0}, {2, 1, 0.4}},
    {{0, 2.5, 0}, {0.8, 2.5, -0.3}, {2, 2.5, 0.1}},
};

TEST(LoftSrfCreator, ColumnSurfacesInterpolateEverySection) {
  CLoftSrfCreator loft;
  for (const auto& s : kSections) loft.AddCross(Poly3(s).get(), false);
  ASSERT_EQ(loft.m_sections.size(), 3u);
  EXPECT_EQ(loft.m_sections[0]->pieces.GetCount(), 2);
  EXPECT_EQ(loft.m_sections[0]->breaks.back(), 1.0);
  EXPECT_NEAR(loft.m_sections[0]->breaks[0], 0.5, 1e-12);
  Surfaces out;
  ASSERT_EQ(loft.CreatLoftSurf(out.list), 1);
  ASSERT_EQ(out.list.size(), 2u);  // one per column, no split
  for (int col = 0; col < 2; ++col)
    for (const auto& s : kSections) {
      const std::vector<P3> piece{s[size_t(col)], s[size_t(col) + 1]};
      EXPECT_LT(MaxDistance({out.list[size_t(col)]}, piece), 1e-6);
    }
  // A copy owns its own sections and skins the same.
  CLoftSrfCreator copy(loft);
  ASSERT_NE(copy.m_sections[0], loft.m_sections[0]);
  Surfaces again;
  EXPECT_EQ(copy.CreatLoftSurf(again.list), 1);
  EXPECT_EQ(again.list.size(), 2u);
  copy = loft;
  EXPECT_EQ(copy.m_sections.size(), 3u);
}

TEST(LoftSrfCreator, DifferentPieceCountsSkinWholeSections) {
  CLoftSrfCreator loft;
  loft.AddCross(Poly3(kSections[0]).get(), false);
  const double tip[3] = {1, 1.2, 1.5};
  loft.AddCrossPoint(tip);
  loft.AddCross(Poly3(kSections[2]).get(), false);
  Surfaces out;
  ASSERT_EQ(loft.CreatLoftSurf(out.list), 1);
  ASSERT_FALSE(out.list.empty());
  // The sections' corners break tangent continuity across u: the surface is split there.
  EXPECT_GE(out.list.size(), 2u);
  // Every section lies on the surfaces made.
  for (const auto& s : {kSections[0], kSections[2], std::vector<P3>{{1, 1.2, 1.5}, {1, 1.2, 1.5}}})
    EXPECT_LT(MaxDistance(out.list, s), 1e-6);
}

TEST(LoftSrfCreator, ColumnsFailCleanlyWhenASectionHasTooFewPieces) {
  CLoftSrfCreator loft;
  loft.AddCross(Poly3(kSections[0]).get(), false);
  CGeLine3d line(kSections[1][0].data(), kSections[1][2].data());
  loft.AddCross(&line, false);
  loft.AddCross(Poly3(kSections[2]).get(), false);
  Surfaces out;
  EXPECT_EQ(loft.CreatLoftSurfEqu(out.list, 2), 0);
  EXPECT_TRUE(out.list.empty());
  EXPECT_EQ(loft.CreatLoftSurfEqu(out.list, 0), 0);
  CLoftSrfCreator empty;
  EXPECT_EQ(empty.CreatLoftSurf(out.list), 0);
  empty.AddCross(static_cast<CGeCurve3d*>(nullptr), true);
  empty.AddCross(static_cast<CGeCurve*>(nullptr), true, true);
  EXPECT_TRUE(empty.m_sections.empty());
}

TEST(LoftSrfCreator, StoodUpProfileLiesInTheVerticalPlaneOfItsChord) {
  CLoftSrfCreator loft;
  const double pts[3][2] = {{0, 0}, {1, 0.5}, {2, 2}};
  CGePolyline profile;
  profile.Create(3, pts);
  loft.AddCross(&profile, false, true);
  ASSERT_EQ(loft.m_sections.size(), 1u);
  // Chord from (0, 0) to (2, 2): the stood-up profile keeps its chord and rises out of z = 0.
  double zmax = 0.0;
  for (POSITION pos = loft.m_sections[0]->pieces.GetHeadPosition(); pos;) {
    CGeCurve3d* c = loft.m_sections[0]->pieces.GetNext(pos);
    double a[3], b[3];
    c->GetStartPoint(a);
    c->GetEndPoint(b);
    for (const double* p : {a, b}) {
      EXPECT_NEAR(p[0] - p[1], 0.0, 1e-9) << "in the plane x = y";
      zmax = std::max(zmax, std::fabs(p[2]));
    }
  }
  // (1, 0.5) lies 0.5/sqrt(2) from the chord; standing up moves that offset into z.
  EXPECT_NEAR(zmax, 0.5 / std::sqrt(2.0), 1e-9);
}

}  // namespace
