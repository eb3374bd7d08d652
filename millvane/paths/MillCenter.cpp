#include "millvane/paths/MillCenter.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <map>

#include "geometry/surfaces/GeMesh.h"
#include "millvane/kernel/KernelLists.h"
#include "millvane/kernel/KernelNumerics.h"
#include "millvane/paths/NcPline.h"
#include "millvane/loops/PathCombine.h"
#include "millvane/loops/PathEntity.h"
#include "millvane/paths/SharpEdges.h"
#include "millvane/paths/ProtectNet.h"
#include "platform/panlet/Progress.h"
#include "platform/vurode/Tool.h"

using centre::Pt2;
using centre::Pt3;

namespace {

constexpr double kPi = 3.14159265358979323846;

// Normal of a vertex node: the three doubles after the position and two spare ones.
double* NodeNormal(_facetnode& n) { return &n.v[5]; }

bool XYMeets(const _tagBox3D& b, const _tagBox2D& pane, double tol) {
  return b.min[0] <= pane.max[0] + tol && b.max[0] >= pane.min[0] - tol && b.min[1] <= pane.max[1] + tol &&
         b.max[1] >= pane.min[1] - tol;
}

void Rotate(Pt3& p, double c, double s) {
  const double x = p[0] * c - p[1] * s, y = p[0] * s + p[1] * c;
  p[0] = x;
  p[1] = y;
}

// Points of a chain within 0.01 of each other in x, y and z, in the same or the reverse order.
bool SameChain(const std::vector<Pt3>& a, const std::vector<Pt3>& b) {
  if (a.size() != b.size()) return false;
  // Heights count too: the top and the bottom edge of a vertical wall share x and y but are
  // different edges, and merging them would lose the top one's strip.
  auto eq = [](const Pt3& p, const Pt3& q) {
    return std::fabs(p[0] - q[0]) <= 0.01 && std::fabs(p[1] - q[1]) <= 0.01 && std::fabs(p[2] - q[2]) <= 0.01;
  };
  bool fwd = true, bwd = true;
  for (size_t i = 0; i < a.size() && (fwd || bwd); ++i) {
    fwd = fwd && eq(a[i], b[i]);
    bwd = bwd && eq(a[i], b[b.size() - 1 - i]);
  }
  return fwd || bwd;
}

// Chord count of a full circle of radius r sampled for the z-section.
int CircleChords(double r) {
  const double half = std::acos((r - std::min(0.01, r)) / r);
  const int n = static_cast<int>(std::floor(2 * kPi / std::max(2 * half, 0.005))) + 1;
  return std::min(n, 39);
}

// Adds every record's segments of a temporary set to the line set, joining them first when the
// record gave more than one. A segment met twice (a plane along an edge of two faces) counts
// once, so that a lone segment is kept as the only one of its record would be.
void AppendRecord(CIntLineSet& rec, CIntLineSet& set) {
  centre::RemoveDuplicateSegments(rec, 0.0001);
  if (rec.count > 1) centre::JoinSegments(rec, 0.0001);
  for (IntLineSeg* s = rec.head; s; s = s->next) set.AddLine(s->s, s->e);
  rec.Clear();
}

}  // namespace

void CMillCenter::FaceTable::CalcBoxes() {
  triBox.resize(tris.size());
  quadBox.resize(quads.size());
  box = centre::EmptyBox();
  for (size_t k = 0; k < tris.size(); ++k) {
    const Pt3 c[3] = {pts[tris[k][0]], pts[tris[k][1]], pts[tris[k][2]]};
    triBox[k] = centre::BoxOfPoints(c, 3);
    box = centre::BoxUnion(box, triBox[k]);
  }
  for (size_t k = 0; k < quads.size(); ++k) {
    const Pt3 c[4] = {pts[quads[k][0]], pts[quads[k][1]], pts[quads[k][2]], pts[quads[k][3]]};
    quadBox[k] = centre::BoxOfPoints(c, 4);
    box = centre::BoxUnion(box, quadBox[k]);
  }
  triZ.Build(triBox, 0.0001);
  quadZ.Build(quadBox, 0.0001);
}

void CMillCenter::Strip::CalcBox() { box = centre::BoxOfPoints(pts.data(), pts.size()); }

CMillCenter::CMillCenter() { sharp.box = centre::EmptyBox(); }

CMillCenter::~CMillCenter() = default;

double CMillCenter::Radius() const { return tool ? tool->GetDia() / 2.0 : 0.0; }

// ---------------------------------------------------------------------------------------------
// Construction

void CMillCenter::AddEdgeSect(EdgeTable& t, int a, int b, int mark) {
  if (a > b) std::swap(a, b);
  auto& list = t[a];
  for (auto it = list.begin(); it != list.end(); ++it)
    if ((*it)[0] == b && (*it)[1] == mark) {
      // Shared by two facets facing alike: an edge inside a smooth part.
      list.erase(it);
      return;
    }
  list.push_back({b, mark});
}

int CMillCenter::GenInnEdge(EdgeTable& t, CEdge& inner) {
  for (size_t a = 0; a < t.size(); ++a) {
    if (gIsProgressCancel()) return 0;
    auto& list = t[a];
    for (size_t i = 0; i < list.size(); ++i)
      for (size_t j = i + 1; j < list.size(); ++j)
        if (list[i][0] == list[j][0]) {
          inner.pairs.push_back({static_cast<int>(a), list[i][0]});
          list.erase(list.begin() + j);
          list.erase(list.begin() + i);
          --i;
          break;
        }
  }
  return 1;
}

int CMillCenter::GenOutEdge(EdgeTable& t, CEdge& outer) {
  const size_t n = t.size();
  CQProgress prog;
  for (size_t a = 0; a < n; ++a) {
    if (gIsProgressCancel()) return 0;
    for (const auto& rec : t[a]) outer.pairs.push_back({static_cast<int>(a), rec[0]});
    if (n < 10)
      prog.SetRange(1.0 / n);
    else if (a % 10 == 9)
      prog.SetRange(10.0 / n);
  }
  return 1;
}

void CMillCenter::DeleteAllNodes(EdgeTable& t) {
  for (auto& list : t) {
    list.clear();
    list.shrink_to_fit();
  }
}

int CMillCenter::IsNormalDown(const _facet* table, int f) {
  if (!table || f < 0 || f >= table->facetCount) return 0;
  const int* v = table->facets[f];
  const double* a = table->nodes[v[0]].v;
  const double* b = table->nodes[v[1]].v;
  const double* c = table->nodes[v[2]].v;
  return (b[0] - a[0]) * (c[1] - a[1]) - (b[1] - a[1]) * (c[0] - a[0]) < -0.0001 ? 1 : 0;
}

void CMillCenter::ChangeNodeNum(const _facet* table, const std::vector<int>& copyOf,
                                std::vector<std::array<int, 3>>& tris) {
  const int n = std::min(table->facetCount, static_cast<int>(tris.size()));
  for (int f = 0; f < n; ++f) {
    if (!IsNormalDown(table, f)) continue;
    for (int k = 0; k < 3; ++k) {
      const int v = table->facets[f][k];
      if (v >= 0 && static_cast<size_t>(v) < copyOf.size() && copyOf[v] >= 0) tris[f][k] = copyOf[v];
    }
  }
}

