// Heights of a tool-centre model at many points: the model's parts sorted into square buckets
// by their XY reach, so that a point meets only the parts of its bucket instead of every part
// of the model. Answers exactly what ProjPntOnMdl answers with every part marked. Built for a
// model as it stands; rotating or rebuilding the model needs a new index.
#pragma once

#include <cstdint>
#include <vector>

class CMillCenter;

class CCenterHeights {
 public:
  // Buckets of side `bucket` (widened as needed to keep their number bounded) over the model.
  // An empty index (every height left as given) for a missing model or a bucket that is not a
  // positive finite number.
  void Build(const CMillCenter* model, double bucket);
  // Raises p[2] to the highest tip height of the model at (p[0], p[1]).
  void Raise(double p[3]) const;

 private:
  // Part kinds: face-table triangle, face-table quad, strip quad, sharp point.
  enum Kind : uint8_t { kTri, kQuad, kStrip, kSharp };
  struct Entry {
    Kind kind;
    int rec;   // face table or strip; unused for sharp points
    int a, b;  // element (strip quads: chain point and sample)
    // The part's XY box and top, to pass over it without touching the model.
    double x0, y0, x1, y1, top;
  };
  const CMillCenter* model_ = nullptr;
  double x0_ = 0, y0_ = 0, size_ = 0;
  int nx_ = 0, ny_ = 0;
  std::vector<int> start_;  // entries of bucket k: entries_[start_[k] .. start_[k + 1])
  std::vector<Entry> entries_;
};
