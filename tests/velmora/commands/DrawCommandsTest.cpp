// The drawing commands driven by clicks and keys through the hub: the curves they add, one
// undoable action each, rubber bands that leave nothing behind, and Esc adding nothing.
#include "CommandHubFixture.h"

#include "geometry/shapes2d/GeArc.h"
#include "geometry/shapes2d/GeCircle.h"
#include "geometry/shapes2d/GeLine.h"
#include "geometry/shapes2d/GePolyline.h"
#include "velmora/commandlib/DrawCmds.h"
#include "velmora/ordvale/Command.h"

#include <cmath>
#include <functional>
#include <numbers>
#include <string>

namespace {

using Pts = std::vector<std::array<double, 2>>;

CGeCurve* CurveOf(CDbEntity* e) {
  auto* c = dynamic_cast<CDbCurve*>(e);
  return c ? c->GetCurve() : nullptr;
}

Pts Vertices(CGeCurve* c) {
  auto* pl = dynamic_cast<CGePolyline*>(c);
  Pts v;
  if (!pl) return v;
  for (int i = 0; i < pl->GetCount(); ++i) {
    double p[2];
    pl->GetPoint(i, p);
    v.push_back({p[0], p[1]});
  }
  return v;
}

struct DrawCase {
  const char* name;
  UINT id;
  Pts clicks;
  // How the curve is finished after the clicks: 0 nothing more, VK_RETURN Enter, 1 right click.
  int finish;
  std::function<void(CGeCurve*)> check;
};

}  // namespace

class DrawCommandsTest : public CommandHubTest {};

TEST_F(DrawCommandsTest, EachCommandAddsItsCurveAsOneUndoableAction) {
  const double pi = std::numbers::pi;
  const DrawCase cases[] = {
      {"line", 32774, {{1, 2}, {11, -3}}, 0,
       [](CGeCurve* c) {
         auto* l = dynamic_cast<CGeLine*>(c);
         ASSERT_NE(l, nullptr);
         EXPECT_EQ(l->m_ptStart[0], 1);
         EXPECT_EQ(l->m_ptStart[1], 2);
         EXPECT_EQ(l->m_ptEnd[0], 11);
         EXPECT_EQ(l->m_ptEnd[1], -3);
       }},
      {"polyline ended by Enter", 32903, {{0, 0}, {30, 0}, {30, 40}}, VK_RETURN,
       [](CGeCurve* c) {
         EXPECT_EQ(Vertices(c), (Pts{{0, 0}, {30, 0}, {30, 40}}));
         EXPECT_NEAR(c->EvTotalArcLength(), 70.0, 1e-9);
       }},
      {"polyline ended by a right click", 32903, {{-5, -5}, {5, -5}}, 1,
       [](CGeCurve* c) { EXPECT_EQ(Vertices(c), (Pts{{-5, -5}, {5, -5}})); }},
      {"rectangle", 32777, {{1, 2}, {4, 6}}, 0,
       [](CGeCurve* c) {
         EXPECT_EQ(Vertices(c), (Pts{{1, 2}, {4, 2}, {4, 6}, {1, 6}, {1, 2}}));
         EXPECT_TRUE(c->IsClosed(1e-9));
         EXPECT_NEAR(std::fabs(c->EvArea()), 12.0, 1e-9);
       }},
      {"arc through three points", 32786, {{10, 0}, {0, 10}, {-10, 0}}, 0,
       [pi](CGeCurve* c) {
         auto* a = dynamic_cast<CGeArc*>(c);
         ASSERT_NE(a, nullptr);
         EXPECT_NEAR(a->m_ptCenter[0], 0, 1e-9);
         EXPECT_NEAR(a->m_ptCenter[1], 0, 1e-9);
         EXPECT_NEAR(a->m_dRadius, 10, 1e-9);
         EXPECT_NEAR(a->m_dSweep, pi, 1e-9) << "counter-clockwise over the top";
         EXPECT_NEAR(a->EvTotalArcLength(), 10 * pi, 1e-6);
       }},
      {"arc the other way round", 32786, {{-10, 0}, {0, 10}, {10, 0}}, 0,
       [pi](CGeCurve* c) {
         auto* a = dynamic_cast<CGeArc*>(c);
         ASSERT_NE(a, nullptr);
         EXPECT_NEAR(a->m_dSweep, -pi, 1e-9);
       }},
      {"circle", 32775, {{2, 3}, {5, 7}}, 0,
       [pi](CGeCurve* c) {
         auto* k = dynamic_cast<CGeCircle*>(c);
         ASSERT_NE(k, nullptr);
         EXPECT_EQ(k->m_ptCenter[0], 2);
         EXPECT_EQ(k->m_ptCenter[1], 3);
         EXPECT_NEAR(k->m_dRadius, 5, 1e-12);
         EXPECT_NEAR(k->EvTotalArcLength(), 10 * pi, 1e-6);
       }},
  };
  for (const DrawCase& c : cases) {
    SCOPED_TRACE(c.name);
    kxClearAllManager();
    kxCreateAllManager();
    db.DeleteAllEntity();
    dc.ClearCalls();
    ASSERT_EQ(hub.RunAppCmd(c.id, 0), 1);
    for (size_t i = 0; i < c.clicks.size(); ++i) {
      Click(c.clicks[i][0], c.clicks[i][1]);
      if (i + 1 < c.clicks.size()) Move(c.clicks[i][0] + 0.5, c.clicks[i][1] + 7);  // the band follows
    }
    if (c.finish == VK_RETURN) hub.OnReturn();
    if (c.finish == 1) RightClick(0, 0);
    ASSERT_EQ(db.GetCount(), 1);
    c.check(CurveOf(Entities()[0]));
    EXPECT_EQ(gGetActManager()->GetCount(), 1);
    EXPECT_GT(XorDraws(), 0u) << "a rubber band was shown";
    EXPECT_EQ(XorDraws() % 2, 0u) << "and erased";
    // The command stays for the next curve until Esc.
    EXPECT_EQ(hub.GetCurCmd(), hub.GetCmd(c.id));
    Key(VK_ESCAPE);
    EXPECT_EQ(hub.GetCurCmd(), nullptr);

    ASSERT_TRUE(gGetActManager()->Undo());
    EXPECT_EQ(db.GetCount(), 0);
    ASSERT_TRUE(gGetActManager()->Redo());
    ASSERT_EQ(db.GetCount(), 1);
    c.check(CurveOf(Entities()[0]));
  }
}

