#include "geometry/shapes3d/GeCombCurve3d.h"

#include <cmath>
#include <vector>

#include "geometry/shapes2d/PickRay.h"
#include "geometry/shapes2d/SnapAt.h"
#include "geometry/shapes3d/GePolyline3d.h"

IMPLEMENT_SERIAL(CGeCombCurve3d, CObject, GE_SCHEMA_3D)

namespace {

// Visits the non-null entries in order; f(curve, number from 1).
template <class F>
void ForEachCurve(CGeCurve3dList& list, F f) {
  int k = 0;
  for (POSITION pos = list.GetHeadPosition(); pos;)
    if (CGeCurve3d* c = list.GetNext(pos)) f(c, ++k);
}

double DistToPlane(const double p[3], const double origin[3], const double normal[3]) {
  const double d[3] = {p[0] - origin[0], p[1] - origin[1], p[2] - origin[2]};
  return std::fabs(V3D_Dot(d, normal));
}

}  // namespace

CGeCombCurve3d::CGeCombCurve3d() : m_CurveList(10) {}

CGeCombCurve3d::~CGeCombCurve3d() {
  for (POSITION pos = m_CurveList.GetHeadPosition(); pos;) delete m_CurveList.GetNext(pos);
  m_CurveList.RemoveAll();
}

int CGeCombCurve3d::GetType() const { return GE_TYPE_COMBCURVE3D; }

void CGeCombCurve3d::Serialize(CArchive& ar) {
  CGeCurve3d::Serialize(ar);
  if (ar.IsStoring()) {
    m_CurveList.Serialize(ar);
    return;
  }
  AfxReadOwnedObjects<CGeCurve3d>(ar, m_CurveList);
  DiscreteMe(gGetCurveDicTol());
}

CGeCombCurve3d* CGeCombCurve3d::Copy() {
  auto* copy = new CGeCombCurve3d;
  copy->m_nTag = m_nTag;
  copy->m_box = m_box;
  copy->m_nExtData = m_nExtData;
  ForEachCurve(m_CurveList, [&](CGeCurve3d* c, int) {
    if (CGeCurve3d* cc = c->Copy()) copy->m_CurveList.AddTail(cc);
  });
  return copy;
}

// ---- list maintenance ----

void CGeCombCurve3d::AddTail(CGeCurve3d* curve) { Insert(curve, false); }

void CGeCombCurve3d::AddHead(CGeCurve3d* curve) { Insert(curve, true); }

void CGeCombCurve3d::Insert(CGeCurve3d* curve, bool atHead) {
  if (!curve) return;
  if (curve->GetType() != GE_TYPE_COMBCURVE3D) {
    atHead ? m_CurveList.AddHead(curve) : m_CurveList.AddTail(curve);
  } else {
    auto* comb = static_cast<CGeCombCurve3d*>(curve);
    if (comb->m_CurveList.IsEmpty()) return;
    // The members keep their order at either end.
    while (!comb->m_CurveList.IsEmpty()) {
      if (atHead)
        m_CurveList.AddHead(comb->m_CurveList.RemoveTail());
      else
        m_CurveList.AddTail(comb->m_CurveList.RemoveHead());
    }
    delete comb;
  }
  CalcBox();
}

CGeCurve3d* CGeCombCurve3d::GetSubCurve(int k) {
  if (k <= 0 || k > m_CurveList.GetCount()) return nullptr;
  CGeCurve3d* found = nullptr;
  ForEachCurve(m_CurveList, [&](CGeCurve3d* c, int i) {
    if (i == k) found = c;
  });
  return found;
}

int CGeCombCurve3d::IsLinked(double tol) {
  bool first = true, linked = true;
  double end[3];
  ForEachCurve(m_CurveList, [&](CGeCurve3d* c, int) {
    double s[3];
    c->GetStartPoint(s);
    if (!first && !(P3D_Dist(s, end) < tol)) linked = false;
    c->GetEndPoint(end);
    first = false;
  });
  return linked ? 1 : 0;
}

void CGeCombCurve3d::SetExtData(int32_t word) {
  ForEachCurve(m_CurveList, [&](CGeCurve3d* c, int) {
    c->m_nExtData = word;
    if (c->GetType() == GE_TYPE_COMBCURVE3D)
      ForEachCurve(static_cast<CGeCombCurve3d*>(c)->m_CurveList,
                   [&](CGeCurve3d* s, int) { s->m_nExtData = word; });
  });
}

