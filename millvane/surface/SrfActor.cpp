#include "millvane/surface/SrfActor.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>

#include "geometry/shapes2d/GeShape2d.h"
#include "geometry/shapes3d/GeArc3d.h"
#include "geometry/shapes3d/GeLine3d.h"
#include "geometry/shapes3d/GeLoop3d.h"
#include "geometry/shapes3d/GeNrbCrv3d.h"
#include "geometry/shapes3d/GePolyline3d.h"
#include "geometry/surfaces/GeMesh.h"
#include "geometry/tools/GeTool3D.h"
#include "millvane/kernel/BsplineUtils.h"
#include "millvane/kernel/KernelRecords.h"
#include "millvane/kernel/SurfaceRecords.h"
#include "millvane/surface/EdInterCurve.h"
#include "platform/numora/Box.h"
#include "platform/numora/Frame.h"
#include "platform/numora/Interval.h"
#include "platform/numora/NurbsEditor.h"
#include "platform/numora/Point3d.h"
#include "platform/numora/StrP3D.h"
#include "platform/numora/Triangle.h"
#include "platform/vurode/Accessors.h"
#include "platform/win/MessageBox.h"
#include "millvane/surface/SrfChamferSolver.h"

int CSrfActor::CreateSURFACE(CGeTrimSurf* surface) {
  if (!surface) return 0;
  if (surface->m_pKernelSurf) return 1;
  if (!surface->m_pSurface) return 0;
  _nurbs_surface* clone = BSRF_Clone(surface->m_pSurface);
  if (!clone) return 0;
  SRF_Bspline* rec = SRF_NewBspline(clone);
  if (!rec) {
    BSRF_Free(clone);
    return 0;
  }
  surface->m_pKernelSurf = rec;
  return 1;
}

int CSrfActor::FreeSURFACE(CGeTrimSurf* surface) {
  if (!surface) return 0;
  ENT_Free(static_cast<ENT_Record*>(surface->m_pKernelSurf));
  surface->m_pKernelSurf = nullptr;
  return 0;
}

int CSrfActor::SrfFillet(CGeTrimSurf* face1, int flip1, CGeTrimSurf* face2, int flip2, int trim,
                         int mode, double radius, CGeTrimSurfList* out) {
  CSrfFilletSolver solver;
  solver.SetTrim(trim, trim, mode);
  solver.SetRadius(radius);
  solver.AddFace(face1, flip1, false);
  solver.AddFace(face2, flip2, true);
  const int rc = solver.Fillet(out);
  solver.Clear();
  return rc;
}

int CSrfActor::SrfChamfer(CGeTrimSurf* face1, int flip1, CGeTrimSurf* face2, int flip2, int trim,
                          int mode, double distance1, double distance2, CGeTrimSurfList* out) {
  CSrfChamferSolver solver;
  solver.SetTrim(trim, trim, mode);
  solver.SetDistances(distance1, distance2);
  solver.AddFace(face1, flip1, false);
  solver.AddFace(face2, flip2, true);
  const int rc = solver.Chamfer(out);
  solver.Clear();
  return rc;
}

