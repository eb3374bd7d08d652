#include "geometry/shapes2d/GePolyline.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

#include "geometry/shapes2d/GeBezier.h"
#include "geometry/shapes2d/GeCombCurve.h"
#include "geometry/shapes2d/PickRay.h"
#include "geometry/shapes2d/ShapeListUtil.h"
#include "geometry/shapes2d/SnapAt.h"

IMPLEMENT_SERIAL(CGePolyline, CObject, GE_SCHEMA_2D)

namespace {

constexpr double kNoValue = 1e12;
// Slack of the arc-length search: lengths within it count as reached.
constexpr double kLengthSlack = 0.1;
// Angle under which Lean keeps a vertex: 170 degrees.
constexpr double kLeanAngle = 2.9670597283898;

double Dist(const double a[2], const double b[2]) { return std::hypot(a[0] - b[0], a[1] - b[1]); }

using Points = std::vector<std::array<double, 2>>;

const double (*Data(const Points& v))[2] { return reinterpret_cast<const double(*)[2]>(v.data()); }

}  // namespace

CGePolyline::CGePolyline() = default;

CGePolyline::CGePolyline(int n) { AllocSWMem(n); }

CGePolyline::~CGePolyline() = default;

void CGePolyline::Serialize(CArchive& ar) {
  CGeCurve::Serialize(ar);
  if (ar.IsStoring()) {
    ar << static_cast<int32_t>(m_nSWPoint);
    for (int i = 0; i < m_nSWPoint; ++i) ar << m_pSWPoint[i][0] << m_pSWPoint[i][1];
    return;
  }
  int32_t n = 0;
  ar >> n;
  // A count the remaining bytes cannot hold is a damaged or hostile file.
  if (n < 0 || static_cast<ULONGLONG>(n) * 16u > ar.GetBytesRemaining())
    AfxThrowArchiveException(CArchiveException::endOfFile);
  Points pts(static_cast<size_t>(n));
  for (auto& p : pts) {
    ar >> p[0] >> p[1];
    ar.CheckFinite(p[0], p[1]);
  }
  delete[] m_pSWPoint;
  m_pSWPoint = nullptr;
  m_nSWPoint = 0;
  CopySWPoint(Data(pts), n);
  CalcBox2d();
}

int CGePolyline::GetType() const { return GE_TYPE_POLYLINE; }

CGePolyline* CGePolyline::Copy() {
  if (!m_pSWPoint || m_nSWPoint < 2) return nullptr;
  auto* copy = new CGePolyline;
  copy->Create(m_nSWPoint, m_pSWPoint);
  copy->m_nClosed = m_nClosed;
  return copy;
}

// ---- construction and vertices ----

int CGePolyline::Create(int n, const double pts[][2]) {
  const bool ok = pts && n >= 2;
  if (ok) {
    // The points may lie in the buffer about to be replaced.
    const Points copy(reinterpret_cast<const std::array<double, 2>*>(pts),
                      reinterpret_cast<const std::array<double, 2>*>(pts) + n);
    CopySWPoint(Data(copy), n);
    if (Dist(copy[0].data(), copy[n - 1].data()) < 0.0001) m_nClosed = 1;
  }
  CalcBox2d();
  return ok ? 1 : 0;
}

int CGePolyline::Create(CPoint2dArray* pts) {
  if (!pts) return 0;
  delete[] m_pSWPoint;
  m_pSWPoint = nullptr;
  m_nSWPoint = 0;
  BOX2D_Init0(&m_box);
  const int n = static_cast<int>(pts->GetSize());
  // One point or none make no chain: no vertices at all, never a count without a buffer.
  if (n < 2) return 0;
  AllocSWMem(n);
  for (int i = 0; i < n; ++i) {
    m_pSWPoint[i][0] = (*pts)[i].x;
    m_pSWPoint[i][1] = (*pts)[i].y;
    BOX2D_Extend(&m_box, m_pSWPoint[i]);
  }
  return 1;
}

void CGePolyline::SetPoint(int i, const double p[2]) {
  if (!m_pSWPoint || i < 0 || i >= m_nSWPoint) return;
  m_pSWPoint[i][0] = p[0];
  m_pSWPoint[i][1] = p[1];
}

void CGePolyline::GetPoint(int i, double p[2]) {
  if (!m_pSWPoint || i < 0 || i >= m_nSWPoint) return;
  p[0] = m_pSWPoint[i][0];
  p[1] = m_pSWPoint[i][1];
}

