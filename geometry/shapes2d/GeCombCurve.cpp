#include "geometry/shapes2d/GeCombCurve.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

#include "geometry/shapes2d/GeArc.h"
#include "geometry/shapes2d/GeBezier.h"
#include "geometry/shapes2d/GeLine.h"
#include "geometry/shapes2d/GePolyline.h"
#include "geometry/shapes2d/PickRay.h"
#include "geometry/shapes2d/ShapeListUtil.h"
#include "geometry/shapes2d/SnapAt.h"

IMPLEMENT_SERIAL(CGeCombCurve, CObject, GE_SCHEMA_2D)

namespace {

constexpr double kNoValue = 1e12;
constexpr double kThinAngle = 2.9670597283898;  // 170 degrees

double Dist(const double a[2], const double b[2]) { return std::hypot(a[0] - b[0], a[1] - b[1]); }

}  // namespace

CGeCombCurve::CGeCombCurve() : m_CurveList(10) {}

CGeCombCurve::~CGeCombCurve() { DeleteSubCurves(); }

void CGeCombCurve::DeleteSubCurves() {
  for (POSITION pos = m_CurveList.GetHeadPosition(); pos;) delete m_CurveList.GetNext(pos);
  m_CurveList.RemoveAll();
}

void CGeCombCurve::Serialize(CArchive& ar) {
  CGeCurve::Serialize(ar);
  if (ar.IsStoring()) {
    m_CurveList.Serialize(ar);
    return;
  }
  // Only curves are read, each new (a back-reference would give a curve a second owner).
  AfxReadOwnedObjects<CGeCurve>(ar, m_CurveList);
  // Every member built its points and box while it loaded. Joining those keeps loading linear
  // in the nesting depth; discretising and boxing the whole nesting again at every level would
  // not (a composite nested a thousand deep took seconds).
  CPoint2dArray pts;
  JoinSubBuffers(gGetCurveDicTol(), pts, true);
  SetBuffer(pts, true);
}

int CGeCombCurve::GetType() const { return GE_TYPE_COMBCURVE; }

CGeCombCurve* CGeCombCurve::Copy() {
  auto* copy = new CGeCombCurve;
  copy->m_nClosed = m_nClosed;
  for (POSITION pos = m_CurveList.GetHeadPosition(); pos;) {
    CGeCurve* c = m_CurveList.GetNext(pos);
    if (!c) continue;
    if (CGeCurve* cc = c->Copy()) copy->m_CurveList.AddTail(cc);
  }
  copy->CalcBox2d();
  return copy;
}

// ---- list maintenance ----

void CGeCombCurve::AddTail(CGeCurve* curve, int recalc) { Insert(curve, recalc, false); }

void CGeCombCurve::AddHead(CGeCurve* curve, int recalc) { Insert(curve, recalc, true); }

void CGeCombCurve::Insert(CGeCurve* curve, int recalc, bool atHead) {
  if (!curve) return;
  if (curve->GetType() != GE_TYPE_COMBCURVE) {
    atHead ? m_CurveList.AddHead(curve) : m_CurveList.AddTail(curve);
  } else {
    auto* comb = static_cast<CGeCombCurve*>(curve);
    if (comb->m_CurveList.IsEmpty()) return;
    // Members keep their order at either end.
    while (!comb->m_CurveList.IsEmpty()) {
      if (atHead)
        m_CurveList.AddHead(comb->m_CurveList.RemoveTail());
      else
        m_CurveList.AddTail(comb->m_CurveList.RemoveHead());
    }
    delete comb;
  }
  if (recalc) CalcBox2d();
}

CGeCurve* CGeCombCurve::GetSubCurve(int i) {
  if (i < 1 || i > GetSegmentCount()) return nullptr;
  int k = 0;
  for (POSITION pos = m_CurveList.GetHeadPosition(); pos;) {
    CGeCurve* c = m_CurveList.GetNext(pos);
    if (c && ++k == i) return c;
  }
  return nullptr;
}

int CGeCombCurve::GetSegmentCount() { return static_cast<int>(m_CurveList.GetCount()); }

int CGeCombCurve::IsLinked() {
  const CGeCurve* prev = nullptr;
  double end[2] = {0.0, 0.0};
  for (POSITION pos = m_CurveList.GetHeadPosition(); pos;) {
    CGeCurve* c = m_CurveList.GetNext(pos);
    if (!c) continue;
    double s[2] = {0.0, 0.0};
    c->GetStartPoint(s);
    if (prev && !(Dist(s, end) < 0.01)) return 0;
    c->GetEndPoint(end);
    prev = c;
  }
  return 1;
}

