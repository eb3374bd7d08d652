// Drawing through a recording device context and into a headless OpenGL target.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "geometry/shapes2d/GeArc.h"
#include "geometry/shapes2d/GeLine.h"
#include "platform/vurode/ViewState.h"
#include "support/GLContext.h"
#include "support/ViewFixture.h"

namespace {

using Kind = CRecordingDC::Kind;

// The plan view with box culling switched on.
class DrawTest : public View100Test {
 protected:
  void SetUp() override {
    View100Test::SetUp();
    m_view.SetCheckBoxFlag(TRUE);
  }
  static bool AllInside(const CRecordingDC::Call& call) {
    for (const CPoint& p : call.points)
      if (p.x < -1 || p.x > 101 || p.y < -1 || p.y > 101) return false;
    return true;
  }
};

TEST_F(DrawTest, ContainedCurveIsDrawnWhole) {
  const double c[2] = {50, 50};
  CGeArc arc;
  ASSERT_EQ(arc.CreateCSEAngle(c, 20.0, 0.0, std::numbers::pi), 1);
  arc.Draw(&m_dc, 0);
  ASSERT_EQ(m_dc.Count(Kind::Polyline), 1u);
  EXPECT_EQ(static_cast<int>(m_dc.GetCalls()[0].points.size()), arc.m_nSWPoint);
}

TEST_F(DrawTest, CrossingCurveIsClippedUnlessWhole) {
  const double c[2] = {80, 50};
  CGeArc arc;
  ASSERT_EQ(arc.CreateCSEAngle(c, 30.0, -1.0, 1.0), 1);  // from x = 96 out to x = 110
  arc.Draw(&m_dc, 0);
  ASSERT_GE(m_dc.Count(Kind::Polyline), 1u);
  for (const auto& call : m_dc.GetCalls()) EXPECT_TRUE(AllInside(call));
  m_dc.ClearCalls();
  arc.Draw(&m_dc, 1);
  ASSERT_EQ(m_dc.Count(Kind::Polyline), 1u);
  EXPECT_FALSE(AllInside(m_dc.GetCalls()[0]));

  const double s[2] = {50, 50}, e[2] = {150, 50};
  CGeLine line(s, e);
  m_dc.ClearCalls();
  line.Draw(&m_dc, 0);
  ASSERT_FALSE(m_dc.GetCalls().empty());
  for (const auto& call : m_dc.GetCalls()) EXPECT_TRUE(AllInside(call));
  m_dc.ClearCalls();
  line.Draw(&m_dc, 1);
  bool beyond = false;
  for (const auto& call : m_dc.GetCalls()) beyond = beyond || !AllInside(call);
  EXPECT_TRUE(beyond);
}

TEST_F(DrawTest, NothingOutsideTheViewOrWithoutAView) {
  const double s[2] = {300, 300}, e[2] = {400, 320};
  CGeLine line(s, e);
  const double c[2] = {300, 300};
  CGeArc arc;
  ASSERT_EQ(arc.CreateCSEAngle(c, 5.0, 0.0, 1.0), 1);
  line.Draw(&m_dc, 1);
  arc.Draw(&m_dc, 1);
  EXPECT_TRUE(m_dc.GetCalls().empty());
  gSetVurode(nullptr);
  const double a[2] = {10, 10}, b[2] = {20, 20};
  CGeLine inside(a, b);
  inside.Draw(&m_dc, 1);
  inside.DrawNode(&m_dc, 1, 1);
  EXPECT_TRUE(m_dc.GetCalls().empty());
}

TEST_F(DrawTest, NodesMarkStartAndEnd) {
  const double s[2] = {10, 90}, e[2] = {40, 60};
  CGeLine line(s, e);
  line.DrawNode(&m_dc, 1, 1);
  ASSERT_EQ(m_dc.GetCalls().size(), 2u);
  const auto& circle = m_dc.GetCalls()[0];
  EXPECT_EQ(circle.kind, Kind::Ellipse);
  EXPECT_EQ(circle.penColor, RGB(0, 125, 0));
  EXPECT_EQ(circle.penWidth, 1);
  const CPoint sp = m_view.WorldtoScreen(s);
  EXPECT_EQ(circle.points[0], CPoint(sp.x - 4, sp.y - 4));
  EXPECT_EQ(circle.points[1], CPoint(sp.x + 4, sp.y + 4));
  const auto& square = m_dc.GetCalls()[1];
  EXPECT_EQ(square.kind, Kind::Rectangle);
  EXPECT_EQ(square.penColor, RGB(0, 0, 0));  // the pen was put back
  const CPoint ep = m_view.WorldtoScreen(e);
  EXPECT_EQ(square.points[0], CPoint(ep.x - 3, ep.y - 3));

  m_view.SetView3D();
  m_dc.ClearCalls();
  const double c[2] = {50, 50};
  CGeArc arc;
  ASSERT_EQ(arc.CreateCSEAngle(c, 10.0, 0.0, 1.0), 1);
  arc.DrawNode(&m_dc, 1, 0);
  ASSERT_EQ(m_dc.GetCalls().size(), 1u);
  EXPECT_EQ(m_dc.GetCalls()[0].penColor, RGB(195, 0, 170));
  EXPECT_EQ(m_dc.GetCalls()[0].penWidth, 2);
}

TEST_F(DrawTest, ScreenBoxHoldsTheScreenPoints) {
  const double s[2] = {10, 90}, e[2] = {40, 60};
  CGeLine line(s, e);
  _tagBox2D box;
  line.CalcScreenBox(&box);
  const CPoint a = m_view.WorldtoScreen(s), b = m_view.WorldtoScreen(e);
  EXPECT_EQ(box.min[0], std::min(a.x, b.x));
  EXPECT_EQ(box.max[1], std::max(a.y, b.y));
}

class DrawGLTest : public GLTest {};

TEST_F(DrawGLTest, CurvesLightTheirPixels) {
  SetPlanView(-32, 32, -32, 32);
  dc().Ready();
  dc().SetColor(RGB(255, 0, 0));
  const double c[2] = {0, 0};
  CGeArc arc;
  ASSERT_EQ(arc.CreateCSEAngle(c, 20.0, 0.0, std::numbers::pi), 1);
  arc.DrawGL(&dc(), 0);
  dc().SetColor(RGB(0, 255, 0));
  const double s[2] = {-30, -20}, e[2] = {30, -20};
  CGeLine line(s, e);
  line.DrawGL(&dc(), 0);
  dc().Finish();
  EXPECT_GT(gl().CountPixels(RGB(255, 0, 0), 8), 40);  // half a circle of radius 20 px
  EXPECT_GT(gl().CountPixels(RGB(0, 255, 0), 8), 50);
  EXPECT_EQ(gl().PixelAt(32, 32), RGB(0, 0, 0));       // the centre stays dark
  EXPECT_EQ(gl().PixelAt(46, 46), RGB(0, 0, 0));       // the lower half of the circle is not drawn
}

}  // namespace
