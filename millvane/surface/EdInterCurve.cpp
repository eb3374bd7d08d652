#include "millvane/surface/EdInterCurve.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <functional>
#include <new>
#include <vector>

#include "geometry/surfaces/GeTrimSurf.h"
#include "millvane/surface/EdUvTools.h"
#include "millvane/kernel/KernelNumerics.h"
#include "millvane/kernel/KernelRecords.h"
#include "millvane/kernel/SurfaceRecords.h"
#include "platform/numora/Box.h"
#include "platform/numora/Bsrf.h"
#include "platform/numora/Inter.h"
#include "platform/numora/Inter3.h"
#include "platform/numora/Interval.h"
#include "platform/numora/Line.h"

using namespace edtrim;

namespace {

struct Seg2 {
  double a[2], b[2];
  _tagBox2D box;
};

void BoxOf(Seg2& s) { SegBox(s.a, s.b, &s.box); }

// Segments of a point string in the UV pair at column idx, each moved by whole periods (per
// periodic direction) into the editor's parameter box.
std::vector<Seg2> UvSegments(const double (*pts)[7], int last, int idx, const bool periodic[2],
                             const _tagBox2D& range) {
  std::vector<Seg2> cs(static_cast<size_t>(last));
  for (int i = 0; i < last; ++i) {
    Seg2& s = cs[size_t(i)];
    for (int c = 0; c < 2; ++c) {
      s.a[c] = pts[i][idx + c];
      s.b[c] = pts[i + 1][idx + c];
      if (periodic[c]) {
        const double sh = PeriodShift(std::min(s.a[c], s.b[c]), range.min[c], range.max[c]);
        s.a[c] += sh;
        s.b[c] += sh;
      }
    }
    BoxOf(s);
  }
  return cs;
}

std::vector<_tagBox2D> Boxes(const std::vector<Seg2>& segs) {
  std::vector<_tagBox2D> out;
  out.reserve(segs.size());
  for (const Seg2& s : segs) out.push_back(s.box);
  return out;
}

// Candidates of the near-point search: a place on each polyline and their distance.
struct NearCand {
  int i, j;
  double ti, tj, dist;
};

using Pt3 = std::array<double, 3>;

// Closest approach between segments (p0, p1) and (q0, q1) through the projections of each
// segment's ends onto the other; placeOk may refuse a pair of places. False when no
// projection counts.
bool SegmentNear(const double* p0, const double* p1, const double* q0, const double* q1,
                 const std::function<bool(double, double)>& placeOk, double& ti, double& tj,
                 double& dist) {
  dist = 100000.0;
  bool any = false;
  const double* ps[2] = {p0, p1};
  const double* qs[2] = {q0, q1};
  auto take = [&](double d, double a, double b) {
    if (d < dist && (!placeOk || placeOk(a, b))) {
      dist = d;
      ti = a;
      tj = b;
      any = true;
    }
  };
  for (int e = 0; e < 2; ++e) {
    double foot[3], t;
    if (L3D_PrjPntEx2(q0, q1, ps[e], foot, t) && t >= 0 && t <= 1) take(Dist3(foot, ps[e]), e, t);
    if (L3D_PrjPntEx2(p0, p1, qs[e], foot, t) && t >= 0 && t <= 1) take(Dist3(foot, qs[e]), t, e);
  }
  return any;
}

// Clusters candidates whose segment indices both lie within 2 of a member's and keeps the
// closest of each cluster.
std::vector<NearCand> KeepClosest(const std::vector<NearCand>& cands) {
  std::vector<int> cluster(cands.size(), -1);
  std::vector<NearCand> kept;
  for (size_t s = 0; s < cands.size(); ++s) {
    if (cluster[s] >= 0) continue;
    const int id = int(kept.size());
    cluster[s] = id;
    std::vector<size_t> stack{s};
    NearCand best = cands[s];
    while (!stack.empty()) {
      const size_t m = stack.back();
      stack.pop_back();
      if (cands[m].dist < best.dist) best = cands[m];
      for (size_t o = 0; o < cands.size(); ++o) {
        if (cluster[o] >= 0) continue;
        if (std::abs(cands[o].i - cands[m].i) <= 2 && std::abs(cands[o].j - cands[m].j) <= 2) {
          cluster[o] = id;
          stack.push_back(o);
        }
      }
    }
    kept.push_back(best);
  }
  return kept;
}

constexpr size_t kMaxNearCandidates = 5000;

void SegBox3(const Pt3& a, const Pt3& b, _tagBox3D& box) {
  BOX3D_Init(&box, a.data());
  BOX3D_Extend(&box, b.data());
}

// Near places between polylines P and Q (self: Q is P and only segments two apart meet).
// A candidate needs a distance below the threshold (or at most it, with inclusive).
std::vector<NearCand> NearSearch(const std::vector<Pt3>& P, const std::vector<Pt3>& Q, bool self,
                                 double threshold, bool inclusive,
                                 const std::function<bool(int, int, double, double)>& placeOk) {
  std::vector<NearCand> cands;
  const int np = int(P.size()) - 1, nq = int(Q.size()) - 1;
  if (np < 1 || nq < 1) return cands;
  std::vector<_tagBox3D> qb(static_cast<size_t>(nq));
  for (int j = 0; j < nq; ++j) SegBox3(Q[size_t(j)], Q[size_t(j) + 1], qb[size_t(j)]);
  for (int i = 0; i < np && cands.size() < kMaxNearCandidates; ++i) {
    _tagBox3D pb;
    SegBox3(P[size_t(i)], P[size_t(i) + 1], pb);
    for (int j = self ? i + 2 : 0; j < nq && cands.size() < kMaxNearCandidates; ++j) {
      if (!BOX3D_IsInt(&pb, &qb[size_t(j)], 0.1)) continue;
      double ti = 0, tj = 0, d = 0;
      std::function<bool(double, double)> ok;
      if (placeOk) ok = [&](double a, double b) { return placeOk(i, j, a, b); };
      if (!SegmentNear(P[size_t(i)].data(), P[size_t(i) + 1].data(), Q[size_t(j)].data(),
                       Q[size_t(j) + 1].data(), ok, ti, tj, d))
        continue;
      if (inclusive ? d <= threshold : d < threshold) cands.push_back({i, j, ti, tj, d});
    }
  }
  return KeepClosest(cands);
}

}  // namespace

