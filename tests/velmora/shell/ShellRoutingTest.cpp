// The running shell: plug-in maps around frame, view and document; the clipboard; undo and redo
// through the view; the command configuration; the view's input to the hub.
#include "ShellFixture.h"

#include "db/Action.h"
#include "db/DbImage.h"
#include "platform/afx/Archive.h"
#include "platform/afx/MemFile.h"
#include "platform/win/Clipboard.h"
#include "platform/win/GlobalMem.h"
#include "platform/win/Messages.h"
#include "velmora/commands/ViewCommands.h"
#include "velmora/ordvale/Command.h"
#include "velmora/ordvale/QMessage.h"
#include "velmora/shell/KxTabWnd.h"

#include <gmock/gmock.h>

#include <cstring>

using ::testing::ElementsAre;

namespace {
// Log entries without the module's name.
std::vector<std::string> Entries() {
  std::vector<std::string> out;
  for (auto& e : TestLogTake()) out.push_back(e.find(".vpf:") != std::string::npos ? e.substr(e.find(':') + 1) : e);
  return out;
}

// A main command that records what the hub hands it.
class Recorder : public CCommand {
 public:
  Recorder() : CCommand(0, L"Recorder") { SetID(40100); }
  int HostType() const override { return 1; }
  int OnLButtonDown(UINT flags, Position& pos) override { return Log("ldown", flags, pos); }
  int OnMouseMove(UINT flags, Position& pos) override { return Log("move", flags, pos); }
  int OnKeyDown(UINT key, UINT, UINT) override {
    log.push_back("key:" + std::to_string(key));
    return 1;
  }
  int OnChar(UINT ch, UINT, UINT) override {
    log.push_back("char:" + std::to_string(ch));
    return 1;
  }
  int OnTimer(UINT_PTR id) override {
    log.push_back("timer:" + std::to_string(id));
    return 1;
  }
  int OnMessage(QMessage* msg) override {
    log.push_back("message:" + std::to_string(msg->code));
    return 0;
  }
  std::vector<std::string> log;
  double lastX = 0, lastY = 0;

 private:
  int Log(const char* what, UINT flags, Position& pos) {
    log.push_back(std::string(what) + ":" + std::to_string(flags));
    lastX = pos.x;
    lastY = pos.y;
    return 1;
  }
};
}  // namespace

TEST_F(ShellTest, PlugInMapsOfFrameViewAndDocumentRunAroundTheirOwnHandlers) {
  Start(true);
  ASSERT_TRUE(started);
  // The new document was announced to the frame's maps.
  EXPECT_THAT(Entries(), ::testing::IsSupersetOf({"frame40A:pre", "frame40A:post"}));
  // The view and document were made before the module loaded, and are bound all the same.
  EXPECT_TRUE(Command(100));
  EXPECT_THAT(Entries(), ElementsAre("view100:pre", "view100:post"));
  EXPECT_TRUE(Command(300));
  EXPECT_THAT(Entries(), ElementsAre("doc300:pre", "doc300:post"));
  EXPECT_TRUE(Command(200));
  EXPECT_THAT(Entries(), ElementsAre("frame200:pre", "frame200:post"));
  // The module's menu and accelerators were merged into the frame's.
  CMenu* menu = frame->GetMenu();
  ASSERT_NE(menu, nullptr);
  bool found = false;
  for (UINT i = 0; i < menu->GetMenuItemCount(); ++i)
    if (CMenu* sub = menu->GetSubMenu(i))
      for (UINT j = 0; j < sub->GetMenuItemCount(); ++j) found |= sub->GetMenuItemID(j) == 40001;
  EXPECT_TRUE(found);
  EXPECT_TRUE(gGetKXGlobal()->IsFrameReady());
}

