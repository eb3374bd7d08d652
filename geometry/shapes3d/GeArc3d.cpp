#include "geometry/shapes3d/GeArc3d.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "geometry/shapes3d/GeNrbCrv3d.h"
#include "geometry/shapes3d/Snap3d.h"
#include "geometry/tools/ConvertEditor.h"

IMPLEMENT_SERIAL(CGeArc3d, CObject, GE_SCHEMA_3D)

namespace {
// Upper bound of the chords of one arc: a radius or sweep from a damaged file must not exhaust
// memory. The same bound as the planar arc's, where finer chords no longer add accuracy.
constexpr double kMaxArcChords = 16384.0;

void Sub(const double a[3], const double b[3], double out[3]) {
  for (int k = 0; k < 3; ++k) out[k] = a[k] - b[k];
}

void Copy3(const double a[3], double out[3]) {
  for (int k = 0; k < 3; ++k) out[k] = a[k];
}

// Chord count for a chord tolerance; finite and within bounds whatever the inputs.
double ChordCount(double sweep, double halfAngle) {
  const double n = std::fabs(sweep) / halfAngle;
  if (!(n >= 0.0)) return 0.0;  // NaN
  return std::min(n, kMaxArcChords);
}

}  // namespace

CGeArc3d::CGeArc3d() : m_dRadius(0.0), m_dSweep(0.0) { RF_Init(&m_frame); }

CGeArc3d::~CGeArc3d() = default;

void CGeArc3d::Serialize(CArchive& ar) {
  CGeCurve3d::Serialize(ar);
  if (ar.IsStoring()) {
    const _rect_fm3d& f = m_frame;
    ar << m_dRadius << m_dSweep << f.origin[0] << f.origin[1] << f.origin[2] << f.xAxis[0]
       << f.xAxis[1] << f.xAxis[2] << f.yAxis[0] << f.yAxis[1] << f.yAxis[2] << f.zAxis[0]
       << f.zAxis[1] << f.zAxis[2] << f.spare;
  } else {
    // Any finite sweep is kept; the chord bound keeps the cache small whatever its size.
    double radius = 0.0, sweep = 0.0;
    _rect_fm3d f = m_frame;
    ar >> radius >> sweep >> f.origin[0] >> f.origin[1] >> f.origin[2] >> f.xAxis[0] >>
        f.xAxis[1] >> f.xAxis[2] >> f.yAxis[0] >> f.yAxis[1] >> f.yAxis[2] >> f.zAxis[0] >>
        f.zAxis[1] >> f.zAxis[2] >> f.spare;
    ar.CheckFinite(radius, sweep, f.spare);
    ar.CheckFinite(f.origin, 3);
    ar.CheckFinite(f.xAxis, 3);
    ar.CheckFinite(f.yAxis, 3);
    ar.CheckFinite(f.zAxis, 3);
    m_dRadius = radius;
    m_dSweep = sweep;
    m_frame = f;
    Discrete(gGetCurveDicTol(), m_strDisc);
  }
}

int CGeArc3d::GetType() const { return GE_TYPE_ARC3D; }

CGeArc3d* CGeArc3d::Copy() {
  auto* copy = new CGeArc3d;
  copy->m_nTag = m_nTag;
  copy->m_dRadius = m_dRadius;
  copy->m_dSweep = m_dSweep;
  copy->m_frame = m_frame;
  m_strDisc.CopyTo(copy->m_strDisc);
  copy->m_box = m_box;
  copy->m_nExtData = m_nExtData;
  return copy;
}

// ---- transforms: the frame, then the cache ----

void CGeArc3d::Translate(const double v[2]) {
  if (!v) return;
  m_frame.origin[0] += v[0];
  m_frame.origin[1] += v[1];
  CGeCurve3d::Translate(v);
}

void CGeArc3d::Translate3D(const double v[3]) {
  if (!v) return;
  for (int k = 0; k < 3; ++k) m_frame.origin[k] += v[k];
  CGeCurve3d::Translate3D(v);
}

void CGeArc3d::Rotate(const double centre[2], double angle) {
  if (!centre) return;
  const double point[3] = {centre[0], centre[1], 0.0}, axis[3] = {0.0, 0.0, 1.0};
  RF_RotateRFrame(&m_frame, point, axis, angle);
  CGeCurve3d::Rotate(centre, angle);
}

void CGeArc3d::Rotate3D(const double point[3], const double axis[3], double angle) {
  if (!point || !axis) return;
  RF_RotateRFrame(&m_frame, point, axis, angle);
  CGeCurve3d::Rotate3D(point, axis, angle);
}