void GeoEdit_DeleteLines(CEdInterLine*& lines) {
  while (lines) {
    CEdInterLine* next = lines->m_pNext;
    delete lines;
    lines = next;
  }
  lines = nullptr;
}

CEdInterCurve::CEdInterCurve()
    : m_pEditorA(nullptr),
      m_pEditorB(nullptr),
      m_pNext(nullptr),
      m_pPrev(nullptr),
      m_nState(0),
      m_nSideA(0),
      m_nSideB(0),
      m_nLast(0),
      m_pPoints(nullptr),
      m_boxMin{0, 0, 0, 0, 0, 0, 0},
      m_boxMax{0, 0, 0, 0, 0, 0, 0},
      m_bPeriodic{0, 0, 0, 0},
      m_pFirstPt(nullptr),
      m_pLastPt(nullptr),
      m_bClosed(0) {}

CEdInterCurve::~CEdInterCurve() {
  delete[] m_pPoints;
  FreePoints();
}

void CEdInterCurve::FreePoints() {
  for (CEdInterPoint* p = m_pFirstPt; p;) {
    CEdInterPoint* next = p->m_pNext;
    delete p;
    p = next;
  }
  m_pFirstPt = m_pLastPt = nullptr;
}

int CEdInterCurve::CountPoints() const {
  int n = 0;
  for (CEdInterPoint* p = m_pFirstPt; p; p = p->m_pNext) ++n;
  return n;
}

void CEdInterCurve::CalcBox() {
  if (!m_pPoints) return;
  for (int c = 0; c < 7; ++c) m_boxMin[c] = m_boxMax[c] = m_pPoints[0][c];
  for (int i = 1; i <= m_nLast; ++i)
    for (int c = 0; c < 7; ++c) {
      m_boxMin[c] = std::min(m_boxMin[c], m_pPoints[i][c]);
      m_boxMax[c] = std::max(m_boxMax[c], m_pPoints[i][c]);
    }
}

void CEdInterCurve::ShiftIntoRanges() {
  for (int k = 0; k < 4; ++k) {
    if (!m_bPeriodic[k]) continue;
    CEdTrimSurf* ed = k < 2 ? m_pEditorA : m_pEditorB;
    if (!ed) continue;
    const int c = 3 + k;
    const double lo = ed->m_uvBox.min[k % 2], hi = ed->m_uvBox.max[k % 2];
    const double s = PeriodShift(m_boxMin[c], lo, hi);
    if (std::fabs(s) > 1e-6) {
      for (int i = 0; i <= m_nLast; ++i) m_pPoints[i][c] += s;
      m_boxMin[c] += s;
      m_boxMax[c] += s;
    }
    // A curve that fits into one period needs no wrapping later.
    if (m_boxMax[c] < hi) m_bPeriodic[k] = 0;
  }
}

