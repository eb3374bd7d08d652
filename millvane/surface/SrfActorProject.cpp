// The surface actor's projections: curves and points onto surfaces along a direction, the
// surface normal or the z axis, and trimming along z.
#include "millvane/surface/SrfActor.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

#include "millvane/kernel/SurfaceRecords.h"
#include "millvane/surface/EdInterCurve.h"
#include "millvane/surface/SrfVec3.h"
#include "platform/win/MessageBox.h"

using srfvec::Dist3;

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

// Ends a run of the adaptor: its working data goes, and the pieces go to out unless the run
// failed (they are freed then) or none came. 1 when pieces were handed over.
template <class List>
int HandOver(CSrfTrimAdaptor& adaptor, bool failed, List& pieces, List* out) {
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
  return HandOver(adaptor, failed, pieces, out);
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
  return HandOver(adaptor, failed, pieces, out);
}
