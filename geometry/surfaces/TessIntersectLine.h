// Space segments and the group that chains them end to end into polylines.
#pragma once

#include <deque>
#include <vector>

class CTessIntersectLine {
 public:
  CTessIntersectLine(const double start[3], const double end[3]);
  // Exchanges the two ends.
  void Reverse();

  double m_start[3];
  double m_end[3];
};

class CTessIntersectLineGroup {
 public:
  CTessIntersectLineGroup() = default;
  ~CTessIntersectLineGroup();
  CTessIntersectLineGroup(const CTessIntersectLineGroup&) = delete;
  CTessIntersectLineGroup& operator=(const CTessIntersectLineGroup&) = delete;

  // The group takes the segment.
  void Add(CTessIntersectLine* line);
  int GetCount() const { return static_cast<int>(m_lines.size()); }
  // The segment whose ends are a and b in either order (distances summing below 1e-8).
  CTessIntersectLine* Find(const double a[3], const double b[3]) const;
  void DeleteAll();
  // Moves the segment with an end nearest to the chain's first or last point, nearer than
  // maxDist, onto that end of the chain, turned to continue it; a segment that only doubles
  // back over the chain's end segment is deleted instead. point receives the chain's new first
  // or last point. 1 when a segment was taken, 0 when none is near (or the chain is empty).
  // The chain owns the segments it holds.
  int Extend(std::deque<CTessIntersectLine*>& chain, double maxDist, double point[3]);

 private:
  std::vector<CTessIntersectLine*> m_lines;
};