int CEdInterCurve::Create(const _intcur* rec, CEdTrimSurf* a, CEdTrimSurf* b) {
  if (!rec || !rec->points || rec->points->count < 2 || !rec->points->points) return 0;
  if ((!a && !b) || (a && !a->m_pSurface) || (b && !b->m_pSurface)) return 0;
  const int n = rec->points->count;
  auto* pts = new (std::nothrow) double[n][7];
  if (!pts) return 0;
  for (int i = 0; i < n; ++i) {
    const SSI_TracedPoint& tp = rec->points->points[i];
    const double v[7] = {tp.point[0], tp.point[1], tp.point[2], tp.uvA[0],
                         tp.uvA[1],   tp.uvB[0],   tp.uvB[1]};
    std::copy(v, v + 7, pts[i]);
    if (!a) {
      b->m_pSurface->GetPoint(pts[i][5], pts[i][6], pts[i]);
      pts[i][3] = pts[i][4] = 0.0;
    } else if (!b) {
      a->m_pSurface->GetPoint(pts[i][3], pts[i][4], pts[i]);
      pts[i][5] = pts[i][6] = 0.0;
    }
  }
  delete[] m_pPoints;
  m_pPoints = pts;
  m_nLast = n - 1;
  m_pEditorA = a;
  m_pEditorB = b;
  m_bPeriodic[0] = a ? a->m_bUPeriodic : 0;
  m_bPeriodic[1] = a ? a->m_bVPeriodic : 0;
  m_bPeriodic[2] = b ? b->m_bUPeriodic : 0;
  m_bPeriodic[3] = b ? b->m_bVPeriodic : 0;
  CalcBox();
  ShiftIntoRanges();
  if (a && a->m_pSurface->m_pKernelSurf) m_nSideA = rec->flagA;
  if (b && b->m_pSurface->m_pKernelSurf) m_nSideB = rec->flagB;
  return 1;
}

int CEdInterCurve::Create(double (*uv)[2], int count, CEdTrimSurf* editor) {
  if (!uv || count <= 1 || !editor || !editor->m_pSurface) return 0;
  _param U, V;
  const auto* rec = static_cast<const ENT_Record*>(editor->m_pSurface->m_pKernelSurf);
  if (!rec || SRF_GetParamRanges(rec, &U, &V) != 1) return 0;
  auto* pts = new (std::nothrow) double[count][7];
  if (!pts) return 0;
  for (int i = 0; i < count; ++i) {
    pts[i][0] = pts[i][1] = pts[i][2] = 0.0;
    pts[i][3] = uv[i][0];
    pts[i][4] = uv[i][1];
    pts[i][5] = pts[i][6] = 0.0;
    editor->m_pSurface->GetPoint(uv[i][0], uv[i][1], pts[i]);
  }
  delete[] m_pPoints;
  m_pPoints = pts;
  m_nLast = count - 1;
  m_pEditorA = editor;
  m_pEditorB = nullptr;
  m_bPeriodic[0] = U.closure == 2;
  m_bPeriodic[1] = V.closure == 2;
  m_bPeriodic[2] = m_bPeriodic[3] = 0;
  CalcBox();
  ShiftIntoRanges();
  return 1;
}

void CEdInterCurve::Reset() {
  FreePoints();
  m_nState = 0;
}

int CEdInterCurve::IsOverlap(CEdInterCurve* other) {
  if (!other || !m_pPoints || !other->m_pPoints || other->m_nLast != m_nLast) return 0;
  std::vector<double> pa, pb;
  for (int i = 0; i <= m_nLast; ++i) {
    pa.insert(pa.end(), m_pPoints[i], m_pPoints[i] + 3);
    pb.insert(pb.end(), other->m_pPoints[i], other->m_pPoints[i] + 3);
  }
  PLY_String a{m_nLast + 1, reinterpret_cast<double(*)[3]>(pa.data())};
  PLY_String b{m_nLast + 1, reinterpret_cast<double(*)[3]>(pb.data())};
  int overlap = 0;
  return PLY_IsOverlap(&a, &b, overlap, 0.05) == 1 && overlap == 1 ? 1 : 0;
}

int CEdInterCurve::GetPoint(double t, double out[7]) {
  if (!m_pPoints || m_nLast == 0) return 0;
  const double fi = std::floor(t);
  if (fi < 0) {
    std::copy(m_pPoints[0], m_pPoints[0] + 7, out);
  } else if (fi < m_nLast) {
    const int i = int(fi);
    const double f = t - i;
    for (int c = 0; c < 7; ++c) out[c] = m_pPoints[i][c] + f * (m_pPoints[i + 1][c] - m_pPoints[i][c]);
  } else {
    std::copy(m_pPoints[m_nLast], m_pPoints[m_nLast] + 7, out);
  }
  return 1;
}

CEdInterPoint* CEdInterCurve::MakePoint(double t, int kind, CEdTrimSurf* editor) {
  auto* p = new (std::nothrow) CEdInterPoint;
  if (!p) return nullptr;
  if (!GetPoint(t, p->m_pt)) {
    delete p;
    return nullptr;
  }
  p->m_dParam = t;
  p->m_nKind = kind;
  p->m_pEditor = editor;
  return p;
}

