#include "geometry/shapes3d/GePolyline3d.h"

#include <array>
#include <cmath>
#include <memory>
#include <new>
#include <vector>

#include "geometry/shapes3d/GeLine3d.h"
#include "geometry/shapes3d/PointMap3d.h"
#include "geometry/shapes3d/Snap3d.h"
#include "geometry/shapes3d/GeNrbCrv3d.h"
#include "geometry/tools/GeTool3D.h"

IMPLEMENT_SERIAL(CGePolyline3d, CObject, GE_SCHEMA_3D)

namespace {

using Vertex = std::array<double, 3>;

// Above this many vertices fitted curves stand for the chain of segments.
constexpr int kMaxLineVertices = 15;
constexpr double kFitDeviation = 0.2;
constexpr double kFitCornerAngle = 2.617993877991;  // 150 degrees

void Lerp(const double a[3], const double b[3], double t, double out[3]) {
  for (int k = 0; k < 3; ++k) out[k] = a[k] + t * (b[k] - a[k]);
}

void Sub(const double a[3], const double b[3], double out[3]) {
  for (int k = 0; k < 3; ++k) out[k] = a[k] - b[k];
}

// New polyline of the vertices; null when it cannot be made.
CGePolyline3d* NewPolyline(const std::vector<Vertex>& v) {
  if (v.size() < 2) return nullptr;
  auto* pl = new CGePolyline3d;
  if (!pl->Create(static_cast<int>(v.size()), reinterpret_cast<const double(*)[3]>(v.data()))) {
    delete pl;
    return nullptr;
  }
  return pl;
}

}  // namespace

CGePolyline3d::CGePolyline3d() : m_pVertex(nullptr), m_nCount(0) {}

CGePolyline3d::CGePolyline3d(int count) : m_pVertex(nullptr), m_nCount(0) {
  if (count <= 0) return;
  m_pVertex = new double[count][3];
  m_nCount = count;
}

CGePolyline3d::~CGePolyline3d() {
  delete[] m_pVertex;
  m_pVertex = nullptr;
  m_nCount = 0;
}

void CGePolyline3d::Serialize(CArchive& ar) {
  CGeCurve3d::Serialize(ar);
  if (ar.IsStoring()) {
    const int count = m_pVertex ? m_nCount : 0;
    ar << count;
    if (count >= 2)
      for (int i = 0; i < count; ++i) ar << m_pVertex[i][0] << m_pVertex[i][1] << m_pVertex[i][2];
    return;
  }
  int count = 0;
  ar >> count;
  // The vertices are read whole before the old ones go, so a damaged record changes nothing.
  std::unique_ptr<double[][3]> v;
  if (count >= 2) {
    ar.CheckCount(static_cast<ULONGLONG>(count), 3 * sizeof(double));
    v.reset(new double[count][3]);
    for (int i = 0; i < count; ++i) {
      ar >> v[i][0] >> v[i][1] >> v[i][2];
      ar.CheckFinite(v[i], 3);
    }
  }
  delete[] m_pVertex;
  m_pVertex = v.release();
  m_nCount = m_pVertex ? count : 0;  // a polyline without vertex array never claims vertices
  Discrete(gGetCurveDicTol(), m_strDisc);
}

int CGePolyline3d::GetType() const { return GE_TYPE_POLYLINE3D; }

CGePolyline3d* CGePolyline3d::Copy() {
  auto* copy = new CGePolyline3d;
  if (!copy->Create(m_nCount, m_pVertex)) {
    delete copy;
    return nullptr;
  }
  copy->m_nTag = m_nTag;
  copy->m_box = m_box;
  copy->m_nExtData = m_nExtData;
  return copy;
}

void CGePolyline3d::CalcBox() {
  BOX3D_Init0(&m_box);
  for (int i = 0; m_pVertex && i < m_nCount; ++i) BOX3D_Extend(&m_box, m_pVertex[i]);
}

// ---- transforms: the vertices, then the cache ----

void CGePolyline3d::Translate(const double v[2]) {
  ge3d::MapTranslate(m_pVertex, m_nCount, v);
  CGeCurve3d::Translate(v);
}

void CGePolyline3d::Translate3D(const double v[3]) {
  ge3d::MapTranslate3D(m_pVertex, m_nCount, v);
  CGeCurve3d::Translate3D(v);
}

void CGePolyline3d::Rotate(const double centre[2], double angle) {
  ge3d::MapRotate(m_pVertex, m_nCount, centre, angle);
  CGeCurve3d::Rotate(centre, angle);
}

