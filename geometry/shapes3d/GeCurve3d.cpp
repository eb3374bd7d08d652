#include "geometry/shapes3d/GeCurve3d.h"

#include <cmath>
#include <memory>

#include "geometry/shapes2d/PickRay.h"
#include "geometry/shapes2d/SnapAt.h"
#include "geometry/shapes3d/PointMap3d.h"

namespace {

// Curves stored before this document version carry no shape part.
constexpr int kFirstVersionWithShapePart = 5;

double Dist2D(const double a[3], const double b[3]) { return std::hypot(a[0] - b[0], a[1] - b[1]); }

// Point at parameter t of segment seg (from 1) of a point chain.
void ChainPoint(const double (*pts)[3], int n, int seg, double t, double out[3]) {
  if (seg < 1) seg = 1;
  if (seg > n - 1) seg = n - 1;
  for (int k = 0; k < 3; ++k) out[k] = pts[seg - 1][k] + t * (pts[seg][k] - pts[seg - 1][k]);
}

// The nearer end of the chain when the projection failed: the first point unless the last
// one is nearer.
void NearerChainEnd(const double (*pts)[3], int n, const double p[3], bool xyOnly, double out[3],
                    double& t, unsigned& seg) {
  const double d0 = xyOnly ? Dist2D(p, pts[0]) : P3D_Dist(p, pts[0]);
  const double d1 = xyOnly ? Dist2D(p, pts[n - 1]) : P3D_Dist(p, pts[n - 1]);
  const int i = d1 > d0 ? 0 : n - 1;
  for (int k = 0; k < 3; ++k) out[k] = pts[i][k];
  t = i == 0 ? 0.0 : 1.0;
  seg = i == 0 ? 1u : static_cast<unsigned>(n - 1);
}

}  // namespace

CGeCurve3d::CGeCurve3d() : m_nTag(0) {}

CGeCurve3d::~CGeCurve3d() { m_strDisc.Clear(); }

void CGeCurve3d::Serialize(CArchive& ar) {
  if (ar.IsStoring()) {
    CGeShape3d::Serialize(ar);
    return;
  }
  // Without a settings object the stream is one this library wrote: it has the shape part.
  CKXGlobal* settings = gGetKXGlobal();
  if (!settings || settings->GetDocVersion() >= kFirstVersionWithShapePart)
    CGeShape3d::Serialize(ar);
}

CGeCurve3d* CGeCurve3d::Copy() { return nullptr; }

void CGeCurve3d::CalcBox() { m_strDisc.GetBox(&m_box); }

void CGeCurve3d::CalcScreenBox(_tagBox2D* box) {
  if (!box) return;
  BOX2D_Init0(box);
  if (!m_strDisc.m_pPoints || m_strDisc.m_nCount <= 0) Discrete(gGetCurveDicTol(), m_strDisc);
  CVurode* view = gGetVurode();
  if (!view) return;
  for (int i = 0; i < m_strDisc.m_nCount; ++i) {
    const CPoint s = view->WorldtoScreen3D(m_strDisc.m_pPoints[i]);
    BOX2D_Extend(box, s.x, s.y);
  }
}

void CGeCurve3d::SyncBoxWithCache() {
  m_strDisc.CalcBox();
  m_strDisc.GetBox(&m_box);
}

// ---- transforms of the cache ----

void CGeCurve3d::Translate(const double v[2]) {
  ge3d::MapTranslate(m_strDisc.m_pPoints, m_strDisc.m_nCount, v);
  SyncBoxWithCache();
}

void CGeCurve3d::Translate3D(const double v[3]) {
  ge3d::MapTranslate3D(m_strDisc.m_pPoints, m_strDisc.m_nCount, v);
  SyncBoxWithCache();
}

void CGeCurve3d::Rotate(const double centre[2], double angle) {
  ge3d::MapRotate(m_strDisc.m_pPoints, m_strDisc.m_nCount, centre, angle);
  SyncBoxWithCache();
}

void CGeCurve3d::Rotate3D(const double point[3], const double axis[3], double angle) {
  ge3d::MapRotate3D(m_strDisc.m_pPoints, m_strDisc.m_nCount, point, axis, angle);
  SyncBoxWithCache();
}

void CGeCurve3d::Mirror(const double p[2], const double q[2]) {
  ge3d::MapMirror(m_strDisc.m_pPoints, m_strDisc.m_nCount, p, q);
  SyncBoxWithCache();
}

CGeShape3d* CGeCurve3d::Shift(const double p[2], const double q[2]) {
  ge3d::MapShift(m_strDisc.m_pPoints, m_strDisc.m_nCount, p, q);
  SyncBoxWithCache();
  return this;
}

CGeShape3d* CGeCurve3d::Scale(const double base[2], const double f[2]) {
  ge3d::MapScale(m_strDisc.m_pPoints, m_strDisc.m_nCount, base, f);
  SyncBoxWithCache();
  return this;
}

CGeShape3d* CGeCurve3d::Scale3D(const double base[3], const double f[3]) {
  ge3d::MapScale3D(m_strDisc.m_pPoints, m_strDisc.m_nCount, base, f);
  SyncBoxWithCache();
  return this;
}

