// The trimmed NURBS surface: evaluation in the unit domain, loop orientation, point
// classification, iso curves, transforms, copies and meshing.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <random>
#include <numbers>

#include "SurfTestUtil.h"
#include "tests/support/geometry/TrimTestUtil.h"
#include "geometry/shapes3d/GeNrbCrv3d.h"

using namespace trimtest;

namespace {
// A trimmed surface over the wavy surface with the unit square as its outer loop.
std::unique_ptr<CGeTrimSurf> Framed() {
  auto s = std::make_unique<CGeTrimSurf>(WavySurface(), _tagBox2D{{0, 0}, {1, 1}});
  s->AddLoop(s->GenRectTrimLoop(0, 1, 0, 1));
  s->BuildTopo();
  return s;
}

TEST(GeTrimSurf, EvaluationMatchesSurfaceMappedFromUnitDomain) {
  // Knots over [2, 6] x [-1, 3]; a loop drawn in those parameters travels along.
  _nurbs_surface* raw = WavySurface(2, 6, -1, 3);
  std::unique_ptr<_nurbs_surface, decltype(&BSRF_Free)> ref(BSRF_Clone(raw), BSRF_Free);
  CGeTrimSurf s(raw, _tagBox2D{{2, -1}, {6, 3}});
  const std::vector<UV> tri = {{3, 0}, {5, 0}, {4, 2.5}};
  s.AddLoop(PolygonLoop(tri));
  s.ReguKontVector();

  for (double a = 0; a <= 1.0; a += 0.125)
    for (double b = 0; b <= 1.0; b += 0.125) {
      double got[3], want[3], n[3], q[3];
      ASSERT_EQ(s.GetPoint(a, b, got), 1);
      ASSERT_TRUE(BSRF_EvPos(ref.get(), 2 + 4 * a, -1 + 4 * b, want));
      EXPECT_LT(Dist3(got, want), 1e-9) << a << "," << b;
      ASSERT_EQ(s.GetNormal(a, b, q, n), 1);
      EXPECT_NEAR(std::hypot(n[0], n[1], n[2]), 1.0, 1e-9);
    }
  // The loop's vertices mapped by (p - start) / 4.
  CGeCurve* c = s.m_LoopList.GetHead()->m_BndList.GetHead()->m_pParaCrv;
  double p[2];
  c->GetStartPoint(p);
  EXPECT_NEAR(p[0], 0.25, 1e-12);
  EXPECT_NEAR(p[1], 0.25, 1e-12);
  _tagBox2D box;
  s.GetUVBox(&box);
  EXPECT_NEAR(box.min[0], 0.25, 1e-12);
  EXPECT_NEAR(box.max[0], 0.75, 1e-12);
  EXPECT_NEAR(box.max[1], 0.875, 1e-12);

  // A unit domain is left alone; no surface evaluates nothing.
  const double before = s.m_pSurface->uKnots[5];
  s.ReguKontVector();
  EXPECT_EQ(s.m_pSurface->uKnots[5], before);
  CGeTrimSurf empty;
  double q[3], n[3];
  EXPECT_EQ(empty.GetPoint(0.5, 0.5, q), 0);
  EXPECT_EQ(empty.GetNormal(0.5, 0.5, q, n), 0);
}

TEST(GeTrimSurf, NormalIsPerpendicularToTheSurface) {
  auto s = Framed();
  const double u = 0.37, v = 0.61, h = 1e-6;
  double p[3], n[3], pu[3], pv[3];
  ASSERT_EQ(s->GetNormal(u, v, p, n), 1);
  s->GetPoint(u + h, v, pu);
  s->GetPoint(u, v + h, pv);
  double du[3], dv[3];
  for (int i = 0; i < 3; ++i) du[i] = (pu[i] - p[i]) / h, dv[i] = (pv[i] - p[i]) / h;
  EXPECT_NEAR((n[0] * du[0] + n[1] * du[1] + n[2] * du[2]) / std::hypot(du[0], du[1], du[2]), 0,
              1e-4);
  EXPECT_NEAR((n[0] * dv[0] + n[1] * dv[1] + n[2] * dv[2]) / std::hypot(dv[0], dv[1], dv[2]), 0,
              1e-4);
}

TEST(GeTrimSurf, LoopsAreOrientedOuterCounterClockwiseHolesClockwise) {
  CGeTrimSurf s(WavySurface(), _tagBox2D{{0, 0}, {1, 1}});
  const std::vector<UV> cw = {{0, 0}, {0, 1}, {1, 1}, {1, 0}};
  const std::vector<UV> ccw = {{0.2, 0.2}, {0.4, 0.2}, {0.4, 0.4}, {0.2, 0.4}};
  const std::vector<UV> flat = {{0.6, 0.6}, {0.8, 0.6}, {0.7, 0.6}};
  EXPECT_EQ(s.AddLoop(nullptr), 0);
  CGeTrimLoop* outer = PolygonLoop(cw);
  CGeTrimLoop* hole = PolygonLoop(ccw);
  CGeTrimLoop* degenerate = PolygonLoop(flat);
  ASSERT_EQ(s.AddLoop(outer), 1);
  s.AddLoop(hole);
  s.AddLoop(degenerate);
  EXPECT_EQ(outer->m_pOwner, &s);
  EXPECT_GT(outer->EvArea(0.01), 0.99);
  EXPECT_NEAR(hole->EvArea(0.01), -0.04, 1e-12);
  double p[2];
  degenerate->m_BndList.GetHead()->GetParaPoint(0.2, p);
  EXPECT_GT(p[0], 0.7);  // not reversed: still heading for (0.8, 0.6) first

  // ReguTrimLoopDir restores the rule after a loop was turned around.
  hole->Reverse();
  s.ReguTrimLoopDir();
  EXPECT_LT(hole->EvArea(0.01), 0);
}

TEST(GeTrimSurf, PointClassificationAgreesWithIndependentPolygonTest) {
  auto s = std::make_unique<CGeTrimSurf>(WavySurface(), _tagBox2D{{0, 0}, {1, 1}});
  const std::vector<UV> outer = {{0.05, 0.1}, {0.9, 0.02}, {0.97, 0.6}, {0.6, 0.95}, {0.1, 0.8}};
  const std::vector<UV> hole1 = {{0.2, 0.3}, {0.45, 0.25}, {0.35, 0.55}};
  const std::vector<UV> hole2 = {{0.6, 0.4}, {0.8, 0.45}, {0.75, 0.7}, {0.55, 0.65}, {0.65, 0.55}};
  for (const auto* poly : {&outer, &hole1, &hole2}) s->AddLoop(PolygonLoop(*poly));
  std::mt19937 rng(7);
  std::uniform_real_distribution<double> d(-0.2, 1.2);
  int inside = 0, checked = 0;
  for (int k = 0; k < 3000; ++k) {
    const UV p{d(rng), d(rng)};
    if (DistToPolygon(outer, p) < 1e-3 || DistToPolygon(hole1, p) < 1e-3 ||
        DistToPolygon(hole2, p) < 1e-3)
      continue;
    const bool want = InPolygon(outer, p) && !InPolygon(hole1, p) && !InPolygon(hole2, p);
    const double uv[2] = {p.u, p.v};
    ASSERT_EQ(s->IsPtInParaLoop(uv), want ? 1 : 0) << p.u << "," << p.v;
    inside += want;
    ++checked;
  }
  EXPECT_GT(inside, 300);  // the sample reaches every region
  EXPECT_GT(checked - inside, 300);
  CGeTrimSurf none;
  const double mid[2] = {0.5, 0.5};
  EXPECT_EQ(none.IsPtInParaLoop(mid), 0);
}

TEST(GeTrimSurf, IsTrimedOnlyWhenLoopsCutTheDomain) {
  auto s = Framed();
  EXPECT_EQ(s->IsTrimed(), 0);
  s->AddLoop(PolygonLoop({{0.2, 0.2}, {0.4, 0.2}, {0.4, 0.4}}));
  EXPECT_EQ(s->IsTrimed(), 1);
  CGeTrimSurf bare(WavySurface(), _tagBox2D{{0, 0}, {1, 1}});
  EXPECT_EQ(bare.IsTrimed(), 0);
}

TEST(GeTrimSurf, CrossingsAreSortedAlongTheLineAndSharedCornersCountOnce) {
  auto s = Framed();
  // The diagonal meets two boundaries at each of the corners (0, 0) and (1, 1).
  const double a[2] = {1.5, 1.5}, b[2] = {-0.5, -0.5};
  CGeLine diag(a, b);
  CInterPntArray pts;
  s->GetParamSpaceIntPoint(&diag, &pts);
  ASSERT_EQ(pts.GetSize(), 2);
  EXPECT_NEAR(pts[0].x, 0, 1e-9);
  EXPECT_NEAR(pts[1].x, 1, 1e-9);
  // A vertical line sorts by v.
  const double c[2] = {0.25, 2}, d[2] = {0.25, -1};
  CGeLine up(c, d);
  pts.RemoveAll();
  s->GetParamSpaceIntPoint(&up, &pts);
  ASSERT_EQ(pts.GetSize(), 2);
  EXPECT_NEAR(pts[0].y, 0, 1e-9);
  EXPECT_NEAR(pts[1].y, 1, 1e-9);
  s->GetParamSpaceIntPoint(nullptr, &pts);
  EXPECT_EQ(pts.GetSize(), 2);
}

TEST(GeTrimSurf, RectangularLoopRunsCounterClockwiseOverIsoCurves) {
  CGeTrimSurf s(WavySurface(), _tagBox2D{{0, 0}, {0, 0}});
  std::unique_ptr<CGeTrimLoop> loop(s.GenRectTrimLoop(0, 1, 0, 1));
  _tagBox2D box;
  s.GetUVBox(&box);
  EXPECT_EQ(box.max[0], 1.0);
  EXPECT_EQ(box.max[1], 1.0);
  ASSERT_EQ(loop->m_BndList.GetCount(), 4);
  EXPECT_NEAR(loop->EvArea(0.01), 1.0, 1e-12);
  const double corners[5][2] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}, {0, 0}};
  int i = 0;
  for (POSITION pos = loop->m_BndList.GetHeadPosition(); pos; ++i) {
    CGeTrimBnd* b = loop->m_BndList.GetNext(pos);
    EXPECT_EQ(b->m_pOwner, loop.get());
    double xyz[3], uv[2], want[3];
    b->GetStartPoint(xyz, uv);
    EXPECT_EQ(uv[0], corners[i][0]);
    EXPECT_EQ(uv[1], corners[i][1]);
    s.GetPoint(corners[i][0], corners[i][1], want);
    EXPECT_LT(Dist3(xyz, want), 1e-9);
    b->GetEndPoint(xyz, uv);
    s.GetPoint(corners[i + 1][0], corners[i + 1][1], want);
    EXPECT_LT(Dist3(xyz, want), 1e-9) << "boundary " << i;
  }
}

