// CDlgLayerManager: the "Edit Layer" page the layer command shows in the design-centre panel:
// ADD and DEL buttons, the layer list and OK, which ends the command.
#pragma once

#include "platform/afx/Button.h"
#include "platform/afx/Dialog.h"
#include "platform/afx/ImageList.h"
#include "velmora/commands/KxLayerList.h"

class CLayerManageCmd;

class CDlgLayerManager : public CDialog {
  DECLARE_DYNAMIC(CDlgLayerManager)

 public:
  static constexpr UINT IDD = 213;
  static constexpr UINT kListID = 163, kAddID = 164, kOkID = 167, kDelID = 177;

  CDlgLayerManager();
  void SetOwnerCmd(CLayerManageCmd* pCmd) { m_pOwner = pCmd; }
  CKxLayerList& GetList() { return m_list; }
  BOOL OnInitDialog() override;
  // ADD, DEL and OK as their buttons do.
  void OnAdd();
  void OnDel();
  void OnOkButton();

 protected:
  void DoDataExchange(CDataExchange* pDX) override;
  void OnCancel() override;
  void OnDestroy();
  BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;
  DECLARE_MESSAGE_MAP()

 private:
  CBitmapButton m_btnOk, m_btnDel, m_btnAdd;
  CKxLayerList m_list;
  CImageList m_images;
  CLayerManageCmd* m_pOwner = nullptr;
};