int CEdInterCurve::AddNewPoint(CEdInterPoint* pt) {
  if (!pt) return 0;
  for (CEdInterPoint* e = m_pFirstPt; e; e = e->m_pNext) {
    const double dt = std::fabs(pt->m_dParam - e->m_dParam);
    if (dt <= 0.00001 || (Dist3(pt->m_pt, e->m_pt) <= 0.02 && dt <= 1.0)) {
      if (!(e->m_nKind & pt->m_nKind)) e->m_nKind |= pt->m_nKind;
      if (pt->m_nKind == 8 || pt->m_nKind == 64) e->m_pEditor = pt->m_pEditor;
      delete pt;
      return 0;
    }
  }
  CEdInterPoint* after = nullptr;
  for (CEdInterPoint* e = m_pFirstPt; e && e->m_dParam <= pt->m_dParam; e = e->m_pNext) after = e;
  pt->m_pPrev = after;
  pt->m_pNext = after ? after->m_pNext : m_pFirstPt;
  if (pt->m_pNext)
    pt->m_pNext->m_pPrev = pt;
  else
    m_pLastPt = pt;
  if (after)
    after->m_pNext = pt;
  else
    m_pFirstPt = pt;
  return 1;
}

void CEdInterCurve::AddEndPoint() {
  if (!m_pPoints) return;
  AddNewPoint(MakePoint(0.0, 1, nullptr));
  AddNewPoint(MakePoint(double(m_nLast), 1, nullptr));
}

int CEdInterCurve::InterWithBound(CEdTrimLoop* loop, CEdTrimBound* bound) {
  if (!loop || !bound || !m_pPoints || m_nLast < 1 || !bound->m_pPoints || bound->m_nLast < 1)
    return 0;
  CEdTrimSurf* ed = loop->m_pOwner;
  int idx, kind, pk;
  if (ed && ed == m_pEditorA) {
    idx = 3;
    kind = 2;
    pk = 0;
  } else if (ed && ed == m_pEditorB) {
    idx = 5;
    kind = 4;
    pk = 2;
  } else {
    return 0;
  }
  CEdTrimSurf* other = idx == 3 ? m_pEditorB : m_pEditorA;
  const int oidx = idx == 3 ? 5 : 3;
  bound->CalcBox();
  for (int c = 0; c < 2; ++c) {
    if (m_bPeriodic[pk + c]) continue;
    if (!CInterval::ChkIntInt(m_boxMin[idx + c], m_boxMax[idx + c], bound->m_box.min[c],
                              bound->m_box.max[c], 1e-8))
      return 0;
  }
  // Curve segments in this editor's UV, moved by whole periods into its range.
  const bool ownPeriodic[2] = {m_bPeriodic[pk] != 0, m_bPeriodic[pk + 1] != 0};
  const std::vector<Seg2> cs = UvSegments(m_pPoints, m_nLast, idx, ownPeriodic, ed->m_uvBox);
  const auto boxes = Boxes(cs);
  const SegSweep sweep(boxes);
  std::vector<int> cand;
  int found = 0;
  for (int j = 0; j < bound->m_nLast; ++j) {
    Seg2 bs;
    std::copy(bound->m_pPoints[j], bound->m_pPoints[j] + 2, bs.a);
    std::copy(bound->m_pPoints[j + 1], bound->m_pPoints[j + 1] + 2, bs.b);
    BoxOf(bs);
    sweep.Query(bs.box, 1e-8, cand);
    for (int i : cand) {
      const Seg2& s = cs[size_t(i)];
      double p[2];
      if (Inter_LineLineEx(s.a, s.b, bs.a, bs.b, 1e-8, 1e-8, p) != INTER_POINT) continue;
      const double fc = Fraction(s.a, s.b, p), fb = Fraction(bs.a, bs.b, p);
      if (!InRange(fc) || !InRange(fb)) continue;
      ++found;
      CEdInterPoint* pt = MakePoint(i + fc, kind, ed);
      if (!pt) continue;
      if (other && other->m_pSurface) {
        double onBound[3] = {0, 0, 0}, onOther[3] = {0, 0, 0};
        ed->m_pSurface->GetPoint(p[0], p[1], onBound);
        other->m_pSurface->GetPoint(pt->m_pt[oidx], pt->m_pt[oidx + 1], onOther);
        if (Dist3(onBound, onOther) > 0.02) {
          double q[3], u = pt->m_pt[oidx], v = pt->m_pt[oidx + 1];
          if (other->SnapPoint(onBound, q, u, v)) {
            pt->m_pt[oidx] = u;
            pt->m_pt[oidx + 1] = v;
          }
        }
      }
      const double bp[3] = {p[0], p[1], j + fb};
      bound->AddIntPoint(bp);
      AddNewPoint(pt);
    }
  }
  return found ? 1 : 0;
}

int CEdInterCurve::InterWithLoop(CEdTrimLoop* first, int nearPoints) {
  if (!first || !first->m_pOwner) return 0;
  for (CEdTrimLoop* l = first; l; l = l->m_pNext)
    for (CEdTrimBound* b = l->m_pFirst; b; b = b->m_pNext)
      if (!InterWithBound(l, b) && nearPoints) CreateNearPoint(l, b);
  return 1;
}