TEST_F(ShellTest, ADamagedCommandConfigurationFallsBackToDefaultsAndIsRewritten) {
  std::ofstream(m_dir / "Command.cfg", std::ios::binary) << std::string("\x02\x00\x00\x00\x01", 5);
  Start();
  ASSERT_TRUE(started);
  ASSERT_EQ(backend.boxes.size(), 1u);
  Stop();
  const std::string written = Bytes(m_dir / "Command.cfg");
  EXPECT_GT(written.size(), 8u);
  backend.boxes.clear();
  Start();
  EXPECT_TRUE(started);
  EXPECT_TRUE(backend.boxes.empty());
  Stop();
  EXPECT_EQ(Bytes(m_dir / "Command.cfg"), written);
}

TEST_F(ShellTest, CommandConfigurationKeepsTheHubWordsAndTheHiddenStripAcrossRuns) {
  Start();
  gGetOrdvale()->m_nShowCoord = 0;
  ASSERT_FALSE(frame->GetKxTabWnd()->IsStripHidden());
  Command(ID_VIEW_LAYER_BAR);
  EXPECT_TRUE(frame->GetKxTabWnd()->IsStripHidden());
  Stop();
  Start();
  EXPECT_EQ(gGetOrdvale()->m_nShowCoord, 0);
  EXPECT_TRUE(frame->GetKxTabWnd()->IsStripHidden());
  EXPECT_EQ(frame->GetKxTabWnd()->GetTabStrip()->GetLayoutHeight(), 0);
  EXPECT_EQ(Enabled(ID_VIEW_LAYER_BAR), 1);
}

TEST_F(ShellTest, FrameThatFailsToComeUpLeavesTheConfigurationAlone) {
  std::ofstream(m_dir / "Command.cfg", std::ios::binary) << "keep";
  gSetKXGlobal(nullptr);
  {
    CMainFrame* f = new CMainFrame;
    EXPECT_FALSE(f->Create(nullptr, L"Main", 0, RECT{0, 0, 100, 100}, nullptr, 0));
  }
  EXPECT_EQ(Bytes(m_dir / "Command.cfg"), "keep");
}

TEST_F(ShellTest, CopyPutsTheSelectionUnderThePrivateFormatAndItReadsBack) {
  Start();
  Draw({{0, 0, 10, 0}, {10, 0, 10, 4}, {20, 20, 30, 30}});
  CDbEntityList& all = const_cast<CDbEntityList&>(gGetDBase()->GetEntityList());
  POSITION pos = all.GetHeadPosition();
  gGetSelector()->Add(all.GetNext(pos));
  gGetSelector()->Add(all.GetNext(pos));
  ASSERT_TRUE(Command(ID_EDIT_COPY));
  EXPECT_FALSE(IsClipboardFormatAvailable(CF_TEXT));
  EXPECT_TRUE(IsClipboardFormatAvailable(CDraftonDoc::ClipboardFormat()));

  // The payload starts with the selection box's centre.
  ASSERT_TRUE(OpenClipboard(nullptr));
  HANDLE h = GetClipboardData(CDraftonDoc::ClipboardFormat());
  ASSERT_NE(h, nullptr);
  double head[2];
  std::memcpy(head, GlobalLock(static_cast<HGLOBAL>(h)), sizeof head);
  GlobalUnlock(static_cast<HGLOBAL>(h));
  CloseClipboard();
  EXPECT_EQ(head[0], 5.0);
  EXPECT_EQ(head[1], 2.0);

  double centre[2];
  CDbEntityList got;
  ASSERT_TRUE(CDraftonDoc::ReadClipboard(centre, got));
  EXPECT_EQ(centre[0], 5.0);
  EXPECT_EQ(centre[1], 2.0);
  ASSERT_EQ(got.GetCount(), 2);
  _tagBox2D b{};
  got.GetTail()->GetBox(&b);
  EXPECT_DOUBLE_EQ(b.min[0], 10.0);
  EXPECT_DOUBLE_EQ(b.max[1], 4.0);
  dbDelEntList(&got);
  EXPECT_EQ(gGetDBase()->GetCount(), 3);  // copy takes nothing away
}