// Points of an iso curve at its curve parameters against the surface at the same parameters.
void ExpectOnSurface(CGeTrimSurf& s, CGeCurve3d* c, bool constU, double value, double a,
                     double b) {
  ASSERT_NE(c, nullptr);
  for (double t = 0; t <= 1.0; t += 0.125) {
    double p[3], q[3];
    c->GetPointAt(t, p, 1);
    const double w = a + (b - a) * t;
    s.GetPoint(constU ? value : w, constU ? w : value, q);
    EXPECT_LT(Dist3(p, q), 1e-6) << t;
  }
}

TEST(GeTrimSurf, IsoCurvesLieOnTheSurface) {
  auto s = Framed();
  std::unique_ptr<CGeCurve3d> u(s->UIsoCurve(0.3)), v(s->VIsoCurve(0.8));
  ExpectOnSurface(*s, u.get(), true, 0.3, 0, 1);
  ExpectOnSurface(*s, v.get(), false, 0.8, 0, 1);

  // Pieces of the unit domain: a whole line, one from its start, one to its end, an inner one.
  struct Case {
    double x0, y0, x1, y1;
  } cases[] = {{0.3, 0, 0.3, 1}, {0.3, 0.2, 0.3, 1}, {0.3, 0.6, 0.3, 0}, {0.1, 0.4, 0.7, 0.4}};
  for (const Case& c : cases) {
    const double a[2] = {c.x0, c.y0}, b[2] = {c.x1, c.y1};
    CGeLine line(a, b);
    std::unique_ptr<CGeCurve3d> iso(s->GenEuclidIsoCurve(&line));
    const bool constU = c.x0 == c.x1;
    const double lo = constU ? std::min(c.y0, c.y1) : std::min(c.x0, c.x1);
    const double hi = constU ? std::max(c.y0, c.y1) : std::max(c.x0, c.x1);
    ExpectOnSurface(*s, iso.get(), constU, constU ? c.x0 : c.y0, lo, hi);
  }
  CGeTrimSurf empty;
  EXPECT_EQ(empty.UIsoCurve(0.5), nullptr);
}

