// Tables derived from a mesh's faces and vertices: neighbours, adjacent faces, faces across
// edges, the edge list, face and vertex normals, triangle strips.
#include <algorithm>
#include <cmath>

#include "geometry/surfaces/GeMesh.h"
#include "platform/numora/Box.h"
#include "platform/numora/Triangle.h"

namespace {

// Face corners grouped by vertex, each group in face order: start[v] .. start[v+1] index into
// corner (face * 3 + j).
struct CornersByVertex {
  std::vector<int32_t> start;
  std::vector<int32_t> corner;
};

CornersByVertex GroupCorners(const std::vector<CGeMesh::Face>& faces, size_t nv) {
  CornersByVertex g;
  g.start.assign(nv + 1, 0);
  for (const CGeMesh::Face& f : faces)
    for (int32_t v : f.v) ++g.start[v + 1];
  for (size_t v = 0; v < nv; ++v) g.start[v + 1] += g.start[v];
  g.corner.resize(faces.size() * 3);
  std::vector<int32_t> fill(g.start.begin(), g.start.end() - 1);
  for (size_t c = 0; c < faces.size() * 3; ++c)
    g.corner[fill[faces[c / 3].v[c % 3]]++] = static_cast<int32_t>(c);
  return g;
}

}  // namespace

void CGeMesh::Need_Neighbors() {
  if (!neighbors.empty()) return;
  const size_t nv = vertices.size();
  const CornersByVertex g = GroupCorners(faces, nv);
  neighbors.resize(nv);
  // seen[w] == v + 1 marks w as already in v's list, so long fans stay linear.
  std::vector<int32_t> seen(nv, 0);
  for (size_t v = 0; v < nv; ++v) {
    std::vector<int32_t>& list = neighbors[v];
    list.reserve(g.start[v + 1] - g.start[v] + 2);
    const int32_t mark = static_cast<int32_t>(v) + 1;
    for (int32_t k = g.start[v]; k < g.start[v + 1]; ++k) {
      const Face& f = faces[g.corner[k] / 3];
      const int j = g.corner[k] % 3;
      for (int32_t w : {f.v[(j + 1) % 3], f.v[(j + 2) % 3]})
        if (seen[w] != mark) {
          seen[w] = mark;
          list.push_back(w);
        }
    }
  }
}

void CGeMesh::Need_Adjacentfaces() {
  if (!adjacentfaces.empty()) return;
  const size_t nv = vertices.size();
  std::vector<int32_t> count(nv, 0);
  for (const Face& f : faces)
    for (int32_t v : f.v) ++count[v];
  adjacentfaces.resize(nv);
  for (size_t v = 0; v < nv; ++v) adjacentfaces[v].reserve(count[v]);
  for (size_t i = 0; i < faces.size(); ++i)
    for (int32_t v : faces[i].v) adjacentfaces[v].push_back(static_cast<int32_t>(i));
}

void CGeMesh::Need_Across_Edge() {
  if (!across_edge.empty()) return;
  if (adjacentfaces.size() != vertices.size()) adjacentfaces.clear();
  Need_Adjacentfaces();
  across_edge.assign(faces.size(), Face{{-1, -1, -1}});
  for (size_t i = 0; i < faces.size(); ++i)
    for (int j = 0; j < 3; ++j) {
      if (across_edge[i][j] != -1) continue;
      const int32_t a = faces[i][(j + 1) % 3], b = faces[i][(j + 2) % 3];
      // Both lists are in face order, so the first qualifying face is the same in either; the
      // shorter one keeps high-valence vertices from turning this quadratic.
      const std::vector<int32_t>& la = adjacentfaces[a];
      const std::vector<int32_t>& lb = adjacentfaces[b];
      const bool fromA = la.size() <= lb.size();
      for (int32_t t : fromA ? la : lb) {
        if (t == static_cast<int32_t>(i)) continue;
        const int k = faces[t].indexof(a);
        // The shared edge must run b -> a in t: both faces wind alike.
        if (k < 0 || faces[t][(k + 2) % 3] != b) continue;
        across_edge[i][j] = t;
        across_edge[t][(k + 1) % 3] = static_cast<int32_t>(i);
        break;
      }
    }
}

