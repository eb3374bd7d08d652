// Reading a 3D curve that another curve will own (a composite's member, an offset curve's
// base) from an archive.
#pragma once

#include "platform/afx/Afx.h"

class CGeCurve3d;

// The next object of the archive: null for a null entry, else a new 3D curve for the caller
// to own (AfxReadOwnedObject: another class is refused before it loads, a back-reference
// throws badIndex).
CGeCurve3d* geReadOwnedCurve3d(CArchive& ar);
