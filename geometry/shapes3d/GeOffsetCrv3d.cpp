#include "geometry/shapes3d/GeOffsetCrv3d.h"

#include <cmath>
#include <memory>
#include <vector>

#include "geometry/shapes3d/Curve3dLoad.h"
#include "geometry/shapes3d/CurveSampling3d.h"

IMPLEMENT_SERIAL(CGeOffsetCrv3d, CObject, GE_SCHEMA_3D)

CGeOffsetCrv3d::CGeOffsetCrv3d() : m_pBase(nullptr), m_dDist(0.0), m_vDir{0.0, 0.0, 1.0} {}

CGeOffsetCrv3d::CGeOffsetCrv3d(CGeCurve3d* base, double dist, const double dir[3])
    : m_pBase(base), m_dDist(dist), m_vDir{dir[0], dir[1], dir[2]} {}

CGeOffsetCrv3d::~CGeOffsetCrv3d() {
  delete m_pBase;
  m_pBase = nullptr;
}

int CGeOffsetCrv3d::GetType() const { return GE_TYPE_OFFSETCRV3D; }

void CGeOffsetCrv3d::Serialize(CArchive& ar) {
  CGeCurve3d::Serialize(ar);
  if (ar.IsStoring()) {
    CObList list;
    if (m_pBase) list.AddTail(m_pBase);
    list.Serialize(ar);
    ar << m_dDist << m_vDir[0] << m_vDir[1] << m_vDir[2];
    return;
  }
  // Only this class writes the list, with one base at most.
  const DWORD_PTR n = ar.ReadCount();
  if (n > 1) AfxThrowArchiveException(CArchiveException::badIndex);
  // Nothing changes until the whole record has been read and found sound.
  std::unique_ptr<CGeCurve3d> base;
  if (n == 1) base.reset(geReadOwnedCurve3d(ar));
  double v[4];
  ar >> v[0] >> v[1] >> v[2] >> v[3];
  ar.CheckFinite(v, 4);
  if (n == 1) {
    delete m_pBase;
    m_pBase = base.release();
  }
  m_dDist = v[0];
  for (int k = 0; k < 3; ++k) m_vDir[k] = v[1 + k];
}

CGeOffsetCrv3d* CGeOffsetCrv3d::Copy() {
  if (!m_pBase) return nullptr;
  CGeCurve3d* base = m_pBase->Copy();
  if (!base) return nullptr;
  auto* copy = new CGeOffsetCrv3d(base, m_dDist, m_vDir);
  m_strDisc.CopyTo(copy->m_strDisc);
  copy->m_nTag = m_nTag;
  copy->m_box = m_box;
  copy->m_nExtData = m_nExtData;
  return copy;
}

// ---- evaluation ----

void CGeOffsetCrv3d::OffsetPoint(double p[3], const double tangent[3]) const {
  double n[3];
  V3D_VProduct(m_vDir, tangent, n);
  if (!V3D_Unit(n, 1e-12)) return;
  for (int i = 0; i < 3; ++i) p[i] += m_dDist * n[i];
}

int CGeOffsetCrv3d::GetSnapPos(CSnapAt*, CSnapResult&) { return 0; }

int CGeOffsetCrv3d::IsPlanar(double tol, double point[3], double vector[3]) {
  return m_pBase ? m_pBase->IsPlanar(tol, point, vector) : 0;
}

int CGeOffsetCrv3d::GetSegmentCount() { return m_pBase ? m_pBase->GetSegmentCount() : 1; }

void CGeOffsetCrv3d::GetStartPoint(double p[3]) {
  if (!m_pBase) return;
  double v[3] = {0.0, 0.0, 0.0};
  m_pBase->GetStartPoint(p);
  m_pBase->GetStartTanVec(v);
  OffsetPoint(p, v);
}

