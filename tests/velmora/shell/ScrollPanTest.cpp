// Scroll-bar panning in the drawing view: each bar request against the view box's steps.
#include "ShellFixture.h"

#include "platform/win/Window.h"

#include <tuple>

namespace {
struct ScrollCase {
  UINT message;
  UINT code;
  int thumb;
  int start;     // bar position before the request (range 0..100)
  int expected;  // bar position after
  double ox, oy; // origin move, world units
};
}  // namespace

TEST_F(ShellTest, ScrollBarRequestsPanTheViewByTheViewBoxSteps) {
  Start();
  ASSERT_TRUE(started);
  CVurode* vs = gGetVurode();
  // 400 x 200 pixels at 10 pixels a unit: a 40 x 20 box, so line 5 and page 10 units.
  vs->SetViewRect(CRect(0, 0, 400, 200));
  vs->SetScale(10.0);
  _tagBox2D box;
  vs->GetViewBox(box);
  ASSERT_NEAR(box.max[0] - box.min[0], 40.0, 1e-9);
  ASSERT_NEAR(box.max[1] - box.min[1], 20.0, 1e-9);
  // The origin moves against the view's shift; the vertical bar flips the sign except for
  // top and bottom.
  const ScrollCase cases[] = {
      {WM_HSCROLL, SB_LINELEFT, 0, 50, 45, -5, 0},    {WM_HSCROLL, SB_LINERIGHT, 0, 50, 55, 5, 0},
      {WM_HSCROLL, SB_PAGELEFT, 0, 50, 40, -10, 0},   {WM_HSCROLL, SB_PAGERIGHT, 0, 50, 60, 10, 0},
      {WM_HSCROLL, SB_THUMBPOSITION, 70, 50, 70, 20, 0}, {WM_HSCROLL, SB_LEFT, 0, 50, 0, -50, 0},
      {WM_HSCROLL, SB_RIGHT, 0, 50, 100, 50, 0},      {WM_HSCROLL, SB_THUMBTRACK, 70, 50, 50, 0, 0},
      {WM_HSCROLL, SB_LINELEFT, 0, 0, 0, 0, 0},       {WM_HSCROLL, SB_LINERIGHT, 0, 100, 100, 0, 0},
      {WM_HSCROLL, SB_PAGELEFT, 0, 3, 0, -10, 0},     {WM_VSCROLL, SB_LINEUP, 0, 50, 45, 0, 5},
      {WM_VSCROLL, SB_LINEDOWN, 0, 50, 55, 0, -5},    {WM_VSCROLL, SB_PAGEUP, 0, 50, 40, 0, 10},
      {WM_VSCROLL, SB_PAGEDOWN, 0, 50, 60, 0, -10},   {WM_VSCROLL, SB_THUMBPOSITION, 20, 50, 20, 0, 30},
      {WM_VSCROLL, SB_TOP, 0, 50, 0, 0, -50},         {WM_VSCROLL, SB_BOTTOM, 0, 50, 100, 0, 50},
      {WM_VSCROLL, SB_ENDSCROLL, 0, 50, 50, 0, 0},
  };
  for (const ScrollCase& c : cases) {
    const int bar = c.message == WM_HSCROLL ? SB_HORZ : SB_VERT;
    SCROLLINFO si{sizeof(SCROLLINFO), SIF_RANGE | SIF_POS, 0, 100, 0, c.start, 0};
    view->SetScrollInfo(bar, &si, FALSE);
    vs->SetOrigin(100.0, 200.0);
    view->SendMessage(c.message, WPARAM(MAKELONG(c.code, c.thumb)), 0);
    double o[2];
    vs->GetOrigin(o);
    SCOPED_TRACE(testing::Message() << "message " << c.message << " code " << c.code << " from " << c.start);
    EXPECT_NEAR(o[0] - 100.0, c.ox, 1e-9);
    EXPECT_NEAR(o[1] - 200.0, c.oy, 1e-9);
    SCROLLINFO now{};
    ASSERT_TRUE(view->GetScrollInfo(bar, &now, SIF_POS));
    EXPECT_EQ(now.nPos, c.expected);
  }
}