int CEdInterCurve::InterWithIntCurve(CEdInterCurve& other) {
  CEdTrimSurf *a = m_pEditorA, *b = m_pEditorB, *oa = other.m_pEditorA, *ob = other.m_pEditorB;
  if (a && b && ((a == oa && b == ob) || (a == ob && b == oa)))
    return InterWithIntCurve(other, 3, oa == a ? 3 : 5, a, 16);
  if (a && (a == oa || a == ob)) return InterWithIntCurve(other, 3, a == oa ? 3 : 5, a, 8);
  if (b && (b == oa || b == ob)) return InterWithIntCurve(other, 5, b == oa ? 3 : 5, b, 8);
  return 0;
}

int CEdInterCurve::InterWithIntCurve(CEdInterCurve& other, int idx, int oidx, CEdTrimSurf* ed,
                                     int kind) {
  if (!ed || !m_pPoints || !other.m_pPoints || m_nLast < 1 || other.m_nLast < 1) return 0;
  if ((idx != 3 && idx != 5) || (oidx != 3 && oidx != 5)) return 0;
  const int pk = idx - 3, opk = oidx - 3;
  bool periodic[2];
  for (int c = 0; c < 2; ++c) {
    periodic[c] = m_bPeriodic[pk + c] || other.m_bPeriodic[opk + c];
    if (!periodic[c] &&
        !CInterval::ChkIntInt(m_boxMin[idx + c], m_boxMax[idx + c], other.m_boxMin[oidx + c],
                              other.m_boxMax[oidx + c], 1e-8))
      return 0;
  }
  const std::vector<Seg2> cs = UvSegments(m_pPoints, m_nLast, idx, periodic, ed->m_uvBox);
  const auto boxes = Boxes(cs);
  const SegSweep sweep(boxes);
  std::vector<int> cand;
  int found = 0;
  for (int j = 0; j < other.m_nLast; ++j) {
    Seg2 os;
    for (int c = 0; c < 2; ++c) {
      os.a[c] = other.m_pPoints[j][oidx + c];
      os.b[c] = other.m_pPoints[j + 1][oidx + c];
    }
    BoxOf(os);
    sweep.Query(os.box, 1e-8, cand);
    for (int i : cand) {
      const Seg2& s = cs[size_t(i)];
      double p[2];
      if (Inter_LineLineEx(s.a, s.b, os.a, os.b, 1e-10, 1e-10, p) != INTER_POINT) continue;
      const double fc = Fraction(s.a, s.b, p), fo = Fraction(os.a, os.b, p);
      if (!InRange(fc) || !InRange(fo)) continue;
      ++found;
      CEdInterPoint* mine = MakePoint(i + fc, kind, ed);
      CEdInterPoint* theirs = other.MakePoint(j + fo, kind, ed);
      if (mine && theirs) {
        AddNewPoint(mine);
        other.AddNewPoint(theirs);
      } else {
        delete mine;
        delete theirs;
      }
    }
  }
  return found ? 1 : 0;
}

int CEdInterCurve::InterWithSelf() {
  if (!m_pPoints || m_nLast < 3) return 0;
  auto box = [&](int i, _tagBox3D& b) {
    BOX3D_Init(&b, m_pPoints[i]);
    BOX3D_Extend(&b, m_pPoints[i + 1]);
    BOX3D_Expand(1e-8, &b);
  };
  for (int i = 0; i < m_nLast; ++i) {
    _tagBox3D bi;
    box(i, bi);
    for (int j = i + 2; j < m_nLast; ++j) {
      _tagBox3D bj;
      box(j, bj);
      if (!BOX3D_IsInt(&bi, &bj, 0.1)) continue;
      const double* a[2] = {m_pPoints[i], m_pPoints[i + 1]};
      const double* b[2] = {m_pPoints[j], m_pPoints[j + 1]};
      double fi = -1, fj = -1;
      for (int e = 0; e < 4 && fi < 0; ++e)
        if (Dist3(a[e / 2], b[e % 2]) < 0.001) {
          fi = e / 2;
          fj = e % 2;
        }
      if (fi < 0) {
        double pt[3], fa, fb;
        if (!Inter3_LineLineEx2(a[0], a[1], b[0], b[1], 0.006, 1e-7, fa, fb, pt) || fa < 0 ||
            fa > 1)
          continue;
        fi = fa;
        fj = fb;
      }
      AddNewPoint(MakePoint(i + fi, 32, nullptr));
      AddNewPoint(MakePoint(j + fj, 32, nullptr));
      m_bClosed = 1;
      return 1;
    }
  }
  return 0;
}

namespace {

std::vector<Pt3> SpacePolyline(const double (*pts)[7], int last) {
  std::vector<Pt3> out;
  for (int i = 0; i <= last; ++i) out.push_back({pts[i][0], pts[i][1], pts[i][2]});
  return out;
}

}  // namespace

