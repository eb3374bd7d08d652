// Faces and runs shared by the fillet benchmarks.
#pragma once

#include <array>
#include <memory>
#include <utility>
#include <vector>

#include "millvane/surface/SrfActor.h"
#include "millvane/surface/SrfFilletSolver.h"

namespace filletbench {

struct FaceDeleter {
  void operator()(CGeTrimSurf* f) const {
    CSrfActor().FreeSURFACE(f);
    delete f;
  }
};
using Face = std::unique_ptr<CGeTrimSurf, FaceDeleter>;

inline Face WithRecord(_nurbs_surface* s) {
  Face f(new CGeTrimSurf(s, _tagBox2D{{0, 0}, {1, 1}}));
  CSrfActor().CreateSURFACE(f.get());
  return f;
}

// O + u U + v V over the unit square.
inline Face Plane(std::array<double, 3> O, std::array<double, 3> U, std::array<double, 3> V) {
  _nurbs_surface* s = BSRF_Create(2, 2, 2, 2);
  for (int j = 0; j < 2; ++j)
    for (int i = 0; i < 2; ++i) {
      for (int k = 0; k < 3; ++k) s->net[j][i][k] = O[k] + i * U[k] + j * V[k];
      s->net[j][i][3] = 1.0;
    }
  return WithRecord(s);
}

// Fillets face `a` against face `b` with radius r into `out`.
inline void SolveFillet(CSrfFilletSolver& solver, CGeTrimSurf* a, int flipA, CGeTrimSurf* b,
                        int flipB, double r, CGeTrimSurfList& out) {
  solver.SetRadius(r);
  solver.AddFace(a, flipA, false);
  solver.AddFace(b, flipB, true);
  solver.Fillet(&out);
}

// Runs one fillet; returns the traced points and adds the patches to `patches` and their
// control points to `poles`.
inline int RunFillet(CGeTrimSurf* a, int flipA, CGeTrimSurf* b, int flipB, double r, int& patches,
                     long& poles) {
  CSrfFilletSolver solver;
  CGeTrimSurfList out;
  SolveFillet(solver, a, flipA, b, flipB, r, out);
  int points = 0;
  for (SSI_CurveNode* c = solver.Spines(); c; c = c->next) points += c->curve->points->count;
  patches += int(out.GetCount());
  for (POSITION pos = out.GetHeadPosition(); pos;) {
    const _nurbs_surface* s = out.GetNext(pos)->m_pSurface;
    if (s) poles += long(s->nu) * s->nv;
  }
  while (!out.IsEmpty()) delete out.RemoveHead();
  return points;
}

// Runs one fillet and hands back its patches.
inline std::vector<std::unique_ptr<CGeTrimSurf>> FilletPatches(CGeTrimSurf* a, int flipA,
                                                               CGeTrimSurf* b, int flipB,
                                                               double r) {
  CSrfFilletSolver solver;
  CGeTrimSurfList out;
  SolveFillet(solver, a, flipA, b, flipB, r, out);
  std::vector<std::unique_ptr<CGeTrimSurf>> patches;
  while (!out.IsEmpty()) patches.emplace_back(out.RemoveHead());
  return patches;
}

// Two faces of side L meeting along the y axis at an interior angle of 60 degrees: z = 0 for
// x >= 0, and the face rising along (cos 60, 0, sin 60). Their normals point into the wedge.
inline std::pair<Face, Face> Wedge60Faces(double L) {
  const double c = 0.5, s = 0.8660254037844386;
  return {Plane({0, 0, 0}, {L, 0, 0}, {0, L, 0}), Plane({0, 0, 0}, {0, L, 0}, {L * c, 0, L * s})};
}

// The six faces of a box of side L (outward normals; a fillet inside flips both faces) and the
// pairs of faces that share an edge.
inline std::vector<Face> BoxFaces(double L) {
  std::vector<Face> faces;
  faces.push_back(Plane({0, 0, 0}, {0, L, 0}, {L, 0, 0}));  // z = 0
  faces.push_back(Plane({0, 0, L}, {L, 0, 0}, {0, L, 0}));  // z = L
  faces.push_back(Plane({0, 0, 0}, {0, 0, L}, {0, L, 0}));  // x = 0
  faces.push_back(Plane({L, 0, 0}, {0, L, 0}, {0, 0, L}));  // x = L
  faces.push_back(Plane({0, 0, 0}, {L, 0, 0}, {0, 0, L}));  // y = 0
  faces.push_back(Plane({0, L, 0}, {0, 0, L}, {L, 0, 0}));  // y = L
  return faces;
}
inline std::vector<std::pair<int, int>> BoxEdges() {
  std::vector<std::pair<int, int>> edges;
  for (int i = 0; i < 6; ++i)
    for (int j = i + 1; j < 6; ++j)
      if (j != (i ^ 1)) edges.emplace_back(i, j);  // faces 2k and 2k+1 are opposite
  return edges;
}

// The upright cylinder of radius 1 and height 2 on the origin.
inline Face UprightCylinder() {
  BCRV* circle = BCRV_New();
  const double c[2] = {0, 0}, up[3] = {0, 0, 1};
  circle->GenCircle(c, 1.0);
  _nurbs_surface* s = nullptr;
  BSRF_GenExtrude(circle, up, 2.0, s);
  BCRV_Free(circle);
  return WithRecord(s);
}

}  // namespace filletbench