CGePolyline3d* CGeCombCurve3d::Convert(double tol) {
  CStrP3D str;
  Discrete(tol, str);
  if (str.m_nCount < 2) return nullptr;
  auto* poly = new CGePolyline3d(str.m_nCount);
  for (int i = 0; i < str.m_nCount; ++i)
    for (int j = 0; j < 3; ++j) poly->m_pVertex[i][j] = str.m_pPoints[i][j];
  poly->CalcBox();
  return poly;
}

// ---- boxes, drawing, picking, snapping ----

void CGeCombCurve3d::CalcBox() {
  _tagBox3D box;
  BOX3D_Init0(&box);
  bool any = false;
  ForEachCurve(m_CurveList, [&](CGeCurve3d* c, int) {
    c->CalcBox();
    BOX3D_Union(&box, &c->m_box);
    any = true;
  });
  if (any) m_box = box;
}

void CGeCombCurve3d::CalcScreenBox(_tagBox2D* box) {
  if (!box) return;
  BOX2D_Init0(box);
  ForEachCurve(m_CurveList, [&](CGeCurve3d* c, int) {
    _tagBox2D b;
    BOX2D_Init0(&b);
    c->CalcScreenBox(&b);
    BOX2D_Union(box, &b);
  });
}

int CGeCombCurve3d::GetNodeBox(_tagBox3D* box) {
  if (!box || !GetSubCurve(1)) return 0;
  BOX3D_Init0(box);
  ForEachCurve(m_CurveList, [&](CGeCurve3d* c, int) {
    _tagBox3D b;
    BOX3D_Init0(&b);
    if (c->GetNodeBox(&b)) BOX3D_Union(box, &b);
  });
  return 1;
}

int CGeCombCurve3d::GetSnapPos(CSnapAt* snap, CSnapResult& result) {
  const int before = result.GetSize();
  ForEachCurve(m_CurveList, [&](CGeCurve3d* c, int) { c->GetSnapPos(snap, result); });
  return result.GetSize() != before ? 1 : 0;
}

void CGeCombCurve3d::Draw(CDC* pDC, int nMode) {
  ForEachCurve(m_CurveList, [&](CGeCurve3d* c, int) { c->Draw(pDC, nMode); });
}

void CGeCombCurve3d::DrawGL(COpenGLDC* pDC, int) {
  ForEachCurve(m_CurveList, [&](CGeCurve3d* c, int) { c->DrawGL(pDC, 0); });
}

void CGeCombCurve3d::DrawNode(CDC* pDC, int, int) {
  const bool closed = IsClosed(0.01) != 0;
  int count = 0;
  ForEachCurve(m_CurveList, [&](CGeCurve3d*, int) { ++count; });
  ForEachCurve(m_CurveList, [&](CGeCurve3d* c, int k) {
    c->DrawNode(pDC, k == 1 ? 1 : 0, closed && k == count ? 0 : 1);
  });
}

int CGeCombCurve3d::Pick(CPickRay& ray, int filter) {
  if (filter && !(GetType() & ray.m_nTypeMask)) return 0;
  if (ray.m_b2D) {
    _tagBox2D box;
    GetBox2d(&box);
    const Position origin(ray.m_ptOrigin[0], ray.m_ptOrigin[1], ray.m_ptOrigin[2]);
    if (!origin.IsInBox(box, ray.m_dRadius)) return 0;
  }
  for (POSITION pos = m_CurveList.GetHeadPosition(); pos;) {
    CGeCurve3d* c = m_CurveList.GetNext(pos);
    if (c && c->Pick(ray, filter)) return 1;
  }
  return 0;
}

