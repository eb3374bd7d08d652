#include "millvane/kernel/KernelSolve.h"

#include <Eigen/Core>
#include <Eigen/LU>
#include <Eigen/QR>

#include <cmath>

void MAT_MinNormStep34(const double J[3][4], const double r[3], double x[4]) {
  Eigen::Matrix<double, 3, 4> A;
  Eigen::Vector3d b;
  for (int i = 0; i < 3; ++i) {
    for (int k = 0; k < 4; ++k) A(i, k) = J[i][k];
    b(i) = r[i];
  }
  const Eigen::Matrix3d G = A * A.transpose();
  const double det = G.determinant(), tr = G.trace();
  Eigen::Vector4d step;
  if (std::fabs(det) > 1e-10 * tr * tr * tr)
    step = A.transpose() * G.inverse() * b;
  else
    step = A.completeOrthogonalDecomposition().solve(b);
  for (int k = 0; k < 4; ++k) x[k] = step(k);
}

bool MAT_SolveQR3(const double J[3][3], const double r[3], double s[3]) {
  Eigen::Matrix3d A;
  Eigen::Vector3d b;
  for (int i = 0; i < 3; ++i) {
    for (int j = 0; j < 3; ++j) A(i, j) = J[i][j];
    b(i) = r[i];
  }
  const Eigen::Vector3d x = A.colPivHouseholderQr().solve(b);
  if (!x.allFinite()) return false;
  for (int j = 0; j < 3; ++j) s[j] = x(j);
  return true;
}
