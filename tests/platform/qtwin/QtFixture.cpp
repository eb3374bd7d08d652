#include "QtFixture.h"

#include "platform/win/Resource.h"

#include <QApplication>

namespace qtwin_test {

BEGIN_MESSAGE_MAP(CTestFrame, CFrameWnd)
ON_COMMAND(kZoomCmd, OnZoom)
ON_COMMAND(kPanCmd, OnPan)
ON_COMMAND(kGridCmd, OnGrid)
ON_UPDATE_COMMAND_UI(kZoomCmd, OnUpdateZoom)
ON_UPDATE_COMMAND_UI(kGridCmd, OnUpdateGrid)
END_MESSAGE_MAP()

BEGIN_MESSAGE_MAP(CTestView, CWnd)
ON_WM_PAINT()
ON_WM_TIMER()
ON_WM_LBUTTONDOWN()
ON_WM_MOUSEWHEEL()
ON_WM_CHAR()
ON_WM_HSCROLL()
ON_WM_VSCROLL()
END_MESSAGE_MAP()

void CTestView::OnPaint() {
  CPaintDC dc(this);
  ++paints;
  CRect rc;
  GetClientRect(&rc);
  if (draw) draw(dc, rc);
}

void CTestView::OnTimer(UINT_PTR) { ++timerTicks; }

void CTestView::OnLButtonDown(UINT flags, CPoint p) {
  input.push_back("down " + std::to_string(p.x) + "," + std::to_string(p.y) + " flags " + std::to_string(flags));
}

BOOL CTestView::OnMouseWheel(UINT, short delta, CPoint) {
  input.push_back("wheel " + std::to_string(delta));
  return TRUE;
}

void CTestView::OnChar(UINT ch, UINT, UINT) { input.push_back("char " + std::string(1, static_cast<char>(ch))); }

void CTestView::OnHScroll(UINT code, UINT pos, CWnd*) {
  input.push_back("hscroll " + std::to_string(code) + " " + std::to_string(pos));
}

void CTestView::OnVScroll(UINT code, UINT pos, CWnd*) {
  input.push_back("vscroll " + std::to_string(code) + " " + std::to_string(pos));
}

namespace {
int g_argc = 1;
char g_name[] = "test_qtwin";
char* g_argv[] = {g_name, nullptr};
QApplication* g_app = nullptr;

// The application goes before the process exits: Qt's own globals must outlive it.
class QtEnvironment : public testing::Environment {
 public:
  void TearDown() override {
    delete g_app;
    g_app = nullptr;
  }
};
[[maybe_unused]] testing::Environment* const g_env = testing::AddGlobalTestEnvironment(new QtEnvironment);
}  // namespace

// Made on first use, so listing the tests needs no display. On the offscreen platform the
// tests count on having no OpenGL: a display named by the developer's shell is forgotten first,
// or offscreen Qt would reach it for OpenGL.
QApplication& App() {
  if (!g_app) {
    if (qgetenv("QT_QPA_PLATFORM") == "offscreen") {
      qunsetenv("DISPLAY");
      qunsetenv("WAYLAND_DISPLAY");
    }
    g_app = new QApplication(g_argc, g_argv);
  }
  return *g_app;
}

namespace {
HMENU BuildMenu() {
  HMENU bar = CreateMenu();
  HMENU view = CreatePopupMenu();
  AppendMenuW(view, MF_STRING, kZoomCmd, L"&Zoom in\tCtrl+Z");
  AppendMenuW(view, MF_SEPARATOR, 0, nullptr);
  AppendMenuW(view, MF_STRING, kGridCmd, L"&Grid");
  AppendMenuW(view, MF_STRING, kPanCmd, L"&Pan");
  HMENU more = CreatePopupMenu();
  AppendMenuW(more, MF_STRING, kGridCmd + 100, L"Other");
  AppendMenuW(view, MF_POPUP, reinterpret_cast<UINT_PTR>(more), L"&More");
  AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(view), L"&View");
  return bar;
}
}  // namespace

QtWinTest::QtWinTest() {
  App();
  previous = velmora::win::SetWindowBackend(&backend);
  static const ACCEL accels[] = {
      {FVIRTKEY | FCONTROL, 'Z', kZoomCmd},
      {FVIRTKEY, VK_NEXT, kPanCmd},
  };
  velmora::win::RegisterStringResource(100, L"Qt Test\nuntitled");
  velmora::win::RegisterMenuResource(100, &BuildMenu);
  velmora::win::RegisterAcceleratorResource(100, accels, static_cast<int>(std::size(accels)));
  app = std::make_unique<CWinApp>(L"test_qtwin");
  frame = new CTestFrame;
  EXPECT_TRUE(frame->LoadFrame(100));
  app->m_pMainWnd = frame;
  CRect rc;
  frame->GetClientRect(&rc);
  EXPECT_TRUE(view.Create(nullptr, L"", WS_CHILD | WS_VISIBLE, RECT{0, 0, 200, 120}, frame, AFX_IDW_PANE_FIRST));
  frame->MoveWindow(0, 0, 200, 120, TRUE);
  frame->ShowWindow(SW_SHOW);
  Pump();
}

QtWinTest::~QtWinTest() {
  view.DestroyWindow();
  if (app->m_pMainWnd) app->m_pMainWnd->DestroyWindow();
  app.reset();
  Pump();
  velmora::win::SetWindowBackend(previous);
}

void QtWinTest::Pump() {
  for (int round = 0; round < 20; ++round) {
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    MSG msg;
    bool any = false;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      any = true;
      if (msg.message == WM_QUIT) break;
      if (!app || !app->PreTranslateMessage(&msg)) ::DispatchMessageW(&msg);
    }
    if (!any) return;
  }
}

}  // namespace qtwin_test
