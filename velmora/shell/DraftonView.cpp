#include "velmora/shell/DraftonView.h"

#include "platform/panlet/BarAccessors.h"
#include "platform/panlet/RuleBar.h"

#include "db/Action.h"
#include "db/DBase.h"
#include "db/DbAidLine.h"
#include "db/DbAccess.h"
#include "db/Selector.h"
#include "platform/afx/CmdTarget.h"
#include "platform/afx/PaintDC.h"
#include "platform/afx/WinApp.h"
#include "platform/vurode/Accessors.h"
#include "platform/vurode/KXGlobal.h"
#include "platform/vurode/OpenGLDC.h"
#include "platform/vurode/Position.h"
#include "platform/vurode/Units.h"
#include "platform/vurode/ViewState.h"
#include "platform/win/Messages.h"
#include "velmora/bramcourt/DesignCentral.h"
#include "velmora/commands/CommandTable.h"
#include "velmora/commands/ViewCommands.h"
#include "velmora/ordvale/Command.h"
#include "velmora/ordvale/CommandOps.h"
#include "velmora/ordvale/Ordvale.h"
#include "velmora/ordvale/QMessage.h"
#include "velmora/shell/DraftonDoc.h"
#include "velmora/shell/MainFrame.h"
#include "velmora/shell/Resources.h"
#include "velmora/shell/ShellCommands.h"
#include "velmora/shell/ViewMenu.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cwctype>
#include <utility>
#include <vector>

IMPLEMENT_DYNCREATE(CDraftonView, CGLView)

namespace {
// The menu table sits between the view's own entries and the base view's.
struct ViewMenuMapBase {
  static const AFX_MSGMAP* GetThisMessageMap() { return CDraftonView::GetMenuMessageMap(); }
};
}  // namespace

BEGIN_MESSAGE_MAP(CDraftonView, ViewMenuMapBase)
ON_WM_CREATE()
ON_WM_DESTROY()
ON_WM_SIZE()
ON_WM_HSCROLL()
ON_WM_VSCROLL()
ON_WM_LBUTTONDOWN()
ON_WM_LBUTTONUP()
ON_WM_LBUTTONDBLCLK()
ON_WM_MBUTTONDOWN()
ON_WM_MBUTTONUP()
ON_WM_RBUTTONDOWN()
ON_WM_RBUTTONUP()
ON_WM_MOUSEMOVE()
{WM_MBUTTONDBLCLK, 0, 0, 0, AfxSig_v_u_p, AfxMsgCast<void(UINT, CPoint)>(&ThisClass::OnMButtonDblClk)},
{WM_RBUTTONDBLCLK, 0, 0, 0, AfxSig_v_u_p, AfxMsgCast<void(UINT, CPoint)>(&ThisClass::OnRButtonDblClk)},
ON_WM_SETCURSOR()
ON_WM_MOUSEWHEEL()
ON_WM_KEYDOWN()
ON_WM_KEYUP()
ON_WM_CHAR()
ON_MESSAGE(0x401, OnHubView)
ON_MESSAGE(0x406, OnHubKey)
ON_MESSAGE(0x40C, OnUndoMsg)
ON_MESSAGE(0x40D, OnRedoMsg)
ON_MESSAGE(0x40B, OnSelChangeMsg)
ON_MESSAGE(0x40E, OnRlfLayerAddMsg)
ON_MESSAGE(0x40F, OnRlfLayerDelMsg)
ON_MESSAGE(0x404, OnDropHorGuide)
ON_MESSAGE(0x405, OnDropVerGuide)
ON_MESSAGE(WM_KX_UNIT_CHANGED, OnUnitChanged)
ON_COMMAND(ID_FILE_PRINT, OnFilePrint)
ON_COMMAND(ID_FILE_PRINT_DIRECT, OnFilePrintDirect)
ON_COMMAND(ID_FILE_PRINT_PREVIEW, OnKxFilePrintPreview)
ON_COMMAND(ID_SCAN_ACQUIRE, OnScanAcquire)
ON_COMMAND(ID_SCAN_SELECT, OnScanSelect)
ON_UPDATE_COMMAND_UI(ID_SCAN_ACQUIRE, OnUpdateScanAcquire)
ON_UPDATE_COMMAND_UI(ID_SCAN_SELECT, OnUpdateScanSelect)
END_MESSAGE_MAP()

