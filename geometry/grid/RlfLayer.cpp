#include "geometry/grid/RlfLayer.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <new>
#include <stdexcept>
#include <vector>

#include "geometry/grid/GeGrid.h"
#include "geometry/grid/TGrid.h"
#include "geometry/shapes2d/GeShape2d.h"
#include "platform/vurode/Accessors.h"

IMPLEMENT_SERIAL(CRlfLayer, CLayer, GE_SCHEMA_2D)

CRlfLayer::CRlfLayer() : CRlfLayer(0, 0, 0) {}

CRlfLayer::CRlfLayer(unsigned cols, unsigned rows, short mode)
    : m_pHeight(nullptr),
      m_nMode(mode),
      m_nCols(cols),
      m_nRows(rows),
      m_pRowIndex(nullptr),
      m_bCurrent(false) {}

CRlfLayer::~CRlfLayer() { ClearRlfRowIndex(); }

void CRlfLayer::ClearRlfRowIndex() {
  delete[] m_pRowIndex;
  m_pRowIndex = nullptr;
}

void CRlfLayer::CreateRlfRowIndexFromHeight() {
  if (m_pRowIndex)
    for (unsigned r = 0; r < m_nRows; ++r) m_pRowIndex[r].clear();
  else
    m_pRowIndex = new std::vector<RlfIndexData>[m_nRows];
  if (!m_pHeight) return;
  for (unsigned r = 0; r < m_nRows; ++r) {
    const float* row = m_pHeight + size_t(r) * m_nCols;
    CRlfRunBuilder runs(m_pRowIndex[r]);
    for (unsigned c = 0; c < m_nCols; ++c) runs.Add(int32_t(c), row[c]);
  }
}

void CRlfLayer::CreateHeightFromRowIndex() {
  if (!m_pHeight || !m_pRowIndex) return;
  std::fill_n(m_pHeight, size_t(m_nCols) * m_nRows, 0.0f);
  for (unsigned r = 0; r < m_nRows; ++r)
    for (const RlfIndexData& s : m_pRowIndex[r])
      for (int32_t i = 0; i <= s.last - s.first; ++i)
        m_pHeight[s.first + i + size_t(r) * m_nCols] = s.heights[i];
}

float CRlfLayer::GetHeightFromRowIndex(unsigned index) const {
  if (!m_pRowIndex || !m_nCols) return 0;
  const unsigned row = index / m_nCols;
  const int32_t col = int32_t(index % m_nCols);
  if (row >= m_nRows) return 0;
  for (const RlfIndexData& s : m_pRowIndex[row])
    if (s.first <= col && col <= s.last) return s.heights[col - s.first];
  return 0;
}

float CRlfLayer::Interplate(float dx, float dy) const {
  const CGeGrid* grid = gGetRlfGrid();
  if (!grid || !m_nCols || !m_nRows) return 0;
  if (HeightsInBuffer())
    return CGeGrid::InterplateWith([&](int i, int j) { return m_pHeight[i + size_t(j) * m_nCols]; },
                                   m_nCols, m_nRows, grid->GetCell(), dx, dy);
  return CGeGrid::InterplateWith(
      [&](int i, int j) { return GetHeightFromRowIndex(unsigned(i + size_t(j) * m_nCols)); }, m_nCols,
      m_nRows, grid->GetCell(), dx, dy);
}

void CRlfLayer::CreateRlfIndexData(std::vector<RlfIndexData>& spans) const {
  spans.clear();
  CRlfRunBuilder runs(spans);
  if (HeightsInBuffer()) {
    const size_t n = size_t(m_nCols) * m_nRows;
    for (size_t k = 0; k < n; ++k) runs.Add(int32_t(k), m_pHeight[k]);
    return;
  }
  if (!m_pRowIndex) return;
  // A resting layer: its spans expanded row by row, so that runs join across row ends as the
  // linear scan of a buffer would join them.
  std::vector<float> row(m_nCols);
  for (unsigned r = 0; r < m_nRows; ++r) {
    std::fill(row.begin(), row.end(), 0.0f);
    for (const RlfIndexData& s : m_pRowIndex[r]) std::copy(s.heights.begin(), s.heights.end(), row.begin() + s.first);
    for (unsigned c = 0; c < m_nCols; ++c) runs.Add(int32_t(c + size_t(r) * m_nCols), row[c]);
  }
}

