// Inscribed-circle service: a session that takes a set of closed loops (vnStart), answers the
// radius of the largest circle inside them (vnGetMaxRadius) and is closed by vnEnd. One
// session at a time, on the GUI thread.
#pragma once

#include "geometry/shapes2d/ShapeListUtil.h"

// Copies the loops of the list and of the regions (either may be null); the caller keeps its
// own. With bTogether the loops form one area even-odd, so that islands are holes; without it
// each loop counts alone and the largest of their circles is answered. FALSE, with no session
// open, when there is no loop at all or a loop is null or empty. Replaces an open session.
int vnStart(CGeLoopList* loops, CGeRegionList* regions, bool bTogether);
// Radius (in the loops' units) of the largest inscribed circle, within tol; 0 without a
// session, for a tol that is not positive and finite, when a loop is open (its ends or its
// pieces more than a few tol apart), has a non-finite point or when the loops enclose nothing.
double vnGetMaxRadius(double tol);
// Frees the session's copies; harmless without a session.
void vnEnd();
