// Relief height grid: cols x rows nodes one cell apart from an origin, each with a normal, a
// position and a colour whose fourth byte is the node's mask value. The heights are composed
// from an ordered list of relief layers; the current layer edits the grid's working heights.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <list>
#include <vector>

#include "geometry/grid/RlfLayer.h"
#include "geometry/grid/TGrid.h"
#include "geometry/surfaces/GeSurf.h"

class CBitmap;
class CDib;
class CGeCurve;
class CGeCurve3d;
class COpenGLDC;
class CGeGrid;
class CGeMesh;
class CGeRegion;
struct tagPoint3d;

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
  // The same rule over any cols x rows heights z(col, row).
  template <class Z>
  static float InterplateWith(Z z, unsigned cols, unsigned rows, float cell, float dx, float dy);
  // Column (axis 0) or row (axis 1) whose node coordinate is nearest to v.
  int Get_Index(float v, int axis) const;
  // Node nearest to a screen point: position and (column, row); 0 without a drawing context.
  int GetPickedNode(CPoint pt, CPoint3d& node, int* const index);

  CRlfLayer* GetCurLayer() const { return m_pCurLayer; }
  // Compresses the old current layer into its spans and expands the new one into the working
  // heights. The layer must belong to this grid.
  void SetCurLayer(CRlfLayer* layer);
  int IsValidLayer(CRlfLayer* layer) const;
  // Hides every layer but the current one, remembering the visibilities; then recomposes.
  void OnlyShowCurLayer();
  // Gives the layers back the visibilities the last OnlyShowCurLayer saved; then recomposes.
  void RestoreLayerVisbility();
  // Node heights composed from the visible layers, bottom first; normals and box follow.
  void UpdateZHeight();
  // The same for the listed nodes only; raises the modified flag.
  void UpdateZHeight(std::vector<SRlfNode>* nodes);
  // Combines the value grid into the current layer at the listed nodes, then recomposes them.
  void UpdateZHeight(CTGrid<float>* grid, std::vector<SRlfNode>* nodes);
  // Runs of the composed heights in linear order over the whole grid.
  void CreateHeightIndexDataAll(std::vector<RlfIndexData>& spans) const;
  // Runs of the composed heights over a node window (inclusive), numbered from 0 row by row
  // within it; box gets the window's corner positions and height range.
  void CreateHeightIndexDataLocal(CRect window, std::vector<RlfIndexData>& spans,
                                  _tagBox3D& box) const;
  // Normals of the listed nodes and their pick-cache entries; needs a drawing context.
  void UpdateNormal(std::vector<SRlfNode>* nodes);

  int IsModified() const { return m_bModified; }
  void SetModified(int modified) { m_bModified = modified; }

  // Node normals from the cross products of the cell diagonals, each node summing its cells.
  void ComputerNormal();
  // Stretches the heights linearly onto [min(a, b), max(a, b)]; the box z range becomes that.
  void ScaleHeights(float a, float b);
  // Fractal terrain (fixed seed) stretched over the grid and scaled to 0 .. height.
  void SquareDiamond(float height);

  // Node colours and the mask (fourth colour byte, 0 .. 100). Everything below needs the colour
  // array and does nothing without it; columns and rows outside the grid are skipped.
  void InitVertexColor();
  // colour: red in the low byte, then green, blue; the mask value becomes 0.
  void SetColor(unsigned col, unsigned row, unsigned long colour);
  void ClearColor();
  void ClearColor(int col, int row);
  // Paints the nodes nearest to a segment given in world x, y.
  void ColorOnLine(float x1, float y1, float x2, float y2, unsigned long colour);
  void ColorOnCurve(CGeCurve* curve, unsigned long colour);
  // Paints the 4-connected nodes of mask value at most 1 around the seed; the rectangle gets
  // the painted nodes' bounds grown by one node where the grid allows.
  void ColorFloodFill(unsigned col, unsigned row, int& left, int& top, int& right, int& bottom,
                      unsigned long colour);
  // Masks a node whose height lies in the mask height window; values above 100 count as 100.
  void SetMask(int col, int row, unsigned char value);
  void MaskAll();
  void ClearMask();
  void ClearMask(int col, int row);
  void SetVetZeroFlag();
  // Masks every node of the show window (right column and bottom row excluded) whose height is
  // at most z; all others are cleared.
  void MaskUnderZ(float z);
  // Swaps masked and unmasked nodes over the same window.
  void InverseMask();
  void MaskOnLine(float x1, float y1, float x2, float y2);
  void MaskOnCurve(CGeCurve* curve);
  void MaskFloodFill(unsigned col, unsigned row, int& left, int& top, int& right, int& bottom);
  void BlurMask();
  // Raises every mask value below a floor set by the spread of the values.
  void SharpenMask();
  // Colour of a node with mask value m (0 plain .. 100 fully masked).
  static void MaskedColor(unsigned char m, uint8_t rgb[3]);

  // One sweep moving each inner node not fully masked a third of the way to its 4-neighbour mean.
  void LapSmooth();
  // Displaces every node along its normal's z by amplitude x a random number in [-1, 1).
  void Noisify(float amplitude);
  // Weighted 3 x 3 sum around a node, mirroring missing neighbours through it; 0 off the grid.
  float GetMeanZ(int row, int col, float centre, float edge, float corner) const;
  // Grids are not sliced.
  void SliceXY(float z, CTypedPtrList<CObList, CGeCurve3d*>& curves);
  // The generator behind Noisify: one process-wide state, 0 when the library loads.
  static void SeedNoise(uint32_t seed);
  // Next value in [0, 1).
  static double NoiseRandom();

  // Free a strip index list and zero its count (the local one also its capacity).
  void ClearAllTriStrip();
  void ClearRoughTriStrip();
  void ClearLocTriStrip();

  // Drawing. Nodes go to OpenGL as they are (interleaved normal and position) and one index
  // list draws a node rectangle as a single triangle strip, rows joined by degenerate
  // triangles.
  void DrawGL(COpenGLDC* pDC, int nMode) override;
  // Strip over `rect` (clamped to the grid) taking every step-th row and column. The list is
  // reused while `capacity` suffices; `count` gets the number of indices. Needs a drawing
  // context.
  void CreateTStrip(CRect rect, unsigned step, uint32_t*& list, uint32_t& count,
                    uint32_t& capacity);
  void CreateAllStrip(CRect rect);
  void CreateRoughStrip(CRect rect);
  // Starts on even rows and columns so that it meets the rough strip's nodes.
  void CreateLocalStrip(CRect rect);
  // Copies the node array into a buffer object on the graphics card.
  void BuildVBOs();
  // Keeps the view's colour buffer to redraw under local updates.
  void GetFrameBuff();
  void ClearFrameBuff();
  // The show rectangle from the whole or (when two cells cover at most a pixel) rough strip;
  // only type 0 draws.
  void DrawGL_AllUpdate(int type);
  // The cached frame, then the local strip over it.
  void DrawGL_AllUpdateEx(int type);
  // The local strip straight over what is on screen.
  void DrawGL_LoaclUpdate(int type);
  // One black line along a node row or column of the show rectangle, stopping at the node
  // before its right column or bottom row.
  void DrawGL_Row(COpenGLDC* dc, int row);
  void DrawGL_Col(COpenGLDC* dc, int col);
  // About six rows and six columns as lines.
  void DrawGL_WireFrame(COpenGLDC* dc);
  void SetDefaultMaterial();
  // The show rectangle as a picture `width` pixels wide, the grid's highest row on top: heights
  // in relief colours, or grey from the lowest (black) to the highest (white) when `grey` is
  // set. Nothing for a null bitmap, a width below 1 or a show rectangle without area.
  void GetBitmap(CBitmap* bitmap, int width, int grey);
  // The grey picture at a given size.
  void CreateBitmap(CBitmap* bitmap, int width, int height);
  // The relief picture over the grid's place in a 2D view, made anew after the heights changed.
  void DrawImage(CDC* dc);
  // Paints a picture file onto the node colours, keeping the mask values; a grid without
  // colours gets plain ones (mask 0) first.
  void SetMaterial(CString path);

  // Projection onto the grid surface, merging of value grids and meshes.
  // result: the point of the grid surface straight below or above (point x, point y); false
  // when that lies outside the grid's box.
  bool ProjectZ(double* const point, double* const result);
  // The polyline following the grid surface under p1 -> p2, appended to points ordered by the
  // segment parameter t: the projected end points (end points off the grid keep height z) and
  // the crossings with the row and column lines.
  void ProjectZ(double* const p1, double* const p2, double z, std::list<tagPoint3d>& points);
  // The heights that merging values into the current layer would give (mode 0 add, 1 subtract,
  // 2 maximum, 3 minimum, each weighted by the node's mask), as (node, new height) pairs for
  // the nodes that would change; nothing is changed.
  void GetMergeNode(CTGrid<float>* values, int mode, std::vector<SRlfNode>& nodes);
  // Stamps values, stretched over box, scaled by factor and turned by angle about the box
  // centre, into the current layer (operation 0), or erases the layer under it (operation 1).
  // combine (0 add, 1 subtract, 2 maximum, 3 minimum) applies to unturned stamps. nodes
  // receives each touched node with its previous working height (for undo); the touched nodes
  // are recomposed.
  void ModifyWithFloatGrid(CTGrid<float>* values, _tagBox2D box, float factor, float angle,
                           int combine, int operation, std::vector<SRlfNode>* nodes);
  // Mesh of the show rectangle with four iso polylines each way; null without nodes.
  CGeMesh* ToMesh();
  // Mesh of the nodes inside box, trimmed to the non-zero heights; border vertices moved onto
  // the box. Null when nothing of the box or no two rows and columns of heights remain.
  CGeMesh* ToMesh(_tagBox2D box);
  // Mesh of the part of the show rectangle inside the region; nodes (may be null) receives
  // the index of every grid node taken as a vertex. Null when none of it is meshed.
  CGeMesh* ToMesh(CGeRegion* region, std::vector<unsigned>* nodes);

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
  // Composes one layer into the listed nodes (all nodes when null).
  void ComposeLayer(const CRlfLayer& layer, const std::vector<SRlfNode>* nodes, bool skipAbsent);
  // Screen position of a world point as the pick cache stores it.
  static SScreenVet ProjectToScreen(const COpenGLDC& dc, const float p[3]);
  // Filtered mask value of one in-grid node.
  unsigned char Convolve(int col, int row, float (*const kernel)[3]);
  // Filters the mask of the show window without its right column and bottom row, in place.
  void Convolve(float (*const kernel)[3]);
  // Mesh of the node window cols[0] .. cols[1] x rows[0] .. rows[1] with the rows and columns
  // of heights within 0.002 of zero trimmed from its sides; the arrays get the trimmed window.
  CGeMesh* ToMesh(int* const cols, int* const rows);
  // Mask value of a node, 0 without colours.
  int MaskAt(size_t k) const { return m_pColors ? m_pColors[k][3] : 0; }
};

template <class Z>
float CGeGrid::InterplateWith(Z z, unsigned cols, unsigned rows, float cell, float dx, float dy) {
  return geInterplateCells(z, int(cols), int(rows), double(dx) / cell, double(dy) / cell);
}