int CGeCombCurve::IsClosed(double tol) {
  if (!geIsLinkCurve2d(&m_CurveList, tol)) return 0;
  double s[2] = {0.0, 0.0}, e[2] = {0.0, 0.0};
  GetStartPoint(s);
  GetEndPoint(e);
  return Dist(s, e) < tol ? 1 : 0;
}

// ---- end points and addressing ----

void CGeCombCurve::GetStartPoint(double p[2]) {
  if (m_CurveList.IsEmpty()) return;
  if (CGeCurve* c = m_CurveList.GetHead()) c->GetStartPoint(p);
}

void CGeCombCurve::GetEndPoint(double p[2]) {
  if (m_CurveList.IsEmpty()) return;
  if (CGeCurve* c = m_CurveList.GetTail()) c->GetEndPoint(p);
}

int CGeCombCurve::GetStartTan(double v[2]) {
  if (m_CurveList.IsEmpty() || !m_CurveList.GetHead()) return 0;
  m_CurveList.GetHead()->GetTanVecAt(0.0, v, 1);
  return 1;
}

int CGeCombCurve::GetEndTan(double v[2]) {
  if (m_CurveList.IsEmpty() || !m_CurveList.GetTail()) return 0;
  CGeCurve* c = m_CurveList.GetTail();
  c->GetTanVecAt(1.0, v, static_cast<unsigned>(std::max(c->GetSegmentCount(), 1)));
  return 1;
}

// Up to 1 the parameter lies on the first segment (so t = 1 is its end, not its start);
// beyond, the integer part is the segment and the fraction the parameter.
CGeCurve* CGeCombCurve::Locate(double t, unsigned index, double& u, unsigned& seg) {
  CGeCurve* c = GetSubCurve(static_cast<int>(index));
  if (!c || !(t >= 0.0)) return nullptr;
  if (t <= 1.0) {
    seg = 1;
    u = t;
  } else {
    const double whole = std::floor(t);
    seg = static_cast<unsigned>(whole);
    u = t - whole;
  }
  return c;
}

void CGeCombCurve::GetPointAt(double t, double p[2], unsigned index) {
  double u;
  unsigned seg;
  if (CGeCurve* c = Locate(t, index, u, seg)) c->GetPointAt(u, p, seg);
}

void CGeCombCurve::GetTanVecAt(double t, double v[2], unsigned index) {
  double u;
  unsigned seg;
  if (CGeCurve* c = Locate(t, index, u, seg)) c->GetTanVecAt(u, v, seg);
}

void CGeCombCurve::EvPos(double t, double p[2], unsigned index) {
  double u;
  unsigned seg;
  if (CGeCurve* c = Locate(t, index, u, seg)) c->EvPos(u, p, seg);
}

void CGeCombCurve::Ev1Der(double t, double p[2], double d1[2], unsigned index) {
  double u;
  unsigned seg;
  if (CGeCurve* c = Locate(t, index, u, seg)) c->Ev1Der(u, p, d1, seg);
}

void CGeCombCurve::Ev2Der(double t, double p[2], double d1[2], double d2[2], unsigned index) {
  double u;
  unsigned seg;
  if (CGeCurve* c = Locate(t, index, u, seg)) c->Ev2Der(u, p, d1, d2, seg);
}

int CGeCombCurve::GetNearestPoint(const double pt[2], double nearPt[2], double& t,
                                  unsigned& seg, double& dist) {
  int best = 0;
  int k = 0;
  for (POSITION pos = m_CurveList.GetHeadPosition(); pos;) {
    CGeCurve* c = m_CurveList.GetNext(pos);
    if (!c) continue;
    ++k;
    double foot[2], ct = 0.0, cd = kNoValue;
    unsigned cs = 0;
    if (!c->GetNearestPoint(pt, foot, ct, cs, cd)) continue;
    if (cd < dist) {
      dist = cd;
      t = ct;
      seg = cs;
      nearPt[0] = foot[0];
      nearPt[1] = foot[1];
      best = k;
    }
  }
  return best;
}

// ---- lengths ----

double CGeCombCurve::EvTotalArcLength() {
  double sum = 0.0;
  for (POSITION pos = m_CurveList.GetHeadPosition(); pos;)
    if (CGeCurve* c = m_CurveList.GetNext(pos)) sum += c->EvTotalArcLength();
  return sum;
}

