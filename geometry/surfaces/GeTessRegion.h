// Meshing of the part of a relief grid inside a planar region: the region's loops become rings,
// the grid's rows and columns the sampling lines, with grid heights inside and interpolated
// heights on the boundary.
#pragma once

#include <vector>

class CObList;
class CGeGrid;
class CGeMesh;

// loops: 2D loops (CGeLoop). 1 after filling mesh; 0 when the list is null or empty or the
// loops give no node. gridNodes (may be null) receives the index (row x columns per row +
// column) of every grid node that becomes a mesh vertex, in creation order.
int geTessGridRegion(CObList* loops, double tolerance, CGeGrid* grid, CGeMesh* mesh,
                     std::vector<unsigned>* gridNodes);
