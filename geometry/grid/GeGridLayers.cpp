// Relief layers of the grid: visibility, composition of the node heights and runs of heights.
#include <algorithm>
#include <cmath>

#include "geometry/grid/GeGrid.h"
#include "geometry/grid/TGrid.h"

namespace {

float Combine(short mode, float z, float h) {
  switch (mode) {
    case 0: return z + h;
    case 1: return z - h;
    case 2: return std::max(z, h);
    case 3: return std::min(z, h);
    default: return z;
  }
}

}  // namespace

void CGeGrid::OnlyShowCurLayer() {
  if (m_LayerList.GetCount() == 1) return;
  m_SavedVisible.clear();
  for (POSITION pos = m_LayerList.GetHeadPosition(); pos;) {
    auto* layer = static_cast<CRlfLayer*>(m_LayerList.GetNext(pos));
    m_SavedVisible.push_back(layer->IsVisible());
    if (layer != m_pCurLayer) layer->SetInVisible();
  }
  UpdateZHeight();
}

void CGeGrid::RestoreLayerVisbility() {
  if (m_LayerList.GetCount() == 1) return;
  size_t i = 0;
  // Layers beyond what was saved keep their visibility rather than reading past the record.
  for (POSITION pos = m_LayerList.GetHeadPosition(); pos && i < m_SavedVisible.size(); ++i) {
    auto* layer = static_cast<CRlfLayer*>(m_LayerList.GetNext(pos));
    if (m_SavedVisible[i] == 1)
      layer->SetVisible();
    else
      layer->SetInVisible();
  }
  UpdateZHeight();
}

void CGeGrid::ComposeLayer(const CRlfLayer& layer, const std::vector<SRlfNode>* nodes,
                           bool skipAbsent) {
  // A layer of another size would be read out of step with the nodes.
  if (layer.m_nCols != m_nCols || layer.m_nRows != m_nRows) return;
  const bool current = &layer == m_pCurLayer;
  const size_t n = size_t(m_nCols) * m_nRows;
  auto compose = [&](size_t k) {
    const float h = current ? layer.m_pHeight[k] : layer.GetHeightFromRowIndex(unsigned(k));
    if (skipAbsent && !(std::fabs(h) > RLF_HEIGHT_EPS)) return;
    m_pNodes[k].z = Combine(layer.m_nMode, m_pNodes[k].z, h);
  };
  if (!nodes && !current) {
    // Spans hold exactly the present heights: walking them skips the absent ones without a
    // span search per node.
    if (!layer.m_pRowIndex) return;
    for (unsigned r = 0; r < m_nRows; ++r)
      for (const RlfIndexData& s : layer.m_pRowIndex[r])
        for (int32_t c = s.first; c <= s.last; ++c) {
          const float h = s.heights[c - s.first];
          float& z = m_pNodes[c + size_t(r) * m_nCols].z;
          if (std::fabs(h) > RLF_HEIGHT_EPS) z = Combine(layer.m_nMode, z, h);
        }
    return;
  }
  if (!nodes) {
    for (size_t k = 0; k < n; ++k) compose(k);
    return;
  }
  for (const SRlfNode& node : *nodes)
    if (node.index < n) compose(node.index);
}

void CGeGrid::UpdateZHeight() {
  if (!m_pNodes) return;
  // From here on the working heights are the current layer's only copy.
  if (m_pCurLayer) m_pCurLayer->ClearRlfRowIndex();
  const size_t n = size_t(m_nCols) * m_nRows;
  for (size_t k = 0; k < n; ++k) {
    SGridNode& p = m_pNodes[k];
    p.z = p.nx = p.ny = p.nz = 0;
  }
  for (POSITION pos = m_LayerList.GetHeadPosition(); pos;) {
    const auto* layer = static_cast<CRlfLayer*>(m_LayerList.GetNext(pos));
    if (layer->m_pHeight && layer->IsVisible()) ComposeLayer(*layer, nullptr, true);
  }
  ComputerNormal();
  CalcBox();
}

