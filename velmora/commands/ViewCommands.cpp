#include "velmora/commands/ViewCommands.h"

#include "platform/vurode/Accessors.h"
#include "platform/vurode/KXGlobal.h"
#include "platform/vurode/OpenGLDC.h"
#include "velmora/ordvale/GLView.h"
#include "velmora/ordvale/Ordvale.h"

#include <cmath>
#include <cstdlib>

namespace {

constexpr double kDynStep = 1.02;    // dynamic zoom per move
constexpr int kDynSlop = 3;          // pixels of vertical move the dynamic zoom ignores

}  // namespace

// ---- shared ----

CGLView* CViewCmd::View() { return dynamic_cast<CGLView*>(gGetView()); }

BOOL CViewCmd::HaveViewObjects() const {
  if (!m_pVurode || !m_pDBase || !View()) return FALSE;
  return m_pVurode->IsView2D() || gGetOpenGLDC() != nullptr;
}

BOOL CViewCmd::Is2D() const { return m_pVurode && m_pVurode->IsView2D(); }

void CViewCmd::PushView() const {
  if (Is2D()) {
    m_pVurode->PushViewPara();
  } else if (COpenGLDC* dc = gGetOpenGLDC()) {
    dc->PushViewPara();
  }
}

BOOL CViewCmd::OnSetCursor() {
  CGLView* view = View();
  if (!view || !m_nCursorRes) return FALSE;
  view->SetViewCursor(m_nCursorRes);
  return TRUE;
}

// ---- zoom by a factor ----

int CViewZoomStepCmd::StartUp(int sub) {
  CViewCmd::StartUp(sub);
  if (!HaveViewObjects()) return 0;
  CGLView* view = View();
  if (Is2D()) {
    m_pVurode->PushViewPara();
    m_pVurode->SetScale(m_pVurode->GetScale() * m_factor2D);
    view->RequestRedraw(TRUE);
  } else {
    gGetOpenGLDC()->PushViewPara();
    view->Zoom(m_factor3D);
  }
  Cancel();
  return 1;
}

int CViewZoomStepCmd::OnRButtonDown(UINT, Position&) { return Cancel(); }

// ---- dynamic zoom ----

int CViewZoomDynCmd::StartUp(int sub) {
  CViewCmd::StartUp(sub);
  if (!HaveViewObjects()) return 0;
  SetCursorResource(kCursor);
  gSetDetectProc(nullptr);
  return 1;
}

int CViewZoomDynCmd::OnLButtonDown(UINT, Position& pos) {
  CGLView* view = View();
  if (!view || !m_pVurode) return 0;
  view->CaptureMouse();
  PushView();
  m_last = pos;
  return 1;
}

int CViewZoomDynCmd::OnMouseMove(UINT, Position& pos) {
  CGLView* view = View();
  if (!view || !m_pVurode) return 0;
  if (!view->HasMouseCapture()) {
    gSetDetectProc(nullptr);
    return 0;
  }
  gSetDetectProc(gIsMouseMoving);
  const int d = m_last.sy - pos.sy;
  if (std::abs(d) <= kDynSlop) return 1;
  // Moving down (d < 0) zooms in.
  const double factor = d < 0 ? kDynStep : 2 - kDynStep;
  if (Is2D()) {
    m_pVurode->SetScale(m_pVurode->GetScale() * factor);
    view->RequestRedraw(TRUE);
  } else {
    view->Zoom(factor);
  }
  m_last = pos;
  return 1;
}

int CViewZoomDynCmd::OnLButtonUp(UINT, Position&) {
  if (CGLView* view = View()) view->ReleaseMouse();
  return 1;
}

int CViewZoomDynCmd::OnRButtonDown(UINT, Position&) { return Cancel(); }

int CViewZoomDynCmd::Cancel() {
  if (CGLView* view = View(); view && view->HasMouseCapture()) view->ReleaseMouse();
  gSetDetectProc(nullptr);
  return CViewCmd::Cancel();
}

// ---- pan ----

int CViewPanCmd::StartUp(int sub) {
  CViewCmd::StartUp(sub);
  m_bDragging = FALSE;
  SetCursorResource(kIdleCursor);
  gSetDetectProc(nullptr);
  return 1;
}

int CViewPanCmd::Press(Position& pos) {
  CGLView* view = View();
  if (!view || !m_pVurode) return 0;
  m_bDragging = TRUE;
  m_press = m_cur = m_prev = pos;
  SetCursorResource(kDragCursor);
  view->SetViewCursor(kDragCursor);
  PushView();
  view->CaptureMouse();
  return 1;
}

