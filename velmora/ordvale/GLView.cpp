#include "velmora/ordvale/GLView.h"

#include "platform/numora/Point3d.h"
#include "platform/vurode/Accessors.h"
#include "platform/vurode/OpenGLDC.h"
#include "platform/vurode/ViewState.h"

#include <algorithm>
#include <cmath>
#include <numbers>

IMPLEMENT_DYNAMIC(CGLView, CPIView)

BEGIN_MESSAGE_MAP(CGLView, CPIView)
ON_WM_CREATE()
ON_WM_SIZE()
ON_WM_DESTROY()
END_MESSAGE_MAP()

namespace {

bool Finite3(const double p[3]) { return std::isfinite(p[0]) && std::isfinite(p[1]) && std::isfinite(p[2]); }

// World size of one screen pixel across and down.
void PixelSize(const GCamera& cam, double& px, double& py) {
  double w, h;
  int sw, sh;
  cam.GetViewSize(w, h);
  cam.GetScreenSize(sw, sh);
  px = w / sw;
  py = h / sh;
}

}  // namespace

CGLView::CGLView() = default;

CGLView::~CGLView() {
  if (m_ownDC && gGetOpenGLDC() == m_ownDC.get()) gSetOpenGLDC(nullptr);
}

COpenGLDC* CGLView::Context() const { return gGetOpenGLDC(); }

int CGLView::OnCreate(LPCREATESTRUCT lpCreateStruct) {
  if (CPIView::OnCreate(lpCreateStruct) == -1) return -1;
  if (!gGetOpenGLDC()) {
    m_ownDC = std::make_unique<COpenGLDC>();
    gSetOpenGLDC(m_ownDC.get());
  }
  InitialisePlugIns();
  return 0;
}

void CGLView::OnSize(UINT, int cx, int cy) {
  if (cx <= 0 || cy <= 0) return;
  if (CVurode* v = gGetVurode()) v->SetViewRect(CRect(0, 0, cx, cy));
  // Only the camera: the viewport follows at the next frame, when a GL context is current.
  if (COpenGLDC* dc = Context()) dc->GetCamera().set_screen(cx, cy);
}

void CGLView::OnDestroy() {
  if (m_ownDC && gGetOpenGLDC() == m_ownDC.get()) gSetOpenGLDC(nullptr);
  m_ownDC.reset();
  CPIView::OnDestroy();
}

BOOL CGLView::OnEraseBkgnd(CDC*) {
  // A 3D frame clears its whole area itself; erasing first would only flicker.
  const CVurode* v = gGetVurode();
  return v && v->IsView3D();
}

void CGLView::OnDraw(CDC*) {
  RenderFrame(0);
  m_bRedrawPending = FALSE;
}

void CGLView::RenderFrame(int mode) {
  COpenGLDC* dc = Context();
  if (!dc) return;
  dc->Ready();
  DrawGL(dc, mode);
  dc->Finish();
}

void CGLView::StartTimer(UINT_PTR id, UINT elapse) {
  for (auto& t : m_timers)
    if (t.first == id) {
      t.second = elapse;
      return;
    }
  m_timers.emplace_back(id, elapse);
}

void CGLView::StopTimer(UINT_PTR id) {
  std::erase_if(m_timers, [id](const auto& t) { return t.first == id; });
}

BOOL CGLView::IsTimerRunning(UINT_PTR id) const { return GetTimerElapse(id) != 0; }

UINT CGLView::GetTimerElapse(UINT_PTR id) const {
  for (const auto& t : m_timers)
    if (t.first == id) return t.second;
  return 0;
}

BOOL CGLView::GetFitBox2D(int, _tagBox2D&) { return FALSE; }

BOOL CGLView::SetViewRange2D(const _tagBox2D& box) {
  CVurode* v = gGetVurode();
  if (!v) return FALSE;
  for (int i = 0; i < 2; ++i)
    if (!std::isfinite(box.min[i]) || !std::isfinite(box.max[i]) || box.max[i] < box.min[i]) return FALSE;
  const CRect r = v->GetViewRect();
  const double bw = box.max[0] - box.min[0], bh = box.max[1] - box.min[1];
  v->SetOrigin((box.min[0] + box.max[0]) / 2, (box.min[1] + box.max[1]) / 2);
  // A box without extent (a point) only centres.
  if (bw > 0 || bh > 0) {
    const double sx = bw > 0 ? r.Width() / bw : HUGE_VAL, sy = bh > 0 ? r.Height() / bh : HUGE_VAL;
    v->SetScale(std::min(sx, sy) / kFitMargin);
  }
  return TRUE;
}