void CGePolyline::GetPoint(int i, Position& p) {
  if (!m_pSWPoint || i < 0 || i >= m_nSWPoint) return;
  p.Set2(m_pSWPoint[i]);
}

void CGePolyline::GetStartPoint(double p[2]) { GetPoint(0, p); }

void CGePolyline::GetEndPoint(double p[2]) { GetPoint(m_nSWPoint - 1, p); }

void CGePolyline::ModifyStartPoint(const double p[2]) {
  if (!m_pSWPoint || m_nSWPoint < 1) return;
  SetPoint(0, p);
  CalcBox2d();
}

void CGePolyline::ModifyEndPoint(const double p[2]) {
  if (!m_pSWPoint || m_nSWPoint < 1) return;
  SetPoint(m_nSWPoint - 1, p);
  CalcBox2d();
}

CGePolyline* CGePolyline::ToPolyline(unsigned first, unsigned last) {
  if (!m_pSWPoint || !(first < last) || last >= static_cast<unsigned>(m_nSWPoint)) return nullptr;
  auto* piece = new CGePolyline;
  piece->Create(static_cast<int>(last - first + 1), m_pSWPoint + first);
  return piece;
}

CGeCombCurve* CGePolyline::ToBezier(unsigned seg) {
  if (!HasSegment(seg)) return nullptr;
  auto* comb = new CGeCombCurve;
  comb->m_nClosed = m_nClosed;
  if (seg >= 2) comb->AddTail(ToPolyline(0, seg - 1), 0);
  comb->AddTail(geGenBezierFrmLine(m_pSWPoint[seg - 1], m_pSWPoint[seg]), 0);
  if (static_cast<int>(seg) < m_nSWPoint - 1)
    comb->AddTail(ToPolyline(seg, static_cast<unsigned>(m_nSWPoint - 1)), 0);
  return comb;
}

// ---- evaluation ----

int CGePolyline::GetSegmentCount() { return m_nSWPoint > 0 ? m_nSWPoint - 1 : 0; }

bool CGePolyline::HasSegment(unsigned seg) const {
  return m_pSWPoint && seg >= 1 && static_cast<int>(seg) < m_nSWPoint;
}

void CGePolyline::GetPointAt(double t, double p[2], unsigned seg) {
  if (HasSegment(seg)) L2D_GetPnt(m_pSWPoint[seg - 1], m_pSWPoint[seg], t, p);
}

void CGePolyline::EvPos(double t, double p[2], unsigned seg) { GetPointAt(t, p, seg); }

void CGePolyline::GetTanVecAt(double, double v[2], unsigned seg) {
  if (!HasSegment(seg)) return;
  const int i = static_cast<int>(seg);
  const double(*q)[2] = m_pSWPoint;
  v[0] = q[i][0] - q[i - 1][0];
  v[1] = q[i][1] - q[i - 1][1];
  if (std::hypot(v[0], v[1]) >= 1e-6) return;
  // A zero-length segment borrows the direction of its neighbourhood.
  if (i + 1 < m_nSWPoint) {
    v[0] = q[i + 1][0] - q[i - 1][0];
    v[1] = q[i + 1][1] - q[i - 1][1];
  } else if (i >= 2) {
    v[0] = q[i - 1][0] - q[i - 2][0];
    v[1] = q[i - 1][1] - q[i - 2][1];
  }
}

void CGePolyline::Ev1Der(double t, double p[2], double d1[2], unsigned seg) {
  if (!HasSegment(seg)) return;
  GetTanVecAt(t, d1, seg);
  p[0] = m_pSWPoint[seg - 1][0] + t * d1[0];
  p[1] = m_pSWPoint[seg - 1][1] + t * d1[1];
}

void CGePolyline::Ev2Der(double t, double p[2], double d1[2], double d2[2], unsigned seg) {
  if (!HasSegment(seg)) return;
  Ev1Der(t, p, d1, seg);
  d2[0] = 0.0;
  d2[1] = 0.0;
}

int CGePolyline::GetPointEx(double t, double p[2]) {
  if (!m_pSWPoint || m_nSWPoint < 2) return 0;
  const double c = (m_nSWPoint - 1) * t;
  const double k = std::trunc(c);
  if (k >= m_nSWPoint - 1)
    GetEndPoint(p);
  else if (k >= 0.0)
    GetPointAt(c - k, p, static_cast<unsigned>(k) + 1);
  return 1;
}

