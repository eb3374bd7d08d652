// The command hub: registries, which command the view's input reaches, running, cancelling
// and repeating commands, command-UI updates and messages.
#include "platform/vurode/Accessors.h"
#include "support/VurodeFixture.h"
#include "velmora/ordvale/Ordvale.h"
#include "TestCommands.h"

#include <cstring>
#include <cmath>
#include <functional>
#include <memory>

namespace {

class OrdvaleTest : public VurodeTest {
 protected:
  void SetUp() override {
    VurodeTest::SetUp();
    hub = std::make_unique<COrdvale>();
    gSetOrdvale(hub.get());
    line = new LogCmd(&log, L"Line", 32774);
    circle = new LogCmd(&log, L"Circle", 32775);
    zoom = new LogCmd(&log, L"Zoom In", 32808, CCommand::kHostView);
    select = new LogCmd(&log, L"Select", 32853, CCommand::kHostSelect);
    node = new LogCmd(&log, L"Node", 32854, CCommand::kHostSelect);
    for (LogCmd* c : {line, circle, zoom}) ASSERT_TRUE(hub->RegAppCmd(c));
    for (LogCmd* c : {select, node}) ASSERT_TRUE(hub->RegMainCmd(c));
  }
  void TearDown() override {
    hub.reset();
    VurodeTest::TearDown();
  }

