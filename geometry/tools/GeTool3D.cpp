#include "geometry/tools/GeTool3D.h"

// The fitting is not available yet: no pieces, which callers treat as "fit nothing".
void CGeTool3D::GlobalInterp(const double (*)[3], int, int, double, double, std::vector<BCRV*>&) {}

BCRV* CGeTool3D::GlobalInterp(const double (*)[3], int, int, double, double) { return nullptr; }
