#include "millvane/paths/NcMesh.h"

#include <algorithm>
#include <cmath>

#include "geometry/surfaces/GeMesh.h"
#include "millvane/paths/NcPline.h"
#include "platform/numora/Box.h"
#include "platform/vurode/Tool.h"

namespace {

bool XYMeets(const _tagBox3D& a, const _tagBox2D& b, double tol) {
  return a.min[0] - tol <= b.max[0] && b.min[0] - tol <= a.max[0] && a.min[1] - tol <= b.max[1] &&
         b.min[1] - tol <= a.max[1];
}

bool Meets3D(const _tagBox3D& a, const _tagBox3D& b, double tol) {
  for (int i = 0; i < 3; ++i)
    if (a.min[i] - tol > b.max[i] || b.min[i] - tol > a.max[i]) return false;
  return true;
}

void BoxOf(const double* a, const double* b, _tagBox3D& box) {
  for (int i = 0; i < 3; ++i) {
    box.min[i] = std::min(a[i], b[i]);
    box.max[i] = std::max(a[i], b[i]);
  }
}

// A tip outside a facet's (offset) box or an edge's (radius-widened) box cannot touch it; the
// small margin keeps contacts on a box side.
bool InXY(const _tagBox3D& b, double x, double y) {
  return x >= b.min[0] - 1e-9 && x <= b.max[0] + 1e-9 && y >= b.min[1] - 1e-9 && y <= b.max[1] + 1e-9;
}

// Squared XY distance from (x, y) to segment a-b.
double SegDist2XY(const double* a, const double* b, double x, double y) {
  const double ex = b[0] - a[0], ey = b[1] - a[1], l2 = ex * ex + ey * ey;
  double t = l2 > 0 ? ((x - a[0]) * ex + (y - a[1]) * ey) / l2 : 0.0;
  t = std::clamp(t, 0.0, 1.0);
  const double dx = a[0] + t * ex - x, dy = a[1] + t * ey - y;
  return dx * dx + dy * dy;
}

// Keeps the entries of list[0, n) that pass, in place, kept ones first; returns their count.
template <class Pred>
int Partition(std::vector<int>& list, int n, Pred keep) {
  return static_cast<int>(std::stable_partition(list.begin(), list.begin() + n, keep) - list.begin());
}

template <class Pred>
int Select(std::vector<int>& out, size_t total, Pred keep) {
  int n = 0;
  for (size_t i = 0; i < total; ++i)
    if (keep(static_cast<int>(i))) out[n++] = static_cast<int>(i);
  return n;
}

// Entry numbers 0 .. n - 1, kept while n stays.
void Identity(std::vector<int>& ids, size_t n) {
  if (ids.size() == n) return;
  ids.resize(n);
  for (size_t i = 0; i < n; ++i) ids[i] = static_cast<int>(i);
}

}  // namespace

CNcMesh::CNcMesh() { BOX3D_Init0(&box); }

CNcMesh::~CNcMesh() { delete tool; }

void CNcMesh::Init(CGeMesh* mesh) {
  if (!mesh) return;
  RegionChanged();
  m_allFacetY.valid = m_allEdgeY.valid = false;
  // A non-finite vertex, or a face or edge naming a vertex that is not there, would make its
  // facets vanish from the queries and let the cutter drop through the part: refuse the mesh.
  const size_t nv = mesh->vertices.size();
  auto ok = [nv](int32_t i) { return i >= 0 && static_cast<size_t>(i) < nv; };
  bool bad = false;
  for (const CPoint3d& v : mesh->vertices)
    bad = bad || !(std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z));
  for (const CGeMesh::Face& f : mesh->faces) bad = bad || !ok(f[0]) || !ok(f[1]) || !ok(f[2]);
  for (const CGeMesh::Edge& e : mesh->edges) bad = bad || !ok(e.v0) || !ok(e.v1);
  if (bad) {
    vertices.clear();
    facets.clear();
    edges.clear();
    m_regFacet.clear();
    m_actFacet.clear();
    m_regEdge.clear();
    m_actEdge.clear();
    m_nActFacet = m_nRegFacet = m_nActEdge = m_nRegEdge = 0;
    BOX3D_Init0(&box);
    m_badMesh = true;
    return;
  }
  m_badMesh = false;
  if (mesh->edges.empty()) mesh->GenEdgeTopo();
  if (mesh->vertices.size() < 3 || mesh->faces.empty() || mesh->edges.size() < 3) return;
  vertices.resize(3 * nv);
  for (size_t i = 0; i < nv; ++i) {
    vertices[3 * i] = mesh->vertices[i].x;
    vertices[3 * i + 1] = mesh->vertices[i].y;
    vertices[3 * i + 2] = mesh->vertices[i].z;
  }
  facets.clear();
  facets.reserve(mesh->faces.size());
  for (const CGeMesh::Face& f : mesh->faces) {
    Facet t{};
    for (int k = 0; k < 3; ++k) t.v[k] = f[k];
    BOX3D_Init0(&t.box);
    facets.push_back(t);
  }
  edges.clear();
  edges.reserve(mesh->edges.size());
  for (const CGeMesh::Edge& e : mesh->edges) {
    Edge t{};
    t.v[0] = e.v0;
    t.v[1] = e.v1;
    BOX3D_Init0(&t.box);
    edges.push_back(t);
  }
  m_regFacet.assign(facets.size(), 0);
  m_actFacet.assign(facets.size(), 0);
  m_regEdge.assign(edges.size(), 0);
  m_actEdge.assign(edges.size(), 0);
  m_nActFacet = m_nRegFacet = m_nActEdge = m_nRegEdge = 0;
}

