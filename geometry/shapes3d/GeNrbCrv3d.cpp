#include "geometry/shapes3d/GeNrbCrv3d.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <memory>
#include <vector>

#include "geometry/shapes2d/SnapAt.h"
#include "platform/afx/GdiObject.h"
#include "geometry/shapes3d/CurveSampling3d.h"
#include "geometry/shapes3d/Snap3d.h"

IMPLEMENT_SERIAL(CGeNrbCrv3d, CObject, GE_SCHEMA_3D)

namespace {

struct BcrvDeleter {
  void operator()(BCRV* c) const { BCRV_Free(c); }
};
using BcrvPtr = std::unique_ptr<BCRV, BcrvDeleter>;

// Scratch block of the memory pool, given back on every path.
class PoolBlock {
 public:
  explicit PoolBlock(size_t bytes) : m_p(gAlcMemPool(bytes)) {}
  ~PoolBlock() {
    if (m_p) gFreMemPool();
  }
  PoolBlock(const PoolBlock&) = delete;
  PoolBlock& operator=(const PoolBlock&) = delete;
  template <class T>
  T* As() const {
    return static_cast<T*>(m_p);
  }

 private:
  void* m_p;
};

// Chord-length knots for crv from its (Cartesian) control points pts; 1 on success.
int KnotsFromPoints(BCRV* crv, const double (*pts)[3], int n) {
  PoolBlock params(sizeof(double) * size_t(n));
  if (!params.As<double>()) return 0;
  if (!KNOT_CalAccumChord(pts, n, params.As<double>())) return 0;
  return KNOT_CalByAC(crv->order, n, params.As<double>(), crv->knots) == 1 ? 1 : 0;
}

// The Cartesian control points of crv (a point whose weight cannot be divided out stays 0).
std::vector<std::array<double, 3>> CartesianCtrlPts(const BCRV* crv) {
  std::vector<std::array<double, 3>> pts(size_t(crv->n), {0.0, 0.0, 0.0});
  for (int i = 0; i < crv->n; ++i) crv->GetCtrlPt(i, pts[size_t(i)].data());
  return pts;
}

// Control points offered as snap candidates.
constexpr int kSnapCtrlPt = 0x200;

// Smallest first sampling step: finer work belongs to the refinement, which is capped.
constexpr double kMinInitialStep = 1e-4;
// Samples per control point at most. Far more than any smooth span needs at a sensible
// tolerance; it ties the work of a record (one read from a file included) to its size, so
// extreme weights or coordinates cannot make a small record refine without end.
constexpr size_t kMaxSamplesPerCtrlPt = 512;

}  // namespace

CGeNrbCrv3d::CGeNrbCrv3d() : m_pCurve(nullptr) {}

CGeNrbCrv3d::CGeNrbCrv3d(BCRV* crv) : m_pCurve(nullptr) { SetCurve(crv); }

CGeNrbCrv3d::~CGeNrbCrv3d() {
  BCRV_Free(m_pCurve);
  m_pCurve = nullptr;
}

int CGeNrbCrv3d::GetType() const { return GE_TYPE_NRBCRV3D; }

// ---- record management ----

void CGeNrbCrv3d::SetCurve(BCRV* crv) {
  if (!crv) return;
  m_pCurve = crv;
  DiscreteMe(gGetCurveDicTol());
  CalcBox();
}

void CGeNrbCrv3d::Replace(BCRV* crv) {
  if (crv != m_pCurve) BCRV_Free(m_pCurve);
  m_pCurve = crv;
  DiscreteMe(gGetCurveDicTol());
  CalcBox();
}

int CGeNrbCrv3d::CreateInterp(const double (*pts)[3], int n, int degree, double tol) {
  if (!pts || degree >= n) return 0;
  BCRV_Free(m_pCurve);
  m_pCurve = CNurbsEditor::GlobalInterp(pts, n, degree);
  if (!m_pCurve) return 0;
  DiscreteMe(tol);
  CalcBox();
  return 1;
}

