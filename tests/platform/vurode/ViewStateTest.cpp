#include "platform/afx/RecordingDC.h"
#include "platform/vurode/Vurode.h"
#include "support/VurodeFixture.h"

#include <array>
#include <cmath>
#include <random>
#include <vector>

namespace {

class ViewStateTest : public VurodeTest {};

struct ViewCase {
  double scale;
  double ox, oy;
  CRect rect;
};

const ViewCase kViews[] = {
    {1.0, 0.0, 0.0, CRect(0, 0, 800, 600)},
    {0.01, 1234.5, -87.25, CRect(0, 0, 800, 600)},
    {12.5, -3.0, 4.0, CRect(13, 7, 333, 251)},
    {1000.0, 1e5, -3e4, CRect(0, 0, 64, 48)},
    {0.37, -250.0, 999.0, CRect(100, 50, 741, 529)},
};

CVurode MakeView(const ViewCase& c) {
  CVurode v;
  v.SetViewRect(c.rect);
  EXPECT_TRUE(v.SetScale(c.scale));
  v.SetOrigin(c.ox, c.oy);
  return v;
}

TEST_F(ViewStateTest, WorldScreenWorldRoundTrips) {
  for (const auto& c : kViews) {
    SCOPED_TRACE(testing::Message() << "scale " << c.scale << " origin " << c.ox << "," << c.oy);
    const CVurode v = MakeView(c);
    _tagBox2D box;
    v.GetViewBox(box);
    // Half a pixel is what rounding to whole pixels may lose.
    const double slack = 0.5 / c.scale * (1 + 1e-9);
    for (int i = 0; i <= 10; ++i) {
      for (int j = 0; j <= 10; ++j) {
        const double w[2] = {box.min[0] + (box.max[0] - box.min[0]) * i / 10.0,
                             box.min[1] + (box.max[1] - box.min[1]) * j / 10.0};
        const CPoint s = v.WorldtoScreen(w);
        Position back;
        v.ScreentoWorld(s.x, s.y, back);
        EXPECT_NEAR(back.x, w[0], slack);
        EXPECT_NEAR(back.y, w[1], slack);
        EXPECT_EQ(back.sx, s.x);
        int sx = 0, sy = 0;
        v.WorldtoScreen3D(w[0], w[1], 42.0, sx, sy);  // the 2D view ignores depth
        EXPECT_EQ(sx, s.x);
        EXPECT_EQ(sy, s.y);
      }
    }
    // Pixels come back exactly.
    for (int x = c.rect.left; x < c.rect.right; x += 7) {
      for (int y = c.rect.top; y < c.rect.bottom; y += 11) {
        double w[2];
        v.ScreentoWorld2D(x, y, w);
        EXPECT_EQ(v.WorldtoScreen(w), CPoint(x, y));
      }
    }
  }
}

TEST_F(ViewStateTest, MappingIsAnchoredAtTheCentreWithYUp) {
  for (const auto& c : kViews) {
    const CVurode v = MakeView(c);
    const CPoint centre(static_cast<int>(std::floor((c.rect.left + c.rect.right) / 2.0 + 0.5)),
                        static_cast<int>(std::floor((c.rect.top + c.rect.bottom) / 2.0 + 0.5)));
    EXPECT_EQ(v.WorldtoScreen(c.ox, c.oy), centre);
    const CPoint right = v.WorldtoScreen(c.ox + 100 / c.scale, c.oy);
    const CPoint up = v.WorldtoScreen(c.ox, c.oy + 100 / c.scale);
    EXPECT_EQ(right.x - v.WorldtoScreen(c.ox, c.oy).x, 100);
    EXPECT_EQ(up.y - v.WorldtoScreen(c.ox, c.oy).y, -100) << "world y grows upwards";
    _tagBox2D box;
    v.GetViewBox(box);
    EXPECT_NEAR((box.max[0] - box.min[0]) * c.scale, c.rect.Width(), 1e-6);
    EXPECT_NEAR((box.max[1] - box.min[1]) * c.scale, c.rect.Height(), 1e-6);
    EXPECT_DOUBLE_EQ(v.WorldtoScreen(2.5), 2.5 * c.scale);
    EXPECT_NEAR(v.ScreentoWorld(v.WorldtoScreen(2.5)), 2.5, 1e-12);
  }
}

TEST_F(ViewStateTest, PointInViewHonoursThePixelTolerance) {
  CVurode v;
  v.SetViewRect(CRect(0, 0, 100, 100));
  v.SetOrigin(50, 50);  // world x = screen x, world y = 100 - screen y
  const struct {
    double x, y;
    int tol;
    BOOL in;
  } cases[] = {{50, 50, 0, TRUE}, {0, 0, 0, TRUE},     {101, 50, 0, FALSE},
               {101, 50, 2, TRUE}, {50, 103, 2, FALSE}, {-2, -2, 2, TRUE}};
  for (const auto& c : cases) {
    const double q[2] = {c.x, c.y};
    EXPECT_EQ(v.IsPtInView(q, c.tol), c.in) << c.x << "," << c.y << " tol " << c.tol;
  }
  EXPECT_FALSE(v.SetScale(0.0));
  EXPECT_FALSE(v.SetScale(std::nan("")));
  EXPECT_EQ(v.GetScale(), 1.0);
}

std::vector<std::vector<CPoint>> Runs(const CRecordingDC& dc) {
  std::vector<std::vector<CPoint>> runs;
  for (const auto& call : dc.GetCalls()) {
    EXPECT_EQ(call.kind, CRecordingDC::Kind::Polyline);
    runs.push_back(call.points);
  }
  return runs;
}

class ClipTest : public ViewStateTest {
 protected:
  void SetUp() override {
    ViewStateTest::SetUp();
    view.SetViewRect(CRect(0, 0, 100, 100));
    view.SetOrigin(50, 50);  // world x = screen x, world y = 100 - screen y
  }
  CVurode view;
};

TEST_F(ClipTest, PolylineThatLeavesAndReentersDrawsEachVisibleRun) {
  const double pts[][2] = {
      {10, 50},   {150, 50},  // out through the right edge
      {150, 80},  {60, 80},   // back in, then out through the top
      {60, 150},  {-50, 150}, {-50, 20},
      {40, 20},               // in through the left edge
      {130, -20},             // out through the bottom
      {80, -20},  {120, 40},  // both ends outside, cuts the bottom-right corner
  };
  CRecordingDC dc;
  view.ClipDrawPolyLine(pts, static_cast<int>(std::size(pts)), &dc);
  const std::vector<std::vector<CPoint>> want = {
      {{10, 50}, {99, 50}},
      {{99, 20}, {60, 20}, {60, 0}},
      {{0, 80}, {40, 80}, {83, 99}},
      {{94, 99}, {99, 92}},
  };
  EXPECT_EQ(Runs(dc), want);
}

TEST_F(ClipTest, OutsideSegmentsDrawNothingAndInsideOnesDrawWhole) {
  CRecordingDC dc;
  const double around[][2] = {{-10, -10}, {110, -10}, {110, 110}, {-10, 110}, {-10, -10}};
  view.ClipDrawPolyLine(around, 5, &dc);
  const double a[2] = {120, 120}, b[2] = {200, -40};  // box overlaps the view, line does not
  view.ClipDrawLine(a, b, &dc);
  EXPECT_TRUE(dc.GetCalls().empty());

  const double inside[][2] = {{10, 10}, {20, 30}, {90, 90}};
  view.ClipDrawPolyLine(inside, 3, &dc);
  view.DrawPolyline(inside, 3, &dc);
  ASSERT_EQ(dc.GetCalls().size(), 2u);
  EXPECT_EQ(dc.GetCalls()[0].points, dc.GetCalls()[1].points);

  dc.ClearCalls();
  view.ClipDrawLine(inside[0], inside[2], &dc);
  view.DrawLine(inside[0], inside[2], &dc);
  view.ClipDrawPolyLine(inside, 1, &dc);   // one point: nothing
  view.ClipDrawPolyLine(inside, 3, nullptr);
  ASSERT_EQ(dc.GetCalls().size(), 3u);
  EXPECT_EQ(dc.GetCalls()[0].points, (std::vector<CPoint>{{10, 90}, {90, 10}}));
  EXPECT_EQ(dc.Count(CRecordingDC::Kind::LineTo), 1u);
}

// Distance from p to segment a-b.
double SegDist(double px, double py, CPoint a, CPoint b) {
  const double dx = b.x - a.x, dy = b.y - a.y, len2 = dx * dx + dy * dy;
  double t = len2 > 0 ? ((px - a.x) * dx + (py - a.y) * dy) / len2 : 0;
  t = std::clamp(t, 0.0, 1.0);
  return std::hypot(px - (a.x + t * dx), py - (a.y + t * dy));
}

TEST_F(ClipTest, RandomPolylinesAgreeWithDenseSampling) {
  std::mt19937 rng(7);
  std::uniform_real_distribution<double> coord(-80, 180);
  for (int trial = 0; trial < 40; ++trial) {
    std::vector<std::array<double, 2>> pts(12);
    for (auto& p : pts) p = {coord(rng), coord(rng)};
    CRecordingDC dc;
    view.ClipDrawPolyLine(reinterpret_cast<const double(*)[2]>(pts.data()),
                          static_cast<int>(pts.size()), &dc);
    const auto runs = Runs(dc);
    for (const auto& run : runs) {
      ASSERT_GE(run.size(), 2u);
      for (const CPoint& p : run) EXPECT_TRUE(view.GetViewRect().PtInRect(p)) << p.x << "," << p.y;
    }
    // Every sample well inside the view is drawn; every sample well outside is not.
    for (size_t i = 0; i + 1 < pts.size(); ++i) {
      for (int k = 0; k <= 200; ++k) {
        const double t = k / 200.0;
        const double sx = pts[i][0] + t * (pts[i + 1][0] - pts[i][0]);
        const double sy = 100 - (pts[i][1] + t * (pts[i + 1][1] - pts[i][1]));
        double best = 1e9;
        for (const auto& run : runs)
          for (size_t j = 0; j + 1 < run.size(); ++j) best = std::min(best, SegDist(sx, sy, run[j], run[j + 1]));
        const bool wellInside = sx > 2 && sx < 97 && sy > 2 && sy < 97;
        const bool wellOutside = sx < -2 || sx > 101 || sy < -2 || sy > 101;
        if (wellInside) {
          EXPECT_LT(best, 1.0) << "trial " << trial << " missing " << sx << "," << sy;
        }
        if (wellOutside) {
          EXPECT_GT(best, 1.0) << "trial " << trial << " drew " << sx << "," << sy;
        }
      }
    }
  }
}

TEST_F(ViewStateTest, ThreeDViewProjectsThroughTheCamera) {
  COpenGLDC gldc;
  GCamera& cam = gldc.GetCamera();
  const double eye[3] = {100, 0, 0}, ref[3] = {0, 0, 0}, up[3] = {0, 0, 1};
  cam.set_view(eye, ref, up);
  cam.set_screen(200, 100);
  cam.set_view_rect(20, 10);  // 10 pixels per world unit
  gSetOpenGLDC(&gldc);
  CVurode v;
  v.SetViewRect(CRect(5, 5, 205, 105));
  v.SetView3D();
  EXPECT_TRUE(v.IsView3D());

  int sx, sy;
  v.WorldtoScreen3D(0, 0, 0, sx, sy);
  EXPECT_EQ(CPoint(sx, sy), CPoint(105, 55));
  v.WorldtoScreen3D(-40, 0, 0, sx, sy);  // along the sight: same pixel
  EXPECT_EQ(CPoint(sx, sy), CPoint(105, 55));
  v.WorldtoScreen3D(0, 2, 3, sx, sy);    // +y to the right, +z up
  EXPECT_EQ(CPoint(sx, sy), CPoint(125, 25));
  EXPECT_DOUBLE_EQ(v.WorldtoScreen(1.5), 15.0);

  Position p;
  v.ScreentoWorld(125, 25, p);
  EXPECT_NEAR(p.x, 0, 1e-12);
  EXPECT_NEAR(p.y, 2, 1e-12);
  EXPECT_NEAR(p.z, 3, 1e-12);
  const double w[3] = {p.x, p.y, p.z};
  EXPECT_EQ(v.WorldtoScreen3D(w), CPoint(125, 25));

  // Without a drawing context the 2D mapping stands in.
  gSetOpenGLDC(nullptr);
  v.SetOrigin(0, 0);
  v.WorldtoScreen3D(0, 0, 9, sx, sy);
  EXPECT_EQ(CPoint(sx, sy), v.GetViewRect().CenterPoint());
}

}  // namespace
