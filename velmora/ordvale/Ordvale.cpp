#include "velmora/ordvale/Ordvale.h"

#include "platform/afx/Archive.h"
#include "platform/afx/CmdTarget.h"
#include "platform/afx/Exception.h"
#include "platform/afx/MemFile.h"
#include "platform/vurode/Accessors.h"
#include "velmora/ordvale/Command.h"
#include "velmora/ordvale/QMessage.h"

#include <algorithm>
#include <cmath>
#include <cwctype>
#include <utility>

namespace {

// Marks the hub's part of the configuration, and its layout.
constexpr int kConfigMagic = 0x4C56524F;
constexpr int kConfigVersion = 1;

std::vector<BYTE> StoreCommand(CCommand* cmd) {
  CMemFile mem;
  {
    CArchive ar(&mem, CArchive::store);
    cmd->Serialize(ar);
    ar.Close();
  }
  std::vector<BYTE> bytes(static_cast<size_t>(mem.GetLength()));
  mem.Seek(0, CFile::begin);
  if (!bytes.empty()) mem.Read(bytes.data(), static_cast<UINT>(bytes.size()));
  return bytes;
}

void LoadCommand(CCommand* cmd, std::vector<BYTE>& bytes) {
  CMemFile mem(bytes.data(), static_cast<UINT>(bytes.size()));
  CArchive ar(&mem, CArchive::load);
  cmd->Serialize(ar);
  ar.Close();
}

}  // namespace

COrdvale::COrdvale() = default;

COrdvale::~COrdvale() {
  // Commands deleted below must not call back into a hub being destroyed.
  if (gGetOrdvale() == this) gSetOrdvale(nullptr);
  m_pCur = m_pCurMain = m_pPrev = m_pPrevPrev = m_pSuspended = nullptr;
  std::vector<CCommand*> all;
  all.swap(m_appCmds);
  all.insert(all.end(), m_mainCmds.begin(), m_mainCmds.end());
  m_mainCmds.clear();
  for (CCommand* cmd : all) delete cmd;
}

int COrdvale::Attach(CFrameWnd* frame) {
  if (!frame) return -1;
  m_pFrame = frame;
  return 0;
}

CCommand* COrdvale::Target() const { return m_pCur ? m_pCur : m_pCurMain; }

template <class... Params, class... Args>
int COrdvale::Send(int (CCommand::*op)(Params...), Args&&... args) const {
  CCommand* c = Target();
  return c ? (c->*op)(std::forward<Args>(args)...) : 0;
}

int COrdvale::OnLButtonDown(UINT flags, Position& pos) { return Send(&CCommand::OnLButtonDown, flags, pos); }
int COrdvale::OnLButtonUp(UINT flags, Position& pos) { return Send(&CCommand::OnLButtonUp, flags, pos); }
int COrdvale::OnLButtonDblClk(UINT flags, Position& pos) { return Send(&CCommand::OnLButtonDblClk, flags, pos); }
int COrdvale::OnMButtonDown(UINT flags, Position& pos) { return Send(&CCommand::OnMButtonDown, flags, pos); }
int COrdvale::OnMButtonUp(UINT flags, Position& pos) { return Send(&CCommand::OnMButtonUp, flags, pos); }
int COrdvale::OnMButtonDblClk(UINT flags, Position& pos) { return Send(&CCommand::OnMButtonDblClk, flags, pos); }
int COrdvale::OnMouseMove(UINT flags, Position& pos) { return Send(&CCommand::OnMouseMove, flags, pos); }
int COrdvale::OnMouseWheel(UINT flags, short delta, Position& pos) { return Send(&CCommand::OnMouseWheel, flags, delta, pos); }
int COrdvale::OnRButtonDown(UINT flags, Position& pos) { return Send(&CCommand::OnRButtonDown, flags, pos); }
int COrdvale::OnRButtonUp(UINT flags, Position& pos) { return Send(&CCommand::OnRButtonUp, flags, pos); }
int COrdvale::OnRButtonDblClk(UINT flags, Position& pos) { return Send(&CCommand::OnRButtonDblClk, flags, pos); }
int COrdvale::OnKeyDown(UINT key, UINT repeat, UINT flags) { return Send(&CCommand::OnKeyDown, key, repeat, flags); }
int COrdvale::OnKeyUp(UINT key, UINT repeat, UINT flags) { return Send(&CCommand::OnKeyUp, key, repeat, flags); }

