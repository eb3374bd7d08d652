// Meshes with closed-form cutter contact heights, shared by the NC polyline tests and bench.
#pragma once

#include <cmath>
#include <memory>
#include <numbers>

#include "geometry/surfaces/GeMesh.h"
#include "millvane/paths/MillModel.h"
#include "millvane/paths/NcMesh.h"
#include "platform/vurode/Tool.h"

namespace nctest {

// z = slope * x over [-half, half]^2, n x n cells of two triangles each.
inline std::unique_ptr<CGeMesh> TiltedPlane(double slope, double half, int n) {
  auto m = std::make_unique<CGeMesh>();
  for (int j = 0; j <= n; ++j)
    for (int i = 0; i <= n; ++i) {
      const double x = -half + 2 * half * i / n, y = -half + 2 * half * j / n;
      m->vertices.emplace_back(float(x), float(y), float(slope * x));
    }
  for (int j = 0; j < n; ++j)
    for (int i = 0; i < n; ++i) {
      const int a = j * (n + 1) + i, b = a + 1, c = a + n + 1, d = c + 1;
      m->faces.push_back(CGeMesh::Face{{a, b, d}});
      m->faces.push_back(CGeMesh::Face{{a, d, c}});
    }
  return m;
}

// Upper hemisphere of radius r about the origin: `rings` latitude bands, `seg` longitudes.
inline std::unique_ptr<CGeMesh> Hemisphere(double r, int rings, int seg) {
  auto m = std::make_unique<CGeMesh>();
  m->vertices.emplace_back(0.f, 0.f, float(r));
  for (int k = 1; k <= rings; ++k) {
    const double phi = std::numbers::pi / 2 * k / rings;
    for (int s = 0; s < seg; ++s) {
      const double th = 2 * std::numbers::pi * s / seg;
      m->vertices.emplace_back(float(r * std::sin(phi) * std::cos(th)), float(r * std::sin(phi) * std::sin(th)),
                               float(r * std::cos(phi)));
    }
  }
  auto at = [seg](int k, int s) { return 1 + (k - 1) * seg + (s % seg); };
  for (int s = 0; s < seg; ++s) m->faces.push_back(CGeMesh::Face{{0, at(1, s), at(1, s + 1)}});
  for (int k = 1; k < rings; ++k)
    for (int s = 0; s < seg; ++s) {
      m->faces.push_back(CGeMesh::Face{{at(k, s), at(k + 1, s), at(k + 1, s + 1)}});
      m->faces.push_back(CGeMesh::Face{{at(k, s), at(k + 1, s + 1), at(k, s + 1)}});
    }
  return m;
}

// A model of one mesh prepared for the tool, with its whole extent marked as region.
inline std::unique_ptr<CMillModel> ModelOf(std::initializer_list<CGeMesh*> meshes, CTool* tool,
                                           double lowDepth) {
  auto model = std::make_unique<CMillModel>();
  for (CGeMesh* mesh : meshes) {
    auto* nm = new CNcMesh;
    nm->Init(mesh);
    model->meshes.push_back(nm);
  }
  model->SetTool(tool);
  model->SetMillDepth(0.0, lowDepth);
  _tagBox3D b;
  model->GetBox(b);
  model->Mark_Box2D(_tagBox2D{{b.min[0], b.min[1]}, {b.max[0], b.max[1]}});
  return model;
}

}  // namespace nctest
