#include "millvane/surface/EdTrimBound.h"

#include <algorithm>
#include <cmath>
#include <new>
#include <vector>

#include "geometry/shapes2d/GeLine.h"
#include "geometry/shapes2d/GePolyline.h"
#include "geometry/surfaces/GeTrimBnd.h"
#include "geometry/surfaces/GeTrimSurf.h"
#include "millvane/surface/EdTrimSurf.h"
#include "millvane/surface/EdUvTools.h"
#include "platform/numora/Box.h"
#include "platform/numora/Inter.h"
#include "platform/numora/Point2d.h"
#include "platform/numora/StrP3D.h"

using namespace edtrim;

namespace {

constexpr int kTypeLine2d = 0x1;
constexpr int kTypePolyline2d = 0x20;

}  // namespace

CEdTrimBound::CEdTrimBound()
    : m_nLast(0),
      m_pPoints(nullptr),
      m_box{{0, 0}, {0, 0}},
      m_nKind(-1),
      m_nExtMask(0),
      m_pNext(nullptr),
      m_pPrev(nullptr),
      m_pWorld(nullptr),
      m_worldBox{{0, 0, 0}, {0, 0, 0}},
      m_pIntHead(nullptr),
      m_pIntTail(nullptr),
      m_nLoopState(3),
      m_nId(-1),
      m_nKeep(0),
      m_bStartMoved(0),
      m_bEndMoved(0) {}

CEdTrimBound::~CEdTrimBound() {
  delete[] m_pPoints;
  delete[] m_pWorld;
  ClearIntPoint();
}

int CEdTrimBound::SetPoints(const double (*uv)[2], int count) {
  if (!uv || count < 1) return 0;
  auto* pts = new (std::nothrow) double[count][3];
  if (!pts) return 0;
  for (int i = 0; i < count; ++i) {
    pts[i][0] = uv[i][0];
    pts[i][1] = uv[i][1];
    pts[i][2] = double(i);
  }
  delete[] m_pPoints;
  delete[] m_pWorld;
  m_pWorld = nullptr;
  m_pPoints = pts;
  m_nLast = count - 1;
  return 1;
}

int CEdTrimBound::CountIntPoints() const {
  int n = 0;
  for (EdBndIntPoint* p = m_pIntHead; p; p = p->next) ++n;
  return n;
}

int CEdTrimBound::Create(const CGeTrimBnd* bnd) {
  if (!bnd || !bnd->m_pParaCrv) return 0;
  CGeCurve* c = bnd->m_pParaCrv;
  std::vector<double> uv;
  if (c->GetType() == kTypeLine2d) {
    auto* l = static_cast<CGeLine*>(c);
    uv = {l->m_ptStart[0], l->m_ptStart[1], l->m_ptEnd[0], l->m_ptEnd[1]};
  } else if (c->GetType() == kTypePolyline2d) {
    auto* pl = static_cast<CGePolyline*>(c);
    for (int i = 0; i < pl->GetCount(); ++i) {
      double p[2];
      pl->GetPoint(i, p);
      uv.push_back(p[0]);
      uv.push_back(p[1]);
    }
  } else {
    for (int i = 0; i <= 100; ++i) {
      double p[2] = {0, 0};
      c->GetPointEx(i * 0.01, p);
      uv.push_back(p[0]);
      uv.push_back(p[1]);
    }
  }
  if (uv.empty()) return 0;
  if (!SetPoints(reinterpret_cast<const double(*)[2]>(uv.data()), int(uv.size() / 2))) return 0;
  m_nKind = 0;
  CalcBox();
  return 1;
}

int CEdTrimBound::Create(const CStrP3D* str, _tagBox2D) {
  if (!str || str->m_nCount < 1 || !str->m_pPoints) return 0;
  std::vector<double> uv;
  for (int i = 0; i < str->m_nCount; ++i) {
    uv.push_back(str->m_pPoints[i][0]);
    uv.push_back(str->m_pPoints[i][1]);
  }
  if (!SetPoints(reinterpret_cast<const double(*)[2]>(uv.data()), str->m_nCount)) return 0;
  m_nKind = 0;
  return 1;
}

void CEdTrimBound::CalcBox() {
  if (!m_pPoints) return;
  m_box.min[0] = m_box.max[0] = m_pPoints[0][0];
  m_box.min[1] = m_box.max[1] = m_pPoints[0][1];
  for (int i = 1; i <= m_nLast; ++i) BOX2D_Extend(&m_box, m_pPoints[i]);
  if (m_pWorld) {
    BOX3D_Init(&m_worldBox, m_pWorld[0]);
    for (int i = 1; i <= m_nLast; ++i) BOX3D_Extend(&m_worldBox, m_pWorld[i]);
  }
}