int CEdInterCurve::CreateNearPoint(CEdInterCurve* other, double) {
  if (!other || !m_pPoints || !other->m_pPoints) return 0;
  CEdTrimSurf *a = m_pEditorA, *b = m_pEditorB, *oa = other->m_pEditorA, *ob = other->m_pEditorB;
  CEdTrimSurf* ed = nullptr;
  int kind = 0, idx = 3;
  if (a && b && ((a == oa && b == ob) || (a == ob && b == oa))) {
    ed = a;
    kind = 128;
  } else if (a && (a == oa || a == ob)) {
    ed = a;
    kind = 64;
  } else if (b && (b == oa || b == ob)) {
    ed = b;
    kind = 64;
    idx = 5;
  } else {
    return 0;
  }
  _tagBox3D mb, ob3;
  BOX3D_Init(&mb, m_boxMin);
  BOX3D_Extend(&mb, m_boxMax);
  BOX3D_Init(&ob3, other->m_boxMin);
  BOX3D_Extend(&ob3, other->m_boxMax);
  if (!BOX3D_IsInt(&mb, &ob3, 0.1)) return 0;
  const auto kept = NearSearch(SpacePolyline(m_pPoints, m_nLast),
                               SpacePolyline(other->m_pPoints, other->m_nLast), false,
                               ed->GetMinCloseTol(), false, nullptr);
  int added = 0;
  for (const NearCand& c : kept) {
    CEdInterPoint* p = MakePoint(c.i + c.ti, kind, ed);
    CEdInterPoint* q = other->MakePoint(c.j + c.tj, kind, ed);
    if (!p || !q) {
      delete p;
      delete q;
      continue;
    }
    for (int k = 0; k < 3; ++k) p->m_pt[k] = q->m_pt[k] = 0.5 * (p->m_pt[k] + q->m_pt[k]);
    if (ed->IsPointIn(&p->m_pt[idx]) != 1) {
      AddNewPoint(p);
      other->AddNewPoint(q);
      ++added;
    } else {
      delete p;
      delete q;
    }
  }
  return added ? 1 : 0;
}

int CEdInterCurve::CreateNearPoint(CEdTrimLoop* loop, CEdTrimBound* bound) {
  if (!loop || !bound || !m_pPoints || !bound->m_pPoints) return 0;
  CEdTrimSurf* ed = loop->m_pOwner;
  if (!ed || (ed != m_pEditorA && ed != m_pEditorB)) return 0;
  if (!bound->m_pWorld) bound->CalWorldPoint(ed->m_pSurface);
  if (!bound->m_pWorld) return 0;
  std::vector<Pt3> bw;
  for (int i = 0; i <= bound->m_nLast; ++i)
    bw.push_back({bound->m_pWorld[i][0], bound->m_pWorld[i][1], bound->m_pWorld[i][2]});
  const auto kept = NearSearch(SpacePolyline(m_pPoints, m_nLast), bw, false,
                               ed->GetMinCloseTol(), false, nullptr);
  int added = 0;
  for (const NearCand& c : kept) {
    CEdInterPoint* p = MakePoint(c.i + c.ti, 128, ed);
    if (!p) continue;
    const int j = std::min(c.j, bound->m_nLast - 1);
    const double* u0 = bound->m_pPoints[j];
    const double* u1 = bound->m_pPoints[j + 1];
    const double bp[3] = {u0[0] + c.tj * (u1[0] - u0[0]), u0[1] + c.tj * (u1[1] - u0[1]),
                          j + c.tj};
    AddNewPoint(p);
    bound->AddIntPoint(bp);
    ++added;
  }
  return added ? 1 : 0;
}

int CEdInterCurve::CreateNearPoint() {
  if (!m_pPoints || m_nLast < 3) return 0;
  // Arc length at every vertex, to tell a real approach from neighbouring places.
  std::vector<double> s(size_t(m_nLast) + 1, 0.0);
  for (int i = 1; i <= m_nLast; ++i)
    s[size_t(i)] = s[size_t(i) - 1] + Dist3(m_pPoints[i - 1], m_pPoints[i]);
  auto along = [&](int i, double t) {
    return s[size_t(i)] + t * (s[size_t(i) + 1] - s[size_t(i)]);
  };
  const auto poly = SpacePolyline(m_pPoints, m_nLast);
  const auto kept = NearSearch(poly, poly, true, 0.01, true, [&](int i, int j, double ti, double tj) {
    return std::fabs(along(j, tj) - along(i, ti)) > 0.05;
  });
  int added = 0;
  for (const NearCand& c : kept) {
    AddNewPoint(MakePoint(c.i + c.ti, 32, nullptr));
    AddNewPoint(MakePoint(c.j + c.tj, 32, nullptr));
    ++added;
  }
  return added ? 1 : 0;
}