int CViewPanCmd::OnLButtonDown(UINT, Position& pos) { return Press(pos); }
int CViewPanCmd::OnMButtonDown(UINT, Position& pos) { return Press(pos); }

int CViewPanCmd::OnMouseMove(UINT, Position& pos) {
  CGLView* view = View();
  if (!view || !m_pVurode) return 0;
  const BOOL captured = view->HasMouseCapture();
  SetCursorResource(captured ? kDragCursor : kIdleCursor);
  view->SetViewCursor(GetCursorResource());
  gSetDetectProc(captured ? gIsMouseMoving : nullptr);
  m_cur = pos;
  if (m_bDragging) {
    if (Is2D())
      Shift2D(m_cur.x - m_press.x, m_cur.y - m_press.y);
    else
      Shift3D(m_cur.sx - m_prev.sx, m_prev.sy - m_cur.sy);
  }
  m_prev = pos;
  return 1;
}

void CViewPanCmd::Release(Position& pos) {
  m_cur = pos;
  m_bDragging = FALSE;
  SetCursorResource(kIdleCursor);
  if (CGLView* view = View()) {
    view->SetViewCursor(kIdleCursor);
    view->ReleaseMouse();
  }
}

int CViewPanCmd::OnLButtonUp(UINT, Position& pos) {
  Release(pos);
  return 1;
}

int CViewPanCmd::OnMButtonUp(UINT, Position& pos) {
  Release(pos);
  return Cancel();
}

int CViewPanCmd::OnRButtonDown(UINT, Position&) { return Cancel(); }

int CViewPanCmd::Cancel() {
  gSetDetectProc(nullptr);
  // A pan ended in the middle of a drag gives the pointer back.
  if (CGLView* view = View(); view && m_bDragging) view->ReleaseMouse();
  m_bDragging = FALSE;
  return CViewCmd::Cancel();
}

BOOL CViewPanCmd::Shift2D(double dx, double dy) {
  CVurode* v = m_pVurode ? m_pVurode : gGetVurode();
  if (!v || !std::isfinite(dx) || !std::isfinite(dy)) return FALSE;
  if (std::fabs(dx) < kMinShift && std::fabs(dy) < kMinShift) return FALSE;
  double o[2];
  v->GetOrigin(o);
  const double nx = o[0] - dx, ny = o[1] - dy;
  if (nx < -kMaxOriginX || nx > kMaxOriginX) return FALSE;
  v->SetOrigin(nx, ny);
  if (CGLView* view = View()) view->RequestRedraw(TRUE);
  return TRUE;
}

BOOL CViewPanCmd::Shift3D(double dx, double dy) {
  if (std::fabs(dx) < kMinShift && std::fabs(dy) < kMinShift) return FALSE;
  CGLView* view = View();
  return view ? view->MoveView(dx, dy) : FALSE;
}

// ---- animated changes ----

void CViewAnimCmd::RecordStart() {
  if (Is2D()) {
    m_start2D = m_pVurode->GetViewPara();
  } else if (const COpenGLDC* dc = gGetOpenGLDC()) {
    m_start3D = dc->GetCamera();
  }
}

void CViewAnimCmd::BeginAnimation() {
  if (Is2D()) {
    m_end2D = m_pVurode->GetViewPara();
  } else if (const COpenGLDC* dc = gGetOpenGLDC()) {
    m_end3D = dc->GetCamera();
  }
  m_nStep = 0;
  m_fraction = 1.0 / kSteps;
  if (CGLView* view = View()) view->StartTimer(kTimer, kTick);
}

int CViewAnimCmd::OnTimer(UINT_PTR id) {
  if (id != kTimer) return 1;
  CVurode* vurode = gGetVurode();
  const CKXGlobal* settings = gGetKXGlobal();
  const COrdvale* hub = gGetOrdvale();
  if (!vurode || !settings || !hub) return 0;
  CGLView* view = View();

  ++m_nStep;
  if (!settings->IsAnimateView() || hub->m_nStopAnimate || m_nStep > kSteps) m_nStep = kSteps;
  gSetAnimateView(m_nStep != kSteps);
  const double t = m_nStep * m_fraction;
  if (vurode->IsView2D()) {
    vurode->SetViewPara(CVurode::LerpView(m_start2D, m_end2D, t));
    if (view) view->RequestRedraw(TRUE);
  } else if (COpenGLDC* dc = gGetOpenGLDC()) {
    dc->SetCamera(COpenGLDC::LerpView(m_start3D, m_end3D, static_cast<float>(t)));
    if (view) view->RenderFrame(gIsAnimateView() ? 3 : 0);
  }
  if (m_nStep == kSteps) {
    if (view) view->StopTimer(kTimer);
    m_nStep = 0;
    return AnimationDone();
  }
  return 1;
}

