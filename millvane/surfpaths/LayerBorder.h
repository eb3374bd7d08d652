// Grid borders of the covered regions of one Z level: which protect-net nodes the tool centre
// stands above, joined at diagonal contacts, traced into closed chains of border nodes and cut
// apart again where a diagonal contact was bridged.
#pragma once

#include <cstdint>
#include <vector>

class CProtectNet;

namespace layer {

constexpr uint8_t kNoDir = 255;

// Direction codes: 0 column +1, 1 row +1, 2 column -1, 3 row -1, kNoDir for a lone node.
struct BorderNode {
  int row = 0;
  int col = 0;
  uint8_t dir = kNoDir;
};

struct BorderChain {
  std::vector<BorderNode> nodes;  // cyclic: each node's direction leads to the next
  int rowMin = 0, rowMax = 0, colMin = 0, colMax = 0;
  double area = 0.0;  // half the shoelace sum over (column, row); outer borders are positive
};

// Two free nodes filled in to join a diagonal contact.
struct Saddle {
  int row[2] = {0, 0};
  int col[2] = {0, 0};
};

// Marks every node 1 when its height exceeds z + 0.0001, else 0.
void MarkCovered(CProtectNet& net, double z);
// Bridges diagonal-only contacts in 2x2 blocks of interior nodes; the filled nodes end marked 3.
std::vector<Saddle> FillSaddles(CProtectNet& net);
// Traces the border of every covered region (and of the holes next to an outer border).
std::vector<BorderChain> TraceBorders(CProtectNet& net);
// Cuts a border that runs through both nodes of a saddle into one chain per side, or moves the
// saddle ends of two different borders onto each other's filled node. The saddle records' node
// coordinates are exchanged where a border was cut.
void SplitAtSaddles(std::vector<BorderChain>& chains, std::vector<Saddle>& saddles);
// Steps 2 to 6 for one level; `exclude` drops the border of largest absolute area.
std::vector<BorderChain> LayerBorders(CProtectNet& net, double z, bool exclude,
                                      std::vector<Saddle>* saddlesOut = nullptr);

// One grid cell along a border, where the level's exact section is looked for. Direction 0-3
// runs along an axis, 4-7 along a diagonal; kind 1 a turning corner, 2 an axis step, 3 another
// corner.
struct CellRecord {
  int row0 = 0, col0 = 0;  // first corner
  int row1 = 0, col1 = 0;  // second corner
  uint8_t dir = 0;
  uint8_t kind = 0;
  int rowMin = 0, rowMax = 0, colMin = 0, colMax = 0;
};

// The cells along a chain of at least two nodes, in walk order; none for a lone node.
std::vector<CellRecord> CellRecords(const BorderChain& chain);

// Recomputes directions (towards the next node), the spur nodes, box and area of a chain.
void RefreshChain(BorderChain& chain);

}  // namespace layer
