// Loop booleans through the polygon clipper.
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <memory>
#include <numbers>
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

// One contour of a union in progress, with its box (min x, min y, max x, max y). Its vertices
// are either its own (malloc'ed, as the clipper hands out its contours, so that they are taken
// over without a copy) or borrowed from a block that outlives it (the loops' points).
struct Ring {
  gpc_vertex* v = nullptr;
  int n = 0;
  bool owned = false;
  std::array<double, 4> box{};
  Ring() = default;
  Ring(Ring&& o) noexcept : v(o.v), n(o.n), owned(o.owned), box(o.box) {
    o.v = nullptr;
    o.n = 0;
    o.owned = false;
  }
  Ring& operator=(Ring&& o) noexcept {
    std::swap(v, o.v);
    std::swap(n, o.n);
    std::swap(owned, o.owned);
    box = o.box;
    return *this;
  }
  Ring(const Ring&) = delete;
  Ring& operator=(const Ring&) = delete;
  ~Ring() {
    if (owned) std::free(v);
  }
  void UpdateBox() {
    box = {v[0].x, v[0].y, v[0].x, v[0].y};
    for (int i = 1; i < n; ++i) {
      const gpc_vertex& p = v[i];
      box[0] = std::min(box[0], p.x);
      box[1] = std::min(box[1], p.y);
      box[2] = std::max(box[2], p.x);
      box[3] = std::max(box[3], p.y);
    }
  }
};

// The union of a group of loops: one loop as drawn (clipped false: it may cross itself and run
// either way), or the clipper's contours, which neither cross nor overlap.
struct Part {
  std::vector<Ring> rings;
  std::array<double, 4> box{};
  bool clipped = false;
  bool convex = false;  // one loop as drawn that is convex, so it bounds its inside simply
};

// Whether a ring turns one way only, once round: then it is convex and does not cross itself.
// Repeated points are passed over; a point where the ring turns back counts as not convex.
// `edges` is scratch space.
bool IsConvex(const gpc_vertex* v, int n, std::vector<std::array<double, 2>>& edges) {
  edges.clear();
  for (int i = 0; i < n; ++i) {
    const gpc_vertex& a = v[i];
    const gpc_vertex& b = v[(i + 1) % n];
    if (a.x != b.x || a.y != b.y) edges.push_back({b.x - a.x, b.y - a.y});
  }
  if (edges.size() < 3) return false;
  int sign = 0;
  double turn = 0.0;
  for (size_t i = 0; i < edges.size(); ++i) {
    const auto& a = edges[i];
    const auto& b = edges[(i + 1) % edges.size()];
    const double cross = a[0] * b[1] - a[1] * b[0], dot = a[0] * b[0] + a[1] * b[1];
    if (cross == 0.0 && dot <= 0.0) return false;
    const int s = cross > 0.0 ? 1 : cross < 0.0 ? -1 : 0;
    if (s != 0 && sign != 0 && s != sign) return false;
    if (s != 0) sign = s;
    turn += std::atan2(cross, dot);
  }
  return std::fabs(std::fabs(turn) - 2.0 * std::numbers::pi) < 1e-6;
}

// Groups of up to this many convex loops are united in one pass of the clipper.
constexpr size_t kConvexBatch = 256;

// Boxes closer than this are taken to meet: contours that only touch still go to the clipper.
constexpr double kTouch = 1e-6;

bool Meet(const std::array<double, 4>& a, const std::array<double, 4>& b) {
  return a[0] <= b[2] + kTouch && b[0] <= a[2] + kTouch && a[1] <= b[3] + kTouch &&
         b[1] <= a[3] + kTouch;
}

std::array<double, 4> Union(const std::array<double, 4>& a, const std::array<double, 4>& b) {
  return {std::min(a[0], b[0]), std::min(a[1], b[1]), std::max(a[2], b[2]), std::max(a[3], b[3])};
}