// ---- edge list ----

// The same list the per-vertex edge lists of AddEdgeSect give (per smaller vertex, the edge met
// last first), but a vertex shared by many faces costs no list walk per edge.
void CGeMesh::GenEdgeTopo() {
  edges.clear();
  const size_t nv = vertices.size();
  // Edge occurrences (face * 3 + k: the edge from corner k to corner k + 1) grouped by their
  // smaller vertex, in the order they are met.
  std::vector<int32_t> start(nv + 1, 0);
  const auto ends = [&](size_t occ, int32_t& lo, int32_t& hi) {
    const Face& f = faces[occ / 3];
    const int32_t a = f.v[occ % 3], b = f.v[(occ + 1) % 3];
    lo = std::min(a, b);
    hi = std::max(a, b);
  };
  const size_t nocc = faces.size() * 3;
  int32_t lo, hi;
  for (size_t o = 0; o < nocc; ++o) {
    ends(o, lo, hi);
    ++start[lo + 1];
  }
  for (size_t v = 0; v < nv; ++v) start[v + 1] += start[v];
  std::vector<int32_t> byLo(nocc), fill(start.begin(), start.end() - 1);
  for (size_t o = 0; o < nocc; ++o) {
    ends(o, lo, hi);
    byLo[fill[lo]++] = hi;
  }
  std::vector<int32_t> seen(nv, 0);  // seen[hi] == lo + 1: edge lo-hi already listed
  edges.reserve(nocc / 2 + nv);
  for (size_t v = 0; v < nv; ++v) {
    const size_t first = edges.size();
    const int32_t mark = static_cast<int32_t>(v) + 1;
    for (int32_t k = start[v]; k < start[v + 1]; ++k)
      if (seen[byLo[k]] != mark) {
        seen[byLo[k]] = mark;
        edges.push_back({static_cast<int32_t>(v), byLo[k], {0, 0}});
      }
    std::reverse(edges.begin() + first, edges.end());
  }
}

void CGeMesh::AddEdgeSect(COppPnt** heads, int32_t* face, int flag) {
  AddEdgeSect(heads, face, face[0], face[1], flag);
  AddEdgeSect(heads, face, face[1], face[2], flag);
  AddEdgeSect(heads, face, face[2], face[0], flag);
}

void CGeMesh::AddEdgeSect(COppPnt** heads, int32_t* face, int a, int b, int flag) {
  const int lo = std::min(a, b), hi = std::max(a, b);
  for (COppPnt* node = heads[lo]; node; node = node->next)
    if (node->other == hi) {
      if (node->mark == static_cast<signed char>(flag)) return;
      break;
    }
  heads[lo] = new COppPnt{hi, face, 3, static_cast<signed char>(flag), heads[lo]};
}

int CGeMesh::FindEdge(uint32_t a, uint32_t b, uint32_t& index) {
  for (size_t i = 0; i < edges.size(); ++i) {
    const uint32_t e0 = static_cast<uint32_t>(edges[i].v0), e1 = static_cast<uint32_t>(edges[i].v1);
    if ((e0 == a && e1 == b) || (e0 == b && e1 == a)) {
      index = static_cast<uint32_t>(i);
      return 1;
    }
  }
  return 0;
}

int CGeMesh::GenFaceTopo(int perRow, int rows, bool closed) {
  if (vertices.empty()) return 0;
  faces.clear();
  // A layout larger than the vertex array would leave faces naming vertices that do not exist.
  if (rows < 2 || perRow < 1 || int64_t{perRow} * rows > static_cast<int64_t>(vertices.size()))
    return -1;
  faces.reserve(size_t(2) * (perRow - 1) * (rows - 1));
  for (int r = 0; r + 1 < rows; ++r) {
    const int s = r * perRow, t = s + perRow;
    for (int i = 0; i + 1 < perRow; ++i) {
      int n = s + i + 1, m = t + i + 1;
      if (closed && i == perRow - 2) {
        n = s;
        m = t;
      }
      faces.push_back({{s + i, n, t + i}});
      faces.push_back({{n, m, t + i}});
    }
  }
  return perRow;
}

