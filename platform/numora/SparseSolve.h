// Sparse linear solves for the curve fitters. Eigen is compiled here only; callers hand over
// the matrix as entries and the right-hand sides as row-major arrays.
#pragma once

#include <vector>

namespace sparse {

// One entry of a sparse matrix; entries given twice add up.
struct Entry {
  int row, col;
  double value;
};

// X (n x cols, row-major) solving A X = B for the n x n matrix A and B (n x cols, row-major),
// by LU factorisation. False when A is singular or X is not finite (x is left as it was).
bool SolveLU(int n, const std::vector<Entry>& a, const double* b, int cols,
             std::vector<double>& x);

// The same for a symmetric A (both triangles given) by LDLT factorisation.
bool SolveLDLT(int n, const std::vector<Entry>& a, const double* b, int cols,
               std::vector<double>& x);

}  // namespace sparse
