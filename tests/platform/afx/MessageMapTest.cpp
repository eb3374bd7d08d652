// Message maps: command, notification and update dispatch, window-message unpacking, and the
// frame -> view -> document -> application routing.
#include "platform/afx/DocView.h"
#include "platform/afx/WinApp.h"
#include "platform/afx/Wnd.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

using ::testing::ElementsAre;

namespace {
std::vector<std::string> g_log;

class CBaseTarget : public CCmdTarget {
 public:
  void OnBase() { g_log.push_back("base"); }
  void OnShadowed() { g_log.push_back("base-shadowed"); }
  DECLARE_MESSAGE_MAP()
};

class CTarget : public CBaseTarget {
 public:
  BOOL m_answer = TRUE;
  void OnPlain() { g_log.push_back("plain"); }
  BOOL OnBool() { g_log.push_back("bool"); return m_answer; }
  void OnRange(UINT id) { g_log.push_back("range" + std::to_string(id)); }
  BOOL OnEx(UINT id) { g_log.push_back("ex" + std::to_string(id)); return m_answer; }
  void OnNotifyPlain(NMHDR* h, LRESULT* r) { g_log.push_back("notify" + std::to_string(h->code)); *r = 5; }
  BOOL OnNotifyEx(UINT id, NMHDR*, LRESULT*) { g_log.push_back("notifyex" + std::to_string(id)); return m_answer; }
  void OnUpdate(CCmdUI* ui) { ui->Enable(FALSE); ui->SetText(L"Hide path"); }
  void OnUpdateRange(CCmdUI* ui, UINT id) { ui->SetCheck(static_cast<int>(id - 60)); ui->ContinueRouting(); }
  void OnShadowed() { g_log.push_back("derived-shadowed"); }
  DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CBaseTarget, CCmdTarget)
ON_COMMAND(1, OnBase)
ON_COMMAND(2, OnShadowed)
END_MESSAGE_MAP()

BEGIN_MESSAGE_MAP(CTarget, CBaseTarget)
ON_COMMAND(2, OnShadowed)
ON_COMMAND(10, OnPlain)
{WM_COMMAND, CN_COMMAND, 11, 11, AfxSigCmd_b, AfxMsgCast<BOOL()>(&CTarget::OnBool)},
ON_COMMAND_RANGE(20, 29, OnRange)
ON_COMMAND_EX(30, OnEx)
ON_NOTIFY(7, 40, OnNotifyPlain)
ON_NOTIFY_EX(8, 41, OnNotifyEx)
ON_NOTIFY(-12, 42, OnNotifyPlain)
ON_UPDATE_COMMAND_UI(50, OnUpdate)
ON_UPDATE_COMMAND_UI_RANGE(60, 69, OnUpdateRange)
END_MESSAGE_MAP()
}  // namespace

TEST(MessageMap, CommandSignaturesAndTheBaseChain) {
  CTarget t;
  g_log.clear();
  EXPECT_TRUE(t.OnCmdMsg(10, CN_COMMAND, nullptr, nullptr));
  EXPECT_TRUE(t.OnCmdMsg(11, CN_COMMAND, nullptr, nullptr));
  t.m_answer = FALSE;
  EXPECT_FALSE(t.OnCmdMsg(11, CN_COMMAND, nullptr, nullptr));
  EXPECT_FALSE(t.OnCmdMsg(30, CN_COMMAND, nullptr, nullptr));
  EXPECT_TRUE(t.OnCmdMsg(25, CN_COMMAND, nullptr, nullptr));
  EXPECT_FALSE(t.OnCmdMsg(19, CN_COMMAND, nullptr, nullptr));
  EXPECT_TRUE(t.OnCmdMsg(1, CN_COMMAND, nullptr, nullptr));  // from the base map
  EXPECT_TRUE(t.OnCmdMsg(2, CN_COMMAND, nullptr, nullptr));  // the derived entry wins
  EXPECT_THAT(g_log, ElementsAre("plain", "bool", "bool", "ex30", "range25", "base", "derived-shadowed"));
}

TEST(MessageMap, HandlerInfoCallsNothing) {
  CTarget t;
  g_log.clear();
  AFX_CMDHANDLERINFO info{};
  EXPECT_TRUE(t.OnCmdMsg(10, CN_COMMAND, nullptr, &info));
  EXPECT_EQ(info.pTarget, &t);
  EXPECT_TRUE(info.pmf == AfxMsgCast<void()>(&CTarget::OnPlain));
  EXPECT_TRUE(g_log.empty());
}

