// Drawing and picking of trimmed surfaces: loops and iso curves by display mode, boundary picks.
#include <gtest/gtest.h>

#include <GL/gl.h>

#include <memory>

#include "tests/support/geometry/TrimTestUtil.h"
#include "geometry/shapes2d/PickRay.h"
#include "support/GLContext.h"
#include "support/VurodeFixture.h"

using namespace trimtest;

namespace {

// A 10 x 5 plane at z = 0 framed by the unit square (its boundaries are the plane's edges).
std::unique_ptr<CGeTrimSurf> FramedPlane() {
  const double o[3] = {0, 0, 0};
  auto s = std::make_unique<CGeTrimSurf>(CNurbsEditor::MakePlane(o, 10, 5),
                                         _tagBox2D{{0, 0}, {1, 1}});
  s->AddLoop(s->GenRectTrimLoop(0, 1, 0, 1));
  s->BuildTopo();
  return s;
}

CPickRay DownRay(double x, double y, int b2D) {
  CPickRay ray;
  ray.m_b2D = b2D;
  ray.m_ptOrigin[0] = x, ray.m_ptOrigin[1] = y, ray.m_ptOrigin[2] = 100;
  ray.m_vDir[0] = 0, ray.m_vDir[1] = 0, ray.m_vDir[2] = -1;
  ray.m_dRadius = 0.1;
  return ray;
}

using TrimSurfPick = VurodeTest;

TEST_F(TrimSurfPick, TwoDimensionalRaysPickTheBoundaries) {
  auto s = FramedPlane();
  CPickRay noView = DownRay(10, 2.5, 1);
  EXPECT_EQ(s->Pick(noView, 0), 0);  // picking needs a view
  CVurode view;
  gSetVurode(&view);
  CPickRay onEdge = DownRay(10, 2.5, 1);  // the second boundary, u = 1
  EXPECT_EQ(s->Pick(onEdge, 0), 1);
  CPickRay again = DownRay(10, 2.5, 1);
  CGeTrimBnd* picked = s->PickTrimBnd(again);
  CGeTrimBndList& bounds = s->m_LoopList.GetHead()->m_BndList;
  EXPECT_EQ(picked, bounds.GetAt(bounds.FindIndex(1)));
  CPickRay inside = DownRay(5, 2.5, 1);
  EXPECT_EQ(s->Pick(inside, 0), 0);
  EXPECT_EQ(s->PickTrimBnd(inside), nullptr);
  // A 3D ray goes to the mesh part, which is empty here.
  CPickRay ray3d = DownRay(10, 2.5, 0);
  EXPECT_EQ(s->Pick(ray3d, 0), 0);
  // The type filter.
  CPickRay masked = DownRay(10, 2.5, 1);
  masked.m_nTypeMask = 0x40000;
  EXPECT_EQ(s->Pick(masked, 1), 0);
  masked.m_nTypeMask = 0x80000;
  EXPECT_EQ(s->Pick(masked, 1), 1);
}

class TrimSurfGL : public GLTest {};

TEST_F(TrimSurfGL, DisplayModesChooseLoopsIsoCurvesOrMesh) {
  auto s = FramedPlane();
  s->DrawGL(&dc(), 0);  // no view: nothing happens
  CVurode view;
  gSetVurode(&view);
  SetPlanView(-1, 11, -1, 11);
  auto draw = [&](unsigned mode, int arg) {
    gGetVurode()->SetSrfShowMode(mode);
    dc().Ready();
    dc().SetColor(RGB(255, 0, 0));
    s->DrawGL(&dc(), arg);
    dc().Finish();
    return gl().CountPixels(RGB(255, 0, 0), 8);
  };
  EXPECT_GT(draw(CVurode::kSrfIso, 0), 20);          // the loop's edges
  EXPECT_EQ(draw(CVurode::kSrfShaded, 0), 0);        // the mesh only, and it is empty
  EXPECT_GT(draw(CVurode::kSrfShaded, 3), 20);       // argument 3 forces the wireframe
  EXPECT_EQ(draw(CVurode::kSrfIso + 1, 0), 0);       // higher modes draw nothing
}

}  // namespace
