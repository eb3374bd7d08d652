// CMainFrame: the program's main window. Its creation shows the splash window, builds the tab
// toolbar, the ten toolbars, the status bar, the snap bar and the rulers, loads the plug-ins
// (and binds the maps of the document and view, made before them, again), attaches the command
// hub, restores the command configuration file, lays out the view and the layer tab strip,
// arms the auto-save timer and restores the bar layout; its destruction writes the
// configuration and the bar layout back. It handles the grid, ruler, snap, layer, toolbar and
// unit commands, the context menus and the frame timers.
#pragma once

#include "platform/panlet/KXStatusBar.h"
#include "platform/panlet/KxToolBar.h"
#include "platform/panlet/RuleBar.h"
#include "platform/panlet/UIToolBarMgr.h"
#include "sockwell/PISMainFrame.h"
#include "velmora/dialogs/ToolBarSetHost.h"
#include "velmora/dialogs/DlgSplash.h"
#include "velmora/shell/FrameProgress.h"
#include "velmora/shell/KXSnapBar.h"
#include "velmora/shell/KxTabWnd.h"
#include "velmora/shell/ViewAnimation.h"

#include <array>
#include <memory>
#include <vector>

class CCmdUI;

class CMainFrame : public CPISMainFrame, public CToolBarSetHost {
  DECLARE_DYNCREATE(CMainFrame)

 public:
  static constexpr UINT_PTR kAutoSaveTimer = 0;
  // Shows the progress of long operations (their own thread reports, the frame shows).
  static constexpr UINT_PTR kProgressTimer = 13;
  static constexpr UINT kProgressTick = 100;  // ms
  // Pane 0 shows the progress, pane 1 the cursor's coordinates.
  static constexpr int kProgressPane = 0;
  static constexpr int kStatusPanes = CKXStatusBar::kPanes;
  static constexpr UINT kTabToolBarID = 442;
  static constexpr int kToolBarCount = 10;
  static constexpr wchar_t kBarStateSection[] = L"Velmora_WM_DockState";

  // One toolbar of the frame: ids, look, the records it gives the toolbar manager, when it is
  // shown at creation and where it docks.
  struct ToolBarSpec {
    UINT id;
    UINT resource;
    UINT bitmap0, bitmap1;
    const wchar_t* title;
    enum Shown { kUnlessClassic, kOnlyClassic, kNo, kYes } shown;
    int look;
    int flag1, flag2;
    int mainCmd;
    int page;
    DWORD align;       // where it sits when it docks by itself
    UINT neighbour;    // the bar it docks next to (0: none)
    bool rightOnly;    // may dock on the right side only
  };
  static const std::array<ToolBarSpec, kToolBarCount>& ToolBarSpecs();
  // The panel pages in order: title, toolbar resource, bitmap, command, flag.
  struct PageSpec {
    const wchar_t* title;
    UINT resource;
    UINT bitmap;
    UINT command;
    int flag;
  };
  static const std::array<PageSpec, 6>& PageSpecs();

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

  // The bars and windows the frame owns (null until made).
  CKxTabWnd* GetKxTabWnd() { return m_wndSplitter.GetSafeHwnd() ? &m_wndSplitter : nullptr; }
  CKXSnapBar* GetSnapBar() { return m_wndSnapBar.GetSafeHwnd() ? &m_wndSnapBar : nullptr; }
  CTabToolBar* GetTabToolBar() { return m_wndTabBar.GetSafeHwnd() ? &m_wndTabBar : nullptr; }
  CKxToolBar* GetToolBar(UINT id);
  CKXStatusBar* GetStatusBar() { return m_wndStatusBar.GetSafeHwnd() ? &m_wndStatusBar : nullptr; }
  CKxRuleBar* GetRuler(bool horizontal);
  CUIToolBarMgr* GetToolBarMgr() { return m_pToolBarMgr.get(); }
  CDlgSplash* GetSplash() { return m_pSplash.get(); }
  BOOL IsClassicLook() const { return m_bClassic; }
  // Pixels between the frame's client origin and the view's, along the horizontal ruler.
  int GetRulerOffset() const;
  // The titles the toolbar context menu lists (ids from 5 in this order).
  const std::vector<CString>& GetToolBarTitles() const { return m_toolBarTitles; }

  // The snap bar's boxes take the state the frame's update handlers give them; the rulers, the
  // status line's prompt and the window title follow the view, the command and the document.
  void OnIdleUpdateCmdUI() override;
  // A button's tip and prompt: its menu item's, else the layer strip button's tip or the
  // registered command's display name.
  CString GetCommandTip(UINT nID) const override;
  CString GetCommandPrompt(UINT nID) const override;
  void SetHoverCommand(UINT nID) override;
  UINT GetHoverCommand() const { return m_nHover; }
  // What the status line's first pane says when no progress shows: the prompt of the button
  // under the pointer, else the running command's prompt.
  CString GetPromptText() const;
  // "name - Velmora V9": the document's file name before the document type's window title.
  CString GetFrameTitle() const;
  void RecalcLayout(BOOL bNotify = TRUE) override;