int CMillCenter::GenInnOutEdge(_facet* table, CEdge& inner, CEdge& outer) {
  EdgeTable t(table->nodeCount);
  std::vector<char> down(table->facetCount, 0);
  for (int f = 0; f < table->facetCount; ++f) {
    const int* v = table->facets[f];
    down[f] = static_cast<char>(IsNormalDown(table, f));
    for (int k = 0; k < 3; ++k) AddEdgeSect(t, v[k], v[(k + 1) % 3], down[f]);
  }
  const bool done = GenInnEdge(t, inner) && GenOutEdge(t, outer);
  DeleteAllNodes(t);
  if (!done) return 0;
  std::vector<char> onInner(table->nodeCount, 0);
  for (const auto& e : inner.pairs) onInner[e[0]] = onInner[e[1]] = 1;
  std::vector<char> flipped(table->nodeCount, 0);
  for (int f = 0; f < table->facetCount; ++f) {
    if (!down[f]) continue;
    for (int k = 0; k < 3; ++k) {
      const int v = table->facets[f][k];
      if (onInner[v] || flipped[v]) continue;
      double* n = NodeNormal(table->nodes[v]);
      for (int i = 0; i < 3; ++i) n[i] = -n[i];
      flipped[v] = 1;
    }
  }
  return 1;
}

void CMillCenter::ReverseDirect(_facet* table) {
  for (int i = 0; i < table->nodeCount; ++i) {
    double* n = NodeNormal(table->nodes[i]);
    for (int k = 0; k < 3; ++k) n[k] = -n[k];
  }
  for (int f = 0; f < table->facetCount; ++f) std::swap(table->facets[f][1], table->facets[f][2]);
}

int CMillCenter::AnalysisFacet(_facet* table, CEdge& inner, CEdge& outer) {
  int up = 0, upward = 0, horiz = 0, downward = 0, down = 0;
  for (int i = 0; i < table->nodeCount; ++i) {
    double* n = NodeNormal(table->nodes[i]);
    const double l = std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]);
    for (int k = 0; k < 3; ++k) n[k] = l < 1e-6 ? 0.0 : n[k] / l;
    if (n[2] > 0.9999) {
      ++up;
    } else if (n[2] > 0.0001) {
      ++upward;
    } else if (n[2] >= -0.0001) {
      n[2] = 0;
      ++horiz;
    } else if (n[2] > -0.9999) {
      ++downward;
    } else {
      ++down;
    }
  }
  const int all = table->nodeCount;
  int cls = 4;
  if (up == all) {
    cls = 0;
  } else if (down == all) {
    ReverseDirect(table);
    cls = 0;
  } else if (horiz == all) {
    cls = 1;
  } else if (up + upward + horiz == all) {
    cls = 2;
  } else if (down + downward + horiz == all) {
    ReverseDirect(table);
    cls = 2;
  }
  if (cls == 4) return GenInnOutEdge(table, inner, outer) ? 4 : 5;
  EdgeTable t(table->nodeCount);
  for (int f = 0; f < table->facetCount; ++f)
    for (int k = 0; k < 3; ++k) AddEdgeSect(t, table->facets[f][k], table->facets[f][(k + 1) % 3], 0);
  const bool done = GenOutEdge(t, outer);
  DeleteAllNodes(t);
  return done ? cls : 5;
}

void CMillCenter::GenOffsetSurf(_facet* table, const CEdge& inner, int cls) {
  if (cls == 1) return;
  auto rec = std::make_unique<FaceTable>();
  rec->pts.resize(table->nodeCount);
  for (int i = 0; i < table->nodeCount; ++i) {
    const double* p = table->nodes[i].v;
    double off[3] = {0, 0, 0};
    if (cls != 0 && tool) tool->Eval_FacetCC_OffVec(NodeNormal(table->nodes[i]), off);
    rec->pts[i] = {p[0] + off[0], p[1] + off[1], p[2] + off[2]};
  }
  rec->tris.resize(table->facetCount);
  for (int f = 0; f < table->facetCount; ++f)
    rec->tris[f] = {table->facets[f][0], table->facets[f][1], table->facets[f][2]};
  if (cls == 4 && tool) {
    // A vertex on a fold between upward and downward facets gets a second offset for the
    // downward side, so that each side is offset along its own normal.
    std::vector<int> copyOf(table->nodeCount, -1);
    for (const auto& e : inner.pairs)
      for (int v : e)
        if (copyOf[v] < 0) {
          double n[3];
          const double* src = NodeNormal(table->nodes[v]);
          for (int k = 0; k < 3; ++k) n[k] = -src[k];
          double off[3] = {0, 0, 0};
          tool->Eval_FacetCC_OffVec(n, off);
          const double* p = table->nodes[v].v;
          copyOf[v] = static_cast<int>(rec->pts.size());
          rec->pts.push_back({p[0] + off[0], p[1] + off[1], p[2] + off[2]});
        }
    ChangeNodeNum(table, copyOf, rec->tris);
  }
  rec->CalcBoxes();
  faces.insert(faces.begin(), std::move(rec));
}

std::vector<std::vector<Pt3>> CMillCenter::ChainEdges(const _facet* table, const CEdge& edges) {
  std::map<int, std::vector<int>> adj;  // vertex -> edge numbers
  for (size_t e = 0; e < edges.pairs.size(); ++e)
    for (int v : edges.pairs[e]) adj[v].push_back(static_cast<int>(e));
  std::vector<char> used(edges.pairs.size(), 0);
  std::vector<std::vector<Pt3>> out;
  auto pos = [table](int v) { return Pt3{table->nodes[v].v[0], table->nodes[v].v[1], table->nodes[v].v[2]}; };
  auto walk = [&](int start) {
    std::vector<int> verts{start};
    int v = start;
    for (;;) {
      int next = -1;
      for (int e : adj[v])
        if (!used[e]) {
          used[e] = 1;
          next = edges.pairs[e][0] == v ? edges.pairs[e][1] : edges.pairs[e][0];
          break;
        }
      if (next < 0) break;
      verts.push_back(next);
      v = next;
      if (adj[v].size() != 2) break;  // a branch point ends the chain
    }
    std::vector<Pt3> chain;
    for (int w : verts) chain.push_back(pos(w));
    return chain;
  };
  // Open chains from their ends and branch points first, then the closed ones.
  for (const auto& [v, es] : adj)
    if (es.size() != 2)
      for (size_t k = 0; k < es.size(); ++k) {
        auto c = walk(v);
        if (c.size() >= 2) out.push_back(std::move(c));
      }
  for (const auto& [v, es] : adj) {
    auto c = walk(v);
    if (c.size() >= 2) out.push_back(std::move(c));
  }
  return out;
}

