// CUIToolBarMgr: the registry of the program's toolbars and the look they are shown in. Each
// record says under which look a bar belongs (16 the tabbed panel, 17 the classic toolbars),
// which image strips it has for the two icon looks, and which main command and panel page it
// goes with. The look codes asked with IsCurLook: 1 the second icon look, 16 the panel look,
// 17 the classic look, 32 page titles under the panel's buttons.
#pragma once

#include "platform/afx/ControlBar.h"

#include <vector>

class CUIToolBarMgr {
 public:
  static constexpr int kLookIcons = 1;
  static constexpr int kLookPanel = 16;
  static constexpr int kLookClassic = 17;
  static constexpr int kLookTextBottom = 32;

  struct Record {
    UINT toolbar;  // toolbar resource
    UINT bitmap0;  // image strip of icon look 0
    UINT bitmap1;  // and of icon look 1
    CControlBar* bar;
    int look;      // kLookPanel or kLookClassic
    int flag1;
    int flag2;
    int mainCmd;   // -1: none
    int page;      // panel page, -1: none
  };
  // The command hub's current main command (the program hands its getter).
  using MainCmdGetter = int (*)();

  // A new manager starts in the look last chosen for the program (SetDefaultLook).
  explicit CUIToolBarMgr(MainCmdGetter getter = nullptr);
  // The look new managers start in (panel unless the classic look was chosen).
  static void SetDefaultLook(int look);
  static int GetDefaultLook();

  BOOL IsCurLook(int code) const;
  // Panel or classic look, the icon look (0/1) and the title mode, as set by the toolbar settings.
  void SetLook(int look) { m_nLook = look == kLookClassic ? kLookClassic : kLookPanel; }
  int GetLook() const { return m_nLook; }
  void SetIconLook(int iconLook) { m_nIconLook = iconLook ? 1 : 0; }
  void SetTextBottom(int on) { m_bTextBottom = on ? 1 : 0; }

  void Append(const Record& record) { m_records.push_back(record); }
  int GetCount() const { return int(m_records.size()); }
  const Record* GetAt(int index) const;
  const Record* Find(const CControlBar* bar) const;
  int GetMainCmdID() const { return m_getMainCmd ? m_getMainCmd() : -1; }

  // Gives the bar the image strip of the current icon look; FALSE for a bar not registered.
  BOOL UpdateBarUI(CControlBar* bar);
  // The main command became current: the bars registered under it take the current image
  // strip. The number of bars updated.
  int UpdateBarUI_CurCmd(int mainCmd);
  // Shows the look given by the code (kLookPanel or kLookClassic; others keep the current
  // look): the bars registered under it are shown, the others hidden, the layout redone once.
  void ShowCurrentUI(int code);

 private:
  std::vector<Record> m_records;
  MainCmdGetter m_getMainCmd;
  int m_nLook = kLookPanel;
  int m_nIconLook = 0;
  int m_bTextBottom = 0;
};
