#include "platform/numora/Gpc.h"

#include <polyclipping/clipper.hpp>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <exception>
#include <unordered_map>
#include <vector>

namespace {

using ClipperLib::cInt;
using ClipperLib::IntPoint;
using ClipperLib::Path;
using ClipperLib::Paths;

bool ToGrid(double v, cInt& out) {
  // NaN fails the comparison too.
  if (!(std::fabs(v) < gpc_max_coord)) return false;
  out = static_cast<cInt>(std::llround(v * gpc_scale));
  return true;
}

// Converts every contour that can enclose area; false on a malformed record or a coordinate
// out of range.
bool ToPaths(const gpc_polygon& poly, Paths& out) {
  if (poly.num_contours < 0 || (poly.num_contours > 0 && poly.contour == nullptr)) return false;
  out.clear();
  out.reserve(static_cast<size_t>(poly.num_contours));
  for (int c = 0; c < poly.num_contours; ++c) {
    const gpc_vertex_list& vl = poly.contour[c];
    if (vl.num_vertices < 0 || (vl.num_vertices > 0 && vl.vertex == nullptr)) return false;
    Path path;
    path.reserve(static_cast<size_t>(vl.num_vertices));
    for (int i = 0; i < vl.num_vertices; ++i) {
      IntPoint p;
      if (!ToGrid(vl.vertex[i].x, p.X) || !ToGrid(vl.vertex[i].y, p.Y)) return false;
      path.push_back(p);
    }
    if (path.size() >= 3) out.push_back(std::move(path));
  }
  return true;
}

struct PointHash {
  size_t operator()(const IntPoint& p) const {
    return std::hash<cInt>()(p.X) * 1000003u ^ std::hash<cInt>()(p.Y);
  }
};

// Clipper may join pieces that touch at a vertex into one contour that visits the vertex
// twice. Such a contour is cut there into simple rings (a linear pass instead of Clipper's
// own strictly-simple mode, which is many times slower on large inputs).
void SplitAtRepeats(const Path& path, Paths& rings) {
  // Most contours visit no vertex twice: a sorted copy shows it without a map.
  Path sorted(path);
  std::sort(sorted.begin(), sorted.end(), [](const IntPoint& a, const IntPoint& b) {
    return a.X < b.X || (a.X == b.X && a.Y < b.Y);
  });
  if (std::adjacent_find(sorted.begin(), sorted.end()) == sorted.end()) {
    if (path.size() >= 3) rings.push_back(path);
    return;
  }
  Path stack;
  stack.reserve(path.size());
  std::unordered_map<IntPoint, size_t, PointHash> at;
  for (const IntPoint& p : path) {
    auto it = at.find(p);
    if (it == at.end()) {
      at.emplace(p, stack.size());
      stack.push_back(p);
      continue;
    }
    // The points after the first visit close a ring that starts at p.
    const size_t first = it->second;
    Path ring(stack.begin() + static_cast<std::ptrdiff_t>(first), stack.end());
    for (size_t i = first + 1; i < stack.size(); ++i) at.erase(stack[i]);
    stack.resize(first + 1);
    if (ring.size() >= 3) rings.push_back(std::move(ring));
  }
  if (stack.size() >= 3) rings.push_back(std::move(stack));
}

// Fills an empty polygon from the tree: each outer boundary, then its holes, then islands,
// in depth-first order. Outer rings run counter-clockwise, holes clockwise, which is how
// pieces of a split contour are told apart. False (poly left empty) on allocation failure.
bool FromTree(const ClipperLib::PolyTree& tree, gpc_polygon& poly) {
  Paths rings;
  for (const ClipperLib::PolyNode* n = tree.GetFirst(); n != nullptr; n = n->GetNext()) {
    if (n->IsOpen()) continue;
    const size_t begin = rings.size();
    SplitAtRepeats(n->Contour, rings);
    // Pieces of the node's own kind first, the others (enclosed by them) after.
    std::stable_partition(rings.begin() + static_cast<std::ptrdiff_t>(begin), rings.end(),
                          [](const Path& r) { return ClipperLib::Orientation(r); });
  }
  if (rings.empty()) return true;
  if (!gpc_create_polygon(&poly, static_cast<int>(rings.size()))) return false;
  for (size_t c = 0; c < rings.size(); ++c) {
    const Path& path = rings[c];
    gpc_vertex_list& vl = poly.contour[c];
    if (!gpc_create_vertex(&vl, static_cast<int>(path.size()))) {
      gpc_free_polygon(&poly);
      return false;
    }
    for (size_t i = 0; i < path.size(); ++i) {
      vl.vertex[i].x = static_cast<double>(path[i].X) / gpc_scale;
      vl.vertex[i].y = static_cast<double>(path[i].Y) / gpc_scale;
    }
    poly.hole[c] = ClipperLib::Orientation(path) ? 0 : 1;
  }
  return true;
}

bool ToClipType(gpc_op op, ClipperLib::ClipType& out) {
  switch (op) {
    case GPC_DIFF: out = ClipperLib::ctDifference; return true;
    case GPC_INT: out = ClipperLib::ctIntersection; return true;
    case GPC_XOR: out = ClipperLib::ctXor; return true;
    case GPC_UNION: out = ClipperLib::ctUnion; return true;
  }
  return false;
}

}  // namespace

