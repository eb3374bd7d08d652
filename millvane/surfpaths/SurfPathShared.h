// Steps both surface path generators take over the tool-centre model: the retried loop
// offset and the boundary pass projected onto the model.
#pragma once

#include <vector>

#include "millvane/surfpaths/SectionProfile.h"

class CMillCenter;
class CPathGroup;
class CSmartLoop;
class CSmartSect;
struct QNC_CornerType;

// Offsets every loop of the chain by (a, b), retrying with the distances nudged by 0.01, -0.01,
// 0.02, ... 0.03 until a result comes back; loops without any result are dropped. The input
// chain is left as it was; the result is a new chain (null when nothing came back).
CSmartLoop* SrfRetriedOffset(const CSmartLoop* chain, double a, double b,
                             const QNC_CornerType& corner);

// Appends the section's points after its start (lines: the end; arcs: chords within tol).
void SampleSectAfterStart(const CSmartSect* s, double tol, PtCurve& out);

// One combine per outer loop (the loop, then each island), every point dropped under the model
// and raised onto it, with samples along every segment; appended to target. The number of
// combines added.
int SrfProjectLoopsOnModel(CMillCenter* model, const CSmartLoop* loops, CPathGroup& target);
