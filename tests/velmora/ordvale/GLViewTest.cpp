// The OpenGL view base: zoom, fit, zoom to a rectangle, pan, turn and standard views, checked
// against where world points land on the screen before and after.
#include "platform/vurode/Vurode.h"
#include "support/VurodeFixture.h"
#include "velmora/ordvale/GLView.h"

#include <cmath>
#include <numbers>

namespace {

class TestView : public CGLView {
 public:
  void DrawGL(COpenGLDC*, int mode) override { drawn.push_back(mode); }
  BOOL GetSceneBox(_tagBox3D& box) override { return Give(scene, box); }
  BOOL GetSelectionBox(_tagBox3D& box) override { return Give(selection, box); }
  using CGLView::OnEraseBkgnd;

  std::vector<int> drawn;
  bool hasScene = false, hasSelection = false;
  _tagBox3D scene{}, selection{};

 private:
  BOOL Give(const _tagBox3D& from, _tagBox3D& to) {
    const bool has = &from == &scene ? hasScene : hasSelection;
    if (has) to = from;
    return has;
  }
};

class GLViewTest : public VurodeTest {
 protected:
  void SetUp() override {
    VurodeTest::SetUp();
    gSetOpenGLDC(&dc);
    // Looking down at the plan from above: 200 x 100 pixels show 100 x 50 world units around
    // (10, 20, 0), x to the right and y up.
    const double eye[3] = {10, 20, 500}, ref[3] = {10, 20, 0}, up[3] = {0, 1, 0};
    cam().set_screen(200, 100);
    cam().set_view(eye, ref, up);
    cam().set_view_rect(100, 50);
  }
  GCamera& cam() { return dc.GetCamera(); }
  void Screen(double x, double y, double z, double& sx, double& sy) {
    const double p[3] = {x, y, z};
    ASSERT_TRUE(cam().world_to_screen(p, sx, sy));
  }
  double Width() {
    double w, h;
    cam().GetViewSize(w, h);
    return w;
  }