void CNcMesh::SetTool(CTool* t) {
  RegionChanged();  // the boxes change with the cutter
  m_allFacetY.valid = m_allEdgeY.valid = false;
  delete tool;
  tool = nullptr;
  m_badTool = t && !std::isfinite(t->GetDia());
  if (m_badTool) return;
  if (t) {
    tool = t->Copy();
    tool->SetAidParam();
  }
  if (vertices.empty()) return;
  const bool offsets = t && t->GetDia() >= 0.01;
  for (Facet& f : facets) {
    const double *A = V(f.v[0]), *B = V(f.v[1]), *C = V(f.v[2]);
    const double u[3] = {C[0] - A[0], C[1] - A[1], C[2] - A[2]};
    const double w[3] = {C[0] - B[0], C[1] - B[1], C[2] - B[2]};
    double n[3] = {u[1] * w[2] - u[2] * w[1], u[2] * w[0] - u[0] * w[2], u[0] * w[1] - u[1] * w[0]};
    const double len = std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]);
    if (len < 1e-6) {
      n[0] = n[1] = 0.0;
      n[2] = 1.0;
    } else {
      for (double& c : n) c /= len;
      if (n[2] < 0.0)
        for (double& c : n) c = -c;
    }
    f.off[0] = f.off[1] = f.off[2] = 0.0;
    if (offsets) t->Eval_FacetCC_OffVec(n, f.off);
    BOX3D_Init0(&f.box);
    for (int k = 0; k < 3; ++k) {
      const double* P = V(f.v[k]);
      const double q[3] = {P[0] + f.off[0], P[1] + f.off[1], P[2] + f.off[2]};
      BOX3D_Extend(&f.box, q);
    }
  }
  const double r = t ? 0.5 * t->GetDia() : 0.0;
  for (Edge& e : edges) {
    BoxOf(V(e.v[0]), V(e.v[1]), e.box);
    for (int i = 0; i < 2; ++i) {
      e.box.min[i] -= r;
      e.box.max[i] += r;
    }
  }
  CalcBox();
}

std::unique_ptr<CNcMesh> CNcMesh::Copy() const {
  auto m = std::make_unique<CNcMesh>();
  m->box = box;
  m->vertices = vertices;
  m->facets = facets;
  m->edges = edges;
  m->m_badMesh = m_badMesh;
  m->m_badTool = m_badTool;
  if (tool) {
    m->tool = tool->Copy();
    m->tool->SetAidParam();
  }
  m->m_regFacet.assign(facets.size(), 0);
  m->m_actFacet.assign(facets.size(), 0);
  m->m_regEdge.assign(edges.size(), 0);
  m->m_actEdge.assign(edges.size(), 0);
  return m;
}

void CNcMesh::CalcBox() {
  BOX3D_Init0(&box);
  for (const Edge& e : edges) BOX3D_Union(&box, &e.box);
  for (const Facet& f : facets) BOX3D_Union(&box, &f.box);
}