void CEdTrimBound::Refine(double tol) {
  if (!m_pPoints || m_nLast + 1 < 3) return;
  const double lim = tol / 10.0;
  std::vector<double> kept;  // (u, v) pairs
  auto at = [&](int k) { return &kept[size_t(2 * k)]; };
  for (int i = 0; i <= m_nLast; ++i) {
    const int m = int(kept.size() / 2);
    if (m >= 2 && std::fabs(L2D_DistToPntEx(at(m - 2), at(m - 1), m_pPoints[i])) < lim) {
      at(m - 1)[0] = m_pPoints[i][0];
      at(m - 1)[1] = m_pPoints[i][1];
    } else {
      kept.push_back(m_pPoints[i][0]);
      kept.push_back(m_pPoints[i][1]);
    }
  }
  const int m = int(kept.size() / 2);
  if (m > 1 && m < m_nLast + 1)
    SetPoints(reinterpret_cast<const double(*)[2]>(kept.data()), m);
}

void CEdTrimBound::ReverseDirect() {
  if (m_pPoints) {
    for (int i = 0, j = m_nLast; i < j; ++i, --j) {
      std::swap(m_pPoints[i][0], m_pPoints[j][0]);
      std::swap(m_pPoints[i][1], m_pPoints[j][1]);
    }
  }
  if (m_nKeep == 0)
    m_nKeep = 1;
  else if (m_nKeep == 1)
    m_nKeep = 0;
}

int CEdTrimBound::LineLineInt(const double a0[2], const double a1[2], const double b0[2],
                              const double b1[2], double out[2]) {
  _tagBox2D ba, bb;
  SegBox(a0, a1, &ba);
  SegBox(b0, b1, &bb);
  if (!BOX2D_IsInt(&ba, &bb, 0.0)) return 0;
  if (Dist2(a0, b0) < 1e-6 || Dist2(a0, b1) < 1e-6) {
    out[0] = a0[0];
    out[1] = a0[1];
  } else if (Dist2(a1, b0) < 1e-6 || Dist2(a1, b1) < 1e-6) {
    out[0] = a1[0];
    out[1] = a1[1];
  } else if (Inter_LineLineEx(a0, a1, b0, b1, 1e-12, 1e-8, out) != INTER_POINT) {
    return 0;
  }
  const double fa = Fraction(a0, a1, out), fb = Fraction(b0, b1, out);
  return fa >= 0 && fa <= 1 && fb >= 0 && fb <= 1 && out[0] >= 0 && out[0] <= 1 &&
                 out[1] >= 0 && out[1] <= 1
             ? 1
             : 0;
}

int CEdTrimBound::BoundBoundInt(CEdTrimBound& other, bool force) {
  if (!m_pPoints || !other.m_pPoints || m_nLast < 1 || other.m_nLast < 1) return 0;
  if (!BOX2D_IsInt(&m_box, &other.m_box, 1e-8)) return 0;
  const bool recordHere = m_nKind != 0 || force;
  const bool recordThere = other.m_nKind != 0 || force;
  // Segments of the other bound found through a sweep over their boxes, visited in index
  // order: the recorded crossings are exactly those of the all-pairs loop.
  const int m = other.m_nLast;
  std::vector<_tagBox2D> ob(static_cast<size_t>(m));
  for (int j = 0; j < m; ++j) SegBox(other.m_pPoints[j], other.m_pPoints[j + 1], &ob[size_t(j)]);
  const SegSweep sweep(ob);
  std::vector<int> cand;
  int found = 0;
  for (int i = 0; i < m_nLast; ++i) {
    const double* a0 = m_pPoints[i];
    const double* a1 = m_pPoints[i + 1];
    _tagBox2D sb;
    SegBox(a0, a1, &sb);
    if (!BOX2D_IsInt(&sb, &other.m_box, 1e-8)) continue;
    sweep.Query(sb, 1e-8, cand);
    for (int j : cand) {
      const double* b0 = other.m_pPoints[j];
      const double* b1 = other.m_pPoints[j + 1];
      double p[2];
      if (Inter_LineLineEx(a0, a1, b0, b1, 1e-12, 1e-8, p) != INTER_POINT) continue;
      const double fa = Fraction(a0, a1, p), fb = Fraction(b0, b1, p);
      if (!InRange(fa) || !InRange(fb)) continue;
      ++found;
      if (recordHere) {
        const double q[3] = {p[0], p[1], i + fa};
        AddIntPoint(q);
      }
      if (recordThere) {
        const double q[3] = {p[0], p[1], j + fb};
        other.AddIntPoint(q);
      }
    }
  }
  return found ? 1 : 0;
}

