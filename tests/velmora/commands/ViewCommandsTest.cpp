// The view commands, run through the hub as the program runs them, against the 2D view state
// and the 3D camera.
#include "platform/vurode/Vurode.h"
#include "support/VurodeFixture.h"
#include "velmora/commands/ViewCommands.h"
#include "velmora/ordvale/GLView.h"
#include "velmora/ordvale/Ordvale.h"

#include <cmath>
#include <memory>

namespace {

class TestView : public CGLView {
 public:
  void DrawGL(COpenGLDC*, int) override {}
  void RenderFrame(int mode) override { frames.push_back(mode); }
  BOOL GetFitBox2D(int target, _tagBox2D& box) override {
    box = target == kFitAll ? all : page;
    return TRUE;
  }
  std::vector<int> frames;
  _tagBox2D all{{0, 0}, {400, 100}}, page{{0, 0}, {210, 297}};
};

class ViewCommandsTest : public VurodeTest {
 protected:
  void SetUp() override {
    VurodeTest::SetUp();
    gSetVurode(&vurode);
    vurode.SetViewRect(CRect(0, 0, 200, 100));
    gSetOpenGLDC(&dc);
    const double eye[3] = {0, 0, 500}, ref[3] = {0, 0, 0}, up[3] = {0, 1, 0};
    dc.GetCamera().set_screen(200, 100);
    dc.GetCamera().set_view(eye, ref, up);
    dc.GetCamera().set_view_rect(100, 50);
    gSetView(&view);
    gSetKXGlobal(&settings);
    // The commands only check that a database and a selection exist; they never touch them.
    gSetDBase(reinterpret_cast<CDBase*>(&dbStandIn));
    hub.SetSelector(reinterpret_cast<CSelector*>(&dbStandIn));
    gSetOrdvale(&hub);
    zoomIn = Reg(new CViewZoomInCmd(0, L"Zoom In"), 32808);
    zoomOut = Reg(new CViewZoomOutCmd(0, L"Zoom Out"), 32809);
    dyn = Reg(new CViewZoomDynCmd(0, L"Dynamic Zoom"), 32807);
    pan = Reg(new CViewPanCmd(0, L"Pan View"), 32805);
    rot = Reg(new CView3DRotCmd(0, L"Rotate View"), 33128);
    region = Reg(new CViewRegionCmd(0, L"Zoom Window"), 32806);
    all = Reg(new CViewAllCmd(0, L"Fit to ALL"), 32810);
    page = Reg(new CViewAllPageCmd(0, L"Fit to Page"), 32812);
    prev = Reg(new CViewPrevCmd(0, L"Prev View"), 32811);
  }
  template <class T>
  T* Reg(T* cmd, UINT id) {
    cmd->SetID(id);
    hub.RegAppCmd(cmd);
    return cmd;
  }
  // A position as the view builds it from a client point.
  Position At(int sx, int sy) {
    Position p;
    vurode.ScreentoWorld(sx, sy, p);
    return p;
  }
  double Width3D() {
    double w, h;
    dc.GetCamera().GetViewSize(w, h);
    return w;
  }
  // Runs timer ticks until the animation stops (at most 20).
  int Ticks(CViewAnimCmd* cmd) {
    int n = 0;
    while (view.IsTimerRunning(CViewAnimCmd::kTimer) && n < 20) {
      cmd->OnTimer(CViewAnimCmd::kTimer);
      ++n;
    }
    return n;
  }

