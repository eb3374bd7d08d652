// The patch of a fillet or chamfer skinned through as few of its cross-sections as keep it
// within a tolerance of all of them.
#pragma once

#include "platform/numora/Bsrf.h"

// The cross-sections of one patch, in order along it. A source may make a section only when
// it is first asked for; the sections stay its own.
class SrfSectionSource {
 public:
  virtual ~SrfSectionSource() = default;
  virtual int Count() const = 0;
  // Section i; null when it cannot be made.
  virtual const BCRV* Section(int i) = 0;
  // The point of section i at the middle of its parameter range; false when there is none.
  virtual bool Middle(int i, double p[3]) = 0;
};

// Skins a subset of the source's sections (always the first and the last), adding the middle
// section of every run of left-out sections where one of them (checked at its quarter points,
// at the start, middle and end of its parameter range) lies farther than tol from the patch.
// Up to four sections are all skinned, as SRF_NewSkinned does them. 1 success; -1 when a
// section the fit needed could not be made; otherwise the result of skinning all the sections
// when the subset cannot be skinned.
int SRF_SkinFewestSections(SrfSectionSource& sections, double tol, _nurbs_surface*& out);
