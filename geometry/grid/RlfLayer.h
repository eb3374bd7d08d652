// One layer of a relief: a height field of the grid's size with a combine mode, kept as per-row
// spans of present heights while resting and expanded into the grid's working heights while it
// is the current layer.
#pragma once

#include <cmath>
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

// Gathers the runs of present heights of a scan into spans; positions are the caller's.
class CRlfRunBuilder {
 public:
  explicit CRlfRunBuilder(std::vector<RlfIndexData>& spans) : m_pSpans(&spans) {}
  // Next scanned height at pos; an absent height ends the open run.
  void Add(int32_t pos, float h) {
    if (!(std::fabs(h) > RLF_HEIGHT_EPS)) {
      m_bOpen = false;
      return;
    }
    if (!m_bOpen) m_pSpans->push_back({pos, pos, {}});
    m_bOpen = true;
    m_pSpans->back().last = pos;
    m_pSpans->back().heights.push_back(h);
  }
  // Ends the open run and sends later runs to other spans.
  void Restart(std::vector<RlfIndexData>& spans) {
    m_pSpans = &spans;
    m_bOpen = false;
  }

 private:
  std::vector<RlfIndexData>* m_pSpans;
  bool m_bOpen = false;
};

class CRlfLayer : public CLayer {
  DECLARE_SERIAL(CRlfLayer)

 public:
  CRlfLayer();
  CRlfLayer(unsigned cols, unsigned rows, short mode);
  ~CRlfLayer() override;
  CRlfLayer(const CRlfLayer&) = delete;
  CRlfLayer& operator=(const CRlfLayer&) = delete;

  // Storing writes the layer's own heights (the buffer while it is current, else its spans).
  // Loading needs a lent buffer to match the stored size (cols and rows set with the buffer) or
  // no buffer at all (the spans alone are loaded); corrupt records throw and change nothing.
  // Without a buffer, a layer of more than 65536 rows needs as many bytes left in the archive,
  // so that a short record cannot claim a huge row index.
  void Serialize(CArchive& ar) override;

  void ClearRlfRowIndex();
  // Row index from the height buffer: per row, the runs of present heights by column.
  void CreateRlfRowIndexFromHeight();
  // Height buffer from the row index (zero elsewhere); nothing unless both exist.
  void CreateHeightFromRowIndex();
  // Height of linear node index from the row index; 0 outside every span.
  float GetHeightFromRowIndex(unsigned index) const;
  // The grid's interpolation over this layer's heights with the cell size of the relief grid
  // being worked on; 0 without one.
  float Interplate(float dx, float dy) const;
  // Runs of the layer's heights in linear order (col + row * cols); spans is emptied first.
  void CreateRlfIndexData(std::vector<RlfIndexData>& spans) const;
  // Same size, mode and heights as spans, with a new layer's name, colour, ID and flags and no
  // buffer.
  CRlfLayer* Copy();

  // Whether the buffer holds this layer's heights: while current, or when it has no spans.
  bool HeightsInBuffer() const { return m_pHeight && (m_bCurrent || !m_pRowIndex); }

  float* m_pHeight;  // not owned: the grid's working heights once lent
  short m_nMode;     // 0 add, 1 subtract, 2 maximum, 3 minimum
  unsigned m_nCols;
  unsigned m_nRows;
  std::vector<RlfIndexData>* m_pRowIndex;  // rows entries, owned, or null
  // Set by the grid while its working heights are this layer's: a resting layer's pointer
  // still names the shared buffer, which then holds another layer's heights.
  bool m_bCurrent;
};