int CGePolyline::GetNearestPoint(const double pt[2], double nearPt[2], double& t, unsigned& seg,
                                 double& dist) {
  if (!m_pSWPoint || m_nSWPoint < 2) return 0;
  int s = 0;
  if (SP2D_PrjPnt(m_pSWPoint, m_nSWPoint, pt, nearPt, t, s)) {
    seg = static_cast<unsigned>(s);
  } else {
    NearerEnd(pt, m_pSWPoint[0], m_pSWPoint[m_nSWPoint - 1], nearPt, t, dist);
    seg = t == 0.0 ? 1u : static_cast<unsigned>(m_nSWPoint - 1);
  }
  dist = Dist(pt, nearPt);
  return 1;
}

int CGePolyline::IsClosed(double tol) {
  if (!m_pSWPoint || m_nSWPoint < 2) return 0;
  return Dist(m_pSWPoint[0], m_pSWPoint[m_nSWPoint - 1]) < tol ? 1 : 0;
}

// ---- lengths ----

double CGePolyline::EvArcLength(double t1, unsigned i1, double t2, unsigned i2) {
  if (!HasSegment(i1) || !HasSegment(i2) || i2 < i1) return 0.0;
  double a[2], b[2];
  GetPointAt(t1, a, i1);
  GetPointAt(t2, b, i2);
  if (i1 == i2) return Dist(a, b);
  double len = Dist(a, m_pSWPoint[i1]);
  for (unsigned i = i1 + 1; i < i2; ++i) len += Dist(m_pSWPoint[i - 1], m_pSWPoint[i]);
  return len + Dist(m_pSWPoint[i2 - 1], b);
}

double CGePolyline::EvArcLength(double t1, double t2, unsigned seg) {
  return EvArcLength(t1, 1, t2, seg);
}

double CGePolyline::EvTotalArcLength() {
  return EvArcLength(0.0, 1, 1.0, static_cast<unsigned>(std::max(m_nSWPoint - 1, 0)));
}

int CGePolyline::IsLongerThan(double length) {
  double len = 0.0;
  for (int i = 1; i < m_nSWPoint; ++i) {
    len += Dist(m_pSWPoint[i - 1], m_pSWPoint[i]);
    if (len > length) return 1;
  }
  return length < len ? 1 : 0;
}

int CGePolyline::EvParam(double length, double& t, unsigned& seg) {
  double len = length;
  if (!geWrapArcLength(len, EvTotalArcLength(), IsClosed(0.01) != 0)) return 0;
  // A length before the start means the start, as on every other curve.
  if (len < 0.0) len = 0.0;
  double run = 0.0;
  for (int i = 1; i < m_nSWPoint; ++i) {
    const double d = Dist(m_pSWPoint[i - 1], m_pSWPoint[i]);
    if (len >= run && run + d > len - kLengthSlack) {
      t = std::fabs(run + d - len) <= kLengthSlack ? 1.0 : (len - run) / d;
      seg = static_cast<unsigned>(i);
      return 1;
    }
    run += d;
  }
  // No segment (or no usable length): nothing was found, so say so.
  return 0;
}

// ---- discretisation: the vertices are the buffer ----

void CGePolyline::Discrete(double tol, CPoint2dArray* pts, double ang, bool refine) {
  if (!pts || !m_pSWPoint || m_nSWPoint < 2) return;
  for (int i = 0; i < m_nSWPoint; ++i) {
    tagPoint2d p;
    p.x = static_cast<float>(m_pSWPoint[i][0]);
    p.y = static_cast<float>(m_pSWPoint[i][1]);
    pts->Add(p);
  }
  if (refine) RefinePointStr(tol, ang, *pts);
}

void CGePolyline::Discrete(double, double) {}

void CGePolyline::Discrete(double) {}

int CGePolyline::GetDiscStep(double, double& step) {
  step = m_nSWPoint <= 0 ? 1.0 : 1.0 / m_nSWPoint;
  return 1;
}

// ---- editing ----

void CGePolyline::FilterRepeatPoint(double tol) {
  if (!m_pSWPoint || m_nSWPoint <= 2) return;
  Points kept;
  for (int i = 0; i < m_nSWPoint; ++i) {
    // Of a run of near-coincident vertices only the last stays.
    if (i + 1 < m_nSWPoint && Dist(m_pSWPoint[i], m_pSWPoint[i + 1]) <= tol) continue;
    kept.push_back({m_pSWPoint[i][0], m_pSWPoint[i][1]});
  }
  Create(static_cast<int>(kept.size()), Data(kept));
}

