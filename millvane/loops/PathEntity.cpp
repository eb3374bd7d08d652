#include "millvane/loops/PathEntity.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <memory>
#include <new>
#include <vector>
#include <numbers>

#include "geometry/shapes3d/GeArc3d.h"
#include "geometry/shapes3d/GeLine3d.h"
#include "geometry/shapes3d/GePolyline3d.h"
#include "millvane/loops/SmartSect.h"
#include "platform/numora/Math.h"
#include "platform/numora/Point2d.h"
#include "platform/numora/Point3d.h"
#include "platform/vurode/Accessors.h"

namespace {

constexpr double kUnitTol = 1e-6;
constexpr double kSplitSlack = 0.01;

void Copy3(double to[3], const double from[3]) {
  to[0] = from[0];
  to[1] = from[1];
  to[2] = from[2];
}

void RotateXY(double p[3], double c, double s) {
  const double x = p[0] * c - p[1] * s;
  p[1] = p[0] * s + p[1] * c;
  p[0] = x;
}

double DistXY(const double a[3], const double b[3]) { return std::hypot(b[0] - a[0], b[1] - a[1]); }

double Dist3(const double a[3], const double b[3]) {
  return std::sqrt((b[0] - a[0]) * (b[0] - a[0]) + (b[1] - a[1]) * (b[1] - a[1]) +
                   (b[2] - a[2]) * (b[2] - a[2]));
}

void Lerp3(const double a[3], const double b[3], double f, double out[3]) {
  for (int k = 0; k < 3; ++k) out[k] = a[k] + (b[k] - a[k]) * f;
}

// Left normal (-dy, dx) of a -> b, unit.
int LeftNormal(const double a[3], const double b[3], double out[2]) {
  double v[2] = {-(b[1] - a[1]), b[0] - a[0]};
  if (!V2D_Unit(v, kUnitTol)) return 0;
  out[0] = v[0];
  out[1] = v[1];
  return 1;
}

int UnitDiff(const double a[3], const double b[3], double out[3]) {
  double v[3] = {b[0] - a[0], b[1] - a[1], b[2] - a[2]};
  if (!V3D_Unit(v, kUnitTol)) return 0;
  Copy3(out, v);
  return 1;
}

// Nearest XY point of segment a-b to q; z of the query.
double NearestOnSegment(const double a[3], const double b[3], const double q[3], double out[3]) {
  CSmartLine seg(a, b);
  const double d = seg.NearestPoint(q, out);
  out[2] = q[2];
  return d;
}

CPathPLine3D* NewPolyline(const std::vector<std::array<double, 3>>& pts) {
  if (pts.size() < 2) return nullptr;
  auto* pl = new CPathPLine3D;
  pl->SetPoints(static_cast<int>(pts.size()) - 1,
                reinterpret_cast<const double(*)[3]>(pts.data()));
  return pl;
}

}  // namespace

// ---- CPathEntity -------------------------------------------------------------------------

CPathEntity::~CPathEntity() = default;
double CPathEntity::GetLength() const { return 0.0; }
CPathPLine3D* CPathEntity::Repeat(int) const { return nullptr; }
int CPathEntity::Split(double, CPathEntity*&, CPathEntity*&) const { return 0; }
void CPathEntity::SetZ(double) {}
void CPathEntity::LowerEnd(double) {}
int CPathEntity::GetNormal2D(int, double[2]) const { return 0; }
int CPathEntity::GetTangent(int, double[3]) const { return 0; }
int CPathEntity::Reverse() { return 1; }
int CPathEntity::NearestPoint(const double[3], double[3], double&) const { return 0; }

void CPathEntity::CopyHeader(const CPathEntity& from) {
  code = from.code;
  header[0] = from.header[0];
  header[1] = from.header[1];
}

// Shared start of every Split: a length within the slack of either end splits nothing off, so
// the whole entity comes back as a clone on that side and the other side is null.
static bool SplitAtEnds(const CPathEntity& e, double length, double total, CPathEntity*& first,
                        CPathEntity*& second) {
  if (length < kSplitSlack) {
    first = nullptr;
    second = e.Clone();
    return true;
  }
  if (length > total - kSplitSlack) {
    first = e.Clone();
    second = nullptr;
    return true;
  }
  return false;
}

