// Cubic Bezier segments given by four control points double[4][2]; parameter t in [0, 1].
#pragma once

#include "platform/numora/Records.h"

void BEZ_EvPos(const double seg[4][2], double t, double out[2]);
void BEZ_Ev1Der(const double seg[4][2], double t, double out[2]);
void BEZ_Ev2Der(const double seg[4][2], double t, double out[2]);

// de Casteljau split at t: left covers [0, t], right [t, 1]; both reparameterised to [0, 1].
// left/right may alias seg.
void BEZ_Split(const double seg[4][2], double t, double left[4][2], double right[4][2]);

// Nearest point of the segment to p over t in [0, 1], ends included (a global minimum, not only
// perpendicular feet). Returns 1, or 0 for non-finite input (outputs untouched).
int BEZ_PrjPnt(const double seg[4][2], const double p[2], double foot[2], double& t, double& dist);
int BEZ_PrjPnt(const double seg[4][2], const double p[2], double foot[2], double& t);

// Arc length of the whole segment, and between t1 and t2 (order free; the result is >= 0).
double BEZ_ArcLength(const double seg[4][2]);
double BEZ_ArcLengthEx(const double seg[4][2], double t1, double t2);

// Parameter at arc length len from the start; len is clamped to [0, total] (t in [0, 1]).
double BEZ_EvParam(const double seg[4][2], double len);

// Flatness: the larger distance of the two inner control points from the chord (from the start
// point when the chord is degenerate). The curve never strays further from its chord.
double BEZ_DistTol(const double seg[4][2]);

// Tight bounding box of the curve (not the control polygon).
void BEZ_GetBox(const double seg[4][2], _tagBox2D* box);