// ---- normals ----

void CGeMesh::Need_FaceNormal() {
  facenormals.assign(faces.size(), CVector3d());
  for (size_t i = 0; i < faces.size(); ++i) {
    double p[3][3], n[3];
    for (int c = 0; c < 3; ++c) {
      const CPoint3d& v = vertices[faces[i][c]];
      p[c][0] = v.x;
      p[c][1] = v.y;
      p[c][2] = v.z;
    }
    TRI3_GetNormal(p[0], p[1], p[2], 1e-6, n);
    facenormals[i] = CVector3d(static_cast<float>(n[0]), static_cast<float>(n[1]), static_cast<float>(n[2]));
  }
}

void CGeMesh::Need_VertexNormals() {
  if (normals.size() == vertices.size()) return;
  normals.assign(vertices.size(), CVector3d());
  const auto sub = [](const CPoint3d& p, const CPoint3d& q) {
    return CVector3d(p.x - q.x, p.y - q.y, p.z - q.z);
  };
  const auto len2 = [](const CVector3d& v) { return v.x * v.x + v.y * v.y + v.z * v.z; };
  for (const Face& f : faces) {
    const CPoint3d &p0 = vertices[f[0]], &p1 = vertices[f[1]], &p2 = vertices[f[2]];
    const CVector3d a = sub(p0, p1), b = sub(p1, p2), c = sub(p2, p0);
    const float la = len2(a), lb = len2(b), lc = len2(c);
    if (la < 1e-6f || lb < 1e-6f || lc < 1e-6f) continue;
    // Twice the face area, weighted per corner by its two edges: exact on a sphere.
    const CVector3d n(a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x);
    const float w[3] = {1.0f / (la * lc), 1.0f / (lb * la), 1.0f / (lc * lb)};
    for (int k = 0; k < 3; ++k) {
      CVector3d& out = normals[f[k]];
      out.x += n.x * w[k];
      out.y += n.y * w[k];
      out.z += n.z * w[k];
    }
  }
  for (CVector3d& n : normals) n.Normalize();
}

// ---- triangle strips ----

namespace {

class StripBuilder {
 public:
  StripBuilder(const std::vector<CGeMesh::Face>& faces, const std::vector<CGeMesh::Face>& across,
               std::vector<int32_t>& out)
      : faces_(faces), across_(across), out_(out), avail_(faces.size()) {
    for (size_t f = 0; f < faces.size(); ++f) {
      int n = 0;
      for (int j = 0; j < 3; ++j) n += across[f][j] != -1;
      avail_[f] = static_cast<signed char>(n);
      if (n == 1) todo_.push_back(static_cast<int32_t>(f));
    }
  }

  void Run() {
    const int32_t nf = static_cast<int32_t>(faces_.size());
    for (int32_t cursor = 0; cursor < nf;) {
      int32_t f;
      if (!todo_.empty()) {
        f = todo_.back();
        todo_.pop_back();
      } else {
        f = cursor++;
      }
      if (avail_[f] >= 0) Strip(f);
    }
  }

 private:
  bool Used(int32_t f) const { return avail_[f] < 0; }

  // Appends one strip starting at f in the terminated encoding.
  void Strip(int32_t f) {
    const CGeMesh::Face* face = &faces_[f];
    if (avail_[f] == 0) {
      out_.insert(out_.end(), {face->v[0], face->v[1], face->v[2], -1});
      avail_[f] = -1;
      return;
    }
    // Prefer a corner whose across face leads on to a further unused face.
    int best = 0, bestScore = -1;
    for (int i = 0; i < 3; ++i) {
      int score = 0;
      const int32_t ae = across_[f][i];
      if (ae != -1 && !Used(ae)) {
        score = 1;
        const int k = faces_[ae].indexof(face->v[(i + 1) % 3]);
        const int32_t nae = k < 0 ? -1 : across_[ae][k];
        if (nae != -1 && !Used(nae)) score = avail_[ae] == 2 ? 3 : 2;
      }
      if (score > bestScore) {
        best = i;
        bestScore = score;
      }
    }
    int32_t last2 = face->v[best], last1 = face->v[(best + 1) % 3], next = face->v[(best + 2) % 3];
    int dir = 1;
    out_.push_back(last2);
    out_.push_back(last1);
    for (;;) {
      out_.push_back(next);
      avail_[f] = -1;
      for (int j = 0; j < 3; ++j) {
        const int32_t a = across_[f][j];
        if (a == -1) continue;
        if (avail_[a] > 0 && --avail_[a] == 1) todo_.push_back(a);
      }
      const int32_t nf = across_[f][faces_[f].indexof(last2)];
      if (nf == -1 || Used(nf)) break;
      f = nf;
      last2 = last1;
      last1 = next;
      next = faces_[f][(faces_[f].indexof(last2) + 3 + dir) % 3];
      dir = -dir;
    }
    out_.push_back(-1);
  }

