#include "geometry/shapes2d/GeBezier.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <numbers>
#include <vector>

#include "geometry/shapes2d/GeCombCurve.h"
#include "geometry/shapes2d/SnapAt.h"
#include "geometry/tools/CurveFit.h"
#include "geometry/tools/ConvertEditor.h"

IMPLEMENT_SERIAL(CGeBezier, CObject, GE_SCHEMA_2D)

namespace {

constexpr double kNoValue = 1e12;
// Flattening stops here whatever the tolerance: 2^12 points per segment at most. Each halving
// quarters the flatness, so twelve of them bring it to 2^-24 of the segment's extent, below
// what the single-precision buffer resolves; huge coordinates cannot ask for more.
constexpr int kMaxFlattenDepth = 13;
// A tolerance at or below zero would always reach the depth limit; this keeps it meaningful.
constexpr double kMinFlattenTol = 1e-6;
// Slack of the arc-length search: lengths within it count as reached.
constexpr double kLengthSlack = 0.1;
constexpr int kNodeBytes = 8 + 8 + 4;

double Dist(const double a[2], const double b[2]) { return std::hypot(a[0] - b[0], a[1] - b[1]); }

void Pt(const CBezierNode& n, double p[2]) {
  p[0] = n.x;
  p[1] = n.y;
}

void SetPt(CBezierNode& n, const double p[2]) {
  n.x = p[0];
  n.y = p[1];
}

// Kind of a main node from its handles a (before) and b (after).
int KindOf(const double a[2], const double n[2], const double b[2]) {
  if (!P2D_IsCollinear(a, n, b)) return BEZ_NODE_CORNER;
  return std::fabs(Dist(n, a) - Dist(n, b)) < 0.001 ? BEZ_NODE_SYMMETRIC : BEZ_NODE_SMOOTH;
}

// Kind shared by both ends of a closed node string: node 1, node 0 and the last control.
void SetEndKinds(CBezierNode* nodes, int n) {
  if (n < 2) return;
  double p0[2], pl[2];
  Pt(nodes[0], p0);
  Pt(nodes[n - 1], pl);
  int kind = BEZ_NODE_CORNER;
  if (n >= 3 && Dist(p0, pl) < 0.01) {
    double a[2], b[2];
    Pt(nodes[1], a);
    Pt(nodes[n - 2], b);
    if (P2D_IsCollinear(a, p0, b))
      kind = std::fabs(Dist(p0, a) - Dist(pl, b)) < 0.001 ? BEZ_NODE_SYMMETRIC : BEZ_NODE_SMOOTH;
  }
  nodes[0].kind = kind;
  nodes[n - 1].kind = kind;
}

// Places handles a and b of node n on the line through n along the unit direction dir, at
// lengths la and lb, each on the side where its projection falls. False (nothing changed)
// when a handle projects onto n itself.
bool AlignHandles(const double n[2], const double dir[2], double a[2], double b[2], double la,
                  double lb) {
  double fa[2], fb[2], ua[2], ub[2];
  if (!L2D_PrjPnt(n, dir, a, fa) || !L2D_PrjPnt(n, dir, b, fb)) return false;
  if (!V2D_GenUnit(n, fa, ua, 1e-9) || !V2D_GenUnit(n, fb, ub, 1e-9)) return false;
  a[0] = n[0] + la * ua[0];
  a[1] = n[1] + la * ua[1];
  b[0] = n[0] + lb * ub[0];
  b[1] = n[1] + lb * ub[1];
  return true;
}

void Flatten(const double seg[4][2], double tol, int depth, CPoint2dArray& pts) {
  // A non-finite flatness (hostile coordinates) ends the recursion instead of feeding it.
  if (!(BEZ_DistTol(seg) > tol) || depth >= kMaxFlattenDepth) {
    tagPoint2d p;
    p.x = static_cast<float>(seg[3][0]);
    p.y = static_cast<float>(seg[3][1]);
    pts.Add(p);
    return;
  }
  double left[4][2], right[4][2];
  BEZ_Split(seg, 0.5, left, right);
  Flatten(left, tol, depth + 1, pts);
  Flatten(right, tol, depth + 1, pts);
}

}  // namespace

CGeBezier::CGeBezier() : m_pNode(nullptr), m_nNode(0) {}

CGeBezier::~CGeBezier() {
  delete[] m_pNode;
  m_pNode = nullptr;
  m_nNode = 0;
}

void CGeBezier::SetNodes(CBezierNode* nodes, int n) {
  delete[] m_pNode;
  m_pNode = nodes;
  m_nNode = nodes ? n : 0;
}

