#include "velmora/commandlib/DrawCmds.h"

#include "db/Action.h"
#include "geometry/shapes2d/GeArc.h"
#include "geometry/shapes2d/GeCircle.h"
#include "geometry/shapes2d/GeLine.h"
#include "geometry/shapes2d/GePolyline.h"
#include "platform/vurode/Accessors.h"
#include "platform/win/Messages.h"

#include <cmath>
#include <memory>

static_assert(sizeof(CPointsDrawCmd::Point) == 2 * sizeof(double), "points are passed as double[][2]");

namespace {

// Points closer than this are the same click (world units).
constexpr double kSamePoint = 1e-9;

bool Same(const CPointsDrawCmd::Point& a, const CPointsDrawCmd::Point& b) {
  return std::hypot(a[0] - b[0], a[1] - b[1]) <= kSamePoint;
}

bool Finite(const Position& pos) { return std::isfinite(pos.x) && std::isfinite(pos.y); }

}  // namespace

int CPointsDrawCmd::StartUp(int sub) {
  Drop();
  const int r = CEditCmd::StartUp(sub);
  PromptNext();
  return r;
}

void CPointsDrawCmd::PromptNext() {
  Prompt(m_pts.empty() ? L"Click the first point" : L"Click the next point");
}

void CPointsDrawCmd::Drop() {
  m_band.Erase(*this);
  m_pts.clear();
  m_nState = 0;
}

BOOL CPointsDrawCmd::Finish() {
  std::unique_ptr<CGeCurve> curve(Build(m_pts));
  Drop();
  if (!curve) return FALSE;
  auto action = std::make_unique<CAction>(1, CString(ActionName()));
  action->AddNewEnt(NewCurveEntity(curve.release()));
  return Commit(action.release());
}

int CPointsDrawCmd::OnLButtonDown(UINT, Position& pos) {
  if (!Finite(pos)) return 0;
  const Point p{pos.x, pos.y};
  if (!m_pts.empty() && Same(m_pts.back(), p)) return 1;
  m_pts.push_back(p);
  if (Needed() > 0 && int(m_pts.size()) == Needed()) {
    // A click that gives no curve (collinear arc points, an empty rectangle) is taken back.
    std::unique_ptr<CGeCurve> test(Build(m_pts));
    if (!test) {
      m_pts.pop_back();
      return 1;
    }
    Finish();
  }
  m_nState = int(m_pts.size());
  PromptNext();
  return 1;
}

int CPointsDrawCmd::OnMouseMove(UINT, Position& pos) {
  if (m_pts.empty() || !Finite(pos)) return 0;
  std::vector<Point> pts = m_pts;
  pts.push_back({pos.x, pos.y});
  CGeCurve* curve = Preview(pts);
  if (curve)
    m_band.Show(*this, NewCurveEntity(curve));
  else
    m_band.Erase(*this);
  return 1;
}

int CPointsDrawCmd::OnRButtonDown(UINT, Position&) {
  if (m_pts.empty()) return Cancel();
  if (Needed() == 0)
    Finish();
  else
    Drop();
  PromptNext();
  return 1;
}

int CPointsDrawCmd::OnReturn() {
  if (Needed() != 0 || m_pts.empty()) return 0;
  Finish();
  PromptNext();
  return 1;
}

int CPointsDrawCmd::OnKeyDown(UINT key, UINT, UINT) {
  if (key == VK_ESCAPE) return Cancel();
  if (key == VK_RETURN) return OnReturn();
  return 0;
}

int CPointsDrawCmd::Cancel() {
  Drop();
  return CEditCmd::Cancel();
}

// ---- the curves ----

CGeCurve* CGenLineCmd::Build(const std::vector<Point>& pts) const {
  if (pts.size() != 2 || Same(pts[0], pts[1])) return nullptr;
  return new CGeLine(pts[0].data(), pts[1].data());
}

CGeCurve* CGenPLineCmd::Build(const std::vector<Point>& pts) const {
  if (pts.size() < 2) return nullptr;
  auto pl = std::make_unique<CGePolyline>();
  if (!pl->Create(int(pts.size()), reinterpret_cast<const double(*)[2]>(pts.data()))) return nullptr;
  pl->CalcBox2d();
  return pl.release();
}

CGeCurve* CGenRectCmd::Build(const std::vector<Point>& pts) const {
  if (pts.size() != 2) return nullptr;
  const Point& a = pts[0];
  const Point& b = pts[1];
  if (std::fabs(a[0] - b[0]) <= kSamePoint || std::fabs(a[1] - b[1]) <= kSamePoint) return nullptr;
  const double corners[5][2] = {{a[0], a[1]}, {b[0], a[1]}, {b[0], b[1]}, {a[0], b[1]}, {a[0], a[1]}};
  auto pl = std::make_unique<CGePolyline>();
  if (!pl->Create(5, corners)) return nullptr;
  pl->CalcBox2d();
  return pl.release();
}

CGeCurve* CGenArcCmd::Build(const std::vector<Point>& pts) const {
  if (pts.size() != 3 || Same(pts[0], pts[2])) return nullptr;
  auto arc = std::make_unique<CGeArc>();
  if (!arc->Create3Pnt(pts[0].data(), pts[1].data(), pts[2].data())) return nullptr;
  // The construction leaves the point buffer alone: drawing and picking need it.
  arc->Discrete(gGetCurveDicTol());
  arc->CalcBox2d();
  return arc.release();
}

CGeCurve* CGenArcCmd::Preview(const std::vector<Point>& pts) const {
  if (pts.size() == 2) return Same(pts[0], pts[1]) ? nullptr : new CGeLine(pts[0].data(), pts[1].data());
  return Build(pts);
}

CGeCurve* CGenCircleCmd::Build(const std::vector<Point>& pts) const {
  if (pts.size() != 2) return nullptr;
  const double r = std::hypot(pts[1][0] - pts[0][0], pts[1][1] - pts[0][1]);
  if (!(r > kSamePoint) || !std::isfinite(r)) return nullptr;
  return new CGeCircle(pts[0].data(), r, 1);
}