// Esc or a right click half way adds nothing and leaves no band on the screen.
TEST_F(DrawCommandsTest, CancelHalfWayAddsNothing) {
  struct Case {
    UINT id;
    Pts clicks;
    bool rightClick;
  } cases[] = {{32774, {{0, 0}}, false},          {32903, {{0, 0}, {5, 5}, {9, 1}}, false},
               {32777, {{0, 0}}, true},           {32786, {{0, 0}, {5, 5}}, false},
               {32786, {{0, 0}, {5, 5}}, true},   {32775, {{3, 3}}, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.id));
    dc.ClearCalls();
    ASSERT_EQ(hub.RunAppCmd(c.id, 0), 1);
    for (const auto& p : c.clicks) Click(p[0], p[1]);
    Move(20, 30);
    if (c.rightClick) {
      // The first right click drops the pending points; the second, with nothing pending, ends.
      RightClick(20, 30);
      EXPECT_EQ(hub.GetCurCmd(), hub.GetCmd(c.id));
      RightClick(20, 30);
    } else {
      Key(VK_ESCAPE);
    }
    EXPECT_EQ(hub.GetCurCmd(), nullptr);
    EXPECT_EQ(db.GetCount(), 0);
    EXPECT_EQ(gGetActManager()->GetCount(), 0);
    EXPECT_EQ(XorDraws() % 2, 0u);
  }
}