TEST_F(ShellTest, ClipboardReadingRefusesDamagedOrForeignData) {
  Start();
  struct Case {
    const char* what;
    std::string bytes;
  };
  // A list promising a huge count, a truncated double, an object of a class that is no entity.
  std::string huge(16, '\0');
  huge += std::string("\xFF\xFF\xFF\x7F", 4);
  CMemFile foreign;
  {
    CArchive ar(&foreign, CArchive::store);
    ar << 1.0 << 2.0;
    CObList list;
    CObList* inner = new CObList;
    list.AddTail(static_cast<CObject*>(inner));
    list.Serialize(ar);
    ar.Close();
    delete inner;
  }
  const ULONGLONG n = foreign.GetLength();
  BYTE* raw = foreign.Detach();
  const std::vector<Case> cases = {
      {"huge count", huge}, {"truncated", std::string("\x01\x02\x03", 3)}, {"not an entity", std::string(reinterpret_cast<char*>(raw), size_t(n))}};
  std::free(raw);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, c.bytes.size());
    std::memcpy(GlobalLock(block), c.bytes.data(), c.bytes.size());
    GlobalUnlock(block);
    ASSERT_TRUE(OpenClipboard(nullptr));
    EmptyClipboard();
    ASSERT_NE(SetClipboardData(CDraftonDoc::ClipboardFormat(), block), nullptr);
    CloseClipboard();
    double centre[2];
    CDbEntityList got;
    EXPECT_FALSE(CDraftonDoc::ReadClipboard(centre, got));
    EXPECT_TRUE(got.IsEmpty());
  }
}

TEST_F(ShellTest, CutTakesTheSelectionAwayAsOneUndoableStepAndImagesStayOffTheClipboard) {
  Start();
  Draw({{0, 0, 1, 0}, {0, 0, 0, 1}, {5, 5, 6, 6}});
  CDbEntityList& all = const_cast<CDbEntityList&>(gGetDBase()->GetEntityList());
  gGetSelector()->Add(all.GetHead());
  gGetSelector()->Add(all.GetTail());
  ASSERT_TRUE(doc->Cut());
  EXPECT_EQ(gGetDBase()->GetCount(), 1);
  EXPECT_TRUE(gGetSelector()->IsEmpty());
  // Undo and redo through the view's messages.
  EXPECT_EQ(Enabled(ID_EDIT_UNDO), 1);
  view->SendMessage(0x40C);
  EXPECT_EQ(gGetDBase()->GetCount(), 3);
  EXPECT_EQ(Enabled(ID_EDIT_REDO), 1);
  view->SendMessage(0x40D);
  EXPECT_EQ(gGetDBase()->GetCount(), 1);
  Command(ID_EDIT_UNDO);
  EXPECT_EQ(gGetDBase()->GetCount(), 3);

  // A selection holding an image: refused with a message, the clipboard keeps what it had.
  double before[2];
  CDbEntityList held;
  ASSERT_TRUE(CDraftonDoc::ReadClipboard(before, held));
  const int heldCount = int(held.GetCount());
  dbDelEntList(&held);
  auto* image = new CDbImage;
  gGetDBase()->AddTail(image);
  gGetSelector()->Add(all.GetHead());
  gGetSelector()->Add(image);
  backend.boxes.clear();
  EXPECT_FALSE(doc->Copy());
  EXPECT_FALSE(doc->Cut());
  EXPECT_THAT(backend.boxes, ElementsAre(L"Image copy is forbidden!", L"Image cut is forbidden!"));
  EXPECT_EQ(gGetDBase()->GetCount(), 4);
  CDbEntityList after;
  ASSERT_TRUE(CDraftonDoc::ReadClipboard(before, after));
  EXPECT_EQ(int(after.GetCount()), heldCount);
  dbDelEntList(&after);
}