// ---- CPathLine3D -------------------------------------------------------------------------

CPathLine3D::CPathLine3D() : CPathEntity(kPathLine), start{0, 0, 0}, end{0, 0, 0} {}

CPathLine3D::CPathLine3D(const double s[3], const double e[3])
    : CPathEntity(kPathLine), start{s[0], s[1], s[2]}, end{e[0], e[1], e[2]} {}

int CPathLine3D::GetType() const { return kPathLine; }

void CPathLine3D::Rotate(double c, double s) {
  RotateXY(start, c, s);
  RotateXY(end, c, s);
}

void CPathLine3D::Translate(double dx, double dy, double dz) {
  const double v[3] = {dx, dy, dz};
  for (int k = 0; k < 3; ++k) {
    start[k] += v[k];
    end[k] += v[k];
  }
}

double CPathLine3D::GetLength() const { return DistXY(start, end); }

CPathPLine3D* CPathLine3D::Repeat(int n) const {
  if (n < 1) return nullptr;
  std::vector<std::array<double, 3>> pts;
  pts.reserve(2 * static_cast<size_t>(n) + 1);
  for (int i = 0; i < n; ++i) {
    pts.push_back({start[0], start[1], start[2]});
    pts.push_back({end[0], end[1], end[2]});
  }
  pts.push_back({start[0], start[1], start[2]});
  return NewPolyline(pts);
}

int CPathLine3D::Split(double length, CPathEntity*& first, CPathEntity*& second) const {
  if (SplitAtEnds(*this, length, GetLength(), first, second)) return 1;
  double mid[3];
  Lerp3(start, end, length / GetLength(), mid);
  auto* a = static_cast<CPathLine3D*>(Clone());
  auto* b = static_cast<CPathLine3D*>(Clone());
  Copy3(a->end, mid);
  Copy3(b->start, mid);
  first = a;
  second = b;
  return 1;
}

void CPathLine3D::SetZ(double z) { start[2] = end[2] = z; }

void CPathLine3D::LowerEnd(double d) { end[2] = start[2] - d; }

int CPathLine3D::GetEndPoint(int which, double point[3]) const {
  Copy3(point, which ? end : start);
  return 1;
}

int CPathLine3D::GetNormal2D(int, double vector[2]) const { return LeftNormal(start, end, vector); }

int CPathLine3D::GetTangent(int, double vector[3]) const { return UnitDiff(start, end, vector); }

CPathEntity* CPathLine3D::Clone() const {
  auto* c = new CPathLine3D(start, end);
  c->CopyHeader(*this);
  return c;
}

int CPathLine3D::Reverse() {
  std::swap(start, end);
  return 1;
}

int CPathLine3D::NearestPoint(const double q[3], double nearest[3], double& distance) const {
  distance = NearestOnSegment(start, end, q, nearest);
  return 1;
}

// ---- CPathArc3D --------------------------------------------------------------------------

CPathArc3D::CPathArc3D() : CPathEntity(kPathArc) {}

CPathArc3D::CPathArc3D(const double c[3], double r, double a0, double a1, double h)
    : CPathEntity(kPathArc), centre{c[0], c[1], c[2]}, radius(r), startAngle(a0), endAngle(a1),
      rise(h) {}

CPathArc3D::~CPathArc3D() { delete[] frame; }

void CPathArc3D::SetFrame(const double rows[9]) {
  if (!frame) frame = new double[9];
  std::copy(rows, rows + 9, frame);
  plane = kArcFrame;
}

