#include "velmora/shell/MainFrame.h"
#include "velmora/commands/CommandIds.h"

#include "db/Action.h"
#include "db/DBase.h"
#include "db/DbAccess.h"
#include "db/Selector.h"
#include "platform/afx/Archive.h"
#include "platform/afx/CmdTarget.h"
#include "platform/afx/Exception.h"
#include "platform/afx/File.h"
#include "platform/afx/Menu.h"
#include "platform/afx/SafeFile.h"
#include "platform/afx/WinApp.h"
#include "platform/panlet/BarAccessors.h"
#include "platform/win/Resource.h"
#include "platform/vurode/Accessors.h"
#include "platform/vurode/KXGlobal.h"
#include "sockwell/PIView.h"
#include "sockwell/PlugInApp.h"
#include "velmora/bramcourt/DesignCentral.h"
#include "velmora/ordvale/Command.h"
#include "velmora/ordvale/GLView.h"
#include "velmora/ordvale/Ordvale.h"
#include "velmora/ordvale/QMessage.h"
#include "velmora/shell/BarResources.h"
#include "velmora/shell/DraftonDoc.h"
#include "velmora/shell/Resources.h"
#include "velmora/shell/ViewMenu.h"
#include "velmora/shell/ViewServices.h"

#include <string>

IMPLEMENT_DYNCREATE(CMainFrame, CPISMainFrame)

BEGIN_MESSAGE_MAP(CMainFrame, CPISMainFrame)
ON_WM_CREATE()
ON_WM_DESTROY()
ON_WM_TIMER()
ON_WM_SIZE()
ON_WM_CONTEXTMENU()
ON_COMMAND(ID_VIEW_GRID, OnGrid)
ON_COMMAND(ID_VIEW_TOOLBARS, OnToolBarSettings)
ON_UPDATE_COMMAND_UI(ID_VIEW_GRID, OnUpdateGrid)
ON_COMMAND(ID_VIEW_RULERS, OnRulers)
ON_UPDATE_COMMAND_UI(ID_VIEW_RULERS, OnUpdateRulers)
ON_COMMAND(ID_VIEW_SNAP_SETTINGS, OnSnapSettings)
ON_COMMAND(ID_VIEW_PATH, OnPathVisible)
ON_UPDATE_COMMAND_UI(ID_VIEW_PATH, OnUpdatePathVisible)
ON_COMMAND(ID_NO_EFFECT, OnNoEffect)
ON_UPDATE_COMMAND_UI(ID_NO_EFFECT, OnUpdateNoEffect)
ON_COMMAND(ID_VIEW_CURVE_BAR, OnCurveBar)
ON_UPDATE_COMMAND_UI(ID_VIEW_CURVE_BAR, OnUpdateCurveBar)
ON_COMMAND(ID_VIEW_LAYER_BAR, OnLayerBar)
ON_UPDATE_COMMAND_UI(ID_VIEW_LAYER_BAR, OnUpdateLayerBar)
ON_COMMAND_RANGE(ID_SNAP_FIRST, ID_SNAP_ALL, OnSnap)
ON_UPDATE_COMMAND_UI_RANGE(ID_SNAP_FIRST, ID_SNAP_NAVIGATE, OnUpdateSnap)
ON_COMMAND_RANGE(ID_LAYER_EDIT, ID_LAYER_SET_CUR, OnLayerItem)
ON_COMMAND_RANGE(ID_TOOLBAR_FIRST, ID_TOOLBAR_LAST, OnToolBarItem)
ON_COMMAND_RANGE(ID_UNIT_NONE, ID_UNIT_FEET, OnUnit)
ON_UPDATE_COMMAND_UI_RANGE(ID_UNIT_NONE, ID_UNIT_FEET, OnUpdateUnit)
ON_COMMAND(ID_PROGRESS_CANCEL, OnProgressCancel)
ON_UPDATE_COMMAND_UI(ID_PROGRESS_CANCEL, OnUpdateProgressCancel)
ON_MESSAGE(WM_KX_COLOR_CHANGE, OnColorChange)
ON_MESSAGE(WM_KX_HIDE_RULERS, OnHideRulers)
ON_MESSAGE(WM_KX_SHOW_RULERS, OnShowRulers)
END_MESSAGE_MAP()

