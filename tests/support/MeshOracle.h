// Oracle kit for the toolpath tests: triangle meshes of known shape, a brute-force drop-cutter
// over every triangle (no candidate lists, no boxes), a gouge checker that samples every path
// segment finely and a coverage checker. Header only, so that it needs no link of its own.
#pragma once

#include <algorithm>
#include <cmath>
#include <functional>
#include <memory>
#include <vector>

#include "geometry/surfaces/GeMesh.h"
#include "platform/vurode/Tool.h"

namespace oracle {

struct P3 {
  double x, y, z;
};

inline constexpr double kPi = 3.14159265358979323846;

// Grid mesh of z = f(x, y) over [x0, x1] x [y0, y1], nx by ny cells, two triangles per cell,
// counter-clockwise seen from above.
inline std::unique_ptr<CGeMesh> HeightField(double x0, double y0, double x1, double y1, int nx, int ny,
                                            const std::function<double(double, double)>& f) {
  auto m = std::make_unique<CGeMesh>();
  for (int j = 0; j <= ny; ++j)
    for (int i = 0; i <= nx; ++i) {
      const double x = x0 + (x1 - x0) * i / nx, y = y0 + (y1 - y0) * j / ny;
      m->vertices.emplace_back(static_cast<float>(x), static_cast<float>(y), static_cast<float>(f(x, y)));
    }
  for (int j = 0; j < ny; ++j)
    for (int i = 0; i < nx; ++i) {
      const int a = j * (nx + 1) + i, b = a + 1, c = a + nx + 2, d = a + nx + 1;
      m->faces.push_back({{a, b, c}});
      m->faces.push_back({{a, c, d}});
    }
  m->CalcBox();
  return m;
}

inline std::unique_ptr<CGeMesh> Plane(double size, double z, int n = 4) {
  return HeightField(-size / 2, -size / 2, size / 2, size / 2, n, n, [z](double, double) { return z; });
}

// z = z0 + x tan(theta): a plane sloping along x.
inline std::unique_ptr<CGeMesh> TiltedPlane(double size, double theta, double z0 = 0, int n = 4) {
  const double t = std::tan(theta);
  return HeightField(-size / 2, -size / 2, size / 2, size / 2, n, n, [=](double x, double) { return z0 + x * t; });
}

// Vertices on the sphere of radius s about (cx, cy, cz); nu around, nv from pole to pole
// (only the upper half when upper is set).
inline std::unique_ptr<CGeMesh> SphereMesh(double s, double cx, double cy, double cz, int nu, int nv, bool upper) {
  auto m = std::make_unique<CGeMesh>();
  const double v1 = upper ? kPi / 2 : kPi;
  // Ring k at polar angle k v1 / nv; the pole is one vertex.
  m->vertices.emplace_back(static_cast<float>(cx), static_cast<float>(cy), static_cast<float>(cz + s));
  for (int k = 1; k <= nv; ++k) {
    const double phi = v1 * k / nv;
    if (!upper && k == nv) break;
    for (int i = 0; i < nu; ++i) {
      const double th = 2 * kPi * i / nu;
      m->vertices.emplace_back(static_cast<float>(cx + s * std::sin(phi) * std::cos(th)),
                               static_cast<float>(cy + s * std::sin(phi) * std::sin(th)),
                               static_cast<float>(cz + s * std::cos(phi)));
    }
  }
  const int rings = upper ? nv : nv - 1;
  auto ring = [nu](int k, int i) { return 1 + (k - 1) * nu + ((i % nu) + nu) % nu; };
  for (int i = 0; i < nu; ++i) m->faces.push_back({{0, ring(1, i), ring(1, i + 1)}});
  for (int k = 1; k < rings; ++k)
    for (int i = 0; i < nu; ++i) {
      m->faces.push_back({{ring(k, i), ring(k + 1, i), ring(k + 1, i + 1)}});
      m->faces.push_back({{ring(k, i), ring(k + 1, i + 1), ring(k, i + 1)}});
    }
  if (!upper) {
    const int south = static_cast<int>(m->vertices.size());
    m->vertices.emplace_back(static_cast<float>(cx), static_cast<float>(cy), static_cast<float>(cz - s));
    for (int i = 0; i < nu; ++i) m->faces.push_back({{ring(rings, i), south, ring(rings, i + 1)}});
  }
  m->CalcBox();
  return m;
}

inline std::unique_ptr<CGeMesh> Sphere(double s, int nu = 48, int nv = 24) { return SphereMesh(s, 0, 0, 0, nu, nv, false); }
inline std::unique_ptr<CGeMesh> Hemisphere(double s, int nu = 48, int nv = 12) { return SphereMesh(s, 0, 0, 0, nu, nv, true); }

// Closed box [-a, a] x [-b, b] x [0, h], outward winding.
inline std::unique_ptr<CGeMesh> Box(double a, double b, double h) {
  auto m = std::make_unique<CGeMesh>();
  for (int k = 0; k < 8; ++k)
    m->vertices.emplace_back(static_cast<float>(k & 1 ? a : -a), static_cast<float>(k & 2 ? b : -b),
                             static_cast<float>(k & 4 ? h : 0));
  const int q[6][4] = {{0, 2, 3, 1}, {4, 5, 7, 6}, {0, 1, 5, 4}, {2, 6, 7, 3}, {0, 4, 6, 2}, {1, 3, 7, 5}};
  for (const auto& f : q) {
    m->faces.push_back({{f[0], f[1], f[2]}});
    m->faces.push_back({{f[0], f[2], f[3]}});
  }
  m->CalcBox();
  return m;
}

// Closed cylinder of radius s about the z axis over [0, h], n sides, outward winding.
inline std::unique_ptr<CGeMesh> Cylinder(double s, double h, int n) {
  auto m = std::make_unique<CGeMesh>();
  m->vertices.emplace_back(0.0f, 0.0f, 0.0f);
  m->vertices.emplace_back(0.0f, 0.0f, static_cast<float>(h));
  for (double z : {0.0, h})
    for (int i = 0; i < n; ++i)
      m->vertices.emplace_back(static_cast<float>(s * std::cos(2 * kPi * i / n)),
                               static_cast<float>(s * std::sin(2 * kPi * i / n)), static_cast<float>(z));
  for (int i = 0; i < n; ++i) {
    const int b0 = 2 + i, b1 = 2 + (i + 1) % n, t0 = b0 + n, t1 = b1 + n;
    m->faces.push_back({{1, t0, t1}});
    m->faces.push_back({{0, b1, b0}});
    m->faces.push_back({{b0, b1, t1}});
    m->faces.push_back({{b0, t1, t0}});
  }
  m->CalcBox();
  return m;
}

// Closed prism along y over [-l, l]: the triangle (-w, 0), (w, 0), (0, h) in XZ, a ridge on top.
inline std::unique_ptr<CGeMesh> Wedge(double w, double l, double h) {
  auto m = std::make_unique<CGeMesh>();
  for (double y : {-l, l}) {
    m->vertices.emplace_back(static_cast<float>(-w), static_cast<float>(y), 0.0f);
    m->vertices.emplace_back(static_cast<float>(w), static_cast<float>(y), 0.0f);
    m->vertices.emplace_back(0.0f, static_cast<float>(y), static_cast<float>(h));
  }
  const int f[8][3] = {{0, 3, 4}, {0, 4, 1}, {1, 4, 5}, {1, 5, 2}, {0, 2, 5}, {0, 5, 3}, {0, 1, 2}, {3, 5, 4}};
  for (const auto& t : f) m->faces.push_back({{t[0], t[1], t[2]}});
  m->CalcBox();
  return m;
}

// The faces of Box(a, b, h) as six meshes of their own.
inline std::vector<std::unique_ptr<CGeMesh>> BoxFaces(double a, double b, double h) {
  auto box = Box(a, b, h);
  std::vector<std::unique_ptr<CGeMesh>> out;
  for (int f = 0; f < 6; ++f) {
    auto m = std::make_unique<CGeMesh>();
    std::vector<int> local(box->vertices.size(), -1);
    for (int t = 0; t < 2; ++t) {
      CGeMesh::Face face{};
      for (int k = 0; k < 3; ++k) {
        const int g = box->faces[2 * f + t].v[k];
        if (local[g] < 0) {
          local[g] = static_cast<int>(m->vertices.size());
          m->vertices.push_back(box->vertices[g]);
        }
        face.v[k] = local[g];
      }
      m->faces.push_back(face);
    }
    m->CalcBox();
    out.push_back(std::move(m));
  }
  return out;
}

// The same triangles, each with three vertices of its own (as read from a file of loose
// triangles).
inline std::unique_ptr<CGeMesh> Soup(const CGeMesh& m) {
  auto out = std::make_unique<CGeMesh>();
  for (const auto& f : m.faces) {
    CGeMesh::Face g{};
    for (int k = 0; k < 3; ++k) {
      g.v[k] = static_cast<int>(out->vertices.size());
      out->vertices.push_back(m.vertices[f.v[k]]);
    }
    out->faces.push_back(g);
  }
  out->CalcBox();
  return out;
}

// V-groove along y: z = |x| tan(theta) over [-w, w] x [-l, l].
inline std::unique_ptr<CGeMesh> VGroove(double w, double l, double theta, int n = 8) {
  const double t = std::tan(theta);
  return HeightField(-w, -l, w, l, 2 * n, n, [t](double x, double) { return std::fabs(x) * t; });
}

// z = amp sin(x / wave) cos(y / wave), a smooth terrain.
inline std::unique_ptr<CGeMesh> WavyGrid(double size, int n, double amp = 2.0, double wave = 3.0) {
  return HeightField(-size / 2, -size / 2, size / 2, size / 2, n, n,
                     [=](double x, double y) { return amp * std::sin(x / wave) * std::cos(y / wave); });
}

inline P3 Vtx(const CGeMesh& m, int i) { return {m.vertices[i].x, m.vertices[i].y, m.vertices[i].z}; }

// Highest tip height at (x, y) touching one triangle; -1e300 when it cannot touch. Without a
// cutter, the triangle's own height (closed triangle, a small tolerance on its sides).
inline double DropTriangle(const P3& a, const P3& b, const P3& c, CTool* tool, double x, double y) {
  double n[3] = {(b.y - a.y) * (c.z - a.z) - (b.z - a.z) * (c.y - a.y), (b.z - a.z) * (c.x - a.x) - (b.x - a.x) * (c.z - a.z),
                 (b.x - a.x) * (c.y - a.y) - (b.y - a.y) * (c.x - a.x)};
  const double l = std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]);
  double best = -1e300;
  if (l > 1e-12) {
    for (double& v : n) v /= l;
    if (n[2] < 0)
      for (double& v : n) v = -v;
    double off[3] = {0, 0, 0};
    if (tool) tool->Eval_FacetCC_OffVec(n, off);
    // Contact point inside the triangle (barycentric in XY, closed).
    const double px = x - off[0], py = y - off[1];
    const double det = (b.x - a.x) * (c.y - a.y) - (c.x - a.x) * (b.y - a.y);
    if (std::fabs(det) > 1e-14) {
      const double u = ((px - a.x) * (c.y - a.y) - (c.x - a.x) * (py - a.y)) / det;
      const double v = ((b.x - a.x) * (py - a.y) - (px - a.x) * (b.y - a.y)) / det;
      const double e = 1e-9;
      if (u >= -e && v >= -e && u + v <= 1 + e) best = a.z + u * (b.z - a.z) + v * (c.z - a.z) + off[2];
    }
  }
  if (tool) {
    const P3* p[3] = {&a, &b, &c};
    for (int k = 0; k < 3; ++k) {
      const double A[3] = {p[k]->x, p[k]->y, p[k]->z};
      const double B[3] = {p[(k + 1) % 3]->x, p[(k + 1) % 3]->y, p[(k + 1) % 3]->z};
      best = std::max({best, tool->Zval_VertCC(A, x, y), tool->Zval_EdgeCC(A, B, x, y)});
    }
  }
  return best;
}

