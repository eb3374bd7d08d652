// The application's message loop over a template-built frame, view and document: routing of
// commands that arrive as keys, idle command-UI updates of the menu, painting and timers.
#include "AppFixture.h"

#include <gmock/gmock.h>

using namespace apptest;
using testing::ElementsAre;

namespace {
// Posts a key press with modifiers to the window as the toolkit would deliver it.
void PostKey(HWND h, std::initializer_list<UINT> modifiers, UINT key) {
  for (UINT m : modifiers) PostMessageW(h, WM_KEYDOWN, m, 0);
  PostMessageW(h, WM_KEYDOWN, key, 0);
  PostMessageW(h, WM_KEYUP, key, 0);
  for (UINT m : modifiers) PostMessageW(h, WM_KEYUP, m, 0);
}

UINT MenuState(CFrameWnd* f, UINT id) { return GetMenuState(f->GetMenu()->GetSafeHmenu(), id, MF_BYCOMMAND); }
}  // namespace

using WindowLoop = AppTest;

TEST_F(WindowLoop, TemplateBuildsFrameViewAndDocumentAndShowsTheFrame) {
  CAppTestDoc* doc = StartNew();
  ASSERT_NE(doc, nullptr);
  ASSERT_NE(Frame(), nullptr);
  ASSERT_NE(View(), nullptr);
  EXPECT_EQ(View()->GetDocument(), doc);
  EXPECT_EQ(View()->GetParentFrame(), Frame());
  EXPECT_EQ(View()->GetDlgCtrlID(), AFX_IDW_PANE_FIRST);
  EXPECT_TRUE(Frame()->IsWindowVisible());
  EXPECT_EQ(doc->GetTitle(), CString(L"untitled"));
  CString title;
  Frame()->GetWindowText(title);
  EXPECT_EQ(title, CString(L"Test App"));
  EXPECT_NE(Frame()->m_hAccelTable, nullptr);
  ASSERT_NE(Frame()->GetMenu(), nullptr);
}

TEST_F(WindowLoop, KeysRouteThroughViewDocumentFrameAndApplication) {
  StartNew();
  HWND view = View()->GetSafeHwnd();
  View()->SetFocus();
  // Keys go to the focus window (the view); the frame's table turns them into commands.
  PostKey(view, {}, VK_F1 + 4);
  PostKey(view, {VK_CONTROL}, 'D');
  PostKey(view, {VK_CONTROL}, 'F');
  PostKey(view, {VK_CONTROL}, 'A');
  PostKey(view, {}, 'Q');  // no accelerator: dispatched to the view as a plain key
  PostQuitMessage(5);
  EXPECT_EQ(app->Run(), 5);
  EXPECT_THAT(g_log, ElementsAre("view", "doc", "frame", "app"));
}

TEST_F(WindowLoop, MergedAcceleratorEntriesReachPluginCommandsAndHostKeysWin) {
  StartNew();
  // Append a plug-in's table after the host's, as the merge does.
  HACCEL& table = Frame()->m_hAccelTable;
  const int n = CopyAcceleratorTableW(table, nullptr, 0);
  std::vector<ACCEL> merged(static_cast<size_t>(n));
  CopyAcceleratorTableW(table, merged.data(), n);
  merged.push_back(ACCEL{FVIRTKEY | FCONTROL, 'D', kPluginCmd});  // same key as the host's document command
  merged.push_back(ACCEL{FVIRTKEY | FCONTROL | FSHIFT, 'P', kPluginCmd});
  DestroyAcceleratorTable(table);
  table = CreateAcceleratorTableW(merged.data(), static_cast<int>(merged.size()));

  HWND view = View()->GetSafeHwnd();
  PostKey(view, {VK_CONTROL}, 'D');
  PostKey(view, {VK_CONTROL, VK_SHIFT}, 'P');
  PostQuitMessage(0);
  app->Run();
  EXPECT_THAT(g_log, ElementsAre("doc", "plugin"));
}

TEST_F(WindowLoop, IdleUpdateSetsMenuStatesAndDisabledCommandsDoNotRun) {
  CAppTestDoc* doc = StartNew();
  CFrameWnd* f = Frame();
  // An empty queue: the loop runs its idle pass, then ends as nothing more can arrive.
  app->Run();
  EXPECT_GT(app->m_idleRuns, 0);
  EXPECT_EQ(MenuState(f, kLockedCmd) & MF_GRAYED, 0u);
  EXPECT_EQ(MenuState(f, kOrphanCmd) & MF_GRAYED, MF_GRAYED);  // nobody handles it
  EXPECT_EQ(MenuState(f, ID_FILE_SAVE) & MF_GRAYED, 0u);  // the document's default handler
  EXPECT_EQ(MenuState(f, kAppCmd) & MF_GRAYED, 0u);  // top-level item handled by the application
  EXPECT_EQ(MenuState(f, kCheckedCmd) & MF_CHECKED, MF_CHECKED);
  wchar_t text[32];
  GetMenuStringW(f->GetMenu()->GetSafeHmenu(), kCheckedCmd, text, 32, MF_BYCOMMAND);
  EXPECT_STREQ(text, L"Hide path");

  doc->m_locked = true;
  app->Run();
  EXPECT_EQ(MenuState(f, kLockedCmd) & MF_GRAYED, MF_GRAYED);
  // Neither the accelerator nor a stale menu click runs a disabled command.
  PostKey(View()->GetSafeHwnd(), {VK_CONTROL}, 'L');
  PostMessageW(f->GetSafeHwnd(), WM_COMMAND, kLockedCmd, 0);
  PostQuitMessage(0);
  app->Run();
  EXPECT_TRUE(g_log.empty());
  doc->m_locked = false;
  f->SendMessage(WM_COMMAND, kLockedCmd, 0);
  EXPECT_THAT(g_log, ElementsAre("locked"));
}

