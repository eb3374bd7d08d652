// A library of open chains (linked through their next field, owned while in it) that the
// surface paths close into loops.
#pragma once

#include "millvane/loops/SmartCurve.h"

class CSmartCurveLib {
 public:
  CSmartCurveLib() = default;
  ~CSmartCurveLib() { Clear(); }
  CSmartCurveLib(const CSmartCurveLib&) = delete;
  CSmartCurveLib& operator=(const CSmartCurveLib&) = delete;

  // Appends a next-linked chain of curves.
  void AddCurves(CSmartCurve* chain);
  void RemoveCurve(CSmartCurve* curve);
  void Clear();
  CSmartLoop* ChainLibLoops();

  CSmartCurve* head = nullptr;
  CSmartCurve* tail = nullptr;
  int count = 0;
};