void CGeCurve3d::Mirror3D(const double p[3], const double q[3]) {
  ge3d::MapMirror3D(m_strDisc.m_pPoints, m_strDisc.m_nCount, p, q);
  SyncBoxWithCache();
}

void CGeCurve3d::Transform(const _rect_fm3d* frame) {
  ge3d::MapToFrame(m_strDisc.m_pPoints, m_strDisc.m_nCount, frame);
  SyncBoxWithCache();
}

void CGeCurve3d::Transform(const double m[4][4]) {
  ge3d::MapMatrix(m_strDisc.m_pPoints, m_strDisc.m_nCount, m);
  SyncBoxWithCache();
}

void CGeCurve3d::TransformLocal(const _rect_fm3d* frame) {
  ge3d::MapFromFrame(m_strDisc.m_pPoints, m_strDisc.m_nCount, frame);
  SyncBoxWithCache();
}

// ---- drawing ----

bool CGeCurve3d::UsesExtColor() const {
  return m_nExtData != 0 && (m_nExtData & GE_EXTDATA_PLAIN) == 0;
}

void CGeCurve3d::DrawPoints(CDC* pDC, int nMode, const double (*pts)[3], int n) {
  if (!pDC || !pts || n <= 0) return;
  CVurode* view = gGetVurode();
  if (!view) return;
  if (view->IsView2D()) {
    _tagBox2D viewBox, box;
    view->GetViewBox(viewBox);
    GetBox2d(&box);
    if (!BOX2D_IsInt(&viewBox, &box, 0.01)) return;
  }
  std::unique_ptr<double[][2]> xy(new double[n][2]);
  for (int i = 0; i < n; ++i) {
    xy[i][0] = pts[i][0];
    xy[i][1] = pts[i][1];
  }
  if (nMode != 1 && UsesExtColor()) {
    CPen pen(PS_SOLID, 1, GE_EXTDATA_COLOR);
    CPen* old = pDC->SelectObject(&pen);
    view->ClipDrawPolyLine(xy.get(), n, pDC);
    pDC->SelectObject(old);
  } else {
    view->ClipDrawPolyLine(xy.get(), n, pDC);
  }
}

void CGeCurve3d::Draw(CDC* pDC, int nMode) {
  DrawPoints(pDC, nMode, m_strDisc.m_pPoints, m_strDisc.m_nCount);
}

void CGeCurve3d::DrawGL(COpenGLDC* pDC, int) {
  if (!pDC || !m_strDisc.m_pPoints || m_strDisc.m_nCount < 2) return;
  if (!UsesExtColor()) {
    pDC->DrawPolyline(m_strDisc);
    return;
  }
  const COLORREF saved = pDC->GetColor();
  pDC->SetColor(GE_EXTDATA_COLOR);
  pDC->DrawPolyline(m_strDisc);
  pDC->SetColor(saved);
}

void CGeCurve3d::DrawNode(CDC*, int, int) {}

void CGeCurve3d::DrawNodeMarker(CDC* pDC, CVurode* view, const double p[3], bool first) {
  // Projected in space: a 3D view must show the marker where the point really is.
  const CPoint s = view->WorldtoScreen3D(p);
  if (!first) {
    pDC->Rectangle(s.x - 3, s.y - 3, s.x + 3, s.y + 3);
    return;
  }
  const bool is2D = view->IsView2D() != 0;
  CPen pen(PS_SOLID, is2D ? 1 : 2, is2D ? RGB(195, 0, 170) : RGB(60, 255, 85));
  CPen* old = pDC->SelectObject(&pen);
  pDC->Ellipse(s.x - 3, s.y - 3, s.x + 3, s.y + 3);
  pDC->SelectObject(old);
}

int CGeCurve3d::GetNodeBox(_tagBox3D* box) {
  if (box) *box = m_box;
  return 1;
}

// ---- nearest point, tangent point, picking ----

int CGeCurve3d::GetNearestPoint2D(const double p[3], double out[3], double& t, unsigned& seg,
                                  double& dist) {
  const int n = m_strDisc.m_nCount;
  const double(*pts)[3] = m_strDisc.m_pPoints;
  if (!p || !out || !pts || n < 2) return 0;
  auto* xy = static_cast<double(*)[2]>(gAlcMemPool(static_cast<size_t>(n) * 16));
  if (!xy) return 0;
  for (int i = 0; i < n; ++i) {
    xy[i][0] = pts[i][0];
    xy[i][1] = pts[i][1];
  }
  double foot[2];
  double u = 0.0;
  int s = 0;
  const int ok = SP2D_PrjPnt(xy, n, p, foot, u, s);
  gFreMemPool();
  if (ok) {
    ChainPoint(pts, n, s, u, out);  // the xy foot, with its height on the chain
    t = u;
    seg = static_cast<unsigned>(s);
  } else {
    NearerChainEnd(pts, n, p, true, out, t, seg);
  }
  dist = Dist2D(p, out);
  return 1;
}

