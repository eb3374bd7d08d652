// Node graph shared by the parameter-domain and grid-region tessellators: boundary rings,
// sampling lines (rows of constant v, columns of constant u) crossing them, and the cells made
// from complete grid squares and from the boundary polygons left between them.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <vector>

#include "geometry/surfaces/GeTessDomain.h"

class CTessGraph {
 public:
  // How ring nodes meet a sampling line: nodes closer than `parallel` to it lie on it; a
  // crossing fraction below `sLow` or above `sHigh` takes the edge's end node instead of making
  // a new one.
  struct SLineRule {
    double parallel;
    double sLow;
    double sHigh;
  };

  CTessGraph() = default;
  ~CTessGraph();
  CTessGraph(const CTessGraph&) = delete;
  CTessGraph& operator=(const CTessGraph&) = delete;

  // A node appended to the output list with the next index.
  CTessNode* NewNode(double u, double v);
  // Closed ring through new nodes at the points, in order. Fewer than three points enclose
  // nothing: their nodes are made but take no part in the passes. Returns the first node.
  CTessNode* AddRing(const std::vector<std::array<double, 2>>& pts);
  const std::vector<CTessNode*>& Rings() const { return m_rings; }
  int NodeCount() const { return static_cast<int>(m_nodes.size()); }
  CTessNode* Node(int index) const { return m_nodes[static_cast<size_t>(index)]; }

  // Nodes where the line of coordinate c along axis (1: a row of constant v, 0: a column of
  // constant u) meets the rings, rows in ascending u and columns in descending v, so that
  // taken in pairs they enclose the domain along the line. Crossings inside an edge become new
  // nodes spliced into its ring; a node the ring only touches the line at is listed twice.
  // `locate`, when given, places a crossing inside the edge a -> b: it returns the crossing's
  // coordinate along the line (`along` is the straight edge's) and is called just before the
  // node is made, so the new node's index is NodeCount() at the call.
  using Locate = std::function<double(const CTessNode* a, const CTessNode* b, int axis, double c, double along)>;
  std::vector<CTessNode*> Cross(int axis, double c, const SLineRule& rule, const Locate& locate = {});
  // Links consecutive nodes into one row (axis 1) or column (axis 0). gapAfter[i] marks the
  // link from line[i] to line[i + 1] as crossing outside the domain: such a link bounds no
  // cell and is never walked along.
  void LinkLine(int axis, const std::vector<CTessNode*>& line, const std::vector<char>& gapAfter);
  bool InRow(const CTessNode* n) const { return Flag(n, kInRow); }
  bool InColumn(const CTessNode* n) const { return Flag(n, kInCol); }
  void MarkInColumn(const CTessNode* n) { m_flags[static_cast<size_t>(n->index)] |= kInCol; }
  // Link from n to its row next lies outside the domain.
  bool RowGapAfter(const CTessNode* n) const { return Flag(n, kRowGap); }

  // Quadrilaterals (lower left, lower right, upper right, upper left) over every complete grid
  // square below the first of the rows given top-down.
  void AddQuads(const std::vector<CTessNode*>& rowHeads);
  // Triangulates the polygon to the left of every ring edge not yet covered, found by the
  // left-turn walk; then every other face inside the domain that is neither a quadrilateral
  // nor such a polygon (one that a ring only touches at a node). 0 when a walk does not close
  // on a polygon (corrupt rings).
  int AddBoundaryPolygons();

  // Hands the node and cell lists over (the caller frees them).
  void Release(CTessNode** nodes, CTessTriangle** cells);

 private:
  enum : uint8_t { kInRow = 1, kInCol = 2, kRowGap = 4, kColGap = 8, kCovered = 16 };
  bool Flag(const CTessNode* n, uint8_t f) const {
    return (m_flags[static_cast<size_t>(n->index)] & f) != 0;
  }
  void AddCell(int a, int b, int c, int d);
  CTessNode* LeftTurn(CTessNode* a, CTessNode* b) const;
  // The polygon on the left of the link a -> b: the left-turn walk until it meets a node again,
  // cut there when that is not a.
  void Walk(CTessNode* a, CTessNode* b, std::vector<CTessNode*>& poly, std::vector<int>& stamp,
            int id) const;
  // Links taken by a cell, one bit per neighbour slot of the node they leave.
  void MarkUsed(const std::vector<CTessNode*>& poly);
  bool IsGap(const CTessNode* b, int slot) const;
  void EarClip(std::vector<CTessNode*> poly);

  std::vector<CTessNode*> m_nodes;  // by index; the output list runs through them
  std::vector<uint8_t> m_flags;     // by index
  std::vector<uint8_t> m_used;      // by index: links already bounding a cell
  std::vector<CTessNode*> m_rings;  // first node of every ring that takes part
  CTessTriangle* m_cells = nullptr;
  CTessTriangle* m_cellTail = nullptr;
};
