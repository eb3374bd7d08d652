// Dense solves of the intersection's point correctors. Eigen is compiled here only.
#pragma once

// Minimum-norm x (4 values) with J x = r for the 3 x 4 matrix J: x = J^T (J J^T)^-1 r while J
// has full rank (surfaces crossing); near rank two (surfaces touching) the Gram matrix is
// singular and a complete orthogonal decomposition takes over.
void MAT_MinNormStep34(const double J[3][4], const double r[3], double x[4]);

// s with J s = r for the 3 x 3 matrix J, by column-pivoting QR; false when s is not finite.
bool MAT_SolveQR3(const double J[3][3], const double r[3], double s[3]);
