#include "millvane/kernel/KernelRecords.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "millvane/kernel/CurveRecords.h"
#include "millvane/kernel/KernelLists.h"
#include "millvane/kernel/KernelVec.h"
#include "platform/numora/Frame.h"
#include "platform/numora/Memory.h"

double TOL_precision = 1e-8;
double TOL_anglePrecision = 1e-11;
double TOL_discretise[3] = {0.001, 0.2, 0.01};
double TOL_trace[3] = {0.0005, 0.1, 0.005};

namespace {

template <typename T>
T* NewRecord(int32_t type) {
  auto* r = static_cast<T*>(KX_MemAlloc(sizeof(T)));
  if (!r) return nullptr;
  std::memset(static_cast<void*>(r), 0, sizeof(T));
  r->type = type;
  r->sense = 1;
  return r;
}

void CopyAbove(double (&dst)[3], const double v[3]) {
  if (!v) return;
  for (int i = 0; i < 3; ++i)
    if (v[i] > 1e-20) dst[i] = v[i];
}

}  // namespace

void TOL_SetPrecision(const double v[3]) { CopyAbove(TOL_discretise, v); }
void TOL_SetTolerance(const double v[3]) { CopyAbove(TOL_trace, v); }

void TOL_ResetDefaults() {
  TOL_precision = 1e-8;
  TOL_anglePrecision = 1e-11;
  const double pre[3] = {0.001, 0.2, 0.01}, tra[3] = {0.0005, 0.1, 0.005};
  for (int i = 0; i < 3; ++i) {
    TOL_discretise[i] = pre[i];
    TOL_trace[i] = tra[i];
  }
}

CRV_Line* CRV_NewLine(const double origin[3], const double direction[3]) {
  auto* r = NewRecord<CRV_Line>(ENT_LINE);
  if (!r) return nullptr;
  if (origin) kv::Copy(r->origin, origin);
  if (direction) kv::Copy(r->direction, direction);
  else kv::Set(r->direction, 1, 0, 0);
  return r;
}

CRV_Circle* CRV_NewCircle(const _rect_fm3d* frame, double radius) {
  auto* r = NewRecord<CRV_Circle>(ENT_CIRCLE);
  if (!r) return nullptr;
  if (frame) r->frame = *frame;
  else RF_Init(&r->frame);
  r->radius = radius;
  return r;
}

CRV_Bspline* CRV_NewBspline(BCRV* bcrv) {
  auto* r = NewRecord<CRV_Bspline>(ENT_BSPLINE_CURVE);
  if (!r) return nullptr;
  PARAM_Init(&r->range);
  r->curve = bcrv;
  if (bcrv) {
    double p0[3], d0[3], p1[3], d1[3];
    r->range.closure = 0;
    if (BCRV_Ev1Der(bcrv, 0.0, p0, d0) && BCRV_Ev1Der(bcrv, 1.0, p1, d1) &&
        kv::Dist(p0, p1) <= TOL_precision) {
      // Chord between unit tangents: exact where an arccosine near 1 is not.
      double u0[3], u1[3];
      const bool smooth = kv::Unit(u0, d0, 1e-20) && kv::Unit(u1, d1, 1e-20) &&
                          kv::Dist(u0, u1) < TOL_anglePrecision;
      r->range.closure = smooth ? 2 : 1;
    }
  }
  return r;
}

SSI_PointList* SSI_NewPointList(int count, const double tolerances[3]) {
  auto* l = static_cast<SSI_PointList*>(KX_MemAlloc(sizeof(SSI_PointList)));
  if (!l) return nullptr;
  std::memset(l, 0, sizeof(*l));
  l->count = count;
  if (count > 0) {
    l->points = static_cast<SSI_TracedPoint*>(KX_MemAlloc(size_t(count) * sizeof(SSI_TracedPoint)));
    if (!l->points) {
      KX_MemFree(l);
      return nullptr;
    }
    std::memset(l->points, 0, size_t(count) * sizeof(SSI_TracedPoint));
  }
  if (tolerances) {
    l->tol[0] = tolerances[0];
    l->tol[1] = tolerances[2];
    l->tol[2] = tolerances[1];
  } else {
    l->tol[0] = 0.0001;
    l->tol[1] = 0.1;
    l->tol[2] = 0.001;
  }
  return l;
}

