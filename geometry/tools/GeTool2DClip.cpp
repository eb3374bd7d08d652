// Loop booleans through the polygon clipper.
#include <algorithm>
#include <vector>

#include "geometry/shapes2d/GeLoop.h"

#include "geometry/shapes2d/ShapeListUtil.h"
#include "geometry/tools/GeTool2D.h"
#include "geometry/tools/GeTool2DInternal.h"

using namespace tool2d;

void CGeTool2D::LoopClip(CGeLoopList* subject, CGeLoopList* clip, gpc_op op,
                         CGeLoopList* result) {
  if (!subject || subject->IsEmpty() || !clip || clip->IsEmpty() || !result) return;
  gpc_polygon a, b, out;
  gpc_init_polygon(&a);
  gpc_init_polygon(&b);
  gpc_init_polygon(&out);
  geLoopList2GPC(subject, &a);
  geLoopList2GPC(clip, &b);
  if (gpc_polygon_clip(op, &a, &b, &out)) geGPC2LoopList(&out, result);
  gpc_free_polygon(&a);
  gpc_free_polygon(&b);
  gpc_free_polygon(&out);
}

void CGeTool2D::LoopMerge(CGeLoopList* loops, CGeLoopList* result) {
  if (!loops || loops->GetCount() < 2 || !result) return;
  std::vector<CGeLoop*> v;
  for (POSITION pos = loops->GetHeadPosition(); pos;) {
    CGeLoop* l = loops->GetNext(pos);
    if (HasPoints(l)) v.push_back(l);
  }
  if (v.size() < 2) return;
  gpc_polygon acc, u;
  gpc_init_polygon(&acc);
  gpc_init_polygon(&u);
  {
    CGeLoopList one;
    one.AddTail(v[0]);
    geLoopList2GPC(&one, &acc);
  }
  for (size_t i = 1; i < v.size(); ++i) {
    if (u.num_contours > 0) {
      // The clipper fills even-odd; the flags only tell the outer contour from holes.
      gpc_free_polygon(&acc);
      if (gpc_create_polygon(&acc, u.num_contours)) {
        for (int c = 0; c < u.num_contours; ++c) {
          acc.hole[c] = c == 0 ? 0 : 1;
          const gpc_vertex_list& src = u.contour[c];
          if (gpc_create_vertex(&acc.contour[c], src.num_vertices))
            std::copy(src.vertex, src.vertex + src.num_vertices, acc.contour[c].vertex);
        }
      }
    }
    gpc_polygon next;
    gpc_init_polygon(&next);
    CGeLoopList one;
    one.AddTail(v[i]);
    geLoopList2GPC(&one, &next);
    gpc_free_polygon(&u);  // the clip overwrites its result without freeing it
    gpc_polygon_clip(GPC_UNION, &acc, &next, &u);
    gpc_free_polygon(&next);
  }
  geGPC2LoopList(&u, result);
  gpc_free_polygon(&acc);
  gpc_free_polygon(&u);
}

