// Binding plug-in maps to host objects and routing commands and window messages through them.
#include "HostClasses.h"

#include "sockwell/MySingleDocTemplate.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

using ::testing::ElementsAre;
using ::testing::IsEmpty;

namespace {
// The log without module names: plug-in entries of every module look alike.
std::vector<std::string> Entries() {
  std::vector<std::string> out;
  for (auto& e : TestLogTake()) {
    const auto colon = e.find(':');
    const bool fromModule = e.find(".vpf:") != std::string::npos || e.find(".mlp:") != std::string::npos;
    out.push_back(fromModule ? e.substr(colon + 1) : e);
  }
  return out;
}

struct Host {
  PlugInFolder folder;
  std::unique_ptr<CDraftonApp> app;
  CMainFrame* frame = nullptr;  // owned by its window
  CDraftonDoc* doc = nullptr;
  CDraftonView* view = nullptr;  // owned by its window

  explicit Host(int modules) {
    if (modules >= 1) folder.AddFull("a.vpf");
    if (modules >= 2) folder.AddLean("b.vpf");
    app = std::make_unique<CDraftonApp>();
    app->LoadPlugInDLLs();
    frame = new CMainFrame;
    EXPECT_TRUE(frame->Create(nullptr, L"Main", 0, RECT{0, 0, 800, 600}, nullptr, 0));
    app->m_pMainWnd = frame;
    frame->CreatePlugToolBar();
    doc = new CDraftonDoc;
    doc->InitialisePlugIns();
    view = new CDraftonView;
    EXPECT_TRUE(view->Create(nullptr, L"View", 0, RECT{0, 0, 800, 600}, frame, 1));
    doc->AddView(view);
    view->InitialisePlugIns();
    frame->SetActiveView(view);
    TestLogTake();
  }
  ~Host() {
    if (CWnd::FromHandle(viewHandle())) view->DestroyWindow();
    if (frameAlive) frame->DestroyWindow();
    delete doc;
    app.reset();  // releases and unloads the modules
  }
  HWND viewHandle() const { return view->m_hWnd; }
  BOOL Command(UINT id) { return frame->OnCmdMsg(id, CN_COMMAND, nullptr, nullptr); }
  bool frameAlive = true;
};
}  // namespace

TEST(PlugInRouting, BindsMapsByExactClassNameInRegistrationOrder) {
  Host host(2);
  EXPECT_EQ(CPISMainFrame::m_MapCount, 1);
  EXPECT_EQ(host.app->m_nMapCount, 1);
  int n = -1;
  CPlugInMap** maps = CPlugInApp::GetMessageMaps(host.view, n);
  ASSERT_EQ(n, 2);  // one per module; the wrong-case maps are not bound
  for (int i = 0; i < n; ++i) {
    EXPECT_EQ(maps[i]->GetPlugInFor(), host.view);
    maps[i]->Free();
  }
  delete[] maps;
  CWnd plain;  // no map names this class
  EXPECT_EQ(CPlugInApp::GetMessageMaps(&plain, n), nullptr);
  EXPECT_EQ(n, 0);
}

TEST(PlugInRouting, PreOwnPostOrderThroughFrameAndView) {
  Host host(2);
  EXPECT_TRUE(host.Command(100));
  EXPECT_THAT(Entries(), ElementsAre("view100:pre", "view100:pre", "view100:own", "view100:post", "view100:post"));
  EXPECT_TRUE(host.Command(200));
  EXPECT_THAT(Entries(), ElementsAre("frame200:pre", "frame200:own", "frame200:post"));
  // A command nobody handles stays unhandled; the document's own handler is reached through the view.
  EXPECT_FALSE(host.Command(999));
  EXPECT_TRUE(host.Command(300));
  EXPECT_THAT(Entries(), ElementsAre("doc300:pre", "doc300:own", "doc300:post"));
}

TEST(PlugInRouting, SuppressSkipsTheHostHandlerForThatMessageOnly) {
  Host host(1);
  EXPECT_TRUE(host.Command(101));
  EXPECT_THAT(Entries(), ElementsAre("view101:pre", "view101:post"));
  EXPECT_TRUE(host.Command(100));
  EXPECT_THAT(Entries(), ElementsAre("view100:pre", "view100:own", "view100:post"));
}

TEST(PlugInRouting, CommandHandledOnlyInPrePassCountsAsHandled) {
  Host host(1);
  EXPECT_TRUE(host.Command(103));
  AFX_CMDHANDLERINFO info{};
  EXPECT_TRUE(host.view->OnCmdMsg(100, CN_COMMAND, nullptr, &info));
  EXPECT_NE(info.pTarget, nullptr);
  EXPECT_THAT(Entries(), IsEmpty());  // asking for the handler calls nothing
}

TEST(PlugInRouting, WindowMessageHandledOnlyByPreMapIsNotHandledWhenPostRan) {
  Host host(1);
  LRESULT result = 77;
  const WPARAM wheel = MAKELONG(0, static_cast<WORD>(-120));
  EXPECT_FALSE(host.view->Route(WM_MOUSEWHEEL, wheel, 0, &result));
  EXPECT_THAT(Entries(), ElementsAre("wheel:pre:-120", "wheel:post:-120"));
}