void CGePolyline3d::Rotate3D(const double point[3], const double axis[3], double angle) {
  ge3d::MapRotate3D(m_pVertex, m_nCount, point, axis, angle);
  CGeCurve3d::Rotate3D(point, axis, angle);
}

void CGePolyline3d::Mirror(const double p[2], const double q[2]) {
  ge3d::MapMirror(m_pVertex, m_nCount, p, q);
  CGeCurve3d::Mirror(p, q);
}

CGeShape3d* CGePolyline3d::Shift(const double p[2], const double q[2]) {
  ge3d::MapShift(m_pVertex, m_nCount, p, q);
  CGeCurve3d::Shift(p, q);
  return this;
}

CGeShape3d* CGePolyline3d::Scale(const double base[2], const double f[2]) {
  ge3d::MapScale(m_pVertex, m_nCount, base, f);
  CGeCurve3d::Scale(base, f);
  return this;
}

CGeShape3d* CGePolyline3d::Scale3D(const double base[3], const double f[3]) {
  ge3d::MapScale3D(m_pVertex, m_nCount, base, f);
  CGeCurve3d::Scale3D(base, f);
  return this;
}

void CGePolyline3d::Mirror3D(const double p[3], const double q[3]) {
  ge3d::MapMirror3D(m_pVertex, m_nCount, p, q);
  CGeCurve3d::Mirror3D(p, q);
}

void CGePolyline3d::Transform(const _rect_fm3d* frame) {
  ge3d::MapToFrame(m_pVertex, m_nCount, frame);
  CGeCurve3d::Transform(frame);
}

void CGePolyline3d::Transform(const double m[4][4]) {
  ge3d::MapMatrix(m_pVertex, m_nCount, m);
  CGeCurve3d::Transform(m);
}

void CGePolyline3d::TransformLocal(const _rect_fm3d* frame) {
  ge3d::MapFromFrame(m_pVertex, m_nCount, frame);
  CGeCurve3d::TransformLocal(frame);
}

// ---- drawing, snapping ----

void CGePolyline3d::Draw(CDC* pDC, int nMode) { DrawPoints(pDC, nMode, m_pVertex, m_nCount); }

void CGePolyline3d::DrawGL(COpenGLDC* pDC, int) {
  if (pDC && m_pVertex && m_nCount > 1) pDC->DrawPolyline(m_pVertex, m_nCount);
}

void CGePolyline3d::DrawNode(CDC* pDC, int bFirst, int bLast) {
  CVurode* view = gGetVurode();
  if (!pDC || !view || !m_pVertex || m_nCount <= 0) return;
  if (bFirst) DrawNodeMarker(pDC, view, m_pVertex[0], true);
  const bool open = IsClosed(0.01) == 0;
  for (int i = 1; i < m_nCount; ++i) {
    if (i == m_nCount - 1 && !(open && bLast)) break;
    DrawNodeMarker(pDC, view, m_pVertex[i], false);
  }
}

int CGePolyline3d::GetSnapPos(CSnapAt* snap, CSnapResult& result) {
  CSnap3dRule rule;
  if (!rule.Init(snap)) return 0;
  _tagBox3D box;
  GetBox(&box);
  if (rule.BoxRejects(box) || !m_pVertex) return 0;
  const int before = result.GetSize();
  if (snap->m_nMask & SNAP_END) {
    for (int i = 0; i < m_nCount; ++i)
      if (rule.Counts(m_pVertex[i]) || rule.Aligned(m_pVertex[i]))
        result.PushBackEnd(SnapPos(m_pVertex[i]));
  }
  if (snap->m_nMask & SNAP_MID) {
    for (int i = 1; i < m_nCount; ++i) {
      double mid[3];
      Lerp(m_pVertex[i - 1], m_pVertex[i], 0.5, mid);
      if (rule.Counts(mid)) result.PushBackMid(SnapPos(mid));
    }
  }
  double ref[3] = {0.0, 0.0, 0.0};
  if ((snap->m_nMask & SNAP_PERP) && m_nCount >= 2 && snap->GetRefPoint(ref)) {
    for (int i = 1; i < m_nCount; ++i) {
      double foot[3], t = 0.0;
      if (!L3D_PrjPntEx(m_pVertex[i - 1], m_pVertex[i], ref, foot) ||
          !L3D_GetParam(m_pVertex[i - 1], m_pVertex[i], foot, t) || t < 0.0 || t > 1.0)
        continue;
      // Feet are measured in xy in both views.
      if (std::hypot(foot[0] - rule.m_cursor[0], foot[1] - rule.m_cursor[1]) < rule.m_radius)
        result.PushBackPerp(SnapPos(foot));
    }
  }
  return result.GetSize() != before ? 1 : 0;
}