int CGeCombCurve::IsLongerThan(double length) {
  double sum = 0.0;
  for (POSITION pos = m_CurveList.GetHeadPosition(); pos;) {
    CGeCurve* c = m_CurveList.GetNext(pos);
    if (!c) continue;
    sum += c->EvTotalArcLength();
    if (sum > length) return 1;
  }
  return 0;
}

namespace {

// Length along c from its start to the decoded position (segment seg, parameter u). Every
// curve's three-argument form measures from parameter t0 of its first segment (or sub-curve)
// to t1 of segment seg, so one call covers the segments before seg as well.
double LengthTo(CGeCurve* c, unsigned seg, double u) { return c->EvArcLength(0.0, u, seg); }

}  // namespace

double CGeCombCurve::EvArcLength(double t1, double t2, unsigned index) {
  return EvArcLength(t1, 1, t2, index);
}

double CGeCombCurve::EvArcLength(double t1, unsigned i1, double t2, unsigned i2) {
  if (i2 < i1 || (i1 == i2 && t2 < t1)) return 0.0;
  double u1, u2;
  unsigned s1, s2;
  CGeCurve* c1 = Locate(t1, i1, u1, s1);
  CGeCurve* c2 = Locate(t2, i2, u2, s2);
  if (!c1 || !c2) return 0.0;
  const int segs1 = std::max(c1->GetSegmentCount(), 1);
  const int segs2 = std::max(c2->GetSegmentCount(), 1);
  if (static_cast<int>(s1) > segs1 || static_cast<int>(s2) > segs2) return 0.0;
  const double from = LengthTo(c1, s1, u1);
  if (i1 == i2) return LengthTo(c2, s2, u2) - from;
  double sum = LengthTo(c1, static_cast<unsigned>(segs1), 1.0) - from;
  for (unsigned i = i1 + 1; i < i2; ++i)
    if (CGeCurve* c = GetSubCurve(static_cast<int>(i))) sum += c->EvTotalArcLength();
  return sum + LengthTo(c2, s2, u2);
}

int CGeCombCurve::EvParam(double length, double& t, unsigned& seg) {
  const double total = EvTotalArcLength();
  // Without length nothing can be walked (and the wrap-around below would never end).
  if (!(total > 0.0) || !std::isfinite(length)) return 0;
  if (length < 0.0) length += total * std::ceil(-length / total);
  if (IsClosed(0.01)) {
    length = std::fmod(length, total);  // the total itself is the start again
  } else if (length > total) {
    length = total;
  }
  double acc = 0.0;
  int k = 0;
  CGeCurve* last = nullptr;
  int lastNo = 0;
  for (POSITION pos = m_CurveList.GetHeadPosition(); pos;) {
    CGeCurve* c = m_CurveList.GetNext(pos);
    if (!c) continue;
    ++k;
    const double len = c->EvTotalArcLength();
    if (length < acc + len) {
      c->EvParam(length - acc, t, seg);
      return k;
    }
    acc += len;
    if (len > 0.0) {
      last = c;
      lastNo = k;
    }
  }
  // Exactly at the end (or past it by rounding): the end of the last piece with length.
  if (!last) return 0;
  last->EvParam(last->EvTotalArcLength(), t, seg);
  return lastNo;
}

// ---- boxes ----

void CGeCombCurve::CalcBox2d() {
  BOX2D_Init0(&m_box);
  for (POSITION pos = m_CurveList.GetHeadPosition(); pos;) {
    CGeCurve* c = m_CurveList.GetNext(pos);
    if (!c) continue;
    _tagBox2D b;
    c->GetBox2d(&b);
    BOX2D_Union(&m_box, &b);
  }
}

void CGeCombCurve::GetBox2d(_tagBox2D* box) {
  if (!box) return;
  CalcBox2d();
  *box = m_box;
}

void CGeCombCurve::CalcScreenBox(_tagBox2D* box) {
  if (!box) return;
  BOX2D_Init0(box);
  for (POSITION pos = m_CurveList.GetHeadPosition(); pos;) {
    CGeCurve* c = m_CurveList.GetNext(pos);
    if (!c) continue;
    _tagBox2D b;
    c->CalcScreenBox(&b);
    BOX2D_Union(box, &b);
  }
}

// ---- transforms ----