// Clicks that give no curve are refused and the command waits for a better one.
TEST_F(DrawCommandsTest, DegenerateClicksAreRefused) {
  ASSERT_EQ(hub.RunAppCmd(32786u, 0), 1);
  Click(0, 0);
  Click(5, 5);
  Click(10, 10);  // collinear: no arc
  EXPECT_EQ(db.GetCount(), 0);
  Click(10, 0);
  ASSERT_EQ(db.GetCount(), 1);
  Key(VK_ESCAPE);

  ASSERT_EQ(hub.RunAppCmd(32777u, 0), 1);
  Click(0, 0);
  Click(7, 0);  // no height
  EXPECT_EQ(db.GetCount(), 1);
  Click(7, 3);
  EXPECT_EQ(db.GetCount(), 2);
  Key(VK_ESCAPE);

  // Points that are not finite are never taken.
  ASSERT_EQ(hub.RunAppCmd(32775u, 0), 1);
  Click(0, 0);
  Position bad = At(1, 1);
  bad.x = std::nan("");
  hub.OnMouseMove(0, bad);
  hub.OnLButtonDown(0, bad);
  bad.x = 1;
  bad.y = INFINITY;
  hub.OnLButtonDown(0, bad);
  EXPECT_EQ(db.GetCount(), 2);
  EXPECT_EQ(static_cast<CPointsDrawCmd*>(hub.GetCurCmd())->Pending().size(), 1u);
  Key(VK_ESCAPE);

  ASSERT_EQ(hub.RunAppCmd(32903u, 0), 1);
  Click(1, 1);
  hub.OnReturn();  // one point is no polyline
  EXPECT_EQ(db.GetCount(), 2);
  EXPECT_EQ(hub.GetCurCmd(), hub.GetCmd(32903u));
  Key(VK_ESCAPE);
}

// A pan in the middle of a line keeps the line's first point; the band comes back on the next
// move.
TEST_F(DrawCommandsTest, ViewCommandOnTopKeepsTheCurveUnderWay) {
  ASSERT_EQ(hub.RunAppCmd(32774u, 0), 1);
  Click(0, 0);
  Move(3, 3);
  ASSERT_EQ(hub.RunAppCmd(32805u, 0), 1);  // pan sleeps the line
  EXPECT_EQ(XorDraws() % 2, 0u) << "the band went before the view moved";
  hub.CancelCurCmd();
  EXPECT_EQ(hub.GetCurCmd(), hub.GetCmd(32774u));
  Click(4, 0);
  ASSERT_EQ(db.GetCount(), 1);
  auto* l = dynamic_cast<CGeLine*>(CurveOf(Entities()[0]));
  ASSERT_NE(l, nullptr);
  EXPECT_EQ(l->m_ptStart[0], 0);
  EXPECT_EQ(l->m_ptEnd[0], 4);
}

// Where the view opens a context per use, every one a band opens is closed again.
TEST_F(DrawCommandsTest, BandContextsOpenedPerUseAreClosed) {
  int opened = 0, closed = 0;
  hub.SetViewDCSource(
      [&]() -> CDC* {
        ++opened;
        return new CRecordingDC;
      },
      [&](CDC* d) {
        ++closed;
        delete d;
      });
  ASSERT_EQ(hub.RunAppCmd(32775u, 0), 1);
  Click(0, 0);
  for (int i = 1; i < 5; ++i) Move(i, i);
  Click(3, 4);
  Key(VK_ESCAPE);
  EXPECT_EQ(db.GetCount(), 1);
  EXPECT_GE(opened, 8) << "shown and erased at each move";
  EXPECT_EQ(opened, closed);
  EXPECT_EQ(hub.GetCmd(32775u)->GetDCDepth(), 0);
  hub.SetViewDCSource(nullptr, nullptr);
}

// A view drawn through OpenGL gives no device context: each change of the band asks for a
// repaint without erasing, in which the band is drawn with the scene.
TEST_F(DrawCommandsTest, WithoutAContextTheBandRepaints) {
  hub.SetViewDC(nullptr);
  ASSERT_EQ(hub.RunAppCmd(32774u, 0), 1);
  Click(0, 0);
  view.Painted();
  ASSERT_FALSE(view.IsRedrawPending());
  Move(5, 5);
  EXPECT_TRUE(view.IsRedrawPending());
  EXPECT_FALSE(view.IsEraseRequested());
  Key(VK_ESCAPE);
  EXPECT_EQ(db.GetCount(), 0);
}