void CGeBezier::Serialize(CArchive& ar) {
  CGeCurve::Serialize(ar);
  if (ar.IsStoring()) {
    ar << static_cast<int32_t>(m_nNode);
    for (int i = 0; i < m_nNode; ++i) ar << m_pNode[i].x << m_pNode[i].y << m_pNode[i].kind;
    return;
  }
  int32_t n = 0;
  ar >> n;
  // A count the remaining bytes cannot hold is a damaged or hostile file.
  if (n < 0 || static_cast<ULONGLONG>(n) * kNodeBytes > ar.GetBytesRemaining())
    AfxThrowArchiveException(CArchiveException::endOfFile);
  std::unique_ptr<CBezierNode[]> nodes(n > 0 ? new CBezierNode[static_cast<size_t>(n)] : nullptr);
  for (int i = 0; i < n; ++i) {
    ar >> nodes[i].x >> nodes[i].y >> nodes[i].kind;
    ar.CheckFinite(nodes[i].x, nodes[i].y);
  }
  SetNodes(nodes.release(), n);
  Discrete(gGetCurveDicTol());
}

int CGeBezier::GetType() const { return GE_TYPE_BEZIER; }

CGeBezier* CGeBezier::Copy() {
  if (!m_pNode || m_nNode <= 0) return nullptr;
  CGeBezier* copy = new CGeBezier;
  CBezierNode* nodes = new CBezierNode[static_cast<size_t>(m_nNode)];
  std::copy(m_pNode, m_pNode + m_nNode, nodes);
  copy->SetNodes(nodes, m_nNode);
  copy->m_nClosed = m_nClosed;
  copy->m_box = m_box;
  copy->CopySWPoint(m_pSWPoint, m_nSWPoint);
  return copy;
}

// ---- creation ----

void CGeBezier::FinishCreate() {
  m_nClosed = IsClosed(0.01);
  Discrete(gGetCurveDicTol());
}

int CGeBezier::Create(unsigned n, const double pts[][2]) {
  if (!pts || n < 2) return 0;
  const int count = static_cast<int>(3 * n - 2);
  auto nodes = std::make_unique<CBezierNode[]>(static_cast<size_t>(count));
  for (unsigned k = 0; k < n; ++k) {
    const double* p = pts[k];
    nodes[3 * k] = CBezierNode(p[0], p[1]);
    if (k + 1 == n) break;
    const double* q = pts[k + 1];
    nodes[3 * k + 1] = CBezierNode(p[0] + (q[0] - p[0]) / 3.0, p[1] + (q[1] - p[1]) / 3.0);
    nodes[3 * k + 2] =
        CBezierNode(p[0] + 2.0 * (q[0] - p[0]) / 3.0, p[1] + 2.0 * (q[1] - p[1]) / 3.0);
  }
  for (int i = 3; i < count - 2; i += 3) {
    double a[2], nd[2], b[2], u1[2], u2[2];
    Pt(nodes[i - 1], a);
    Pt(nodes[i], nd);
    Pt(nodes[i + 1], b);
    // A control on top of its node gives no direction: the node stays a corner.
    if (!V2D_GenUnit(nd, a, u1, 1e-6) || !V2D_GenUnit(nd, b, u2, 1e-6)) continue;
    const double len = std::min(Dist(nd, a), Dist(nd, b));
    double dir[2] = {u1[0] + u2[0], u1[1] + u2[1]};
    V2D_Rot(dir, std::numbers::pi / 2.0);
    // Straight through: the chord direction itself is the tangent.
    if (!V2D_Unit(dir, 1e-6)) dir[0] = u2[0], dir[1] = u2[1];
    if (AlignHandles(nd, dir, a, b, len, len)) {
      SetPt(nodes[i - 1], a);
      SetPt(nodes[i + 1], b);
    }
    nodes[i].kind = BEZ_NODE_SYMMETRIC;
  }
  SetEndKinds(nodes.get(), count);
  SetNodes(nodes.release(), count);
  FinishCreate();
  return 1;
}

int CGeBezier::CreateEx(unsigned n, const double pts[][2]) {
  if (!pts || n < 3) return 0;
  const int count = static_cast<int>(n);
  auto nodes = std::make_unique<CBezierNode[]>(n);
  for (int i = 0; i < count; ++i) nodes[i] = CBezierNode(pts[i][0], pts[i][1]);
  for (int i = 3; i + 1 < count; i += 3) nodes[i].kind = KindOf(pts[i - 1], pts[i], pts[i + 1]);
  SetEndKinds(nodes.get(), count);
  SetNodes(nodes.release(), count);
  FinishCreate();
  return 1;
}

