// Entry points for callers holding geometry-kernel loops: clean a loop list, offset it, and
// turn a kernel region into a smart loop with islands.
#pragma once

#include "geometry/shapes2d/ShapeListUtil.h"
#include "millvane/loops/SmartLoop.h"

class CGeRegion;

// Appends cleaned copies of the input loops to out (the caller owns them); the input loops are
// simplified in place and stay the caller's.
void acRefineGeLoopList(CGeLoopList* in, CGeLoopList* out);
// Offsets the loops as nested contours (mode 0 inward with islands grown, 2 outward with
// islands shrunk, others copy) and appends each result's islands, then its outer loop, to out.
void acGeLoopListOffset(CGeLoopList* in, double distance, int cornerKind, int mode,
                        CGeLoopList* out);
// The region's first loop with sub-curves becomes the loop, later ones its islands, each
// keeping its direction; null for a null or empty region.
CSmartLoop* LoopFromRegion(CGeRegion* region);