void CGLView::DrawRubberBox(const _tagBox2D&) { ++m_nRubberDraws; }

BOOL CGLView::PickCentre(CPoint, double*) { return FALSE; }

BOOL CGLView::Zoom(double factor) {
  COpenGLDC* dc = Context();
  if (!dc || !m_bZoomEnable || !std::isfinite(factor) || !(factor > 0.0)) return FALSE;
  GCamera& cam = dc->GetCamera();
  double w, h;
  cam.GetViewSize(w, h);
  const double nw = w / factor, nh = h / factor;
  if (!std::isfinite(nw) || !std::isfinite(nh) || !(nw > 0.0) || !(nh > 0.0)) return FALSE;
  cam.set_view_rect(nw, nh);
  RequestRedraw();
  return TRUE;
}

BOOL CGLView::ZoomBox(const _tagBox3D& box) {
  COpenGLDC* dc = Context();
  if (!dc || !Finite3(box.min) || !Finite3(box.max)) return FALSE;
  for (int i = 0; i < 3; ++i)
    if (box.max[i] < box.min[i]) return FALSE;
  GCamera& cam = dc->GetCamera();
  double ref[3], centre[3], move[3];
  cam.GetRefPoint(ref);
  for (int i = 0; i < 3; ++i) {
    centre[i] = (box.min[i] + box.max[i]) / 2;
    move[i] = centre[i] - ref[i];
  }
  cam.translate(move);

  // Half extents of the box's outline along the screen axes.
  double ax[3], ay[3], az[3];
  cam.GetViewAxis(ax, ay, az);
  double hu = 0, hv = 0;
  for (int c = 0; c < 8; ++c) {
    const double d[3] = {(c & 1 ? box.max[0] : box.min[0]) - centre[0], (c & 2 ? box.max[1] : box.min[1]) - centre[1],
                         (c & 4 ? box.max[2] : box.min[2]) - centre[2]};
    hu = std::max(hu, std::fabs(V3D_Dot(d, ax)));
    hv = std::max(hv, std::fabs(V3D_Dot(d, ay)));
  }
  double w, h;
  cam.GetViewSize(w, h);
  const double aspect = w / h;
  const double width = std::max(2 * hu, 2 * hv * aspect) * kFitMargin;
  if (width > 0.0 && std::isfinite(width)) cam.set_view_rect(width, width / aspect);
  return TRUE;
}

BOOL CGLView::Fit(BOOL found, const _tagBox3D& box, int redraw) {
  if (!found || !ZoomBox(box)) return FALSE;
  Redraw(redraw);
  return TRUE;
}

BOOL CGLView::ZoomAll(int redraw) {
  _tagBox3D box{};
  const BOOL found = GetSceneBox(box);
  return Fit(found, box, redraw);
}

BOOL CGLView::ZoomSelect(int redraw) {
  _tagBox3D box{};
  const BOOL found = GetSelectionBox(box);
  return Fit(found, box, redraw);
}

BOOL CGLView::ZoomPage(int redraw) {
  _tagBox3D box{};
  const BOOL found = GetPageBox(box);
  return Fit(found, box, redraw);
}

BOOL CGLView::GetSceneBox(_tagBox3D&) { return FALSE; }
BOOL CGLView::GetSelectionBox(_tagBox3D&) { return FALSE; }
BOOL CGLView::GetPageBox(_tagBox3D&) { return FALSE; }

