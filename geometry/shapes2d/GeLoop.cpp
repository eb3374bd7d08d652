#include "geometry/shapes2d/GeLoop.h"

#include <algorithm>
#include <cmath>
#include <numeric>
#include <vector>

#include "geometry/shapes2d/GeArc.h"
#include "geometry/shapes2d/GeLine.h"
#include "geometry/shapes2d/GePolyline.h"
#include "geometry/shapes2d/ShapeListUtil.h"
#include "geometry/tools/BezierToArc.h"

IMPLEMENT_SERIAL(CGeLoop, CGeCombCurve, GE_SCHEMA_2D)

namespace {

constexpr double kNoValue = 1e12;
constexpr double kSmoothNode = 2.8797932657906933;  // 165 degrees
constexpr double kArcLimit = 3.141492653589793;     // pi - 0.0001

double Dist(const double a[2], const double b[2]) { return std::hypot(a[0] - b[0], a[1] - b[1]); }

}  // namespace

CGeLoop::CGeLoop() : m_dArea(0.0), m_dValue2(0.0), m_bReversed(false), m_nFlags(kInitial) {}

CGeLoop::~CGeLoop() { Clear(); }

void CGeLoop::Serialize(CArchive& ar) {
  CGeCombCurve::Serialize(ar);
  if (ar.IsStoring()) {
    ar << static_cast<int>(m_nFlags);
  } else {
    int flags = 0;
    ar >> flags;
    m_nFlags = flags;
  }
}

int CGeLoop::GetType() const { return GE_TYPE_LOOP; }

CGeLoop* CGeLoop::Copy() {
  auto* copy = new CGeLoop;
  copy->m_nFlags = m_nFlags;
  copy->m_dArea = m_dArea;
  copy->m_dValue2 = m_dValue2;
  copy->m_nClosed = m_nClosed;
  copy->CopySWPoint(m_pSWPoint, m_nSWPoint);
  for (POSITION pos = m_CurveList.GetHeadPosition(); pos;) {
    CGeCurve* c = m_CurveList.GetNext(pos);
    if (!c) continue;
    if (CGeCurve* cc = c->Copy()) copy->m_CurveList.AddTail(cc);
  }
  copy->CalcBox2d();
  copy->m_box = m_box;
  return copy;
}

void CGeLoop::Clear() {
  for (POSITION pos = m_CurveList.GetHeadPosition(); pos;) delete m_CurveList.GetNext(pos);
  m_CurveList.RemoveAll();
}

// ---- orientation and area ----

void CGeLoop::Reverse() { Reverse(true); }

void CGeLoop::Reverse(bool reverseBuffer) {
  CGeCurveList reversed(10);
  while (!m_CurveList.IsEmpty()) {
    CGeCurve* c = m_CurveList.RemoveTail();
    if (!c) continue;
    c->Reverse();
    reversed.AddTail(c);
  }
  while (!reversed.IsEmpty()) m_CurveList.AddTail(reversed.RemoveHead());
  if (reverseBuffer) CGeCurve::Reverse();
  m_dArea = -m_dArea;
  m_bReversed = !m_bReversed;
}

int CGeLoop::IsLoop(double tol) {
  if (m_CurveList.IsEmpty()) return 0;
  return geIsLoopCurve2d(&m_CurveList, tol);
}

double CGeLoop::EvArea(double tol) {
  if (m_CurveList.IsEmpty()) return kNoValue;
  m_dArea = kNoValue;
  if (!m_pSWPoint || m_nSWPoint <= 0) Discrete(tol);
  if (IsLoop(tol)) m_dArea = SP2D_EvArea(m_pSWPoint, m_nSWPoint);
  return m_dArea;
}

double CGeLoop::Orient(double tol) {
  if (m_CurveList.IsEmpty()) return 0.0;
  if (!m_pSWPoint || m_nSWPoint <= 0) Discrete(tol);
  return SP2D_Orient(m_pSWPoint, m_nSWPoint);
}

void CGeLoop::GetMidPoint(double out[2]) {
  if (!m_pSWPoint || m_nSWPoint <= 0) Discrete(gGetCurveDicTol());
  if (!m_pSWPoint || m_nSWPoint <= 0) return;  // nothing to discretise
  const int i = m_nSWPoint / 2;
  out[0] = m_pSWPoint[i][0];
  out[1] = m_pSWPoint[i][1];
}

