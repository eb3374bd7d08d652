#include "millvane/surface/SrfTrimAdaptor.h"

#include <algorithm>
#include <cmath>
#include <new>

#include "millvane/kernel/KernelLists.h"
#include "millvane/kernel/KernelNumerics.h"
#include "millvane/kernel/KernelRecords.h"
#include "millvane/kernel/SurfaceIntersect.h"
#include "millvane/kernel/SurfaceRecords.h"
#include "millvane/surface/EdInterCurve.h"
#include "millvane/surface/SrfActor.h"
#include "platform/numora/Box.h"
#include "platform/numora/Bsrf.h"
#include "platform/numora/Memory.h"
#include "platform/vurode/Accessors.h"

namespace {

template <class F>
void ForEachSurface(CGeTrimSurfList& list, F&& f) {
  for (POSITION pos = list.GetHeadPosition(); pos;)
    if (CGeTrimSurf* s = list.GetNext(pos)) f(s);
}

bool Contains(CGeTrimSurfList& list, const CGeTrimSurf* surface) {
  for (POSITION pos = list.GetHeadPosition(); pos;)
    if (list.GetNext(pos) == surface) return true;
  return false;
}

void FreeSampleCache(CGeTrimSurf* surface) {
  SSI_FreeSampleCache(surface->m_pSampleCache);
  surface->m_pSampleCache = nullptr;
}

const _tagBox3D& SurfaceBox(CGeTrimSurf* surface) {
  if (!BOX3D_IsValid(&surface->m_box)) surface->CalcBox();
  return surface->m_box;
}

bool IsResultLoop(const CEdTrimSurf* editor, const CEdTrimLoop* loop) {
  for (CEdTrimLoop* l = editor->m_pResult; l; l = l->m_pNext)
    if (l == loop) return true;
  return false;
}

// A cut whose keep flag is 0 marks the loop as the side to throw away.
bool KeepsDiscardedSide(const CEdTrimLoop* loop) {
  for (CEdTrimBound* b = loop->m_pFirst; b; b = b->m_pNext)
    if ((b->m_nKind == 1 || b->m_nKind == 2) && b->m_nKeep == 0) return true;
  return false;
}

}  // namespace

CSrfTrimAdaptor::~CSrfTrimAdaptor() {
  ReleaseKernelData();
  for (CEdInterCurve* c = m_pFirstCurve; c;) {
    CEdInterCurve* next = c->m_pNext;
    delete c;
    c = next;
  }
  m_pFirstCurve = m_pLastCurve = nullptr;
  for (CEdTrimSurf* e = m_pFirstEditor; e;) {
    CEdTrimSurf* next = e->m_pNext;
    e->DeleteAllCurve();
    delete e;
    e = next;
  }
  m_pFirstEditor = m_pLastEditor = nullptr;
  m_BaseList.RemoveAll();
  m_ToolList.RemoveAll();
}

void CSrfTrimAdaptor::AppendCurve(CEdInterCurve* curve) {
  curve->m_pNext = nullptr;
  curve->m_pPrev = m_pLastCurve;
  if (m_pLastCurve)
    m_pLastCurve->m_pNext = curve;
  else
    m_pFirstCurve = curve;
  m_pLastCurve = curve;
}

bool CSrfTrimAdaptor::HasCurveBetween(CEdTrimSurf* a, CEdTrimSurf* b) const {
  for (CEdInterCurve* c = m_pFirstCurve; c; c = c->m_pNext)
    if ((c->m_pEditorA == a && c->m_pEditorB == b) || (c->m_pEditorA == b && c->m_pEditorB == a))
      return true;
  return false;
}

int CSrfTrimAdaptor::AddSurface(CGeTrimSurf* surface, bool tool) {
  if (!surface || !surface->m_pSurface) return 0;
  if (Contains(m_BaseList, surface) || Contains(m_ToolList, surface)) return 0;
  auto* editor = new (std::nothrow) CEdTrimSurf;
  if (!editor) return 0;
  const bool hadRecord = surface->m_pKernelSurf != nullptr;
  CSrfActor actor;
  if (!actor.CreateSURFACE(surface) || !editor->InitSurfBound(surface)) {
    if (!hadRecord) actor.FreeSURFACE(surface);
    delete editor;
    return 0;
  }
  if (!hadRecord) m_MadeRecords.push_back(surface);
  FreeSampleCache(surface);
  (tool ? m_ToolList : m_BaseList).AddTail(surface);
  editor->m_nRole = tool ? 1 : 0;
  editor->m_pPrev = m_pLastEditor;
  editor->m_pNext = nullptr;
  if (m_pLastEditor)
    m_pLastEditor->m_pNext = editor;
  else
    m_pFirstEditor = editor;
  m_pLastEditor = editor;
  return 1;
}