std::vector<std::vector<Pt3>> CMillCenter::CutChain(std::vector<Pt3> chain) {
  centre::Simplify3D(chain, 0.002);
  std::vector<std::vector<Pt3>> pieces;
  std::vector<Pt3> cur;
  for (size_t i = 0; i < chain.size(); ++i) {
    if (!cur.empty()) {
      const Pt3& p = chain[i - 1];
      const double xy = std::hypot(chain[i][0] - p[0], chain[i][1] - p[1]);
      if (xy < 0.1 * std::fabs(chain[i][2] - p[2])) {
        // A steep step belongs to no strip: the piece ends before it.
        pieces.push_back(std::move(cur));
        cur.clear();
      }
    }
    cur.push_back(chain[i]);
    if (i > 0 && i + 1 < chain.size() && cur.size() >= 2) {
      if (centre::IsCorner(chain[i - 1], chain[i], chain[i + 1])) {
        pieces.push_back(cur);
        cur.assign(1, chain[i]);
      }
    }
  }
  pieces.push_back(std::move(cur));
  std::vector<std::vector<Pt3>> kept;
  for (auto& p : pieces)
    if (p.size() >= 2 && !centre::IsVertical(p)) kept.push_back(std::move(p));
  return kept;
}

void CMillCenter::AddChain(std::vector<Pt3> piece) {
  for (auto& c : edgeSet.chains)
    if (SameChain(c, piece)) {
      c = std::move(piece);
      return;
    }
  edgeSet.chains.push_back(std::move(piece));
}

void CMillCenter::AddBoundRec(const std::vector<std::vector<Pt3>>& chains, int cls, double factor) {
  if (cls == 0) {
    double level = planeContours.count ? planeContours.level : -1e12;
    for (const auto& c : chains) {
      auto* curve = new IntCurve;
      // Each chain keeps its own height too: flat meshes at different heights are machined
      // each at its own.
      curve->value = -1e12;
      for (const Pt3& p : c) {
        curve->pts.push_back({p[0], p[1]});
        level = std::max(level, p[2]);
        curve->value = std::max(curve->value, p[2]);
      }
      planeContours.AddCurve(curve);
    }
    planeContours.level = level;
    return;
  }
  if (faces.empty()) return;
  FaceTable& ft = *faces.front();
  ft.CalcBoxes();
  const double h = ft.box.max[2] - ft.box.min[2];
  const double ext = std::min(ft.box.max[0] - ft.box.min[0], ft.box.max[1] - ft.box.min[1]);
  if (!(h < factor * ext)) return;
  for (const auto& c : chains)
    for (size_t i = 0; i + 1 < c.size(); ++i) {
      const double xy = std::hypot(c[i + 1][0] - c[i][0], c[i + 1][1] - c[i][1]);
      if (xy >= 0.01 && std::fabs(c[i + 1][2] - c[i][2]) / xy > factor) return;
    }
  auto rec = std::make_unique<FlatFace>();
  rec->face = ft;
  rec->chains = chains;
  flatFaces.insert(flatFaces.begin(), std::move(rec));
}

void CMillCenter::GenVertexSurf() {
  sharp.pts.clear();
  for (const auto& c : edgeSet.chains) {
    // A closed chain has no ends: where it also turns smoothly across its seam, a point there
    // would be a corner the solid does not have, its circle touching the outline from inside.
    if (c.size() > 3 && c.front() == c.back() && !centre::IsCorner(c[c.size() - 2], c.front(), c[1])) continue;
    sharp.pts.push_back(c.front());
    sharp.pts.push_back(c.back());
  }
  sharp.val.resize(sharp.pts.size());
  for (size_t i = 0; i < sharp.pts.size(); ++i) sharp.val[i] = sharp.pts[i][2];
  sharp.box = sharp.pts.empty() ? centre::EmptyBox() : centre::BoxOfPoints(sharp.pts.data(), sharp.pts.size());
  if (tool && !sharp.pts.empty()) {
    const double r = Radius();
    sharp.box.min[0] -= r;
    sharp.box.min[1] -= r;
    sharp.box.max[0] += r;
    sharp.box.max[1] += r;
    sharp.box.min[2] -= r;
  }
}

void CMillCenter::GenBoundSurf() {
  if (!tool) return;
  const double r = Radius();
  auto unit = [](const double* d, Pt3& out) {
    const double l = std::sqrt(d[0] * d[0] + d[1] * d[1] + d[2] * d[2]);
    if (l < 1e-12) return false;
    out = {d[0] / l, d[1] / l, d[2] / l};
    return true;
  };
  auto dot = [](const double* a, const double* b) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; };
  for (const auto& c : edgeSet.chains) {
    const size_t n = c.size();
    if (n < 2) continue;
    auto strip = std::make_unique<Strip>();
    double zlow = 1e300;
    for (const Pt3& p : c) zlow = std::min(zlow, p[2]);
    zlow -= r;
    // Unit directions of the segments; a segment of no length takes its neighbour's.
    std::vector<Pt3> seg(n - 1, Pt3{0, 0, 0});
    std::vector<char> has(seg.size(), 0);
    for (size_t i = 0; i < seg.size(); ++i) {
      const double d[3] = {c[i + 1][0] - c[i][0], c[i + 1][1] - c[i][1], c[i + 1][2] - c[i][2]};
      has[i] = unit(d, seg[i]);
    }
    for (size_t i = 1; i < seg.size(); ++i)
      if (!has[i] && has[i - 1]) seg[i] = seg[i - 1], has[i] = 1;
    for (size_t i = seg.size(); i-- > 1;)
      if (!has[i - 1] && has[i]) seg[i - 1] = seg[i], has[i - 1] = 1;
    // A closed chain that turns smoothly across its seam has no corner point there, and its tube
    // turns across the seam as at any other point.
    const bool closed = n > 3 && c.front() == c.back() && !centre::IsCorner(c[n - 2], c.front(), c[1]);
    // One cross-section of the tube about point p, in the plane across the unit direction t: the
    // cutter offsets for the normals at 0, 15, ..., 180 degrees from the horizontal u up over v.
    auto section = [&](const Pt3& p, const Pt3& t) {
      // u across the chain in the horizontal plane, v up across it.
      double u[3] = {-t[1], t[0], 0.0};
      double lu = std::hypot(u[0], u[1]);
      if (lu < 1e-6) {
        u[0] = 1;
        u[1] = 0;
        lu = 1;
      }
      u[0] /= lu;
      u[1] /= lu;
      double v[3] = {t[1] * u[2] - t[2] * u[1], t[2] * u[0] - t[0] * u[2], t[0] * u[1] - t[1] * u[0]};
      const double lv = std::sqrt(dot(v, v));
      if (lv < 1e-6) {
        v[0] = v[1] = 0;
        v[2] = 1;
      } else {
        for (double& x : v) x /= lv;
      }
      for (int k = 0; k <= 12; ++k) {
        const double a = k * kPi / 12;
        double nt[3] = {std::cos(a) * u[0] + std::sin(a) * v[0], std::cos(a) * u[1] + std::sin(a) * v[1],
                        std::cos(a) * u[2] + std::sin(a) * v[2]};
        if (nt[2] < 0) nt[2] = 0;  // the sides are horizontal up to rounding
        double off[3] = {0, 0, 0};
        tool->Eval_FacetCC_OffVec(nt, off);
        strip->pts.push_back({p[0] + off[0], p[1] + off[1], p[2] + off[2]});
      }
      const Pt3 last = strip->pts.back(), first = strip->pts[strip->pts.size() - 13];
      strip->pts.push_back({last[0], last[1], zlow});
      strip->pts.push_back({first[0], first[1], zlow});
    };
    for (size_t i = 0; i < n; ++i) {
      const bool before = i > 0 || closed, after = i + 1 < n || closed;
      const Pt3& g = i > 0 ? seg[i - 1] : seg.back();
      const Pt3& h = i + 1 < n ? seg[i] : seg.front();
      if (!before || !after) {
        section(c[i], before ? g : h);
        continue;
      }
      // Where the chain turns from g into h, a section across the mean direction alone would
      // stand inside the tubes of both segments (at the turn's inner side) or leave the strip's
      // quads to cut into them (at its outer side) by up to 1 - cos of half the turn, in units
      // of the radius. The turn is taken in an odd number of equal steps of at most 5 degrees
      // instead, one section at the point across the mean direction of each step: a step leaves
      // no more than 1 - cos 2.5 degrees (0.1%) of the radius, the middle step's section is the
      // one across the mean direction of the whole turn, and a turn of up to 5 degrees keeps
      // that one section alone.
      const double turn = std::acos(std::clamp(dot(g.data(), h.data()), -1.0, 1.0));
      int steps = std::max(1, static_cast<int>(std::ceil(turn / (kPi / 36) - 1e-9)));
      if (steps % 2 == 0) ++steps;
      for (int k = 0; k < steps; ++k) {
        const double f = (k + 0.5) / steps;
        double d[3] = {g[0] + h[0], g[1] + h[1], g[2] + h[2]};
        if (steps > 1) {
          // Spherical interpolation from g to h.
          const double wa = std::sin((1 - f) * turn) / std::sin(turn), wb = std::sin(f * turn) / std::sin(turn);
          for (int j = 0; j < 3; ++j) d[j] = wa * g[j] + wb * h[j];
        }
        Pt3 t;
        if (!unit(d, t)) t = h;
        section(c[i], t);
      }
    }
    strip->CalcBox();
    strips.insert(strips.begin(), std::move(strip));
  }
}

