#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "platform/numora/NurbsEditor.h"
#include "tests/platform/numora/BsrfTestUtil.h"

namespace {

double SnapDist(const _nurbs_surface* s, const double q[3]) {
  double foot[3], u = 1e12, v = 1e12, d = 1e300;
  return BSRF_SnapPnt(s, q, 1e-12, foot, u, v, d) ? d : 1e300;
}

}  // namespace

TEST(NurbsEditorSurface, IsoCurvesEqualTheSurfaceAtTheFixedParameter) {
  SrfPtr s = MakeWavySurface();
  for (double value : {0.0, 0.27, 0.55, 1.0}) {
    CrvPtr cu(CNurbsEditor::MakeIsoCurve(s.get(), CNurbsEditor::kIsoU, value));
    CrvPtr cv(CNurbsEditor::MakeIsoCurve(s.get(), 1302, value));
    ASSERT_TRUE(cu && cv);
    EXPECT_EQ(cu->order, s->kv);
    EXPECT_EQ(cv->order, s->ku);
    EXPECT_EQ(std::memcmp(cu->knots, s->vKnots, sizeof(double) * (s->kv + s->nv)), 0);
    for (int i = 0; i <= 50; ++i) {
      const double t = i / 50.0;
      double a[3], b[3];
      BCRV_EvPos(cu.get(), t, a);
      BSRF_EvPos(s.get(), value, t, b);
      EXPECT_LT(Dist3(a, b), 1e-12);
      BCRV_EvPos(cv.get(), t, a);
      BSRF_EvPos(s.get(), t, value, b);
      EXPECT_LT(Dist3(a, b), 1e-12);
    }
  }
  EXPECT_EQ(CNurbsEditor::MakeIsoCurve(s.get(), 1303, 0.5), nullptr);
  EXPECT_EQ(CNurbsEditor::MakeIsoCurve(nullptr, 1301, 0.5), nullptr);
}

TEST(NurbsEditorSurface, TessellationLiesOnTheSurface) {
  const double c[3] = {0, 0, 0};
  SrfPtr sphere = MakeSphere(c, 5);
  SrfPtr wavy = MakeWavySurface();
  for (_nurbs_surface* s : {sphere.get(), wavy.get()}) {
    std::vector<CPoint3d> vtx;
    std::vector<CVector3d> nrm;
    std::vector<int> idx;
    const double tol = 0.2;
    ASSERT_EQ(CNurbsEditor::Tesselate(s, tol, vtx, nrm, idx), 1);
    ASSERT_GT(vtx.size(), 0u);
    EXPECT_EQ(vtx.size() % 3, 0u);
    EXPECT_EQ(nrm.size(), vtx.size());
    EXPECT_EQ(idx.size(), vtx.size());
    for (size_t k = 0; k < vtx.size(); k += 7) {
      const double q[3] = {vtx[k].x, vtx[k].y, vtx[k].z};
      EXPECT_LT(SnapDist(s, q), 1e-5);
      const double l = std::sqrt(double(nrm[k].x) * nrm[k].x + double(nrm[k].y) * nrm[k].y +
                                 double(nrm[k].z) * nrm[k].z);
      EXPECT_NEAR(l, 1.0, 1e-6);
    }
    // Triangle centres stay within the tolerance of the surface.
    for (size_t k = 0; k + 2 < vtx.size(); k += 3 * 5) {
      const double q[3] = {(vtx[k].x + vtx[k + 1].x + vtx[k + 2].x) / 3.0,
                           (vtx[k].y + vtx[k + 1].y + vtx[k + 2].y) / 3.0,
                           (vtx[k].z + vtx[k + 1].z + vtx[k + 2].z) / 3.0};
      EXPECT_LT(SnapDist(s, q), tol);
    }
  }
  // Sphere normals point outwards and agree with the radius.
  std::vector<CPoint3d> vtx;
  std::vector<CVector3d> nrm;
  std::vector<int> idx;
  CNurbsEditor::Tesselate(sphere.get(), 0.1, vtx, nrm, idx);
  for (size_t k = 0; k < vtx.size(); k += 11)
    EXPECT_GT(std::fabs(vtx[k].x * nrm[k].x + vtx[k].y * nrm[k].y + vtx[k].z * nrm[k].z) / 5.0,
              0.9999);
  EXPECT_EQ(CNurbsEditor::Tesselate(nullptr, 0.2, vtx, nrm, idx), 0);
}