CEdTrimSurf* CSrfTrimAdaptor::FindEditor(CGeTrimSurf* surface) {
  if (!surface) return nullptr;
  for (CEdTrimSurf* e = m_pFirstEditor; e; e = e->m_pNext)
    if (e->m_pSurface == surface) return e;
  return nullptr;
}

void CSrfTrimAdaptor::ReleaseKernelData() {
  auto release = [&](CGeTrimSurf* s) {
    FreeSampleCache(s);
    // Only records made here: a caller's record may be the base of records it still holds.
    if (std::find(m_MadeRecords.begin(), m_MadeRecords.end(), s) != m_MadeRecords.end()) {
      ENT_Free(static_cast<ENT_Record*>(s->m_pKernelSurf));
      s->m_pKernelSurf = nullptr;
    }
  };
  ForEachSurface(m_BaseList, release);
  ForEachSurface(m_ToolList, release);
  m_MadeRecords.clear();
}

void CSrfTrimAdaptor::ReleaseToolSurfaces() {
  ForEachSurface(m_ToolList, [&](CGeTrimSurf* s) {
    FreeSampleCache(s);
    auto made = std::find(m_MadeRecords.begin(), m_MadeRecords.end(), s);
    if (made != m_MadeRecords.end()) {
      ENT_Free(static_cast<ENT_Record*>(s->m_pKernelSurf));
      s->m_pKernelSurf = nullptr;
      m_MadeRecords.erase(made);
    }
    // The editor must not keep pointing at a deleted surface.
    for (CEdTrimSurf* e = m_pFirstEditor; e; e = e->m_pNext)
      if (e->m_pSurface == s) e->DeleteAllCurve();
    delete s;
  });
  m_ToolList.RemoveAll();
}

CEdInterCurve* CSrfTrimAdaptor::AddInterCurve(_intcur* rec, CEdTrimSurf* a, CEdTrimSurf* b) {
  if (!rec) return nullptr;
  auto* curve = new (std::nothrow) CEdInterCurve;
  if (!curve) return nullptr;
  if (!curve->Create(rec, a, b) || (a && IsOnExistingBound(a, curve))) {
    delete curve;
    return nullptr;
  }
  AppendCurve(curve);
  return curve;
}

int CSrfTrimAdaptor::IsOnExistingBound(CEdTrimSurf* editor, CEdInterCurve* curve) {
  if (!editor || !curve || !curve->m_pPoints || curve->m_nLast < 0) return 0;
  const int idx = (editor == curve->m_pEditorB && editor != curve->m_pEditorA) ? 5 : 3;
  _tagBox2D cbox;
  BOX2D_Init0(&cbox);
  std::vector<double> cpts;
  for (int i = 0; i <= curve->m_nLast; ++i) {
    const double p[2] = {curve->m_pPoints[i][idx], curve->m_pPoints[i][idx + 1]};
    BOX2D_Extend(&cbox, p);
    cpts.insert(cpts.end(), {p[0], p[1], 0.0});
  }
  PLY_String cs{curve->m_nLast + 1, reinterpret_cast<double(*)[3]>(cpts.data())};
  for (CEdTrimLoop* l = editor->m_pFirstLoop; l; l = l->m_pNext)
    for (CEdTrimBound* b = l->m_pFirst; b; b = b->m_pNext) {
      if (!b->m_pPoints || b->m_nLast < 0) continue;
      b->CalcBox();
      if (!BOX2D_IsContain(&cbox, &b->m_box, 0.01) && !BOX2D_IsContain(&b->m_box, &cbox, 0.01))
        continue;
      std::vector<double> bpts;
      for (int i = 0; i <= b->m_nLast; ++i)
        bpts.insert(bpts.end(), {b->m_pPoints[i][0], b->m_pPoints[i][1], 0.0});
      PLY_String bs{b->m_nLast + 1, reinterpret_cast<double(*)[3]>(bpts.data())};
      int overlap = 0;
      if (PLY_IsOverlap(&cs, &bs, overlap, 0.01) == 1 && overlap == 1) return 1;
    }
  return 0;
}