int CEdInterCurve::IsValid(CEdInterPoint* a, CEdInterPoint* b, CEdTrimSurf* editor) {
  if (!a || !b || !editor || (editor != m_pEditorA && editor != m_pEditorB)) return 0;
  double mid[7], probe[7];
  if (!GetPoint(0.5 * (a->m_dParam + b->m_dParam), mid)) return 0;
  // Second probe a quarter of the way, used when the midpoint sits on a trim loop.
  GetPoint(a->m_dParam + 0.25 * (b->m_dParam - a->m_dParam), probe);
  CEdTrimSurf* eds[2] = {m_pEditorA, m_pEditorB};
  for (int k = 0; k < 2; ++k) {
    if (!eds[k]) continue;
    const int idx = 3 + 2 * k;
    const int r = eds[k]->IsPointIn(&mid[idx]);
    if (r == 1) return 0;
    if (r == 2 && eds[k]->IsPointIn(&probe[idx]) != 2) return 0;
  }
  return 1;
}

CEdTrimBound* CEdInterCurve::GetValidBound(CEdTrimSurf* editor, int refine) {
  if (!editor || !m_pPoints || m_nLast <= 0 || !m_pFirstPt) return nullptr;
  int idx;
  if (editor == m_pEditorA)
    idx = 3;
  else if (editor == m_pEditorB)
    idx = 5;
  else
    return nullptr;
  const int keep = idx == 3 ? m_nSideA : m_nSideB;
  auto isCut = [&](CEdInterPoint* p) {
    return (p->m_nKind & (128 | 32 | 16 | 4 | 2 | 1)) ||
           ((p->m_nKind & (64 | 8)) && p->m_pEditor == editor);
  };
  CEdTrimBound *first = nullptr, *last = nullptr;
  CEdInterPoint* prev = nullptr;
  for (CEdInterPoint* p = m_pFirstPt; p; p = p->m_pNext) {
    if (!isCut(p)) continue;
    if (prev && IsValid(prev, p, editor)) {
      if (CEdTrimBound* b = GetSubBound(prev, p, idx, editor, refine)) {
        b->m_nKeep = keep;
        b->m_pPrev = last;
        if (last)
          last->m_pNext = b;
        else
          first = b;
        last = b;
      }
    }
    prev = p;
  }
  return first;
}

CEdTrimBound* CEdInterCurve::GetSubBound(CEdInterPoint* a, CEdInterPoint* b, int idx,
                                         CEdTrimSurf* editor, int refine) {
  if (!a || !b || !editor || !m_pPoints) return nullptr;
  std::vector<double> uv{a->m_pt[idx], a->m_pt[idx + 1]};
  for (int k = std::max(0, int(std::floor(a->m_dParam))); k <= m_nLast; ++k) {
    if (k <= a->m_dParam + 1e-8) continue;
    if (k >= b->m_dParam - 1e-8) break;
    uv.push_back(m_pPoints[k][idx]);
    uv.push_back(m_pPoints[k][idx + 1]);
  }
  uv.push_back(b->m_pt[idx]);
  uv.push_back(b->m_pt[idx + 1]);
  auto* bound = new (std::nothrow) CEdTrimBound;
  if (!bound) return nullptr;
  if (!bound->SetPoints(reinterpret_cast<const double(*)[2]>(uv.data()), int(uv.size() / 2))) {
    delete bound;
    return nullptr;
  }
  bound->m_nKind = 1;
  bound->CalWorldPoint(editor->m_pSurface);
  bound->CalcBox();
  const int periodic[2] = {editor->m_bUPeriodic, editor->m_bVPeriodic};
  for (int c = 0; c < 2; ++c) {
    if (!periodic[c]) continue;
    const double lo = editor->m_uvBox.min[c], hi = editor->m_uvBox.max[c];
    if (std::fabs(bound->m_box.min[c] - lo) < 0.001) bound->m_box.min[c] = lo;
    if (std::fabs(bound->m_box.max[c] - hi) < 0.001) bound->m_box.max[c] = hi;
    const double s = PeriodShift(bound->m_box.min[c] + 1e-6, lo, hi);
    if (std::fabs(s) <= 1e-6) continue;
    int outside = 0;
    for (int i = 0; i <= bound->m_nLast; ++i)
      outside += CInterval::ChkValInt(lo, hi, 1e-6, bound->m_pPoints[i][c]) == 1;
    if (outside > bound->m_nLast / 2) {
      for (int i = 0; i <= bound->m_nLast; ++i) bound->m_pPoints[i][c] += s;
      bound->m_box.min[c] += s;
      bound->m_box.max[c] += s;
    }
  }
  if (refine) bound->Refine(1e-6);
  if (bound->m_nLast < 1 || bound->GetLength() <= 0.0) {
    delete bound;
    return nullptr;
  }
  return bound;
}