void CGeArc3d::Mirror(const double p[2], const double q[2]) {
  if (!p || !q) return;
  const double point[3] = {p[0], p[1], 0.0};
  double normal[3] = {-q[1], q[0], 0.0};  // (0, 0, 1) × q: the vertical mirror plane's normal
  if (!V3D_Unit(normal, 1e-12)) return;
  RF_MirrorRFrame(&m_frame, point, normal);
  CGeCurve3d::Mirror(p, q);
}

// A sheared or unequally scaled arc is no arc: the answer is a new NURBS curve of the mapped
// arc (null when the arc has no NURBS form), and the arc itself stays as it is.
template <typename Map>
static CGeShape3d* MappedNurbs(CGeArc3d* arc, Map map) {
  BCRV* crv = CConvertEditor::ToNurbsCurve(arc);
  if (!crv) return nullptr;
  map(*crv);
  return new CGeNrbCrv3d(crv);
}

CGeShape3d* CGeArc3d::Shift(const double p[2], const double q[2]) {
  if (!p || !q) return nullptr;
  const double p3[3] = {p[0], p[1], 0.0}, q3[3] = {q[0], q[1], 0.0};
  return MappedNurbs(this, [&](BCRV& c) { c.Shift(p3, q3); });
}

CGeShape3d* CGeArc3d::Scale(const double base[2], const double f[2]) {
  if (!base || !f) return nullptr;
  const double b3[3] = {base[0], base[1], 0.0}, f3[3] = {f[0], f[1], 1.0};
  return MappedNurbs(this, [&](BCRV& c) { c.Scale(b3, f3); });
}

CGeShape3d* CGeArc3d::Scale3D(const double base[3], const double f[3]) {
  if (!base || !f) return nullptr;
  return MappedNurbs(this, [&](BCRV& c) { c.Scale(base, f); });
}

void CGeArc3d::Mirror3D(const double p[3], const double q[3]) {
  if (!p || !q) return;
  RF_MirrorRFrame(&m_frame, p, q);
  CGeCurve3d::Mirror3D(p, q);
}

void CGeArc3d::Transform(const _rect_fm3d* frame) {
  if (!frame) return;
  RF_EvRFrame(frame, &m_frame, &m_frame);
  CGeCurve3d::Transform(frame);
}

void CGeArc3d::Transform(const double m[4][4]) {
  if (!m) return;
  double rows[4][4];
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 4; ++j) rows[i][j] = m[j][i];
  _rect_fm3d mf;
  RF_GetRFrameFromMatrix(rows, &mf);
  RF_MultRFrame(&mf, &m_frame, &m_frame);
  DiscreteMe(0.02);
}

void CGeArc3d::TransformLocal(const _rect_fm3d* frame) {
  if (!frame) return;
  // The frame goes the way RF_TransLocalP3D takes the cached points.
  RF_MultRFrame(frame, &m_frame, &m_frame);
  CGeCurve3d::TransformLocal(frame);
}

// ---- drawing, snapping ----

void CGeArc3d::DrawNode(CDC* pDC, int bFirst, int bLast) {
  CVurode* view = gGetVurode();
  if (!pDC || !view) return;
  double p[3];
  if (bFirst) {
    GetStartPoint(p);
    DrawNodeMarker(pDC, view, p, true);
  }
  if (bLast) {
    GetEndPoint(p);
    DrawNodeMarker(pDC, view, p, false);
  }
}

int CGeArc3d::GetSnapPos(CSnapAt* snap, CSnapResult& result) {
  CSnap3dRule rule;
  if (!rule.Init(snap)) return 0;
  _tagBox3D box;
  GetBox(&box);
  if (rule.BoxRejects(box)) return 0;
  const int before = result.GetSize();
  if (snap->m_nMask & SNAP_END) {
    double s[3], e[3];
    GetStartPoint(s);
    GetEndPoint(e);
    rule.PushEnds(s, e, result);
  }
  if (snap->m_nMask & SNAP_CENTER) {
    const double* c = m_frame.origin;
    if (rule.Counts(c) || (rule.Aligned(c) && snap->m_pVurode->IsPtInView(c, 2)))
      result.PushBackCen(SnapPos(c));
  }
  return result.GetSize() != before ? 1 : 0;
}