namespace {
using Spec = CMainFrame::ToolBarSpec;
constexpr int kLookPanel = CUIToolBarMgr::kLookPanel;
constexpr int kLookClassic = CUIToolBarMgr::kLookClassic;
constexpr UINT kStandardBar = 59396;
constexpr UINT kCurveBar = 59398;

BOOL PaperSize(double* width, double* height) { return hubGetPaperSize(*width, *height); }
int MainCmdID() { return int(hubGetMainCmdID()); }
void RunMainCmd(UINT id) { hubRunMainCmd(id); }

// The dock bar a docked neighbour sits in, tried top, bottom, left, right.
UINT DockBarOfStyle(DWORD style) {
  if (style & CBRS_ALIGN_TOP) return AFX_IDW_DOCKBAR_TOP;
  if (style & CBRS_ALIGN_BOTTOM) return AFX_IDW_DOCKBAR_BOTTOM;
  if (style & CBRS_ALIGN_LEFT) return AFX_IDW_DOCKBAR_LEFT;
  if (style & CBRS_ALIGN_RIGHT) return AFX_IDW_DOCKBAR_RIGHT;
  return 0;
}
}  // namespace

const std::array<CMainFrame::ToolBarSpec, CMainFrame::kToolBarCount>& CMainFrame::ToolBarSpecs() {
  static const std::array<Spec, kToolBarCount> specs = {{
      {59394, IDR_TB_VIEW_PANEL, 441, 464, L"View Bar", Spec::kUnlessClassic, kLookPanel, 1, 1, -1, -1, CBRS_ALIGN_RIGHT, 0, true},
      {59395, IDR_TB_EDIT_MODE, 596, 597, L"Editing Mode Bar", Spec::kOnlyClassic, kLookClassic, 1, 0, 18, -1, CBRS_ALIGN_RIGHT, 0, true},
      {59396, IDR_TB_STANDARD, 594, 595, L"Standard Bar", Spec::kOnlyClassic, kLookClassic, 1, 1, 18, -1, CBRS_ALIGN_TOP, 0, false},
      {59397, IDR_TB_VIEW, 600, 592, L"View Bar", Spec::kOnlyClassic, kLookClassic, 1, 1, 18, -1, CBRS_ALIGN_TOP, kStandardBar, false},
      {59398, IDR_TB_CURVE, 601, 593, L"Curve Bar", Spec::kOnlyClassic, kLookClassic, 1, 0, ID_MODE_SELECTION, 1, CBRS_ALIGN_LEFT, 0, false},
      {59399, IDR_TB_TEXT, 598, 599, L"Text Editing Bar", Spec::kOnlyClassic, kLookClassic, 1, 0, 18, -1, CBRS_ALIGN_TOP, kStandardBar, false},
      {59400, IDR_TB_NODE, 434, 590, L"Node Editing Bar", Spec::kNo, kLookClassic, 1, 1, ID_MODE_NODE, 5, CBRS_ALIGN_LEFT, 0, false},
      {59401, IDR_TB_MODIFY, 609, 610, L"Modification Bar", Spec::kNo, kLookClassic, 0, 0, ID_MODE_SELECTION, -1, CBRS_ALIGN_TOP, 0, false},
      {59402, IDR_TB_TRANSFORM, 611, 612, L"Transform Bar", Spec::kNo, kLookClassic, 0, 0, ID_MODE_SELECTION, -1, CBRS_ALIGN_TOP, 0, false},
      {59403, IDR_TB_ALIGN, 440, 591, L"Aligning Bar", Spec::kYes, kLookClassic, 0, 0, ID_MODE_SELECTION, -1, CBRS_ALIGN_BOTTOM, 0, false},
  }};
  return specs;
}

const std::array<CMainFrame::PageSpec, 6>& CMainFrame::PageSpecs() {
  static const std::array<PageSpec, 6> pages = {{
      {L"File", IDR_TB_FILE_PAGE, 118, ID_MODE_SELECTION, 1},
      {L"Draw && Text", IDR_TB_DRAW_PAGE, 439, ID_MODE_SELECTION, 1},
      {L"Modify", IDR_TB_MODIFY, 609, ID_MODE_SELECTION, 0},
      {L"Transform", IDR_TB_TRANSFORM, 611, ID_MODE_SELECTION, 0},
      {L"Align", IDR_TB_ALIGN, 440, ID_MODE_SELECTION, 0},
      {L"Node", IDR_TB_NODE, 434, ID_MODE_NODE, 1},
  }};
  return pages;
}

CMainFrame::CMainFrame() : m_pSplash(std::make_unique<CDlgSplash>(this)) { gSetMainFrame(this); }