CEdInterLine* CEdInterCurve::GetValidSegment(int) {
  if (!m_pFirstPt) return nullptr;
  CEdInterLine *first = nullptr, *last = nullptr;
  for (CEdInterPoint* a = m_pFirstPt; a && a->m_pNext; a = a->m_pNext) {
    CEdInterPoint* b = a->m_pNext;
    double mid[7];
    if (!GetPoint(0.5 * (a->m_dParam + b->m_dParam), mid)) continue;
    if (m_pEditorA && m_pEditorA->IsPointIn(&mid[3]) == 1) continue;
    if (m_pEditorB && m_pEditorB->IsPointIn(&mid[5]) == 1) continue;
    double pb[7];
    GetPoint(b->m_dParam, pb);
    if (last && std::fabs(last->m_dEnd - a->m_dParam) <= 1e-6) {
      last->m_dEnd = b->m_dParam;
    } else {
      auto* l = new (std::nothrow) CEdInterLine;
      if (!l) continue;
      double pa[7];
      GetPoint(a->m_dParam, pa);
      l->m_pCurve = this;
      l->m_dStart = a->m_dParam;
      std::copy(pa, pa + 3, l->m_ptStart);
      std::copy(pa + 3, pa + 5, l->m_uvAStart);
      std::copy(pa + 5, pa + 7, l->m_uvBStart);
      l->m_pPrev = last;
      if (last)
        last->m_pNext = l;
      else
        first = l;
      last = l;
    }
    last->m_dEnd = b->m_dParam;
    std::copy(pb, pb + 3, last->m_ptEnd);
    std::copy(pb + 3, pb + 5, last->m_uvAEnd);
    std::copy(pb + 5, pb + 7, last->m_uvBEnd);
  }
  return first;
}

void CEdInterCurve::FreeValidIntCur(_intcur* rec) {
  if (!rec) return;
  ENT_Free(rec->surfaceA);
  ENT_Free(rec->surfaceB);
  rec->surfaceA = rec->surfaceB = nullptr;
  SSI_FreeCurve(rec);
}

void CEdInterCurve::GetValidIntCur(CTypedPtrList<CPtrList, _intcur*>* list) {
  if (!list || (!m_pEditorA && !m_pEditorB)) return;
  CEdInterLine* lines = GetValidSegment(0);
  auto surfRecord = [](CEdTrimSurf* ed) -> ENT_Record* {
    if (!ed || !ed->m_pSurface || !ed->m_pSurface->m_pSurface) return nullptr;
    _nurbs_surface* clone = BSRF_Clone(ed->m_pSurface->m_pSurface);
    if (!clone) return nullptr;
    SRF_Bspline* r = SRF_NewBspline(clone);
    if (!r) BSRF_Free(clone);
    return r;
  };
  for (CEdInterLine* l = lines; l; l = l->m_pNext) {
    // The points actually written: start, the vertices strictly inside, end.
    std::vector<std::array<double, 8>> pts;
    auto push = [&](const double* p7, double t) {
      std::array<double, 8> r;
      std::copy(p7, p7 + 7, r.begin());
      r[7] = t;
      pts.push_back(r);
    };
    double p[7];
    GetPoint(l->m_dStart, p);
    push(p, l->m_dStart);
    for (int k = std::max(0, int(std::floor(l->m_dStart)) + 1); k <= m_nLast; ++k) {
      if (k <= l->m_dStart + 1e-8) continue;
      if (k >= l->m_dEnd - 1e-8) break;
      push(m_pPoints[k], double(k));
    }
    GetPoint(l->m_dEnd, p);
    push(p, l->m_dEnd);
    const double tols[3] = {0.001, 0.001, 0.001};
    SSI_PointList* pl = SSI_NewPointList(int(pts.size()), tols);
    if (!pl) continue;
    for (size_t i = 0; i < pts.size(); ++i) {
      SSI_TracedPoint& tp = pl->points[i];
      std::copy(pts[i].begin(), pts[i].begin() + 3, tp.point);
      std::copy(pts[i].begin() + 3, pts[i].begin() + 5, tp.uvA);
      std::copy(pts[i].begin() + 5, pts[i].begin() + 7, tp.uvB);
      tp.param = pts[i][7];
      const size_t a = i + 1 < pts.size() ? i : i - 1, b = a + 1;
      const double d[3] = {pts[b][0] - pts[a][0], pts[b][1] - pts[a][1], pts[b][2] - pts[a][2]};
      const double len = std::sqrt(d[0] * d[0] + d[1] * d[1] + d[2] * d[2]);
      for (int c = 0; c < 3; ++c) tp.tangent[c] = len > 0 ? d[c] / len : 0.0;
    }
    ENT_Record* sa = surfRecord(m_pEditorA);
    ENT_Record* sb = surfRecord(m_pEditorB);
    _intcur* rec = SSI_NewCurve(sa, sb, pl);
    if (!rec) {
      ENT_Free(sa);
      ENT_Free(sb);
      SSI_FreePointList(pl);
      continue;
    }
    rec->sense = 1;
    rec->flagA = rec->flagB = 0;
    list->AddTail(rec);
  }
  GeoEdit_DeleteLines(lines);
}