void CNcMesh::RotateZ(double c, double s) {
  RegionChanged();
  for (size_t i = 0; i + 2 < vertices.size(); i += 3) {
    const double x = vertices[i], y = vertices[i + 1];
    vertices[i] = c * x - s * y;
    vertices[i + 1] = s * x + c * y;
  }
  CalcBox();
}

void CNcMesh::Mark_Box3D(const _tagBox3D& b) {
  m_nActFacet = m_nActEdge = 0;
  if (!Meets3D(box, b, 0.005)) return;
  m_nActFacet = Select(m_actFacet, facets.size(), [&](int i) { return Meets3D(facets[i].box, b, 0.005); });
  m_nActEdge = Select(m_actEdge, edges.size(), [&](int i) { return Meets3D(edges[i].box, b, 0.005); });
}

void CNcMesh::Mark_Box2D(const _tagBox2D& b) {
  RegionChanged();
  m_nActFacet = m_nActEdge = m_nRegFacet = m_nRegEdge = 0;
  if (!XYMeets(box, b, 0.01)) return;
  m_nRegFacet = Select(m_regFacet, facets.size(), [&](int i) { return XYMeets(facets[i].box, b, 0.01); });
  m_nRegEdge = Select(m_regEdge, edges.size(), [&](int i) { return XYMeets(edges[i].box, b, 0.01); });
  std::copy_n(m_regFacet.begin(), m_nRegFacet, m_actFacet.begin());
  std::copy_n(m_regEdge.begin(), m_nRegEdge, m_actEdge.begin());
  m_nActFacet = m_nRegFacet;
  m_nActEdge = m_nRegEdge;
}

void CNcMesh::Mark_SubBox2D(const _tagBox2D& b) {
  m_nActFacet = m_nActEdge = 0;
  if (!XYMeets(box, b, 0.01)) return;
  m_nActFacet = Partition(m_regFacet, m_nRegFacet, [&](int i) { return XYMeets(facets[i].box, b, 0.005); });
  m_nActEdge = Partition(m_regEdge, m_nRegEdge, [&](int i) { return XYMeets(edges[i].box, b, 0.005); });
  std::copy_n(m_regFacet.begin(), m_nActFacet, m_actFacet.begin());
  std::copy_n(m_regEdge.begin(), m_nActEdge, m_actEdge.begin());
}

void CNcMesh::Mark_IsoYLine(double y) {
  RegionChanged();
  m_nActFacet = m_nActEdge = m_nRegFacet = m_nRegEdge = 0;
  if (y < box.min[1] || y > box.max[1]) return;
  // Every entry whose y range holds y, through the index over all entries.
  Identity(m_allFacets, facets.size());
  Identity(m_allEdges, edges.size());
  m_nRegFacet = Narrow(m_allFacetY, m_allFacets, static_cast<int>(facets.size()), m_regFacet, facets, m_facetStamp,
                       1, y, y, 0.0);
  m_nRegEdge = Narrow(m_allEdgeY, m_allEdges, static_cast<int>(edges.size()), m_regEdge, edges, m_edgeStamp, 1, y,
                      y, 0.0);
  std::copy_n(m_regFacet.begin(), m_nRegFacet, m_actFacet.begin());
  std::copy_n(m_regEdge.begin(), m_nRegEdge, m_actEdge.begin());
  m_nActFacet = m_nRegFacet;
  m_nActEdge = m_nRegEdge;
}

void CNcMesh::RegionChanged() {
  for (int i = 0; i < 2; ++i) m_facetIndex[i].valid = m_edgeIndex[i].valid = false;
}