  CallLog log;
  std::unique_ptr<COrdvale> hub;
  LogCmd *line, *circle, *zoom, *select, *node;
};

TEST_F(OrdvaleTest, LookupsByIdAndExactName) {
  EXPECT_EQ(hub->GetCmd(32775), circle);
  EXPECT_EQ(hub->GetCmd(L"Zoom In"), zoom);
  EXPECT_EQ(hub->GetCmd(L"zoom in"), nullptr) << "names compare exactly";
  EXPECT_EQ(hub->GetCmd(L"Select"), nullptr) << "main commands are not application commands";
  EXPECT_EQ(hub->GetCmd(static_cast<const wchar_t*>(nullptr)), nullptr);
  EXPECT_EQ(hub->GetCmd(32853), nullptr);
  EXPECT_EQ(hub->GetMainCmd(32853), select);
  EXPECT_EQ(hub->GetMainCmd(32774), nullptr);
  EXPECT_FALSE(hub->RegAppCmd(nullptr));
  EXPECT_TRUE(hub->RegAppCmd(line)) << "registering again keeps the one entry";
  int deleted = 0;
  for (LogCmd* c : {line, circle, zoom, select, node}) c->m_deleted = &deleted;
  hub.reset();
  EXPECT_EQ(deleted, 5) << "the hub deletes each command it owns once";
  EXPECT_EQ(gGetOrdvale(), nullptr);
}

// Every input slot reaches the running command, else the main command, else nobody.
TEST_F(OrdvaleTest, InputReachesTheCurrentCommand) {
  Position pos(1, 2);
  pos.sx = 40;
  struct Slot {
    const char* op;
    std::function<int(COrdvale&)> send;
  } slots[] = {
      {"LDown:3", [&](COrdvale& h) { return h.OnLButtonDown(3, pos); }},
      {"LUp:3", [&](COrdvale& h) { return h.OnLButtonUp(3, pos); }},
      {"LDbl:3", [&](COrdvale& h) { return h.OnLButtonDblClk(3, pos); }},
      {"MDown:3", [&](COrdvale& h) { return h.OnMButtonDown(3, pos); }},
      {"MUp:3", [&](COrdvale& h) { return h.OnMButtonUp(3, pos); }},
      {"MDbl:3", [&](COrdvale& h) { return h.OnMButtonDblClk(3, pos); }},
      {"Move:43", [&](COrdvale& h) { return h.OnMouseMove(3, pos); }},
      {"Wheel:123", [&](COrdvale& h) { return h.OnMouseWheel(3, 120, pos); }},
      {"RDown:3", [&](COrdvale& h) { return h.OnRButtonDown(3, pos); }},
      {"RUp:3", [&](COrdvale& h) { return h.OnRButtonUp(3, pos); }},
      {"RDbl:3", [&](COrdvale& h) { return h.OnRButtonDblClk(3, pos); }},
      {"KeyDown:46", [&](COrdvale& h) { return h.OnKeyDown(46, 1, 0); }},
      {"KeyUp:46", [&](COrdvale& h) { return h.OnKeyUp(46, 1, 0); }},
      {"Char:49", [&](COrdvale& h) { return h.OnChar('1', 1, 0); }},
      {"Return", [&](COrdvale& h) { return h.OnReturn(); }},
      {"Timer:12", [&](COrdvale& h) { return h.OnTimer(12); }},
      {"Size:640", [&](COrdvale& h) { return h.OnSize(0, 640, 480); }},
  };
  for (const auto& s : slots) {
    log.clear();
    EXPECT_EQ(s.send(*hub), 0) << s.op << ": nobody runs yet";
    EXPECT_TRUE(log.empty()) << s.op;
  }
  ASSERT_TRUE(hub->SetCurMainCmd(select));
  for (const auto& s : slots) {
    log.clear();
    EXPECT_EQ(s.send(*hub), 7) << s.op;
    EXPECT_EQ(log, CallLog{std::string("Select.") + s.op});
  }
  ASSERT_EQ(hub->RunAppCmd(circle, 2), 1);
  for (const auto& s : slots) {
    log.clear();
    EXPECT_EQ(s.send(*hub), 7) << s.op;
    EXPECT_EQ(log, CallLog{std::string("Circle.") + s.op}) << "the running command, not the mode";
  }
}

TEST_F(OrdvaleTest, RunCancelAndRepeatOrder) {
  EXPECT_EQ(hub->GetPrevCmd(), nullptr);
  EXPECT_EQ(hub->CurCmdFlag(), 0);
  EXPECT_EQ(hub->RunAppCmd(32774u, 0), 1);
  EXPECT_EQ(hub->GetCurCmd(), line);
  EXPECT_EQ(hub->CurCmdFlag(), 1);
  // Starting another command cancels the running one first.
  EXPECT_EQ(hub->RunAppCmd(circle, 3), 1);
  EXPECT_EQ(log, (CallLog{"Line.StartUp0", "Line.Cancel", "Circle.StartUp3"}));
  EXPECT_EQ(circle->GetSubCmd(), 3);
  EXPECT_EQ(hub->GetPrevCmd(), circle);
  EXPECT_EQ(hub->GetPrevPrevCmd(), line);
  // Running the newest again does not push the older one out.
  hub->RunAppCmd(circle, 0);
  EXPECT_EQ(hub->GetPrevCmd(), circle);
  EXPECT_EQ(hub->GetPrevPrevCmd(), line);
  log.clear();
  hub->CancelCurCmd();
  EXPECT_EQ(log, CallLog{"Circle.Cancel"});
  EXPECT_EQ(hub->GetCurCmd(), nullptr);
  hub->CancelCurCmd();
  EXPECT_EQ(log.size(), 1u) << "nothing left to cancel";

  // A command that ends inside its start-up leaves nothing running but counts as run.
  zoom->m_endAtStart = true;
  log.clear();
  EXPECT_EQ(hub->RunAppCmd(zoom, 0), 1);
  EXPECT_EQ(log, (CallLog{"Zoom In.StartUp0", "Zoom In.Cancel"}));
  EXPECT_EQ(hub->GetCurCmd(), nullptr);
  EXPECT_EQ(hub->GetPrevCmd(), zoom);
  EXPECT_EQ(hub->GetPrevPrevCmd(), circle);

  // A start-up that fails leaves no current command.
  line->m_startResult = 0;
  EXPECT_EQ(hub->RunAppCmd(line, 0), 0);
  EXPECT_EQ(hub->GetCurCmd(), nullptr);
  // Unknown ids and commands the hub does not own are not run.
  LogCmd stranger(&log, L"Stranger", 1);
  log.clear();
  EXPECT_EQ(hub->RunAppCmd(&stranger, 0), 0);
  EXPECT_EQ(hub->RunAppCmd(12345u, 0), 0);
  ASSERT_TRUE(hub->SetCurMainCmd(select));
  EXPECT_EQ(hub->RunAppCmd(select, 0), 0) << "the current main command is not run again on top of itself";
  EXPECT_TRUE(log.empty());
  // Another main command runs once with a sub-command, as the layer menu runs its command.
  LogCmd* layer = new LogCmd(&log, L"Layer", 33052, CCommand::kHostSelect);
  ASSERT_TRUE(hub->RegMainCmd(layer));
  EXPECT_EQ(hub->RunAppCmd(33052u, 4), 1);
  EXPECT_EQ(hub->GetCurCmd(), layer);
  EXPECT_EQ(hub->GetCurMainCmd(), select);
  EXPECT_EQ(log, CallLog{"Layer.StartUp4"});
}

// View commands run on top of a drawing command, which sleeps and then carries on.
TEST_F(OrdvaleTest, ViewCommandsLeaveTheDrawingCommandAsleep) {
  LogCmd* pan = new LogCmd(&log, L"Pan", 32805, CCommand::kHostView);
  hub->RegAppCmd(pan);
  hub->RunAppCmd(line, 0);
  log.clear();
  ASSERT_EQ(hub->RunAppCmd(pan, 0), 1);
  EXPECT_EQ(log, (CallLog{"Line.Sleep", "Pan.StartUp0"}));
  EXPECT_EQ(hub->GetCurCmd(), pan);
  EXPECT_EQ(hub->GetSuspendedCmd(), line);
  Position p;
  log.clear();
  hub->OnLButtonDown(0, p);
  EXPECT_EQ(log, CallLog{"Pan.LDown"}) << "input goes to the view command";
  // Another view command replaces the first; the drawing command keeps sleeping.
  log.clear();
  hub->RunAppCmd(zoom, 0);
  EXPECT_EQ(log, (CallLog{"Pan.Cancel", "Line.WakeUp", "Line.Sleep", "Zoom In.StartUp0"}));
  EXPECT_EQ(hub->GetSuspendedCmd(), line);
  log.clear();
  hub->CancelCurCmd();
  EXPECT_EQ(log, (CallLog{"Zoom In.Cancel", "Line.WakeUp"}));
  EXPECT_EQ(hub->GetCurCmd(), line);
  EXPECT_EQ(hub->GetSuspendedCmd(), nullptr);
  // A one-shot view command ends inside its start-up and hands straight back.
  zoom->m_endAtStart = true;
  log.clear();
  hub->RunAppCmd(zoom, 0);
  EXPECT_EQ(log, (CallLog{"Line.Sleep", "Zoom In.StartUp0", "Zoom In.Cancel", "Line.WakeUp"}));
  EXPECT_EQ(hub->GetCurCmd(), line);
  // A drawing command started under a view command ends both.
  hub->RunAppCmd(pan, 0);
  log.clear();
  hub->RunAppCmd(circle, 0);
  EXPECT_EQ(log, (CallLog{"Pan.Cancel", "Line.WakeUp", "Line.Cancel", "Circle.StartUp0"}));
  EXPECT_EQ(hub->GetSuspendedCmd(), nullptr);
  // A sleeping command deleted elsewhere is not woken.
  hub->RunAppCmd(pan, 0);
  delete circle;
  log.clear();
  hub->CancelCurCmd();
  EXPECT_EQ(log, CallLog{"Pan.Cancel"});
  EXPECT_EQ(hub->GetCurCmd(), nullptr);
}

TEST_F(OrdvaleTest, MainCommandsSwitch) {
  EXPECT_TRUE(hub->SetCurMainCmd(select));
  EXPECT_TRUE(log.empty()) << "making the first mode current starts nothing";
  EXPECT_EQ(hubGetMainCmdID(), 32853u);
  EXPECT_EQ(hubRunMainCmd(32854), 1);
  EXPECT_EQ(log, (CallLog{"Select.Cancel", "Node.StartUp0"}));
  EXPECT_EQ(hub->GetCurMainCmd(), node);
  EXPECT_EQ(hubRunMainCmd(40000), 0);
  EXPECT_EQ(hub->GetCurMainCmd(), node);
  EXPECT_FALSE(hub->SetCurMainCmd(line));
  // An application command runs on top of the mode and leaves it current when it ends.
  hub->RunAppCmd(line, 0);
  hub->CancelCurCmd();
  EXPECT_EQ(hub->GetCurMainCmd(), node);
  gSetOrdvale(nullptr);
  EXPECT_EQ(hubGetMainCmdID(), 0u);
  EXPECT_EQ(hubRunMainCmd(32853), 0);
}

TEST_F(OrdvaleTest, ShortcutStartsItsCommandWhileNoneRuns) {
  hub->SetCurMainCmd(select);
  circle->SetShortCut(L"Cx");
  EXPECT_EQ(circle->GetShortCut(), CString(L"C")) << "one character";
  EXPECT_EQ(hub->OnChar('c', 1, 0), 1);
  EXPECT_EQ(hub->GetCurCmd(), circle);
  EXPECT_EQ(log, CallLog{"Circle.StartUp0"});
  // While a command runs the character is its input.
  log.clear();
  hub->OnChar('C', 1, 0);
  EXPECT_EQ(log, CallLog{"Circle.Char:67"});
  hub->CancelCurCmd();
  log.clear();
  hub->OnChar('q', 1, 0);
  EXPECT_EQ(log, CallLog{"Select.Char:113"}) << "no shortcut: the mode gets it";
}

TEST_F(OrdvaleTest, CommandUIFollowsTheRegisteredCommand) {
  hub->SetCurMainCmd(select);
  hub->RunAppCmd(line, 0);
  circle->m_enabled = 0;
  struct Case {
    UINT id;
    int handled;
    BOOL enabled;
    int check;
  } cases[] = {{32774, 1, TRUE, 1}, {32775, 1, FALSE, 0}, {32808, 1, TRUE, 0},
               {32853, 1, TRUE, 1}, {32854, 1, TRUE, 0}, {40000, 0, TRUE, 5}};
  for (const auto& c : cases) {
    CCmdUI ui;
    ui.m_nID = c.id;
    ui.m_nCheck = 5;  // left alone unless the hub decides
    EXPECT_EQ(hub->OnUpdateCmdUI(&ui), c.handled) << c.id;
    EXPECT_EQ(ui.m_bEnabled, c.enabled) << c.id;
    EXPECT_EQ(ui.m_nCheck, c.check) << c.id;
  }
  EXPECT_EQ(hub->OnUpdateCmdUI(nullptr), 0);
}

TEST_F(OrdvaleTest, MessagesFindTheirTaker) {
  hub->SetCurMainCmd(select);
  node->m_takesCode = QMessage::kRebuildLayers;
  QMessage rebuild(0, QMessage::kRebuildLayers);
  // Nobody runs: the main commands in registration order until one takes it.
  EXPECT_EQ(hub->OnMessage(&rebuild), 1);
  EXPECT_EQ(log, (CallLog{"Select.Msg:5", "Node.Msg:5"}));
  // A running command is asked first and may keep it.
  hub->RunAppCmd(line, 0);
  line->m_takesCode = QMessage::kRebuildLayers;
  log.clear();
  EXPECT_EQ(kxSendMessage(&rebuild), 1);
  EXPECT_EQ(log, CallLog{"Line.Msg:5"});
  QMessage other(QMessage::kUndo, 9);
  log.clear();
  EXPECT_EQ(kxSendMessage(&other), 0);
  EXPECT_EQ(log, (CallLog{"Line.Msg:9", "Select.Msg:9", "Node.Msg:9"}));

  // Update requests go to the running command, else the current mode.
  CCmdUI ui;
  ui.m_bEnabled = FALSE;
  log.clear();
  EXPECT_EQ(kxSendMessage(&rebuild, &ui), 1);
  EXPECT_EQ(log, CallLog{"Line.UpdMsg:5"});
  EXPECT_TRUE(ui.m_bEnabled);
  hub->CancelCurCmd();
  hub->RunMainCmd(node);
  log.clear();
  EXPECT_EQ(kxSendMessage(&rebuild, &ui), 1);
  EXPECT_EQ(log, CallLog{"Node.UpdMsg:5"});
  EXPECT_EQ(hub->OnMessage(nullptr), 0);
  gSetOrdvale(nullptr);
  EXPECT_EQ(kxSendMessage(&rebuild), 0) << "without a hub";
}

TEST_F(OrdvaleTest, CommandHelpersGoThroughTheHub) {
  hub->RunAppCmd(line, 0);
  line->Prompt(L"Pick the first point");
  EXPECT_EQ(hub->GetPrompt(), CString(L"Pick the first point"));
  EXPECT_EQ(line->GetDC(), nullptr) << "no view context yet";
  CDC* fake = reinterpret_cast<CDC*>(hub.get());  // never drawn on; only handed back
  hub->SetViewDC(fake);
  CDC* dc = line->GetDC();
  EXPECT_EQ(dc, fake);
  EXPECT_EQ(line->GetDCDepth(), 1);
  line->ReleaseDC(dc);
  EXPECT_EQ(line->GetDCDepth(), 0);

  double w = 1, h = 1;
  EXPECT_FALSE(hubGetPaperSize(w, h));
  EXPECT_EQ(w, 0);
  hub->SetPaperSize(297, 210);
  hub->SetPaperSize(NAN, 5);
  EXPECT_TRUE(hubGetPaperSize(w, h));
  EXPECT_EQ(w, 297);
  EXPECT_EQ(h, 210);
  EXPECT_EQ(hub->Attach(nullptr), -1);
}

// A command deleted by someone else is forgotten by the hub instead of left dangling.
TEST_F(OrdvaleTest, DestroyedCommandIsForgotten) {
  hub->SetCurMainCmd(select);
  hub->RunAppCmd(circle, 0);
  delete circle;
  EXPECT_EQ(hub->GetCurCmd(), nullptr);
  EXPECT_EQ(hub->GetPrevCmd(), nullptr);
  EXPECT_EQ(hub->GetCmd(32775), nullptr);
  Position p;
  EXPECT_EQ(hub->OnLButtonDown(0, p), 7) << "input goes to the mode again";
}

#if defined(__GNUC__) && !defined(_MSC_VER)
// Outside command libraries call these operations by position, so the order is fixed. Under the
// Itanium ABI a virtual member pointer holds 1 + the slot's byte offset; the destructor takes
// two slots where it is declared.
template <class F>
long Slot(F f) {
  static_assert(sizeof(F) == 2 * sizeof(long));
  long words[2];
  std::memcpy(words, &f, sizeof words);
  return (words[0] - 1) / static_cast<long>(sizeof(void*));
}

TEST(OrdvaleSlots, HubAndCommandKeepTheirOrder) {
  EXPECT_EQ(Slot(&COrdvale::Attach), 0);
  EXPECT_EQ(Slot(&COrdvale::OnLButtonDown), 1);
  EXPECT_EQ(Slot(&COrdvale::OnMouseMove), 7);
  EXPECT_EQ(Slot(&COrdvale::OnMouseWheel), 8);
  EXPECT_EQ(Slot(&COrdvale::OnKeyDown), 12);
  EXPECT_EQ(Slot(&COrdvale::OnChar), 14);
  EXPECT_EQ(Slot(&COrdvale::OnReturn), 15);
  EXPECT_EQ(Slot(&COrdvale::OnTimer), 16);
  EXPECT_EQ(Slot(&COrdvale::OnSize), 17);
  EXPECT_EQ(Slot(&COrdvale::OnUpdateCmdUI), 18);
  EXPECT_EQ(Slot(&COrdvale::OnMessage), 19);

  // After the destructor's two slots.
  EXPECT_EQ(Slot(&CCommand::SetShowFilter), 2);
  EXPECT_EQ(Slot(&CCommand::GetCmdName), 5);
  EXPECT_EQ(Slot(&CCommand::IsEnable), 9);
  EXPECT_EQ(Slot(&CCommand::HostType), 11);
  EXPECT_EQ(Slot(&CCommand::StartUp), 18);
  EXPECT_EQ(Slot(&CCommand::OnLButtonDown), 21);
  EXPECT_EQ(Slot(&CCommand::OnRButtonDblClk), 31);
  EXPECT_EQ(Slot(&CCommand::OnReturn), 32);
  EXPECT_EQ(Slot(&CCommand::OnTimer), 37);
  EXPECT_EQ(Slot(&CCommand::Cancel), 40);
  EXPECT_EQ(Slot(&CCommand::OnMessage), 42);
  EXPECT_EQ(Slot(static_cast<void (CCommand::*)(COpenGLDC*, int)>(&CCommand::OnDraw)), 44);
  EXPECT_EQ(Slot(static_cast<void (CCommand::*)(CDC*, int)>(&CCommand::OnDraw)), 45);
  EXPECT_EQ(Slot(&CCommand::Serialize), 47);
  EXPECT_EQ(Slot(&CCommand::OnKeyInBool), 54);
}
#endif

}  // namespace
