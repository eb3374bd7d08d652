// Operations on point strings stored as plain arrays (SP2D_ on double[n][2], SP3D_ on
// double[n][3] or a CStrP3D). Segments count from 1: segment i joins point i-1 to point i, and
// t is the parameter within it (0 at point i-1, 1 at point i).
#pragma once

#include "platform/numora/StrP3D.h"

// Signed area of the closed polygon (last point joined to the first); positive counter-clockwise.
double SP2D_EvArea(const double (*pts)[2], int n);
// Orientation: a value whose sign is the sign of the area (it is the signed area itself).
double SP2D_Orient(const double (*pts)[2], int n);
void SP2D_Reverse(double (*pts)[2], int n);
// Nearest point of the polyline to p (a global minimum over all segments, ends included; the
// first of equal candidates wins). 0 for fewer than 2 points.
int SP2D_PrjPnt(const double (*pts)[2], int n, const double p[2], double foot[2], double& t,
                int& seg);
// Picking of the z = 0 polyline by the 3D line origin + s·direction: among the segments that
// pass within radius of the line, the one passing nearest (ties: the first). depth is the
// signed distance along the unit direction from origin to the line's closest point. 0 when no
// segment is within radius, for fewer than 2 points or a zero direction.
int SP2D_Pick3d(const double (*pts)[2], int n, const double origin[3], const double direction[3],
                double radius, double& depth, double& t, int& seg);

double SP3D_EvAreaXY(const double (*pts)[3], int n);
int SP3D_PrjPnt(const CStrP3D* str, const double p[3], double foot[3], double& t, int& seg);
// SP2D_Pick3d for a space polyline.
int SP3D_Pick3d(const double (*pts)[3], int n, const double origin[3], const double direction[3],
                double radius, double& depth, double& t, int& seg);
