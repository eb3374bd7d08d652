// Trim job over a base group of trimmed surfaces and a tool group: feeds intersection curves to
// per-surface editors, builds new trim loops and hands out the trimmed surfaces.
//
// Only the operations that the fillet and chamfer drivers call are declared here, and the loop
// editors they work through are not part of the library yet: every operation answers with its
// "no result" value (no editor, no curve, no surface), so a driver that asks for trimming leaves
// its faces untrimmed and still returns its blend patches.
#pragma once

#include "geometry/surfaces/GeTrimSurf.h"

struct _intcur;
class CEdTrimSurf;
class CEdInterCurve;

using CGeTrimSurfList = CTypedPtrList<CObList, CGeTrimSurf*>;

class CSrfTrimAdaptor {
 public:
  CSrfTrimAdaptor() = default;
  virtual ~CSrfTrimAdaptor() = default;
  CSrfTrimAdaptor(const CSrfTrimAdaptor&) = delete;
  CSrfTrimAdaptor& operator=(const CSrfTrimAdaptor&) = delete;

  // A new curve on editors a and b unless it repeats a trim bound of a; either editor may be
  // null, and a null a counts as "not on an existing bound". Null when no curve is kept.
  CEdInterCurve* AddInterCurve(_intcur* curve, CEdTrimSurf* a, CEdTrimSurf* b);
  // Crossings, then new trim loops in the editors of the base group (which = 0), the tool
  // group (1) or both (2).
  int Trim(int which);
  // The result loops of the surface's editor as new surfaces appended to out; 1 when out is
  // non-empty.
  int GetSurfaceResult(CGeTrimSurf* surface, CGeTrimSurfList* out);
  // Puts the surface into the base group (tool false) or the tool group and gives it an editor;
  // 0 for null or a surface already taken.
  int AddSurface(CGeTrimSurf* surface, bool tool);
  CEdTrimSurf* FindEditor(CGeTrimSurf* surface);

  // When not 0, loop building extends dangling curve ends.
  int m_nMode = 0;
};