void CGeCombCurve::Translate(const double v[2]) {
  if (std::hypot(v[0], v[1]) < 0.0001) return;
  CGeCurve::Translate(v);
  for (POSITION pos = m_CurveList.GetHeadPosition(); pos;)
    if (CGeCurve* c = m_CurveList.GetNext(pos)) c->Translate(v);
}

void CGeCombCurve::Rotate(const double c[2], double angle) {
  CGeCurve::Rotate(c, angle);
  for (POSITION pos = m_CurveList.GetHeadPosition(); pos;)
    if (CGeCurve* s = m_CurveList.GetNext(pos)) s->Rotate(c, angle);
}

void CGeCombCurve::Mirror(const double p[2], const double d[2]) {
  CGeCurve::Mirror(p, d);
  for (POSITION pos = m_CurveList.GetHeadPosition(); pos;)
    if (CGeCurve* c = m_CurveList.GetNext(pos)) c->Mirror(p, d);
}

void CGeCombCurve::Transform(const double m[3][3]) {
  CGeCurve::Transform(m);
  for (POSITION pos = m_CurveList.GetHeadPosition(); pos;)
    if (CGeCurve* c = m_CurveList.GetNext(pos)) c->Transform(m);
}

CGeShape2d* CGeCombCurve::Scale(const double base[2], const double f[2]) {
  CGeCurve::Scale(base, f);
  ReplaceEachCurve(m_CurveList, [&](CGeCurve* c) { return c->Scale(base, f); });
  return this;
}

CGeShape2d* CGeCombCurve::Shift(const double p[2], const double q[2]) {
  ReplaceEachCurve(m_CurveList, [&](CGeCurve* c) { return c->Shift(p, q); });
  return this;
}

void CGeCombCurve::Reverse() {
  CGeCurveList reversed(10);
  while (!m_CurveList.IsEmpty()) {
    CGeCurve* c = m_CurveList.RemoveTail();
    if (c) c->Reverse();
    reversed.AddTail(c);
  }
  while (!reversed.IsEmpty()) m_CurveList.AddTail(reversed.RemoveHead());
  CGeCurve::Reverse();
}

// ---- snapping, picking, drawing ----

int CGeCombCurve::GetSnapPos(CSnapAt* snap, CSnapResult& result) {
  const int before = result.GetSize();
  for (POSITION pos = m_CurveList.GetHeadPosition(); pos;)
    if (CGeCurve* c = m_CurveList.GetNext(pos)) c->GetSnapPos(snap, result);
  return result.GetSize() > before ? 1 : 0;
}

int CGeCombCurve::Pick(CPickRay& ray, int filter) {
  if (filter && !(GetType() & ray.m_nTypeMask)) return 0;
  for (POSITION pos = m_CurveList.GetHeadPosition(); pos;) {
    CGeCurve* c = m_CurveList.GetNext(pos);
    // The composite passed the type filter; its pieces are picked as parts of it.
    if (c && c->Pick(ray, 0)) return 1;
  }
  return 0;
}

int CGeCombCurve::Hit(CPickRay& ray, CGeHitResult& result) {
  if (!(GetType() & ray.m_nTypeMask)) return 0;
  if (!ray.m_b2D) {
    for (POSITION pos = m_CurveList.GetHeadPosition(); pos;) {
      CGeCurve* c = m_CurveList.GetNext(pos);
      if (c && c->Hit(ray, result)) return 1;
    }
    return 0;
  }
  const double q[2] = {ray.m_ptOrigin[0], ray.m_ptOrigin[1]};
  _tagBox2D box;
  GetBox2d(&box);
  if (!BOX2D_IsPtIn(&box, q, ray.m_dRadius)) return 0;
  CGeCurve* best = nullptr;
  double bestDist = kNoValue, bestT = 0.0, bestFoot[2] = {0.0, 0.0};
  unsigned bestSeg = 0;
  for (POSITION pos = m_CurveList.GetHeadPosition(); pos;) {
    CGeCurve* c = m_CurveList.GetNext(pos);
    if (!c) continue;
    _tagBox2D cb;
    c->GetBox2d(&cb);
    if (!BOX2D_IsPtIn(&cb, q, ray.m_dRadius)) continue;
    double foot[2], t = 0.0, d = kNoValue;
    unsigned seg = 0;
    if (!c->GetNearestPoint(q, foot, t, seg, d)) continue;
    if (d < bestDist) {
      best = c;
      bestDist = d;
      bestT = t;
      bestSeg = seg;
      bestFoot[0] = foot[0];
      bestFoot[1] = foot[1];
    }
  }
  if (!best || !(bestDist < ray.m_dRadius)) return 0;
  result.m_pCurve = best;
  result.m_nSeg = static_cast<int>(bestSeg);
  result.m_dT = bestT;
  result.m_ptHit[0] = bestFoot[0];
  result.m_ptHit[1] = bestFoot[1];
  return 1;
}

