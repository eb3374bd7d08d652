#include "platform/vurode/ViewState.h"

#include "platform/afx/Wnd.h"
#include "platform/vurode/Accessors.h"
#include "platform/vurode/OpenGLDC.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

// Far-off points stay far off without overflowing the integer screen coordinates.
constexpr double kPixelLimit = 1 << 30;

int ToPixel(double v) {
  if (std::isnan(v)) return 0;
  return static_cast<int>(std::floor(std::clamp(v, -kPixelLimit, kPixelLimit) + 0.5));
}

const GCamera* ViewCamera() {
  const COpenGLDC* dc = gGetOpenGLDC();
  return dc ? &dc->GetCamera() : nullptr;
}

// Liang-Barsky: the part of a-b inside [x0, x1] x [y0, y1] as parameters t0 <= t1.
bool ClipSegment(double ax, double ay, double bx, double by, double x0, double y0, double x1,
                 double y1, double& t0, double& t1) {
  if (!std::isfinite(ax) || !std::isfinite(ay) || !std::isfinite(bx) || !std::isfinite(by))
    return false;
  const double dx = bx - ax, dy = by - ay;
  const double p[4] = {-dx, dx, -dy, dy};
  const double q[4] = {ax - x0, x1 - ax, ay - y0, y1 - ay};
  t0 = 0.0;
  t1 = 1.0;
  for (int i = 0; i < 4; ++i) {
    if (p[i] == 0.0) {
      if (q[i] < 0.0) return false;  // parallel to this edge and outside it
      continue;
    }
    const double r = q[i] / p[i];
    if (p[i] < 0.0) {
      if (r > t1) return false;
      t0 = std::max(t0, r);
    } else {
      if (r < t0) return false;
      t1 = std::min(t1, r);
    }
  }
  return t0 <= t1;
}

}  // namespace

CVurode::CVurode()
    : m_is3D(FALSE),
      m_viewRect(0, 0, 800, 600),
      m_scale(1.0),
      m_origin{0.0, 0.0},
      m_checkBox(TRUE),
      m_srfShowMode(kSrfShaded) {}

CVurode::~CVurode() = default;

void CVurode::SetViewRect(const CRect& rect) {
  m_viewRect = rect;
  m_viewRect.NormalizeRect();
}

void CVurode::UpdateViewRect() {
  if (!m_pView || !m_pView->GetSafeHwnd()) return;
  CRect client;
  m_pView->GetClientRect(&client);
  SetViewRect(client);
}

void CVurode::UpdateViewBox() {
  if (!m_is3D) return;
  COpenGLDC* dc = gGetOpenGLDC();
  if (dc && m_viewRect.Width() > 0 && m_viewRect.Height() > 0)
    dc->GetCamera().set_screen(m_viewRect.Width(), m_viewRect.Height());
}

BOOL CVurode::SetScale(double scale) {
  if (!std::isfinite(scale) || !(scale > 0.0)) return FALSE;
  m_scale = scale;
  return TRUE;
}

void CVurode::GetOrigin(double p[2]) const {
  p[0] = m_origin[0];
  p[1] = m_origin[1];
}

void CVurode::SetOrigin(double x, double y) {
  m_origin[0] = x;
  m_origin[1] = y;
}

tagViewPara CVurode::GetViewPara() const {
  tagViewPara para;
  para.scale = m_scale;
  para.origin[0] = m_origin[0];
  para.origin[1] = m_origin[1];
  return para;
}

BOOL CVurode::SetViewPara(const tagViewPara& para) {
  if (!std::isfinite(para.scale) || !(para.scale > 0.0) || !std::isfinite(para.origin[0]) ||
      !std::isfinite(para.origin[1]))
    return FALSE;
  m_scale = para.scale;
  m_origin[0] = para.origin[0];
  m_origin[1] = para.origin[1];
  return TRUE;
}