int CGeBezier::CreateEx(unsigned n, const CBezierNode* src) {
  if (!src || n < 3) return 0;
  auto nodes = std::make_unique<CBezierNode[]>(n);
  std::copy(src, src + n, nodes.get());
  SetNodes(nodes.release(), static_cast<int>(n));
  FinishCreate();
  return 1;
}

// ---- segments and evaluation ----

int CGeBezier::GetSegmentCount() { return m_nNode > 0 ? (m_nNode - 1) / 3 : 0; }

bool CGeBezier::HasSegment(unsigned seg) const {
  return m_pNode && seg >= 1 && static_cast<int>(seg) <= (m_nNode - 1) / 3;
}

void CGeBezier::SegmentAt(unsigned seg, double out[4][2]) const {
  const int base = 3 * (static_cast<int>(seg) - 1);
  for (int k = 0; k < 4; ++k) Pt(m_pNode[base + k], out[k]);
}

void CGeBezier::GetCtrlPoint(unsigned i, double out[4][2]) {
  if (HasSegment(i)) SegmentAt(i, out);
}

void CGeBezier::GetStartPoint(double p[2]) {
  if (m_pNode && m_nNode > 0) Pt(m_pNode[0], p);
}

void CGeBezier::GetEndPoint(double p[2]) {
  if (m_pNode && m_nNode > 0) Pt(m_pNode[m_nNode - 1], p);
}

void CGeBezier::GetPointAt(double t, double p[2], unsigned seg) { EvPos(t, p, seg); }

void CGeBezier::EvPos(double t, double p[2], unsigned seg) {
  if (!HasSegment(seg)) return;
  double s[4][2];
  SegmentAt(seg, s);
  BEZ_EvPos(s, t, p);
}

void CGeBezier::GetTanVecAt(double t, double v[2], unsigned seg) {
  if (!HasSegment(seg)) return;
  double s[4][2];
  SegmentAt(seg, s);
  BEZ_Ev1Der(s, t, v);
}

void CGeBezier::Ev1Der(double t, double p[2], double d1[2], unsigned seg) {
  if (!HasSegment(seg)) return;
  double s[4][2];
  SegmentAt(seg, s);
  BEZ_EvPos(s, t, p);
  BEZ_Ev1Der(s, t, d1);
}

void CGeBezier::Ev2Der(double t, double p[2], double d1[2], double d2[2], unsigned seg) {
  if (!HasSegment(seg)) return;
  double s[4][2];
  SegmentAt(seg, s);
  BEZ_EvPos(s, t, p);
  BEZ_Ev1Der(s, t, d1);
  BEZ_Ev2Der(s, t, d2);
}

int CGeBezier::IsClosed(double tol) {
  if (!m_pNode || m_nNode <= 0) return 0;
  double a[2], b[2];
  Pt(m_pNode[0], a);
  Pt(m_pNode[m_nNode - 1], b);
  return Dist(a, b) < tol ? 1 : 0;
}

int CGeBezier::GetNearestPoint(const double pt[2], double nearPt[2], double& t, unsigned& seg,
                               double& dist) {
  const int count = GetSegmentCount();
  if (count < 1) return 0;
  double best = kNoValue;
  for (int i = 1; i <= count; ++i) {
    double s[4][2], foot[2], u = 0.0, d = 0.0;
    SegmentAt(static_cast<unsigned>(i), s);
    if (BEZ_PrjPnt(s, pt, foot, u, d)) {
      if (d < best) {
        best = d;
        nearPt[0] = foot[0], nearPt[1] = foot[1];
        t = u;
        seg = static_cast<unsigned>(i);
      }
      continue;
    }
    // The projection failed: the segment's ends stand in for it.
    for (int end = 0; end < 2; ++end) {
      const double* q = s[end * 3];
      d = Dist(pt, q);
      if (d < best) {
        best = d;
        nearPt[0] = q[0], nearPt[1] = q[1];
        t = end;
        seg = static_cast<unsigned>(i);
      }
    }
  }
  if (best >= kNoValue) return 0;
  dist = best;
  return 1;
}