// The view's creation registers the program's commands and starts in the selection tool,
// which a click in the view reaches.
TEST_F(ShellTest, ViewCreationRegistersTheCommands) {
  Start();
  COrdvale* hub = gGetOrdvale();
  ASSERT_NE(hub, nullptr);
  ASSERT_NE(hub->GetCmd(32774u), nullptr);
  EXPECT_EQ(hub->GetCmd(32774u)->GetCmdName(), CString(L"Line"));
  EXPECT_EQ(hub->GetCmd(L"Zoom In")->GetID(), 32808u);
  ASSERT_NE(hub->GetMainCmd(32853u), nullptr);
  EXPECT_EQ(hub->GetCurMainCmd(), hub->GetMainCmd(32853u));
  // A line drawn with two clicks in the view.
  CVurode* vs = gGetVurode();
  vs->SetViewRect(CRect(0, 0, 400, 400));
  vs->SetScale(1.0);
  vs->SetOrigin(0.0, 0.0);
  const int before = gGetDBase()->GetCount();
  view->SendMessage(WM_CHAR, 'l', 0);
  EXPECT_EQ(hub->GetCurCmd(), hub->GetCmd(32774u));
  for (int x : {200, 250}) {
    view->SendMessage(WM_LBUTTONDOWN, 1, LPARAM(MAKELONG(x, 200)));
    view->SendMessage(WM_LBUTTONUP, 0, LPARAM(MAKELONG(x, 200)));
  }
  EXPECT_EQ(gGetDBase()->GetCount(), before + 1);
  view->SendMessage(WM_KEYDOWN, VK_ESCAPE, 0);
  EXPECT_EQ(hub->GetCurCmd(), nullptr);
}

TEST_F(ShellTest, ViewHandsInputToTheHubAndShowsTheCursorInTheUnit) {
  Start();
  auto* rec = new Recorder;
  COrdvale* hub = gGetOrdvale();
  ASSERT_TRUE(hub->RegMainCmd(rec));
  hub->SetCurMainCmd(rec);
  CVurode* vs = gGetVurode();
  vs->SetViewRect(CRect(0, 0, 400, 400));
  vs->SetScale(10.0);
  vs->SetOrigin(0.0, 0.0);
  view->SendMessage(WM_LBUTTONDOWN, 1, LPARAM(MAKELONG(300, 100)));
  EXPECT_DOUBLE_EQ(rec->lastX, 10.0);
  EXPECT_DOUBLE_EQ(rec->lastY, 10.0);
  view->SendMessage(WM_MOUSEMOVE, 0, LPARAM(MAKELONG(200 + 254, 200)));
  EXPECT_EQ(frame->GetPaneText(1), CString(L"(25.400, 0.000) mm"));
  Command(ID_UNIT_INCH);
  view->SendMessage(WM_MOUSEMOVE, 0, LPARAM(MAKELONG(200 + 254, 200)));
  EXPECT_EQ(frame->GetPaneText(1), CString(L"(1.0000, 0.0000) in"));
  EXPECT_EQ(gGetKXGlobal()->GetUnitBefore(), 0);
  hub->m_nShowCoord = 0;
  frame->SetPaneText(1, L"");
  view->SendMessage(WM_MOUSEMOVE, 0, LPARAM(MAKELONG(10, 10)));
  EXPECT_TRUE(frame->GetPaneText(1).IsEmpty());

  view->SendMessage(WM_KEYDOWN, 'A', 0);
  // 'z' is no command's shortcut, so it reaches the running command.
  view->SendMessage(WM_CHAR, 'z', 0);
  frame->SendMessage(WM_TIMER, 12);
  EXPECT_THAT(rec->log, ElementsAre("ldown:1", "move:0", "move:0", "move:0", "key:65", "char:122", "timer:12"));

  // Page keys zoom the 2D view and never reach the hub.
  rec->log.clear();
  view->SendMessage(WM_KEYDOWN, 0x22, 0);
  EXPECT_NEAR(vs->GetScale(), 10.0 / 0.618, 1e-9);
  view->SendMessage(WM_KEYDOWN, 0x21, 0);
  EXPECT_NEAR(vs->GetScale(), 10.0, 1e-5);
  EXPECT_TRUE(rec->log.empty());
  // The wheel without Shift or Ctrl zooms too.
  view->SendMessage(WM_MOUSEWHEEL, WPARAM(MAKELONG(0, 120)), LPARAM(MAKELONG(200, 200)));
  EXPECT_NEAR(vs->GetScale(), 12.0, 1e-5);
}

