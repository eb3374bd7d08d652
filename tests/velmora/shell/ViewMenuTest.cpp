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
    return 1;
  }
  int OnUpdateMessage(QMessage* msg, CCmdUI* ui) override {
    // The node command greys the odd operations.
    ui->Enable(msg->code % 2 == 0);
    return 1;
  }
  void OnFill() override { log.push_back("fill"); }
  void StartInsSign() override { log.push_back("sign"); }
  int IsEditStateSet() const override { return editState; }
  void AddStock() override { log.push_back("stock"); }
  void AddPart() override { log.push_back("part"); }
  void RemovePart() override { log.push_back("remove"); }
  void MirrorPart(int axis) override { log.push_back("mirror:" + std::to_string(axis)); }
  void SetDownPart(int down) override { log.push_back("down:" + std::to_string(down)); }

  int enable = 1;
  std::function<int(int)> enableFor;
  int lastEnableArg = -99;
  int editState = 0;
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
    hub = gGetOrdvale();
    ASSERT_NE(hub, nullptr);
    // Application commands under the ids the menus use.
    for (UINT id : {32777u, 32778u, 32774u, 32786u, 32795u, 32801u, 32819u, 32862u, 32897u, 32917u, 32978u, 33164u,
                    32996u, 32784u, 32773u})
      app[id] = Reg(new Probe(id, 2, 0));
    app[33000] = Reg(new Probe(33000, 2, 0, L"Interactive Nesting"));
    for (UINT id : {viewid::kSelection, viewid::kNodeTools, viewid::kTextTools, viewid::kSymbolLibrary}) {
      auto* p = new Probe(id, id == viewid::kTextTools ? 4 : 1, 0x8);
      hub->RegMainCmd(p);
      main[id] = p;
    }
    hub->SetCurMainCmd(main[viewid::kSelection]);
    vs = gGetVurode();
    vs->SetViewRect(CRect(0, 0, 400, 300));
    gSetOpenGLDC(&gl);
    gl.GetCamera().set_screen(400, 300);
  }
  void TearDown() override {
    gViewServices() = ViewServices{};
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
    hub->SetCurMainCmd(main[viewid::kSelection]);
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
  EXPECT_EQ(Update(viewid::kRepeat).enabled, 1);
  Command(viewid::kRepeat);
  EXPECT_EQ(app[32777]->starts, std::vector<int>{1});
  Command(viewid::kRepeatBefore);
  EXPECT_EQ(app[32786]->starts, std::vector<int>{2});
  // "Exactly 1": a command answering 2 is not repeatable.
  app[32786]->enable = 2;
  EXPECT_EQ(Update(viewid::kRepeat).enabled, 0);
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
      {"selection tools current", viewid::kSelection, [](ViewMenuTest&) {}, 1, 1},
      {"node tools not current", viewid::kNodeTools, [](ViewMenuTest&) {}, 1, 0},
      {"undo while a command without 0x10 runs", viewid::kUndo,
       [](ViewMenuTest& t) {
         auto* a = new CAction(1, CString(L"Add"));
         a->AddNewEnt(new Thing(2));
         kxInsertActionIntoManager(a);
         t.Current(32774, 0);
       },
       0, 0},
      {"undo while a command with 0x10 runs", viewid::kUndo,
       [](ViewMenuTest& t) {
         auto* a = new CAction(1, CString(L"Add"));
         a->AddNewEnt(new Thing(2));
         kxInsertActionIntoManager(a);
         t.app[32774]->SetFlag(0x10);
         t.Current(32774, 0);
       },
       1, 0},
      {"redo with nothing undone", viewid::kRedo, [](ViewMenuTest&) {}, 0, 0},
      {"inverse selection, empty selection", viewid::kInverseSelection, [](ViewMenuTest&) {}, 0, 0},
      {"hide with a selection", viewid::kHide, sel(2), 1, 0},
      {"show without hidden objects", viewid::kShow, [](ViewMenuTest&) {}, 0, 0},
      {"show with a hidden object",
       viewid::kShow,
       [](ViewMenuTest&) {
         auto* e = new Thing(2);
         e->SetVisible(0);
         gGetDBase()->AddTail(e);
       },
       1, 0},
      {"fill with an open curve selected", viewid::kFill, sel(2, 0), 0, 0},
      {"fill with a closed outline selected", viewid::kFill, sel(2, 0x2), 1, 0},
      {"3D view in 2D", viewid::k3DView, [](ViewMenuTest&) {}, 1, 0},
      {"3D view checked in 3D", viewid::k3DView, [](ViewMenuTest& t) { t.vs->SetView3D(); }, 1, 1},
      {"3D view under a main command without 0x8", viewid::k3DView,
       [](ViewMenuTest& t) { t.main[viewid::kSelection]->SetFlag(0); }, 0, 0},
      {"standard view in 2D", viewid::kTop, [](ViewMenuTest&) {}, 0, 0},
      {"standard view in 3D", viewid::kIso, [](ViewMenuTest& t) { t.vs->SetView3D(); }, 1, 0},
      {"rotate view in 2D", viewid::kRotateView, [](ViewMenuTest&) {}, 0, 0},
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
      {"guide lines shown", viewid::kGuideLines, [](ViewMenuTest&) {}, 1, 1},
      {"guide lines hidden", viewid::kGuideLines, [](ViewMenuTest&) { gGetDBase()->SetDbAidLineVisibility(0); }, 1,
       0},
      {"select by type, empty drawing", viewid::kSelectByType, [](ViewMenuTest&) {}, 0, 0},
      {"insert symbol outside the text tools", viewid::kInsertSymbol, [](ViewMenuTest&) {}, 0, 0},
      {"insert symbol, text tools without edit state", viewid::kInsertSymbol,
       [](ViewMenuTest& t) { t.hub->SetCurMainCmd(t.main[viewid::kTextTools]); }, 0, 0},
      {"insert symbol, text tools editing", viewid::kInsertSymbol,
       [](ViewMenuTest& t) {
         t.main[viewid::kTextTools]->editState = 1;
         t.hub->SetCurMainCmd(t.main[viewid::kTextTools]);
       },
       1, 0},
      {"node item outside node editing", 32871, [](ViewMenuTest&) {}, 0, 0},
      {"node item the node command allows", 32872,
       [](ViewMenuTest& t) { t.hub->SetCurMainCmd(t.main[viewid::kNodeTools]); }, 1, 0},
      {"node item the node command greys", 32871,
       [](ViewMenuTest& t) { t.hub->SetCurMainCmd(t.main[viewid::kNodeTools]); }, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Reset();
    main[viewid::kSelection]->SetFlag(0x8);
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
