// Mesh of the part of a relief grid inside a planar region: grid nodes inside keep their
// heights, boundary nodes take interpolated ones.
#pragma once

#include <vector>

class CObList;
class CGeGrid;
class CGeMesh;

// loops: 2D loops (CGeLoop) in world x, y, the outer one counter-clockwise and holes clockwise.
// Fills mesh (one vertex per node, triangles over it) and draws the loops onto it as polylines;
// gridNodes, when given, receives row * columns + column of every grid node taken as a vertex,
// in vertex order. 1 on success; 0 for no loops, no grid, no mesh or loops that give no node,
// the mesh then untouched.
int geTessGridRegion(CObList* loops, double tol, CGeGrid* grid, CGeMesh* mesh,
                     std::vector<unsigned>* gridNodes);
