// Tessellation of a trimmed surface's parameter domain into grid quads and boundary triangles,
// and the parameter sampler that places the grid lines.
#pragma once

#include "geometry/surfaces/GeTrimLoop.h"

class CGeTrimSurf;

struct CTessNode {
  int index = 0;
  int useCount = 0;
  double u = 0.0;
  double v = 0.0;
  double angle = 0.0;
  float height = -1000.0f;
  CTessNode* ringNext = nullptr;
  CTessNode* ringPrev = nullptr;
  CTessNode* rowNext = nullptr;
  CTessNode* rowPrev = nullptr;
  CTessNode* colPrev = nullptr;
  CTessNode* colNext = nullptr;
  CTessNode* next = nullptr;  // output list, creation order
};

// Node indices a, b, c, d (d = -1 for a triangle) and the next cell.
struct CTessTriangle {
  int a = 0;
  int b = 0;
  int c = 0;
  int d = -1;
  CTessTriangle* next = nullptr;
};

// 1 with the node and cell lists (the caller frees both), 0 when nothing could be built.
int geTessTrimDomain(CGeTrimLoopList* loops, double tol, CTessNode** nodes, CTessTriangle** cells);

// u and v sample sequences over box (entry k holds the k-th u and the k-th v sample);
// counts receive the numbers of intervals, bounded by caps. Always 1.
int geGetParamSamples(CGeTrimSurf* surface, double tol, _tagBox2D* box, double (*samples)[2],
                      int* caps, int* counts);