CMainFrame::~CMainFrame() {
  if (gGetMainFrame() == this) gSetMainFrame(nullptr);
  // Nothing registered may outlive the frame that owns it.
  if (gGetUIToolBarMgr() == m_pToolBarMgr.get()) gSetUIToolBarMgr(nullptr);
  if (gGetStatusBar() == &m_wndStatusBar) gSetStatusBar(nullptr);
  if (gGetHorRuleBar() == &m_wndHorRuler) gSetHorRuleBar(nullptr);
  if (gGetVerRuleBar() == &m_wndVerRuler) gSetVerRuleBar(nullptr);
  if (gGetKXTabToolBar() == &m_wndTabBar) gSetKXTabToolBar(nullptr);
  if (m_pSplash && m_pSplash->GetSafeHwnd()) m_pSplash->DestroyWindow();
}

CString CMainFrame::CommandConfigPath() { return gGetApplicationPath() + L"/Command.cfg"; }

BOOL CMainFrame::OnCreateClient(LPCREATESTRUCT, void* pContext) {
  auto* ctx = static_cast<CCreateContext*>(pContext);
  if (!ctx || !ctx->m_pNewViewClass) return TRUE;
  if (!m_wndSplitter.Create(this, ctx)) return FALSE;
  gSetLayerTabs(&m_wndSplitter);
  if (auto* view = dynamic_cast<CView*>(m_wndSplitter.GetView())) SetActiveView(view);
  return TRUE;
}

CKxToolBar* CMainFrame::GetToolBar(UINT id) {
  for (size_t i = 0; i < m_toolBars.size(); ++i)
    if (ToolBarSpecs()[i].id == id && m_toolBars[i].GetSafeHwnd()) return &m_toolBars[i];
  return nullptr;
}

CKxRuleBar* CMainFrame::GetRuler(bool horizontal) {
  CKxRuleBar& r = horizontal ? m_wndHorRuler : m_wndVerRuler;
  return r.GetSafeHwnd() ? &r : nullptr;
}

int CMainFrame::GetRulerOffset() const {
  // The vertical ruler, when shown, pushes the view to the right of the horizontal one's start.
  return m_wndVerRuler.IsVisible() ? CKxRuleBar::kThickness : 0;
}

BOOL CMainFrame::CreateToolBars() {
  // The tab toolbar and its pages.
  if (!m_wndTabBar.Create(this, m_pToolBarMgr->IsCurLook(CUIToolBarMgr::kLookTextBottom) ? 0 : 1, kTabToolBarID))
    return FALSE;
  m_wndTabBar.SetBackground(457);
  m_wndTabBar.SetMainCmdRunner(&RunMainCmd);
  for (const PageSpec& p : PageSpecs())
    if (m_wndTabBar.AddPage(p.title, p.resource, p.bitmap, p.command, p.flag) < 0) return FALSE;
  m_wndTabBar.SelectPage(1);
  m_wndTabBar.SetWindowText(L"TabPanel Bar");
  m_pToolBarMgr->Append({kTabToolBarID, 0, 0, &m_wndTabBar, kLookPanel, 1, 0, 0, -1});
  gSetKXTabToolBar(&m_wndTabBar);
  m_wndTabBar.ShowWindow(m_bClassic ? SW_HIDE : SW_SHOW);

  for (size_t i = 0; i < m_toolBars.size(); ++i) {
    const Spec& s = ToolBarSpecs()[i];
    CKxToolBar& bar = m_toolBars[i];
    if (!bar.CreateKx(this, s.id, s.align)) return FALSE;
    if (!bar.LoadToolBar(s.resource, m_nLookSel ? s.bitmap1 : s.bitmap0, m_nLookSel, s.flag2)) return FALSE;
    bar.SetWindowText(s.title);
    m_pToolBarMgr->Append({s.resource, s.bitmap0, s.bitmap1, &bar, s.look, s.flag1, s.flag2, s.mainCmd, s.page});
    bool shown = false;
    switch (s.shown) {
      case Spec::kUnlessClassic: shown = !m_bClassic; break;
      case Spec::kOnlyClassic: shown = m_bClassic; break;
      case Spec::kNo: shown = false; break;
      case Spec::kYes: shown = true; break;
    }
    bar.ShowWindow(shown ? SW_SHOW : SW_HIDE);
  }
  return TRUE;
}

