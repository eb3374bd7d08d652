// Reading a 3D curve that another curve will own (a composite's member, an offset curve's
// base) from an archive.
#pragma once

#include "platform/afx/Afx.h"

class CGeCurve3d;

// The next object of the archive: null for a null entry, else a new 3D curve for the caller
// to own. A back-reference (the object has an owner already, or is still being loaded) throws
// the archive exception badIndex; an object of another class is freed and throws badClass.
CGeCurve3d* geReadOwnedCurve3d(CArchive& ar);
