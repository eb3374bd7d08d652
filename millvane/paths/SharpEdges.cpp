#include "millvane/paths/SharpEdges.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numeric>
#include <utility>

namespace centre {

namespace {

int Find(std::vector<int>& parent, int i) {
  while (parent[i] != i) {
    parent[i] = parent[parent[i]];
    i = parent[i];
  }
  return i;
}

int CornerOf(const std::array<int, 3>& t, int v) { return t[0] == v ? 0 : t[1] == v ? 1 : 2; }

}  // namespace

void WeldVertices(std::vector<Pt3>& pos, std::vector<Pt3>& nrm, std::vector<std::array<int, 3>>& tris) {
  nrm.resize(pos.size(), Pt3{0, 0, 0});
  for (const Pt3& p : pos)
    if (!std::isfinite(p[0]) || !std::isfinite(p[1]) || !std::isfinite(p[2])) return;  // no order to weld by
  std::vector<int> order(pos.size());
  std::iota(order.begin(), order.end(), 0);
  std::sort(order.begin(), order.end(), [&pos](int a, int b) { return pos[a] != pos[b] ? pos[a] < pos[b] : a < b; });
  std::vector<int> to(pos.size());
  std::iota(to.begin(), to.end(), 0);
  bool any = false;
  for (size_t i = 1; i < order.size(); ++i)
    if (pos[order[i]] == pos[order[i - 1]]) {
      to[order[i]] = to[order[i - 1]];
      nrm[to[order[i]]] = {0, 0, 0};
      any = true;
    }
  if (!any) return;
  // The absorbed vertices go; the others keep their order.
  std::vector<int> index(pos.size(), -1);
  size_t n = 0;
  for (size_t i = 0; i < pos.size(); ++i)
    if (to[i] == static_cast<int>(i)) {
      index[i] = static_cast<int>(n);
      pos[n] = pos[i];
      nrm[n] = nrm[i];
      ++n;
    }
  pos.resize(n);
  nrm.resize(n);
  for (auto& t : tris)
    for (int& v : t) v = index[to[v]];
}

SplitMesh SplitSharpEdges(std::vector<Pt3> pos, std::vector<Pt3> nrm, std::vector<std::array<int, 3>> tris,
                          double angle, double lean) {
  const size_t nf = tris.size();
  nrm.resize(pos.size(), Pt3{0, 0, 0});
  // Area vectors (twice the area along the normal) and unit normals of the faces.
  std::vector<Pt3> area(nf), unit(nf);
  std::vector<char> valid(nf, 0);
  for (size_t f = 0; f < nf; ++f) {
    const Pt3 &a = pos[tris[f][0]], &b = pos[tris[f][1]], &c = pos[tris[f][2]];
    const double u[3] = {b[0] - a[0], b[1] - a[1], b[2] - a[2]};
    const double w[3] = {c[0] - a[0], c[1] - a[1], c[2] - a[2]};
    area[f] = {u[1] * w[2] - u[2] * w[1], u[2] * w[0] - u[0] * w[2], u[0] * w[1] - u[1] * w[0]};
    const double l = std::sqrt(area[f][0] * area[f][0] + area[f][1] * area[f][1] + area[f][2] * area[f][2]);
    if (l > 1e-12) {
      valid[f] = 1;
      unit[f] = {area[f][0] / l, area[f][1] / l, area[f][2] / l};
    }
  }
  // Edges keyed by their vertex pair, sorted so that the faces of one edge lie together.
  std::vector<std::pair<uint64_t, int>> edges;
  edges.reserve(3 * nf);
  for (size_t f = 0; f < nf; ++f)
    for (int k = 0; k < 3; ++k) {
      const uint64_t a = static_cast<uint32_t>(std::min(tris[f][k], tris[f][(k + 1) % 3]));
      const uint64_t b = static_cast<uint32_t>(std::max(tris[f][k], tris[f][(k + 1) % 3]));
      if (a != b) edges.push_back({(a << 32) | b, static_cast<int>(f)});
    }
  std::sort(edges.begin(), edges.end());
  // Corners (3 f + k) of one vertex joined across smooth edges form one fan. Joined edge by
  // edge, a fan could still turn by many small folds, and its offset along the averaged normal
  // would fall short of its outer faces: an edge joins only while every face of the fans it
  // joins at both of its ends stays within `lean` of their area-weighted normal.
  std::vector<int> parent(3 * nf);
  std::iota(parent.begin(), parent.end(), 0);
  std::vector<std::vector<int>> members(3 * nf);
  std::vector<Pt3> sum(3 * nf, Pt3{0, 0, 0});
  for (size_t c = 0; c < 3 * nf; ++c)
    if (valid[c / 3]) {
      members[c] = {static_cast<int>(c / 3)};
      sum[c] = area[c / 3];
    }
  const double minLean = std::cos(lean);
  const double minCos = std::cos(angle);
  auto dot = [&unit](int f, int g) {
    return unit[f][0] * unit[g][0] + unit[f][1] * unit[g][1] + unit[f][2] * unit[g][2];
  };
  struct Join {
    double cos;
    int f, g, v0, v1;
  };
  std::vector<Join> joins;
  for (size_t i = 0; i < edges.size();) {
    size_t j = i;
    while (j < edges.size() && edges[j].first == edges[i].first) ++j;
    if (j - i == 2) {
      const int f = edges[i].second, g = edges[i + 1].second;
      // A degenerate face has no normal to differ by: it never splits.
      const double c = valid[f] && valid[g] ? dot(f, g) : 2.0;
      if (c >= minCos)
        joins.push_back({c, f, g, static_cast<int>(edges[i].first >> 32),
                         static_cast<int>(edges[i].first & 0xffffffffu)});
    }
    i = j;
  }
  std::stable_sort(joins.begin(), joins.end(), [](const Join& a, const Join& b) { return a.cos > b.cos; });
  for (const Join& e : joins) {
    int roots[2][2];
    bool ok = true;
    for (int k = 0; k < 2 && ok; ++k) {
      const int v = k ? e.v1 : e.v0;
      roots[k][0] = Find(parent, 3 * e.f + CornerOf(tris[e.f], v));
      roots[k][1] = Find(parent, 3 * e.g + CornerOf(tris[e.g], v));
      if (roots[k][0] == roots[k][1]) continue;
      const Pt3 &sa = sum[roots[k][0]], &sb = sum[roots[k][1]];
      const Pt3 s{sa[0] + sb[0], sa[1] + sb[1], sa[2] + sb[2]};
      const double l = std::sqrt(s[0] * s[0] + s[1] * s[1] + s[2] * s[2]);
      if (l <= 1e-12) continue;
      for (int r : roots[k])
        for (int f : members[r])
          if ((unit[f][0] * s[0] + unit[f][1] * s[1] + unit[f][2] * s[2]) / l < minLean) ok = false;
    }
    if (!ok) continue;
    for (auto& r : roots) {
      if (r[0] == r[1]) continue;
      auto& from = members[r[0]];
      auto& to = members[r[1]];
      to.insert(to.end(), from.begin(), from.end());
      std::vector<int>().swap(from);
      for (int i = 0; i < 3; ++i) sum[r[1]][i] += sum[r[0]][i];
      parent[r[0]] = r[1];
    }
  }
  // Corners by vertex.
  std::vector<int> start(pos.size() + 1, 0);
  for (const auto& t : tris)
    for (int v : t) ++start[v + 1];
  std::partial_sum(start.begin(), start.end(), start.begin());
  std::vector<int> corners(3 * nf), fill(start.begin(), start.end() - 1);
  for (size_t f = 0; f < nf; ++f)
    for (int k = 0; k < 3; ++k) corners[fill[tris[f][k]]++] = static_cast<int>(3 * f + k);
  const size_t nv = pos.size();
  std::vector<std::pair<int, int>> fans;  // (root, index) of the current vertex
  for (size_t v = 0; v < nv; ++v) {
    fans.clear();
    for (int c = start[v]; c < start[v + 1]; ++c) {
      const int root = Find(parent, corners[c]);
      if (std::none_of(fans.begin(), fans.end(), [root](const auto& r) { return r.first == root; }))
        fans.push_back({root, fans.empty() ? static_cast<int>(v) : static_cast<int>(pos.size() + fans.size() - 1)});
    }
    const Pt3 zero{0, 0, 0};
    // A lone fan keeps its given normal while every face of the fan stays within the lean of it
    // too: the fan's faces were joined against their area-weighted normal, and a given normal
    // weighted otherwise (as by corner angles or edge lengths, which favour a few faces at a
    // mesh's open border) may lean further from some of them.
    bool keep = fans.size() == 1 && nrm[v] != zero;
    if (keep) {
      const Pt3& g = nrm[v];
      const double lg = std::sqrt(g[0] * g[0] + g[1] * g[1] + g[2] * g[2]);
      for (int c = start[v]; c < start[v + 1] && keep; ++c) {
        const int f = corners[c] / 3;
        if (valid[f] && (unit[f][0] * g[0] + unit[f][1] * g[1] + unit[f][2] * g[2]) < minLean * lg) keep = false;
      }
    }
    if (fans.size() < 2 && (fans.empty() || keep)) continue;
    const Pt3 p = pos[v], given = nrm[v];
    for (size_t k = 1; k < fans.size(); ++k) {
      pos.push_back(p);
      nrm.push_back(given);
    }
    for (const auto& [root, index] : fans) {
      double s[3] = {0, 0, 0};
      for (int c = start[v]; c < start[v + 1]; ++c)
        if (Find(parent, corners[c]) == root) {
          const int f = corners[c] / 3;
          tris[f][corners[c] % 3] = index;
          for (int i = 0; i < 3; ++i) s[i] += area[f][i];
        }
      const double l = std::sqrt(s[0] * s[0] + s[1] * s[1] + s[2] * s[2]);
      if (l > 1e-12) nrm[index] = {s[0] / l, s[1] / l, s[2] / l};
    }
  }
  return {std::move(pos), std::move(nrm), std::move(tris)};
}

bool IsCorner(const Pt3& a, const Pt3& b, const Pt3& c) {
  const double u[3] = {a[0] - b[0], a[1] - b[1], a[2] - b[2]};
  const double w[3] = {c[0] - b[0], c[1] - b[1], c[2] - b[2]};
  const double lu = std::sqrt(u[0] * u[0] + u[1] * u[1] + u[2] * u[2]);
  const double lw = std::sqrt(w[0] * w[0] + w[1] * w[1] + w[2] * w[2]);
  if (lu <= 1e-12 || lw <= 1e-12) return false;
  const double cosA = std::clamp((u[0] * w[0] + u[1] * w[1] + u[2] * w[2]) / (lu * lw), -1.0, 1.0);
  return std::acos(cosA) < 0.8 * 3.14159265358979323846;
}

}  // namespace centre