// Brute force over every triangle of every mesh.
inline double DropHeight(const std::vector<const CGeMesh*>& meshes, CTool* tool, double x, double y) {
  double best = -1e300;
  for (const CGeMesh* m : meshes)
    for (const auto& f : m->faces)
      best = std::max(best, DropTriangle(Vtx(*m, f.v[0]), Vtx(*m, f.v[1]), Vtx(*m, f.v[2]), tool, x, y));
  return best;
}

// Slope of the drop surface at (x, y), by central differences over h.
inline double DropSlope(const std::vector<const CGeMesh*>& meshes, CTool* tool, double x, double y, double h = 0.01) {
  auto d = [&](double u, double v) { return DropHeight(meshes, tool, u, v); };
  return std::hypot(d(x + h, y) - d(x - h, y), d(x, y + h) - d(x, y - h)) / (2 * h);
}

struct GougeReport {
  double worstBelow = 0;   // largest (drop height - path z) over all samples
  double worstAbove = 0;   // largest (path z - drop height)
  size_t samples = 0;
  P3 at{0, 0, 0};          // where worstBelow was found
  P3 atAbove{0, 0, 0};     // where worstAbove was found
  size_t nAbove = 0;       // samples standing more than aboveTol over the surface
};

// Samples every segment of the polyline every `step` (and its ends); samples where nothing is
// under the cutter are not counted. Heights above are measured against the drop height raised
// to `floor` (a path clamped at a bottom depth stands there, not on the drop height), and the
// highest drop within `reach` along the segment: where the drop height rises steeply a path
// point off by a hair sideways is as good as on it.
inline GougeReport CheckGouge(const std::vector<P3>& path, const std::vector<const CGeMesh*>& meshes, CTool* tool,
                              double step, double floor = -1e300, double reach = 0.0, double aboveTol = 0.02) {
  GougeReport r;
  auto visit = [&](const P3& p, double ux, double uy) {
    const double h = DropHeight(meshes, tool, p.x, p.y);
    if (h <= kToolNoContact / 2) return;  // nothing under the cutter here
    ++r.samples;
    if (h - p.z > r.worstBelow) {
      r.worstBelow = h - p.z;
      r.at = p;
    }
    double top = std::max(h, floor);
    if (reach > 0)
      for (double s : {-reach, reach}) top = std::max(top, DropHeight(meshes, tool, p.x + s * ux, p.y + s * uy));
    if (p.z - top > aboveTol) ++r.nAbove;
    if (p.z - top > r.worstAbove) {
      r.worstAbove = p.z - top;
      r.atAbove = p;
    }
  };
  if (path.size() == 1) visit(path[0], 1, 0);
  double ux = 1, uy = 0;
  for (size_t i = 0; i + 1 < path.size(); ++i) {
    const P3 &a = path[i], &b = path[i + 1];
    const double len = std::sqrt((b.x - a.x) * (b.x - a.x) + (b.y - a.y) * (b.y - a.y) + (b.z - a.z) * (b.z - a.z));
    const double lxy = std::hypot(b.x - a.x, b.y - a.y);
    if (lxy > 1e-12) ux = (b.x - a.x) / lxy, uy = (b.y - a.y) / lxy;
    const int n = std::max(1, static_cast<int>(std::ceil(len / step)));
    for (int k = 0; k < n; ++k) {
      const double f = static_cast<double>(k) / n;
      visit({a.x + f * (b.x - a.x), a.y + f * (b.y - a.y), a.z + f * (b.z - a.z)}, ux, uy);
    }
  }
  if (!path.empty()) visit(path.back(), ux, uy);
  return r;
}

// Fraction of the grid points of [x0, x1] x [y0, y1] (spacing h) lying within reach (XY) of
// some path segment.
inline double Coverage(const std::vector<std::vector<P3>>& paths, double x0, double y0, double x1, double y1, double h,
                       double reach) {
  size_t in = 0, all = 0;
  for (double y = y0; y <= y1 + 1e-9; y += h)
    for (double x = x0; x <= x1 + 1e-9; x += h) {
      ++all;
      bool hit = false;
      for (const auto& p : paths) {
        for (size_t i = 0; i + 1 < p.size() && !hit; ++i) {
          const double ex = p[i + 1].x - p[i].x, ey = p[i + 1].y - p[i].y, l2 = ex * ex + ey * ey;
          double t = l2 > 0 ? ((x - p[i].x) * ex + (y - p[i].y) * ey) / l2 : 0;
          t = std::clamp(t, 0.0, 1.0);
          hit = std::hypot(p[i].x + t * ex - x, p[i].y + t * ey - y) <= reach;
        }
        if (hit) break;
      }
      in += hit;
    }
  return all ? static_cast<double>(in) / all : 0.0;
}

}  // namespace oracle