int CGeArc3d::GetNearestPoint3D(const double p[3], double out[3], double& t, unsigned& seg,
                                double& dist) {
  if (!p || !out) return 0;
  t = 0.0;
  seg = 1;
  double proj[3], v[3];
  P3D_PrjToPln(p, m_frame.origin, m_frame.zAxis, proj);
  if (V3D_GenUnit(m_frame.origin, proj, v, 1e-12)) {
    const double a = V3D_GetRotAngleXY(m_frame.xAxis, m_frame.yAxis, v);
    if (a < m_dSweep)
      t = a / m_dSweep;
    else if (a < m_dSweep / 2.0 + std::numbers::pi)
      t = 1.0;
  }
  GetPointAt(t, out, 1);
  dist = P3D_Dist(p, out);
  return 1;
}

// ---- evaluation ----

int CGeArc3d::IsPlanar(double, double point[3], double vector[3]) {
  if (!point || !vector) return GE_PLANAR_NONE;
  Copy3(m_frame.origin, point);
  Copy3(m_frame.zAxis, vector);
  return GE_PLANAR_PLANE;
}

void CGeArc3d::Discrete(double tol, CStrP3D& str) {
  const double r = m_dRadius;
  const double t = std::max(tol, 0.005);
  int n = 2;
  if (r > 0.0) n = std::max(2, static_cast<int>(ChordCount(m_dSweep, CMath::ACos((r - t) / r))));
  if (!str.Create(n + 1, true, false)) return;
  const double step = m_dSweep / n, c = std::cos(step), s = std::sin(step);
  double a = r, b = 0.0;
  for (int i = 0; i <= n; ++i) {
    if (i == n) {
      a = r * std::cos(m_dSweep);
      b = r * std::sin(m_dSweep);
    }
    for (int k = 0; k < 3; ++k)
      str.m_pPoints[i][k] = m_frame.origin[k] + a * m_frame.xAxis[k] + b * m_frame.yAxis[k];
    str.m_pParams[i] = static_cast<double>(i) / n;
    const double na = a * c - b * s;
    b = a * s + b * c;
    a = na;
  }
  str.CalcBox();
  CalcBox();
}

int CGeArc3d::GetDiscStep(double tol, double& step) {
  const double r = m_dRadius;
  if (tol > r) {
    step = 0.1;
    return 1;
  }
  const double n = std::floor(ChordCount(m_dSweep, 2.0 * CMath::ACos((r - tol) / r)));
  step = 1.0 / std::max(n + 1.0, 8.0);
  return 1;
}

void CGeArc3d::GetStartPoint(double p[3]) { GetPointAt(0.0, p, 1); }

void CGeArc3d::GetEndPoint(double p[3]) { GetPointAt(1.0, p, 1); }

void CGeArc3d::GetPointAt(double t, double p[3], int) {
  const double a = m_dSweep * t, c = m_dRadius * std::cos(a), s = m_dRadius * std::sin(a);
  for (int k = 0; k < 3; ++k) p[k] = m_frame.origin[k] + c * m_frame.xAxis[k] + s * m_frame.yAxis[k];
}

void CGeArc3d::GetStartTanVec(double v[3]) {
  double p[3];
  GetTanVecAt(0.0, p, v, 1);
}

void CGeArc3d::GetEndTanVec(double v[3]) {
  double p[3];
  GetTanVecAt(1.0, p, v, 1);
}

void CGeArc3d::GetTanVecAt(double t, double p[3], double v[3], int) {
  GetPointAt(t, p, 1);
  const double a = m_dSweep * t, c = m_dRadius * std::cos(a), s = m_dRadius * std::sin(a);
  for (int k = 0; k < 3; ++k) v[k] = c * m_frame.yAxis[k] - s * m_frame.xAxis[k];
}

void CGeArc3d::Ev2Der(double t, double p[3], double d1[3], double d2[3], unsigned) {
  GetPointAt(t, p, 1);
  const double a = m_dSweep * t, c = m_dRadius * std::cos(a), s = m_dRadius * std::sin(a);
  const double w = m_dSweep, w2 = m_dSweep * m_dSweep;
  for (int k = 0; k < 3; ++k) {
    d1[k] = w * (c * m_frame.yAxis[k] - s * m_frame.xAxis[k]);
    d2[k] = -w2 * (c * m_frame.xAxis[k] + s * m_frame.yAxis[k]);
  }
}

void CGeArc3d::Reverse() {
  V3D_Rotate(m_frame.xAxis, m_frame.zAxis, m_dSweep);
  for (int k = 0; k < 3; ++k) m_frame.zAxis[k] = -m_frame.zAxis[k];
  V3D_VProductUnit(m_frame.zAxis, m_frame.xAxis, m_frame.yAxis);
  Discrete(gGetCurveDicTol(), m_strDisc);
}