TEST_F(ShellTest, ViewCommandsRunFromMenuIdsAcceleratorsAndTheMiddleButton) {
  Start(true);
  ASSERT_TRUE(started);
  CVurode* vs = gGetVurode();
  vs->SetViewRect(CRect(0, 0, 400, 400));
  vs->SetScale(10.0);
  vs->SetOrigin(0.0, 0.0);
  // The "Zoom In" item (PageUp) shrinks the scale as the PageUp key does; "Zoom Out" grows it.
  EXPECT_TRUE(Command(ID_VIEW_ZOOM_IN_MENU));
  EXPECT_NEAR(vs->GetScale(), 10.0 / 1.2, 1e-9);
  EXPECT_TRUE(Command(ID_VIEW_ZOOM_OUT_MENU));
  EXPECT_NEAR(vs->GetScale(), 10.0, 1e-9);
  TestLogTake();

  // F8 through the frame's accelerators: fit to all, past the frame's plug-in maps.
  Draw({{100, 100, 140, 120}});
  MSG msg{};
  msg.hwnd = view->m_hWnd;
  msg.message = WM_KEYDOWN;
  msg.wParam = 0x77;
  EXPECT_TRUE(frame->PreTranslateMessage(&msg));
  COrdvale* hub = gGetOrdvale();
  ASSERT_NE(hub->GetCurCmd(), nullptr);
  EXPECT_EQ(hub->GetCurCmd()->GetID(), ID_VIEW_FIT_ALL);
  for (int i = 0; i < 12 && hub->GetCurCmd(); ++i) frame->SendMessage(WM_TIMER, CViewAnimCmd::kTimer);
  EXPECT_EQ(hub->GetCurCmd(), nullptr);
  double centre[2];
  vs->GetOrigin(centre);
  EXPECT_NEAR(centre[0], 120.0, 1e-6);
  EXPECT_NEAR(centre[1], 110.0, 1e-6);

  // The middle button starts panning.
  view->SendMessage(WM_MBUTTONDOWN, 0x10, LPARAM(MAKELONG(200, 200)));
  ASSERT_NE(hub->GetCurCmd(), nullptr);
  EXPECT_EQ(hub->GetCurCmd()->GetID(), ID_VIEW_PAN);
  hub->CancelCurCmd();
}

TEST_F(ShellTest, UnitAndGridCommandsChangeTheSettingsAndShowTheirState) {
  Start();
  CKXGlobal* g = gGetKXGlobal();
  struct Step {
    UINT id;
    int unit, before;
  };
  // 189 does nothing; choosing the unit in force keeps the recorded previous unit.
  const Step steps[] = {{ID_UNIT_CM, 1, 0}, {ID_UNIT_NONE, 1, 0}, {ID_UNIT_CM, 1, 0}, {ID_UNIT_FEET, 3, 1}, {ID_UNIT_MM, 0, 3}};
  for (const Step& s : steps) {
    SCOPED_TRACE(s.id);
    Command(s.id);
    EXPECT_EQ(g->GetUnit(), s.unit);
    EXPECT_EQ(g->GetUnitBefore(), s.before);
    for (UINT id = ID_UNIT_MM; id <= ID_UNIT_FEET; ++id) {
      CCmdUI ui;
      ui.m_nID = id;
      ASSERT_TRUE(frame->OnCmdMsg(id, CN_UPDATE_COMMAND_UI, &ui, nullptr));
      EXPECT_EQ(ui.m_nCheck, int(id - ID_UNIT_MM) == s.unit ? 1 : 0);
    }
  }
  const int grid = gGetDBase()->GetGridFlag();
  Command(ID_VIEW_GRID);
  EXPECT_NE(gGetDBase()->GetGridFlag(), grid);
  CCmdUI ui;
  ui.m_nID = ID_VIEW_GRID;
  frame->OnCmdMsg(ID_VIEW_GRID, CN_UPDATE_COMMAND_UI, &ui, nullptr);
  EXPECT_EQ(ui.m_nCheck, grid ? 0 : 1);
}

