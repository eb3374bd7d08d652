// The drawing view resized: view rectangle, work-area scroll bars, the hub's size handler.
#include "ShellFixture.h"

#include "platform/vurode/OpenGLDC.h"
#include "platform/win/Messages.h"
#include "platform/win/Window.h"
#include "velmora/ordvale/Command.h"

namespace {
class SizeRecorder : public CCommand {
 public:
  SizeRecorder() : CCommand(0, L"SizeRecorder") { SetID(40110); }
  int HostType() const override { return 1; }
  int OnSize(UINT type, int cx, int cy) override {
    sizes.push_back({type, cx, cy});
    return 1;
  }
  struct Size {
    UINT type;
    int cx, cy;
  };
  std::vector<Size> sizes;
};

SCROLLINFO Bar(CWnd* w, int bar) {
  SCROLLINFO si{};
  si.cbSize = sizeof si;
  w->GetScrollInfo(bar, &si, SIF_RANGE | SIF_POS);
  return si;
}
}  // namespace

TEST_F(ShellTest, ResizingTheViewFitsScrollBarsToPageAndViewAndTellsTheHub) {
  Start();
  ASSERT_TRUE(started);
  auto* rec = new SizeRecorder;
  COrdvale* hub = gGetOrdvale();
  ASSERT_TRUE(hub->RegMainCmd(rec));
  hub->SetCurMainCmd(rec);
  CVurode* vs = gGetVurode();
  vs->SetView2D();
  vs->SetScale(10.0);
  struct Case {
    double ox, oy;            // view centre
    int hMin, hMax, hPos;     // horizontal bar
    int vMin, vMax, vPos;     // vertical bar (-y)
  };
  // The default page is 210 x 297; a centre off the page widens the range to reach it.
  const Case cases[] = {
      {100.0, 50.0, 0, 210, 100, -297, 0, -50},
      {-30.4, 400.6, -31, 210, -30, -401, 0, -401},
      {250.5, -20.0, 0, 251, 251, -297, 20, 20},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "centre " << c.ox << ", " << c.oy);
    vs->SetOrigin(c.ox, c.oy);
    view->MoveWindow(0, 0, 401, 201, FALSE);
    rec->sizes.clear();
    view->MoveWindow(0, 0, 400, 200, FALSE);  // a real resize: WM_SIZE with the new client size
    EXPECT_EQ(vs->GetViewRect(), CRect(0, 0, 400, 200));
    const SCROLLINFO h = Bar(view, SB_HORZ), v = Bar(view, SB_VERT);
    EXPECT_EQ(h.nMin, c.hMin);
    EXPECT_EQ(h.nMax, c.hMax);
    EXPECT_EQ(h.nPos, c.hPos);
    EXPECT_EQ(v.nMin, c.vMin);
    EXPECT_EQ(v.nMax, c.vMax);
    EXPECT_EQ(v.nPos, c.vPos);
    EXPECT_TRUE(IsScrollBarShown(view->GetSafeHwnd(), SB_HORZ) && IsScrollBarShown(view->GetSafeHwnd(), SB_VERT));
    ASSERT_EQ(rec->sizes.size(), 1u);
    EXPECT_EQ(rec->sizes[0].type, UINT(SIZE_RESTORED));
    EXPECT_EQ(rec->sizes[0].cx, 400);
    EXPECT_EQ(rec->sizes[0].cy, 200);
  }
  // A bar request after the resize pans from the position the work area set (line step: a
  // quarter of the 20-unit view height).
  view->SendMessage(WM_HSCROLL, MAKELONG(SB_LINERIGHT, 0), 0);
  EXPECT_EQ(Bar(view, SB_HORZ).nPos, 251);  // at the maximum: no move
  view->SendMessage(WM_HSCROLL, MAKELONG(SB_LINELEFT, 0), 0);
  EXPECT_EQ(Bar(view, SB_HORZ).nPos, 246);
}

TEST_F(ShellTest, ResizingWithoutADrawingOrIn3DLeavesTheScrollBarsAlone) {
  Start();
  ASSERT_TRUE(started);
  auto* rec = new SizeRecorder;
  COrdvale* hub = gGetOrdvale();
  ASSERT_TRUE(hub->RegMainCmd(rec));
  hub->SetCurMainCmd(rec);
  SCROLLINFO mark{sizeof(SCROLLINFO), SIF_RANGE | SIF_POS, 0, 7, 0, 3, 0};
  view->SetScrollInfo(SB_HORZ, &mark, FALSE);
  CVurode* vs = gGetVurode();

  // No drawing database: the view rectangle follows, nothing more.
  CDBase* db = gGetDBase();
  gSetDBase(nullptr);
  view->MoveWindow(0, 0, 320, 240, FALSE);
  gSetDBase(db);
  EXPECT_EQ(vs->GetViewRect(), CRect(0, 0, 320, 240));
  EXPECT_TRUE(rec->sizes.empty());
  EXPECT_EQ(Bar(view, SB_HORZ).nMax, 7);
  EXPECT_EQ(Bar(view, SB_HORZ).nPos, 3);

  // 3D: the view clears to white paper as the 2D view does, so black entities show.
  ASSERT_NE(gGetOpenGLDC(), nullptr);
  EXPECT_EQ(gGetOpenGLDC()->GetBkColor(), RGB(255, 255, 255));
  // 3D: the camera takes the new size, the bars stay, the hub hears of it.
  vs->SetView3D();
  view->MoveWindow(0, 0, 500, 250, FALSE);
  rec->sizes.clear();
  view->SendMessage(WM_SIZE, SIZE_MAXIMIZED, MAKELONG(500, 250));
  vs->SetView2D();
  EXPECT_EQ(Bar(view, SB_HORZ).nMax, 7);
  ASSERT_EQ(rec->sizes.size(), 1u);
  EXPECT_EQ(rec->sizes[0].type, UINT(SIZE_MAXIMIZED));
  EXPECT_EQ(vs->GetViewRect(), CRect(0, 0, 500, 250));
}
