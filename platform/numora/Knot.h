// Knot vectors and B-spline basis functions shared by the curve and surface code.
// Knot vectors are clamped: `order` equal knots at each end of the domain.
#pragma once

// Accumulated chord-length parameters of n points, scaled to [0, 1]; equal spacing when every
// point coincides. 1 on success, 0 for bad input.
int KNOT_CalAccumChord(const double (*pts)[3], int n, double* params);

// Clamped knot vector (order + n knots on [0, 1]) from point parameters by averaging, so that
// every basis function has its peak near a point (order >= 2). 1 on success, 0 for bad input.
int KNOT_CalByAC(int order, int n, const double* params, double* knots);

// Rescales the knots so that the domain [U(order - 1), U(n)] becomes [0, 1]. 1 on success,
// 0 when the domain is empty or the input is bad.
int KNOT_Regu(int order, int n, double* knots);

// New array of order + count knots, clamped and uniform on [0, 1] (callers overwrite the inner
// knots as they need). Allocated with malloc; free with std::free (or KX_MemFree). Null on bad
// input or allocation failure.
double* KNOT_Gen(int order, int count);

// Number of knots of the vector (count entries) within tol of u.
int CalKnotMul(const double* knots, int count, double u, double tol = 1e-10);

namespace knot {

// Highest sensible counts; larger requests fail cleanly instead of exhausting memory.
constexpr int kMaxOrder = 32;
constexpr int kMaxCount = 1 << 22;

// True when order and count are usable and the vector is non-decreasing with a non-empty domain.
bool IsValid(int order, int n, const double* knots);

// Span index s (order-1 <= s <= n-1) with U[s] <= u < U[s+1]; the last span for u at the end.
int FindSpan(int n, int p, double u, const double* U);

// Non-zero basis values N[s-p .. s] of degree p at u into N (p + 1 values).
void BasisFuns(int span, double u, int p, const double* U, double* N);

// Basis values and derivatives up to nd into ders[(nd + 1) * (p + 1)]: ders[k * (p + 1) + j]
// is the k-th derivative of N[s-p+j].
void DersBasisFuns(int span, double u, int p, int nd, const double* U, double* ders);

}  // namespace knot
