// Drawing of the 3D curves through a recording device context and into a headless OpenGL
// target: culling, the highlight colour of the extension data word, node markers.
#include "Shape3dTestUtil.h"
#include "geometry/shapes3d/GeArc3d.h"
#include "geometry/shapes3d/GeLine3d.h"
#include "geometry/shapes3d/GePolyline3d.h"
#include "platform/afx/RecordingDC.h"
#include "support/GLContext.h"
#include "support/ViewFixture.h"

using namespace shapes3d_test;

namespace {

using Kind = CRecordingDC::Kind;

using Draw3d = View100Test;

TEST_F(Draw3d, CacheIsDrawnInTheHighlightColourWhenTheWordAsksForIt) {
  const double c[3] = {50, 50, 7};
  CGeArc3d arc;
  ASSERT_EQ(arc.CreateCricleXY(c, 20.0), 1);
  arc.DiscreteMe(0.1);
  CPen current(PS_SOLID, 3, RGB(1, 2, 3));
  m_dc.SelectObject(&current);
  struct Row {
    int ext, mode;
    bool highlight;
  };
  for (const Row& r : {Row{0, 0, false}, Row{2, 0, false}, Row{1, 0, true}, Row{5, 0, true},
                       Row{5, 1, false}, Row{6, 0, false}}) {
    m_dc.ClearCalls();
    arc.m_nExtData = r.ext;
    arc.Draw(&m_dc, r.mode);
    ASSERT_EQ(m_dc.Count(Kind::Polyline), 1u) << r.ext;
    const auto& call = m_dc.GetCalls()[0];
    EXPECT_EQ(static_cast<int>(call.points.size()), arc.m_strDisc.m_nCount);
    EXPECT_EQ(call.penColor, r.highlight ? RGB(0, 196, 0) : RGB(1, 2, 3)) << r.ext << " " << r.mode;
    EXPECT_EQ(call.penWidth, r.highlight ? 1 : 3);
    EXPECT_EQ(m_dc.GetCurrentPen(), &current);  // restored
  }
}

TEST_F(Draw3d, NothingOutsideTheViewOrWithoutAView) {
  const double s[3] = {150, 150, 0}, e[3] = {160, 170, 0};
  CGeLine3d far(s, e);
  far.Draw(&m_dc, 0);
  EXPECT_TRUE(m_dc.GetCalls().empty());
  const double s2[3] = {10, 10, 0}, e2[3] = {20, 20, 0};
  CGeLine3d near(s2, e2);
  gSetVurode(nullptr);
  near.Draw(&m_dc, 0);
  EXPECT_TRUE(m_dc.GetCalls().empty());
  gSetVurode(&m_view);
  near.Draw(&m_dc, 0);
  EXPECT_EQ(m_dc.Count(Kind::Polyline), 1u);
  near.Draw(nullptr, 0);
}

TEST_F(Draw3d, PolylineDrawsItsVertices) {
  CGePolyline3d pl;
  const double v[3][3] = {{10, 10, 0}, {20, 30, 5}, {40, 10, 9}};
  ASSERT_EQ(pl.Create(3, v), 1);
  pl.Draw(&m_dc, 0);
  ASSERT_EQ(m_dc.Count(Kind::Polyline), 1u);
  const auto& pts = m_dc.GetCalls()[0].points;
  ASSERT_EQ(pts.size(), 3u);
  EXPECT_EQ(pts[1], CPoint(20, 70));  // world y up, screen y down
}

TEST_F(Draw3d, NodeMarkers) {
  const double s[3] = {10, 20, 0}, e[3] = {30, 40, 0};
  CGeLine3d line(s, e);
  line.DrawNode(&m_dc, 1, 1);
  ASSERT_EQ(m_dc.GetCalls().size(), 2u);
  const auto& first = m_dc.GetCalls()[0];
  EXPECT_EQ(first.kind, Kind::Ellipse);
  EXPECT_EQ(first.penColor, RGB(195, 0, 170));
  EXPECT_EQ(first.penWidth, 1);
  EXPECT_EQ(first.points[0], CPoint(7, 77));
  EXPECT_EQ(first.points[1], CPoint(13, 83));
  EXPECT_EQ(m_dc.GetCalls()[1].kind, Kind::Rectangle);
  EXPECT_EQ(m_dc.GetCalls()[1].points[0], CPoint(27, 57));

  m_view.SetView3D();
  m_dc.ClearCalls();
  line.DrawNode(&m_dc, 1, 0);
  ASSERT_EQ(m_dc.GetCalls().size(), 1u);
  EXPECT_EQ(m_dc.GetCalls()[0].penColor, RGB(60, 255, 85));
  EXPECT_EQ(m_dc.GetCalls()[0].penWidth, 2);
  m_view.SetView2D();

  // Polyline: vertices 1..n-1; the last only when open and asked for.
  CGePolyline3d closed;
  const double sq[5][3] = {{10, 10, 0}, {20, 10, 0}, {20, 20, 0}, {10, 20, 0}, {10, 10, 0}};
  ASSERT_EQ(closed.Create(5, sq), 1);
  m_dc.ClearCalls();
  closed.DrawNode(&m_dc, 0, 1);
  EXPECT_EQ(m_dc.Count(Kind::Rectangle), 3u);
  CGePolyline3d open;
  ASSERT_EQ(open.Create(4, sq), 1);
  m_dc.ClearCalls();
  open.DrawNode(&m_dc, 1, 1);
  EXPECT_EQ(m_dc.Count(Kind::Ellipse), 1u);
  EXPECT_EQ(m_dc.Count(Kind::Rectangle), 3u);
  m_dc.ClearCalls();
  open.DrawNode(&m_dc, 1, 0);
  EXPECT_EQ(m_dc.Count(Kind::Rectangle), 2u);
}

TEST_F(Draw3d, ScreenBoxHoldsTheProjectedCache) {
  const double s[3] = {10, 20, 3}, e[3] = {30, 40, -3};
  CGeLine3d line(s, e);
  _tagBox2D box;
  line.CalcScreenBox(&box);
  EXPECT_EQ(box.min[0], 10.0);
  EXPECT_EQ(box.max[0], 30.0);
  EXPECT_EQ(box.min[1], 60.0);
  EXPECT_EQ(box.max[1], 80.0);
}

class Draw3dGL : public GLTest {};

TEST_F(Draw3dGL, CurvesLightTheirPixelsInTheirColours) {
  SetPlanView(-32, 32, -32, 32);
  dc().Ready();
  const double c[3] = {0, 0, 5};
  CGeArc3d arc;
  ASSERT_EQ(arc.CreateCricleXY(c, 20.0), 1);
  arc.DiscreteMe(0.01);
  dc().SetColor(RGB(255, 0, 0));
  arc.DrawGL(&dc(), 0);
  const double s[3] = {-30, -28, 0}, e[3] = {30, -28, 0};
  CGeLine3d line(s, e);
  line.m_nExtData = 1;  // highlight: drawn in 0xc400, the context's colour restored after
  line.DrawGL(&dc(), 0);
  EXPECT_EQ(dc().GetColor(), RGB(255, 0, 0));
  CGePolyline3d pl;
  const double v[3][3] = {{-25, 25, 0}, {0, 28, 0}, {25, 25, 0}};
  ASSERT_EQ(pl.Create(3, v), 1);
  dc().SetColor(RGB(0, 0, 255));
  pl.DrawGL(&dc(), 0);
  dc().Finish();
  EXPECT_GT(gl().CountPixels(RGB(255, 0, 0), 8), 100);  // a circle of radius 20 px
  EXPECT_GT(gl().CountPixels(RGB(0, 196, 0), 8), 50);
  EXPECT_GT(gl().CountPixels(RGB(0, 0, 255), 8), 40);
  EXPECT_EQ(gl().PixelAt(32, 32), RGB(0, 0, 0));  // the circle's inside stays empty
}

}  // namespace
