#include "geometry/grid/GridSrf.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>

#include "geometry/shapes3d/GePolyline3d.h"
#include "platform/numora/Numora.h"
#include "platform/vurode/MemPool.h"

namespace {

constexpr double kSectionTol = 0.0001;

struct GridDeleter {
  void operator()(CTGrid<float>* g) const {
    g->Release();
    delete g;
  }
};
using GridPtr = std::unique_ptr<CTGrid<float>, GridDeleter>;

// Union of the boxes the meshes hold; false when the list holds no mesh with a box.
bool MeshListBox(CGeMeshList& meshes, _tagBox3D* box) {
  BOX3D_Init0(box);
  bool any = false;
  for (POSITION pos = meshes.GetHeadPosition(); pos;) {
    CGeMesh* mesh = meshes.GetNext(pos);
    if (!mesh) continue;
    _tagBox3D b;
    mesh->GetBox(&b);
    if (b.max[0] < b.min[0]) continue;
    BOX3D_Union(box, &b);
    any = true;
  }
  return any;
}

// Node count along one side (trunc(extent / step) + 1), or 0 when it cannot be a grid size.
int NodeCount(double extent, double step) {
  if (!(step > 0) || !std::isfinite(step) || !(extent >= 0)) return 0;
  const double n = std::trunc(extent / step) + 1;
  if (!(n <= double(GE_GRID_MAX_NODES))) return 0;
  return int(n);
}

GridPtr NewGrid(float ox, float oy, float dx, float dy, int cols, int rows) {
  if (cols <= 0 || rows <= 0) return nullptr;
  GridPtr grid(new CTGrid<float>);
  const float origin[2] = {ox, oy};
  if (!grid->Create(origin, dx, dy, cols, rows)) {
    delete grid.release();
    return nullptr;
  }
  return grid;
}

// Visits every face of every mesh as three corner pointers.
template <class F>
void ForEachFace(CGeMeshList& meshes, F&& f) {
  for (POSITION pos = meshes.GetHeadPosition(); pos;) {
    CGeMesh* mesh = meshes.GetNext(pos);
    if (!mesh) continue;
    const int nv = int(mesh->vertices.size());
    for (const CGeMesh::Face& face : mesh->faces) {
      if (face[0] < 0 || face[1] < 0 || face[2] < 0 || face[0] >= nv || face[1] >= nv ||
          face[2] >= nv)
        continue;  // a broken index must not read outside the vertex array
      f(mesh->vertices[face[0]], mesh->vertices[face[1]], mesh->vertices[face[2]]);
    }
  }
}

constexpr int kEdges[3][2] = {{0, 1}, {1, 2}, {0, 2}};

}  // namespace

CTGrid<float>* geGetGridSrf(CGeMeshList& meshes, float dx, float dy, float margin) {
  _tagBox3D box;
  if (!MeshListBox(meshes, &box)) return nullptr;
  const float ox = float(box.min[0]) - margin;
  const float oy = float(box.min[1]) - margin;
  const int cols = NodeCount(box.max[0] - box.min[0] + 2.0 * margin, dx);
  const int rows = NodeCount(box.max[1] - box.min[1] + 2.0 * margin, dy);
  GridPtr grid = NewGrid(ox, oy, dx, dy, cols, rows);
  if (!grid) return nullptr;
  CTGrid<float>& g = *grid;
  const float tol = float(kSectionTol);

  ForEachFace(meshes, [&](const CPoint3d& a, const CPoint3d& b, const CPoint3d& c) {
    const CPoint3d* p[3] = {&a, &b, &c};
    const float xmin = std::min({a.x, b.x, c.x});
    const float xmax = std::max({a.x, b.x, c.x});
    const float ztop = std::max({a.z, b.z, c.z});
    const int j1 = g.Index(xmax, 0);
    for (int j = g.Index(xmin, 0); j <= j1; ++j) {
      const float xj = g.m_X[j];
      if (xj < xmin || xj > xmax) continue;
      float ylo = 3.4028233e21f, yhi = -3.4028233e21f, zlo = 0, zhi = 0;
      auto take = [&](float y, float z) {
        if (y < ylo) ylo = y, zlo = z;
        if (y > yhi) yhi = y, zhi = z;
      };
      for (const auto& e : kEdges) {
        const CPoint3d& s = *p[e[0]];
        const CPoint3d& t = *p[e[1]];
        if (std::min(s.x, t.x) > xj + tol || std::max(s.x, t.x) < xj - tol) continue;
        if (std::fabs(t.x - s.x) > tol) {
          const float k = (xj - s.x) / (t.x - s.x);
          take(s.y + k * (t.y - s.y), s.z + k * (t.z - s.z));
        } else {
          take(s.y, s.z);
          take(t.y, t.z);
        }
      }
      if (yhi - ylo <= tol) continue;
      const float slope = (zhi - zlo) / (yhi - ylo);
      const int i1 = g.Index(yhi, 1);
      for (int i = g.Index(ylo, 1); i <= i1; ++i) {
        const float yi = g.m_Y[i];
        if (yi < ylo - tol || yi > yhi + tol) continue;
        float& h = g.m_pHeight[i][j];
        if (ztop <= h) continue;
        const float z = zlo + (yi - ylo) * slope;
        if (z > h) h = z;
      }
    }
  });
  return grid.release();
}