TEST_F(ShellTest, TheTextCommandOwnsCopyCutAndPasteWhileItIsTheMainCommand) {
  struct TextCmd : CCommand {
    TextCmd() : CCommand(0, L"Text") { SetID(40200); }
    int HostType() const override { return 4; }
    int IsEnable(int arg) override { return arg == int(ID_EDIT_PASTE); }
  };
  Start();
  Draw({{0, 0, 1, 1}});
  gGetSelector()->Add(gGetDBase()->GetEntityList().GetHead());
  EXPECT_EQ(Enabled(ID_EDIT_COPY), 1);
  EXPECT_EQ(Enabled(ID_EDIT_PASTE), 0);  // no paste command registered
  auto* text = new TextCmd;
  gGetOrdvale()->RegMainCmd(text);
  gGetOrdvale()->SetCurMainCmd(text);
  EXPECT_EQ(Enabled(ID_EDIT_COPY), 0);
  EXPECT_EQ(Enabled(ID_EDIT_CUT), 0);
  EXPECT_EQ(Enabled(ID_EDIT_PASTE), 1);
  // The drawing's copy does not run: the clipboard stays empty.
  EXPECT_FALSE(doc->Copy());
  EXPECT_FALSE(IsClipboardFormatAvailable(CDraftonDoc::ClipboardFormat()));
}

TEST_F(ShellTest, LoadingADrawingAndStartingANewOneTellTheCommandsToRebuildTheLayers) {
  // The layer command takes the message and rebuilds the tab strip, first layer current.
  Start();
  ASSERT_TRUE(started);
  CKxTabWnd* tabs = frame->GetKxTabWnd();
  ASSERT_NE(tabs, nullptr);
  ASSERT_EQ(gGetLayerTabs(), tabs);
  Draw({{0, 0, 1, 1}});
  ASSERT_GE(tabs->AddLayer(L"second"), 0);
  backend.files = {Path("d.vlm")};
  ASSERT_TRUE(doc->FileSaveAs());
  ASSERT_EQ(tabs->SetCurLayer(1), 1);
  doc->OnNewDocument();
  EXPECT_EQ(tabs->GetCurLayerIndex(), 0);
  EXPECT_EQ(tabs->GetTabNames().size(), size_t(gGetDBase()->GetLayerCount()));
  backend.files = {Path("d.vlm")};
  ASSERT_TRUE(doc->FileOpen());
  EXPECT_EQ(tabs->GetTabNames().size(), 2u);
  EXPECT_EQ(tabs->GetCurLayerIndex(), 0);
  // An empty drawing (its layers, no entity) loads without the message: the tabs are left as
  // they were.
  doc->OnNewDocument();
  doc->SetModifiedFlag();
  backend.files = {Path("empty.vlm")};
  ASSERT_TRUE(doc->FileSaveAs());
  backend.files = {Path("d.vlm")};
  ASSERT_TRUE(doc->FileOpen());
  ASSERT_EQ(tabs->SetCurLayer(1), 1);
  doc->SetModifiedFlag();
  backend.answers = {IDNO};
  backend.files = {Path("empty.vlm")};
  ASSERT_TRUE(doc->FileOpen());
  EXPECT_EQ(gGetDBase()->GetCount(), 0);
  EXPECT_EQ(tabs->GetCurLayerIndex(), 1);
}