// Each sub-curve must lie in the plane (or on the line) found so far; straight pieces that
// are not parallel, or parallel but apart, fix the plane.
int CGeCombCurve3d::IsPlanar(double tol, double point[3], double vector[3]) {
  int r = 0;
  bool ok = true;
  ForEachCurve(m_CurveList, [&](CGeCurve3d* c, int) {
    if (!ok) return;
    double p[3] = {0.0, 0.0, 0.0}, v[3] = {0.0, 0.0, 0.0};
    const int b = c->IsPlanar(tol, p, v);
    if (b == GE_PLANAR_NONE) {
      ok = false;
      return;
    }
    if (r == 0 || r == GE_PLANAR_POINT) {  // nothing with a direction yet
      if (r == GE_PLANAR_POINT && b == GE_PLANAR_POINT) return;
      std::copy(p, p + 3, point);
      std::copy(v, v + 3, vector);
      r = b;
      return;
    }
    if (b == GE_PLANAR_POINT) {
      ok = r == GE_PLANAR_PLANE ? DistToPlane(p, point, vector) <= tol
                                : L3D_DistToPnt(point, vector, p) <= tol;
      return;
    }
    if (r == GE_PLANAR_LINE && b == GE_PLANAR_LINE) {
      double n[3];
      const double d[3] = {p[0] - point[0], p[1] - point[1], p[2] - point[2]};
      // Parallel pieces on one line stay straight; otherwise they span the plane.
      const bool parallel = V3D_IsParallel(vector, v, 0.001) != 0;
      if (parallel && L3D_DistToPnt(point, vector, p) <= tol) return;
      if (!V3D_VProductUnit(vector, parallel ? d : v, n)) return;
      std::copy(n, n + 3, vector);
      r = GE_PLANAR_PLANE;
      ok = DistToPlane(p, point, vector) <= tol;
    } else if (r == GE_PLANAR_LINE && b == GE_PLANAR_PLANE) {
      ok = std::fabs(V3D_Dot(vector, v)) <= 1e-6 && DistToPlane(point, p, v) <= tol;
      std::copy(v, v + 3, vector);
      r = GE_PLANAR_PLANE;
    } else if (r == GE_PLANAR_PLANE && b == GE_PLANAR_LINE) {
      ok = std::fabs(V3D_Dot(vector, v)) <= 1e-6 && DistToPlane(p, point, vector) <= tol;
    } else {
      ok = V3D_IsParallel(vector, v, 0.001) && DistToPlane(p, point, vector) <= tol;
    }
  });
  return ok ? r : 0;
}

// ---- discretisation ----

void CGeCombCurve3d::Discrete(double tol, CStrP3D& str) {
  std::vector<const CStrP3D*> parts;
  int total = 0;
  ForEachCurve(m_CurveList, [&](CGeCurve3d* c, int) {
    c->DiscreteMe(tol);
    const int n = c->m_strDisc.m_nCount;
    if (n <= 0 || !c->m_strDisc.m_pPoints) return;
    total += parts.empty() ? n : n - 1;  // each later piece repeats the previous end
    parts.push_back(&c->m_strDisc);
  });
  str.Clear();
  if (total > 0 && str.Create(total, false, false)) {
    int at = 0;
    for (size_t i = 0; i < parts.size(); ++i)
      for (int j = i == 0 ? 0 : 1; j < parts[i]->m_nCount; ++j)
        std::copy(parts[i]->m_pPoints[j], parts[i]->m_pPoints[j] + 3, str.m_pPoints[at++]);
  }
  str.CalcBox();
}

void CGeCombCurve3d::DiscreteToElement(CGeCurve3dList* list) {
  ForEachCurve(m_CurveList, [&](CGeCurve3d* c, int) { c->DiscreteToElement(list); });
}

// ---- evaluation ----

int CGeCombCurve3d::GetSegmentCount() { return static_cast<int>(m_CurveList.GetCount()); }

void CGeCombCurve3d::GetStartPoint(double p[3]) {
  if (CGeCurve3d* c = GetSubCurve(1)) c->GetStartPoint(p);
}

void CGeCombCurve3d::GetEndPoint(double p[3]) {
  if (!m_CurveList.IsEmpty())
    if (CGeCurve3d* c = m_CurveList.GetTail()) c->GetEndPoint(p);
}

void CGeCombCurve3d::GetStartTanVec(double v[3]) {
  if (!m_CurveList.IsEmpty())
    if (CGeCurve3d* c = m_CurveList.GetHead()) c->GetStartTanVec(v);
}

void CGeCombCurve3d::GetEndTanVec(double v[3]) {
  if (!m_CurveList.IsEmpty())
    if (CGeCurve3d* c = m_CurveList.GetTail()) c->GetEndTanVec(v);
}

CGeCurve3d* CGeCombCurve3d::Locate(double t, int k, double& u, int& seg) {
  CGeCurve3d* c = GetSubCurve(k);
  if (!c || !(t >= 0.0)) return nullptr;
  // Up to 1 the sub-curve's own parameter, so that 1 is its end rather than the start of a
  // segment 1.
  if (t <= 1.0) {
    u = t;
    seg = 1;
  } else {
    const double whole = std::floor(t);
    u = t - whole;
    seg = static_cast<int>(whole);
  }
  return c;
}