// ---- evaluation ----

int CGePolyline3d::IsPlanar(double tol, double point[3], double vector[3]) {
  if (!m_pVertex || m_nCount < 2 || !point || !vector) return GE_PLANAR_NONE;
  const double* v0 = m_pVertex[0];
  for (int k = 0; k < 3; ++k) point[k] = v0[k];
  if (m_nCount == 2) {
    if (!V3D_GenUnit(v0, m_pVertex[1], vector, 1e-300)) return GE_PLANAR_POINT;
    return P3D_Dist(v0, m_pVertex[1]) > tol ? GE_PLANAR_LINE : GE_PLANAR_POINT;
  }
  int state = GE_PLANAR_POINT;
  double dir[3] = {0.0, 0.0, 0.0}, normal[3] = {0.0, 0.0, 0.0};
  for (int i = 1; i < m_nCount; ++i) {
    const double* v = m_pVertex[i];
    if (!(P3D_Dist(v0, v) > tol)) continue;
    double d[3];
    Sub(v, v0, d);
    if (state == GE_PLANAR_POINT) {
      V3D_Unit(d, 1e-300);
      for (int k = 0; k < 3; ++k) dir[k] = d[k];
      state = GE_PLANAR_LINE;
    } else if (state == GE_PLANAR_LINE) {
      if (!V3D_IsParallel(dir, d, 0.01) && V3D_VProductUnit(dir, d, normal))
        state = GE_PLANAR_PLANE;
    } else if (std::fabs(V3D_Dot(d, normal)) > tol) {
      return GE_PLANAR_NONE;
    }
  }
  for (int k = 0; k < 3; ++k) vector[k] = state == GE_PLANAR_PLANE ? normal[k] : dir[k];
  return state;
}

void CGePolyline3d::Discrete(double, CStrP3D& str) {
  if (!m_pVertex || m_nCount < 2 || !str.Create(m_nCount, false, false)) return;
  for (int i = 0; i < m_nCount; ++i)
    for (int k = 0; k < 3; ++k) str.m_pPoints[i][k] = m_pVertex[i][k];
  str.CalcBox();
}

void CGePolyline3d::DiscreteToElement(CGeCurve3dList* list) {
  if (!list || !m_pVertex) return;
  geAppendChainElements(m_pVertex, m_nCount, list);
}

void geAppendChainElements(const double (*pts)[3], int n, CGeCurve3dList* list) {
  if (!list || !pts || n < 2) return;
  if (n > kMaxLineVertices) {
    std::vector<BCRV*> pieces;
    CGeTool3D::GlobalInterp(pts, n, 2, kFitDeviation, kFitCornerAngle, pieces);
    for (BCRV* c : pieces)
      if (c) list->AddTail(new CGeNrbCrv3d(c));
    // Without a fit the segments themselves keep the chain.
    if (!pieces.empty()) return;
  }
  for (int i = 1; i < n; ++i) list->AddTail(new CGeLine3d(pts[i - 1], pts[i]));
}

int CGePolyline3d::GetDiscStep(double, double& step) {
  step = m_nCount > 0 ? 1.0 / m_nCount : 1.0;
  return 1;
}

int CGePolyline3d::GetSegmentCount() { return m_nCount - 1; }

void CGePolyline3d::GetStartPoint(double p[3]) {
  if (!m_pVertex || m_nCount <= 0) return;
  for (int k = 0; k < 3; ++k) p[k] = m_pVertex[0][k];
}

void CGePolyline3d::GetEndPoint(double p[3]) {
  if (!m_pVertex || m_nCount <= 0) return;
  for (int k = 0; k < 3; ++k) p[k] = m_pVertex[m_nCount - 1][k];
}

void CGePolyline3d::GetPointAt(double t, double p[3], int) {
  if (!m_pVertex || !(t >= 1.0)) return;
  const double kd = std::floor(t);
  if (kd > m_nCount - 1) return;
  const int k = static_cast<int>(kd);
  Lerp(m_pVertex[k - 1], m_pVertex[k], t - kd, p);
}

