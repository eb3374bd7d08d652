// Visiting order for open or closed curves: a nearest-neighbour chain improved by cheapest
// insertion and by trying recombinations of the chain split at its largest gap. The tool
// enters each curve at its start and leaves it at its link point: the start when the
// start-link flag is set (closed curves), else the end.
#pragma once

#include "geometry/shapes2d/GeCurve.h"

class CGeSort2D {
 public:
  explicit CGeSort2D(bool startLink = false) : m_bStartLink(startLink) {}
  CGeSort2D& operator=(const CGeSort2D&) = default;

  // Reorders the curves from pt; lists of two or fewer entries stay as they are.
  void SortInNearDistance(const double pt[2], CGeCurveList* curves);

  bool m_bStartLink;

 protected:
  // The curve starting nearest to pt, removed from the list; null when there is none.
  CGeCurve* GetNearestCurve(const double pt[2], CGeCurveList* list);
  // The closest (chain link point, pool start) pair; -1 when either list is empty.
  double GetMinDist(CGeCurveList* chain, CGeCurveList* pool, POSITION& chainPos,
                    POSITION& poolPos);
  // Inserts every pool curve into the chain where it adds the least travel.
  void SortList(CGeCurveList* pool, CGeCurveList* chain);
  // Splits the chain before its largest gap into first and second (the chain keeps its
  // entries); 0 when there is no positive gap or it lies before the last curve.
  int DivideList(CGeCurveList* chain, CGeCurveList* first, CGeCurveList* second);
  // Total travel between the curves of the chain.
  double GetSpaceLength(CGeCurveList* list);

 private:
  void LinkPoint(CGeCurve* c, double p[2]);
  // Travel from a's link point to b's start.
  double Gap(CGeCurve* a, CGeCurve* b);
};