// ---- containment ----

int CGeLoop::IsPtInLoop(const double pt[2], double tol) {
  if (!m_pSWPoint || m_nSWPoint <= 0) Discrete(tol);
  if (!BOX2D_IsPtIn(&m_box, pt, tol)) return 1;
  const int n = m_nSWPoint;
  const double px = pt[0], py = pt[1];
  int count = 0;
  for (int i = 0; i < n; ++i) {
    const double* a = m_pSWPoint[i];
    const double* b = m_pSWPoint[i + 1 < n ? i + 1 : 0];
    const double dy0 = a[1] - py;
    const double dy1 = b[1] - py;
    if ((dy0 > tol && -dy1 > tol) || (dy1 > tol && -dy0 > tol)) {
      const double xint = a[0] + (b[0] - a[0]) * (py - a[1]) / (b[1] - a[1]);
      if (xint - px > tol)
        ++count;
      else if (std::fabs(xint - px) < tol)
        return 2;
    } else if (std::fabs(dy1) < tol) {
      // A vertex on the ray counts only through the edge whose other end lies above it.
      if (std::fabs(dy0) < tol &&
          ((b[0] - px > -tol && px - a[0] > -tol) || (a[0] - px > -tol && px - b[0] > -tol)))
        return 2;
      if (std::fabs(b[0] - px) < tol) return 2;
      if (b[0] - px > tol && dy0 > tol) ++count;
    } else if (std::fabs(dy0) < tol) {
      if (std::fabs(a[0] - px) < tol) return 2;
      if (a[0] - px > tol && dy1 > tol) ++count;
    }
  }
  return (count % 2) ? 0 : 1;
}

bool CGeLoop::IsContainLoop(CGeLoop* other, double tol) {
  if (!other) return false;
  if (!m_pSWPoint || m_nSWPoint <= 0) Discrete(tol);
  if (!other->m_pSWPoint || other->m_nSWPoint <= 0) other->Discrete(tol);
  // Loops without points contain nothing and lie nowhere.
  if (m_nSWPoint <= 0 || other->m_nSWPoint <= 0) return false;
  if (!BOX2D_IsContain(&m_box, &other->m_box, tol)) return false;
  const int n = other->m_nSWPoint;
  int probes[3] = {0, (2 * n) / 3, n / 3};
  const int count = probes[2] != probes[1] ? 3 : 2;
  for (int k = 0; k < count; ++k)
    if (IsPtInLoop(other->m_pSWPoint[probes[k]], tol) == 1) return false;
  return true;
}

namespace {

double Orient2(const double a[2], const double b[2], const double c[2]) {
  return (b[0] - a[0]) * (c[1] - a[1]) - (b[1] - a[1]) * (c[0] - a[0]);
}

int Sign(double v) { return (v > 0.0) - (v < 0.0); }

// c lies on the segment ab, given that the three are collinear.
bool OnSegment(const double a[2], const double b[2], const double c[2]) {
  return std::min(a[0], b[0]) <= c[0] && c[0] <= std::max(a[0], b[0]) &&
         std::min(a[1], b[1]) <= c[1] && c[1] <= std::max(a[1], b[1]);
}

// Closed segments ab and cd share at least one point.
bool SegmentsMeet(const double a[2], const double b[2], const double c[2], const double d[2]) {
  const int o1 = Sign(Orient2(a, b, c)), o2 = Sign(Orient2(a, b, d));
  const int o3 = Sign(Orient2(c, d, a)), o4 = Sign(Orient2(c, d, b));
  if (o1 != o2 && o3 != o4) return true;
  return (o1 == 0 && OnSegment(a, b, c)) || (o2 == 0 && OnSegment(a, b, d)) ||
         (o3 == 0 && OnSegment(c, d, a)) || (o4 == 0 && OnSegment(c, d, b));
}

}  // namespace

