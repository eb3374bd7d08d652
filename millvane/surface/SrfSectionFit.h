// The patch of a fillet or chamfer skinned through as few of its cross-sections as keep it
// within a tolerance of all of them.
#pragma once

#include "platform/numora/Bsrf.h"

// Skins a subset of the count sections (always the first and the last), adding the middle
// section of every run of left-out sections where one of them (checked at its quarter points,
// at the start, middle and end of its parameter range) lies farther than tol from the patch.
// Up to four sections are all skinned, as SRF_NewSkinned does them. 1 success; otherwise the
// result of skinning all the sections when the subset cannot be skinned.
int SRF_SkinFewestSections(int count, const BCRV* const* sections, double tol,
                           _nurbs_surface*& out);