void CVurode::PushViewPara() {
  if (static_cast<int>(m_viewStack.size()) >= kMaxViewStack) m_viewStack.erase(m_viewStack.begin());
  m_viewStack.push_back(GetViewPara());
}

BOOL CVurode::PopViewPara() {
  if (m_viewStack.empty()) return FALSE;
  const tagViewPara para = m_viewStack.back();
  m_viewStack.pop_back();
  SetViewPara(para);
  return TRUE;
}

tagViewPara CVurode::LerpView(const tagViewPara& start, const tagViewPara& end, double t) {
  if (!(t > 0.0)) return start;  // also NaN
  if (t >= 1.0) return end;
  tagViewPara out;
  if (start.scale > 0.0 && end.scale > 0.0)
    out.scale = start.scale * std::pow(end.scale / start.scale, t);
  else
    out.scale = start.scale + (end.scale - start.scale) * t;
  for (int i = 0; i < 2; ++i) out.origin[i] = start.origin[i] + (end.origin[i] - start.origin[i]) * t;
  return out;
}

void CVurode::Project(double x, double y, double z, double& sx, double& sy) const {
  if (m_is3D) {
    if (const GCamera* cam = ViewCamera()) {
      const double p[3] = {x, y, z};
      if (cam->world_to_screen(p, sx, sy)) {
        sx += m_viewRect.left;
        sy += m_viewRect.top;
        return;
      }
    }
  }
  sx = (m_viewRect.left + m_viewRect.right) / 2.0 + (x - m_origin[0]) * m_scale;
  sy = (m_viewRect.top + m_viewRect.bottom) / 2.0 - (y - m_origin[1]) * m_scale;
}

void CVurode::Unproject(double sx, double sy, double p[3]) const {
  if (m_is3D) {
    if (const GCamera* cam = ViewCamera()) {
      if (cam->screen_to_world(sx - m_viewRect.left, sy - m_viewRect.top, p)) return;
    }
  }
  p[0] = m_origin[0] + (sx - (m_viewRect.left + m_viewRect.right) / 2.0) / m_scale;
  p[1] = m_origin[1] - (sy - (m_viewRect.top + m_viewRect.bottom) / 2.0) / m_scale;
  p[2] = 0.0;
}

void CVurode::GetViewBox(_tagBox2D& box) const {
  const double corners[4][2] = {{double(m_viewRect.left), double(m_viewRect.top)},
                                {double(m_viewRect.right), double(m_viewRect.top)},
                                {double(m_viewRect.left), double(m_viewRect.bottom)},
                                {double(m_viewRect.right), double(m_viewRect.bottom)}};
  box.min[0] = box.min[1] = HUGE_VAL;
  box.max[0] = box.max[1] = -HUGE_VAL;
  for (const auto& c : corners) {
    double p[3];
    Unproject(c[0], c[1], p);
    for (int i = 0; i < 2; ++i) {
      box.min[i] = std::min(box.min[i], p[i]);
      box.max[i] = std::max(box.max[i], p[i]);
    }
  }
}

void CVurode::GetViewBox(_tagBox2D* box) const {
  if (box) GetViewBox(*box);
}

BOOL CVurode::IsPtInView(const double q[2], int tol) const {
  double sx, sy;
  Project(q[0], q[1], 0.0, sx, sy);
  return sx >= m_viewRect.left - tol && sx <= m_viewRect.right + tol &&
         sy >= m_viewRect.top - tol && sy <= m_viewRect.bottom + tol;
}

CPoint CVurode::WorldtoScreen(double x, double y) const {
  double sx, sy;
  Project(x, y, 0.0, sx, sy);
  return CPoint(ToPixel(sx), ToPixel(sy));
}

CPoint CVurode::WorldtoScreen(const double p[2]) const { return WorldtoScreen(p[0], p[1]); }

CPoint CVurode::WorldtoScreen(const tagPoint2d& p) const { return WorldtoScreen(p.x, p.y); }