// A clipper polygon whose contours are the rings' vertices, lent for as long as it lives: the
// clipper only reads its inputs.
struct Lent {
  gpc_polygon p;
  Lent() { gpc_init_polygon(&p); }
  Lent(const Lent&) = delete;
  Lent& operator=(const Lent&) = delete;
  ~Lent() {
    for (int c = 0; c < p.num_contours; ++c) p.contour[c] = {0, nullptr};
    gpc_free_polygon(&p);
  }
  bool Lend(const std::vector<Ring>& rings) {
    if (!gpc_create_polygon(&p, static_cast<int>(rings.size()))) return false;
    for (size_t c = 0; c < rings.size(); ++c) p.contour[c] = {rings[c].n, rings[c].v};
    return true;
  }
};

// Takes the clipper's contours over as rings; the polygon is left with none.
void AppendContours(gpc_polygon& p, std::vector<Ring>& rings) {
  for (int c = 0; c < p.num_contours; ++c) {
    gpc_vertex_list& vl = p.contour[c];
    if (vl.num_vertices <= 0) continue;
    Ring r;
    r.v = vl.vertex;
    r.n = vl.num_vertices;
    r.owned = true;
    vl = {0, nullptr};
    r.UpdateBox();
    rings.push_back(std::move(r));
  }
}

// Marks the rings of a and of b whose boxes meet a box of the other side: a sweep along x.
void MarkMeeting(const std::vector<Ring>& a, const std::vector<Ring>& b, std::vector<char>& ma,
                 std::vector<char>& mb) {
  struct Item {
    const Ring* r;
    char* mark;
    int side;
  };
  std::vector<Item> items;
  items.reserve(a.size() + b.size());
  for (size_t i = 0; i < a.size(); ++i) items.push_back({&a[i], &ma[i], 0});
  for (size_t i = 0; i < b.size(); ++i) items.push_back({&b[i], &mb[i], 1});
  std::sort(items.begin(), items.end(),
            [](const Item& x, const Item& y) { return x.r->box[0] < y.r->box[0]; });
  std::vector<Item> active[2];
  for (const Item& it : items) {
    std::vector<Item>& other = active[1 - it.side];
    size_t keep = 0;
    for (const Item& o : other) {
      if (o.r->box[2] + kTouch < it.r->box[0]) continue;  // ends left of everything to come
      other[keep++] = o;
      if (Meet(o.r->box, it.r->box)) *o.mark = *it.mark = 1;
    }
    other.resize(keep);
    active[it.side].push_back(it);
  }
}

// The union of two parts. The clipper's contours of one part whose boxes meet no contour of the
// other cannot change: nothing of the other lies on them or around them. Only the rest is
// clipped, so that merging two neighbouring groups costs what lies near their seam.
bool MergeParts(Part& a, Part& b, Part& out) {
  out.box = Union(a.box, b.box);
  out.clipped = true;
  std::vector<char> ma(a.rings.size(), 1), mb(b.rings.size(), 1);
  if (a.clipped && b.clipped) {
    // Contours beyond the other part's box pass at once; the sweep sorts out the rest.
    std::vector<Ring> na, nb;
    std::vector<char> sa, sb;
    for (Ring& r : a.rings) {
      if (Meet(r.box, b.box)) na.push_back(std::move(r));
      else out.rings.push_back(std::move(r));
    }
    for (Ring& r : b.rings) {
      if (Meet(r.box, a.box)) nb.push_back(std::move(r));
      else out.rings.push_back(std::move(r));
    }
    a.rings.swap(na);
    b.rings.swap(nb);
    ma.assign(a.rings.size(), 0);
    mb.assign(b.rings.size(), 0);
    MarkMeeting(a.rings, b.rings, ma, mb);
  }
  Lent pa, pb;
  Polygon pu;
  std::vector<Ring> ca, cb;
  for (size_t i = 0; i < a.rings.size(); ++i) {
    if (ma[i]) ca.push_back(std::move(a.rings[i]));
    else out.rings.push_back(std::move(a.rings[i]));
  }
  for (size_t i = 0; i < b.rings.size(); ++i) {
    if (mb[i]) cb.push_back(std::move(b.rings[i]));
    else out.rings.push_back(std::move(b.rings[i]));
  }
  a.rings.clear();
  b.rings.clear();
  if (ca.empty() && cb.empty()) return true;
  // A union that fails (a coordinate beyond the clipper's range) would drop its loops from
  // the result: the caller outputs nothing instead of a union with loops missing.
  if (!pa.Lend(ca) || !pb.Lend(cb) || !gpc_polygon_clip(GPC_UNION, &pa.p, &pb.p, &pu.p))
    return false;
  AppendContours(pu.p, out.rings);
  return true;
}

