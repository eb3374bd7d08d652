#include "velmora/commands/LayerManageCmd.h"

#include "db/DBase.h"
#include "db/Selector.h"
#include "geometry/shapes2d/Layer.h"
#include "platform/vurode/Accessors.h"
#include "platform/win/MessageBox.h"
#include "platform/win/Messages.h"
#include "velmora/bramcourt/DesignCentral.h"
#include "velmora/commands/DlgLayerManager.h"
#include "velmora/commands/DlgLayerSel.h"
#include "velmora/commands/LayerTabs.h"
#include "velmora/ordvale/QMessage.h"

namespace {
CLayerTabs* g_tabs = nullptr;

void SetSelectionLayer(const CSelector& sel, int id) {
  const CDbEntityList& list = sel.GetList();
  for (POSITION pos = list.GetHeadPosition(); pos;) list.GetNext(pos)->SetLayerID(id);
}

const wchar_t* const kSubNames[] = {L"Edit Layer",       L"All Layer On",
                                    L"Current Layer On", L"Layer Off",
                                    L"Change obj layer", L"Change obj to current layer",
                                    L"Set current layer"};
}  // namespace

CLayerTabs* gGetLayerTabs() { return g_tabs; }
void gSetLayerTabs(CLayerTabs* tabs) { g_tabs = tabs; }

CLayerManageCmd::CLayerManageCmd(int flag, const wchar_t* name) : CCommand(flag, name) { m_nState = -1; }

CLayerManageCmd::~CLayerManageCmd() { DestroyCmdDlg(); }

CString CLayerManageCmd::GetCmdName() const {
  return m_nSubCmd >= 0 && m_nSubCmd <= kSetCurrent ? CString(kSubNames[m_nSubCmd]) : CString();
}

void CLayerManageCmd::DestroyCmdDlg() {
  if (m_page) {
    if (m_page->GetSafeHwnd()) m_page->DestroyWindow();
    m_retired = std::move(m_page);
  }
  CCommand::DestroyCmdDlg();
}

void CLayerManageCmd::Message(const wchar_t* text) { ::MessageBoxW(nullptr, text, L"Layer", MB_OK); }

void CLayerManageCmd::ClearSelection() {
  if (m_pSelector) m_pSelector->RemoveAll(1);
}

CDbEntity* CLayerManageCmd::SingleSelected(const wchar_t* complaint) {
  if (!m_pSelector || m_pSelector->GetCount() != 1) {
    Message(complaint);
    return nullptr;
  }
  return m_pSelector->GetList().GetHead();
}