void CGeCombCurve3d::GetPointAt(double t, double p[3], int k) {
  double u;
  int seg;
  if (CGeCurve3d* c = Locate(t, k, u, seg)) c->GetPointAt(u, p, seg);
}

void CGeCombCurve3d::GetTanVecAt(double t, double p[3], double v[3], int k) {
  double u;
  int seg;
  if (CGeCurve3d* c = Locate(t, k, u, seg)) c->GetTanVecAt(u, p, v, seg);
}

void CGeCombCurve3d::Ev2Der(double t, double p[3], double d1[3], double d2[3], unsigned k) {
  double u;
  int seg;
  if (CGeCurve3d* c = Locate(t, static_cast<int>(k), u, seg))
    c->Ev2Der(u, p, d1, d2, static_cast<unsigned>(seg));
}

void CGeCombCurve3d::Reverse() {
  // Each piece turns round and the order turns round with it, so the chain stays linked.
  CGeCurve3dList reversed(10);
  while (!m_CurveList.IsEmpty()) {
    CGeCurve3d* c = m_CurveList.RemoveHead();
    if (c) c->Reverse();
    reversed.AddHead(c);
  }
  m_CurveList.AddTail(&reversed);
  CGeCurve3d::Reverse();
}

int CGeCombCurve3d::EvParam(double length, double& t, unsigned& seg) {
  const double total = EvTotalArcLength();
  if (IsClosed(0.01) && total > 0.0) {
    if (length > total) {
      // The same as taking the length off while it exceeds the total, without the loop.
      const double r = std::fmod(length, total);
      length = r > 0.0 ? r : total;
    }
  } else if (length > total) {
    length = total;
  }
  double before = 0.0;
  int found = 0;
  ForEachCurve(m_CurveList, [&](CGeCurve3d* c, int k) {
    if (found) return;
    const double own = c->EvTotalArcLength();
    if (length < before + own) {
      c->EvParam(length - before, t, seg);
      found = k;
    }
    before += own;
  });
  return found;
}

int CGeCombCurve3d::GetSplitParam(double*& params) {
  const int count = static_cast<int>(m_CurveList.GetCount());
  params = new double[size_t(count) + 1];
  std::vector<double> lengths;
  double total = 0.0;
  for (POSITION pos = m_CurveList.GetHeadPosition(); pos;) {
    CGeCurve3d* c = m_CurveList.GetNext(pos);
    lengths.push_back(c ? c->EvTotalArcLength() : 0.0);
    total += lengths.back();
  }
  params[0] = 0.0;
  double acc = 0.0;
  for (int i = 0; i < count; ++i) {
    acc += lengths[size_t(i)];
    params[i + 1] = total > 0.0 ? acc / total : 0.0;
  }
  params[count] = 1.0;
  return count + 1;
}

void CGeCombCurve3d::Split(double t, CGeCurve3d* pieces[2], int k) {
  if (!pieces || k <= 0 || k > m_CurveList.GetCount() || !(t >= 0.0)) return;
  CGeCurve3d* sub = GetSubCurve(k);
  if (!sub) return;
  CGeCurve3d* parts[2] = {nullptr, nullptr};
  if (sub->GetType() == GE_TYPE_POLYLINE3D) {
    const int n = static_cast<CGePolyline3d*>(sub)->m_nCount;
    if (t >= n - 1e-6) {
      parts[0] = sub->Copy();
    } else if (t < 1.000001) {
      parts[1] = sub->Copy();
    } else {
      const double s = std::floor(t);
      sub->Split(t - s, parts, static_cast<int>(s));
    }
  } else {
    double u;
    int seg;
    Locate(t, k, u, seg);
    sub->Split(u, parts, seg);
  }
  auto* first = new CGeCombCurve3d;
  auto* second = new CGeCombCurve3d;
  bool after = false;
  ForEachCurve(m_CurveList, [&](CGeCurve3d* c, int i) {
    if (i == k) {
      after = true;
      return;
    }
    if (CGeCurve3d* cc = c->Copy()) (after ? second : first)->m_CurveList.AddTail(cc);
  });
  if (parts[0]) first->m_CurveList.AddTail(parts[0]);
  if (parts[1]) second->m_CurveList.AddHead(parts[1]);
  for (CGeCombCurve3d** piece : {&first, &second}) {
    if ((*piece)->m_CurveList.IsEmpty()) {
      delete *piece;
      *piece = nullptr;
    } else {
      (*piece)->CalcBox();
    }
  }
  pieces[0] = first;
  pieces[1] = second;
}