int COrdvale::OnChar(UINT ch, UINT repeat, UINT flags) {
  if (!m_pCur && ch > 0x20 && ch < 0x110000) {
    const wchar_t key = static_cast<wchar_t>(std::towupper(static_cast<wint_t>(ch)));
    for (CCommand* cmd : m_appCmds) {
      const CString sc = cmd->GetShortCut();
      if (sc.GetLength() == 1 && static_cast<wchar_t>(std::towupper(static_cast<wint_t>(sc[0]))) == key) {
        RunAppCmd(cmd, 0);
        return 1;
      }
    }
  }
  return Send(&CCommand::OnChar, ch, repeat, flags);
}

int COrdvale::OnReturn() { return Send(&CCommand::OnReturn); }
int COrdvale::OnTimer(UINT_PTR id) { return Send(&CCommand::OnTimer, id); }
int COrdvale::OnSize(UINT type, int cx, int cy) { return Send(&CCommand::OnSize, type, cx, cy); }

int COrdvale::OnUpdateCmdUI(CCmdUI* ui) {
  if (!ui) return 0;
  if (CCommand* cmd = GetCmd(ui->m_nID)) {
    ui->Enable(cmd->IsEnable(0) != 0);
    ui->SetCheck(cmd == m_pCur ? 1 : 0);
    return 1;
  }
  if (CCommand* cmd = GetMainCmd(ui->m_nID)) {
    ui->Enable(cmd->IsEnable(0) != 0);
    ui->SetCheck(cmd == m_pCurMain ? 1 : 0);
    return 1;
  }
  return 0;
}

int COrdvale::OnMessage(QMessage* msg) {
  if (!msg) return 0;
  if (m_pCur) {
    if (int r = m_pCur->OnMessage(msg)) return r;
  }
  // A copy: a handler may register or switch commands.
  const std::vector<CCommand*> mains = m_mainCmds;
  for (CCommand* cmd : mains) {
    if (!Owns(cmd)) continue;
    if (int r = cmd->OnMessage(msg)) return r;
  }
  return 0;
}

BOOL COrdvale::Owns(CCommand* cmd) const {
  return cmd && (std::find(m_appCmds.begin(), m_appCmds.end(), cmd) != m_appCmds.end() ||
                 std::find(m_mainCmds.begin(), m_mainCmds.end(), cmd) != m_mainCmds.end());
}

BOOL COrdvale::RegAppCmd(CCommand* cmd) {
  if (!cmd) return FALSE;
  if (!Owns(cmd)) m_appCmds.push_back(cmd);
  return TRUE;
}

BOOL COrdvale::RegMainCmd(CCommand* cmd) {
  if (!cmd) return FALSE;
  if (!Owns(cmd)) m_mainCmds.push_back(cmd);
  return TRUE;
}

CCommand* COrdvale::GetCmd(UINT id) const {
  for (CCommand* cmd : m_appCmds)
    if (cmd->GetID() == id) return cmd;
  return nullptr;
}

CCommand* COrdvale::GetCmd(const wchar_t* name) const {
  if (!name) return nullptr;
  for (CCommand* cmd : m_appCmds)
    if (cmd->GetCmdName() == name) return cmd;
  return nullptr;
}

CCommand* COrdvale::GetMainCmd(UINT id) const {
  for (CCommand* cmd : m_mainCmds)
    if (cmd->GetID() == id) return cmd;
  return nullptr;
}

