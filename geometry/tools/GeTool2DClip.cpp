// Loop booleans through the polygon clipper.
#include <algorithm>
#include <utility>
#include <vector>

#include "geometry/shapes2d/GeLoop.h"

#include "geometry/shapes2d/ShapeListUtil.h"
#include "geometry/tools/GeTool2D.h"
#include "geometry/tools/GeTool2DInternal.h"

using namespace tool2d;

namespace {

// A clipper polygon released with its holder.
struct Polygon {
  gpc_polygon p;
  Polygon() { gpc_init_polygon(&p); }
  Polygon(Polygon&& o) noexcept : p(o.p) { gpc_init_polygon(&o.p); }
  Polygon& operator=(Polygon&& o) noexcept {
    std::swap(p, o.p);
    return *this;
  }
  Polygon(const Polygon&) = delete;
  Polygon& operator=(const Polygon&) = delete;
  ~Polygon() { gpc_free_polygon(&p); }
};

}  // namespace

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
  std::vector<Polygon> level;
  for (POSITION pos = loops->GetHeadPosition(); pos;) {
    CGeLoop* l = loops->GetNext(pos);
    if (!HasPoints(l)) continue;
    CGeLoopList one;
    one.AddTail(l);
    level.emplace_back();
    geLoopList2GPC(&one, &level.back().p);
  }
  if (level.size() < 2) return;
  // Neighbours are united in rounds, a tree of unions: each contour passes through about
  // log2(n) clips instead of up to n when the loops are added one by one. The clipper fills
  // even-odd, and a union's contours (outer boundaries, holes, islands) do not overlap, so a
  // union serves as the next round's input as it is.
  while (level.size() > 1) {
    std::vector<Polygon> next((level.size() + 1) / 2);
    for (size_t i = 0; i + 1 < level.size(); i += 2) {
      // A union that fails (a coordinate beyond the clipper's range) would drop its loops
      // from the result: nothing is output instead of a union with loops missing.
      if (!gpc_polygon_clip(GPC_UNION, &level[i].p, &level[i + 1].p, &next[i / 2].p)) return;
    }
    if (level.size() % 2) std::swap(next.back(), level.back());
    level.swap(next);
  }
  geGPC2LoopList(&level[0].p, result);
}
