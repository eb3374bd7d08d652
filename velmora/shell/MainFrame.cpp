#include "velmora/shell/MainFrame.h"

#include "db/DBase.h"
#include "db/DbAccess.h"
#include "platform/afx/Archive.h"
#include "platform/afx/CmdTarget.h"
#include "platform/afx/Exception.h"
#include "platform/afx/File.h"
#include "platform/afx/WinApp.h"
#include "platform/vurode/Accessors.h"
#include "platform/vurode/KXGlobal.h"
#include "sockwell/PIView.h"
#include "sockwell/PlugInApp.h"
#include "velmora/bramcourt/DesignCentral.h"
#include "velmora/ordvale/Ordvale.h"
#include "velmora/shell/DraftonDoc.h"
#include "velmora/shell/Resources.h"

#include <filesystem>
#include <string>

IMPLEMENT_DYNCREATE(CMainFrame, CPISMainFrame)

BEGIN_MESSAGE_MAP(CMainFrame, CPISMainFrame)
ON_WM_CREATE()
ON_WM_DESTROY()
ON_WM_TIMER()
ON_COMMAND(ID_VIEW_GRID, OnGrid)
ON_UPDATE_COMMAND_UI(ID_VIEW_GRID, OnUpdateGrid)
ON_COMMAND_RANGE(ID_UNIT_NONE, ID_UNIT_FEET, OnUnit)
ON_UPDATE_COMMAND_UI_RANGE(ID_UNIT_NONE, ID_UNIT_FEET, OnUpdateUnit)
ON_COMMAND(ID_PROGRESS_CANCEL, OnProgressCancel)
ON_UPDATE_COMMAND_UI(ID_PROGRESS_CANCEL, OnUpdateProgressCancel)
END_MESSAGE_MAP()

CMainFrame::CMainFrame() { gSetMainFrame(this); }

CMainFrame::~CMainFrame() {
  if (gGetMainFrame() == this) gSetMainFrame(nullptr);
}

CString CMainFrame::CommandConfigPath() { return gGetApplicationPath() + L"/Command.cfg"; }

int CMainFrame::OnCreate(LPCREATESTRUCT lpcs) {
  if (CPISMainFrame::OnCreate(lpcs) == -1) return -1;
  COrdvale* hub = gGetOrdvale();
  CKXGlobal* global = gGetKXGlobal();
  if (!hub || !global) return -1;
  SetWindowText(L"Velmora V9");

  if (auto* app = dynamic_cast<CPlugInApp*>(AfxGetApp())) app->LoadPlugInDLLs();
  CreatePlugToolBar();
  // The document and its view were made before the plug-ins registered their maps: bind them
  // again, or their plug-in handlers would never run.
  if (auto* view = dynamic_cast<CPIView*>(GetActiveView())) {
    view->InitialisePlugIns();
    if (auto* doc = dynamic_cast<CPIDoc*>(view->GetDocument())) doc->InitialisePlugIns();
  }

  if (hub->Attach(this) == -1) return -1;
  ReadCommandConfig();

  global->SetFrameReady(TRUE);
  if (global->IsAutoSave()) {
    m_nAutoSaveElapse = global->GetAutoSaveElapse();
    SetTimer(kAutoSaveTimer, m_nAutoSaveElapse);
  }
  // Long operations report their progress to the frame from here on.
  gStartThreadProg(&m_progress);
  m_progressStarted = true;
  SetTimer(kProgressTimer, kProgressTick);
  DockPlugToolBar();
  return 0;
}

BOOL CMainFrame::ReadCommandConfig() {
  const CString path = CommandConfigPath();
  CFile file;
  if (!file.Open(path, CFile::modeRead | CFile::shareExclusive)) return TRUE;
  if (file.GetLength() == 0) return TRUE;
  COrdvale* hub = gGetOrdvale();
  int strip[2] = {m_nStripState[0], m_nStripState[1]};
  try {
    CArchive ar(&file, CArchive::load, 512);
    ar >> strip[0] >> strip[1];
    if (hub) hub->Serialize(ar);
  } catch (const CException&) {
    // A damaged file must not keep the program from starting: the defaults stay, and the file
    // is written anew at exit.
    AfxMessageBox(L"The command configuration \"Command.cfg\" is damaged; the default settings are used.");
    return FALSE;
  }
  m_nStripState[0] = strip[0];
  m_nStripState[1] = strip[1];
  return TRUE;
}