void CMillCenter::DefineBox() {
  if (faces.empty()) {
    std::fill(box, box + 6, 0.0);
    return;
  }
  _tagBox3D b = centre::EmptyBox();
  for (const auto& f : faces) b = centre::BoxUnion(b, f->box);
  for (const auto& s : strips) b = centre::BoxUnion(b, s->box);
  if (!sharp.pts.empty()) b = centre::BoxUnion(b, sharp.box);
  for (int i = 0; i < 3; ++i) {
    box[i] = b.min[i];
    box[i + 3] = b.max[i];
  }
}

CMillCenter* CMillCenter::CreateFlatFaceModel(const FlatFace& flat) const {
  if (!tool) return nullptr;
  auto m = std::make_unique<CMillCenter>();
  m->tool = tool;
  m->faces.push_back(std::make_unique<FaceTable>(flat.face));
  for (const auto& c : flat.chains)
    for (auto& piece : CutChain(c)) m->AddChain(std::move(piece));
  m->GenVertexSurf();
  m->GenBoundSurf();
  m->DefineBox();
  return m.release();
}

CMillCenter* CreateMillCentre(CTypedPtrList<CObList, CGeMesh*>* meshes, CTool* tool, double /*reserve*/, int flag,
                              double factor) {
  if (!meshes || meshes->IsEmpty()) return nullptr;
  // Every strip and offset is the cutter's: without one there is no tool-centre surface.
  if (!tool || !(tool->GetDia() > 0) || !std::isfinite(tool->GetDia())) return nullptr;
  auto model = std::make_unique<CMillCenter>();
  model->openBorder = flag;
  model->borderFactor = factor;
  model->tool = tool;
  bool cancelled = false;
  for (POSITION pos = meshes->GetHeadPosition(); pos && !cancelled;) {
    CGeMesh* mesh = meshes->GetNext(pos);
    if (!mesh || mesh->faces.empty() || mesh->vertices.empty()) continue;
    const int nv = static_cast<int>(mesh->vertices.size());
    bool bad = false;
    for (const auto& f : mesh->faces)
      for (int k = 0; k < 3; ++k) bad = bad || f.v[k] < 0 || f.v[k] >= nv;
    for (const auto& p : mesh->vertices) bad = bad || !std::isfinite(p.x) || !std::isfinite(p.y) || !std::isfinite(p.z);
    if (bad) return nullptr;  // no safe surface can be offset from it
    mesh->Need_VertexNormals();
    // Faces meeting at a sharp fold are offset each along its own normal: a normal averaged
    // across the fold would pull the offset in (a wall next to a top face would stand short of
    // the cutter radius), and the fold's border chains get the strips that close the gap.
    std::vector<Pt3> at(nv), nrm(nv, Pt3{0, 0, 0});
    for (int i = 0; i < nv; ++i) {
      at[i] = {mesh->vertices[i].x, mesh->vertices[i].y, mesh->vertices[i].z};
      if (mesh->normals.size() == mesh->vertices.size())
        nrm[i] = {mesh->normals[i].x, mesh->normals[i].y, mesh->normals[i].z};
    }
    std::vector<std::array<int, 3>> tris(mesh->faces.size());
    for (size_t f = 0; f < mesh->faces.size(); ++f)
      for (int k = 0; k < 3; ++k) tris[f][k] = mesh->faces[f].v[k];
    // Loose triangles would make every triangle edge an open border with its own tube.
    centre::WeldVertices(at, nrm, tris);
    const centre::SplitMesh split = centre::SplitSharpEdges(std::move(at), std::move(nrm), std::move(tris));
    const int nodes = static_cast<int>(split.pos.size());
    std::unique_ptr<_facet, int (*)(_facet*)> table(FACET_New(static_cast<int>(split.tris.size()), nodes), FACET_Free);
    if (!table) return nullptr;
    for (int i = 0; i < nodes; ++i) {
      double* v = table->nodes[i].v;
      std::fill(v, v + 9, 0.0);
      std::copy(split.pos[i].begin(), split.pos[i].end(), v);
      std::copy(split.nrm[i].begin(), split.nrm[i].end(), v + 5);
    }
    for (size_t f = 0; f < split.tris.size(); ++f)
      for (int k = 0; k < 3; ++k) table->facets[f][k] = split.tris[f][k];
    CEdge inner, outer;
    const int cls = model->AnalysisFacet(table.get(), inner, outer);
    if (cls == 5 || gIsProgressCancel()) {
      cancelled = true;
      break;
    }
    model->GenOffsetSurf(table.get(), inner, cls);
    for (auto& c : CMillCenter::ChainEdges(table.get(), inner))
      for (auto& piece : CMillCenter::CutChain(std::move(c))) model->AddChain(std::move(piece));
    auto outerChains = CMillCenter::ChainEdges(table.get(), outer);
    for (const auto& c : outerChains)
      for (auto& piece : CMillCenter::CutChain(c)) model->AddChain(std::move(piece));
    if (cls == 0 || flag) model->AddBoundRec(outerChains, cls, factor);
  }
  if (cancelled) return nullptr;
  model->GenVertexSurf();
  model->GenBoundSurf();
  model->DefineBox();
  return model.release();
}

