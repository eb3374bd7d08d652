// The view's menu table in the running shell: which command each item runs with which
// sub-command, how items are enabled and checked from the commands' state, the main-command
// switches, the view's own actions, the accelerator table and the animated standard views.
#include "ShellFixture.h"

#include "db/Action.h"
#include "db/DbAidLine.h"
#include "platform/vurode/Camera.h"
#include "platform/vurode/OpenGLDC.h"
#include "platform/win/Menu.h"
#include "platform/win/Window.h"
#include "velmora/ordvale/Command.h"
#include "velmora/ordvale/CommandOps.h"
#include "velmora/ordvale/QMessage.h"
#include "velmora/shell/ViewMenu.h"
#include "velmora/shell/ViewServices.h"

#include <cmath>
#include <functional>
#include <map>
#include <string>

namespace {
// A command whose answers the test sets and whose calls it records.
class Probe : public CCommand, public CTextMainOps, public CNestingOps {
 public:
  Probe(UINT id, int host, int flag, const wchar_t* name = L"Probe") : CCommand(flag, name), m_host(host) { SetID(id); }
  int HostType() const override { return m_host; }
  int IsEnable(int arg) override {
    lastEnableArg = arg;
    return enableFor ? enableFor(arg) : enable;
  }
  int StartUp(int sub) override {
    CCommand::StartUp(sub);
    starts.push_back(sub);
    return 1;
  }
  int OnKeyDown(UINT key, UINT repeat, UINT flags) override {
    log.push_back("key:" + std::to_string(key) + "," + std::to_string(repeat) + "," + std::to_string(flags));
    return 1;
  }
  int OnChar(UINT ch, UINT, UINT) override {
    log.push_back("char:" + std::to_string(ch));
    return 1;
  }
  int OnMessage(QMessage* msg) override {
    log.push_back("message:" + std::to_string(msg->type) + "," + std::to_string(msg->code));
    return takesMessages;
  }
  int OnUpdateMessage(QMessage* msg, CCmdUI* ui) override {
    // The node command greys the odd operations.
    ui->Enable(msg->code % 2 == 0);
    return 1;
  }
  void OnFill() override { log.push_back("fill"); }
  void StartInsSign() override { log.push_back("sign"); }
  int IsEditStateSet() const override { return editState; }
  int InputChar(UINT ch) override {
    log.push_back("text:" + std::to_string(ch));
    return 1;
  }
  void AddStock() override { log.push_back("stock"); }
  void AddPart() override { log.push_back("part"); }
  void RemovePart() override { log.push_back("remove"); }
  void MirrorPart(int axis) override { log.push_back("mirror:" + std::to_string(axis)); }
  void SetDownPart(int down) override { log.push_back("down:" + std::to_string(down)); }

  int enable = 1;
  std::function<int(int)> enableFor;
  int lastEnableArg = -99;
  int editState = 0;
  int takesMessages = 1;
  std::vector<int> starts;
  std::vector<std::string> log;

 private:
  int m_host;
};

// An entity of a chosen base type and kind.
class Thing : public CDbEntity {
 public:
  explicit Thing(int base, int kind = 0) : m_base(base) { SetKind(kind); }
  int GetType() const override { return DB_ENT_CURVE; }
  int GetBaseType() const override { return m_base; }
  CDbEntity* Copy() const override { return new Thing(m_base, GetKind()); }

 private:
  int m_base;
};

struct UiState {
  bool handled;
  int enabled;  // 1, 0
  int check;
};

class ViewMenuTest : public ShellTest {
 public:
  // The cases' set-up steps reach these through the fixture.
  using ShellTest::frame;
  using ShellTest::view;

 protected:
  void SetUp() override {
    ShellTest::SetUp();
    Start();
    ASSERT_TRUE(started);
    // A hub of probes only: the program's own commands would answer the same ids.
    m_prevHub = gGetOrdvale();
    ASSERT_NE(m_prevHub, nullptr);
    gSetOrdvale(&m_probeHub);
    hub = &m_probeHub;
    hub->SetSelector(gGetSelector());
    // Application commands under the ids the menus use.
    for (UINT id : {32777u, 32778u, 32774u, 32786u, 32795u, 32801u, 32819u, 32862u, 32897u, 32917u, 32978u, 33164u,
                    32996u, 32784u, 32773u})
      app[id] = Reg(new Probe(id, 2, 0));
    app[33000] = Reg(new Probe(33000, 2, 0, L"Interactive Nesting"));
    for (UINT id : {ID_MODE_SELECTION, ID_MODE_NODE, ID_MODE_TEXT, ID_MODE_SYMBOL_LIBRARY}) {
      auto* p = new Probe(id, id == ID_MODE_TEXT ? 4 : 1, 0x8);
      hub->RegMainCmd(p);
      main[id] = p;
    }
    hub->SetCurMainCmd(main[ID_MODE_SELECTION]);
    vs = gGetVurode();
    vs->SetViewRect(CRect(0, 0, 400, 300));
    gSetOpenGLDC(&gl);
    gl.GetCamera().set_screen(400, 300);
  }
  void TearDown() override {
    gViewServices() = ViewServices{};
    m_probeHub.CancelCurCmd();
    if (m_prevHub) gSetOrdvale(m_prevHub);
    ShellTest::TearDown();
  }

