// Edits of the relief grid: node colours and the mask, normals and rescaling.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <utility>

#include "geometry/grid/GeGrid.h"
#include "geometry/shapes2d/GeCurve.h"
#include "platform/numora/Numora.h"
#include "platform/vurode/Accessors.h"

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
  if (std::fabs(zmax - zmin) > 0.001f) {
    for (size_t k = 0; k < n; ++k)
      m_pNodes[k].z = lo + (hi - lo) * (m_pNodes[k].z - zmin) / (zmax - zmin);
    m_bModified = 1;
  }
  m_box.min[2] = lo;
  m_box.max[2] = hi;
}

void CGeGrid::UpdateNormal(std::vector<SRlfNode>* nodes) {
  COpenGLDC* dc = gGetOpenGLDC();
  if (!dc || !nodes || !m_pNodes) return;
  const size_t n = size_t(m_nCols) * m_nRows;
  const double cell = m_fCell;
  for (const SRlfNode& node : *nodes) {
    if (node.index >= n) continue;
    const int c = int(node.index % m_nCols), r = int(node.index / m_nCols);
    SGridNode& p = m_pNodes[node.index];
    if (m_pScreenVet && m_nStepX && m_nStepY && c % m_nStepX == 0 && r % m_nStepY == 0 &&
        c / m_nStepX < m_nSampleCols && r / m_nStepY < m_nSampleRows)
      m_pScreenVet[c / m_nStepX + size_t(r / m_nStepY) * m_nSampleCols] = ProjectToScreen(*dc, &p.x);
    // Neighbour vectors right, up, left, down; a missing neighbour drops its two triangles.
    const int dc4[4] = {1, 0, -1, 0}, dr4[4] = {0, 1, 0, -1};
    double v[4][3];
    bool has[4];
    for (int k = 0; k < 4; ++k) {
      const int nc = c + dc4[k], nr = r + dr4[k];
      has[k] = nc >= 0 && nr >= 0 && nc < int(m_nCols) && nr < int(m_nRows);
      v[k][0] = cell * dc4[k];
      v[k][1] = cell * dr4[k];
      v[k][2] = has[k] ? double(Node(nc, nr).z) - p.z : 0;
    }
    double sum[3] = {0, 0, 0};
    for (int k = 0; k < 4; ++k) {
      if (!has[k] || !has[(k + 1) % 4]) continue;
      double w[3];
      V3D_VProduct(v[k], v[(k + 1) % 4], w);
      for (int i = 0; i < 3; ++i) sum[i] += w[i];
    }
    V3D_Unit(sum, 1e-6);
    p.nx = float(sum[0]);
    p.ny = float(sum[1]);
    p.nz = float(sum[2]);
  }
}

