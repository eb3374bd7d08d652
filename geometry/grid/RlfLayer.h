// One layer of a relief: a height field of the grid's size with a combine mode, kept as per-row
// spans of present heights while resting and expanded into the grid's working heights while it
// is the current layer.
#pragma once

#include <cstdint>
#include <vector>

#include "geometry/shapes2d/Layer.h"

// A run of present heights: first and last position (inclusive) and the heights in order.
struct RlfIndexData {
  int32_t first;
  int32_t last;
  std::vector<float> heights;
};

// A touched node: linear index col + row * cols and a height.
struct SRlfNode {
  uint32_t index;
  float height;
};

// Heights at or below this magnitude count as absent.
constexpr float RLF_HEIGHT_EPS = 0.0001f;

class CRlfLayer : public CLayer {
 public:
  CRlfLayer();
  CRlfLayer(unsigned cols, unsigned rows, short mode);
  ~CRlfLayer() override;
  CRlfLayer(const CRlfLayer&) = delete;
  CRlfLayer& operator=(const CRlfLayer&) = delete;

  void ClearRlfRowIndex();
  // Row index from the height buffer: per row, the runs of present heights by column.
  void CreateRlfRowIndexFromHeight();
  // Height buffer from the row index (zero elsewhere); nothing unless both exist.
  void CreateHeightFromRowIndex();
  // Height of linear node index from the row index; 0 outside every span.
  float GetHeightFromRowIndex(unsigned index) const;

  float* m_pHeight;  // not owned: the grid's working heights once lent
  short m_nMode;     // 0 add, 1 subtract, 2 maximum, 3 minimum
  unsigned m_nCols;
  unsigned m_nRows;
  std::vector<RlfIndexData>* m_pRowIndex;  // rows entries, owned, or null
};
