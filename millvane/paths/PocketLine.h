// Scan-line builder: parallel lines laid across planar regions, each recorded as the points
// where it crosses the regions' boundaries, so that consecutive pairs bound the inside
// intervals. The sweep-line strategies cut along these intervals.
//
// Placement. The regions are turned by minus the angle so that the lines run along x; over the
// box of all regions so turned (ymin .. ymax) the lines lie at
//   border flag 0: ymin + step, ymin + 2 step, ... while below ymax (the box's own edges,
//                  where a line would only graze the boundary, are not scanned);
//   border flag 1: ymin, ymin + step, ... while at most ymax; a line on the box's lower or
//                  upper edge is evaluated a hair inside it, so that it still cuts the region.
// Line k is scan line k whether or not it meets a region, so neighbouring indices are
// neighbouring lines. Inside is even-odd over each region's loops (outer loop, holes, islands
// given as further regions); the intervals of several regions are united. On each line the
// crossings are sorted along it (ascending x before turning back); intervals shorter than
// 1e-9 are dropped.
#pragma once

#include <array>
#include <vector>

#include "geometry/shapes2d/GeRegion.h"

class CPocketLine {
 public:
  // One crossing: world x, y; then its position along the line and the line's offset (both in
  // the turned frame); then +1 where the line enters the inside, -1 where it leaves.
  using Crossing = std::array<double, 5>;
  // Crossings sorted along the line: 2k and 2k + 1 bound the k-th inside interval.
  using ScanLine = std::vector<Crossing>;

  CPocketLine();
  // Deletes the regions of the region list and the scan lines not taken over.
  ~CPocketLine();
  CPocketLine(const CPocketLine&) = delete;
  CPocketLine& operator=(const CPocketLine&) = delete;

  // 0 scans strictly inside the regions' box, 1 from its lower edge to its upper edge.
  void SetScanBorderFlag(int flag) { m_nBorderFlag = flag; }
  // Direction of the lines, degrees counter-clockwise from x.
  void SetAngle(double degrees) { m_dAngle = degrees; }
  // Distance between neighbouring lines.
  void SetInterval(double step) { m_dInterval = step; }

  // Replaces the scan lines by those of the current regions and settings. 1 when some line
  // has an inside interval; 0 (no lines) for a step that is not positive and finite, no
  // regions, regions without a closed outline, coordinates that are not finite, or more lines
  // than kMaxLines.
  int BuildAllScanLine();

  const std::vector<ScanLine>& GetScanLines() const { return m_ScanLines; }
  // Hands the scan lines to the caller; the builder keeps none.
  std::vector<ScanLine> TakeScanLines();

  // Owned: added by the caller (usually copies of its regions), deleted with the builder.
  CTypedPtrList<CObList, CGeRegion*> m_RegionList;

  // More lines than this are refused rather than attempted.
  static constexpr double kMaxLines = 1e7;

 private:
  int m_nBorderFlag = 0;
  double m_dAngle = 0;
  double m_dInterval = 0;
  std::vector<ScanLine> m_ScanLines;
};
