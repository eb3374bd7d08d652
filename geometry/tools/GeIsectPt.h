// Split point of a curve at an intersection with another curve, as the offset tools collect
// them before cutting curves into pieces.
#pragma once

#include "platform/afx/Afx.h"
#include "platform/vurode/Position.h"

class CGeCurve;

struct _tagGeIsectPt {
  CGeCurve* pCurve;  // the curve to split (not owned)
  double t;          // parameter on that curve, 0..1
  int nFlag;         // always 1
  Position pt;       // the intersection point (z unused)
};

using CGeIsectPtArray = CArray<_tagGeIsectPt, _tagGeIsectPt>;