TEST(GeTrimSurf, TrimmedIsoCurvesStopAtTheLoops) {
  auto s = Framed();
  s->AddLoop(PolygonLoop({{0.3, 0.4}, {0.6, 0.4}, {0.6, 0.7}, {0.3, 0.7}}));
  CGeCurve3dList out;
  s->IsoCurve(0.45, CNurbsEditor::kIsoU, out);
  ASSERT_EQ(out.GetCount(), 2);
  const double spans[2][2] = {{0, 0.4}, {0.7, 1}};
  int i = 0;
  for (POSITION pos = out.GetHeadPosition(); pos; ++i)
    ExpectOnSurface(*s, out.GetNext(pos), true, 0.45, spans[i][0], spans[i][1]);
  geDelCurve3dList(&out);
  s->IsoCurve(0.2, CNurbsEditor::kIsoV, out);  // misses the hole
  ASSERT_EQ(out.GetCount(), 1);
  ExpectOnSurface(*s, out.GetHead(), false, 0.2, 0, 1);
  geDelCurve3dList(&out);
  s->IsoCurve(1.5, CNurbsEditor::kIsoU, out);
  EXPECT_TRUE(out.IsEmpty());
}

TEST(GeTrimSurf, DisplayIsoCurvesOfAnUntrimmedSurface) {
  CGeTrimSurf s(WavySurface(0, 2, 0, 4), _tagBox2D{{0, 0}, {2, 4}});
  int counts[2] = {4, 0};
  s.ComputerIsoCurve(counts);
  EXPECT_EQ(counts[1], 4);
  EXPECT_EQ(s.m_LoopList.GetCount(), 1);
  EXPECT_EQ(s.m_pSurface->uKnots[s.m_pSurface->nu], 1.0);  // mapped to the unit domain
  ASSERT_EQ(s.m_UIsoCurveList.GetCount(), 3);
  ASSERT_EQ(s.m_VIsoCurveList.GetCount(), 3);
  int k = 1;
  for (POSITION pos = s.m_UIsoCurveList.GetHeadPosition(); pos; ++k)
    ExpectOnSurface(s, s.m_UIsoCurveList.GetNext(pos), true, 0.25 * k, 0, 1);
}

