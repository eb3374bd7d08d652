// Small meshes for the topology and processing tests, and a strip decoder.
#pragma once

#include <algorithm>
#include <cmath>
#include <vector>
#include <numbers>

#include "SurfTestUtil.h"
#include "support/VurodeFixture.h"

namespace meshtopotest {

// Cube [-h, h]^3: vertex bits x, y, z; two outward counter-clockwise triangles per side.
inline void FillCube(CGeMesh& m, float h) {
  m.vertices.clear();
  m.faces.clear();
  for (int v = 0; v < 8; ++v) m.vertices.emplace_back(v & 1 ? h : -h, v & 2 ? h : -h, v & 4 ? h : -h);
  const int quads[6][4] = {{0, 2, 3, 1}, {4, 5, 7, 6}, {0, 1, 5, 4},
                           {2, 6, 7, 3}, {0, 4, 6, 2}, {1, 3, 7, 5}};
  for (const auto& q : quads) {
    m.faces.push_back({{q[0], q[1], q[2]}});
    m.faces.push_back({{q[0], q[2], q[3]}});
  }
}

// Sphere of radius r about the origin: two poles and stacks - 1 rings of slices vertices, faces
// outward and counter-clockwise.
inline void FillSphere(CGeMesh& m, float r, int stacks, int slices) {
  m.vertices.clear();
  m.faces.clear();
  constexpr double pi = std::numbers::pi;
  m.vertices.emplace_back(0.0f, 0.0f, r);
  for (int i = 1; i < stacks; ++i)
    for (int j = 0; j < slices; ++j) {
      const double t = pi * i / stacks, p = 2 * pi * j / slices;
      m.vertices.emplace_back(static_cast<float>(r * std::sin(t) * std::cos(p)),
                              static_cast<float>(r * std::sin(t) * std::sin(p)),
                              static_cast<float>(r * std::cos(t)));
    }
  const int south = static_cast<int>(m.vertices.size());
  m.vertices.emplace_back(0.0f, 0.0f, -r);
  const auto ring = [&](int i, int j) { return 1 + (i - 1) * slices + (j % slices); };
  for (int j = 0; j < slices; ++j) m.faces.push_back({{0, ring(1, j), ring(1, j + 1)}});
  for (int i = 1; i + 1 < stacks; ++i)
    for (int j = 0; j < slices; ++j) {
      const int a = ring(i, j), b = ring(i, j + 1), c = ring(i + 1, j), d = ring(i + 1, j + 1);
      m.faces.push_back({{a, c, d}});
      m.faces.push_back({{a, d, b}});
    }
  for (int j = 0; j < slices; ++j) m.faces.push_back({{ring(stacks - 1, j), south, ring(stacks - 1, j + 1)}});
}

// Three faces on edge 0-1 (two wound one way, one the other), a face hanging off one of them,
// an isolated triangle and an unused vertex: boundaries and a non-manifold edge.
inline void FillNonManifold(CGeMesh& m) {
  m.vertices = {{0, 0, 0}, {1, 0, 0}, {0.5f, 1, 0}, {0.5f, -1, 0}, {0.5f, 0, 1},
                {1.5f, -1, 0}, {5, 5, 0}, {6, 5, 0}, {5, 6, 0}, {9, 9, 9}};
  m.faces = {{{0, 1, 2}}, {{1, 0, 3}}, {{0, 1, 4}}, {{1, 3, 5}}, {{6, 7, 8}}};
}

// Triangles of a length-prefixed strip list, each in its true winding.
inline std::vector<std::vector<int32_t>> DecodeStrips(const std::vector<int32_t>& s) {
  std::vector<std::vector<int32_t>> out;
  for (size_t at = 0; at < s.size(); at += s[at] + 1)
    for (int i = 0; i + 2 < s[at]; ++i) {
      const int32_t* v = &s[at + 1 + i];
      out.push_back(i % 2 ? std::vector<int32_t>{v[1], v[0], v[2]} : std::vector<int32_t>{v[0], v[1], v[2]});
    }
  return out;
}

// The triangle rotated so its smallest index leads; the winding is kept.
inline std::vector<int32_t> Canonical(std::vector<int32_t> t) {
  std::rotate(t.begin(), std::min_element(t.begin(), t.end()), t.end());
  return t;
}

}  // namespace meshtopotest