double CVurode::WorldtoScreen(double length) const {
  if (m_is3D) {
    if (const GCamera* cam = ViewCamera()) {
      double w, h;
      int sw, sh;
      cam->GetViewSize(w, h);
      cam->GetScreenSize(sw, sh);
      if (w > 1e-12) return length * sw / w;
    }
  }
  return length * m_scale;
}

void CVurode::WorldtoScreen3D(double x, double y, double z, int& sx, int& sy) const {
  double fx, fy;
  Project(x, y, z, fx, fy);
  sx = ToPixel(fx);
  sy = ToPixel(fy);
}

CPoint CVurode::WorldtoScreen3D(const double p[3]) const {
  CPoint s;
  WorldtoScreen3D(p[0], p[1], p[2], s.x, s.y);
  return s;
}

void CVurode::ScreentoWorld(int x, int y, Position& pos) const {
  double p[3];
  Unproject(x, y, p);
  pos.x = p[0];
  pos.y = p[1];
  pos.z = p[2];
  pos.sx = x;
  pos.sy = y;
}

void CVurode::ScreentoWorld2D(int x, int y, double p[2]) const {
  double w[3];
  Unproject(x, y, w);
  p[0] = w[0];
  p[1] = w[1];
}

double CVurode::ScreentoWorld(double pixels) const {
  const double perUnit = WorldtoScreen(1.0);
  return perUnit > 0.0 ? pixels / perUnit : pixels;
}

void CVurode::DrawLine(const double start[2], const double end[2], CDC* dc) const {
  if (!dc || !start || !end) return;
  dc->MoveTo(WorldtoScreen(start));
  dc->LineTo(WorldtoScreen(end));
}

void CVurode::DrawPolyline(const double (*pts)[2], int count, CDC* dc) const {
  if (!dc || !pts || count < 2) return;
  std::vector<POINT> screen(count);
  for (int i = 0; i < count; ++i) screen[i] = WorldtoScreen(pts[i]);
  dc->Polyline(screen.data(), count);
}

void CVurode::ClipDrawLine(const double start[2], const double end[2], CDC* dc) const {
  if (!dc || !start || !end) return;
  const double pts[2][2] = {{start[0], start[1]}, {end[0], end[1]}};
  ClipDrawPolyLine(pts, 2, dc);
}

void CVurode::ClipDrawPolyLine(const double (*pts)[2], int count, CDC* dc) const {
  if (!dc || !pts || count < 2) return;
  // Clip to the centres of the border pixels, so every drawn point is a pixel of the view.
  const double x0 = m_viewRect.left, y0 = m_viewRect.top;
  const double x1 = m_viewRect.right - 1, y1 = m_viewRect.bottom - 1;
  if (x1 < x0 || y1 < y0) return;

  std::vector<POINT> run;
  auto flush = [&] {
    if (run.size() >= 2) dc->Polyline(run.data(), static_cast<int>(run.size()));
    run.clear();
  };
  double ax, ay;
  Project(pts[0][0], pts[0][1], 0.0, ax, ay);
  for (int i = 1; i < count; ++i) {
    double bx, by;
    Project(pts[i][0], pts[i][1], 0.0, bx, by);
    double t0, t1;
    if (!ClipSegment(ax, ay, bx, by, x0, y0, x1, y1, t0, t1)) {
      flush();
    } else {
      // A segment entering from outside starts a new run.
      if (t0 > 0.0 || run.empty()) {
        flush();
        run.push_back(CPoint(ToPixel(ax + t0 * (bx - ax)), ToPixel(ay + t0 * (by - ay))));
      }
      run.push_back(CPoint(ToPixel(ax + t1 * (bx - ax)), ToPixel(ay + t1 * (by - ay))));
      if (t1 < 1.0) flush();
    }
    ax = bx;
    ay = by;
  }
  flush();
}