int CGeNrbCrv3d::CreateCtrlPt(const double (*pts)[3], int n, int degree, double tol) {
  if (!pts || n <= 1) return 0;
  BCRV_Free(m_pCurve);
  m_pCurve = nullptr;
  if (n == 2) degree = 1;
  if (n == 3) degree = std::min(degree, 2);
  m_pCurve = BCRV_New(degree + 1, n);
  if (!m_pCurve) return 0;
  for (int i = 0; i < n; ++i) m_pCurve->SetCtrlPt(i, pts[i]);
  if (!KnotsFromPoints(m_pCurve, pts, n)) return 0;
  DiscreteMe(tol);
  CalcBox();
  return 1;
}

void CGeNrbCrv3d::DelCtrlPt(int index) {
  if (!m_pCurve) return;
  const int count = m_pCurve->n;
  if (index < 0 || index >= count || count <= 2) return;
  int order = m_pCurve->order;
  if (count == 3)
    order = count - 1;
  else if (order >= count - 1)
    order = count - 2;
  const auto all = CartesianCtrlPts(m_pCurve);
  std::vector<std::array<double, 3>> kept;
  for (int i = 0; i < count; ++i)
    if (i != index) kept.push_back(all[size_t(i)]);
  BcrvPtr crv(BCRV_New(order, count - 1));
  if (!crv) return;
  const auto* pts = reinterpret_cast<const double(*)[3]>(kept.data());
  for (int i = 0; i < count - 1; ++i) crv->SetCtrlPt(i, pts[i]);
  if (!KnotsFromPoints(crv.get(), pts, count - 1)) return;
  Replace(crv.release());
}

void CGeNrbCrv3d::DelCtrlPt(const int* indices, int k) {
  if (!m_pCurve || !indices || k < 0) return;
  const int count = m_pCurve->n;
  if (count <= 2 || k >= count - 1) return;
  const auto listed = [&](int i) { return std::find(indices, indices + k, i) != indices + k; };
  const auto all = CartesianCtrlPts(m_pCurve);
  std::vector<std::array<double, 3>> kept;
  for (int i = 0; i < count; ++i)
    if (!listed(i)) kept.push_back(all[size_t(i)]);
  // Deleting both ends of a closed curve keeps it closed.
  if (IsClosed(0.01) && listed(0) && listed(count - 1) && kept.size() != 2 && !kept.empty())
    kept.push_back(kept.front());
  CreateCtrlPt(reinterpret_cast<const double(*)[3]>(kept.data()), int(kept.size()), 3,
               gGetCurveDicTol());
}

void CGeNrbCrv3d::AddNode(double t) {
  if (!m_pCurve || !(t > 0.0 && t < 1.0)) return;
  if (BCRV* crv = CNurbsEditor::AddKnot(m_pCurve, t, m_pCurve->order - 1)) Replace(crv);
}

double CGeNrbCrv3d::EvArcLength(double t0, double t1, double tol) {
  return m_pCurve ? CNurbsEditor::LengthIn(m_pCurve, t0, t1, tol) : 0.0;
}

// ---- archive ----

void CGeNrbCrv3d::Serialize(CArchive& ar) {
  CGeCurve3d::Serialize(ar);
  if (ar.IsStoring()) {
    ar << (m_pCurve ? 1 : 0);
    if (!m_pCurve) return;
    ar << m_pCurve->order << m_pCurve->n;
    for (int i = 0; i < m_pCurve->n; ++i)
      for (int j = 0; j < 4; ++j) ar << m_pCurve->ctrlPts[i][j];
    for (int i = 0; i < m_pCurve->order + m_pCurve->n; ++i) ar << m_pCurve->knots[i];
    return;
  }
  int present = 0;
  ar >> present;
  if (!present) return;
  int order = 0, count = 0;
  ar >> order >> count;
  if (order < 1 || count < order)
    AfxThrowArchiveException(CArchiveException::badIndex);
  // Four doubles per control point and one per knot must still be in the file.
  ar.CheckCount(uint64_t(count) * 5u + uint64_t(order), sizeof(double));
  BcrvPtr crv(BCRV_New(order, count));
  if (!crv) AfxThrowArchiveException(CArchiveException::badIndex);
  for (int i = 0; i < count; ++i) {
    for (int j = 0; j < 4; ++j) ar >> crv->ctrlPts[i][j];
    ar.CheckFinite(crv->ctrlPts[i], 4);
  }
  for (int i = 0; i < order + count; ++i) ar >> crv->knots[i];
  ar.CheckFinite(crv->knots, size_t(order + count));
  // No curve has a weight at or below zero or decreasing knots: such a record is damage, and
  // dropping it quietly would lose the curve without a word.
  if (!BCRV_IsValid(crv.get())) AfxThrowArchiveException(CArchiveException::genericException);
  BCRV_Free(m_pCurve);
  m_pCurve = crv.release();
  DiscreteMe(gGetCurveDicTol());
}