int CViewAnimCmd::Cancel() {
  // Cancelled half way (another command started, say): the ticks stop with it, or they would
  // run on into whichever command is current next.
  if (CGLView* view = View(); view && view->IsTimerRunning(kTimer)) {
    view->StopTimer(kTimer);
    gSetAnimateView(0);
  }
  m_nStep = 0;
  return CViewCmd::Cancel();
}

// ---- fit to all, fit to page, previous view ----

int CViewAllCmd::StartUp(int sub) {
  CViewCmd::StartUp(sub);
  if (!HaveViewObjects() || !m_pSelector || !gGetOrdvale()) return 0;
  CGLView* view = View();
  RecordStart();
  PushView();
  if (sub == 0) {
    if (Is2D()) {
      _tagBox2D box{};
      if (view->GetFitBox2D(CGLView::kFitAll, box)) view->SetViewRange2D(box);
    } else if (!view->ZoomSelect(0)) {
      view->ZoomAll(0);
    }
  } else if (Is2D()) {
    m_pVurode->SetOrigin(m_target.x, m_target.y);
  } else {
    // The target comes to the middle of the view.
    const GCamera& cam = gGetOpenGLDC()->GetCamera();
    const double p[3] = {m_target.x, m_target.y, m_target.z};
    double sx, sy;
    int w, h;
    cam.GetScreenSize(w, h);
    if (cam.world_to_screen(p, sx, sy)) view->MoveView(w / 2.0 - sx, sy - h / 2.0);
  }
  BeginAnimation();
  return 1;
}

int CViewAllPageCmd::StartUp(int sub) {
  CViewCmd::StartUp(sub);
  if (!HaveViewObjects()) return 0;
  CGLView* view = View();
  RecordStart();
  PushView();
  if (Is2D()) {
    _tagBox2D box{};
    if (view->GetFitBox2D(CGLView::kFitPage, box)) view->SetViewRange2D(box);
  } else {
    view->ZoomPage(0);
  }
  BeginAnimation();
  return 1;
}

int CViewPrevCmd::StartUp(int sub) {
  CViewCmd::StartUp(sub);
  if (!HaveViewObjects()) return 0;
  RecordStart();
  const BOOL popped = Is2D() ? m_pVurode->PopViewPara() : gGetOpenGLDC()->PopViewPara();
  if (!popped) {
    // Nothing saved: nothing to go back to.
    Cancel();
    return 0;
  }
  BeginAnimation();
  return 1;
}

// ---- zoom window ----

void CViewRegionCmd::EraseRubber() {
  if (!m_bRubber) return;
  if (CGLView* view = View()) view->DrawRubberBox(m_rubber);
  m_bRubber = FALSE;
}

int CViewRegionCmd::StartUp(int sub) {
  CViewCmd::StartUp(sub);
  m_nClicks = 0;
  EraseRubber();
  SetCursorResource(kCursor);
  return 1;
}

int CViewRegionCmd::OnLButtonDown(UINT, Position& pos) {
  ++m_nClicks;
  if (m_nClicks == 1) {
    m_first = pos;
  } else {
    m_second = pos;
    EraseRubber();
    m_nClicks = 0;
  }
  return 1;
}

int CViewRegionCmd::OnMouseMove(UINT, Position& pos) {
  CGLView* view = View();
  if (m_nClicks != 1 || !view || !m_pVurode) return 0;
  EraseRubber();
  double a[2], b[2];
  m_pVurode->ScreentoWorld2D(m_first.sx, m_first.sy, a);
  m_pVurode->ScreentoWorld2D(pos.sx, pos.sy, b);
  m_rubber = {{std::fmin(a[0], b[0]), std::fmin(a[1], b[1])}, {std::fmax(a[0], b[0]), std::fmax(a[1], b[1])}};
  view->DrawRubberBox(m_rubber);
  m_bRubber = TRUE;
  m_second = pos;
  return 1;
}

int CViewRegionCmd::OnLButtonUp(UINT flags, Position& pos) {
  m_second = pos;
  if (std::abs(m_second.sx - m_first.sx) <= kClickSlop && std::abs(m_second.sy - m_first.sy) <= kClickSlop)
    return 0;  // a click: the second corner may follow
  CGLView* view = View();
  if (!HaveViewObjects()) return 0;
  EraseRubber();
  RecordStart();
  PushView();
  if (Is2D()) {
    const _tagBox2D box{{std::fmin(m_first.x, m_second.x), std::fmin(m_first.y, m_second.y)},
                        {std::fmax(m_first.x, m_second.x), std::fmax(m_first.y, m_second.y)}};
    view->SetViewRange2D(box);
  } else {
    view->ZoomRect(CPoint(m_first.sx, m_first.sy), CPoint(m_second.sx, m_second.sy), 0);
  }
  BeginAnimation();
  m_first = m_second = pos;
  m_nClicks = 0;
  CViewCmd::OnLButtonUp(flags, pos);
  return 1;
}

