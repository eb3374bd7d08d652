#include "millvane/surface/SrfTrimAdaptor.h"

#include <gtest/gtest.h>

#include <cmath>

#include "EditorFixture.h"
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
