// Height edits of the relief grid: normals and rescaling.
#include <algorithm>
#include <cmath>

#include "geometry/grid/GeGrid.h"
#include "platform/numora/Numora.h"

void CGeGrid::ComputerNormal() {
  if (!m_pNodes) return;
  const size_t n = size_t(m_nCols) * m_nRows;
  // Start from zero: summing onto the previous unit normals would let the old normal outweigh
  // the new cross products wherever cells are small.
  for (size_t k = 0; k < n; ++k) m_pNodes[k].nx = m_pNodes[k].ny = m_pNodes[k].nz = 0;
  const double cell = m_fCell;
  for (uint32_t r = 1; r < m_nRows; ++r)
    for (uint32_t c = 1; c < m_nCols; ++c) {
      SGridNode* corner[4] = {&m_pNodes[(c - 1) + size_t(r - 1) * m_nCols],
                              &m_pNodes[c + size_t(r - 1) * m_nCols],
                              &m_pNodes[c + size_t(r) * m_nCols],
                              &m_pNodes[(c - 1) + size_t(r) * m_nCols]};
      const double d1[3] = {cell, cell, double(corner[2]->z) - corner[0]->z};
      const double d2[3] = {-cell, cell, double(corner[3]->z) - corner[1]->z};
      double v[3];
      V3D_VProduct(d1, d2, v);
      for (SGridNode* p : corner) {
        p->nx += float(v[0]);
        p->ny += float(v[1]);
        p->nz += float(v[2]);
      }
    }
  for (size_t k = 0; k < n; ++k) {
    SGridNode& p = m_pNodes[k];
    const float len = std::sqrt(p.nx * p.nx + p.ny * p.ny + p.nz * p.nz);
    if (len > 0) p.nx /= len, p.ny /= len, p.nz /= len;
  }
}

void CGeGrid::ScaleHeights(float a, float b) {
  const float lo = std::min(a, b), hi = std::max(a, b);
  const size_t n = m_pNodes ? size_t(m_nCols) * m_nRows : 0;
  float zmin = 1e7f, zmax = -1e7f;
  for (size_t k = 0; k < n; ++k) {
    zmin = std::min(zmin, m_pNodes[k].z);
    zmax = std::max(zmax, m_pNodes[k].z);
  }
  if (std::fabs(zmax - zmin) > 0.001f)
    for (size_t k = 0; k < n; ++k)
      m_pNodes[k].z = lo + (hi - lo) * (m_pNodes[k].z - zmin) / (zmax - zmin);
  m_box.min[2] = lo;
  m_box.max[2] = hi;
}