int CSrfTrimAdaptor::EstimateSurfaceSize(CGeTrimSurf* surface, double& size) {
  size = 1e12;
  if (!surface) return 0;
  const _tagBox2D& B = surface->m_uvBox;
  const double du = B.max[0] - B.min[0], dv = B.max[1] - B.min[1];
  for (int dir = 0; dir < 2; ++dir)
    for (int k = 0; k <= 4; ++k) {
      double length = 0.0, prev[3] = {0, 0, 0};
      bool whole = true;
      for (int m = 0; m <= 4; ++m) {
        const double u = dir == 0 ? B.min[0] + k * du / 4 : B.min[0] + m * du / 4;
        const double v = dir == 0 ? B.min[1] + m * dv / 4 : B.min[1] + k * dv / 4;
        double p[3] = {0, 0, 0};
        if (surface->GetPoint(u, v, p) != 1) {
          whole = false;
          break;
        }
        if (m > 0) length += std::sqrt((p[0] - prev[0]) * (p[0] - prev[0]) +
                                       (p[1] - prev[1]) * (p[1] - prev[1]) +
                                       (p[2] - prev[2]) * (p[2] - prev[2]));
        std::copy(p, p + 3, prev);
      }
      if (whole && length > 0.06 && length < size) size = length;
    }
  return 1;
}

void CSrfTrimAdaptor::CalcIntersectPrecision(CGeTrimSurf* a, CGeTrimSurf* b, double out[3]) {
  double sa = 100000.0, sb = 100000.0;
  if (a) EstimateSurfaceSize(a, sa);
  if (b) EstimateSurfaceSize(b, sb);
  const double size = std::min(sa, sb);
  VLM_Get_gp_pre(out);
  if (size < 2 * out[2]) out[2] = std::min(size, out[2]) * 0.25;
  out[2] = std::max(out[2], 0.1);
}

int CSrfTrimAdaptor::IntersectSurfaces() {
  double savedDisc[3], savedTrace[3];
  std::copy(TOL_discretise, TOL_discretise + 3, savedDisc);
  std::copy(TOL_trace, TOL_trace + 3, savedTrace);
  double tra[3];
  VLM_Get_gp_tra(tra);
  TOL_SetTolerance(tra);

  ForEachSurface(m_BaseList, [&](CGeTrimSurf* base) {
    auto* baseRec = static_cast<ENT_Record*>(base->m_pKernelSurf);
    CEdTrimSurf* baseEd = FindEditor(base);
    if (!baseRec || !baseEd) return;
    ForEachSurface(m_ToolList, [&](CGeTrimSurf* tool) {
      auto* toolRec = static_cast<ENT_Record*>(tool->m_pKernelSurf);
      CEdTrimSurf* toolEd = FindEditor(tool);
      if (!toolRec || !toolEd || HasCurveBetween(baseEd, toolEd)) return;
      double pre[3];
      CalcIntersectPrecision(base, tool, pre);
      TOL_SetPrecision(pre);
      if (!BOX3D_IsInt(&SurfaceBox(base), &SurfaceBox(tool), 1e-6)) return;
      void* cacheBase = base->m_pSampleCache;
      void* cacheTool = tool->m_pSampleCache;
      LST_Node* traces = nullptr;
      SSI_CurveNode* curves = nullptr;
      const int rc = SRF_IntersectSurfaces(baseRec, toolRec, &base->m_uvBox, &cacheBase,
                                           &tool->m_uvBox, &cacheTool, &traces, &curves);
      LST_FreeChain(traces);
      for (SSI_CurveNode* n = curves; n;) {
        SSI_CurveNode* next = n->next;
        if (rc == 1 && n->curve) {
          if (n->curve->surfaceA == baseRec)
            AddInterCurve(n->curve, baseEd, toolEd);
          else
            AddInterCurve(n->curve, toolEd, baseEd);
        }
        SSI_FreeCurve(n->curve);
        KX_MemFree(n);
        n = next;
      }
      if (!base->m_pSampleCache)
        base->m_pSampleCache = cacheBase;
      else if (cacheBase != base->m_pSampleCache)
        SSI_FreeSampleCache(cacheBase);
      if (!tool->m_pSampleCache)
        tool->m_pSampleCache = cacheTool;
      else if (cacheTool != tool->m_pSampleCache)
        SSI_FreeSampleCache(cacheTool);
    });
  });

  for (int k = 0; k < 3; ++k) {
    if (savedDisc[k] > 1e-20) TOL_discretise[k] = savedDisc[k];
    if (savedTrace[k] > 1e-20) TOL_trace[k] = savedTrace[k];
  }
  return m_pFirstCurve ? 1 : 0;
}