void CGeGrid::UpdateZHeight(std::vector<SRlfNode>* nodes) {
  if (!nodes || nodes->empty() || !m_pNodes) return;
  const size_t n = size_t(m_nCols) * m_nRows;
  if (m_LayerList.GetCount() == 1) {
    const auto* only = static_cast<CRlfLayer*>(m_LayerList.GetHead());
    if (!only->IsVisible()) {
      for (size_t k = 0; k < n; ++k) m_pNodes[k] = SGridNode{0, 0, 1, m_pNodes[k].x, m_pNodes[k].y, 0};
      m_box.min[2] = m_box.max[2] = 0;
      return;
    }
    // The one layer is the grid: its heights as they are, whatever its mode.
    if (m_pCurLayer && m_pCurLayer->m_pHeight)
      for (const SRlfNode& node : *nodes)
        if (node.index < n) {
          SGridNode& p = m_pNodes[node.index];
          p.z = m_pCurLayer->m_pHeight[node.index];
          p.nx = p.ny = p.nz = 0;
        }
  } else {
    for (const SRlfNode& node : *nodes)
      if (node.index < n) {
        SGridNode& p = m_pNodes[node.index];
        p.z = p.nx = p.ny = p.nz = 0;
      }
    for (POSITION pos = m_LayerList.GetHeadPosition(); pos;) {
      const auto* layer = static_cast<CRlfLayer*>(m_LayerList.GetNext(pos));
      if (layer->IsVisible() && (layer != m_pCurLayer || layer->m_pHeight))
        ComposeLayer(*layer, nodes, false);
    }
  }
  m_bModified = 1;
  for (const SRlfNode& node : *nodes)
    if (node.index < n) {
      m_box.min[2] = std::min(m_box.min[2], double(m_pNodes[node.index].z));
      m_box.max[2] = std::max(m_box.max[2], double(m_pNodes[node.index].z));
    }
  UpdateNormal(nodes);
}

void CGeGrid::UpdateZHeight(CTGrid<float>* grid, std::vector<SRlfNode>* nodes) {
  if (!grid || !m_pCurLayer || !m_pCurLayer->m_pHeight || !nodes || !m_pNodes) return;
  m_pCurLayer->ClearRlfRowIndex();
  const size_t n = size_t(m_nCols) * m_nRows;
  float* heights = m_pCurLayer->m_pHeight;
  for (const SRlfNode& node : *nodes) {
    if (node.index >= n) continue;
    const unsigned row = node.index / m_nCols, col = node.index % m_nCols;
    // The value grid may be smaller than this one: nodes it does not cover keep their height.
    if (row >= unsigned(std::max(grid->m_nRows, 0)) || col >= unsigned(std::max(grid->m_nCols, 0)))
      continue;
    const float v = grid->m_pHeight[row][col];
    float& h = heights[node.index];
    switch (m_pCurLayer->m_nMode) {
      case 0: h += v; break;
      case 1: h -= v; break;
      case 2: h = std::max(v, m_pNodes[node.index].z); break;
      case 3: h = std::min(v, m_pNodes[node.index].z); break;
      default: break;
    }
  }
  UpdateZHeight(nodes);
}

void CGeGrid::CreateHeightIndexDataAll(std::vector<RlfIndexData>& spans) const {
  spans.clear();
  if (!m_pNodes) return;
  CRlfRunBuilder runs(spans);
  const size_t n = size_t(m_nCols) * m_nRows;
  for (size_t k = 0; k < n; ++k) runs.Add(int32_t(k), m_pNodes[k].z);
}

void CGeGrid::CreateHeightIndexDataLocal(CRect window, std::vector<RlfIndexData>& spans,
                                         _tagBox3D& box) const {
  spans.clear();
  if (!m_pNodes) return;
  // A window reaching past the grid is cut to it.
  const int left = std::max(int(window.left), 0), top = std::max(int(window.top), 0);
  const int right = std::min(int(window.right), int(m_nCols) - 1);
  const int bottom = std::min(int(window.bottom), int(m_nRows) - 1);
  if (left > right || top > bottom) return;
  CRlfRunBuilder runs(spans);
  float zmin = 1000000, zmax = -1000000;
  int32_t k = 0;
  for (int r = top; r <= bottom; ++r)
    for (int c = left; c <= right; ++c, ++k) {
      const float z = Node(c, r).z;
      runs.Add(k, z);
      zmin = std::min(zmin, z);
      zmax = std::max(zmax, z);
    }
  box.min[0] = Node(left, top).x;
  box.min[1] = Node(left, top).y;
  box.max[0] = Node(right, bottom).x;
  box.max[1] = Node(right, bottom).y;
  box.min[2] = zmin;
  box.max[2] = zmax;
}
