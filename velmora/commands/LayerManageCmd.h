// CLayerManageCmd: the layer menu's seven entries as one command with a sub-command each:
// 0 the layer editing page, 1 every layer on, 2 only the current layer on, 3 the layer of the
// picked entity off, 4 the page that moves the selection to a chosen layer, 5 the selection to
// the current layer, 6 the picked entity's layer becomes current. Sub-commands 0 and 4 stay
// running while their page is shown in the design-centre panel; the others end at once.
//
// The tab window addresses layers by tab index while entities carry a layer id; every step here
// maps between the two through the database, so a drawing whose layer ids no longer follow the
// tab order (a layer was deleted) keeps working.
#pragma once

#include "velmora/commands/CommandIds.h"
#include "velmora/ordvale/Command.h"

#include <memory>

class CDbEntity;
class CLayerTabs;

class CLayerManageCmd : public CCommand {
 public:
  enum Sub {
    kEdit = 0,
    kAllOn = 1,
    kCurrentOn = 2,
    kLayerOff = 3,
    kChangeLayer = 4,
    kToCurrent = 5,
    kSetCurrent = 6,
  };

  CLayerManageCmd(int flag, const wchar_t* name);
  ~CLayerManageCmd() override;

  // The display name of the running sub-command ("" for an unknown one).
  CString GetCmdName() const override;
  // Destroys the page's window; the object goes when the command next starts or is deleted,
  // so a page may end the command from inside its own handler.
  void DestroyCmdDlg() override;
  int HostType() const override { return kHostSelect; }
  int StartUp(int sub) override;
  int OnRButtonDown(UINT flags, Position& pos) override;
  int Cancel() override;
  // Code 5: the drawing's layers changed, the tabs are rebuilt.
  int OnMessage(QMessage* msg) override;

  // The selection moves to the layer at the tab index (the layer selection page's OK).
  void MoveSelectionToLayer(int index);

 private:
  // Puts the page of sub-command 0 or 4 into the design-centre panel; 0 without a panel or
  // when the page cannot be made.
  int ShowPage(int sub);
  void ClearSelection();
  // The single selected entity, or null (with the message box) when not exactly one.
  CDbEntity* SingleSelected(const wchar_t* complaint);
  static void Message(const wchar_t* text);

  std::unique_ptr<CWnd> m_page;     // the page shown while sub-command 0 or 4 runs
  std::unique_ptr<CWnd> m_retired;  // a page whose window is gone, deleted later
};
