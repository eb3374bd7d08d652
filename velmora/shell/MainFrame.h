// CMainFrame: the program's main window. Its creation loads the plug-ins (and binds the maps of
// the document and view, made before them, again), attaches the command hub, restores the
// command configuration file and arms the auto-save timer; its destruction writes the
// configuration back. It handles the unit and grid commands and the frame timers.
#pragma once

#include "sockwell/PISMainFrame.h"
#include "velmora/shell/FrameProgress.h"
#include "velmora/shell/ViewAnimation.h"

class CCmdUI;

class CMainFrame : public CPISMainFrame {
  DECLARE_DYNCREATE(CMainFrame)

 public:
  static constexpr UINT_PTR kAutoSaveTimer = 0;
  // Shows the progress of long operations (their own thread reports, the frame shows).
  static constexpr UINT_PTR kProgressTimer = 13;
  static constexpr UINT kProgressTick = 100;  // ms
  // Pane 0 shows the progress, pane 1 the cursor's coordinates.
  static constexpr int kProgressPane = 0;
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
  // Stops the auto-save timer and starts it again with the settings' period when auto-save is
  // on (after the settings changed).
  void RearmAutoSave();
  // The period the auto-save timer was last armed with (0: not armed).
  UINT GetAutoSaveElapse() const { return m_nAutoSaveElapse; }
  // The progress display as last shown: whether open and its position in [0, 1].
  bool IsProgressShown() const { return m_progressShown; }
  double GetProgressPos() const { return m_progressPos; }
  // The animated change to a standard 3D view (timer 11).
  CStdViewAnimation& GetViewAnimation() { return m_viewAnim; }
  // Plain Shift+letter keys are typed text while the text tools are current: they skip the
  // accelerators, which would otherwise take capital letters away from the text.
  BOOL PreTranslateMessage(MSG* pMsg) override;
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
  void OnProgressCancel();
  void OnUpdateProgressCancel(CCmdUI* ui);
  void ShowProgress();

  DECLARE_MESSAGE_MAP()

 private:
  UINT m_nAutoSaveElapse = 0;
  CStdViewAnimation m_viewAnim;
  CFrameProgress m_progress;
  bool m_progressStarted = false;
  bool m_progressShown = false;
  double m_progressPos = 0.0;
  CString m_panes[kStatusPanes];
};