void CGeCombCurve::Draw(CDC* pDC, int bAsPolyline) {
  CVurode* view = gGetVurode();
  if (!view || !pDC) return;
  if (!bAsPolyline) {
    for (POSITION pos = m_CurveList.GetHeadPosition(); pos;)
      if (CGeCurve* c = m_CurveList.GetNext(pos)) c->Draw(pDC, 0);
    return;
  }
  bool first = true;
  for (POSITION pos = m_CurveList.GetHeadPosition(); pos;) {
    CGeCurve* c = m_CurveList.GetNext(pos);
    if (!c) continue;
    if (!c->m_pSWPoint) c->Discrete(gGetCurveDicTol());
    for (int i = 0; i < c->m_nSWPoint; ++i) {
      const CPoint s = view->WorldtoScreen(c->m_pSWPoint[i]);
      if (first)
        pDC->MoveTo(s.x, s.y);
      else
        pDC->LineTo(s.x, s.y);
      first = false;
    }
  }
}

void CGeCombCurve::DrawGL(COpenGLDC* pDC, int) {
  for (POSITION pos = m_CurveList.GetHeadPosition(); pos;)
    if (CGeCurve* c = m_CurveList.GetNext(pos)) c->DrawGL(pDC, 0);
}

void CGeCombCurve::DrawNode(CDC* pDC, int, int) {
  const bool closed = IsClosed(0.01) != 0;
  int first = 1;
  for (POSITION pos = m_CurveList.GetHeadPosition(); pos;) {
    CGeCurve* c = m_CurveList.GetNext(pos);
    if (!c) continue;
    // The end marker of a closed composite's last piece would sit on the first start marker.
    const int drawEnd = (closed && !pos) ? 0 : 1;
    c->DrawNode(pDC, first, drawEnd);
    first = 0;
  }
}

void CGeCombCurve::ModifyStartPoint(const double p[2]) {
  if (m_CurveList.IsEmpty()) return;
  if (CGeCurve* c = m_CurveList.GetHead()) c->ModifyStartPoint(p);
  CalcBox2d();
}

void CGeCombCurve::ModifyEndPoint(const double p[2]) {
  if (m_CurveList.IsEmpty()) return;
  if (CGeCurve* c = m_CurveList.GetTail()) c->ModifyEndPoint(p);
  CalcBox2d();
}

// ---- discretisation ----

void CGeCombCurve::JoinSubBuffers(double tol, CPoint2dArray& pts, bool reuse) {
  bool any = false;
  for (POSITION pos = m_CurveList.GetHeadPosition(); pos;) {
    CGeCurve* c = m_CurveList.GetNext(pos);
    if (!c) continue;
    if (!reuse || !c->m_pSWPoint || c->m_nSWPoint <= 0) c->Discrete(tol);
    for (int i = any ? 1 : 0; i < c->m_nSWPoint; ++i) {
      tagPoint2d p;
      p.x = static_cast<float>(c->m_pSWPoint[i][0]);
      p.y = static_cast<float>(c->m_pSWPoint[i][1]);
      pts.Add(p);
    }
    if (c->m_nSWPoint > 0) any = true;
  }
}

void CGeCombCurve::SetBuffer(const CPoint2dArray& pts, bool memberBoxes) {
  const int n = static_cast<int>(pts.GetSize());
  if (n < 1) return;
  AllocSWMem(n);
  for (int i = 0; i < n; ++i) {
    m_pSWPoint[i][0] = pts[i].x;
    m_pSWPoint[i][1] = pts[i].y;
  }
  if (!memberBoxes) {
    CalcBox2d();
    return;
  }
  BOX2D_Init0(&m_box);
  for (POSITION pos = m_CurveList.GetHeadPosition(); pos;) {
    CGeCurve* c = m_CurveList.GetNext(pos);
    if (!c) continue;
    _tagBox2D b = c->m_box;
    if (c->GetType() != GE_TYPE_COMBCURVE || !c->IsBoxValid()) c->GetBox2d(&b);
    BOX2D_Union(&m_box, &b);
  }
}

