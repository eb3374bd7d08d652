#include "millvane/surface/EdTrimSurf.h"

#include <algorithm>
#include <cmath>
#include <new>
#include <vector>

#include "geometry/surfaces/GeTrimLoop.h"
#include "geometry/surfaces/GeTrimSurf.h"
#include "millvane/surface/EdUvTools.h"
#include "platform/numora/Box.h"
#include "platform/numora/Bsrf.h"
#include "platform/numora/Interval.h"
#include "platform/numora/Line.h"
#include "platform/numora/Math.h"
#include "platform/numora/Point2d.h"

using namespace edtrim;

namespace {

void DeleteLoopList(CEdTrimLoop* l) {
  while (l) {
    CEdTrimLoop* next = l->m_pNext;
    delete l;
    l = next;
  }
}

void DeleteBoundList(CEdTrimBound* b) {
  while (b) {
    CEdTrimBound* next = b->m_pNext;
    delete b;
    b = next;
  }
}

// Appends b (unlinked) to the chain first..last.
void Append(CEdTrimBound*& first, CEdTrimBound*& last, CEdTrimBound* b) {
  b->m_pNext = nullptr;
  b->m_pPrev = last;
  if (last)
    last->m_pNext = b;
  else
    first = b;
  last = b;
}

}  // namespace

CEdTrimSurf::CEdTrimSurf()
    : m_nRole(0),
      m_pSurface(nullptr),
      m_bUPeriodic(0),
      m_bVPeriodic(0),
      m_uvBox{{0, 0}, {0, 0}},
      m_pFirstLoop(nullptr),
      m_pLastLoop(nullptr),
      m_pFirstCurve(nullptr),
      m_pLastCurve(nullptr),
      m_pNext(nullptr),
      m_pPrev(nullptr),
      m_pResult(nullptr) {}

CEdTrimSurf::~CEdTrimSurf() { DeleteAllCurve(); }

int CEdTrimSurf::GetParam(_param& U, _param& V) {
  if (!m_pSurface || !m_pSurface->m_pSurface) return 0;
  if (m_pParamSrf != m_pSurface->m_pSurface) {
    m_pParamSrf = m_pSurface->m_pSurface;
    m_nParamOk = BSRF_GetParam(m_pSurface->m_pSurface, CMath::GetTol(), CMath::GetAng(), &m_U,
                               &m_V) == 1;
  }
  U = m_U;
  V = m_V;
  return m_nParamOk;
}

int CEdTrimSurf::InitSurfBound(CGeTrimSurf* surface) {
  DeleteAllCurve();
  if (!surface || !surface->m_pSurface) return 0;
  m_pSurface = surface;
  int index = 0;
  for (POSITION pos = surface->m_LoopList.GetHeadPosition(); pos; ++index) {
    CGeTrimLoop* gl = surface->m_LoopList.GetNext(pos);
    if (!gl) continue;
    auto* loop = new CEdTrimLoop;
    for (POSITION bp = gl->m_BndList.GetHeadPosition(); bp;) {
      CGeTrimBnd* gb = gl->m_BndList.GetNext(bp);
      auto* b = new CEdTrimBound;
      if (!b->Create(gb)) {
        delete b;
        continue;
      }
      b->m_nId = index;
      loop->AddBound(b);
    }
    AddLoop(loop);
  }
  surface->GetUVBox(&m_uvBox);
  m_bUPeriodic = m_bVPeriodic = 0;
  _param U, V;
  if (GetParam(U, V)) {
    m_bUPeriodic = U.closure == 2 &&
                   std::fabs((U.max - U.min) - (m_uvBox.max[0] - m_uvBox.min[0])) < 1e-6;
    m_bVPeriodic = V.closure == 2 &&
                   std::fabs((V.max - V.min) - (m_uvBox.max[1] - m_uvBox.min[1])) < 1e-6;
  }
  return 1;
}

int CEdTrimSurf::AddLoop(CEdTrimLoop* loop) {
  if (!loop) return 0;
  loop->ConnectBound();
  loop->m_dArea = loop->CalcLoopArea();
  loop->m_pOwner = this;
  loop->m_pNext = nullptr;
  if (m_pLastLoop)
    m_pLastLoop->m_pNext = loop;
  else
    m_pFirstLoop = loop;
  m_pLastLoop = loop;
  return 1;
}