template <class T>
int CNcMesh::Narrow(AxisIndex& ix, const std::vector<int>& reg, int nReg, std::vector<int>& act,
                    const std::vector<T>& items, std::vector<unsigned>& stamp, int axis, double a, double b,
                    double widen) {
  if (nReg == 0) return 0;
  // The entries' ranges along the axis, widened as the narrowing compares them.
  auto lo = [&](int i) { return items[i].box.min[axis] - widen; };
  auto hi = [&](int i) { return items[i].box.max[axis] + widen; };
  if (!ix.valid) {
    double l = 1e300, h = -1e300, span = 0.0;
    for (int k = 0; k < nReg; ++k) {
      const int i = reg[k];
      l = std::min(l, lo(i));
      h = std::max(h, hi(i));
      span += hi(i) - lo(i);
    }
    // Buckets about as wide as an entry: each entry then sits in a few, and a short interval
    // meets a few.
    const double extent = std::max(h - l, 1e-9);
    const double nb = std::clamp(std::floor(extent / std::max(span / nReg, 1e-9)), 1.0, 4.0 * nReg + 1.0);
    ix.buckets = static_cast<int>(nb);
    ix.lo = l;
    ix.width = extent / ix.buckets;
    auto bucket = [&](double x) {
      return static_cast<int>(std::clamp(std::floor((x - ix.lo) / ix.width), 0.0, ix.buckets - 1.0));
    };
    ix.start.assign(ix.buckets + 1, 0);
    for (int k = 0; k < nReg; ++k)
      for (int c = bucket(lo(reg[k])); c <= bucket(hi(reg[k])); ++c) ++ix.start[c + 1];
    for (int c = 0; c < ix.buckets; ++c) ix.start[c + 1] += ix.start[c];
    ix.items.resize(ix.start[ix.buckets]);
    std::vector<int> fill(ix.start.begin(), ix.start.end() - 1);
    for (int k = 0; k < nReg; ++k)
      for (int c = bucket(lo(reg[k])); c <= bucket(hi(reg[k])); ++c) ix.items[fill[c]++] = reg[k];
    ix.valid = true;
  }
  if (b < ix.lo || a > ix.lo + ix.width * ix.buckets) return 0;
  auto bucket = [&](double x) {
    return static_cast<int>(std::clamp(std::floor((x - ix.lo) / ix.width), 0.0, ix.buckets - 1.0));
  };
  if (stamp.size() != items.size()) stamp.assign(items.size(), 0);
  if (++m_stamp == 0) {  // wrapped: start the marks afresh
    std::fill(m_facetStamp.begin(), m_facetStamp.end(), 0);
    std::fill(m_edgeStamp.begin(), m_edgeStamp.end(), 0);
    m_stamp = 1;
  }
  int n = 0;
  for (int c = bucket(a), c1 = bucket(b); c <= c1; ++c)
    for (int k = ix.start[c]; k < ix.start[c + 1]; ++k) {
      const int i = ix.items[k];
      if (stamp[i] == m_stamp) continue;
      stamp[i] = m_stamp;
      if (lo(i) <= b && a <= hi(i)) act[n++] = i;
    }
  return n;
}

void CNcMesh::Mark_XInter(double x0, double x1) {
  m_nActFacet = m_nActEdge = 0;
  if (x0 > box.max[0] || x1 < box.min[0]) return;
  m_nActFacet = Narrow(m_facetIndex[0], m_regFacet, m_nRegFacet, m_actFacet, facets, m_facetStamp, 0, x0, x1);
  m_nActEdge = Narrow(m_edgeIndex[0], m_regEdge, m_nRegEdge, m_actEdge, edges, m_edgeStamp, 0, x0, x1);
}

void CNcMesh::Mark_YInter(double y0, double y1) {
  m_nActFacet = m_nActEdge = 0;
  if (y0 > box.max[1] || y1 < box.min[1]) return;
  m_nActFacet = Narrow(m_facetIndex[1], m_regFacet, m_nRegFacet, m_actFacet, facets, m_facetStamp, 1, y0, y1);
  m_nActEdge = Narrow(m_edgeIndex[1], m_regEdge, m_nRegEdge, m_actEdge, edges, m_edgeStamp, 1, y0, y1);
}