int CLayerManageCmd::StartUp(int sub) {
  m_retired.reset();
  CCommand::StartUp(sub);
  m_nState = 0;
  CLayerTabs* tabs = gGetLayerTabs();
  switch (sub) {
    case kEdit:
      if (!tabs) {
        Cancel();
        return 0;
      }
      if (!ShowPage(kEdit)) {
        Cancel();
        return 0;
      }
      ClearSelection();
      tabs->RefreshView(TRUE);
      return 1;
    case kAllOn:
    case kCurrentOn:
      if (tabs) {
        const int cur = tabs->GetCurLayerIndex();
        for (int i = 0, n = tabs->GetLayerCount(); i < n; ++i) {
          CLayer layer;
          if (tabs->GetLayerAt(i, layer) < 0) continue;
          if (sub == kAllOn || i == cur)
            layer.SetVisible();
          else
            layer.SetInVisible();
          tabs->SetLayerAt(i, layer);
        }
        tabs->SetCurLayerOnly(sub == kAllOn ? 0 : 1);
        ClearSelection();
        tabs->RefreshView(TRUE);
      }
      break;
    case kLayerOff:
      if (CDbEntity* ent = SingleSelected(L"Select one obj to make one layer invisible"); ent && tabs && m_pDBase) {
        if (ent->GetLayerID() == m_pDBase->GetLayerIDByIndex(tabs->GetCurLayerIndex())) {
          Message(L"No closing the current layer");
          break;
        }
        const int index = m_pDBase->GetLayerIndexByID(ent->GetLayerID());
        CLayer layer;
        if (tabs->GetLayerAt(index, layer) < 0) break;
        layer.SetInVisible();
        if (tabs->SetLayerAt(index, layer) < 0) break;
        ClearSelection();
        tabs->RefreshView(TRUE);
      }
      break;
    case kChangeLayer:
      if (m_pSelector && !m_pSelector->IsEmpty()) {
        if (!ShowPage(kChangeLayer)) {
          Cancel();
          return 0;
        }
        return 1;
      }
      Message(L"Change obj layer");
      Cancel();
      return 1;
    case kToCurrent:
      if (!m_pSelector || m_pSelector->IsEmpty()) {
        Message(L"Change obj to current layer");
      } else if (tabs && m_pDBase) {
        // Entities carry layer ids: the current tab's id, not its index.
        const int id = m_pDBase->GetLayerIDByIndex(tabs->GetCurLayerIndex());
        if (id >= 0) {
          SetSelectionLayer(*m_pSelector, id);
          ClearSelection();
          tabs->RefreshView(TRUE);
        }
      }
      break;
    case kSetCurrent:
      if (CDbEntity* ent = SingleSelected(L"Set current layer"); ent && tabs && m_pDBase) {
        // The tab that holds the entity's layer id; an entity on no known layer changes nothing.
        const int index = m_pDBase->GetLayerIndexByID(ent->GetLayerID());
        if (index < 0 || index == tabs->GetCurLayerIndex()) break;
        ClearSelection();
        tabs->SetCurLayer(index);
        tabs->RefreshView(TRUE);
      }
      break;
    default:
      break;
  }
  return Cancel();
}

int CLayerManageCmd::ShowPage(int sub) {
  CDesignCentral* panel = gGetDlgDesignCenter();
  if (!panel || !panel->GetSafeHwnd()) return 0;
  panel->ShowDCenter();
  DestroyCmdDlg();
  const wchar_t* title = nullptr;
  if (sub == kEdit) {
    auto dlg = std::make_unique<CDlgLayerManager>();
    if (!dlg->Create(CDlgLayerManager::IDD, panel)) return 0;
    dlg->SetOwnerCmd(this);
    m_page = std::move(dlg);
    title = L"Edit Layer";
  } else {
    auto dlg = std::make_unique<CDlgLayerSel>();
    if (!dlg->Create(CDlgLayerSel::IDD, panel)) return 0;
    dlg->SetOwnerCmd(this);
    m_page = std::move(dlg);
    title = L"Layer Select";
  }
  SetCmdDlg(m_page.get());
  panel->RemoveCommandAllPage();
  panel->AddCommandPage(title, m_page.get());
  panel->LoadCommandPage();
  return 1;
}

int CLayerManageCmd::Cancel() {
  if (m_nSubCmd == kEdit || m_nSubCmd == kChangeLayer) {
    if (CDesignCentral* panel = gGetDlgDesignCenter()) {
      panel->RecoverDefaultPage();
      panel->RestoreDCenter();
    }
    DestroyCmdDlg();
  }
  const int r = CCommand::Cancel();
  m_nState = -1;
  return r;
}

int CLayerManageCmd::OnRButtonDown(UINT, Position&) { return Cancel(); }

int CLayerManageCmd::OnMessage(QMessage* msg) {
  if (!msg) return 0;
  if (msg->code == QMessage::kRebuildLayers)
    if (CLayerTabs* tabs = gGetLayerTabs()) tabs->ResetLayers();
  return 1;
}

void CLayerManageCmd::MoveSelectionToLayer(int index) {
  CLayerTabs* tabs = gGetLayerTabs();
  CDBase* db = gGetDBase();
  CSelector* sel = m_pSelector;
  if (!tabs || !db || !sel || index < 0 || index >= db->GetLayerCount() || sel->IsEmpty()) return;
  const int id = db->GetLayerIDByIndex(index);
  SetSelectionLayer(*sel, id);
  sel->RemoveAll(1);
  tabs->RefreshView(TRUE);
}