namespace {
constexpr int kTextHostType = 4;
constexpr UINT kPageUp = 0x21, kPageDown = 0x22;

void Box3(const _tagBox2D& b, _tagBox3D& out) {
  out = _tagBox3D{{b.min[0], b.min[1], 0.0}, {b.max[0], b.max[1], 0.0}};
}
bool Valid(const _tagBox2D& b) { return b.max[0] >= b.min[0] && b.max[1] >= b.min[1]; }
}  // namespace

CDraftonView::CDraftonView() { gSetView(this); }

CDraftonView::~CDraftonView() {
  if (gGetView() == this) gSetView(nullptr);
}

CDraftonDoc* CDraftonView::GetDocument() const { return dynamic_cast<CDraftonDoc*>(m_pDocument); }

COrdvale* CDraftonView::Hub() { return hub = gGetOrdvale(); }

BOOL CDraftonView::ToWorld(CPoint pt, Position& pos) const {
  if (!vurode) return FALSE;
  pos.sx = pt.x;
  pos.sy = pt.y;
  vurode->ScreentoWorld(pt.x, pt.y, pos);
  return TRUE;
}

namespace {
CDraftonView::GLSurface& Surface() {
  static CDraftonView::GLSurface surface;
  return surface;
}
}  // namespace

void CDraftonView::SetGLSurface(GLSurface surface) { Surface() = std::move(surface); }

BOOL CDraftonView::Create(LPCWSTR lpszClassName, LPCWSTR lpszWindowName, DWORD dwStyle, const RECT& rect,
                          CWnd* pParentWnd, UINT nID, void* pContext) {
  if (!lpszClassName && Surface().windowClass) lpszClassName = Surface().windowClass;
  return CGLView::Create(lpszClassName, lpszWindowName, dwStyle, rect, pParentWnd, nID, pContext);
}

int CDraftonView::OnCreate(LPCREATESTRUCT lpcs) {
  if (CGLView::OnCreate(lpcs) == -1) return -1;
  vurode = gGetVurode();
  if (!vurode) return -1;
  // Draw through OpenGL where the window got a GL peer; everywhere else the 2D path stays.
  // The 3D view clears to the 2D view's paper, so black (colour 0) entities show in both.
  if (COpenGLDC* gl = gGetOpenGLDC()) gl->SetBkColor(RGB(255, 255, 255));
  if (Surface().attach && gGetOpenGLDC()) drawGL = Surface().attach(m_hWnd, gGetOpenGLDC());
  vurode->m_pView = this;
  hub = gGetOrdvale();
  if (hub) {
    hub->SetSelector(gGetSelector());
    // Commands draw their rubber bands through a client context opened for each use: a
    // window's context must not stay open across the paints. A view drawn through OpenGL has
    // none: the commands then draw their bands with the scene.
    hub->SetViewDCSource([this]() -> CDC* { return m_hWnd && !drawGL ? new CClientDC(this) : nullptr; },
                         [](CDC* dc) { delete dc; });
  }
  RegisterCommands();
  RegisterMainCommands();
  // Without a source manager scanning stays unavailable; the view works all the same.
  InitTwain(m_hWnd);
  return 0;
}

void CDraftonView::OnDestroy() {
  // The context goes with the view: the peer must not paint through it afterwards.
  if (drawGL && Surface().attach) Surface().attach(m_hWnd, nullptr);
  drawGL = false;
  if (COrdvale* h = Hub()) h->SetViewDCSource(nullptr, nullptr);
  // The source manager knows this window as its parent: close it while the window is there.
  ReleaseTwain();
  CGLView::OnDestroy();
}

void CDraftonView::OnSize(UINT type, int cx, int cy) {
  CGLView::OnSize(type, cx, cy);
  CDBase* db = gGetDBase();
  if (!db) return;  // no drawing, no work area: nothing to fit
  if (vurode) {
    if (vurode->IsView2D()) {
      _tagBox2D box;
      vurode->GetViewBox(box);
      db->GetWorkArea().SetScrollInfo(this, box);
    }
    vurode->UpdateViewRect();
    vurode->UpdateViewBox();
  }
  if (COrdvale* h = Hub()) h->OnSize(type, cx, cy);
}