int CGeBezier::GetTanPt(const double from[2], double& t, int& seg, double touch[2]) {
  const int count = GetSegmentCount();
  if (count < 1) return 0;
  const int first = std::clamp(seg, 1, count);
  // Upward from the given segment, then downward below it.
  std::vector<int> order;
  for (int i = first; i <= count; ++i) order.push_back(i);
  for (int i = first - 1; i >= 1; --i) order.push_back(i);
  for (int i : order) {
    double u = 0.5;
    int s = i;
    double p[2];
    if (!SolveTangentParam(u, s, from, p)) continue;
    double nodes[4][2];
    SegmentAt(static_cast<unsigned>(i), nodes);
    _tagInterPnt recs[kInterLineBezMax];
    int n = 0;
    if (Inter_LineBez(from, p, nodes, n, recs, 1e-6) && (n == 1 || n == 2)) {
      // The tangent line may cross the segment elsewhere too: keep the contact nearest the
      // point found.
      int k = 0;
      const double q0[2] = {recs[0].x, recs[0].y};
      const double q1[2] = {recs[1].x, recs[1].y};
      if (n == 2 && Dist(q1, p) < Dist(q0, p)) k = 1;
      u = recs[k].t2;
      p[0] = recs[k].x;
      p[1] = recs[k].y;
    }
    t = u;
    seg = i;
    touch[0] = p[0];
    touch[1] = p[1];
    return 1;
  }
  return 0;
}

// ---- lengths ----

double CGeBezier::EvArcLength(double t1, unsigned i1, double t2, unsigned i2) {
  const unsigned count = static_cast<unsigned>(GetSegmentCount());
  if (i1 < 1 || i1 > count || i2 > count || i2 < i1) return 0.0;
  double s[4][2];
  if (i1 == i2) {
    if (std::fabs(t1 - t2) < 1e-6) return 0.0;
    SegmentAt(i1, s);
    return BEZ_ArcLengthEx(s, t1, t2);
  }
  double len = 0.0;
  if (t1 < 0.999999) {
    SegmentAt(i1, s);
    len += BEZ_ArcLengthEx(s, t1, 1.0);
  }
  for (unsigned i = i1 + 1; i < i2; ++i) {
    SegmentAt(i, s);
    len += BEZ_ArcLength(s);
  }
  if (t2 > 1e-6) {
    SegmentAt(i2, s);
    len += BEZ_ArcLengthEx(s, 0.0, t2);
  }
  return len;
}

double CGeBezier::EvArcLength(double t1, double t2, unsigned seg) {
  return EvArcLength(t1, 1, t2, seg);
}

double CGeBezier::EvTotalArcLength() {
  double len = 0.0;
  const int count = GetSegmentCount();
  for (int i = 1; i <= count; ++i) {
    double s[4][2];
    SegmentAt(static_cast<unsigned>(i), s);
    len += BEZ_ArcLength(s);
  }
  return len;
}

int CGeBezier::IsLongerThan(double length) {
  double len = 0.0;
  const int count = GetSegmentCount();
  for (int i = 1; i <= count; ++i) {
    double s[4][2];
    SegmentAt(static_cast<unsigned>(i), s);
    len += BEZ_ArcLength(s);
    if (len > length) return 1;
  }
  return 0;
}

bool geWrapArcLength(double& len, double total, bool closed) {
  if (!closed) {
    if (len > total) len = total;
    return true;
  }
  // Taking the total off until the length fits would never end without a total, and take
  // unbounded time for huge lengths: the remainder gives the same place at once.
  if (!(total > 0.0) || !std::isfinite(len)) return false;
  if (len > total) {
    len = std::fmod(len, total);
    if (len == 0.0) len = total;
  }
  return true;
}

int CGeBezier::EvParam(double length, double& t, unsigned& seg) {
  double len = length;
  if (!geWrapArcLength(len, EvTotalArcLength(), IsClosed(0.01) != 0)) return 0;
  if (len <= kLengthSlack) {
    t = 0.0;
    seg = 1;
    return 1;
  }
  double run = 0.0;
  const int count = GetSegmentCount();
  for (int i = 1; i <= count; ++i) {
    double s[4][2];
    SegmentAt(static_cast<unsigned>(i), s);
    const double d = BEZ_ArcLength(s);
    if (run < len && run + d > len - kLengthSlack) {
      t = std::fabs(run + d - len) <= kLengthSlack ? 1.0 : BEZ_EvParam(s, len - run);
      seg = static_cast<unsigned>(i);
      return 1;
    }
    run += d;
  }
  return 0;
}

// ---- discretisation ----

