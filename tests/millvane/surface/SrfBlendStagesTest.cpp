// The stages of the fillet and chamfer solvers on hand-made spines: side preparation, the
// patch over one spine and the orientation flags for the trim.
#include <cmath>
#include <numbers>

#include "BlendFixture.h"
#include "millvane/kernel/SurfaceRecords.h"
#include "millvane/surface/SrfSectionFit.h"

namespace {

using namespace bt;

// Face A: z = 0 over x, y in [0, 2], normal +z, (u, v) = (x, y) / 2.
// Face B: x = 0 over y in [0, 2], z in [-2, 2], normal +x, (u, v) = (y / 2, (z + 2) / 4).
struct Corner {
  Face a, b;
  SrfSideNode A{}, B{};
  Corner(double dA = 0.3, double dB = 0.3) {
    const double oA[3] = {0, 0, 0}, uA[3] = {2, 0, 0}, vA[3] = {0, 2, 0};
    const double oB[3] = {0, 0, -2}, uB[3] = {0, 2, 0}, vB[3] = {0, 0, 4};
    a = Plane(oA, uA, vA);
    b = Plane(oB, uB, vB);
    A.face = a.get();
    B.face = b.get();
    EXPECT_EQ(CSrfFilletSolver::PrepareSide(A, dA), 1);
    EXPECT_EQ(CSrfFilletSolver::PrepareSide(B, dB), 1);
  }
  ~Corner() {
    for (SrfSideNode* n : {&A, &B}) {
      if (n->offset) n->offset->base = nullptr;
      KX_MemFree(n->offset);
    }
  }
  // Straight spine at x = xs, z = zs along y from y0 to y1.
  _intcur* Spine(int n, double xs, double zs, double y0, double y1) {
    const double T[3] = {0, y1 > y0 ? 1.0 : -1.0, 0};
    return bt::Spine(
        A.Traced(), B.Traced(), n,
        [&](double t, double p[3]) { p[0] = xs, p[1] = y0 + t * (y1 - y0), p[2] = zs; }, T,
        [&](double t, double uv[2]) { uv[0] = xs / 2, uv[1] = (y0 + t * (y1 - y0)) / 2; },
        [&](double t, double uv[2]) { uv[0] = (y0 + t * (y1 - y0)) / 2, uv[1] = (zs + 2) / 4; });
  }
};

class SrfBlendStagesTest : public BlendTest {};

TEST_F(SrfBlendStagesTest, SidePreparationOffsetsAlongOrAgainstTheNormal) {
  struct Case {
    int flip;
    double d;
    double z;  // height of the offset face, or NAN for none
  } cases[] = {{0, 0.3, 0.3}, {1, 0.3, -0.3}, {0, -0.2, -0.2}, {1, -0.2, 0.2},
               {0, 5e-7, NAN}};
  for (const Case& c : cases) {
    const double o[3] = {0, 0, 0}, u[3] = {2, 0, 0}, v[3] = {0, 2, 0};
    Face f = Plane(o, u, v);
    SrfSideNode n{};
    n.face = f.get();
    n.flip = c.flip;
    ASSERT_EQ(CSrfFilletSolver::PrepareSide(n, c.d), 1);
    EXPECT_EQ(n.surface, f->m_pKernelSurf);
    if (std::isnan(c.z)) {
      EXPECT_EQ(n.offset, nullptr);
      EXPECT_EQ(n.Traced(), n.surface);
      continue;
    }
    ASSERT_NE(n.offset, nullptr);
    double p[3];
    ASSERT_EQ(SRF_EvPos(p, n.offset, 0.25, 0.75), 1);
    EXPECT_NEAR(p[2], c.z, 1e-12) << "flip " << c.flip << " d " << c.d;
    EXPECT_NEAR(p[0], 0.5, 1e-12);
    // The box grows by |d| on every side.
    EXPECT_NEAR(n.box.min[2], -std::fabs(c.d), 1e-12);
    EXPECT_NEAR(n.box.max[2], std::fabs(c.d), 1e-12);
    EXPECT_NEAR(n.box.max[0], 2 + std::fabs(c.d), 1e-12);
    n.offset->base = nullptr;
    KX_MemFree(n.offset);
  }
}

TEST_F(SrfBlendStagesTest, OffsetFaceIsOffsetFromItsBaseByTheSum) {
  const double o[3] = {0, 0, 0}, u[3] = {2, 0, 0}, v[3] = {0, 2, 0};
  Face f = Plane(o, u, v);
  auto* base = static_cast<ENT_Record*>(f->m_pKernelSurf);
  SRF_Offset* lifted = SRF_NewOffset(base, 1.0);
  f->m_pKernelSurf = lifted;
  for (int flip : {0, 1}) {
    SrfSideNode n{};
    n.face = f.get();
    n.flip = flip;
    ASSERT_EQ(CSrfFilletSolver::PrepareSide(n, 0.25), 1);
    ASSERT_NE(n.offset, nullptr);
    EXPECT_EQ(n.offset->base, base);
    EXPECT_DOUBLE_EQ(n.offset->distance, flip ? 0.75 : 1.25);
    n.offset->base = nullptr;
    KX_MemFree(n.offset);
  }
  f->m_pKernelSurf = base;
  KX_MemFree(lifted);
}

TEST_F(SrfBlendStagesTest, SidePreparationFailsWithoutKernelRecord) {
  const double o[3] = {0, 0, 0}, u[3] = {2, 0, 0}, v[3] = {0, 2, 0};
  Face f = Plane(o, u, v);
  CSrfActor().FreeSURFACE(f.get());
  SrfSideNode n{};
  n.face = f.get();
  EXPECT_EQ(CSrfFilletSolver::PrepareSide(n, 0.3), 0);
  EXPECT_EQ(n.offset, nullptr);
  SrfSideNode none{};
  EXPECT_EQ(CSrfFilletSolver::PrepareSide(none, 0.3), 0);
}

TEST_F(SrfBlendStagesTest, TrimmedFaceNarrowsItsBoxToTheOuterLoop) {
  const double o[3] = {0, 0, 0}, u[3] = {2, 0, 0}, v[3] = {0, 2, 0};
  Face f = Plane(o, u, v);
  f->AddLoop(f->GenRectTrimLoop(0.2, 0.4, 0.3, 0.5));
  f->m_uvBox = _tagBox2D{{0, 0}, {1, 1}};
  ASSERT_EQ(f->IsTrimed(), 1);
  SrfSideNode n{};
  n.face = f.get();
  ASSERT_EQ(CSrfFilletSolver::PrepareSide(n, 0.0), 1);
  // The loop's box grown by a tenth of the face's box on every side.
  EXPECT_NEAR(n.uvBox.min[0], 0.1, 1e-12);
  EXPECT_NEAR(n.uvBox.max[0], 0.5, 1e-12);
  EXPECT_NEAR(n.uvBox.min[1], 0.2, 1e-12);
  EXPECT_NEAR(n.uvBox.max[1], 0.6, 1e-12);
  EXPECT_DOUBLE_EQ(n.uRange.min, 0.1);
  EXPECT_DOUBLE_EQ(n.vRange.max, 0.6);
}

TEST_F(SrfBlendStagesTest, RangesStayPeriodicOnlyWhileThePeriodFits) {
  struct Case {
    double umax;
    int closure;
  } cases[] = {{1.0, 2}, {0.5, 0}};
  for (const Case& c : cases) {
    Face f = Cylinder(1.0, 0.0, 2.0);
    _param U, V;
    ASSERT_EQ(SRF_GetParamRanges(static_cast<ENT_Record*>(f->m_pKernelSurf), &U, &V), 1);
    ASSERT_EQ(U.closure, 2) << "the record itself is periodic around";
    f->m_uvBox.max[0] = c.umax;
    SrfSideNode n{};
    n.face = f.get();
    ASSERT_EQ(CSrfFilletSolver::PrepareSide(n, 0.0), 1);
    EXPECT_EQ(n.uRange.closure, c.closure) << c.umax;
    EXPECT_EQ(n.vRange.closure, 0);
    EXPECT_DOUBLE_EQ(n.uRange.max, c.umax);
  }
}

// The fillet patch over a straight spine between perpendicular faces, with two, three and
// more traced points: a ruled patch, then skinned across with order 3, then 4.
TEST_F(SrfBlendStagesTest, FilletPatchIsAQuarterCylinderAboutTheSpine) {
  const double r = 0.3;
  struct Case {
    int points;
    int orderAcross;
  } cases[] = {{2, 2}, {3, 3}, {6, 4}};
  for (const Case& c : cases) {
    Corner k(r, r);
    SpinePtr s(k.Spine(c.points, r, r, 0.2, 1.8));
    std::unique_ptr<CGeTrimSurf> patch(CSrfFilletSolver::MakePatch(s.get(), k.A, k.B, false));
    ASSERT_TRUE(patch && patch->m_pSurface) << c.points;
    EXPECT_EQ(patch->m_pSurface->kv, c.orderAcross) << c.points;
    EXPECT_EQ(patch->m_LoopList.GetCount(), 0);
    for (const Sample& p : SamplePatch(patch.get())) {
      const double dx = p.p[0] - r, dz = p.p[2] - r;
      EXPECT_NEAR(std::hypot(dx, dz), r, 1e-9) << "at distance r from the spine";
      EXPECT_LE(p.p[0], r + 1e-9);
      EXPECT_LE(p.p[2], r + 1e-9);
      EXPECT_NEAR(p.p[1], 0.2 + 1.6 * p.v, 1e-9);
      // The patch normal points to (or away from) the spine: the surface is the tube.
      const double radial[3] = {dx, 0, dz};
      EXPECT_NEAR(CrossLen(p.n, radial), 0.0, 1e-9);
      // G1 at the contacts: the normal there is the face's.
      if (p.u == 0.0) {
        EXPECT_NEAR(p.p[2], 0.0, 1e-12) << "the section starts on face A";
        EXPECT_NEAR(p.p[0], r, 1e-12) << "at distance r from the edge";
        EXPECT_NEAR(std::fabs(p.n[2]), 1.0, 1e-9);
      }
      if (p.u == 1.0) {
        EXPECT_NEAR(p.p[0], 0.0, 1e-12) << "and ends on face B";
        EXPECT_NEAR(p.p[2], r, 1e-12);
        EXPECT_NEAR(std::fabs(p.n[0]), 1.0, 1e-9);
      }
    }
  }
}

TEST_F(SrfBlendStagesTest, ChamferPatchIsAStraightBandBetweenTheContacts) {
  const double d1 = 0.2, d2 = 0.45;  // offsets of A and of B
  for (int points : {2, 5}) {
    Corner k(d1, d2);
    SpinePtr s(k.Spine(points, d2, d1, 1.5, 0.5));
    std::unique_ptr<CGeTrimSurf> patch(CSrfFilletSolver::MakePatch(s.get(), k.A, k.B, true));
    ASSERT_TRUE(patch && patch->m_pSurface) << points;
    for (const Sample& p : SamplePatch(patch.get())) {
      EXPECT_NEAR(p.p[0] / d2 + p.p[2] / d1, 1.0, 1e-9) << "on the plane of the band";
      EXPECT_GE(p.p[0], -1e-12);
      EXPECT_GE(p.p[2], -1e-12);
    }
    for (double v : {0.0, 0.4, 1.0}) {
      double e1[3], e2[3];
      ASSERT_EQ(BSRF_EvPos(patch->m_pSurface, 0.0, v, e1), 1);
      ASSERT_EQ(BSRF_EvPos(patch->m_pSurface, 1.0, v, e2), 1);
      // On A the band's edge lies at B's distance from the edge, on B at A's.
      EXPECT_NEAR(e1[0], d2, 1e-12);
      EXPECT_NEAR(e1[2], 0.0, 1e-12);
      EXPECT_NEAR(e2[0], 0.0, 1e-12);
      EXPECT_NEAR(e2[2], d1, 1e-12);
      EXPECT_NEAR(Dist(e1, e2), std::hypot(d1, d2), 1e-12) << "band width";
    }
  }
}

TEST_F(SrfBlendStagesTest, SpinePointOnTheFaceGivesACollapsedSection) {
  const double r = 0.3;
  Corner k(r, r);
  const double T[3] = {0, 1, 0};
  // The first point sits on face A itself (no room for an arc), the others on the spine.
  SpinePtr s(Spine(
      k.A.Traced(), k.B.Traced(), 4,
      [&](double t, double p[3]) { p[0] = r, p[1] = 0.5 + t, p[2] = t == 0.0 ? 0.0 : r; }, T,
      [&](double t, double uv[2]) { uv[0] = r / 2, uv[1] = (0.5 + t) / 2; },
      [&](double t, double uv[2]) { uv[0] = (0.5 + t) / 2, uv[1] = (r + 2) / 4; }));
  std::unique_ptr<CGeTrimSurf> patch(CSrfFilletSolver::MakePatch(s.get(), k.A, k.B, false));
  ASSERT_TRUE(patch && patch->m_pSurface);
  const double P0[3] = {r, 0.5, 0.0};
  for (double u : {0.0, 0.3, 0.7, 1.0}) {
    double p[3];
    ASSERT_EQ(BSRF_EvPos(patch->m_pSurface, u, 0.0, p), 1);
    EXPECT_NEAR(Dist(p, P0), 0.0, 1e-9) << u;
  }
}

TEST_F(SrfBlendStagesTest, NoPatchWithoutTwoSections) {
  const double r = 0.3;
  Corner k(r, r);
  SpinePtr one(k.Spine(1, r, r, 0.5, 0.5));
  EXPECT_EQ(CSrfFilletSolver::MakePatch(one.get(), k.A, k.B, false), nullptr);
  // Contacts that coincide on the edge while the spine point lies elsewhere: no arc anywhere.
  const double T[3] = {0, 1, 0};
  SpinePtr flat(Spine(
      k.A.Traced(), k.B.Traced(), 3,
      [&](double t, double p[3]) { p[0] = r, p[1] = 0.5 + t, p[2] = r; }, T,
      [&](double t, double uv[2]) { uv[0] = 0.0, uv[1] = (0.5 + t) / 2; },
      [&](double t, double uv[2]) { uv[0] = (0.5 + t) / 2, uv[1] = 0.5; }));
  EXPECT_EQ(CSrfFilletSolver::MakePatch(flat.get(), k.A, k.B, false), nullptr);
  EXPECT_EQ(CSrfFilletSolver::MakePatch(nullptr, k.A, k.B, false), nullptr);
}

// The section fit over a source that cannot make a section it needs: -1 and no patch, whether
// it skins a few sections whole, fits many (the first is always kept) or, without middle
// points, skins them all; with every section there, a patch on the swept quarter cylinder.
TEST_F(SrfBlendStagesTest, SectionFitReportsASectionItCannotMake) {
  const double r = 0.3;
  // Quarter circles of radius r about the y axis at y = i / (count - 1), from +x to +z.
  struct Arcs : SrfSectionSource {
    int count, missing;
    bool middles;
    std::vector<BCRV*> made;
    Arcs(int c, int m, bool mid) : count(c), missing(m), middles(mid), made(size_t(c), nullptr) {}
    ~Arcs() override { BCRV_FreStr(count, made.data()); }
    double Y(int i) const { return double(i) / (count - 1); }
    int Count() const override { return count; }
    const BCRV* Section(int i) override {
      if (i == missing) return nullptr;
      if (!made[size_t(i)]) {
        _arc a{};
        a.frame.origin[1] = Y(i);
        a.frame.xAxis[0] = 1.0;
        a.frame.yAxis[2] = 1.0;
        a.frame.zAxis[1] = -1.0;
        a.radius = 0.3;
        a.sweep = std::numbers::pi / 2;
        BCRV_GenArc(&a, made[size_t(i)]);
      }
      return made[size_t(i)];
    }
    bool Middle(int i, double p[3]) override {
      p[0] = p[2] = 0.3 * std::sqrt(0.5);
      p[1] = Y(i);
      return middles;
    }
  };
  struct Case {
    int count, missing;
    bool middles;
    int rc;
  } cases[] = {{3, 1, true, -1},
               {40, 0, true, -1},
               {40, 20, false, -1},
               {40, -1, true, 1},
               {40, -1, false, 1}};
  for (const Case& c : cases) {
    Arcs src(c.count, c.missing, c.middles);
    _nurbs_surface* out = nullptr;
    EXPECT_EQ(SRF_SkinFewestSections(src, 1e-5, out), c.rc) << c.count << " " << c.missing;
    EXPECT_EQ(out != nullptr, c.rc == 1);
    for (int j = 0; out && j <= 8; ++j)
      for (int i = 0; i <= 8; ++i) {
        double p[3];
        ASSERT_EQ(BSRF_EvPos(out, i / 8.0, j / 8.0, p), 1);
        EXPECT_NEAR(std::hypot(p[0], p[2]), r, 1e-5) << c.count << " " << c.middles;
      }
    BSRF_Free(out);
  }
}

// The flags say on which side of the spine, walking along it, each face is kept: 1 for the
// left. On A the kept part lies towards +x (+u), on B towards +z (+v).
TEST_F(SrfBlendStagesTest, OrientationFlagsPointToTheKeptSides) {
  const double r = 0.3;
  struct Case {
    double y0, y1;
    int points;
  } cases[] = {{0.2, 1.8, 5}, {1.8, 0.2, 5}, {0.5, 1.0, 2}};
  for (const Case& c : cases) {
    Corner k(r, r);
    SpinePtr s(k.Spine(c.points, r, r, c.y0, c.y1));
    s->flagA = s->flagB = 7;
    CSrfFilletSolver::OrientSpine(s.get(), k.A, k.B);
    // Direction of the spine in each face's (u, v): A (0, dy), B (dy, 0); cross with the
    // kept direction A (1, 0), B (0, 1).
    const double dy = c.y1 > c.y0 ? 1.0 : -1.0;
    const int expectA = (0.0 * 0.0 - dy * 1.0) > 0 ? 1 : 0;
    const int expectB = (dy * 1.0 - 0.0 * 0.0) > 0 ? 1 : 0;
    EXPECT_EQ(s->flagA, expectA) << c.y0 << " -> " << c.y1;
    EXPECT_EQ(s->flagB, expectB) << c.y0 << " -> " << c.y1;
  }
}

TEST_F(SrfBlendStagesTest, OrientationSkipsStepsOutsideTheFacesAndShortSpines) {
  const double r = 0.3;
  Corner k(r, r);
  // Entirely beyond the faces' ranges (y from 3 to 5): no pair is used, the flags stay clear.
  SpinePtr outside(k.Spine(4, r, r, 3.0, 5.0));
  outside->flagA = outside->flagB = 1;
  CSrfFilletSolver::OrientSpine(outside.get(), k.A, k.B);
  EXPECT_EQ(outside->flagA, 0);
  EXPECT_EQ(outside->flagB, 0);
  SpinePtr one(k.Spine(1, r, r, 0.5, 0.5));
  one->flagA = one->flagB = 1;
  CSrfFilletSolver::OrientSpine(one.get(), k.A, k.B);
  EXPECT_EQ(one->flagA, 0);
  EXPECT_EQ(one->flagB, 0);
}

}  // namespace