void CGeOffsetCrv3d::GetEndPoint(double p[3]) {
  if (!m_pBase) return;
  double v[3] = {0.0, 0.0, 0.0};
  m_pBase->GetEndPoint(p);
  m_pBase->GetEndTanVec(v);
  OffsetPoint(p, v);
}

void CGeOffsetCrv3d::GetPointAt(double t, double p[3], int seg) {
  if (!m_pBase) return;
  double v[3] = {0.0, 0.0, 0.0};
  m_pBase->GetTanVecAt(t, p, v, seg);
  OffsetPoint(p, v);
}

void CGeOffsetCrv3d::GetStartTanVec(double v[3]) {
  double p[3];
  if (m_pBase) m_pBase->GetTanVecAt(0.0, p, v, 1);
}

void CGeOffsetCrv3d::GetEndTanVec(double v[3]) {
  double p[3];
  if (m_pBase) m_pBase->GetTanVecAt(1.0, p, v, 1);
}

void CGeOffsetCrv3d::GetTanVecAt(double t, double p[3], double v[3], int seg) {
  if (!m_pBase) return;
  m_pBase->GetTanVecAt(t, p, v, seg);
  OffsetPoint(p, v);
}

void CGeOffsetCrv3d::Ev2Der(double t, double p[3], double d1[3], double d2[3], unsigned seg) {
  if (!m_pBase) return;
  m_pBase->Ev2Der(t, p, d1, d2, seg);
  double r[3], w[3];
  V3D_VProduct(m_vDir, d1, r);
  const double len = V3D_Length(r);
  if (len < 1e-6) return;
  const double n[3] = {r[0] / len, r[1] / len, r[2] / len};
  // d/dt of unit(r) is (r' - (n.r') n) / |r| with r' = direction x D2.
  V3D_VProduct(m_vDir, d2, w);
  const double nw = V3D_Dot(n, w);
  for (int i = 0; i < 3; ++i) {
    p[i] += m_dDist * n[i];
    d1[i] += m_dDist / len * (w[i] - nw * n[i]);
  }
}

void CGeOffsetCrv3d::Reverse() {
  if (!m_pBase) return;
  m_pBase->Reverse();
  m_dDist = -m_dDist;  // the tangent turned round: stay on the same side
  CGeCurve3d::Reverse();
}

int CGeOffsetCrv3d::EvParam(double, double&, unsigned&) { return 0; }

void CGeOffsetCrv3d::Split(double, CGeCurve3d* pieces[2], int) {
  if (!pieces) return;
  pieces[0] = pieces[1] = nullptr;
}

void CGeOffsetCrv3d::Discrete(double tol, CStrP3D& str) {
  if (!m_pBase) return;
  m_pBase->Discrete(tol, str);
  std::vector<CurveSample3d> samples;
  // Curves that keep no parameters with their points (polylines, composites) give no
  // positions to offset.
  if (str.m_pParams) {
    for (int i = 0; i < str.m_nCount; ++i) {
      CurveSample3d s{{0.0, 0.0, 0.0}, str.m_pParams[i]};
      GetPointAt(s.t, s.p, 1);
      samples.push_back(s);
    }
    RefineCurveSamples(
        samples, [this](double t, double p[3]) { GetPointAt(t, p, 1); }, gGetCurveDicTol(),
        gGetCurveDicAng());
  }
  SamplesToString(samples, str);
}

// ---- transforms ----

template <class F>
void CGeOffsetCrv3d::MapFrame(F f) {
  double o[3] = {0.0, 0.0, 0.0};
  double e[3][3] = {{1.0, 0.0, 0.0}, {0.0, 1.0, 0.0}, {0.0, 0.0, 1.0}};
  double d[3] = {m_vDir[0], m_vDir[1], m_vDir[2]};
  f(o);
  f(d);
  for (auto& v : e) {
    f(v);
    for (int i = 0; i < 3; ++i) v[i] -= o[i];
  }
  for (int i = 0; i < 3; ++i) m_vDir[i] = d[i] - o[i];
  double c[3];
  V3D_VProduct(e[1], e[2], c);
  if (V3D_Dot(e[0], c) < 0.0) m_dDist = -m_dDist;
}

