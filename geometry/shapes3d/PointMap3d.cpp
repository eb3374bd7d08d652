#include "geometry/shapes3d/PointMap3d.h"

#include <cmath>

namespace ge3d {

void MapTranslate(double (*pts)[3], int n, const double v[2]) {
  if (!pts || !v) return;
  for (int i = 0; i < n; ++i) {
    pts[i][0] += v[0];
    pts[i][1] += v[1];
  }
}

void MapTranslate3D(double (*pts)[3], int n, const double v[3]) {
  if (!pts || !v) return;
  for (int i = 0; i < n; ++i)
    for (int k = 0; k < 3; ++k) pts[i][k] += v[k];
}

void MapRotate(double (*pts)[3], int n, const double centre[2], double angle) {
  if (!pts || !centre) return;
  const double c = std::cos(angle), s = std::sin(angle);
  for (int i = 0; i < n; ++i) P2D_Rot(centre, c, s, pts[i], pts[i]);
}

void MapRotate3D(double (*pts)[3], int n, const double point[3], const double axis[3],
                 double angle) {
  if (!pts || !point || !axis) return;
  for (int i = 0; i < n; ++i) P3D_RotatePnt(axis, point, angle, pts[i], pts[i]);
}

void MapMirror(double (*pts)[3], int n, const double p[2], const double q[2]) {
  if (!pts || !p || !q) return;
  for (int i = 0; i < n; ++i) P2D_Mirr(p, q, pts[i], pts[i]);
}

void MapShift(double (*pts)[3], int n, const double p[2], const double q[2]) {
  if (!pts || !p || !q) return;
  for (int i = 0; i < n; ++i) P2D_Shift(p, pts[i], q, pts[i]);
}

void MapScale(double (*pts)[3], int n, const double base[2], const double f[2]) {
  if (!pts || !base || !f) return;
  for (int i = 0; i < n; ++i)
    for (int k = 0; k < 2; ++k) pts[i][k] = base[k] + (pts[i][k] - base[k]) * f[k];
}

void MapScale3D(double (*pts)[3], int n, const double base[3], const double f[3]) {
  if (!pts || !base || !f) return;
  for (int i = 0; i < n; ++i)
    for (int k = 0; k < 3; ++k) pts[i][k] = base[k] + (pts[i][k] - base[k]) * f[k];
}

void MapMirror3D(double (*pts)[3], int n, const double p[3], const double q[3]) {
  if (!pts || !p || !q) return;
  for (int i = 0; i < n; ++i) P3D_Mirror(p, q, pts[i], pts[i]);
}

void MapMatrix(double (*pts)[3], int n, const double m[4][4]) {
  if (!pts || !m) return;
  for (int i = 0; i < n; ++i) MAT44_MultPt(m, pts[i], pts[i]);
}

void MapToFrame(double (*pts)[3], int n, const _rect_fm3d* frame) {
  if (!pts || !frame) return;
  for (int i = 0; i < n; ++i) RF_TransWorldP3D(frame, pts[i], pts[i]);
}

void MapFromFrame(double (*pts)[3], int n, const _rect_fm3d* frame) {
  if (!pts || !frame) return;
  for (int i = 0; i < n; ++i) RF_TransLocalP3D(frame, pts[i], pts[i]);
}

}  // namespace ge3d
