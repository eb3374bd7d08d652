// CMainFrame: the program's main window. Its creation loads the plug-ins (and binds the maps of
// the document and view, made before them, again), attaches the command hub, restores the
// command configuration file and arms the auto-save timer; its destruction writes the
// configuration back. It handles the unit and grid commands and the frame timers.
#pragma once

#include "sockwell/PISMainFrame.h"

class CCmdUI;

class CMainFrame : public CPISMainFrame {
  DECLARE_DYNCREATE(CMainFrame)

 public:
  static constexpr UINT_PTR kAutoSaveTimer = 0;
  static constexpr int kStatusPanes = 4;

  CMainFrame();
  ~CMainFrame() override;

  // "Command.cfg" in the application folder.
  static CString CommandConfigPath();
  // Reads the configuration: a missing or empty file leaves the defaults; a damaged one is
  // reported once, the defaults are kept and the file is rewritten at exit. FALSE when damaged.
  BOOL ReadCommandConfig();
  // Writes it; FALSE (reported) when the file cannot be written.
  BOOL WriteCommandConfig();

  // The status bar's panes (pane 1 shows the cursor's coordinates).
  void SetPaneText(int pane, const CString& text);
  CString GetPaneText(int pane) const;
  // The period the auto-save timer was last armed with (0: not armed).
  UINT GetAutoSaveElapse() const { return m_nAutoSaveElapse; }
  // What the layer tab strip keeps in the configuration: hidden flag and current tab.
  int m_nStripState[2] = {0, 0};

 protected:
  int OnCreate(LPCREATESTRUCT lpcs);
  void OnDestroy();
  void OnTimer(UINT_PTR id);
  void OnGrid();
  void OnUpdateGrid(CCmdUI* ui);
  void OnUnit(UINT id);
  void OnUpdateUnit(CCmdUI* ui, UINT id);

  DECLARE_MESSAGE_MAP()

 private:
  UINT m_nAutoSaveElapse = 0;
  CString m_panes[kStatusPanes];
};