// ---- transforms ----

template <class Op>
void CGeCombCurve3d::ReplaceEach(Op op) {
  for (POSITION pos = m_CurveList.GetHeadPosition(); pos;) {
    const POSITION at = pos;
    CGeCurve3d* c = m_CurveList.GetNext(pos);
    if (!c) continue;
    CGeShape3d* r = op(c);
    if (!r || r == c) continue;
    auto* curve = dynamic_cast<CGeCurve3d*>(r);
    if (!curve) {
      delete r;
      continue;
    }
    m_CurveList.SetAt(at, curve);
    delete c;
  }
}

template <class Op>
void CGeCombCurve3d::Finish(Op cacheOp) {
  cacheOp();
  CalcBox();
}

void CGeCombCurve3d::Translate(const double v[2]) {
  ForEachCurve(m_CurveList, [&](CGeCurve3d* c, int) { c->Translate(v); });
  Finish([&] { CGeCurve3d::Translate(v); });
}

void CGeCombCurve3d::Translate3D(const double v[3]) {
  ForEachCurve(m_CurveList, [&](CGeCurve3d* c, int) { c->Translate3D(v); });
  Finish([&] { CGeCurve3d::Translate3D(v); });
}

void CGeCombCurve3d::Rotate(const double c[2], double angle) {
  ForEachCurve(m_CurveList, [&](CGeCurve3d* s, int) { s->Rotate(c, angle); });
  Finish([&] { CGeCurve3d::Rotate(c, angle); });
}

void CGeCombCurve3d::Rotate3D(const double p[3], const double axis[3], double angle) {
  ForEachCurve(m_CurveList, [&](CGeCurve3d* c, int) { c->Rotate3D(p, axis, angle); });
  Finish([&] { CGeCurve3d::Rotate3D(p, axis, angle); });
}

void CGeCombCurve3d::Mirror(const double p[2], const double q[2]) {
  ForEachCurve(m_CurveList, [&](CGeCurve3d* c, int) { c->Mirror(p, q); });
  Finish([&] { CGeCurve3d::Mirror(p, q); });
}

CGeShape3d* CGeCombCurve3d::Shift(const double p[2], const double q[2]) {
  ReplaceEach([&](CGeCurve3d* c) { return c->Shift(p, q); });
  Finish([&] { CGeCurve3d::Shift(p, q); });
  return this;
}

CGeShape3d* CGeCombCurve3d::Scale(const double base[2], const double f[2]) {
  ReplaceEach([&](CGeCurve3d* c) { return c->Scale(base, f); });
  Finish([&] { CGeCurve3d::Scale(base, f); });
  return this;
}

CGeShape3d* CGeCombCurve3d::Scale3D(const double base[3], const double f[3]) {
  ReplaceEach([&](CGeCurve3d* c) { return c->Scale3D(base, f); });
  Finish([&] { CGeCurve3d::Scale3D(base, f); });
  return this;
}

void CGeCombCurve3d::Mirror3D(const double p[3], const double q[3]) {
  ForEachCurve(m_CurveList, [&](CGeCurve3d* c, int) { c->Mirror3D(p, q); });
  Finish([&] { CGeCurve3d::Mirror3D(p, q); });
}

void CGeCombCurve3d::Transform(const _rect_fm3d* frame) {
  ForEachCurve(m_CurveList, [&](CGeCurve3d* c, int) { c->Transform(frame); });
  Finish([&] { CGeCurve3d::Transform(frame); });
}

void CGeCombCurve3d::Transform(const double m[4][4]) {
  ForEachCurve(m_CurveList, [&](CGeCurve3d* c, int) { c->Transform(m); });
  Finish([&] { CGeCurve3d::Transform(m); });
}

void CGeCombCurve3d::TransformLocal(const _rect_fm3d* frame) {
  ForEachCurve(m_CurveList, [&](CGeCurve3d* c, int) { c->TransformLocal(frame); });
  Finish([&] { CGeCurve3d::TransformLocal(frame); });
}