BOOL CMainFrame::DockBars() {
  EnableDocking(CBRS_ALIGN_ANY);
  for (size_t i = 0; i < m_toolBars.size(); ++i)
    m_toolBars[i].EnableDocking(ToolBarSpecs()[i].rightOnly ? CBRS_ALIGN_RIGHT : CBRS_ALIGN_ANY);
  m_wndTabBar.DockDragBar(this);
  if (m_bClassic) m_wndTabBar.HideDragTBar();
  // Standard, first View, second View and Text Editing (next to Standard), Editing Mode,
  // Modification, Transform, Curve, Node Editing, Aligning.
  static const UINT order[kToolBarCount] = {59396, 59394, 59397, 59399, 59395, 59401, 59402, 59398, 59400, 59403};
  for (UINT id : order) {
    size_t i = 0;
    while (ToolBarSpecs()[i].id != id) ++i;
    const Spec& s = ToolBarSpecs()[i];
    CKxToolBar* neighbour = s.neighbour ? GetToolBar(s.neighbour) : nullptr;
    if (!neighbour) {
      DockControlBar(&m_toolBars[i]);
      continue;
    }
    RecalcLayout();
    CRect rect;
    neighbour->GetWindowRect(&rect);
    rect.left += 3, rect.right += 3;
    DockControlBar(&m_toolBars[i], DockBarOfStyle(neighbour->GetBarStyle()), &rect);
  }
  return TRUE;
}

int CMainFrame::OnCreate(LPCREATESTRUCT lpcs) {
  if (CPISMainFrame::OnCreate(lpcs) == -1) return -1;
  COrdvale* hub = gGetOrdvale();
  CKXGlobal* global = gGetKXGlobal();
  if (!hub || !global) return -1;
  // A splash window that cannot be shown is no reason to stop.
  m_pSplash->Create();
  m_pSplash->SetText(L"Initialize the system's  parameter ...");
  m_pSplash->SetText(L"Create the toolbar ...");
  SetWindowText(L"Velmora V9");

  m_pToolBarMgr = std::make_unique<CUIToolBarMgr>(&MainCmdID);
  gSetUIToolBarMgr(m_pToolBarMgr.get());
  m_nLookSel = m_pToolBarMgr->IsCurLook(CUIToolBarMgr::kLookIcons) ? 1 : 0;
  m_bClassic = m_pToolBarMgr->IsCurLook(kLookPanel) ? FALSE : TRUE;
  if (!CreateToolBars()) return -1;
  m_toolBarTitles.clear();
  for (const Spec& s : ToolBarSpecs()) m_toolBarTitles.push_back(s.title);

  if (!m_wndStatusBar.Create(this)) return -1;
  gSetStatusBar(&m_wndStatusBar);
  if (!m_wndSnapBar.Create(this)) return -1;
  m_bSnapBarShown = FALSE;
  m_wndSnapBar.SetBarStyle(m_wndSnapBar.GetBarStyle() | CBRS_ALIGN_TOP);
  if (!DockBars()) return -1;

  if (!m_wndHorRuler.Create(this, TRUE, CKxRuleBar::kHorizontalID, &PaperSize) ||
      !m_wndVerRuler.Create(this, FALSE, CKxRuleBar::kVerticalID, &PaperSize))
    return -1;
  gSetHorRuleBar(&m_wndHorRuler);
  gSetVerRuleBar(&m_wndVerRuler);
  ShowRulers(global->IsRulersShown());

  m_pSplash->SetText(L"Loading plugins ...");
  if (auto* app = dynamic_cast<CPlugInApp*>(AfxGetApp())) app->LoadPlugInDLLs();
  CreatePlugToolBar();
  // The document and its view were made before the plug-ins registered their maps: bind them
  // again, or their plug-in handlers would never run.
  if (auto* view = dynamic_cast<CPIView*>(GetActiveView())) {
    view->InitialisePlugIns();
    if (auto* doc = dynamic_cast<CPIDoc*>(view->GetDocument())) doc->InitialisePlugIns();
  }

  if (hub->Attach(this) == -1) return -1;
  m_pSplash->SetText(L"Initialize the parameter of command ...");
  ReadCommandConfig();
  if (m_wndSplitter.GetSafeHwnd()) {
    // The saved flag says how the strip was left; the toggle applies it.
    m_wndSplitter.SetStripHidden(!m_wndSplitter.IsStripHidden());
    m_wndSplitter.UpdateLayerBar();
  }
  if (CWnd* keyIn = m_wndStatusBar.GetKeyInWnd()) {
    keyIn->EnableWindow(FALSE);
    keyIn->ShowWindow(SW_HIDE);
    hub->SetKeyInWnd(keyIn);
  }

  global->SetFrameReady(TRUE);
  if (global->IsAutoSave()) {
    m_nAutoSaveElapse = global->GetAutoSaveElapse();
    SetTimer(kAutoSaveTimer, m_nAutoSaveElapse);
  }
  // Long operations report their progress to the frame from here on.
  gStartThreadProg(&m_progress);
  m_progressStarted = true;
  SetTimer(kProgressTimer, kProgressTick);
  LoadBarState(kBarStateSection);
  DockPlugToolBar();
  m_nTextPos = m_wndTabBar.GetTabTXTBottomMode() ? 1 : 0;
  InstallViewServices();
  RecalcLayout();
  return 0;
}