int CEdTrimSurf::AddCurve(CEdTrimBound* curve) {
  if (!curve) return 0;
  Append(m_pFirstCurve, m_pLastCurve, curve);
  return 1;
}

int CEdTrimSurf::AddIntBounds(CEdTrimBound* chain) {
  if (!chain) return 0;
  int id = m_pLastCurve ? m_pLastCurve->m_nId : 0;
  for (CEdTrimBound* b = chain; b;) {
    CEdTrimBound* next = b->m_pNext;
    b->m_nId = ++id;
    AddCurve(b);
    b = next;
  }
  return 1;
}

int CEdTrimSurf::AddCurve(double (*uvIn)[2], int count) {
  _param U, V;
  if (!uvIn || count <= 1 || !GetParam(U, V)) return 0;
  // Worked on a copy: the seam handling moves points temporarily.
  std::vector<double> buf(&uvIn[0][0], &uvIn[0][0] + 2 * size_t(count));
  auto* uv = reinterpret_cast<double(*)[2]>(buf.data());
  const double uSpan = std::fabs(U.max - U.min), vSpan = std::fabs(V.max - V.min);
  int start = 0;
  for (int i = 0; i < count; ++i) {
    if (m_bUPeriodic) uv[i][0] = CInterval::ClampPeriodic(U.min, U.max, uv[i][0]);
    if (m_bVPeriodic) uv[i][1] = CInterval::ClampPeriodic(V.min, V.max, uv[i][1]);
    if (i > 0) {
      for (int c = 0; c < 2; ++c) {
        if (!(c == 0 ? m_bUPeriodic : m_bVPeriodic)) continue;
        const double span = c == 0 ? uSpan : vSpan;
        const double lo = (c == 0 ? U.min : V.min) - 0.0001;
        const double hi = (c == 0 ? U.max : V.max) + 0.0001;
        const double d = uv[i - 1][c] - uv[i][c];
        if (d > 0.5 * span || d < -0.5 * span) {
          // Crossed the seam: the run ends just beyond one end of the range and the next run
          // starts just before the other end.
          const bool up = d > 0;
          const double keep = uv[i][c];
          uv[i][c] = up ? hi : lo;
          AddCurve(uv, count, start, i, true);
          uv[i - 1][c] = up ? lo : hi;
          uv[i][c] = keep;
          start = i - 1;
        }
      }
    }
    if (i == count - 1 && i > 0 && Dist2(uv[i], uv[0]) < 0.001) {
      uv[i][0] = uv[0][0];
      uv[i][1] = uv[0][1];
    }
  }
  AddCurve(uv, count, start, count - 1, true);
  return 1;
}

void CEdTrimSurf::AddCurve(double (*uv)[2], int count, int first, int last, bool merge) {
  if (!uv || first < 0 || !(first < last && last <= count - 1)) return;
  std::vector<double> pts;
  auto at = [&](int k) { return &pts[size_t(2 * k)]; };
  for (int i = first; i <= last; ++i) {
    const int m = int(pts.size() / 2);
    if (merge && m >= 2 &&
        (Dist2(uv[i], at(m - 1)) < 1e-6 ||
         std::fabs(L2D_DistToPntEx(at(m - 2), at(m - 1), uv[i])) < 1e-6)) {
      at(m - 1)[0] = uv[i][0];
      at(m - 1)[1] = uv[i][1];
    } else if (merge && m == 1 && Dist2(uv[i], at(0)) < 1e-6) {
      // a repeated first point would make a zero-length first segment
      continue;
    } else {
      pts.push_back(uv[i][0]);
      pts.push_back(uv[i][1]);
    }
  }
  const int m = int(pts.size() / 2);
  if (m < 2) return;
  auto* b = new (std::nothrow) CEdTrimBound;
  if (!b) return;
  if (!b->SetPoints(reinterpret_cast<const double(*)[2]>(pts.data()), m)) {
    delete b;
    return;
  }
  b->m_nKind = 1;
  b->CalcBox();
  AddCurve(b);
}

int CEdTrimSurf::ClipToPeriodic(double p[2]) {
  if (m_bUPeriodic) p[0] = CInterval::ClampPeriodic(m_uvBox.min[0], m_uvBox.max[0], p[0]);
  if (m_bVPeriodic) p[1] = CInterval::ClampPeriodic(m_uvBox.min[1], m_uvBox.max[1], p[1]);
  return 1;
}