TEST(MessageMap, NotificationsCarryCodeAndMessage) {
  CTarget t;
  g_log.clear();
  NMHDR hdr{reinterpret_cast<HWND>(static_cast<uintptr_t>(1)), 40, 7};
  LRESULT result = 0;
  AFX_NOTIFY notify{&result, &hdr};
  EXPECT_TRUE(t.OnCmdMsg(40, static_cast<int>(MAKELONG(7, WM_NOTIFY)), &notify, nullptr));
  EXPECT_EQ(result, 5);
  EXPECT_FALSE(t.OnCmdMsg(40, 7, &notify, nullptr));  // without the message it is a WM_COMMAND code
  t.m_answer = FALSE;
  EXPECT_FALSE(t.OnCmdMsg(41, static_cast<int>(MAKELONG(8, WM_NOTIFY)), &notify, nullptr));
  // A negative code (custom draw is -12) arrives in the low word as a window sends it.
  hdr.code = static_cast<UINT>(-12);
  EXPECT_TRUE(t.OnCmdMsg(42, static_cast<int>(MAKELONG(static_cast<WORD>(-12), WM_NOTIFY)), &notify, nullptr));
  EXPECT_THAT(g_log, ElementsAre("notify7", "notifyex41", "notify" + std::to_string(static_cast<UINT>(-12))));
}

TEST(MessageMap, UpdateHandlersAndContinueRouting) {
  CTarget t;
  CCmdUI ui;
  ui.m_nID = 50;
  EXPECT_TRUE(ui.DoUpdate(&t, TRUE));
  EXPECT_FALSE(ui.m_bEnabled);
  EXPECT_EQ(ui.m_strText, L"Hide path");
  CCmdUI range;
  range.m_nID = 63;
  EXPECT_FALSE(t.OnCmdMsg(63, CN_UPDATE_COMMAND_UI, &range, nullptr));  // asked to keep routing
  EXPECT_EQ(range.m_nCheck, 3);
  EXPECT_FALSE(range.m_bContinueRouting);  // reset after dispatch
  // No update handler and no command handler: disabled when asked to.
  CCmdUI orphan;
  orphan.m_nID = 999;
  EXPECT_FALSE(orphan.DoUpdate(&t, TRUE));
  EXPECT_FALSE(orphan.m_bEnabled);
  CCmdUI commandOnly;
  commandOnly.m_nID = 10;
  commandOnly.DoUpdate(&t, TRUE);
  EXPECT_TRUE(commandOnly.m_bEnabled);
}

namespace {
class CTestWnd : public CWnd {
 public:
  bool failCreate = false;
  int OnCreate(LPCREATESTRUCT cs) {
    g_log.push_back("create " + std::to_string(cs->cx) + "x" + std::to_string(cs->cy));
    return failCreate ? -1 : 0;
  }
  void OnDestroy() { g_log.push_back("destroy"); }
  void OnSize(UINT type, int cx, int cy) { g_log.push_back("size" + std::to_string(type) + ":" + std::to_string(cx) + "," + std::to_string(cy)); }
  void OnLButtonDown(UINT flags, CPoint p) { g_log.push_back("lbutton" + std::to_string(flags) + "@" + std::to_string(p.x) + "," + std::to_string(p.y)); }
  BOOL OnMouseWheel(UINT, short delta, CPoint) { g_log.push_back("wheel" + std::to_string(delta)); return delta > 0; }
  void OnChar(UINT ch, UINT rep, UINT flags) { g_log.push_back("char" + std::to_string(ch) + "/" + std::to_string(rep) + "/" + std::to_string(flags)); }
  void OnKeyDown(UINT ch, UINT rep, UINT flags) { CWnd::OnKeyDown(ch, rep, flags); }
  LRESULT OnUser(WPARAM w, LPARAM l) { return static_cast<LRESULT>(w) + l; }
  LRESULT OnRegistered(WPARAM w, LPARAM) { return static_cast<LRESULT>(w) * 10; }
  void OnMDIActivate(BOOL mine, CWnd* on, CWnd* off) {
    g_log.push_back(std::string("activate") + (mine ? "-mine" : "-other") + (on ? "+on" : "") + (off ? "+off" : ""));
  }
  void OnCmd() { g_log.push_back("cmd"); }
  DECLARE_MESSAGE_MAP()
};
UINT g_msg = RegisterWindowMessageW(L"AfxTestRegistered");

BEGIN_MESSAGE_MAP(CTestWnd, CWnd)
ON_WM_CREATE()
ON_WM_DESTROY()
ON_WM_SIZE()
ON_WM_LBUTTONDOWN()
ON_WM_MOUSEWHEEL()
ON_WM_CHAR()
ON_WM_KEYDOWN()
ON_WM_MDIACTIVATE()
ON_MESSAGE(WM_USER + 4, OnUser)
ON_REGISTERED_MESSAGE(g_msg, OnRegistered)
ON_COMMAND(77, OnCmd)
END_MESSAGE_MAP()
}  // namespace