BOOL CMainFrame::ReadCommandConfig() {
  const CString path = CommandConfigPath();
  CFile file;
  if (!file.Open(path, CFile::modeRead | CFile::shareExclusive)) return TRUE;
  if (file.GetLength() == 0) return TRUE;
  COrdvale* hub = gGetOrdvale();
  try {
    CArchive ar(&file, CArchive::load, 512);
    m_wndSplitter.Serialize(ar);
    if (hub) hub->Serialize(ar);
  } catch (const CException&) {
    // A damaged file must not keep the program from starting: the defaults stay, and the file
    // is written anew at exit.
    AfxMessageBox(L"The command configuration \"Command.cfg\" is damaged; the default settings are used.");
    return FALSE;
  }
  return TRUE;
}

BOOL CMainFrame::WriteCommandConfig() {
  const CString path = CommandConfigPath();
  // Written beside the old file and renamed over it: a failed write keeps the old settings.
  CSafeFile file;
  if (!file.Open(path)) return FALSE;
  try {
    CArchive ar(&file, CArchive::store, 512);
    m_wndSplitter.Serialize(ar);
    if (COrdvale* hub = gGetOrdvale()) hub->Serialize(ar);
    ar.Close();
    file.Close();
  } catch (const CException&) {
    file.Abort();
    return FALSE;
  }
  return TRUE;
}

void CMainFrame::OnDestroy() {
  if (gGetLayerTabs() == &m_wndSplitter) gSetLayerTabs(nullptr);
  if (m_progressStarted) {
    KillTimer(kProgressTimer);
    gEndThreadProg();
    m_progressStarted = false;
  }
  gSetDlgDesignCenter(nullptr);
  // The services name this frame; none may outlive it.
  gViewServices() = ViewServices{};
  if (COrdvale* hub = gGetOrdvale()) {
    if (hub->GetKeyInWnd() == m_wndStatusBar.GetKeyInWnd()) hub->SetKeyInWnd(nullptr);
    hub->CancelCurCmd();
  }
  // Only a frame that came up completely writes the configuration and the bar layout back.
  bool ready = false;
  if (CKXGlobal* global = gGetKXGlobal(); global && global->IsFrameReady()) {
    ready = true;
    WriteCommandConfig();
    global->SetFrameReady(FALSE);
  }
  kxClearAllManager();
  FreeMap();
  if (ready) SaveBarState(kBarStateSection);
  CPISMainFrame::OnDestroy();
}

void CMainFrame::OnTimer(UINT_PTR id) {
  CKXGlobal* global = gGetKXGlobal();
  if (!global) return;
  if (id == kAutoSaveTimer) {
    if (!global->IsAutoSave()) {
      KillTimer(kAutoSaveTimer);
      m_nAutoSaveElapse = 0;
      return;
    }
    auto* doc = dynamic_cast<CDraftonDoc*>(GetActiveDocument());
    if (doc && doc->NeedsAutoSave()) {
      COrdvale* hub = gGetOrdvale();
      if (hub) hub->Prompt(L"In saving file...");
      doc->AutoSave();
      if (hub) hub->Prompt(L"");
    }
    return;
  }
  if (id == kProgressTimer) {
    ShowProgress();
    return;
  }
  if (id == CStdViewAnimation::kTimer) {
    if (!m_viewAnim.Tick(dynamic_cast<CGLView*>(GetActiveView()), gGetOpenGLDC())) KillTimer(id);
    return;
  }
  if (COrdvale* hub = gGetOrdvale()) hub->OnTimer(id);
}

void CMainFrame::OnSize(UINT type, int cx, int cy) {
  CPISMainFrame::OnSize(type, cx, cy);
  if (cx > 0 && cy > 0 && m_wndStatusBar.GetSafeHwnd()) {
    RECT rc;
    m_wndStatusBar.GetClientRect(&rc);
    m_wndStatusBar.SendMessage(WM_SIZE, 0, LPARAM((rc.bottom & 0xFFFF) << 16 | (rc.right & 0xFFFF)));
  }
}

void CMainFrame::RecalcLayout(BOOL bNotify) {
  CPISMainFrame::RecalcLayout(bNotify);
  LayoutDesignCentre();
  // The view's ruler scale starts where the view starts.
  if (m_wndHorRuler.GetSafeHwnd()) m_wndHorRuler.SetOffset(GetRulerOffset());
}

