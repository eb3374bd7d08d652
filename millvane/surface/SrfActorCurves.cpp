// The surface actor's curve work: curves from points, projection of points along z,
// equal-distance point strings and kernel curve records.
#include "millvane/surface/SrfActor.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

#include "geometry/shapes3d/GeArc3d.h"
#include "geometry/shapes3d/GeLine3d.h"
#include "geometry/shapes3d/GeNrbCrv3d.h"
#include "geometry/shapes3d/GePolyline3d.h"
#include "millvane/kernel/BsplineUtils.h"
#include "millvane/kernel/SurfaceRecords.h"
#include "millvane/surface/SrfVec3.h"

using srfvec::Dist3;

namespace {

// Distance of p from the infinite line through a and b (|a - p| when they coincide).
double DistToLine(const double p[3], const double a[3], const double b[3]) {
  const double d[3] = {b[0] - a[0], b[1] - a[1], b[2] - a[2]};
  const double w[3] = {p[0] - a[0], p[1] - a[1], p[2] - a[2]};
  const double dd = d[0] * d[0] + d[1] * d[1] + d[2] * d[2];
  if (dd <= 0.0) return Dist3(p, a);
  const double c[3] = {w[1] * d[2] - w[2] * d[1], w[2] * d[0] - w[0] * d[2],
                       w[0] * d[1] - w[1] * d[0]};
  return std::sqrt((c[0] * c[0] + c[1] * c[1] + c[2] * c[2]) / dd);
}

// The last control point onto the first when the ends lie within 0.2.
void CloseBcrv(BCRV* crv) {
  if (!crv || crv->n < 2) return;
  double* f = crv->ctrlPts[0];
  double* l = crv->ctrlPts[crv->n - 1];
  const double pf[3] = {f[0] / f[3], f[1] / f[3], f[2] / f[3]};
  const double pl[3] = {l[0] / l[3], l[1] / l[3], l[2] / l[3]};
  if (Dist3(pf, pl) >= 0.2) return;
  for (int k = 0; k < 3; ++k) l[k] = pf[k] * l[3];
}

}  // namespace

CGeCurve3d* CSrfActor::MakeCurve(CArray<tagDPoint3d, tagDPoint3d>* points, int type) {
  if (!points || points->GetSize() < 2) return nullptr;
  std::vector<std::array<double, 3>> kept;
  for (INT_PTR i = 0; i < points->GetSize(); ++i) {
    const tagDPoint3d& q = (*points)[i];
    const double p[3] = {q.x, q.y, q.z};
    if (!std::isfinite(p[0]) || !std::isfinite(p[1]) || !std::isfinite(p[2])) return nullptr;
    if (kept.empty()) {
      kept.push_back({p[0], p[1], p[2]});
      continue;
    }
    if (Dist3(p, kept.back().data()) < 0.0001) continue;
    if (kept.size() >= 2) {
      const double* a = kept[kept.size() - 2].data();
      const double* b = kept.back().data();
      const double seg[3] = {b[0] - a[0], b[1] - a[1], b[2] - a[2]};
      const double dir[3] = {p[0] - b[0], p[1] - b[1], p[2] - b[2]};
      if (DistToLine(p, a, b) < 0.0001 || V3D_GetAngle(seg, dir, 1e-6) < 0.0001) {
        kept.back() = {p[0], p[1], p[2]};
        continue;
      }
    }
    kept.push_back({p[0], p[1], p[2]});
  }
  const int n = int(kept.size());
  if (n < 2) return nullptr;
  const auto* pts = reinterpret_cast<const double(*)[3]>(kept.data());
  if (type == 2) {
    if (Dist3(kept.front().data(), kept.back().data()) < 0.2) kept.back() = kept.front();
    auto* pl = new CGePolyline3d;
    if (!pl->Create(n, pts)) {
      delete pl;
      return nullptr;
    }
    return pl;
  }
  BCRV* crv = nullptr;
  if (type == 1) {
    if (n == 2) return new CGeLine3d(pts[0], pts[1]);
    crv = CNurbsEditor::GlobalApproxErrBnd(pts, n, 3, 0.2f);
  } else if (CRV_FitBcrvPoints(n, pts, 3, crv) != 1) {
    BCRV_Free(crv);
    crv = nullptr;
  }
  if (!crv) return nullptr;
  CloseBcrv(crv);
  return new CGeNrbCrv3d(crv);
}

