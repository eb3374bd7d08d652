#include "velmora/commands/DlgLayerSel.h"

#include "geometry/shapes2d/Layer.h"
#include "platform/afx/DataExchange.h"
#include "velmora/commands/LayerManageCmd.h"
#include "velmora/commands/LayerTabs.h"
#include "velmora/commands/LayerTemplates.h"

IMPLEMENT_DYNAMIC(CDlgLayerSel, CDialog)

CDlgLayerSel::CDlgLayerSel() : CDialog(IDD) {
  static const bool registered = (RegisterLayerTemplates(), true);
  (void)registered;
}

void CDlgLayerSel::DoDataExchange(CDataExchange* pDX) {
  CDialog::DoDataExchange(pDX);
  DDX_Control(pDX, kListID, m_list);
}

BOOL CDlgLayerSel::OnInitDialog() {
  if (!CDialog::OnInitDialog()) return FALSE;
  if (CLayerTabs* tabs = gGetLayerTabs())
    for (int i = 0, n = tabs->GetLayerCount(); i < n; ++i) {
      CLayer layer;
      if (tabs->GetLayerAt(i, layer) >= 0) m_list.AddString(layer.GetName());
    }
  return TRUE;
}

void CDlgLayerSel::OnOK() {
  if (!m_pOwner) return CDialog::OnOK();
  const int sel = m_list.GetSafeHwnd() ? m_list.GetCurSel() : -1;
  CLayerManageCmd* owner = m_pOwner;
  owner->MoveSelectionToLayer(sel < 0 ? -1 : sel);
  // Ending the command closes this page.
  owner->Cancel();
}

void CDlgLayerSel::OnCancel() {
  if (!m_pOwner) return CDialog::OnCancel();
  m_pOwner->Cancel();
}