TEST(NurbsEditorSurface, OffsetOfSphereAndPlane) {
  const double c[3] = {1, 2, 3};
  SrfPtr sphere = MakeSphere(c, 4);
  // The sphere's normal points inwards or outwards; either way the offset is concentric.
  double p[3], n[3];
  BSRF_EvNormal(sphere.get(), 0.3, 0.4, p, n);
  const double sign = (p[0] - c[0]) * n[0] + (p[1] - c[1]) * n[1] + (p[2] - c[2]) * n[2] > 0 ? 1 : -1;
  SrfPtr off(CNurbsEditor::OffsetSurf(sphere.get(), 1.5f));
  ASSERT_TRUE(off);
  for (int j = 1; j < 20; ++j)
    for (int i = 0; i <= 20; ++i) {
      double q[3];
      BSRF_EvPos(off.get(), i / 20.0, j / 20.0, q);
      const double d[3] = {q[0] - c[0], q[1] - c[1], q[2] - c[2]};
      EXPECT_NEAR(std::sqrt(d[0] * d[0] + d[1] * d[1] + d[2] * d[2]), 4 + sign * 1.5, 1e-3);
    }
  const double o[3] = {0, 0, 0};
  SrfPtr plane(CNurbsEditor::MakePlane(o, 3, 2));
  SrfPtr po(CNurbsEditor::OffsetSurf(plane.get(), -0.5f));
  ASSERT_TRUE(po);
  for (double u : {0.0, 0.4, 1.0})
    for (double v : {0.0, 0.7, 1.0}) {
      double a[3], b[3];
      BSRF_EvPos(plane.get(), u, v, a);
      BSRF_EvPos(po.get(), u, v, b);
      EXPECT_NEAR(b[0], a[0], 1e-9);
      EXPECT_NEAR(b[1], a[1], 1e-9);
      EXPECT_NEAR(b[2], -0.5, 1e-9);
    }
  EXPECT_EQ(CNurbsEditor::OffsetSurf(nullptr, 1.0f), nullptr);
}

TEST(NurbsEditorSurface, PlaneCorners) {
  const double o[3] = {1, 2, 3};
  SrfPtr s(CNurbsEditor::MakePlane(o, 4, 5));
  ASSERT_TRUE(s);
  const double uv[4][2] = {{0, 0}, {1, 0}, {0, 1}, {1, 1}};
  const double want[4][3] = {{1, 2, 3}, {5, 2, 3}, {1, 7, 3}, {5, 7, 3}};
  for (int k = 0; k < 4; ++k) {
    double p[3];
    BSRF_EvPos(s.get(), uv[k][0], uv[k][1], p);
    EXPECT_LT(Dist3(p, want[k]), 1e-15);
  }
  EXPECT_EQ(CNurbsEditor::MakePlane(o, 0, 5), nullptr);
  // A single-span surface extends in both modes; the plane grows by exactly the distance.
  for (int mode : {0, 1}) {
    SrfPtr e(CNurbsEditor::Extend(s.get(), 1.0, 2, mode));
    ASSERT_TRUE(e);
    double p[3];
    BSRF_EvPos(e.get(), 1.0, 1.0, p);
    const double corner[3] = {6, 7, 3};
    EXPECT_LT(Dist3(p, corner), 1e-12);
    SrfPtr f(CNurbsEditor::Extend(s.get(), 0.5, 1, mode));
    BSRF_EvPos(f.get(), 0.0, 0.0, p);
    const double low[3] = {1, 1.5, 3};
    EXPECT_LT(Dist3(p, low), 1e-12);
  }
}

TEST(NurbsEditorSurface, ExtensionKeepsTheSurfaceAndReachesOut) {
  SrfPtr s = MakeWavySurface();
  for (int mode : {0, 1}) {
    for (int side = 0; side < 4; ++side) {
      SCOPED_TRACE(testing::Message() << "mode " << mode << " side " << side);
      SrfPtr e(CNurbsEditor::Extend(s.get(), 1.5, side, mode));
      ASSERT_TRUE(e);
      EXPECT_EQ(e->uKnots[0], 0.0);
      EXPECT_EQ(e->vKnots[e->kv + e->nv - 1], 1.0);
      // The original surface is part of the extension.
      for (double u : {0.0, 0.5, 1.0})
        for (double v : {0.0, 0.5, 1.0}) {
          double p[3];
          BSRF_EvPos(s.get(), u, v, p);
          EXPECT_LT(SnapDist(e.get(), p), 1e-8);
        }
      // The new edge lies about the distance away from the old one.
      const bool alongU = side == 0 || side == 2;
      const double edge = side < 2 ? 0.0 : 1.0;
      double far = 0;
      for (double t : {0.25, 0.5, 0.75}) {
        double p[3], q[3];
        if (alongU) BSRF_EvPos(e.get(), edge, t, p); else BSRF_EvPos(e.get(), t, edge, p);
        q[0] = SnapDist(s.get(), p);
        far = std::max(far, q[0]);
      }
      EXPECT_GT(far, 0.3 * 1.5);
      EXPECT_LT(far, 1.3 * 1.5);
    }
  }
  // Mode 1 continues straight: the new edge strip is ruled along the boundary tangent.
  SrfPtr lin(CNurbsEditor::Extend(s.get(), 2.0, 2, 1));
  double P[3], Su[3], Sv[3];
  BSRF_Ev1Der(s.get(), 1.0, 0.4, P, Su, Sv);
  double e[3];
  BSRF_EvPos(lin.get(), 1.0, 0.4, e);
  const double d[3] = {e[0] - P[0], e[1] - P[1], e[2] - P[2]};
  const double cr[3] = {d[1] * Su[2] - d[2] * Su[1], d[2] * Su[0] - d[0] * Su[2], d[0] * Su[1] - d[1] * Su[0]};
  EXPECT_LT(std::sqrt(cr[0] * cr[0] + cr[1] * cr[1] + cr[2] * cr[2]) /
                (std::sqrt(d[0] * d[0] + d[1] * d[1] + d[2] * d[2]) * std::sqrt(Su[0] * Su[0] + Su[1] * Su[1] + Su[2] * Su[2])),
            1e-9);
  EXPECT_EQ(CNurbsEditor::Extend(s.get(), 1.0, 4, 0), nullptr);
  EXPECT_EQ(CNurbsEditor::Extend(s.get(), 0.0, 1, 0), nullptr);
}