TEST(PlugInRouting, RegisteredMessageIsFoundByItsNumber) {
  Host host(1);
  const UINT msg = RegisterWindowMessageW(L"SockwellTestMessage");
  ASSERT_GE(msg, 0xC000u);
  EXPECT_EQ(host.view->SendMessage(msg, 21, 0), 42);
  EXPECT_THAT(Entries(), ElementsAre("registered:pre", "registered:post"));
  const UINT other = RegisterWindowMessageW(L"SockwellOtherMessage");
  EXPECT_EQ(host.view->SendMessage(other, 21, 0), 0);
  EXPECT_THAT(Entries(), IsEmpty());
}

TEST(PlugInRouting, UserMessageWithoutHostHandlerReachesOnlyPlugInMaps) {
  Host host(1);
  host.frame->SendMessage(0x40A);
  EXPECT_THAT(Entries(), ElementsAre("frame40A:pre", "frame40A:post"));
}

TEST(PlugInRouting, CommandMessageGoesThroughOnCmdMsg) {
  Host host(1);
  EXPECT_EQ(host.frame->SendMessage(WM_COMMAND, 200, 0), 1);
  EXPECT_THAT(Entries(), ElementsAre("frame200:pre", "frame200:own", "frame200:post"));
  // A notification without a source window is not routed.
  NMHDR hdr{nullptr, 200, 0};
  LRESULT r = 0;
  EXPECT_FALSE(host.frame->Route(WM_NOTIFY, 200, reinterpret_cast<LPARAM>(&hdr), &r));
}

TEST(PlugInRouting, PreHandlerThatDestroysTheFrameStopsRouting) {
  Host host(2);
  EXPECT_TRUE(host.Command(201));  // under ASan: nothing of the destroyed frame is touched
  host.frameAlive = false;
  EXPECT_THAT(Entries(), ElementsAre("frame201:pre"));
}

TEST(PlugInRouting, OwnHandlerThatDestroysTheFrameSkipsPostMaps) {
  Host host(1);
  EXPECT_TRUE(host.Command(202));
  host.frameAlive = false;
  EXPECT_THAT(Entries(), ElementsAre("frame202:own"));
}

TEST(PlugInRouting, WithoutMapsRoutingIsTheClassLibrarys) {
  PlugInFolder folder;  // no modules
  CDraftonApp app;
  app.LoadPlugInDLLs();
  auto* frame = new CMainFrame;
  ASSERT_TRUE(frame->Create(nullptr, L"Main", 0, RECT{0, 0, 10, 10}, nullptr, 0));
  frame->CreatePlugToolBar();
  EXPECT_EQ(CPISMainFrame::m_MapCount, 0);
  EXPECT_TRUE(frame->OnCmdMsg(200, CN_COMMAND, nullptr, nullptr));
  EXPECT_FALSE(frame->OnCmdMsg(201, CN_COMMAND, nullptr, nullptr));
  EXPECT_THAT(TestLogTake(), ElementsAre("frame200:own"));
  frame->DestroyWindow();
}

TEST(PlugInRouting, ToolbarsAreCreatedAtBindingAndDockedLater) {
  PlugInFolder folder;
  folder.AddFull("a.vpf");
  CDraftonApp app;
  app.LoadPlugInDLLs();
  auto* frame = new CMainFrame;
  ASSERT_TRUE(frame->Create(nullptr, L"Main", 0, RECT{0, 0, 10, 10}, nullptr, 0));
  TestLogTake();
  EXPECT_FALSE(frame->PlugToolBarsCreated());
  frame->CreatePlugToolBar();
  EXPECT_TRUE(frame->PlugToolBarsCreated());
  frame->DockPlugToolBar();
  EXPECT_THAT(TestLogTake(), ElementsAre("a.vpf:toolbar-insert", "a.vpf:toolbar-dock"));
  frame->DestroyWindow();  // frees the maps on the way
  EXPECT_EQ(CPISMainFrame::m_MapCount, 0);
}

TEST(PlugInRouting, ViewModalStateDisablesItsWindow) {
  Host host(0);
  host.view->BeginModalState();
  EXPECT_FALSE(host.view->IsWindowEnabled());
  host.view->EndModalState();
  EXPECT_TRUE(host.view->IsWindowEnabled());
}

TEST(PlugInRouting, PreHandlerThatDeletesTheDocumentStopsRouting) {
  Host host(1);
  EXPECT_TRUE(host.doc->OnCmdMsg(301, CN_COMMAND, nullptr, nullptr));  // under ASan: no use after free
  host.doc = nullptr;
  EXPECT_TRUE(CPIDoc::IsDestroyed());
  EXPECT_THAT(Entries(), ElementsAre("doc301:pre"));
  host.frame->SetActiveView(nullptr);
}

TEST(MySingleDocTemplate, ReportsTheDocumentClassName) {
  CMySingleDocTemplate withDoc(100, RUNTIME_CLASS(CDraftonDoc), RUNTIME_CLASS(CMainFrame), RUNTIME_CLASS(CDraftonView));
  EXPECT_EQ(withDoc.GetDocClass(), L"CDraftonDoc");
  CMySingleDocTemplate without(100, nullptr, RUNTIME_CLASS(CMainFrame), RUNTIME_CLASS(CDraftonView));
  EXPECT_TRUE(without.GetDocClass().IsEmpty());
}