// The union of the leaves listed in idx[0, n): halves split at the median of the box centres
// along the wider extent, so that every merge joins two neighbouring groups.
bool MergeRange(std::vector<Part>& leaves, int* idx, size_t n, Part& out) {
  if (n == 1) {
    out = std::move(leaves[size_t(idx[0])]);
    return true;
  }
  if (n <= kConvexBatch && std::all_of(idx, idx + n, [&](int i) { return leaves[size_t(i)].convex; })) {
    // Convex loops need no even-odd reading of their own: one pass unites them all.
    std::vector<Ring> rings;
    out.box = leaves[size_t(idx[0])].box;
    for (size_t i = 0; i < n; ++i) {
      Part& leaf = leaves[size_t(idx[i])];
      out.box = Union(out.box, leaf.box);
      rings.push_back(std::move(leaf.rings[0]));
    }
    Lent in;
    Polygon u;
    if (!in.Lend(rings) || !gpc_union_contours(&in.p, &u.p)) return false;
    out.clipped = true;
    AppendContours(u.p, out.rings);
    return true;
  }
  double lo[2] = {1e300, 1e300}, hi[2] = {-1e300, -1e300};
  auto centre = [&](int i, int axis) {
    const auto& b = leaves[size_t(i)].box;
    return 0.5 * (b[size_t(axis)] + b[size_t(axis) + 2]);
  };
  for (size_t i = 0; i < n; ++i)
    for (int axis : {0, 1}) {
      lo[axis] = std::min(lo[axis], centre(idx[i], axis));
      hi[axis] = std::max(hi[axis], centre(idx[i], axis));
    }
  const int axis = hi[0] - lo[0] >= hi[1] - lo[1] ? 0 : 1;
  const size_t half = n / 2;
  std::nth_element(idx, idx + half, idx + n, [&](int x, int y) {
    const double cx = centre(x, axis), cy = centre(y, axis);
    return cx < cy || (cx == cy && x < y);
  });
  Part a, b;
  if (!MergeRange(leaves, idx, half, a) || !MergeRange(leaves, idx + half, n - half, b)) return false;
  return MergeParts(a, b, out);
}

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
  // The loops' points in one block, which the leaves borrow.
  size_t total = 0;
  for (POSITION pos = loops->GetHeadPosition(); pos;) {
    CGeLoop* l = loops->GetNext(pos);
    if (HasPoints(l)) total += static_cast<size_t>(l->m_nSWPoint);
  }
  // Written in full below: no need to clear it first.
  const std::unique_ptr<gpc_vertex[]> points(new gpc_vertex[total]);
  std::vector<Part> leaves;
  leaves.reserve(static_cast<size_t>(loops->GetCount()));
  std::vector<std::array<double, 2>> scratch;
  size_t at = 0;
  for (POSITION pos = loops->GetHeadPosition(); pos;) {
    CGeLoop* l = loops->GetNext(pos);
    if (!HasPoints(l)) continue;
    Ring r;
    r.v = points.get() + at;
    r.n = l->m_nSWPoint;
    for (int i = 0; i < r.n; ++i) r.v[i] = {l->m_pSWPoint[i][0], l->m_pSWPoint[i][1]};
    at += static_cast<size_t>(r.n);
    r.UpdateBox();
    Part& p = leaves.emplace_back();
    p.box = r.box;
    p.convex = IsConvex(r.v, r.n, scratch);
    p.rings.push_back(std::move(r));
  }
  if (leaves.size() < 2) return;
  std::vector<int> order(leaves.size());
  for (size_t i = 0; i < order.size(); ++i) order[i] = static_cast<int>(i);
  Part all;
  if (!MergeRange(leaves, order.data(), order.size(), all)) return;
  Lent out;
  if (!out.Lend(all.rings)) return;
  geGPC2LoopList(&out.p, result);
}