// ---- copies and queries ----

CGeNrbCrv3d* CGeNrbCrv3d::Copy() {
  if (!m_pCurve) return nullptr;
  BCRV* crv = m_pCurve->Clone();
  if (!crv) return nullptr;
  auto* copy = new CGeNrbCrv3d;
  copy->m_pCurve = crv;
  m_strDisc.CopyTo(copy->m_strDisc);
  copy->m_nTag = m_nTag;
  copy->m_box = m_box;
  copy->m_nExtData = m_nExtData;
  return copy;
}

int CGeNrbCrv3d::IsPlanar(double tol, double point[3], double vector[3]) {
  return m_pCurve ? BCRV::IsPlanar(m_pCurve, tol, point, vector) : 0;
}

int CGeNrbCrv3d::GetNodeBox(_tagBox3D* box) {
  if (!m_pCurve || !box) return 0;
  BOX3D_Init0(box);
  for (int i = 0; i < m_pCurve->n; ++i) {
    double p[3];
    if (P4D_ToP3D(m_pCurve->ctrlPts[i], p)) BOX3D_Extend(box, p);
  }
  return 1;
}

int CGeNrbCrv3d::GetDiscStep(double tol, double& step) {
  if (!m_pCurve) return 0;
  const int r = BCRV_GetMaxiStepLin(m_pCurve, tol, step);
  step = std::min(step, 0.125);
  return r;
}

void CGeNrbCrv3d::GetStartPoint(double p[3]) {
  if (m_pCurve) BCRV_EvPos(m_pCurve, 0.0, p);
}

void CGeNrbCrv3d::GetEndPoint(double p[3]) {
  if (m_pCurve) BCRV_EvPos(m_pCurve, 1.0, p);
}

void CGeNrbCrv3d::GetPointAt(double t, double p[3], int) {
  if (m_pCurve) BCRV_EvPos(m_pCurve, t, p);
}

void CGeNrbCrv3d::GetStartTanVec(double v[3]) {
  if (!m_pCurve) return;
  double p[3], d2[3];
  if (BCRV_Ev2Der(m_pCurve, 0.0, p, v, d2)) V3D_Unit(v, 1e-6);
}

void CGeNrbCrv3d::GetEndTanVec(double v[3]) {
  if (!m_pCurve) return;
  double p[3], d2[3];
  if (BCRV_Ev2Der(m_pCurve, 1.0, p, v, d2)) V3D_Unit(v, 1e-6);
}

void CGeNrbCrv3d::GetTanVecAt(double t, double p[3], double v[3], int) {
  if (!m_pCurve) return;
  double d2[3];
  if (BCRV_Ev2Der(m_pCurve, t, p, v, d2)) V3D_Unit(v, 1e-6);
}

void CGeNrbCrv3d::Ev2Der(double t, double p[3], double d1[3], double d2[3], unsigned) {
  if (!m_pCurve) return;
  if (t <= 1e-10) t = 0.0;
  if (t >= 0.9999999999) t = 1.0;
  BCRV_Ev2Der(m_pCurve, t, p, d1, d2);
}

void CGeNrbCrv3d::Reverse() {
  if (!m_pCurve) return;
  m_pCurve->Reverse();
  CGeCurve3d::Reverse();
}

double CGeNrbCrv3d::EvTotalArcLength() { return m_pCurve ? CGeCurve3d::EvTotalArcLength() : 0.0; }

int CGeNrbCrv3d::EvParam(double length, double& t, unsigned&) {
  if (!m_pCurve) return 0;
  double lo = 0.0, hi = 1.0;
  for (int i = 0; i < 32; ++i) {
    t = 0.5 * (lo + hi);
    const double len = EvArcLength(0.0, t, 0.02);
    if (std::fabs(len - length) < 0.02) break;
    (len < length ? lo : hi) = t;
  }
  return 1;
}