void CDraftonView::OnHScroll(UINT code, UINT pos, CWnd*) { ScrollPan(SB_HORZ, code, pos); }
void CDraftonView::OnVScroll(UINT code, UINT pos, CWnd*) { ScrollPan(SB_VERT, code, pos); }

void CDraftonView::ScrollPan(int nBar, UINT code, UINT thumb) {
  COrdvale* h = Hub();
  auto* pan = h ? dynamic_cast<CViewPanCmd*>(h->GetCmd(ID_VIEW_PAN)) : nullptr;
  if (!pan || !vurode) return;
  _tagBox2D box;
  vurode->GetViewBox(box);
  const double extent = std::min(box.max[0] - box.min[0], box.max[1] - box.min[1]);
  if (!std::isfinite(extent)) return;
  const double line = extent * 0.25, page = extent * 0.5;
  SCROLLINFO si{};
  if (!GetScrollInfo(nBar, &si, SIF_RANGE | SIF_POS)) return;
  const double pos = si.nPos, lo = si.nMin, hi = si.nMax;
  const double sign = nBar == SB_HORZ ? 1.0 : -1.0;
  double next = pos, shift = 0.0;
  switch (code) {
    case SB_LINEUP:
      next = std::max(lo, pos - line);
      shift = pos <= lo ? 0.0 : sign * line;
      break;
    case SB_LINEDOWN:
      next = std::min(hi, pos + line);
      shift = pos >= hi ? 0.0 : -sign * line;
      break;
    case SB_PAGEUP:
      next = std::max(lo, pos - page);
      shift = sign * page;
      break;
    case SB_PAGEDOWN:
      next = std::min(hi, pos + page);
      shift = -sign * page;
      break;
    case SB_THUMBPOSITION:
      // The thumb arrives as an unsigned word; the bar's range may be negative.
      next = static_cast<short>(thumb & 0xFFFF);
      shift = sign * (pos - next);
      break;
    case SB_TOP:
      next = lo;
      shift = pos - lo;
      break;
    case SB_BOTTOM:
      next = hi;
      shift = pos - hi;
      break;
    default:  // thumb tracking and end-of-scroll move nothing
      return;
  }
  if (shift == 0.0 || next < lo || next > hi) return;
  const double dx = nBar == SB_HORZ ? shift : 0.0, dy = nBar == SB_HORZ ? 0.0 : shift;
  if (vurode->IsView3D())
    pan->Shift3D(dx, dy);
  else
    pan->Shift2D(dx, dy);
  si.fMask = SIF_POS;
  si.nPos = static_cast<int>(std::lround(next));
  SetScrollInfo(nBar, &si, TRUE);
}

#define FORWARD_BUTTON(Handler)                                  \
  void CDraftonView::Handler(UINT flags, CPoint pt) {           \
    Position pos;                                                \
    if (ToWorld(pt, pos))                                        \
      if (COrdvale* h = Hub()) h->Handler(flags, pos);           \
  }
FORWARD_BUTTON(OnLButtonUp)
FORWARD_BUTTON(OnLButtonDblClk)
FORWARD_BUTTON(OnMButtonUp)
FORWARD_BUTTON(OnRButtonUp)
FORWARD_BUTTON(OnRButtonDblClk)
#undef FORWARD_BUTTON

namespace {
// A click in the view may have changed what the panel's page shows.
void RefreshDesignCentre() {
  CDesignCentral* panel = gGetDlgDesignCenter();
  if (const CDesignCentral::Page* page = panel ? panel->GetCurPage() : nullptr; page && page->refresh)
    panel->UpdateState();
}
}  // namespace

void CDraftonView::OnLButtonDown(UINT flags, CPoint pt) {
  Position pos;
  if (!ToWorld(pt, pos)) return;
  if (COrdvale* h = Hub()) h->OnLButtonDown(flags, pos);
  RefreshDesignCentre();
}

void CDraftonView::OnRButtonDown(UINT flags, CPoint pt) {
  Position pos;
  if (!ToWorld(pt, pos)) return;
  if (COrdvale* h = Hub()) h->OnRButtonDown(flags, pos);
  RefreshDesignCentre();
}

