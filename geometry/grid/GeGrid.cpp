#include "geometry/grid/GeGrid.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>

#include "geometry/grid/TGrid.h"
#include "geometry/shapes2d/GeShape2d.h"
#include "platform/vurode/Accessors.h"
#include "platform/vurode/Dib.h"
#include "platform/vurode/OpenGLDC.h"

IMPLEMENT_SERIAL(CGeGrid, CObject, GE_SCHEMA_3D)

CGeGrid::CGeGrid()
    : m_dOriginX(0),
      m_dOriginY(0),
      m_dOriginZ(0),
      m_fCell(0),
      m_nCols(0),
      m_nRows(0),
      m_fMaskLow(-50.0f),
      m_fMaskHigh(50.0f),
      m_pNodes(nullptr),
      m_pColors(nullptr),
      m_pAllStrip(nullptr),
      m_nAllStrip(0),
      m_pRoughStrip(nullptr),
      m_nRoughStrip(0),
      m_pLocStrip(nullptr),
      m_nLocStrip(0),
      m_nLocCapacity(0),
      m_pScreenVet(nullptr),
      m_nStepX(0),
      m_nStepY(0),
      m_nSampleCols(0),
      m_nSampleRows(0),
      m_nFrameW(0),
      m_nFrameH(0),
      m_pFrame(nullptr),
      m_nNodeBuf(0),
      m_nIndexBuf(0),
      m_pImage(nullptr),
      m_bModified(0),
      m_pCurLayer(nullptr),
      m_pHeights(nullptr),
      m_LayerList(10) {}

// Memory is released whether or not a drawing context exists; only the GL buffer objects need
// one.
CGeGrid::~CGeGrid() {
  ClearGrid();
  delete[] m_pFrame;
  delete[] m_pHeights;
  if (COpenGLDC* dc = gGetOpenGLDC()) {
    if (m_nNodeBuf) dc->DeleteBuffers(1, &m_nNodeBuf);
    if (m_nIndexBuf) dc->DeleteBuffers(1, &m_nIndexBuf);
  }
}

void CGeGrid::Serialize(CArchive&) {}

int CGeGrid::SerializeEx(CArchive&) { return 1; }

int CGeGrid::GetType() const { return GE_TYPE_GRID; }

void CGeGrid::DeleteLayers() {
  for (POSITION pos = m_LayerList.GetHeadPosition(); pos;)
    delete static_cast<CRlfLayer*>(m_LayerList.GetNext(pos));
  m_LayerList.RemoveAll();
  m_pCurLayer = nullptr;
}

void CGeGrid::ClearAllTriStrip() {
  delete[] m_pAllStrip;
  m_pAllStrip = nullptr;
  m_nAllStrip = 0;
}

void CGeGrid::ClearRoughTriStrip() {
  delete[] m_pRoughStrip;
  m_pRoughStrip = nullptr;
  m_nRoughStrip = 0;
}

void CGeGrid::ClearLocTriStrip() {
  delete[] m_pLocStrip;
  m_pLocStrip = nullptr;
  m_nLocStrip = m_nLocCapacity = 0;
}

void CGeGrid::FreeNodeBuffers() {
  delete[] m_pNodes;
  m_pNodes = nullptr;
  ClearAllTriStrip();
  ClearRoughTriStrip();
  ClearLocTriStrip();
  delete[] m_pColors;
  m_pColors = nullptr;
}

void CGeGrid::ClearGrid() {
  FreeNodeBuffers();
  DeleteLayers();
  delete m_pImage;
  m_pImage = nullptr;
  ClearScreenVet();
}

int CGeGrid::Create(float* const origin, float cell, int cols, int rows, float z0) {
  if (cols < 2 || rows < 2 || !(cell > 0) || !std::isfinite(cell)) return 0;
  const size_t n = size_t(cols) * size_t(rows);
  if (n > GE_GRID_MAX_NODES) return 0;
  auto* nodes = new (std::nothrow) SGridNode[n];
  auto* heights = new (std::nothrow) float[n]();
  if (!nodes || !heights) {
    delete[] nodes;
    delete[] heights;
    return 0;
  }
  // A grid that already held nodes gives up its buffers (the colours only when the size
  // changes) rather than leaking them.
  if (m_pColors && size_t(m_nCols) * m_nRows != n) {
    delete[] m_pColors;
    m_pColors = nullptr;
  }
  delete[] m_pNodes;
  delete[] m_pHeights;
  ClearScreenVet();

  m_dOriginX = origin[0];
  m_dOriginY = origin[1];
  m_nRows = rows;
  m_nCols = cols;
  m_fCell = cell;
  m_rcShow = CRect(0, 0, cols - 1, rows - 1);
  m_pNodes = nodes;
  for (int i = 0; i < rows; ++i) {
    float x = origin[0] - cell;
    const float y = origin[1] + cell * float(i);
    for (int j = 0; j < cols; ++j) {
      x += cell;
      SGridNode& node = m_pNodes[j + size_t(i) * cols];
      node.x = x, node.y = y, node.z = z0;
    }
  }
  const double ox = origin[0], oy = origin[1], oz = origin[2];
  m_box.min[0] = std::min(ox, ox + double(cell) * cols);
  m_box.max[0] = std::max(ox, ox + double(cell) * cols);
  m_box.min[1] = std::min(oy, oy + double(cell) * rows);
  m_box.max[1] = std::max(oy, oy + double(cell) * rows);
  m_box.min[2] = std::min(oz, oz + z0);
  m_box.max[2] = std::max(oz, oz + z0);

  if (!m_pColors) m_pColors = new uint8_t[n][4];
  for (size_t k = 0; k < n; ++k) {
    std::memcpy(m_pColors[k], GRID_PLAIN_RGB, 3);
    m_pColors[k][3] = 0;
  }
  m_pHeights = heights;

  DeleteLayers();
  m_bModified = 1;
  auto* layer = new CRlfLayer(cols, rows, 0);
  layer->SetName(L"Layer 0");
  m_LayerList.AddTail(layer);
  m_pCurLayer = layer;
  layer->m_pHeight = m_pHeights;
  layer->m_bCurrent = true;
  return 1;
}