int CViewRegionCmd::OnRButtonDown(UINT, Position&) {
  if (m_nClicks == 1) EraseRubber();
  return Cancel();
}

int CViewRegionCmd::Cancel() {
  EraseRubber();
  m_nClicks = 0;
  gSetAnimateView(0);
  return CViewAnimCmd::Cancel();
}

// ---- 3D rotate ----

int CView3DRotCmd::StartUp(int sub) {
  CViewCmd::StartUp(sub);
  m_press = m_last = CPoint();
  m_bMoved = FALSE;
  for (int i = 0; i < 3; ++i) {
    m_prevWorld[i] = 0;
    m_centre[i] = 0;
  }
  SetCursorResource(kCursor);
  return 1;
}

int CView3DRotCmd::OnLButtonDown(UINT, Position& pos) {
  CGLView* view = View();
  COpenGLDC* dc = gGetOpenGLDC();
  if (!view || !dc) return 0;
  m_nState = m_nState > 0 ? 0 : 1;
  view->CaptureMouse();
  m_bMoved = FALSE;
  m_press = m_last = CPoint(pos.sx, pos.sy);
  double c[3] = {0, 0, 0};
  if (!view->PickCentre(m_press, c)) c[0] = c[1] = c[2] = 0;
  for (int i = 0; i < 3; ++i) m_centre[i] = static_cast<float>(c[i]);
  dc->GetCamera().screen_to_world(pos.sx, pos.sy, m_prevWorld);
  return 1;
}

int CView3DRotCmd::OnMouseMove(UINT, Position& pos) {
  CGLView* view = View();
  COpenGLDC* dc = gGetOpenGLDC();
  if (!view || !m_pVurode || !dc || !view->HasMouseCapture()) return 0;
  if (std::abs(pos.sx - m_press.x) < kMoveSlop && std::abs(pos.sy - m_press.y) < kMoveSlop) return 1;
  if (!m_bMoved) {
    m_bMoved = TRUE;
    dc->PushViewPara();
  }
  // Both points in the camera as it is now: the previous point kept from before the last turn
  // belongs to the old camera, and the difference would turn the view again with the pointer
  // standing still.
  double cur[3];
  if (!dc->GetCamera().screen_to_world(pos.sx, pos.sy, cur) ||
      !dc->GetCamera().screen_to_world(m_last.x, m_last.y, m_prevWorld))
    return 0;
  const double centre[3] = {m_centre[0], m_centre[1], m_centre[2]};
  view->RotView(m_prevWorld, cur, centre);
  for (int i = 0; i < 3; ++i) m_prevWorld[i] = cur[i];
  m_last = CPoint(pos.sx, pos.sy);
  return 1;
}

int CView3DRotCmd::OnLButtonUp(UINT, Position&) {
  CGLView* view = View();
  if (!view) return 0;
  if (m_bMoved) view->RequestRedraw(FALSE);
  m_bMoved = FALSE;
  if (view->HasMouseCapture()) {
    view->ReleaseMouse();
    Cancel();
  }
  return 1;
}

int CView3DRotCmd::OnRButtonDown(UINT, Position&) {
  m_nState = 0;
  return Cancel();
}

int CView3DRotCmd::OnChar(UINT ch, UINT, UINT) {
  CGLView* view = View();
  COpenGLDC* dc = gGetOpenGLDC();
  double axis[3] = {0, 0, 0};
  switch (ch) {
    case 'X': case 'x': axis[0] = 1; break;
    case 'Y': case 'y': axis[1] = 1; break;
    case 'Z': case 'z': axis[2] = 1; break;
    default: return 1;
  }
  if (!view || !dc) return 1;
  dc->GetCamera().rot_view(view->IsShiftDown() ? -kKeyTurn : kKeyTurn, axis);
  view->RequestRedraw(FALSE);
  return 1;
}

int CView3DRotCmd::Cancel() {
  if (CGLView* view = View(); view && view->HasMouseCapture()) view->ReleaseMouse();
  return CViewCmd::Cancel();
}

void CView3DRotCmd::GetCentre(double c[3]) const {
  for (int i = 0; i < 3; ++i) c[i] = m_centre[i];
}
