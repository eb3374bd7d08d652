// The surface actor's planes: planar faces bounded by groups of coplanar closed curves.
#include "millvane/surface/SrfActor.h"

#include <cmath>
#include <vector>

#include "geometry/shapes3d/GeLoop3d.h"
#include "geometry/tools/GeTool3D.h"
#include "millvane/surface/SrfVec3.h"

using srfvec::Cross3;
using srfvec::Dot3;
using srfvec::Unit3;

namespace {

// Distance of p from the plane through o with unit normal n.
double PlaneDist(const double p[3], const double o[3], const double n[3]) {
  const double d[3] = {p[0] - o[0], p[1] - o[1], p[2] - o[2]};
  return std::fabs(Dot3(d, n));
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
