#include "millvane/surface/SrfTrimAdaptor.h"

#include <gtest/gtest.h>

#include <cmath>

#include "EditorFixture.h"
#include "millvane/surface/EdInterCurve.h"
#include "millvane/surface/SrfActor.h"

namespace {

// Plane z = h over [-s, s]² with the unit domain.
_nurbs_surface* SquarePlane(double s, double h) {
  _nurbs_surface* p = edt::Plane(2 * s, 2 * s);
  for (int j = 0; j < 2; ++j)
    for (int i = 0; i < 2; ++i) {
      p->net[j][i][0] -= s;
      p->net[j][i][1] -= s;
      p->net[j][i][2] = h;
    }
  return p;
}

// Sum of the signed parameter areas of all loops (holes count negative).
double DomainArea(CGeTrimSurf* s) {
  double a = 0.0;
  for (POSITION pos = s->m_LoopList.GetHeadPosition(); pos;) a += s->m_LoopList.GetNext(pos)->EvArea(1e-4);
  return a;
}

void FreeAll(CGeTrimSurfList& list) {
  while (!list.IsEmpty()) delete list.RemoveHead();
}

}  // namespace

TEST(SrfTrimAdaptorTest, PlaneCutByCylinderGetsHoleAndAreasAddUp) {
  auto plane = edt::Untrimmed(SquarePlane(2.0, 0.5));
  auto cyl = edt::Untrimmed(edt::Cylinder(1.0, 1.0));
  CGeTrimSurfList tools, pieces;
  tools.AddTail(cyl.get());
  CSrfActor actor;
  ASSERT_EQ(actor.SrfSrfTrim(&tools, plane.get(), &pieces), 1);
  ASSERT_EQ(pieces.GetCount(), 2);
  // The disc of radius 1 inside a 4×4 square covers π/16 of the unit domain.
  const double hole = M_PI / 16;
  double total = 0.0;
  int withHole = 0;
  for (POSITION pos = pieces.GetHeadPosition(); pos;) {
    CGeTrimSurf* s = pieces.GetNext(pos);
    const double a = DomainArea(s);
    total += a;
    if (s->m_LoopList.GetCount() == 2) {
      ++withHole;
      EXPECT_NEAR(a, 1.0 - hole, 2e-3);
      // The hole runs along the cylinder: its points lie at radius 1.
      const double uv[2] = {0.5, 0.5};
      EXPECT_EQ(s->IsPtInParaLoop(uv), 0);
    } else {
      EXPECT_NEAR(a, hole, 2e-3);
    }
  }
  EXPECT_EQ(withHole, 1);
  EXPECT_NEAR(total, 1.0, 1e-3);
  // Kernel records made for the job are gone again; the caller's surfaces are untouched.
  EXPECT_EQ(plane->m_pKernelSurf, nullptr);
  EXPECT_EQ(cyl->m_pKernelSurf, nullptr);
  EXPECT_EQ(plane->m_LoopList.GetCount(), 1);
  FreeAll(pieces);
}

TEST(SrfTrimAdaptorTest, GroupsRecordsAndFarApartSurfaces) {
  auto plane = edt::Untrimmed(SquarePlane(2.0, 0.5));
  auto far = edt::Untrimmed(SquarePlane(1.0, 0.5));
  for (int j = 0; j < 2; ++j)
    for (int i = 0; i < 2; ++i) far->m_pSurface->net[j][i][0] += 100.0;
  CSrfActor actor;
  ASSERT_EQ(actor.CreateSURFACE(plane.get()), 1);
  void* own = plane->m_pKernelSurf;
  {
    CSrfTrimAdaptor adaptor;
    EXPECT_EQ(adaptor.AddSurface(nullptr, false), 0);
    EXPECT_EQ(adaptor.AddSurface(plane.get(), false), 1);
    EXPECT_EQ(adaptor.AddSurface(plane.get(), true), 0);
    EXPECT_EQ(adaptor.AddSurface(far.get(), true), 1);
    EXPECT_NE(adaptor.FindEditor(far.get()), nullptr);
    EXPECT_EQ(adaptor.FindEditor(nullptr), nullptr);
    // Boxes that do not meet give no curve, and nothing to trim.
    EXPECT_EQ(adaptor.IntersectSurfaces(), 0);
    EXPECT_EQ(adaptor.IntersectCurves(true), 0);
    EXPECT_EQ(adaptor.BuildTrimLoops(3), 0);
    CGeTrimSurfList out;
    EXPECT_EQ(adaptor.GetSurfaceResult(plane.get(), &out), 0);
    EXPECT_EQ(adaptor.GetSurfaceResult(nullptr, &out), 0);
    EXPECT_TRUE(out.IsEmpty());
  }
  // The record the caller made stays; the one the adaptor made is gone.
  EXPECT_EQ(plane->m_pKernelSurf, own);
  EXPECT_EQ(far->m_pKernelSurf, nullptr);
  actor.FreeSURFACE(plane.get());
}

// A UV string that runs across the seam of a periodic cylinder is made continuous, so the
// curve's parameters never jump by a period.
TEST(SrfTrimAdaptorTest, UVCurveAcrossTheSeamIsUnwrapped) {
  auto cyl = edt::Untrimmed(edt::Cylinder(1.0, 1.0));
  CSrfTrimAdaptor adaptor;
  ASSERT_EQ(adaptor.AddSurface(cyl.get(), false), 1);
  double uv[6][2] = {{0.8, 0.5}, {0.85, 0.52}, {0.95, 0.55}, {0.05, 0.58}, {0.12, 0.6},
                     {0.2, 0.63}};
  CEdInterCurve* c = adaptor.AddUVCurve(uv, 6, adaptor.FindEditor(cyl.get()), false, false);
  ASSERT_NE(c, nullptr);
  // u keeps growing through the seam (collinear vertices may have been dropped).
  for (int i = 1; i <= c->m_nLast; ++i) {
    EXPECT_GT(c->m_pPoints[i][3], c->m_pPoints[i - 1][3]) << i;
    EXPECT_LT(c->m_pPoints[i][3] - c->m_pPoints[i - 1][3], 0.25) << i;
  }
  EXPECT_EQ(adaptor.AddUVCurve(uv, 1, adaptor.FindEditor(cyl.get()), false, false), nullptr);
}
