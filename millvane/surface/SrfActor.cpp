#include "millvane/surface/SrfActor.h"

#include "millvane/kernel/KernelRecords.h"
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