// A direct test of the contract: no two non-adjacent edges meet, and no two adjacent edges
// fold back over each other. Edges are swept in order of their left end so that only
// edges whose x ranges overlap are compared.
int CGeLoop::IsSimplePolygon() {
  if (!IsLoop(0.01)) return 0;
  if (!m_pSWPoint || m_nSWPoint <= 0) Discrete(0.01);
  std::vector<const double*> v;
  v.reserve(static_cast<size_t>(std::max(m_nSWPoint, 0)));
  for (int i = 0; i < m_nSWPoint; ++i) {
    const double* p = m_pSWPoint[i];
    if (!v.empty() && p[0] == v.back()[0] && p[1] == v.back()[1]) continue;
    v.push_back(p);
  }
  while (v.size() > 1 && v.front()[0] == v.back()[0] && v.front()[1] == v.back()[1]) v.pop_back();
  const size_t m = v.size();
  if (m < 3) return 0;
  auto from = [&](size_t e) { return v[e]; };
  auto to = [&](size_t e) { return v[e + 1 < m ? e + 1 : 0]; };
  // Adjacent edges meet at their shared vertex; they fold back when the far end of the
  // second lies on the line of the first and points back along it.
  for (size_t e = 0; e < m; ++e) {
    const double* a = from(e);
    const double* b = to(e);
    const double* c = to((e + 1) % m);
    if (Orient2(a, b, c) == 0.0 &&
        (a[0] - b[0]) * (c[0] - b[0]) + (a[1] - b[1]) * (c[1] - b[1]) > 0.0)
      return 0;
  }
  std::vector<size_t> order(m);
  std::iota(order.begin(), order.end(), 0);
  auto xmin = [&](size_t e) { return std::min(from(e)[0], to(e)[0]); };
  std::sort(order.begin(), order.end(), [&](size_t a, size_t b) { return xmin(a) < xmin(b); });
  for (size_t k = 0; k < m; ++k) {
    const size_t e = order[k];
    const double* a = from(e);
    const double* b = to(e);
    const double xmax = std::max(a[0], b[0]);
    const double ylo = std::min(a[1], b[1]), yhi = std::max(a[1], b[1]);
    for (size_t j = k + 1; j < m && xmin(order[j]) <= xmax; ++j) {
      const size_t f = order[j];
      const size_t gap = e > f ? e - f : f - e;
      if (gap == 1 || gap == m - 1) continue;  // adjacent: checked above
      const double* c = from(f);
      const double* d = to(f);
      if (std::max(c[1], d[1]) < ylo || std::min(c[1], d[1]) > yhi) continue;
      if (SegmentsMeet(a, b, c, d)) return 0;
    }
  }
  return 1;
}

// ---- start point ----

int CGeLoop::AdjustStartPointToOuterNode(int turn) {
  if (!IsClosed(0.01)) return 0;
  double s0[2] = {0.0, 0.0};
  GetStartPoint(s0);
  int limit = 1;
  for (POSITION pos = m_CurveList.GetHeadPosition(); pos;)
    if (CGeCurve* c = m_CurveList.GetNext(pos)) limit += c->GetSegmentCount();
  for (int i = 0; i <= limit; ++i) {
    if (m_CurveList.IsEmpty()) return 0;
    double s[2] = {0.0, 0.0};
    GetStartPoint(s);
    if (i >= 1 && Dist(s, s0) < 0.01) {
      // Full circle without a suitable node: start in the middle of the head instead. The
      // head's second half leads and its first half closes the chain.
      CGeCurve* head = m_CurveList.GetHead();
      if (!head) return 0;
      CGeCurve* pieces[2] = {nullptr, nullptr};
      head->Split(0.5, pieces, head->GetSegmentCount(), 1);
      if (pieces[0] && pieces[1]) {
        m_CurveList.RemoveHead();
        pieces[0]->CalcBox2d();
        pieces[1]->CalcBox2d();
        m_CurveList.AddHead(pieces[1]);
        m_CurveList.AddTail(pieces[0]);
        delete head;
        return 1;
      }
      delete pieces[0];
      delete pieces[1];
    }
    double ts[2] = {0.0, 0.0}, te[2] = {0.0, 0.0};
    GetStartTan(ts);
    GetEndTan(te);
    V2D_Unit(ts, 1e-6);
    V2D_Unit(te, 1e-6);
    const double nv[2] = {-te[0], -te[1]};
    if (V2D_GetAngleUnit(ts, nv) > kSmoothNode) return 1;
    const double c = ts[0] * nv[1] - ts[1] * nv[0];
    if (turn == 1) {
      if (!(c < 0.0)) return 1;
    } else if (turn == 0) {
      if (!(c > 0.0)) return 1;
    } else {
      return 1;
    }
    CGeCurve* head = m_CurveList.GetHead();
    if (!head) return 0;
    const int type = head->GetType();
    if (type == GE_TYPE_LINE || type == GE_TYPE_ARC ||
        (type == GE_TYPE_POLYLINE && head->m_nSWPoint == 2)) {
      m_CurveList.AddTail(m_CurveList.RemoveHead());
    } else if (type == GE_TYPE_POLYLINE && head->m_nSWPoint > 2) {
      // The polyline gives up its first segment to the tail and stays at the head.
      auto* poly = static_cast<CGePolyline*>(head);
      m_CurveList.AddTail(new CGeLine(poly->m_pSWPoint[0], poly->m_pSWPoint[1]));
      poly->Create(poly->m_nSWPoint - 1, poly->m_pSWPoint + 1);
    }
  }
  return 1;
}