void CGeBezier::FlattenInto(CPoint2dArray& pts, double tol) const {
  const int count = (m_nNode - 1) / 3;
  if (!m_pNode || m_nNode <= 3 || count < 1) return;
  const double useTol = std::max(tol, kMinFlattenTol);
  tagPoint2d p0;
  p0.x = static_cast<float>(m_pNode[0].x);
  p0.y = static_cast<float>(m_pNode[0].y);
  pts.Add(p0);
  for (int i = 1; i <= count; ++i) {
    double s[4][2];
    SegmentAt(static_cast<unsigned>(i), s);
    Flatten(s, useTol, 1, pts);
  }
}

void CGeBezier::Discrete(double tol, CPoint2dArray* pts, double, bool) {
  if (pts) FlattenInto(*pts, tol);
}

// The flattening ignores the angle, so the base's buffer rebuild serves.
void CGeBezier::Discrete(double tol) { CGeCurve::Discrete(tol, gGetCurveDicAng()); }

int CGeBezier::GetDiscStep(double tol, double& step) {
  const int count = GetSegmentCount();
  if (count < 1) return 0;
  const int n = 3 * count + 1;
  BCRV* crv = BCRV_New(4, n);
  if (!crv) return 0;
  for (int i = 0; i < n; ++i) {
    crv->ctrlPts[i][0] = m_pNode[i].x;
    crv->ctrlPts[i][1] = m_pNode[i].y;
    crv->ctrlPts[i][2] = 0.0;
    crv->ctrlPts[i][3] = 1.0;
  }
  // Triple interior knots at the segment joints make the B-spline the same piecewise cubic.
  for (int j = 1; j < count; ++j)
    for (int k = 0; k < 3; ++k) crv->knots[3 * j + 1 + k] = static_cast<double>(j) / count;
  const int rc = BCRV_GetMaxiStepLin(crv, tol, step);
  BCRV_Free(crv);
  step = std::min(step, 0.125);
  return rc;
}

void CGeBezier::DiscreteToElement(CGeCurve3dList* list) {
  if (!list) return;
  std::vector<int> cuts;
  for (int i = 3; i + 1 < m_nNode; i += 3)
    if (m_pNode[i].kind == BEZ_NODE_CORNER) cuts.push_back(i);
  if (cuts.empty()) {
    CGeCurve::DiscreteToElement(list);
    return;
  }
  CGeCurveList pieces;
  SplitInNode(cuts.data(), static_cast<int>(cuts.size()), &pieces);
  CConvertEditor::CurveListToCurveList3D(&pieces, 0.0, *list);
  while (!pieces.IsEmpty()) delete pieces.RemoveHead();
}

// ---- editing ----

void CGeBezier::ModifyCtrlPoint(unsigned i, const double p[2]) {
  if (!m_pNode || static_cast<int>(i) >= m_nNode) return;
  SetPt(m_pNode[i], p);
  Discrete(gGetCurveDicTol());
}

void CGeBezier::ModifyStartPoint(const double p[2]) { ModifyCtrlPoint(0, p); }

void CGeBezier::ModifyEndPoint(const double p[2]) {
  if (m_nNode > 0) ModifyCtrlPoint(static_cast<unsigned>(m_nNode - 1), p);
}

void CGeBezier::ModifyCtrlPoint(unsigned i) {
  const int k = static_cast<int>(i);
  if (!m_pNode || k < 2 || k > m_nNode - 2 || k % 3 != 0) return;
  const int kind = m_pNode[k].kind;
  if (kind != BEZ_NODE_SMOOTH && kind != BEZ_NODE_SYMMETRIC) return;
  double a[2], n[2], b[2], u1[2], u2[2];
  Pt(m_pNode[k - 1], a);
  Pt(m_pNode[k], n);
  Pt(m_pNode[k + 1], b);
  if (!V2D_GenUnit(n, a, u1, 1e-9) || !V2D_GenUnit(n, b, u2, 1e-9)) return;
  double dir[2] = {u1[0] + u2[0], u1[1] + u2[1]};
  if (std::hypot(dir[0], dir[1]) < 0.0001) {
    dir[0] = u1[0];
    dir[1] = u1[1];
  } else {
    V2D_Perp(dir);
    V2D_Unit(dir, 1e-12);
  }
  double d1 = Dist(n, a), d2 = Dist(n, b);
  if (kind == BEZ_NODE_SYMMETRIC) d1 = d2 = 0.5 * (d1 + d2);
  if (AlignHandles(n, dir, a, b, d1, d2)) {
    SetPt(m_pNode[k - 1], a);
    SetPt(m_pNode[k + 1], b);
  }
}