// ---------------------------------------------------------------------------------------------
// Queries

void CMillCenter::RotateModel(double angle) {
  const double c = std::cos(angle), s = std::sin(angle);
  for (auto& f : faces) {
    for (Pt3& p : f->pts) Rotate(p, c, s);
    f->CalcBoxes();
  }
  for (auto& st : strips) {
    for (Pt3& p : st->pts) Rotate(p, c, s);
    st->CalcBox();
  }
  for (Pt3& p : sharp.pts) Rotate(p, c, s);
  if (!sharp.pts.empty()) {
    sharp.box = centre::BoxOfPoints(sharp.pts.data(), sharp.pts.size());
    const double r = tool ? Radius() : 0.0;
    sharp.box.min[0] -= r;
    sharp.box.min[1] -= r;
    sharp.box.max[0] += r;
    sharp.box.max[1] += r;
    sharp.box.min[2] -= r;
  }
  // The flat parts turn with the rest, or the contour paths would cut them where they were.
  for (IntCurve* cv = planeContours.head; cv; cv = cv->next)
    for (auto& p : cv->pts) {
      const double x = p[0] * c - p[1] * s, y = p[0] * s + p[1] * c;
      p = {x, y};
    }
  for (auto& ff : flatFaces) {
    for (Pt3& p : ff->face.pts) Rotate(p, c, s);
    ff->face.CalcBoxes();
    for (auto& ch : ff->chains)
      for (Pt3& p : ch) Rotate(p, c, s);
  }
  for (auto& ch : edgeSet.chains)
    for (Pt3& p : ch) Rotate(p, c, s);
  DefineBox();
}

void CMillCenter::SetIntMinZ() {
  for (auto& s : strips) s->minZ = -1e12;
  for (size_t i = 0; i < sharp.pts.size(); ++i) sharp.val[i] = sharp.pts[i][2];
}

void CMillCenter::DefineMarkedPane(const _tagBox2D& pane, double tol) {
  for (auto& f : faces) {
    f->markedTris.clear();
    f->markedQuads.clear();
    if (!XYMeets(f->box, pane, tol)) continue;
    for (size_t k = 0; k < f->tris.size(); ++k)
      if (XYMeets(f->triBox[k], pane, tol)) f->markedTris.push_back(static_cast<int>(k));
    for (size_t k = 0; k < f->quads.size(); ++k)
      if (XYMeets(f->quadBox[k], pane, tol)) f->markedQuads.push_back(static_cast<int>(k));
  }
  markedStrips.clear();
  for (size_t k = 0; k < strips.size(); ++k) {
    Strip* s = strips[k].get();
    s->marked.clear();
    if (!XYMeets(s->box, pane, tol)) continue;
    markedStrips.push_back(static_cast<int>(k));
    const int n = s->ChainPoints();
    for (int i = 0; i + 1 < n; ++i)
      for (int j = 0; j < Strip::kQuads; ++j) {
        const auto q = s->Corners(i, j);
        const Pt3 c[4] = {s->pts[q[0]], s->pts[q[1]], s->pts[q[2]], s->pts[q[3]]};
        if (XYMeets(centre::BoxOfPoints(c, 4), pane, tol)) s->marked.push_back({i, j});
      }
  }
  sharp.marked.clear();
  const double r = Radius();
  for (size_t i = 0; i < sharp.pts.size(); ++i) {
    const Pt3& p = sharp.pts[i];
    // A sharp point reaches as far as the cutter's radius.
    if (p[0] + r >= pane.min[0] - tol && p[0] - r <= pane.max[0] + tol && p[1] + r >= pane.min[1] - tol &&
        p[1] - r <= pane.max[1] + tol)
      sharp.marked.push_back(static_cast<int>(i));
  }
}

void CMillCenter::RaiseOnTri(const FaceTable& f, int k, double p[3]) const {
  const _tagBox3D& b = f.triBox[k];
  if (p[0] < b.min[0] || p[0] > b.max[0] || p[1] < b.min[1] || p[1] > b.max[1]) return;
  if (!(b.max[2] - 0.01 > p[2])) return;
  const double* v[3] = {f.pts[f.tris[k][0]].data(), f.pts[f.tris[k][1]].data(), f.pts[f.tris[k][2]].data()};
  centre::RaiseToFace(v, 3, p[0], p[1], p[2]);
}

void CMillCenter::RaiseOnQuad(const FaceTable& f, int k, double p[3]) const {
  const _tagBox3D& b = f.quadBox[k];
  if (p[0] < b.min[0] || p[0] > b.max[0] || p[1] < b.min[1] || p[1] > b.max[1]) return;
  if (!(b.max[2] - 0.01 > p[2])) return;
  const double* v[4] = {f.pts[f.quads[k][0]].data(), f.pts[f.quads[k][1]].data(), f.pts[f.quads[k][2]].data(),
                        f.pts[f.quads[k][3]].data()};
  centre::RaiseToFace(v, 4, p[0], p[1], p[2]);
}

void CMillCenter::RaiseOnStrip(const Strip& s, int i, int j, double p[3]) const {
  const auto q = s.Corners(i, j);
  const double* v[4] = {s.pts[q[0]].data(), s.pts[q[1]].data(), s.pts[q[2]].data(), s.pts[q[3]].data()};
  const double top = std::max({v[0][2], v[1][2], v[2][2], v[3][2]});
  if (top > p[2]) centre::RaiseToFace(v, 4, p[0], p[1], p[2]);
}

void CMillCenter::RaiseOnSharp(int i, double p[3]) const {
  if (!tool) return;
  const double r = Radius();
  const Pt3& q = sharp.pts[i];
  if (!(q[2] > p[2])) return;
  if (std::fabs(q[0] - p[0]) > r || std::fabs(q[1] - p[1]) > r) return;
  const double d = std::hypot(q[0] - p[0], q[1] - p[1]);
  double h = -1e300;
  if (d < r - 0.0001)
    h = tool->Zval_VertCC(q.data(), p[0], p[1]);
  else if (d <= r + 0.0001)
    h = q[2] - r;
  if (h > p[2]) p[2] = h;
}

void CMillCenter::ProjPntOnMdl(double p[3]) const {
  if (!std::isfinite(p[0]) || !std::isfinite(p[1])) return;
  for (const auto& f : faces) {
    for (int k : f->markedTris) RaiseOnTri(*f, k, p);
    for (int k : f->markedQuads) RaiseOnQuad(*f, k, p);
  }
  for (int k : markedStrips) {
    if (static_cast<size_t>(k) >= strips.size()) continue;
    const Strip& s = *strips[k];
    for (const auto& ij : s.marked) RaiseOnStrip(s, ij[0], ij[1], p);
  }
  for (int i : sharp.marked) RaiseOnSharp(i, p);
}