void CGeCombCurve::Discrete(double tol) {
  CPoint2dArray pts;
  JoinSubBuffers(tol, pts);
  SetBuffer(pts);
}

void CGeCombCurve::Discrete(double tol, CPoint2dArray* pts, double step, bool refine) {
  if (!pts) return;
  JoinSubBuffers(tol, *pts);
  if (refine) RefinePointStr(tol, step, *pts);
}

void CGeCombCurve::Discrete(double tol, double) {
  CPoint2dArray pts;
  Discrete(tol, &pts, kThinAngle, true);
  SetBuffer(pts);
}

void CGeCombCurve::DiscreteToElement(CGeCurve3dList* list) {
  for (POSITION pos = m_CurveList.GetHeadPosition(); pos;)
    if (CGeCurve* c = m_CurveList.GetNext(pos)) c->DiscreteToElement(list);
}

void CGeCombCurve::BiArcAppx(double tol, CGeCurveList* list) {
  for (POSITION pos = m_CurveList.GetHeadPosition(); pos;)
    if (CGeCurve* c = m_CurveList.GetNext(pos)) c->BiArcAppx(tol, list);
}

// ---- splitting ----

namespace {

// Copies of the non-null entries in [from, to) of the list, appended to out.
void CopyRange(CGeCurveList& list, POSITION from, POSITION to, CGeCombCurve& out) {
  for (POSITION pos = from; pos && pos != to;) {
    CGeCurve* c = list.GetNext(pos);
    if (!c) continue;
    if (CGeCurve* cc = c->Copy()) out.m_CurveList.AddTail(cc);
  }
}

// Null for an empty composite (deleted); with unwrap, a lone member replaces its container.
CGeCurve* Finish(CGeCombCurve* comb, bool unwrap) {
  if (comb->m_CurveList.IsEmpty()) {
    delete comb;
    return nullptr;
  }
  if (unwrap && comb->m_CurveList.GetCount() == 1) {
    CGeCurve* only = comb->m_CurveList.RemoveHead();
    delete comb;
    return only;
  }
  comb->CalcBox2d();
  return comb;
}

}  // namespace

void CGeCombCurve::Split(double t, CGeCurve* pieces[2], int seg, int index) {
  if (index < 1 || index > GetSegmentCount() || t < 0.0) return;
  const POSITION at = m_CurveList.FindIndex(index - 1);
  CGeCurve* entry = m_CurveList.GetAt(at);
  if (!entry) return;
  CGeCurve* parts[2] = {nullptr, nullptr};
  entry->Split(t, parts, seg, 1);
  AssemblePieces(at, parts, pieces, true);
}

void CGeCombCurve::AssemblePieces(POSITION at, CGeCurve* parts[2], CGeCurve* pieces[2],
                                  bool unwrap) {
  auto* first = new CGeCombCurve;
  CopyRange(m_CurveList, m_CurveList.GetHeadPosition(), at, *first);
  if (parts[0]) first->m_CurveList.AddTail(parts[0]);
  auto* second = new CGeCombCurve;
  if (parts[1]) second->m_CurveList.AddTail(parts[1]);
  POSITION after = at;
  m_CurveList.GetNext(after);
  CopyRange(m_CurveList, after, nullptr, *second);
  pieces[0] = Finish(first, unwrap);
  pieces[1] = Finish(second, unwrap);
}

void CGeCombCurve::SplitEx(double t, CGeCurve* pieces[2], int index) {
  if (index < 1 || index > GetSegmentCount() || t < 0.0) return;
  const POSITION at = m_CurveList.FindIndex(index - 1);
  CGeCurve* entry = m_CurveList.GetAt(at);
  if (!entry) return;
  CGeCurve* parts[2] = {nullptr, nullptr};
  const int type = entry->GetType();
  if (type == GE_TYPE_POLYLINE || type == GE_TYPE_BEZIER) {
    // Polyline points and Bezier nodes both number one more than the segments.
    const double limit = entry->GetSegmentCount() + 1;
    if (t >= limit - 1e-6) {
      parts[0] = entry->Copy();
    } else if (t < 1.000001) {
      parts[1] = entry->Copy();
    } else {
      const double whole = std::floor(t);
      entry->Split(t - whole, parts, static_cast<int>(whole), 1);
    }
  } else if (t > 1.0) {
    const double whole = std::floor(t);
    entry->Split(t - whole, parts, static_cast<int>(whole), 1);
  } else {
    entry->Split(t, parts, 0, 1);
  }
  AssemblePieces(at, parts, pieces, false);
}