void CGeBezier::AddMainNode(unsigned i, double t) {
  if (!HasSegment(i) || !(t >= 0.0 && t <= 1.0)) return;
  double s[4][2], l[4][2], r[4][2];
  SegmentAt(i, s);
  BEZ_Split(s, t, l, r);
  const int base = 3 * (static_cast<int>(i) - 1);
  std::vector<CBezierNode> nodes(m_pNode, m_pNode + base + 1);
  nodes.emplace_back(l[1][0], l[1][1], m_pNode[base + 1].kind);
  nodes.emplace_back(l[2][0], l[2][1], BEZ_NODE_SMOOTH);
  nodes.emplace_back(l[3][0], l[3][1], BEZ_NODE_SMOOTH);
  nodes.emplace_back(r[1][0], r[1][1], BEZ_NODE_SMOOTH);
  nodes.emplace_back(r[2][0], r[2][1], m_pNode[base + 2].kind);
  nodes.insert(nodes.end(), m_pNode + base + 3, m_pNode + m_nNode);
  CreateEx(static_cast<unsigned>(nodes.size()), nodes.data());
}

void CGeBezier::DelMainNode(unsigned i) {
  if (!m_pNode || i % 3 != 0 || m_nNode < 5 || static_cast<int>(i) >= m_nNode) return;
  int k = static_cast<int>(i);
  if (k == 0) k = 1;
  if (k == m_nNode - 1) k = m_nNode - 2;
  std::vector<CBezierNode> nodes(m_pNode, m_pNode + k - 1);
  nodes.insert(nodes.end(), m_pNode + k + 2, m_pNode + m_nNode);
  CreateEx(static_cast<unsigned>(nodes.size()), nodes.data());
}

void CGeBezier::DelMainNode(const unsigned* list, int m) {
  if (!list || m <= 0 || !m_pNode || m_nNode <= 4) return;
  const auto listed = [&](int idx) {
    return std::find(list, list + m, static_cast<unsigned>(idx)) != list + m;
  };
  const bool wasClosed = IsClosed(0.01) != 0;
  std::vector<CBezierNode> nodes;
  int firstKept = -1, lastKept = -1;
  for (int j = 0; j < m_nNode; j += 3) {
    if (listed(j)) continue;
    if (!nodes.empty()) nodes.push_back(m_pNode[j - 1]);
    nodes.push_back(m_pNode[j]);
    if (j + 1 < m_nNode) nodes.push_back(m_pNode[j + 1]);
    if (firstKept < 0) firstKept = j;
    lastKept = j;
  }
  const size_t whole = nodes.empty() ? 0 : (nodes.size() - 1) / 3 * 3 + 1;
  nodes.resize(whole);
  if (wasClosed && listed(0) && listed(m_nNode - 1) && !nodes.empty()) {
    if (lastKept + 1 < m_nNode) nodes.push_back(m_pNode[lastKept + 1]);
    if (firstKept >= 1) nodes.push_back(m_pNode[firstKept - 1]);
    nodes.push_back(nodes.front());
  }
  CreateEx(static_cast<unsigned>(nodes.size()), nodes.data());
}

void CGeBezier::Reverse() {
  if (m_pNode) std::reverse(m_pNode, m_pNode + m_nNode);
  CGeCurve::Reverse();
}

// ---- splitting ----

void CGeBezier::Split(unsigned i, double t, CGeBezier*& left, CGeBezier*& right) {
  left = nullptr;
  right = nullptr;
  if (!HasSegment(i)) return;
  const unsigned count = static_cast<unsigned>(GetSegmentCount());
  std::vector<double> lp, rp;  // flat x, y pairs
  const auto push = [](std::vector<double>& v, const double p[2]) {
    v.push_back(p[0]);
    v.push_back(p[1]);
  };
  const int base = 3 * (static_cast<int>(i) - 1);
  const int last = 3 * static_cast<int>(count);
  int cut;  // node index of a cut at an existing main node, or -1
  if (std::fabs(t) <= 0.0001) {
    if (i == 1) return;
    cut = base;
  } else if (std::fabs(t - 1.0) <= 0.0001) {
    if (i == count) return;
    cut = base + 3;
  } else {
    cut = -1;
  }
  double p[2];
  if (cut >= 0) {
    for (int k = 0; k <= cut; ++k) Pt(m_pNode[k], p), push(lp, p);
    for (int k = cut; k <= last; ++k) Pt(m_pNode[k], p), push(rp, p);
  } else {
    double s[4][2], l[4][2], r[4][2];
    SegmentAt(i, s);
    BEZ_Split(s, t, l, r);
    for (int k = 0; k < base; ++k) Pt(m_pNode[k], p), push(lp, p);
    for (int k = 0; k < 4; ++k) push(lp, l[k]);
    for (int k = 0; k < 4; ++k) push(rp, r[k]);
    for (int k = base + 4; k <= last; ++k) Pt(m_pNode[k], p), push(rp, p);
  }
  const auto make = [](const std::vector<double>& v) {
    auto* b = new CGeBezier;
    const auto* pts = reinterpret_cast<const double(*)[2]>(v.data());
    if (!b->CreateEx(static_cast<unsigned>(v.size() / 2), pts)) {
      delete b;
      return static_cast<CGeBezier*>(nullptr);
    }
    return b;
  };
  left = make(lp);
  right = make(rp);
}