int CSrfTrimAdaptor::IntersectCurves(bool withCurves) {
  if (!m_pFirstCurve) return 0;
  for (CEdInterCurve* c = m_pFirstCurve; c; c = c->m_pNext) {
    c->Reset();
    if (c->m_pEditorA) c->InterWithLoop(c->m_pEditorA->m_pFirstLoop, 1);
    if (c->m_pEditorB) c->InterWithLoop(c->m_pEditorB->m_pFirstLoop, 1);
  }
  if (withCurves) {
    for (CEdInterCurve* c = m_pFirstCurve; c; c = c->m_pNext)
      for (CEdInterCurve* d = c->m_pNext; d; d = d->m_pNext)
        if (!c->IsOverlap(d) && !c->InterWithIntCurve(*d)) c->CreateNearPoint(d, 0.0001);
    for (CEdInterCurve* c = m_pFirstCurve; c; c = c->m_pNext)
      if (!c->InterWithSelf()) c->CreateNearPoint();
  }
  for (CEdInterCurve* c = m_pFirstCurve; c; c = c->m_pNext)
    if (!c->m_bClosed) c->AddEndPoint();
  return 1;
}

int CSrfTrimAdaptor::BuildTrimLoops(int which) {
  if (which < 0 || which > 2) return 0;
  int built = 0;
  for (CEdTrimSurf* e = m_pFirstEditor; e; e = e->m_pNext) {
    if (which != 2 && e->m_nRole != which) continue;
    for (CEdInterCurve* c = m_pFirstCurve; c; c = c->m_pNext)
      if (c->m_pEditorA == e || c->m_pEditorB == e) e->AddIntBounds(c->GetValidBound(e, 0));
    e->TrimSurface(m_nMode != 0 ? 1 : 0);
    if (e->m_pResult) built = 1;
  }
  return built;
}

int CSrfTrimAdaptor::Trim(int which) {
  IntersectCurves(true);
  const int built = BuildTrimLoops(which);
  for (CEdInterCurve* c = m_pFirstCurve; c; c = c->m_pNext)
    if (c->m_nState == 1) c->m_nState = 2;
  return built;
}

CGeTrimSurf* CSrfTrimAdaptor::MakeTrimSurf(CEdTrimSurf* editor, CEdTrimLoop* loop) {
  if (!editor || !loop || !IsResultLoop(editor, loop)) return nullptr;
  CGeTrimSurf* src = editor->m_pSurface;
  if (!src || !src->m_pSurface) return nullptr;
  _nurbs_surface* clone = BSRF_Clone(src->m_pSurface);
  if (!clone) return nullptr;
  auto* surface = new (std::nothrow) CGeTrimSurf(clone, src->m_uvBox);
  if (!surface) {
    BSRF_Free(clone);
    return nullptr;
  }
  for (CEdTrimLoop* l = loop; l; l = (l == loop ? loop->m_pIsland : l->m_pNext)) {
    CGeTrimLoop* gl = l->ConvertToTopoLoop();
    if (!gl) {
      delete surface;
      return nullptr;
    }
    surface->AddLoop(gl);
    gl->UpdateEucCrv(clone, 0.02);
  }
  return surface;
}

int CSrfTrimAdaptor::GetTrimmedSurfaces(CGeTrimSurfList* out) {
  if (!out) return 0;
  int added = 0;
  for (CEdTrimSurf* e = m_pFirstEditor; e; e = e->m_pNext) {
    if (!e->m_pSurface) continue;
    for (CEdTrimLoop* l = e->m_pResult; l; l = l->m_pNext)
      if (CGeTrimSurf* s = MakeTrimSurf(e, l)) {
        out->AddTail(s);
        ++added;
      }
  }
  return added ? 1 : 0;
}

