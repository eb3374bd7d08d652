// Triangle meshes of the relief grid: its show rectangle, the non-zero part inside a box, and
// the part inside a planar region.
#include <algorithm>
#include <cmath>
#include <memory>

#include "geometry/grid/GeGrid.h"
#include "geometry/shapes2d/GeLoop.h"
#include "geometry/shapes2d/GePolyline.h"
#include "geometry/shapes2d/GeRegion.h"
#include "geometry/shapes2d/ShapeListUtil.h"
#include "geometry/shapes3d/GePolyline3d.h"
#include "geometry/surfaces/GeMesh.h"
#include "geometry/grid/GeTessRegion.h"
#include "geometry/tools/GeTool2D.h"
#include "platform/numora/Box.h"

namespace {

CPoint3d Position(const SGridNode& n) { return CPoint3d(n.x, n.y, n.z); }
CVector3d Normal(const SGridNode& n) { return CVector3d(n.nx, n.ny, n.nz); }

// Appends the node window's positions and normals row by row and two triangles per cell:
// (x, y), (x + 1, y), (x, y + 1) and (x + 1, y), (x + 1, y + 1), (x, y + 1).
void FillWindow(const CGeGrid& g, int left, int top, int right, int bottom, CGeMesh& mesh) {
  const int w = right - left + 1;
  mesh.vertices.reserve(size_t(w) * (bottom - top + 1));
  mesh.normals.reserve(mesh.vertices.capacity());
  for (int r = top; r <= bottom; ++r)
    for (int c = left; c <= right; ++c) {
      mesh.vertices.push_back(Position(g.Node(c, r)));
      mesh.normals.push_back(Normal(g.Node(c, r)));
    }
  auto v = [&](int x, int y) { return int32_t(y * w + x); };
  mesh.faces.reserve(size_t(2) * (w - 1) * (bottom - top));
  for (int y = 0; y < bottom - top; ++y)
    for (int x = 0; x + 1 < w; ++x) {
      mesh.faces.push_back({{v(x, y), v(x + 1, y), v(x, y + 1)}});
      mesh.faces.push_back({{v(x + 1, y), v(x + 1, y + 1), v(x, y + 1)}});
    }
}

// A polyline through the given nodes, discretised and boxed, for an iso-curve list.
template <class NodeAt>
CGePolyline3d* NodeLine(int count, NodeAt node) {
  auto* line = new CGePolyline3d(count);
  for (int k = 0; k < count; ++k) {
    const SGridNode& n = node(k);
    line->m_pVertex[k][0] = n.x;
    line->m_pVertex[k][1] = n.y;
    line->m_pVertex[k][2] = n.z;
  }
  line->DiscreteMe(0.1);
  line->CalcBox();
  return line;
}

}  // namespace

CGeMesh* CGeGrid::ToMesh() {
  if (!m_pNodes) return nullptr;
  const int left = std::max(0, int(m_rcShow.left)), top = std::max(0, int(m_rcShow.top));
  const int right = std::min(int(m_rcShow.right), int(m_nCols) - 1);
  const int bottom = std::min(int(m_rcShow.bottom), int(m_nRows) - 1);
  if (left > right || top > bottom) return nullptr;
  auto* mesh = new CGeMesh;
  FillWindow(*this, left, top, right, bottom, *mesh);
  const SGridNode &lo = Node(left, top), &hi = Node(right, bottom);
  mesh->m_box.min[0] = lo.x, mesh->m_box.min[1] = lo.y;
  mesh->m_box.max[0] = hi.x, mesh->m_box.max[1] = hi.y;
  // z over all vertices: the two corner nodes alone need not bound the heights between them.
  float zlo = lo.z, zhi = lo.z;
  for (const CPoint3d& p : mesh->vertices) zlo = std::min(zlo, p.z), zhi = std::max(zhi, p.z);
  mesh->m_box.min[2] = zlo, mesh->m_box.max[2] = zhi;
  const int w = right - left + 1, n = bottom - top + 1;
  for (int c : {left, left + w / 3, left + 2 * (w / 3), right})
    mesh->m_UIsoCurveList.AddTail(NodeLine(n, [&](int k) -> const SGridNode& { return Node(c, top + k); }));
  for (int r : {top, top + n / 3, top + 2 * (n / 3), bottom})
    mesh->m_VIsoCurveList.AddTail(NodeLine(w, [&](int k) -> const SGridNode& { return Node(left + k, r); }));
  return mesh;
}

