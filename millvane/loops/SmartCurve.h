// A chain of smart sections: the unit that offsets and booleans cut at crossings, split into
// pieces and re-chain into closed loops.
#pragma once

#include <cstdint>

#include "millvane/loops/SmartSect.h"

class CSmartLoop;

class CSmartCurve {
 public:
  CSmartCurve() = default;
  virtual ~CSmartCurve();
  CSmartCurve(const CSmartCurve&) = delete;
  CSmartCurve& operator=(const CSmartCurve&) = delete;

  int AppendSect(CSmartSect* s);
  int InsertSectAfter(CSmartSect* s, CSmartSect* after);
  // Unlinks a section without destroying it.
  void DetachSect(CSmartSect* s);
  int IsClosed() const;
  int ReverseCurve();
  void CurveBox(double min[2], double max[2]) const;
  CSmartCurve* CloneCurve() const;
  int PointAtFraction(double x, double out[2]) const;
  CSmartSect* NearestStart(const double p[2], double& dist, double out[2]) const;
  void StartAt(CSmartSect* s);
  void RotateCurve(double angle);
  // Appends every section of from to to and destroys from.
  static void MoveSects(CSmartCurve* from, CSmartCurve* to);
  int MarkSelfCrossings();
  void SplitAtCuts();
  CSmartCurve* SplitIntoCurves() const;
  void SplitInPlace();
  void HealJoints();
  CSmartLoop* ChainLoops();
  // Appends lines and arcs through a row of n + 1 points; limits = {tolerance, minimum cosine
  // of a long chord against the arc's tangent}; midPoints (optional) holds one point per gap
  // that the arc must also pass within the tolerance.
  void FitArcs(int n, const double (*points)[2], const double limits[2],
               const double (*midPoints)[2]);

  int64_t spare = 0;
  int32_t count = 0;
  CSmartSect* head = nullptr;
  CSmartSect* tail = nullptr;
  CSmartCurve* next = nullptr;
  uint8_t flags = 0;
};