BOOL CGLView::ZoomRect(CPoint a, CPoint b, int redraw) {
  COpenGLDC* dc = Context();
  if (!dc || !m_bZoomEnable) return FALSE;
  const double rw = std::fabs(double(b.x) - a.x), rh = std::fabs(double(b.y) - a.y);
  if (rw == 0.0 && rh == 0.0) return FALSE;
  GCamera& cam = dc->GetCamera();
  double centre[3], ref[3];
  if (!cam.screen_to_world((a.x + b.x) / 2.0, (a.y + b.y) / 2.0, centre)) return FALSE;
  cam.GetRefPoint(ref);
  const double move[3] = {centre[0] - ref[0], centre[1] - ref[1], centre[2] - ref[2]};
  double px, py, w, h;
  PixelSize(cam, px, py);
  cam.GetViewSize(w, h);
  const double aspect = w / h;
  const double width = std::max(rw * px, rh * py * aspect);
  cam.translate(move);
  cam.set_view_rect(width, width / aspect);
  Redraw(redraw);
  return TRUE;
}

BOOL CGLView::MoveView(double dx, double dy) {
  COpenGLDC* dc = Context();
  if (!dc || !std::isfinite(dx) || !std::isfinite(dy)) return FALSE;
  GCamera& cam = dc->GetCamera();
  double px, py, ax[3], ay[3], az[3];
  PixelSize(cam, px, py);
  cam.GetViewAxis(ax, ay, az);
  // The picture moves one way, so the camera moves the other.
  double d[3];
  for (int i = 0; i < 3; ++i) d[i] = -(dx * px) * ax[i] - (dy * py) * ay[i];
  cam.translate(d);
  RequestRedraw();
  return TRUE;
}

BOOL CGLView::RotView(const double prev[3], const double cur[3], const double centre[3]) {
  COpenGLDC* dc = Context();
  if (!dc || !prev || !cur || !centre || !Finite3(prev) || !Finite3(cur) || !Finite3(centre)) return FALSE;
  GCamera& cam = dc->GetCamera();
  double ax[3], ay[3], az[3], w, h;
  cam.GetViewAxis(ax, ay, az);
  cam.GetViewSize(w, h);
  const double d[3] = {cur[0] - prev[0], cur[1] - prev[1], cur[2] - prev[2]};
  const double du = V3D_Dot(d, ax), dv = V3D_Dot(d, ay);
  const double len = std::hypot(du, dv);
  if (!(len > 0.0) || !(w > 0.0)) return FALSE;
  // Dragging right turns the front of the scene to the right: the scene turns about the screen
  // axis square to the drag, and the camera the opposite way.
  double k[3];
  for (int i = 0; i < 3; ++i) k[i] = du * ay[i] - dv * ax[i];
  const double angle = std::numbers::pi * len / w;
  cam.rotate_about(centre, k, -angle);
  RequestRedraw();
  return TRUE;
}

BOOL CGLView::OnViewType(int type) {
  COpenGLDC* dc = Context();
  if (!dc) return FALSE;
  struct Standard {
    double toEye[3];
    double up[3];
  };
  const double s = 1 / std::sqrt(3.0);
  static const Standard kViews[] = {
      {{0, -1, 0}, {0, 0, 1}},  // front: from -y
      {{0, 1, 0}, {0, 0, 1}},   // back: from +y
      {{0, 0, 1}, {0, 1, 0}},   // top: from +z
      {{0, 0, -1}, {0, 1, 0}},  // bottom: from -z
      {{1, 0, 0}, {0, 0, 1}},   // right: from +x
      {{-1, 0, 0}, {0, 0, 1}},  // left: from -x
      {{0, 0, 0}, {0, 0, 1}},   // iso: filled below
  };
  if (type < kFront || type > kIso) return FALSE;
  Standard v = kViews[type - 1];
  if (type == kIso) {
    v.toEye[0] = s;
    v.toEye[1] = -s;
    v.toEye[2] = s;
  }
  GCamera& cam = dc->GetCamera();
  double eye[3], ref[3];
  cam.GetEye(eye);
  cam.GetRefPoint(ref);
  const double sight[3] = {eye[0] - ref[0], eye[1] - ref[1], eye[2] - ref[2]};
  double dist = V3D_Length(sight);
  if (!(dist > 0.0)) dist = 1.0;
  double ne[3];
  for (int i = 0; i < 3; ++i) ne[i] = ref[i] + v.toEye[i] * dist;
  cam.set_view(ne, ref, v.up);
  RequestRedraw();
  return TRUE;
}

void CGLView::ShowTip(CPoint at) {
  m_tipPoint = at;
  m_bTipShown = TRUE;
}
