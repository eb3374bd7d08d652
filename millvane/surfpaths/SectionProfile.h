// Upper envelope of a set of plane-section segments, in the section's own coordinates (u along
// the line or the cell axis, v the height): the profile a cutter's centre must stay on or above.
// Also the shared editing of point curves (simplify, close) that the surface paths use.
#pragma once

#include <array>
#include <cstddef>
#include <vector>

using Pt2 = std::array<double, 2>;
using PtCurve = std::vector<Pt2>;

// One section segment in (u, v).
struct SectSeg {
  double u0, v0, u1, v1;
};

struct ProfileNode {
  double u;
  double left;   // height arriving from smaller u
  double right;  // height leaving to larger u
};

class CSectionProfile {
 public:
  // A side that nothing has reached yet.
  static constexpr double kNone = -1e12;

  void Clear() { nodes.clear(); }
  // Builds the envelope of the segments (segments nearly vertical in u are taken last, as walls
  // at the profile's ends; short ones are dropped).
  void Build(const std::vector<SectSeg>& segs);
  // One segment with u0 < u1 by more than the node tolerance.
  void AddSegment(const SectSeg& seg);
  // A wall at u reaching up to top.
  void AddWall(double u, double top);

  // The whole profile as one polyline (u, higher value); 0 when it has fewer than two nodes or
  // spans less than 0.01.
  int ToPolyline(PtCurve& out);
  // The stretches at or above the floor. splitStep 0: a step of more than 0.1 becomes two points
  // at one u and curves must span more than 0.1 in u; splitStep > 0: every step above it ends the
  // curve, and curves must span more than minExtent. Narrow slots are bridged first. Each curve is
  // simplified with 0.01.
  void ToCurves(double floor, double splitStep, double minExtent, std::vector<PtCurve>& out);

  std::vector<ProfileNode> nodes;  // sorted by u

 private:
  // Index of the node for abscissa u (reused within 0.01, else inserted); created tells whether
  // it is new and inside tells whether a new node lies between two old ones.
  std::size_t InsertEnd(double u, bool& created, bool& inside);
  void BridgeSlots();
};

// Splits every pair of segments that cross properly at the crossing; pieces shorter than 0.01
// are dropped.
void SplitCrossingSegments(std::vector<SectSeg>& segs);

// Point-curve editing.
// Drops points that lie within tol of the chord of their run; with seam set and at least five
// points the start is moved two points on and the pass repeated (for closed curves).
void SimplifyCurve(PtCurve& c, double tol, bool seam);
// Closes a curve: a first point more than 0.02 from the last is appended again, otherwise the
// last point takes its place.
void CloseCurve(PtCurve& c);
// Distance from p to segment a-b (to a when the segment is shorter than 1e-6).
double PointSegDist(const Pt2& p, const Pt2& a, const Pt2& b);