int CEdTrimSurf::IsPointIn(const double pIn[2]) {
  _param U, V;
  if (!m_pFirstLoop || !GetParam(U, V)) return 1;
  double p[2] = {pIn[0], pIn[1]};
  if (m_bUPeriodic) p[0] = CInterval::ClampPeriodic(U.min, U.max, p[0]);
  if (m_bVPeriodic) p[1] = CInterval::ClampPeriodic(V.min, V.max, p[1]);
  if (!BOX2D_IsPtIn(&m_uvBox, p, 1e-12)) return 1;
  const int outer = m_pFirstLoop->IsPointIn(p);
  if (outer != 0) return outer;
  for (CEdTrimLoop* l = m_pFirstLoop->m_pNext; l; l = l->m_pNext) {
    const int r = l->IsPointIn(p);
    if (r == 2) return 2;
    if (r == 0) return 1;
  }
  return 0;
}

int CEdTrimSurf::AutoIntersect(bool force) {
  for (CEdTrimLoop* l = m_pFirstLoop; l; l = l->m_pNext)
    for (CEdTrimBound* b = l->m_pFirst; b; b = b->m_pNext) {
      b->ClearIntPoint();
      b->CalcBox();
    }
  for (CEdTrimBound* c = m_pFirstCurve; c; c = c->m_pNext) {
    if (c->m_nKind != 2) c->ClearIntPoint();
    c->CalcBox();
  }
  for (CEdTrimLoop* l = m_pFirstLoop; l; l = l->m_pNext)
    for (CEdTrimBound* b = l->m_pFirst; b; b = b->m_pNext)
      for (CEdTrimBound* c = m_pFirstCurve; c; c = c->m_pNext) b->BoundBoundInt(*c, force);
  for (CEdTrimBound* c = m_pFirstCurve; c; c = c->m_pNext)
    for (CEdTrimBound* d = c->m_pNext; d; d = d->m_pNext) c->BoundBoundInt(*d, force);
  return 1;
}

void CEdTrimSurf::ExtendIntBound() {
  if (!m_pFirstCurve) return;
  AutoIntersect(false);
  PretreatBnd(m_pFirstCurve, GetMinCloseTol());
  for (CEdTrimBound* c = m_pFirstCurve; c; c = c->m_pNext) {
    bool s = false, e = false;
    c->GetExTendFlag(s, e, this);
    c->ClearIntPoint();
    if (s && e)
      c->ExtendBoundBoth(this);
    else if (s)
      c->ExtendBoundBegin(this);
    else if (e)
      c->ExtendBoundEnd(this);
  }
  AutoIntersect(true);
  for (CEdTrimBound* c = m_pFirstCurve; c; c = c->m_pNext) c->TrimIntBound();
}

CEdTrimBound* CEdTrimSurf::BreakAllBound() {
  CEdTrimBound *first = nullptr, *last = nullptr;
  int id = 0;
  auto take = [&](CEdTrimBound* src, bool twins) {
    for (CEdTrimBound* piece = src->BreakBound(true); piece;) {
      CEdTrimBound* next = piece->m_pNext;
      piece->m_nLoopState = 3;
      piece->m_nId = ++id;
      Append(first, last, piece);
      if (twins) {
        if (CEdTrimBound* twin = piece->CopyMyself()) {
          twin->ReverseDirect();
          twin->m_nLoopState = 3;
          twin->m_nId = -piece->m_nId;
          Append(first, last, twin);
        }
      }
      piece = next;
    }
  };
  for (CEdTrimLoop* l = m_pFirstLoop; l; l = l->m_pNext)
    for (CEdTrimBound* b = l->m_pFirst; b; b = b->m_pNext) take(b, false);
  for (CEdTrimBound* c = m_pFirstCurve; c; c = c->m_pNext) take(c, true);
  return first;
}

