// Reference union of loops one at a time (each loop united with the union so far), for checking
// the tree of unions and for measuring what it saves.
#pragma once

#include "geometry/shapes2d/GeLoop.h"
#include "geometry/shapes2d/ShapeListUtil.h"
#include "platform/numora/Gpc.h"

// Appends the union of the loops with points to result; false, appending nothing, when a clip
// fails or fewer than two loops have points.
inline bool FoldLoopMerge(CGeLoopList* loops, CGeLoopList* result) {
  gpc_polygon acc;
  gpc_init_polygon(&acc);
  int used = 0;
  bool ok = true;
  for (POSITION pos = loops->GetHeadPosition(); pos && ok;) {
    CGeLoop* l = loops->GetNext(pos);
    if (!l || !l->m_pSWPoint || l->m_nSWPoint <= 0) continue;
    CGeLoopList one;
    one.AddTail(l);
    gpc_polygon next, u;
    gpc_init_polygon(&next);
    gpc_init_polygon(&u);
    geLoopList2GPC(&one, &next);
    if (used++ == 0) {
      acc = next;
      continue;
    }
    ok = gpc_polygon_clip(GPC_UNION, &acc, &next, &u) != 0;
    gpc_free_polygon(&acc);
    gpc_free_polygon(&next);
    acc = u;
  }
  ok = ok && used > 1;
  if (ok) geGPC2LoopList(&acc, result);
  gpc_free_polygon(&acc);
  return ok;
}