int CEdTrimBound::BoundSelfInt() {
  if (!m_pPoints) return 1;
  for (int i = 0; i < m_nLast; ++i) {
    _tagBox2D bi;
    SegBox(m_pPoints[i], m_pPoints[i + 1], &bi);
    for (int j = i + 2; j < m_nLast; ++j) {
      _tagBox2D bj;
      SegBox(m_pPoints[j], m_pPoints[j + 1], &bj);
      if (!BOX2D_IsInt(&bi, &bj, 0.0)) continue;
      const double *a0 = m_pPoints[i], *a1 = m_pPoints[i + 1];
      const double *b0 = m_pPoints[j], *b1 = m_pPoints[j + 1];
      double p[2];
      if (Dist2(a0, b0) < 1e-8 || Dist2(a0, b1) < 1e-8) {
        p[0] = a0[0];
        p[1] = a0[1];
      } else if (Dist2(a1, b0) < 1e-8 || Dist2(a1, b1) < 1e-8) {
        p[0] = a1[0];
        p[1] = a1[1];
      } else if (Inter_LineLineEx(a0, a1, b0, b1, 1e-8, 1e-8, p) != INTER_POINT) {
        continue;
      }
      const double fa = Fraction(a0, a1, p), fb = Fraction(b0, b1, p);
      if (fa < 0 || fa > 1 || fb < 0 || fb > 1) continue;
      const double qa[3] = {p[0], p[1], i + fa};
      const double qb[3] = {p[0], p[1], j + fb};
      AddIntPoint(qa);
      AddIntPoint(qb);
    }
  }
  return 1;
}

int CEdTrimBound::AddIntPoint(const double p[3]) {
  const double t = std::clamp(p[2], 0.0, double(std::max(m_nLast, 0)));
  EdBndIntPoint* before = nullptr;  // last node with t_node <= t
  for (EdBndIntPoint* n = m_pIntHead; n; n = n->next) {
    if (std::fabs(t - n->p[2]) < 1e-6 && Dist2(p, n->p) < 1e-7) return 0;
    if (n->p[2] <= t) before = n;
  }
  auto* node = new (std::nothrow) EdBndIntPoint{{p[0], p[1], t}, nullptr};
  if (!node) return 0;
  if (!before) {
    node->next = m_pIntHead;
    m_pIntHead = node;
  } else {
    node->next = before->next;
    before->next = node;
  }
  if (!node->next) m_pIntTail = node;
  return 1;
}

void CEdTrimBound::ClearIntPoint() {
  for (EdBndIntPoint* n = m_pIntHead; n;) {
    EdBndIntPoint* next = n->next;
    delete n;
    n = next;
  }
  m_pIntHead = m_pIntTail = nullptr;
}

CEdTrimBound* CEdTrimBound::BreakBound(bool refine) {
  if (!m_pIntHead) return CopyMyself();
  if (!m_pPoints) return nullptr;
  if (!(m_nExtMask & 1)) {
    const double q[3] = {m_pPoints[0][0], m_pPoints[0][1], 0.0};
    AddIntPoint(q);
  }
  if (!(m_nExtMask & 2)) {
    const double q[3] = {m_pPoints[m_nLast][0], m_pPoints[m_nLast][1], double(m_nLast)};
    AddIntPoint(q);
  }
  CEdTrimBound *first = nullptr, *last = nullptr;
  for (EdBndIntPoint* a = m_pIntHead; a && a->next; a = a->next) {
    CEdTrimBound* piece = GetSubBound(a->p, a->next->p, refine);
    if (!piece) continue;
    if (last) {
      last->m_pNext = piece;
      piece->m_pPrev = last;
    } else {
      first = piece;
    }
    last = piece;
  }
  return first;
}

