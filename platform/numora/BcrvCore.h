// Internal working form of B-spline curves (growable arrays) and the standard algorithms on it,
// shared by the curve, surface and editor code. Not part of the kernel's interface.
#pragma once

#include <array>
#include <vector>

#include "platform/numora/Bcrv.h"

namespace bcrv {

using P4 = std::array<double, 4>;

// Homogeneous B-spline: degree p, knots U (size n + p + 1), control points P (size n).
struct Spline {
  int p = 0;
  std::vector<double> U;
  std::vector<P4> P;
  int n() const { return int(P.size()); }
};

bool FromBcrv(const BCRV* crv, Spline& s);
// New record from the working form; null on allocation failure or bad form.
BCRV* ToBcrv(const Spline& s);
// Replaces the arrays of crv by those of s; false (crv unchanged) on failure.
bool Assign(BCRV* crv, const Spline& s);
// Record with uninitialised arrays for order and n; null on failure.
BCRV* Alloc(int order, int n);

// The control points of a working form as rows of four doubles (std::array has no padding).
inline const double (*Rows(const Spline& s))[4] {
  return reinterpret_cast<const double(*)[4]>(s.P.data());
}
static_assert(sizeof(P4) == 4 * sizeof(double));

// Homogeneous derivatives 0..nd (nd <= 2) at u (clamped into the domain) into A[k], for raw
// arrays (degree p, n points) and for the working form.
void EvalRaw(int p, int n, const double* U, const double (*P)[4], double u, int nd, P4* A);
void EvalH(const Spline& s, double u, int nd, P4* A);
// Cartesian point and derivatives up to nd (<= 2) from homogeneous derivatives.
void Rational(const P4* A, int nd, double (*out)[3]);

// Inserts u r times (its multiplicity stays at most p). False when u is outside the domain.
bool InsertKnot(Spline& s, double u, int r);
// Inserts every knot of X (sorted) in one pass.
bool Refine(Spline& s, const std::vector<double>& X);
// Raises the degree by t.
bool Elevate(Spline& s, int t);
// Removes u up to num times within tol; returns the number removed.
int RemoveKnot(Spline& s, double u, int num, double tol);
// Splits at u strictly inside the domain into two pieces that keep their parameters.
bool SplitAt(const Spline& s, double u, Spline* left, Spline* right);
// Piece over [a, b] of the domain, rescaled to [0, 1].
bool Extract(const Spline& s, double a, double b, Spline& out);
// Rescales the domain to [0, 1].
void Normalize(Spline& s);
void Reverse(Spline& s);
// Same order and knot vector for all (in place); false when an input is bad.
bool MakeCompatible(std::vector<Spline>& list);

// Rotation matrix about an axis (Rodrigues); false for a zero axis.
bool RotMatrix(const double axis[3], double angle, double R[3][3]);

// Cartesian form of a homogeneous point (weight assumed positive).
inline void ToCart(const P4& h, double c[3]) {
  c[0] = h[0] / h[3];
  c[1] = h[1] / h[3];
  c[2] = h[2] / h[3];
}

// Exact rational arc centre + r (cos a X + sin a Y) for a in [0, sweep] (sweep capped at a full
// turn), quarter-turn quadratic pieces, knots on [0, 1]. False for r <= 0 or sweep <= 0.
bool ArcSpline(const double C[3], const double X[3], const double Y[3], double r, double sweep,
               Spline& s);

// Solves the interpolation system: parameters t (n values), knots U (n + p + 1), points Q
// (n rows of dim values) into P (same shape). Banded LU on the collocation matrix.
bool SolveInterp(int p, const std::vector<double>& U, const std::vector<double>& t,
                 const std::vector<double>& Q, int dim, std::vector<double>& P);

}  // namespace bcrv