// ---- editing ----

void CGeCombCurve::ReDirection() {
  if (IsLinked()) return;
  bool haveEnd = false;
  double e0[2] = {0.0, 0.0};
  for (POSITION pos = m_CurveList.GetHeadPosition(); pos;) {
    CGeCurve* c = m_CurveList.GetNext(pos);
    if (!c) continue;
    double s[2] = {0.0, 0.0}, e[2] = {0.0, 0.0};
    c->GetStartPoint(s);
    c->GetEndPoint(e);
    if (!haveEnd || Dist(s, e0) < 0.01) {
      e0[0] = e[0];
      e0[1] = e[1];
      haveEnd = true;
    } else if (Dist(e, e0) < 0.01) {
      c->Reverse();
      c->GetEndPoint(e0);
    }
  }
}

namespace {

bool IsLinear(const CGeCurve* c) {
  return c && (c->GetType() == GE_TYPE_LINE || c->GetType() == GE_TYPE_POLYLINE);
}

bool IsBezier(const CGeCurve* c) { return c && c->GetType() == GE_TYPE_BEZIER; }

}  // namespace

void CGeCombCurve::MergeSubCurve() {
  CGeCurveList result(10), run(10);
  bool bezierRun = false;
  auto close = [&]() {
    if (run.GetCount() == 1) {
      result.AddTail(run.RemoveHead());
    } else if (!run.IsEmpty()) {
      CGeCurve* merged = nullptr;
      if (bezierRun)
        merged = geMergeBezier(&run);
      else
        merged = geMergeLine(&run);
      if (merged) {
        result.AddTail(merged);
        geDelCurveList(&run);
      } else {
        while (!run.IsEmpty()) result.AddTail(run.RemoveHead());
      }
    }
  };
  while (!m_CurveList.IsEmpty()) {
    CGeCurve* c = m_CurveList.RemoveHead();
    if (!c) continue;
    const bool linear = IsLinear(c), bezier = IsBezier(c);
    if (!run.IsEmpty() && (!(linear || bezier) || bezier != bezierRun)) close();
    if (linear || bezier) {
      run.AddTail(c);
      bezierRun = bezier;
    } else {
      result.AddTail(c);
    }
  }
  close();
  while (!result.IsEmpty()) m_CurveList.AddTail(result.RemoveHead());
  if (m_CurveList.GetCount() == 1 && m_nClosed) m_CurveList.GetHead()->m_nClosed = 1;
}

void CGeCombCurve::Lean(double tol, double tol2) { LeanRuns(tol, tol2, false); }

void CGeCombCurve::LeanRuns(double tol, double tol2, bool keepSingles) {
  CGeCurveList result(10), run(10);
  auto flush = [&](bool atEnd) {
    if (keepSingles && run.GetCount() == 1) {
      CGeCurve* only = run.RemoveHead();
      if (atEnd && only->GetType() == GE_TYPE_POLYLINE) static_cast<CGePolyline*>(only)->Lean(tol);
      result.AddTail(only);
    } else if (!run.IsEmpty()) {
      if (CGePolyline* poly = geCurveListToPolyLine(&run, tol, tol2)) {
        poly->Lean(tol);
        result.AddTail(poly);
        geDelCurveList(&run);
      } else {
        while (!run.IsEmpty()) result.AddTail(run.RemoveHead());
      }
    }
  };
  while (!m_CurveList.IsEmpty()) {
    CGeCurve* c = m_CurveList.RemoveHead();
    if (!c) continue;
    if (IsLinear(c)) {
      run.AddTail(c);
    } else {
      flush(false);
      result.AddTail(c);
    }
  }
  flush(true);
  while (!result.IsEmpty()) m_CurveList.AddTail(result.RemoveHead());
}

namespace {

void AppendPoint(CPoint2dArray& run, const double p[2]) {
  tagPoint2d q;
  q.x = static_cast<float>(p[0]);
  q.y = static_cast<float>(p[1]);
  run.Add(q);
}

// Appended, or replacing the run's last point when it lies within 0.0001 of it.
void JoinPoint(CPoint2dArray& run, const double p[2]) {
  const INT_PTR n = run.GetSize();
  const tagPoint2d& last = run[n - 1];
  if (std::hypot(p[0] - last.x, p[1] - last.y) < 0.0001) run.RemoveAt(n - 1);
  AppendPoint(run, p);
}

}  // namespace

