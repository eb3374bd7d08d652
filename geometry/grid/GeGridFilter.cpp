// Height filters of the relief grid: smoothing, noise and the weighted neighbourhood mean.
#include <cmath>

#include "geometry/grid/GeGrid.h"

namespace {
uint32_t g_noiseState = 0;  // grid noise only; the mesh has its own
}  // namespace

void CGeGrid::SeedNoise(uint32_t seed) { g_noiseState = seed; }

double CGeGrid::NoiseRandom() {
  g_noiseState = g_noiseState * 1664525u + 1013904223u;
  return double(g_noiseState) * 0x1p-32;
}

void CGeGrid::LapSmooth() {
  if (!m_pNodes) return;
  const size_t cols = m_nCols;
  bool changed = false;
  // Gauss-Seidel sweep: nodes already smoothed feed the later ones.
  for (size_t r = 1; r + 1 < m_nRows; ++r)
    for (size_t c = 1; c + 1 < cols; ++c) {
      const size_t k = c + r * cols;
      if (m_pColors && m_pColors[k][3] == 100) continue;
      float& z = m_pNodes[k].z;
      const float mean =
          0.25f * (m_pNodes[k + 1].z + m_pNodes[k - 1].z + m_pNodes[k - cols].z + m_pNodes[k + cols].z);
      const float next = z + (mean - z) * 0.33f;
      if (next != z) changed = true;
      z = next;
    }
  if (changed) m_bModified = 1;
  ComputerNormal();
  CalcBox();
}

void CGeGrid::Noisify(float amplitude) {
  if (!m_pNodes || !std::isfinite(amplitude)) return;
  const size_t n = size_t(m_nCols) * m_nRows;
  for (size_t k = 0; k < n; ++k) {
    const float f = float(amplitude * (2 * NoiseRandom() - 1));
    m_pNodes[k].z += f * m_pNodes[k].nz;
  }
  if (n && amplitude != 0) m_bModified = 1;
  ComputerNormal();
}

float CGeGrid::GetMeanZ(int row, int col, float centre, float edge, float corner) const {
  if (!m_pNodes || row < 0 || col < 0 || row >= int(m_nRows) || col >= int(m_nCols)) return 0;
  // A missing neighbour is its mirror image through the node.
  auto z = [&](int dc, int dr) {
    int c = col + dc, r = row + dr;
    if (c < 0 || c >= int(m_nCols)) c = col - dc;
    if (r < 0 || r >= int(m_nRows)) r = row - dr;
    return Node(c, r).z;
  };
  return centre * z(0, 0) + edge * (z(1, 0) + z(-1, 0) + z(0, 1) + z(0, -1)) +
         corner * (z(1, 1) + z(-1, 1) + z(1, -1) + z(-1, -1));
}

void CGeGrid::SliceXY(float, CTypedPtrList<CObList, CGeCurve3d*>&) {}
