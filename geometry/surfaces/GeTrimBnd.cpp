#include "geometry/surfaces/GeTrimBnd.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

#include "geometry/shapes2d/GeLine.h"
#include "geometry/shapes2d/GePolyline.h"
#include "geometry/shapes3d/GeNrbCrv3d.h"
#include "geometry/shapes3d/GePolyline3d.h"
#include "geometry/surfaces/GeTrimSurf.h"
#include "geometry/tools/GeTool3D.h"
#include "platform/numora/Numora.h"

IMPLEMENT_SERIAL(CGeTrimBnd, CObject, GE_SCHEMA_3D)

namespace {
constexpr int kTypeLine2d = 0x1;
constexpr int kTypePolyline2d = 0x20;
constexpr int kTypePolyline3d = 0x1000;
constexpr int kTypeNurbs3d = 0x2000;
}  // namespace

CGeTrimBnd::CGeTrimBnd() : m_pParaCrv(nullptr), m_pEucCrv(nullptr), m_pOwner(nullptr) {}

CGeTrimBnd::CGeTrimBnd(CGeCurve* paraCurve, CGeCurve3d* spaceCurve, CGeTrimLoop* owner)
    : m_pParaCrv(paraCurve), m_pEucCrv(spaceCurve), m_pOwner(owner) {}

CGeTrimBnd::~CGeTrimBnd() {
  delete m_pParaCrv;
  delete m_pEucCrv;
}

void CGeTrimBnd::Serialize(CArchive&) {}

int CGeTrimBnd::GetType() const { return 0x200000; }

CGeTrimBnd* CGeTrimBnd::Copy() {
  return new CGeTrimBnd(m_pParaCrv ? m_pParaCrv->Copy() : nullptr,
                        m_pEucCrv ? static_cast<CGeCurve3d*>(m_pEucCrv->Copy()) : nullptr,
                        m_pOwner);
}

void CGeTrimBnd::CalcBox() {
  if (!m_pEucCrv) return;
  m_pEucCrv->CalcBox();
  m_pEucCrv->GetBox(&m_box);
}

// The parameter curve never moves: only the space image follows the surface.
void CGeTrimBnd::Translate(const double v[2]) {
  if (m_pEucCrv) m_pEucCrv->Translate(v);
  CalcBox();
}
void CGeTrimBnd::Translate3D(const double v[3]) {
  if (m_pEucCrv) m_pEucCrv->Translate3D(v);
  CalcBox();
}
void CGeTrimBnd::Rotate(const double c[2], double angle) {
  if (m_pEucCrv) m_pEucCrv->Rotate(c, angle);
  CalcBox();
}
void CGeTrimBnd::Rotate3D(const double p[3], const double axis[3], double angle) {
  if (m_pEucCrv) m_pEucCrv->Rotate3D(p, axis, angle);
  CalcBox();
}
void CGeTrimBnd::Mirror(const double p[2], const double q[2]) {
  if (m_pEucCrv) m_pEucCrv->Mirror(p, q);
  CalcBox();
}
void CGeTrimBnd::Mirror3D(const double p[3], const double q[3]) {
  if (m_pEucCrv) m_pEucCrv->Mirror3D(p, q);
  CalcBox();
}
void CGeTrimBnd::Transform(const _rect_fm3d* frame) {
  if (m_pEucCrv) m_pEucCrv->Transform(frame);
  CalcBox();
}
void CGeTrimBnd::Transform(const double m[4][4]) {
  if (m_pEucCrv) m_pEucCrv->Transform(m);
  CalcBox();
}
void CGeTrimBnd::TransformLocal(const _rect_fm3d* frame) {
  if (m_pEucCrv) m_pEucCrv->TransformLocal(frame);
  CalcBox();
}

namespace {
// Shift and the scales may hand back a curve of another class; that one replaces the old.
void Replace(CGeCurve3d*& curve, CGeShape3d* result) {
  if (result && result != curve) {
    delete curve;
    curve = static_cast<CGeCurve3d*>(result);
  }
}
}  // namespace

CGeShape3d* CGeTrimBnd::Shift(const double p[2], const double q[2]) {
  if (m_pEucCrv) Replace(m_pEucCrv, m_pEucCrv->Shift(p, q));
  CalcBox();
  return this;
}
CGeShape3d* CGeTrimBnd::Scale(const double base[2], const double f[2]) {
  if (m_pEucCrv) Replace(m_pEucCrv, m_pEucCrv->Scale(base, f));
  CalcBox();
  return this;
}
CGeShape3d* CGeTrimBnd::Scale3D(const double base[3], const double f[3]) {
  if (m_pEucCrv) Replace(m_pEucCrv, m_pEucCrv->Scale3D(base, f));
  CalcBox();
  return this;
}