  COpenGLDC dc;
  TestView view;
};

TEST_F(GLViewTest, ZoomScalesAboutTheCentre) {
  struct Case {
    double factor;
    BOOL ok;
    double width;
  } cases[] = {{2.0, TRUE, 50}, {0.5, TRUE, 100}, {1.2, TRUE, 100 / 1.2}, {0.0, FALSE, 100 / 1.2},
               {-1.0, FALSE, 100 / 1.2}, {NAN, FALSE, 100 / 1.2}, {INFINITY, FALSE, 100 / 1.2}};
  for (const auto& c : cases) {
    EXPECT_EQ(view.Zoom(c.factor), c.ok) << c.factor;
    EXPECT_NEAR(Width(), c.width, 1e-12) << c.factor;
  }
  // A point 10 units right of the centre shows 1.2 times as far from the screen centre.
  double sx, sy;
  Screen(20, 20, 0, sx, sy);
  EXPECT_NEAR(sx - 100, 10 * 2 * 1.2, 1e-9);
  EXPECT_NEAR(sy, 50, 1e-9);

  view.SetZoomEnable(FALSE);
  EXPECT_FALSE(view.Zoom(2.0));
  EXPECT_NEAR(Width(), 100 / 1.2, 1e-12);
}

TEST_F(GLViewTest, MoveViewShiftsThePictureByPixels) {
  const struct {
    double dx, dy;
  } moves[] = {{30, 0}, {0, 15}, {-7.5, 4}, {0, 0}};
  for (const auto& m : moves) {
    double x0, y0, x1, y1;
    Screen(3, -4, 0, x0, y0);
    ASSERT_TRUE(view.MoveView(m.dx, m.dy));
    Screen(3, -4, 0, x1, y1);
    EXPECT_NEAR(x1 - x0, m.dx, 1e-9) << "right is positive";
    EXPECT_NEAR(y1 - y0, -m.dy, 1e-9) << "up is positive, client y runs down";
  }
  EXPECT_NEAR(Width(), 100, 1e-12) << "panning keeps the zoom";
  EXPECT_FALSE(view.MoveView(NAN, 0));
}

TEST_F(GLViewTest, ZoomRectShowsTheRectangleAcrossTheView) {
  // A rectangle of the view's own shape lands exactly on the view's corners.
  const CPoint a(40, 20), b(140, 70);
  double wa[3], wb[3];
  ASSERT_TRUE(cam().screen_to_world(a.x, a.y, wa));
  ASSERT_TRUE(cam().screen_to_world(b.x, b.y, wb));
  ASSERT_TRUE(view.ZoomRect(b, a, 0)) << "corners in any order";
  double sx, sy;
  Screen(wa[0], wa[1], wa[2], sx, sy);
  EXPECT_NEAR(sx, 0, 1e-9);
  EXPECT_NEAR(sy, 0, 1e-9);
  Screen(wb[0], wb[1], wb[2], sx, sy);
  EXPECT_NEAR(sx, 200, 1e-9);
  EXPECT_NEAR(sy, 100, 1e-9);
  EXPECT_FALSE(view.IsRedrawPending()) << "redraw flag 0 repaints nothing";

  // A tall thin rectangle: its height fills the view, its centre comes to the centre.
  const CPoint c(100, 0), d(110, 100);
  double wc[3];
  ASSERT_TRUE(cam().screen_to_world(105, 50, wc));
  const double before = Width();
  ASSERT_TRUE(view.ZoomRect(c, d, 1));
  EXPECT_NEAR(Width(), before, 1e-9) << "already as tall as the view";
  Screen(wc[0], wc[1], wc[2], sx, sy);
  EXPECT_NEAR(sx, 100, 1e-9);
  EXPECT_NEAR(sy, 50, 1e-9);
  EXPECT_TRUE(view.IsRedrawPending());
  EXPECT_FALSE(view.ZoomRect(CPoint(5, 5), CPoint(5, 5), 0)) << "an empty rectangle";
}

TEST_F(GLViewTest, FitsBoxesWithTheMargin) {
  // Seen from above, the box [0, 10] x [0, 4] x [0, 1] is 10 x 4; on a 2:1 view its width
  // decides: the view becomes 11 wide around (5, 2).
  view.hasScene = true;
  view.scene = {{0, 0, 0}, {10, 4, 1}};
  ASSERT_TRUE(view.ZoomAll(0));
  EXPECT_NEAR(Width(), 10 * CGLView::kFitMargin, 1e-9);
  double sx, sy;
  Screen(5, 2, 0.5, sx, sy);
  EXPECT_NEAR(sx, 100, 1e-9);
  EXPECT_NEAR(sy, 50, 1e-9);
  Screen(10, 4, 0, sx, sy);
  EXPECT_NEAR(sx, 100 + 100 / CGLView::kFitMargin, 1e-9);

  // A box of 2 x 10 on the same view: its height decides (10 high needs 20 wide).
  view.hasSelection = true;
  view.selection = {{-1, -5, 0}, {1, 5, 0}};
  ASSERT_TRUE(view.ZoomSelect(1));
  EXPECT_NEAR(Width(), 20 * CGLView::kFitMargin, 1e-9);
  EXPECT_TRUE(view.IsRedrawPending());

  // Nothing to fit: no page box in the base, an empty box, a point only centres.
  EXPECT_FALSE(view.ZoomPage(1));
  view.scene = {{1, 1, 1}, {0, 0, 0}};
  EXPECT_FALSE(view.ZoomAll(0));
  view.scene = {{NAN, 0, 0}, {1, 1, 1}};
  EXPECT_FALSE(view.ZoomAll(0));
  const double w = Width();
  view.scene = {{7, 8, 0}, {7, 8, 0}};
  ASSERT_TRUE(view.ZoomAll(0));
  EXPECT_NEAR(Width(), w, 1e-12);
  Screen(7, 8, 0, sx, sy);
  EXPECT_NEAR(sx, 100, 1e-9);
}

TEST_F(GLViewTest, RotViewTurnsAboutTheCentreByTheDrag) {
  const double centre[3] = {10, 20, 0};
  double cx0, cy0, d0[3], e0[3];
  Screen(centre[0], centre[1], centre[2], cx0, cy0);
  cam().get_viewdirection(d0);
  cam().GetEye(e0);
  // A drag a quarter of the view width to the right: an eighth of a turn about screen up (y).
  const double prev[3] = {0, 20, 0}, cur[3] = {25, 20, 0};
  ASSERT_TRUE(view.RotView(prev, cur, centre));
  double d1[3], e1[3], cx1, cy1;
  cam().get_viewdirection(d1);
  cam().GetEye(e1);
  EXPECT_NEAR(d0[0] * d1[0] + d0[1] * d1[1] + d0[2] * d1[2], std::cos(std::numbers::pi / 4), 1e-9);
  EXPECT_NEAR(d1[1], 0, 1e-12) << "turned about y only";
  // The scene's front turns to the right, so the eye moves to the left (negative x).
  EXPECT_LT(e1[0], centre[0]);
  EXPECT_NEAR(std::hypot(e1[0] - centre[0], e1[1] - centre[1], e1[2] - centre[2]),
              std::hypot(e0[0] - centre[0], e0[1] - centre[1], e0[2] - centre[2]), 1e-9);
  Screen(centre[0], centre[1], centre[2], cx1, cy1);
  EXPECT_NEAR(cx1, cx0, 1e-9);
  EXPECT_NEAR(cy1, cy0, 1e-9);

  EXPECT_FALSE(view.RotView(prev, prev, centre)) << "no drag, no turn";
  const double bad[3] = {NAN, 0, 0};
  EXPECT_FALSE(view.RotView(prev, bad, centre));
}

TEST_F(GLViewTest, StandardViewsLookAlongTheAxes) {
  const double s = 1 / std::sqrt(3.0);
  const struct {
    int type;
    double dir[3];  // from the eye to the reference point
    double up[3];
  } cases[] = {{CGLView::kFront, {0, 1, 0}, {0, 0, 1}},  {CGLView::kBack, {0, -1, 0}, {0, 0, 1}},
               {CGLView::kTop, {0, 0, -1}, {0, 1, 0}},   {CGLView::kBottom, {0, 0, 1}, {0, 1, 0}},
               {CGLView::kRight, {-1, 0, 0}, {0, 0, 1}}, {CGLView::kLeft, {1, 0, 0}, {0, 0, 1}},
               {CGLView::kIso, {-s, s, -s}, {0, 0, 1}}};
  for (const auto& c : cases) {
    ASSERT_TRUE(view.OnViewType(c.type)) << c.type;
    double d[3], ax[3], ay[3], az[3], ref[3], eye[3];
    cam().get_viewdirection(d);
    cam().GetViewAxis(ax, ay, az);
    cam().GetRefPoint(ref);
    cam().GetEye(eye);
    for (int i = 0; i < 3; ++i) EXPECT_NEAR(d[i], c.dir[i], 1e-12) << c.type << " dir " << i;
    // The up direction shows upwards on the screen (its screen component is positive and it
    // has no sideways part).
    EXPECT_GT(ay[0] * c.up[0] + ay[1] * c.up[1] + ay[2] * c.up[2], 0) << c.type;
    EXPECT_NEAR(ax[0] * c.up[0] + ax[1] * c.up[1] + ax[2] * c.up[2], 0, 1e-12) << c.type;
    EXPECT_NEAR(ref[0], 10, 1e-12);
    EXPECT_NEAR(ref[1], 20, 1e-12);
    EXPECT_NEAR(std::hypot(eye[0] - 10, eye[1] - 20, eye[2]), 500, 1e-9) << "same distance";
  }
  for (int bad : {0, 8, -1}) EXPECT_FALSE(view.OnViewType(bad));
}

TEST_F(GLViewTest, NothingChangesWithoutADrawingContext) {
  gSetOpenGLDC(nullptr);
  const double p[3] = {0, 0, 0}, q[3] = {1, 0, 0};
  view.hasScene = true;
  view.scene = {{0, 0, 0}, {1, 1, 1}};
  EXPECT_FALSE(view.Zoom(2));
  EXPECT_FALSE(view.MoveView(1, 1));
  EXPECT_FALSE(view.ZoomRect(CPoint(0, 0), CPoint(5, 5), 1));
  EXPECT_FALSE(view.ZoomAll(1));
  EXPECT_FALSE(view.RotView(p, q, p));
  EXPECT_FALSE(view.OnViewType(CGLView::kTop));
  EXPECT_FALSE(view.IsRedrawPending());
  EXPECT_NEAR(Width(), 100, 0);
}

// Creating the window gives the program a drawing context when it has none, sizing reaches the
// view state and the camera, destroying takes the context away again.
TEST_F(GLViewTest, WindowLifeKeepsTheSharedStateInStep) {
  gSetOpenGLDC(nullptr);
  CVurode vurode;
  gSetVurode(&vurode);
  auto* v = new TestView;  // a view deletes itself with its window
  ASSERT_TRUE(v->Create(nullptr, L"view", 0, CRect(0, 0, 300, 150), nullptr, 1));
  COpenGLDC* made = gGetOpenGLDC();
  ASSERT_NE(made, nullptr);
  v->SendMessage(WM_SIZE, 0, static_cast<LPARAM>(MAKELONG(320, 240)));
  EXPECT_EQ(vurode.GetViewRect(), CRect(0, 0, 320, 240));
  int w, h;
  made->GetCamera().GetScreenSize(w, h);
  EXPECT_EQ(w, 320);
  EXPECT_EQ(h, 240);
  EXPECT_FALSE(v->OnEraseBkgnd(nullptr)) << "2D erases as usual";
  vurode.SetView3D();
  EXPECT_TRUE(v->OnEraseBkgnd(nullptr));
  v->DestroyWindow();
  EXPECT_EQ(gGetOpenGLDC(), nullptr);

  // A context the program installed stays the program's.
  gSetOpenGLDC(&dc);
  auto* v2 = new TestView;
  ASSERT_TRUE(v2->Create(nullptr, L"view", 0, CRect(0, 0, 10, 10), nullptr, 2));
  EXPECT_EQ(gGetOpenGLDC(), &dc);
  v2->DestroyWindow();
  EXPECT_EQ(gGetOpenGLDC(), &dc);
}

}  // namespace