void gpc_init_polygon(gpc_polygon* poly) {
  if (poly == nullptr) return;
  poly->num_contours = 0;
  poly->hole = nullptr;
  poly->contour = nullptr;
}

int gpc_create_polygon(gpc_polygon* poly, int num_contours) {
  if (poly == nullptr) return 0;
  gpc_init_polygon(poly);
  if (num_contours < 0) return 0;
  if (num_contours == 0) return 1;
  const size_t n = static_cast<size_t>(num_contours);
  int* hole = static_cast<int*>(std::calloc(n, sizeof(int)));
  auto* contour = static_cast<gpc_vertex_list*>(std::calloc(n, sizeof(gpc_vertex_list)));
  if (hole == nullptr || contour == nullptr) {
    std::free(hole);
    std::free(contour);
    return 0;
  }
  poly->num_contours = num_contours;
  poly->hole = hole;
  poly->contour = contour;
  return 1;
}

int gpc_create_vertex(gpc_vertex_list* contour, int num_vertices) {
  if (contour == nullptr) return 0;
  contour->num_vertices = 0;
  contour->vertex = nullptr;
  if (num_vertices < 0) return 0;
  if (num_vertices == 0) return 1;
  auto* v = static_cast<gpc_vertex*>(std::calloc(static_cast<size_t>(num_vertices), sizeof(gpc_vertex)));
  if (v == nullptr) return 0;
  contour->num_vertices = num_vertices;
  contour->vertex = v;
  return 1;
}

void gpc_free_polygon(gpc_polygon* poly) {
  if (poly == nullptr) return;
  if (poly->contour != nullptr) {
    for (int c = 0; c < poly->num_contours; ++c) std::free(poly->contour[c].vertex);
  }
  std::free(poly->contour);
  std::free(poly->hole);
  gpc_init_polygon(poly);
}

int gpc_polygon_clip(gpc_op op, gpc_polygon* subject, gpc_polygon* clip, gpc_polygon* result) {
  if (result == nullptr) return 0;
  const bool aliased = result == subject || result == clip;
  gpc_polygon out;
  gpc_init_polygon(&out);
  bool ok = false;
  ClipperLib::ClipType type;
  Paths subj, clp;
  if (subject != nullptr && clip != nullptr && ToClipType(op, type) && ToPaths(*subject, subj) &&
      ToPaths(*clip, clp)) {
    try {
      // Keep collinear vertices: callers count the vertices of simple contours.
      ClipperLib::Clipper clipper(ClipperLib::ioPreserveCollinear);
      clipper.AddPaths(subj, ClipperLib::ptSubject, true);
      clipper.AddPaths(clp, ClipperLib::ptClip, true);
      ClipperLib::PolyTree tree;
      ok = clipper.Execute(type, tree, ClipperLib::pftEvenOdd, ClipperLib::pftEvenOdd) &&
           FromTree(tree, out);
    } catch (const std::exception&) {
      ok = false;
    }
  }
  if (!ok) gpc_free_polygon(&out);
  // An aliased input is released only now that both inputs have been read.
  if (aliased) gpc_free_polygon(result);
  *result = out;
  return ok ? 1 : 0;
}

int gpc_union_contours(gpc_polygon* poly, gpc_polygon* result) {
  if (result == nullptr || result == poly) return 0;
  gpc_polygon out;
  gpc_init_polygon(&out);
  bool ok = false;
  Paths paths;
  if (poly != nullptr && ToPaths(*poly, paths)) {
    try {
      for (Path& path : paths)
        if (!ClipperLib::Orientation(path)) ClipperLib::ReversePath(path);
      ClipperLib::Clipper clipper(ClipperLib::ioPreserveCollinear);
      clipper.AddPaths(paths, ClipperLib::ptSubject, true);
      ClipperLib::PolyTree tree;
      ok = clipper.Execute(ClipperLib::ctUnion, tree, ClipperLib::pftPositive, ClipperLib::pftPositive) &&
           FromTree(tree, out);
    } catch (const std::exception&) {
      ok = false;
    }
  }
  if (!ok) gpc_free_polygon(&out);
  *result = out;
  return ok ? 1 : 0;
}
