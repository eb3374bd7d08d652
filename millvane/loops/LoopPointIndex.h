// Many point-in-loop questions against one large loop: the loop's chords filed by rows, so that
// a question reads the chords near its row instead of the whole loop. A point well clear of the
// loop is answered by its winding number; a point near the loop is handed to
// CSmartLoop::IsPointIn, so both give the same answers.
#pragma once

#include <array>
#include <cstddef>
#include <vector>

class CSmartLoop;

class CLoopPointIndex {
 public:
  // expectedIslands: how many islands the loop may come to hold (sizes the island cells).
  explicit CLoopPointIndex(const CSmartLoop* loop, size_t expectedIslands = 0);
  // As CSmartLoop::IsPointIn: 1 inside, 0 outside, 2 on the loop.
  int IsPointIn(const double p[2]) const;
  // As CSmartLoop::IsLoopOn of the indexed loop (its islands included). Islands given to the
  // loop after the index was made must be noted with NoteIsland.
  int IsLoopOn(const CSmartLoop* loop) const;
  void NoteIsland(const CSmartLoop* island);
  // Whether the index serves: false for a loop whose chords would fill too many rows.
  bool Usable() const { return usable_; }

 private:
  int RowOf(double y) const;
  int CellOf(double v, double lo, double size) const;

  const CSmartLoop* loop_;
  std::vector<std::array<double, 4>> chords_;  // x0, y0, x1, y1
  std::vector<int> first_;                     // chords of row r: filed_[first_[r] .. first_[r + 1])
  std::vector<int> filed_;
  double y0_ = 0.0, rowH_ = 1.0;
  int rows_ = 0;
  bool usable_ = false;
  // Islands filed by cells of the loop's box; an island over many cells is kept aside.
  std::vector<std::vector<const CSmartLoop*>> cells_;
  std::vector<const CSmartLoop*> wide_;
  int side_ = 1;
  double cx0_ = 0.0, cy0_ = 0.0, cw_ = 1.0, ch_ = 1.0;
};
