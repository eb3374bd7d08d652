// Boundary walks shared by the scan, spiral and radial pockets: from a stroke end along the
// boundary sections (through their cut-point lists of path points) to the nearest free path
// point, and the boundary stretch between two path points as smart sections.
#pragma once

#include <unordered_map>
#include <vector>

#include "millvane/loops/SmartCurve.h"

// Path point kinds.
enum : int16_t { kPtStart = 0, kPtEnd = 1, kPtUsed = 10 };

// Rows of a scan: for each row number the stroke starts in it, so that a walk can pass over
// points whose neighbouring rows still hold strokes beside them.
struct ScanRows {
  std::unordered_map<int, std::vector<CSmartLPoint*>> rows;
  int first = 0;
  int last = 0;
};

// The closed chains that path points lie on: a section's successor and predecessor wrap.
class BoundaryRing {
 public:
  CSmartSect* Next(CSmartSect* s);
  CSmartSect* Prev(CSmartSect* s);

 private:
  CSmartSect* Head(CSmartSect* s);
  CSmartSect* Tail(CSmartSect* s);
  std::unordered_map<CSmartSect*, CSmartSect*> head_, tail_;
};

// 1 when a free path point was reached; next and the walked distance are written. The walk
// gives up after maxSteps moves or when it comes back to where it began.
int WalkBack(BoundaryRing& ring, CSmartLPoint* from, CSmartLPoint*& next, double& dist,
             const ScanRows* rows);
int WalkForward(BoundaryRing& ring, CSmartLPoint* from, CSmartLPoint*& next, double& dist,
                const ScanRows* rows);
// Appends to curve the boundary from `from` to `target`, against or along the chain.
void AddBoundBack(BoundaryRing& ring, CSmartLPoint* from, CSmartCurve* curve, CSmartLPoint* target);
void AddBoundForward(BoundaryRing& ring, CSmartLPoint* from, CSmartCurve* curve,
                     CSmartLPoint* target);
// The other end of a point's stroke (null when it has none).
CSmartLPoint* StrokePartner(CSmartLPoint* p);
// A line section between two points; null when they coincide.
void AppendLine(CSmartCurve* curve, const double a[2], const double b[2]);