namespace {

// Node index of a node coordinate: u + 0.5 truncated toward zero, so a coordinate up to one and
// a half cells below the first node still lands on node 0; -1 when it gives no node of
// [0, count).
int NearestNode(double u, uint32_t count) {
  const double i = std::trunc(u + 0.5);
  return i >= 0 && i < count ? int(i) : -1;
}

// Calls paint(col, row) for the nodes nearest to a segment in world x, y: one node per step of
// the longer axis. Steps that fall outside the grid are never visited, so far-off or huge
// coordinates cost nothing.
template <class F>
void WalkLine(const CGeGrid& g, float x1, float y1, float x2, float y2, F paint) {
  if (!g.m_pNodes || !(g.m_fCell > 0)) return;
  const float k = 1.0f / g.m_fCell;
  double u[2] = {float(x1 - g.m_dOriginX) * k, float(x2 - g.m_dOriginX) * k};
  double v[2] = {float(y1 - g.m_dOriginY) * k, float(y2 - g.m_dOriginY) * k};
  for (int i = 0; i < 2; ++i)
    if (!std::isfinite(u[i]) || !std::isfinite(v[i])) return;
  if (std::fabs(u[1] - u[0]) < 0.001 && std::fabs(v[1] - v[0]) < 0.001) {
    const int c = NearestNode(u[0], g.m_nCols), r = NearestNode(v[0], g.m_nRows);
    if (c >= 0 && r >= 0) paint(c, r);
    return;
  }
  // s: the stepping axis, t: the other one.
  const bool alongU = std::fabs(u[1] - u[0]) >= std::fabs(v[1] - v[0]);
  double* s = alongU ? u : v;
  double* t = alongU ? v : u;
  const uint32_t sCount = alongU ? g.m_nCols : g.m_nRows, tCount = alongU ? g.m_nRows : g.m_nCols;
  if (s[1] < s[0]) std::swap(s[0], s[1]), std::swap(t[0], t[1]);
  const double slope = (t[1] - t[0]) / (s[1] - s[0]);
  // Steps before the grid are skipped whole (keeping the step phase), steps past it never
  // taken, so the loop is bounded by the grid size whatever the end points.
  const double skip = s[0] < -2 ? std::ceil(-2 - s[0]) : 0;
  const double end = std::min(s[1] + 0.5, double(sCount) + 1);
  const double base = s[0] + skip;
  const double count = std::floor(end - base);
  for (int64_t i = 0; i <= int64_t(count); ++i) {
    const int a = NearestNode(base + double(i), sCount);
    const int b = NearestNode(t[0] + slope * (skip + double(i)), tCount);
    if (a >= 0 && b >= 0) alongU ? paint(a, b) : paint(b, a);
  }
}

// Visits the seed and every node 4-connected to it through nodes of mask value at most 1, each
// once, calling fill(col, row); the rectangle gets their bounds grown by one node.
template <class F>
void FloodFill(CGeGrid& g, unsigned col, unsigned row, int& left, int& top, int& right,
               int& bottom, F fill) {
  if (!g.m_pColors || col >= g.m_nCols || row >= g.m_nRows) return;
  const uint32_t cols = g.m_nCols, rows = g.m_nRows;
  left = right = int(col);
  top = bottom = int(row);
  std::vector<uint8_t> seen(size_t(cols) * rows, 0);
  std::vector<std::pair<uint32_t, uint32_t>> stack;  // (row, col)
  stack.reserve(seen.size());
  stack.emplace_back(row, col);
  seen[col + size_t(row) * cols] = 1;
  while (!stack.empty()) {
    const auto [r, c] = stack.back();
    stack.pop_back();
    fill(c, r);
    const int64_t next[4][2] = {{r + 1, c}, {r, c + 1}, {int64_t(r) - 1, c}, {r, int64_t(c) - 1}};
    for (const auto& n : next) {
      if (n[0] < 0 || n[1] < 0 || n[0] >= rows || n[1] >= cols) continue;
      const size_t k = size_t(n[1]) + size_t(n[0]) * cols;
      if (seen[k] || g.m_pColors[k][3] > 1) continue;
      seen[k] = 1;
      stack.emplace_back(uint32_t(n[0]), uint32_t(n[1]));
      left = std::min(left, int(n[1]));
      right = std::max(right, int(n[1]));
      top = std::min(top, int(n[0]));
      bottom = std::max(bottom, int(n[0]));
    }
  }
  if (left > 0) --left;
  if (top > 0) --top;
  if (right < int(cols) - 1) ++right;
  if (bottom < int(rows) - 1) ++bottom;
}

// Calls f(x1, y1, x2, y2) for each pair of consecutive points of a curve's point buffer.
template <class F>
void ForEachSegment(const CGeCurve* curve, F f) {
  for (int i = 1; curve && i < curve->m_nSWPoint; ++i) {
    const double* a = curve->m_pSWPoint[i - 1];
    const double* b = curve->m_pSWPoint[i];
    f(float(a[0]), float(a[1]), float(b[0]), float(b[1]));
  }
}

void SetPlain(uint8_t* colour) { std::memcpy(colour, GRID_PLAIN_RGB, 3); }

// The show rectangle (edges included) limited to the grid; false when nothing of it is inside.
bool ShowWindow(const CGeGrid& g, int& l, int& t, int& r, int& b) {
  const CRect s = g.GetShowRect();
  l = std::max(0, int(s.left));
  t = std::max(0, int(s.top));
  r = int(std::min<int64_t>(s.right, int64_t(g.m_nCols) - 1));
  b = int(std::min<int64_t>(s.bottom, int64_t(g.m_nRows) - 1));
  return g.m_pColors && l <= r && t <= b;
}

// The show rectangle without its right column and bottom row (columns l <= c < r, rows
// t <= row < b), limited to the grid: the window the whole-mask edits work over.
bool HalfOpenWindow(const CGeGrid& g, int& l, int& t, int& r, int& b) {
  const CRect s = g.GetShowRect();
  l = std::max(0, int(s.left));
  t = std::max(0, int(s.top));
  r = int(std::min<int64_t>(s.right, g.m_nCols));
  b = int(std::min<int64_t>(s.bottom, g.m_nRows));
  return g.m_pColors && l < r && t < b;
}

bool InShowWindow(const CGeGrid& g, int col, int row) {
  int l, t, r, b;
  return ShowWindow(g, l, t, r, b) && col >= l && col <= r && row >= t && row <= b;
}

}  // namespace

