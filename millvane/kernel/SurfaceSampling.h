// Sampling of a surface record into flat patches, and the pairing of two samplings' patches
// whose boxes meet: the seeds of the surface-surface intersection.
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

// One surface's sampling over one parameter box; kept by the caller between intersections.
struct SSI_SampleCache {
  _tagBox2D box;
  std::vector<SSI_SampleNode> nodes;
  std::vector<SSI_Patch> patches;
};

// Samples the surface over the box with the kernel's discretisation triple (each component
// times five). 1 success, 0 when an evaluation fails, the box is not finite or the surface
// needs more than 200000 patches, -1 when the cache cannot be allocated.
int SSI_SampleSurface(SSI_SampleCache*& out, const ENT_Record* srf, const _tagBox2D& box);

// Patch pairs (iA, iB) whose boxes meet within tol, in increasing (iA, iB) order.
void SSI_PairPatches(const SSI_SampleCache& a, const SSI_SampleCache& b, double tol,
                     std::vector<std::pair<int, int>>& pairs);