int COrdvale::RunAppCmd(CCommand* cmd, int sub) {
  // A registered main command may also be run once with a sub-command (the layer menu's items
  // run the layer command that way).
  if (!cmd || (std::find(m_appCmds.begin(), m_appCmds.end(), cmd) == m_appCmds.end() &&
               (cmd == m_pCurMain || std::find(m_mainCmds.begin(), m_mainCmds.end(), cmd) == m_mainCmds.end())))
    return 0;
  // A view command runs on top of another command, which sleeps until the view command ends
  // (panning in the middle of a polyline keeps the polyline). Anything else ends what runs.
  const bool overlay = cmd->HostType() == CCommand::kHostView;
  while (m_pCur) {
    if (overlay && m_pCur != cmd && m_pCur->HostType() != CCommand::kHostView && !m_pSuspended) {
      m_pSuspended = m_pCur;
      m_pCur = nullptr;
      m_pSuspended->Sleep();
      break;
    }
    CancelCurCmd();  // may bring a sleeping command back, which the next round handles
  }
  m_pCur = cmd;
  if (cmd != m_pPrev) {
    m_pPrevPrev = m_pPrev;
    m_pPrev = cmd;
  }
  const int r = cmd->StartUp(sub);
  // A command may also end inside its start-up (the one-shot zooms do); that is not a failure.
  if (!r && m_pCur == cmd) CmdEnded(cmd);
  return r;
}

int COrdvale::RunAppCmd(UINT id, int sub) {
  CCommand* cmd = GetCmd(id);
  return RunAppCmd(cmd ? cmd : GetMainCmd(id), sub);
}

int COrdvale::RunMainCmd(CCommand* cmd) {
  if (!cmd || std::find(m_mainCmds.begin(), m_mainCmds.end(), cmd) == m_mainCmds.end()) return 0;
  if (m_pCurMain && m_pCurMain != cmd) m_pCurMain->Cancel();
  m_pCurMain = cmd;
  return cmd->StartUp(0);
}

int COrdvale::RunMainCmd(UINT id) { return RunMainCmd(GetMainCmd(id)); }

BOOL COrdvale::SetCurMainCmd(CCommand* cmd) {
  if (!cmd || std::find(m_mainCmds.begin(), m_mainCmds.end(), cmd) == m_mainCmds.end()) return FALSE;
  m_pCurMain = cmd;
  return TRUE;
}

void COrdvale::CancelCurCmd() {
  CCommand* cmd = m_pCur;
  if (!cmd) return;
  cmd->Cancel();
  // A command whose Cancel does not reach the base still stops running.
  if (m_pCur == cmd) CmdEnded(cmd);
}

void COrdvale::CmdEnded(CCommand* cmd) {
  if (!cmd) return;
  if (m_pSuspended == cmd) m_pSuspended = nullptr;
  if (m_pCur != cmd) return;
  m_pCur = nullptr;
  if (CCommand* back = m_pSuspended) {
    m_pSuspended = nullptr;
    m_pCur = back;
    back->WakeUp();
  }
}

void COrdvale::Forget(CCommand* cmd) {
  if (!cmd) return;
  std::erase(m_appCmds, cmd);
  std::erase(m_mainCmds, cmd);
  for (CCommand** p : {&m_pCur, &m_pCurMain, &m_pPrev, &m_pPrevPrev, &m_pSuspended})
    if (*p == cmd) *p = nullptr;
}

void COrdvale::OnDraw(CDC* dc, int mode) {
  if (!dc) return;
  if (m_pCurMain) m_pCurMain->OnDraw(dc, mode);
  if (m_pCur) m_pCur->OnDraw(dc, mode);
}

void COrdvale::OnDraw(COpenGLDC* dc, int mode) {
  if (!dc) return;
  if (m_pCurMain) m_pCurMain->OnDraw(dc, mode);
  if (m_pCur) m_pCur->OnDraw(dc, mode);
}

void COrdvale::SetViewDCSource(std::function<CDC*()> open, std::function<void(CDC*)> close) {
  m_openDC = std::move(open);
  m_closeDC = std::move(close);
}

CDC* COrdvale::OpenViewDC() { return m_openDC ? m_openDC() : m_pViewDC; }

void COrdvale::CloseViewDC(CDC* dc) {
  if (dc && m_openDC && m_closeDC) m_closeDC(dc);
}