// Each transform against the same map applied to the original's points.
TEST(GeTrimSurf, TransformsKeepPointsAndLoopsOnTheMovedSurface) {
  const double c = std::cos(0.7), sn = std::sin(0.7);
  const double m[4][4] = {{c, -sn, 0, 1}, {sn, c, 0, -2}, {0, 0, 2, 3}, {0, 0, 0, 1}};
  struct Case {
    const char* name;
    std::function<void(CGeTrimSurf&)> apply;
    std::function<void(const double*, double*)> map;
  } cases[] = {
      {"Translate3D",
       [](CGeTrimSurf& s) {
         const double d[3] = {1, 2, 3};
         s.Translate3D(d);
       },
       [](const double* p, double* q) { q[0] = p[0] + 1, q[1] = p[1] + 2, q[2] = p[2] + 3; }},
      {"Translate",
       [](CGeTrimSurf& s) {
         const double d[2] = {-1, 4};
         s.Translate(d);
       },
       [](const double* p, double* q) { q[0] = p[0] - 1, q[1] = p[1] + 4, q[2] = p[2]; }},
      {"Rotate",
       [](CGeTrimSurf& s) {
         const double ctr[2] = {1, 1};
         s.Rotate(ctr, std::numbers::pi / 2);
       },
       [](const double* p, double* q) { q[0] = 1 - (p[1] - 1), q[1] = 1 + (p[0] - 1), q[2] = p[2]; }},
      {"Rotate3D",
       [](CGeTrimSurf& s) {
         const double o[3] = {0, 0, 0}, ax[3] = {1, 0, 0};
         s.Rotate3D(o, ax, std::numbers::pi / 2);
       },
       [](const double* p, double* q) { q[0] = p[0], q[1] = -p[2], q[2] = p[1]; }},
      {"Scale3D",
       [](CGeTrimSurf& s) {
         const double o[3] = {1, 1, 1}, f[3] = {2, 3, 0.5};
         s.Scale3D(o, f);
       },
       [](const double* p, double* q) {
         q[0] = 1 + 2 * (p[0] - 1), q[1] = 1 + 3 * (p[1] - 1), q[2] = 1 + 0.5 * (p[2] - 1);
       }},
      {"Mirror3D",
       [](CGeTrimSurf& s) {
         const double o[3] = {0, 0, 1}, n[3] = {0, 0, 1};
         s.Mirror3D(o, n);
       },
       [](const double* p, double* q) { q[0] = p[0], q[1] = p[1], q[2] = 2 - p[2]; }},
      {"Transform",
       [&m](CGeTrimSurf& s) { s.Transform(m); },
       [&m](const double* p, double* q) {
         for (int r = 0; r < 3; ++r) q[r] = m[r][0] * p[0] + m[r][1] * p[1] + m[r][2] * p[2] + m[r][3];
       }},
  };
  for (const Case& tc : cases) {
    SCOPED_TRACE(tc.name);
    auto orig = Framed();
    std::unique_ptr<CGeTrimSurf> moved(orig->Copy());
    tc.apply(*moved);
    for (double u = 0; u <= 1; u += 0.25)
      for (double v = 0; v <= 1; v += 0.25) {
        double p[3], q[3], want[3];
        orig->GetPoint(u, v, p);
        moved->GetPoint(u, v, q);
        tc.map(p, want);
        EXPECT_LT(Dist3(q, want), 1e-9);
      }
    // The boundaries' space curves follow; their parameter curves stay.
    CGeTrimBndList& bounds = moved->m_LoopList.GetHead()->m_BndList;
    CGeTrimBnd* b = bounds.GetAt(bounds.FindIndex(1));
    double xyz[3], uv[2], on[3];
    b->GetStartPoint(xyz, uv);
    EXPECT_EQ(uv[0], 1.0);
    EXPECT_EQ(uv[1], 0.0);
    moved->GetPoint(1, 0, on);
    EXPECT_LT(Dist3(xyz, on), 1e-9);
    // The box covers the moved boundary.
    _tagBox3D box;
    moved->CalcBox();
    moved->GetBox(&box);
    for (int i = 0; i < 3; ++i) {
      EXPECT_LE(box.min[i], on[i] + 1e-9);
      EXPECT_GE(box.max[i], on[i] - 1e-9);
    }
  }
}