void CMillCenter::GenSameZLineSet(const CProtectNet& net, CIntLineSet& set) {
  const double L = set.level;
  CIntLineSet rec(L);
  for (const auto& f : faces) {
    if (f->box.max[2] - f->box.min[2] < 0.01) continue;
    if (L < f->box.min[2] - 0.0001 || L > f->box.max[2] + 0.0001) continue;
    for (int k : f->triZ.At(L)) {
      const double* v[3] = {f->pts[f->tris[k][0]].data(), f->pts[f->tris[k][1]].data(), f->pts[f->tris[k][2]].data()};
      centre::AddFaceCut(rec, net, centre::CutFaceZ(v, 3, L), true);
    }
    for (int k : f->quadZ.At(L)) {
      const double* v[4] = {f->pts[f->quads[k][0]].data(), f->pts[f->quads[k][1]].data(),
                            f->pts[f->quads[k][2]].data(), f->pts[f->quads[k][3]].data()};
      centre::AddFaceCut(rec, net, centre::CutFaceZ(v, 4, L), true);
    }
    AppendRecord(rec, set);
  }
  for (auto& s : strips) {
    if (s->box.max[2] - 0.0001 < L) continue;
    const int n = s->ChainPoints();
    if (L > s->box.min[2] + 0.0001) {
      for (int i = 0; i + 1 < n; ++i)
        for (int j = 0; j < Strip::kQuads; ++j) {
          const auto q = s->Corners(i, j);
          const double* v[4] = {s->pts[q[0]].data(), s->pts[q[1]].data(), s->pts[q[2]].data(), s->pts[q[3]].data()};
          centre::AddFaceCut(rec, net, centre::CutFaceZ(v, 4, L), true);
        }
    } else if (L > s->minZ) {
      int added = 0;
      for (int i = 0; i + 1 < n; ++i)
        // Under the tube its two sides stand on: the first and the last sample of its top.
        for (int j : {0, Strip::kArc - 1}) {
          const Pt3& a = s->pts[Strip::kSamples * i + j];
          const Pt3& b = s->pts[Strip::kSamples * (i + 1) + j];
          const Pt2 pa{a[0], a[1]}, pb{b[0], b[1]};
          if (centre::KeepZSegment(net, L, pa, pb)) added += rec.AddLine(pa.data(), pb.data());
        }
      if (!added) s->minZ = L;
    }
    AppendRecord(rec, set);
  }
  if (!tool) return;
  const double r = Radius();
  for (size_t i = 0; i < sharp.pts.size(); ++i) {
    const Pt3& P = sharp.pts[i];
    if (sharp.val[i] - 0.0001 < L) continue;
    const double dz = P[2] - L;
    double R = r;
    if (r > dz) {
      R = tool->GetRadiusComp(dz, 0);
      if (!(R >= 0.001)) continue;
    }
    const int n = CircleChords(R);
    int added = 0;
    for (int k = 0; k < n; ++k) {
      const double a0 = 2 * kPi * k / n, a1 = 2 * kPi * (k + 1) / n;
      const Pt2 s{P[0] + R * std::cos(a0), P[1] + R * std::sin(a0)};
      const Pt2 e{P[0] + R * std::cos(a1), P[1] + R * std::sin(a1)};
      if (centre::KeepZSegment(net, L, s, e)) added += set.AddLine(s.data(), e.data());
    }
    // A point the full cutter circle no longer reaches stays out until the next reset.
    if (r <= dz && !added) sharp.val[i] = -1e12;
  }
}

void CMillCenter::GenSameYLineSet(const CProtectNet& net, CIntLineSet& set) {
  const double Y = set.level;
  CIntLineSet rec(Y);
  for (const auto& f : faces) {
    if (Y < f->box.min[1] - 0.0001 || Y > f->box.max[1] + 0.0001) continue;
    for (size_t k = 0; k < f->tris.size(); ++k) {
      if (Y < f->triBox[k].min[1] - 0.0001 || Y > f->triBox[k].max[1] + 0.0001) continue;
      const double* v[3] = {f->pts[f->tris[k][0]].data(), f->pts[f->tris[k][1]].data(), f->pts[f->tris[k][2]].data()};
      centre::AddFaceCut(rec, net, centre::CutFaceY(v, 3, Y), false);
    }
    for (size_t k = 0; k < f->quads.size(); ++k) {
      if (Y < f->quadBox[k].min[1] - 0.0001 || Y > f->quadBox[k].max[1] + 0.0001) continue;
      const double* v[4] = {f->pts[f->quads[k][0]].data(), f->pts[f->quads[k][1]].data(),
                            f->pts[f->quads[k][2]].data(), f->pts[f->quads[k][3]].data()};
      centre::AddFaceCut(rec, net, centre::CutFaceY(v, 4, Y), false);
    }
    AppendRecord(rec, set);
  }
  for (const auto& s : strips) {
    if (Y < s->box.min[1] - 0.0001 || Y > s->box.max[1] + 0.0001) continue;
    const int n = s->ChainPoints();
    for (int i = 0; i + 1 < n; ++i)
      for (int j = 0; j < Strip::kQuads; ++j) {
        const auto q = s->Corners(i, j);
        const double* v[4] = {s->pts[q[0]].data(), s->pts[q[1]].data(), s->pts[q[2]].data(), s->pts[q[3]].data()};
        centre::AddFaceCut(rec, net, centre::CutFaceY(v, 4, Y), false);
      }
    AppendRecord(rec, set);
  }
  if (!tool) return;
  const double r = Radius();
  for (const Pt3& P : sharp.pts) {
    const double dy = std::fabs(P[1] - Y);
    if (dy > r + 0.0001) continue;
    const double b = std::sqrt(std::max(r * r - dy * dy, 0.0));
    std::vector<Pt2> prof;
    if (tool->Type() == 1) {
      prof = {{P[0] - b, P[2]}, {P[0] + b, P[2]}};
    } else if (tool->Type() == 3) {
      const int n = b > 0 ? std::min(CircleChords(b) / 2 + 1, 39) : 1;
      for (int k = 0; k <= n; ++k) {
        const double a = kPi - kPi * k / n;
        prof.push_back({P[0] + b * std::cos(a), P[2] - r + b * std::sin(a)});
      }
    } else {
      const int n = std::max(1, static_cast<int>(tool->GetDia() / 0.1));
      for (int k = 0; k <= n; ++k) {
        const double x = P[0] - r + 2 * r * k / n;
        const double h = tool->Zval_VertCC(P.data(), x, Y);
        if (h > kToolNoContact / 2) prof.push_back({x, h});
      }
    }
    for (size_t k = 0; k + 1 < prof.size(); ++k)
      if (centre::KeepYSegment(net, Y, prof[k], prof[k + 1])) set.AddLine(prof[k].data(), prof[k + 1].data());
  }
}

void CMillCenter::ProjectFrom(double p[3], double start) const {
  p[2] = start;
  ProjPntOnMdl(p);
}

