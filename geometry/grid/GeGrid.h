// Relief height grid: cols x rows nodes one cell apart from an origin, each with a normal, a
// position and a colour whose fourth byte is the node's mask value. The heights are composed
// from an ordered list of relief layers; the current layer edits the grid's working heights.
#pragma once

#include <cstdint>
#include <vector>

#include "geometry/grid/RlfLayer.h"
#include "geometry/surfaces/GeSurf.h"

class CDib;
class COpenGLDC;
class CGeGrid;

// Node record in OpenGL's interleaved N3F_V3F layout.
struct SGridNode {
  float nx = 0, ny = 0, nz = 1;
  float x = 0, y = 0, z = 0;
};
static_assert(sizeof(SGridNode) == 24);

// Screen position of a sampled node.
struct SScreenVet {
  int16_t x;
  int16_t y;
};

// Plain node colour and the fully masked one (mask value 100).
constexpr uint8_t GRID_PLAIN_RGB[3] = {146, 118, 44};
constexpr uint8_t GRID_MASKED_RGB[3] = {58, 47, 18};

class CGeGrid : public CGeSurf {
  DECLARE_SERIAL(CGeGrid)

 public:
  CGeGrid();
  ~CGeGrid() override;

  // A grid is not part of a document: nothing is stored or loaded.
  void Serialize(CArchive& ar) override;
  int GetType() const override;
  // Same geometry, node heights and normals, with one empty "Layer 0".
  CGeGrid* Copy() override;
  void CalcBox() override;
  // Stores and loads nothing; 1.
  virtual int SerializeEx(CArchive& ar);

  // origin: x, y, z. 0 (grid unchanged) for fewer than 2 columns or rows, a cell that is not
  // positive, or more nodes than a grid may have.
  int Create(float* const origin, float cell, int cols, int rows, float z0);
  // Frees nodes, strips, colours, layers, the relief image and the pick cache; counts, origin,
  // cell, working heights and the frame cache stay.
  void ClearGrid();

  CRect GetShowRect() const { return m_rcShow; }
  void GetShowRange(unsigned& left, unsigned& top, unsigned& right, unsigned& bottom) const;
  void GetShowRange(CRect r, unsigned& left, unsigned& top, unsigned& right,
                    unsigned& bottom) const;
  // A different window drops the whole-grid strips (rebuilt at the next drawing).
  void SetShowRange(unsigned left, unsigned top, unsigned right, unsigned bottom);
  // Node-index rectangle covering the listed nodes; empty for none.
  CRect CreateLocalRect(std::vector<SRlfNode>* nodes) const;
  // Indices must lie inside the grid.
  void SetZHeight(int col, int row, float z) { m_pNodes[col + row * m_nCols].z = z; }
  void ModifyOrigin(float* const origin);
  // Height at offset (dx, dy) from the origin: the mean of the interpolations along the four
  // sides of the cell, clamped to the grid.
  float Interplate(float dx, float dy) const;
  // Column (axis 0) or row (axis 1) whose node coordinate is nearest to v.
  int Get_Index(float v, int axis) const;
  // Node nearest to a screen point: position and (column, row); 0 without a drawing context.
  int GetPickedNode(CPoint pt, CPoint3d& node, int* const index);

  CRlfLayer* GetCurLayer() const { return m_pCurLayer; }
  // Compresses the old current layer into its spans and expands the new one into the working
  // heights. The layer must belong to this grid.
  void SetCurLayer(CRlfLayer* layer);
  int IsValidLayer(CRlfLayer* layer) const;
  int IsModified() const { return m_bModified; }
  void SetModified(int modified) { m_bModified = modified; }

  // Node normals from the cross products of the cell diagonals, each node summing its cells.
  void ComputerNormal();
  // Stretches the heights linearly onto [min(a, b), max(a, b)]; the box z range becomes that.
  void ScaleHeights(float a, float b);
  // Fractal terrain (fixed seed) stretched over the grid and scaled to 0 .. height.
  void SquareDiamond(float height);

  // Free a strip index list and zero its count (the local one also its capacity).
  void ClearAllTriStrip();
  void ClearRoughTriStrip();
  void ClearLocTriStrip();

  // Screen positions of every step-th node for picking; needs a drawing context and a view.
  void CreateScreenVet();
  void ClearScreenVet();

  unsigned GetCols() const { return m_nCols; }
  unsigned GetRows() const { return m_nRows; }
  float GetCell() const { return m_fCell; }
  const SGridNode& Node(unsigned col, unsigned row) const { return m_pNodes[col + row * m_nCols]; }

  double m_dOriginX;
  double m_dOriginY;
  double m_dOriginZ;  // read only by Copy
  float m_fCell;
  uint32_t m_nCols;
  uint32_t m_nRows;
  float m_fMaskLow;
  float m_fMaskHigh;
  SGridNode* m_pNodes;
  uint8_t (*m_pColors)[4];  // red, green, blue, mask value
  uint32_t* m_pAllStrip;
  uint32_t m_nAllStrip;
  uint32_t* m_pRoughStrip;
  uint32_t m_nRoughStrip;
  uint32_t* m_pLocStrip;
  uint32_t m_nLocStrip;
  uint32_t m_nLocCapacity;
  SScreenVet* m_pScreenVet;
  uint32_t m_nStepX;
  uint32_t m_nStepY;
  uint32_t m_nSampleCols;
  uint32_t m_nSampleRows;
  int m_nFrameW;
  int m_nFrameH;
  uint8_t* m_pFrame;
  uint32_t m_nNodeBuf;
  uint32_t m_nIndexBuf;
  CRect m_rcShow;
  CDib* m_pImage;
  int m_bModified;
  CRlfLayer* m_pCurLayer;
  float* m_pHeights;
  CObList m_LayerList;
  std::vector<int> m_SavedVisible;

 private:
  void FreeNodeBuffers();
  void DeleteLayers();
  // Screen position of a world point as the pick cache stores it.
  static SScreenVet ProjectToScreen(const COpenGLDC& dc, const float p[3]);
};