void CMainFrame::RearmAutoSave() {
  if (m_hWnd) KillTimer(kAutoSaveTimer);
  m_nAutoSaveElapse = 0;
  CKXGlobal* global = gGetKXGlobal();
  if (!global || !global->IsAutoSave() || global->GetAutoSaveMinutes() <= 0 || !m_hWnd) return;
  m_nAutoSaveElapse = global->GetAutoSaveElapse();
  SetTimer(kAutoSaveTimer, m_nAutoSaveElapse);
}

BOOL CMainFrame::PreTranslateMessage(MSG* pMsg) {
  if (viewIsTypedLetter(pMsg)) return FALSE;
  return CPISMainFrame::PreTranslateMessage(pMsg);
}

void CMainFrame::ShowProgress() {
  const CFrameProgress::State state = m_progress.Show();
  m_progressShown = state.shown;
  m_progressPos = state.pos;
  if (!state.shown) {
    SetPaneText(kProgressPane, GetPromptText());
    return;
  }
  CString text = state.caption.c_str();
  if (!text.IsEmpty()) text += L" ";
  text += CString::FromUtf8(std::to_string(int(state.pos * 100.0 + 0.5)) + "%");
  SetPaneText(kProgressPane, text);
}

void CMainFrame::OnProgressCancel() {
  if (m_progress.Get().shown) gCancelProgress();
}

void CMainFrame::OnUpdateProgressCancel(CCmdUI* ui) { ui->Enable(m_progressShown); }

void CMainFrame::SetPaneText(int pane, const CString& text) {
  // Unchanged text is not drawn again: the panes are refreshed at every tick and idle pass.
  if (m_wndStatusBar.GetSafeHwnd() && m_wndStatusBar.GetPaneText(pane) != text)
    m_wndStatusBar.SetPaneText(pane, text, TRUE);
}

CString CMainFrame::GetPaneText(int pane) const { return m_wndStatusBar.GetPaneText(pane); }

// ---- grid, rulers, snap bar, toolpaths, bars ----

void CMainFrame::OnGrid() {
  CDBase* db = gGetDBase();
  if (!db) return;
  db->SetGridFlag(!db->GetGridFlag());
  if (CView* view = GetActiveView()) {
    view->SetFocus();
    view->Invalidate();
  }
}

void CMainFrame::OnUpdateGrid(CCmdUI* ui) {
  CDBase* db = gGetDBase();
  ui->SetCheck(db && db->GetGridFlag() ? 1 : 0);
}

void CMainFrame::ShowRulers(BOOL show) {
  if (m_wndHorRuler.GetSafeHwnd()) ShowControlBar(&m_wndHorRuler, show, TRUE);
  if (m_wndVerRuler.GetSafeHwnd()) ShowControlBar(&m_wndVerRuler, show, TRUE);
  RecalcLayout();
}

void CMainFrame::OnRulers() {
  CKXGlobal* global = gGetKXGlobal();
  if (!global) return;
  global->SetRulersShown(!global->IsRulersShown());
  ShowRulers(global->IsRulersShown());
}

void CMainFrame::OnUpdateRulers(CCmdUI* ui) {
  CKXGlobal* global = gGetKXGlobal();
  ui->SetCheck(global && global->IsRulersShown() ? 1 : 0);
}

LRESULT CMainFrame::OnHideRulers(WPARAM, LPARAM) {
  ShowRulers(FALSE);
  return 1;
}

LRESULT CMainFrame::OnShowRulers(WPARAM, LPARAM) {
  ShowRulers(TRUE);
  return 1;
}

void CMainFrame::OnSnapSettings() {
  if (!m_wndSnapBar.GetSafeHwnd()) return;
  m_bSnapBarShown = m_wndSnapBar.IsVisible() ? FALSE : TRUE;
  ShowControlBar(&m_wndSnapBar, m_bSnapBarShown, FALSE);
  if (CView* view = GetActiveView()) view->SetFocus();
}

void CMainFrame::OnPathVisible() {
  CDBase* db = gGetDBase();
  if (!db || !gGetSelector()) return;
  kxClearSelSet(nullptr);
  m_bPathVisible = m_bPathVisible ? FALSE : TRUE;
  db->SetPathVisible(m_bPathVisible);
  if (CView* view = GetActiveView()) {
    view->Invalidate();
    view->SetFocus();
  }
}

