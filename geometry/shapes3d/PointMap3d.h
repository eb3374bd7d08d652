// The point maps behind the 3D shapes' transforms. A shape moves its defining points and its
// cached discretisation through the same maps, so geometry and cache stay in step. The 2D
// forms leave z alone. Null arguments leave the points unchanged.
#pragma once

#include "platform/numora/Numora.h"

namespace ge3d {

void MapTranslate(double (*pts)[3], int n, const double v[2]);
void MapTranslate3D(double (*pts)[3], int n, const double v[3]);
void MapRotate(double (*pts)[3], int n, const double centre[2], double angle);
void MapRotate3D(double (*pts)[3], int n, const double point[3], const double axis[3],
                 double angle);
void MapMirror(double (*pts)[3], int n, const double p[2], const double q[2]);
void MapShift(double (*pts)[3], int n, const double p[2], const double q[2]);
void MapScale(double (*pts)[3], int n, const double base[2], const double f[2]);
void MapScale3D(double (*pts)[3], int n, const double base[3], const double f[3]);
void MapMirror3D(double (*pts)[3], int n, const double p[3], const double q[3]);
void MapMatrix(double (*pts)[3], int n, const double m[4][4]);
void MapToFrame(double (*pts)[3], int n, const _rect_fm3d* frame);
void MapFromFrame(double (*pts)[3], int n, const _rect_fm3d* frame);

}  // namespace ge3d