void CGePolyline::Lean(double tol) {
  // A single vertex would not survive the round trip through the point-string form.
  if (!m_pSWPoint || m_nSWPoint < 2) return;
  CPoint2dArray pts;
  for (int i = 0; i < m_nSWPoint; ++i) {
    tagPoint2d p;
    p.x = static_cast<float>(m_pSWPoint[i][0]);
    p.y = static_cast<float>(m_pSWPoint[i][1]);
    pts.Add(p);
  }
  RefinePointStr(tol, kLeanAngle, pts);
  Create(&pts);
}

void CGePolyline::DelMainNode(unsigned i) {
  const int n = m_nSWPoint;
  if (!m_pSWPoint || n < 3 || static_cast<int>(i) >= n) return;
  if (IsClosed(0.01)) {
    if (i == 0 || static_cast<int>(i) == n - 1) return;
    if (n == 4) {
      // A closed triangle loses a corner: what stays is the edge between the other two.
      const double pts[2][2] = {{m_pSWPoint[0][0], m_pSWPoint[0][1]},
                                {m_pSWPoint[i == 1 ? 2 : 1][0], m_pSWPoint[i == 1 ? 2 : 1][1]}};
      Create(2, pts);
      m_nClosed = 0;
      return;
    }
  }
  Points kept;
  for (int k = 0; k < n; ++k)
    if (k != static_cast<int>(i)) kept.push_back({m_pSWPoint[k][0], m_pSWPoint[k][1]});
  Create(static_cast<int>(kept.size()), Data(kept));
}

void CGePolyline::DelMainNode(const unsigned* list, int m) {
  const int n = m_nSWPoint;
  if (!m_pSWPoint || n < 3 || !list || m < 0 || m >= n - 1) return;
  const auto listed = [&](int idx) {
    return std::find(list, list + m, static_cast<unsigned>(idx)) != list + m;
  };
  const bool closeAgain = IsClosed(0.01) && listed(0) && listed(n - 1);
  Points kept;
  for (int k = 0; k < n; ++k)
    if (!listed(k)) kept.push_back({m_pSWPoint[k][0], m_pSWPoint[k][1]});
  if (closeAgain && !kept.empty() && kept.size() != 2) kept.push_back(kept.front());
  Create(static_cast<int>(kept.size()), Data(kept));
}

void CGePolyline::SplitInNode(const int* idx, int m, CGeCurveList* list) {
  if (!list || !m_pSWPoint || m_nSWPoint <= 0) return;
  const auto emit = [&](int from, int to) {
    if (to - from + 1 <= 1) return;
    auto* piece = new CGePolyline;
    piece->Create(to - from + 1, m_pSWPoint + from);
    list->AddTail(piece);
  };
  int prev = 0;
  for (int k = 0; idx && k < m; ++k) {
    const int cut = idx[k];
    // Zeros, repeats and indices past the end cut nothing.
    if (cut <= prev || cut >= m_nSWPoint) continue;
    emit(prev, cut);
    prev = cut;
  }
  emit(prev, m_nSWPoint - 1);
}

void CGePolyline::Split(double t, CGeCurve* out[2], int seg, int) {
  out[0] = nullptr;
  out[1] = nullptr;
  const int n = m_nSWPoint;
  if (!m_pSWPoint || seg < 1 || seg > n - 1 || !(t >= -1e-6 && t <= 1.000001)) return;
  if ((t < 1e-6 && seg == 1) || (t > 0.999999 && seg == n - 1)) return;
  double cut[2];
  L2D_GetPnt(m_pSWPoint[seg - 1], m_pSWPoint[seg], t, cut);
  Points first, second;
  for (int k = 0; k < seg; ++k) first.push_back({m_pSWPoint[k][0], m_pSWPoint[k][1]});
  if (t > 1e-6) first.push_back({cut[0], cut[1]});
  if (t < 0.999999) second.push_back({cut[0], cut[1]});
  for (int k = seg; k < n; ++k) second.push_back({m_pSWPoint[k][0], m_pSWPoint[k][1]});
  const auto make = [](const Points& pts) -> CGeCurve* {
    if (pts.size() < 2) return nullptr;
    auto* piece = new CGePolyline;
    if (!piece->Create(static_cast<int>(pts.size()), Data(pts))) {
      delete piece;
      return nullptr;
    }
    piece->Lean(1e-6);
    return piece;
  };
  out[0] = make(first);
  out[1] = make(second);
}

void CGePolyline::BiArcAppx(double tol, CGeCurveList* list) {
  if (m_pSWPoint) geBiarcsToList(m_pSWPoint, m_nSWPoint, tol, list);
}

// ---- drawing, picking and snapping ----