void CGeGrid::CalcBox() {
  m_box.min[0] = m_dOriginX;
  m_box.max[0] = m_dOriginX + double(m_fCell) * m_nCols;
  m_box.min[1] = m_dOriginY;
  m_box.max[1] = m_dOriginY + double(m_fCell) * m_nRows;
  const size_t n = size_t(m_nCols) * m_nRows;
  if (!m_pNodes || !n) {
    m_box.min[2] = m_box.max[2] = 0;
    return;
  }
  float lo = m_pNodes[0].z, hi = lo;
  for (size_t k = 1; k < n; ++k) {
    lo = std::min(lo, m_pNodes[k].z);
    hi = std::max(hi, m_pNodes[k].z);
  }
  m_box.min[2] = lo;
  m_box.max[2] = hi;
}

CGeGrid* CGeGrid::Copy() {
  auto* grid = new CGeGrid;
  float origin[3] = {float(m_dOriginX), float(m_dOriginY), float(m_dOriginZ)};
  if (m_pNodes && grid->Create(origin, m_fCell, int(m_nCols), int(m_nRows), 0)) {
    for (size_t k = 0, n = size_t(m_nCols) * m_nRows; k < n; ++k) {
      SGridNode& d = grid->m_pNodes[k];
      const SGridNode& s = m_pNodes[k];
      d.z = s.z;
      d.nx = s.nx, d.ny = s.ny, d.nz = s.nz;
    }
  }
  grid->CopyFromSurf(this);
  return grid;
}

void CGeGrid::GetShowRange(unsigned& left, unsigned& top, unsigned& right,
                           unsigned& bottom) const {
  GetShowRange(m_rcShow, left, top, right, bottom);
}

void CGeGrid::GetShowRange(CRect r, unsigned& left, unsigned& top, unsigned& right,
                           unsigned& bottom) const {
  left = unsigned(r.left);
  top = unsigned(r.top);
  right = unsigned(r.right);
  bottom = unsigned(r.bottom);
}

void CGeGrid::SetShowRange(unsigned left, unsigned top, unsigned right, unsigned bottom) {
  const CRect r{int(left), int(top), int(right), int(bottom)};
  if (r == m_rcShow) return;
  m_rcShow = r;
  ClearAllTriStrip();
  ClearRoughTriStrip();
}

CRect CGeGrid::CreateLocalRect(std::vector<SRlfNode>* nodes) const {
  if (!nodes || nodes->empty() || !m_nCols) return CRect();
  unsigned left = m_nCols, top = m_nRows, right = 0, bottom = 0;
  for (const SRlfNode& n : *nodes) {
    const unsigned col = n.index % m_nCols, row = n.index / m_nCols;
    left = std::min(left, col);
    right = std::max(right, col);
    top = std::min(top, row);
    bottom = std::max(bottom, row);
  }
  return CRect(int(left), int(top), int(right), int(bottom));
}

void CGeGrid::ModifyOrigin(float* const origin) {
  const float dx = float(origin[0] - m_dOriginX), dy = float(origin[1] - m_dOriginY);
  for (size_t k = 0, n = m_pNodes ? size_t(m_nCols) * m_nRows : 0; k < n; ++k) {
    m_pNodes[k].x += dx;
    m_pNodes[k].y += dy;
  }
  m_dOriginX = origin[0];
  m_dOriginY = origin[1];
  m_box.min[0] = origin[0];
  m_box.min[1] = origin[1];
  m_box.max[0] = origin[0] + double(m_fCell) * m_nCols;
  m_box.max[1] = origin[1] + double(m_fCell) * m_nRows;
}

float CGeGrid::Interplate(float dx, float dy) const {
  if (!m_pNodes) return 0;
  return InterplateWith([&](int i, int j) { return m_pNodes[i + size_t(j) * m_nCols].z; }, m_nCols,
                        m_nRows, m_fCell, dx, dy);
}

int CGeGrid::Get_Index(float v, int axis) const {
  if (!m_pNodes) return 0;
  auto coord = [&](int k) { return axis == 0 ? m_pNodes[k].x : m_pNodes[size_t(k) * m_nCols].y; };
  return geNearestNodeIndex(int(axis == 0 ? m_nCols : m_nRows), coord, v);
}

int CGeGrid::IsValidLayer(CRlfLayer* layer) const {
  return layer && m_LayerList.Find(layer) ? 1 : 0;
}

void CGeGrid::SetCurLayer(CRlfLayer* layer) {
  // A foreign layer (possibly of another size) must never receive the working heights.
  if (layer == m_pCurLayer || !IsValidLayer(layer)) return;
  if (m_pCurLayer) {
    m_pCurLayer->CreateRlfRowIndexFromHeight();
    m_pCurLayer->m_bCurrent = false;
  }
  layer->m_pHeight = m_pHeights;
  layer->m_bCurrent = true;
  if (layer->m_pRowIndex)
    layer->CreateHeightFromRowIndex();
  else if (m_pHeights)  // a new layer has no heights yet, not the previous layer's
    std::fill_n(m_pHeights, size_t(m_nCols) * m_nRows, 0.0f);
  m_pCurLayer = layer;
}