void CGeBezier::Split(double t, CGeCurve* out[2], int nOpt1, int) {
  CGeBezier* left = nullptr;
  CGeBezier* right = nullptr;
  Split(static_cast<unsigned>(nOpt1), t, left, right);
  out[0] = left;
  out[1] = right;
}

void CGeBezier::SplitInNode(const int* idx, int m, CGeCurveList* list) {
  if (!list || !m_pNode || m_nNode <= 0) return;
  const auto emit = [&](int from, int to) {
    if (to - from + 1 <= 1) return;
    auto* b = new CGeBezier;
    if (b->CreateEx(static_cast<unsigned>(to - from + 1), m_pNode + from))
      list->AddTail(b);
    else
      delete b;
  };
  int prev = 0;
  for (int k = 0; idx && k < m; ++k) {
    const int cut = idx[k];
    // Zeros, repeats and indices past the end cut nothing.
    if (cut <= prev || cut >= m_nNode) continue;
    emit(prev, cut);
    prev = cut;
  }
  emit(prev, m_nNode - 1);
}

// ---- biarc approximation ----

void geBiarcsToList(const double pts[][2], int n, double tol, CGeCurveList* list) {
  if (!list) return;
  std::unique_ptr<CGeCombCurve> comb(geBiarcsFitCurve(pts, nullptr, n, tol));
  if (!comb) return;
  while (!comb->m_CurveList.IsEmpty())
    if (CGeCurve* c = comb->m_CurveList.RemoveHead()) list->AddTail(c);
}

void CGeBezier::BiArcAppx(double tol, CGeCurveList* list) {
  if (!list || GetSegmentCount() < 1) return;
  CPoint2dArray flat;
  FlattenInto(flat, gGetCurveDicTol());
  std::vector<double> pts;
  pts.reserve(2 * static_cast<size_t>(flat.GetSize()));
  for (int i = 0; i < flat.GetSize(); ++i) {
    pts.push_back(flat[i].x);
    pts.push_back(flat[i].y);
  }
  geBiarcsToList(reinterpret_cast<const double(*)[2]>(pts.data()),
                 static_cast<int>(flat.GetSize()), tol < 0.01 ? 2.0 * tol : tol, list);
}

// ---- transforms ----

template <class Fn>
void CGeBezier::ForEachNode(Fn fn) {
  for (int i = 0; i < m_nNode; ++i) {
    double p[2];
    Pt(m_pNode[i], p);
    fn(p);
    SetPt(m_pNode[i], p);
  }
}

void CGeBezier::Translate(const double v[2]) {
  ForEachNode([&](double p[2]) { p[0] += v[0], p[1] += v[1]; });
  CGeCurve::Translate(v);
}

void CGeBezier::Rotate(const double c[2], double angle) {
  const double cs = std::cos(angle), sn = std::sin(angle);
  ForEachNode([&](double p[2]) { P2D_Rot(c, cs, sn, p, p); });
  CGeCurve::Rotate(c, angle);
}

void CGeBezier::Mirror(const double a[2], const double d[2]) {
  ForEachNode([&](double p[2]) { P2D_Mirr(a, d, p, p); });
  CGeCurve::Mirror(a, d);
}

CGeShape2d* CGeBezier::Scale(const double base[2], const double f[2]) {
  if (!m_pNode || m_nNode <= 0) return nullptr;
  ForEachNode([&](double p[2]) {
    p[0] = base[0] + f[0] * (p[0] - base[0]);
    p[1] = base[1] + f[1] * (p[1] - base[1]);
  });
  CGeCurve::Scale(base, f);
  return this;
}

