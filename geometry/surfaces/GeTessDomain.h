// Tessellation of a trimmed surface's parameter domain into grid quads and boundary triangles,
// and the parameter sampler that places the grid lines.
#pragma once

#include "geometry/surfaces/GeTrimLoop.h"

class CGeTrimSurf;

struct CTessNode {
  int index = 0;
  int useCount = 0;  // ring edges at this node already covered by boundary polygons
  double u = 0.0;
  double v = 0.0;
  double angle = 0.0;       // ear-clipping angle, -1 while still to be computed
  float height = -1000.0f;  // -1000: no height assigned
  CTessNode* ringNext = nullptr;
  CTessNode* ringPrev = nullptr;
  CTessNode* rowNext = nullptr;  // rows run in ascending u
  CTessNode* rowPrev = nullptr;
  CTessNode* colPrev = nullptr;  // columns run in descending v: previous is the node above
  CTessNode* colNext = nullptr;
  CTessNode* next = nullptr;  // output list, creation order
};

// Node indices a, b, c, d (d = -1 for a triangle) and the next cell. Quadrilaterals run
// counter-clockwise from the lower left corner.
struct CTessTriangle {
  int a = 0;
  int b = 0;
  int c = 0;
  int d = -1;
  CTessTriangle* next = nullptr;
};

// 1 with the node and cell lists (the caller frees both), 0 when nothing could be built (the
// outputs are then left alone). The loops are the outer boundary (counter-clockwise) and its
// holes (clockwise); sampling lines come from the first loop's owner surface.
int geTessTrimDomain(CGeTrimLoopList* loops, double tol, CTessNode** nodes, CTessTriangle** cells);

// u and v sample sequences over box (entry k holds the k-th u and the k-th v sample), refined
// until chords along the box's edges and middle lines stay within tol of the surface; counts
// receive the numbers of intervals, at most caps (samples must hold caps + 1 entries). Always 1.
int geGetParamSamples(CGeTrimSurf* surface, double tol, _tagBox2D* box, double (*samples)[2],
                      int* caps, int* counts);

// Interval of value among `count` samples of the u column (the v column for code 1301): i with
// sample i <= value < sample i + 1, count - 1 once value reaches the last sample, -1 below the
// first.
int geGetSampleInterval(const double (*samples)[2], int count, double value, int code);