CEdTrimBound* CEdTrimBound::GetSubBound(const double a[3], const double b[3], bool refine) {
  if (!m_pPoints) return nullptr;
  const int ia = int(a[2]), ib = int(b[2]);
  if (ib - ia + 1 <= 0) return nullptr;
  std::vector<double> uv{a[0], a[1]};
  // Vertex ia lies behind a, or a stands in its place: either way a replaces it, so the piece
  // never starts with a zero-length segment.
  const bool bOnVertex = std::fabs(b[2] - ib) <= 1e-8;
  for (int k = ia + 1; k <= std::min(ib, m_nLast); ++k) {
    if (k == ib && bOnVertex) break;
    uv.push_back(m_pPoints[k][0]);
    uv.push_back(m_pPoints[k][1]);
  }
  uv.push_back(b[0]);
  uv.push_back(b[1]);
  const int count = int(uv.size() / 2);
  if (count - 1 <= 0) return nullptr;
  auto* piece = new (std::nothrow) CEdTrimBound;
  if (!piece) return nullptr;
  if (!piece->SetPoints(reinterpret_cast<const double(*)[2]>(uv.data()), count)) {
    delete piece;
    return nullptr;
  }
  piece->m_nKind = m_nKind;
  piece->m_nKeep = m_nKeep;
  piece->CalcBox();
  if (refine) piece->Refine(1e-6);
  return piece;
}

CEdTrimBound* CEdTrimBound::CopyMyself() {
  auto* c = new (std::nothrow) CEdTrimBound;
  if (!c) return nullptr;
  if (m_nLast != 0 && m_pPoints) {
    c->m_pPoints = new (std::nothrow) double[m_nLast + 1][3];
    if (!c->m_pPoints) {
      delete c;
      return nullptr;
    }
    std::copy(&m_pPoints[0][0], &m_pPoints[0][0] + 3 * (m_nLast + 1), &c->m_pPoints[0][0]);
  }
  c->m_box = m_box;
  c->m_nLast = m_nLast;
  c->m_nKind = m_nKind;
  c->m_nKeep = m_nKeep;
  return c;
}

void CEdTrimBound::GetMidPoint(double out[2]) {
  if (!m_pPoints) return;
  const int i = m_nLast / 2;
  const int j = std::min(i + 1, m_nLast);
  out[0] = 0.5 * (m_pPoints[i][0] + m_pPoints[j][0]);
  out[1] = 0.5 * (m_pPoints[i][1] + m_pPoints[j][1]);
}

int CEdTrimBound::GetTangent(int atEnd, double pt[2], double dir[2]) {
  if (!m_pPoints || m_nLast < 1) return 0;
  const double* a = atEnd ? m_pPoints[m_nLast - 1] : m_pPoints[0];
  const double* b = atEnd ? m_pPoints[m_nLast] : m_pPoints[1];
  const double* p = atEnd ? b : a;
  pt[0] = p[0];
  pt[1] = p[1];
  if (!V2D_GenUnit(a, b, dir, 1e-6)) dir[0] = dir[1] = 0.0;
  return 1;
}

int CEdTrimBound::GetEndPoint(double s[2], double e[2]) {
  if (!m_pPoints || m_nLast < 1) return 0;
  s[0] = m_pPoints[0][0];
  s[1] = m_pPoints[0][1];
  e[0] = m_pPoints[m_nLast][0];
  e[1] = m_pPoints[m_nLast][1];
  return 1;
}

void CEdTrimBound::SetStartPoint(const double p[2]) {
  if (!m_pPoints || m_nLast <= 0) return;
  m_pPoints[0][0] = p[0];
  m_pPoints[0][1] = p[1];
  m_bStartMoved = 1;
}

void CEdTrimBound::SetEndPoint(const double p[2]) {
  if (!m_pPoints || m_nLast <= 0) return;
  m_pPoints[m_nLast][0] = p[0];
  m_pPoints[m_nLast][1] = p[1];
  m_bEndMoved = 1;
}

double CEdTrimBound::GetLength() {
  if (!m_pPoints || m_nLast <= 0) return 0.0;
  double len = 0.0;
  for (int i = 0; i < m_nLast; ++i) len += Dist2(m_pPoints[i], m_pPoints[i + 1]);
  return len;
}

void CEdTrimBound::GetExTendFlag(bool& atStart, bool& atEnd, CEdTrimSurf* editor) {
  if (!editor) return;
  atStart = atEnd = true;
  if (!m_pPoints) {
    atStart = atEnd = false;
    return;
  }
  if (m_bStartMoved || editor->IsPointIn(m_pPoints[0]) != 0) atStart = false;
  if (m_bEndMoved || editor->IsPointIn(m_pPoints[m_nLast]) != 0) atEnd = false;
}