void CSrfActor::PrjAlongZAxis(CGeMeshList* meshes, std::vector<tagPoint3d>& in,
                              std::vector<tagPoint3d>& out) {
  if (!meshes || meshes->IsEmpty() || in.empty() || !out.empty()) return;
  out = in;
  for (tagPoint3d& p : out) p.z = -1e12f;
  // Points bucketed in an xy grid so that each triangle only visits the points under its box.
  _tagBox2D all;
  BOX2D_Init0(&all);
  for (const tagPoint3d& p : out) BOX2D_Extend(&all, p.x, p.y);
  const int side = std::max(1, int(std::sqrt(double(out.size()) / 2.0)));
  const double w = std::max(all.max[0] - all.min[0], 1e-9);
  const double h = std::max(all.max[1] - all.min[1], 1e-9);
  auto cellOf = [&](double x, double len, double lo) {
    return std::clamp(int((x - lo) / len * side), 0, side - 1);
  };
  std::vector<std::vector<int>> grid(size_t(side) * size_t(side));
  for (size_t i = 0; i < out.size(); ++i)
    grid[size_t(cellOf(out[i].y, h, all.min[1])) * size_t(side) +
         size_t(cellOf(out[i].x, w, all.min[0]))]
        .push_back(int(i));
  for (POSITION pos = meshes->GetHeadPosition(); pos;) {
    CGeMesh* mesh = meshes->GetNext(pos);
    if (!mesh) continue;
    const int nv = int(mesh->vertices.size());
    for (const CGeMesh::Face& f : mesh->faces) {
      if (f[0] < 0 || f[1] < 0 || f[2] < 0 || f[0] >= nv || f[1] >= nv || f[2] >= nv) continue;
      double v[3][3];
      for (int k = 0; k < 3; ++k) {
        const CPoint3d& c = mesh->vertices[size_t(f[k])];
        v[k][0] = c.x;
        v[k][1] = c.y;
        v[k][2] = c.z;
      }
      _tagBox2D tb;
      BOX2D_Init0(&tb);
      for (int k = 0; k < 3; ++k) BOX2D_Extend(&tb, v[k][0], v[k][1]);
      if (tb.max[0] < all.min[0] - 1e-6 || tb.min[0] > all.max[0] + 1e-6 ||
          tb.max[1] < all.min[1] - 1e-6 || tb.min[1] > all.max[1] + 1e-6)
        continue;
      const int x0 = cellOf(tb.min[0] - 1e-6, w, all.min[0]);
      const int x1 = cellOf(tb.max[0] + 1e-6, w, all.min[0]);
      const int y0 = cellOf(tb.min[1] - 1e-6, h, all.min[1]);
      const int y1 = cellOf(tb.max[1] + 1e-6, h, all.min[1]);
      for (int gy = y0; gy <= y1; ++gy)
        for (int gx = x0; gx <= x1; ++gx)
          for (int i : grid[size_t(gy) * size_t(side) + size_t(gx)]) {
            tagPoint3d& p = out[size_t(i)];
            const double o[3] = {p.x, p.y, 0.0};
            double hit[3];
            if (!BOX2D_IsPtIn(&tb, o, 1e-6) || TRI3_IntZRay(v[0], v[1], v[2], o, 1e-6, hit) != 1)
              continue;
            if (hit[2] > p.z) p.z = float(hit[2]);
          }
    }
  }
}

void CSrfActor::CrvDiscToStrptInEquDist(CGeCurve3d* curve, double step, double tolerance,
                                        CArray<tagDPoint3d, tagDPoint3d>& out) {
  if (!curve) return;
  if (!(tolerance >= 0.0001)) tolerance = 0.0001;
  CStrP3D str;
  curve->Discrete(tolerance, str);
  if (str.m_nCount < 1 || !str.m_pPoints) return;
  const auto* P = str.m_pPoints;
  out.Add(tagDPoint3d{P[0][0], P[0][1], P[0][2]});
  // A step that cannot advance along the curve gives just the ends.
  if (std::isfinite(step) && step > 0.0) {
    const double total = str.EvLength();
    if (total / step < 1e7) {
      double next = step, walked = 0.0;
      for (int i = 1; i < str.m_nCount; ++i) {
        const double len = Dist3(P[i - 1], P[i]);
        while (len > 0.0 && next < walked + len && next < total) {
          const double t = (next - walked) / len;
          out.Add(tagDPoint3d{P[i - 1][0] + t * (P[i][0] - P[i - 1][0]),
                              P[i - 1][1] + t * (P[i][1] - P[i - 1][1]),
                              P[i - 1][2] + t * (P[i][2] - P[i - 1][2])});
          next += step;
        }
        walked += len;
      }
    }
  }
  const int l = str.m_nCount - 1;
  out.Add(tagDPoint3d{P[l][0], P[l][1], P[l][2]});
}

int CRV_FromGeCurve3d(CGeCurve3d* curve, ENT_Record*& rec, double range[2]) {
  rec = nullptr;
  if (!curve) return 0;
  switch (curve->GetType()) {
    case GE_TYPE_LINE3D: {
      double a[3], b[3], d[3];
      curve->GetStartPoint(a);
      curve->GetEndPoint(b);
      if (!V3D_GenUnit(a, b, d, 1e-6)) return 0;
      rec = CRV_NewLine(a, d);
      range[0] = 0.0;
      range[1] = Dist3(a, b);
      break;
    }
    case GE_TYPE_ARC3D: {
      auto* arc = static_cast<CGeArc3d*>(curve);
      rec = CRV_NewCircle(&arc->m_frame, arc->m_dRadius);
      range[0] = 0.0;
      range[1] = arc->m_dSweep;
      break;
    }
    case GE_TYPE_POLYLINE3D: {
      auto* pl = static_cast<CGePolyline3d*>(curve);
      BCRV* b = nullptr;
      if (!pl->m_pVertex || CRV_FitBcrvPoints(pl->m_nCount, pl->m_pVertex, 2, b) != 1) {
        BCRV_Free(b);
        return 0;
      }
      rec = CRV_NewBspline(b);
      if (!rec) BCRV_Free(b);
      range[0] = 0.0;
      range[1] = 1.0;
      break;
    }
    case GE_TYPE_NRBCRV3D: {
      BCRV* b = CRV_CloneBcrv(static_cast<CGeNrbCrv3d*>(curve)->GetCurve());
      if (!b) return 0;
      rec = CRV_NewBspline(b);
      if (!rec) BCRV_Free(b);
      range[0] = 0.0;
      range[1] = 1.0;
      break;
    }
    default:
      return 0;
  }
  return rec ? 1 : 0;
}