int CGeArc3d::IsClosed(double tol) { return std::fabs(m_dSweep - 2 * std::numbers::pi) < tol ? 1 : 0; }

int CGeArc3d::EvParam(double length, double& t, unsigned& seg) {
  seg = 0;
  const double total = EvTotalArcLength();
  if (!(total > 0.0)) {
    t = 0.0;
    return 0;
  }
  t = std::min(total, length) / total;
  return 1;
}

void CGeArc3d::Split(double t, CGeCurve3d** out, int) {
  if (!out || !(t >= 0.0 && t <= 1.0)) return;
  if (std::fabs(t) < 0.0001) {
    out[0] = nullptr;
    out[1] = Copy();
    return;
  }
  if (t > 0.9999) {
    out[0] = Copy();
    out[1] = nullptr;
    return;
  }
  // Each piece keeps the arc's circle and starts where its angle range starts; built from the
  // frame rather than through three points so that no piece near a full turn is lost.
  const double tol = gGetCurveDicTol();
  auto piece = [&](double t0, double t1) {
    auto* arc = new CGeArc3d;
    arc->m_dRadius = m_dRadius;
    arc->m_dSweep = m_dSweep * (t1 - t0);
    arc->m_frame = m_frame;
    V3D_Rotate(arc->m_frame.xAxis, m_frame.zAxis, m_dSweep * t0);
    V3D_VProductUnit(arc->m_frame.zAxis, arc->m_frame.xAxis, arc->m_frame.yAxis);
    arc->DiscreteMe(tol);
    return arc;
  };
  out[0] = piece(0.0, t);
  out[1] = piece(t, 1.0);
}

// ---- creation ----

int CGeArc3d::Create3Pnt(const double p1[3], const double p2[3], const double p3[3]) {
  if (!p1 || !p2 || !p3 || P3D_Dist(p1, p3) < 1e-6) return 0;
  double a[3], b[3];
  Sub(p1, p2, a);
  Sub(p3, p2, b);
  if (!V3D_Unit(a, 1e-6) || !V3D_Unit(b, 1e-6)) return 0;
  double z[3], x[3], y[3];
  if (!V3D_VProductUnit(b, a, z) || !V3D_GetXYFromZ(z, x, y)) return 0;
  _rect_fm3d plane;
  RF_Init(&plane);
  Copy3(x, plane.xAxis);
  Copy3(y, plane.yAxis);
  Copy3(z, plane.zAxis);
  Copy3(p1, plane.origin);
  double l1[3], l2[3], l3[3];
  RF_TransWorldP3D(&plane, p1, l1);
  RF_TransWorldP3D(&plane, p2, l2);
  RF_TransWorldP3D(&plane, p3, l3);
  double c2[2];
  if (!C2D_GetCenter(l1, l2, l3, c2)) return 0;
  const double local[3] = {c2[0], c2[1], l1[2]};
  double origin[3];
  RF_TransLocalP3D(&plane, local, origin);
  const double angle = V3D_GetAngle(a, b, 1e-12);
  if (angle < 0.001 || angle > 3.1405926535897932) return 0;
  m_dSweep = 2 * std::numbers::pi - 2.0 * angle;
  m_dRadius = P3D_Dist(origin, p1);
  Copy3(origin, m_frame.origin);
  Copy3(z, m_frame.zAxis);
  if (!V3D_GenUnit(origin, p1, m_frame.xAxis, 1e-12)) return 0;
  V3D_VProductUnit(m_frame.zAxis, m_frame.xAxis, m_frame.yAxis);
  return std::fabs(m_dSweep) >= 0.001 ? 1 : 0;
}

int CGeArc3d::CreateCSE(const double centre[3], const double start[3], const double end[3],
                        int bMinor) {
  return CreateCSE(bMinor ? 0 : 1, centre, start, end);
}

