#include "velmora/commands/DlgLayerManager.h"

#include "db/DBase.h"
#include "geometry/shapes2d/Layer.h"
#include "platform/afx/DataExchange.h"
#include "platform/vurode/Accessors.h"
#include "platform/win/MessageBox.h"
#include "platform/win/Messages.h"
#include "velmora/commands/LayerManageCmd.h"
#include "velmora/commands/LayerTabs.h"
#include "velmora/commands/LayerTemplates.h"

IMPLEMENT_DYNAMIC(CDlgLayerManager, CDialog)

BEGIN_MESSAGE_MAP(CDlgLayerManager, CDialog)
ON_COMMAND(CDlgLayerManager::kAddID, OnAdd)
ON_COMMAND(CDlgLayerManager::kDelID, OnDel)
ON_COMMAND(CDlgLayerManager::kOkID, OnOkButton)
ON_WM_DESTROY()
END_MESSAGE_MAP()

CDlgLayerManager::CDlgLayerManager() : CDialog(IDD) {
  static const bool registered = (RegisterLayerTemplates(), true);
  (void)registered;
}

void CDlgLayerManager::DoDataExchange(CDataExchange* pDX) {
  CDialog::DoDataExchange(pDX);
  DDX_Control(pDX, kListID, m_list);
}

BOOL CDlgLayerManager::OnInitDialog() {
  if (!CDialog::OnInitDialog()) return FALSE;
  m_btnOk.AutoLoad(kOkID, this);
  m_btnDel.AutoLoad(kDelID, this);
  m_btnAdd.AutoLoad(kAddID, this);
  if (!m_images.IsCreated()) m_images.Create(16, 16, 0xFF, 2, 2);
  m_list.Setup(&m_images);
  CLayerTabs* tabs = gGetLayerTabs();
  if (!tabs) return TRUE;
  const CDBase* db = gGetDBase();
  const int cur = tabs->GetCurLayerIndex();
  for (int i = 0, n = tabs->GetLayerCount(); i < n; ++i) {
    CLayer layer;
    if (tabs->GetLayerAt(i, layer) < 0) continue;
    m_list.AddRow(layer.GetName(), i == cur, layer.IsLocked(), layer.IsVisible(), layer.GetColor(),
                  db ? db->GetCountOnLayerIndex(i) : 0);
  }
  tabs->SetCurLayerOnly(0);
  return TRUE;
}

void CDlgLayerManager::OnAdd() {
  CLayerTabs* tabs = gGetLayerTabs();
  if (!tabs) return;
  if (tabs->AddLayer(L"") < 0) return;
  CLayer layer;
  if (tabs->GetLayerAt(tabs->GetLayerCount() - 1, layer) < 0) return;
  m_list.AddRow(layer.GetName(), 0, layer.IsLocked(), layer.IsVisible(), layer.GetColor(), 0);
  tabs->RefreshView(TRUE);
}

void CDlgLayerManager::OnDel() {
  CLayerTabs* tabs = gGetLayerTabs();
  if (!tabs) return;
  if (tabs->GetLayerCount() <= 1) {
    ::MessageBoxW(nullptr, L"Can't remove last layer!", L"Layer", MB_OK);
    return;
  }
  if (::MessageBoxW(nullptr, L"Are you sure to remove this layer?", L"Layer", MB_YESNO) != IDYES) return;
  const int row = m_list.GetClickedRow();
  if (row < 0 || tabs->DeleteLayer(row) < 0) return;
  m_list.DeleteRow(row);
  // The tab window chose the layer that is current now; the list marks the same one, so that
  // writing a row back later keeps it current.
  m_list.SetCurrentRow(tabs->GetCurLayerIndex());
  tabs->RefreshView(TRUE);
}

void CDlgLayerManager::OnOkButton() {
  m_list.ApplyOnClose();
  // Ending the command closes this page (its window goes here).
  if (m_pOwner) m_pOwner->Cancel();
}

void CDlgLayerManager::OnCancel() {
  m_list.ApplyOnClose();
  CDialog::OnCancel();
}

void CDlgLayerManager::OnDestroy() {
  m_list.ApplyOnClose();
  Default();
}

BOOL CDlgLayerManager::OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
  // The list's drawing and end-of-edit notifications go to the list itself.
  auto* hdr = reinterpret_cast<NMHDR*>(lParam);
  if (hdr && hdr->idFrom == kListID && m_list.GetSafeHwnd() && hdr->hwndFrom == m_list.GetSafeHwnd()) {
    if (hdr->code == NM_CUSTOMDRAW) {
      m_list.OnCustomDraw(hdr, pResult);
      return TRUE;
    }
    if (hdr->code == LVN_ENDLABELEDIT) {
      m_list.OnEndLabelEdit(hdr, pResult);
      return TRUE;
    }
  }
  return CDialog::OnNotify(wParam, lParam, pResult);
}
