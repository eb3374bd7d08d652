// Convex hull of planar single-precision points (monotone chain) and its longest edge.
#pragma once

#include "platform/numora/Records.h"

#include <vector>

class CHullLine {
 public:
  CHullLine() = default;
  CHullLine(const CHullLine&) = default;
  CHullLine& operator=(const CHullLine&) = default;
  virtual ~CHullLine();

  void AddPoint(float x, float y);
  // Replaces the hull with that of the input points (sorting the input in place).
  void CalculateConvexHull();
  // Sorts the input by x, then y: equal x must be ordered too or the chain can cross itself.
  void QuickSortPtsBasedOnX();
  // Appends to `hull` the counter-clockwise hull of `pts`, which must be sorted as above.
  // The polygon starts at the lowest leftmost point and repeats it at the end; collinear
  // and duplicate points are dropped. No points give no hull.
  void ConvexHull2D(const std::vector<tagPoint2d>& pts, std::vector<tagPoint2d>& hull);
  // Positive when p2 lies left of the directed line p0 -> p1, 0 when on it.
  static double IsPoint2DLeft(const tagPoint2d& p0, const tagPoint2d& p1, const tagPoint2d& p2);
  // Stores the longest hull edge in m_maxVec; leaves it alone with fewer than two hull points.
  void CalMaxLenVector();

  std::vector<tagPoint2d> m_points;
  int m_nFlag = 0;  // carried along by copies; no operation here reads it
  std::vector<tagPoint2d> m_hull;
  double m_maxVec[2] = {0.0, 0.0};
};
