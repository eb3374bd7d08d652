// Adaptive chord/angle refinement shared by the 3D curves that discretise by sampling an exact
// evaluator (NURBS and offset curves).
#pragma once

#include <cstddef>
#include <functional>
#include <vector>

class CStrP3D;

struct CurveSample3d {
  double p[3];
  double t;
};

// Refines the ordered samples in place: between each pair (A, B) the midpoint M (in parameter)
// is inserted until M lies within chordTol of the chord AB and the angle A-M-B is at least
// angTol (a vanishing angle counts as straight). Each inserted point is tested again against
// its left neighbour first, so the result stays ordered. Pairs narrower than a parameter floor,
// and everything once the string reaches maxSamples, are accepted as they stand so that a zero
// tolerance or a cusp cannot refine forever.
inline constexpr size_t kMaxCurveSamples = size_t(1) << 20;
void RefineCurveSamples(std::vector<CurveSample3d>& samples,
                        const std::function<void(double t, double p[3])>& eval, double chordTol,
                        double angTol, size_t maxSamples = kMaxCurveSamples);

// The samples, points and parameters, into str (any previous contents replaced); its box is
// recomputed. An empty sample list leaves str empty with an empty box.
void SamplesToString(const std::vector<CurveSample3d>& samples, CStrP3D& str);