void CGeGrid::MaskedColor(unsigned char m, uint8_t rgb[3]) {
  const float t = std::min<int>(m, 100) / 100.0f;
  for (int i = 0; i < 3; ++i)
    rgb[i] = uint8_t(int(GRID_PLAIN_RGB[i] - t * (GRID_PLAIN_RGB[i] - GRID_MASKED_RGB[i])));
}

void CGeGrid::InitVertexColor() {
  const size_t n = m_pNodes ? size_t(m_nCols) * m_nRows : 0;
  if (!n) return;
  if (!m_pColors) m_pColors = new uint8_t[n][4];
  for (size_t k = 0; k < n; ++k) {
    SetPlain(m_pColors[k]);
    m_pColors[k][3] = 0;
  }
}

void CGeGrid::SetColor(unsigned col, unsigned row, unsigned long colour) {
  if (!m_pColors || col >= m_nCols || row >= m_nRows) return;
  uint8_t* p = m_pColors[col + size_t(row) * m_nCols];
  p[0] = uint8_t(colour & 0xff);
  p[1] = uint8_t((colour >> 8) & 0xff);
  p[2] = uint8_t((colour >> 16) & 0xff);
  p[3] = 0;
}

void CGeGrid::ClearColor() {
  if (!m_pColors) return;
  for (size_t k = 0, n = size_t(m_nCols) * m_nRows; k < n; ++k) SetPlain(m_pColors[k]);
}

void CGeGrid::ClearColor(int col, int row) {
  if (InShowWindow(*this, col, row)) SetPlain(m_pColors[col + size_t(row) * m_nCols]);
}

void CGeGrid::ColorOnLine(float x1, float y1, float x2, float y2, unsigned long colour) {
  if (m_pColors) WalkLine(*this, x1, y1, x2, y2, [&](int c, int r) { SetColor(c, r, colour); });
}

void CGeGrid::ColorOnCurve(CGeCurve* curve, unsigned long colour) {
  ForEachSegment(curve, [&](float x1, float y1, float x2, float y2) {
    ColorOnLine(x1, y1, x2, y2, colour);
  });
}

void CGeGrid::ColorFloodFill(unsigned col, unsigned row, int& left, int& top, int& right,
                             int& bottom, unsigned long colour) {
  FloodFill(*this, col, row, left, top, right, bottom,
            [&](unsigned c, unsigned r) { SetColor(c, r, colour); });
}

void CGeGrid::SetMask(int col, int row, unsigned char value) {
  if (!m_pColors || col < 0 || row < 0 || unsigned(col) >= m_nCols || unsigned(row) >= m_nRows)
    return;
  const size_t k = col + size_t(row) * m_nCols;
  const float z = m_pNodes[k].z;
  if (z < m_fMaskLow + 0.0001f || z >= m_fMaskHigh) return;
  value = std::min<unsigned char>(value, 100);
  MaskedColor(value, m_pColors[k]);
  m_pColors[k][3] = value;
}

void CGeGrid::MaskAll() {
  if (!m_pColors) return;
  for (size_t k = 0, n = size_t(m_nCols) * m_nRows; k < n; ++k) {
    std::memcpy(m_pColors[k], GRID_MASKED_RGB, 3);
    m_pColors[k][3] = 100;
  }
}

void CGeGrid::ClearMask() {
  if (!m_pColors) return;
  for (size_t k = 0, n = size_t(m_nCols) * m_nRows; k < n; ++k) {
    SetPlain(m_pColors[k]);
    m_pColors[k][3] = 0;
  }
}

