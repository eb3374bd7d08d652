// The measure that the 3D curves' snaps share: distance of a candidate from the cursor (along
// the view direction in a 3D view, in xy in a 2D view), the 2D alignment option and the box
// test, and the end-point rule.
#pragma once

#include "geometry/shapes2d/SnapAt.h"
#include "platform/numora/Numora.h"

class CSnap3dRule {
 public:
  // false when the request lacks its settings or view-state object: no candidates then.
  bool Init(CSnapAt* snap);

  double Dist(const double p[3]) const;
  bool Counts(const double p[3]) const { return Dist(p) < m_radius; }
  // 2D view with the alignment option: x alone or y alone within the radius.
  bool Aligned(const double p[3]) const;
  // 2D view without the alignment option: the request point must lie in the box grown by
  // the radius, else the curve offers nothing.
  bool BoxRejects(const _tagBox3D& box) const;
  // The start, or failing that the end; with the alignment option in a 2D view and neither
  // counting, each end that is aligned.
  void PushEnds(const double start[3], const double end[3], CSnapResult& result) const;

  CSnapAt* m_snap = nullptr;
  bool m_b3D = false;
  bool m_bAlign = false;
  double m_radius = 0.0;
  double m_cursor[3] = {0.0, 0.0, 0.0};  // z = 0: the cursor line runs through the xy plane
  double m_dir[3] = {0.0, 0.0, 1.0};
};

// Position of a 3D candidate.
inline Position SnapPos(const double p[3]) { return Position(p[0], p[1], p[2]); }