void COrdvale::Prompt(const wchar_t* text) { m_strPrompt = text ? text : L""; }

void COrdvale::SetPaperSize(double width, double height) {
  if (!std::isfinite(width) || !std::isfinite(height) || width < 0 || height < 0) return;
  m_paper[0] = width;
  m_paper[1] = height;
}

BOOL COrdvale::GetPaperSize(double& width, double& height) const {
  width = m_paper[0];
  height = m_paper[1];
  return width > 0 && height > 0;
}

void COrdvale::Serialize(CArchive& ar) {
  std::vector<CCommand*> all = m_appCmds;
  all.insert(all.end(), m_mainCmds.begin(), m_mainCmds.end());
  if (ar.IsStoring()) {
    ar << kConfigMagic << kConfigVersion << m_nShowCoord << m_nStopAnimate;
    std::vector<CCommand*> saved;
    for (CCommand* cmd : all)
      if (cmd->GetID() != 0) saved.push_back(cmd);
    ar << static_cast<unsigned>(saved.size());
    for (CCommand* cmd : saved) {
      const std::vector<BYTE> bytes = StoreCommand(cmd);
      ar << static_cast<unsigned>(cmd->GetID()) << static_cast<unsigned>(bytes.size());
      if (!bytes.empty()) ar.Write(bytes.data(), static_cast<UINT>(bytes.size()));
    }
    return;
  }

  // Read everything before changing anything.
  int magic = 0, version = 0, showCoord = 0, stopAnimate = 0;
  ar >> magic >> version;
  if (magic != kConfigMagic || version != kConfigVersion) AfxThrowArchiveException(CArchiveException::badSchema);
  ar >> showCoord >> stopAnimate;
  unsigned count = 0;
  ar >> count;
  ar.CheckCount(count, 8);
  struct Record {
    UINT id;
    std::vector<BYTE> bytes;
  };
  std::vector<Record> records;
  records.reserve(count);
  for (unsigned i = 0; i < count; ++i) {
    unsigned id = 0, size = 0;
    ar >> id >> size;
    ar.CheckCount(size);
    Record rec{id, std::vector<BYTE>(size)};
    if (size && ar.Read(rec.bytes.data(), size) != size) AfxThrowArchiveException(CArchiveException::endOfFile);
    records.push_back(std::move(rec));
  }

  m_nShowCoord = showCoord ? 1 : 0;
  m_nStopAnimate = stopAnimate ? 1 : 0;
  for (Record& rec : records) {
    CCommand* cmd = GetCmd(rec.id);
    if (!cmd) cmd = GetMainCmd(rec.id);
    if (!cmd) continue;
    std::vector<BYTE> before = StoreCommand(cmd);
    try {
      LoadCommand(cmd, rec.bytes);
    } catch (const CException&) {
      // The command goes back to what it had; its own store-then-load cannot fail.
      LoadCommand(cmd, before);
    }
  }
}

int kxSendMessage(QMessage* msg, CCmdUI* ui) {
  COrdvale* hub = gGetOrdvale();
  if (!hub || !msg) return 0;
  if (!ui) return hub->OnMessage(msg);
  if (CCommand* cur = hub->GetCurCmd()) {
    if (int r = cur->OnUpdateMessage(msg, ui)) return r;
  }
  if (CCommand* main = hub->GetCurMainCmd()) return main->OnUpdateMessage(msg, ui);
  return 0;
}

UINT hubGetMainCmdID() {
  const COrdvale* hub = gGetOrdvale();
  const CCommand* main = hub ? hub->GetCurMainCmd() : nullptr;
  return main ? main->GetID() : 0;
}

int hubRunMainCmd(UINT id) {
  COrdvale* hub = gGetOrdvale();
  return hub ? hub->RunMainCmd(id) : 0;
}

BOOL hubGetPaperSize(double& width, double& height) {
  width = height = 0.0;
  const COrdvale* hub = gGetOrdvale();
  return hub ? hub->GetPaperSize(width, height) : FALSE;
}