  CVurode vurode;
  COpenGLDC dc;
  TestView view;
  CKXGlobal settings;
  int dbStandIn = 0;
  COrdvale hub;
  CViewZoomInCmd* zoomIn;
  CViewZoomOutCmd* zoomOut;
  CViewZoomDynCmd* dyn;
  CViewPanCmd* pan;
  CView3DRotCmd* rot;
  CViewRegionCmd* region;
  CViewAllCmd* all;
  CViewAllPageCmd* page;
  CViewPrevCmd* prev;
};

TEST_F(ViewCommandsTest, FactorZoomsActOnceAndEnd) {
  struct Case {
    UINT id;
    bool in3D;
    double expect;  // 2D scale or 3D view width after the run
  } cases[] = {{32808, false, 1.2}, {32809, false, 1 / 1.2}, {32808, true, 100 / 1.2}, {32809, true, 100 / 0.9}};
  for (const auto& c : cases) {
    vurode.SetScale(1.0);
    vurode.ClearViewStack();
    dc.GetCamera().set_view_rect(100, 50);
    while (dc.PopViewPara()) {
    }
    c.in3D ? vurode.SetView3D() : vurode.SetView2D();
    EXPECT_EQ(hub.RunAppCmd(c.id, 0), 1) << c.id;
    EXPECT_EQ(hub.GetCurCmd(), nullptr) << "ended inside its start-up";
    if (c.in3D) {
      EXPECT_NEAR(Width3D(), c.expect, 1e-9) << c.id;
      EXPECT_EQ(dc.GetViewStackSize(), 1);
    } else {
      EXPECT_NEAR(vurode.GetScale(), c.expect, 1e-12) << c.id;
      EXPECT_EQ(vurode.GetViewStackSize(), 1) << "saved for Prev View";
      EXPECT_TRUE(view.IsEraseRequested());
    }
  }
  // Without a database nothing happens.
  vurode.SetView2D();
  gSetDBase(nullptr);
  const double s = vurode.GetScale();
  EXPECT_EQ(hub.RunAppCmd(32808u, 0), 0);
  EXPECT_EQ(vurode.GetScale(), s);
}

// Dragging in 2D keeps the world point that was pressed under the pointer.
TEST_F(ViewCommandsTest, PanKeepsThePressedPointUnderThePointer) {
  vurode.SetScale(2.0);
  vurode.SetOrigin(5, -3);
  ASSERT_EQ(hub.RunAppCmd(pan, 0), 1);
  Position press = At(60, 40);
  hub.OnLButtonDown(1, press);
  EXPECT_TRUE(view.HasMouseCapture());
  EXPECT_EQ(view.GetViewCursor(), CViewPanCmd::kDragCursor);
  EXPECT_EQ(vurode.GetViewStackSize(), 1);
  const int path[][2] = {{70, 45}, {90, 20}, {30, 90}, {31, 90}, {-50, 10}};
  for (const auto& p : path) {
    Position cur = At(p[0], p[1]);
    hub.OnMouseMove(1, cur);
    double w[2];
    vurode.ScreentoWorld2D(p[0], p[1], w);
    EXPECT_NEAR(w[0], press.x, 1e-9) << p[0] << "," << p[1];
    EXPECT_NEAR(w[1], press.y, 1e-9) << p[0] << "," << p[1];
  }
  Position up = At(-50, 10);
  hub.OnLButtonUp(1, up);
  EXPECT_FALSE(view.HasMouseCapture());
  EXPECT_EQ(hub.GetCurCmd(), pan) << "stays for the next drag";
  // Without a press, moving pans nothing.
  double o[2], o2[2];
  vurode.GetOrigin(o);
  Position m = At(0, 0);
  hub.OnMouseMove(0, m);
  vurode.GetOrigin(o2);
  EXPECT_EQ(o[0], o2[0]);
  // The middle button pans too and ends the command on release.
  Position mp = At(10, 10);
  hub.OnMButtonDown(0, mp);
  hub.OnMButtonUp(0, mp);
  EXPECT_EQ(hub.GetCurCmd(), nullptr);
  // Ended in the middle of a drag (another command started), the pan gives the pointer back.
  ASSERT_EQ(hub.RunAppCmd(pan, 0), 1);
  hub.OnLButtonDown(1, mp);
  ASSERT_TRUE(view.HasMouseCapture());
  hub.RunAppCmd(32808u, 0);
  EXPECT_FALSE(view.HasMouseCapture());
  EXPECT_FALSE(pan->IsDragging());
}

TEST_F(ViewCommandsTest, PanRefusesFarXButNotFarY) {
  pan->StartUp(0);
  vurode.SetOrigin(29990, 0);
  const struct {
    double dx, dy;
    BOOL moved;
    double x, y;
  } cases[] = {{-5, 0, TRUE, 29995, 0},     {-10, 0, FALSE, 29995, 0},  {0, -1e6, TRUE, 29995, 1e6},
               {0.001, 0.004, FALSE, 29995, 1e6}, {60000, 0, FALSE, 29995, 1e6}, {40000, 0, TRUE, -10005, 1e6}};
  for (const auto& c : cases) {
    EXPECT_EQ(pan->Shift2D(c.dx, c.dy), c.moved) << c.dx << "," << c.dy;
    double o[2];
    vurode.GetOrigin(o);
    EXPECT_NEAR(o[0], c.x, 1e-9);
    EXPECT_NEAR(o[1], c.y, 1e-9);
  }
}

TEST_F(ViewCommandsTest, Pan3DMovesThePictureWithThePointer) {
  vurode.SetView3D();
  ASSERT_EQ(hub.RunAppCmd(pan, 0), 1);
  const double p[3] = {7, 3, 0};
  double sx0, sy0, sx1, sy1;
  ASSERT_TRUE(dc.GetCamera().world_to_screen(p, sx0, sy0));
  Position a, b;
  a.sx = 50;
  a.sy = 50;
  b.sx = 80;
  b.sy = 35;
  hub.OnLButtonDown(1, a);
  EXPECT_EQ(dc.GetViewStackSize(), 1);
  hub.OnMouseMove(1, b);
  ASSERT_TRUE(dc.GetCamera().world_to_screen(p, sx1, sy1));
  EXPECT_NEAR(sx1 - sx0, 30, 1e-9);
  EXPECT_NEAR(sy1 - sy0, -15, 1e-9);
}

TEST_F(ViewCommandsTest, DynamicZoomFollowsVerticalMoves) {
  ASSERT_EQ(hub.RunAppCmd(dyn, 0), 1);
  Position p = At(100, 50);
  hub.OnMouseMove(0, p);
  EXPECT_EQ(vurode.GetScale(), 1.0) << "no press, no zoom";
  hub.OnLButtonDown(0, p);
  EXPECT_EQ(gGetDetectProc(), nullptr);
  const struct {
    int sy;
    double scale;
  } moves[] = {{53, 1.0}, {47, 1.0}, {54, 1.02}, {54, 1.02}, {50, 1.02 * 0.98}, {52, 1.02 * 0.98}, {200, 1.02 * 0.98 * 1.02}};
  for (const auto& m : moves) {
    Position q = At(100, m.sy);
    hub.OnMouseMove(0, q);
    EXPECT_NEAR(vurode.GetScale(), m.scale, 1e-12) << m.sy;
    EXPECT_EQ(gGetDetectProc(), &gIsMouseMoving);
  }
  hub.OnLButtonUp(0, p);
  EXPECT_FALSE(view.HasMouseCapture());
  hub.OnLButtonDown(0, p);
  hub.OnRButtonDown(0, p);
  EXPECT_EQ(hub.GetCurCmd(), nullptr);
  EXPECT_FALSE(view.HasMouseCapture()) << "cancelling gives the pointer back";
  EXPECT_EQ(gGetDetectProc(), nullptr);
}

// Fit to all in 2D: eight ticks of timer 12 walk from the old view to the fitted one, then the
// command ends.
TEST_F(ViewCommandsTest, FitToAllAnimatesOverEightTicks) {
  vurode.SetScale(3.0);
  vurode.SetOrigin(-50, 20);
  const tagViewPara start = vurode.GetViewPara();
  ASSERT_EQ(hub.RunAppCmd(32810u, 0), 1);
  EXPECT_EQ(view.GetTimerElapse(CViewAnimCmd::kTimer), CViewAnimCmd::kTick);
  // The box 400 x 100 in a 200 x 100 view: its width decides, scale 0.5 / margin, centre (200, 50).
  const tagViewPara end{0.5 / CGLView::kFitMargin, {200, 50}};
  EXPECT_EQ(all->OnTimer(11), 1) << "other timers are not the command's";
  EXPECT_EQ(all->GetStep(), 0);
  for (int k = 1; k <= 8; ++k) {
    hub.OnTimer(CViewAnimCmd::kTimer);
    const tagViewPara want = CVurode::LerpView(start, end, k / 8.0);
    EXPECT_NEAR(vurode.GetScale(), want.scale, 1e-12) << k;
    double o[2];
    vurode.GetOrigin(o);
    EXPECT_NEAR(o[0], want.origin[0], 1e-9) << k;
    EXPECT_EQ(gIsAnimateView(), k < 8 ? 1 : 0) << k;
  }
  EXPECT_FALSE(view.IsTimerRunning(CViewAnimCmd::kTimer));
  EXPECT_EQ(hub.GetCurCmd(), nullptr);
  // Prev View goes back to where it started.
  ASSERT_EQ(hub.RunAppCmd(32811u, 0), 1);
  EXPECT_EQ(Ticks(prev), 8);
  EXPECT_NEAR(vurode.GetScale(), 3.0, 1e-12);
  EXPECT_EQ(hub.GetCurCmd(), nullptr);
  EXPECT_EQ(hub.RunAppCmd(32811u, 0), 0) << "nothing saved any more";
}

TEST_F(ViewCommandsTest, AnimationJumpsToTheEndWhenAskedTo) {
  const struct {
    BOOL smooth;
    int stop;
    int ticks;
  } cases[] = {{TRUE, 0, 8}, {FALSE, 0, 1}, {TRUE, 1, 1}};
  for (const auto& c : cases) {
    settings.SetAnimateView(c.smooth);
    hub.m_nStopAnimate = c.stop;
    vurode.SetScale(1.0);
    ASSERT_EQ(hub.RunAppCmd(32812u, 0), 1);
    EXPECT_EQ(Ticks(page), c.ticks);
    EXPECT_NEAR(vurode.GetScale(), 100 / 297.0 / CGLView::kFitMargin, 1e-12) << "the page's height decides";
    EXPECT_EQ(gIsAnimateView(), 0);
    EXPECT_EQ(hub.GetCurCmd(), nullptr);
  }
}

TEST_F(ViewCommandsTest, Animation3DInterpolatesTheCamera) {
  vurode.SetView3D();
  vurode.SetScale(1.0);
  dc.PushViewPara();
  dc.GetCamera().set_view_rect(25, 12.5);
  ASSERT_EQ(hub.RunAppCmd(32811u, 0), 1);
  EXPECT_NEAR(Width3D(), 100, 1e-9) << "the end view is set at once";
  hub.OnTimer(CViewAnimCmd::kTimer);
  EXPECT_NEAR(Width3D(), 25 * std::pow(4.0, 1 / 8.0), 1e-9);
  EXPECT_EQ(view.frames, std::vector<int>{3}) << "animating frames draw in mode 3";
  EXPECT_EQ(Ticks(prev), 7);
  EXPECT_NEAR(Width3D(), 100, 1e-9);
  EXPECT_EQ(view.frames.back(), 0);
}

// A command cancelled in the middle of its animation takes its timer with it.
TEST_F(ViewCommandsTest, CancelStopsTheAnimationTimer) {
  ASSERT_EQ(hub.RunAppCmd(32810u, 0), 1);
  hub.OnTimer(CViewAnimCmd::kTimer);
  EXPECT_EQ(gIsAnimateView(), 1);
  ASSERT_EQ(hub.RunAppCmd(pan, 0), 1);
  EXPECT_FALSE(view.IsTimerRunning(CViewAnimCmd::kTimer));
  EXPECT_EQ(gIsAnimateView(), 0);
  EXPECT_EQ(all->GetStep(), 0);
}

TEST_F(ViewCommandsTest, FitToAllCentresOnTheTarget) {
  all->m_target = Position(123, -45, 0);
  ASSERT_EQ(hub.RunAppCmd(all, 1), 1);
  Ticks(all);
  double o[2];
  vurode.GetOrigin(o);
  EXPECT_NEAR(o[0], 123, 1e-9);
  EXPECT_NEAR(o[1], -45, 1e-9);
  EXPECT_EQ(vurode.GetScale(), 1.0);

  vurode.SetView3D();
  all->m_target = Position(20, 10, 0);
  ASSERT_EQ(hub.RunAppCmd(all, 1), 1);
  Ticks(all);
  const double p[3] = {20, 10, 0};
  double sx, sy;
  ASSERT_TRUE(dc.GetCamera().world_to_screen(p, sx, sy));
  EXPECT_NEAR(sx, 100, 1e-9);
  EXPECT_NEAR(sy, 50, 1e-9);
}

TEST_F(ViewCommandsTest, ZoomWindowNeedsMoreThanAClick) {
  ASSERT_EQ(hub.RunAppCmd(32806u, 0), 1);
  Position a = At(20, 20);
  hub.OnLButtonDown(0, a);
  Position near = At(40, 5);
  hub.OnMouseMove(0, near);
  EXPECT_TRUE(region->IsRubberShown());
  hub.OnLButtonUp(0, near);
  EXPECT_FALSE(view.IsTimerRunning(CViewAnimCmd::kTimer)) << "20 pixels or less is a click";
  EXPECT_EQ(vurode.GetScale(), 1.0);

  // The drag grows; the release frames the two corners.
  Position b = At(120, 70);
  hub.OnMouseMove(0, b);
  hub.OnLButtonUp(0, b);
  EXPECT_FALSE(region->IsRubberShown());
  EXPECT_EQ(view.GetRubberDrawCount() % 2, 0) << "every rectangle drawn was erased";
  Ticks(region);
  // 100 x 50 pixels at scale 1 in a 200 x 100 view: twice as large, less the margin.
  EXPECT_NEAR(vurode.GetScale(), 2.0 / CGLView::kFitMargin, 1e-12);
  double o[2];
  vurode.GetOrigin(o);
  EXPECT_NEAR(o[0], (a.x + b.x) / 2, 1e-9);
  EXPECT_NEAR(o[1], (a.y + b.y) / 2, 1e-9);
  EXPECT_EQ(hub.GetCurCmd(), region) << "ready for the next window";

  // A right press during a drag erases the rectangle and ends the command.
  Position c = At(10, 10), d = At(90, 90);
  hub.OnLButtonDown(0, c);
  hub.OnMouseMove(0, d);
  hub.OnRButtonDown(0, d);
  EXPECT_FALSE(region->IsRubberShown());
  EXPECT_EQ(view.GetRubberDrawCount() % 2, 0);
  EXPECT_EQ(hub.GetCurCmd(), nullptr);
}

TEST_F(ViewCommandsTest, RotateTurnsOnlyForRealMoves) {
  vurode.SetView3D();
  ASSERT_EQ(hub.RunAppCmd(33128u, 0), 1);
  Position p;
  p.sx = 100;
  p.sy = 50;
  hub.OnLButtonDown(0, p);
  EXPECT_TRUE(view.HasMouseCapture());
  double c[3];
  rot->GetCentre(c);
  EXPECT_EQ(c[0], 0) << "nothing picked: the origin";
  double d0[3], d1[3];
  dc.GetCamera().get_viewdirection(d0);
  Position small = p;
  small.sx += 3;
  small.sy -= 3;
  hub.OnMouseMove(0, small);
  dc.GetCamera().get_viewdirection(d1);
  EXPECT_EQ(d0[0], d1[0]);
  EXPECT_TRUE(dc.IsViewStackEmpty());
  Position far = p;
  far.sx += 50;  // a quarter of the view: an eighth of a turn
  hub.OnMouseMove(0, far);
  hub.OnMouseMove(0, far);
  dc.GetCamera().get_viewdirection(d1);
  EXPECT_NEAR(d0[0] * d1[0] + d0[1] * d1[1] + d0[2] * d1[2], std::cos(M_PI / 4), 1e-9);
  EXPECT_EQ(dc.GetViewStackSize(), 1) << "saved once per drag";
  hub.OnLButtonUp(0, far);
  EXPECT_FALSE(view.HasMouseCapture());
  EXPECT_EQ(hub.GetCurCmd(), nullptr) << "a drag's end ends the command";
}

TEST_F(ViewCommandsTest, RotateKeysTurnAboutTheAxes) {
  vurode.SetView3D();
  const double eye[3] = {0, -100, 0}, ref[3] = {0, 0, 0}, up[3] = {0, 0, 1};
  dc.GetCamera().set_view(eye, ref, up);
  ASSERT_EQ(hub.RunAppCmd(33128u, 0), 1);
  const struct {
    UINT ch;
    BOOL shift;
    double angle;  // about z, seen from above: the eye's turn from -y
  } cases[] = {{'z', FALSE, 0.1}, {'Z', FALSE, 0.2}, {'z', TRUE, 0.1}, {'q', FALSE, 0.1}};
  for (const auto& k : cases) {
    view.SetShiftDown(k.shift);
    EXPECT_EQ(hub.OnChar(k.ch, 1, 0), 1);
    double e[3];
    dc.GetCamera().GetEye(e);
    EXPECT_NEAR(std::atan2(e[0], -e[1]), k.angle, 1e-9) << char(k.ch);
  }
}

}  // namespace