 public:
  Probe* Reg(Probe* p) {
    hub->RegAppCmd(p);
    return p;
  }
  UiState Update(UINT id, BOOL enabledBefore = TRUE) {
    CCmdUI ui;
    ui.m_nID = id;
    ui.m_bEnabled = enabledBefore;
    const BOOL handled = frame->OnCmdMsg(id, CN_UPDATE_COMMAND_UI, &ui, nullptr);
    return {handled != FALSE, ui.m_bEnabled ? 1 : 0, ui.m_nCheck};
  }
  // Runs an application command as the current one with a sub-command.
  void Current(UINT id, int sub) {
    hub->RunAppCmd(app[id], sub);
    app[id]->starts.clear();
  }
  void Reset() {
    hub->CancelCurCmd();
    hub->SetCurMainCmd(main[ID_MODE_SELECTION]);
    for (auto& [id, p] : app) {
      p->enable = 1;
      p->enableFor = nullptr;
      p->starts.clear();
      p->log.clear();
    }
    gGetSelector()->RemoveAll(1);
    vs->SetView2D();
    vs->ClearViewStack();
  }

  COrdvale m_probeHub;
  COrdvale* m_prevHub = nullptr;
  COrdvale* hub = nullptr;
  CVurode* vs = nullptr;
  COpenGLDC gl;
  std::map<UINT, Probe*> app, main;
};
}  // namespace

TEST_F(ViewMenuTest, ItemsRunTheirCommandWithTheSubCommandOfTheItem) {
  struct Case {
    UINT item, cmd;
    int sub;
  };
  const Case cases[] = {
      {32777, 32777, 0},  {32780, 32777, 1},  {32781, 32777, 2},  {32943, 32777, 0},  {32778, 32778, -1},
      {32774, 32774, 0},  {32787, 32786, 0},  {32789, 32786, 2},  {32791, 32786, 4},  {32942, 32786, 0},
      {32795, 32795, 0},  {32799, 32801, 0},  {32800, 32801, 1},  {32801, 32801, 2},  {32820, 32819, 1},
      {32824, 32819, 12}, {32825, 32819, 6},  {32826, 32819, 5},  {32831, 32819, 11}, {32863, 32862, 0},
      {32866, 32862, 3},  {32997, 32862, 4},  {33077, 32862, 5},  {32897, 32897, 1},  {32899, 32897, 3},
      {32917, 32917, 0},  {32920, 32917, 3},  {32978, 32978, 1},  {32980, 32978, 3},  {33164, 33164, 1},
      {33165, 33164, 2},  {33155, 32996, 1},  {32996, 32996, 0},  {32784, 32784, 0},  {32773, 32773, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.item);
    Reset();
    EXPECT_TRUE(Command(c.item));
    EXPECT_EQ(app[c.cmd]->starts, std::vector<int>{c.sub});
    EXPECT_EQ(hub->GetCurCmd(), app[c.cmd]);
  }
  // An item whose command is not registered does nothing.
  Reset();
  EXPECT_TRUE(Command(32782));
  EXPECT_EQ(hub->GetCurCmd(), nullptr);
}

TEST_F(ViewMenuTest, RepeatRunsThePreviousCommandsWithTheirOwnSubCommand) {
  Reset();
  Command(32789);  // arc, sub-command 2
  Command(32780);  // rectangle, sub-command 1
  hub->CancelCurCmd();
  app[32786]->starts.clear();
  app[32777]->starts.clear();
  EXPECT_EQ(Update(ID_EDIT_REPEAT).enabled, 1);
  Command(ID_EDIT_REPEAT);
  EXPECT_EQ(app[32777]->starts, std::vector<int>{1});
  Command(ID_EDIT_REPEAT_BEFORE);
  EXPECT_EQ(app[32786]->starts, std::vector<int>{2});
  // "Exactly 1": a command answering 2 is not repeatable.
  app[32786]->enable = 2;
  EXPECT_EQ(Update(ID_EDIT_REPEAT).enabled, 0);
}