void CGeLoop::Reorder(POSITION chosen, CGeCurve* head, CGeCurve* tail) {
  CGeCurveList order(10);
  POSITION pos = chosen;
  m_CurveList.GetNext(pos);
  while (pos) order.AddTail(m_CurveList.GetNext(pos));
  for (pos = m_CurveList.GetHeadPosition(); pos && pos != chosen;)
    order.AddTail(m_CurveList.GetNext(pos));
  CGeCurve* old = m_CurveList.GetAt(chosen);
  m_CurveList.RemoveAll();
  if (head) m_CurveList.AddTail(head);
  while (!order.IsEmpty()) m_CurveList.AddTail(order.RemoveHead());
  if (tail) m_CurveList.AddTail(tail);
  if (old != head && old != tail) delete old;
  SeperateComCurve();
}

int CGeLoop::AdjustStartPoint(const double pt[2]) {
  if (m_CurveList.IsEmpty()) return 0;
  POSITION chosen = nullptr;
  double best = kNoValue, bestT = 0.0, bestFoot[2] = {0.0, 0.0};
  unsigned bestSeg = 0;
  for (POSITION pos = m_CurveList.GetHeadPosition(); pos;) {
    const POSITION at = pos;
    CGeCurve* c = m_CurveList.GetNext(pos);
    if (!c) continue;
    double foot[2], t = 0.0, d = kNoValue;
    unsigned seg = 0;
    c->GetNearestPoint(pt, foot, t, seg, d);
    if (d < best) {
      best = d;
      bestT = t;
      bestSeg = seg;
      bestFoot[0] = foot[0];
      bestFoot[1] = foot[1];
      chosen = at;
    }
  }
  if (!chosen) return 0;
  CGeCurve* c = m_CurveList.GetAt(chosen);
  double s[2] = {0.0, 0.0}, e[2] = {0.0, 0.0};
  c->GetStartPoint(s);
  c->GetEndPoint(e);
  CGeCurve* head = nullptr;
  CGeCurve* tail = nullptr;
  if (Dist(bestFoot, s) < 0.01) {
    head = c;
  } else if (Dist(bestFoot, e) < 0.01) {
    tail = c;
  } else {
    CGeCurve* pieces[2] = {nullptr, nullptr};
    c->Split(bestT, pieces, static_cast<int>(bestSeg), 1);
    tail = pieces[0];
    head = pieces[1];
  }
  if (!head && !tail) return 0;
  Reorder(chosen, head, tail);
  return 1;
}

int CGeLoop::AdjustStartPoint(double t, unsigned seg, unsigned index) {
  POSITION chosen = nullptr;
  unsigned k = 0;
  for (POSITION pos = m_CurveList.GetHeadPosition(); pos;) {
    const POSITION at = pos;
    if (m_CurveList.GetNext(pos) && ++k == index) {
      chosen = at;
      break;
    }
  }
  if (!chosen) return 0;
  CGeCurve* pieces[2] = {nullptr, nullptr};
  m_CurveList.GetAt(chosen)->Split(t, pieces, static_cast<int>(seg), 1);
  if (!pieces[0] && !pieces[1]) return 0;
  Reorder(chosen, pieces[1], pieces[0]);
  return 1;
}

// ---- member splitting and simplification ----

