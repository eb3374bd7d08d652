#include "geometry/grid/GeTessRegion.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <memory>
#include <utility>

#include "geometry/grid/GeGrid.h"
#include "geometry/shapes2d/GeLoop.h"
#include "geometry/shapes3d/GePolyline3d.h"
#include "geometry/surfaces/GeMesh.h"
#include "geometry/surfaces/TessGraph.h"

namespace {

using Pt = std::array<double, 2>;

struct RegionRing {
  std::vector<int> pointNode;  // node index of each of the loop's points
};

// The grid rows (ys, from the top) and columns (xs, from the left) that sample the region, and
// the grid nodes found on them, one table cell per crossing of a row and a column.
struct SampleLines {
  std::vector<float> ys, xs;
  int r0 = 0, c0 = 0;
  std::vector<CTessNode*> table;
  CTessNode*& at(size_t j, size_t i) { return table[j * xs.size() + i]; }
};

// Adds every loop's points to the graph as a ring. 0 for a non-finite point.
int AddRings(CObList* loops, double tol, CTessGraph& g, std::vector<RegionRing>& rings) {
  std::vector<Pt> pts;
  for (POSITION pos = loops->GetHeadPosition(); pos;) {
    CObject* ob = loops->GetNext(pos);
    auto* loop = ob && ob->IsKindOf(RUNTIME_CLASS(CGeLoop)) ? static_cast<CGeLoop*>(ob) : nullptr;
    if (!loop) continue;
    if (loop->m_nSWPoint <= 0) loop->Discrete(tol);
    if (loop->m_nSWPoint <= 0 || !loop->m_pSWPoint) continue;
    // A point repeating its predecessor (the closing point of a closed buffer among them)
    // would make an edge without direction; it shares that node instead.
    RegionRing ring;
    pts.clear();
    for (int i = 0; i < loop->m_nSWPoint; ++i) {
      const Pt p{loop->m_pSWPoint[i][0], loop->m_pSWPoint[i][1]};
      if (!std::isfinite(p[0]) || !std::isfinite(p[1])) return 0;
      if (!pts.empty() && p == pts.back()) {
        ring.pointNode.push_back(g.NodeCount() + static_cast<int>(pts.size()) - 1);
        continue;
      }
      ring.pointNode.push_back(g.NodeCount() + static_cast<int>(pts.size()));
      pts.push_back(p);
    }
    if (pts.size() > 1 && pts.back() == pts.front()) {
      pts.pop_back();
      ring.pointNode.back() = g.NodeCount();
    }
    g.AddRing(pts);
    rings.push_back(std::move(ring));
  }
  return 1;
}

// Sampling lines are the grid's own rows and columns, from the top row and the left column
// of the region inwards.
SampleLines FindSampleLines(const CTessGraph& g, CGeGrid* grid) {
  double lo[2] = {g.Node(0)->u, g.Node(0)->v}, hi[2] = {lo[0], lo[1]};
  for (int i = 0; i < g.NodeCount(); ++i) {
    const CTessNode* n = g.Node(i);
    lo[0] = std::min(lo[0], n->u);
    lo[1] = std::min(lo[1], n->v);
    hi[0] = std::max(hi[0], n->u);
    hi[1] = std::max(hi[1], n->v);
  }
  SampleLines s;
  const float e = grid->GetCell();
  const int cols = static_cast<int>(grid->GetCols()), rows = static_cast<int>(grid->GetRows());
  s.r0 = grid->Get_Index(static_cast<float>(hi[1]), 1);
  float y0 = static_cast<float>(grid->m_dOriginY + s.r0 * e);
  if (y0 > hi[1]) {
    y0 -= e;
    --s.r0;
  }
  s.c0 = grid->Get_Index(static_cast<float>(lo[0]), 0);
  float x0 = static_cast<float>(grid->m_dOriginX + s.c0 * e);
  if (x0 < lo[0]) {
    x0 += e;
    ++s.c0;
  }
  // Line positions accumulate in single precision; lines beyond the grid have no heights.
  for (float y = y0; y > lo[1] + 1e-5 && s.r0 - static_cast<int>(s.ys.size()) >= 0; y -= e)
    s.ys.push_back(y);
  for (float x = x0; x <= hi[0] - 1e-5 && s.c0 + static_cast<int>(s.xs.size()) < cols; x += e)
    s.xs.push_back(x);
  if (s.c0 < 0 || s.r0 >= rows) s.ys.clear();
  s.table.assign(s.ys.size() * s.xs.size(), nullptr);
  return s;
}

// Odd crossings: the last one closes a pair with the one before it.
std::vector<std::pair<size_t, size_t>> PairsOf(const std::vector<CTessNode*>& line) {
  std::vector<std::pair<size_t, size_t>> pairs;
  for (size_t i = 0; i + 1 < line.size(); i += 2) pairs.emplace_back(i, i + 1);
  if (line.size() % 2 == 1 && line.size() > 1) pairs.emplace_back(line.size() - 2, line.size() - 1);
  return pairs;
}

const CTessGraph::SLineRule kLineRule{1e-6, 1e-5, 0.99999};

// Rows: the grid nodes between each pair of crossings become graph nodes, linked along the row
// and to the node above them. Returns the head of every linked row.
std::vector<CTessNode*> LinkRows(CTessGraph& g, CGeGrid* grid, SampleLines& s,
                                 std::vector<unsigned>* gridNodes) {
  const int cols = static_cast<int>(grid->GetCols());
  const size_t nr = s.ys.size(), nc = s.xs.size();
  std::vector<CTessNode*> rowHeads, full;
  std::vector<char> gaps;
  for (size_t j = 0; j < nr; ++j) {
    const double y = s.ys[j];
    const int gridRow = s.r0 - static_cast<int>(j);
    const std::vector<CTessNode*> line = g.Cross(1, y, kLineRule);
    if (line.empty()) continue;
    full.clear();
    gaps.clear();
    for (auto [a, b] : PairsOf(line)) {
      if (full.empty() || full.back() != line[a]) {
        if (!full.empty()) gaps.back() = 1;
        full.push_back(line[a]);
        gaps.push_back(0);
      }
      const double from = line[a]->u + 1e-5, to = line[b]->u - 1e-5;
      for (size_t i = static_cast<size_t>(std::upper_bound(s.xs.begin(), s.xs.end(), from) -
                                          s.xs.begin());
           i < nc && s.xs[i] < to; ++i) {
        if (!(s.xs[i] > from)) continue;
        CTessNode* n = g.NewNode(s.xs[i], y);
        const int col = s.c0 + static_cast<int>(i);
        n->height = grid->Node(static_cast<unsigned>(col), static_cast<unsigned>(gridRow)).z;
        if (gridNodes) gridNodes->push_back(static_cast<unsigned>(gridRow * cols + col));
        s.at(j, i) = n;
        if (j > 0 && s.at(j - 1, i)) {
          n->colPrev = s.at(j - 1, i);
          s.at(j - 1, i)->colNext = n;
        }
        full.push_back(n);
        gaps.push_back(0);
      }
      if (full.back() != line[b]) {
        full.push_back(line[b]);
        gaps.push_back(0);
      }
    }
    if (full.empty()) full.push_back(line.front()), gaps.push_back(0);
    g.LinkLine(1, full, gaps);
    rowHeads.push_back(full.front());
  }
  return rowHeads;
}

// Columns: each pair of crossings caps the run of grid nodes between them.
void LinkColumns(CTessGraph& g, float e, SampleLines& s) {
  const size_t nr = s.ys.size(), nc = s.xs.size();
  for (size_t t = 0; t < nc; ++t) {
    const std::vector<CTessNode*> line = g.Cross(0, s.xs[t], kLineRule);
    for (auto [a, b] : PairsOf(line)) {
      CTessNode* q = line[a];
      CTessNode* k = line[b];
      const size_t j = static_cast<size_t>(
          std::partition_point(s.ys.begin(), s.ys.end(), [q](float y) { return !(y < q->v); }) -
          s.ys.begin());
      if (j >= nr) continue;
      CTessNode* top = s.at(j, t);
      if (!top && j + 1 < nr) top = s.at(j + 1, t);
      // No grid node between the crossings: the pair bounds no column segment.
      if (!top || k->v > top->v) continue;
      // A node the column only touches is both the lower end of one pair and the upper end of
      // the next: each insertion sets only its own side of it.
      if (top->colPrev && top->colPrev != q) {
        q->colPrev = top->colPrev;
        top->colPrev->colNext = q;
      }
      q->colNext = top;
      top->colPrev = q;
      size_t jj = j;
      while (jj + 1 < nr && s.ys[jj] - k->v > e) ++jj;
      CTessNode* bottom = s.at(jj, t);
      if (!bottom && jj > 0) bottom = s.at(jj - 1, t);
      if (!bottom) continue;
      if (bottom->colNext && bottom->colNext != k) {
        k->colNext = bottom->colNext;
        bottom->colNext->colPrev = k;
      }
      k->colPrev = bottom;
      bottom->colNext = k;
    }
  }
}

// Moves the graph's nodes and cells into the mesh; boundary nodes take interpolated heights.
void EmitMesh(CTessGraph& g, CGeGrid* grid, CGeMesh* mesh, int base) {
  CTessNode* nodes = nullptr;
  CTessTriangle* cells = nullptr;
  const double ox = grid->m_dOriginX, oy = grid->m_dOriginY;
  g.Release(&nodes, &cells);
  for (CTessNode* n = nodes; n; n = n->next) {
    if (n->height == -1000.0f)
      n->height = grid->Interplate(static_cast<float>(n->u - ox), static_cast<float>(n->v - oy));
    mesh->vertices.emplace_back(static_cast<float>(n->u), static_cast<float>(n->v), n->height);
  }
  for (CTessTriangle* c = cells; c; c = c->next) {
    mesh->faces.push_back({{base + c->a, base + c->b, base + c->c}});
    if (c->d >= 0) mesh->faces.push_back({{base + c->c, base + c->d, base + c->a}});
  }
  while (nodes) delete std::exchange(nodes, nodes->next);
  while (cells) delete std::exchange(cells, cells->next);
}

// The region's outline drawn on the relief.
void DrawOutline(const std::vector<RegionRing>& rings, CGeMesh* mesh, int base) {
  for (const RegionRing& ring : rings) {
    if (ring.pointNode.size() < 2) continue;
    std::vector<std::array<double, 3>> p;
    for (int idx : ring.pointNode) {
      const CPoint3d& v = mesh->vertices[static_cast<size_t>(base + idx)];
      p.push_back({v.x, v.y, v.z});
    }
    auto* pl = new CGePolyline3d();
    pl->Create(static_cast<int>(p.size()), reinterpret_cast<const double(*)[3]>(p.data()));
    pl->DiscreteMe(0.1);
    mesh->m_UIsoCurveList.AddTail(pl);
  }
}

}  // namespace

int geTessGridRegion(CObList* loops, double tol, CGeGrid* grid, CGeMesh* mesh,
                     std::vector<unsigned>* gridNodes) {
  if (!loops || loops->IsEmpty() || !grid || !mesh || !grid->m_pNodes || !(grid->GetCell() > 0))
    return 0;
  CTessGraph g;
  std::vector<RegionRing> rings;
  if (!AddRings(loops, tol, g, rings) || g.NodeCount() == 0) return 0;

  SampleLines lines = FindSampleLines(g, grid);
  const std::vector<CTessNode*> rowHeads = LinkRows(g, grid, lines, gridNodes);
  LinkColumns(g, grid->GetCell(), lines);
  lines.table.clear();

  g.AddQuads(rowHeads);
  if (!g.AddBoundaryPolygons()) return 0;

  const int base = static_cast<int>(mesh->vertices.size());
  EmitMesh(g, grid, mesh, base);
  mesh->ComputerIsoCurve(4, 4);
  DrawOutline(rings, mesh, base);
  return 1;
}