int CSrfTrimAdaptor::GetSurfaceResult(CGeTrimSurf* surface, CGeTrimSurfList* out) {
  CEdTrimSurf* editor = FindEditor(surface);
  if (!editor || !out) return 0;
  int added = 0;
  for (CEdTrimLoop* l = editor->m_pResult; l; l = l->m_pNext) {
    bool discard = KeepsDiscardedSide(l);
    for (CEdTrimLoop* i = l->m_pIsland; i && !discard; i = i->m_pNext)
      discard = KeepsDiscardedSide(i);
    if (discard) continue;
    if (CGeTrimSurf* s = MakeTrimSurf(editor, l)) {
      out->AddTail(s);
      ++added;
    }
  }
  return added ? 1 : 0;
}

void CSrfTrimAdaptor::GetCurves(CEdTrimSurf* editor, int type, CGeCurve3dPtrList* out) {
  if (!editor || !editor->m_pSurface || !out || !m_pFirstCurve) return;
  CSrfActor actor;
  for (CEdInterCurve* c = m_pFirstCurve; c; c = c->m_pNext) {
    if (c->m_pEditorA != editor && c->m_pEditorB != editor) continue;
    for (CEdTrimBound* b = c->GetValidBound(editor, 0); b;) {
      CEdTrimBound* next = b->m_pNext;
      CArray<tagDPoint3d, tagDPoint3d> pts;
      for (int i = 0; i <= b->m_nLast; ++i) {
        double p[3] = {0, 0, 0};
        if (editor->m_pSurface->GetPoint(b->m_pPoints[i][0], b->m_pPoints[i][1], p) == 1)
          pts.Add(tagDPoint3d{p[0], p[1], p[2]});
      }
      if (CGeCurve3d* crv = actor.MakeCurve(&pts, type)) out->AddTail(crv);
      delete b;
      b = next;
    }
  }
}

int CSrfTrimAdaptor::GetIntersectionCurves(CTypedPtrList<CPtrList, _intcur*>* out) {
  if (!out) return 0;
  IntersectCurves(false);
  for (CEdInterCurve* c = m_pFirstCurve; c; c = c->m_pNext) c->GetValidIntCur(out);
  return 1;
}

