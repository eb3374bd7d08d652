// Commands for the hub tests: each records the operations the hub calls on it, in order, in a
// log shared by all of them ("<name>.<operation>").
#pragma once

#include "platform/afx/CmdTarget.h"
#include "velmora/ordvale/Command.h"
#include "velmora/ordvale/QMessage.h"

#include <string>
#include <vector>

using CallLog = std::vector<std::string>;

class LogCmd : public CCommand {
 public:
  LogCmd(CallLog* log, const wchar_t* name, UINT id, int host = kHostDraw)
      : CCommand(1, name, 0), m_log(log), m_host(host) {
    SetID(id);
    for (const wchar_t* p = name; *p; ++p) m_tag += static_cast<char>(*p);
  }
  ~LogCmd() override {
    if (m_deleted) ++*m_deleted;
  }

  int HostType() const override { return m_host; }
  int StartUp(int sub) override {
    Log("StartUp" + std::to_string(sub));
    CCommand::StartUp(sub);
    if (m_endAtStart) Cancel();
    return m_startResult;
  }
  int Cancel() override {
    Log("Cancel");
    return CCommand::Cancel();
  }
  int IsEnable(int) override { return m_enabled; }
  void Sleep() override {
    Log("Sleep");
    CCommand::Sleep();
  }
  void WakeUp() override {
    Log("WakeUp");
    CCommand::WakeUp();
  }
  int OnLButtonDown(UINT f, Position&) override { return Log("LDown", f); }
  int OnLButtonUp(UINT f, Position&) override { return Log("LUp", f); }
  int OnLButtonDblClk(UINT f, Position&) override { return Log("LDbl", f); }
  int OnMButtonDown(UINT f, Position&) override { return Log("MDown", f); }
  int OnMButtonUp(UINT f, Position&) override { return Log("MUp", f); }
  int OnMButtonDblClk(UINT f, Position&) override { return Log("MDbl", f); }
  int OnMouseMove(UINT f, Position& p) override { return Log("Move", f + static_cast<UINT>(p.sx)); }
  int OnMouseWheel(UINT f, short d, Position&) override { return Log("Wheel", f + static_cast<UINT>(d)); }
  int OnRButtonDown(UINT f, Position&) override { return Log("RDown", f); }
  int OnRButtonUp(UINT f, Position&) override { return Log("RUp", f); }
  int OnRButtonDblClk(UINT f, Position&) override { return Log("RDbl", f); }
  int OnReturn() override { return Log("Return"); }
  int OnKeyDown(UINT k, UINT, UINT) override { return Log("KeyDown", k); }
  int OnKeyUp(UINT k, UINT, UINT) override { return Log("KeyUp", k); }
  int OnChar(UINT c, UINT, UINT) override { return Log("Char", c); }
  int OnSize(UINT, int cx, int) override { return Log("Size", static_cast<UINT>(cx)); }
  int OnTimer(UINT_PTR id) override { return Log("Timer", static_cast<UINT>(id)); }
  int OnMessage(QMessage* m) override {
    Log("Msg", static_cast<UINT>(m->code));
    return m_takesCode == m->code ? 1 : 0;
  }
  int OnUpdateMessage(QMessage* m, CCmdUI* ui) override {
    Log("UpdMsg", static_cast<UINT>(m->code));
    if (m_takesCode != m->code) return 0;
    ui->Enable(TRUE);
    return 1;
  }

  int m_startResult = 1;
  bool m_endAtStart = false;  // ends inside its start-up, as the one-shot commands do
  int m_enabled = 1;
  int m_takesCode = -1;       // the message code this command takes
  int* m_deleted = nullptr;

 private:
  int Log(const std::string& what, UINT arg = 0) {
    m_log->push_back(m_tag + "." + what + (arg ? ":" + std::to_string(arg) : ""));
    return 7;
  }
  CallLog* m_log;
  int m_host;
  std::string m_tag;
};