CTGrid<float>* geGetFloatGridSrf(CGeMeshList& meshes, float dx, float dy, float margin) {
  _tagBox3D box;
  if (!MeshListBox(meshes, &box)) return nullptr;
  BOX3D_Expand(margin, &box);
  const int cols = NodeCount(box.max[0] - box.min[0], dx);
  const int rows = NodeCount(box.max[1] - box.min[1], dy);
  GridPtr grid = NewGrid(float(box.min[0]), float(box.min[1]), dx, dy, cols, rows);
  if (!grid) return nullptr;
  CTGrid<float>& g = *grid;
  const float floor = float(box.min[2]);
  g.m_Base = floor;
  for (int i = 0; i < g.m_nRows; ++i) std::fill_n(g.m_pHeight[i], g.m_nCols, floor);

  ForEachFace(meshes, [&](const CPoint3d& a, const CPoint3d& b, const CPoint3d& c) {
    const double p[3][3] = {{a.x, a.y, a.z}, {b.x, b.y, b.z}, {c.x, c.y, c.z}};
    const double xmin = std::min({p[0][0], p[1][0], p[2][0]});
    const double xmax = std::max({p[0][0], p[1][0], p[2][0]});
    const double ymin = std::min({p[0][1], p[1][1], p[2][1]});
    const double ymax = std::max({p[0][1], p[1][1], p[2][1]});
    const double ztop = std::max({p[0][2], p[1][2], p[2][2]});
    const int firstRow = g.Index(ymin, 1), lastRow = g.Index(ymax, 1);
    const int j1 = g.Index(xmax, 0);
    for (int j = g.Index(xmin, 0); j <= j1; ++j) {
      const double xj = g.m_X[j];
      double lo = g.m_Y[lastRow], hi = g.m_Y[firstRow];
      for (const auto& e : kEdges) {
        const double* s = p[e[0]];
        const double* t = p[e[1]];
        if (std::min(s[0], t[0]) > xj + kSectionTol || std::max(s[0], t[0]) < xj - kSectionTol)
          continue;
        const double y = std::fabs(t[0] - s[0]) > kSectionTol
                             ? s[1] + (xj - s[0]) / (t[0] - s[0]) * (t[1] - s[1])
                             : s[1];
        if (y < lo) lo = y - kSectionTol;
        if (y > hi) hi = y + kSectionTol;
      }
      const int i1 = g.Index(hi, 1);
      for (int i = g.Index(lo, 1); i <= i1; ++i) {
        float& h = g.m_pHeight[i][j];
        if (!(h < ztop)) continue;
        const double origin[3] = {xj, g.m_Y[i], floor};
        double hit[3];
        if (TRI3_IntZRay(p[0], p[1], p[2], origin, 0.01, hit) == 1 && hit[2] > h)
          h = float(hit[2]);
      }
    }
  });
  return grid.release();
}

int CGeMesh::Create(CTGrid<float>* grid) {
  if (!grid) return 0;
  const int cols = grid->m_nCols, rows = grid->m_nRows;
  vertices.reserve(vertices.size() + size_t(cols) * size_t(rows));
  for (int i = 0; i < rows; ++i)
    for (int j = 0; j < cols; ++j)
      vertices.emplace_back(grid->m_X[j], grid->m_Y[i], grid->m_pHeight[i][j]);
  for (int i = 1; i < rows; ++i)
    for (int j = 1; j < cols; ++j) {
      const int k = (i - 1) * cols + (j - 1);
      faces.push_back({{k, k + 1, k + cols + 1}});
      faces.push_back({{k, k + cols + 1, k + cols}});
    }
  Need_VertexNormals();
  CalcBox();
  return 1;
}