void CGePolyline3d::GetStartTanVec(double v[3]) {
  if (!m_pVertex || m_nCount < 2) return;
  double d[3];
  Sub(m_pVertex[1], m_pVertex[0], d);
  if (V3D_Length(d) < 1e-6 && m_nCount > 2) Sub(m_pVertex[2], m_pVertex[0], d);
  if (V3D_Unit(d, 1e-300))
    for (int k = 0; k < 3; ++k) v[k] = d[k];
}

void CGePolyline3d::GetEndTanVec(double v[3]) {
  if (!m_pVertex || m_nCount < 2) return;
  const int n = m_nCount;
  double d[3];
  Sub(m_pVertex[n - 1], m_pVertex[n - 2], d);
  if (V3D_Length(d) < 1e-6 && n >= 3) Sub(m_pVertex[n - 1], m_pVertex[n - 3], d);
  if (V3D_Unit(d, 1e-300))
    for (int k = 0; k < 3; ++k) v[k] = d[k];
}

void CGePolyline3d::GetTanVecAt(double t, double p[3], double v[3], int) {
  if (!m_pVertex || !(t >= 1.0) || std::floor(t) > m_nCount - 1) return;
  const int k = static_cast<int>(std::floor(t));
  GetPointAt(t, p, 0);
  double d[3];
  Sub(m_pVertex[k], m_pVertex[k - 1], d);
  if (V3D_Unit(d, 1e-6)) {
  } else if (k + 1 < m_nCount) {
    Sub(m_pVertex[k + 1], m_pVertex[k - 1], d);
  } else if (k >= 2) {
    Sub(m_pVertex[k - 1], m_pVertex[k - 2], d);
  }
  for (int i = 0; i < 3; ++i) v[i] = d[i];
}

void CGePolyline3d::Ev2Der(double t, double p[3], double d1[3], double d2[3], unsigned seg) {
  if (!m_pVertex || m_nCount < 2) return;
  // Segments outside the chain read the nearest one instead of memory past the array.
  const int k = seg < 1 ? 1 : (seg > static_cast<unsigned>(m_nCount - 1) ? m_nCount - 1 : static_cast<int>(seg));
  Lerp(m_pVertex[k - 1], m_pVertex[k], t, p);
  Sub(m_pVertex[k], m_pVertex[k - 1], d1);
  for (int i = 0; i < 3; ++i) d2[i] = 0.0;
}

void CGePolyline3d::Reverse() {
  for (int i = 0, j = m_nCount - 1; m_pVertex && i < j; ++i, --j)
    for (int k = 0; k < 3; ++k) std::swap(m_pVertex[i][k], m_pVertex[j][k]);
  m_strDisc.Reverse();
}

int CGePolyline3d::EvParam(double length, double& t, unsigned& seg) {
  if (!m_pVertex || m_nCount < 2) return 0;
  const double total = EvTotalArcLength();
  if (IsClosed(0.01)) {
    // Wrapped into (0, total] by division: subtracting turn by turn would run for ages on
    // long lengths and for ever on a chain without length.
    if (length > total) {
      const double rest = total > 0.0 ? std::fmod(length, total) : 0.0;
      length = rest > 0.0 ? rest : total;
    }
  } else if (length > total) {
    length = total;
  }
  double s = 0.0;
  for (int k = 1; k < m_nCount; ++k) {
    const double d = P3D_Dist(m_pVertex[k - 1], m_pVertex[k]);
    if (length >= s && s + d > length - 0.1) {
      t = std::fabs(s + d - length) <= 0.1 ? 1.0 : (length - s) / d;
      seg = static_cast<unsigned>(k);
      return 1;
    }
    s += d;
  }
  return 0;
}

void CGePolyline3d::Split(double t, CGeCurve3d** out, int seg) {
  const int n = m_nCount;
  if (!out || !m_pVertex || seg < 1 || seg > n - 1 || t < -1e-6 || t > 1.000001 ||
      (t < 1e-6 && seg == 1) || (t > 0.999999 && seg == n - 1))
    return;
  double p[3];
  Lerp(m_pVertex[seg - 1], m_pVertex[seg], t, p);
  std::vector<Vertex> first, second;
  for (int i = 0; i < seg; ++i) first.push_back({m_pVertex[i][0], m_pVertex[i][1], m_pVertex[i][2]});
  if (t > 1e-6) first.push_back({p[0], p[1], p[2]});
  if (t < 0.999999) second.push_back({p[0], p[1], p[2]});
  for (int i = seg; i < n; ++i) second.push_back({m_pVertex[i][0], m_pVertex[i][1], m_pVertex[i][2]});
  out[0] = NewPolyline(first);
  out[1] = NewPolyline(second);
}