void CMainFrame::OnUpdatePathVisible(CCmdUI* ui) {
  COrdvale* hub = gGetOrdvale();
  if (hub && hub->GetCurMainCmd() && hub->GetCurMainCmd()->HostType() == CCommand::kHostDraw) {
    ui->Enable(FALSE);
    return;
  }
  // The layer buttons work only between commands.
  if (CKxWndTab* strip = m_wndSplitter.GetTabStrip()) strip->EnableButtons(!(hub && hub->GetCurCmd()));
  CDBase* db = gGetDBase();
  const bool paths = db && db->GetCountOfBaseType(16) > 0;
  ui->Enable(paths);
  if (paths) ui->SetText(m_bPathVisible ? L"Hide path" : L"Show path");
}

void CMainFrame::OnNoEffect() {}

void CMainFrame::OnUpdateNoEffect(CCmdUI*) {}

void CMainFrame::OnCurveBar() {
  if (CKxToolBar* bar = GetToolBar(kCurveBar)) ShowControlBar(bar, !bar->IsVisible(), FALSE);
}

void CMainFrame::OnUpdateCurveBar(CCmdUI* ui) {
  CKxToolBar* bar = GetToolBar(kCurveBar);
  ui->SetCheck(bar && bar->IsVisible() ? 1 : 0);
}

void CMainFrame::OnLayerBar() {
  if (m_wndSplitter.GetSafeHwnd()) m_wndSplitter.UpdateLayerBar();
}

void CMainFrame::OnUpdateLayerBar(CCmdUI* ui) {
  ui->SetCheck(m_wndSplitter.GetSafeHwnd() && !m_wndSplitter.IsStripHidden() ? 1 : 0);
}

void CMainFrame::OnToolBarItem(UINT id) {
  if (!m_bClassic || !m_pToolBarMgr) return;
  const size_t index = id - ID_TOOLBAR_FIRST;
  if (index >= m_toolBarTitles.size()) return;
  for (const Bar& bar : GetBars(kLookClassic))
    if (bar.title == m_toolBarTitles[index]) {
      ShowBar(kLookClassic, bar.title, !bar.visible);
      break;
    }
}

// ---- snap switches ----

void CMainFrame::UpdateSnapChecks() {
  if (!m_wndSnapBar.GetSafeHwnd()) return;
  for (const CKXSnapBar::Slot& s : CKXSnapBar::Slots()) {
    if (s.id == ID_SNAP_ALL) continue;
    CCmdUI ui;
    ui.m_nID = s.id;
    if (OnCmdMsg(s.id, CN_UPDATE_COMMAND_UI, &ui, nullptr)) m_wndSnapBar.SetCheck(s.id, ui.m_nCheck);
  }
}

void CMainFrame::OnIdleUpdateCmdUI() {
  CPISMainFrame::OnIdleUpdateCmdUI();
  UpdateSnapChecks();
  UpdateRulerScales();
  if (!m_progressShown) SetPaneText(kProgressPane, GetPromptText());
  const CString title = GetFrameTitle();
  CString shown;
  GetWindowText(shown);
  if (shown != title) SetWindowText(title.GetString());
}

void CMainFrame::OnSnap(UINT id) {
  CKXGlobal* global = gGetKXGlobal();
  if (!global) return;
  constexpr UINT kAllBits = 0xDFF;
  if (id == ID_SNAP_NAVIGATE) {
    global->SetNavigation(global->IsNavigation() ? FALSE : TRUE);
    return;
  }
  if (id == ID_SNAP_ALL) {
    const UINT flags = global->GetSnapFlag();
    global->SetSnapFlag((flags & kAllBits) == kAllBits ? flags & ~kAllBits : flags | kAllBits);
    for (const CKXSnapBar::Slot& s : CKXSnapBar::Slots())
      if (s.bit) m_wndSnapBar.SetCheck(s.id, (global->GetSnapFlag() & s.bit) ? 1 : 0);
    m_wndSnapBar.SetCheck(ID_SNAP_ALL, 0);
    return;
  }
  const UINT bit = CKXSnapBar::SnapBit(id);
  if (!bit) return;
  global->SetSnapFlag(global->GetSnapFlag() ^ bit);
  m_wndSnapBar.SetCheck(id, (global->GetSnapFlag() & bit) ? 1 : 0);
}

void CMainFrame::OnUpdateSnap(CCmdUI* ui, UINT id) {
  CKXGlobal* global = gGetKXGlobal();
  if (!global) return;
  if (id == ID_SNAP_NAVIGATE)
    ui->SetCheck(global->IsNavigation() ? 1 : 0);
  else
    ui->SetCheck((global->GetSnapFlag() & CKXSnapBar::SnapBit(id)) ? 1 : 0);
}

// ---- layers and units ----