void CGeNrbCrv3d::Split(double t, CGeCurve3d* pieces[2], int) {
  if (!m_pCurve || !pieces) return;
  BCRV *a = nullptr, *b = nullptr;
  CNurbsEditor::Split(t, m_pCurve, a, b);
  pieces[0] = a ? new CGeNrbCrv3d(a) : nullptr;
  pieces[1] = b ? new CGeNrbCrv3d(b) : nullptr;
}

// ---- discretisation ----

void CGeNrbCrv3d::Discrete(double tol, CStrP3D& str) {
  if (!m_pCurve) return;
  const BCRV* c = m_pCurve;
  if (c->order == 2) {
    str.Clear();
    if (str.Create(c->n, true, false)) {
      for (int i = 0; i < c->n; ++i) {
        P4D_ToP3D(c->ctrlPts[i], str.m_pPoints[i]);
        str.m_pParams[i] = std::min(c->knots[i + 1], 1.0);
      }
    }
  } else if (c->order > 2) {
    double step = 0.02;
    BCRV_GetMaxiStepLin(c, tol, step);
    if (step > 0.5) step = 0.1;
    const size_t maxSamples = kMaxSamplesPerCtrlPt * size_t(c->n);
    step = std::max({step, kMinInitialStep, 1.0 / double(maxSamples - 1)});
    const double chord = gGetCurveDicTol();
    const double angle = gGetCurveDicAng();
    std::vector<CurveSample3d> samples;
    for (int i = 0;; ++i) {
      CurveSample3d s;
      s.t = std::min(i * step, 1.0);
      BCRV_EvPos(c, s.t, s.p);
      samples.push_back(s);
      if (s.t >= 1.0) break;
    }
    RefineCurveSamples(
        samples, [c](double t, double p[3]) { BCRV_EvPos(c, t, p); }, chord, angle, maxSamples);
    SamplesToString(samples, str);
  }
  str.CalcBox();
}

// ---- transforms ----

template <class F>
void CGeNrbCrv3d::MapCtrlPts(F f) {
  for (int i = 0; i < m_pCurve->n; ++i) {
    double* h = m_pCurve->ctrlPts[i];
    double p[3];
    if (!P4D_ToP3D(h, p)) continue;
    f(p);
    for (int j = 0; j < 3; ++j) h[j] = p[j] * h[3];
  }
}

void CGeNrbCrv3d::Translate(const double v[2]) {
  if (!m_pCurve) return;
  const double d[3] = {v[0], v[1], 0.0};
  m_pCurve->Move(d);
  CGeCurve3d::Translate(v);
}

void CGeNrbCrv3d::Translate3D(const double v[3]) {
  if (!m_pCurve) return;
  m_pCurve->Move(v);
  CGeCurve3d::Translate3D(v);
}

void CGeNrbCrv3d::Rotate(const double c[2], double angle) {
  const double p[3] = {c[0], c[1], 0.0}, axis[3] = {0.0, 0.0, 1.0};
  Rotate3D(p, axis, angle);
}

void CGeNrbCrv3d::Rotate3D(const double p[3], const double axis[3], double angle) {
  if (!m_pCurve) return;
  m_pCurve->Rotate(p, axis, angle);
  CGeCurve3d::Rotate3D(p, axis, angle);
}

void CGeNrbCrv3d::Mirror(const double p[2], const double q[2]) {
  if (!m_pCurve) return;
  MapCtrlPts([&](double pt[3]) { P2D_Mirr(p, q, pt, pt); });
  CGeCurve3d::Mirror(p, q);
}

CGeShape3d* CGeNrbCrv3d::Shift(const double p[2], const double q[2]) {
  if (!m_pCurve) return nullptr;
  MapCtrlPts([&](double pt[3]) { P2D_Shift(p, pt, q); });
  CGeCurve3d::Shift(p, q);
  return this;
}

CGeShape3d* CGeNrbCrv3d::Scale(const double base[2], const double f[2]) {
  if (!m_pCurve) return nullptr;
  const double b[3] = {base[0], base[1], 0.0}, s[3] = {f[0], f[1], 1.0};
  m_pCurve->Scale(b, s);
  CGeCurve3d::Scale(base, f);
  return this;
}