int CEdTrimBound::Extend(CEdTrimSurf* editor, bool atStart, bool atEnd, bool closedBy3d) {
  if (!editor || !editor->m_pSurface || !m_pPoints || m_nLast < 1) return 0;
  const double tol = editor->GetMinCloseTol();
  bool closed;
  if (closedBy3d) {
    closed = m_pWorld && std::sqrt((m_pWorld[0][0] - m_pWorld[m_nLast][0]) *
                                       (m_pWorld[0][0] - m_pWorld[m_nLast][0]) +
                                   (m_pWorld[0][1] - m_pWorld[m_nLast][1]) *
                                       (m_pWorld[0][1] - m_pWorld[m_nLast][1]) +
                                   (m_pWorld[0][2] - m_pWorld[m_nLast][2]) *
                                       (m_pWorld[0][2] - m_pWorld[m_nLast][2])) < tol;
  } else {
    closed = Dist2(m_pPoints[0], m_pPoints[m_nLast]) < tol;
  }
  if (closed) {
    m_pPoints[0][0] = m_pPoints[m_nLast][0];
    m_pPoints[0][1] = m_pPoints[m_nLast][1];
    return 0;
  }
  const _tagBox2D& box = editor->m_uvBox;
  const double len = std::hypot(box.max[0] - box.min[0], box.max[1] - box.min[1]);
  double ds[2] = {0, 0}, de[2] = {0, 0};
  if (atStart && !V2D_GenUnit(m_pPoints[1], m_pPoints[0], ds, 1e-6)) return 0;
  if (atEnd && !V2D_GenUnit(m_pPoints[m_nLast - 1], m_pPoints[m_nLast], de, 1e-6)) return 0;
  std::vector<double> uv;
  if (atStart) {
    uv.push_back(m_pPoints[1][0] + len * ds[0]);
    uv.push_back(m_pPoints[1][1] + len * ds[1]);
  }
  for (int i = 0; i <= m_nLast; ++i) {
    uv.push_back(m_pPoints[i][0]);
    uv.push_back(m_pPoints[i][1]);
  }
  if (atEnd) {
    uv.push_back(m_pPoints[m_nLast - 1][0] + len * de[0]);
    uv.push_back(m_pPoints[m_nLast - 1][1] + len * de[1]);
  }
  if (!SetPoints(reinterpret_cast<const double(*)[2]>(uv.data()), int(uv.size() / 2))) return 0;
  m_nKind = 2;
  m_nExtMask = (atStart ? 1 : 0) | (atEnd ? 2 : 0);
  if (atStart) {
    const double q[3] = {m_pPoints[1][0], m_pPoints[1][1], 1.0};
    AddIntPoint(q);
  }
  if (atEnd) {
    const double q[3] = {m_pPoints[m_nLast - 1][0], m_pPoints[m_nLast - 1][1],
                         double(m_nLast - 1)};
    AddIntPoint(q);
  }
  CalcBox();
  return 1;
}

int CEdTrimBound::ExtendBoundBegin(CEdTrimSurf* editor) { return Extend(editor, true, false, true); }

int CEdTrimBound::ExtendBoundEnd(CEdTrimSurf* editor) { return Extend(editor, false, true, false); }

int CEdTrimBound::ExtendBoundBoth(CEdTrimSurf* editor) { return Extend(editor, true, true, false); }

void CEdTrimBound::TrimIntBound() {
  if (m_nKind != 2 || !m_pIntHead) return;
  if (m_nExtMask & 1) {
    EdBndIntPoint* head = nullptr;
    for (EdBndIntPoint* n = m_pIntHead; n; n = n->next)
      if (n->p[2] < 1.0) head = n;
    if (!head) head = m_pIntHead;
    while (m_pIntHead != head) {
      EdBndIntPoint* next = m_pIntHead->next;
      delete m_pIntHead;
      m_pIntHead = next;
    }
  }
  if (m_nExtMask & 2) {
    EdBndIntPoint* tail = nullptr;
    for (EdBndIntPoint* n = m_pIntHead; n && !tail; n = n->next)
      if (n->p[2] > m_nLast - 1) tail = n;
    if (tail) {
      for (EdBndIntPoint* n = tail->next; n;) {
        EdBndIntPoint* next = n->next;
        delete n;
        n = next;
      }
      tail->next = nullptr;
      m_pIntTail = tail;
    }
  }
}

void CEdTrimBound::CalWorldPoint(CGeTrimSurf* surface) {
  if (!surface || !m_pPoints) return;
  auto* w = new (std::nothrow) double[m_nLast + 1][3];
  if (!w) return;
  for (int i = 0; i <= m_nLast; ++i) {
    w[i][0] = w[i][1] = w[i][2] = 0.0;
    surface->GetPoint(m_pPoints[i][0], m_pPoints[i][1], w[i]);
  }
  delete[] m_pWorld;
  m_pWorld = w;
  CalcBox();
}
