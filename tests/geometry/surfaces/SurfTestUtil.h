// Helpers shared by the surface tests: archive byte capture and round trips, and a height-field
// mesh with known vertices.
#pragma once

#include <cstring>
#include <functional>
#include <vector>

#include "geometry/surfaces/GeMesh.h"
#include "support/ArchiveBytes.h"

namespace surftest {

using archive_bytes::Load;
using archive_bytes::Put;
using archive_bytes::Store;

// Stores the object through the persistent-object format and loads it back (caller owns it).
inline CObject* RoundTrip(const CObject* ob) {
  CObject* loaded = nullptr;
  Load(Store([&](CArchive& ar) { ar << ob; }), [&](CArchive& ar) { ar >> loaded; });
  return loaded;
}

// n x n vertices on the unit-spaced grid over [0, n-1]^2 with z = height(x, y); two
// counter-clockwise triangles per cell.
inline void FillGrid(CGeMesh& mesh, int n, const std::function<float(float, float)>& height) {
  for (int j = 0; j < n; ++j)
    for (int i = 0; i < n; ++i) {
      const float x = static_cast<float>(i), y = static_cast<float>(j);
      mesh.vertices.emplace_back(x, y, height(x, y));
    }
  for (int j = 0; j + 1 < n; ++j)
    for (int i = 0; i + 1 < n; ++i) {
      const int a = j * n + i, b = a + 1, c = a + n, d = c + 1;
      mesh.faces.push_back({{a, b, d}});
      mesh.faces.push_back({{a, d, c}});
    }
}

}  // namespace surftest