void CDraftonView::OnMButtonDown(UINT flags, CPoint pt) {
  Position pos;
  if (!ToWorld(pt, pos)) return;
  COrdvale* h = Hub();
  if (!h) return;
  h->RunAppCmd(ID_VIEW_PAN, 0);
  h->OnMButtonDown(flags, pos);
}

void CDraftonView::RegisterCommands() {
  cmdSetShellCommandMaker(&shellMakeCommand);
  cmdRegisterAppCommands();
}

void CDraftonView::RegisterMainCommands() { cmdRegisterMainCommands(); }

void CDraftonView::OnMButtonDblClk(UINT flags, CPoint pt) {
  Position pos;
  if (!ToWorld(pt, pos)) return;
  COrdvale* h = Hub();
  auto* fit = h ? dynamic_cast<CViewAllCmd*>(h->GetCmd(ID_VIEW_FIT_ALL)) : nullptr;
  if (!fit) return;
  // Ctrl: centre the view on the point instead of fitting.
  if (flags & 0x08) {
    fit->m_target = pos;
    h->RunAppCmd(fit, 1);
  } else {
    h->RunAppCmd(fit, 0);
  }
}

BOOL CDraftonView::OnSetCursor(CWnd*, UINT, UINT) {
  COrdvale* h = Hub();
  if (!h || h->GetDynCursor()) return FALSE;
  CCommand* cmd = h->GetCurCmd() ? h->GetCurCmd() : h->GetCurMainCmd();
  return cmd ? cmd->OnSetCursor() : FALSE;
}

CString CDraftonView::FormatCursor(double x, double y) {
  static const char* const kFormats[] = {"(%0.3f, %0.3f) mm", "(%0.4f, %0.4f) cm", "(%0.4f, %0.4f) in",
                                         "(%0.4f, %0.4f) ft", "(%0.4f, %0.4f) m"};
  CKXGlobal* global = gGetKXGlobal();
  const int unit = global ? global->GetUnit() : 0;
  char buf[40];
  std::snprintf(buf, sizeof buf, kFormats[unit >= 0 && unit <= 4 ? unit : 0], MM2CUR(x), MM2CUR(y));
  return CString::FromUtf8(buf);
}

void CDraftonView::OnMouseMove(UINT flags, CPoint pt) {
  Position pos;
  if (!ToWorld(pt, pos)) return;
  COrdvale* h = Hub();
  if (auto* frame = dynamic_cast<CMainFrame*>(gGetMainFrame()); frame && h && h->m_nShowCoord) {
    frame->SetPaneText(1, FormatCursor(pos.x, pos.y));
    if (CKxRuleBar* ruler = gGetHorRuleBar(); ruler && ruler->IsEnabled()) ruler->DrawMouse(pt.x + frame->GetRulerOffset());
    if (CKxRuleBar* ruler = gGetVerRuleBar(); ruler && ruler->IsEnabled()) ruler->DrawMouse(pt.y);
  }
  if (h) h->OnMouseMove(flags, pos);
}

BOOL CDraftonView::OnMouseWheel(UINT flags, short delta, CPoint pt) {
  if (!vurode) return FALSE;
  if (flags & 0x0C /* Shift or Ctrl */) {
    Position pos;
    ToWorld(pt, pos);
    if (COrdvale* h = Hub()) h->OnMouseWheel(flags, delta, pos);
    return TRUE;
  }
  if (vurode->IsView2D()) {
    COrdvale* h = Hub();
    CCommand* cur = h ? h->GetCurCmd() : nullptr;
    if (cur) cur->Sleep();
    vurode->PushViewPara();
    vurode->SetScale(delta > 0 ? vurode->GetScale() * 1.2 : vurode->GetScale() / 1.2);
    RequestRedraw();
    if (cur) cur->WakeUp();
  } else {
    Zoom(delta > 0 ? 1.1 : 0.9);
  }
  return TRUE;
}