namespace {

_tagBox2D PaneOf(const CNcPoint& a, const CNcPoint& b) {
  return {{std::min(a.x, b.x), std::min(a.y, b.y)}, {std::max(a.x, b.x), std::max(a.y, b.y)}};
}

CNcPoint* NewPoint(double x, double y, double z) { return new CNcPoint{0, x, y, z, z}; }

}  // namespace

void CMillCenter::ProjCutPath(CNcPline* pline, POSITION segStart, POSITION segEnd) const {
  const CNcPoint& a = *pline->GetAt(segStart);
  const CNcPoint& b = *pline->GetAt(segEnd);
  const double len = std::hypot(b.x - a.x, b.y - a.y);
  if (len < 0.01) return;
  const int n = static_cast<int>(std::ceil(len / 0.2));
  std::vector<Pt3> row{{a.x, a.y, a.z}};
  for (int k = 1; k < n; ++k) {
    const double f = static_cast<double>(k) / n;
    double p[3] = {a.x + f * (b.x - a.x), a.y + f * (b.y - a.y), 0};
    ProjectFrom(p, Bottom() - 10);
    row.push_back({p[0], p[1], p[2]});
  }
  row.push_back({b.x, b.y, b.z});
  centre::Simplify3D(row, 0.05);
  for (size_t k = 1; k + 1 < row.size(); ++k) pline->InsertBefore(segEnd, NewPoint(row[k][0], row[k][1], row[k][2]));
}

void CMillCenter::CheckCutPath(CNcPline* pline, POSITION segStart, POSITION segEnd, double tol) const {
  // Work list of segments (start, end) still to check: refining by halves, without recursion.
  std::vector<std::pair<POSITION, POSITION>> todo{{segStart, segEnd}};
  while (!todo.empty()) {
    auto [sa, sb] = todo.back();
    todo.pop_back();
    const CNcPoint& a = *pline->GetAt(sa);
    const CNcPoint& b = *pline->GetAt(sb);
    const double len = std::sqrt((b.x - a.x) * (b.x - a.x) + (b.y - a.y) * (b.y - a.y) + (b.z - a.z) * (b.z - a.z));
    if (len < 0.01) continue;
    const int n = len <= 1 ? 5 : std::max(1, static_cast<int>(std::lround(len / 0.2)));
    for (int k = 1; k < n; ++k) {
      const double f = static_cast<double>(k) / n;
      double p[3] = {a.x + f * (b.x - a.x), a.y + f * (b.y - a.y), a.z + f * (b.z - a.z)};
      const double chord = p[2];
      ProjPntOnMdl(p);
      if (p[2] - chord > tol) {
        CNcPoint* mid = NewPoint(p[0], p[1], p[2]);
        POSITION pm = pline->InsertBefore(sb, mid);
        todo.push_back({pm, sb});
        todo.push_back({sa, pm});
        break;
      }
    }
  }
}

void CMillCenter::VerifyCutPath(CNcPline* pline, double tol, int flag) {
  if (!pline || pline->IsEmpty()) return;
  const double start = Bottom() - 10;
  POSITION pos = pline->GetHeadPosition();
  POSITION prevPos = pos;
  CNcPoint* prev = pline->GetNext(pos);
  DefineMarkedPane(PaneOf(*prev, *prev), 0.0001);
  {
    double p[3] = {prev->x, prev->y, prev->z};
    if (flag) p[2] = start;
    ProjPntOnMdl(p);
    prev->z = p[2];
  }
  while (pos) {
    POSITION cur = pos;
    CNcPoint* q = pline->GetNext(pos);
    DefineMarkedPane(PaneOf(*prev, *q), 0.0001);
    double p[3] = {q->x, q->y, q->z};
    if (flag) p[2] = start;
    ProjPntOnMdl(p);
    q->z = p[2];
    if (flag)
      ProjCutPath(pline, prevPos, cur);
    else
      CheckCutPath(pline, prevPos, cur, tol);
    prevPos = cur;
    prev = q;
  }
}

void CMillCenter::CheckPntString(CNcPline*& pline) {
  if (!pline || pline->GetCount() < 3) return;
  POSITION pos = pline->GetHeadPosition();
  pline->GetNext(pos);
  for (int i = 1; i + 1 < pline->GetCount(); ++i) {
    CNcPoint* q = pline->GetNext(pos);
    DefineMarkedPane(PaneOf(*q, *q), 0.0001);
    double p[3] = {q->x, q->y, q->z};
    ProjPntOnMdl(p);
    if (p[2] - q->z > 0.05) {
      delete pline;
      pline = nullptr;
      return;
    }
  }
}

// ---------------------------------------------------------------------------------------------
// Views of the model and link moves

namespace {

CPathPLine3D* PolyOf(const std::vector<Pt3>& pts) {
  if (pts.size() < 2) return nullptr;
  auto* pl = new CPathPLine3D;
  if (!pl->SetPoints(static_cast<int>(pts.size()) - 1, reinterpret_cast<const double(*)[3]>(pts.data()))) {
    delete pl;
    return nullptr;
  }
  return pl;
}

void AddPoly(CPathCombine* chain, const std::vector<Pt3>& pts) {
  if (CPathPLine3D* pl = PolyOf(pts)) chain->AddTail(pl);
}

}  // namespace

CPathCombine* CMillCenter::CreateEdgeComb() const {
  auto* chain = new CPathCombine(8);
  for (const auto& s : strips) {
    std::vector<Pt3> top;
    for (int i = 0; i < s->ChainPoints(); ++i) top.push_back(s->pts[Strip::kSamples * i + 7]);
    AddPoly(chain, top);
  }
  return chain;
}

CPathCombine* CMillCenter::CreateOffsetSurfComb() const {
  auto* chain = new CPathCombine(8);
  for (const auto& f : faces) {
    for (const auto& t : f->tris) AddPoly(chain, {f->pts[t[0]], f->pts[t[1]], f->pts[t[2]], f->pts[t[0]]});
    for (const auto& q : f->quads)
      AddPoly(chain, {f->pts[q[0]], f->pts[q[1]], f->pts[q[2]], f->pts[q[3]], f->pts[q[0]]});
  }
  return chain;
}

CPathCombine* CMillCenter::CreateBoundSurfComb() const {
  auto* chain = new CPathCombine(8);
  for (const auto& s : strips) {
    const int n = s->ChainPoints();
    for (int i = 0; i < n; ++i)
      AddPoly(chain, std::vector<Pt3>(s->pts.begin() + Strip::kSamples * i, s->pts.begin() + Strip::kSamples * (i + 1)));
    for (int j = 0; j < Strip::kSamples; ++j) {
      std::vector<Pt3> along;
      for (int i = 0; i < n; ++i) along.push_back(s->pts[Strip::kSamples * i + j]);
      AddPoly(chain, along);
    }
  }
  return chain;
}