int CGeTrimBnd::GetStartPoint(double* xyz, double* uv) {
  uv[0] = uv[1] = -1.0;
  if (m_pEucCrv) m_pEucCrv->GetStartPoint(xyz);
  if (m_pParaCrv) m_pParaCrv->GetStartPoint(uv);
  return (m_pParaCrv || m_pEucCrv) ? 1 : 0;
}

int CGeTrimBnd::GetEndPoint(double* xyz, double* uv) {
  if (m_pEucCrv) m_pEucCrv->GetEndPoint(xyz);
  if (m_pParaCrv) m_pParaCrv->GetEndPoint(uv);
  return (m_pParaCrv || m_pEucCrv) ? 1 : 0;
}

void CGeTrimBnd::Discrete(double tol) {
  if (m_pEucCrv) m_pEucCrv->DiscreteMe(tol);
}

void CGeTrimBnd::Draw(CDC* pDC) {
  if (m_pEucCrv) m_pEucCrv->Draw(pDC, 0);
}

int CGeTrimBnd::DrawGL(COpenGLDC* pDC, int nMode) {
  if (!m_pEucCrv) return 0;
  m_pEucCrv->DrawGL(pDC, nMode);
  return 1;
}

int CGeTrimBnd::Pick(CPickRay& ray, int filter) {
  return m_pEucCrv && m_pEucCrv->Pick(ray, filter) ? 1 : 0;
}

void CGeTrimBnd::Reverse() {
  if (m_pParaCrv) m_pParaCrv->Reverse();
  if (m_pEucCrv) m_pEucCrv->Reverse();
}

int CGeTrimBnd::GetParaPoint(double t, double uv[2]) {
  if (!m_pParaCrv) return 0;
  if (m_pParaCrv->GetType() == kTypePolyline2d) {
    auto* pl = static_cast<CGePolyline*>(m_pParaCrv);
    const int n = pl->GetCount() - 1;
    if (n < 0) return 0;
    const int k = n > 0 ? static_cast<int>(t * n) : 0;
    if (k >= 0 && k < n) {
      double a[2], b[2];
      pl->GetPoint(k, a);
      pl->GetPoint(k + 1, b);
      const double f = t * n - k;
      uv[0] = a[0] + f * (b[0] - a[0]);
      uv[1] = a[1] + f * (b[1] - a[1]);
    } else {
      pl->GetPoint(std::max(n, 0), uv);
    }
  } else {
    // Curves of several segments read t within their first one.
    m_pParaCrv->GetStartPoint(uv);
    m_pParaCrv->GetPointAt(t, uv, 1);
  }
  return 1;
}

int CGeTrimBnd::GetPoint(double t, CGeTrimSurf* surface, double* record) {
  if (!m_pParaCrv || !surface) return 0;
  double uv[2];
  GetParaPoint(t, uv);
  record[0] = record[1] = record[2] = 0.0;
  surface->GetPoint(uv[0], uv[1], record);
  record[3] = uv[0];
  record[4] = uv[1];
  return 1;
}

int CGeTrimBnd::DiscreteBound(CGeTrimSurf* surface, double tol, double (*records)[5], int& count,
                              int maximum) {
  if (!m_pParaCrv || !surface || maximum < 2) return 0;
  double step = 0.01;
  m_pParaCrv->GetDiscStep(0.01, step);
  const int n = std::max(1, static_cast<int>(std::ceil(1.0 / std::max(step, 1e-6))));
  count = 0;
  GetPoint(0.0, surface, records[count++]);
  double p0[5], p1[5], m[5];
  for (int c = 1; c <= n && count < maximum - 1; ++c) {
    double t0 = static_cast<double>(c - 1) / n;
    const double e = static_cast<double>(c) / n;
    double t1 = e;
    GetPoint(t0, surface, p0);
    GetPoint(t1, surface, p1);
    int j = 1;
    while (std::fabs(t1 - t0) >= 1e-5) {
      bool far = false;
      double tm = t1;
      for (int i = 1; i <= 3 && !far; ++i) {
        tm = t0 + (t1 - t0) * i / 4.0;
        GetPoint(tm, surface, m);
        far = L3D_DistToPntEx(p0, p1, m) > tol;
      }
      if (far && j != 200) {
        std::copy(m, m + 5, p1);
        t1 = tm;
        ++j;
        continue;
      }
      j = 0;
      if (e - t1 < 1e-6) break;
      std::copy(p1, p1 + 5, records[count++]);
      if (count >= maximum - 1) break;
      std::copy(p1, p1 + 5, p0);
      t0 = t1;
      t1 = e;
      GetPoint(t1, surface, p1);
      ++j;
    }
    if (c < n && count < maximum - 1) GetPoint(e, surface, records[count++]);
  }
  GetPoint(1.0, surface, records[count++]);
  return count;
}