void CDraftonView::OnKeyDown(UINT key, UINT repeat, UINT flags) {
  if (vurode && (key == kPageUp || key == kPageDown)) {
    if (vurode->IsView2D()) {
      double scale = vurode->GetScale();
      if (key == kPageUp) {
        scale = double(float(scale) * 0.618f);
        if (scale < 1e-6) scale = 1.0;
      } else {
        scale /= 0.618;
      }
      vurode->SetScale(scale);
      RequestRedraw();
    } else {
      Zoom(key == kPageUp ? 0.9 : 1.1);
    }
  } else if (vurode) {
    if (COrdvale* h = Hub()) h->OnKeyDown(key, repeat, flags);
  }
  CGLView::OnKeyDown(key, repeat, flags);
}

void CDraftonView::OnKeyUp(UINT key, UINT repeat, UINT flags) {
  if (!vurode) return;
  if (COrdvale* h = Hub()) h->OnKeyUp(key, repeat, flags);
}

void CDraftonView::OnChar(UINT ch, UINT repeat, UINT flags) {
  if (!vurode) return;
  COrdvale* h = Hub();
  if (!h) return;
  CCommand* main = h->GetCurMainCmd();
  if (!main || main->HostType() != kTextHostType) {
    h->OnChar(ch, repeat, flags);
    return;
  }
  // Text entry goes to the text command itself, never past the hub's shortcut letters. The
  // window layer delivers whole characters (no double-byte halves to pair), and text uses the
  // toolkit's font, so every printable character is taken as it comes.
  if (ch > 0x10FFFF || std::iswcntrl(static_cast<wint_t>(ch))) return;
  if (auto* text = dynamic_cast<CTextMainOps*>(main)) text->InputChar(ch);
}

LRESULT CDraftonView::OnHubView(WPARAM, LPARAM) {
  QMessage msg(QMessage::kView, 0);
  kxSendMessage(&msg);
  return 0;
}

LRESULT CDraftonView::OnHubKey(WPARAM w, LPARAM l) {
  if (COrdvale* h = Hub()) h->OnKeyDown(UINT(w), 0, UINT(l));
  return 1;
}

LRESULT CDraftonView::OnUndoMsg(WPARAM, LPARAM) {
  viewUndo(*this);
  return 0;
}

LRESULT CDraftonView::OnRedoMsg(WPARAM, LPARAM) {
  viewRedo(*this);
  return 0;
}

LRESULT CDraftonView::OnUnitChanged(WPARAM, LPARAM) {
  if (CDesignCentral* panel = gGetDlgDesignCenter()) panel->UnitChanged();
  return 0;
}

LRESULT CDraftonView::OnSelChangeMsg(WPARAM, LPARAM) {
  COrdvale* h = Hub();
  CCommand* main = h ? h->GetCurMainCmd() : nullptr;
  CDesignCentral* panel = gGetDlgDesignCenter();
  if (panel && main && main->HostType() == CCommand::kHostSelect) panel->SwitchSelChange();
  return 0;
}

LRESULT CDraftonView::OnRlfLayerAddMsg(WPARAM, LPARAM) {
  CDesignCentral* panel = gGetDlgDesignCenter();
  CSelector* sel = gGetSelector();
  if (panel && (!sel || sel->IsEmpty())) {
    panel->AddRlfLayerManagerDlg();
    panel->UpdateWorkareaDlg();
  }
  return 0;
}

LRESULT CDraftonView::OnRlfLayerDelMsg(WPARAM, LPARAM) {
  if (CDesignCentral* panel = gGetDlgDesignCenter()) panel->DelRlfLayerManagerDlg();
  return 0;
}

void CDraftonView::DrawGL(COpenGLDC* dc, int mode) {
  if (CDraftonDoc* doc = GetDocument()) doc->DrawGL(dc, mode);
}

