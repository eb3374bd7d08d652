// Steps both surface path generators take over the tool-centre model: the retried loop
// offset and the boundary pass projected onto the model.
#pragma once

#include <vector>

#include "millvane/surfpaths/SectionProfile.h"

class CIntCurveSet;
class CMillCenter;
class CProtectNet;
class CPathGroup;
class CSmartLoop;
class CSmartCurve;
class CSmartSect;
struct QNC_CornerType;

// Offsets every loop of the chain by (a, b), retrying with the distances nudged by 0.01, -0.01,
// 0.02, ... 0.03 until a result comes back; loops without any result are dropped. The input
// chain is left as it was; the result is a new chain (null when nothing came back). Mode 0
// offsets inward (islands grown), mode 2 outward (islands shrunk).
CSmartLoop* SrfRetriedOffset(const CSmartLoop* chain, double a, double b,
                             const QNC_CornerType& corner, int mode = 0);

// Appends the section's points after its start (lines: the end; arcs: chords within tol).
void SampleSectAfterStart(const CSmartSect* s, double tol, PtCurve& out);

// One combine per outer loop (the loop, then each island), every point dropped under the model
// and raised onto it, with samples along every segment; appended to target. The number of
// combines added.
int SrfProjectLoopsOnModel(CMillCenter* model, const CSmartLoop* loops, CPathGroup& target);

// The points and their chord midpoints fitted into lines and arcs within tol (long chords
// against the arc tangent at least cosMin); null for fewer than two points.
CSmartCurve* SrfFitCurve(const PtCurve& pts, double tol, double cosMin);

// Every combine of source as one point row (lines their ends, arcs chords within 0.01,
// polylines their points), dropped under the model and raised onto it with samples along every
// segment; one new combine per source combine appended to target. The number added.
int SrfProjectGroupOnModel(CMillCenter* model, const CPathGroup& source, CPathGroup& target);

// Each curve of the set becomes a smart curve of lines and arcs (its points and chord midpoints
// fitted within tol, long chords against the arc tangent at least cosMin); the curves are chained
// into closed loops. Null when none closes.
CSmartLoop* SrfCurvesToLoops(const CIntCurveSet& set, double tol, double cosMin);

// Whether material stands above z + 0.01 at some sample of the loop, its islands or children
// (lines sampled at their start, arcs at t = 0, 0.2 .. 0.8).
bool SrfLoopCovered(const CProtectNet& net, const CSmartLoop* loop, double z);
// Whether every loop of that tree has at least one sample below z + 0.01.
bool SrfLoopUncovered(const CProtectNet& net, const CSmartLoop* loop, double z);