void CGeOffsetCrv3d::AdoptResult(CGeShape3d* result) {
  if (!result || result == m_pBase) return;
  auto* curve = dynamic_cast<CGeCurve3d*>(result);
  if (!curve) {
    delete result;
    return;
  }
  delete m_pBase;
  m_pBase = curve;
}

void CGeOffsetCrv3d::Translate(const double v[2]) {
  if (!m_pBase) return;
  const double d[3] = {v[0], v[1], 0.0};
  m_pBase->Translate3D(d);
  CGeCurve3d::Translate(v);
}

void CGeOffsetCrv3d::Translate3D(const double v[3]) {
  if (!m_pBase) return;
  m_pBase->Translate3D(v);
  CGeCurve3d::Translate3D(v);
}

void CGeOffsetCrv3d::Rotate(const double c[2], double angle) {
  const double p[3] = {c[0], c[1], 0.0}, axis[3] = {0.0, 0.0, 1.0};
  Rotate3D(p, axis, angle);
}

void CGeOffsetCrv3d::Rotate3D(const double p[3], const double axis[3], double angle) {
  if (!m_pBase) return;
  m_pBase->Rotate3D(p, axis, angle);
  MapFrame([&](double pt[3]) { P3D_RotatePnt(axis, p, angle, pt, pt); });
  CGeCurve3d::Rotate3D(p, axis, angle);
}

void CGeOffsetCrv3d::Mirror(const double p[2], const double q[2]) {
  if (!m_pBase) return;
  m_pBase->Mirror(p, q);
  MapFrame([&](double pt[3]) { P2D_Mirr(p, q, pt, pt); });
  CGeCurve3d::Mirror(p, q);
}

CGeShape3d* CGeOffsetCrv3d::Shift(const double p[2], const double q[2]) {
  if (!m_pBase) return nullptr;
  AdoptResult(m_pBase->Shift(p, q));
  CGeCurve3d::Shift(p, q);
  return this;
}

CGeShape3d* CGeOffsetCrv3d::Scale(const double base[2], const double f[2]) {
  if (!m_pBase) return nullptr;
  AdoptResult(m_pBase->Scale(base, f));
  CGeCurve3d::Scale(base, f);
  return this;
}

CGeShape3d* CGeOffsetCrv3d::Scale3D(const double base[3], const double f[3]) {
  if (!m_pBase) return nullptr;
  AdoptResult(m_pBase->Scale3D(base, f));
  CGeCurve3d::Scale3D(base, f);
  return this;
}

void CGeOffsetCrv3d::Mirror3D(const double p[3], const double q[3]) {
  if (!m_pBase) return;
  m_pBase->Mirror3D(p, q);
  MapFrame([&](double pt[3]) { P3D_Mirror(p, q, pt, pt); });
  CGeCurve3d::Mirror3D(p, q);
}

void CGeOffsetCrv3d::Transform(const double m[4][4]) {
  if (!m_pBase) return;
  m_pBase->Transform(m);
  MapFrame([&](double pt[3]) { MAT44_MultPt(m, pt, pt); });
  CGeCurve3d::Transform(m);
}

void CGeOffsetCrv3d::Transform(const _rect_fm3d* frame) {
  if (!m_pBase || !frame) return;
  m_pBase->Transform(frame);
  MapFrame([&](double pt[3]) { RF_TransWorldP3D(frame, pt, pt); });
  CGeCurve3d::Transform(frame);
}

void CGeOffsetCrv3d::TransformLocal(const _rect_fm3d* frame) {
  if (!m_pBase || !frame) return;
  m_pBase->TransformLocal(frame);
  MapFrame([&](double pt[3]) { RF_TransLocalP3D(frame, pt, pt); });
  CGeCurve3d::TransformLocal(frame);
}
