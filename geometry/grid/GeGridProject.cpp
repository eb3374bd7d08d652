// The relief grid against the rest of the geometry: points and segments dropped onto its
// surface, and value grids merged or stamped into the current layer.
#include <algorithm>
#include <cmath>
#include <vector>

#include "geometry/grid/GeGrid.h"
#include "geometry/grid/TGrid.h"
#include "platform/numora/Box.h"
#include "platform/numora/Inter.h"
#include "platform/numora/Line.h"
#include "platform/numora/Point2d.h"
#include "platform/numora/Triangle.h"

namespace {

void NodePoint(const SGridNode& n, double p[3]) {
  p[0] = n.x;
  p[1] = n.y;
  p[2] = n.z;
}

// Node index (0 .. count - 1) of the cell holding offset d (in cells) along one axis.
int CellOf(double d, int count) {
  if (!(d > 0)) return 0;  // also NaN
  return d >= count - 1 ? count - 1 : int(d);
}

}  // namespace

bool CGeGrid::ProjectZ(double* const point, double* const result) {
  if (!m_pNodes || !point || !result || !(m_fCell > 0)) return false;
  _tagBox2D box;
  GetBox2D(&box);
  if (!BOX2D_IsPtIn(&box, point, 1e-6)) return false;
  const int lastC = int(m_nCols) - 1, lastR = int(m_nRows) - 1;
  // The box reaches a cell beyond the last node, so the cell is clamped to the grid.
  const int c = CellOf((point[0] - m_dOriginX) / m_fCell, int(m_nCols));
  const int r = CellOf((point[1] - m_dOriginY) / m_fCell, int(m_nRows));
  const int c1 = std::min(c + 1, lastC), r1 = std::min(r + 1, lastR);
  const double p[3] = {point[0], point[1], 0};
  double a[3], b[3], d[3];
  if (c == c1 || r == r1) {
    // On the last column or row (or in the box's margin beyond it) the surface is the node
    // line there: its height is interpolated along the line at the point, which stays where it
    // is. Past the last node the line's end height holds.
    NodePoint(Node(c, r), a);
    NodePoint(c == c1 ? Node(c, r1) : Node(c1, r), b);
    const int k = c == c1 ? 1 : 0;  // the coordinate that runs along the line
    const double run = b[k] - a[k];
    const double t = run > 0 ? std::clamp((point[k] - a[k]) / run, 0.0, 1.0) : 0.0;
    result[0] = point[0];
    result[1] = point[1];
    result[2] = a[2] + t * (b[2] - a[2]);
    return true;
  }
  NodePoint(Node(c, r), a);
  NodePoint(Node(c1, r), b);
  NodePoint(Node(c, r1), d);
  if (TRI3_IntZRay(a, b, d, p, 1e-6, result)) return true;
  NodePoint(Node(c1, r1), a);
  return TRI3_IntZRay(b, a, d, p, 1e-6, result) != 0;
}