int CGeCurve3d::GetNearestPoint3D(const double p[3], double out[3], double& t, unsigned& seg,
                                  double& dist) {
  const int n = m_strDisc.m_nCount;
  if (!p || !out || !m_strDisc.m_pPoints || n < 2) return 0;
  double u = 0.0;
  int s = 0;
  if (SP3D_PrjPnt(&m_strDisc, p, out, u, s)) {
    t = u;
    seg = static_cast<unsigned>(s);
  } else {
    NearerChainEnd(m_strDisc.m_pPoints, n, p, false, out, t, seg);
  }
  dist = P3D_Dist(p, out);
  return 1;
}

int CGeCurve3d::GetTanPt(const double p[3], double& t, double out[3], double& dist) {
  if (!p || !out) return 0;
  const bool closed = IsClosed(0.01) != 0;
  t = std::fmin(std::fmax(t, 0.0), 1.0);  // a NaN guess becomes 0
  double best = 1e20, bestT = t, bestPt[3] = {0.0, 0.0, 0.0};
  for (int iter = 0; iter < 32; ++iter) {
    double c[3], d1[3], d2[3];
    Ev2Der(t, c, d1, d2, 1);
    const double d[3] = {c[0] - p[0], c[1] - p[1], c[2] - p[2]};
    for (int k = 0; k < 3; ++k) out[k] = c[k];
    dist = V3D_Length(d);
    if (dist < 1e-6) return 1;
    if (dist < best) {
      best = dist;
      bestT = t;
      for (int k = 0; k < 3; ++k) bestPt[k] = c[k];
    }
    double v[3], w[3];
    V3D_VProduct(d1, d, v);
    V3D_VProduct(d2, d, w);
    const double den = 2.0 * V3D_Dot(v, w);
    if (!(std::fabs(den) >= 1e-12)) return 0;
    double next = t - V3D_Dot(v, v) / den;
    if (std::fabs(next - t) < 1e-6) return 1;
    if (closed) {
      if (next > 1.0) next -= 1.0;
      if (next < 0.0) next += 1.0;
    }
    t = std::fmin(std::fmax(next, 0.0), 1.0);
  }
  if (best < 0.001) {
    t = bestT;
    for (int k = 0; k < 3; ++k) out[k] = bestPt[k];
    dist = best;
    return 1;
  }
  return 0;
}

int CGeCurve3d::Pick(CPickRay& ray, int filter) {
  if (filter && !(GetType() & ray.m_nTypeMask)) return 0;
  // A ray that passes the cache's box farther than its half diagonal plus the radius meets no
  // cached segment: crowded views reject most curves here without walking their points.
  const _tagBox3D& box = m_strDisc.m_box;
  if (m_strDisc.m_nCount > 2 && BOX3D_IsValid(&box)) {
    const double centre[3] = {(box.min[0] + box.max[0]) / 2, (box.min[1] + box.max[1]) / 2,
                              (box.min[2] + box.max[2]) / 2};
    if (L3D_DistToPnt(ray.m_ptOrigin, ray.m_vDir, centre) >
        P3D_Dist(box.min, box.max) / 2 + ray.m_dRadius)
      return 0;
  }
  double depth = 0.0, t = 0.0;
  int seg = 0;
  if (!m_strDisc.Pick3d(ray.m_ptOrigin, ray.m_vDir, ray.m_dRadius, depth, t, seg)) return 0;
  if (!ray.m_b2D && !(depth < ray.m_dDist3D)) return 0;
  ray.m_dDist3D = depth;
  ray.m_dParam = t;
  ray.m_nIndex = seg;
  return 1;
}

// ---- defaults of the curve operations ----

int CGeCurve3d::IsPlanar(double, double*, double*) { return GE_PLANAR_NONE; }

void CGeCurve3d::DiscreteMe(double tol) { Discrete(tol, m_strDisc); }

void CGeCurve3d::DiscreteToElement(CGeCurve3dList* list) {
  if (!list) return;
  if (CGeCurve3d* copy = Copy()) list->AddTail(copy);
}

int CGeCurve3d::GetDiscStep(double, double& step) {
  step = 0.1;
  return 1;
}

int CGeCurve3d::GetSegmentCount() { return 1; }

void CGeCurve3d::Reverse() { m_strDisc.Reverse(); }

int CGeCurve3d::IsClosed(double tol) {
  // Ends that a curve without geometry leaves unset stay infinitely apart: not closed.
  double s[3] = {0.0, 0.0, 0.0}, e[3] = {HUGE_VAL, HUGE_VAL, HUGE_VAL};
  GetStartPoint(s);
  GetEndPoint(e);
  return P3D_Dist(s, e) < tol ? 1 : 0;
}

double CGeCurve3d::EvTotalArcLength() {
  if (m_strDisc.m_nCount <= 0) Discrete(0.01, m_strDisc);
  return m_strDisc.EvLength();
}

double CGeCurve3d::EvTotalArcLength2D() {
  if (m_strDisc.m_nCount <= 0) Discrete(0.01, m_strDisc);
  return m_strDisc.EvLength2D();
}

int CGeCurve3d::GetSplitParam(double*& params) {
  params = new double[2]{0.0, 1.0};
  return 2;
}