TEST(NurbsEditorSurface, SplitAtGivesMatchingPieces) {
  SrfPtr s = MakeWavySurface();
  for (int dir : {1301, 1302}) {
    _nurbs_surface *a = nullptr, *b = nullptr;
    ASSERT_EQ(CNurbsEditor::SplitAt(s.get(), 0.37, dir, a, b), 2);
    SrfPtr ha(a), hb(b);
    for (double x : {0.0, 0.3, 1.0})
      for (double y : {0.0, 0.6, 1.0}) {
        double p[3], q[3];
        if (dir == 1301) {
          BSRF_EvPos(a, x, y, p);
          BSRF_EvPos(s.get(), 0.37 * x, y, q);
          EXPECT_LT(Dist3(p, q), 1e-12);
          BSRF_EvPos(b, x, y, p);
          BSRF_EvPos(s.get(), 0.37 + 0.63 * x, y, q);
        } else {
          BSRF_EvPos(a, x, y, p);
          BSRF_EvPos(s.get(), x, 0.37 * y, q);
          EXPECT_LT(Dist3(p, q), 1e-12);
          BSRF_EvPos(b, x, y, p);
          BSRF_EvPos(s.get(), x, 0.37 + 0.63 * y, q);
        }
        EXPECT_LT(Dist3(p, q), 1e-12);
      }
  }
  _nurbs_surface *a = nullptr, *b = nullptr;
  EXPECT_EQ(CNurbsEditor::SplitAt(s.get(), 1.0, 1301, a, b), 1);
  EXPECT_EQ(b, nullptr);
  BSRF_Free(a);
  EXPECT_EQ(CNurbsEditor::SplitAt(s.get(), 0.5, 7, a, b), 0);
}

TEST(NurbsEditorSurface, SkinningPassesThroughTheSections) {
  std::vector<CrvPtr> secs;
  const double c0[2] = {0, 0};
  secs.emplace_back(BCRV_New());
  secs.back()->GenCircle(c0, 2);
  secs.emplace_back(MakeWavyCurve(2));  // a different order and knot vector
  secs.emplace_back(BCRV_New());
  const double a[3] = {-2, 0, 6}, b[3] = {2, 1, 6};
  secs.back()->GenLine(a, b);
  const double up[3] = {0, 0, 3};
  secs[1]->Move(up);
  for (int option : {2, 3, 4, 0}) {
    SCOPED_TRACE(option);
    BCRV* list[3] = {secs[0].get(), secs[1].get(), secs[2].get()};
    SrfPtr s(CNurbsEditor::SkinV(list, 3, option));
    ASSERT_TRUE(s);
    EXPECT_EQ(s->kv, option == 2 ? 2 : 3);
    for (const CrvPtr& sec : secs)
      for (int i = 0; i <= 10; ++i) {
        double q[3];
        BCRV_EvPos(sec.get(), i / 10.0, q);
        EXPECT_LT(SnapDist(s.get(), q), 1e-8);
      }
  }
  BCRV* withNull[3] = {secs[0].get(), nullptr, secs[2].get()};
  EXPECT_EQ(CNurbsEditor::SkinV(withNull, 3, 4), nullptr);
  BCRV* one[1] = {secs[0].get()};
  EXPECT_EQ(CNurbsEditor::SkinV(one, 1, 4), nullptr);
}