int SSI_FreePointList(SSI_PointList* l) {
  if (!l) return 1;
  KX_MemFree(l->points);
  KX_MemFree(l);
  return 1;
}

_intcur* SSI_NewCurve(ENT_Record* a, ENT_Record* b, SSI_PointList* points) {
  auto* r = NewRecord<_intcur>(ENT_INTCURVE);
  if (!r) return nullptr;
  r->surfaceA = a;
  r->surfaceB = b;
  r->points = points;
  return r;
}

_intcur* SSI_CloneCurve(const _intcur* c) {
  if (!c) return nullptr;
  SSI_PointList* pl = nullptr;
  if (c->points) {
    // Stored as (x, z, y): hand it back in the order the constructor expects.
    const double t[3] = {c->points->tol[0], c->points->tol[2], c->points->tol[1]};
    pl = SSI_NewPointList(c->points->count, t);
    if (!pl) return nullptr;
    if (pl->count > 0)
      std::memcpy(pl->points, c->points->points, size_t(pl->count) * sizeof(SSI_TracedPoint));
  }
  _intcur* r = SSI_NewCurve(c->surfaceA, c->surfaceB, pl);
  if (!r) SSI_FreePointList(pl);
  return r;
}

int SSI_FreeCurve(_intcur* c) {
  if (!c) return 1;
  SSI_FreePointList(c->points);
  ARR_Free(c->cache);
  KX_MemFree(c);
  return 1;
}

SRF_Bspline* SRF_NewBspline(_nurbs_surface* s) {
  auto* r = NewRecord<SRF_Bspline>(ENT_BSPLINE_SURFACE);
  if (!r) return nullptr;
  PARAM_Init(&r->uRange);
  PARAM_Init(&r->vRange);
  r->surface = s;
  if (s) BSRF_GetParam(s, TOL_precision, TOL_anglePrecision, &r->uRange, &r->vRange);
  return r;
}

SRF_Extrude* SRF_NewExtrude(const double direction[3], ENT_Record* g) {
  if (g) {
    bool ok = false;
    if (g->type == ENT_LINE || g->type == ENT_CIRCLE) {
      ok = true;
    } else if (g->type == ENT_BSPLINE_CURVE) {
      double p[3], n[3];
      ok = CRV_IsPlanarBcrv(p, n, TOL_precision, static_cast<CRV_Bspline*>(g)->curve) == 1;
    } else if (g->type == ENT_INTCURVE) {
      const auto* ic = static_cast<const _intcur*>(g);
      ok = (ic->surfaceA && ic->surfaceA->type == ENT_PLANE) ||
           (ic->surfaceB && ic->surfaceB->type == ENT_PLANE);
    }
    if (!ok) return nullptr;
  }
  auto* r = NewRecord<SRF_Extrude>(ENT_EXTRUSION);
  if (!r) return nullptr;
  r->generator = g;
  if (direction) kv::Copy(r->direction, direction);
  return r;
}

SRF_Offset* SRF_NewOffset(ENT_Record* base, double distance) {
  auto* r = NewRecord<SRF_Offset>(ENT_OFFSET_SURFACE);
  if (!r) return nullptr;
  r->base = base;
  r->distance = distance;
  return r;
}

int ENT_Free(ENT_Record* r) {
  if (!r) return 1;
  switch (r->type) {
    case ENT_LINE:
    case ENT_CIRCLE:
    case ENT_SPHERE:
      KX_MemFree(r);
      return 1;
    case ENT_BSPLINE_CURVE: {
      auto* c = static_cast<CRV_Bspline*>(r);
      BCRV_Free(c->curve);
      ARR_Free(c->cache);
      KX_MemFree(c);
      return 1;
    }
    case ENT_INTCURVE:
      return SSI_FreeCurve(static_cast<_intcur*>(r));
    case ENT_BSPLINE_SURFACE:
      BSRF_Free(static_cast<SRF_Bspline*>(r)->surface);
      KX_MemFree(r);
      return 1;
    case ENT_EXTRUSION:
      ENT_Free(static_cast<SRF_Extrude*>(r)->generator);
      KX_MemFree(r);
      return 1;
    case 7: case 9: case 11: case 12: case 13: case 17: case 23: case 25:
      return 0;
    default:
      return r->type > 28 ? 0 : 1;
  }
}
