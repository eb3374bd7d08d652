// The frame's links to parts made apart from it: the services the view's menu handlers call,
// the toolbar settings dialog's host, the design-centre panel's place in the layout and the
// bars put away during a print preview.
#include "platform/panlet/BarAccessors.h"
#include "velmora/commands/CommandIds.h"
#include "velmora/bramcourt/DesignCentral.h"
#include "velmora/dialogs/ToolBarSetDlg.h"
#include "velmora/dialogs/AboutboxHelpPrompt.h"
#include "velmora/shell/Launcher.h"
#include "velmora/shell/MainFrame.h"
#include "velmora/shell/ViewServices.h"

#include <algorithm>

namespace {
// The View menu's toolbar switches and the bars they show: Align, Editing (the modification
// bar) and Transform, all bars of the selection command.
UINT BarOfMenuItem(UINT menuId) {
  switch (menuId) {
    case ID_VIEW_ALIGN_BAR: return 59403;
    case ID_VIEW_EDIT_BAR: return 59401;
    case ID_VIEW_TRANSFORM_BAR: return 59402;
    default: return 0;
  }
}

// The panel only counts while it is this frame's child.
CDesignCentral* PanelOf(const CWnd* frame) {
  CDesignCentral* panel = gGetDlgDesignCenter();
  return panel && panel->GetSafeHwnd() && panel->GetParent() == frame ? panel : nullptr;
}
}  // namespace

void CMainFrame::InstallViewServices() {
  ViewServices& s = gViewServices();
  // The menu's update of the current main command runs at every idle pass; the bars are
  // redone only when that command changed, or every repaint would start another pass.
  s.toolBarCurCmd = [this](UINT mainCmd) {
    if (!m_pToolBarMgr || mainCmd == m_nBarsMainCmd) return;
    m_nBarsMainCmd = mainCmd;
    m_pToolBarMgr->UpdateBarUI_CurCmd(int(mainCmd));
  };
  s.toolBarState = [this](UINT menuId) {
    const UINT id = BarOfMenuItem(menuId);
    CKxToolBar* bar = id ? GetToolBar(id) : nullptr;
    if (!bar) return -1;
    return bar->IsVisible() ? 1 : 0;
  };
  s.showToolBar = [this](UINT menuId, bool show) {
    const UINT id = BarOfMenuItem(menuId);
    if (CKxToolBar* bar = id ? GetToolBar(id) : nullptr) ShowControlBar(bar, show, FALSE);
  };
  s.rulersVisible = [this] { return m_wndHorRuler.IsVisible() && m_wndVerRuler.IsVisible(); };
  s.showRulers = [this](bool show) { ShowRulers(show); };
  s.selectByType = [this] {
    CDesignCentral* panel = PanelOf(this);
    if (!panel) return;
    if (!panel->IsWindowVisible())
      panel->ShowWindow(SW_SHOW);
    else if (panel->IsIconic())
      panel->ShowWindow(SW_RESTORE);
    const CDesignCentral::Page* page = panel->GetCurPage();
    if (page && page->wnd && page->wnd->GetSafeHwnd() && !page->wnd->IsWindowVisible())
      panel->SwitchTab(panel->GetCurPageIndex());
    RecalcLayout();
  };
  s.toggleDesignCentre = [this] {
    CDesignCentral* panel = PanelOf(this);
    if (!panel) return;
    if (panel->IsWindowVisible()) {
      panel->ShowWindow(SW_HIDE);
    } else {
      panel->SetDCenterPos();
      panel->ShowWindow(SW_SHOW);
    }
    RecalcLayout();
  };
  s.designCentreVisible = [this] {
    CDesignCentral* panel = PanelOf(this);
    return panel && panel->IsWindowVisible();
  };
  // The help is the HTML folder beside the program, whatever file the menu names.
  s.openHelp = [](const CString&) { KxOpenHelp(); };
  s.openTool = [](UINT menuId) {
    if (menuId == ID_HELP_WEB)
      KxOpenWebHelp();
    else
      KxOpenTool(menuId);
  };
  s.tipOfTheDay = [] {
    CAboutboxHelpPrompt prompt;
    prompt.DoModal();
  };
}

void CMainFrame::OnToolBarSettings() {
  CToolBarSetDlg dlg(this, this);
  dlg.DoModal();
}

void CMainFrame::HideDragTBar() { m_wndTabBar.HideDragTBar(); }

void CMainFrame::ShowCurrentUI(int code) {
  if (m_pToolBarMgr) m_pToolBarMgr->ShowCurrentUI(code);
}

std::vector<CToolBarSetHost::Bar> CMainFrame::GetBars(int kind) const {
  std::vector<Bar> bars;
  if (!m_pToolBarMgr) return bars;
  for (int i = 0; i < m_pToolBarMgr->GetCount(); ++i) {
    const CUIToolBarMgr::Record* r = m_pToolBarMgr->GetAt(i);
    if (r->look != kind || !r->bar || !r->bar->GetSafeHwnd()) continue;
    CString title;
    r->bar->GetWindowText(title);
    bars.push_back({title, r->bar->IsVisible() != FALSE});
  }
  return bars;
}

bool CMainFrame::ShowBar(int kind, const CString& title, bool show) {
  if (!m_pToolBarMgr) return false;
  for (int i = 0; i < m_pToolBarMgr->GetCount(); ++i) {
    const CUIToolBarMgr::Record* r = m_pToolBarMgr->GetAt(i);
    if (r->look != kind || !r->bar || !r->bar->GetSafeHwnd()) continue;
    CString text;
    r->bar->GetWindowText(text);
    if (text != title) continue;
    ShowControlBar(r->bar, show, FALSE);
    m_pToolBarMgr->UpdateBarUI(r->bar);
    return true;
  }
  return false;
}

void CMainFrame::LayoutDesignCentre() {
  CDesignCentral* panel = PanelOf(this);
  CWnd* pane = GetPaneWindow();
  if (!panel || !pane || !panel->IsWindowVisible()) return;
  CRect rc;
  pane->GetWindowRect(&rc);
  ScreenToClient(&rc);
  CRect mine;
  panel->GetWindowRect(&mine);
  const int want = mine.Width() > 0 ? mine.Width() : CDesignCentral::kDefaultWidth;
  const int width = std::clamp(want, 0, std::max(0, rc.Width()));
  panel->MoveWindow(rc.right - width, rc.top, width, rc.Height());
  pane->MoveWindow(rc.left, rc.top, rc.Width() - width, rc.Height());
}

void CMainFrame::HideBarsForPreview() {
  if (!m_wndTabBar.GetSafeHwnd()) return;
  m_wndTabBar.HideDragTBar();
  ShowControlBar(&m_wndTabBar, FALSE, TRUE);
}

void CMainFrame::RestoreBarsAfterPreview() {
  if (!m_pToolBarMgr) return;
  m_pToolBarMgr->ShowCurrentUI((m_bClassic ? 1 : 0) | 0x10);
  // The drag bar belongs to the panel look only.
  if (m_bClassic)
    m_wndTabBar.HideDragTBar();
  else if (CKxToolBar* drag = m_wndTabBar.GetDragBar())
    ShowControlBar(drag, TRUE, FALSE);
}