TEST_F(WindowLoop, InvalidatedViewIsPaintedOnceThroughTheBackendsDeviceContext) {
  CAppTestDoc* doc = StartNew();
  CRecordingDC target;
  backend.paintDC = reinterpret_cast<HDC>(static_cast<CDC*>(&target));
  app->Run();  // the first paint of the new frame and view; ends when the queue is quiet
  const int first = View()->m_draws;
  EXPECT_GE(first, 1);
  doc->m_values = {1, 2, 3};
  target.ClearCalls();
  doc->UpdateAllViews(nullptr);
  View()->Invalidate();  // twice: one paint
  app->Run();
  EXPECT_EQ(View()->m_draws, first + 1);
  ASSERT_EQ(target.Count(CRecordingDC::Kind::LineTo), 1u);
  EXPECT_EQ(target.GetCalls().back().points.back(), CPoint(3, 3));
  backend.paintDC = nullptr;
}

TEST_F(WindowLoop, ClientDeviceContextsDrawIntoTheBackendOrHeadless) {
  StartNew();
  View()->MoveWindow(0, 0, 320, 200);
  {
    // Headless: an internal context of the client size takes the drawing.
    CClientDC dc(View());
    EXPECT_EQ(dc.GetDeviceCaps(HORZRES), 320);
    EXPECT_EQ(dc.GetDeviceCaps(VERTRES), 200);
    EXPECT_TRUE(dc.LineTo(5, 5));
  }
  CRecordingDC target;
  backend.paintDC = reinterpret_cast<HDC>(static_cast<CDC*>(&target));
  CDC* dc = View()->GetDC();
  ASSERT_NE(dc, nullptr);
  CPen red(PS_SOLID, 2, RGB(255, 0, 0));
  dc->SelectObject(&red);
  dc->SetROP2(R2_XORPEN);
  dc->MoveTo(1, 2);
  dc->LineTo(30, 40);
  EXPECT_EQ(View()->ReleaseDC(dc), 1);
  EXPECT_EQ(backend.dcTaken, 2);  // each context taken is given back
  EXPECT_EQ(backend.dcReleased, 2);
  ASSERT_EQ(target.Count(CRecordingDC::Kind::LineTo), 1u);
  const auto& call = target.GetCalls().back();
  EXPECT_EQ(call.points, (std::vector<CPoint>{CPoint(1, 2), CPoint(30, 40)}));
  EXPECT_EQ(call.penColor, RGB(255, 0, 0));
  EXPECT_EQ(call.rop2, R2_XORPEN);
  backend.paintDC = nullptr;
}

TEST_F(WindowLoop, TimersTickOnTheFakeClockUntilKilled) {
  StartNew();
  CAppTestView* view = View();
  ASSERT_NE(view->SetTimer(12, 40, nullptr), 0u);
  const DWORD start = backend.now;
  // Eight steps of 40 ms, then the timer is killed and the loop told to end.
  while (view->m_timerTicks < 8) ASSERT_TRUE(app->PumpMessage());
  view->KillTimer(12);
  EXPECT_EQ(backend.now - start, 8u * 40u);
  PostQuitMessage(0);
  app->Run();
  EXPECT_EQ(view->m_timerTicks, 8);
}

TEST_F(WindowLoop, LoopEndsWhenNothingCanArriveAndWhenTheMainWindowGoes) {
  StartNew();
  // No timer and an empty queue: Run returns instead of waiting forever.
  FakeWindowBackend::Drain();
  EXPECT_EQ(app->Run(), 0);
  // Destroying the main window posts the quit.
  Frame()->DestroyWindow();
  EXPECT_EQ(app->m_pMainWnd, nullptr);
  MSG m;
  ASSERT_TRUE(PeekMessageW(&m, nullptr, 0, 0, PM_NOREMOVE));
  EXPECT_EQ(m.message, WM_QUIT);
  FakeWindowBackend::Drain();
}

TEST_F(WindowLoop, FrameWindowPlacementAndFocus) {
  StartNew();
  CFrameWnd* f = Frame();
  f->MoveWindow(10, 20, 640, 480);
  CRect rc;
  f->GetClientRect(&rc);
  EXPECT_EQ(rc, CRect(0, 0, 640, 480));
  View()->MoveWindow(0, 0, 600, 400);
  CPoint p(5, 5);
  View()->ClientToScreen(&p);
  EXPECT_EQ(p, CPoint(15, 25));
  EXPECT_EQ(View()->SetFocus(), nullptr);
  EXPECT_EQ(CWnd::GetFocus(), View());
  View()->SetCapture();
  EXPECT_EQ(CWnd::GetCapture(), View());
  ReleaseCapture();
  f->ShowWindow(SW_SHOWMAXIMIZED);
  EXPECT_TRUE(IsZoomed(f->GetSafeHwnd()));
}