CGeCurve3d* CGeTrimBnd::GetNurbEucCrv() {
  if (!m_pEucCrv) return nullptr;
  if (m_pEucCrv->GetType() != kTypePolyline3d) return m_pEucCrv;
  auto* pl = static_cast<CGePolyline3d*>(m_pEucCrv);
  BCRV* crv = CGeTool3D::GlobalInterp(pl->m_pVertex, pl->m_nCount, 2, 0.1, 2.4434609527916);
  if (!crv) return m_pEucCrv;
  auto* nrb = new CGeNrbCrv3d();
  nrb->SetCurve(crv);
  nrb->m_strDisc.Create(pl->m_nCount, false, false);
  for (int i = 0; i < pl->m_nCount; ++i)
    std::copy(pl->m_pVertex[i], pl->m_pVertex[i] + 3, nrb->m_strDisc.m_pPoints[i]);
  nrb->m_strDisc.CalcBox();
  pl->GetBox(&nrb->m_box);
  delete m_pEucCrv;
  m_pEucCrv = nrb;
  return m_pEucCrv;
}

CGeCurve3d* CGeTrimBnd::MakeIsoEucCrv(const _nurbs_surface* surface) const {
  if (!surface || !m_pParaCrv || m_pParaCrv->GetType() != kTypeLine2d) return nullptr;
  double a[2], b[2];
  m_pParaCrv->GetStartPoint(a);
  m_pParaCrv->GetEndPoint(b);
  int code, axis;
  if (std::fabs(a[0] - b[0]) < 0.0001) {
    code = 1301;
    axis = 1;
  } else if (std::fabs(a[1] - b[1]) < 0.0001) {
    code = 1302;
    axis = 0;
  } else {
    return nullptr;
  }
  BCRV* iso = CNurbsEditor::MakeIsoCurve(surface, code, axis == 1 ? a[0] : a[1]);
  if (!iso) return nullptr;
  BCRV* piece = BCRV_Trim(iso, std::min(a[axis], b[axis]), std::max(a[axis], b[axis]), 0.1);
  BCRV_Free(iso);
  if (!piece) return nullptr;
  if (b[axis] < a[axis]) piece->Reverse();
  return new CGeNrbCrv3d(piece);
}

void CGeTrimBnd::UpdateEucCrv(_nurbs_surface* surface, double tol) {
  delete m_pEucCrv;
  m_pEucCrv = nullptr;
  if (!m_pParaCrv || !surface || m_pParaCrv->m_nSWPoint < 2) return;
  if ((m_pEucCrv = MakeIsoEucCrv(surface))) return;
  struct Sample {
    double u, v, p[3];
  };
  auto eval = [surface](double u, double v) {
    Sample s{u, v, {0, 0, 0}};
    BSRF_EvPos(surface, u, v, s.p);
    return s;
  };
  const double(*pts)[2] = m_pParaCrv->m_pSWPoint;
  const int n = m_pParaCrv->m_nSWPoint;
  std::vector<Sample> samples;
  samples.push_back(eval(pts[0][0], pts[0][1]));
  for (int i = 1; i < n; ++i) {
    const double du = pts[i][0] - pts[i - 1][0], dv = pts[i][1] - pts[i - 1][1];
    const int m = std::min(100, static_cast<int>(std::ceil(std::hypot(du, dv) / 0.1)));
    for (int k = 1; k < m; ++k)
      samples.push_back(eval(pts[i - 1][0] + du * k / m, pts[i - 1][1] + dv * k / m));
    samples.push_back(eval(pts[i][0], pts[i][1]));
  }
  // Midpoint refinement; the depth bound keeps a surface that folds onto itself from looping.
  std::vector<Sample> out{samples.front()};
  for (size_t i = 1; i < samples.size(); ++i) {
    std::vector<Sample> stack{samples[i]};
    while (!stack.empty()) {
      const Sample& a = out.back();
      const Sample b = stack.back();
      const Sample mid = eval((a.u + b.u) / 2, (a.v + b.v) / 2);
      if (stack.size() < 64 && L3D_DistToPntEx(a.p, b.p, mid.p) > tol) {
        stack.push_back(mid);
      } else {
        out.push_back(b);
        stack.pop_back();
      }
    }
  }
  auto xyz = std::make_unique<double[][3]>(out.size());
  for (size_t i = 0; i < out.size(); ++i) std::copy(out[i].p, out[i].p + 3, xyz[i]);
  auto* pl = new CGePolyline3d();
  pl->Create(static_cast<int>(out.size()), xyz.get());
  pl->DiscreteMe(tol);
  pl->CalcBox();
  m_pEucCrv = pl;
}

const double (*CGeTrimBnd::ParaPoints(double tol, int& n))[2] {
  n = 0;
  if (!m_pParaCrv) return nullptr;
  if (m_pParaCrv->m_nSWPoint <= 0) m_pParaCrv->Discrete(tol);
  n = m_pParaCrv->m_nSWPoint;
  return m_pParaCrv->m_pSWPoint;
}