void CGePolyline::DrawNode(CDC* pDC, int bStart, int bEnd) {
  if (!gGetVurode() || !pDC || !m_pSWPoint) return;
  const bool skipLast = IsClosed(0.01) || !bEnd;
  for (int i = 0; i < m_nSWPoint; ++i) {
    if (i == m_nSWPoint - 1 && skipLast) break;
    // The start marker is the base's circle; every other vertex gets its square.
    if (i == 0)
      DrawEndNodes(pDC, m_pSWPoint[0], m_pSWPoint[0], bStart, 0);
    else
      DrawEndNodes(pDC, m_pSWPoint[i], m_pSWPoint[i], 0, 1);
  }
}

// 2D picks and hits are the base's; in 3D a pick must beat the ray's best distance, and a
// hit records where it met the chain.
int CGePolyline::Pick(CPickRay& ray, int filter) {
  if (ray.m_b2D) return CGeCurve::Pick(ray, filter);
  if (filter && !(GetType() & ray.m_nTypeMask)) return 0;
  if (!m_pSWPoint || m_nSWPoint < 2) return 0;
  double d = 0.0, t = 0.0;
  int index = 0;
  if (!SP2D_Pick3d(m_pSWPoint, m_nSWPoint, ray.m_ptOrigin, ray.m_vDir, ray.m_dRadius, d, t, index))
    return 0;
  if (!(d < ray.m_dDist3D)) return 0;
  ray.m_dDist3D = d;
  ray.m_dParam = t;
  return 1;
}

int CGePolyline::Hit(CPickRay& ray, CGeHitResult& result) {
  if (ray.m_b2D) return CGeCurve::Hit(ray, result);
  if (!(GetType() & ray.m_nTypeMask)) return 0;
  if (!m_pSWPoint || m_nSWPoint < 2) return 0;
  double d = 0.0, t = 0.0;
  int index = 0;
  if (!SP2D_Pick3d(m_pSWPoint, m_nSWPoint, ray.m_ptOrigin, ray.m_vDir, ray.m_dRadius, d, t, index))
    return 0;
  if (!HasSegment(static_cast<unsigned>(index))) return 0;
  result.m_pCurve = this;
  result.m_nSeg = index;
  result.m_dT = t;
  GetPointAt(t, result.m_ptHit, static_cast<unsigned>(index));
  ray.m_dDist3D = d;
  ray.m_dParam = t;
  return 1;
}

int CGePolyline::GetSnapPos(CSnapAt* snap, CSnapResult& result) {
  if (!snap || !snap->m_pKXGlobal || !snap->m_pVurode || !m_pSWPoint) return 0;
  const int before = result.GetSize();
  const int mask = snap->m_nMask;
  const double c[2] = {snap->m_pos.x, snap->m_pos.y};
  double ref[2];
  const bool hasRef = snap->GetRefPoint(ref);
  // Offers a point within the snap distance (true: the search ends) or, with the alignment
  // flag, one aligned with the cursor.
  const auto offer = [&](const double q[2], void (CSnapResult::*push)(const double*, DBIUnknown*)) {
    if (snap->IsWithin(q)) {
      (result.*push)(q, nullptr);
      return true;
    }
    if (snap->m_bAlign && snap->IsAligned(q)) (result.*push)(q, nullptr);
    return false;
  };
  for (int i = 1; i < m_nSWPoint; ++i) {
    const double* a = m_pSWPoint[i - 1];
    const double* b = m_pSWPoint[i];
    if (mask & SNAP_END) {
      if (i == 1 && offer(a, &CSnapResult::PushBackEnd)) break;
      if (offer(b, &CSnapResult::PushBackEnd)) break;
    }
    if (mask & SNAP_MID) {
      const double mid[2] = {0.5 * (a[0] + b[0]), 0.5 * (a[1] + b[1])};
      if (offer(mid, &CSnapResult::PushBackMid)) break;
    }
    double foot[2];
    if ((mask & SNAP_PERP) && hasRef && L2D_PrjPntEx(a, b, ref, foot)) {
      const double u = L2D_GetParam(a, b, foot);
      if (u >= 0.0 && u <= 1.0 && snap->IsWithin(foot)) {
        result.PushBackPerp(foot);
        break;
      }
    }
    if ((mask & SNAP_NEAR) && L2D_PrjPntEx(a, b, c, foot)) {
      const double u = L2D_GetParam(a, b, foot);
      if (u >= 0.0 && u <= 1.0 && snap->IsWithin(foot)) {
        result.PushBackNear(foot);
        break;
      }
    }
  }
  return result.GetSize() > before ? 1 : 0;
}