void CDraftonView::OnDraw(CDC* pDC) {
  // While a sheet is drawn for the printer the view state shows the sheet, not the window.
  if (!vurode || m_print.printing) return;
  // A standard-view change waits for the frame's first animation tick.
  if (auto* frame = dynamic_cast<CMainFrame*>(gGetMainFrame()); frame && frame->GetViewAnimation().GetStep() < 0)
    return;
  if (drawGL || vurode->IsView3D()) {
    if (drawGL && Surface().current && !Surface().current(m_hWnd)) return;
    // The plan view keeps the 2D view's white paper on the GL surface too: entities of colour 0
    // are black and would vanish on the context's own black.
    COpenGLDC* dc = drawGL && !vurode->IsView3D() ? gGetOpenGLDC() : nullptr;
    const COLORREF bk = dc ? dc->GetBkColor() : 0;
    if (dc) {
      dc->SetBkColor(RGB(255, 255, 255));
      PlanCameraFromView(*dc);
    }
    CGLView::OnDraw(pDC);
    if (dc) dc->SetBkColor(bk);
    return;
  }
  // The 2D view keeps no erased background of its own (the base skips erasing so 3D frames do
  // not flicker): clear the whole client area, or the drawing at the previous scale stays.
  if (pDC && m_hWnd) {
    CRect client;
    GetClientRect(&client);
    pDC->FillSolidRect(client, RGB(255, 255, 255));
  }
  if (CDraftonDoc* doc = GetDocument()) doc->Draw(pDC);
  HideTip();
}

void CDraftonView::PlanCameraFromView(COpenGLDC& dc) const {
  // The plan view's scale and origin live in the view state (zoom and pan change them there):
  // look straight down on the world rectangle the client area shows, so the GL picture lands on
  // the pixels the 2D view would use.
  CRect client;
  GetClientRect(&client);
  if (client.Width() <= 0 || client.Height() <= 0) return;
  double lo[2], hi[2];
  vurode->ScreentoWorld2D(0, client.Height(), lo);
  vurode->ScreentoWorld2D(client.Width(), 0, hi);
  const double w = std::abs(hi[0] - lo[0]), h = std::abs(hi[1] - lo[1]);
  if (!(w > 0) || !(h > 0) || !std::isfinite(w) || !std::isfinite(h)) return;
  GCamera& camera = dc.GetCamera();
  double zNear = 0, zFar = 0;
  camera.GetDepth(zNear, zFar);
  const double ref[3] = {(lo[0] + hi[0]) / 2, (lo[1] + hi[1]) / 2, 0.0};
  const double eye[3] = {ref[0], ref[1], (zNear + zFar) / 2};
  const double up[3] = {0.0, 1.0, 0.0};
  camera.set_view(eye, ref, up);
  camera.set_screen(client.Width(), client.Height());
  camera.set_view_rect(w, h);
}

void CDraftonView::RequestRedraw(BOOL erase) {
  CGLView::RequestRedraw(erase);
  if (m_hWnd) Invalidate(erase);
}

void CDraftonView::CaptureMouse() {
  CGLView::CaptureMouse();
  if (m_hWnd) ::SetCapture(m_hWnd);
}

void CDraftonView::ReleaseMouse() {
  CGLView::ReleaseMouse();
  if (m_hWnd && ::GetCapture() == m_hWnd) ::ReleaseCapture();
}

BOOL CDraftonView::HasMouseCapture() const { return m_hWnd && ::GetCapture() == m_hWnd; }

// The view commands' timers tick on the main frame, whose timer handler hands them to the hub.
void CDraftonView::StartTimer(UINT_PTR id, UINT elapse) {
  CGLView::StartTimer(id, elapse);
  if (CFrameWnd* frame = gGetMainFrame(); frame && frame->m_hWnd) frame->SetTimer(id, elapse);
}

void CDraftonView::StopTimer(UINT_PTR id) {
  CGLView::StopTimer(id);
  if (CFrameWnd* frame = gGetMainFrame(); frame && frame->m_hWnd) frame->KillTimer(id);
}

void CDraftonView::SetViewCursor(UINT resource) {
  CGLView::SetViewCursor(resource);
  ::SetCursor(::LoadCursorW(nullptr, resource ? resource : 32512 /* arrow */));
}

BOOL CDraftonView::IsShiftDown() const { return ::GetKeyState(VK_SHIFT) < 0 || CGLView::IsShiftDown(); }

BOOL CDraftonView::GetFitBox2D(int target, _tagBox2D& box) {
  CDBase* db = gGetDBase();
  if (!db) return FALSE;
  if (target == kFitAll) {
    if (CSelector* sel = gGetSelector(); sel && !sel->IsEmpty()) {
      sel->CalcBox();
      sel->GetBox(&box);
      return Valid(box);
    }
    if (!db->IsEmpty()) {
      db->GetBox(&box);
      if (Valid(box)) return TRUE;
    }
  }
  db->GetWorkArea().GetPageSize(&box);
  return Valid(box);
}