int CGeArc3d::CreateCSE(int mode, const double centre[3], const double start[3],
                        const double end[3]) {
  if (!centre || !start || !end) return 0;
  double d[3];
  if (P3D_Dist(start, end) < 1e-6 || !V3D_GenUnit(start, end, d, 1e-300)) return 0;
  const double m[3] = {(start[0] + end[0]) / 2.0, (start[1] + end[1]) / 2.0,
                       (start[2] + end[2]) / 2.0};
  double c[3];
  P3D_PrjToPln(centre, m, d, c);
  const double r = P3D_Dist(start, c);
  if (r < 1e-6) return 0;
  const double half = CMath::ACos(P3D_Dist(m, c) / r);
  if (half < 0.001) return 0;
  m_dSweep = 2.0 * half;
  m_dRadius = r;
  Copy3(c, m_frame.origin);
  if (!V3D_GenUnit(c, start, m_frame.xAxis, 1e-12)) return 0;
  if (!V3D_VProductUnit(m_frame.xAxis, d, m_frame.zAxis)) return 0;
  if (mode == 1) {
    m_dSweep = 2 * std::numbers::pi - 2.0 * half;
    for (int k = 0; k < 3; ++k) m_frame.zAxis[k] = -m_frame.zAxis[k];
  }
  V3D_VProductUnit(m_frame.zAxis, m_frame.xAxis, m_frame.yAxis);
  return std::fabs(m_dSweep) >= 0.001 ? 1 : 0;
}

int CGeArc3d::CreateSETan(const double start[3], const double end[3], const double tangent[3]) {
  if (!start || !end || !tangent) return 0;
  double u[3], tan[3] = {tangent[0], tangent[1], tangent[2]}, z[3];
  if (!V3D_GenUnit(start, end, u, 1e-6) || !V3D_Unit(tan, 1e-12)) return 0;
  if (!V3D_VProductUnit(tan, u, z)) return 0;
  const double m[3] = {(start[0] + end[0]) / 2.0, (start[1] + end[1]) / 2.0,
                       (start[2] + end[2]) / 2.0};
  double bisector[3], normal[3];
  V3D_Rotate(u, z, std::numbers::pi / 2.0, bisector);
  V3D_Rotate(tan, z, -std::numbers::pi / 2.0, normal);
  double origin[3];
  if (Inter3_LineLine(m, bisector, start, normal, 1e-6, 0.001, origin) != 1) return 0;
  double x[3], e[3];
  if (!V3D_GenUnit(origin, start, x, 1e-12) || !V3D_GenUnit(origin, end, e, 1e-12)) return 0;
  Copy3(origin, m_frame.origin);
  Copy3(x, m_frame.xAxis);
  Copy3(z, m_frame.zAxis);
  V3D_VProductUnit(z, x, m_frame.yAxis);
  m_dRadius = P3D_Dist(origin, start);
  m_dSweep = V3D_GetAngle(x, e, 1e-12);
  double xe[3];
  V3D_VProduct(x, e, xe);
  if (V3D_GetAngle(z, xe, 1e-12) > std::numbers::pi / 2.0) m_dSweep = 2 * std::numbers::pi - m_dSweep;
  return std::fabs(m_dSweep) >= 0.001 ? 1 : 0;
}

namespace {

int MakeCircle(CGeArc3d& arc, const double centre[3], double radius, const double x[3],
               const double y[3], const double z[3]) {
  arc.m_dRadius = std::fabs(radius);
  arc.m_dSweep = 2 * std::numbers::pi;
  if (!centre || !(arc.m_dRadius >= 0.0001)) return 0;
  Copy3(centre, arc.m_frame.origin);
  Copy3(x, arc.m_frame.xAxis);
  Copy3(y, arc.m_frame.yAxis);
  Copy3(z, arc.m_frame.zAxis);
  return 1;
}

constexpr double kX[3] = {1.0, 0.0, 0.0}, kY[3] = {0.0, 1.0, 0.0}, kZ[3] = {0.0, 0.0, 1.0};
constexpr double kMinusY[3] = {0.0, -1.0, 0.0};

}  // namespace

int CGeArc3d::CreateCricleXY(const double centre[3], double radius) {
  return MakeCircle(*this, centre, radius, kX, kY, kZ);
}

int CGeArc3d::CreateCricleXZ(const double centre[3], double radius) {
  return MakeCircle(*this, centre, radius, kX, kZ, kMinusY);
}

int CGeArc3d::CreateCricleYZ(const double centre[3], double radius) {
  return MakeCircle(*this, centre, radius, kY, kZ, kX);
}

int CGeArc3d::GetParam(const double p[3], double& t) {
  t = 0.0;
  if (!p) return 0;
  double proj[3], v[3];
  P3D_PrjToPln(p, m_frame.origin, m_frame.zAxis, proj);
  if (!V3D_GenUnit(m_frame.origin, proj, v, 1e-12) || m_dSweep == 0.0) return 0;
  t = V3D_GetRotAngleXY(m_frame.xAxis, m_frame.yAxis, v) / m_dSweep;
  return 1;
}