  const std::vector<CGeMesh::Face>& faces_;
  const std::vector<CGeMesh::Face>& across_;
  std::vector<int32_t>& out_;
  std::vector<signed char> avail_;  // usable neighbours (0..3), -1 once in a strip
  std::vector<int32_t> todo_;
};

}  // namespace

void CGeMesh::Need_TStrips() {
  if (faces.empty() || !tstrips.empty()) return;
  if (across_edge.size() != faces.size()) across_edge.clear();
  Need_Across_Edge();
  tstrips.reserve(faces.size() * 2);
  StripBuilder(faces, across_edge, tstrips).Run();
  Convert_Strips(LEN);
}

void CGeMesh::Convert_Strips(tstrip_rep rep) {
  std::vector<int32_t>& s = tstrips;
  if (s.empty()) return;
  const size_t n = s.size();
  if (rep == TERM) {
    if (s.back() == -1) return;
    int32_t len = s[0];
    for (size_t i = 1; i < n; ++i) {
      if (len > 0) {
        s[i - 1] = s[i];
        --len;
      } else {
        s[i - 1] = -1;
        len = s[i];
      }
    }
    s[n - 1] = -1;
    return;
  }
  if (s.back() == -1) {
    int32_t len = 0;
    for (size_t i = n - 1; i-- > 0;) {
      if (s[i] == -1) {
        s[i + 1] = len;
        len = 0;
      } else {
        s[i + 1] = s[i];
        ++len;
      }
    }
    s[0] = len;
  }
  // Drop strips without a triangle and move single triangles behind the longer strips. A length
  // that runs past the end is cut at the end.
  std::vector<int32_t> singles;
  size_t write = 0;
  for (size_t at = 0; at < n;) {
    const size_t end = std::min(n, at + 1 + static_cast<size_t>(std::max(s[at], 0)));
    const size_t len = end - at - 1;
    if (len == 3) {
      singles.push_back(3);
      singles.insert(singles.end(), s.begin() + at + 1, s.begin() + end);
    } else if (len > 3) {
      s[write++] = static_cast<int32_t>(len);
      for (size_t i = at + 1; i < end; ++i) s[write++] = s[i];
    }
    at = end;
  }
  s.resize(write);
  s.insert(s.end(), singles.begin(), singles.end());
}

// ---- vertical projection ----

bool CGeMesh::ProjectZ(tagPoint3d pt, tagPoint3d) {
  const double p[3] = {pt.x, pt.y, pt.z}, top[3] = {pt.x, pt.y, pt.z + 100000.0};
  for (const Face& f : faces) {
    double c[3][3];
    _tagBox2D box{{1e300, 1e300}, {-1e300, -1e300}};
    for (int k = 0; k < 3; ++k) {
      const CPoint3d& v = vertices[f[k]];
      c[k][0] = v.x;
      c[k][1] = v.y;
      c[k][2] = v.z;
      for (int d = 0; d < 2; ++d) {
        box.min[d] = std::min(box.min[d], c[k][d]);
        box.max[d] = std::max(box.max[d], c[k][d]);
      }
    }
    if (BOX2D_IsPtIn(&box, p, 1e-6) && TRI3_IntSegment(c[0], c[1], c[2], p, top, 1e-6) == 1)
      return true;
  }
  return false;
}