namespace {

// Parameter steps within tolerance 0.02, capped at 0.02; false when none can be had.
bool SampleSteps(const _nurbs_surface* srf, double& du, double& dv) {
  if (!srf || !BSRF_GetMaxiStepLin(srf, 0.02, &du, &dv)) return false;
  // A zero or invalid step would never reach the far edge.
  if (!(du > 0) || !(dv > 0)) return false;
  du = std::min(du, 0.02);
  dv = std::min(dv, 0.02);
  // A surface so large that its steps would ask for more samples than a grid may hold fails
  // instead of exhausting memory.
  return (1 / du + 2) * (1 / dv + 2) <= double(GE_GRID_MAX_NODES);
}

// 0, step, 2 step, ... by repeated addition; a value at or above 1 becomes 1 and ends the list.
std::vector<double> SampleParams(double step) {
  std::vector<double> t;
  for (double s = 0;; s += step) {
    if (s >= 1) {
      t.push_back(1);
      break;
    }
    t.push_back(s);
  }
  return t;
}

// Six iso polylines each way: constant v into the V list first, then constant u into the U
// list, each sampled at the other direction's steps.
void AddWireframe(CGeMesh* mesh, const _nurbs_surface* srf, double du, double dv) {
  for (int dir = 0; dir < 2; ++dir) {
    const double step = dir == 0 ? du : dv;
    const std::vector<double> along = SampleParams(step);
    const size_t bytes = size_t(std::trunc(1 / step + 10)) * 24;
    auto* pts = static_cast<double(*)[3]>(gAlcMemPool(std::max(bytes, along.size() * 24)));
    if (!pts) continue;
    CGeCurve3dList& list = dir == 0 ? mesh->m_VIsoCurveList : mesh->m_UIsoCurveList;
    for (double w = 0; w <= 1; w += 0.2) {
      for (size_t k = 0; k < along.size(); ++k)
        if (dir == 0)
          BSRF_EvPos(srf, along[k], w, pts[k]);
        else
          BSRF_EvPos(srf, w, along[k], pts[k]);
      auto* pl = new CGePolyline3d;
      pl->Create(int(along.size()), pts);
      list.AddTail(pl);
    }
    gFreMemPool();
  }
}

}  // namespace

CGeMesh* geToMesh(_nurbs_surface* srf) {
  double du, dv;
  if (!SampleSteps(srf, du, dv)) return nullptr;
  const std::vector<double> us = SampleParams(du), vs = SampleParams(dv);
  const int C = int(us.size()), R = int(vs.size());
  auto mesh = std::make_unique<CGeMesh>();
  mesh->vertices.reserve(size_t(C) * R);
  double p[3];
  for (double v : vs)
    for (double u : us) {
      BSRF_EvPos(srf, u, v, p);
      mesh->vertices.emplace_back(float(p[0]), float(p[1]), float(p[2]));
    }
  mesh->faces.reserve(size_t(C - 1) * (R - 1) * 2);
  for (int r = 0; r + 1 < R; ++r)
    for (int c = 0; c + 1 < C; ++c) {
      const int k = r * C + c;
      mesh->faces.push_back({{k + C, k, k + 1}});
      mesh->faces.push_back({{k + 1, k + C + 1, k + C}});
    }
  AddWireframe(mesh.get(), srf, du, dv);
  return mesh.release();
}

CGeMesh* geToMeshAdapte(_nurbs_surface* srf) {
  double du, dv;
  if (!SampleSteps(srf, du, dv)) return nullptr;
  auto mesh = std::make_unique<CGeMesh>();
  std::vector<int> unused;
  if (!CNurbsEditor::Tesselate(srf, 0.2, mesh->vertices, mesh->normals, unused)) return nullptr;
  const int n = int(mesh->vertices.size()) / 3;
  mesh->faces.reserve(n);
  for (int i = 0; i < n; ++i) mesh->faces.push_back({{3 * i, 3 * i + 1, 3 * i + 2}});
  AddWireframe(mesh.get(), srf, du, dv);
  return mesh.release();
}