CGeShape3d* CGeNrbCrv3d::Scale3D(const double base[3], const double f[3]) {
  if (!m_pCurve) return nullptr;
  m_pCurve->Scale(base, f);
  CGeCurve3d::Scale3D(base, f);
  return this;
}

void CGeNrbCrv3d::Mirror3D(const double p[3], const double q[3]) {
  if (!m_pCurve) return;
  MapCtrlPts([&](double pt[3]) { P3D_Mirror(p, q, pt, pt); });
  CGeCurve3d::Mirror3D(p, q);
}

void CGeNrbCrv3d::Transform(const double m[4][4]) {
  if (!m_pCurve) return;
  MapCtrlPts([&](double pt[3]) { MAT44_MultPt(m, pt, pt); });
  CGeCurve3d::Transform(m);
}

void CGeNrbCrv3d::Transform(const _rect_fm3d* frame) {
  if (!m_pCurve || !frame) return;
  MapCtrlPts([&](double pt[3]) { RF_TransWorldP3D(frame, pt, pt); });
  CGeCurve3d::Transform(frame);
}

void CGeNrbCrv3d::TransformLocal(const _rect_fm3d* frame) {
  if (!m_pCurve || !frame) return;
  MapCtrlPts([&](double pt[3]) { RF_TransLocalP3D(frame, pt, pt); });
  CGeCurve3d::TransformLocal(frame);
}

// ---- snapping and drawing ----

// ---- snapping and drawing ----

int CGeNrbCrv3d::GetSnapPos(CSnapAt* snap, CSnapResult& result) {
  CSnap3dRule rule;
  if (!m_pCurve || !rule.Init(snap)) return 0;
  _tagBox3D box;
  GetBox(&box);
  if (rule.BoxRejects(box)) return 0;
  const int before = result.GetSize();
  if (snap->m_nMask & SNAP_END) {
    double s[3], e[3];
    GetStartPoint(s);
    GetEndPoint(e);
    if (rule.m_bAlign && !rule.m_b3D) {
      for (const double* p : {s, e})
        if (rule.Counts(p) || rule.Aligned(p)) result.PushBackEnd(SnapPos(p));
    } else if (rule.Counts(s)) {
      result.PushBackEnd(SnapPos(s));
    } else if (rule.Counts(e)) {
      result.PushBackEnd(SnapPos(e));
    }
  }
  if (snap->m_nMask & kSnapCtrlPt) {
    for (int i = 0; i < m_pCurve->n; ++i) {
      double p[3];
      if (!P4D_ToP3D(m_pCurve->ctrlPts[i], p)) continue;
      if (rule.m_b3D) {
        if (rule.Counts(p)) result.PushBackMid(SnapPos(p));
      } else if (rule.Counts(p) || rule.Aligned(p)) {
        result.PushBackEnd(SnapPos(p));
      }
    }
  }
  return result.GetSize() != before ? 1 : 0;
}

void CGeNrbCrv3d::DrawNode(CDC* pDC, int bFirst, int bLast) {
  CVurode* view = gGetVurode();
  if (!m_pCurve || !pDC || !view || m_pCurve->n <= 0) return;
  const bool view3d = view->IsView3D();
  std::vector<double> xyz;
  std::vector<CPoint> scr;
  for (int i = 0; i < m_pCurve->n; ++i) {
    double p[3] = {0.0, 0.0, 0.0};
    P4D_ToP3D(m_pCurve->ctrlPts[i], p);
    xyz.insert(xyz.end(), p, p + 3);
    scr.push_back(view3d ? view->WorldtoScreen3D(p) : view->WorldtoScreen(p));
  }
  CPen pen(PS_DOT, 1, view3d ? 0x00FFFFu : 0xFF0000u);
  CPen* old = pDC->SelectObject(&pen);
  pDC->MoveTo(scr.front());
  for (size_t i = 1; i < scr.size(); ++i) pDC->LineTo(scr[i]);
  pDC->SelectObject(old);
  const int last = m_pCurve->n - 1;
  const bool drawLast = bLast && !IsClosed(0.01);
  for (int i = 0; i <= last; ++i) {
    if (i == 0 ? !bFirst : (i == last && !drawLast)) continue;
    DrawNodeMarker(pDC, view, &xyz[size_t(i) * 3], i == 0);
  }
}