void CGeGrid::ProjectZ(double* const p1, double* const p2, double z,
                       std::list<tagPoint3d>& points) {
  if (!p1 || !p2) return;
  std::vector<tagPoint3d> work;
  auto add = [&](double x, double y, double h, double t) {
    work.push_back(tagPoint3d{float(x), float(y), float(h), float(t)});
  };
  double q[3];
  for (int end = 0; end < 2; ++end) {
    double* p = end ? p2 : p1;
    if (ProjectZ(p, q))
      add(q[0], q[1], q[2], end);
    else
      add(p[0], p[1], z, end);
  }
  _tagBox2D seg, grid;
  L2D_GetBox(p1, p2, &seg);
  GetBox2D(&grid);
  if (m_pNodes && m_fCell > 0 && BOX2D_IsInt(&seg, &grid, 0.01)) {
    const int lastC = int(m_nCols) - 1, lastR = int(m_nRows) - 1;
    const double x0 = Node(0, 0).x, y0 = Node(0, 0).y;
    const double xN = Node(lastC, 0).x, yN = Node(0, lastR).y;
    auto range = [&](double lo, double hi, double first, double last, int count, int& i0,
                     int& i1) {
      i0 = lo < first ? 0 : lo > last ? count - 1 : int((lo - first) / m_fCell);
      i1 = hi > last ? count - 1 : hi < first ? 0 : int((hi - first) / m_fCell);
      i0 = std::clamp(i0, 0, count - 1);
      i1 = std::clamp(std::max(i1, i0 + 1), 0, count - 1);
    };
    int c0, c1, r0, r1;
    range(seg.min[0], seg.max[0], x0, xN, int(m_nCols), c0, c1);
    range(seg.min[1], seg.max[1], y0, yN, int(m_nRows), r0, r1);
    // axis 0: row lines (constant y), stepping along x; axis 1: column lines.
    for (int axis = 0; axis < 2; ++axis) {
      const int from = axis == 0 ? r0 : c0, to = axis == 0 ? r1 : c1;
      const int along = axis == 0 ? int(m_nCols) : int(m_nRows);
      for (int line = from + 1; line <= to; ++line) {
        const SGridNode& base = axis == 0 ? Node(0, line) : Node(line, 0);
        double a[2] = {base.x, base.y}, b[2] = {base.x, base.y};
        if (axis == 0)
          b[0] = xN;
        else
          b[1] = yN;
        auto node = [&](int k) -> const SGridNode& {
          return axis == 0 ? Node(k, line) : Node(line, k);
        };
        double hit[2];
        const int kind = Inter_LineLineEx(p1, p2, a, b, 1e-6, 0.001, hit);
        if (kind == INTER_POINT) {
          const double t = L2D_GetParam(p1, p2, hit);
          if (!(t >= 0 && t <= 1)) continue;
          const double s = (hit[axis == 0 ? 0 : 1] - (axis == 0 ? x0 : y0)) / m_fCell;
          const double k = std::floor(s);
          if (!(k >= 0 && k + 1 < along)) continue;
          const float za = node(int(k)).z, zb = node(int(k) + 1).z;
          add(hit[0], hit[1], za + (zb - za) * (s - k), t);
        } else if (kind == INTER_OVERLAP) {
          // The segment runs along this line: the nodes strictly inside it.
          const int u = axis == 0 ? 0 : 1;
          const double lo = std::min(p1[u], p2[u]), hi = std::max(p1[u], p2[u]);
          const int k0 = axis == 0 ? c0 : r0, k1 = axis == 0 ? c1 : r1;
          for (int k = k0; k <= k1; ++k) {
            const SGridNode& n = node(k);
            const double coord = axis == 0 ? n.x : n.y;
            if (!(coord > lo && coord < hi)) continue;
            const double np[2] = {n.x, n.y};
            add(n.x, n.y, n.z, L2D_GetParam(p1, p2, np));
          }
        }
      }
    }
  }
  std::stable_sort(work.begin(), work.end(),
                   [](const tagPoint3d& a, const tagPoint3d& b) { return a.t < b.t; });
  points.insert(points.end(), work.begin(), work.end());
}

void CGeGrid::GetMergeNode(CTGrid<float>* values, int mode, std::vector<SRlfNode>& nodes) {
  if (!values || !values->m_pHeight || values->m_X.empty() || values->m_Y.empty() ||
      !m_pCurLayer || !m_pHeights || !m_pNodes)
    return;
  _tagBox2D grid, vbox, over;
  GetBox2D(&grid);
  vbox.min[0] = values->m_Origin[0];
  vbox.min[1] = values->m_Origin[1];
  vbox.max[0] = values->m_X.back();
  vbox.max[1] = values->m_Y.back();
  if (!BOX2D_Int(&grid, &vbox, &over)) return;
  const int c0 = Get_Index(float(over.min[0]), 0), c1 = Get_Index(float(over.max[0]), 0);
  const int r0 = Get_Index(float(over.min[1]), 1), r1 = Get_Index(float(over.max[1]), 1);
  const int vc0 = values->Get_Index(float(over.min[0]), 0);
  const int vr0 = values->Get_Index(float(over.min[1]), 1);
  for (int j = r0; j <= r1; ++j) {
    const int vr = vr0 + j - r0;
    if (vr >= values->m_nRows) break;
    for (int i = c0; i <= c1; ++i) {
      const int vc = vc0 + i - c0;
      if (vc >= values->m_nCols) break;
      const float v = values->m_pHeight[vr][vc];
      const size_t k = i + size_t(j) * m_nCols;
      const int m = MaskAt(k);
      if (!(v > values->m_Base) || m >= 100) continue;
      const float h = m_pHeights[k], s = 1.0f - m / 100.0f, sv = s * v;
      float h2;
      switch (mode) {
        case 0: h2 = h + sv; break;
        case 1: h2 = h - sv; break;
        case 2: h2 = h > sv ? h : sv; break;
        case 3: h2 = h < sv ? h : sv; break;
        default: continue;
      }
      if (std::fabs(h2 - h) > 0.01f) nodes.push_back(SRlfNode{uint32_t(k), h2});
    }
  }
}