TEST_F(ViewMenuTest, UpdateHandlersFollowTheCommandState) {
  struct Case {
    const char* name;
    UINT id;
    std::function<void(ViewMenuTest&)> setup;
    int enabled, check;
    BOOL before = TRUE;
  };
  auto sel = [](int base, int kind = 0) {
    return [base, kind](ViewMenuTest& t) {
      auto* e = new Thing(base, kind);
      gGetDBase()->AddTail(e);
      gGetSelector()->Add(e);
      (void)t;
    };
  };
  const Case cases[] = {
      {"rectangle current with 0", 32777, [](ViewMenuTest& t) { t.Current(32777, 0); }, 1, 1},
      {"fillet rectangle current", 32780, [](ViewMenuTest& t) { t.Current(32777, 1); }, 1, 1},
      {"chamfer item, fillet running", 32781, [](ViewMenuTest& t) { t.Current(32777, 1); }, 1, 0},
      {"rectangle disabled", 32777, [](ViewMenuTest& t) { t.app[32777]->enable = 0; }, 0, 0},
      {"ellipse current", 32778, [](ViewMenuTest& t) { t.Current(32778, -1); }, 1, 1},
      {"item without command asks the rectangle", 32783, [](ViewMenuTest& t) { t.app[32777]->enable = 0; }, 0, 0},
      {"line not current", 32774, [](ViewMenuTest& t) { t.Current(32777, 0); }, 1, 0},
      {"line current", 32774, [](ViewMenuTest& t) { t.Current(32774, 0); }, 1, 1},
      {"arc item of the running variant", 32790, [](ViewMenuTest& t) { t.Current(32786, 3); }, 1, 1},
      {"arc item of another variant", 32787, [](ViewMenuTest& t) { t.Current(32786, 3); }, 1, 0},
      {"arc button, any variant", 32942, [](ViewMenuTest& t) { t.Current(32786, 3); }, 1, 1},
      {"rectangle button", 32943, [](ViewMenuTest& t) { t.Current(32777, 2); }, 1, 1},
      {"mirror disabled", 32799, [](ViewMenuTest& t) { t.app[32801]->enable = 0; }, 0, 0},
      {"axis mirror with a picture selected", 32799, sel(0x100), 1, 0, FALSE},
      {"line mirror with a 3D curve selected", 32801, sel(0x20), 0, 0},
      {"line mirror otherwise left as it is", 32801, sel(0x2), 0, 0, FALSE},
      {"mirror current variant", 32800, [](ViewMenuTest& t) { t.Current(32801, 1); }, 1, 1},
      {"align", 32830, [](ViewMenuTest& t) { t.app[32819]->enable = 0; }, 0, 0},
      {"image edit", 33077, [](ViewMenuTest& t) { t.app[32862]->enable = 0; }, 0, 0},
      {"slice current", 32898, [](ViewMenuTest& t) { t.Current(32897, 2); }, 1, 1},
      {"slice disabled", 32898, [](ViewMenuTest& t) { t.app[32897]->enable = 0; }, 0, 0},
      {"ellipse slice current", 32980, [](ViewMenuTest& t) { t.Current(32978, 3); }, 1, 1},
      {"circular duplication current", 33165, [](ViewMenuTest& t) { t.Current(33164, 2); }, 1, 1},
      {"join asks with 3", 32917, [](ViewMenuTest& t) { t.app[32917]->enableFor = [](int a) { return a == 3; }; }, 1, 0},
      {"subtract asks with 1", 32919, [](ViewMenuTest& t) { t.app[32917]->enableFor = [](int a) { return a == 3; }; }, 0, 0},
      {"common current", 32918, [](ViewMenuTest& t) { t.Current(32917, 1); }, 1, 1},
      {"not common while common runs", 32920, [](ViewMenuTest& t) { t.Current(32917, 1); }, 1, 0},
      {"line fit needs exactly 1", 33155, [](ViewMenuTest& t) { t.app[32996]->enable = 2; }, 0, 0},
      {"line fit", 33155, [](ViewMenuTest&) {}, 1, 0},
      {"rapid input through the hub, current", 32784, [](ViewMenuTest& t) { t.Current(32784, 0); }, 1, 1},
      {"lock through the hub, disabled", 32773, [](ViewMenuTest& t) { t.app[32773]->enable = 0; }, 0, 0},
      {"selection tools current", ID_MODE_SELECTION, [](ViewMenuTest&) {}, 1, 1},
      {"node tools not current", ID_MODE_NODE, [](ViewMenuTest&) {}, 1, 0},
      {"undo while a command without 0x10 runs", ID_EDIT_UNDO,
       [](ViewMenuTest& t) {
         auto* a = new CAction(1, CString(L"Add"));
         a->AddNewEnt(new Thing(2));
         kxInsertActionIntoManager(a);
         t.Current(32774, 0);
       },
       0, 0},
      {"undo while a command with 0x10 runs", ID_EDIT_UNDO,
       [](ViewMenuTest& t) {
         auto* a = new CAction(1, CString(L"Add"));
         a->AddNewEnt(new Thing(2));
         kxInsertActionIntoManager(a);
         t.app[32774]->SetFlag(0x10);
         t.Current(32774, 0);
       },
       1, 0},
      {"redo with nothing undone", ID_EDIT_REDO, [](ViewMenuTest&) {}, 0, 0},
      {"inverse selection, empty selection", ID_EDIT_INVERSE_SELECTION, [](ViewMenuTest&) {}, 0, 0},
      {"hide with a selection", ID_EDIT_HIDE_OBJECT, sel(2), 1, 0},
      {"show without hidden objects", ID_EDIT_SHOW_OBJECT, [](ViewMenuTest&) {}, 0, 0},
      {"show with a hidden object",
       ID_EDIT_SHOW_OBJECT,
       [](ViewMenuTest&) {
         auto* e = new Thing(2);
         e->SetVisible(0);
         gGetDBase()->AddTail(e);
       },
       1, 0},
      {"fill with an open curve selected", ID_VIEW_FILL, sel(2, 0), 0, 0},
      {"fill with a closed outline selected", ID_VIEW_FILL, sel(2, 0x2), 1, 0},
      {"3D view in 2D", ID_VIEW_3D, [](ViewMenuTest&) {}, 1, 0},
      {"3D view checked in 3D", ID_VIEW_3D, [](ViewMenuTest& t) { t.vs->SetView3D(); }, 1, 1},
      {"3D view under a main command without 0x8", ID_VIEW_3D,
       [](ViewMenuTest& t) {
         t.main[ID_MODE_NODE]->SetFlag(0);
         t.hub->SetCurMainCmd(t.main[ID_MODE_NODE]);
       },
       0, 0},
      {"3D view under the selection tools without 0x8", ID_VIEW_3D,
       [](ViewMenuTest& t) { t.main[ID_MODE_SELECTION]->SetFlag(0); }, 1, 0},
      {"standard view in 2D", ID_VIEW_TOP, [](ViewMenuTest&) {}, 0, 0},
      {"standard view in 3D", ID_VIEW_ISO, [](ViewMenuTest& t) { t.vs->SetView3D(); }, 1, 0},
      {"rotate view in 2D", ID_VIEW_ROTATE, [](ViewMenuTest&) {}, 0, 0},
      {"prev view, empty 2D stack", 32811, [](ViewMenuTest&) {}, 0, 0},
      {"prev view after a 2D change", 32811, [](ViewMenuTest& t) { t.vs->PushViewPara(); }, 1, 0},
      {"prev view, empty 3D stack", 32811, [](ViewMenuTest& t) { t.vs->SetView3D(); t.vs->PushViewPara(); }, 0, 0},
      {"zoom window in 3D with zoom disabled", 32806,
       [](ViewMenuTest& t) {
         t.vs->SetView3D();
         t.view->SetZoomEnable(FALSE);
       },
       0, 0},
      {"pan in 3D with zoom disabled", 32805,
       [](ViewMenuTest& t) {
         t.vs->SetView3D();
         t.view->SetZoomEnable(FALSE);
       },
       1, 0},
      {"guide lines shown", ID_VIEW_GUIDELINES, [](ViewMenuTest&) {}, 1, 1},
      {"guide lines hidden", ID_VIEW_GUIDELINES, [](ViewMenuTest&) { gGetDBase()->SetDbAidLineVisibility(0); }, 1,
       0},
      {"select by type, empty drawing", ID_EDIT_SELECT_BY_TYPE, [](ViewMenuTest&) {}, 0, 0},
      {"insert symbol outside the text tools", ID_TEXT_INSERT_SYMBOL, [](ViewMenuTest&) {}, 0, 0},
      {"insert symbol, text tools without edit state", ID_TEXT_INSERT_SYMBOL,
       [](ViewMenuTest& t) { t.hub->SetCurMainCmd(t.main[ID_MODE_TEXT]); }, 0, 0},
      {"insert symbol, text tools editing", ID_TEXT_INSERT_SYMBOL,
       [](ViewMenuTest& t) {
         t.main[ID_MODE_TEXT]->editState = 1;
         t.hub->SetCurMainCmd(t.main[ID_MODE_TEXT]);
       },
       1, 0},
      {"node item outside node editing", 32871, [](ViewMenuTest&) {}, 0, 0},
      {"node item the node command allows", 32872,
       [](ViewMenuTest& t) { t.hub->SetCurMainCmd(t.main[ID_MODE_NODE]); }, 1, 0},
      {"node item the node command greys", 32871,
       [](ViewMenuTest& t) { t.hub->SetCurMainCmd(t.main[ID_MODE_NODE]); }, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Reset();
    main[ID_MODE_SELECTION]->SetFlag(0x8);
    main[ID_MODE_NODE]->SetFlag(0x8);
    app[32774]->SetFlag(0);
    view->SetZoomEnable(TRUE);
    while (gl.PopViewPara()) {
    }
    gGetDBase()->SetDbAidLineVisibility(1);
    kxCreateAllManager();
    gGetActManager()->Reset();
    gGetDBase()->DeleteAllEntity();
    c.setup(*this);
    const UiState s = Update(c.id, c.before);
    EXPECT_TRUE(s.handled);
    EXPECT_EQ(s.enabled, c.enabled);
    EXPECT_EQ(s.check, c.check);
  }
}

TEST_F(ViewMenuTest, MainCommandSwitchesAndEsc) {
  Reset();
  std::vector<UINT> told;
  gViewServices().toolBarCurCmd = [&told](UINT id) { told.push_back(id); };
  // Node Tools from selection mode switches and cancels what runs.
  Current(32774, 0);
  Command(ID_MODE_NODE);
  EXPECT_EQ(hubGetMainCmdID(), ID_MODE_NODE);
  EXPECT_EQ(hub->GetCurCmd(), nullptr);
  // Chosen again while node editing runs: back to selection, and the running command ends too.
  Current(32774, 0);
  Command(ID_MODE_NODE);
  EXPECT_EQ(hubGetMainCmdID(), ID_MODE_SELECTION);
  EXPECT_EQ(hub->GetCurCmd(), nullptr);
  EXPECT_EQ(Update(ID_MODE_SELECTION).check, 1);
  EXPECT_EQ(told, std::vector<UINT>{ID_MODE_SELECTION});
  // Text tools and the symbol library toggle with selection mode.
  for (UINT id : {ID_MODE_TEXT, ID_MODE_SYMBOL_LIBRARY}) {
    Command(id);
    EXPECT_EQ(hubGetMainCmdID(), id);
    Command(id);
    EXPECT_EQ(hubGetMainCmdID(), ID_MODE_SELECTION);
  }
  // Esc outside selection mode returns to it.
  Command(ID_MODE_TEXT);
  Command(ID_KEY_ESC);
  EXPECT_EQ(hubGetMainCmdID(), ID_MODE_SELECTION);
  // In selection mode: the first Esc only cancels the running command, the second clears the
  // selection.
  auto* e = new Thing(2);
  gGetDBase()->AddTail(e);
  gGetSelector()->Add(e);
  Current(32774, 0);
  Command(ID_KEY_ESC);
  EXPECT_EQ(hub->GetCurCmd(), nullptr);
  EXPECT_EQ(gGetSelector()->GetCount(), 1);
  Command(ID_KEY_ESC);
  EXPECT_TRUE(gGetSelector()->IsEmpty());
}

TEST_F(ViewMenuTest, UndoGoesToARunningCommandThatKeepsItsOwnSteps) {
  Reset();
  auto* a = new CAction(1, CString(L"Add"));
  a->AddNewEnt(new Thing(2));
  kxInsertActionIntoManager(a);
  ASSERT_EQ(gGetDBase()->GetCount(), 1);
  // A drawing command without 0x10: the undo is its own (message 6); the history stays.
  Current(32774, 0);
  Command(ID_EDIT_UNDO);
  EXPECT_EQ(app[32774]->log, std::vector<std::string>{"message:6,0"});
  EXPECT_EQ(gGetDBase()->GetCount(), 1);
  EXPECT_TRUE(gGetActManager()->CanUndo());
  // With 0x10 the manager undoes, and the command keeps running.
  app[32774]->SetFlag(0x10);
  Command(ID_EDIT_UNDO);
  EXPECT_EQ(gGetDBase()->GetCount(), 0);
  EXPECT_EQ(hub->GetCurCmd(), app[32774]);
  // Redo needs 0x20 while a command runs.
  Command(ID_EDIT_REDO);
  EXPECT_EQ(gGetDBase()->GetCount(), 0);
  hub->CancelCurCmd();
  auto* s = new Thing(2);
  gGetDBase()->AddTail(s);
  gGetSelector()->Add(s);
  Command(ID_EDIT_REDO);
  EXPECT_EQ(gGetDBase()->GetCount(), 2);
  EXPECT_TRUE(gGetSelector()->IsEmpty());
}

TEST_F(ViewMenuTest, SelectionActionsTakeOnlyEligibleEntities) {
  Reset();
  CDBase* db = gGetDBase();
  gGetActManager()->Reset();
  db->DeleteAllEntity();
  auto add = [db](CDbEntity* e) {
    db->AddTail(e);
    return e;
  };
  CDbEntity* plain = add(new Thing(2));
  CDbEntity* closed = add(new Thing(2, 0x2));
  CDbEntity* system = add(new Thing(2));
  system->SetSystem(1);
  CDbEntity* hidden = add(new Thing(2));
  hidden->SetVisible(0);
  CDbEntity* locked = add(new Thing(2));
  locked->SetLock(1);
  add(new CDbAidLine(3.0, 0, 1));
  CDbEntity* filtered = add(new Thing(2, 0x40));
  db->SetFilterMask(0x40);
  auto selected = [] {
    std::vector<const CDbEntity*> out;
    for (POSITION p = gGetSelector()->GetList().GetHeadPosition(); p;) out.push_back(gGetSelector()->GetList().GetNext(p));
    return out;
  };

  // Only in selection mode.
  hub->SetCurMainCmd(main[ID_MODE_TEXT]);
  Command(ID_EDIT_SELECT_ALL);
  EXPECT_TRUE(gGetSelector()->IsEmpty());
  hub->SetCurMainCmd(main[ID_MODE_SELECTION]);
  Command(ID_EDIT_SELECT_ALL);
  EXPECT_EQ(selected(), (std::vector<const CDbEntity*>{plain, closed}));
  (void)filtered;

  gGetSelector()->RemoveAll(1);
  gGetSelector()->Add(plain);
  Command(ID_EDIT_INVERSE_SELECTION);
  EXPECT_EQ(selected(), std::vector<const CDbEntity*>{closed});

  // Filled display toggles the outlines that can be filled.
  gGetSelector()->Add(plain);
  Command(ID_VIEW_FILL);
  EXPECT_EQ(closed->IsFill(), 1);
  EXPECT_EQ(plain->IsFill(), 0);
  // Under the text tools the text command fills instead.
  hub->SetCurMainCmd(main[ID_MODE_TEXT]);
  Command(ID_VIEW_FILL);
  EXPECT_EQ(closed->IsFill(), 1);
  EXPECT_EQ(main[ID_MODE_TEXT]->log, std::vector<std::string>{"fill"});
  hub->SetCurMainCmd(main[ID_MODE_SELECTION]);

  // Hide the selection, then show every hidden entity again.
  Command(ID_EDIT_HIDE_OBJECT);
  EXPECT_EQ(plain->IsVisible(), 0);
  EXPECT_EQ(closed->IsVisible(), 0);
  EXPECT_TRUE(gGetSelector()->IsEmpty());
  EXPECT_EQ(Update(ID_EDIT_SHOW_OBJECT).enabled, 1);
  Command(ID_EDIT_SHOW_OBJECT);
  EXPECT_EQ(db->GetInvisibleCount(), 0);
  EXPECT_EQ(hidden->IsVisible(), 1);
}

TEST_F(ViewMenuTest, NodeAndNestingItemsReachTheirCommands) {
  Reset();
  // The hub offers messages to the main commands in turn: selection mode lets them pass.
  main[ID_MODE_SELECTION]->takesMessages = 0;
  hub->SetCurMainCmd(main[ID_MODE_NODE]);
  Command(32975);  // Fillet
  Command(32936);  // Start Point
  EXPECT_EQ(main[ID_MODE_NODE]->log, (std::vector<std::string>{"message:0,16", "message:0,10"}));

  Probe* nest = app[33000];
  for (UINT id : {33008u, 33009u, 33010u, 33011u, 33012u}) Command(id);
  EXPECT_EQ(nest->log,
            (std::vector<std::string>{"stock", "part", "remove", "mirror:1", "down:1", "mirror:2", "down:1"}));
  // Exit: what runs is cancelled and selection mode comes back.
  Current(32774, 0);
  Command(33007);
  EXPECT_EQ(hub->GetCurCmd(), nullptr);
  EXPECT_EQ(hubGetMainCmdID(), ID_MODE_SELECTION);

  // Insert Text symbol only under the text tools.
  Probe* text = main[ID_MODE_TEXT];
  Command(ID_TEXT_INSERT_SYMBOL);
  EXPECT_TRUE(text->log.empty());
  hub->SetCurMainCmd(text);
  Command(ID_TEXT_INSERT_SYMBOL);
  EXPECT_EQ(text->log, std::vector<std::string>{"sign"});
}

TEST_F(ViewMenuTest, HelpToolsToolbarsAndPanelGoThroughTheirServices) {
  Reset();
  std::vector<std::wstring> opened;
  gViewServices().openHelp = [&opened](const CString& f) { opened.push_back(L"help:" + std::wstring(f.GetString())); };
  gViewServices().openTool = [&opened](UINT id) { opened.push_back(L"tool:" + std::to_wstring(id)); };
  std::map<UINT, int> bars = {{ID_VIEW_ALIGN_BAR, 1}, {ID_VIEW_EDIT_BAR, 0}};
  gViewServices().toolBarState = [&bars](UINT id) { return bars.count(id) ? bars[id] : -1; };
  gViewServices().showToolBar = [&bars](UINT id, bool show) { bars[id] = show; };
  bool panel = false;
  gViewServices().designCentreVisible = [&panel] { return panel; };
  gViewServices().toggleDesignCentre = [&panel] { panel = !panel; };

  // F1 goes to a running command as a key press; otherwise the help file opens.
  Current(32774, 0);
  Command(ID_HELP_FINDER);
  EXPECT_EQ(app[32774]->log, std::vector<std::string>{"key:112,1,1"});
  EXPECT_TRUE(opened.empty());
  hub->CancelCurCmd();
  Command(ID_HELP_FINDER);
  for (UINT id : {ID_TOOL_CALCULATOR, ID_TOOL_NOTEPAD, ID_TOOL_PAINT, ID_HELP_WEB}) Command(id);
  const std::wstring help = L"help:" + std::wstring(gGetApplicationPath().GetString()) + L"/helpEng.chm";
  EXPECT_EQ(opened, (std::vector<std::wstring>{help, L"tool:32900", L"tool:32901", L"tool:32972", L"tool:33180"}));

  // Toolbar items flip their bar and show its state in selection mode only.
  EXPECT_EQ(Update(ID_VIEW_ALIGN_BAR).check, 1);
  EXPECT_EQ(Update(ID_VIEW_EDIT_BAR).check, 0);
  EXPECT_EQ(Update(ID_VIEW_TRANSFORM_BAR).check, 0);  // no such bar
  Command(ID_MODE_TEXT);
  EXPECT_EQ(Update(ID_VIEW_ALIGN_BAR).check, 0);
  Command(ID_VIEW_ALIGN_BAR);  // back to selection first
  EXPECT_EQ(hubGetMainCmdID(), ID_MODE_SELECTION);
  EXPECT_EQ(bars[ID_VIEW_ALIGN_BAR], 0);
  Command(ID_VIEW_TRANSFORM_BAR);  // absent: nothing to flip

  // The design centre shows and hides; the selection is cleared each time.
  auto* e = new Thing(2);
  gGetDBase()->AddTail(e);
  gGetSelector()->Add(e);
  Command(ID_VIEW_DESIGN_CENTRAL);
  EXPECT_TRUE(panel);
  EXPECT_TRUE(gGetSelector()->IsEmpty());
  EXPECT_EQ(Update(ID_VIEW_DESIGN_CENTRAL).check, 1);
}

TEST_F(ViewMenuTest, ThreeDSwitchHidesAndRestoresTheRulers) {
  Reset();
  bool rulers = true;
  gViewServices().rulersVisible = [&rulers] { return rulers; };
  gViewServices().showRulers = [&rulers](bool show) { rulers = show; };
  gGetKXGlobal()->SetRulersShown(TRUE);
  vs->SetViewRect(CRect(10, 20, 410, 320));
  Command(ID_VIEW_3D);
  EXPECT_TRUE(vs->IsView3D());
  EXPECT_FALSE(rulers);
  EXPECT_TRUE(view->IsTipShown());
  EXPECT_EQ(view->GetTipPoint(), CPoint(10, 37));
  // Back to 2D only while no command runs or the running one allows it (0x4).
  Current(32774, 0);
  Command(ID_VIEW_3D);
  EXPECT_TRUE(vs->IsView3D());
  app[32774]->SetFlag(0x4);
  Command(ID_VIEW_3D);
  EXPECT_TRUE(vs->IsView2D());
  EXPECT_TRUE(rulers);
  // A main command without 0x8 never enters 3D, except the selection tools.
  hub->CancelCurCmd();
  main[ID_MODE_NODE]->SetFlag(0);
  hub->SetCurMainCmd(main[ID_MODE_NODE]);
  Command(ID_VIEW_3D);
  EXPECT_TRUE(vs->IsView2D());
  main[ID_MODE_SELECTION]->SetFlag(0);
  hub->SetCurMainCmd(main[ID_MODE_SELECTION]);
  Command(ID_VIEW_3D);
  EXPECT_TRUE(vs->IsView3D());
  Command(ID_VIEW_3D);
  EXPECT_TRUE(vs->IsView2D());
  main[ID_MODE_NODE]->SetFlag(0x8);

  // Surface display modes mark the display lists stale when they change.
  vs->SetSrfShowMode(0);
  gGetDBase()->SetListDone(1);
  Command(ID_VIEW_RENDER);
  EXPECT_EQ(gGetDBase()->IsListDone(), 1);
  Command(ID_VIEW_WIREFRAME);
  EXPECT_EQ(vs->GetSrfShowMode(), 2u);
  EXPECT_EQ(gGetDBase()->IsListDone(), 0);
}

TEST_F(ViewMenuTest, AcceleratorTableInOrder) {
  struct Row {
    BYTE fVirt;
    WORD key;
    WORD cmd;
  };
  constexpr BYTE V = FVIRTKEY, C = FCONTROL, A = FALT, S = FSHIFT;
  const Row expected[] = {
      {V | C, 'B', 33072},      {V | C, 'E', 33073},      {A, '.', 32825},          {V | C, 0x62, 32823},
      {V | C, 0x65, 32824},     {V | C, 0x64, 32820},     {A, ',', 32826},          {V | C, 0x66, 32821},
      {V | C | A, 'A', 32831},  {V | C | A, 'W', 32829},  {V | C | A, 'H', 32830},  {A, '[', 32827},
      {A, ']', 32828},          {V | C, 0x68, 32822},     {V | C, 'G', 32926},      {V | C, 'C', 57634},
      {V | C, 0x2D, 57634},     {V | C, 'X', 57635},      {V | C, 'U', 32927},      {V | C, 'V', 57637},
      {V | S, 0x2D, 57637},     {V | C, 'Y', 57644},      {V | C, 'A', 32928},      {V | C, 'I', 32929},
      {V | C, 'Z', 57643},      {V, 0x1B, 32850},         {V | C, 'R', 32848},      {V | C, 'N', 57600},
      {V | C, 'O', 57601},      {V | C, 'P', 57607},      {V | C, 'S', 57603},      {V | C | S, 'S', 57604},
      {V | C, 'M', 32849},      {V | A, '2', 32814},      {V | A, '4', 32947},      {V | A, '1', 32802},
      {V | A, '3', 32946},      {V | A, '5', 33044},      {V | C, 'F', 32867},      {V, 0x0D, 32816},
      {V | C, 'K', 32854},      {V | C, 'T', 32855},      {V, 0x70, 32954},         {V, 0x79, 32805},
      {V, 0x7A, 32811},         {V, 0x74, 32991},         {V, 0x75, 32806},         {V, 0x77, 32810},
      {V, 0x76, 32807},         {V, 0x78, 32812},         {V | S, 'H', 32799},      {V | S, 'V', 33172},
  };
  int n = 0;
  const ACCEL* table = ShellAccelerators(&n);
  ASSERT_EQ(n, 52);
  ASSERT_EQ(int(std::size(expected)), 52);
  for (int i = 0; i < n; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(table[i].fVirt, expected[i].fVirt);
    EXPECT_EQ(table[i].key, expected[i].key);
    EXPECT_EQ(table[i].cmd, expected[i].cmd);
  }
}

TEST_F(ViewMenuTest, ShiftLetterIsTypedTextUnderTheTextToolsAndAnAcceleratorOtherwise) {
  Reset();
  MSG msg{};
  msg.hwnd = view->m_hWnd;
  msg.message = WM_KEYDOWN;
  msg.wParam = 'H';
  velmora::win::SetKeyDown(VK_SHIFT, true);
  // Selection mode: Shift+H mirrors horizontally.
  EXPECT_TRUE(frame->PreTranslateMessage(&msg));
  EXPECT_EQ(app[32801]->starts, std::vector<int>{0});
  hub->CancelCurCmd();
  app[32801]->starts.clear();
  // Text tools: the key stays a key, so the capital letter reaches the text.
  hub->SetCurMainCmd(main[ID_MODE_TEXT]);
  EXPECT_FALSE(frame->PreTranslateMessage(&msg));
  EXPECT_TRUE(app[32801]->starts.empty());
  // Ctrl+Shift+S is no typed letter: it still saves as.
  velmora::win::SetKeyDown(VK_CONTROL, true);
  msg.wParam = 'S';
  EXPECT_FALSE(viewIsTypedLetter(&msg));
  velmora::win::SetKeyDown(VK_CONTROL, false);
  // Without Shift a letter is no accelerator anyway, and other keys keep theirs (Esc).
  velmora::win::SetKeyDown(VK_SHIFT, false);
  msg.wParam = 'H';
  EXPECT_FALSE(viewIsTypedLetter(&msg));
  msg.wParam = VK_ESCAPE;
  EXPECT_TRUE(frame->PreTranslateMessage(&msg));
  EXPECT_EQ(hubGetMainCmdID(), ID_MODE_SELECTION);
}

// Under the text tools every printable character, accented or not Latin at all, goes to the text
// command (a shortcut letter starts no command then); control characters go nowhere. Other main
// commands hand characters to the hub, where a shortcut letter starts its command.
TEST_F(ViewMenuTest, TypedCharactersGoToTheTextToolsAndThroughTheHubOtherwise) {
  Reset();
  app[32774]->SetShortCut(L"L");
  hub->SetCurMainCmd(main[ID_MODE_TEXT]);
  main[ID_MODE_TEXT]->log.clear();
  for (UINT ch : {UINT('l'), UINT('H'), 0x08u, 0x1Bu, 0x7Fu, 0xE9u, 0x4E2Du, 0x1F600u, 0x110000u})
    view->SendMessage(WM_CHAR, ch, 1);
  EXPECT_EQ(main[ID_MODE_TEXT]->log,
            (std::vector<std::string>{"text:108", "text:72", "text:233", "text:20013", "text:128512"}));
  EXPECT_TRUE(app[32774]->starts.empty());
  EXPECT_EQ(hub->GetCurCmd(), nullptr);
  hub->SetCurMainCmd(main[ID_MODE_SELECTION]);
  view->SendMessage(WM_CHAR, 'l', 1);
  EXPECT_EQ(app[32774]->starts, std::vector<int>{0});
  EXPECT_EQ(main[ID_MODE_TEXT]->log.size(), 5u);
}

TEST_F(ViewMenuTest, StandardViewsAnimateToTheirClosedFormDirections) {
  struct Case {
    UINT id;
    double dir[3];  // from the eye towards the reference point
    double up[3];
  };
  const double s = 1 / std::sqrt(3.0);
  // Iso: looking along (-1, 1, -1); its screen up is the world z made perpendicular to that.
  const double isoUp[3] = {-1 / std::sqrt(6.0), 1 / std::sqrt(6.0), 2 / std::sqrt(6.0)};
  const Case cases[] = {
      {ID_VIEW_FRONT, {0, 1, 0}, {0, 0, 1}},   {ID_VIEW_BACK, {0, -1, 0}, {0, 0, 1}},
      {ID_VIEW_TOP, {0, 0, -1}, {0, 1, 0}},    {ID_VIEW_BOTTOM, {0, 0, 1}, {0, 1, 0}},
      {ID_VIEW_RIGHT, {-1, 0, 0}, {0, 0, 1}},  {ID_VIEW_LEFT, {1, 0, 0}, {0, 0, 1}},
      {ID_VIEW_ISO, {-s, s, -s}, {isoUp[0], isoUp[1], isoUp[2]}},
  };
  gGetKXGlobal()->SetAnimateView(TRUE);
  CStdViewAnimation& anim = frame->GetViewAnimation();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.id);
    Reset();
    vs->SetView3D();
    const double eye[3] = {10, -20, 30}, ref[3] = {1, 2, 3}, up[3] = {0, 0, 1};
    gl.GetCamera().set_view(eye, ref, up);
    const double dist = std::sqrt(9.0 * 9 + 22.0 * 22 + 27.0 * 27);
    const int stack = gl.GetViewStackSize();
    Command(c.id);
    EXPECT_EQ(anim.GetStep(), -1);  // the view waits for the first tick
    EXPECT_EQ(gl.GetViewStackSize(), stack + 1);
    int ticks = 0;
    do {
      frame->SendMessage(WM_TIMER, CStdViewAnimation::kTimer);
      ++ticks;
      if (ticks == 4) {
        // Half way the sight has turned part of the way only.
        double d[3];
        gl.GetCamera().get_viewdirection(d);
        EXPECT_LT(d[0] * c.dir[0] + d[1] * c.dir[1] + d[2] * c.dir[2], 1 - 1e-6);
      }
    } while (anim.GetStep() != 0 && ticks < 20);
    EXPECT_EQ(ticks, CStdViewAnimation::kSteps);
    double d[3], ax[3], ay[3], az[3], r[3], e[3];
    const GCamera& cam = gl.GetCamera();
    cam.get_viewdirection(d);
    cam.GetViewAxis(ax, ay, az);
    cam.GetRefPoint(r);
    cam.GetEye(e);
    for (int i = 0; i < 3; ++i) {
      EXPECT_NEAR(d[i], c.dir[i], 1e-9);
      EXPECT_NEAR(ay[i], c.up[i], 1e-9);
      EXPECT_NEAR(r[i], ref[i], 1e-9);  // the view turns about the point it looks at
    }
    EXPECT_NEAR(std::sqrt((e[0] - r[0]) * (e[0] - r[0]) + (e[1] - r[1]) * (e[1] - r[1]) + (e[2] - r[2]) * (e[2] - r[2])),
                dist, 1e-9);
  }
  // Animation off: the first tick lands on the view.
  gGetKXGlobal()->SetAnimateView(FALSE);
  Command(ID_VIEW_TOP);
  frame->SendMessage(WM_TIMER, CStdViewAnimation::kTimer);
  EXPECT_EQ(anim.GetStep(), 0);
  // In 2D a standard view does nothing.
  vs->SetView2D();
  Command(ID_VIEW_FRONT);
  EXPECT_EQ(anim.GetStep(), 0);
  double d[3];
  gl.GetCamera().get_viewdirection(d);
  EXPECT_NEAR(d[2], -1.0, 1e-9);
}