void CMainFrame::OnLayerItem(UINT id) {
  int sub = -1;
  switch (id) {
    case ID_LAYER_EDIT: sub = 0; break;
    case ID_LAYER_ALL_ON: sub = 1; break;
    case ID_LAYER_ONE_ON: sub = 2; break;
    case ID_LAYER_ONE_OFF: sub = 3; break;
    case ID_LAYER_CHANGE_OBJ: sub = 4; break;
    case ID_LAYER_OBJ_TO_CUR: sub = 5; break;
    case ID_LAYER_SET_CUR: sub = 6; break;
    default: return;
  }
  COrdvale* hub = gGetOrdvale();
  if (!hub) return;
  hub->CancelCurCmd();
  hub->RunAppCmd(ID_LAYER_CMD, sub);
}

void CMainFrame::OnUnit(UINT id) {
  CKXGlobal* global = gGetKXGlobal();
  if (!global || id == ID_UNIT_NONE) return;
  const int unit = int(id - ID_UNIT_MM);
  if (unit == global->GetUnit()) return;
  global->SetUnitBefore(global->GetUnit());
  global->SetUnit(unit);
  if (CView* view = GetActiveView()) view->SendMessage(WM_KX_UNIT_CHANGED);
}

void CMainFrame::OnUpdateUnit(CCmdUI* ui, UINT id) {
  CKXGlobal* global = gGetKXGlobal();
  ui->SetCheck(global && id != ID_UNIT_NONE && global->GetUnit() == int(id - ID_UNIT_MM) ? 1 : 0);
}

LRESULT CMainFrame::OnColorChange(WPARAM, LPARAM) {
  const COLORREF color = gGetCurColor();
  if (CKxColorButton* button = m_wndStatusBar.GetColorButton()) button->SetColor(color);
  CSelector* sel = gGetSelector();
  if (sel && !sel->IsEmpty()) {
    if (sel->IsLocked()) return 0;
    auto* action = new CAction(1, L"Change Color");
    for (POSITION pos = sel->GetList().GetHeadPosition(); pos;) action->AddColorEnt(sel->GetList().GetNext(pos), color);
    kxInsertActionIntoManager(action);
    QMessage msg(0, 2);
    kxSendMessage(&msg);
  } else if (m_wndSplitter.GetSafeHwnd()) {
    const int index = m_wndSplitter.GetCurLayerIndex();
    CLayer layer;
    if (index >= 0 && m_wndSplitter.GetLayerAt(index, layer) >= 0) {
      layer.SetColor(color);
      m_wndSplitter.SetLayerAt(index, layer);
    }
  }
  if (CView* view = GetActiveView()) view->Invalidate();
  return 1;
}

// ---- context menus ----

void CMainFrame::OnContextMenu(CWnd*, CPoint point) {
  CMenu menu;
  if (!menu.Attach(::LoadMenuW(nullptr, IDR_CONTEXT_MENUS))) return;
  auto inside = [&point](CKxRuleBar& ruler) {
    if (!ruler.IsVisible()) return false;
    RECT r;
    ruler.GetWindowRect(&r);
    return point.x >= r.left && point.x < r.right && point.y >= r.top && point.y < r.bottom;
  };
  if (inside(m_wndHorRuler) || inside(m_wndVerRuler)) {
    if (CMenu* units = menu.GetSubMenu(kUnitMenuPopup)) {
      CKXGlobal* global = gGetKXGlobal();
      const int unit = global ? global->GetUnit() : -1;
      for (UINT id = ID_UNIT_MM; id <= ID_UNIT_FEET; ++id)
        units->CheckMenuItem(id, MF_BYCOMMAND | (int(id - ID_UNIT_MM) == unit ? MF_CHECKED : MF_UNCHECKED));
      units->TrackPopupMenu(TPM_LEFTALIGN | TPM_RIGHTBUTTON, point.x, point.y, this);
    }
  } else if (m_bClassic) {
    if (CMenu* bars = menu.GetSubMenu(kToolBarMenuPopup)) {
      while (bars->GetMenuItemCount() > 0 && bars->GetMenuItemCount() != UINT(-1)) bars->RemoveMenu(0, MF_BYPOSITION);
      for (size_t i = 0; i < m_toolBarTitles.size() && ID_TOOLBAR_FIRST + i <= ID_TOOLBAR_LAST; ++i) {
        const UINT id = UINT(ID_TOOLBAR_FIRST + i);
        const CKxToolBar& bar = m_toolBars[i];
        bars->AppendMenu(MF_STRING | (bar.IsVisible() ? MF_CHECKED : 0), id,
                         m_toolBarTitles[i]);
      }
      bars->TrackPopupMenu(TPM_LEFTALIGN | TPM_RIGHTBUTTON, point.x, point.y, this);
    }
  }
  menu.DestroyMenu();
}
