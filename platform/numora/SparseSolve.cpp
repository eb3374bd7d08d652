#include "platform/numora/SparseSolve.h"

#include <Eigen/Core>
#include <Eigen/SparseCholesky>
#include <Eigen/SparseLU>

namespace sparse {

namespace {

using RowMajor = Eigen::Matrix<double, Eigen::Dynamic, Eigen::Dynamic, Eigen::RowMajor>;

Eigen::SparseMatrix<double> Matrix(int n, const std::vector<Entry>& a) {
  std::vector<Eigen::Triplet<double>> trip;
  trip.reserve(a.size());
  for (const Entry& e : a) trip.emplace_back(e.row, e.col, e.value);
  Eigen::SparseMatrix<double> A(n, n);
  A.setFromTriplets(trip.begin(), trip.end());
  return A;
}

void Store(const Eigen::MatrixXd& X, std::vector<double>& x) {
  x.resize(size_t(X.rows()) * size_t(X.cols()));
  for (Eigen::Index i = 0; i < X.rows(); ++i)
    for (Eigen::Index k = 0; k < X.cols(); ++k) x[size_t(i * X.cols() + k)] = X(i, k);
}

}  // namespace

bool SolveLU(int n, const std::vector<Entry>& a, const double* b, int cols,
             std::vector<double>& x) {
  const Eigen::SparseMatrix<double> A = Matrix(n, a);
  Eigen::SparseLU<Eigen::SparseMatrix<double>> lu;
  lu.compute(A);
  if (lu.info() != Eigen::Success) return false;
  Eigen::Map<const RowMajor> B(b, n, cols);
  Eigen::MatrixXd X = lu.solve(Eigen::MatrixXd(B));
  if (lu.info() != Eigen::Success || !X.allFinite()) return false;
  Store(X, x);
  return true;
}

bool SolveLDLT(int n, const std::vector<Entry>& a, const double* b, int cols,
               std::vector<double>& x) {
  const Eigen::SparseMatrix<double> A = Matrix(n, a);
  Eigen::SimplicialLDLT<Eigen::SparseMatrix<double>> ldlt(A);
  if (ldlt.info() != Eigen::Success) return false;
  Eigen::Map<const RowMajor> B(b, n, cols);
  Eigen::MatrixXd X = ldlt.solve(Eigen::MatrixXd(B));
  if (ldlt.info() != Eigen::Success || !X.allFinite()) return false;
  Store(X, x);
  return true;
}

}  // namespace sparse