CEdInterCurve* CSrfTrimAdaptor::AddUVCurve(double (*uvIn)[2], int count, CEdTrimSurf* editor,
                                           bool extendStart, bool extendEnd) {
  if (!uvIn || count < 2 || !editor || !editor->m_pSurface) return nullptr;
  CGeTrimSurf* surface = editor->m_pSurface;
  std::vector<double> uv(uvIn[0], uvIn[0] + 2 * size_t(count));
  auto at = [&](int i) { return &uv[2 * size_t(i)]; };
  const _tagBox2D B = surface->m_uvBox;
  double size = 1e12;
  EstimateSurfaceSize(surface, size);
  const double tol = std::min(size / 10.0, 0.1);

  // 1. An end close to the domain edge in space is put onto it and needs no extension.
  bool* wish[2] = {&extendStart, &extendEnd};
  for (int end = 0; end < 2; ++end) {
    double* p = at(end == 0 ? 0 : count - 1);
    const double d[4] = {std::fabs(p[0] - B.min[0]), std::fabs(p[0] - B.max[0]),
                         std::fabs(p[1] - B.min[1]), std::fabs(p[1] - B.max[1])};
    int side = 0;
    for (int k = 1; k < 4; ++k)
      if (d[k] < d[side] - 1e-12) side = k;
    double q[2] = {p[0], p[1]};
    if (side < 2)
      q[0] = side == 0 ? B.min[0] : B.max[0];
    else
      q[1] = side == 2 ? B.min[1] : B.max[1];
    double sp[3] = {0, 0, 0}, sq[3] = {0, 0, 0};
    if (surface->GetPoint(p[0], p[1], sp) != 1 || surface->GetPoint(q[0], q[1], sq) != 1)
      continue;
    const double dist = std::sqrt((sp[0] - sq[0]) * (sp[0] - sq[0]) +
                                  (sp[1] - sq[1]) * (sp[1] - sq[1]) +
                                  (sp[2] - sq[2]) * (sp[2] - sq[2]));
    if (dist <= tol) {
      p[0] = q[0];
      p[1] = q[1];
      *wish[end] = false;
    }
  }

  // 2. Across a periodic seam the string is made continuous.
  _param U{}, V{};
  const auto* rec = static_cast<const ENT_Record*>(surface->m_pKernelSurf);
  if (rec && SRF_GetParamRanges(rec, &U, &V) == 1) {
    const _param* ranges[2] = {&U, &V};
    const std::vector<double> snapped = uv;
    for (int k = 0; k < 2; ++k) {
      if (ranges[k]->closure != 2) continue;
      const double period = ranges[k]->max - ranges[k]->min;
      if (!(period > 0)) continue;
      double shift = 0.0;
      for (int i = 1; i < count; ++i) {
        const double step = snapped[2 * size_t(i) + k] - snapped[2 * size_t(i - 1) + k];
        if (step < -period / 2)
          shift += period;
        else if (step > period / 2)
          shift -= period;
        at(i)[k] = snapped[2 * size_t(i) + k] + shift;
      }
    }
  }

  // 3. Vertices that add nothing are dropped.
  CEdTrimBound filter;
  if (filter.SetPoints(reinterpret_cast<const double(*)[2]>(uv.data()), count)) {
    filter.Refine(1e-6);
    uv.clear();
    for (int i = 0; i <= filter.m_nLast; ++i)
      uv.insert(uv.end(), {filter.m_pPoints[i][0], filter.m_pPoints[i][1]});
    count = filter.m_nLast + 1;
  }

  // 4. Close a nearly closed string, else reach across the domain where wished.
  if ((extendStart || extendEnd) && count >= 2) {
    const double closeTol = surface->m_pSurface ? 0.02 : 0.01;
    const double L = std::hypot(B.max[0] - B.min[0], B.max[1] - B.min[1]);
    double* f = at(0);
    double* l = at(count - 1);
    if (std::hypot(f[0] - l[0], f[1] - l[1]) <= closeTol) {
      f[0] = l[0];
      f[1] = l[1];
    } else {
      auto extend = [&](double* end, const double* inner) {
        const double dx = end[0] - inner[0], dy = end[1] - inner[1];
        const double len = std::hypot(dx, dy);
        if (len <= 1e-6) return;
        end[0] = inner[0] + L * dx / len;
        end[1] = inner[1] + L * dy / len;
      };
      if (extendStart) extend(at(0), at(1));
      if (extendEnd) extend(at(count - 1), at(count - 2));
    }
  }

  auto* curve = new (std::nothrow) CEdInterCurve;
  if (!curve) return nullptr;
  if (!curve->Create(reinterpret_cast<double(*)[2]>(uv.data()), count, editor)) {
    delete curve;
    return nullptr;
  }
  AppendCurve(curve);
  return curve;
}

void CSrfTrimAdaptor::AddPointString(const CArray<tagDPoint3d, tagDPoint3d>& points,
                                     CEdTrimSurf* editor) {
  if (points.GetSize() < 2 || !editor || !editor->m_pSurface) return;
  const auto* rec = static_cast<const ENT_Record*>(editor->m_pSurface->m_pKernelSurf);
  if (!rec) return;
  const _tagBox2D B = editor->m_pSurface->m_uvBox;
  std::vector<double> run;
  auto handOver = [&](bool extendEnd) {
    if (run.size() >= 4)
      AddUVCurve(reinterpret_cast<double(*)[2]>(run.data()), int(run.size() / 2), editor, false,
                 extendEnd);
    run.clear();
  };
  double u = 1e12, v = 1e12;
  for (INT_PTR i = 0; i < points.GetSize(); ++i) {
    const double p[3] = {points[i].x, points[i].y, points[i].z};
    double foot[3] = {0, 0, 0};
    double uu = u, vv = v;
    const bool ok = SRF_SnapPoint(vv, uu, foot, rec, p) == 1;
    // A foot outside the domain is not a projection onto this surface.
    if (ok && uu >= B.min[0] - 1e-6 && uu <= B.max[0] + 1e-6 && vv >= B.min[1] - 1e-6 &&
        vv <= B.max[1] + 1e-6) {
      u = uu;
      v = vv;
      run.insert(run.end(), {uu, vv});
    } else {
      handOver(true);
    }
  }
  handOver(false);
}
