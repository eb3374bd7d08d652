// The exported face of the surface operations on trimmed surfaces. New surfaces go into
// caller-supplied lists and belong to the caller.
#pragma once

#include "millvane/surface/SrfTrimAdaptor.h"

class CSrfActor {
 public:
  // Gives the surface its kernel record (a B-spline record over a clone of its NURBS surface)
  // when it has none. 1 when the surface has a record afterwards; 0 for a null surface or one
  // without a NURBS surface.
  int CreateSURFACE(CGeTrimSurf* surface);
  // Frees the kernel record and clears the field; 0.
  int FreeSURFACE(CGeTrimSurf* surface);

  // Rolls a ball of the radius between face1 and face2 (each offset along its normal, or
  // against it when its flip flag is set) and appends the fillet patches to out; with trim set
  // the faces are also trimmed back to the contact curves (mode is the trim's loop mode).
  // Both faces need their kernel record. 1 when surfaces were appended, else 0.
  int SrfFillet(CGeTrimSurf* face1, int flip1, CGeTrimSurf* face2, int flip2, int trim, int mode,
                double radius, CGeTrimSurfList* out);
  // The same with a straight band whose edge on face1 lies where face2's offset by distance2
  // meets it, and on face2 where face1's offset by distance1 meets it.
  int SrfChamfer(CGeTrimSurf* face1, int flip1, CGeTrimSurf* face2, int flip2, int trim,
                 int mode, double distance1, double distance2, CGeTrimSurfList* out);
};
