// CDlgLayerSel: the "Layer Select" page: the layers by name in tab order; OK moves the selected
// entities to the chosen layer and ends the layer command, Cancel only ends it.
#pragma once

#include "platform/afx/Dialog.h"
#include "platform/afx/ListBox.h"

class CLayerManageCmd;

class CDlgLayerSel : public CDialog {
  DECLARE_DYNAMIC(CDlgLayerSel)

 public:
  static constexpr UINT IDD = 218;
  static constexpr UINT kListID = 171;

  CDlgLayerSel();
  void SetOwnerCmd(CLayerManageCmd* pCmd) { m_pOwner = pCmd; }
  CListBox& GetList() { return m_list; }
  BOOL OnInitDialog() override;
  void OnOK() override;
  void OnCancel() override;

 protected:
  void DoDataExchange(CDataExchange* pDX) override;

 private:
  CListBox m_list;
  CLayerManageCmd* m_pOwner = nullptr;
};