void CGeGrid::ModifyWithFloatGrid(CTGrid<float>* values, _tagBox2D box, float factor,
                                  float angle, int combine, int operation,
                                  std::vector<SRlfNode>* nodes) {
  if (!values || !values->m_pHeight || values->m_X.empty() || values->m_Y.empty() ||
      !m_pCurLayer || !m_pHeights || !m_pNodes)
    return;
  const double W = box.max[0] - box.min[0], H = box.max[1] - box.min[1];
  // The stamp's extent in its own coordinates; a stamp without extent (its last coordinate at
  // its origin) cannot be stretched over the box and does nothing.
  const double ex = double(values->m_X.back()) - values->m_Origin[0];
  const double ey = double(values->m_Y.back()) - values->m_Origin[1];
  if (!(W > 0) || !(H > 0) || !(ex > 0) || !(ey > 0) || !std::isfinite(W) ||
      !std::isfinite(H) || !std::isfinite(factor) || !std::isfinite(angle))
    return;
  const double scaleX = W / ex, scaleY = H / ey;
  std::vector<SRlfNode> local;
  std::vector<SRlfNode>& touched = nodes ? *nodes : local;
  const size_t first = touched.size();
  _tagBox2D grid, window;
  GetBox2D(&grid);
  // The working heights are about to change: they become the layer's only copy.
  m_pCurLayer->ClearRlfRowIndex();

  // Visits the nodes of the grid window covering `area` (met with the grid) with their
  // local stamp coordinates.
  auto visit = [&](const _tagBox2D& area, auto local_uv, auto apply) {
    if (!BOX2D_Int(&area, &grid, &window)) return;
    const int c0 = Get_Index(float(window.min[0]), 0), c1 = Get_Index(float(window.max[0]), 0);
    const int r0 = Get_Index(float(window.min[1]), 1), r1 = Get_Index(float(window.max[1]), 1);
    for (int r = r0; r <= r1; ++r)
      for (int c = c0; c <= c1; ++c) {
        const size_t k = c + size_t(r) * m_nCols;
        const int m = MaskAt(k);
        if (m >= 100) continue;
        double u, v;
        local_uv(Node(c, r), u, v);
        if (!(u >= 0 && u < W && v >= 0 && v < H)) continue;
        apply(k, m, values->Interplate(float(u / scaleX), float(v / scaleY)));
      }
  };

  if (std::fabs(angle) > 0.01f) {
    const double centre[2] = {(box.min[0] + box.max[0]) / 2, (box.min[1] + box.max[1]) / 2};
    const double corners[4][2] = {{box.min[0], box.min[1]}, {box.max[0], box.min[1]},
                                  {box.max[0], box.max[1]}, {box.min[0], box.max[1]}};
    double turned[4][2];
    for (int i = 0; i < 4; ++i) P2D_Rot(centre, angle, corners[i], turned[i]);
    _tagBox2D area;
    BOX2D_ofPntStr(turned, 4, &area);
    double du[2], dv[2];
    if (!V2D_GenUnit(turned[0], turned[1], du, 1e-6) || !V2D_GenUnit(turned[0], turned[3], dv, 1e-6))
      return;
    // Signed distances from the two edges through the first corner: an unsigned distance would
    // mirror the stamp into the corners of the window beyond those edges.
    auto local_uv = [&](const SGridNode& n, double& u, double& v) {
      const double d[2] = {n.x - turned[0][0], n.y - turned[0][1]};
      u = d[0] * du[0] + d[1] * du[1];
      v = d[0] * dv[0] + d[1] * dv[1];
    };
    visit(area, local_uv, [&](size_t k, int m, float value) {
      float& h = m_pHeights[k];
      if (operation == 0) {
        const float add = value * (1 - m / 100.0f) * factor;
        if (std::fabs(add) <= 0.002f) return;
        touched.push_back(SRlfNode{uint32_t(k), h});
        h += add;
      } else if (operation == 1 && value > 0.002f) {
        touched.push_back(SRlfNode{uint32_t(k), h});
        h = 0;
      }
    });
  } else {
    auto local_uv = [&](const SGridNode& n, double& u, double& v) {
      u = n.x - box.min[0];
      v = n.y - box.min[1];
    };
    visit(box, local_uv, [&](size_t k, int m, float value) {
      float& h = m_pHeights[k];
      if (operation == 0) {
        const float add = value * (1 - m / 100.0f) * factor;
        float h2;
        switch (combine) {
          case 0: h2 = h + add; break;
          case 1: h2 = h - add; break;
          case 2: h2 = std::max(h, add); break;
          case 3: h2 = std::min(h, add); break;
          default: return;
        }
        if (std::fabs(h2 - h) <= 0.01f) return;
        touched.push_back(SRlfNode{uint32_t(k), h});
        h = h2;
      } else if (operation == 1 && h != 0) {
        // Erasing clears the layer under the stamp's area, as the turned stamp does.
        touched.push_back(SRlfNode{uint32_t(k), h});
        h = 0;
      }
    });
  }
  if (touched.size() > first) {
    std::vector<SRlfNode> added(touched.begin() + first, touched.end());
    UpdateZHeight(&added);
  }
}