void CEdTrimSurf::PretreatBnd(CEdTrimBound* pool, double uvTol) {
  // Surface points of every piece's ends, evaluated once instead of once per pair.
  struct Ends {
    double s[2], e[2], ps[3], pe[3];
  };
  auto ends = [&](CEdTrimBound* b, Ends& x) {
    if (!b->GetEndPoint(x.s, x.e)) return false;
    for (int k = 0; k < 3; ++k) x.ps[k] = x.pe[k] = 0.0;
    if (m_pSurface) {
      m_pSurface->GetPoint(x.s[0], x.s[1], x.ps);
      m_pSurface->GetPoint(x.e[0], x.e[1], x.pe);
    }
    return true;
  };
  std::vector<CEdTrimBound*> pieces;
  for (CEdTrimBound* b = pool; b; b = b->m_pNext) pieces.push_back(b);
  std::vector<Ends> cache(pieces.size());
  std::vector<char> valid(pieces.size());
  for (size_t i = 0; i < pieces.size(); ++i) valid[i] = ends(pieces[i], cache[i]);
  auto near = [&](const double* a, const double* pa, const double* b, const double* pb,
                  double& limUv, double& lim3d, bool tighten) {
    const double du = Dist2(a, b), d3 = Dist3(pa, pb);
    if (du <= limUv && d3 <= lim3d) {
      if (tighten) {
        limUv = du;
        lim3d = d3;
      }
      return true;
    }
    return false;
  };
  for (size_t i = 0; i < pieces.size(); ++i) {
    CEdTrimBound* b = pieces[i];
    if (b->m_nLoopState == -3 || !valid[i]) continue;
    bool snapped = false;
    for (size_t j = i + 1; j < pieces.size(); ++j) {
      CEdTrimBound* b2 = pieces[j];
      if (b2->m_nLoopState == -3 || !valid[j] || b->m_nId + b2->m_nId == 0) continue;
      Ends& x = cache[i];
      Ends& y = cache[j];
      // Pieces whose ends are all farther apart in u or in v than uvTol cannot snap.
      auto apart = [&](const double* a, const double* c) {
        return std::fabs(a[0] - c[0]) > uvTol || std::fabs(a[1] - c[1]) > uvTol;
      };
      if (apart(x.s, y.s) && apart(x.s, y.e) && apart(x.e, y.s) && apart(x.e, y.e)) continue;
      // start of b
      double lu = uvTol, l3 = 0.02;
      bool cand = near(x.s, x.ps, y.s, y.ps, lu, l3, true);
      if (near(x.s, x.ps, y.e, y.pe, lu, l3, false)) {
        b2->SetEndPoint(x.s);
        std::copy(x.s, x.s + 2, y.e);
        std::copy(x.ps, x.ps + 3, y.pe);
        b->m_bStartMoved = 1;
        snapped = true;
      } else if (cand) {
        b2->SetStartPoint(x.s);
        std::copy(x.s, x.s + 2, y.s);
        std::copy(x.ps, x.ps + 3, y.ps);
        b->m_bStartMoved = 1;
        snapped = true;
      }
      // end of b
      lu = uvTol;
      l3 = 0.02;
      cand = near(x.e, x.pe, y.s, y.ps, lu, l3, true);
      if (near(x.e, x.pe, y.e, y.pe, lu, l3, false)) {
        b2->SetEndPoint(x.e);
        std::copy(x.e, x.e + 2, y.e);
        std::copy(x.pe, x.pe + 3, y.pe);
        b->m_bEndMoved = 1;
        snapped = true;
      } else if (cand) {
        b2->SetStartPoint(x.e);
        std::copy(x.e, x.e + 2, y.s);
        std::copy(x.pe, x.pe + 3, y.ps);
        b->m_bEndMoved = 1;
        snapped = true;
      }
    }
    Ends& x = cache[i];
    if (!snapped && Dist2(x.s, x.e) <= uvTol && Dist3(x.ps, x.pe) <= 0.02) {
      b->SetEndPoint(x.s);
      b->m_bStartMoved = 1;
      std::copy(x.s, x.s + 2, x.e);
      std::copy(x.ps, x.ps + 3, x.pe);
    }
  }
}

int CEdTrimSurf::IsReverseBnd(CEdTrimBound* chain, CEdTrimBound* b) {
  if (!b) return 0;
  for (CEdTrimBound* c = chain; c; c = c->m_pNext)
    if (c->m_nLoopState == 0 && c->m_nId == -b->m_nId) return 1;
  return 0;
}

