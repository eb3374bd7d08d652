// Sampling of a surface record into flat patches, and the pairing of two samplings' patches
// whose boxes meet: the seeds of the surface-surface intersection.
//
// A sampling is a tree of parameter cells: the four cells of a 3 x 3 grid, each either not
// looked at yet, a flat patch, or halved into two cells. A complete sampling looks at every
// cell; the pairing of two samplings looks only at the cells whose bounds can meet the other
// surface, so most of both trees never has to be evaluated. Either way a cell that is looked
// at becomes the same patch, and the pairs come out as a complete sampling would give them.
#pragma once

#include <utility>
#include <vector>

#include "millvane/kernel/KernelRecords.h"
#include "millvane/kernel/SurfaceIntersect.h"

struct SSI_SampleNode {
  double point[3];
  double normal[3];  // unit
  double uv[2];
};

// A flat piece of the sampled box: corners (u0, v0), (u1, v0), (u1, v1), (u0, v1) as indices
// into the node table, its centre's parameters and a 3D box that holds the surface over it.
struct SSI_Patch {
  int corner[4];
  double centre[2];
  double box[2][3];  // minimum, maximum
};

// A cell of the sampling tree. bound holds every patch the cell is or will be cut into (an
// infinite box when the surface gives no bound on its partials).
struct SSI_SampleCell {
  int corner[4];
  int child[2] = {-1, -1};  // halves, in the order a complete sampling visits them
  int patch = -1;           // index of its patch once found flat
  bool looked = false;
  double bound[2][3];
};

// Bounds on a surface's partials |Su|, |Sv| and, where it is smooth enough, |Suu|, |Svv|:
// over its whole parameter plane, and for a B-spline surface per control point of those
// partials, so that a small cell takes only the few that act on it.
struct SSI_SpeedField {
  bool bounded = false;
  bool bent = false;  // bend holds
  double speed[2] = {0, 0};
  double bend[2] = {0, 0};
  int order[2] = {0, 0};
  int count[2] = {0, 0};
  std::vector<double> knots[2];
  std::vector<double> partial[2];   // |control point| of Su (count[0]-1 by count[1]), of Sv
  std::vector<double> partial2[2];  // of Suu (count[0]-2 by count[1]), of Svv
};

// One surface's sampling over one parameter box; kept by the caller between intersections.
// The tolerances are those of the call that started it, so that later refinement cuts the same
// cells as a complete sampling would have.
struct SSI_SampleCache {
  _tagBox2D box;
  std::vector<SSI_SampleNode> nodes;
  std::vector<SSI_Patch> patches;  // in the order they were found
  std::vector<SSI_SampleCell> cells;
  int roots[4] = {-1, -1, -1, -1};
  double chordTol = 0, angleTol = 0, stepTol = 0;
  SSI_SpeedField speed;
  long examined = 0;  // cells looked at
};

// Starts the sampling of the surface over the box with the kernel's discretisation triple
// (each component times five): the 3 x 3 grid only. 1 success, 0 when an evaluation fails or
// the box is not finite, -1 when the cache cannot be allocated.
int SSI_StartSampling(SSI_SampleCache*& out, const ENT_Record* srf, const _tagBox2D& box);

// The complete sampling: every cell is looked at. 1 success, 0 when an evaluation fails, the
// box is not finite or the surface needs more than 200000 patches, -1 when the cache cannot be
// allocated.
int SSI_SampleSurface(SSI_SampleCache*& out, const ENT_Record* srf, const _tagBox2D& box);

// Looks at one cell of the sampling of srf: it becomes a flat patch or is halved. 1 success
// (also when it was looked at before), 0 when an evaluation fails or the sampling passes
// 200000 cells.
int SSI_LookAtCell(SSI_SampleCache& c, const ENT_Record* srf, int cell);

// Patch pairs (iA, iB) of two complete samplings whose boxes meet within tol, in increasing
// (iA, iB) order.
void SSI_PairPatches(const SSI_SampleCache& a, const SSI_SampleCache& b, double tol,
                     std::vector<std::pair<int, int>>& pairs);

// The same pairs from two samplings of any completeness, refined only where the pairing needs
// it (the surfaces are those the samplings were started on), in the order of a complete
// sampling. 1 success; 0 when an evaluation fails or a sampling passes 200000 cells.
int SSI_PairSampled(SSI_SampleCache& a, const ENT_Record* srfA, SSI_SampleCache& b,
                    const ENT_Record* srfB, double tol, std::vector<std::pair<int, int>>& pairs);

// The speed field of the surface; not bounded when its type gives no bound (then every cell
// of its sampling may hold anything).
void SSI_SetSpeedField(const ENT_Record* srf, SSI_SpeedField& f);

// How far the surface over the cell [lo, hi], and the box of any patch cut from it, may reach
// beyond the box of the cell's corners: with |Su| <= Lu, |Sv| <= Lv every point lies within
// (Lu du + Lv dv) / 2 of a corner and a patch's box grows by at most Lu du + Lv dv; with
// |Suu| <= Muu, |Svv| <= Mvv the surface departs from the bilinear patch of the corners by at
// most (du^2 Muu + dv^2 Mvv) / 8, and a patch's growth is twice that. Infinite when unbounded.
double SSI_CellReach(const SSI_SpeedField& f, const double lo[2], const double hi[2]);
