// The sections of a contour (the loop, then its islands, each in chain order) filed by the rows
// of a grid in y that their boxes reach: a scan line reads only the sections of its row, in the
// order a walk over the whole contour meets them, so it finds the same crossings in the same
// order as that walk.
#pragma once

#include <cstddef>
#include <span>
#include <vector>

class CSmartCurve;
class CSmartLoop;
class CSmartSect;

class CSectRowIndex {
 public:
  struct Entry {
    CSmartSect* sect;
    const CSmartCurve* curve;  // the chain the section belongs to
  };
  // Rows of the given pitch from y0 up; fewer, taller rows when the sections would be filed
  // too often (long steep sections), down to one row.
  CSectRowIndex(const CSmartLoop* contour, double y0, double pitch, int rows);
  const CSmartLoop* Contour() const { return contour_; }
  // Whether y lies on the grid; off it the index answers nothing.
  bool Holds(double y) const;
  // Every section whose box may reach y (and a few more), in walk order. Only for Holds(y).
  std::span<const Entry> At(double y) const;

 private:
  // The row of v, clamped to the grid; NaN gives fallback.
  int RowOf(double v, int fallback) const;

  const CSmartLoop* contour_;
  double y0_;
  double pitch_ = 0.0;
  int rows_ = 0;
  std::vector<size_t> first_;  // entries of row r: filed_[first_[r] .. first_[r + 1])
  std::vector<Entry> filed_;
};
