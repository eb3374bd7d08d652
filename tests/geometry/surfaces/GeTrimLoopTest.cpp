// Trim loops and boundaries: classification in parameter space, area, boxes, sampling on the
// surface and the space curves built from it.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <random>

#include "tests/support/geometry/TrimTestUtil.h"
#include "geometry/shapes3d/GeLoop3d.h"
#include "geometry/shapes3d/GeLine3d.h"
#include "geometry/shapes3d/GePolyline3d.h"
#include "platform/vurode/Accessors.h"

using namespace trimtest;

namespace {

// Distance from p to the polyline through the points.
double DistToPolyline(const CGePolyline3d& pl, const double p[3]) {
  double best = 1e300;
  for (int i = 0; i + 1 < pl.m_nCount; ++i)
    best = std::fmin(best, L3D_DistToPntEx(pl.m_pVertex[i], pl.m_pVertex[i + 1], p));
  return best;
}

TEST(GeTrimLoop, ClassifiesAgainstIndependentPolygonTest) {
  // A notch whose tip (0.7, 0.5) touches the line v = 0.5 from above, and a diamond whose
  // right vertex (1, 0.5) is crossed there.
  const std::vector<std::vector<UV>> polys = {
      {{0, 0}, {1, 0}, {1, 1}, {0.8, 1}, {0.7, 0.5}, {0.6, 1}, {0, 1}},
      {{0.5, 0}, {1, 0.5}, {0.5, 1}, {0, 0.5}},
  };
  std::mt19937 rng(3);
  std::uniform_real_distribution<double> d(-0.2, 1.2);
  for (const auto& poly : polys) {
    std::unique_ptr<CGeTrimLoop> loop(PolygonLoop(poly));
    std::vector<UV> pts = {{0.3, 0.5}, {0.05, 0.5}, {0.9, 0.5}, {-0.1, 0.5}};
    for (int k = 0; k < 2000; ++k) pts.push_back({d(rng), d(rng)});
    for (const UV p : pts) {
      if (DistToPolygon(poly, p) < 1e-3) continue;
      const double uv[2] = {p.u, p.v};
      ASSERT_EQ(loop->IsPtInLoop(uv, 1e-6), InPolygon(poly, p) ? 0 : 1) << p.u << "," << p.v;
    }
  }
}

TEST(GeTrimLoop, UnitSquareCases) {
  std::unique_ptr<CGeTrimLoop> ccw(PolygonLoop({{0, 0}, {1, 0}, {1, 1}, {0, 1}}));
  std::unique_ptr<CGeTrimLoop> cw(PolygonLoop({{0, 0}, {0, 1}, {1, 1}, {1, 0}}));
  struct Case {
    double u, v;
    int want;
  } cases[] = {{0.5, 0.5, 0}, {2, 2, 1}, {0.5, 0, 2}, {1, 0.3, 2}, {0, 0, 2}, {0.5, 1, 2}};
  for (const Case& c : cases) {
    const double uv[2] = {c.u, c.v};
    EXPECT_EQ(ccw->IsPtInLoop(uv, 1e-6), c.want) << c.u << "," << c.v;
    EXPECT_EQ(cw->IsPtInLoop(uv, 1e-6), c.want) << c.u << "," << c.v;
  }
  EXPECT_NEAR(ccw->EvArea(0.01), 1.0, 1e-12);
  EXPECT_NEAR(cw->EvArea(0.01), -1.0, 1e-12);
  EXPECT_EQ(cw->m_dArea, cw->EvArea(0.01));
  cw->Reverse();
  EXPECT_NEAR(cw->EvArea(0.01), 1.0, 1e-12);
}

TEST(GeTrimLoop, AddBoundBoxesTheCurveNotTheUnitSquare) {
  CGeTrimLoop loop;
  EXPECT_EQ(loop.AddBound(nullptr), 0);
  auto* bnd = new CGeTrimBnd(Polygon({{0.2, 0.1}, {0.7, 0.15}, {0.4, 0.4}}), nullptr, nullptr);
  ASSERT_EQ(loop.AddBound(bnd), 1);
  EXPECT_EQ(bnd->m_pOwner, &loop);
  _tagBox2D box;
  loop.GetUVBox(&box);
  EXPECT_DOUBLE_EQ(box.min[0], 0.2);
  EXPECT_DOUBLE_EQ(box.min[1], 0.1);
  EXPECT_DOUBLE_EQ(box.max[0], 0.7);
  EXPECT_DOUBLE_EQ(box.max[1], 0.4);
  CGeTrimLoop empty;
  empty.CalcUVBox();
  empty.GetUVBox(&box);
  EXPECT_EQ(box.max[0], 1.0);
  double xyz[3], uv[2];
  EXPECT_EQ(empty.GetStartPoint(xyz, uv), 0);
}

TEST(GeTrimLoop, ContainmentNeedsTheSameOwnerAndAnInsideStart) {
  CGeTrimSurf srf(WavySurface(), _tagBox2D{{0, 0}, {1, 1}});
  std::unique_ptr<CGeTrimLoop> outer(PolygonLoop({{0, 0}, {1, 0}, {1, 1}, {0, 1}}));
  std::unique_ptr<CGeTrimLoop> inner(PolygonLoop({{0.2, 0.2}, {0.4, 0.2}, {0.3, 0.4}}));
  std::unique_ptr<CGeTrimLoop> apart(PolygonLoop({{1.2, 0.2}, {1.4, 0.2}, {1.3, 0.4}}));
  for (CGeTrimLoop* l : {outer.get(), inner.get(), apart.get()}) l->m_pOwner = &srf;
  EXPECT_EQ(outer->IsContainLoop(inner.get(), 1e-6), 1);
  EXPECT_EQ(inner->IsContainLoop(outer.get(), 1e-6), 0);
  EXPECT_EQ(outer->IsContainLoop(apart.get(), 1e-6), 0);
  EXPECT_EQ(outer->IsContainLoop(nullptr, 1e-6), 0);
  inner->m_pOwner = nullptr;
  EXPECT_EQ(outer->IsContainLoop(inner.get(), 1e-6), 0);
}

TEST(GeTrimBnd, AxisParallelBoundariesGetExactIsoCurves) {
  CGeTrimSurf srf(WavySurface(), _tagBox2D{{0, 0}, {1, 1}});
  struct Case {
    double x0, y0, x1, y1;
  } cases[] = {{0.5, 0, 0.5, 1}, {0.5, 1, 0.5, 0.2}, {0.9, 0.3, 0.1, 0.3}};
  for (const Case& c : cases) {
    const double a[2] = {c.x0, c.y0}, b[2] = {c.x1, c.y1};
    CGeTrimBnd bnd(new CGeLine(a, b), nullptr, nullptr);
    bnd.UpdateEucCrv(srf.m_pSurface, 0.01);
    ASSERT_NE(bnd.m_pEucCrv, nullptr);
    EXPECT_EQ(bnd.m_pEucCrv->GetType(), 0x2000);
    for (double t = 0; t <= 1; t += 0.25) {
      double p[3], q[3];
      bnd.m_pEucCrv->GetPointAt(t, p, 1);
      srf.GetPoint(c.x0 + t * (c.x1 - c.x0), c.y0 + t * (c.y1 - c.y0), q);
      EXPECT_LT(Dist3(p, q), 1e-6) << c.x0 << "," << c.y0 << " t " << t;
    }
  }
}

TEST(GeTrimBnd, SampledSpaceCurvesFollowTheSurfaceWithinTolerance) {
  CGeTrimSurf srf(WavySurface(), _tagBox2D{{0, 0}, {1, 1}});
  const double a[2] = {0.05, 0.1}, b[2] = {0.95, 0.8};
  const double tol = 0.01;
  CGeTrimBnd bnd(new CGeLine(a, b), nullptr, nullptr);
  bnd.UpdateEucCrv(srf.m_pSurface, tol);
  ASSERT_NE(bnd.m_pEucCrv, nullptr);
  ASSERT_EQ(bnd.m_pEucCrv->GetType(), 0x1000);
  auto* pl = static_cast<CGePolyline3d*>(bnd.m_pEucCrv);
  EXPECT_GT(pl->m_nCount, 10);
  for (double t = 0; t <= 1; t += 1.0 / 256) {
    double q[3];
    srf.GetPoint(a[0] + t * (b[0] - a[0]), a[1] + t * (b[1] - a[1]), q);
    EXPECT_LT(DistToPolyline(*pl, q), 2 * tol) << t;
  }

  // The loop's builder samples boundaries that have no space curve (and keeps the others).
  std::unique_ptr<CGeTrimLoop> loop(PolygonLoop({{0.1, 0.1}, {0.9, 0.2}, {0.5, 0.9}}));
  loop->m_pOwner = &srf;
  loop->CreateEuclidBnd();
  CGeTrimBnd* edge = loop->m_BndList.GetHead();
  ASSERT_NE(edge->m_pEucCrv, nullptr);
  ASSERT_EQ(edge->m_pEucCrv->GetType(), 0x1000);
  auto* ring = static_cast<CGePolyline3d*>(edge->m_pEucCrv);
  for (double t = 0; t <= 1; t += 1.0 / 300) {
    double rec[5];
    edge->GetPoint(t, &srf, rec);
    EXPECT_LT(DistToPolyline(*ring, rec), 0.1 + 1e-9) << t;
  }
  CGeCurve3d* kept = edge->m_pEucCrv;
  loop->CreateEuclidBnd();
  EXPECT_EQ(edge->m_pEucCrv, kept);
}

TEST(GeTrimBnd, NurbsSpaceCurveKeepsTheEndsOfThePolyline) {
  CGeTrimBnd none;
  EXPECT_EQ(none.GetNurbEucCrv(), nullptr);
  const double pts[5][3] = {{0, 0, 0}, {1, 1, 0}, {2, 1.5, 0.5}, {3, 1, 1}, {4, 0, 1}};
  auto* pl = new CGePolyline3d();
  pl->Create(5, pts);
  CGeTrimBnd bnd(nullptr, pl, nullptr);
  CGeCurve3d* c = bnd.GetNurbEucCrv();
  ASSERT_EQ(c, bnd.m_pEucCrv);
  ASSERT_TRUE(c->GetType() == 0x1000 || c->GetType() == 0x2000);
  double s[3], e[3];
  c->GetStartPoint(s);
  c->GetEndPoint(e);
  EXPECT_LT(Dist3(s, pts[0]), 1e-9);
  EXPECT_LT(Dist3(e, pts[4]), 1e-9);
  EXPECT_EQ(bnd.GetNurbEucCrv(), c);  // a second call changes nothing
}

TEST(GeTrimBnd, StraightBoundaryOnAPlaneGivesOneSamplePerInterval) {
  const double o[3] = {0, 0, 0};
  CGeTrimSurf plane(CNurbsEditor::MakePlane(o, 10, 5), _tagBox2D{{0, 0}, {1, 1}});
  const double a[2] = {0.1, 0.2}, b[2] = {0.9, 0.7};
  CGeTrimBnd bnd(new CGeLine(a, b), nullptr, nullptr);
  double step = 0;
  bnd.m_pParaCrv->GetDiscStep(0.01, step);
  const int n = static_cast<int>(std::ceil(1.0 / step));
  double recs[200][5];
  int count = 0;
  ASSERT_EQ(bnd.DiscreteBound(&plane, 0.01, recs, count, 200), n + 1);
  EXPECT_EQ(count, n + 1);
  EXPECT_DOUBLE_EQ(recs[n][3], 0.9);
  EXPECT_NEAR(recs[n][0], 9.0, 1e-9);
  EXPECT_NEAR(recs[n][1], 3.5, 1e-9);
  // The cap is kept.
  CGeTrimSurf wavy(WavySurface(), _tagBox2D{{0, 0}, {1, 1}});
  EXPECT_LE(bnd.DiscreteBound(&wavy, 1e-6, recs, count, 8), 8);
  CGeTrimBnd bare;
  EXPECT_EQ(bare.DiscreteBound(&plane, 0.01, recs, count, 200), 0);
}

TEST(GeTrimBnd, EndsCopiesAndTransformsOfTheSpaceCurve) {
  const double p0[3] = {0, 0, 0}, p1[3] = {4, 0, 0};
  const double a[2] = {0, 0}, b[2] = {1, 0};
  auto* loop = new CGeTrimLoop();
  loop->m_BndList.AddTail(new CGeTrimBnd(new CGeLine(a, b), new CGeLine3d(p0, p1), loop));
  loop->m_BndList.AddTail(new CGeTrimBnd(nullptr, nullptr, loop));
  double xyz[3], uv[2];
  ASSERT_EQ(loop->GetEndPoint(xyz, uv), 1);
  EXPECT_EQ(xyz[0], 4.0);
  EXPECT_EQ(uv[0], 1.0);
  CGeTrimBnd* bare = loop->m_BndList.GetTail();
  EXPECT_EQ(bare->GetStartPoint(xyz, uv), 0);
  EXPECT_EQ(uv[0], -1.0);

  std::unique_ptr<CGeTrimLoop> copy(loop->Copy());
  const double d[3] = {1, 2, 3};
  loop->Translate3D(d);
  copy->m_BndList.GetHead()->GetEndPoint(xyz, uv);
  EXPECT_EQ(xyz[0], 4.0);  // deep copy
  EXPECT_EQ(copy->m_BndList.GetHead()->m_pOwner, loop);
  loop->m_BndList.GetHead()->GetEndPoint(xyz, uv);
  EXPECT_EQ(xyz[0], 5.0);
  EXPECT_EQ(xyz[2], 3.0);
  EXPECT_EQ(uv[0], 1.0);  // the parameter curve stays
  _tagBox3D box;
  loop->GetBox(&box);
  EXPECT_EQ(box.max[2], 3.0);
  EXPECT_EQ(loop->GetType(), 0x10000);
  EXPECT_EQ(bare->GetType(), 0x200000);
  delete loop;
}

TEST(GeTrimLoop, CreateMapsAPlanarLoopOntoTheUnitSquare) {
  CGeLoop3d src;
  const double pts[4][3] = {{10, 20, 0}, {30, 20, 0}, {30, 60, 0}, {10, 60, 0}};
  for (int i = 0; i < 4; ++i) src.AddTail(new CGeLine3d(pts[i], pts[(i + 1) % 4]));
  CGeTrimLoop loop;
  loop.Create(&src, _tagBox2D{{10, 20}, {30, 60}});
  ASSERT_EQ(loop.m_BndList.GetCount(), 4);
  loop.CalcUVBox();
  _tagBox2D box;
  loop.GetUVBox(&box);
  EXPECT_NEAR(box.min[0], 0, 1e-9);
  EXPECT_NEAR(box.max[1], 1, 1e-9);
  const double mid[2] = {0.5, 0.5};  // (20, 40)
  EXPECT_EQ(loop.IsPtInLoop(mid, 1e-6), 0);
  EXPECT_NEAR(loop.EvArea(0.01), 1.0, 1e-9);
  CGeTrimBnd* second = loop.m_BndList.GetAt(loop.m_BndList.FindIndex(1));
  EXPECT_EQ(second->m_pOwner, &loop);
  double xyz[3], uv[2];
  second->GetStartPoint(xyz, uv);
  EXPECT_NEAR(uv[0], 1, 1e-9);
  EXPECT_NEAR(uv[1], 0, 1e-9);
  EXPECT_EQ(xyz[0], 30.0);
}

}  // namespace
