// Ellipses given by centre, semi-axes a (along the ellipse's own x axis) and b, and rotation
// (angle of the own x axis to world +x). Parameter u in [0, 1] runs counter-clockwise from the
// end of the first axis: P(u) = centre + R(rotation) * (a cos 2πu, b sin 2πu).
// Every function takes the four values in this stored order.
#pragma once

void E2D_EvPos(const double centre[2], double a, double b, double rot, double u, double out[2]);
// Derivatives with respect to u (so they carry the factor 2π per order).
void E2D_Ev1Der(const double centre[2], double a, double b, double rot, double u, double out[2]);
void E2D_Ev2Der(const double centre[2], double a, double b, double rot, double u, double out[2]);

// Nearest point of the ellipse to p. Returns 1 with the foot, its parameter u in [0, 1) and the
// distance; 0 when a or b is not positive or the input is not finite. A point at the centre
// goes to the end of the shorter axis (u = 0.25 when b < a, else u = 0).
int E2D_GetNearestPt(const double centre[2], double a, double b, double rot, const double p[2],
                     double foot[2], double& u, double& dist);

// Parameter in [0, 1) of a point on the ellipse, from its eccentric angle; for a point off the
// ellipse this is the parameter of its radial image, not of its nearest point. 0 for a
// degenerate ellipse.
double E2D_GetParamEx(const double centre[2], double a, double b, double rot, const double p[2]);