  // The design-centre panel takes this width along the right edge while it is shown, so the
  // view never lies under it.
  void LayoutDesignCentre();

  // Print preview: the floating drag bar and the tab toolbar go before it; afterwards the
  // toolbar manager shows the current look again.
  void HideBarsForPreview();
  void RestoreBarsAfterPreview();

  // The toolbar settings dialog's view of the frame.
  int GetIconSizeWord() const override { return m_nLookSel; }
  void SetIconSizeWord(int value) override { m_nLookSel = value ? 1 : 0; }
  int GetTextPosWord() const override { return m_nTextPos; }
  void SetTextPosWord(int value) override { m_nTextPos = value ? 1 : 0; }
  int GetStyleWord() const override { return m_bClassic ? 1 : 0; }
  void SetStyleWord(int value) override { m_bClassic = value ? TRUE : FALSE; }
  int GetTabTXTBottomMode() const override { return m_wndTabBar.GetTabTXTBottomMode(); }
  void HideDragTBar() override;
  bool HasToolBarMgr() const override { return m_pToolBarMgr != nullptr; }
  void ShowCurrentUI(int code) override;
  std::vector<Bar> GetBars(int kind) const override;
  bool ShowBar(int kind, const CString& title, bool show) override;
  void RefreshPlugInToolBars() override { DockPlugToolBar(); }

  // The animated change to a standard 3D view (timer 11).
  CStdViewAnimation& GetViewAnimation() { return m_viewAnim; }
  // Plain Shift+letter keys are typed text while the text tools are current: they skip the
  // accelerators, which would otherwise take capital letters away from the text.
  BOOL PreTranslateMessage(MSG* pMsg) override;

 protected:
  BOOL OnCreateClient(LPCREATESTRUCT lpcs, void* pContext) override;
  int OnCreate(LPCREATESTRUCT lpcs);
  // Creation steps that make the bars; FALSE fails the frame.
  BOOL CreateToolBars();
  BOOL DockBars();
  void OnDestroy();
  // The view's menu handlers reach the bars, rulers, panel, help and tips through these.
  void InstallViewServices();
  void OnToolBarSettings();
  void OnTimer(UINT_PTR id);
  void OnSize(UINT type, int cx, int cy);
  void OnContextMenu(CWnd* pWnd, CPoint point);
  void OnGrid();
  void OnUpdateGrid(CCmdUI* ui);
  void OnRulers();
  void OnUpdateRulers(CCmdUI* ui);
  void OnSnapSettings();
  void OnPathVisible();
  void OnUpdatePathVisible(CCmdUI* ui);
  void OnNoEffect();
  void OnUpdateNoEffect(CCmdUI* ui);
  void OnCurveBar();
  void OnUpdateCurveBar(CCmdUI* ui);
  void OnLayerBar();
  void OnUpdateLayerBar(CCmdUI* ui);
  void OnSnap(UINT id);
  void OnUpdateSnap(CCmdUI* ui, UINT id);
  void OnLayerItem(UINT id);
  void OnToolBarItem(UINT id);
  void OnUnit(UINT id);
  void OnUpdateUnit(CCmdUI* ui, UINT id);
  void OnProgressCancel();
  void OnUpdateProgressCancel(CCmdUI* ui);
  LRESULT OnColorChange(WPARAM, LPARAM);
  LRESULT OnHideRulers(WPARAM, LPARAM);
  LRESULT OnShowRulers(WPARAM, LPARAM);
  void ShowProgress();
  void ShowRulers(BOOL show);
  void UpdateSnapChecks();
  // The rulers' scale from the view state, in the current unit (ticks only in 3D).
  void UpdateRulerScales();

  DECLARE_MESSAGE_MAP()

 private:
  UINT m_nAutoSaveElapse = 0;
  CStdViewAnimation m_viewAnim;
  CFrameProgress m_progress;
  bool m_progressStarted = false;
  bool m_progressShown = false;
  double m_progressPos = 0.0;

  std::unique_ptr<CDlgSplash> m_pSplash;
  CTabToolBar m_wndTabBar;
  std::array<CKxToolBar, kToolBarCount> m_toolBars;
  CKXStatusBar m_wndStatusBar;
  CKXSnapBar m_wndSnapBar;
  CKxRuleBar m_wndHorRuler;
  CKxRuleBar m_wndVerRuler;
  CKxTabWnd m_wndSplitter;
  std::unique_ptr<CUIToolBarMgr> m_pToolBarMgr;
  UINT m_nBarsMainCmd = 0;  // the main command the bars were last shown for
  UINT m_nHover = 0;        // the bar button under the pointer
  BOOL m_bClassic = FALSE;
  int m_nLookSel = 0;
  int m_nTextPos = 0;
  BOOL m_bSnapBarShown = FALSE;
  BOOL m_bPathVisible = TRUE;
  std::vector<CString> m_toolBarTitles;
};