BOOL CDraftonView::SetViewRange2D(const _tagBox2D& box) {
  if (!Valid(box) || !std::isfinite(box.min[0]) || !std::isfinite(box.min[1]) || !std::isfinite(box.max[0]) ||
      !std::isfinite(box.max[1]))
    return FALSE;
  dbSetViewRange(box);
  RequestRedraw();
  return TRUE;
}

BOOL CDraftonView::GetSceneBox(_tagBox3D& box) {
  CDBase* db = gGetDBase();
  if (!db || db->IsEmpty()) return FALSE;
  _tagBox2D b{};
  db->GetBox(&b);
  if (!Valid(b)) return FALSE;
  Box3(b, box);
  return TRUE;
}

BOOL CDraftonView::GetSelectionBox(_tagBox3D& box) {
  CSelector* sel = gGetSelector();
  if (!sel || sel->IsEmpty()) return FALSE;
  sel->CalcBox();
  _tagBox2D b{};
  sel->GetBox(&b);
  if (!Valid(b)) return FALSE;
  Box3(b, box);
  return TRUE;
}

BOOL CDraftonView::GetPageBox(_tagBox3D& box) {
  CDBase* db = gGetDBase();
  if (!db) return FALSE;
  _tagBox2D b{};
  db->GetWorkArea().GetPageSize(&b);
  if (!Valid(b)) return FALSE;
  Box3(b, box);
  return TRUE;
}

const AFX_MSGMAP* CDraftonView::GetMenuMessageMap() {
  static const std::vector<AFX_MSGMAP_ENTRY> entries = [] {
    std::vector<AFX_MSGMAP_ENTRY> out;
    for (const ViewMenuRow& r : ViewMenuRows()) {
      if (r.command)
        out.push_back({WM_COMMAND, CN_COMMAND, r.first, r.last, AfxSigCmd_RANGE,
                       AfxMsgCast<void(UINT)>(&CDraftonView::OnMenuCommand)});
      if (r.update)
        out.push_back({WM_COMMAND, static_cast<UINT>(CN_UPDATE_COMMAND_UI), r.first, r.last, AfxSigCmdUI_RANGE,
                       AfxMsgCast<void(CCmdUI*, UINT)>(&CDraftonView::OnMenuUpdate)});
    }
    out.push_back({0, 0, 0, 0, AfxSig_end, nullptr});
    return out;
  }();
  static const AFX_MSGMAP map = {&CGLView::GetThisMessageMap, entries.data()};
  return &map;
}

void CDraftonView::OnMenuCommand(UINT id) {
  if (const ViewMenuRow* row = FindViewMenuRow(id); row && row->command) row->command(*this, id);
}

void CDraftonView::OnMenuUpdate(CCmdUI* ui, UINT id) {
  if (const ViewMenuRow* row = FindViewMenuRow(id); row && row->update && ui) row->update(*this, ui, id);
}

LRESULT CDraftonView::OnDropHorGuide(WPARAM, LPARAM) { return DropGuide(CDbAidLine::HORIZONTAL); }
LRESULT CDraftonView::OnDropVerGuide(WPARAM, LPARAM) { return DropGuide(CDbAidLine::VERTICAL); }

LRESULT CDraftonView::DropGuide(int orientation) {
  COrdvale* h = Hub();
  // A guide line dragged out while a command runs would land in the middle of its clicks.
  if (h && h->GetCurCmd()) return 1;
  CKXGlobal* global = gGetKXGlobal();
  CDBase* db = gGetDBase();
  if (!global || !db) return 1;
  const double coord = orientation == CDbAidLine::HORIZONTAL ? global->GetHorGuide() : global->GetVerGuide();
  auto* action = new CAction(1, CString(orientation == CDbAidLine::HORIZONTAL ? L"Horizental GuideLine"
                                                                                  : L"Vertical GuideLine"));
  action->AddNewEnt(new CDbAidLine(coord, orientation, db->GetDbAidLineVisibility()));
  kxInsertActionIntoManager(action);
  RequestRedraw();
  return 1;
}