double CNcMesh::FacetHeight(int f, double x, double y) const {
  const double* P[3] = {V(facets[f].v[0]), V(facets[f].v[1]), V(facets[f].v[2])};
  // Section by the line through (x, y) along axis 0 (Y = y) or 1 (X = x): crossings as
  // (position along the line, z).
  auto section = [&](int fixed, double at, double dedup, double& out) {
    const int run = 1 - fixed;
    double cs[3][2];
    int n = 0;
    for (int k = 0; k < 3; ++k) {
      const double *a = P[k], *b = P[(k + 1) % 3];
      const double d = b[fixed] - a[fixed];
      if (std::fabs(d) < 1e-5) continue;
      if (at < std::min(a[fixed], b[fixed]) || at > std::max(a[fixed], b[fixed])) continue;
      const double t = (at - a[fixed]) / d;
      const double s = a[run] + t * (b[run] - a[run]);
      const double z = a[2] + t * (b[2] - a[2]);
      bool dup = false;
      for (int j = 0; j < n; ++j) dup = dup || std::fabs(cs[j][0] - s) < dedup;
      if (!dup) {
        cs[n][0] = s;
        cs[n][1] = z;
        ++n;
      }
    }
    if (n != 2) return n;
    const double pos = fixed == 1 ? x : y;
    const double span = cs[1][0] - cs[0][0];
    const double u = (pos - cs[0][0]) / span;
    // Closed, with a hair of slack: a point on an edge shared by two facets must be answered
    // by at least one of them, or it stays wherever the probe started.
    constexpr double kEdgeSlack = 1e-9;
    out = (u >= -kEdgeSlack && u <= 1.0 + kEdgeSlack) ? cs[0][1] + u * (cs[1][1] - cs[0][1]) : kToolNoContact;
    return 2;
  };
  double h = kToolNoContact;
  const int n = section(1, y, 0.001, h);
  if (n == 2) return h;
  if (n == 1 || n == 3) {
    if (section(0, x, 0.0001, h) == 2) return h;
  }
  return kToolNoContact;
}

int CNcMesh::Get_CC_Height(CTool* t, double p[3]) const {
  if (IsRefused()) return 0;
  if (p[2] > box.max[2]) return 0;
  const double z0 = p[2];
  for (int k = 0; k < m_nActFacet; ++k) {
    const Facet& f = facets[m_actFacet[k]];
    if (f.box.max[2] < p[2] || !InXY(f.box, p[0], p[1])) continue;
    const double h = FacetHeight(m_actFacet[k], p[0] - f.off[0], p[1] - f.off[1]) + f.off[2];
    if (h > p[2] || std::isnan(h)) p[2] = h;
  }
  if (t) {
    const double reach = t->MaxRadius(), reach2 = reach * reach;
    for (int k = 0; k < m_nActEdge; ++k) {
      const Edge& e = edges[m_actEdge[k]];
      // The box's z range is the edge's own (only x and y are widened): an edge wholly below
      // the tip cannot raise it. Both tests run on the edge record alone.
      if (e.box.max[2] < p[2] || !InXY(e.box, p[0], p[1])) continue;
      const double *A = V(e.v[0]), *B = V(e.v[1]);
      // An edge whose nearest point lies beyond the cutter's reach cannot touch it; the box
      // only knows the edge's extent, not its direction.
      const double d2 = SegDist2XY(A, B, p[0], p[1]);
      if (d2 > reach2) continue;
      // No point of the edge stands higher than its top end nor nearer than its nearest point,
      // so that bounds the tip before the contact itself.
      if (e.box.max[2] - t->HeightAt(std::sqrt(d2)) <= p[2]) continue;
      const double h = std::max({t->Zval_EdgeCC(A, B, p[0], p[1]), t->Zval_VertCC(A, p[0], p[1]),
                                 t->Zval_VertCC(B, p[0], p[1])});
      if (h > p[2] || std::isnan(h)) p[2] = h;
    }
  }
  return p[2] > z0 ? 1 : 0;
}

int CNcMesh::Get_CC_Height(CTool*, CNcPoint& p) const {
  p.tag = 1;
  if (IsRefused()) return 0;
  if (p.z > box.max[2]) return 0;
  const double z0 = p.z;
  for (int k = 0; k < m_nActFacet; ++k) {
    const Facet& f = facets[m_actFacet[k]];
    if (f.box.max[2] < p.z || !InXY(f.box, p.x, p.y)) continue;
    const double h = FacetHeight(m_actFacet[k], p.x - f.off[0], p.y - f.off[1]) + f.off[2];
    if (h > p.z || std::isnan(h)) p.z = h;
  }
  return p.z > z0 ? 1 : 0;
}

int CNcMesh::ProjectPoint(double x, double y, double& z) const {
  if (IsRefused()) return 0;
  const double z0 = z;
  for (int k = 0; k < m_nActFacet; ++k) {
    const Facet& f = facets[m_actFacet[k]];
    if (x < f.box.min[0] || x > f.box.max[0] || y < f.box.min[1] || y > f.box.max[1]) continue;
    const double h = FacetHeight(m_actFacet[k], x, y);
    if (h > z) z = h;
  }
  return z > z0 ? 1 : 0;
}