TEST_F(ViewMenuTest, GuideLinesDroppedFromTheRulersAreUndoableAndHiddenTogether) {
  Reset();
  CDBase* db = gGetDBase();
  db->DeleteAllEntity();
  gGetKXGlobal()->SetHorGuide(12.5);
  gGetKXGlobal()->SetVerGuide(-4.0);
  EXPECT_EQ(view->SendMessage(0x404, 0, 0), 1);
  EXPECT_EQ(view->SendMessage(0x405, 0, 0), 1);
  std::vector<std::pair<int, double>> lines;
  for (POSITION p = db->GetEntityList().GetHeadPosition(); p;)
    if (auto* l = dynamic_cast<CDbAidLine*>(db->GetEntityList().GetNext(p)))
      lines.emplace_back(l->GetOrientation(), l->GetCoord());
  EXPECT_EQ(lines, (std::vector<std::pair<int, double>>{{0, 12.5}, {1, -4.0}}));
  EXPECT_EQ(gGetActManager()->GetCurrent()->GetName(), CString(L"Vertical GuideLine"));
  Command(ID_EDIT_UNDO);
  EXPECT_EQ(gGetActManager()->GetCurrent()->GetName(), CString(L"Horizental GuideLine"));
  EXPECT_EQ(db->GetCount(), 1);
  // Dropped while a drawing command runs: ignored.
  Current(32774, 0);
  EXPECT_EQ(view->SendMessage(0x404, 0, 0), 1);
  EXPECT_EQ(db->GetCount(), 1);
  hub->CancelCurCmd();
  // Show/Hide flips every guide line and clears the selection.
  auto* e = new Thing(2);
  db->AddTail(e);
  gGetSelector()->Add(e);
  Command(ID_VIEW_GUIDELINES);
  EXPECT_EQ(db->GetDbAidLineVisibility(), 0);
  EXPECT_EQ(db->GetEntityList().GetHead()->IsVisible(), 0);
  EXPECT_TRUE(gGetSelector()->IsEmpty());
  EXPECT_EQ(Update(ID_VIEW_GUIDELINES).check, 0);
  // A line dropped while they are hidden is hidden too.
  EXPECT_EQ(view->SendMessage(0x404, 0, 0), 1);
  EXPECT_EQ(db->GetEntityList().GetTail()->IsVisible(), 0);
}