void CGeLoop::SeperateComCurve() {
  CGeCurveList all(10);
  while (!m_CurveList.IsEmpty()) all.AddTail(m_CurveList.RemoveHead());
  while (!all.IsEmpty()) {
    CGeCurve* c = all.RemoveHead();
    if (!c) continue;
    // An empty composite is neither taken nor freed by AddTail.
    if (c->GetType() == GE_TYPE_COMBCURVE && static_cast<CGeCombCurve*>(c)->m_CurveList.IsEmpty())
      delete c;
    else
      CGeCombCurve::AddTail(c, 0);
  }
  CalcBox2d();
}

void CGeLoop::SeperatePolyline() {
  CGeCurveList all(10);
  while (!m_CurveList.IsEmpty()) all.AddTail(m_CurveList.RemoveHead());
  while (!all.IsEmpty()) {
    CGeCurve* c = all.RemoveHead();
    if (!c) continue;
    if (c->GetType() != GE_TYPE_POLYLINE) {
      CGeCombCurve::AddTail(c, 1);
      continue;
    }
    for (int i = 0; i + 1 < c->m_nSWPoint; ++i) {
      const double* a = c->m_pSWPoint[i];
      const double* b = c->m_pSWPoint[i + 1];
      if (Dist(a, b) >= 1e-6) m_CurveList.AddTail(new CGeLine(a, b));
    }
    delete c;
  }
  CalcBox2d();
}

void CGeLoop::ReplaceSmallArcs(bool viaApex) {
  for (POSITION pos = m_CurveList.GetHeadPosition(); pos;) {
    const POSITION at = pos;
    CGeCurve* c = m_CurveList.GetNext(pos);
    if (!c || c->GetType() != GE_TYPE_ARC) continue;
    auto* arc = static_cast<CGeArc*>(c);
    if (!(std::fabs(arc->m_dSweep) < kArcLimit)) continue;
    double s[2], e[2];
    arc->GetStartPoint(s);
    arc->GetEndPoint(e);
    if (!viaApex) {
      m_CurveList.SetAt(at, new CGeLine(s, e));
    } else {
      // The end tangents meet on the bisector at r / |cos(sweep / 2)| from the centre.
      const double* o = arc->m_ptCenter;
      double u[2] = {(s[0] - o[0]) + (e[0] - o[0]), (s[1] - o[1]) + (e[1] - o[1])};
      V2D_Unit(u, 1e-6);
      const double reach = arc->m_dRadius / std::fabs(std::cos(arc->m_dSweep / 2.0));
      const double apex[2] = {o[0] + u[0] * reach, o[1] + u[1] * reach};
      m_CurveList.SetAt(at, new CGeLine(s, apex));
      m_CurveList.InsertAfter(at, new CGeLine(apex, e));
    }
    delete arc;
  }
}

void CGeLoop::ArctoLine() { ReplaceSmallArcs(false); }

void CGeLoop::ArctoExtendLine() { ReplaceSmallArcs(true); }

void CGeLoop::Stitch(double tol) {
  if (m_CurveList.IsEmpty()) return;
  CGeCurve* first = nullptr;
  CGeCurve* prev = nullptr;
  for (POSITION pos = m_CurveList.GetHeadPosition(); pos;) {
    CGeCurve* c = m_CurveList.GetNext(pos);
    if (!c) continue;
    if (!first) {
      first = prev = c;
      continue;
    }
    double pe[2] = {0.0, 0.0}, s[2] = {0.0, 0.0};
    prev->GetEndPoint(pe);
    c->GetStartPoint(s);
    if (Dist(pe, s) > tol) {
      if (prev->GetType() == GE_TYPE_LINE)
        prev->ModifyEndPoint(s);
      else
        c->ModifyStartPoint(pe);
    }
    prev = c;
  }
  if (!first || prev == first) return;
  double e[2] = {0.0, 0.0}, f[2] = {0.0, 0.0};
  prev->GetEndPoint(e);
  first->GetStartPoint(f);
  const double d = Dist(e, f);
  if (!(tol < d && d < 0.01)) return;
  if (first->GetType() == GE_TYPE_LINE)
    first->ModifyStartPoint(e);
  else if (prev->GetType() == GE_TYPE_LINE)
    prev->ModifyEndPoint(f);
}

void CGeLoop::Lean(double tol, double tol2) {
  LeanRuns(tol, tol2, true);
  // The arc merge takes its tolerance in single precision.
  MergeConcentricArc(&m_CurveList, static_cast<float>(10.0f * static_cast<float>(tol)));
}