void CGeCombCurve::Refine() {
  if (m_CurveList.GetCount() == 1) return;
  CGeCurveList result(10);
  CPoint2dArray points;
  std::vector<CBezierNode> nodes;
  auto emitPoints = [&]() {
    if (points.GetSize() >= 2) result.AddTail(geGenCurve(&points));
    points.RemoveAll();
  };
  auto emitNodes = [&]() {
    if (nodes.size() >= 4) {
      auto* bez = new CGeBezier;
      if (bez->CreateEx(static_cast<unsigned>(nodes.size()), nodes.data()))
        result.AddTail(bez);
      else
        delete bez;
    }
    nodes.clear();
  };
  while (!m_CurveList.IsEmpty()) {
    CGeCurve* c = m_CurveList.RemoveHead();
    if (!c) continue;
    CGeCurve* next = m_CurveList.IsEmpty() ? nullptr : m_CurveList.GetHead();
    const int type = c->GetType();
    if (type == GE_TYPE_LINE || type == GE_TYPE_POLYLINE) {
      std::vector<std::array<double, 2>> pts;
      if (type == GE_TYPE_LINE) {
        auto* line = static_cast<CGeLine*>(c);
        pts = {{line->m_ptStart[0], line->m_ptStart[1]}, {line->m_ptEnd[0], line->m_ptEnd[1]}};
      } else {
        for (int i = 0; i < c->m_nSWPoint; ++i) pts.push_back({c->m_pSWPoint[i][0], c->m_pSWPoint[i][1]});
      }
      bool merged = true;
      if (points.GetSize() > 0 && pts.size() >= 2) {
        JoinPoint(points, pts[1].data());
        for (size_t i = 2; i < pts.size(); ++i) AppendPoint(points, pts[i].data());
      } else if (points.GetSize() == 0 && next && !IsLinear(next)) {
        emitNodes();
        result.AddTail(c);  // stays as it is: it is not merged, so it is not deleted either
        merged = false;
      } else {
        for (const auto& p : pts) AppendPoint(points, p.data());
      }
      if (nodes.size() > 3) emitNodes();
      if (merged) delete c;
    } else if (type == GE_TYPE_BEZIER) {
      auto* bez = static_cast<CGeBezier*>(c);
      bool merged = true;
      if (!nodes.empty()) {
        for (int i = 1; i < bez->m_nNode; ++i) nodes.push_back(bez->m_pNode[i]);
      } else if (next && !IsBezier(next)) {
        emitPoints();
        result.AddTail(c);
        merged = false;
      } else {
        for (int i = 0; i < bez->m_nNode; ++i) nodes.push_back(bez->m_pNode[i]);
      }
      if (points.GetSize() > 1) emitPoints();
      if (merged) delete c;
    } else {
      emitPoints();
      emitNodes();
      result.AddTail(c);
    }
  }
  emitPoints();
  emitNodes();
  while (!result.IsEmpty()) m_CurveList.AddTail(result.RemoveHead());
  CalcBox2d();
}

CGePolyline* CGeCombCurve::DiscretToPolyLine(double tol, double step) {
  if (m_CurveList.IsEmpty()) return nullptr;
  CPoint2dArray pts;
  Discrete(tol, &pts, step, true);
  if (pts.GetSize() < 2) return nullptr;
  if (IsClosed(0.01)) pts[pts.GetSize() - 1] = pts[0];
  auto* poly = new CGePolyline;
  poly->Create(&pts);
  return poly;
}

CGeCombCurve* CGeCombCurve::ToBezier(unsigned n) {
  CGeCurve* target = GetSubCurve(static_cast<int>(n));
  if (IsBezier(target)) return this;
  auto* out = new CGeCombCurve;
  out->m_nClosed = m_nClosed;
  for (POSITION pos = m_CurveList.GetHeadPosition(); pos;) {
    CGeCurve* c = m_CurveList.GetNext(pos);
    if (!c) continue;
    CGeCurve* piece = nullptr;
    if (c != target)
      piece = c->Copy();
    else if (c->GetType() == GE_TYPE_LINE)
      piece = static_cast<CGeLine*>(c)->ToBezier();
    else if (c->GetType() == GE_TYPE_ARC)
      piece = static_cast<CGeArc*>(c)->ToBezier();
    if (piece) out->m_CurveList.AddTail(piece);
  }
  out->CalcBox2d();
  return out;
}