CGeMesh* CGeGrid::ToMesh(int* const cols, int* const rows) {
  if (!m_pNodes || !cols || !rows) return nullptr;
  int &left = cols[0], &right = cols[1], &top = rows[0], &bottom = rows[1];
  left = std::max(left, 0), top = std::max(top, 0);
  right = std::min(right, int(m_nCols) - 1), bottom = std::min(bottom, int(m_nRows) - 1);
  auto flatRow = [&](int r) {
    for (int c = left; c <= right; ++c)
      if (std::fabs(Node(c, r).z) > 0.002f) return false;
    return true;
  };
  auto flatCol = [&](int c) {
    for (int r = top; r <= bottom; ++r)
      if (std::fabs(Node(c, r).z) > 0.002f) return false;
    return true;
  };
  while (top <= bottom && flatRow(top)) ++top;
  while (bottom >= top && flatRow(bottom)) --bottom;
  while (left <= right && flatCol(left)) ++left;
  while (right >= left && flatCol(right)) --right;
  if (right - left < 1 || bottom - top < 1) return nullptr;
  auto* mesh = new CGeMesh;
  FillWindow(*this, left, top, right, bottom, *mesh);
  return mesh;
}

CGeMesh* CGeGrid::ToMesh(_tagBox2D box) {
  if (!m_pNodes) return nullptr;
  _tagBox2D grid, over;
  GetBox2D(&grid);
  if (!BOX2D_Int(&box, &grid, &over)) return nullptr;
  int cols[2] = {Get_Index(float(over.min[0]), 0), Get_Index(float(over.max[0]), 0)};
  int rows[2] = {Get_Index(float(over.min[1]), 1), Get_Index(float(over.max[1]), 1)};
  CGeMesh* mesh = ToMesh(cols, rows);
  if (!mesh) return nullptr;
  const CPoint3d first = mesh->vertices.front(), last = mesh->vertices.back();
  over.min[0] = std::max(over.min[0], double(first.x));
  over.min[1] = std::max(over.min[1], double(first.y));
  over.max[0] = std::min(over.max[0], double(last.x));
  over.max[1] = std::min(over.max[1], double(last.y));
  const int w = cols[1] - cols[0] + 1, n = rows[1] - rows[0] + 1;
  for (int x = 0; x < w; ++x) {
    mesh->vertices[x].y = float(over.min[1]);
    mesh->vertices[size_t(n - 1) * w + x].y = float(over.max[1]);
  }
  for (int y = 0; y < n; ++y) {
    mesh->vertices[size_t(y) * w].x = float(over.min[0]);
    mesh->vertices[size_t(y) * w + w - 1].x = float(over.max[0]);
  }
  mesh->ComputerIsoCurve(5, 5);
  mesh->CalcBox();
  return mesh;
}

CGeMesh* CGeGrid::ToMesh(CGeRegion* region, std::vector<unsigned>* nodes) {
  if (!m_pNodes || !region || region->m_LoopList.IsEmpty()) return nullptr;
  const int left = std::max(0, int(m_rcShow.left)), top = std::max(0, int(m_rcShow.top));
  const int right = std::min(int(m_rcShow.right), int(m_nCols) - 1);
  const int bottom = std::min(int(m_rcShow.bottom), int(m_nRows) - 1);
  if (left > right || top > bottom) return nullptr;
  const SGridNode &lo = Node(left, top), &hi = Node(right, bottom);
  _tagBox2D show, rbox, over;
  show.min[0] = lo.x, show.min[1] = lo.y, show.max[0] = hi.x, show.max[1] = hi.y;
  region->GetBox2d(&rbox);
  if (!BOX2D_Int(&show, &rbox, &over)) return nullptr;

  const double corners[5][2] = {{over.min[0], over.min[1]}, {over.max[0], over.min[1]},
                                {over.max[0], over.max[1]}, {over.min[0], over.max[1]},
                                {over.min[0], over.min[1]}};
  auto rect = std::make_unique<CGePolyline>();
  if (!rect->Create(5, corners)) return nullptr;
  rect->m_nClosed = 1;
  rect->Discrete(0.01);
  rect->CalcBox2d();
  CGeLoop* frame = new CGeLoop;
  frame->AddTail(rect.release(), 0);
  CGeLoopList clip, clipped;
  clip.AddTail(frame);
  CGeTool2D().LoopClip(&region->m_LoopList, &clip, GPC_INT, &clipped);
  geDelGeLoopList(&clip, false);

  auto mesh = std::make_unique<CGeMesh>();
  geTessGridRegion(&clipped, 0.2, this, mesh.get(), nodes);
  geDelGeLoopList(&clipped, false);
  if (mesh->faces.empty()) return nullptr;
  mesh->Need_VertexNormals();
  mesh->CalcBox();
  return mesh.release();
}