int CGePolyline3d::GetSplitParam(double*& params) {
  params = nullptr;
  if (!m_pVertex || m_nCount <= 0) return 0;
  const int n = m_nCount;
  params = new double[n];
  double s = 0.0;
  params[0] = 0.0;
  for (int i = 1; i < n; ++i) params[i] = (s += P3D_Dist(m_pVertex[i - 1], m_pVertex[i]));
  for (int i = 0; i < n; ++i) {
    // A chain without length spreads its parameters evenly rather than dividing by zero.
    params[i] = s > 0.0 ? params[i] / s : (n > 1 ? static_cast<double>(i) / (n - 1) : 0.0);
  }
  params[n - 1] = 1.0;
  return n;
}

// ---- creation and editing ----

int CGePolyline3d::Create(int count, const double (*pts)[3]) {
  if (!pts || count < 2) return 0;
  delete[] m_pVertex;
  m_nCount = 0;
  m_pVertex = new (std::nothrow) double[count][3];
  if (m_pVertex) {
    m_nCount = count;
    for (int i = 0; i < count; ++i)
      for (int k = 0; k < 3; ++k) m_pVertex[i][k] = pts[i][k];
    Discrete(gGetCurveDicTol(), m_strDisc);
  }
  CalcBox();
  return m_pVertex ? 1 : 0;
}

int CGePolyline3d::Create(int count, const double (*pts)[2]) {
  if (!pts || count < 2) return 0;
  std::unique_ptr<double[][3]> v(new (std::nothrow) double[count][3]);
  if (!v) return 0;
  for (int i = 0; i < count; ++i) {
    v[i][0] = pts[i][0];
    v[i][1] = pts[i][1];
    v[i][2] = 0.0;
  }
  return Create(count, v.get());
}

void CGePolyline3d::DelCtrlPt(int index) {
  if (m_nCount < 3 || !m_pVertex || index < 0 || index >= m_nCount) return;
  if (IsClosed(0.01)) {
    if (index == 0 || index == m_nCount - 1) return;
    if (m_nCount == 4) {
      // Removing a corner of a closed triangle leaves the segment of the two others.
      const int other = index == 1 ? 2 : 1;
      for (int k = 0; k < 3; ++k) m_pVertex[1][k] = m_pVertex[other][k];
      m_nCount = 2;
      Discrete(gGetCurveDicTol(), m_strDisc);
      return;
    }
  }
  for (int i = index; i + 1 < m_nCount; ++i)
    for (int k = 0; k < 3; ++k) m_pVertex[i][k] = m_pVertex[i + 1][k];
  --m_nCount;
  Discrete(gGetCurveDicTol(), m_strDisc);
}

void CGePolyline3d::DelCtrlPt(const int* indices, int k) {
  if (m_nCount <= 2 || !m_pVertex || !indices || k < 0 || k >= m_nCount - 1) return;
  std::vector<char> listed(static_cast<size_t>(m_nCount), 0);
  for (int i = 0; i < k; ++i)
    if (indices[i] >= 0 && indices[i] < m_nCount) listed[static_cast<size_t>(indices[i])] = 1;
  std::vector<Vertex> kept;
  for (int i = 0; i < m_nCount; ++i)
    if (!listed[static_cast<size_t>(i)])
      kept.push_back({m_pVertex[i][0], m_pVertex[i][1], m_pVertex[i][2]});
  if (IsClosed(0.01) && listed.front() && listed.back() && !kept.empty() && kept.size() != 2)
    kept.push_back(kept.front());
  Create(static_cast<int>(kept.size()), reinterpret_cast<const double(*)[3]>(kept.data()));
}

void CGePolyline3d::SplitInNode(const int* indices, int k, CGeCurve3dList* list) {
  if (!list || !m_pVertex || m_nCount < 2) return;
  int from = 0;
  auto emit = [&](int to) {
    if (to - from + 1 >= 2) {
      auto* piece = new CGePolyline3d;
      if (piece->Create(to - from + 1, m_pVertex + from))
        list->AddTail(piece);
      else
        delete piece;
    }
    from = to;
  };
  for (int i = 0; indices && i < k; ++i)
    if (indices[i] > from && indices[i] < m_nCount) emit(indices[i]);
  emit(m_nCount - 1);
}