TEST(GeTrimSurf, CopiesOwnTheirLoopsAndStartWithoutKernelRecord) {
  auto s = Framed();
  s->AddLoop(PolygonLoop({{0.2, 0.2}, {0.4, 0.2}, {0.4, 0.4}}));
  int record = 0;
  s->m_pKernelSurf = &record;
  s->m_pSampleCache = &record;
  std::unique_ptr<CGeTrimSurf> copy(s->Copy());
  EXPECT_EQ(copy->m_pKernelSurf, nullptr);
  EXPECT_EQ(copy->m_pSampleCache, nullptr);
  ASSERT_NE(copy->m_pSurface, s->m_pSurface);
  ASSERT_EQ(copy->m_LoopList.GetCount(), 2);
  for (POSITION pos = copy->m_LoopList.GetHeadPosition(); pos;) {
    CGeTrimLoop* l = copy->m_LoopList.GetNext(pos);
    EXPECT_EQ(l->m_pOwner, copy.get());
    EXPECT_EQ(l->m_BndList.GetHead()->m_pOwner, l);
  }
  const double hole[2] = {0.33, 0.25}, solid[2] = {0.7, 0.7};
  EXPECT_EQ(copy->IsPtInParaLoop(hole), 0);
  EXPECT_EQ(copy->IsPtInParaLoop(solid), 1);
  s.reset();  // the copy stands alone
  double p[3];
  EXPECT_EQ(copy->GetPoint(0.5, 0.5, p), 1);

  std::unique_ptr<CGeTrimSurf> bare(copy->CopyNoLoop());
  EXPECT_TRUE(bare->m_LoopList.IsEmpty());
  EXPECT_EQ(bare->m_uvBox.max[0], 0.0);
  EXPECT_EQ(bare->GetPoint(0.5, 0.5, p), 1);
  copy->CopyFromTrimSurf(copy.get());  // copying onto itself keeps everything
  EXPECT_EQ(copy->m_LoopList.GetCount(), 2);
  EXPECT_EQ(copy->GetPoint(0.5, 0.5, p), 1);
}