namespace {

double Dist3(const double a[3], const double b[3]) {
  return std::sqrt((a[0] - b[0]) * (a[0] - b[0]) + (a[1] - b[1]) * (a[1] - b[1]) +
                   (a[2] - b[2]) * (a[2] - b[2]));
}

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

CGeTrimSurf* CSrfActor::UnTrimSurf(CGeTrimSurf* surface, CGeTrimBnd* edge) {
  if (!surface || !edge || !edge->m_pOwner) return nullptr;
  CGeTrimLoop* owner = edge->m_pOwner;
  bool found = false;
  for (POSITION pos = surface->m_LoopList.GetHeadPosition(); pos && !found;)
    found = surface->m_LoopList.GetNext(pos) == owner;
  if (!found) return nullptr;
  CGeTrimSurf* copy = surface->CopyNoLoop();
  if (!copy) return nullptr;
  // The copy starts with an empty domain box; both branches need the surface's.
  copy->m_uvBox = surface->m_uvBox;
  if (owner->EvArea(0.001) >= 0.0) copy->AddLoop(copy->GenRectTrimLoop(0, 1, 0, 1));
  for (POSITION pos = surface->m_LoopList.GetHeadPosition(); pos;) {
    CGeTrimLoop* l = surface->m_LoopList.GetNext(pos);
    if (l && l != owner) copy->AddLoop(l->Copy());
  }
  copy->BuildTopo();
  copy->Discrete(gGetSurfShowDiscTol());
  return copy;
}

int CSrfActor::SrfSrfTrim(CGeTrimSurfList* tools, CGeTrimSurf* surface, CGeTrimSurfList* out) {
  if (!tools || tools->IsEmpty() || !surface || !out) return 0;
  CSrfTrimAdaptor adaptor;
  if (!adaptor.AddSurface(surface, false)) return 0;
  if (!BOX3D_IsValid(&surface->m_box)) surface->CalcBox();
  for (POSITION pos = tools->GetHeadPosition(); pos;) {
    CGeTrimSurf* t = tools->GetNext(pos);
    if (!t || t == surface) continue;
    if (!BOX3D_IsValid(&t->m_box)) t->CalcBox();
    if (BOX3D_IsInt(&surface->m_box, &t->m_box, 0.01)) adaptor.AddSurface(t, true);
  }
  CGeTrimSurfList pieces;
  if (adaptor.IntersectSurfaces() && adaptor.Trim(0)) adaptor.GetTrimmedSurfaces(&pieces);
  adaptor.ReleaseKernelData();
  if (pieces.IsEmpty()) return 0;
  out->AddTail(&pieces);
  return 1;
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

namespace {

// The curve swept along direction over v in [-reach, reach], as an untrimmed surface over its
// own parameter box; null when the curve cannot be swept.
CGeTrimSurf* ExtrudeCurve(CGeCurve3d* curve, const double direction[3], double reach,
                          double discTol) {
  ENT_Record* generator = nullptr;
  double range[2] = {0, 0};
  if (!CRV_FromGeCurve3d(curve, generator, range)) return nullptr;
  SRF_Extrude* ext = SRF_NewExtrude(direction, generator);
  if (!ext) {
    ENT_Free(generator);
    return nullptr;
  }
  const _tagBox2D box{{range[0], -reach}, {range[1], reach}};
  _nurbs_surface* nurbs = nullptr;
  const int rc = SRF_ToBspline(0.01, ext, &box, nurbs, nullptr);
  ENT_Free(ext);
  if (rc != 1 || !nurbs) {
    BSRF_Free(nurbs);
    return nullptr;
  }
  auto* s = new CGeTrimSurf(nurbs, box);
  s->CalcUVBox();
  // The whole sweep as its domain: a trim editor counts a surface without loops as empty.
  const _tagBox2D uv = s->m_uvBox;
  s->AddLoop(s->GenRectTrimLoop(uv.min[0], uv.max[0], uv.min[1], uv.max[1]));
  s->BuildTopo();
  s->Discrete(discTol);
  return s;
}

}  // namespace

int CSrfActor::CrvPrjToSrf(CGeCurve3d* curve, CGeTrimSurf* surface, double direction[3],
                           int type, CGeCurve3dPtrList* out) {
  if (!curve || !surface || !surface->m_pSurface || !direction || !out) return 0;
  // Any length of direction means the same projection; a null one means none.
  const double len = std::sqrt(direction[0] * direction[0] + direction[1] * direction[1] +
                               direction[2] * direction[2]);
  if (!std::isfinite(len) || len < 1e-12) return 0;
  const double dir[3] = {direction[0] / len, direction[1] / len, direction[2] / len};
  curve->CalcBox();
  if (!BOX3D_IsValid(&surface->m_box)) surface->CalcBox();
  _tagBox3D box = curve->m_box;
  BOX3D_Union(&box, &surface->m_box);
  double e = 0.0;
  const double axes[3][3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
  int axis = -1;
  for (int k = 0; k < 3 && axis < 0; ++k)
    if (V3D_IsParallel(dir, axes[k], 0.001)) axis = k;
  for (int k = 0; k < 3; ++k)
    if (axis < 0 || axis == k) e = std::max(e, box.max[k] - box.min[k]);
  std::unique_ptr<CGeTrimSurf> tool(ExtrudeCurve(curve, dir, e + 1.0, 0.05));
  if (!tool) return 0;
  CGeCurve3dPtrList pieces;
  {
    CSrfTrimAdaptor adaptor;
    if (adaptor.AddSurface(surface, false) && adaptor.AddSurface(tool.get(), true) &&
        adaptor.IntersectSurfaces()) {
      CEdTrimSurf* base = adaptor.FindEditor(surface);
      for (CEdInterCurve* c = adaptor.m_pFirstCurve; c; c = c->m_pNext) {
        c->InterWithLoop(base->m_pFirstLoop, 1);
        c->AddEndPoint();
      }
      adaptor.GetCurves(base, type, &pieces);
    }
    adaptor.ReleaseKernelData();
  }
  if (pieces.IsEmpty()) return 0;
  out->AddTail(&pieces);
  return 1;
}

int CSrfActor::StrptPrjToSurfAlongNormal(CArray<tagDPoint3d, tagDPoint3d>& points,
                                         CGeTrimSurf* surface, int type,
                                         CGeCurve3dPtrList* out) {
  if (points.GetSize() < 2 || !surface || !surface->m_pKernelSurf || !out) return 0;
  const auto* rec = static_cast<const ENT_Record*>(surface->m_pKernelSurf);
  CEdTrimSurf editor;
  if (!editor.InitSurfBound(surface)) return 0;
  const double savedPrecision = TOL_precision;
  TOL_precision = 1e-5;
  std::vector<double> run;
  auto addRun = [&]() {
    if (run.size() >= 4) {
      const int n = int(run.size() / 2);
      editor.AddCurve(reinterpret_cast<double(*)[2]>(run.data()), n, 0, n - 1, false);
    }
  };
  double u = 1e12, v = 1e12;
  for (INT_PTR i = 0; i < points.GetSize(); ++i) {
    const double p[3] = {points[i].x, points[i].y, points[i].z};
    double foot[3] = {0, 0, 0};
    double uu = u, vv = v;
    if (SRF_SnapPoint(vv, uu, foot, rec, p) == 1) {
      u = uu;
      v = vv;
      run.insert(run.end(), {uu, vv});
    } else if (run.size() >= 4) {
      addRun();
      run.clear();
    }
  }
  TOL_precision = savedPrecision;
  if (run.size() >= 4) {
    const tagDPoint3d& f = points[0];
    const tagDPoint3d& l = points[points.GetSize() - 1];
    const double pf[3] = {f.x, f.y, f.z}, pl[3] = {l.x, l.y, l.z};
    if (Dist3(pf, pl) < 0.0001) {
      // A closed string: its two ends are one point. Across a periodic seam their parameters
      // differ by a period, so the last is brought into the first's period before averaging.
      double* a = &run[0];
      double* b = &run[run.size() - 2];
      _param U{}, V{};
      if (SRF_GetParamRanges(rec, &U, &V) == 1) {
        const _param* r[2] = {&U, &V};
        for (int k = 0; k < 2; ++k) {
          const double period = r[k]->max - r[k]->min;
          if (r[k]->closure != 2 || !(period > 0)) continue;
          while (b[k] - a[k] > period / 2) b[k] -= period;
          while (a[k] - b[k] > period / 2) b[k] += period;
        }
      }
      for (int k = 0; k < 2; ++k) a[k] = b[k] = 0.5 * (a[k] + b[k]);
    }
    addRun();
  }
  editor.AutoIntersect(true);
  int added = 0;
  for (CEdTrimBound* c = editor.m_pFirstCurve; c; c = c->m_pNext)
    for (CEdTrimBound* piece = c->BreakBound(false); piece;) {
      CEdTrimBound* next = piece->m_pNext;
      double mid[2] = {0, 0};
      piece->GetMidPoint(mid);
      if (editor.IsPointIn(mid) == 0) {
        CArray<tagDPoint3d, tagDPoint3d> pts;
        for (int i = 0; i <= piece->m_nLast; ++i) {
          double q[3] = {0, 0, 0};
          if (surface->GetPoint(piece->m_pPoints[i][0], piece->m_pPoints[i][1], q) == 1)
            pts.Add(tagDPoint3d{q[0], q[1], q[2]});
        }
        if (CGeCurve3d* crv = MakeCurve(&pts, type)) {
          out->AddTail(crv);
          ++added;
        }
      }
      delete piece;
      piece = next;
    }
  editor.DeleteAllCurve();
  return added ? 1 : 0;
}

namespace {

double Dot3(const double a[3], const double b[3]) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }

// Distance of p from the plane through o with unit normal n.
double PlaneDist(const double p[3], const double o[3], const double n[3]) {
  const double d[3] = {p[0] - o[0], p[1] - o[1], p[2] - o[2]};
  return std::fabs(Dot3(d, n));
}

bool Unit3(const double a[3], double out[3], double tol = 1e-6) {
  const double len = std::sqrt(Dot3(a, a));
  if (!(len > tol)) return false;
  for (int k = 0; k < 3; ++k) out[k] = a[k] / len;
  return true;
}

void Cross3(const double a[3], const double b[3], double out[3]) {
  out[0] = a[1] * b[2] - a[2] * b[1];
  out[1] = a[2] * b[0] - a[0] * b[2];
  out[2] = a[0] * b[1] - a[1] * b[0];
}

// Curves closer than this to a group's plane count as lying in it (the loop chaining
// tolerance).
constexpr double kPlaneTol = 0.002;

}  // namespace

int CSrfActor::GenPlane(CGeCurve3dPtrList* curves, CGeTrimSurfList* out) {
  if (!curves || curves->IsEmpty() || !out) return 0;
  int made = 0;
  std::vector<CGeCurve3d*> work;
  for (POSITION pos = curves->GetHeadPosition(); pos;)
    if (CGeCurve3d* c = curves->GetNext(pos)) work.push_back(c);
  while (!work.empty()) {
    CGeCurve3d* c = work.front();
    work.erase(work.begin());
    double gpt[3] = {0, 0, 0}, gvec[3] = {0, 0, 0};
    int gkind = c->IsPlanar(1e-6, gpt, gvec);
    // Neither a plane nor a line of its own: nothing to build a face on.
    if (gkind != GE_PLANAR_PLANE && gkind != GE_PLANAR_LINE) continue;
    std::vector<CGeCurve3d*> group{c};
    for (auto it = work.begin(); it != work.end();) {
      double dpt[3] = {0, 0, 0}, dvec[3] = {0, 0, 0};
      const int dk = (*it)->IsPlanar(1e-6, dpt, dvec);
      bool join = true;
      if (dk == GE_PLANAR_PLANE) {
        if (gkind == GE_PLANAR_LINE) {
          // The group's line must lie in d's plane.
          join = std::fabs(Dot3(dvec, gvec)) <= 1e-6 && PlaneDist(gpt, dpt, dvec) <= kPlaneTol;
          if (join) std::copy(dvec, dvec + 3, gvec);
        } else {
          join = V3D_IsParallel(dvec, gvec, 0.001) && PlaneDist(dpt, gpt, gvec) <= kPlaneTol;
        }
      } else if (dk == GE_PLANAR_LINE) {
        if (gkind == GE_PLANAR_PLANE) {
          join = std::fabs(Dot3(dvec, gvec)) <= 1e-6 && PlaneDist(dpt, gpt, gvec) <= kPlaneTol;
        } else {
          double n[3], unit[3];
          Cross3(gvec, dvec, n);
          if (!Unit3(n, unit)) {
            // Parallel lines: the plane through both, or still a line when they coincide.
            const double w[3] = {dpt[0] - gpt[0], dpt[1] - gpt[1], dpt[2] - gpt[2]};
            Cross3(gvec, w, n);
          }
          if (Unit3(n, unit)) {
            join = PlaneDist(dpt, gpt, unit) <= kPlaneTol;
            if (join) {
              std::copy(unit, unit + 3, gvec);
              gkind = GE_PLANAR_PLANE;
            }
          }
        }
      }
      if (join && dk == GE_PLANAR_PLANE) gkind = GE_PLANAR_PLANE;
      if (join) {
        group.push_back(*it);
        it = work.erase(it);
      } else {
        ++it;
      }
    }

    _rect_fm3d frame;
    RF_Init(&frame);
    if (!Unit3(gvec, frame.zAxis) || !V3D_GetXYFromZ(frame.zAxis, frame.xAxis, frame.yAxis))
      continue;
    std::copy(gpt, gpt + 3, frame.origin);
    CGeCurve3dList local;
    for (CGeCurve3d* g : group) {
      auto* copy = static_cast<CGeCurve3d*>(g->Copy());
      if (!copy) continue;
      copy->Transform(&frame);
      local.AddTail(copy);
    }
    CGeLoop3dList loops;
    CGeTool3D tool;
    tool.ReCreateLoop3d(&local, &loops, 0.002, true);
    while (!local.IsEmpty()) delete local.RemoveHead();
    tool.ReSortLoop(&loops);

    std::vector<CGeLoop3d*> all;
    for (POSITION pos = loops.GetHeadPosition(); pos;) all.push_back(loops.GetNext(pos));
    for (size_t i = 0; i < all.size();) {
      CGeLoop3d* outer = all[i++];
      std::vector<CGeLoop3d*> faceLoops{outer};
      while (i < all.size() && all[i]->EvArea(0.002) <= 0.0) faceLoops.push_back(all[i++]);
      outer->CalcBox();
      const _tagBox3D b = outer->m_box;
      const double w = b.max[0] - b.min[0], h = b.max[1] - b.min[1];
      // A loop without area in the plane bounds no face (and would divide by zero below).
      if (!(w > 1e-9) || !(h > 1e-9)) continue;
      const double shift[3] = {-b.min[0], -b.min[1], 0.0};
      const double origin[3] = {0, 0, 0};
      _nurbs_surface* plane = CNurbsEditor::MakePlane(origin, w, h);
      if (!plane) continue;
      auto* surface = new CGeTrimSurf(plane, _tagBox2D{{0, 0}, {1, 1}});
      const _tagBox2D box{{0, 0}, {w, h}};
      for (CGeLoop3d* l : faceLoops) {
        l->Translate3D(shift);
        auto* tl = new CGeTrimLoop;
        tl->Create(l, box);
        tl->CalcUVBox();
        surface->AddLoop(tl);
      }
      surface->BuildTopo();
      const double back[3] = {b.min[0], b.min[1], 0.0};
      surface->Translate3D(back);
      surface->TransformLocal(&frame);
      surface->Discrete(0.2);
      out->AddTail(surface);
      ++made;
    }
    geDelLoop3dList(&loops);
  }
  return made ? 1 : 0;
}

namespace {

// The curve's wall along z reaching past the z extent of box united with the curve's box;
// null (after telling the user) for a curve that is not planar.
std::unique_ptr<CGeTrimSurf> ZWall(CGeCurve3d* curve, const _tagBox3D& box, double discTol,
                                   bool& notPlanar) {
  double pt[3], vec[3];
  notPlanar = curve->IsPlanar(0.02, pt, vec) == GE_PLANAR_NONE;
  if (notPlanar) {
    MessageBoxW(nullptr, L"the curves is not coplanar!", nullptr, MB_OK);
    return nullptr;
  }
  curve->CalcBox();
  _tagBox3D all = box;
  BOX3D_Union(&all, &curve->m_box);
  const double up[3] = {0, 0, 1};
  return std::unique_ptr<CGeTrimSurf>(
      ExtrudeCurve(curve, up, all.max[2] - all.min[2] + 1.0, discTol));
}

}  // namespace

int CSrfActor::CrvPrjToSrfAlongZAxis(CGeCurve3dPtrList* curves, CGeTrimSurfList* surfaces,
                                     int type, CGeCurve3dPtrList* out) {
  if (!curves || curves->IsEmpty() || !surfaces || surfaces->IsEmpty() || !out) return 0;
  CSrfTrimAdaptor adaptor;
  _tagBox3D box;
  BOX3D_Init0(&box);
  for (POSITION pos = surfaces->GetHeadPosition(); pos;) {
    CGeTrimSurf* s = surfaces->GetNext(pos);
    if (!s || !adaptor.AddSurface(s, false)) continue;
    if (!BOX3D_IsValid(&s->m_box)) s->CalcBox();
    BOX3D_Union(&box, &s->m_box);
  }
  CGeCurve3dPtrList pieces;
  bool failed = false;
  for (POSITION pos = curves->GetHeadPosition(); pos && !failed;) {
    CGeCurve3d* c = curves->GetNext(pos);
    if (!c) continue;
    bool notPlanar = false;
    std::unique_ptr<CGeTrimSurf> wall = ZWall(c, box, 0.2, notPlanar);
    if (notPlanar) continue;
    failed = !wall || !adaptor.AddSurface(wall.get(), true);
    if (!failed) wall.release();  // the adaptor's tool group deletes it
  }
  if (!failed && adaptor.IntersectSurfaces()) {
    for (CEdInterCurve* c = adaptor.m_pFirstCurve; c; c = c->m_pNext) {
      if (c->m_pEditorA) c->InterWithLoop(c->m_pEditorA->m_pFirstLoop, 1);
      if (c->m_pEditorB) c->InterWithLoop(c->m_pEditorB->m_pFirstLoop, 1);
      c->AddEndPoint();
    }
    for (POSITION pos = surfaces->GetHeadPosition(); pos;)
      adaptor.GetCurves(adaptor.FindEditor(surfaces->GetNext(pos)), type, &pieces);
  }
  adaptor.ReleaseKernelData();
  adaptor.ReleaseToolSurfaces();
  if (failed) {
    while (!pieces.IsEmpty()) delete pieces.RemoveHead();
    return 0;
  }
  if (pieces.IsEmpty()) return 0;
  out->AddTail(&pieces);
  return 1;
}

int CSrfActor::CrvSrfTrimAlongZAxis(CGeCurve3dPtrList* curves, CGeTrimSurf* surface,
                                    CGeTrimSurfList* out) {
  if (!curves || curves->IsEmpty() || !surface || !out) return 0;
  CSrfTrimAdaptor adaptor;
  if (!adaptor.AddSurface(surface, false)) return 0;
  if (!BOX3D_IsValid(&surface->m_box)) surface->CalcBox();
  bool failed = false;
  for (POSITION pos = curves->GetHeadPosition(); pos && !failed;) {
    CGeCurve3d* c = curves->GetNext(pos);
    if (!c) continue;
    bool notPlanar = false;
    std::unique_ptr<CGeTrimSurf> wall = ZWall(c, surface->m_box, 0.2, notPlanar);
    if (notPlanar) continue;
    failed = !wall || !adaptor.AddSurface(wall.get(), true);
    if (!failed) wall.release();
  }
  CGeTrimSurfList pieces;
  if (!failed && adaptor.IntersectSurfaces() && adaptor.Trim(0))
    adaptor.GetTrimmedSurfaces(&pieces);
  adaptor.ReleaseKernelData();
  adaptor.ReleaseToolSurfaces();
  if (failed) {
    while (!pieces.IsEmpty()) delete pieces.RemoveHead();
    return 0;
  }
  if (pieces.IsEmpty()) return 0;
  out->AddTail(&pieces);
  return 1;
}

CGeTrimSurf* CSrfActor::SurfExtend(CGeTrimSurf* surface, CGeTrimBnd* edge, int mode,
                                   double distance) {
  if (!surface || !surface->m_pSurface || !edge || !edge->m_pParaCrv) return nullptr;
  if (!(distance > 1e-6) || !std::isfinite(distance) || surface->IsTrimed()) return nullptr;
  if (edge->m_pParaCrv->GetType() != GE_TYPE_LINE) return nullptr;
  double a[2], b[2];
  edge->m_pParaCrv->GetStartPoint(a);
  edge->m_pParaCrv->GetEndPoint(b);
  int side;
  if (std::fabs(a[0] - b[0]) < 0.0001) {
    if (b[1] == a[1]) return nullptr;
    side = b[1] > a[1] ? 2 : 0;
  } else if (std::fabs(a[1] - b[1]) < 0.0001) {
    side = b[0] > a[0] ? 1 : 3;
  } else {
    return nullptr;
  }
  _nurbs_surface* ext = CNurbsEditor::Extend(surface->m_pSurface, distance, side, mode);
  if (!ext) return nullptr;
  return new CGeTrimSurf(ext, _tagBox2D{{0, 0}, {1, 1}});
}

int CSrfActor::IsoTrimSurf(CGeTrimSurf* surface, double value, int direction,
                           CGeTrimSurfList* out) {
  if (!surface || !surface->m_pSurface || surface->m_LoopList.IsEmpty() || !out) return 0;
  if (!std::isfinite(value)) return 0;
  const double tol = gGetSurfShowDiscTol();
  CGeTrimSurfList pieces;
  if (surface->IsTrimed()) {
    const _tagBox2D& B = surface->m_uvBox;
    const bool alongU = direction == CNurbsEditor::kIsoU;
    const int k = alongU ? 0 : 1;
    if (!(value > B.min[k] + 0.0001 && value < B.max[k] - 0.0001)) return 0;
    double cut[2][2];
    if (alongU) {
      cut[0][0] = cut[1][0] = value;
      cut[0][1] = B.min[1] - 0.1;
      cut[1][1] = B.max[1] + 0.1;
    } else {
      cut[0][1] = cut[1][1] = value;
      cut[0][0] = B.min[0] - 0.1;
      cut[1][0] = B.max[0] + 0.1;
    }
    CEdTrimSurf editor;
    if (!editor.InitSurfBound(surface) || !editor.AddCurve(cut, 2)) return 0;
    editor.AutoIntersect(true);
    editor.TrimSurface(0);
    for (CEdTrimLoop* l = editor.m_pResult; l; l = l->m_pNext) {
      _nurbs_surface* clone = BSRF_Clone(surface->m_pSurface);
      if (!clone) break;
      auto* piece = new CGeTrimSurf(clone, l->m_box);
      bool ok = true;
      for (CEdTrimLoop* part = l; part && ok; part = part == l ? l->m_pIsland : part->m_pNext) {
        CGeTrimLoop* gl = part->ConvertToTopoLoop();
        ok = gl != nullptr;
        if (ok) piece->AddLoop(gl);
      }
      if (!ok) {
        delete piece;
        continue;
      }
      piece->BuildTopo();
      for (POSITION pos = piece->m_LoopList.GetHeadPosition(); pos;)
        piece->m_LoopList.GetNext(pos)->CreateEuclidBnd();
      piece->Discrete(tol);
      pieces.AddTail(piece);
    }
    editor.DeleteAllCurve();
  } else {
    _nurbs_surface *first = nullptr, *second = nullptr;
    CNurbsEditor::SplitAt(surface->m_pSurface, value, direction, first, second);
    for (_nurbs_surface* part : {first, second}) {
      if (!part) continue;
      auto* piece = new CGeTrimSurf(part, _tagBox2D{{0, 0}, {1, 1}});
      piece->Discrete(tol);
      pieces.AddTail(piece);
    }
  }
  if (pieces.IsEmpty()) return 0;
  out->AddTail(&pieces);
  return 1;
}

namespace {

// Point, unit normal and the edge's direction on the surface at edge parameter s.
bool EdgeFrame(CGeTrimSurf* srf, CGeTrimBnd* edge, double s, bool rev, double P[3],
               double N[3], double T[3]) {
  const double t = rev ? 1.0 - s : s;
  double uv[2];
  if (!edge->GetParaPoint(t, uv) || !srf->GetNormal(uv[0], uv[1], P, N)) return false;
  // The edge's tangent from its image on the surface a little either side.
  const double h = 1e-4;
  double a[2], b[2], pa[3], pb[3];
  if (!edge->GetParaPoint(std::max(0.0, t - h), a) || !edge->GetParaPoint(std::min(1.0, t + h), b) ||
      srf->GetPoint(a[0], a[1], pa) != 1 || srf->GetPoint(b[0], b[1], pb) != 1)
    return false;
  const double sign = rev ? -1.0 : 1.0;
  for (int k = 0; k < 3; ++k) T[k] = sign * (pb[k] - pa[k]);
  return true;
}

// Moves the second control point of every row along its first leg by startOffset, and the
// second-to-last along its last leg by endOffset.
void OffsetRows(_nurbs_surface* srf, double startOffset, double endOffset) {
  if (srf->nu < 3) return;
  for (int j = 0; j < srf->nv; ++j) {
    auto move = [&](int from, int to, double d) {
      double* a = srf->net[j][from];
      double* b = srf->net[j][to];
      const double pa[3] = {a[0] / a[3], a[1] / a[3], a[2] / a[3]};
      double pb[3] = {b[0] / b[3], b[1] / b[3], b[2] / b[3]};
      const double dir[3] = {pb[0] - pa[0], pb[1] - pa[1], pb[2] - pa[2]};
      double u[3];
      if (!Unit3(dir, u)) return;
      for (int k = 0; k < 3; ++k) b[k] = (pb[k] + d * u[k]) * b[3];
    };
    move(0, 1, startOffset);
    move(srf->nu - 1, srf->nu - 2, endOffset);
  }
}

// Rows of a blend: the parameter lengths walked on both sides, their steps from each side's
// discretisation step, and the row count between 4 and 501. False for non-finite ranges.
bool BlendRows(const SURFBLEND_PARAM& prm, CGeCurve3d* side1, CGeCurve3d* side2, int& n,
               double& dt1, double& dt2) {
  const double len1 = prm.closed1 == 1 ? 1.0 : std::fabs(prm.end1 - prm.start1);
  const double len2 = prm.closed2 == 1 ? 1.0 : std::fabs(prm.end2 - prm.start2);
  if (!std::isfinite(len1) || !std::isfinite(len2) || !std::isfinite(prm.start1) ||
      !std::isfinite(prm.start2))
    return false;
  double step1 = 0.0, step2 = 0.0;
  const double tol = gGetCurveDicTol();
  side1->GetDiscStep(tol, step1);
  side2->GetDiscStep(tol, step2);
  auto count = [](double len, double step) {
    return step > 0.0 ? std::min(std::ceil(len / step), 501.0) : 4.0;
  };
  n = int(std::clamp(std::max(count(len1, step1), count(len2, step2)), 4.0, 501.0));
  dt1 = len1 / (n - 1);
  dt2 = len2 / (n - 1);
  return true;
}

}  // namespace

int CSrfActor::SurfSurfBlend(CGeTrimSurf* s1, CGeTrimSurf* s2, CGeTrimBnd* e1, CGeTrimBnd* e2,
                             bool rev1, bool rev2, SURFBLEND_PARAM prm, CGeTrimSurfList* out) {
  if (!s1 || !s2 || !e1 || !e2 || !out || !e1->m_pEucCrv || !e2->m_pEucCrv) return 0;
  int n = 0;
  double dt1 = 0.0, dt2 = 0.0;
  if (!BlendRows(prm, e1->m_pEucCrv, e2->m_pEucCrv, n, dt1, dt2)) return 0;
  NET4D net = NET4D_Create(n, 4);
  if (!net) return 0;
  double P1[3], N1[3], T1[3], P2[3], N2[3], T2[3], D1[3], D2[3];
  for (int i = 0; i < n; ++i) {
    double t1 = prm.start1 + i * dt1, t2 = prm.start2 + i * dt2;
    if (prm.closed1 == 1) t1 = CInterval::ClampPeriodic(0.0, 1.0, t1);
    if (prm.closed2 == 1) t2 = CInterval::ClampPeriodic(0.0, 1.0, t2);
    if (!EdgeFrame(s1, e1, CInterval::Clamp01(t1), rev1, P1, N1, T1) ||
        !EdgeFrame(s2, e2, CInterval::Clamp01(t2), rev2, P2, N2, T2)) {
      NET4D_Free(net, n);
      return 0;
    }
    Cross3(T1, N1, D1);
    Cross3(T2, N2, D2);
    double row[4][4];
    if (!BCRV_CalFergCntP(P1, D1, P2, D2, row)) {
      NET4D_Free(net, n);
      return 0;
    }
    for (int c = 0; c < 4; ++c) std::copy(row[c], row[c] + 4, net[i][c]);
  }
  BCRV* cross = BCRV_CreFergC1(P1, D1, P2, D2);
  _nurbs_surface* srf = nullptr;
  const int rc = cross ? BSRF_IntpPsUniK(n, net, cross, 4, srf) : 0;
  BCRV_Free(cross);
  NET4D_Free(net, n);
  if (rc != 1 || !srf) {
    BSRF_Free(srf);
    return 0;
  }
  OffsetRows(srf, prm.startOffset, prm.endOffset);
  out->AddTail(new CGeTrimSurf(srf, _tagBox2D{{0, 0}, {1, 1}}));
  return 1;
}

int CSrfActor::SurfCurveBlend(CGeCurve3d* curve, CGeTrimSurf* surface, CGeTrimBnd* edge,
                              bool revCurve, bool revEdge, SURFBLEND_PARAM prm,
                              CGeTrimSurfList* out) {
  if (!curve || !surface || !edge || !out || !edge->m_pEucCrv) return 0;
  int n = 0;
  double dt1 = 0.0, dt2 = 0.0;
  if (!BlendRows(prm, curve, edge->m_pEucCrv, n, dt1, dt2)) return 0;
  if (revCurve) curve->Reverse();
  NET4D net = NET4D_Create(n, 3);
  if (!net) return 0;
  double C[3], M[3], S[3];
  for (int i = 0; i < n; ++i) {
    double t1 = prm.start1 + i * dt1, t2 = prm.start2 + i * dt2;
    if (prm.closed1 == 1) t1 = CInterval::ClampPeriodic(0.0, 1.0, t1);
    if (prm.closed2 == 1) t2 = CInterval::ClampPeriodic(0.0, 1.0, t2);
    // Curves that cannot evaluate the parameter leave C untouched: catch it as a failure.
    C[0] = C[1] = C[2] = std::numeric_limits<double>::quiet_NaN();
    curve->GetPointAt(CInterval::Clamp01(t1), C, 1);
    double s2 = CInterval::Clamp01(t2);
    if (revEdge) s2 = 1.0 - s2;
    double N[3], T[3];
    if (!std::isfinite(C[0] + C[1] + C[2]) || !EdgeFrame(surface, edge, s2, false, S, N, T)) {
      NET4D_Free(net, n);
      return 0;
    }
    // Leave the edge across it, level with the surface; straight at the curve when the
    // edge gives no cross direction.
    double D[3], TN[3];
    Cross3(T, N, TN);
    const double CS[3] = {C[0] - S[0], C[1] - S[1], C[2] - S[2]};
    if (!Unit3(TN, D, 1e-12) && !Unit3(CS, D, 1e-12)) {
      NET4D_Free(net, n);
      return 0;
    }
    const double half = std::sqrt(CS[0] * CS[0] + CS[1] * CS[1] + CS[2] * CS[2]) / 2;
    for (int k = 0; k < 3; ++k) M[k] = S[k] + D[k] * half;
    const double* row[3] = {C, M, S};
    for (int c = 0; c < 3; ++c) {
      std::copy(row[c], row[c] + 3, net[i][c]);
      net[i][c][3] = 1.0;
    }
  }
  BCRV* cross = BCRV_CreConic(C, M, S, 0.5);
  _nurbs_surface* srf = nullptr;
  const int rc = cross ? BSRF_IntpPs(n, net, cross, 3, srf) : 0;
  BCRV_Free(cross);
  NET4D_Free(net, n);
  if (rc != 1 || !srf) {
    BSRF_Free(srf);
    return 0;
  }
  OffsetRows(srf, prm.startOffset, prm.endOffset);
  out->AddTail(new CGeTrimSurf(srf, _tagBox2D{{0, 0}, {1, 1}}));
  return 1;
}
