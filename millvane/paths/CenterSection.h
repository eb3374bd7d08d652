// Small geometric steps of the tool-centre model's sections and projections: cutting one
// planar face by a horizontal or vertical plane, the pruning of section segments against the
// protect net, the height of a face above a point, joining section segments into polylines,
// and the 3D polyline records the model keeps for its edges.
#pragma once

#include <array>
#include <vector>

#include "platform/numora/Records.h"

class CIntLineSet;
class CProtectNet;

namespace centre {

using Pt2 = std::array<double, 2>;
using Pt3 = std::array<double, 3>;

// Cut of the polygon (vertex pointers, three doubles each) by z = h: the (x, y) points where
// its edges meet the plane, points within 0.01 of an earlier one left out. An edge lying in the
// plane is the cut itself: its two ends are returned.
std::vector<Pt2> CutFaceZ(const double* const* v, int n, double h);
// The same by y = c, giving (x, z); points within 0.0001 of an earlier one left out.
std::vector<Pt2> CutFaceY(const double* const* v, int n, double c);

// Pruning rules: whether a section segment can still matter at its level.
bool KeepZSegment(const CProtectNet& net, double h, const Pt2& a, const Pt2& b);
bool KeepYSegment(const CProtectNet& net, double y, const Pt2& a, const Pt2& b);
// Adds a face cut to the set: one segment for two points, one for every pair of more; each
// passes the set's pruning rule (z-section when zSection, else y-section) first. The number
// of segments added.
int AddFaceCut(CIntLineSet& set, const CProtectNet& net, const std::vector<Pt2>& cut, bool zSection);

// Raises z to the face's height above (x, y) when higher; true when it rose.
bool RaiseToFace(const double* const* v, int n, double x, double y, double& z);

// Joins the set's segments into polylines (ends within t in x and y), simplifies them with
// 0.001 and enters them again as segments; a segment with nothing to join stays as it is.
void JoinSegments(CIntLineSet& set, double t);
// Removes every segment equal (both ends within t in x and y, either way round) to an earlier
// one. A plane running along a mesh edge meets that edge in both faces sharing it; joined as
// they are, the copies make a polyline turn back on itself, and the simplification (distance
// to the chord's line, not to the chord) then drops the far ends of the run.
void RemoveDuplicateSegments(CIntLineSet& set, double t);

// 3D polyline record of the model's edges.
struct Poly3D {
  std::vector<Pt3> pts;
  _tagBox3D box;
  Poly3D* next = nullptr;
  Poly3D* prev = nullptr;
  explicit Poly3D(std::vector<Pt3> p);
};
// Every point within 0.01 of the first in x and in y.
bool IsVertical(const std::vector<Pt3>& pts);
// Unit direction at every point: segment directions, interior points averaging their two.
std::vector<Pt3> UnitDirections(const std::vector<Pt3>& pts);
// Removes the intermediate points of every run that stays within t of its 3D chord.
void Simplify3D(std::vector<Pt3>& pts, double t);
// The same for 2D points.
void Simplify2D(std::vector<Pt2>& pts, double t);

double PointSegDist(const double* p, const double* a, const double* b);
// a within b grown by tol.
bool BoxInBox(const _tagBox3D& a, const _tagBox3D& b, double tol);
_tagBox3D BoxOfPoints(const Pt3* pts, size_t n);
_tagBox3D BoxUnion(const _tagBox3D& a, const _tagBox3D& b);
// The empty box (min above max), neutral for BoxUnion.
_tagBox3D EmptyBox();

// Faces by z range, for sections taken level after level from the top down. Faces enter an
// active set as the level falls to their top and leave it once the level is below their
// bottom, so a level costs time in proportion to the faces near it. A level above the previous
// one starts over. At(h) is exactly {k : min z - tol <= h <= max z + tol}, ascending.
class ZRangeIndex {
 public:
  void Build(const std::vector<_tagBox3D>& boxes, double tol);
  const std::vector<int>& At(double h);

 private:
  std::vector<double> lo_, hi_;
  std::vector<int> byTop_;  // by max z, highest first
  size_t next_ = 0;         // first face of byTop_ not yet entered
  double last_ = 0;
  bool started_ = false;
  double tol_ = 0;
  std::vector<int> active_;  // ascending
  std::vector<int> result_;
};

}  // namespace centre