TEST(GeTrimSurf, WritesNothingToArchives) {
  auto s = Framed();
  EXPECT_TRUE(surftest::Store([&](CArchive& ar) { s->Serialize(ar); }).empty());
  EXPECT_EQ(s->GetType(), 0x80000);
  EXPECT_TRUE(s->IsKindOf(RUNTIME_CLASS(CGeTrimSurf)));
}

TEST(GeTrimSurf, UntrimmedMeshSitsOnTheSurfaceGrid) {
  auto s = Framed();
  std::unique_ptr<CGeMesh> mesh(s->DiscreteToNcMesh(0.05));
  ASSERT_NE(mesh, nullptr);
  const size_t n = mesh->vertices.size();
  ASSERT_GE(n, 9u);
  // Grid of (nu + 1)(nv + 1) vertices and 2 nu nv faces, all faces inside the vertex range.
  bool grid = false;
  for (size_t cols = 3; cols <= n && !grid; ++cols)
    grid = n % cols == 0 && mesh->faces.size() == 2 * (cols - 1) * (n / cols - 1);
  EXPECT_TRUE(grid);
  double lo[3], hi[3];
  s->GetPoint(0, 0, lo);
  s->GetPoint(1, 1, hi);
  EXPECT_NEAR(mesh->vertices.front().x, lo[0], 1e-5);
  EXPECT_NEAR(mesh->vertices.back().y, hi[1], 1e-5);
  for (const auto& f : mesh->faces)
    for (int k = 0; k < 3; ++k) ASSERT_LT(static_cast<size_t>(f[k]), n);
  CGeTrimSurf empty;
  EXPECT_EQ(empty.DiscreteToNcMesh(0.05), nullptr);
}

TEST(GeTrimSurf, OffsetSurfaceRebuildsBoundariesOnIt) {
  auto s = Framed();
  std::unique_ptr<CGeTrimSurf> off(s->GenOffsetSurf(0.5));
  ASSERT_NE(off, nullptr);
  ASSERT_EQ(off->m_LoopList.GetCount(), 1);
  CGeTrimLoop* l = off->m_LoopList.GetHead();
  EXPECT_EQ(l->m_pOwner, off.get());
  double xyz[3], uv[2], p[3], n[3], q[3];
  l->m_BndList.GetHead()->GetEndPoint(xyz, uv);
  off->GetPoint(uv[0], uv[1], q);
  EXPECT_LT(Dist3(xyz, q), 1e-6);
  s->GetNormal(0.5, 0.5, p, n);
  off->GetPoint(0.5, 0.5, q);
  for (int i = 0; i < 3; ++i) p[i] += 0.5 * n[i];
  EXPECT_LT(Dist3(p, q), 1e-2);
  CGeTrimSurf empty;
  EXPECT_EQ(empty.GenOffsetSurf(1.0), nullptr);
}

}  // namespace
