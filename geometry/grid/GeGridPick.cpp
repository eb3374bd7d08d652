// Screen positions of grid nodes and picking of the node nearest to a screen point.
#include <algorithm>
#include <climits>
#include <cmath>

#include "geometry/grid/GeGrid.h"
#include "platform/numora/Numora.h"
#include "platform/vurode/Accessors.h"
#include "platform/vurode/OpenGLDC.h"

namespace {

int16_t ToShort(double v) {
  // Far off-screen positions are pinned to the 16-bit range instead of wrapping.
  return int16_t(std::clamp(std::trunc(v), double(SHRT_MIN), double(SHRT_MAX)));
}

}  // namespace

SScreenVet CGeGrid::ProjectToScreen(const COpenGLDC& dc, const float p[3]) {
  const GCamera& cam = dc.GetCamera();
  double dir[3], ax[3], ay[3], az[3], ref[3], width, height;
  int sw, sh;
  cam.get_viewdirection(dir);
  cam.GetViewAxis(ax, ay, az);
  cam.GetRefPoint(ref);
  cam.GetViewSize(width, height);
  cam.GetScreenSize(sw, sh);
  const double n[3] = {-az[0], -az[1], -az[2]};
  const double origin[3] = {p[0], p[1], p[2]};
  double hit[3];
  if (width > 1e-12 && height > 1e-12 && Inter3_PlnRay(ref, n, origin, dir, 0.001, 1e-12, hit)) {
    const double d[3] = {hit[0] - ref[0], hit[1] - ref[1], hit[2] - ref[2]};
    const double u = d[0] * ax[0] + d[1] * ax[1] + d[2] * ax[2];
    const double v = d[0] * ay[0] + d[1] * ay[1] + d[2] * ay[2];
    return {ToShort((u / width + 0.5) * sw), ToShort((0.5 - v / height) * sh)};
  }
  return {0, 0};
}

void CGeGrid::ClearScreenVet() {
  delete[] m_pScreenVet;
  m_pScreenVet = nullptr;
}

void CGeGrid::CreateScreenVet() {
  COpenGLDC* dc = gGetOpenGLDC();
  if (!dc || !gGetVurode() || !m_pNodes) return;
  const uint32_t stepX = std::max(1u, m_nCols / 100), stepY = std::max(1u, m_nRows / 100);
  const uint32_t sampleCols = m_nCols / stepX, sampleRows = m_nRows / stepY;
  if (m_pScreenVet && (sampleCols != m_nSampleCols || sampleRows != m_nSampleRows))
    ClearScreenVet();
  m_nStepX = stepX, m_nStepY = stepY, m_nSampleCols = sampleCols, m_nSampleRows = sampleRows;
  if (!m_pScreenVet) m_pScreenVet = new SScreenVet[size_t(sampleRows) * sampleCols];
  for (uint32_t j = 0; j < sampleRows; ++j)
    for (uint32_t k = 0; k < sampleCols; ++k) {
      const SGridNode& node = m_pNodes[k * stepX + size_t(j) * stepY * m_nCols];
      m_pScreenVet[k + size_t(j) * sampleCols] = ProjectToScreen(*dc, &node.x);
    }
}

int CGeGrid::GetPickedNode(CPoint pt, CPoint3d& node, int* const index) {
  COpenGLDC* dc = gGetOpenGLDC();
  if (!dc || !m_pNodes) return 0;
  // The cache is made on first use; a grid always has a nearest node once it exists.
  if (!m_pScreenVet) CreateScreenVet();
  if (!m_pScreenVet) return 0;
  auto dist2 = [&](SScreenVet s) {
    const long long dx = s.x - pt.x, dy = s.y - pt.y;
    return dx * dx + dy * dy;
  };
  long long best = 1000000000LL;
  uint32_t col = 0, row = 0;
  bool done = false;
  for (uint32_t j = 0; j < m_nSampleRows && !done; ++j)
    for (uint32_t k = 0; k < m_nSampleCols; ++k) {
      const long long d = dist2(m_pScreenVet[k + size_t(j) * m_nSampleCols]);
      if (d < best) best = d, col = k * m_nStepX, row = j * m_nStepY;
      if (d <= 2) {
        done = true;
        break;
      }
    }
  if (!done && (m_nStepX != 1 || m_nStepY != 1)) {
    const uint32_t c0 = col > m_nStepX ? col - m_nStepX : 0;
    const uint32_t r0 = row > m_nStepY ? row - m_nStepY : 0;
    const uint32_t c1 = std::min(col + m_nStepX, m_nCols - 1);
    const uint32_t r1 = std::min(row + m_nStepY, m_nRows - 1);
    for (uint32_t r = r0; r <= r1 && !done; ++r)
      for (uint32_t c = c0; c <= c1; ++c) {
        const long long d = dist2(ProjectToScreen(*dc, &Node(c, r).x));
        if (d < best) best = d, col = c, row = r;
        if (d <= 3) {
          done = true;
          break;
        }
      }
  }
  const SGridNode& n = Node(col, row);
  node = CPoint3d(n.x, n.y, n.z);
  index[0] = int(col);
  index[1] = int(row);
  return 1;
}