BOOL CMainFrame::WriteCommandConfig() {
  const CString path = CommandConfigPath();
  CFile file;
  if (!file.Open(path, CFile::modeCreate | CFile::modeWrite | CFile::shareExclusive)) return FALSE;
  try {
    CArchive ar(&file, CArchive::store, 512);
    ar << m_nStripState[0] << m_nStripState[1];
    if (COrdvale* hub = gGetOrdvale()) hub->Serialize(ar);
    ar.Close();
    file.Close();
  } catch (const CException&) {
    file.Abort();
    std::error_code ec;
    std::filesystem::remove(std::filesystem::path(path.ToUtf8()), ec);
    return FALSE;
  }
  return TRUE;
}

void CMainFrame::OnDestroy() {
  if (m_progressStarted) {
    KillTimer(kProgressTimer);
    gEndThreadProg();
    m_progressStarted = false;
  }
  gSetDlgDesignCenter(nullptr);
  if (COrdvale* hub = gGetOrdvale()) hub->CancelCurCmd();
  // Only a frame that came up completely writes the configuration back.
  if (CKXGlobal* global = gGetKXGlobal(); global && global->IsFrameReady()) {
    WriteCommandConfig();
    global->SetFrameReady(FALSE);
  }
  kxClearAllManager();
  FreeMap();
  CPISMainFrame::OnDestroy();
}

void CMainFrame::OnTimer(UINT_PTR id) {
  CKXGlobal* global = gGetKXGlobal();
  if (!global) return;
  if (id == kAutoSaveTimer) {
    if (!global->IsAutoSave()) {
      KillTimer(kAutoSaveTimer);
      m_nAutoSaveElapse = 0;
      return;
    }
    auto* doc = dynamic_cast<CDraftonDoc*>(GetActiveDocument());
    if (doc && doc->NeedsAutoSave()) {
      COrdvale* hub = gGetOrdvale();
      if (hub) hub->Prompt(L"In saving file...");
      doc->AutoSave();
      if (hub) hub->Prompt(L"");
    }
    return;
  }
  if (id == kProgressTimer) {
    ShowProgress();
    return;
  }
  if (COrdvale* hub = gGetOrdvale()) hub->OnTimer(id);
}

void CMainFrame::ShowProgress() {
  const CFrameProgress::State state = m_progress.Show();
  m_progressShown = state.shown;
  m_progressPos = state.pos;
  if (!state.shown) {
    SetPaneText(kProgressPane, L"");
    return;
  }
  CString text = state.caption.c_str();
  if (!text.IsEmpty()) text += L" ";
  text += CString::FromUtf8(std::to_string(int(state.pos * 100.0 + 0.5)) + "%");
  SetPaneText(kProgressPane, text);
}

void CMainFrame::OnProgressCancel() {
  if (m_progress.Get().shown) gCancelProgress();
}

void CMainFrame::OnUpdateProgressCancel(CCmdUI* ui) { ui->Enable(m_progressShown); }

void CMainFrame::OnGrid() {
  CDBase* db = gGetDBase();
  if (!db) return;
  db->SetGridFlag(!db->GetGridFlag());
  if (CView* view = GetActiveView()) {
    view->SetFocus();
    view->Invalidate();
  }
}

void CMainFrame::OnUpdateGrid(CCmdUI* ui) {
  CDBase* db = gGetDBase();
  ui->SetCheck(db && db->GetGridFlag() ? 1 : 0);
}

void CMainFrame::OnUnit(UINT id) {
  CKXGlobal* global = gGetKXGlobal();
  if (!global || id == ID_UNIT_NONE) return;
  const int unit = int(id - ID_UNIT_MM);
  if (unit == global->GetUnit()) return;
  global->SetUnitBefore(global->GetUnit());
  global->SetUnit(unit);
  if (CView* view = GetActiveView()) view->SendMessage(WM_KX_UNIT_CHANGED);
}

void CMainFrame::OnUpdateUnit(CCmdUI* ui, UINT id) {
  CKXGlobal* global = gGetKXGlobal();
  ui->SetCheck(global && id != ID_UNIT_NONE && global->GetUnit() == int(id - ID_UNIT_MM) ? 1 : 0);
}

void CMainFrame::SetPaneText(int pane, const CString& text) {
  if (pane >= 0 && pane < kStatusPanes) m_panes[pane] = text;
}

CString CMainFrame::GetPaneText(int pane) const {
  return pane >= 0 && pane < kStatusPanes ? m_panes[pane] : CString();
}