void CGeGrid::ClearMask(int col, int row) {
  if (!InShowWindow(*this, col, row)) return;
  uint8_t* p = m_pColors[col + size_t(row) * m_nCols];
  SetPlain(p);
  p[3] = 0;
}

void CGeGrid::SetVetZeroFlag() {
  if (!m_pColors) return;
  for (size_t k = 0, n = size_t(m_nCols) * m_nRows; k < n; ++k) m_pColors[k][3] &= 0xfe;
}

void CGeGrid::MaskUnderZ(float z) {
  ClearMask();
  int l, t, r, b;
  if (!HalfOpenWindow(*this, l, t, r, b)) return;
  for (int row = t; row < b; ++row)
    for (int col = l; col < r; ++col) {
      const size_t k = col + size_t(row) * m_nCols;
      if (m_pNodes[k].z > z) continue;
      std::memcpy(m_pColors[k], GRID_MASKED_RGB, 3);
      m_pColors[k][3] = 100;
    }
}

void CGeGrid::InverseMask() {
  int l, t, r, b;
  if (!HalfOpenWindow(*this, l, t, r, b)) return;
  for (int row = t; row < b; ++row)
    for (int col = l; col < r; ++col) {
      uint8_t* p = m_pColors[col + size_t(row) * m_nCols];
      const bool masked = p[3] != 0;
      std::memcpy(p, masked ? GRID_PLAIN_RGB : GRID_MASKED_RGB, 3);
      p[3] = masked ? 0 : 100;
    }
}

void CGeGrid::MaskOnLine(float x1, float y1, float x2, float y2) {
  if (m_pColors) WalkLine(*this, x1, y1, x2, y2, [&](int c, int r) { SetMask(c, r, 100); });
}

void CGeGrid::MaskOnCurve(CGeCurve* curve) {
  ForEachSegment(curve, [&](float x1, float y1, float x2, float y2) {
    MaskOnLine(x1, y1, x2, y2);
  });
}

void CGeGrid::MaskFloodFill(unsigned col, unsigned row, int& left, int& top, int& right,
                            int& bottom) {
  FloodFill(*this, col, row, left, top, right, bottom,
            [&](unsigned c, unsigned r) { SetMask(int(c), int(r), 100); });
}

unsigned char CGeGrid::Convolve(int col, int row, float (*const kernel)[3]) {
  double sum = 0, weight = 0;
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) {
      const int c = col - 1 + i, r = row - 1 + j;
      if (c < 0 || r < 0 || c >= int(m_nCols) || r >= int(m_nRows)) continue;
      sum += double(kernel[i][j]) * m_pColors[c + size_t(r) * m_nCols][3];
      weight += kernel[i][j];
    }
  if (weight <= 0) weight = 1;
  // The small lift keeps float rounding from eroding a uniform mask by one at every pass.
  const double value = std::clamp(sum / weight + 1e-4, 0.0, 100.0);
  return static_cast<unsigned char>(value);
}

void CGeGrid::Convolve(float (*const kernel)[3]) {
  int l, t, r, b;
  if (!HalfOpenWindow(*this, l, t, r, b)) return;
  // In place, rows then columns ascending: nodes filtered earlier feed their new values into
  // the later ones.
  for (int row = t; row < b; ++row)
    for (int col = l; col < r; ++col) SetMask(col, row, Convolve(col, row, kernel));
}

void CGeGrid::BlurMask() {
  float kernel[3][3] = {{0.045f, 0.122f, 0.045f}, {0.122f, 0.332f, 0.122f}, {0.045f, 0.122f, 0.045f}};
  Convolve(kernel);
}

void CGeGrid::SharpenMask() {
  if (!m_pColors) return;
  const size_t n = size_t(m_nCols) * m_nRows;
  int lo = 255, hi = 0;
  for (size_t k = 0; k < n; ++k) {
    lo = std::min<int>(lo, m_pColors[k][3]);
    hi = std::max<int>(hi, m_pColors[k][3]);
  }
  const int step = (hi - lo) / 5;
  // Mask values stay within 0 .. 100 even when the values already sit near the top.
  const int floor = std::min(100, step > 1 ? lo + step : lo + 2);
  for (size_t k = 0; k < n; ++k)
    if (m_pColors[k][3] < floor) m_pColors[k][3] = uint8_t(floor);
}
