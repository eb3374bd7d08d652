#include "velmora/commands/LayerTemplates.h"

#include "platform/afx/CommonCtrl.h"
#include "platform/afx/Control.h"
#include "platform/afx/DialogTemplate.h"
#include "platform/afx/ListCtrl.h"
#include "platform/win/MessageBox.h"
#include "platform/win/Messages.h"
#include "velmora/commands/DlgLayerManager.h"
#include "velmora/commands/DlgLayerSel.h"

void RegisterLayerTemplates() {
  // Both are pages of the design-centre panel: child windows without a frame.
  AfxDialogTemplate edit;
  edit.id = CDlgLayerManager::IDD;
  edit.caption = L"Edit Layer";
  edit.cx = 220;
  edit.cy = 300;
  edit.style = WS_CHILD;
  edit.items = {
      {kButtonClass, CDlgLayerManager::kAddID, L"ADD", RECT{8, 8, 68, 32}, BS_PUSHBUTTON},
      {kButtonClass, CDlgLayerManager::kDelID, L"DEL", RECT{78, 8, 138, 32}, BS_PUSHBUTTON},
      {kButtonClass, CDlgLayerManager::kOkID, L"OK", RECT{148, 8, 208, 32}, BS_PUSHBUTTON},
      {kListViewClass, CDlgLayerManager::kListID, L"", RECT{8, 40, 212, 292},
       LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS | WS_BORDER | WS_TABSTOP},
  };
  AfxRegisterDialogTemplate(edit);

  AfxDialogTemplate sel;
  sel.id = CDlgLayerSel::IDD;
  sel.caption = L"Layer Select";
  sel.cx = 220;
  sel.cy = 300;
  sel.style = WS_CHILD;
  sel.items = {
      {kStaticClass, 0xFFFF, L"Move the selected objects to:", RECT{8, 8, 212, 24}, SS_LEFT},
      {kListBoxClass, CDlgLayerSel::kListID, L"", RECT{8, 28, 212, 252}, LBS_NOTIFY | WS_BORDER | WS_TABSTOP},
      {kButtonClass, IDOK, L"OK", RECT{40, 262, 110, 288}, BS_DEFPUSHBUTTON | WS_TABSTOP},
      {kButtonClass, IDCANCEL, L"Cancel", RECT{120, 262, 190, 288}, BS_PUSHBUTTON | WS_TABSTOP},
  };
  AfxRegisterDialogTemplate(sel);
}
