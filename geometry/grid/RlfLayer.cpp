#include "geometry/grid/RlfLayer.h"

#include <algorithm>
#include <cmath>

CRlfLayer::CRlfLayer() : CRlfLayer(0, 0, 0) {}

CRlfLayer::CRlfLayer(unsigned cols, unsigned rows, short mode)
    : m_pHeight(nullptr), m_nMode(mode), m_nCols(cols), m_nRows(rows), m_pRowIndex(nullptr) {}

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
    std::vector<RlfIndexData>& spans = m_pRowIndex[r];
    for (unsigned c = 0; c < m_nCols; ++c) {
      if (!(std::fabs(row[c]) > RLF_HEIGHT_EPS)) continue;
      if (spans.empty() || spans.back().last != int32_t(c) - 1)
        spans.push_back({int32_t(c), int32_t(c), {}});
      spans.back().last = int32_t(c);
      spans.back().heights.push_back(row[c]);
    }
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
