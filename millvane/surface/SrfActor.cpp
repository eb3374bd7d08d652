// The surface actor's kernel records, fillet and chamfer, and trimming (untrim, trim by
// surfaces, trim at an iso-parameter line).
#include "millvane/surface/SrfActor.h"

#include <cmath>

#include "millvane/surface/EdInterCurve.h"
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