TEST(WindowMessages, CreationUnpackingAndDestruction) {
  g_log.clear();
  CTestWnd w;
  ASSERT_TRUE(w.Create(nullptr, L"w", 0, RECT{10, 20, 110, 70}, nullptr, 5));
  EXPECT_EQ(CWnd::FromHandle(w.m_hWnd), &w);
  w.SendMessage(WM_SIZE, 0, MAKELONG(300, 200));
  w.SendMessage(WM_LBUTTONDOWN, 8, MAKELONG(static_cast<WORD>(-3), 40));
  EXPECT_EQ(w.SendMessage(WM_MOUSEWHEEL, MAKELONG(0, 120), 0), 1);
  EXPECT_EQ(w.SendMessage(WM_MOUSEWHEEL, MAKELONG(0, static_cast<WORD>(-120)), 0), 0);
  w.SendMessage(WM_CHAR, 'a', MAKELONG(2, 0x1E));
  EXPECT_EQ(w.SendMessage(WM_KEYDOWN, 0x21, 0), 0);  // handed on to the default procedure
  EXPECT_EQ(w.SendMessage(WM_USER + 4, 3, 4), 7);
  EXPECT_EQ(w.SendMessage(g_msg, 6, 0), 60);
  EXPECT_EQ(w.SendMessage(WM_COMMAND, 77, 0), 1);
  EXPECT_EQ(w.SendMessage(WM_COMMAND, 78, 0), 0);
  w.SendMessage(WM_MDIACTIVATE, 0, reinterpret_cast<LPARAM>(w.m_hWnd));
  EXPECT_TRUE(w.DestroyWindow());
  EXPECT_EQ(w.m_hWnd, nullptr);
  EXPECT_EQ(w.SendMessage(WM_USER + 4, 3, 4), 0);  // no window: nothing is delivered
  EXPECT_FALSE(w.DestroyWindow());
  EXPECT_THAT(g_log, ElementsAre("create 100x50", "size0:300,200", "lbutton8@-3,40", "wheel120", "wheel-120",
                                 "char97/2/30", "cmd", "activate-mine+on", "destroy"));
}

TEST(WindowMessages, FailedCreationLeavesNoWindowAndCloseDestroys) {
  CTestWnd w;
  w.failCreate = true;
  EXPECT_FALSE(w.Create(nullptr, L"w", 0, RECT{}, nullptr, 0));
  EXPECT_EQ(w.m_hWnd, nullptr);
  CTestWnd v;
  ASSERT_TRUE(v.Create(nullptr, L"v", 0, RECT{}, nullptr, 0));
  v.SendMessage(WM_CLOSE);
  EXPECT_EQ(v.m_hWnd, nullptr);
}

namespace {
class CTestApp : public CWinApp {
 public:
  void OnAppCmd(UINT) { g_log.push_back("app"); }
  DECLARE_MESSAGE_MAP()
};
class CTestDoc : public CDocument {
 public:
  void OnDocCmd(UINT) { g_log.push_back("doc"); }
  DECLARE_MESSAGE_MAP()
};
class CTestView : public CView {
 public:
  void OnDraw(CDC*) override {}
  void OnViewCmd() { g_log.push_back("view"); }
  DECLARE_MESSAGE_MAP()
};
class CTestFrame : public CFrameWnd {
 public:
  void OnFrameCmd(UINT) { g_log.push_back("frame"); }
  DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(CTestApp, CWinApp)
ON_COMMAND_RANGE(1, 6, OnAppCmd)
END_MESSAGE_MAP()
BEGIN_MESSAGE_MAP(CTestDoc, CDocument)
ON_COMMAND_RANGE(1, 3, OnDocCmd)
END_MESSAGE_MAP()
BEGIN_MESSAGE_MAP(CTestView, CView)
ON_COMMAND(1, OnViewCmd)
END_MESSAGE_MAP()
BEGIN_MESSAGE_MAP(CTestFrame, CFrameWnd)
ON_COMMAND_RANGE(4, 5, OnFrameCmd)
END_MESSAGE_MAP()
}  // namespace

TEST(Routing, FrameOffersViewThenDocumentThenItselfThenTheApplication) {
  g_log.clear();
  CTestApp app;
  EXPECT_EQ(AfxGetApp(), &app);
  auto* frame = new CTestFrame;
  ASSERT_TRUE(frame->Create(nullptr, L"f", 0, RECT{}, nullptr, 0));
  auto* view = new CTestView;
  ASSERT_TRUE(view->Create(nullptr, L"v", 0, RECT{}, frame, 1));
  CTestDoc doc;
  doc.AddView(view);
  frame->SetActiveView(view);
  for (UINT id = 1; id <= 6; ++id) EXPECT_TRUE(frame->OnCmdMsg(id, CN_COMMAND, nullptr, nullptr));
  EXPECT_FALSE(frame->OnCmdMsg(7, CN_COMMAND, nullptr, nullptr));
  EXPECT_THAT(g_log, ElementsAre("view", "doc", "doc", "frame", "frame", "app"));
  view->DestroyWindow();  // deletes the view, which leaves the document
  EXPECT_TRUE(doc.GetViews().empty());
  frame->SetActiveView(nullptr);
  frame->DestroyWindow();
}