CRlfLayer* CRlfLayer::Copy() {
  // The buffer is the current layer's only up-to-date copy; a resting layer's buffer belongs
  // to another layer and must not overwrite its spans.
  if (HeightsInBuffer()) {
    ClearRlfRowIndex();
    CreateRlfRowIndexFromHeight();
  }
  auto* copy = new CRlfLayer(m_nCols, m_nRows, m_nMode);
  copy->m_pRowIndex = new std::vector<RlfIndexData>[m_nRows];
  if (m_pRowIndex)
    for (unsigned r = 0; r < m_nRows; ++r) copy->m_pRowIndex[r] = m_pRowIndex[r];
  return copy;
}

void CRlfLayer::Serialize(CArchive& ar) {
  CLayer::Serialize(ar);
  if (ar.IsStoring()) {
    std::vector<RlfIndexData> spans;
    CreateRlfIndexData(spans);
    ar << m_nMode << m_nCols << m_nRows << unsigned(spans.size());
    for (const RlfIndexData& s : spans) {
      ar << s.first << s.last;
      for (float h : s.heights) ar << h;
    }
    return;
  }

  short mode = 0;
  unsigned cols = 0, rows = 0, count = 0;
  ar >> mode >> cols >> rows >> count;
  const size_t nodes = size_t(cols) * rows;
  // A layer has nodes in both directions or none. A lent buffer holds exactly the layer's
  // present size: a record of another size would write outside it.
  if ((cols == 0) != (rows == 0) || nodes > GE_GRID_MAX_NODES ||
      (m_pHeight && (cols != m_nCols || rows != m_nRows)))
    AfxThrowArchiveException(CArchiveException::genericException);
  // The row index takes memory for every row, which the record does not back with bytes. With
  // a lent buffer its owner has paid for the size already; without one, a tall layer must at
  // least be matched by what the archive still holds.
  constexpr unsigned kRowsWithoutBuffer = 1u << 16;
  if (!m_pHeight && rows > kRowsWithoutBuffer) ar.CheckCount(rows);
  ar.CheckCount(count, 3 * 4);  // a span holds at least first, last and one height

  // Sizes are checked against the archive before anything is allocated; memory that still
  // cannot be had is the archive's failure, as this is called directly while a buffer is lent.
  std::vector<RlfIndexData> spans;
  std::unique_ptr<std::vector<RlfIndexData>[]> rowIndex;
  try {
    spans.resize(count);
    int64_t prevLast = -1;
    for (RlfIndexData& s : spans) {
      ar >> s.first >> s.last;
      // Spans are written in ascending order without overlap, every index inside the grid.
      if (s.first <= prevLast || s.last < s.first || size_t(s.last) >= nodes)
        AfxThrowArchiveException(CArchiveException::genericException);
      prevLast = s.last;
      const size_t n = size_t(s.last) - size_t(s.first) + 1;
      ar.CheckCount(n, 4);
      s.heights.resize(n);
      for (float& h : s.heights) ar >> h;
      ar.CheckFinite(s.heights.data(), n);
    }

    rowIndex.reset(new std::vector<RlfIndexData>[rows]);
    std::vector<RlfIndexData> none;
    CRlfRunBuilder runs(none);
    unsigned curRow = 0;
    for (const RlfIndexData& s : spans)
      for (size_t k = size_t(s.first); k <= size_t(s.last); ++k) {
        const unsigned r = unsigned(k / cols);
        if (r != curRow || k == size_t(s.first)) runs.Restart(rowIndex[curRow = r]);
        runs.Add(int32_t(k % cols), s.heights[k - size_t(s.first)]);
      }
  } catch (const std::bad_alloc&) {
    AfxThrowArchiveException(CArchiveException::genericException);
  } catch (const std::length_error&) {
    AfxThrowArchiveException(CArchiveException::genericException);
  }

  ClearRlfRowIndex();
  m_nMode = mode;
  m_nCols = cols;
  m_nRows = rows;
  m_pRowIndex = rowIndex.release();
  if (m_pHeight) {
    std::fill_n(m_pHeight, nodes, 0.0f);
    for (const RlfIndexData& s : spans) std::copy(s.heights.begin(), s.heights.end(), m_pHeight + s.first);
  }
}
