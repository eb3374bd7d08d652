// Curve-level 3D tools.
#pragma once

#include <vector>

struct BCRV;

class CGeTool3D {
 public:
  // NURBS pieces fitted through the points with degree p, a new piece starting where a point
  // strays more than maxDev from the line of the last two or turns sharper than minAngle.
  // The pieces are appended to out and belong to the caller.
  static void GlobalInterp(const double (*pts)[3], int n, int p, double maxDev, double minAngle,
                           std::vector<BCRV*>& out);
  // The pieces joined into one record (caller owns it); null when there are none.
  static BCRV* GlobalInterp(const double (*pts)[3], int n, int p, double maxDev, double minAngle);
};