CGeShape2d* CGeBezier::Shift(const double a[2], const double b[2]) {
  if (!m_pNode || m_nNode <= 0) return nullptr;
  ForEachNode([&](double p[2]) { P2D_Shift(a, p, b, p); });
  CGeCurve::Shift(a, b);
  return this;
}

void CGeBezier::Transform(const double m[3][3]) {
  ForEachNode([&](double p[2]) { MAT33_MultPt(m, p, p); });
  Discrete(gGetCurveDicTol());
}

void CGeBezier::GetNodeBox(_tagBox2D* box) {
  if (!box) return;
  BOX2D_Init0(box);
  for (int i = 0; i < m_nNode; ++i) {
    double p[2];
    Pt(m_pNode[i], p);
    if (i == 0)
      BOX2D_Init(box, p);
    else
      BOX2D_Extend(box, p);
  }
}

// ---- drawing and snapping ----

void CGeBezier::Draw(CDC* pDC, int bWhole) {
  CVurode* view = gGetVurode();
  if (!m_pNode || m_nNode <= 0 || !pDC || !view) return;
  if (bWhole) {
    CGeCurve::Draw(pDC, bWhole);
    return;
  }
  const int count = GetSegmentCount();
  for (int i = 1; i <= count; ++i) {
    POINT pts[4];
    for (int k = 0; k < 4; ++k) {
      const CPoint s = view->WorldtoScreen(m_pNode[3 * (i - 1) + k].x, m_pNode[3 * (i - 1) + k].y);
      pts[k].x = s.x;
      pts[k].y = s.y;
    }
    pDC->PolyBezier(pts, 4);
  }
}

void CGeBezier::DrawNode(CDC* pDC, int bStart, int bEnd) {
  CVurode* view = gGetVurode();
  if (!m_pNode || m_nNode <= 0 || !pDC || !view) return;
  const bool skipLast = IsClosed(0.01) || !bEnd;
  for (int i = 0; i < m_nNode; i += 3) {
    if (i == m_nNode - 1 && skipLast) break;
    double p[2];
    Pt(m_pNode[i], p);
    // The start marker is the base's circle; every other main node gets its square.
    if (i == 0)
      DrawEndNodes(pDC, p, p, bStart, 0);
    else
      DrawEndNodes(pDC, p, p, 0, 1);
  }
}

int CGeBezier::GetSnapPos(CSnapAt* snap, CSnapResult& result) {
  if (!snap || !snap->m_pKXGlobal || !snap->m_pVurode || !m_pNode || m_nNode <= 0) return 0;
  const int before = result.GetSize();
  const int mask = snap->m_nMask;
  const double c[2] = {snap->m_pos.x, snap->m_pos.y};
  if (mask & SNAP_END) {
    for (int i = 0; i < m_nNode; i += 3) {
      double p[2];
      Pt(m_pNode[i], p);
      if (snap->IsWithin(p)) {
        result.PushBackEnd(p);
        break;
      }
      if (snap->m_bAlign && snap->IsAligned(p)) result.PushBackEnd(p);
    }
  }
  if (mask & SNAP_NEAR) {
    double foot[2], t = 0.0, d = kNoValue;
    unsigned seg = 1;
    if (GetNearestPoint(c, foot, t, seg, d) && snap->IsWithin(foot)) result.PushBackNear(foot);
  }
  double ref[2];
  if ((mask & SNAP_TAN) && snap->GetRefPoint(ref)) {
    double foot[2], t = 0.0, d = kNoValue;
    unsigned seg = 1;
    if (GetNearestPoint(c, foot, t, seg, d)) {
      int s = static_cast<int>(seg);
      double touch[2];
      if (GetTanPt(ref, t, s, touch) && snap->IsWithin(touch)) result.PushBackTan(touch);
    }
  }
  if ((mask & SNAP_PERP) && snap->GetRefPoint(ref)) {
    double best[2], bestD = kNoValue;
    const int count = GetSegmentCount();
    for (int i = 1; i <= count; ++i) {
      double s[4][2];
      SegmentAt(static_cast<unsigned>(i), s);
      _tagBox2D box;
      BEZ_GetBox(s, &box);
      if (!BOX2D_IsPtIn(&box, c, snap->m_dSnapDist)) continue;
      double foot[2], u = 0.0, d = 0.0;
      if (BEZ_PrjPnt(s, ref, foot, u, d) && d < bestD) {
        bestD = d;
        best[0] = foot[0], best[1] = foot[1];
      }
    }
    if (bestD < kNoValue && snap->IsWithin(best)) result.PushBackPerp(best);
  }
  return result.GetSize() > before ? 1 : 0;
}