CEdTrimBound* CEdTrimSurf::FindNextBound(CEdTrimBound* pool, double p[2], double dir[2],
                                         double tol) {
  CEdTrimBound* best = nullptr;
  double bestAng = -6.0;
  for (CEdTrimBound* b = pool; b; b = b->m_pNext) {
    if (b->m_nLoopState != 3) continue;
    if (!b->m_pPoints || b->m_nLast < 1) {
      b->m_nLoopState = -3;
      continue;
    }
    const double* s = b->m_pPoints[0];
    // cheap reject first: the distance is at least the larger coordinate difference
    if (std::fabs(s[0] - p[0]) > tol || std::fabs(s[1] - p[1]) > tol || Dist2(s, p) > tol)
      continue;
    double pt[2], d[2];
    b->GetTangent(0, pt, d);
    double ang = CMath::ACos(dir[0] * d[0] + dir[1] * d[1]);
    if (dir[0] * d[1] - dir[1] * d[0] <= 0) ang = -ang;
    // The twin test walks the pool, so it is asked only of a piece that would win.
    if (ang > bestAng && !IsReverseBnd(pool, b)) {
      bestAng = ang;
      best = b;
    }
  }
  if (best) {
    best->m_nLoopState = 0;
    best->GetTangent(1, p, dir);
  }
  return best;
}

int CEdTrimSurf::CreateLoop(CEdTrimLoop*& result, CEdTrimBound*& pool, CEdTrimBound** chain,
                            int first, int last) {
  if (last < first || !chain) return 0;
  auto* loop = new CEdTrimLoop;
  for (int k = first; k <= last; ++k) {
    CEdTrimBound* b = chain[k];
    if (b->m_pPrev)
      b->m_pPrev->m_pNext = b->m_pNext;
    else if (pool == b)
      pool = b->m_pNext;
    if (b->m_pNext) b->m_pNext->m_pPrev = b->m_pPrev;
    b->m_pPrev = b->m_pNext = nullptr;
    loop->AddBound(b);
  }
  loop->ConnectBound();
  loop->m_dArea = loop->CalcLoopArea();
  if (std::fabs(loop->m_dArea) < 1e-10) {
    delete loop;
    return 0;
  }
  loop->m_pNext = result;
  result = loop;
  return 1;
}

CEdTrimLoop* CEdTrimSurf::FormLoop(CEdTrimBound* pool, double tol) {
  CEdTrimLoop* result = nullptr;
  size_t size = 0;
  for (CEdTrimBound* b = pool; b; b = b->m_pNext) ++size;
  std::vector<CEdTrimBound*> chain(size + 1, nullptr);
  for (;;) {
    for (CEdTrimBound* b = pool; b; b = b->m_pNext)
      if (b->m_nLoopState == 0) b->m_nLoopState = 3;
    while (pool && pool->m_nLoopState == -3) {
      CEdTrimBound* next = pool->m_pNext;
      delete pool;
      pool = next;
      if (pool) pool->m_pPrev = nullptr;
    }
    if (!pool) break;
    CEdTrimBound* head = pool;
    double p[2], dir[2];
    if (!head->GetTangent(1, p, dir)) {
      head->m_nLoopState = -3;
      continue;
    }
    head->m_nLoopState = 0;
    chain[0] = head;
    if (head->m_nLast + 1 >= 3 && Dist2(head->m_pPoints[0], p) <= tol) {
      CreateLoop(result, pool, chain.data(), 0, 0);
      continue;
    }
    int j = 0;
    for (;;) {
      CEdTrimBound* nb = FindNextBound(pool, p, dir, tol);
      if (nb) {
        chain[size_t(++j)] = nb;
        int k = -1;
        for (int s = 0; s <= j && k < 0; ++s)
          if (Dist2(chain[size_t(s)]->m_pPoints[0], p) <= tol) k = s;
        if (k < 0) continue;
        CreateLoop(result, pool, chain.data(), k, j);
        if (k == 0) break;
        j = k - 1;
        chain[size_t(j)]->GetTangent(1, p, dir);
      } else {
        chain[size_t(j)]->m_nLoopState = -3;
        if (j == 0) break;
        --j;
        chain[size_t(j)]->GetTangent(1, p, dir);
      }
    }
  }
  return result;
}