namespace {

void Unit2(double v[2]) {
  const double l = std::hypot(v[0], v[1]);
  if (l > 1e-12) {
    v[0] /= l;
    v[1] /= l;
  } else {
    v[0] = 1;
    v[1] = 0;
  }
}

// Two quadratic pieces from E to S through the tangent-scaled control points.
void Blend(const Pt3& E, const double tE[3], const Pt3& S, const double tS[3], double scale, std::vector<Pt3>& out) {
  const Pt3 c1{E[0] + scale * tE[0], E[1] + scale * tE[1], E[2] + scale * tE[2]};
  const Pt3 c2{S[0] - scale * tS[0], S[1] - scale * tS[1], S[2] - scale * tS[2]};
  const Pt3 m{(c1[0] + c2[0]) / 2, (c1[1] + c2[1]) / 2, (c1[2] + c2[2]) / 2};
  auto quad = [&out](const Pt3& a, const Pt3& b, const Pt3& c) {
    for (int k = 1; k <= 9; ++k) {
      const double t = k / 10.0, u = 1 - t;
      out.push_back({u * u * a[0] + 2 * u * t * b[0] + t * t * c[0], u * u * a[1] + 2 * u * t * b[1] + t * t * c[1],
                     u * u * a[2] + 2 * u * t * b[2] + t * t * c[2]});
    }
  };
  quad(E, c1, m);
  out.push_back(m);
  quad(m, c2, S);
}

// Interior points of a link (E and S excluded) by type; false when the type cannot be built.
bool LinkPoints(int type, double param, const Pt3& E, const double tE[3], const Pt3& S, const double tS[3],
                std::vector<Pt3>& pts) {
  pts.clear();
  switch (type) {
    case 0:
      pts.push_back({E[2] <= S[2] ? E[0] : S[0], E[2] <= S[2] ? E[1] : S[1], std::max(E[2], S[2])});
      return true;
    case 1:
      return true;
    case 2: {
      double te[2] = {tE[0], tE[1]}, ts[2] = {tS[0], tS[1]};
      Unit2(te);
      Unit2(ts);
      if (te[0] * ts[1] - te[1] * ts[0] < -1e-8) {
        Blend(E, tE, S, tS, param, pts);
        return true;
      }
      const double b = std::max(param, std::hypot(S[0] - E[0], S[1] - E[1]));
      const double p[2] = {-te[1], te[0]};
      const double third[3] = {E[0] + b * p[0] + b * te[0], E[1] + b * p[1] + b * te[1], E[2]};
      const double Q[3] = {E[0] + 2 * b * p[0], E[1] + 2 * b * p[1], E[2]};
      _arc* arc = nullptr;
      if (ARC_ByThreePoints(third, Q, E.data(), arc) != 1 || !arc) return false;
      const int n = std::max(1, static_cast<int>(std::ceil(std::fabs(arc->sweep) / (10 * kPi / 180))));
      for (int k = 1; k <= n; ++k) {
        double pt[3], tan[3];
        ARC_EvPosTan(arc->sweep * k / n, pt, arc, tan);
        pts.push_back({pt[0], pt[1], pt[2]});
      }
      std::free(arc);
      const Pt3 q{Q[0], Q[1], Q[2]};
      const double tq[3] = {-te[0], -te[1], 0};
      Blend(q, tq, S, tS, std::hypot(S[0] - Q[0], S[1] - Q[1]) / 2, pts);
      return true;
    }
    case 3:
      Blend(E, tE, S, tS, param, pts);
      return true;
    default:
      return false;
  }
}

// The link as an NC polyline from E to S, sampled every 0.2 of its length so that the check
// sees between its corners, on a steep descent too.
CNcPline* LinkPline(const Pt3& E, const std::vector<Pt3>& mid, const Pt3& S) {
  std::vector<Pt3> all{E};
  all.insert(all.end(), mid.begin(), mid.end());
  all.push_back(S);
  auto* pl = new CNcPline;
  for (size_t i = 0; i + 1 < all.size(); ++i) {
    const Pt3 &a = all[i], &b = all[i + 1];
    const int n = std::max(1, static_cast<int>(std::ceil(std::hypot(b[0] - a[0], b[1] - a[1], b[2] - a[2]) / 0.2)));
    for (int k = 0; k < n; ++k) {
      const double f = static_cast<double>(k) / n;
      const double p[3] = {a[0] + f * (b[0] - a[0]), a[1] + f * (b[1] - a[1]), a[2] + f * (b[2] - a[2])};
      pl->AddTail(p);
    }
  }
  pl->AddTail(S.data());
  return pl;
}

}  // namespace

int GenLinkMoves(CMillCenter* model, int type, double parameter, CPathCombine* chain) {
  if (!chain || !chain->head || !model || type < -1 || type > 3) return 0;
  int count = 0;
  for (CPathEntity* e = chain->head; e; e = e->next) ++count;
  CQProgress prog;
  for (CPathEntity* a = chain->head; a && a->next;) {
    CPathEntity* b = a->next;
    double e[3], s[3];
    a->GetEndPoint(1, e);
    b->GetEndPoint(0, s);
    const Pt3 E{e[0], e[1], e[2]}, S{s[0], s[1], s[2]};
    const double d = std::sqrt((s[0] - e[0]) * (s[0] - e[0]) + (s[1] - e[1]) * (s[1] - e[1]) + (s[2] - e[2]) * (s[2] - e[2]));
    if (d > 0.01) {
      if (type != -1) {
        double tE[3] = {1, 0, 0}, tS[3] = {1, 0, 0};
        a->GetTangent(1, tE);
        b->GetTangent(0, tS);
        // Types in the order they are tried: the one asked for, then the safer fall-backs
        // (half turn to up-and-over, blend to straight, straight to up-and-over), and last the
        // retract below.
        std::vector<int> tries{type};
        if (type == 2) tries.push_back(0);
        if (type == 3) tries.push_back(1);
        if (type == 1 || type == 3) tries.push_back(0);
        std::vector<Pt3> mid;
        bool placed = false;
        for (int t : tries) {
          if (!LinkPoints(t, parameter, E, tE, S, tS, mid)) continue;
          CNcPline* check = LinkPline(E, mid, S);
          model->CheckPntString(check);
          if (check) {
            delete check;
            placed = true;
            break;
          }
        }
        if (!placed) {
          // Nothing lower gets across: retract over the model's top.
          const double top = std::max({model->box[5], E[2], S[2]});
          mid = {{E[0], E[1], top}, {S[0], S[1], top}};
        }
        std::vector<Pt3> all{E};
        all.insert(all.end(), mid.begin(), mid.end());
        all.push_back(S);
        all.front()[2] = E[2];
        all.back()[2] = S[2];
        if (CPathPLine3D* link = PolyOf(all)) {
          chain->InsertAfter(link, a);
          a = link;
        }
      }
    } else if (b->type == kPathLine) {
      auto* line = static_cast<CPathLine3D*>(b);
      std::copy(e, e + 3, line->start);
    } else if (b->type == kPathPLine) {
      auto* pl = static_cast<CPathPLine3D*>(b);
      if (pl->points) std::copy(e, e + 3, pl->points[0]);
    }
    a = b;
    if (count > 1) prog.SetRange(1.0 / (count - 1));
  }
  return 1;
}