int CPathArc3D::Axes(double u[3], double v[3], double w[3]) const {
  static const double kAxis[3][3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
  // Cosine, sine and rise axes of the three axis-parallel kinds.
  static const int kOrder[3][3] = {{0, 1, 2}, {1, 2, 0}, {2, 0, 1}};
  if (plane >= 0 && plane <= 2) {
    Copy3(u, kAxis[kOrder[plane][0]]);
    Copy3(v, kAxis[kOrder[plane][1]]);
    Copy3(w, kAxis[kOrder[plane][2]]);
    return 1;
  }
  if (!frame) return 0;
  Copy3(u, frame);
  Copy3(v, frame + 3);
  Copy3(w, frame + 6);
  return 1;
}

int CPathArc3D::PointAt(double t, double out[3]) const {
  double u[3], v[3], w[3];
  if (!Axes(u, v, w)) return 0;
  const double a = startAngle + (endAngle - startAngle) * t;
  const double c = radius * std::cos(a), s = radius * std::sin(a), h = t * rise;
  for (int k = 0; k < 3; ++k) out[k] = centre[k] + c * u[k] + s * v[k] + h * w[k];
  return 1;
}

int CPathArc3D::GetType() const { return kPathArc; }

void CPathArc3D::Rotate(double c, double s) {
  if (plane != kArcXY) return;
  double p[3];
  PointAt(0.0, p);
  RotateXY(p, c, s);
  RotateXY(centre, c, s);
  const double a = std::atan2(p[1] - centre[1], p[0] - centre[0]);
  endAngle += a - startAngle;
  startAngle = a;
}

void CPathArc3D::Translate(double dx, double dy, double dz) {
  centre[0] += dx;
  centre[1] += dy;
  centre[2] += dz;
}

double CPathArc3D::GetLength() const { return std::fabs(endAngle - startAngle) * radius; }

int CPathArc3D::Split(double length, CPathEntity*& first, CPathEntity*& second) const {
  if (SplitAtEnds(*this, length, GetLength(), first, second)) return 1;
  const double f = length / GetLength();
  const double mid = startAngle + (endAngle - startAngle) * f;
  auto* a = static_cast<CPathArc3D*>(Clone());
  auto* b = static_cast<CPathArc3D*>(Clone());
  a->endAngle = mid;
  b->startAngle = mid;
  // A helix shares its rise between the pieces so that they still meet.
  double u[3], v[3], w[3];
  if (rise != 0.0 && Axes(u, v, w)) {
    a->rise = rise * f;
    b->rise = rise * (1.0 - f);
    for (int k = 0; k < 3; ++k) b->centre[k] += rise * f * w[k];
  }
  first = a;
  second = b;
  return 1;
}

void CPathArc3D::LowerEnd(double d) { rise -= d; }

int CPathArc3D::GetEndPoint(int which, double point[3]) const {
  return PointAt(which ? 1.0 : 0.0, point);
}

int CPathArc3D::GetNormal2D(int which, double vector[2]) const {
  double p[3];
  if (!PointAt(which ? 1.0 : 0.0, p)) return 0;
  double n[2] = {p[0] - centre[0], p[1] - centre[1]};
  if (endAngle > startAngle) {
    n[0] = -n[0];
    n[1] = -n[1];
  }
  if (!V2D_Unit(n, kUnitTol)) return 0;
  vector[0] = n[0];
  vector[1] = n[1];
  return 1;
}

int CPathArc3D::GetTangent(int which, double vector[3]) const {
  const double a = which ? endAngle : startAngle;
  const double sgn = endAngle > startAngle ? 1.0 : -1.0;
  vector[0] = -std::sin(a) * sgn;
  vector[1] = std::cos(a) * sgn;
  vector[2] = 0.0;
  return 1;
}

CPathEntity* CPathArc3D::Clone() const {
  auto* c = new CPathArc3D(centre, radius, startAngle, endAngle, rise);
  c->CopyHeader(*this);
  c->plane = plane;
  if (frame) {
    c->frame = new double[9];
    std::copy(frame, frame + 9, c->frame);
  }
  return c;
}

int CPathArc3D::Reverse() {
  std::swap(startAngle, endAngle);
  return 1;
}

int CPathArc3D::NearestPoint(const double q[3], double nearest[3], double& distance) const {
  if (plane != kArcXY) return 0;
  CSmartArc arc(centre, radius, startAngle, endAngle);
  distance = arc.NearestPoint(q, nearest);
  nearest[2] = q[2];
  return 1;
}

// ---- CPathPLine3D ------------------------------------------------------------------------

CPathPLine3D::CPathPLine3D() : CPathEntity(kPathPLine) {}

CPathPLine3D::~CPathPLine3D() { delete[] points; }

int CPathPLine3D::SetPoints(int n, const double (*pts)[3]) {
  delete[] points;
  points = nullptr;
  count = 0;
  if (n < 1 || !pts) return 0;
  points = new (std::nothrow) double[static_cast<size_t>(n) + 1][3];
  if (!points) return 0;
  std::copy(&pts[0][0], &pts[0][0] + 3 * (static_cast<size_t>(n) + 1), &points[0][0]);
  count = n;
  return 1;
}

int CPathPLine3D::GetType() const { return kPathPLine; }

void CPathPLine3D::Rotate(double c, double s) {
  for (int i = 0; count > 0 && i <= count; ++i) RotateXY(points[i], c, s);
}

void CPathPLine3D::Translate(double dx, double dy, double dz) {
  for (int i = 0; count > 0 && i <= count; ++i) {
    points[i][0] += dx;
    points[i][1] += dy;
    points[i][2] += dz;
  }
}

double CPathPLine3D::GetLength() const {
  double len = 0.0;
  for (int i = 0; i < count; ++i) len += DistXY(points[i], points[i + 1]);
  return len;
}

CPathPLine3D* CPathPLine3D::Repeat(int n) const {
  if (n <= 0 || count <= 0) return nullptr;
  const bool closed = DistXY(points[0], points[count]) <= 0.01;
  std::vector<std::array<double, 3>> pts;
  pts.reserve(static_cast<size_t>(count + 1) * n);
  for (int pass = 0; pass < n; ++pass) {
    const bool backward = !closed && (pass % 2 == 1);
    for (int i = 0; i <= count; ++i) {
      const double* p = points[backward ? count - i : i];
      pts.push_back({p[0], p[1], p[2]});
    }
  }
  return NewPolyline(pts);
}

int CPathPLine3D::Split(double length, CPathEntity*& first, CPathEntity*& second) const {
  if (SplitAtEnds(*this, length, GetLength(), first, second)) return 1;
  double acc = 0.0;
  for (int i = 0; i < count; ++i) {
    const double seg = DistXY(points[i], points[i + 1]);
    if (acc + seg <= length) {
      acc += seg;
      continue;
    }
    double mid[3];
    Lerp3(points[i], points[i + 1], (length - acc) / seg, mid);
    std::vector<std::array<double, 3>> a, b;
    for (int k = 0; k <= i; ++k) a.push_back({points[k][0], points[k][1], points[k][2]});
    if (Dist3(mid, points[i]) > 1e-6) a.push_back({mid[0], mid[1], mid[2]});
    if (Dist3(mid, points[i + 1]) > 1e-6) b.push_back({mid[0], mid[1], mid[2]});
    for (int k = i + 1; k <= count; ++k) b.push_back({points[k][0], points[k][1], points[k][2]});
    CPathPLine3D* pa = NewPolyline(a);
    CPathPLine3D* pb = NewPolyline(b);
    if (pa) pa->CopyHeader(*this);
    if (pb) pb->CopyHeader(*this);
    first = pa;
    second = pb;
    return 1;
  }
  // Rounding left the length beyond the last segment: the whole polyline is the first part.
  first = Clone();
  second = nullptr;
  return 1;
}

void CPathPLine3D::SetZ(double z) {
  for (int i = 0; count > 0 && i <= count; ++i) points[i][2] = z;
}

void CPathPLine3D::LowerEnd(double d) {
  const double total = GetLength();
  if (total < 1e-8) return;
  double acc = 0.0;
  for (int i = 1; i <= count; ++i) {
    acc += DistXY(points[i - 1], points[i]);
    points[i][2] -= d * acc / total;
  }
}

int CPathPLine3D::GetEndPoint(int which, double point[3]) const {
  if (count <= 0) return 0;
  Copy3(point, points[which ? count : 0]);
  return 1;
}

int CPathPLine3D::GetNormal2D(int which, double vector[2]) const {
  if (count <= 0) return 0;
  const int i = which ? count - 1 : 0;
  return LeftNormal(points[i], points[i + 1], vector);
}

int CPathPLine3D::GetTangent(int which, double vector[3]) const {
  if (count <= 0) return 0;
  const int i = which ? count - 1 : 0;
  return UnitDiff(points[i], points[i + 1], vector);
}

CPathEntity* CPathPLine3D::Clone() const {
  auto* c = new CPathPLine3D;
  c->CopyHeader(*this);
  if (count > 0) c->SetPoints(count, points);
  return c;
}

int CPathPLine3D::Reverse() {
  if (count > 0) std::reverse(points, points + count + 1);
  return 1;
}

int CPathPLine3D::NearestPoint(const double q[3], double nearest[3], double& distance) const {
  int improved = 0;
  for (int i = 0; i < count; ++i) {
    double p[3];
    const double d = NearestOnSegment(points[i], points[i + 1], q, p);
    if (d < distance) {
      distance = d;
      Copy3(nearest, p);
      improved = 1;
    }
  }
  return improved;
}

// ---- conversion to kernel curves ---------------------------------------------------------

namespace {

CGeCurve3d* Finish(CGeCurve3d* c) {
  c->DiscreteMe(gGetCurveDicTol());
  c->CalcBox();
  return c;
}

void Cross(const double a[3], const double b[3], double out[3]) {
  out[0] = a[1] * b[2] - a[2] * b[1];
  out[1] = a[2] * b[0] - a[0] * b[2];
  out[2] = a[0] * b[1] - a[1] * b[0];
}

CGeCurve3d* ArcToCurve(const CPathArc3D& arc) {
  double u[3], v[3], w[3];
  if (!arc.Axes(u, v, w)) return nullptr;
  const double sweep = arc.endAngle - arc.startAngle;
  if (arc.rise != 0.0) {
    // A kernel arc is flat: a helix goes out as its chord polyline so the ramp is kept.
    const double tol = std::max(gGetCurveDicTol(), 1e-4);
    const double r = std::max(arc.radius, 0.0);
    double step = r > tol ? 2.0 * CMath::ACos((r - tol) / r) : 2.0 * std::numbers::pi;
    step = std::max(step, 0.005);
    const int n = std::clamp(static_cast<int>(std::fabs(sweep) / step) + 1, 1, 100000);
    std::vector<std::array<double, 3>> pts(static_cast<size_t>(n) + 1);
    for (int i = 0; i <= n; ++i) arc.PointAt(static_cast<double>(i) / n, pts[i].data());
    auto* pl = new CGePolyline3d;
    pl->Create(n + 1, reinterpret_cast<const double(*)[3]>(pts.data()));
    return Finish(pl);
  }
  // The kernel arc turns positively about its normal: a clockwise arc flips the normal.
  const double cs = std::cos(arc.startAngle), sn = std::sin(arc.startAngle);
  double x[3], y[3], z[3];
  for (int k = 0; k < 3; ++k) {
    x[k] = cs * u[k] + sn * v[k];
    y[k] = (sweep >= 0.0 ? 1.0 : -1.0) * (-sn * u[k] + cs * v[k]);
  }
  Cross(x, y, z);
  auto* a = new CGeArc3d;
  a->m_dRadius = arc.radius;
  a->m_dSweep = std::fabs(sweep);
  Copy3(a->m_frame.xAxis, x);
  Copy3(a->m_frame.yAxis, y);
  Copy3(a->m_frame.zAxis, z);
  Copy3(a->m_frame.origin, arc.centre);
  return Finish(a);
}

}  // namespace

CGeCurve3d* acPathEntityToCurve3d(const CPathEntity* e) {
  if (!e) return nullptr;
  switch (e->GetType()) {
    case kPathLine: {
      auto* l = static_cast<const CPathLine3D*>(e);
      return Finish(new CGeLine3d(l->start, l->end));
    }
    case kPathArc:
      return ArcToCurve(*static_cast<const CPathArc3D*>(e));
    case kPathPLine: {
      auto* p = static_cast<const CPathPLine3D*>(e);
      if (p->count <= 0) return nullptr;
      auto* pl = new CGePolyline3d;
      pl->Create(p->count + 1, p->points);
      return Finish(pl);
    }
    default:
      return nullptr;
  }
}