CEdTrimLoop* CEdTrimSurf::BuildTrimLoop(CEdTrimLoop* list) {
  if (!list || !list->m_pNext) return list;
  std::vector<CEdTrimLoop*> loops;
  for (CEdTrimLoop* l = list; l;) {
    CEdTrimLoop* next = l->m_pNext;
    l->m_pNext = nullptr;
    l->m_dArea = l->CalcLoopArea();
    if (std::fabs(l->m_dArea) < 1e-12)
      delete l;
    else
      loops.push_back(l);
    l = next;
  }
  std::stable_sort(loops.begin(), loops.end(),
                   [](CEdTrimLoop* a, CEdTrimLoop* b) { return a->m_dArea < b->m_dArea; });
  std::vector<char> used(loops.size(), 0);
  for (size_t i = 0; i < loops.size() && loops[i]->m_dArea <= 0; ++i) {
    CEdTrimLoop* hole = loops[i];
    if (!hole->m_pFirst) continue;
    double mid[2];
    hole->m_pFirst->GetMidPoint(mid);
    for (size_t k = i + 1; k < loops.size(); ++k) {
      if (loops[k]->m_dArea < 0 || used[k]) continue;
      if (loops[k]->IsPointIn(mid) == 0) {
        loops[k]->AddIsland(hole);
        used[i] = 1;
        break;
      }
    }
  }
  CEdTrimLoop* result = nullptr;
  // Built from the smallest up, pushing in front: the result runs in descending area.
  for (size_t i = 0; i < loops.size(); ++i) {
    if (used[i]) continue;
    if (loops[i]->m_dArea < 0) {
      delete loops[i];
      continue;
    }
    loops[i]->m_pNext = result;
    result = loops[i];
  }
  return result;
}

CEdTrimLoop* CEdTrimSurf::FormTrimLoop() {
  CEdTrimBound* pool = BreakAllBound();
  PretreatBnd(pool, 0.08);
  return BuildTrimLoop(FormLoop(pool, 1e-8));
}

void CEdTrimSurf::DelOverlapBnd(CEdTrimBound*, double) {}

CGeTrimLoop* CEdTrimSurf::FormSurfLoop() {
  CEdTrimLoop* list = FormTrimLoop();
  CGeTrimLoop* loop = list ? list->ConvertToTopoLoop() : nullptr;
  DeleteLoopList(list);
  return loop;
}

int CEdTrimSurf::TrimSurface(int extend) {
  if (extend) ExtendIntBound();
  DeleteLoopList(m_pResult);
  m_pResult = FormTrimLoop();
  return 1;
}

int CEdTrimSurf::SnapPoint(const double p[3], double q[3], double& u, double& v) {
  if (!m_pSurface || !m_pSurface->m_pSurface) return 0;
  const double saved = CMath::GetTol();
  CMath::SetTol(0.00001);
  double uu = u, vv = v, dist = 0.0;
  const int ok = BSRF_SnapPnt(m_pSurface->m_pSurface, p, 0.00001, q, uu, vv, dist);
  CMath::SetTol(saved);
  if (ok != 1) return 0;
  u = uu;
  v = vv;
  return 1;
}

void CEdTrimSurf::IsLink(const double a0[2], const double a1[2], const double b0[2],
                         const double b1[2], double uvTol, double tol3d, int& ia, int& ib) {
  ia = ib = -1;
  if (!m_pSurface) return;
  const double* as[2] = {a0, a1};
  const double* bs[2] = {b0, b1};
  double limUv = uvTol, lim3d = tol3d;
  for (int i = 0; i < 2; ++i)
    for (int k = 0; k < 2; ++k) {
      double pa[3] = {0, 0, 0}, pb[3] = {0, 0, 0};
      m_pSurface->GetPoint(as[i][0], as[i][1], pa);
      m_pSurface->GetPoint(bs[k][0], bs[k][1], pb);
      const double du = Dist2(as[i], bs[k]), d3 = Dist3(pa, pb);
      if (du < limUv && d3 < lim3d) {
        limUv = du;
        lim3d = d3;
        ia = i;
        ib = k;
      }
    }
}

double CEdTrimSurf::GetMinCloseTol() {
  return m_pSurface && m_pSurface->m_pSurface ? 0.02 : 0.01;
}

void CEdTrimSurf::ClearResult() {
  DeleteLoopList(m_pResult);
  m_pResult = nullptr;
  DeleteBoundList(m_pFirstCurve);
  m_pFirstCurve = m_pLastCurve = nullptr;
}

int CEdTrimSurf::DeleteAllCurve() {
  ClearResult();
  DeleteLoopList(m_pFirstLoop);
  m_pFirstLoop = m_pLastLoop = nullptr;
  m_pSurface = nullptr;
  m_pParamSrf = nullptr;
  m_nParamOk = 0;
  return 1;
}
